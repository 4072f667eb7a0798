#include "sqlite_functions.h"

#include <QChar>
#include <sqlite3.h>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <limits>
#include <stdexcept>
#include <vector>

#include "ascii.h"
#include "vb/conv.h"
#include "vb/datetime.h"
#include "vb/text.h"

namespace adodb::sqlite {
namespace {

// A failure inside a function: the statement fails with this message.
struct FunctionError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

std::string_view TextArg(sqlite3_value* v) {
    const auto* text = reinterpret_cast<const char*>(sqlite3_value_text(v));
    return text ? std::string_view(text, static_cast<std::size_t>(sqlite3_value_bytes(v))) : std::string_view();
}

void ResultText(sqlite3_context* ctx, std::string_view text) {
    sqlite3_result_text(ctx, text.data(), static_cast<int>(text.size()), SQLITE_TRANSIENT);
}

// What a function reads from its first argument, a constant of the
// statement (a CONVERT's type, a LIKE's pattern), with `extra` what else it
// was read with (a LIKE's escape): read once per statement and kept with it.
// The one last read on this thread is also kept aside, with what it was read
// from: the calls of one statement mostly ask for that one, which is then
// found without a look through the statement's kept data.
template <class T, class Read>
const T& ReadOnce(sqlite3_context* ctx, sqlite3_value* arg, std::string_view extra, Read&& read) {
    struct Kept {
        std::string extra;
        T value;
    };
    struct Last {
        sqlite3* db = nullptr;
        std::string text;
        Kept kept;
    };
    thread_local Last last;
    sqlite3* db = sqlite3_context_db_handle(ctx);
    const std::string_view text = TextArg(arg);
    if (last.db == db && last.text == text && last.kept.extra == extra) return last.kept.value;
    const auto* kept = static_cast<const Kept*>(sqlite3_get_auxdata(ctx, 0));
    Kept fresh;
    if (!kept || kept->extra != extra) {
        fresh = {std::string(extra), read(text)};
        kept = &fresh;
        sqlite3_set_auxdata(ctx, 0, new Kept(fresh), [](void* p) { delete static_cast<Kept*>(p); });
    }
    last.db = db;
    last.text.assign(text);
    last.kept = *kept;
    return last.kept.value;
}

std::string_view TrimBlanks(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
    return s;
}

bool Digits(std::string_view s, std::size_t pos, std::size_t len, int& out) {
    if (pos + len > s.size()) return false;
    out = 0;
    for (std::size_t i = pos; i < pos + len; ++i) {
        if (s[i] < '0' || s[i] > '9') return false;
        out = out * 10 + (s[i] - '0');
    }
    return true;
}

// "TYPE", "TYPE(n)", "TYPE(p,s)", "TYPE(MAX)".
struct TargetType {
    std::string base;
    int length = -1;
    int scale = -1;
};

TargetType ParseType(std::string_view text) {
    TargetType target;
    const std::size_t open = text.find('(');
    target.base = ascii::Upper(text.substr(0, open));
    if (open != std::string_view::npos) {
        std::string_view args = text.substr(open + 1);
        args = args.substr(0, args.find(')'));
        const std::size_t comma = args.find(',');
        int value = 0;
        const std::string_view first = args.substr(0, comma);
        if (std::from_chars(first.data(), first.data() + first.size(), value).ec == std::errc()) target.length = value;
        if (comma != std::string_view::npos) {
            const std::string_view second = args.substr(comma + 1);
            if (std::from_chars(second.data(), second.data() + second.size(), value).ec == std::errc()) target.scale = value;
        }
    }
    return target;
}

bool IsTextType(const std::string& b) {
    return b == "NVARCHAR" || b == "VARCHAR" || b == "CHAR" || b == "NCHAR" || b == "TEXT" || b == "NTEXT" || b == "SYSNAME";
}
bool IsWholeType(const std::string& b) {
    return b == "INT" || b == "INTEGER" || b == "BIGINT" || b == "SMALLINT" || b == "TINYINT" || b == "BIT";
}
bool IsDateType(const std::string& b) { return b == "DATETIME" || b == "SMALLDATETIME" || b == "DATE" || b == "DATETIME2"; }

std::string IsoText(const IsoDateTime& d, bool dateOnly) {
    char buf[32];
    if (dateOnly) std::snprintf(buf, sizeof buf, "%04d-%02d-%02d", d.year, d.month, d.day);
    else std::snprintf(buf, sizeof buf, "%04d-%02d-%02d %02d:%02d:%02d", d.year, d.month, d.day, d.hour, d.minute, d.second);
    return buf;
}

IsoDateTime FromDate(const vb::Date& date) {
    const vb::DateParts p = date.Parts();
    return {p.year, p.month, p.day, p.hour, p.minute, p.second};
}

// The longest text of a CONVERT style ("yyyy-mm-dd hh:mm:ss").
constexpr std::size_t kStyledSize = 19;

// A date as text in one of the server's CONVERT styles, written to `out`;
// its length. The style is a pattern where d, m, y, Y (four digits), H, M
// and S stand for two-digit parts.
std::size_t FormatStyle(const IsoDateTime& d, int style, char (&out)[kStyledSize]) {
    const char* pattern = nullptr;
    switch (style) {
        case 1: pattern = "m/d/y"; break;
        case 101: pattern = "m/d/Y"; break;
        case 2: pattern = "y.m.d"; break;
        case 102: pattern = "Y.m.d"; break;
        case 3: pattern = "d/m/y"; break;
        case 103: pattern = "d/m/Y"; break;
        case 4: pattern = "d.m.y"; break;
        case 104: pattern = "d.m.Y"; break;
        case 5: pattern = "d-m-y"; break;
        case 105: pattern = "d-m-Y"; break;
        case 8:
        case 108: pattern = "H:M:S"; break;
        case 10: pattern = "m-d-y"; break;
        case 110: pattern = "m-d-Y"; break;
        case 11: pattern = "y/m/d"; break;
        case 111: pattern = "Y/m/d"; break;
        case 12: pattern = "ymd"; break;
        case 112: pattern = "Ymd"; break;
        case 20:
        case 120: pattern = "Y-m-d H:M:S"; break;
        case 23: pattern = "Y-m-d"; break;
        default: throw FunctionError("CONVERT style " + std::to_string(style) + " is not supported");
    }
    std::size_t size = 0;
    const auto two = [&](int v) {
        out[size++] = static_cast<char>('0' + v / 10 % 10);
        out[size++] = static_cast<char>('0' + v % 10);
    };
    for (const char* p = pattern; *p; ++p) {
        switch (*p) {
            case 'd': two(d.day); break;
            case 'm': two(d.month); break;
            case 'y': two(d.year % 100); break;
            case 'Y': two(d.year / 100), two(d.year % 100); break;
            case 'H': two(d.hour); break;
            case 'M': two(d.minute); break;
            case 'S': two(d.second); break;
            default: out[size++] = *p;
        }
    }
    return size;
}

// A text read as a date the way the server reads it for CONVERT(DATETIME, ...).
std::optional<IsoDateTime> ReadDate(std::string_view text, std::optional<int> style) {
    text = TrimBlanks(text);
    if (auto iso = ParseIsoDateTime(text)) return iso;
    const int s = style.value_or(103);
    if (s == 112 || s == 12) {
        int y = 0, m = 0, d = 0;
        const bool full = text.size() == 8;
        if ((text.size() == 8 || text.size() == 6) && Digits(text, 0, full ? 4 : 2, y) &&
            Digits(text, full ? 4 : 2, 2, m) && Digits(text, full ? 6 : 4, 2, d)) {
            if (!full) y += y < 50 ? 2000 : 1900;
            try {
                return FromDate(vb::Date::FromParts(y, m, d));
            } catch (...) {
                return std::nullopt;
            }
        }
        return std::nullopt;
    }
    std::string dayFirst(text);
    if (s == 1 || s == 101 || s == 10 || s == 110) {
        // Month first: swap the first two parts.
        const std::size_t a = dayFirst.find_first_of("/-.");
        const std::size_t b = a == std::string::npos ? a : dayFirst.find(dayFirst[a], a + 1);
        if (b == std::string::npos) return std::nullopt;
        dayFirst = dayFirst.substr(a + 1, b - a - 1) + dayFirst[a] + dayFirst.substr(0, a) + dayFirst.substr(b);
    }
    if (auto date = vb::ParseDate(dayFirst)) return FromDate(*date);
    return std::nullopt;
}

std::optional<double> ReadNumber(std::string_view text) {
    text = TrimBlanks(text);
    if (text.empty()) return 0.0;
    if (text.front() == '+') text.remove_prefix(1);
    double value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    // "inf" and "nan" read as doubles but are no number to the server.
    if (ec != std::errc() || end != text.data() + text.size() || !std::isfinite(value)) return std::nullopt;
    return value;
}

double RoundAway(double value, int digits) {
    const double scale = std::pow(10.0, digits);
    return std::round(value * scale) / scale;
}

[[noreturn]] void ConversionFailed(std::string_view value, const std::string& type) {
    throw FunctionError("Conversion failed when converting the value '" + std::string(value) + "' to data type " +
                        vb::LCase(type) + ".");
}

[[noreturn]] void Overflowed(const std::string& type) {
    throw FunctionError("Arithmetic overflow error converting expression to data type " + vb::LCase(type) + ".");
}

void ConvertToWhole(sqlite3_context* ctx, sqlite3_value* value, const std::string& type) {
    std::int64_t n = 0;
    switch (sqlite3_value_type(value)) {
        case SQLITE_INTEGER: n = sqlite3_value_int64(value); break;
        case SQLITE_FLOAT: {
            const double d = std::trunc(sqlite3_value_double(value));
            if (std::fabs(d) > 9.2e18) Overflowed(type);
            n = static_cast<std::int64_t>(d);
            break;
        }
        default: {
            const std::string_view text = TrimBlanks(TextArg(value));
            if (type == "BIT" && (ascii::EqualsNoCase(text, "true") || ascii::EqualsNoCase(text, "false"))) {
                n = ascii::EqualsNoCase(text, "true");
                break;
            }
            std::string_view digits = text;
            if (!digits.empty() && digits.front() == '+') digits.remove_prefix(1);
            if (!digits.empty()) {
                const auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), n);
                if (end != digits.data() + digits.size()) ConversionFailed(text, type);
                if (ec == std::errc::result_out_of_range) Overflowed(type);
            }
        }
    }
    if (type == "BIT") {
        n = n != 0;
    } else {
        std::int64_t low = std::numeric_limits<std::int64_t>::min(), high = std::numeric_limits<std::int64_t>::max();
        if (type == "INT" || type == "INTEGER") low = INT32_MIN, high = INT32_MAX;
        if (type == "SMALLINT") low = INT16_MIN, high = INT16_MAX;
        if (type == "TINYINT") low = 0, high = 255;
        if (n < low || n > high) Overflowed(type);
    }
    sqlite3_result_int64(ctx, n);
}

