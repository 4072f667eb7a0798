// Helpers shared by the stock functions of this library.
#pragma once

#include <string>
#include <string_view>

#include "db/adodb.h"
#include "vb/steps.h"

namespace numbering::detail {

// The error convention with the shared error routine under a routine name.
vb::ErrorHandler Manejador(const char* rutina);

// A field as a double, the way ValorCampo and TextoADoble read it: Null
// gives 0, a number its value, a text its numeric value.
double ComoDoble(const adodb::Field& campo);

// A field as text, Null as the empty text.
std::string ComoTexto(const adodb::Field& campo);

// A fixed-width text: padded with blanks on the right, cut at the width
// (widths count characters).
std::string AnchoFijo(std::string_view texto, int ancho);

// The code fitted to the width as an SQL text literal.
std::string CodigoSql(std::string_view codigo, int ancho);

}  // namespace numbering::detail
