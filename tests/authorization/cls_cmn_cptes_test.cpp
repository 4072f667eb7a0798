// The common-documents class: the configuration it reads when created and
// the action-log statement it writes.
#include "documents/cls_cmn_cptes.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "db/adodb.h"
#include "foundation/comunes.h"
#include "foundation/db_dll.h"
#include "foundation/session.h"
#include "grid_fixture.h"
#include "helpers/helpers.h"
#include "vb/datetime.h"
#include "vb/text.h"

namespace authorization {
namespace {

using documents::ClsCmnCptes;

class CmnCptesTest : public testing::GridDbTest {
protected:
    CmnCptesTest() {
        vb::SetClock([] { return vb::Date::FromParts(2024, 3, 5, 9, 7, 31); });
        usuarioPrevio_ = foundation::gUsuarioLogeado;
        foundation::gUsuarioLogeado = "ana";
    }
    ~CmnCptesTest() override {
        vb::SetClock(nullptr);
        foundation::gUsuarioLogeado = usuarioPrevio_;
    }

    void Configura(const std::string& clave, const std::string& valor) {
        db_.gCnn.Execute("INSERT INTO TA_CONFIGURACION (CLAVE, VALOR) VALUES ('" + clave + "', '" + valor + "')");
    }

    // The statement as it must read, with the computer's name.
    static std::string Esperada(const std::string& valores) {
        return " INSERT INTO V_MV_CPTEACCIONES (TC,IdComprobante,IdComplemento,Tipo_accion,FECHAHORA,Usuario,PC,"
               "SYSTEMUSER,NUMEROASIENTO) VALUES (" +
               vb::Replace(valores, "<PC>", helpers::gEstacion().NombrePC()) + ")";
    }

