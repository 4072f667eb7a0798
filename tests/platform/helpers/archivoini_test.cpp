#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <filesystem>

#include "helpers/helpers.h"
#include "support.h"
#include "vb/error.h"

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


// A name that stands for no regular file is refused at once, naming what it
// is: a FIFO would otherwise hold the program for good, waiting for a writer.
TEST_F(LeeIni, ANameThatIsNoRegularFileIsRefusedWithoutWaiting) {
    ASSERT_EQ(mkfifo(dir_.File("fifo.ini").c_str(), 0600), 0);
    std::filesystem::create_directory(dir_.File("carpeta.ini"));
    const int enchufe = socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un direccion{};
    direccion.sun_family = AF_UNIX;
    const std::string ruta = dir_.File("socket.ini");
    ASSERT_LT(ruta.size(), sizeof direccion.sun_path);
    ruta.copy(direccion.sun_path, ruta.size());
    ASSERT_EQ(bind(enchufe, reinterpret_cast<const sockaddr*>(&direccion), sizeof direccion), 0);
    struct Case {
        std::string archivo, que;
    };
    const Case cases[] = {
        {dir_.File("fifo.ini"), "una tubería (FIFO)"},
        {"carpeta.ini", "una carpeta"},
        {"socket.ini", "un socket"},
        {"/dev/null", "un dispositivo"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.archivo);
        try {
            helpers::gArchivoIni().LeeIni(c.archivo, "Iconos", "IconoDelSistema", "x");
            ADD_FAILURE() << "read";
        } catch (const vb::Error& e) {
            EXPECT_EQ(e.Number(), vb::kErrPathFileAccess);
            const std::string ruta = c.archivo.front() == '/' ? c.archivo : dir_.File(c.archivo);
            EXPECT_EQ(e.Description(), "No se lee la configuración: " + ruta + " no es un archivo sino " + c.que);
        }
    }
    close(enchufe);
}

}  // namespace
