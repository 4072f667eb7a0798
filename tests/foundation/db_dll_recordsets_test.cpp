// DB_Dll: recordsets, statements, table lookups and type tests, on SQLite.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "db_dll_fixture.h"
#include "foundation/sql_literal.h"
#include "vb/regional.h"

namespace foundation::testing {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;

// A day-first regional setting with the decimal comma: numbers placed in SQL
// must still carry a decimal point.
const vb::Regional kComa{",", ".", 2, "/", ":"};

class DbDllRecordsetsTest : public DbDllTest {
protected:
    DbDllRecordsetsTest() {
        Run("CREATE TABLE PERSONAS (CODIGO CHAR(6) COLLATE RTRIM, NOMBRE VARCHAR(40) COLLATE NOCASE, "
            "EDAD INT, ALTURA FLOAT, ALTA DATETIME, NOTA VARCHAR(20))");
        Run("INSERT INTO PERSONAS VALUES ('  A1  ', 'O''Brien', 30, 1.75, '2024-01-05 00:00:00', NULL)");
        Run("INSERT INTO PERSONAS VALUES ('B2', 'Ana', 41, 1.6, '2023-11-30 00:00:00', 'x')");
        Run("CREATE TABLE T_CLAVES (ID INT PRIMARY KEY, NOMBRE VARCHAR(20))");
    }

    long Count(const std::string& table) {
        adodb::Recordset rs;
        rs.Open("SELECT COUNT(*) AS N FROM " + table, db_.gCnn);
        return static_cast<long>(vb::CDbl(rs.Fields("N").Value()));
    }

