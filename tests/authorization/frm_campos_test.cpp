// The column chooser, shown modally through the scripted operator.
#include "authorization/frm_campos.h"

#include <QApplication>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QMouseEvent>
#include <QPushButton>
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "ui/msgbox.h"

namespace authorization {
namespace {

struct Lista {
    std::vector<std::string> textos;
    std::vector<bool> elegidos;
    int actual = -1;
};

Lista LeerLista(const FrmCampos& f) {
    Lista lista;
    for (int i = 0; i < f.LstCampos->count(); ++i) {
        lista.textos.push_back(f.LstCampos->item(i)->text().toStdString());
        lista.elegidos.push_back(f.LstCampos->item(i)->isSelected());
    }
    lista.actual = f.LstCampos->currentRow();
    return lista;
}

void Raton(QWidget* w, QEvent::Type tipo, bool enviar) {
    const QPointF centro = QRectF(w->rect()).center();
    const Qt::MouseButtons botones = tipo == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton;
    const Qt::MouseButton boton = tipo == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton;
    auto* evento = new QMouseEvent(tipo, centro, w->mapToGlobal(centro), boton, botones, Qt::NoModifier);
    if (enviar) {
        QApplication::sendEvent(w, evento);
        delete evento;
    } else {
        QCoreApplication::postEvent(w, evento);
    }
}

// A short click on an image: the release is waiting when the press starts
// the arrow's repetition, as when a person clicks.
void Clic(QWidget* imagen) {
    Raton(imagen, QEvent::MouseButtonRelease, false);
    Raton(imagen, QEvent::MouseButtonPress, true);
    QCoreApplication::processEvents();  // the release, unless the press already took it
}

class FrmCamposTest : public ::testing::Test {
protected:
    // Shows a new chooser with these lists; `accion` acts on it while it shows.
    FrmCampos& Mostrar(const std::string& campos, const std::string& elegidas, const std::string& ordinales,
                       std::function<void(FrmCampos&)> accion) {
        form_ = std::make_unique<FrmCampos>();
        form_->gCampos = campos;
        form_->gCamposSel = elegidas;
        form_->gOrdinalSel = ordinales;
        operator_.OnModal([accion = std::move(accion)](QWidget& w) { accion(dynamic_cast<FrmCampos&>(w)); });
        ui::ShowModal(*form_);
        return *form_;
    }

