// The database layer: what the system uses of a data-access library
// (connection, client-side recordsets, fields, provider errors, schema
// rowsets), over two engines: SQLite (embedded) and ODBC.
//
// Contract: user-interface thread only. A Connection owns its engine; a
// Recordset is client-side: Open runs the query and keeps every row, so
// RecordCount is known and the recordset stays usable after the connection
// moves on. Callers own their recordsets; Close is idempotent. Failures throw
// vb::Error with the numbers below and are also added to Connection::Errors.
// Nothing here shows anything to the user.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "vb/error.h"
#include "vb/variant.h"

// The C library's EOF macro would hide Recordset::EOF.
#ifdef EOF
#undef EOF
#endif

namespace adodb {

// Error numbers of failures, by kind.
inline constexpr long kErrIntegrityViolation = -2147217873;  // constraint failed
inline constexpr long kErrNoTable = -2147217865;             // no such table
inline constexpr long kErrSyntax = -2147217900;              // errors in the command
inline constexpr long kErrFail = -2147467259;                // anything else
// A batch stopped itself with a message for the person (RAISERROR, the
// server's message 50000): numbered as an application's own error,
// vbObjectError + 50000.
inline constexpr long kErrRaised = -2147221504 + 50000;
inline constexpr long kNativeRaised = 50000;

enum CursorLocationEnum { adUseServer = 2, adUseClient = 3 };
enum CursorTypeEnum { adOpenForwardOnly = 0, adOpenKeyset = 1, adOpenDynamic = 2, adOpenStatic = 3 };
enum LockTypeEnum { adLockReadOnly = 1, adLockPessimistic = 2, adLockOptimistic = 3, adLockBatchOptimistic = 4 };
enum ObjectStateEnum { adStateClosed = 0, adStateOpen = 1 };
enum SchemaEnum { adSchemaColumns = 4, adSchemaTables = 20 };
enum IsolationLevelEnum {
    adXactUnspecified = -1,
    adXactReadUncommitted = 256,
    adXactReadCommitted = 4096,
    adXactRepeatableRead = 65536,
    adXactSerializable = 1048576,
};
enum StringFormatEnum { adClipString = 2 };
enum CommandTypeEnum { adCmdUnspecified = -1, adCmdText = 1 };

enum DataTypeEnum {
    adEmpty = 0,
    adSmallInt = 2,
    adInteger = 3,
    adSingle = 4,
    adDouble = 5,
    adCurrency = 6,
    adDate = 7,
    adBSTR = 8,
    adBoolean = 11,
    adDecimal = 14,
    adTinyInt = 16,
    adUnsignedTinyInt = 17,
    adUnsignedSmallInt = 18,
    adUnsignedInt = 19,
    adBigInt = 20,
    adUnsignedBigInt = 21,
    adFileTime = 64,
    adBinary = 128,
    adChar = 129,
    adWChar = 130,
    adNumeric = 131,
    adDBDate = 133,
    adDBTime = 134,
    adDBTimeStamp = 135,
    adDBFileTime = 137,
    adVarChar = 200,
    adLongVarChar = 201,
    adVarWChar = 202,
    adLongVarWChar = 203,
    adVarBinary = 204,
    adLongVarBinary = 205,
};

// The SQL dialect of an open connection, decided once when it opens.
enum class Dialect { SqlServer, Oracle, Sqlite };

struct ProviderError {
    long Number = 0;
    std::string Description;
    std::string Source;
    std::string SQLState;
    long NativeError = 0;
};

// Provider errors of the last failed operation.
class Errors {
public:
    std::size_t Count() const { return items_.size(); }
    const ProviderError& Item(std::size_t index) const;  // raises 9 out of range
    void Clear() { items_.clear(); }
    void Add(ProviderError e) { items_.push_back(std::move(e)); }

private:
    std::vector<ProviderError> items_;
};

struct FieldInfo {
    std::string Name;
    int Type = adVarWChar;
    long DefinedSize = 0;
};

class Recordset;

class Field {
public:
    Field(const Recordset& rs, std::size_t index) : rs_(&rs), index_(index) {}
    const std::string& Name() const;
    int Type() const;
    long DefinedSize() const;
    // The value in the current row; raises 3021 at BOF or EOF.
    const vb::Variant& Value() const;

private:
    const Recordset* rs_;
    std::size_t index_;
};

// What an engine gives back for a query.
struct ResultSet {
    std::vector<FieldInfo> fields;
    std::vector<std::vector<vb::Variant>> rows;
};

// What the last query cost the engine that ran it, where the engine counts
// it (SQLite; zero elsewhere): virtual-machine steps, rows stepped through in
// a full scan of a table, and sorts.
struct QueryCost {
    long long steps = 0;
    long long fullScanSteps = 0;
    long long sorts = 0;
};

// One database engine behind a Connection.
class Engine {
public:
    virtual ~Engine() = default;
    virtual Dialect GetDialect() const = 0;
    // Runs a statement or batch that returns no rows; the rows affected.
    virtual long Execute(const std::string& sql) = 0;
    // Runs one statement that returns no rows with its "?" markers bound, in
    // order, to `values`; the rows affected. The number of markers must be
    // the number of values. An engine that cannot bind raises 3251 for values.
    virtual long ExecuteBound(const std::string& sql, const std::vector<vb::Variant>& values);
    // Runs a query and returns its first result set.
    virtual ResultSet Query(const std::string& sql) = 0;
    // The same with its "?" markers bound, in order, to `values`, as
    // ExecuteBound binds them. An engine that cannot bind raises 3251 for values.
    virtual ResultSet QueryBound(const std::string& sql, const std::vector<vb::Variant>& values);
    virtual QueryCost LastQueryCost() const { return {}; }
    // Whether it is known from the start that nothing can be written (a
    // station without the right to write the file).
    virtual bool ReadOnly() const { return false; }
    virtual void BeginTrans() = 0;
    virtual void CommitTrans() = 0;
    virtual void RollbackTrans() = 0;
    virtual bool InTransaction() const = 0;
    // adSchemaTables: TABLE_CATALOG, TABLE_SCHEMA, TABLE_NAME, TABLE_TYPE.
    // adSchemaColumns: TABLE_CATALOG, TABLE_SCHEMA, TABLE_NAME, COLUMN_NAME,
    // ORDINAL_POSITION, DATA_TYPE, CHARACTER_MAXIMUM_LENGTH, IS_NULLABLE.
    // Restrictions are catalogue, schema, table, column; Empty means none.
    virtual ResultSet OpenSchema(int schema, const std::vector<vb::Variant>& restrictions) = 0;
    virtual void SetCommandTimeout(long seconds) = 0;
};

class Connection {
public:
    Connection();
    ~Connection();
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    // Opens the connection the string names (see connstring.h). User and
    // password, when not empty, override those of the string.
    void Open(const std::string& connectionString, const std::string& user = {},
              const std::string& password = {}, long options = -1);
    void Close();
    int State() const;
    Dialect GetDialect() const;  // raises 3704 when closed

