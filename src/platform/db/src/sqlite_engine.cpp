// The SQLite engine: statements in SQL Server's dialect go through the
// adapter (sqlite_dialect.h), batches run atomically, values are typed by the
// columns' declared types.
#include <fcntl.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <chrono>
#include <climits>
#include <cmath>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <unordered_map>
#include <vector>

#include "ascii.h"
#include "engines.h"
#include "sql_tokens.h"
#include "sqlite_dialect.h"
#include "sqlite_functions.h"
#include "db/wait_notice.h"
#include "vb/conv.h"
#include "vb/error.h"
#include "vb/files.h"
#include "vb/text.h"

namespace adodb {
namespace {

using sql::kSqliteSource;
using sqlite::Batch;
using sqlite::Step;
using sqlite::TableColumn;

// ---- Declared types ---------------------------------------------------------

enum class Kind { Untyped, Text, Integer, Boolean, Double, Currency, Date, Numeric, Binary };

struct TypeInfo {
    Kind kind = Kind::Untyped;
    int ado = adVarWChar;
    long size = 0;
};

TypeInfo DeclaredType(const char* declared) {
    if (!declared || !*declared) return {};
    const std::string_view decl(declared);
    const std::size_t open = decl.find('(');
    std::string_view base = decl.substr(0, open);
    while (!base.empty() && base.back() == ' ') base.remove_suffix(1);
    long length = -1;
    if (open != std::string_view::npos) {
        const std::string_view args = decl.substr(open + 1);
        // A length beyond the largest ADO size is that size.
        const std::errc ec = std::from_chars(args.data(), args.data() + args.size(), length).ec;
        if (ec == std::errc::result_out_of_range || length > 2147483647) length = 2147483647;
        if (ascii::StartsWithNoCase(args, "MAX")) length = 2147483647;
    }
    const long text = length > 0 ? length : 255;
    struct Entry {
        const char* name;
        TypeInfo info;
    };
    static const Entry kTypes[] = {
        {"DATETIME", {Kind::Date, adDBTimeStamp, 16}},      {"SMALLDATETIME", {Kind::Date, adDBTimeStamp, 16}},
        {"DATE", {Kind::Date, adDBTimeStamp, 16}},          {"DATETIME2", {Kind::Date, adDBTimeStamp, 16}},
        {"TIMESTAMP", {Kind::Date, adDBTimeStamp, 16}},     {"MONEY", {Kind::Currency, adCurrency, 8}},
        {"SMALLMONEY", {Kind::Currency, adCurrency, 8}},    {"INT", {Kind::Integer, adInteger, 4}},
        {"INTEGER", {Kind::Integer, adInteger, 4}},         {"SMALLINT", {Kind::Integer, adSmallInt, 2}},
        {"TINYINT", {Kind::Integer, adUnsignedTinyInt, 1}}, {"BIGINT", {Kind::Integer, adBigInt, 8}},
        {"BIT", {Kind::Boolean, adBoolean, 2}},             {"BOOLEAN", {Kind::Boolean, adBoolean, 2}},
        {"FLOAT", {Kind::Double, adDouble, 8}},             {"REAL", {Kind::Double, adDouble, 8}},
        {"DOUBLE", {Kind::Double, adDouble, 8}},            {"DOUBLE PRECISION", {Kind::Double, adDouble, 8}},
        {"DECIMAL", {Kind::Numeric, adNumeric, 19}},        {"NUMERIC", {Kind::Numeric, adNumeric, 19}},
        {"TEXT", {Kind::Text, adLongVarChar, 2147483647}},  {"NTEXT", {Kind::Text, adLongVarWChar, 1073741823}},
        {"CLOB", {Kind::Text, adLongVarChar, 2147483647}},  {"BLOB", {Kind::Binary, adLongVarBinary, 2147483647}},
        {"IMAGE", {Kind::Binary, adLongVarBinary, 2147483647}},
    };
    const auto is = [&](std::string_view name) { return ascii::EqualsNoCase(base, name); };
    for (const Entry& e : kTypes) {
        if (is(e.name)) return e.info;
    }
    if (is("VARCHAR")) return {Kind::Text, adVarChar, text};
    if (is("NVARCHAR")) return {Kind::Text, adVarWChar, text};
    if (is("CHAR") || is("CHARACTER")) return {Kind::Text, adChar, length > 0 ? length : 1};
    if (is("NCHAR")) return {Kind::Text, adWChar, length > 0 ? length : 1};
    if (is("VARBINARY")) return {Kind::Binary, adVarBinary, text};
    if (is("BINARY")) return {Kind::Binary, adBinary, length > 0 ? length : 1};
    return {};
}

std::string ColumnText(sqlite3_stmt* st, int c) {
    const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(st, c));
    return text ? std::string(text, static_cast<std::size_t>(sqlite3_column_bytes(st, c))) : std::string();
}

// A value's text; `utf8`: the file keeps its texts in UTF-8, so they are
// read as stored, without the copy SQLite makes to end them with a NUL.
std::string ValueText(sqlite3_stmt* st, int c, bool utf8) {
    if (!utf8) return ColumnText(st, c);
    const auto* bytes = static_cast<const char*>(sqlite3_column_blob(st, c));
    return bytes ? std::string(bytes, static_cast<std::size_t>(sqlite3_column_bytes(st, c))) : std::string();
}

std::optional<vb::Date> IsoDate(const std::string& text) {
    const std::optional<sqlite::IsoDateTime> d = sqlite::ParseIsoDateTime(text);
    if (!d) return std::nullopt;
    return vb::Date::FromParts(d->year, d->month, d->day, d->hour, d->minute, d->second);
}

// The whole units a currency value holds at most (its ten-thousandths fill 64 bits).
constexpr std::int64_t kMaxCurrencyUnits = 922337203685477;

// The value of column `c`, whose storage class is `type`, as its declared type reads.
vb::Variant ValueOf(Kind kind, sqlite3_stmt* st, int c, int type, bool utf8) {
    if (type == SQLITE_NULL) return vb::Null;
    const bool number = type == SQLITE_INTEGER || type == SQLITE_FLOAT;
    switch (kind) {
        case Kind::Text:
        case Kind::Binary:
            return ValueText(st, c, utf8);
        case Kind::Boolean:
            if (number) return sqlite3_column_double(st, c) != 0;
            break;
        case Kind::Double:
            if (number) return sqlite3_column_double(st, c);
            break;
        case Kind::Currency:
            // A number beyond the currency's range (another program may
            // store one) is read as stored, like a value that is no number.
            if (type == SQLITE_INTEGER) {
                const std::int64_t v = sqlite3_column_int64(st, c);
                if (v >= -kMaxCurrencyUnits && v <= kMaxCurrencyUnits) return vb::Currency::FromTicks(v * 10000);
            } else if (type == SQLITE_FLOAT) {
                const double v = sqlite3_column_double(st, c);
                if (std::fabs(v) <= static_cast<double>(kMaxCurrencyUnits)) return vb::Currency::FromDouble(v);
            }
            break;
        case Kind::Date:
            if (type == SQLITE_TEXT) {
                const std::string text = ValueText(st, c, utf8);
                if (std::optional<vb::Date> d = IsoDate(text)) return *d;
                // Day-first text written by hand keeps being a date.
                if (std::optional<vb::Date> d = vb::ParseDate(text)) return *d;
                return text;
            }
            break;
        case Kind::Integer:
        case Kind::Numeric:
        case Kind::Untyped:
            break;
    }
    switch (type) {
        case SQLITE_INTEGER: return static_cast<long long>(sqlite3_column_int64(st, c));
        case SQLITE_FLOAT: return sqlite3_column_double(st, c);
        default: return ValueText(st, c, utf8);
    }
}

// ---- Errors -------------------------------------------------------------------

// The engine's code for the last failure on a connection. A disk found full
// while the log's index grows is reported by the engine as an I/O error; it
// is a full disk.
int FailureCode(sqlite3* db) {
    const int code = sqlite3_extended_errcode(db);
    if ((code & 0xFF) == SQLITE_IOERR) {
        const int err = sqlite3_system_errno(db);
        if (err == ENOSPC || err == EDQUOT) return SQLITE_FULL;
    }
    return code;
}

// What a person is told, in Spanish, of the failures a file and a failed
// change tell alike; null for any other code.
const char* Reason(int code) {
    switch (code & 0xFF) {
    case SQLITE_FULL: return "disco lleno";
    case SQLITE_IOERR: return "error de lectura o escritura en el disco";
    case SQLITE_BUSY:
    case SQLITE_LOCKED: return "la base está bloqueada por otro usuario";
    default: return nullptr;
    }
}

// A file that could not be opened, and why.
std::string CannotOpen(const std::string& why) { return "no se pudo abrir el archivo (" + why + ")"; }

// What a person is told of a file that cannot be read or written, in
// Spanish, with the engine's own words after it; other failures keep the
// engine's message.
std::string FileProblem(int code, const std::string& message) {
    const auto told = [&](const char* problem) { return std::string(problem) + " (" + message + ")"; };
    switch (code & 0xFF) {
    case SQLITE_CANTOPEN: return CannotOpen(message);
    case SQLITE_NOTADB: return told("el archivo no es una base de datos");
    case SQLITE_CORRUPT: return told("la base de datos está dañada");
    case SQLITE_FULL:
    case SQLITE_IOERR:
    case SQLITE_BUSY: return told(Reason(code));
    case SQLITE_ERROR:
        // A database written in a format newer than the engine reads.
        if (message == "unsupported file format") {
            return told("la base de datos tiene un formato que el programa no lee");
        }
        return message;
    default: return message;
    }
}

[[noreturn]] void RaiseEngine(sqlite3* db, bool preparing) {
    const int code = FailureCode(db);
    // A damaged page is found when it is read, at start-up or later.
    std::string message = FileProblem(code, sqlite3_errmsg(db));
    long number = kErrFail;
    std::string state = "HY000";
    if ((code & 0xFF) == SQLITE_CONSTRAINT) {
        number = kErrIntegrityViolation;
        state = "23000";
    } else if (preparing && ascii::StartsWithNoCase(message, "no such table")) {
        number = kErrNoTable;
        state = "42S02";
    } else if (preparing && (code & 0xFF) == SQLITE_ERROR) {
        number = kErrSyntax;
        state = "42000";
    }
    throw vb::Error(number, std::move(message), kSqliteSource, code, std::move(state));
}

struct StatementDeleter {
    void operator()(sqlite3_stmt* st) const { sqlite3_finalize(st); }
};
using Statement = std::unique_ptr<sqlite3_stmt, StatementDeleter>;

vb::Variant Text(std::string_view s) { return vb::Variant(s); }

FieldInfo SchemaField(const char* name, int type, long size) { return {name, type, size}; }

bool Matches(const std::vector<vb::Variant>& restrictions, std::size_t index, std::string_view value) {
    if (index >= restrictions.size()) return true;
    const vb::Variant& r = restrictions[index];
    if (!r.IsText()) return true;
    const auto& text = std::get<std::string>(r.Get());
    return text.empty() || ascii::EqualsNoCase(text, value);
}

// ---- Bound values ---------------------------------------------------------------

// Binds a value as the adapter writes the same value as a literal: Null, 1 or
// 0 for a boolean, a whole amount as an integer, a date as ISO text.
int BindValue(sqlite3_stmt* st, int index, const vb::Variant& value) {
    if (value.IsEmpty() || value.IsNull()) return sqlite3_bind_null(st, index);
    if (value.IsBool()) return sqlite3_bind_int(st, index, std::get<bool>(value.Get()) ? 1 : 0);
    if (value.IsInteger()) return sqlite3_bind_int64(st, index, std::get<std::int64_t>(value.Get()));
    if (value.IsDouble()) return sqlite3_bind_double(st, index, std::get<double>(value.Get()));
    if (value.IsCurrency()) {
        const std::int64_t ticks = std::get<vb::Currency>(value.Get()).Ticks();
        if (ticks % 10000 == 0) return sqlite3_bind_int64(st, index, ticks / 10000);
        return sqlite3_bind_double(st, index, static_cast<double>(ticks) / 10000.0);
    }
    // The text is the caller's and outlives the step; dates are made here.
    if (value.IsDate()) return sqlite3_bind_text(st, index, std::get<vb::Date>(value.Get()).ToIso().c_str(), -1, SQLITE_TRANSIENT);
    const std::string& text = std::get<std::string>(value.Get());
    return sqlite3_bind_text(st, index, text.data(), static_cast<int>(text.size()), SQLITE_STATIC);
}

// Values are bound to one statement, one value to each of its markers.
void CheckMarkers(const Batch& batch, const std::vector<vb::Variant>& values) {
    if (batch.markers != values.size()) {
        sql::RaiseSyntax("The statement holds " + std::to_string(batch.markers) + " \"?\" markers and " +
                         std::to_string(values.size()) + " values were given");
    }
    const bool single = batch.command == Batch::Command::None && batch.steps.size() == 1 &&
                        batch.steps[0].kind == Step::Kind::Sql && !batch.opensTransaction;
    if (!values.empty() && !single) sql::RaiseSyntax("Values are bound only to a single statement");
}

// ---- The engine -----------------------------------------------------------------

class SqliteEngine final : public Engine {
public:
    explicit SqliteEngine(sqlite3* db) : db_(db) {}
    ~SqliteEngine() override {
        kept_.clear();  // finalized before the connection closes
        sqlite3_close_v2(db_);
    }