    vb::ScopedRegional regional_{kComa};
};

// ---- AbrirRecordset and CierraRecordset ----------------------------------------

TEST_F(DbDllRecordsetsTest, AbrirRecordsetClosesAnOpenRecordsetAndOpensTheNewQuery) {
    adodb::Recordset rs;
    rs.Open("SELECT 1 AS UNO", db_.gCnn);
    std::string sql = "SELECT NOMBRE FROM PERSONAS WHERE EDAD = 41";

    db_.AbrirRecordset(sql, rs);

    ASSERT_EQ(rs.State(), adodb::adStateOpen);
    EXPECT_FALSE(rs.HasField("UNO"));
    EXPECT_EQ(vb::TextOf(rs.Fields("NOMBRE").Value()), "Ana");
    EXPECT_EQ(rs.CursorType(), adodb::adOpenForwardOnly);
    EXPECT_EQ(rs.LockType(), adodb::adLockReadOnly);
    EXPECT_THAT(operator_.Shown(), IsEmpty());

    db_.CierraRecordset(rs);
    EXPECT_EQ(rs.State(), adodb::adStateClosed);
    db_.CierraRecordset(rs);  // a closed recordset: nothing happens
    EXPECT_THAT(operator_.Shown(), IsEmpty());
}

// A query with values bound opens as any other, and reports its failure the
// same way.
TEST_F(DbDllRecordsetsTest, AbrirRecordsetBindsTheValuesOfTheQuerysMarkers) {
    adodb::Recordset rs;
    std::string sql = "SELECT NOMBRE FROM PERSONAS WHERE EDAD >= ? AND NOMBRE <> ?";
    db_.AbrirRecordset(sql, {30, "ana"}, rs);
    ASSERT_EQ(rs.State(), adodb::adStateOpen);
    EXPECT_EQ(vb::TextOf(rs.Fields("NOMBRE").Value()), "O'Brien");
    EXPECT_EQ(rs.RecordCount(), 1);
    EXPECT_THAT(operator_.Shown(), IsEmpty());

    operator_.AnswerMsgBox(ui::vbAbort);
    db_.AbrirRecordset(sql, {30}, rs);
    EXPECT_EQ(rs.State(), adodb::adStateClosed);
    ASSERT_EQ(operator_.Shown().size(), 1u);
    EXPECT_THAT(operator_.Shown()[0].title, HasSubstr("AbrirRecordset"));
}

TEST_F(DbDllRecordsetsTest, AbrirRecordsetGivesTheCallerTheTextWithSynonymsAndWithoutMarkers) {
    struct Case {
        bool admin;
        std::string sql;
        std::string adapted;
    };
    const std::vector<Case> cases = {
        {false, "SELECT * FROM MA_CUENTAS WHERE 1=1", "SELECT * FROM SS_MA_CUENTAS WHERE 1=1"},
        {false, "SELECT * FROM @Admin_MA_CUENTAS WHERE 1=1", "SELECT * FROM MA_CUENTAS WHERE 1=1"},
        {true, "SELECT * FROM MA_CUENTAS WHERE 1=1", "SELECT * FROM MA_CUENTAS WHERE 1=1"},
        {true, "SELECT * FROM @ADMIN_MA_CUENTAS WHERE 1=1", "SELECT * FROM MA_CUENTAS WHERE 1=1"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.sql);
        db_.gEsAdmin = c.admin;
        std::string sql = c.sql;
        adodb::Recordset rs;
        db_.AbrirRecordset(sql, rs);
        EXPECT_EQ(sql, c.adapted);
        EXPECT_EQ(LastStatement(), c.adapted);
        EXPECT_EQ(rs.State(), adodb::adStateOpen);
    }
    EXPECT_THAT(operator_.Shown(), IsEmpty());
}

TEST_F(DbDllRecordsetsTest, AbrirRecordsetReportsAFailureThroughTheErrorRoutine) {
    operator_.AnswerMsgBox(ui::vbRetry).AnswerMsgBox(ui::vbAbort);
    adodb::Recordset rs;
    std::string sql = "SELECT * FROM NO_EXISTE";

    db_.AbrirRecordset(sql, rs);

    EXPECT_EQ(rs.State(), adodb::adStateClosed);
    ASSERT_EQ(operator_.Shown().size(), 2u);  // Retry ran the query once more
    for (const ui::RecordedBox& box : operator_.Shown()) {
        EXPECT_THAT(box.title, ::testing::EndsWith(" - AbrirRecordset Aviso al operador!!! "));
        EXPECT_THAT(box.prompt, ::testing::StartsWith("Ha ocurrido el Siguiente Error (-2147217865) "));
        EXPECT_EQ(box.style, ui::vbAbortRetryIgnore | ui::vbCritical);
    }
    const std::string log = ErrorLog();
    EXPECT_THAT(log, HasSubstr("Rutina: - AbrirRecordset Mensaje Ha ocurrido el Siguiente Error "
                               "(-2147217865)"));
    EXPECT_THAT(log, HasSubstr("Respondió : Reintentar\r\n"));
    EXPECT_THAT(log, HasSubstr("Respondió : Abortar\r\n"));
}

// ---- EjecutaConsultaSQL --------------------------------------------------------

TEST_F(DbDllRecordsetsTest, EjecutaConsultaSQLAppliesSynonymsOnlyToDropAndCreateScripts) {
    struct Case {
        std::string sql;
        std::string adapted;
    };
    const std::vector<Case> cases = {
        {"DROP VIEW V1\nCREATE VIEW V1 AS SELECT * FROM MA_CUENTAS WHERE 1=1",
         "DROP VIEW V1\nCREATE VIEW V1 AS SELECT * FROM SS_MA_CUENTAS WHERE 1=1"},
        {"drop view V1\ncreate view V1 AS SELECT * FROM MA_CUENTAS WHERE 1=1",
         "drop view V1\ncreate view V1 AS SELECT * FROM SS_MA_CUENTAS WHERE 1=1"},
        // DELETE or a marker anywhere: only the markers go.
        {"DROP TABLE X1\nCREATE TABLE X1 (A INT)\nDELETE FROM MA_CUENTAS WHERE 1=0",
         "DROP TABLE X1\nCREATE TABLE X1 (A INT)\nDELETE FROM MA_CUENTAS WHERE 1=0"},
        {"DROP VIEW V1\nCREATE VIEW V1 AS SELECT * FROM @admin_MA_CUENTAS WHERE 1=1",
         "DROP VIEW V1\nCREATE VIEW V1 AS SELECT * FROM MA_CUENTAS WHERE 1=1"},
        {"UPDATE MA_CUENTAS SET NOMBRE = NOMBRE WHERE 1=0", "UPDATE MA_CUENTAS SET NOMBRE = NOMBRE WHERE 1=0"},
        {"UPDATE @Admin_MA_CUENTAS SET NOMBRE = NOMBRE WHERE 1=0",
         "UPDATE MA_CUENTAS SET NOMBRE = NOMBRE WHERE 1=0"},
    };
    Run("CREATE VIEW V1 AS SELECT 1 AS A");
    Run("CREATE TABLE X1 (A INT)");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.sql);
        std::string sql = c.sql;
        EXPECT_TRUE(db_.EjecutaConsultaSQL(sql));
        EXPECT_EQ(sql, c.adapted);
        EXPECT_EQ(LastStatement(), c.adapted);
    }
    EXPECT_THAT(operator_.Shown(), IsEmpty());
}

