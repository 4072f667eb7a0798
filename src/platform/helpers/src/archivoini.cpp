#include <filesystem>
#include <sstream>

#include "helpers/helpers.h"
#include "vb/error.h"
#include "vb/files.h"
#include "vb/text.h"

namespace helpers {

namespace {

// Blanks and tabs around a name or value.
std::string TrimBlanks(std::string_view s) {
    const auto first = s.find_first_not_of(" \t");
    if (first == std::string_view::npos) return {};
    const auto last = s.find_last_not_of(" \t");
    return std::string(s.substr(first, last - first + 1));
}

std::filesystem::path Resolve(std::string_view archivo) {
    std::filesystem::path path{std::string(archivo)};
    if (path.is_relative()) {
        path = std::filesystem::path(gFunciones().RutaConBarra(gFunciones().RutaAplicacion())) / path;
    }
    return path;
}

}  // namespace

// Lines are "[section]", "key=value", or comments starting with ";" or "#".
// A name that stands for no regular file (a folder, a FIFO) is refused
// without waiting on it: error 75.
// The first occurrence of the key in a section of that name wins. A value
// enclosed in double quotes loses them.
std::string ClsArchivoIni::LeeIni(std::string_view archivo, std::string_view seccion, std::string_view clave,
                                  std::string_view porDefecto) const {
    std::optional<std::string> contenido;
    try {
        contenido = vb::ReadRegularFile(Resolve(archivo).string());
    } catch (const vb::Error& e) {
        throw vb::Error(e.Number(), "No se lee la configuración: " + e.Description(), e.Source());
    }
    if (!contenido) return std::string(porDefecto);
    std::istringstream in(*contenido);
    const std::string wantedSection = TrimBlanks(seccion);
    const std::string wantedKey = TrimBlanks(clave);
    bool inSection = false;
    std::string line;
    bool first = true;
    while (std::getline(in, line)) {
        if (first && line.starts_with("\xEF\xBB\xBF")) line.erase(0, 3);
        first = false;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        const std::string text = TrimBlanks(line);
        if (text.empty() || text.front() == ';' || text.front() == '#') continue;
        if (text.front() == '[') {
            const auto close = text.rfind(']');
            if (close == std::string::npos || close == 0) continue;
            inSection = vb::Equals(TrimBlanks(std::string_view(text).substr(1, close - 1)), wantedSection,
                                   vb::Compare::Text);
            continue;
        }
        if (!inSection) continue;
        const auto eq = text.find('=');
        if (eq == std::string::npos) continue;
        if (!vb::Equals(TrimBlanks(std::string_view(text).substr(0, eq)), wantedKey, vb::Compare::Text)) continue;
        std::string value = TrimBlanks(std::string_view(text).substr(eq + 1));
        if (value.size() >= 2 && value.front() == '"' && value.back() == '"') value = value.substr(1, value.size() - 2);
        return value;
    }
    return std::string(porDefecto);
}

ClsArchivoIni& gArchivoIni() {
    static ClsArchivoIni instance;
    return instance;
}

}  // namespace helpers