    std::string usuarioPrevio_;
};

struct CasoConstruccion {
    std::vector<std::pair<std::string, std::string>> configuracion;
    double piva;
    double pivaRec;
    bool asientosXStock;
};

TEST_F(CmnCptesTest, ConstructionReadsTheThreeSettings) {
    const std::vector<CasoConstruccion> casos = {
        {{}, 0, 0, false},                                                          // keys missing
        {{{"PIVA", "21"}, {"PIVARec", "10.5"}, {"AsientosXStock", "si"}}, 21, 10.5, true},
        {{{"PIVA", "27,25"}, {"PIVARec", ""}, {"AsientosXStock", "NO"}}, 27.25, 0, false},
        {{{"PIVA", "abc"}, {"AsientosXStock", "SIEMPRE"}}, 0, 0, false},
    };
    for (const CasoConstruccion& caso : casos) {
        db_.gCnn.Execute("DELETE FROM TA_CONFIGURACION");
        for (const auto& [clave, valor] : caso.configuracion) Configura(clave, valor);
        const ClsCmnCptes cmn;
        SCOPED_TRACE(caso.configuracion.empty() ? "empty" : caso.configuracion.front().second);
        EXPECT_DOUBLE_EQ(cmn.PIVA(), caso.piva);
        EXPECT_DOUBLE_EQ(cmn.PIVARec(), caso.pivaRec);
        EXPECT_EQ(cmn.AsientosXStock(), caso.asientosXStock);
    }
}

struct CasoSentencia {
    const char* nombre;
    std::string tc;
    std::string numero;
    std::string complemento;
    bool alta;
    bool modificacion;
    std::string nroAsiento;
    std::optional<std::string> tipo;
    std::string usuario;
    std::string valores;  // the VALUES list; <PC> stands for the computer's name
};

std::vector<CasoSentencia> CasosSentencia() {
    return {
        {"alta", "NP", "0001-00001234", "0", true, false, "", std::nullopt, "ana",
         "'NP  ','0001-00001234',0,'A','05/03/24 09:07','ana','<PC>','',0"},
        {"alta wins over modificacion", "NP", "X", "0", true, true, "", std::nullopt, "ana",
         "'NP  ','X',0,'A','05/03/24 09:07','ana','<PC>','',0"},
        {"modificacion", " FC ", "A000100000001", "3", false, true, "", std::nullopt, "ana",
         "'FC  ','A000100000001',3,'M','05/03/24 09:07','ana','<PC>','',0"},
        {"baja with a seat number", "RM", "0001-00000450", "0", false, false, "15", std::nullopt, "ana",
         "'RM  ','0001-00000450',0,'B','05/03/24 09:07','ana','<PC>','',15"},
        {"blank seat number", "NP", "1", "0", false, false, "  ", std::nullopt, "ana",
         "'NP  ','1',0,'B','05/03/24 09:07','ana','<PC>','',0"},
        {"a four-letter code stays as it is", "ABCD", "1", "0", true, false, "", std::nullopt, "ana",
         "'ABCD','1',0,'A','05/03/24 09:07','ana','<PC>','',0"},
        {"authorization code", "NP", "0001-00001234", "0", true, false, "", "AO", "ana",
         "'NP  ','0001-00001234',0,'AO','05/03/24 09:07','ana','<PC>','',0"},
        // A user named A keeps his name: the code is not put in by rewriting the text.
        {"user named A", "NP", "0001-00001234", "0", true, false, "", "AO", "A",
         "'NP  ','0001-00001234',0,'AO','05/03/24 09:07','A','<PC>','',0"},
        {"apostrophes are doubled", "NP", "0001-O'BRIEN", "0", true, false, "", std::nullopt, "d'Ana",
         "'NP  ','0001-O''BRIEN',0,'A','05/03/24 09:07','d''Ana','<PC>','',0"},
    };
}

TEST_F(CmnCptesTest, ActualizaBuchonBuildsTheExactStatement) {
    for (const CasoSentencia& caso : CasosSentencia()) {
        SCOPED_TRACE(caso.nombre);
        foundation::gUsuarioLogeado = caso.usuario;
        ClsCmnCptes cmn;
        std::string sentencia = "sin tocar";
        ASSERT_TRUE(cmn.ActualizaBuchon(caso.tc, caso.numero, caso.complemento, caso.alta, caso.modificacion, true,
                                        &sentencia, caso.nroAsiento, caso.tipo));
        EXPECT_EQ(sentencia, Esperada(caso.valores));
        EXPECT_TRUE(foundation::gCamposInsert.empty());
    }
    // Generating runs nothing.
    EXPECT_EQ(vb::TextOf(db_.gCnn.Query("SELECT COUNT(*) FROM V_MV_CPTEACCIONES").rows[0][0]), "0");
}

// The record bound through the parameterised call stores what the literal
// statement stores, value for value and type for type.
TEST_F(CmnCptesTest, SentenciaBuchonBindsWhatTheLiteralStatementWrites) {
    const std::string columnas =
        "quote(TC), quote(IdComprobante), quote(IdComplemento), quote(Tipo_accion), quote(FECHAHORA), "
        "quote(Usuario), quote(PC), quote(SYSTEMUSER), quote(NUMEROASIENTO)";
    for (const CasoSentencia& caso : CasosSentencia()) {
        SCOPED_TRACE(caso.nombre);
        db_.gCnn.Execute("DELETE FROM V_MV_CPTEACCIONES");
        foundation::gUsuarioLogeado = caso.usuario;
        ClsCmnCptes cmn;
        std::string literal, marcada;
        std::vector<vb::Variant> valores;
        ASSERT_TRUE(cmn.ActualizaBuchon(caso.tc, caso.numero, caso.complemento, caso.alta, caso.modificacion, true,
                                        &literal, caso.nroAsiento, caso.tipo));
        ASSERT_TRUE(cmn.SentenciaBuchon(caso.tc, caso.numero, caso.complemento, caso.alta, caso.modificacion, marcada,
                                        valores, caso.nroAsiento, caso.tipo));
        EXPECT_EQ(marcada, Esperada("?,?,?,?,?,?,?,?,?"));
        EXPECT_TRUE(foundation::gCamposInsert.empty());
        ASSERT_TRUE(db_.EjecutaConsultaSQL(literal));
        long filas = 0;
        ASSERT_TRUE(db_.EjecutaConsultaSQL(marcada, valores, filas));
        EXPECT_EQ(filas, 1);
        const adodb::ResultSet guardadas =
            db_.gCnn.Query("SELECT " + columnas + " FROM V_MV_CPTEACCIONES ORDER BY ID");
        ASSERT_EQ(guardadas.rows.size(), 2u);
        EXPECT_EQ(guardadas.rows[0], guardadas.rows[1]);
    }
}

TEST_F(CmnCptesTest, ActualizaBuchonRunsTheStatementUnlessAskedForIt) {
    ClsCmnCptes cmn;
    EXPECT_TRUE(cmn.ActualizaBuchon("NP", "0001-00000007", "0", false, true));
    const adodb::ResultSet filas = db_.gCnn.Query(
        "SELECT TC, IdComprobante, IdComplemento, Tipo_accion, FECHAHORA, Usuario, PC, SYSTEMUSER, NUMEROASIENTO "
        "FROM V_MV_CPTEACCIONES");
    ASSERT_EQ(filas.rows.size(), 1u);
    const std::vector<vb::Variant>& fila = filas.rows[0];
    EXPECT_EQ(vb::TextOf(fila[0]), "NP  ");
    EXPECT_EQ(vb::TextOf(fila[1]), "0001-00000007");
    EXPECT_EQ(vb::TextOf(fila[3]), "M");
    EXPECT_EQ(vb::TextOf(fila[4]), vb::TextOf(vb::Variant(vb::Date::FromParts(2024, 3, 5, 9, 7))));
    EXPECT_EQ(vb::TextOf(fila[5]), "ana");
    EXPECT_EQ(vb::TextOf(fila[6]), helpers::gEstacion().NombrePC());
    EXPECT_EQ(vb::TextOf(fila[8]), "0");
    EXPECT_TRUE(operator_.Shown().empty());
}

TEST_F(CmnCptesTest, ActualizaBuchonRefusesAComplementThatIsNotANumber) {
    ClsCmnCptes cmn;
    TomarSentencias();  // the configuration it read
    for (const char* complemento : {"", "1; DELETE FROM V_MV_CPTE", "1.5", "x"}) {
        SCOPED_TRACE(complemento);
        std::string sentencia;
        EXPECT_FALSE(cmn.ActualizaBuchon("NP", "1", complemento, true, false, true, &sentencia));
        EXPECT_EQ(sentencia, "");
        EXPECT_FALSE(cmn.ActualizaBuchon("NP", "1", complemento, true, false));
        std::vector<vb::Variant> valores;
        EXPECT_FALSE(cmn.SentenciaBuchon("NP", "1", complemento, true, false, sentencia, valores));
        EXPECT_EQ(sentencia, "");
        EXPECT_TRUE(valores.empty());
    }
    EXPECT_TRUE(TomarSentencias().empty());
}

}  // namespace
}  // namespace authorization
