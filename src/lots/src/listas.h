// Reading and writing the lists of lots, serials and positions ("|t1|t2|"),
// shared by the list methods of ClsCmnCptes and the two lot dialogs.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "vb/steps.h"
#include "vb/variant.h"

namespace lots::detail {

// The handler of a routine: the error goes to DB_Dll.TratamientoErrores under
// the routine's name and its answer follows the 4/5/else convention.
vb::ErrorHandler Manejador(std::string rutina);

// A truth value as the runtime reads it: Empty, Null, 0, False and blank text
// are false.
bool EsVerdadero(const vb::Variant& valor);

// The tokens of a list as every reader scans it: the list is trimmed, one
// leading "|" is dropped, and each text before a "|" is a token; the scan
// ends when no "|" follows or the rest is blank. A trailing piece without a
// "|" after it is no token. Tokens are returned untrimmed.
std::vector<std::string> TokensDeLista(std::string_view lista);

// Text comparison: without regard to case (accented letters included).
bool IgualesComoTexto(std::string_view a, std::string_view b);

// The text with the first letter of each word upper case and the rest lower
// case (words are separated by blanks).
std::string MayusculaInicial(std::string_view texto);

// A pick token split at its character 255: the lot before it, the serial
// after it. A token without character 255 is all lot.
struct LoteSerie {
    std::string Lote;
    std::string Serie;
};
LoteSerie PartesDeToken(std::string_view token);

}  // namespace lots::detail
