#include "odbc_engine.h"

#include <sql.h>
#include <sqlext.h>

#include <algorithm>
#include <array>
#include <charconv>
#include <climits>
#include <cstdint>
#include <cstring>
#include <limits>
#include <optional>
#include <utility>
#include <vector>

#include "engines.h"
#include "sql_tokens.h"

namespace adodb {
namespace odbc {

namespace {

// ---- Errors ---------------------------------------------------------------

struct Diagnostic {
    std::string state;
    long native = 0;
    std::string message;
};

std::vector<Diagnostic> ReadDiagnostics(SQLSMALLINT type, SQLHANDLE handle) {
    std::vector<Diagnostic> out;
    if (handle == SQL_NULL_HANDLE) return out;
    for (SQLSMALLINT rec = 1;; ++rec) {
        SQLCHAR state[6] = {};
        SQLINTEGER native = 0;
        std::string message(SQL_MAX_MESSAGE_LENGTH, '\0');
        SQLSMALLINT length = 0;
        SQLRETURN rc = SQLGetDiagRec(type, handle, rec, state, &native,
                                     reinterpret_cast<SQLCHAR*>(message.data()),
                                     static_cast<SQLSMALLINT>(message.size()), &length);
        if (rc == SQL_SUCCESS_WITH_INFO && length >= static_cast<SQLSMALLINT>(message.size())) {
            message.assign(static_cast<std::size_t>(length) + 1, '\0');
            rc = SQLGetDiagRec(type, handle, rec, state, &native,
                               reinterpret_cast<SQLCHAR*>(message.data()),
                               static_cast<SQLSMALLINT>(message.size()), &length);
        }
        if (!SQL_SUCCEEDED(rc)) break;
        message.resize(std::min<std::size_t>(static_cast<std::size_t>(std::max<SQLSMALLINT>(length, 0)),
                                             message.size() - 1));
        out.push_back({reinterpret_cast<const char*>(state), static_cast<long>(native), std::move(message)});
    }
    return out;
}

// Raises the handle's first error (warnings of class 01 only when there is
// nothing else, as for a driver the manager cannot load).
[[noreturn]] void RaiseFrom(SQLSMALLINT type, SQLHANDLE handle, const char* operation) {
    std::vector<Diagnostic> diags = ReadDiagnostics(type, handle);
    if (diags.empty()) throw vb::Error(kErrFail, std::string(operation) + " failed", kSource);
    const Diagnostic* chosen = &diags.front();
    for (const Diagnostic& d : diags) {
        if (d.state.rfind("01", 0) != 0) {
            chosen = &d;
            break;
        }
    }
    throw vb::Error(ErrorNumberOf(chosen->state, chosen->native), chosen->message, kSource, chosen->native,
                    chosen->state);
}

void Check(SQLRETURN rc, SQLSMALLINT type, SQLHANDLE handle, const char* operation) {
    if (!SQL_SUCCEEDED(rc)) RaiseFrom(type, handle, operation);
}

// ---- Handles --------------------------------------------------------------

// An ODBC handle, freed when it goes out of scope.
class Handle {
public:
    Handle(SQLSMALLINT type, SQLHANDLE parent, SQLSMALLINT parentType) : type_(type) {
        SQLRETURN rc = SQLAllocHandle(type, parent, &handle_);
        if (!SQL_SUCCEEDED(rc)) {
            handle_ = SQL_NULL_HANDLE;
            RaiseFrom(parentType, parent, "Allocating an ODBC handle");
        }
    }
    Handle(Handle&& other) noexcept : type_(other.type_), handle_(std::exchange(other.handle_, nullptr)) {}
    ~Handle() {
        if (handle_ != SQL_NULL_HANDLE) SQLFreeHandle(type_, handle_);
    }
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;