void ConvertToNumber(sqlite3_context* ctx, sqlite3_value* value, const TargetType& target) {
    double d = 0;
    if (sqlite3_value_type(value) == SQLITE_INTEGER || sqlite3_value_type(value) == SQLITE_FLOAT) {
        d = sqlite3_value_double(value);
    } else {
        const std::optional<double> n = ReadNumber(TextArg(value));
        if (!n) ConversionFailed(TrimBlanks(TextArg(value)), target.base);
        d = *n;
    }
    if (target.base == "DECIMAL" || target.base == "NUMERIC") {
        const int scale = target.scale < 0 ? 0 : target.scale;
        d = RoundAway(d, scale);
        if (scale == 0 && std::fabs(d) < 9.2e18) {
            sqlite3_result_int64(ctx, static_cast<std::int64_t>(d));
            return;
        }
    } else if (target.base == "MONEY" || target.base == "SMALLMONEY") {
        d = RoundAway(d, 4);
    }
    sqlite3_result_double(ctx, d);
}

void ConvertToText(sqlite3_context* ctx, sqlite3_value* value, const TargetType& target, std::optional<int> style) {
    // Most values pass unchanged: copied once, straight into the result.
    std::string_view text = TextArg(value);
    char styled[kStyledSize];
    if (style && sqlite3_value_type(value) == SQLITE_TEXT) {
        if (const auto date = ParseIsoDateTime(text)) text = std::string_view(styled, FormatStyle(*date, *style, styled));
    }
    std::string changed;
    const auto length = static_cast<std::size_t>(target.length);
    if (target.length > 0 && text.size() > length) text = changed = vb::Left(text, length);
    ResultText(ctx, text);
}

