// The queries of the paged grid: alias table, field list, count, sort,
// condition and page query.
#include "authorization/tsdbgrid_query.h"

#include <algorithm>
#include <cctype>
#include <cstdio>

#include "foundation/db_dll.h"
#include "foundation/sql_literal.h"
#include "vb/conv.h"
#include "vb/error.h"
#include "vb/text.h"
#include "vb/variant.h"

namespace authorization {

namespace {

constexpr auto npos = std::string::npos;
constexpr int kTipoFecha = adodb::adDBTimeStamp;
// Types whose values LIKE compares as they are, without CONVERT: the
// session's text types, and fixed-length text.
bool EsTipoTexto(int tipo) { return foundation::DB_Dll::ADOText(tipo) || tipo == adodb::adChar; }

// The name a compound's select list gives its `i`th sort column, by which
// the compound is ordered.
std::string ColumnaOrden(std::size_t i) { return "[TV_ORDEN_" + std::to_string(i) + "]"; }

// A field position as ColumnasFecha and ColumnasTexto hold it.
std::string MarcaPosicion(long long posicion) { return "|" + std::to_string(posicion) + "|"; }

constexpr long kNativoColumnaInexistente = 207;  // SQL Server: invalid column name
constexpr adodb::Dialect kSqlite = adodb::Dialect::Sqlite;
// A page with this many rows or more before it, counted from the end it is
// read from, takes its keys walking the index alone and then reads their
// rows; nearer that end, LIMIT and OFFSET over the rows costs less.
constexpr std::int64_t kSaltoPorClaves = 200;

char MinusculaAscii(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + ('a' - 'A')) : c; }

bool EsAscii(std::string_view texto) {
    return std::all_of(texto.begin(), texto.end(), [](char c) { return (c & 0x80) == 0; });
}

// Text comparison. An ASCII text (every keyword the control looks for) is
// found byte by byte: the same places the folding of the whole text finds,
// since that folding turns no other bytes into ASCII letters.
std::size_t Buscar(std::string_view texto, std::string_view buscado, std::size_t desde = 0) {
    if (!EsAscii(buscado)) return vb::FindBytes(texto, buscado, desde, vb::Compare::Text);
    if (desde > texto.size()) return npos;
    if (buscado.empty()) return desde;
    // Only where the first character matches is the rest compared.
    const char primera = MinusculaAscii(buscado.front());
    const char mayuscula = primera >= 'a' && primera <= 'z' ? static_cast<char>(primera - ('a' - 'A')) : primera;
    const auto igual = [](char a, char b) { return MinusculaAscii(a) == MinusculaAscii(b); };
    for (std::size_t i = desde; i + buscado.size() <= texto.size(); ++i) {
        if (texto[i] != primera && texto[i] != mayuscula) continue;
        if (std::equal(buscado.begin() + 1, buscado.end(), texto.begin() + static_cast<std::ptrdiff_t>(i) + 1, igual)) {
            return i;
        }
    }
    return npos;
}

bool Contiene(std::string_view texto, std::string_view buscado) { return Buscar(texto, buscado) != npos; }

std::string Reemplazar(std::string_view texto, std::string_view buscado, std::string_view por) {
    return vb::Replace(texto, buscado, por, vb::Compare::Text);
}

// Text comparison; ASCII texts byte by byte, as Buscar.
bool Iguales(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;  // folding keeps every length in bytes
    if (!EsAscii(a) || !EsAscii(b)) return vb::Equals(a, b, vb::Compare::Text);
    return std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) { return MinusculaAscii(x) == MinusculaAscii(y); });
}

bool TerminaEn(std::string_view texto, std::string_view final) {
    return texto.size() >= final.size() && Iguales(texto.substr(texto.size() - final.size()), final);
}

