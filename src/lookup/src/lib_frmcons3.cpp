// Lib_FrmCons3: the controls, loading, columns, filling with stock colours,
// layout, the column-width file, the shortage report and unloading.
#include "lookup/lib_frmcons3.h"

#include <QComboBox>
#include <QFocusEvent>
#include <QFont>
#include <QFontMetrics>
#include <QFrame>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QTreeWidget>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>

#include "foundation/configuracion.h"
#include "foundation/db_dll.h"
#include "foundation/sql_literal.h"
#include "lib_frmcons3_internal.h"
#include "ui/msgbox.h"
#include "vb/conv.h"
#include "vb/datetime.h"
#include "vb/steps.h"
#include "vb/text.h"

namespace lookup {

using namespace detail;

namespace {

constexpr const char* kArchivoAnchos = "CONSULTASLEN.TSM";
constexpr const char* kArchivoAnchosAux = "CONSULTASLEN.AUX";
constexpr const char* kTituloAviso = "Aviso al Operador";
// Widest column, in characters.
constexpr long kAnchoMaximo = 60;
// The scroll bar's largest maximum.
constexpr long kMaximoDesplazamiento = 32700;
// Marks a row without check boxes as checked (the quantity keys do).
constexpr int kRolMarca = Qt::UserRole + 1;

// Layout of the dialog, in twips.
constexpr long kAltoCaja = 330;
constexpr long kArribaLista = 345;
constexpr long kMargen = 60;

// A row of the list: sorts by the text of the sort column, ignoring case.
class FilaLista : public QTreeWidgetItem {
public:
    using QTreeWidgetItem::QTreeWidgetItem;
    bool operator<(const QTreeWidgetItem& otra) const override {
        const int columna = treeWidget() ? treeWidget()->sortColumn() : 0;
        return text(columna).compare(otra.text(columna), Qt::CaseInsensitive) < 0;
    }
};

// A stock value as a fixed-point amount: a blank or Null value (an article
// without stock figures) is 0; other text that is not a number raises 13.
vb::Currency AMoneda(const vb::Variant& valor) {
    if (valor.IsNull() || valor.IsEmpty()) return vb::Currency();
    if (!valor.IsNumber() && vb::Trim(vb::TextOf(valor)).empty()) return vb::Currency();
    return vb::Currency::FromDouble(vb::CDbl(valor));
}

// The value is one of the "|"-separated tokens of the list (each trimmed,
// letter case ignored). An empty value is in no list.
bool EstaEntreValores(const std::string& valor, std::string_view lista) {
    if (valor.empty()) return false;
    for (std::size_t inicio = 0; inicio <= lista.size();) {
        std::size_t fin = lista.find('|', inicio);
        if (fin == std::string_view::npos) fin = lista.size();
        if (vb::Equals(vb::Trim(lista.substr(inicio, fin - inicio)), valor)) return true;
        inicio = fin + 1;
    }
    return false;
}

// The file's full name in the application folder.
std::string RutaArchivo(const helpers::ClsFunciones& f, const char* nombre) {
    return f.RutaConBarra(f.RutaAplicacion()) + nombre;
}

// A line of the width file: two texts, each in double quotes, joined by a comma.
bool LeeLineaAnchos(std::string linea, std::string& tabla, std::string& anchos) {
    if (!linea.empty() && linea.back() == '\r') linea.pop_back();
    std::string campos[2];
    std::size_t pos = 0;
    for (std::string& campo : campos) {
        while (pos < linea.size() && linea[pos] == ' ') ++pos;
        if (pos < linea.size() && linea[pos] == '"') {
            const std::size_t fin = linea.find('"', pos + 1);
            if (fin == std::string::npos) return false;
            campo = linea.substr(pos + 1, fin - pos - 1);
            pos = linea.find(',', fin);
        } else {
            const std::size_t fin = linea.find(',', pos);
            campo = vb::Trim(linea.substr(pos, fin == std::string::npos ? std::string::npos : fin - pos));
            pos = fin;
        }
        pos = pos == std::string::npos ? linea.size() : pos + 1;
    }
    tabla = campos[0];
    anchos = campos[1];
    return true;
}

std::string EscribeLineaAnchos(const std::string& tabla, const std::string& anchos) {
    return "\"" + tabla + "\",\"" + anchos + "\"\r\n";
}

// The table the query reads: the word after its first "from".
std::string TablaDeSentencia(const std::string& sql) {
    const long p = vb::InStr(sql, "from", vb::Compare::Text);
    const long q = vb::InStr(p + 5, sql, " ");
    return vb::Trim(vb::Mid(sql, p + 4, q - (p + 4)));
}

}  // namespace

// ---- Construction -------------------------------------------------------------------------

Lib_FrmCons3::Lib_FrmCons3(QWidget* parent) : QDialog(parent) {
    setObjectName("Lib_FrmCons3");
    setWindowTitle(Q("Consulta..."));
    resize(APixeles(9000), APixeles(6600));

    picFields = new QWidget(this);
    picFields->setObjectName("picFields");
    lblFieldName = new QLabel(picFields);
    lblFieldName->setObjectName("lblFieldName");
    lblFieldName->hide();

    ListView1 = new QTreeWidget(picFields);
    ListView1->setObjectName("ListView1");
    ListView1->setRootIsDecorated(false);
    ListView1->setUniformRowHeights(true);
    ListView1->setAllColumnsShowFocus(true);
    ListView1->setSelectionMode(QAbstractItemView::SingleSelection);
    ListView1->setEditTriggers(QAbstractItemView::NoEditTriggers);  // labels are never edited
    ListView1->setColumnCount(0);
    ListView1->header()->setSectionsClickable(true);
    ListView1->header()->setStretchLastSection(false);
    ListView1->setGeometry(0, APixeles(kArribaLista), APixeles(8000), APixeles(4000));
    ListView1->installEventFilter(this);
    connect(ListView1->header(), &QHeaderView::sectionClicked, this,
            [this](int seccion) { ListView1_ColumnClick(seccion + 1); });
    connect(ListView1, &QTreeWidget::itemDoubleClicked, this, [this] { CmdAceptar_Click(); });

    CajaBusqueda(0);

    HScroll1 = new QScrollBar(Qt::Horizontal, this);
    HScroll1->setObjectName("HScroll1");
    connect(HScroll1, &QScrollBar::valueChanged, this, [this] { HScroll1_Change(); });

    Frame1 = new QFrame(this);
    Frame1->setObjectName("Frame1");
    Frame1->resize(APixeles(4800), APixeles(600));
    CmdNueva = new QPushButton(Q("&Nueva Busqueda"), Frame1);
    CmdNueva->setObjectName("CmdNueva");
    CmdNueva->setGeometry(APixeles(120), APixeles(120), APixeles(1800), APixeles(375));
    CmdCancelar = new QPushButton(Q("&Cancelar"), Frame1);
    CmdCancelar->setObjectName("CmdCancelar");
    CmdCancelar->setGeometry(APixeles(2040), APixeles(120), APixeles(1260), APixeles(375));
    CmdAceptar = new QPushButton(Q("&Aceptar"), Frame1);
    CmdAceptar->setObjectName("CmdAceptar");
    CmdAceptar->setGeometry(APixeles(3420), APixeles(120), APixeles(1260), APixeles(375));
    CmdAceptar->setDefault(true);
    for (QPushButton* boton : {CmdNueva, CmdCancelar, CmdAceptar}) boton->installEventFilter(this);
    connect(CmdNueva, &QPushButton::clicked, this, [this] { CmdNueva_Click(); });
    connect(CmdCancelar, &QPushButton::clicked, this, [this] { CmdCancelar_Click(); });
    connect(CmdAceptar, &QPushButton::clicked, this, [this] { CmdAceptar_Click(); });
}

Lib_FrmCons3::~Lib_FrmCons3() = default;

// Search box `indice`, created (with the first box's tool tip, after the
// last box in the tab order) when it does not exist yet.
QComboBox* Lib_FrmCons3::CajaBusqueda(std::size_t indice) {
    while (CmbSearch.size() <= indice) {
        auto* caja = new QComboBox(picFields);
        const int numero = static_cast<int>(CmbSearch.size());
        caja->setObjectName("CmbSearch");
        caja->setProperty("Index", numero);
        caja->setEditable(true);
        caja->setInsertPolicy(QComboBox::NoInsert);
        caja->setToolTip(Q("F5 realiza nueva busqueda"));
        caja->setGeometry(0, 0, APixeles(1200), APixeles(kAltoCaja));
        caja->installEventFilter(this);
        connect(caja, &QComboBox::editTextChanged, this, [this, numero] { CmbSearch_Change(numero); });
        connect(caja, &QComboBox::activated, this, [this, numero] { CmbSearch_Change(numero); });
        if (!CmbSearch.empty()) setTabOrder(CmbSearch.back(), caja);
        CmbSearch.push_back(caja);
    }
    return CmbSearch[indice];
}

// The caller sets the variables before showing the dialog: it loads when first shown.
void Lib_FrmCons3::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (cargado_) return;
    cargado_ = true;
    Form_Load();
}

