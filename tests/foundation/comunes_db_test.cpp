// The common helpers that read the database or dress a form.
#include <QApplication>
#include <QIcon>
#include <QImage>
#include <QWidget>

#include "db/adodb.h"
#include "foundation/comunes.h"
#include "foundation/session.h"
#include "session_fixture.h"

namespace foundation {
namespace {

class BuscaArticuloTest : public testing::SessionTest {
protected:
    BuscaArticuloTest() {
        Sql(R"(
CREATE TABLE V_MA_ARTICULOS (
  IdArticulo VARCHAR(25) COLLATE RTRIM, Descripcion VARCHAR(50), codigobarra VARCHAR(25) COLLATE RTRIM,
  CODIGOBARRADUN VARCHAR(25) COLLATE RTRIM, UD_TTE VARCHAR(4),
  CODIGOBARRA1 VARCHAR(25) COLLATE RTRIM, UMCB1 VARCHAR(4), CODIGOBARRA2 VARCHAR(25) COLLATE RTRIM, UMCB2 VARCHAR(4),
  CODIGOBARRA3 VARCHAR(25) COLLATE RTRIM, UMCB3 VARCHAR(4), CODIGOBARRA4 VARCHAR(25) COLLATE RTRIM, UMCB4 VARCHAR(4));
INSERT INTO V_MA_ARTICULOS VALUES
  ('A1', 'Tornillo', '7790000000011', '', 'CJ', '', 'U1', '7790000000028', 'U2', '', 'U3', '', 'U4'),
  ('123456', 'Arandela', '7790000000035', '', 'CJ', '', 'U1', '', 'U2', '', 'U3', '', 'U4'),
  ('LARGO-0001', 'Tuerca', '', '', 'CJ', '', 'U1', '', 'U2', '', 'U3', '', 'U4');
)");
        Connect("ana");
    }

    struct Result {
        bool found;
        std::string codigo;
        bool porCodigoBarra;
        std::string descripcion;
        std::string idUnidad;
    };
    Result Find(std::string codigo, bool porCodigoBarra) {
        adodb::Recordset rs;
        bool soloLectura = true;
        std::string descripcion;
        const bool found = BuscaArticulo(codigo, rs, soloLectura, porCodigoBarra, descripcion);
        std::string unidad;
        if (found && rs.HasField("IDUNIDAD")) unidad = vb::TextOf(rs.Fields("IDUNIDAD").Value());
        return {found, codigo, porCodigoBarra, descripcion, unidad};
    }
};

TEST_F(BuscaArticuloTest, ByCodeOrBarCode) {
    // A short code is searched by id only, whatever the caller asked.
    Result r = Find("123456", true);
    EXPECT_TRUE(r.found);
    EXPECT_FALSE(r.porCodigoBarra);
    EXPECT_EQ(r.descripcion, "Arandela");
    r = Find("999999", false);
    EXPECT_FALSE(r.found);
    EXPECT_EQ(r.codigo, "999999");
    EXPECT_EQ(r.descripcion, "");

    // Found in codigobarra: the code becomes the article's id.
    r = Find("7790000000011", false);
    EXPECT_TRUE(r.found);
    EXPECT_EQ(r.codigo, "A1");
    EXPECT_EQ(r.descripcion, "Tornillo");

    // Found in CODIGOBARRA2: the row carries its unit; the code changes only
    // when the caller searched by bar code.
    r = Find("7790000000028", false);
    EXPECT_TRUE(r.found);
    EXPECT_EQ(r.codigo, "7790000000028");
    EXPECT_EQ(r.descripcion, "Tornillo");
    EXPECT_EQ(r.idUnidad, "U2");
    r = Find("7790000000028", true);
    EXPECT_EQ(r.codigo, "A1");

    // A long id that is no bar code is found by id at the end.
    r = Find("LARGO-0001", true);
    EXPECT_TRUE(r.found);
    EXPECT_EQ(r.codigo, "LARGO-0001");
    EXPECT_EQ(r.descripcion, "Tuerca");

    // An apostrophe stays inside the literal.
    r = Find("77'OR'1'='1", false);
    EXPECT_FALSE(r.found);
    EXPECT_TRUE(operator_.Shown().empty());
}

class ConfiguraFormularioTest : public testing::SessionTest {};

TEST_F(ConfiguraFormularioTest, SetsTheIconAndTheToolbarStyle) {
    QImage image(16, 16, QImage::Format_ARGB32);
    image.fill(Qt::red);
    ASSERT_TRUE(image.save(QString::fromStdString(home_.File("sistema.png")), "PNG"));
    testsupport::WriteFile(home_.File("ZE000va.INI"), "[Iconos]\nIconoDelSistema=sistema.png\n");
    gEstiloToolbar = 2.0;

    QWidget form;
    auto* toolbar = new QWidget(&form);
    toolbar->setObjectName("UtilNet1");
    ConfiguraFormulario(&form);
    EXPECT_FALSE(form.windowIcon().isNull());
    EXPECT_EQ(toolbar->property("StyleBar").toDouble(), 2.0);

    // No such icon: nothing set, nothing shown.
    testsupport::WriteFile(home_.File("ZE000va.INI"), "[Iconos]\nIconoDelSistema=none.ico\n");
    QWidget plain;
    ConfiguraFormulario(&plain);
    EXPECT_TRUE(plain.windowIcon().isNull() || plain.windowIcon().cacheKey() == QApplication::windowIcon().cacheKey());
    EXPECT_TRUE(operator_.Shown().empty());
    ConfiguraFormulario(nullptr);
}

}  // namespace
}  // namespace foundation
