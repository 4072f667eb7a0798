// The grid's search, its cancel button and its column choice, in an offscreen
// window over the fixture database.
#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

#include "authorization/frm_campos.h"
#include "authorization/tsdbgrid.h"
#include "grid_fixture.h"
#include "ui/flexgrid.h"
#include "vb/text.h"

namespace authorization {
namespace {

using testing::GridDbTest;
using testing::Hijo;
using testing::Pulsar;
using testing::kConsultaPrincipal;

constexpr const char* kSinResultados = "No se encontraron registros que coincidan con la búsqueda.";
constexpr const char* kFechaInvalida = "Debe Ingresar un Formato de Fecha Válido.";
constexpr std::uint32_t kResaltado = ui::RGB(192, 232, 232);

// The condition of a search for "ana" in every column of the main window's query.
// Texts are compared as they are; the amount, a number, as text.
constexpr const char* kCondicionAna =
    " ( [TC] LIKE '%ana%' or  [IDCOMPROBANTE] LIKE '%ana%' or  [NOMBRE] LIKE '%ana%' or  "
    "CONVERT(NVARCHAR,[IMPORTE]) LIKE '%ana%' or  [OBSERVACIONES] LIKE '%ana%') ";

std::string Etiqueta(int pagina, int ultima) {
    return "        Página        " + std::to_string(pagina) + " de " + std::to_string(ultima);
}

std::vector<std::string> Del(int desde, int hasta) {
    std::vector<std::string> numeros;
    for (int i = desde; i <= hasta; ++i) numeros.push_back(std::to_string(i));
    return numeros;
}

// The fixture's orders: 25 blocked NP orders; names cycle through seven
// (Ana: orders 0, 7, 14 and 21), numbers 0001-00001000 on, dates 2024-01-01
// for orders 0, 9 and 18, every VENCIMIENTO 2024-03-10.
class BusquedaTest : public GridDbTest {
protected:
    BusquedaTest() { grid_.resize(900, 500); }

    void Cargar(int ordenes = 25) {
        AgregarOrdenes(ordenes);
        grid_.SetSQL(kConsultaPrincipal);
        grid_.SetPageSize(10);
        grid_.SetAnchoColFijo(false);
        grid_.LoadTsDBGrid();
        TomarSentencias();
    }

    template <class W>
    W* Control(const char* nombre) {
        return Hijo<W>(grid_, nombre);
    }
    void Clic(const char* boton) { Pulsar(grid_, boton); }
    QLineEdit* Caja() { return Control<QLineEdit>("txtBuscar"); }
    ui::FlexGrid& Grilla() { return grid_.MsFlexGrid(); }

    // Types `texto` into the search box, with `campo` chosen, and presses Enter.
    void Buscar(const std::string& texto, const char* campo = "Todos") {
        auto* campos = Control<QComboBox>("CboFiltroCampo");
        const int indice = campos->findText(QString::fromUtf8(campo));
        ASSERT_GE(indice, 0) << campo;
        campos->setCurrentIndex(indice);
        Caja()->setText(QString::fromStdString(texto));
        QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
        QApplication::sendEvent(Caja(), &enter);
    }

    std::vector<std::string> Columna(const std::string& titulo) {
        std::vector<std::string> textos;
        for (int c = 1; c < Grilla().Cols(); ++c) {
            if (Grilla().TextMatrix(0, c) != titulo) continue;
            for (int r = 1; r < Grilla().Rows(); ++r) textos.push_back(Grilla().TextMatrix(r, c));
        }
        return textos;
    }
    // The record numbers, column 0.
    std::vector<std::string> Numeros() {
        std::vector<std::string> numeros;
        for (int r = 1; r < Grilla().Rows(); ++r) numeros.push_back(Grilla().TextMatrix(r, 0));
        return numeros;
    }
    std::vector<std::string> Titulos() {
        std::vector<std::string> titulos;
        for (int c = 1; c < Grilla().Cols(); ++c) titulos.push_back(Grilla().TextMatrix(0, c));
        return titulos;
    }
    std::string TextoEtiqueta() { return Control<QLabel>("lblPaginas")->text().toStdString(); }

