// The V_MV_STOCK row of a posted line: its columns in order, their literal
// forms, the rules that leave columns out, and the cells written back.
#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "entrygrids/columnas.h"
#include "foundation/session.h"
#include "posteo_fixture.h"
#include "vb/text.h"

namespace posting::testing {
namespace {

using namespace entrygrids;

class MovimientoTest : public PosteoTest {
protected:
    // Posts in batch mode and gives back the first INSERT of the batch.
    std::string PrimeraSentencia(ui::FlexGrid& g, Llamada& c) {
        c.lote = true;
        Postea(g, c);
        EXPECT_FALSE(c.hayError);
        const std::vector<std::string> sentencias = Sentencias(c.sql);
        return sentencias.empty() ? std::string() : sentencias.front();
    }
};

TEST_F(MovimientoTest, TheRowHasItsColumnsInOrderWithTheirLiterals) {
    Configura("PIVA", "21");
    auto g = Grilla(1);
    Linea(*g, 1, "A1", "2.5",
          {{kColAuxPesable, ""},      {kColAuxCoeficiente, ""},  {kColUnidadEquiv, " kg"}, {kColCantidadEquiv, "5"},
           {kColPorcDto, "10"},       {kColUdPr, "UN"},          {kColImporteUd, "7.5"},   {kColImporte, "12.1"},
           {kColAuxEsExento, "0"},    {kColAuxPrecioSinIVA, "10"}, {kColAuxTasaIVA, "0"},  {kColAuxIdCpteOrigen, "44"},
           {kColLoteAduana, "ADU'1"}, {kColAuxCosto, "8.25"},    {kColImpuestos, "1.5"},   {kColAuxIdUnidadBase, "UN"},
           {kColAuxIVARNI, "0.5"},    {kColAuxCantidadUD, "2.5"}, {kColAuxIdInsert, "11"}, {kColAuxIdCompulsa, "12"},
           {kColAuxOferta, "1"},      {kColEnComodato, "0"}});
    Llamada c;
    c.tecnico = "T1";
    c.loteOrigen = "OR";
    c.aduana = "no: column 37 wins";
    c.vendedor = "V'1";
    const std::string sentencia = PrimeraSentencia(*g, c);

    EXPECT_TRUE(sentencia.starts_with("INSERT INTO V_MV_STOCK("));
    const std::vector<std::pair<std::string, std::string>> esperado = {
        {"TC", "'RM  '"},
        {"IdComprobante", "'000100000012X'"},
        {"IdComplemento", "0"},
        {"Secuencia", "1"},
        {"Fecha", "'05/03/2024'"},
        {"IdCaja", "'1   '"},
        {"IdDeposito", "'01  '"},
        {"IdArticulo", "'A1" + std::string(23, ' ') + "'"},
        {"Descripcion", "'Desc A1'"},
        {"NroLote", "NULL"},
        {"ControladoPor", "'ADU1'"},
        {"IdOrigen", "'OR  '"},
        {"NroSerie", "NULL"},
        {"IdUnidad", "'UN  '"},
        {"Cantidad", "-2.5"},
        {"CantidadUD", "-2.5"},
        {"IdUnidadBase", "'UN'"},
        {"CuentaProveedor", "'PROV1'"},
        {"IdMotivoStock", "'M01 '"},
        {"PrecioVenta", "12.1"},
        {"Importe_S_Iva", "10"},
        {"Costo", "8.25"},
        {"Impuestos", "1.5"},
        {"DtoItem", "10"},
        {"Tc_Origen", "NULL"},
        {"IdComprobante_Origen", "NULL"},
        {"Id_Origen", "44"},
        {"IVARI", "21"},
        {"IVARNI", "0.5"},
        {"IdTecnico", "'T1  '"},
        {"EQUIV_UDBASE", "1"},
        {"IDINSERT", "11"},
        {"IDCOMPULSA", "12"},
        {"Oferta", "1"},
        {"IdVendedor", "'V''1'"},
        {"Importe_Ud", "7.5"},
        {"Ud_Pr", "'UN  '"},
        {"EnComodato", "0"},
    };
    EXPECT_EQ(ParesInsert(sentencia), esperado);
    // Cells written back.
    EXPECT_EQ(g->TextMatrix(1, kColAuxCoeficiente), "1");
    EXPECT_EQ(g->TextMatrix(1, kColUnidadEquiv), "kg  ");
    EXPECT_EQ(g->TextMatrix(1, kColAuxPesable), "0");
}

struct CasoColumnas {
    const char* nombre;
    std::function<void(PosteoTest&, Llamada&, ui::FlexGrid&)> prepara;
    std::map<std::string, std::string> presentes;  // column: literal
    std::vector<std::string> ausentes;
};

TEST_F(MovimientoTest, ColumnsFollowTheirRules) {
    const std::string larga = std::string(95, 'x') + "a'b'cdefgh" + std::string(45, 'y');
    const std::vector<CasoColumnas> casos = {
        {"a purchase document has no complement",
         [](PosteoTest&, Llamada& c, ui::FlexGrid&) { c.tc = "FCC"; }, {{"TC", "'FCC '"}}, {"IdComplemento"}},
        {"no cash desk, no IdCaja", [](PosteoTest&, Llamada&, ui::FlexGrid&) { foundation::gCaja = " "; }, {},
         {"IdCaja"}},
        {"a cash desk loses its apostrophes for good",
         [](PosteoTest&, Llamada&, ui::FlexGrid&) { foundation::gCaja = "1'2"; }, {{"IdCaja", "'12  '"}}, {}},
        {"no depot anywhere gives NULL", [](PosteoTest&, Llamada& c, ui::FlexGrid&) { c.deposito = ""; },
         {{"IdDeposito", "NULL"}}, {}},
        {"the configured default depot",
         [](PosteoTest& t, Llamada& c, ui::FlexGrid&) {
             t.Configura("DepositoDefault", "07");
             c.deposito = " ";
         },
         {{"IdDeposito", "'07  '"}}, {}},
        {"the line's depot, apostrophes and all",
         [](PosteoTest&, Llamada&, ui::FlexGrid& g) { g.SetTextMatrix(1, kColDeposito, " 0'3 "); },
         {{"IdDeposito", "'0''3 '"}}, {}},
        {"SignoRemota 1 takes the document's depot",
         [](PosteoTest&, Llamada& c, ui::FlexGrid& g) {
             g.SetTextMatrix(1, kColDeposito, "03");
             c.signoRemota = 1;
         },
         {{"IdDeposito", "'01  '"}}, {}},
        {"a long description: its first 100 characters without apostrophes",
         [&larga](PosteoTest&, Llamada&, ui::FlexGrid& g) { g.SetTextMatrix(1, kColDescripcion, larga); },
         {{"Descripcion", "'" + std::string(95, 'x') + "abc'"}}, {}},
        {"weighable without base unit: no base-unit columns",
         [](PosteoTest& t, Llamada&, ui::FlexGrid& g) {
             t.Configura("ConfirmaUDEquiv", "SI");
             g.SetTextMatrix(1, kColAuxPesable, "-1");
             g.SetTextMatrix(1, kColAuxIdUnidadBase, " ");
         },
         {}, {"CantidadUD", "IdUnidadBase"}},
        {"equivalent units from columns 10 and 9",
         [](PosteoTest& t, Llamada&, ui::FlexGrid& g) {
             t.Configura("ConfirmaUDEquiv", "si");
             g.SetTextMatrix(1, kColUnidadEquiv, "CJ");
             g.SetTextMatrix(1, kColCantidadEquiv, "0,5");
         },
         {{"CantidadUD", "-0.5"}, {"IdUnidadBase", "'CJ  '"}}, {}},
        {"an article without a supplier: no account",
         [](PosteoTest&, Llamada&, ui::FlexGrid& g) { g.SetTextMatrix(1, kColCodigo, "A2"); }, {},
         {"CuentaProveedor"}},
        {"an account given", [](PosteoTest&, Llamada& c, ui::FlexGrid&) { c.cuenta = "P'9"; },
         {{"CuentaProveedor", "'P''9'"}}, {}},
        {"an exempt line keeps VAT 0",
         [](PosteoTest& t, Llamada&, ui::FlexGrid& g) {
             t.Configura("PIVA", "21");
             g.SetTextMatrix(1, kColAuxEsExento, "-1");
         },
         {{"IVARI", "0"}}, {}},
        {"a line's own VAT rate",
         [](PosteoTest&, Llamada&, ui::FlexGrid& g) { g.SetTextMatrix(1, kColAuxTasaIVA, "10.5"); },
         {{"IVARI", "10.5"}}, {}},
        {"technician null", [](PosteoTest&, Llamada& c, ui::FlexGrid&) { c.tecnico = " null "; }, {},
         {"IdTecnico"}},
        {"no origin code anywhere", [](PosteoTest&, Llamada&, ui::FlexGrid&) {}, {}, {"IdOrigen"}},
        {"an outgoing line without lot and quantity 0,5",
         [](PosteoTest&, Llamada&, ui::FlexGrid& g) { g.SetTextMatrix(1, kColCantidad, "0,5"); },
         {{"Cantidad", "-0.5"}}, {}},
        {"a document type without stock sign writes 0",
         [](PosteoTest&, Llamada& c, ui::FlexGrid&) { c.tc = "NP"; }, {{"Cantidad", "0"}}, {}},
        {"a control reference keeps its apostrophes",
         [](PosteoTest&, Llamada& c, ui::FlexGrid& g) {
             g.SetTextMatrix(1, kColControladoPor, " O'Neil ");
             c.aduana = "X";
         },
         {{"ControladoPor", "'O''Neil'"}}, {}},
    };
    for (const CasoColumnas& caso : casos) {
        SCOPED_TRACE(caso.nombre);
        foundation::gCaja = "1";
        Ejecuta("DELETE FROM TA_CONFIGURACION");
        auto g = Grilla(1);
        Linea(*g, 1, "A1", "3");
        Llamada c;
        caso.prepara(*this, c, *g);
        const std::map<std::string, std::string> columnas = MapaInsert(PrimeraSentencia(*g, c));
        ASSERT_FALSE(columnas.empty());
        for (const auto& [columna, literal] : caso.presentes) {
            ASSERT_TRUE(columnas.contains(columna)) << columna;
            EXPECT_EQ(columnas.at(columna), literal) << columna;
        }
        for (const std::string& columna : caso.ausentes) EXPECT_FALSE(columnas.contains(columna)) << columna;
    }
    EXPECT_EQ(foundation::gCaja, "1");
}

TEST_F(MovimientoTest, TheDefaultAccountIsTakenFromTheFirstLineForTheWholeDocument) {
    auto g = Grilla(2);
    Linea(*g, 1, "A2", "1");  // no supplier
    Linea(*g, 2, "A1", "1");  // supplier PROV1, never looked up
    Llamada c{.lote = true};
    Postea(*g, c);
    for (const std::string& sentencia : Sentencias(c.sql)) EXPECT_FALSE(MapaInsert(sentencia).contains("CuentaProveedor"));
}

}  // namespace
}  // namespace posting::testing
