// The summary grid of a document-entry form (TotalizadorControl) and the
// painting of a grid's rows and columns.
#include <QTabWidget>

#include "documents/cls_cmn_cptes.h"
#include "entrygrids/columnas.h"
#include "foundation/comunes.h"
#include "foundation/db_dll.h"
#include "grids_internos.h"
#include "helpers/helpers.h"
#include "ui/flexgrid.h"
#include "vb/conv.h"
#include "vb/format.h"
#include "vb/steps.h"
#include "vb/text.h"

namespace documents {

using namespace entrygrids;
using entrygrids::detail::CuentaLineas;
using entrygrids::detail::LineaCargada;
using entrygrids::detail::Procedimiento;

namespace {

constexpr long kAmarillo = 12648447;  // summary row of a tab
constexpr long kNaranja = 12640511;   // group row of the article breakdown
constexpr long kAzul = 16711680;      // last, empty row

// What a breakdown of the article units groups by.
struct Apertura {
    int columna;
    const char* tabla;
    const char* clave;
};

}  // namespace

void ClsCmnCptes::TotalizadorControl(ui::FlexGrid& MSFlexGrid1, ui::FlexGrid& MSFlexGrid2, ui::FlexGrid& MSFlexGrid3,
                                     ui::FlexGrid& MSFlexGrid4, QTabWidget& SSTab1, bool AbiertoPorRubro,
                                     bool AbiertoPorTipo) {
    const Procedimiento p("TotalizadorControl");
    ui::FlexGrid& g = MSFlexGrid4;
    const auto caption = [&](int tab) { return SSTab1.tabText(tab).toStdString(); };
    // Writes the summary row of a tab into the last row and adds a row.
    const auto resumen = [&](int tab, long lineas, const std::string* total) {
        p([&] {
            const int r = g.Rows() - 1;
            g.SetTextMatrix(r, kCantDescripcion, caption(tab));
            g.SetTextMatrix(r, kCantItems, vb::CStr(lineas));
            if (total != nullptr) g.SetTextMatrix(r, kCantCantidad, *total);
            PintarFila(r, g, kAmarillo);
            g.SetRows(g.Rows() + 1);
        });
    };

    try {
        p([&] { g.SetRows(2); });

        if (SSTab1.isTabVisible(0)) {
            long minutos = 0;
            p([&] {
                for (int fila = 1; fila < MSFlexGrid1.Rows(); ++fila) {
                    if (!LineaCargada(MSFlexGrid1, fila)) continue;
                    minutos += vb::CLng(foundation::ConvierteHora(MSFlexGrid1.TextMatrix(fila, kTarHoras), "", "", true));
                }
            });
            // Minutes beyond the hour are carried into the hours.
            const std::string total =
                vb::CStr(minutos / 60) + ":" + vb::Format(static_cast<double>(minutos % 60), "00");
            resumen(0, CuentaLineas(&MSFlexGrid1), &total);
        }

        if (SSTab1.isTabVisible(1)) {
            const bool abierto = AbiertoPorRubro || AbiertoPorTipo;
            const Apertura apertura = AbiertoPorRubro ? Apertura{kColAuxRubroArticulo, "V_ta_Rubros", "IdRubro"}
                                                      : Apertura{kColAuxTipoArticulo, "V_ta_TipoArticulo", "Tipo"};
            auto& grupos = foundation::TotalesPorGrupo;
            grupos.assign(1, foundation::TotalGrupo{});
            bool grupoCeroUsado = false;  // element 0 shows no total until a line lands in it
            long lineas = 0;
            double unidades = 0;
            p([&] {
                for (int fila = 1; fila < MSFlexGrid2.Rows(); ++fila) {
                    if (!LineaCargada(MSFlexGrid2, fila)) continue;
                    ++lineas;
                    const double cantidad =
                        helpers::gFunciones().TextoADoble(MSFlexGrid2.TextMatrix(fila, kColCantidad));
                    unidades += cantidad;
                    if (!abierto) continue;
                    const std::string clave = vb::Trim(MSFlexGrid2.TextMatrix(fila, apertura.columna));
                    const long i = foundation::IndiceEnLista(clave);
                    if (i < 0) {
                        grupos.push_back({clave, vb::Currency::FromDouble(cantidad)});
                    } else {
                        grupos[i].Total = vb::Currency::FromDouble(grupos[i].Total.ToDouble() + cantidad);
                        if (i == 0) grupoCeroUsado = true;
                    }
                }
            });
            const std::string total = vb::CStr(unidades);
            resumen(1, lineas, &total);
            if (abierto && lineas > 0) {
                for (std::size_t i = 0; i < grupos.size(); ++i) {
                    p([&] {
                        const helpers::ClsFunciones& f = helpers::gFunciones();
                        const std::string clave = grupos[i].Grupo;
                        const std::string buscado = vb::Trim(f.QuitaCaracteres(clave, vb::kChr255, vb::Chr(0)));
                        const std::string descripcion = vb::Trim(vb::TextOf(foundation::Db().DatosTabla(
                            apertura.tabla, buscado, "Descripcion", apertura.clave, adodb::adBSTR, "", true)));
                        const int r = g.Rows() - 1;
                        g.SetTextMatrix(r, kCantDescripcion, clave + "-" + descripcion);
                        g.SetTextMatrix(r, kCantCantidad,
                                        i == 0 && !grupoCeroUsado ? std::string() : vb::CStr(grupos[i].Total));
                        PintarFila(r, g, kNaranja);
                        g.SetRows(g.Rows() + 1);
                    });
                }
            }
        }

        if (SSTab1.isTabVisible(2)) resumen(2, CuentaLineas(&MSFlexGrid3), nullptr);

        p([&] { PintarFila(g.Rows() - 1, g, kAzul); });
    } catch (const Procedimiento::Abandono&) {
        // Left with the summary grid as far as it was built.
    }
}

void ClsCmnCptes::PintarFila(long Fila, ui::FlexGrid& MsFlexGrid, std::optional<long> Color) {
    const int colPrevia = MsFlexGrid.Col();
    for (int c = 0; c < MsFlexGrid.Cols(); ++c) {
        MsFlexGrid.SetCol(c);
        MsFlexGrid.SetRow(static_cast<int>(Fila));
        MsFlexGrid.SetCellBackColor(static_cast<std::uint32_t>(Color.value_or(0)));
    }
    MsFlexGrid.SetCol(colPrevia);
}

void ClsCmnCptes::PintarColuma(long Columna, ui::FlexGrid& MsFlexGrid, std::optional<long> FilaDesde,
                               std::optional<long> FilaHasta, std::optional<long> Color) {
    const int filaPrevia = MsFlexGrid.Row();
    const long desde = FilaDesde.value_or(-1) == -1 ? 0 : *FilaDesde;
    const long hasta = FilaHasta.value_or(-1) == -1 ? MsFlexGrid.Rows() - 1 : *FilaHasta;
    for (long r = desde; r <= hasta; ++r) {
        // A cell that cannot be reached is skipped; the rest are painted.
        vb::IgnoreErrors([&] {
            MsFlexGrid.SetCol(static_cast<int>(Columna));
            MsFlexGrid.SetRow(static_cast<int>(r));
            MsFlexGrid.SetCellBackColor(static_cast<std::uint32_t>(Color.value_or(0)));
        });
    }
    vb::IgnoreErrors([&] { MsFlexGrid.SetRow(filaPrevia); });
}

}  // namespace documents
