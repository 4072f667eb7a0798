// Loading a stored document into the detail grids: the frame and its
// queries, task and other-concept lines, article lines with their pending
// quantities, master data, letter "B" prices, timber measures and folding,
// and the quantities in the configured stock units.
#include <QLineEdit>

#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "db/adodb.h"
#include "entrygrids/columnas.h"
#include "foundation/configuracion.h"
#include "grids_fixture.h"
#include "vb/conv.h"

namespace entrygrids::testing {
namespace {

using Campos = std::vector<std::pair<std::string, std::string>>;  // column, SQL literal

constexpr const char* kNro = "000100000042A";

class CargaTest : public GridsTest {
protected:
    CargaTest() {
        for (const char* tc : {"FC", "RM", "NP", "OT"}) Tipo(tc, "VENTAS");
        Tipo("FCC", "COMPRAS");
        for (QLineEdit* caja : {&txtEdit_, &txtEdit2_, &txtEdit3_}) caja->setObjectName("TxtEdit");
    }

    void Inserta(const std::string& tabla, const Campos& campos) {
        std::string columnas;
        std::string valores;
        for (const auto& [columna, valor] : campos) {
            columnas += (columnas.empty() ? "" : ", ") + columna;
            valores += (valores.empty() ? "" : ", ") + valor;
        }
        Sql("INSERT INTO " + tabla + " (" + columnas + ") VALUES (" + valores + ")");
    }

    // A header of the document kNro; `extra` adds or overrides columns.
    void Cabecera(const std::string& tc, const Campos& extra = {}, const std::string& tabla = "V_MV_CPTE") {
        Campos campos = {{"TC", "'" + tc + "'"}, {"IDCOMPROBANTE", std::string("'") + kNro + "'"},
                         {"IDCOMPLEMENTO", "0"}, {"IdReparto", "5"}};
        for (const auto& e : extra) Reemplaza(campos, e);
        Inserta(tabla, campos);
    }

    // An article line of kNro.
    void Articulo(const std::string& tc, long id, const std::string& articulo, const std::string& cantidad,
                  const Campos& extra = {}, const std::string& tabla = "V_MV_CPTEINSUMOS") {
        Campos campos = {{"ID", std::to_string(id)},
                         {"TC", "'" + tc + "'"},
                         {"IDCOMPROBANTE", std::string("'") + kNro + "'"},
                         {"IdComplemento", "0"},
                         {"IdArticulo", "'" + articulo + "'"},
                         {"Descripcion", "' Tabla de pino '"},
                         {"IdUnidad", "'UN'"},
                         {"Cantidad", cantidad}};
        for (const auto& e : extra) Reemplaza(campos, e);
        Inserta(tabla, campos);
    }

    static void Reemplaza(Campos& campos, const std::pair<std::string, std::string>& valor) {
        for (auto& c : campos) {
            if (c.first == valor.first) {
                c.second = valor.second;
                return;
            }
        }
        campos.push_back(valor);
    }

    void Disponer(const std::string& tc) {
        Cmn().InicializaGrids(&tareas_, &articulos_, &otros_, &txtEdit_, &txtEdit2_, &txtEdit3_, host_, tc);
    }

    void Cargar(const std::string& tc, const std::string& complemento = "0", int* reparto = nullptr,
                adodb::Recordset* cabecera = nullptr, bool compras = false, const std::string& proveedor = {}) {
        Cmn().AsignarDatosComprobante(tc, kNro, complemento, tareas_, articulos_, otros_, false, cabecera, compras,
                                      proveedor, reparto);
    }

    std::string A(int fila, int col) const { return articulos_.TextMatrix(fila, col); }

