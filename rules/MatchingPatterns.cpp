#include "rules/MatchingPatterns.h"

#include <algorithm>
#include <exception>
#include <iterator>

#include "win/Log.h"

namespace quillora {

namespace {

// Match results with an allocator type of their own, so that the matcher
// Boost instantiates for them serves this file alone and the step limit set
// for it below applies to nothing else.
template <class T>
struct SearchAllocator : std::allocator<T> {
    template <class U>
    struct rebind {
        using other = SearchAllocator<U>;
    };
    SearchAllocator() = default;
    template <class U>
    SearchAllocator(const SearchAllocator<U>&) noexcept {}
};
using SearchResults = boost::match_results<const char*, SearchAllocator<boost::sub_match<const char*>>>;

// Boost lets one search visit max(N*S*S, N*N) + 100,000 states (N the text's
// length, S the expression's size) before it gives up, and
// BOOST_REGEX_MAX_STATE_COUNT caps only the second term: a 253-byte pattern
// took 1.9 s on a 255-byte title here, a 991-byte one 31 s. 200,000 states is
// what Boost grants a small expression on a 255-byte title, and a few
// milliseconds of work at worst.
constexpr std::ptrdiff_t kSearchStateLimit = 200000;

}  // namespace

}  // namespace quillora

template <>
void boost::BOOST_REGEX_DETAIL_NS::perl_matcher<const char*,
                                                quillora::SearchAllocator<boost::sub_match<const char*>>,
                                                boost::regex_traits<char>>::
    estimate_max_state_count(std::random_access_iterator_tag*) {
    max_state_count = quillora::kSearchStateLimit;
}

namespace quillora {

namespace {

bool describes(const CompiledPatterns& patterns, const Rule& rule) {
    return patterns.method == rule.MatchMethod && patterns.fields[0].text == rule.AppName &&
           patterns.fields[1].text == rule.ClassName && patterns.fields[2].text == rule.Title;
}

std::shared_ptr<const CompiledPatterns> compile(const Rule& rule) {
    auto patterns = std::make_shared<CompiledPatterns>();
    patterns->method = rule.MatchMethod;
    const std::string* texts[kPatternFields] = {&rule.AppName, &rule.ClassName, &rule.Title};
    for (int i = 0; i < kPatternFields; ++i) {
        CompiledPatterns::Field& field = patterns->fields[i];
        field.text = *texts[i];
        if (field.text.empty()) continue;
        if (rule.MatchMethod == MatchWildcardMethod) field.mask = FoldText(field.text);
        if (rule.MatchMethod == MatchRegexMethod) {
            field.expression = CompileRegex(field.text);
            if (field.expression.empty())
                win::Log("rule pattern is not a valid regular expression and never matches: %.200s",
                         field.text.c_str());
        }
    }
    return patterns;
}

// One ';'-separated alternative against the whole subject. Backtracks only to
// the last '*', which is enough for masks of '*' and '?' and keeps the work
// proportional to subject length times mask length.
bool alternativeMatches(std::wstring_view subject, std::wstring_view mask) {
    std::size_t s = 0, m = 0;
    std::size_t star = std::wstring_view::npos, starSubject = 0;
    while (s < subject.size()) {
        if (m < mask.size() && mask[m] == L'*') {
            star = ++m;
            starSubject = s;
        } else if (m < mask.size() && (mask[m] == L'?' || mask[m] == subject[s])) {
            ++m;
            ++s;
        } else if (star != std::wstring_view::npos) {
            m = star;
            s = ++starSubject;
        } else {
            return false;
        }
    }
    while (m < mask.size() && mask[m] == L'*') ++m;
    return m == mask.size();
}

}  // namespace

void SubjectText::Assign(std::string_view text, int size) {
    const int room = std::min(size, kCapacity) - 1;
    const std::size_t length = std::min(text.size(), static_cast<std::size_t>(std::max(room, 0)));
    std::copy_n(text.data(), length, bytes_);
    SetLength(static_cast<int>(length));
}

void SubjectText::SetLength(int length) {
    length_ = static_cast<std::size_t>(std::clamp(length, 0, kCapacity - 1));
    bytes_[length_] = '\0';
    foldedLength_ = -1;
}

std::wstring_view SubjectText::Folded() {
    if (foldedLength_ < 0) {
        const int length = length_ == 0 ? 0
                                        : MultiByteToWideChar(CP_ACP, 0, bytes_, static_cast<int>(length_), folded_,
                                                              kCapacity);
        foldedLength_ = length > 0 ? static_cast<int>(CharUpperBuffW(folded_, static_cast<DWORD>(length))) : 0;
    }
    return {folded_, static_cast<std::size_t>(foldedLength_)};
}

const CompiledPatterns& CurrentPatterns(const Rule& rule) {
    const std::shared_ptr<const CompiledPatterns>& cached = rule.Compiled.Patterns;
    if (!cached || !describes(*cached, rule)) rule.Compiled.Patterns = compile(rule);
    return *rule.Compiled.Patterns;
}

bool RegexBudget::Search(std::string_view subject, const CompiledPatterns::Field& pattern) {
    if (spent_) return false;
    const ULONGLONG now = GetTickCount64();
    if (deadline_ == 0) {
        deadline_ = now + kMilliseconds;
    } else if (now > deadline_) {
        spent_ = true;
        win::Log("regular expressions used up their %d ms for this window; the rest do not match",
                 static_cast<int>(kMilliseconds));
        return false;
    }
    return RegexMatches(subject, pattern);
}

bool ExactMatches(std::string_view subject, std::string_view pattern) { return subject == pattern; }

bool WildcardMatches(std::wstring_view subject, std::wstring_view mask) {
    if (mask == L"*.*") return true;  // PathMatchSpec's "all files"
    std::size_t start = 0;
    while (start < mask.size()) {
        while (start < mask.size() && mask[start] == L' ') ++start;
        const std::size_t end = std::min(mask.find(L';', start), mask.size());
        if (alternativeMatches(subject, mask.substr(start, end - start))) return true;
        start = end + 1;
    }
    return false;
}

bool RegexMatches(std::string_view subject, const CompiledPatterns::Field& pattern) {
    if (pattern.expression.empty()) return false;
    // Kept between searches (UI thread only), so that a search allocates
    // nothing once the largest expression has been seen.
    static SearchResults results;
    try {
        return boost::regex_search(subject.data(), subject.data() + subject.size(), results, pattern.expression);
    } catch (const std::exception&) {
        win::Log("regular expression gave up on a window text (too complex): %.200s", pattern.text.c_str());
        return false;
    }
}

std::wstring FoldText(std::string_view text) {
    if (text.empty()) return {};
    const int size = static_cast<int>(text.size());
    const int length = MultiByteToWideChar(CP_ACP, 0, text.data(), size, nullptr, 0);
    if (length <= 0) return {};
    std::wstring folded(static_cast<std::size_t>(length), L'\0');
    MultiByteToWideChar(CP_ACP, 0, text.data(), size, folded.data(), length);
    CharUpperBuffW(folded.data(), static_cast<DWORD>(length));
    return folded;
}

boost::regex CompileRegex(const std::string& pattern) {
    boost::regex expression(pattern, boost::regex::perl | boost::regex::no_except);
    if (expression.status() != 0) return boost::regex();
    return expression;
}

}  // namespace quillora