    ui::ScriptedOperator operator_;
    std::unique_ptr<FrmCampos> form_;
};

TEST_F(FrmCamposTest, ControlsCarryTheirTexts) {
    FrmCampos f;
    EXPECT_EQ(f.Label1->text().toStdString(), "Seleccionar Columnas");
    EXPECT_EQ(f.Label2->text().toStdString(), "Control o Mayúscula para selección Múltiple");
    EXPECT_EQ(f.cmdAplicar->text().toStdString(), "&Aplicar Seleccón");
    EXPECT_EQ(f.cmdTodos->text().toStdString(), "&Todas");
    EXPECT_EQ(f.ImgCancelar->toolTip().toStdString(), "Cerrar");
    EXPECT_EQ(f.LstCampos->selectionMode(), QAbstractItemView::ExtendedSelection);
    for (const char* nombre : {"Label1", "Label2", "LstCampos", "cmdAplicar", "cmdTodos", "ImgSubir", "ImgBajar",
                               "shpSubir", "shpBajar", "ImgCancelar", "Shape1"}) {
        EXPECT_NE(f.findChild<QWidget*>(nombre), nullptr) << nombre;
    }
    EXPECT_TRUE(f.shpSubir->isHidden());
    EXPECT_TRUE(f.shpBajar->isHidden());
    EXPECT_TRUE(f.Shape1->isHidden());
}

struct CasoCarga {
    const char* nombre;
    const char* campos;
    const char* elegidas;
    const char* ordinales;
    std::vector<std::string> lista;
    std::vector<bool> elegidos;
    const char* clave;
};

TEST_F(FrmCamposTest, LoadingListsTheChoiceFirstAndHoldsTheKeyOut) {
    const CasoCarga casos[] = {
        {"first use", "[TC]|[NUMERO]|[ID]|", "", "", {"TC", "NUMERO"}, {false, false}, "ID"},
        {"reopening", "[TC]|[NUMERO]|[ID]|", "[NUMERO], [ID]", "0|", {"NUMERO", "TC"}, {true, false}, "ID"},
        {"the grid's own lists", "[TC]|[NUMERO]|[FECHA]|ID|", "[TC], [FECHA], ID", "0|2|",
         {"TC", "FECHA", "NUMERO"}, {true, true, false}, "ID"},
        {"a name inside a chosen one", "CLI|CLIENTE|ID|", "CLIENTE, ID", "0|", {"CLIENTE"}, {true}, "ID"},
        {"names compared in exact case", "cli|CLIENTE|ID|", "CLIENTE, ID", "0|", {"CLIENTE", "cli"}, {true, false},
         "ID"},
        {"more positions than chosen columns", "[TC]|[NUMERO]|[ID]|", "[NUMERO], [ID]", "0|1|2|",
         {"NUMERO", "TC"}, {true, false}, "ID"},
        {"a position without its bar", "[TC]|[NUMERO]|[ID]|", "[NUMERO], [ID]", "0", {"NUMERO", "TC"},
         {true, false}, "ID"},
        {"no final bar", "[TC]|[ID]", "", "", {"TC"}, {false}, "ID"},
        {"no column", "", "", "", {}, {}, ""},
    };
    for (const CasoCarga& caso : casos) {
        SCOPED_TRACE(caso.nombre);
        Lista lista;
        std::string clave;
        Mostrar(caso.campos, caso.elegidas, caso.ordinales, [&](FrmCampos& f) {
            lista = LeerLista(f);
            clave = f.CampoClave();
        });
        EXPECT_EQ(lista.textos, caso.lista);
        EXPECT_EQ(lista.elegidos, caso.elegidos);
        EXPECT_EQ(lista.actual, caso.lista.empty() ? -1 : 0);
        EXPECT_EQ(clave, caso.clave);
    }
}

struct CasoAplicar {
    const char* nombre;
    const char* campos;
    std::vector<int> elegir;
    bool todas;  // cmdTodos instead of cmdAplicar
    const char* elegidas;
    const char* ordinales;
    const char* orden;
};

TEST_F(FrmCamposTest, ApplyingReturnsTheChoiceTheOrderAndThePositions) {
    const CasoAplicar casos[] = {
        {"nothing selected", "[TC]|[NUMERO]|[ID]|", {}, false, "", "", "[TC], [NUMERO], [ID]"},
        {"second and third", "[TC]|[NUMERO]|[FECHA]|[ID]|", {1, 2}, false, "[NUMERO], [FECHA], [ID]", "1|2|",
         "[TC], [NUMERO], [FECHA], [ID]"},
        {"every column", "[TC]|[NUMERO]|[FECHA]|[ID]|", {}, true, "[TC], [NUMERO], [FECHA], [ID]", "0|1|2|",
         "[TC], [NUMERO], [FECHA], [ID]"},
        {"the grid's unbracketed key", "[TC]|[FECHA]|ID|", {1}, false, "[FECHA], [ID]", "1|", "[TC], [FECHA], [ID]"},
    };
    for (const CasoAplicar& caso : casos) {
        SCOPED_TRACE(caso.nombre);
        FrmCampos& f = Mostrar(caso.campos, "", "", [&](FrmCampos& g) {
            for (int i : caso.elegir) g.LstCampos->item(i)->setSelected(true);
            (caso.todas ? g.cmdTodos : g.cmdAplicar)->click();
            EXPECT_FALSE(g.isVisible());
        });
        EXPECT_FALSE(f.Cancelar);
        EXPECT_EQ(f.gCamposSel, caso.elegidas);
        EXPECT_EQ(f.gOrdinalSel, caso.ordinales);
        EXPECT_EQ(f.gCamposOrden, caso.orden);
    }
}

TEST_F(FrmCamposTest, ClosingInAnyWayCancelsAndKeepsTheLists) {
    const std::function<void(FrmCampos&)> maneras[] = {
        [](FrmCampos& f) { Clic(f.ImgCancelar); },
        [](FrmCampos& f) { f.close(); },  // the window's close box
        [](FrmCampos& f) {
            QKeyEvent esc(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
            QApplication::sendEvent(&f, &esc);
        },
    };
    for (const auto& cerrar : maneras) {
        SCOPED_TRACE(&cerrar - maneras);
        FrmCampos& f = Mostrar("[TC]|[NUMERO]|[ID]|", "[NUMERO], [ID]", "0|", [&](FrmCampos& g) {
            g.LstCampos->item(1)->setSelected(true);
            cerrar(g);
            EXPECT_FALSE(g.isVisible());
        });
        EXPECT_TRUE(f.Cancelar);
        EXPECT_EQ(f.gCamposSel, "[NUMERO], [ID]");
        EXPECT_EQ(f.gOrdinalSel, "0|");
        EXPECT_EQ(f.gCamposOrden, "");
    }
}

TEST_F(FrmCamposTest, ArrowsMoveTheCurrentItemAsANewItemAndStopAtTheEnds) {
    FrmCampos& f = Mostrar("[TC]|[NUMERO]|[FECHA]|[ID]|", "", "", [](FrmCampos& g) {
        Clic(g.ImgSubir);  // on the first item
        EXPECT_EQ(LeerLista(g).textos, (std::vector<std::string>{"TC", "NUMERO", "FECHA"}));
        g.LstCampos->setCurrentRow(2, QItemSelectionModel::NoUpdate);
        Clic(g.ImgBajar);  // on the last item
        EXPECT_EQ(LeerLista(g).textos, (std::vector<std::string>{"TC", "NUMERO", "FECHA"}));
        EXPECT_EQ(g.LstCampos->currentRow(), 2);

        g.LstCampos->item(0)->setSelected(true);
        g.LstCampos->item(1)->setSelected(true);
        g.LstCampos->setCurrentRow(1, QItemSelectionModel::NoUpdate);
        Clic(g.ImgBajar);
        const Lista abajo = LeerLista(g);
        EXPECT_EQ(abajo.textos, (std::vector<std::string>{"TC", "FECHA", "NUMERO"}));
        EXPECT_EQ(abajo.elegidos, (std::vector<bool>{true, false, false}));  // the moved item comes unselected
        EXPECT_EQ(abajo.actual, 2);

        Clic(g.ImgSubir);
        Clic(g.ImgSubir);
        const Lista arriba = LeerLista(g);
        EXPECT_EQ(arriba.textos, (std::vector<std::string>{"NUMERO", "TC", "FECHA"}));
        EXPECT_EQ(arriba.elegidos, (std::vector<bool>{false, true, false}));
        EXPECT_EQ(arriba.actual, 0);
        EXPECT_TRUE(g.shpSubir->isHidden());
        EXPECT_TRUE(g.shpBajar->isHidden());
        EXPECT_FALSE(g.Repitiendo());
        g.cmdAplicar->click();
    });
    EXPECT_EQ(f.gCamposOrden, "[NUMERO], [TC], [FECHA], [ID]");
    EXPECT_EQ(f.gCamposSel, "[TC], [ID]");
    EXPECT_EQ(f.gOrdinalSel, "1|");
}

// Releases the held arrow once the current item has reached `fila`, and notes
// whether the arrow looked pressed meanwhile.
class OperadorQueSuelta : public ui::ScriptedOperator {
public:
    OperadorQueSuelta(FrmCampos& f, int fila) : f_(f), fila_(fila) {}
    void DoEvents() override {
        if (f_.Repitiendo() && !f_.shpBajar->isHidden()) pulsadaSeVio = true;
        if (!soltada && f_.LstCampos->currentRow() == fila_) {
            soltada = true;
            Raton(f_.ImgBajar, QEvent::MouseButtonRelease, false);
        }
        ui::ScriptedOperator::DoEvents();
    }
    bool soltada = false;
    bool pulsadaSeVio = false;

private:
    FrmCampos& f_;
    int fila_;
};

TEST_F(FrmCamposTest, AHeldArrowRepeatsUntilReleasedAndTheClickMovesOnceMore) {
    Mostrar("[A]|[B]|[C]|[D]|[E]|[ID]|", "", "", [](FrmCampos& f) {
        OperadorQueSuelta operador(f, 2);
        Raton(f.ImgBajar, QEvent::MouseButtonPress, true);  // returns once released
        EXPECT_TRUE(operador.soltada);
        EXPECT_TRUE(operador.pulsadaSeVio);
        EXPECT_EQ(LeerLista(f).textos, (std::vector<std::string>{"B", "C", "D", "A", "E"}));
        EXPECT_EQ(f.LstCampos->currentRow(), 3);
        EXPECT_TRUE(f.shpBajar->isHidden());
        EXPECT_FALSE(f.Repitiendo());
        f.close();
    });
}

TEST_F(FrmCamposTest, TheCloseImageLightsUpUnderThePointer) {
    Mostrar("[TC]|[ID]|", "", "", [](FrmCampos& f) {
        Raton(f.ImgCancelar, QEvent::MouseMove, true);
        EXPECT_FALSE(f.Shape1->isHidden());
        Raton(f.Label1, QEvent::MouseMove, true);
        EXPECT_TRUE(f.Shape1->isHidden());
        Raton(f.ImgCancelar, QEvent::MouseMove, true);
        EXPECT_FALSE(f.Shape1->isHidden());
        Raton(&f, QEvent::MouseMove, true);
        EXPECT_TRUE(f.Shape1->isHidden());
        f.close();
    });
}

}  // namespace
}  // namespace authorization
