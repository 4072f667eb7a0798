// DB_Dll: synonyms, SQL literals, schema checks and name helpers.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <functional>

#include "db_dll_fixture.h"
#include "foundation/sql_literal.h"
#include "vb/regional.h"

namespace foundation::testing {
namespace {

using ::testing::IsEmpty;

const vb::Regional kComa{",", ".", 2, "/", ":"};
const vb::Regional kPunto{".", ",", 2, "/", ":"};

// ---- SS_TSinonimos -----------------------------------------------------------------

TEST(DbDllSinonimos, ReplacesTheTablesBetweenTheirNeighboursForRestrictedUsers) {
    struct Case {
        bool admin;
        std::string sql;
        std::string expected;
    };
    const std::vector<Case> cases = {
        {false, "SELECT * FROM MA_CUENTAS WHERE X=1", "SELECT * FROM SS_MA_CUENTAS WHERE X=1"},
        {false, "SELECT * FROM MA_CUENTAS", "SELECT * FROM MA_CUENTAS"},  // at the end
        {false, "SELECT * FROM A,MA_CUENTAS WHERE 1=1", "SELECT * FROM A,MA_CUENTAS WHERE 1=1"},
        {false, "SELECT * FROM (SELECT 1 FROM MA_CUENTAS) X", "SELECT * FROM (SELECT 1 FROM MA_CUENTAS) X"},
        {false, "SELECT ma_cuentas.CODIGO FROM ma_cuentas WHERE 1=1",
         "SELECT SS_MA_CUENTAS.CODIGO FROM SS_MA_CUENTAS WHERE 1=1"},
        {false, "{MA_CUENTAS.CODIGO} {V_TA_CAJAS.CODIGO}", "{SS_MA_CUENTAS.CODIGO} {V_TA_CAJAS.CODIGO}"},
        {false, "SELECT (MV_ASIENTOS.A),MV_ASIENTOS.B FROM MV_ASIENTOS WHERE 1=1",
         "SELECT (SS_MV_ASIENTOS.A),SS_MV_ASIENTOS.B FROM SS_MV_ASIENTOS WHERE 1=1"},
        {false, "SELECT * FROM (V_TA_DEPOSITO D JOIN V_TA_FAMILIAS F ON 1=1)",
         "SELECT * FROM (SS_V_TA_DEPOSITO D JOIN SS_V_TA_FAMILIAS F ON 1=1)"},
        {false, "SELECT * FROM AC_CUENTASDIARIO_CCOSTO WHERE 1=1",
         "SELECT * FROM SS_AC_CUENTAS_DIARIO_CCOSTO WHERE 1=1"},
        {false, "SELECT * FROM AC_CUENTASDIARIO A JOIN (AC_CUENTASDIARIO_CCOSTO.X",
         "SELECT * FROM SS_AC_CUENTASDIARIO A JOIN (SS_AC_CUENTAS_DIARIO_CCOSTO.X"},
        {false, "SELECT * FROM @Admin_V_TA_CAJAS WHERE 1=1", "SELECT * FROM V_TA_CAJAS WHERE 1=1"},
        {false, "SELECT * FROM @admin_ma_cuentas WHERE 1=1", "SELECT * FROM MA_CUENTAS WHERE 1=1"},
        {true, "SELECT * FROM MA_CUENTAS WHERE X=1", "SELECT * FROM MA_CUENTAS WHERE X=1"},
        {true, "SELECT * FROM @ADMIN_V_TA_CAJAS WHERE 1=1", "SELECT * FROM V_TA_CAJAS WHERE 1=1"},
        // Values are never rewritten: names and markers inside literals stay.
        {false, "SELECT * FROM MA_CUENTAS WHERE NOMBRE = ' MA_CUENTAS ' AND X = '@Admin_'",
         "SELECT * FROM SS_MA_CUENTAS WHERE NOMBRE = ' MA_CUENTAS ' AND X = '@Admin_'"},
        {false, "SELECT * FROM MA_CUENTAS WHERE N = 'O''Brien (MV_ASIENTOS.' AND @Admin_V_TA_CAJAS.X=1",
         "SELECT * FROM SS_MA_CUENTAS WHERE N = 'O''Brien (MV_ASIENTOS.' AND V_TA_CAJAS.X=1"},
        {false, "SELECT * FROM V_TA_CAJAS WHERE A = '@admin_ma_cuentas' OR B = ' V_TA_CAJAS.'",
         "SELECT * FROM SS_V_TA_CAJAS WHERE A = '@admin_ma_cuentas' OR B = ' V_TA_CAJAS.'"},
        {true, "UPDATE T SET A = 'x@Admin_y', B = '' WHERE @Admin_C = 1", "UPDATE T SET A = 'x@Admin_y', B = '' WHERE C = 1"},
        // A literal left open runs to the end: the engine reports the statement.
        {false, "SELECT * FROM MA_CUENTAS WHERE N = 'abc MA_CUENTAS ", "SELECT * FROM SS_MA_CUENTAS WHERE N = 'abc MA_CUENTAS "},
        {true, "SELECT '@Admin_ FROM @Admin_X", "SELECT '@Admin_ FROM @Admin_X"},
    };
    DB_Dll db;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.sql);
        db.gEsAdmin = c.admin;
        EXPECT_EQ(db.SS_TSinonimos(c.sql), c.expected);
    }
}

