// The discharge of article inputs: the "PE" document, its lines per input
// and lot, the row's own line on a per-cent row, and the recording of the
// number left to the caller's batch.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <map>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "documents/cls_cmn_cptes.h"
#include "entrygrids/columnas.h"
#include "posteo_fixture.h"
#include "vb/text.h"

namespace posting::testing {
namespace {

using namespace entrygrids;

using LineaPE = std::tuple<std::string, std::string, std::string>;  // article, quantity, lot

class InsumosTest : public PosteoTest {
protected:
    InsumosTest() {
        Ejecuta("INSERT INTO V_MA_INSUMOS (IDARTICULO, IdArticuloInsumo, IdUnidadInsumo, Cantidad) "
                "VALUES ('A1', 'I1', 'KG', 25), ('A2', 'I2', 'KG', 2)");
    }

    std::vector<LineaPE> LineasPE() {
        std::vector<LineaPE> lineas;
        for (const Fila& f : Movimientos("PE")) {
            lineas.emplace_back(vb::Trim(f.at("IDARTICULO")), vb::Replace(f.at("CANTIDAD"), ",", "."),
                                vb::Trim(f.at("NROLOTE")));
        }
        return lineas;
    }

    // The PE statements of a batch.
    static std::vector<std::map<std::string, std::string>> InsertsPE(const std::string& lote) {
        std::vector<std::map<std::string, std::string>> inserts;
        for (const std::string& s : Sentencias(lote)) {
            if (s.find("'PE  '") != std::string::npos && s.starts_with("INSERT")) inserts.push_back(MapaInsert(s));
        }
        return inserts;
    }
};

struct CasoDescarga {
    const char* nombre;
    std::string tc;
    std::string articulo;
    std::string cantidad;
    std::string porcentaje;  // column 68
    std::string cantidadUD;  // column 74
    std::vector<LineaPE> esperadas;
};

TEST_F(InsumosTest, InputsAreDischargedFromTheLineQuantity) {
    const std::vector<CasoDescarga> casos = {
        {"per cent, incoming: own line against the document", "IR", "A1", "10", "-1", "0",
         {{"A1", "-10", "<null>"}, {"I1", "2.5", "<null>"}}},
        {"per cent, outgoing", "RM", "A1", "10", "-1", "0", {{"A1", "10", "<null>"}, {"I1", "-2.5", "<null>"}}},
        {"per cent of the base-unit quantity", "IR", "A1", "10", "-1", "4",
         {{"A1", "-10", "<null>"}, {"I1", "1", "<null>"}}},
        {"a blank per-cent flag counts as set", "IR", "A1", "10", "", "0",
         {{"A1", "-10", "<null>"}, {"I1", "2.5", "<null>"}}},
        {"per unit", "RM", "A2", "3", "0", "0", {{"I2", "-6", "<null>"}}},
    };
    for (const CasoDescarga& caso : casos) {
        SCOPED_TRACE(caso.nombre);
        Ejecuta("DELETE FROM V_MV_STOCK");
        auto g = Grilla(1);
        Linea(*g, 1, caso.articulo, caso.cantidad,
              {{kColAuxInsumosPorPorcentaje, caso.porcentaje}, {kColAuxCantidadUD, caso.cantidadUD}});
        Llamada c{.tc = caso.tc};
        Postea(*g, c);
        ASSERT_FALSE(c.hayError);
        EXPECT_EQ(LineasPE(), caso.esperadas);
    }
}

TEST_F(InsumosTest, AnInputIsSplitOverItsLotsInTheDocumentsDepot) {
    struct Caso {
        const char* nombre;
        std::string lotes;  // rows of STK_SERIES_Y_LOTES
        std::string deposito;
        std::vector<LineaPE> esperadas;
    };
    const std::vector<Caso> casos = {
        {"two lots cover it", "('I2', '01', 'A', 4), ('I2', '01', 'B', 5), ('I2', '02', 'C', 9)", "01",
         {{"I2", "4", "A"}, {"I2", "2", "B"}}},
        {"one lot falls short", "('I2', '01', 'A', 4)", "01", {{"I2", "4", "A"}, {"I2", "2", ""}}},
        {"lines carry their own depots: no lots", "('I2', '01', 'A', 4)", "ELDELGRID", {{"I2", "6", "<null>"}}},
    };
    for (const Caso& caso : casos) {
        SCOPED_TRACE(caso.nombre);
        Ejecuta("DELETE FROM V_MV_STOCK");
        Ejecuta("DELETE FROM STK_SERIES_Y_LOTES");
        Ejecuta("INSERT INTO STK_SERIES_Y_LOTES (IDARTICULO, IDDEPOSITO, NROLOTE, CANTIDAD) VALUES " + caso.lotes);
        auto g = Grilla(1);
        Linea(*g, 1, "A2", "3", {{kColDeposito, "01"}});
        Llamada c{.tc = "IR", .deposito = caso.deposito};
        Postea(*g, c);
        ASSERT_FALSE(c.hayError);
        EXPECT_EQ(LineasPE(), caso.esperadas);
    }
}

TEST_F(InsumosTest, ThePEDocumentAndItsNumberAreRecordedAtOnce) {
    auto g = Grilla(3);
    Linea(*g, 1, "A3", "1");  // no inputs
    Linea(*g, 2, "A2", "3", {{kColDeposito, "04"}});
    Linea(*g, 3, "A1", "10", {{kColAuxInsumosPorPorcentaje, "-1"}, {kColAuxCosto, "7"}});
    Llamada c{.tc = "IR", .sql = "PREVIO"};
    Postea(*g, c);

    ASSERT_FALSE(c.hayError);
    const std::vector<Fila> pe = Movimientos("PE");
    ASSERT_EQ(pe.size(), 3U);
    for (std::size_t i = 0; i < pe.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(pe[i].at("IDCOMPROBANTE"), "000100000001X");
        EXPECT_EQ(pe[i].at("SECUENCIA"), std::to_string(i + 1));
        EXPECT_EQ(pe[i].at("TC_ORIGEN"), "IR");
        EXPECT_EQ(pe[i].at("IDCOMPROBANTE_ORIGEN"), "000100000012X");
        EXPECT_EQ(vb::Trim(pe[i].at("IDMOTIVOSTOCK")), "M01");
        EXPECT_EQ(pe[i].at("PRECIOVENTA"), "0");
    }
    // The input of row 2: its own depot, the input article's description (without apostrophes) and cost.
    EXPECT_EQ(vb::Trim(pe[0].at("IDARTICULO")), "I2");
    EXPECT_EQ(vb::Trim(pe[0].at("IDDEPOSITO")), "04");
    EXPECT_EQ(pe[0].at("DESCRIPCION"), "Insumo dos");
    EXPECT_EQ(pe[0].at("COSTO"), "3");
    EXPECT_EQ(pe[0].at("CUENTAPROVEEDOR"), "<null>");  // I2 has no supplier
    EXPECT_EQ(vb::Trim(pe[0].at("CONTROLADOPOR")), "A2");
    // Row 3 is per cent: its own line, then its input; the row's article answers for the account.
    EXPECT_EQ(vb::Trim(pe[1].at("IDARTICULO")), "A1");
    EXPECT_EQ(pe[1].at("COSTO"), "7");
    EXPECT_EQ(vb::Trim(pe[1].at("IDDEPOSITO")), "01");
    EXPECT_EQ(pe[1].at("CUENTAPROVEEDOR"), "PROV1");
    EXPECT_EQ(vb::Trim(pe[2].at("IDARTICULO")), "I1");
    EXPECT_EQ(pe[2].at("CUENTAPROVEEDOR"), "PROV1");
    EXPECT_EQ(pe[2].at("COSTO"), "2");

    // The number was recorded in its range as it was taken: the queued recording has nothing left to write.
    EXPECT_EQ(c.sql, "PREVIO\r");
    EXPECT_EQ(Valor("SELECT X_ULTIMO_NRO FROM V_TA_CPTE WHERE CODIGO = 'PE'"), "2");
}

TEST_F(InsumosTest, WithoutABatchTheNumberIsRecordedAtOnce) {
    documents::ClsCmnCptes cmn;
    auto g = Grilla(1);
    Linea(*g, 1, "A2", "3");
    bool hayError = false;
    cmn.ActualizaStock(*g, "RM", "000100000012X", "0", "05/03/2024", nullptr, nullptr, nullptr, nullptr, nullptr,
                       false, "PorDefault", false, nullptr, &hayError);
    ASSERT_FALSE(hayError);
    EXPECT_EQ(LineasPE(), (std::vector<LineaPE>{{"I2", "-6", "<null>"}}));
    EXPECT_EQ(Valor("SELECT X_ULTIMO_NRO FROM V_TA_CPTE WHERE CODIGO = 'PE'"), "2");
}

const std::string kSinNumeroPE =
    "No se grabó el stock del comprobante IR 0001-00000012-X: no se pudo numerar su descarga de insumos (PE). "
    "Todos los talonarios del comprobante PE se encuentran utilizados, debe dar de alta un nuevo talonario para el "
    "comprobante PE.";

// Without a number for its "PE" discharge (the ranges are used up) nothing
// of the document is stored, never a "PE" document under an empty or
// made-up number.
TEST_F(InsumosTest, WithoutANumberForItsDischargeNothingOfTheDocumentIsStored) {
    Ejecuta("UPDATE V_TA_CPTE SET X_ULTIMO_NRO = 100, X_NRO_HASTA = 99 WHERE CODIGO = 'PE'");
    for (const bool lote : {false, true}) {
        SCOPED_TRACE(lote ? "batch" : "immediate");
        operador_.ClearShown();
        operador_.AnswerMsgBox(ui::vbOK);
        auto g = Grilla(2);
        Linea(*g, 1, "A3", "1");  // no inputs
        Linea(*g, 2, "A2", "3");
        Llamada c{.tc = "IR", .lote = lote, .sql = "PREVIO"};
        Postea(*g, c);
        EXPECT_TRUE(c.hayError);
        EXPECT_EQ(c.sql, "PREVIO");
        EXPECT_EQ(Valor("SELECT COUNT(*) FROM V_MV_STOCK"), "0");
        // One box for one refusal: the document, what was not recorded, and why.
        ASSERT_EQ(operador_.Shown().size(), 1u);
        EXPECT_EQ(operador_.Shown()[0].prompt, kSinNumeroPE);
    }
    EXPECT_NE(testsupport::ReadFile(home_.Path() / "TSERR.LOG").find(kSinNumeroPE), std::string::npos);
}

// A discharge type without any range is numbered after the stored numbers
// and never recorded: the numbering says so, and the document is kept.
TEST_F(InsumosTest, WithoutAnyRangeTheDischargeIsNumberedUnrecorded) {
    Ejecuta("DELETE FROM V_TA_CPTE WHERE CODIGO = 'PE'");
    for (const bool lote : {false, true}) {
        SCOPED_TRACE(lote ? "batch" : "immediate");
        operador_.ClearShown();
        operador_.AnswerMsgBox(ui::vbOK);
        auto g = Grilla(1);
        Linea(*g, 1, "A2", "3");
        Llamada c{.numero = lote ? "000100000013X" : "000100000012X", .lote = lote};
        Postea(*g, c);
        ASSERT_FALSE(c.hayError);
        if (lote) ASSERT_TRUE(db_.EjecutaConsultaSQL(c.sql));
        ASSERT_EQ(operador_.Shown().size(), 1u);
        EXPECT_EQ(operador_.Shown()[0].prompt,
                  "Error en grabación del Comprobante, no se ha encontrado el comprobante configurado");
        EXPECT_EQ(Valor("SELECT COUNT(*) FROM V_MV_STOCK WHERE TC = 'RM' AND IDCOMPROBANTE = '" + c.numero + "'"), "1");
    }
    EXPECT_EQ(LineasPE(), (std::vector<LineaPE>{{"I2", "-6", "<null>"}, {"I2", "-6", "<null>"}}));
    EXPECT_EQ(Valor("SELECT group_concat(IDCOMPROBANTE) FROM V_MV_STOCK WHERE TC = 'PE'"),
              "000100000001X,000100000002X");
}

// The "PE" number of a document refused in a batch goes back to its range;
// one that cannot go back (the database refuses the change) stays unused,
// no box shows for it and the error log names it.
TEST_F(InsumosTest, ANumberThatCannotGoBackIsNamedInTheErrorLog) {
    // On a file, so that a connection of its own sets up the refusal.
    const std::string archivo = (home_.Path() / "devolucion.db").string();
    EnArchivo(archivo);
    Ejecuta("INSERT INTO V_MA_INSUMOS (IDARTICULO, IdArticuloInsumo, IdUnidadInsumo, Cantidad) "
            "VALUES ('A2', 'I2', 'KG', 2)");
    Configura("AsientosXStock", "SI");
    Configura("MotivoStockRemito", "REM");
    auto g = Grilla(1);
    Linea(*g, 1, "A2", "1", {{kColAuxCosto, "5"}});
    Llamada primero{.numero = "000100000050X"};
    Postea(*g, primero);
    ASSERT_FALSE(primero.hayError);
    const auto devoluciones = [&] {
        const std::string registro = testsupport::ReadFile(home_.Path() / "TSERR.LOG");
        std::vector<std::string> lineas;
        for (std::size_t desde = registro.find("No se devolvi"); desde != std::string::npos;
             desde = registro.find("No se devolvi", desde + 1)) {
            lineas.push_back(registro.substr(desde, registro.find('\r', desde) - desde));
        }
        return lineas;
    };
    struct Caso {
        const char* nombre;
        bool rechazaDevolucion;
        std::string contador;  // the PE range's counter afterwards
    };
    for (const Caso& caso : std::vector<Caso>{{"given back", false, "2"}, {"refused to go back", true, "3"}}) {
        SCOPED_TRACE(caso.nombre);
        if (caso.rechazaDevolucion) {
            sqlite3* otra = nullptr;
            ASSERT_EQ(sqlite3_open(archivo.c_str(), &otra), SQLITE_OK);
            EXPECT_EQ(sqlite3_exec(otra,
                                   "CREATE TRIGGER TR_PRUEBA BEFORE UPDATE ON V_TA_CPTE "
                                   "WHEN NEW.X_ULTIMO_NRO < OLD.X_ULTIMO_NRO BEGIN SELECT RAISE(ABORT, 'base ocupada'); END;",
                                   nullptr, nullptr, nullptr),
                      SQLITE_OK);
            sqlite3_close(otra);
        }
        operador_.ClearShown();
        operador_.AnswerMsgBox(ui::vbOK);
        Llamada segundo{.numero = "000100000050X", .lote = true, .sql = "PREVIO"};
        Postea(*g, segundo);
        EXPECT_TRUE(segundo.hayError);
        EXPECT_EQ(segundo.sql, "PREVIO");
        ASSERT_EQ(operador_.Shown().size(), 1u);
        EXPECT_TRUE(operador_.Shown()[0].prompt.starts_with(
            "No se grabó el stock del comprobante RM 0001-00000050-X: ya tiene el asiento"))
            << operador_.Shown()[0].prompt;
        EXPECT_EQ(Valor("SELECT X_ULTIMO_NRO FROM V_TA_CPTE WHERE CODIGO = 'PE'"), caso.contador);
    }
    const std::vector<std::string> lineas = devoluciones();
    ASSERT_EQ(lineas.size(), 1u);
    EXPECT_TRUE(lineas[0].starts_with("No se devolvió a su talonario el número de PE 0001-00000002-X: ")) << lineas[0];
    EXPECT_NE(lineas[0].find("base ocupada"), std::string::npos) << lineas[0];
}

// A transfer refused in batch mode after both its discharges gives both "PE"
// numbers back, the latest first, so that each goes back (a counter goes back
// only from the number right after): the range's counter stands where it
// stood, and the next transfer takes the same two numbers.
TEST_F(InsumosTest, ARefusedTransferGivesBackBothDischargeNumbers) {
    Configura("AsientosXStock", "SI");
    auto g = Grilla(1);
    Linea(*g, 1, "A2", "3", {{kColAuxCosto, "5"}});
    const auto transferencia = [&](const std::string& numero, bool lote) {
        Llamada c{.tc = "TR", .numero = numero, .destino = "09", .transferencia = true, .lote = lote, .sql = "PREVIO"};
        Postea(*g, c);
        return c;
    };
    ASSERT_FALSE(transferencia("000100000060X", false).hayError);
    const std::string contador = Valor("SELECT X_ULTIMO_NRO FROM V_TA_CPTE WHERE CODIGO = 'PE'");
    ASSERT_EQ(contador, "3");

    // Posted again into a batch: refused once discharged twice, as it is already booked.
    operador_.AnswerMsgBox(ui::vbOK);
    const Llamada otraVez = transferencia("000100000060X", true);
    EXPECT_TRUE(otraVez.hayError);
    EXPECT_EQ(otraVez.sql, "PREVIO");
    EXPECT_EQ(Valor("SELECT X_ULTIMO_NRO FROM V_TA_CPTE WHERE CODIGO = 'PE'"), contador);

    const Llamada siguiente = transferencia("000100000061X", true);
    ASSERT_FALSE(siguiente.hayError);
    const std::vector<std::map<std::string, std::string>> pe = InsertsPE(siguiente.sql);
    ASSERT_EQ(pe.size(), 2u);
    EXPECT_EQ(pe[0].at("IdComprobante"), "'000100000003X'");
    EXPECT_EQ(pe[1].at("IdComprobante"), "'000100000004X'");
}

// Without a range a discharge number is the next after the highest stored,
// never past 99999999: a document that would need a ninth digit is refused
// and leaves the batch as it came; the one before it keeps the last number.
TEST_F(InsumosTest, WithoutARangeNoDischargeNumberPassesEightDigits) {
    Ejecuta("DELETE FROM V_TA_CPTE WHERE CODIGO = 'PE'");
    Ejecuta("INSERT INTO V_MV_STOCK (TC, IDCOMPROBANTE, IDARTICULO, CANTIDAD) VALUES "
            "('PE  ', '000100000001X', 'I2', 1), ('PE  ', '000199999998X', 'I2', 1)");
    std::string lote;
    for (const std::string numero : {"000100000070X", "000100000071X"}) {
        SCOPED_TRACE(numero);
        operador_.ClearShown();
        operador_.AnswerMsgBox(ui::vbOK);
        auto g = Grilla(1);
        Linea(*g, 1, "A2", "3");
        Llamada c{.numero = numero, .lote = true, .sql = lote};
        Postea(*g, c);
        ASSERT_EQ(operador_.Shown().size(), 1u);
        if (numero == "000100000070X") {
            ASSERT_FALSE(c.hayError);
            ASSERT_EQ(InsertsPE(c.sql.substr(lote.size())).size(), 1u);
            EXPECT_EQ(InsertsPE(c.sql.substr(lote.size()))[0].at("IdComprobante"), "'000199999999X'");
        } else {
            EXPECT_TRUE(c.hayError);
            EXPECT_EQ(c.sql, lote);
            EXPECT_EQ(operador_.Shown()[0].prompt,
                      "No se grabó el stock del comprobante RM 0001-00000071-X: no se pudo numerar su descarga de "
                      "insumos (PE).");
        }
        lote = c.sql;
    }
    ASSERT_TRUE(db_.EjecutaConsultaSQL(lote));
    EXPECT_EQ(Valor("SELECT group_concat(DISTINCT IDCOMPROBANTE_ORIGEN) FROM V_MV_STOCK WHERE TC = 'PE' AND "
                    "IDCOMPROBANTE = '000199999999X'"),
              "000100000070X");
    EXPECT_EQ(Valor("SELECT COUNT(*) FROM V_MV_STOCK WHERE LENGTH(IDCOMPROBANTE) <> 13"), "0");
}

// A document without a number (its numbering gave none) is never stored.
TEST_F(InsumosTest, ADocumentWithoutANumberIsNeverStored) {
    for (const bool lote : {false, true}) {
        SCOPED_TRACE(lote ? "batch" : "immediate");
        operador_.ClearShown();
        operador_.AnswerMsgBox(ui::vbOK);
        auto g = Grilla(1);
        Linea(*g, 1, "A2", "3");
        Llamada c{.tc = "IR", .numero = " ", .lote = lote, .sql = "PREVIO"};
        Postea(*g, c);
        EXPECT_TRUE(c.hayError);
        EXPECT_EQ(c.sql, "PREVIO");
        EXPECT_EQ(Valor("SELECT COUNT(*) FROM V_MV_STOCK"), "0");
        ASSERT_EQ(operador_.Shown().size(), 1u);
        EXPECT_EQ(operador_.Shown()[0].prompt, "No se grabó el stock del comprobante IR: no tiene número.");
    }
    EXPECT_EQ(Valor("SELECT X_ULTIMO_NRO FROM V_TA_CPTE WHERE CODIGO = 'PE'"), "1");
}

TEST_F(InsumosTest, NothingIsDischargedWhenSwitchedOffOrWithoutInputs) {
    {
        SCOPED_TRACE("switched off");
        Configura("DescargaInsumosProduccion", "si");
        auto g = Grilla(1);
        Linea(*g, 1, "A2", "3");
        Llamada c{.sql = "PREVIO"};
        Postea(*g, c);
        EXPECT_FALSE(c.hayError);
        EXPECT_EQ(c.sql, "PREVIO");
        EXPECT_TRUE(LineasPE().empty());
    }
    {
        SCOPED_TRACE("no article with inputs");
        Ejecuta("DELETE FROM TA_CONFIGURACION");
        auto g = Grilla(1);
        Linea(*g, 1, "A3", "3");
        Llamada c{.lote = true, .sql = "PREVIO"};
        Postea(*g, c);
        EXPECT_FALSE(c.hayError);
        EXPECT_TRUE(InsertsPE(c.sql).empty());
        EXPECT_EQ(c.sql.find("V_TA_CPTE"), std::string::npos);
    }
}

TEST_F(InsumosTest, ATransferIsDischargedTwiceWithOppositeSigns) {
    auto g = Grilla(1);
    Linea(*g, 1, "A2", "3");
    Llamada c{.tc = "TR", .deposito = "01", .destino = "09", .transferencia = true, .lote = true};
    Postea(*g, c);

    ASSERT_FALSE(c.hayError);
    const std::vector<std::map<std::string, std::string>> pe = InsertsPE(c.sql);
    ASSERT_EQ(pe.size(), 2U);
    // Entering the destination first, leaving the origin second, the sequence numbered on.
    EXPECT_EQ(pe[0].at("Cantidad"), "6");
    EXPECT_EQ(pe[0].at("IdDeposito"), "'09  '");
    EXPECT_EQ(pe[0].at("Secuencia"), "1");
    EXPECT_EQ(pe[1].at("Cantidad"), "-6");
    EXPECT_EQ(pe[1].at("IdDeposito"), "'01  '");
    EXPECT_EQ(pe[1].at("Secuencia"), "2");
    // Each run takes its own number.
    EXPECT_EQ(pe[0].at("IdComprobante"), "'000100000001X'");
    EXPECT_EQ(pe[1].at("IdComprobante"), "'000100000002X'");

    std::string lote = c.sql;
    ASSERT_TRUE(db_.EjecutaConsultaSQL(lote));
    EXPECT_EQ(Valor("SELECT SUM(Cantidad) FROM V_MV_STOCK WHERE TC = 'PE'"), "0");
}

TEST_F(InsumosTest, APurchaseDocumentsInputLinesHaveNoComplement) {
    auto g = Grilla(1);
    Linea(*g, 1, "A2", "1");
    Llamada rm{.lote = true};
    Postea(*g, rm);
    ASSERT_EQ(InsertsPE(rm.sql).size(), 1U);
    EXPECT_EQ(InsertsPE(rm.sql)[0].at("IdComplemento"), "0");

    Llamada fcc{.tc = "FCC", .lote = true};
    Postea(*g, fcc);
    ASSERT_EQ(InsertsPE(fcc.sql).size(), 1U);
    EXPECT_FALSE(InsertsPE(fcc.sql)[0].contains("IdComplemento"));
}

}  // namespace
}  // namespace posting::testing