    // The file opens as a database, its schema reads, and it holds the
    // tables its user needs. Reads the header and the schema only: a page
    // damaged elsewhere is reported when a statement reads it.
    void CheckFile(const std::vector<std::string>& requiredTables) {
        Exec("PRAGMA schema_version");  // reads the header: fails on a file that is no database
        CheckTables(requiredTables);
    }

    // Checks the file on a connection that may write, for a file whose
    // committed state only such a connection reads: it holds the file alone
    // while it checks, undoes a change left half way (as any opening does)
    // or reads a log left without its index through an index of its own, in
    // memory, and leaves the log as it found it.
    void CheckHoldingFile(const std::vector<std::string>& requiredTables) {
        sqlite3_db_config(db_, SQLITE_DBCONFIG_NO_CKPT_ON_CLOSE, 1, nullptr);
        Exec("PRAGMA locking_mode=EXCLUSIVE");
        CheckFile(requiredTables);
    }

    // Settings for use, once the file proved to be the program's; a
    // writable file turns to WAL mode.
    void PrepareForUse(bool writable) {
        if (writable) {
            // Where another station holds the file past the busy timeout, it
            // keeps its journal mode this time.
            sqlite3_exec(db_, "PRAGMA journal_mode=WAL", nullptr, nullptr, nullptr);
        }
        Exec("PRAGMA foreign_keys=ON");
        sqlite::RegisterFunctions(db_);
        ReadEncoding();
    }

