// The default lookup-definition file.
#include <gtest/gtest.h>

#include <filesystem>

#include "foundation/consultas_file.h"
#include "support.h"
#include "vb/error.h"

namespace foundation {
namespace {

// A field as the file holds it: the text, then blanks to the length.
std::string Fixed(const std::string& text, std::size_t length) {
    return text + std::string(length - text.size(), ' ');
}

std::string Record(const std::string& titulo, const std::string& tabla, const std::string& campos) {
    return Fixed(titulo, 100) + Fixed(tabla, 100) + Fixed(campos, 500) + Fixed("", 500) + "\r\n";
}

TEST(CreaArchivoConsultas, WritesTheEightDefaultRecords) {
    testsupport::TempDir dir;
    const std::string path = dir.File("consultas.tsm");
    CreaArchivoConsultas(path);

    const std::string expected =
        Record("ARTICULOS", "V_MA_ARTICULOS", "|DESCRIPCION|IDARTICULO|") +
        Record("CLIENTES", "VT_CLIENTES", "|RAZON_SOCIAL|CODIGO|CONTACTO|") +
        Record("PROVEEDORES", "VT_PROVEEDORES", "|RAZON_SOCIAL|CODIGO|") +
        Record("CONTACTOS", "MA_CONTACTOS", "|Nombre_y_Apellido|Domicilio|Localidad|Telefono|") +
        Record("VENDEDORES", "V_TA_VENDEDORES", "|NOMBRE|IDVENDEDOR|") +
        Record("TECNICOS", "V_TA_TECNICOS", "|NOMBRE|IDTECNICO|") +
        Record("TECNICOS", "V_TA_TECNICOS", "|NOMBRE|IDTECNICO|") +
        Record("MANTENIMIENTOS", "V_MA_MANTENIMIENTOS", "|DESCRIPCION|CODIGO|");
    ASSERT_EQ(expected.size(), 9616u);
    const std::string written = testsupport::ReadFile(path);
    EXPECT_EQ(written.size(), 9616u);
    EXPECT_TRUE(written == expected) << "the file differs from the default records";
}

TEST(CreaArchivoConsultas, NeverTouchesAnExistingFile) {
    testsupport::TempDir dir;
    const std::string path = dir.File("consultas.tsm");
    testsupport::WriteFile(path, "");
    try {
        CreaArchivoConsultas(path);
        FAIL() << "an existing file was accepted";
    } catch (const vb::Error& e) {
        EXPECT_EQ(e.Number(), 58);
    }
    EXPECT_EQ(testsupport::ReadFile(path), "");
}

TEST(CreaArchivoConsultas, FailureInAMissingFolderLeavesNoFile) {
    testsupport::TempDir dir;
    const std::string path = dir.File("no-such-folder/consultas.tsm");
    try {
        CreaArchivoConsultas(path);
        FAIL() << "no error for a missing folder";
    } catch (const vb::Error& e) {
        EXPECT_EQ(e.Number(), vb::kErrPathNotFound);
    }
    EXPECT_FALSE(std::filesystem::exists(path));
}

TEST(RegistroConsultaABytes, TrimsCutsAndPadsTheFields) {
    const std::string bytes =
        RegistroConsultaABytes({"  TITULO  ", " TABLA", std::string(600, 'c'), " x = 1 "});
    ASSERT_EQ(bytes.size(), kLargoRegistroConsulta);
    EXPECT_EQ(bytes.substr(0, 100), Fixed("TITULO", 100));
    EXPECT_EQ(bytes.substr(100, 100), Fixed(" TABLA", 100));  // the table is stored as given
    EXPECT_EQ(bytes.substr(200, 500), std::string(500, 'c'));
    EXPECT_EQ(bytes.substr(700, 500), Fixed("x = 1", 500));
    EXPECT_EQ(bytes.substr(1200), "\r\n");
    // One byte per character: "Ñ" is one Latin-1 byte.
    EXPECT_EQ(RegistroConsultaABytes({"AÑO", "T", "", ""}).substr(0, 4), "A\xD1O ");
}

}  // namespace
}  // namespace foundation