// ---- Loading ------------------------------------------------------------------------------

void Lib_FrmCons3::Form_Load() {
    vb::RunSteps(
        {
            [&] { EsConsultaArticulos_ = vb::Contains(SQL, "articulos", vb::Compare::Text); },
            [&] {
                Valores = std::make_shared<Coleccion>();
                Cantidades = std::make_shared<Coleccion>();
            },
            [&] {
                ItemActual = nullptr;
                ListView1->clear();
            },
            [&] { SQL += " "; },
            [&] { NombreTabla_ = TablaDeSentencia(SQL); },
            [&] {
                if (SQLInicial_.empty()) SQLInicial_ = SQL;
            },
            [&] { SQLSinOrden = SQL; },
            [&] {
                foundation::Db().AbrirRecordset(SQL, RsConsulta, nullptr, adodb::adOpenForwardOnly,
                                                adodb::adLockReadOnly, -1, true);
            },
            [&] { conCasillas_ = CheckBoxes; },
            [&] { Encolumnar(); },
            [&] { Leer(1, 0); },
            [&] {
                if (OrdenarPorLwv) ordenada_ = true;
                if (ordenada_) Ordenar();
                // As in the list control, the top row starts out selected.
                if (!ListView1->currentItem() && ListView1->topLevelItemCount() > 0)
                    ListView1->setCurrentItem(ListView1->topLevelItem(0));
            },
            [&] {
                if (!vb::Trim(FiltroInicial).empty()) CmbSearch[0]->setEditText(Q(FiltroInicial));
            },
            [&] { foundation::Db().CierraRecordset(RsConsulta); },
            [&] { CargarAnchosColumnas(); },
            [&] { CalcularAncho(); },
            [&] { funciones_.PreparaFormulario(this, false); },
        },
        ManejaErrorEn("FORM_LOAD"));
}

