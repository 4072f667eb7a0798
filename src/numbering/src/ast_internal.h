// Helpers shared by the numbering module's sources.
#pragma once

#include <cstdint>
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

// The error a recording reports when the range had already reached its number: the provider's
// "row changed since it was read".
inline constexpr long kErrNumeroAlcanzado = -2147217864;

// A free-numbering range by its limits: Modificanumeracion true with both limits of the letter
// at 0 (a Null fails its part).
bool NumeracionLibre(const adodb::Recordset& rs, const std::string& letra);

// The range of a type that a number belongs to, among those whose branch for the letter is
// `sucursal`, scanned in the order the database gives them.
struct Seleccion {
    std::optional<int32_t> talonario;  // the TALONARIO selected; none when no range takes the number
    bool externo = false;              // the range that ended the scan is external
    bool hayRangos = false;            // the type has ranges for the branch and letter
};

// The last range whose limits hold `n` before the end or before a free range, which ends the
// scan; when none holds it, the free range that ended the scan takes it. `tabla` is V_TA_CPTE,
// or TA_Comprobantes with the ranges of `sistema`. Errors propagate to the caller.
Seleccion EligeTalonario(const std::string& tabla, const std::string& tc, double sucursal, double n,
                         const std::string& letra, const std::string& sistema = "");

// "El número 00000300 no corresponde a ningún talonario del comprobante FC (sucursal 0001, letra X)".
std::string TextoSinTalonario(const std::string& tc, double sucursal, double n, const std::string& letra);

// What the range walk found.
struct Recorrido {
    bool sinTalonarios = false;         // the type has no range at all ("1", "1", "X" given)
    std::optional<int32_t> talonario;  // the range taken, with its limits for the letter
    double desde = 0;
    double hasta = 0;
    std::string agotados{};  // no range taken and one was used up: the text that says so
};

// The range walk of Obtener_Nro_Comprobante_Contable. The ranges up to `despuesDe` (in
// TALONARIO order) count as used up: a request that found its range used up goes on with the
// next one. `avisaAgotados` false: ranges used up are not told to the operator, only named in
// the result.
Recorrido RecorreTalonarios(const std::string& TC, std::string& Sucursal, std::string& Numero, std::string& Letra,
                            bool& ModificaNumeracion, const std::string& Fecha, const std::string& UNegocio,
                            std::string& NroHasta, std::optional<int32_t> despuesDe, bool avisaAgotados = true);

// Obtener_Nro_Comprobante with its walk passing over the ranges up to `despuesDe`.
Recorrido ProximoNumero(const std::string& TC, std::string& Sucursal, std::string& Numero, std::string& Letra,
                        bool& ModificaNumeracion, bool Verifica, const std::string& UNegocio,
                        std::optional<int32_t> despuesDe, bool avisaAgotados = true);

// What recording a used number at once found, as a compare-and-set on its range's row.
enum class Reserva {
    Tomada,   // this call moved the counter past the number
    Ocupada,  // the range had already reached it: another station took the number
    Libre,    // no counter to move: the range no longer holds the number
};

// Records at once that `numero` (digits) of range `talonario` of V_TA_CPTE was used: its
// counter moves to numero + 1 only if it is still at or below the number and the number is not
// past the range's upper limit. A number taken this way is remembered, so that its recording by RegistraNumeroComprobante
// that follows is no collision. Errors propagate to the caller.
Reserva ReservaNumero(const std::string& tc, int32_t talonario, const std::string& numero,
                      const std::string& letra);

// Runs a statement that changes rows, rewritten for Oracle as every other statement is, and
// gives the rows it changed. Errors propagate to the caller.
long EjecutaContando(const std::string& sql);

// The letter as messages show it: trimmed, in capitals.
std::string LetraVisible(std::string_view letra);

// Forgets the number ReservaNumero remembered (a new request for a number begins).
void OlvidaReserva();

// A date value (a date, or a text in any form vb::ParseDate reads) as its day, without the
// time; raises 13 when it is no date.
vb::Date DiaDe(const vb::Variant& valor);

// Plain digits (blanks around allowed), at least one, and no more than `maxDigitos` after the
// leading zeros.
bool EsNumeroPlano(std::string_view texto, std::size_t maxDigitos);

// The 8-digit number after `ultimo`; raises error 6 past 99999999, which would need a ninth
// digit the document key does not have.
std::string NumeroSiguiente(double ultimo);

// The number part (characters 5-12) of a 13-character document key as a number.
double NumeroDeClave(std::string_view clave);

// " WHERE TC = 't' AND SUBSTRING(IDCOMPROBANTE,1,4)= 's' AND SUBSTRING(IDCOMPROBANTE,13,1) = 'l'":
// the document keys of a type, branch and letter.
std::string FiltroClave(const std::string& tc, const std::string& sucursal, const std::string& letra);

}  // namespace numbering::detail
