// Opening the session's connection, with the log-in dialog and the connection
// error dialog.
#include <QComboBox>
#include <QLineEdit>
#include <QString>
#include <chrono>
#include <optional>
#include <string>

#include "db/connstring.h"
#include "db/wait_notice.h"
#include "db_dll_internal.h"
#include "foundation/db_dll.h"
#include "foundation/db_dll_connection.h"
#include "foundation/frm_acceso.h"
#include "foundation/sql_literal.h"
#include "ui/msgbox.h"
#include "vb/conv.h"
#include "vb/steps.h"
#include "vb/text.h"

namespace foundation {

namespace {

constexpr const char* kRutinaConexion = "OpenServerADODB";
// The provider's number for a log-in the database refused.
constexpr long kErrAccesoDenegado = -2147217843;

// A wait for other stations this long goes unnoticed; a longer one shows
// its notice, with "Cancelar".
constexpr std::chrono::milliseconds kAvisoDeEsperaTras{500};

std::string Q(const std::string& value) { return adodb::QuoteConnectionValue(value); }

// While the connection opens and its user is checked, a wait for a database
// another station holds (adodb::WaitNotice) shows that it waits, and how
// long, and lets the user give up: the opening then fails as the file busy,
// and the connection error box says so. The notice goes when the step ends.
class AvisoDeEspera {
public:
    explicit AvisoDeEspera(const std::string& base)
        : base_(base), anterior_(adodb::SetWaitNotice([this](std::chrono::milliseconds esperado) {
              return Avisar(esperado);
          })) {}
    ~AvisoDeEspera() {
        adodb::SetWaitNotice(std::move(anterior_));
        if (mostrado_) ui::WaitOver();
    }
    AvisoDeEspera(const AvisoDeEspera&) = delete;
    AvisoDeEspera& operator=(const AvisoDeEspera&) = delete;

private:
    bool Avisar(std::chrono::milliseconds esperado) {
        if (!mostrado_ && esperado < kAvisoDeEsperaTras) return true;
        mostrado_ = true;
        const auto segundos = std::chrono::duration_cast<std::chrono::seconds>(esperado).count();
        return ui::Waiting("Esperando la base de datos " + base_ +
                               ":\notra estación la tiene bloqueada (" + std::to_string(segundos) + " s).",
                           " Conexion a Base de Datos");
    }

