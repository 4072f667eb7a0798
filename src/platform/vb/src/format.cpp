#include "vb/format.h"

#include <cmath>
#include <optional>
#include <vector>

#include "calendar.h"
#include "decimal.h"
#include "vb/conv.h"
#include "vb/regional.h"

namespace vb {

namespace {

// One element of a pattern: a character with a meaning in the pattern, or
// literal text ("\x" and "quoted" parts).
struct Item {
    char ch = 0;          // the pattern character, 0 for literal text
    std::string literal;  // literal text when ch == 0
};

using Section = std::vector<Item>;

// Splits the pattern into sections at ";" and into items.
std::vector<Section> ParsePattern(std::string_view pattern) {
    std::vector<Section> sections(1);
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        const char c = pattern[i];
        if (c == '\\' && i + 1 < pattern.size()) {
            sections.back().push_back({0, std::string(1, pattern[++i])});
        } else if (c == '"') {
            const std::size_t close = pattern.find('"', i + 1);
            const std::size_t end = close == std::string_view::npos ? pattern.size() : close;
            sections.back().push_back({0, std::string(pattern.substr(i + 1, end - i - 1))});
            i = end;
        } else if (c == ';') {
            sections.emplace_back();
        } else {
            sections.back().push_back({c, {}});
        }
    }
    return sections;
}

bool IsPlaceholder(const Item& item) { return item.ch == '0' || item.ch == '#'; }

std::string GroupThousands(const std::string& digits) {
    const std::string& separator = GetRegional().thousandsSeparator;
    std::string out;
    for (std::size_t i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0) out += separator;
        out.push_back(digits[i]);
    }
    return out;
}

// Formats the magnitude of `value` with one section (the sign is the caller's).
// `negativeOut` tells whether the rounded value is nonzero and negative.
std::string FormatSection(double value, const Section& section, bool& negativeOut) {
    std::size_t point = section.size();
    for (std::size_t i = 0; i < section.size(); ++i)
        if (section[i].ch == '.') {
            point = i;
            break;
        }
    int fractionPlaces = 0;
    std::vector<std::size_t> intPlaces;  // indexes of the integer placeholders
    bool percent = false;
    for (std::size_t i = 0; i < section.size(); ++i) {
        if (IsPlaceholder(section[i])) {
            if (i < point)
                intPlaces.push_back(i);
            else
                ++fractionPlaces;
        }
        if (section[i].ch == '%') percent = true;
    }
    // A "," between integer placeholders asks for thousands separators.
    bool grouping = false;
    for (std::size_t i = 0; i < point; ++i)
        if (section[i].ch == ',' && !intPlaces.empty() && intPlaces.front() < i &&
            intPlaces.back() > i)
            grouping = true;

    if (percent) value *= 100.0;
    const detail::Decimal d = detail::Decimal::FromDouble(value).Rounded(
        fractionPlaces, detail::HalfRounding::AwayFromZero);
    negativeOut = d.negative && !d.IsZero();

    std::string intDigits = d.IntegerDigits();
    std::size_t required = 0;  // digits shown from the first "0" placeholder on
    for (std::size_t k = 0; k < intPlaces.size(); ++k)
        if (section[intPlaces[k]].ch == '0') {
            required = intPlaces.size() - k;
            break;
        }
    if (intDigits.size() < required) intDigits.insert(0, required - intDigits.size(), '0');

    // Digits for each integer placeholder, filled from the right; the leftmost
    // placeholder takes every digit left over.
    std::vector<std::string> placed(intPlaces.size());
    if (grouping && !intPlaces.empty()) {
        placed.front() = GroupThousands(intDigits);
    } else {
        std::size_t remaining = intDigits.size();
        for (std::size_t k = intPlaces.size(); k-- > 0 && remaining > 0;) {
            if (k == 0) {
                placed[k] = intDigits.substr(0, remaining);
                remaining = 0;
            } else {
                placed[k] = intDigits.substr(remaining - 1, 1);
                --remaining;
            }
        }
    }

    const std::string fraction = d.FractionDigits(fractionPlaces);
    const std::size_t lastSignificant = fraction.find_last_not_of('0');

    std::string out;
    std::size_t intIndex = 0;
    int fractionIndex = 0;
    for (std::size_t i = 0; i < section.size(); ++i) {
        const Item& item = section[i];
        if (item.ch == 0) {
            out += item.literal;
        } else if (IsPlaceholder(item) && i < point) {
            out += placed[intIndex++];
        } else if (IsPlaceholder(item)) {
            const auto k = static_cast<std::size_t>(fractionIndex++);
            if (item.ch == '0' ||
                (lastSignificant != std::string::npos && k <= lastSignificant))
                out.push_back(fraction[k]);
        } else if (i == point) {
            // Without integer placeholders the integer digits stand before the point.
            if (intPlaces.empty()) out += intDigits;
            out += GetRegional().decimalSeparator;
        } else if (item.ch == ',' && grouping && i < point) {
            // consumed by the grouping
        } else {
            out.push_back(item.ch);
        }
    }
    return out;
}

