// The program's database for tests: a fresh in-memory SQLite database loaded
// from db/schema.sql.
#pragma once

#include <string>
#include <vector>

#include "db/adodb.h"

namespace testsupport {

// (Re)opens the connection on a fresh in-memory database with the schema.
// When `log` is given, every statement the connection runs from then on is
// appended to it (the schema itself is not).
void OpenSchemaDatabase(adodb::Connection& cn, std::vector<std::string>* log = nullptr);

// Stops the statement log and closes the connection.
void CloseSchemaDatabase(adodb::Connection& cn);

}  // namespace testsupport
