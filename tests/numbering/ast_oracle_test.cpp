// The numbering on an Oracle connection: its statements go through the same rewriting as
// every other statement, the compare-and-set still counts its own rows, and a batch whose
// counter statement changed no row fails whole. The connection speaks Oracle over the schema
// database: each statement is recorded as the server would receive it, and run with its
// TO_DATE calls read back as the literals they convert.
#include <functional>
#include <memory>
#include <regex>
#include <string>
#include <vector>

#include "ast_fixture.h"
#include "numbering/ast.h"
#include "schema_db.h"
#include "vb/datetime.h"

namespace numbering::testing {
namespace {

class OracleSobreSqlite final : public adodb::Engine {
public:
    explicit OracleSobreSqlite(adodb::Connection& sqlite) : sqlite_(sqlite) {}

    std::vector<std::string> ejecutadas;
    std::function<void(const std::string&)> antes;  // sees each row-changing statement before it runs

    adodb::Dialect GetDialect() const override { return adodb::Dialect::Oracle; }
    long Execute(const std::string& sql) override {
        ejecutadas.push_back(sql);
        if (antes) antes(sql);
        return sqlite_.Execute(SinToDate(sql));
    }
    adodb::ResultSet Query(const std::string& sql) override { return sqlite_.Query(SinToDate(sql)); }
    void BeginTrans() override { sqlite_.BeginTrans(); }
    void CommitTrans() override { sqlite_.CommitTrans(); }
    void RollbackTrans() override { sqlite_.RollbackTrans(); }
    bool InTransaction() const override { return sqlite_.InTransaction(); }
    adodb::ResultSet OpenSchema(int, const std::vector<vb::Variant>&) override {
        throw vb::Error(3251, "Object or provider is not capable of performing requested operation.");
    }
    void SetCommandTimeout(long) override {}

private:
    static std::string SinToDate(const std::string& sql) {
        static const std::regex kToDate(R"(TO_DATE\(('[^']*'),\s*'[^']*'\))", std::regex::icase);
        return std::regex_replace(sql, kToDate, "$1");
    }
    adodb::Connection& sqlite_;
};

class NumeracionOracleTest : public AstDbTest {
protected:
    NumeracionOracleTest() {
        testsupport::OpenSchemaDatabase(sqlite_, nullptr);
        auto motor = std::make_unique<OracleSobreSqlite>(sqlite_);
        oracle_ = motor.get();
        db_.gCnn.Attach(std::move(motor), "Provider=OraOLEDB.Oracle.1;Data Source=ORCL");
        Agrega({.codigo = "PE", .ultimo = 125, .desde = 1, .hasta = 99999, .sistema = "STOCK"});
        vb::SetClock([] { return vb::Date::FromParts(2024, 5, 6, 10, 20, 30); });
    }
    ~NumeracionOracleTest() override { db_.gCnn.Close(); }

    std::string Contador() { return Valor("SELECT X_ULTIMO_NRO FROM V_TA_CPTE WHERE CODIGO = 'PE'"); }
    // The UPDATEs of the range table the server received.
    std::vector<std::string> Avances() {
        std::vector<std::string> avances;
        for (const std::string& sql : oracle_->ejecutadas) {
            if (sql.find("UPDATE V_TA_CPTE") != std::string::npos) avances.push_back(sql);
        }
        oracle_->ejecutadas.clear();
        return avances;
    }
    // Another station moves the counter just before the next UPDATE of the range runs.
    void OtraEstacionAntesDelAvance() {
        oracle_->antes = [this](const std::string& sql) {
            if (sql.find("UPDATE V_TA_CPTE") == std::string::npos) return;
            oracle_->antes = nullptr;
            sqlite_.Execute("UPDATE V_TA_CPTE SET X_ULTIMO_NRO = 500 WHERE CODIGO = 'PE'");
        };
    }

