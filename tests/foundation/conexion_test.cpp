// Opening the session's connection: the connection strings, the log-in
// dialog, the connection error dialog and the administrator check.
#include <QComboBox>
#include <QCoreApplication>
#include <QGroupBox>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <algorithm>
#include <filesystem>

#include "db/connstring.h"
#include "foundation/db_dll.h"
#include "foundation/db_dll_connection.h"
#include "foundation/frm_acceso.h"
#include "session_fixture.h"

namespace foundation {
namespace {

using testing::SessionTest;

// ---- Connection strings ----------------------------------------------------

struct StringCase {
    const char* servidor;
    const char* dbName;
    const char* usuario;
    const char* password;
    const char* extended;
    const char* expected;
};

TEST(ArmaCadenaConexion, BuildsTheStringFromTheConnectionValues) {
    const StringCase cases[] = {
        {"S", "D", "U", "P", "", "PROVIDER=SQLOLEDB;Server=S;Database =D;UId=U;Pwd=P;"},
        {"", "", "", "", "", "PROVIDER=SQLOLEDB;Server=;Database =;UId=;Pwd=;"},
        {"S", "D", "U", "P", "App=x;", "PROVIDER=SQLOLEDB;Server=S;Database =D;UId=U;Pwd=P;App=x;"},
        // A "#" anywhere in the server selects Oracle; the server is not in it.
        {"#ORCL", "D", "U", "P", "App=x;", "Provider=OraOLEDB.Oracle.1;Data Source=D;User Id=U;Password=P;"},
        {"SR#V", "D", "U", "P", "", "Provider=OraOLEDB.Oracle.1;Data Source=D;User Id=U;Password=P;"},
        // A ";" inside a value cannot add keys.
        {"S", "D", "U", "a;Server=evil", "", "PROVIDER=SQLOLEDB;Server=S;Database =D;UId=U;Pwd={a;Server=evil};"},
        {"#O", "D", "U", "x;DSN=other", "", "Provider=OraOLEDB.Oracle.1;Data Source=D;User Id=U;Password={x;DSN=other};"},
    };
    for (const StringCase& c : cases) {
        DB_Dll db;
        db.gServidor = c.servidor;
        db.gDBName = c.dbName;
        db.gUsuario = c.usuario;
        db.gUserPassWord = c.password;
        db.gExtended = c.extended;
        EXPECT_EQ(ArmaCadenaConexion(db), c.expected);
    }
}

TEST(ArmaCadenaConexion, APasswordWithASemicolonReadsBackWhole) {
    DB_Dll db;
    db.gServidor = "S";
    db.gUserPassWord = "a;Server=evil";
    const auto items = adodb::ParseConnectionString(ArmaCadenaConexion(db));
    ASSERT_EQ(items.size(), 5u);
    EXPECT_EQ(adodb::FindConnectionValue(items, {"Pwd"}), "a;Server=evil");
    EXPECT_EQ(adodb::FindConnectionValue(items, {"Server"}), "S");
}

// ---- The log-in dialog -------------------------------------------------------

TEST(frmAcceso, HasItsCaptionControlsAndTabOrder) {
    frmAcceso form;
    EXPECT_EQ(form.windowTitle(), "Control de Acceso");
    EXPECT_FALSE(form.Aceptar);
    ASSERT_NE(form.findChild<QGroupBox*>("framAcceso"), nullptr);
    for (const char* name : {"TxtUserId", "TxtUserPassword", "TxtDbName", "TxtServidor"}) {
        auto* box = form.findChild<QLineEdit*>(name);
        ASSERT_NE(box, nullptr) << name;
        EXPECT_EQ(box->parentWidget(), form.framAcceso) << name;
    }
    const struct {
        const char* label;
        const char* caption;
        QWidget* buddy;
    } labels[] = {{"lbUsuario", "&Usuario", form.TxtUserId},
                  {"lbcontrasena", "&Contraseña", form.TxtUserPassword},
                  {"Label1", "&Base de Datos", form.TxtDbName},
                  {"Label2", "&Servidor", form.TxtServidor}};
    for (const auto& l : labels) {
        auto* label = form.findChild<QLabel*>(l.label);
        ASSERT_NE(label, nullptr) << l.label;
        EXPECT_EQ(label->text(), QString::fromUtf8(l.caption));
        EXPECT_EQ(label->buddy(), l.buddy);
    }
    ASSERT_EQ(form.CboPlataformaDB->count(), 2);
    EXPECT_EQ(form.CboPlataformaDB->itemText(0), "SQL Server");
    EXPECT_EQ(form.CboPlataformaDB->itemText(1), "ORACLE");
    EXPECT_EQ(form.bcAceptar->text(), "Aceptar");
    EXPECT_TRUE(form.bcAceptar->isDefault());
    EXPECT_EQ(form.bcCancelar->text(), "Cancelar");

    form.TxtUserPassword->setText("abc");
    EXPECT_EQ(form.TxtUserPassword->echoMode(), QLineEdit::Password);
    EXPECT_EQ(form.TxtUserPassword->displayText(), "***");

    // Tab order: the focusable controls, in order, from the user box on.
    std::vector<QWidget*> chain;
    QWidget* w = form.TxtUserId;
    do {
        if (w->focusPolicy() & Qt::TabFocus) chain.push_back(w);
        w = w->nextInFocusChain();
    } while (w != form.TxtUserId && chain.size() < 20);
    const std::vector<QWidget*> expected = {form.TxtUserId,      form.TxtUserPassword, form.TxtDbName,
                                            form.TxtServidor,    form.CboPlataformaDB, form.bcAceptar,
                                            form.bcCancelar};
    EXPECT_EQ(chain, expected);

    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    EXPECT_EQ(form.x(), screen.width() / 2 - form.width() / 2);
    EXPECT_EQ(form.y(), screen.height() / 2 - form.height() / 2);
}

TEST(frmAcceso, EscapeAndTheCloseBoxCountAsCancelling) {
    {
        frmAcceso form;
        form.show();
        form.Aceptar = true;
        QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
        QCoreApplication::sendEvent(&form, &escape);
        EXPECT_FALSE(form.Aceptar);
        EXPECT_FALSE(form.isVisible());
    }
    {
        frmAcceso form;
        form.show();
        form.Aceptar = true;
        form.close();
        EXPECT_FALSE(form.Aceptar);
        EXPECT_FALSE(form.isVisible());
    }
}

// ---- OpenServerADODB -----------------------------------------------------------

class OpenServerADODBTest : public SessionTest {
protected:
    // Fills the dialog and clicks one of its buttons.
    static std::function<void(QWidget&)> LogIn(std::string server, std::string database, std::string user,
                                               int platform = 0, bool accept = true) {
        return [=](QWidget& widget) {
            auto& form = dynamic_cast<frmAcceso&>(widget);
            form.TxtServidor->setText(QString::fromStdString(server));
            form.TxtDbName->setText(QString::fromStdString(database));
            form.TxtUserId->setText(QString::fromStdString(user));
            form.TxtUserPassword->setText("");
            form.CboPlataformaDB->setCurrentIndex(platform);
            (accept ? form.bcAceptar : form.bcCancelar)->click();
        };
    }
    static void Cancel(QWidget& widget) { dynamic_cast<frmAcceso&>(widget).bcCancelar->click(); }