    SQLHANDLE get() const { return handle_; }
    void Check(SQLRETURN rc, const char* operation) const { odbc::Check(rc, type_, handle_, operation); }

private:
    SQLSMALLINT type_;
    SQLHANDLE handle_ = SQL_NULL_HANDLE;
};

SQLCHAR* Text(const std::string& s) {
    return reinterpret_cast<SQLCHAR*>(const_cast<char*>(s.c_str()));
}

SQLINTEGER TextLength(const std::string& s) {
    if (s.size() > static_cast<std::size_t>(std::numeric_limits<SQLINTEGER>::max()))
        throw vb::Error(kErrFail, "The statement is too long", kSource);
    return static_cast<SQLINTEGER>(s.size());
}

// ---- Reading results ------------------------------------------------------

bool IsBinary(int adoType) {
    return adoType == adBinary || adoType == adVarBinary || adoType == adLongVarBinary;
}

// Types whose rowset of columns gives a maximum length.
bool HasMaximumLength(int adoType) {
    switch (adoType) {
    case adChar: case adVarChar: case adLongVarChar:
    case adWChar: case adVarWChar: case adLongVarWChar:
    case adBinary: case adVarBinary: case adLongVarBinary:
        return true;
    default:
        return false;
    }
}

long ClampSize(SQLULEN size) {
    return size > static_cast<SQLULEN>(LONG_MAX) ? LONG_MAX : static_cast<long>(size);
}

std::string ColumnName(const Handle& stmt, SQLUSMALLINT column, SQLSMALLINT& sqlType, SQLULEN& size) {
    std::string name(128, '\0');
    SQLSMALLINT nameLength = 0, digits = 0, nullable = 0;
    for (int attempt = 0; attempt < 2; ++attempt) {
        stmt.Check(SQLDescribeCol(stmt.get(), column, reinterpret_cast<SQLCHAR*>(name.data()),
                                  static_cast<SQLSMALLINT>(name.size()), &nameLength, &sqlType, &size,
                                  &digits, &nullable),
                   "SQLDescribeCol");
        if (nameLength < static_cast<SQLSMALLINT>(name.size())) break;
        name.assign(static_cast<std::size_t>(nameLength) + 1, '\0');
    }
    name.resize(std::min<std::size_t>(static_cast<std::size_t>(std::max<SQLSMALLINT>(nameLength, 0)),
                                      name.size() - 1));
    return name;
}

std::string ColumnTypeName(const Handle& stmt, SQLUSMALLINT column) {
    std::array<char, 256> buffer{};
    SQLSMALLINT length = 0;
    SQLRETURN rc = SQLColAttribute(stmt.get(), column, SQL_DESC_TYPE_NAME, buffer.data(),
                                   static_cast<SQLSMALLINT>(buffer.size()), &length, nullptr);
    // A driver that cannot name the type leaves the SQL type to decide.
    if (!SQL_SUCCEEDED(rc)) return {};
    return std::string(buffer.data());
}

std::vector<FieldInfo> DescribeColumns(const Handle& stmt, SQLSMALLINT count) {
    std::vector<FieldInfo> fields;
    fields.reserve(static_cast<std::size_t>(count));
    for (SQLUSMALLINT c = 1; c <= static_cast<SQLUSMALLINT>(count); ++c) {
        SQLSMALLINT sqlType = 0;
        SQLULEN size = 0;
        FieldInfo field;
        field.Name = ColumnName(stmt, c, sqlType, size);
        field.Type = AdoTypeOf(sqlType, ColumnTypeName(stmt, c));
        field.DefinedSize = ClampSize(size);
        fields.push_back(std::move(field));
    }
    return fields;
}

// The whole value of one column of the current row, read in pieces; nullopt
// for Null. Text comes as the driver's narrow characters (UTF-8), binary
// columns as their bytes.
std::optional<std::string> ReadColumn(const Handle& stmt, SQLUSMALLINT column, bool binary) {
    const SQLSMALLINT cType = binary ? SQL_C_BINARY : SQL_C_CHAR;
    std::array<char, 4096> buffer;
    // Room for data in one piece: text pieces end with a terminator.
    const SQLLEN room = static_cast<SQLLEN>(buffer.size()) - (binary ? 0 : 1);
    std::string value;
    for (;;) {
        SQLLEN indicator = 0;
        SQLRETURN rc = SQLGetData(stmt.get(), column, cType, buffer.data(),
                                  static_cast<SQLLEN>(buffer.size()), &indicator);
        if (rc == SQL_NO_DATA) break;  // every piece was read
        stmt.Check(rc, "SQLGetData");
        if (indicator == SQL_NULL_DATA) return std::nullopt;
        const bool truncated = rc == SQL_SUCCESS_WITH_INFO && (indicator == SQL_NO_TOTAL || indicator > room);
        std::size_t length;
        if (truncated) length = static_cast<std::size_t>(room);
        else if (indicator >= 0) length = static_cast<std::size_t>(indicator);
        else length = binary ? 0 : std::strlen(buffer.data());  // a driver that gave no length
        value.append(buffer.data(), length);
        if (!truncated) break;
    }
    return value;
}

// Reads every row of the statement's current result.
ResultSet ReadResult(const Handle& stmt, SQLSMALLINT columns) {
    ResultSet result;
    result.fields = DescribeColumns(stmt, columns);
    for (;;) {
        SQLRETURN rc = SQLFetch(stmt.get());
        if (rc == SQL_NO_DATA) break;
        stmt.Check(rc, "SQLFetch");
        std::vector<vb::Variant> row;
        row.reserve(result.fields.size());
        for (std::size_t i = 0; i < result.fields.size(); ++i) {
            const int type = result.fields[i].Type;
            std::optional<std::string> text = ReadColumn(stmt, static_cast<SQLUSMALLINT>(i + 1), IsBinary(type));
            row.push_back(text ? ValueOf(type, std::move(*text)) : vb::Variant(vb::Null));
        }
        result.rows.push_back(std::move(row));
    }
    return result;
}

// Moves past the statement's remaining results so that a failure later in a
// batch is raised rather than lost.
void DrainResults(const Handle& stmt) {
    for (;;) {
        SQLRETURN rc = SQLMoreResults(stmt.get());
        if (rc == SQL_NO_DATA) return;
        stmt.Check(rc, "SQLMoreResults");
    }
}

// ---- Conversions ----------------------------------------------------------

std::optional<std::int64_t> ParseInteger(std::string_view text) {
    std::int64_t value = 0;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end != text.data() + text.size()) return std::nullopt;
    return value;
}

std::optional<double> ParseDouble(std::string_view text) {
    double value = 0;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end != text.data() + text.size()) return std::nullopt;
    return value;
}

// An amount written with a point and any number of decimals, read exactly
// and rounded to four decimals, halves to even; nullopt when it is not one
// or does not fit.
std::optional<vb::Currency> ParseCurrency(std::string_view text) {
    std::size_t i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) negative = text[i++] == '-';
    const std::uint64_t limit = negative ? std::uint64_t{1} << 63 : (std::uint64_t{1} << 63) - 1;
    std::uint64_t ticks = 0;
    auto push = [&](int digit) {
        if (ticks > (limit - static_cast<std::uint64_t>(digit)) / 10) return false;
        ticks = ticks * 10 + static_cast<std::uint64_t>(digit);
        return true;
    };
    bool anyDigit = false;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        anyDigit = true;
        if (!push(text[i] - '0')) return std::nullopt;
    }
    int decimals = 0, firstDropped = 0;
    bool restNonZero = false;
    if (i < text.size() && text[i] == '.') {
        for (++i; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
            anyDigit = true;
            const int digit = text[i] - '0';
            if (decimals < 4) {
                if (!push(digit)) return std::nullopt;
                ++decimals;
            } else if (decimals == 4) {
                firstDropped = digit;
                ++decimals;
            } else if (digit != 0) {
                restNonZero = true;
            }
        }
    }
    if (i != text.size()) {
        // Scientific notation: through a double.
        std::optional<double> d = ParseDouble(text);
        if (!d || !(*d > -9.2e14 && *d < 9.2e14)) return std::nullopt;
        return vb::Currency::FromDouble(*d);
    }
    if (!anyDigit) return std::nullopt;
    for (; decimals < 4; ++decimals)
        if (!push(0)) return std::nullopt;
    if (firstDropped > 5 || (firstDropped == 5 && (restNonZero || ticks % 2 == 1))) {
        if (ticks == limit) return std::nullopt;
        ++ticks;
    }
    const std::int64_t signedTicks =
        negative ? static_cast<std::int64_t>(~ticks + 1) : static_cast<std::int64_t>(ticks);
    return vb::Currency::FromTicks(signedTicks);
}

