// Program entry point: the command line handed to the session start-up and
// its password blanked in the arguments, before anything else; then Qt's own
// texts in Spanish, the regional settings from the system locale, and the
// main window. The window's load starts the session (which ends the process
// when no connection opens) and loads the list; leaving the window ends the
// program.
#include <QApplication>
#include <QLocale>

#include "authorization/frm_autorizar_np_bloq.h"
#include "foundation/session.h"
#include "ui/language.h"
#include "vb/regional.h"

namespace {

// The decimal and thousands separators of the system locale; dates stay day first.
void AjustaRegional() {
    vb::Regional regional = vb::GetRegional();
    const QLocale sistema = QLocale::system();
    if (sistema.decimalPoint() == QStringLiteral(".")) {
        regional.decimalSeparator = ".";
        regional.thousandsSeparator = ",";
    } else {
        regional.decimalSeparator = ",";
        regional.thousandsSeparator = ".";
    }
    vb::SetRegional(regional);
}

}  // namespace

int main(int argc, char** argv) {
    // The very first step: from here on no other user of the machine sees
    // the password in the process list (it could only during the moment
    // the process took to get here).
    foundation::SetLineaComandoProceso(argc, argv);
    foundation::BorraPasswordDeArgumentos(argc, argv);

    QApplication app(argc, argv);
    ui::InstallSpanishQtTexts();
    AjustaRegional();

    authorization::FrmAutorizarNPBloq ventana;
    ventana.Form_Load();
    ventana.show();
    return QApplication::exec();
}
