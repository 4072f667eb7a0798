#include "helpers/helpers.h"

namespace helpers {

namespace {
constexpr int kEnter = 13, kTab = 9, kEscape = 27, kUp = 38, kDown = 40;
}

// Lets control and printable characters through; only a value that is no
// character at all (negative, a surrogate or beyond Unicode) is cancelled.
void ClsTeclado::FiltraTecla(QWidget* /*caja*/, int& keyAscii) const {
    if (keyAscii < 0 || keyAscii > 0x10FFFF || (keyAscii >= 0xD800 && keyAscii <= 0xDFFF)) keyAscii = 0;
}

bool ClsTeclado::TeclaFinEdicion(int& keyCode) const {
    return keyCode == kEnter || keyCode == kTab || keyCode == kEscape || keyCode == kUp || keyCode == kDown;
}

ClsTeclado& gTeclado() {
    static ClsTeclado instance;
    return instance;
}

}  // namespace helpers
