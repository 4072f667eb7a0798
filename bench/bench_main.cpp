// tv_bench: the cases on the main window's list of 1,000,000 orders (pages,
// the count, the search, authorizing), each beside raw SQLite; see tabla.h.
// The windows run on the display Qt is given (scripts/bench starts Xvfb).
#include <QApplication>

#include "foundation/db_dll.h"
#include "listado.h"
#include "tabla.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    return bench::CorrerCasos(
        argc, argv,
        [] {
            bench::RegistrarPaginas();
            bench::RegistrarBusqueda();
            bench::RegistrarAutorizacion();
            bench::Listado();
        },
        [] {
            bench::CerrarAutorizacion();
            foundation::Db().gCnn.Close();
        });
}