    // Whether a station holds the file reserved for writing; true when it
    // cannot be told.
    bool ReservedByAStation() const {
        sqlite3_file* file = nullptr;
        int reserved = 0;
        if (sqlite3_file_control(db_, "main", SQLITE_FCNTL_FILE_POINTER, &file) != SQLITE_OK || !file ||
            !file->pMethods || file->pMethods->xCheckReservedLock(file, &reserved) != SQLITE_OK) {
            return true;
        }
        return reserved != 0;
    }

    Dialect GetDialect() const override { return Dialect::Sqlite; }

    long Execute(const std::string& sql) override { return ExecuteBound(sql, {}); }

    long ExecuteBound(const std::string& sql, const std::vector<vb::Variant>& values) override {
        const std::shared_ptr<const Batch> batch = Adapt(sql);
        CheckMarkers(*batch, values);
        return Run(*batch, nullptr, values);
    }

    ResultSet Query(const std::string& sql) override { return QueryBound(sql, {}); }

    ResultSet QueryBound(const std::string& sql, const std::vector<vb::Variant>& values) override {
        const std::shared_ptr<const Batch> batch = Adapt(sql);
        CheckMarkers(*batch, values);
        ResultSet result;
        Run(*batch, &result, values);
        return result;
    }

    QueryCost LastQueryCost() const override { return lastCost_; }

    void BeginTrans() override { Exec(sqlite3_db_readonly(db_, "main") == 1 ? "BEGIN" : "BEGIN IMMEDIATE"); }
    void CommitTrans() override { Exec("COMMIT"); }
    void RollbackTrans() override { Exec("ROLLBACK"); }
    bool InTransaction() const override { return sqlite3_get_autocommit(db_) == 0; }

    ResultSet OpenSchema(int schema, const std::vector<vb::Variant>& restrictions) override {
        if (schema == adSchemaTables) return SchemaTables(restrictions);
        if (schema == adSchemaColumns) return SchemaColumns(restrictions);
        throw vb::Error(3251, "Object or provider is not capable of performing requested operation.", kSqliteSource);
    }

    void SetCommandTimeout(long seconds) override {
        const long long ms = seconds <= 0 ? INT_MAX : std::min<long long>(seconds * 1000LL, INT_MAX);
        sqlite3_busy_timeout(db_, static_cast<int>(ms));
    }

private:
    void CheckTables(const std::vector<std::string>& required) {
        std::string missing;
        const std::vector<std::pair<std::string, std::string>> tables = Tables();
        for (const std::string& name : required) {
            const bool found = std::any_of(tables.begin(), tables.end(),
                                           [&](const auto& table) { return ascii::EqualsNoCase(table.first, name); });
            if (!found) missing += (missing.empty() ? "" : ", ") + name;
        }
        if (!missing.empty()) {
            throw vb::Error(kErrFail, "a la base de datos le faltan las tablas " + missing, kSqliteSource, SQLITE_ERROR);
        }
    }

    std::shared_ptr<const Batch> Adapt(const std::string& sql) {
        if (auto it = cache_.find(sql); it != cache_.end()) return it->second;
        auto batch = std::make_shared<const Batch>(sqlite::AdaptBatch(
            sql, [this](const std::string& table) { return Columns(table); }));
        if (cache_.size() >= kCacheSize) cache_.clear();
        cache_.emplace(sql, batch);
        return batch;
    }

    // Whether the database keeps its texts in UTF-8; it may be given another
    // encoding by a PRAGMA only while it holds nothing.
    void ReadEncoding() {
        Statement encoding = Prepare("PRAGMA encoding");
        utf8_ = NextRow(encoding.get()) && ColumnText(encoding.get(), 0) == "UTF-8";
    }

    void ForgetSchema() {
        cache_.clear();
        columns_.clear();
    }

    const std::vector<TableColumn>* Columns(const std::string& table) {
        const std::string key = ascii::Upper(table);
        auto it = columns_.find(key);
        if (it == columns_.end()) {
            std::vector<TableColumn> columns;
            Statement st = Prepare("SELECT name, type FROM pragma_table_info(?1)");
            sqlite3_bind_text(st.get(), 1, table.c_str(), -1, SQLITE_TRANSIENT);
            while (NextRow(st.get())) {
                const auto* type = reinterpret_cast<const char*>(sqlite3_column_text(st.get(), 1));
                columns.push_back({ColumnText(st.get(), 0), DeclaredType(type).kind == Kind::Date});
            }
            it = columns_.emplace(key, columns.empty() ? std::nullopt : std::optional(std::move(columns))).first;
        }
        return it->second ? &*it->second : nullptr;
    }

    Statement Prepare(const std::string& sql) {
        sqlite3_stmt* raw = nullptr;
        const char* tail = nullptr;
        if (sqlite3_prepare_v2(db_, sql.c_str(), static_cast<int>(sql.size()) + 1, &raw, &tail) != SQLITE_OK) {
            RaiseEngine(db_, true);
        }
        Statement st(raw);
        if (tail && *tail) {
            // Blanks and comments may follow; anything else, even text that
            // is no statement at all, is not run silently.
            sqlite3_stmt* rest = nullptr;
            const int rc = sqlite3_prepare_v2(db_, tail, -1, &rest, nullptr);
            sqlite3_finalize(rest);
            if (rest || rc != SQLITE_OK) sql::RaiseSyntax("More than one statement on a line: " + std::string(tail));
        }
        return st;
    }

