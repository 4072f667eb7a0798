#include "foundation/session.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <initializer_list>
#include <optional>
#include <string>
#include <vector>

#include "db/adodb.h"
#include "foundation/configuracion.h"
#include "foundation/consultas_file.h"
#include "foundation/db_dll.h"
#include "foundation/db_dll_connection.h"
#include "helpers/helpers.h"
#include "ui/msgbox.h"
#include "vb/conv.h"
#include "vb/steps.h"
#include "vb/text.h"

namespace foundation {

std::string gTerminal;
vb::Variant gEstiloToolbar;
std::string gParametroAdicional;
std::string gMenu;
std::string gUsuarioLogeado;
std::string gCaja;
std::string gConexionODBC;
std::string gRutaMascaraConsultas;
std::int32_t gColorLetra = 0;
std::int32_t gColorFondo = 0xFFFFFF;

namespace {

constexpr std::size_t kLargoTerminal = 50;

// The tables start-up reads: the users (the administrator check) and the
// configuration. A database file without them is not opened.
const std::vector<std::string> kTablasDeLaSesion = {"ta_usuarios", "TA_CONFIGURACION"};

std::string& LineaProceso() {
    static std::string linea;
    return linea;
}

TerminaPrograma& Terminador() {
    static TerminaPrograma hook;
    return hook;
}

void Termina(int code) {
    if (Terminador()) Terminador()(code);
    else std::exit(code);
}

// A start-up step that fails is shown and logged; start-up goes on with the
// steps that do not depend on it.
void ReportaFallo(const vb::Error& err) {
    Db().TratamientoErrores(err, ui::vbOKOnly + ui::vbCritical, "IniciaSesion");
}

// Runs steps that depend on one another: error 5 skips a step, any other
// error is reported and ends the group. True when the group ran to its end.
bool Etapa(std::initializer_list<vb::Step> pasos) { return vb::RunStepsSkippingInvalidCall(pasos, ReportaFallo); }

// The command line built from the database section of the configuration
// file, for a session started without one.
std::string LineaDesdeIni() {
    const helpers::ClsFunciones& f = helpers::gFunciones();
    const helpers::ClsEstacion& estacion = helpers::gEstacion();
    const helpers::ClsArchivoIni& ini = helpers::gArchivoIni();
    const std::string seccion =
        vb::UCase(estacion.NombrePC()) + "|" + vb::UCase(estacion.NombreUsuario()) + "BaseDeDatos";
    const auto lee = [&](const char* clave) { return ini.LeeIni(kArchivoIni, seccion, clave, ""); };
    // Credentials are stored encoded; a missing one decodes to the empty text.
    const auto leeClave = [&](const char* clave) {
        return f.DecodificaClave(ini.LeeIni(kArchivoIni, seccion, clave, f.CodificaClave("")));
    };
    const std::string servidor = f.QuitaCaracteres(lee("Servidor"), "|");
    const std::string baseDatos = f.QuitaCaracteres(lee("DbName"), "|");
    const std::string usuario = f.QuitaCaracteres(leeClave("Usuario"), "|");
    const std::string password = f.QuitaCaracteres(leeClave("UserPassWord"), "|");
    return "@server=" + servidor + "; @dbname= " + baseDatos + "; @usuario= " + usuario +
           "; @Password= " + password + "; @ParametroAdicional=; @Caja=1;zelt@";
}

std::string Terminal() {
    const helpers::ClsEstacion& estacion = helpers::gEstacion();
    std::string terminal = vb::UCase(estacion.NombrePC()) + "|" + vb::UCase(estacion.NombreUsuario());
    if (vb::Len(vb::Trim(terminal)) > kLargoTerminal) terminal = vb::Left(terminal, kLargoTerminal);
    return terminal;
}

// The connection values read from the command line.
struct ValoresConexion {
    std::string servidor;
    std::string baseDatos;
    std::string usuario;
    std::string password;
};

ValoresConexion LeeClaves(const std::string& linea) {
    gParametroAdicional = LeeClaveLineaComando(linea, "@ParametroAdicional");
    gMenu = LeeClaveLineaComando(linea, "@Menu");
    ValoresConexion v;
    v.servidor = LeeClaveLineaComando(linea, "@Server");
    v.baseDatos = LeeClaveLineaComando(linea, "@DbName");
    v.usuario = LeeClaveLineaComando(linea, "@Usuario");
    v.password = LeeClaveLineaComando(linea, "@Password");
    gUsuarioLogeado = LeeClaveLineaComando(linea, "@UsuarioLogeado");
    gCaja = LeeClaveLineaComando(linea, "@Caja", "1");
    return v;
}

// Where a key's value lies in a command line: from after its "=" to the next
// ";" (or the end), for the first occurrence of the key at or after `desde`.
struct Tramo {
    std::size_t inicio;
    std::size_t fin;
};

std::optional<Tramo> TramoDeClave(std::string_view linea, std::string_view clave, std::size_t desde = 0) {
    for (;;) {
        const std::size_t p = vb::FindBytes(linea, clave, desde, vb::Compare::Text);
        if (p == std::string_view::npos) return std::nullopt;
        std::size_t j = p + clave.size();
        while (j < linea.size() && linea[j] == ' ') ++j;
        if (j < linea.size() && linea[j] == '=') {
            const std::size_t fin = linea.find(';', j + 1);
            return Tramo{j + 1, fin == std::string_view::npos ? linea.size() : fin};
        }
        desde = p + 1;  // a longer name that begins with this one
    }
}

// The arguments after the program's name joined by blanks.
std::string UneArgumentos(int argc, const char* const* argv) {
    std::string linea;
    for (int i = 1; i < argc; ++i) {
        if (i > 1) linea += ' ';
        linea += argv[i];
    }
    return linea;
}

}  // namespace

std::string LeeClaveLineaComando(std::string_view LineaComando, std::string_view Clave,
                                 std::string_view PorDefecto) {
    const std::optional<Tramo> tramo = TramoDeClave(LineaComando, Clave);
    if (!tramo) return std::string(PorDefecto);
    return vb::Trim(LineaComando.substr(tramo->inicio, tramo->fin - tramo->inicio));
}

std::string ExtraeServidor(const std::string& Texto) {
    std::string servidor = Texto;
    if (const std::size_t barra = servidor.find('/'); barra != std::string::npos) servidor = servidor.substr(barra + 1);
    if (const std::size_t puerto = servidor.find(':'); puerto != std::string::npos) servidor.resize(puerto);
    return servidor;
}

void SetLineaComandoProceso(int argc, const char* const* argv) { LineaProceso() = UneArgumentos(argc, argv); }

void BorraPasswordDeArgumentos(int argc, char** argv) {
    const std::string linea = UneArgumentos(argc, argv);
    for (std::optional<Tramo> tramo = TramoDeClave(linea, "@Password"); tramo;
         tramo = TramoDeClave(linea, "@Password", tramo->fin)) {
        std::size_t inicioArgumento = 0;  // where argv[i] starts in the line
        for (int i = 1; i < argc; ++i) {
            const std::size_t largo = std::strlen(argv[i]);
            const std::size_t desde = std::max(tramo->inicio, inicioArgumento);
            const std::size_t hasta = std::min(tramo->fin, inicioArgumento + largo);
            for (std::size_t j = desde; j < hasta; ++j) argv[i][j - inicioArgumento] = ' ';
            inicioArgumento += largo + 1;
        }
    }
}

const std::string& LineaComandoProceso() { return LineaProceso(); }

void SetTerminaPrograma(TerminaPrograma hook) { Terminador() = std::move(hook); }

void IniciaSesion(bool& UsarIni, std::string& LineaComando, std::string& CadenaConexion) {
    DB_Dll& db = Db();
    const helpers::ClsFunciones& f = helpers::gFunciones();
    std::string RutaApp;
    std::string linea;

    Etapa({[&] { RutaApp = f.RutaConBarra(f.RutaAplicacion()); }});
    Etapa({[&] {
        gColorLetra = 0;
        gColorFondo = 0xFFFFFF;
    }});
    Etapa({[&] {
        linea = LineaComando.empty() ? LineaComandoProceso() : LineaComando;
        if (vb::Trim(linea).empty() && UsarIni) linea = LineaDesdeIni();
    }});
    Etapa({
        [&] { gTerminal = Terminal(); },
        [&] {
            // The default stands when the file cannot be read.
            gEstiloToolbar = 1.0;
            gEstiloToolbar = vb::Val(helpers::gArchivoIni().LeeIni(kArchivoIni, gTerminal, "FlatToolbars", "1"));
        },
    });

    if (!db.gOpenFlag) {
        ValoresConexion v;
        Etapa({
            [&] { v = LeeClaves(linea); },
            [&] {
                if (!vb::Trim(v.servidor).empty() && v.servidor.front() == '#') {
                    v.servidor.erase(0, 1);
                    if (CadenaConexion.empty())
                        CadenaConexion = CadenaConexionOracle(v.baseDatos, v.usuario, v.password);
                }
            },
            [&] {
                db.gUsuario = v.usuario;
                db.gDBName = v.baseDatos;
                db.gUserPassWord = v.password;
                db.gServidor = ExtraeServidor(v.servidor);
            },
            [&] {
                db.gCnn.RequireTables(kTablasDeLaSesion);
                db.OpenServerADODB(vb::Trim(v.servidor).empty(), adodb::adUseClient, CadenaConexion, true);
            },
        });
        if (!db.gOpenFlag) {
            Termina(kSalidaSinConexion);
            return;
        }
        Etapa({[&] { gUsuarioLogeado = db.gUsuario; }});
        Etapa({[&] {
            db.gCnn.SetCommandTimeout(360);
            db.gCnn.SetIsolationLevel(adodb::adXactReadUncommitted);
        }});
    }
    Etapa({[&] { gConexionODBC = "DSN=" + db.gDBName + "; UID=" + db.gUsuario + "; PWD=" + db.gUserPassWord; }});

    // Set-up after connecting.
    Etapa({[&] { helpers::gEntorno().IniciaEntorno(RutaApp); }});
    Etapa({
        [&] { gRutaMascaraConsultas = RutaApp + kArchivoConsultas; },
        [&] {
            if (!std::filesystem::exists(gRutaMascaraConsultas)) CreaArchivoConsultas(gRutaMascaraConsultas);
        },
    });
    Etapa({[&] {
        if (!db.gDBName.empty()) LeeConfiguracion(RutaApp);
    }});
    Etapa({[&] { db.gCnn.SetDefaultDatabase(db.gDBName); }});
}

}  // namespace foundation
