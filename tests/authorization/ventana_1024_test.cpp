// The main window's list on a screen 1024 by 768 pixels, the smallest a
// station has: at the size the window opens at, every column of every page
// is in view and the amounts whole, whatever the customer's name.
#include <QAbstractButton>
#include <QApplication>
#include <QHeaderView>
#include <QScreen>
#include <QScrollBar>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "authorization/frm_autorizar_np_bloq.h"
#include "authorization/tsdbgrid.h"
#include "grid_fixture.h"
#include "ui/flexgrid.h"

namespace authorization {
namespace {

constexpr int kColCliente = 5;
constexpr int kColImporte = 6;

class Ventana1024Test : public testing::GridDbTest {
protected:
    // Orders 5000 to 5024, three pages, amounts of many digits, notes of
    // several lengths; order `conNombre` has a name of `largo` characters.
    void Ordenes(int conNombre, std::size_t largo) {
        db_.gCnn.Execute("INSERT INTO V_MV_CPTE (ID, TC, IDCOMPROBANTE, FECHA, FECHAESTFIN, NOMBRE, IMPORTE, "
                         "OBSERVACIONES, BLOQUEADA) "
                         "WITH RECURSIVE n(i) AS (SELECT 5000 UNION ALL SELECT i + 1 FROM n WHERE i < 5024) "
                         "SELECT i, 'NP', printf('0002-%08d', i), '2024-01-01 00:00:00', '2024-02-01 00:00:00', "
                         "'Ferreteria Sur ' || i, 1234567.25 + i, substr('entregar en el deposito central', 1, 14 + i % 17), 1 FROM n");
        largo_ = std::string(largo, 'n');
        for (std::size_t i = 0; i < largo; i += 10) largo_[i] = 'N';  // not one word
        db_.gCnn.Execute("UPDATE V_MV_CPTE SET NOMBRE = '" + largo_ + "' WHERE ID = " + std::to_string(conNombre));
    }

    ui::FlexGrid& Grid(FrmAutorizarNPBloq& v) { return v.TsDbGrid1().MsFlexGrid(); }
    std::vector<long> Anchos(FrmAutorizarNPBloq& v) {
        std::vector<long> anchos;
        for (int c = 1; c + 1 < Grid(v).Cols(); ++c) anchos.push_back(Grid(v).ColWidth(c));
        return anchos;
    }
    // Every column of the page in view, every amount whole, the long name
    // (where the page has it) cut with "…" and whole in its tip.
    void RevisarPagina(FrmAutorizarNPBloq& v) {
        auto* vista = v.TsDbGrid1().findChild<ui::FlexGridView*>();
        const ui::FlexGrid& g = Grid(v);
        for (int c = 0; c < vista->model()->columnCount(); ++c) {
            if (vista->isColumnHidden(c)) continue;
            EXPECT_LE(vista->columnViewportPosition(c) + vista->columnWidth(c), vista->viewport()->width())
                << g.TextMatrix(0, c + 1);
        }
        EXPECT_EQ(vista->horizontalScrollBar()->maximum(), 0);
        for (int r = 1; r < g.Rows(); ++r) {
            EXPECT_EQ(vista->ShownText(r, kColImporte).toStdString(), g.TextMatrix(r, kColImporte)) << r;
            if (g.TextMatrix(r, kColCliente) != largo_) continue;
            const QString visto = vista->ShownText(r, kColCliente);
            EXPECT_TRUE(visto.endsWith(QChar(0x2026))) << visto.toStdString();
            const QModelIndex celda = vista->IndexOf(r, kColCliente);
            EXPECT_EQ(vista->model()->data(celda, Qt::ToolTipRole).toString().toStdString(), largo_);
            ++vistosLargos_;
        }
    }
    void Boton(FrmAutorizarNPBloq& v, const char* nombre) {
        v.TsDbGrid1().findChild<QAbstractButton*>(nombre)->click();
        QApplication::processEvents();
    }