    // Steps the statement: true on a row, false at its end; a failure raises.
    bool NextRow(sqlite3_stmt* st) {
        const int rc = sqlite3_step(st);
        if (rc == SQLITE_ROW) return true;
        if (rc != SQLITE_DONE) RaiseEngine(db_, false);
        return false;
    }

    void Exec(const char* sql) {
        if (sqlite3_exec(db_, sql, nullptr, nullptr, nullptr) != SQLITE_OK) RaiseEngine(db_, false);
    }

    // Runs a batch; the first statement that returns columns fills `out`.
    long Run(const Batch& batch, ResultSet* out, const std::vector<vb::Variant>& values) {
        switch (batch.command) {
            case Batch::Command::BeginTrans: BeginTrans(); return -1;
            case Batch::Command::CommitTrans: CommitTrans(); return -1;
            case Batch::Command::RollbackTrans: RollbackTrans(); return -1;
            case Batch::Command::None: break;
        }
        RunState state{out, &values};
        const bool atomic = batch.opensTransaction || batch.steps.size() > 1 ||
                            (batch.steps.size() == 1 && batch.steps[0].kind == Step::Kind::If);
        if (!atomic) {
            RunSteps(batch.steps, state);
            return state.affected;
        }
        const bool outer = InTransaction();
        Exec(outer ? "SAVEPOINT tv_batch" : (sqlite3_db_readonly(db_, "main") == 1 ? "BEGIN" : "BEGIN IMMEDIATE"));
        try {
            RunSteps(batch.steps, state);
            if (outer) Exec("RELEASE tv_batch");
            else if (!batch.opensTransaction) Exec("COMMIT");
        } catch (...) {
            if (outer) {
                sqlite3_exec(db_, "ROLLBACK TO tv_batch", nullptr, nullptr, nullptr);
                sqlite3_exec(db_, "RELEASE tv_batch", nullptr, nullptr, nullptr);
            } else if (InTransaction()) {
                sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
            }
            if (state.schemaChanged) ForgetSchema();
            throw;
        }
        return state.affected;
    }

    struct RunState {
        ResultSet* out;
        const std::vector<vb::Variant>* values;  // bound to the batch's one statement
        bool haveResult = false;
        long affected = -1;
        bool schemaChanged = false;
    };

    void RunSteps(const std::vector<Step>& steps, RunState& state) {
        for (const Step& step : steps) {
            if (step.kind == Step::Kind::If) {
                RunSteps(Test(step.sql) ? step.then : step.otherwise, state);
            } else if (step.kind == Step::Kind::Raise) {
                throw vb::Error(kErrRaised, step.sql, kSqliteSource, kNativeRaised, "42000");
            } else {
                RunSql(step, state);
            }
        }
    }

    bool Test(const std::string& sql) {
        Statement st = Prepare(sql);
        return NextRow(st.get()) && sqlite3_column_int(st.get(), 0) != 0;
    }

    void RunSql(const Step& step, RunState& state) {
        if (step.changesSchema) {
            state.schemaChanged = true;
            ForgetSchema();  // the statement may change what adapted texts depend on
        }
        Statement st = Take(step.sql);
        if (!st) return;  // only a comment
        for (std::size_t i = 0; i < state.values->size(); ++i) {
            if (BindValue(st.get(), static_cast<int>(i) + 1, (*state.values)[i]) != SQLITE_OK) RaiseEngine(db_, false);
        }
        if (sqlite3_column_count(st.get()) > 0 && state.out && !state.haveResult) {
            Collect(st.get(), *state.out);
            state.haveResult = true;
        } else {
            while (NextRow(st.get())) {
            }
        }
        if (step.changesRows) state.affected = std::max(state.affected, 0L) + sqlite3_changes(db_);
        if (ascii::StartsWithNoCase(step.sql, "PRAGMA")) ReadEncoding();
        if (!step.changesSchema) Keep(step.sql, std::move(st));
    }

    // A statement run before is stepped again rather than compiled again (a
    // page, a count); one that failed is finalized, never kept.
    Statement Take(const std::string& sql) {
        Statement st = Kept(sql);
        return st ? std::move(st) : Prepare(sql);
    }

    Statement Kept(const std::string& sql) {
        const auto it = kept_.find(sql);
        if (it == kept_.end()) return {};
        Statement st = std::move(it->second);
        kept_.erase(it);
        return st;
    }

    void Keep(const std::string& sql, Statement st) {
        sqlite3_reset(st.get());
        sqlite3_clear_bindings(st.get());
        Cost(st.get());  // counted afresh at its next run
        if (kept_.size() >= kKeptSize) kept_.clear();
        kept_.emplace(sql, std::move(st));
    }

    // The statement's counters since they were last read, which resets them.
    static QueryCost Cost(sqlite3_stmt* st) {
        return {sqlite3_stmt_status(st, SQLITE_STMTSTATUS_VM_STEP, 1),
                sqlite3_stmt_status(st, SQLITE_STMTSTATUS_FULLSCAN_STEP, 1),
                sqlite3_stmt_status(st, SQLITE_STMTSTATUS_SORT, 1)};
    }

    void Collect(sqlite3_stmt* st, ResultSet& result) {
        // The columns are read after the first step: a kept statement is
        // compiled again there when the schema changed meanwhile.
        bool more = NextRow(st);
        const int n = sqlite3_column_count(st);
        std::vector<TypeInfo> types(static_cast<std::size_t>(n));
        result.fields.resize(static_cast<std::size_t>(n));
        for (int c = 0; c < n; ++c) {
            types[c] = DeclaredType(sqlite3_column_decltype(st, c));
            result.fields[c] = {sqlite3_column_name(st, c), types[c].ado, types[c].size};
        }
        // Columns without a declared type take the type of their first value.
        std::vector<int> firstType(static_cast<std::size_t>(n), SQLITE_NULL);
        std::vector<long> longest(static_cast<std::size_t>(n), 0);
        for (; more; more = NextRow(st)) {
            std::vector<vb::Variant> row;
            row.reserve(static_cast<std::size_t>(n));
            for (int c = 0; c < n; ++c) {
                const int type = sqlite3_column_type(st, c);
                row.push_back(ValueOf(types[c].kind, st, c, type, utf8_));
                if (types[c].kind == Kind::Untyped) {
                    if (firstType[c] == SQLITE_NULL) firstType[c] = type;
                    if (row.back().IsText()) {
                        longest[c] = std::max(longest[c], static_cast<long>(vb::Len(std::get<std::string>(row.back().Get()))));
                    }
                }
            }
            result.rows.push_back(std::move(row));
        }
        for (int c = 0; c < n; ++c) {
            if (types[c].kind != Kind::Untyped) continue;
            FieldInfo& f = result.fields[c];
            switch (firstType[c]) {
                case SQLITE_INTEGER: f.Type = adInteger, f.DefinedSize = 4; break;
                case SQLITE_FLOAT: f.Type = adDouble, f.DefinedSize = 8; break;
                case SQLITE_BLOB: f.Type = adLongVarBinary, f.DefinedSize = longest[c]; break;
                default: f.Type = adVarWChar, f.DefinedSize = std::max(longest[c], 1L); break;
            }
        }
        lastCost_ = Cost(st);
    }

