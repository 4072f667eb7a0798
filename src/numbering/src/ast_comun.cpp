// Helpers shared by the numbering module's sources.
#include <algorithm>
#include <cmath>

#include "ast_internal.h"
#include "foundation/comunes.h"
#include "foundation/db_dll.h"
#include "foundation/sql_literal.h"
#include "helpers/helpers.h"
#include "numbering/ast.h"
#include "vb/conv.h"
#include "vb/error.h"
#include "vb/format.h"
#include "vb/text.h"

namespace numbering {

int32_t TalonarioActual = 0;

namespace detail {

bool EsLetraValida(std::string_view letra) {
    const std::string l = vb::Trim(letra);
    return vb::Len(l) == 1 && l != "," && vb::InStr(kLetrasComprobante, l, vb::Compare::Text) > 0;
}

namespace {
std::string LetraDeColumna(std::string_view letra) {
    if (!EsLetraValida(letra)) {
        throw vb::InvalidCall("La letra '" + std::string(letra) +
                              "' no tiene columnas de numeración; debe ser " + kLetrasComprobante);
    }
    return vb::UCase(vb::Trim(letra));
}
}  // namespace

std::string ColumnaLetra(std::string_view letra, std::string_view sufijo) {
    return LetraDeColumna(letra) + std::string(sufijo);
}

std::string ColumnaVence(std::string_view letra) { return "Vence" + LetraDeColumna(letra); }

std::string CodigoTC(std::string_view tc) { return helpers::gFunciones().AjustaAncho(vb::Trim(tc), 4); }

std::string TextoCampo(const adodb::Recordset& rs, std::string_view campo) {
    return vb::TextOf(helpers::gFunciones().ValorCampo(rs.Fields(campo)));
}

std::optional<double> NumeroCampo(const adodb::Recordset& rs, std::string_view campo) {
    const vb::Variant& v = rs.Fields(campo).Value();
    if (v.IsNull() || v.IsEmpty()) return std::nullopt;
    return helpers::gFunciones().TextoADoble(vb::TextOf(v));
}

bool BanderaCampo(const adodb::Recordset& rs, std::string_view campo) {
    const vb::Variant& v = rs.Fields(campo).Value();
    return !v.IsNull() && foundation::TextoABoolean(vb::TextOf(v));
}

vb::Date DiaDe(const vb::Variant& valor) {
    const vb::Date fecha = valor.IsDate() ? std::get<vb::Date>(valor.Get()) : vb::CDate(vb::TextOf(valor));
    return vb::Date::FromSerial(std::floor(fecha.Serial()));
}

bool NumeracionLibre(const adodb::Recordset& rs, const std::string& letra) {
    const std::optional<double> desde = NumeroCampo(rs, ColumnaLetra(letra, "_NRO_DESDE"));
    const std::optional<double> hasta = NumeroCampo(rs, ColumnaLetra(letra, "_NRO_HASTA"));
    return BanderaCampo(rs, "Modificanumeracion") && desde == 0.0 && hasta == 0.0;
}

Seleccion EligeTalonario(const std::string& tabla, const std::string& tc, double sucursal, double n,
                         const std::string& letra, const std::string& sistema) {
    using foundation::SqlText;
    std::string sql = "Select * from " + tabla + " where codigo = " + SqlText(CodigoTC(tc));
    if (tabla != "V_TA_CPTE") sql += " and SISTEMA = " + SqlText(vb::Trim(sistema));
    sql += " and " + ColumnaLetra(letra, "_SUC_DEFAULT") + " = " + foundation::SqlNumber(sucursal);
    adodb::Recordset rs;
    foundation::Db().AbrirRecordset(sql, rs);
    const auto talonario = [&] { return vb::CLng(vb::Val(TextoCampo(rs, "talonario"))); };
    Seleccion s;
    for (; !rs.EOF(); rs.MoveNext()) {
        s.hayRangos = true;
        s.externo = BanderaCampo(rs, "Externo");
        if (s.externo || NumeracionLibre(rs, letra)) {
            // A free range takes any number.
            if (!s.talonario) s.talonario = talonario();
            break;
        }
        const std::optional<double> desde = NumeroCampo(rs, ColumnaLetra(letra, "_NRO_DESDE"));
        const std::optional<double> hasta = NumeroCampo(rs, ColumnaLetra(letra, "_NRO_HASTA"));
        if (desde && hasta && n >= *desde && n <= *hasta) s.talonario = talonario();
    }
    rs.Close();
    return s;
}

std::string TextoSinTalonario(const std::string& tc, double sucursal, double n, const std::string& letra) {
    return "El número " + vb::Format(n, "00000000") + " no corresponde a ningún talonario del comprobante " +
           vb::Trim(tc) + " (sucursal " + vb::Format(sucursal, "0000") + ", letra " + LetraVisible(letra) + ")";
}

std::string LetraVisible(std::string_view letra) { return vb::UCase(vb::Trim(letra)); }

long EjecutaContando(const std::string& sql) {
    foundation::DB_Dll& db = foundation::Db();
    return db.gCnn.Execute(db.ORACLE_Dicc(sql));
}

bool EsNumeroPlano(std::string_view texto, std::size_t maxDigitos) {
    const std::string t = vb::Trim(texto);
    if (t.empty()) return false;
    for (const char c : t) {
        if (c < '0' || c > '9') return false;
    }
    const std::size_t ceros = std::min(t.find_first_not_of('0'), t.size());
    return t.size() - ceros <= maxDigitos;
}

std::string NumeroSiguiente(double ultimo) {
    const double siguiente = ultimo + 1;
    if (siguiente > 99999999) {
        vb::Raise(vb::kErrOverflow, "La numeración del comprobante llegó a 99999999: no hay un número siguiente");
    }
    return vb::Format(siguiente, "00000000");
}

double NumeroDeClave(std::string_view clave) {
    return helpers::gFunciones().TextoAMoneda(vb::Mid(clave, 5, 8)).ToDouble();
}

std::string FiltroClave(const std::string& tc, const std::string& sucursal, const std::string& letra) {
    using foundation::SqlText;
    return " WHERE TC = " + SqlText(tc) + " AND SUBSTRING(IDCOMPROBANTE,1,4)= " + SqlText(sucursal) +
           " AND SUBSTRING(IDCOMPROBANTE,13,1) = " + SqlText(letra);
}

}  // namespace detail
}  // namespace numbering
