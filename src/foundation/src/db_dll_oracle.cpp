// The Oracle members of DB_Dll: ORACLE_Dicc rewrites one statement written in
// SQL Server's dialect into Oracle's, and EjecutaScriptOracle splits a script
// into statements and runs them one at a time.
//
// Everything here works on a small lexer that knows string literals ('...'
// with doubled apostrophes) and quoted identifiers ([...] and "..."), so that
// no rule rewrites text inside a literal and no keyword inside a literal splits
// a script. Patterns compare without regard to case.

#include <algorithm>
#include <cstddef>
#include <cstdio>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "db_dll_internal.h"
#include "foundation/db_dll.h"
#include "helpers/helpers.h"
#include "vb/conv.h"
#include "vb/error.h"
#include "vb/steps.h"
#include "vb/text.h"

namespace foundation {
namespace {

// ---- Lexer ---------------------------------------------------------------

enum class Tok { Word, Number, Literal, Ident, Space, Open, Close, Comma, Other };

struct Token {
    Tok kind;
    std::string text;
};

bool IsLetter(unsigned char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_' || c == '@' || c == '#' ||
           c == '$' || c >= 0x80;  // bytes of non-ASCII letters
}
bool IsDigit(unsigned char c) { return c >= '0' && c <= '9'; }
bool IsWordChar(unsigned char c) { return IsLetter(c) || IsDigit(c); }
bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

// Raises error 5 on an apostrophe that no other closes; when `abiertoHastaElFin`,
// such a literal runs to the end of the text instead.
std::vector<Token> Lex(std::string_view sql, bool abiertoHastaElFin = false) {
    std::vector<Token> tokens;
    const std::size_t n = sql.size();
    std::size_t i = 0;
    while (i < n) {
        const char c = sql[i];
        std::size_t j = i + 1;
        Tok kind = Tok::Other;
        if (c == '\'') {
            kind = Tok::Literal;
            for (;;) {
                j = sql.find('\'', j);
                if (j == std::string_view::npos && abiertoHastaElFin) {
                    j = n;
                    break;
                }
                if (j == std::string_view::npos) {
                    throw vb::InvalidCall("Unterminated string literal in the SQL text: " +
                                          std::string(sql));
                }
                if (j + 1 < n && sql[j + 1] == '\'') {
                    j += 2;  // a doubled apostrophe stands for one
                    continue;
                }
                ++j;
                break;
            }
        } else if (c == '[' || c == '"') {
            // An unmatched bracket or double quote is a character like any other.
            const std::size_t close = sql.find(c == '[' ? ']' : '"', i + 1);
            if (close != std::string_view::npos) {
                kind = Tok::Ident;
                j = close + 1;
            }
        } else if (IsSpace(c)) {
            kind = Tok::Space;
            while (j < n && IsSpace(sql[j])) ++j;
        } else if (c == '(') {
            kind = Tok::Open;
        } else if (c == ')') {
            kind = Tok::Close;
        } else if (c == ',') {
            kind = Tok::Comma;
        } else if (IsDigit(static_cast<unsigned char>(c))) {
            kind = Tok::Number;
            while (j < n && (IsDigit(static_cast<unsigned char>(sql[j])) || sql[j] == '.')) ++j;
        } else if (IsLetter(static_cast<unsigned char>(c))) {
            kind = Tok::Word;
            while (j < n && IsWordChar(static_cast<unsigned char>(sql[j]))) ++j;
        }
        tokens.push_back({kind, std::string(sql.substr(i, j - i))});
        i = j;
    }
    return tokens;
}

std::string Join(const std::vector<Token>& tokens) {
    std::string out;
    for (const Token& t : tokens) out += t.text;
    return out;
}

bool IsWord(const Token& t, std::string_view word) {
    return t.kind == Tok::Word && vb::Equals(t.text, word, vb::Compare::Text);
}

std::size_t SkipSpace(const std::vector<Token>& t, std::size_t i, std::size_t end) {
    while (i < end && t[i].kind == Tok::Space) ++i;
    return i;
}

// Index of the parenthesis that closes the one at `open`; t.size() when none does.
std::size_t MatchingClose(const std::vector<Token>& t, std::size_t open) {
    int depth = 0;
    for (std::size_t i = open; i < t.size(); ++i) {
        if (t[i].kind == Tok::Open) ++depth;
        if (t[i].kind == Tok::Close && --depth == 0) return i;
    }
    return t.size();
}

// Token ranges of the arguments between the parentheses at `open` and `close`.
std::vector<std::pair<std::size_t, std::size_t>> Arguments(const std::vector<Token>& t,
                                                           std::size_t open, std::size_t close) {
    std::vector<std::pair<std::size_t, std::size_t>> args;
    std::size_t start = open + 1;
    int depth = 0;
    for (std::size_t i = open + 1; i < close; ++i) {
        if (t[i].kind == Tok::Open) ++depth;
        if (t[i].kind == Tok::Close) --depth;
        if (t[i].kind == Tok::Comma && depth == 0) {
            args.emplace_back(start, i);
            start = i + 1;
        }
    }
    args.emplace_back(start, close);
    return args;
}

std::string JoinRange(const std::vector<Token>& t, std::size_t b, std::size_t e) {
    std::string out;
    for (std::size_t i = b; i < e; ++i) out += t[i].text;
    return out;
}

// The text with `change` applied to each stretch between string literals.
std::string ChangeCode(const std::vector<Token>& tokens, const std::function<std::string(const std::string&)>& change) {
    std::string out;
    std::string code;
    for (const Token& t : tokens) {
        if (t.kind != Tok::Literal) {
            code += t.text;
            continue;
        }
        out += change(code);
        code.clear();
        out += t.text;
    }
    return out + change(code);
}

// Replaces every occurrence outside string literals.
std::string ReplaceInCode(std::string_view sql, std::string_view find, std::string_view with) {
    return ChangeCode(Lex(sql), [&](const std::string& code) { return vb::Replace(code, find, with, vb::Compare::Text); });
}

// The text with every literal (and, when asked, every quoted identifier)
// blanked out byte for byte, so that a position found in it is a position in
// the text.
std::string CodeMask(std::string_view sql, bool maskIdentifiers) {
    std::string mask;
    mask.reserve(sql.size());
    for (const Token& t : Lex(sql)) {
        const bool hide = t.kind == Tok::Literal || (maskIdentifiers && t.kind == Tok::Ident);
        mask += hide ? std::string(t.text.size(), '\x01') : t.text;
    }
    return mask;
}

bool ContainsInCode(std::string_view sql, std::string_view find) {
    return vb::FindBytes(CodeMask(sql, false), find, 0, vb::Compare::Text) != std::string::npos;
}

// ---- Rule 1: TOP n into ROWNUM --------------------------------------------

// One element of a nesting level: a token, or a parenthesised group already
// rewritten (kind Open, `inner` the group's original content).
struct Item {
    Tok kind;
    std::string text;
    std::string inner;
};

bool IsWord(const Item& item, std::string_view word) {
    return item.kind == Tok::Word && vb::Equals(item.text, word, vb::Compare::Text);
}

bool AllDigits(std::string_view s) {
    return !s.empty() && std::all_of(s.begin(), s.end(),
                                      [](char c) { return IsDigit(static_cast<unsigned char>(c)); });
}

std::size_t SkipSpace(const std::vector<Item>& items, std::size_t i, std::size_t end) {
    while (i < end && items[i].kind == Tok::Space) ++i;
    return i;
}

std::string Concat(const std::vector<Item>& items, std::size_t b, std::size_t e) {
    std::string out;
    for (std::size_t i = b; i < e; ++i) out += items[i].text;
    return out;
}

// The SELECT at items[k], up to items[f]: a TOP n becomes a ROWNUM limit.
// With ORDER BY, GROUP BY or HAVING the limit must apply after them, so the
// select is wrapped in an outer one; otherwise the limit joins its WHERE.
std::string RewriteSelect(const std::vector<Item>& items, std::size_t k, std::size_t f) {
    std::size_t top = SkipSpace(items, k + 1, f);
    if (top < f && (IsWord(items[top], "DISTINCT") || IsWord(items[top], "ALL"))) {
        top = SkipSpace(items, top + 1, f);
    }
    if (top >= f || !IsWord(items[top], "TOP")) return Concat(items, k, f);

    const std::size_t m = SkipSpace(items, top + 1, f);
    std::string count;
    if (m < f && items[m].kind == Tok::Number && AllDigits(items[m].text)) {
        count = items[m].text;
    } else if (m < f && items[m].kind == Tok::Open && AllDigits(vb::Trim(items[m].inner))) {
        count = vb::Trim(items[m].inner);
    } else {
        throw vb::InvalidCall("TOP without a row count in the SQL text: " + Concat(items, k, f));
    }

    const std::string head = Concat(items, k, top);  // "SELECT " or "SELECT DISTINCT "
    const std::size_t rest = SkipSpace(items, m + 1, f);
    std::size_t end = f;
    while (end > rest && items[end - 1].kind == Tok::Space) --end;
    const std::string trailing = Concat(items, end, f);

    std::optional<std::size_t> where;
    bool grouped = false;
    for (std::size_t i = rest; i < end; ++i) {
        if (IsWord(items[i], "WHERE") && !where) where = i;
        if (IsWord(items[i], "HAVING")) grouped = true;
        if (IsWord(items[i], "ORDER") || IsWord(items[i], "GROUP")) {
            const std::size_t by = SkipSpace(items, i + 1, end);
            if (by < end && IsWord(items[by], "BY")) grouped = true;
        }
    }
    const std::string limit = "ROWNUM <= " + count;
    if (grouped) {
        return "SELECT * FROM (" + head + Concat(items, rest, end) + ") WHERE " + limit + trailing;
    }
    if (!where) return head + Concat(items, rest, end) + " WHERE " + limit + trailing;
    // The condition is bracketed so that an OR in it cannot escape the limit.
    return head + Concat(items, rest, *where) + "WHERE (" +
           Concat(items, SkipSpace(items, *where + 1, end), end) + ") AND " + limit + trailing;
}

bool IsSetOperator(const Item& item) {
    return IsWord(item, "UNION") || IsWord(item, "INTERSECT") || IsWord(item, "EXCEPT") ||
           IsWord(item, "MINUS");
}

// Rewrites the tokens [b, e) of one nesting level; each sub-select in
// parentheses is rewritten on its own.
std::string RewriteTopLevel(const std::vector<Token>& t, std::size_t b, std::size_t e) {
    std::vector<Item> items;
    for (std::size_t i = b; i < e; ++i) {
        if (t[i].kind != Tok::Open) {
            items.push_back({t[i].kind, t[i].text, {}});
            continue;
        }
        std::size_t close = i + 1;
        for (int depth = 1; close < e; ++close) {
            if (t[close].kind == Tok::Open) ++depth;
            if (t[close].kind == Tok::Close && --depth == 0) break;
        }
        std::string text = "(" + RewriteTopLevel(t, i + 1, close);
        if (close < e) text += ")";
        items.push_back({Tok::Open, std::move(text), JoinRange(t, i + 1, close)});
        i = close;
    }

    std::string out;
    std::size_t k = 0;
    while (k < items.size()) {
        if (!IsWord(items[k], "SELECT")) {
            out += items[k++].text;
            continue;
        }
        std::size_t f = k + 1;
        while (f < items.size() && !IsSetOperator(items[f])) ++f;
        out += RewriteSelect(items, k, f);
        k = f;
    }
    return out;
}

std::string TopToRownum(std::string_view sql) {
    const std::vector<Token> t = Lex(sql);
    return RewriteTopLevel(t, 0, t.size());
}

// ---- Rule 2: LEN ------------------------------------------------------------

std::string LenToLength(std::string sql) {
    for (const char* pattern : {" LEN(", " LEN (", " LEN  (", " LEN   (", " LEN    ("}) {
        sql = ReplaceInCode(sql, pattern, " LENGTH(");
    }
    return sql;
}

// ---- Rule 4: date literals ----------------------------------------------------

// The value of a literal token: without its apostrophes, doubled ones made single.
std::string LiteralValue(std::string_view literal) {
    return vb::Replace(literal.substr(1, literal.size() - 2), "''", "'");
}

// TO_DATE of a literal that reads as a day-first date; nullopt for any other.
// A time of day, when the literal has one, is kept.
std::optional<std::string> OracleDate(const std::string& value) {
    // A time alone reads as a time on day 0; it is no date.
    if (value.substr(0, value.find(':')).find_first_of("/-.") == std::string::npos) {
        return std::nullopt;
    }
    const std::optional<vb::Date> date = vb::ParseDate(value);
    if (!date) return std::nullopt;
    const vb::DateParts p = date->Parts();
    char text[96];
    if (value.find(':') == std::string::npos) {
        std::snprintf(text, sizeof text, "TO_DATE('%02d/%02d/%04d','DD/MM/YYYY')", p.day, p.month,
                      p.year);
    } else {
        std::snprintf(text, sizeof text,
                      "TO_DATE('%02d/%02d/%04d %02d:%02d:%02d','DD/MM/YYYY HH24:MI:SS')", p.day,
                      p.month, p.year, p.hour, p.minute, p.second);
    }
    return std::string(text);
}

// True when the literal at `i` is the first argument of a TO_DATE call.
bool IsTo_DateArgument(const std::vector<Token>& t, std::size_t i) {
    std::size_t j = i;
    while (j > 0 && t[j - 1].kind == Tok::Space) --j;
    if (j == 0 || t[j - 1].kind != Tok::Open) return false;
    --j;
    while (j > 0 && t[j - 1].kind == Tok::Space) --j;
    return j > 0 && IsWord(t[j - 1], "TO_DATE");
}

std::string DatesToTo_Date(std::string_view sql) {
    std::vector<Token> t = Lex(sql);
    for (std::size_t i = 0; i < t.size(); ++i) {
        if (t[i].kind != Tok::Literal || IsTo_DateArgument(t, i)) continue;
        if (std::optional<std::string> date = OracleDate(LiteralValue(t[i].text))) {
            t[i].text = std::move(*date);
        }
    }
    return Join(t);
}

// ---- Rule 5: CHARINDEX(a, b) into InStr(b, a) --------------------------------

std::string CharindexToInstr(std::string_view sql) {
    const std::vector<Token> t = Lex(sql);
    std::string out;
    for (std::size_t i = 0; i < t.size(); ++i) {
        if (IsWord(t[i], "CHARINDEX")) {
            const std::size_t open = SkipSpace(t, i + 1, t.size());
            const std::size_t close = open < t.size() && t[open].kind == Tok::Open
                                          ? MatchingClose(t, open)
                                          : t.size();
            if (close < t.size()) {
                std::vector<std::string> args;
                for (const auto& [b, e] : Arguments(t, open, close)) {
                    args.push_back(vb::Trim(CharindexToInstr(JoinRange(t, b, e))));
                }
                if (args.size() >= 2) std::swap(args[0], args[1]);  // Oracle: text first
                std::string call = "InStr(";
                for (std::size_t a = 0; a < args.size(); ++a) call += (a ? ", " : "") + args[a];
                out += call + ")";
                i = close;
                continue;
            }
        }
        out += t[i].text;
    }
    return out;
}

// ---- Rule 6: CONVERT -----------------------------------------------------------

std::string ConvertToFunctions(std::string_view sql) {
    return ReplaceInCode(ReplaceInCode(sql, "CONVERT(NVARCHAR,", "TO_CHAR("), "CONVERT(INT,",
                         "TO_NUMBER(");
}

// ---- Rule 7: comparisons with the empty text -------------------------------------

// From the first WHERE on, "= ''" and then "=''" become " IS NULL " (Oracle
// holds the empty text as NULL).
std::string EmptyTextToIsNull(std::string_view sql) {
    std::vector<Token> t = Lex(sql);
    std::size_t w = 0;
    while (w < t.size() && !(IsWord(t[w], "WHERE") && w + 1 < t.size() && t[w + 1].kind == Tok::Space)) {
        ++w;
    }
    auto isEquals = [&](std::size_t i) { return t[i].kind == Tok::Other && t[i].text == "="; };
    auto isEmpty = [&](std::size_t i) { return t[i].kind == Tok::Literal && t[i].text == "''"; };
    for (std::size_t i = w; i + 2 < t.size(); ++i) {
        if (isEquals(i) && t[i + 1].kind == Tok::Space && t[i + 1].text == " " && isEmpty(i + 2)) {
            t[i] = {Tok::Other, " IS NULL "};
            t[i + 1].text.clear();
            t[i + 2] = {Tok::Other, ""};
        }
    }
    for (std::size_t i = w; i + 1 < t.size(); ++i) {
        if (isEquals(i) && isEmpty(i + 1)) {
            t[i] = {Tok::Other, " IS NULL "};
            t[i + 1] = {Tok::Other, ""};
        }
    }
    return Join(t);
}

// ---- Rule 8: date style 103 ----------------------------------------------------

// A style 103 that is the last argument of TO_CHAR becomes its format.
std::string Style103ToFormat(std::string_view sql) {
    std::vector<Token> t = Lex(sql);
    for (std::size_t i = 0; i < t.size(); ++i) {
        if (!IsWord(t[i], "TO_CHAR")) continue;
        const std::size_t open = SkipSpace(t, i + 1, t.size());
        if (open >= t.size() || t[open].kind != Tok::Open) continue;
        const std::size_t close = MatchingClose(t, open);
        if (close >= t.size()) continue;
        const auto args = Arguments(t, open, close);
        if (args.size() < 2) continue;
        const auto [b, e] = args.back();
        std::size_t style = SkipSpace(t, b, e);
        if (style < e && t[style].kind == Tok::Number && t[style].text == "103" &&
            SkipSpace(t, style + 1, e) == e) {
            t[style].text = "'DD/MM/YYYY'";
        }
    }
    return Join(t);
}

// ---- The script runner -------------------------------------------------------

// Statement keywords, in the order they are looked for.
constexpr const char* kKeywords[] = {
    "INSERT ", "DELETE ",          "UPDATE ", "CREATE ",       "DROP ",     "ALTER ",
    "SET TRANSACTION", "COMMIT", "ROLLBACK", "IF NOT EXIST", "IF EXIST", "GRANT ",
    "IF @@ROWCOUNT",
};

// A line feed standing alone counts as a line break, as CR LF does.
std::string LineFeedsToCrLf(std::string_view script) {
    std::vector<Token> t = Lex(script);
    for (Token& token : t) {
        if (token.kind != Tok::Space) continue;
        std::string text;
        for (std::size_t i = 0; i < token.text.size(); ++i) {
            if (token.text[i] == '\n' && (i == 0 || token.text[i - 1] != '\r')) text += '\r';
            text += token.text[i];
        }
        token.text = std::move(text);
    }
    return Join(t);
}

// Joins the script's lines, drops GO and SET NOCOUNT, and writes the
// transaction commands as the statement keywords name them.
std::string NormalizeScript(std::string_view text) {
    static const std::pair<const char*, const char*> kSteps[] = {
        {"SET NOCOUNT ON", ""},
        {"SET NOCOUNT OFF", ""},
        {" GO ", " "},
        {"\r\nGO ", " "},
        {"\r\nGO ", " "},
        {"\r\nGO\r\n", " "},
        {"\r\n", " "},
        {"\r", " "},
        {"BEGIN TRANSACTION", "SET TRANSACTION"},
        {"BEGIN TRANS", "SET TRANSACTION"},
        {"COMMIT TRANSACTION", "COMMIT"},
        {"COMMIT TRANS", "COMMIT"},
        {"ROLLBACK TRANSACTION", "ROLLBACK"},
        {"ROLLBACK TRANS", "ROLLBACK"},
    };
    std::string script = LineFeedsToCrLf(text);
    for (const auto& [find, with] : kSteps) script = ReplaceInCode(script, find, with);

    // A GO on the script's last line separates nothing.
    const std::string mask = CodeMask(script, true);
    std::size_t end = mask.size();
    while (end > 0 && IsSpace(mask[end - 1])) --end;
    if (end >= 3 && vb::Equals(std::string_view(mask).substr(end - 3, 3), " GO")) {
        script.erase(end - 2);
    }
    return script;
}

// Start offsets of the statement keywords, outside literals and quoted
// identifiers and each at the start of a word, in increasing order.
std::vector<std::size_t> KeywordStarts(std::string_view script) {
    const std::string mask = CodeMask(script, true);
    std::vector<std::size_t> starts;
    for (const char* keyword : kKeywords) {
        for (std::size_t p = vb::FindBytes(mask, keyword, 0, vb::Compare::Text);
             p != std::string::npos; p = vb::FindBytes(mask, keyword, p + 1, vb::Compare::Text)) {
            if (p == 0 || !IsWordChar(static_cast<unsigned char>(mask[p - 1]))) starts.push_back(p);
        }
    }
    std::sort(starts.begin(), starts.end());
    starts.erase(std::unique(starts.begin(), starts.end()), starts.end());
    return starts;
}

std::string TrimSpace(std::string_view s) {
    std::size_t b = 0;
    std::size_t e = s.size();
    while (b < e && IsSpace(s[b])) ++b;
    while (e > b && IsSpace(s[e - 1])) --e;
    return std::string(s.substr(b, e - b));
}

// The provider's "command returned no result" notice, which is no error.
constexpr long kNoResult = 265929;

// "IF @@ROWCOUNT = 0 RAISERROR('text', ...)": the check that the statement
// before it changed a row. The text, "%%" standing for "%"; nullopt for any
// other statement.
std::optional<std::string> ChequeoDeFilas(std::string_view statement) {
    const std::vector<Token> t = Lex(statement);
    std::vector<const Token*> sig;
    for (const Token& k : t) {
        if (k.kind != Tok::Space) sig.push_back(&k);
    }
    const bool forma = sig.size() > 6 && IsWord(*sig[0], "IF") && IsWord(*sig[1], "@@ROWCOUNT") &&
                       sig[2]->text == "=" && sig[3]->text == "0" && IsWord(*sig[4], "RAISERROR") &&
                       sig[5]->kind == Tok::Open && sig[6]->kind == Tok::Literal;
    if (!forma) return std::nullopt;
    return vb::Replace(LiteralValue(sig[6]->text), "%%", "%");
}

}  // namespace

namespace detail {

std::string FueraDeLiterales(const std::string& sql, const std::function<std::string(const std::string&)>& cambio) {
    return ChangeCode(Lex(sql, true), cambio);
}

}  // namespace detail

std::string DB_Dll::ORACLE_Dicc(const std::string& Valor) {
    if (!EsOracle()) return Valor;
    if (helpers::gFunciones().CuentaPalabras(Valor) < 2) {
        return vb::Equals(Valor, "LEN", vb::Compare::Text) ? "LENGTH" : Valor;
    }
    std::string sql = TopToRownum(Valor);
    sql = LenToLength(sql);
    sql = ReplaceInCode(ReplaceInCode(sql, "[", "\""), "]", "\"");
    sql = DatesToTo_Date(sql);
    sql = CharindexToInstr(sql);
    sql = ConvertToFunctions(sql);
    sql = EmptyTextToIsNull(sql);
    sql = Style103ToFormat(sql);
    sql = ReplaceInCode(sql, "SUBSTRING(", "SUBSTR(");
    return ReplaceInCode(sql, "ISNULL(", "NVL(");
}

std::string DB_Dll::DescartaSentenciaOracle(std::string& Sentencia) {
    if (ContainsInCode(Sentencia, "SET NOCOUNT") || ContainsInCode(Sentencia, "IF NOT EXIST")) {
        Sentencia.clear();
    }
    return Sentencia;
}

// Runs on an Oracle connection only (the caller decides). Every statement is
// rewritten before the first one runs, so that text the rewriting cannot take
// apart stops the script before it changes anything. A failure rolls back the
// transaction the script opened (or the one the runner opened for a script of
// several statements without transaction commands) and goes on to the caller;
// `script` then holds the text from the failing statement on. A statement
// "IF @@ROWCOUNT = 0 RAISERROR('text', ...)" fails the script with its text
// (kErrRaised) when the statement run before it changed no row.
std::string DB_Dll::EjecutaScriptOracle(std::string& script, long& RecordsAffected) {
    enum class Kind { Begin, Commit, Rollback, Execute, Dropped, RowCheck };
    struct Statement {
        Kind kind;
        std::size_t start;
        std::size_t end;
        std::string sql;
    };

    const std::string text = NormalizeScript(script);
    script = text;
    const std::vector<std::size_t> starts = KeywordStarts(text);

    std::vector<Statement> statements;
    bool hasTransactionCommands = false;
    int executable = 0;
    for (std::size_t i = 0; i < starts.size(); ++i) {
        const std::size_t start = starts[i];
        const std::size_t end = i + 1 < starts.size() ? starts[i + 1] : text.size();
        const std::string statement = TrimSpace(std::string_view(text).substr(start, end - start));
        Kind kind = Kind::Execute;
        std::string sql;
        if (vb::Equals(statement, "SET TRANSACTION", vb::Compare::Text)) {
            kind = Kind::Begin;
        } else if (vb::Equals(statement, "COMMIT", vb::Compare::Text)) {
            kind = Kind::Commit;
        } else if (vb::Equals(statement, "ROLLBACK", vb::Compare::Text)) {
            kind = Kind::Rollback;
        } else if (std::optional<std::string> texto = ChequeoDeFilas(statement)) {
            kind = Kind::RowCheck;
            sql = std::move(*texto);
        } else {
            sql = ORACLE_Dicc(statement);
            DescartaSentenciaOracle(sql);
            if (vb::Trim(sql).empty()) kind = Kind::Dropped;
        }
        if (kind == Kind::Begin || kind == Kind::Commit || kind == Kind::Rollback) {
            hasTransactionCommands = true;
        }
        if (kind == Kind::Execute) ++executable;
        statements.push_back({kind, start, end, std::move(sql)});
    }

    // A batch of several statements without transaction commands of its own
    // runs as one unit.
    const bool ownTransaction = !hasTransactionCommands && executable > 1 && !gCnn.InTransaction();
    bool opened = false;  // a transaction this script began and has not ended
    long lastRows = -1;   // rows the statement run last changed
    try {
        if (ownTransaction) {
            gCnn.BeginTrans();
            opened = true;
        }
        for (const Statement& s : statements) {
            script = text.substr(s.start);
            switch (s.kind) {
            case Kind::Begin:
                gCnn.BeginTrans();
                opened = true;
                break;
            case Kind::Commit:
                gCnn.CommitTrans();
                opened = false;
                break;
            case Kind::Rollback:
                gCnn.RollbackTrans();
                opened = false;
                break;
            case Kind::Execute: {
                long rows = 0;
                gCnn.Execute(s.sql, rows, -1);
                RecordsAffected += rows;
                lastRows = rows;
                break;
            }
            case Kind::RowCheck:
                if (lastRows == 0) {
                    throw vb::Error(adodb::kErrRaised, s.sql, "EjecutaScriptOracle", adodb::kNativeRaised, "42000");
                }
                break;
            case Kind::Dropped:
                break;
            }
            script = text.substr(s.end);
        }
        if (ownTransaction) {
            gCnn.CommitTrans();
            opened = false;
        }
    } catch (...) {
        if (opened) vb::IgnoreErrors([this] { gCnn.RollbackTrans(); });
        throw;
    }

    adodb::Errors& errors = gCnn.Errors();
    if (errors.Count() == 1 && errors.Item(0).Number == kNoResult) errors.Clear();
    return {};
}

}  // namespace foundation
