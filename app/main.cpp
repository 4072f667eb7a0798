// Program entry point: Qt's own texts in Spanish, the regional settings from
// the system locale, the command line handed to the session start-up (its
// password then blanked in the arguments), and the main window. The window's
// load starts the session (which ends the process when no connection opens)
// and loads the list; leaving the window ends the program.
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
    QApplication app(argc, argv);
    ui::InstallSpanishQtTexts();
    AjustaRegional();
    foundation::SetLineaComandoProceso(argc, argv);
    // The password is read: from now on no other user of the machine sees
    // it in the process list.
    foundation::BorraPasswordDeArgumentos(argc, argv);

    authorization::FrmAutorizarNPBloq ventana;
    ventana.Form_Load();
    ventana.show();
    return QApplication::exec();
}
