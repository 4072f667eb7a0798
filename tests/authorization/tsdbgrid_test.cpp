// The grid control in an offscreen window over the fixture database.
#include "authorization/tsdbgrid.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QToolBar>
#include <QToolButton>
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <map>

#include "grid_fixture.h"
#include "ui/flexgrid.h"
#include "vb/error.h"
#include "vb/text.h"

namespace authorization {
namespace {

using testing::GridDbTest;
using testing::Hijo;
using testing::Pulsar;
using testing::kConsultaPrincipal;
using testing::Orden;

constexpr const char* kMenor = "El tamaño de la página en registos no puede ser menor a 1 por página.";
constexpr const char* kMayor = "El tamaño de la página en registros no puede superar los 2000 por página.";

std::string Etiqueta(int pagina, int ultima) {
    return "        Página        " + std::to_string(pagina) + " de " + std::to_string(ultima);
}

class TsDbGridTest : public GridDbTest {
protected:
    TsDbGridTest() {
        grid_.resize(900, 500);
        QObject::connect(&grid_, &TsDbGrid::CargarPagina, [this](std::int64_t& pagina) { cargas_.push_back(pagina); });
    }

    // The main window's load: its query, 10 records a page, widths fitted.
    std::vector<Orden> Cargar(int ordenes, long tamano = 10) {
        std::vector<Orden> agregadas = AgregarOrdenes(ordenes);
        grid_.SetSQL(kConsultaPrincipal);
        grid_.SetPageSize(tamano);
        grid_.SetAnchoColFijo(false);
        grid_.LoadTsDBGrid();
        return agregadas;
    }

    template <class W>
    W* Control(const char* nombre) {
        return Hijo<W>(grid_, nombre);
    }
    void Clic(const char* boton) { Pulsar(grid_, boton); }
    QComboBox* Selector() { return Control<QComboBox>("cboPagSelect"); }
    std::string TextoEtiqueta() { return Control<QLabel>("lblPaginas")->text().toStdString(); }
    ui::FlexGrid& Grilla() { return grid_.MsFlexGrid(); }
    // Column 0 (the record numbers) of every data row.
    std::vector<std::string> Numeros() {
        std::vector<std::string> numeros;
        for (int r = 1; r < Grilla().Rows(); ++r) numeros.push_back(Grilla().TextMatrix(r, 0));
        return numeros;
    }
    std::vector<std::string> Columna(int c) {
        std::vector<std::string> textos;
        for (int r = 1; r < Grilla().Rows(); ++r) textos.push_back(Grilla().TextMatrix(r, c));
        return textos;
    }
    static std::vector<std::string> Del(int desde, int hasta) {
        std::vector<std::string> numeros;
        for (int i = desde; i <= hasta; ++i) numeros.push_back(std::to_string(i));
        return numeros;
    }
    void Tecla(QWidget* destino, int key, const QString& texto = {}) {
        QKeyEvent evento(QEvent::KeyPress, key, Qt::NoModifier, texto);
        QApplication::sendEvent(destino, &evento);
    }
    // The grid's KeyDown as the inner grid raises it.
    void KeyDown(int code) {
        int shift = 0;
        emit Grilla().KeyDown(code, shift);
    }
    std::size_t Conteos(const std::vector<std::string>& sentencias) {
        return static_cast<std::size_t>(std::count_if(sentencias.begin(), sentencias.end(), [](const std::string& s) {
            return s.rfind("SELECT COUNT(*)", 0) == 0;
        }));
    }

