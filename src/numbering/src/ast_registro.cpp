// Recording a used document number.
#include <utility>
#include <vector>

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
constexpr const char* kRangos = "V_TA_CPTE";
constexpr const char* kRangosPorArea = "TA_Comprobantes";

// A number whose range's counter a reservation already moved to it.
struct Reservado {
    std::string codigo;
    int32_t talonario = 0;
    std::string letra;
    double numero = 0;  // the number used

    bool operator==(const Reservado&) const = default;
};

// The number the last reservation took, until the recording that follows it.
std::optional<Reservado> gReservado;

// What a recording found and did.
enum class Resultado {
    Avanzado,       // the counter moved (or its statement was built)
    SinAvance,      // nothing to move: the number is behind a free range, or external
    Alcanzado,      // the range had already reached the number
    SinRango,       // no range of the type and branch holds the number
    SinTalonarios,  // the type has no range at all
};

// "RAISERROR('Otra estación tomó el número ... : no se grabó', 16, 1)", which fails a batch with
// that text; RAISERROR reads "%" as a format.
std::string RaiseTomado(const std::string& TC, double sucursal, double numero, const std::string& letra) {
    const std::string texto =
        vb::Replace("Otra estación tomó el número " + vb::Format(numero, "00000000") + " del comprobante " +
                        vb::Trim(TC) + " (sucursal " + vb::Format(sucursal, "0000") + ", letra " + letra +
                        ") antes de que se grabara este comprobante: no se grabó",
                    "%", "%%");
    return "RAISERROR(" + foundation::SqlText(texto) + ", 16, 1)";
}

// Opens range rows the way the recording reads them.
void AbreRangos(std::string sql, adodb::Recordset& rs) {
    foundation::DB_Dll& db = foundation::Db();
    db.AbrirRecordset(sql, rs, &db.gCnn, adodb::adOpenDynamic, adodb::adLockOptimistic);
}

// One recording: the arguments and the range row it goes to.
struct Registro {
    const std::string& TC;
    const std::optional<std::string> Sistema;  // none: only the ranges of V_TA_CPTE
    const std::string& Sucursal;
    const std::string& Numero;
    const std::string& Letra;
    bool SoloSQL;
    std::string& SentenciaSQL;
    bool RegistraControl;
    std::optional<Reservado> propio{};  // a number this caller reserved before
    Reservado destino{};                // the range row, once chosen

    // Chooses the range that holds the number used (Numero - 1) and moves its counter to
    // Numero, never back and never past the number after its upper limit: in SQL mode as a
    // statement for the caller's batch, else at once as a compare-and-set on the row. Errors
    // propagate to the caller.
    Resultado Registra() {
        const helpers::ClsFunciones& f = helpers::gFunciones();
        const double sucursal = f.TextoAMoneda(Sucursal).ToDouble();
        const double usado = f.TextoAMoneda(Numero).ToDouble() - 1;
        std::string tabla = kRangos;
        detail::Seleccion rango = detail::EligeTalonario(tabla, TC, sucursal, usado, Letra);
        if (!rango.talonario && Sistema) {
            tabla = kRangosPorArea;
            rango = detail::EligeTalonario(tabla, TC, sucursal, usado, Letra, *Sistema);
        }
        if (!rango.talonario) return FueraDeRango();
        TalonarioActual = *rango.talonario;
        destino = {detail::CodigoTC(TC), TalonarioActual, detail::LetraVisible(Letra), usado};
        return Mueve(tabla);
    }

