// The error routine shared by ClsFunciones::ManejaError and
// DB_Dll.TratamientoErrores: it shows a run-time error to the operator,
// appends one line to the error log and returns the operator's answer
// (4 repeat the failing statement, 5 go on, anything else leave).
//
// The log only grows; it is opened, appended to and closed within one call.
// The log is kept readable and writable by its owner only (a log the program
// owns is made so whenever it is written), and values of
// "pwd=" and "password=" keys never reach it. A log that cannot be written
// does not stop the routine: the box is still shown, the answer returned, and
// the failure reported on stderr. User-interface thread only.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "vb/datetime.h"
#include "vb/error.h"

namespace helpers {

// Abort, Retry and Ignore with the critical icon.
inline constexpr int kDefaultErrorStyle = 18;

// Name of the log file in the application folder.
inline constexpr const char* kErrorLogName = "TSERR.LOG";

// Shows the error and logs it; returns the answer of the box, or 0 (nothing
// shown, nothing logged) when the error number is 0. `botones` is the box
// style (kDefaultErrorStyle when omitted); `rutina` the failing routine.
int ReportError(const vb::Error& err, std::optional<int> botones, std::optional<std::string> rutina,
                const std::string& logPath);

// The application folder with "TSERR.LOG".
std::string DefaultErrorLogPath();
// gLogErr as it stands when not empty, else the default log.
std::string ErrorLogPath(const std::string& gLogErr);

// The word logged for an answer: "Reintentar", "Ignorar", "Abortar",
// "Cancelar", "Sí", "No", or "" for any other (OK).
std::string AnswerWord(int answer);

// " - " and the routine name when one is given, else "".
std::string RoutinePart(const std::optional<std::string>& rutina);
// "Ha ocurrido el Siguiente Error (<number>) <description trimmed>".
std::string ErrorMessage(const vb::Error& err);
// The source, the routine part and " Aviso al operador!!! ".
std::string ErrorTitle(std::string_view source, std::string_view routinePart);

// The text with the value of every "pwd=" or "password=" key (any case, blanks
// allowed before "=") up to the next ";" replaced by "****"; a value quoted
// as in connection strings ("...", '...' or {...}) is hidden whole.
std::string RedactPasswords(std::string_view text);

// One log line, CR LF ended, passwords redacted, line breaks inside the
// message made blanks:
// "mm-dd-yyyy hh:mm:ss Rutina: <routine part trimmed> Mensaje <message
// trimmed> Respondió : <answer word>".
std::string ErrorLogLine(const vb::DateParts& when, std::string_view routinePart, std::string_view message,
                         int answer);

// Appends the line to the log, creating it with mode 0600 and taking group
// and others' rights from a log of the same owner. On failure reports
// on stderr (with the line, so it is not lost) and returns false.
bool AppendErrorLog(const std::string& logPath, std::string_view line);

}  // namespace helpers