    void Execute(const std::string& sql, long& recordsAffected, long options = -1);
    long Execute(const std::string& sql);
    // The parameterised call: one statement whose "?" markers take `values`
    // in order (Null, numbers, Currency, dates and texts), never spliced into
    // the text, so a text that repeats exactly is compiled once.
    void Execute(const std::string& sql, const std::vector<vb::Variant>& values, long& recordsAffected);

    void BeginTrans();
    void CommitTrans();
    void RollbackTrans();
    bool InTransaction() const;

    ResultSet Query(const std::string& sql);
    // A query whose "?" markers take `values` in order, as the parameterised
    // Execute binds them.
    ResultSet Query(const std::string& sql, const std::vector<vb::Variant>& values);
    // What the last query cost the engine (QueryCost).
    QueryCost LastQueryCost() const;
    // Whether the open connection is known to write nothing (Engine::ReadOnly).
    bool ReadOnly() const;
    Recordset OpenSchema(int schema, const std::vector<vb::Variant>& restrictions = {});

    class Errors& Errors() { return errors_; }
    const class Errors& Errors() const { return errors_; }

    const std::string& ConnectionString() const { return connectionString_; }
    // Tells one opening of the connection from another: every Open (or
    // Attach) gives a number no opening in the process had before; 0 while
    // closed. Who keeps something for what a connection has not stored yet
    // drops it when the number changes.
    std::uint64_t OpeningId() const { return engine_ ? openingId_ : 0; }
    int CursorLocation() const { return cursorLocation_; }
    void SetCursorLocation(int location) { cursorLocation_ = location; }
    long CommandTimeout() const { return commandTimeout_; }
    void SetCommandTimeout(long seconds);
    long IsolationLevel() const { return isolationLevel_; }
    void SetIsolationLevel(long level) { isolationLevel_ = level; }
    const std::string& DefaultDatabase() const { return defaultDatabase_; }
    void SetDefaultDatabase(const std::string& name) { defaultDatabase_ = name; }

