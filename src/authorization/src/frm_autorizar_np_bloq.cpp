// FrmAutorizarNPBloq: the main window.
#include "authorization/frm_autorizar_np_bloq.h"

#include <QApplication>
#include <QCheckBox>
#include <QEvent>
#include <QFont>
#include <QFrame>
#include <QKeyEvent>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScopedValueRollback>
#include <QScreen>
#include <QStyle>
#include <QStyleOptionButton>
#include <QTextDocument>

#include <algorithm>
#include <cctype>
#include <cmath>

#include "authorization/tsdbgrid.h"
#include "db/adodb.h"
#include "db/transaction.h"
#include "foundation/db_dll.h"
#include "foundation/menu_exes.h"
#include "foundation/session.h"
#include "foundation/sql_literal.h"
#include "helpers/helpers.h"
#include "tsdbgrid_internal.h"
#include "ui/flexgrid.h"
#include "ui/iconos.h"
#include "ui/msgbox.h"
#include "vb/error.h"
#include "vb/steps.h"
#include "vb/text.h"

namespace authorization {

namespace {

constexpr const char* kConsultaLista =
    "SELECT TC, IDCOMPROBANTE AS NUMERO,FECHA,FECHAESTFIN AS VENCIMIENTO,NOMBRE AS CLIENTE,IMPORTE,"
    "OBSERVACIONES FROM V_MV_CPTE WHERE [BLOQUEADA] = 1 AND TC = 'NP' ORDER BY [TC] ASC";
// Unblocks the order whose key is bound to the marker.
constexpr const char* kDesbloqueo =
    "UPDATE V_MV_CPTE SET BLOQUEADA = 0 , OBSERVACIONES = '' WHERE ID = ? AND BLOQUEADA = 1 AND TC = 'NP'";
constexpr const char* kSinInformacion = "Sin Información Adicional!!!";
constexpr const char* kTitulo = "Atención!";
constexpr const char* kCaption = "Tarvolin";
// The caption of a station that may not write the file, so that nobody
// learns it from a failed authorization.
constexpr const char* kCaptionSoloLectura = "Tarvolin - Sólo lectura: esta estación no puede autorizar órdenes";
constexpr int kColumnaNumero = 2;
constexpr long kRegistrosPorPagina = 10;
// A failure message names this many orders; a longer list goes to its details.
constexpr std::size_t kFallidasNombradas = 10;
// The tables the window reads and writes; a database file without them is
// not opened.
const std::vector<std::string> kTablasDeLaVentana = {"V_MV_CPTE", "V_MV_CPTEACCIONES"};
constexpr int kTeclaF2 = ui::vk::F1 + 1;
constexpr int kTeclaF3 = ui::vk::F1 + 2;

// Design of the window's client area, in twips.
constexpr long kAnchoDiseno = 8670;
constexpr long kAltoDiseno = 4995;
// The grid is as wide as the window less this, and as tall as the window less
// this and the command buttons' height.
constexpr long kMargenAnchoGrilla = 50;
constexpr long kMargenAltoGrilla = 350;
// Room in the information panel between its check box and its arrows.
constexpr long kMargenAnchoPanel = 60;


// A command button with its picture above a caption that wraps, as the
// graphical buttons of the toolbar row look. The caption stays exactly the
// text set.
class BotonGrafico : public QPushButton {
public:
    BotonGrafico(QWidget* padre, const char* nombre, const char* texto, const char* tip, QStyle::StandardPixmap icono)
        : QPushButton(padre) {
        setObjectName(nombre);
        setText(QString::fromUtf8(texto));
        if (tip != nullptr) setToolTip(QString::fromUtf8(tip));
        ui::PonerIcono(*this, icono);
        setIconSize(QSize(24, 24));
    }