bool EsBlanco(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

std::size_t PrimerBlanco(std::string_view texto, std::size_t desde) {
    for (std::size_t i = desde; i < texto.size(); ++i) {
        if (EsBlanco(texto[i])) return i;
    }
    return npos;
}

std::string SinComas(std::string_view texto) { return vb::Replace(texto, ",", ""); }

// The name in brackets unless it already holds one.
std::string EntreCorchetes(const std::string& nombre) {
    return Contiene(nombre, "[") ? nombre : "[" + vb::Trim(nombre) + "]";
}

std::string SinCorchetes(std::string_view nombre) {
    std::string sin(nombre);
    std::erase_if(sin, [](char c) { return c == '[' || c == ']'; });
    return vb::Trim(sin);
}

// Appends `item` to a list joined by `separador`.
void Agregar(std::string& lista, const std::string& item, const char* separador = ", ") {
    if (!lista.empty()) lista += separador;
    lista += item;
}

// The terms of an ORDER BY list, split at the commas outside parentheses,
// brackets and literals.
std::vector<std::string> TerminosOrden(std::string_view lista) {
    std::vector<std::string> terminos;
    int profundidad = 0;
    char cierre = 0;
    std::size_t inicio = 0;
    for (std::size_t i = 0; i < lista.size(); ++i) {
        const char c = lista[i];
        if (cierre != 0) {
            if (c == cierre) cierre = 0;
        } else if (c == '[') {
            cierre = ']';
        } else if (c == '\'' || c == '"') {
            cierre = c;
        } else if (c == '(') {
            ++profundidad;
        } else if (c == ')') {
            --profundidad;
        } else if (c == ',' && profundidad == 0) {
            terminos.push_back(vb::Trim(lista.substr(inicio, i - inicio)));
            inicio = i + 1;
        }
    }
    terminos.push_back(vb::Trim(lista.substr(inicio)));
    return terminos;
}

// An ORDER BY term taken apart: its expression and its direction (" ASC"...).
struct Termino {
    std::string expresion;
    std::string direccion;
};

Termino PartirTermino(const std::string& termino) {
    for (const char* direccion : {" asc", " desc"}) {
        if (TerminaEn(termino, direccion)) {
            const std::size_t corte = termino.size() - std::string_view(direccion).size();
            return {vb::Trim(termino.substr(0, corte)), termino.substr(corte)};
        }
    }
    return {termino, {}};
}

// A column named alone: [any name] or a plain word.
bool EsColumnaSimple(std::string_view expresion) {
    if (expresion.size() >= 2 && expresion.front() == '[' && expresion.back() == ']') {
        return expresion.find(']') == expresion.size() - 1;
    }
    if (expresion.empty() || std::isdigit(static_cast<unsigned char>(expresion.front()))) return false;
    return std::all_of(expresion.begin(), expresion.end(),
                       [](char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '_'; });
}

bool EsDigito(char c) { return c >= '0' && c <= '9'; }

bool EsDescendente(const Termino& termino) { return Iguales(vb::Trim(termino.direccion), "desc"); }

bool EsNulo(const vb::Variant& valor) { return valor.IsNull() || valor.IsEmpty(); }

bool EsLetraDeNombre(char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '_'; }

// Where the quoted text or bracketed name opening at `i` ends (its closing
// character); npos when it does not end. Other characters end where they are.
std::size_t FinDeCita(std::string_view texto, std::size_t i) {
    const char c = texto[i];
    if (c != '\'' && c != '"' && c != '`' && c != '[') return i;
    return texto.find(c == '[' ? ']' : c, i + 1);
}

// The top-level pieces of a condition joined by AND; nullopt when OR, CASE
// or BETWEEN stand at its top level (its pieces then need not each hold).
std::optional<std::vector<std::string>> PartesConY(std::string_view texto) {
    std::vector<std::string> partes;
    int profundidad = 0;
    std::size_t inicio = 0;
    for (std::size_t i = 0; i < texto.size(); ++i) {
        const char c = texto[i];
        i = FinDeCita(texto, i);
        if (i == npos) return std::nullopt;
        if (c == '(') ++profundidad;
        if (c == ')' && --profundidad < 0) return std::nullopt;
        if (profundidad != 0 || !std::isalpha(static_cast<unsigned char>(c)) || (i > 0 && EsLetraDeNombre(texto[i - 1]))) {
            continue;
        }
        std::size_t fin = i;
        while (fin < texto.size() && EsLetraDeNombre(texto[fin])) ++fin;
        const std::string_view palabra = texto.substr(i, fin - i);
        if (Iguales(palabra, "or") || Iguales(palabra, "case") || Iguales(palabra, "between")) return std::nullopt;
        if (Iguales(palabra, "and")) {
            partes.push_back(vb::Trim(texto.substr(inicio, i - inicio)));
            inicio = fin;
        }
        i = fin - 1;
    }
    if (profundidad != 0) return std::nullopt;
    partes.push_back(vb::Trim(texto.substr(inicio)));
    return partes;
}

// The column of a condition "column = literal" (a number or a quoted text
// that reads as no date), without brackets; nullopt for any other condition.
std::optional<std::string> ColumnaIgualALiteral(std::string_view parte) {
    std::size_t i = 0;
    if (!parte.empty() && parte.front() == '[') {
        i = parte.find(']');
        if (i == npos) return std::nullopt;
        ++i;
    } else {
        while (i < parte.size() && EsLetraDeNombre(parte[i])) ++i;
    }
    const std::string columna(parte.substr(0, i));
    if (!EsColumnaSimple(columna)) return std::nullopt;
    while (i < parte.size() && EsBlanco(parte[i])) ++i;
    if (i >= parte.size() || parte[i] != '=') return std::nullopt;
    ++i;
    while (i < parte.size() && EsBlanco(parte[i])) ++i;
    const std::string_view literal = parte.substr(i);
    bool valido = false;
    if (literal.size() >= 2 && literal.front() == '\'' && literal.back() == '\'') {
        // Inside, apostrophes come only in pairs. A date is compared as the
        // date it reads as ('01/01/2024' finds 2024-01-01 with or without
        // its time), which may be more than one stored text.
        const std::string_view dentro = literal.substr(1, literal.size() - 2);
        valido = vb::Replace(dentro, "''", "").find('\'') == npos && !vb::ParseDate(vb::Replace(dentro, "''", "'"));
    } else {
        const std::string_view numero = !literal.empty() && literal.front() == '-' ? literal.substr(1) : literal;
        const std::size_t punto = numero.find('.');
        const std::string_view entera = numero.substr(0, punto);
        const std::string_view decimales = punto == npos ? std::string_view() : numero.substr(punto + 1);
        valido = !entera.empty() && std::all_of(entera.begin(), entera.end(), EsDigito) &&
                 (punto == npos || (!decimales.empty() && std::all_of(decimales.begin(), decimales.end(), EsDigito)));
    }
    if (!valido) return std::nullopt;
    return SinCorchetes(columna);
}

vb::Error ErrorDeConexion(const foundation::DB_Dll& db, const char* intento) {
    if (db.gCnn.Errors().Count() > 0) {
        const adodb::ProviderError& e = db.gCnn.Errors().Item(0);
        return vb::Error(e.Number, e.Description, e.Source.empty() ? vb::kDefaultSource : e.Source,
                         e.NativeError, e.SQLState);
    }
    return vb::Error(adodb::kErrFail, intento);
}

}  // namespace

// ---- Checks and the alias table --------------------------------------------------

std::optional<std::string> GridQuery::MotivoRechazo(std::string_view sql) {
    const char* palabra = nullptr;
    if (Contiene(sql, " join ")) {
        palabra = "JOIN";
    } else if (Contiene(sql, " group by ")) {
        palabra = "GROUP BY";
    } else {
        return std::nullopt;
    }
    return std::string("El objeto TsDbGrid no admite la palabra reservada ''") + palabra +
           "'' dentro de la sentencia SQL de selección.\r\n"
           "De persistir el inconveniente comuníquese con el administrador del sistema.";
}

void GridQuery::CargarAlias() {
    // Tabs and line breaks count as blanks, so "x AS<tab>y" is an alias too.
    std::string w = SQL;
    std::replace_if(w.begin(), w.end(), EsBlanco, ' ');
    TablaAlias.assign(1, ParAlias{});
    for (std::size_t p = Buscar(w, " as "); p != npos; p = Buscar(w, " as ")) {
        const std::string t = vb::Trim(std::string_view(w).substr(p + 4));
        std::string aliasTexto;
        if (!t.empty() && t.front() == '[') {
            const std::size_t fin = t.find(']');
            aliasTexto = fin == npos ? t : t.substr(0, fin + 1);
        } else {
            const std::size_t coma = t.find(',');
            const std::size_t blanco = t.find(' ');
            aliasTexto = t.substr(0, coma != npos && coma < blanco ? coma : blanco);
        }
        const std::string u = vb::Trim(std::string_view(w).substr(0, p));
        std::string expresionTexto;
        if (!u.empty() && u.back() == ']' && u.rfind('[') != npos) {
            expresionTexto = u.substr(u.rfind('['));
        } else {
            const std::size_t coma = u.rfind(',');
            const std::size_t blanco = u.rfind(' ');
            const bool trasComa = coma != npos && (blanco == npos || coma > blanco);
            const std::size_t corte = trasComa ? coma : blanco;
            expresionTexto = corte == npos ? u : u.substr(corte + 1);
        }
        TablaAlias.back() = {EntreCorchetes(SinComas(expresionTexto)), EntreCorchetes(SinComas(aliasTexto))};
        TablaAlias.emplace_back();
        const std::size_t antes = w.size();
        w = Reemplazar(w, expresionTexto + " as " + aliasTexto, " ");
        // Written otherwise ("x  as  y"), the item is not found: drop the
        // " as " itself so that the scan goes on.
        if (w.size() == antes) w.replace(p, 4, " ");
    }
}

