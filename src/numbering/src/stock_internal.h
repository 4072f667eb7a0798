// Helpers shared by the stock functions of this library.
#pragma once

#include <string>
#include <string_view>

#include "ast_internal.h"  // TextoCampo
#include "db/adodb.h"

namespace numbering::detail {

// A field as a double, the way ValorCampo and TextoADoble read it: Null
// gives 0, a number its value, a text its numeric value.
double ComoDoble(const adodb::Field& campo);

// A fixed-width text: padded with blanks on the right, cut at the width
// (widths count characters).
std::string AnchoFijo(std::string_view texto, int ancho);

// The code fitted to the width as an SQL text literal.
std::string CodigoSql(std::string_view codigo, int ancho);

}  // namespace numbering::detail
