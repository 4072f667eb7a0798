// MenuExes: starts a sibling program of the suite with the session on its
// command line.

#include "foundation/menu_exes.h"

#include <QFileInfo>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <optional>

#include "foundation/db_dll.h"
#include "foundation/session.h"
#include "helpers/helpers.h"
#include "ui/msgbox.h"
#include "vb/error.h"
#include "vb/steps.h"
#include "vb/text.h"

namespace foundation {
namespace {

// The session as the started program's start-up reads it. The order is fixed:
// a reader that takes a key's first occurrence must meet "@usuario=" before
// "@UsuarioLogeado".
std::string ArgumentText(const DB_Dll& db, const std::string& parametroAdicional) {
    return " ; @server=" + db.gServidor + "; @dbname=" + db.gDBName + "; @usuario=" + db.gUsuario +
           "; @Password=" + db.gUserPassWord + "; @ParametroAdicional=" + parametroAdicional +
           "; zelt@ ; @UsuarioLogeado = " + gUsuarioLogeado + "; @Caja=" + gCaja + ";";
}

std::string ProgramPath(const std::string& exe) {
    const std::string name = vb::Mid(exe, 7);
    if (vb::Contains(exe, "/") || vb::Contains(exe, "\\")) return name;
    const helpers::ClsFunciones& funciones = helpers::gFunciones();
    return funciones.RutaConBarra(funciones.RutaAplicacion()) + name;
}

}  // namespace

Lanzador LanzadorDelSistema() {
    return [](const std::string& programa, const std::string& argumento) -> long {
        const QString program = QString::fromStdString(programa);
        if (!QFileInfo::exists(program)) {
            throw vb::Error(vb::kErrFileNotFound, "File not found: " + programa);
        }
        qint64 pid = 0;
        if (!QProcess::startDetached(program, QStringList{QString::fromStdString(argumento)},
                                     QString(), &pid)) {
            throw vb::Error(vb::kErrPermissionDenied, "The program cannot be started: " + programa);
        }
        return static_cast<long>(pid);
    };
}

void MenuExes(const std::string& Exe, const std::string& ParametroAdicional, long& TaskId,
              const Lanzador& Lanzar) {
    DB_Dll& db = Db();
    std::string argumento;
    std::string programa;
    vb::RunSteps(
        {
            [&] { argumento = ArgumentText(db, ParametroAdicional); },
            [&] { programa = ProgramPath(Exe); },
            [&] {
                TaskId = 0;  // nothing started until the launcher says otherwise
                TaskId = Lanzar(programa, argumento);
            },
            [&] {
                if (TaskId == 0) {
                    ui::MsgBox("Opcion no Implementada!" + vb::Chr(13) +
                                   "Comuniquese con su proveedor de sistemas",
                               ui::vbCritical + ui::vbOKOnly, "Atención");
                }
            },
        },
        db.Manejador("MenuExes"));
}

}  // namespace foundation
