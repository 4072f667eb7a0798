// Recording a used document number.
#include "ast_fixture.h"
#include "db/transaction.h"
#include "numbering/ast.h"
#include "vb/datetime.h"

namespace numbering::testing {
namespace {

std::string Control(const std::string& tc, const std::string& numero) {
    return "\r\n INSERT INTO V_MV_CTROL_CPTE (TC,SUCURSAL,NUMERO,LETRA) VALUES ('" + tc + "','0001','" + numero +
           "','X')\r\n";
}
std::string Update(const std::string& tc, const std::string& numero, const std::string& talonario = "TALONARIO=1") {
    return " UPDATE V_TA_CPTE SET X_ULTIMO_NRO = " + numero + " WHERE CODIGO = '" + tc + "' AND " + talonario;
}

class RegistraNumeroTest : public AstDbTest {
protected:
    RegistraNumeroTest() {
        Agrega({.codigo = "PE", .ultimo = 125, .desde = 1, .hasta = 99999, .sistema = "STOCK"});
        Agrega({.codigo = "CT", .ultimo = 10, .desde = 1, .hasta = 100, .sistema = "contable"});
        Agrega({.codigo = "OC", .ultimo = 10, .desde = 1, .hasta = 100});
        Agrega({.codigo = "NU", .desde = 1, .hasta = 100});
        Agrega({.codigo = "EX", .desde = 1, .hasta = 10, .externo = 1});
        Agrega({.codigo = "NE", .desde = 1, .hasta = 10});
        Agrega({.codigo = "TB", .desde = 1, .hasta = 10});
        Agrega({.codigo = "TB", .talonario = 7, .ultimo = 200, .sistema = "STOCK"}, "TA_Comprobantes");
    }
};

struct CasoRegistra {
    const char* nombre;
    std::string tc, sucursal, numero, letra;
    bool registraControl;
    int talonarioPrevio;
    std::string sentenciaPrevia;
    std::string sentencia;
};

class RegistraSoloSqlTest : public RegistraNumeroTest, public ::testing::WithParamInterface<CasoRegistra> {};

TEST_P(RegistraSoloSqlTest, Case) {
    const CasoRegistra& c = GetParam();
    TalonarioActual = c.talonarioPrevio;
    std::string letra = c.letra;
    std::string sentencia = c.sentenciaPrevia;
    const std::string antes = Valor("SELECT group_concat(X_ULTIMO_NRO) FROM V_TA_CPTE");
    EXPECT_TRUE(RegistraNumeroComprobante(c.tc, "STOCK", c.sucursal, c.numero, letra, true, sentencia,
                                          c.registraControl));
    EXPECT_EQ(sentencia, c.sentencia);
    EXPECT_EQ(letra, "X");
    EXPECT_TRUE(operator_.Shown().empty());
    // The statement mode only builds text.
    EXPECT_EQ(Valor("SELECT group_concat(X_ULTIMO_NRO) FROM V_TA_CPTE"), antes);
    EXPECT_EQ(Valor("SELECT COUNT(*) FROM V_MV_CTROL_CPTE"), "0");
}

INSTANTIATE_TEST_SUITE_P(
    Casos, RegistraSoloSqlTest,
    ::testing::Values(
        CasoRegistra{"Avanza", "PE", "0001", "126", "X", false, 0, "", Update("PE  ", "126")},
        CasoRegistra{"IgualNoAvanza", "PE", "0001", "125", "X", false, 0, "previa", "previa"},
        CasoRegistra{"MenorNoAvanza", "PE", "0001", "100", "X", false, 0, "", ""},
        CasoRegistra{"ControlForzado", "PE", "0001", "126", "X", true, 0, "",
                     Update("PE  ", "126") + Control("PE  ", "00000125")},
        CasoRegistra{"ContableSinAvanceSoloControl", "CT", "0001", "5", "X", false, 0, "",
                     Control("CT  ", "00000004")},
        CasoRegistra{"ContableConAvance", "CT", "0001", "11", "X", false, 0, "",
                     Update("CT  ", "11") + Control("CT  ", "00000010")},
        CasoRegistra{"TipoOC", "OC", "0001", "11", "X", false, 0, "",
                     Update("OC  ", "11") + Control("OC  ", "00000010")},
        CasoRegistra{"OtraSucursalNoRegistra", "PE", "0002", "126", "X", true, 1, "previa", "previa"},
        CasoRegistra{"SucursalNumerica", "PE", "1", "126", "X", true, 0, "",
                     Update("PE  ", "126") + Control("PE  ", "00000125")},
        CasoRegistra{"UltimoNuloAvanza", "NU", "0001", "5", "X", false, 0, "", Update("NU  ", "5")},
        CasoRegistra{"LetraVaciaEsX", "PE", "0001", "126", "", false, 0, "", Update("PE  ", "126")},
        CasoRegistra{"SinRangoNumeradoExternoVacia", "EX", "0001", "50", "X", false, 9, "previa", ""},
        CasoRegistra{"SinRangoNumeradoNoExternoDeja", "NE", "0001", "50", "X", false, 9, "previa", "previa"},
        CasoRegistra{"RangoDeTaComprobantes", "TB", "0001", "300", "X", false, 7, "",
                     Update("TB  ", "300", "TALONARIO =7")},
        CasoRegistra{"RangoDeTaComprobantesNoRetrocede", "TB", "0001", "150", "X", false, 7, "", ""}),
    [](const ::testing::TestParamInfo<CasoRegistra>& info) { return std::string(info.param.nombre); });

TEST_F(RegistraNumeroTest, TypeWithoutRangesIsReportedAndNothingRecorded) {
    operator_.AnswerMsgBox(ui::vbOK);
    std::string letra = "X";
    std::string sentencia = "previa";
    EXPECT_FALSE(RegistraNumeroComprobante("ZZ", "STOCK", "0001", "5", letra, true, sentencia, true));
    EXPECT_EQ(sentencia, "previa");
    ASSERT_EQ(operator_.Shown().size(), 1u);
    EXPECT_EQ(operator_.Shown()[0].title, "ATENCION");
    EXPECT_EQ(operator_.Shown()[0].prompt,
              "Error en grabación del Comprobante, no se ha encontrado el comprobante configurado");
    EXPECT_EQ(operator_.Shown()[0].style, ui::vbCritical);
}

TEST_F(RegistraNumeroTest, NumberThatIsNotDigitsNeverReachesTheStatement) {
    for (const std::string numero : {"126 OR 1=1", "", "12a", "-5"}) {
        operator_.AnswerMsgBox(ui::vbOK);
        std::string letra = "X";
        std::string sentencia;
        EXPECT_FALSE(RegistraNumeroComprobante("PE", "STOCK", "0001", numero, letra, true, sentencia, true)) << numero;
        EXPECT_EQ(sentencia, "") << numero;
        EXPECT_EQ(Cuenta("V_TA_CPTE"), 0) << numero;
    }
    ASSERT_EQ(operator_.Shown().size(), 4u);
    EXPECT_NE(operator_.Shown()[0].title.find("ConsultaComprobante"), std::string::npos);
}

TEST_F(RegistraNumeroTest, ImmediateModeAdvancesTheRowWithItsTimeAndNoControlRow) {
    vb::SetClock([] { return vb::Date::FromParts(2024, 5, 6, 10, 20, 30); });
    std::string letra = "X";
    std::string sentencia = "previa";
    EXPECT_TRUE(RegistraNumeroComprobante("PE", "STOCK", "0001", "126", letra, false, sentencia, true));
    EXPECT_EQ(sentencia, "previa");
    EXPECT_EQ(Valor("SELECT X_ULTIMO_NRO FROM V_TA_CPTE WHERE CODIGO = 'PE'"), "126");
    // Stored as ISO date text, to the minute.
    EXPECT_EQ(Valor("SELECT '' || fechahora_modificacion FROM V_TA_CPTE WHERE CODIGO = 'PE'"), "2024-05-06 10:20:00");
    EXPECT_EQ(Valor("SELECT COUNT(*) FROM V_MV_CTROL_CPTE"), "0");

    // Never back, never the same value again.
    for (const std::string numero : {"126", "50"}) {
        EXPECT_TRUE(RegistraNumeroComprobante("PE", "STOCK", "0001", numero, letra, false, sentencia, false));
        EXPECT_EQ(Cuenta("UPDATE"), 0) << numero;
    }
    EXPECT_EQ(Valor("SELECT X_ULTIMO_NRO FROM V_TA_CPTE WHERE CODIGO = 'PE'"), "126");
    EXPECT_TRUE(operator_.Shown().empty());
}

TEST_F(RegistraNumeroTest, ImmediateModeOnTheFallbackRangeNeverGoesBack) {
    TalonarioActual = 7;
    std::string letra = "X";
    std::string sentencia;
    EXPECT_TRUE(RegistraNumeroComprobante("TB", "STOCK", "0001", "150", letra, false, sentencia, false));
    EXPECT_EQ(Valor("SELECT X_ULTIMO_NRO FROM TA_Comprobantes"), "200");
    EXPECT_TRUE(RegistraNumeroComprobante("TB", "STOCK", "0001", "300", letra, false, sentencia, false));
    EXPECT_EQ(Valor("SELECT X_ULTIMO_NRO FROM TA_Comprobantes"), "300");
    EXPECT_NE(Valor("SELECT fechahora_modificacion FROM TA_Comprobantes"), "");
}

// The stock posting's road: number, store, record, all in one transaction.
TEST_F(RegistraNumeroTest, NumberAndRecordingInsideTheCallersTransaction) {
    {
        adodb::DbTransaction tx(db_.gCnn);
        std::string sucursal = "0001";
        std::string letra = "X";
        const std::string id = AsignarNumeroComprobante("PE", sucursal, letra);
        ASSERT_EQ(id, "000100000125X");
        Run("INSERT INTO V_MV_STOCK (TC, IDCOMPROBANTE) VALUES ('PE', '" + id + "')");
        std::string sentencia;
        ASSERT_TRUE(RegistraNumeroComprobante("PE", "STOCK", id.substr(0, 4), "126", letra, true, sentencia, false));
        ASSERT_TRUE(db_.EjecutaConsultaSQL(sentencia));
        tx.Commit();
    }
    EXPECT_EQ(Valor("SELECT X_ULTIMO_NRO FROM V_TA_CPTE WHERE CODIGO = 'PE'"), "126");
    std::string sucursal = "0001";
    std::string letra = "X";
    EXPECT_EQ(AsignarNumeroComprobante("PE", sucursal, letra), "000100000126X");

    // A rolled-back posting leaves the counter where it was.
    {
        adodb::DbTransaction tx(db_.gCnn);
        std::string sentencia;
        ASSERT_TRUE(RegistraNumeroComprobante("PE", "STOCK", "0001", "127", letra, true, sentencia, false));
        ASSERT_TRUE(db_.EjecutaConsultaSQL(sentencia));
    }
    EXPECT_EQ(Valor("SELECT X_ULTIMO_NRO FROM V_TA_CPTE WHERE CODIGO = 'PE'"), "126");
    EXPECT_TRUE(operator_.Shown().empty());
}

}  // namespace
}  // namespace numbering::testing
