// In-cell editing of the two lot dialogs: opening the editor from the grid's
// keys, the per-cell checks, the moves of Enter, Up, Down and Esc, the
// write-back, the toolbar, and an edit still open when the user accepts.
#include <gtest/gtest.h>

#include <QLineEdit>
#include <QPushButton>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "dialogos_fixture.h"
#include "lots/frm_carga_lotesy_series.h"
#include "lots/frm_lotey_posicion.h"

namespace lots::testing {
namespace {

class EdicionTest : public LotesTest {
protected:
    EdicionTest() {
        Articulo("P1", "UN", false, true);
        Stock("P1", "0001", "L1", std::nullopt, std::nullopt, 5);
        Stock("P1", "0001", "L2", std::nullopt, std::nullopt, 3);
        Posicion("0001", "P1", 1);
        Posicion("0001", "P2", 2);
        Saldo("0001", "P1", "P1", "L1", "UN", "2");
        Saldo("0001", "P1", "P2", "L1", "UN", "4");
    }

    // Entry mode with `cantidad` units.
    std::unique_ptr<FrmCargaLotesySeries> Entrada(double cantidad, bool serie, bool lote) {
        auto frm = std::make_unique<FrmCargaLotesySeries>();
        frm->Cantidad = cantidad;
        frm->EsSerie = serie;
        frm->EsLote = lote;
        frm->CargaDatos();
        frm->show();
        return frm;
    }

    // Pick mode from depot 0001 (article P1, kept by lot unless told otherwise).
    std::unique_ptr<FrmCargaLotesySeries> Salida(double cantidad, bool serie = false, bool lote = true,
                                                 const std::string& articulo = "P1") {
        auto frm = std::make_unique<FrmCargaLotesySeries>();
        frm->EsConsultaDeSerieLote = true;
        frm->Cantidad = cantidad;
        frm->Articulo = articulo;
        frm->Deposito = "0001";
        frm->EsSerie = serie;
        frm->EsLote = lote;
        frm->MostrarForm = true;
        frm->CargaDatos();
        frm->show();
        return frm;
    }

    // Positions and lots of P1 in depot 0001: rows P1 (2), P2 (4).
    std::unique_ptr<FrmLoteyPosicion> Posiciones(double cantidad) {
        auto frm = std::make_unique<FrmLoteyPosicion>();
        frm->Cantidad1 = cantidad;
        frm->EsPosicion = true;
        frm->EsLote = true;
        frm->IUNIDAD = "UN";
        frm->Articulo = "P1";
        frm->Deposito = "0001";
        frm->CargaDatos();
        frm->show();
        return frm;
    }