    // Moves the counter of the range `destino` names, on `tabla`, past the number used, while
    // it is not past it already and the number is not past the range's upper limit.
    Resultado Mueve(const std::string& tabla) {
        adodb::Recordset rs;
        AbreRangos("SELECT * FROM " + tabla + Condicion(tabla), rs);
        if (rs.EOF()) return Resultado::SinRango;  // the range went since the scan
        const std::string columna = detail::ColumnaLetra(Letra, "_ULTIMO_NRO");
        const std::optional<double> ultimo = detail::NumeroCampo(rs, columna);
        const std::optional<double> hasta = detail::NumeroCampo(rs, detail::ColumnaLetra(Letra, "_NRO_HASTA"));
        const bool alcanzado = ultimo && *ultimo > destino.numero;
        const bool avanza = !alcanzado && hasta && destino.numero <= *hasta;

        Resultado resultado = avanza ? Resultado::Avanzado : Resultado::SinAvance;
        if (SoloSQL) {
            // The batch fails when another station moved the counter before it ran.
            if (avanza) SentenciaSQL = Avance(tabla, columna, false) + std::string(vb::kCrLf) + Chequeo();
            Control(rs);
        } else if (avanza && detail::EjecutaContando(Avance(tabla, columna, true)) != 1) {
            // Another station moved the counter between the read and the write.
            return Resultado::Alcanzado;
        }
        // A range that had already reached the number is a collision, unless the caller's own
        // reservation moved it there.
        if (alcanzado && propio != destino) resultado = Resultado::Alcanzado;
        return resultado;
    }

private:
    // No range holds the number: a type without any range, one whose first range is external
    // (which records nothing), or a number outside the ranges of its branch.
    Resultado FueraDeRango() {
        adodb::Recordset rs;
        AbreRangos("SELECT * FROM V_TA_CPTE WHERE CODIGO = " + foundation::SqlText(detail::CodigoTC(TC)), rs);
        if (rs.EOF()) return Resultado::SinTalonarios;
        if (!detail::BanderaCampo(rs, "Externo")) return Resultado::SinRango;
        SentenciaSQL.clear();
        return Resultado::SinAvance;
    }

    std::string Condicion(const std::string& tabla) const {
        std::string condicion = " WHERE CODIGO = " + foundation::SqlText(destino.codigo) +
                                " AND TALONARIO=" + vb::CStr(destino.talonario);
        if (tabla == kRangosPorArea) condicion += " AND SISTEMA = " + foundation::SqlText(vb::Trim(*Sistema));
        return condicion;
    }

    // The UPDATE of the counter, on the table the range came from; it changes the row only while
    // the counter is below the number, so it never goes back.
    std::string Avance(const std::string& tabla, const std::string& columna, bool conFecha) const {
        const std::string numero = vb::Trim(Numero);
        return Asignacion(tabla, columna, numero, conFecha) + " AND (" + columna + " IS NULL OR " + columna + " < " +
               numero + ")";
    }

public:
    // The UPDATE that gives the number used back to the range, only while the counter stands
    // right after it.
    std::string Devolucion() const {
        const std::string columna = detail::ColumnaLetra(Letra, "_ULTIMO_NRO");
        return Asignacion(kRangos, columna, vb::Format(destino.numero, "0"), true) + " AND " + columna + " = " +
               vb::Trim(Numero);
    }

private:
    // " UPDATE tabla SET columna = numero [, fechahora_modificacion = now] WHERE <the range>".
    std::string Asignacion(const std::string& tabla, const std::string& columna, const std::string& numero,
                           bool conFecha) const {
        std::string sql = " UPDATE " + tabla + " SET " + columna + " = " + numero;
        if (conFecha) {
            sql += ", fechahora_modificacion = " +
                   foundation::SqlText(vb::Format(vb::Now(), foundation::FormatoFechaHora()));
        }
        return sql + Condicion(tabla);
    }

    // The check that the UPDATE before it changed the row.
    std::string Chequeo() const {
        return "IF @@ROWCOUNT = 0 " +
               RaiseTomado(TC, helpers::gFunciones().TextoAMoneda(Sucursal).ToDouble(), destino.numero, destino.letra);
    }

