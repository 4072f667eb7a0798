#include "ast_fixture.h"

#include "schema_db.h"

#include <algorithm>
#include <set>
#include <utility>

#include "foundation/configuracion.h"
#include "numbering/ast.h"
#include "vb/datetime.h"
#include "vb/variant.h"

namespace numbering::testing {

namespace {
std::string Literal(const std::optional<int>& v) { return v ? std::to_string(*v) : "NULL"; }
std::string Texto(const std::string& s) { return "'" + s + "'"; }
}  // namespace

AstDbTest::AstDbTest()
    : db_(foundation::Db()), talonario_(TalonarioActual), unegocio_(foundation::gUNegocio) {
    testsupport::OpenSchemaDatabase(db_.gCnn, &statements_);
    TalonarioActual = 0;
    foundation::gUNegocio = "   1";
    statements_.clear();
}

AstDbTest::~AstDbTest() {
    testsupport::CloseSchemaDatabase(db_.gCnn);
    TalonarioActual = talonario_;
    foundation::gUNegocio = unegocio_;
    vb::SetClock(nullptr);
}

void AstDbTest::Run(const std::string& sql) {
    db_.gCnn.Execute(sql);
    statements_.clear();
}

void AstDbTest::Agrega(const Rango& r, const std::string& tabla) {
    const std::string& l = r.letra;
    Run("INSERT INTO " + tabla + " (CODIGO, TALONARIO, " + (tabla == "V_TA_CPTE" ? "UNEGOCIO, Letras, " : "") +
        "SISTEMA, Externo, Modificanumeracion, " + l + "_ULTIMO_NRO, " + l + "_NRO_DESDE, " + l + "_NRO_HASTA, " + l +
        "_SUC_DEFAULT, Vence" + l + ") VALUES (" + Texto(r.codigo) + ", " + std::to_string(r.talonario) + ", " +
        (tabla == "V_TA_CPTE" ? Texto(r.unegocio) + ", " + Texto(r.letras) + ", " : "") + Texto(r.sistema) + ", " +
        Literal(r.externo) + ", " + Literal(r.modifica) + ", " + Literal(r.ultimo) + ", " + Literal(r.desde) + ", " +
        Literal(r.hasta) + ", " + std::to_string(r.sucursal) + ", " + (r.vence.empty() ? "NULL" : Texto(r.vence)) +
        ")");
}

std::string AstDbTest::Valor(const std::string& sql) {
    adodb::Recordset rs;
    rs.Open(sql, db_.gCnn);
    const std::string valor = rs.EOF() ? "<none>" : vb::TextOf(rs.Fields(0).Value());
    statements_.clear();
    return valor;
}

std::vector<std::string> AstDbTest::TakeStatements() { return std::exchange(statements_, {}); }

int AstDbTest::Cuenta(const std::string& texto) {
    const std::vector<std::string> all = TakeStatements();
    return static_cast<int>(
        std::count_if(all.begin(), all.end(), [&](const std::string& s) { return s.find(texto) != std::string::npos; }));
}

void AstDbTest::EsperaNumerosValidos(const std::vector<std::string>& claves, const std::string& tc) {
    std::set<std::string> vistas;
    for (const std::string& clave : claves) {
        ASSERT_EQ(clave.size(), 13u) << clave;
        EXPECT_TRUE(vistas.insert(clave).second) << clave << " handed out twice";
        EXPECT_EQ(clave.substr(0, 4) + clave.substr(12), "0001X") << clave;
        const std::string n = std::to_string(std::stoi(clave.substr(4, 8)));
        EXPECT_EQ(Valor("SELECT COUNT(*) FROM V_TA_CPTE WHERE CODIGO = '" + tc + "' AND X_NRO_DESDE <= " + n +
                        " AND X_NRO_HASTA >= " + n + " AND X_ULTIMO_NRO > " + n),
                  "1")
            << clave << " is in no range, or not recorded in its range";
    }
}

}  // namespace numbering::testing