    adodb::Connection sqlite_;
    OracleSobreSqlite* oracle_ = nullptr;
};

TEST_F(NumeracionOracleTest, ImmediateRecordingIsRewrittenAndCountsItsRows) {
    std::string letra = "X";
    std::string sentencia;
    EXPECT_TRUE(RegistraNumeroComprobante("PE", "STOCK", "0001", "126", letra, false, sentencia, false));
    std::vector<std::string> avances = Avances();
    ASSERT_EQ(avances.size(), 1u);
    EXPECT_NE(avances[0].find("fechahora_modificacion = TO_DATE("), std::string::npos) << avances[0];
    EXPECT_EQ(avances[0].find("'06/05/24 10:20'"), std::string::npos) << avances[0];
    EXPECT_EQ(Contador(), "126");
    EXPECT_EQ(Valor("SELECT '' || fechahora_modificacion FROM V_TA_CPTE"), "2024-05-06 10:20:00");

    // Overtaken between its read and its write, it changes no row and says so.
    OtraEstacionAntesDelAvance();
    operator_.AnswerMsgBox(ui::vbOK);
    EXPECT_FALSE(RegistraNumeroComprobante("PE", "STOCK", "0001", "127", letra, false, sentencia, false));
    ASSERT_EQ(operator_.Shown().size(), 1u);
    EXPECT_NE(operator_.Shown()[0].prompt.find("ya había llegado al número 00000126"), std::string::npos);
    EXPECT_EQ(Contador(), "500");
}

TEST_F(NumeracionOracleTest, TakenNumbersAreRecordedThroughTheRewriting) {
    std::string sucursal = "0001";
    std::string letra = "X";
    EXPECT_EQ(AsignarNumeroComprobante("PE", sucursal, letra), "000100000125X");
    std::vector<std::string> avances = Avances();
    ASSERT_EQ(avances.size(), 1u);
    EXPECT_NE(avances[0].find("TO_DATE("), std::string::npos) << avances[0];
    EXPECT_EQ(Contador(), "126");
    EXPECT_TRUE(operator_.Shown().empty());
}

// The script runs statement by statement: the check after the counter's UPDATE fails the
// script when the UPDATE changed no row, and the document's rows go with it.
TEST_F(NumeracionOracleTest, ABatchWhoseNumberWasTakenMeanwhileFailsWhole) {
    for (const bool otraEstacion : {false, true}) {
        SCOPED_TRACE(otraEstacion ? "overtaken" : "alone");
        Run("UPDATE V_TA_CPTE SET X_ULTIMO_NRO = 125");
        Run("DELETE FROM V_MV_STOCK");
        std::string letra = "X";
        std::string sentencia;
        ASSERT_TRUE(RegistraNumeroComprobante("PE", "STOCK", "0001", "126", letra, true, sentencia, false));
        std::string lote = "INSERT INTO V_MV_STOCK (TC, IDCOMPROBANTE) VALUES ('PE', '000100000125X')\r" + sentencia;
        if (otraEstacion) {
            Run("UPDATE V_TA_CPTE SET X_ULTIMO_NRO = 500 WHERE CODIGO = 'PE'");
            operator_.AnswerMsgBox(ui::vbOK);
        }
        oracle_->ejecutadas.clear();
        EXPECT_EQ(db_.EjecutaConsultaSQL(lote), !otraEstacion);
        EXPECT_EQ(Contador(), otraEstacion ? "500" : "126");
        EXPECT_EQ(Valor("SELECT COUNT(*) FROM V_MV_STOCK"), otraEstacion ? "0" : "1");
        if (otraEstacion) {
            ASSERT_EQ(operator_.Shown().size(), 1u);
            EXPECT_EQ(operator_.Shown()[0].prompt,
                      "Otra estación tomó el número 00000125 del comprobante PE (sucursal 0001, letra X) antes de "
                      "que se grabara este comprobante: no se grabó");
        }
        // The check never reaches the server as a statement of its own.
        for (const std::string& sql : oracle_->ejecutadas) EXPECT_EQ(sql.find("RAISERROR"), std::string::npos) << sql;
        oracle_->ejecutadas.clear();
    }
}

}  // namespace
}  // namespace numbering::testing
