#include <gtest/gtest.h>

#include "helpers/helpers.h"
#include "support.h"

namespace {

class LeeIni : public ::testing::Test {
protected:
    void SetUp() override {
        testsupport::WriteFile(dir_.File("ZE000va.INI"),
                               "; workstation settings\r\n"
                               "[CAJA1|ANA]\r\n"
                               "FlatToolbars=0\r\n"
                               "\r\n"
                               "[caja1|anaBaseDeDatos]\r\n"
                               "Servidor = SRV01 \r\n"
                               "dbname=demo.db\r\n"
                               "Vacio=\r\n"
                               "Clave=a=b\r\n"
                               "[Iconos]\r\n"
                               "IconoDelSistema=\"ICO 1\"\r\n");
    }
    testsupport::TempDir dir_;
    testsupport::ScopedEnv home_{"TARVOLIN_HOME", dir_.Path().string()};
};

TEST_F(LeeIni, FindsKeysWithoutRegardToCaseAndGivesTheDefaultOnAMiss) {
    struct Case {
        std::string archivo, seccion, clave, porDefecto, expected;
    };
    const Case cases[] = {
        {"ZE000va.INI", "CAJA1|ANABaseDeDatos", "Servidor", "x", "SRV01"},
        {"ZE000va.INI", "CAJA1|ANABaseDeDatos", "DBNAME", "x", "demo.db"},
        {"ZE000va.INI", "CAJA1|ANA", "flattoolbars", "1", "0"},
        {"ZE000va.INI", "CAJA1|ANA", "Servidor", "none", "none"},  // key of another section
        {"ZE000va.INI", "CAJA1|ANABaseDeDatos", "FlatToolbars", "1", "1"},
        {"ZE000va.INI", "CAJA1|ANABaseDeDatos", "Usuario", "dflt", "dflt"},
        {"ZE000va.INI", "CAJA1|ANABaseDeDatos", "Vacio", "dflt", ""},  // present but empty
        {"ZE000va.INI", "CAJA1|ANABaseDeDatos", "Clave", "", "a=b"},
        {"ZE000va.INI", "CAJA2|ANABaseDeDatos", "Servidor", "none", "none"},
        {"ZE000va.INI", "Iconos", "IconoDelSistema", "ZAZADIZAVAZ", "ICO 1"},
        {"missing.ini", "Iconos", "IconoDelSistema", "ZAZADIZAVAZ", "ZAZADIZAVAZ"},
        {dir_.File("ZE000va.INI"), "Iconos", "IconoDelSistema", "", "ICO 1"},  // absolute path
    };
    for (const Case& c : cases) {
        EXPECT_EQ(helpers::gArchivoIni().LeeIni(c.archivo, c.seccion, c.clave, c.porDefecto), c.expected)
            << c.archivo << " [" << c.seccion << "] " << c.clave;
    }
}

TEST_F(LeeIni, ReadsAnEncodedCredentialBack) {
    const auto& f = helpers::gFunciones();
    testsupport::WriteFile(dir_.File("cred.ini"), "[S]\nUserPassWord=" + f.CodificaClave("p;w=|d") + "\n");
    EXPECT_EQ(f.DecodificaClave(helpers::gArchivoIni().LeeIni("cred.ini", "s", "userpassword", f.CodificaClave(""))),
              "p;w=|d");
    EXPECT_EQ(f.DecodificaClave(helpers::gArchivoIni().LeeIni("cred.ini", "S", "Usuario", f.CodificaClave("operador"))),
              "operador");
}

}  // namespace
