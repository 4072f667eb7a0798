#include "ui/language.h"

#include <QCoreApplication>
#include <QDir>
#include <QLibraryInfo>
#include <QTranslator>

#include <iostream>

namespace ui {

bool InstallSpanishQtTexts() {
    QCoreApplication* app = QCoreApplication::instance();
    const QString folder = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
    const QString file = QDir(folder).filePath(QStringLiteral("qtbase_es.qm"));
    if (app == nullptr) {
        std::cerr << "Tarvolin: Qt's Spanish texts need a running application\n";
        return false;
    }
    auto* translator = new QTranslator(app);
    if (!translator->load(file) || !QCoreApplication::installTranslator(translator)) {
        delete translator;
        std::cerr << "Tarvolin: Qt's Spanish texts cannot be loaded from " << file.toStdString()
                  << " (Debian package qt6-translations-l10n); Qt's own buttons stay in English\n";
        return false;
    }
    return true;
}

}  // namespace ui
