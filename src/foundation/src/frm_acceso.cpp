#include "foundation/frm_acceso.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

namespace foundation {

namespace {

QLineEdit* NewTextBox(const char* name, QWidget* parent) {
    auto* box = new QLineEdit(parent);
    box->setObjectName(name);
    return box;
}

QLabel* NewLabel(const char* name, const QString& caption, QWidget* buddy, QWidget* parent) {
    auto* label = new QLabel(caption, parent);
    label->setObjectName(name);
    label->setBuddy(buddy);
    return label;
}

}  // namespace

frmAcceso::frmAcceso(QWidget* parent) : QDialog(parent) {
    setObjectName("frmAcceso");
    setWindowTitle(QStringLiteral("Control de Acceso"));
    setModal(true);

    framAcceso = new QGroupBox(this);
    framAcceso->setObjectName("framAcceso");

    TxtUserId = NewTextBox("TxtUserId", framAcceso);
    TxtUserPassword = NewTextBox("TxtUserPassword", framAcceso);
    TxtUserPassword->setEchoMode(QLineEdit::Password);
    // One "*" for every character, whatever the style's own mask.
    TxtUserPassword->setStyleSheet(QStringLiteral("QLineEdit { lineedit-password-character: 42; }"));
    TxtDbName = NewTextBox("TxtDbName", framAcceso);
    TxtServidor = NewTextBox("TxtServidor", framAcceso);

    lbUsuario = NewLabel("lbUsuario", QStringLiteral("&Usuario"), TxtUserId, framAcceso);
    lbcontrasena = NewLabel("lbcontrasena", QStringLiteral("&Contraseña"), TxtUserPassword, framAcceso);
    Label1 = NewLabel("Label1", QStringLiteral("&Base de Datos"), TxtDbName, framAcceso);
    Label2 = NewLabel("Label2", QStringLiteral("&Servidor"), TxtServidor, framAcceso);

    CboPlataformaDB = new QComboBox(framAcceso);
    CboPlataformaDB->setObjectName("CboPlataformaDB");
    CboPlataformaDB->addItem(QStringLiteral("SQL Server"));
    CboPlataformaDB->addItem(QStringLiteral("ORACLE"));

    auto* grid = new QGridLayout(framAcceso);
    grid->addWidget(lbUsuario, 0, 0);
    grid->addWidget(TxtUserId, 0, 1);
    grid->addWidget(lbcontrasena, 1, 0);
    grid->addWidget(TxtUserPassword, 1, 1);
    grid->addWidget(Label1, 2, 0);
    grid->addWidget(TxtDbName, 2, 1);
    grid->addWidget(Label2, 3, 0);
    grid->addWidget(TxtServidor, 3, 1);
    grid->addWidget(CboPlataformaDB, 4, 1);

    bcAceptar = new QPushButton(QStringLiteral("Aceptar"), this);
    bcAceptar->setObjectName("bcAceptar");
    bcAceptar->setDefault(true);
    bcAceptar->setAutoDefault(true);
    bcCancelar = new QPushButton(QStringLiteral("Cancelar"), this);
    bcCancelar->setObjectName("bcCancelar");
    bcCancelar->setAutoDefault(false);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(bcAceptar);
    buttons->addWidget(bcCancelar);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(framAcceso);
    layout->addLayout(buttons);

    setTabOrder(TxtUserId, TxtUserPassword);
    setTabOrder(TxtUserPassword, TxtDbName);
    setTabOrder(TxtDbName, TxtServidor);
    setTabOrder(TxtServidor, CboPlataformaDB);
    setTabOrder(CboPlataformaDB, bcAceptar);
    setTabOrder(bcAceptar, bcCancelar);

    connect(bcAceptar, &QPushButton::clicked, this, [this] { bcAceptar_Click(); });
    connect(bcCancelar, &QPushButton::clicked, this, [this] { bcCancelar_Click(); });

    // Form_Load: the centre of the screen.
    adjustSize();
    if (QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->geometry();
        move(area.width() / 2 - width() / 2, area.height() / 2 - height() / 2);
    }
}

void frmAcceso::bcAceptar_Click() {
    Aceptar = true;
    accept();  // hides the form
}

void frmAcceso::bcCancelar_Click() { reject(); }

void frmAcceso::reject() {
    Aceptar = false;
    QDialog::reject();
}

}  // namespace foundation
