// DB_Dll: the single instance, the connection's dialect, the statement log and
// the error routine.
#include "foundation/db_dll.h"

#include <cstdlib>
#include <cstring>
#include <iostream>

#include "db_dll_internal.h"
#include "helpers/error_routine.h"
#include "vb/conv.h"
#include "vb/datetime.h"
#include "vb/files.h"

namespace foundation {

namespace {

// Debug log of the statements: a no-op unless TARVOLIN_SQL_LOG names a file.
// It holds the company's data, so it is kept owner-only, as the error log.
// A log that cannot be written is said once on stderr.
void RegistraSentencia(const std::string& sql) {
    const char* path = std::getenv("TARVOLIN_SQL_LOG");
    if (path == nullptr || *path == '\0') return;
    static bool avisado = false;
    if (const int err = vb::AppendPrivately(path, sql + '\n'); err != 0 && !avisado) {
        avisado = true;
        std::cerr << "Tarvolin: cannot write the statement log " << path << ": " << std::strerror(err) << std::endl;
    }
}

}  // namespace

DB_Dll::DB_Dll() { gCnn.SetStatementLogger(RegistraSentencia); }

DB_Dll& Db() {
    static DB_Dll instance;
    return instance;
}

bool DB_Dll::EsOracle() const {
    return gCnn.State() == adodb::adStateOpen && gCnn.GetDialect() == adodb::Dialect::Oracle;
}

void DB_Dll::OpenLocalADODB(const std::string&, const std::string&, const std::string&) {}

void DB_Dll::SetArchivoErrores(const vb::Variant& vNewValue) { gLogErr = vb::CStr(vNewValue); }

vb::ErrorHandler DB_Dll::Manejador(std::optional<std::string> Rutina) {
    return [this, Rutina = std::move(Rutina)](const vb::Error& error) {
        return TratamientoErrores(error, std::nullopt, Rutina);
    };
}

vb::ErrorHandler Tratamiento(std::optional<std::string> Rutina) { return Db().Manejador(std::move(Rutina)); }

int DB_Dll::TratamientoErrores(const vb::Error& CodErr, std::optional<int> Botones,
                               std::optional<std::string> Rutina) {
    return helpers::ReportError(CodErr, Botones, std::move(Rutina), helpers::ErrorLogPath(gLogErr));
}

namespace detail {

void AnotaError(const std::string& gLogErr, const vb::Error& error,
                const std::optional<std::string>& rutina, int answer) {
    AnotaMensaje(gLogErr, rutina, helpers::ErrorMessage(error), answer);
}

void AnotaMensaje(const std::string& gLogErr, const std::optional<std::string>& rutina,
                  const std::string& mensaje, int answer) {
    helpers::AppendErrorLog(helpers::ErrorLogPath(gLogErr),
                            helpers::ErrorLogLine(vb::Now().Parts(), helpers::RoutinePart(rutina), mensaje, answer));
}

}  // namespace detail

}  // namespace foundation