    // Room for the picture above the caption, the caption wrapped at each
    // blank: as narrow as its longest word.
    QSize sizeHint() const override {
        const QString texto = text().simplified();
        const QFontMetrics medida = fontMetrics();
        int ancho = iconSize().width();
        for (const QString& palabra : texto.split(' ')) ancho = std::max(ancho, medida.horizontalAdvance(palabra));
        const int altoTexto = medida.boundingRect(QRect(0, 0, ancho, 10000), kFormaTexto, texto).height();
        return {ancho + kMargenX * 2, kMargenArriba + iconSize().height() + kSeparacion + altoTexto + kMargenAbajo};
    }
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        QStyleOptionButton opcion;
        initStyleOption(&opcion);
        opcion.text.clear();
        opcion.icon = QIcon();
        style()->drawControl(QStyle::CE_PushButton, &opcion, &p, this);
        const QRect area = rect().adjusted(kMargenX, kMargenArriba, -kMargenX, -kMargenAbajo);
        const QSize tamano = iconSize();
        const QPixmap imagen = icon().pixmap(tamano, isEnabled() ? QIcon::Normal : QIcon::Disabled);
        p.drawPixmap(area.left() + (area.width() - tamano.width()) / 2, area.top(), imagen);
        const QRect textoArea = area.adjusted(0, tamano.height() + kSeparacion, 0, 0);
        p.drawText(textoArea, kFormaTexto, text().simplified());
    }

private:
    static constexpr int kMargenX = 3;
    static constexpr int kMargenArriba = 6;
    static constexpr int kMargenAbajo = 3;
    static constexpr int kSeparacion = 4;  // between the picture and the caption
    static constexpr int kFormaTexto = Qt::AlignHCenter | Qt::AlignTop | Qt::TextWordWrap | Qt::TextShowMnemonic;
};

// The grid as the window stores it. The keys it lacks ("Find", "Order",
// "AlignCommandBar", "AlignFilterBar") take their read defaults.
PropertyBag PropiedadesDeLaGrilla() {
    PropertyBag bag;
    bag.WriteProperty("SQL", "");
    bag.WriteProperty("PrimaryKey", "ID");
    bag.WriteProperty("PageSize", 5);
    bag.WriteProperty("AnchoColFijo", true);
    bag.WriteProperty("CamposSel", "");
    bag.WriteProperty("Campos", "");
    bag.WriteProperty("OrdinalSel", "");
    bag.WriteProperty("Columnas", false);
    bag.WriteProperty("OcultarOrdenar", false);
    bag.WriteProperty("OrderBy", "");
    bag.WriteProperty("OrdenSent", 0);
    bag.WriteProperty("FormatDate", 103);
    return bag;
}

// A small picture button of the information panel.
QPushButton* BotonPanel(QWidget* padre, const char* nombre, QStyle::StandardPixmap icono) {
    auto* boton = new QPushButton(padre);
    boton->setObjectName(nombre);
    ui::PonerIcono(*boton, icono);
    boton->setIconSize(QSize(12, 12));
    boton->setFocusPolicy(Qt::NoFocus);
    return boton;
}

// A whole number written with digits only (blanks around it allowed).
std::optional<long long> EnteroPositivo(const std::string& texto) {
    const std::string t = vb::Trim(texto);
    if (t.empty() || t.size() > 18) return std::nullopt;
    if (!std::all_of(t.begin(), t.end(), [](char c) { return std::isdigit(static_cast<unsigned char>(c)) != 0; })) {
        return std::nullopt;
    }
    return std::stoll(t);
}

}  // namespace

FrmAutorizarNPBloq::FrmAutorizarNPBloq(QWidget* parent) : QWidget(parent) {
    setObjectName("FrmAutorizarNPBloq");
    setWindowTitle(kCaption);
    // The design's sizes were made for an 8-point font.
    QFont letra = font();
    letra.setPointSize(8);
    setFont(letra);
    CrearControles();
    // The design's size, or larger where the font in use needs it to show a
    // whole page of the list and every caption of the grid's bars; never
    // smaller than what shows every caption and one row of the list.
    const long anchoMinimo = AnchoMinimo();
    const long altoMinimo = AltoParaFilas(1);
    setMinimumSize(Px(anchoMinimo), Px(altoMinimo));
    resize(Px(std::max(kAnchoDiseno, anchoMinimo)), Px(std::max(kAltoDiseno, AltoParaFilas(kRegistrosPorPagina))));
    // Key preview: the window sees every key of its controls first.
    qApp->installEventFilter(this);
}

