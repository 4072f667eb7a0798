// Stock-movement document numbers.
#include <algorithm>
#include <chrono>
#include <random>
#include <thread>

#include "ast_internal.h"
#include "foundation/configuracion.h"
#include "foundation/db_dll.h"
#include "foundation/sql_literal.h"
#include "numbering/ast.h"
#include "vb/conv.h"
#include "vb/format.h"
#include "vb/text.h"

namespace numbering {

namespace {

// How many numbers a request loses to other stations before it asks the operator.
constexpr int kIntentos = 10;

// A number proposed for the request and the range it came from.
struct Propuesta {
    std::string numero;
    detail::Recorrido rango;
};

// A short random pause after a number was lost to another station, longer after each loss,
// so that two stations do not ask again in lock-step.
void Pausa(int perdidas) {
    static thread_local std::mt19937 azar{std::random_device{}()};
    std::uniform_int_distribution<int> ms(1, 5 * perdidas);
    std::this_thread::sleep_for(std::chrono::milliseconds(ms(azar)));
}

// The next number of the type (the walk passing over the ranges up to `agotados`), moved past
// the numbers V_MV_STOCK holds for its branch and letter within its range. A number outside
// its range is left for the caller to pass the range over. False when the request ends without
// a number: the procedure was left on an error, or no range had room (the walk told the
// operator, or, with `avisaAgotados` false, left its text in the proposal's range).
bool Propone(const std::string& TC, std::string& Sucursal, std::string& Letra, std::optional<int32_t> agotados,
             Propuesta& p, const vb::ErrorHandler& manejador, bool avisaAgotados) {
    using foundation::SqlText;
    foundation::DB_Dll& db = foundation::Db();
    p = {};
    if (!vb::RunStep(
            [&] {
                bool modifica = false;
                p.rango = detail::ProximoNumero(TC, Sucursal, p.numero, Letra, modifica, true,
                                                std::string(foundation::gUNegocio), agotados, avisaAgotados);
            },
            manejador) ||
        p.numero.empty() || (!p.rango.sinTalonarios && !p.rango.talonario)) {
        return false;
    }
    const bool conRango = p.rango.talonario.has_value();
    adodb::Recordset rs;
    std::string sql;
    bool existe = false;
    return vb::RunSteps(
        {
            // ProximoNumero gives a 4-digit branch and an 8-digit number, for a type without
            // ranges too.
            [&] {
                const double n = vb::Val(p.numero);
                if (conRango && (n < p.rango.desde || n > p.rango.hasta)) return;
                sql = "SELECT TC,IDCOMPROBANTE From V_MV_STOCK WHERE TC = " + SqlText(TC) +
                      " AND IDCOMPROBANTE = " + SqlText(Sucursal + p.numero + Letra);
                db.AbrirRecordset(sql, rs);
                existe = !rs.EOF();
            },
            [&] {
                if (!existe) return;
                sql = "SELECT MAX(IDCOMPROBANTE) AS ULTIMO From V_MV_STOCK" + detail::FiltroClave(TC, Sucursal, Letra);
                if (conRango) {
                    // Only the numbers of this range: the number after them stays in it or
                    // passes its limit, never jumps into another range.
                    sql += " AND SUBSTRING(IDCOMPROBANTE,5,8) BETWEEN " +
                           SqlText(vb::Format(p.rango.desde, "00000000")) + " AND " +
                           SqlText(vb::Format(std::min(p.rango.hasta, 99999999.0), "00000000"));
                }
                db.AbrirRecordset(sql, rs);
            },
            [&] {
                if (!existe) return;
                const vb::Variant ultimo = rs.EOF() ? vb::Variant(vb::Null) : rs.Fields("ULTIMO").Value();
                p.numero = ultimo.IsNull() ? "00000001"
                                           : detail::NumeroSiguiente(detail::NumeroDeClave(vb::TextOf(ultimo)));
            },
            [&] { db.CierraRecordset(rs); },
        },
        manejador);
}

}  // namespace

// For a type with ranges, a number is handed out only when a range holds it and it was
// recorded there, by a compare-and-set on the range's row: when another station took it
// first, the request reads the range again and takes the next; a range whose remaining
// numbers are all stored is passed over for the next one.
std::string AsignarNumeroComprobante(const std::string& TC, std::string& Sucursal, std::string& Letra,
                                     std::string* Agotados, bool* SinTalonarios) {
    const vb::ErrorHandler manejador = foundation::Tratamiento("AsignarNumeroComprobante");
    if (Agotados != nullptr) Agotados->clear();
    if (SinTalonarios != nullptr) *SinTalonarios = false;
    std::optional<int32_t> agotados;  // the ranges this request found used up
    for (int perdidas = 0;;) {
        Propuesta p;
        if (!Propone(TC, Sucursal, Letra, agotados, p, manejador, Agotados == nullptr)) {
            if (Agotados != nullptr) *Agotados = p.rango.agotados;
            return "";
        }
        // A type without ranges has no counter: its number goes out unrecorded.
        if (p.rango.sinTalonarios) {
            if (SinTalonarios != nullptr) *SinTalonarios = true;
            return Sucursal + p.numero + Letra;
        }
        const double n = vb::Val(p.numero);
        if (n < p.rango.desde || n > p.rango.hasta) {
            agotados = p.rango.talonario;
            continue;
        }
        detail::Reserva reserva = detail::Reserva::Libre;
        if (!vb::RunStep([&] { reserva = detail::ReservaNumero(TC, *p.rango.talonario, p.numero, Letra); },
                         manejador)) {
            return "";
        }
        if (reserva == detail::Reserva::Tomada) return Sucursal + p.numero + Letra;
        // Another station moved the counter, or the range changed: read it again.
        if (++perdidas < kIntentos) {
            Pausa(perdidas);
            continue;
        }
        const vb::Error ocupado(detail::kErrNumeroAlcanzado,
                                "Otras estaciones tomaron los números del comprobante " + vb::Trim(TC) + " (sucursal " +
                                    Sucursal + ", letra " + detail::LetraVisible(Letra) + ") hasta el " + p.numero +
                                    " mientras se pedían; no se asignó ningún número");
        if (manejador(ocupado) != vb::kAnswerRepeat) return "";
        perdidas = 0;
    }
}

}  // namespace numbering
