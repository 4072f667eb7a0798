#include "ui/iconos.h"

#include <QAbstractButton>
#include <QApplication>
#include <QFile>
#include <QHash>
#include <QPointer>
#include <QSize>
#include <QString>

#include <initializer_list>

namespace ui {

namespace {

constexpr const char* kCarpetaQt = ":/qt-project.org/styles/commonstyle/images/";

// Qt's own file names of the pictures the program's windows use.
const char* NombreQt(QStyle::StandardPixmap icono) {
    switch (icono) {
    case QStyle::SP_BrowserReload: return "refresh";
    case QStyle::SP_DialogApplyButton: return "standardbutton-apply";
    case QStyle::SP_DialogCloseButton: return "standardbutton-close";
    case QStyle::SP_DialogResetButton: return "standardbutton-clear";
    case QStyle::SP_FileDialogDetailedView: return "viewdetailed";
    case QStyle::SP_FileDialogListView: return "viewlist";
    case QStyle::SP_FileDialogContentsView: return "filecontents";
    case QStyle::SP_ArrowUp: return "up";
    case QStyle::SP_ArrowDown: return "down";
    case QStyle::SP_MediaSkipBackward: return "media-skip-backward";
    case QStyle::SP_MediaSeekBackward: return "media-seek-backward";
    case QStyle::SP_MediaSeekForward: return "media-seek-forward";
    case QStyle::SP_MediaSkipForward: return "media-skip-forward";
    case QStyle::SP_ToolBarHorizontalExtensionButton: return "toolbar-ext-h";
    default: return nullptr;
    }
}

// The picture from Qt's files of the sizes buttons show (up to 32 pixels);
// an empty icon when Qt has no such files.
QIcon DeArchivosQt(const char* nombre) {
    QIcon icono;
    for (const int lado : {8, 16, 24, 32}) {
        const QString archivo = QString::fromLatin1(kCarpetaQt) + QLatin1String(nombre) + u'-' +
                                QString::number(lado) + QStringLiteral(".png");
        if (QFile::exists(archivo)) icono.addFile(archivo, QSize(lado, lado));
    }
    return icono;
}

// The pictures made, a child of the application object so that none
// outlives it.
class Iconos final : public QObject {
public:
    explicit Iconos(QObject* app) : QObject(app) {}

    QIcon Icono(QStyle::StandardPixmap icono) {
        auto it = hechos_.find(icono);
        if (it == hechos_.end()) {
            QIcon hecho;
            if (const char* nombre = NombreQt(icono)) hecho = DeArchivosQt(nombre);
            if (hecho.isNull()) hecho = QApplication::style()->standardIcon(icono);
            it = hechos_.insert(icono, hecho);
        }
        return *it;
    }

private:
    QHash<int, QIcon> hechos_;
};

Iconos& LosIconos() {
    static QPointer<Iconos> iconos;
    if (!iconos) iconos = new Iconos(QCoreApplication::instance());
    return *iconos;
}

}  // namespace

QIcon IconoEstandar(QStyle::StandardPixmap icono) { return LosIconos().Icono(icono); }

void PonerIcono(QAbstractButton& boton, QStyle::StandardPixmap icono) { boton.setIcon(IconoEstandar(icono)); }

}  // namespace ui
