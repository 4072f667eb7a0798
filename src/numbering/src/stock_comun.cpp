// Helpers shared by the stock functions of this library.
#include "foundation/sql_literal.h"
#include "helpers/helpers.h"
#include "stock_internal.h"
#include "vb/text.h"
#include "vb/variant.h"

namespace numbering::detail {

double ComoDoble(const adodb::Field& campo) {
    const vb::Variant& valor = campo.Value();
    if (valor.IsNull() || valor.IsEmpty()) return 0;
    if (valor.IsNumber()) return vb::CDbl(valor);
    return helpers::gFunciones().TextoADoble(vb::TextOf(valor));
}

std::string AnchoFijo(std::string_view texto, int ancho) {
    const auto n = static_cast<std::size_t>(ancho);
    std::string fijo = vb::Left(texto, n);
    return fijo + vb::Space(n - vb::Len(fijo));
}

std::string CodigoSql(std::string_view codigo, int ancho) {
    return foundation::SqlText(helpers::gFunciones().AjustaAncho(codigo, ancho));
}

}  // namespace numbering::detail
