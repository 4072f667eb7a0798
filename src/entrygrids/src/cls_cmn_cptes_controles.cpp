// Checks over the detail grids: the printed form's line limit, the item
// counts, repeated codes and fractional numbers.
#include "documents/cls_cmn_cptes.h"
#include "db/adodb.h"
#include "entrygrids/columnas.h"
#include "foundation/db_dll.h"
#include "foundation/sql_literal.h"
#include "grids_internos.h"
#include "helpers/helpers.h"
#include "ui/flexgrid.h"
#include "vb/conv.h"
#include "vb/currency.h"
#include "vb/text.h"
#include "vb/variant.h"

namespace documents {

using entrygrids::detail::CuentaLineas;
using entrygrids::detail::Procedimiento;

namespace {

// The first row from 1 on, other than `ignorar`, whose column 0 holds the
// code (trimmed, letter case ignored).
bool Repetido(const ui::FlexGrid& g, const std::string& codigo, long ignorar, long* encontrada) {
    const std::string buscado = vb::Trim(codigo);
    for (int fila = 1; fila < g.Rows(); ++fila) {
        if (fila == ignorar) continue;
        if (vb::Equals(vb::Trim(g.TextMatrix(fila, 0)), buscado)) {
            if (encontrada != nullptr) *encontrada = fila;
            return true;
        }
    }
    return false;
}

}  // namespace

bool ClsCmnCptes::ValidaCantidadLineasCpte(const std::string& TC, const std::string& Letra, ui::FlexGrid* MSFlexGrid1,
                                           ui::FlexGrid* MSFlexGrid2, ui::FlexGrid* MSFlexGrid3, int* CantLineas,
                                           int* CantLineasUsadas, long Agragarle, int LineasAnteriores) {
    const Procedimiento p("ValidaCantidadLineasCpte");
    foundation::DB_Dll& db = foundation::Db();
    int lineas = CantLineas != nullptr ? *CantLineas : 0;
    int usadas = CantLineasUsadas != nullptr ? *CantLineasUsadas : 0;
    bool resultado = false;
    try {
        if (LineasAnteriores != -1) {
            adodb::Recordset rs;
            p([&] {
                std::string sql = "SELECT CANTLINEAS FROM TA_CONFIG_IMP_CPTE WHERE TC=" + foundation::SqlText(TC) +
                                  " AND LETRA=" + foundation::SqlText(Letra) + " ORDER BY ID";
                db.AbrirRecordset(sql, rs);
            });
            p([&] {
                lineas = rs.EOF() ? 0
                                  : vb::CInt(helpers::gFunciones()
                                                 .TextoAMoneda(entrygrids::Campo(rs, "CantLineas"))
                                                 .ToDouble());
            });
            p([&] { db.CierraRecordset(rs); });
        }
        if (lineas == 0) {
            resultado = true;
        } else {
            p([&] { usadas = 0; });
            for (const ui::FlexGrid* g : {MSFlexGrid1, MSFlexGrid2, MSFlexGrid3}) {
                p([&] { usadas += static_cast<int>(CuentaLineas(g)); });
            }
            resultado = usadas + Agragarle <= lineas;
        }
    } catch (const Procedimiento::Abandono&) {
        resultado = false;
    }
    if (CantLineas != nullptr) *CantLineas = lineas;
    if (CantLineasUsadas != nullptr) *CantLineasUsadas = usadas;
    return resultado;
}

long ClsCmnCptes::CuentaItems(ui::FlexGrid* MSFlexGrid1, ui::FlexGrid* MSFlexGrid2, ui::FlexGrid* MSFlexGrid3,
                              long* CantTareas, long* CantArticulos, long* CantOtrosConceptos, long* TotUnidades) {
    const Procedimiento p("CuentaItems&");
    long tareas = 0;
    long articulos = 0;
    long otros = 0;
    long unidades = 0;
    long resultado = 0;
    try {
        p([&] { tareas = CuentaLineas(MSFlexGrid1); });
        p([&] {
            if (MSFlexGrid2 == nullptr) return;
            // The units are summed exactly and rounded once, so that 1.5 and 1.5 make 3.
            vb::Currency total;
            for (int fila = 1; fila < MSFlexGrid2->Rows(); ++fila) {
                if (!entrygrids::detail::LineaCargada(*MSFlexGrid2, fila)) continue;
                ++articulos;
                total += helpers::gFunciones().TextoAMoneda(
                    vb::Trim(MSFlexGrid2->TextMatrix(fila, entrygrids::kColCantidad)));
            }
            unidades = vb::CLng(total.ToDouble());
        });
        p([&] { otros = CuentaLineas(MSFlexGrid3); });
        resultado = tareas + articulos + otros;
    } catch (const Procedimiento::Abandono&) {
        resultado = 0;
    }
    if (CantTareas != nullptr) *CantTareas = tareas;
    if (CantArticulos != nullptr) *CantArticulos = articulos;
    if (CantOtrosConceptos != nullptr) *CantOtrosConceptos = otros;
    if (TotUnidades != nullptr) *TotUnidades = unidades;
    return resultado;
}

bool ClsCmnCptes::TareaRepetida(ui::FlexGrid& MSFlexGrid1, const std::string& Tarea, long FilaIgnorar,
                                long* FilaEncontrada) {
    return Repetido(MSFlexGrid1, Tarea, FilaIgnorar, FilaEncontrada);
}

bool ClsCmnCptes::ArticuloRepetido(ui::FlexGrid& MSFlexGrid2, const std::string& Articulo, long FilaIgnorar,
                                   long* FilaEncontrada) {
    return Repetido(MSFlexGrid2, Articulo, FilaIgnorar, FilaEncontrada);
}

bool ClsCmnCptes::OtrosConceptosRepetidos(ui::FlexGrid& MSFlexGrid3, const std::string& OtroConcepto,
                                          long FilaIgnorar, long* FilaEncontrada) {
    return Repetido(MSFlexGrid3, OtroConcepto, FilaIgnorar, FilaEncontrada);
}

bool ClsCmnCptes::NumeroEsFraccion(const vb::Variant& Numero) {
    // Rounded halves to even, with no 16-bit step: 40000.5 is a fraction too.
    const double valor = helpers::gFunciones().TextoADoble(vb::CStr(Numero));
    return valor - vb::Round(valor) != 0;
}

}  // namespace documents