// ---- SQLValue and the literal helpers ---------------------------------------------------

TEST(DbDllSQLValue, WritesTheLiteralOfAValue) {
    struct Case {
        vb::Variant valor;
        std::string tipo;
        const vb::Regional* regional;
        std::string expected;
    };
    const std::vector<Case> cases = {
        {"12,5", "@", &kComa, "12.5"},
        {"12.5", "@", &kPunto, "12.5"},
        {"1.234,56", "@", &kComa, "1234.56"},
        {12.5, "@", &kComa, "12.5"},
        {"", "@", &kComa, "0"},
        {vb::Null, "@", &kComa, "0"},
        {vb::Null, "'", &kComa, "NULL"},
        {vb::Null, "", &kComa, "NULL"},
        {"O'Brien", "'", &kComa, "'O''Brien'"},
        {"abc", "'", &kComa, "'abc'"},
        {"abc", "", &kComa, "abc"},
        {42, "", &kComa, "42"},
        {42, "'", &kComa, "'42'"},
        {12.5, "", &kComa, "12.5"},  // never the regional comma in a bare number
        {vb::Currency::FromDouble(-3.25), "", &kComa, "-3.25"},
        {12.5, "", &kPunto, "12.5"},
    };
    DB_Dll db;
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << vb::TextOf(c.valor) << " [" << c.tipo << "] decimal "
                                          << c.regional->decimalSeparator);
        vb::ScopedRegional regional(*c.regional);
        EXPECT_EQ(db.SQLValue(c.valor, c.tipo), vb::Variant(c.expected));
    }
}

TEST(SqlLiteral, DoublesApostrophesAndWritesADecimalPoint) {
    EXPECT_EQ(SqlText(""), "''");
    EXPECT_EQ(SqlText("'"), "''''");
    EXPECT_EQ(SqlText("a'b''c"), "'a''b''''c'");
    vb::ScopedRegional regional(kComa);
    EXPECT_EQ(SqlNumber(-1234.5), "-1234.5");
    EXPECT_EQ(SqlNumber(0.25), "0.25");
    EXPECT_EQ(SqlNumber(7), "7");
}

// ---- Schema checks and AddField -------------------------------------------------------------

class DbDllSchemaTest : public DbDllTest {
protected:
    DbDllSchemaTest() {
        Run("CREATE TABLE T_CAMPOS (ID INT)");
        Run("INSERT INTO T_CAMPOS VALUES (1)");
    }
};

TEST_F(DbDllSchemaTest, ExisteTablaDBAndExisteCampoDBCompareTrimmedNamesWithoutCase) {
    struct Case {
        std::string tabla;
        std::string campo;
        bool tabla_existe;
        bool campo_existe;
    };
    const std::vector<Case> cases = {
        {"ta_usuarios", "nombre", true, true},
        {" TA_USUARIOS ", " NOMBRE ", true, true},
        {"TA_USUARIOS", "NO_CAMPO", true, false},
        {"SS_MA_CUENTAS", "cuenta", true, true},  // views count too
        {"NO_EXISTE", "ID", false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.tabla + "." + c.campo);
        EXPECT_EQ(db_.ExisteTablaDB(c.tabla), c.tabla_existe);
        EXPECT_EQ(db_.ExisteCampoDB(vb::Trim(c.tabla), c.campo), c.campo_existe);
    }
    EXPECT_THAT(operator_.Shown(), IsEmpty());
}

