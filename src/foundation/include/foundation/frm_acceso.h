// The log-in dialog "Control de Acceso": user, password, database, server and
// platform. Aceptar tells whether the user confirmed; closing the dialog any
// other way counts as cancelling.
#pragma once

#include <QDialog>

class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace foundation {

class frmAcceso : public QDialog {
    Q_OBJECT

public:
    explicit frmAcceso(QWidget* parent = nullptr);

    bool Aceptar = false;  // True when bcAceptar closed the dialog

    QGroupBox* framAcceso;
    QLabel* lbUsuario;
    QLineEdit* TxtUserId;
    QLabel* lbcontrasena;
    QLineEdit* TxtUserPassword;
    QLabel* Label1;
    QLineEdit* TxtDbName;
    QLabel* Label2;
    QLineEdit* TxtServidor;
    QComboBox* CboPlataformaDB;  // "SQL Server", "ORACLE"
    QPushButton* bcAceptar;
    QPushButton* bcCancelar;

public slots:
    void reject() override;  // Esc and the close box

private:
    void bcAceptar_Click();
    void bcCancelar_Click();
};

}  // namespace foundation
