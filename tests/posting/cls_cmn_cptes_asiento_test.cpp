// The stock accounting entry: the motive line and the account lines, their
// sides, the entry number kept by the object, the cost-of-goods-sold entry,
// and the cases that build nothing.
#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <tuple>
#include <string>
#include <vector>

#include "documents/cls_cmn_cptes.h"
#include "entrygrids/columnas.h"
#include "posteo_fixture.h"
#include "vb/conv.h"
#include "vb/text.h"

namespace posting::testing {
namespace {

using namespace entrygrids;

// The arguments of one GeneraAsientoStock call.
struct Asiento {
    std::string motivo = "'M01 '";
    std::string tc = "AJX";
    std::string suc = "0001";
    std::string nro = "00000012";
    std::string letra = "X";
    std::string fecha = "05/03/2024";
    bool esDebito = false;
    int tipoMov = 0;
    long soloRegistro = 0;
    int secuencia = 1;
};

// One line of the entry as "account side amount sequence".
std::string Resumen(const std::map<std::string, std::string>& insert) {
    return vb::Replace(insert.at("Cuenta"), "'", "") + " " + vb::Replace(insert.at("[DEBE-HABER]"), "'", "") + " " +
           insert.at("Importe") + " " + vb::Replace(insert.at("Secuencia"), "'", "");
}

class AsientoTest : public PosteoTest {
protected:
    AsientoTest() { Configura("AsientosXStock", "SI"); }

    std::string Genera(documents::ClsCmnCptes& cmn, ui::FlexGrid& g, Asiento& a) {
        return cmn.GeneraAsientoStock(g, a.motivo, a.tc, a.suc, a.nro, a.letra, a.fecha, a.esDebito, a.tipoMov,
                                      a.soloRegistro, &a.secuencia);
    }

    // A grid of lines (article, quantity, cost); column 17 holds twice the cost.
    std::unique_ptr<ui::FlexGrid> GrillaCostos(const std::vector<std::tuple<std::string, std::string, std::string>>& lineas,
                                               const char* nombre = "GrillaArticulos") {
        auto g = Grilla(static_cast<int>(lineas.size()), nombre);
        int fila = 1;
        for (const auto& [articulo, cantidad, costo] : lineas) {
            Linea(*g, fila, articulo, cantidad, {{kColAuxCosto, costo}});
            g->SetTextMatrix(fila, kColAuxPrecioSinIVA, vb::CStr(2 * std::stod(costo)));
            ++fila;
        }
        return g;
    }