// ---- Columns ------------------------------------------------------------------------------

void Lib_FrmCons3::AgregaColumna(const std::string& titulo, long anchoTwips) {
    const int columna = ListView1->columnCount();
    ListView1->setColumnCount(columna + 1);
    ListView1->headerItem()->setText(columna, Q(titulo));
    ListView1->setColumnWidth(columna, APixeles(static_cast<double>(anchoTwips)));
}

void Lib_FrmCons3::Encolumnar() {
    try {
        ListView1->setColumnCount(0);
        const bool articulos = vb::Contains(SQL, "V_MA_ARTICULOS", vb::Compare::Text) ||
                               vb::Contains(SQL, "STK_MA_ARTICULOS", vb::Compare::Text);
        const QFontMetrics medida(font());
        for (std::size_t i = 0; i < RsConsulta.FieldCount(); ++i) {
            const adodb::Field campo = RsConsulta.Fields(i);
            long ancho = std::max(campo.DefinedSize(), 0L);
            QComboBox* caja = CajaBusqueda(i);
            caja->setProperty("Tag", Q(campo.Name()));
            caja->setVisible(true);
            if (ancho >= kAnchoMaximo) ancho = kAnchoMaximo;
            std::string titulo = campo.Name();
            if (articulos) {
                for (int n = 1; n <= 8; ++n) {
                    if (!vb::Equals(titulo, "PRECIO" + std::to_string(n))) continue;
                    std::string aux;
                    titulo = foundation::Cfg("NOM_PCLASE" + std::to_string(n), aux);
                    break;
                }
            }
            const QString equis(static_cast<qsizetype>(ancho), QLatin1Char('X'));
            AgregaColumna(titulo, ATwips(medida.horizontalAdvance(equis)));
        }
    } catch (...) {
        ui::MsgBox(vb::CurrentError().Description());
    }
}

