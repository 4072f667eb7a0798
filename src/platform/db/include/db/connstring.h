// Connection strings: "key=value;" pairs, and the decision of which engine and
// SQL dialect a string names.
//
// Keys are trimmed and compared without regard to case ("Database =D" has the
// key "Database"). A value may be quoted with "...", '...' (a doubled quote
// inside stands for one) or {...} (a doubled "}" inside stands for one), so
// that it can hold ";", quotes and blanks at its ends.
#pragma once

#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "db/adodb.h"

namespace adodb {

struct ConnectionStringItem {
    std::string Key;    // trimmed, as written
    std::string Value;  // unquoted
};

// The pairs in the order written; a part without "=" is ignored.
std::vector<ConnectionStringItem> ParseConnectionString(std::string_view text);

// The value of the first key among `keys` present (each compared without
// regard to case); when a key occurs more than once, its last value wins.
std::optional<std::string> FindConnectionValue(const std::vector<ConnectionStringItem>& items,
                                               std::initializer_list<std::string_view> keys);

// The value as it goes after "key=": unchanged when that is safe, otherwise
// in braces with every "}" doubled. Quoted are values holding ";", a quote,
// a brace, or blanks at either end ("=" is safe anywhere: a key ends at the
// first one); the empty text is left empty.
std::string QuoteConnectionValue(std::string_view value);

// Builds "key=value;" for each pair, every value through QuoteConnectionValue.
std::string BuildConnectionString(const std::vector<ConnectionStringItem>& items);

enum class EngineKind { Sqlite, Odbc };

// Where a connection string leads.
struct ConnectionTarget {
    EngineKind Engine = EngineKind::Odbc;
    adodb::Dialect Dialect = adodb::Dialect::SqlServer;
    // SQLite: the database path (absolute, or ":memory:"); ODBC: the ODBC
    // connection string.
    std::string Target;
};

// Decides the engine and dialect of a connection string:
//  - a Database, Initial Catalog or Data Source ending in ".db", ".sqlite" or
//    ".sqlite3", or equal to ":memory:": SQLite (a relative path is taken
//    from the current folder);
//  - a Provider holding "OraOLEDB": ODBC, Oracle, "DSN=<Data Source>;UID=...;PWD=..."
//  - a "DSN" or "Driver" key: ODBC, SQL Server, the string as given;
//  - anything else: ODBC, SQL Server, through the driver OdbcDriver() names:
//    "Driver={...};Server=...;Database=...;UID=...;PWD=...;" plus the keys
//    that are not OLE DB's own.
// `user` and `password`, when not empty, replace those of the string.
ConnectionTarget ResolveConnectionString(std::string_view connectionString,
                                         std::string_view user = {},
                                         std::string_view password = {});

// The ODBC driver for SQL Server connections: the one SetOdbcDriver set, else
// the environment variable TARVOLIN_ODBC_DRIVER when it is not empty, else
// "FreeTDS". SetOdbcDriver("") goes back to the environment and the default.
std::string OdbcDriver();
void SetOdbcDriver(std::string driver);

}  // namespace adodb
