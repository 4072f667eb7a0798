#include <pwd.h>
#include <unistd.h>

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <climits>
#include <cstdlib>
#include <vector>

#include "helpers/helpers.h"

namespace helpers {

std::string ClsEstacion::NombrePC() const {
    char name[HOST_NAME_MAX + 1] = {};
    if (::gethostname(name, sizeof name - 1) != 0) return {};
    return name;
}

// The login name of the user the program runs as; the environment only when
// the user database has no entry for it.
std::string ClsEstacion::NombreUsuario() const {
    long size = ::sysconf(_SC_GETPW_R_SIZE_MAX);
    std::vector<char> buffer(size > 0 ? static_cast<std::size_t>(size) : 16384);
    passwd entry{};
    passwd* found = nullptr;
    if (::getpwuid_r(::geteuid(), &entry, buffer.data(), buffer.size(), &found) == 0 && found &&
        found->pw_name) {
        return found->pw_name;
    }
    for (const char* var : {"USER", "LOGNAME"}) {
        if (const char* value = std::getenv(var); value && *value) return value;
    }
    return {};
}

// Centres a top-level form on its parent window, or on its screen.
void ClsEstacion::AjustaFormulario(QWidget* formulario) const {
    if (!formulario || !formulario->isWindow()) return;
    QRect area;
    if (const QWidget* parent = formulario->parentWidget()) {
        area = parent->window()->frameGeometry();
    } else if (const QScreen* screen = formulario->screen()) {
        area = screen->availableGeometry();
    }
    if (!area.isValid()) return;
    QRect frame = formulario->frameGeometry();
    frame.moveCenter(area.center());
    formulario->move(frame.topLeft());
}

ClsEstacion& gEstacion() {
    static ClsEstacion instance;
    return instance;
}

}  // namespace helpers