// ---- Filling ------------------------------------------------------------------------------

namespace {

// Holds the list's repaints while it fills and lets it repaint once at the
// end, also when the fill stops early.
class PintaAlFinal {
public:
    explicit PintaAlFinal(QWidget& lista) : lista_(lista) { lista_.setUpdatesEnabled(false); }
    ~PintaAlFinal() { lista_.setUpdatesEnabled(true); }
    PintaAlFinal(const PintaAlFinal&) = delete;
    PintaAlFinal& operator=(const PintaAlFinal&) = delete;

private:
    QWidget& lista_;
};

}  // namespace

void Lib_FrmCons3::Leer(long /*Cdesde*/, int /*Cuantas*/) {
    CantidadFilas_ = 0;
    bool vacia = false;
    if (!vb::RunStep([&] { vacia = RsConsulta.BOF(); }, ManejaErrorEn("FORM_LOAD"))) {
        return;
    }
    if (vacia) return;
    PintaAlFinal pinta(*ListView1);
    // A recordset that could not be opened has nothing to read.
    while (RsConsulta.State() == adodb::adStateOpen && !RsConsulta.EOF()) {
        vb::Variant color;
        if (!LeerFila(color)) return;
    }
}

// One row: its stock colour, its item with the check of ValoresDefault, its
// sub-items. A field the query lacks leaves the row uncoloured; any other
// failure goes to the error routine. False when the answer ends the fill.
bool Lib_FrmCons3::LeerFila(vb::Variant& color) {
    const auto tratar = [&color, reporta = ManejaErrorEn("FORM_LOAD")](const vb::Error& e) {
        if (e.Number() == kErrElementoNoEncontrado) {
            color = vb::Variant();
            return vb::kAnswerGoOn;
        }
        return reporta(e);
    };
    return vb::RunSteps(
        {
            [&] { ++CantidadFilas_; },
            [&] {
                if (EsConsultaArticulos_) color = ColorStock();
            },
            [&] {
                ItemActual = new FilaLista(ListView1);
                ItemActual->setText(0, Q(vb::Trim(vb::TextOf(funciones_.ValorCampo(RsConsulta.Fields(0))))));
                if (conCasillas_) ItemActual->setCheckState(0, Qt::Unchecked);
            },
            [&] {
                if (!conCasillas_ || ValoresDefault.empty() || !ItemActual) return;
                const std::string valor =
                    vb::Trim(vb::TextOf(funciones_.ValorCampo(RsConsulta.Fields(std::string_view(CampoDevuelto)))));
                if (EstaEntreValores(valor, ValoresDefault)) Marcar(*ItemActual, true);
            },
            [&] {
                if (!ItemActual) return;
                for (std::size_t i = 1; i < RsConsulta.FieldCount(); ++i) {
                    const int columna = static_cast<int>(i);
                    ItemActual->setText(
                        columna, Q(funciones_.AjustaAncho(vb::TextOf(funciones_.ValorCampo(RsConsulta.Fields(i))))));
                    ColorearFila(*ItemActual, color, columna);
                }
            },
            [&] { RsConsulta.MoveNext(); },
        },
        tratar);
}

