// The Oracle rewriting of DB_Dll and its script runner, against an engine
// that records what reaches it.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "db/adodb.h"
#include "foundation/db_dll.h"
#include "support.h"
#include "ui/msgbox.h"
#include "vb/error.h"

namespace {

using adodb::Dialect;

// Records transaction commands and statements; each statement affects
// `rows` rows, and the statement number `failOn` (1-based) fails.
class RecordingEngine final : public adodb::Engine {
public:
    explicit RecordingEngine(Dialect dialect) : dialect_(dialect) {}

    std::vector<std::string> calls;
    long rows = 1;
    int failOn = 0;

    Dialect GetDialect() const override { return dialect_; }
    long Execute(const std::string& sql) override {
        calls.push_back(sql);
        if (++executed_ == failOn) throw vb::Error(adodb::kErrFail, "statement failed");
        return rows;
    }
    long ExecuteBound(const std::string& sql, const std::vector<vb::Variant>& values) override {
        std::string call = sql + " --";
        for (const vb::Variant& v : values) call += " " + vb::TextOf(v);
        return Execute(call);
    }
    adodb::ResultSet Query(const std::string& sql) override {
        calls.push_back("QUERY " + sql);
        return {};
    }
    void BeginTrans() override {
        calls.push_back("BeginTrans");
        inTransaction_ = true;
    }
    void CommitTrans() override {
        calls.push_back("CommitTrans");
        inTransaction_ = false;
    }
    void RollbackTrans() override {
        calls.push_back("RollbackTrans");
        inTransaction_ = false;
    }
    bool InTransaction() const override { return inTransaction_; }
    adodb::ResultSet OpenSchema(int, const std::vector<vb::Variant>&) override { return {}; }
    void SetCommandTimeout(long) override {}

private:
    Dialect dialect_;
    int executed_ = 0;
    bool inTransaction_ = false;
};

class OracleTest : public ::testing::Test {
protected:
    explicit OracleTest(Dialect dialect = Dialect::Oracle,
                        std::string connectionString = "Provider=OraOLEDB.Oracle.1;Data Source=ORCL;") {
        AttachEngine(dialect, connectionString);
        db_.gConnString = connectionString;
        db_.gOpenFlag = true;
        db_.gLogErr = home_.File("TSERR.LOG");
    }

    // A fresh recording engine on the connection.
    void AttachEngine(Dialect dialect, const std::string& connectionString) {
        auto engine = std::make_unique<RecordingEngine>(dialect);
        engine_ = engine.get();
        db_.gCnn.Attach(std::move(engine), connectionString);
    }

