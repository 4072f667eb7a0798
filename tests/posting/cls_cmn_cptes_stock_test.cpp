// The stock posting: rows per lot or serial entry, signs and passes, the
// per-line values, the receipt date, immediate and batch modes, and what a
// failure leaves behind.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <map>
#include <optional>
#include <string>
#include <tuple>
#include <vector>

#include "documents/cls_cmn_cptes.h"
#include "entrygrids/columnas.h"
#include "helpers/helpers.h"
#include "posteo_fixture.h"
#include "vb/text.h"

namespace posting::testing {
namespace {

using namespace entrygrids;

using Entrada = std::tuple<std::string, std::string, std::string>;  // lot, serial, quantity

std::vector<Entrada> Entradas(const std::vector<Fila>& filas) {
    std::vector<Entrada> entradas;
    for (const Fila& f : filas) {
        entradas.emplace_back(vb::Trim(f.at("NROLOTE")), vb::Trim(f.at("NROSERIE")), vb::Replace(f.at("CANTIDAD"), ",", "."));
    }
    return entradas;
}

std::vector<std::string> Columna(const std::vector<Fila>& filas, const std::string& columna) {
    std::vector<std::string> valores;
    for (const Fila& f : filas) valores.push_back(vb::Trim(f.at(columna)));
    return valores;
}

class ActualizaStockTest : public PosteoTest {};

TEST_F(ActualizaStockTest, OutgoingPicksGiveOneRowPerTokenAndSkippedEntriesGiveTheirNumberBack) {
    auto g = Grilla(2);
    Linea(*g, 1, "A1", "3", {{kColAuxNroLote, "|L1" + kFF + "S1|L2" + kFF + "|"}, {kColAuxNroSerie, "|3|0|"}});
    Linea(*g, 2, "A2", "4", {{kColAuxPideTalle, ""}});
    Llamada c;
    Postea(*g, c);

    ASSERT_FALSE(c.hayError);
    const std::vector<Fila> filas = Movimientos();
    EXPECT_EQ(Entradas(filas), (std::vector<Entrada>{{"L1", "S1", "-3"}, {"<null>", "<null>", "-4"}}));
    EXPECT_EQ(Columna(filas, "SECUENCIA"), (std::vector<std::string>{"1", "2"}));
    EXPECT_EQ(g->TextMatrix(2, kColAuxPideTalle), "0");  // a blank size flag of an outgoing line
    EXPECT_EQ(c.deposito, "'01  '");
    EXPECT_EQ(c.motivo, "'M01 '");
    EXPECT_EQ(c.tcOrigen, "NULL");
    EXPECT_EQ(c.cpteOrigen, "NULL");
    EXPECT_TRUE(operador_.Shown().empty());
}

struct CasoEntrante {
    const char* nombre;
    std::string cantidad;
    std::vector<std::pair<int, std::string>> celdas;
    std::string loteFijo;
    std::vector<Entrada> esperadas;
};

TEST_F(ActualizaStockTest, IncomingLinesAreSplitByLotsSerialsAndSizes) {
    const std::vector<CasoEntrante> casos = {
        {"three lots, one unit each", "3", {{kColAuxNroLote, "|L1|L2|L3|"}}, "",
         {{"L1", "<null>", "1"}, {"L2", "<null>", "1"}, {"L3", "<null>", "1"}}},
        {"one distinct lot keeps the line quantity", "3", {{kColAuxNroLote, "|L1|L1|L1|"}}, "",
         {{"L1", "<null>", "3"}}},
        {"serials, with the lot at the same position", "2",
         {{kColAuxPideSerie, "-1"}, {kColAuxNroLote, "|LA|LB|"}, {kColAuxNroSerie, "|S1|S2|"}}, "",
         {{"LA", "S1", "1"}, {"LB", "S2", "1"}}},
        {"perishable: its lot as any line's", "5", {{kColAuxesperecedero, "-1"}, {kColAuxNroLote, "|V1|"}}, "",
         {{"V1", "<null>", "5"}}},
        {"no lot takes the fixed lot", "2", {}, "FIJO", {{"FIJO", "<null>", "2"}}},
        // Each size keeps its own quantity; a size of quantity 0 is passed over.
        {"sizes", "6",
         {{kColAuxPideTalle, "-1"}, {kColAuxNroLote, "|M" + kFF + "|L" + kFF + "|S" + kFF + "|"},
          {kColAuxNroSerie, "|2|0|4|"}},
         "", {{"M", "<null>", "2"}, {"S", "<null>", "4"}}},
    };
    for (const CasoEntrante& caso : casos) {
        SCOPED_TRACE(caso.nombre);
        Ejecuta("DELETE FROM V_MV_STOCK");
        auto g = Grilla(1);
        Linea(*g, 1, "A1", caso.cantidad, caso.celdas);
        Llamada c{.tc = "IR"};
        c.loteFijo = caso.loteFijo;
        Postea(*g, c);
        ASSERT_FALSE(c.hayError);
        const std::vector<Fila> filas = Movimientos("IR");
        EXPECT_EQ(Entradas(filas), caso.esperadas);
        std::vector<std::string> secuencias;
        for (std::size_t i = 1; i <= caso.esperadas.size(); ++i) secuencias.push_back(std::to_string(i));
        EXPECT_EQ(Columna(filas, "SECUENCIA"), secuencias);
    }
}

TEST_F(ActualizaStockTest, BatchModeQueuesEveryStatementAfterACarriageReturn) {
    auto g = Grilla(3);
    Linea(*g, 1, "A1", "2");
    Linea(*g, 2, "A2", "0");  // quantity 0: not posted
    Linea(*g, 3, "A2", "1");
    Llamada c{.lote = true, .sql = "PREVIO"};
    Postea(*g, c);

    ASSERT_FALSE(c.hayError);
    EXPECT_EQ(Valor("SELECT COUNT(*) FROM V_MV_STOCK"), "0");
    ASSERT_TRUE(c.sql.starts_with("PREVIO\rINSERT INTO V_MV_STOCK(TC,IdComprobante,"));
    EXPECT_EQ(c.sql.find("\n"), std::string::npos);  // CR alone between statements
    const std::vector<std::string> sentencias = Sentencias(c.sql.substr(6));
    ASSERT_EQ(sentencias.size(), 2U);
    EXPECT_EQ(MapaInsert(sentencias[0])["Secuencia"], "1");
    EXPECT_EQ(MapaInsert(sentencias[1])["Secuencia"], "2");
    // The accounting entry (none with AsientosXStock off) still gets its carriage return.
    EXPECT_TRUE(c.sql.ends_with(")\r"));

    std::string lote = c.sql.substr(6);
    ASSERT_TRUE(db_.EjecutaConsultaSQL(lote));
    EXPECT_EQ(Entradas(Movimientos()), (std::vector<Entrada>{{"<null>", "<null>", "-2"}, {"<null>", "<null>", "-1"}}));
}

TEST_F(ActualizaStockTest, AGridWithoutLinesWritesNothingAndStillEndsTheBatch) {
    auto g = Grilla(0);
    Llamada inmediata;
    Postea(*g, inmediata);
    EXPECT_FALSE(inmediata.hayError);
    Llamada lote{.lote = true};
    Postea(*g, lote);
    EXPECT_EQ(lote.sql, "\r");
    EXPECT_EQ(Valor("SELECT COUNT(*) FROM V_MV_STOCK"), "0");
}

struct CasoRecepcion {
    const char* nombre;
    std::string tc;
    std::string origen;
    std::optional<std::string> irOblig;
    bool fija;
};

// The receipt date goes with the document: run at once in immediate mode,
// with the document's batch in batch mode.
TEST_F(ActualizaStockTest, AReceiptGivesThePurchaseOrderItsReceiptDateOnceWithItsDocument) {
    const std::vector<CasoRecepcion> casos = {
        {"key missing", "FCC", "OC", std::nullopt, true},
        {"key blank", "RMC", "OC", " ", true},
        {"key NO", "FCC", "OC", "NO", true},
        {"receipts have their own document", "FCC", "OC", "SI", false},
        {"origin is not a purchase order", "FCC", "RM", std::nullopt, false},
        {"not a receipt", "IR", "OC", std::nullopt, false},
    };
    for (const bool lote : {false, true}) {
        for (const CasoRecepcion& caso : casos) {
            SCOPED_TRACE(std::string(caso.nombre) + (lote ? ", batch" : ", immediate"));
            Ejecuta("DELETE FROM TA_CONFIGURACION");
            Ejecuta("DELETE FROM C_MV_CPTE");
            Ejecuta("INSERT INTO C_MV_CPTE (TC, IDCOMPROBANTE) VALUES ('OC', '000100000005A'), ('RM', '000100000005A')");
            Ejecuta("INSERT INTO C_MV_CPTE (TC, IDCOMPROBANTE, FechaRecepcion) VALUES ('OC', '000100000006A', "
                    "'2024-01-02 00:00:00')");
            if (caso.irOblig) Configura("IR_Oblig", *caso.irOblig);
            for (const char* numero : {"000100000005A", "000100000006A"}) {
                auto g = Grilla(1);
                Linea(*g, 1, "A1", "1");
                Llamada c{.tc = caso.tc, .tcOrigen = caso.origen, .cpteOrigen = numero, .lote = lote};
                Postea(*g, c);
                ASSERT_FALSE(c.hayError);
                if (!lote) continue;
                // Nothing before the batch runs.
                const bool yaFijada = caso.fija && std::string(numero) != "000100000005A";
                EXPECT_EQ(Valor("SELECT COUNT(*) FROM C_MV_CPTE WHERE FechaRecepcion IS NULL"), yaFijada ? "1" : "2");
                ASSERT_TRUE(db_.EjecutaConsultaSQL(c.sql));
            }
            EXPECT_EQ(Valor("SELECT FechaRecepcion FROM C_MV_CPTE WHERE TC = 'OC' AND IDCOMPROBANTE = '000100000005A'"),
                      caso.fija ? "05/03/2024" : "<null>");
            EXPECT_EQ(Valor("SELECT FechaRecepcion FROM C_MV_CPTE WHERE TC = 'OC' AND IDCOMPROBANTE = '000100000006A'"),
                      "02/01/2024");
            EXPECT_EQ(Valor("SELECT FechaRecepcion FROM C_MV_CPTE WHERE TC = 'RM'"), "<null>");
        }
    }
}

TEST_F(ActualizaStockTest, ATransferPostsEachLineTwiceWithItsOwnDepots) {
    auto g = Grilla(2);
    Linea(*g, 1, "A1", "2", {{kColDeposito, "01"}});
    Linea(*g, 2, "A2", "3", {{kColDeposito, "02"}});
    Llamada c{.tc = "TR", .deposito = "ELDELGRID", .destino = "09", .transferencia = true};
    Postea(*g, c);

    ASSERT_FALSE(c.hayError);
    const std::vector<Fila> filas = Movimientos("TR");
    EXPECT_EQ(Columna(filas, "SECUENCIA"), (std::vector<std::string>{"1", "2", "3", "4"}));
    EXPECT_EQ(Columna(filas, "IDARTICULO"), (std::vector<std::string>{"A1", "A2", "A1", "A2"}));
    EXPECT_EQ(Columna(filas, "CANTIDAD"), (std::vector<std::string>{"-2", "-3", "2", "3"}));
    EXPECT_EQ(Columna(filas, "IDDEPOSITO"), (std::vector<std::string>{"01", "02", "09", "09"}));
    // Each line of pass 2 names the depot its own goods came from.
    EXPECT_EQ(Columna(filas, "IDDEPOSITO_DESTINO"), (std::vector<std::string>{"09", "09", "01", "02"}));
    EXPECT_EQ(c.deposito, "ELDELGRID");
    EXPECT_EQ(c.destino, "'09  '");
}

TEST_F(ActualizaStockTest, PerLineMotiveAndOriginComeFromTheGrid) {
    auto g = Grilla(2);
    Linea(*g, 1, "A1", "1", {{kColMotivoStock, "M01"}, {kColAuxCpteOrigen, "NP  000100000007A"}});
    Linea(*g, 2, "A2", "1", {{kColMotivoStock, "REM"}, {kColAuxCpteOrigen, ""}});
    Llamada c{.motivo = "eldelgrid", .tcOrigen = " ELDELGRID ", .cpteOrigen = "ELDELGRID"};
    Postea(*g, c);

    ASSERT_FALSE(c.hayError);
    const std::vector<Fila> filas = Movimientos();
    EXPECT_EQ(Columna(filas, "IDMOTIVOSTOCK"), (std::vector<std::string>{"M01", "REM"}));
    EXPECT_EQ(Columna(filas, "TC_ORIGEN"), (std::vector<std::string>{"NP", ""}));
    EXPECT_EQ(Columna(filas, "IDCOMPROBANTE_ORIGEN"), (std::vector<std::string>{"000100000007A", ""}));
    // The caller's variables hold the last line's literals.
    EXPECT_EQ(c.motivo, "'REM '");
    EXPECT_EQ(c.tcOrigen, "''");
    EXPECT_EQ(c.cpteOrigen, "''");
}

TEST_F(ActualizaStockTest, AProductionDocumentContinuesItsNumberingAndPostsInTwoPasses) {
    Ejecuta("INSERT INTO V_MV_STOCK (TC, IDCOMPROBANTE, Secuencia) VALUES ('OP', '000100000012X', 7), "
            "('OP', '000100000012X', 3), ('OP', '000100000099X', 40)");
    Ejecuta("INSERT INTO V_MA_INSUMOS (IDARTICULO, IdArticuloInsumo, IdUnidadInsumo, Cantidad) "
            "VALUES ('A2', 'I1', 'KG', 1)");
    auto g = Grilla(2);
    Linea(*g, 1, "A2", "2", {{kColAuxCantidadInsumo, ""}});
    Linea(*g, 2, "A1", "1", {{kColAuxCantidadInsumo, "-1"}, {kColDeposito, "03"}});
    Llamada c{.tc = "OP", .deposito = "05"};
    Postea(*g, c);

    ASSERT_FALSE(c.hayError);
    const std::vector<Fila> filas =
        Filas("SELECT * FROM V_MV_STOCK WHERE TC = 'OP' AND IdArticulo IS NOT NULL ORDER BY ID");
    EXPECT_EQ(Columna(filas, "SECUENCIA"), (std::vector<std::string>{"9", "10"}));
    EXPECT_EQ(Columna(filas, "IDARTICULO"), (std::vector<std::string>{"A1", "A2"}));
    EXPECT_EQ(Columna(filas, "CANTIDAD"), (std::vector<std::string>{"1", "-2"}));
    EXPECT_EQ(Columna(filas, "IDDEPOSITO"), (std::vector<std::string>{"03", "05"}));
    EXPECT_EQ(Columna(filas, "IDDEPOSITO_DESTINO"), (std::vector<std::string>{"<null>", "<null>"}));
    EXPECT_EQ(Valor("SELECT COUNT(*) FROM V_MV_STOCK WHERE TC = 'PE'"), "0");  // never discharged
}

TEST_F(ActualizaStockTest, AStatementRejectedPartWayLeavesNoRowsAndSaysSo) {
    // The third row of the document collides with a row already stored.
    Ejecuta("CREATE UNIQUE INDEX UX_PRUEBA ON V_MV_STOCK (TC, IDCOMPROBANTE, Secuencia)");
    Ejecuta("INSERT INTO V_MV_STOCK (TC, IDCOMPROBANTE, Secuencia) VALUES ('FCC', '000100000012X', 3)");
    Ejecuta("INSERT INTO C_MV_CPTE (TC, IDCOMPROBANTE) VALUES ('OC', '000100000005A')");
    Ejecuta("INSERT INTO V_MA_INSUMOS (IDARTICULO, IdArticuloInsumo, IdUnidadInsumo, Cantidad) "
            "VALUES ('A1', 'I1', 'KG', 1)");
    auto g = Grilla(4);
    for (int fila = 1; fila <= 4; ++fila) Linea(*g, fila, fila % 2 ? "A1" : "A2", "1");
    Llamada c{.tc = "FCC", .tcOrigen = "OC", .cpteOrigen = "000100000005A", .sql = "PREVIO"};
    operador_.AnswerMsgBox(ui::vbOK);
    Postea(*g, c);

    EXPECT_TRUE(c.hayError);
    // The user reads which document and what was refused; the log keeps the engine's text.
    ASSERT_EQ(operador_.Shown().size(), 1U);
    EXPECT_EQ(operador_.Shown()[0].title, "Aviso al operador");
    EXPECT_EQ(operador_.Shown()[0].prompt,
              "No se grabó el stock del comprobante FCC 0001-00000012-X: la base de datos rechazó el movimiento de "
              "stock de la línea 3 (artículo A1) por repetir datos ya grabados (el detalle quedó en el registro de "
              "errores). No se guardó nada del comprobante.");
    EXPECT_EQ(operador_.Shown()[0].style, ui::vbOKOnly | ui::vbCritical);
    const std::string log = testsupport::ReadFile(home_.Path() / "TSERR.LOG");
    EXPECT_NE(log.find("UNIQUE"), std::string::npos) << log;
    EXPECT_NE(log.find("No se grabó el stock del comprobante FCC 0001-00000012-X"), std::string::npos) << log;
    // The two rows written before and the receipt date: undone; no discharge.
    EXPECT_EQ(Valor("SELECT COUNT(*) FROM V_MV_STOCK"), "1");
    EXPECT_EQ(Valor("SELECT FechaRecepcion FROM C_MV_CPTE"), "<null>");
    EXPECT_EQ(c.sql, "PREVIO");
    EXPECT_FALSE(db_.gCnn.InTransaction());
}

struct CasoAbandono {
    const char* nombre;
    bool lote;
    std::string tc;
    std::string complemento;
    long error;
};

TEST_F(ActualizaStockTest, APostingTheOperatorAbandonsIsReportedAndLeavesNothing) {
    const std::vector<CasoAbandono> casos = {
        {"complement that is not a number, immediate", false, "RM", "1; DELETE FROM V_MV_STOCK", 13},
        {"complement that is not a number, batch", true, "RM", "1'", 13},
        {"sequence beyond 32767", false, "OP", "0", 6},
    };
    Ejecuta("INSERT INTO V_MV_STOCK (TC, IDCOMPROBANTE, Secuencia) VALUES ('OP', '000100000012X', 32766)");
    for (const CasoAbandono& caso : casos) {
        SCOPED_TRACE(caso.nombre);
        operador_.ClearShown();
        operador_.AnswerMsgBox(ui::vbAbort);
        auto g = Grilla(2);
        Linea(*g, 1, "A1", "1", {{kColAuxCantidadInsumo, "-1"}});
        Linea(*g, 2, "A2", "1", {{kColAuxCantidadInsumo, "-1"}});
        Llamada c{.tc = caso.tc, .complemento = caso.complemento, .lote = caso.lote, .sql = "PREVIO"};
        Postea(*g, c);
        EXPECT_TRUE(c.hayError);
        ASSERT_EQ(operador_.Shown().size(), 1U);
        EXPECT_NE(operador_.Shown()[0].prompt.find("(" + std::to_string(caso.error) + ")"), std::string::npos)
            << operador_.Shown()[0].prompt;
        EXPECT_EQ(c.sql, "PREVIO");
        EXPECT_EQ(Valor("SELECT COUNT(*) FROM V_MV_STOCK"), "1");
    }
}

TEST_F(ActualizaStockTest, ABatchAbandonedAfterSomeStatementsGivesTheCallersBatchBackUnchanged) {
    // Two rows fit below 32767; the third overflows the sequence.
    Ejecuta("INSERT INTO V_MV_STOCK (TC, IDCOMPROBANTE, Secuencia) VALUES ('OP', '000100000012X', 32764)");
    auto g = Grilla(3);
    for (int fila = 1; fila <= 3; ++fila) Linea(*g, fila, "A1", "1", {{kColAuxCantidadInsumo, "-1"}});
    operador_.AnswerMsgBox(ui::vbAbort);
    Llamada c{.tc = "OP", .lote = true, .sql = "PREVIO"};
    Postea(*g, c);

    EXPECT_TRUE(c.hayError);
    ASSERT_EQ(operador_.Shown().size(), 1U);
    EXPECT_NE(operador_.Shown()[0].prompt.find("(6)"), std::string::npos) << operador_.Shown()[0].prompt;
    EXPECT_EQ(c.sql, "PREVIO");
}

TEST_F(ActualizaStockTest, ACommitTheDatabaseRefusesIsAFailureWhateverTheAnswer) {
    // Every stock row names a parent that does not exist; the deferred key is
    // checked only at the commit, which the database then refuses.
    Ejecuta("CREATE TABLE T_PADRE (ID INTEGER PRIMARY KEY)");
    Ejecuta("PRAGMA foreign_keys = OFF");  // a key column with a default needs the keys off while it is added
    Ejecuta("ALTER TABLE V_MV_STOCK ADD COLUMN IDPADRE INTEGER DEFAULT 1 "
            "REFERENCES T_PADRE (ID) DEFERRABLE INITIALLY DEFERRED");
    Ejecuta("PRAGMA foreign_keys = ON");
    auto g = Grilla(1);
    Linea(*g, 1, "A1", "1");
    for (const int respuesta : {ui::vbIgnore, ui::vbAbort}) {
        SCOPED_TRACE(respuesta);
        operador_.ClearShown();
        operador_.AnswerMsgBox(respuesta);
        Llamada c{.sql = "PREVIO"};
        Postea(*g, c);

        EXPECT_TRUE(c.hayError);
        ASSERT_EQ(operador_.Shown().size(), 1U);
        EXPECT_NE(operador_.Shown()[0].prompt.find("FOREIGN KEY"), std::string::npos) << operador_.Shown()[0].prompt;
        EXPECT_EQ(c.sql, "PREVIO");
        EXPECT_EQ(Valor("SELECT COUNT(*) FROM V_MV_STOCK"), "0");
        EXPECT_FALSE(db_.gCnn.InTransaction());
    }
}

TEST_F(ActualizaStockTest, ApostrophesInTextsReachTheDatabaseIntact) {
    auto g = Grilla(1);
    Linea(*g, 1, "A1", "1", {{kColControladoPor, "O'Neil"}, {kColDescripcion, "Llave 3/4'' x"}});
    Llamada c{.tc = "IR", .numero = "0001O'0000012", .motivo = "M'1"};
    c.loteFijo = "L'1";
    c.vendedor = "D'Ana";
    c.aduana = "no se usa";
    Postea(*g, c);

    ASSERT_FALSE(c.hayError);
    const std::vector<Fila> filas = Movimientos("IR");
    ASSERT_EQ(filas.size(), 1U);
    EXPECT_EQ(filas[0].at("IDCOMPROBANTE"), "0001O'0000012");
    EXPECT_EQ(vb::Trim(filas[0].at("NROLOTE")), "L'1");
    EXPECT_EQ(filas[0].at("CONTROLADOPOR"), "O'Neil");
    EXPECT_EQ(filas[0].at("IDVENDEDOR"), "D'Ana");
    EXPECT_EQ(filas[0].at("IDMOTIVOSTOCK"), "M'1 ");
    EXPECT_EQ(filas[0].at("DESCRIPCION"), "Llave 3/4 x");  // the description is written without them
}

struct CasoAsientoInmediato {
    const char* nombre;
    Llamada llamada;
    std::vector<std::pair<int, std::string>> celdas;  // of line 1
    std::vector<std::string> esperado;                // CUENTA [DEBE-HABER] IMPORTE
};

TEST_F(ActualizaStockTest, ImmediateModeBooksEachLineOnceWithItsFirstWrittenEntry) {
    Configura("AsientosXStock", "SI");
    const std::vector<CasoAsientoInmediato> casos = {
        // IR takes the credit side for the motive; the line of three lots is booked once.
        {"a line of three lots and a second line of the same entry", Llamada{.tc = "IR"},
         {{kColAuxNroLote, "|L1|L2|L3|"}},
         {"1.1.01 D 30", "1.1.02 D 10", "5.1.01 H 40"}},
        {"a transfer books its line in pass 1 only",
         Llamada{.tc = "TR", .deposito = "01", .destino = "09", .transferencia = true}, {},
         {"1.1.01 H 30", "1.1.02 H 10", "5.1.01 D 40"}},
    };
    for (const CasoAsientoInmediato& caso : casos) {
        SCOPED_TRACE(caso.nombre);
        Ejecuta("DELETE FROM MV_ASIENTOS");
        auto g = Grilla(2);
        Linea(*g, 1, "A1", "3", caso.celdas);
        g->SetTextMatrix(1, kColAuxCosto, "10");
        Linea(*g, 2, "A2", "2", {{kColAuxCosto, "5"}});
        Llamada c = caso.llamada;
        Postea(*g, c);
        ASSERT_FALSE(c.hayError);
        std::vector<std::string> lineas;
        for (const Fila& f :
             Filas("SELECT CUENTA, [DEBE-HABER] AS LADO, IMPORTE, [NUMERO ASIENTO] AS N FROM MV_ASIENTOS ORDER BY CUENTA")) {
            lineas.push_back(f.at("CUENTA") + " " + f.at("LADO") + " " + f.at("IMPORTE"));
            EXPECT_EQ(f.at("N"), "1");
        }
        EXPECT_EQ(lineas, caso.esperado);
    }
}

struct CasoTipoAsiento {
    const char* nombre;
    Llamada llamada;
    std::string comodato;      // column 88
    std::string cuentaMotivo;  // the account of the motive the entry takes
    std::string ladoMotivo;
    std::string importe;  // column 38 (cost) times 2, or column 17 (price) times 2
};

TEST_F(ActualizaStockTest, InBatchModeTheDocumentsEntryTypeChoosesTheMotive) {
    Configura("AsientosXStock", "SI");
    Configura("MotivoStockRemito", "REM");
    Configura("MotivoStockComodato", "COM");
    Configura("MotivoStockTransferencias", "TRA");
    Configura("MotivoStockRecepcionOC", "ROC");
    Configura("CuentaCtroDist", "CTRO");
    Ejecuta("INSERT INTO V_TA_MOTIVOSTOCK (IDMOTIVOSTOCK, Descripcion, CUENTACONTABLE) VALUES "
            "('COM', 'Comodato', '5.2'), ('TRA', 'Transferencia', '5.3'), ('ROC', 'Recepcion', '5.4')");
    Ejecuta("INSERT INTO C_MV_CPTE (TC, IDCOMPROBANTE, FechaRecepcion) VALUES ('OC', '000100000005A', '2024-01-01')");
    const std::vector<CasoTipoAsiento> casos = {
        {"delivery note", Llamada{}, "0", "5.1.02", "D", "20"},
        {"delivery note on loan", Llamada{}, "1", "5.2", "D", "20"},
        {"delivery note to the distribution account", Llamada{.cuenta = "CTRO"}, "0", "5.3", "D", "20"},
        {"receipt of a delivery note", Llamada{.tc = "IR", .tcOrigen = "RM"}, "0", "5.3", "H", "20"},
        {"receipt of a purchase order, at its price", Llamada{.tc = "IR", .tcOrigen = "OC", .cpteOrigen = "000100000005A"},
         "0", "5.4", "H", "30"},
        {"any other document: the motive given", Llamada{.tc = "AJX"}, "0", "5.1.01", "H", "20"},
    };
    for (const CasoTipoAsiento& caso : casos) {
        SCOPED_TRACE(caso.nombre);
        auto g = Grilla(1);
        Linea(*g, 1, "A1", "2", {{kColAuxCosto, "10"}, {kColAuxPrecioSinIVA, "15"}, {kColEnComodato, caso.comodato}});
        Llamada c = caso.llamada;
        c.lote = true;
        Postea(*g, c);
        ASSERT_FALSE(c.hayError);
        const std::size_t asiento = c.sql.find("\r\r\nINSERT INTO MV_ASIENTOS ");
        ASSERT_NE(asiento, std::string::npos) << c.sql;
        const std::map<std::string, std::string> motivo = MapaInsert(Sentencias(c.sql.substr(asiento))[0]);
        EXPECT_EQ(motivo.at("Cuenta"), "'" + caso.cuentaMotivo + "'");
        EXPECT_EQ(motivo.at("[DEBE-HABER]"), "'" + caso.ladoMotivo + "'");
        EXPECT_EQ(motivo.at("Importe"), caso.importe);
        EXPECT_EQ(motivo.at("Secuencia"), "'1'");
    }
}

TEST_F(ActualizaStockTest, TheProgressNoticeIsClosedWhateverHappens) {
    documents::ClsCmnCptes cmn;
    auto g = Grilla(1);
    Linea(*g, 1, "A1", "1");
    for (const std::string complemento : {"0", "x"}) {
        SCOPED_TRACE(complemento);
        if (complemento == "x") operador_.AnswerMsgBox(ui::vbAbort);
        bool hayError = false;
        cmn.ActualizaStock(*g, "RM", "000100000012X", complemento, "05/03/2024", nullptr, nullptr, nullptr, nullptr,
                           nullptr, false, "PorDefault", false, nullptr, &hayError, "Null", "", "", "", 0, true);
        EXPECT_EQ(hayError, complemento == "x");
        EXPECT_FALSE(helpers::gCartel().Abierto());
    }
    EXPECT_EQ(Valor("SELECT COUNT(*) FROM V_MV_STOCK"), "1");
}

// An operator who, as each box shows, has another station write to the
// database file without waiting (a busy timeout of 0) and notes whether it
// could and what of the document that station reads.
class OperadorConOtraEstacion : public ui::ScriptedOperator {
public:
    explicit OperadorConOtraEstacion(const std::string& archivo) {
        sqlite3_open_v2(archivo.c_str(), &otra_, SQLITE_OPEN_READWRITE, nullptr);
        sqlite3_busy_timeout(otra_, 0);
    }
    ~OperadorConOtraEstacion() override { sqlite3_close(otra_); }

