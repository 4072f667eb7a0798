#include "vb/text.h"

#include <algorithm>

#include "utf8.h"
#include "vb/error.h"

namespace vb {

namespace {

using detail::ByteOffsetOfChar;
using detail::CharsBefore;
using detail::CountChars;

// Case mapping of ASCII and the Latin-1 letters. Every mapped character keeps
// its length in bytes (Latin-1 letters are all "\xC3" plus one byte), so byte
// offsets in a folded text are the offsets in the original.
enum class CaseTo { Upper, Lower };

std::string MapCase(std::string_view s, CaseTo to) {
    const bool upper = to == CaseTo::Upper;
    // The letters that change: ASCII from `ascii` on, Latin-1 second bytes
    // from `latin` on (U+00C0..U+00DE <-> U+00E0..U+00FE), except U+00D7 and
    // U+00F7; both move by `shift`.
    const unsigned char ascii = upper ? 'a' : 'A';
    const unsigned char latin = upper ? 0xA0 : 0x80;
    const unsigned char sign = upper ? 0xB7 : 0x97;
    const int shift = upper ? -0x20 : 0x20;
    std::string out(s);
    char* p = out.data();
    const std::size_t n = out.size();
    for (std::size_t i = 0; i < n; ++i) {
        const auto c = static_cast<unsigned char>(p[i]);
        if (static_cast<unsigned char>(c - ascii) < 26) {
            p[i] = static_cast<char>(c + shift);
        } else if (c == 0xC3 && i + 1 < n) {
            const auto next = static_cast<unsigned char>(p[i + 1]);
            if (static_cast<unsigned char>(next - latin) <= 0x1E && next != sign) p[i + 1] = static_cast<char>(next + shift);
            if (next >= 0x80 && next <= 0xBF) ++i;
        }
    }
    return out;
}

std::string Fold(std::string_view s, Compare compare) {
    return compare == Compare::Text ? MapCase(s, CaseTo::Lower) : std::string(s);
}

void RequireStart(long start) {
    if (start < 1) Raise(kErrInvalidCall, "Invalid procedure call or argument");
}

}  // namespace

std::string Trim(std::string_view s) { return LTrim(RTrim(s)); }

std::string LTrim(std::string_view s) {
    const auto first = s.find_first_not_of(' ');
    return first == std::string_view::npos ? std::string() : std::string(s.substr(first));
}

std::string RTrim(std::string_view s) {
    const auto last = s.find_last_not_of(' ');
    return last == std::string_view::npos ? std::string() : std::string(s.substr(0, last + 1));
}

std::string UCase(std::string_view s) { return MapCase(s, CaseTo::Upper); }
std::string LCase(std::string_view s) { return MapCase(s, CaseTo::Lower); }

std::size_t Len(std::string_view s) { return CountChars(s); }

std::string Left(std::string_view s, std::size_t n) {
    return std::string(s.substr(0, ByteOffsetOfChar(s, n)));
}

std::string Right(std::string_view s, std::size_t n) {
    const std::size_t length = CountChars(s);
    if (n >= length) return std::string(s);
    return std::string(s.substr(ByteOffsetOfChar(s, length - n)));
}

std::string Mid(std::string_view s, long start) {
    RequireStart(start);
    return std::string(s.substr(ByteOffsetOfChar(s, static_cast<std::size_t>(start - 1))));
}

std::string Mid(std::string_view s, long start, long length) {
    RequireStart(start);
    if (length < 0) Raise(kErrInvalidCall, "Invalid procedure call or argument");
    const std::string_view rest = s.substr(ByteOffsetOfChar(s, static_cast<std::size_t>(start - 1)));
    return std::string(rest.substr(0, ByteOffsetOfChar(rest, static_cast<std::size_t>(length))));
}

long InStr(std::string_view s, std::string_view find, Compare compare) {
    return InStr(1, s, find, compare);
}

long InStr(long start, std::string_view s, std::string_view find, Compare compare) {
    RequireStart(start);
    const std::size_t length = CountChars(s);
    if (static_cast<std::size_t>(start) > length + 1) return 0;
    if (find.empty()) return start;
    const std::size_t from = ByteOffsetOfChar(s, static_cast<std::size_t>(start - 1));
    const std::size_t at = FindBytes(s, find, from, compare);
    if (at == std::string_view::npos) return 0;
    return static_cast<long>(CharsBefore(s, at)) + 1;
}

long InStrRev(std::string_view s, std::string_view find, Compare compare) {
    if (find.empty()) return static_cast<long>(CountChars(s));
    const std::string haystack = Fold(s, compare);
    const std::size_t at = haystack.rfind(Fold(find, compare));
    if (at == std::string::npos) return 0;
    return static_cast<long>(CharsBefore(s, at)) + 1;
}

std::string Replace(std::string_view s, std::string_view find, std::string_view with,
                    Compare compare) {
    if (find.empty()) return std::string(s);
    const std::string haystack = Fold(s, compare);
    const std::string needle = Fold(find, compare);
    std::string out;
    std::size_t from = 0;
    for (;;) {
        const std::size_t at = haystack.find(needle, from);
        if (at == std::string::npos) break;
        out.append(s.substr(from, at - from));
        out.append(with);
        from = at + needle.size();
    }
    out.append(s.substr(from));
    return out;
}

bool Contains(std::string_view s, std::string_view find, Compare compare) {
    return FindBytes(s, find, 0, compare) != std::string_view::npos;
}

bool Equals(std::string_view a, std::string_view b, Compare compare) {
    return a.size() == b.size() && Fold(a, compare) == Fold(b, compare);
}

bool StartsWith(std::string_view s, std::string_view prefix, Compare compare) {
    return s.size() >= prefix.size() && Equals(s.substr(0, prefix.size()), prefix, compare);
}

bool EndsWith(std::string_view s, std::string_view suffix, Compare compare) {
    return s.size() >= suffix.size() &&
           Equals(s.substr(s.size() - suffix.size()), suffix, compare);
}

std::size_t FindBytes(std::string_view s, std::string_view find, std::size_t from,
                      Compare compare) {
    if (from > s.size()) return std::string_view::npos;
    if (compare == Compare::Binary) return s.find(find, from);
    return Fold(s, compare).find(Fold(find, compare), from);
}

std::string Space(std::size_t n) { return std::string(n, ' '); }

std::string RepeatText(std::size_t n, std::string_view ch) {
    if (ch.empty()) Raise(kErrInvalidCall, "Invalid procedure call or argument");
    const std::string_view first = ch.substr(0, detail::CharLength(ch, 0));
    std::string out;
    out.reserve(n * first.size());
    for (std::size_t i = 0; i < n; ++i) out.append(first);
    return out;
}

std::string Chr(int code) {
    if (code < 0 || code > 255) Raise(kErrInvalidCall, "Invalid procedure call or argument");
    if (code < 0x80) return std::string(1, static_cast<char>(code));
    return {static_cast<char>(0xC0 | (code >> 6)), static_cast<char>(0x80 | (code & 0x3F))};
}

}  // namespace vb