    std::string MissingDb() const { return home_.File("missing.db"); }
    // The values of a log-in on the fixture's file as `user`.
    void LogInValues(DB_Dll& db, const char* user) const {
        db.gServidor = "local";
        db.gDBName = DbPath();
        db.gUsuario = user;
    }

    DB_Dll db_;
};

TEST_F(OpenServerADODBTest, BuildsTheStringWhenTheGivenOneIsBlank) {
    db_.gServidor = "local";
    db_.gDBName = DbPath();
    db_.gUsuario = "ana";
    std::string blanks = "   ";
    db_.OpenServerADODB(false, 3, blanks, false);
    EXPECT_TRUE(db_.gOpenFlag);
    EXPECT_EQ(db_.gCnn.State(), 1);
    EXPECT_EQ(db_.gCnn.CursorLocation(), 3);
    EXPECT_EQ(db_.gConnString, "PROVIDER=SQLOLEDB;Server=local;Database =" + DbPath() + ";UId=ana;Pwd=;");
    EXPECT_EQ(db_.gProveedor, "SQLOLEDB");
    EXPECT_TRUE(db_.gEsAdmin);  // no check asked for
    EXPECT_TRUE(operator_.Shown().empty());
}

TEST_F(OpenServerADODBTest, UsesAGivenStringAsItStands) {
    db_.gUsuario = "ana";
    std::string given = "Provider=OraOLEDB.Oracle.1;Data Source=" + DbPath() + ";User Id=ana;Password=;";
    db_.OpenServerADODB(false, 3, given, false);
    EXPECT_TRUE(db_.gOpenFlag);
    EXPECT_EQ(db_.gConnString, given);
    EXPECT_EQ(db_.gProveedor, "SQLOLEDB");  // the provider follows only the dialog
}

TEST_F(OpenServerADODBTest, ChecksTheAdministratorColumn) {
    Sql("INSERT INTO ta_usuarios (nombre, Administrador) VALUES ('bob', '0'), ('carl', ' 1'), "
        "('dora', 'S'), ('eva', NULL)");
    const struct {
        const char* user;
        bool admin;
    } cases[] = {{"ana", true}, {"bob", false}, {"carl", true}, {"dora", false}, {"eva", false}};
    for (const auto& c : cases) {
        DB_Dll db;
        LogInValues(db, c.user);
        db.gEsAdmin = !c.admin;
        std::string built;
        db.OpenServerADODB(false, 3, built, true);
        ASSERT_TRUE(db.gOpenFlag) << c.user;
        EXPECT_EQ(db.gEsAdmin, c.admin) << c.user;
    }
}

// On SQLite only a user of ta_usuarios gets in, the name compared as its
// column compares it (without regard to case), blanks around it aside; the
// user goes on under the name as stored, an administrator as that row says.
// Anyone else is refused with one Spanish message and one log line, and the
// connection is left closed.
TEST_F(OpenServerADODBTest, OnSqliteOnlyAUserOfTheUsersTableLogsIn) {
    const struct {
        const char* user;
        bool admitted;
    } cases[] = {{"ana", true},    {" ana ", true}, {"ANA", true},           {" Ana", true},
                 {"nadie", false}, {"", false},     {"x' OR '1'='1", false}, {"an", false}};
    for (const auto& c : cases) {
        DB_Dll db;
        LogInValues(db, c.user);
        operator_.ClearShown();
        std::filesystem::remove(home_.File("TSERR.LOG"));
        if (!c.admitted) operator_.AnswerMsgBox(ui::vbOK);
        for (const bool validaAdmin : {true, false}) {
            if (!c.admitted && !validaAdmin) continue;
            std::string built;
            db.OpenServerADODB(false, 3, built, validaAdmin);
            EXPECT_EQ(db.gOpenFlag, c.admitted) << c.user;
            EXPECT_EQ(db.gCnn.State(), c.admitted ? 1 : 0) << c.user;
            if (c.admitted && validaAdmin) {
                EXPECT_TRUE(db.gEsAdmin) << c.user;  // ana's row says so
            }
            db.gCnn.Close();
        }
        if (c.admitted) {
            EXPECT_TRUE(operator_.Shown().empty()) << c.user;
            EXPECT_EQ(db.gUsuario, "ana") << c.user;
            continue;
        }
        ASSERT_EQ(operator_.Shown().size(), 1u) << c.user;
        const std::string texto = "El usuario \"" + std::string(c.user) + "\" no figura en la tabla ta_usuarios de " +
                                  DbPath() + ": no puede ingresar.";
        EXPECT_EQ(operator_.Shown()[0].prompt, texto);
        EXPECT_EQ(operator_.Shown()[0].kind, "MsgBox");
        const std::string log = ErrorLog();
        EXPECT_EQ(std::count(log.begin(), log.end(), '\n'), 1) << log;
        EXPECT_NE(log.find("Rutina: - OpenServerADODB"), std::string::npos) << log;
        EXPECT_NE(log.find(texto), std::string::npos) << log;
    }
    EXPECT_EQ(operator_.PendingAnswers(), 0u);

    // A file whose users cannot be read: the connection error, and it stays closed.
    Sql("DROP TABLE ta_usuarios");
    DB_Dll db;
    LogInValues(db, "ana");
    operator_.ClearShown();
    operator_.AnswerMsgBox(ui::vbNo);
    std::string built;
    db.OpenServerADODB(false, 3, built, true);
    EXPECT_FALSE(db.gOpenFlag);
    EXPECT_EQ(db.gCnn.State(), 0);
    ASSERT_EQ(operator_.Shown().size(), 1u);
    EXPECT_EQ(operator_.Shown()[0].title, " Error de Conexion a Base de Datos");
}

TEST_F(OpenServerADODBTest, TheLogInDialogSuppliesTheValues) {
    db_.gServidor = "old";
    db_.gDBName = "old.db";
    db_.gUsuario = "old user";
    db_.gUserPassWord = "secret";
    operator_.OnModal([&](QWidget& widget) {
        auto& form = dynamic_cast<frmAcceso&>(widget);
        EXPECT_EQ(form.windowTitle(), "Control de Acceso");
        EXPECT_EQ(form.TxtServidor->text(), "old");
        EXPECT_EQ(form.TxtDbName->text(), "old.db");
        EXPECT_EQ(form.TxtUserId->text(), "old user");
        EXPECT_EQ(form.TxtUserPassword->text(), "secret");
        EXPECT_EQ(form.CboPlataformaDB->currentIndex(), 0);
        LogIn("local", DbPath(), " ana ")(widget);
    });
    std::string given = "Provider=SQLOLEDB;Data Source=elsewhere.db";
    db_.OpenServerADODB(true, 3, given, true);
    EXPECT_TRUE(db_.gOpenFlag);
    EXPECT_EQ(db_.gCnn.State(), 1);
    EXPECT_EQ(db_.gUsuario, "ana");  // on SQLite, as ta_usuarios holds the name typed
    EXPECT_EQ(db_.gDBName, DbPath());
    // The built string replaces the given one.
    EXPECT_EQ(db_.gConnString, "PROVIDER=SQLOLEDB;Server=local;Database =" + DbPath() + ";UId={ ana };Pwd=;");
    EXPECT_TRUE(db_.gEsAdmin);
}

TEST_F(OpenServerADODBTest, CancellingTheLogInLeavesTheConnectionClosed) {
    operator_.OnModal(Cancel);
    std::string none;
    db_.OpenServerADODB(true, 3, none, true);
    EXPECT_FALSE(db_.gOpenFlag);
    EXPECT_EQ(db_.gCnn.State(), 0);

    operator_.OnModal([](QWidget& widget) { widget.close(); });
    db_.OpenServerADODB(true, 3, none, true);
    EXPECT_FALSE(db_.gOpenFlag);
}

TEST_F(OpenServerADODBTest, TheOracleChoiceMarksTheServer) {
    const struct {
        const char* server;
        int platform;
        const char* expectedServer;
        const char* expectedProvider;
    } cases[] = {
        {"ORCL", 1, "#ORCL", "OraOLEDB.Oracle.1"},
        {"#ORCL", 1, "#ORCL", "OraOLEDB.Oracle.1"},
        {"OR#CL", 1, "OR#CL", "OraOLEDB.Oracle.1"},
        // "SQL Server" with a "#" still builds the Oracle string.
        {"#ORCL", 0, "#ORCL", "SQLOLEDB"},
    };
    for (const auto& c : cases) {
        DB_Dll db;
        operator_.OnModal(LogIn(c.server, DbPath(), "ana", c.platform));
        std::string none;
        db.OpenServerADODB(true, 3, none, false);
        EXPECT_EQ(db.gServidor, c.expectedServer);
        EXPECT_EQ(db.gProveedor, c.expectedProvider);
        EXPECT_EQ(db.gConnString, "Provider=OraOLEDB.Oracle.1;Data Source=" + DbPath() + ";User Id=ana;Password=;");
        EXPECT_TRUE(db.gOpenFlag) << c.server;  // the data source names the SQLite file
    }
}

TEST_F(OpenServerADODBTest, AConnectionErrorOffersTheLogInAgain) {
    db_.gServidor = "local";
    db_.gDBName = MissingDb();
    db_.gUsuario = "ana";
    operator_.AnswerMsgBox(ui::vbYes);
    operator_.OnModal([&](QWidget& widget) {
        auto& form = dynamic_cast<frmAcceso&>(widget);
        EXPECT_EQ(form.TxtDbName->text().toStdString(), MissingDb());  // prefilled with what failed
        form.TxtDbName->setText(QString::fromStdString(DbPath()));
        form.bcAceptar->click();
    });
    std::string none;
    db_.OpenServerADODB(false, 3, none, true);

    EXPECT_TRUE(db_.gOpenFlag);
    EXPECT_EQ(db_.gCnn.State(), 1);
    EXPECT_EQ(db_.gDBName, DbPath());
    EXPECT_FALSE(std::filesystem::exists(MissingDb()));
    ASSERT_EQ(operator_.Shown().size(), 2u);
    const ui::RecordedBox& box = operator_.Shown()[0];
    EXPECT_EQ(box.title, " Error de Conexion a Base de Datos");
    EXPECT_EQ(box.style, ui::vbYesNo + ui::vbCritical);
    EXPECT_EQ(box.prompt.rfind(" Estado de Sql: ", 0), 0u) << box.prompt;
    EXPECT_NE(box.prompt.find("\rNumero de Error: -"), std::string::npos) << box.prompt;
    EXPECT_NE(box.prompt.find("\rDescripcion: "), std::string::npos) << box.prompt;
    EXPECT_NE(box.prompt.find("\rCodigo Nativo: "), std::string::npos) << box.prompt;
    EXPECT_TRUE(box.prompt.ends_with("\r - Desea Intentarlo Nuevamente??? ")) << box.prompt;
    EXPECT_EQ(operator_.Shown()[1].kind, "ShowModal");
}

// After a failed Oracle connection, the dialog opens on the engine and the
// server that failed, so that Enter retries against Oracle.
TEST_F(OpenServerADODBTest, RetryingAFailedOracleConnectionStaysOnOracle) {
    const auto reintenta = [&](std::vector<std::pair<int, std::string>>& vistos) {
        return [&](QWidget& widget) {
            auto& form = dynamic_cast<frmAcceso&>(widget);
            vistos.emplace_back(form.CboPlataformaDB->currentIndex(), form.TxtServidor->text().toStdString());
            form.TxtDbName->setText(QString::fromStdString(DbPath()));
            QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
            QCoreApplication::sendEvent(form.TxtDbName, &enter);
        };
    };
    const std::string oracle = "Provider=OraOLEDB.Oracle.1;Data Source=" + DbPath() + ";User Id=ana;Password=;";

    // Start-up's road: the server came without its "#" and the string is Oracle's.
    {
        DB_Dll db;
        db.gServidor = "ORCL";
        db.gDBName = MissingDb();
        db.gUsuario = "ana";
        std::vector<std::pair<int, std::string>> vistos;
        operator_.AnswerMsgBox(ui::vbYes).OnModal(reintenta(vistos));
        std::string cadena = CadenaConexionOracle(MissingDb(), "ana", "");
        db.OpenServerADODB(false, 3, cadena, false);
        EXPECT_EQ(vistos, (std::vector<std::pair<int, std::string>>{{1, "#ORCL"}}));
        EXPECT_TRUE(db.gOpenFlag);
        EXPECT_EQ(db.gCnn.State(), 1);
        EXPECT_EQ(db.gServidor, "#ORCL");
        EXPECT_EQ(db.gProveedor, kProveedorOracle);
        EXPECT_EQ(db.gConnString, oracle);
    }
    // The dialog's road: ORACLE chosen, a wrong database, then the retry.
    {
        DB_Dll db;
        std::vector<std::pair<int, std::string>> vistos;
        operator_.OnModal(LogIn("ORCL", MissingDb(), "ana", 1)).AnswerMsgBox(ui::vbYes).OnModal(reintenta(vistos));
        std::string none;
        db.OpenServerADODB(true, 3, none, false);
        EXPECT_EQ(vistos, (std::vector<std::pair<int, std::string>>{{1, "#ORCL"}}));
        EXPECT_TRUE(db.gOpenFlag);
        EXPECT_EQ(db.gProveedor, kProveedorOracle);
        EXPECT_EQ(db.gConnString, oracle);
    }
    // A failed SQL Server connection comes back as SQL Server.
    {
        DB_Dll db;
        db.gServidor = "local";
        db.gDBName = MissingDb();
        db.gUsuario = "ana";
        std::vector<std::pair<int, std::string>> vistos;
        operator_.AnswerMsgBox(ui::vbYes).OnModal(reintenta(vistos));
        std::string none;
        db.OpenServerADODB(false, 3, none, false);
        EXPECT_EQ(vistos, (std::vector<std::pair<int, std::string>>{{0, "local"}}));
        EXPECT_EQ(db.gConnString, "PROVIDER=SQLOLEDB;Server=local;Database =" + DbPath() + ";UId=ana;Pwd=;");
    }
    EXPECT_EQ(operator_.PendingAnswers(), 0u);
}

TEST_F(OpenServerADODBTest, GivingUpAfterAnErrorLeavesTheFlagDown) {
    const std::string notSqlite = home_.File("text.db");
    testsupport::WriteFile(notSqlite, "this is not a database, only some text that fills a page or so.");
    for (const std::string& database : {MissingDb(), notSqlite}) {
        DB_Dll db;
        db.gServidor = "local";
        db.gDBName = database;
        operator_.ClearShown();
        operator_.AnswerMsgBox(ui::vbNo);
        std::string none;
        db.OpenServerADODB(false, 3, none, true);
        EXPECT_FALSE(db.gOpenFlag) << database;
        EXPECT_EQ(db.gCnn.State(), 0);
        ASSERT_EQ(operator_.Shown().size(), 1u);
        EXPECT_EQ(operator_.Shown()[0].title, " Error de Conexion a Base de Datos");
    }
    EXPECT_FALSE(std::filesystem::exists(MissingDb()));
    EXPECT_EQ(testsupport::ReadFile(notSqlite).substr(0, 7), "this is");
}

TEST_F(OpenServerADODBTest, CancellingTheRetryDialogLeavesTheFlagDown) {
    db_.gServidor = "local";
    db_.gDBName = MissingDb();
    operator_.AnswerMsgBox(ui::vbYes).OnModal(Cancel);
    std::string none;
    db_.OpenServerADODB(false, 3, none, true);
    EXPECT_FALSE(db_.gOpenFlag);
    EXPECT_EQ(db_.gCnn.State(), 0);
}

}  // namespace
}  // namespace foundation
