// Next document number: the range walk, then the repair of a number already in use.
#include <string>
#include <vector>

#include "ast_internal.h"
#include "foundation/configuracion.h"
#include "foundation/db_dll.h"
#include "foundation/sql_literal.h"
#include "helpers/helpers.h"
#include "numbering/ast.h"
#include "vb/format.h"
#include "vb/text.h"

namespace numbering {

namespace {

using foundation::SqlText;
using detail::FiltroClave;
using detail::NumeroDeClave;

// Types whose number is left alone once it has no accounting entry.
const std::vector<std::string> kSinReparacion = {"OPG", "PG",   "FC", "NC", "ND", "NP",  "GF",  "PR",  "RM",
                                                 "TK",  "TKFC", "FP", "IR", "VS", "SI", "AJP", "AJN", "TRP"};

}  // namespace

std::string ObtieneTCEquivalente(const std::string& TC) {
    const std::string tc = vb::Trim(TC);
    static const std::vector<std::string> kPorConfiguracion = {"FCC", "FPC", "FP", "NCC", "NDC", "PG",  "FC",
                                                               "NC",  "ND",  "CB", "CBCT", "TK", "TKFC"};
    static const std::vector<std::string> kPropios = {"CBFP", "PGFP", "NCFP", "NCCP", "GF"};
    if (helpers::gFunciones().EstaEnLista(tc, kPorConfiguracion)) {
        std::string aux;
        return vb::Trim(foundation::Cfg("EQU_" + tc, aux));
    }
    if (helpers::gFunciones().EstaEnLista(tc, kPropios)) return tc;
    return "";
}

bool ComprobanteTieneAsiento(const std::string& TC, const std::string& Sucursal,
                             const std::string& Numero, const std::string& Letra,
                             std::string& Asiento, const std::string& Cuenta) {
    if (vb::Equals(vb::Trim(TC), "OC")) return false;
    std::string sql = "SELECT * FROM MV_ASIENTOS WHERE TC = " + SqlText(helpers::gFunciones().AjustaAncho(TC, 4)) +
                      " AND SUCURSAL = " + SqlText(Sucursal) + " AND NUMERO = " + SqlText(Numero) +
                      " AND LETRA = " + SqlText(Letra);
    if (!Cuenta.empty()) sql += " AND CUENTA = " + SqlText(Cuenta);
    adodb::Recordset rs;
    foundation::Db().AbrirRecordset(sql, rs);
    if (rs.EOF()) return false;
    const helpers::ClsFunciones& f = helpers::gFunciones();
    Asiento = vb::Format(f.ValorCampo(rs.Fields("MES_OPERATIVO")), "00") + " - " +
              vb::Format(f.ValorCampo(rs.Fields("NUMERO ASIENTO")), "000000");
    return true;
}

void Obtener_Nro_Comprobante(const std::string& TC, std::string& Sucursal, std::string& Numero,
                             std::string& Letra, bool& ModificaNumeracion, bool Verifica,
                             const std::string& /*SinUso*/, const std::string& UNegocio) {
    detail::ProximoNumero(TC, Sucursal, Numero, Letra, ModificaNumeracion, Verifica, UNegocio, std::nullopt);
}

detail::Recorrido detail::ProximoNumero(const std::string& TC, std::string& Sucursal, std::string& Numero,
                                        std::string& Letra, bool& ModificaNumeracion, bool Verifica,
                                        const std::string& UNegocio, std::optional<int32_t> despuesDe,
                                        bool avisaAgotados) {
    detail::Recorrido recorrido;
    if (TC.empty()) return recorrido;
    foundation::DB_Dll& db = foundation::Db();
    const helpers::ClsFunciones& f = helpers::gFunciones();
    const vb::ErrorHandler manejador = foundation::Tratamiento("Obtener_Nro_Comprobante");
    const auto paso = [&](const vb::Step& s) { return vb::RunStep(s, manejador); };
    std::string nroHasta = "99999999";
    adodb::Recordset rs;
    std::string sql;
    bool hay = false;
    // Opens `sql` and tells whether it gave a row; false when the procedure is left.
    const auto abre = [&] {
        hay = false;
        return paso([&] { db.AbrirRecordset(sql, rs); }) && paso([&] { hay = !rs.EOF(); });
    };
    // Reads ULTIMO of the open max query: nullopt when there is no row or it is Null.
    const auto ultimo = [&]() -> std::optional<std::string> {
        if (!hay) return std::nullopt;
        const vb::Variant& v = rs.Fields("ULTIMO").Value();
        if (v.IsNull()) return std::nullopt;
        return vb::TextOf(v);
    };

    bool equivalente = false;
    if (!paso([&] { equivalente = !ObtieneTCEquivalente(TC).empty(); })) return recorrido;
    std::string copia = nroHasta;
    recorrido = detail::RecorreTalonarios(TC, Sucursal, Numero, Letra, ModificaNumeracion, "", UNegocio,
                                          equivalente ? copia : nroHasta, despuesDe, avisaAgotados);
    if (!Verifica) return recorrido;
    // A type without ranges gets "1" and "1" from the walk; its documents are stored under a
    // 4-digit branch and an 8-digit number, and the repair looks them up, and hands the
    // number out, in that form.
    if (recorrido.sinTalonarios) {
        Sucursal = vb::Format(vb::Val(Sucursal), "0000");
        Numero = vb::Format(vb::Val(Numero), "00000000");
    }

    const std::string tc = vb::Trim(TC);
    if (vb::Equals(tc, "VJ")) {
        sql = "SELECT * From MV_VIAJES WHERE TC = " + SqlText(TC) + " AND IDCOMPROBANTE = " +
              SqlText(Sucursal + Numero + Letra);
        if (!abre() || !hay) return recorrido;
        sql = "SELECT MAX(idcomprobante) AS ULTIMO From MV_VIAJES" + FiltroClave(TC, Sucursal, Letra);
        if (!abre()) return recorrido;
        // The key exists, so the highest number is at least this one; the next is free.
        paso([&] {
            if (const auto u = ultimo(); u && f.TextoAMoneda(Numero).ToDouble() <= NumeroDeClave(*u)) {
                Numero = detail::NumeroSiguiente(NumeroDeClave(*u));
            }
        });
        return recorrido;
    }

    bool tieneAsiento = false;
    if (!paso([&] {
            std::string asiento;
            tieneAsiento = ComprobanteTieneAsiento(TC, Sucursal, Numero, Letra, asiento, "");
        })) {
        return recorrido;
    }
    if (tieneAsiento) {
        sql = "SELECT MAX(NUMERO) AS ULTIMO From MV_ASIENTOS WHERE TC = " + SqlText(TC) + " AND SUCURSAL= " +
              SqlText(Sucursal) + " AND LETRA = " + SqlText(Letra);
        if (!abre()) return recorrido;
        bool hayUltimo = false;
        if (!paso([&] {
                const auto u = ultimo();
                hayUltimo = u.has_value();
                Numero = u ? detail::NumeroSiguiente(f.TextoAMoneda(*u).ToDouble()) : "00000001";
            })) {
            return recorrido;
        }
        if (hayUltimo && vb::Equals(tc, "CBFP")) {
            sql = "SELECT MAX(idcomprobante) AS ULTIMO From V_MV_CPTE" + FiltroClave(TC, Sucursal, Letra);
            if (!abre()) return recorrido;
            paso([&] {
                if (const auto u = ultimo(); u && f.TextoAMoneda(Numero).ToDouble() <= NumeroDeClave(*u)) {
                    Numero = detail::NumeroSiguiente(NumeroDeClave(*u));
                }
            });
        }
        return recorrido;
    }

    if (f.EstaEnLista(tc, kSinReparacion)) return recorrido;
    if (vb::Equals(tc, "OC")) {
        sql = "SELECT * From C_MV_CPTE WHERE TC = " + SqlText(TC) + " AND IDCOMPROBANTE = " +
              SqlText(Sucursal + Numero + Letra);
        if (!abre() || !hay) return recorrido;
        sql = "SELECT MAX(NUMERO) AS ULTIMO From C_MV_CPTE WHERE TC = " + SqlText(TC) + " AND SUCURSAL = " +
              SqlText(Sucursal);
        sql += f.TextoAMoneda(nroHasta).ToDouble() > 0
                   ? " AND NUMERO < " + SqlText(nroHasta) + " AND LETRA = " + SqlText(Letra) + " "
                   : " AND LETRA = " + SqlText(Letra);
        if (!abre()) return recorrido;
        paso([&] {
            const auto u = ultimo();
            Numero = u ? detail::NumeroSiguiente(f.TextoAMoneda(*u).ToDouble()) : "00000001";
        });
        return recorrido;
    }
    // Any other type: the control row left for the number now handed out goes.
    std::string borra = "DELETE V_MV_CTROL_CPTE WHERE TC = " + SqlText(TC) + " AND SUCURSAL = " + SqlText(Sucursal) +
                        " AND NUMERO = " + SqlText(Numero) + " AND LETRA = " + SqlText(Letra);
    db.EjecutaConsultaSQL(borra);
    return recorrido;
}

}  // namespace numbering
