#include "sqlite_dialect.h"

#include <algorithm>
#include <initializer_list>
#include <optional>
#include <set>
#include <span>

#include "ascii.h"
#include "sql_tokens.h"
#include "vb/conv.h"
#include "vb/datetime.h"

namespace adodb::sqlite {

using sql::RaiseSyntax;
using sql::Token;
using sql::TokenKind;
using sql::Tokens;

namespace {

constexpr std::size_t npos = std::string::npos;

// Words that begin a statement after a line break.
constexpr std::string_view kStatementStarts[] = {
    "SELECT", "INSERT", "UPDATE", "DELETE",  "CREATE", "DROP",  "ALTER",  "IF",    "BEGIN",
    "COMMIT", "ROLLBACK", "SET",  "GO",      "WITH",   "TRUNCATE", "EXEC", "EXECUTE", "DECLARE",
    "PRINT",  "GRANT",  "REVOKE", "USE",     "SAVE",   "MERGE", "RAISERROR"};

// Words after which a statement cannot end, so a line break there continues it.
constexpr std::string_view kContinuingWords[] = {
    "AS",   "UNION", "ALL",  "EXCEPT", "INTERSECT", "ELSE",   "THEN",   "AND",    "OR",   "NOT",
    "IN",   "EXISTS", "WHERE",  "FROM",      "JOIN",   "BY",     "WHEN",   "DISTINCT",
    "SELECT", "SET", "VALUES", "INTO", "TABLE",     "IS",     "LIKE",   "BETWEEN", "HAVING"};

// Session options whose SET statement means nothing on SQLite.
constexpr std::string_view kDroppedSetOptions[] = {
    "NOCOUNT",    "ANSI_NULLS", "ANSI_PADDING", "ANSI_WARNINGS", "ANSI_NULL_DFLT_ON",
    "QUOTED_IDENTIFIER", "ARITHABORT", "CONCAT_NULL_YIELDS_NULL", "NUMERIC_ROUNDABORT",
    "XACT_ABORT", "DATEFORMAT", "LANGUAGE",  "TRANSACTION", "LOCK_TIMEOUT", "DEADLOCK_PRIORITY"};

// Words that are never a column name in a comparison.
constexpr std::string_view kReservedWords[] = {
    "AND",  "OR",   "NOT",   "WHERE", "ON",  "WHEN",  "THEN",   "ELSE",  "CASE",  "END",
    "SET",  "SELECT", "FROM", "LIKE", "IS",  "IN",    "BETWEEN", "NULL", "AS",    "BY",
    "HAVING", "EXISTS", "DISTINCT", "ALL", "ANY", "SOME", "VALUES", "INTO", "JOIN", "UNION",
    "TOP",  "LIMIT", "ORDER", "GROUP", "ESCAPE"};

constexpr std::string_view kComparisons[] = {"=", "<>", "!=", "<", ">", "<=",
                                                                    ">=", "!<", "!>", "=="};

constexpr std::string_view kConvertTypes[] = {
    "NVARCHAR", "VARCHAR", "CHAR",  "NCHAR",  "TEXT",     "NTEXT",    "SYSNAME",
    "INT",      "INTEGER", "BIGINT", "SMALLINT", "TINYINT", "BIT",
    "NUMERIC",  "DECIMAL", "MONEY", "SMALLMONEY", "FLOAT", "REAL",
    "DATETIME", "SMALLDATETIME", "DATE", "DATETIME2"};

using Words = std::span<const std::string_view>;

bool In(std::string_view text, Words list) {
    return std::any_of(list.begin(), list.end(), [&](std::string_view w) { return ascii::EqualsNoCase(text, w); });
}

bool IsWordIn(const Token& t, Words list) { return t.kind == TokenKind::Word && In(t.text, list); }
bool IsWordIn(const Token& t, std::initializer_list<std::string_view> list) {
    return IsWordIn(t, Words(list.begin(), list.size()));
}

std::size_t NextSig(const Tokens& t, std::size_t i) {
    for (std::size_t j = i + 1; j < t.size(); ++j) {
        if (!t[j].IsTrivia()) return j;
    }
    return npos;
}

std::size_t FirstSig(const Tokens& t) {
    for (std::size_t j = 0; j < t.size(); ++j) {
        if (!t[j].IsTrivia()) return j;
    }
    return npos;
}

std::size_t PrevSig(const Tokens& t, std::size_t i) {
    for (std::size_t j = std::min(i, t.size()); j-- > 0;) {
        if (!t[j].IsTrivia()) return j;
    }
    return npos;
}

// Index of the parenthesis that closes the one at `open`, or npos.
std::size_t MatchingParen(const Tokens& t, std::size_t open) {
    int depth = 0;
    for (std::size_t j = open; j < t.size(); ++j) {
        if (t[j].Is(TokenKind::LParen)) ++depth;
        if (t[j].Is(TokenKind::RParen) && --depth == 0) return j;
    }
    return npos;
}

// The first token at depth 0 from `from` on that satisfies `pred`, or npos.
template <class Pred>
std::size_t FindTopLevel(const Tokens& t, std::size_t from, Pred pred) {
    int depth = 0;
    for (std::size_t j = from; j < t.size(); ++j) {
        if (t[j].Is(TokenKind::LParen)) {
            ++depth;
        } else if (t[j].Is(TokenKind::RParen)) {
            if (depth == 0) return npos;
            --depth;
        } else if (depth == 0 && pred(t[j])) {
            return j;
        }
    }
    return npos;
}

std::size_t FindTopLevelWord(const Tokens& t, std::size_t from, Words words) {
    return FindTopLevel(t, from, [&](const Token& k) { return IsWordIn(k, words); });
}
std::size_t FindTopLevelWord(const Tokens& t, std::size_t from, std::initializer_list<std::string_view> words) {
    return FindTopLevelWord(t, from, Words(words.begin(), words.size()));
}

Tokens TrimTrivia(Tokens t) {
    while (!t.empty() && t.back().IsTrivia()) t.pop_back();
    const std::size_t first = FirstSig(t);
    t.erase(t.begin(), first == npos ? t.end() : t.begin() + static_cast<std::ptrdiff_t>(first));
    return t;
}

std::string Unquoted(const Token& name) {
    if (name.kind == TokenKind::Bracket || name.kind == TokenKind::Quoted) {
        return std::string(name.text.substr(1, name.text.size() - 2));
    }
    return std::string(name.text);
}

// ---- Splitting -------------------------------------------------------------

bool StartsNewStatement(const Tokens& current, const Token& next) {
    if (!IsWordIn(next, kStatementStarts)) return false;
    const std::size_t first = FirstSig(current);
    if (first == npos) return true;
    const Token& last = current[PrevSig(current, current.size())];
    if (last.Is(TokenKind::Operator) || last.Is(TokenKind::Comma) || last.Is(TokenKind::LParen) ||
        last.Is(TokenKind::Dot) || IsWordIn(last, kContinuingWords)) {
        return false;
    }
    const Token& head = current[first];
    if (head.IsWord("IF")) {
        // IF's own statement may stand on the next line.
        return FindTopLevelWord(current, first + 1, kStatementStarts) != npos;
    }
    if (head.IsWord("WITH")) {
        return FindTopLevelWord(current, first + 1, {"SELECT", "INSERT", "UPDATE", "DELETE"}) != npos;
    }
    if (next.IsWord("SELECT") && head.IsWord("INSERT")) {
        return FindTopLevelWord(current, first + 1, {"VALUES", "SELECT", "DEFAULT"}) != npos;
    }
    if (next.IsWord("SET") && head.IsWord("UPDATE")) {
        return FindTopLevelWord(current, first + 1, {"SET"}) != npos;
    }
    return true;
}

std::vector<Tokens> SplitStatements(Tokens tokens) {
    std::vector<Tokens> statements;
    // Most texts are one statement on one line: nothing to split.
    if (std::none_of(tokens.begin(), tokens.end(),
                     [](const Token& t) { return t.Is(TokenKind::Semicolon) || t.Is(TokenKind::Newline); })) {
        Tokens s = TrimTrivia(std::move(tokens));
        if (!s.empty()) statements.push_back(std::move(s));
        return statements;
    }
    Tokens current;
    current.reserve(tokens.size());
    auto flush = [&] {
        Tokens s = TrimTrivia(std::move(current));
        if (!s.empty()) statements.push_back(std::move(s));
        current.clear();
    };
    int depth = 0;
    for (std::size_t i = 0; i < tokens.size(); ++i) {
        const Token& t = tokens[i];
        if (t.Is(TokenKind::LParen)) ++depth;
        if (t.Is(TokenKind::RParen) && depth > 0) --depth;
        if (depth == 0 && t.Is(TokenKind::Semicolon)) {
            flush();
            continue;
        }
        if (depth == 0 && t.Is(TokenKind::Newline)) {
            const std::size_t next = NextSig(tokens, i);
            if (next != npos && StartsNewStatement(current, tokens[next])) {
                flush();
                continue;
            }
        }
        current.push_back(t);
    }
    flush();
    return statements;
}

// ---- Rewrites of one statement ---------------------------------------------

struct Context {
    const ColumnsLookup* columns = nullptr;
    sql::TokenArena arena;

