#pragma once
// Module `ast`: document numbering.
//
// Numbering ranges ("talonarios") are rows of V_TA_CPTE, one per document type and range, with
// per-letter columns <L>_ULTIMO_NRO (the next free number), <L>_NRO_DESDE / <L>_NRO_HASTA
// (inclusive limits), <L>_SUC_DEFAULT (branch) and Vence<L> (expiry).
//
// Contract: everything runs on the calling (user-interface) thread and uses the session
// connection of foundation::Db(). Numbers are always read from the database, so a caller that
// wraps the request and the recording in one db::DbTransaction sees its own uncommitted rows.
// Nothing here keeps a counter in memory; the only state kept between calls is TalonarioActual.

#include <cstdint>
#include <optional>
#include <string>

namespace numbering {

// The letters a document may carry; "X" is the letter used when none is given.
inline constexpr const char* kLetrasComprobante = "A,B,C,E,R,X,M";

// TALONARIO of the range last selected by ValidaNumeroComprobante or the range walk
// (Obtener_Nro_Comprobante_Contable); read by RegistraNumeroComprobante. 0 at start-up.
// 32 bits wide, so that no range number overflows it.
extern int32_t TalonarioActual;

// Checks a proposed number against the ranges of its type and branch. Letra: in-out, an empty
// letter becomes "X". Mensaje: in-out, empty on true, the reason on false. Fecha: document date
// (day-first text); empty skips the expiry test. Database errors propagate to the caller.
bool ValidaNumeroComprobante(const std::string& TC, const std::string& Sucursal,
                             const std::string& Numero, std::string& Letra, std::string& Mensaje,
                             const std::string& Fecha);

// Records that a number was used: Numero is the number used plus one. SoloSQL true: nothing
// runs; SentenciaSQL receives " UPDATE V_TA_CPTE SET ..." (when the counter advances) and the
// control " INSERT INTO V_MV_CTROL_CPTE ..." (CRLF-framed) for "Contable" ranges,
// RegistraControl or type "OC", for the caller's batch. SoloSQL false: the range row is updated
// at once. Letra: in-out, an empty letter becomes "X".
// Returns false when the number was not recorded because of a failure: a database error, a
// Numero that is not plain digits, or a type without any range ("ATENCION" message). The
// silent cases (branch of another range; ranges, but none numbered TalonarioActual) give true.
bool RegistraNumeroComprobante(const std::string& TC, const std::string& Sistema,
                               const std::string& Sucursal, const std::string& Numero,
                               std::string& Letra, bool SoloSQL, std::string& SentenciaSQL,
                               bool RegistraControl);

// The type whose numbering TC shares (EQU_<TC> configuration key), TC itself for a few types,
// or "" when none.
std::string ObtieneTCEquivalente(const std::string& TC);

// True when MV_ASIENTOS holds a line of the document (and of Cuenta when not empty); Asiento
// receives "MM - NNNNNN". Always false for type "OC". Errors propagate to the caller.
bool ComprobanteTieneAsiento(const std::string& TC, const std::string& Sucursal,
                             const std::string& Numero, const std::string& Letra,
                             std::string& Asiento, const std::string& Cuenta = "");

// Next number of a type: Sucursal (4 digits), Numero (8 digits), Letra (1 character, in-out).
// With Verifica true a number already used (travels, accounting entries, purchase orders) is
// moved past the highest one in use; for other types the control row of the number is deleted.
// SinUso is not read.
void Obtener_Nro_Comprobante(const std::string& TC, std::string& Sucursal, std::string& Numero,
                             std::string& Letra, bool& ModificaNumeracion, bool Verifica,
                             const std::string& SinUso, const std::string& UNegocio);

// The range walk: the first range of the type (of UNegocio when it has any, else of every
// business unit) with room and not expired at Fecha. Sets Sucursal, Numero, NroHasta,
// ModificaNumeracion and TalonarioActual when a range is taken; Letra may be replaced by the
// range's first letter. A type without ranges gives "1", "1", "X".
void Obtener_Nro_Comprobante_Contable(const std::string& TC, std::string& Sucursal,
                                      std::string& Numero, std::string& Letra,
                                      bool& ModificaNumeracion, const std::string& Fecha,
                                      const std::string& UNegocio, std::string& NroHasta);

// The 13-character IdComprobante (branch, number, letter) for a stock document, moved past the
// numbers V_MV_STOCK already holds for the type, branch and letter. Empty on failure.
std::string AsignarNumeroComprobante(const std::string& TC, std::string& Sucursal,
                                     std::string& Letra);

// Accounting register type (sub-journal) of a document type; "" when it has none.
std::string ObtieneTipoRegCont(const std::string& TC);

// Next accounting-entry number ([NUMERO ASIENTO]) of month, period and register type (a
// missing or blank TipoReg counts the blank and the Chr(255)+"RS" entries). 1 when none yet;
// 0 when the read failed.
int32_t ValidaTCRegistraciones(int32_t Mes, const std::string& Periodo,
                               const std::optional<std::string>& TipoReg = std::nullopt);

}  // namespace numbering
