// What every posting keeps, whatever its lines hold: each line's posted
// quantities add up to its quantity, a transfer nets to zero per article and
// lot, no stored code holds "|" or character 255, the lines of one
// accounting entry never share a sequence number, every document gets an
// entry number of its own and its entry books exactly the stock posted. A
// line or a document that cannot be posted whole is refused, the user is
// told which and why, and nothing of its document stays, whoever holds the
// transaction.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <QLineEdit>
#include <QTimer>

#include <functional>
#include <iterator>
#include <map>
#include <memory>
#include <random>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "documents/cls_cmn_cptes.h"
#include "entrygrids/auxiliares.h"
#include "entrygrids/columnas.h"
#include "helpers/helpers.h"
#include "lots/frm_carga_lotesy_series.h"
#include "posteo_fixture.h"
#include "vb/currency.h"
#include "vb/format.h"
#include "vb/text.h"

namespace posting::testing {
namespace {

using namespace entrygrids;

// A posted entry: lot, serial (trimmed, "" for NULL) and quantity.
using Movimiento = std::tuple<std::string, std::string, std::string>;

vb::Currency Cantidad(const std::string& texto) { return helpers::gFunciones().TextoAMoneda(texto); }

std::string Codigo(const Fila& f, const std::string& columna) {
    const std::string& valor = f.at(columna);
    return valor == "<null>" ? std::string() : vb::Trim(valor);
}

std::multiset<Movimiento> Registrados(const std::vector<Fila>& filas) {
    std::multiset<Movimiento> movimientos;
    for (const Fila& f : filas) {
        movimientos.emplace(Codigo(f, "NROLOTE"), Codigo(f, "NROSERIE"), vb::CStr(Cantidad(f.at("CANTIDAD"))));
    }
    return movimientos;
}

vb::Currency Suma(const std::vector<Fila>& filas) {
    vb::Currency suma;
    for (const Fila& f : filas) suma += Cantidad(f.at("CANTIDAD"));
    return suma;
}

enum class Tipo { Salida, Ingreso, Transferencia };

struct CasoLinea {
    const char* nombre;
    Tipo tipo;
    std::string cantidad;
    std::vector<std::pair<int, std::string>> celdas;
    std::multiset<Movimiento> esperados;  // what enters (or leaves), before the sign
    std::string loteFijo{};
};

std::string Picks(const std::vector<std::string>& tokens) {
    std::string lista = "|";
    for (const std::string& t : tokens) lista += t + "|";
    return lista;
}

class InvariantesTest : public PosteoTest {
protected:
    Llamada LlamadaDe(Tipo tipo, bool lote) {
        switch (tipo) {
        case Tipo::Salida: return Llamada{.tc = "RM", .lote = lote};
        case Tipo::Ingreso: return Llamada{.tc = "IR", .lote = lote};
        case Tipo::Transferencia:
            return Llamada{.tc = "TR", .deposito = "01", .destino = "09", .transferencia = true, .lote = lote};
        }
        return {};
    }

    // Posts the grid and, in batch mode, runs the batch.
    void PosteaYGraba(ui::FlexGrid& g, Llamada& c, documents::ClsCmnCptes* cmn = nullptr) {
        Postea(g, c, cmn);
        ASSERT_FALSE(c.hayError);
        if (!c.lote) return;
        std::string lote = c.sql;
        c.sql.clear();
        ASSERT_TRUE(db_.EjecutaConsultaSQL(lote));
    }

    // Runs a batch the database refuses; the text of the one box the user reads.
    std::string LoteRechazado(std::string lote) {
        operador_.ClearShown();
        operador_.AnswerMsgBox(ui::vbOK);
        EXPECT_FALSE(db_.EjecutaConsultaSQL(lote));
        EXPECT_EQ(operador_.Shown().size(), 1u);
        if (operador_.Shown().empty()) return {};
        EXPECT_EQ(operador_.Shown()[0].title, "Aviso al operador!!!");
        EXPECT_EQ(operador_.Shown()[0].style, ui::vbOKOnly | ui::vbCritical);
        return operador_.Shown()[0].prompt;
    }

    // A line of 3 of A1 whose lots the user picks in the pick dialog from
    // L1 (5) and L2 (3) of depot 01, with what `elige` does in it; the lists
    // it hands back are in the line's cells.
    std::unique_ptr<ui::FlexGrid> LineaElegida(std::function<void(lots::FrmCargaLotesySeries&)> elige) {
        Ejecuta("INSERT INTO STK_SERIES_Y_LOTES (IDARTICULO, IDDEPOSITO, NROLOTE, CANTIDAD) VALUES "
                "('A1', '01', 'L1', 5), ('A1', '01', 'L2', 3)");
        auto g = Grilla(1);
        Linea(*g, 1, "A1", "3");
        operador_.OnModal([elige](QWidget& w) { elige(dynamic_cast<lots::FrmCargaLotesySeries&>(w)); });
        std::string lotes;
        std::string cantidades;
        double cantidad = 3;
        std::string deposito = "01";
        documents::ClsCmnCptes cmn;
        cmn.PideSerieLote_Salidas(*g, "A1", "Tornillo", cantidad, "", "", lotes, cantidades, true, false, false,
                                  &deposito);
        g->SetTextMatrix(1, kColAuxNroLote, lotes);
        g->SetTextMatrix(1, kColAuxNroSerie, cantidades);
        return g;
    }

