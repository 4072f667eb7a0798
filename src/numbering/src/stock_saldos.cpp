// Stock balance of an article, in one depot or over all depots.
#include "foundation/configuracion.h"
#include "foundation/db_dll.h"
#include "numbering/stock.h"
#include "stock_internal.h"
#include "vb/text.h"

namespace numbering {

void ControlStock(const std::string& IdDeposito, const std::string& IdArticulo, const std::string& Equivalencia,
                  double& Stock) {
    using detail::CodigoSql;
    if (vb::Trim(IdArticulo).empty()) return;

    std::string sql;
    adodb::Recordset rs;
    foundation::DB_Dll& db = foundation::Db();
    vb::RunSteps(
        {
            [&] {
                const std::string articulo = CodigoSql(IdArticulo, 25);
                const bool conDeposito = !vb::Trim(IdDeposito).empty();
                if (foundation::gUsaStkStockUdKg) {
                    sql = conDeposito ? "SELECT CantidadUd AS STOCK FROM STK_STOCK_UDKG WHERE IDARTICULO = " + articulo +
                                            " AND IDDEPOSITO = " + CodigoSql(IdDeposito, 4)
                                      // No depot: the balance over all depots, as without the switch.
                                      : "SELECT SUM(CantidadUd) AS STOCK  FROM STK_STOCK_UDKG WHERE IDARTICULO = " +
                                            articulo + " ";
                } else {
                    sql = conDeposito ? "SELECT STOCK AS STOCK FROM STK_SALDOS_UNIDADES WHERE IDARTICULO = " + articulo +
                                            " AND EQUIVALENCIA = " + CodigoSql(Equivalencia, 4) +
                                            " AND IDDEPOSITO = " + CodigoSql(IdDeposito, 4)
                                      : "SELECT SUM(STOCK) AS STOCK  FROM STK_SALDOS_UNIDADES WHERE IDARTICULO = " +
                                            articulo + " AND EQUIVALENCIA = " + CodigoSql(Equivalencia, 4) + " ";
                }
            },
            [&] { db.AbrirRecordset(sql, rs); },
            [&] { Stock = rs.EOF() ? 0 : detail::ComoDoble(rs.Fields("STOCK")); },
            [&] { db.CierraRecordset(rs); },
        },
        foundation::Tratamiento("ControlStock"));
}

}  // namespace numbering
