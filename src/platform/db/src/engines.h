// Factories of the two engines behind adodb::Connection.
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "db/adodb.h"

namespace adodb {

// Opens an existing SQLite database file (never creates one; ":memory:"
// opens a fresh in-memory database). A name that stands for no regular file
// (a folder, a FIFO) is refused before anything opens it. Before anything is
// written to it, the file, opened read-only, must read as a database with a
// readable schema that holds every table of `requiredTables` (names compared
// without regard to case); otherwise it and the files beside it are left
// untouched and vb::Error is raised with the reason in Spanish (the engine's
// message after it) and the file's path. Where the file alone does not hold
// its committed state (a journal of a change left half way, a write-ahead
// log without its index), a program that may write checks that state
// instead, on a connection of its own that undoes the change, as any
// opening does, or reads the log, leaving it as it was. Other stations opening or closing
// the file meanwhile are waited for, up to the command timeout. A file the
// program may not write (or whose folder it may not write) is used
// read-only, with nothing created beside it, each query reading the file as
// it stands at that moment; where it cannot read the committed state (a
// journal of a change left half way, a write-ahead log without its index),
// the opening or the query fails saying so, and nothing is read.
std::unique_ptr<Engine> OpenSqliteEngine(const std::string& path, long commandTimeoutSeconds,
                                         const std::vector<std::string>& requiredTables = {});

// The moments at which a station that may not write reads the file again
// when another station opened, closed or began writing it meanwhile: the
// files beside it were looked at, before the connection opens (Looked); the
// file alone was read (Read); a load is about to read through the log's
// index on the connection the station keeps, at each try (Kept: a station
// that sets that index up anew meanwhile makes it try again). A test hook
// called there (none by default) lets another station act at that very
// moment.
enum class QuietMoment { Looked, Read, Kept };
using QuietReadHook = std::function<void(QuietMoment)>;
void SetQuietReadHook(QuietReadHook hook);

// Opens an ODBC connection with a ready ODBC connection string
// ("Driver=...;Server=...;" or "DSN=...;"). The dialect is the caller's
// decision (SQL Server or Oracle); statements are passed through unchanged.
std::unique_ptr<Engine> OpenOdbcEngine(const std::string& odbcConnectionString, Dialect dialect,
                                       long commandTimeoutSeconds);

// Spanish words for a failure by the engine's own codes (disk full, read-only
// database, locked, ...); nullopt when the code has none.
std::optional<std::string> SqliteFailureReason(const ProviderError& error);
std::optional<std::string> OdbcFailureReason(const ProviderError& error);

// A number as text with "." for the decimal point ("-12.5"), whatever the
// regional settings; a Currency exactly.
std::string PlainNumber(const vb::Variant& number);

}  // namespace adodb
