#include "helpers/error_routine.h"

#include <cstdio>
#include <cstring>
#include <iostream>

#include "helpers/helpers.h"
#include "ui/msgbox.h"
#include "vb/files.h"
#include "vb/text.h"

namespace helpers {

namespace {

// Length of `key` followed by optional blanks and "=" at `pos` (case
// ignored), or 0 when there is no such key there.
std::size_t KeyWithEqualsAt(std::string_view text, std::size_t pos, std::string_view key) {
    if (!vb::StartsWith(text.substr(pos), key, vb::Compare::Text)) return 0;
    std::size_t j = pos + key.size();
    while (j < text.size() && text[j] == ' ') ++j;
    if (j < text.size() && text[j] == '=') return j + 1 - pos;
    return 0;
}

// End of the value that starts at `pos`: the next ";", or for a value quoted
// as connection strings quote it ("...", '...' or {...}, the closing mark
// doubled inside) the first ";" after its closing mark.
std::size_t ValueEnd(std::string_view text, std::size_t pos) {
    while (pos < text.size() && (text[pos] == ' ' || text[pos] == '\t')) ++pos;
    if (pos < text.size() && (text[pos] == '"' || text[pos] == '\'' || text[pos] == '{')) {
        const char close = text[pos] == '{' ? '}' : text[pos];
        for (++pos; pos < text.size(); ++pos) {
            if (text[pos] != close) continue;
            if (pos + 1 < text.size() && text[pos + 1] == close) {
                ++pos;
                continue;
            }
            break;
        }
    }
    const std::size_t semicolon = text.find(';', pos);
    return semicolon == std::string_view::npos ? text.size() : semicolon;
}

}  // namespace

std::string RedactPasswords(std::string_view text) {
    static constexpr std::string_view kKeys[] = {"password", "pwd"};
    std::string out;
    out.reserve(text.size());
    std::size_t i = 0;
    while (i < text.size()) {
        std::size_t matched = 0;
        for (std::string_view key : kKeys) {
            if ((matched = KeyWithEqualsAt(text, i, key)) != 0) break;
        }
        if (matched == 0) {
            out += text[i++];
            continue;
        }
        out.append(text.substr(i, matched));
        out += "****";
        i = ValueEnd(text, i + matched);
    }
    return out;
}

std::string AnswerWord(int answer) {
    switch (answer) {
    case ui::vbRetry: return "Reintentar";
    case ui::vbIgnore: return "Ignorar";
    case ui::vbAbort: return "Abortar";
    case ui::vbCancel: return "Cancelar";
    case ui::vbYes: return "Sí";
    case ui::vbNo: return "No";
    default: return "";
    }
}

std::string RoutinePart(const std::optional<std::string>& rutina) {
    return rutina ? " - " + *rutina : std::string();
}

std::string ErrorMessage(const vb::Error& err) {
    return "Ha ocurrido el Siguiente Error (" + std::to_string(err.Number()) + ") " + vb::Trim(err.Description());
}

std::string ErrorTitle(std::string_view source, std::string_view routinePart) {
    return std::string(source) + std::string(routinePart) + " Aviso al operador!!! ";
}

namespace {

// The text with each run of line breaks made one blank: one error, one line.
std::string OneLine(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\r' && text[i] != '\n') {
            out += text[i];
        } else if (i == 0 || (text[i - 1] != '\r' && text[i - 1] != '\n')) {
            out += ' ';
        }
    }
    return out;
}

}  // namespace

std::string ErrorLogLine(const vb::DateParts& when, std::string_view routinePart, std::string_view message,
                         int answer) {
    char stamp[32];
    std::snprintf(stamp, sizeof stamp, "%02d-%02d-%04d %02d:%02d:%02d", when.month, when.day, when.year,
                  when.hour, when.minute, when.second);
    std::string line = stamp;
    line += " Rutina: " + RedactPasswords(vb::Trim(routinePart));
    line += " Mensaje " + RedactPasswords(vb::Trim(OneLine(message)));
    line += " Respondió : " + AnswerWord(answer);
    line += vb::kCrLf;
    return line;
}

std::string DefaultErrorLogPath() {
    return gFunciones().RutaConBarra(gFunciones().RutaAplicacion()) + kErrorLogName;
}

std::string ErrorLogPath(const std::string& gLogErr) {
    return gLogErr.empty() ? DefaultErrorLogPath() : gLogErr;
}

bool AppendErrorLog(const std::string& logPath, std::string_view line) {
    // The log may hold what the operator saw of the data: owner-only.
    const int err = vb::AppendPrivately(logPath, line);
    if (err == 0) return true;
    std::cerr << "Tarvolin: cannot write the error log " << logPath << ": " << std::strerror(err)
              << "\nTarvolin: " << line << std::flush;
    return false;
}

int ReportError(const vb::Error& err, std::optional<int> botones, std::optional<std::string> rutina,
                const std::string& logPath) {
    const std::string routinePart = RoutinePart(rutina);
    const std::string message = ErrorMessage(err);
    const std::string title = ErrorTitle(err.Source(), routinePart);
    const int style = botones.value_or(kDefaultErrorStyle);
    if (err.Number() == 0) return 0;

    // The routine's own failures are skipped. A box that cannot be shown (no
    // windows) leaves the answer 0, so the caller leaves the procedure; the
    // error still reaches the log.
    int answer = 0;
    try {
        answer = ui::MsgBox(message, style, title);
    } catch (const vb::Error& e) {
        std::cerr << "Tarvolin: " << e.Description() << '\n';
    }
    AppendErrorLog(logPath, ErrorLogLine(vb::Now().Parts(), routinePart, message, answer));
    return answer;
}

int ClsFunciones::ManejaError(const vb::Error& error, std::optional<int> botones,
                              std::optional<std::string> rutina) const {
    return ReportError(error, botones, std::move(rutina), DefaultErrorLogPath());
}

void AlUsuario(const std::function<void()>& handler) {
    try {
        handler();
    } catch (...) {
        gFunciones().ManejaError(vb::CurrentError());
    }
}

}  // namespace helpers
