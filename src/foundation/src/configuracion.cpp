#include "foundation/configuracion.h"

#include <optional>

#include "db/adodb.h"
#include "db_dll_internal.h"
#include "foundation/db_dll.h"
#include "foundation/session.h"
#include "helpers/helpers.h"
#include "vb/conv.h"
#include "vb/steps.h"
#include "vb/text.h"

namespace foundation {

std::string gTablaConfiguracion;
bool gMostrarStockenConsultas = false;
std::string gTituloClientes;
std::string gTituloProveedores;
std::string gArchivoTareas;
bool gExigeClaveConsultaLike = false;
bool gUsaConsultaLike = false;
std::string gCantidadDecimales;
bool gUsaMultilesMonedas = false;
bool gUsaFacturaProforma = false;
bool gUsaCCosto = false;
bool gUsaStkStockUdKg = false;
std::string gUNegocio;
std::string gUnidadMedidaM3;
std::string gUnidadMedidaBL;
std::string gUnidadMedidaKG;
std::int16_t gPeriodo = 0;
bool gValidaCodigoBarra = false;
bool gConfiguracionLeida = false;
bool gModuloOrdenDeTrabajo = false;
bool gV_ModificaCPrecio = false;
bool gC_ModificaCPrecio = false;
bool gMADERERA = false;
std::string gMAD_TIRAS;
std::string gMAD_P2;
std::string gMAD_ML;
std::string gMAD_M2;
std::string gMAD_HOJAS;
std::string gMAD_ML_P2;
std::string gMAD_M2_P2;
std::string gMAD_ML_M2;
std::string gCuentaCtroDist;
vb::Currency gMaxDto;
bool gPideClaveStockNeg = false;
bool gPideClaveMarkUpBase = false;
bool gPideClaveLimiteCredito = false;
bool gSSBloqueoActivo = false;
std::string gTopDefault;

namespace {

constexpr std::int32_t kColorFondoPorDefecto = 0xFFFF00;

std::string Valor(const char* clave) {
    std::string aux;
    return Cfg(clave, aux);
}

// A number as configuration values are written: a sign, digits and "." or ","
// separators (TextoAMoneda reads which one is the decimal point).
bool EsNumero(std::string_view texto) {
    const std::string t = vb::Trim(texto);
    std::size_t i = (!t.empty() && (t[0] == '+' || t[0] == '-')) ? 1 : 0;
    bool digito = false;
    for (; i < t.size(); ++i) {
        const char c = t[i];
        if (c >= '0' && c <= '9') digito = true;
        else if (c != '.' && c != ',') return false;
    }
    return digito;
}

// A value that does not read as its kind: one line in the error log.
void RegistraValorInvalido(const char* clave, const std::string& valor, const std::string& porDefecto) {
    const std::string mensaje = std::string("Valor de configuracion no valido: ") + clave + " = '" + valor +
                                "'; se toma " + porDefecto;
    detail::AnotaMensaje(Db().gLogErr, "LeeConfiguracion", mensaje, 0);
}

// The numeric value of a key; nullopt (and a log line) when the value is set
// but is not a number.
std::optional<double> Numero(const char* clave, const std::string& valor, const std::string& porDefecto) {
    if (vb::Trim(valor).empty()) return 0.0;
    if (!EsNumero(valor)) {
        RegistraValorInvalido(clave, valor, porDefecto);
        return std::nullopt;
    }
    return helpers::gFunciones().TextoAMoneda(vb::Trim(valor)).ToDouble();
}

std::int16_t Periodo(const std::string& valor) {
    const std::optional<double> n = Numero("PERIODO", valor, "0");
    if (!n) return 0;
    const double redondeado = vb::Round(*n, 0);
    if (redondeado < -32768.0 || redondeado > 32767.0) {
        RegistraValorInvalido("PERIODO", valor, "0");
        return 0;
    }
    return static_cast<std::int16_t>(redondeado);
}

// A colour: the value as a 32-bit integer; `siCero` when it is 0, missing or
// not a colour.
std::int32_t Color(const char* clave, const std::string& valor, std::int32_t siCero) {
    const std::string porDefecto = std::to_string(siCero);
    const std::optional<double> n = Numero(clave, valor, porDefecto);
    if (!n) return siCero;
    const double redondeado = vb::Round(*n, 0);
    if (redondeado < -2147483648.0 || redondeado > 2147483647.0) {
        RegistraValorInvalido(clave, valor, porDefecto);
        return siCero;
    }
    const auto color = static_cast<std::int32_t>(redondeado);
    return color == 0 ? siCero : color;
}

vb::Currency Moneda(const char* clave, const std::string& valor) {
    if (!Numero(clave, valor, "0")) return vb::Currency();
    return helpers::gFunciones().TextoAMoneda(vb::Trim(valor));
}

std::string UNegocio() {
    const vb::Variant unidad = Db().DatosTabla("ta_usuarios", gUsuarioLogeado, "UNegocio", "nombre", 8, "", true);
    const helpers::ClsFunciones& f = helpers::gFunciones();
    const std::string ajustada = f.AjustaAncho(vb::TextOf(f.ValorCampo(unidad)), 4);
    return ajustada.empty() ? kUNegocioPorDefecto : ajustada;
}

}  // namespace

bool EsSI(std::string_view valor) { return vb::Equals(valor, "SI"); }

bool DefinidoYNoEsNO(std::string_view valor) { return !vb::Trim(valor).empty() && !vb::Equals(valor, "NO"); }

bool NoEsNO(std::string_view valor) { return !vb::Equals(vb::Trim(valor), "NO"); }

std::string Cfg(const std::string& Clave, std::string& ValorAux) {
    DB_Dll& db = Db();
    const std::string clave = vb::Trim(Clave);
    std::string resultado;
    std::string sql;
    adodb::Recordset rs;

    // Ignore goes on; any other answer, Retry included, ends with "".
    const vb::ErrorHandler onError = [&db](const vb::Error& err) {
        return db.TratamientoErrores(err, std::nullopt, "Cfg") == vb::kAnswerGoOn ? vb::kAnswerGoOn : 0;
    };
    const bool completo = vb::RunSteps(
        {
            [&] {
                if (vb::Trim(gTablaConfiguracion).empty()) gTablaConfiguracion = "TA_CONFIGURACION";
            },
            [&] {
                sql = "SELECT VALOR, valoraux FROM " + gTablaConfiguracion +
                      " WHERE CLAVE = " + vb::TextOf(db.SQLValue(vb::Variant(clave), "'"));
                if (vb::Equals(clave, "[FECHA HASTA]") || vb::Equals(clave, "[FECHA DESDE]")) sql = vb::UCase(sql);
            },
            [&] { db.AbrirRecordset(sql, rs, nullptr, adodb::adOpenForwardOnly, adodb::adLockReadOnly, -1, true); },
            [&] {
                if (rs.BOF()) {
                    resultado = " ";
                    ValorAux.clear();
                } else {
                    const helpers::ClsFunciones& f = helpers::gFunciones();
                    resultado = vb::TextOf(f.ValorCampo(rs.Fields("Valor")));
                    ValorAux = vb::TextOf(f.ValorCampo(rs.Fields("ValorAux")));
                }
            },
            [&] { db.CierraRecordset(rs); },
        },
        onError);
    return completo ? resultado : std::string();
}

void LeeConfiguracion(const std::string& RutaApp) {
    gTablaConfiguracion = "ta_configuracion";
    gMostrarStockenConsultas = EsSI(Valor("MostrarStockenConsultas"));
    gTituloClientes = vb::Trim(Valor("TituloClientes"));
    gTituloProveedores = vb::Trim(Valor("TituloProveedores"));
    gArchivoTareas = RutaApp + "TSDOCTareas.tsm";
    gExigeClaveConsultaLike = EsSI(Valor("EXIGECLAVECONSULTALIKEARTICULOS"));
    gUsaConsultaLike = EsSI(Valor("UsaConsultaLike"));
    gCantidadDecimales = Valor("CantidadDecimales");
    gUsaMultilesMonedas = EsSI(Valor("UsaMultilesMonedas"));
    gUsaFacturaProforma = EsSI(Valor("UsaFacturaProforma"));
    gUsaCCosto = EsSI(Valor("USACCOSTO"));
    gUsaStkStockUdKg = EsSI(Valor("USA_STK_STOCK_UDKG"));
    gUNegocio = UNegocio();
    gUnidadMedidaM3 = vb::Trim(Valor("UNIDADDEMEDIDA_M3"));
    gUnidadMedidaBL = vb::Trim(Valor("UNIDADDEMEDIDA_BL"));
    gUnidadMedidaKG = vb::Trim(Valor("UNIDADDEMEDIDA_KG"));
    gPeriodo = Periodo(Valor("PERIODO"));
    gValidaCodigoBarra = EsSI(vb::Trim(Valor("VALIDACODIGOBARRA")));
    gConfiguracionLeida = true;
    gColorFondo = Color("CFondo", Valor("CFondo"), kColorFondoPorDefecto);
    gColorLetra = Color("CLetra", Valor("CLetra"), 0);
    gModuloOrdenDeTrabajo = NoEsNO(Valor("ModuloOrdenDeTrabajo"));
    gV_ModificaCPrecio = DefinidoYNoEsNO(Valor("V_ModificaCPrecio"));
    gC_ModificaCPrecio = DefinidoYNoEsNO(Valor("C_ModificaCPrecio"));
    gMADERERA = DefinidoYNoEsNO(Valor("MADERERA"));
    gMAD_TIRAS = vb::Trim(Valor("MAD_TIRAS"));
    gMAD_P2 = vb::Trim(Valor("MAD_P2"));
    gMAD_ML = vb::Trim(Valor("MAD_ML"));
    gMAD_M2 = vb::Trim(Valor("MAD_M2"));
    gMAD_HOJAS = vb::Trim(Valor("MAD_HOJAS"));
    gMAD_ML_P2 = vb::Trim(Valor("MAD_ML_P2"));
    gMAD_M2_P2 = vb::Trim(Valor("MAD_M2_P2"));
    gMAD_ML_M2 = vb::Trim(Valor("MAD_ML_M2"));
    gCuentaCtroDist = vb::Trim(Valor("CuentaCtroDist"));
    gMaxDto = Moneda("MaxDto", Valor("MaxDto"));
    gPideClaveStockNeg = DefinidoYNoEsNO(Valor("PideClave_StockNeg"));
    gPideClaveMarkUpBase = DefinidoYNoEsNO(Valor("PideClave_MarkUpBase"));
    gPideClaveLimiteCredito = DefinidoYNoEsNO(Valor("PideClave_LimiteCredito"));
    gSSBloqueoActivo = EsSI(Valor("SS_BloqueoActivo"));
    const std::string top = Valor("Top_Default");
    gTopDefault = vb::Trim(top).empty() ? std::string("1000") : top;
}

}  // namespace foundation
