// Layout of the four document-entry grids by document type, area and
// configuration, and the bindings of the in-cell edit boxes.
#include <QLineEdit>

#include <functional>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "entrygrids/columnas.h"
#include "entrygrids/edicion.h"
#include "foundation/configuracion.h"
#include "grids_fixture.h"

namespace entrygrids::testing {
namespace {

using Anchos = std::map<int, long>;
using FuncionW = std::function<long(int)>;

class LayoutTest : public GridsTest {
protected:
    LayoutTest() {
        Tipo("FC", "VENTAS");
        Tipo("OT", "VENTAS");
        Tipo("OP", "VENTAS");
        Tipo("PR", "VENTAS");
        Tipo("DVPE", "VENTAS");
        Tipo("AJP", "STOCK");
        Tipo("OPS", "STOCK");  // a stock type; "OP" hides the amounts only by its own code
        Tipo("FCC", "COMPRAS");
        txtEdit_.setObjectName("TxtEdit");
        txtEdit2_.setObjectName("TxtEdit2");
        txtEdit3_.setObjectName("TxtEdit3");
    }

    void Disponer(const std::string& tc) {
        Cmn().InicializaGrids(&tareas_, &articulos_, &otros_, &txtEdit_, &txtEdit2_, &txtEdit3_, host_, tc,
                              &cantidades_);
    }

    // Every column of the grid has the expected width; absent columns are hidden.
    static void EsperaAnchos(const ui::FlexGrid& g, const Anchos& esperados) {
        for (int c = 0; c < g.Cols(); ++c) {
            const auto it = esperados.find(c);
            EXPECT_EQ(g.ColWidth(c), it == esperados.end() ? 0 : it->second) << "column " << c;
        }
    }