    testsupport::TempDir home_;
    testsupport::ScopedEnv homeEnv_{"TARVOLIN_HOME", home_.Path().string()};
    ui::ScriptedOperator operator_;
    foundation::DB_Dll db_;
    RecordingEngine* engine_ = nullptr;
};

struct Rewrite {
    const char* input;
    const char* expected;
};

// The grid's page query, nested TOPs with ORDER BY in both sub-selects.
constexpr const char* kPageQuery =
    "SELECT  [TC], [IDCOMPROBANTE] as [NUMERO], CONVERT(NVARCHAR,[FECHA],103) AS [FECHA], ID  "
    "FROM (SELECT TOP 10 *  FROM V_MV_CPTE WHERE ID NOT IN (SELECT TOP 10 ID FROM V_MV_CPTE "
    "WHERE [BLOQUEADA] = 1 AND TC = 'NP'   ORDER BY [TC] ASC  )  and [BLOQUEADA] = 1 AND TC = "
    "'NP'   ORDER BY [TC] ASC  ) AS Paginacion WHERE [BLOQUEADA] = 1 AND TC = 'NP'   ORDER BY "
    "[TC] ASC  ";
constexpr const char* kPageQueryOracle =
    R"sql(SELECT  "TC", "IDCOMPROBANTE" as "NUMERO", TO_CHAR("FECHA",'DD/MM/YYYY') AS "FECHA", ID  )sql"
    R"sql(FROM (SELECT * FROM (SELECT *  FROM V_MV_CPTE WHERE ID NOT IN (SELECT * FROM (SELECT ID )sql"
    R"sql(FROM V_MV_CPTE WHERE "BLOQUEADA" = 1 AND TC = 'NP'   ORDER BY "TC" ASC) WHERE ROWNUM <= 10  ))sql"
    R"sql(  and "BLOQUEADA" = 1 AND TC = 'NP'   ORDER BY "TC" ASC) WHERE ROWNUM <= 10  ) AS Paginacion )sql"
    R"sql(WHERE "BLOQUEADA" = 1 AND TC = 'NP'   ORDER BY "TC" ASC  )sql";

const std::vector<Rewrite> kRewrites = {
    // One word: only LEN is rewritten.
    {"len", "LENGTH"},
    {"Len", "LENGTH"},
    {"CODIGO", "CODIGO"},
    {"[CODIGO]", "[CODIGO]"},
    // LEN needs a blank before it.
    {"SELECT LEN(A) FROM T", "SELECT LENGTH(A) FROM T"},
    {"SELECT len    (A) FROM T", "SELECT LENGTH(A) FROM T"},
    {"LEN(A) AS L FROM T", "LEN(A) AS L FROM T"},
    // TOP without ORDER BY or GROUP BY: the limit in the same SELECT.
    {"SELECT TOP 5 * FROM T", "SELECT * FROM T WHERE ROWNUM <= 5"},
    {"SELECT TOP 1 * FROM T WHERE A = 1 OR B = 2 ", "SELECT * FROM T WHERE (A = 1 OR B = 2) AND ROWNUM <= 1 "},
    {"SELECT DISTINCT TOP (2) A FROM T", "SELECT DISTINCT A FROM T WHERE ROWNUM <= 2"},
    {"SELECT TOP 5 A FROM (SELECT B AS A FROM U WHERE C = 1) X",
     "SELECT A FROM (SELECT B AS A FROM U WHERE C = 1) X WHERE ROWNUM <= 5"},
    // TOP with ORDER BY or GROUP BY: the limit applies after sorting.
    {"SELECT TOP 10 A FROM T WHERE B = 1 ORDER BY A",
     "SELECT * FROM (SELECT A FROM T WHERE B = 1 ORDER BY A) WHERE ROWNUM <= 10"},
    {"select top 3 A, COUNT(*) AS N from T group by A",
     "SELECT * FROM (select A, COUNT(*) AS N from T group by A) WHERE ROWNUM <= 3"},
    // Nested TOPs, each in its own SELECT.
    {"SELECT A FROM T WHERE ID NOT IN (SELECT TOP 0 ID FROM T ORDER BY ID) ORDER BY A",
     "SELECT A FROM T WHERE ID NOT IN (SELECT * FROM (SELECT ID FROM T ORDER BY ID) WHERE ROWNUM <= 0) "
     "ORDER BY A"},
    {kPageQuery, kPageQueryOracle},
    // "top" inside names is no TOP.
    {"SELECT A FROM LAPTOP WHERE STOP = 1", "SELECT A FROM LAPTOP WHERE STOP = 1"},
    // Brackets.
    {"SELECT [A B] FROM [T] WHERE X LIKE '[a-z]%'", R"(SELECT "A B" FROM "T" WHERE X LIKE '[a-z]%')"},
    // Day-first date literals.
    {"SELECT * FROM T WHERE F >= '1/2/2023' AND G < '2023-03-05'",
     "SELECT * FROM T WHERE F >= TO_DATE('01/02/2023','DD/MM/YYYY') AND G < "
     "TO_DATE('05/03/2023','DD/MM/YYYY')"},
    {"SELECT * FROM T WHERE F = TO_DATE('01/02/2023','DD/MM/YYYY')",
     "SELECT * FROM T WHERE F = TO_DATE('01/02/2023','DD/MM/YYYY')"},
    {"SELECT * FROM T WHERE F = TO_DATE('2023-02-01','YYYY-MM-DD')",
     "SELECT * FROM T WHERE F = TO_DATE('2023-02-01','YYYY-MM-DD')"},
    {"SELECT * FROM T WHERE F < '25/12/2023 10:30'",
     "SELECT * FROM T WHERE F < TO_DATE('25/12/2023 10:30:00','DD/MM/YYYY HH24:MI:SS')"},
    {"SELECT * FROM T WHERE H = '10:30' AND C = '31/02/2023' AND D = 'NP'",
     "SELECT * FROM T WHERE H = '10:30' AND C = '31/02/2023' AND D = 'NP'"},
    // CHARINDEX(a, b) searches a in b; Oracle's InStr takes b first.
    {"SELECT CHARINDEX('-', CODIGO) FROM T", "SELECT InStr(CODIGO, '-') FROM T"},
    {"SELECT CHARINDEX(',', A, 3) FROM T", "SELECT InStr(A, ',', 3) FROM T"},
    {"SELECT SUBSTRING(A, 1, CHARINDEX(' ', A) - 1) FROM T", "SELECT SUBSTR(A, 1, InStr(A, ' ') - 1) FROM T"},
    // CONVERT and style 103.
    {"SELECT CONVERT(NVARCHAR,FECHA,103) FROM T", "SELECT TO_CHAR(FECHA,'DD/MM/YYYY') FROM T"},
    {"SELECT CONVERT(NVARCHAR, FECHA, 103) FROM T", "SELECT TO_CHAR( FECHA, 'DD/MM/YYYY') FROM T"},
    {"SELECT CONVERT(VARCHAR,FECHA,103) FROM T", "SELECT CONVERT(VARCHAR,FECHA,103) FROM T"},
    {"SELECT CONVERT(NVARCHAR,103) FROM T", "SELECT TO_CHAR(103) FROM T"},
    {"SELECT CONVERT(INT,CODIGO) FROM T", "SELECT TO_NUMBER(CODIGO) FROM T"},
    // Comparisons with the empty text, from the first WHERE on.
    {"SELECT * FROM T WHERE A = '' AND B=''", "SELECT * FROM T WHERE A  IS NULL  AND B IS NULL "},
    {"UPDATE T SET A = '' WHERE B = ''", "UPDATE T SET A = '' WHERE B  IS NULL "},
    // SUBSTRING and ISNULL.
    {"SELECT SUBSTRING(A,1,2), ISNULL(B,0), isnull(C,'') FROM T",
     "SELECT SUBSTR(A,1,2), NVL(B,0), NVL(C,'') FROM T"},
    // Nothing inside a literal changes.
    {"INSERT INTO T (A) VALUES ('SELECT TOP 5 [X], LEN (A), CHARINDEX(a,b), ISNULL(c), "
     "SUBSTRING(d), CONVERT(INT,e)')",
     "INSERT INTO T (A) VALUES ('SELECT TOP 5 [X], LEN (A), CHARINDEX(a,b), ISNULL(c), "
     "SUBSTRING(d), CONVERT(INT,e)')"},
    {"SELECT * FROM T WHERE A = 'x= ''''' AND B = 'it''s [1/2/2023]'",
     "SELECT * FROM T WHERE A = 'x= ''''' AND B = 'it''s [1/2/2023]'"},
};

TEST_F(OracleTest, RewritesSqlServerTextForOracle) {
    for (const Rewrite& r : kRewrites) {
        SCOPED_TRACE(r.input);
        EXPECT_EQ(db_.ORACLE_Dicc(r.input), r.expected);
    }
}

TEST_F(OracleTest, TextTheRulesCannotTakeApartIsAnInvalidCall) {
    for (const char* sql : {"SELECT TOP * FROM T", "SELECT TOP X A FROM T", "SELECT TOP -1 A FROM T",
                            "SELECT * FROM T WHERE A = 'x", "SELECT * FROM T WHERE A = 'it''s"}) {
        SCOPED_TRACE(sql);
        try {
            db_.ORACLE_Dicc(sql);
            ADD_FAILURE() << "no error";
        } catch (const vb::InvalidCall& e) {
            EXPECT_EQ(e.Number(), vb::kErrInvalidCall);
            EXPECT_FALSE(e.Description().empty());
        }
    }
}

// The dialect decided when the connection opened rules, not the connection string.
class OtherDialectTest : public OracleTest, public ::testing::WithParamInterface<Dialect> {
protected:
    OtherDialectTest() : OracleTest(GetParam(), "Provider=OraOLEDB.Oracle.1;Data Source=ORCL;") {}
};

TEST_P(OtherDialectTest, LeavesEveryTextUnchanged) {
    for (const Rewrite& r : kRewrites) {
        SCOPED_TRACE(r.input);
        EXPECT_EQ(db_.ORACLE_Dicc(r.input), r.input);
    }
}

INSTANTIATE_TEST_SUITE_P(Dialects, OtherDialectTest,
                         ::testing::Values(Dialect::SqlServer, Dialect::Sqlite),
                         [](const ::testing::TestParamInfo<Dialect>& info) {
                             return info.param == Dialect::SqlServer ? "SqlServer" : "Sqlite";
                         });

class OracleWithoutOracleInStringTest : public OracleTest {
protected:
    OracleWithoutOracleInStringTest() : OracleTest(Dialect::Oracle, "DSN=ventas;UID=u;") {}
};

TEST_F(OracleWithoutOracleInStringTest, StillRewrites) {
    EXPECT_EQ(db_.ORACLE_Dicc("SELECT TOP 5 * FROM T"), "SELECT * FROM T WHERE ROWNUM <= 5");
}

// ---- The script runner, through EjecutaConsultaSQL -------------------------

struct Script {
    const char* name;
    const char* script;
    std::vector<std::string> calls;
    long rows;  // RecordsAffected with 2 rows a statement
};

const std::vector<Script> kScripts = {
    {"begin trans first", "BEGIN TRANS\r\nINSERT INTO T VALUES (1)",
     {"BeginTrans", "INSERT INTO T VALUES (1)"}, 2},
    {"the usual transaction",
     "BEGIN TRANSACTION\r\nINSERT INTO T (A) VALUES ('x')\r\nUPDATE T SET A = 'y' WHERE B = 1\r\n"
     "COMMIT TRANSACTION",
     {"BeginTrans", "INSERT INTO T (A) VALUES ('x')", "UPDATE T SET A = 'y' WHERE B = 1", "CommitTrans"},
     4},
    {"line feeds alone", "begin transaction\nINSERT INTO T VALUES (1)\ncommit transaction\n",
     {"BeginTrans", "INSERT INTO T VALUES (1)", "CommitTrans"}, 2},
    {"SET NOCOUNT and IF NOT EXISTS dropped, GO lines",
     "SET NOCOUNT ON\r\nIF NOT EXISTS (SELECT * FROM SYSOBJECTS WHERE NAME = 'T')\r\n"
     "CREATE TABLE T (A INT)\r\nGO\r\nGRANT SELECT ON T TO PUBLIC\r\nGO",
     {"BeginTrans", "CREATE TABLE T (A INT)", "GRANT SELECT ON T TO PUBLIC", "CommitTrans"}, 4},
    {"IF EXISTS sent", "IF EXISTS (SELECT * FROM T WHERE A = 1) DELETE FROM T WHERE A = 1",
     {"BeginTrans", "IF EXISTS (SELECT * FROM T WHERE A = 1)", "DELETE FROM T WHERE A = 1", "CommitTrans"},
     4},
    {"a lone SELECT runs nothing", "SELECT * FROM T", {}, 0},
    {"keywords and line breaks inside literals",
     "INSERT INTO LOG (TEXTO) VALUES ('DELETE FROM T;\r\nUPDATE X SET NOCOUNT ON GO ')",
     {"INSERT INTO LOG (TEXTO) VALUES ('DELETE FROM T;\r\nUPDATE X SET NOCOUNT ON GO ')"}, 2},
    {"keywords inside names", "UPDATE T SET FECHA_UPDATE = 1, [DROP INDEX] = 2",
     {R"(UPDATE T SET FECHA_UPDATE = 1, "DROP INDEX" = 2)"}, 2},
    {"each statement rewritten", "INSERT INTO T (A) SELECT TOP 1 [B] FROM U",
     {R"(INSERT INTO T (A) SELECT "B" FROM U WHERE ROWNUM <= 1)"}, 2},
};

TEST_F(OracleTest, RunsScriptsStatementByStatement) {
    for (const Script& s : kScripts) {
        SCOPED_TRACE(s.name);
        engine_->calls.clear();
        engine_->rows = 2;
        std::string sql = s.script;
        long rows = 0;
        EXPECT_TRUE(db_.EjecutaConsultaSQL(sql, rows));
        EXPECT_EQ(engine_->calls, s.calls);
        EXPECT_EQ(rows, s.rows);
        if (engine_->InTransaction()) db_.gCnn.RollbackTrans();
    }
}

TEST_F(OracleTest, AFailingStatementRollsBackTheScriptsTransactionAndStops) {
    struct Case {
        const char* script;
        std::vector<std::string> calls;
    };
    const std::vector<Case> cases = {
        {"BEGIN TRANSACTION\r\nINSERT INTO T VALUES (1)\r\nUPDATE T SET A = 2\r\nDELETE FROM U\r\n"
         "COMMIT TRANSACTION",
         {"BeginTrans", "INSERT INTO T VALUES (1)", "UPDATE T SET A = 2", "RollbackTrans"}},
        // Several statements without transaction commands run as one unit.
        {"INSERT INTO T VALUES (1)\r\nUPDATE T SET A = 2\r\nDELETE FROM U",
         {"BeginTrans", "INSERT INTO T VALUES (1)", "UPDATE T SET A = 2", "RollbackTrans"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.script);
        AttachEngine(Dialect::Oracle, db_.gConnString);
        engine_->failOn = 2;
        std::string sql = c.script;
        long rows = 0;
        EXPECT_FALSE(db_.EjecutaConsultaSQL(sql, rows));
        EXPECT_EQ(engine_->calls, c.calls);
        EXPECT_FALSE(engine_->InTransaction());
    }
    EXPECT_TRUE(operator_.Shown().empty());
}

// A statement with values to bind is rewritten for Oracle and run once with
// them, never taken apart as a script.
TEST_F(OracleTest, AStatementWithValuesIsRewrittenAndRunWithThem) {
    std::string sql = "UPDATE [V_MV_CPTE] SET [BLOQUEADA] = 0 WHERE ID = ? AND TC = ?";
    long rows = 0;
    EXPECT_TRUE(db_.EjecutaConsultaSQL(sql, {vb::Variant(7), vb::Variant("NP")}, rows));
    EXPECT_EQ(engine_->calls,
              std::vector<std::string>{R"(UPDATE "V_MV_CPTE" SET "BLOQUEADA" = 0 WHERE ID = ? AND TC = ? -- 7 NP)"});
    EXPECT_EQ(rows, 1);
}

TEST_F(OracleTest, AScriptWithAnUnterminatedLiteralRunsNothing) {
    operator_.AnswerMsgBox(ui::vbOK);
    std::string sql = "INSERT INTO T VALUES (1)\r\nINSERT INTO T VALUES ('x)";
    long rows = 0;
    EXPECT_FALSE(db_.EjecutaConsultaSQL(sql, rows));
    EXPECT_TRUE(engine_->calls.empty());
}

TEST_F(OracleTest, ClearsOnlyALoneNoResultNotice) {
    std::string select = "SELECT * FROM T";
    db_.gCnn.Errors().Add({265929, "no result", "", "", 0});
    EXPECT_TRUE(db_.EjecutaConsultaSQL(select));
    EXPECT_EQ(db_.gCnn.Errors().Count(), 0u);

    db_.gCnn.Errors().Add({265929, "no result", "", "", 0});
    db_.gCnn.Errors().Add({265929, "no result", "", "", 0});
    EXPECT_TRUE(db_.EjecutaConsultaSQL(select));
    EXPECT_EQ(db_.gCnn.Errors().Count(), 2u);
}

}  // namespace
