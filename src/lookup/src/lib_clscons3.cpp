#include "lookup/lib_clscons3.h"

#include <filesystem>
#include <fstream>
#include <optional>

#include "foundation/configuracion.h"
#include "foundation/consultas_file.h"
#include "foundation/db_dll.h"
#include "foundation/session.h"
#include "helpers/helpers.h"
#include "lookup/lib_frmcons3.h"
#include "lookup/lib_frmcons3tree.h"
#include "ui/msgbox.h"
#include "vb/conv.h"
#include "vb/steps.h"
#include "vb/text.h"

namespace lookup {

namespace {

std::string Clave(const char* nombre) {
    std::string aux;  // VALORAUX is not used
    return foundation::Cfg(nombre, aux);
}

// A stock tier kept as text; exactly the empty text becomes the number 0.
vb::Variant Nivel(const char* nombre) {
    const std::string valor = Clave(nombre);
    return valor.empty() ? vb::Variant(0) : vb::Variant(valor);
}

// ---- Pieces of the statement ----------------------------------------------------------------

// A condition of more than one character, not already in parentheses,
// becomes " (condition) ".
void EnvuelveWhere(std::string& where) {
    if (vb::Len(vb::Trim(where)) > 1 && vb::Left(where, 1) != "(") where = " (" + where + ") ";
}

// The row cap of built statements: "TopConsArt" read as a number, rounded
// halves to even; 1000 when it reads as 0 (blank, missing, not a number,
// out of range).
std::string TopeFilas() {
    long tope = 0;
    vb::IgnoreErrors([&] { tope = vb::CLng(vb::Val(Clave("TopConsArt"))); });
    if (tope == 0) tope = 1000;
    return std::to_string(tope);
}

// A field of the definition file without its characters 0 and 255, trimmed.
std::string Limpia(std::string_view campo) {
    return vb::Trim(helpers::gFunciones().QuitaCaracteres(campo, vb::Chr(0), vb::kChr255));
}

// Latin-1 bytes (the file's one byte per character) as UTF-8.
std::string DeLatin1(std::string_view bytes) {
    std::string texto;
    texto.reserve(bytes.size());
    for (const char c : bytes) texto += vb::Chr(static_cast<unsigned char>(c));
    return texto;
}

// The first record of the definition file whose table, cleaned, equals
// `tabla` trimmed. A missing file, one that cannot be read and the end of the
// file all give no record. A short last record reads as padded with zeros.
std::optional<foundation::RegistroConsulta> BuscaDefinicion(const std::string& ruta, const std::string& tabla) {
    using foundation::kLargoCampos;
    using foundation::kLargoRegistroConsulta;
    using foundation::kLargoTabla;
    using foundation::kLargoTitulo;
    std::error_code error;
    if (ruta.empty() || !std::filesystem::is_regular_file(ruta, error)) return std::nullopt;
    std::ifstream archivo(ruta, std::ios::binary);
    if (!archivo) return std::nullopt;
    const std::string buscada = vb::Trim(tabla);
    std::string bytes(kLargoRegistroConsulta, '\0');
    for (;;) {
        archivo.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        const auto leidos = static_cast<std::size_t>(archivo.gcount());
        if (leidos == 0) return std::nullopt;
        std::fill(bytes.begin() + static_cast<std::ptrdiff_t>(leidos), bytes.end(), '\0');
        const std::string_view registro(bytes);
        foundation::RegistroConsulta leido{
            DeLatin1(registro.substr(0, kLargoTitulo)),
            DeLatin1(registro.substr(kLargoTitulo, kLargoTabla)),
            DeLatin1(registro.substr(kLargoTitulo + kLargoTabla, kLargoCampos)),
            DeLatin1(registro.substr(kLargoTitulo + kLargoTabla + kLargoCampos, foundation::kLargoFiltro)),
        };
        if (vb::Equals(Limpia(leido.Tabla), buscada)) return leido;
        if (leidos < bytes.size()) return std::nullopt;
    }
}

// The statement a definition record gives; nullopt when the record has a
// single column and no search column was given.
std::optional<std::string> SentenciaDeDefinicion(const foundation::RegistroConsulta& registro,
                                                 const std::string& tope, std::string& campoBusqueda,
                                                 const std::string& where) {
    std::string tabla = Limpia(registro.Tabla);
    std::string lista = vb::Trim(helpers::gFunciones().Reemplaza(registro.Campos, "|", ","));
    if (vb::StartsWith(lista, ",")) lista.erase(0, 1);
    if (vb::EndsWith(lista, ",")) lista.pop_back();
    if (vb::Trim(lista).empty()) lista = "*";
    if (campoBusqueda.empty()) {
        const std::size_t coma = lista.find(',');
        if (coma == std::string::npos) return std::nullopt;
        campoBusqueda = lista.substr(0, coma);
    }
    std::string filtro = Limpia(registro.Filtro);
    if (vb::Trim(filtro).empty() && !vb::Trim(where).empty()) filtro = where;
    if (vb::Equals(tabla, "VT_PROVEEDORES") || vb::Equals(tabla, "VT_CLIENTES")) {
        if (vb::Trim(filtro).empty()) filtro = "Dada_De_Baja = 0";
    } else if (vb::Equals(tabla, "V_MA_ARTICULOS")) {
        tabla = "VT_MA_ARTICULOS";
        if (vb::Trim(filtro).empty()) filtro = "SUSPENDIDO = 0";
    }
    std::string sentencia = "SELECT TOP " + tope + " " + lista + " FROM " + tabla;
    if (!vb::Trim(filtro).empty()) sentencia += " WHERE " + filtro;
    if (!campoBusqueda.empty()) sentencia += " ORDER BY " + campoBusqueda;
    return sentencia;
}

}  // namespace

Lib_ClsCons3::Lib_ClsCons3()
    : CmpsDevueltos(std::make_shared<Coleccion>()),
      Valores(std::make_shared<Coleccion>()),
      gConnString(foundation::Db().gConnString),
      gRutaMascaraConsultas(foundation::gRutaMascaraConsultas),
      gUsarMascarasConsultas(!foundation::gRutaMascaraConsultas.empty()) {
    MuestraStock = Clave("MostrarStockenConsultas");
    StkNivel1 = Nivel("Stk_Nivel1");
    StkNivel2 = Nivel("Stk_Nivel2");
    StkNivel3 = Nivel("Stk_Nivel3");
    StkNivel4 = Nivel("Stk_Nivel4");
    usaConsultaLike_ = vb::Equals(Clave("UsaConsultaLIKE"), "SI");
}

Lib_ClsCons3& gConsultas() {
    static Lib_ClsCons3 instancia;
    return instancia;
}

// ---- The lookup ---------------------------------------------------------------------------

void Lib_ClsCons3::ConsultaSearch(const std::string& SQL, ColeccionPtr* CmpsDevueltos, const std::string& Clave,
                                  std::string* CampoBusqueda, std::string* Where,
                                  const std::string& SentenciaOpcional, bool TreeView,
                                  const std::string& ValoresDefault) {
    std::string campoPropio;
    std::string wherePropio;
    ColeccionPtr cmpsPropios;
    std::string& campo = CampoBusqueda ? *CampoBusqueda : campoPropio;
    std::string& where = Where ? *Where : wherePropio;
    ColeccionPtr& cmps = CmpsDevueltos ? *CmpsDevueltos : cmpsPropios;

    std::string tope = "1000";
    std::string sentencia;
    bool abandonar = false;
    vb::IgnoreErrors([&] { EnvuelveWhere(where); });
    vb::IgnoreErrors([&] { tope = TopeFilas(); });
    vb::IgnoreErrors([&] {
        if (vb::Contains(SQL, "SELECT", vb::Compare::Text)) {
            sentencia = helpers::gFunciones().ReemplazaTexto(SQL, "V_MA_ARTICULOS", "VT_MA_ARTICULOS");
        } else {
            sentencia = SentenciaDeTabla(SQL, tope, campo, where, SentenciaOpcional, abandonar);
        }
    });
    if (abandonar) return;

    if (TreeView) {
        MuestraArbol(sentencia);
    } else {
        MuestraLista(sentencia, Clave, campo, cmps, ValoresDefault);
    }

    CampoDevuelto.clear();
    if (cmps) {
        cmps->clear();
        cmps.reset();
    }
}

// A table or view name: the statement of its definition record, or the
// fallback built from its own fields. `abandonar` when the record needs a
// search column (the operator has been told).
std::string Lib_ClsCons3::SentenciaDeTabla(const std::string& SQL, const std::string& tope,
                                           std::string& campoBusqueda, const std::string& where,
                                           const std::string& sentenciaOpcional, bool& abandonar) {
    if (gUsarMascarasConsultas) {
        if (const auto registro = BuscaDefinicion(gRutaMascaraConsultas, SQL)) {
            if (auto sentencia = SentenciaDeDefinicion(*registro, tope, campoBusqueda, where)) return *sentencia;
            abandonar = true;
            ui::MsgBox("Debe configurar la consulta para esta tabla", ui::vbInformation + ui::vbOKOnly,
                       "Aviso al operador");
            return {};
        }
    }
    if (!sentenciaOpcional.empty()) return sentenciaOpcional;

    // The table's fields in reverse order, without the key and the time
    // stamps; the search column is the last name or description field, else
    // the first field kept.
    std::string lista;
    adodb::Recordset rs;
    foundation::DB_Dll& db = foundation::Db();
    const helpers::ClsFunciones& f = helpers::gFunciones();
    vb::IgnoreErrors([&] {
        std::string consulta = "select top 1 * from " + SQL;
        db.AbrirRecordset(consulta, rs, nullptr, adodb::adOpenForwardOnly, adodb::adLockReadOnly, -1, true);
    });
    for (std::size_t i = 0; i < rs.FieldCount(); ++i) {
        const std::string nombre = rs.Fields(i).Name();
        if (f.EstaEnLista(nombre, {"ID", "FECHAHORA_MODIFICACION", "FECHAHORA_GRABACION"})) continue;
        if (f.EstaEnLista(nombre, {"DESCRIPCION", "NOMBRE", "DETALLE"}) || vb::Trim(lista).empty()) {
            campoBusqueda = nombre;
        }
        lista = nombre + "," + lista;
    }
    vb::IgnoreErrors([&] { db.CierraRecordset(rs); });
    if (vb::Trim(lista).empty()) {
        lista = " * ";
    } else {
        lista.pop_back();
    }
    std::string sentencia = "SELECT TOP " + tope + " " + lista + " FROM " + SQL;
    if (!vb::Trim(where).empty()) sentencia += " WHERE " + where;
    if (!campoBusqueda.empty()) sentencia += " ORDER BY " + campoBusqueda;
    return sentencia;
}

void Lib_ClsCons3::MuestraArbol(const std::string& sentencia) {
    Lib_FrmCons3Tree arbol;
    arbol.SQL = sentencia;
    arbol.CampoDevuelto = CampoDevuelto;
    arbol.CheckBoxes = Checks;
    Valores.reset();
    ui::ShowModal(arbol);
    ValorDevuelto = arbol.ValorDevuelto;
    Valores = arbol.Valores;
    Checks = false;
}

void Lib_ClsCons3::MuestraLista(const std::string& sentencia, const std::string& clave,
                                const std::string& campoBusqueda, const ColeccionPtr& cmpsDevueltos,
                                const std::string& valoresDefault) {
    Lib_FrmCons3 lista;
    lista.StkNivel1 = StkNivel1;
    lista.StkNivel2 = StkNivel2;
    lista.StkNivel3 = StkNivel3;
    lista.StkNivel4 = StkNivel4;
    lista.MuestraStock = MuestraStock;
    lista.CfgUsaConsultaLIKE = usaConsultaLike_;
    lista.OrdenarPorLwv = !vb::Contains(sentencia, "ORDER BY", vb::Compare::Text);
    lista.FiltroInicial = clave;
    lista.CampoBusqueda = campoBusqueda;
    lista.SQL = sentencia;
    lista.gConnString = gConnString;
    lista.CampoDevuelto = CampoDevuelto;
    lista.CheckBoxes = Checks;
    lista.UsaCantidades = UsaCantidades;
    lista.ValoresDefault = valoresDefault;
    // The dialog builds new collections; the service then holds the very ones it built.
    Valores.reset();
    Cantidades.reset();
    lista.CmpsDevueltos = cmpsDevueltos;
    lista.Valores.reset();
    lista.Cantidades.reset();
    ui::ShowModal(lista);
    Checks = false;
    Valores = lista.Valores;
    Cantidades = lista.Cantidades;
    ValorDevuelto = lista.ValorDevuelto;
    lista.CampoDevuelto.clear();
    lista.Valores.reset();
    lista.Cantidades.reset();
    lista.Form_Unload();
}

}  // namespace lookup