FrmAutorizarNPBloq::~FrmAutorizarNPBloq() {
    if (qApp != nullptr) qApp->removeEventFilter(this);
}

void FrmAutorizarNPBloq::CrearControles() {
    // The grid first, so that the information panel, when expanded, lies over it.
    TsDbGrid1_ = new TsDbGrid(this);
    TsDbGrid1_->setObjectName("TsDbGrid1");
    TsDbGrid1_->ReadProperties(PropiedadesDeLaGrilla());
    SetMedidas(*TsDbGrid1_, {-60, 1170, 8775, 3840});

    CmdCargar_ = new BotonGrafico(this, "CmdCargar", "      [F1]      Cargar", "Cargar Comprobantes",
                                  QStyle::SP_BrowserReload);
    SetMedidas(*CmdCargar_, {0, 0, 1095, 1215});
    cmdAplicar_ = new BotonGrafico(this, "cmdAplicar", "       [F2]       Autorizar", "Autorizar Comprobantes",
                                   QStyle::SP_DialogApplyButton);
    SetMedidas(*cmdAplicar_, {1080, 0, 1095, 1215});
    cmdSalir_ = new BotonGrafico(this, "cmdSalir", "    [ESC]     Salir  ", "[ESC] Salir",
                                 QStyle::SP_DialogCloseButton);
    SetMedidas(*cmdSalir_, {2160, 0, 1095, 1215});
    cmdEdit_ = new BotonGrafico(this, "cmdEdit", " [F3]  Modificar", "Modificar Orden de Compra",
                                QStyle::SP_FileDialogDetailedView);
    SetMedidas(*cmdEdit_, {3255, 0, 1095, 1215});
    cmdEdit_->hide();

    frmInfoAdic_ = new QFrame(this);
    frmInfoAdic_->setObjectName("frmInfoAdic");
    frmInfoAdic_->setFrameShape(QFrame::StyledPanel);
    frmInfoAdic_->setAutoFillBackground(true);
    SetMedidas(*frmInfoAdic_, {4350, -90, 4320, kPanelPlegado});

    txtInfoAdic_ = new QPlainTextEdit(frmInfoAdic_);
    txtInfoAdic_->setObjectName("txtInfoAdic");
    QPalette paleta = txtInfoAdic_->palette();
    paleta.setColor(QPalette::Base, QColor(255, 255, 192));
    txtInfoAdic_->setPalette(paleta);
    SetMedidas(*txtInfoAdic_, {15, 150, 4260, 810});

    chkInfoAdic_ = new QCheckBox(QString::fromUtf8("&Ver Información Adicional"), frmInfoAdic_);
    chkInfoAdic_->setObjectName("chkInfoAdic");
    chkInfoAdic_->setChecked(true);
    SetMedidas(*chkInfoAdic_, {45, 1020, 2235, 195});
    CrecerAlContenido(*chkInfoAdic_);

    cmdBajar_ = BotonPanel(frmInfoAdic_, "cmdBajar", QStyle::SP_ArrowDown);
    SetMedidas(*cmdBajar_, {3960, 990, 300, 270});
    cmdSubir_ = BotonPanel(frmInfoAdic_, "cmdSubir", QStyle::SP_ArrowUp);
    SetMedidas(*cmdSubir_, {3945, 990, 300, 270});
    cmdSubir_->hide();
    // The panel's controls stand where its height puts them, the check box
    // as it grew.
    AjustarPanelInfo();
    for (QPushButton* boton : {CmdCargar_, cmdAplicar_, cmdSalir_, cmdEdit_}) CrecerAlContenido(*boton);

    setTabOrder(CmdCargar_, cmdAplicar_);
    setTabOrder(cmdAplicar_, cmdSalir_);
    setTabOrder(cmdSalir_, cmdEdit_);

    connect(CmdCargar_, &QPushButton::clicked, this, [this] { AlUsuario([this] { CmdCargar_Click(); }); });
    connect(cmdAplicar_, &QPushButton::clicked, this, [this] { AlUsuario([this] { cmdAplicar_Click(); }); });
    connect(cmdSalir_, &QPushButton::clicked, this, [this] { cmdSalir_Click(); });
    connect(cmdEdit_, &QPushButton::clicked, this, [this] { AlUsuario([this] { cmdEdit_Click(); }); });
    connect(cmdBajar_, &QPushButton::clicked, this, [this] { cmdBajar_Click(); });
    connect(cmdSubir_, &QPushButton::clicked, this, [this] { cmdSubir_Click(); });
    connect(chkInfoAdic_, &QCheckBox::toggled, this, [this] { chkInfoAdic_Click(); });
    connect(TsDbGrid1_, &TsDbGrid::MsFlexGridEnterCell, this,
            [this] { AlUsuario([this] { TsDbGrid1_MsFlexGridEnterCell(); }); });
}

