// The working state of one stock posting (ClsCmnCptes::ActualizaStock) and
// the pieces the posting is made of: the movement line, the inputs discharge
// and the run-or-queue of a statement.
//
// Everything runs on the user-interface thread, inside one call of
// ActualizaStock; nothing here outlives that call.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "helpers/helpers.h"
#include "vb/currency.h"
#include "vb/error.h"

namespace documents {
class ClsCmnCptes;
}
namespace ui {
class FlexGrid;
}

namespace posting::detail {

// The marker a caller passes for a document-level value that each grid line
// carries itself (depot, motive, origin).
inline constexpr const char* kElDelGrid = "ELDELGRID";

// Thrown (outside any error-convention step) to leave the posting: the
// operator chose to leave after an error, the database rejected a statement
// in immediate mode, or a line was refused.
struct PosteoAbandonado {};

// One lot or serial entry of a posted line: what one V_MV_STOCK row moves.
struct Entrada {
    std::string lote;   // fitted to 25; blank: none
    std::string serie;  // fitted to 25; blank: none
    vb::Currency cantidad;
};

// The stock accounting entry a document is booked under, kept open from
// call to call: what the next row of the same document goes on with, and
// what names the entry when the database refuses it.
struct AsientoAbierto {
    std::int32_t numero = 0;  // [NUMERO ASIENTO]; 0: none yet
    std::string documento{};  // the document's key: type fitted to 4, branch, number, letter
    int secuencia = 1;        // the next free sequence number of its lines
    int mes = 0;
    std::string periodo{};
    std::string tipoReg{};
};

// How one call of the stock accounting entry books.
struct ModoAsiento {
    // The call books the next row of the open entry's document: it goes on
    // under that entry. Otherwise (or for another document) it opens a new
    // one, refused for a document already booked.
    bool sigue = false;
    // A document already booked opens an entry of its own all the same: a
    // production document posts new rows each time.
    bool otroAsientoPermitido = false;
    // The statements go to a caller who runs them: when the database refuses
    // the statement holding them, the refusal is explained to the user then.
    bool explicaRechazo = false;
};

struct Posteo {
    documents::ClsCmnCptes& cmn;
    ui::FlexGrid& grilla;

    // ---- The call's arguments --------------------------------------------
    std::string TC;
    std::string SucNroLetra;
    std::string IdComplemento;
    std::string Fecha;
    // Replaced by their SQL literals ("'0001'" or NULL) during the set-up;
    // bound to the caller's variables when it passed them.
    std::string& IdDeposito;
    std::string& IdDepositoDestino;
    std::string& IdMotivoStock;
    std::string& TcOrigen;
    std::string& ComprobanteOrigen;
    bool EsTransferencia = false;
    bool GeneraSentenciaSQL = false;
    std::string& SQLTemp;
    bool SQLTempDelLlamador = true;  // false: the caller passed no batch
    std::string IdTecnico;
    std::string LoteFijo;
    std::string Aduana;
    std::string LoteOrigen;
    int SignoRemota = 0;
    bool MuestraCartel = false;
    std::string IdVendedor;