// "YYYY-MM-DD", "YYYY-MM-DD HH:MM[:SS[.fff]]" (also with "T") or a time
// "HH:MM[:SS[.fff]]" on day 0, as drivers write dates and times.
std::optional<vb::Date> ParseDateTime(std::string_view text) {
    const bool timeOnly = text.size() >= 3 && text[2] == ':';
    return vb::Date::FromIso(timeOnly ? "1899-12-30 " + std::string(text) : std::string(text));
}

std::optional<bool> ParseBoolean(std::string_view text) {
    if (text == "1" || text == "true" || text == "True" || text == "TRUE") return true;
    if (text == "0" || text == "false" || text == "False" || text == "FALSE") return false;
    if (std::optional<double> d = ParseDouble(text)) return *d != 0;
    return std::nullopt;
}

// ---- Bound values -----------------------------------------------------------

// Where a bound value lives until its statement has run.
struct BoundValue {
    std::string text;
    SQLBIGINT integer = 0;
    double real = 0;
    unsigned char bit = 0;
    SQL_TIMESTAMP_STRUCT stamp{};
    SQLLEN indicator = 0;
};

// Texts longer than this go as long text (SQL Server's limit for varchar).
constexpr std::size_t kLongestVarchar = 8000;

// Binds one value: Null, a boolean as a bit, whole numbers and doubles as
// such, a date as a timestamp, a Currency exactly as decimal text, text as
// the driver's narrow characters.
void Bind(const Handle& stmt, SQLUSMALLINT index, const vb::Variant& value, BoundValue& b) {
    SQLSMALLINT cType = SQL_C_CHAR, sqlType = SQL_VARCHAR, digits = 0;
    SQLULEN size = 1;
    SQLPOINTER data = nullptr;
    SQLLEN length = 0;
    if (value.IsEmpty() || value.IsNull()) {
        b.indicator = SQL_NULL_DATA;
        data = b.text.data();
    } else if (value.IsBool()) {
        b.bit = std::get<bool>(value.Get()) ? 1 : 0;
        cType = SQL_C_BIT, sqlType = SQL_BIT, data = &b.bit;
    } else if (value.IsInteger()) {
        b.integer = std::get<std::int64_t>(value.Get());
        cType = SQL_C_SBIGINT, sqlType = SQL_BIGINT, size = 19, data = &b.integer;
    } else if (value.IsDouble()) {
        b.real = std::get<double>(value.Get());
        cType = SQL_C_DOUBLE, sqlType = SQL_DOUBLE, size = 15, data = &b.real;
    } else if (value.IsDate()) {
        const vb::DateParts p = std::get<vb::Date>(value.Get()).Parts();
        b.stamp = {static_cast<SQLSMALLINT>(p.year), static_cast<SQLUSMALLINT>(p.month), static_cast<SQLUSMALLINT>(p.day),
                   static_cast<SQLUSMALLINT>(p.hour), static_cast<SQLUSMALLINT>(p.minute),
                   static_cast<SQLUSMALLINT>(p.second), 0};
        cType = SQL_C_TYPE_TIMESTAMP, sqlType = SQL_TYPE_TIMESTAMP, size = 19, data = &b.stamp;
    } else {
        if (value.IsCurrency()) {
            b.text = PlainNumber(value);
            sqlType = SQL_DECIMAL, size = 19, digits = 4;
        } else {
            b.text = std::get<std::string>(value.Get());
            if (b.text.size() > kLongestVarchar) sqlType = SQL_LONGVARCHAR;
            size = std::max<SQLULEN>(b.text.size(), 1);
        }
        b.indicator = length = static_cast<SQLLEN>(b.text.size());
        data = b.text.data();
    }
    stmt.Check(SQLBindParameter(stmt.get(), index, SQL_PARAM_INPUT, cType, sqlType, size, digits, data, length,
                                &b.indicator),
               "SQLBindParameter");
}