// A value that holds a marker or a table's name reaches the table unchanged,
// and is found again by a query that names it.
TEST_F(DbDllRecordsetsTest, ValuesKeepTheirMarkersAndTableNames) {
    db_.gEsAdmin = false;
    for (const char* valor : {"@Admin_Ana", " MA_CUENTAS ", "(V_TA_CAJAS."}) {
        SCOPED_TRACE(valor);
        Run("DELETE FROM T_CLAVES");
        std::string inserta = "INSERT INTO T_CLAVES VALUES (1, " + SqlText(valor) + ")";
        EXPECT_TRUE(db_.EjecutaConsultaSQL(inserta));
        std::string consulta = "SELECT NOMBRE FROM T_CLAVES WHERE NOMBRE = " + SqlText(valor);
        adodb::Recordset rs;
        db_.AbrirRecordset(consulta, rs);
        ASSERT_EQ(rs.State(), adodb::adStateOpen);
        ASSERT_FALSE(rs.EOF());
        EXPECT_EQ(vb::TextOf(rs.Fields("NOMBRE").Value()), valor);
    }
    EXPECT_THAT(operator_.Shown(), IsEmpty());
}

TEST_F(DbDllRecordsetsTest, EjecutaConsultaSQLReturnsWhetherTheStatementRan) {
    std::string sql = "UPDATE PERSONAS SET EDAD = EDAD + 1";
    long filas = -1;
    EXPECT_TRUE(db_.EjecutaConsultaSQL(sql, filas));
    EXPECT_EQ(filas, 2);
    EXPECT_EQ(ErrorLog(), "");

    sql = "INSERT INTO T_CLAVES VALUES (1, 'uno')";
    EXPECT_TRUE(db_.EjecutaConsultaSQL(sql));
    sql = "INSERT INTO T_CLAVES VALUES (1, 'otro')";  // the key again
    EXPECT_FALSE(db_.EjecutaConsultaSQL(sql));

    // A constraint failure shows nothing but is logged.
    EXPECT_THAT(operator_.Shown(), IsEmpty());
    EXPECT_THAT(ErrorLog(), HasSubstr(" Rutina: - EjecutaConsultaSQL Mensaje Ha ocurrido el Siguiente "
                                      "Error (-2147217873) "));
}

// A constraint refusal is told in the words of whoever built the statement,
// when it recognises the text as its own; the log keeps the engine's text.
TEST_F(DbDllRecordsetsTest, AConstraintRefusalIsToldByWhoeverBuiltTheStatement) {
    db_.AgregaExplicacionRechazo([](const std::string& sql, const vb::Error&) {
        return sql.find("'otro'") != std::string::npos ? std::string("No se grabó el otro: su clave ya existe.")
                                                       : std::string();
    });
    std::string sql = "INSERT INTO T_CLAVES VALUES (1, 'uno')";
    ASSERT_TRUE(db_.EjecutaConsultaSQL(sql));
    operator_.AnswerMsgBox(ui::vbOK);
    sql = "INSERT INTO T_CLAVES VALUES (1, 'otro')";
    EXPECT_FALSE(db_.EjecutaConsultaSQL(sql));
    ASSERT_EQ(operator_.Shown().size(), 1u);
    EXPECT_EQ(operator_.Shown()[0].prompt, "No se grabó el otro: su clave ya existe.");
    EXPECT_EQ(operator_.Shown()[0].title, "Aviso al operador!!!");
    EXPECT_EQ(operator_.Shown()[0].style, ui::vbOKOnly | ui::vbCritical);
    EXPECT_THAT(ErrorLog(), HasSubstr("Error (-2147217873) "));

    // Not its own, or not a constraint: as before, logged without a box.
    for (const std::string texto :
         {"INSERT INTO T_CLAVES VALUES (1, 'tercero')", "INSERT INTO NO_EXISTE VALUES ('otro')"}) {
        sql = texto;
        EXPECT_FALSE(db_.EjecutaConsultaSQL(sql));
    }
    EXPECT_EQ(operator_.Shown().size(), 1u);
}

