// The main window on a real database: the list, the authorization of the
// selected rows (walk, refusals, one transaction per order, the message for
// the orders left), the history panel, the layout and the keys.
#include "authorization/frm_autorizar_np_bloq.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QCursor>
#include <QFrame>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QToolButton>
#include <QWindow>

#include <gtest/gtest.h>
#include <sqlite3.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "authorization/tsdbgrid.h"
#include "foundation/session.h"
#include "grid_fixture.h"
#include "helpers/helpers.h"
#include "pintadas.h"
#include "ui/flexgrid.h"
#include "vb/datetime.h"
#include "vb/text.h"

namespace authorization {
namespace {

constexpr const char* kPregunta =
    "Esta opcion autorizará todos los comprobantes seleccionados\r\n-Esta seguro de Continuar...?";
constexpr const char* kAvisoFallidas = "No se pudieron autorizar los siguientes comprobantes:";

class VentanaTest : public testing::GridDbTest {
protected:
    VentanaTest() {
        vb::SetClock([] { return vb::Date::FromParts(2024, 3, 5, 9, 7, 31); });
        usuarioPrevio_ = foundation::gUsuarioLogeado;
        foundation::gUsuarioLogeado = "tester";
        AgregarOrdenes(14);
        Cargar();
    }
    ~VentanaTest() override {
        vb::SetClock(nullptr);
        foundation::gUsuarioLogeado = usuarioPrevio_;
    }

    void Cargar() {
        ventana_.CmdCargar_Click();
        TomarSentencias();
    }
    ui::FlexGrid& Grid() { return ventana_.TsDbGrid1().MsFlexGrid(); }
    int ColClave() { return Grid().Cols() - 1; }
    std::string Clave(int fila) { return Grid().TextMatrix(fila, ColClave()); }
    std::string Numero(int fila) { return Grid().TextMatrix(fila, 2); }
    void Selecciona(int fila, int filaSel) {
        Grid().SetRow(fila);
        Grid().SetRowSel(filaSel);
    }

    std::vector<std::string> Consulta(const std::string& sql) {
        std::vector<std::string> filas;
        for (const auto& fila : db_.gCnn.Query(sql).rows) {
            std::string texto;
            for (const vb::Variant& valor : fila) texto += (texto.empty() ? "" : "|") + vb::TextOf(valor);
            filas.push_back(texto);
        }
        return filas;
    }
    // The blocked orders of the fixture that are no longer blocked.
    std::vector<std::string> Desbloqueadas() {
        return Consulta("SELECT ID FROM V_MV_CPTE WHERE ID < 1000 AND BLOQUEADA = 0 ORDER BY ID");
    }
    std::vector<std::string> Acciones() {
        return Consulta("SELECT IdComprobante, Tipo_accion, Usuario FROM V_MV_CPTEACCIONES ORDER BY ID");
    }
    static std::vector<std::string> Con(const std::vector<std::string>& sentencias, const char* inicio) {
        std::vector<std::string> elegidas;
        for (const std::string& s : sentencias) {
            if (vb::StartsWith(vb::Trim(s), inicio)) elegidas.push_back(s);
        }
        return elegidas;
    }
    // The two statements of an order as the log shows them: the same text
    // for every order, its values bound (after "--").
    static std::string Update(const std::string& id) {
        return "UPDATE V_MV_CPTE SET BLOQUEADA = 0 , OBSERVACIONES = '' WHERE ID = ? AND BLOQUEADA = 1 AND TC = 'NP'"
               " -- " + id;
    }
    static std::string InsertAO(const std::string& numero, const std::string& usuario) {
        return " INSERT INTO V_MV_CPTEACCIONES (TC,IdComprobante,IdComplemento,Tipo_accion,FECHAHORA,Usuario,PC,"
               "SYSTEMUSER,NUMEROASIENTO) VALUES (?,?,?,?,?,?,?,?,?) -- 'NP  ', '" +
               numero + "', 0, 'AO', '2024-03-05 09:07:00', '" + usuario + "', '" + helpers::gEstacion().NombrePC() +
               "', '', 0";
    }
    void Restablece() {
        db_.gCnn.Execute("UPDATE V_MV_CPTE SET BLOQUEADA = 1, OBSERVACIONES = 'obs' WHERE ID < 1000");
        db_.gCnn.Execute("DELETE FROM V_MV_CPTEACCIONES");
        Cargar();
        operator_.ClearShown();
    }
    // Moves the session to a database file, so that a second connection can
    // put triggers on it (the session's connection runs one statement at a time).
    void PasaAArchivo() {
        archivo_ = home_.File("empresa.db");
        EjecutaDirecto(testsupport::ReadFile(testsupport::SourceDir() / "db" / "schema.sql"));
        db_.gCnn.Close();
        db_.gCnn.Open("Provider=SQLOLEDB;Data Source=" + archivo_);
        AgregarOrdenes(14);
        Cargar();
    }
    void EjecutaDirecto(const std::string& sql) {
        sqlite3* conexion = nullptr;
        ASSERT_EQ(sqlite3_open(archivo_.c_str(), &conexion), SQLITE_OK);
        char* error = nullptr;
        const int resultado = sqlite3_exec(conexion, sql.c_str(), nullptr, nullptr, &error);
        EXPECT_EQ(resultado, SQLITE_OK) << (error != nullptr ? error : "");
        sqlite3_free(error);
        sqlite3_close(conexion);
    }
    void EnviaTecla(QWidget& destino, Qt::Key tecla) {
        QKeyEvent evento(QEvent::KeyPress, tecla, Qt::NoModifier);
        QApplication::sendEvent(&destino, &evento);
    }

