// Choosing a numbering range and its next number (the range walk).
#include <algorithm>

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

namespace detail {

Recorrido RecorreTalonarios(const std::string& TC, std::string& Sucursal, std::string& Numero, std::string& Letra,
                            bool& ModificaNumeracion, const std::string& Fecha, const std::string& UNegocio,
                            std::string& NroHasta, std::optional<int32_t> despuesDe, bool avisaAgotados) {
    Recorrido recorrido;
    foundation::DB_Dll& db = foundation::Db();
    const helpers::ClsFunciones& f = helpers::gFunciones();
    const vb::ErrorHandler manejador = foundation::Tratamiento("Obtener_Nro_Comprobante_Contable");
    const auto paso = [&](const vb::Step& s) { return vb::RunStep(s, manejador); };

    OlvidaReserva();
    if (vb::Trim(Letra).empty()) Letra = "X";
    const std::string base = "SELECT * FROM V_TA_CPTE WHERE CODIGO = " + foundation::SqlText(CodigoTC(TC));
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
    if (!abre()) return recorrido;
    // A business unit without ranges of its own is served by those of every unit.
    if (vacio && !todasLasUnidades) {
        sql = base + " ORDER BY TALONARIO";
        if (!abre()) return recorrido;
    }

    bool tomado = false;
    bool agotado = false;
    // The row has room (the next number, never below the lower limit, strictly below the upper
    // limit) and is not expired at Fecha: it gives the number. A range up to `despuesDe` counts
    // as used up.
    const auto examina = [&] {
        const int32_t talonario = vb::CLng(vb::Val(TextoCampo(rs, "TALONARIO")));
        if (despuesDe && talonario <= *despuesDe) {
            agotado = true;
            return;
        }
        const vb::Variant& letras = rs.Fields("Letras").Value();
        if (!letras.IsNull()) {
            const std::string texto = vb::TextOf(letras);
            if (vb::InStr(texto, Letra, vb::Compare::Text) == 0) Letra = vb::Left(texto, 1);
        }
        if (vb::Trim(Letra).empty()) Letra = "X";
        const std::string columnaUltimo = ColumnaLetra(Letra, "_ULTIMO_NRO");
        const std::string columnaHasta = ColumnaLetra(Letra, "_NRO_HASTA");
        const std::optional<double> ultimo = NumeroCampo(rs, columnaUltimo);
        const std::optional<double> hasta = NumeroCampo(rs, columnaHasta);
        const double desde = NumeroCampo(rs, ColumnaLetra(Letra, "_NRO_DESDE")).value_or(0);
        const double inicio = ultimo ? std::max(*ultimo, desde) : 0;
        if (!ultimo || !hasta || !(inicio < *hasta)) {
            agotado = true;
            return;
        }
        const std::string columnaVence = ColumnaVence(Letra);
        const bool usable = Fecha.empty() || vb::Trim(TextoCampo(rs, columnaVence)).empty() ||
                            DiaDe(vb::Variant(Fecha)) <= DiaDe(rs.Fields(columnaVence).Value());
        if (!usable) return;
        Sucursal = vb::Format(vb::Val(TextoCampo(rs, ColumnaLetra(Letra, "_SUC_DEFAULT"))), "0000");
        Numero = vb::Format(inicio, "00000000");
        NroHasta = vb::Format(vb::Val(TextoCampo(rs, columnaHasta)), "00000000");
        if (vb::Val(Numero) == 0) Numero = "00000001";
        TalonarioActual = talonario;
        ModificaNumeracion = foundation::TextoABoolean(TextoCampo(rs, "Modificanumeracion"));
        agotado = false;
        tomado = true;
        recorrido.talonario = talonario;
        recorrido.desde = desde;
        recorrido.hasta = *hasta;
    };

    if (vacio) {
        Sucursal = "1";
        Numero = "1";
        Letra = "X";
        recorrido.sinTalonarios = true;
    } else {
        while (!tomado) {
            bool fin = false;
            if (!paso([&] { fin = rs.EOF(); })) return recorrido;
            if (fin) break;
            if (!paso(examina)) return recorrido;
            if (!tomado && !paso([&] { rs.MoveNext(); })) return recorrido;
        }
    }

    Letra = vb::Trim(Letra);
    if (!tomado && agotado) {
        recorrido.agotados = "Todos los talonarios del comprobante " + TC +
                             " se encuentran utilizados, debe dar de alta un nuevo talonario para el comprobante " + TC;
        if (avisaAgotados) ui::MsgBox(recorrido.agotados, ui::vbOKOnly);
    }
    db.CierraRecordset(rs);
    return recorrido;
}

}  // namespace detail

void Obtener_Nro_Comprobante_Contable(const std::string& TC, std::string& Sucursal,
                                      std::string& Numero, std::string& Letra,
                                      bool& ModificaNumeracion, const std::string& Fecha,
                                      const std::string& UNegocio, std::string& NroHasta) {
    detail::RecorreTalonarios(TC, Sucursal, Numero, Letra, ModificaNumeracion, Fecha, UNegocio, NroHasta,
                              std::nullopt);
}

}  // namespace numbering
