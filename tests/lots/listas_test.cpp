// The lists of lots, serials and positions: reading, counting, searching and
// rewriting them, also with character 255 and lots written with accented
// letters (several bytes a character).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "lotes_fixture.h"
#include "vb/text.h"

namespace lots::testing {
namespace {

using Textos = std::vector<std::string>;

class ListasTest : public LotesTest {};

TEST_F(ListasTest, StrSerieLoteListsEachDistinctTokenOnce) {
    struct Caso {
        std::string lista;
        std::string esperado;
    };
    const std::vector<Caso> casos = {
        {"", ""},
        {"|", ""},
        {"|A|b|a| |B|", " A b"},  // the first form met; blanks never show
        {"|A||B|", " A B"},
        {"A|B|", " A B"},         // no leading separator
        {"|A|B", " A"},           // B has no separator after it
        {"  | x |  ", " x"},
        {"|ñandú|ÑANDÚ|Éter|", " ñandú Éter"},
    };
    for (const Caso& c : casos) EXPECT_EQ(Cmn().StrSerieLote(c.lista), c.esperado) << c.lista;
}

TEST_F(ListasTest, DescomponeSerieLoteStoresTrimmedTokensAndOneEmptyElement) {
    struct Caso {
        std::string lista;
        Textos esperado;
    };
    const std::vector<Caso> casos = {
        {"", {""}},
        {"|", {""}},
        {"||", {"", ""}},
        {"|A||B|", {"A", "", "B", ""}},
        {"| x |", {"x", ""}},
        {"|A|B", {"A", ""}},
        {"A|B|", {"A", "B", ""}},
        {"|L1" + Y + "S1|" + Y + "S2|Lö" + Y + "|", {"L1" + Y + "S1", Y + "S2", "Lö" + Y, ""}},
    };
    for (const Caso& c : casos) {
        Textos arreglo = {"resto", "de", "antes"};
        EXPECT_TRUE(Cmn().DescomponeSerieLote(c.lista, arreglo).IsEmpty());
        EXPECT_EQ(arreglo, c.esperado) << c.lista;
    }
}

TEST_F(ListasTest, CountsAndExtractionAgreeWithTheWrittenForm) {
    struct Caso {
        std::string lista;
        long cantidad;
        Textos tokens;  // as written, untrimmed
    };
    const std::vector<Caso> casos = {
        {"", 0, {}},
        {"|", 0, {}},
        {"||", 1, {""}},
        {"|||", 2, {"", ""}},
        {"|A||B|", 3, {"A", "", "B"}},
        {"|A|A|", 2, {"A", "A"}},
        {"|A|B", 1, {"A"}},
        {"| x |", 1, {" x "}},
        {"  |Ñu" + Y + "ñé|" + Y + "S-7|  ", 2, {"Ñu" + Y + "ñé", Y + "S-7"}},
    };
    for (const Caso& c : casos) {
        EXPECT_EQ(Cmn().Cantidad_Series_Lotes(c.lista), c.cantidad) << c.lista;
        for (std::size_t i = 0; i < c.tokens.size(); ++i) {
            EXPECT_EQ(Cmn().ExtraeSerieLote(c.lista, static_cast<int>(i) + 1), c.tokens[i]) << c.lista << " " << i;
        }
        for (int fuera : {-1, 0, static_cast<int>(c.tokens.size()) + 1}) {
            EXPECT_EQ(Cmn().ExtraeSerieLote(c.lista, fuera), "") << c.lista << " " << fuera;
        }
    }
}

TEST_F(ListasTest, ListsWrittenFromTokensReadBackTheSame) {
    const std::vector<Textos> listas = {
        {"L1"},
        {"L1" + Y, Y + "S7", "L2" + Y + "S8", Y},
        {"Lote-Ñandú" + Y + "Série", "àéîõü", "-"},
        {"P01*5", "*2,5"},
    };
    for (const Textos& tokens : listas) {
        std::string lista = "|";
        for (const std::string& t : tokens) lista += t + "|";
        Textos leidos;
        Cmn().DescomponeSerieLote(lista, leidos);
        Textos esperado = tokens;
        esperado.emplace_back();
        EXPECT_EQ(leidos, esperado) << lista;
        EXPECT_EQ(Cmn().Cantidad_Series_Lotes(lista), static_cast<long>(tokens.size()));
        for (std::size_t i = 0; i < tokens.size(); ++i) {
            EXPECT_EQ(Cmn().ExtraeSerieLote(lista, static_cast<int>(i) + 1), tokens[i]);
            EXPECT_EQ(Cmn().Busca_Lotes_Series(lista, tokens[i]), static_cast<long>(i) + 1) << tokens[i];
        }
    }
}

TEST_F(ListasTest, CuentaSeriesLotesCountsSerialsOrElseLots) {
    struct Caso {
        std::string series;
        std::string lotes;
        bool sinConsolidar;
        long esperado;
    };
    const std::vector<Caso> casos = {
        {"|S1|S2|S1|", "|L1|L2|L3|", false, 2},  // serials alone count, a repeat once
        {"|S1|S2|S1|", "|L1|L2|L3|", true, 3},
        {"", "|L1|L1|L2|", false, 2},
        {"", "|L1|L1|L2|", true, 3},
        {"", "", false, 0},
        {"", "", true, 0},
        {"|s1|S1| |", "", false, 1},             // case ignored, blank left out
        {"|", "|L1|L2|", false, 0},               // serials given (though empty): lots play no part
        {"", "|Lö|LÖ|", false, 1},
    };
    for (const Caso& c : casos) {
        const vb::Variant sinConsolidar = c.sinConsolidar ? vb::Variant(true) : vb::Variant();
        EXPECT_EQ(Cmn().Cuenta_Series_Lotes(c.series, c.lotes, sinConsolidar), c.esperado)
            << c.series << " / " << c.lotes << " / " << c.sinConsolidar;
    }
}

TEST_F(ListasTest, InsertaCHR255MakesPickTokensWithoutCuttingACharacter) {
    struct Caso {
        std::string lista;
        std::string esperado;
    };
    const std::vector<Caso> casos = {
        {"|L1|L2|", "|L1" + Y + "|L2" + Y + "|"},
        {"", "|"},
        {"|", "|"},
        {"A|B|", "|" + Y + "|B" + Y + "|"},  // the first character is taken for the "|"
        {"ñ|B|", "|" + Y + "|B" + Y + "|"},  // ... also when it is a character of two bytes
        {"|Ñandú|", "|Ñandú" + Y + "|"},
    };
    for (const Caso& c : casos) {
        const std::string resultado = Cmn().InsertaCHR255(c.lista);
        EXPECT_EQ(resultado, c.esperado) << c.lista;
        EXPECT_EQ(vb::Len(resultado), vb::Len(c.esperado));
    }
}

TEST_F(ListasTest, BuscaLotesSeriesFindsTheTrimmedTokenIgnoringCase) {
    struct Caso {
        std::string lista;
        std::string buscado;
        long esperado;
    };
    const std::vector<Caso> casos = {
        {"|a|B|", " b ", 2},
        {"|a|B|", "z", 3},  // not found: the count + 1
        {"", "a", 0},
        {"|", "a", 0},
        {"abc", "abc", 0},  // no separator at all
        {"| x |", "X", 1},
        {"|lote-ñ|", "LOTE-Ñ", 1},
        {"|L1" + Y + "|" + Y + "S7|", Y + "s7", 2},
        {"|L1" + Y + "|", "L1", 2},  // the lot alone is not the pick token
    };
    for (const Caso& c : casos) {
        EXPECT_EQ(Cmn().Busca_Lotes_Series(c.lista, c.buscado), c.esperado) << c.lista << " ? " << c.buscado;
    }
}

TEST_F(ListasTest, DescomponePosicionCantidadLoteSplitsPositionsQuantitiesAndLots) {
    Textos posiciones;
    Textos cantidades;
    Textos lotes;
    Cmn().DescomponePosicionCantidadLote("|P01*5|P02*2,5|*3|", "|L1|L2||", posiciones, cantidades, lotes);
    EXPECT_EQ(posiciones, (Textos{"P01", "P02", "", ""}));
    EXPECT_EQ(cantidades, (Textos{"5", "2,5", "3", ""}));
    EXPECT_EQ(lotes, (Textos{"L1", "L2", "", ""}));

    Cmn().DescomponePosicionCantidadLote("", "", posiciones, cantidades, lotes);
    EXPECT_EQ(posiciones, (Textos{""}));
    EXPECT_EQ(cantidades, (Textos{""}));
    EXPECT_EQ(lotes, (Textos{""}));
    EXPECT_TRUE(operator_.Shown().empty());
}

TEST_F(ListasTest, APositionWithoutQuantityIsReportedAndTheArraysStayParallel) {
    Textos posiciones;
    Textos cantidades;
    Textos lotes;

    // Ignore: the position stays whole, with no quantity, and the rest is read.
    operator_.AnswerMsgBox(ui::vbIgnore);
    Cmn().DescomponePosicionCantidadLote("|P01*5|P02|P03*1|", "|L1|L2|L3|", posiciones, cantidades, lotes);
    ASSERT_EQ(Cajas("MsgBox").size(), 1u);
    EXPECT_NE(Cajas("MsgBox")[0].prompt.find("Ha ocurrido el Siguiente Error (5)"), std::string::npos);
    EXPECT_NE(Cajas("MsgBox")[0].title.find("Cuenta_Series_Y_Lotes%"), std::string::npos);
    EXPECT_EQ(posiciones, (Textos{"P01", "P02", "P03", ""}));
    EXPECT_EQ(cantidades, (Textos{"5", "", "1", ""}));
    EXPECT_EQ(lotes, (Textos{"L1", "L2", "L3", ""}));

    // Abort: the method is left with its results as they stand.
    operator_.AnswerMsgBox(ui::vbAbort);
    Cmn().DescomponePosicionCantidadLote("|P01*5|P02|P03*1|", "|L1|L2|L3|", posiciones, cantidades, lotes);
    EXPECT_EQ(posiciones, (Textos{"P01", "P02", "P03*1", ""}));
    EXPECT_EQ(cantidades.size(), posiciones.size());
    EXPECT_EQ(lotes, (Textos{""}));
}

TEST_F(ListasTest, CuentaLotesEnGrillaMergesTheArticlesLines) {
    auto grilla = GrillaArticulos(6);
    const auto linea = [&](int fila, const std::string& articulo, const std::string& lotes,
                           const std::string& cantidades) {
        grilla->SetTextMatrix(fila, 0, articulo);
        grilla->SetTextMatrix(fila, 21, lotes);
        grilla->SetTextMatrix(fila, 22, cantidades);
    };
    linea(1, "OTRO", "|X" + Y + "|", "|9|");
    linea(2, "P1", "|L1" + Y + "|" + Y + "S7|", "|1|2|");
    linea(3, "p1", "", "");  // same article (case ignored), nothing picked
    linea(4, "P1 ", "|Z" + Y + "|", "|8|");  // not the same code: nothing is trimmed
    linea(5, "P1", "|L2" + Y + "|", "|3|");

    std::string lotes = "antes";
    std::string cantidades = "antes";
    Cmn().CuentaLotesEnGrilla(*grilla, "P1", lotes, cantidades);
    EXPECT_EQ(lotes, "|L1" + Y + "|" + Y + "S7|L2" + Y + "|");
    EXPECT_EQ(cantidades, "|1|2|3|");

    Cmn().CuentaLotesEnGrilla(*grilla, "NINGUNO", lotes, cantidades);
    EXPECT_EQ(lotes, "");
    EXPECT_EQ(cantidades, "");
}

}  // namespace
}  // namespace lots::testing
