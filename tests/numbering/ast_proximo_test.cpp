// The range walk and the next document number.
#include "ast_fixture.h"
#include "numbering/ast.h"

namespace numbering::testing {
namespace {

// ---- The range walk ----------------------------------------------------------

struct CasoTalonario {
    const char* nombre;
    std::vector<Rango> rangos;
    std::string letra, fecha, unegocio;
    // Expected outputs; "=" keeps the caller's value.
    std::string sucursal, numero, letraFinal, nroHasta;
    bool modifica;
    int talonario;
    bool avisoAgotados;
};

class RangoTest : public AstDbTest, public ::testing::WithParamInterface<CasoTalonario> {};

TEST_P(RangoTest, Case) {
    const CasoTalonario& c = GetParam();
    for (const Rango& r : c.rangos) Agrega(r);
    if (c.avisoAgotados) operator_.AnswerMsgBox(ui::vbOK);
    TalonarioActual = 99;
    std::string sucursal = "suc", numero = "num", hasta = "hasta", letra = c.letra;
    bool modifica = false;
    Obtener_Nro_Comprobante_Contable("FC", sucursal, numero, letra, modifica, c.fecha, c.unegocio, hasta);
    EXPECT_EQ(sucursal, c.sucursal == "=" ? "suc" : c.sucursal);
    EXPECT_EQ(numero, c.numero == "=" ? "num" : c.numero);
    EXPECT_EQ(hasta, c.nroHasta == "=" ? "hasta" : c.nroHasta);
    EXPECT_EQ(letra, c.letraFinal);
    EXPECT_EQ(modifica, c.modifica);
    EXPECT_EQ(TalonarioActual, c.talonario);
    if (c.avisoAgotados) {
        ASSERT_EQ(operator_.Shown().size(), 1u);
        EXPECT_EQ(operator_.Shown()[0].prompt,
                  "Todos los talonarios del comprobante FC se encuentran utilizados, debe dar de alta un nuevo "
                  "talonario para el comprobante FC");
        EXPECT_EQ(operator_.Shown()[0].style, ui::vbOKOnly);
    } else {
        EXPECT_TRUE(operator_.Shown().empty());
    }
}

Rango R(int talonario, std::optional<int> ultimo, std::optional<int> hasta, int sucursal = 1) {
    return {.codigo = "FC", .talonario = talonario, .ultimo = ultimo, .desde = 1, .hasta = hasta, .sucursal = sucursal};
}
Rango ConLetras(Rango r, std::string letra, std::string letras) {
    r.letra = std::move(letra);
    r.letras = std::move(letras);
    return r;
}
Rango ConVence(Rango r, std::string vence) {
    r.vence = std::move(vence);
    return r;
}
Rango ConUnidad(Rango r, std::string unegocio) {
    r.unegocio = std::move(unegocio);
    return r;
}
Rango ConModifica(Rango r, std::optional<int> modifica) {
    r.modifica = modifica;
    return r;
}

INSTANTIATE_TEST_SUITE_P(
    Casos, RangoTest,
    ::testing::Values(
        CasoTalonario{"SinRangos", {}, "B", "", "   1", "1", "1", "X", "=", false, 99, false},
        CasoTalonario{"PrimerRangoConLugar", {R(1, 125, 500, 3)}, "X", "", "   1", "0003", "00000125", "X",
                      "00000500", false, 1, false},
        CasoTalonario{"ElLimiteNoSeEntrega", {R(1, 500, 500), R(2, 10, 20, 4)}, "X", "", "   1", "0004", "00000010",
                      "X", "00000020", false, 2, false},
        CasoTalonario{"UltimoCeroDaUno", {R(1, 0, 20)}, "X", "", "   1", "0001", "00000001", "X", "00000020", false,
                      1, false},
        CasoTalonario{"NueveDigitosNoSeCortan", {R(1, 123456789, 999999999)}, "X", "", "   1", "0001", "123456789",
                      "X", "999999999", false, 1, false},
        CasoTalonario{"ModificaNuloEsVerdadero", {ConModifica(R(1, 5, 20), std::nullopt)}, "X", "", "   1", "0001",
                      "00000005", "X", "00000020", true, 1, false},
        CasoTalonario{"LetraVaciaEsX", {R(1, 5, 20)}, " ", "", "   1", "0001", "00000005", "X", "00000020", false, 1,
                      false},
        CasoTalonario{"LetraNoListadaTomaLaPrimera",
                      {ConLetras(R(1, 10, 10), "A", "AC"), ConLetras(R(2, 5, 9), "A", "ABC")}, "B", "", "   1",
                      "0001", "00000005", "A", "00000009", false, 2, false},
        CasoTalonario{"TodosUsados", {R(1, 20, 20), R(2, std::nullopt, 20)}, "X", "", "   1", "=", "=", "X", "=",
                      false, 99, true},
        CasoTalonario{"VencidoSinAviso", {ConVence(R(1, 5, 20), "2024-03-15")}, "X", "16/03/2024", "   1", "=", "=",
                      "X", "=", false, 99, false},
        CasoTalonario{"VenceElMismoDia", {ConVence(R(1, 5, 20), "2024-03-15")}, "X", "15/03/2024", "   1", "0001",
                      "00000005", "X", "00000020", false, 1, false},
        CasoTalonario{"VencidoPasaAlSiguiente", {ConVence(R(1, 5, 20), "2024-03-15"), R(2, 7, 20, 2)}, "X",
                      "16/03/2024", "   1", "0002", "00000007", "X", "00000020", false, 2, false},
        CasoTalonario{"UnidadPropia", {ConUnidad(R(1, 5, 20, 2), "   2"), R(2, 7, 20)}, "X", "", "   1", "0001",
                      "00000007", "X", "00000020", false, 2, false},
        CasoTalonario{"UnidadSinRangosUsaTodas", {ConUnidad(R(1, 5, 20, 2), "   2"), R(2, 7, 20)}, "X", "", "   3",
                      "0002", "00000005", "X", "00000020", false, 1, false},
        CasoTalonario{"UnidadEnBlancoNoFiltra", {ConUnidad(R(1, 5, 20, 2), "   2"), R(2, 7, 20)}, "X", "", "  ",
                      "0002", "00000005", "X", "00000020", false, 1, false}),
    [](const ::testing::TestParamInfo<CasoTalonario>& info) { return std::string(info.param.nombre); });

// ---- The next number and its repair --------------------------------------------

class ProximoNumeroTest : public AstDbTest {
protected:
    ProximoNumeroTest() {
        for (const char* tc : {"VJ", "FC", "CBFP", "OC", "CB"}) {
            Agrega({.codigo = tc, .ultimo = 5, .desde = 1, .hasta = 100});
        }
    }
    // The number Obtener_Nro_Comprobante gives for the type (branch 0001, letter X).
    std::string Proximo(const std::string& tc, bool verifica = true) {
        std::string sucursal, numero, letra = "X";
        bool modifica = false;
        Obtener_Nro_Comprobante(tc, sucursal, numero, letra, modifica, verifica, "", "   1");
        EXPECT_EQ(sucursal, "0001");
        EXPECT_EQ(letra, "X");
        return numero;
    }
    void Viaje(const std::string& id) { Run("INSERT INTO MV_VIAJES (TC, IDCOMPROBANTE) VALUES ('VJ', '" + id + "')"); }
    void Asiento(const std::string& tc, const std::string& numero) {
        Run("INSERT INTO MV_ASIENTOS (TC, SUCURSAL, NUMERO, LETRA, MES_OPERATIVO, [NUMERO ASIENTO]) VALUES ('" + tc +
            "', '0001', '" + numero + "', 'X', 3, 57)");
    }
};

TEST_F(ProximoNumeroTest, TravelNumberMovesPastTheHighestInUse) {
    struct Caso {
        std::vector<std::string> guardados;
        std::string numero;
    };
    const std::vector<Caso> casos = {
        {{}, "00000005"},
        {{"000100000009X"}, "00000005"},                  // 5 itself is free
        {{"000100000005X", "000100000009X"}, "00000010"},  // a higher one exists
        {{"000100000005X"}, "00000006"},                  // 5 is the highest: never handed out again
        {{"000100000005X", "000200000050X", "000100000070A"}, "00000006"},  // other branch, other letter
    };
    for (const Caso& c : casos) {
        Run("DELETE FROM MV_VIAJES");
        for (const std::string& id : c.guardados) Viaje(id);
        EXPECT_EQ(Proximo("VJ"), c.numero) << ::testing::PrintToString(c.guardados);
    }
    EXPECT_TRUE(operator_.Shown().empty());
}

TEST_F(ProximoNumeroTest, NumberWithAnAccountingEntryFollowsTheEntries) {
    EXPECT_EQ(Proximo("FC"), "00000005");
    EXPECT_EQ(Cuenta("DELETE"), 0);  // FC keeps its control rows
    Asiento("FC", "00000005");
    Asiento("FC", "00000012");
    EXPECT_EQ(Proximo("FC"), "00000013");
    EXPECT_EQ(Cuenta("DELETE"), 0);
}

// A type without ranges (the cost-of-sales documents of a new database) gets
// "1" from the walk; the repair looks it up as its documents are stored, so
// each number follows the ones booked before it.
TEST_F(ProximoNumeroTest, ATypeWithoutRangesFollowsItsStoredEntries) {
    const auto proximo = [&](bool verifica) {
        std::string sucursal, numero, letra = "X";
        bool modifica = false;
        Obtener_Nro_Comprobante("CMV", sucursal, numero, letra, modifica, verifica, "", "   1");
        return sucursal + numero + letra;
    };
    EXPECT_EQ(proximo(true), "000100000001X");
    for (const auto& [guardado, siguiente] : std::vector<std::pair<std::string, std::string>>{
             {"00000001", "000100000002X"}, {"00000002", "000100000003X"}, {"00000009", "000100000010X"}}) {
        Asiento("CMV", guardado);
        EXPECT_EQ(proximo(true), siguiente) << guardado;
    }
    // Without the repair, the walk's values as they come.
    EXPECT_EQ(proximo(false), "11X");
    EXPECT_TRUE(operator_.Shown().empty());
}

TEST_F(ProximoNumeroTest, CbfpFollowsTheDocumentsWhenTheyAreAhead) {
    Asiento("CBFP", "00000005");
    Asiento("CBFP", "00000008");
    Run("INSERT INTO V_MV_CPTE (TC, IDCOMPROBANTE) VALUES ('CBFP', '000100000020X')");
    EXPECT_EQ(Proximo("CBFP"), "00000021");
    // The entries give 9, which a stored document already carries.
    Run("UPDATE V_MV_CPTE SET IDCOMPROBANTE = '000100000009X'");
    EXPECT_EQ(Proximo("CBFP"), "00000010");
}

TEST_F(ProximoNumeroTest, PurchaseOrderStaysBelowItsRangesLimit) {
    EXPECT_EQ(Proximo("OC"), "00000005");
    for (const char* n : {"00000005", "00000050", "00000150"}) {
        Run(std::string("INSERT INTO C_MV_CPTE (TC, IDCOMPROBANTE, SUCURSAL, NUMERO, LETRA) VALUES ('OC', '0001") + n +
            "X', '0001', '" + n + "', 'X')");
    }
    EXPECT_EQ(Proximo("OC"), "00000051");
}

TEST_F(ProximoNumeroTest, OtherTypesDropTheControlRowOfTheNumber) {
    Run("INSERT INTO V_MV_CTROL_CPTE (TC, SUCURSAL, NUMERO, LETRA) VALUES ('CB', '0001', '00000005', 'X'), "
        "('CB', '0001', '00000004', 'X')");
    EXPECT_EQ(Proximo("CB"), "00000005");
    EXPECT_EQ(Cuenta("DELETE V_MV_CTROL_CPTE WHERE TC = 'CB' AND SUCURSAL = '0001' AND NUMERO = '00000005' AND "
                     "LETRA = 'X'"),
              1);
    EXPECT_EQ(Valor("SELECT group_concat(NUMERO) FROM V_MV_CTROL_CPTE"), "00000004");
}

TEST_F(ProximoNumeroTest, WithoutVerificaOnlyTheRangeIsRead) {
    Viaje("000100000005X");
    EXPECT_EQ(Proximo("VJ", false), "00000005");
    for (const std::string& s : TakeStatements()) EXPECT_NE(s.find("V_TA_CPTE"), std::string::npos) << s;
}

TEST_F(ProximoNumeroTest, EmptyTypeChangesNothing) {
    std::string sucursal = "s", numero = "n", letra = "l";
    bool modifica = true;
    Obtener_Nro_Comprobante("", sucursal, numero, letra, modifica, true, "", "   1");
    EXPECT_EQ(sucursal + numero + letra, "snl");
    EXPECT_TRUE(modifica);
    EXPECT_TRUE(TakeStatements().empty());
}

TEST_F(ProximoNumeroTest, NoNinthDigitPastTheLastNumber) {
    Run("UPDATE V_TA_CPTE SET X_ULTIMO_NRO = 99999999, X_NRO_HASTA = 999999999 WHERE CODIGO = 'VJ'");
    Viaje("000199999999X");
    operator_.AnswerMsgBox(ui::vbAbort);
    EXPECT_EQ(Proximo("VJ"), "99999999");
    ASSERT_EQ(operator_.Shown().size(), 1u);
    EXPECT_NE(operator_.Shown()[0].title.find("Obtener_Nro_Comprobante"), std::string::npos);
}

TEST_F(ProximoNumeroTest, EquivalentTypes) {
    Run("INSERT INTO TA_CONFIGURACION (CLAVE, VALOR) VALUES ('EQU_FCC', ' FC ')");
    const std::vector<std::pair<std::string, std::string>> casos = {
        {"FCC", "FC"}, {" fcc ", "FC"}, {"NC", ""}, {"CBFP", "CBFP"}, {" gf ", "gf"}, {"VJ", ""}};
    for (const auto& [tc, esperado] : casos) EXPECT_EQ(ObtieneTCEquivalente(tc), esperado) << tc;
}

TEST_F(ProximoNumeroTest, DocumentWithAnAccountingEntry) {
    Run("INSERT INTO MV_ASIENTOS (TC, SUCURSAL, NUMERO, LETRA, CUENTA, MES_OPERATIVO, [NUMERO ASIENTO]) VALUES "
        "('FC', '0001', '00000005', 'X', '1100', 3, 57), ('OC', '0001', '00000005', 'X', '1100', 3, 58)");
    struct Caso {
        std::string tc, cuenta;
        bool tiene;
        std::string asiento;
    };
    for (const Caso& c : std::vector<Caso>{{"FC", "", true, "03 - 000057"},
                                           {"FC", "1100", true, "03 - 000057"},
                                           {"FC", "9999", false, "previo"},
                                           {"FC", "O'Brien", false, "previo"},
                                           {"OC", "", false, "previo"}}) {
        std::string asiento = "previo";
        EXPECT_EQ(ComprobanteTieneAsiento(c.tc, "0001", "00000005", "X", asiento, c.cuenta), c.tiene) << c.cuenta;
        EXPECT_EQ(asiento, c.asiento) << c.tc << c.cuenta;
    }
    EXPECT_TRUE(operator_.Shown().empty());
}

}  // namespace
}  // namespace numbering::testing
