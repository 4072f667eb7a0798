// Helpers for the tests that drive the lot dialogs.
#pragma once

#include <QApplication>
#include <QKeyEvent>
#include <QString>
#include <QWidget>

#include <string>
#include <vector>

#include "lotes_fixture.h"
#include "ui/flexgrid.h"

namespace lots::testing {

using Textos = std::vector<std::string>;

// The data cells of one column.
inline Textos Columna(const ui::FlexGrid& g, int columna) {
    Textos textos;
    for (int fila = 1; fila < g.Rows(); ++fila) textos.push_back(g.TextMatrix(fila, columna));
    return textos;
}

// A key pressed on a control, as the window system delivers it.
inline void Tecla(QWidget& control, Qt::Key tecla, const QString& texto = {}) {
    QKeyEvent evento(QEvent::KeyPress, tecla, Qt::NoModifier, texto);
    QApplication::sendEvent(&control, &evento);
}

// The form the scripted operator was given, as the dialog it is.
template <class Dialogo>
Dialogo& Como(QWidget& formulario) {
    auto* dialogo = dynamic_cast<Dialogo*>(&formulario);
    if (dialogo == nullptr) throw std::logic_error("the modal form is not the dialog expected");
    return *dialogo;
}

}  // namespace lots::testing