    static std::vector<std::string> Lineas(const std::string& resultado) {
        std::vector<std::string> lineas;
        for (const std::string& s : Sentencias(resultado)) lineas.push_back(s.starts_with("INSERT") ? Resumen(MapaInsert(s)) : s);
        return lineas;
    }
};

TEST_F(AsientoTest, TheSwitchOffBuildsNothingAndTouchesNothing) {
    Configura("AsientosXStock", "no");
    documents::ClsCmnCptes cmn;
    auto g = GrillaCostos({{"A1", "2", "10"}});
    Asiento a;
    EXPECT_EQ(Genera(cmn, *g, a), "");
    EXPECT_EQ(a.motivo, "'M01 '");
    EXPECT_EQ(a.secuencia, 1);
    EXPECT_EQ(a.tc, "AJX");
}

TEST_F(AsientoTest, TwoAccountsWithANegativeAmount) {
    Ejecuta("INSERT INTO V_MA_ARTICULOS (IDARTICULO, cuentacontableC) VALUES ('B1', '1.1.02')");
    documents::ClsCmnCptes cmn;
    // A1 (1.1.01) 100; A2 and B1 (1.1.02) -50 + 20; A3 has no account.
    auto g = GrillaCostos({{"A1", "10", "10"}, {"A2", "-10", "5"}, {"A3", "4", "100"}, {"B1", "2", "10"}});
    // A new entry starts at sequence 1 whatever the caller passes.
    Asiento a{.secuencia = 5};
    const std::string resultado = Genera(cmn, *g, a);

    ASSERT_TRUE(resultado.starts_with("\r\nINSERT INTO MV_ASIENTOS (Cuenta,Secuencia,"));
    EXPECT_FALSE(resultado.ends_with("\r\n"));
    // AJX subtracts from stock: the motive line takes the credit side.
    EXPECT_EQ(Lineas(resultado), (std::vector<std::string>{"5.1.01 H 70 1", "1.1.01 D 100 2", "1.1.02 H 30 3"}));
    EXPECT_EQ(a.secuencia, 4);
    EXPECT_FALSE(a.esDebito);
    EXPECT_EQ(a.motivo, "M01 ");
    EXPECT_EQ(g->Row(), 5);  // the whole grid was walked, the empty entry row included

    const std::map<std::string, std::string> linea = MapaInsert(Sentencias(resultado)[0]);
    const std::map<std::string, std::string> esperado = {
        {"Cuenta", "'5.1.01'"},          {"Secuencia", "'1'"},          {"Mes_Operativo", "'3'"},
        {"[Numero Asiento]", "'1'"},     {"Fecha", "'05/03/2024'"},     {"FechaSubDiario", "'05/03/2024'"},
        {"Detalle", "'Ajuste'"},         {"TC", "'AJX'"},               {"SUCURSAL", "'0001'"},
        {"NUMERO", "'00000012'"},        {"LETRA", "'X'"},              {"PERIODO", "'2024'"},
        {"Tipo_Reg", "'ST'"},            {"[DEBE-HABER]", "'H'"},       {"FechaHora_Grabacion", "'05/03/2024 09:07:31'"},
        {"USUARIO_LOGEADO", "'ana'"},    {"Importe", "70"},             {"Moneda", "'   1'"},
        {"Cotizacion", "1"},             {"CABImporte", "70"},          {"CABCuenta", "'5.1.01'"},
        {"CABNombre", "'M01 '"},         {"Unegocio", "'   1'"},        {"IdCajas", "'1   '"},
    };
    EXPECT_EQ(linea, esperado);

    // The statements run.
    std::string lote = resultado;
    ASSERT_TRUE(db_.EjecutaConsultaSQL(lote));
    EXPECT_EQ(Valor("SELECT SUM(IMPORTE) FROM MV_ASIENTOS WHERE [DEBE-HABER] = 'D'"), "100");
    EXPECT_EQ(Valor("SELECT SUM(IMPORTE) FROM MV_ASIENTOS WHERE [DEBE-HABER] = 'H'"), "100");
}

struct CasoLado {
    const char* nombre;
    std::string tc;
    int tipoMov;
    const char* grilla;
    std::string motivo;
    std::string motivoEsperado;
    std::string ladoMotivo;  // "" when nothing is built
};

TEST_F(AsientoTest, TheEntryTypeDecidesTheMotiveAndTheSide) {
    Configura("MotivoStockRemito", "REM");
    const std::vector<CasoLado> casos = {
        {"type outside the lists, sign -1", "AJX", 0, "GrillaArticulos", "'M01 '", "M01", "H"},
        {"type outside the lists, sign 0", "AJ0", 0, "GrillaArticulos", "'M01 '", "M01", "D"},
        {"IR credits the motive", "IR", 0, "GrillaArticulos", "'M01 '", "M01", "H"},
        {"delivery note: configured motive", "RM", 1, "GrillaArticulos", "'M01 '", "REM", "D"},
        {"delivery note on the differences grid: motive as given", "RM", 1, "msflexgriddif", "'M01 '", "M01", "H"},
        {"a sales document outside the cost of sales", "FC", 0, "GrillaArticulos", "'M01 '", "", ""},
        {"a purchase document", "FCC", 0, "GrillaArticulos", "'M01 '", "", ""},
        {"a motive without account", "AJX", 0, "GrillaArticulos", "SINC", "", ""},
    };
    for (const CasoLado& caso : casos) {
        SCOPED_TRACE(caso.nombre);
        documents::ClsCmnCptes cmn;
        auto g = GrillaCostos({{"A1", "1", "10"}}, caso.grilla);
        Asiento a{.motivo = caso.motivo, .tc = caso.tc, .tipoMov = caso.tipoMov};
        const std::vector<std::string> lineas = Lineas(Genera(cmn, *g, a));
        if (caso.ladoMotivo.empty()) {
            EXPECT_TRUE(lineas.empty());
            continue;
        }
        EXPECT_EQ(vb::Trim(a.motivo), vb::Trim(caso.motivoEsperado));
        ASSERT_EQ(lineas.size(), 2U);
        EXPECT_EQ(lineas[0].substr(lineas[0].find(' ') + 1, 1), caso.ladoMotivo);
        EXPECT_EQ(lineas[1], std::string("1.1.01 ") + (caso.ladoMotivo == "D" ? "H" : "D") + " 10 2");
    }
}

// Each cost-of-sales entry takes the next "CMV" number and records it, as
// every other number is: two entries never share one, also when both are
// built before either runs.
TEST_F(AsientoTest, CostOfGoodsSoldIsBookedUnderACMVDocumentOfItsOwn) {
    Ejecuta("INSERT INTO V_TA_MotivoVta (IdMotivoVta, Descripcion) VALUES ('MV1', 'Venta d''Ana')");
    Ejecuta("INSERT INTO V_TA_Input_Ventas (IdMotivoVta, COSTO_MERCADERIA) VALUES ('MV1', '4.1.01')");
    struct Caso {
        std::string tc;
        std::string ladoMotivo;  // "" when nothing is built (and no number taken)
        std::string numero;
    };
    for (const Caso& caso : std::vector<Caso>{{"FC", "D", "00000001"}, {"FCC", "", ""}, {"NC", "H", "00000002"},
                                              {"RM", "", ""}}) {
        SCOPED_TRACE(caso.tc);
        documents::ClsCmnCptes cmn;
        auto g = GrillaCostos({{"A1", "3", "10"}});
        Asiento a{.motivo = "MV1", .tc = caso.tc, .tipoMov = 99};
        const std::string resultado = Genera(cmn, *g, a);
        if (caso.ladoMotivo.empty()) {
            EXPECT_EQ(resultado, "");
            continue;
        }
        const std::vector<std::string> sentencias = Sentencias(resultado);
        ASSERT_EQ(sentencias.size(), 2U);
        const std::map<std::string, std::string> motivo = MapaInsert(sentencias[0]);
        EXPECT_EQ(Resumen(motivo), "4.1.01 " + caso.ladoMotivo + " 30 1");
        EXPECT_EQ(motivo.at("TC"), "'CMV'");
        EXPECT_EQ(motivo.at("NUMERO"), "'" + caso.numero + "'");
        EXPECT_EQ(motivo.at("Detalle"), "'Venta d''Ana'");
        EXPECT_EQ(motivo.at("TC_ORIGEN"), "'" + vb::Trim(caso.tc) + std::string(4 - caso.tc.size(), ' ') + "'");
        EXPECT_EQ(motivo.at("CPTE_ORIGEN"), "'000100000012X'");
        EXPECT_EQ(a.tc, "CMV");
        EXPECT_EQ(a.nro, caso.numero);
        std::string lote = resultado;
        ASSERT_TRUE(db_.EjecutaConsultaSQL(lote));
        EXPECT_EQ(Valor("SELECT Detalle FROM MV_ASIENTOS WHERE SECUENCIA = 1"), "Venta d'Ana");
        Ejecuta("DELETE FROM MV_ASIENTOS");
    }
    EXPECT_EQ(Valor("SELECT X_ULTIMO_NRO FROM V_TA_CPTE WHERE CODIGO = 'CMV'"), "3");

    documents::ClsCmnCptes cmn;
    auto g = GrillaCostos({{"A1", "3", "10"}});
    Asiento uno{.motivo = "MV1", .tc = "FC", .tipoMov = 99};
    Asiento dos{.motivo = "MV1", .tc = "FC", .nro = "00000013", .tipoMov = 99};
    std::string lote = Genera(cmn, *g, uno);
    lote += Genera(cmn, *g, dos);
    EXPECT_EQ(uno.nro, "00000003");
    EXPECT_EQ(dos.nro, "00000004");
    ASSERT_TRUE(db_.EjecutaConsultaSQL(lote));
    EXPECT_EQ(Valor("SELECT COUNT(DISTINCT NUMERO) FROM MV_ASIENTOS WHERE TC = 'CMV'"), "2");
    EXPECT_EQ(Valor("SELECT COUNT(DISTINCT [NUMERO ASIENTO]) FROM MV_ASIENTOS WHERE TC = 'CMV'"), "2");
    EXPECT_EQ(Valor("SELECT X_ULTIMO_NRO FROM V_TA_CPTE WHERE CODIGO = 'CMV'"), "5");

    // A sale whose number a booked CMV document also carries is booked all the same.
    Asiento mismoNumero{.motivo = "MV1", .tc = "FC", .nro = "00000003", .tipoMov = 99};
    lote = Genera(cmn, *g, mismoNumero);
    EXPECT_EQ(mismoNumero.nro, "00000005");
    ASSERT_TRUE(db_.EjecutaConsultaSQL(lote));
    EXPECT_EQ(Valor("SELECT COUNT(*) FROM MV_ASIENTOS WHERE TC = 'CMV' AND CPTE_ORIGEN = '000100000003X'"), "2");
    EXPECT_TRUE(operador_.Shown().empty());

    // With the CMV numbers used up (the numbering tells the user) no entry is built.
    Ejecuta("DELETE FROM MV_ASIENTOS");
    Ejecuta("UPDATE V_TA_CPTE SET X_NRO_HASTA = 4 WHERE CODIGO = 'CMV'");
    operador_.AnswerMsgBox(ui::vbOK);
    Asiento agotado{.motivo = "MV1", .tc = "FC", .nro = "00000014", .tipoMov = 99};
    EXPECT_EQ(Genera(cmn, *g, agotado), "");
    ASSERT_EQ(operador_.Shown().size(), 1u);
    EXPECT_NE(operador_.Shown()[0].prompt.find("CMV"), std::string::npos) << operador_.Shown()[0].prompt;
}

// Without a CMV range (as in a new database) each cost-of-sales entry still
// gets a CMV number of its own: after the ones stored before it, and apart
// from the ones built into the same batch, through one object or another.
TEST_F(AsientoTest, WithoutACMVRangeEachCostOfSalesEntryGetsANumberOfItsOwn) {
    Ejecuta("DELETE FROM V_TA_CPTE WHERE CODIGO = 'CMV'");
    Ejecuta("INSERT INTO V_TA_MotivoVta (IdMotivoVta, Descripcion) VALUES ('MV1', 'Venta')");
    Ejecuta("INSERT INTO V_TA_Input_Ventas (IdMotivoVta, COSTO_MERCADERIA) VALUES ('MV1', '4.1.01')");
    auto g = GrillaCostos({{"A1", "3", "10"}});
    documents::ClsCmnCptes cmn;
    documents::ClsCmnCptes otro;
    int venta = 20;
    const auto costo = [&](documents::ClsCmnCptes& objeto) {
        Asiento a{.motivo = "MV1", .tc = "FC", .nro = "000000" + std::to_string(venta++), .tipoMov = 99};
        std::string lote = Genera(objeto, *g, a);
        EXPECT_EQ(a.tc, "CMV");
        return std::make_pair(lote, a.suc + a.nro + a.letra);
    };
    std::vector<std::string> numeros;
    for (int vez = 0; vez < 3; ++vez) {
        auto [lote, numero] = costo(vez == 1 ? otro : cmn);
        ASSERT_TRUE(db_.EjecutaConsultaSQL(lote));
        numeros.push_back(numero);
    }
    auto [primero, uno] = costo(cmn);
    auto [segundo, dos] = costo(otro);
    std::string lote = primero + segundo;
    ASSERT_TRUE(db_.EjecutaConsultaSQL(lote));
    numeros.push_back(uno);
    numeros.push_back(dos);
    EXPECT_EQ(numeros, (std::vector<std::string>{"000100000001X", "000100000002X", "000100000003X", "000100000004X",
                                                 "000100000005X"}));
    EXPECT_EQ(Valor("SELECT COUNT(DISTINCT NUMERO) FROM MV_ASIENTOS WHERE TC = 'CMV'"), "5");
    EXPECT_EQ(Valor("SELECT COUNT(DISTINCT [NUMERO ASIENTO]) FROM MV_ASIENTOS WHERE TC = 'CMV'"), "5");
    EXPECT_TRUE(operador_.Shown().empty());
}

// Two stations given one entry number for two documents, whatever sequence
// each caller passes: the second to run meets the first on the entry's index
// and keeps nothing. (Each station is an opening of the database file of its
// own.)
TEST_F(AsientoTest, TwoDocumentsGivenOneEntryNumberNeverBothStay) {
    const std::filesystem::path archivo = home_.Path() / "estaciones.db";
    EnArchivo(archivo);
    Configura("AsientosXStock", "SI");
    auto g = GrillaCostos({{"A1", "2", "10"}});
    documents::ClsCmnCptes estacionA;
    documents::ClsCmnCptes estacionB;
    Asiento a;
    Asiento b{.nro = "00000013", .secuencia = 5};
    std::string loteA = Genera(estacionA, *g, a);
    db_.gCnn.Close();
    db_.gCnn.Open("Provider=SQLOLEDB;Data Source=" + archivo.string());
    std::string loteB = Genera(estacionB, *g, b);
    EXPECT_EQ(MapaInsert(Sentencias(loteB)[0]).at("[Numero Asiento]"),
              MapaInsert(Sentencias(loteA)[0]).at("[Numero Asiento]"));
    ASSERT_TRUE(db_.EjecutaConsultaSQL(loteA));
    operador_.AnswerMsgBox(ui::vbOK);
    EXPECT_FALSE(db_.EjecutaConsultaSQL(loteB));
    EXPECT_EQ(Valor("SELECT COUNT(DISTINCT NUMERO) FROM MV_ASIENTOS"), "1");
    EXPECT_EQ(Valor("SELECT COUNT(*) FROM MV_ASIENTOS WHERE NUMERO = '00000013'"), "0");
}

// Lines without an amount are not written and take no sequence: every entry
// written holds sequence 1, where two documents given one number meet.
TEST_F(AsientoTest, LinesWithoutAnAmountTakeNoSequence) {
    documents::ClsCmnCptes cmn;
    auto ceros = GrillaCostos({{"A1", "0", "10"}, {"A2", "3", "0"}});
    Asiento a{.secuencia = 4};
    EXPECT_EQ(Genera(cmn, *ceros, a), "");
    EXPECT_EQ(a.secuencia, 1);

    // The motive nets to zero: the account lines start the entry.
    Ejecuta("INSERT INTO V_MA_ARTICULOS (IDARTICULO, cuentacontableC) VALUES ('B1', '1.1.02')");
    auto neto = GrillaCostos({{"A1", "5", "10"}, {"B1", "-5", "10"}});
    Asiento b{.nro = "00000013", .secuencia = 4};
    EXPECT_EQ(Lineas(Genera(cmn, *neto, b)), (std::vector<std::string>{"1.1.01 D 50 1", "1.1.02 H 50 2"}));
    EXPECT_EQ(b.secuencia, 3);
}

TEST_F(AsientoTest, CodesDifferingOnlyInCaseAreOneArticle) {
    documents::ClsCmnCptes cmn;
    auto g = GrillaCostos({{"A1", "1", "10"}, {"a1", "2", "10"}});
    Asiento a;
    EXPECT_EQ(Lineas(Genera(cmn, *g, a)), (std::vector<std::string>{"5.1.01 H 30 1", "1.1.01 D 30 2"}));
}

TEST_F(AsientoTest, NoRegisterTypeOrADocumentAlreadyBookedBuildNothing) {
    documents::ClsCmnCptes cmn;
    auto g = GrillaCostos({{"A1", "1", "10"}});
    Ejecuta("DELETE FROM MA_SUBDIARIOSCOMPROBANTES WHERE TC = 'AJ0'");
    Asiento sinRegistro{.tc = "AJ0"};
    EXPECT_EQ(Genera(cmn, *g, sinRegistro), "");

    Ejecuta("INSERT INTO MV_ASIENTOS (TC, SUCURSAL, NUMERO, LETRA, CUENTA, MES_OPERATIVO, [NUMERO ASIENTO]) "
            "VALUES ('AJX', '0001', '00000012', 'X', '9', 3, 4)");
    Asiento cargado;
    EXPECT_EQ(Genera(cmn, *g, cargado), "");
    // Nor row by row: a document already booked never gets a second entry.
    Asiento fila{.soloRegistro = 1};
    EXPECT_EQ(Genera(cmn, *g, fila), "");
    EXPECT_TRUE(operador_.Shown().empty());
}

TEST_F(AsientoTest, TheEntryNumberIsKeptByTheObject) {
    Ejecuta("INSERT INTO MV_ASIENTOS (TC, CUENTA, MES_OPERATIVO, PERIODO, TIPO_REG, [NUMERO ASIENTO]) "
            "VALUES ('XX', '9', 3, 2024, 'ST', 32767)");
    auto numero = [](const std::string& resultado) {
        return vb::Replace(MapaInsert(Sentencias(resultado)[0]).at("[Numero Asiento]"), "'", "");
    };
    {
        SCOPED_TRACE("whole-grid calls: counted up, never below the database's next number");
        documents::ClsCmnCptes cmn;
        auto g = GrillaCostos({{"A1", "1", "10"}});
        Asiento primero;
        EXPECT_EQ(numero(Genera(cmn, *g, primero)), "32768");  // past 16 bits
        Ejecuta("INSERT INTO MV_ASIENTOS (TC, CUENTA, MES_OPERATIVO, PERIODO, TIPO_REG, [NUMERO ASIENTO]) "
                "VALUES ('XX', '9', 3, 2024, 'ST', 40000)");
        Asiento segundo{.nro = "00000013"};
        EXPECT_EQ(numero(Genera(cmn, *g, segundo)), "40001");  // 40000 was booked meanwhile
        Asiento tercero{.nro = "00000014"};
        EXPECT_EQ(numero(Genera(cmn, *g, tercero)), "40002");  // the batch before it is not run yet
    }
    {
        // 40001 and 40002 went to the two batches above, which did not run:
        // they stay handed out on this connection.
        SCOPED_TRACE("row by row: row 1 reads, later rows reuse, existing lines grow");
        documents::ClsCmnCptes cmn;
        auto g = GrillaCostos({{"A1", "1", "10"}, {"A1", "2", "10"}, {"A2", "1", "5"}});
        Asiento fila1{.soloRegistro = 1};
        std::string lote = Genera(cmn, *g, fila1);
        EXPECT_EQ(numero(lote), "40003");
        ASSERT_TRUE(db_.EjecutaConsultaSQL(lote));

        // Only the lines of this entry grow, never an older entry of the document.
        Asiento fila2{.soloRegistro = 2};
        lote = Genera(cmn, *g, fila2);
        const std::vector<std::string> lineas2 = Lineas(lote);
        ASSERT_EQ(lineas2.size(), 2U);
        EXPECT_EQ(lineas2[0],
                  "UPDATE MV_ASIENTOS SET IMPORTE = IMPORTE + 20 WHERE TC = 'AJX ' AND SUCURSAL = '0001' AND NUMERO = "
                  "'00000012' AND LETRA = 'X' AND CUENTA = '5.1.01' AND [DEBE-HABER] = 'H' AND [NUMERO ASIENTO] = "
                  "40003 AND MES_OPERATIVO = 3 AND RTRIM(LTRIM(PERIODO)) = '2024' AND RTRIM(LTRIM(TIPO_REG)) = 'ST'");
        EXPECT_TRUE(lineas2[1].starts_with("UPDATE MV_ASIENTOS SET IMPORTE = IMPORTE + 20 WHERE"));
        ASSERT_TRUE(db_.EjecutaConsultaSQL(lote));

        // A new line goes on after the entry's sequence numbers, whatever the
        // caller passes; the lines that grew took none.
        Asiento fila3{.soloRegistro = 3};
        lote = Genera(cmn, *g, fila3);
        const std::vector<std::string> lineas3 = Lineas(lote);
        ASSERT_EQ(lineas3.size(), 2U);
        EXPECT_TRUE(lineas3[0].starts_with("UPDATE MV_ASIENTOS SET IMPORTE = IMPORTE + 5 WHERE"));
        EXPECT_EQ(lineas3[1], "1.1.02 D 5 3");
        EXPECT_EQ(numero(Sentencias(lote)[1]), "40003");
        EXPECT_EQ(fila3.secuencia, 4);
        ASSERT_TRUE(db_.EjecutaConsultaSQL(lote));
        EXPECT_EQ(Valor("SELECT SUM(IMPORTE) FROM MV_ASIENTOS WHERE [NUMERO ASIENTO] = 40003 AND [DEBE-HABER] = 'D'"),
                  "35");
        EXPECT_EQ(Valor("SELECT SUM(IMPORTE) FROM MV_ASIENTOS WHERE [NUMERO ASIENTO] = 40003 AND [DEBE-HABER] = 'H'"),
                  "35");
    }
    {
        SCOPED_TRACE("a later row on a fresh object takes a number of its own, then keeps it");
        documents::ClsCmnCptes cmn;
        auto g = GrillaCostos({{"A1", "1", "10"}, {"A2", "1", "5"}});
        Asiento fila2{.nro = "00000099", .soloRegistro = 2};
        EXPECT_EQ(numero(Genera(cmn, *g, fila2)), "40004");
        Asiento otraVez{.nro = "00000099", .soloRegistro = 2, .secuencia = 3};
        EXPECT_EQ(numero(Genera(cmn, *g, otraVez)), "40004");
    }
}

}  // namespace
}  // namespace posting::testing
