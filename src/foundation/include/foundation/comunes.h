// Small helpers shared by the suite: truth values from text, time and amount
// formatting, WHERE and INSERT building, array searches, the article search,
// a short wait that keeps the window alive and the letter of a sales
// document. Text comparisons ignore letter case.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "vb/currency.h"
#include "vb/variant.h"

class QWidget;

namespace adodb {
class Recordset;
}

namespace foundation {

// A column name and its value already written as an SQL literal.
struct CampoValor {
    std::string Campo;
    std::string Valor;
};
// Filled by statement builders, one element per column, for ArmaInsert.
extern std::vector<CampoValor> gCamposInsert;

// A group key and its total, filled by the document totals.
struct TotalGrupo {
    std::string Grupo;
    vb::Currency Total;
};
extern std::vector<TotalGrupo> TotalesPorGrupo;

// False for "FALSE", "FALSO", "0", "NO" and "N" (any case); True otherwise,
// the empty text included.
bool TextoABoolean(std::string_view Texto);

// "dd/mm/yy hh:mm".
std::string FormatoFechaHora();

// Minutes of a time: "h:mm" or hours alone when SoloTexto; otherwise a date or
// time in Texto, else Texto parsed, else Horas * 60 + Minutos.
double ConvierteHora(const std::string& Texto, const std::string& Horas, const std::string& Minutos,
                     bool SoloTexto);

// A time quantity as text with the configured SeparadorHora (":" when not
// set): "02:05" for 125 minutes, handing back Horas and Mins; with the
// separator "." the hours as a decimal number (".50" for 30 minutes).
std::string FormatoHoraDecimal(double Minutos, long& Horas, long& Mins);

// Index of the first TotalesPorGrupo element whose key, cleaned and trimmed,
// equals the trimmed text; -1 when none.
long IndiceEnLista(const std::string& Texto);

// The text without Chr(0), Chr(255) and line feeds, trimmed.
std::string LimpiaTexto(const vb::Variant& Texto);

// First index from Desde on whose element equals Texto; -1 when none.
int BuscaEnArray(const std::vector<std::string>& Lista, const std::string& Texto, int Desde);

// "C" when CondicionPropia is not 1; else "B" when CondicionCliente is above 2;
// else "A".
std::string LetraComprobante(const std::string& CondicionPropia, const std::string& CondicionCliente);

// Dresses a form as it loads: the system icon named in the configuration
// file, the workstation's adjustments, the toolbar style. Errors are ignored.
void ConfiguraFormulario(QWidget* Formulario);

// Finds an article by code or bar code in V_MA_ARTICULOS; on success the row
// is current in Rs and Descripcion holds its description.
bool BuscaArticulo(std::string& Codigo, adodb::Recordset& Rs, bool& SoloLectura,
                   bool& PorCodigoBarra, std::string& Descripcion);

// An amount as text with Decimales decimals (-1: the configured
// CantidadDecimales; 0: the locale's currency digits; -2: none; -3: the text
// unchanged), rounded halves to even.
std::string FmtMoneda(const std::string& Valor, int Decimales);

// A WHERE condition over one column and a list of values joined by Conector
// (text values are quoted with their apostrophes doubled when Comilla is
// "'"). An empty list gives "1=0", which matches no row.
std::string ArmaCondicion(const std::string& Campo, const std::string& Operador,
                          const std::vector<std::string>& ListaValores, const std::string& Conector,
                          const std::string& Comilla, bool IncluyeNulos, bool OmitirVacios);

// Appends "(A,B) VALUES (x,y)" to SQL; Limpiar empties Campos afterwards.
// Raises error 9 when Campos is empty.
void ArmaInsert(std::string& SQL, std::vector<CampoValor>& Campos, bool Limpiar);

// Waits at least Milisegundos milliseconds, pumping window events.
void Espera(int Milisegundos);

}  // namespace foundation
