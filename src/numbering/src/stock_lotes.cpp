// Lots of an article with stock in a depot, and the inputs of an article.
#include <algorithm>
#include <cmath>

#include "foundation/db_dll.h"
#include "foundation/sql_literal.h"
#include "helpers/helpers.h"
#include "numbering/stock.h"
#include "stock_internal.h"
#include "vb/text.h"

namespace numbering {

namespace {

// The depot as an SQL literal. Callers hand either a code or a literal they
// already prepared ("'0001'", or "NULL" for no depot, which finds no lots).
std::string DepositoSql(const std::string& IdDeposito) {
    const std::string deposito = vb::Trim(IdDeposito);
    if (vb::Equals(deposito, "NULL")) return "NULL";
    const std::size_t n = deposito.size();
    if (n >= 2 && deposito.front() == '\'' && deposito.back() == '\'') {
        const std::string codigo = vb::Replace(deposito.substr(1, n - 2), "''", "'");
        return detail::CodigoSql(vb::Trim(codigo), 4);
    }
    return detail::CodigoSql(deposito, 4);
}

// True when the running total has reached the quantity. Sums of binary
// fractions miss by a rounding step (0.7 + 0.1 is just below 0.8), which
// would otherwise leave a remainder of about 1e-16 for the next lot or as a
// lot-less element.
bool Cubierta(double total, double cantidad) {
    return std::fabs(cantidad - total) <= 1e-9 * std::max(1.0, std::fabs(cantidad));
}

ItemCantidad Elemento(std::string_view codigo, std::string_view unidad, double cantidad) {
    return {detail::AnchoFijo(codigo, kAnchoCodigoItem), detail::AnchoFijo(unidad, kAnchoUnidadItem), cantidad};
}

}  // namespace

bool ArticuloTieneLotes(const std::string& IdArticulo, const std::string& IdDeposito,
                        std::vector<ItemCantidad>& LotesArticulo, double Cantidad) {
    if (vb::Equals(vb::Trim(IdDeposito), kElDelGrid)) return false;

    bool resultado = false;
    double total = 0;
    std::string sql;
    adodb::Recordset rs;
    foundation::DB_Dll& db = foundation::Db();
    vb::RunSteps(
        {
            [&] {
                sql = "SELECT * FROM STK_SERIES_Y_LOTES WHERE IdArticulo = " + detail::CodigoSql(IdArticulo, 25) +
                      " AND CANTIDAD > 0  AND IDDEPOSITO = " + DepositoSql(IdDeposito) +
                      " and not nrolote is null ORDER BY NROLOTE";
            },
            [&] { db.AbrirRecordset(sql, rs); },
            [&] { LotesArticulo.clear(); },
            [&] { resultado = !rs.EOF(); },
            [&] {
                // Whole lots while they fit, the rest from the next lot. The
                // loop ends once the quantity is covered, so that no element
                // carries 0.
                for (; !rs.EOF() && !Cubierta(total, Cantidad); rs.MoveNext()) {
                    double q = detail::ComoDoble(rs.Fields("Cantidad"));
                    const bool ultimo = total + q > Cantidad;
                    if (ultimo) q = Cantidad - total;
                    total = ultimo ? Cantidad : total + q;
                    LotesArticulo.push_back(Elemento(detail::TextoCampo(rs, "NroLote"), "", q));
                    if (ultimo) break;
                }
            },
            [&] {
                if (Cantidad > total && !Cubierta(total, Cantidad)) {
                    LotesArticulo.push_back(Elemento("", "", Cantidad - total));
                }
            },
            [&] { db.CierraRecordset(rs); },
        },
        foundation::Tratamiento("ArticuloTieneLotes"));
    return resultado;
}

bool IdArticuloTieneInsumos(const std::string& IdArticulo, std::vector<ItemCantidad>& InsumosArticulo,
                            bool SoloVerifica) {
    bool resultado = false;
    std::string sql;
    adodb::Recordset rs;
    foundation::DB_Dll& db = foundation::Db();
    vb::RunSteps(
        {
            [&] {
                sql = "SELECT * FROM V_MA_INSUMOS WHERE IDARTICULO = " + detail::CodigoSql(vb::Trim(IdArticulo), 25);
            },
            [&] { db.AbrirRecordset(sql, rs); },
            [&] { InsumosArticulo.assign(1, ItemCantidad{}); },
            [&] { resultado = !rs.EOF(); },
            [&] {
                if (SoloVerifica) return;
                for (; !rs.EOF(); rs.MoveNext()) {
                    InsumosArticulo.back() = Elemento(detail::TextoCampo(rs, "IdArticuloInsumo"),
                                                      detail::TextoCampo(rs, "IdUnidadInsumo"),
                                                      detail::ComoDoble(rs.Fields("Cantidad")));
                    InsumosArticulo.emplace_back();
                }
            },
            [&] { db.CierraRecordset(rs); },
        },
        foundation::Tratamiento("IdArticuloTieneInsumos"));
    return resultado;
}

}  // namespace numbering
