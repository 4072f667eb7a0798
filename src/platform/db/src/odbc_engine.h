// The ODBC engine: statements run as given through the driver manager
// (SQL Server through FreeTDS, or any configured data source). Values are
// read as text and typed by the column's ADO type code.
#pragma once

#include <string>
#include <string_view>

#include "db/adodb.h"

namespace adodb::odbc {

// Source of the errors this engine raises.
inline constexpr const char* kSource = "ODBC";

// ADO type code of an ODBC SQL type. A type named "money" or "smallmoney"
// (whatever SQL type the driver reports for it) is adCurrency; types this
// layer does not know read as text (adVarWChar).
int AdoTypeOf(int sqlType, std::string_view typeName);

// Error number of an SQLSTATE: 23xxx constraint, 42S02 no table, other 42xxx
// and 37000 errors in the command, anything else kErrFail; the server's
// message 50000 (a batch's own RAISERROR) is kErrRaised whatever its state.
long ErrorNumberOf(std::string_view sqlState, long native = 0);

// Whether a text holds more than one statement: a line break or ";" outside
// literals, brackets and comments with more SQL after it. A text the
// tokenizer cannot read counts as one statement (the server reports it).
bool IsBatch(std::string_view sql);

// The value of a column's text (as the driver writes it) by the column's ADO
// type: integers, booleans, doubles, Currency, dates and text. Text that does
// not read as the type (a loosely typed database) stays text.
vb::Variant ValueOf(int adoType, std::string text);

}  // namespace adodb::odbc
