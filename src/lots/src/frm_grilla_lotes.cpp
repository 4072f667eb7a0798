// FrmGrillaLotes: the controls and in-cell editing of the two lot dialogs.
#include "lots/frm_grilla_lotes.h"

#include <QAction>
#include <QApplication>
#include <QEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QStyle>
#include <QToolBar>
#include <QVBoxLayout>

#include <cmath>
#include <functional>
#include <optional>
#include <vector>

#include "documents/cls_cmn_cptes.h"
#include "entrygrids/auxiliares.h"
#include "entrygrids/edicion.h"
#include "foundation/comunes.h"
#include "foundation/db_dll.h"
#include "helpers/helpers.h"
#include "ui/flexgrid.h"
#include "ui/msgbox.h"
#include "vb/conv.h"
#include "vb/error.h"
#include "vb/steps.h"
#include "vb/text.h"

namespace lots {

namespace {

constexpr int kLargoCodigo = 25;

// The sums are of quantities kept with four decimals; two sums that differ
// by less than half of the last decimal are the same quantity.
constexpr double kTolerancia = 0.00005;

constexpr const char* kTooltips[] = {
    "Llenar las demas celdas con el valor de las seleccionadas",
    "Blanquear las Celdas a partir de la celda seleccionada",
    "Proponer Automaticamente",
};
constexpr QStyle::StandardPixmap kIconos[] = {QStyle::SP_ArrowDown, QStyle::SP_DialogResetButton,
                                              QStyle::SP_BrowserReload};

constexpr const char* kPreguntaAjuste = "¿Desea Ajustar la Cantidad Solicitada en el Formulario?";
constexpr const char* kSupera =
    "La suma de las cantidades Informadas, supera a la solicitada en el Formulario de Carga de Datos";
constexpr const char* kEsMenor =
    "La suma de las cantidades Informadas, Es Menor a la solicitada en el Formulario de Carga de Datos";
constexpr const char* kDebeAjustar = "Debe Ajustar la suma de las cantidades a :";
constexpr const char* kCantidadNoNumerica = "La Cantidad debe ser un Número";
constexpr const char* kCantidadDemasiadoGrande = "La Cantidad es un número demasiado grande";
constexpr const char* kCodigoInvalido =
    "Un Número de Lote o de Serie no puede contener los caracteres \"|\" ni \"\xC3\xBF\"";

QString Q(const std::string& s) { return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size())); }

using helpers::AlUsuario;

}  // namespace

FrmGrillaLotes::FrmGrillaLotes(const char* nombre, const char* titulo, const char* textoAceptar, int botones,
                               QWidget* parent)
    : QWidget(parent) {
    setObjectName(nombre);
    setWindowTitle(QString::fromUtf8(titulo));
    setWindowFlag(Qt::Dialog, true);
    CrearControles(textoAceptar, botones);
    Form_Load();
}

FrmGrillaLotes::~FrmGrillaLotes() {
    // The view reads the grid: it goes first.
    delete vista_;
    vista_ = nullptr;
}

