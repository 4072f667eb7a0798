// The SQL Server dialect adapter for SQLite.
//
// The system writes SQL Server's dialect; on SQLite every statement or batch
// is adapted before it runs, never inside a string literal or a bracket:
//  - statements joined by line breaks (or ";") are split, only where a new
//    statement starts, and run as one batch (the engine makes it atomic);
//  - `SET NOCOUNT ...` and the other session options, and `GO` lines, are
//    dropped; `BEGIN/COMMIT/ROLLBACK TRAN[SACTION]` are normalised: alone they
//    are the connection's own transaction commands, inside a batch (which is
//    atomic already) a BEGIN ... COMMIT pair is dropped;
//  - `IF [NOT] EXISTS (q) statement [ELSE statement]` (any IF condition) runs
//    the statement only when the test holds;
//  - `@@ROWCOUNT` is the number of rows the last INSERT, UPDATE or DELETE
//    changed, and `RAISERROR('text', severity, state)` (severity 11 or more)
//    stops the batch with the text, which undoes it: `IF @@ROWCOUNT = 0
//    RAISERROR(...)` after an UPDATE fails the batch when the UPDATE changed
//    no row;
//  - `TOP n` / `TOP (n)` becomes `LIMIT n` at the end of the same SELECT;
//  - `ISNULL(` becomes `IFNULL(`, `CONVERT(type, x[, style])` the registered
//    `TV_CONVERT('type', x[, style])` (LEN, CHARINDEX and GETDATE are
//    registered under their own names); `dbo.` is dropped; N'..' loses its N;
//  - `DELETE t WHERE` gains FROM; `ALTER TABLE t ADD c type [NOT] NULL
//    [CONSTRAINT n] DEFAULT (v)` loses the constraint name and the
//    parentheses SQLite refuses there;
//  - a day-first date literal compared with a column ('15/03/05') is compared
//    as the ISO date when the column holds ISO date text (TV_DATELIT), and
//    one written into a date column by INSERT ... VALUES or UPDATE ... SET is
//    written as ISO text.
// Plain "?" markers stay for the values the caller binds (the engine checks
// their number); other variables and parameters are refused. A construct it
// cannot translate raises a syntax error naming it; it never runs something
// else.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace adodb::sqlite {

struct TableColumn {
    std::string name;
    bool isDate = false;  // declared DATETIME, DATE, SMALLDATETIME ...
};

// The declared columns of a table in order; nullptr when there is no such table.
using ColumnsLookup = std::function<const std::vector<TableColumn>*(const std::string& table)>;

struct Step {
    enum class Kind { Sql, If, Raise };
    Kind kind = Kind::Sql;
    // Sql: one SQLite statement. If: a query whose one value is 1 when the
    // test holds. Raise: the message the batch stops with.
    std::string sql;
    bool changesRows = false;    // INSERT, UPDATE or DELETE
    bool changesSchema = false;  // CREATE, DROP or ALTER
    std::vector<Step> then, otherwise;  // If
};

struct Batch {
    enum class Command { None, BeginTrans, CommitTrans, RollbackTrans };
    // A batch that is only a transaction command.
    Command command = Command::None;
    std::vector<Step> steps;
    // A BEGIN TRANSACTION without its COMMIT: the transaction stays open
    // after the batch.
    bool opensTransaction = false;
    // The "?" markers of values the caller binds.
    std::size_t markers = 0;
};

// Adapts a statement or batch in SQL Server's dialect. `columns`, when given,
// lets day-first literals written into date columns become ISO text.
Batch AdaptBatch(std::string_view sqlServerText, const ColumnsLookup& columns = {});

// A day-first date literal ("15/03/05", "15-03-2005 10:20") as ISO text
// "YYYY-MM-DD HH:MM:SS"; empty when the text is not one.
std::string DayFirstToIso(std::string_view literal);

}  // namespace adodb::sqlite