    int MsgBox(const std::string& prompt, int style, const std::string& title, const std::string& details) override {
        escrituras.push_back(Escribe());
        sqlite3_stmt* filas = nullptr;
        sqlite3_prepare_v2(otra_, "SELECT COUNT(*) FROM V_MV_STOCK WHERE IDCOMPROBANTE = '000100000012X' AND "
                                  "IDARTICULO IS NOT NULL", -1, &filas, nullptr);
        movimientos.push_back(sqlite3_step(filas) == SQLITE_ROW ? sqlite3_column_int(filas, 0) : -1);
        sqlite3_finalize(filas);
        return ScriptedOperator::MsgBox(prompt, style, title, details);
    }

    // The posting runs the event pump between its steps: the other station
    // writes then too.
    void DoEvents() override {
        if (Escribe() != "escribió") ++esperasMientrasPostea;
        ScriptedOperator::DoEvents();
    }

    std::vector<std::string> escrituras;
    std::vector<int> movimientos;  // the document's stock rows the other station reads
    int esperasMientrasPostea = 0;

private:
    std::string Escribe() {
        const int escrita = sqlite3_exec(otra_, "INSERT INTO TA_CONFIGURACION (CLAVE, VALOR) VALUES ('Otra', 'x')",
                                         nullptr, nullptr, nullptr);
        const std::string resultado = escrita == SQLITE_OK ? "escribió" : sqlite3_errmsg(otra_);
        sqlite3_exec(otra_, "DELETE FROM TA_CONFIGURACION WHERE CLAVE = 'Otra'", nullptr, nullptr, nullptr);
        return resultado;
    }

