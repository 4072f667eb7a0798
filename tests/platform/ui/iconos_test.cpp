#include "ui/iconos.h"

#include <QApplication>
#include <QImage>
#include <QPixmap>
#include <QPushButton>
#include <gtest/gtest.h>

namespace {

// The pictures the windows put on their buttons, at the sizes they show them.
constexpr QStyle::StandardPixmap kUsados[] = {
    QStyle::SP_BrowserReload,         QStyle::SP_DialogApplyButton,
    QStyle::SP_DialogCloseButton,     QStyle::SP_DialogResetButton,
    QStyle::SP_FileDialogDetailedView, QStyle::SP_FileDialogListView,
    QStyle::SP_FileDialogContentsView, QStyle::SP_ArrowUp,
    QStyle::SP_ArrowDown,             QStyle::SP_MediaSkipBackward,
    QStyle::SP_MediaSeekBackward,     QStyle::SP_MediaSeekForward,
    QStyle::SP_MediaSkipForward,      QStyle::SP_ToolBarHorizontalExtensionButton,
};
constexpr int kLados[] = {12, 16, 24};

QImage Imagen(const QIcon& icono, int lado, QIcon::Mode modo) {
    return icono.pixmap(QSize(lado, lado), modo).toImage().convertToFormat(QImage::Format_ARGB32);
}

// Read from Qt's files without the style, each picture is the one the style
// gives where the desktop has no icon theme (as here), enabled and disabled,
// at every size a button shows it; any other picture is the style's.
TEST(IconoEstandar, IsTheStylesOwnPictureAtEverySizeAButtonShows) {
    QStyle* estilo = QApplication::style();
    for (const QStyle::StandardPixmap icono : kUsados) {
        SCOPED_TRACE(static_cast<int>(icono));
        const QIcon nuestro = ui::IconoEstandar(icono);
        const QIcon delEstilo = estilo->standardIcon(icono);  // asked for the same sizes in the same order
        ASSERT_FALSE(nuestro.isNull());
        for (const int lado : kLados) {
            for (const QIcon::Mode modo : {QIcon::Normal, QIcon::Disabled}) {
                EXPECT_TRUE(Imagen(nuestro, lado, modo) == Imagen(delEstilo, lado, modo)) << lado << " " << modo;
            }
        }
    }
    EXPECT_TRUE(Imagen(ui::IconoEstandar(QStyle::SP_DriveHDIcon), 16, QIcon::Normal) ==
                Imagen(estilo->standardIcon(QStyle::SP_DriveHDIcon), 16, QIcon::Normal));
}

TEST(IconoEstandar, IsMadeOnceAndSharedByEveryButton) {
    QPushButton uno;
    QPushButton otro;
    ui::PonerIcono(uno, QStyle::SP_ArrowUp);
    ui::PonerIcono(otro, QStyle::SP_ArrowUp);
    EXPECT_EQ(uno.icon().cacheKey(), otro.icon().cacheKey());
    EXPECT_NE(uno.icon().cacheKey(), ui::IconoEstandar(QStyle::SP_ArrowDown).cacheKey());
}

}  // namespace
