// Loading a stored document into the detail grids (AsignarDatosComprobante):
// the frame, its queries and the task and other-concept lines. The article
// lines are in cls_cmn_cptes_carga_articulos.cpp.
#include <cstdint>
#include <functional>

#include "documents/cls_cmn_cptes.h"
#include "carga_internos.h"
#include "db/adodb.h"
#include "entrygrids/columnas.h"
#include "foundation/comunes.h"
#include "foundation/db_dll.h"
#include "foundation/sql_literal.h"
#include "grids_internos.h"
#include "helpers/helpers.h"
#include "ui/flexgrid.h"
#include "vb/conv.h"
#include "vb/text.h"
#include "vb/variant.h"

namespace documents {

using namespace entrygrids;
using entrygrids::detail::Procedimiento;

namespace {

// One row per record, the first one over the grid's last row, and one empty
// entry row after the last record. A recordset without rows leaves the grid
// as it was.
void LlenaSeccion(adodb::Recordset& rs, ui::FlexGrid& g, const Procedimiento& p, const std::function<void()>& fila) {
    bool hayFilas = false;
    p([&] { hayFilas = !rs.BOF(); });
    if (!hayFilas) return;
    for (bool primero = true;; primero = false) {
        bool fin = true;
        p([&] { fin = rs.EOF(); });
        if (fin) break;
        if (!primero) p([&] { g.SetRows(g.Rows() + 1); });
        fila();
        p([&] { rs.MoveNext(); });
    }
    p([&] { g.SetRows(g.Rows() + 1); });
}

void FilaTarea(const adodb::Recordset& rs, ui::FlexGrid& g, bool compras, const Procedimiento& p) {
    const int r = g.Rows() - 1;
    const auto copia = [&](int col, const char* campo) { p([&] { g.SetTextMatrix(r, col, CampoT(rs, campo)); }); };
    const auto importe = [&](int col, const char* campo) {
        p([&] { g.SetTextMatrix(r, col, foundation::FmtMoneda(CampoT(rs, campo), -1)); });
    };
    copia(kTarCodigo, "IdTarea");
    copia(kTarCodigoOriginal, "IdTarea");
    copia(kTarDescripcion, "Descripcion");
    p([&] {
        // A line stored without hours (Null or blank) lasts 0 minutes.
        const std::string texto = CampoT(rs, "Horas");
        const double minutosTotales = texto.empty() ? 0 : vb::CDbl(vb::Variant(texto));
        long horas = 0;
        long minutos = 0;
        g.SetTextMatrix(r, kTarHoras, foundation::FormatoHoraDecimal(minutosTotales, horas, minutos));
    });
    importe(kTarValorHora, "ValorHora");
    importe(kTarImporteSinIVA, "valorHora_S_Iva");
    importe(kTarTotal, "Total");
    if (compras) return;
    copia(kTarAuxObservAdic, "descripcionadicional");
    copia(kTarAuxFechaInicio, "FechaEstInicio");
    copia(kTarAuxFechaFin, "FechaEstFin");
    copia(kTarAuxIdTecnico, "IdTecnico");
    copia(kTarAuxFechaREALInicio, "FechaREALInicio");
    copia(kTarAuxFechaREALFin, "FechaREALFin");
}

void FilaOtroConcepto(const adodb::Recordset& rs, ui::FlexGrid& g, const Procedimiento& p) {
    const int r = g.Rows() - 1;
    p([&] { g.SetTextMatrix(r, kOcDetalle, CampoT(rs, "Observacion")); });
    p([&] { g.SetTextMatrix(r, kOcImporte, foundation::FmtMoneda(CampoT(rs, "Importe"), -1)); });
    p([&] { g.SetTextMatrix(r, kOcImporteSinIva, foundation::FmtMoneda(CampoT(rs, "Importe_S_IVA"), -1)); });
}

}  // namespace

void ClsCmnCptes::AsignarDatosComprobante(const std::string& TC, const std::string& SucNroLetra,
                                          const std::string& IdComplemento, ui::FlexGrid& MSFlexGrid1,
                                          ui::FlexGrid& MSFlexGrid2, ui::FlexGrid& MSFlexGrid3, bool /*Inicializar*/,
                                          adodb::Recordset* LrcsCpte, bool Compras, const std::string& Proveedor,
                                          int* IdRepartoRM) {
    using foundation::SqlText;
    const Procedimiento p("AsignarDatosPresupuesto");
    foundation::DB_Dll& db = foundation::Db();

    // The complement goes into the filter as a number: anything else is
    // refused before a statement is built.
    std::string complemento;
    if (!Compras) {
        const auto numero = vb::ParseNumber(vb::Trim(IdComplemento));
        if (!numero) {
            p.Informa(vb::Error(vb::kErrTypeMismatch,
                                "El complemento del comprobante no es un número: '" + IdComplemento + "'"));
            return;
        }
        complemento = foundation::SqlNumber(*numero);
    }

    adodb::Recordset cabecera;
    adodb::Recordset tareas;
    adodb::Recordset articulos;
    adodb::Recordset otros;
    detail::CargaArticulos carga{*this, TC, SucNroLetra, Compras, cabecera, p};
    try {
        p([&] { carga.signoInvertido = IdRepartoRM != nullptr && *IdRepartoRM == -98; });
        p([&] { carga.entregaParcial = foundation::TextoABoolean(CfgValor("EntregaParcialRemito")); });
        const std::string prefijo = Compras ? "C_" : "V_";
        std::string filtro = " WHERE TC = " + SqlText(helpers::gFunciones().AjustaAncho(vb::Trim(TC), 4)) +
                             " AND IDCOMPROBANTE = " + SqlText(vb::Trim(SucNroLetra));
        filtro += Compras ? " AND CUENTA = " + SqlText(Proveedor) : " AND IdComplemento = " + complemento;
        p([&] {
            carga.esCompra = vb::Equals(
                vb::TextOf(db.DatosTabla("V_TA_CPTE", TC, "SISTEMA", "Codigo", adodb::adBSTR, "", true)),
                "COMPRAS");
        });

        const auto abre = [&](std::string sql, adodb::Recordset& rs) { p([&] { db.AbrirRecordset(sql, rs); }); };
        abre("SELECT * FROM " + prefijo + "MV_CPTE " + filtro + " ORDER BY ID ", cabecera);
        abre("SELECT * FROM " + prefijo + "MV_CPTETAREAS " + filtro + " ORDER BY ID ", tareas);
        abre("SELECT * FROM " + prefijo + "MV_CPTEINSUMOS " + filtro +
                 (vb::Equals(TC, "NP") ? " ORDER BY PALLETS " : " ORDER BY ID "),
             articulos);
        abre("SELECT * FROM " + prefijo + "MV_CPTE_Observ " + filtro + " AND TIPO_OBS ='OC' " + " ORDER BY ID ",
             otros);

        if (!carga.esCompra) {
            p([&] {
                const std::string reparto = Campo(cabecera, "IdReparto");
                const std::int16_t valor = vb::Trim(reparto).empty() ? 0 : vb::CInt(vb::CDbl(vb::Variant(reparto)));
                if (IdRepartoRM != nullptr) *IdRepartoRM = valor;
            });
        }

        LlenaSeccion(tareas, MSFlexGrid1, p, [&] { FilaTarea(tareas, MSFlexGrid1, Compras, p); });
        LlenaSeccion(articulos, MSFlexGrid2, p, [&] { carga.Fila(articulos, MSFlexGrid2); });
        LlenaSeccion(otros, MSFlexGrid3, p, [&] { FilaOtroConcepto(otros, MSFlexGrid3, p); });

        if (LrcsCpte != nullptr) p([&] { *LrcsCpte = cabecera; });
        p([&] { db.CierraRecordset(tareas); });
        p([&] { db.CierraRecordset(articulos); });
        p([&] { db.CierraRecordset(otros); });
    } catch (const Procedimiento::Abandono&) {
        // The answer was to leave: the grids stay as far as they were filled.
    }
}

}  // namespace documents
