#include "db_dll_fixture.h"

#include "schema_db.h"

namespace foundation::testing {

DbDllTest::DbDllTest() {
    testsupport::OpenSchemaDatabase(db_.gCnn, &statements_);
}

void DbDllTest::Run(const std::string& sql) {
    db_.gCnn.Execute(sql);
    statements_.clear();
}

std::vector<std::string> DbDllTest::TakeStatements() { return std::exchange(statements_, {}); }

std::string DbDllTest::LastStatement() const {
    return statements_.empty() ? std::string() : statements_.back();
}

std::string DbDllTest::ErrorLog() const {
    const auto path = home_.Path() / "TSERR.LOG";
    return std::filesystem::exists(path) ? testsupport::ReadFile(path) : std::string();
}

}  // namespace foundation::testing
