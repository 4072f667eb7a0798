// The program's database on a fresh in-memory SQLite database loaded from
// db/schema.sql, the application folder in a temporary folder, a scripted
// operator and every statement the connection runs recorded.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "foundation/db_dll.h"
#include "support.h"
#include "ui/msgbox.h"

namespace lookup::testing {

class LookupDbTest : public ::testing::Test {
protected:
    LookupDbTest();
    ~LookupDbTest() override;

    // Runs statements directly on the connection (set-up); forgets them.
    void Run(const std::string& sql);
    void SetCfg(const std::string& clave, const std::string& valor);
    // Statements run since the last call.
    std::vector<std::string> TakeStatements();
    // The statements run since the last call that read from `fuente`.
    std::vector<std::string> StatementsOn(const std::string& fuente);
    // The boxes the operator was shown, of one kind.
    std::vector<ui::RecordedBox> Boxes(const std::string& kind) const;

    foundation::DB_Dll& db_;
    testsupport::TempDir home_;
    testsupport::ScopedEnv homeEnv_{"TARVOLIN_HOME", home_.Path().string()};
    ui::ScriptedOperator operator_;
    std::vector<std::string> statements_;
};

}  // namespace lookup::testing
