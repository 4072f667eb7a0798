// Qt's own texts in Spanish: the standard buttons ("Sí", "No", "Aceptar",
// "Cancelar", ...), the context menus of text boxes and the captions of Qt's
// dialogs, whatever the machine's locale.
#pragma once

namespace ui {

// Loads Qt's Spanish translation (qtbase_es.qm, from Qt's translations folder)
// into the running application. When it cannot (the file is missing, or there
// is no application yet) the texts stay Qt's English ones, the reason goes to
// stderr, and the result is false.
bool InstallSpanishQtTexts();

}  // namespace ui