void FrmGrillaLotes::CrearControles(const char* textoAceptar, int botones) {
    auto* columna = new QVBoxLayout(this);

    lblArticulo_ = new QLabel(QString::fromUtf8("Artículo-Descripción"), this);
    lblArticulo_->setObjectName("lblArticulo");
    columna->addWidget(lblArticulo_);

    Toolbar1_ = new QToolBar(this);
    Toolbar1_->setObjectName("Toolbar1");
    for (int i = 0; i < botones; ++i) {
        QAction* boton = Toolbar1_->addAction(style()->standardIcon(kIconos[i]), QString());
        boton->setObjectName(QString("Toolbar1_Boton%1").arg(i + 1));
        boton->setToolTip(QString::fromUtf8(kTooltips[i]));
        const int indice = i + 1;
        connect(boton, &QAction::triggered, this, [this, indice] { AlUsuario([&] { Toolbar1_ButtonClick(indice); }); });
    }
    columna->addWidget(Toolbar1_);

    MSFlexGrid1_ = new ui::FlexGrid(this);
    MSFlexGrid1_->setObjectName("MSFlexGrid1");
    vista_ = new ui::FlexGridView(*MSFlexGrid1_, this);
    vista_->setObjectName("MSFlexGrid1View");
    columna->addWidget(vista_, 1);

    auto* fila = new QHBoxLayout();
    fila->addStretch(1);
    CmdAceptar_ = new QPushButton(QString::fromUtf8(textoAceptar), this);
    CmdAceptar_->setObjectName("CmdAceptar");
    CmdCancelar_ = new QPushButton(QString::fromUtf8("&Cancelar"), this);
    CmdCancelar_->setObjectName("CmdCancelar");
    fila->addWidget(CmdAceptar_);
    fila->addWidget(CmdCancelar_);
    columna->addLayout(fila);

    // The editor floats over the grid, outside the layout.
    TxtEdit_ = new QLineEdit(this);
    TxtEdit_->setObjectName("TxtEdit");
    TxtEdit_->hide();
    TxtEdit_->installEventFilter(this);

    connect(CmdAceptar_, &QPushButton::clicked, this, [this] { AlUsuario([this] { CmdAceptar_Click(); }); });
    connect(CmdCancelar_, &QPushButton::clicked, this, [this] { AlUsuario([this] { CmdCancelar_Click(); }); });
    connect(MSFlexGrid1_, &ui::FlexGrid::KeyPress, this,
            [this](int& KeyAscii) { AlUsuario([&] { MSFlexGrid1_KeyPress(KeyAscii); }); });
    connect(MSFlexGrid1_, &ui::FlexGrid::GotFocus, this, [this] { AlUsuario([this] { MSFlexGrid1_GotFocus(); }); });
    connect(MSFlexGrid1_, &ui::FlexGrid::LeaveCell, this, [this] { AlUsuario([this] { MSFlexGrid1_LeaveCell(); }); });

    resize(560, 360);
}

void FrmGrillaLotes::Form_Load() {
    vb::IgnoreErrors([this] { helpers::gFunciones().PreparaFormulario(this, false); });
    foundation::ConfiguraFormulario(this);
}

bool FrmGrillaLotes::eventFilter(QObject* watched, QEvent* event) {
    if (watched == TxtEdit_ && event->type() == QEvent::KeyPress) {
        auto* tecla = static_cast<QKeyEvent*>(event);
        bool tomada = false;
        AlUsuario([&] {
            int keyCode = ui::VbKeyCode(tecla->key());
            if (keyCode != 0 && TxtEdit_KeyDown(keyCode, ui::VbShift(tecla->modifiers()))) {
                tomada = true;
                return;
            }
            const QString texto = tecla->text();
            if (texto.size() != 1 || texto.at(0).unicode() < 32) return;
            const int original = texto.at(0).unicode();
            int keyAscii = original;
            TxtEdit_KeyPress(keyAscii);
            if (keyAscii == original) return;
            if (keyAscii != 0) TxtEdit_->insert(QString(QChar(keyAscii)));
            tomada = true;
        });
        return tomada;
    }
    return QWidget::eventFilter(watched, event);
}

// ---- Buttons -----------------------------------------------------------------

void FrmGrillaLotes::CmdCancelar_Click() { hide(); }

// ---- In-cell editing -----------------------------------------------------------

bool FrmGrillaLotes::EditorVisible() const { return TxtEdit_->isVisibleTo(this); }

std::string FrmGrillaLotes::DataField(const QLineEdit& Edt) { return entrygrids::DataField(Edt); }

