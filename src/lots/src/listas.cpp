#include "listas.h"

#include <optional>
#include <utility>

#include "foundation/comunes.h"
#include "foundation/db_dll.h"
#include "vb/conv.h"
#include "vb/text.h"

namespace lots::detail {

vb::ErrorHandler Manejador(std::string rutina) {
    return [rutina = std::move(rutina)](const vb::Error& error) {
        return foundation::Db().TratamientoErrores(error, std::nullopt, rutina);
    };
}

bool EsVerdadero(const vb::Variant& valor) {
    if (valor.IsEmpty() || valor.IsNull()) return false;
    if (valor.IsText()) {
        const std::string texto = vb::Trim(vb::TextOf(valor));
        if (texto.empty()) return false;
        if (vb::IsNumeric(texto)) return vb::CDbl(valor) != 0;
        return foundation::TextoABoolean(texto);
    }
    return vb::CDbl(valor) != 0;
}

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

bool IgualesComoTexto(std::string_view a, std::string_view b) { return vb::Equals(a, b, vb::Compare::Text); }

std::string MayusculaInicial(std::string_view texto) {
    std::string resultado;
    bool inicioDePalabra = true;
    const long largo = static_cast<long>(vb::Len(texto));
    for (long i = 1; i <= largo; ++i) {
        const std::string caracter = vb::Mid(texto, i, 1);
        if (caracter == " ") {
            resultado += caracter;
            inicioDePalabra = true;
            continue;
        }
        resultado += inicioDePalabra ? vb::UCase(caracter) : vb::LCase(caracter);
        inicioDePalabra = false;
    }
    return resultado;
}

LoteSerie PartesDeToken(std::string_view token) {
    const std::size_t separador = token.find(vb::kChr255);
    if (separador == std::string_view::npos) return {std::string(token), {}};
    return {std::string(token.substr(0, separador)), std::string(token.substr(separador + vb::kChr255.size()))};
}

}  // namespace lots::detail