    // ---- Working values ----------------------------------------------------
    std::string Cuenta;  // as the caller passed it (the discharge reads it)
    std::string cuenta{};  // working copy of Cuenta; "PorDefault" resolved by the first line
    bool tcOrigenPorLinea = false;
    bool comprobanteOrigenPorLinea = false;
    bool motivoPorLinea = false;
    bool compras = false;     // the document type belongs to the purchase system
    bool produccion = false;  // document type "OP"
    int signo = 0;            // +1, -1 or 0 (no stock sign)
    int pasada = 1;
    std::int16_t Secuencia = 0;
    int fila = 0;
    Entrada entrada{};        // the entry being written
    bool comodato = false;  // some written line is on loan (column 88 = 1)
    int TipoMov = 0;
    std::string depositoLinea{};                   // SQL literal of the last line depot of pass 1
    std::map<int, std::string> depositoPorFila{};  // the same, per row, for a transfer's pass 2
    std::set<int> filasConAsiento{};               // rows whose accounting statement already ran
    // The entry the object keeps, taken over at the start and handed back
    // when the posting succeeds. Immediate mode books the document line by
    // line under one entry, opened at the first line booked.
    AsientoAbierto asiento{};
    bool asientoAbierto = false;  // this posting opened its entry
    bool detenido = false;  // the posting stops: a statement or a line was refused
    // Why the document was refused, told to the user once nothing of it is
    // left in the database (empty: not refused), and the box's title.
    std::string rechazo{};
    std::string tituloRechazo{};
    // The "PE" numbers the discharge took: given back when the posting is
    // abandoned outside a unit that would undo them.
    std::vector<std::string> numerosPE{};
    // The discharge type has no range to record its number in: the
    // numbering's notice is shown once the posting's unit is done.
    bool sinTalonariosPE = false;
};

// Runs one step under the error convention of the posting (routine
// "ActualizaStock"); throws PosteoAbandonado when the operator leaves, or
// when the step stopped the posting on a database error.
void Paso(Posteo& p, const std::function<void()>& paso);

// Paso for a step that reads the grid's numbers: a number too large to keep
// ("1e400", twenty digits) refuses the posted line, or the document once
// past its rows, where it would raise an overflow.
void PasoConNumeros(Posteo& p, const std::function<void()>& paso);

// The helper library's text and number functions.
helpers::ClsFunciones& F();

// Appends a (column, literal) pair to the field list ArmaInsert reads.
void Agrega(const char* columna, std::string literal);

// The cell of the posted row.
const std::string& Celda(const Posteo& p, int columna);

// True when the text, trimmed, is empty.
bool Blanco(const std::string& texto);

// A flag cell of the posted row: TextoABoolean of the trimmed cell, under
// which a blank cell reads as set.
bool Bandera(const Posteo& p, int columna);

// DB_Dll.SQLValue: "'" quoted (apostrophes doubled), "@" numeric, "" as is.
std::string Literal(const std::string& valor, const char* tipo);
// The quoted literal of a text (apostrophes doubled).
std::string LiteralTexto(const std::string& valor);
// The numeric literal of an amount, a double.
std::string LiteralNumero(double valor);
// The numeric literal of a quantity times a sign.
std::string LiteralCantidad(vb::Currency cantidad, int factor);
// The literal of a depot or motive argument as the set-up prepared it; the
// per-line marker, which names no value of its own, gives NULL.
std::string LiteralPreparado(const std::string& preparado);
// A document's complement number, written unquoted: it must be a whole
// number (error 13 otherwise).
std::string LiteralComplemento(const std::string& IdComplemento);

// Column 1 of the row, trimmed, cut to 100 characters, without apostrophes.
std::string DescripcionLinea(const Posteo& p);

// The CantidadUD pair (the cell's quantity times the factor) and the
// IdUnidadBase pair (the unit cell, quoted).
void ParesCantidadUD(const Posteo& p, int columnaCantidad, int columnaUnidad, int factor);

// Adds 1 to Secuencia; a number beyond 32767 raises error 6 (overflow).
void IncrementaSecuencia(Posteo& p);

// The document as the user reads it: "RM 0001-00000012-X".
std::string NombreComprobante(const std::string& TC, const std::string& Suc, const std::string& Nro,
                              const std::string& Letra);
// The posted document as the user reads it (its type alone when it has no number).
std::string NombreComprobante(const Posteo& p);

// Refuses the document: stops the posting, which then leaves nothing
// behind; once the document is undone (and the lock of its unit released)
// the user and the error log are told that its stock was not recorded and
// why. The first refusal is the one told. `titulo`: the box's title.
void RechazaDocumento(Posteo& p, const std::string& motivo, const char* titulo = "Aviso al Operador");
// The posted line as the user reads it: "la línea 2 (artículo A1)".
std::string LineaDelDocumento(const Posteo& p);
// Refuses the document for a posted line, named with its article.
void RechazaLinea(Posteo& p, const std::string& motivo);

// Runs the statement at once. When the database refuses it, tells the user
// which document was not recorded and `que` part of it, or, for its
// accounting entry (`esAsiento`), that another station took the entry's
// number; the log keeps the engine's text. Stops the posting and returns
// false then.
bool Ejecuta(Posteo& p, std::string sentencia, const std::string& que, bool esAsiento = false);
// Immediate mode: Ejecuta. Batch mode: appends a carriage return and the
// statement to SQLTemp.
bool EjecutaOAgrega(Posteo& p, std::string sentencia, const std::string& que);

// The field list of the V_MV_STOCK row of the current entry.
void ArmaLineaMovimiento(Posteo& p);

// Whether a grid row is a line (a quantity and an article code).
bool EsLinea(const Posteo& p);

// The discharge of the inputs of the posted articles as a "PE" document.
// SegundaTransferencia: the second run of a transfer.
void DescargaInsumos(Posteo& p, bool SegundaTransferencia);
// Drops the records of the "PE" numbers the discharge handed out (its
// posting was abandoned, its statements given back).
void RetiraDescargas(const Posteo& p);

// GeneraAsientoStock under the open entry `asiento`, booked as `modo` says
// (SoloRegistro only chooses the rows). When the document cannot be booked
// (already booked, no entry number, no number for its cost-of-sales
// document) the result is empty and `rechazo`, when given, receives why;
// a failure to read a number was already told to the user.
std::string ArmaAsientoStock(documents::ClsCmnCptes& cmn, AsientoAbierto& asiento, const ModoAsiento& modo,
                             ui::FlexGrid& Grid, std::string& eMotivoStock, std::string& TC, std::string& Suc,
                             std::string& Nro, std::string& Letra, std::string& Fecha, bool& EsDebito, int TipoMov,
                             long SoloRegistro, int& Secuencia, std::string* rechazo = nullptr);

// The key of a document: type fitted to 4, branch, number, letter, in capitals.
std::string ClaveDocumento(const std::string& TC, const std::string& Suc, const std::string& Nro,
                           const std::string& Letra);
// The entry as the user reads it: "asiento 000012 (mes 03, subdiario ST)".
std::string NombreAsiento(const AsientoAbierto& asiento);
// The document another station stored under the entry's number, as the user
// reads it ("" when none).
std::string OtroComprobanteDelAsiento(const AsientoAbierto& asiento);
// Why the database refused the open entry's lines, when another document
// holds its number ("" otherwise).
std::string AsientoTomado(const AsientoAbierto& asiento);
// Whether MV_ASIENTOS holds a line of the entry, of any document.
bool AsientoGrabado(const AsientoAbierto& asiento);
// "<asiento> ya lo había tomado otra estación para el comprobante <otro>."
std::string AsientoTomadoPorOtra(const std::string& asiento, const std::string& otro);
// A refusal of the database: the error's number, its engine's own code, its text.
struct RechazoBase {
    long numero = 0;
    long nativo = 0;
    std::string descripcion{};

