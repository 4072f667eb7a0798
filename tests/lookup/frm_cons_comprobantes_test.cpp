// The document picker: mode words, sources, columns, rows and images,
// sorting, the accept and cancel steps, and a source that fails.
#include <QCoreApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPushButton>
#include <QTreeWidget>

#include "lookup/frm_cons_comprobantes.h"
#include "lookup_fixture.h"
#include "vb/text.h"

namespace lookup {
namespace {

using testing::LookupDbTest;
using Filas = std::vector<std::vector<std::string>>;

// Image indexes of the picker's image list.
enum Imagen { kNinguna = 0, kPR = 1, kAnulado = 2, kAprobado = 3, kFC = 4, kOT = 7, kGenerico = 8, kOC = 10, kOCG = 11 };

std::vector<std::string> Encabezados(const FrmConsComprobantes& frm) {
    std::vector<std::string> titulos;
    for (int c = 0; c < frm.ListView1->columnCount(); ++c) {
        titulos.push_back(frm.ListView1->headerItem()->text(c).toStdString());
    }
    return titulos;
}

Filas Celdas(const FrmConsComprobantes& frm) {
    Filas filas;
    for (int r = 0; r < frm.ListView1->topLevelItemCount(); ++r) {
        std::vector<std::string> fila;
        for (int c = 0; c < frm.ListView1->columnCount(); ++c) {
            fila.push_back(frm.ListView1->topLevelItem(r)->text(c).toStdString());
        }
        filas.push_back(fila);
    }
    return filas;
}

std::vector<int> Imagenes(const FrmConsComprobantes& frm) {
    std::vector<int> imagenes;
    for (int r = 0; r < frm.ListView1->topLevelItemCount(); ++r) {
        imagenes.push_back(FrmConsComprobantes::IndiceImagen(*frm.ListView1->topLevelItem(r)));
    }
    return imagenes;
}

class PickerTest : public LookupDbTest {
protected:
    // A sales-side document (V_MV_CPTE).
    void Venta(const std::string& tc, const std::string& nro, int complemento, const std::string& extra = {},
               const std::string& valores = {}) {
        Run("INSERT INTO V_MV_CPTE (TC, IDCOMPROBANTE, IDCOMPLEMENTO, FECHA, CUENTA, NOMBRE, IMPORTE" + extra +
            ") VALUES ('" + tc + "', '" + nro + "', " + std::to_string(complemento) +
            ", '2024-03-05 00:00:00', '100', 'Cliente " + nro.substr(nro.size() - 1) + "', 150" + valores + ")");
    }
    // A purchase-side document (C_MV_CPTE).
    void Compra(const std::string& tc, const std::string& nro, const std::string& extra = {},
                const std::string& valores = {}) {
        Run("INSERT INTO C_MV_CPTE (TC, IDCOMPROBANTE, FECHA, CUENTA, NOMBRE, IMPORTE" + extra + ") VALUES ('" + tc +
            "', '" + nro + "', '2024-03-05 00:00:00', 'P1', 'Proveedor " + nro.substr(nro.size() - 1) + "', 80" +
            valores + ")");
    }
    void Cargar(FrmConsComprobantes& frm, const std::string& tc, const std::string& filtro = {}) {
        frm.TC = tc;
        frm.Filtro = filtro;
        frm.Form_Load();
    }
};

// ---- Mode words --------------------------------------------------------------------------

struct CasoModo {
    const char* tc;
    const char* codigo;
    bool pendientes;
    bool marcas;
};

class PickerModeTest : public PickerTest, public ::testing::WithParamInterface<CasoModo> {};

TEST_P(PickerModeTest, AModeWordBecomesItsCode) {
    const CasoModo& caso = GetParam();
    FrmConsComprobantes frm;
    Cargar(frm, caso.tc, "CUENTA = '100'");
    EXPECT_EQ(frm.TC, caso.codigo);
    EXPECT_EQ(frm.SoloPendientes(), caso.pendientes);
    EXPECT_EQ(frm.CheckBoxes(), caso.marcas);
    EXPECT_TRUE(operator_.Shown().empty());
}

INSTANTIATE_TEST_SUITE_P(Casos, PickerModeTest,
                         ::testing::Values(CasoModo{"rm/pendientes", "RM", true, false},
                                           CasoModo{"NP/PENDIENTES", "NP", true, false},
                                           CasoModo{"OT/Pendientes", "OT", true, false},
                                           CasoModo{"RM/PENDIENTES_COMPRAS", "RMC", true, false},
                                           CasoModo{"PR/PENDIENTES", "PR", true, false},
                                           CasoModo{"fc/anticipos", "FC", false, false},
                                           CasoModo{"oc", "oc", false, true},
                                           CasoModo{"FC", "FC", false, false},
                                           CasoModo{"RM/PENDIENTES/", "RM/PENDIENTES/", false, false}));

// ---- Sources -------------------------------------------------------------------------------

struct CasoFuente {
    const char* tc;
    const char* filtro;
    std::vector<std::pair<const char*, const char*>> claves;  // configuration
    std::string sentencia;
};

class PickerSourceTest : public PickerTest, public ::testing::WithParamInterface<CasoFuente> {};

TEST_P(PickerSourceTest, TheTypeChoosesTheStatement) {
    const CasoFuente& caso = GetParam();
    for (const auto& [clave, valor] : caso.claves) SetCfg(clave, valor);
    FrmConsComprobantes frm;
    Cargar(frm, caso.tc, caso.filtro);
    const std::vector<std::string> sentencias = TakeStatements();
    EXPECT_NE(std::find(sentencias.begin(), sentencias.end(), caso.sentencia), sentencias.end())
        << "expected: " << caso.sentencia << "\nlast: " << (sentencias.empty() ? "" : sentencias.back());
    EXPECT_TRUE(operator_.Shown().empty());  // the statement ran
}

const std::string kCamposRM = " SELECT CUENTA , ANULADA, Nombre, APROBADO, TC,IDCOMPROBANTE, ID,FECHA, Importe";
const std::string kCamposNP = " SELECT CUENTA , ANULADA, Nombre, APROBADO, TC,IDCOMPROBANTE, ID,FECHA, Importe";
const std::string kCamposOC =
    " SELECT FECHA, CUENTA , NOMBRE, ANULADA, APROBADO, TC,IDCOMPROBANTE, ID,Importe, comentarios, Garantia FROM "
    "C_MV_CPTE WHERE TC = 'OC  ' AND (APROBADO = 1) AND (FINALIZADO = 0) AND (ANULADA = 0)";
const std::string kOrden = " ORDER BY IDCOMPROBANTE DESC";

INSTANTIATE_TEST_SUITE_P(
    Casos, PickerSourceTest,
    ::testing::Values(
        CasoFuente{"RM/PENDIENTES_COMPRAS", "CUENTA = '100'", {},
                   " SELECT CUENTA , ANULADA, Nombre, TC,IDCOMPROBANTE, ID,FECHA, Importe FROM C_RemitosPendientes "
                   "WHERE TC = 'RMC ' AND CUENTA = '100'" + kOrden},
        CasoFuente{"RM/PENDIENTES", "", {{"UsaRemitoContado", "SI"}},
                   kCamposRM + " FROM V_RemitosPendientes WHERE TC = 'RM  '" + kOrden},
        CasoFuente{"RM/PENDIENTES", "", {{"UsaRemitoContado", "si"}, {"EntregaParcialRemito", "Si"}},
                   kCamposRM + " FROM V_MV_CPTE WHERE TC = 'RM  ' AND FINALIZADA = 0" + kOrden},
        CasoFuente{"RM/PENDIENTES", "  ", {}, kCamposRM + " FROM V_MV_CPTE WHERE TC = 'RM  ' AND FINALIZADA = 0" + kOrden},
        CasoFuente{"RM/PENDIENTES", "CUENTA = '100'", {{"UsaRemitoContado", "SI"}, {"EntregaParcialRemito", "SI"}},
                   kCamposRM + " FROM V_RemitosPendientes WHERE TC = 'RM  ' AND CUENTA = '100'" + kOrden},
        CasoFuente{"RM/PENDIENTES", "CUENTA = '100'", {},
                   kCamposRM + " FROM V_MV_CPTE WHERE TC = 'RM  ' AND CUENTA = '100'  AND FINALIZADA = 0" + kOrden},
        CasoFuente{"T3", "CUENTA = '100'", {}, "SELECT * FROM V_MV_CPTETERCEROS ORDER BY ID,IDCOMPROBANTE, IDCOMPLEMENTO"},
        CasoFuente{"NCPE", "", {},
                   "SELECT * FROM MV_ASIENTOS WHERE TC = 'NCPE' AND SECUENCIA = 1 ORDER BY SUCURSAL, NUMERO, LETRA DESC"},
        CasoFuente{"ndpr", "CUENTA = '100'", {},
                   "SELECT * FROM MV_ASIENTOS WHERE TC = 'NDPR' AND CUENTA = '100' ORDER BY SUCURSAL, NUMERO, LETRA DESC "},
        CasoFuente{"FCC", "", {}, "SELECT * FROM C_MV_CPTE WHERE TC = 'FCC '" + kOrden},
        CasoFuente{"RMC", "CUENTA = '100'", {},
                   "SELECT * FROM C_MV_CPTE WHERE TC = 'RMC ' AND CUENTA = '100'" + kOrden + " "},
        CasoFuente{"OT/PENDIENTES", "CUENTA = '100'", {},
                   " SELECT CUENTA , ANULADA, Nombre, APROBADO, TC,IDCOMPROBANTE, IDCOMPlemento,ID,FECHA, Importe FROM "
                   "V_OT_Pendientes WHERE TC = 'OT  ' AND CUENTA = '100'" + kOrden},
        CasoFuente{"OT", "", {},
                   " SELECT CUENTA , ANULADA, Nombre, APROBADO, TC,IDCOMPROBANTE, IDCOMPlemento , ID,FECHA, Importe FROM "
                   "V_OT_Pendientes WHERE TC = 'OT  ' " + kOrden},
        CasoFuente{"OT", "CUENTA = '100'", {},
                   " SELECT CUENTA , ANULADA, Nombre, APROBADO, TC,IDCOMPROBANTE, IDCOMPlemento , ID,FECHA, Importe FROM "
                   "V_OT_Pendientes WHERE TC = 'OT  ' AND CUENTA = '100'" + kOrden},
        CasoFuente{"NP/PENDIENTES", "", {},
                   kCamposNP + ",FechaPreparacion FROM V_MV_CPTE WHERE TC = 'NP  ' AND FINALIZADA = 0 and anulada = 0" +
                       kOrden},
        CasoFuente{"NP/PENDIENTES", "CUENTA = '100'", {},
                   kCamposNP + ", FechaPreparacion FROM V_MV_CPTE WHERE TC = 'NP  ' AND CUENTA = '100' AND FINALIZADA = "
                               "0 and anulada = 0" + kOrden},
        CasoFuente{"PR/PENDIENTES", "", {},
                   kCamposNP + ", comentarios FROM V_PR_PENDIENTES WHERE TC = 'PR  ' AND APROBADO = 1" + kOrden},
        CasoFuente{"PR/PENDIENTES", "CUENTA = '100'", {},
                   kCamposNP + ", comentarios FROM V_MV_CPTE WHERE TC = 'PR  ' AND APROBADO = 1 AND CUENTA = '100' AND "
                               "FINALIZADA = 0" + kOrden},
        CasoFuente{"OC", "", {}, kCamposOC + kOrden},
        // A keyword WHERE, in any case, that opens the filter is taken out;
        // "where" inside a value or a name stays.
        CasoFuente{"OC", "Where CUENTA = '100'", {}, kCamposOC + " AND  CUENTA = '100'" + kOrden},
        CasoFuente{"OC", "WHERE", {}, kCamposOC + kOrden},
        CasoFuente{"OC", "CUENTA = 'SOMEWHERE'", {}, kCamposOC + " AND CUENTA = 'SOMEWHERE'" + kOrden},
        CasoFuente{"OC", "  where(NOMBRE = 'Nowhere' OR CUENTA = 'where')", {},
                   kCamposOC + " AND (NOMBRE = 'Nowhere' OR CUENTA = 'where')" + kOrden},
        CasoFuente{"FC/ANTICIPOS", "", {},
                   "SELECT * FROM V_MV_CPTE WHERE TC = 'FC  ' ORDER BY IDCOMPROBANTE DESC, IDCOMPLEMENTO ASC"},
        CasoFuente{"NP", "CUENTA = '100'", {},
                   "SELECT * FROM V_MV_CPTE WHERE TC = 'NP  ' AND CUENTA = '100' ORDER BY  IDCOMPROBANTE DESC, "
                   "IDCOMPLEMENTO ASC  "},
        // A quote in the type stays inside its literal.
        CasoFuente{"x'y", "", {},
                   "SELECT * FROM V_MV_CPTE WHERE TC = 'X''Y ' ORDER BY IDCOMPROBANTE DESC, IDCOMPLEMENTO ASC"}));

TEST_F(PickerTest, OcKeepsTheCleanedFilter) {
    Compra("OC", "O1", ", APROBADO", ", 1");
    Run("UPDATE C_MV_CPTE SET CUENTA = 'SOMEWHERE'");
    Run("ALTER TABLE C_MV_CPTE ADD WHEREHOUSE VARCHAR(10)");
    Run("ALTER TABLE C_MV_CPTE ADD where_2 INT");
    Run("ALTER TABLE C_MV_CPTE ADD Where\xC3\xB1o INT");
    Run("UPDATE C_MV_CPTE SET WHEREHOUSE = 'A1', where_2 = 2, Where\xC3\xB1o = 3");
    const std::pair<const char*, const char*> casos[] = {
        {"WHERE CUENTA = 'SOMEWHERE'", " CUENTA = 'SOMEWHERE'"},
        {"CUENTA = 'SOMEWHERE'", "CUENTA = 'SOMEWHERE'"},
        {" wHeRe\tCUENTA = 'SOMEWHERE'", "\tCUENTA = 'SOMEWHERE'"},
        // A filter that opens with a longer name keeps it whole.
        {"WHEREHOUSE = 'A1'", "WHEREHOUSE = 'A1'"},
        {" where_2 = 2", " where_2 = 2"},
        {"Where\xC3\xB1o = 3", "Where\xC3\xB1o = 3"},
    };
    for (const auto& [filtro, limpio] : casos) {
        FrmConsComprobantes frm;
        Cargar(frm, "OC", filtro);
        EXPECT_EQ(frm.Filtro, limpio);
        EXPECT_EQ(frm.ListView1->topLevelItemCount(), 1) << filtro;  // the value kept its letters
    }
    EXPECT_TRUE(operator_.Shown().empty());
}

// A pending mode without the filter it needs: the open fails and is
// reported, the read fails once into the load's handler, and the list stays
// empty; nothing repeats.
TEST_F(PickerTest, APendingModeWithoutFilterIsReportedOnce) {
    Compra("RMC", "0001-00000001R");
    operator_.AnswerMsgBox(5).AnswerMsgBox(5);
    FrmConsComprobantes frm;
    Cargar(frm, "RM/PENDIENTES_COMPRAS");
    EXPECT_EQ(frm.ListView1->topLevelItemCount(), 0);
    ASSERT_EQ(Boxes("MsgBox").size(), 2u);
    EXPECT_TRUE(vb::Contains(Boxes("MsgBox")[0].title, "AbrirRecordset"));
    EXPECT_FALSE(vb::Contains(Boxes("MsgBox")[1].title, " - "));  // the load names no routine
    EXPECT_EQ(frm.TC, "RMC");
}

// ---- Columns -----------------------------------------------------------------------------

struct CasoColumnas {
    const char* tc;
    bool referencia;
    std::vector<std::string> titulos;
};

class PickerColumnsTest : public PickerTest, public ::testing::WithParamInterface<CasoColumnas> {};

TEST_P(PickerColumnsTest, ColumnsByType) {
    const CasoColumnas& caso = GetParam();
    if (caso.referencia) SetCfg("UsaReferenciaPresupuestos", "si");
    FrmConsComprobantes frm;
    Cargar(frm, caso.tc, "CUENTA = '100'");
    EXPECT_EQ(Encabezados(frm), caso.titulos);
    EXPECT_EQ(frm.CfgUsaReferenciaPresupuestos(), caso.referencia);
}

INSTANTIATE_TEST_SUITE_P(
    Casos, PickerColumnsTest,
    ::testing::Values(
        CasoColumnas{"np", false, {"FECHA", "COMPROBANTE", "ID", "NOMBRE", "IMPORTE"}},
        CasoColumnas{"NP", true, {"FECHA", "COMPROBANTE", "ID", "NOMBRE", "Referencia", "IMPORTE"}},
        CasoColumnas{"GF", false, {"FECHA", "COMPROBANTE", "ID", "NOMBRE", "IMPORTE"}},
        CasoColumnas{"RM/PENDIENTES_COMPRAS", true,
                     {"FECHA", "COMPROBANTE", "PROVEEDOR", "NOMBRE", "CONCEPTO", "IMPORTE"}},
        CasoColumnas{"NDPR", false, {"FECHA", "COMPROBANTE", "PROVEEDOR", "NOMBRE", "CONCEPTO", "IMPORTE"}},
        CasoColumnas{"PR", false, {"FECHA", "COMPROBANTE", "NOMBRE", "ID", "IMPORTE"}},
        CasoColumnas{"PR", true, {"FECHA", "COMPROBANTE", "NOMBRE", "ID", "Referencia", "IMPORTE"}},
        CasoColumnas{"T3", false, {"Nº Int.", "FECHA", "COMPROBANTE", "ID", "FH Envio", "FH Recep"}},
        CasoColumnas{"oc", true, {"FECHA", "PROVEEDOR", "COMPROBANTE", "IMPORTE", "COMENTARIOS", "Inf. Recepción"}},
        CasoColumnas{"CB", true, {"FECHA", "COMPROBANTE", "CUENTA", "NOMBRE", "CONCEPTO", "IMPORTE"}}));

TEST_F(PickerTest, ColumnWidthsCountCapitalX) {
    FrmConsComprobantes frm;
    Cargar(frm, "FC");
    const QFontMetrics medida(frm.font());
    EXPECT_EQ(frm.ListView1->columnWidth(0), medida.horizontalAdvance(QString(13, 'X')));
    EXPECT_EQ(frm.ListView1->columnWidth(2), medida.horizontalAdvance(QString(5, 'X')));
}

// ---- Rows and images -----------------------------------------------------------------------

struct CasoFilas {
    const char* nombre;
    const char* tc;
    const char* filtro;
    bool referencia;
    std::vector<std::string> datos;  // set-up statements
    Filas celdas;
    std::vector<int> imagenes;
};

class PickerRowsTest : public PickerTest, public ::testing::WithParamInterface<CasoFilas> {};

TEST_P(PickerRowsTest, OneRowPerDocument) {
    const CasoFilas& caso = GetParam();
    if (caso.referencia) SetCfg("UsaReferenciaPresupuestos", "SI");
    for (const std::string& sql : caso.datos) Run(sql);
    FrmConsComprobantes frm;
    Cargar(frm, caso.tc, caso.filtro);
    EXPECT_EQ(Celdas(frm), caso.celdas);
    EXPECT_EQ(Imagenes(frm), caso.imagenes);
    EXPECT_TRUE(operator_.Shown().empty());
}

const std::string kVenta = "INSERT INTO V_MV_CPTE (TC, IDCOMPROBANTE, IDCOMPLEMENTO, FECHA, NOMBRE, IMPORTE, ";
const std::string kCompra = "INSERT INTO C_MV_CPTE (TC, IDCOMPROBANTE, FECHA, CUENTA, NOMBRE, IMPORTE, ";

INSTANTIATE_TEST_SUITE_P(
    Casos, PickerRowsTest,
    ::testing::Values(
        CasoFilas{"FacturasConComplemento", "FC", "", false,
                  {kVenta + "ANULADA, APROBADO) VALUES ('FC', 'A1', 2, '2024-03-05', 'Ana', 150, 0, 1)",
                   kVenta + "ANULADA, APROBADO) VALUES ('FC', 'A2', 0, '2024-03-06', 'Beto', 75, 1, 1)",
                   kVenta + "ANULADA, APROBADO) VALUES ('FC', 'A3', 0, NULL, NULL, 10, 0, 0)",
                   kVenta + "ANULADA, APROBADO) VALUES ('NP', 'A4', 0, '2024-03-06', 'Otro', 1, 0, 0)"},
                  {{"", "A3", "0", "", "10"},
                   {"06/03/2024", "A2", "0", "Beto", "75"},
                   {"05/03/2024", "A1", "2", "Ana", "150"}},
                  {kFC, kAnulado, kAprobado}},
        // The amount stands under IMPORTE, not under the reference column.
        CasoFilas{"RemitosConReferencia", "RM", "", true,
                  {kVenta + "ANULADA, APROBADO) VALUES ('RM', 'R1', 3, '2024-03-05', 'Ana', 150, 0, 0)"},
                  {{"05/03/2024", "R1", "", "Ana", "", "150"}},
                  {kGenerico}},
        CasoFilas{"PedidosPendientes", "NP/PENDIENTES", "", false,
                  {kVenta + "FECHAPREPARACION) VALUES ('NP  ', 'P1', 0, '2024-03-05', 'Ana', 150, '2024-03-07')",
                   kVenta + "FECHAPREPARACION) VALUES ('NP', 'P2', 0, '2024-03-05', 'Beto', 20, NULL)",
                   kVenta + "FINALIZADA) VALUES ('NP', 'P3', 0, '2024-03-05', 'Cata', 20, 1)"},
                  {{"05/03/2024", "P2", "", "Beto", "20"}, {"05/03/2024", "P1", "", "Ana", "150"}},
                  {kGenerico, kAprobado}},
        CasoFilas{"OrdenesDeTrabajo", "OT", "", false,
                  {kVenta + "ANULADA) VALUES ('OT', 'T1', 4, '2024-03-05', 'Ana', 150, 0)"},
                  {{"05/03/2024", "T1", "4", "Ana", "150"}},
                  {kOT}},
        CasoFilas{"FacturasDeCompra", "FCC", "", true,
                  {kCompra + "ANULADA) VALUES ('FCC', 'C1', '2024-03-05', 'P1', 'Prov', 80, 1)"},
                  {{"05/03/2024", "C1", "P1", "Prov", "", "80"}},
                  {kAnulado}},
        CasoFilas{"RemitosDeCompraPendientes", "RM/PENDIENTES_COMPRAS", "CUENTA = 'P1'", false,
                  {kCompra + "FINALIZADO) VALUES ('RMC', 'C1', '2024-03-05', 'P1', 'Prov', 80, 0)",
                   kCompra + "FINALIZADO) VALUES ('RMC', 'C2', '2024-03-05', 'P1', 'Prov', 80, 1)",
                   kCompra + "FINALIZADO) VALUES ('RMC', 'C3', '2024-03-05', 'P9', 'Otro', 80, 0)"},
                  {{"05/03/2024", "C1", "P1", "Prov", "", "80"}},
                  {kGenerico}},
        CasoFilas{"NotasDeCreditoDeProveedor", "NCPE", "", false,
                  {"INSERT INTO VT_PROVEEDORES (CODIGO, RAZON_SOCIAL) VALUES ('P1', 'Proveedora SA')",
                   "INSERT INTO MV_ASIENTOS (TC, SUCURSAL, NUMERO, LETRA, CUENTA, IMPORTE, FECHA, SECUENCIA, Detalle) "
                   "VALUES ('NCPE', '0001', '00000007', 'A', 'P1', 90, '2024-03-05', 1, 'Devolucion')",
                   "INSERT INTO MV_ASIENTOS (TC, SUCURSAL, NUMERO, LETRA, CUENTA, IMPORTE, FECHA, SECUENCIA, Detalle) "
                   "VALUES ('NCPE', '0001', '00000007', 'A', 'V1', 90, '2024-03-05', 2, 'Contrapartida')",
                   "INSERT INTO MV_ASIENTOS (TC, SUCURSAL, NUMERO, LETRA, CUENTA, IMPORTE, FECHA, SECUENCIA, Detalle) "
                   "VALUES ('NCPE', '0001', '00000008', 'A', 'P2', 5, '2024-03-05', 1, 'Sin proveedor')"},
                  {{"05/03/2024", "000100000007A", "P1", "Proveedora SA", "Devolucion", "90"},
                   {"05/03/2024", "000100000008A", "P2", "", "Sin proveedor", "5"}},
                  {kGenerico, kGenerico}},
        // With a filter every line that matches is listed, whatever its SECUENCIA.
        CasoFilas{"NotasDeCreditoFiltradas", "NCPE", "NUMERO = '00000007'", false,
                  {"INSERT INTO MV_ASIENTOS (TC, SUCURSAL, NUMERO, LETRA, CUENTA, IMPORTE, FECHA, SECUENCIA) "
                   "VALUES ('NCPE', '0001', '00000007', 'A', 'P1', 90, '2024-03-05', 1)",
                   "INSERT INTO MV_ASIENTOS (TC, SUCURSAL, NUMERO, LETRA, CUENTA, IMPORTE, FECHA, SECUENCIA) "
                   "VALUES ('NCPE', '0001', '00000007', 'B', 'V1', 90, '2024-03-05', 2)"},
                  {{"05/03/2024", "000100000007B", "V1", "", "", "90"},
                   {"05/03/2024", "000100000007A", "P1", "", "", "90"}},
                  {kGenerico, kGenerico}},
        CasoFilas{"Presupuestos", "PR", "", false,
                  {kVenta + "ANULADA, COMENTARIOS) VALUES ('PR', 'Q1', 0, '2024-03-05', 'Ana', 150, 0, 'obra')"},
                  {{"05/03/2024", "Q1", "Ana", "obra", "150"}},
                  {kPR}},
        CasoFilas{"PresupuestosConReferencia", "PR/PENDIENTES", "", true,
                  {kVenta + "APROBADO, COMENTARIOS) VALUES ('PR', 'Q1', 0, '2024-03-05', 'Ana', 150, 1, 'obra')",
                   kVenta + "APROBADO, COMENTARIOS) VALUES ('PR', 'Q2', 0, '2024-03-05', 'Ana', 150, 0, 'x')"},
                  {{"05/03/2024", "Q1", "Ana", "", "obra", "150"}},
                  {kPR}},
        CasoFilas{"OrdenesDeCompra", "OC", "", false,
                  {kCompra + "APROBADO, GARANTIA, COMENTARIOS) VALUES ('OC', 'O1', '2024-03-05', 'P1', 'Prov', 80, 1, 1, 'g')",
                   kCompra + "APROBADO, ANULADA) VALUES ('OC', 'O2', '2024-03-05', 'P1', 'Prov', 70, 1, 0)",
                   kCompra + "APROBADO) VALUES ('OC', 'O3', '2024-03-05', 'P1', 'Prov', 60, 0)",
                   "INSERT INTO V_MV_STOCK (TC, IDCOMPROBANTE, Tc_Origen, IdComprobante_Origen) "
                   "VALUES ('IR', 'IR-9', 'OC', 'O1')",
                   "INSERT INTO V_MV_STOCK (TC, IDCOMPROBANTE, Tc_Origen, IdComprobante_Origen) "
                   "VALUES ('DV', 'DV-1', 'OC', 'O2')"},
                  {{"05/03/2024", "P1 Prov", "O2", "70", "", ""}, {"05/03/2024", "P1 Prov", "O1", "80", "g", "IR-9"}},
                  {kOC, kOCG}},
        // The filter lists annulled orders too: the annulled image wins over
        // the guarantee's; the receipt look-up keeps the number's apostrophe.
        CasoFilas{"OrdenesDeCompraAnuladasYConApostrofo", "OC", "ANULADA = 1 OR TC = 'OC'", false,
                  {kCompra + "APROBADO, GARANTIA, ANULADA) VALUES ('OC', 'O''5', '2024-03-05', 'P1', 'Prov', 50, 1, 1, 1)",
                   kCompra + "APROBADO, GARANTIA) VALUES ('OC', 'O''4', '2024-03-05', 'P1', 'Prov', 40, 1, 1)",
                   "INSERT INTO V_MV_STOCK (TC, IDCOMPROBANTE, Tc_Origen, IdComprobante_Origen) "
                   "VALUES ('IR', 'IR-5', 'OC', 'O''5')"},
                  {{"05/03/2024", "P1 Prov", "O'5", "50", "", "IR-5"}, {"05/03/2024", "P1 Prov", "O'4", "40", "", ""}},
                  {kAnulado, kOCG}},
        CasoFilas{"DocumentosDeTerceros", "T3", "CUENTA = 'ignorado'", false,
                  {"INSERT INTO V_MV_CPTETERCEROS (ID, IDCOMPROBANTE, IDCOMPLEMENTO, FECHA, FECHAENVIADO, FECHARECIBIDO) "
                   "VALUES (12, 'X1', 1, '2024-03-05', '2024-03-06', NULL)"},
                  {{"12", "05/03/2024", "X1", "1", "06/03/2024", ""}},
                  {kNinguna}}),
    [](const ::testing::TestParamInfo<CasoFilas>& info) { return info.param.nombre; });

TEST_F(PickerTest, OnlyPurchaseOrdersHaveCheckBoxes) {
    Compra("OC", "0001-00000001O", ", APROBADO", ", 1");
    Venta("FC", "0001-00000001A", 0);
    FrmConsComprobantes oc;
    Cargar(oc, "OC");
    ASSERT_EQ(oc.ListView1->topLevelItemCount(), 1);
    EXPECT_TRUE(oc.ListView1->topLevelItem(0)->data(0, Qt::CheckStateRole).isValid());
    FrmConsComprobantes fc;
    Cargar(fc, "FC");
    ASSERT_EQ(fc.ListView1->topLevelItemCount(), 1);
    EXPECT_FALSE(fc.ListView1->topLevelItem(0)->data(0, Qt::CheckStateRole).isValid());
}

TEST_F(PickerTest, ImageLookup) {
    FrmConsComprobantes frm;
    struct Caso {
        const char* clave;
        int indice;
    };
    for (const Caso& caso : std::vector<Caso>{{" fc ", 4}, {"PR", 1}, {"OCG", 11}, {"anulado", 2}, {"zz", 8}, {"", 8}}) {
        EXPECT_EQ(frm.ObtieneIndiceImagen(caso.clave), caso.indice) << caso.clave;
    }
    EXPECT_EQ(frm.ImageList1.Count(), 11);
    EXPECT_EQ(frm.ImageList1.Tag(8), "Generico");
}

// ---- Sorting -------------------------------------------------------------------------------

TEST_F(PickerTest, EveryColumnClickFlipsTheOrder) {
    Venta("FC", "0001-00000002A", 0);
    Venta("FC", "0001-00000001B", 0);
    Venta("FC", "0001-00000003C", 0);
    FrmConsComprobantes frm;
    Cargar(frm, "FC");
    auto columna = [&](int c) {
        std::vector<std::string> textos;
        for (const auto& fila : Celdas(frm)) textos.push_back(fila[static_cast<std::size_t>(c)]);
        return textos;
    };
    frm.ListView1_ColumnClick(2);  // COMPROBANTE
    EXPECT_TRUE(frm.Sorted());
    EXPECT_EQ(frm.SortKey(), 1);
    EXPECT_EQ(columna(1), (std::vector<std::string>{"0001-00000003C", "0001-00000002A", "0001-00000001B"}));
    frm.ListView1_ColumnClick(2);
    EXPECT_EQ(columna(1), (std::vector<std::string>{"0001-00000001B", "0001-00000002A", "0001-00000003C"}));
    frm.ListView1_ColumnClick(4);  // NOMBRE: the order flips again, to descending
    EXPECT_EQ(frm.SortKey(), 3);
    EXPECT_EQ(frm.SortOrder(), Qt::DescendingOrder);
    EXPECT_EQ(columna(3), (std::vector<std::string>{"Cliente C", "Cliente B", "Cliente A"}));
    bool cancelar = false;
    frm.ListView1_BeforeLabelEdit(cancelar);
    EXPECT_TRUE(cancelar);
}

// ---- Accept and cancel ---------------------------------------------------------------------

struct CasoAceptar {
    const char* nombre;
    const char* tc;
    std::vector<int> marcadas;  // rows whose box is checked
    int elegida;                // selected row, -1 none
    std::string nro, idComplemento, proveedor;
};

class PickerAcceptTest : public PickerTest, public ::testing::WithParamInterface<CasoAceptar> {};

TEST_P(PickerAcceptTest, TheResultDependsOnTheType) {
    const CasoAceptar& caso = GetParam();
    for (const char* tc : {"FC", "PR", "CB"}) {
        Venta(tc, "0001-00000001A", 5);
        Venta(tc, "0001-00000002B", 6);
    }
    for (const char* tc : {"RMC", "OC"}) {
        Compra(tc, "0001-00000001A", ", APROBADO", ", 1");
        Compra(tc, "0001-00000002B", ", APROBADO", ", 1");
        Compra(tc, "0001-00000003C", ", APROBADO", ", 1");
    }
    Run("INSERT INTO V_MV_CPTETERCEROS (ID, IDCOMPROBANTE) VALUES (41, 'T-1')");
    FrmConsComprobantes frm;
    frm.IdComplemento = "previo";
    frm.Proveedor = "previo";
    Cargar(frm, caso.tc);
    ASSERT_GT(frm.ListView1->topLevelItemCount(), 0);
    for (int r : caso.marcadas) frm.ListView1->topLevelItem(r)->setCheckState(0, Qt::Checked);
    if (caso.elegida >= 0) frm.ListView1->topLevelItem(caso.elegida)->setSelected(true);
    frm.CmdAceptar_Click();
    EXPECT_EQ(frm.NroComprobante, caso.nro);
    EXPECT_EQ(frm.IdComplemento, caso.idComplemento);
    EXPECT_EQ(frm.Proveedor, caso.proveedor);
    EXPECT_EQ(frm.ListView1->topLevelItemCount(), 0);  // unloaded
    EXPECT_FALSE(frm.isVisible());
}

INSTANTIATE_TEST_SUITE_P(
    Casos, PickerAcceptTest,
    ::testing::Values(
        CasoAceptar{"GrupoId", "fc", {}, 0, "0001-00000002B", "6", "previo"},
        CasoAceptar{"GrupoProveedor", "RMC", {}, 1, "0001-00000002B", "previo", "P1"},
        CasoAceptar{"Presupuesto", "PR", {}, 1, "0001-00000001A", "0", "previo"},
        CasoAceptar{"Terceros", "T3", {}, 0, "41", "0", "previo"},
        CasoAceptar{"OrdenesMarcadas", "OC", {2, 0, 1}, 1, "0001-00000003C,0001-00000002B,0001-00000001A", "0",
                    "previo"},
        CasoAceptar{"OrdenesMarcadasEnMinusculas", "oc", {2}, 0, "0001-00000001A", "0", "previo"},
        CasoAceptar{"OrdenSinMarcas", "OC", {}, 2, "0001-00000001A", "0", "previo"},
        CasoAceptar{"OrdenesSinElegida", "OC", {0, 1}, -1, "", "previo", "previo"},
        CasoAceptar{"OtroCodigo", "CB", {}, 0, "0001-00000002B", "previo", "previo"},
        CasoAceptar{"NadaElegido", "FC", {}, -1, "", "previo", "previo"}),
    [](const ::testing::TestParamInfo<CasoAceptar>& info) { return info.param.nombre; });

void Tecla(QWidget* destino, int tecla) {
    QKeyEvent evento(QEvent::KeyPress, tecla, Qt::NoModifier);
    QCoreApplication::sendEvent(destino, &evento);
}

// Enter in the list and a double click accept; Esc does nothing; the close
// box and Cancelar unload the form and keep the results as they were.
TEST_F(PickerTest, KeysClicksAndClosing) {
    Venta("FC", "0001-00000001A", 5);
    struct Caso {
        const char* nombre;
        std::function<void(FrmConsComprobantes&)> accion;
        bool visible;
        std::string nro;
    };
    const std::vector<Caso> casos = {
        {"Enter", [](FrmConsComprobantes& f) { Tecla(f.ListView1, Qt::Key_Return); }, false, "0001-00000001A"},
        {"DobleClic",
         [](FrmConsComprobantes& f) {
             QMouseEvent clic(QEvent::MouseButtonDblClick, QPointF(5, 5), QPointF(5, 5), Qt::LeftButton,
                              Qt::LeftButton, Qt::NoModifier);
             QCoreApplication::sendEvent(f.ListView1->viewport(), &clic);
         },
         false, "0001-00000001A"},
        {"Esc", [](FrmConsComprobantes& f) { Tecla(f.ListView1, Qt::Key_Escape); }, true, "sin elegir"},
        {"Cerrar", [](FrmConsComprobantes& f) { f.close(); }, false, "sin elegir"},
        {"Cancelar", [](FrmConsComprobantes& f) { f.CmdCancelar->click(); }, false, "sin elegir"},
    };
    for (const Caso& caso : casos) {
        FrmConsComprobantes frm;
        frm.TC = "FC";
        frm.NroComprobante = "sin elegir";
        bool visible = false;
        int filas = -1;
        operator_.OnModal([&](QWidget&) {
            ASSERT_EQ(frm.ListView1->topLevelItemCount(), 1);
            frm.ListView1->topLevelItem(0)->setSelected(true);
            caso.accion(frm);
            visible = frm.isVisible();
            filas = frm.ListView1->topLevelItemCount();
        });
        ui::ShowModal(frm);
        EXPECT_EQ(visible, caso.visible) << caso.nombre;
        EXPECT_EQ(filas, caso.visible ? 1 : 0) << caso.nombre;
        EXPECT_EQ(frm.NroComprobante, caso.nro) << caso.nombre;
    }
}

}  // namespace
}  // namespace lookup