// ---- Schema rowsets -------------------------------------------------------

// A restriction's text; nullopt when there is none.
std::optional<std::string> Restriction(const std::vector<vb::Variant>& restrictions, std::size_t index) {
    if (index >= restrictions.size()) return std::nullopt;
    const vb::Variant& v = restrictions[index];
    if (v.IsEmpty() || v.IsNull()) return std::nullopt;
    std::string text = vb::TextOf(v);
    if (text.empty()) return std::nullopt;
    return text;
}

// Catalogue arguments take the LIKE wild cards; an exact name escapes them.
std::string EscapePattern(const std::string& name, const std::string& escape) {
    if (escape.empty()) return name;
    std::string out;
    for (char c : name) {
        if (c == '_' || c == '%' || escape.find(c) != std::string::npos) out += escape;
        out += c;
    }
    return out;
}

struct Argument {
    std::optional<std::string> text;
    SQLCHAR* data() { return text ? Text(*text) : nullptr; }
    SQLSMALLINT length() const { return text ? static_cast<SQLSMALLINT>(text->size()) : 0; }
};

const vb::Variant& Cell(const std::vector<vb::Variant>& row, std::size_t index) {
    static const vb::Variant null(vb::Null);
    return index < row.size() ? row[index] : null;
}

std::optional<std::int64_t> IntegerOf(const vb::Variant& v) {
    if (v.IsInteger()) return std::get<std::int64_t>(v.Get());
    if (v.IsText()) return ParseInteger(std::get<std::string>(v.Get()));
    if (v.IsDouble()) return static_cast<std::int64_t>(std::get<double>(v.Get()));
    return std::nullopt;
}

}  // namespace

