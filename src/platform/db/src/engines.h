// Factories of the two engines behind adodb::Connection.
#pragma once

#include <memory>
#include <string>

#include "db/adodb.h"

namespace adodb {

// Opens an existing SQLite database file (never creates one; ":memory:"
// opens a fresh in-memory database). Raises vb::Error with the engine's
// message when the file is missing or is not an SQLite database.
std::unique_ptr<Engine> OpenSqliteEngine(const std::string& path, long commandTimeoutSeconds);

// Opens an ODBC connection with a ready ODBC connection string
// ("Driver=...;Server=...;" or "DSN=...;"). The dialect is the caller's
// decision (SQL Server or Oracle); statements are passed through unchanged.
std::unique_ptr<Engine> OpenOdbcEngine(const std::string& odbcConnectionString, Dialect dialect,
                                       long commandTimeoutSeconds);

}  // namespace adodb