    const std::vector<TableColumn>* Columns(const std::string& table) {
        if (!columns || !*columns) return nullptr;
        return (*columns)(table);
    }
};

// A plain "?" is the marker of a value bound by the caller; the engine
// checks that each one has its value.
bool IsMarker(const Token& k) { return k.Is(TokenKind::Parameter) && k.text == "?"; }

[[noreturn]] void RejectParameter(const Token& k) {
    RaiseSyntax("The statement holds \"" + std::string(k.text) +
                "\": variables, parameters and #date# literals are not supported");
}

void RejectIdentity(const Tokens& t) {
    for (const Token& k : t) {
        if (k.IsWord("IDENTITY")) RaiseSyntax("IDENTITY columns are not supported; declare the key INTEGER PRIMARY KEY");
    }
}

// dbo.T and [dbo].T become T.
bool IsOwner(const Token& k) {
    return k.IsWord("DBO") || (k.Is(TokenKind::Bracket) && ascii::EqualsNoCase(k.text, "[dbo]"));
}

Tokens DropOwner(const Tokens& t) {
    Tokens out;
    out.reserve(t.size());
    for (std::size_t i = 0; i < t.size(); ++i) {
        if (IsOwner(t[i]) && i + 1 < t.size() && t[i + 1].Is(TokenKind::Dot) && (out.empty() || !out.back().Is(TokenKind::Dot))) {
            ++i;  // skip the dot too
            continue;
        }
        out.push_back(t[i]);
    }
    return out;
}

std::string ConvertTypeName(const Tokens& t, std::size_t begin, std::size_t end) {
    std::string type;
    for (std::size_t j = begin; j < end; ++j) {
        if (!t[j].IsTrivia()) type += ascii::Upper(t[j].text);
    }
    const std::string base = type.substr(0, type.find('('));
    if (type.empty()) RaiseSyntax("CONVERT needs a type name");
    if (!In(base, kConvertTypes)) RaiseSyntax("CONVERT to " + type + " is not supported");
    return type;
}

// ISNULL( becomes IFNULL(; CONVERT(type, becomes TV_CONVERT('type',. In
// place: a rename never writes more tokens than it reads, so what is
// written never overtakes what is still to be read.
void RenameFunctions(Tokens& t, sql::TokenArena& arena) {
    std::size_t written = 0;
    for (std::size_t i = 0; i < t.size(); ++i) {
        const std::size_t open = IsWordIn(t[i], {"ISNULL", "CONVERT"}) ? NextSig(t, i) : npos;
        if (open == npos || !t[open].Is(TokenKind::LParen)) {
            t[written++] = t[i];
        } else if (t[i].IsWord("ISNULL")) {
            t[written++] = {TokenKind::Word, "IFNULL"};
        } else {
            const std::size_t close = MatchingParen(t, open);
            const std::size_t comma = FindTopLevel(t, open + 1, [](const Token& k) { return k.Is(TokenKind::Comma); });
            if (close == npos || comma == npos || comma > close) RaiseSyntax("CONVERT needs a type and a value");
            const Token type = sql::MakeLiteral(ConvertTypeName(t, open + 1, comma), arena);
            t[written++] = {TokenKind::Word, "TV_CONVERT"};
            for (std::size_t j = i + 1; j <= open; ++j) t[written++] = t[j];
            t[written++] = type;
            i = comma - 1;  // the comma and the value follow as written
        }
    }
    t.resize(written);
}

// DELETE t WHERE ... gains its FROM.
Tokens AddDeleteFrom(Tokens t, std::size_t first) {
    const std::size_t next = NextSig(t, first);
    if (next == npos) return t;
    if (t[next].IsWord("TOP")) RaiseSyntax("DELETE TOP is not supported");
    if (!t[next].IsWord("FROM")) {
        t.insert(t.begin() + static_cast<std::ptrdiff_t>(next),
                 {Token{TokenKind::Word, "FROM"}, Token{TokenKind::Space, " "}});
    }
    const std::size_t from = FindTopLevelWord(t, first + 1, {"FROM"});
    if (FindTopLevelWord(t, from + 1, {"FROM"}) != npos) RaiseSyntax("DELETE ... FROM with a join is not supported");
    return t;
}

// The literal inside DEFAULT ( ... ), or nullopt when it is not a constant.
std::optional<std::string> DefaultConstant(const Tokens& t, std::size_t open, std::size_t close) {
    std::vector<const Token*> inner;
    for (std::size_t j = open + 1; j < close; ++j) {
        if (!t[j].IsTrivia() && !t[j].Is(TokenKind::LParen) && !t[j].Is(TokenKind::RParen)) inner.push_back(&t[j]);
    }
    if (inner.size() == 1 && (inner[0]->Is(TokenKind::String) || inner[0]->Is(TokenKind::Number) || inner[0]->IsWord("NULL"))) {
        return std::string(inner[0]->text);
    }
    if (inner.size() == 2 && inner[0]->Is(TokenKind::Operator) && (inner[0]->text == "-" || inner[0]->text == "+") &&
        inner[1]->Is(TokenKind::Number)) {
        return std::string(inner[0]->text) + std::string(inner[1]->text);
    }
    return std::nullopt;
}

// ALTER TABLE t ADD c type [NOT] NULL [CONSTRAINT n] DEFAULT (v).
Tokens AdaptAlterTable(Tokens t, std::size_t first, sql::TokenArena& arena) {
    const std::size_t table = NextSig(t, first);
    if (table == npos || !t[table].IsWord("TABLE")) return t;
    const std::size_t action = FindTopLevelWord(t, table + 1, {"ADD", "ALTER", "DROP"});
    if (action == npos) return t;
    const std::size_t what = NextSig(t, action);
    if (t[action].IsWord("ALTER")) RaiseSyntax("ALTER TABLE ... ALTER COLUMN is not supported");
    if (what != npos && IsWordIn(t[what], {"CONSTRAINT", "PRIMARY", "FOREIGN", "UNIQUE", "CHECK", "INDEX"})) {
        RaiseSyntax("ALTER TABLE ... " + ascii::Upper(t[action].text) + " CONSTRAINT is not supported");
    }
    if (!t[action].IsWord("ADD")) return t;
    if (FindTopLevel(t, action + 1, [](const Token& k) { return k.Is(TokenKind::Comma); }) != npos) {
        RaiseSyntax("ALTER TABLE ... ADD of more than one column is not supported");
    }
    Tokens out(t.begin(), t.begin() + static_cast<std::ptrdiff_t>(action + 1));
    for (std::size_t i = action + 1; i < t.size(); ++i) {
        if (t[i].IsWord("CONSTRAINT")) {
            const std::size_t name = NextSig(t, i);
            i = name == npos ? t.size() : name;  // drop the word and the name
            continue;
        }
        if (t[i].IsWord("DEFAULT")) {
            const std::size_t open = NextSig(t, i);
            if (open != npos && t[open].Is(TokenKind::LParen)) {
                const std::size_t close = MatchingParen(t, open);
                const std::optional<std::string> constant =
                    close == npos ? std::nullopt : DefaultConstant(t, open, close);
                if (!constant) RaiseSyntax("ALTER TABLE ... ADD with a DEFAULT that is not a constant is not supported");
                out.push_back(t[i]);
                out.push_back({TokenKind::Space, " "});
                out.push_back({TokenKind::Word, arena.Keep(*constant)});
                i = close;
                continue;
            }
        }
        out.push_back(t[i]);
    }
    return out;
}

// ---- Day-first date literals -----------------------------------------------

// The name (T.c, [T].[c], c) whose last token is sig[k]; empty when sig[k]
// is not a column name.
std::string NameEndingAt(const Tokens& t, const std::vector<std::size_t>& sig, std::ptrdiff_t k) {
    if (k < 0) return {};
    const Token& last = t[sig[k]];
    if (!last.IsName() || IsWordIn(last, kReservedWords)) return {};
    std::ptrdiff_t start = k;
    while (start >= 2 && t[sig[start - 1]].Is(TokenKind::Dot) && t[sig[start - 2]].IsName()) start -= 2;
    if (start >= 1 && t[sig[start - 1]].Is(TokenKind::Dot)) return {};
    std::string name;
    for (std::ptrdiff_t j = start; j <= k; ++j) name += t[sig[j]].text;
    return name;
}

std::string NameStartingAt(const Tokens& t, const std::vector<std::size_t>& sig, std::size_t k) {
    if (k >= sig.size()) return {};
    std::size_t end = k;
    if (!t[sig[k]].IsName()) return {};
    while (end + 2 < sig.size() && t[sig[end + 1]].Is(TokenKind::Dot) && t[sig[end + 2]].IsName()) end += 2;
    // A function call or a keyword is not a column.
    if (end + 1 < sig.size() && (t[sig[end + 1]].Is(TokenKind::LParen) || t[sig[end + 1]].Is(TokenKind::Dot))) return {};
    if (IsWordIn(t[sig[end]], kReservedWords)) return {};
    std::string name;
    for (std::size_t j = k; j <= end; ++j) name += t[sig[j]].text;
    return name;
}

void CompareAsDate(Token& literal, const std::string& column, sql::TokenArena& arena) {
    const std::string iso = DayFirstToIso(sql::LiteralValue(literal));
    if (iso.empty()) return;
    literal = {TokenKind::Word, arena.Keep("TV_DATELIT(" + column + ", '" + iso + "', " + std::string(literal.text) + ")")};
}

bool IsDayFirstLiteral(const Token& t) {
    // Cheap test first: a day-first date starts with a digit.
    return t.Is(TokenKind::String) && t.text.size() >= 8 && t.text[1] >= '0' && t.text[1] <= '9' &&
           !DayFirstToIso(sql::LiteralValue(t)).empty();
}

// column <op> 'd/m/y', 'd/m/y' <op> column and column BETWEEN 'd/m/y' AND
// 'd/m/y' compare as dates when the column holds ISO date text. Operators
// in `assignments` are UPDATE's, not comparisons.
void DateComparisons(Tokens& t, const std::set<std::size_t>& assignments, sql::TokenArena& arena) {
    std::vector<std::size_t> sig;
    for (std::size_t i = 0; i < t.size(); ++i) {
        if (!t[i].IsTrivia()) sig.push_back(i);
    }
    const auto n = static_cast<std::ptrdiff_t>(sig.size());
    for (std::ptrdiff_t k = 0; k < n; ++k) {
        Token& op = t[sig[k]];
        if (op.Is(TokenKind::Operator) && In(op.text, kComparisons) && !assignments.count(sig[k])) {
            if (k + 1 < n && IsDayFirstLiteral(t[sig[k + 1]])) {
                const std::string column = NameEndingAt(t, sig, k - 1);
                if (!column.empty()) CompareAsDate(t[sig[k + 1]], column, arena);
            } else if (k >= 1 && IsDayFirstLiteral(t[sig[k - 1]])) {
                const std::string column = NameStartingAt(t, sig, static_cast<std::size_t>(k + 1));
                if (!column.empty()) CompareAsDate(t[sig[k - 1]], column, arena);
            }
        } else if (op.IsWord("BETWEEN") && k + 3 < n && t[sig[k + 2]].IsWord("AND")) {
            const std::ptrdiff_t before = k >= 1 && t[sig[k - 1]].IsWord("NOT") ? k - 2 : k - 1;
            const std::string column = NameEndingAt(t, sig, before);
            if (column.empty()) continue;
            if (IsDayFirstLiteral(t[sig[k + 1]])) CompareAsDate(t[sig[k + 1]], column, arena);
            if (IsDayFirstLiteral(t[sig[k + 3]])) CompareAsDate(t[sig[k + 3]], column, arena);
        }
    }
}

const TableColumn* FindColumn(const std::vector<TableColumn>* columns, std::string_view name) {
    if (!columns) return nullptr;
    for (const TableColumn& c : *columns) {
        if (ascii::EqualsNoCase(c.name, name)) return &c;
    }
    return nullptr;
}

void WriteAsIsoDate(Token& literal, sql::TokenArena& arena) {
    const std::string iso = DayFirstToIso(sql::LiteralValue(literal));
    if (!iso.empty()) literal = sql::MakeLiteral(iso, arena);
}

// The table a statement writes: the name after `at` (T, [T], x.T); returns
// the index of its last token through `last`.
std::string TargetTable(const Tokens& t, std::size_t at, std::size_t& last) {
    std::size_t j = NextSig(t, at);
    last = npos;
    std::string table;
    while (j != npos && t[j].IsName()) {
        table = Unquoted(t[j]);
        last = j;
        const std::size_t dot = NextSig(t, j);
        if (dot == npos || !t[dot].Is(TokenKind::Dot)) break;
        j = NextSig(t, dot);
    }
    return table;
}

// UPDATE t SET c = 'd/m/y': the assignments' operators, and day-first
// literals written into date columns become ISO text.
std::set<std::size_t> UpdateAssignments(Tokens& t, std::size_t first, Context& context) {
    std::set<std::size_t> ops;
    const std::size_t next = NextSig(t, first);
    if (next != npos && t[next].IsWord("TOP")) RaiseSyntax("UPDATE TOP is not supported");
    std::size_t tableEnd = npos;
    const std::string table = TargetTable(t, first, tableEnd);
    const std::size_t set = FindTopLevelWord(t, first + 1, {"SET"});
    if (set == npos) return ops;
    const std::vector<TableColumn>* columns = nullptr;
    bool looked = false;
    std::size_t itemStart = set;
    while (itemStart != npos) {
        const std::size_t name = NextSig(t, itemStart);
        std::size_t j = name;
        while (j != npos && (t[j].IsName() || t[j].Is(TokenKind::Dot))) {
            const std::size_t after = NextSig(t, j);
            if (after == npos || !(t[after].IsName() || t[after].Is(TokenKind::Dot))) break;
            j = after;
        }
        const std::size_t op = j == npos ? npos : NextSig(t, j);
        if (op == npos || !(t[op].Is(TokenKind::Operator) && t[op].text == "=")) break;
        ops.insert(op);
        const std::size_t value = NextSig(t, op);
        const std::size_t end = value == npos ? npos : NextSig(t, value);
        const bool lone = end == npos || t[end].Is(TokenKind::Comma) || IsWordIn(t[end], {"WHERE", "FROM"});
        if (value != npos && lone && IsDayFirstLiteral(t[value])) {
            if (!looked) {
                columns = context.Columns(table);
                looked = true;
            }
            const TableColumn* column = FindColumn(columns, Unquoted(t[j]));
            if (column && column->isDate) WriteAsIsoDate(t[value], context.arena);
        }
        itemStart = FindTopLevel(t, op + 1, [](const Token& k) {
            return k.Is(TokenKind::Comma) || IsWordIn(k, {"WHERE", "FROM"});
        });
        if (itemStart != npos && !t[itemStart].Is(TokenKind::Comma)) break;
    }
    return ops;
}

// INSERT INTO t [(c1, ...)] VALUES ('d/m/y', ...): day-first literals written
// into date columns become ISO text.
void InsertDates(Tokens& t, std::size_t first, Context& context) {
    const std::size_t values = FindTopLevelWord(t, first + 1, {"VALUES"});
    if (values == npos) return;
    bool any = false;
    for (std::size_t j = values; j < t.size(); ++j) any = any || IsDayFirstLiteral(t[j]);
    if (!any) return;
    std::size_t into = NextSig(t, first);
    if (into != npos && !t[into].IsWord("INTO")) into = first;
    std::size_t tableEnd = npos;
    const std::string table = TargetTable(t, into, tableEnd);
    const std::vector<TableColumn>* columns = context.Columns(table);
    if (!columns || tableEnd == npos) return;

    std::vector<std::string> names;
    const std::size_t open = NextSig(t, tableEnd);
    if (open != npos && open < values && t[open].Is(TokenKind::LParen)) {
        for (std::size_t j = open + 1; j < values && !t[j].Is(TokenKind::RParen); ++j) {
            if (t[j].IsName()) names.push_back(Unquoted(t[j]));
        }
    } else {
        for (const TableColumn& c : *columns) names.push_back(c.name);
    }
    std::size_t row = NextSig(t, values);
    while (row != npos && t[row].Is(TokenKind::LParen)) {
        const std::size_t close = MatchingParen(t, row);
        if (close == npos) return;
        std::size_t item = 0;
        std::size_t start = row;
        while (start < close) {
            std::size_t end = FindTopLevel(t, start + 1, [](const Token& k) { return k.Is(TokenKind::Comma); });
            if (end == npos || end > close) end = close;
            const std::size_t value = NextSig(t, start);
            if (value < end && NextSig(t, value) == end && item < names.size() && IsDayFirstLiteral(t[value])) {
                const TableColumn* column = FindColumn(columns, names[item]);
                if (column && column->isDate) WriteAsIsoDate(t[value], context.arena);
            }
            ++item;
            start = end;
        }
        const std::size_t comma = NextSig(t, close);
        row = comma != npos && t[comma].Is(TokenKind::Comma) ? NextSig(t, comma) : npos;
    }
}

// SELECT [DISTINCT] TOP n ... becomes SELECT [DISTINCT] ... LIMIT n, the
// LIMIT at the end of the same SELECT (after its ORDER BY).
Tokens TopToLimit(const Tokens& t, sql::TokenArena& arena) {
    std::vector<bool> removed(t.size(), false);
    // LIMIT clauses by the index of the token they follow.
    std::vector<std::pair<std::size_t, std::string>> appended;
    for (std::size_t i = 0; i < t.size(); ++i) {
        if (!t[i].IsWord("SELECT")) continue;
        std::size_t top = NextSig(t, i);
        if (top != npos && IsWordIn(t[top], {"DISTINCT", "ALL"})) top = NextSig(t, top);
        if (top == npos || !t[top].IsWord("TOP")) continue;
        const std::size_t count = NextSig(t, top);
        std::size_t last = count;
        std::string limit;
        if (count != npos && t[count].Is(TokenKind::Number)) {
            limit = std::string(t[count].text);
        } else if (count != npos && t[count].Is(TokenKind::LParen)) {
            last = MatchingParen(t, count);
            if (last == npos) RaiseSyntax("TOP ( without its closing parenthesis");
            limit = sql::Join(t, count, last + 1);
            const std::size_t inner = NextSig(t, count);
            if (inner != npos && t[inner].Is(TokenKind::Operator) && t[inner].text == "-") {
                RaiseSyntax("A TOP count may not be negative");
            }
        } else if (count != npos && t[count].Is(TokenKind::Operator) && t[count].text == "-") {
            RaiseSyntax("A TOP count may not be negative");
        } else {
            RaiseSyntax("TOP without a count is not supported");
        }
        const std::size_t after = NextSig(t, last);
        if (after != npos && t[after].IsWord("PERCENT")) RaiseSyntax("TOP ... PERCENT is not supported");
        if (after != npos && t[after].IsWord("WITH")) RaiseSyntax("TOP ... WITH TIES is not supported");
        for (std::size_t j = top; j <= last; ++j) removed[j] = true;
        // Drop the blank after the count, so "TOP 10 *" leaves one blank.
        if (last + 1 < t.size() && t[last + 1].Is(TokenKind::Space)) removed[last + 1] = true;

        const std::size_t end = FindTopLevel(t, last + 1, [](const Token& k) {
            return k.Is(TokenKind::Semicolon) || IsWordIn(k, {"UNION", "EXCEPT", "INTERSECT"});
        });
        std::size_t before = PrevSig(t, i);
        if (before != npos && t[before].IsWord("ALL")) before = PrevSig(t, before);
        if (before != npos && IsWordIn(t[before], {"UNION", "EXCEPT", "INTERSECT"})) {
            RaiseSyntax("TOP in a SELECT joined by " + ascii::Upper(t[before].text) + " is not supported");
        }
        if (end != npos && !t[end].Is(TokenKind::Semicolon)) {
            RaiseSyntax("TOP in a SELECT joined by " + ascii::Upper(t[end].text) + " is not supported");
        }
        // The SELECT ends before the parenthesis that closes its level, or at the end.
        std::size_t close = t.size();
        int depth = 0;
        for (std::size_t j = last + 1; j < t.size(); ++j) {
            if (t[j].Is(TokenKind::LParen)) ++depth;
            if (t[j].Is(TokenKind::RParen) && depth-- == 0) {
                close = j;
                break;
            }
        }
        if (end != npos) close = std::min(close, end);
        const std::size_t at = PrevSig(t, close);
        appended.emplace_back(at, " LIMIT " + limit);
    }
    if (appended.empty()) return t;
    // Inner SELECTs ending at the same token come first: they were found later.
    std::stable_sort(appended.begin(), appended.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    Tokens out;
    out.reserve(t.size() + appended.size());
    auto next = appended.begin();
    for (std::size_t i = 0; i < t.size(); ++i) {
        if (!removed[i]) out.push_back(t[i]);
        const auto from = next;
        while (next != appended.end() && next->first == i) ++next;
        for (auto it = next; it != from;) {
            --it;
            out.push_back({TokenKind::Word, arena.Keep(std::move(it->second))});
        }
    }
    return out;
}

bool StartsWithWord(const Tokens& t, std::initializer_list<std::string_view> words) {
    const std::size_t first = FirstSig(t);
    return first != npos && IsWordIn(t[first], words);
}

// What a statement calls for, found in one pass over its tokens. The
// rewrites that follow add none of these, and leave a day-first literal
// or a TOP only where one stood.
struct Needs {
    bool owner = false;      // dbo. to drop
    bool functions = false;  // ISNULL or CONVERT to rename
    bool dates = false;      // a day-first date literal
    bool top = false;        // TOP to turn into LIMIT
};

// Also turns @@ROWCOUNT into the rows the last INSERT, UPDATE or DELETE
// changed, and refuses any variable or parameter but a "?" marker.
Needs Scan(Tokens& t) {
    Needs needs;
    for (Token& k : t) {
        switch (k.kind) {
            case TokenKind::Parameter:
                if (ascii::EqualsNoCase(k.text, "@@ROWCOUNT")) k = {TokenKind::Word, "changes()"};
                else if (!IsMarker(k)) RejectParameter(k);
                break;
            case TokenKind::Word:
                needs.owner = needs.owner || IsOwner(k);
                needs.functions = needs.functions || IsWordIn(k, {"ISNULL", "CONVERT"});
                needs.top = needs.top || k.IsWord("TOP");
                break;
            case TokenKind::Bracket:
                needs.owner = needs.owner || IsOwner(k);
                break;
            case TokenKind::String:
                needs.dates = needs.dates || IsDayFirstLiteral(k);
                break;
            default:
                break;
        }
    }
    return needs;
}

std::string Rewrite(Tokens t, Context& context) {
    const Needs needs = Scan(t);
    if (needs.owner) t = DropOwner(t);
    if (needs.functions) RenameFunctions(t, context.arena);
    const std::size_t first = FirstSig(t);
    std::set<std::size_t> assignments;
    if (first != npos) {
        const Token head = t[first];
        if (IsWordIn(head, {"CREATE", "ALTER"})) RejectIdentity(t);
        if (head.IsWord("DELETE")) {
            t = AddDeleteFrom(std::move(t), first);
        } else if (head.IsWord("ALTER")) {
            t = AdaptAlterTable(std::move(t), first, context.arena);
        } else if (head.IsWord("UPDATE")) {
            assignments = UpdateAssignments(t, first, context);
        } else if (head.IsWord("INSERT")) {
            InsertDates(t, first, context);
        }
    }
    if (needs.dates) DateComparisons(t, assignments, context.arena);
    if (needs.top) t = TopToLimit(t, context.arena);
    return sql::Join(TrimTrivia(std::move(t)));
}

std::optional<Batch::Command> TransactionCommand(const Tokens& t) {
    const std::size_t first = FirstSig(t);
    const std::size_t second = NextSig(t, first);
    const bool tran = second != npos && IsWordIn(t[second], {"TRAN", "TRANS", "TRANSACTION", "WORK"});
    if (t[first].IsWord("BEGIN")) {
        if (tran) return Batch::Command::BeginTrans;
        if (second != npos && t[second].IsWord("DISTRIBUTED")) RaiseSyntax("BEGIN DISTRIBUTED TRANSACTION is not supported");
        RaiseSyntax("BEGIN ... END blocks are not supported");
    }
    if (t[first].IsWord("COMMIT")) return Batch::Command::CommitTrans;
    // ROLLBACK TO a savepoint undoes part of the transaction and keeps it open.
    if (t[first].IsWord("ROLLBACK") && !(second != npos && t[second].IsWord("TO"))) {
        return Batch::Command::RollbackTrans;
    }
    if (t[first].IsWord("SAVE")) RaiseSyntax("SAVE TRANSACTION is not supported");
    return std::nullopt;
}

std::optional<Step> AdaptStatement(Tokens t, Context& context);

// IF condition statement [ELSE statement].
Step AdaptIf(const Tokens& t, std::size_t first, Context& context) {
    const std::size_t body = FindTopLevelWord(t, first + 1, kStatementStarts);
    if (body == npos || NextSig(t, first) == body) RaiseSyntax("IF needs a condition and a statement");
    // ELSE at depth 0 outside CASE ... END belongs to the IF.
    std::size_t elsePos = npos;
    int depth = 0;
    int cases = 0;
    for (std::size_t j = body; j < t.size() && elsePos == npos; ++j) {
        if (t[j].Is(TokenKind::LParen)) ++depth;
        else if (t[j].Is(TokenKind::RParen)) --depth;
        else if (depth == 0 && t[j].IsWord("CASE")) ++cases;
        else if (depth == 0 && t[j].IsWord("END") && cases > 0) --cases;
        else if (depth == 0 && cases == 0 && t[j].IsWord("ELSE")) elsePos = j;
    }
    Step step;
    step.kind = Step::Kind::If;
    const Tokens condition(t.begin() + static_cast<std::ptrdiff_t>(first + 1), t.begin() + static_cast<std::ptrdiff_t>(body));
    Tokens test = sql::Tokenize("SELECT CASE WHEN ");
    test.insert(test.end(), condition.begin(), condition.end());
    const Tokens tail = sql::Tokenize(" THEN 1 ELSE 0 END");
    test.insert(test.end(), tail.begin(), tail.end());
    step.sql = Rewrite(std::move(test), context);

    const auto branch = [&](std::size_t from, std::size_t to, std::vector<Step>& into) {
        Tokens part = TrimTrivia(Tokens(t.begin() + static_cast<std::ptrdiff_t>(from), t.begin() + static_cast<std::ptrdiff_t>(to)));
        if (part.empty()) RaiseSyntax("IF ... ELSE needs a statement after ELSE");
        if (StartsWithWord(part, {"BEGIN", "COMMIT", "ROLLBACK", "SAVE"})) {
            RaiseSyntax("BEGIN ... END blocks and transaction commands inside IF are not supported");
        }
        if (std::optional<Step> s = AdaptStatement(std::move(part), context)) into.push_back(std::move(*s));
    };
    branch(body, elsePos == npos ? t.size() : elsePos, step.then);
    if (elsePos != npos) branch(elsePos + 1, t.size(), step.otherwise);
    return step;
}

// RAISERROR('text', severity, state) with a severity of 11 or more: the
// batch stops with the text ("%%" in it stands for "%").
Step AdaptRaiserror(const Tokens& t, std::size_t first) {
    std::vector<const Token*> args;
    const std::size_t open = NextSig(t, first);
    const std::size_t close = open == npos || !t[open].Is(TokenKind::LParen) ? npos : MatchingParen(t, open);
    if (close != npos && NextSig(t, close) == npos) {
        for (std::size_t j = open + 1; j < close; ++j) {
            if (!t[j].IsTrivia() && !t[j].Is(TokenKind::Comma)) args.push_back(&t[j]);
        }
    }
    const bool shaped = args.size() == 3 && args[0]->Is(TokenKind::String) && args[1]->Is(TokenKind::Number) &&
                        args[2]->Is(TokenKind::Number);
    if (!shaped) RaiseSyntax("RAISERROR is supported only as RAISERROR('text', severity, state)");
    if (vb::Val(args[1]->text) < 11) RaiseSyntax("RAISERROR with a severity below 11 is not supported");
    std::string text = sql::LiteralValue(*args[0]);
    for (std::size_t p = text.find("%%"); p != std::string::npos; p = text.find("%%", p + 1)) text.erase(p, 1);
    Step step;
    step.kind = Step::Kind::Raise;
    step.sql = std::move(text);
    return step;
}

std::optional<Step> AdaptStatement(Tokens t, Context& context) {
    const std::size_t first = FirstSig(t);
    const Token& head = t[first];
    if (head.IsWord("RAISERROR")) return AdaptRaiserror(t, first);
    if (head.IsWord("GO")) {
        const std::size_t next = NextSig(t, first);
        if (next == npos || (t[next].Is(TokenKind::Number) && NextSig(t, next) == npos)) return std::nullopt;
        RaiseSyntax("GO must stand on a line of its own");
    }
    if (head.IsWord("SET")) {
        const std::size_t option = NextSig(t, first);
        if (option != npos && IsWordIn(t[option], kDroppedSetOptions)) return std::nullopt;
        RaiseSyntax("SET " + (option == npos ? std::string() : ascii::Upper(t[option].text)) + " is not supported");
    }
    if (head.IsWord("IF")) return AdaptIf(t, first, context);
    if (IsWordIn(head, {"EXEC", "EXECUTE", "DECLARE", "PRINT", "USE", "GRANT", "REVOKE", "MERGE", "TRUNCATE"})) {
        RaiseSyntax(ascii::Upper(head.text) + " is not supported");
    }
    Step step;
    step.changesRows = IsWordIn(head, {"INSERT", "UPDATE", "DELETE", "REPLACE"});
    step.changesSchema = IsWordIn(head, {"CREATE", "DROP", "ALTER"});
    step.sql = Rewrite(std::move(t), context);
    return step;
}

bool IsDigits(std::string_view s, std::size_t minLen, std::size_t maxLen) {
    return s.size() >= minLen && s.size() <= maxLen &&
           std::all_of(s.begin(), s.end(), [](char c) { return c >= '0' && c <= '9'; });
}

}  // namespace

std::string DayFirstToIso(std::string_view literal) {
    // d/m/y with "/", "-" or "." and a 2- or 4-digit year, optionally a time.
    std::string_view text = literal;
    while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
    while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
    const std::size_t blank = text.find(' ');
    const std::string_view date = text.substr(0, blank);
    if (date.size() < 6 || date.size() > 10) return {};
    const std::size_t s1 = date.find_first_of("/-.");
    if (s1 == npos) return {};
    const char sep = date[s1];
    const std::size_t s2 = date.find(sep, s1 + 1);
    if (s2 == npos || date.find(sep, s2 + 1) != npos) return {};
    if (!IsDigits(date.substr(0, s1), 1, 2) || !IsDigits(date.substr(s1 + 1, s2 - s1 - 1), 1, 2)) return {};
    const std::string_view year = date.substr(s2 + 1);
    if (!IsDigits(year, 2, 2) && !IsDigits(year, 4, 4)) return {};
    if (blank != npos) {
        std::string_view time = text.substr(blank);
        while (!time.empty() && time.front() == ' ') time.remove_prefix(1);
        const bool hm = time.size() >= 4 && time.size() <= 8 && time.find(':') != npos &&
                        std::all_of(time.begin(), time.end(), [](char c) { return (c >= '0' && c <= '9') || c == ':'; });
        if (!hm) return {};
    }
    const std::optional<vb::Date> parsed = vb::ParseDate(text);
    if (!parsed) return {};
    return parsed->ToIso();
}

Batch AdaptBatch(std::string_view sqlServerText, const ColumnsLookup& columns) {
    Tokens tokens = sql::Tokenize(sqlServerText);
    Context context;
    context.columns = &columns;
    const auto markers = static_cast<std::size_t>(std::count_if(tokens.begin(), tokens.end(), IsMarker));

    struct Item {
        Batch::Command command = Batch::Command::None;
        Step step;
    };
    std::vector<Item> items;
    for (Tokens& statement : SplitStatements(std::move(tokens))) {
        if (std::optional<Batch::Command> command = TransactionCommand(statement)) {
            items.push_back({*command, {}});
        } else if (std::optional<Step> step = AdaptStatement(std::move(statement), context)) {
            items.push_back({Batch::Command::None, std::move(*step)});
        }
    }

    Batch batch;
    batch.markers = markers;
    if (items.size() == 1 && items[0].command != Batch::Command::None) {
        batch.command = items[0].command;
        return batch;
    }
    int open = 0;
    for (Item& item : items) {
        switch (item.command) {
            case Batch::Command::BeginTrans:
                ++open;
                break;
            case Batch::Command::CommitTrans:
                if (open == 0) RaiseSyntax("COMMIT TRANSACTION without its BEGIN TRANSACTION in the same batch is not supported");
                --open;
                break;
            case Batch::Command::RollbackTrans:
                RaiseSyntax("ROLLBACK TRANSACTION inside a batch is not supported (a batch that fails is rolled back whole)");
            case Batch::Command::None:
                batch.steps.push_back(std::move(item.step));
                break;
        }
    }
    batch.opensTransaction = open > 0;
    return batch;
}

}  // namespace adodb::sqlite