    TsDbGrid grid_;
    std::vector<std::int64_t> cargas_;
};

// ---- Properties and the stored copy -------------------------------------------------------

TEST_F(TsDbGridTest, NewAndStoredInstancesTakeTheirDefaults) {
    EXPECT_EQ(grid_.Find(), 2);
    EXPECT_EQ(grid_.Order(), 1);
    EXPECT_EQ(grid_.PageSize(), 5);
    EXPECT_EQ(grid_.PrimaryKey(), "ID");
    EXPECT_EQ(grid_.FormatDate(), 103);
    EXPECT_FALSE(grid_.AnchoColFijo());
    EXPECT_EQ(grid_.PaginaActual(), 1);
    EXPECT_EQ(grid_.UltimaPagina(), 0);
    EXPECT_FALSE(grid_.isEnabled());

    // The main window's stored copy: no Find, Order or bar entries; a value
    // that does not convert leaves the property as it was.
    PropertyBag bag;
    bag.WriteProperty("PrimaryKey", "ID");
    bag.WriteProperty("PageSize", "abc");
    bag.WriteProperty("OCULTARORDENAR", true);
    std::vector<std::string> cambios;
    QObject::connect(&grid_, &TsDbGrid::PropertyChanged, [&](const std::string& n) { cambios.push_back(n); });
    grid_.ReadProperties(bag);
    EXPECT_TRUE(grid_.AnchoColFijo());
    EXPECT_EQ(grid_.PageSize(), 5);
    EXPECT_TRUE(grid_.OcultarOrdenar());
    EXPECT_FALSE(grid_.Columnas());
    EXPECT_EQ(grid_.AlignCommandBar(), 2);
    EXPECT_EQ(grid_.AlignFilterBar(), 1);
    EXPECT_EQ(grid_.SQL(), "");  // read as stored, no blank added
    EXPECT_NE(std::find(cambios.begin(), cambios.end(), "Find"), cambios.end());

    PropertyBag guardada;
    grid_.WriteProperties(guardada);
    EXPECT_EQ(guardada.Items().size(), 16u);
    EXPECT_TRUE(guardada.Contains("anchocolfijo"));
    EXPECT_EQ(guardada.ReadProperty("AnchoColFijo"), vb::Variant(true));
    EXPECT_FALSE(guardada.Contains("PaginaActual"));

    grid_.SetSQL("SELECT 1");
    EXPECT_EQ(grid_.SQL(), "SELECT 1 ");
}

TEST_F(TsDbGridTest, ModeMenusCarryOneMarker) {
    QMenu* busqueda = Control<QToolButton>("BUSCAR")->menu();
    ASSERT_NE(busqueda, nullptr);
    auto textos = [&] {
        return std::make_pair(busqueda->actions()[0]->text().toStdString(), busqueda->actions()[1]->text().toStdString());
    };
    grid_.SetFind(1);
    grid_.SetFind(1);
    EXPECT_EQ(textos(), std::make_pair(std::string("» Buscar en Página Actual"), std::string("Buscar en todas las Páginas")));
    // The menu entry itself: the other entry gets two blanks for its marker.
    busqueda->actions()[1]->trigger();
    EXPECT_EQ(grid_.Find(), 2);
    EXPECT_EQ(textos(), std::make_pair(std::string("  Buscar en Página Actual"), std::string("» Buscar en todas las Páginas")));
    busqueda->actions()[1]->trigger();
    EXPECT_EQ(textos().second, "» Buscar en todas las Páginas");
    EXPECT_THROW(grid_.SetFind(3), vb::Error);
    EXPECT_EQ(grid_.Find(), 3);
}

// ---- Loading ---------------------------------------------------------------------------------

TEST_F(TsDbGridTest, LoadShowsTheFirstPageWithTitlesNumbersAndAHiddenKey) {
    int entradas = 0;
    QObject::connect(&grid_, &TsDbGrid::MsFlexGridEnterCell, [&] { ++entradas; });
    Cargar(25);

    EXPECT_TRUE(grid_.isEnabled());
    EXPECT_EQ(grid_.TotalRegistros(), 25);
    EXPECT_EQ(grid_.UltimaPagina(), 3);
    EXPECT_EQ(TextoEtiqueta(), Etiqueta(1, 3));
    EXPECT_EQ(Selector()->count(), 3);
    EXPECT_EQ(Selector()->currentText().toStdString(), "1");
    EXPECT_EQ(cargas_, std::vector<std::int64_t>{1});

    ui::FlexGrid& g = Grilla();
    ASSERT_EQ(g.Cols(), 9);
    const std::vector<std::string> titulos{"TC", "NUMERO", "FECHA", "VENCIMIENTO", "CLIENTE", "IMPORTE", "OBSERVACIONES", "ID"};
    for (int c = 1; c < g.Cols(); ++c) EXPECT_EQ(g.TextMatrix(0, c), titulos[c - 1]);
    EXPECT_EQ(g.ColWidth(g.Cols() - 1), 0);
    EXPECT_TRUE(grid_.findChild<ui::FlexGridView*>("MSFlexGrid1")->isColumnHidden(g.Cols() - 2));
    EXPECT_EQ(Numeros(), Del(1, 10));
    EXPECT_EQ(g.ColWidth(0), grid_.TextWidth("XXX"));
    EXPECT_EQ(g.Row(), 1);
    EXPECT_GT(entradas, 0);
    EXPECT_EQ(g.TextMatrix(1, 4), "10/03/2024");  // VENCIMIENTO, converted from FECHAESTFIN
    EXPECT_EQ(grid_.StatusText(), " Orden:  ORDER BY [TC] ASC  ");
    EXPECT_EQ(Control<QComboBox>("CboRegistros")->currentText().toStdString(), "10");
    EXPECT_EQ(Control<QComboBox>("CboFiltroCampo")->count(), 8);
    EXPECT_EQ(grid_.ColumnasFecha(), "|2||3|");

    // The count is one COUNT(*); the whole query is never opened: every other
    // statement is limited (the field list by TOP, the page by LIMIT on SQLite).
    const std::vector<std::string> sentencias = TomarSentencias();
    EXPECT_EQ(Conteos(sentencias), 1u);
    for (const std::string& s : sentencias) {
        EXPECT_TRUE(s.find("TOP ") != std::string::npos || s.find(" LIMIT ") != std::string::npos ||
                    s.rfind("SELECT COUNT(*)", 0) == 0)
            << s;
    }
}

// The page label is plain text until a person presses on it; from then on
// its text can be selected (and copied), also after the next page.
TEST_F(TsDbGridTest, ThePageLabelTurnsSelectableWhenPressed) {
    Cargar(25);
    auto* etiqueta = Control<QLabel>("lblPaginas");
    EXPECT_FALSE(etiqueta->textInteractionFlags() & Qt::TextSelectableByMouse);
    const QPointF punto(5, etiqueta->height() / 2.0);
    QMouseEvent pulsar(QEvent::MouseButtonPress, punto, etiqueta->mapToGlobal(punto), Qt::LeftButton, Qt::LeftButton,
                       Qt::NoModifier);
    QApplication::sendEvent(etiqueta, &pulsar);
    EXPECT_TRUE(etiqueta->textInteractionFlags() & Qt::TextSelectableByMouse);
    Clic("cmdSiguiente");
    EXPECT_EQ(TextoEtiqueta(), Etiqueta(2, 3));
    etiqueta->setSelection(0, static_cast<int>(etiqueta->text().size()));
    EXPECT_EQ(etiqueta->selectedText(), etiqueta->text());
}

// Fitted widths: a longest text of 19 characters gets 500 twips more than
// its "X" width, one of 20 characters 500 less.
TEST_F(TsDbGridTest, FittedWidthsTurnAtTwentyCharacters) {
    AgregarOrdenes(3);
    db_.gCnn.Execute("UPDATE V_MV_CPTE SET NOMBRE = '" + std::string(20, 'n') + "', OBSERVACIONES = '" +
                     std::string(19, 'o') + "'");
    grid_.SetSQL(kConsultaPrincipal);
    grid_.SetPageSize(10);
    grid_.SetAnchoColFijo(false);
    grid_.LoadTsDBGrid();
    ui::FlexGrid& g = Grilla();
    ASSERT_EQ(g.TextMatrix(0, 5), "CLIENTE");
    ASSERT_EQ(g.TextMatrix(0, 7), "OBSERVACIONES");
    EXPECT_EQ(g.ColWidth(5), grid_.TextWidth(std::string(20, 'X')) - 500);
    EXPECT_EQ(g.ColWidth(7), grid_.TextWidth(std::string(19, 'X')) + 500);
}

TEST_F(TsDbGridTest, StoredInstanceHidesTheSortControlsAndShowsTheColumnButton) {
    PropertyBag bag;
    bag.WriteProperty("OcultarOrdenar", true);
    bag.WriteProperty("Columnas", true);
    grid_.ReadProperties(bag);
    Cargar(3);
    for (const char* nombre : {"ImgOrdenN", "ImgOrdenAsc", "ImgOrdenDesc", "Toolbar2"}) {
        EXPECT_TRUE(Control<QWidget>(nombre)->isHidden()) << nombre;
    }
    EXPECT_FALSE(Control<QWidget>("cmdColumnas")->isHidden());
    EXPECT_EQ(TextoEtiqueta(), Etiqueta(1, 1));
}

TEST_F(TsDbGridTest, EditBoxRelaysMovesAsMouseDownAndAClickAsClickOnly) {
    grid_.setEnabled(true);  // as LoadTsDBGrid leaves it
    QLineEdit& edit = grid_.TxtEdit();
    std::vector<std::string> eventos;
    QObject::connect(&grid_, &TsDbGrid::txtEditMouseDown, [&](int& b, int&, float& x, float&) {
        eventos.push_back("MouseDown " + std::to_string(b) + " " + std::to_string(static_cast<int>(x)));
    });
    QObject::connect(&grid_, &TsDbGrid::txtEditClick, [&] { eventos.push_back("Click"); });
    QObject::connect(&grid_, &TsDbGrid::txtEditChange, [&] { eventos.push_back("Change"); });
    QObject::connect(&grid_, &TsDbGrid::txtEditKeyPress, [&](int& ascii) {
        if (ascii == 'x') ascii = 0;  // the host drops this character
    });
    const QPointF punto(2, 3);
    QMouseEvent mover(QEvent::MouseMove, punto, edit.mapToGlobal(punto), Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
    QMouseEvent pulsar(QEvent::MouseButtonPress, punto, edit.mapToGlobal(punto), Qt::LeftButton, Qt::LeftButton,
                       Qt::NoModifier);
    QMouseEvent soltar(QEvent::MouseButtonRelease, punto, edit.mapToGlobal(punto), Qt::LeftButton, Qt::NoButton,
                       Qt::NoModifier);
    QApplication::sendEvent(&edit, &mover);
    QApplication::sendEvent(&edit, &pulsar);
    QApplication::sendEvent(&edit, &soltar);
    Tecla(&edit, Qt::Key_X, "x");
    Tecla(&edit, Qt::Key_Y, "y");
    EXPECT_EQ(eventos, (std::vector<std::string>{"MouseDown 1 30", "Click", "Change"}));
    EXPECT_EQ(edit.text().toStdString(), "y");
}

TEST_F(TsDbGridTest, RefusedQueryChangesNothing) {
    operator_.AnswerMsgBox(ui::vbOK);
    grid_.SetSQL("SELECT * FROM A INNER JOIN B ON A.ID = B.ID");
    grid_.LoadTsDBGrid();
    ASSERT_EQ(operator_.Shown().size(), 1u);
    EXPECT_EQ(operator_.Shown()[0].title, "Aviso al Usuario");
    EXPECT_EQ(operator_.Shown()[0].style, ui::vbInformation);
    EXPECT_EQ(operator_.Shown()[0].prompt.rfind("El objeto TsDbGrid no admite la palabra reservada ''JOIN''", 0), 0u);
    EXPECT_FALSE(grid_.isEnabled());
    EXPECT_TRUE(TomarSentencias().empty());
    EXPECT_TRUE(cargas_.empty());
}

// ---- Navigation -----------------------------------------------------------------------------------

TEST_F(TsDbGridTest, PageButtonsStayWithinThePages) {
    Cargar(25);
    Clic("cmdPrimero");
    Clic("cmdAnterior");
    EXPECT_EQ(cargas_.size(), 1u);  // nothing to load before page 1

    Clic("cmdSiguiente");
    EXPECT_EQ(TextoEtiqueta(), Etiqueta(2, 3));
    EXPECT_EQ(Numeros(), Del(11, 20));

    Clic("cmdUltimo");
    EXPECT_EQ(TextoEtiqueta(), Etiqueta(3, 3));
    EXPECT_EQ(Numeros(), Del(21, 25));
    EXPECT_EQ(Selector()->currentText().toStdString(), "3");
    EXPECT_EQ(cargas_, (std::vector<std::int64_t>{1, 2, 3}));
    Clic("cmdSiguiente");
    Clic("cmdUltimo");
    EXPECT_EQ(cargas_.size(), 3u);

    Clic("cmdPrimero");
    EXPECT_EQ(Numeros(), Del(1, 10));
    emit Selector()->activated(1);  // the user picks page 2
    EXPECT_EQ(TextoEtiqueta(), Etiqueta(2, 3));
    EXPECT_EQ(Numeros(), Del(11, 20));
}

TEST_F(TsDbGridTest, PageKeysAndSecondDownOnTheLastRowTurnThePage) {
    Cargar(35);
    auto* vista = grid_.findChild<ui::FlexGridView*>("MSFlexGrid1");
    std::vector<int> codigos;
    QObject::connect(&grid_, &TsDbGrid::MSFlexGridKeyDown, [&](int& code, int&) { codigos.push_back(code); });
    Tecla(vista, Qt::Key_PageDown);
    EXPECT_EQ(codigos, std::vector<int>{ui::vk::PageDown});
    EXPECT_EQ(grid_.PaginaActual(), 2);
    Tecla(vista, Qt::Key_PageUp);
    EXPECT_EQ(grid_.PaginaActual(), 1);

    ui::FlexGrid& g = Grilla();
    g.SetRow(g.Rows() - 1);
    KeyDown(ui::vk::Down);  // arms
    EXPECT_EQ(grid_.PaginaActual(), 1);
    KeyDown(ui::vk::Down);
    EXPECT_EQ(grid_.PaginaActual(), 2);

    g.SetRow(g.Rows() - 1);
    KeyDown(ui::vk::Down);
    KeyDown(ui::vk::Up);  // disarms Down
    KeyDown(ui::vk::Down);
    EXPECT_EQ(grid_.PaginaActual(), 2);
    KeyDown(ui::vk::Down);
    EXPECT_EQ(grid_.PaginaActual(), 3);

    g.SetRow(1);
    KeyDown(ui::vk::Up);
    KeyDown(ui::vk::Up);
    EXPECT_EQ(grid_.PaginaActual(), 2);

    // A host that clears the key code stops the paging.
    QObject::connect(&grid_, &TsDbGrid::MSFlexGridKeyDown, [](int& code, int&) { code = 0; });
    KeyDown(ui::vk::PageDown);
    EXPECT_EQ(grid_.PaginaActual(), 2);
}

struct CasoTamano {
    const char* texto;
    const char* mensaje;  // nullptr: none
    long tamano;
    int paginas;          // of 25 records
};

TEST_F(TsDbGridTest, EnterInThePageSizeBoxKeepsItWithinOneAnd2000) {
    Cargar(25);
    QComboBox* registros = Control<QComboBox>("CboRegistros");
    const CasoTamano casos[] = {
        {"0", kMenor, 1, 25}, {"", kMenor, 1, 25}, {"2500", kMayor, 2000, 1}, {"2000", nullptr, 2000, 1}, {"7", nullptr, 7, 4},
    };
    for (const CasoTamano& caso : casos) {
        SCOPED_TRACE(caso.texto);
        operator_.ClearShown();
        if (caso.mensaje) operator_.AnswerMsgBox(ui::vbOK);
        grid_.MsFlexGrid().SetRow(1);
        registros->setEditText(caso.texto);
        Tecla(registros->lineEdit(), Qt::Key_Return, "\r");
        if (caso.mensaje) {
            ASSERT_EQ(operator_.Shown().size(), 1u);
            EXPECT_EQ(operator_.Shown()[0].prompt, caso.mensaje);
            EXPECT_EQ(operator_.Shown()[0].title, "Aviso al Usuario");
            EXPECT_EQ(operator_.Shown()[0].style, ui::vbInformation);
        } else {
            EXPECT_TRUE(operator_.Shown().empty());
        }
        EXPECT_EQ(grid_.PageSize(), caso.tamano);
        EXPECT_EQ(grid_.UltimaPagina(), caso.paginas);
        EXPECT_EQ(registros->currentText().toStdString(), std::to_string(caso.tamano));  // shown by the load
    }

    // Letters and Backspace are not typed; digits are.
    registros->setEditText("12");
    Tecla(registros->lineEdit(), Qt::Key_A, "a");
    Tecla(registros->lineEdit(), Qt::Key_Backspace, "\b");
    Tecla(registros->lineEdit(), Qt::Key_5, "5");
    EXPECT_EQ(registros->currentText().toStdString(), "125");

    // An entry of the list.
    registros->setCurrentIndex(0);
    emit registros->activated(0);
    EXPECT_EQ(grid_.PageSize(), 5);
    EXPECT_EQ(grid_.UltimaPagina(), 5);
    EXPECT_EQ(TextoEtiqueta(), Etiqueta(1, 5));
}

// On SQLite each page statement reads only its own page: the next and the
// previous page from the edge of the page shown (its key bound, as the page
// read it), the last one from the end,
// a page picked in the selector from the nearer end; none walks the pages
// before it with an OFFSET that grows with the position. Each reads one row
// more than the page shows, which tells whether more follow.
TEST_F(TsDbGridTest, EachPageStatementOnSqliteReadsOnlyItsPage) {
    std::vector<Orden> ordenes = Cargar(95);
    std::vector<std::string> claves;
    for (const Orden& o : ordenes) claves.push_back(std::to_string(o.id));
    std::sort(claves.begin(), claves.end(), [](const std::string& a, const std::string& b) { return std::stol(a) < std::stol(b); });
    const std::string asc = "  ORDER BY Paginacion.[TC] ASC, Paginacion.ID  LIMIT ";
    const std::string desc = "  ORDER BY Paginacion.[TC] DESC, Paginacion.ID DESC  LIMIT ";
    struct Paso {
        const char* nombre;
        std::function<void()> accion;
        int pagina;
        std::string cola;  // how the page statement ends
    };
    auto elegir = [this](int indice) { return [this, indice] { emit Selector()->activated(indice); }; };
    const Paso pasos[] = {
        {"load", [] {}, 1, asc + "11 OFFSET 0"},
        {"next", [this] { Clic("cmdSiguiente"); }, 2, "Paginacion.ID > ?" + asc + "11 -- " + claves[9]},
        {"PageDown", [this] { KeyDown(ui::vk::PageDown); }, 3, "Paginacion.ID > ?" + asc + "11 -- " + claves[19]},
        {"last", [this] { Clic("cmdUltimo"); }, 10, desc + "6 OFFSET 0"},
        {"previous", [this] { Clic("cmdAnterior"); }, 9, "Paginacion.ID < ?" + desc + "11 -- " + claves[90]},
        {"page 4 picked", elegir(3), 4, asc + "11 OFFSET 30"},
        {"page 7 picked", elegir(6), 7, desc + "11 OFFSET 25"},
        {"first", [this] { Clic("cmdPrimero"); }, 1, asc + "11 OFFSET 0"},
        {"next again", [this] { Clic("cmdSiguiente"); }, 2, "Paginacion.ID > ?" + asc + "11 -- " + claves[9]},
        // First and last read the list's ends even beside the page shown.
        {"first from page 2", [this] { Clic("cmdPrimero"); }, 1, asc + "11 OFFSET 0"},
        {"page 9 picked", elegir(8), 9, desc + "11 OFFSET 5"},
        {"last from page 9", [this] { Clic("cmdUltimo"); }, 10, desc + "6 OFFSET 0"},
        // A page picked beside the page shown is read from the list too.
        {"page 9 picked beside page 10", elegir(8), 9, desc + "11 OFFSET 5"},
        {"first again", [this] { Clic("cmdPrimero"); }, 1, asc + "11 OFFSET 0"},
        {"page 2 picked beside page 1", elegir(1), 2, asc + "11 OFFSET 10"},
    };
    for (const Paso& paso : pasos) {
        SCOPED_TRACE(paso.nombre);
        if (std::string(paso.nombre) != "load") TomarSentencias();
        paso.accion();
        std::vector<std::string> paginas;
        for (const std::string& s : TomarSentencias()) {
            if (s.find(" AS Paginacion ") != std::string::npos) paginas.push_back(s);
        }
        ASSERT_EQ(paginas.size(), 1u);
        EXPECT_TRUE(vb::EndsWith(paginas[0], paso.cola, vb::Compare::Binary)) << paginas[0];
        EXPECT_EQ(grid_.PaginaActual(), paso.pagina);
        const int desde = (paso.pagina - 1) * 10;
        const int hasta = std::min(desde + 10, 95);
        EXPECT_EQ(Numeros(), Del(desde + 1, hasta));
        EXPECT_EQ(Columna(Grilla().Cols() - 1),
                  std::vector<std::string>(claves.begin() + desde, claves.begin() + hasta));
    }
}

// A page in an order no index keeps, or a search's count, reads the whole
// list: each runs under the wait cursor, which goes when it ends.
TEST_F(TsDbGridTest, PagesAndCountsRunUnderTheWaitCursor) {
    Cargar(25);
    std::vector<std::pair<std::string, bool>> sentencias;
    db_.gCnn.SetStatementLogger([&](const std::string& sql) {
        const QCursor* cursor = QApplication::overrideCursor();
        sentencias.emplace_back(sql, cursor && cursor->shape() == Qt::WaitCursor);
    });
    Grilla().MoveToCell(1, 5);  // CLIENTE
    Clic("ImgOrdenAsc");
    Clic("cmdUltimo");
    auto* caja = Control<QLineEdit>("txtBuscar");
    caja->setText("ana");
    Tecla(caja, Qt::Key_Return, "\r");
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    int paginas = 0;
    int conteos = 0;
    for (const auto& [sql, espera] : sentencias) {
        const bool pagina = sql.find(" AS Paginacion ") != std::string::npos;
        const bool conteo = sql.rfind("SELECT COUNT(*)", 0) == 0;
        paginas += pagina;
        conteos += conteo;
        if (pagina || conteo) EXPECT_TRUE(espera) << sql;
    }
    EXPECT_EQ(paginas, 3);  // the sort, the last page, the search
    EXPECT_EQ(conteos, 1);
    EXPECT_EQ(grid_.FiltroBusqueda().empty(), false);
}

// ---- Sorting -----------------------------------------------------------------------------------------

TEST_F(TsDbGridTest, TheSortColumnIsReadOnlyWhenASortImageIsClicked) {
    std::vector<Orden> ordenes = Cargar(25);
    ui::FlexGrid& g = Grilla();
    g.SetCol(0);
    Clic("ImgOrdenAsc");  // no column chosen: nothing happens
    EXPECT_EQ(grid_.OrderBy(), " ORDER BY [TC] ASC  ");
    EXPECT_EQ(cargas_.size(), 1u);

    g.MoveToCell(1, 5);  // CLIENTE
    Clic("ImgOrdenAsc");
    EXPECT_EQ(grid_.OrderBy(), " Order by [NOMBRE] Asc ");
    EXPECT_EQ(grid_.StatusText(), " Orden:  Order by [NOMBRE] Asc ");
    g.SetRow(0);
    g.SetCol(5);
    EXPECT_EQ(g.CellBackColor(), ui::RGB(217, 246, 210));

    std::sort(ordenes.begin(), ordenes.end(),
              [](const Orden& a, const Orden& b) { return std::tie(a.nombre, a.id) < std::tie(b.nombre, b.id); });
    std::vector<std::string> nombres;
    for (const Orden& o : ordenes) nombres.push_back(o.nombre);
    EXPECT_EQ(Columna(5), std::vector<std::string>(nombres.begin(), nombres.begin() + 10));

    // Another column current, then a page turn: the sort stays.
    g.MoveToCell(1, 2);
    Clic("cmdSiguiente");
    EXPECT_EQ(grid_.OrderBy(), " Order by [NOMBRE] Asc ");
    EXPECT_EQ(Columna(5), std::vector<std::string>(nombres.begin() + 10, nombres.begin() + 20));
}

// An amount another program stored beyond the currency's range (above about
// 9.2e14) does not stop its page: it shows as stored, in the list's own
// order and sorted by amount, where it comes first (or last), and the pages
// around it turn as usual.
TEST_F(TsDbGridTest, AnAmountBeyondTheCurrencysRangeShowsAsStored) {
    std::vector<Orden> ordenes = AgregarOrdenes(25);
    std::sort(ordenes.begin(), ordenes.end(), [](const Orden& a, const Orden& b) { return a.id < b.id; });
    const std::string grande = std::to_string(ordenes[13].id);  // on page 2 in the list's own order
    const std::string negativo = std::to_string(ordenes[4].id);
    db_.gCnn.Execute("UPDATE V_MV_CPTE SET IMPORTE = 1000000000000000 WHERE ID = " + grande);
    db_.gCnn.Execute("UPDATE V_MV_CPTE SET IMPORTE = -5000000000000000000 WHERE ID = " + negativo);
    grid_.SetSQL(kConsultaPrincipal);
    grid_.SetPageSize(10);
    grid_.SetAnchoColFijo(false);
    grid_.LoadTsDBGrid();
    ui::FlexGrid& g = Grilla();
    ASSERT_EQ(g.TextMatrix(0, 6), "IMPORTE");
    std::map<std::string, std::string> importes;  // by key, every page's
    for (int pagina = 1; pagina <= 3; ++pagina) {
        if (pagina > 1) Clic("cmdSiguiente");
        EXPECT_EQ(grid_.PaginaActual(), pagina);
        for (int r = 1; r < g.Rows(); ++r) importes[g.TextMatrix(r, g.Cols() - 1)] = g.TextMatrix(r, 6);
    }
    EXPECT_TRUE(operator_.Shown().empty());
    EXPECT_EQ(importes.size(), 25u);
    EXPECT_EQ(importes[grande], "1000000000000000");
    EXPECT_EQ(importes[negativo], "-5000000000000000000");
    EXPECT_EQ(importes[std::to_string(ordenes[0].id)], std::to_string(100 + ordenes[0].id));

    Clic("cmdPrimero");
    g.MoveToCell(1, 6);
    Clic("ImgOrdenDesc");
    EXPECT_EQ(grid_.PaginaActual(), 1);
    EXPECT_EQ(g.TextMatrix(1, g.Cols() - 1), grande);
    EXPECT_EQ(g.TextMatrix(1, 6), "1000000000000000");
    Clic("cmdSiguiente");
    EXPECT_EQ(grid_.PaginaActual(), 2);
    Clic("cmdUltimo");
    EXPECT_EQ(g.TextMatrix(g.Rows() - 1, g.Cols() - 1), negativo);
    // The column is as wide as its widest figure, shown whole.
    EXPECT_GE(g.ColWidth(6), grid_.TextWidth(std::string(20, 'X')) - 500);
    EXPECT_TRUE(operator_.Shown().empty());
}

// ---- Failures -------------------------------------------------------------------------------------------

TEST_F(TsDbGridTest, FailingPageQueryKeepsThePreviousPageAndReportsTheError) {
    Cargar(25);
    const std::vector<std::string> pagina1 = Columna(2);
    db_.gCnn.Execute("DROP TABLE V_MV_CPTE");
    operator_.AnswerMsgBox(ui::vbAbort);  // AbrirRecordset's own box
    operator_.AnswerMsgBox(ui::vbAbort);  // the grid's report through ManejaError
    Clic("cmdSiguiente");

    ASSERT_EQ(operator_.Shown().size(), 2u);
    EXPECT_NE(operator_.Shown()[0].title.find("AbrirRecordset"), std::string::npos);
    EXPECT_EQ(operator_.Shown()[1].prompt.rfind("Ha ocurrido el Siguiente Error (", 0), 0u);
    EXPECT_NE(operator_.Shown()[1].prompt.find("V_MV_CPTE"), std::string::npos) << operator_.Shown()[1].prompt;
    EXPECT_EQ(Columna(2), pagina1);
    EXPECT_EQ(Numeros(), Del(1, 10));
    EXPECT_EQ(grid_.PaginaActual(), 1);
    EXPECT_EQ(TextoEtiqueta(), Etiqueta(1, 3));
    EXPECT_EQ(Selector()->currentText().toStdString(), "1");
    EXPECT_EQ(cargas_.size(), 1u);
    EXPECT_FALSE(grid_.Cargando());
}

TEST_F(TsDbGridTest, FailingSortPutsTheSortBack) {
    Cargar(25);
    Grilla().SetTextMatrix(0, 5, "NOPE");
    Grilla().MoveToCell(1, 5);
    operator_.AnswerMsgBox(ui::vbAbort).AnswerMsgBox(ui::vbAbort);
    Clic("ImgOrdenDesc");
    EXPECT_EQ(operator_.Shown().size(), 2u);
    EXPECT_EQ(grid_.OrderBy(), " ORDER BY [TC] ASC  ");
    EXPECT_EQ(grid_.OrdenSent(), 0);
    EXPECT_EQ(grid_.StatusText(), " Orden:  ORDER BY [TC] ASC  ");
    EXPECT_EQ(Numeros(), Del(1, 10));
}

// Clicks every command each time the load pumps events.
class OperadorInquieto : public ui::ScriptedOperator {
public:
    explicit OperadorInquieto(TsDbGrid& grid) : grid_(grid) {}
    void DoEvents() override {
        ++bombeos;
        for (const char* nombre : {"cmdSiguiente", "cmdUltimo", "ImgOrdenAsc", "ImgOrdenN", "ACTUALIZAR"}) {
            grid_.findChild<QAbstractButton*>(nombre)->click();
        }
        emit grid_.findChild<QComboBox*>("cboPagSelect")->activated(1);
        grid_.LoadTsDBGrid();
        ui::ScriptedOperator::DoEvents();
    }
    int bombeos = 0;

private:
    TsDbGrid& grid_;
};

TEST_F(TsDbGridTest, CommandsWaitForTheRunningLoadAndTheSelectorIsFilledWithOnePump) {
    OperadorInquieto inquieto(grid_);
    Cargar(95, 1);
    EXPECT_EQ(grid_.UltimaPagina(), 95);
    EXPECT_EQ(Selector()->count(), 95);
    EXPECT_EQ(grid_.PaginaActual(), 1);
    EXPECT_EQ(cargas_, std::vector<std::int64_t>{1});
    EXPECT_EQ(Conteos(TomarSentencias()), 1u);
    EXPECT_EQ(grid_.OrderBy(), " ORDER BY [TC] ASC  ");
    EXPECT_GT(inquieto.bombeos, 0);
    EXPECT_LT(inquieto.bombeos, 10);  // not one per record
    EXPECT_FALSE(grid_.Cargando());

    // Once the load is over, the commands work again.
    Clic("cmdSiguiente");
    EXPECT_EQ(grid_.PaginaActual(), 2);
}

TEST_F(TsDbGridTest, RefreshCountsAgain) {
    Cargar(25);
    Clic("cmdSiguiente");
    TomarSentencias();
    Clic("ACTUALIZAR");
    EXPECT_EQ(Conteos(TomarSentencias()), 1u);
    EXPECT_EQ(grid_.PaginaActual(), 2);  // the current page stays
    EXPECT_EQ(Numeros(), Del(11, 20));
}

// ---- Layout ---------------------------------------------------------------------------------------------

TEST_F(TsDbGridTest, CommandBarFollowsAlignCommandBar) {
    auto* comandos = Control<QWidget>("FrmComandos");
    auto* vista = Control<QWidget>("MSFlexGrid1");
    grid_.show();  // a hidden window gets its resize only when shown
    grid_.SetAlignCommandBar(1);
    grid_.resize(800, 600);
    EXPECT_EQ(comandos->y(), 0);
    EXPECT_EQ(vista->y(), comandos->height());

    grid_.SetAlignCommandBar(2);
    grid_.resize(800, 400);
    EXPECT_NEAR(comandos->y(), vista->y() + vista->height(), 2);  // below the grid (twips rounded to pixels)

    grid_.SetAlignCommandBar(7);
    const QRect antes = comandos->geometry();
    grid_.resize(700, 500);
    EXPECT_EQ(comandos->geometry(), antes);
}

// However narrow the control, a bar keeps the width its captions need (it is
// cut at the control's edge): no button lies over the page label or a box.
TEST_F(TsDbGridTest, ANarrowControlNeverDrawsTheBarsButtonsOverTheirLabels) {
    grid_.show();
    for (const int ancho : {900, 300, 120}) {
        SCOPED_TRACE(ancho);
        grid_.resize(ancho, 400);
        for (const char* nombre : {"FrmComandos", "FrmFiltros"}) {
            auto* barra = Control<QWidget>(nombre);
            EXPECT_GE(barra->width(), barra->minimumSizeHint().width()) << nombre;
        }
        const QRect etiqueta = Control<QWidget>("lblPaginas")->geometry();
        for (const char* boton : {"cmdPrimero", "cmdAnterior", "cmdSiguiente", "cmdUltimo", "cboPagSelect"}) {
            EXPECT_FALSE(Control<QWidget>(boton)->geometry().intersects(etiqueta)) << boton;
        }
        EXPECT_FALSE(Control<QWidget>("txtBuscar")->geometry().intersects(Control<QWidget>("Label1")->geometry()));
    }
}

}  // namespace
}  // namespace authorization
