// A DB_Dll on a fresh in-memory database loaded from db/schema.sql, with a
// scripted operator, the application folder in a temporary folder and every
// statement the connection runs recorded.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "foundation/db_dll.h"
#include "support.h"
#include "ui/msgbox.h"

namespace foundation::testing {

class DbDllTest : public ::testing::Test {
protected:
    DbDllTest();

    // Runs one statement directly on the connection (test set-up).
    void Run(const std::string& sql);
    // Every statement the connection ran since the last call.
    std::vector<std::string> TakeStatements();
    // The last statement the connection ran.
    std::string LastStatement() const;
    // The error log in the application folder ("" when none was written).
    std::string ErrorLog() const;

    testsupport::TempDir home_;
    testsupport::ScopedEnv homeEnv_{"TARVOLIN_HOME", home_.Path().string()};
    ui::ScriptedOperator operator_;
    DB_Dll db_;
    std::vector<std::string> statements_;
};

}  // namespace foundation::testing
