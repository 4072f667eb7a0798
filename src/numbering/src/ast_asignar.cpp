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

std::string AsignarNumeroComprobante(const std::string& TC, std::string& Sucursal, std::string& Letra) {
    using foundation::SqlText;
    foundation::DB_Dll& db = foundation::Db();
    std::string numero;
    std::string resultado;
    adodb::Recordset rs;
    std::string sql;
    bool existe = false;
    vb::RunSteps(
        {
            [&] {
                bool modifica = false;
                Obtener_Nro_Comprobante(TC, Sucursal, numero, Letra, modifica, true, "",
                                        std::string(foundation::gUNegocio));
            },
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
            [&] { resultado = Sucursal + numero + Letra; },
        },
        foundation::Tratamiento("AsignarNumeroComprobante"));
    return resultado;
}

}  // namespace numbering