    ui::FlexGrid tareas_;
    ui::FlexGrid articulos_;
    ui::FlexGrid otros_;
    ui::FlexGrid cantidades_;
    QLineEdit txtEdit_;
    QLineEdit txtEdit2_;
    QLineEdit txtEdit3_;
};

struct CasoLayout {
    const char* nombre;
    std::string tc;
    std::vector<std::pair<std::string, std::string>> configuracion;
    bool maderera;
    std::function<Anchos(const FuncionW&)> articulos;
    std::function<Anchos(const FuncionW&)> tareas;
    std::function<Anchos(const FuncionW&)> otros;
};

Anchos ArticulosVisibles(const FuncionW& W) {
    return {{0, W(15)}, {1, W(29)}, {5, W(4)}, {7, W(6)}, {14, W(11)}, {18, W(10)}, {40, W(10)}};
}
Anchos TareasVisibles(const FuncionW& W) { return {{0, W(7)}, {1, W(37)}, {2, W(7)}, {3, W(11)}, {4, W(11)}}; }
Anchos OtrosVisibles(const FuncionW& W) { return {{0, W(49)}, {1, W(11)}, {2, W(11)}}; }
Anchos OtrosSinImportes(const FuncionW& W) { return {{0, W(49) + 2 * W(11)}}; }

TEST_F(LayoutTest, WidthsFollowTheTypeTheAreaAndTheSwitches) {
    const std::vector<CasoLayout> casos = {
        {"sales without switches", "FC", {}, false,
         ArticulosVisibles,
         TareasVisibles, OtrosVisibles},
        {"stock area", "AJP", {}, false,
         [](const FuncionW& W) {
             return Anchos{{0, W(15)}, {1, W(39) + W(11) - 480}, {5, W(4) + W(4)}, {7, W(6) + W(7)}};
         },
         TareasVisibles, OtrosVisibles},
        {"price list and discount by article", "FC",
         {{"V_ListaPreciosPorItemArticulos", "si"}, {"V_DescuentoPorArticulos", "SI"}}, false,
         [](const FuncionW& W) {
             return Anchos{{0, W(15) - 2 * W(1)}, {1, W(29) - 2 * W(3)}, {2, W(4)}, {5, W(4)}, {7, W(6)},
                           {11, W(5)}, {14, W(11) - W(1)}, {18, W(10)}, {40, W(10)}};
         },
         TareasVisibles, OtrosVisibles},
        {"price list rule outside sales", "AJP", {{"V_ListaPreciosPorItemArticulos", "SI"}}, false,
         [](const FuncionW& W) {
             return Anchos{{0, W(15)}, {1, W(39) + W(11) - 480}, {5, W(4) + W(4)}, {7, W(6) + W(7)}};
         },
         TareasVisibles, OtrosVisibles},
        {"work order hiding amounts, depot asked", "OT",
         {{"NoMostrarImportesEnOT", "SI"}, {"PideDepositoEnCptes", "SI"}}, false,
         [](const FuncionW& W) {
             return Anchos{{0, W(15)}, {1, W(29) + W(11) + W(10)}, {5, W(4)}, {7, W(6)}, {40, W(10)}};
         },
         [](const FuncionW& W) { return Anchos{{0, W(7)}, {1, W(37) + W(11) + W(11) + W(7)}}; }, OtrosSinImportes},
        {"work order showing amounts", "OT", {{"PideDepositoEnCptes", "SI"}}, false,
         ArticulosVisibles,
         TareasVisibles, OtrosVisibles},
        {"production order keeps the hours", "OP", {}, false,
         [](const FuncionW& W) {
             return Anchos{{0, W(15)}, {1, W(29) + W(11) + W(10)}, {5, W(4)}, {7, W(6)}, {40, W(10)}};
         },
         [](const FuncionW& W) { return Anchos{{0, W(7)}, {1, W(37) + W(11) + W(11)}, {2, W(7)}}; },
         OtrosSinImportes},
        {"purchase order without a type row hides the amounts", "OC", {}, false,
         [](const FuncionW& W) {
             // OC has no V_TA_CPTE row here: no area.
             return Anchos{{0, W(15)}, {1, W(29) + W(11) + W(10)}, {5, W(4)}, {7, W(6)}, {40, W(10)}};
         },
         [](const FuncionW& W) { return Anchos{{0, W(7)}, {1, W(37) + W(11) + W(11)}, {2, W(7)}}; },
         OtrosSinImportes},
        {"depot asked on an invoice, equivalent units", "FC",
         {{"PideDepositoEnCptes", "SI"}, {"ConfirmaUDEquiv", "SI"}}, false,
         [](const FuncionW& W) {
             return Anchos{{0, W(15)}, {1, W(29)}, {5, W(4)},  {6, W(4)},   {7, W(6)},
                           {9, W(7)},  {10, W(9)}, {14, W(11)}, {18, W(10)}, {40, W(10)}};
         },
         TareasVisibles, OtrosVisibles},
        {"a budget never asks for the depot", "PR", {{"PideDepositoEnCptes", "SI"}}, false,
         ArticulosVisibles,
         TareasVisibles, OtrosVisibles},
        {"trailing blanks find the area but match no rule", "OT  ",
         {{"NoMostrarImportesEnOT", "SI"}, {"PideDepositoEnCptes", "SI"}}, false,
         [](const FuncionW& W) {
             return Anchos{{0, W(15)}, {1, W(29)}, {5, W(4)}, {6, W(4)}, {7, W(6)}, {14, W(11)}, {18, W(10)},
                           {40, W(10)}};
         },
         TareasVisibles, OtrosVisibles},
        // The type is compared as passed: "OP" and "OC" with blanks hide nothing.
        {"padded production order shows the amounts", "OP  ", {}, false,
         ArticulosVisibles,
         TareasVisibles, OtrosVisibles},
        {"padded purchase order shows the amounts", "OC ", {}, false,
         ArticulosVisibles,
         TareasVisibles, OtrosVisibles},
        {"timber trade", "FC", {}, true,
         [](const FuncionW& W) {
             return Anchos{{0, W(15)}, {1, W(29)}, {3, W(7)},  {4, W(7)},   {5, W(4)},   {7, W(6)},
                           {8, W(7)},  {12, W(4)}, {13, W(9)}, {18, W(10)}, {40, W(10)}};
         },
         TareasVisibles, OtrosVisibles},
        {"timber switch outside sales", "AJP", {}, true,
         [](const FuncionW& W) {
             return Anchos{{0, W(15)}, {1, W(39) + W(11) - 480}, {5, W(4) + W(4)}, {7, W(6) + W(7)}};
         },
         TareasVisibles, OtrosVisibles},
    };
    const FuncionW W = [this](int n) { return this->W(n); };
    ASSERT_GT(W(1), 0);
    for (const CasoLayout& caso : casos) {
        SCOPED_TRACE(caso.nombre);
        Sql("DELETE FROM TA_CONFIGURACION");
        for (const auto& [clave, valor] : caso.configuracion) Cfg(clave, valor);
        foundation::gMADERERA = caso.maderera;
        Disponer(caso.tc);
        ASSERT_EQ(articulos_.Cols(), kColsArticulos);
        EXPECT_EQ(articulos_.Rows(), 2);
        EsperaAnchos(articulos_, caso.articulos(W));
        ASSERT_EQ(tareas_.Cols(), kColsTareas);
        EsperaAnchos(tareas_, caso.tareas(W));
        ASSERT_EQ(otros_.Cols(), kColsOtrosConceptos);
        EsperaAnchos(otros_, caso.otros(W));
    }
}

TEST_F(LayoutTest, StockWithAmountsHiddenTakesTheMarginFromTheDescription) {
    Tipo("OC", "STOCK");
    Disponer("OC");
    // Steps for the amounts already moved column 14 into 1, so the stock rule only takes 480.
    EXPECT_EQ(articulos_.ColWidth(kColDescripcion), W(39) + W(11) - 480);
    EXPECT_EQ(articulos_.ColWidth(kColImporte), 0);
}

TEST_F(LayoutTest, TitlesOfTheArticlesGrid) {
    struct Caso {
        const char* nombre;
        std::string tc;
        bool maderera;
        std::map<int, std::string> titulos;
    };
    const std::vector<Caso> casos = {
        {"sales", "FC", false,
         {{0, "Código"}, {1, "Descripción"}, {2, "Lista"}, {3, ""}, {4, ""}, {5, "UD"}, {6, "Dep."}, {7, "Cant."},
          {8, "AuxCoeficiente"}, {9, ""}, {10, ""}, {11, "% Dto."}, {12, ""}, {13, ""}, {14, "Importe"},
          {15, "Total"}, {18, "TOTAL"}, {21, "AuxNroLote"}, {22, "AuxNroSerie"}, {23, "AuxRestoPorAplicar"},
          {24, "AuxTipoArticulo"}, {31, "AuxStockDisponible"}, {37, "Lote_Aduana"}, {38, ""}, {40, "Impuestos"},
          {41, ""}, {46, ""}, {82, ""}, {83, "PideMedidas"}, {84, "LargoAnt"}, {85, ""}, {86, ""}, {87, ""},
          {88, "EnComodato"}, {89, "MKBaseFamilia"}, {90, "CodError"}, {91, "AuxCodigoPercepcion"}}},
        {"stock", "AJP", false, {{11, ""}, {14, "Importe"}, {18, ""}, {40, ""}}},
        {"returns with lots and serials", "DVPE", false, {{21, "Nro. Lote"}, {22, "Nro. Serie"}}},
        {"timber", "FC", true, {{3, "Espesor"}, {4, "Ancho"}, {8, "Largo"}, {12, "UD"}, {13, "Importe"}}},
    };
    for (const Caso& caso : casos) {
        SCOPED_TRACE(caso.nombre);
        foundation::gMADERERA = caso.maderera;
        Disponer(caso.tc);
        for (const auto& [col, titulo] : caso.titulos) EXPECT_EQ(articulos_.TextMatrix(0, col), titulo) << col;
    }
    EXPECT_EQ(articulos_.ColAlignment(kColCodigo), ui::flexAlignLeftCenter);
    EXPECT_EQ(articulos_.ColAlignment(kColDescripcion), ui::flexAlignLeftCenter);
}

TEST_F(LayoutTest, LotAndSerialColumnsShowForReturnsWithLots) {
    Disponer("DVPE");
    EXPECT_EQ(articulos_.ColWidth(kColAuxNroLote), Ancho("Nro. de Lote"));
    EXPECT_EQ(articulos_.ColWidth(kColAuxNroSerie), Ancho("Nro. de Serie"));
}

TEST_F(LayoutTest, ArticleCodeTitleComesFromTheConfigurationInProperCase) {
    const std::vector<std::pair<std::string, std::string>> casos = {
        {"ARTICULO", "Articulo"}, {"mis PRODUCTOS", "Mis Productos"}, {"   ", "Código"}, {"", "Código"}};
    for (const auto& [valor, titulo] : casos) {
        SCOPED_TRACE(valor);
        Cfg("NombreArticulos", valor);
        Disponer("FC");
        EXPECT_EQ(articulos_.TextMatrix(0, kColCodigo), titulo);
    }
    Sql("DELETE FROM TA_CONFIGURACION");
    Disponer("FC");
    EXPECT_EQ(articulos_.TextMatrix(0, kColCodigo), "Código");
}

TEST_F(LayoutTest, TasksOtherConceptsAndCountGrids) {
    tareas_.SetRows(7);
    tareas_.SetTextMatrix(3, 0, "T01");
    txtEdit_.setVisible(true);
    txtEdit2_.setVisible(true);
    txtEdit3_.setText("pendiente");
    Disponer("FC");

    EXPECT_EQ(tareas_.Rows(), 2);
    EXPECT_EQ(tareas_.TextMatrix(1, 0), "");
    const std::vector<std::string> titulosTareas = {
        "Código",         "Descripción",    "Horas",          "Valor/Hora",      "Total",
        "AuxEsExento",    "ImporteSinIVA",  "AuxObservAdic",  "AuxFechaInicio",  "AuxFechaFin",
        "AuxIdTecnico",   "CodigoOriginal", "AuxFechaREALInicio", "AuxFechaREALFin", "AuxCuentaContable",
        "AuxTasaIVA"};
    for (int c = 0; c < kColsTareas; ++c) EXPECT_EQ(tareas_.TextArray(c), titulosTareas[c]) << c;
    EXPECT_EQ(tareas_.ColAlignment(kTarDescripcion), ui::flexAlignLeftCenter);
    EXPECT_TRUE(txtEdit_.isHidden());
    EXPECT_TRUE(txtEdit2_.isHidden());

    EXPECT_EQ(otros_.Rows(), 2);
    EXPECT_EQ(txtEdit3_.text().toStdString(), "");
    const std::vector<std::string> titulosOtros = {"Detalle", "Importe S/Iva", "Importe", "Cuenta", "", ""};
    for (int c = 0; c < kColsOtrosConceptos; ++c) EXPECT_EQ(otros_.TextMatrix(0, c), titulosOtros[c]) << c;
    EXPECT_EQ(otros_.ColAlignment(kOcDetalle), ui::flexAlignLeftCenter);

    EXPECT_EQ(cantidades_.Rows(), 5);
    ASSERT_EQ(cantidades_.Cols(), kColsCantidades);
    EXPECT_EQ(cantidades_.TextMatrix(0, 0), "Descripcion");
    EXPECT_EQ(cantidades_.TextMatrix(0, 1), "Cantidad ITEM'S");
    EXPECT_EQ(cantidades_.TextMatrix(0, 2), "Cantidad");
    EsperaAnchos(cantidades_, {{0, W(50)}, {1, W(15)}, {2, W(10)}});
}

TEST_F(LayoutTest, GridsPassedAsNoObjectAreLeftAlone) {
    ui::FlexGrid intacta;
    Llena(intacta, {"A", "B"}, 3);
    Sentencias();
    Cmn().InicializaGrids(nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, host_, "FC", nullptr);
    for (const std::string& s : Sentencias()) {
        EXPECT_TRUE(s.find("V_TA_CPTE") != std::string::npos || s.find("TA_CONFIGURACION") != std::string::npos)
            << s;
    }
    // The articles grid alone, without its edit box.
    Cmn().InicializaGrids(nullptr, &intacta, nullptr, nullptr, nullptr, nullptr, host_, "FC", nullptr);
    EXPECT_EQ(intacta.Cols(), kColsArticulos);
}

TEST_F(LayoutTest, AGridWithoutItsRequiredEditBoxFailsAfterItsLayout) {
    EXPECT_EQ(testsupport::ErrorNumberOf([&] {
                  Cmn().InicializaGrids(&tareas_, nullptr, nullptr, nullptr, nullptr, nullptr, host_, "FC");
              }),
              91);
    EXPECT_EQ(tareas_.Cols(), kColsTareas);
    EXPECT_EQ(testsupport::ErrorNumberOf([&] {
                  Cmn().InicializaGrids(nullptr, nullptr, &otros_, nullptr, nullptr, nullptr, host_, "FC");
              }),
              91);
}

TEST_F(LayoutTest, ASecondCallGivesTheSameLayout) {
    const auto foto = [](const ui::FlexGrid& g) {
        std::vector<std::pair<long, std::string>> columnas;
        for (int c = 0; c < g.Cols(); ++c) columnas.emplace_back(g.ColWidth(c), g.TextMatrix(0, c));
        return std::make_pair(g.Rows(), columnas);
    };
    foundation::gMADERERA = true;
    Disponer("FC");
    const auto primera = foto(articulos_);
    const auto primerasTareas = foto(tareas_);
    articulos_.SetRows(9);
    articulos_.SetTextMatrix(4, 5, "UN");
    Disponer("AJP");
    Disponer("DVPE");
    Disponer("FC");
    EXPECT_EQ(foto(articulos_), primera);
    EXPECT_EQ(foto(tareas_), primerasTareas);
}

struct CasoVinculo {
    std::string caja;
    long columna;
    std::string campo;
    std::string tag;
    int largo;
};

TEST_F(LayoutTest, EditBoxBindingsByBoxAndColumn) {
    const std::vector<CasoVinculo> casos = {
        {"TxtEdit", 0, "IdTarea", "v_ta_tareas", 4},
        {"TxtEdit", 2, "HorasEstimadas", "", 0},
        {"TxtEdit", 5, "", "", 0},
        {"TxtEdit2", 0, "IdArticulo", "v_ma_articulos", 25},
        {" txtedit2 ", 1, "Descripcion", "", 50},
        {"TXTAUX1", 2, "IdListaPrecioArticulo", "V_MA_PRECIOS", 4},
        {"txtaux2", 5, "IdUnidad", "V_TA_UNIDAD", 4},
        {"TxtEdit2", 6, "IdDepositoArt", "V_TA_DEPOSITO", 4},
        {"TxtEdit2", 9, "IdUnidadEquiv", "V_TA_UNIDAD", 4},
        {"TxtEdit2", 12, "Ud_Pr", "V_TA_UNIDAD", 4},
        {"TxtEdit2", 14, "ArtImporte", "", 0},
        {"TxtEdit2", 15, "Total", "", 0},
        {"TxtEdit2", 18, "", "", 0},
        {"TxtEdit2", 40, "", "", 0},
        {"TxtEdit2", -1, "", "", 0},
        {"TxtEdit3", 0, "OCDescripcion", "MA_CUENTAS/SOLOIMPUTABLES", 200},
        {"TxtEdit3", 2, "OCImporte", "", 0},
        {"Text1", 0, "", "", 0},
    };
    QLineEdit caja;
    for (const CasoVinculo& caso : casos) {
        SCOPED_TRACE(caso.caja + " " + std::to_string(caso.columna));
        // Values of an earlier call never survive.
        caja.setObjectName("TxtEdit2");
        Cmn().TextPropiedades(caja, 0);
        caja.setObjectName(QString::fromStdString(caso.caja));
        Cmn().TextPropiedades(caja, caso.columna);
        EXPECT_EQ(DataField(caja), caso.campo);
        EXPECT_EQ(Tag(caja), caso.tag);
        EXPECT_EQ(MaxLength(caja), caso.largo);
    }
}

}  // namespace
}  // namespace entrygrids::testing
