// The launcher of sibling programs, with a fake launcher standing in for the
// platform's, and the platform's own launcher on a real program.
#include <gtest/gtest.h>

#include <QStandardPaths>
#include <chrono>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "foundation/db_dll.h"
#include "foundation/menu_exes.h"
#include "foundation/session.h"
#include "support.h"
#include "ui/msgbox.h"
#include "vb/error.h"

namespace {

using foundation::Db;

const std::string kNoImplementada =
    "Opcion no Implementada!\rComuniquese con su proveedor de sistemas";

struct Launch {
    std::string programa;
    std::string argumento;
};

class MenuExesTest : public ::testing::Test {
protected:
    MenuExesTest() {
        Db().gServidor = "SRV01";
        Db().gDBName = "VENTAS";
        Db().gUsuario = "ana";
        Db().gUserPassWord = "secreto";
        Db().gLogErr = home_.File("TSERR.LOG");
        foundation::gUsuarioLogeado = "ana";
        foundation::gCaja = "3";
    }

    // A launcher that records each launch and answers `pid`, or fails the
    // first `failures` times.
    foundation::Lanzador Fake(long pid, int failures = 0) {
        return [this, pid, failures](const std::string& programa, const std::string& argumento) -> long {
            launches_.push_back({programa, argumento});
            if (static_cast<int>(launches_.size()) <= failures) {
                throw vb::Error(vb::kErrFileNotFound, "File not found: " + programa);
            }
            return pid;
        };
    }

