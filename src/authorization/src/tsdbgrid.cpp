// TsDbGrid: construction, properties, the property bag, layout and the
// events passed on from the inner grid and edit box.
#include "authorization/tsdbgrid.h"

#include <QComboBox>
#include <QFrame>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollBar>
#include <QStatusBar>
#include <QStyle>
#include <QToolBar>
#include <QToolButton>

#include <algorithm>
#include <cmath>

#include "foundation/db_dll.h"
#include "tsdbgrid_internal.h"
#include "ui/iconos.h"
#include "vb/conv.h"
#include "vb/steps.h"
#include "vb/text.h"

namespace authorization {

namespace {

// Layout at design time, in twips.
constexpr long kAltoFiltros = 400;   // the filter bar, at the top; the grid starts below it
constexpr long kAltoComandos = 420;  // the command bar
constexpr long kAltoEstado = 330;    // the status bar
constexpr long kAnchoProgreso = 1500;
constexpr long kAltoProgreso = 240;
// The grid's height is the control's less this and the status bar's.
constexpr long kAltoSinGrilla = 1000;
// The bars are as wide as the grid: the control's width less this.
constexpr long kMargenAncho = 100;
// The page label keeps room for page numbers of this many digits.
constexpr std::int64_t kPaginaMasAncha = 9999999;

// Twips to pixels for a place or size in a control too small for its
// layout: nothing goes left of or above its edge.
int PxAlMenosCero(long twips) { return Px(std::max(twips, 0L)); }

const char* const kRegistros[] = {"5", "10", "15", "20", "25", "30", "35", "40", "45", "50", "100", "500", "1000", "2000"};

// Property values read from a bag, converted as the runtime converts them.
int ComoEntero(const vb::Variant& v) { return vb::CInt(vb::CDbl(v)); }
long ComoLargo(const vb::Variant& v) { return vb::CLng(vb::CDbl(v)); }
std::string ComoTexto(const vb::Variant& v) { return vb::CStr(v); }
bool ComoLogico(const vb::Variant& v) {
    if (v.IsEmpty()) return false;
    if (v.IsBool()) return std::get<bool>(v.Get());
    if (v.IsText()) {
        const std::string& texto = std::get<std::string>(v.Get());
        if (vb::Equals(vb::Trim(texto), "True")) return true;
        if (vb::Equals(vb::Trim(texto), "False")) return false;
    }
    return vb::CDbl(v) != 0;
}

std::string Minusculas(std::string_view nombre) { return vb::LCase(nombre); }

QToolButton* BotonImagen(QWidget* padre, const char* nombre, QStyle::StandardPixmap icono, const char* tip) {
    auto* boton = new QToolButton(padre);
    boton->setObjectName(nombre);
    ui::PonerIcono(*boton, icono);
    boton->setToolTip(QString::fromUtf8(tip));
    boton->setAutoRaise(true);
    return boton;
}

// A toolbar button with the given key as its object name.
QToolButton* BotonDeBarra(QToolBar* barra, const char* key, QStyle::StandardPixmap icono, const char* tip) {
    auto* boton = BotonImagen(barra, key, icono, tip);
    barra->addWidget(boton);
    return boton;
}

QMenu* MenuDeDosEntradas(QToolButton* boton, const char* texto1, const char* texto2) {
    auto* menu = new QMenu(boton);
    menu->addAction(QString::fromUtf8(texto1))->setObjectName("ActualPage");
    menu->addAction(QString::fromUtf8(texto2))->setObjectName("AllPage");
    boton->setMenu(menu);
    boton->setPopupMode(QToolButton::MenuButtonPopup);
    return menu;
}

// Marks entry `entrada` (1 or 2) of a mode menu with "» " and unmarks the other.
void MarcarEntrada(QMenu& menu, int entrada) {
    const QList<QAction*> acciones = menu.actions();
    if (entrada < 1 || entrada > acciones.size()) throw vb::Error(kErrIndiceFueraDeRango, "Index out of bounds");
    auto sinMarca = [](QAction* a) { return vb::Trim(vb::Replace(Texto(a->text()), "» ", "")); };
    QAction* marcada = acciones[entrada - 1];
    QAction* otra = acciones[entrada == 1 ? 1 : 0];
    marcada->setText(Q("» " + sinMarca(marcada)));
    otra->setText(Q(sinMarca(otra)));
}

}  // namespace

// ---- PropertyBag -----------------------------------------------------------------------

vb::Variant PropertyBag::ReadProperty(std::string_view name, const vb::Variant& defaultValue) const {
    const auto it = items_.find(Minusculas(name));
    return it == items_.end() ? defaultValue : it->second;
}

void PropertyBag::WriteProperty(std::string_view name, const vb::Variant& value) {
    items_[Minusculas(name)] = value;
}

bool PropertyBag::Contains(std::string_view name) const { return items_.count(Minusculas(name)) > 0; }

// ---- Construction ---------------------------------------------------------------------------

TsDbGrid::TsDbGrid(QWidget* parent) : QWidget(parent) {
    CrearControles();
    Relevos();
    UserControl_Initialize();
    InitProperties();
}

// The view reads the grid model, a member: it goes first.
TsDbGrid::~TsDbGrid() { delete MSFlexGrid1_; }

void TsDbGrid::CrearControles() {
    // Filter bar: field box, search box, search toolbar, page-size box.
    FrmFiltros_ = new QFrame(this);
    FrmFiltros_->setObjectName("FrmFiltros");
    auto* filtros = new QHBoxLayout(FrmFiltros_);
    filtros->setContentsMargins(2, 1, 2, 1);
    Label2_ = new QLabel(Q("Buscar por:"), FrmFiltros_);
    Label2_->setObjectName("Label2");
    CboFiltroCampo_ = new QComboBox(FrmFiltros_);
    CboFiltroCampo_->setObjectName("CboFiltroCampo");
    txtBuscar_ = new QLineEdit(FrmFiltros_);
    txtBuscar_->setObjectName("txtBuscar");
    Toolbar1_ = new QToolBar(FrmFiltros_);
    Toolbar1_->setObjectName("Toolbar1");
    QToolButton* buscar = BotonDeBarra(Toolbar1_, "BUSCAR", QStyle::SP_FileDialogContentsView, "Buscar");
    menuBuscar_ = MenuDeDosEntradas(buscar, "  Buscar en Página Actual", "  Buscar en todas las Páginas");
    BotonDeBarra(Toolbar1_, "ACTUALIZAR", QStyle::SP_BrowserReload, "Actualizar");
    BotonDeBarra(Toolbar1_, "AJUSTACOL", QStyle::SP_ToolBarHorizontalExtensionButton, "Ajustar Columnas");
    Label1_ = new QLabel(Q("Registros:"), FrmFiltros_);
    Label1_->setObjectName("Label1");
    CboRegistros_ = new QComboBox(FrmFiltros_);
    CboRegistros_->setObjectName("CboRegistros");
    CboRegistros_->setEditable(true);
    CboRegistros_->setInsertPolicy(QComboBox::NoInsert);
    for (const char* n : kRegistros) CboRegistros_->addItem(Q(n));
    filtros->addWidget(Label2_);
    filtros->addWidget(CboFiltroCampo_);
    filtros->addWidget(txtBuscar_, 1);
    filtros->addWidget(Toolbar1_);
    filtros->addStretch();
    filtros->addWidget(Label1_);
    filtros->addWidget(CboRegistros_);

    // The page.
    MSFlexGrid1_ = new ui::FlexGridView(grid_, this);
    MSFlexGrid1_->setObjectName("MSFlexGrid1");
    txtEdit1_ = new QLineEdit(this);
    txtEdit1_->setObjectName("txtEdit1");
    txtEdit1_->setMouseTracking(true);
    txtEdit1_->hide();

    // Command bar: page selector, page buttons, page label, columns, sort.
    FrmComandos_ = new QFrame(this);
    FrmComandos_->setObjectName("FrmComandos");
    auto* comandos = new QHBoxLayout(FrmComandos_);
    comandos->setContentsMargins(2, 1, 2, 1);
    lblPagSelect_ = new QLabel(Q("Página:"), FrmComandos_);
    lblPagSelect_->setObjectName("lblPagSelect");
    cboPagSelect_ = new QComboBox(FrmComandos_);
    cboPagSelect_->setObjectName("cboPagSelect");
    paginas_ = new PageList(cboPagSelect_);
    cboPagSelect_->setModel(paginas_);
    // The selector may list many pages: never measure every entry.
    cboPagSelect_->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    cboPagSelect_->setMinimumContentsLength(6);
    cmdPrimero_ = BotonImagen(FrmComandos_, "cmdPrimero", QStyle::SP_MediaSkipBackward, "Primer Página");
    cmdAnterior_ = BotonImagen(FrmComandos_, "cmdAnterior", QStyle::SP_MediaSeekBackward, "Página Anterior");
    lblPaginas_ = new QLabel(Q(TextoPaginas(kPaginaMasAncha, kPaginaMasAncha)), FrmComandos_);
    lblPaginas_->setObjectName("lblPaginas");
    // A person may select the page count and copy it. Selectable text costs
    // a page turn several times what plain text does, so the label turns
    // selectable when a person first presses on it (eventFilter).
    lblPaginas_->installEventFilter(this);
    // As wide as its widest text, so that a new page number never lays the
    // bar out again.
    lblPaginas_->setFixedSize(lblPaginas_->sizeHint());
    lblPaginas_->setText(Q(TextoPaginas(1, 2)));
    cmdSiguiente_ = BotonImagen(FrmComandos_, "cmdSiguiente", QStyle::SP_MediaSeekForward, "Página Siguiente");
    cmdUltimo_ = BotonImagen(FrmComandos_, "cmdUltimo", QStyle::SP_MediaSkipForward, "Última Página");
    cmdColumnas_ = new QPushButton(Q("Columnas"), FrmComandos_);
    cmdColumnas_->setObjectName("cmdColumnas");
    cmdColumnas_->hide();
    ImgOrdenN_ = BotonImagen(FrmComandos_, "ImgOrdenN", QStyle::SP_DialogResetButton, "Orden Natural");
    ImgOrdenAsc_ = BotonImagen(FrmComandos_, "ImgOrdenAsc", QStyle::SP_ArrowUp, "Orden Ascendente");
    ImgOrdenDesc_ = BotonImagen(FrmComandos_, "ImgOrdenDesc", QStyle::SP_ArrowDown, "Orden Descendente");
    Toolbar2_ = new QToolBar(FrmComandos_);
    Toolbar2_->setObjectName("Toolbar2");
    QToolButton* orden = BotonDeBarra(Toolbar2_, "Orden", QStyle::SP_FileDialogListView, "Opciones de Ordenamiento");
    menuOrden_ = MenuDeDosEntradas(orden, "  Ordemaniento Individual", "  Ordenamiento Múltiple");
    comandos->addWidget(lblPagSelect_);
    comandos->addWidget(cboPagSelect_);
    comandos->addWidget(cmdPrimero_);
    comandos->addWidget(cmdAnterior_);
    comandos->addWidget(lblPaginas_);
    comandos->addWidget(cmdSiguiente_);
    comandos->addWidget(cmdUltimo_);
    comandos->addStretch();
    comandos->addWidget(cmdColumnas_);
    comandos->addWidget(ImgOrdenN_);
    comandos->addWidget(ImgOrdenAsc_);
    comandos->addWidget(ImgOrdenDesc_);
    comandos->addWidget(Toolbar2_);

    // Status bar, with the progress bar and the cancel button over its right end.
    StatusBar1_ = new QStatusBar(this);
    StatusBar1_->setObjectName("StatusBar1");
    StatusBar1_->setSizeGripEnabled(false);
    panel1_ = new QLabel(StatusBar1_);
    panel1_->setObjectName("Panel1");
    StatusBar1_->addWidget(panel1_, 1);
    Shape1_ = new QFrame(this);
    Shape1_->setObjectName("Shape1");
    Shape1_->setFrameShape(QFrame::HLine);
    Pbar_ = new QProgressBar(this);
    Pbar_->setObjectName("Pbar");
    Pbar_->setRange(0, 100);
    Pbar_->setValue(0);
    Pbar_->setTextVisible(false);
    // The page selector and label and the progress bar change at every
    // page: each draws its own background, so that what lies beneath is not
    // drawn again.
    for (QWidget* cambia : std::initializer_list<QWidget*>{cboPagSelect_, lblPaginas_, Pbar_}) {
        cambia->setAutoFillBackground(true);
    }
    CmdCancel_ = new QPushButton(Q("Cancelar carga..."), this);
    CmdCancel_->setObjectName("CmdCancel");
    CmdCancel_->hide();

    // Sizes at design time; a bar is taller where its controls need it in
    // the font in use.
    const int altoFiltros = std::max(Px(kAltoFiltros), FrmFiltros_->minimumSizeHint().height());
    FrmFiltros_->setGeometry(0, 0, Px(8000), altoFiltros);
    MSFlexGrid1_->move(0, altoFiltros);
    FrmComandos_->resize(Px(8000), std::max(Px(kAltoComandos), FrmComandos_->minimumSizeHint().height()));
    StatusBar1_->setFixedHeight(Px(kAltoEstado));
    Pbar_->resize(Px(kAnchoProgreso), Px(kAltoProgreso));
    CmdCancel_->resize(Px(kAnchoProgreso), Px(kAltoProgreso));
    Pbar_->raise();
    CmdCancel_->raise();
}

// The inner controls' events: commands of the control, relays to the host.
void TsDbGrid::Relevos() {
    connect(cmdPrimero_, &QToolButton::clicked, this, [this] { AlUsuario([this] { cmdPrimero_Click(); }); });
    connect(cmdAnterior_, &QToolButton::clicked, this, [this] { AlUsuario([this] { cmdAnterior_Click(); }); });
    connect(cmdSiguiente_, &QToolButton::clicked, this, [this] { AlUsuario([this] { cmdSiguiente_Click(); }); });
    connect(cmdUltimo_, &QToolButton::clicked, this, [this] { AlUsuario([this] { cmdUltimo_Click(); }); });
    connect(cboPagSelect_, &QComboBox::activated, this,
            [this](int indice) { AlUsuario([this, indice] { cboPagSelect_Click(indice); }); });
    connect(CboRegistros_, &QComboBox::activated, this, [this] { AlUsuario([this] { CboRegistros_Click(); }); });
    connect(ImgOrdenN_, &QToolButton::clicked, this, [this] { AlUsuario([this] { Ordenar(0); }); });
    connect(ImgOrdenAsc_, &QToolButton::clicked, this, [this] { AlUsuario([this] { Ordenar(1); }); });
    connect(ImgOrdenDesc_, &QToolButton::clicked, this, [this] { AlUsuario([this] { Ordenar(2); }); });
    connect(cmdColumnas_, &QPushButton::clicked, this, [this] { AlUsuario([this] { cmdColumnas_Click(); }); });
    connect(CmdCancel_, &QPushButton::clicked, this, [this] { CmdCancel_Click(); });
    for (QToolButton* boton : Toolbar1_->findChildren<QToolButton*>()) {
        const std::string key = boton->objectName().toStdString();
        if (key.empty()) continue;
        connect(boton, &QToolButton::clicked, this, [this, key] { AlUsuario([this, key] { Toolbar1_ButtonClick(key); }); });
    }
    const QList<QAction*> busqueda = menuBuscar_->actions();
    const QList<QAction*> orden = menuOrden_->actions();
    for (int i = 0; i < 2; ++i) {
        connect(busqueda[i], &QAction::triggered, this, [this, i] { MenuDeModo(*menuBuscar_, i + 1, q_.Find); });
        connect(orden[i], &QAction::triggered, this, [this, i] { MenuDeModo(*menuOrden_, i + 1, q_.Order); });
    }

    connect(MSFlexGrid1_, &ui::FlexGridView::ColumnResizedByUser, this, [this](int c) { ColumnaDelUsuario(c); });
    connect(&grid_, &ui::FlexGrid::Click, this, [this] { emit MsFlexGridClick(); });
    connect(&grid_, &ui::FlexGrid::DblClick, this, [this] { emit MsFlexGridDblClick(); });
    connect(&grid_, &ui::FlexGrid::GotFocus, this, [this] { emit MsFlexGridGotFocus(); });
    connect(&grid_, &ui::FlexGrid::LostFocus, this, [this] { emit MsFlexGridLostFocus(); });
    connect(&grid_, &ui::FlexGrid::EnterCell, this, [this] { emit MsFlexGridEnterCell(); });
    connect(&grid_, &ui::FlexGrid::LeaveCell, this, [this] { emit MSFlexGridLeaveCell(); });
    connect(&grid_, &ui::FlexGrid::KeyPress, this, [this](int& ascii) { emit MSFlexGridKeyPress(ascii); });
    connect(&grid_, &ui::FlexGrid::KeyDown, this,
            [this](int& code, int& shift) { AlUsuario([&] { MSFlexGrid1_KeyDown(code, shift); }); });
    connect(&grid_, &ui::FlexGrid::MouseDown, this,
            [this](int& b, int& s, float& x, float& y) { emit MSFlexGridMouseDown(b, s, x, y); });

    connect(txtEdit1_, &QLineEdit::textChanged, this, [this] { emit txtEditChange(); });
    txtEdit1_->installEventFilter(this);
    txtBuscar_->installEventFilter(this);
    CboRegistros_->installEventFilter(this);
    CboRegistros_->lineEdit()->installEventFilter(this);
}

void TsDbGrid::UserControl_Initialize() {
    paginaActual_ = 1;
    q_.CamposSel.clear();
    CboRegistros_->setCurrentIndex(-1);
    CboRegistros_->setEditText(QString());
    setEnabled(false);  // LoadTsDBGrid enables it
}

void TsDbGrid::InitProperties() {
    q_.SQL.clear();
    q_.PrimaryKey = "ID";
    q_.Find = 2;
    q_.Order = 1;
    alignCommandBar_ = 2;
    alignFilterBar_ = 1;
    q_.PageSize = 5;
    q_.FormatDate = 103;
}

void TsDbGrid::ReadProperties(const PropertyBag& bag) {
    using vb::IgnoreErrors;
    IgnoreErrors([&] { q_.SQL = ComoTexto(bag.ReadProperty("SQL", "")); });
    IgnoreErrors([&] { q_.PrimaryKey = ComoTexto(bag.ReadProperty("PrimaryKey", "ID")); });
    IgnoreErrors([&] { SetFind(ComoEntero(bag.ReadProperty("Find", 2))); });
    IgnoreErrors([&] { SetOrder(ComoEntero(bag.ReadProperty("Order", 1))); });
    IgnoreErrors([&] { alignCommandBar_ = ComoLargo(bag.ReadProperty("AlignCommandBar", 2)); });
    IgnoreErrors([&] { alignFilterBar_ = ComoLargo(bag.ReadProperty("AlignFilterBar", 1)); });
    IgnoreErrors([&] { q_.PageSize = ComoLargo(bag.ReadProperty("PageSize", 5)); });
    IgnoreErrors([&] { anchoColFijo_ = ComoLogico(bag.ReadProperty("AnchoColFijo", true)); });
    IgnoreErrors([&] { q_.CamposSel = ComoTexto(bag.ReadProperty("CamposSel", "")); });
    IgnoreErrors([&] { q_.Campos = ComoTexto(bag.ReadProperty("Campos", "")); });
    IgnoreErrors([&] { ordinalSel_ = ComoTexto(bag.ReadProperty("OrdinalSel", "")); });
    IgnoreErrors([&] { SetColumnas(ComoLogico(bag.ReadProperty("Columnas"))); });
    IgnoreErrors([&] { SetOcultarOrdenar(ComoLogico(bag.ReadProperty("OcultarOrdenar"))); });
    IgnoreErrors([&] { SetOrderBy(ComoTexto(bag.ReadProperty("OrderBy", ""))); });
    IgnoreErrors([&] { SetOrdenSent(ComoEntero(bag.ReadProperty("OrdenSent", 0))); });
    IgnoreErrors([&] { SetFormatDate(ComoEntero(bag.ReadProperty("FormatDate", 103))); });
}

void TsDbGrid::WriteProperties(PropertyBag& bag) const {
    bag.WriteProperty("SQL", q_.SQL);
    bag.WriteProperty("PrimaryKey", q_.PrimaryKey);
    bag.WriteProperty("Find", q_.Find);
    bag.WriteProperty("Order", q_.Order);
    bag.WriteProperty("AlignCommandBar", alignCommandBar_);
    bag.WriteProperty("AlignFilterBar", alignFilterBar_);
    bag.WriteProperty("PageSize", q_.PageSize);
    bag.WriteProperty("AnchoColFijo", anchoColFijo_);
    bag.WriteProperty("CamposSel", q_.CamposSel);
    bag.WriteProperty("Campos", q_.Campos);
    bag.WriteProperty("OrdinalSel", ordinalSel_);
    bag.WriteProperty("Columnas", columnas_);
    bag.WriteProperty("OcultarOrdenar", ocultarOrdenar_);
    bag.WriteProperty("OrderBy", q_.OrderBy);
    bag.WriteProperty("OrdenSent", q_.OrdenSent);
    bag.WriteProperty("FormatDate", q_.FormatDate);
}

void TsDbGrid::Inicializa() {
    grid_.Clear();
    setEnabled(false);
    txtEdit1_->setText(QString());
    txtEdit1_->setVisible(false);
    q_.OrdenSent = 3;
}

std::string TsDbGrid::EquiCampo(const std::string& Campo, bool Equivalencia) const {
    return q_.EquiCampo(Campo, Equivalencia);
}

// ---- Properties ----------------------------------------------------------------------------------

std::string TsDbGrid::ConString() const { return foundation::Db().gConnString; }

void TsDbGrid::SetConString(const std::string& value) {
    foundation::DB_Dll& db = foundation::Db();
    if (!db.gOpenFlag) {
        std::string cadena = value;
        db.OpenServerADODB(false, 3, cadena, true);
    }
    emit PropertyChanged("ConString");
}

void TsDbGrid::SetSQL(const std::string& value) {
    q_.SQL = value + " ";
    emit PropertyChanged("SQL");
}

void TsDbGrid::SetPrimaryKey(const std::string& value) {
    q_.PrimaryKey = value;
    emit PropertyChanged("PrimaryKey");
}

void TsDbGrid::SetFind(int value) {
    q_.Find = value;
    MarcarEntrada(*menuBuscar_, value);
    emit PropertyChanged("Find");
}

void TsDbGrid::SetOrder(int value) {
    q_.Order = value;
    MarcarEntrada(*menuOrden_, value);
    emit PropertyChanged("Order");
}

void TsDbGrid::SetAlignCommandBar(long value) {
    alignCommandBar_ = value;
    emit PropertyChanged("AlignCommandBar");
}

void TsDbGrid::SetAlignFilterBar(long value) {
    alignFilterBar_ = value;
    emit PropertyChanged("AlignFilterBar");
}

void TsDbGrid::SetPageSize(long value) {
    q_.PageSize = value;
    emit PropertyChanged("PageSize");
}

void TsDbGrid::SetAnchoColFijo(bool value) {
    anchoColFijo_ = value;
    emit PropertyChanged("AnchoColFijo");
}

void TsDbGrid::SetCamposSel(const std::string& value) {
    q_.CamposSel = value;
    emit PropertyChanged("CamposSel");
}

void TsDbGrid::SetCampos(const std::string& value) {
    q_.Campos = value;
    emit PropertyChanged("Campos");
}

void TsDbGrid::SetOrdinalSel(const std::string& value) {
    ordinalSel_ = value;
    emit PropertyChanged("OrdinalSel");
}

void TsDbGrid::SetColumnas(bool value) {
    columnas_ = value;
    emit PropertyChanged("Columnas");
}

void TsDbGrid::SetOcultarOrdenar(bool value) {
    ocultarOrdenar_ = value;
    emit PropertyChanged("OcultarOrdenar");
}

void TsDbGrid::SetOrderBy(const std::string& value) {
    q_.OrderBy = value;
    emit PropertyChanged("OrderBy");
}

void TsDbGrid::SetOrdenSent(int value) {
    q_.OrdenSent = value;
    emit PropertyChanged("OrdenSent");
}

void TsDbGrid::SetFormatDate(int value) {
    q_.FormatDate = value;
    emit PropertyChanged("FormatDate");
}

std::string TsDbGrid::StatusText() const { return Texto(panel1_->text()); }

long TsDbGrid::AltoParaFilas(int filas) const {
    const int titulos = MSFlexGrid1_->horizontalHeader()->sizeHint().height();
    const int fila = MSFlexGrid1_->verticalHeader()->defaultSectionSize();
    const int barra = MSFlexGrid1_->horizontalScrollBar()->sizeHint().height();
    const int grilla = titulos + filas * fila + barra + 2 * MSFlexGrid1_->frameWidth();
    return Tw(grilla) + AltoSinGrilla() + Tw(StatusBar1_->height());
}

// The design's height of the bars and the room between them, grown as the
// bars grew in the font in use.
long TsDbGrid::AltoSinGrilla() const {
    return kAltoSinGrilla + (Tw(FrmFiltros_->height()) - kAltoFiltros) + (Tw(FrmComandos_->height()) - kAltoComandos);
}

long TsDbGrid::AnchoMinimo() const {
    const int barras = std::max(FrmFiltros_->minimumSizeHint().width(), FrmComandos_->minimumSizeHint().width());
    return Tw(barras) + kMargenAncho;
}

// The grid's frame, room for a vertical scroll bar should the rows not all
// fit, the record numbers of the last page as AsignarOrdinal sizes them, and
// the margin of the bars.
long TsDbGrid::AnchoFueraDeColumnas() const {
    const ui::FlexGridView& vista = *MSFlexGrid1_;
    int grilla = 2 * vista.frameWidth() + vista.verticalScrollBar()->sizeHint().width();
    if (!vista.verticalHeader()->isHidden()) {
        const std::int64_t ultimo =
            std::max<std::int64_t>(totalRegistros_, (paginaActual_ - 1) * q_.PageSize + grid_.Rows());
        const int numeros = Px(TextWidth(Equis(std::to_string(ultimo).size() + 1)));
        grilla += std::max(vista.verticalHeader()->width(), numeros);
    }
    return Tw(grilla) + kMargenAncho;
}

long TsDbGrid::TextWidth(const std::string& text) const {
    return Tw(fontMetrics().horizontalAdvance(Q(text)));
}

// ---- Layout -----------------------------------------------------------------------------------------

void TsDbGrid::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    UserControl_Resize();
}