// ---- Public helpers -------------------------------------------------------

int AdoTypeOf(int sqlType, std::string_view typeName) {
    std::string name;
    for (char c : typeName) {
        if (c == '(' || c == ' ') break;
        name += static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    }
    if (name == "money" || name == "smallmoney") return adCurrency;
    switch (sqlType) {
    case SQL_SMALLINT: return adSmallInt;
    case SQL_INTEGER: return adInteger;
    case SQL_TINYINT: return adUnsignedTinyInt;
    case SQL_BIGINT: return adBigInt;
    case SQL_BIT: return adBoolean;
    case SQL_REAL: case SQL_FLOAT: case SQL_DOUBLE: return adDouble;
    case SQL_DECIMAL: case SQL_NUMERIC: return adNumeric;
    case SQL_TYPE_TIMESTAMP: case SQL_TIMESTAMP: case SQL_DATETIME: return adDBTimeStamp;
    case SQL_TYPE_DATE: return adDBDate;
    case SQL_TYPE_TIME: case SQL_TIME: return adDBTime;
    case SQL_CHAR: return adChar;
    case SQL_VARCHAR: return adVarChar;
    case SQL_LONGVARCHAR: return adLongVarChar;
    case SQL_WCHAR: return adWChar;
    case SQL_WVARCHAR: return adVarWChar;
    case SQL_WLONGVARCHAR: return adLongVarWChar;
    case SQL_BINARY: return adBinary;
    case SQL_VARBINARY: return adVarBinary;
    case SQL_LONGVARBINARY: return adLongVarBinary;
    default: return adVarWChar;
    }
}

long ErrorNumberOf(std::string_view sqlState, long native) {
    if (native == kNativeRaised) return kErrRaised;
    if (sqlState.rfind("23", 0) == 0) return kErrIntegrityViolation;
    if (sqlState == "42S02") return kErrNoTable;
    if (sqlState.rfind("42", 0) == 0 || sqlState == "37000") return kErrSyntax;
    return kErrFail;
}

bool IsBatch(std::string_view sql) {
    sql::Tokens tokens;
    try {
        tokens = sql::Tokenize(sql);
    } catch (const vb::Error&) {
        return false;
    }
    bool statement = false;  // SQL seen since the last separator
    bool separated = false;  // a separator after SQL
    for (const sql::Token& t : tokens) {
        if (t.Is(sql::TokenKind::Newline) || t.Is(sql::TokenKind::Semicolon)) {
            separated = separated || statement;
        } else if (!t.IsTrivia()) {
            if (separated) return true;
            statement = true;
        }
    }
    return false;
}

vb::Variant ValueOf(int adoType, std::string text) {
    switch (adoType) {
    case adSmallInt: case adInteger: case adTinyInt: case adUnsignedTinyInt:
    case adUnsignedSmallInt: case adUnsignedInt: case adBigInt: case adUnsignedBigInt:
        if (std::optional<std::int64_t> i = ParseInteger(text)) return *i;
        if (std::optional<double> d = ParseDouble(text)) return *d;
        break;
    case adBoolean:
        if (std::optional<bool> b = ParseBoolean(text)) return *b;
        break;
    case adSingle: case adDouble: case adNumeric: case adDecimal:
        if (std::optional<double> d = ParseDouble(text)) return *d;
        break;
    case adCurrency:
        if (std::optional<vb::Currency> c = ParseCurrency(text)) return *c;
        break;
    case adDate: case adDBDate: case adDBTime: case adDBTimeStamp:
        if (std::optional<vb::Date> d = ParseDateTime(text)) return *d;
        break;
    default:
        break;
    }
    return vb::Variant(std::move(text));
}

}  // namespace odbc

// ---- The engine -----------------------------------------------------------

