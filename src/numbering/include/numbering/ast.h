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
// Nothing here keeps a counter in memory. The state kept between calls is TalonarioActual and
// the number AsignarNumeroComprobante last took, until its recording.
//
// Several stations number documents at once. A counter only moves forward and never past the
// number after its range's upper limit; a number taken and recorded in one go
// (AsignarNumeroComprobante) is taken by a compare-and-set on the range's row; a number shown
// first and recorded later (Obtener_Nro_Comprobante, then RegistraNumeroComprobante) is
// reported when its range had already reached it, and the batch that records it fails when
// another station reached it before the batch ran.

#include <cstdint>
#include <optional>
#include <string>

namespace numbering {

// The letters a document may carry; "X" is the letter used when none is given.
inline constexpr const char* kLetrasComprobante = "A,B,C,E,R,X,M";

// TALONARIO of the range last selected by ValidaNumeroComprobante, RegistraNumeroComprobante or
// the range walk (Obtener_Nro_Comprobante_Contable); a call that selects no range leaves it. No
// operation reads it to choose a range: each chooses from the number it is given. 0 at start-up.
// 32 bits wide, so that no range number overflows it.
extern int32_t TalonarioActual;

// Checks a proposed number against the ranges of its type and branch: the last range that holds
// it before a free range (which takes any number and ends the scan) is selected; a number that
// no range takes is invalid. Letra: in-out, an empty letter becomes "X". Mensaje: in-out, empty
// on true, the reason on false. Fecha: document date (day-first text); empty skips the expiry
// test. Database errors propagate to the caller.
bool ValidaNumeroComprobante(const std::string& TC, const std::string& Sucursal,
                             const std::string& Numero, std::string& Letra, std::string& Mensaje,
                             const std::string& Fecha);

// Records that a number was used: Numero is the number used plus one. The range is the one of
// V_TA_CPTE (else of TA_Comprobantes for Sistema) that holds the number used for the branch and
// letter, its upper limit included; its counter moves to Numero only while it is below.
// SoloSQL true: nothing runs; SentenciaSQL receives " UPDATE <table> SET ... AND (<L>_ULTIMO_NRO
// IS NULL OR <L>_ULTIMO_NRO < Numero)" followed by the line "IF @@ROWCOUNT = 0 RAISERROR('Otra
// estación tomó el número ...', 16, 1)" (when the counter advances), and the control
// " INSERT INTO V_MV_CTROL_CPTE ..." (CRLF-framed) for "Contable" ranges, RegistraControl or
// type "OC", for the caller's batch: a station that passes the number between the building and
// the running of the batch makes the batch fail with that Spanish text (adodb::kErrRaised), so
// that nothing of the document is kept. SoloSQL false: the range row is updated at once, as a
// compare-and-set. Letra: in-out, an empty letter becomes "X".
// Returns false, after telling the operator, when the number was not recorded: a database
// error, a Numero that is not plain digits (9 at most without leading zeros), a type without
// any range ("ATENCION"), a number that no range of the type and branch holds, or a range that
// had already reached Numero (another station may have used the number; the number
// AsignarNumeroComprobante just took is no such case). True when recorded, or when there is
// nothing to record (a number past a free range's limit; a number of no range whose type's
// first range is external, which empties SentenciaSQL).
bool RegistraNumeroComprobante(const std::string& TC, const std::string& Sistema,
                               const std::string& Sucursal, const std::string& Numero,
                               std::string& Letra, bool SoloSQL, std::string& SentenciaSQL,
                               bool RegistraControl);

// Gives back a number AsignarNumeroComprobante took (IdComprobante, 13 characters) for a
// document that was never stored: its range's counter goes back to it, only while it stands
// right after it, so a number another station took meanwhile is never handed out twice (the
// number is then left unused). True when it went back. Errors propagate to the caller.
bool DevuelveNumeroComprobante(const std::string& TC, const std::string& IdComprobante);

// For a caller's batch: the statement that fails the batch, with the Spanish text "Otra estación
// tomó el número ... : no se grabó" (adodb::kErrRaised), when a stock movement or an accounting
// entry of the document IdComprobante (13 characters) of type TC is stored by the time it runs.
// A number of a type without any range is recorded nowhere: the batch that uses it runs this
// check first, so that two stored documents never share it. Empty on Oracle, whose script
// runner has no such test.
std::string ChequeoNumeroLibre(const std::string& TC, const std::string& IdComprobante);

// Whether a stock movement or an accounting entry of the document IdComprobante (13 characters)
// of type TC is stored. Errors propagate to the caller.
bool ComprobanteGuardado(const std::string& TC, const std::string& IdComprobante);

// True when V_TA_CPTE holds a range of the type. A type without any range numbers its
// documents unrecorded (AsignarNumeroComprobante), and RegistraNumeroComprobante reports that
// it has nothing to record them in. Errors propagate to the caller.
bool TieneTalonarios(const std::string& TC);

// What RegistraNumeroComprobante tells the operator when the type has no range at all.
inline constexpr const char* kSinTalonarios =
    "Error en grabación del Comprobante, no se ha encontrado el comprobante configurado";
// Shows kSinTalonarios in the box RegistraNumeroComprobante shows it in, for a caller that
// checked TieneTalonarios itself and tells it when it chooses.
void AvisaSinTalonarios();

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
// business unit) with room and not expired at Fecha. A range's next number is the larger of its
// counter and its lower limit; it has room while that is below its upper limit. Sets Sucursal,
// Numero, NroHasta, ModificaNumeracion and TalonarioActual when a range is taken; Letra may be
// replaced by the range's first letter. A type without ranges gives "1", "1", "X".
void Obtener_Nro_Comprobante_Contable(const std::string& TC, std::string& Sucursal,
                                      std::string& Numero, std::string& Letra,
                                      bool& ModificaNumeracion, const std::string& Fecha,
                                      const std::string& UNegocio, std::string& NroHasta);

// The 13-character IdComprobante (branch, number, letter) for a stock document, moved past the
// numbers V_MV_STOCK already holds for the type, branch and letter within the range, and
// recorded at once in that range (its counter moves past it) by a compare-and-set: when another
// station took the number first, the next one is taken after a short random pause, a bounded
// number of times, then the operator is told. A range whose numbers up to its limit are stored
// is passed over for the next range. For a type with ranges every number handed out lies in a
// range and was recorded there; a type without any range gets its number unrecorded. Empty on
// failure, and when no range had room: the operator is told that the ranges are used up, or,
// when Agotados is given, that text comes back there untold, for a caller that names it in its
// own refusal (other failures are told all the same). SinTalonarios, when given, tells whether
// the number came unrecorded, the type having no range at all.
std::string AsignarNumeroComprobante(const std::string& TC, std::string& Sucursal,
                                     std::string& Letra, std::string* Agotados = nullptr,
                                     bool* SinTalonarios = nullptr);

// Accounting register type (sub-journal) of a document type; "" when it has none.
std::string ObtieneTipoRegCont(const std::string& TC);

// Next accounting-entry number ([NUMERO ASIENTO]) of month, period and register type (a
// missing or blank TipoReg counts the blank and the Chr(255)+"RS" entries). 1 when none yet;
// 0 when the read failed.
int32_t ValidaTCRegistraciones(int32_t Mes, const std::string& Periodo,
                               const std::optional<std::string>& TipoReg = std::nullopt);

}  // namespace numbering