namespace posting::testing {
namespace {

// The "PE" numbers of discharges near the end of the ranges, and from a range
// whose counter is below its lower limit: each stored "PE" document has a
// number of a range, recorded there, and never shared with another
// document; a posting left without a number keeps nothing of its document
// and is told once.
TEST_F(InsumosTest, EveryDischargeNumberLiesInARangeAndGoesToOneDocument) {
    const std::string hasta40 = "('PE', 1, 'STOCK', NULL, '   1', 'X', 39, 1, 40, 1)";
    const std::string desde101 = "('PE', 2, 'STOCK', NULL, '   1', 'X', 0, 101, 200, 1)";
    struct Caso {
        const char* nombre;
        std::string rangos;  // rows of V_TA_CPTE for PE
        std::vector<std::string> guardados;
        bool lote;
        bool construyeTodos;                 // batch: every batch built before any runs
        std::vector<std::string> esperados;  // each posting's PE number; "" refused
    };
    const std::vector<Caso> casos = {
        {"two batches at the limit, each run as built", hasta40, {"000100000039X"}, true, false,
         {"000100000040X", ""}},
        {"two batches at the limit, both built first", hasta40, {"000100000039X"}, true, true, {"000100000040X", ""}},
        {"three immediate postings at the limit", hasta40, {"000100000039X"}, false, false,
         {"000100000040X", "", ""}},
        {"a new range whose counter is below its lower limit", desde101, {}, false, false,
         {"000100000101X", "000100000102X"}},
        {"a new range below its lower limit, batches built first", desde101, {}, true, true,
         {"000100000101X", "000100000102X"}},
        {"the limit, then the next range from its lower limit", hasta40 + ", " + desde101,
         {"000100000039X", "000100000001X"}, false, false, {"000100000040X", "000100000101X", "000100000102X"}},
    };
    for (const Caso& caso : casos) {
        SCOPED_TRACE(caso.nombre);
        Ejecuta("DELETE FROM V_MV_STOCK");
        Ejecuta("DELETE FROM V_TA_CPTE WHERE CODIGO = 'PE'");
        Ejecuta("INSERT INTO V_TA_CPTE (CODIGO, TALONARIO, SISTEMA, ES, UNEGOCIO, Letras, X_ULTIMO_NRO, X_NRO_DESDE, "
                "X_NRO_HASTA, X_SUC_DEFAULT) VALUES " + caso.rangos);
        for (const std::string& clave : caso.guardados) {
            Ejecuta("INSERT INTO V_MV_STOCK (TC, IDCOMPROBANTE) VALUES ('PE', '" + clave + "')");
        }
        operador_.ClearShown();
        std::vector<Llamada> llamadas;
        for (std::size_t i = 0; i < caso.esperados.size(); ++i) {
            llamadas.push_back(Llamada{.numero = "00010000002" + std::to_string(i) + "X", .lote = caso.lote});
        }
        const auto corre = [&](Llamada& c) {
            if (!caso.lote || c.hayError) return;
            std::string lote = c.sql;
            EXPECT_TRUE(db_.EjecutaConsultaSQL(lote));
        };
        std::vector<std::string> avisos;
        for (std::size_t i = 0; i < llamadas.size(); ++i) {
            Llamada& c = llamadas[i];
            auto g = Grilla(1);
            Linea(*g, 1, "A2", "3");
            if (caso.esperados[i].empty()) {
                operador_.AnswerMsgBox(ui::vbOK);
                avisos.push_back("No se grabó el stock del comprobante RM 0001-" + c.numero.substr(4, 8) +
                                 "-X: no se pudo numerar su descarga de insumos (PE). Todos los talonarios del "
                                 "comprobante PE se encuentran utilizados, debe dar de alta un nuevo talonario para "
                                 "el comprobante PE.");
            }
            Postea(*g, c);
            if (!caso.construyeTodos) corre(c);
        }
        for (Llamada& c : llamadas) {
            if (caso.construyeTodos) corre(c);
        }
        for (std::size_t i = 0; i < llamadas.size(); ++i) {
            SCOPED_TRACE(llamadas[i].numero);
            EXPECT_EQ(llamadas[i].hayError, caso.esperados[i].empty());
            const std::string pe = Valor("SELECT DISTINCT IDCOMPROBANTE FROM V_MV_STOCK WHERE TC = 'PE' AND "
                                         "IDCOMPROBANTE_ORIGEN = '" + llamadas[i].numero + "'");
            EXPECT_EQ(pe == "<none>" ? "" : pe, caso.esperados[i]);
            const std::string filas = Valor("SELECT COUNT(*) FROM V_MV_STOCK WHERE IDCOMPROBANTE = '" +
                                            llamadas[i].numero + "'");
            EXPECT_EQ(filas, caso.esperados[i].empty() ? "0" : "1");
        }
        std::vector<std::string> mostrados;
        for (const ui::RecordedBox& caja : operador_.Shown()) mostrados.push_back(caja.prompt);
        EXPECT_EQ(mostrados, avisos);
        // Every stored PE number: one document's, inside a range whose counter is past it.
        for (const Fila& f : Filas("SELECT IDCOMPROBANTE, COUNT(DISTINCT IDCOMPROBANTE_ORIGEN) AS N FROM V_MV_STOCK "
                                   "WHERE TC = 'PE' AND IDCOMPROBANTE_ORIGEN IS NOT NULL GROUP BY IDCOMPROBANTE")) {
            EXPECT_EQ(f.at("N"), "1") << f.at("IDCOMPROBANTE");
            const std::string n = std::to_string(std::stoi(f.at("IDCOMPROBANTE").substr(4, 8)));
            EXPECT_EQ(Valor("SELECT COUNT(*) FROM V_TA_CPTE WHERE CODIGO = 'PE' AND X_NRO_DESDE <= " + n +
                            " AND X_NRO_HASTA >= " + n + " AND X_ULTIMO_NRO > " + n),
                      "1")
                << f.at("IDCOMPROBANTE");
        }
    }
}

}  // namespace
}  // namespace posting::testing
