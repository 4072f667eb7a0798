// Unit equivalences of an article (S_TA_EQUIV) and the conversions built on them.
#include "foundation/configuracion.h"
#include "foundation/db_dll.h"
#include "helpers/helpers.h"
#include "numbering/stock.h"
#include "stock_internal.h"
#include "ui/flexgrid.h"
#include "vb/conv.h"
#include "vb/text.h"

namespace numbering {

namespace {

// Columns of the articles grid.
constexpr int kColArticulo = 0;
constexpr int kColUnidad = 5;
constexpr int kColCantidad = 7;
constexpr int kColCantUnidad1 = 62;  // AuxCantUnidad1: gUnidadMedidaM3
constexpr int kColCantUnidad2 = 63;  // AuxCantUnidad2: gUnidadMedidaBL
constexpr int kColCantUnidad3 = 64;  // AuxCantUnidad3: gUnidadMedidaKG

// The equivalence row from one unit to the other, if any: its coefficient.
bool BuscaEquivalencia(const std::string& IdArticulo, const std::string& desde, const std::string& hasta,
                       double& Coeficiente) {
    using detail::CodigoSql;
    std::string sql = "SELECT * FROM  S_TA_EQUIV WHERE IdArticulo = " + CodigoSql(vb::Trim(IdArticulo), 25) +
                      " AND IDUNIDAD = " + CodigoSql(vb::Trim(desde), 4) +
                      " AND IDUNIDAD_EQUIV = " + CodigoSql(vb::Trim(hasta), 4);
    adodb::Recordset rs;
    foundation::Db().AbrirRecordset(sql, rs);
    if (rs.EOF()) return false;
    Coeficiente = detail::ComoDoble(rs.Fields("Coeficiente"));
    return true;
}

// The twins: Cantidad converted between `unidad` (the second argument, the
// base unit when blank) and `otra` (the fourth). Directo: the quantity is
// expressed in `unidad`; otherwise in `otra`.
double Convierte(const std::string& IdArticulo, std::string& unidad, double Cantidad, const std::string& otra,
                 bool directo) {
    if (Cantidad == 0) return 0;
    if (vb::Equals(unidad, otra)) return Cantidad;
    const bool unidadEnBlanco = vb::Trim(unidad).empty();
    std::string operacion;
    double coeficiente = 0;
    bool sinUnidad = false;
    if (!IdArticuloTieneEquivalencias(IdArticulo, otra, operacion, unidad, coeficiente, sinUnidad)) {
        // The base unit filled in for a blank unit may be the unit asked for.
        return (unidadEnBlanco && !sinUnidad && vb::Equals(unidad, otra)) ? Cantidad : 0;
    }
    // A row in the direction of the conversion multiplies, one the other way divides.
    const bool multiplica = (operacion == "/") == directo;
    if (multiplica) return Cantidad * coeficiente;
    // A coefficient of 0 is no usable equivalence.
    return coeficiente == 0 ? 0 : Cantidad / coeficiente;
}

}  // namespace

std::string ObtieneUnidadArticulo(const std::string& IdArticulo) {
    std::string sql = "SELECT IDUNIDAD FROM V_MA_ARTICULOS WHERE IDARTICULO = " + detail::CodigoSql(IdArticulo, 25);
    adodb::Recordset rs;
    foundation::Db().AbrirRecordset(sql, rs);
    // An article without a master row has no unit.
    if (rs.EOF()) return {};
    return vb::Trim(detail::TextoCampo(rs, "IdUnidad"));
}

bool IdArticuloTieneEquivalencias(const std::string& IdArticulo, const std::string& IdUnidadEquiv,
                                  std::string& Operacion, std::string& IdUnidad, double& Coeficiente,
                                  bool& SinUnidad) {
    bool resultado = false;
    bool fin = false;
    std::string unidad;
    vb::RunSteps(
        {
            [&] {
                Coeficiente = 0;
                SinUnidad = false;
            },
            [&] { unidad = vb::Trim(IdUnidad).empty() ? ObtieneUnidadArticulo(IdArticulo) : IdUnidad; },
            [&] {
                SinUnidad = vb::Trim(unidad).empty();
                fin = SinUnidad;
            },
            [&] {
                if (!fin) IdUnidad = unidad;
            },
            [&] {
                if (fin) return;
                if (BuscaEquivalencia(IdArticulo, IdUnidad, IdUnidadEquiv, Coeficiente)) {
                    Operacion = "/";
                    resultado = fin = true;
                }
            },
            [&] {
                if (fin) return;
                if (BuscaEquivalencia(IdArticulo, IdUnidadEquiv, IdUnidad, Coeficiente)) {
                    Operacion = "*";
                    resultado = fin = true;
                }
            },
        },
        foundation::Tratamiento("IdArticuloTieneEquivalencias"));
    return resultado;
}

double ConvierteCantidadUnidad(const std::string& IdArticulo, std::string& UnidadDesde, double Cantidad,
                               const std::string& UnidadHasta) {
    return Convierte(IdArticulo, UnidadDesde, Cantidad, UnidadHasta, true);
}

double ConvierteCantidadUnidad(const std::string& IdArticulo, const std::string& UnidadDesde, double Cantidad,
                               const std::string& UnidadHasta) {
    std::string desde = UnidadDesde;
    return Convierte(IdArticulo, desde, Cantidad, UnidadHasta, true);
}

double ConvierteCantidadUnidadInversa(const std::string& IdArticulo, std::string& UnidadHasta, double Cantidad,
                                      const std::string& UnidadDesde) {
    return Convierte(IdArticulo, UnidadHasta, Cantidad, UnidadDesde, false);
}

double ConvierteCantidadUnidadInversa(const std::string& IdArticulo, const std::string& UnidadHasta,
                                      double Cantidad, const std::string& UnidadDesde) {
    std::string hasta = UnidadHasta;
    return Convierte(IdArticulo, hasta, Cantidad, UnidadDesde, false);
}

void ActualizaCantidadesEquivalentes(ui::FlexGrid& Grilla) {
    const auto escribe = [&Grilla](int columna, const std::string& unidadConfigurada) {
        const int fila = Grilla.Row();
        const std::string articulo = Grilla.TextMatrix(fila, kColArticulo);
        std::string unidad = vb::Trim(Grilla.TextMatrix(fila, kColUnidad));
        const double cantidad = helpers::gFunciones().TextoAMoneda(Grilla.TextMatrix(fila, kColCantidad)).ToDouble();
        const double convertida = ConvierteCantidadUnidad(articulo, unidad, cantidad, unidadConfigurada);
        Grilla.SetTextMatrix(fila, columna, vb::CStr(convertida));
    };
    escribe(kColCantUnidad2, foundation::gUnidadMedidaBL);
    escribe(kColCantUnidad1, foundation::gUnidadMedidaM3);
    escribe(kColCantUnidad3, foundation::gUnidadMedidaKG);
}

}  // namespace numbering