    std::string base_;
    adodb::WaitNotice anterior_;
    bool mostrado_ = false;
};

std::string TextOf(const QLineEdit* box) { return box->text().toStdString(); }

// The connection values lead to Oracle: a server marked with "#", or a
// connection string (start-up's, which drops the mark) for the Oracle provider.
bool ConexionOracle(const DB_Dll& db) {
    if (vb::Contains(db.gServidor, "#")) return true;
    const auto proveedor =
        adodb::FindConnectionValue(adodb::ParseConnectionString(db.gConnString), {"Provider"});
    return proveedor && vb::Contains(*proveedor, "OraOLEDB", vb::Compare::Text);
}

// Asks for the connection values, prefilled with the current ones: after a
// failed Oracle connection the dialog opens on "ORACLE" and the server with
// its "#", so that a retry goes to the same engine. Returns gOpenFlag: True
// when the user confirmed, False when he cancelled.
bool PideAcceso(DB_Dll& db) {
    const bool oracle = ConexionOracle(db);
    const std::string servidor = oracle && !vb::Contains(db.gServidor, "#") ? "#" + db.gServidor : db.gServidor;
    frmAcceso form;
    form.TxtDbName->setText(QString::fromStdString(db.gDBName));
    form.TxtServidor->setText(QString::fromStdString(servidor));
    form.TxtUserId->setText(QString::fromStdString(db.gUsuario));
    form.TxtUserPassword->setText(QString::fromStdString(db.gUserPassWord));
    form.CboPlataformaDB->setCurrentIndex(oracle ? 1 : 0);

    ui::ShowModal(form);

    if (form.Aceptar) {
        db.gOpenFlag = true;
        db.gDBName = TextOf(form.TxtDbName);
        db.gServidor = TextOf(form.TxtServidor);
        db.gUsuario = TextOf(form.TxtUserId);
        db.gUserPassWord = TextOf(form.TxtUserPassword);
        if (form.CboPlataformaDB->currentIndex() > 0) {
            db.gProveedor = kProveedorOracle;
            if (!vb::Contains(db.gServidor, "#")) db.gServidor = "#" + db.gServidor;
        } else {
            db.gProveedor = DB_Dll::pSQLOLEDB();
        }
    } else {
        db.gOpenFlag = false;
    }
    return db.gOpenFlag;
}

// " Estado de Sql: ...\rNumero de Error: ...\r... - Desea Intentarlo Nuevamente??? "
std::string TextoErrorConexion(const adodb::ProviderError& e) {
    return " Estado de Sql: " + e.SQLState + "\r" + "Numero de Error: " + std::to_string(e.Number) + "\r" +
           "Descripcion: " + e.Description + "\r" + "Codigo Nativo: " + std::to_string(e.NativeError) +
           "\r" + " - Desea Intentarlo Nuevamente??? ";
}

// On SQLite no server checks who logs in (the file's permissions guard the
// data): the user must be a row of ta_usuarios, the name compared as its
// column compares (COLLATE NOCASE in the schema: SQLite's trim functions
// drop a column's collation, so it is named here), blanks around it aside.
// The user goes on under the name as stored, so that the administrator
// check, the business unit and the actions recorded find that row.
// Otherwise the connection is closed again and the log-in refused with an
// error that is no provider's; a check that fails closes it too, and its
// error goes on to the connection error dialog.
void RequiereUsuarioRegistrado(DB_Dll& db) {
    if (db.gCnn.GetDialect() != adodb::Dialect::Sqlite) return;
    std::optional<std::string> registrado;
    try {
        adodb::Recordset rs;
        rs.Open("SELECT LTRIM(RTRIM(nombre)) FROM ta_usuarios WHERE LTRIM(RTRIM(nombre)) = " +
                    SqlText(vb::Trim(db.gUsuario)) + " COLLATE NOCASE ORDER BY nombre",
                db.gCnn);
        if (!rs.EOF()) registrado = vb::TextOf(rs.Fields(std::size_t{0}).Value());
    } catch (const vb::Error&) {
        db.gCnn.Close();
        throw;
    }
    if (registrado) {
        db.gUsuario = *registrado;
        return;
    }
    db.gCnn.Close();
    db.gCnn.Errors().Clear();
    throw vb::Error(kErrAccesoDenegado, "El usuario \"" + db.gUsuario + "\" no figura en la tabla ta_usuarios de " +
                                            db.gDBName + ": no puede ingresar.");
}

}  // namespace

std::string CadenaConexionOracle(const std::string& DBName, const std::string& Usuario,
                                 const std::string& Password) {
    return std::string("Provider=") + kProveedorOracle + ";Data Source=" + Q(DBName) + ";User Id=" + Q(Usuario) +
           ";Password=" + Q(Password) + ";";
}

std::string ArmaCadenaConexion(const DB_Dll& db) {
    if (vb::Contains(db.gServidor, "#")) return CadenaConexionOracle(db.gDBName, db.gUsuario, db.gUserPassWord);
    return "PROVIDER=" + DB_Dll::pSQLOLEDB() + ";" + "Server=" + Q(db.gServidor) + ";" + "Database =" +
           Q(db.gDBName) + ";" + "UId=" + Q(db.gUsuario) + ";" + "Pwd=" + Q(db.gUserPassWord) + ";" +
           db.gExtended;
}

void DB_Dll::OpenServerADODB(bool PideParametrosSQL, long lCursor, std::string& ConnString, bool ValidaAdmin) {
    gOpenFlag = true;
    if (gProveedor.empty()) gProveedor = pSQLOLEDB();
    gConnString = vb::Trim(ConnString).empty() ? ArmaCadenaConexion(*this) : ConnString;

    if (PideParametrosSQL) {
        if (!PideAcceso(*this)) return;
        gConnString = ArmaCadenaConexion(*this);
    }

    // A provider error offers a retry through the log-in dialog; any other
    // error is shown and leaves gOpenFlag telling whether the connection is open.
    // Every box shown here also leaves its line in the error log.
    const vb::ErrorHandler onError = [this](const vb::Error& err) -> int {
        if (gCnn.Errors().Count() > 0) {
            const std::string text = TextoErrorConexion(gCnn.Errors().Item(0));
            const int respuesta = ui::MsgBox(text, ui::vbYesNo + ui::vbCritical, " Error de Conexion a Base de Datos");
            detail::AnotaMensaje(gLogErr, kRutinaConexion, text, respuesta);
            if (respuesta == ui::vbYes) {
                gCnn.Errors().Clear();
                if (!PideAcceso(*this)) return 0;
                gConnString = ArmaCadenaConexion(*this);
                return vb::kAnswerRepeat;
            }
            gOpenFlag = false;
            return 0;
        }
        detail::AnotaError(gLogErr, err, kRutinaConexion, ui::MsgBox(err.Description()));
        gOpenFlag = gCnn.State() == adodb::adStateOpen;
        return 0;
    };

    vb::RunSteps(
        {
            [&] {
                gCnn.SetCursorLocation(static_cast<int>(lCursor));
                const AvisoDeEspera aviso(gDBName);
                gCnn.Open(gConnString, "", "", -1);
                RequiereUsuarioRegistrado(*this);
            },
            [&] {
                if (!ValidaAdmin) {
                    gEsAdmin = true;
                    return;
                }
                const AvisoDeEspera aviso(gDBName);
                const vb::Variant admin =
                    DatosTabla("ta_usuarios", gUsuario, "Administrador", "nombre", 8, "", true);
                gEsAdmin = vb::Val(vb::TextOf(admin)) == 1;
            },
        },
        onError);
}

}  // namespace foundation