void TsDbGrid::moveEvent(QMoveEvent* event) {
    QWidget::moveEvent(event);
    UserControl_Resize();
}

void TsDbGrid::UserControl_Resize() {
    const long w = Tw(width());
    const long h = Tw(height());
    // Where the control lies partly left of its window (the main window puts
    // it at a negative left), its bars, grid and status bar move in by that
    // much, within the room the width leaves, so that no caption starts
    // outside the window.
    const int dentro = std::clamp(-mapTo(window(), QPoint(0, 0)).x(), 0, Px(kMargenAncho));
    const long alto = Tw(StatusBar1_->height());
    StatusBar1_->setGeometry(dentro, PxAlMenosCero(h - alto), width() - dentro, Px(alto));
    const long altoGrilla = h - AltoSinGrilla() - alto;
    const long anchoGrilla = w - kMargenAncho;
    // A bar narrower than its captions need would draw its buttons over its
    // labels: it keeps that width and is cut at the control's edge.
    const auto anchoBarra = [&](const QFrame* barra) {
        return std::max(PxAlMenosCero(anchoGrilla), barra->minimumSizeHint().width());
    };
    auto medirGrilla = [&] {
        MSFlexGrid1_->resize(PxAlMenosCero(anchoGrilla), PxAlMenosCero(altoGrilla));
        MSFlexGrid1_->move(dentro, MSFlexGrid1_->y());
    };
    switch (alignCommandBar_) {
    case 1:  // command bar above the grid
        medirGrilla();
        FrmComandos_->resize(anchoBarra(FrmComandos_), FrmComandos_->height());
        FrmComandos_->move(dentro, 0);
        MSFlexGrid1_->move(dentro, FrmComandos_->height());
        break;
    case 0:
    case 2:
    case 3:
    case 4:  // command bar below the grid (at the design's grid top, its height + 400)
        medirGrilla();
        FrmComandos_->move(dentro, MSFlexGrid1_->y() + MSFlexGrid1_->height());
        FrmComandos_->resize(anchoBarra(FrmComandos_), FrmComandos_->height());
        break;
    default: break;
    }
    switch (alignFilterBar_) {
    case 2:  // filter bar below the grid (at the design's grid top, its height + 600)
        medirGrilla();
        FrmFiltros_->move(dentro, MSFlexGrid1_->y() + MSFlexGrid1_->height() + Px(200));
        FrmFiltros_->resize(anchoBarra(FrmFiltros_), FrmFiltros_->height());
        break;
    case 0:
    case 1:
    case 3:
    case 4:  // the filter bar keeps its top
        medirGrilla();
        FrmFiltros_->move(dentro, FrmFiltros_->y());
        FrmFiltros_->resize(anchoBarra(FrmFiltros_), FrmFiltros_->height());
        break;
    default: break;
    }
    Shape1_->setGeometry(0, StatusBar1_->y() - 1, width(), 1);
    const long pbarTop = Tw(StatusBar1_->y()) + 60;
    const long pbarLeft = w - Tw(Pbar_->width()) - 100;
    Pbar_->move(PxAlMenosCero(pbarLeft), PxAlMenosCero(pbarTop));
    CmdCancel_->move(PxAlMenosCero(pbarLeft - (Tw(Pbar_->width()) + 100)), PxAlMenosCero(pbarTop));
}

