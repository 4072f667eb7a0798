// Choosing a numbering range and its next number (the range walk).
#include "ast_internal.h"
#include "foundation/comunes.h"
#include "foundation/db_dll.h"
#include "foundation/sql_literal.h"
#include "helpers/helpers.h"
#include "numbering/ast.h"
#include "ui/msgbox.h"
#include "vb/conv.h"
#include "vb/format.h"
#include "vb/text.h"

namespace numbering {

void Obtener_Nro_Comprobante_Contable(const std::string& TC, std::string& Sucursal,
                                      std::string& Numero, std::string& Letra,
                                      bool& ModificaNumeracion, const std::string& Fecha,
                                      const std::string& UNegocio, std::string& NroHasta) {
    foundation::DB_Dll& db = foundation::Db();
    const helpers::ClsFunciones& f = helpers::gFunciones();
    const vb::ErrorHandler manejador = foundation::Tratamiento("Obtener_Nro_Comprobante_Contable");
    const auto paso = [&](const vb::Step& s) { return vb::RunStep(s, manejador); };

    detail::OlvidaReserva();
    if (vb::Trim(Letra).empty()) Letra = "X";
    const std::string base = "SELECT * FROM V_TA_CPTE WHERE CODIGO = " + foundation::SqlText(detail::CodigoTC(TC));
    const bool todasLasUnidades = vb::Trim(UNegocio).empty();
    std::string sql = todasLasUnidades ? base + " ORDER BY TALONARIO"
                                       : base + " AND UNEGOCIO = " + foundation::SqlText(f.AjustaAncho(UNegocio, 4)) +
                                             " ORDER BY TALONARIO";
    adodb::Recordset rs;
    bool vacio = true;
    const auto abre = [&] {
        vacio = true;
        return paso([&] { db.AbrirRecordset(sql, rs, &db.gCnn); }) && paso([&] { vacio = rs.EOF(); });
    };
    if (!abre()) return;
    // A business unit without ranges of its own is served by those of every unit.
    if (vacio && !todasLasUnidades) {
        sql = base + " ORDER BY TALONARIO";
        if (!abre()) return;
    }

    bool tomado = false;
    bool agotado = false;
    // The row has room (next number strictly below the upper limit) and is not expired at
    // Fecha: it gives the number.
    const auto examina = [&] {
        const vb::Variant& letras = rs.Fields("Letras").Value();
        if (!letras.IsNull()) {
            const std::string texto = vb::TextOf(letras);
            if (vb::InStr(texto, Letra, vb::Compare::Text) == 0) Letra = vb::Left(texto, 1);
        }
        if (vb::Trim(Letra).empty()) Letra = "X";
        const std::string columnaUltimo = detail::ColumnaLetra(Letra, "_ULTIMO_NRO");
        const std::string columnaHasta = detail::ColumnaLetra(Letra, "_NRO_HASTA");
        const std::optional<double> ultimo = detail::NumeroCampo(rs, columnaUltimo);
        const std::optional<double> hasta = detail::NumeroCampo(rs, columnaHasta);
        if (!ultimo || !hasta || !(*ultimo < *hasta)) {
            agotado = true;
            return;
        }
        const std::string columnaVence = detail::ColumnaVence(Letra);
        const bool usable = Fecha.empty() || vb::Trim(detail::TextoCampo(rs, columnaVence)).empty() ||
                            detail::DiaDe(vb::Variant(Fecha)) <= detail::DiaDe(rs.Fields(columnaVence).Value());
        if (!usable) return;
        Sucursal = vb::Format(vb::Val(detail::TextoCampo(rs, detail::ColumnaLetra(Letra, "_SUC_DEFAULT"))), "0000");
        Numero = vb::Format(vb::Val(detail::TextoCampo(rs, columnaUltimo)), "00000000");
        NroHasta = vb::Format(vb::Val(detail::TextoCampo(rs, columnaHasta)), "00000000");
        if (vb::Val(Numero) == 0) Numero = "00000001";
        TalonarioActual = vb::CLng(vb::Val(detail::TextoCampo(rs, "TALONARIO")));
        ModificaNumeracion = foundation::TextoABoolean(detail::TextoCampo(rs, "Modificanumeracion"));
        agotado = false;
        tomado = true;
    };

    if (vacio) {
        Sucursal = "1";
        Numero = "1";
        Letra = "X";
    } else {
        while (!tomado) {
            bool fin = false;
            if (!paso([&] { fin = rs.EOF(); })) return;
            if (fin) break;
            if (!paso(examina)) return;
            if (!tomado && !paso([&] { rs.MoveNext(); })) return;
        }
    }

    Letra = vb::Trim(Letra);
    if (!tomado && agotado) {
        ui::MsgBox("Todos los talonarios del comprobante " + TC +
                       " se encuentran utilizados, debe dar de alta un nuevo talonario para el comprobante " + TC,
                   ui::vbOKOnly);
    }
    db.CierraRecordset(rs);
}

}  // namespace numbering
