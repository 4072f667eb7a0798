// The list lookup dialog on the fixture database, with salesmen and articles
// to list, shown through the scripted operator.
#pragma once

#include <QKeyEvent>
#include <QString>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "lookup/lib_frmcons3.h"
#include "lookup_fixture.h"

class QWidget;

namespace lookup::testing {

inline constexpr const char* kVendedores = "SELECT IDVENDEDOR, NOMBRE FROM V_TA_VENDEDORES ORDER BY IDVENDEDOR";
inline constexpr const char* kArticulos =
    "SELECT IDARTICULO, DESCRIPCION, PUNTOPEDIDO, Stock FROM VT_MA_ARTICULOS ORDER BY IDARTICULO";

class ListaTest : public LookupDbTest {
protected:
    ListaTest();

    // Shows a new dialog on `sql`; `preparar` sets its variables first and
    // `accion` acts on it while it shows.
    Lib_FrmCons3& Mostrar(const std::string& sql, const std::function<void(Lib_FrmCons3&)>& accion = {},
                          const std::function<void(Lib_FrmCons3&)>& preparar = {});

    // The texts of column k (from 1) in the list's order.
    static std::vector<std::string> Columna(const Lib_FrmCons3& lista, int k = 1);
    // Column 1 of the selected row; "" when none is selected.
    static std::string Seleccionada(const Lib_FrmCons3& lista);
    // Column 1 of the checked rows, in the list's order.
    static std::vector<std::string> Marcadas(const Lib_FrmCons3& lista);
    // Presses a key on a control, as the keyboard would.
    static void Tecla(QWidget* control, int tecla, Qt::KeyboardModifiers modificadores = Qt::NoModifier);
    static void Foco(QWidget* control, bool entra);
    // The rows of a query, each field as text.
    std::vector<std::vector<std::string>> Filas(const std::string& sql);

    std::unique_ptr<Lib_FrmCons3> form_;
};

}  // namespace lookup::testing
