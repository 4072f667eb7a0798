#include "db/adodb.h"

#include <algorithm>
#include <atomic>
#include <optional>

#include "ascii.h"
#include "db/connstring.h"
#include "engines.h"
#include "odbc_engine.h"
#include "sql_tokens.h"
#include "vb/regional.h"
#include "vb/text.h"
#include "vb/variant.h"

namespace adodb {
namespace {

// The last opening number given out (Connection::OpeningId); connections
// of different threads may open at once.
std::atomic<std::uint64_t> lastOpeningId{0};

constexpr const char* kConnectionSource = "ADODB.Connection";
constexpr const char* kRecordsetSource = "ADODB.Recordset";

constexpr long kErrNoCurrentRecord = 3021;
constexpr long kErrItemNotFound = 3265;
constexpr long kErrObjectClosed = 3704;
constexpr long kErrObjectOpen = 3705;

[[noreturn]] void RaiseClosed(const char* source) {
    throw vb::Error(kErrObjectClosed, "Operation is not allowed when the object is closed.", source);
}

[[noreturn]] void RaiseOpen(const char* source) {
    throw vb::Error(kErrObjectOpen, "Operation is not allowed when the object is open.", source);
}

[[noreturn]] void RaiseNoCurrentRecord() {
    throw vb::Error(kErrNoCurrentRecord,
                    "Either BOF or EOF is True, or the current record has been deleted. Requested operation "
                    "requires a current record.",
                    kRecordsetSource);
}

[[noreturn]] void RaiseItemNotFound() {
    throw vb::Error(kErrItemNotFound,
                    "Item cannot be found in the collection corresponding to the requested name or ordinal.",
                    kRecordsetSource);
}

// A bound value as the statement log shows it, in SQL's literal forms.
std::string LoggedValue(const vb::Variant& value) {
    if (value.IsEmpty() || value.IsNull()) return "NULL";
    if (value.IsText()) return "'" + vb::Replace(std::get<std::string>(value.Get()), "'", "''") + "'";
    if (value.IsDate()) return "'" + std::get<vb::Date>(value.Get()).ToIso() + "'";
    if (value.IsBool()) return std::get<bool>(value.Get()) ? "1" : "0";
    return PlainNumber(value);
}

std::string LoggedStatement(const std::string& sql, const std::vector<vb::Variant>& values) {
    std::string text = sql + " --";
    for (std::size_t i = 0; i < values.size(); ++i) text += (i == 0 ? " " : ", ") + LoggedValue(values[i]);
    return text;
}

}  // namespace

std::string PlainNumber(const vb::Variant& number) {
    return vb::Replace(vb::CStr(number), vb::GetRegional().decimalSeparator, ".");
}

// ---- Engine -------------------------------------------------------------------

long Engine::ExecuteBound(const std::string& sql, const std::vector<vb::Variant>& values) {
    if (!values.empty()) {
        throw vb::Error(3251, "Object or provider is not capable of performing requested operation.",
                        kConnectionSource);
    }
    return Execute(sql);
}

ResultSet Engine::QueryBound(const std::string& sql, const std::vector<vb::Variant>& values) {
    if (!values.empty()) {
        throw vb::Error(3251, "Object or provider is not capable of performing requested operation.",
                        kConnectionSource);
    }
    return Query(sql);
}

// ---- Errors -------------------------------------------------------------------

const ProviderError& Errors::Item(std::size_t index) const {
    if (index >= items_.size()) throw vb::Error(vb::kErrSubscript, "Subscript out of range", kConnectionSource);
    return items_[index];
}

// ---- Connection ---------------------------------------------------------------

Connection::Connection() = default;
Connection::~Connection() = default;

// Runs one operation: the provider errors are cleared first, the statement
// (when there is one) is logged, and a failure is added to Errors and thrown.
template <class F>
auto Connection::Guard(const std::string& sql, F&& f) {
    errors_.Clear();
    try {
        if (!sql.empty() && logger_) logger_(sql);
        return f();
    } catch (const vb::Error& e) {
        errors_.Add({e.Number(), e.Description(), e.Source(), e.SQLState(), e.NativeError()});
        throw;
    } catch (...) {
        vb::Error e = vb::CurrentError();
        errors_.Add({e.Number(), e.Description(), e.Source(), e.SQLState(), e.NativeError()});
        throw e;
    }
}

void Connection::Open(const std::string& connectionString, const std::string& user,
                      const std::string& password, long /*options*/) {
    Guard({}, [&] {
        if (engine_) RaiseOpen(kConnectionSource);
        const ConnectionTarget target = ResolveConnectionString(connectionString, user, password);
        engine_ = target.Engine == EngineKind::Sqlite
                      ? OpenSqliteEngine(target.Target, commandTimeout_, requiredTables_)
                      : OpenOdbcEngine(target.Target, target.Dialect, commandTimeout_);
        connectionString_ = connectionString;
        openingId_ = ++lastOpeningId;
    });
}

void Connection::Close() { engine_.reset(); }

void Connection::RequireTables(const std::vector<std::string>& tables) {
    for (const std::string& table : tables) {
        const bool known = std::any_of(requiredTables_.begin(), requiredTables_.end(),
                                       [&](const std::string& t) { return ascii::EqualsNoCase(t, table); });
        if (!known) requiredTables_.push_back(table);
    }
}

int Connection::State() const { return engine_ ? adStateOpen : adStateClosed; }

Dialect Connection::GetDialect() const {
    if (!engine_) RaiseClosed(kConnectionSource);
    return engine_->GetDialect();
}

void Connection::Execute(const std::string& sql, long& recordsAffected, long /*options*/) {
    Guard(sql, [&] {
        if (!engine_) RaiseClosed(kConnectionSource);
        recordsAffected = engine_->Execute(sql);
    });
}

long Connection::Execute(const std::string& sql) {
    long affected = 0;
    Execute(sql, affected);
    return affected;
}

void Connection::Execute(const std::string& sql, const std::vector<vb::Variant>& values, long& recordsAffected) {
    Guard(logger_ ? LoggedStatement(sql, values) : std::string(), [&] {
        if (!engine_) RaiseClosed(kConnectionSource);
        recordsAffected = engine_->ExecuteBound(sql, values);
    });
}

void Connection::BeginTrans() {
    Guard({}, [&] {
        if (!engine_) RaiseClosed(kConnectionSource);
        engine_->BeginTrans();
    });
}

void Connection::CommitTrans() {
    Guard({}, [&] {
        if (!engine_) RaiseClosed(kConnectionSource);
        engine_->CommitTrans();
    });
}

void Connection::RollbackTrans() {
    Guard({}, [&] {
        if (!engine_) RaiseClosed(kConnectionSource);
        engine_->RollbackTrans();
    });
}

bool Connection::InTransaction() const { return engine_ && engine_->InTransaction(); }

ResultSet Connection::Query(const std::string& sql) {
    return Guard(sql, [&] {
        if (!engine_) RaiseClosed(kConnectionSource);
        return engine_->Query(sql);
    });
}

ResultSet Connection::Query(const std::string& sql, const std::vector<vb::Variant>& values) {
    return Guard(logger_ ? LoggedStatement(sql, values) : std::string(), [&] {
        if (!engine_) RaiseClosed(kConnectionSource);
        return engine_->QueryBound(sql, values);
    });
}

QueryCost Connection::LastQueryCost() const { return engine_ ? engine_->LastQueryCost() : QueryCost{}; }

bool Connection::ReadOnly() const { return engine_ && engine_->ReadOnly(); }

Recordset Connection::OpenSchema(int schema, const std::vector<vb::Variant>& restrictions) {
    return Guard({}, [&] {
        if (!engine_) RaiseClosed(kConnectionSource);
        Recordset rs;
        rs.OpenResult(engine_->OpenSchema(schema, restrictions), adOpenStatic, adLockReadOnly);
        return rs;
    });
}

void Connection::SetCommandTimeout(long seconds) {
    commandTimeout_ = seconds;
    if (engine_) engine_->SetCommandTimeout(seconds);
}

void Connection::Attach(std::unique_ptr<Engine> engine, std::string connectionString) {
    engine_ = std::move(engine);
    connectionString_ = std::move(connectionString);
    openingId_ = ++lastOpeningId;
    if (engine_) engine_->SetCommandTimeout(commandTimeout_);
}

// ---- Failure reasons ------------------------------------------------------------

std::string FailureReason(const ProviderError& error) {
    std::optional<std::string> reason;
    if (error.Source == sql::kSqliteSource) reason = SqliteFailureReason(error);
    else if (error.Source == odbc::kSource) reason = OdbcFailureReason(error);
    return reason ? *reason : "error de la base de datos (" + error.Description + ")";
}

std::string FailureReason(const vb::Error& error) {
    return FailureReason({error.Number(), error.Description(), error.Source(), error.SQLState(), error.NativeError()});
}

// ---- Recordset ----------------------------------------------------------------

void Recordset::Open(const std::string& source, Connection& connection, int cursorType, int lockType,
                     long /*options*/) {
    Open(source, {}, connection, cursorType, lockType);
}

void Recordset::Open(const std::string& source, const std::vector<vb::Variant>& values, Connection& connection,
                     int cursorType, int lockType) {
    if (open_) RaiseOpen(kRecordsetSource);
    ResultSet result = values.empty() ? connection.Query(source) : connection.Query(source, values);
    // A statement that returns no rows leaves the recordset closed.
    if (result.fields.empty()) return;
    OpenResult(std::move(result), cursorType, lockType);
}

void Recordset::OpenResult(ResultSet result, int cursorType, int lockType) {
    if (open_) RaiseOpen(kRecordsetSource);
    result_ = std::move(result);
    position_ = 0;
    cursorType_ = cursorType;
    lockType_ = lockType;
    open_ = true;
}

void Recordset::Close() {
    open_ = false;
    result_ = {};
    position_ = 0;
}

void Recordset::RequireOpen() const {
    if (!open_) RaiseClosed(kRecordsetSource);
}

bool Recordset::BOF() const {
    RequireOpen();
    return position_ < 0 || result_.rows.empty();
}

bool Recordset::EOF() const {
    RequireOpen();
    return position_ >= static_cast<long>(result_.rows.size());
}

void Recordset::MoveFirst() {
    RequireOpen();
    if (result_.rows.empty()) RaiseNoCurrentRecord();
    position_ = 0;
}

void Recordset::MoveNext() {
    if (EOF()) RaiseNoCurrentRecord();
    ++position_;
}

void Recordset::MovePrevious() {
    if (BOF()) RaiseNoCurrentRecord();
    --position_;
}

void Recordset::MoveLast() {
    RequireOpen();
    if (result_.rows.empty()) RaiseNoCurrentRecord();
    position_ = static_cast<long>(result_.rows.size()) - 1;
}

long Recordset::RecordCount() const { return open_ ? static_cast<long>(result_.rows.size()) : -1; }

long Recordset::AbsolutePosition() const {
    RequireOpen();
    if (result_.rows.empty()) return -1;  // adPosUnknown
    if (position_ < 0) return -2;         // adPosBOF
    if (EOF()) return -3;                 // adPosEOF
    return position_ + 1;
}

Field Recordset::Fields(std::size_t index) const {
    RequireOpen();
    if (index >= result_.fields.size()) RaiseItemNotFound();
    return Field(*this, index);
}

Field Recordset::Fields(std::string_view name) const {
    RequireOpen();
    for (std::size_t i = 0; i < result_.fields.size(); ++i) {
        if (ascii::EqualsNoCase(result_.fields[i].Name, name)) return Field(*this, i);
    }
    RaiseItemNotFound();
}

bool Recordset::HasField(std::string_view name) const {
    for (const FieldInfo& f : result_.fields) {
        if (ascii::EqualsNoCase(f.Name, name)) return true;
    }
    return false;
}

std::string Recordset::GetString(int /*format*/, long numRows, std::string_view columnDelimiter,
                                 std::string_view rowDelimiter, std::string_view nullExpr) {
    if (EOF() || BOF()) RaiseNoCurrentRecord();
    std::string text;
    const long rows = static_cast<long>(result_.rows.size());
    for (long n = 0; position_ < rows && (numRows < 0 || n < numRows); ++n, ++position_) {
        const std::vector<vb::Variant>& row = result_.rows[static_cast<std::size_t>(position_)];
        for (std::size_t c = 0; c < row.size(); ++c) {
            if (c > 0) text += columnDelimiter;
            text += row[c].IsNull() ? std::string(nullExpr) : vb::CStr(row[c]);
        }
        text += rowDelimiter;
    }
    return text;
}

std::vector<std::vector<vb::Variant>> Recordset::GetRows(long numRows) {
    if (EOF() || BOF()) RaiseNoCurrentRecord();
    std::vector<std::vector<vb::Variant>> rows;
    const long count = static_cast<long>(result_.rows.size());
    for (long n = 0; position_ < count && (numRows < 0 || n < numRows); ++n, ++position_) {
        rows.push_back(result_.rows[static_cast<std::size_t>(position_)]);
    }
    return rows;
}

// ---- Field --------------------------------------------------------------------

const std::string& Field::Name() const {
    rs_->RequireOpen();
    return rs_->result_.fields[index_].Name;
}

int Field::Type() const {
    rs_->RequireOpen();
    return rs_->result_.fields[index_].Type;
}

long Field::DefinedSize() const {
    rs_->RequireOpen();
    return rs_->result_.fields[index_].DefinedSize;
}

const vb::Variant& Field::Value() const {
    rs_->RequireOpen();
    const std::vector<std::vector<vb::Variant>>& rows = rs_->result_.rows;
    if (rs_->position_ < 0 || rs_->position_ >= static_cast<long>(rows.size())) RaiseNoCurrentRecord();  // BOF or EOF
    return rows[static_cast<std::size_t>(rs_->position_)][index_];
}

}  // namespace adodb