namespace {

using odbc::Handle;

// The options SQL Server requires of a session that writes a table with a
// filtered index (the entry index of MV_ASIENTOS, db/sqlserver.sql). The
// ODBC log-in sets all but ARITHABORT, which follows ANSI_WARNINGS only in
// databases of compatibility level 90 or more; every one is set here, so
// that a server's or a data source's own defaults do not decide.
constexpr const char* kSqlServerSessionOptions =
    "SET ANSI_NULLS, ANSI_PADDING, ANSI_WARNINGS, ARITHABORT, CONCAT_NULL_YIELDS_NULL, QUOTED_IDENTIFIER ON; "
    "SET NUMERIC_ROUNDABORT OFF";

class OdbcEngine final : public Engine {
public:
    OdbcEngine(const std::string& connectionString, Dialect dialect, long commandTimeoutSeconds)
        : env_(SQL_HANDLE_ENV, SQL_NULL_HANDLE, SQL_HANDLE_ENV),
          dbc_(AllocateConnection(env_)),
          dialect_(dialect),
          timeout_(commandTimeoutSeconds) {
        if (connectionString.size() > static_cast<std::size_t>(SHRT_MAX))
            throw vb::Error(kErrFail, "la cadena de conexión es demasiado larga", odbc::kSource);
        dbc_.Check(SQLDriverConnect(dbc_.get(), nullptr, odbc::Text(connectionString),
                                    static_cast<SQLSMALLINT>(connectionString.size()), nullptr, 0, nullptr,
                                    SQL_DRIVER_NOPROMPT),
                   "SQLDriverConnect");
        connected_ = true;
        escape_ = Info(SQL_SEARCH_PATTERN_ESCAPE);
        if (Info(SQL_DBMS_NAME).find("SQL Server") != std::string::npos) ExecuteDirect(kSqlServerSessionOptions);
    }

    ~OdbcEngine() override {
        if (inTransaction_) SQLEndTran(SQL_HANDLE_DBC, dbc_.get(), SQL_ROLLBACK);
        if (connected_) SQLDisconnect(dbc_.get());
    }

    Dialect GetDialect() const override { return dialect_; }

    // A batch of several statements outside a transaction runs in one of its
    // own: the server goes on after a failing statement (a RAISERROR among
    // them), so only a rollback keeps the batch whole or not at all.
    long Execute(const std::string& sql) override {
        if (inTransaction_ || !odbc::IsBatch(sql)) return ExecuteDirect(sql);
        BeginTrans();
        long affected = 0;
        try {
            affected = ExecuteDirect(sql);
        } catch (...) {
            try {
                RollbackTrans();
            } catch (const vb::Error&) {
                // The batch's own error is the one to report.
            }
            throw;
        }
        CommitTrans();
        return affected;
    }

    long ExecuteBound(const std::string& sql, const std::vector<vb::Variant>& values) override {
        Handle stmt = NewStatement();
        stmt.Check(SQLPrepare(stmt.get(), odbc::Text(sql), odbc::TextLength(sql)), "SQLPrepare");
        SQLSMALLINT markers = 0;
        // A driver that cannot count the markers leaves the check to its execution.
        if (SQL_SUCCEEDED(SQLNumParams(stmt.get(), &markers)) && static_cast<std::size_t>(markers) != values.size()) {
            throw vb::Error(kErrSyntax,
                            "The statement holds " + std::to_string(markers) + " \"?\" markers and " +
                                std::to_string(values.size()) + " values were given",
                            odbc::kSource, 0, "07002");
        }
        // The buffers stay where they are until the statement has run.
        std::vector<odbc::BoundValue> bound(values.size());
        for (std::size_t i = 0; i < values.size(); ++i) odbc::Bind(stmt, static_cast<SQLUSMALLINT>(i + 1), values[i], bound[i]);
        return RowsAffected(stmt, SQLExecute(stmt.get()), "SQLExecute");
    }

    ResultSet Query(const std::string& sql) override {
        Handle stmt = NewStatement();
        SQLRETURN rc = SQLExecDirect(stmt.get(), odbc::Text(sql), odbc::TextLength(sql));
        // The first result that has columns (a batch may count rows first).
        for (;;) {
            if (rc != SQL_NO_DATA) {
                stmt.Check(rc, "SQLExecDirect");
                SQLSMALLINT columns = 0;
                stmt.Check(SQLNumResultCols(stmt.get(), &columns), "SQLNumResultCols");
                if (columns > 0) {
                    ResultSet result = odbc::ReadResult(stmt, columns);
                    odbc::DrainResults(stmt);
                    return result;
                }
            }
            rc = SQLMoreResults(stmt.get());
            if (rc == SQL_NO_DATA) return {};
        }
    }

    void BeginTrans() override {
        if (inTransaction_) throw vb::Error(kErrFail, "A transaction is already active", odbc::kSource);
        SetAutoCommit(false);
        inTransaction_ = true;
    }

    void CommitTrans() override { EndTransaction(SQL_COMMIT); }
    void RollbackTrans() override { EndTransaction(SQL_ROLLBACK); }
    bool InTransaction() const override { return inTransaction_; }

