// Accounting register type and entry number.
#include "ast_internal.h"
#include "foundation/db_dll.h"
#include "foundation/sql_literal.h"
#include "numbering/ast.h"
#include "vb/conv.h"
#include "vb/text.h"

namespace numbering {

std::string ObtieneTipoRegCont(const std::string& TC) {
    using foundation::SqlText;
    foundation::DB_Dll& db = foundation::Db();
    const vb::ErrorHandler manejador = foundation::Tratamiento("ObtieneTipoRegCont$");
    const auto paso = [&](const vb::Step& s) { return vb::RunStep(s, manejador); };
    std::string resultado;
    adodb::Recordset comprobantes;
    adodb::Recordset subdiarios;
    std::string sql = "SELECT * FROM MA_SUBDIARIOSCOMPROBANTES WHERE TC = " + SqlText(detail::CodigoTC(TC));
    bool hay = false;
    if (!paso([&] { db.AbrirRecordset(sql, comprobantes); }) || !paso([&] { hay = !comprobantes.EOF(); }) || !hay) {
        return resultado;
    }
    // A Null sub-journal cannot be looked up: CStr raises "invalid use of Null".
    if (!paso([&] {
            sql = "SELECT * FROM MA_SUBDIARIOS WHERE CODIGO = " +
                  SqlText(vb::CStr(comprobantes.Fields("Subdiario").Value()));
        })) {
        return resultado;
    }
    hay = false;
    if (!paso([&] { db.AbrirRecordset(sql, subdiarios); }) || !paso([&] { hay = !subdiarios.EOF(); }) || !hay) {
        return resultado;
    }
    paso([&] { resultado = detail::TextoCampo(comprobantes, "Subdiario"); });
    return resultado;
}

int32_t ValidaTCRegistraciones(int32_t Mes, const std::string& Periodo, const std::optional<std::string>& TipoReg) {
    using foundation::SqlText;
    foundation::DB_Dll& db = foundation::Db();
    const std::string tipoReg = TipoReg ? vb::Trim(*TipoReg) : std::string();
    // The period is compared with a trimmed column, which is text: as a quoted literal it
    // compares equal on every engine (SQLite does not convert text to a number here).
    const std::string periodo = SqlText(foundation::SqlNumber(vb::Val(Periodo)));
    std::string sql = "SELECT MAX([NUMERO ASIENTO]) AS [NRO_ASIENTO] FROM @ADMIN_MV_ASIENTOS WHERE MES_OPERATIVO = " +
                      vb::CStr(Mes);
    sql += tipoReg.empty() ? " AND (RTRIM(LTRIM(TIPO_REG)) = " + SqlText(vb::kChr255 + "RS") +
                                 " OR RTRIM(LTRIM(TIPO_REG)) = '')"
                           : " AND RTRIM(LTRIM(TIPO_REG)) = " + SqlText(tipoReg);
    sql += " AND RTRIM(LTRIM(PERIODO)) = " + periodo;

    int32_t resultado = 0;
    adodb::Recordset rs;
    vb::RunSteps(
        {
            [&] { db.AbrirRecordset(sql, rs, &db.gCnn); },
            [&] {
                const vb::Variant ultimo = rs.EOF() ? vb::Variant(vb::Null) : rs.Fields("Nro_Asiento").Value();
                resultado = ultimo.IsNull() ? 1 : vb::CLng(vb::CDbl(ultimo)) + 1;
            },
            [&] { db.CierraRecordset(rs); },
        },
        foundation::Tratamiento("ValidaTCRegistraciones"));
    return resultado;
}

}  // namespace numbering