void ConvertToDate(sqlite3_context* ctx, sqlite3_value* value, const TargetType& target, std::optional<int> style) {
    IsoDateTime date;
    if (sqlite3_value_type(value) == SQLITE_INTEGER || sqlite3_value_type(value) == SQLITE_FLOAT) {
        // Days since 1900-01-01, as the server counts.
        date = FromDate(vb::Date::FromSerial(sqlite3_value_double(value) + 2.0));
    } else {
        const std::optional<IsoDateTime> read = ReadDate(TextArg(value), style);
        if (!read) throw FunctionError("Conversion failed when converting date and/or time from character string.");
        date = *read;
    }
    ResultText(ctx, IsoText(date, target.base == "DATE"));
}

template <class F>
void Guarded(sqlite3_context* ctx, F&& f) {
    try {
        f();
    } catch (const std::exception& e) {
        sqlite3_result_error(ctx, e.what(), -1);
    } catch (...) {
        sqlite3_result_error(ctx, "Unexpected failure in a function", -1);
    }
}

void Convert(sqlite3_context* ctx, int argc, sqlite3_value** argv) {
    Guarded(ctx, [&] {
        sqlite3_value* value = argv[1];
        if (sqlite3_value_type(value) == SQLITE_NULL) {
            sqlite3_result_null(ctx);
            return;
        }
        const TargetType& target = ReadOnce<TargetType>(ctx, argv[0], {}, ParseType);
        std::optional<int> style;
        if (argc > 2 && sqlite3_value_type(argv[2]) != SQLITE_NULL) style = sqlite3_value_int(argv[2]);
        if (IsTextType(target.base)) ConvertToText(ctx, value, target, style);
        else if (IsWholeType(target.base)) ConvertToWhole(ctx, value, target.base);
        else if (IsDateType(target.base)) ConvertToDate(ctx, value, target, style);
        else ConvertToNumber(ctx, value, target);
    });
}

