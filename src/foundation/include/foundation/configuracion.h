// The configuration table (CLAVE, VALOR, VALORAUX rows) and the session state
// read from it once, after connecting.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "vb/currency.h"

namespace foundation {

// ---- Session state read by LeeConfiguracion ----------------------------
extern std::string gTablaConfiguracion;
extern bool gMostrarStockenConsultas;
extern std::string gTituloClientes;
extern std::string gTituloProveedores;
extern std::string gArchivoTareas;
extern bool gExigeClaveConsultaLike;
extern bool gUsaConsultaLike;
extern std::string gCantidadDecimales;
extern bool gUsaMultilesMonedas;
extern bool gUsaFacturaProforma;
extern bool gUsaCCosto;
extern bool gUsaStkStockUdKg;
extern std::string gUNegocio;  // four characters
extern std::string gUnidadMedidaM3;
extern std::string gUnidadMedidaBL;
extern std::string gUnidadMedidaKG;
extern std::int16_t gPeriodo;
extern bool gValidaCodigoBarra;
extern bool gConfiguracionLeida;
// gColorFondo and gColorLetra are session state of start-up (session.h).
extern bool gModuloOrdenDeTrabajo;
extern bool gV_ModificaCPrecio;
extern bool gC_ModificaCPrecio;
extern bool gMADERERA;
extern std::string gMAD_TIRAS;
extern std::string gMAD_P2;
extern std::string gMAD_ML;
extern std::string gMAD_M2;
extern std::string gMAD_HOJAS;
extern std::string gMAD_ML_P2;
extern std::string gMAD_M2_P2;
extern std::string gMAD_ML_M2;
extern std::string gCuentaCtroDist;
extern vb::Currency gMaxDto;
extern bool gPideClaveStockNeg;
extern bool gPideClaveMarkUpBase;
extern bool gPideClaveLimiteCredito;
extern bool gSSBloqueoActivo;
extern std::string gTopDefault;

// Business unit used when the logged-in user has none.
inline constexpr const char* kUNegocioPorDefecto = "   1";

// VALOR of the key (Null as ""), or one blank " " when the key has no row;
// ValorAux receives VALORAUX. A failure is reported through the error routine
// (routine "Cfg"); answering Ignore goes on, any other answer gives "".
std::string Cfg(const std::string& Clave, std::string& ValorAux);

// Reads the start-up keys into the session state. RutaApp is the application
// folder with its trailing separator. A value that does not read as its kind
// takes the key's default and leaves a line in the error log.
void LeeConfiguracion(const std::string& RutaApp);

// The three yes/no readings of a configuration value.
// "SI" test: on only when the value equals "SI" (any case); " " is off.
bool EsSI(std::string_view valor);
// On when the trimmed value is not empty and the value, untrimmed, is not
// "NO"; " NO" is on, a missing key is off.
bool DefinidoYNoEsNO(std::string_view valor);
// On unless the trimmed value is "NO"; a missing key is on.
bool NoEsNO(std::string_view valor);

}  // namespace foundation
