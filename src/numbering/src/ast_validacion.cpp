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

using detail::BanderaCampo;
using detail::NumeroCampo;

// Modificanumeracion true with both limits of the letter at 0 (a Null fails its part).
bool NumeracionLibre(const adodb::Recordset& rs, const std::string& letra) {
    const std::optional<double> desde = NumeroCampo(rs, detail::ColumnaLetra(letra, "_NRO_DESDE"));
    const std::optional<double> hasta = NumeroCampo(rs, detail::ColumnaLetra(letra, "_NRO_HASTA"));
    return BanderaCampo(rs, "Modificanumeracion") && desde == 0.0 && hasta == 0.0;
}

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

    const std::string codigo = detail::CodigoTC(TC);
    const std::string sucursal = foundation::SqlNumber(helpers::gFunciones().TextoAMoneda(Sucursal).ToDouble());

    // The last range of the branch whose limits hold the number becomes the current one; a
    // free range ends the scan.
    std::string sql = "Select * from v_ta_cpte where codigo = " + foundation::SqlText(codigo) + " and " +
                      detail::ColumnaLetra(Letra, "_SUC_DEFAULT") + " = " + sucursal;
    adodb::Recordset rs;
    db.AbrirRecordset(sql, rs);
    bool externo = false;
    for (; !rs.EOF(); rs.MoveNext()) {
        externo = BanderaCampo(rs, "Externo");
        if (externo || NumeracionLibre(rs, Letra)) break;
        const std::optional<double> desde = NumeroCampo(rs, detail::ColumnaLetra(Letra, "_NRO_DESDE"));
        const std::optional<double> hasta = NumeroCampo(rs, detail::ColumnaLetra(Letra, "_NRO_HASTA"));
        if (desde && hasta && n >= *desde && n <= *hasta) {
            TalonarioActual = vb::CLng(vb::Val(detail::TextoCampo(rs, "talonario")));
        }
    }
    rs.Close();

    sql = "SELECT * FROM V_TA_CPTE WHERE CODIGO = " + foundation::SqlText(codigo) +
          " and Talonario = " + vb::CStr(TalonarioActual);
    db.AbrirRecordset(sql, rs);
    if (rs.EOF()) {
        Mensaje = "Debe configurar la numeracióN de Comprobantes";
        return false;
    }
    if (externo || NumeracionLibre(rs, Letra)) {
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
    Mensaje += "\r\rVerifique los datos desde la TABLA DE COMPROBANTES y vuelta a Intentarlo";
    if (valido) Mensaje.clear();
    return valido;
}

}  // namespace numbering
