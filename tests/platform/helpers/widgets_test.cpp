#include <QApplication>
#include <QLabel>
#include <QScreen>
#include <QWidget>
#include <gtest/gtest.h>

#include "helpers/helpers.h"

namespace {

QString LabelText(const char* name) {
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (w->objectName() == "Cartel") return w->findChild<QLabel*>(name)->text();
    }
    return "<no notice>";
}

TEST(ClsCartel, OpensUpdatesAndCloses) {
    helpers::ClsCartel cartel;
    cartel.CierraCartel();  // closing one never opened is harmless
    cartel.AbreCartel("Grabando Stock....", false);
    EXPECT_TRUE(cartel.Abierto());
    EXPECT_EQ(LabelText("Titulo"), "Grabando Stock....");
    cartel.ActualizaCartel(false, "Grabando Stock...", "A1  Tornillo", "2 de 5");
    EXPECT_EQ(LabelText("Titulo"), "Grabando Stock...");
    EXPECT_EQ(LabelText("Linea1"), "A1  Tornillo");
    EXPECT_EQ(LabelText("Linea2"), "2 de 5");
    cartel.CierraCartel();
    EXPECT_FALSE(cartel.Abierto());
    EXPECT_EQ(LabelText("Titulo"), "<no notice>");
}

TEST(ClsCartel, AnUpdateOpensTheNoticeWhenNoneIsOpen) {
    helpers::ClsCartel cartel;
    cartel.ActualizaCartel(false, "Grabando Stock...", "x", "1 de 1");
    EXPECT_TRUE(cartel.Abierto());
    EXPECT_EQ(LabelText("Linea2"), "1 de 1");
}

TEST(AjustaFormulario, CentresATopLevelFormOnItsParentWindow) {
    QWidget parent;
    parent.setGeometry(100, 100, 600, 400);
    QWidget form(&parent, Qt::Dialog);
    form.resize(200, 100);
    helpers::gEstacion().AjustaFormulario(&form);
    EXPECT_EQ(form.frameGeometry().center(), parent.frameGeometry().center());
    helpers::gEstacion().AjustaFormulario(nullptr);
    helpers::gFunciones().PreparaFormulario(&form, false);
    helpers::gFunciones().PreparaFormulario(nullptr, false);
}

}  // namespace