std::string GridQuery::EquiCampo(const std::string& Campo, bool Equivalencia) const {
    for (const ParAlias& par : TablaAlias) {
        if (Equivalencia && Iguales(par.Expresion, Campo)) return par.Alias;
        if (!Equivalencia && Iguales(par.Alias, Campo)) return par.Expresion;
    }
    return Campo;
}

void GridQuery::LeerTablaConsulta() {
    const std::size_t p = Buscar(SQL, " FROM ");
    const std::size_t inicio = p == npos ? 5 : p + 6;
    if (inicio >= SQL.size()) {
        TablaConsulta.clear();
        return;
    }
    const std::size_t fin = PrimerBlanco(SQL, inicio);
    TablaConsulta = vb::Trim(SQL.substr(inicio, fin == npos ? npos : fin - inicio));
}

std::string GridQuery::Clave() const { return PrimaryKey.empty() ? "ID" : PrimaryKey; }

// The table of the page query: the word after the first "FROM ".
std::string GridQuery::TablaPagina() const {
    const std::size_t p = Buscar(SQL, "FROM ");
    if (p == npos) return {};
    const std::size_t inicio = p + 5;
    const std::size_t fin = PrimerBlanco(SQL, inicio);
    return vb::Trim(SQL.substr(inicio, fin == npos ? npos : fin - inicio));
}

// ---- Field list ------------------------------------------------------------------

std::string GridQuery::ConsultaCampos() const {
    const std::size_t orden = Buscar(SQL, "Order by");
    const std::string base = orden == npos ? SQL : SQL.substr(0, orden);
    return Reemplazar(base, "SELECT", "SELECT TOP 1");
}

std::string GridQuery::ItemFecha(const std::string& nombre, bool mayusculas) const {
    const std::string expresion = EquiCampo("[" + nombre + "]", false);
    const std::string estilo = std::to_string(FormatDate);
    if (mayusculas) return "CONVERT(NVARCHAR," + expresion + "," + estilo + ") AS [" + nombre + "]";
    return "convert(nvarchar," + expresion + "," + estilo + ") as [" + nombre + "]";
}

std::vector<std::string> GridQuery::CargarCampos(const std::vector<adodb::FieldInfo>& campos) {
    std::vector<std::string> entradas{"Todos"};
    const bool todas = vb::Trim(CamposSel).empty();
    ListaCampos.clear();
    Campos.clear();
    if (todas) {
        ColumnasFecha.clear();
        ColumnasTexto.clear();
    }
    NombresCampos.clear();
    for (std::size_t i = 0; i < campos.size(); ++i) {
        const adodb::FieldInfo& campo = campos[i];
        NombresCampos.push_back(campo.Name);
        if (campo.Type == adodb::adLongVarWChar || campo.Type == adodb::adLongVarBinary) continue;
        Agregar(ListaCampos, "[" + campo.Name + "]");
        if (todas) entradas.push_back(campo.Name);
        if (todas && EsTipoTexto(campo.Type)) ColumnasTexto += MarcaPosicion(static_cast<long long>(i));
        if (campo.Type == kTipoFecha) {
            if (todas) {
                ColumnasFecha += MarcaPosicion(static_cast<long long>(i));
                Campos += (Campos.empty() ? " " : ", ") + ItemFecha(campo.Name, true);
            } else {
                Campos += (Campos.empty() ? "" : ",") + ItemFecha(campo.Name, false);
            }
        } else {
            Agregar(Campos, "[" + campo.Name + "]");
        }
    }
    Agregar(ListaCampos, Clave());
    Agregar(Campos, Clave());
    if (!todas) {
        std::string resto = vb::Replace(ListaCamposSel, ", ", "|") + "|";
        while (!vb::Trim(resto).empty()) {
            const std::size_t barra = resto.find('|');
            entradas.push_back(vb::Replace(vb::Replace(resto.substr(0, barra), "[", ""), "]", ""));
            resto.erase(0, barra + 1);
        }
        if (entradas.size() > 1) entradas.pop_back();  // the key column
    }
    return entradas;
}

// ---- Sort and condition ------------------------------------------------------------

void GridQuery::ArmarOrdenColumna(const std::string& titulo) {
    const std::string e = EquiCampo("[" + titulo + "]", false);
    const std::string direccion = OrdenSent == 1 ? " Asc " : " Desc ";
    if (Order == 1 || vb::Trim(OrderBy).empty()) {
        OrderBy = " Order by " + e + direccion;
        return;
    }
    for (const std::string& quitar :
         {e + " Asc ,", ", " + e + " Asc ", ", " + e + " Asc", " " + e + " Asc ", " " + e + " Asc",
          e + " Desc ,", ", " + e + " Desc ", ", " + e + " Desc", " " + e + " Desc ", " " + e + " Desc"}) {
        OrderBy = Reemplazar(OrderBy, quitar, "");
    }
    OrderBy += (Iguales(vb::Trim(OrderBy), "Order by") ? " " : ", ") + e + direccion;
}

void GridQuery::ArmarOrden() {
    if (OrdenSent != 0) return;
    const std::size_t orden = Buscar(SQL, "Order by");
    if (orden == npos) {
        OrderBy.clear();
    } else if (orden > 0 && SQL[orden - 1] == ' ') {
        OrderBy = SQL.substr(orden - 1);
    } else {
        OrderBy = " " + SQL.substr(orden);  // a line break, not a blank, before it
    }
}

// SQL's own condition, without its WHERE keyword; "" when it has none.
std::string GridQuery::CondicionHost() const {
    const std::size_t donde = Buscar(SQL, "WHERE");
    if (donde == npos) return {};
    std::size_t orden = Buscar(SQL, "ORDER BY", donde);
    if (orden == npos) orden = SQL.size();
    return vb::Trim(std::string_view(SQL).substr(donde + 5, orden - donde - 5));
}