// A batch that stops itself (RAISERROR) is told in its builder's words when
// it recognises the batch as its own, else with the batch's own text.
TEST_F(DbDllRecordsetsTest, ABatchThatStopsItselfIsToldByWhoeverBuiltIt) {
    std::vector<long> numeros;
    db_.AgregaExplicacionRechazo([&](const std::string& sql, const vb::Error& error) {
        numeros.push_back(error.Number());
        return sql.find("'propio'") != std::string::npos ? "No se grabó el propio: " + error.Description()
                                                         : std::string();
    });
    struct Caso {
        std::string nombre;
        std::string aviso;
    };
    for (const Caso& caso : std::vector<Caso>{{"propio", "No se grabó el propio: otra estación lo tomó"},
                                              {"ajeno", "otra estación lo tomó"}}) {
        SCOPED_TRACE(caso.nombre);
        operator_.ClearShown();
        operator_.AnswerMsgBox(ui::vbOK);
        std::string sql = "INSERT INTO T_CLAVES VALUES (7, '" + caso.nombre +
                          "')\r\nIF EXISTS (SELECT * FROM T_CLAVES) RAISERROR('otra estación lo tomó', 16, 1)";
        EXPECT_FALSE(db_.EjecutaConsultaSQL(sql));
        ASSERT_EQ(operator_.Shown().size(), 1u);
        EXPECT_EQ(operator_.Shown()[0].prompt, caso.aviso);
        EXPECT_EQ(Count("T_CLAVES"), 0);
    }
    EXPECT_EQ(numeros, (std::vector<long>{adodb::kErrRaised, adodb::kErrRaised}));
}

// Whoever handed something out for a statement learns whether it ran, after
// the box about its failure; a follower that fails changes nothing.
TEST_F(DbDllRecordsetsTest, FollowersLearnWhetherEachStatementRan) {
    std::vector<std::pair<std::string, bool>> seguidos;
    db_.AgregaSeguimiento([](const std::string&, bool) { throw vb::Error(5, "falla el seguidor"); });
    db_.AgregaSeguimiento([&](const std::string& sql, bool corrio) {
        seguidos.emplace_back(sql, corrio);
        EXPECT_EQ(operator_.Shown().size(), corrio ? 0u : 1u);
    });
    std::string sql = "INSERT INTO T_CLAVES VALUES (1, 'uno')";
    EXPECT_TRUE(db_.EjecutaConsultaSQL(sql));
    operator_.AnswerMsgBox(ui::vbOK);
    db_.AgregaExplicacionRechazo([](const std::string&, const vb::Error&) { return std::string("No se grabó: su clave ya existe."); });
    sql = "INSERT INTO T_CLAVES VALUES (1, 'otro')";
    EXPECT_FALSE(db_.EjecutaConsultaSQL(sql));
    EXPECT_EQ(seguidos, (std::vector<std::pair<std::string, bool>>{{"INSERT INTO T_CLAVES VALUES (1, 'uno')", true},
                                                                   {"INSERT INTO T_CLAVES VALUES (1, 'otro')", false}}));
}

TEST_F(DbDllRecordsetsTest, EjecutaConsultaSQLReportsAFailingTableWhoseNameHoldsTrans) {
    Run("CREATE TABLE TRANSPORTES (ID INT PRIMARY KEY)");
    Run("INSERT INTO TRANSPORTES VALUES (1)");
    std::string sql = "INSERT INTO TRANSPORTES VALUES (1)";

    EXPECT_FALSE(db_.EjecutaConsultaSQL(sql));
    EXPECT_THAT(ErrorLog(), HasSubstr("Rutina: - EjecutaConsultaSQL Mensaje"));
}