    ResultSet SchemaTables(const std::vector<vb::Variant>& restrictions) {
        ResultSet result;
        result.fields = {SchemaField("TABLE_CATALOG", adVarWChar, 128), SchemaField("TABLE_SCHEMA", adVarWChar, 128),
                         SchemaField("TABLE_NAME", adVarWChar, 128), SchemaField("TABLE_TYPE", adVarWChar, 32)};
        for (const auto& [name, type] : Tables()) {
            if (!Matches(restrictions, 2, name) || !Matches(restrictions, 3, type)) continue;
            result.rows.push_back({vb::Null, vb::Null, Text(name), Text(type)});
        }
        return result;
    }

    ResultSet SchemaColumns(const std::vector<vb::Variant>& restrictions) {
        ResultSet result;
        result.fields = {SchemaField("TABLE_CATALOG", adVarWChar, 128),     SchemaField("TABLE_SCHEMA", adVarWChar, 128),
                         SchemaField("TABLE_NAME", adVarWChar, 128),        SchemaField("COLUMN_NAME", adVarWChar, 128),
                         SchemaField("ORDINAL_POSITION", adUnsignedInt, 4), SchemaField("DATA_TYPE", adUnsignedSmallInt, 2),
                         SchemaField("CHARACTER_MAXIMUM_LENGTH", adUnsignedInt, 4), SchemaField("IS_NULLABLE", adBoolean, 2)};
        for (const auto& table : Tables()) {
            const std::string& name = table.first;
            if (!Matches(restrictions, 2, name)) continue;
            // Generated columns are columns here too (hidden 2 and 3); hidden 1 are a virtual table's.
            Statement st = Prepare("SELECT cid, name, type, \"notnull\" FROM pragma_table_xinfo(?1) WHERE hidden <> 1");
            sqlite3_bind_text(st.get(), 1, name.c_str(), -1, SQLITE_TRANSIENT);
            while (NextRow(st.get())) {
                const std::string column = ColumnText(st.get(), 1);
                if (!Matches(restrictions, 3, column)) continue;
                const TypeInfo type = DeclaredType(reinterpret_cast<const char*>(sqlite3_column_text(st.get(), 2)));
                const bool isText = type.kind == Kind::Text;
                result.rows.push_back({vb::Null, vb::Null, Text(name), Text(column),
                                       vb::Variant(sqlite3_column_int64(st.get(), 0) + 1), vb::Variant(type.ado),
                                       isText ? vb::Variant(type.size) : vb::Variant(vb::Null),
                                       vb::Variant(sqlite3_column_int(st.get(), 3) == 0)});
            }
        }
        return result;
    }

    // Tables and views by name: (name, "TABLE" or "VIEW").
    std::vector<std::pair<std::string, std::string>> Tables() {
        std::vector<std::pair<std::string, std::string>> tables;
        Statement st = Prepare(
            "SELECT name, upper(type) FROM sqlite_schema WHERE type IN ('table', 'view') "
            "AND name NOT LIKE 'sqlite!_%' ESCAPE '!' ORDER BY name");
        while (NextRow(st.get())) tables.emplace_back(ColumnText(st.get(), 0), ColumnText(st.get(), 1));
        return tables;
    }

