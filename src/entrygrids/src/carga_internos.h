// The article-line routine of the document loader.
#pragma once

#include <string>

#include "grids_internos.h"

namespace adodb {
class Recordset;
}
namespace ui {
class FlexGrid;
}
namespace documents {
class ClsCmnCptes;
}

namespace entrygrids::detail {

// What the loader's frame has set up for its article lines.
struct CargaArticulos {
    documents::ClsCmnCptes& cmn;
    const std::string& TC;
    const std::string& SucNroLetra;
    bool compras;                      // the purchase views were read
    const adodb::Recordset& cabecera;  // the document's header row
    const Procedimiento& p;
    bool esCompra = false;        // SISTEMA of the type is "COMPRAS"
    bool entregaParcial = false;  // EntregaParcialRemito
    bool signoInvertido = false;  // IdRepartoRM was -98

    // Writes the current article record into the grid's last row (adding a
    // row first when that one holds a code), folding it into an earlier
    // like line in timber mode.
    void Fila(const adodb::Recordset& linea, ui::FlexGrid& g) const;
};

}  // namespace entrygrids::detail
