// Small helpers of the document subsystems: shared by the entry grids, the
// lot dialogs and the postings, so that each exists once.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "vb/currency.h"
#include "vb/steps.h"
#include "vb/variant.h"

class QWidget;

namespace adodb {
class Recordset;
}

namespace entrygrids {

// The configuration value as Cfg gives it (one blank for a missing key).
std::string CfgValor(const std::string& clave);
// The configuration value equals "SI", letter case ignored; a missing key is off.
bool CfgEsSI(const std::string& clave);

// A stored yes/no value: Empty, Null, 0, blank text, "FALSE", "FALSO", "NO"
// and "N" (any case) are false; numbers count by their value.
bool Verdadero(const vb::Variant& valor);

// First letter of every word upper case, the rest lower case (words are
// separated by blanks, tabs or line breaks).
std::string CasoPropio(std::string_view texto);

// Width in twips of the text in the widget's font.
long TextWidth(const QWidget& obj, std::string_view texto);
// Width of n capital letters "X"; 0 for n = 0.
long AnchoX(const QWidget& obj, int n);

// A field of the current row through ValorCampo (Null as ""), as text.
std::string Campo(const adodb::Recordset& rs, std::string_view nombre);
// The same, trimmed.
std::string CampoT(const adodb::Recordset& rs, std::string_view nombre);

// Currency times currency, rounded to four decimals as the fixed-point type does.
vb::Currency Producto(vb::Currency a, vb::Currency b);

// The number a text holds as the system keeps it (TextoAMoneda: four
// decimals, blank or no number 0); none when it is too large to keep
// ("1e400", twenty digits).
std::optional<vb::Currency> NumeroGuardable(std::string_view texto);

}  // namespace entrygrids