    static constexpr std::size_t kCacheSize = 256;
    static constexpr std::size_t kKeptSize = 32;
    sqlite3* db_;
    bool utf8_ = false;  // the file keeps its texts in UTF-8
    QueryCost lastCost_;
    std::unordered_map<std::string, std::shared_ptr<const Batch>> cache_;
    std::unordered_map<std::string, std::optional<std::vector<TableColumn>>> columns_;
    std::unordered_map<std::string, Statement> kept_;  // reset, ready to run again
};

// ---- Opening ----------------------------------------------------------------------

// A file name as an SQLite URI with its parameters.
std::string FileUri(const std::string& path, const char* parameters) {
    std::string uri = "file://";
    for (const char c : std::filesystem::absolute(path).string()) {
        if (c == '%' || c == '?' || c == '#') {
            static const char kHex[] = "0123456789ABCDEF";
            uri += '%';
            uri += kHex[static_cast<unsigned char>(c) >> 4];
            uri += kHex[c & 0xF];
        } else {
            uri += c;
        }
    }
    return uri + "?" + parameters;
}

// The engine opens every file without waiting: a FIFO put in the place of
// the database (or of its log) after it was checked opens at once and reads
// as no database, instead of holding the program for good. O_NONBLOCK
// changes nothing for a regular file.
int OpenWithoutWaiting(const char* path, int flags, int mode) {
    return ::open(path, flags | O_NONBLOCK, static_cast<mode_t>(mode));
}

// The system's file layer for the connections that read a file quietly
// (read-only, alone or through a read-only log index): the database file is
// held shared from the moment it is open until it is closed, as every
// station in write-ahead-log mode holds it. While it is held, no station
// that closes the file can take the log and its index away (that needs the
// file to itself), nor can a station in rollback-journal mode write into
// it. Registered once, with the wait-free opening above; a failure to set
// it up raises, and the next opening tries again.
const char* QuietVfs() {
    static sqlite3_vfs* base = nullptr;
    static sqlite3_vfs quiet{};
    static const char* const name = [] {
        const auto raise = [](int rc) {
            throw vb::Error(kErrFail, CannotOpen(std::string("capa de archivos del sistema: ") + sqlite3_errstr(rc)),
                            kSqliteSource, rc);
        };
        base = sqlite3_vfs_find("unix");
        if (!base || base->iVersion < 3 || !base->xSetSystemCall) raise(SQLITE_NOTFOUND);
        const int set = base->xSetSystemCall(base, "open", reinterpret_cast<sqlite3_syscall_ptr>(&OpenWithoutWaiting));
        if (set != SQLITE_OK) raise(set);
        quiet = *base;
        quiet.pNext = nullptr;
        quiet.zName = "tarvolin-quiet";
        quiet.xOpen = [](sqlite3_vfs*, sqlite3_filename file, sqlite3_file* handle, int flags, int* outFlags) {
            int rc = base->xOpen(base, file, handle, flags, outFlags);
            if (rc == SQLITE_OK && (flags & SQLITE_OPEN_MAIN_DB) != 0) {
                rc = handle->pMethods->xLock(handle, SQLITE_LOCK_SHARED);
                if (rc != SQLITE_OK) {
                    handle->pMethods->xClose(handle);
                    handle->pMethods = nullptr;
                }
            }
            return rc;
        };
        if (const int registered = sqlite3_vfs_register(&quiet, 0); registered != SQLITE_OK) raise(registered);
        return quiet.zName;
    }();
    return name;
}

// Opens a connection with its busy timeout set before the first read, so
// that stations opening the file at once wait for each other. A connection
// is used by one thread only (adodb.h), so SQLite need not lock it on every
// call.
std::unique_ptr<SqliteEngine> OpenConnection(const std::string& target, int flags, long commandTimeout,
                                             const char* vfs = nullptr) {
    sqlite3* db = nullptr;
    const int rc = sqlite3_open_v2(target.c_str(), &db, flags | SQLITE_OPEN_EXRESCODE | SQLITE_OPEN_NOMUTEX, vfs);
    if (rc != SQLITE_OK) {
        const std::string message = db ? sqlite3_errmsg(db) : sqlite3_errstr(rc);
        const int code = db ? FailureCode(db) : rc;
        sqlite3_close_v2(db);
        throw vb::Error(kErrFail, FileProblem(code, message), kSqliteSource, code);
    }
    auto engine = std::make_unique<SqliteEngine>(db);
    engine->SetCommandTimeout(commandTimeout);
    return engine;
}

// Why a file cannot be opened, from the system's error number.
std::string OpeningProblem(int err) {
    switch (err) {
    case ENOENT:
    case ENOTDIR: return CannotOpen("no existe");
    case EACCES:
    case EPERM: return CannotOpen("falta permiso para llegar a él");
    case ENAMETOOLONG: return CannotOpen("el nombre es demasiado largo");
    default: return CannotOpen("error del sistema " + std::to_string(err));
    }
}

// Which file a name stands for.
struct FileIdentity {
    dev_t device;
    ino_t inode;
    bool operator==(const FileIdentity&) const = default;
};

// The database named must be a regular file with something in it, checked
// before anything opens it: a folder, a FIFO or a device is no database (and
// opening a FIFO would wait for good); SQLite would take an empty file for
// an empty database and write to it, and no database of this program is
// empty, so such a file is left alone.
FileIdentity RegularFile(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) {
        throw vb::Error(kErrFail, OpeningProblem(errno), kSqliteSource, SQLITE_CANTOPEN);
    }
    if (std::string reason = vb::NonRegularReason(st.st_mode); !reason.empty()) {
        throw vb::Error(kErrFail, std::move(reason), kSqliteSource, SQLITE_CANTOPEN);
    }
    if (st.st_size == 0) {
        throw vb::Error(kErrFail, "el archivo está vacío, no es una base de datos", kSqliteSource, SQLITE_NOTADB);
    }
    return {st.st_dev, st.st_ino};
}

// The write-ahead log and its index beside the file, as they are now.
struct SideFiles {
    bool log = false;
    bool index = false;
    // Another station has the file open (or left its log): it is read
    // through the log. A log without its index is one a station is setting
    // up, or taking away after writing it back into the file (the index
    // goes first).
    bool Logged() const { return log && index; }
    bool operator==(const SideFiles&) const = default;
};

SideFiles SideFilesOf(const std::string& path) {
    struct stat st {};
    return {::lstat((path + "-wal").c_str(), &st) == 0, ::lstat((path + "-shm").c_str(), &st) == 0};
}

// The first bytes of a regular file, fewer when it is shorter, none when it
// cannot be read.
std::string FirstBytes(const std::string& path, std::size_t count) {
    const int fd = OpenWithoutWaiting(path.c_str(), O_RDONLY | O_CLOEXEC, 0);
    if (fd < 0) return {};
    std::string bytes(count, '\0');
    struct stat st {};
    ssize_t n = 0;
    if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode)) n = ::pread(fd, bytes.data(), count, 0);
    ::close(fd);
    bytes.resize(n > 0 ? static_cast<std::size_t>(n) : 0);
    return bytes;
}

// A rollback journal beside the file that holds pages to put back: it
// begins with the journal's mark, written only once pages of the change may
// go into the file. Unless a station holds the file reserved for writing,
// the station that wrote it ended in the middle of its change, and the file
// alone holds pages that were never committed.
bool JournalWithPages(const std::string& path) {
    static const std::string kMark("\xd9\xd5\x05\xf9\x20\xa1\x63\xd7", 8);
    return FirstBytes(path + "-journal", kMark.size()) == kMark;
}

// A write-ahead log beside the file that holds frames: its header bears the
// log's mark and its first frame the header's salt. A log of no frames adds
// nothing to the file.
bool LogWithFrames(const std::string& path) {
    constexpr std::size_t kHeader = 32, kFrameHeader = 24;
    const std::string head = FirstBytes(path + "-wal", kHeader + kFrameHeader);
    if (head.size() < kHeader + kFrameHeader) return false;
    const auto byte = [&](std::size_t i) { return static_cast<std::uint32_t>(static_cast<unsigned char>(head[i])); };
    const std::uint32_t mark = byte(0) << 24 | byte(1) << 16 | byte(2) << 8 | byte(3);
    return (mark & 0xFFFFFFFEu) == 0x377F0682u && head.compare(16, 8, head, kHeader + 8, 8) == 0;
}

// Why a station that may not write cannot read the file's committed state,
// in Spanish, with the engine's code for it.
struct HiddenState {
    const char* why;
    int code;
};

constexpr HiddenState kHalfWritten{
    "la base tiene un cambio que quedó a medio grabar y esta estación, que no puede escribirla, no puede "
    "deshacerlo; una estación que pueda escribir la base debe abrirla primero",
    SQLITE_READONLY_ROLLBACK};
constexpr HiddenState kLogWithoutIndex{
    "la base tiene cambios en su registro (-wal) sin el índice de ese registro (-shm) y esta estación, que no "
    "puede escribirla, no puede leerlos; una estación que pueda escribir la base debe abrirla primero",
    SQLITE_READONLY};

// Failures that another station's opening or closing explains, whatever the
// files beside look like: the file or its log held for a moment, or a log
// index not yet set up (or being set up anew) that a read-only connection
// may not set up itself.
bool Transient(long code) {
    switch (code & 0xFF) {
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
    case SQLITE_PROTOCOL: return true;
    default:
        return code == SQLITE_READONLY_RECOVERY || code == SQLITE_READONLY_CANTINIT ||
               code == SQLITE_READONLY_CANTLOCK;
    }
}

