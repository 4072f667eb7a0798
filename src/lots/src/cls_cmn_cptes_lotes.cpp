// ClsCmnCptes: the lists of lots, serials and positions. Pure text routines:
// no database, grid or form, no state between calls.
//
// A list is "|" followed by each token and one "|" after it (|t1|t2|); the
// empty text is the empty list. A pick token joins a lot and a serial with
// character 255 (vb::kChr255, two bytes in UTF-8: the routines never cut a
// text inside it); a position token joins a position and a quantity with
// "*". Tokens compare as text, without regard to case.
#include <algorithm>

#include "documents/cls_cmn_cptes.h"
#include "entrygrids/auxiliares.h"
#include "foundation/db_dll.h"
#include "helpers/helpers.h"
#include "lots/listas.h"
#include "vb/error.h"
#include "vb/text.h"

namespace documents {

namespace {

using lots::TokensDeLista;

constexpr const char* kRutinaDescompone = "Cuenta_Series_Y_Lotes%";
constexpr const char* kRutinaCuenta = "Cuenta_Series_Lotes";

bool EstaEntre(const std::vector<std::string>& textos, const std::string& buscado) {
    return std::any_of(textos.begin(), textos.end(),
                       [&](const std::string& t) { return vb::Equals(t, buscado); });
}

}  // namespace

std::string ClsCmnCptes::StrSerieLote(const std::string& Serie_Lote) {
    std::string resultado;
    vb::RunStep(
        [&] {
            resultado.clear();
            // The empty key is taken from the start, so blank tokens never show.
            std::vector<std::string> tomadas{std::string()};
            for (const std::string& token : TokensDeLista(Serie_Lote)) {
                std::string clave = vb::Trim(token);
                if (EstaEntre(tomadas, clave)) continue;
                resultado += " " + clave;
                tomadas.push_back(std::move(clave));
            }
        },
        foundation::Tratamiento(kRutinaDescompone));
    return resultado;
}

vb::Variant ClsCmnCptes::DescomponeSerieLote(const std::string& Serie_Lote, std::vector<std::string>& Arreglo) {
    Arreglo.assign(1, std::string());
    vb::RunStep(
        [&] {
            Arreglo.assign(1, std::string());
            for (const std::string& token : TokensDeLista(Serie_Lote)) {
                Arreglo.back() = vb::Trim(token);
                Arreglo.emplace_back();
            }
        },
        foundation::Tratamiento(kRutinaDescompone));
    return {};
}

vb::Variant ClsCmnCptes::DescomponePosicionCantidadLote(const std::string& Posicion_Lote,
                                                        const std::string& PIPELotes,
                                                        std::vector<std::string>& ArrPosiciones,
                                                        std::vector<std::string>& ArrCantidades,
                                                        std::vector<std::string>& ArrLote) {
    ArrLote.assign(1, std::string());
    DescomponeSerieLote(Posicion_Lote, ArrPosiciones);
    // One quantity for each position, and the trailing empty element, even
    // when a token cannot be split.
    ArrCantidades.assign(ArrPosiciones.size(), std::string());
    const auto handler = foundation::Tratamiento(kRutinaDescompone);
    for (std::size_t j = 0; j + 1 < ArrPosiciones.size(); ++j) {
        const bool seguir = vb::RunStep(
            [&] {
                std::string& token = ArrPosiciones[j];
                const std::size_t asterisco = token.find('*');
                if (asterisco == std::string::npos) {
                    throw vb::InvalidCall("La posición \"" + token + "\" no tiene su cantidad (falta \"*\")");
                }
                ArrCantidades[j] = token.substr(asterisco + 1);
                token.erase(asterisco);
            },
            handler);
        if (!seguir) return {};
    }
    DescomponeSerieLote(PIPELotes, ArrLote);
    return {};
}

long ClsCmnCptes::Cuenta_Series_Lotes(const std::string& PipeSeries, const std::string& PIPELotes,
                                      const vb::Variant& SinConsolidar) {
    long resultado = 0;
    vb::RunStep(
        [&] {
            std::vector<std::string> series;
            std::vector<std::string> lotes;
            DescomponeSerieLote(PipeSeries, series);
            DescomponeSerieLote(PIPELotes, lotes);
            // Serials, when there are any, are what counts; lots only without them.
            if (!PipeSeries.empty()) {
                lotes.assign(series.size(), std::string());
            } else if (!PIPELotes.empty()) {
                series.assign(lotes.size(), std::string());
            }
            if (entrygrids::Verdadero(SinConsolidar)) {
                resultado = static_cast<long>(series.size()) - 1;
                return;
            }
            std::vector<std::string> claves;
            for (std::size_t i = 0; i < series.size(); ++i) {
                std::string clave = vb::Trim(series[i]) + "|" + vb::Trim(lotes[i]);
                if (vb::Trim(helpers::gFunciones().QuitaCaracteres(clave, "|")).empty()) continue;
                if (!EstaEntre(claves, clave)) claves.push_back(std::move(clave));
            }
            resultado = static_cast<long>(claves.size());
        },
        foundation::Tratamiento(kRutinaCuenta));
    return resultado;
}

std::string ClsCmnCptes::ExtraeSerieLote(const std::string& Serie_Lote, int QuePosicion) {
    const std::vector<std::string> tokens = TokensDeLista(Serie_Lote);
    if (QuePosicion < 1 || static_cast<std::size_t>(QuePosicion) > tokens.size()) return {};
    return tokens[static_cast<std::size_t>(QuePosicion) - 1];
}

long ClsCmnCptes::Cantidad_Series_Lotes(const std::string& Pipes) {
    long resultado = 0;
    vb::RunStep(
        [&] {
            if (Pipes.empty()) {
                resultado = 0;
                return;
            }
            std::vector<std::string> tokens;
            DescomponeSerieLote(Pipes, tokens);
            resultado = static_cast<long>(tokens.size()) - 1;
        },
        foundation::Tratamiento(kRutinaCuenta));
    return resultado;
}

std::string ClsCmnCptes::InsertaCHR255(const std::string& iPipe) {
    // The first character is taken to be the list's leading "|"; it may be a
    // character of several bytes, so it is skipped as a character.
    return "|" + vb::Replace(vb::Mid(iPipe, 2), "|", vb::kChr255 + "|");
}

long ClsCmnCptes::Busca_Lotes_Series(const std::string& PipeSeriesLotes, const std::string& QueSerieLote) {
    long resultado = 0;
    vb::RunStep(
        [&] {
            const std::vector<std::string> tokens = TokensDeLista(PipeSeriesLotes);
            // 0 for a list without tokens; the token count plus one when no
            // token matches.
            if (tokens.empty()) {
                resultado = 0;
                return;
            }
            const std::string buscado = vb::Trim(QueSerieLote);
            resultado = static_cast<long>(tokens.size()) + 1;
            for (std::size_t i = 0; i < tokens.size(); ++i) {
                if (vb::Equals(vb::Trim(tokens[i]), buscado)) {
                    resultado = static_cast<long>(i) + 1;
                    return;
                }
            }
        },
        foundation::Tratamiento(kRutinaCuenta));
    return resultado;
}

}  // namespace documents
