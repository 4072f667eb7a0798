// Helpers shared by the document-entry grid methods of ClsCmnCptes.
#pragma once

#include <string>
#include <string_view>

#include "entrygrids/auxiliares.h"
#include "foundation/db_dll.h"
#include "vb/steps.h"

namespace adodb {
class Recordset;
}
namespace ui {
class FlexGrid;
}

namespace entrygrids::detail {

// A data row whose column 0, trimmed, is not empty.
bool LineaCargada(const ui::FlexGrid& grilla, int fila);
// The number of filled lines of a grid; 0 for none.
long CuentaLineas(const ui::FlexGrid* grilla);

// The field of the current row is Null.
bool EsNulo(const adodb::Recordset& rs, std::string_view nombre);

// Runs a procedure's statements under its error handler: the error goes to
// DB_Dll.TratamientoErrores with the routine's name; 4 repeats the statement,
// 5 goes on with the next, any other answer leaves the procedure, which
// Ejecuta signals by throwing Abandono. Statements are never nested.
class Procedimiento {
public:
    struct Abandono {};

    explicit Procedimiento(std::string rutina) : manejador_(foundation::Tratamiento(std::move(rutina))) {}
    void Ejecuta(const vb::Step& sentencia) const;
    void operator()(const vb::Step& sentencia) const { Ejecuta(sentencia); }
    // Reports an error through the handler once (no statement to repeat).
    void Informa(const vb::Error& error) const;

private:
    vb::ErrorHandler manejador_;
};

}  // namespace entrygrids::detail