    ResultSet OpenSchema(int schema, const std::vector<vb::Variant>& restrictions) override {
        switch (schema) {
        case adSchemaTables: return Tables(restrictions);
        case adSchemaColumns: return Columns(restrictions);
        default:
            throw vb::Error(3251, "Object or provider is not capable of performing requested operation",
                            odbc::kSource);
        }
    }

    void SetCommandTimeout(long seconds) override { timeout_ = seconds; }

private:
    // A text the driver tells of the connection; empty when it tells nothing.
    std::string Info(SQLUSMALLINT type) {
        std::array<char, 256> text{};
        SQLSMALLINT length = 0;
        if (!SQL_SUCCEEDED(SQLGetInfo(dbc_.get(), type, text.data(), static_cast<SQLSMALLINT>(text.size()), &length)))
            return {};
        return text.data();
    }

    long ExecuteDirect(const std::string& sql) {
        Handle stmt = NewStatement();
        return RowsAffected(stmt, SQLExecDirect(stmt.get(), odbc::Text(sql), odbc::TextLength(sql)), "SQLExecDirect");
    }

    static Handle AllocateConnection(const Handle& env) {
        env.Check(SQLSetEnvAttr(env.get(), SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0),
                  "SQLSetEnvAttr");
        return Handle(SQL_HANDLE_DBC, env.get(), SQL_HANDLE_ENV);
    }

    // The rows a statement changed, over all its results; a failure in any
    // of them raises.
    static long RowsAffected(const Handle& stmt, SQLRETURN rc, const char* operation) {
        long affected = 0;
        for (;;) {
            // SQL_NO_DATA: a searched UPDATE or DELETE that touched no row.
            if (rc != SQL_NO_DATA) {
                stmt.Check(rc, operation);
                SQLLEN rows = -1;
                if (SQL_SUCCEEDED(SQLRowCount(stmt.get(), &rows)) && rows > 0) affected += static_cast<long>(rows);
            }
            rc = SQLMoreResults(stmt.get());
            if (rc == SQL_NO_DATA) return affected;
        }
    }

    Handle NewStatement() {
        Handle stmt(SQL_HANDLE_STMT, dbc_.get(), SQL_HANDLE_DBC);
        // A driver without query timeouts runs the statement without one.
        if (timeout_ >= 0)
            SQLSetStmtAttr(stmt.get(), SQL_ATTR_QUERY_TIMEOUT,
                           reinterpret_cast<SQLPOINTER>(static_cast<SQLULEN>(timeout_)), 0);
        return stmt;
    }

    void SetAutoCommit(bool on) {
        dbc_.Check(SQLSetConnectAttr(dbc_.get(), SQL_ATTR_AUTOCOMMIT,
                                     reinterpret_cast<SQLPOINTER>(on ? SQL_AUTOCOMMIT_ON : SQL_AUTOCOMMIT_OFF), 0),
                   "SQLSetConnectAttr");
    }

    void EndTransaction(SQLSMALLINT completion) {
        if (!inTransaction_) throw vb::Error(kErrFail, "No transaction is active", odbc::kSource);
        // A failed commit leaves the transaction open for a rollback.
        dbc_.Check(SQLEndTran(SQL_HANDLE_DBC, dbc_.get(), completion), "SQLEndTran");
        inTransaction_ = false;
        SetAutoCommit(true);
    }

    odbc::Argument Pattern(const std::vector<vb::Variant>& restrictions, std::size_t index) const {
        std::optional<std::string> text = odbc::Restriction(restrictions, index);
        if (text) *text = odbc::EscapePattern(*text, escape_);
        return {std::move(text)};
    }

    // Restrictions: catalogue, schema, table, table type.
    ResultSet Tables(const std::vector<vb::Variant>& restrictions) {
        odbc::Argument catalog = Pattern(restrictions, 0);
        odbc::Argument schema = Pattern(restrictions, 1);
        odbc::Argument table = Pattern(restrictions, 2);
        odbc::Argument type{odbc::Restriction(restrictions, 3)};
        Handle stmt = NewStatement();
        stmt.Check(SQLTables(stmt.get(), catalog.data(), catalog.length(), schema.data(), schema.length(),
                             table.data(), table.length(), type.data(), type.length()),
                   "SQLTables");
        ResultSet raw = odbc::ReadResult(stmt, 4);
        ResultSet result;
        result.fields = {{"TABLE_CATALOG", adVarWChar, 128},
                         {"TABLE_SCHEMA", adVarWChar, 128},
                         {"TABLE_NAME", adVarWChar, 128},
                         {"TABLE_TYPE", adVarWChar, 32}};
        for (auto& row : raw.rows) {
            row.resize(4, vb::Null);
            result.rows.push_back(std::move(row));
        }
        return result;
    }

