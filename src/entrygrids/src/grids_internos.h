// Helpers shared by the document-entry grid methods of ClsCmnCptes.
#pragma once

#include <string>
#include <string_view>

#include "vb/steps.h"

class QWidget;

namespace adodb {
class Recordset;
}
namespace ui {
class FlexGrid;
}

namespace entrygrids::detail {

// The configuration value as Cfg gives it (one blank for a missing key).
std::string CfgValor(const std::string& clave);
// The configuration value equals "SI", letter case ignored; a missing key is off.
bool CfgEsSI(const std::string& clave);

// Width in twips of the text in the host form's font.
long TextWidth(const QWidget& obj, std::string_view texto);
// Width of n capital letters "X"; 0 for n = 0.
long AnchoX(const QWidget& obj, int n);

// First letter of every word upper case, the rest lower case.
std::string CasoPropio(std::string_view texto);

// A data row whose column 0, trimmed, is not empty.
bool LineaCargada(const ui::FlexGrid& grilla, int fila);
// The number of filled lines of a grid; 0 for none.
long CuentaLineas(const ui::FlexGrid* grilla);

// A field of the current row through ValorCampo (Null as ""), as text.
std::string Campo(const adodb::Recordset& rs, std::string_view nombre);
// The same, trimmed.
std::string CampoT(const adodb::Recordset& rs, std::string_view nombre);
bool EsNulo(const adodb::Recordset& rs, std::string_view nombre);

// Runs a procedure's statements under its error handler: the error goes to
// DB_Dll.TratamientoErrores with the routine's name; 4 repeats the statement,
// 5 goes on with the next, any other answer leaves the procedure, which
// Ejecuta signals by throwing Abandono. Statements are never nested.
class Procedimiento {
public:
    struct Abandono {};

    explicit Procedimiento(std::string rutina) : rutina_(std::move(rutina)) {}
    void Ejecuta(const vb::Step& sentencia) const;
    void operator()(const vb::Step& sentencia) const { Ejecuta(sentencia); }
    // Reports an error through the handler once (no statement to repeat).
    void Informa(const vb::Error& error) const;

private:
    std::string rutina_;
};

}  // namespace entrygrids::detail