// ---- The edit box's and the page-size box's keys ----------------------------------------------

bool TsDbGrid::eventFilter(QObject* watched, QEvent* event) {
    if (watched == lblPaginas_) {
        if (event->type() == QEvent::MouseButtonPress) {
            lblPaginas_->removeEventFilter(this);
            lblPaginas_->setTextInteractionFlags(Qt::TextSelectableByMouse);  // the press then starts a selection
        }
        return false;
    }
    if (watched == txtEdit1_) {
        switch (event->type()) {
        case QEvent::MouseButtonRelease: emit txtEditClick(); break;
        case QEvent::MouseButtonDblClick: emit txtEditDblClick(); break;
        case QEvent::MouseMove: {
            // Relayed as txtEditMouseDown, with the buttons held at each move.
            auto* mouse = static_cast<QMouseEvent*>(event);
            int button = 0;
            if (mouse->buttons() & Qt::LeftButton) button |= 1;
            if (mouse->buttons() & Qt::RightButton) button |= 2;
            if (mouse->buttons() & Qt::MiddleButton) button |= 4;
            int shift = ui::VbShift(mouse->modifiers());
            float x = static_cast<float>(mouse->position().x() * ui::kTwipsPerPixel);
            float y = static_cast<float>(mouse->position().y() * ui::kTwipsPerPixel);
            emit txtEditMouseDown(button, shift, x, y);
            break;
        }
        case QEvent::FocusIn: emit txtEditGotFocus(); break;
        case QEvent::FocusOut: emit txtEditLostFocus(); break;
        case QEvent::KeyPress: {
            auto* key = static_cast<QKeyEvent*>(event);
            const int codigo = ui::VbKeyCode(key->key());
            int code = codigo;
            int shift = ui::VbShift(key->modifiers());
            if (code != 0) emit txtEditKeyDown(code, shift);
            const QString text = key->text();
            if (text.size() == 1 && text.at(0).unicode() < 256) {
                const int original = text.at(0).unicode();
                int ascii = original;
                emit txtEditKeyPress(ascii);
                if (ascii == 0) return true;  // the host cancelled the character
                if (ascii != original && ascii >= 32 && ascii < 256) {
                    txtEdit1_->insert(QString(QChar(ascii)));
                    return true;
                }
            } else if (codigo != 0 && code == 0) {
                return true;  // the host cancelled the key
            }
            break;
        }
        default: break;
        }
        return QWidget::eventFilter(watched, event);
    }
    if (event->type() != QEvent::KeyPress) return QWidget::eventFilter(watched, event);
    auto* key = static_cast<QKeyEvent*>(event);
    const bool enter = key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter;
    if (watched == txtBuscar_) {
        if (enter) {
            AlUsuario([this] { Buscar(); });
            return true;
        }
        return false;
    }
    if (watched == CboRegistros_ || watched == CboRegistros_->lineEdit()) {
        if (enter) {
            AlUsuario([this] { CboRegistros_KeyDown(ui::vk::Return); });
            return true;
        }
        // Only digits are typed into the page size; Backspace is dropped too.
        if (key->key() == Qt::Key_Backspace) return true;
        const QString text = key->text();
        if (!text.isEmpty() && text.at(0).isPrint()) {
            return std::any_of(text.begin(), text.end(), [](QChar c) { return c < '0' || c > '9'; });
        }
    }
    return QWidget::eventFilter(watched, event);
}

}  // namespace authorization
