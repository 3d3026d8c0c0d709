#include "rules/SettingsFile.h"

#include <windows.h>

#include <algorithm>
#include <cstring>

#include "win/Handles.h"
#include "win/Log.h"

namespace quillora::ini {

namespace {

// What the private-profile layer trims around keys and values. Each is below
// 0x40, so none of them is ever the trail byte of a double-byte character.
constexpr std::string_view kBlanks = " \t\v\f\r\n\x1a";
constexpr DWORD kFirstListSize = 4096;
// Far beyond any settings file; stops the growth if the file keeps growing.
constexpr DWORD kMaxListSize = 1u << 28;
constexpr int kMoveAttempts = 5;
constexpr DWORD kMoveRetryMs = 50;

bool isAscii(std::string_view text) {
    for (char c : text)
        if (static_cast<unsigned char>(c) >= 0x80) return false;
    return true;
}

std::wstring widened(std::string_view text) {
    std::wstring wide(text.size(), L'\0');
    const int length = MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), wide.data(),
                                           static_cast<int>(wide.size()));
    wide.resize(static_cast<std::size_t>(length > 0 ? length : 0));
    return wide;
}

// Whether the private-profile layer could take the character for a blank
// and drop it at the end of a value: control characters and every kind of
// space, in the ANSI code page.
bool mayBeTrimmed(std::string_view character) {
    const auto first = static_cast<unsigned char>(character.front());
    if (first < 0x80) return first <= 0x20 || first == 0x7f;
    const std::wstring wide = widened(character);
    WORD type = 0;
    return wide.empty() ||
           (GetStringTypeW(CT_CTYPE1, wide.data(), 1, &type) && (type & (C1_SPACE | C1_CNTRL)) != 0);
}

std::size_t characterLength(std::string_view text, std::size_t at) {
    return IsDBCSLeadByte(static_cast<BYTE>(text[at])) && at + 1 < text.size() ? 2 : 1;
}

std::string_view lastCharacter(std::string_view text) {
    std::size_t at = 0;
    while (at + characterLength(text, at) < text.size()) at += characterLength(text, at);
    return text.substr(at);
}

bool isQuote(char c) { return c == '"' || c == '\''; }

bool isQuotePair(std::string_view text) {
    return text.size() >= 2 && isQuote(text.front()) && text.back() == text.front();
}

// Plain decimal int32 text ("-" and up to nine digits): the form the settings
// write, and one every integer reader agrees on.
std::optional<std::int32_t> plainDecimal(std::string_view text) {
    const bool negative = !text.empty() && text.front() == '-';
    if (negative) text.remove_prefix(1);
    if (text.empty() || text.size() > 9) return std::nullopt;
    std::int32_t value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return std::nullopt;
        value = value * 10 + (c - '0');
    }
    return negative ? -value : value;
}

Entry parseEntry(std::string_view line) {
    Entry entry;
    const std::size_t equals = line.find('=');
    entry.key = TrimBlanks(line.substr(0, equals));
    if (equals != std::string_view::npos) entry.value = line.substr(equals + 1);
    return entry;
}

// The file's bytes; empty when it is missing, unreadable or beyond reason.
std::string fileBytes(const std::wstring& path) {
    win::KernelHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                       nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    LARGE_INTEGER size{};
    if (!file || !GetFileSizeEx(file.get(), &size) || size.QuadPart >= kMaxListSize) return {};
    std::string bytes(static_cast<std::size_t>(size.QuadPart), '\0');
    DWORD read = 0;
    if (!ReadFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr)) return {};
    bytes.resize(read);
    return bytes;
}

// The file's text as the profile layer reads it: by its byte-order mark
// UTF-8 or UTF-16, otherwise the ANSI code page.
std::wstring fileText(const std::string& bytes) {
    std::wstring text;
    if (bytes.size() >= 2 && (bytes[0] == '\xff' || bytes[0] == '\xfe') && bytes[1] == static_cast<char>(bytes[0] ^ 1)) {
        const bool bigEndian = bytes[0] == '\xfe';
        for (std::size_t at = 2; at + 1 < bytes.size(); at += 2) {
            const auto high = static_cast<unsigned char>(bytes[at + (bigEndian ? 0 : 1)]);
            const auto low = static_cast<unsigned char>(bytes[at + (bigEndian ? 1 : 0)]);
            text += static_cast<wchar_t>(high << 8 | low);
        }
        return text;
    }
    const bool utf8 = bytes.rfind("\xef\xbb\xbf", 0) == 0;
    const std::string_view body = std::string_view(bytes).substr(utf8 ? 3 : 0);
    text.resize(body.size());
    const int length = MultiByteToWideChar(utf8 ? CP_UTF8 : CP_ACP, 0, body.data(), static_cast<int>(body.size()),
                                           text.data(), static_cast<int>(text.size()));
    text.resize(static_cast<std::size_t>(length > 0 ? length : 0));
    return text;
}

