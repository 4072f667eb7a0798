// Session start-up and the session state it owns.
//
// IniciaSesion turns the command line a sibling program started us with into
// the session: it reads the session keys, opens the one connection through
// Db(), tunes it, and then prepares the environment, the lookup-definition
// file, the configuration and the default database. It runs
// once, on the user-interface thread, before anything else touches the
// database.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "vb/variant.h"

namespace foundation {

// ---- Session state (written by start-up) --------------------------------
extern std::string gTerminal;            // "PC|USER", at most 50 characters
extern vb::Variant gEstiloToolbar;       // leading number of "FlatToolbars" (a Double)
extern std::string gParametroAdicional;  // "@ParametroAdicional"
extern std::string gMenu;                // "@Menu"
extern std::string gUsuarioLogeado;      // the user actually connected
extern std::string gCaja;                // "@Caja", "1" when missing
extern std::string gConexionODBC;        // "DSN=...; UID=...; PWD=..."
extern std::string gRutaMascaraConsultas;  // the lookup-definition file; the lookup service reads it
extern std::int32_t gColorLetra;         // 0x00BBGGRR
extern std::int32_t gColorFondo;

// Name of the configuration file start-up and the form set-up read.
inline constexpr const char* kArchivoIni = "ZE000va.INI";

// Starts the session. UsarIni allows the fall-back to the configuration file
// when the command line is empty; LineaComando, when not empty, is read
// instead of the process's command line; CadenaConexion is handed to
// OpenServerADODB and receives the Oracle string start-up builds. When the
// connection cannot be opened the program ends (see SetTerminaPrograma).
void IniciaSesion(bool& UsarIni, std::string& LineaComando, std::string& CadenaConexion);

// The value of one key of a command line: the first occurrence of Clave
// (without regard to case) that is followed by optional blanks and "=", its
// value running from after that "=" to the next ";" (or the end of the text),
// trimmed. PorDefecto when the key is not there.
std::string LeeClaveLineaComando(std::string_view LineaComando, std::string_view Clave,
                                 std::string_view PorDefecto = {});

// The server part of a server name: "host/INST:99" gives "INST", "SRV01:99"
// gives "SRV01".
std::string ExtraeServidor(const std::string& Texto);

// The process's command line: the arguments after the program's name joined
// by blanks. main hands them over before the main window loads.
void SetLineaComandoProceso(int argc, const char* const* argv);
const std::string& LineaComandoProceso();

// Overwrites with blanks, in the arguments themselves, the value of every
// "@Password" item (as the key reading finds it, also across arguments), so
// that the process list never shows it. main calls it as soon as it has
// handed the arguments to SetLineaComandoProceso, as its first step.
void BorraPasswordDeArgumentos(int argc, char** argv);

// What "the program ends at once" does when no connection could be opened.
// The default ends the process with std::exit(code) and shows nothing more;
// tests install a hook of their own (nullptr restores the default). When the
// hook returns, IniciaSesion returns without running any further step.
using TerminaPrograma = std::function<void(int code)>;
void SetTerminaPrograma(TerminaPrograma hook);

// Exit status of a session that ended because no connection was opened.
inline constexpr int kSalidaSinConexion = 1;

}  // namespace foundation
