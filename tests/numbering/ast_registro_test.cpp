// Recording a used document number.
#include <cstdio>

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
// The number used, eight digits, of the number after it.
std::string Usado(const std::string& siguiente) {
    char usado[16];
    std::snprintf(usado, sizeof usado, "%08d", std::stoi(siguiente) - 1);
    return usado;
}
// What a batch that lost its number to another station fails with.
std::string Tomado(const std::string& tc, const std::string& usado) {
    return "Otra estación tomó el número " + usado + " del comprobante " + tc +
           " (sucursal 0001, letra X) antes de que se grabara este comprobante: no se grabó";
}
// The statement that moves a counter: only while it is below the number, and the batch fails
// when it changed no row.
std::string Update(const std::string& tc, const std::string& numero, const std::string& talonario = "1",
                   const std::string& tabla = "V_TA_CPTE", const std::string& condicion = "") {
    return " UPDATE " + tabla + " SET X_ULTIMO_NRO = " + numero + " WHERE CODIGO = '" + tc + "' AND TALONARIO=" +
           talonario + condicion + " AND (X_ULTIMO_NRO IS NULL OR X_ULTIMO_NRO < " + numero +
           ")\r\nIF @@ROWCOUNT = 0 RAISERROR('" + Tomado(tc.substr(0, tc.find(' ')), Usado(numero)) + "', 16, 1)";
}
std::string UpdateArea(const std::string& numero) {
    return Update("TB  ", numero, "7", "TA_Comprobantes", " AND SISTEMA = 'STOCK'");
}
std::string Alcanzado(const std::string& tc, const std::string& usado, const std::string& sucursal = "0001") {
    return "El talonario del comprobante " + tc + " (sucursal " + sucursal + ", letra X) ya había llegado al número " +
           usado + ": otra estación puede haberlo usado. No se registró";
}
std::string SinTalonario(const std::string& tc, const std::string& numero, const std::string& sucursal = "0001") {
    return "El número " + numero + " no corresponde a ningún talonario del comprobante " + tc + " (sucursal " +
           sucursal + ", letra X): no se registró";
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
        Agrega({.codigo = "TB", .talonario = 7, .ultimo = 200, .desde = 100, .hasta = 1000, .sistema = "STOCK"},
               "TA_Comprobantes");
        // A range free by Modificanumeracion before one that counts.
        Agrega({.codigo = "MN", .ultimo = 0, .desde = 0, .hasta = 0, .modifica = 1});
        Agrega({.codigo = "MN", .talonario = 2, .ultimo = 10, .desde = 1, .hasta = 100});
        // May change the numbering, but only its lower limit is 0: it counts.
        Agrega({.codigo = "M0", .ultimo = 10, .desde = 0, .hasta = 100, .modifica = 1});
    }
    bool Registra(const std::string& tc, const std::string& numero, bool soloSql, std::string& sentencia) {
        std::string letra = "X";
        return RegistraNumeroComprobante(tc, "STOCK", "0001", numero, letra, soloSql, sentencia, false);
    }
    std::string Contador(const std::string& tabla = "V_TA_CPTE", const std::string& tc = "PE") {
        return Valor("SELECT X_ULTIMO_NRO FROM " + tabla + " WHERE CODIGO = '" + tc + "'");
    }
    // The one box shown since the last call, as "<style>|<prompt>"; "" when none.
    std::string Aviso() {
        const std::vector<ui::RecordedBox> shown = operator_.Shown();
        operator_.ClearShown();
        if (shown.empty()) return "";
        EXPECT_EQ(shown.size(), 1u);
        EXPECT_NE(shown[0].title.find("ConsultaComprobante"), std::string::npos) << shown[0].title;
        return std::to_string(shown[0].style) + "|" + shown[0].prompt;
    }
};

struct CasoRegistra {
    const char* nombre;
    std::string tc, sucursal, numero, letra;
    bool registraControl;
    std::string sentenciaPrevia;
    bool registrado;
    std::string sentencia;
    std::string aviso{};  // what the operator is told; "" nothing
};

class RegistraSoloSqlTest : public RegistraNumeroTest, public ::testing::WithParamInterface<CasoRegistra> {};