void GridQuery::ArmarWhere() {
    const std::size_t donde = Buscar(SQL, "WHERE");
    if (donde == npos) {
        ClausulaWhere = FiltroBusqueda.empty() ? std::string() : " where " + FiltroBusqueda;
        return;
    }
    std::size_t orden = Buscar(SQL, "ORDER BY", donde);
    if (orden == npos) orden = SQL.size();
    const std::string w = SQL.substr(donde, orden - donde);
    ClausulaWhere = FiltroBusqueda.empty()
                        ? w
                        : w.substr(0, 5) + " (" + CondicionHost() + ") AND " + FiltroBusqueda;
}

std::string GridQuery::AgregarAlias(std::string& campos) const {
    const std::string lista = vb::Replace(campos, ", ", "|") + "|";
    std::string_view resto = lista;
    while (resto.find_first_not_of(' ') != npos) {
        const std::size_t barra = resto.find('|');
        const std::string item(resto.substr(0, barra));
        const std::string e = EquiCampo(item, false);
        if (e != item) campos = Reemplazar(campos, item, e + " as " + item);
        resto.remove_prefix(barra + 1);
    }
    return campos;
}

// ---- Page query ----------------------------------------------------------------------

std::string GridQuery::OrdenPagina() const {
    const std::string k = Clave();
    const std::size_t palabra = Buscar(OrderBy, "order by");
    if (palabra == npos || vb::Trim(std::string_view(OrderBy).substr(palabra + 8)).empty()) {
        return " ORDER BY " + k + " ";
    }
    const std::vector<std::string> terminos = TerminosOrden(std::string_view(OrderBy).substr(palabra + 8));
    for (const std::string& termino : terminos) {
        if (Iguales(SinCorchetes(PartirTermino(termino).expresion), SinCorchetes(k))) return vb::RTrim(OrderBy) + " ";
    }
    // Ties go by the key in the direction of the last term: an index that
    // ends with that column (and so with the key) keeps the whole order,
    // walked either way, and the order reversed is the list reversed.
    return vb::RTrim(OrderBy) + ", " + k + (EsDescendente(PartirTermino(terminos.back())) ? " DESC " : " ");
}

std::string GridQuery::OrdenExterior(bool invertido) const {
    std::string& exterior = Derivado().exterior[invertido ? 1 : 0];
    if (exterior.empty()) exterior = ArmarOrdenExterior(invertido);
    return exterior;
}

std::string GridQuery::ArmarOrdenExterior(bool invertido) const {
    const std::string orden = OrdenPagina();
    const std::size_t palabra = Buscar(orden, "order by");
    std::string lista;
    for (const std::string& texto : TerminosOrden(std::string_view(orden).substr(palabra + 8))) {
        const Termino termino = PartirTermino(texto);
        const bool columna = EsColumnaSimple(termino.expresion);
        std::string direccion = termino.direccion;
        if (invertido) direccion = EsDescendente(termino) ? " ASC" : " DESC";
        Agregar(lista, (columna ? "Paginacion." : "") + termino.expresion + direccion);
    }
    return " ORDER BY " + lista + " ";
}

GridQuery::Tramo GridQuery::TramoPagina(std::int64_t pagina) const {
    const std::int64_t tamano = std::max<std::int64_t>(PageSize, 0);
    return {tamano, tamano * (std::max<std::int64_t>(pagina, 1) - 1)};
}

std::string GridQuery::ArmarConsultaPagina(std::int64_t pagina, adodb::Dialect dialecto) {
    const std::string t = TablaPagina();
    if (PrimaryKey.empty()) PrimaryKey = "ID";
    if (dialecto == adodb::Dialect::Sqlite) return " FROM " + t + " AS Paginacion ";
    const std::string& k = PrimaryKey;
    const auto [tamano, saltar] = TramoPagina(pagina);
    const std::string orden = OrdenPagina();
    const bool oracle = dialecto == adodb::Dialect::Oracle;
    std::string r;
    if (oracle) {
        // ROWNUM is counted before ORDER BY: each limit wraps a sorted query.
        r = " FROM (SELECT * FROM (SELECT *  FROM " + t + " WHERE " + k + " NOT IN (SELECT " + k +
            " FROM (SELECT " + k + " FROM " + t + " " + ClausulaWhere + " " + orden +
            ") WHERE ROWNUM<=" + std::to_string(saltar) + ") ";
    } else {
        r = " FROM (SELECT TOP " + std::to_string(tamano) + " *  FROM " + t + " WHERE " + k +
            " NOT IN (SELECT TOP " + std::to_string(saltar) + " " + k + " FROM " + t + " " +
            ClausulaWhere + " " + orden + ") ";
    }
    if (!FiltroBusqueda.empty()) r += " and " + FiltroBusqueda;
    const std::string condicion = CondicionHost();
    if (!condicion.empty()) r += " and (" + condicion + ")";
    if (oracle) {
        r += " " + orden + ") WHERE ROWNUM<=" + std::to_string(tamano) + ")  Paginacion ";
    } else {
        r += " " + orden + ") AS Paginacion ";
    }
    return r;
}

// The select list of the page query, its aliases written back.
const std::string& GridQuery::ListaPagina() {
    std::string& lista = CamposSel.empty() ? Campos : CamposSel;
    // A list AgregarAlias has rewritten comes back from it unchanged.
    Derivados& d = Derivado();
    if (lista != d.seleccion) {
        d.seleccion = AgregarAlias(lista);
        d.continuaciones.clear();
    }
    return lista;
}

// The page query up to its FROM part; runs ArmarOrden and ArmarWhere.
std::string GridQuery::SelectYFrom(std::int64_t pagina, adodb::Dialect dialecto) {
    ArmarOrden();
    ArmarWhere();
    std::string q = "SELECT ";
    q.append(" ").append(ListaPagina());
    q.append(" ").append(ArmarConsultaPagina(pagina, dialecto));
    return q;
}

std::string GridQuery::ConsultaPagina(std::int64_t pagina, adodb::Dialect dialecto) {
    std::string q = SelectYFrom(pagina, dialecto);
    q.append(ClausulaWhere);
    q.append(" ").append(OrdenExterior());
    if (dialecto == adodb::Dialect::Sqlite) {
        // The same rows as the NOT IN form, since the order ends with the key;
        // SQLite skips them without building a set of the skipped keys.
        const auto [tamano, saltar] = TramoPagina(pagina);
        q.append(" LIMIT ").append(std::to_string(tamano)).append(" OFFSET ").append(std::to_string(saltar));
    }
    return q;
}

