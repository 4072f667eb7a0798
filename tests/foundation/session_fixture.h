// An application folder (TARVOLIN_HOME) holding an SQLite database file with
// the user and configuration tables start-up reads, a scripted operator, and
// the program's DB_Dll and session state cleared before and after each test.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "support.h"
#include "ui/msgbox.h"

namespace foundation::testing {

// Closes Db()'s connection and clears its connection values and the session
// state start-up and the configuration reading write.
void ResetSession();

class SessionTest : public ::testing::Test {
protected:
    SessionTest();
    ~SessionTest() override;

    // Runs statements on the database file directly (test set-up).
    void Sql(const std::string& sql) const;
    void SetCfg(const std::string& clave, const std::string& valor) const;
    // Opens Db()'s connection on the database file as `user`, an administrator
    // unless told otherwise.
    void Connect(const std::string& user = "ana");

    std::string DbPath() const { return home_.File("empresa.db"); }
    std::string Home() const { return home_.Path().string() + "/"; }
    // The error log in the application folder ("" when none was written).
    std::string ErrorLog() const;
    // An SQLite file with the tables (and no rows) at `path`.
    static void CreateDatabase(const std::string& path);

    testsupport::TempDir home_;
    testsupport::ScopedEnv homeEnv_{"TARVOLIN_HOME", home_.Path().string()};
    ui::ScriptedOperator operator_;
};

}  // namespace foundation::testing
