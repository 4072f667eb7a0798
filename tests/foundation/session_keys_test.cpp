// Reading the session keys of a command line, and the server part of a
// server name.
#include <gtest/gtest.h>

#include <string>
#include <vector>

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

// The password's value is blanked in the arguments themselves, wherever the
// key reading finds it; nothing else changes, and the line read before keeps it.
TEST(LineaComandoProceso, ThePasswordIsBlankedInTheArguments) {
    struct Caso {
        std::vector<std::string> argumentos;
        std::vector<std::string> quedan;
    };
    const Caso casos[] = {
        {{"@server=local;", "@Password=s3creto;", "@usuario=ana;"},
         {"@server=local;", "@Password=       ;", "@usuario=ana;"}},
        {{"@server=local;@PASSWORD = a=b;@usuario=ana;"}, {"@server=local;@PASSWORD =    ;@usuario=ana;"}},
        {{"@Password", "=", "mi", "clave;", "@caja=2;"}, {"@Password", "=", "  ", "     ;", "@caja=2;"}},
        {{"@Password=sin-fin"}, {"@Password=       "}},
        {{"@PasswordViejo=x;", "@Password=y;", "@Password=z;"}, {"@PasswordViejo=x;", "@Password= ;", "@Password= ;"}},
        {{"@server=local;", "@usuario=ana;"}, {"@server=local;", "@usuario=ana;"}},
        {{"@Password=;"}, {"@Password=;"}},
    };
    for (const Caso& caso : casos) {
        std::vector<std::vector<char>> textos;
        std::vector<char*> argv{const_cast<char*>("/opt/tarvolin")};
        for (const std::string& a : caso.argumentos) textos.emplace_back(a.c_str(), a.c_str() + a.size() + 1);
        for (std::vector<char>& t : textos) argv.push_back(t.data());
        const int argc = static_cast<int>(argv.size());
        SetLineaComandoProceso(argc, argv.data());
        const std::string leida = LineaComandoProceso();

        BorraPasswordDeArgumentos(argc, argv.data());

        std::vector<std::string> quedan;
        for (int i = 1; i < argc; ++i) quedan.emplace_back(argv[static_cast<std::size_t>(i)]);
        EXPECT_EQ(quedan, caso.quedan) << leida;
        SetLineaComandoProceso(argc, argv.data());
        EXPECT_EQ(LeeClaveLineaComando(LineaComandoProceso(), "@Password"), "") << leida;
        for (const char* clave : {"@Server", "@Usuario", "@Caja"}) {
            EXPECT_EQ(LeeClaveLineaComando(LineaComandoProceso(), clave), LeeClaveLineaComando(leida, clave)) << leida;
        }
    }
    SetLineaComandoProceso(1, std::vector<const char*>{"/opt/tarvolin"}.data());
}

}  // namespace
}  // namespace foundation