// The box rules, on a connection that is not open (an error the engine did
// not raise, so the silent numbers do not apply).
TEST(DbDllEjecutaConsultaSQLBox, ShowsTheOperatorWarningUnlessTheScriptIsATransactionCommand) {
    struct Case {
        std::string sql;
        bool box;
    };
    const std::vector<Case> cases = {
        {"INSERT INTO PERSONAS VALUES (1)", true},
        {"INSERT INTO TRANSPORTES VALUES (1)", true},
        {"UPDATE CONTRANSITO SET A = 1", true},
        {"BEGIN TRANSACTION", false},
        {"begin tran", false},
        {"COMMIT TRAN", false},
        {"INSERT INTO T VALUES (1)\nROLLBACK TRANSACTION", false},
        {"BEGIN TRAN;INSERT INTO T VALUES (1);COMMIT TRAN", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.sql);
        testsupport::TempDir home;
        testsupport::ScopedEnv homeEnv("TARVOLIN_HOME", home.Path().string());
        ui::ScriptedOperator op;
        if (c.box) op.AnswerMsgBox(ui::vbOK);
        DB_Dll db;
        std::string sql = c.sql;

        EXPECT_FALSE(db.EjecutaConsultaSQL(sql));

        ASSERT_EQ(op.Shown().size(), c.box ? 1u : 0u);
        if (c.box) {
            EXPECT_EQ(op.Shown()[0].title, "Aviso al operador!!!");
            EXPECT_EQ(op.Shown()[0].style, ui::vbOKOnly | ui::vbCritical);
            EXPECT_FALSE(op.Shown()[0].prompt.empty());
        }
        EXPECT_THAT(testsupport::ReadFile(home.Path() / "TSERR.LOG"),
                    HasSubstr("Rutina: - EjecutaConsultaSQL Mensaje Ha ocurrido el Siguiente Error ("));
    }
}

