// The program's database on a fresh in-memory SQLite database loaded from
// db/schema.sql, the application folder in a temporary folder, a scripted
// operator, every statement the connection runs recorded, and the stock
// settings of the session restored afterwards.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "foundation/db_dll.h"
#include "support.h"
#include "ui/msgbox.h"

namespace numbering::testing {

class StockDbTest : public ::testing::Test {
protected:
    StockDbTest();
    ~StockDbTest() override;

    // Runs set-up SQL and forgets it.
    void Run(const std::string& sql);
    // Statements run since the last call.
    std::vector<std::string> TakeStatements();
    // How many statements since the last call mention the text.
    int CountStatements(const std::string& text);

    foundation::DB_Dll& db_;
    testsupport::TempDir home_;
    testsupport::ScopedEnv homeEnv_{"TARVOLIN_HOME", home_.Path().string()};
    ui::ScriptedOperator operator_;
    std::vector<std::string> statements_;

private:
    bool usaUdKg_;
    std::string m3_, bl_, kg_;
};

}  // namespace numbering::testing