void FrmGrillaLotes::Text_Propiedades(QLineEdit& Edt, long Columna) {
    const bool cantidad = EsColumnaCantidad(Columna);
    Edt.setProperty(entrygrids::kPropDataField, QString::fromUtf8(cantidad ? kCeldaCantidad : ""));
    Edt.setMaxLength(cantidad ? entrygrids::kSinLimite : kLargoCodigo);
}

QRect FrmGrillaLotes::RectanguloDeCelda() const {
    const ui::FlexGrid& grilla = *MSFlexGrid1_;
    const QModelIndex indice = vista_->IndexOf(grilla.Row(), grilla.Col());
    if (!indice.isValid()) return {};
    const QRect celda = vista_->visualRect(indice);
    return QRect(vista_->viewport()->mapTo(this, celda.topLeft()), celda.size());
}

void FrmGrillaLotes::ControlaDesplazamiento() {
    const ui::FlexGrid& grilla = *MSFlexGrid1_;
    const QModelIndex indice = vista_->IndexOf(grilla.Row(), grilla.Col());
    if (!indice.isValid()) return;
    if (vista_->visualRect(indice).bottom() > vista_->viewport()->height()) {
        QScrollBar* barra = vista_->verticalScrollBar();
        barra->setValue(barra->value() + 1);
    }
}

void FrmGrillaLotes::MsflexGridEdt(ui::FlexGrid& Grilla, QLineEdit& Edt, int& KeyAscii) {
    // The grid keeps the user out of its fixed rows and columns.
    if (Grilla.Row() < Grilla.FixedRows() || Grilla.Col() < Grilla.FixedCols()) return;
    if (!CeldaEditable(Grilla)) return;
    Text_Propiedades(Edt, Grilla.Col());
    if (KeyAscii >= 0 && KeyAscii <= 32) {
        Edt.setText(Q(Grilla.Text()));
        Edt.setCursorPosition(static_cast<int>(Edt.text().size()));
    } else {
        Edt.setText(QString(QChar(KeyAscii)));
        Edt.setCursorPosition(1);
    }
    if (&Grilla == MSFlexGrid1_) Edt.setGeometry(RectanguloDeCelda());
    Edt.show();
    Edt.raise();
    ControlaDesplazamiento();
    Edt.setFocus();
}

void FrmGrillaLotes::DarFocoAGrilla() {
    vista_->setFocus();
    // Without an active window Qt only records the focus; the write-back
    // must not depend on it.
    MSFlexGrid1_GotFocus();
}

void FrmGrillaLotes::EditKeyCode(ui::FlexGrid& Grilla, QLineEdit& Edt, int& KeyCode, int /*Shift*/) {
    std::vector<vb::Step> pasos;
    switch (KeyCode) {
    case ui::vk::Escape:
        pasos.push_back([&] { Edt.hide(); });
        pasos.push_back([this] { DarFocoAGrilla(); });
        break;
    case ui::vk::Up:
        pasos.push_back([this] { DarFocoAGrilla(); });
        pasos.push_back([] { ui::DoEvents(); });
        pasos.push_back([&] {
            if (Grilla.Row() > Grilla.FixedRows()) Grilla.SetRow(Grilla.Row() - 1);
        });
        break;
    case ui::vk::Down:
        pasos.push_back([this] { DarFocoAGrilla(); });
        pasos.push_back([] { ui::DoEvents(); });
        // The column stays: the user goes on typing in the same column.
        pasos.push_back([&] {
            if (Grilla.Row() < Grilla.Rows() - 1) Grilla.SetRow(Grilla.Row() + 1);
        });
        break;
    case ui::vk::Return:
        pasos.push_back([this] { DarFocoAGrilla(); });
        pasos.push_back([] { ui::DoEvents(); });
        pasos.push_back([&] {
            const bool propia = vb::Equals(Grilla.objectName().toStdString(), "msflexgrid1");
            MueveConEnter(Grilla, propia ? UltimaColumna() : 0);
        });
        break;
    default: break;
    }
    pasos.push_back([&] {
        if (&Grilla == MSFlexGrid1_) ControlaDesplazamiento();
    });
    const vb::ErrorHandler manejador = [this, informa = foundation::Tratamiento("EditKeyCode")](const vb::Error& error) {
        return ErrorPasadoPorAlto(error.Number()) ? vb::kAnswerGoOn : informa(error);
    };
    for (const vb::Step& paso : pasos) {
        if (!vb::RunStep(paso, manejador)) return;
    }
}