TEST_F(DbDllRecordsetsTest, EjecutaConsultaSQLLeavesNothingOfABatchThatFailsPartWay) {
    struct Case {
        std::string name;
        std::string sql;
    };
    const std::vector<Case> cases = {
        {"second statement fails", "INSERT INTO T_CLAVES VALUES (1, 'a')\nINSERT INTO T_CLAVES VALUES (1, 'b')"},
        {"script opens a transaction",
         "BEGIN TRANSACTION\nINSERT INTO T_CLAVES VALUES (2, 'a')\nINSERT INTO NO_EXISTE VALUES (1)"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::string sql = c.sql;
        EXPECT_FALSE(db_.EjecutaConsultaSQL(sql));
        EXPECT_FALSE(db_.gCnn.InTransaction());
        EXPECT_EQ(Count("T_CLAVES"), 0);
    }
    EXPECT_THAT(operator_.Shown(), IsEmpty());
}

TEST_F(DbDllRecordsetsTest, EjecutaConsultaSQLLeavesTheCallersTransactionToTheCaller) {
    db_.gCnn.BeginTrans();
    std::string sql = "INSERT INTO T_CLAVES VALUES (1, 'a')";
    ASSERT_TRUE(db_.EjecutaConsultaSQL(sql));
    sql = "INSERT INTO NO_EXISTE VALUES (1)";
    EXPECT_FALSE(db_.EjecutaConsultaSQL(sql));
    EXPECT_TRUE(db_.gCnn.InTransaction());
    db_.gCnn.RollbackTrans();
    EXPECT_EQ(Count("T_CLAVES"), 0);
}

// ---- ExisteEnTabla and ExisteEnTablaST ---------------------------------------------

struct ExisteCase {
    std::string name;
    std::string valor;
    std::string campo;
    int tipo;
    std::string condicion;
    std::string sqlExiste;  // ExisteEnTabla's query
    bool existe;
    std::string sqlST;      // ExisteEnTablaST's query
    bool existeST;
};

const std::vector<ExisteCase> kExisteCases = {
    {"text", " A1 ", "CODIGO", 8, "",
     "SELECT TOP 1  * FROM PERSONAS WHERE LTRIM(RTRIM(CODIGO)) ='A1'", true,
     "SELECT * FROM PERSONAS WHERE CODIGO =' A1 '", false},
    {"text with an apostrophe", "O'Brien", "NOMBRE", 8, "",
     "SELECT TOP 1  * FROM PERSONAS WHERE LTRIM(RTRIM(NOMBRE)) ='O''Brien'", true,
     "SELECT * FROM PERSONAS WHERE NOMBRE ='O''Brien'", true},
    {"text not found", "Z9", "CODIGO", 8, "",
     "SELECT TOP 1  * FROM PERSONAS WHERE LTRIM(RTRIM(CODIGO)) ='Z9'", false,
     "SELECT * FROM PERSONAS WHERE CODIGO ='Z9'", false},
    {"date", " '2024-01-05 00:00:00' ", "ALTA", 7, "",
     "SELECT TOP 1 * FROM PERSONAS WHERE ALTA = '2024-01-05 00:00:00' ", true,
     "SELECT * FROM PERSONAS WHERE ALTA = '2024-01-05 00:00:00' ", true},
    {"integer from a text", "30 años", "EDAD", 3, "",
     "SELECT TOP 1 * FROM PERSONAS WHERE EDAD = 30", true,
     "SELECT * FROM PERSONAS WHERE EDAD = 30", true},
    {"fraction with a decimal point", "1.75", "ALTURA", 5, "",
     "SELECT TOP 1 * FROM PERSONAS WHERE ALTURA = 1.75", true,
     "SELECT * FROM PERSONAS WHERE ALTURA = 1.75", true},
    {"not a number", "abc", "EDAD", 4, "",
     "SELECT TOP 1 * FROM PERSONAS WHERE EDAD = 0", false,
     "SELECT * FROM PERSONAS WHERE EDAD = 0", false},
    {"other code", "41", "EDAD", 2, "",
     "SELECT TOP 1 * FROM PERSONAS WHERE EDAD = 41", true,
     "SELECT * FROM PERSONAS WHERE EDAD = 41", true},
    {"condition", "ignored", "ignored", 8, "EDAD > 40",
     "SELECT TOP 1 * FROM PERSONAS WHERE EDAD > 40", true,
     "SELECT * FROM PERSONAS WHERE EDAD > 40", true},
    {"condition with its WHERE", "", "", 8, " where EDAD > 50",
     "SELECT TOP 1 * FROM PERSONAS  where EDAD > 50", false,
     "SELECT * FROM PERSONAS  where EDAD > 50", false},
};

TEST_F(DbDllRecordsetsTest, ExisteEnTablaAndExisteEnTablaSTBuildTheirQueryByDataType) {
    for (const ExisteCase& c : kExisteCases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(db_.ExisteEnTabla("PERSONAS", c.valor, c.campo, nullptr, c.tipo, c.condicion), c.existe);
        EXPECT_EQ(LastStatement(), c.sqlExiste);
        EXPECT_EQ(db_.ExisteEnTablaST("PERSONAS", c.valor, c.campo, nullptr, c.tipo, c.condicion, true),
                  c.existeST);
        EXPECT_EQ(LastStatement(), c.sqlST);
    }
    EXPECT_THAT(operator_.Shown(), IsEmpty());
}

TEST_F(DbDllRecordsetsTest, ExisteEnTablaLeavesTheCallersRecordsetOnTheRow) {
    struct Case {
        bool st;
        bool soloLectura;
        int cursor;
        int lock;
    };
    const std::vector<Case> cases = {
        {false, false, adodb::adOpenStatic, adodb::adLockOptimistic},
        {true, false, adodb::adOpenStatic, adodb::adLockOptimistic},
        {true, true, adodb::adOpenForwardOnly, adodb::adLockReadOnly},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << "ST " << c.st << " read-only " << c.soloLectura);
        adodb::Recordset rs;
        rs.Open("SELECT 1 AS UNO", db_.gCnn, adodb::adOpenStatic, adodb::adLockOptimistic);
        const bool existe = c.st ? db_.ExisteEnTablaST("PERSONAS", "Ana", "NOMBRE", &rs, 8, "", c.soloLectura)
                                 : db_.ExisteEnTabla("PERSONAS", "Ana", "NOMBRE", &rs, 8, "");
        EXPECT_TRUE(existe);
        ASSERT_EQ(rs.State(), adodb::adStateOpen);
        EXPECT_EQ(vb::TextOf(rs.Fields("CODIGO").Value()), "B2");
        EXPECT_EQ(rs.CursorType(), c.cursor);
        EXPECT_EQ(rs.LockType(), c.lock);
    }
}

TEST_F(DbDllRecordsetsTest, OnlyExisteEnTablaUsesTheSynonyms) {
    EXPECT_FALSE(db_.gEsAdmin);
    db_.ExisteEnTabla("MA_CUENTAS", "", "", nullptr, 8, "1=0");
    EXPECT_EQ(LastStatement(), "SELECT TOP 1 * FROM SS_MA_CUENTAS WHERE 1=0");
    db_.ExisteEnTablaST("MA_CUENTAS", "", "", nullptr, 8, "1=0", true);
    EXPECT_EQ(LastStatement(), "SELECT * FROM MA_CUENTAS WHERE 1=0");
    EXPECT_THAT(operator_.Shown(), IsEmpty());
}