TEST_F(DbDllSchemaTest, AddFieldRunsTheAlterTableAndTheColumnAppears) {
    db_.AddField("T_CAMPOS", "CAMPO1", "INT", false, vb::Variant(0));
    EXPECT_EQ(LastStatement(), "ALTER TABLE dbo.T_CAMPOS ADD CAMPO1 INT Not Null  CONSTRAINT DF_T_CAMPOS_CAMPO1 "
                               "DEFAULT (0)");
    db_.AddField("T_CAMPOS", "NOTA", "VARCHAR(10)", true);
    EXPECT_EQ(LastStatement(), "ALTER TABLE dbo.T_CAMPOS ADD NOTA VARCHAR(10) Null ");

    EXPECT_TRUE(db_.ExisteCampoDB("T_CAMPOS", "CAMPO1"));
    EXPECT_TRUE(db_.ExisteCampoDB("T_CAMPOS", "NOTA"));
    EXPECT_EQ(db_.DatosTabla("T_CAMPOS", "1", "CAMPO1", "ID", 3, "", true), vb::Variant("0"));
    EXPECT_THAT(operator_.Shown(), IsEmpty());
    EXPECT_EQ(ErrorLog(), "");
}

TEST_F(DbDllSchemaTest, AddFieldWritesAFractionalDefaultWithADecimalPoint) {
    vb::ScopedRegional regional(kComa);
    db_.AddField("T_CAMPOS", "TASA", "FLOAT", true, vb::Variant(0.5));
    EXPECT_EQ(LastStatement(), "ALTER TABLE dbo.T_CAMPOS ADD TASA FLOAT Null  CONSTRAINT DF_T_CAMPOS_TASA "
                               "DEFAULT (0.5)");
    EXPECT_TRUE(db_.ExisteCampoDB("T_CAMPOS", "TASA"));
}

TEST_F(DbDllSchemaTest, VerCampoDBAddsAMissingColumnOnlyWhenAskedAndAlwaysAnswersTrue) {
    EXPECT_TRUE(db_.VerCampoDB("T_CAMPOS", "SIN_AGREGAR", false, "INT", true, std::nullopt));
    EXPECT_FALSE(db_.ExisteCampoDB("T_CAMPOS", "SIN_AGREGAR"));

    EXPECT_TRUE(db_.VerCampoDB("T_CAMPOS", "NUEVO", true, "INT", true, std::nullopt));
    EXPECT_TRUE(db_.ExisteCampoDB("T_CAMPOS", "NUEVO"));

    TakeStatements();
    EXPECT_TRUE(db_.VerCampoDB("T_CAMPOS", "nuevo", true, "INT", true, std::nullopt));  // already there
    EXPECT_TRUE(db_.VerCampoDB("NO_EXISTE", "X", true, "INT", true, std::nullopt));
    EXPECT_THAT(TakeStatements(), ::testing::Not(::testing::Contains(::testing::HasSubstr("ALTER"))));
    EXPECT_THAT(operator_.Shown(), IsEmpty());
}

// ---- BuscaUltimoCodigo ----------------------------------------------------------------------

TEST_F(DbDllSchemaTest, BuscaUltimoCodigoReadsTheHighestValue) {
    EXPECT_EQ(db_.BuscaUltimoCodigo("T_CAMPOS", "ID", vb::Variant(), "  "), vb::Variant(1.0));
    EXPECT_EQ(LastStatement(), "SELECT MAX(ID) AS MAYOR FROM T_CAMPOS");
    EXPECT_EQ(db_.BuscaUltimoCodigo("T_CAMPOS", "ID", vb::Variant(), "ID > 5"), vb::Variant(0.0));
    EXPECT_EQ(LastStatement(), "SELECT MAX(ID) AS MAYOR FROM T_CAMPOS WHERE ID > 5");
    EXPECT_TRUE(db_.BuscaUltimoCodigo("T_CAMPOS", "ID", vb::Variant(), "1=0 GROUP BY ID").IsEmpty());
}

// ---- The connection's dialect ----------------------------------------------------------------

