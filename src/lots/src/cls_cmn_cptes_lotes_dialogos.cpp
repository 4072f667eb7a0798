// ClsCmnCptes: the openers of the lot dialogs. Each call fills a fresh
// dialog, shows it modally (or, for a pick without display, accepts its
// proposal unseen), hands its results back as lists and destroys it, so
// nothing carries over from one call to the next.
#include <QLabel>

#include <memory>

#include "documents/cls_cmn_cptes.h"
#include "entrygrids/auxiliares.h"
#include "entrygrids/columnas.h"
#include "foundation/db_dll.h"
#include "helpers/helpers.h"
#include "lots/frm_carga_lotesy_series.h"
#include "lots/frm_lotey_posicion.h"
#include "ui/flexgrid.h"
#include "ui/msgbox.h"
#include "vb/steps.h"
#include "vb/text.h"

namespace documents {

namespace {

constexpr const char* kRutina = "PideSerieLote";

QString Q(const std::string& s) { return QString::fromStdString(s); }

// Appends a grid cell to a gathered list: the first cell whole, the next
// ones without their leading "|".
void AgregaCelda(std::string& lista, const std::string& celda) {
    lista += lista.empty() ? celda : vb::Mid(celda, 2);
}

// The picks and quantities of every line of the article but row `omitida`.
void ReuneLotes(const ui::FlexGrid& Grilla, const std::string& Articulo, int omitida, std::string& LotesEnGrid,
                std::string& CantidadesEnGrid) {
    LotesEnGrid.clear();
    CantidadesEnGrid.clear();
    for (int fila = 1; fila < Grilla.Rows(); ++fila) {
        if (fila == omitida || !vb::Equals(Grilla.TextMatrix(fila, entrygrids::kColCodigo), Articulo)) continue;
        AgregaCelda(LotesEnGrid, Grilla.TextMatrix(fila, entrygrids::kColAuxNroLote));
        AgregaCelda(CantidadesEnGrid, Grilla.TextMatrix(fila, entrygrids::kColAuxNroSerie));
    }
}

// The row of the line being edited: a row of the article holding exactly the
// line's previous picks, the grid's current row first; 0 when none does (a
// line not in the grid yet, or without picks, takes nothing to leave out).
int FilaDeLaLinea(const ui::FlexGrid& Grilla, const std::string& Articulo, const std::string& Lotes,
                  const std::string& Cantidades) {
    if (Lotes.empty()) return 0;
    const auto esLaLinea = [&](int fila) {
        return fila >= 1 && fila < Grilla.Rows() && vb::Equals(Grilla.TextMatrix(fila, entrygrids::kColCodigo), Articulo) &&
               Grilla.TextMatrix(fila, entrygrids::kColAuxNroLote) == Lotes &&
               Grilla.TextMatrix(fila, entrygrids::kColAuxNroSerie) == Cantidades;
    };
    if (esLaLinea(Grilla.Row())) return Grilla.Row();
    for (int fila = 1; fila < Grilla.Rows(); ++fila) {
        if (esLaLinea(fila)) return fila;
    }
    return 0;
}

}  // namespace

void ClsCmnCptes::PideSerieLote(const std::string& Articulo, double Cantidad, const std::string& SerieAnt,
                                const std::string& LoteAnt, std::string& SerieNvo, std::string& LoteNvo, bool Serie,
                                bool Lote, bool Talle) {
    if (Cantidad == 0) {
        SerieNvo.clear();
        LoteNvo.clear();
        return;
    }
    auto frm = std::make_unique<lots::FrmCargaLotesySeries>();
    vb::RunSteps(
        {
            [&] {
                frm->Cantidad = Cantidad;
                frm->EsSerie = Serie;
                frm->EsLote = Lote;
                frm->EsTalle = Talle;
                frm->Articulo = Articulo;
                frm->SeriesAnteriores = SerieAnt;
                frm->LotesAnteriores = LoteAnt;
            },
            [&] { frm->CargaDatos(); },
            [&] { frm->lblArticulo().setText(Q(Articulo)); },
            [&] { ui::ShowModal(*frm); },
            [&] { SerieNvo = frm->Series; },
            [&] { LoteNvo = frm->Lotes; },
        },
        foundation::Tratamiento(kRutina));
}

void ClsCmnCptes::PideSerieLote_Salidas(ui::FlexGrid& Grilla, const std::string& Articulo,
                                        const std::string& Descripcion, double& Cantidad,
                                        const std::string& SeriesLoteAnt, const std::string& CantidadANT,
                                        std::string& SeriesLoteNvo, std::string& CantidadesNvo, bool Lote, bool Serie,
                                        bool Talle, std::string* Deposito, bool MostrarForm) {
    std::string deposito = Deposito != nullptr ? *Deposito : std::string();
    std::unique_ptr<lots::FrmCargaLotesySeries> frm;
    std::string lotesEnGrilla;
    std::string cantidadesEnGrilla;
    bool seguir = true;
    vb::RunSteps(
        {
            [&] {
                if (!deposito.empty()) return;
                deposito = entrygrids::CfgValor("DepositoDefault");
                if (Deposito != nullptr) *Deposito = deposito;
            },
            [&] { seguir = Cantidad != 0; },
        },
        foundation::Tratamiento(kRutina));
    if (!seguir) return;

    frm = std::make_unique<lots::FrmCargaLotesySeries>();
    vb::RunSteps(
        {
            [&] {
                frm->Cantidad = Cantidad;
                frm->Articulo = Articulo;
                frm->EsConsultaDeSerieLote = true;
                frm->EsLote = Lote;
                frm->EsSerie = Serie;
                frm->EsTalle = Talle;
                frm->Deposito = helpers::gFunciones().AjustaAncho(vb::Trim(deposito), 4);
                frm->Lotes = SeriesLoteAnt;
                frm->Series = CantidadANT;
            },
            [&] {
                // What the other lines took: the line's own picks are shown as its quantities.
                ReuneLotes(Grilla, Articulo, FilaDeLaLinea(Grilla, Articulo, SeriesLoteAnt, CantidadANT),
                           lotesEnGrilla, cantidadesEnGrilla);
            },
            [&] {
                frm->LotesExistentes = lotesEnGrilla;
                frm->SeriesExistentes = cantidadesEnGrilla;
            },
            [&] { frm->CargaDatos(); },
            [&] { frm->lblArticulo().setText(Q(Articulo + " - " + Descripcion)); },
            [&] { frm->MostrarForm = MostrarForm; },
            [&] {
                if (MostrarForm) ui::ShowModal(*frm);
                else frm->CmdAceptar_Click();
            },
            [&] { SeriesLoteNvo = frm->Lotes; },
            [&] { CantidadesNvo = frm->Series; },
            [&] { Cantidad = frm->Cantidad; },
        },
        foundation::Tratamiento(kRutina));
}

void ClsCmnCptes::CuentaLotesEnGrilla(ui::FlexGrid& Grilla, const std::string& Articulo, std::string& LotesEnGrid,
                                      std::string& CantidadesEnGrid) {
    ReuneLotes(Grilla, Articulo, 0, LotesEnGrid, CantidadesEnGrid);
}

void ClsCmnCptes::PidePosicionLote(const std::string& Articulo, const std::string& IdUnidad, double Cantidad,
                                   const std::string& Deposito, const std::string& PosicionAnt,
                                   const std::string& LoteAnt, std::string& PosicionNVO, std::string& LoteNvo,
                                   bool Posicion, bool Lote) {
    if (Cantidad == 0) {
        PosicionNVO.clear();
        LoteNvo.clear();
        return;
    }
    auto frm = std::make_unique<lots::FrmLoteyPosicion>();
    vb::RunSteps(
        {
            [&] {
                frm->Cantidad1 = Cantidad;
                frm->EsConsultaDePosicionLote = !PosicionAnt.empty() || !LoteAnt.empty();
                frm->EsPosicion = Posicion;
                frm->EsLote = Lote;
                frm->IUNIDAD = IdUnidad;
                frm->Articulo = Articulo;
                frm->Deposito = Deposito;
                frm->PosicionesAnteriores = PosicionAnt;
                frm->LotesAnteriores = LoteAnt;
            },
            [&] { frm->CargaDatos(); },
            [&] { frm->lblArticulo().setText(Q(Articulo)); },
            [&] { ui::ShowModal(*frm); },
            [&] { PosicionNVO = frm->Posiciones; },
            [&] { LoteNvo = frm->Lotes; },
        },
        foundation::Tratamiento(kRutina));
}

}  // namespace documents