    std::string largo_;
    int vistosLargos_ = 0;
};

TEST_F(Ventana1024Test, TheScreenIs1024PixelsWide) {
    EXPECT_EQ(QApplication::primaryScreen()->geometry(), QRect(0, 0, 1024, 768));
}

// A name of 75 or 255 characters on the first or on the second page: at the
// window's opening size every column of every page is in view, the amounts
// whole, and the widths the same on every page.
TEST_F(Ventana1024Test, ALongNameNeitherHidesAColumnNorMovesTheLayout) {
    struct Caso {
        std::size_t largo;
        int orden;  // on page 1 (5000) or page 2 (5012)
    };
    for (const Caso caso : {Caso{75, 5000}, Caso{75, 5012}, Caso{255, 5000}, Caso{255, 5012}}) {
        SCOPED_TRACE(std::to_string(caso.largo) + " on order " + std::to_string(caso.orden));
        db_.gCnn.Execute("DELETE FROM V_MV_CPTE");
        Ordenes(caso.orden, caso.largo);
        vistosLargos_ = 0;
        FrmAutorizarNPBloq ventana;
        ventana.CmdCargar_Click();
        ventana.show();
        QApplication::processEvents();
        EXPECT_LE(ventana.width(), 1024);
        ASSERT_EQ(Grid(ventana).TextMatrix(0, kColImporte), "IMPORTE");
        const std::vector<long> anchos = Anchos(ventana);
        RevisarPagina(ventana);
        for (const char* boton : {"cmdSiguiente", "cmdSiguiente", "cmdAnterior", "cmdAnterior"}) {
            Boton(ventana, boton);
            RevisarPagina(ventana);
            EXPECT_EQ(Anchos(ventana), anchos) << boton << " to page " << ventana.TsDbGrid1().PaginaActual();
        }
        EXPECT_EQ(vistosLargos_, 2);  // its page shown twice
    }
}

// A window shown before its list is loaded caps the list to the width it
// has, and keeps that width.
TEST_F(Ventana1024Test, AWindowShownBeforeItsListKeepsEveryColumnInView) {
    Ordenes(5000, 255);
    FrmAutorizarNPBloq ventana;
    ventana.resize(1000, ventana.height());
    ventana.show();
    QApplication::processEvents();
    const int ancho = ventana.width();
    ventana.CmdCargar_Click();
    QApplication::processEvents();
    EXPECT_EQ(ventana.width(), ancho);
    RevisarPagina(ventana);
    Boton(ventana, "cmdSiguiente");
    RevisarPagina(ventana);
    EXPECT_EQ(vistosLargos_, 1);
}

// A column the user widens keeps that width on the next pages, even past
// what the others leave; "Ajustar Columnas" fits the page again.
TEST_F(Ventana1024Test, AColumnTheUserWidensKeepsTheUsersWidth) {
    Ordenes(5012, 75);
    FrmAutorizarNPBloq ventana;
    ventana.CmdCargar_Click();
    ventana.show();
    QApplication::processEvents();
    auto* vista = ventana.TsDbGrid1().findChild<ui::FlexGridView*>();
    const long ajustado = Grid(ventana).ColWidth(kColCliente);
    vista->horizontalHeader()->resizeSection(kColCliente - 1, 700);  // as a drag of its edge does
    EXPECT_EQ(Grid(ventana).ColWidth(kColCliente), 700 * ui::kTwipsPerPixel);
    Boton(ventana, "cmdSiguiente");
    Boton(ventana, "cmdSiguiente");
    EXPECT_EQ(Grid(ventana).ColWidth(kColCliente), 700 * ui::kTwipsPerPixel);
    EXPECT_EQ(vista->columnWidth(kColCliente - 1), 700);

    Boton(ventana, "AJUSTACOL");
    EXPECT_LT(Grid(ventana).ColWidth(kColCliente), 700 * ui::kTwipsPerPixel);
    Boton(ventana, "cmdAnterior");
    EXPECT_EQ(Grid(ventana).ColWidth(kColCliente), ajustado);
    RevisarPagina(ventana);
}

// The room between the last column in view and the grid's right edge, in
// pixels, beyond what is kept for a vertical scroll bar (a shorter window
// shows one, and no column goes out of view then).
int Sobrante(FrmAutorizarNPBloq& v) {
    auto* vista = v.TsDbGrid1().findChild<ui::FlexGridView*>();
    int fin = 0;
    for (int c = 0; c < vista->model()->columnCount(); ++c) {
        if (!vista->isColumnHidden(c)) fin = std::max(fin, vista->columnViewportPosition(c) + vista->columnWidth(c));
    }
    const int barra = vista->verticalScrollBar()->isVisible() ? 0 : vista->verticalScrollBar()->sizeHint().width();
    return vista->viewport()->width() - fin - barra;
}

// A window the person makes wider, or maximises, gives the room it has to
// the text columns (also after "Ajustar Columnas"); made narrower again, it
// keeps every column in view.
TEST_F(Ventana1024Test, TheTextColumnsTakeTheRoomOfAWiderWindow) {
    Ordenes(5000, 75);
    FrmAutorizarNPBloq ventana;
    ventana.CmdCargar_Click();
    ventana.show();
    ventana.resize(760, ventana.height());
    QApplication::processEvents();
    RevisarPagina(ventana);
    const long estrecho = Grid(ventana).ColWidth(kColCliente);

    ventana.showMaximized();
    QApplication::processEvents();
    ASSERT_GT(ventana.width(), 900);
    EXPECT_GT(Grid(ventana).ColWidth(kColCliente), estrecho);
    EXPECT_LE(Sobrante(ventana), 2);
    RevisarPagina(ventana);
    for (const char* boton : {"AJUSTACOL", "cmdSiguiente", "cmdAnterior"}) {
        SCOPED_TRACE(boton);
        Boton(ventana, boton);
        EXPECT_LE(Sobrante(ventana), 2);
        RevisarPagina(ventana);
    }

    ventana.showNormal();
    ventana.resize(760, ventana.height());
    QApplication::processEvents();
    EXPECT_EQ(Grid(ventana).ColWidth(kColCliente), estrecho);
    RevisarPagina(ventana);
}

}  // namespace
}  // namespace authorization

// The offscreen platform takes its screens from a file named in the platform's
// arguments: one screen of 1024 by 768 pixels at 96 dots an inch.
int main(int argc, char** argv) {
    const std::filesystem::path pantalla =
        std::filesystem::temp_directory_path() / ("tarvolin-pantalla-1024-" + std::to_string(getpid()) + ".json");
    std::ofstream(pantalla) << R"({"screens": [{"name": "Pantalla", "x": 0, "y": 0, "width": 1024, "height": 768,)"
                               R"( "logicalDpi": 96, "logicalBaseDpi": 96, "dpr": 1}]})";
    setenv("QT_QPA_PLATFORM", ("offscreen:configfile=" + pantalla.string()).c_str(), 1);
    int resultado = 0;
    {
        QApplication app(argc, argv);
        ::testing::InitGoogleTest(&argc, argv);
        resultado = RUN_ALL_TESTS();
    }
    std::filesystem::remove(pantalla);
    return resultado;
}
