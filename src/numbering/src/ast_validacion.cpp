// Numbering ranges and number validation.
#include "ast_internal.h"
#include "foundation/db_dll.h"
#include "foundation/sql_literal.h"
#include "helpers/helpers.h"
#include "numbering/ast.h"
#include "vb/conv.h"
#include "vb/text.h"

namespace numbering {

namespace {

using detail::NumeroCampo;

const std::string kVerifique = "\r\rVerifique los datos desde la TABLA DE COMPROBANTES y vuelta a Intentarlo";

// The line of a limit the number does not respect.
std::string LineaLimite(double n, const char* parametro, const std::string& limite) {
    return "\rEl Número de comprobante (" + vb::CStr(n) + ") no respeta el parametro " + parametro +
           " del comprobante (" + limite + ") , Nro de Control: " + vb::CStr(TalonarioActual);
}

}  // namespace

bool ValidaNumeroComprobante(const std::string& TC, const std::string& Sucursal,
                             const std::string& Numero, std::string& Letra, std::string& Mensaje,
                             const std::string& Fecha) {
    foundation::DB_Dll& db = foundation::Db();
    const double n = vb::Val(Numero);
    const bool positivo = n > 0;

    // A blank letter passes here (and fails at its column); anything else must be one letter
    // of the set, not a piece of the list such as "A,B".
    if (!vb::Trim(Letra).empty() && !detail::EsLetraValida(Letra)) {
        Mensaje = std::string(" La letra Informada no es Valida, la misma debe ser ") + kLetrasComprobante;
        return false;
    }
    if (Letra.empty()) Letra = "X";

    // The range comes from the number alone, never from an earlier call.
    const double sucursal = helpers::gFunciones().TextoAMoneda(Sucursal).ToDouble();
    const detail::Seleccion rango = detail::EligeTalonario("V_TA_CPTE", TC, sucursal, n, Letra);
    if (!rango.talonario) {
        if (!rango.hayRangos) {
            Mensaje = "Debe configurar la numeracióN de Comprobantes";
        } else if (positivo) {
            Mensaje = detail::TextoSinTalonario(TC, sucursal, n, Letra) + kVerifique;
        } else {
            Mensaje += kVerifique;
        }
        return false;
    }
    TalonarioActual = *rango.talonario;

    std::string sql = "SELECT * FROM V_TA_CPTE WHERE CODIGO = " + foundation::SqlText(detail::CodigoTC(TC)) +
                      " and Talonario = " + vb::CStr(TalonarioActual);
    adodb::Recordset rs;
    db.AbrirRecordset(sql, rs);
    if (rs.EOF()) {
        Mensaje = "Debe configurar la numeracióN de Comprobantes";
        return false;
    }
    if (rango.externo || detail::NumeracionLibre(rs, Letra)) {
        Mensaje.clear();
        return true;
    }

    bool valido = positivo;
    const std::string vence = detail::TextoCampo(rs, detail::ColumnaVence(Letra));
    if (!Fecha.empty() && !vence.empty() &&
        detail::DiaDe(rs.Fields(detail::ColumnaVence(Letra)).Value()) < detail::DiaDe(vb::Variant(Fecha))) {
        Mensaje = "El rango de numeracion del comprobante " + TC + " Control nro: " + vb::CStr(TalonarioActual) +
                  " se encuenta vencida...! Debe dar de alta un nuevo talonario para el comprobante " + TC;
        valido = false;
    }
    // The scan chose the range by its limits; they are read again here, as the row now stands.
    if (valido) {
        const std::string columna = detail::ColumnaLetra(Letra, "_NRO_DESDE");
        const std::optional<double> desde = NumeroCampo(rs, columna);
        if (!desde || n < *desde) {
            Mensaje += LineaLimite(n, "NRO DESDE", detail::TextoCampo(rs, columna));
            valido = false;
        }
    }
    if (valido) {
        const std::string columna = detail::ColumnaLetra(Letra, "_NRO_HASTA");
        const std::optional<double> hasta = NumeroCampo(rs, columna);
        if (!hasta || n > *hasta) {
            Mensaje += LineaLimite(n, "NRO HASTA", detail::TextoCampo(rs, columna));
            valido = false;
        }
    }
    Mensaje += kVerifique;
    if (valido) Mensaje.clear();
    return valido;
}

}  // namespace numbering