TEST(DbDllEsOracle, IsTheDialectOfTheOpenConnectionNotAWordInItsNames) {
    testsupport::TempDir home;
    testsupport::ScopedEnv homeEnv("TARVOLIN_HOME", home.Path().string());
    ui::ScriptedOperator op;
    DB_Dll db;
    EXPECT_FALSE(db.EsOracle());  // closed

    db.gProveedor = "OraOLEDB.Oracle.1";
    db.gConnString = "Provider=OraOLEDB.Oracle.1;Data Source=ORACLE";
    db.gCnn.Open("Provider=SQLOLEDB;Data Source=:memory:;Application Name=ORACLE");
    EXPECT_FALSE(db.EsOracle());
    db.gCnn.Execute("CREATE TABLE T (A INT)");
    // The column is really looked for, so a missing one is missing.
    EXPECT_TRUE(db.ExisteCampoDB("T", "A"));
    EXPECT_FALSE(db.ExisteCampoDB("T", "B"));
    std::string sql = "INSERT INTO T VALUES (1)";
    EXPECT_TRUE(db.EjecutaConsultaSQL(sql));
    EXPECT_EQ(db.DatosTabla("T", "1", "A", "A", 3, "", true), vb::Variant("1"));
    EXPECT_THAT(op.Shown(), IsEmpty());
}

// An engine that records what reaches it; statements holding FALLA fail, and
// a statement holding BEGIN TRAN leaves a transaction open, as a server does.
class FakeEngine : public adodb::Engine {
public:
    explicit FakeEngine(adodb::Dialect dialect) : dialect_(dialect) {}
    adodb::Dialect GetDialect() const override { return dialect_; }
    long Execute(const std::string& sql) override {
        executed.push_back(sql);
        if (vb::Contains(sql, "BEGIN TRAN", vb::Compare::Text)) inTransaction = true;
        if (vb::Contains(sql, "FALLA", vb::Compare::Text)) throw vb::Error(adodb::kErrSyntax, "falla", "Fake");
        return 1;
    }
    adodb::ResultSet Query(const std::string& sql) override {
        queried.push_back(sql);
        adodb::ResultSet result;
        result.fields = {{"A", adodb::adInteger, 4}};
        return result;
    }
    void BeginTrans() override { inTransaction = true; }
    void CommitTrans() override { inTransaction = false; }
    void RollbackTrans() override {
        inTransaction = false;
        ++rollbacks;
    }
    bool InTransaction() const override { return inTransaction; }
    adodb::ResultSet OpenSchema(int, const std::vector<vb::Variant>&) override {
        ++schemaLookups;
        return {};
    }
    void SetCommandTimeout(long) override {}

    std::vector<std::string> executed, queried;
    bool inTransaction = false;
    int rollbacks = 0;
    int schemaLookups = 0;

private:
    adodb::Dialect dialect_;
};

class DbDllFakeEngineTest : public ::testing::Test {
protected:
    FakeEngine& Attach(adodb::Dialect dialect) {
        auto engine = std::make_unique<FakeEngine>(dialect);
        FakeEngine& fake = *engine;
        db_.gCnn.Attach(std::move(engine), "Provider=MSDAORA;Data Source=X");
        return fake;
    }

    testsupport::TempDir home_;
    testsupport::ScopedEnv homeEnv_{"TARVOLIN_HOME", home_.Path().string()};
    ui::ScriptedOperator operator_;
    DB_Dll db_;
};

TEST_F(DbDllFakeEngineTest, AnOracleConnectionIsKnownByItsDialect) {
    FakeEngine& fake = Attach(adodb::Dialect::Oracle);
    ASSERT_TRUE(db_.EsOracle());

    EXPECT_TRUE(db_.ExisteCampoDB("T", "CUALQUIERA"));
    EXPECT_EQ(fake.schemaLookups, 0);

    std::string sql = "SELECT LEN(A) FROM T";
    adodb::Recordset rs;
    db_.AbrirRecordset(sql, rs, nullptr, adodb::adOpenForwardOnly, adodb::adLockReadOnly, -1, false);
    EXPECT_THAT(fake.queried, ::testing::ElementsAre("SELECT LEN(A) FROM T"));

    sql = "UPDATE T SET A = 1";
    EXPECT_TRUE(db_.EjecutaConsultaSQL(sql));
    ASSERT_EQ(fake.executed.size(), 1u);  // through the Oracle script runner
    EXPECT_THAT(fake.executed[0], ::testing::HasSubstr("UPDATE T SET A = 1"));
    EXPECT_THAT(operator_.Shown(), IsEmpty());
}

