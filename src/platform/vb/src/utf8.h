// UTF-8 walking for the text functions. A byte that does not start a valid
// sequence counts as one character of its own, so broken text never makes a
// position run past the end.
#pragma once

#include <cstddef>
#include <string_view>

namespace vb::detail {

// Length in bytes of the character starting at s[i] (1 for an invalid byte).
std::size_t CharLength(std::string_view s, std::size_t i);
// Number of characters in s.
std::size_t CountChars(std::string_view s);
// Byte offset of the character with 0-based index `n` (s.size() when past the end).
std::size_t ByteOffsetOfChar(std::string_view s, std::size_t n);
// Number of characters in s[0, byteOffset).
std::size_t CharsBefore(std::string_view s, std::size_t byteOffset);

}  // namespace vb::detail
