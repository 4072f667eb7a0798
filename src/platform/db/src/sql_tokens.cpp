#include "sql_tokens.h"

#include <algorithm>
#include <array>
#include <cctype>

#include "ascii.h"
#include "db/adodb.h"
#include "vb/error.h"

namespace adodb::sql {

void RaiseSyntax(std::string description) {
    throw vb::Error(kErrSyntax, std::move(description), kSqliteSource, 0, "42000");
}

namespace {

// Character classes, one table lookup a character.
enum CharClass : unsigned char { kWordStart = 1, kDigit = 2, kWordOther = 4, kBlank = 8 };

constexpr std::array<unsigned char, 256> kClasses = [] {
    std::array<unsigned char, 256> classes{};
    for (int c = 0; c < 256; ++c) {
        if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_' || c >= 0x80) classes[c] |= kWordStart;
        if (c >= '0' && c <= '9') classes[c] |= kDigit;
        if (c == '$' || c == '@' || c == '#') classes[c] |= kWordOther;
        if (c == ' ' || c == '\t' || c == '\f' || c == '\v') classes[c] |= kBlank;
    }
    return classes;
}();

bool Is(unsigned char c, unsigned char classes) { return (kClasses[c] & classes) != 0; }
bool IsWordStart(unsigned char c) { return Is(c, kWordStart); }
bool IsDigit(unsigned char c) { return Is(c, kDigit); }

// End (one past) of the run of characters of `classes` from `pos` on.
std::size_t RunEnd(std::string_view sql, std::size_t pos, unsigned char classes) {
    while (pos < sql.size() && Is(static_cast<unsigned char>(sql[pos]), classes)) ++pos;
    return pos;
}

// End (one past) of a quoted run that starts at sql[pos] with `open` and
// closes with `close`, a doubled `close` standing for one.
std::size_t QuotedEnd(std::string_view sql, std::size_t pos, char close, const char* what) {
    std::size_t i = pos + 1;
    while (true) {
        if (i >= sql.size()) RaiseSyntax(std::string("Unclosed ") + what + " in the statement");
        if (sql[i] == close) {
            if (i + 1 < sql.size() && sql[i + 1] == close) {
                i += 2;
                continue;
            }
            return i + 1;
        }
        ++i;
    }
}

std::size_t NumberEnd(std::string_view sql, std::size_t i) {
    const unsigned char next = i + 1 < sql.size() ? static_cast<unsigned char>(sql[i + 1]) : 0;
    if (sql[i] == '0' && (next == 'x' || next == 'X')) {
        std::size_t e = i + 2;
        while (e < sql.size() && std::isxdigit(static_cast<unsigned char>(sql[e]))) ++e;
        return e;
    }
    std::size_t e = RunEnd(sql, i, kDigit);
    if (e < sql.size() && sql[e] == '.') e = RunEnd(sql, e + 1, kDigit);
    if (e < sql.size() && (sql[e] == 'e' || sql[e] == 'E')) {
        std::size_t x = e + 1;
        if (x < sql.size() && (sql[x] == '+' || sql[x] == '-')) ++x;
        if (x < sql.size() && IsDigit(static_cast<unsigned char>(sql[x]))) e = RunEnd(sql, x, kDigit);
    }
    return e;
}

}  // namespace

Tokens Tokenize(std::string_view sql) {
    Tokens tokens;
    tokens.reserve(sql.size() / 3 + 4);
    std::size_t i = 0;
    while (i < sql.size()) {
        const unsigned char c = static_cast<unsigned char>(sql[i]);
        const unsigned char next = i + 1 < sql.size() ? static_cast<unsigned char>(sql[i + 1]) : 0;
        TokenKind kind = TokenKind::Operator;
        std::size_t end = i + 1;
        if (Is(c, kBlank)) {
            kind = TokenKind::Space, end = RunEnd(sql, i, kBlank);
        } else if (IsWordStart(c) && !((c == 'N' || c == 'n') && next == '\'')) {
            kind = TokenKind::Word, end = RunEnd(sql, i + 1, kWordStart | kDigit | kWordOther);
        } else if (c == '\r') {
            kind = TokenKind::Newline, end = next == '\n' ? i + 2 : i + 1;
        } else if (c == '\n') {
            kind = TokenKind::Newline;
        } else if (c == '-' && next == '-') {
            const std::size_t e = sql.find_first_of("\r\n", i);
            kind = TokenKind::Comment, end = e == std::string_view::npos ? sql.size() : e;
        } else if (c == '/' && next == '*') {
            const std::size_t e = sql.find("*/", i + 2);
            if (e == std::string_view::npos) RaiseSyntax("Unclosed comment in the statement");
            kind = TokenKind::Comment, end = e + 2;
        } else if (c == '\'') {
            kind = TokenKind::String, end = QuotedEnd(sql, i, '\'', "quotation mark");
        } else if (c == 'N' || c == 'n') {
            ++i;  // N'..': the literal without its N
            kind = TokenKind::String, end = QuotedEnd(sql, i, '\'', "quotation mark");
        } else if (c == '[') {
            kind = TokenKind::Bracket, end = QuotedEnd(sql, i, ']', "bracket");
        } else if (c == '"') {
            kind = TokenKind::Quoted, end = QuotedEnd(sql, i, '"', "quoted identifier");
        } else if (IsDigit(c) || (c == '.' && IsDigit(next))) {
            kind = TokenKind::Number, end = NumberEnd(sql, i);
        } else if (c == '@' || c == '#' || c == '$' || (c == ':' && (IsWordStart(next) || IsDigit(next)))) {
            kind = TokenKind::Parameter, end = RunEnd(sql, i + 1, kWordStart | kDigit | kWordOther);
        } else if (c == '?') {
            kind = TokenKind::Parameter, end = RunEnd(sql, i + 1, kDigit);
        } else if (c == '(') {
            kind = TokenKind::LParen;
        } else if (c == ')') {
            kind = TokenKind::RParen;
        } else if (c == ',') {
            kind = TokenKind::Comma;
        } else if (c == ';') {
            kind = TokenKind::Semicolon;
        } else if (c == '.') {
            kind = TokenKind::Dot;
        } else {
            static constexpr std::string_view kTwo[] = {"<=", ">=", "<>", "!=", "!<", "!>", "||", "==", "<<", ">>"};
            const std::string_view pair = sql.substr(i, 2);
            if (std::find(std::begin(kTwo), std::end(kTwo), pair) != std::end(kTwo)) end = i + 2;
        }
        tokens.push_back({kind, std::string_view(sql.data() + i, end - i)});
        i = end;
    }
    return tokens;
}

std::string Join(const Tokens& tokens, std::size_t begin, std::size_t end) {
    std::string out;
    end = std::min(end, tokens.size());
    std::size_t size = 0;
    for (std::size_t i = begin; i < end; ++i) size += tokens[i].text.size();
    out.reserve(size);
    for (std::size_t i = begin; i < end; ++i) out += tokens[i].text;
    return out;
}

std::string LiteralValue(const Token& stringToken) {
    std::string_view body = stringToken.text;
    body = body.substr(1, body.size() - 2);
    std::string value;
    value.reserve(body.size());
    for (std::size_t i = 0; i < body.size(); ++i) {
        value += body[i];
        if (body[i] == '\'' && i + 1 < body.size() && body[i + 1] == '\'') ++i;
    }
    return value;
}

Token MakeLiteral(std::string_view value, TokenArena& arena) {
    std::string text = "'";
    for (char c : value) {
        text += c;
        if (c == '\'') text += '\'';
    }
    text += '\'';
    return {TokenKind::String, arena.Keep(std::move(text))};
}

}  // namespace adodb::sql
