// What every posting keeps, whatever its lines hold: each line's posted
// quantities add up to its quantity, a transfer nets to zero per article and
// lot, no stored code holds character 255, the lines of one accounting entry
// never share a sequence number and every document gets an entry number of
// its own. A line that cannot be posted whole is refused, and nothing of its
// document stays.
#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "documents/cls_cmn_cptes.h"
#include "entrygrids/columnas.h"
#include "helpers/helpers.h"
#include "posteo_fixture.h"
#include "vb/currency.h"
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

    // No stored lot or serial holds character 255.
    void SinChr255() {
        for (const Fila& f : Filas("SELECT NROLOTE, NROSERIE FROM V_MV_STOCK")) {
            EXPECT_EQ(f.at("NROLOTE").find(kFF), std::string::npos) << f.at("NROLOTE");
            EXPECT_EQ(f.at("NROSERIE").find(kFF), std::string::npos) << f.at("NROSERIE");
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
    };
    for (const bool lote : {false, true}) {
        for (const CasoLinea& caso : casos) {
            SCOPED_TRACE(std::string(caso.nombre) + (lote ? ", batch" : ", immediate"));
            Ejecuta("DELETE FROM V_MV_STOCK");
            auto g = Grilla(1);
            Linea(*g, 1, "A1", caso.cantidad, caso.celdas);
            Llamada c = LlamadaDe(caso.tipo, lote);
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
            SinChr255();
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
    };
    const std::vector<Caso> casos = {
        {"picks beyond the line", Tipo::Salida, "|2|5|", "tiene 7 en sus lotes, series o talles, más que su cantidad (6)."},
        {"a negative pick", Tipo::Salida, "|8|-2|", "tiene una cantidad negativa en sus lotes, series o talles."},
        {"a negative pick of a transfer", Tipo::Transferencia, "|8|-2|",
         "tiene una cantidad negativa en sus lotes, series o talles."},
        {"sizes beyond the line", Tipo::Ingreso, "|4|4|", "tiene 8 en sus lotes, series o talles, más que su cantidad (6)."},
    };
    for (const bool lote : {false, true}) {
        for (const Caso& caso : casos) {
            SCOPED_TRACE(std::string(caso.nombre) + (lote ? ", batch" : ", immediate"));
            operador_.ClearShown();
            operador_.AnswerMsgBox(ui::vbOK);
            auto g = Grilla(2);
            Linea(*g, 1, "A2", "1");  // a good line comes first
            Linea(*g, 2, "A1", "6",
                  {{kColAuxPideTalle, caso.tipo == Tipo::Ingreso ? "-1" : "0"},
                   {kColAuxNroLote, Picks({"L1" + kFF, "L2" + kFF})}, {kColAuxNroSerie, caso.cantidades}});
            Llamada c = LlamadaDe(caso.tipo, lote);
            c.sql = "PREVIO";
            Postea(*g, c);
            EXPECT_TRUE(c.hayError);
            ASSERT_EQ(operador_.Shown().size(), 1U);
            EXPECT_EQ(operador_.Shown()[0].prompt,
                      "No se grabó el stock del comprobante: la línea 2 (artículo A1) " + caso.mensaje);
            EXPECT_EQ(operador_.Shown()[0].title, "Aviso al Operador");
            EXPECT_EQ(operador_.Shown()[0].style, ui::vbOKOnly | ui::vbCritical);
            EXPECT_EQ(c.sql, "PREVIO");
            EXPECT_EQ(Valor("SELECT COUNT(*) FROM V_MV_STOCK"), "0");
        }
    }
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

    // Each document's entry number; checks that its lines share it and never a sequence.
    std::map<std::string, std::string> NumerosDeAsiento() {
        std::map<std::string, std::string> numeros;
        std::map<std::string, std::set<std::string>> secuencias;
        for (const Fila& f : Filas("SELECT TC, NUMERO, [NUMERO ASIENTO] AS N, SECUENCIA FROM MV_ASIENTOS")) {
            const std::string documento = vb::Trim(f.at("TC")) + " " + f.at("NUMERO");
            if (numeros.contains(documento)) {
                EXPECT_EQ(numeros[documento], f.at("N")) << documento;
            }
            numeros[documento] = f.at("N");
            EXPECT_TRUE(secuencias[documento + " " + f.at("N")].insert(f.at("SECUENCIA")).second)
                << documento << " repeats sequence " << f.at("SECUENCIA");
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

// Another station books entries while this object keeps its number: counting
// on from the kept number skips what was booked meanwhile, and a batch built
// with a number that another station used first is refused whole when it runs.
TEST_F(AsientosInvariantesTest, AnEntryNumberBookedByAnotherStationIsNeverReused) {
    const std::string otraEstacion =
        "INSERT INTO MV_ASIENTOS (TC, SUCURSAL, NUMERO, LETRA, CUENTA, [DEBE-HABER], IMPORTE, MES_OPERATIVO, "
        "PERIODO, TIPO_REG, [NUMERO ASIENTO], SECUENCIA) SELECT 'FC', '0009', '00000001', 'A', 'X', 'D', 1, "
        "MES_OPERATIVO, PERIODO, TIPO_REG, MAX([NUMERO ASIENTO]) + 1, 1 FROM MV_ASIENTOS";

    documents::ClsCmnCptes cmn;
    Llamada primero{.tc = "RM", .numero = "000100000020X"};
    PosteaYGraba(*Documento(false), primero, &cmn);
    Ejecuta(otraEstacion);
    Llamada segundo{.tc = "RM", .numero = "000100000021X", .lote = true};
    PosteaYGraba(*Documento(false), segundo, &cmn);
    const std::map<std::string, std::string> numeros = NumerosDeAsiento();
    ASSERT_EQ(numeros.size(), 3u);
    EXPECT_EQ(std::set<std::string>({numeros.at("RM 00000020"), numeros.at("RM 00000021"),
                                     numeros.at("FC 00000001")})
                  .size(),
              3u);

    // Two batches built before either runs take one number: the second to run fails
    // whole, with a message, and writes nothing.
    documents::ClsCmnCptes estacionA;
    documents::ClsCmnCptes estacionB;
    Llamada a{.tc = "RM", .numero = "000100000030X", .lote = true};
    Llamada b{.tc = "RM", .numero = "000100000031X", .lote = true};
    Postea(*Documento(false), a, &estacionA);
    Postea(*Documento(false), b, &estacionB);
    ASSERT_FALSE(a.hayError);
    ASSERT_FALSE(b.hayError);
    ASSERT_TRUE(db_.EjecutaConsultaSQL(a.sql));
    operador_.AnswerMsgBox(ui::vbOK);
    EXPECT_FALSE(db_.EjecutaConsultaSQL(b.sql));
    EXPECT_TRUE(Filas("SELECT * FROM V_MV_STOCK WHERE IDCOMPROBANTE = '000100000031X'").empty());
    NumerosDeAsiento();
}

}  // namespace
}  // namespace posting::testing