// The colour of the row's stock tier: PUNTOPEDIDO (PP) against Stock (ST).
vb::Variant Lib_FrmCons3::ColorStock() const {
    const vb::Currency pp = AMoneda(funciones_.ValorCampo(RsConsulta.Fields(std::string_view("PUNTOPEDIDO"))));
    const vb::Currency st = AMoneda(funciones_.ValorCampo(RsConsulta.Fields(std::string_view("Stock"))));
    const vb::Currency cero;
    if (pp == cero && st > cero) return StkNivel1;
    if (pp > cero && st > pp) return StkNivel2;
    if (pp > cero && st < pp) return StkNivel3;
    return StkNivel4;
}

// With the stock colours on, the row's text and its sub-item `columna` take
// the colour, in bold. A colour that is not a number is passed over.
void Lib_FrmCons3::ColorearFila(QTreeWidgetItem& item, const vb::Variant& color, int columna) {
    if (!vb::Equals(MuestraStock, "SI") || !EsConsultaArticulos_ || vb::Trim(vb::TextOf(color)).empty()) return;
    vb::IgnoreErrors([&] {
        const auto bgr = static_cast<std::uint32_t>(static_cast<std::int64_t>(vb::CDbl(color)));
        const QColor qcolor(static_cast<int>(bgr & 0xFF), static_cast<int>((bgr >> 8) & 0xFF),
                            static_cast<int>((bgr >> 16) & 0xFF));
        for (int c : {0, columna}) {
            QFont negrita = item.font(c);
            negrita.setBold(true);
            item.setFont(c, negrita);
            item.setForeground(c, qcolor);
        }
    });
}

void Lib_FrmCons3::Marcar(QTreeWidgetItem& item, bool marcada) {
    if (conCasillas_) {
        item.setCheckState(0, marcada ? Qt::Checked : Qt::Unchecked);
    } else {
        item.setData(0, kRolMarca, marcada);
    }
}

bool Lib_FrmCons3::Marcada(const QTreeWidgetItem& item) const {
    return conCasillas_ ? item.checkState(0) == Qt::Checked : item.data(0, kRolMarca).toBool();
}

void Lib_FrmCons3::Ordenar() {
    if (columnaOrden_ >= ListView1->columnCount()) return;
    ListView1->sortItems(columnaOrden_, descendente_ ? Qt::DescendingOrder : Qt::AscendingOrder);
}

// ---- Layout -------------------------------------------------------------------------------

long Lib_FrmCons3::IzquierdaColumna(int columna) const {
    return ATwips(ListView1->x() + ListView1->frameWidth() + ListView1->header()->sectionPosition(columna - 1));
}

void Lib_FrmCons3::AnchoColumna(int columna, long twips) {
    ListView1->setColumnWidth(columna - 1, APixeles(static_cast<double>(twips)));
}

std::vector<long> Lib_FrmCons3::AnchosColumnas() const {
    std::vector<long> anchos;
    for (int c = 0; c < ListView1->columnCount(); ++c) anchos.push_back(ATwips(ListView1->columnWidth(c)));
    return anchos;
}

void Lib_FrmCons3::UbicaCaja(std::size_t indice, long izquierda, long ancho) {
    if (indice >= CmbSearch.size()) return;
    QComboBox* caja = CmbSearch[indice];
    caja->setGeometry(APixeles(static_cast<double>(izquierda)), caja->y(),
                      std::max(APixeles(static_cast<double>(ancho)), 0), caja->height());
}

