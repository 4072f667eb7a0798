#include "db_dll_fixture.h"

namespace foundation::testing {

DbDllTest::DbDllTest() {
    db_.gCnn.Open("Provider=SQLOLEDB;Data Source=:memory:");
    db_.gCnn.Execute(testsupport::ReadFile(testsupport::SourceDir() / "db" / "schema.sql"));
    db_.gCnn.SetStatementLogger([this](const std::string& sql) { statements_.push_back(sql); });
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
