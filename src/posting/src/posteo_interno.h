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

// How the stock accounting entry takes its number.
enum class NumeroAsiento {
    Siguiente,  // the kept number plus one, or the database's next when that is higher
    Nuevo,      // read from the database
    Mismo,      // the kept number as it stands
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
    // Immediate mode books the document line by line under one entry number,
    // taken at the first line booked; its lines number on from line to line.
    std::int32_t& nroAsientoObjeto;  // the number the object keeps between documents
    std::int32_t nroAsiento = 0;     // this document's, 0 until taken
    int secuenciaAsiento = 1;        // the next sequence number of its lines
    bool detenido = false;  // the posting stops: a statement or a line was refused
};

// Runs one step under the error convention of the posting (routine
// "ActualizaStock"); throws PosteoAbandonado when the operator leaves, or
// when the step stopped the posting on a database error.
void Paso(Posteo& p, const std::function<void()>& paso);

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

// Refuses the posted line: shows why (the line and its article named) and
// stops the posting, which then leaves nothing behind.
void RechazaLinea(Posteo& p, const std::string& motivo);

// Runs the statement at once. On a database error shows the error's
// description under "Aviso al operador", sets detenido and returns false.
bool Ejecuta(Posteo& p, std::string sentencia);
// Immediate mode: Ejecuta. Batch mode: appends a carriage return and the
// statement to SQLTemp.
bool EjecutaOAgrega(Posteo& p, std::string sentencia);

// The field list of the V_MV_STOCK row of the current entry.
void ArmaLineaMovimiento(Posteo& p);

// Whether a grid row is a line (a quantity and an article code).
bool EsLinea(const Posteo& p);

// The discharge of the inputs of the posted articles as a "PE" document.
// SegundaTransferencia: the second run of a transfer.
void DescargaInsumos(Posteo& p, bool SegundaTransferencia);

// GeneraAsientoStock with the entry number held in NroAsiento and taken as
// `numero` says (SoloRegistro only chooses the rows).
std::string ArmaAsientoStock(documents::ClsCmnCptes& cmn, std::int32_t& NroAsiento, NumeroAsiento numero,
                             ui::FlexGrid& Grid, std::string& eMotivoStock, std::string& TC, std::string& Suc,
                             std::string& Nro, std::string& Letra, std::string& Fecha, bool& EsDebito, int TipoMov,
                             long SoloRegistro, int& Secuencia);

}  // namespace posting::detail