void Lib_FrmCons3::CalcularAncho() {
    long total = 0;
    const std::vector<long> anchos = AnchosColumnas();
    for (int c = 1; c <= static_cast<int>(anchos.size()); ++c) {
        UbicaCaja(static_cast<std::size_t>(c - 1), IzquierdaColumna(c), anchos[c - 1] - 50);
        total += anchos[c - 1];
    }
    const long anchoLista = total + 360;
    const long anchoContenedor = total + 360;
    ListView1->resize(APixeles(static_cast<double>(anchoLista)), ListView1->height());
    picFields->resize(APixeles(static_cast<double>(anchoContenedor)), picFields->height());
    HScroll1->resize(APixeles(static_cast<double>(total)), HScroll1->height());
    HScroll1->setMaximum(anchoContenedor > kMaximoDesplazamiento
                             ? kMaximoDesplazamiento
                             : static_cast<int>(vb::Round((anchoContenedor + 480) * 0.6)));
    const long pantalla = ATwips(screen() ? screen()->geometry().width() : 1024);
    const long anchoDialogo = anchoLista + 360 < pantalla ? anchoLista + 280 : pantalla - 480;
    resize(APixeles(static_cast<double>(anchoDialogo)), height());
}

void Lib_FrmCons3::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    Form_Resize();
}

void Lib_FrmCons3::Form_Resize() {
    vb::IgnoreErrors([&] {
        const long alto = ATwips(height());
        const long ancho = ATwips(width());
        const long altoMarco = ATwips(Frame1->height());
        const long altoContenedor = alto - altoMarco - 480;
        const auto px = [](long twips) { return std::max(APixeles(static_cast<double>(twips)), 0); };
        picFields->setGeometry(picFields->x(), APixeles(kMargen), px(ancho - 120), px(altoContenedor));
        ListView1->resize(px(ancho - 120 - 20), px(altoContenedor - altoMarco - 600));
        Frame1->move(APixeles(ancho / 2.0 - ATwips(Frame1->width()) / 2.0), px(alto - altoMarco - 420));
        HScroll1->setGeometry(APixeles(kMargen), px(altoContenedor - ATwips(HScroll1->height()) - 120),
                              px(ancho - 120), HScroll1->height());
    });
}

// ---- Column widths ------------------------------------------------------------------------

void Lib_FrmCons3::CargarAnchosColumnas() {
    const std::string ruta = RutaArchivo(funciones_, kArchivoAnchos);
    if (!std::filesystem::exists(ruta)) return;
    if (vb::Equals(NombreTabla_, "Stk_ma_articulos")) NombreTabla_ = "VT_MA_ARTICULOS";
    std::ifstream archivo(ruta, std::ios::binary);
    std::string linea;
    while (std::getline(archivo, linea)) {
        std::string tabla;
        std::string anchos;
        if (!LeeLineaAnchos(linea, tabla, anchos)) return;
        if (!vb::Equals(tabla, NombreTabla_)) continue;
        for (int c = 1; c <= ListView1->columnCount(); ++c) {
            const std::size_t barra = anchos.find('|');
            if (barra == std::string::npos) return;  // fewer widths than columns
            const long ancho = static_cast<long>(std::lround(funciones_.TextoAMoneda(anchos.substr(0, barra)).ToDouble()));
            AnchoColumna(c, ancho);
            UbicaCaja(static_cast<std::size_t>(c - 1), IzquierdaColumna(c), ancho);
            anchos.erase(0, barra + 1);
        }
    }
}