// ---- Reading a page on SQLite -------------------------------------------------------

std::vector<std::string> GridQuery::ColumnasFijas() const {
    std::vector<std::string> fijas;
    for (const std::string& condicion : {CondicionHost(), FiltroBusqueda}) {
        const std::optional<std::vector<std::string>> partes = PartesConY(condicion);
        if (!partes) continue;
        for (const std::string& parte : *partes) {
            if (std::optional<std::string> columna = ColumnaIgualALiteral(parte)) fijas.push_back(std::move(*columna));
        }
    }
    return fijas;
}

GridQuery::Origen GridQuery::OrigenActual() const { return {OrderBy, PrimaryKey, SQL, FiltroBusqueda}; }

bool GridQuery::EsOrigenActual(const Origen& origen) const {
    return origen.orderBy == OrderBy && origen.primaryKey == PrimaryKey && origen.sql == SQL &&
           origen.filtro == FiltroBusqueda;
}

GridQuery::Derivados& GridQuery::Derivado() const {
    if (!EsOrigenActual(derivados_.de)) {
        derivados_ = {};
        derivados_.de = OrigenActual();
    }
    return derivados_;
}

const std::optional<std::vector<GridQuery::TerminoContinuo>>& GridQuery::TerminosContinuos() const {
    Derivados& d = Derivado();
    if (!d.conTerminos) {
        d.terminos = LeerTerminosContinuos();
        d.conTerminos = true;
    }
    return d.terminos;
}

std::optional<std::vector<GridQuery::TerminoContinuo>> GridQuery::LeerTerminosContinuos() const {
    const std::string orden = OrdenPagina();
    const std::size_t palabra = Buscar(orden, "order by");
    const std::vector<std::string> fijas = ColumnasFijas();
    const std::string clave = SinCorchetes(Clave());
    std::vector<TerminoContinuo> terminos;
    for (const std::string& texto : TerminosOrden(std::string_view(orden).substr(palabra + 8))) {
        const Termino termino = PartirTermino(texto);
        if (!EsColumnaSimple(termino.expresion)) return std::nullopt;
        const std::string nombre = SinCorchetes(termino.expresion);
        const bool esClave = Iguales(nombre, clave);
        const bool fija = std::any_of(fijas.begin(), fijas.end(), [&](const std::string& f) { return Iguales(f, nombre); });
        if (esClave || !fija) terminos.push_back({termino.expresion, EsDescendente(termino)});
        if (esClave) return terminos;  // the key orders every row: nothing after it counts
    }
    return std::nullopt;
}

Acceso GridQuery::AccesoPorExtremo(std::int64_t pagina, std::int64_t total) const {
    const auto [tamano, saltar] = TramoPagina(pagina);
    const std::int64_t fin = std::min(saltar + tamano, total);
    if (fin <= saltar) return Acceso::Principio;
    return total - fin < saltar ? Acceso::Final : Acceso::Principio;
}

bool GridQuery::PuedeContinuar() {
    ArmarOrden();
    if (Vista.numero <= 0 || Vista.tamano != PageSize || !EsOrigenActual(Vista.origen)) return false;
    const std::optional<std::vector<TerminoContinuo>>& terminos = TerminosContinuos();
    return terminos && Vista.primera.size() == terminos->size() && Vista.ultima.size() == terminos->size();
}

Acceso GridQuery::AccesoPagina(std::int64_t pagina, std::int64_t total) {
    if (PuedeContinuar()) {
        if (pagina == Vista.numero + 1) return Acceso::Siguiente;
        if (pagina == Vista.numero - 1) return Acceso::Anterior;
    }
    return AccesoPorExtremo(pagina, total);
}

// "SELECT  list" and then, before the FROM part, the sort columns of a
// compound's order (`conOrden`) and each row's sort values, as stored: a
// unary plus makes them values of no declared type, read as they are. The
// key, which every list ends with, is read there.
std::string GridQuery::SelectSqlite(ConsultaDePagina& consulta, bool conOrden) {
    std::string q = "SELECT  " + ListaPagina();
    consulta.columnasOrden = 0;
    consulta.columnasBorde = 0;
    consulta.conBordes = false;
    if (const std::optional<std::vector<TerminoContinuo>>& terminos = TerminosContinuos()) {
        for (std::size_t i = 0; conOrden && i < terminos->size(); ++i) {
            q += ", Paginacion." + (*terminos)[i].columna + " AS " + ColumnaOrden(i);
        }
        for (std::size_t i = 0; i + 1 < terminos->size(); ++i) {
            q += ", +Paginacion." + (*terminos)[i].columna + " AS [TV_BORDE_" + std::to_string(i) + "]";
        }
        consulta.columnasOrden = conOrden ? terminos->size() : 0;
        consulta.columnasBorde = terminos->size() - 1;
        consulta.conBordes = true;
    }
    return q + " " + ArmarConsultaPagina(1, kSqlite);
}

// `tamano` rows after the first `saltar` of the list, from its start, or
// from its end (`final`) in the reverse order.
ConsultaDePagina GridQuery::DesdeExtremo(bool final, std::int64_t tamano, std::int64_t saltar) {
    ConsultaDePagina c;
    c.invertida = final;
    c.tamano = tamano;
    c.saltadas = saltar;
    c.texto = SelectSqlite(c, false);
    const std::string orden = OrdenExterior(final);
    const std::string tramo = " LIMIT " + std::to_string(tamano + 1) + " OFFSET " + std::to_string(saltar);
    if (saltar < kSaltoPorClaves || !EsColumnaSimple(Clave())) {
        c.texto += ClausulaWhere + " " + orden + tramo;
        return c;
    }
    // The keys of the page, read walking the index alone; then their rows.
    const std::string clave = "Paginacion." + Clave();
    c.texto += "WHERE " + clave + " IN (SELECT " + clave + " FROM " + TablaPagina() + " AS Paginacion " +
               ClausulaWhere + " " + orden + tramo + ")" + orden;
    return c;
}

