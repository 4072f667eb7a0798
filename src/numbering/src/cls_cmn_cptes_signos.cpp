// ClsCmnCptes: the stock and VAT-book sign of a document type, and the
// quantity of an article still pending on a document.
#include <string>
#include <vector>

#include "documents/cls_cmn_cptes.h"
#include "foundation/db_dll.h"
#include "foundation/sql_literal.h"
#include "helpers/helpers.h"
#include "numbering/stock.h"
#include "stock_internal.h"
#include "ui/msgbox.h"
#include "vb/conv.h"
#include "vb/text.h"
#include "vb/variant.h"

namespace documents {

namespace {

// Stock signs by code, used when the type's row leaves ES unset.
const std::vector<std::string> kEntradas = {"IR", "AJP", "FCC", "NDC", "FPC", "NC", "RMC"};
const std::vector<std::string> kSalidas = {"VS", "AJN", "FC", "ND", "FP", "NCC", "RM"};
// VAT-book codes with sign -1 when the row leaves Signo unset; any other is +1.
const std::vector<std::string> kCreditos = {"NC", "NCC", "NCP", "NCCP"};

// The code is compared as passed (untrimmed), without regard to case.
int SignoStockPorCodigo(const std::string& TC) {
    const helpers::ClsFunciones& f = helpers::gFunciones();
    if (f.EstaEnLista(TC, kEntradas)) return 1;
    if (f.EstaEnLista(TC, kSalidas)) return -1;
    return 0;
}

// First row of `tabla` for the document and article: its Cantidad, 0 when
// there is no row or the quantity is Null.
double CantidadDelDocumento(const char* tabla, const std::string& TC, const std::string& SucNroLetra,
                            const std::string& IdArticulo) {
    using foundation::SqlText;
    std::string sql = std::string("SELECT * FROM ") + tabla + " WHERE (TC = " + SqlText(TC) +
                      ") AND IDCOMPROBANTE = " + SqlText(vb::Trim(SucNroLetra)) + " AND IDARTICULO = " +
                      numbering::detail::CodigoSql(vb::Trim(IdArticulo), numbering::kAnchoCodigoItem);
    adodb::Recordset rs;
    foundation::DB_Dll& db = foundation::Db();
    db.AbrirRecordset(sql, rs);
    double cantidad = 0;
    if (!rs.EOF()) {
        const vb::Variant& valor = rs.Fields("Cantidad").Value();
        if (!valor.IsNull()) cantidad = vb::CDbl(valor);
    }
    db.CierraRecordset(rs);
    return cantidad;
}

}  // namespace

int ClsCmnCptes::ObtieneSignoComprobante(const std::string& TC, bool LibroIVA) {
    int resultado = 0;
    bool sinFila = false;
    std::string sql;
    adodb::Recordset rs;
    foundation::DB_Dll& db = foundation::Db();
    vb::RunSteps(
        {
            [&] {
                sql = "SELECT * FROM V_TA_CPTE WHERE CODIGO=" + foundation::SqlText(numbering::detail::CodigoTC(TC));
            },
            [&] { db.AbrirRecordset(sql, rs); },
            [&] {
                sinFila = rs.EOF();
                if (sinFila) {
                    ui::MsgBox("El Tipo de Comprobante informado no existe en la tabla de comprobantes",
                               ui::vbCritical | ui::vbOKOnly, "Aviso al operador!!!");
                }
            },
            [&] {
                if (sinFila) return;
                if (LibroIVA) {
                    const vb::Variant& signo = rs.Fields("Signo").Value();
                    const bool credito = helpers::gFunciones().EstaEnLista(TC, kCreditos);
                    resultado = signo.IsNull() ? (credito ? -1 : 1) : vb::CInt(vb::CDbl(signo));
                } else {
                    const std::string es = vb::TextOf(rs.Fields("ES").Value());
                    resultado = vb::Equals(es, "E") ? 1 : vb::Equals(es, "S") ? -1 : SignoStockPorCodigo(TC);
                }
            },
            [&] { db.CierraRecordset(rs); },
        },
        foundation::Tratamiento("ObtieneSignoComprobante%"));
    return resultado;
}

double ClsCmnCptes::CantRepartoPend(const std::string& TC, const std::string& SucNroLetra,
                                    const std::string& IdArticulo) {
    const double enLineas = CantidadDelDocumento("VT_V_MV_CPTEINSUMOS_CONS2", TC, SucNroLetra, IdArticulo);
    const double movido = CantidadDelDocumento("VT_V_MV_Stock_Cons", TC, SucNroLetra, IdArticulo);
    return enLineas >= movido ? enLineas - movido : 0;
}

}  // namespace documents