void Lib_FrmCons3::GrabarAnchosColumnas() {
    const std::string ruta = RutaArchivo(funciones_, kArchivoAnchos);
    const std::string auxiliar = RutaArchivo(funciones_, kArchivoAnchosAux);
    std::ofstream salida(auxiliar, std::ios::binary | std::ios::trunc);
    if (!salida) vb::Raise(75, "Path/File access error: " + auxiliar);
    if (std::filesystem::exists(ruta)) {
        std::ifstream entrada(ruta, std::ios::binary);
        std::string linea;
        while (std::getline(entrada, linea)) {
            std::string tabla;
            std::string anchos;
            if (LeeLineaAnchos(linea, tabla, anchos) && vb::Equals(tabla, NombreTabla_)) continue;
            if (!linea.empty() && linea.back() == '\r') linea.pop_back();
            salida << linea << "\r\n";
        }
    }
    std::string anchos;
    for (long ancho : AnchosColumnas()) anchos += std::to_string(ancho) + "|";
    salida << EscribeLineaAnchos(NombreTabla_, anchos);
    salida.close();
    if (!salida) vb::Raise(75, "Path/File access error: " + auxiliar);
    std::filesystem::rename(auxiliar, ruta);  // replaces the old file
}

// ---- Search-box colours -------------------------------------------------------------------

namespace {

void PintaCaja(QComboBox& caja, const QColor& color) {
    QPalette paleta = caja.palette();
    paleta.setColor(QPalette::Base, color);
    caja.setPalette(paleta);
}

}  // namespace

void Lib_FrmCons3::CmbSearch_GotFocus(int Index) {
    PintaCaja(*CmbSearch[static_cast<std::size_t>(Index)], QColor(0x00, 0xFF, 0xFF));  // &HFFFF00
    ComboActivo_ = Index;
}

void Lib_FrmCons3::CmbSearch_LostFocus(int Index) {
    PintaCaja(*CmbSearch[static_cast<std::size_t>(Index)], QColor(0xFF, 0xFF, 0xFF));
}

// ---- Keys seen before the controls --------------------------------------------------------

namespace {

// The key code forms see for a key (0 for keys the dialog never looks at).
int CodigoTecla(const QKeyEvent& evento) {
    const int tecla = evento.key();
    if (evento.modifiers() & Qt::KeypadModifier) {
        if (tecla >= Qt::Key_0 && tecla <= Qt::Key_9) return 96 + (tecla - Qt::Key_0);
        switch (tecla) {
            case Qt::Key_Asterisk: return 106;
            case Qt::Key_Plus: return 107;
            case Qt::Key_Minus: return 109;
            case Qt::Key_Period:
            case Qt::Key_Comma: return 110;
            case Qt::Key_Slash: return 111;
            default: break;
        }
    }
    if ((tecla >= Qt::Key_A && tecla <= Qt::Key_Z) || (tecla >= Qt::Key_0 && tecla <= Qt::Key_9)) return tecla;
    if (tecla >= Qt::Key_F1 && tecla <= Qt::Key_F16) return 112 + (tecla - Qt::Key_F1);
    switch (tecla) {
        case Qt::Key_Backspace: return kTeclaRetroceso;
        case Qt::Key_Tab: return 9;
        case Qt::Key_Return:
        case Qt::Key_Enter: return kTeclaEnter;
        case Qt::Key_Escape: return 27;
        case Qt::Key_Space: return kTeclaEspacio;
        case Qt::Key_PageUp: return kTeclaRePag;
        case Qt::Key_PageDown: return kTeclaAvPag;
        case Qt::Key_End: return 35;
        case Qt::Key_Home: return 36;
        case Qt::Key_Left: return 37;
        case Qt::Key_Up: return kTeclaArriba;
        case Qt::Key_Right: return 39;
        case Qt::Key_Down: return kTeclaAbajo;
        case Qt::Key_Insert: return kTeclaInsert;
        case Qt::Key_Delete: return kTeclaSupr;
        case Qt::Key_Help: return 47;
        case Qt::Key_Super_L: return 91;
        case Qt::Key_Super_R: return 92;
        case Qt::Key_Menu: return 93;
        default: return 0;
    }
}

// Shift 1, Ctrl 2, Alt 4.
int EstadoShift(const QKeyEvent& evento) {
    int shift = 0;
    if (evento.modifiers() & Qt::ShiftModifier) shift |= 1;
    if (evento.modifiers() & Qt::ControlModifier) shift |= 2;
    if (evento.modifiers() & Qt::AltModifier) shift |= 4;
    return shift;
}

}  // namespace

