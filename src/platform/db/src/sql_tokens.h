// A small SQL tokenizer for the dialect adapter. It knows string literals
// ('..' with doubled quotes), [bracketed] and "quoted" identifiers, comments
// and parentheses, so that nothing inside a literal or a bracket is ever taken
// for SQL. Joining the texts of the tokens gives the input back, except that
// the N of an N'..' literal is dropped.
#pragma once

#include <deque>
#include <string>
#include <string_view>
#include <vector>

#include "ascii.h"

namespace adodb::sql {

// Source of the errors raised by the SQLite engine and its adapter.
inline constexpr const char* kSqliteSource = "SQLite";

// Raises the syntax error (kErrSyntax) of a statement the adapter cannot take.
[[noreturn]] void RaiseSyntax(std::string description);

enum class TokenKind {
    Space,      // blanks and tabs
    Newline,    // CR LF, CR or LF
    Comment,    // -- to the end of the line, or /* ... */
    Word,       // keyword or plain identifier
    Number,
    String,     // '...'
    Bracket,    // [...]
    Quoted,     // "..."
    Parameter,  // @name, #name, $name, :name, :1, ?, ?1
    LParen,
    RParen,
    Comma,
    Semicolon,
    Dot,
    Operator,   // = <> != < > <= >= + - * / % || and the rest
};

// A token's text views the statement it came from, or a text kept in a
// TokenArena (tokens made while rewriting).
struct Token {
    TokenKind kind;
    std::string_view text;

    bool Is(TokenKind k) const { return kind == k; }
    // A Word equal to `upperWord` without regard to case.
    bool IsWord(std::string_view upperWord) const {
        return kind == TokenKind::Word && ascii::EqualsNoCase(text, upperWord);
    }
    // Blank, line break or comment: nothing the statement means.
    bool IsTrivia() const {
        return kind == TokenKind::Space || kind == TokenKind::Newline || kind == TokenKind::Comment;
    }
    // A name: a plain word, a [bracketed] or a "quoted" identifier.
    bool IsName() const { return kind == TokenKind::Word || kind == TokenKind::Bracket || kind == TokenKind::Quoted; }
};

using Tokens = std::vector<Token>;

// Keeps the texts of the tokens made while a statement is rewritten.
class TokenArena {
public:
    std::string_view Keep(std::string text) { return texts_.emplace_back(std::move(text)); }

private:
    std::deque<std::string> texts_;
};

// Raises vb::Error (syntax error number) for a literal, identifier or
// comment left open. The tokens view `sql`, which must outlive them.
Tokens Tokenize(std::string_view sql);

std::string Join(const Tokens& tokens, std::size_t begin = 0, std::size_t end = std::string::npos);

// The text of a string literal token, without its quotes and with doubled
// quotes made single.
std::string LiteralValue(const Token& stringToken);
// A string literal token for a text.
Token MakeLiteral(std::string_view value, TokenArena& arena);

}  // namespace adodb::sql