// ---- Twips ---------------------------------------------------------------------

FrmAutorizarNPBloq::Twips FrmAutorizarNPBloq::Medidas(const QWidget& control) const {
    const auto it = medidas_.find(&control);
    if (it != medidas_.end()) return it->second;
    const QRect g = control.geometry();
    return {Tw(g.x()), Tw(g.y()), Tw(g.width()), Tw(g.height())};
}

void FrmAutorizarNPBloq::SetMedidas(QWidget& control, const Twips& medidas) {
    if (medidas.Width < 0 || medidas.Height < 0) vb::Raise(kErrValorNoValido, "Invalid property value");
    medidas_[&control] = medidas;
    control.setGeometry(Px(medidas.Left), Px(medidas.Top), Px(medidas.Width), Px(medidas.Height));
}

void FrmAutorizarNPBloq::CrecerAlContenido(QWidget& control) {
    Twips m = Medidas(control);
    const QSize necesita = control.sizeHint();
    m.Width = std::max(m.Width, Tw(necesita.width()));
    m.Height = std::max(m.Height, Tw(necesita.height()));
    SetMedidas(control, m);
}

long FrmAutorizarNPBloq::AnchoMinimo() const {
    // The information panel holds its check box and, at its right, its arrows.
    const Twips panel = Medidas(*frmInfoAdic_);
    const Twips chk = Medidas(*chkInfoAdic_);
    const long paraPanel =
        panel.Left + chk.Left + chk.Width + kMargenAnchoPanel + Medidas(*cmdSubir_).Width + 100 + 150;
    return std::max(TsDbGrid1_->AnchoMinimo() + kMargenAnchoGrilla, paraPanel);
}

long FrmAutorizarNPBloq::AltoParaFilas(int filas) const {
    return TsDbGrid1_->AltoParaFilas(filas) + Medidas(*CmdCargar_).Height + kMargenAltoGrilla;
}

long FrmAutorizarNPBloq::AnchoGrilla() const { return Tw(frameGeometry().width()) - kMargenAnchoGrilla; }

// Before the window first shows, it grows (within the screen) until the list
// shows every column whole, with room for twenty characters in each text
// column; from then on the text columns are capped so that every column of
// any page shows at that width (at the width it has, when it was shown
// before its list), and follow the window when the person resizes it
// (ColumnasAlAnchoDeLaVentana). The person's own size is never changed after.
void FrmAutorizarNPBloq::AbrirConTodasLasColumnas() {
    if (isVisible()) {
        if (TsDbGrid1_->ColumnasLimitadas()) return;
    } else if (const long falta = TsDbGrid1_->AnchoParaAbrir() - AnchoGrilla(); falta > 0) {
        int ancho = width() + Px(falta);
        if (const QScreen* pantalla = screen()) ancho = std::min(ancho, pantalla->availableGeometry().width());
        if (ancho > width()) resize(ancho, height());
    }
    TsDbGrid1_->LimitarColumnasAlAncho(AnchoGrilla());
}

// A window the person widened (or maximised) gives its text columns the room
// it has; one made narrower takes it back from them.
void FrmAutorizarNPBloq::ColumnasAlAnchoDeLaVentana() {
    if (isVisible() && TsDbGrid1_->ColumnasLimitadas()) TsDbGrid1_->LimitarColumnasAlAncho(AnchoGrilla());
}

bool FrmAutorizarNPBloq::Visible(const QWidget& control) {
    const QWidget* ventana = control.window();
    return ventana == &control ? control.isVisible() : control.isVisibleTo(ventana);
}

