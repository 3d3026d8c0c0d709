// The INI layer under the settings: sections read whole through the
// private-profile functions, the text form that values take in the file, and
// replacing the file in one step.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quillora::ini {

// One named line of a section as the private-profile layer returns it
// (comments and blank lines never are). A comment line that
// ProfileReader::AddComments puts back is an entry whose key is the whole
// line, without a value.
struct Entry {
    std::string key;                   // the name before '=', blanks trimmed
    std::optional<std::string> value;  // the raw text after '='; none for a line without '='
};

struct Section {
    std::string name;
    std::vector<Entry> entries;

    // The first line with that key decides, as for the platform's own
    // look-ups; later duplicates are never seen.
    const Entry* Find(std::string_view key) const;
};

// The text without the blanks that the private-profile layer drops around
// section names, keys and values.
std::string_view TrimBlanks(std::string_view text);

// Section and key names compare case-insensitively, character by character.
bool SameName(std::string_view a, std::string_view b);

// Reads one file through the private-profile functions with buffers that
// grow until the answer fits, so no list or section is ever cut short. The
// path may hold any character (the program's folder may be named in any
// script); names and values come back in the ANSI code page.
class ProfileReader {
public:
    explicit ProfileReader(std::wstring path) : path_(std::move(path)) {}

    // The names of all sections, in file order.
    std::vector<std::string> SectionNames();
    // An absent section reads as one without lines.
    Section ReadSection(const std::string& name);
    // The lines before the first section (notes for whoever edits the file
    // by hand), which no profile function returns, in the ANSI code page.
    std::string Preamble();
    // Puts the comment lines of the first section of that name in the file
    // among the entries ReadSection gave, where they stand, so that a save
    // keeps them.
    void AddComments(Section& section);
    // The key as the platform's integer reader takes it: the default when it
    // is missing or empty; plain decimal text is converted here, any other
    // form (hex prefixes, overflow, trailing letters) is left to the platform.
    std::int32_t ReadInt(const Section& section, const char* key, std::int32_t fallback) const;

private:
    template <typename Read>
    std::vector<std::string> readList(Read&& read);
    // The file's text, decoded once.
    const std::wstring& text();

    std::wstring path_;
    std::vector<wchar_t> buffer_;
    std::optional<std::wstring> text_;
};

// The lines of a settings file, each in the form the private-profile layer
// reads back as it was written: the blanks that it would drop around names
// and values (a NUL byte in a line can leave some behind) are left out.
class FileText {
public:
    // Lines as they stand, each with its line break.
    void Lines(std::string_view lines) { text_ += lines; }
    void Header(std::string_view name);
    // `value` goes in as it stands (see EncodeValue for texts).
    void Key(std::string_view key, std::string_view value);
    // A line as it was read.
    void Line(const Entry& entry);
    const std::string& Text() const { return text_; }

private:
    void end();

    std::string text_;
};

// What the value text of a line means: the blanks at both ends and one pair
// of matching surrounding quotes (" or ') do not belong to it.
std::string DecodeValue(std::string_view raw);
// The value text that decodes to `text`: quoted only when decoding would
// alter it (blanks or control characters at either end, or a quote pair
// around it). `text` must hold no line break.
std::string EncodeValue(const std::string& text);

// Writes `text` as the whole file: into a temporary file beside it, flushed,
// then moved over the old one, so that the file is always either the old or
// the new one, whole. A read-only file is left alone and counts as a
// failure. Nothing is written when the file holds `text` already. Failures
// are logged; the temporary file never stays behind.
bool ReplaceFileText(const std::wstring& path, const std::string& text);

}  // namespace quillora::ini