bool Lib_FrmCons3::eventFilter(QObject* watched, QEvent* event) {
    const auto caja = std::find(CmbSearch.begin(), CmbSearch.end(), watched);
    const int indice = caja == CmbSearch.end() ? -1 : static_cast<int>(caja - CmbSearch.begin());
    switch (event->type()) {
        case QEvent::KeyPress: {
            const auto& tecla = static_cast<const QKeyEvent&>(*event);
            int codigo = CodigoTecla(tecla);
            const int shift = EstadoShift(tecla);
            if (codigo == kTeclaF12) {
                Form_KeyDown(codigo, shift);
                if (codigo == 0) return true;
            }
            if (watched == ListView1) return ManejaTeclaLista(codigo, shift);
            if (indice >= 0) return ManejaTeclaCaja(indice, codigo, shift);
            break;
        }
        case QEvent::FocusIn:
            if (indice >= 0) CmbSearch_GotFocus(indice);
            break;
        case QEvent::FocusOut:
            if (indice >= 0) CmbSearch_LostFocus(indice);
            break;
        default: break;
    }
    return QDialog::eventFilter(watched, event);
}

// ---- Stock-shortage report ----------------------------------------------------------------

void Lib_FrmCons3::Form_KeyDown(int& KeyCode, int /*Shift*/) {
    if (KeyCode != kTeclaF12 || !EsConsultaArticulos_) return;
    KeyCode = 0;
    try {
        InformaFaltante();
    } catch (...) {
        ManejaErrorEn("Form_KeyDown")(vb::CurrentError());
    }
}

// Offers to note the selected article in V_MV_FALTANTES. With no row (an
// empty list) there is nothing to report.
void Lib_FrmCons3::InformaFaltante() {
    const QTreeWidgetItem* fila = FilaSeleccionada();
    if (!fila) return;
    const auto columna = [&](const char* titulo) {
        const int k = IndiceColumna(titulo);
        return k == 0 ? std::string() : TextoColumna(*fila, k);
    };
    const std::string codigo = columna("idarticulo");
    const std::string descripcion = columna("Descripcion");
    const std::string pregunta = "Desea informar el articulo " + vb::Trim(codigo) + " " + vb::Trim(descripcion) +
                                 std::string(vb::kCrLf) + "como un faltante de stock?";
    if (ui::MsgBox(pregunta, ui::vbQuestion + ui::vbYesNo, "Atención!") != ui::vbYes) return;
    foundation::DB_Dll& db = foundation::Db();
    std::string sql = "INSERT INTO V_MV_FALTANTES (FechaHora,IdArticulo,Descripcion,Usuario) values(" +
                      foundation::SqlText(vb::CStr(vb::Variant(vb::Now()))) + "," +
                      foundation::SqlText(funciones_.AjustaAncho(codigo, 25)) + "," +
                      foundation::SqlText(vb::Trim(descripcion)) + "," + foundation::SqlText(db.gUsuario) + ")";
    db.EjecutaConsultaSQL(sql);
}

// ---- Unloading ----------------------------------------------------------------------------

void Lib_FrmCons3::Form_Unload() {
    if (descargado_) return;
    descargado_ = true;
    try {
        if (GrabarCfg) GrabarAnchosColumnas();
    } catch (...) {
        ui::MsgBox(vb::CurrentError().Description(), ui::vbCritical, kTituloAviso);
    }
    ItemActual = nullptr;
    ListView1->clear();
}

}  // namespace lookup