// The page after the edge row of Vista in the page order (`siguiente`), or
// before it, from that row's values as they were read, bound to the query.
// nullopt when a term is no column or the edge is unknown.
std::optional<ConsultaDePagina> GridQuery::Continuacion(bool siguiente, std::int64_t tamano) {
    const std::optional<std::vector<TerminoContinuo>>& terminos = TerminosContinuos();
    const Borde& borde = siguiente ? Vista.ultima : Vista.primera;
    if (!terminos || borde.size() != terminos->size() || EsNulo(borde.back())) return std::nullopt;
    ListaPagina();  // the continuations kept are those of the select list as it is now
    std::string clave = (siguiente ? "S" : "A") + std::to_string(tamano) + ":";
    for (const vb::Variant& valor : borde) clave += EsNulo(valor) ? 'N' : 'V';
    std::map<std::string, Continua>& continuaciones = Derivado().continuaciones;
    auto it = continuaciones.find(clave);
    if (it == continuaciones.end()) it = continuaciones.emplace(clave, ArmarContinuacion(siguiente, tamano, borde)).first;
    ConsultaDePagina c = it->second.consulta;
    for (const std::size_t marca : it->second.marcas) c.valores.push_back(borde[marca]);
    return c;
}

// The rows of a continuation are those of a few arms, each bounded on the
// column it walks: the rows that share the edge row's values up to a term
// and follow it in that term (the key last), where Null sorts first (before
// every value going up, after every one going down).
std::vector<GridQuery::Brazo> GridQuery::Brazos(bool siguiente, const Borde& borde) const {
    const std::vector<TerminoContinuo>& terminos = *TerminosContinuos();
    std::vector<Brazo> brazos;
    for (std::size_t i = terminos.size(); i-- > 0;) {
        Brazo iguales;
        for (std::size_t j = 0; j < i; ++j) {
            const std::string o = "Paginacion." + terminos[j].columna;
            if (EsNulo(borde[j])) {
                iguales.condicion += o + " IS NULL AND ";
            } else {
                iguales.condicion += o + " = ? AND ";
                iguales.marcas.push_back(j);
            }
        }
        const std::string o = "Paginacion." + terminos[i].columna;
        const bool baja = terminos[i].descendente == siguiente;
        if (EsNulo(borde[i])) {
            if (!baja) brazos.push_back({iguales.condicion + o + " IS NOT NULL", iguales.marcas});
            continue;
        }
        Brazo despues = iguales;
        despues.condicion += o + (baja ? " < ?" : " > ?");
        despues.marcas.push_back(i);
        brazos.push_back(std::move(despues));
        const bool clave = i + 1 == terminos.size();
        if (baja && !clave) brazos.push_back({iguales.condicion + o + " IS NULL", iguales.marcas});
    }
    return brazos;
}

// " WHERE (the query's condition) AND ", for an arm to follow.
std::string GridQuery::FiltroDeBrazo() const {
    const std::size_t donde = Buscar(ClausulaWhere, "where");
    const std::string condicion = donde == npos ? std::string() : vb::Trim(ClausulaWhere.substr(donde + 5));
    return " WHERE " + (condicion.empty() ? std::string() : "(" + condicion + ") AND ");
}

// One arm is a plain query; more are joined into a compound merged in the
// page order, which reads only what the page takes of each. It reads one row
// more than the page shows, which tells whether more follow.
GridQuery::Continua GridQuery::ArmarContinuacion(bool siguiente, std::int64_t tamano, const Borde& borde) {
    const std::vector<TerminoContinuo>& terminos = *TerminosContinuos();
    std::string orden;
    for (std::size_t i = 0; i < terminos.size(); ++i) {
        const bool baja = terminos[i].descendente == siguiente;
        Agregar(orden, ColumnaOrden(i) + (baja ? " DESC" : " ASC"));
    }
    const std::vector<Brazo> brazos = Brazos(siguiente, borde);
    const std::string filtro = FiltroDeBrazo();
    Continua c;
    ConsultaDePagina& consulta = c.consulta;
    consulta.invertida = !siguiente;
    consulta.tamano = tamano;
    const bool compuesta = brazos.size() > 1;
    const std::string select = SelectSqlite(consulta, compuesta);
    for (const Brazo& brazo : brazos) {
        if (!consulta.texto.empty()) consulta.texto += " UNION ALL ";
        consulta.texto += select + filtro + brazo.condicion;
        c.marcas.insert(c.marcas.end(), brazo.marcas.begin(), brazo.marcas.end());
    }
    consulta.texto += compuesta ? " ORDER BY " + orden : " " + OrdenExterior(!siguiente);
    consulta.texto += " LIMIT " + std::to_string(tamano + 1);
    return c;
}

std::optional<ConsultaDePagina> GridQuery::ConteoAntes() {
    ArmarOrden();
    ArmarWhere();
    const std::optional<std::vector<TerminoContinuo>>& terminos = TerminosContinuos();
    const Borde& borde = Vista.primera;
    if (!terminos || borde.size() != terminos->size() || EsNulo(borde.back())) return std::nullopt;
    ConsultaDePagina c;
    c.texto = "SELECT 0";
    const std::string filtro = FiltroDeBrazo();
    for (const Brazo& brazo : Brazos(false, borde)) {
        c.texto += " + (SELECT COUNT(*) FROM " + TablaPagina() + " AS Paginacion" + filtro + brazo.condicion + ")";
        for (const std::size_t marca : brazo.marcas) c.valores.push_back(borde[marca]);
    }
    return c;
}

std::int64_t GridQuery::NumeroDePagina(std::int64_t antes, std::int64_t filas, std::int64_t total, long pageSize) {
    const std::int64_t ultima = std::max<std::int64_t>(CantidadPaginas(total, pageSize), 1);
    if (antes + filas >= total) return ultima;
    if (antes <= 0) return 1;
    const std::int64_t numero = antes / std::max<long>(pageSize, 1) + 1;
    if (ultima <= 2) return std::min(numero, ultima);  // no page lies between the ends
    return std::clamp<std::int64_t>(numero, 2, ultima - 1);
}

ConsultaDePagina GridQuery::ConsultaSqlite(Acceso acceso, std::int64_t pagina, std::int64_t total) {
    ArmarOrden();
    ArmarWhere();
    const auto [tamano, saltar] = TramoPagina(pagina);
    if (acceso == Acceso::Siguiente || acceso == Acceso::Anterior) {
        if (std::optional<ConsultaDePagina> c = Continuacion(acceso == Acceso::Siguiente, tamano)) return *c;
        acceso = AccesoPorExtremo(pagina, total);
    }
    const std::int64_t fin = std::min(saltar + tamano, total);
    if (acceso == Acceso::Final && fin > saltar) return DesdeExtremo(true, fin - saltar, total - fin);
    return DesdeExtremo(false, tamano, saltar);
}

