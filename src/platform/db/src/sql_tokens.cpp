#include "sql_tokens.h"

#include <algorithm>
#include <cctype>

#include "ascii.h"
#include "db/adodb.h"
#include "vb/error.h"

namespace adodb::sql {

void RaiseSyntax(std::string description) {
    throw vb::Error(kErrSyntax, std::move(description), kSqliteSource, 0, "42000");
}

namespace {

bool IsWordStart(unsigned char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_' || c >= 0x80; }
bool IsDigit(unsigned char c) { return c >= '0' && c <= '9'; }
bool IsWordChar(unsigned char c) { return IsWordStart(c) || IsDigit(c) || c == '$' || c == '@' || c == '#'; }

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

}  // namespace

Tokens Tokenize(std::string_view sql) {
    Tokens tokens;
    tokens.reserve(sql.size() / 3 + 4);
    std::size_t i = 0;
    auto push = [&](TokenKind kind, std::size_t end) {
        tokens.push_back({kind, sql.substr(i, end - i)});
        i = end;
    };
    while (i < sql.size()) {
        const unsigned char c = static_cast<unsigned char>(sql[i]);
        const unsigned char next = i + 1 < sql.size() ? static_cast<unsigned char>(sql[i + 1]) : 0;
        if (c == ' ' || c == '\t' || c == '\f' || c == '\v') {
            std::size_t e = i;
            while (e < sql.size() && (sql[e] == ' ' || sql[e] == '\t' || sql[e] == '\f' || sql[e] == '\v')) ++e;
            push(TokenKind::Space, e);
        } else if (c == '\r') {
            push(TokenKind::Newline, next == '\n' ? i + 2 : i + 1);
        } else if (c == '\n') {
            push(TokenKind::Newline, i + 1);
        } else if (c == '-' && next == '-') {
            std::size_t e = sql.find_first_of("\r\n", i);
            push(TokenKind::Comment, e == std::string_view::npos ? sql.size() : e);
        } else if (c == '/' && next == '*') {
            const std::size_t e = sql.find("*/", i + 2);
            if (e == std::string_view::npos) RaiseSyntax("Unclosed comment in the statement");
            push(TokenKind::Comment, e + 2);
        } else if (c == '\'') {
            push(TokenKind::String, QuotedEnd(sql, i, '\'', "quotation mark"));
        } else if ((c == 'N' || c == 'n') && next == '\'') {
            ++i;  // N'..': the literal without its N
            push(TokenKind::String, QuotedEnd(sql, i, '\'', "quotation mark"));
        } else if (c == '[') {
            push(TokenKind::Bracket, QuotedEnd(sql, i, ']', "bracket"));
        } else if (c == '"') {
            push(TokenKind::Quoted, QuotedEnd(sql, i, '"', "quoted identifier"));
        } else if (IsWordStart(c)) {
            std::size_t e = i + 1;
            while (e < sql.size() && IsWordChar(static_cast<unsigned char>(sql[e]))) ++e;
            push(TokenKind::Word, e);
        } else if (IsDigit(c) || (c == '.' && IsDigit(next))) {
            std::size_t e = i;
            if (c == '0' && (next == 'x' || next == 'X')) {
                e += 2;
                while (e < sql.size() && std::isxdigit(static_cast<unsigned char>(sql[e]))) ++e;
            } else {
                while (e < sql.size() && IsDigit(static_cast<unsigned char>(sql[e]))) ++e;
                if (e < sql.size() && sql[e] == '.') {
                    ++e;
                    while (e < sql.size() && IsDigit(static_cast<unsigned char>(sql[e]))) ++e;
                }
                if (e < sql.size() && (sql[e] == 'e' || sql[e] == 'E')) {
                    std::size_t x = e + 1;
                    if (x < sql.size() && (sql[x] == '+' || sql[x] == '-')) ++x;
                    if (x < sql.size() && IsDigit(static_cast<unsigned char>(sql[x]))) {
                        e = x;
                        while (e < sql.size() && IsDigit(static_cast<unsigned char>(sql[e]))) ++e;
                    }
                }
            }
            push(TokenKind::Number, e);
        } else if (c == '@' || c == '#' || c == '$' || (c == ':' && (IsWordStart(next) || IsDigit(next)))) {
            std::size_t e = i + 1;
            while (e < sql.size() && IsWordChar(static_cast<unsigned char>(sql[e]))) ++e;
            push(TokenKind::Parameter, e);
        } else if (c == '?') {
            std::size_t e = i + 1;
            while (e < sql.size() && IsDigit(static_cast<unsigned char>(sql[e]))) ++e;
            push(TokenKind::Parameter, e);
        } else if (c == '(') {
            push(TokenKind::LParen, i + 1);
        } else if (c == ')') {
            push(TokenKind::RParen, i + 1);
        } else if (c == ',') {
            push(TokenKind::Comma, i + 1);
        } else if (c == ';') {
            push(TokenKind::Semicolon, i + 1);
        } else if (c == '.') {
            push(TokenKind::Dot, i + 1);
        } else {
            static constexpr std::string_view kTwo[] = {"<=", ">=", "<>", "!=", "!<", "!>", "||", "==", "<<", ">>"};
            std::size_t len = 1;
            for (std::string_view op : kTwo) {
                if (sql.substr(i, 2) == op) len = 2;
            }
            push(TokenKind::Operator, i + len);
        }
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
