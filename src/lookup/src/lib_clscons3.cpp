#include "lookup/lib_clscons3.h"

#include "foundation/configuracion.h"
#include "vb/text.h"

namespace lookup {

namespace {

std::string Clave(const char* nombre) {
    std::string aux;  // VALORAUX is not used
    return foundation::Cfg(nombre, aux);
}

// A stock tier kept as text; exactly the empty text becomes the number 0.
vb::Variant Nivel(const char* nombre) {
    const std::string valor = Clave(nombre);
    return valor.empty() ? vb::Variant(0) : vb::Variant(valor);
}

}  // namespace

Lib_ClsCons3::Lib_ClsCons3()
    : CmpsDevueltos(std::make_shared<Coleccion>()), Valores(std::make_shared<Coleccion>()) {
    MuestraStock = Clave("MostrarStockenConsultas");
    StkNivel1 = Nivel("Stk_Nivel1");
    StkNivel2 = Nivel("Stk_Nivel2");
    StkNivel3 = Nivel("Stk_Nivel3");
    StkNivel4 = Nivel("Stk_Nivel4");
    usaConsultaLike_ = vb::Equals(Clave("UsaConsultaLIKE"), "SI");
}

Lib_ClsCons3& gConsultas() {
    static Lib_ClsCons3 instancia;
    return instancia;
}

}  // namespace lookup