documents::ClsCmnCptes& FrmAutorizarNPBloq::CmnCptes() {
    if (!cmnCptes_) cmnCptes_ = std::make_unique<documents::ClsCmnCptes>();
    return *cmnCptes_;
}

// ---- Load, keys, leaving ------------------------------------------------------------

void FrmAutorizarNPBloq::Form_Load() {
    bool usarIni = false;
    std::string lineaComando;
    std::string cadenaConexion;
    foundation::Db().gCnn.RequireTables(kTablasDeLaVentana);
    foundation::IniciaSesion(usarIni, lineaComando, cadenaConexion);
    CmdCargar_Click();
}

bool FrmAutorizarNPBloq::Form_KeyDown(int KeyCode, int /*Shift*/) {
    switch (KeyCode) {
    case ui::vk::Escape: cmdSalir_Click(); return true;
    case ui::vk::F1: AlUsuario([this] { CmdCargar_Click(); }); return true;
    case kTeclaF2: AlUsuario([this] { cmdAplicar_Click(); }); return true;
    case kTeclaF3: AlUsuario([this] { cmdEdit_Click(); }); return true;
    default: return false;
    }
}

bool FrmAutorizarNPBloq::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress && watched->isWidgetType() &&
        static_cast<QWidget*>(watched)->window() == this) {
        const auto* tecla = static_cast<QKeyEvent*>(event);
        if (Form_KeyDown(ui::VbKeyCode(tecla->key()), ui::VbShift(tecla->modifiers()))) return true;
    }
    return QWidget::eventFilter(watched, event);
}

void FrmAutorizarNPBloq::cmdSalir_Click() { close(); }

// After a box of its own the window takes the keyboard back, also on a display
// without a window manager to hand it over, so that F1, F2 and ESC keep working.
void FrmAutorizarNPBloq::RecuperarFoco() {
    if (isVisible()) activateWindow();
}

// ---- The list ------------------------------------------------------------------------

void FrmAutorizarNPBloq::CmdCargar_Click() {
    // Until the window shows, the list's columns take what they need.
    if (!isVisible()) TsDbGrid1_->LimitarColumnasAlAncho(0);
    setWindowTitle(foundation::Db().gCnn.ReadOnly() ? kCaptionSoloLectura : kCaption);
    TsDbGrid1_->SetSQL(kConsultaLista);
    TsDbGrid1_->SetPageSize(kRegistrosPorPagina);
    TsDbGrid1_->SetAnchoColFijo(false);
    TsDbGrid1_->LoadTsDBGrid();
    AbrirConTodasLasColumnas();
}

std::optional<long long> FrmAutorizarNPBloq::ClaveDeFila(int fila) const {
    ui::FlexGrid& grid = TsDbGrid1_->MsFlexGrid();
    if (fila < grid.FixedRows() || fila >= grid.Rows() || grid.FixedRows() < 1) return std::nullopt;
    const int columna = grid.Cols() - 1;
    if (columna <= kColumnaNumero) return std::nullopt;
    if (grid.TextMatrix(grid.FixedRows() - 1, columna) != TsDbGrid1_->PrimaryKey()) return std::nullopt;
    return EnteroPositivo(grid.TextMatrix(fila, columna));
}

// ---- Authorizing -----------------------------------------------------------------------

void FrmAutorizarNPBloq::cmdAplicar_Click() {
    // F2 reaches here from the event pump of a load; the rows are being
    // replaced then, so the selection is not what the user will see.
    if (TsDbGrid1_->Cargando()) return;
    ui::FlexGrid& grid = TsDbGrid1_->MsFlexGrid();
    const std::vector<FilaElegida> filas = FilasElegidas(grid.Row(), grid.RowSel());

    const int respuesta =
        ui::MsgBox("Esta opcion autorizará todos los comprobantes seleccionados\r\n-Esta seguro de Continuar...?",
                   ui::vbYesNo + ui::vbQuestion, kTitulo);
    RecuperarFoco();
    if (respuesta != ui::vbYes) return;

    // The walk leaves the grid as it is (a row made current would scroll it
    // and ask the display for the pointer, once an order); the list loaded
    // again at the end is what the user sees.
    Fallidas fallidas;
    QScopedValueRollback<bool> sinHistoria(historiaEnPausa_, true);
    {
        // A statement may wait for a lock up to the command timeout.
        const ui::WaitCursor espera;
        bool detenida = false;  // an error's answer stopped the run: the rest is only named
        for (const FilaElegida& fila : filas) {
            if (!detenida) {
                detenida = !AutorizarFila(fila, fallidas);
            } else if (fila.conOrden) {
                fallidas.Agregar(fila.numero, {});
            }
        }
    }

    CmdCargar_Click();
    historiaEnPausa_ = false;
    MostrarInfoAdicional();

    if (!fallidas.numeros.empty()) {
        AvisarNoAutorizadas(fallidas);
        RecuperarFoco();
    }
}

