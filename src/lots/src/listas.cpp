#include "lots/listas.h"

#include "vb/text.h"

namespace lots {

std::vector<std::string> TokensDeLista(std::string_view lista) {
    std::vector<std::string> tokens;
    const std::string texto = vb::Trim(lista);
    std::string_view resto = texto;
    if (!resto.empty() && resto.front() == '|') resto.remove_prefix(1);
    // "|" is one byte and never part of a longer UTF-8 sequence, so a byte
    // search finds exactly the separators.
    for (;;) {
        const std::size_t barra = resto.find('|');
        if (barra == std::string_view::npos) break;
        tokens.emplace_back(resto.substr(0, barra));
        resto.remove_prefix(barra + 1);
        if (vb::Trim(resto).empty()) break;
    }
    return tokens;
}

LoteSerie PartesDeToken(std::string_view token) {
    // The two bytes of character 255 start with a lead byte, so a byte search
    // can only find whole characters.
    const std::size_t separador = token.find(vb::kChr255);
    if (separador == std::string_view::npos) return {std::string(token), {}};
    return {std::string(token.substr(0, separador)), std::string(token.substr(separador + vb::kChr255.size()))};
}

}  // namespace lots