TEST_F(DbDllFakeEngineTest, AFailingScriptLeavesNoTransactionItOpenedBehind) {
    FakeEngine& fake = Attach(adodb::Dialect::SqlServer);
    std::string sql = "BEGIN TRAN\nINSERT INTO T VALUES (1)\nINSERT INTO FALLA VALUES (1)";
    EXPECT_FALSE(db_.EjecutaConsultaSQL(sql));
    EXPECT_FALSE(fake.inTransaction);
    EXPECT_EQ(fake.rollbacks, 1);

    // The caller's own transaction is the caller's to end.
    db_.gCnn.BeginTrans();
    sql = "INSERT INTO FALLA VALUES (1)";
    EXPECT_FALSE(db_.EjecutaConsultaSQL(sql));
    EXPECT_TRUE(fake.inTransaction);
    EXPECT_EQ(fake.rollbacks, 1);
    EXPECT_THAT(operator_.Shown(), IsEmpty());
}

// ---- The statement log --------------------------------------------------------------------

TEST(DbDllStatementLog, AppendsEveryStatementToTheFileTheEnvironmentNames) {
    testsupport::TempDir home;
    testsupport::ScopedEnv homeEnv("TARVOLIN_HOME", home.Path().string());
    const std::string logPath = home.File("sql.log");
    testsupport::ScopedEnv sqlLog("TARVOLIN_SQL_LOG", logPath);
    ui::ScriptedOperator op;
    DB_Dll db;
    db.gCnn.Open("Provider=SQLOLEDB;Data Source=:memory:");
    std::string sql = "CREATE TABLE T (A INT)";
    db.EjecutaConsultaSQL(sql);
    db.ExisteEnTabla("T", "1", "A", nullptr, 3, "");

    EXPECT_EQ(testsupport::ReadFile(logPath),
              "CREATE TABLE T (A INT)\nSELECT TOP 1 * FROM T WHERE A = 1\n");
}

// The statement log holds the company's data: only its owner may read it,
// whatever the umask, also when it was made readable by others before.
TEST(DbDllStatementLog, OnlyItsOwnerMayReadIt) {
    testsupport::TempDir home;
    testsupport::ScopedEnv homeEnv("TARVOLIN_HOME", home.Path().string());
    ui::ScriptedOperator op;
    const mode_t umaskAnterior = umask(0);
    for (const bool existia : {false, true}) {
        const std::string logPath = home.File(existia ? "old.log" : "new.log");
        if (existia) {
            testsupport::WriteFile(logPath, "");
            ASSERT_EQ(chmod(logPath.c_str(), 0666), 0);
        }
        testsupport::ScopedEnv sqlLog("TARVOLIN_SQL_LOG", logPath);
        DB_Dll db;
        db.gCnn.Open("Provider=SQLOLEDB;Data Source=:memory:");
        db.gCnn.Execute("CREATE TABLE T (A INT)");
        struct stat st {};
        ASSERT_EQ(stat(logPath.c_str(), &st), 0);
        EXPECT_EQ(st.st_mode & 0777, 0600u) << logPath;
        EXPECT_EQ(testsupport::ReadFile(logPath), "CREATE TABLE T (A INT)\n");
    }
    umask(umaskAnterior);
}

// A statement log that cannot be written stops nothing: the statements run,
// and stderr says so once, naming the file and why.
TEST(DbDllStatementLog, ALogThatCannotBeWrittenIsSaidOnceOnStderr) {
    testsupport::TempDir home;
    testsupport::ScopedEnv homeEnv("TARVOLIN_HOME", home.Path().string());
    const std::string logPath = home.File("carpeta");
    std::filesystem::create_directory(logPath);  // a folder is no file to append to
    testsupport::ScopedEnv sqlLog("TARVOLIN_SQL_LOG", logPath);
    ui::ScriptedOperator op;
    DB_Dll db;
    db.gCnn.Open("Provider=SQLOLEDB;Data Source=:memory:");
    ::testing::internal::CaptureStderr();
    db.gCnn.Execute("CREATE TABLE T (A INT)");
    db.gCnn.Execute("INSERT INTO T VALUES (1)");
    const std::string said = ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(said, "Tarvolin: cannot write the statement log " + logPath + ": " + std::strerror(EISDIR) + "\n");
    adodb::Recordset rs;
    rs.Open("SELECT COUNT(*) FROM T", db.gCnn);
    EXPECT_EQ(rs.Fields(std::size_t{0}).Value(), vb::Variant(1));
}