    FrmAutorizarNPBloq ventana_;
    std::string usuarioPrevio_;
    std::string archivo_;
};

TEST_F(VentanaTest, ListsTheBlockedOrdersTenAPageWithTheKeyLast) {
    EXPECT_EQ(ventana_.TsDbGrid1().SQL(),
              std::string(testing::kConsultaPrincipal) + "  ");  // one blank from the property, one from the load
    EXPECT_EQ(ventana_.TsDbGrid1().PageSize(), 10);
    EXPECT_EQ(ventana_.TsDbGrid1().UltimaPagina(), 2);
    EXPECT_EQ(Grid().Rows(), 11);
    EXPECT_EQ(Grid().TextMatrix(0, ColClave()), "ID");
    EXPECT_EQ(Grid().TextMatrix(0, 2), "NUMERO");
}

struct CasoRecorrido {
    const char* nombre;
    int fila;
    int filaSel;
    std::vector<int> autorizadas;  // in the order they are walked
};

TEST_F(VentanaTest, AuthorizesTheRangeFromTheCurrentRowTowardsTheSelectionsEnd) {
    const std::vector<CasoRecorrido> casos = {
        {"no selection", 3, 3, {3}},
        {"downwards", 2, 4, {2, 3, 4}},
        {"upwards", 5, 3, {5, 4, 3}},
        {"the title row is not an order", 0, 2, {1, 2}},
    };
    for (const CasoRecorrido& caso : casos) {
        SCOPED_TRACE(caso.nombre);
        Restablece();
        std::vector<std::string> updates, inserts, ids, numeros;
        for (int fila : caso.autorizadas) {
            updates.push_back(Update(Clave(fila)));
            inserts.push_back(InsertAO(Numero(fila), "tester"));
            ids.push_back(Clave(fila));
            numeros.push_back(Numero(fila) + "|AO|tester");
        }
        Selecciona(caso.fila, caso.filaSel);
        operator_.AnswerMsgBox(ui::vbYes);

        ventana_.cmdAplicar_Click();

        ASSERT_EQ(operator_.Shown().size(), 1u);  // the question, and no failure message
        EXPECT_EQ(operator_.Shown()[0].prompt, kPregunta);
        EXPECT_EQ(operator_.Shown()[0].title, "Atención!");
        EXPECT_EQ(operator_.Shown()[0].style, ui::vbYesNo + ui::vbQuestion);
        const std::vector<std::string> sentencias = TomarSentencias();
        EXPECT_EQ(Con(sentencias, "UPDATE"), updates);
        EXPECT_EQ(Con(sentencias, "INSERT"), inserts);
        std::sort(ids.begin(), ids.end(), [](const std::string& a, const std::string& b) { return std::stol(a) < std::stol(b); });
        EXPECT_EQ(Desbloqueadas(), ids);
        EXPECT_EQ(Acciones(), numeros);
        // The list was loaded again: the authorized orders are gone from it.
        for (int f = 1; f < Grid().Rows(); ++f) EXPECT_EQ(std::count(ids.begin(), ids.end(), Clave(f)), 0);
    }
}

TEST_F(VentanaTest, AUserNamedAIsLoggedAsHeIs) {
    foundation::gUsuarioLogeado = "A";
    const std::string numero = Numero(1);
    Selecciona(1, 1);
    operator_.AnswerMsgBox(ui::vbYes);
    ventana_.cmdAplicar_Click();
    EXPECT_EQ(Con(TomarSentencias(), "INSERT"), std::vector<std::string>{InsertAO(numero, "A")});
    EXPECT_EQ(Acciones(), std::vector<std::string>{numero + "|AO|A"});
}

TEST_F(VentanaTest, AnsweringNoChangesNothingAndDoesNotReload) {
    const std::string antes = Numero(2);
    Selecciona(2, 4);
    TomarSentencias();  // the history of row 2
    operator_.AnswerMsgBox(ui::vbNo);
    ventana_.cmdAplicar_Click();
    EXPECT_EQ(operator_.Shown().size(), 1u);
    EXPECT_TRUE(TomarSentencias().empty());  // no statement, no reload
    EXPECT_TRUE(Desbloqueadas().empty());
    EXPECT_TRUE(Acciones().empty());
    EXPECT_EQ(Grid().Row(), 2);
    EXPECT_EQ(Grid().RowSel(), 4);
    EXPECT_EQ(Numero(2), antes);
}

TEST_F(VentanaTest, BlankKeysAreSkippedAndKeysThatAreNotNumbersRefused) {
    const std::string clave1 = Clave(1), clave4 = Clave(4), numero3 = Numero(3);
    Grid().SetTextMatrix(2, ColClave(), "  ");
    Grid().SetTextMatrix(3, ColClave(), "7 OR 1=1");
    Selecciona(1, 4);
    operator_.AnswerMsgBox(ui::vbYes).AnswerMsgBox(ui::vbOK);

    ventana_.cmdAplicar_Click();

    const std::vector<std::string> sentencias = TomarSentencias();
    EXPECT_EQ(Con(sentencias, "UPDATE"), (std::vector<std::string>{Update(clave1), Update(clave4)}));
    for (const std::string& s : sentencias) EXPECT_EQ(s.find("1=1"), std::string::npos) << s;
    ASSERT_EQ(operator_.Shown().size(), 2u);
    EXPECT_EQ(operator_.Shown()[1].prompt,
              std::string(kAvisoFallidas) + "\r\n" + numero3 + "\r\nMotivo: la fila no tiene la clave de una orden");
    EXPECT_EQ(operator_.Shown()[1].style, ui::vbOKOnly + ui::vbExclamation);
    EXPECT_EQ(Desbloqueadas().size(), 2u);
}

// Orders that failed for different reasons: the box gives the first one's.
TEST_F(VentanaTest, OrdersFailingForDifferentReasonsGiveTheFirstOnesReason) {
    const std::string numero1 = Numero(1), numero2 = Numero(2);
    Grid().SetTextMatrix(1, ColClave(), "x");
    db_.gCnn.Execute("UPDATE V_MV_CPTE SET BLOQUEADA = 0 WHERE ID = " + Clave(2));  // another station
    Selecciona(1, 3);
    operator_.AnswerMsgBox(ui::vbYes).AnswerMsgBox(ui::vbOK);

    ventana_.cmdAplicar_Click();

    ASSERT_EQ(operator_.Shown().size(), 2u);
    EXPECT_EQ(operator_.Shown()[1].prompt, std::string(kAvisoFallidas) + "\r\n" + numero1 + "\r\n" + numero2 +
                                               "\r\nMotivo del primero: la fila no tiene la clave de una orden");
    EXPECT_EQ(Acciones().size(), 1u);
}

TEST_F(VentanaTest, NothingIsAuthorizedWhenTheLastColumnIsNotTheKey) {
    const std::string numero1 = Numero(1), numero2 = Numero(2);
    Grid().SetTextMatrix(0, ColClave(), "IMPORTE");
    Selecciona(1, 2);
    operator_.AnswerMsgBox(ui::vbYes).AnswerMsgBox(ui::vbOK);
    ventana_.cmdAplicar_Click();
    EXPECT_TRUE(Con(TomarSentencias(), "UPDATE").empty());
    ASSERT_EQ(operator_.Shown().size(), 2u);
    EXPECT_EQ(operator_.Shown()[1].prompt, std::string(kAvisoFallidas) + "\r\n" + numero1 + "\r\n" + numero2 +
                                               "\r\nMotivo: la fila no tiene la clave de una orden");
    EXPECT_TRUE(Desbloqueadas().empty());
}

struct CasoFallo {
    const char* nombre;
    // Makes the order of the middle row fail; $ID and $NUMERO are its key and number.
    const char* preparacion;
    bool sigueBloqueada;
    const char* motivo;  // as the failure message gives it
};

TEST_F(VentanaTest, AFailedOrderIsRolledBackAloneAndNamed) {
    const std::vector<CasoFallo> casos = {
        {"the action record cannot be written",
         "CREATE TRIGGER falla BEFORE INSERT ON V_MV_CPTEACCIONES WHEN NEW.IdComprobante = '$NUMERO' "
         "BEGIN SELECT RAISE(ABORT, 'rechazado'); END;",
         true, "la base rechazó el cambio (rechazado)"},
        {"the order cannot be updated",
         "CREATE TRIGGER falla BEFORE UPDATE ON V_MV_CPTE WHEN OLD.ID = $ID BEGIN SELECT RAISE(ABORT, 'rechazado'); END;",
         true, "la base rechazó el cambio (rechazado)"},
        {"another station released it first", "UPDATE V_MV_CPTE SET BLOQUEADA = 0 WHERE ID = $ID", false,
         "la orden ya no estaba bloqueada"},
    };
    PasaAArchivo();
    for (const CasoFallo& caso : casos) {
        SCOPED_TRACE(caso.nombre);
        EjecutaDirecto("DROP TRIGGER IF EXISTS falla");
        Restablece();
        const std::string id1 = Clave(1), id2 = Clave(2), id3 = Clave(3);
        const std::string numero1 = Numero(1), numero2 = Numero(2), numero3 = Numero(3);
        EjecutaDirecto(vb::Replace(vb::Replace(caso.preparacion, "$ID", id2), "$NUMERO", numero2));
        TomarSentencias();
        Selecciona(1, 3);
        operator_.AnswerMsgBox(ui::vbYes).AnswerMsgBox(ui::vbOK);

        ventana_.cmdAplicar_Click();

        ASSERT_EQ(operator_.Shown().size(), 2u);
        EXPECT_EQ(operator_.Shown()[1].prompt,
                  std::string(kAvisoFallidas) + "\r\n" + numero2 + "\r\nMotivo: " + caso.motivo);
        EXPECT_EQ(operator_.Shown()[1].title, "Atención!");
        EXPECT_EQ(Acciones(), (std::vector<std::string>{numero1 + "|AO|tester", numero3 + "|AO|tester"}));
        EXPECT_EQ(Consulta("SELECT BLOQUEADA + 0, OBSERVACIONES FROM V_MV_CPTE WHERE ID = " + id2),
                  std::vector<std::string>{caso.sigueBloqueada ? "1|obs" : "0|obs"});
        EXPECT_EQ(Consulta("SELECT BLOQUEADA + 0, OBSERVACIONES FROM V_MV_CPTE WHERE ID IN (" + id1 + ", " + id3 + ")"),
                  (std::vector<std::string>{"0|", "0|"}));
        EXPECT_FALSE(db_.gCnn.InTransaction());
        // The list was loaded again; an order still blocked is still listed.
        bool listada = false;
        for (int f = 1; f < Grid().Rows(); ++f) listada = listada || Clave(f) == id2;
        EXPECT_EQ(listada, caso.sigueBloqueada);
    }
}

struct CasoError {
    const char* nombre;
    int respuesta;                  // to the error routine's box
    std::size_t filasIntentadas;    // error boxes shown
};

// Whatever the answer, the message names every selected order left blocked:
// those tried and failed, and those a stopped run never reached.
TEST_F(VentanaTest, AnErrorRaisedWhileAuthorizingIsReportedAndTheAnswerDecides) {
    const std::vector<CasoError> casos = {
        {"ignore goes on with the next order", ui::vbIgnore, 3},
        {"abort stops the run", ui::vbAbort, 1},
        {"cancel stops the run", ui::vbCancel, 1},
    };
    for (const CasoError& caso : casos) {
        SCOPED_TRACE(caso.nombre);
        Restablece();
        const std::string numero1 = Numero(1), numero2 = Numero(2), numero3 = Numero(3);
        db_.gCnn.BeginTrans();  // a transaction left open: no order can begin its own
        Selecciona(1, 3);
        operator_.AnswerMsgBox(ui::vbYes);
        for (std::size_t i = 0; i < caso.filasIntentadas; ++i) operator_.AnswerMsgBox(caso.respuesta);
        operator_.AnswerMsgBox(ui::vbOK);
        TomarSentencias();

        ventana_.cmdAplicar_Click();

        db_.gCnn.RollbackTrans();
        ASSERT_EQ(operator_.Shown().size(), caso.filasIntentadas + 2);
        EXPECT_EQ(operator_.Shown().back().prompt,
                  std::string(kAvisoFallidas) + "\r\n" + numero1 + "\r\n" + numero2 + "\r\n" + numero3 +
                      "\r\nMotivo: error de la base de datos (cannot start a transaction within a transaction)");
        EXPECT_TRUE(Con(TomarSentencias(), "UPDATE").empty());
        EXPECT_TRUE(Desbloqueadas().empty());
        EXPECT_EQ(operator_.PendingAnswers(), 0u);
    }
}

// Up to ten orders left blocked are all named in the box; from eleven on, their
// count and the first ten, every one of them in the box's details.
TEST_F(VentanaTest, OrdersLeftAreNamedUpToTenAndCountedFromEleven) {
    PasaAArchivo();
    EjecutaDirecto("INSERT INTO V_MV_CPTE (ID, TC, IDCOMPROBANTE, BLOQUEADA) "
                   "WITH RECURSIVE n(i) AS (SELECT 2000 UNION ALL SELECT i + 1 FROM n WHERE i < 2029) "
                   "SELECT i, 'NP', printf('0002-%08d', i), 1 FROM n;"
                   "CREATE TRIGGER falla BEFORE INSERT ON V_MV_CPTEACCIONES BEGIN SELECT RAISE(ABORT, 'no'); END;");
    const std::string motivo = "\r\nMotivo: la base rechazó el cambio (no)";
    for (const int fallidas : {1, 10, 11, 44}) {
        SCOPED_TRACE(fallidas);
        Cargar();  // 44 orders
        operator_.ClearShown();
        ventana_.TsDbGrid1().SetPageSize(50);
        ventana_.TsDbGrid1().CargarPaginas();
        ASSERT_EQ(Grid().Rows(), 45);
        std::vector<std::string> numeros;
        for (int f = 1; f <= fallidas; ++f) numeros.push_back(Numero(f));
        Selecciona(1, fallidas);
        operator_.AnswerMsgBox(ui::vbYes).AnswerMsgBox(ui::vbOK);

        ventana_.cmdAplicar_Click();

        ASSERT_EQ(operator_.Shown().size(), 2u);
        const ui::RecordedBox& aviso = operator_.Shown()[1];
        std::string primeras;
        for (std::size_t i = 0; i < numeros.size() && i < 10; ++i) primeras += "\r\n" + numeros[i];
        if (fallidas <= 10) {
            EXPECT_EQ(aviso.prompt, kAvisoFallidas + primeras + motivo);
            EXPECT_EQ(aviso.details, "");
        } else {
            EXPECT_EQ(aviso.prompt, "No se pudieron autorizar " + std::to_string(fallidas) +
                                        " comprobantes. Los primeros:" + primeras + motivo +
                                        "\r\nLa lista completa está en los detalles.");
            std::string todas;
            for (const std::string& numero : numeros) todas += numero + "\n";
            EXPECT_EQ(aviso.details, todas);
        }
        EXPECT_EQ(aviso.style, ui::vbOKOnly + ui::vbExclamation);
        EXPECT_TRUE(Desbloqueadas().empty());
    }
}

struct CasoMotivo {
    const char* nombre;
    // Run on the session's own connection before the run.
    const char* preparacion;
    const char* motivo;
    const char* registrado;  // the engine's words in the error log
    // The transaction could not begin: the error routine's box came first.
    bool rutinaDeErrores;
};

// A database that cannot take the writes: the order stays blocked, and the
// box says why in Spanish besides naming it (the log keeps the engine's words).
TEST_F(VentanaTest, TheFailureMessageSaysWhyTheDatabaseRefused) {
    const std::vector<CasoMotivo> casos = {
        // The file may not grow, as on a full disk: the action record needs new pages.
        {"disk full", "PRAGMA max_page_count = 1", "disco lleno", "database or disk is full", false},
        {"read-only database", "PRAGMA query_only = 1", "la base es de sólo lectura",
         "attempt to write a readonly database", true},
    };
    PasaAArchivo();
    EjecutaDirecto("CREATE TABLE relleno (b BLOB);"
                   "CREATE TRIGGER relleno BEFORE INSERT ON V_MV_CPTEACCIONES "
                   "BEGIN INSERT INTO relleno VALUES (zeroblob(65536)); END;");
    for (const CasoMotivo& caso : casos) {
        SCOPED_TRACE(caso.nombre);
        Restablece();
        const std::string id = Clave(1), numero = Numero(1);
        db_.gCnn.Execute(caso.preparacion);
        Selecciona(1, 1);
        operator_.AnswerMsgBox(ui::vbYes);
        if (caso.rutinaDeErrores) operator_.AnswerMsgBox(ui::vbAbort);
        operator_.AnswerMsgBox(ui::vbOK);

        ventana_.cmdAplicar_Click();

        db_.gCnn.Execute("PRAGMA query_only = 0");
        db_.gCnn.Execute("PRAGMA max_page_count = 1073741823");
        ASSERT_EQ(operator_.Shown().size(), caso.rutinaDeErrores ? 3u : 2u);
        EXPECT_EQ(operator_.Shown().back().prompt,
                  std::string(kAvisoFallidas) + "\r\n" + numero + "\r\nMotivo: " + caso.motivo);
        EXPECT_TRUE(Desbloqueadas().empty());
        EXPECT_TRUE(Acciones().empty());
        EXPECT_NE(testsupport::ReadFile(home_.Path() / "TSERR.LOG").find(caso.registrado), std::string::npos);
    }
}

// A statement may wait for a lock for the whole command timeout: each one of
// the run waits under the wait cursor, which goes when the run ends.
TEST_F(VentanaTest, TheRunsStatementsWaitUnderTheWaitCursor) {
    std::vector<std::string> cursores;
    db_.gCnn.SetStatementLogger([&](const std::string& sql) {
        if (vb::StartsWith(vb::Trim(sql), "UPDATE") || vb::StartsWith(vb::Trim(sql), "INSERT")) {
            const QCursor* cursor = QApplication::overrideCursor();
            cursores.push_back(cursor != nullptr && cursor->shape() == Qt::WaitCursor ? "wait" : "other");
        }
    });
    Selecciona(1, 2);
    operator_.AnswerMsgBox(ui::vbYes);
    ventana_.cmdAplicar_Click();
    EXPECT_EQ(cursores, (std::vector<std::string>(4, "wait")));
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    EXPECT_EQ(Desbloqueadas().size(), 2u);
}

// The walk reads the selection and leaves the grid alone (a row made current
// would scroll the view and ask the display for the pointer, once an order):
// the rows change once, when the list is loaded again.
TEST_F(VentanaTest, TheWalkLeavesTheGridAsItWasUntilTheListIsLoadedAgain) {
    int entradas = 0;
    QObject::connect(&ventana_.TsDbGrid1(), &TsDbGrid::MsFlexGridEnterCell, [&] { ++entradas; });
    std::vector<std::string> durante;
    db_.gCnn.SetStatementLogger([&](const std::string& sql) {
        if (vb::StartsWith(vb::Trim(sql), "UPDATE") || vb::StartsWith(vb::Trim(sql), "INSERT")) {
            durante.push_back(std::to_string(Grid().Row()) + "-" + std::to_string(Grid().RowSel()) + " " +
                              std::to_string(entradas));
        }
    });
    Selecciona(6, 2);
    entradas = 0;
    operator_.AnswerMsgBox(ui::vbYes);

    ventana_.cmdAplicar_Click();

    EXPECT_EQ(durante, std::vector<std::string>(10, "6-2 0"));
    EXPECT_EQ(Desbloqueadas().size(), 5u);
    EXPECT_EQ(Grid().Row(), 1);
}

TEST_F(VentanaTest, HistorySpellsOutTheCodesOrSaysThereIsNone) {
    const std::string numero = Numero(4);
    const char* const codigos[] = {"A", "M", "B", "E", "AO"};
    for (const char* codigo : codigos) {
        db_.gCnn.Execute(std::string("INSERT INTO V_MV_CPTEACCIONES (TC, IdComprobante, IdComplemento, Tipo_accion, "
                                     "FECHAHORA, Usuario, PC, SYSTEMUSER) VALUES ('NP  ', '") +
                         numero + "', 0, '" + codigo + "', '2024-01-02 09:15:00', 'ana', 'CAJA1', NULL)");
    }
    Grid().SetRow(4);
    const std::string fecha = vb::TextOf(vb::Variant(vb::Date::FromParts(2024, 1, 2, 9, 15)));
    std::string esperado;
    for (const char* nombre : {"Alta", "Modificación", "Baja", "Eliminación", "Autorización"}) {
        esperado += "NP   " + numero + " 0 " + nombre + " " + fecha + " ana CAJA1 \r\n";
    }
    EXPECT_EQ(ventana_.TextoInfoAdic(), esperado);
    EXPECT_EQ(ventana_.txtInfoAdic().toPlainText().toStdString(), vb::Replace(esperado, "\r\n", "\n"));

    Grid().SetRow(5);
    EXPECT_EQ(ventana_.TextoInfoAdic(), "Sin Información Adicional!!!");
}

// The order's number reaches the history query as a literal: an apostrophe
// in it is doubled, so the query runs and finds that order's history.
TEST_F(VentanaTest, HistoryOfANumberWithAnApostrophe) {
    const std::string numero = "0001-O'Brien";
    db_.gCnn.Execute("INSERT INTO V_MV_CPTEACCIONES (TC, IdComprobante, IdComplemento, Tipo_accion, FECHAHORA, "
                     "Usuario, PC, SYSTEMUSER) VALUES ('NP  ', '0001-O''Brien', 0, 'A', '2024-01-02 09:15:00', "
                     "'ana', 'CAJA1', NULL)");
    Grid().SetTextMatrix(6, 2, numero);
    Grid().SetRow(5);
    operator_.ClearShown();
    Grid().SetRow(6);
    EXPECT_TRUE(operator_.Shown().empty());
    EXPECT_TRUE(vb::StartsWith(ventana_.TextoInfoAdic(), "NP   " + numero + " 0 Alta ")) << ventana_.TextoInfoAdic();
}

TEST_F(VentanaTest, ALoadAsksForTheHistoryOfItsFirstRowOnly) {
    const std::string numero = Numero(1);
    db_.gCnn.Execute("INSERT INTO V_MV_CPTEACCIONES (TC, IdComprobante, IdComplemento, Tipo_accion, FECHAHORA, "
                     "Usuario, PC, SYSTEMUSER) VALUES ('NP  ', '" + numero +
                     "', 0, 'A', '2024-01-02 09:15:00', 'ana', 'CAJA1', NULL)");
    Grid().SetRow(3);
    TomarSentencias();

    ventana_.CmdCargar_Click();

    // The load passes the title row on its way to row 1: no query for it.
    std::vector<std::string> historias;
    for (const std::string& s : TomarSentencias()) {
        if (vb::Contains(s, "V_MV_CPTEACCIONES")) historias.push_back(s);
    }
    ASSERT_EQ(historias.size(), 1u);
    EXPECT_TRUE(vb::EndsWith(historias[0], "IDCOMPROBANTE = '" + numero + "'")) << historias[0];
    EXPECT_EQ(Grid().Row(), 1);
    EXPECT_NE(ventana_.TextoInfoAdic().find(" Alta "), std::string::npos);

    // What a person typed into the box goes at the next cell entered, though
    // the history is the same.
    const QString historia = ventana_.txtInfoAdic().toPlainText();
    ventana_.txtInfoAdic().insertPlainText("escrito");
    Grid().SetCol(Grid().Col() + 1);
    EXPECT_EQ(ventana_.txtInfoAdic().toPlainText(), historia);
}

TEST_F(VentanaTest, AuthorizingAsksForTheHistoryOnceAtTheEndForTheRowThenCurrent) {
    // Rows 1 to 5 are authorized; row 6 is row 1 of the list loaded again.
    const std::string siguiente = Numero(6);
    db_.gCnn.Execute("INSERT INTO V_MV_CPTEACCIONES (TC, IdComprobante, IdComplemento, Tipo_accion, FECHAHORA, "
                     "Usuario, PC, SYSTEMUSER) VALUES ('NP  ', '" + siguiente +
                     "', 0, 'M', '2024-01-02 09:15:00', 'ana', 'CAJA1', NULL)");
    auto historias = [this] {
        std::vector<std::string> consultas;
        for (const std::string& s : TomarSentencias()) {
            if (vb::StartsWith(vb::Trim(s), "SELECT") && vb::Contains(s, "V_MV_CPTEACCIONES")) consultas.push_back(s);
        }
        return consultas;
    };
    Selecciona(1, 5);
    historias();
    operator_.AnswerMsgBox(ui::vbYes);

    ventana_.cmdAplicar_Click();

    const std::vector<std::string> consultas = historias();
    ASSERT_EQ(consultas.size(), 1u);
    EXPECT_TRUE(vb::EndsWith(consultas[0], "IDCOMPROBANTE = '" + siguiente + "'")) << consultas[0];
    EXPECT_EQ(Grid().Row(), 1);
    EXPECT_EQ(Numero(1), siguiente);
    EXPECT_NE(ventana_.TextoInfoAdic().find(" Modificación "), std::string::npos) << ventana_.TextoInfoAdic();
    EXPECT_EQ(Desbloqueadas().size(), 5u);

    // Afterwards each cell entry shows its row's history again.
    Grid().SetRow(2);
    EXPECT_EQ(historias().size(), 1u);
    EXPECT_EQ(ventana_.TextoInfoAdic(), "Sin Información Adicional!!!");
}

// Presses F2 when a load first pumps events, as an impatient user would.
class OperadorConF2 : public ui::ScriptedOperator {
public:
    explicit OperadorConF2(FrmAutorizarNPBloq& ventana) : ventana_(ventana) {}
    void DoEvents() override {
        if (bombeos++ == 0) ventana_.Form_KeyDown(ui::vk::F1 + 1, 0);
    }
    int bombeos = 0;

private:
    FrmAutorizarNPBloq& ventana_;
};

TEST_F(VentanaTest, F2WhileTheListLoadsAuthorizesNothing) {
    Selecciona(1, 3);
    OperadorConF2 impaciente(ventana_);
    impaciente.AnswerMsgBox(ui::vbYes);  // were the question asked, it would be answered yes

    ventana_.CmdCargar_Click();

    EXPECT_GT(impaciente.bombeos, 0);
    EXPECT_TRUE(impaciente.Shown().empty());
    EXPECT_TRUE(Desbloqueadas().empty());
    EXPECT_TRUE(Acciones().empty());
    EXPECT_EQ(impaciente.PendingAnswers(), 1u);
}

TEST_F(VentanaTest, InformationPanelStates) {
    using Twips = FrmAutorizarNPBloq::Twips;
    FrmAutorizarNPBloq& v = ventana_;
    auto estado = [&] {
        return std::vector<bool>{FrmAutorizarNPBloq::Visible(v.txtInfoAdic()), FrmAutorizarNPBloq::Visible(v.cmdBajar()),
                                 FrmAutorizarNPBloq::Visible(v.cmdSubir())};
    };
    auto alturas = [&] {
        return std::vector<long>{v.Medidas(v.frmInfoAdic()).Height, v.Medidas(v.chkInfoAdic()).Top,
                                 v.Medidas(v.cmdSubir()).Top, v.Medidas(v.cmdBajar()).Top,
                                 v.Medidas(v.txtInfoAdic()).Height};
    };
    // The check box is at least its design's size, and as large as its
    // caption needs in the font in use; the panel's controls stand where the
    // frame's height puts them.
    const long altoChk = v.Medidas(v.chkInfoAdic()).Height;
    EXPECT_GE(altoChk, 195);
    EXPECT_GE(v.Medidas(v.chkInfoAdic()).Width, 2235);
    const std::vector<long> plegado = {1275, 1275 - altoChk - 50, 955, 955, 775};

    // At load: collapsed, box checked, history and cmdBajar shown.
    EXPECT_TRUE(v.chkInfoAdic().isChecked());
    EXPECT_EQ(estado(), (std::vector<bool>{true, true, false}));
    EXPECT_EQ(alturas(), plegado);

    v.cmdBajar_Click();
    EXPECT_EQ(estado(), (std::vector<bool>{true, false, true}));
    EXPECT_EQ(alturas(), (std::vector<long>{5040, 5040 - altoChk - 50, 4720, 4720, 4540}));

    v.cmdSubir_Click();
    EXPECT_EQ(estado(), (std::vector<bool>{true, true, false}));
    EXPECT_EQ(alturas(), plegado);

    // Unchecking hides the history and collapses an expanded panel.
    v.cmdBajar_Click();
    v.chkInfoAdic().setChecked(false);
    EXPECT_EQ(estado(), (std::vector<bool>{false, false, false}));
    EXPECT_EQ(alturas(), plegado);

    // Checking again shows the history and both buttons.
    v.chkInfoAdic().setChecked(true);
    EXPECT_EQ(estado(), (std::vector<bool>{true, true, true}));
    const Twips marco = v.Medidas(v.frmInfoAdic());
    EXPECT_EQ(marco.Left, 4350);
    EXPECT_EQ(marco.Top, -90);
}

// Whether each caption, label and box of the window is shown whole: as large
// as its content needs, and inside every control that holds it.
void ExpectNothingCut(QWidget& ventana) {
    const QList<QWidget*> controles = ventana.findChildren<QWidget*>();
    int vistos = 0;
    for (QWidget* control : controles) {
        const bool texto = qobject_cast<QLabel*>(control) || qobject_cast<QComboBox*>(control) ||
                           qobject_cast<QLineEdit*>(control) ||
                           (qobject_cast<QAbstractButton*>(control) && !static_cast<QAbstractButton*>(control)->text().isEmpty());
        if (!texto || !control->isVisibleTo(&ventana) || control->inherits("QComboBoxPrivateContainer")) continue;
        if (control->parentWidget() != nullptr && qobject_cast<QComboBox*>(control->parentWidget())) continue;
        ++vistos;
        const std::string nombre = control->objectName().toStdString() + " " + control->metaObject()->className();
        const QSize necesita = qobject_cast<QLabel*>(control) ? control->sizeHint() : control->minimumSizeHint();
        EXPECT_GE(control->width(), necesita.width()) << nombre;
        EXPECT_GE(control->height(), necesita.height()) << nombre;
        for (QWidget* w = control; w != &ventana; w = w->parentWidget()) {
            const QRect dentro = QRect(control->mapTo(w->parentWidget(), QPoint(0, 0)), control->size());
            EXPECT_TRUE(w->parentWidget()->rect().contains(dentro)) << nombre << " is cut by "
                                                                    << w->parentWidget()->objectName().toStdString();
        }
    }
    EXPECT_GT(vistos, 10);
}

TEST_F(VentanaTest, TheWindowOpensShowingAWholePageAndNoCaptionCut) {
    ventana_.show();
    QApplication::processEvents();
    EXPECT_GE(ventana_.width() * ui::kTwipsPerPixel, 8670);
    EXPECT_GE(ventana_.height() * ui::kTwipsPerPixel, 4995);

    auto* vista = ventana_.TsDbGrid1().findChild<ui::FlexGridView*>();
    ASSERT_NE(vista, nullptr);
    ASSERT_EQ(Grid().Rows(), 11);
    for (int fila = 0; fila < 10; ++fila) {
        const QRect celda = vista->visualRect(vista->model()->index(fila, 0));
        EXPECT_TRUE(vista->viewport()->rect().contains(celda)) << "row " << fila + 1;
    }
    EXPECT_EQ(vista->verticalScrollBar()->maximum(), 0);
    // The bars, the grid and the status bar lie one below the other.
    TsDbGrid& grilla = ventana_.TsDbGrid1();
    const QWidget* filtros = grilla.findChild<QWidget*>("FrmFiltros");
    const QWidget* comandos = grilla.findChild<QWidget*>("FrmComandos");
    const QWidget* estado = grilla.findChild<QWidget*>("StatusBar1");
    EXPECT_LE(filtros->geometry().bottom(), vista->geometry().top());
    EXPECT_LE(vista->geometry().bottom(), comandos->geometry().top());
    EXPECT_LE(comandos->geometry().bottom(), estado->geometry().top());
    ExpectNothingCut(ventana_);

    // More than ten thousand pages, the last one shown: the page label still reads whole.
    db_.gCnn.Execute("INSERT INTO V_MV_CPTE (ID, TC, IDCOMPROBANTE, BLOQUEADA) "
                     "WITH RECURSIVE n(i) AS (SELECT 5000 UNION ALL SELECT i + 1 FROM n WHERE i < 15000) "
                     "SELECT i, 'NP', printf('0002-%08d', i), 1 FROM n");
    Cargar();
    ventana_.TsDbGrid1().SetPageSize(1);
    ventana_.TsDbGrid1().CargarPaginas();
    ventana_.TsDbGrid1().findChild<QToolButton*>("cmdUltimo")->click();
    QApplication::processEvents();
    auto* etiqueta = ventana_.TsDbGrid1().findChild<QLabel*>("lblPaginas");
    EXPECT_EQ(etiqueta->text().toStdString(), "        Página        10015 de 10015");
    ExpectNothingCut(ventana_);
}

// The grid reads the window's stored copy of its properties: the search mode
// (all pages) and the sort mode (one column) show their marks.
TEST_F(VentanaTest, TheGridIsTheWindowsStoredInstance) {
    FrmAutorizarNPBloq nueva;
    TsDbGrid& grilla = nueva.TsDbGrid1();
    EXPECT_EQ(grilla.Find(), 2);
    EXPECT_EQ(grilla.Order(), 1);
    EXPECT_EQ(grilla.AlignCommandBar(), 2);
    EXPECT_EQ(grilla.AlignFilterBar(), 1);
    EXPECT_EQ(grilla.PageSize(), 5);
    EXPECT_TRUE(grilla.AnchoColFijo());
    EXPECT_EQ(grilla.PrimaryKey(), "ID");
    EXPECT_EQ(grilla.FormatDate(), 103);
    auto entradas = [&](const char* boton) {
        std::vector<std::string> textos;
        for (QAction* a : grilla.findChild<QToolButton*>(boton)->menu()->actions()) textos.push_back(a->text().toStdString());
        return textos;
    };
    EXPECT_EQ(entradas("BUSCAR"), (std::vector<std::string>{"Buscar en Página Actual", "» Buscar en todas las Páginas"}));
    EXPECT_EQ(entradas("Orden"), (std::vector<std::string>{"» Ordemaniento Individual", "Ordenamiento Múltiple"}));
}

TEST_F(VentanaTest, ResizingLaysOutTheGridAndThePanelLineByLine) {
    FrmAutorizarNPBloq& v = ventana_;
    v.resize(800, 600);  // 12000 by 9000 twips
    v.Form_Resize();
    EXPECT_EQ(v.Medidas(v.TsDbGrid1()).Width, 11950);
    EXPECT_EQ(v.Medidas(v.TsDbGrid1()).Height, 9000 - 1215 - 350);
    EXPECT_EQ(v.Medidas(v.frmInfoAdic()).Width, 12000 - 4350 - 150);
    EXPECT_EQ(v.Medidas(v.txtInfoAdic()).Width, 7450);
    EXPECT_EQ(v.Medidas(v.cmdSubir()).Left, 7100);
    EXPECT_EQ(v.Medidas(v.cmdBajar()).Left, 7100);
    EXPECT_EQ(v.Medidas(v.TsDbGrid1()).Left, -60);
    EXPECT_EQ(v.Medidas(v.TsDbGrid1()).Top, 1170);

    // The window gets no smaller than its minimum, where every line applies.
    v.resize(250, 100);
    EXPECT_EQ(v.size(), v.minimumSize());
    v.Form_Resize();
    const long ancho = v.width() * ui::kTwipsPerPixel;
    const long alto = v.height() * ui::kTwipsPerPixel;
    EXPECT_EQ(v.Medidas(v.TsDbGrid1()).Width, ancho - 50);
    EXPECT_EQ(v.Medidas(v.TsDbGrid1()).Height, alto - v.Medidas(v.CmdCargar()).Height - 350);
    EXPECT_EQ(v.Medidas(v.frmInfoAdic()).Width, ancho - 4350 - 150);
}

// At its minimum size every caption is whole, the page buttons lie beside
// the page label, not over it, and a row of the list shows.
TEST_F(VentanaTest, AtItsMinimumSizeNoCaptionIsCutAndARowShows) {
    ventana_.show();
    ventana_.resize(1, 1);
    QApplication::processEvents();
    EXPECT_EQ(ventana_.size(), ventana_.minimumSize());
    ExpectNothingCut(ventana_);
    TsDbGrid& grilla = ventana_.TsDbGrid1();
    const QRect etiqueta = grilla.findChild<QLabel*>("lblPaginas")->geometry();
    for (const char* boton : {"cmdPrimero", "cmdAnterior", "cmdSiguiente", "cmdUltimo"}) {
        EXPECT_FALSE(grilla.findChild<QToolButton*>(boton)->geometry().intersects(etiqueta)) << boton;
    }
    auto* vista = grilla.findChild<ui::FlexGridView*>();
    EXPECT_TRUE(vista->viewport()->rect().contains(vista->visualRect(vista->model()->index(0, 0))));
    const QRect minima = grilla.geometry();

    // Made smaller still where nothing keeps it from that (no window
    // manager): laid out at its minimum, cut at its edges.
    ventana_.windowHandle()->resize(200, 150);
    QApplication::processEvents();
    ASSERT_LT(ventana_.width(), ventana_.minimumWidth());
    EXPECT_EQ(grilla.geometry(), minima);
}

// The window opens as wide as every column of the list needs, the record
// numbers with room for the last page's, and no wider than the screen; a
// text too long for the screen is cut rather than a column pushed out.
TEST_F(VentanaTest, TheWindowOpensWideEnoughForEveryColumnWithinTheScreen) {
    const int pantalla = QApplication::primaryScreen()->availableGeometry().width();
    db_.gCnn.Execute("INSERT INTO V_MV_CPTE (ID, TC, IDCOMPROBANTE, FECHA, FECHAESTFIN, BLOQUEADA) "
                     "WITH RECURSIVE n(i) AS (SELECT 5000 UNION ALL SELECT i + 1 FROM n WHERE i < 5999) "
                     "SELECT i, 'NP', printf('0002-%08d', i), '2024-01-01 00:00:00', '2024-02-01 00:00:00', 1 FROM n");
    for (const int largo : {8, 400}) {
        SCOPED_TRACE(largo);
        db_.gCnn.Execute("UPDATE V_MV_CPTE SET IMPORTE = 9419.25, NOMBRE = 'Ana Sur', OBSERVACIONES = '" +
                         std::string(static_cast<std::size_t>(largo), 'o') + "' WHERE TC = 'NP'");
        FrmAutorizarNPBloq ventana;
        ventana.CmdCargar_Click();
        ventana.show();
        QApplication::processEvents();
        auto* vista = ventana.TsDbGrid1().findChild<ui::FlexGridView*>();
        if (largo == 400) {
            // Too long for the screen: the window is as wide as the screen,
            // and the long text is cut so that every column still shows.
            EXPECT_EQ(ventana.width(), pantalla);
        } else {
            EXPECT_LT(ventana.width(), pantalla);
        }
        EXPECT_LE(vista->horizontalHeader()->length(), vista->viewport()->width());
        EXPECT_EQ(vista->horizontalScrollBar()->maximum(), 0);
        // On the last page (record numbers 1011 to 1014) every column still shows whole.
        ventana.TsDbGrid1().findChild<QToolButton*>("cmdUltimo")->click();
        QApplication::processEvents();
        ASSERT_EQ(ventana.TsDbGrid1().MsFlexGrid().TextMatrix(1, 0), "1011");
        EXPECT_LE(vista->horizontalHeader()->length(), vista->viewport()->width());
        EXPECT_EQ(vista->horizontalScrollBar()->maximum(), 0);
    }
}

// Runs the events waiting, until `listo` holds (within a generous bound),
// and then those that follow at once.
void ProcesarHasta(const std::function<bool()>& listo) {
    for (int vuelta = 0; vuelta < 200 && !listo(); ++vuelta) {
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    }
    for (int vuelta = 0; vuelta < 5; ++vuelta) QCoreApplication::processEvents();
}

// A page turn, a jump, a sort and a reload each draw the list once, when the
// page is there; no step of the load draws it on its own. While the page's
// statement runs, the wait cursor shows and nothing of the turn is drawn
// yet: the list, its label and the progress are drawn once, after it.
TEST_F(VentanaTest, APageTurnPaintsTheListOnce) {
    db_.gCnn.Execute("INSERT INTO V_MV_CPTE (ID, TC, IDCOMPROBANTE, NOMBRE, IMPORTE, BLOQUEADA) "
                     "WITH RECURSIVE n(i) AS (SELECT 5000 UNION ALL SELECT i + 1 FROM n WHERE i < 5025) "
                     "SELECT i, 'NP', printf('0002-%08d', i), 'Cliente', i, 1 FROM n");
    Cargar();  // 40 orders, 4 pages
    ventana_.show();
    auto* vista = ventana_.TsDbGrid1().findChild<ui::FlexGridView*>();
    testsupport::Pintadas contador(*vista->viewport());
    ProcesarHasta([&] { return contador.cuantas > 0; });
    TsDbGrid& grilla = ventana_.TsDbGrid1();
    auto* barra = grilla.findChild<QProgressBar*>("Pbar");
    int progresoPintado = -1;
    testsupport::Pintadas pintaBarra(*barra, [&] { progresoPintado = barra->value(); });
    struct Espera {
        int progreso;
        bool reloj;
        int pintadasDeLaLista;
    };
    std::vector<Espera> esperas;  // at each page statement
    db_.gCnn.SetStatementLogger([&](const std::string& sql) {
        if (sql.find(" AS Paginacion ") == std::string::npos) return;
        const QCursor* cursor = QApplication::overrideCursor();
        esperas.push_back({progresoPintado, cursor && cursor->shape() == Qt::WaitCursor, contador.cuantas});
    });
    auto boton = [&](const char* nombre) { return [&grilla, nombre] { grilla.findChild<QAbstractButton*>(nombre)->click(); }; };
    struct Vuelta {
        const char* nombre;
        std::function<void()> accion;
        std::int64_t pagina;  // shown afterwards
        int progresoAntes;    // the bar as drawn when the page's statement runs (-1: not drawn)
    };
    const Vuelta vueltas[] = {
        {"next", boton("cmdSiguiente"), 2, -1},
        {"previous", boton("cmdAnterior"), 1, -1},
        {"page selector", [&] { emit grilla.findChild<QComboBox*>("cboPagSelect")->activated(2); }, 3, -1},
        {"sort", [&] {
             Grid().MoveToCell(1, 5);
             ProcesarHasta([] { return true; });
             contador.cuantas = 0;
             grilla.findChild<QAbstractButton*>("ImgOrdenAsc")->click();
         }, 3, -1},
        // The count before it pumps events at its steps, which draw the bar.
        {"F1", [&] { EnviaTecla(*vista, Qt::Key_F1); }, 1, 90},
    };
    for (const Vuelta& vuelta : vueltas) {
        SCOPED_TRACE(vuelta.nombre);
        contador.cuantas = 0;
        progresoPintado = -1;
        esperas.clear();
        vuelta.accion();
        ProcesarHasta([&] { return contador.cuantas > 0; });
        EXPECT_EQ(contador.cuantas, 1);
        EXPECT_EQ(grilla.PaginaActual(), vuelta.pagina);
        ASSERT_EQ(esperas.size(), 1u);
        EXPECT_EQ(esperas[0].progreso, vuelta.progresoAntes);
        EXPECT_TRUE(esperas[0].reloj);
        EXPECT_EQ(esperas[0].pintadasDeLaLista, 0);
        EXPECT_EQ(barra->value(), 0);
    }
}

TEST_F(VentanaTest, TheWindowSeesTheKeysWhereverTheFocusIs) {
    ventana_.show();
    auto* vista = ventana_.TsDbGrid1().findChild<ui::FlexGridView*>();
    ASSERT_NE(vista, nullptr);

    // F2 from the grid asks; No.
    operator_.AnswerMsgBox(ui::vbNo);
    EnviaTecla(*vista, Qt::Key_F2);
    ASSERT_EQ(operator_.Shown().size(), 1u);
    EXPECT_EQ(operator_.Shown()[0].prompt, kPregunta);

    // F1 from the history box reloads.
    EnviaTecla(ventana_.txtInfoAdic(), Qt::Key_F1);
    EXPECT_FALSE(Con(TomarSentencias(), "SELECT").empty());

    // F3 does nothing while cmdEdit is hidden.
    EXPECT_FALSE(FrmAutorizarNPBloq::Visible(ventana_.cmdEdit()));
    EnviaTecla(*vista, Qt::Key_F3);
    EXPECT_TRUE(TomarSentencias().empty());
    EXPECT_EQ(operator_.Shown().size(), 1u);

    // ESC closes the window.
    EnviaTecla(*vista, Qt::Key_Escape);
    EXPECT_FALSE(ventana_.isVisible());
    EXPECT_TRUE(Desbloqueadas().empty());
}

TEST_F(VentanaTest, ControlsCarryTheirNamesCaptionsAndTips) {
    struct Boton {
        const char* nombre;
        const char* texto;
        const char* tip;
    };
    const Boton botones[] = {
        {"CmdCargar", "      [F1]      Cargar", "Cargar Comprobantes"},
        {"cmdAplicar", "       [F2]       Autorizar", "Autorizar Comprobantes"},
        {"cmdSalir", "    [ESC]     Salir  ", "[ESC] Salir"},
        {"cmdEdit", " [F3]  Modificar", "Modificar Orden de Compra"},
    };
    for (const Boton& b : botones) {
        auto* boton = ventana_.findChild<QPushButton*>(b.nombre);
        ASSERT_NE(boton, nullptr) << b.nombre;
        EXPECT_EQ(boton->text().toStdString(), b.texto);
        EXPECT_EQ(boton->toolTip().toStdString(), b.tip);
    }
    for (const char* nombre : {"frmInfoAdic", "txtInfoAdic", "chkInfoAdic", "cmdBajar", "cmdSubir", "TsDbGrid1"}) {
        EXPECT_NE(ventana_.findChild<QWidget*>(nombre), nullptr) << nombre;
    }
    EXPECT_EQ(ventana_.windowTitle().toStdString(), "Tarvolin");
    EXPECT_EQ(ventana_.chkInfoAdic().text().toStdString(), "&Ver Información Adicional");
}

// A station that may not write the file says so in the window's caption as
// soon as the list is loaded, before anybody tries F2; one that may write
// keeps the plain caption.
TEST_F(VentanaTest, AStationThatMayNotWriteSaysSoInTheCaption) {
    const std::string conexion = PasarAArchivo();
    const std::string archivo = home_.File("empresa.db");
    Cargar();
    EXPECT_EQ(ventana_.windowTitle().toStdString(), "Tarvolin");
    db_.gCnn.Close();

    using std::filesystem::perms;
    std::filesystem::permissions(archivo, perms::owner_read | perms::group_read | perms::others_read);
    std::filesystem::permissions(home_.Path(), perms::all);
    std::fflush(nullptr);
    const pid_t lectora = fork();
    if (lectora == 0) {
        // Another user (nobody, when the tests run as root), who may only read the file.
        bool ok = geteuid() != 0 || (setgid(65534) == 0 && setuid(65534) == 0);
        try {
            db_.gCnn.Open(conexion);
            FrmAutorizarNPBloq ventana;
            ventana.CmdCargar_Click();
            const std::string titulo = ventana.windowTitle().toStdString();
            if (titulo != "Tarvolin - Sólo lectura: esta estación no puede autorizar órdenes") {
                std::fprintf(stderr, "caption: %s\n", titulo.c_str());
                ok = false;
            }
        } catch (const vb::Error& e) {
            std::fprintf(stderr, "%s\n", e.Description().c_str());
            ok = false;
        }
        _exit(ok ? 0 : 1);
    }
    int estado = -1;
    ASSERT_EQ(waitpid(lectora, &estado, 0), lectora);
    EXPECT_TRUE(WIFEXITED(estado) && WEXITSTATUS(estado) == 0);
    std::filesystem::permissions(archivo, perms::owner_read | perms::owner_write);
}

}  // namespace
}  // namespace authorization