void GridQuery::RecordarPagina(std::int64_t pagina, const PaginaLeida& leida) {
    if (leida.Filas.empty()) return;  // the page shown stays
    if (leida.primera.empty() || leida.ultima.empty()) {
        Vista = {};
        return;
    }
    Vista = {pagina, leida.primera, leida.ultima, OrigenActual(), PageSize};
}

std::string GridQuery::ConsultaSinPaginar() const {
    const std::size_t desde = Buscar(SQL, " FROM ");
    if (desde == npos) return SQL;
    const std::string lista = SQL.substr(0, desde);
    const std::size_t coma = lista.rfind(',');
    const std::size_t select = Buscar(lista, "SELECT");
    std::size_t inicio = 0;
    if (coma != npos) {
        inicio = coma + 1;
    } else if (select != npos) {
        inicio = select + 6;
    }
    if (Iguales(SinCorchetes(lista.substr(inicio)), SinCorchetes(Clave()))) return SQL;
    return lista + ", " + Clave() + SQL.substr(desde);
}

std::string GridQuery::ConsultaConteo() const {
    const std::size_t donde = Buscar(SQL, "WHERE");
    std::string condicion;
    if (donde == npos) {
        condicion = FiltroBusqueda.empty() ? std::string() : " where " + FiltroBusqueda;
    } else if (FiltroBusqueda.empty()) {
        condicion = " WHERE " + CondicionHost();
    } else {
        condicion = " WHERE (" + CondicionHost() + ") AND " + FiltroBusqueda;
    }
    return "SELECT COUNT(*) FROM " + TablaPagina() + condicion;
}

std::int64_t GridQuery::CantidadPaginas(std::int64_t total, long pageSize) {
    if (total <= 0) return 0;
    if (pageSize <= 0) return 1;
    return (total + pageSize - 1) / pageSize;
}

// ---- Search ----------------------------------------------------------------------------

bool GridQuery::EsColumnaFecha(int posicion) const {
    return vb::Contains(ColumnasFecha, MarcaPosicion(posicion));
}

bool GridQuery::EsColumnaTexto(int posicion) const {
    return vb::Contains(ColumnasTexto, MarcaPosicion(posicion));
}

std::optional<std::string> GridQuery::TextoFecha(std::string_view texto) {
    const std::string t = vb::Trim(texto);
    const std::optional<vb::Date> fecha = vb::ParseDate(t);
    if (!fecha) return std::nullopt;
    const bool iso = t.size() > 4 && std::all_of(t.begin(), t.begin() + 4, EsDigito) && t[4] == '-';
    if (!iso) return t;
    const vb::DateParts p = fecha->Parts();
    char dia[32];
    std::snprintf(dia, sizeof dia, "%02d/%02d/%04d", p.day, p.month, p.year);
    std::string resultado = dia;
    if (p.hour != 0 || p.minute != 0 || p.second != 0) {
        std::snprintf(dia, sizeof dia, " %02d:%02d:%02d", p.hour, p.minute, p.second);
        resultado += dia;
    }
    return resultado;
}

std::optional<std::string> GridQuery::ClausulaBusqueda(const std::string& nombre, int posicion,
                                                       const std::string& texto) const {
    const std::string campo = EquiCampo("[" + nombre + "]", false);
    const std::string patron = foundation::SqlText("%" + texto + "%");
    // A text is compared as it is: CONVERT would only cost, and on SQL Server
    // cut it to 30 characters. A number needs it there.
    if (EsColumnaTexto(posicion)) return " " + campo + " LIKE " + patron;
    if (!EsColumnaFecha(posicion)) return " CONVERT(NVARCHAR," + campo + ") LIKE " + patron;
    const std::optional<std::string> fecha = TextoFecha(texto);
    if (!fecha) return std::nullopt;
    return " " + campo + " = " + foundation::SqlText(*fecha);
}

std::string GridQuery::CondicionTodos(const std::vector<std::string>& titulos, const std::string& texto) const {
    std::string clausulas;
    for (std::size_t i = 0; i < titulos.size(); ++i) {
        const std::optional<std::string> clausula = ClausulaBusqueda(titulos[i], static_cast<int>(i), texto);
        if (clausula) Agregar(clausulas, *clausula, " or ");
    }
    // "()" would be no SQL: no column to search in finds nothing.
    return " (" + (clausulas.empty() ? std::string("1=0") : clausulas) + ") ";
}

void GridQuery::AgregarFiltro(const std::string& condicion) {
    if (!vb::Trim(FiltroBusqueda).empty()) FiltroBusqueda += " and ";
    FiltroBusqueda += condicion;
}

// ---- Column choice -------------------------------------------------------------------------

std::string GridQuery::ConsultaColumnas(std::string elegidas) const {
    if (vb::Trim(elegidas).empty()) throw vb::InvalidCall("No se eligió ninguna columna para mostrar.");
    return "SELECT TOP 1 " + AgregarAlias(elegidas) + " FROM " + TablaConsulta;
}

GridQuery::Eleccion GridQuery::ColumnasElegidas(const std::vector<adodb::FieldInfo>& campos) const {
    Eleccion eleccion;
    // The last field is the key column, added back as PrimaryKey.
    for (std::size_t i = 0; i + 1 < campos.size(); ++i) {
        const std::string& nombre = campos[i].Name;
        Agregar(eleccion.ListaCamposSel, "[" + nombre + "]");
        if (EsTipoTexto(campos[i].Type)) eleccion.ColumnasTexto += MarcaPosicion(static_cast<long long>(i));
        if (campos[i].Type == kTipoFecha) {
            eleccion.ColumnasFecha += MarcaPosicion(static_cast<long long>(i));
            eleccion.CamposSel += (eleccion.CamposSel.empty() ? " " : ", ") + ItemFecha(nombre, true);
        } else {
            Agregar(eleccion.CamposSel, "[" + nombre + "]");
        }
    }
    Agregar(eleccion.CamposSel, Clave());
    Agregar(eleccion.ListaCamposSel, Clave());
    return eleccion;
}

// ---- Running the queries -----------------------------------------------------------