bool LooksIsoDate(std::string_view v) {
    int n = 0;
    return v.size() >= 10 && Digits(v, 0, 4, n) && v[4] == '-' && Digits(v, 5, 2, n) && v[7] == '-' &&
           Digits(v, 8, 2, n) && (v.size() == 10 || v[10] == ' ' || v[10] == 'T');
}

void DateLiteral(sqlite3_context* ctx, int, sqlite3_value** argv) {
    if (sqlite3_value_type(argv[0]) == SQLITE_TEXT) {
        const std::string_view column = TextArg(argv[0]);
        if (LooksIsoDate(column)) {
            std::string_view iso = TextArg(argv[1]);
            if (column.size() == 10 || column.size() == 16) iso = iso.substr(0, column.size());
            ResultText(ctx, iso);
            return;
        }
    }
    sqlite3_result_value(ctx, argv[2]);
}

void Len(sqlite3_context* ctx, int, sqlite3_value** argv) {
    if (sqlite3_value_type(argv[0]) == SQLITE_NULL) {
        sqlite3_result_null(ctx);
        return;
    }
    std::string_view text = TextArg(argv[0]);
    while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
    sqlite3_result_int64(ctx, static_cast<std::int64_t>(vb::Len(text)));
}

// A function of values that gives Null when any of them is Null: true when
// it did so.
bool NullIfAnyNull(sqlite3_context* ctx, int argc, sqlite3_value** argv) {
    for (int i = 0; i < argc; ++i) {
        if (sqlite3_value_type(argv[i]) == SQLITE_NULL) {
            sqlite3_result_null(ctx);
            return true;
        }
    }
    return false;
}

void CharIndex(sqlite3_context* ctx, int argc, sqlite3_value** argv) {
    Guarded(ctx, [&] {
        if (NullIfAnyNull(ctx, argc, argv)) return;
        const std::string_view find = TextArg(argv[0]);
        const std::string_view text = TextArg(argv[1]);
        std::int64_t start = argc > 2 ? sqlite3_value_int64(argv[2]) : 1;
        if (start < 1) start = 1;
        if (find.empty() || start > static_cast<std::int64_t>(vb::Len(text))) {
            sqlite3_result_int64(ctx, 0);
            return;
        }
        sqlite3_result_int64(ctx, vb::InStr(static_cast<long>(start), text, find, vb::Compare::Text));
    });
}

void GetDate(sqlite3_context* ctx, int, sqlite3_value**) {
    Guarded(ctx, [&] { ResultText(ctx, vb::Now().ToIso()); });
}

// ---- LIKE without regard to case, for every letter ---------------------------------------

