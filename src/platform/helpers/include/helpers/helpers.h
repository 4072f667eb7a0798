// The suite's helper library: text and number helpers, the workstation, the
// INI reader, the environment, the progress notice and the key filter, each a
// single global instance created on first use.
#pragma once

#include <functional>
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "vb/currency.h"
#include "vb/error.h"
#include "vb/variant.h"

class QWidget;

namespace adodb {
class Field;
}

namespace helpers {

class ClsFunciones {
public:
    // Numeric value of a text; blank or non-numeric text gives 0, a number
    // beyond the type's range raises 6. Accepts "." or "," as the decimal
    // separator (with both present, the last one is the decimal separator and
    // the other groups thousands), whatever the regional settings and C locale.
    vb::Currency TextoAMoneda(std::string_view texto) const;
    double TextoADoble(std::string_view texto) const;
    // Whether TextoAMoneda and TextoADoble read the text as a number (blank
    // text is none).
    bool EsNumero(std::string_view texto) const;
    std::int32_t TextoALong(std::string_view texto) const;  // rounds half to even; raises 6
    // The value with Null (and Empty) given back as the empty text.
    vb::Variant ValorCampo(const vb::Variant& value) const;
    vb::Variant ValorCampo(const adodb::Field& field) const;
    // Number of words separated by blanks, tabs or line breaks.
    long CuentaPalabras(std::string_view texto) const;
    std::string QuitaCaracteres(std::string_view texto, std::string_view c1,
                                std::string_view c2 = {}, std::string_view c3 = {}) const;
    std::string Reemplaza(std::string_view texto, std::string_view buscado,
                          std::string_view reemplazo) const;
    std::string ReemplazaTexto(std::string_view texto, std::string_view buscado,
                               std::string_view reemplazo) const;
    // Pads with blanks on the right to the width; never cuts a longer text;
    // empty or blank input gives the empty text. Widths count characters.
    std::string AjustaAncho(std::string_view texto, int ancho = 4) const;
    // The folder with exactly one trailing "/".
    std::string RutaConBarra(std::string_view carpeta) const;
    // The application folder: TARVOLIN_HOME when set, else the program's folder.
    std::string RutaAplicacion() const;
    std::string CodificaClave(std::string_view texto) const;
    std::string DecodificaClave(std::string_view texto) const;  // inverse of CodificaClave
    void PreparaFormulario(QWidget* formulario, bool flag) const;
    // The error routine of the library: the same contract and log as
    // DB_Dll.TratamientoErrores.
    int ManejaError(const vb::Error& error, std::optional<int> botones = std::nullopt,
                    std::optional<std::string> rutina = std::nullopt) const;
    // The text without its enclosing apostrophes.
    std::string QuitaComillas(std::string_view texto) const;
    // True when the value equals an element of the list (as text, without regard to case).
    bool EstaEnLista(const vb::Variant& valor, const std::vector<std::string>& lista) const;
    // Text of a fixed-length text (trailing blanks and NULs removed) or of a number.
    std::string TextoDeValor(const vb::Variant& valor) const;
};

class ClsEstacion {
public:
    std::string NombrePC() const;
    std::string NombreUsuario() const;
    void AjustaFormulario(QWidget* formulario) const;
};

class ClsArchivoIni {
public:
    // The key's value, or the default when the file, section or key is
    // missing. Sections and keys are matched without regard to case; section
    // names may hold "|". A relative file name is looked for in the
    // application folder. A name that stands for no regular file (a
    // folder, a FIFO, a device) raises error 75 at once, never waiting on it.
    std::string LeeIni(std::string_view archivo, std::string_view seccion,
                       std::string_view clave, std::string_view porDefecto) const;
};

class ClsEntorno {
public:
    void IniciaEntorno(std::string_view rutaApp);
    const std::string& RutaApp() const { return rutaApp_; }

private:
    std::string rutaApp_;
};

// A small progress notice window.
class ClsCartel {
public:
    ~ClsCartel();
    void AbreCartel(std::string_view titulo, bool flag = false);
    void ActualizaCartel(bool flag, std::string_view titulo, std::string_view linea1 = {},
                         std::string_view linea2 = {});
    void CierraCartel();  // harmless when none is open
    bool Abierto() const;

private:
    QWidget* window_ = nullptr;
};

// Key filter of grid edit boxes.
class ClsTeclado {
public:
    // May change the character or cancel it (0). Control characters pass.
    void FiltraTecla(QWidget* caja, int& keyAscii) const;
    // True for a key that ends an edit (Enter, Tab, Escape, the arrows up and down).
    bool TeclaFinEdicion(int& keyCode) const;
};

// Runs a handler the user started (a click, a key): an error that reaches it
// is reported through ManejaError and never leaves the event loop.
void AlUsuario(const std::function<void()>& handler);

ClsFunciones& gFunciones();
ClsEstacion& gEstacion();
ClsArchivoIni& gArchivoIni();
ClsEntorno& gEntorno();
ClsCartel& gCartel();
ClsTeclado& gTeclado();

}  // namespace helpers
