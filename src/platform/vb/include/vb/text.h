// Text functions with the runtime's semantics over UTF-8 text.
//
// Lengths and positions count characters (code points), not bytes, and are
// 1-based where the runtime's are. Trim removes blanks (spaces) only.
// Comparisons "as text" ignore letter case, including the accented letters of
// Latin-1 (Á and á are equal).
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace vb {

enum class Compare { Binary, Text };

std::string Trim(std::string_view s);
std::string LTrim(std::string_view s);
std::string RTrim(std::string_view s);
std::string UCase(std::string_view s);
std::string LCase(std::string_view s);

std::size_t Len(std::string_view s);  // characters
std::string Left(std::string_view s, std::size_t n);
std::string Right(std::string_view s, std::size_t n);
// Characters from `start` (1-based) on; `length` characters or to the end.
// Raises error 5 when start < 1.
std::string Mid(std::string_view s, long start);
std::string Mid(std::string_view s, long start, long length);

// 1-based character position of `find` in `s` from `start`, 0 when absent.
// An empty `find` gives `start` (when start <= Len(s) + 1). Raises 5 when start < 1.
long InStr(std::string_view s, std::string_view find, Compare compare = Compare::Binary);
long InStr(long start, std::string_view s, std::string_view find, Compare compare = Compare::Binary);
long InStrRev(std::string_view s, std::string_view find, Compare compare = Compare::Binary);

// Every occurrence, left to right, without overlap. An empty `find` changes nothing.
std::string Replace(std::string_view s, std::string_view find, std::string_view with,
                    Compare compare = Compare::Binary);

bool Contains(std::string_view s, std::string_view find, Compare compare = Compare::Binary);
bool Equals(std::string_view a, std::string_view b, Compare compare = Compare::Text);
bool StartsWith(std::string_view s, std::string_view prefix, Compare compare = Compare::Text);
bool EndsWith(std::string_view s, std::string_view suffix, Compare compare = Compare::Text);

// Byte offset of `find` in `s` at or after byte offset `from`, npos when absent.
std::size_t FindBytes(std::string_view s, std::string_view find, std::size_t from = 0,
                      Compare compare = Compare::Binary);

std::string Space(std::size_t n);
std::string RepeatText(std::size_t n, std::string_view ch);  // String$(n, ch)
// The character with the given code (0..255 as U+0000..U+00FF), UTF-8 encoded.
std::string Chr(int code);
inline const std::string kChr255 = "\xC3\xBF";
inline constexpr std::string_view kCrLf = "\r\n";
inline constexpr std::string_view kCr = "\r";
inline constexpr std::string_view kLf = "\n";

}  // namespace vb
