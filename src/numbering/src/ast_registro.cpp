// Recording a used document number.
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

namespace {

constexpr const char* kRutina = "ConsultaComprobante";

// One recording: the arguments, the open range row and whether the procedure was left or
// passed over a failure.
struct Registro {
    const std::string& TC;
    const std::string& Sistema;
    const std::string& Sucursal;
    const std::string& Numero;
    std::string& Letra;
    bool SoloSQL;
    std::string& SentenciaSQL;
    bool RegistraControl;
    bool fallo = false;

    // Runs one statement under the error convention; false when the procedure is left.
    bool Paso(const vb::Step& paso) {
        const vb::ErrorHandler manejador = foundation::Tratamiento(kRutina);
        return vb::RunStep(paso, [&](const vb::Error& e) {
            const int respuesta = manejador(e);
            if (respuesta != vb::kAnswerRepeat) fallo = true;
            return respuesta;
        });
    }

    // The range row `rs` of `tabla` was found: advance its counter (statement text or at once)
    // and, in the statement mode, add the control row.
    void EnRango(const adodb::Recordset& rs, const std::string& tabla) {
        const helpers::ClsFunciones& f = helpers::gFunciones();
        if (Letra.empty()) Letra = "X";
        bool mismaSucursal = false;
        if (!Paso([&] {
                mismaSucursal = f.TextoADoble(Sucursal) ==
                                f.TextoADoble(detail::TextoCampo(rs, detail::ColumnaLetra(Letra, "_SUC_DEFAULT")));
            })) {
            return;
        }
        if (!mismaSucursal) return;

        // The counter never goes back and is not rewritten with the same value.
        bool avanza = false;
        std::string columna;
        if (!Paso([&] {
                columna = detail::ColumnaLetra(Letra, "_ULTIMO_NRO");
                const vb::Variant& ultimo = rs.Fields(columna).Value();
                avanza = ultimo.IsNull() ||
                         !(f.TextoAMoneda(Numero) < f.TextoAMoneda(vb::TextOf(ultimo)) + vb::Currency::FromDouble(1));
            })) {
            return;
        }
        const std::string talonario = vb::CStr(TalonarioActual);
        if (SoloSQL) {
            if (avanza) {
                const bool enTabla = tabla == "V_TA_CPTE";
                SentenciaSQL = " UPDATE V_TA_CPTE SET " + columna + " = " + Numero + " WHERE CODIGO = " +
                               foundation::SqlText(f.AjustaAncho(TC, 4)) +
                               (enTabla ? " AND TALONARIO=" : " AND TALONARIO =") + talonario;
            }
            Control(rs);
            return;
        }
        if (!avanza) return;
        // The condition on the counter keeps it from going back if another station moved it
        // since the row was read.
        std::string sql = "UPDATE " + tabla + " SET " + columna + " = " + vb::Trim(Numero) +
                          ", fechahora_modificacion = " +
                          foundation::SqlText(vb::Format(vb::Now(), foundation::FormatoFechaHora())) +
                          " WHERE CODIGO = " + foundation::SqlText(detail::CodigoTC(TC)) + " AND TALONARIO = " +
                          talonario + " AND (" + columna + " IS NULL OR " + columna + " < " + vb::Trim(Numero) + ")";
        if (tabla != "V_TA_CPTE") sql += " AND SISTEMA = " + foundation::SqlText(vb::Trim(Sistema));
        Paso([&] { foundation::Db().gCnn.Execute(sql); });
    }

    // The control row of the number used, for "Contable" ranges, when forced, and for "OC".
    void Control(const adodb::Recordset& rs) {
        Paso([&] {
            if (!vb::Equals(detail::TextoCampo(rs, "Sistema"), "Contable") && !RegistraControl &&
                !vb::Equals(vb::Trim(TC), "OC")) {
                return;
            }
            const helpers::ClsFunciones& f = helpers::gFunciones();
            const double usado = f.TextoAMoneda(Numero).ToDouble() - 1;
            SentenciaSQL += std::string(vb::kCrLf) +
                            " INSERT INTO V_MV_CTROL_CPTE (TC,SUCURSAL,NUMERO,LETRA) VALUES (" +
                            foundation::SqlText(f.AjustaAncho(TC, 4)) + "," +
                            foundation::SqlText(vb::Format(f.TextoAMoneda(Sucursal).ToDouble(), "0000")) + "," +
                            foundation::SqlText(vb::Format(usado, "00000000")) + "," + foundation::SqlText(Letra) +
                            ")" + std::string(vb::kCrLf);
        });
    }
};

}  // namespace

bool RegistraNumeroComprobante(const std::string& TC, const std::string& Sistema,
                               const std::string& Sucursal, const std::string& Numero,
                               std::string& Letra, bool SoloSQL, std::string& SentenciaSQL,
                               bool RegistraControl) {
    foundation::DB_Dll& db = foundation::Db();
    // The number goes into SQL unquoted: anything but digits would change the statement.
    if (!detail::EsNumeroPlano(Numero)) {
        db.TratamientoErrores(vb::Error(vb::kErrTypeMismatch, "El número de comprobante '" + Numero +
                                                                  "' no es válido: debe tener sólo dígitos"),
                              ui::vbOKOnly | ui::vbCritical, kRutina);
        return false;
    }
    Registro r{TC, Sistema, Sucursal, Numero, Letra, SoloSQL, SentenciaSQL, RegistraControl};

    // Selects TalonarioActual: the last range of the branch whose limits hold the number.
    std::string mensaje;
    if (!r.Paso([&] { ValidaNumeroComprobante(TC, Sucursal, Numero, Letra, mensaje, ""); })) return false;

    const std::string codigo = foundation::SqlText(detail::CodigoTC(TC));
    adodb::Recordset rs;
    bool hay = false;
    const auto abre = [&](std::string sql) {
        return r.Paso([&] { db.AbrirRecordset(sql, rs, &db.gCnn, adodb::adOpenDynamic, adodb::adLockOptimistic); }) &&
               r.Paso([&] { hay = !rs.EOF(); });
    };

    if (!abre("SELECT * FROM V_TA_CPTE WHERE CODIGO = " + codigo + " AND TALONARIO =" + vb::CStr(TalonarioActual))) {
        return false;
    }
    if (hay) {
        r.EnRango(rs, "V_TA_CPTE");
        return !r.fallo;
    }
    if (!abre("SELECT * FROM TA_Comprobantes WHERE CODIGO = " + codigo + " AND SISTEMA = " +
              foundation::SqlText(vb::Trim(Sistema)) + " AND TALONARIO = " + vb::CStr(TalonarioActual))) {
        return false;
    }
    if (hay) {
        r.EnRango(rs, "TA_Comprobantes");
        return !r.fallo;
    }
    if (!abre("SELECT * FROM V_TA_CPTE WHERE CODIGO = " + codigo)) return false;
    if (!hay) {
        ui::MsgBox("Error en grabación del Comprobante, no se ha encontrado el comprobante configurado",
                   ui::vbOKOnly | ui::vbCritical, "ATENCION");
        return false;
    }
    // The type has ranges, none numbered TalonarioActual: an external one records nothing.
    r.Paso([&] {
        if (detail::BanderaCampo(rs, "Externo")) SentenciaSQL.clear();
    });
    return !r.fallo;
}

}  // namespace numbering