    // No stored lot or serial holds a list separator: "|" or character 255.
    void SinSeparadores() {
        for (const Fila& f : Filas("SELECT NROLOTE, NROSERIE FROM V_MV_STOCK")) {
            for (const char* columna : {"NROLOTE", "NROSERIE"}) {
                EXPECT_EQ(f.at(columna).find(kFF), std::string::npos) << f.at(columna);
                EXPECT_EQ(f.at(columna).find('|'), std::string::npos) << f.at(columna);
            }
        }
    }
};

TEST_F(InvariantesTest, EveryLineIsPostedWholeOnceWithEveryLot) {
    const std::string S = "-1";  // a flag set
    const std::vector<CasoLinea> casos = {
        // ---- Outgoing: pick tokens (lot, character 255, serial) with their quantities.
        {"picks of two lots", Tipo::Salida, "6",
         {{kColAuxNroLote, Picks({"L1" + kFF, "L2" + kFF, kFF})}, {kColAuxNroSerie, "|2|4|0|"}},
         {{"L1", "", "2"}, {"L2", "", "4"}}},
        {"a lot kept in three positions", Tipo::Salida, "8",
         {{kColAuxNroLote, Picks({"L1" + kFF, "L1" + kFF, "L1" + kFF, "L2" + kFF, kFF})},
          {kColAuxNroSerie, "|2|2|1|3|0|"}},
         {{"L1", "", "2"}, {"L1", "", "2"}, {"L1", "", "1"}, {"L2", "", "3"}}},
        {"picks short of the line", Tipo::Salida, "5", {{kColAuxNroLote, Picks({"L1" + kFF})}, {kColAuxNroSerie, "|2|"}},
         {{"L1", "", "2"}, {"", "", "3"}}},
        {"no picks", Tipo::Salida, "4", {}, {{"", "", "4"}}},
        {"picks all zero", Tipo::Salida, "4", {{kColAuxNroLote, Picks({"L1" + kFF})}, {kColAuxNroSerie, "|0|"}},
         {{"", "", "4"}}},
        {"serials", Tipo::Salida, "2",
         {{kColAuxPideSerie, S}, {kColAuxNroLote, Picks({kFF + "S1", "L7" + kFF + "S2"})}, {kColAuxNroSerie, "|1|1|"}},
         {{"", "S1", "1"}, {"L7", "S2", "1"}}},
        {"sizes", Tipo::Salida, "3",
         {{kColAuxPideTalle, S}, {kColAuxNroLote, Picks({"M" + kFF, "L" + kFF, "M" + kFF})}, {kColAuxNroSerie, "|1|1|1|"}},
         {{"M", "", "1"}, {"L", "", "1"}, {"M", "", "1"}}},
        {"fractions adding up exactly", Tipo::Salida, "0,3",
         {{kColAuxNroLote, Picks({"L1" + kFF, "L2" + kFF})}, {kColAuxNroSerie, "|0,1|0,2|"}},
         {{"L1", "", "0,1"}, {"L2", "", "0,2"}}},
        {"a blank token keeps its own quantity", Tipo::Salida, "3",
         {{kColAuxNroLote, "|L1" + kFF + "||"}, {kColAuxNroSerie, "|1|2|"}}, {{"L1", "", "1"}, {"", "", "2"}}},
        {"a code holding two separators", Tipo::Salida, "2",
         {{kColAuxNroLote, Picks({"L1" + kFF + "S1" + kFF + "X"})}, {kColAuxNroSerie, "|2|"}}, {{"L1", "S1X", "2"}}},
        {"a size token with text after its separator", Tipo::Salida, "2",
         {{kColAuxPideTalle, S}, {kColAuxNroLote, Picks({"M" + kFF + "X"})}, {kColAuxNroSerie, "|2|"}},
         {{"M", "", "2"}}},
        {"a fixed lot is for incoming lines only", Tipo::Salida, "2", {}, {{"", "", "2"}}, "FIJO"},
        // ---- Incoming: one token a unit (lots, serials), or pick lists (sizes).
        {"fewer lot tokens than units", Tipo::Ingreso, "10", {{kColAuxNroLote, "|L1|L2|"}},
         {{"L1", "", "1"}, {"L2", "", "1"}, {"", "", "8"}}},
        {"a fractional quantity", Tipo::Ingreso, "2,5", {{kColAuxNroLote, "|L1|L2|L3|"}},
         {{"L1", "", "1"}, {"L2", "", "1"}, {"L3", "", "0,5"}}},
        {"repeated lots", Tipo::Ingreso, "3", {{kColAuxNroLote, "|L1|L1|L2|"}},
         {{"L1", "", "1"}, {"L1", "", "1"}, {"L2", "", "1"}}},
        {"a blank lot token", Tipo::Ingreso, "3", {{kColAuxNroLote, "|L1||L2|"}},
         {{"L1", "", "1"}, {"", "", "1"}, {"L2", "", "1"}}},
        {"one lot for the whole line", Tipo::Ingreso, "10", {{kColAuxNroLote, "|L1|"}}, {{"L1", "", "10"}}},
        {"fewer serials than units", Tipo::Ingreso, "5",
         {{kColAuxPideSerie, S}, {kColAuxNroLote, "|LA|LB|"}, {kColAuxNroSerie, "|S1|S2|"}},
         {{"LA", "S1", "1"}, {"LB", "S2", "1"}, {"", "", "3"}}},
        {"one serial, several units", Tipo::Ingreso, "3", {{kColAuxPideSerie, S}, {kColAuxNroSerie, "|S1|"}},
         {{"", "S1", "1"}, {"", "", "2"}}},
        {"more serials than units", Tipo::Ingreso, "2", {{kColAuxPideSerie, S}, {kColAuxNroSerie, "|S1|S2|S3|"}},
         {{"", "S1", "1"}, {"", "S2", "1"}}},
        {"a serial with a blank one", Tipo::Ingreso, "3", {{kColAuxPideSerie, S}, {kColAuxNroSerie, "|S1||S3|"}},
         {{"", "S1", "1"}, {"", "", "1"}, {"", "S3", "1"}}},
        {"a serial given as a pick token", Tipo::Ingreso, "1",
         {{kColAuxPideSerie, S}, {kColAuxNroSerie, "|LA" + kFF + "S1|"}}, {{"LA", "S1", "1"}}},
        {"lots and serials of an article without serials", Tipo::Ingreso, "2",
         {{kColAuxNroLote, "|L1|L2|"}, {kColAuxNroSerie, "|S1|S2|"}}, {{"L1", "S1", "1"}, {"L2", "S2", "1"}}},
        {"sizes with a repeated size", Tipo::Ingreso, "5",
         {{kColAuxPideTalle, S}, {kColAuxNroLote, Picks({"M" + kFF, "M" + kFF, "L" + kFF})}, {kColAuxNroSerie, "|1|1|2|"}},
         {{"M", "", "1"}, {"M", "", "1"}, {"L", "", "2"}, {"", "", "1"}}},
        {"pick tokens on an incoming line", Tipo::Ingreso, "5",
         {{kColAuxNroLote, Picks({"L1" + kFF + "S9", "L2" + kFF})}, {kColAuxNroSerie, "|2|3|"}},
         {{"L1", "S9", "2"}, {"L2", "", "3"}}},
        {"pick tokens on an incoming line without quantities", Tipo::Ingreso, "3",
         {{kColAuxNroLote, Picks({"L1" + kFF + "S9", "L2" + kFF})}},
         {{"L1", "S9", "1"}, {"L2", "", "1"}, {"", "", "1"}}},
        {"a perishable line of one lot", Tipo::Ingreso, "5", {{kColAuxesperecedero, S}, {kColAuxNroLote, "|V1|"}},
         {{"V1", "", "5"}}},
        {"a perishable line of two lots", Tipo::Ingreso, "5", {{kColAuxesperecedero, S}, {kColAuxNroLote, "|V1|V2|"}},
         {{"V1", "", "1"}, {"V2", "", "1"}, {"", "", "3"}}},
        {"a perishable line without lots takes the fixed lot", Tipo::Ingreso, "2", {{kColAuxesperecedero, S}},
         {{"FIJO", "", "2"}}, "FIJO"},
        {"a code holding two separators, incoming", Tipo::Ingreso, "1",
         {{kColAuxNroLote, "|L1" + kFF + "S1" + kFF + "X|"}}, {{"L1", "S1X", "1"}}},
        {"a size token with text after its separator, incoming", Tipo::Ingreso, "2",
         {{kColAuxPideTalle, S}, {kColAuxNroLote, Picks({"M" + kFF + "X"})}, {kColAuxNroSerie, "|2|"}},
         {{"M", "", "2"}}},
        {"a size line without a lot list keeps its size as the serial", Tipo::Ingreso, "2",
         {{kColAuxPideTalle, S}, {kColAuxNroSerie, "|38-Rojo-M|38-Rojo-M|"}}, {{"", "38-Rojo-M", "2"}}},
        // A serial list holding only separators, or the "-" the dialog writes
        // for a blank cell, is no serial list: the lots go one a unit.
        {"serials of only a separator", Tipo::Ingreso, "3",
         {{kColAuxPideSerie, S}, {kColAuxNroLote, "|L1|L2|L3|"}, {kColAuxNroSerie, "|"}},
         {{"L1", "", "1"}, {"L2", "", "1"}, {"L3", "", "1"}}},
        {"serials of two separators", Tipo::Ingreso, "3",
         {{kColAuxPideSerie, S}, {kColAuxNroLote, "|L1|L2|L3|"}, {kColAuxNroSerie, "||"}},
         {{"L1", "", "1"}, {"L2", "", "1"}, {"L3", "", "1"}}},
        {"serials of blank cells", Tipo::Ingreso, "3",
         {{kColAuxPideSerie, S}, {kColAuxNroLote, "|L1|L2|L3|"}, {kColAuxNroSerie, "|-|-|"}},
         {{"L1", "", "1"}, {"L2", "", "1"}, {"L3", "", "1"}}},
        {"serials of blank cells, an article without serials", Tipo::Ingreso, "2",
         {{kColAuxNroLote, "|L1|L2|"}, {kColAuxNroSerie, "|-|-|"}}, {{"L1", "", "1"}, {"L2", "", "1"}}},
        {"a serial and a blank cell", Tipo::Ingreso, "2",
         {{kColAuxPideSerie, S}, {kColAuxNroLote, "|L1|L1|"}, {kColAuxNroSerie, "|S1|-|"}},
         {{"L1", "S1", "1"}, {"L1", "", "1"}}},
        {"lots of blank cells take the fixed lot", Tipo::Ingreso, "3", {{kColAuxNroLote, "|-|-|-|"}},
         {{"FIJO", "", "3"}}, "FIJO"},
        // The "-" of a blank quantity cell takes nothing from its lot.
        {"a blank pick quantity", Tipo::Salida, "3",
         {{kColAuxNroLote, Picks({"L1" + kFF, "L2" + kFF})}, {kColAuxNroSerie, "|-|3|"}}, {{"L2", "", "3"}}},
        // ---- Transfers: the destination receives what left the source, lot by lot.
        {"a transfer of two lots", Tipo::Transferencia, "6",
         {{kColAuxNroLote, Picks({"L1" + kFF, "L2" + kFF, kFF})}, {kColAuxNroSerie, "|2|4|0|"}},
         {{"L1", "", "2"}, {"L2", "", "4"}}},
        {"a transfer of a lot kept in two positions", Tipo::Transferencia, "5",
         {{kColAuxNroLote, Picks({"L1" + kFF, "L1" + kFF, "L2" + kFF})}, {kColAuxNroSerie, "|1|2|2|"}},
         {{"L1", "", "1"}, {"L1", "", "2"}, {"L2", "", "2"}}},
        {"a transfer of serials", Tipo::Transferencia, "2",
         {{kColAuxPideSerie, S}, {kColAuxNroLote, Picks({"LA" + kFF + "S1", "LA" + kFF + "S2"})},
          {kColAuxNroSerie, "|1|1|"}},
         {{"LA", "S1", "1"}, {"LA", "S2", "1"}}},
        {"a transfer of a perishable article", Tipo::Transferencia, "3",
         {{kColAuxesperecedero, S}, {kColAuxNroLote, Picks({"V1" + kFF})}, {kColAuxNroSerie, "|3|"}},
         {{"V1", "", "3"}}},
        {"a transfer without picks", Tipo::Transferencia, "3", {}, {{"", "", "3"}}},
        // Both sides of a transfer read the pick lists: the incoming side never
        // takes the incoming rules (a lot a unit, the fixed lot).
        {"a transfer of a perishable article with a plain lot list", Tipo::Transferencia, "3",
         {{kColAuxesperecedero, S}, {kColAuxNroLote, "|V1|V2|"}, {kColAuxNroSerie, "|1|2|"}},
         {{"V1", "", "1"}, {"V2", "", "2"}}},
        {"a transfer with a fixed lot", Tipo::Transferencia, "3", {}, {{"", "", "3"}}, "FIJO"},
    };
    for (const bool lote : {false, true}) {
        for (const CasoLinea& caso : casos) {
            SCOPED_TRACE(std::string(caso.nombre) + (lote ? ", batch" : ", immediate"));
            Ejecuta("DELETE FROM V_MV_STOCK");
            auto g = Grilla(1);
            Linea(*g, 1, "A1", caso.cantidad, caso.celdas);
            Llamada c = LlamadaDe(caso.tipo, lote);
            c.loteFijo = caso.loteFijo;
            PosteaYGraba(*g, c);
            const vb::Currency linea = Cantidad(caso.cantidad);
            const std::vector<Fila> filas = PosteoTest::Movimientos(c.tc);
            if (caso.tipo == Tipo::Transferencia) {
                std::vector<Fila> salen;
                std::vector<Fila> entran;
                for (const Fila& f : filas) (Cantidad(f.at("CANTIDAD")) < vb::Currency() ? salen : entran).push_back(f);
                EXPECT_EQ(Suma(salen), vb::Currency() - linea);
                EXPECT_EQ(Registrados(entran), caso.esperados);
                for (const Fila& f : entran) EXPECT_EQ(vb::Trim(f.at("IDDEPOSITO")), "09");
                // Nets to zero for every article, lot and serial.
                for (const Fila& f : Filas("SELECT IDARTICULO, NROLOTE, NROSERIE, SUM(CANTIDAD) AS NETO FROM V_MV_STOCK "
                                           "GROUP BY IDARTICULO, NROLOTE, NROSERIE")) {
                    EXPECT_EQ(Cantidad(f.at("NETO")), vb::Currency()) << f.at("NROLOTE") << " " << f.at("NROSERIE");
                }
            } else {
                const int signo = caso.tipo == Tipo::Salida ? -1 : 1;
                EXPECT_EQ(Suma(filas), vb::Currency::FromTicks(linea.Ticks() * signo));
                std::multiset<Movimiento> esperados;
                for (const auto& [l, s, q] : caso.esperados) {
                    esperados.emplace(l, s, vb::CStr(vb::Currency::FromTicks(Cantidad(q).Ticks() * signo)));
                }
                EXPECT_EQ(Registrados(filas), esperados);
            }
            SinSeparadores();
            EXPECT_TRUE(operador_.Shown().empty());
        }
    }
}

TEST_F(InvariantesTest, ALineThatCannotBePostedWholeIsRefusedAndNothingOfItsDocumentStays) {
    struct Caso {
        const char* nombre;
        Tipo tipo;
        std::string cantidades;  // of the picks L1 and L2
        std::string mensaje;
        std::vector<std::pair<int, std::string>> otras{};  // other cells of the line
    };
    const std::vector<Caso> casos = {
        {"picks beyond the line", Tipo::Salida, "|2|5|", "tiene 7 en sus lotes, series o talles, más que su cantidad (6)."},
        {"a negative pick", Tipo::Salida, "|8|-2|", "tiene una cantidad negativa en sus lotes, series o talles."},
        {"a negative pick of a transfer", Tipo::Transferencia, "|8|-2|",
         "tiene una cantidad negativa en sus lotes, series o talles."},
        {"sizes beyond the line", Tipo::Ingreso, "|4|4|", "tiene 8 en sus lotes, series o talles, más que su cantidad (6)."},
        // A pick with a bad quantity never reaches the stock.
        {"a quantity that is no number", Tipo::Salida, "|x|6|",
         "tiene la cantidad \"x\", que no es un número, en sus lotes, series o talles."},
        {"a list shifted by a separator typed as a quantity", Tipo::Salida, "|||6|",
         "tiene más cantidades que lotes, series o talles: sus listas no se corresponden."},
        {"a shifted list of a transfer", Tipo::Transferencia, "|||6|",
         "tiene más cantidades que lotes, series o talles: sus listas no se corresponden."},
        {"a pick too large to keep", Tipo::Salida, "|1e400|6|",
         "tiene la cantidad \"1e400\", demasiado grande para grabarla, en sus lotes, series o talles."},
        {"a pick of twenty digits", Tipo::Transferencia, "|99999999999999999999|6|",
         "tiene la cantidad \"99999999999999999999\", demasiado grande para grabarla, en sus lotes, series o "
         "talles."},
        // A number too large to keep would raise an overflow for the user to answer in English.
        {"a quantity with an exponent", Tipo::Salida, "|2|4|",
         "tiene la cantidad \"1e400\", demasiado grande para grabarla.", {{kColCantidad, "1e400"}}},
        {"a quantity of twenty digits", Tipo::Ingreso, "|2|4|",
         "tiene la cantidad \"99999999999999999999\", demasiado grande para grabarla.",
         {{kColCantidad, "99999999999999999999"}}},
        {"a cost of twenty digits", Tipo::Salida, "|2|4|", "tiene un número demasiado grande para grabarlo.",
         {{kColAuxCosto, "99999999999999999999"}}},
    };
    for (const bool lote : {false, true}) {
        for (const Caso& caso : casos) {
            SCOPED_TRACE(std::string(caso.nombre) + (lote ? ", batch" : ", immediate"));
            operador_.ClearShown();
            operador_.AnswerMsgBox(ui::vbOK);
            auto g = Grilla(2);
            Linea(*g, 1, "A2", "1");  // a good line comes first
            std::vector<std::pair<int, std::string>> celdas = {
                {kColAuxPideTalle, caso.tipo == Tipo::Ingreso ? "-1" : "0"},
                {kColAuxNroLote, Picks({"L1" + kFF, "L2" + kFF})},
                {kColAuxNroSerie, caso.cantidades}};
            celdas.insert(celdas.end(), caso.otras.begin(), caso.otras.end());
            Linea(*g, 2, "A1", "6", celdas);
            Llamada c = LlamadaDe(caso.tipo, lote);
            c.sql = "PREVIO";
            Postea(*g, c);
            EXPECT_TRUE(c.hayError);
            ASSERT_EQ(operador_.Shown().size(), 1U);
            EXPECT_EQ(operador_.Shown()[0].prompt, "No se grabó el stock del comprobante " + c.tc +
                                                       " 0001-00000012-X: la línea 2 (artículo A1) " + caso.mensaje);
            EXPECT_EQ(operador_.Shown()[0].title, "Aviso al Operador");
            EXPECT_EQ(operador_.Shown()[0].style, ui::vbOKOnly | ui::vbCritical);
            EXPECT_EQ(c.sql, "PREVIO");
            EXPECT_EQ(Valor("SELECT COUNT(*) FROM V_MV_STOCK"), "0");
        }
    }
}

// A fixed lot that holds a list separator would split the lists it is
// written into: the line that would take it is refused.
TEST_F(InvariantesTest, AFixedLotHoldingASeparatorIsRefused) {
    for (const bool lote : {false, true}) {
        for (const std::string& fijo : std::vector<std::string>{"L|1", "L" + kFF + "1"}) {
            SCOPED_TRACE(fijo + (lote ? ", batch" : ", immediate"));
            operador_.ClearShown();
            operador_.AnswerMsgBox(ui::vbOK);
            auto g = Grilla(2);
            Linea(*g, 1, "A2", "1", {{kColAuxNroLote, "|L7|"}});  // has its lot: takes no fixed one
            Linea(*g, 2, "A1", "2");
            Llamada c = LlamadaDe(Tipo::Ingreso, lote);
            c.loteFijo = fijo;
            c.sql = "PREVIO";
            Postea(*g, c);
            EXPECT_TRUE(c.hayError);
            ASSERT_EQ(operador_.Shown().size(), 1U);
            EXPECT_EQ(operador_.Shown()[0].prompt,
                      "No se grabó el stock del comprobante IR 0001-00000012-X: la línea 2 (artículo A1) no puede "
                      "tomar el lote fijo \"" + fijo + "\": un lote no puede contener los caracteres \"|\" ni \"" +
                          kFF + "\".");
            EXPECT_EQ(c.sql, "PREVIO");
            EXPECT_EQ(Valor("SELECT COUNT(*) FROM V_MV_STOCK"), "0");
        }
    }
}

// The pick dialog refuses "|" typed as a quantity; the lists it hands back
// hold one quantity per row, and the posting takes each from its own lot.
TEST_F(InvariantesTest, APickWithAQuantityThatIsNoNumberNeverReachesTheStock) {
    operador_.AnswerMsgBox(ui::vbOK);
    auto g = LineaElegida([](lots::FrmCargaLotesySeries& frm) {
        const auto escribe = [&](int fila, const std::string& texto) {
            frm.MSFlexGrid1().MoveToCell(fila, 3);
            int tecla = static_cast<unsigned char>(texto[0]);
            frm.MSFlexGrid1_KeyPress(tecla);
            frm.TxtEdit().setText(QString::fromStdString(texto));
            int enter = 13;
            frm.TxtEdit_KeyDown(enter, 0);
        };
        escribe(1, "|");  // AltGr+1 on a Spanish keyboard
        EXPECT_TRUE(frm.CeldaRechazada());
        frm.TxtEdit().setText("0");
        int enter = 13;
        frm.TxtEdit_KeyDown(enter, 0);
        escribe(2, "3");
        frm.CmdAceptar_Click();
    });
    ASSERT_EQ(operador_.Shown().size(), 2u);  // the dialog, and in it the refused cell
    EXPECT_EQ(operador_.Shown()[1].prompt, "La Cantidad debe ser un Número");
    EXPECT_EQ(g->TextMatrix(1, kColAuxNroSerie), "|0|3|0|");
    Llamada c;
    PosteaYGraba(*g, c);
    EXPECT_EQ(Registrados(PosteoTest::Movimientos()), (std::multiset<Movimiento>{{"L2", "", "-3"}}));
}

// A quantity cell the user leaves blank travels as "-" in the pick dialog's
// list, and the posting takes nothing from its lot.
TEST_F(InvariantesTest, ABlankPickQuantityReachesThePostingAsNothing) {
    auto g = LineaElegida([](lots::FrmCargaLotesySeries& frm) {
        frm.MSFlexGrid1().SetTextMatrix(1, 3, "");
        frm.MSFlexGrid1().SetTextMatrix(2, 3, "3");
        frm.CmdAceptar_Click();
    });
    EXPECT_EQ(g->TextMatrix(1, kColAuxNroSerie), "|-|3|0|");
    for (const bool lote : {false, true}) {
        SCOPED_TRACE(lote ? "batch" : "immediate");
        Ejecuta("DELETE FROM V_MV_STOCK");
        Llamada c = LlamadaDe(Tipo::Salida, lote);
        PosteaYGraba(*g, c);
        EXPECT_EQ(Registrados(PosteoTest::Movimientos()), (std::multiset<Movimiento>{{"L2", "", "-3"}}));
    }
    EXPECT_EQ(operador_.Shown().size(), 1u);  // the dialog
}

// A refused document leaves nothing even inside a transaction its caller
// holds: the caller's own work stays, and the transaction stays the caller's.
TEST_F(InvariantesTest, ARefusedDocumentLeavesNothingInsideTheCallersTransaction) {
    Ejecuta("INSERT INTO V_MA_INSUMOS (IDARTICULO, IdArticuloInsumo, IdUnidadInsumo, Cantidad) "
            "VALUES ('A2', 'I2', 'KG', 2)");
    db_.gCnn.BeginTrans();
    Ejecuta("INSERT INTO C_MV_CPTE (TC, IDCOMPROBANTE) VALUES ('XX', '000100000001X')");
    auto g = Grilla(2);
    Linea(*g, 1, "A2", "1");
    Linea(*g, 2, "A1", "6", {{kColAuxNroLote, Picks({"L1" + kFF})}, {kColAuxNroSerie, "|-1|"}});
    Llamada rechazado;
    operador_.AnswerMsgBox(ui::vbOK);
    Postea(*g, rechazado);
    EXPECT_TRUE(rechazado.hayError);
    ASSERT_TRUE(db_.gCnn.InTransaction());
    EXPECT_EQ(Valor("SELECT COUNT(*) FROM V_MV_STOCK"), "0");
    EXPECT_EQ(Valor("SELECT COUNT(*) FROM C_MV_CPTE WHERE TC = 'XX'"), "1");

    // The same document posted whole: its rows and its "PE" number go with the caller's transaction.
    g->SetTextMatrix(2, kColAuxNroSerie, "|6|");
    Llamada bien;
    Postea(*g, bien);
    ASSERT_FALSE(bien.hayError);
    ASSERT_TRUE(db_.gCnn.InTransaction());
    EXPECT_EQ(Valor("SELECT COUNT(*) FROM V_MV_STOCK WHERE TC = 'RM'"), "2");
    EXPECT_EQ(Valor("SELECT COUNT(*) FROM V_MV_STOCK WHERE TC = 'PE'"), "1");
    db_.gCnn.RollbackTrans();
    EXPECT_EQ(Valor("SELECT COUNT(*) FROM V_MV_STOCK"), "0");
    EXPECT_EQ(Valor("SELECT COUNT(*) FROM C_MV_CPTE"), "0");
    EXPECT_EQ(Valor("SELECT X_ULTIMO_NRO FROM V_TA_CPTE WHERE CODIGO = 'PE'"), "1");
}

// A receipt refused, or whose batch fails, leaves its purchase order unreceived.
TEST_F(InvariantesTest, ARefusedReceiptLeavesTheOrderUnreceived) {
    const std::string fecha = "SELECT FechaRecepcion FROM C_MV_CPTE WHERE TC = 'OC'";
    Ejecuta("INSERT INTO C_MV_CPTE (TC, IDCOMPROBANTE) VALUES ('OC', '000100000005A')");
    const auto recepcion = [&](bool lote, const std::string& cantidades) {
        auto g = Grilla(2);
        Linea(*g, 1, "A2", "1");
        Linea(*g, 2, "A1", "6", {{kColAuxNroLote, Picks({"L1" + kFF})}, {kColAuxNroSerie, cantidades}});
        Llamada c{.tc = "FCC", .tcOrigen = "OC", .cpteOrigen = "000100000005A", .lote = lote, .sql = "PREVIO"};
        c.signoRemota = -1;  // a return to the supplier: the line's picks are read
        Postea(*g, c);
        return c;
    };
    for (const bool lote : {false, true}) {
        SCOPED_TRACE(lote ? "batch" : "immediate");
        operador_.ClearShown();
        operador_.AnswerMsgBox(ui::vbOK);
        const Llamada c = recepcion(lote, "|-1|");
        EXPECT_TRUE(c.hayError);
        EXPECT_EQ(c.sql, "PREVIO");
        EXPECT_EQ(Valor(fecha), "<null>");
    }
    // The batch was built, but another station stored one of its rows first:
    // the user is told which document was not recorded.
    Llamada c = recepcion(true, "|6|");
    ASSERT_FALSE(c.hayError);
    Ejecuta("CREATE UNIQUE INDEX UX_PRUEBA ON V_MV_STOCK (TC, IDCOMPROBANTE, Secuencia)");
    Ejecuta("INSERT INTO V_MV_STOCK (TC, IDCOMPROBANTE, Secuencia) VALUES ('FCC', '000100000012X', 2)");
    EXPECT_EQ(LoteRechazado(c.sql.substr(6)),
              "No se grabó el comprobante FCC 0001-00000012-X: la base de datos rechazó el lote que lo llevaba por "
              "repetir datos ya grabados (el detalle quedó en el registro de errores). No se guardó nada del "
              "comprobante; vuelva a grabarlo.");
    EXPECT_EQ(Valor(fecha), "<null>");
    EXPECT_EQ(Valor("SELECT COUNT(*) FROM V_MV_STOCK"), "1");
}

TEST_F(InvariantesTest, ALineWithoutAnArticleCodeIsAnEmptyLine) {
    auto g = Grilla(2);
    Linea(*g, 1, "   ", "5");
    Linea(*g, 2, "A1", "1");
    Llamada c;
    Postea(*g, c);
    ASSERT_FALSE(c.hayError);
    const std::vector<Fila> filas = PosteoTest::Movimientos();
    ASSERT_EQ(filas.size(), 1U);
    EXPECT_EQ(vb::Trim(filas[0].at("IDARTICULO")), "A1");
    EXPECT_EQ(filas[0].at("SECUENCIA"), "1");
}

// ---- The stock accounting entry ----------------------------------------------------

class AsientosInvariantesTest : public InvariantesTest {
protected:
    AsientosInvariantesTest() {
        Configura("AsientosXStock", "SI");
        Configura("MotivoStockRemito", "REM");  // a delivery note's batch books under it
        Ejecuta("INSERT INTO MA_SUBDIARIOSCOMPROBANTES (TC, Subdiario) VALUES ('OP', 'ST')");
    }