    ui::FlexGrid tareas_;
    ui::FlexGrid articulos_;
    ui::FlexGrid otros_;
    QLineEdit txtEdit_;
    QLineEdit txtEdit2_;
    QLineEdit txtEdit3_;
};

TEST_F(CargaTest, FillsTheThreeGridsInOrderWithAnEmptyEntryRow) {
    Cabecera("FC");
    Inserta("V_MV_CPTETAREAS", {{"ID", "2"}, {"TC", "'FC'"}, {"IDCOMPROBANTE", "'000100000042A'"},
                                {"IdTarea", "'T02'"}, {"Descripcion", "'Armado'"}, {"Horas", "605"}});
    Inserta("V_MV_CPTETAREAS",
            {{"ID", "1"}, {"TC", "'FC'"}, {"IDCOMPROBANTE", "'000100000042A'"}, {"IdTarea", "' T01 '"},
             {"Descripcion", "' Poda '"}, {"Horas", "75"}, {"ValorHora", "100"}, {"valorHora_S_Iva", "82.645"},
             {"Total", "125"}, {"descripcionadicional", "'alta'"}, {"FechaEstInicio", "'2024-03-01'"},
             {"IdTecnico", "'TE1'"}, {"FechaREALFin", "'2024-03-09'"}});
    for (long id : {3, 1, 2}) Articulo("FC", id, "A" + std::to_string(id), "1");
    Inserta("V_MV_CPTE_Observ", {{"ID", "1"}, {"TC", "'FC'"}, {"IDCOMPROBANTE", "'000100000042A'"},
                                 {"TIPO_OBS", "'OC'"}, {"Observacion", "' Flete '"}, {"Importe_S_IVA", "100"},
                                 {"Importe", "121"}});
    Inserta("V_MV_CPTE_Observ", {{"ID", "2"}, {"TC", "'FC'"}, {"IDCOMPROBANTE", "'000100000042A'"},
                                 {"TIPO_OBS", "'OB'"}, {"Observacion", "'Nota'"}});
    Disponer("FC");
    Cargar("FC");

    ASSERT_EQ(tareas_.Rows(), 4);
    EXPECT_EQ(tareas_.TextMatrix(1, kTarCodigo), "T01");
    EXPECT_EQ(tareas_.TextMatrix(1, kTarCodigoOriginal), "T01");
    EXPECT_EQ(tareas_.TextMatrix(1, kTarDescripcion), "Poda");
    EXPECT_EQ(tareas_.TextMatrix(1, kTarHoras), "01:15");
    EXPECT_EQ(tareas_.TextMatrix(1, kTarValorHora), "100.00");
    EXPECT_EQ(tareas_.TextMatrix(1, kTarImporteSinIVA), "82.64");
    EXPECT_EQ(tareas_.TextMatrix(1, kTarTotal), "125.00");
    EXPECT_EQ(tareas_.TextMatrix(1, kTarAuxObservAdic), "alta");
    EXPECT_NE(tareas_.TextMatrix(1, kTarAuxFechaInicio), "");
    EXPECT_EQ(tareas_.TextMatrix(1, kTarAuxIdTecnico), "TE1");
    EXPECT_NE(tareas_.TextMatrix(1, kTarAuxFechaREALFin), "");
    EXPECT_EQ(tareas_.TextMatrix(2, kTarCodigo), "T02");
    EXPECT_EQ(tareas_.TextMatrix(2, kTarHoras), "10:05");
    EXPECT_EQ(tareas_.TextMatrix(2, kTarValorHora), "0.00");  // Null amount
    EXPECT_EQ(tareas_.TextMatrix(3, kTarCodigo), "");

    ASSERT_EQ(articulos_.Rows(), 5);
    EXPECT_EQ(A(1, kColCodigo), "A1");
    EXPECT_EQ(A(2, kColCodigo), "A2");
    EXPECT_EQ(A(3, kColCodigo), "A3");
    EXPECT_EQ(A(4, kColCodigo), "");

    ASSERT_EQ(otros_.Rows(), 3);  // the 'OB' observation is not a line
    EXPECT_EQ(otros_.TextMatrix(1, kOcDetalle), "Flete");
    EXPECT_EQ(otros_.TextMatrix(1, kOcImporte), "121.00");
    EXPECT_EQ(otros_.TextMatrix(1, kOcImporteSinIva), "100.00");
    for (int c : {kTarAuxEsExento, kTarAuxCuentaContable, kTarAuxTasaIVA}) EXPECT_EQ(tareas_.TextMatrix(1, c), "");
}

TEST_F(CargaTest, ADocumentWithoutLinesLeavesTheGridsAsTheyWere) {
    Cabecera("FC");
    Disponer("FC");
    for (ui::FlexGrid* g : {&tareas_, &articulos_, &otros_}) {
        g->SetRows(3);
        g->SetTextMatrix(2, 0, "antes");
    }
    Cargar("FC");
    for (ui::FlexGrid* g : {&tareas_, &articulos_, &otros_}) {
        EXPECT_EQ(g->Rows(), 3);
        EXPECT_EQ(g->TextMatrix(2, 0), "antes");
    }
    EXPECT_TRUE(operator_.Shown().empty());
}

TEST_F(CargaTest, LinesFollowRowsAlreadyInTheGrid) {
    Cabecera("FC");
    Articulo("FC", 1, "A1", "1");
    Disponer("FC");
    articulos_.SetRows(3);
    articulos_.SetTextMatrix(1, kColCodigo, "X1");
    articulos_.SetTextMatrix(2, kColCodigo, "X2");  // the last row holds a code: the line goes below it
    Cargar("FC");
    ASSERT_EQ(articulos_.Rows(), 5);
    EXPECT_EQ(A(2, kColCodigo), "X2");
    EXPECT_EQ(A(3, kColCodigo), "A1");
    EXPECT_EQ(A(4, kColCodigo), "");
}

TEST_F(CargaTest, ArticleLineColumnsFromTheLineAndTheMaster) {
    Cfg("CONDIVA", "1");
    Cabecera("FC", {{"CondicionIVA", "'4'"}, {"EnComodato", "1"}});
    Sql("INSERT INTO V_TA_TipoArticulo (IdTipo, Tipo, Descripcion) VALUES ('MAD', 'MAD', ' Maderas ')");
    Sql("INSERT INTO V_MA_ARTICULOS (IDARTICULO, DESCRIPCION, IDUNIDAD, IdTipo, Presentacion, Exento, USASERIE, "
        "USALOTE, Perecedero, UsaTalle, pesable, CodigoBarra) VALUES ('A1', 'Tabla', 'UN', 'MAD', 'Caja', 1, 1, "
        "0, NULL, NULL, 1, ' 779123 ')");
    Articulo("FC", 1, "A1", "3",
             {{"IdUnidadBase", "'KG'"}, {"CantidadUD", "7.5"}, {"Importe", "121"}, {"Exento", "0"},
              {"PorcDto", "10"}, {"IDLista", "'L1'"}, {"Equiv_UDBase", "2.5"}, {"Costo", "60"},
              {"Importe_S_IVA", "100"}, {"Impuestos", "2"}, {"Total", "100"}, {"Nro_Lote", "' |L1|L2| '"},
              {"Nro_Serie", "'|S1|S2|'"}, {"ControladoPor", "'ADU'"}, {"IdOrigen", "'ORI'"}, {"AlicIVA", "21"}});
    Articulo("FC", 2, "NOEXISTE", "1");
    Disponer("FC");
    Cargar("FC");

    const std::map<int, std::string> esperadas = {
        {kColCodigo, "A1"},          {kColDescripcion, "Tabla de pino"}, {kColUnidad, "UN"},
        {kColAuxIdUnidadOriginal, "UN"}, {kColCantidad, "3"},          {kColUnidadEquiv, "KG"},
        {kColCantidadEquiv, "7.5"},  {kColImporte, "121"},             {kColAuxPrecioConIVA, "121"},
        {kColPorcDto, "10"},         {kColLista, "L1"},                {kColEnComodato, "1"},
        {kColAuxDescTipoArticulo, "Maderas"}, {kColAuxPresentacion, "Caja"}, {kColAuxEsExento, "0"},
        {kColAuxPideSerie, "-1"},    {kColAuxPidelote, "0"},           {kColAuxesperecedero, "0"},
        {kColAuxCoeficiente, "2.5"}, {kColAuxTipoCoeficiente, "*"},    {kColAuxPideTalle, "0"},
        {kColAuxPesable, "-1"},      {kColAuxCodigoBarra, "779123"},   {kColAuxIdUnidadBase, "KG"},
        {kColAuxCosto, "60"},        {kColAuxPrecioSinIVA, "100"},     {kColImpuestos, "2"},
        {kColTotal, "100"},          {kColAuxNroLote, "|L1|L2|"},      {kColAuxNroSerie, "|S1|S2|"},
        {kColLoteAduana, "ADU"},     {kColLoteOrigen, "ORI"},          {kColAuxTasaIVA, "21"},
        {kColTotalConImpuestos, "106"}, {kColAuxRestoPorAplicar, "3"}, {kColAuxIdCpteCargado, kNro},
        {kColPideMedidas, ""},       {kColEspesor, ""},               {kColAuxCodigoArtProveedor, ""},
        {kColAuxPrecioLista, ""},
    };
    for (const auto& [col, texto] : esperadas) EXPECT_EQ(A(1, col), texto) << "column " << col;

    // Not in the master: the line still gives coefficient and base unit.
    EXPECT_EQ(A(2, kColAuxCoeficiente), "1");
    EXPECT_EQ(A(2, kColAuxIdUnidadBase), "UN");
    EXPECT_EQ(A(2, kColAuxTipoCoeficiente), "");
    EXPECT_EQ(A(2, kColAuxDescTipoArticulo), "");
    EXPECT_TRUE(operator_.Shown().empty());
}

struct CasoPendiente {
    const char* nombre;
    std::string tc;
    std::string reparto;              // header IdReparto
    std::optional<std::string> parcial;  // EntregaParcialRemito
    std::string cantidad;
    std::optional<double> enLineas;   // VT_V_MV_CPTEINSUMOS_CONS2
    std::optional<double> movido;     // VT_V_MV_Stock_Cons
    std::optional<double> aplicado;   // VT_V_MV_INSUMOS_APLICACION
    int repartoEntrada;
    std::string col7;
    std::string col23;
};

TEST_F(CargaTest, QuantityIsThePendingOrUnappliedPart) {
    const std::vector<CasoPendiente> casos = {
        {"invoice in a round", "FC", "5", std::nullopt, "10", std::nullopt, std::nullopt, std::nullopt, 0, "10", "10"},
        {"note in no round, 4 pending", "RM", "-1", std::nullopt, "10", 10, 6, std::nullopt, 0, "4", "4"},
        {"note in no round, more pending than stored", "RM", "-1", std::nullopt, "10", 15, std::nullopt,
         std::nullopt, 0, "10", "10"},
        {"note in no round, nothing left", "RM", "-1", std::nullopt, "10", 10, 12, std::nullopt, 0, "0", "0"},
        {"note in a round, 3 applied", "RM", "3", std::nullopt, "10", std::nullopt, std::nullopt, 3, 0, "7", "7"},
        {"order in a round, nothing applied yet", "NP", "3", std::nullopt, "10", std::nullopt, std::nullopt,
         std::nullopt, 0, "10", "10"},
        {"more applied than stored", "RM", "3", std::nullopt, "5", std::nullopt, std::nullopt, 8, 0, "0", "-3"},
        {"partial deliveries off, in a round", "RM", "3", "NO", "10", std::nullopt, std::nullopt, 3, 0, "10", "10"},
        {"partial deliveries off, no round", "RM", "-1", "n", "10", 10, 4, std::nullopt, 0, "6", "6"},
        {"invoice in no round takes the pending part", "FC", "-1", std::nullopt, "10", 10, 4, std::nullopt, 0, "6",
         "6"},
        {"reversed sign of a negative line", "FC", "5", std::nullopt, "-5", std::nullopt, std::nullopt,
         std::nullopt, -98, "5", "-5"},
        {"reversed sign of a positive line is not clamped", "FC", "5", std::nullopt, "5", std::nullopt,
         std::nullopt, std::nullopt, -98, "-5", "5"},
        // Under the reversed sign the pending part is shown negative.
        {"reversed sign of a partly applied line", "FC", "-1", std::nullopt, "10", 10, 4, std::nullopt, -98, "-6",
         "6"},
        {"reversed sign of a note in a round, 3 applied", "RM", "3", std::nullopt, "10", std::nullopt, std::nullopt,
         3, -98, "-7", "7"},
        {"reversed sign, all applied", "RM", "3", std::nullopt, "10", std::nullopt, std::nullopt, 10, -98, "0", "0"},
    };
    for (const CasoPendiente& caso : casos) {
        SCOPED_TRACE(caso.nombre);
        for (const char* t : {"V_MV_CPTE", "V_MV_CPTEINSUMOS", "VT_V_MV_CPTEINSUMOS_CONS2", "VT_V_MV_Stock_Cons",
                              "VT_V_MV_INSUMOS_APLICACION", "TA_CONFIGURACION"}) {
            Sql(std::string("DELETE FROM ") + t);
        }
        if (caso.parcial) Cfg("EntregaParcialRemito", *caso.parcial);
        Cabecera(caso.tc, {{"IdReparto", caso.reparto}});
        Articulo(caso.tc, 1, "A1", caso.cantidad);
        const std::string clave = "'" + caso.tc + "', '" + kNro + "', 'A1'";
        if (caso.enLineas)
            Sql("INSERT INTO VT_V_MV_CPTEINSUMOS_CONS2 (TC, IDCOMPROBANTE, IDARTICULO, Cantidad) VALUES (" + clave +
                ", " + std::to_string(*caso.enLineas) + ")");
        if (caso.movido)
            Sql("INSERT INTO VT_V_MV_Stock_Cons (TC, IDCOMPROBANTE, IDARTICULO, Cantidad) VALUES (" + clave + ", " +
                std::to_string(*caso.movido) + ")");
        if (caso.aplicado)
            Sql("INSERT INTO VT_V_MV_INSUMOS_APLICACION (TCO_ORIGEN, IDCOMPROBANTEORIGEN, IDARTICULO, "
                "CantidadAplicada) VALUES ('RM', '" + std::string(kNro) + "', 'A1', " +
                std::to_string(*caso.aplicado) + ")");
        Disponer(caso.tc);
        int reparto = caso.repartoEntrada;
        Cargar(caso.tc, "0", &reparto);
        EXPECT_EQ(A(1, kColCantidad), caso.col7);
        EXPECT_EQ(A(1, kColAuxRestoPorAplicar), caso.col23);
        EXPECT_EQ(reparto, std::stoi(caso.reparto));
        EXPECT_TRUE(operator_.Shown().empty());
    }
}

TEST_F(CargaTest, DeliveryRoundComesBackUnlessThePurchaseArea) {
    struct Caso {
        std::string tc;
        std::string reparto;
        int entrada;
        int salida;
    };
    for (const Caso& caso : std::vector<Caso>{{"FC", "7", -98, 7}, {"FC", "NULL", 4, 0}, {"FCC", "7", 3, 3}}) {
        SCOPED_TRACE(caso.tc + " " + caso.reparto);
        Sql("DELETE FROM V_MV_CPTE");
        Cabecera(caso.tc, {{"IdReparto", caso.reparto}});
        int reparto = caso.entrada;
        Disponer(caso.tc);
        Cargar(caso.tc, "0", &reparto);
        EXPECT_EQ(reparto, caso.salida);
    }
}

TEST_F(CargaTest, PriceWithVATOnlyForLetterBAndTaxedLines) {
    struct Caso {
        const char* nombre;
        std::string condIva;
        std::string condCliente;
        std::string exento;
        std::string col27;
    };
    const std::vector<Caso> casos = {
        {"letter B", "1", "4", "0", "121"},
        {"letter A", "1", "1", "0", ""},
        {"letter C", "2", "4", "0", ""},
        {"exempt line", "1", "4", "1", ""},
        {"exempt unknown", "1", "4", "NULL", ""},
    };
    for (const Caso& caso : casos) {
        SCOPED_TRACE(caso.nombre);
        Sql("DELETE FROM V_MV_CPTE");
        Sql("DELETE FROM V_MV_CPTEINSUMOS");
        Cfg("CONDIVA", caso.condIva);
        Cabecera("FC", {{"CondicionIVA", "'" + caso.condCliente + "'"}});
        Articulo("FC", 1, "A1", "1", {{"Importe", "121"}, {"Exento", caso.exento}});
        Disponer("FC");
        Cargar("FC");
        EXPECT_EQ(A(1, kColAuxPrecioConIVA), caso.col27);
    }
}

TEST_F(CargaTest, PurchaseAreaFillsSupplierColumnsNotSalesOnes) {
    Cabecera("FCC", {{"EnComodato", "1"}});
    Articulo("FCC", 1, "A1", "2",
             {{"PorcDto", "10"}, {"IDLista", "'L1'"}, {"AlicIVA", "21"}, {"Precio_Lista", "55.5"},
              {"CodigoArtProveedor", "' PRV-1 '"}, {"Total", "10"}, {"Impuestos", "1"}});
    Disponer("FCC");
    Cargar("FCC");
    EXPECT_EQ(A(1, kColAuxCodigoArtProveedor), " PRV-1 ");
    EXPECT_EQ(A(1, kColAuxPrecioLista), "55.5");
    EXPECT_EQ(A(1, kColTotalConImpuestos), "12");
    for (int c : {kColLista, kColPorcDto, kColAuxTasaIVA, kColEnComodato}) EXPECT_EQ(A(1, c), "") << c;
}

TEST_F(CargaTest, PurchaseViewsFilterBySupplierAndKeepPurchaseTaskColumns) {
    Cabecera("FC", {{"CUENTA", "'PROV1'"}}, "C_MV_CPTE");
    Cabecera("FC", {{"CUENTA", "'PROV2'"}}, "C_MV_CPTE");
    Inserta("C_MV_CPTETAREAS", {{"TC", "'FC'"}, {"IDCOMPROBANTE", "'000100000042A'"}, {"CUENTA", "'PROV1'"},
                                {"IdTarea", "'T01'"}, {"Horas", "60"}, {"IdTecnico", "'TE1'"}});
    Articulo("FC", 1, "A1", "4", {{"CUENTA", "'PROV1'"}, {"PorcDto", "5"}}, "C_MV_CPTEINSUMOS");
    Articulo("FC", 2, "A2", "4", {{"CUENTA", "'PROV2'"}}, "C_MV_CPTEINSUMOS");
    Disponer("FC");
    tareas_.SetTextMatrix(1, kTarAuxIdTecnico, "previo");
    Sentencias();
    Cargar("FC", "no se usa", nullptr, nullptr, true, "PROV1");

    EXPECT_TRUE(AlgunaSentenciaContiene("SELECT * FROM C_MV_CPTE  WHERE TC = 'FC  ' AND IDCOMPROBANTE = "
                                        "'000100000042A' AND CUENTA = 'PROV1' ORDER BY ID "));
    EXPECT_TRUE(AlgunaSentenciaContiene("FROM C_MV_CPTEINSUMOS  WHERE"));
    EXPECT_FALSE(AlgunaSentenciaContiene("IdComplemento ="));
    ASSERT_EQ(articulos_.Rows(), 3);
    EXPECT_EQ(A(1, kColCodigo), "A1");
    EXPECT_EQ(A(1, kColPorcDto), "5");  // the type is a sales one
    EXPECT_EQ(tareas_.TextMatrix(1, kTarCodigoOriginal), "T01");
    EXPECT_EQ(tareas_.TextMatrix(1, kTarAuxIdTecnico), "previo");
}

TEST_F(CargaTest, OrdersComeByPalletsWithoutLotColumns) {
    Cabecera("NP");
    Articulo("NP", 1, "B", "1", {{"PALLETS", "2"}, {"Nro_Lote", "'|L1|'"}, {"IdOrigen", "'O'"}});
    Articulo("NP", 2, "A", "1", {{"PALLETS", "1"}, {"Nro_Serie", "'|S1|'"}, {"ControladoPor", "'C'"}});
    Disponer("NP");
    Cargar("NP");
    EXPECT_EQ(A(1, kColCodigo), "A");
    EXPECT_EQ(A(2, kColCodigo), "B");
    for (int fila : {1, 2}) {
        for (int c : {kColAuxNroLote, kColAuxNroSerie, kColLoteOrigen, kColLoteAduana}) EXPECT_EQ(A(fila, c), "");
    }
}

TEST_F(CargaTest, QuantitiesInTheConfiguredStockUnits) {
    foundation::gUnidadMedidaKG = "KG";
    foundation::gUnidadMedidaM3 = "M3";
    foundation::gUnidadMedidaBL = "UN";
    Sql("INSERT INTO S_TA_EQUIV (IdArticulo, IDUNIDAD, IDUNIDAD_EQUIV, Coeficiente) VALUES ('A1', 'UN', 'KG', 2.5)");
    Cabecera("FC");
    Articulo("FC", 1, "A1", "4");
    Disponer("FC");
    Cargar("FC");
    EXPECT_EQ(A(1, kColAuxCantUnidad3), "10");
    EXPECT_EQ(A(1, kColAuxCantUnidad1), "0");
    EXPECT_EQ(A(1, kColAuxCantUnidad2), "4");
    EXPECT_EQ(articulos_.Row(), 1);
}

class MadereraTest : public CargaTest {
protected:
    MadereraTest() {
        foundation::gMADERERA = true;
        foundation::gMAD_TIRAS = "TIR";
        foundation::gUnidadMedidaKG = "KG";
        Sql("INSERT INTO V_MA_ARTICULOS (IDARTICULO, DESCRIPCION, IDUNIDAD, PIDEMEDIDAS) VALUES "
            "('A1', 'Tira', 'TIR', 1), ('B1', 'Clavo', 'UN', 0), ('C1', 'Tabla', 'UN', 1)");
        Sql("INSERT INTO S_TA_EQUIV (IdArticulo, IDUNIDAD, IDUNIDAD_EQUIV, Coeficiente) VALUES "
            "('A1', 'TIR', 'KG', 1)");
        Cabecera("FC");
    }