TEST_P(RegistraSoloSqlTest, Case) {
    const CasoRegistra& c = GetParam();
    // A range an earlier call selected never decides where the number goes.
    TalonarioActual = 1;
    if (!c.aviso.empty()) operator_.AnswerMsgBox(ui::vbOK);
    std::string letra = c.letra;
    std::string sentencia = c.sentenciaPrevia;
    const std::string antes = Valor("SELECT group_concat(X_ULTIMO_NRO) FROM V_TA_CPTE") + Contador("TA_Comprobantes", "TB");
    EXPECT_EQ(RegistraNumeroComprobante(c.tc, "STOCK", c.sucursal, c.numero, letra, true, sentencia,
                                        c.registraControl),
              c.registrado);
    EXPECT_EQ(sentencia, c.sentencia);
    EXPECT_EQ(letra, "X");
    const std::string aviso = Aviso();
    if (c.aviso.empty()) {
        EXPECT_EQ(aviso, "");
    } else {
        EXPECT_NE(aviso.find(c.aviso), std::string::npos) << aviso;
        EXPECT_EQ(aviso.substr(0, aviso.find('|')), std::to_string(ui::vbOKOnly | ui::vbCritical));
    }
    // The statement mode only builds text.
    EXPECT_EQ(Valor("SELECT group_concat(X_ULTIMO_NRO) FROM V_TA_CPTE") + Contador("TA_Comprobantes", "TB"), antes);
    EXPECT_EQ(Valor("SELECT COUNT(*) FROM V_MV_CTROL_CPTE"), "0");
}

INSTANTIATE_TEST_SUITE_P(
    Casos, RegistraSoloSqlTest,
    ::testing::Values(
        CasoRegistra{"Avanza", "PE", "0001", "126", "X", false, "", true, Update("PE  ", "126")},
        CasoRegistra{"IgualYaAlcanzado", "PE", "0001", "125", "X", false, "previa", false, "previa",
                     Alcanzado("PE", "00000124")},
        CasoRegistra{"MenorYaAlcanzado", "PE", "0001", "100", "X", false, "", false, "", Alcanzado("PE", "00000099")},
        CasoRegistra{"ControlForzado", "PE", "0001", "126", "X", true, "", true,
                     Update("PE  ", "126") + Control("PE  ", "00000125")},
        CasoRegistra{"ContableAlcanzadoSoloControl", "CT", "0001", "5", "X", false, "", false,
                     Control("CT  ", "00000004"), Alcanzado("CT", "00000004")},
        CasoRegistra{"ContableConAvance", "CT", "0001", "11", "X", false, "", true,
                     Update("CT  ", "11") + Control("CT  ", "00000010")},
        CasoRegistra{"TipoOC", "OC", "0001", "11", "X", false, "", true,
                     Update("OC  ", "11") + Control("OC  ", "00000010")},
        CasoRegistra{"SucursalSinRangos", "PE", "0002", "126", "X", true, "previa", false, "previa",
                     SinTalonario("PE", "00000125", "0002")},
        CasoRegistra{"SucursalNumerica", "PE", "1", "126", "X", true, "", true,
                     Update("PE  ", "126") + Control("PE  ", "00000125")},
        CasoRegistra{"UltimoNuloAvanza", "NU", "0001", "5", "X", false, "", true, Update("NU  ", "5")},
        CasoRegistra{"LetraVaciaEsX", "PE", "0001", "126", "", false, "", true, Update("PE  ", "126")},
        CasoRegistra{"ExternoAvanzaDentroDeSuLimite", "EX", "0001", "5", "X", false, "", true, Update("EX  ", "5")},
        CasoRegistra{"ExternoNoPasaSuLimite", "EX", "0001", "50", "X", false, "previa", true, "previa"},
        CasoRegistra{"SucursalSinRangosDeTipoExternoVacia", "EX", "0002", "50", "X", false, "previa", true, ""},
        CasoRegistra{"FueraDeTodoRango", "NE", "0001", "50", "X", false, "previa", false, "previa",
                     SinTalonario("NE", "00000049")},
        CasoRegistra{"RangoDeTaComprobantes", "TB", "0001", "300", "X", false, "", true, UpdateArea("300")},
        CasoRegistra{"RangoDeTaComprobantesYaAlcanzado", "TB", "0001", "150", "X", false, "", false, "",
                     Alcanzado("TB", "00000149")},
        CasoRegistra{"LibrePorModificaNoCuenta", "MN", "0001", "51", "X", false, "previa", true, "previa"},
        CasoRegistra{"UnSoloLimiteEnCeroNoEsLibre", "M0", "0001", "501", "X", false, "previa", false, "previa",
                     SinTalonario("M0", "00000500")},
        CasoRegistra{"UnSoloLimiteEnCeroCuenta", "M0", "0001", "51", "X", false, "", true, Update("M0  ", "51")}),
    [](const ::testing::TestParamInfo<CasoRegistra>& info) { return std::string(info.param.nombre); });