TEST_F(DbDllRecordsetsTest, ALookupErrorShowsItsOwnBoxAndAnswersFalse) {
    // A condition starting with WHERE and no blank gets a second WHERE.
    operator_.AnswerMsgBox(ui::vbRetry).AnswerMsgBox(ui::vbAbort).AnswerMsgBox(ui::vbIgnore);
    EXPECT_FALSE(db_.ExisteEnTabla("PERSONAS", "", "", nullptr, 8, "WHERE EDAD > 40"));
    EXPECT_EQ(LastStatement(), "SELECT TOP 1 * FROM PERSONAS WHERE WHERE EDAD > 40");
    EXPECT_FALSE(db_.ExisteEnTablaST("NO_EXISTE", "1", "ID", nullptr, 3, "", true));

    ASSERT_EQ(operator_.Shown().size(), 3u);
    for (const ui::RecordedBox& box : operator_.Shown()) {
        EXPECT_EQ(box.title, "Aviso al Operador");
        EXPECT_EQ(box.style, ui::vbAbortRetryIgnore | ui::vbCritical);
        EXPECT_FALSE(box.prompt.empty());
    }
    EXPECT_EQ(ErrorLog(), "");
}

// ---- DatosTabla --------------------------------------------------------------------

TEST_F(DbDllRecordsetsTest, DatosTablaReturnsOneColumnOfTheFirstMatchingRowAsText) {
    struct Case {
        std::string name;
        std::string valor;
        std::string devuelto;
        std::string campo;
        int tipo;
        std::string condicion;
        bool usaTrim;
        std::string sql;
        std::string resultado;
    };
    const std::vector<Case> cases = {
        {"text, column trimmed", " A1 ", "NOMBRE", "CODIGO", 8, "", true,
         "SELECT TOP 1 * FROM PERSONAS WHERE LTRIM(RTRIM(CODIGO)) ='A1' ", "O'Brien"},
        {"text, value trimmed, apostrophe", " O'Brien ", "EDAD", "NOMBRE", 8, "", false,
         "SELECT TOP 1 * FROM PERSONAS WHERE NOMBRE ='O''Brien' ", "30"},
        {"condition", "Ana", "EDAD", "NOMBRE", 8, "EDAD > 40", true,
         "SELECT TOP 1 * FROM PERSONAS WHERE LTRIM(RTRIM(NOMBRE)) ='Ana'  AND EDAD > 40", "41"},
        {"condition not met", "Ana", "EDAD", "NOMBRE", 8, "EDAD < 40", true,
         "SELECT TOP 1 * FROM PERSONAS WHERE LTRIM(RTRIM(NOMBRE)) ='Ana'  AND EDAD < 40", ""},
        {"condition of blanks", "Ana", "EDAD", "NOMBRE", 8, "   ", true,
         "SELECT TOP 1 * FROM PERSONAS WHERE LTRIM(RTRIM(NOMBRE)) ='Ana'    ", "41"},
        {"null column", "A1", "NOTA", "CODIGO", 8, "", true,
         "SELECT TOP 1 * FROM PERSONAS WHERE LTRIM(RTRIM(CODIGO)) ='A1' ", ""},
        {"number", "1.75", "NOMBRE", "ALTURA", 5, "", true,
         "SELECT TOP 1 * FROM PERSONAS WHERE ALTURA = 1.75", "O'Brien"},
        {"other code", " 41", "NOMBRE", "EDAD", 2, "", true,
         "SELECT TOP 1 * FROM PERSONAS WHERE EDAD =  41", "Ana"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const vb::Variant v = db_.DatosTabla("PERSONAS", c.valor, c.devuelto, c.campo, c.tipo, c.condicion,
                                             c.usaTrim);
        EXPECT_EQ(v, vb::Variant(c.resultado));
        EXPECT_EQ(LastStatement(), c.sql);
    }
    EXPECT_THAT(operator_.Shown(), IsEmpty());
}

TEST_F(DbDllRecordsetsTest, DatosTablaOnAMissingTableAnswersEmpty) {
    // The open fails in AbrirRecordset (the error routine), then reading the
    // closed recordset fails in DatosTabla (its own box).
    operator_.AnswerMsgBox(ui::vbAbort).AnswerMsgBox(ui::vbAbort);
    const vb::Variant v = db_.DatosTabla("NO_EXISTE", "x", "A", "B", 8, "", true);
    EXPECT_TRUE(v.IsEmpty());
    ASSERT_EQ(operator_.Shown().size(), 2u);
    EXPECT_THAT(operator_.Shown()[0].title, ::testing::EndsWith(" - AbrirRecordset Aviso al operador!!! "));
    EXPECT_EQ(operator_.Shown()[1].title, "Aviso al Operador");
}

// ---- BuscaMaximo and BuscaMinimo ----------------------------------------------------

TEST_F(DbDllRecordsetsTest, BuscaMaximoAndBuscaMinimoReadTheAggregateAsANumber) {
    Run("CREATE TABLE T_NUMEROS (GRUPO INT, IMPORTE MONEY, TEXTO VARCHAR(10))");
    EXPECT_EQ(db_.BuscaMaximo("T_NUMEROS", "IMPORTE"), vb::Variant(0.0));  // empty table: 0
    EXPECT_EQ(db_.BuscaMinimo("T_NUMEROS", "IMPORTE"), vb::Variant(0.0));

    Run("INSERT INTO T_NUMEROS VALUES (1, 12.5, '7abc')");
    Run("INSERT INTO T_NUMEROS VALUES (2, 3.25, '12x')");
    struct Case {
        bool maximo;
        std::string campo;
        std::optional<std::string> condicion;
        std::string sql;
        vb::Variant resultado;
    };
    const std::vector<Case> cases = {
        {true, "IMPORTE", std::nullopt, "SELECT MAX(IMPORTE) AS MAYOR FROM T_NUMEROS", 12.5},
        {false, "IMPORTE", std::nullopt, "SELECT MIN(IMPORTE) AS MENOR FROM T_NUMEROS", 3.25},
        {true, "IMPORTE", "  GRUPO = 2 ", "SELECT MAX(IMPORTE) AS MAYOR FROM T_NUMEROS WHERE GRUPO = 2", 3.25},
        {true, "TEXTO", std::nullopt, "SELECT MAX(TEXTO) AS MAYOR FROM T_NUMEROS", 7.0},
        {false, "TEXTO", std::nullopt, "SELECT MIN(TEXTO) AS MENOR FROM T_NUMEROS", 12.0},
        {true, "IMPORTE", "1=0 GROUP BY GRUPO",
         "SELECT MAX(IMPORTE) AS MAYOR FROM T_NUMEROS WHERE 1=0 GROUP BY GRUPO", vb::Variant()},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.sql);
        const vb::Variant v = c.maximo ? db_.BuscaMaximo("T_NUMEROS", c.campo, 5, c.condicion)
                                       : db_.BuscaMinimo("T_NUMEROS", c.campo, 3, c.condicion);
        EXPECT_EQ(v, c.resultado);
        EXPECT_EQ(LastStatement(), c.sql);
    }
    EXPECT_THROW(db_.BuscaMaximo("NO_EXISTE", "A"), vb::Error);
}