// Where the first line that opens a section begins: one that starts with '['
// and holds a ']' once the blanks around it are left out.
std::size_t firstHeader(std::wstring_view text) {
    constexpr std::wstring_view blanks = L" \t\v\f\r\n\x1a";
    for (std::size_t start = 0; start < text.size();) {
        std::size_t end = text.find_first_of(L"\r\n", start);
        if (end == std::wstring_view::npos) end = text.size();
        const std::wstring_view line = text.substr(start, end - start);
        const std::size_t first = line.find_first_not_of(blanks);
        if (first != std::wstring_view::npos && line[first] == L'[' && line.find(L']', first) != std::wstring_view::npos)
            return start;
        start = end + 1;
    }
    return text.size();
}

std::string narrowed(std::wstring_view text) {
    std::string narrow(text.size() * 2, '\0');
    const int bytes = WideCharToMultiByte(CP_ACP, 0, text.data(), static_cast<int>(text.size()), narrow.data(),
                                          static_cast<int>(narrow.size()), nullptr, nullptr);
    narrow.resize(static_cast<std::size_t>(bytes > 0 ? bytes : 0));
    return narrow;
}

bool writeFlushed(const std::wstring& path, const std::string& text) {
    SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);  // a leftover marked read-only or hidden
    win::KernelHandle file(
        CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
        win::LogFailure("CreateFileW (settings)");
        return false;
    }
    DWORD written = 0;
    if (!WriteFile(file.get(), text.data(), static_cast<DWORD>(text.size()), &written, nullptr) ||
        written != text.size()) {
        win::LogFailure("WriteFile (settings)");
        return false;
    }
    if (!FlushFileBuffers(file.get())) {
        win::LogFailure("FlushFileBuffers (settings)");
        return false;
    }
    return true;
}

// A virus scanner or indexer may hold either file open for a moment.
bool moveOver(const std::wstring& from, const std::wstring& to) {
    for (int attempt = 1;; ++attempt) {
        if (MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) return true;
        const DWORD error = GetLastError();
        const bool busy =
            error == ERROR_SHARING_VIOLATION || error == ERROR_ACCESS_DENIED || error == ERROR_LOCK_VIOLATION;
        if (!busy || attempt == kMoveAttempts) {
            SetLastError(error);
            win::LogFailure("MoveFileExW (settings)");
            return false;
        }
        Sleep(kMoveRetryMs);
    }
}

}  // namespace

std::string_view TrimBlanks(std::string_view text) {
    const std::size_t first = text.find_first_not_of(kBlanks);
    if (first == std::string_view::npos) return {};
    return text.substr(first, text.find_last_not_of(kBlanks) - first + 1);
}

bool SameName(std::string_view a, std::string_view b) {
    if (isAscii(a) && isAscii(b)) {
        const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
        return a.size() == b.size() &&
               std::equal(a.begin(), a.end(), b.begin(), [&](char x, char y) { return lower(x) == lower(y); });
    }
    const std::wstring wa = widened(a), wb = widened(b);
    return CompareStringOrdinal(wa.c_str(), static_cast<int>(wa.size()), wb.c_str(), static_cast<int>(wb.size()),
                                TRUE) == CSTR_EQUAL;
}

const Entry* Section::Find(std::string_view key) const {
    for (const Entry& entry : entries)
        if (SameName(entry.key, key)) return &entry;
    return nullptr;
}

// The platform answers with strings each ending in a NUL and the list in a
// second NUL; a list cut short to fit is answered with size - 2. The wide
// functions take a path in any script; their text is what the ANSI ones
// give, converted back as those do.
template <typename Read>
std::vector<std::string> ProfileReader::readList(Read&& read) {
    if (buffer_.empty()) buffer_.resize(kFirstListSize);
    DWORD length = 0;
    for (;;) {
        const auto size = static_cast<DWORD>(buffer_.size());
        length = read(buffer_.data(), size);
        if (length + 2 < size || size >= kMaxListSize) break;
        buffer_.resize(2 * buffer_.size());
    }
    std::vector<std::string> list;
    for (DWORD at = 0; at < length && buffer_[at];) {
        const std::size_t n = wcsnlen(buffer_.data() + at, length - at);
        list.push_back(narrowed(std::wstring_view(buffer_.data() + at, n)));
        at += static_cast<DWORD>(n) + 1;
    }
    return list;
}