bool FrmGrillaLotes::ErrorPasadoPorAlto(long Numero) const { return Numero == vb::kErrInvalidCall; }

void FrmGrillaLotes::CampoValida(QLineEdit& Edt) {
    rechazada_ = false;
    std::string valor;
    std::string tipo;
    std::string mensaje;
    vb::RunSteps(
        {
            [&] {
                valor = vb::Trim(Edt.text().toStdString());
                tipo = vb::Trim(DataField(Edt));
            },
            [&] {
                if (vb::Equals(tipo, kCeldaCantidad)) {
                    mensaje = ProblemaDeCantidad(valor);
                    if (mensaje.empty()) mensaje = PruebaCantidad(valor);
                    rechazada_ = !mensaje.empty();
                    return;
                }
                if (!CodigoValido(valor)) {
                    rechazada_ = true;
                    return;
                }
                ui::FlexGrid& grilla = *MSFlexGrid1_;
                if (grilla.Row() == 1) {
                    grilla.SetTextMatrix(grilla.Row(), grilla.Col(), valor);
                    CodigoEscritoEnFila1();
                }
            },
            [&] {
                if (!mensaje.empty()) ui::MsgBox(mensaje, ui::vbCritical | ui::vbOKOnly, kTituloAviso);
                else if (rechazada_) AvisaCodigoInvalido();
            },
        },
        foundation::Tratamiento("CampoValida"));
}

// ---- Events --------------------------------------------------------------------

void FrmGrillaLotes::MSFlexGrid1_KeyPress(int& KeyAscii) { MsflexGridEdt(*MSFlexGrid1_, *TxtEdit_, KeyAscii); }

void FrmGrillaLotes::MSFlexGrid1_GotFocus() {
    if (!EditorVisible()) return;
    MSFlexGrid1_->SetText(TxtEdit_->text().toStdString());
    TxtEdit_->hide();
}

void FrmGrillaLotes::MSFlexGrid1_LeaveCell() { MSFlexGrid1_GotFocus(); }

bool FrmGrillaLotes::TxtEdit_KeyDown(int& KeyCode, int Shift) {
    if (!helpers::gTeclado().TeclaFinEdicion(KeyCode)) return false;
    CampoValida(*TxtEdit_);
    if (!rechazada_) EditKeyCode(*MSFlexGrid1_, *TxtEdit_, KeyCode, Shift);
    return true;
}

void FrmGrillaLotes::TxtEdit_KeyPress(int& KeyAscii) { helpers::gTeclado().FiltraTecla(TxtEdit_, KeyAscii); }

void FrmGrillaLotes::Toolbar1_ButtonClick(int Index) {
    ui::FlexGrid& grilla = *MSFlexGrid1_;
    if (Index != 1 && Index != 2) {
        ToolbarOtroBoton(Index);
        return;
    }
    if (!ToolbarActua(grilla)) return;
    const std::string valor = Index == 1 ? vb::Trim(grilla.Text()) : TextoBlanqueado();
    for (int fila = grilla.Row() + 1; fila < grilla.Rows(); ++fila) grilla.SetTextMatrix(fila, grilla.Col(), valor);
}

// ---- Quantity routines ---------------------------------------------------------

double FrmGrillaLotes::SumaFilas(long MenosCual) const {
    const ui::FlexGrid& grilla = *MSFlexGrid1_;
    double suma = 0;
    for (int fila = 1; fila < grilla.Rows(); ++fila) {
        if (fila == MenosCual) continue;
        suma += helpers::gFunciones().TextoADoble(grilla.TextMatrix(fila, ColumnaCantidad()));
    }
    return suma;
}