// ---- Name helpers ------------------------------------------------------------------------------

TEST(DbDllNameHelpers, TakeNamesAndPathsApart) {
    struct Case {
        std::string name;
        std::function<std::string(std::string&)> helper;
        std::string input;
        std::string expected;        // when no error
        std::string inputAfter;      // the caller's variable afterwards
        bool invalidCall = false;    // raises error 5
    };
    const auto stSTF = [](int part) {
        return [part](std::string& s) { return DB_Dll::stSTF(s, part); };
    };
    const auto byValue = [](std::string (*f)(const std::string&)) {
        return [f](std::string& s) { return f(s); };
    };
    const auto stripOwner = [](std::string& s) { return DB_Dll::StripOwner(s); };
    const std::vector<Case> cases = {
        {"stSTF after the dot", stSTF(1), "dbo.TABLA", "TABLA", "dbo.TABLA"},
        {"stSTF before the dot", stSTF(0), "dbo.TABLA", "dbo", "dbo.TABLA"},
        {"stSTF no dot, after", stSTF(1), "TABLA", "TABLA", "TABLA"},
        {"stSTF no dot, before", stSTF(0), "TABLA", "", "TABLA", true},
        {"stSTF two dots", stSTF(0), "srv.dbo.TABLA", "dbo.TABLA", "dbo.TABLA"},
        {"AddBrackets blank", byValue(DB_Dll::AddBrackets), "MI TABLA", "[MI TABLA]", "MI TABLA"},
        {"AddBrackets bracketed", byValue(DB_Dll::AddBrackets), "[MI TABLA]", "[MI TABLA]", "[MI TABLA]"},
        {"AddBrackets plain", byValue(DB_Dll::AddBrackets), "TABLA", "TABLA", "TABLA"},
        {"StripConnect", byValue(DB_Dll::StripConnect), "TABLA -> Conexion", "TABLA", "TABLA -> Conexion"},
        {"StripConnect none", byValue(DB_Dll::StripConnect), "TABLA", "TABLA", "TABLA"},
        {"StripConnect second", byValue(DB_Dll::StripConnect), " ->X", "", " ->X"},
        {"StripConnect first", byValue(DB_Dll::StripConnect), "->X", "", "->X", true},
        {"StripBrackets", byValue(DB_Dll::StripBrackets), "[MI TABLA]", "MI TABLA", "[MI TABLA]"},
        {"StripBrackets unclosed", byValue(DB_Dll::StripBrackets), "[MI TABLA", "MI TABL", "[MI TABLA"},
        {"StripBrackets empty", byValue(DB_Dll::StripBrackets), "[]", "", "[]"},
        {"StripBrackets none", byValue(DB_Dll::StripBrackets), "TABLA", "TABLA", "TABLA"},
        {"StripBrackets lone", byValue(DB_Dll::StripBrackets), "[", "", "[", true},
        {"StripOwner", stripOwner, "dbo.TABLA", "TABLA", "TABLA"},
        {"StripOwner none", stripOwner, "TABLA", "TABLA", "TABLA"},
        {"StripFileName", byValue(DB_Dll::StripFileName), "C:\\dir\\sub\\file.txt", "C:\\dir\\sub",
         "C:\\dir\\sub\\file.txt"},
        {"StripFileName slash", byValue(DB_Dll::StripFileName), "/home/u/demo.db", "/home/u", "/home/u/demo.db"},
        {"StripFileName none", byValue(DB_Dll::StripFileName), "file.txt", "", "file.txt"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::string name = c.input;
        if (c.invalidCall) {
            try {
                c.helper(name);
                ADD_FAILURE() << "no error raised";
            } catch (const vb::Error& e) {
                EXPECT_EQ(e.Number(), vb::kErrInvalidCall);
            }
        } else {
            EXPECT_EQ(c.helper(name), c.expected);
        }
        EXPECT_EQ(name, c.inputAfter);
    }
}

}  // namespace
}  // namespace foundation::testing
