#include "utf8.h"

namespace vb::detail {

namespace {

bool IsContinuation(unsigned char c) { return (c & 0xC0) == 0x80; }

}  // namespace

std::size_t CharLength(std::string_view s, std::size_t i) {
    const auto c = static_cast<unsigned char>(s[i]);
    if (c < 0x80) return 1;
    std::size_t len = 0;
    unsigned char lo = 0x80, hi = 0xBF;  // allowed range of the second byte
    if (c >= 0xC2 && c <= 0xDF) {
        len = 2;
    } else if (c >= 0xE0 && c <= 0xEF) {
        len = 3;
        if (c == 0xE0) lo = 0xA0;  // overlong
        if (c == 0xED) hi = 0x9F;  // surrogates
    } else if (c >= 0xF0 && c <= 0xF4) {
        len = 4;
        if (c == 0xF0) lo = 0x90;
        if (c == 0xF4) hi = 0x8F;
    } else {
        return 1;
    }
    if (i + len > s.size()) return 1;
    const auto second = static_cast<unsigned char>(s[i + 1]);
    if (second < lo || second > hi) return 1;
    for (std::size_t k = 2; k < len; ++k)
        if (!IsContinuation(static_cast<unsigned char>(s[i + k]))) return 1;
    return len;
}

std::size_t CountChars(std::string_view s) { return CharsBefore(s, s.size()); }

std::size_t ByteOffsetOfChar(std::string_view s, std::size_t n) {
    std::size_t i = 0;
    while (n > 0 && i < s.size()) {
        i += CharLength(s, i);
        --n;
    }
    return i;
}

std::size_t CharsBefore(std::string_view s, std::size_t byteOffset) {
    if (byteOffset > s.size()) byteOffset = s.size();
    std::size_t count = 0;
    std::size_t i = 0;
    while (i < byteOffset) {
        // A character cut by the offset counts byte by byte.
        const std::size_t len = CharLength(s.substr(0, byteOffset), i);
        i += len;
        ++count;
    }
    return count;
}

}  // namespace vb::detail