// ---- Type tests ----------------------------------------------------------------------

TEST(DbDllTypeTests, GroupTheDataTypeCodes) {
    enum Group { kNone, kDate, kText, kNumeric, kCurrency, kBoolean };
    const std::vector<std::pair<int, Group>> cases = {
        {7, kDate},      {133, kDate},    {137, kDate},    {134, kDate},    {135, kDate},
        {64, kDate},     {8, kText},      {201, kText},    {203, kText},    {200, kText},
        {202, kText},    {130, kText},    {129, kNone},    {20, kNumeric},  {14, kNumeric},
        {5, kNumeric},   {3, kNumeric},   {131, kNumeric}, {4, kNumeric},   {2, kNumeric},
        {16, kNumeric},  {21, kNumeric},  {19, kNumeric},  {18, kNumeric},  {17, kNumeric},
        {6, kCurrency},  {11, kBoolean},  {0, kNone},      {128, kNone},    {204, kNone},
    };
    for (const auto& [code, group] : cases) {
        SCOPED_TRACE(code);
        EXPECT_EQ(DB_Dll::adodate(code), group == kDate);
        EXPECT_EQ(DB_Dll::ADOText(code), group == kText);
        EXPECT_EQ(DB_Dll::ADONumeric(code), group == kNumeric);
        EXPECT_EQ(DB_Dll::ADOCurrency(code), group == kCurrency);
        EXPECT_EQ(DB_Dll::ADOBoolean(code), group == kBoolean);
    }
}

}  // namespace
}  // namespace foundation::testing
