// FrmCampos: loading the lists, applying the choice, moving an item and the
// arrows' auto-repeat.
#include "authorization/frm_campos.h"

#include <QFont>
#include <QFrame>
#include <QLabel>
#include <QListWidget>
#include <QMouseEvent>
#include <QPointer>
#include <QPushButton>
#include <QStyle>

#include "foundation/comunes.h"
#include "tsdbgrid_internal.h"
#include "ui/msgbox.h"
#include "vb/text.h"

namespace authorization {

namespace {

constexpr auto npos = std::string::npos;
// The pause between two moves while an arrow is held, in milliseconds.
constexpr int kPausaRepeticion = 100;

std::string SinCorchetes(std::string_view texto) { return vb::Replace(vb::Replace(texto, "[", ""), "]", ""); }

// Appends "[texto]" to a list joined by ", ".
void AgregarEntreCorchetes(std::string& lista, const std::string& texto) {
    lista += (lista.empty() ? "[" : ", [") + texto + "]";
}

// Drops from `texto` everything up to and including the first `separador`
// (everything when there is none, so that a scan always ends).
void CortarHasta(std::string& texto, char separador) {
    const std::size_t fin = texto.find(separador);
    texto.erase(0, fin == npos ? npos : fin + 1);
}

QLabel* Imagen(QWidget* padre, const char* nombre, QStyle::StandardPixmap icono, const QRect& lugar) {
    auto* imagen = new QLabel(padre);
    imagen->setObjectName(nombre);
    imagen->setPixmap(padre->style()->standardIcon(icono).pixmap(lugar.size() - QSize(6, 6)));
    imagen->setAlignment(Qt::AlignCenter);
    imagen->setGeometry(lugar);
    return imagen;
}

// A frame drawn behind an image; hidden at rest.
QFrame* Forma(QWidget* padre, const char* nombre, const QRect& lugar, QFrame::Shadow sombra) {
    auto* forma = new QFrame(padre);
    forma->setObjectName(nombre);
    forma->setFrameStyle(QFrame::Panel | sombra);
    forma->setGeometry(lugar);
    forma->hide();
    return forma;
}

}  // namespace

FrmCampos::FrmCampos(QWidget* parent) : QDialog(parent) {
    setObjectName("FrmCampos");
    setWindowTitle(Q("Seleccionar Columnas"));
    setFixedSize(300, 330);
    setMouseTracking(true);

    Label1 = new QLabel(Q("Seleccionar Columnas"), this);
    Label1->setObjectName("Label1");
    QFont titulo = Label1->font();
    titulo.setBold(true);
    Label1->setFont(titulo);
    Label1->setGeometry(10, 6, 240, 22);
    Label1->setMouseTracking(true);

    const QRect cerrar(268, 4, 26, 26);
    Shape1 = Forma(this, "Shape1", cerrar, QFrame::Raised);
    ImgCancelar = Imagen(this, "ImgCancelar", QStyle::SP_TitleBarCloseButton, cerrar);
    ImgCancelar->setToolTip(Q("Cerrar"));
    ImgCancelar->setMouseTracking(true);

    Label2 = new QLabel(Q("Control o Mayúscula para selección Múltiple"), this);
    Label2->setObjectName("Label2");
    Label2->setGeometry(10, 30, 280, 20);

    LstCampos = new QListWidget(this);
    LstCampos->setObjectName("LstCampos");
    LstCampos->setSelectionMode(QAbstractItemView::ExtendedSelection);
    LstCampos->setGeometry(10, 52, 240, 222);

    const QRect subir(258, 118, 34, 34);
    const QRect bajar(258, 162, 34, 34);
    shpSubir = Forma(this, "shpSubir", subir, QFrame::Sunken);
    shpBajar = Forma(this, "shpBajar", bajar, QFrame::Sunken);
    ImgSubir = Imagen(this, "ImgSubir", QStyle::SP_ArrowUp, subir);
    ImgBajar = Imagen(this, "ImgBajar", QStyle::SP_ArrowDown, bajar);

    cmdAplicar = new QPushButton(Q("&Aplicar Seleccón"), this);
    cmdAplicar->setObjectName("cmdAplicar");
    cmdAplicar->setGeometry(10, 286, 150, 30);
    cmdTodos = new QPushButton(Q("&Todas"), this);
    cmdTodos->setObjectName("cmdTodos");
    cmdTodos->setGeometry(170, 286, 80, 30);

    connect(cmdAplicar, &QPushButton::clicked, this, [this] { cmdAplicar_Click(); });
    connect(cmdTodos, &QPushButton::clicked, this, [this] { cmdTodos_Click(); });
    for (QWidget* w : {static_cast<QWidget*>(Label1), static_cast<QWidget*>(ImgCancelar),
                       static_cast<QWidget*>(ImgSubir), static_cast<QWidget*>(ImgBajar)}) {
        w->installEventFilter(this);
    }
}

// ---- Loading ---------------------------------------------------------------------------------

// The caller sets the lists before showing the dialog: it loads when first shown.
void FrmCampos::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (cargado_) return;
    cargado_ = true;
    Form_Load();
}

void FrmCampos::HacerActual(int fila) { LstCampos->setCurrentRow(fila, QItemSelectionModel::NoUpdate); }