std::vector<FrmAutorizarNPBloq::FilaElegida> FrmAutorizarNPBloq::FilasElegidas(int primera, int ultima) const {
    const ui::FlexGrid& grid = TsDbGrid1_->MsFlexGrid();
    const int paso = primera > ultima ? -1 : 1;
    std::vector<FilaElegida> filas;
    for (int fila = primera;; fila += paso) {
        if (fila >= grid.FixedRows() && fila < grid.Rows()) {
            FilaElegida elegida;
            elegida.fila = fila;
            elegida.conOrden = !vb::Trim(grid.TextMatrix(fila, grid.Cols() - 1)).empty();
            elegida.numero = grid.Cols() > kColumnaNumero ? grid.TextMatrix(fila, kColumnaNumero) : "";
            elegida.id = ClaveDeFila(fila);
            filas.push_back(std::move(elegida));
        }
        if (fila == ultima) break;
    }
    return filas;
}

void FrmAutorizarNPBloq::Fallidas::Agregar(std::string numero, const std::string& porque) {
    numeros.push_back(std::move(numero));
    if (porque.empty() || porque == motivo) return;
    if (motivo.empty()) motivo = porque;
    else variosMotivos = true;
}

// Names the orders left blocked and why the first one was: all of them when
// they are few; else their count and the first ones, with the whole list in
// the box's details, so that the box keeps its button on the screen.
void FrmAutorizarNPBloq::AvisarNoAutorizadas(const Fallidas& fallidas) {
    const std::vector<std::string>& numeros = fallidas.numeros;
    std::string primeras;
    for (std::size_t i = 0; i < numeros.size() && i < kFallidasNombradas; ++i) primeras += "\r\n" + numeros[i];
    std::string motivo;
    if (!fallidas.motivo.empty()) {
        motivo = std::string("\r\n") + (fallidas.variosMotivos ? "Motivo del primero: " : "Motivo: ") + fallidas.motivo;
    }
    if (numeros.size() <= kFallidasNombradas) {
        ui::MsgBox("No se pudieron autorizar los siguientes comprobantes:" + primeras + motivo,
                   ui::vbOKOnly + ui::vbExclamation, kTitulo);
        return;
    }
    std::string todas;
    for (const std::string& numero : numeros) todas += numero + "\n";
    ui::MsgBox("No se pudieron autorizar " + std::to_string(numeros.size()) + " comprobantes. Los primeros:" +
                   primeras + motivo + "\r\nLa lista completa está en los detalles.",
               ui::vbOKOnly + ui::vbExclamation, kTitulo, todas);
}

bool FrmAutorizarNPBloq::AutorizarFila(const FilaElegida& fila, Fallidas& fallidas) {
    if (!fila.conOrden) return true;  // no order
    std::string motivo;
    bool hecha = false;
    const bool seguir = vb::RunStep(
        [&] {
            hecha = false;
            motivo.clear();
            if (fila.id) hecha = AutorizarOrden(*fila.id, fila.numero, motivo);
            else motivo = "la fila no tiene la clave de una orden";
        },
        [&](const vb::Error& error) {
            motivo = adodb::FailureReason(error);
            // The box is about this order: it is the current row while it shows.
            TsDbGrid1_->MsFlexGrid().SetRow(fila.fila);
            return helpers::gFunciones().ManejaError(error);
        });
    if (!hecha) fallidas.Agregar(fila.numero.empty() ? "fila " + std::to_string(fila.fila) : fila.numero, motivo);
    return seguir;
}