using Clock = std::chrono::steady_clock;

// When waiting on other stations gives up: after the command timeout
// (never for a timeout of 0 or less, as the busy timeout).
Clock::time_point Deadline(long seconds) {
    return seconds <= 0 ? Clock::time_point::max() : Clock::now() + std::chrono::seconds(seconds);
}

// A short pause before trying again, longer each time up to 50 ms, as the
// engine's own busy wait.
void Pause(int attempt) {
    std::this_thread::sleep_for(std::chrono::milliseconds(std::min(1 << std::min(attempt, 6), 50)));
}

[[noreturn]] void RaiseBusy() {
    throw vb::Error(kErrFail, FileProblem(SQLITE_BUSY, sqlite3_errstr(SQLITE_BUSY)), kSqliteSource, SQLITE_BUSY);
}

// Runs `attempt` until it gives a result, pausing between tries, for as
// long as the command timeout: an attempt that gives nothing is tried again
// (the file raised as busy once the time is up), and so is one that fails
// where `again` holds for its error (the error raised once the time is up).
// Before each pause the wait notice (wait_notice.h) is told how long the
// wait has lasted; when the user gives up there, the file is raised as busy.
template <class Attempt, class Again>
auto Retrying(long commandTimeout, Attempt&& attempt, Again&& again) {
    const Clock::time_point start = Clock::now();
    const Clock::time_point deadline = Deadline(commandTimeout);
    for (int n = 0;; ++n) {
        try {
            if (auto result = attempt()) return std::move(*result);
        } catch (const vb::Error& e) {
            if (!again(e) || Clock::now() >= deadline) throw;
        }
        if (Clock::now() >= deadline) RaiseBusy();
        if (!NoticeWait(std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start))) RaiseBusy();
        Pause(n);
    }
}

// A connection that read the file quietly.
struct QuietRead {
    std::unique_ptr<SqliteEngine> engine;
    bool logged = false;  // it reads through the log's index, and holds the file
    bool hidden = false;  // nothing was read: the committed state shows only to a connection that may write
};

// Test hook, called at the moments of a quiet read where another station's
// opening, closing or writing makes it read again.
QuietReadHook& Hook() {
    static QuietReadHook hook;
    return hook;
}

void At(QuietMoment moment) {
    if (Hook()) Hook()(moment);
}

// Why the committed state cannot be read on a connection that holds the
// file shared (no station can write pages into it meanwhile), reading it as
// `before` tells: a journal of a change ended half-way, which only a station
// that may write can undo, or, where the file is read alone, a log with
// frames whose index is missing.
const HiddenState* Hidden(const std::string& path, const SqliteEngine& engine, const SideFiles& before) {
    if (JournalWithPages(path) && !engine.ReservedByAStation()) return &kHalfWritten;
    if (!before.Logged() && LogWithFrames(path)) return &kLogWithoutIndex;
    return nullptr;
}

// How long a station that may not write waits for a hidden committed state
// to show (a station opening the file sets up the log's index a moment after
// the log) before it says so.
constexpr auto kHiddenWait = std::chrono::seconds(1);

// Opens the file read-only, writing nothing beside it whatever it turns out
// to be, and runs `read` on that connection: through the log's index,
// read-only, when the log and its index are beside the file (another
// station has it open), else on the file alone as it stands (opening a
// database in WAL mode any other way creates the log and its index). The
// connection holds the file shared from its opening (QuietVfs): no station
// can take the log away meanwhile, and a station that starts writing while
// the file alone is read shows by its log, so that the read, which may have
// met its checkpoint, is done again. A failure that another station's
// opening or closing explains is tried again until the command timeout;
// any other is raised as it is. Nothing is read while the committed state
// is hidden: for a station that `mayWrite` that is returned at once (its
// connection that may write reads that state), for any other it is raised,
// in Spanish, once it stays so for a moment. `read` is told whether the
// connection reads through the log's index: such a read is the one
// returned.
template <class Read>
QuietRead ReadQuietly(const std::string& path, long commandTimeout, bool mayWrite, Read&& read) {
    FileIdentity file{};
    SideFiles before;
    bool checked = false;  // the file and the files beside it were looked at: a failure may be explained
    const Clock::time_point deadline = Deadline(commandTimeout);
    std::optional<Clock::time_point> hiddenSince;
    return Retrying(
        commandTimeout,
        [&]() -> std::optional<QuietRead> {
            checked = false;
            file = RegularFile(path);
            before = SideFilesOf(path);
            checked = true;
            At(QuietMoment::Looked);
            auto engine = OpenConnection(FileUri(path, before.Logged() ? "readonly_shm=1" : "immutable=1"),
                                         SQLITE_OPEN_READONLY | SQLITE_OPEN_URI, commandTimeout, QuietVfs());
            if (RegularFile(path) != file || SideFilesOf(path).Logged() != before.Logged()) return std::nullopt;
            if (const HiddenState* hidden = Hidden(path, *engine, before)) {
                if (mayWrite) return QuietRead{nullptr, false, true};
                const Clock::time_point now = Clock::now();
                if (!hiddenSince) hiddenSince = now;
                if (now - *hiddenSince >= kHiddenWait || now >= deadline) {
                    throw vb::Error(kErrFail, hidden->why, kSqliteSource, hidden->code);
                }
                return std::nullopt;
            }
            read(*engine, before.Logged());
            At(QuietMoment::Read);
            if (before.Logged() || !SideFilesOf(path).Logged()) return QuietRead{std::move(engine), before.Logged()};
            return std::nullopt;
        },
        [&](const vb::Error& e) {
            return checked && (Transient(e.NativeError()) || SideFilesOf(path) != before || RegularFile(path) != file);
        });
}

// A station that may not write the file (or its folder): each load (a
// query, a statement) reads the file as it stands at that moment, and
// nothing is ever created beside it. While no other station has the file
// open, each load reads the file alone, on a connection of its own that
// holds the file shared while it reads and is closed after it (a connection
// that outlived a change of the file would mix the pages it keeps with the
// new ones). Once another station has the file open, the load reads through
// the log's index, read-only, on a connection that is kept: it holds the
// file, so the log and its index stay, and every later load reads the
// latest state through them. A transaction keeps its connection to its end.
// A load that cannot read the committed state (a change left half way by a
// writer that ended, a log without its index) reads nothing and fails,
// saying so.
class ReadOnlyStation final : public Engine {
public:
    ReadOnlyStation(std::string path, long commandTimeout, QuietRead first)
        : path_(std::move(path)), timeout_(commandTimeout) {
        if (first.logged) logged_ = std::move(first.engine);
    }

