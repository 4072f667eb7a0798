// The smallest Qt window that shows what the main window shows first: it
// opens the orders file named on its command line, runs the count of the
// listed orders and reads their first page of ten rows, and shows them in a
// table under a page label. The reference of the launch benchmark.
#include <QApplication>
#include <QLabel>
#include <QTableWidget>
#include <QVBoxLayout>
#include <QWidget>

#include <sqlite3.h>

#include <cstdio>
#include <string>

#include "orders_file.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s orders.db\n", argv[0]);
        return 2;
    }
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(argv[1], &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX, nullptr) != SQLITE_OK) {
        std::fprintf(stderr, "%s\n", sqlite3_errmsg(db));
        return 1;
    }
    const std::int64_t listadas =
        bench::RawCount(db, "SELECT COUNT(*) FROM V_MV_CPTE WHERE BLOQUEADA = 1 AND TC = 'NP'");
    QWidget ventana;
    auto* tabla = new QTableWidget(10, 7, &ventana);
    tabla->setHorizontalHeaderLabels(
        {"TC", "NUMERO", "FECHA", "VENCIMIENTO", "CLIENTE", "IMPORTE", "OBSERVACIONES"});
    int fila = 0;
    bench::RawRows(db,
                   "SELECT TC, IDCOMPROBANTE, strftime('%d/%m/%Y', FECHA), strftime('%d/%m/%Y', FECHAESTFIN), "
                   "NOMBRE, IMPORTE, OBSERVACIONES FROM V_MV_CPTE WHERE BLOQUEADA = 1 AND TC = 'NP' "
                   "ORDER BY TC, ID LIMIT 10",
                   [&](int columna, const unsigned char* texto) {
                       tabla->setItem(fila, columna,
                                     new QTableWidgetItem(QString::fromUtf8(reinterpret_cast<const char*>(texto))));
                       if (columna == 6) ++fila;
                   });
    sqlite3_close(db);

    auto* columna = new QVBoxLayout(&ventana);
    columna->addWidget(tabla);
    columna->addWidget(new QLabel(QString("Página 1 de %1").arg((listadas + 9) / 10)));
    ventana.resize(900, 420);
    ventana.show();
    return QApplication::exec();
}