bool FrmAutorizarNPBloq::AutorizarOrden(long long id, const std::string& numero, std::string& motivo) {
    foundation::DB_Dll& db = foundation::Db();
    // Why a statement failed, read before the rollback clears the connection's errors.
    auto fallo = [&db, &motivo] {
        const adodb::Errors& errores = db.gCnn.Errors();
        motivo = errores.Count() > 0 ? adodb::FailureReason(errores.Item(0)) : "la base no ejecutó la sentencia";
        return false;
    };
    // Only a blocked NP order is unblocked, so a row another station already
    // authorized changes nothing and is not logged again.
    std::string actualiza = kDesbloqueo;
    std::string accion;
    std::vector<vb::Variant> valores;
    if (!CmnCptes().SentenciaBuchon("NP", numero, "0", true, false, accion, valores, "", std::string("AO"))) {
        motivo = "no se pudo armar el registro de la autorización";
        return false;
    }
    adodb::DbTransaction transaccion(db.gCnn);
    long filas = 0;
    if (!db.EjecutaConsultaSQL(actualiza, {vb::Variant(id)}, filas)) return fallo();
    if (filas != 1) {
        motivo = "la orden ya no estaba bloqueada";
        return false;
    }
    filas = 0;
    if (!db.EjecutaConsultaSQL(accion, valores, filas)) return fallo();
    if (filas != 1) {
        motivo = "no se registró la autorización";
        return false;
    }
    transaccion.Commit();
    return true;
}

// ---- Opening the order elsewhere ---------------------------------------------------------

void FrmAutorizarNPBloq::cmdEdit_Click() {
    if (!Visible(*cmdEdit_)) return;
    ui::FlexGrid& grid = TsDbGrid1_->MsFlexGrid();
    if (grid.TextMatrix(grid.Row(), grid.Cols() - 1).empty()) return;
    long tarea = 0;
    foundation::MenuExes("shell:V_MV_CPRA", "OC|" + grid.TextMatrix(grid.Row(), kColumnaNumero), tarea);
}

// ---- The information panel ------------------------------------------------------------

void FrmAutorizarNPBloq::TsDbGrid1_MsFlexGridEnterCell() {
    if (!historiaEnPausa_) MostrarInfoAdicional();
}

void FrmAutorizarNPBloq::SetTextoInfoAdic(std::string texto) {
    // A page load enters a cell several times: the box is laid out again only
    // when its text is to change (or a person typed into it).
    if (texto == textoInfoAdic_ && !txtInfoAdic_->document()->isModified()) return;
    textoInfoAdic_ = std::move(texto);
    txtInfoAdic_->setPlainText(Q(vb::Replace(textoInfoAdic_, "\r\n", "\n")));
}

void FrmAutorizarNPBloq::MostrarInfoAdicional() {
    ui::FlexGrid& grid = TsDbGrid1_->MsFlexGrid();
    // The title row (where every page load passes) holds no order.
    if (grid.Row() < grid.FixedRows()) {
        SetTextoInfoAdic(kSinInformacion);
        return;
    }
    const std::string numero = grid.Cols() > kColumnaNumero ? grid.TextMatrix(grid.Row(), kColumnaNumero) : "";
    foundation::DB_Dll& db = foundation::Db();
    std::string consulta =
        "SELECT TC,IDCOMPROBANTE,IDCOMPLEMENTO,TIPO_ACCION,FECHAHORA,USUARIO,PC,SYSTEMUSER FROM V_MV_CPTEACCIONES "
        "WHERE TC = 'NP' AND IDCOMPROBANTE = " +
        foundation::SqlText(numero);
    adodb::Recordset rs;
    db.AbrirRecordset(consulta, rs);
    if (rs.State() != adodb::adStateOpen) {
        // The failure was reported; the previous order's history must not stay.
        SetTextoInfoAdic({});
        return;
    }
    if (rs.BOF()) {
        SetTextoInfoAdic(kSinInformacion);
    } else {
        std::string texto = rs.GetString(adodb::adClipString, -1, " ", "\r\n", "");
        static const std::pair<const char*, const char*> kCodigos[] = {
            {" A ", " Alta "},
            {" B ", " Baja "},
            {" M ", " Modificación "},
            {" E ", " Eliminación "},
            {" AO ", " Autorización "},
        };
        for (const auto& [codigo, nombre] : kCodigos) texto = vb::Replace(texto, codigo, nombre);
        SetTextoInfoAdic(std::move(texto));
    }
    db.CierraRecordset(rs);
}

