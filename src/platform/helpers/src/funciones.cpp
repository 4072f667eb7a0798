#include <QApplication>
#include <QWidget>
#include <algorithm>
#include <array>
#include <charconv>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <limits>

#include "db/adodb.h"
#include "helpers/helpers.h"
#include "vb/conv.h"
#include "vb/text.h"

namespace helpers {

namespace {

bool IsBlankChar(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// A number read from text, in plain form: sign, integer digits, fraction
// digits and a decimal exponent.
struct PlainNumber {
    bool negative = false;
    std::string integer;
    std::string fraction;
    int exponent = 0;
};

// Reads a whole text as a number. Either "." or "," is the decimal separator;
// with both present the last one is, and the other groups thousands; a
// separator that appears more than once groups thousands. Blanks around the
// number and an exponent ("1,5E3") are accepted.
std::optional<PlainNumber> ReadNumber(std::string_view text) {
    std::string_view s = text;
    while (!s.empty() && IsBlankChar(s.front())) s.remove_prefix(1);
    while (!s.empty() && IsBlankChar(s.back())) s.remove_suffix(1);
    PlainNumber n;
    std::size_t i = 0;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) n.negative = s[i++] == '-';
    while (i < s.size() && s[i] == ' ') ++i;

    std::size_t end = s.size();
    int exponent = 0;
    if (const std::size_t e = s.find_first_of("eE", i); e != std::string_view::npos) {
        std::string_view exp(s.data() + e + 1, s.size() - e - 1);
        if (!exp.empty() && exp.front() == '+') exp.remove_prefix(1);
        const auto [ptr, ec] = std::from_chars(exp.data(), exp.data() + exp.size(), exponent);
        if (ec != std::errc() || ptr != exp.data() + exp.size() || exp.empty()) return std::nullopt;
        end = e;
    }
    const std::string_view body(s.data() + i, end - i);
    if (body.empty()) return std::nullopt;

    const std::size_t lastDot = body.rfind('.'), lastComma = body.rfind(',');
    const std::size_t dots = static_cast<std::size_t>(std::count(body.begin(), body.end(), '.'));
    const std::size_t commas = static_cast<std::size_t>(std::count(body.begin(), body.end(), ','));
    char decimal = 0;
    if (dots && commas) decimal = lastDot > lastComma ? '.' : ',';
    else if (dots == 1) decimal = '.';
    else if (commas == 1) decimal = ',';
    const std::size_t decimalPos = decimal ? body.rfind(decimal) : std::string_view::npos;

    for (std::size_t k = 0; k < body.size(); ++k) {
        const char c = body[k];
        if (IsDigit(c)) {
            (k > decimalPos && decimalPos != std::string_view::npos ? n.fraction : n.integer) += c;
        } else if (k == decimalPos) {
            continue;
        } else if ((c == '.' || c == ',') && (decimalPos == std::string_view::npos || k < decimalPos)) {
            continue;  // thousands grouping
        } else {
            return std::nullopt;
        }
    }
    if (n.integer.empty() && n.fraction.empty()) return std::nullopt;
    n.exponent = exponent;
    return n;
}

// Read with the runtime's Val, which (unlike strtod) does not depend on the C
// locale that the application object sets from the user's environment.
double ToDouble(const PlainNumber& n) {
    const std::string plain = (n.negative ? "-" : "") + (n.integer.empty() ? "0" : n.integer) + "." +
                              (n.fraction.empty() ? "0" : n.fraction) + "e" + std::to_string(n.exponent);
    return vb::Val(plain);
}

// Exact conversion to ten-thousandths, halves to even; falls back to the
// double (which raises overflow) for exponents and very long numbers.
vb::Currency ToCurrency(const PlainNumber& n) {
    std::string integer = n.integer;
    while (integer.size() > 1 && integer.front() == '0') integer.erase(integer.begin());
    if (n.exponent != 0 || integer.size() > 14) return vb::Currency::FromDouble(ToDouble(n));
    std::int64_t ticks = 0;
    for (char c : integer) ticks = ticks * 10 + (c - '0');
    for (std::size_t k = 0; k < 4; ++k) ticks = ticks * 10 + (k < n.fraction.size() ? n.fraction[k] - '0' : 0);
    if (n.fraction.size() > 4) {
        const std::string_view rest = std::string_view(n.fraction).substr(4);
        const bool aboveHalf = rest[0] > '5' || (rest[0] == '5' && rest.find_first_not_of('0', 1) != std::string_view::npos);
        const bool exactlyHalf = rest[0] == '5' && !aboveHalf;
        if (aboveHalf || (exactlyHalf && ticks % 2 != 0)) ++ticks;
    }
    return vb::Currency::FromTicks(n.negative ? -ticks : ticks);
}

// Key of the credential transform. Not a secret: it only keeps credentials in
// the INI file from being read at a glance.
constexpr std::array<std::uint8_t, 8> kClave = {0x5A, 0x17, 0xC3, 0x3E, 0x91, 0x0B, 0x6D, 0xE4};

std::uint8_t KeyByte(std::size_t i) { return static_cast<std::uint8_t>(kClave[i % kClave.size()] + 7 * i); }

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

}  // namespace

vb::Currency ClsFunciones::TextoAMoneda(std::string_view texto) const {
    const auto n = ReadNumber(texto);
    return n ? ToCurrency(*n) : vb::Currency();
}

double ClsFunciones::TextoADoble(std::string_view texto) const {
    const auto n = ReadNumber(texto);
    return n ? ToDouble(*n) : 0.0;
}

bool ClsFunciones::EsNumero(std::string_view texto) const { return ReadNumber(texto).has_value(); }

std::int32_t ClsFunciones::TextoALong(std::string_view texto) const { return vb::CLng(TextoADoble(texto)); }

vb::Variant ClsFunciones::ValorCampo(const vb::Variant& value) const {
    if (value.IsNull() || value.IsEmpty()) return vb::Variant(std::string());
    return value;
}

vb::Variant ClsFunciones::ValorCampo(const adodb::Field& field) const { return ValorCampo(field.Value()); }

long ClsFunciones::CuentaPalabras(std::string_view texto) const {
    long words = 0;
    bool inWord = false;
    for (char c : texto) {
        const bool blank = IsBlankChar(c);
        if (!blank && !inWord) ++words;
        inWord = !blank;
    }
    return words;
}

std::string ClsFunciones::QuitaCaracteres(std::string_view texto, std::string_view c1, std::string_view c2,
                                          std::string_view c3) const {
    std::string out(texto);
    for (std::string_view c : {c1, c2, c3}) {
        if (!c.empty()) out = vb::Replace(out, c, "");
    }
    return out;
}

std::string ClsFunciones::Reemplaza(std::string_view texto, std::string_view buscado,
                                    std::string_view reemplazo) const {
    return vb::Replace(texto, buscado, reemplazo, vb::Compare::Binary);
}

std::string ClsFunciones::ReemplazaTexto(std::string_view texto, std::string_view buscado,
                                         std::string_view reemplazo) const {
    return vb::Replace(texto, buscado, reemplazo, vb::Compare::Text);
}

std::string ClsFunciones::AjustaAncho(std::string_view texto, int ancho) const {
    if (vb::Trim(texto).empty()) return {};
    std::string out(texto);
    const std::size_t len = vb::Len(texto);
    if (ancho > 0 && len < static_cast<std::size_t>(ancho)) out += vb::Space(static_cast<std::size_t>(ancho) - len);
    return out;
}

std::string ClsFunciones::RutaConBarra(std::string_view carpeta) const {
    if (carpeta.empty()) return {};  // no folder: names stay relative
    std::string out(carpeta);
    while (!out.empty() && out.back() == '/') out.pop_back();
    return out + "/";
}

std::string ClsFunciones::RutaAplicacion() const {
    if (const char* home = std::getenv("TARVOLIN_HOME"); home && *home) return home;
    std::error_code ec;
    const std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    if (ec) return std::filesystem::current_path(ec).string();
    return exe.parent_path().string();
}

std::string ClsFunciones::CodificaClave(std::string_view texto) const {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(texto.size() * 2);
    for (std::size_t i = 0; i < texto.size(); ++i) {
        const auto b = static_cast<std::uint8_t>(static_cast<std::uint8_t>(texto[i]) ^ KeyByte(i));
        out += kHex[b >> 4];
        out += kHex[b & 0x0F];
    }
    return out;
}

std::string ClsFunciones::DecodificaClave(std::string_view texto) const {
    const std::string code = vb::Trim(texto);
    if (code.size() % 2 != 0) throw vb::InvalidCall("Clave codificada no válida");
    std::string out;
    out.reserve(code.size() / 2);
    for (std::size_t i = 0; i < code.size(); i += 2) {
        const int hi = HexValue(code[i]), lo = HexValue(code[i + 1]);
        if (hi < 0 || lo < 0) throw vb::InvalidCall("Clave codificada no válida");
        out += static_cast<char>(static_cast<std::uint8_t>((hi << 4) | lo) ^ KeyByte(i / 2));
    }
    return out;
}

void ClsFunciones::PreparaFormulario(QWidget* formulario, bool /*flag*/) const {
    // Forms without an icon of their own take the program's.
    if (formulario && formulario->windowIcon().isNull() && !QApplication::windowIcon().isNull()) {
        formulario->setWindowIcon(QApplication::windowIcon());
    }
}

std::string ClsFunciones::QuitaComillas(std::string_view texto) const {
    if (!texto.empty() && texto.front() == '\'') texto.remove_prefix(1);
    if (!texto.empty() && texto.back() == '\'') texto.remove_suffix(1);
    return std::string(texto);
}

bool ClsFunciones::EstaEnLista(const vb::Variant& valor, const std::vector<std::string>& lista) const {
    const std::string text = vb::TextOf(valor);
    for (const std::string& item : lista) {
        if (vb::Equals(text, item, vb::Compare::Text)) return true;
    }
    return false;
}

std::string ClsFunciones::TextoDeValor(const vb::Variant& valor) const {
    if (valor.IsText()) {
        std::string text = std::get<std::string>(valor.Get());
        while (!text.empty() && (text.back() == ' ' || text.back() == '\0')) text.pop_back();
        return text;
    }
    return vb::TextOf(valor);
}

ClsFunciones& gFunciones() {
    static ClsFunciones instance;
    return instance;
}

}  // namespace helpers