// The statement of each table moves its own counter. When another station moved it further
// between building the statement and running it, the batch fails whole with a Spanish message
// naming the number, and the counter stays where the other station left it.
TEST_F(RegistraNumeroTest, StatementsMoveTheirOwnTableForwardOnly) {
    struct Caso {
        std::string tc, numero, tabla, adelantado;
    };
    for (const Caso& c : {Caso{"PE", "126", "V_TA_CPTE", "500"}, Caso{"TB", "300", "TA_Comprobantes", "900"}}) {
        for (const bool otraEstacion : {false, true}) {
            SCOPED_TRACE(c.tabla + (otraEstacion ? " overtaken" : ""));
            const std::string antes = Contador(c.tabla, c.tc);
            std::string sentencia;
            ASSERT_TRUE(Registra(c.tc, c.numero, true, sentencia));
            if (otraEstacion) {
                Run("UPDATE " + c.tabla + " SET X_ULTIMO_NRO = " + c.adelantado + " WHERE CODIGO = '" + c.tc + "'");
                operator_.AnswerMsgBox(ui::vbOK);
            }
            // The document the number was for, stored by the same batch.
            std::string lote = "INSERT INTO V_MV_STOCK (TC, IDCOMPROBANTE) VALUES ('" + c.tc + "', '0001" +
                               Usado(c.numero) + "X')\r\n" + sentencia;
            long cambiadas = -1;
            EXPECT_EQ(db_.EjecutaConsultaSQL(lote, cambiadas), !otraEstacion);
            EXPECT_EQ(Contador(c.tabla, c.tc), otraEstacion ? c.adelantado : c.numero);
            EXPECT_EQ(Valor("SELECT COUNT(*) FROM V_MV_STOCK"), otraEstacion ? "0" : "1");
            if (otraEstacion) {
                ASSERT_EQ(operator_.Shown().size(), 1u);
                EXPECT_EQ(operator_.Shown()[0].prompt, Tomado(c.tc, Usado(c.numero)));
                operator_.ClearShown();
            }
            Run("DELETE FROM V_MV_STOCK");
            Run("UPDATE " + c.tabla + " SET X_ULTIMO_NRO = " + antes + " WHERE CODIGO = '" + c.tc + "'");
        }
    }
    EXPECT_EQ(Contador(), "125");
}

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

// Digits only, and no more than the number after an 8-digit one: anything else is refused in
// Spanish before any statement.
TEST_F(RegistraNumeroTest, NumberThatIsNotDigitsNeverReachesTheStatement) {
    const std::vector<std::string> numeros = {"126 OR 1=1", "", "12a", "-5", "99999999999999999999", "1000000000"};
    for (const std::string& numero : numeros) {
        operator_.AnswerMsgBox(ui::vbOK);
        std::string letra = "X";
        std::string sentencia;
        EXPECT_FALSE(RegistraNumeroComprobante("PE", "STOCK", "0001", numero, letra, true, sentencia, true)) << numero;
        EXPECT_EQ(sentencia, "") << numero;
        EXPECT_EQ(Cuenta("V_TA_CPTE"), 0) << numero;
    }
    ASSERT_EQ(operator_.Shown().size(), numeros.size());
    for (std::size_t i = 0; i < numeros.size(); ++i) {
        EXPECT_NE(operator_.Shown()[i].title.find("ConsultaComprobante"), std::string::npos);
        EXPECT_NE(operator_.Shown()[i].prompt.find("El número de comprobante '" + numeros[i] + "' no es válido"),
                  std::string::npos)
            << operator_.Shown()[i].prompt;
    }
    // Leading zeros do not count.
    std::string letra = "X";
    std::string sentencia;
    EXPECT_TRUE(RegistraNumeroComprobante("PE", "STOCK", "0001", "0000000000126", letra, true, sentencia, false));
    EXPECT_NE(sentencia.find("X_ULTIMO_NRO = 0000000000126"), std::string::npos);
}

// Messages show the letter in capitals, as the document key carries it.
TEST_F(RegistraNumeroTest, MessagesNameTheLetterInCapitals) {
    operator_.AnswerMsgBox(ui::vbOK).AnswerMsgBox(ui::vbOK);
    std::string letra = "x";
    std::string sentencia;
    EXPECT_FALSE(RegistraNumeroComprobante("PE", "STOCK", "0001", "100", letra, false, sentencia, false));
    EXPECT_NE(Aviso().find(Alcanzado("PE", "00000099")), std::string::npos);
    EXPECT_FALSE(RegistraNumeroComprobante("PE", "STOCK", "0002", "100", letra, false, sentencia, false));
    EXPECT_NE(Aviso().find(SinTalonario("PE", "00000099", "0002")), std::string::npos);
    EXPECT_TRUE(RegistraNumeroComprobante("PE", "STOCK", "0001", "126", letra, true, sentencia, false));
    EXPECT_EQ(sentencia, Update("PE  ", "126"));
}