// The value of a lead byte's own bits in a sequence, for the bytes C0 to FF.
constexpr unsigned char kLeadBits[64] = {
    0x00, 0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0x07, 0x08, 0x09, 0x0a, 0x0b, 0x0c, 0x0d, 0x0e, 0x0f,
    0x10, 0x11, 0x12, 0x13, 0x14, 0x15, 0x16, 0x17, 0x18, 0x19, 0x1a, 0x1b, 0x1c, 0x1d, 0x1e, 0x1f,
    0x00, 0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0x07, 0x08, 0x09, 0x0a, 0x0b, 0x0c, 0x0d, 0x0e, 0x0f,
    0x00, 0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0x07, 0x00, 0x01, 0x02, 0x03, 0x00, 0x01, 0x00, 0x00,
};

// One character of a UTF-8 text, read at p (which moves past it), exactly
// as SQLite's own LIKE reads it: a byte below C0 is a character of its own;
// a byte from C0 on takes every continuation byte after it; an over-long
// form, a surrogate, U+FFFE and U+FFFF read as U+FFFD. A value past U+10FFFF
// stays as read, a character no valid text holds.
char32_t NextChar(const unsigned char*& p, const unsigned char* end) {
    char32_t c = *p++;
    if (c < 0xC0) return c;
    c = kLeadBits[c - 0xC0];
    while (p < end && (*p & 0xC0) == 0x80) c = (c << 6) + (*p++ & 0x3F);
    if (c < 0x80 || (c & 0xFFFFF800) == 0xD800 || (c & 0xFFFFFFFE) == 0xFFFE) c = 0xFFFD;
    return c;
}

// The character as compared: its simple case folding (Qt's Unicode tables).
char32_t Folded(char32_t c) {
    if (c < 0x80) return c >= 'A' && c <= 'Z' ? c + ('a' - 'A') : c;
    return QChar::toCaseFolded(c);
}

// Pattern items that no character reads as (a surrogate reads as U+FFFD):
// "%", "_", and a trailing escape, which matches nothing.
constexpr char32_t kAnySequence = 0xD800;
constexpr char32_t kAnyChar = 0xD801;
constexpr char32_t kNothing = 0xD802;

// A LIKE pattern read once per statement: folded characters and wildcards,
// and how many characters a value needs at least to match (every item but
// "%" takes one).
struct LikePattern {
    std::vector<char32_t> items;
    std::optional<char32_t> escape;
    std::size_t shortest = 0;
};

LikePattern ReadPattern(std::string_view text, std::optional<char32_t> escape) {
    LikePattern pattern{{}, escape};
    auto* p = reinterpret_cast<const unsigned char*>(text.data());
    const auto* end = p + text.size();
    while (p < end) {
        const char32_t c = NextChar(p, end);
        if (escape && c == *escape) {
            pattern.items.push_back(p < end ? Folded(NextChar(p, end)) : kNothing);
        } else if (c == '%') {
            if (pattern.items.empty() || pattern.items.back() != kAnySequence) pattern.items.push_back(kAnySequence);
        } else if (c == '_') {
            pattern.items.push_back(kAnyChar);
        } else {
            pattern.items.push_back(Folded(c));
        }
    }
    pattern.shortest = static_cast<std::size_t>(
        std::count_if(pattern.items.begin(), pattern.items.end(), [](char32_t c) { return c != kAnySequence; }));
    return pattern;
}

// The folded characters of a value, in a buffer kept between rows.
const std::vector<char32_t>& FoldedChars(std::string_view text) {
    thread_local std::vector<char32_t> chars;
    chars.clear();
    auto* p = reinterpret_cast<const unsigned char*>(text.data());
    const auto* end = p + text.size();
    while (p < end) chars.push_back(Folded(NextChar(p, end)));
    return chars;
}

bool IsAscii(std::string_view text) {
    std::size_t i = 0;
    for (; i + 8 <= text.size(); i += 8) {
        std::uint64_t eight = 0;
        std::memcpy(&eight, text.data() + i, 8);
        if (eight & 0x8080808080808080u) return false;
    }
    for (; i < text.size(); ++i) {
        if (static_cast<unsigned char>(text[i]) >= 0x80) return false;
    }
    return true;
}

// An ASCII text as the characters compared: one a byte, folded as read.
struct AsciiFolded {
    std::string_view text;
    std::size_t size() const { return text.size(); }
    char32_t operator[](std::size_t i) const { return Folded(static_cast<unsigned char>(text[i])); }
};

// The first place from `t` on where `item` can match: a character is looked
// for; a wildcard can match anywhere.
template <class Text>
std::size_t NextCandidate(char32_t item, const Text& text, std::size_t t) {
    if (item >= kAnySequence && item <= kNothing) return t;
    while (t < text.size() && text[t] != item) ++t;
    return t;
}