namespace {

// Opens `texto` into `rs`; raises the connection's error (or `intento`) when
// it could not be opened.
void Abrir(foundation::DB_Dll& db, std::string texto, adodb::Recordset& rs, const char* intento,
           const std::vector<vb::Variant>& valores = {}) {
    db.gCnn.Errors().Clear();
    if (valores.empty()) {
        db.AbrirRecordset(texto, rs);
    } else {
        db.AbrirRecordset(texto, valores, rs);
    }
    if (rs.State() != adodb::adStateOpen) throw ErrorDeConexion(db, intento);
}

// The number the count `texto` gives, its values bound.
std::int64_t LeerConteo(foundation::DB_Dll& db, const std::string& texto, const std::vector<vb::Variant>& valores = {}) {
    adodb::Recordset rs;
    Abrir(db, texto, rs, "No se pudieron contar los registros.", valores);
    std::int64_t total = 0;
    if (!rs.BOF() && !rs.EOF()) total = static_cast<std::int64_t>(vb::CDbl(rs.Fields(std::size_t{0}).Value()));
    db.CierraRecordset(rs);
    return total;
}

std::vector<adodb::FieldInfo> CamposDe(foundation::DB_Dll& db, const std::string& texto) {
    adodb::Recordset rs;
    Abrir(db, texto, rs, "No se pudo leer la lista de campos.");
    std::vector<adodb::FieldInfo> campos = rs.FieldInfos();
    db.CierraRecordset(rs);
    return campos;
}

}  // namespace

adodb::Dialect DialectoPagina(const foundation::DB_Dll& db) {
    if (db.gCnn.State() != adodb::adStateOpen) return adodb::Dialect::SqlServer;
    return db.gCnn.GetDialect();
}

std::vector<adodb::FieldInfo> LeerCampos(foundation::DB_Dll& db, const GridQuery& consulta) {
    return CamposDe(db, consulta.ConsultaCampos());
}

std::vector<adodb::FieldInfo> LeerCamposElegidos(foundation::DB_Dll& db, const GridQuery& consulta,
                                                 const std::string& elegidas) {
    return CamposDe(db, consulta.ConsultaColumnas(elegidas));
}

std::int64_t ContarRegistros(foundation::DB_Dll& db, const GridQuery& consulta) {
    return LeerConteo(db, consulta.ConsultaConteo());
}

std::optional<std::int64_t> ContarAntes(foundation::DB_Dll& db, GridQuery& consulta) {
    const std::optional<ConsultaDePagina> conteo = consulta.ConteoAntes();
    if (!conteo) return std::nullopt;
    return LeerConteo(db, conteo->texto, conteo->valores);
}

void AbrirPagina(foundation::DB_Dll& db, const GridQuery& consulta, const ConsultaDePagina& pagina,
                 adodb::Recordset& rs) {
    db.gCnn.Errors().Clear();
    std::string texto = pagina.texto;
    db.AbrirRecordset(texto, pagina.valores, rs);
    if (rs.State() == adodb::adStateOpen) return;
    if (db.gCnn.Errors().Count() > 0 && db.gCnn.Errors().Item(0).NativeError == kNativoColumnaInexistente) {
        db.gCnn.Errors().Clear();
        std::string completa = consulta.ConsultaSinPaginar();
        db.AbrirRecordset(completa, rs);
        if (rs.State() == adodb::adStateOpen) return;
    }
    throw ErrorDeConexion(db, "No se pudo abrir la página.");
}

void AbrirPagina(foundation::DB_Dll& db, const GridQuery& consulta, std::string texto, adodb::Recordset& rs) {
    ConsultaDePagina pagina;
    pagina.texto = std::move(texto);
    AbrirPagina(db, consulta, pagina, rs);
}

PaginaLeida LeerPagina(adodb::Recordset& rs, const ConsultaDePagina& consulta) {
    PaginaLeida pagina;
    const std::size_t todas = rs.FieldCount();
    const std::size_t agregadas = consulta.columnasOrden + consulta.columnasBorde;
    // The unpaged fallback reads none of them.
    const std::size_t propias = todas > agregadas ? todas - agregadas : todas;
    const bool bordes = consulta.conBordes && propias > 0 && (propias < todas || agregadas == 0);
    for (std::size_t i = 0; i < propias; ++i) pagina.Campos.push_back(rs.FieldInfos()[i].Name);
    pagina.Filas.reserve(static_cast<std::size_t>(std::max(rs.RecordCount(), 0L)));
    bool masAlla = false;  // a row beyond those shown, in the order read
    while (!rs.EOF()) {
        if (consulta.tamano > 0 && static_cast<std::int64_t>(pagina.Filas.size()) == consulta.tamano) {
            masAlla = true;
            break;
        }
        std::vector<std::string> fila;
        fila.reserve(propias);
        for (std::size_t i = 0; i < propias; ++i) fila.push_back(vb::TextOf(rs.Fields(i).Value()));
        Borde& valores = pagina.Filas.empty() ? pagina.primera : pagina.ultima;
        valores.clear();
        if (bordes) {
            for (std::size_t i = todas - consulta.columnasBorde; i < todas; ++i) valores.push_back(rs.Fields(i).Value());
            valores.push_back(rs.Fields(propias - 1).Value());  // the key, the grid's last column
        }
        pagina.Filas.push_back(std::move(fila));
        rs.MoveNext();
    }
    if (pagina.Filas.size() == 1) pagina.ultima = pagina.primera;
    // Rows skipped from the end read from lie on the other side of the page.
    std::optional<bool> delante = consulta.tamano > 0 ? std::optional<bool>(masAlla) : std::nullopt;
    std::optional<bool> detras;
    if (consulta.saltadas >= 0 && !pagina.Filas.empty()) detras = consulta.saltadas > 0;
    if (consulta.invertida) {
        std::reverse(pagina.Filas.begin(), pagina.Filas.end());
        std::swap(pagina.primera, pagina.ultima);
        std::swap(delante, detras);
    }
    pagina.masAntes = detras;
    pagina.masDespues = delante;
    return pagina;
}

ConsultaDePagina ConsultaParaPagina(foundation::DB_Dll& db, GridQuery& consulta, std::int64_t pagina,
                                    std::int64_t total) {
    const adodb::Dialect dialecto = DialectoPagina(db);
    if (dialecto != kSqlite) {
        ConsultaDePagina c;
        c.texto = consulta.ConsultaPagina(pagina, dialecto);
        return c;
    }
    return consulta.ConsultaSqlite(consulta.AccesoPagina(pagina, total), pagina, total);
}

PaginaLeida LeerPaginaNumero(foundation::DB_Dll& db, GridQuery& consulta, std::int64_t pagina, std::int64_t total) {
    const ConsultaDePagina texto = ConsultaParaPagina(db, consulta, pagina, total);
    adodb::Recordset rs;
    AbrirPagina(db, consulta, texto, rs);
    PaginaLeida leida = LeerPagina(rs, texto);
    db.CierraRecordset(rs);
    consulta.RecordarPagina(pagina, leida);
    return leida;
}

}  // namespace authorization