TEST_F(RegistraNumeroTest, ImmediateModeAdvancesTheRowWithItsTimeAndNoControlRow) {
    vb::SetClock([] { return vb::Date::FromParts(2024, 5, 6, 10, 20, 30); });
    std::string sentencia = "previa";
    EXPECT_TRUE(Registra("PE", "126", false, sentencia));
    EXPECT_EQ(sentencia, "previa");
    EXPECT_EQ(Contador(), "126");
    // Stored as ISO date text, to the minute.
    EXPECT_EQ(Valor("SELECT '' || fechahora_modificacion FROM V_TA_CPTE WHERE CODIGO = 'PE'"), "2024-05-06 10:20:00");
    EXPECT_EQ(Valor("SELECT COUNT(*) FROM V_MV_CTROL_CPTE"), "0");
    EXPECT_EQ(Aviso(), "");

    // Never back, never the same value again: a number the range already reached is reported.
    for (const auto& [numero, usado] : {std::pair{"126", "00000125"}, std::pair{"50", "00000049"}}) {
        operator_.AnswerMsgBox(ui::vbOK);
        EXPECT_FALSE(Registra("PE", numero, false, sentencia)) << numero;
        EXPECT_EQ(Cuenta("UPDATE"), 0) << numero;
        EXPECT_NE(Aviso().find(Alcanzado("PE", usado)), std::string::npos) << numero;
    }
    EXPECT_EQ(Contador(), "126");
}

TEST_F(RegistraNumeroTest, ImmediateModeOnTheFallbackRangeWritesItsOwnTable) {
    operator_.AnswerMsgBox(ui::vbOK);
    std::string sentencia;
    EXPECT_FALSE(Registra("TB", "150", false, sentencia));
    EXPECT_NE(Aviso().find(Alcanzado("TB", "00000149")), std::string::npos);
    EXPECT_EQ(Contador("TA_Comprobantes", "TB"), "200");
    EXPECT_TRUE(Registra("TB", "300", false, sentencia));
    EXPECT_EQ(Contador("TA_Comprobantes", "TB"), "300");
    EXPECT_NE(Valor("SELECT fechahora_modificacion FROM TA_Comprobantes"), "");
    EXPECT_EQ(Contador("V_TA_CPTE", "TB"), "");
}

// A number outside every range of its branch never moves another range's counter, whatever
// range an earlier call selected, and a counter never passes its range's upper limit.
TEST_F(RegistraNumeroTest, NumberInNoRangeRecordsNothing) {
    Agrega({.codigo = "DR", .talonario = 1, .ultimo = 5, .desde = 1, .hasta = 10});
    Agrega({.codigo = "DR", .talonario = 2, .ultimo = 20, .desde = 11, .hasta = 30});
    for (const bool soloSql : {true, false}) {
        for (const int previo : {0, 1, 2}) {
            TalonarioActual = previo;
            operator_.AnswerMsgBox(ui::vbOK);
            std::string sentencia = "previa";
            // 31 used: the message names the number used, not the one after it.
            EXPECT_FALSE(Registra("DR", "32", soloSql, sentencia));
            EXPECT_EQ(sentencia, "previa");
            EXPECT_NE(Aviso().find(SinTalonario("DR", "00000031")), std::string::npos);
        }
    }
    EXPECT_EQ(Valor("SELECT group_concat(X_ULTIMO_NRO) FROM V_TA_CPTE WHERE CODIGO = 'DR'"), "5,20");

    // Each number moves the counter of the range that holds it, up to its limit's own number:
    // 10 and 30 used leave both ranges used up.
    std::string sentencia;
    EXPECT_TRUE(Registra("DR", "10", false, sentencia));
    EXPECT_TRUE(Registra("DR", "11", false, sentencia));
    EXPECT_TRUE(Registra("DR", "31", true, sentencia));
    EXPECT_EQ(sentencia, Update("DR  ", "31", "2"));
    ASSERT_TRUE(db_.EjecutaConsultaSQL(sentencia));
    EXPECT_EQ(Valor("SELECT group_concat(X_ULTIMO_NRO) FROM V_TA_CPTE WHERE CODIGO = 'DR'"), "11,31");
    EXPECT_EQ(Aviso(), "");
    for (const std::string numero : {"11", "31"}) {
        operator_.AnswerMsgBox(ui::vbOK);
        EXPECT_FALSE(Registra("DR", numero, false, sentencia)) << numero;
        EXPECT_NE(Aviso().find("ya había llegado al número"), std::string::npos) << numero;
    }
}

