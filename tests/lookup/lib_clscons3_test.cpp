// Creation of the lookup service: the keys it reads from the configuration.
#include <gtest/gtest.h>

#include "foundation/configuracion.h"
#include "foundation/db_dll.h"
#include "lookup/lib_clscons3.h"
#include "support.h"
#include "ui/msgbox.h"

namespace lookup {
namespace {

class Lib_ClsCons3Test : public ::testing::Test {
protected:
    Lib_ClsCons3Test() {
        foundation::DB_Dll& db = foundation::Db();
        db.gCnn.Close();
        db.gCnn.Open("Provider=SQLOLEDB;Data Source=:memory:");
        db.gEsAdmin = true;
        db.gCnn.Execute(
            "CREATE TABLE TA_CONFIGURACION (CLAVE VARCHAR(100) COLLATE NOCASE, VALOR VARCHAR(255), "
            "VALORAUX VARCHAR(255))");
        foundation::gTablaConfiguracion = "ta_configuracion";
    }
    ~Lib_ClsCons3Test() override { foundation::Db().gCnn.Close(); }

    void Set(const std::string& clave, const char* valor) {
        foundation::Db().gCnn.Execute("INSERT INTO TA_CONFIGURACION (CLAVE, VALOR, VALORAUX) VALUES ('" + clave +
                                      "', " + (valor ? "'" + std::string(valor) + "'" : "NULL") + ", 'aux')");
    }

    testsupport::TempDir home_;
    testsupport::ScopedEnv homeEnv_{"TARVOLIN_HOME", home_.Path().string()};
    ui::ScriptedOperator operator_;
};

TEST_F(Lib_ClsCons3Test, CreationReadsItsKeys) {
    Set("MostrarStockenConsultas", "si");
    Set("Stk_Nivel1", "255");
    Set("Stk_Nivel2", "");
    Set("Stk_Nivel3", nullptr);  // Null reads as the empty text
    Set("UsaConsultaLIKE", "Si");
    Lib_ClsCons3 service;
    EXPECT_EQ(service.MuestraStock, "si");
    EXPECT_EQ(service.StkNivel1, vb::Variant("255"));
    EXPECT_EQ(service.StkNivel2, vb::Variant(0));
    EXPECT_EQ(service.StkNivel3, vb::Variant(0));
    EXPECT_EQ(service.StkNivel4, vb::Variant(" "));  // a missing key keeps the blank
    EXPECT_TRUE(service.UsaConsultaLike());
    ASSERT_TRUE(service.CmpsDevueltos);
    ASSERT_TRUE(service.Valores);
    EXPECT_TRUE(service.CmpsDevueltos->empty());
    EXPECT_TRUE(service.Valores->empty());
    EXPECT_FALSE(service.Cantidades);
    EXPECT_FALSE(service.Checks);
    EXPECT_FALSE(service.gUsarMascarasConsultas);
    EXPECT_TRUE(operator_.Shown().empty());
}

TEST_F(Lib_ClsCons3Test, MissingKeys) {
    Lib_ClsCons3 service;
    EXPECT_EQ(service.MuestraStock, " ");
    EXPECT_EQ(service.StkNivel1, vb::Variant(" "));
    EXPECT_FALSE(service.UsaConsultaLike());
}

TEST_F(Lib_ClsCons3Test, TheGlobalInstanceIsCreatedOnce) {
    Set("MostrarStockenConsultas", "SI");
    Lib_ClsCons3& first = gConsultas();
    first.CampoDevuelto = "CODIGO";
    EXPECT_EQ(first.MuestraStock, "SI");
    EXPECT_EQ(&gConsultas(), &first);
    EXPECT_EQ(gConsultas().CampoDevuelto, "CODIGO");
}

}  // namespace
}  // namespace lookup
