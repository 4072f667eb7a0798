// Stock-movement document numbers.
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

// How many numbers a request takes before it gives up to other stations.
constexpr int kIntentos = 10;

// The next number of the type, moved past the numbers V_MV_STOCK holds for its branch and
// letter. False when the request ends without a number: the procedure was left on an error, or
// no range had room (the range walk told the operator).
bool Propone(const std::string& TC, std::string& Sucursal, std::string& Letra, std::string& numero,
             const vb::ErrorHandler& manejador) {
    using foundation::SqlText;
    foundation::DB_Dll& db = foundation::Db();
    numero.clear();
    if (!vb::RunStep(
            [&] {
                bool modifica = false;
                Obtener_Nro_Comprobante(TC, Sucursal, numero, Letra, modifica, true, "",
                                        std::string(foundation::gUNegocio));
            },
            manejador) ||
        numero.empty()) {
        return false;
    }
    adodb::Recordset rs;
    std::string sql;
    bool existe = false;
    return vb::RunSteps(
        {
            // A type without ranges gives "1" and "1": the key is still built of a 4-digit
            // branch and an 8-digit number, so that the look-up and the repair below see it.
            [&] {
                Sucursal = vb::Format(vb::Val(Sucursal), "0000");
                numero = vb::Format(vb::Val(numero), "00000000");
            },
            [&] {
                sql = "SELECT TC,IDCOMPROBANTE From V_MV_STOCK WHERE TC = " + SqlText(TC) +
                      " AND IDCOMPROBANTE = " + SqlText(Sucursal + numero + Letra);
                db.AbrirRecordset(sql, rs);
            },
            [&] { existe = !rs.EOF(); },
            [&] {
                if (!existe) return;
                sql = "SELECT MAX(IDCOMPROBANTE) AS ULTIMO From V_MV_STOCK" + detail::FiltroClave(TC, Sucursal, Letra);
                db.AbrirRecordset(sql, rs);
            },
            [&] {
                if (!existe) return;
                const vb::Variant ultimo = rs.EOF() ? vb::Variant(vb::Null) : rs.Fields("ULTIMO").Value();
                numero = ultimo.IsNull() ? "00000001"
                                         : detail::NumeroSiguiente(detail::NumeroDeClave(vb::TextOf(ultimo)));
            },
            [&] { db.CierraRecordset(rs); },
        },
        manejador);
}

}  // namespace

// The number is recorded in its range as it is taken, by a compare-and-set on the range's row:
// when another station took it first, the request reads the range again and takes the next.
std::string AsignarNumeroComprobante(const std::string& TC, std::string& Sucursal, std::string& Letra) {
    const vb::ErrorHandler manejador = foundation::Tratamiento("AsignarNumeroComprobante");
    for (int intento = 1;; ++intento) {
        std::string numero;
        if (!Propone(TC, Sucursal, Letra, numero, manejador)) return "";
        detail::Reserva reserva = detail::Reserva::Libre;
        if (!vb::RunStep([&] { reserva = detail::ReservaNumero(TC, Sucursal, numero, Letra); }, manejador)) {
            return "";
        }
        if (reserva != detail::Reserva::Ocupada) return Sucursal + numero + Letra;
        if (intento < kIntentos) continue;
        const vb::Error ocupado(detail::kErrNumeroAlcanzado,
                                "Otras estaciones tomaron los números del comprobante " + vb::Trim(TC) + " (sucursal " +
                                    Sucursal + ", letra " + Letra + ") hasta el " + numero + " mientras se pedían; " +
                                    "no se asignó ningún número");
        if (manejador(ocupado) != vb::kAnswerRepeat) return "";
        intento = 0;
    }
}

}  // namespace numbering
