// The common helpers that need no database.
#include <gtest/gtest.h>

#include "foundation/comunes.h"
#include "foundation/configuracion.h"
#include "vb/error.h"
#include "vb/regional.h"
#include "vb/text.h"

namespace foundation {
namespace {

vb::Regional WithSeparator(const char* decimal, const char* thousands, int currencyDigits) {
    vb::Regional r;
    r.decimalSeparator = decimal;
    r.thousandsSeparator = thousands;
    r.currencyDigits = currencyDigits;
    return r;
}

struct MoneyCase {
    const char* valor;
    int decimales;
    const char* cantidadDecimales;  // the configured CantidadDecimales
    int currencyDigits;
    const char* withPoint;  // decimal separator "."
    const char* withComma;  // decimal separator ","
};

class FmtMonedaTest : public ::testing::TestWithParam<MoneyCase> {};

TEST_P(FmtMonedaTest, FormatsWithBothSeparators) {
    const MoneyCase& c = GetParam();
    gCantidadDecimales = c.cantidadDecimales;
    {
        vb::ScopedRegional regional(WithSeparator(".", ",", c.currencyDigits));
        EXPECT_EQ(FmtMoneda(c.valor, c.decimales), c.withPoint) << c.valor << " / " << c.decimales;
    }
    {
        vb::ScopedRegional regional(WithSeparator(",", ".", c.currencyDigits));
        EXPECT_EQ(FmtMoneda(c.valor, c.decimales), c.withComma) << c.valor << " / " << c.decimales;
    }
    gCantidadDecimales.clear();
}

INSTANTIATE_TEST_SUITE_P(
    Cases, FmtMonedaTest,
    ::testing::Values(
        MoneyCase{"12.5", 2, "", 2, "12.50", "12,50"},
        MoneyCase{"12,5", 2, "", 2, "12.50", "12,50"},
        MoneyCase{"1234567.891", 2, "", 2, "1234567.89", "1234567,89"},
        MoneyCase{"-3.14159", 3, "", 2, "-3.142", "-3,142"},
        // Halves go to the even neighbour.
        MoneyCase{"0.125", 2, "", 2, "0.12", "0,12"},
        MoneyCase{"0.135", 2, "", 2, "0.14", "0,14"},
        MoneyCase{"2.675", 2, "", 2, "2.68", "2,68"},
        // -2: no decimals, no separator at the end.
        MoneyCase{"12.5", -2, "", 2, "12", "12"},
        MoneyCase{"13.5", -2, "", 2, "14", "14"},
        MoneyCase{"-2.5", -2, "", 2, "-2", "-2"},
        // -3: the text unchanged, even when it is not a number.
        MoneyCase{"abc", -3, "", 2, "abc", "abc"},
        MoneyCase{" 1.5 ", -3, "", 2, " 1.5 ", " 1.5 "},
        // -1: the configured decimals; a missing key (" ") means the locale's.
        MoneyCase{"12.45", -1, "1", 2, "12.4", "12,4"},
        MoneyCase{"12.5", -1, " ", 3, "12.500", "12,500"},
        // 0: the locale's currency digits.
        MoneyCase{"12.5", 0, "", 3, "12.500", "12,500"},
        MoneyCase{"12.5", 0, "", 0, "12", "12"},
        MoneyCase{"", 2, "", 2, "0.00", "0,00"}));

TEST(ArmaInsert, AppendsColumnsAndValues) {
    const struct {
        std::vector<CampoValor> campos;
        const char* expected;
    } cases[] = {
        {{{"A", "'1'"}, {"B", "2"}}, "INSERT INTO T (A,B) VALUES ('1',2)"},
        {{{"A", "x"}}, "INSERT INTO T (A) VALUES (x)"},
        {{{"A", "1"}, {"B", "GETDATE()"}, {"C", "'a, b'"}}, "INSERT INTO T (A,B,C) VALUES (1,GETDATE(),'a, b')"},
    };
    for (const auto& c : cases) {
        std::string sql = "INSERT INTO T ";
        std::vector<CampoValor> campos = c.campos;
        ArmaInsert(sql, campos, false);
        EXPECT_EQ(sql, c.expected);
        EXPECT_EQ(campos.size(), c.campos.size());
    }
}

TEST(ArmaInsert, ClearsTheSharedArrayAndRefusesAnEmptyOne) {
    gCamposInsert = {{"A", "1"}};
    std::string sql;
    ArmaInsert(sql, gCamposInsert, true);
    EXPECT_EQ(sql, "(A) VALUES (1)");
    EXPECT_TRUE(gCamposInsert.empty());
    try {
        ArmaInsert(sql, gCamposInsert, true);
        FAIL() << "an empty array built a statement";
    } catch (const vb::Error& e) {
        EXPECT_EQ(e.Number(), vb::kErrSubscript);
    }
    EXPECT_EQ(sql, "(A) VALUES (1)");
}

TEST(ArmaCondicion, BuildsTheCondition) {
    const struct {
        std::vector<std::string> valores;
        const char* comilla;
        bool nulos;
        bool omitir;
        const char* expected;
    } cases[] = {
        {{"a", "b"}, "'", false, false, " idarticulo ='a' OR  idarticulo ='b'"},
        {{"a"}, "'", true, false, " idarticulo ='a' OR  idarticulo  is null "},
        {{" ", "", "c"}, "'", false, true, " idarticulo =' ' OR  idarticulo ='c'"},
        {{" ", "", "c"}, "'", false, false, " idarticulo =' ' OR  idarticulo ='' OR  idarticulo ='c'"},
        {{"5", "6"}, "", false, false, " idarticulo =5 OR  idarticulo =6"},
        // An apostrophe stays inside the literal.
        {{"O'Brien"}, "'", false, false, " idarticulo ='O''Brien'"},
        // Nothing to compare: no row, not every row.
        {{}, "'", false, false, "1=0"},
        {{}, "'", true, false, "1=0"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ArmaCondicion(" idarticulo ", "=", c.valores, " OR ", c.comilla, c.nulos, c.omitir), c.expected);
    }
}

TEST(TextoABoolean, FalseOnlyForTheNegativeWords) {
    for (const char* text : {"no", "NO", "n", "N", "0", "Falso", "FALSE", "false"})
        EXPECT_FALSE(TextoABoolean(text)) << text;
    for (const char* text : {"", "X", "SI", "1", "True", " no", "-1"}) EXPECT_TRUE(TextoABoolean(text)) << text;
}

TEST(ConvierteHora, GivesMinutes) {
    const struct {
        const char* texto;
        const char* horas;
        const char* minutos;
        bool soloTexto;
        double expected;
    } cases[] = {
        {"1:30", "", "", true, 90},   {"2", "", "", true, 120},   {"", "2", "15", false, 135},
        {"", "0", "0", false, 0},     {"", "", "", false, 0},     {"10:45", "", "", false, 645},
        {"01/02/2024 08:05", "", "", false, 485}, {"3:15", "9", "9", false, 195},
        {"", "-1", "30", false, -30},
    };
    for (const auto& c : cases)
        EXPECT_DOUBLE_EQ(ConvierteHora(c.texto, c.horas, c.minutos, c.soloTexto), c.expected) << c.texto;
}

TEST(LetraComprobante, FromBothConditions) {
    EXPECT_EQ(LetraComprobante("1", "1"), "A");
    EXPECT_EQ(LetraComprobante("1", "3"), "B");
    EXPECT_EQ(LetraComprobante("1", "2"), "A");
    EXPECT_EQ(LetraComprobante("2", "1"), "C");
    EXPECT_EQ(LetraComprobante("2", "3"), "C");
    EXPECT_EQ(LetraComprobante("", ""), "C");
}

TEST(BuscaEnArray, SearchesFromTheGivenIndexWithoutRegardToCase) {
    const std::vector<std::string> lista = {"a", "B", "c", "b"};
    EXPECT_EQ(BuscaEnArray(lista, "b", 0), 1);
    EXPECT_EQ(BuscaEnArray(lista, "b", 2), 3);
    EXPECT_EQ(BuscaEnArray(lista, "z", 0), -1);
    EXPECT_EQ(BuscaEnArray(lista, "a", 4), -1);
    EXPECT_EQ(BuscaEnArray({}, "a", 0), -1);
}

TEST(IndiceEnLista, MatchesTheCleanedKey) {
    TotalesPorGrupo = {{"IVA 21" + vb::kChr255, {}}, {std::string(" IVA 10.5\0", 10), {}}, {"iva 27", {}}};
    EXPECT_EQ(IndiceEnLista("IVA 21"), 0);
    EXPECT_EQ(IndiceEnLista(" IVA 10.5 "), 1);
    EXPECT_EQ(IndiceEnLista("IVA 27"), 2);
    EXPECT_EQ(IndiceEnLista("IVA"), -1);
    TotalesPorGrupo.clear();
    EXPECT_EQ(IndiceEnLista("IVA 21"), -1);
}

TEST(LimpiaTexto, RemovesControlCharactersAndTrims) {
    EXPECT_EQ(LimpiaTexto(std::string(" a\0b", 4) + vb::kChr255 + "\nc "), "abc");
    EXPECT_EQ(LimpiaTexto(vb::Variant(12)), "12");
    EXPECT_EQ(LimpiaTexto(vb::Null), "");
}

TEST(FormatoFechaHora, IsDayFirst) { EXPECT_EQ(FormatoFechaHora(), "dd/mm/yy hh:mm"); }

}  // namespace
}  // namespace foundation
