// ClsCmnCptes: the document logic the suite's programs share. This program
// builds its construction (three settings of the configuration table, read
// once) and the action log of a document, ActualizaBuchon.
//
// Contract: user-interface thread only; the configuration is read through
// foundation::Cfg on the session's connection, so an object is created only
// after the session started. A failure while reading it reaches the caller.
#pragma once

#include <optional>
#include <string>

namespace authorization {

class ClsCmnCptes {
public:
    // Reads PIVA, PIVARec and AsientosXStock from the configuration table.
    ClsCmnCptes();

    double PIVA() const { return PIVA_; }
    double PIVARec() const { return PIVARec_; }
    bool AsientosXStock() const { return AsientosXStock_; }

    // The action-log record of a document in V_MV_CPTEACCIONES:
    //   INSERT INTO V_MV_CPTEACCIONES (TC,IdComprobante,IdComplemento,
    //   Tipo_accion,FECHAHORA,Usuario,PC,SYSTEMUSER,NUMEROASIENTO) VALUES (...)
    // Tipo_accion is TipoAccion when given, else 'A' (lEsAlta), 'M'
    // (lEsModificacion) or 'B'. With GeneraSentencia the statement is only
    // handed back in SentenciaSQL; otherwise it runs at once. Texts are
    // written as SQL literals; IdComplemento must be a whole number and
    // NroAsiento reads as a number (empty: 0).
    // Returns whether the statement was built (and, when it runs, whether it
    // ran); nothing is built for an IdComplemento that is not a number.
    bool ActualizaBuchon(const std::string& TC, const std::string& SucNroLetra,
                         const std::string& IdComplemento, bool lEsAlta, bool lEsModificacion,
                         bool GeneraSentencia = false, std::string* SentenciaSQL = nullptr,
                         const std::string& NroAsiento = {},
                         const std::optional<std::string>& TipoAccion = std::nullopt);

private:
    double PIVA_ = 0;
    double PIVARec_ = 0;
    bool AsientosXStock_ = false;
};

}  // namespace authorization
