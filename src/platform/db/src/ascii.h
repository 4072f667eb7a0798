// ASCII letter-case helpers for SQL keywords and connection-string keys
// (which are plain ASCII; user text goes through vb/text.h instead).
#pragma once

#include <string>
#include <string_view>

namespace adodb::ascii {

inline char Upper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

inline std::string Upper(std::string_view s) {
    std::string out(s);
    for (char& c : out) c = Upper(c);
    return out;
}

inline bool EqualsNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (Upper(a[i]) != Upper(b[i])) return false;
    }
    return true;
}

inline bool StartsWithNoCase(std::string_view s, std::string_view prefix) {
    return s.size() >= prefix.size() && EqualsNoCase(s.substr(0, prefix.size()), prefix);
}

inline bool EndsWithNoCase(std::string_view s, std::string_view suffix) {
    return s.size() >= suffix.size() && EqualsNoCase(s.substr(s.size() - suffix.size()), suffix);
}

inline bool ContainsNoCase(std::string_view s, std::string_view find) {
    if (find.size() > s.size()) return false;
    for (std::size_t i = 0; i + find.size() <= s.size(); ++i) {
        if (EqualsNoCase(s.substr(i, find.size()), find)) return true;
    }
    return false;
}

}  // namespace adodb::ascii