    // The control row of the number used, for "Contable" ranges, when forced, and for "OC".
    void Control(const adodb::Recordset& rs) {
        if (!vb::Equals(detail::TextoCampo(rs, "Sistema"), "Contable") && !RegistraControl &&
            !vb::Equals(vb::Trim(TC), "OC")) {
            return;
        }
        const helpers::ClsFunciones& f = helpers::gFunciones();
        const double usado = f.TextoAMoneda(Numero).ToDouble() - 1;
        SentenciaSQL += std::string(vb::kCrLf) + " INSERT INTO V_MV_CTROL_CPTE (TC,SUCURSAL,NUMERO,LETRA) VALUES (" +
                        foundation::SqlText(f.AjustaAncho(TC, 4)) + "," +
                        foundation::SqlText(vb::Format(f.TextoAMoneda(Sucursal).ToDouble(), "0000")) + "," +
                        foundation::SqlText(vb::Format(usado, "00000000")) + "," + foundation::SqlText(Letra) + ")" +
                        std::string(vb::kCrLf);
    }
};

// Tells the operator why the number was not recorded, and logs it.
void Informa(long numero, const std::string& texto) {
    foundation::Db().TratamientoErrores(vb::Error(numero, texto), ui::vbOKOnly | ui::vbCritical, kRutina);
}

std::string TextoAlcanzado(const std::string& TC, const std::string& Sucursal, const std::string& Numero,
                           const std::string& Letra) {
    const helpers::ClsFunciones& f = helpers::gFunciones();
    return "El talonario del comprobante " + vb::Trim(TC) + " (sucursal " +
           vb::Format(f.TextoAMoneda(Sucursal).ToDouble(), "0000") + ", letra " + detail::LetraVisible(Letra) +
           ") ya había llegado al número " + vb::Format(f.TextoAMoneda(Numero).ToDouble() - 1, "00000000") +
           ": otra estación puede haberlo usado. No se registró";
}

}  // namespace

namespace detail {

Reserva ReservaNumero(const std::string& tc, int32_t talonario, const std::string& numero,
                      const std::string& letra) {
    gReservado.reset();
    const double usado = helpers::gFunciones().TextoAMoneda(numero).ToDouble();
    const std::string siguiente = vb::Format(usado + 1, "0");
    const std::string sucursal;  // the range is given: no branch to choose it by
    std::string sinUso;
    Registro r{tc, std::nullopt, sucursal, siguiente, letra, false, sinUso, false};
    r.destino = {CodigoTC(tc), talonario, LetraVisible(letra), usado};
    TalonarioActual = talonario;
    switch (r.Mueve(kRangos)) {
        case Resultado::Avanzado: gReservado = r.destino; return Reserva::Tomada;
        case Resultado::Alcanzado: return Reserva::Ocupada;
        default: return Reserva::Libre;
    }
}

void OlvidaReserva() { gReservado.reset(); }

}  // namespace detail

bool DevuelveNumeroComprobante(const std::string& TC, const std::string& IdComprobante) {
    const helpers::ClsFunciones& f = helpers::gFunciones();
    std::string letra = vb::Mid(IdComprobante, 13, 1);
    const std::string digitos = vb::Mid(IdComprobante, 5, 8);
    if (!detail::EsLetraValida(letra) || !detail::EsNumeroPlano(digitos, 8)) return false;
    const double numero = f.TextoAMoneda(digitos).ToDouble();
    const std::string sucursal = vb::Mid(IdComprobante, 1, 4);
    const detail::Seleccion rango =
        detail::EligeTalonario(kRangos, TC, f.TextoAMoneda(sucursal).ToDouble(), numero, letra);
    if (!rango.talonario || rango.externo) return false;
    const std::string siguiente = vb::Format(numero + 1, "0");
    std::string sinUso;
    Registro r{TC, std::nullopt, sucursal, siguiente, letra, false, sinUso, false};
    r.destino = {detail::CodigoTC(TC), *rango.talonario, detail::LetraVisible(letra), numero};
    if (gReservado == r.destino) gReservado.reset();
    return detail::EjecutaContando(r.Devolucion()) == 1;
}

namespace {

// The queries of a document's stored rows: its stock movements, its accounting entry.
std::vector<std::string> ConsultasDelComprobante(const std::string& TC, const std::string& IdComprobante) {
    using foundation::SqlText;
    const std::string tc = SqlText(detail::CodigoTC(TC));
    return {"SELECT * FROM V_MV_STOCK WHERE TC = " + tc + " AND IDCOMPROBANTE = " + SqlText(IdComprobante),
            "SELECT * FROM MV_ASIENTOS WHERE TC = " + tc + " AND SUCURSAL = " + SqlText(vb::Mid(IdComprobante, 1, 4)) +
                " AND NUMERO = " + SqlText(vb::Mid(IdComprobante, 5, 8)) + " AND LETRA = " +
                SqlText(vb::Mid(IdComprobante, 13, 1))};
}

}  // namespace