bool IsDateLetter(char c) {
    switch (c | 0x20) {
        case 'd': case 'm': case 'y': case 'h': case 'n': case 's': return true;
        default: return false;
    }
}

// A pattern for dates: date letters and no digit placeholders.
bool IsDatePattern(std::string_view pattern) {
    bool letters = false;
    for (const Section& section : ParsePattern(pattern))
        for (const Item& item : section) {
            if (IsPlaceholder(item)) return false;
            if (item.ch != 0 && IsDateLetter(item.ch)) letters = true;
        }
    return letters;
}

}  // namespace

std::string Format(double value, std::string_view pattern) {
    if (pattern.empty() || !std::isfinite(value)) return CStr(value);
    const std::vector<Section> sections = ParsePattern(pattern);
    bool negative = false;
    if (value == 0.0 && sections.size() >= 3 && !sections[2].empty())
        return FormatSection(0.0, sections[2], negative);
    if (value < 0 && sections.size() >= 2 && !sections[1].empty())
        return FormatSection(-value, sections[1], negative);
    if (sections[0].empty()) return CStr(value);
    std::string text = FormatSection(value, sections[0], negative);
    return negative ? "-" + text : text;
}

std::string Format(const Date& value, std::string_view pattern) {
    if (pattern.empty()) return CStr(Variant(value));
    const DateParts p = value.Parts();
    const std::vector<Section> sections = ParsePattern(pattern);
    const Section& section = sections.front();

    // Date tokens: a letter and how many times it is repeated (capped per letter).
    struct Token {
        char letter = 0;  // lower case; 0 for text
        int width = 0;
        std::string text;
    };
    std::vector<Token> tokens;
    for (std::size_t i = 0; i < section.size();) {
        const Item& item = section[i];
        if (item.ch == 0 || !IsDateLetter(item.ch)) {
            tokens.push_back({0, 0, item.ch == 0 ? item.literal : std::string(1, item.ch)});
            ++i;
            continue;
        }
        const char letter = static_cast<char>(item.ch | 0x20);
        const int cap = letter == 'y' ? 4 : 2;
        int width = 0;
        while (i < section.size() && section[i].ch != 0 && (section[i].ch | 0x20) == letter &&
               width < cap) {
            ++width;
            ++i;
        }
        if (letter == 'y' && width == 3) {  // "yyy": the two-digit year, then "y"
            tokens.push_back({'y', 2, {}});
            tokens.push_back({'y', 1, {}});
            continue;
        }
        tokens.push_back({letter, width, {}});
    }
    // "m" means minutes right after an hour or right before seconds.
    char previousLetter = 0;
    for (std::size_t k = 0; k < tokens.size(); ++k) {
        if (tokens[k].letter == 0) continue;
        if (tokens[k].letter == 'm') {
            char nextLetter = 0;
            for (std::size_t j = k + 1; j < tokens.size() && nextLetter == 0; ++j)
                nextLetter = tokens[j].letter;
            if (previousLetter == 'h' || nextLetter == 's') tokens[k].letter = 'n';
        }
        previousLetter = tokens[k].letter;
    }

    std::string out;
    for (const Token& t : tokens) {
        auto number = [&](int n) { out += detail::ZeroPadded(n, t.width >= 2 ? 2 : 1); };
        switch (t.letter) {
            case 'd': number(p.day); break;
            case 'm': number(p.month); break;
            case 'h': number(p.hour); break;
            case 'n': number(p.minute); break;
            case 's': number(p.second); break;
            case 'y':
                if (t.width == 4) {
                    out += detail::ZeroPadded(p.year, 4);
                } else if (t.width == 2) {
                    out += detail::ZeroPadded(p.year % 100, 2);
                } else {  // day of the year
                    const Date first = Date::FromParts(p.year, 1, 1);
                    const Date day = Date::FromParts(p.year, p.month, p.day);
                    out += std::to_string(static_cast<long>(day.Serial() - first.Serial()) + 1);
                }
                break;
            default: out += t.text; break;
        }
    }
    return out;
}

std::string Format(const Variant& value, std::string_view pattern) {
    if (value.IsNull() || value.IsEmpty()) return {};
    if (value.IsDate()) {
        const Date& date = std::get<Date>(value.Get());
        return pattern.empty() || IsDatePattern(pattern) ? Format(date, pattern)
                                                         : Format(date.Serial(), pattern);
    }
    double number = 0.0;
    if (value.IsText()) {
        const std::string& text = std::get<std::string>(value.Get());
        const std::optional<double> parsed = ParseNumber(text);
        if (!parsed) {
            if (!pattern.empty() && IsDatePattern(pattern))
                if (const std::optional<Date> date = ParseDate(text)) return Format(*date, pattern);
            return text;
        }
        number = *parsed;
    } else {
        number = CDbl(value);
    }
    if (!pattern.empty() && IsDatePattern(pattern)) return Format(Date::FromSerial(number), pattern);
    return Format(number, pattern);
}

}  // namespace vb
