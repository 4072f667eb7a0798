#include "helpers/error_routine.h"

#include <sys/stat.h>

#include <gtest/gtest.h>

#include "helpers/helpers.h"
#include "support.h"
#include "ui/msgbox.h"
#include "vb/datetime.h"

namespace {

using helpers::ErrorLogLine;

const vb::DateParts kWhen{2024, 3, 7, 9, 5, 1};
const std::string kMessage3265 = "Ha ocurrido el Siguiente Error (3265) D";

TEST(ErrorLogLine, CarriesTheAnswerWordAndTheRoutine) {
    struct Case {
        int answer;
        std::string routinePart;
        std::string expectedTail;  // after the time stamp
    };
    const Case cases[] = {
        {ui::vbRetry, " - AbrirRecordset", " Rutina: - AbrirRecordset Mensaje " + kMessage3265 + " Respondió : Reintentar"},
        {ui::vbIgnore, " - AbrirRecordset", " Rutina: - AbrirRecordset Mensaje " + kMessage3265 + " Respondió : Ignorar"},
        {ui::vbAbort, " - AbrirRecordset", " Rutina: - AbrirRecordset Mensaje " + kMessage3265 + " Respondió : Abortar"},
        {ui::vbCancel, "", " Rutina:  Mensaje " + kMessage3265 + " Respondió : Cancelar"},
        {ui::vbYes, "", " Rutina:  Mensaje " + kMessage3265 + " Respondió : Sí"},
        {ui::vbNo, "", " Rutina:  Mensaje " + kMessage3265 + " Respondió : No"},
        {ui::vbOK, "", " Rutina:  Mensaje " + kMessage3265 + " Respondió : "},
        {0, " - X", " Rutina: - X Mensaje " + kMessage3265 + " Respondió : "},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ErrorLogLine(kWhen, c.routinePart, kMessage3265 + " ", c.answer),
                  "03-07-2024 09:05:01" + c.expectedTail + "\r\n")
            << c.answer;
    }
}

TEST(ErrorLogLine, AMessageOfSeveralLinesIsLoggedOnOne) {
    EXPECT_EQ(ErrorLogLine(kWhen, "", " Estado de Sql: 08001\rNumero de Error: 1\r\n\r\nDescripcion: x\n", ui::vbNo),
              "03-07-2024 09:05:01 Rutina:  Mensaje Estado de Sql: 08001 Numero de Error: 1 Descripcion: x "
              "Respondió : No\r\n");
}

TEST(ErrorRoutine, TitleMessageAndStyle) {
    EXPECT_EQ(helpers::ErrorTitle("DB_Dll", helpers::RoutinePart("AbrirRecordset")),
              "DB_Dll - AbrirRecordset Aviso al operador!!! ");
    EXPECT_EQ(helpers::ErrorTitle("DB_Dll", helpers::RoutinePart(std::nullopt)), "DB_Dll Aviso al operador!!! ");
    EXPECT_EQ(helpers::ErrorMessage(vb::Error(-2147217865, "  no such table: X  ")),
              "Ha ocurrido el Siguiente Error (-2147217865) no such table: X");
    EXPECT_EQ(helpers::ErrorMessage(vb::Error(94, "")), "Ha ocurrido el Siguiente Error (94) ");
    EXPECT_EQ(helpers::kDefaultErrorStyle, ui::vbAbortRetryIgnore + ui::vbCritical);
}

TEST(RedactPasswords, HidesTheValueOfPasswordKeysUpToTheSemicolon) {
    const std::pair<std::string, std::string> cases[] = {
        {"DSN=x; UID=sa; PWD=s3cr;et", "DSN=x; UID=sa; PWD=****;et"},
        {"Password=abc;User Id=u", "Password=****;User Id=u"},
        {"@server=a; @PASSWORD = abc ; @Caja=1", "@server=a; @PASSWORD =****; @Caja=1"},
        {"UserPassWord=xyz", "UserPassWord=****"},
        {"pwd=", "pwd=****"},
        {"no password here", "no password here"},
        {"Contraseña pwdx=1", "Contraseña pwdx=1"},
        // Quoted values may hold ";" (and a doubled closing mark).
        {"UID=u;PWD={s3;cr}};t};Server=s", "UID=u;PWD=****;Server=s"},
        {"PWD= \"a;b\" ;x", "PWD=****;x"},
        {"pwd='it''s;x'", "pwd=****"},
        {"PWD={never closed;Server=s", "PWD=****"},
    };
    for (const auto& [text, expected] : cases) EXPECT_EQ(helpers::RedactPasswords(text), expected) << text;
}

// The routine with a scripted operator, a fixed clock and the application
// folder in a temporary folder.
class ReportErrorTest : public ::testing::Test {
protected:
    void SetUp() override {
        vb::SetClock([] { return vb::Date::FromParts(kWhen); });
    }
    void TearDown() override { vb::SetClock(nullptr); }

    std::string Log() const { return testsupport::ReadFile(dir_.File("TSERR.LOG")); }

    testsupport::TempDir dir_;
    testsupport::ScopedEnv home_{"TARVOLIN_HOME", dir_.Path().string() + "/"};
    ui::ScriptedOperator op_;
};

TEST_F(ReportErrorTest, ShowsTheErrorLogsTheLineAndReturnsTheAnswer) {
    op_.AnswerMsgBox(ui::vbIgnore);
    const vb::Error err(3265, "D ", "DB_Dll");
    EXPECT_EQ(helpers::gFunciones().ManejaError(err, std::nullopt, "AbrirRecordset"), ui::vbIgnore);

    ASSERT_EQ(op_.Shown().size(), 1u);
    EXPECT_EQ(op_.Shown()[0].prompt, kMessage3265);
    EXPECT_EQ(op_.Shown()[0].title, "DB_Dll - AbrirRecordset Aviso al operador!!! ");
    EXPECT_EQ(op_.Shown()[0].style, 18);
    EXPECT_EQ(Log(), "03-07-2024 09:05:01 Rutina: - AbrirRecordset Mensaje " + kMessage3265 +
                         " Respondió : Ignorar\r\n");
}

