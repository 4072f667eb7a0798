// ClsCmnCptes: stock balances by depot, lot, serial and position. Read only.
#include "documents/cls_cmn_cptes.h"
#include "db/adodb.h"
#include "entrygrids/auxiliares.h"
#include "foundation/db_dll.h"
#include "foundation/sql_literal.h"
#include "helpers/helpers.h"
#include "numbering/stock.h"
#include "vb/text.h"
#include "vb/variant.h"

namespace documents {

namespace {

constexpr const char* kIgnorar = "Ignorar";

bool EsIgnorar(const std::string& valor) { return vb::Equals(valor, kIgnorar, vb::Compare::Text); }

// A filter argument that takes part in the query.
bool Filtra(const std::string& valor) { return !EsIgnorar(valor) && !vb::Trim(valor).empty(); }

helpers::ClsFunciones& F() { return helpers::gFunciones(); }

// The sum query's condition (without the flags part).
std::string CondicionDeSaldo(const std::string& IdArticulo, const std::string& IdDeposito,
                             const std::string& NroLote, const std::string& NroSerie,
                             const std::string& IdPosicion) {
    using foundation::SqlText;
    std::string condicion = " WHERE IDARTICULO = " + SqlText(F().AjustaAncho(vb::Trim(IdArticulo), 25));
    if (Filtra(IdDeposito)) condicion += " AND IdDeposito = " + SqlText(F().AjustaAncho(IdDeposito, 4)) + " ";
    if (Filtra(NroLote)) condicion += " AND NroLote = " + SqlText(F().AjustaAncho(vb::Trim(NroLote), 25)) + " ";
    if (Filtra(NroSerie)) condicion += " AND NroSerie = " + SqlText(F().AjustaAncho(vb::Trim(NroSerie), 25)) + " ";
    if (Filtra(IdPosicion)) {
        condicion += " AND IdPosicion = " + SqlText(F().AjustaAncho(vb::Trim(IdPosicion), 15)) + " ";
    }
    return condicion;
}

}  // namespace

double ClsCmnCptes::ObtieneStock(const std::string& IdArticulo, std::string* IdDeposito, const std::string& NroLote,
                                 const std::string& NroSerie, const std::string& IdPosicion, std::string* IdUnidad) {
    std::string deposito = IdDeposito != nullptr ? *IdDeposito : kIgnorar;
    std::string unidad = IdUnidad != nullptr ? *IdUnidad : kIgnorar;
    foundation::DB_Dll& db = foundation::Db();
    double saldo = 0;

    if (EsIgnorar(NroLote) && EsIgnorar(NroSerie)) {
        // No lot and no serial: the unit balance, with the default depot and
        // the article's unit filled in (and handed back) where none was given.
        vb::RunSteps(
            {
                [&] {
                    if (!EsIgnorar(deposito)) return;
                    deposito = F().AjustaAncho(vb::Trim(entrygrids::CfgValor("DepositoDefault")), 4);
                    if (IdDeposito != nullptr) *IdDeposito = deposito;
                },
                [&] {
                    if (!EsIgnorar(unidad)) return;
                    const vb::Variant leida =
                        db.DatosTabla("v_ma_articulos", IdArticulo, "IdUnidad", "IdArticulo", 8, "", true);
                    unidad = F().AjustaAncho(vb::Trim(vb::TextOf(leida)), 4);
                    if (IdUnidad != nullptr) *IdUnidad = unidad;
                },
                [&] { numbering::ControlStock(deposito, IdArticulo, unidad, saldo); },
            },
            foundation::Tratamiento("ObtieneStock"));
        return saldo;
    }

    bool usaSerie = false;
    bool usaLote = false;
    std::string sql;
    adodb::Recordset rs;
    vb::RunSteps(
        {
            [&] {
                sql = "SELECT USASERIE, USALOTE FROM V_MA_ARTICULOS WHERE IDARTICULO = " +
                      foundation::SqlText(F().AjustaAncho(vb::Trim(IdArticulo), 25)) + " ";
            },
            [&] { db.AbrirRecordset(sql, rs); },
            [&] {
                // No row (an unknown article) fails here and is reported.
                usaSerie = entrygrids::Verdadero(rs.Fields("USASERIE").Value());
                usaLote = entrygrids::Verdadero(rs.Fields("USALOTE").Value());
            },
            [&] {
                sql = " SELECT SUM(CANTIDAD) AS SaldoStock FROM STK_SERIES_Y_LOTES " +
                      CondicionDeSaldo(IdArticulo, deposito, NroLote, NroSerie, IdPosicion);
                if (usaSerie && !usaLote) sql += " AND NroLote is NULL ";
                if (usaLote && !usaSerie) sql += " AND NroSerie is NULL ";
            },
            [&] { db.AbrirRecordset(sql, rs); },
            [&] { saldo = F().TextoADoble(vb::TextOf(F().ValorCampo(rs.Fields("SaldoStock")))); },
            [&] { db.CierraRecordset(rs); },
        },
        foundation::Tratamiento("ObtieneStock"));
    return saldo;
}

void ClsCmnCptes::ObtieneStockxEquiv(const std::string& IdDeposito, const std::string& IdArticulo,
                                     const std::string& UdBase, const std::string& udEquivBuscada,
                                     double& StockUdBase, double& StockEquiv) {
    StockUdBase = 0;
    numbering::ControlStock(IdDeposito, IdArticulo, UdBase, StockUdBase);
    StockEquiv = udEquivBuscada.empty()
                     ? 0
                     : numbering::ConvierteCantidadUnidad(IdArticulo, UdBase, StockUdBase, udEquivBuscada);
}

}  // namespace documents