    Dialect GetDialect() const override { return Dialect::Sqlite; }
    long Execute(const std::string& sql) override {
        return Load([&](SqliteEngine& e) { return e.Execute(sql); });
    }
    long ExecuteBound(const std::string& sql, const std::vector<vb::Variant>& values) override {
        return Load([&](SqliteEngine& e) { return e.ExecuteBound(sql, values); });
    }
    ResultSet Query(const std::string& sql) override { return QueryBound(sql, {}); }
    ResultSet QueryBound(const std::string& sql, const std::vector<vb::Variant>& values) override {
        return Load([&](SqliteEngine& e) {
            ResultSet result = e.QueryBound(sql, values);
            lastCost_ = e.LastQueryCost();  // the connection may close after the load
            return result;
        });
    }
    QueryCost LastQueryCost() const override { return lastCost_; }
    bool ReadOnly() const override { return true; }
    ResultSet OpenSchema(int schema, const std::vector<vb::Variant>& restrictions) override {
        return Load([&](SqliteEngine& e) { return e.OpenSchema(schema, restrictions); });
    }
    void BeginTrans() override {
        Load([](SqliteEngine& e) { return e.BeginTrans(), 0; });
    }
    void CommitTrans() override {
        Load([](SqliteEngine& e) { return e.CommitTrans(), 0; });
    }
    void RollbackTrans() override {
        Load([](SqliteEngine& e) { return e.RollbackTrans(), 0; });
    }
    bool InTransaction() const override {
        return (pinned_ && pinned_->InTransaction()) || (logged_ && logged_->InTransaction());
    }
    void SetCommandTimeout(long seconds) override {
        timeout_ = seconds;
        for (SqliteEngine* e : {pinned_.get(), logged_.get()}) {
            if (e) e->SetCommandTimeout(seconds);
        }
    }

private:
    template <class F>
    auto Load(F&& load) -> decltype(load(std::declval<SqliteEngine&>())) {
        if (pinned_) return InPinned(load);
        if (logged_) return InLogged(load);
        std::optional<decltype(load(std::declval<SqliteEngine&>()))> result;
        QuietRead read = ReadQuietly(path_, timeout_, false, [&](SqliteEngine& e, bool) {
            e.PrepareForUse(false);
            result = load(e);
        });
        if (read.logged) logged_ = std::move(read.engine);
        else if (read.engine->InTransaction()) pinned_ = std::move(read.engine);
        return std::move(*result);
    }

    // A transaction begun on a connection of the file alone goes on there.
    // Once another station has the file through its log, its checkpoint may
    // have overwritten pages under the read: the load fails as ReadQuietly
    // fails, rather than return what it read (a load that ended the
    // transaction read nothing).
    template <class F>
    auto InPinned(F& load) {
        struct Unpin {
            std::unique_ptr<SqliteEngine>& pinned;
            ~Unpin() {
                if (!pinned->InTransaction()) pinned.reset();
            }
        } unpin{pinned_};
        auto result = load(*pinned_);
        if (pinned_->InTransaction() && SideFilesOf(path_).Logged()) RaiseBusy();
        return result;
    }

    // The log's index may be set up anew by a station that opens the file
    // meanwhile: such a failure is tried again until the command timeout.
    template <class F>
    auto InLogged(F& load) {
        return Retrying(
            timeout_,
            [&] {
                At(QuietMoment::Kept);
                return std::optional(load(*logged_));
            },
            [&](const vb::Error& e) { return Transient(e.NativeError()) && !logged_->InTransaction(); });
    }

    std::string path_;
    long timeout_;
    std::unique_ptr<SqliteEngine> logged_;  // reads through the log's index
    std::unique_ptr<SqliteEngine> pinned_;  // the file alone, in a transaction
    QueryCost lastCost_;
};

// The program may write the file, and create its journal or log beside it.
bool Writable(const std::string& path) {
    const std::filesystem::path folder = std::filesystem::path(path).parent_path();
    return access(path.c_str(), W_OK) == 0 && access(folder.empty() ? "." : folder.c_str(), W_OK) == 0;
}

std::unique_ptr<Engine> OpenChecked(const std::string& path, long commandTimeout,
                                    const std::vector<std::string>& requiredTables) {
    if (path == ":memory:") {
        auto engine = OpenConnection(path, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_MEMORY,
                                     commandTimeout);
        engine->CheckFile(requiredTables);
        engine->PrepareForUse(false);
        return engine;
    }
    const bool writable = Writable(path);
    QuietRead checked = ReadQuietly(path, commandTimeout, writable, [&](SqliteEngine& e, bool logged) {
        e.CheckFile(requiredTables);
        if (!writable && logged) e.PrepareForUse(false);  // the station goes on with this connection
    });
    // A database the program may not write is only ever read quietly, so
    // that nothing is ever created beside it.
    if (!writable) return std::make_unique<ReadOnlyStation>(path, commandTimeout, std::move(checked));
    // Closed first: the file turns to WAL mode only with no other connection
    // of this process on it.
    checked.engine.reset();
    if (checked.hidden) OpenConnection(path, SQLITE_OPEN_READWRITE, commandTimeout)->CheckHoldingFile(requiredTables);
    auto engine = OpenConnection(path, SQLITE_OPEN_READWRITE, commandTimeout);
    engine->PrepareForUse(true);
    return engine;
}

}  // namespace

void SetQuietReadHook(QuietReadHook hook) { Hook() = std::move(hook); }

std::optional<std::string> SqliteFailureReason(const ProviderError& error) {
    switch (error.NativeError & 0xFF) {
    case SQLITE_FULL:
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
    case SQLITE_IOERR: return Reason(static_cast<int>(error.NativeError & 0xFF));
    case SQLITE_READONLY: return "la base es de sólo lectura";
    case SQLITE_PERM:
    case SQLITE_AUTH: return "no hay permiso para escribir en la base";
    case SQLITE_CORRUPT:
    case SQLITE_NOTADB: return "la base de datos está dañada";
    case SQLITE_CANTOPEN: return "no se pudo abrir el archivo de la base";
    case SQLITE_CONSTRAINT: return "la base rechazó el cambio (" + error.Description + ")";
    default: return std::nullopt;
    }
}

std::unique_ptr<Engine> OpenSqliteEngine(const std::string& path, long commandTimeoutSeconds,
                                         const std::vector<std::string>& requiredTables) {
    try {
        return OpenChecked(path, commandTimeoutSeconds, requiredTables);
    } catch (const vb::Error& e) {
        throw vb::Error(kErrFail, e.Description() + ": " + path, kSqliteSource, e.NativeError(), "08001");
    }
}

}  // namespace adodb