void FrmAutorizarNPBloq::cmdBajar_Click() {
    cmdBajar_->hide();
    cmdSubir_->show();
    Twips marco = Medidas(*frmInfoAdic_);
    marco.Height = kPanelDesplegado;
    SetMedidas(*frmInfoAdic_, marco);
    frmInfoAdic_->raise();
    AjustarPanelInfo();
}

void FrmAutorizarNPBloq::cmdSubir_Click() {
    cmdSubir_->hide();
    cmdBajar_->show();
    Twips marco = Medidas(*frmInfoAdic_);
    marco.Height = kPanelPlegado;
    SetMedidas(*frmInfoAdic_, marco);
    AjustarPanelInfo();
}

void FrmAutorizarNPBloq::chkInfoAdic_Click() {
    if (chkInfoAdic_->isChecked()) {
        txtInfoAdic_->show();
        cmdSubir_->show();
        cmdBajar_->show();
    } else {
        txtInfoAdic_->hide();
        cmdSubir_Click();
        cmdSubir_->hide();
        cmdBajar_->hide();
    }
}

void FrmAutorizarNPBloq::AjustarPanelInfo() {
    const long alto = Medidas(*frmInfoAdic_).Height;
    Twips chk = Medidas(*chkInfoAdic_);
    chk.Top = alto - chk.Height - 50;
    SetMedidas(*chkInfoAdic_, chk);
    Twips subir = Medidas(*cmdSubir_);
    subir.Top = alto - subir.Height - 50;
    SetMedidas(*cmdSubir_, subir);
    Twips bajar = Medidas(*cmdBajar_);
    bajar.Top = subir.Top;
    SetMedidas(*cmdBajar_, bajar);
    Twips texto = Medidas(*txtInfoAdic_);
    texto.Height = alto - 500;
    SetMedidas(*txtInfoAdic_, texto);
}

// ---- Layout ----------------------------------------------------------------------------------

void FrmAutorizarNPBloq::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    Form_Resize();
    ColumnasAlAnchoDeLaVentana();
}

void FrmAutorizarNPBloq::Form_Resize() {
    // A window made smaller than its minimum (where no window manager keeps
    // it from that) is laid out at its minimum and cut at its edges.
    const QRect exterior = frameGeometry();
    const long W = Tw(std::max(width(), minimumWidth()) + exterior.width() - width());
    const long H = Tw(std::max(height(), minimumHeight()) + exterior.height() - height());
    // Each line on its own: a size that would be negative leaves that control as it was.
    auto linea = [this](QWidget& control, auto cambio) {
        vb::IgnoreErrors([&] {
            Twips m = Medidas(control);
            cambio(m);
            SetMedidas(control, m);
        });
    };
    linea(*TsDbGrid1_, [&](Twips& m) { m.Width = W - kMargenAnchoGrilla; });
    // A frame taller than the window's client area (a window manager's title
    // bar) would push the grid's foot out of the window: it stops at its edge.
    const long altoCliente = Tw(std::max(height(), minimumHeight()));
    linea(*TsDbGrid1_, [&](Twips& m) {
        m.Height = std::min(H - Medidas(*CmdCargar_).Height - kMargenAltoGrilla, altoCliente - m.Top);
    });
    linea(*frmInfoAdic_, [&](Twips& m) { m.Width = W - m.Left - 150; });
    linea(*txtInfoAdic_, [&](Twips& m) { m.Width = Medidas(*frmInfoAdic_).Width - 50; });
    linea(*cmdSubir_, [&](Twips& m) { m.Left = Medidas(*frmInfoAdic_).Width - m.Width - 100; });
    linea(*cmdBajar_, [&](Twips& m) { m.Left = Medidas(*cmdSubir_).Left; });
}

}  // namespace authorization