    // Another station books a document of its own, FC 0009-<numero>-A,
    // under the next free entry number; the number it took.
    std::string OtraEstacionAsienta(const std::string& numero) {
        Ejecuta("INSERT INTO MV_ASIENTOS (TC, SUCURSAL, NUMERO, LETRA, CUENTA, [DEBE-HABER], IMPORTE, MES_OPERATIVO, "
                "PERIODO, TIPO_REG, [NUMERO ASIENTO], SECUENCIA) SELECT 'FC', '0009', '" + numero + "', 'A', 'X', "
                "'D', 1, MES_OPERATIVO, PERIODO, TIPO_REG, MAX([NUMERO ASIENTO]) + 1, 1 FROM MV_ASIENTOS");
        const std::string tomado = Valor("SELECT MAX([NUMERO ASIENTO]) FROM MV_ASIENTOS");
        return std::string(6 - std::min<std::size_t>(tomado.size(), 6), '0') + tomado;
    }

    // A document of three articles over two accounts; row 1 holds quantity 0
    // when `primeraVacia` (it is not posted).
    std::unique_ptr<ui::FlexGrid> Documento(bool primeraVacia) {
        auto g = Grilla(4);
        Linea(*g, 1, "A1", primeraVacia ? "0" : "1", {{kColAuxCosto, "10"}});
        Linea(*g, 2, "A2", "2", {{kColAuxCosto, "5"}});
        Linea(*g, 3, "A1", "3", {{kColAuxCosto, "10"}});
        Linea(*g, 4, "A2", "1", {{kColAuxCosto, "-50"}});  // turns the account's amount over
        return g;
    }