    // Every statement and query passes through this hook before it runs
    // (the text as given, before any dialect adaptation; a parameterised
    // call's values follow it as a comment: "... WHERE ID = ? -- 7").
    using StatementLogger = std::function<void(const std::string& sql)>;
    void SetStatementLogger(StatementLogger logger) { logger_ = std::move(logger); }

    // Tables a database must hold to be opened: an SQLite file without them,
    // or whose header or schema does not read, is left untouched and Open fails
    // naming the file. Adds to the tables named before; names are compared
    // without regard to case.
    void RequireTables(const std::vector<std::string>& tables);
    const std::vector<std::string>& RequiredTables() const { return requiredTables_; }

    // For tests and engines: install an engine directly (the connection is then open).
    void Attach(std::unique_ptr<Engine> engine, std::string connectionString);

private:
    template <class F> auto Guard(const std::string& sql, F&& f);
    std::unique_ptr<Engine> engine_;
    std::uint64_t openingId_ = 0;
    class Errors errors_;
    std::string connectionString_;
    int cursorLocation_ = adUseServer;
    long commandTimeout_ = 30;
    long isolationLevel_ = adXactReadCommitted;
    std::string defaultDatabase_;
    StatementLogger logger_;
    std::vector<std::string> requiredTables_;
};

// Why an operation failed, in a few Spanish words a person can act on
// ("disco lleno", "la base es de sólo lectura", ...), from the engine's codes;
// a cause without words of its own is named by the engine's message.
std::string FailureReason(const ProviderError& error);
std::string FailureReason(const vb::Error& error);

class Recordset {
public:
    Recordset() = default;

    // Runs the query on the connection and keeps its rows. A failure leaves
    // the recordset closed and throws.
    void Open(const std::string& source, Connection& connection, int cursorType = adOpenForwardOnly,
              int lockType = adLockReadOnly, long options = -1);
    // The same for a query whose "?" markers take `values` in order.
    void Open(const std::string& source, const std::vector<vb::Variant>& values, Connection& connection,
              int cursorType = adOpenForwardOnly, int lockType = adLockReadOnly);
    // A recordset over rows already fetched (schema rowsets, tests).
    void OpenResult(ResultSet result, int cursorType = adOpenStatic, int lockType = adLockReadOnly);
    void Close();  // idempotent
    int State() const { return open_ ? adStateOpen : adStateClosed; }

    bool BOF() const;
    bool EOF() const;
    void MoveFirst();
    void MoveNext();
    void MovePrevious();
    void MoveLast();
    long RecordCount() const;        // -1 when closed
    // 1-based; -2 at BOF, -3 at EOF, -1 when empty (adPosBOF, adPosEOF, adPosUnknown).
    long AbsolutePosition() const;

    std::size_t FieldCount() const { return result_.fields.size(); }
    Field Fields(std::size_t index) const;             // raises 3265 when out of range
    Field Fields(std::string_view name) const;         // by name without regard to case; 3265
    bool HasField(std::string_view name) const;
    const std::vector<FieldInfo>& FieldInfos() const { return result_.fields; }

    // Rows from the current one on, each field's text (Null as nullExpr),
    // fields joined by columnDelimiter, each row ended by rowDelimiter; moves
    // to EOF. numRows < 0 means all.
    std::string GetString(int format = adClipString, long numRows = -1,
                          std::string_view columnDelimiter = "\t",
                          std::string_view rowDelimiter = "\r",
                          std::string_view nullExpr = "");
    // Rows from the current one on, as values; moves to EOF.
    std::vector<std::vector<vb::Variant>> GetRows(long numRows = -1);

    int CursorType() const { return cursorType_; }
    int LockType() const { return lockType_; }

private:
    friend class Field;
    void RequireOpen() const;
    ResultSet result_;
    bool open_ = false;
    long position_ = 0;  // 0-based row index; -1 BOF, rows.size() EOF
    int cursorType_ = adOpenForwardOnly;
    int lockType_ = adLockReadOnly;
};

}  // namespace adodb