// The chosen columns first (as many as gOrdinalSel names, in gCamposSel's
// order, selected), then every column of gCampos not in the choice; the last
// item, the key column, is then taken out. Ill-formed lists load what they can.
void FrmCampos::Form_Load() {
    Cancelar = false;
    LstCampos->clear();
    std::string ordinales = gOrdinalSel;
    std::string elegidas = gCamposSel;
    if (!vb::Trim(elegidas).empty()) {
        for (int i = 0; !vb::Trim(ordinales).empty(); ++i) {
            const std::size_t coma = elegidas.find(',');
            if (coma == npos) break;  // only the key column is left
            auto* item = new QListWidgetItem(Q(vb::Trim(SinCorchetes(elegidas.substr(0, coma)))));
            LstCampos->insertItem(i, item);
            item->setSelected(true);
            CortarHasta(ordinales, '|');
            CortarHasta(elegidas, ',');
        }
    }
    const std::string clave = vb::Trim(elegidas);
    std::string campos = gCampos;
    while (!vb::Trim(campos).empty()) {
        const std::string columna = campos.substr(0, campos.find('|'));
        CortarHasta(campos, '|');
        if (columna.empty()) continue;
        // Exact case, as the choice was written from these same names.
        if (gCamposSel.find(columna) == npos || vb::Trim(columna) == clave) {
            LstCampos->addItem(Q(SinCorchetes(columna)));
        }
    }
    const int ultima = LstCampos->count() - 1;
    if (ultima < 0) return;
    campoClave_ = Texto(LstCampos->item(ultima)->text());
    delete LstCampos->takeItem(ultima);
    if (LstCampos->count() > 0) HacerActual(0);
}

// ---- Applying ------------------------------------------------------------------------------------

void FrmCampos::cmdAplicar_Click() {
    Cancelar = false;
    gCamposSel.clear();
    gOrdinalSel.clear();
    gCamposOrden.clear();
    for (int i = 0; i < LstCampos->count(); ++i) {
        const QListWidgetItem* item = LstCampos->item(i);
        const std::string texto = Texto(item->text());
        if (item->isSelected()) {
            AgregarEntreCorchetes(gCamposSel, texto);
            gOrdinalSel += (gOrdinalSel.empty() ? "" : "|") + std::to_string(i);
        }
        AgregarEntreCorchetes(gCamposOrden, texto);
    }
    if (!vb::Trim(gCamposSel).empty()) gCamposSel += ", [" + campoClave_ + "]";
    AgregarEntreCorchetes(gCamposOrden, campoClave_);
    if (!gOrdinalSel.empty()) gOrdinalSel += "|";
    hide();
}

void FrmCampos::cmdTodos_Click() {
    LstCampos->selectAll();
    cmdAplicar_Click();
}

void FrmCampos::ImgCancelar_Click() {
    Cancelar = true;
    hide();
}

void FrmCampos::reject() { ImgCancelar_Click(); }

// ---- Moving an item ------------------------------------------------------------------------------

// The item is written again at its new place (unselected) and the old one removed.
void FrmCampos::Mover(int sentido) {
    const int n = LstCampos->currentRow();
    if (n < 0) return;
    const QString texto = LstCampos->item(n)->text();
    if (sentido < 0 && n > 0) {
        LstCampos->insertItem(n - 1, texto);
        delete LstCampos->takeItem(n + 1);
        HacerActual(n - 1);
    } else if (sentido > 0 && n < LstCampos->count() - 1) {
        LstCampos->insertItem(n + 2, texto);
        delete LstCampos->takeItem(n);
        HacerActual(n + 1);
    }
}

// While the left button is held on an arrow the item moves about every
// 100 ms; the wait pumps events, and the button's release (Flecha_MouseUp)
// ends the repetition. The click that follows the release moves it once more.
void FrmCampos::Flecha_MouseDown(QFrame& forma, int sentido) {
    forma.show();
    repitiendo_ = true;
    const QPointer<FrmCampos> vivo(this);
    foundation::Espera(kPausaRepeticion);
    while (vivo && repitiendo_ && isVisible()) {
        ui::DoEvents();
        if (!vivo) return;
        Mover(sentido);
        foundation::Espera(kPausaRepeticion);
    }
}

void FrmCampos::Flecha_MouseUp(QFrame& forma) {
    forma.hide();
    repitiendo_ = false;
}

// ---- Mouse on the images and the hover highlight ----------------------------------------------

void FrmCampos::mouseMoveEvent(QMouseEvent* event) {
    Shape1->hide();
    QDialog::mouseMoveEvent(event);
}

bool FrmCampos::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseMove) {
        if (watched == ImgCancelar) {
            Shape1->show();
            return true;
        }
        if (watched == Label1) Shape1->hide();
        return QDialog::eventFilter(watched, event);
    }
    if (event->type() != QEvent::MouseButtonPress && event->type() != QEvent::MouseButtonRelease) {
        return QDialog::eventFilter(watched, event);
    }
    auto* mouse = static_cast<QMouseEvent*>(event);
    if (mouse->button() != Qt::LeftButton) return QDialog::eventFilter(watched, event);
    auto* imagen = qobject_cast<QWidget*>(watched);
    const bool pulsado = event->type() == QEvent::MouseButtonPress;
    // A click: the button released over the image it was pressed on.
    const bool clic = !pulsado && imagen && imagen->rect().contains(mouse->position().toPoint());
    if (watched == ImgSubir || watched == ImgBajar) {
        QFrame& forma = watched == ImgSubir ? *shpSubir : *shpBajar;
        const int sentido = watched == ImgSubir ? -1 : 1;
        if (pulsado) {
            Flecha_MouseDown(forma, sentido);
        } else {
            Flecha_MouseUp(forma);
            if (clic) Mover(sentido);
        }
        return true;
    }
    if (watched == ImgCancelar) {
        if (clic) ImgCancelar_Click();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

}  // namespace authorization