    // A unique index or key refused a repeated value.
    bool Repeticion() const;
    // What was refused, in the user's words: " por repetir datos ya grabados",
    // " por llevar dos veces, en el mismo lote, ..." (`enElLote`: nothing stored
    // held the value), " con el aviso "<text>"" of a trigger or of the batch's
    // own check, a missing value, a reference or a condition; "" for a
    // failure that is no refusal.
    std::string Motivo(bool enElLote) const;
};
// "la base de datos rechazó <que>", what it refused (RechazoBase::Motivo), and
// " (el detalle quedó en el registro de errores)."
std::string TextoRechazoDeLaBase(const std::string& que, const RechazoBase& rechazo, bool enElLote);

// ---- What was handed out for statements not run yet ----------------------------
//
// Documents built into a caller's batch and entry numbers handed out, on the
// session's connection, for statements that have not run there yet. An entry
// number so handed out is not handed out again on the connection to another
// document, so that documents built into one batch, through one object or
// several, never take the same entry; a refusal of a statement holding such
// documents is told to the user naming them. A record goes when a statement
// holding one of its marks runs or fails through EjecutaConsultaSQL (stored,
// or dropped: a rolled-back store frees its number again), when its posting
// is abandoned, or when the connection opens again (a batch a caller built
// and never ran keeps its records until then). Other stations are kept apart
// by the entry index, the numbering's compare-and-set, and, for a number of a
// type without ranges, the check that runs first in the batch
// (numbering::ChequeoNumeroLibre).
struct Entregado {
    std::string documento;            // ClaveDocumento of what was built
    std::string comprobante;          // the same as the user reads it
    AsientoAbierto asiento{};         // its entry; number 0: none
    std::vector<std::string> marcas;  // statements of its own, as built
    bool explica = false;             // a caller runs them: a refusal is told to the user
};
// Records what was handed out; a record of the same document and entry
// number takes the new marks.
void Entrega(const Entregado& entregado);
// Drops the record of the document and entry number (its posting was abandoned).
void Retira(const std::string& documento, std::int32_t numero);
// The lowest entry number from `desde` on that no other document than the
// entry's holds handed out under the entry's month, period and register type.
std::int32_t NumeroSinEntregar(const AsientoAbierto& asiento, std::int32_t desde);
// Whether something was handed out for the document.
bool DocumentoEntregado(const std::string& documento);
// A new number of a document type (AsignarNumeroComprobante: branch, number
// and letter, 13 characters) that no document handed out on the connection
// holds: a type without ranges is numbered after the stored documents,
// unrecorded, and would give documents built into one batch the same number.
// "" when there is none (`agotados` as AsignarNumeroComprobante takes it).
// `chequeo` receives, for a number of a type without ranges, the statement a
// caller's batch runs before the document's own, so that it fails when
// another station stored the number first; "" for a number of a range, which
// its compare-and-set already holds.
std::string NumeroComprobanteSinEntregar(const std::string& TC, std::string& Sucursal, std::string& Letra,
                                         std::string* agotados = nullptr, std::string* chequeo = nullptr);

}  // namespace posting::detail
