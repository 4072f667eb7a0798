// DB_Dll: recordsets, statements and table lookups.
#include <regex>

#include "db_dll_internal.h"
#include "foundation/db_dll.h"
#include "foundation/sql_literal.h"
#include "helpers/helpers.h"
#include "ui/msgbox.h"
#include "vb/conv.h"
#include "vb/steps.h"
#include "vb/text.h"

namespace foundation {

namespace {

constexpr long kNativoTruncamiento = 8152;  // string or binary data would be truncated

bool EsCodigoTexto(int tipo) { return tipo == adodb::adBSTR; }
bool EsCodigoFecha(int tipo) { return tipo == adodb::adDate; }
bool EsCodigoNumero(int tipo) {
    return tipo == adodb::adInteger || tipo == adodb::adDouble || tipo == adodb::adSingle;
}

bool Contiene(const std::string& texto, const char* buscado) {
    return vb::Contains(texto, buscado, vb::Compare::Text);
}

// The number a lookup value stands for, as an SQL literal.
std::string NumeroBuscado(const std::string& valor) { return vb::Trim(SqlNumber(vb::Val(valor))); }

// The comparison of the lookups by data-type code: text (trimmed on both
// sides when `trimTexto`), date, number, or the value as it stands.
std::string ComparacionExiste(const std::string& valor, const std::string& campo, int tipo,
                              bool trimTexto) {
    if (EsCodigoTexto(tipo)) {
        if (trimTexto) return " WHERE LTRIM(RTRIM(" + campo + ")) =" + SqlText(vb::Trim(valor));
        return " WHERE " + campo + " =" + SqlText(valor);
    }
    if (EsCodigoFecha(tipo)) return " WHERE " + campo + " = " + vb::Trim(valor) + " ";
    if (EsCodigoNumero(tipo)) return " WHERE " + campo + " = " + NumeroBuscado(valor);
    return " WHERE " + campo + " = " + valor;
}

// A condition is appended after one blank when it already holds " WHERE ".
std::string ConCondicion(const std::string& inicio, const std::string& condicion) {
    return inicio + (Contiene(condicion, " WHERE ") ? " " : " WHERE ") + condicion;
}

// Opens a lookup's query on a recordset of its own, closed again, or on the
// caller's, which stays open on the first matching row: forward-only and
// read-only when `soloLectura`, else with its own cursor and lock types.
// True when a row came back.
bool AbreConsultaExiste(adodb::Connection& cnn, const std::string& consulta, adodb::Recordset* Lrcs,
                        bool soloLectura) {
    if (Lrcs == nullptr) {
        adodb::Recordset propio;
        propio.Open(consulta, cnn, adodb::adOpenForwardOnly, adodb::adLockReadOnly);
        const bool existe = !propio.BOF();
        propio.Close();
        return existe;
    }
    const int cursor = soloLectura ? adodb::adOpenForwardOnly : Lrcs->CursorType();
    const int bloqueo = soloLectura ? adodb::adLockReadOnly : Lrcs->LockType();
    if (Lrcs->State() != adodb::adStateClosed) Lrcs->Close();
    Lrcs->Open(consulta, cnn, cursor, bloqueo);
    return !Lrcs->BOF();
}

// The lookups' own error box: Retry repeats, Ignore goes on, Abort leaves.
int AvisoAlOperador(const vb::Error& error) {
    return ui::MsgBox(error.Description(), ui::vbAbortRetryIgnore | ui::vbCritical, "Aviso al Operador");
}

// Errors EjecutaConsultaSQL logs without a box: the engine's failures of a
// statement (constraint, missing table, syntax, any other).
bool ErrorSinAviso(long numero) {
    return numero == adodb::kErrFail || numero == adodb::kErrIntegrityViolation ||
           numero == adodb::kErrNoTable || numero == adodb::kErrSyntax;
}

// A script with BEGIN, COMMIT or ROLLBACK TRAN[SACTION] among its statements.
bool EsScriptDeTransaccion(const std::string& sql) {
    static const std::regex kTransaccion(
        R"((^|[;\r\n])[ \t]*(BEGIN|COMMIT|ROLLBACK)[ \t]+TRAN(SACTION)?([ \t;\r\n]|$))",
        std::regex::icase);
    return std::regex_search(sql, kTransaccion);
}

// The message the statement's builder gives for a refusal (a constraint, or
// the batch's own check), if any.
std::string ExplicacionDe(const std::vector<DB_Dll::ExplicaRechazo>& explicaciones, const vb::Error& error,
                           const std::string& sentencia) {
    if (error.Number() != adodb::kErrIntegrityViolation && error.Number() != adodb::kErrRaised) return {};
    for (const DB_Dll::ExplicaRechazo& explica : explicaciones) {
        std::string texto;
        vb::IgnoreErrors([&] { texto = explica(sentencia, error); });
        if (!texto.empty()) return texto;
    }
    return {};
}

}  // namespace

void DB_Dll::AgregaExplicacionRechazo(ExplicaRechazo Explica) { explicaciones_.push_back(std::move(Explica)); }

void DB_Dll::AgregaSeguimiento(SigueSentencia Sigue) { seguimientos_.push_back(std::move(Sigue)); }

void DB_Dll::AvisaSeguimientos(const std::string& SentenciaSQL, bool Corrio) {
    for (const SigueSentencia& sigue : seguimientos_) vb::IgnoreErrors([&] { sigue(SentenciaSQL, Corrio); });
}

// ---- Recordsets ----------------------------------------------------------

void DB_Dll::AbrirRecordset(std::string& SentenciaSQL, adodb::Recordset& Lrcs,
                            adodb::Connection* ConexionActiva, int CursorType, int LockType,
                            long Options, bool ConvOracle) {
    AbrirRecordsetEn(SentenciaSQL, Lrcs, ConvOracle, [&](const std::string& fuente) {
        Lrcs.Open(fuente, ConexionActiva != nullptr ? *ConexionActiva : gCnn, CursorType, LockType, Options);
    });
}

void DB_Dll::AbrirRecordset(std::string& SentenciaSQL, const std::vector<vb::Variant>& Valores,
                            adodb::Recordset& Lrcs) {
    AbrirRecordsetEn(SentenciaSQL, Lrcs, true, [&](const std::string& fuente) { Lrcs.Open(fuente, Valores, gCnn); });
}

// AbrirRecordset's steps, the open itself given by the caller.
void DB_Dll::AbrirRecordsetEn(std::string& SentenciaSQL, adodb::Recordset& Lrcs, bool ConvOracle,
                              const std::function<void(const std::string& fuente)>& abrir) {
    std::string fuente;
    vb::RunSteps(
        {
            [&] { CierraRecordset(Lrcs); },
            [&] { SentenciaSQL = SS_TSinonimos(SentenciaSQL); },
            [&] { fuente = (ConvOracle && EsOracle()) ? ORACLE_Dicc(SentenciaSQL) : SentenciaSQL; },
            [&] { abrir(fuente); },
        },
        Manejador("AbrirRecordset"));
}

void DB_Dll::CierraRecordset(adodb::Recordset& LRCSTEMP) {
    vb::RunStep(
        [&] {
            if (LRCSTEMP.State() != adodb::adStateClosed) LRCSTEMP.Close();
        },
        Manejador("CierraRecordset"));
}

// ---- Statements ------------------------------------------------------------

bool DB_Dll::EjecutaConsultaSQL(std::string& SentenciaSQL) {
    long filas = 0;
    return EjecutaConsultaSQL(SentenciaSQL, filas);
}

bool DB_Dll::EjecutaConsultaSQL(std::string& SentenciaSQL, long& RecordsAffected) {
    return EjecutaConsultaSQL(SentenciaSQL, {}, RecordsAffected);
}

bool DB_Dll::EjecutaConsultaSQL(std::string& SentenciaSQL, const std::vector<vb::Variant>& Valores,
                                long& RecordsAffected) {
    const bool transaccionPrevia = gCnn.State() == adodb::adStateOpen && gCnn.InTransaction();
    try {
        // A script that drops and re-creates an object follows the user's
        // synonyms; every other statement keeps its table names.
        if (Contiene(SentenciaSQL, "DROP") && Contiene(SentenciaSQL, "CREATE") &&
            !Contiene(SentenciaSQL, "DELETE") && !Contiene(SentenciaSQL, "@ADMIN_")) {
            SentenciaSQL = SS_TSinonimos(SentenciaSQL);
        } else {
            SentenciaSQL = detail::QuitaMarcas(SentenciaSQL);
        }
        if (!Valores.empty()) {
            gCnn.Execute(EsOracle() ? ORACLE_Dicc(SentenciaSQL) : SentenciaSQL, Valores, RecordsAffected);
        } else if (EsOracle()) {
            EjecutaScriptOracle(SentenciaSQL, RecordsAffected);
        } else {
            gCnn.Execute(SentenciaSQL, RecordsAffected);
        }
        adodb::Errors& errores = gCnn.Errors();
        if ((errores.Count() == 1 || errores.Count() == 2) &&
            errores.Item(0).NativeError == kNativoTruncamiento) {
            errores.Clear();
        }
        AvisaSeguimientos(SentenciaSQL, true);
        return true;
    } catch (...) {
        const vb::Error error = vb::CurrentError();
        // A transaction the failing script opened does not outlive it.
        if (!transaccionPrevia) {
            vb::IgnoreErrors([&] {
                if (gCnn.State() == adodb::adStateOpen && gCnn.InTransaction()) gCnn.RollbackTrans();
            });
        }
        int respuesta = 0;
        const std::string explicacion = ExplicacionDe(explicaciones_, error, SentenciaSQL);
        if (!explicacion.empty()) {
            try {
                respuesta = ui::MsgBox(explicacion, ui::vbOKOnly | ui::vbCritical, "Aviso al operador!!!");
            } catch (const vb::Error&) {
                // No box could be shown; the log line below still records the failure.
            }
        } else if (!ErrorSinAviso(error.Number()) && !EsScriptDeTransaccion(SentenciaSQL)) {
            try {
                respuesta = ui::MsgBox(error.Description(), ui::vbOKOnly | ui::vbCritical,
                                       "Aviso al operador!!!");
            } catch (const vb::Error&) {
                // No box could be shown; the log line below still records the failure.
            }
        }
        detail::AnotaError(gLogErr, error, "EjecutaConsultaSQL", respuesta);
        AvisaSeguimientos(SentenciaSQL, false);
        return false;
    }
}

// ---- Table lookups ---------------------------------------------------------

bool DB_Dll::ExisteEnTabla(const std::string& Tabla, const std::string& ValorBuscado,
                           const std::string& Campo, adodb::Recordset* Lrcs, int TipoDato,
                           const std::string& Condicion) {
    bool existe = false;
    std::string consulta;
    vb::RunSteps(
        {
            [&] {
                if (!Condicion.empty()) {
                    consulta = ConCondicion("SELECT TOP 1 * FROM " + Tabla, Condicion);
                } else {
                    // The text form has two blanks before "*".
                    const char* inicio =
                        EsCodigoTexto(TipoDato) ? "SELECT TOP 1  * FROM " : "SELECT TOP 1 * FROM ";
                    consulta = inicio + Tabla + ComparacionExiste(ValorBuscado, Campo, TipoDato, true);
                }
            },
            [&] { consulta = SS_TSinonimos(consulta); },
            [&] {
                if (EsOracle()) consulta = ORACLE_Dicc(consulta);
            },
            [&] { existe = AbreConsultaExiste(gCnn, consulta, Lrcs, false); },
        },
        AvisoAlOperador);
    return existe;
}

bool DB_Dll::ExisteEnTablaST(const std::string& Tabla, const std::string& ValorBuscado,
                             const std::string& Campo, adodb::Recordset* Lrcs, int TipoDato,
                             const std::string& Condicion, bool SoloLectura) {
    bool existe = false;
    std::string consulta;
    vb::RunSteps(
        {
            [&] {
                consulta = Condicion.empty()
                               ? "SELECT * FROM " + Tabla +
                                     ComparacionExiste(ValorBuscado, Campo, TipoDato, false)
                               : ConCondicion("SELECT * FROM " + Tabla, Condicion);
            },
            [&] { existe = AbreConsultaExiste(gCnn, consulta, Lrcs, SoloLectura); },
        },
        AvisoAlOperador);
    return existe;
}

vb::Variant DB_Dll::DatosTabla(const std::string& Tabla, const std::string& ValorBuscado,
                               const std::string& CampoDevuelto, const std::string& Campo,
                               int TipoDato, const std::string& Condicion, bool UsaTrim) {
    vb::Variant resultado;
    std::string consulta;
    adodb::Recordset rs;
    vb::RunSteps(
        {
            [&] {
                const std::string cola =
                    vb::Trim(Condicion).empty() ? Condicion : " AND " + Condicion;
                std::string comparacion;
                if (EsCodigoTexto(TipoDato)) {
                    // The value is always trimmed; UsaTrim decides for the column.
                    const std::string columna = UsaTrim ? "LTRIM(RTRIM(" + Campo + "))" : Campo;
                    comparacion = " WHERE " + columna + " =" + SqlText(vb::Trim(ValorBuscado)) + " ";
                } else if (EsCodigoFecha(TipoDato)) {
                    comparacion = " WHERE " + Campo + " = #" + vb::Trim(ValorBuscado) + "# ";
                } else if (EsCodigoNumero(TipoDato)) {
                    comparacion = " WHERE " + Campo + " = " + NumeroBuscado(ValorBuscado);
                } else {
                    comparacion = " WHERE " + Campo + " = " + ValorBuscado;
                }
                consulta = "SELECT TOP 1 * FROM " + Tabla + comparacion + cola;
            },
            [&] {
                AbrirRecordset(consulta, rs, &gCnn, adodb::adOpenForwardOnly, adodb::adLockReadOnly, -1,
                               true);
            },
            [&] {
                resultado = rs.BOF() ? std::string()
                                     : vb::TextOf(helpers::gFunciones().ValorCampo(rs.Fields(CampoDevuelto)));
            },
            [&] { rs.Close(); },
        },
        AvisoAlOperador);
    return resultado;
}

vb::Variant DB_Dll::BuscaMaximo(const std::string& QueTabla, const std::string& QueCampo,
                                std::optional<int>, std::optional<std::string> Condicion) {
    std::string sql = "SELECT MAX(" + QueCampo + ") AS MAYOR FROM " + QueTabla;
    if (Condicion && !vb::Trim(*Condicion).empty()) sql += " WHERE " + vb::Trim(*Condicion);
    return detail::LeeAgregado(gCnn, sql, "MAYOR");
}

vb::Variant DB_Dll::BuscaMinimo(const std::string& QueTabla, const std::string& QueCampo,
                                std::optional<int>, std::optional<std::string> Condicion) {
    std::string sql = "SELECT MIN(" + QueCampo + ") AS MENOR FROM " + QueTabla;
    if (Condicion && !vb::Trim(*Condicion).empty()) sql += " WHERE " + vb::Trim(*Condicion);
    return detail::LeeAgregado(gCnn, sql, "MENOR");
}

// ---- Type tests -------------------------------------------------------------

bool DB_Dll::adodate(int Qtype) {
    using namespace adodb;
    switch (Qtype) {
    case adDate: case adDBDate: case adDBFileTime: case adDBTime: case adDBTimeStamp: case adFileTime:
        return true;
    default:
        return false;
    }
}

bool DB_Dll::ADOText(int Qtype) {
    using namespace adodb;
    switch (Qtype) {
    case adBSTR: case adLongVarChar: case adLongVarWChar: case adVarChar: case adVarWChar: case adWChar:
        return true;
    default:
        return false;
    }
}

bool DB_Dll::ADONumeric(int Qtype) {
    using namespace adodb;
    switch (Qtype) {
    case adBigInt: case adDecimal: case adDouble: case adInteger: case adNumeric: case adSingle:
    case adSmallInt: case adTinyInt: case adUnsignedBigInt: case adUnsignedInt:
    case adUnsignedSmallInt: case adUnsignedTinyInt:
        return true;
    default:
        return false;
    }
}

bool DB_Dll::ADOCurrency(int Qtype) { return Qtype == adodb::adCurrency; }

bool DB_Dll::ADOBoolean(int Qtype) { return Qtype == adodb::adBoolean; }

// ---- Shared pieces -------------------------------------------------------------

namespace detail {

double NumeroDeValor(const vb::Variant& value) {
    // A number is taken as it is: its text would carry the regional decimal
    // separator, which the leading-number reading stops at.
    if (value.IsNumber()) return vb::CDbl(value);
    return vb::Val(vb::TextOf(value));
}

vb::Variant LeeAgregado(adodb::Connection& cnn, const std::string& sql, const std::string& campo) {
    adodb::Recordset rs;
    rs.Open(sql, cnn, adodb::adOpenForwardOnly, adodb::adLockReadOnly);
    vb::Variant resultado;
    if (!rs.BOF()) resultado = NumeroDeValor(helpers::gFunciones().ValorCampo(rs.Fields(campo)));
    rs.Close();
    return resultado;
}

}  // namespace detail

}  // namespace foundation
