// Helpers shared by the numbering module's sources.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "db/adodb.h"
#include "vb/datetime.h"
#include "vb/steps.h"
#include "vb/variant.h"

namespace numbering::detail {

// True when the trimmed text is exactly one of the document letters (any case).
bool EsLetraValida(std::string_view letra);

// Name of a per-letter column of the range tables: the trimmed letter and the suffix
// ("A" + "_ULTIMO_NRO"), and the expiry column ("VenceA"). A letter outside the letter set
// never reaches SQL: it raises error 5.
std::string ColumnaLetra(std::string_view letra, std::string_view sufijo);
std::string ColumnaVence(std::string_view letra);

// The document type trimmed and fitted to 4 characters.
std::string CodigoTC(std::string_view tc);

// A field's value (Null as empty text) as text.
std::string TextoCampo(const adodb::Recordset& rs, std::string_view campo);
// A field's numeric value; nullopt when it is Null.
std::optional<double> NumeroCampo(const adodb::Recordset& rs, std::string_view campo);
// A flag field: Null false, any other value TextoABoolean of its text.
bool BanderaCampo(const adodb::Recordset& rs, std::string_view campo);

// A date value (a date, or a text in any form vb::ParseDate reads) as its day, without the
// time; raises 13 when it is no date.
vb::Date DiaDe(const vb::Variant& valor);

// Plain digits (blanks around allowed), at least one.
bool EsNumeroPlano(std::string_view texto);

// The 8-digit number after `ultimo`; raises error 6 past 99999999, which would need a ninth
// digit the document key does not have.
std::string NumeroSiguiente(double ultimo);

// The number part (characters 5-12) of a 13-character document key as a number.
double NumeroDeClave(std::string_view clave);

// " WHERE TC = 't' AND SUBSTRING(IDCOMPROBANTE,1,4)= 's' AND SUBSTRING(IDCOMPROBANTE,13,1) = 'l'":
// the document keys of a type, branch and letter.
std::string FiltroClave(const std::string& tc, const std::string& sucursal, const std::string& letra);

}  // namespace numbering::detail
