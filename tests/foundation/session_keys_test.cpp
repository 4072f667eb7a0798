// Reading the session keys of a command line, and the server part of a
// server name.
#include <gtest/gtest.h>

#include "foundation/session.h"

namespace foundation {
namespace {

struct KeyCase {
    const char* line;
    const char* key;
    const char* expected;
};

class LeeClaveLineaComandoTest : public ::testing::TestWithParam<KeyCase> {};

TEST_P(LeeClaveLineaComandoTest, ReadsTheValue) {
    const KeyCase& c = GetParam();
    EXPECT_EQ(LeeClaveLineaComando(c.line, c.key, "<default>"), c.expected) << c.line << " / " << c.key;
}

// The form the launcher writes.
constexpr const char* kLauncher =
    " ; @server=S; @dbname=D; @usuario=U; @Password=P; @ParametroAdicional=X; zelt@ ; "
    "@UsuarioLogeado = L; @Caja=C;";

INSTANTIATE_TEST_SUITE_P(
    Cases, LeeClaveLineaComandoTest,
    ::testing::Values(
        KeyCase{kLauncher, "@Server", "S"}, KeyCase{kLauncher, "@DbName", "D"},
        KeyCase{kLauncher, "@Usuario", "U"}, KeyCase{kLauncher, "@Password", "P"},
        KeyCase{kLauncher, "@ParametroAdicional", "X"}, KeyCase{kLauncher, "@UsuarioLogeado", "L"},
        KeyCase{kLauncher, "@Caja", "C"}, KeyCase{kLauncher, "@Menu", "<default>"},
        // Blanks around "=" and any letter case.
        KeyCase{"@Server = SRV01 ;", "@Server", "SRV01"}, KeyCase{"@SERVER=SRV01;", "@server", "SRV01"},
        // A last value without ";" runs to the end of the text.
        KeyCase{"@Server=ABCDEFGHIJ", "@Server", "ABCDEFGHIJ"}, KeyCase{"@Caja=12", "@Caja", "12"},
        // A longer key that begins with the one asked for does not match it.
        KeyCase{"@UsuarioLogeado=x;", "@Usuario", "<default>"},
        KeyCase{"@UsuarioLogeado=x; @Usuario=ana;", "@Usuario", "ana"},
        // Only the "=" after the key goes; blanks inside a value stay.
        KeyCase{"@Password=a=b;", "@Password", "a=b"}, KeyCase{"@Password==x;", "@Password", "=x"},
        KeyCase{"@ParametroAdicional= OC|0001 23 ;", "@ParametroAdicional", "OC|0001 23"},
        // An empty value is empty, not the default.
        KeyCase{"@Caja=;", "@Caja", ""}, KeyCase{"", "@Caja", "<default>"},
        // The first matching occurrence wins.
        KeyCase{"@Caja=1; @Caja=2;", "@Caja", "1"}));

TEST(ExtraeServidor, TakesTheServerPart) {
    const struct {
        const char* text;
        const char* expected;
    } cases[] = {
        {"host/INST:99", "INST"}, {"SRV01:99", "SRV01"}, {"SRV01", "SRV01"},
        {"host/INST", "INST"},    {"", ""},              {"a/b/c:1:2", "b/c"},
    };
    for (const auto& c : cases) EXPECT_EQ(ExtraeServidor(c.text), c.expected) << c.text;
}

TEST(LineaComandoProceso, JoinsTheArgumentsAfterTheProgramName) {
    const char* argv[] = {"/opt/tarvolin", "@server=local;", "@dbname=a.db;", "@usuario=ana;"};
    SetLineaComandoProceso(4, argv);
    EXPECT_EQ(LineaComandoProceso(), "@server=local; @dbname=a.db; @usuario=ana;");
    SetLineaComandoProceso(1, argv);
    EXPECT_EQ(LineaComandoProceso(), "");
}

}  // namespace
}  // namespace foundation
