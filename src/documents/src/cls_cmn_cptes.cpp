// ClsCmnCptes: construction.
#include "documents/cls_cmn_cptes.h"

#include "foundation/comunes.h"
#include "foundation/configuracion.h"
#include "helpers/helpers.h"

namespace documents {

namespace {

std::string ValorConfiguracion(const char* clave) {
    std::string valorAux;
    return foundation::Cfg(clave, valorAux);
}

double ComoNumero(const std::string& texto) { return helpers::gFunciones().TextoAMoneda(texto).ToDouble(); }

}  // namespace

ClsCmnCptes::ClsCmnCptes()
    : PIVA_(ComoNumero(ValorConfiguracion("PIVA"))),
      PIVARec_(ComoNumero(ValorConfiguracion("PIVARec"))),
      AsientosXStock_(foundation::EsSI(ValorConfiguracion("AsientosXStock"))) {}

}  // namespace documents
