// TsDbGrid: loading a query, counting its pages and filling a page.
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalBlocker>
#include <QToolBar>
#include <QToolButton>
#include <QToolTip>

#include <algorithm>
#include <climits>
#include <cmath>

#include "authorization/tsdbgrid.h"
#include "foundation/db_dll.h"
#include "tsdbgrid_internal.h"
#include "ui/msgbox.h"
#include "vb/conv.h"
#include "vb/steps.h"
#include "vb/text.h"

namespace authorization {

namespace {

// The hourglass for a scope.
using RelojDeArena = ui::WaitCursor;

// What a page button says when the list holds nothing more its way.
constexpr const char* kNadaDespues = "No hay más registros después de esta página.";
constexpr const char* kNadaAntes = "No hay más registros antes de esta página.";

}  // namespace

// ---- Loading a query ---------------------------------------------------------------------

void TsDbGrid::LoadTsDBGrid() {
    if (Cargando()) return;
    if (const std::optional<std::string> motivo = GridQuery::MotivoRechazo(q_.SQL)) {
        ui::MsgBox(*motivo, ui::vbInformation, "Aviso al Usuario");
        return;
    }
    Ocupado ocupado(*this);
    vb::RunStep([this] { q_.CargarAlias(); }, ReportarError);
    setEnabled(true);
    cmdColumnas_->setVisible(columnas_);
    for (QWidget* orden : std::initializer_list<QWidget*>{ImgOrdenN_, ImgOrdenDesc_, ImgOrdenAsc_, Toolbar2_}) {
        orden->setVisible(!ocultarOrdenar_);
    }
    q_.SQL += " ";
    q_.LeerTablaConsulta();
    totalRegistros_ = 0;
    paginaActual_ = 1;
    ultimaPagina_ = 0;
    paginaMostrada_ = 0;
    anchosDesdeCero_ = true;
    q_.FiltroBusqueda.clear();
    columnaOrden_ = 0;
    q_.ClausulaWhere.clear();
    q_.ColumnasFecha.clear();
    q_.ColumnasTexto.clear();
    CargarCampos();
    cargaCancelada_ = false;
    CargarPaginas();
}

void TsDbGrid::CargarCampos() {
    vb::RunStep(
        [this] {
            const std::vector<std::string> entradas = q_.CargarCampos(LeerCampos(foundation::Db(), q_));
            CboFiltroCampo_->clear();
            for (const std::string& entrada : entradas) CboFiltroCampo_->addItem(Q(entrada));
        },
        ReportarError);
}

// ---- Counting ----------------------------------------------------------------------------------

void TsDbGrid::CargarPaginas() { CargarPaginasInterno(); }

// Counts, fills the page selector and shows the current page. Between its
// steps it looks at the cancel button, whose click arrives while a step pumps
// events. With `busquedaNueva` the count is that of a search condition just
// added: when it finds nothing the load stops there, and the grid keeps the
// page it holds with the state that page was loaded with (SinResultados).
TsDbGrid::Carga TsDbGrid::CargarPaginasInterno(bool busquedaNueva) {
    Ocupado ocupado(*this);
    std::int64_t paginas = 0;
    bool sinResultados = false;
    const vb::Step pasos[] = {
        [this] {
            Pbar_->setRange(0, 100);
            ui::DoEvents();
            Progreso(30);
            CmdCancel_->setVisible(true);
        },
        [&] {
            if (totalRegistros_ != 0) return;
            Contar();
            if (totalRegistros_ != 0 || cargaCancelada_) return;
            if (busquedaNueva) sinResultados = true;
            else MostrarSinRegistros();
        },
        [this] { Progreso(70); },
        [&] {
            paginas = GridQuery::CantidadPaginas(totalRegistros_, q_.PageSize);
            LlenarSelector(paginas);
        },
        [&] {
            Progreso(90);
            if (paginaActual_ > paginas) paginaActual_ = paginas;
            ultimaPagina_ = paginas;
            if (paginas_->Count() == 0) paginas_->SetCount(1);
            ui::DoEvents();
        },
        [this] {
            Progreso(100);
            MostrarPagina();
        },
    };
    for (const vb::Step& paso : pasos) {
        if (cargaCancelada_ || !vb::RunStep(paso, ReportarError)) {
            CargaInterrumpida();
            return Carga::Interrumpida;
        }
        if (sinResultados) {
            CargaInterrumpida();
            return Carga::SinResultados;
        }
    }
    vb::RunStep(
        [this] {
            ui::DoEvents();
            CmdCancel_->setVisible(false);
        },
        ReportarError);
    return Carga::Hecha;
}

// A count cancelled, left or of a search that found nothing: the grid keeps
// the page it holds, and the state goes back to what that page was loaded
// with (none when a new query is loading).
void TsDbGrid::CargaInterrumpida() {
    cargaCancelada_ = false;
    CmdCancel_->setVisible(false);
    Progreso(0);
    if (paginaMostrada_ > 0) VolverAlEstadoMostrado();
}

void TsDbGrid::VolverAlEstadoMostrado() {
    q_.FiltroBusqueda = mostrado_.filtro;
    q_.PageSize = mostrado_.tamano;
    totalRegistros_ = mostrado_.total;
    ultimaPagina_ = mostrado_.ultima;
    paginaActual_ = paginaMostrada_;
    paginas_->SetCount(mostrado_.paginas);
    indiceSelector_ = paginaActual_ - 1;
    MostrarIndiceSelector();
    EscribirEtiqueta();
    CboRegistros_->setEditText(QString::number(q_.PageSize));
}

// The count: one COUNT(*) on the database, never the rows themselves.
void TsDbGrid::Contar() {
    RelojDeArena reloj;
    ui::DoEvents();
    totalRegistros_ = ContarRegistros(foundation::Db(), q_);
    ui::DoEvents();
}

// No record: the field names over one empty row.
void TsDbGrid::MostrarSinRegistros() {
    grid_.SetCols(2);
    grid_.SetFixedCols(1);
    for (std::size_t i = 0; i < q_.NombresCampos.size(); ++i) {
        grid_.SetCols(static_cast<int>(i) + 3);
        grid_.SetTextMatrix(0, static_cast<int>(i) + 1, q_.NombresCampos[i]);
    }
    grid_.SetRows(2);
    for (int c = 1; c < grid_.Cols(); ++c) grid_.SetTextMatrix(1, c, {});
    ui::DoEvents();
}

// The page selector lists "1".."paginas"; built at once, one event pump.
void TsDbGrid::LlenarSelector(std::int64_t paginas) {
    paginas_->SetCount(paginas);
    indiceSelector_ = -1;
    ui::DoEvents();
}

// QProgressBar repaints at once on a new value, and a repaint draws all else
// that waits to be drawn with it, the page being filled too. The bar is drawn
// with the window's next paint instead: after a page's statement, or at an
// event pump of the count's steps.
void TsDbGrid::Progreso(int valor) {
    Pbar_->setUpdatesEnabled(false);
    Pbar_->setValue(valor);
    Pbar_->setUpdatesEnabled(true);
}

// ---- Filling a page -----------------------------------------------------------------------------

std::int64_t TsDbGrid::PaginaDelSelector() const { return indiceSelector_ < 0 ? 1 : indiceSelector_ + 1; }

void TsDbGrid::CargarGrid() { CargarGridInterno(); }

// Builds and opens the page query and shows its rows: page `pedida`, or the
// one the selector names. A query that fails is reported and the grid keeps
// the page it held; false then, as when a turn finds nothing more that way.
bool TsDbGrid::CargarGridInterno(std::optional<std::int64_t> pedida) {
    Ocupado ocupado(*this);
    Pbar_->setRange(0, 100);
    Progreso(10);
    std::int64_t numero = pedida.value_or(PaginaDelSelector());
    ConsultaDePagina consulta;
    std::optional<PaginaLeida> pagina = LeerPaginaDeLista(numero, consulta);
    if (pagina && pagina->Filas.empty() && totalRegistros_ > 0) {
        // Fewer rows than counted.
        if (siguePagina_ && paginaMostrada_ > 0) return QuedarseEnLaPagina(numero);
        vb::RunStep([this] { Recontar(); }, ReportarError);
        if (totalRegistros_ > 0) {  // the list's end, where a page read from the start found nothing
            numero = ultimaPagina_;
            q_.Vista = {};
            pagina = LeerPaginaDeLista(numero, consulta);
        }
    }
    if (!pagina) {
        Progreso(0);
        return false;
    }
    Progreso(60);
    using vb::IgnoreErrors;
    IgnoreErrors([&] { q_.RecordarPagina(numero, *pagina); });
    if (!pagina->Filas.empty()) vb::RunStep([&] { UbicarPagina(numero, consulta, *pagina); }, ReportarError);
    IgnoreErrors([&] {
        if (pagina->Filas.empty()) {
            totalRegistros_ = 0;  // counted again next time, under the same search
            q_.Vista = {};
            paginaActual_ = 1;
            filasAntes_ = filasMostradas_ = 0;
            masAntes_ = masDespues_ = false;
            grid_.SetDataSource(pagina->Campos, {});
            grid_.SetRows(grid_.FixedRows() + 1);
        } else {
            grid_.SetDataSource(pagina->Campos, std::move(pagina->Filas));
        }
    });
    IgnoreErrors([this] {
        Progreso(70);
        if (!anchoColFijo_) AjustarAnchoColumnas();
    });
    IgnoreErrors([this] {
        Progreso(80);
        ActualizarControles();
    });
    IgnoreErrors([this] {
        Progreso(90);
        AsignarOrdinal();
    });
    IgnoreErrors([this] {
        Progreso(100);
        cargaCancelada_ = false;
        paginaMostrada_ = paginaActual_;
        MostrarPaginaCargada();
        mostrado_ = {q_.FiltroBusqueda, q_.PageSize, totalRegistros_, ultimaPagina_, paginas_->Count()};
        emit CargarPagina(paginaActual_);
    });
    Progreso(0);
    return true;
}

// Page `numero` read from the list: its query built and opened, its rows
// read, the recordset closed. nullopt when a step failed (reported): a page
// that could not be read is never taken for one without rows.
std::optional<PaginaLeida> TsDbGrid::LeerPaginaDeLista(std::int64_t numero, ConsultaDePagina& consulta) {
    const bool armada = vb::RunStep(
        [&] {
            consulta = ConsultaParaPagina(foundation::Db(), q_, numero, totalRegistros_);
            panel1_->setText(Q(" Orden: " + q_.OrderBy));
            Progreso(40);
        },
        ReportarError);
    if (!armada) return std::nullopt;
    Progreso(50);
    adodb::Recordset rs;
    vb::RunStep(
        [&] {
            const RelojDeArena reloj;  // a page in an order no index keeps reads the whole list
            AbrirPagina(foundation::Db(), q_, consulta, rs);
        },
        ReportarError);
    if (rs.State() != adodb::adStateOpen) return std::nullopt;
    PaginaLeida pagina;
    const bool leida = vb::RunStep([&] { pagina = LeerPagina(rs, consulta); }, ReportarError);
    vb::IgnoreErrors([&] { foundation::Db().CierraRecordset(rs); });
    if (!leida) return std::nullopt;
    return pagina;
}

// A turn that found nothing more that way: the page shown stays, and the
// button says so. The page shown is an end of the list: the list is counted
// again (other stations may have changed it since the page was read), and
// the page numbered in it.
bool TsDbGrid::QuedarseEnLaPagina(std::int64_t numero) {
    const bool adelante = numero > paginaMostrada_;
    (adelante ? masDespues_ : masAntes_) = false;
    QToolButton* boton = adelante ? cmdSiguiente_ : cmdAnterior_;
    QToolTip::showText(boton->mapToGlobal(QPoint(0, boton->height())),
                       Q(adelante ? kNadaDespues : kNadaAntes), boton);
    if (vb::RunStep([this] { Recontar(); }, ReportarError)) {
        filasAntes_ = adelante ? std::max<std::int64_t>(totalRegistros_ - filasMostradas_, 0) : 0;
        paginaMostrada_ = GridQuery::NumeroDePagina(filasAntes_, filasMostradas_, totalRegistros_, q_.PageSize);
        q_.Vista.numero = paginaMostrada_;
        mostrado_.total = totalRegistros_;
        mostrado_.ultima = ultimaPagina_;
        mostrado_.paginas = static_cast<int>(std::min<std::int64_t>(ultimaPagina_, INT_MAX));
        AsignarOrdinal();
    }
    Progreso(0);
    return false;
}

// Where the page just read lies in the list: the rows before it, as the
// turn that read it knows them; when what the query saw beyond its edges
// does not fit the count, the list changed: it is counted again and the page
// numbered in it.
void TsDbGrid::UbicarPagina(std::int64_t numero, const ConsultaDePagina& consulta, const PaginaLeida& pagina) {
    const auto filas = static_cast<std::int64_t>(pagina.Filas.size());
    const std::int64_t antes = EstimarFilasAntes(numero, consulta, filas);
    filasAntes_ = std::max<std::int64_t>(antes, 0);
    filasMostradas_ = filas;
    masAntes_ = pagina.masAntes;
    masDespues_ = pagina.masDespues;
    paginaActual_ = numero;
    // A turn that reaches an end of the list tells where the page lies in it
    // once the list is counted.
    const bool alExtremo = consulta.saltadas < 0 && (pagina.masAntes == false || pagina.masDespues == false);
    if (totalRegistros_ <= 0 || (!alExtremo && Coincide(numero, antes, filas, pagina))) return;
    Recontar();
    filasAntes_ = ContarFilasAntes(consulta, pagina, antes);
    paginaActual_ = GridQuery::NumeroDePagina(filasAntes_, filas, totalRegistros_, q_.PageSize);
    if (!q_.Vista.primera.empty()) q_.Vista.numero = paginaActual_;  // the page just read
}

std::int64_t TsDbGrid::EstimarFilasAntes(std::int64_t numero, const ConsultaDePagina& consulta,
                                         std::int64_t filas) const {
    if (consulta.saltadas >= 0) {
        return consulta.invertida ? totalRegistros_ - consulta.saltadas - filas : consulta.saltadas;
    }
    if (siguePagina_ && paginaMostrada_ > 0) {
        return numero > paginaMostrada_ ? filasAntes_ + filasMostradas_ : filasAntes_ - filas;
    }
    return (std::max<std::int64_t>(numero, 1) - 1) * std::max<long>(q_.PageSize, 0);
}

// Whether page `numero`, with `antes` rows before it and `filas` on it, fits
// the count and what its query saw before and after it.
bool TsDbGrid::Coincide(std::int64_t numero, std::int64_t antes, std::int64_t filas, const PaginaLeida& pagina) const {
    bool coincide = numero >= 1 && numero <= ultimaPagina_ && antes >= 0 && antes + filas <= totalRegistros_;
    if (pagina.masAntes) coincide = coincide && *pagina.masAntes == (antes > 0) && *pagina.masAntes == (numero > 1);
    if (pagina.masDespues) {
        coincide = coincide && *pagina.masDespues == (antes + filas < totalRegistros_) &&
                   *pagina.masDespues == (numero < ultimaPagina_);
    }
    return coincide;
}

// The rows before the page just read, as the list stands (just counted):
// from what its query skipped or saw, else counted; `estimadas` where
// neither tells.
std::int64_t TsDbGrid::ContarFilasAntes(const ConsultaDePagina& consulta, const PaginaLeida& pagina,
                                        std::int64_t estimadas) {
    const auto filas = static_cast<std::int64_t>(pagina.Filas.size());
    const std::int64_t resto = std::max<std::int64_t>(totalRegistros_ - filas, 0);
    std::int64_t antes = estimadas;
    if (pagina.masAntes == false) {
        antes = 0;
    } else if (consulta.saltadas >= 0) {
        antes = consulta.invertida ? resto - consulta.saltadas : consulta.saltadas;
    } else if (pagina.masDespues == false) {
        antes = resto;
    } else if (const std::optional<std::int64_t> contadas = ContarAntes(foundation::Db(), q_)) {
        antes = *contadas;
    }
    return std::clamp<std::int64_t>(antes, 0, resto);
}

// The count again, under the same search, and the pages it makes.
void TsDbGrid::Recontar() {
    Contar();
    ultimaPagina_ = std::max<std::int64_t>(GridQuery::CantidadPaginas(totalRegistros_, q_.PageSize), 1);
}

void TsDbGrid::ActualizarControles() {
    // The page-size box shows the page size; an empty box and no page size
    // take the first entry (which counts again, loading no page meanwhile).
    if (CboRegistros_->currentText().isEmpty() && q_.PageSize == 0) {
        sincronizando_ = true;
        {
            const QSignalBlocker bloqueo(CboRegistros_);
            CboRegistros_->setCurrentIndex(0);
        }
        vb::IgnoreErrors([this] { CambiarTamanoPagina(vb::CLng(vb::Val(Texto(CboRegistros_->currentText())))); });
        sincronizando_ = false;
    } else {
        CboRegistros_->setEditText(QString::number(q_.PageSize));
    }
    if (indiceSelector_ < 0 && paginas_->Count() > 0) {
        SeleccionarPagina(std::min(paginaActual_, ultimaPagina_) - 1);
    }
    if (CboFiltroCampo_->currentText().isEmpty() && CboFiltroCampo_->count() > 0) CboFiltroCampo_->setCurrentIndex(0);
    if (columnaOrden_ < grid_.Cols()) {
        grid_.SetRow(0);
        grid_.SetCol(columnaOrden_);
        if (q_.OrdenSent == 1) grid_.SetCellBackColor(ui::RGB(217, 246, 210));
        if (q_.OrdenSent == 2) grid_.SetCellBackColor(ui::RGB(238, 214, 238));
    }
    for (int i = 0; i + 1 < grid_.Cols(); ++i) {
        if (grid_.ColWidth(i) == 0) grid_.SetColWidth(i, TextWidth(Equis(2 * vb::Len(grid_.TextMatrix(0, i)))));
    }
    if (grid_.Cols() > 0) grid_.SetColWidth(grid_.Cols() - 1, 0);  // the key column
}

void TsDbGrid::AsignarOrdinal() {
    using vb::IgnoreErrors;
    const std::int64_t previos = filasAntes_;
    IgnoreErrors([&] {
        for (int i = 1; i < grid_.Rows(); ++i) grid_.SetTextMatrix(i, 0, std::to_string(previos + i));
    });
    IgnoreErrors([&] {
        const std::size_t digitos = std::to_string(previos + grid_.Rows()).size();
        grid_.SetColWidth(0, TextWidth(Equis(digitos + 1)));
    });
    IgnoreErrors([this] {
        if (grid_.Row() == 0) grid_.SetRow(1);
    });
    MSFlexGrid1_->setFocus();
}

}  // namespace authorization