    // A strip of A1: 1 thick, 4 wide, 7 per pricing unit.
    void Tira(long id, const std::string& cantidad, const std::string& largo, const std::string& importe,
              const std::string& cantidadUD, const Campos& extra = {}) {
        Campos campos = {{"IdUnidad", "'TIR'"}, {"Equiv_UDBase", largo}, {"ESPESOR", "1"}, {"Ancho", "4"},
                         {"Ud_Pr", "'P2'"}, {"Importe_Ud", "7"}, {"Importe", importe}, {"CantidadUD", cantidadUD}};
        campos.insert(campos.end(), extra.begin(), extra.end());
        Articulo("FC", id, "A1", cantidad, campos);
    }
};

TEST_F(MadereraTest, LikeLinesFoldIntoOneWithWeightedLengthAndPrice) {
    Tira(1, "2", "3", "10", "6");
    Tira(2, "6", "5", "20", "30");
    Disponer("FC");
    Cargar("FC");
    ASSERT_EQ(articulos_.Rows(), 3);
    const std::map<int, std::string> esperadas = {
        {kColCantidad, "8"},      {kColLargo, "4.50"},         {kColLargoAnt, "4.50"},
        {kColCantidadEquiv, "36"}, {kColImporte, "17.50"},     {kColAuxPrecioSinIVA, "17.50"},
        {kColPideMedidas, "1"},   {kColEspesor, "1"},          {kColAncho, "4"},
        {kColUdPr, "P2"},         {kColImporteUd, "7"},        {kColAuxCantUnidad3, "8"},
    };
    for (const auto& [col, texto] : esperadas) EXPECT_EQ(A(1, col), texto) << "column " << col;
    EXPECT_EQ(A(2, kColCodigo), "");
}

// The folded row stands for all its lines: totals and the rest to apply are
// summed, taxes per unit weighted by quantity (so that TOTAL is still the
// total plus taxes times quantity), lot and serial lists joined.
TEST_F(MadereraTest, AFoldedRowCarriesTheAmountsAndListsOfAllItsLines) {
    Tira(1, "2", "3", "10", "6", {{"Total", "20"}, {"Impuestos", "1"}, {"Nro_Lote", "'|L1|'"}, {"Nro_Serie", "'|S1|'"}});
    Tira(2, "6", "5", "20", "30",
         {{"Total", "120"}, {"Impuestos", "3"}, {"Nro_Lote", "'|L2|L3|'"}, {"Nro_Serie", "'|S2|S3|'"}});
    Articulo("FC", 3, "B1", "1", {{"Total", "9"}, {"Impuestos", "0.5"}});
    Tira(4, "2", "3", "30", "12", {{"Total", "40"}, {"Impuestos", "5"}, {"Nro_Lote", "'|L4|'"}, {"Nro_Serie", "'|S4|'"}});
    Disponer("FC");
    Cargar("FC");
    ASSERT_EQ(articulos_.Rows(), 4);
    const std::map<int, std::string> esperadas = {
        {kColCantidad, "10"},           {kColTotal, "180"},           {kColImpuestos, "3"},
        {kColTotalConImpuestos, "210"}, {kColAuxRestoPorAplicar, "10"},
        {kColAuxNroLote, "|L1|L2|L3|L4|"}, {kColAuxNroSerie, "|S1|S2|S3|S4|"},
    };
    for (const auto& [col, texto] : esperadas) EXPECT_EQ(A(1, col), texto) << "column " << col;
    EXPECT_EQ(A(2, kColCodigo), "B1");
    // Every row agrees with itself: TOTAL = total + taxes x quantity.
    for (int fila : {1, 2}) {
        const auto n = [&](int col) { return vb::Val(A(fila, col)); };
        EXPECT_DOUBLE_EQ(n(kColTotalConImpuestos), n(kColTotal) + n(kColImpuestos) * n(kColCantidad)) << fila;
        EXPECT_EQ(A(fila, kColAuxRestoPorAplicar), A(fila, kColCantidad)) << fila;
    }
}

TEST_F(MadereraTest, ARowThatAbsorbsALaterLineGetsItsStockUnitsAnew) {
    Tira(1, "2", "3", "10", "6");
    Articulo("FC", 2, "B1", "1");
    Tira(3, "6", "5", "20", "30");
    Disponer("FC");
    Cargar("FC");
    ASSERT_EQ(articulos_.Rows(), 4);
    EXPECT_EQ(A(1, kColCantidad), "8");
    EXPECT_EQ(A(1, kColAuxCantUnidad3), "8");
    EXPECT_EQ(A(2, kColCodigo), "B1");
}

TEST_F(MadereraTest, LikeLinesWhoseQuantitiesAddUpToZeroStayApart) {
    Tira(1, "0", "3", "10", "0");
    Tira(2, "0", "5", "20", "0");
    Disponer("FC");
    Cargar("FC");
    EXPECT_EQ(articulos_.Rows(), 4);
    EXPECT_EQ(A(1, kColLargo), "3");
    EXPECT_EQ(A(2, kColLargo), "5");
    EXPECT_TRUE(operator_.Shown().empty());
}

TEST_F(MadereraTest, MeasureCellsAreWhitenedWhereTheyDoNotApply) {
    Articulo("FC", 1, "B1", "1", {{"ESPESOR", "9"}});
    Articulo("FC", 2, "C1", "1", {{"ESPESOR", "2"}, {"Equiv_UDBase", "6"}});
    Disponer("FC");
    Cargar("FC");
    constexpr std::uint32_t kBlanco = 0xFFFFFF;
    // No measures: thickness, width and length whitened, thickness not copied.
    EXPECT_EQ(A(1, kColPideMedidas), "0");
    EXPECT_EQ(A(1, kColEspesor), "");
    for (int c : {kColEspesor, kColAncho, kColLargo}) EXPECT_EQ(articulos_.CellForeColorAt(1, c), kBlanco) << c;
    // Measures in a unit other than the strip: only the length is whitened.
    EXPECT_EQ(A(2, kColPideMedidas), "1");
    EXPECT_EQ(A(2, kColEspesor), "2");
    EXPECT_EQ(A(2, kColLargo), "6");
    EXPECT_EQ(articulos_.CellForeColorAt(2, kColLargo), kBlanco);
    EXPECT_EQ(articulos_.CellForeColorAt(2, kColEspesor), 0u);
}

TEST_F(CargaTest, OutsideTheTimberTradeLikeLinesStaySeparate) {
    foundation::gMADERERA = false;
    Cabecera("FC");
    Articulo("FC", 1, "A1", "2", {{"ESPESOR", "1"}});
    Articulo("FC", 2, "A1", "6", {{"ESPESOR", "1"}});
    Disponer("FC");
    Cargar("FC");
    EXPECT_EQ(articulos_.Rows(), 4);
    for (int c : {kColEspesor, kColAncho, kColUdPr, kColImporteUd, kColPideMedidas, kColLargoAnt})
        EXPECT_EQ(A(1, c), "") << c;
}

TEST_F(CargaTest, HeaderRecordsetIsHandedBackWhenAsked) {
    Cabecera("FC", {{"CUENTA", "'C001'"}});
    Disponer("FC");
    adodb::Recordset cabecera;
    Cargar("FC", "0", nullptr, &cabecera);
    ASSERT_EQ(cabecera.State(), adodb::adStateOpen);
    ASSERT_FALSE(cabecera.EOF());
    EXPECT_EQ(vb::TextOf(cabecera.Fields("CUENTA").Value()), "C001");
}

// A task line stored without hours lasts no time: no message, the load goes on.
TEST_F(CargaTest, ATaskWithoutHoursLastsNoTime) {
    Cabecera("OT");
    int id = 0;
    for (const char* horas : {"NULL", "''", "'  '"}) {
        Inserta("V_MV_CPTETAREAS", {{"ID", std::to_string(++id)}, {"TC", "'OT'"}, {"IDCOMPROBANTE", "'000100000042A'"},
                                    {"IdTarea", "'T" + std::to_string(id) + "'"}, {"Horas", horas}, {"Total", "5"}});
    }
    Articulo("OT", 1, "A1", "2");
    Disponer("OT");
    Cargar("OT");
    EXPECT_TRUE(operator_.Shown().empty());
    ASSERT_EQ(tareas_.Rows(), 5);
    for (int fila = 1; fila <= 3; ++fila) {
        EXPECT_EQ(tareas_.TextMatrix(fila, kTarHoras), "00:00") << fila;
        EXPECT_EQ(tareas_.TextMatrix(fila, kTarTotal), "5.00") << fila;
    }
    EXPECT_EQ(A(1, kColCodigo), "A1");
}

TEST_F(CargaTest, HoursWithTheDecimalSeparator) {
    Cfg("SeparadorHora", ".");
    Cabecera("OT");
    Inserta("V_MV_CPTETAREAS", {{"TC", "'OT'"}, {"IDCOMPROBANTE", "'000100000042A'"}, {"IdTarea", "'T1'"},
                                {"Horas", "75"}});
    Disponer("OT");
    Cargar("OT");
    EXPECT_EQ(tareas_.TextMatrix(1, kTarHoras), "1.25");
}

TEST_F(CargaTest, AFailureIsReportedUnderTheLoadersNameAndTheAnswerDecides) {
    Cabecera("FC");
    Inserta("V_MV_CPTETAREAS", {{"TC", "'FC'"}, {"IDCOMPROBANTE", "'000100000042A'"}, {"IdTarea", "'T1'"},
                                {"Descripcion", "'Poda'"}, {"Horas", "'abc'"}, {"Total", "5"}});
    Disponer("FC");
    tareas_.SetTextMatrix(1, kTarHoras, "previo");
    operator_.AnswerMsgBox(ui::vbIgnore);
    Cargar("FC");
    ASSERT_EQ(operator_.Shown().size(), 1u);
    EXPECT_NE(operator_.Shown()[0].title.find("AsignarDatosPresupuesto"), std::string::npos);
    // Going on: the row keeps its other cells and its hours as they were.
    EXPECT_EQ(tareas_.TextMatrix(1, kTarDescripcion), "Poda");
    EXPECT_EQ(tareas_.TextMatrix(1, kTarHoras), "previo");
    EXPECT_EQ(tareas_.TextMatrix(1, kTarTotal), "5.00");
    EXPECT_EQ(tareas_.Rows(), 3);
}

TEST_F(CargaTest, AMissingHeaderFailsOnItsDeliveryRound) {
    Cabecera("FC");
    Articulo("FC", 1, "A1", "1");
    Disponer("FC");
    // Complement 1 finds no header; going on, the sections find no lines either.
    operator_.AnswerMsgBox(ui::vbIgnore);
    int reparto = 9;
    Cargar("FC", "1", &reparto);
    ASSERT_EQ(operator_.Shown().size(), 1u);
    EXPECT_EQ(articulos_.Rows(), 2);
    EXPECT_EQ(reparto, 9);

    // Leaving: no header recordset is handed back.
    operator_.ClearShown();
    operator_.AnswerMsgBox(ui::vbAbort);
    adodb::Recordset cabecera;
    Cargar("FC", "1", nullptr, &cabecera);
    EXPECT_EQ(operator_.Shown().size(), 1u);
    EXPECT_EQ(cabecera.State(), adodb::adStateClosed);
}

TEST_F(CargaTest, KeysReachTheDatabaseOnlyAsLiteralsAndNumbers) {
    Cabecera("FC");
    Articulo("FC", 1, "A1", "1");
    Disponer("FC");
    Sentencias();
    // A complement that is not a number: one message, no document query.
    operator_.AnswerMsgBox(ui::vbOK);
    Cargar("FC", "0 OR 1=1");
    ASSERT_EQ(operator_.Shown().size(), 1u);
    EXPECT_NE(operator_.Shown()[0].prompt.find("0 OR 1=1"), std::string::npos);
    EXPECT_FALSE(AlgunaSentenciaContiene("MV_CPTE"));
    EXPECT_EQ(articulos_.Rows(), 2);

    // An apostrophe in the number is a character of the number: the queries run
    // and find no header, whose delivery round then cannot be read.
    operator_.ClearShown();
    operator_.AnswerMsgBox(ui::vbIgnore);
    Cmn().AsignarDatosComprobante("FC", "0001'00000042A", "0", tareas_, articulos_, otros_);
    ASSERT_EQ(operator_.Shown().size(), 1u);
    EXPECT_NE(operator_.Shown()[0].prompt.find("(3021)"), std::string::npos) << operator_.Shown()[0].prompt;
    EXPECT_TRUE(AlgunaSentenciaContiene("IDCOMPROBANTE = '0001''00000042A'"));
    EXPECT_EQ(articulos_.Rows(), 2);

    // A supplier's apostrophe stays inside its literal: its purchase is found.
    Cabecera("FC", {{"CUENTA", "'D''Angelo'"}}, "C_MV_CPTE");
    Articulo("FC", 1, "A7", "3", {{"CUENTA", "'D''Angelo'"}}, "C_MV_CPTEINSUMOS");
    operator_.ClearShown();
    Cargar("FC", "0", nullptr, nullptr, true, "D'Angelo");
    EXPECT_TRUE(operator_.Shown().empty());
    EXPECT_TRUE(AlgunaSentenciaContiene("AND CUENTA = 'D''Angelo'"));
    EXPECT_EQ(A(1, kColCodigo), "A7");
}

}  // namespace
}  // namespace entrygrids::testing
