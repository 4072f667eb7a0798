// DB_Dll: synonyms, SQL literals, schema checks and name helpers.
#include <algorithm>
#include <string_view>
#include <vector>

#include "db_dll_internal.h"
#include "foundation/db_dll.h"
#include "foundation/sql_literal.h"
#include "helpers/helpers.h"
#include "vb/steps.h"
#include "vb/text.h"

namespace foundation {

namespace {

using detail::QuitaMarcas;

struct Sinonimo {
    const char* tabla;
    const char* sinonimo;
    bool trasLlave;  // also after "{" (before a ".")
};

// In the order they are applied. AC_CUENTASDIARIO_CCOSTO's synonym has an
// underscore between CUENTAS and DIARIO that the table's name lacks.
constexpr Sinonimo kSinonimos[] = {
    {"MA_CUENTAS", "SS_MA_CUENTAS", true},
    {"V_TA_DEPOSITO", "SS_V_TA_DEPOSITO", false},
    {"MV_ASIENTOS", "SS_MV_ASIENTOS", false},
    {"V_TA_FAMILIAS", "SS_V_TA_FAMILIAS", false},
    {"V_TA_CAJAS", "SS_V_TA_CAJAS", false},
    {"AC_CUENTASDIARIO", "SS_AC_CUENTASDIARIO", false},
    {"AC_CUENTASDIARIO_CCOSTO", "SS_AC_CUENTAS_DIARIO_CCOSTO", false},
};

// Whether a table SS_TSinonimos swaps, or a marker, occurs anywhere in the
// text, literals included, without regard to case. Each of these names
// holds a "_", so only around the text's own "_" can one of them stand.
bool NombraSinonimo(std::string_view sql) {
    static const std::vector<std::string> kNombres = [] {
        std::vector<std::string> nombres{"@Admin_"};
        for (const Sinonimo& s : kSinonimos) nombres.emplace_back(s.tabla);
        return nombres;
    }();
    // The names are ASCII, and no other character folds to an ASCII one.
    const auto minuscula = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
    const auto igual = [&](char a, char b) { return minuscula(a) == minuscula(b); };
    for (std::size_t guion = sql.find('_'); guion != std::string_view::npos; guion = sql.find('_', guion + 1)) {
        for (const std::string& nombre : kNombres) {
            const std::size_t antes = nombre.find('_');
            if (guion < antes || sql.size() - (guion - antes) < nombre.size()) continue;
            if (std::equal(nombre.begin(), nombre.end(), sql.begin() + static_cast<std::ptrdiff_t>(guion - antes), igual)) return true;
        }
    }
    return false;
}

// The neighbours a name is replaced between: before it, after it.
constexpr std::pair<const char*, const char*> kVecinos[] = {
    {" ", " "}, {"(", " "}, {" ", "."}, {"(", "."}, {",", "."},
};

std::string ReemplazaEntre(const std::string& sql, const char* antes, const char* nombre,
                           const char* despues, const char* sinonimo) {
    return vb::Replace(sql, std::string(antes) + nombre + despues,
                       std::string(antes) + sinonimo + despues, vb::Compare::Text);
}

// SQL text without its "@Admin_" markers (any letter case).
std::string SinMarcas(const std::string& codigo) { return vb::Replace(codigo, "@Admin_", "", vb::Compare::Text); }

std::string TextoDeCampo(const adodb::Recordset& rs, const char* campo) {
    return vb::Trim(vb::TextOf(rs.Fields(campo).Value()));
}

}  // namespace

// ---- Synonyms and literals ---------------------------------------------------

// Names and markers are replaced outside string literals only: a value that
// holds a table's name or "@Admin_" reaches the database unchanged.
std::string DB_Dll::SS_TSinonimos(const std::string& SQL) const {
    if (gEsAdmin) return QuitaMarcas(SQL);
    if (!NombraSinonimo(SQL)) return SQL;  // most statements: nothing to swap, no need to find the literals
    return detail::FueraDeLiterales(SQL, [](const std::string& codigo) {
        // A name that does not occur has nothing to replace: most statements
        // name none of these tables, and each replacement folds the whole text.
        const std::string plegado = vb::LCase(codigo);
        const auto aparece = [&](std::string_view nombre) {
            return plegado.find(vb::LCase(nombre)) != std::string::npos;
        };
        std::string sql = codigo;
        for (const Sinonimo& s : kSinonimos) {
            if (!aparece(s.tabla)) continue;
            for (const auto& [antes, despues] : kVecinos) {
                sql = ReemplazaEntre(sql, antes, s.tabla, despues, s.sinonimo);
            }
            if (s.trasLlave) sql = ReemplazaEntre(sql, "{", s.tabla, ".", s.sinonimo);
            if (std::string_view(s.tabla) == "MA_CUENTAS") {
                sql = vb::Replace(sql, "@Admin_MA_CUENTAS", "MA_CUENTAS", vb::Compare::Text);
            }
        }
        return aparece("@Admin_") ? SinMarcas(sql) : sql;
    });
}

vb::Variant DB_Dll::SQLValue(const vb::Variant& Valor, const std::string& Tipo) const {
    const bool importe = Tipo == "@";
    if (Valor.IsNull()) return std::string(importe ? "0" : "NULL");
    if (importe) {
        const vb::Currency moneda = helpers::gFunciones().TextoAMoneda(vb::CStr(Valor));
        return helpers::gFunciones().Reemplaza(vb::CStr(moneda), ",", ".");
    }
    if (Tipo == "'") return SqlText(vb::CStr(Valor));
    // An unquoted fraction is written with a decimal point, never with the
    // regional separator, which SQL would read as a list separator.
    if (Valor.IsDouble() || Valor.IsCurrency()) return SqlNumber(vb::CDbl(Valor));
    return vb::CStr(Valor);
}

// ---- Schema checks -------------------------------------------------------------

bool DB_Dll::ExisteTablaDB(const std::string& Tabla) {
    bool existe = false;
    vb::RunStep(
        [&] {
            adodb::Recordset tablas = gCnn.OpenSchema(adodb::adSchemaTables);
            const std::string buscada = vb::Trim(Tabla);
            for (; !tablas.EOF() && !existe; tablas.MoveNext()) {
                existe = vb::Equals(TextoDeCampo(tablas, "TABLE_NAME"), buscada);
            }
        },
        Manejador("VerificaCampos"));
    return existe;
}

bool DB_Dll::ExisteCampoDB(const std::string& Tabla, const std::string& Campo) {
    if (EsOracle()) return true;
    bool existe = false;
    vb::RunStep(
        [&] {
            // An empty database name restricts nothing: the connection's own.
            const vb::Variant catalogo = gDBName.empty() ? vb::Variant() : vb::Variant(gDBName);
            adodb::Recordset columnas =
                gCnn.OpenSchema(adodb::adSchemaColumns, {catalogo, vb::Variant(), Tabla, vb::Variant()});
            const std::string buscado = vb::Trim(Campo);
            for (; !columnas.EOF() && !existe; columnas.MoveNext()) {
                existe = vb::Equals(TextoDeCampo(columnas, "COLUMN_NAME"), buscado);
            }
        },
        Manejador("VerificaCampos"));
    return existe;
}

bool DB_Dll::VerCampoDB(const std::string& Tabla, const std::string& Campo, bool Agregar,
                        const std::string& Tipo, bool PermiteNulos,
                        std::optional<vb::Variant> ValorDefault) {
    if (ExisteTablaDB(Tabla) && !ExisteCampoDB(Tabla, Campo) && Agregar) {
        AddField(Tabla, Campo, Tipo, PermiteNulos, std::move(ValorDefault));
    }
    return true;
}

void DB_Dll::AddField(const std::string& Tabla, const std::string& Campo, const std::string& Tipo,
                      bool PermiteNulos, std::optional<vb::Variant> ValorDefault) {
    std::string sql;
    vb::RunSteps(
        {
            [&] {
                sql = "ALTER TABLE dbo." + Tabla + " ADD " + Campo + " " + Tipo +
                      (PermiteNulos ? " Null " : " Not Null ");
                if (ValorDefault) {
                    sql += " CONSTRAINT DF_" + vb::Trim(Tabla) + "_" + vb::Trim(Campo) + " DEFAULT (" +
                           vb::CStr(SQLValue(*ValorDefault, "")) + ")";
                }
            },
            [&] { EjecutaConsultaSQL(sql); },
        },
        Manejador("errAddField"));
}

vb::Variant DB_Dll::BuscaUltimoCodigo(const std::string& QueTabla, const std::string& QueCampo,
                                      const vb::Variant&, const std::string& Condicion) {
    std::string sql = "SELECT MAX(" + QueCampo + ") AS MAYOR FROM " + QueTabla;
    if (!vb::Trim(Condicion).empty()) sql += " WHERE " + Condicion;
    return detail::LeeAgregado(gCnn, sql, "MAYOR");
}

// ---- Name helpers ------------------------------------------------------------------

std::string DB_Dll::stSTF(std::string& rsName, int rnPart) {
    if (std::count(rsName.begin(), rsName.end(), '.') >= 2) return StripOwner(rsName);
    const long punto = vb::InStr(rsName, ".");
    if (rnPart != 0) return vb::Mid(rsName, punto + 1);
    if (punto == 0) throw vb::InvalidCall();
    return vb::Left(rsName, static_cast<std::size_t>(punto - 1));
}

std::string DB_Dll::AddBrackets(const std::string& rObjName) {
    if (vb::Contains(rObjName, " ") && vb::Left(rObjName, 1) != "[") return "[" + rObjName + "]";
    return rObjName;
}

std::string DB_Dll::StripConnect(const std::string& rsTblName) {
    const long flecha = vb::InStr(rsTblName, "->");
    if (flecha == 0) return rsTblName;
    if (flecha < 2) throw vb::InvalidCall();
    return vb::Left(rsTblName, static_cast<std::size_t>(flecha - 2));
}

std::string DB_Dll::StripBrackets(const std::string& rsObjName) {
    if (vb::Left(rsObjName, 1) != "[") return rsObjName;
    const long largo = static_cast<long>(vb::Len(rsObjName)) - 2;
    if (largo < 0) throw vb::InvalidCall();
    return vb::Mid(rsObjName, 2, largo);
}

std::string DB_Dll::StripOwner(std::string& rsTblName) {
    const long punto = vb::InStr(rsTblName, ".");
    if (punto > 0) rsTblName = vb::Mid(rsTblName, punto + 1);
    return rsTblName;
}

std::string DB_Dll::StripFileName(const std::string& rsFileName) {
    // Both separators count, so that the folder of a path of this system is found too.
    const long barra = std::max(vb::InStrRev(rsFileName, "\\"), vb::InStrRev(rsFileName, "/"));
    if (barra == 0) return {};
    return vb::Left(rsFileName, static_cast<std::size_t>(barra - 1));
}

namespace detail {

std::string QuitaMarcas(const std::string& sql) {
    if (!vb::Contains(sql, "@Admin_", vb::Compare::Text)) return sql;  // nothing marked
    return FueraDeLiterales(sql, SinMarcas);
}

}  // namespace detail

}  // namespace foundation
