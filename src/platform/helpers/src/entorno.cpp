#include "helpers/helpers.h"

namespace helpers {

// The environment only keeps the application folder it was started with.
void ClsEntorno::IniciaEntorno(std::string_view rutaApp) { rutaApp_ = std::string(rutaApp); }

ClsEntorno& gEntorno() {
    static ClsEntorno instance;
    return instance;
}

}  // namespace helpers