    // The value of the stock a document posted, as its entry books it: each
    // row's quantity times its cost.
    vb::Currency ValorDelStock(const std::string& tc, const std::string& numero) {
        vb::Currency valor;
        for (const Fila& f : Filas("SELECT CANTIDAD, COSTO FROM V_MV_STOCK WHERE TC = '" + tc +
                                   "' AND IDCOMPROBANTE = '" + numero + "'")) {
            const vb::Currency cantidad = Cantidad(f.at("CANTIDAD"));
            valor += Producto(cantidad < vb::Currency() ? vb::Currency() - cantidad : cantidad, Cantidad(f.at("COSTO")));
        }
        return valor;
    }

    // Each document's entry number; checks that its lines share it, and
    // number its lines 1, 2, 3 ... without repeating or skipping one.
    std::map<std::string, std::string> NumerosDeAsiento() {
        std::map<std::string, std::string> numeros;
        std::map<std::string, std::set<int>> secuencias;
        for (const Fila& f : Filas("SELECT TC, NUMERO, [NUMERO ASIENTO] AS N, SECUENCIA FROM MV_ASIENTOS")) {
            const std::string documento = vb::Trim(f.at("TC")) + " " + f.at("NUMERO");
            if (numeros.contains(documento)) {
                EXPECT_EQ(numeros[documento], f.at("N")) << documento;
            }
            numeros[documento] = f.at("N");
            EXPECT_TRUE(secuencias[documento + " " + f.at("N")].insert(std::stoi(f.at("SECUENCIA"))).second)
                << documento << " repeats sequence " << f.at("SECUENCIA");
        }
        for (const auto& [asiento, usadas] : secuencias) {
            EXPECT_EQ(*usadas.rbegin(), static_cast<int>(usadas.size())) << asiento << " skips a sequence";
        }
        return numeros;
    }
};

TEST_F(AsientosInvariantesTest, EachDocumentHasItsOwnEntryNumberAndItsLinesNeverShareASequence) {
    struct Cpte {
        std::string tc;
        bool lote;
        bool primeraVacia;
    };
    struct Caso {
        const char* nombre;
        std::vector<Cpte> documentos;
    };
    const std::vector<Caso> casos = {
        {"immediate, row 1 posted", {{"RM", false, false}, {"RM", false, false}}},
        {"immediate, row 1 not posted", {{"RM", false, true}, {"RM", false, true}}},
        {"batch", {{"RM", true, false}, {"RM", true, true}}},
        {"immediate then batch", {{"RM", false, true}, {"RM", true, false}}},
        {"batch then immediate", {{"RM", true, false}, {"RM", false, true}}},
        {"transfers", {{"TR", false, true}, {"TR", false, false}}},
        {"production documents booking row 1 in pass 2", {{"OP", false, false}, {"OP", false, false}}},
    };
    for (const Caso& caso : casos) {
        SCOPED_TRACE(caso.nombre);
        Ejecuta("DELETE FROM MV_ASIENTOS");
        Ejecuta("DELETE FROM V_MV_STOCK");
        documents::ClsCmnCptes cmn;
        int numero = 20;
        for (const Cpte& d : caso.documentos) {
            auto g = Documento(d.primeraVacia);
            g->SetTextMatrix(3, kColAuxCantidadInsumo, "-1");  // a production document posts row 3 first
            Llamada c{.tc = d.tc, .numero = "0001000000" + std::to_string(numero++) + "X", .lote = d.lote};
            if (d.tc == "TR") {
                c.destino = "09";
                c.transferencia = true;
            }
            PosteaYGraba(*g, c, &cmn);
        }
        const std::map<std::string, std::string> numeros = NumerosDeAsiento();
        ASSERT_EQ(numeros.size(), caso.documentos.size());
        std::set<std::string> distintos;
        for (const auto& [documento, n] : numeros) {
            EXPECT_NE(n, "0") << documento;
            distintos.insert(n);
        }
        EXPECT_EQ(distintos.size(), numeros.size());
    }
}

// Two stations booking entries at once. Counting on from the kept number
// skips what another station booked meanwhile; a batch built with a number
// another station used first is refused whole when it runs, and an immediate
// posting whose number another station takes between the read and the write
// is refused: each time the user reads, in Spanish, which document was not
// booked and why, nothing of it stays, and posted again it gets a number of
// its own.
TEST_F(AsientosInvariantesTest, TwoStationsBookingAtOnceEachDocumentGetsItsOwnEntryNumber) {
    documents::ClsCmnCptes cmn;
    Llamada primero{.tc = "RM", .numero = "000100000020X"};
    PosteaYGraba(*Documento(false), primero, &cmn);
    OtraEstacionAsienta("00000001");
    Llamada segundo{.tc = "RM", .numero = "000100000021X", .lote = true};
    PosteaYGraba(*Documento(false), segundo, &cmn);
    std::map<std::string, std::string> numeros = NumerosDeAsiento();
    ASSERT_EQ(numeros.size(), 3u);
    EXPECT_EQ(std::set<std::string>({numeros.at("RM 00000020"), numeros.at("RM 00000021"),
                                     numeros.at("FC 00000001")})
                  .size(),
              3u);

    {
        SCOPED_TRACE("a batch whose number another station books before it runs");
        documents::ClsCmnCptes estacion;
        Llamada a{.tc = "RM", .numero = "000100000030X", .lote = true};
        Postea(*Documento(false), a, &estacion);
        ASSERT_FALSE(a.hayError);
        const std::string tomado = OtraEstacionAsienta("00000002");
        EXPECT_EQ(LoteRechazado(a.sql),
                  "No se grabó el comprobante RM 0001-00000030-X: su asiento " + tomado +
                      " (mes 03, subdiario ST) ya lo había tomado otra estación para el comprobante FC "
                      "0009-00000002-A. No se guardó nada del comprobante; vuelva a grabarlo.");
        EXPECT_TRUE(Filas("SELECT * FROM V_MV_STOCK WHERE IDCOMPROBANTE = '000100000030X'").empty());
        EXPECT_NE(testsupport::ReadFile(home_.Path() / "TSERR.LOG").find("UNIQUE"), std::string::npos);

        Llamada otraVez{.tc = "RM", .numero = "000100000030X", .lote = true};
        PosteaYGraba(*Documento(false), otraVez, &estacion);
        numeros = NumerosDeAsiento();
        EXPECT_NE(numeros.at("RM 00000030"), NumerosDeAsiento().at("FC 00000002"));
    }
    {
        SCOPED_TRACE("an immediate posting whose number another station takes before it writes");
        // The other station books as soon as this one has stored its first stock row.
        QTimer estacion;
        bool tomado = false;
        QObject::connect(&estacion, &QTimer::timeout, [&] {
            if (tomado || Valor("SELECT COUNT(*) FROM V_MV_STOCK WHERE IDCOMPROBANTE = '000100000040X'") == "0") return;
            tomado = true;
            OtraEstacionAsienta("00000003");
        });
        estacion.start(0);
        operador_.ClearShown();
        operador_.AnswerMsgBox(ui::vbOK);
        Llamada c{.tc = "RM", .numero = "000100000040X"};
        Postea(*Documento(false), c, &cmn);
        estacion.stop();
        ASSERT_TRUE(tomado);
        EXPECT_TRUE(c.hayError);
        ASSERT_EQ(operador_.Shown().size(), 1u);
        const std::string& aviso = operador_.Shown()[0].prompt;
        EXPECT_TRUE(aviso.starts_with("No se grabó el stock del comprobante RM 0001-00000040-X: su asiento ")) << aviso;
        EXPECT_TRUE(aviso.ends_with(" (mes 03, subdiario ST) ya lo había tomado otra estación para el comprobante FC "
                                    "0009-00000003-A. No se guardó nada del comprobante; vuelva a grabarlo."))
            << aviso;
        EXPECT_TRUE(Filas("SELECT * FROM V_MV_STOCK WHERE IDCOMPROBANTE = '000100000040X'").empty());
        EXPECT_TRUE(Filas("SELECT * FROM MV_ASIENTOS WHERE NUMERO = '00000040'").empty());

        Llamada otraVez{.tc = "RM", .numero = "000100000040X"};
        PosteaYGraba(*Documento(false), otraVez, &cmn);
        EXPECT_EQ(NumerosDeAsiento().size(), 6u);
    }
}

// Documents built into one caller's batch, through several objects or
// through the public procedure, each take an entry number of their own, and
// the batch is booked whole; a batch refused all the same (another station
// booked one of its numbers first) names every document it held.
TEST_F(AsientosInvariantesTest, DocumentsBuiltIntoOneBatchAreBookedUnderNumbersOfTheirOwn) {
    const auto documento = [&](const std::string& costo) {
        auto g = Grilla(2);
        Linea(*g, 1, "A1", "2", {{kColAuxCosto, costo}});
        Linea(*g, 2, "A2", "1", {{kColAuxCosto, "5"}});
        return g;
    };
    const auto libros = [&](const std::string& numero, const char* lado) {
        return Cantidad(Valor("SELECT SUM(IMPORTE) FROM MV_ASIENTOS WHERE TC = 'RM' AND NUMERO = '" + numero +
                              "' AND [DEBE-HABER] = '" + lado + "'"));
    };
    // Each document of the batch is booked on both sides for its own amount, under a number of its own.
    const auto espera = [&](const std::vector<std::pair<std::string, std::string>>& documentos) {
        const std::map<std::string, std::string> numeros = NumerosDeAsiento();
        std::set<std::string> distintos;
        for (const auto& [numero, importe] : documentos) {
            SCOPED_TRACE(numero);
            ASSERT_TRUE(numeros.contains("RM " + numero));
            distintos.insert(numeros.at("RM " + numero));
            EXPECT_EQ(libros(numero, "D"), Cantidad(importe));
            EXPECT_EQ(libros(numero, "H"), Cantidad(importe));
        }
        EXPECT_EQ(distintos.size(), documentos.size());
    };
    // Postings through two objects (and again through the first) into one batch.
    const auto lote = [&](const std::vector<std::string>& numeros) {
        documents::ClsCmnCptes uno;
        documents::ClsCmnCptes dos;
        std::string sql;
        for (std::size_t i = 0; i < numeros.size(); ++i) {
            Llamada c{.tc = "RM", .numero = "0001" + numeros[i] + "X", .lote = true, .sql = sql};
            Postea(*documento(std::to_string(10 + i)), c, i % 2 == 0 ? &uno : &dos);
            EXPECT_FALSE(c.hayError);
            sql = c.sql;
        }
        return sql;
    };
    {
        SCOPED_TRACE("postings through two objects");
        std::string sql = lote({"00000080", "00000081", "00000082"});
        ASSERT_TRUE(db_.EjecutaConsultaSQL(sql));
        espera({{"00000080", "25"}, {"00000081", "27"}, {"00000082", "29"}});
    }
    {
        SCOPED_TRACE("the public procedure through two objects");
        documents::ClsCmnCptes uno;
        documents::ClsCmnCptes dos;
        std::string sql;
        for (const auto& [cmn, numero] : std::vector<std::pair<documents::ClsCmnCptes*, std::string>>{
                 {&uno, "00000090"}, {&dos, "00000091"}}) {
            std::string motivo = "M01";
            std::string tc = "RM";
            std::string suc = "0001";
            std::string nro = numero;
            std::string letra = "X";
            std::string fecha = "05/03/2024";
            bool esDebito = true;
            int secuencia = 1;
            sql += cmn->GeneraAsientoStock(*documento("10"), motivo, tc, suc, nro, letra, fecha, esDebito, 0, 0,
                                           &secuencia);
        }
        ASSERT_TRUE(db_.EjecutaConsultaSQL(sql));
        espera({{"00000090", "25"}, {"00000091", "25"}});
    }
    {
        SCOPED_TRACE("a batch refused all the same");
        std::string sql = lote({"00000085", "00000086"});
        // Another station books the number the first document took.
        const std::string tomado = OtraEstacionAsienta("00000009");
        EXPECT_EQ(LoteRechazado(sql),
                  "No se grabaron los comprobantes RM 0001-00000085-X y RM 0001-00000086-X: la base de datos rechazó "
                  "el lote que los llevaba por repetir datos ya grabados (el detalle quedó en el registro de errores). "
                  "El asiento " + tomado +
                      " (mes 03, subdiario ST) de RM 0001-00000085-X ya lo había tomado otra estación para el "
                      "comprobante FC 0009-00000009-A. No se guardó nada de ellos; vuelva a grabarlos.");
        EXPECT_EQ(Valor("SELECT COUNT(*) FROM V_MV_STOCK WHERE IDCOMPROBANTE IN ('000100000085X', '000100000086X')"),
                  "0");

        // Built again, the batch is booked whole.
        sql = lote({"00000085", "00000086"});
        ASSERT_TRUE(db_.EjecutaConsultaSQL(sql));
        espera({{"00000085", "25"}, {"00000086", "27"}});
    }
    EXPECT_EQ(operador_.PendingAnswers(), 0u);
}

// Documents built into one caller's batch, through three objects, each take a
// number of their own of a document type without ranges, numbered after the
// stored documents and never recorded: the cost-of-sales document of a sale
// and the inputs discharge of a delivery note alike, however many the batch
// holds; the batch is booked whole, each document under an entry of its own.
TEST_F(AsientosInvariantesTest, DocumentsBuiltIntoOneBatchNeverShareANumberOfATypeWithoutRanges) {
    Ejecuta("INSERT INTO V_MA_INSUMOS (IDARTICULO, IdArticuloInsumo, IdUnidadInsumo, Cantidad) "
            "VALUES ('A2', 'I2', 'KG', 2)");
    Ejecuta("INSERT INTO V_TA_MotivoVta (IdMotivoVta, Descripcion) VALUES ('MV1', 'Venta')");
    Ejecuta("INSERT INTO V_TA_Input_Ventas (IdMotivoVta, COSTO_MERCADERIA) VALUES ('MV1', '4.1.01')");
    using Construye = std::function<std::string(documents::ClsCmnCptes&, int, std::string&)>;
    struct Caso {
        std::string tipo;
        // Builds document `i` into the batch; the number of the type it handed out.
        Construye construye;
        // The stored numbers of the type, and the distinct pairs of a number and its origin.
        std::string numeros;
        std::string pares;
        int documentos;
    };
    const Construye costoDeVentas = [&](documents::ClsCmnCptes& cmn, int i, std::string& lote) {
        auto g = Grilla(1);
        Linea(*g, 1, "A1", "3", {{kColAuxCosto, "10"}});
        std::string motivo = "MV1";
        std::string tc = "FC";
        std::string suc = "0001";
        std::string nro = vb::Format(20 + i, "00000000");
        std::string letra = "X";
        std::string fecha = "05/03/2024";
        bool esDebito = true;
        int secuencia = 1;
        lote += cmn.GeneraAsientoStock(*g, motivo, tc, suc, nro, letra, fecha, esDebito, 99, 0, &secuencia);
        EXPECT_EQ(tc, "CMV");
        return suc + nro + letra;
    };
    const Construye descarga = [&](documents::ClsCmnCptes& cmn, int i, std::string& lote) {
        auto g = Grilla(1);
        Linea(*g, 1, "A2", "3", {{kColAuxCosto, "5"}});
        operador_.AnswerMsgBox(ui::vbOK);  // the numbering has no range to record the number in
        Llamada c{.tc = "RM", .numero = "0001" + vb::Format(70 + i, "00000000") + "X", .lote = true, .sql = lote};
        Postea(*g, c, &cmn);
        EXPECT_FALSE(c.hayError);
        const std::string parte = c.sql.substr(lote.size());
        lote = c.sql;
        for (const std::string& s : Sentencias(parte)) {
            if (s.starts_with("INSERT") && s.find("'PE  '") != std::string::npos) {
                return vb::Replace(MapaInsert(s).at("IdComprobante"), "'", "");
            }
        }
        return std::string();
    };
    const std::vector<Caso> casos = {
        {"CMV", costoDeVentas, "SELECT COUNT(DISTINCT NUMERO) FROM MV_ASIENTOS WHERE TC = 'CMV'",
         "SELECT COUNT(DISTINCT NUMERO || CPTE_ORIGEN) FROM MV_ASIENTOS WHERE TC = 'CMV'", 70},
        {"PE", descarga, "SELECT COUNT(DISTINCT IDCOMPROBANTE) FROM V_MV_STOCK WHERE TC = 'PE'",
         "SELECT COUNT(DISTINCT IDCOMPROBANTE || IDCOMPROBANTE_ORIGEN) FROM V_MV_STOCK WHERE TC = 'PE'", 40},
    };
    for (const Caso& caso : casos) {
        SCOPED_TRACE(caso.tipo);
        Ejecuta("DELETE FROM V_TA_CPTE WHERE CODIGO = '" + caso.tipo + "'");
        Ejecuta("DELETE FROM MV_ASIENTOS");
        std::vector<documents::ClsCmnCptes> objetos(3);
        std::string lote;
        std::set<std::string> entregados;
        for (int i = 0; i < caso.documentos; ++i) {
            const std::string numero = caso.construye(objetos[static_cast<std::size_t>(i % 3)], i, lote);
            EXPECT_EQ(numero.size(), 13u) << numero;
            EXPECT_TRUE(entregados.insert(numero).second) << numero << " handed out twice";
        }
        operador_.ClearShown();
        EXPECT_TRUE(db_.EjecutaConsultaSQL(lote));
        EXPECT_THAT(operador_.Shown(), ::testing::IsEmpty());
        EXPECT_EQ(Valor(caso.numeros), std::to_string(caso.documentos));
        EXPECT_EQ(Valor(caso.pares), std::to_string(caso.documentos));
        // Every document of the batch booked, each under an entry of its own.
        const std::map<std::string, std::string> asientos = NumerosDeAsiento();
        std::set<std::string> distintos;
        for (const auto& [documento, n] : asientos) distintos.insert(n);
        EXPECT_EQ(distintos.size(), asientos.size());
        EXPECT_EQ(asientos.size(), static_cast<std::size_t>(caso.documentos));
    }
    EXPECT_EQ(operador_.PendingAnswers(), 0u);
}

// A batch of cost-of-sales entries whose number of a type without ranges
// another station stores before it runs is refused whole: the box names
// every entry it held with its sale, and what the database refused; nothing
// of it stays. Built again, it takes the entry numbers the refused batch held
// and CMV numbers no stored document holds, and is booked whole.
TEST_F(AsientosInvariantesTest, ABatchWhoseNumberWithoutARangeAnotherStationStoredIsRefusedNamingEveryDocument) {
    Ejecuta("INSERT INTO V_TA_MotivoVta (IdMotivoVta, Descripcion) VALUES ('MV1', 'Venta')");
    Ejecuta("INSERT INTO V_TA_Input_Ventas (IdMotivoVta, COSTO_MERCADERIA) VALUES ('MV1', '4.1.01')");
    Ejecuta("DELETE FROM V_TA_CPTE WHERE CODIGO = 'CMV'");
    constexpr int kVentas = 70;
    struct Lote {
        std::string sql;
        std::vector<std::string> cmv;       // the CMV numbers, in order
        std::vector<std::string> asientos;  // the entry numbers, in order
    };
    const auto construye = [&] {
        std::vector<documents::ClsCmnCptes> objetos(3);
        Lote lote;
        for (int i = 0; i < kVentas; ++i) {
            auto g = Grilla(1);
            Linea(*g, 1, "A1", "3", {{kColAuxCosto, "10"}});
            std::string motivo = "MV1";
            std::string tc = "FC";
            std::string suc = "0001";
            std::string nro = vb::Format(100 + i, "00000000");
            std::string letra = "X";
            std::string fecha = "05/03/2024";
            bool esDebito = true;
            int secuencia = 1;
            const std::string parte = objetos[static_cast<std::size_t>(i % 3)].GeneraAsientoStock(
                *g, motivo, tc, suc, nro, letra, fecha, esDebito, 99, 0, &secuencia);
            lote.sql += parte;
            lote.cmv.push_back(suc + nro + letra);
            lote.asientos.push_back(MapaInsert(Sentencias(parte).back()).at("[Numero Asiento]"));
        }
        return lote;
    };
    Lote primero = construye();
    // Another station stores a cost-of-sales entry (of April) under the batch's 40th CMV number.
    const std::string tomado = primero.cmv[39];
    Ejecuta("INSERT INTO MV_ASIENTOS (TC, SUCURSAL, NUMERO, LETRA, CUENTA, [DEBE-HABER], IMPORTE, MES_OPERATIVO, "
            "PERIODO, TIPO_REG, [NUMERO ASIENTO], SECUENCIA) VALUES ('CMV', '" + tomado.substr(0, 4) + "', '" +
            tomado.substr(4, 8) + "', 'X', '4.1.01', 'D', 1, 4, 2024, 'ST', 1, 1)");
    const std::string aviso = LoteRechazado(primero.sql);
    ASSERT_TRUE(aviso.starts_with("No se grabaron los comprobantes CMV 0001-" + primero.cmv[0].substr(4, 8) +
                                  "-X (costo de ventas de FC 0001-00000100-X), "))
        << aviso;
    for (int i = 0; i < kVentas; ++i) {
        const std::string venta = "(costo de ventas de FC 0001-" + vb::Format(100 + i, "00000000") + "-X)";
        EXPECT_NE(aviso.find(venta), std::string::npos) << venta;
    }
    EXPECT_NE(aviso.find("la base de datos rechazó el lote que los llevaba con el aviso \"Otra estación tomó el "
                         "número " + tomado.substr(4, 8) + " del comprobante CMV (sucursal 0001, letra X)"),
              std::string::npos)
        << aviso;
    EXPECT_TRUE(aviso.ends_with("No se guardó nada de ellos; vuelva a grabarlos.")) << aviso;
    EXPECT_EQ(Valor("SELECT COUNT(*) FROM MV_ASIENTOS"), "1");

    const Lote segundo = construye();
    EXPECT_EQ(segundo.asientos, primero.asientos);
    std::set<std::string> cmv(segundo.cmv.begin(), segundo.cmv.end());
    EXPECT_EQ(cmv.size(), static_cast<std::size_t>(kVentas));
    EXPECT_FALSE(cmv.contains(tomado));
    std::string sql = segundo.sql;
    ASSERT_TRUE(db_.EjecutaConsultaSQL(sql));
    EXPECT_EQ(Valor("SELECT COUNT(DISTINCT NUMERO) FROM MV_ASIENTOS WHERE TC = 'CMV'"), std::to_string(kVentas + 1));
    EXPECT_EQ(Valor("SELECT COUNT(DISTINCT CPTE_ORIGEN) FROM MV_ASIENTOS WHERE TC = 'CMV'"), std::to_string(kVentas));
}

// A refusal says what the database refused: a trigger's own text, or a
// value the batch held twice where nothing stored held it; and names the
// documents nothing was kept of. A refused document's entry number goes to
// the next document.
TEST_F(AsientosInvariantesTest, ARefusalSaysWhatTheDatabaseRefused) {
    // On a file, so that a connection of its own adds the trigger.
    const std::string archivo = (home_.Path() / "rechazos.db").string();
    EnArchivo(archivo);
    Configura("AsientosXStock", "SI");
    Configura("MotivoStockRemito", "REM");
    sqlite3* otra = nullptr;
    ASSERT_EQ(sqlite3_open(archivo.c_str(), &otra), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(otra,
                           "CREATE TRIGGER TR_CERRADO BEFORE INSERT ON V_MV_STOCK WHEN NEW.IDCOMPROBANTE IN "
                           "('000100000151X', '000100000170X') BEGIN SELECT RAISE(ABORT, 'depósito cerrado'); END;",
                           nullptr, nullptr, nullptr),
              SQLITE_OK);
    sqlite3_close(otra);
    // Postings into one batch, each through an object of its own.
    const auto lote = [&](const std::vector<std::string>& numeros) {
        std::vector<documents::ClsCmnCptes> objetos(numeros.size());
        std::string sql;
        for (std::size_t i = 0; i < numeros.size(); ++i) {
            Llamada c{.tc = "RM", .numero = "0001" + numeros[i] + "X", .lote = true, .sql = sql};
            Postea(*Documento(false), c, &objetos[i]);
            EXPECT_FALSE(c.hayError);
            sql = c.sql;
        }
        return sql;
    };
    struct Caso {
        const char* nombre;
        std::vector<std::string> numeros;
        std::string aviso;
    };
    const std::vector<Caso> casos = {
        {"a trigger refuses the batch",
         {"00000150", "00000151"},
         "No se grabaron los comprobantes RM 0001-00000150-X y RM 0001-00000151-X: la base de datos rechazó el lote "
         "que los llevaba con el aviso \"depósito cerrado\" (el detalle quedó en el registro de errores). No se guardó "
         "nada de ellos; vuelva a grabarlos."},
        {"one document twice in one batch",
         {"00000160", "00000160"},
         "No se grabó el comprobante RM 0001-00000160-X: la base de datos rechazó el lote que lo llevaba por llevar "
         "dos veces, en el mismo lote, datos que no pueden repetirse (el detalle quedó en el registro de errores). No "
         "se guardó nada del comprobante; vuelva a grabarlo."},
    };
    for (const Caso& caso : casos) {
        SCOPED_TRACE(caso.nombre);
        EXPECT_EQ(LoteRechazado(lote(caso.numeros)), caso.aviso);
        EXPECT_EQ(Valor("SELECT COUNT(*) FROM V_MV_STOCK"), "0");
        EXPECT_EQ(Valor("SELECT COUNT(*) FROM MV_ASIENTOS"), "0");
    }
    {
        SCOPED_TRACE("a trigger refuses a posting at once");
        operador_.ClearShown();
        operador_.AnswerMsgBox(ui::vbOK);
        Llamada c{.tc = "RM", .numero = "000100000170X"};
        Postea(*Documento(false), c);
        EXPECT_TRUE(c.hayError);
        ASSERT_EQ(operador_.Shown().size(), 1u);
        EXPECT_EQ(operador_.Shown()[0].prompt,
                  "No se grabó el stock del comprobante RM 0001-00000170-X: la base de datos rechazó el movimiento de "
                  "stock de la línea 1 (artículo A1) con el aviso \"depósito cerrado\" (el detalle quedó en el "
                  "registro de errores). No se guardó nada del comprobante.");
        EXPECT_EQ(Valor("SELECT COUNT(*) FROM MV_ASIENTOS"), "0");

        // The entry number its first row took (its statement never ran) is handed out again.
        Llamada siguiente{.tc = "RM", .numero = "000100000171X"};
        Postea(*Documento(false), siguiente);
        ASSERT_FALSE(siguiente.hayError);
        EXPECT_EQ(Valor("SELECT group_concat(DISTINCT [NUMERO ASIENTO]) FROM MV_ASIENTOS"), "1");
    }
}

// Random sequences of documents, each posted at once or built into the
// caller's batch of its round, through several objects, now and then a
// document posted again: every batch is booked whole, every document kept
// has an entry number of its own that books exactly its amount, and only a
// document posted again is refused.
TEST_F(AsientosInvariantesTest, RandomSequencesOfDocumentsThroughSeveralObjectsAreBookedWhole) {
    std::mt19937 azar(20240305);
    const auto entre = [&](int desde, int hasta) { return std::uniform_int_distribution<int>(desde, hasta)(azar); };
    std::vector<documents::ClsCmnCptes> objetos(3);
    std::map<std::string, long> guardados;  // "TC key" -> the amount its entry books
    int siguiente = 100;
    for (int ronda = 0; ronda < 40; ++ronda) {
        SCOPED_TRACE("round " + std::to_string(ronda));
        std::string lote;
        std::map<std::string, long> delLote;
        const int documentos = entre(1, 4);
        for (int d = 0; d < documentos; ++d) {
            const bool repetido = !guardados.empty() && entre(0, 7) == 0;
            std::string tc = std::vector<std::string>{"RM", "IR", "TR"}[static_cast<std::size_t>(entre(0, 2))];
            std::string numero = "0001" + vb::Format(siguiente++, "00000000") + "X";
            if (repetido) {
                auto otro = guardados.begin();
                std::advance(otro, entre(0, static_cast<int>(guardados.size()) - 1));
                tc = otro->first.substr(0, 2);
                numero = otro->first.substr(3);
            }
            auto g = Grilla(3);
            long importe = 0;
            const int lineas = entre(1, 3);
            for (int fila = 1; fila <= lineas; ++fila) {
                const int cantidad = entre(1, 5);
                const int costo = entre(1, 9);
                Linea(*g, fila, entre(0, 1) == 0 ? "A1" : "A2", std::to_string(cantidad),
                      {{kColAuxCosto, std::to_string(costo)}, {kColAuxNroLote, tc == "IR" ? "|L1|" : ""}});
                importe += static_cast<long>(cantidad) * costo;
            }
            const bool enLote = entre(0, 1) == 1;
            Llamada c{.tc = tc, .numero = numero, .lote = enLote, .sql = lote};
            if (tc == "TR") {
                c.destino = "09";
                c.transferencia = true;
            }
            operador_.ClearShown();
            if (repetido) operador_.AnswerMsgBox(ui::vbOK);
            Postea(*g, c, &objetos[static_cast<std::size_t>(entre(0, 2))]);
            EXPECT_EQ(c.hayError, repetido) << tc << " " << numero;
            EXPECT_EQ(operador_.Shown().size(), repetido ? 1u : 0u);
            if (repetido) continue;
            if (enLote) {
                lote = c.sql;
                delLote[tc + " " + numero] = importe;
            } else {
                guardados[tc + " " + numero] = importe;
            }
        }
        if (!lote.empty()) {
            ASSERT_TRUE(db_.EjecutaConsultaSQL(lote));
            guardados.insert(delLote.begin(), delLote.end());
        }
    }
    EXPECT_TRUE(operador_.Shown().empty());

    std::map<std::string, std::string> numeros;  // "TC key" -> entry number
    for (const Fila& f : Filas("SELECT TC, SUCURSAL || NUMERO || LETRA AS CLAVE, [NUMERO ASIENTO] AS N, "
                               "SUM(CASE WHEN [DEBE-HABER] = 'D' THEN IMPORTE ELSE 0 END) AS DEBE, "
                               "SUM(CASE WHEN [DEBE-HABER] = 'H' THEN IMPORTE ELSE 0 END) AS HABER "
                               "FROM MV_ASIENTOS GROUP BY TC, SUCURSAL, NUMERO, LETRA, [NUMERO ASIENTO]")) {
        const std::string documento = vb::Trim(f.at("TC")) + " " + f.at("CLAVE");
        SCOPED_TRACE(documento);
        EXPECT_TRUE(numeros.emplace(documento, f.at("N")).second) << "booked twice";
        ASSERT_TRUE(guardados.contains(documento));
        EXPECT_EQ(Cantidad(f.at("DEBE")), Cantidad(std::to_string(guardados.at(documento))));
        EXPECT_EQ(Cantidad(f.at("HABER")), Cantidad(std::to_string(guardados.at(documento))));
    }
    EXPECT_EQ(numeros.size(), guardados.size());
    std::set<std::string> distintos;
    for (const auto& [documento, n] : numeros) distintos.insert(n);
    EXPECT_EQ(distintos.size(), numeros.size());
}

// Posting a document again never books it again: the second posting is
// refused with a message and leaves nothing (no stock, no entry, no number);
// a production document, which posts new rows each time, books them under
// an entry of their own. Whatever the modes, each document's entry books
// exactly the stock it posted.
TEST_F(AsientosInvariantesTest, ADocumentPostedTwiceIsBookedOnce) {
    Ejecuta("INSERT INTO V_MA_INSUMOS (IDARTICULO, IdArticuloInsumo, IdUnidadInsumo, Cantidad) "
            "VALUES ('A2', 'I2', 'KG', 2)");
    const auto documento = [&] {
        auto g = Grilla(2);
        Linea(*g, 1, "A1", "2", {{kColAuxCosto, "10"}});
        Linea(*g, 2, "A2", "1", {{kColAuxCosto, "5"}, {kColAuxCantidadInsumo, "-1"}});
        return g;
    };
    const auto libros = [&](const std::string& tc, const std::string& numero, const char* lado) {
        return Cantidad(Valor("SELECT SUM(IMPORTE) FROM MV_ASIENTOS WHERE TC = '" + tc + "' AND SUCURSAL = '0001' "
                              "AND NUMERO = '" + numero.substr(4, 8) + "' AND [DEBE-HABER] = '" + lado + "'"));
    };
    struct Caso {
        const char* nombre;
        bool primeroLote;
        bool segundoLote;
    };
    for (const Caso& caso : std::vector<Caso>{{"immediate twice", false, false},
                                              {"batch twice", true, true},
                                              {"immediate then batch", false, true},
                                              {"batch then immediate", true, false}}) {
        SCOPED_TRACE(caso.nombre);
        Ejecuta("DELETE FROM MV_ASIENTOS");
        Ejecuta("DELETE FROM V_MV_STOCK");
        documents::ClsCmnCptes cmn;
        Llamada primero{.tc = "RM", .numero = "000100000050X", .lote = caso.primeroLote};
        PosteaYGraba(*documento(), primero, &cmn);
        const std::string numeroPE = Valor("SELECT X_ULTIMO_NRO FROM V_TA_CPTE WHERE CODIGO = 'PE'");
        const std::string filas = Valor("SELECT COUNT(*) FROM V_MV_STOCK");
        const std::string asiento = NumerosDeAsiento().at("RM 00000050");

        operador_.ClearShown();
        operador_.AnswerMsgBox(ui::vbOK);
        Llamada segundo{.tc = "RM", .numero = "000100000050X", .lote = caso.segundoLote, .sql = "PREVIO"};
        Postea(*documento(), segundo, &cmn);
        EXPECT_TRUE(segundo.hayError);
        EXPECT_EQ(segundo.sql, "PREVIO");
        ASSERT_EQ(operador_.Shown().size(), 1u);
        EXPECT_EQ(operador_.Shown()[0].prompt,
                  "No se grabó el stock del comprobante RM 0001-00000050-X: ya tiene el asiento 03 - " +
                      std::string(6 - asiento.size(), '0') + asiento + " y un comprobante no se asienta dos veces.");
        EXPECT_EQ(Valor("SELECT COUNT(*) FROM V_MV_STOCK"), filas);
        EXPECT_EQ(Valor("SELECT X_ULTIMO_NRO FROM V_TA_CPTE WHERE CODIGO = 'PE'"), numeroPE);
        const vb::Currency stock = ValorDelStock("RM", "000100000050X");
        EXPECT_EQ(stock, Cantidad("25"));
        EXPECT_EQ(libros("RM", "000100000050X", "D"), stock);
        EXPECT_EQ(libros("RM", "000100000050X", "H"), stock);
    }
    {
        SCOPED_TRACE("a production document posted in two parts");
        Ejecuta("DELETE FROM MV_ASIENTOS");
        Ejecuta("DELETE FROM V_MV_STOCK");
        documents::ClsCmnCptes cmn;
        for (const bool lote : {false, true}) {
            Llamada parte{.tc = "OP", .numero = "000100000060X", .lote = lote};
            PosteaYGraba(*documento(), parte, &cmn);
        }
        EXPECT_TRUE(operador_.PendingAnswers() == 0);
        const vb::Currency stock = ValorDelStock("OP", "000100000060X");
        EXPECT_EQ(stock, Cantidad("50"));
        EXPECT_EQ(libros("OP", "000100000060X", "D"), stock);
        EXPECT_EQ(libros("OP", "000100000060X", "H"), stock);
        EXPECT_EQ(Valor("SELECT COUNT(DISTINCT [NUMERO ASIENTO]) FROM MV_ASIENTOS"), "2");
    }
}

// Booked row by row through the public procedure on one object, with the
// sequence 1 the caller passes for every row, each document gets an entry
// of its own, every row is stored, and each entry books its rows' amounts.
TEST_F(AsientosInvariantesTest, BookingRowByRowThroughThePublicProcedureKeepsEachDocumentsAmounts) {
    documents::ClsCmnCptes cmn;
    struct Cpte {
        std::string numero;
        int desde;  // the first row booked (row 1 may hold nothing)
    };
    for (const Cpte& d : std::vector<Cpte>{{"00000070", 1}, {"00000071", 2}, {"00000072", 1}}) {
        auto g = Grilla(3);
        Linea(*g, 1, "A1", "1", {{kColAuxCosto, "10"}});
        Linea(*g, 2, "A2", "2", {{kColAuxCosto, "5"}});
        Linea(*g, 3, "A1", "3", {{kColAuxCosto, "10"}});
        for (int fila = d.desde; fila <= 3; ++fila) {
            SCOPED_TRACE(d.numero + " row " + std::to_string(fila));
            std::string motivo = "'M01 '";
            std::string tc = "RM";
            std::string suc = "0001";
            std::string nro = d.numero;
            std::string letra = "X";
            std::string fecha = "05/03/2024";
            bool esDebito = true;
            int secuencia = 1;
            std::string lote = cmn.GeneraAsientoStock(*g, motivo, tc, suc, nro, letra, fecha, esDebito, 0, fila,
                                                      &secuencia);
            ASSERT_FALSE(lote.empty());
            ASSERT_TRUE(db_.EjecutaConsultaSQL(lote));
        }
    }
    const std::map<std::string, std::string> numeros = NumerosDeAsiento();
    ASSERT_EQ(numeros.size(), 3u);
    EXPECT_EQ(std::set<std::string>({numeros.at("RM 00000070"), numeros.at("RM 00000071"),
                                     numeros.at("RM 00000072")})
                  .size(),
              3u);
    for (const auto& [numero, importe] : std::vector<std::pair<std::string, std::string>>{
             {"00000070", "50"}, {"00000071", "40"}, {"00000072", "50"}}) {
        SCOPED_TRACE(numero);
        for (const char* lado : {"D", "H"}) {
            EXPECT_EQ(Cantidad(Valor("SELECT SUM(IMPORTE) FROM MV_ASIENTOS WHERE NUMERO = '" + numero +
                                     "' AND [DEBE-HABER] = '" + lado + "'")),
                      Cantidad(importe));
        }
    }
    EXPECT_TRUE(operador_.Shown().empty());
}

}  // namespace
}  // namespace posting::testing
