// Stock-movement document numbers, the accounting register type and the entry number.
#include "ast_fixture.h"
#include "db/transaction.h"
#include "numbering/ast.h"
#include "vb/text.h"

namespace numbering::testing {
namespace {

// ---- Stock-movement document numbers -----------------------------------------

class AsignarNumeroTest : public AstDbTest {
protected:
    void Movimiento(const std::string& id, const std::string& tc = "PE") {
        Run("INSERT INTO V_MV_STOCK (TC, IDCOMPROBANTE) VALUES ('" + tc + "', '" + id + "')");
    }
    std::string Asigna(const std::string& tc = "PE") {
        std::string sucursal = "0001";
        std::string letra = "X";
        return AsignarNumeroComprobante(tc, sucursal, letra);
    }
    std::string Contador() { return Valor("SELECT X_ULTIMO_NRO FROM V_TA_CPTE WHERE CODIGO = 'PE'"); }
};

TEST_F(AsignarNumeroTest, NumberIsMovedPastTheStoredMovements) {
    Agrega({.codigo = "PE", .ultimo = 125, .desde = 1, .hasta = 99999});
    struct Caso {
        std::vector<std::string> guardados;
        std::string id;
    };
    const std::vector<Caso> casos = {
        {{}, "000100000125X"},
        {{"000100000130X"}, "000100000125X"},  // stored, but not this one
        {{"000100000125X", "000100000130X"}, "000100000131X"},  // after the highest, lower ones free or not
        {{"000100000125X", "000200000900X", "000100000900A"}, "000100000126X"},
    };
    for (const Caso& c : casos) {
        Run("DELETE FROM V_MV_STOCK");
        Run("UPDATE V_TA_CPTE SET X_ULTIMO_NRO = 125");
        for (const std::string& id : c.guardados) Movimiento(id);
        Movimiento("000100000500X", "OT");  // another type never counts
        EXPECT_EQ(Asigna(), c.id) << ::testing::PrintToString(c.guardados);
        // Taken means recorded: the range's counter stands past the number.
        EXPECT_EQ(Contador(), std::to_string(std::stoi(c.id.substr(4, 8)) + 1)) << ::testing::PrintToString(c.guardados);
    }
    EXPECT_TRUE(operator_.Shown().empty());
}

TEST_F(AsignarNumeroTest, EveryRequestTakesANewNumber) {
    Agrega({.codigo = "PE", .ultimo = 125, .desde = 1, .hasta = 99999});
    EXPECT_EQ(Asigna(), "000100000125X");
    EXPECT_EQ(Asigna(), "000100000126X");
    EXPECT_EQ(Contador(), "127");
}

TEST_F(AsignarNumeroTest, UsedUpRangesGiveNoNumber) {
    Agrega({.codigo = "PE", .ultimo = 100, .desde = 1, .hasta = 100});
    operator_.AnswerMsgBox(ui::vbOK);
    EXPECT_EQ(Asigna(), "");
    ASSERT_EQ(operator_.Shown().size(), 1u);
    EXPECT_EQ(operator_.Shown()[0].prompt.find("Todos los talonarios del comprobante PE"), 0u);
    EXPECT_EQ(Contador(), "100");
}

// For a type with ranges a number is handed out only from a range, recorded there: the
// repair past the stored numbers stays inside the range, a range whose numbers up to its
// limit are stored is passed over for the next one, a range starts at its lower limit, and
// when the ranges run out the request gives "" and says so.
TEST_F(AsignarNumeroTest, NumbersStayInsideTheRanges) {
    struct Caso {
        const char* nombre;
        std::vector<Rango> rangos;
        std::vector<std::string> guardados;
        std::vector<std::string> numeros;  // what the requests give, in order
        std::string contadores;
    };
    const std::vector<Caso> casos = {
        {"a stored number past the range is not followed",
         {{.codigo = "PE", .ultimo = 125, .desde = 1, .hasta = 130}},
         {"000100000125X", "000100000135X"},
         {"000100000126X", "000100000127X", "000100000128X", "000100000129X"},
         "130"},
        {"the repair reaches the limit's own number, once",
         {{.codigo = "PE", .ultimo = 39, .desde = 1, .hasta = 40}},
         {"000100000039X"},
         {"000100000040X"},
         "41"},
        {"a range stored to its limit passes to the next range",
         {{.codigo = "PE", .ultimo = 39, .desde = 1, .hasta = 40},
          {.codigo = "PE", .talonario = 2, .ultimo = 0, .desde = 101, .hasta = 103}},
         {"000100000039X", "000100000040X"},
         {"000100000101X", "000100000102X"},
         "39,103"},
        {"a counter below its range starts at the lower limit",
         {{.codigo = "PE", .ultimo = 0, .desde = 101, .hasta = 200}},
         {},
         {"000100000101X", "000100000102X"},
         "103"},
    };
    for (const Caso& c : casos) {
        SCOPED_TRACE(c.nombre);
        Run("DELETE FROM V_TA_CPTE");
        Run("DELETE FROM V_MV_STOCK");
        for (const Rango& r : c.rangos) Agrega(r);
        for (const std::string& id : c.guardados) Movimiento(id);
        std::vector<std::string> numeros;
        for (std::size_t i = 0; i < c.numeros.size(); ++i) numeros.push_back(Asigna());
        EXPECT_EQ(numeros, c.numeros);
        EsperaNumerosValidos(numeros);
        EXPECT_EQ(Valor("SELECT group_concat(X_ULTIMO_NRO) FROM V_TA_CPTE WHERE CODIGO = 'PE'"), c.contadores);
        EXPECT_TRUE(operator_.Shown().empty());
    }
}

// When the ranges run out, the request gives "" and the operator is told; no counter moves.
TEST_F(AsignarNumeroTest, RangesRunOutWithAMessage) {
    Agrega({.codigo = "PE", .ultimo = 39, .desde = 1, .hasta = 40});
    Agrega({.codigo = "PE", .talonario = 2, .ultimo = 0, .desde = 101, .hasta = 102});
    Movimiento("000100000039X");
    EXPECT_EQ(Asigna(), "000100000040X");
    EXPECT_EQ(Asigna(), "000100000101X");
    operator_.AnswerMsgBox(ui::vbOK);
    EXPECT_EQ(Asigna(), "");
    ASSERT_EQ(operator_.Shown().size(), 1u);
    EXPECT_EQ(operator_.Shown()[0].prompt.find("Todos los talonarios del comprobante PE"), 0u);
    EXPECT_EQ(Valor("SELECT group_concat(X_ULTIMO_NRO) FROM V_TA_CPTE WHERE CODIGO = 'PE'"), "41,102");

    // The same with the last numbers all stored: the repair passes every range over.
    Run("UPDATE V_TA_CPTE SET X_ULTIMO_NRO = 100 WHERE TALONARIO = 2");
    Movimiento("000100000101X");
    Movimiento("000100000102X");
    operator_.ClearShown();
    operator_.AnswerMsgBox(ui::vbOK);
    EXPECT_EQ(Asigna(), "");
    ASSERT_EQ(operator_.Shown().size(), 1u);
    EXPECT_EQ(operator_.Shown()[0].prompt.find("Todos los talonarios del comprobante PE"), 0u);
    EXPECT_EQ(Valor("SELECT group_concat(X_ULTIMO_NRO) FROM V_TA_CPTE WHERE CODIGO = 'PE'"), "41,100");

    // A caller that names the reason in its own refusal gets the text, and no box is shown.
    operator_.ClearShown();
    std::string sucursal = "0001";
    std::string letra = "X";
    std::string agotados = "previo";
    EXPECT_EQ(AsignarNumeroComprobante("PE", sucursal, letra, &agotados), "");
    EXPECT_TRUE(operator_.Shown().empty());
    EXPECT_EQ(agotados, "Todos los talonarios del comprobante PE se encuentran utilizados, debe dar de alta un nuevo "
                        "talonario para el comprobante PE");
    Run("UPDATE V_TA_CPTE SET X_ULTIMO_NRO = 99 WHERE TALONARIO = 2");
    Run("DELETE FROM V_MV_STOCK");
    EXPECT_EQ(AsignarNumeroComprobante("PE", sucursal, letra, &agotados), "000100000101X");
    EXPECT_EQ(agotados, "");
}

TEST_F(AsignarNumeroTest, TypeWithoutRangesStillGetsAThirteenCharacterKey) {
    EXPECT_EQ(Asigna(), "000100000001X");
    Movimiento("000100000001X");
    EXPECT_EQ(Asigna(), "000100000002X");
}

TEST_F(AsignarNumeroTest, SeesTheMovementsOfTheCallersOpenTransaction) {
    Agrega({.codigo = "PE", .ultimo = 125, .desde = 1, .hasta = 99999});
    adodb::DbTransaction tx(db_.gCnn);
    Movimiento("000100000125X");
    EXPECT_EQ(Asigna(), "000100000126X");
}

TEST_F(AsignarNumeroTest, NoFourteenCharacterKeyPastTheLastNumber) {
    Agrega({.codigo = "PE", .ultimo = 99999999, .desde = 1, .hasta = 999999999});
    Movimiento("000199999999X");
    operator_.AnswerMsgBox(ui::vbAbort);
    EXPECT_EQ(Asigna(), "");
    ASSERT_EQ(operator_.Shown().size(), 1u);
    EXPECT_NE(operator_.Shown()[0].title.find("AsignarNumeroComprobante"), std::string::npos);
}

// A type without ranges says so, and its number records nothing; a batch that
// begins with the number's check fails, with the Spanish text and nothing
// kept, exactly when a stock movement or an accounting entry of the document
// is stored (of that type: another type's never counts).
TEST_F(AsignarNumeroTest, TheCheckOfANumberWithoutARangeFailsTheBatchOnlyWhenTheNumberIsStored) {
    std::string sucursal = "0001";
    std::string letra = "X";
    bool sinTalonarios = false;
    EXPECT_EQ(AsignarNumeroComprobante("PE", sucursal, letra, nullptr, &sinTalonarios), "000100000001X");
    EXPECT_TRUE(sinTalonarios);
    struct Caso {
        const char* nombre;
        std::string guardado;  // set-up SQL; "" stores nothing
        bool falla;
    };
    const std::vector<Caso> casos = {
        {"nothing stored", "", false},
        {"another type's movement", "INSERT INTO V_MV_STOCK (TC, IDCOMPROBANTE) VALUES ('RM', '000100000007X')", false},
        {"another number's entry",
         "INSERT INTO MV_ASIENTOS (TC, SUCURSAL, NUMERO, LETRA) VALUES ('PE', '0001', '00000008', 'X')", false},
        {"a stock movement", "INSERT INTO V_MV_STOCK (TC, IDCOMPROBANTE) VALUES ('PE  ', '000100000007X')", true},
        {"an accounting entry",
         "INSERT INTO MV_ASIENTOS (TC, SUCURSAL, NUMERO, LETRA) VALUES ('PE', '0001', '00000007', 'X')", true},
    };
    for (const Caso& caso : casos) {
        SCOPED_TRACE(caso.nombre);
        Run("DELETE FROM V_MV_STOCK");
        Run("DELETE FROM MV_ASIENTOS");
        if (!caso.guardado.empty()) Run(caso.guardado);
        EXPECT_EQ(ComprobanteGuardado("PE", "000100000007X"), caso.falla);
        operator_.ClearShown();
        if (caso.falla) operator_.AnswerMsgBox(ui::vbOK);
        std::string lote = ChequeoNumeroLibre("PE", "000100000007X") +
                           "\r\nINSERT INTO V_MV_CTROL_CPTE (TC, SUCURSAL, NUMERO, LETRA) VALUES ('PE', '0001', "
                           "'00000007', 'X')";
        EXPECT_EQ(db_.EjecutaConsultaSQL(lote), !caso.falla);
        EXPECT_EQ(Valor("SELECT COUNT(*) FROM V_MV_CTROL_CPTE"), caso.falla ? "0" : "1");
        if (caso.falla) {
            ASSERT_EQ(operator_.Shown().size(), 1u);
            EXPECT_EQ(operator_.Shown()[0].prompt,
                      "Otra estación tomó el número 00000007 del comprobante PE (sucursal 0001, letra X) antes de que "
                      "se grabara este comprobante: no se grabó");
        }
        Run("DELETE FROM V_MV_CTROL_CPTE");
    }
}

// ---- Register type ---------------------------------------------------------------

TEST_F(AstDbTest, RegisterTypeComesFromTheTypesSubJournal) {
    Run("INSERT INTO MA_SUBDIARIOS (CODIGO) VALUES ('VT'), ('CP')");
    Run("INSERT INTO MA_SUBDIARIOSCOMPROBANTES (TC, Subdiario) VALUES ('FC', 'VT'), ('NC', 'ZZ'), ('RM', NULL)");
    const std::vector<std::pair<std::string, std::string>> casos = {
        {"FC", "VT"}, {" FC ", "VT"}, {"NC", ""}, {"PE", ""}, {"F'C", ""}};
    for (const auto& [tc, esperado] : casos) EXPECT_EQ(ObtieneTipoRegCont(tc), esperado) << tc;
    EXPECT_TRUE(operator_.Shown().empty());

    // A Null sub-journal cannot be looked up: reported, and no register type.
    operator_.AnswerMsgBox(ui::vbAbort);
    EXPECT_EQ(ObtieneTipoRegCont("RM"), "");
    ASSERT_EQ(operator_.Shown().size(), 1u);
    EXPECT_NE(operator_.Shown()[0].title.find("ObtieneTipoRegCont$"), std::string::npos);
}

// ---- Entry number --------------------------------------------------------------------

class NumeroAsientoTest : public AstDbTest {
protected:
    NumeroAsientoTest() {
        const std::string rs = vb::kChr255 + "RS";
        Run("INSERT INTO MV_ASIENTOS (TC, MES_OPERATIVO, PERIODO, TIPO_REG, [NUMERO ASIENTO]) VALUES "
            "('FC', 3, 2024, 'VT', 57), ('FC', 3, 2024, 'VT', 12), ('FC', 4, 2024, 'VT', 90), "
            "('FC', 3, 2023, 'VT', 80), ('FC', 3, 2024, 'CP', 70), "
            "('PE', 3, 2024, '" + rs + "', 20), ('PE', 3, 2024, '  ', 15), ('PE', 3, 2024, 'ST', 40)");
    }
};

TEST_F(NumeroAsientoTest, NextEntryOfMonthPeriodAndRegisterType) {
    struct Caso {
        int mes;
        std::string periodo;
        std::optional<std::string> tipoReg;
        int32_t esperado;
    };
    const std::vector<Caso> casos = {
        {3, "2024", "VT", 58},
        {3, "2024", " VT ", 58},
        {4, "2024", "VT", 91},
        {3, "2023", "VT", 81},
        {3, "2024.0", "CP", 71},
        {5, "2024", "VT", 1},
        {3, "2024", "", 21},            // the blank and the marker register types only
        {3, "2024", std::nullopt, 21},
        {3, "2025", std::nullopt, 1},
        {3, "2024", "O'X", 1},
    };
    for (const Caso& c : casos) {
        EXPECT_EQ(ValidaTCRegistraciones(c.mes, c.periodo, c.tipoReg), c.esperado)
            << c.mes << " " << c.periodo << " " << c.tipoReg.value_or("<none>");
    }
    EXPECT_TRUE(operator_.Shown().empty());
    EXPECT_EQ(Cuenta(" FROM MV_ASIENTOS WHERE MES_OPERATIVO = 3 AND RTRIM(LTRIM(TIPO_REG)) = 'O''X' AND "
                     "RTRIM(LTRIM(PERIODO)) = '2024'"),
              1);
}

TEST_F(NumeroAsientoTest, FailedReadGivesZero) {
    Run("DROP TABLE MV_ASIENTOS");
    Run("DROP VIEW SS_MV_ASIENTOS");
    operator_.AnswerMsgBox(ui::vbAbort).AnswerMsgBox(ui::vbAbort);
    EXPECT_EQ(ValidaTCRegistraciones(3, "2024", "VT"), 0);
    EXPECT_FALSE(operator_.Shown().empty());
}

}  // namespace
}  // namespace numbering::testing