// The stock posting's road: number, store, record, all in one transaction.
TEST_F(RegistraNumeroTest, NumberAndRecordingInsideTheCallersTransaction) {
    {
        adodb::DbTransaction tx(db_.gCnn);
        std::string sucursal = "0001";
        std::string letra = "X";
        const std::string id = AsignarNumeroComprobante("PE", sucursal, letra);
        ASSERT_EQ(id, "000100000125X");
        // Taken means recorded: the recording that follows has nothing left to write.
        EXPECT_EQ(Contador(), "126");
        Run("INSERT INTO V_MV_STOCK (TC, IDCOMPROBANTE) VALUES ('PE', '" + id + "')");
        std::string sentencia;
        ASSERT_TRUE(RegistraNumeroComprobante("PE", "STOCK", id.substr(0, 4), "126", letra, true, sentencia, false));
        EXPECT_EQ(sentencia, "");
        tx.Commit();
    }
    EXPECT_EQ(Contador(), "126");

    // A rolled-back posting leaves the counter where it was, and its number free.
    for (int vez = 0; vez < 2; ++vez) {
        adodb::DbTransaction tx(db_.gCnn);
        std::string sucursal = "0001";
        std::string letra = "X";
        EXPECT_EQ(AsignarNumeroComprobante("PE", sucursal, letra), "000100000126X");
    }
    EXPECT_EQ(Contador(), "126");
    EXPECT_EQ(Aviso(), "");
}

// A number taken for a document that was never stored goes back to its range,
// unless a later number was taken meanwhile: then it stays unused, and no
// number is ever handed out twice.
TEST_F(RegistraNumeroTest, ANumberNeverStoredGoesBackWhileNoLaterOneWasTaken) {
    std::string sucursal = "0001";
    std::string letra = "X";
    const std::string primero = AsignarNumeroComprobante("PE", sucursal, letra);
    ASSERT_EQ(primero, "000100000125X");
    EXPECT_TRUE(DevuelveNumeroComprobante("PE", primero));
    EXPECT_EQ(Contador(), "125");
    EXPECT_EQ(AsignarNumeroComprobante("PE", sucursal, letra), primero);

    // Two numbers go back latest first; the first alone cannot pass the second.
    const std::string segundo = AsignarNumeroComprobante("PE", sucursal, letra);
    ASSERT_EQ(segundo, "000100000126X");
    EXPECT_FALSE(DevuelveNumeroComprobante("PE", primero));
    EXPECT_EQ(Contador(), "127");
    EXPECT_TRUE(DevuelveNumeroComprobante("PE", segundo));
    EXPECT_TRUE(DevuelveNumeroComprobante("PE", primero));
    EXPECT_EQ(Contador(), "125");

    // Nothing to give back: no range holds the number, or it is no number.
    for (const std::string otro : {"000100099999X", "0001ABCDEFGHX", "", "000100000125Q"}) {
        EXPECT_FALSE(DevuelveNumeroComprobante("PE", otro)) << otro;
    }
    EXPECT_EQ(Contador(), "125");
    EXPECT_EQ(Aviso(), "");
}

// Only the number the caller itself just took is no collision, and only once.
TEST_F(RegistraNumeroTest, OwnReservationCoversItsNumberOnly) {
    std::string sucursal = "0001";
    std::string letra = "X";
    ASSERT_EQ(AsignarNumeroComprobante("PE", sucursal, letra), "000100000125X");
    std::string sentencia;
    EXPECT_TRUE(Registra("PE", "126", true, sentencia));
    EXPECT_EQ(Aviso(), "");

    // Recorded a second time, it is a collision.
    operator_.AnswerMsgBox(ui::vbOK);
    EXPECT_FALSE(Registra("PE", "126", true, sentencia));
    EXPECT_NE(Aviso().find(Alcanzado("PE", "00000125")), std::string::npos);

    // A new request for a number ends the reservation.
    ASSERT_EQ(AsignarNumeroComprobante("PE", sucursal, letra), "000100000126X");
    std::string numero;
    bool modifica = false;
    Obtener_Nro_Comprobante("PE", sucursal, numero, letra, modifica, true, "", "   1");
    EXPECT_EQ(numero, "00000127");
    operator_.AnswerMsgBox(ui::vbOK);
    EXPECT_FALSE(Registra("PE", "127", true, sentencia));
    EXPECT_NE(Aviso().find(Alcanzado("PE", "00000126")), std::string::npos);
    EXPECT_EQ(Contador(), "127");
}

}  // namespace
}  // namespace numbering::testing
