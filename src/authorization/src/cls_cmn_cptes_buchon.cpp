// ClsCmnCptes: the action log.
#include "documents/cls_cmn_cptes.h"

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <functional>
#include <iterator>

#include "foundation/comunes.h"
#include "foundation/db_dll.h"
#include "foundation/session.h"
#include "foundation/sql_literal.h"
#include "helpers/helpers.h"
#include "vb/conv.h"
#include "vb/datetime.h"
#include "vb/format.h"
#include "vb/text.h"

namespace documents {

namespace {

double ComoNumero(const std::string& texto) { return helpers::gFunciones().TextoAMoneda(texto).ToDouble(); }

// A whole number as written in SQL, or nothing when the text is not one.
std::optional<std::int64_t> NumeroEntero(const std::string& texto) {
    const std::string t = vb::Trim(texto);
    const std::size_t inicio = (!t.empty() && t.front() == '-') ? 1 : 0;
    if (t.size() == inicio || t.size() - inicio > 18) return std::nullopt;
    const bool digitos = std::all_of(t.begin() + static_cast<std::ptrdiff_t>(inicio), t.end(),
                                     [](char c) { return std::isdigit(static_cast<unsigned char>(c)) != 0; });
    if (!digitos) return std::nullopt;
    return std::stoll(t);
}

// The record's columns, in the statement's order.
constexpr const char* kCampos[] = {"TC", "IdComprobante", "IdComplemento", "Tipo_accion", "FECHAHORA",
                                   "Usuario", "PC", "SYSTEMUSER", "NUMEROASIENTO"};

// The present date and time as FormatoFechaHora writes it: to the minute.
vb::Date AlMinuto(vb::Date momento) {
    vb::DateParts p = momento.Parts();
    p.second = 0;
    return vb::Date::FromParts(p);
}

// A value of the record as its SQL literal.
std::string Literal(const vb::Variant& valor) {
    if (valor.IsText()) return foundation::SqlText(std::get<std::string>(valor.Get()));
    if (valor.IsDate()) return foundation::SqlText(vb::Format(valor, foundation::FormatoFechaHora()));
    if (valor.IsInteger()) return std::to_string(std::get<std::int64_t>(valor.Get()));
    return foundation::SqlNumber(vb::CDbl(valor));
}

// The record's values, in the order of kCampos; nothing for an IdComplemento
// that is not a whole number.
std::optional<std::vector<vb::Variant>> ValoresBuchon(const std::string& TC, const std::string& SucNroLetra,
                                                      const std::string& IdComplemento, bool lEsAlta,
                                                      bool lEsModificacion, const std::string& NroAsiento,
                                                      const std::optional<std::string>& TipoAccion) {
    const std::optional<std::int64_t> complemento = NumeroEntero(IdComplemento);
    if (!complemento) return std::nullopt;
    std::string tipo;
    if (TipoAccion) tipo = *TipoAccion;
    else if (lEsAlta) tipo = "A";
    else if (lEsModificacion) tipo = "M";
    else tipo = "B";
    return std::vector<vb::Variant>{helpers::gFunciones().AjustaAncho(vb::Trim(TC), 4),
                                    SucNroLetra,
                                    *complemento,
                                    tipo,
                                    AlMinuto(vb::Now()),
                                    foundation::gUsuarioLogeado,
                                    helpers::gEstacion().NombrePC(),
                                    std::string(),
                                    ComoNumero(NroAsiento)};
}

// " INSERT INTO V_MV_CPTEACCIONES (columns) VALUES (...)", each column's
// value given by `valor`, through the shared pair list and ArmaInsert.
std::string InsertBuchon(const std::function<std::string(std::size_t)>& valor) {
    std::string sentencia = " INSERT INTO V_MV_CPTEACCIONES ";
    try {
        std::vector<foundation::CampoValor>& campos = foundation::gCamposInsert;
        campos.assign(std::size(kCampos), {});
        for (std::size_t i = 0; i < campos.size(); ++i) campos[i] = {kCampos[i], valor(i)};
        foundation::ArmaInsert(sentencia, campos, true);
    } catch (...) {
        foundation::gCamposInsert.clear();
        throw;
    }
    return sentencia;
}

}  // namespace

bool ClsCmnCptes::ActualizaBuchon(const std::string& TC, const std::string& SucNroLetra,
                                  const std::string& IdComplemento, bool lEsAlta, bool lEsModificacion,
                                  bool GeneraSentencia, std::string* SentenciaSQL,
                                  const std::string& NroAsiento,
                                  const std::optional<std::string>& TipoAccion) {
    std::string sentencia;
    try {
        const std::optional<std::vector<vb::Variant>> valores =
            ValoresBuchon(TC, SucNroLetra, IdComplemento, lEsAlta, lEsModificacion, NroAsiento, TipoAccion);
        if (!valores) return false;
        sentencia = InsertBuchon([&](std::size_t i) { return Literal((*valores)[i]); });
    } catch (...) {
        return false;
    }
    if (GeneraSentencia) {
        if (SentenciaSQL != nullptr) *SentenciaSQL = sentencia;
        return true;
    }
    return foundation::Db().EjecutaConsultaSQL(sentencia);
}

bool ClsCmnCptes::SentenciaBuchon(const std::string& TC, const std::string& SucNroLetra,
                                  const std::string& IdComplemento, bool lEsAlta, bool lEsModificacion,
                                  std::string& SentenciaSQL, std::vector<vb::Variant>& Valores,
                                  const std::string& NroAsiento,
                                  const std::optional<std::string>& TipoAccion) {
    try {
        std::optional<std::vector<vb::Variant>> valores =
            ValoresBuchon(TC, SucNroLetra, IdComplemento, lEsAlta, lEsModificacion, NroAsiento, TipoAccion);
        if (!valores) return false;
        SentenciaSQL = InsertBuchon([](std::size_t) { return std::string("?"); });
        Valores = std::move(*valores);
        return true;
    } catch (...) {
        return false;
    }
}

}  // namespace documents