    testsupport::TempDir home_;
    testsupport::ScopedEnv homeEnv_{"TARVOLIN_HOME", home_.Path().string()};
    ui::ScriptedOperator operator_;
    std::vector<Launch> launches_;
};

TEST_F(MenuExesTest, StartsTheProgramWithTheSessionAsItsOneArgument) {
    struct Case {
        const char* exe;
        const char* parametro;
        std::string programa;
        std::string argumento;
    };
    const std::string folder = home_.Path().string() + "/";
    const std::vector<Case> cases = {
        {"shell:V_MV_CPRA", "OC|123", folder + "V_MV_CPRA",
         " ; @server=SRV01; @dbname=VENTAS; @usuario=ana; @Password=secreto; "
         "@ParametroAdicional=OC|123; zelt@ ; @UsuarioLogeado = ana; @Caja=3;"},
        {"shell:/opt/suite/V_MV_CPRA", "", "/opt/suite/V_MV_CPRA",
         " ; @server=SRV01; @dbname=VENTAS; @usuario=ana; @Password=secreto; "
         "@ParametroAdicional=; zelt@ ; @UsuarioLogeado = ana; @Caja=3;"},
        {"shell:C:\\Suite\\V_MV_CPRA.exe", "", "C:\\Suite\\V_MV_CPRA.exe",
         " ; @server=SRV01; @dbname=VENTAS; @usuario=ana; @Password=secreto; "
         "@ParametroAdicional=; zelt@ ; @UsuarioLogeado = ana; @Caja=3;"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.exe);
        launches_.clear();
        long taskId = 0;
        foundation::MenuExes(c.exe, c.parametro, taskId, Fake(4321));
        ASSERT_EQ(launches_.size(), 1u);
        EXPECT_EQ(launches_[0].programa, c.programa);
        EXPECT_EQ(launches_[0].argumento, c.argumento);
        EXPECT_EQ(taskId, 4321);
    }
    EXPECT_TRUE(operator_.Shown().empty());
}

TEST_F(MenuExesTest, StartUpReadsTheSessionBackFromTheArgument) {
    Db().gServidor = "#ORCL";
    Db().gUserPassWord = "clave con blancos";
    foundation::gUsuarioLogeado = "Juan Perez";
    long taskId = 0;
    foundation::MenuExes("shell:V_MV_CPRA", "OC|0001-00000042", taskId, Fake(7));
    ASSERT_EQ(launches_.size(), 1u);
    const std::string& linea = launches_[0].argumento;
    using foundation::LeeClaveLineaComando;
    EXPECT_EQ(LeeClaveLineaComando(linea, "@Server"), "#ORCL");
    EXPECT_EQ(LeeClaveLineaComando(linea, "@DbName"), "VENTAS");
    EXPECT_EQ(LeeClaveLineaComando(linea, "@Usuario"), "ana");
    EXPECT_EQ(LeeClaveLineaComando(linea, "@Password"), "clave con blancos");
    EXPECT_EQ(LeeClaveLineaComando(linea, "@ParametroAdicional"), "OC|0001-00000042");
    EXPECT_EQ(LeeClaveLineaComando(linea, "@UsuarioLogeado"), "Juan Perez");
    EXPECT_EQ(LeeClaveLineaComando(linea, "@Caja", "1"), "3");
    EXPECT_EQ(LeeClaveLineaComando(linea, "@Menu"), "");
}

TEST_F(MenuExesTest, NothingStartedShowsTheMessage) {
    operator_.AnswerMsgBox(ui::vbOK);
    long taskId = 0;
    foundation::MenuExes("shell:V_MV_CPRA", "OC|1", taskId, Fake(0));
    EXPECT_EQ(taskId, 0);
    ASSERT_EQ(operator_.Shown().size(), 1u);
    EXPECT_EQ(operator_.Shown()[0].prompt, kNoImplementada);
    EXPECT_EQ(operator_.Shown()[0].title, "Atención");
    EXPECT_EQ(operator_.Shown()[0].style, ui::vbCritical + ui::vbOKOnly);
}

TEST_F(MenuExesTest, AFailedLaunchFollowsTheErrorConvention) {
    struct Case {
        const char* name;
        int answer;        // the error routine's answer
        int failures;      // launches that fail
        long taskId;       // TaskId afterwards
        bool noImplementada;
        std::size_t launches;
    };
    const std::vector<Case> cases = {
        {"ignore goes on to the message", ui::vbIgnore, 1, 0, true, 1},
        {"abort leaves silently", ui::vbAbort, 1, 0, false, 1},
        {"retry starts the program again", ui::vbRetry, 1, 55, false, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        operator_.ClearShown();
        launches_.clear();
        operator_.AnswerMsgBox(c.answer);
        if (c.noImplementada) operator_.AnswerMsgBox(ui::vbOK);
        long taskId = 99;  // a stale value is not taken for a started program
        foundation::MenuExes("shell:V_MV_CPRA", "OC|1", taskId, Fake(55, c.failures));
        EXPECT_EQ(taskId, c.taskId);
        EXPECT_EQ(launches_.size(), c.launches);
        const auto& shown = operator_.Shown();
        ASSERT_EQ(shown.size(), c.noImplementada ? 2u : 1u);
        EXPECT_NE(shown[0].title.find("MenuExes"), std::string::npos);
        EXPECT_NE(shown[0].prompt.find("(53)"), std::string::npos);
        if (c.noImplementada) {
            EXPECT_EQ(shown[1].prompt, kNoImplementada);
        }
        EXPECT_EQ(operator_.PendingAnswers(), 0u);
    }
}

TEST_F(MenuExesTest, TheSystemLauncherReportsAMissingProgram) {
    operator_.AnswerMsgBox(ui::vbAbort);
    long taskId = 0;
    foundation::MenuExes("shell:NO_EXISTE", "", taskId);
    EXPECT_EQ(taskId, 0);
    ASSERT_EQ(operator_.Shown().size(), 1u);
    EXPECT_NE(operator_.Shown()[0].prompt.find("(53)"), std::string::npos);
}

TEST(SystemLauncherTest, PassesTheArgumentWholeWithoutAShell) {
    const QString touch = QStandardPaths::findExecutable("touch");
    ASSERT_FALSE(touch.isEmpty());
    testsupport::TempDir dir;
    // Blanks, ";" and shell metacharacters stay in the one argument.
    const std::string file = dir.File("a b; $(echo x) 'c'");
    const long pid = foundation::LanzadorDelSistema()(touch.toStdString(), file);
    EXPECT_GT(pid, 0);
    for (int i = 0; i < 200 && !std::filesystem::exists(file); ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    EXPECT_TRUE(std::filesystem::exists(file));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path()),
                            std::filesystem::directory_iterator()),
              1);
}

}  // namespace