bool FrmGrillaLotes::ValidaCantidadCantidadPedida() {
    bool iguales = false;
    vb::RunStep([&] { iguales = EsCero(SumaFilas(-1) - CantidadPedida()); },
                foundation::Tratamiento(std::string()));
    return iguales;
}

bool FrmGrillaLotes::AjustaCantidadPedida(double& Cantidad, bool MostrarForm, const std::string& avisoMenor) {
    if (ValidaCantidadCantidadPedida()) return true;
    const double suma = SumaFilas(-1);
    const auto pregunta = [](const char* texto) {
        return ui::MsgBox(std::string(texto) + "\r\n" + kPreguntaAjuste, ui::vbYesNo | ui::vbQuestion,
                          kTituloPregunta);
    };
    if (suma > Cantidad) {
        if (pregunta(kSupera) == ui::vbYes) {
            Cantidad = suma;
            return true;
        }
    } else {
        if (!MostrarForm) {
            ui::MsgBox(avisoMenor, ui::vbInformation, kTituloPregunta);
            return false;
        }
        if (pregunta(kEsMenor) == ui::vbYes) {
            Cantidad = suma;
            return true;
        }
    }
    ui::MsgBox(kDebeAjustar + vb::CStr(Cantidad), ui::vbCritical, kTituloAviso);
    return false;
}

bool FrmGrillaLotes::TerminaEdicionPendiente() {
    if (!EditorVisible()) return true;
    CampoValida(*TxtEdit_);
    if (rechazada_) return false;
    MSFlexGrid1_GotFocus();
    return true;
}

bool FrmGrillaLotes::CantidadesLegibles() {
    ui::FlexGrid& grilla = *MSFlexGrid1_;
    for (int fila = 1; fila < grilla.Rows(); ++fila) {
        const std::string problema = ProblemaDeCantidad(grilla.TextMatrix(fila, ColumnaCantidad()));
        if (problema.empty()) continue;
        grilla.MoveToCell(fila, ColumnaCantidad());
        ui::MsgBox(problema, ui::vbCritical | ui::vbOKOnly, kTituloAviso);
        return false;
    }
    return true;
}

// ---- Helpers -------------------------------------------------------------------

std::string FrmGrillaLotes::ProblemaDeCantidad(const std::string& valor) {
    if (vb::Trim(valor).empty()) return {};
    if (!helpers::gFunciones().EsNumero(valor)) return kCantidadNoNumerica;
    if (!entrygrids::NumeroGuardable(valor)) return kCantidadDemasiadoGrande;
    return {};
}

bool FrmGrillaLotes::CodigoValido(const std::string& codigo) {
    return codigo.find('|') == std::string::npos && codigo.find(vb::kChr255) == std::string::npos;
}

void FrmGrillaLotes::AvisaCodigoInvalido() { ui::MsgBox(kCodigoInvalido, ui::vbCritical | ui::vbOKOnly, kTituloAviso); }

bool FrmGrillaLotes::EsCero(double cantidad) { return std::fabs(cantidad) < kTolerancia; }

long FrmGrillaLotes::AnchoDeLetras(int letras) const { return entrygrids::AnchoX(*this, letras); }

long FrmGrillaLotes::AnchoDeTexto(const std::string& texto) const { return entrygrids::TextWidth(*this, texto); }

int FrmGrillaLotes::AgregaFila() {
    MSFlexGrid1_->SetRows(MSFlexGrid1_->Rows() + 1);
    return MSFlexGrid1_->Rows() - 1;
}

documents::ClsCmnCptes& FrmGrillaLotes::CmnCptes() {
    if (!cmnCptes_) cmnCptes_ = std::make_unique<documents::ClsCmnCptes>();
    return *cmnCptes_;
}

}  // namespace lots
