// ClsCmnCptes: the action log.
#include "documents/cls_cmn_cptes.h"

#include <algorithm>
#include <cctype>

#include "foundation/comunes.h"
#include "foundation/db_dll.h"
#include "foundation/session.h"
#include "foundation/sql_literal.h"
#include "helpers/helpers.h"
#include "vb/datetime.h"
#include "vb/format.h"
#include "vb/text.h"

namespace documents {

namespace {

double ComoNumero(const std::string& texto) { return helpers::gFunciones().TextoAMoneda(texto).ToDouble(); }

// A whole number as written in SQL, or nothing when the text is not one.
std::optional<std::string> NumeroEntero(const std::string& texto) {
    const std::string t = vb::Trim(texto);
    const std::size_t inicio = (!t.empty() && t.front() == '-') ? 1 : 0;
    if (t.size() == inicio || t.size() - inicio > 18) return std::nullopt;
    const bool digitos = std::all_of(t.begin() + static_cast<std::ptrdiff_t>(inicio), t.end(),
                                     [](char c) { return std::isdigit(static_cast<unsigned char>(c)) != 0; });
    if (!digitos) return std::nullopt;
    return t;
}

}  // namespace

bool ClsCmnCptes::ActualizaBuchon(const std::string& TC, const std::string& SucNroLetra,
                                  const std::string& IdComplemento, bool lEsAlta, bool lEsModificacion,
                                  bool GeneraSentencia, std::string* SentenciaSQL,
                                  const std::string& NroAsiento,
                                  const std::optional<std::string>& TipoAccion) {
    using foundation::SqlText;
    const std::optional<std::string> complemento = NumeroEntero(IdComplemento);
    if (!complemento) return false;

    std::string tipo;
    if (TipoAccion) tipo = *TipoAccion;
    else if (lEsAlta) tipo = "A";
    else if (lEsModificacion) tipo = "M";
    else tipo = "B";

    std::string sentencia;
    try {
        std::vector<foundation::CampoValor>& campos = foundation::gCamposInsert;
        campos.assign(9, {});
        sentencia = " INSERT INTO V_MV_CPTEACCIONES ";
        campos[0] = {"TC", SqlText(helpers::gFunciones().AjustaAncho(vb::Trim(TC), 4))};
        campos[1] = {"IdComprobante", SqlText(SucNroLetra)};
        campos[2] = {"IdComplemento", *complemento};
        campos[3] = {"Tipo_accion", SqlText(tipo)};
        campos[4] = {"FECHAHORA", SqlText(vb::Format(vb::Now(), foundation::FormatoFechaHora()))};
        campos[5] = {"Usuario", SqlText(foundation::gUsuarioLogeado)};
        campos[6] = {"PC", SqlText(helpers::gEstacion().NombrePC())};
        campos[7] = {"SYSTEMUSER", "''"};
        campos[8] = {"NUMEROASIENTO", foundation::SqlNumber(ComoNumero(NroAsiento))};
        foundation::ArmaInsert(sentencia, campos, true);
    } catch (...) {
        foundation::gCamposInsert.clear();
        return false;
    }

    if (GeneraSentencia) {
        if (SentenciaSQL != nullptr) *SentenciaSQL = sentencia;
        return true;
    }
    return foundation::Db().EjecutaConsultaSQL(sentencia);
}

}  // namespace documents