    // Restrictions: catalogue, schema, table, column.
    ResultSet Columns(const std::vector<vb::Variant>& restrictions) {
        odbc::Argument catalog{odbc::Restriction(restrictions, 0)};
        odbc::Argument schema = Pattern(restrictions, 1);
        odbc::Argument table = Pattern(restrictions, 2);
        odbc::Argument column = Pattern(restrictions, 3);
        Handle stmt = NewStatement();
        stmt.Check(SQLColumns(stmt.get(), catalog.data(), catalog.length(), schema.data(), schema.length(),
                              table.data(), table.length(), column.data(), column.length()),
                   "SQLColumns");
        SQLSMALLINT count = 0;
        stmt.Check(SQLNumResultCols(stmt.get(), &count), "SQLNumResultCols");
        ResultSet raw = odbc::ReadResult(stmt, count);
        ResultSet result;
        result.fields = {{"TABLE_CATALOG", adVarWChar, 128},    {"TABLE_SCHEMA", adVarWChar, 128},
                         {"TABLE_NAME", adVarWChar, 128},       {"COLUMN_NAME", adVarWChar, 128},
                         {"ORDINAL_POSITION", adUnsignedInt, 4}, {"DATA_TYPE", adUnsignedSmallInt, 2},
                         {"CHARACTER_MAXIMUM_LENGTH", adUnsignedInt, 4}, {"IS_NULLABLE", adBoolean, 2}};
        // SQLColumns' columns by position: 1-4 names, 5 DATA_TYPE, 6 TYPE_NAME,
        // 7 COLUMN_SIZE, 11 NULLABLE, 17 ORDINAL_POSITION.
        for (const auto& row : raw.rows) {
            const std::optional<std::int64_t> sqlType = odbc::IntegerOf(odbc::Cell(row, 4));
            const vb::Variant& typeName = odbc::Cell(row, 5);
            const int adoType = odbc::AdoTypeOf(sqlType ? static_cast<int>(*sqlType) : SQL_UNKNOWN_TYPE,
                                                typeName.IsText() ? std::get<std::string>(typeName.Get()) : "");
            const std::optional<std::int64_t> size = odbc::IntegerOf(odbc::Cell(row, 6));
            const std::optional<std::int64_t> nullable = odbc::IntegerOf(odbc::Cell(row, 10));
            const std::optional<std::int64_t> ordinal = odbc::IntegerOf(odbc::Cell(row, 16));
            result.rows.push_back({
                odbc::Cell(row, 0),
                odbc::Cell(row, 1),
                odbc::Cell(row, 2),
                odbc::Cell(row, 3),
                ordinal ? vb::Variant(*ordinal) : vb::Variant(vb::Null),
                vb::Variant(adoType),
                odbc::HasMaximumLength(adoType) && size ? vb::Variant(*size) : vb::Variant(vb::Null),
                vb::Variant(!nullable || *nullable != SQL_NO_NULLS),
            });
        }
        return result;
    }

    Handle env_;
    Handle dbc_;
    Dialect dialect_;
    long timeout_;
    bool connected_ = false;
    bool inTransaction_ = false;
    std::string escape_;
};

}  // namespace

std::optional<std::string> OdbcFailureReason(const ProviderError& error) {
    const std::string& state = error.SQLState;
    // SQL Server's own numbers: a full data or log file, a read-only
    // database, a deadlock.
    switch (error.NativeError) {
    case 1105:
    case 9002: return "disco lleno";
    case 3906: return "la base es de sólo lectura";
    case 1205: return "la base canceló la operación por un bloqueo con otro usuario";
    default: break;
    }
    if (state == "HYT00" || state == "HYT01") return "se agotó el tiempo de espera de la base";
    if (state.rfind("08", 0) == 0) return "se perdió la conexión con la base";
    if (state == "40001") return "la base canceló la operación por un bloqueo con otro usuario";
    if (state.rfind("23", 0) == 0) return "la base rechazó el cambio (" + error.Description + ")";
    return std::nullopt;
}

std::unique_ptr<Engine> OpenOdbcEngine(const std::string& odbcConnectionString, Dialect dialect,
                                       long commandTimeoutSeconds) {
    return std::make_unique<OdbcEngine>(odbcConnectionString, dialect, commandTimeoutSeconds);
}

}  // namespace adodb