// "%" matches any run of characters, "_" one. After the last "%" passed, a
// failed match goes on from the next place the item after it matches, which
// is enough for these two wildcards.
template <class Text>
bool Matches(const std::vector<char32_t>& pattern, const Text& text) {
    std::size_t p = 0, t = 0;
    std::size_t afterStar = std::string::npos, starT = 0;
    while (t < text.size()) {
        if (p < pattern.size() && pattern[p] == kAnySequence) {
            afterStar = ++p;
            if (p == pattern.size()) return true;  // a last "%" takes the rest
            t = starT = NextCandidate(pattern[p], text, t);
        } else if (p < pattern.size() && (pattern[p] == kAnyChar || pattern[p] == text[t])) {
            ++p, ++t;
        } else if (afterStar != std::string::npos) {
            p = afterStar;
            t = starT = NextCandidate(pattern[p], text, starT + 1);
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == kAnySequence) ++p;
    return p == pattern.size();
}

// Whether `value` matches: an ASCII value byte by byte (each of its
// characters one byte, folded as read), any other decoded first. A value of
// fewer bytes than the pattern needs characters has fewer characters too.
bool Matches(const LikePattern& pattern, std::string_view value) {
    if (value.size() < pattern.shortest) return false;
    if (IsAscii(value)) return Matches(pattern.items, AsciiFolded{value});
    return Matches(pattern.items, FoldedChars(value));
}

// like(pattern, value[, escape]): the LIKE operator, comparing the case
// folding of every letter (SQLite's own folds only A to Z), as the server's
// case-insensitive collations compare.
void Like(sqlite3_context* ctx, int argc, sqlite3_value** argv) {
    Guarded(ctx, [&] {
        if (NullIfAnyNull(ctx, argc, argv)) return;
        std::optional<char32_t> escape;
        const std::string_view escapeText = argc > 2 ? TextArg(argv[2]) : std::string_view();
        if (argc > 2) {
            auto* p = reinterpret_cast<const unsigned char*>(escapeText.data());
            const auto* end = p + escapeText.size();
            if (p < end) escape = NextChar(p, end);
            if (!escape || p != end) throw FunctionError("ESCAPE expression must be a single character");
        }
        const LikePattern& pattern = ReadOnce<LikePattern>(ctx, argv[0], escapeText, [&](std::string_view text) {
            const int limit = sqlite3_limit(sqlite3_context_db_handle(ctx), SQLITE_LIMIT_LIKE_PATTERN_LENGTH, -1);
            if (text.size() > static_cast<std::size_t>(limit)) throw FunctionError("LIKE or GLOB pattern too complex");
            return ReadPattern(text, escape);
        });
        sqlite3_result_int(ctx, Matches(pattern, TextArg(argv[1])) ? 1 : 0);
    });
}

void Register(sqlite3* db, const char* name, int args, bool deterministic,
              void (*fn)(sqlite3_context*, int, sqlite3_value**)) {
    const int flags = SQLITE_UTF8 | SQLITE_INNOCUOUS | (deterministic ? SQLITE_DETERMINISTIC : 0);
    sqlite3_create_function_v2(db, name, args, flags, nullptr, fn, nullptr, nullptr, nullptr);
}

}  // namespace

std::optional<IsoDateTime> ParseIsoDateTime(std::string_view text) {
    // Fractions of a second are cut, as the server's styles cut them.
    if (text.size() > 19 && text[19] != '.') return std::nullopt;
    const std::optional<vb::DateParts> p = vb::IsoParts(text.substr(0, 19));
    if (!p) return std::nullopt;
    return IsoDateTime{p->year, p->month, p->day, p->hour, p->minute, p->second};
}

void RegisterFunctions(sqlite3* db) {
    Register(db, "TV_CONVERT", 2, true, Convert);
    Register(db, "TV_CONVERT", 3, true, Convert);
    Register(db, "TV_DATELIT", 3, true, DateLiteral);
    Register(db, "LEN", 1, true, Len);
    Register(db, "CHARINDEX", 2, true, CharIndex);
    Register(db, "CHARINDEX", 3, true, CharIndex);
    Register(db, "GETDATE", 0, false, GetDate);
    Register(db, "LIKE", 2, true, Like);
    Register(db, "LIKE", 3, true, Like);
}

}  // namespace adodb::sqlite