    // Types `texto` into a cell: a character on the grid opens the editor,
    // the rest goes into the edit box, and `fin` ends the edit.
    static void Escribe(FrmGrillaLotes& frm, int fila, int columna, const std::string& texto,
                        Qt::Key fin = Qt::Key_Return) {
        frm.MSFlexGrid1().MoveToCell(fila, columna);
        if (texto.empty()) {
            Tecla(frm.MSFlexGrid1View(), Qt::Key_Space, " ");
            frm.TxtEdit().clear();
        } else {
            Tecla(frm.MSFlexGrid1View(), Qt::Key_A, QString::fromStdString(texto.substr(0, 1)));
            for (std::size_t i = 1; i < texto.size(); ++i) {
                Tecla(frm.TxtEdit(), Qt::Key_A, QString::fromStdString(texto.substr(i, 1)));
            }
        }
        Tecla(frm.TxtEdit(), fin, fin == Qt::Key_Return ? "\r" : QString());
    }
};

TEST_F(EdicionTest, AControlKeyOpensTheEditorWithTheCellAnyOtherWithItself) {
    struct Caso {
        Qt::Key tecla;
        QString texto;
        std::string esperado;
        int cursor;
    };
    const std::vector<Caso> casos = {
        {Qt::Key_Space, " ", "AB", 2},
        {Qt::Key_Return, "\r", "AB", 2},
        {Qt::Key_Backspace, "\b", "AB", 2},
        {Qt::Key_X, "x", "x", 1},
        {Qt::Key_N, QString::fromUtf8("ñ"), "ñ", 1},
    };
    auto frm = Entrada(3, true, false);
    frm->MSFlexGrid1().SetTextMatrix(2, 2, "AB");
    for (const Caso& c : casos) {
        frm->MSFlexGrid1().MoveToCell(2, 2);
        Tecla(frm->MSFlexGrid1View(), c.tecla, c.texto);
        ASSERT_TRUE(frm->EditorVisible()) << c.esperado;
        EXPECT_EQ(frm->TxtEdit().text().toStdString(), c.esperado);
        EXPECT_EQ(frm->TxtEdit().cursorPosition(), c.cursor);
        EXPECT_EQ(FrmGrillaLotes::DataField(frm->TxtEdit()), "");
        EXPECT_EQ(frm->TxtEdit().maxLength(), 25);
        Tecla(frm->TxtEdit(), Qt::Key_Escape);  // drops the edit
        EXPECT_FALSE(frm->EditorVisible());
        EXPECT_EQ(frm->MSFlexGrid1().TextMatrix(2, 2), "AB");
    }
}

TEST_F(EdicionTest, OnlyTheColumnsTheUserTypesIntoOpenTheEditor) {
    auto salida = Salida(1);
    auto posiciones = Posiciones(1);
    struct Caso {
        FrmGrillaLotes* frm;
        int columna;
        bool abre;
    };
    const std::vector<Caso> casos = {
        {salida.get(), 1, false}, {salida.get(), 2, false}, {salida.get(), 3, true},
        {posiciones.get(), 1, false}, {posiciones.get(), 3, false}, {posiciones.get(), 4, true},
    };
    for (const Caso& c : casos) {
        c.frm->MSFlexGrid1().MoveToCell(1, c.columna);
        Tecla(c.frm->MSFlexGrid1View(), Qt::Key_1, "1");
        EXPECT_EQ(c.frm->EditorVisible(), c.abre) << c.frm->objectName().toStdString() << " " << c.columna;
        if (!c.abre) continue;
        EXPECT_EQ(FrmGrillaLotes::DataField(c.frm->TxtEdit()), "Cantidad");
        Tecla(c.frm->TxtEdit(), Qt::Key_Escape);
    }
}

TEST_F(EdicionTest, QuantitiesAreCheckedPerCell) {
    Articulo("S1", "UN", true, false);
    Stock("S1", "0001", std::nullopt, "N1", std::nullopt, 5);
    struct Caso {
        const char* dialogo;  // "lote", "serie" or "posicion"
        std::string valor;
        std::string mensaje;  // "" when it passes
    };
    const std::vector<Caso> casos = {
        {"lote", "2,5", "No Puede Informase Cantidades que no Sean Enteras"},
        {"lote", "-1", "La Cantidad no puede ser Menor a Cero"},
        {"lote", "6", "La Cantidad supera a la cantidad disponible en Stock"},
        {"lote", "", ""},
        {"lote", "5", ""},
        {"lote", "40000", "La Cantidad supera a la cantidad disponible en Stock"},  // no 16-bit overflow
        {"serie", "6", ""},  // serial articles are not held to the stock column
        {"posicion", "3", "No hay disponible para esa posicion"},
        {"posicion", "-1", "La Cantidad no puede ser Menor a Cero"},
        {"posicion", "", ""},
        {"posicion", "2", ""},
        // Only a number (or nothing) is a quantity: "|" would shift the list of quantities.
        {"lote", "|", "La Cantidad debe ser un Número"},
        {"lote", "2|", "La Cantidad debe ser un Número"},
        {"serie", "x", "La Cantidad debe ser un Número"},
        {"posicion", "|", "La Cantidad debe ser un Número"},
        // A number too large to keep is refused in Spanish, losing nothing typed.
        {"lote", "1e400", "La Cantidad es un número demasiado grande"},
        {"serie", "99999999999999999999", "La Cantidad es un número demasiado grande"},
        {"posicion", "1e400", "La Cantidad es un número demasiado grande"},
        {"posicion", "99999999999999999999", "La Cantidad es un número demasiado grande"},
    };
    for (const Caso& c : casos) {
        SCOPED_TRACE(std::string(c.dialogo) + " " + c.valor);
        operator_.ClearShown();
        std::unique_ptr<FrmGrillaLotes> frm;
        int columna = 3;
        if (std::string(c.dialogo) == "lote") {
            frm = Salida(1);
        } else if (std::string(c.dialogo) == "serie") {
            frm = Salida(1, true, false, "S1");
        } else {
            frm = Posiciones(1);
            columna = 4;
        }
        const std::string antes = frm->MSFlexGrid1().TextMatrix(1, columna);
        if (!c.mensaje.empty()) operator_.AnswerMsgBox(ui::vbOK);
        Escribe(*frm, 1, columna, c.valor);
        EXPECT_EQ(frm->CeldaRechazada(), !c.mensaje.empty());
        const auto cajas = Cajas("MsgBox");
        if (c.mensaje.empty()) {
            EXPECT_TRUE(cajas.empty());
            EXPECT_FALSE(frm->EditorVisible());
            EXPECT_EQ(frm->MSFlexGrid1().TextMatrix(1, columna), c.valor);
            continue;
        }
        ASSERT_EQ(cajas.size(), 1u);
        EXPECT_EQ(cajas[0].prompt, c.mensaje);
        EXPECT_EQ(cajas[0].title, "Aviso al Operador");
        EXPECT_EQ(cajas[0].style, ui::vbCritical);
        // Refused: the editor stays open with its text, the cell and the current cell keep theirs.
        EXPECT_TRUE(frm->EditorVisible());
        EXPECT_EQ(frm->TxtEdit().text().toStdString(), c.valor);
        EXPECT_EQ(frm->MSFlexGrid1().TextMatrix(1, columna), antes);
        EXPECT_EQ(frm->MSFlexGrid1().Row(), 1);
    }
}

TEST_F(EdicionTest, ACodeTypedInRowOneFillsTheBlankRowsAtOnce) {
    auto frm = Entrada(4, false, true);
    frm->MSFlexGrid1().SetTextMatrix(3, 2, "OTRO");
    Escribe(*frm, 2, 2, "Z9");
    EXPECT_EQ(Columna(frm->MSFlexGrid1(), 2), (Textos{"", "Z9", "OTRO", ""}));  // row 2 fills nothing

    Escribe(*frm, 1, 2, "L7");
    EXPECT_EQ(Columna(frm->MSFlexGrid1(), 2), (Textos{"L7", "Z9", "OTRO", "L7"}));
    EXPECT_EQ(frm->MSFlexGrid1().Row(), 2);

    // Esc after a code in row 1: the fill happens, the edit itself is dropped.
    auto otro = Entrada(2, false, true);
    Escribe(*otro, 1, 2, "Q", Qt::Key_Escape);
    EXPECT_EQ(Columna(otro->MSFlexGrid1(), 2), (Textos{"Q", "Q"}));
}

TEST_F(EdicionTest, EnterUpAndDownMoveTheCurrentCell) {
    struct Paso {
        Qt::Key tecla;
        int fila, columna;  // where the edit starts
        int filaFinal, columnaFinal;
    };
    struct Caso {
        const char* nombre;
        std::function<std::unique_ptr<FrmGrillaLotes>()> crea;
        std::vector<Paso> pasos;
    };
    const std::vector<Caso> casos = {
        {"pick", [this] { return Salida(1); },
         {{Qt::Key_Return, 1, 3, 2, 3}, {Qt::Key_Return, 3, 3, 3, 3}, {Qt::Key_Up, 1, 3, 1, 3},
          {Qt::Key_Down, 3, 3, 3, 3}, {Qt::Key_Down, 1, 3, 2, 3}, {Qt::Key_Up, 2, 3, 1, 3}}},
        {"lot and serial", [this] { return Entrada(2, true, true); },
         {{Qt::Key_Return, 1, 2, 1, 3}, {Qt::Key_Return, 1, 3, 2, 2}, {Qt::Key_Return, 2, 3, 2, 2}}},
        {"lot", [this] { return Entrada(2, false, true); },
         {{Qt::Key_Return, 1, 2, 2, 2}, {Qt::Key_Return, 2, 1, 2, 1}}},
        {"positions", [this] { return Posiciones(1); }, {{Qt::Key_Return, 1, 4, 2, 4}}},
    };
    for (const Caso& c : casos) {
        auto frm = c.crea();
        for (const Paso& p : c.pasos) {
            SCOPED_TRACE(std::string(c.nombre) + " from " + std::to_string(p.fila) + "," + std::to_string(p.columna));
            Escribe(*frm, p.fila, p.columna, "1", p.tecla);
            EXPECT_FALSE(frm->EditorVisible());
            EXPECT_EQ(frm->MSFlexGrid1().TextMatrix(p.fila, p.columna), "1");
            EXPECT_EQ(frm->MSFlexGrid1().Row(), p.filaFinal);
            EXPECT_EQ(frm->MSFlexGrid1().Col(), p.columnaFinal);
        }
    }
}

TEST_F(EdicionTest, EnterOnTheLastPositionRowGoesToTheAcceptButton) {
    auto frm = Posiciones(1);
    const int ultima = frm->MSFlexGrid1().Rows() - 1;
    Escribe(*frm, ultima, 4, "1");
    EXPECT_EQ(frm->MSFlexGrid1().Row(), ultima);
    EXPECT_EQ(frm->focusWidget(), &frm->CmdAceptar());
}

TEST_F(EdicionTest, LeavingTheCellWritesTheEditAsTyped) {
    auto frm = Entrada(2, true, false);
    frm->MSFlexGrid1().MoveToCell(2, 2);
    Tecla(frm->MSFlexGrid1View(), Qt::Key_Space, " ");
    frm->TxtEdit().setText(" a ");
    frm->MSFlexGrid1().MoveToCell(1, 2);  // LeaveCell
    EXPECT_FALSE(frm->EditorVisible());
    EXPECT_EQ(frm->MSFlexGrid1().TextMatrix(2, 2), " a ");
}

TEST_F(EdicionTest, ToolbarFillsOrBlanksTheCellsBelow) {
    auto frm = Entrada(4, true, false);
    ui::FlexGrid& g = frm->MSFlexGrid1();
    for (int fila = 1; fila <= 4; ++fila) g.SetTextMatrix(fila, 2, "S" + std::to_string(fila));
    g.MoveToCell(2, 2);
    g.SetTextMatrix(2, 2, " X ");
    frm->Toolbar1_ButtonClick(1);
    EXPECT_EQ(Columna(g, 2), (Textos{"S1", " X ", "X", "X"}));
    frm->Toolbar1_ButtonClick(2);
    EXPECT_EQ(Columna(g, 2), (Textos{"S1", " X ", "", ""}));
    g.MoveToCell(4, 2);
    g.SetTextMatrix(4, 2, "Z");
    frm->Toolbar1_ButtonClick(1);
    frm->Toolbar1_ButtonClick(2);
    EXPECT_EQ(Columna(g, 2), (Textos{"S1", " X ", "", "Z"}));
    g.MoveToCell(1, 2);
    g.SetTextMatrix(1, 2, "");
    frm->Toolbar1_ButtonClick(1);  // a blank cell blanks the cells below
    EXPECT_EQ(Columna(g, 2), (Textos{"", "", "", ""}));
}

TEST_F(EdicionTest, PickToolbarActsOnTheQuantityColumnOnly) {
    Articulo("S2", "UN", true, true);
    Stock("S2", "0001", "L1", "S1", std::nullopt, 1);
    Stock("S2", "0001", "L1", "S2", std::nullopt, 1);
    Stock("S2", "0001", "L1", "S3", std::nullopt, 1);
    auto frm = Salida(3, true, true, "S2");
    ui::FlexGrid& g = frm->MSFlexGrid1();
    ASSERT_EQ(Columna(g, 1), (Textos{"S1", "S2", "S3", ""}));
    // Lot and serial are fixed columns: shown, never the current cell.
    EXPECT_EQ(g.FixedCols(), 2);
    ui::FlexGridView& vista = frm->MSFlexGrid1View();
    EXPECT_EQ(vista.model()->headerData(0, Qt::Horizontal).toString(), "SERIE");
    EXPECT_FALSE(vista.model()->flags(vista.IndexOf(2, 1)) & Qt::ItemIsSelectable);
    for (const int columna : {1, 2}) {
        g.MoveToCell(1, columna);
        frm->Toolbar1_ButtonClick(1);
        frm->Toolbar1_ButtonClick(2);
    }
    EXPECT_EQ(Columna(g, 1), (Textos{"S1", "S2", "S3", ""}));
    EXPECT_EQ(Columna(g, 2), (Textos{"1", "1", "1", ""}));
    EXPECT_EQ(Columna(g, 3), (Textos{"1", "1", "1", "0"}));
    g.MoveToCell(1, 3);
    frm->Toolbar1_ButtonClick(2);
    EXPECT_EQ(Columna(g, 3), (Textos{"1", "", "", ""}));
}

TEST_F(EdicionTest, ASeparatorInACodeIsRefused) {
    for (const std::string& codigo : {std::string("L|1"), "L" + Y + "1"}) {
        SCOPED_TRACE(codigo);
        operator_.ClearShown();
        auto frm = Entrada(2, false, true);
        operator_.AnswerMsgBox(ui::vbOK);
        frm->MSFlexGrid1().MoveToCell(1, 2);
        Tecla(frm->MSFlexGrid1View(), Qt::Key_L, "L");
        frm->TxtEdit().setText(QString::fromStdString(codigo));  // typed or pasted
        Tecla(frm->TxtEdit(), Qt::Key_Return, "\r");
        EXPECT_TRUE(frm->CeldaRechazada());
        EXPECT_TRUE(frm->EditorVisible());
        EXPECT_EQ(Columna(frm->MSFlexGrid1(), 2), (Textos{"", ""}));

        // Written back by leaving the cell, it still stops the accept.
        frm->MSFlexGrid1().MoveToCell(2, 2);
        EXPECT_EQ(frm->MSFlexGrid1().TextMatrix(1, 2), codigo);
        operator_.AnswerMsgBox(ui::vbOK);
        frm->CmdAceptar_Click();
        EXPECT_TRUE(frm->isVisible());
        EXPECT_EQ(frm->Lotes, "");
        const auto cajas = Cajas("MsgBox");
        ASSERT_EQ(cajas.size(), 2u);
        for (const auto& caja : cajas) {
            EXPECT_EQ(caja.prompt, "Un Número de Lote o de Serie no puede contener los caracteres \"|\" ni \"" + Y + "\"");
            EXPECT_EQ(caja.title, "Aviso al Operador");
            EXPECT_EQ(caja.style, ui::vbCritical | ui::vbOKOnly);
        }
    }
}

TEST_F(EdicionTest, PositionToolbarActsOnTheQuantityColumnOnly) {
    auto frm = Posiciones(5);
    ui::FlexGrid& g = frm->MSFlexGrid1();
    EXPECT_EQ(Columna(g, 4), (Textos{"2", "3"}));
    g.MoveToCell(1, 3);
    frm->Toolbar1_ButtonClick(1);
    frm->Toolbar1_ButtonClick(2);
    EXPECT_EQ(Columna(g, 3), (Textos{"2", "4"}));
    EXPECT_EQ(Columna(g, 4), (Textos{"2", "3"}));
    g.MoveToCell(1, 4);
    frm->Toolbar1_ButtonClick(2);
    EXPECT_EQ(Columna(g, 4), (Textos{"2", "0"}));
    frm->Toolbar1_ButtonClick(1);
    EXPECT_EQ(Columna(g, 4), (Textos{"2", "2"}));
    frm->Toolbar1_ButtonClick(3);  // propose again
    EXPECT_EQ(Columna(g, 4), (Textos{"2", "3"}));
    EXPECT_EQ(g.Row(), 2);
    EXPECT_EQ(g.Col(), 4);
}

TEST_F(EdicionTest, AnEditStillOpenIsTakenByTheAccept) {
    // Entry mode: the code typed and not yet confirmed is in the list.
    auto entrada = Entrada(2, true, false);
    entrada->MSFlexGrid1().MoveToCell(2, 2);
    Tecla(entrada->MSFlexGrid1View(), Qt::Key_Z, "Z");
    entrada->CmdAceptar_Click();
    EXPECT_FALSE(entrada->isVisible());
    EXPECT_EQ(entrada->Series, "|-|Z|");

    // Pick mode: a quantity the cell check refuses stops the accept.
    auto salida = Salida(1);
    salida->MSFlexGrid1().MoveToCell(1, 3);
    Tecla(salida->MSFlexGrid1View(), Qt::Key_9, "9");
    operator_.AnswerMsgBox(ui::vbOK);
    salida->CmdAceptar_Click();
    EXPECT_TRUE(salida->isVisible());
    EXPECT_TRUE(salida->EditorVisible());
    EXPECT_EQ(salida->Lotes, "");
    ASSERT_EQ(Cajas("MsgBox").size(), 1u);
    EXPECT_EQ(Cajas("MsgBox")[0].prompt, "La Cantidad supera a la cantidad disponible en Stock");
}

TEST_F(EdicionTest, APickOpensOnTheFirstQuantityCell) {
    auto frm = Salida(2);
    EXPECT_EQ(frm->MSFlexGrid1().Row(), 1);
    EXPECT_EQ(frm->MSFlexGrid1().Col(), 3);
    // The first key typed is the quantity.
    Tecla(frm->MSFlexGrid1View(), Qt::Key_4, "4");
    ASSERT_TRUE(frm->EditorVisible());
    Tecla(frm->TxtEdit(), Qt::Key_Return, "\r");
    EXPECT_EQ(frm->MSFlexGrid1().TextMatrix(1, 3), "4");
}

// A quantity that is no number reaches its cell only by leaving the cell
// unchecked; the accept then refuses it and keeps the dialog open on it, so
// the lists handed back hold exactly one quantity per row.
TEST_F(EdicionTest, AQuantityThatIsNoNumberNeverReachesTheLists) {
    struct Caso {
        const char* nombre;
        std::function<std::unique_ptr<FrmGrillaLotes>()> crea;
        int columna;
        std::string texto;
        std::string mensaje;
    };
    const std::string noNumero = "La Cantidad debe ser un Número";
    const std::string grande = "La Cantidad es un número demasiado grande";
    const std::vector<Caso> casos = {
        {"pick", [this] { return Salida(3); }, 3, "|", noNumero},
        {"positions", [this] { return Posiciones(3); }, 4, "|", noNumero},
        {"pick, too large", [this] { return Salida(3); }, 3, "1e400", grande},
        {"positions, too large", [this] { return Posiciones(3); }, 4, "99999999999999999999", grande},
    };
    for (const Caso& c : casos) {
        SCOPED_TRACE(c.nombre);
        operator_.ClearShown();
        auto frm = c.crea();
        ui::FlexGrid& g = frm->MSFlexGrid1();
        g.MoveToCell(1, c.columna);
        Tecla(frm->MSFlexGrid1View(), Qt::Key_A, QString::fromStdString(c.texto.substr(0, 1)));
        frm->TxtEdit().setText(QString::fromStdString(c.texto));
        g.MoveToCell(2, c.columna);  // LeaveCell writes the edit as typed
        ASSERT_EQ(g.TextMatrix(1, c.columna), c.texto);
        operator_.AnswerMsgBox(ui::vbOK);
        frm->CmdAceptar_Click();
        EXPECT_TRUE(frm->isVisible());
        ASSERT_EQ(Cajas("MsgBox").size(), 1u);
        EXPECT_EQ(Cajas("MsgBox")[0].prompt, c.mensaje);
        EXPECT_EQ(g.Row(), 1);
        EXPECT_EQ(g.Col(), c.columna);
        g.SetTextMatrix(1, c.columna, "0");
        g.SetTextMatrix(2, c.columna, "3");
        frm->CmdAceptar_Click();
        EXPECT_FALSE(frm->isVisible());
    }
    // Stock L1 5 and L2 3: the quantity of L2 stays with L2.
    auto salida = Salida(3);
    salida->MSFlexGrid1().SetTextMatrix(1, 3, "0");
    salida->MSFlexGrid1().SetTextMatrix(2, 3, "3");
    salida->CmdAceptar_Click();
    EXPECT_EQ(salida->Lotes, "|L1" + Y + "|L2" + Y + "|" + Y + "|");
    EXPECT_EQ(salida->Series, "|0|3|0|");
}

TEST_F(EdicionTest, F2AcceptsFromAnyControl) {
    auto frm = Salida(2);
    frm->MSFlexGrid1().MoveToCell(1, 3);
    Tecla(frm->MSFlexGrid1View(), Qt::Key_2, "2");
    ASSERT_TRUE(frm->EditorVisible());
    Tecla(frm->TxtEdit(), Qt::Key_F2);
    EXPECT_FALSE(frm->isVisible());
    EXPECT_EQ(frm->Series, "|2|0|0|");

    auto otro = Entrada(1, true, false);
    Tecla(otro->MSFlexGrid1View(), Qt::Key_F2);
    EXPECT_FALSE(otro->isVisible());
    EXPECT_EQ(otro->Series, "|-|");
}

}  // namespace
}  // namespace lots::testing