    TsDbGrid grid_;
};

// ---- Search in every page ---------------------------------------------------------------

TEST_F(BusquedaTest, ASearchFiltersEveryPageASecondOneNarrowsItAndRefreshClearsIt) {
    Cargar();
    Buscar("ana");
    EXPECT_TRUE(operator_.Shown().empty());
    EXPECT_EQ(grid_.FiltroBusqueda(), kCondicionAna);
    EXPECT_EQ(grid_.TotalRegistros(), 4);
    EXPECT_EQ(grid_.UltimaPagina(), 1);
    EXPECT_EQ(Columna("CLIENTE"), std::vector<std::string>(4, "Ana"));
    EXPECT_TRUE(Caja()->text().isEmpty());

    Buscar("1007", "NUMERO");
    EXPECT_EQ(grid_.FiltroBusqueda(),
              std::string(kCondicionAna) + " and  [IDCOMPROBANTE] LIKE '%1007%'");
    EXPECT_EQ(Columna("NUMERO"), std::vector<std::string>{"0001-00001007"});
    EXPECT_EQ(grid_.TotalRegistros(), 1);

    Clic("ACTUALIZAR");
    EXPECT_EQ(grid_.FiltroBusqueda(), "");
    EXPECT_EQ(grid_.TotalRegistros(), 25);
    EXPECT_EQ(Numeros(), Del(1, 10));
    EXPECT_TRUE(operator_.Shown().empty());
}

struct CasoTexto {
    const char* texto;
    const char* campo;
    std::vector<std::string> clientes;  // empty: nothing found, and said so
};

// Typed text is searched for, never run: an apostrophe stays inside the
// literal, "%" matches anything.
TEST_F(BusquedaTest, ApostrophesAreSearchedForAndPercentMatchesAnything) {
    db_.gCnn.Execute("INSERT INTO V_MV_CPTE (ID, TC, IDCOMPROBANTE, FECHA, FECHAESTFIN, NOMBRE, IMPORTE, "
                     "OBSERVACIONES, BLOQUEADA) VALUES (500, 'NP', '0001-00009999', '2024-02-02 00:00:00', "
                     "'2024-03-10 00:00:00', 'O''Brien', 1, 'obs', 1)");
    Cargar();
    const CasoTexto casos[] = {
        {"O'Brien", "Todos", {"O'Brien"}},
        {"o'brien", "CLIENTE", {"O'Brien"}},
        {"O%ien", "CLIENTE", {"O'Brien"}},
        {"' OR ''='", "Todos", {}},
        {"x' OR '1'='1", "CLIENTE", {}},
    };
    for (const CasoTexto& caso : casos) {
        SCOPED_TRACE(caso.texto);
        operator_.ClearShown();
        if (caso.clientes.empty()) operator_.AnswerMsgBox(ui::vbOK);
        Buscar(caso.texto, caso.campo);
        if (caso.clientes.empty()) {
            EXPECT_EQ(Numeros(), Del(1, 10));  // the whole list, as before the search
            EXPECT_EQ(grid_.FiltroBusqueda(), "");
            ASSERT_EQ(operator_.Shown().size(), 1u);
            EXPECT_EQ(operator_.Shown()[0].prompt, kSinResultados);
        } else {
            EXPECT_EQ(Columna("CLIENTE"), caso.clientes);
            EXPECT_TRUE(operator_.Shown().empty());
        }
        Clic("ACTUALIZAR");
    }
}

struct CasoTodos {
    const char* texto;
    std::vector<std::string> numeros;  // of the orders found, in the list's order
};

// A search in every column finds a text, however its letters are written, in
// the text columns and an amount in the number column; accents count, "_" is
// one letter however many bytes it takes, and empty cells match nothing.
TEST_F(BusquedaTest, EveryColumnSearchFindsTextsAndNumbersLetterByLetter) {
    struct Fila {
        int id;
        const char* numero;
        const char* nombre;
        const char* importe;
        const char* observaciones;
    };
    const Fila filas[] = {
        {601, "0002-00000601", "Pe\xC3\xB1" "a \xC3\x81lvarez", "1234.5", "NULL"},
        {602, "0002-00000602", "\xC3\x91" "AND\xC3\x9A SA", "77", "'entrega 10%'"},
        {603, "0002-00000603", "\xE2\x84\xAA" "iosco", "78", "NULL"},  // a Kelvin sign first
        {604, "0002-00000604", "Distribuidora de insumos del litoral Norte", "79", "'a_b'"},
        {605, "0002-00000605", "NULL", "80", "'Pena'"},
    };
    for (const Fila& f : filas) {
        const std::string nombre = std::string(f.nombre) == "NULL" ? "NULL" : "'" + std::string(f.nombre) + "'";
        db_.gCnn.Execute("INSERT INTO V_MV_CPTE (ID, TC, IDCOMPROBANTE, FECHA, FECHAESTFIN, NOMBRE, IMPORTE, "
                         "OBSERVACIONES, BLOQUEADA) VALUES (" + std::to_string(f.id) + ", 'NP', '" + f.numero +
                         "', '2024-02-02 00:00:00', '2024-03-10 00:00:00', " + nombre + ", " + f.importe + ", " +
                         f.observaciones + ", 1)");
    }
    Cargar();
    const CasoTodos casos[] = {
        {"pe\xC3\xB1" "a", {"0002-00000601"}},
        {"PE\xC3\x91" "A \xC3\x81LV", {"0002-00000601"}},
        {"pena", {"0002-00000605"}},  // not "Peña"; a Null name beside it
        {"\xC3\xB1" "and\xC3\xBA", {"0002-00000602"}},
        {"_AND\xC3\x9A", {"0002-00000602"}},
        {"KIOSCO", {"0002-00000603"}},
        {"litoral norte", {"0002-00000604"}},  // past the 30th letter
        {"1234.5", {"0002-00000601"}},
        {"34.5", {"0002-00000601"}},
        {"entrega 1_%", {"0002-00000602"}},
        {"a_b", {"0002-00000604"}},
    };
    for (const CasoTodos& caso : casos) {
        SCOPED_TRACE(caso.texto);
        Buscar(caso.texto);
        EXPECT_TRUE(operator_.Shown().empty());
        EXPECT_EQ(Columna("NUMERO"), caso.numeros);
        Clic("ACTUALIZAR");
    }
}

// A search that finds nothing says so and leaves the list as it was: page,
// count and filter. The next search starts from that list, as if the failed
// one had never been typed ("Tuerka", then "Tuerca").
TEST_F(BusquedaTest, ASearchThatFindsNothingSaysSoAndTheNextStartsFromTheListBeforeIt) {
    Cargar();
    Clic("cmdSiguiente");
    TomarSentencias();
    operator_.AnswerMsgBox(ui::vbOK);
    Buscar("zzz");

    ASSERT_EQ(operator_.Shown().size(), 1u);
    EXPECT_EQ(operator_.Shown()[0].kind, "MsgBox");
    EXPECT_EQ(operator_.Shown()[0].title, "Aviso al Usuario");
    EXPECT_EQ(operator_.Shown()[0].prompt, kSinResultados);
    EXPECT_EQ(operator_.Shown()[0].style, ui::vbInformation);
    EXPECT_EQ(Numeros(), Del(11, 20));
    EXPECT_EQ(grid_.FiltroBusqueda(), "");
    EXPECT_EQ(grid_.TotalRegistros(), 25);
    EXPECT_EQ(grid_.PaginaActual(), 2);
    EXPECT_EQ(grid_.UltimaPagina(), 3);
    EXPECT_EQ(TextoEtiqueta(), Etiqueta(2, 3));
    EXPECT_TRUE(Caja()->text().isEmpty());
    const std::vector<std::string> corridas = TomarSentencias();
    ASSERT_EQ(corridas.size(), 1u);  // the count only: the page shown stays
    EXPECT_NE(corridas[0].find("%zzz%"), std::string::npos);

    // From the whole list, "ana" finds its four orders.
    Buscar("ana");
    EXPECT_EQ(operator_.Shown().size(), 1u);
    EXPECT_EQ(grid_.FiltroBusqueda(), kCondicionAna);
    EXPECT_EQ(Columna("CLIENTE"), std::vector<std::string>(4, "Ana"));

    // Narrowed to nothing, the filtered list stays, filtered; the next search
    // narrows it.
    operator_.AnswerMsgBox(ui::vbOK);
    Buscar("zzz", "CLIENTE");
    EXPECT_EQ(operator_.Shown().size(), 2u);
    EXPECT_EQ(grid_.FiltroBusqueda(), kCondicionAna);
    EXPECT_EQ(grid_.TotalRegistros(), 4);
    EXPECT_EQ(Columna("CLIENTE"), std::vector<std::string>(4, "Ana"));
    Buscar("1007", "NUMERO");
    EXPECT_EQ(operator_.Shown().size(), 2u);
    EXPECT_EQ(Columna("NUMERO"), std::vector<std::string>{"0001-00001007"});
    Clic("ImgOrdenN");
    EXPECT_EQ(Columna("NUMERO"), std::vector<std::string>{"0001-00001007"});

    Clic("ACTUALIZAR");
    EXPECT_EQ(grid_.TotalRegistros(), 25);
    EXPECT_EQ(Numeros(), Del(1, 10));
}

struct CasoFecha {
    const char* campo;
    const char* texto;
    std::int64_t total;
};

TEST_F(BusquedaTest, DatesAreSearchedAsDates) {
    Cargar();
    const CasoFecha casos[] = {
        {"FECHA", "01/01/2024", 3},
        {"FECHA", "1/1/24", 3},
        {"FECHA", "2024-01-01", 3},
        {"Todos", "01/01/2024", 3},
        {"VENCIMIENTO", "10/03/2024", 25},
    };
    for (const CasoFecha& caso : casos) {
        SCOPED_TRACE(std::string(caso.campo) + " " + caso.texto);
        Buscar(caso.texto, caso.campo);
        EXPECT_TRUE(operator_.Shown().empty());
        EXPECT_EQ(grid_.TotalRegistros(), caso.total);
        if (caso.total == 3) {
            EXPECT_EQ(Columna("FECHA"), std::vector<std::string>(3, "01/01/2024"));
        }
        Clic("ACTUALIZAR");
    }
}

TEST_F(BusquedaTest, TextThatIsNoDateInADateColumnIsRefusedAndKept) {
    Cargar();
    Buscar("ana");
    TomarSentencias();
    operator_.AnswerMsgBox(ui::vbOK);
    Buscar("abc", "FECHA");
    ASSERT_EQ(operator_.Shown().size(), 1u);
    EXPECT_EQ(operator_.Shown()[0].prompt, kFechaInvalida);
    EXPECT_EQ(operator_.Shown()[0].title, "Aviso al Usuario");
    EXPECT_EQ(operator_.Shown()[0].style, ui::vbInformation);
    EXPECT_EQ(Caja()->text().toStdString(), "abc");
    EXPECT_EQ(grid_.FiltroBusqueda(), kCondicionAna);
    EXPECT_TRUE(TomarSentencias().empty());
    EXPECT_EQ(Columna("CLIENTE"), std::vector<std::string>(4, "Ana"));
}

// ---- Search in the loaded page ----------------------------------------------------------------

struct CasoPagina {
    const char* nombre;
    const char* campo;
    const char* caja;
    std::optional<std::string> respuesta;  // to the input box, when the box is empty
    std::function<bool(int, const std::string&, const std::string&)> marcada;  // column, title, text
};

TEST_F(BusquedaTest, InThePageTheCellsFoundAreColouredAndNothingIsLoaded) {
    const CasoPagina casos[] = {
        {"every column", "Todos", "ANA", std::nullopt,
         [](int, const std::string&, const std::string& t) { return vb::Contains(t, "ana", vb::Compare::Text); }},
        {"one column", "CLIENTE", "", std::string("beto"),
         [](int, const std::string& titulo, const std::string& t) { return titulo == "CLIENTE" && t == "Beto"; }},
        {"empty answer: every cell", "Todos", "  ", std::string(""),
         [](int, const std::string&, const std::string&) { return true; }},
        {"empty answer: every cell of the column", "NUMERO", "", std::nullopt,
         [](int, const std::string& titulo, const std::string&) { return titulo == "NUMERO"; }},
        {"no such column", "NOPE", "Ana", std::nullopt,
         [](int, const std::string&, const std::string&) { return false; }},
    };
    grid_.SetFind(1);
    Cargar();
    Control<QComboBox>("CboFiltroCampo")->addItem("NOPE");
    for (const CasoPagina& caso : casos) {
        SCOPED_TRACE(caso.nombre);
        grid_.CargarGrid();  // a fresh page, without colours
        TomarSentencias();
        operator_.ClearShown();
        const bool pregunta = vb::Trim(caso.caja).empty();
        if (pregunta) operator_.AnswerInputBox(caso.respuesta);
        Buscar(caso.caja, caso.campo);

        int ultimaFila = -1;
        int ultimaColumna = -1;
        for (int r = 1; r < Grilla().Rows(); ++r) {
            for (int c = 1; c < Grilla().Cols(); ++c) {
                const bool marcada = caso.marcada(c, Grilla().TextMatrix(0, c), Grilla().TextMatrix(r, c));
                EXPECT_EQ(Grilla().CellBackColorAt(r, c) == kResaltado, marcada) << r << "," << c;
                if (marcada) {
                    ultimaFila = r;
                    ultimaColumna = c;
                }
            }
            EXPECT_NE(Grilla().CellBackColorAt(r, 0), kResaltado);
        }
        if (ultimaFila > 0) {
            EXPECT_EQ(Grilla().Row(), ultimaFila);
            EXPECT_EQ(Grilla().Col(), ultimaColumna);
        }
        EXPECT_TRUE(TomarSentencias().empty());
        EXPECT_TRUE(Caja()->text().isEmpty());
        ASSERT_EQ(operator_.Shown().size(), pregunta ? 1u : 0u);
        if (pregunta) {
            EXPECT_EQ(operator_.Shown()[0].kind, "InputBox");
            EXPECT_EQ(operator_.Shown()[0].prompt,
                      std::string("Campo seleccionado: ") + caso.campo +
                          "\r\nIngrese el texto que desea buscar para el campo seleccionado: ");
        }
    }
    EXPECT_EQ(grid_.FiltroBusqueda(), "");
}

// ---- Cancelling a load ----------------------------------------------------------------------------

// Clicks "Cancelar carga..." at the n-th event pump during which it shows.
class OperadorQueCancela : public ui::ScriptedOperator {
public:
    explicit OperadorQueCancela(TsDbGrid& grid) : cancelar_(grid.findChild<QPushButton*>("CmdCancel")) {}
    void DoEvents() override {
        if (!cancelar_->isHidden() && ++bombeos == enBombeo) cancelar_->click();
        ui::ScriptedOperator::DoEvents();
    }
    int enBombeo = 0;
    int bombeos = 0;

private:
    QPushButton* cancelar_;
};

struct CasoCancelar {
    const char* nombre;
    bool busqueda;  // else a page size of 5
    int enBombeo;
    bool cancelada;
};

TEST_F(BusquedaTest, CancellingALoadKeepsThePreviousPage) {
    const CasoCancelar casos[] = {
        {"search, while counting", true, 1, true},
        {"search, after the count", true, 2, true},
        {"search, with the pages listed", true, 3, true},
        {"search, before the page is read", true, 4, true},
        {"search, after the page was shown", true, 5, false},
        {"page size, with the pages listed", false, 1, true},
        {"page size, before the page is read", false, 2, true},
    };
    Cargar();
    OperadorQueCancela operador(grid_);
    for (const CasoCancelar& caso : casos) {
        SCOPED_TRACE(caso.nombre);
        operador.enBombeo = 0;
        Clic("ACTUALIZAR");
        Clic("cmdPrimero");
        Clic("cmdSiguiente");
        ASSERT_EQ(Numeros(), Del(11, 20));
        operador.bombeos = 0;
        operador.enBombeo = caso.enBombeo;
        if (caso.busqueda) {
            Buscar("ana");
        } else {
            auto* tamano = Control<QComboBox>("CboRegistros");
            tamano->setEditText("5");
            QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
            QApplication::sendEvent(tamano, &enter);
        }
        ASSERT_GE(operador.bombeos, caso.enBombeo);
        EXPECT_TRUE(Control<QPushButton>("CmdCancel")->isHidden());
        EXPECT_TRUE(operador.Shown().empty());
        if (!caso.cancelada) {
            EXPECT_EQ(Columna("CLIENTE"), std::vector<std::string>(4, "Ana"));
            continue;
        }
        EXPECT_EQ(Numeros(), Del(11, 20));
        EXPECT_EQ(grid_.PaginaActual(), 2);
        EXPECT_EQ(TextoEtiqueta(), Etiqueta(2, 3));
        EXPECT_EQ(Control<QComboBox>("cboPagSelect")->count(), 3);
        EXPECT_EQ(Control<QComboBox>("cboPagSelect")->currentText().toStdString(), "2");
        EXPECT_EQ(grid_.FiltroBusqueda(), "");
        EXPECT_EQ(grid_.PageSize(), 10);
        EXPECT_EQ(Control<QComboBox>("CboRegistros")->currentText().toStdString(), "10");
        if (caso.busqueda) {
            EXPECT_EQ(Caja()->text().toStdString(), "ana");  // for another try
        }
        EXPECT_FALSE(grid_.Cargando());

        // The grid goes on from the page it shows.
        Clic("cmdSiguiente");
        EXPECT_EQ(Numeros(), Del(21, 25));
        Caja()->clear();
    }
}

// ---- Column choice ---------------------------------------------------------------------------------

FrmCampos& Selector(QWidget& w) { return dynamic_cast<FrmCampos&>(w); }

TEST_F(BusquedaTest, ChosenColumnsAreShownAndSearchedWithTheirDates) {
    grid_.SetColumnas(true);
    Cargar();
    Clic("cmdSiguiente");
    operator_.OnModal([](QWidget& w) {
        FrmCampos& f = Selector(w);
        f.LstCampos->item(0)->setSelected(true);  // TC
        f.LstCampos->item(2)->setSelected(true);  // FECHA
        f.cmdAplicar->click();
    });
    Clic("cmdColumnas");

    EXPECT_EQ(grid_.CamposSel(), "[TC], CONVERT(NVARCHAR,[FECHA],103) AS [FECHA], ID");
    EXPECT_EQ(grid_.ListaCamposSel(), "[TC], [FECHA], ID");
    EXPECT_EQ(grid_.OrdinalSel(), "0|2|");
    EXPECT_EQ(grid_.ColumnasFecha(), "|1|");
    EXPECT_EQ(grid_.OrdenSent(), 0);
    EXPECT_EQ(Titulos(), (std::vector<std::string>{"TC", "FECHA", "ID"}));
    EXPECT_EQ(Numeros(), Del(11, 20));  // the page stays
    // The next and the previous page go on in the chosen columns, though the
    // next page was read once before the choice.
    Clic("cmdSiguiente");
    EXPECT_EQ(Titulos(), (std::vector<std::string>{"TC", "FECHA", "ID"}));
    EXPECT_EQ(Numeros(), Del(21, 25));
    Clic("cmdAnterior");
    EXPECT_EQ(Titulos(), (std::vector<std::string>{"TC", "FECHA", "ID"}));
    EXPECT_EQ(Numeros(), Del(11, 20));
    auto* campos = Control<QComboBox>("CboFiltroCampo");
    ASSERT_EQ(campos->count(), 3);
    EXPECT_EQ(campos->itemText(2).toStdString(), "FECHA");
    ASSERT_EQ(operator_.Shown().size(), 1u);

    // A date searched in the chosen date column, by itself and among all.
    for (const char* campo : {"FECHA", "Todos"}) {
        SCOPED_TRACE(campo);
        Buscar("01/01/2024", campo);
        EXPECT_EQ(grid_.TotalRegistros(), 3);
        EXPECT_EQ(Columna("FECHA"), std::vector<std::string>(3, "01/01/2024"));
        Clic("ACTUALIZAR");
    }

    // Reopened, the chooser lists the choice first; closing it changes nothing.
    std::vector<std::string> lista;
    std::vector<bool> elegidas;
    operator_.OnModal([&](QWidget& w) {
        FrmCampos& f = Selector(w);
        for (int i = 0; i < f.LstCampos->count(); ++i) {
            lista.push_back(f.LstCampos->item(i)->text().toStdString());
            elegidas.push_back(f.LstCampos->item(i)->isSelected());
        }
        f.close();
    });
    Clic("cmdColumnas");
    EXPECT_EQ(lista, (std::vector<std::string>{"TC", "FECHA", "NUMERO", "VENCIMIENTO", "CLIENTE", "IMPORTE",
                                                "OBSERVACIONES"}));
    EXPECT_EQ(elegidas, (std::vector<bool>{true, true, false, false, false, false, false}));
    EXPECT_EQ(grid_.CamposSel(), "[TC], CONVERT(NVARCHAR,[FECHA],103) AS [FECHA], ID");
    EXPECT_EQ(Titulos(), (std::vector<std::string>{"TC", "FECHA", "ID"}));
}

struct CasoEleccionFallida {
    const char* nombre;
    bool elegirUna;                // else apply with nothing selected
    bool sinTabla;                 // the field-list query fails
    std::vector<int> respuestas;   // to the boxes that follow
    const char* mensaje;           // in the last box
};

TEST_F(BusquedaTest, AChoiceOfNoColumnOrAFailingQueryLeavesTheGridAsItWas) {
    const CasoEleccionFallida casos[] = {
        {"no column chosen", false, false, {ui::vbAbort}, "No se eligió ninguna columna para mostrar."},
        {"no column chosen, go on", false, false, {ui::vbIgnore}, "No se eligió ninguna columna para mostrar."},
        {"failing query", true, true, {ui::vbAbort, ui::vbAbort}, "V_MV_CPTE"},
        {"failing query, go on", true, true, {ui::vbAbort, ui::vbIgnore}, "V_MV_CPTE"},
    };
    grid_.SetColumnas(true);
    Cargar();
    for (const CasoEleccionFallida& caso : casos) {
        SCOPED_TRACE(caso.nombre);
        operator_.ClearShown();
        if (caso.sinTabla) db_.gCnn.Execute("ALTER TABLE V_MV_CPTE RENAME TO APARTE");
        operator_.OnModal([elegir = caso.elegirUna](QWidget& w) {
            FrmCampos& f = Selector(w);
            if (elegir) f.LstCampos->item(1)->setSelected(true);
            f.cmdAplicar->click();
        });
        for (int respuesta : caso.respuestas) operator_.AnswerMsgBox(respuesta);
        Clic("cmdColumnas");
        if (caso.sinTabla) db_.gCnn.Execute("ALTER TABLE APARTE RENAME TO V_MV_CPTE");

        ASSERT_EQ(operator_.Shown().size(), caso.respuestas.size() + 1);
        EXPECT_NE(operator_.Shown().back().prompt.find(caso.mensaje), std::string::npos)
            << operator_.Shown().back().prompt;
        EXPECT_EQ(operator_.PendingAnswers(), 0u);
        EXPECT_EQ(grid_.CamposSel(), "");
        EXPECT_EQ(grid_.ListaCamposSel(), "");
        EXPECT_EQ(grid_.OrdinalSel(), "");
        EXPECT_EQ(grid_.ColumnasFecha(), "|2||3|");
        EXPECT_EQ(Titulos().size(), 8u);
        EXPECT_EQ(Numeros(), Del(1, 10));
        EXPECT_EQ(Control<QComboBox>("CboFiltroCampo")->count(), 8);
    }
}

}  // namespace
}  // namespace authorization