std::string ChequeoNumeroLibre(const std::string& TC, const std::string& IdComprobante) {
    // The script runner of Oracle knows no IF EXISTS ... RAISERROR.
    if (foundation::Db().EsOracle()) return {};
    std::string condicion;
    for (const std::string& consulta : ConsultasDelComprobante(TC, IdComprobante)) {
        condicion += (condicion.empty() ? "IF EXISTS (" : " OR EXISTS (") + consulta + ")";
    }
    return condicion + " " +
           RaiseTomado(TC, vb::Val(vb::Mid(IdComprobante, 1, 4)), vb::Val(vb::Mid(IdComprobante, 5, 8)),
                       detail::LetraVisible(vb::Mid(IdComprobante, 13, 1)));
}

bool ComprobanteGuardado(const std::string& TC, const std::string& IdComprobante) {
    foundation::DB_Dll& db = foundation::Db();
    for (std::string consulta : ConsultasDelComprobante(TC, IdComprobante)) {
        adodb::Recordset rs;
        db.AbrirRecordset(consulta, rs);
        if (rs.State() != adodb::adStateOpen) vb::Raise(vb::kErrInternal, "No se pudo leer si el comprobante existe");
        const bool hay = !rs.EOF();
        db.CierraRecordset(rs);
        if (hay) return true;
    }
    return false;
}

void AvisaSinTalonarios() { ui::MsgBox(kSinTalonarios, ui::vbOKOnly | ui::vbCritical, "ATENCION"); }

bool TieneTalonarios(const std::string& TC) {
    adodb::Recordset rs;
    AbreRangos("SELECT TALONARIO FROM " + std::string(kRangos) + " WHERE CODIGO = " +
                   foundation::SqlText(detail::CodigoTC(TC)),
               rs);
    return !rs.EOF();
}

bool RegistraNumeroComprobante(const std::string& TC, const std::string& Sistema,
                               const std::string& Sucursal, const std::string& Numero,
                               std::string& Letra, bool SoloSQL, std::string& SentenciaSQL,
                               bool RegistraControl) {
    // The number goes into SQL unquoted: anything but digits would change the statement. The
    // number after an 8-digit one has 9 digits at most.
    if (!detail::EsNumeroPlano(Numero, 9)) {
        Informa(vb::kErrTypeMismatch, "El número de comprobante '" + Numero +
                                          "' no es válido: debe tener sólo dígitos, no más de 9 sin los ceros iniciales");
        return false;
    }
    if (Letra.empty()) Letra = "X";
    Registro r{TC, Sistema, Sucursal, Numero, Letra, SoloSQL, SentenciaSQL, RegistraControl,
               std::exchange(gReservado, std::nullopt)};
    std::optional<Resultado> resultado;
    vb::RunStep([&] { resultado = r.Registra(); }, foundation::Tratamiento(kRutina));
    if (!resultado) return false;  // reported; left or passed over

    switch (*resultado) {
        case Resultado::Avanzado:
        case Resultado::SinAvance: return true;
        case Resultado::Alcanzado: Informa(detail::kErrNumeroAlcanzado, TextoAlcanzado(TC, Sucursal, Numero, Letra)); break;
        case Resultado::SinRango:
            Informa(vb::kErrInvalidCall,
                    detail::TextoSinTalonario(TC, helpers::gFunciones().TextoAMoneda(Sucursal).ToDouble(),
                                              helpers::gFunciones().TextoAMoneda(Numero).ToDouble() - 1, Letra) +
                        ": no se registró");
            break;
        case Resultado::SinTalonarios:
            AvisaSinTalonarios();
            break;
    }
    return false;
}

}  // namespace numbering
