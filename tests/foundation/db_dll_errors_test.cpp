// DB_Dll: the error routine and its log.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>

#include "foundation/db_dll.h"
#include "support.h"
#include "ui/msgbox.h"
#include "vb/datetime.h"

namespace foundation::testing {
namespace {

class DbDllTratamientoErroresTest : public ::testing::Test {
protected:
    DbDllTratamientoErroresTest() {
        vb::SetClock([] { return vb::Date::FromParts(2024, 3, 7, 9, 5, 3); });
    }
    ~DbDllTratamientoErroresTest() override { vb::SetClock(nullptr); }

    std::string Log(const std::filesystem::path& path) const {
        return std::filesystem::exists(path) ? testsupport::ReadFile(path) : std::string();
    }
    std::string DefaultLog() const { return Log(home_.Path() / "TSERR.LOG"); }

    testsupport::TempDir home_;
    testsupport::ScopedEnv homeEnv_{"TARVOLIN_HOME", home_.Path().string()};
    ui::ScriptedOperator operator_;
    DB_Dll db_;
};

TEST_F(DbDllTratamientoErroresTest, ShowsTheErrorLogsTheAnswerAndReturnsIt) {
    struct Case {
        std::optional<int> botones;
        std::optional<std::string> rutina;
        int answer;
        int style;
        std::string title;
        std::string logLine;
    };
    const std::vector<Case> cases = {
        {std::nullopt, "AbrirRecordset", ui::vbIgnore, 18, "Origen - AbrirRecordset Aviso al operador!!! ",
         "03-07-2024 09:05:03 Rutina: - AbrirRecordset Mensaje Ha ocurrido el Siguiente Error (3265) D "
         "Respondió : Ignorar\r\n"},
        {ui::vbOKOnly, std::nullopt, ui::vbOK, 0, "Origen Aviso al operador!!! ",
         "03-07-2024 09:05:03 Rutina:  Mensaje Ha ocurrido el Siguiente Error (3265) D Respondió : \r\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.title);
        std::filesystem::remove(home_.Path() / "TSERR.LOG");
        operator_.ClearShown();
        operator_.AnswerMsgBox(c.answer);

        const int answer = db_.TratamientoErrores(vb::Error(3265, " D ", "Origen"), c.botones, c.rutina);

        EXPECT_EQ(answer, c.answer);
        ASSERT_EQ(operator_.Shown().size(), 1u);
        EXPECT_EQ(operator_.Shown()[0].prompt, "Ha ocurrido el Siguiente Error (3265) D");
        EXPECT_EQ(operator_.Shown()[0].title, c.title);
        EXPECT_EQ(operator_.Shown()[0].style, c.style);
        EXPECT_EQ(DefaultLog(), c.logLine);
    }
}

TEST_F(DbDllTratamientoErroresTest, ErrorNumberZeroShowsAndLogsNothing) {
    EXPECT_EQ(db_.TratamientoErrores(vb::Error(0, "nada"), std::nullopt, "X"), 0);
    EXPECT_THAT(operator_.Shown(), ::testing::IsEmpty());
    EXPECT_EQ(DefaultLog(), "");
}

TEST_F(DbDllTratamientoErroresTest, ArchivoErroresNamesTheLogFile) {
    const std::string path = home_.File("otro.log");
    db_.SetArchivoErrores(vb::Variant(path));
    EXPECT_EQ(db_.ArchivoErrores(), path);
    operator_.AnswerMsgBox(ui::vbAbort);

    EXPECT_EQ(db_.TratamientoErrores(vb::Error(-5, "negativo"), std::nullopt, "R"), ui::vbAbort);

    EXPECT_EQ(Log(path), "03-07-2024 09:05:03 Rutina: - R Mensaje Ha ocurrido el Siguiente Error (-5) negativo "
                         "Respondió : Abortar\r\n");
    EXPECT_EQ(DefaultLog(), "");
}

}  // namespace
}  // namespace foundation::testing
