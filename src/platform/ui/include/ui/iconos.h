// The style's standard pictures on buttons.
//
// Each picture is made once per process and shared by every button that
// shows it. The pictures the program's windows use are Qt's own, read
// straight from its built-in files at the sizes buttons show: asking the
// style would first read the desktop's icon theme (the whole index of the
// theme's folders) and decode every size of each picture, the largest
// included, which took as long as opening the database and reading the first
// page. Any other picture is the style's. User-interface thread only.
#pragma once

#include <QIcon>
#include <QStyle>

class QAbstractButton;

namespace ui {

QIcon IconoEstandar(QStyle::StandardPixmap icono);

// Puts IconoEstandar(icono) on `boton`.
void PonerIcono(QAbstractButton& boton, QStyle::StandardPixmap icono);

}  // namespace ui