std::vector<std::string> ProfileReader::SectionNames() {
    return readList(
        [&](wchar_t* buffer, DWORD size) { return GetPrivateProfileSectionNamesW(buffer, size, path_.c_str()); });
}

Section ProfileReader::ReadSection(const std::string& name) {
    Section section{name, {}};
    const std::wstring wideName = widened(name);
    for (const std::string& line : readList([&](wchar_t* buffer, DWORD size) {
             return static_cast<DWORD>(GetPrivateProfileSectionW(wideName.c_str(), buffer, size, path_.c_str()));
         })) {
        // A line without a name ("=text") is found by no key; whether the
        // platform even returns it depends on the line before it.
        Entry entry = parseEntry(line);
        if (!entry.key.empty()) section.entries.push_back(std::move(entry));
    }
    return section;
}

std::int32_t ProfileReader::ReadInt(const Section& section, const char* key, std::int32_t fallback) const {
    const Entry* entry = section.Find(key);
    if (!entry || !entry->value) return fallback;
    const std::string text = DecodeValue(*entry->value);
    if (text.empty()) return fallback;
    if (const std::optional<std::int32_t> value = plainDecimal(text)) return *value;
    return static_cast<std::int32_t>(
        GetPrivateProfileIntW(widened(section.name).c_str(), widened(key).c_str(), fallback, path_.c_str()));
}

void FileText::Header(std::string_view name) {
    text_ += '[';
    text_ += TrimBlanks(name);
    text_ += ']';
    end();
}

void FileText::Key(std::string_view key, std::string_view value) {
    text_ += TrimBlanks(key);
    text_ += '=';
    text_ += value;
    end();
}

void FileText::Line(const Entry& entry) {
    if (entry.value) {
        Key(entry.key, TrimBlanks(*entry.value));
    } else {
        text_ += entry.key;
        end();
    }
}

void FileText::end() { text_ += "\r\n"; }

std::string DecodeValue(std::string_view raw) {
    std::string_view text = TrimBlanks(raw);
    if (isQuotePair(text)) text = text.substr(1, text.size() - 2);
    return std::string(text);
}

std::string EncodeValue(const std::string& text) {
    if (text.empty()) return text;
    const bool quote = isQuotePair(text) || mayBeTrimmed(text.substr(0, characterLength(text, 0))) ||
                       mayBeTrimmed(lastCharacter(text));
    return quote ? '"' + text + '"' : text;
}

const std::wstring& ProfileReader::text() {
    if (!text_) text_ = fileText(fileBytes(path_));
    return *text_;
}

std::string ProfileReader::Preamble() {
    std::string preamble = narrowed(std::wstring_view(text()).substr(0, firstHeader(text())));
    if (!preamble.empty() && preamble.back() != '\n' && preamble.back() != '\r') preamble += "\r\n";  // no sections
    return preamble;
}

void ProfileReader::AddComments(Section& section) {
    std::wstring_view rest(text());
    rest.remove_prefix(firstHeader(rest));
    bool inside = false;
    std::size_t at = 0;  // where the next comment goes among the entries
    while (!rest.empty()) {
        const std::wstring_view line = rest.substr(0, std::min(rest.find_first_of(L"\r\n"), rest.size()));
        rest.remove_prefix(std::min(line.size() + 1, rest.size()));
        std::string narrow = narrowed(line);
        const std::string_view content = TrimBlanks(narrow);
        if (content.empty()) continue;
        if (firstHeader(line) == 0) {
            if (inside) return;  // only the first section of that name
            const std::size_t open = line.find(L'[');
            const std::string name = narrowed(line.substr(open + 1, line.rfind(L']') - open - 1));
            inside = SameName(TrimBlanks(name), TrimBlanks(section.name));
        } else if (inside && content.front() == ';') {
            at = std::min(at, section.entries.size());
            section.entries.insert(section.entries.begin() + static_cast<std::ptrdiff_t>(at++),
                                   Entry{std::move(narrow), std::nullopt});
        } else if (inside && !parseEntry(narrow).key.empty()) {
            ++at;  // past a line that ReadSection gave as an entry
        }
    }
}

bool ReplaceFileText(const std::wstring& path, const std::string& text) {
    if (fileBytes(path) == text) return true;
    const DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY)) {
        win::Log("%ls is read-only; the settings were not saved", path.c_str());
        return false;
    }
    const std::wstring temporary = path + L".tmp";
    if (writeFlushed(temporary, text) && moveOver(temporary, path)) return true;
    DeleteFileW(temporary.c_str());
    return false;
}

}  // namespace quillora::ini