    sqlite3* otra_ = nullptr;
};

// A refused posting is undone, and its lock released, before its box shows:
// another station writing meanwhile never waits on the box; a notice of the
// numbering met while posting waits for the document to be stored. Building
// a batch takes no lock at all.
TEST_F(ActualizaStockTest, NoStationWaitsWhileARefusalIsShown) {
    const std::string archivo = (home_.Path() / "estaciones.db").string();
    EnArchivo(archivo);
    Ejecuta("CREATE UNIQUE INDEX UX_PRUEBA ON V_MV_STOCK (TC, IDCOMPROBANTE, Secuencia)");
    Ejecuta("INSERT INTO V_MV_STOCK (TC, IDCOMPROBANTE, Secuencia) VALUES ('IR', '000100000012X', 2)");
    struct Caso {
        const char* nombre;
        std::string tc;
        bool lote;
    };
    // RM: its second line picks more than its quantity. IR: its second row
    // collides with a row another station stored.
    for (const Caso& caso : std::vector<Caso>{{"a line refused, immediate", "RM", false},
                                               {"a line refused, batch", "RM", true},
                                               {"a row the database refuses", "IR", false}}) {
        SCOPED_TRACE(caso.nombre);
        OperadorConOtraEstacion operador(archivo);
        operador.AnswerMsgBox(ui::vbOK);
        auto g = Grilla(2);
        Linea(*g, 1, "A1", "1");
        Linea(*g, 2, "A2", "1", {{kColAuxNroLote, "|L1" + kFF + "|"}, {kColAuxNroSerie, "|5|"}});
        Llamada c{.tc = caso.tc, .lote = caso.lote};
        Postea(*g, c);
        EXPECT_TRUE(c.hayError);
        ASSERT_EQ(operador.Shown().size(), 1u);
        EXPECT_TRUE(operador.Shown()[0].prompt.starts_with("No se grabó el stock del comprobante " + caso.tc +
                                                           " 0001-00000012-X: "))
            << operador.Shown()[0].prompt;
        EXPECT_EQ(operador.escrituras, std::vector<std::string>{"escribió"});
        EXPECT_EQ(operador.movimientos, std::vector<int>{0});
        EXPECT_FALSE(db_.gCnn.InTransaction());
        // Immediate mode holds the file while it posts; building a batch never does.
        if (caso.lote) EXPECT_EQ(operador.esperasMientrasPostea, 0);
        else EXPECT_GT(operador.esperasMientrasPostea, 0);
    }
    {
        SCOPED_TRACE("a box of the set-up shows before the posting holds the file");
        OperadorConOtraEstacion operador(archivo);
        operador.AnswerMsgBox(ui::vbOK);
        auto g = Grilla(1);
        Linea(*g, 1, "A1", "1");
        Llamada c{.tc = "ZZ", .numero = "000100000014X"};
        Postea(*g, c);
        ASSERT_EQ(operador.Shown().size(), 1u);
        EXPECT_EQ(operador.Shown()[0].prompt, "El Tipo de Comprobante informado no existe en la tabla de comprobantes");
        EXPECT_EQ(operador.escrituras, std::vector<std::string>{"escribió"});
    }
    {
        SCOPED_TRACE("a batch built whole, with its discharge's number");
        Ejecuta("INSERT INTO V_MA_INSUMOS (IDARTICULO, IdArticuloInsumo, IdUnidadInsumo, Cantidad) "
                "VALUES ('A1', 'I1', 'KG', 1)");
        OperadorConOtraEstacion operador(archivo);
        auto g = Grilla(1);
        Linea(*g, 1, "A1", "1");
        Llamada c{.tc = "RM", .numero = "000100000013X", .lote = true};
        Postea(*g, c);
        EXPECT_FALSE(c.hayError);
        EXPECT_NE(c.sql.find("INSERT INTO V_MV_STOCK"), std::string::npos);
        EXPECT_EQ(operador.esperasMientrasPostea, 0);
        EXPECT_TRUE(operador.Shown().empty());
    }
    {
        SCOPED_TRACE("the notice of a discharge type without ranges shows once the document is stored");
        Ejecuta("DELETE FROM V_TA_CPTE WHERE CODIGO = 'PE'");
        OperadorConOtraEstacion operador(archivo);
        operador.AnswerMsgBox(ui::vbOK);
        auto g = Grilla(1);
        Linea(*g, 1, "A1", "1");
        Llamada c{.tc = "RM"};
        Postea(*g, c);
        EXPECT_FALSE(c.hayError);
        ASSERT_EQ(operador.Shown().size(), 1u);
        EXPECT_EQ(operador.Shown()[0].prompt,
                  "Error en grabación del Comprobante, no se ha encontrado el comprobante configurado");
        EXPECT_EQ(operador.escrituras, std::vector<std::string>{"escribió"});
        EXPECT_EQ(operador.movimientos, std::vector<int>{1});
        EXPECT_GT(operador.esperasMientrasPostea, 0);
    }
}

}  // namespace
}  // namespace posting::testing