TEST_F(ReportErrorTest, CreatesTheLogForItsOwnerOnlyInTheApplicationFolderAndAppends) {
    EXPECT_EQ(helpers::DefaultErrorLogPath(), dir_.File("TSERR.LOG"));  // no second "/"
    op_.AnswerMsgBox(ui::vbOK).AnswerMsgBox(ui::vbRetry);
    EXPECT_EQ(helpers::gFunciones().ManejaError(vb::Error(7, "Out of memory"), ui::vbOKOnly), ui::vbOK);
    EXPECT_EQ(helpers::gFunciones().ManejaError(vb::Error(7, "Out of memory")), ui::vbRetry);
    EXPECT_EQ(op_.Shown()[0].style, ui::vbOKOnly);
    EXPECT_EQ(op_.Shown()[1].title, std::string(vb::kDefaultSource) + " Aviso al operador!!! ");

    struct stat st {};
    ASSERT_EQ(::stat(dir_.File("TSERR.LOG").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
    const std::string line = " Rutina:  Mensaje Ha ocurrido el Siguiente Error (7) Out of memory Respondió : ";
    EXPECT_EQ(Log(), "03-07-2024 09:05:01" + line + "\r\n03-07-2024 09:05:01" + line + "Reintentar\r\n");
}

// Whether the group or the others could read it, or only write it.
TEST_F(ReportErrorTest, ALogThatOthersCouldReachIsMadeOwnerOnlyWhenWritten) {
    const std::string log = dir_.File("TSERR.LOG");
    for (const ::mode_t modo : {0664, 0640, 0604, 0620, 0700}) {
        SCOPED_TRACE(modo);
        testsupport::WriteFile(log, "old line\r\n");
        ASSERT_EQ(::chmod(log.c_str(), modo), 0);
        op_.AnswerMsgBox(ui::vbOK);
        helpers::gFunciones().ManejaError(vb::Error(7, "Out of memory"), ui::vbOKOnly);

        struct stat st {};
        ASSERT_EQ(::stat(log.c_str(), &st), 0);
        EXPECT_EQ(st.st_mode & 0777, modo & 0700);
        EXPECT_EQ(Log().rfind("old line\r\n", 0), 0u);  // appended to, not replaced
    }
}

TEST_F(ReportErrorTest, ErrorNumberZeroShowsAndLogsNothing) {
    EXPECT_EQ(helpers::gFunciones().ManejaError(vb::Error(0, "nada")), 0);
    EXPECT_TRUE(op_.Shown().empty());
    EXPECT_FALSE(std::filesystem::exists(dir_.File("TSERR.LOG")));
}

TEST_F(ReportErrorTest, ThePasswordNeverReachesTheLog) {
    op_.AnswerMsgBox(ui::vbAbort);
    const vb::Error err(-2147467259, "Login failed for DSN=demo;UID=sa;PWD=Secreto1;", "DB_Dll");
    EXPECT_EQ(helpers::gFunciones().ManejaError(err, std::nullopt, "OpenServerADODB"), ui::vbAbort);
    const std::string log = Log();
    EXPECT_EQ(log.find("Secreto1"), std::string::npos) << log;
    EXPECT_NE(log.find("UID=sa;PWD=****;"), std::string::npos) << log;
}

TEST_F(ReportErrorTest, GivenLogPathIsUsedAsItStands) {
    const std::string own = dir_.File("errores.txt");
    EXPECT_EQ(helpers::ErrorLogPath(own), own);
    EXPECT_EQ(helpers::ErrorLogPath(""), helpers::DefaultErrorLogPath());
    op_.AnswerMsgBox(ui::vbRetry);
    EXPECT_EQ(helpers::ReportError(vb::Error(11, "Division by zero"), std::nullopt, "Calcula", own), ui::vbRetry);
    EXPECT_NE(testsupport::ReadFile(own).find("Rutina: - Calcula Mensaje"), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(dir_.File("TSERR.LOG")));
}

TEST_F(ReportErrorTest, AnUnwritableLogStillShowsTheBoxReturnsTheAnswerAndSaysSoOnStderr) {
    op_.AnswerMsgBox(ui::vbIgnore);
    const std::string unwritable = dir_.File("missing-folder/TSERR.LOG");
    ::testing::internal::CaptureStderr();
    const int answer = helpers::ReportError(vb::Error(53, "File not found"), std::nullopt, "Lee", unwritable);
    const std::string err = ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(answer, ui::vbIgnore);
    EXPECT_EQ(op_.Shown().size(), 1u);
    EXPECT_NE(err.find("cannot write the error log"), std::string::npos) << err;
    EXPECT_NE(err.find(unwritable), std::string::npos) << err;
    EXPECT_NE(err.find("Respondió : Ignorar"), std::string::npos) << err;
}

TEST(ReportErrorWithoutWindows, LogsTheErrorAndAnswersLeave) {
    testsupport::TempDir dir;
    ui::SetOperator(nullptr);
    ::testing::internal::CaptureStderr();
    const int answer = helpers::ReportError(vb::Error(3021, "No current record"), std::nullopt, "Mueve",
                                            dir.File("TSERR.LOG"));
    ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(answer, 0);
    EXPECT_NE(testsupport::ReadFile(dir.File("TSERR.LOG")).find("(3021) No current record Respondió : \r\n"),
              std::string::npos);
}

}  // namespace
