#include <gtest/gtest.h>

#include <clocale>
#include <cstdlib>
#include <optional>
#include <string>

#include "db/adodb.h"
#include "helpers/helpers.h"
#include "support.h"
#include "vb/error.h"
#include "vb/regional.h"
#include "vb/text.h"

namespace {

using helpers::gFunciones;

TEST(AjustaAncho, PadsOnTheRightNeverCutsAndBlankGivesEmpty) {
    struct Case {
        const char* texto;
        int ancho;
        const char* expected;
    };
    const Case cases[] = {
        {"FC", 4, "FC  "},
        {"FACT", 4, "FACT"},
        {"ELDELGRID", 4, "ELDELGRID"},  // longer: unchanged
        {"'OC'", 4, "'OC'"},
        {"ART1", 25, "ART1                     "},
        {"", 4, ""},
        {"   ", 4, ""},
        {"Ñú", 4, "Ñú  "},  // widths count characters
        {"X", 0, "X"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(gFunciones().AjustaAncho(c.texto, c.ancho), c.expected) << '"' << c.texto << "\" " << c.ancho;
    }
    EXPECT_EQ(gFunciones().AjustaAncho("RM"), "RM  ");  // default width 4
}

// The numeric readers take either separator whatever the regional settings.
// The parameter is the regional decimal separator.
class TextoANumero : public ::testing::TestWithParam<std::string> {
protected:
    static vb::Regional Settings(const std::string& decimal) {
        vb::Regional r;
        r.decimalSeparator = decimal;
        r.thousandsSeparator = decimal == "," ? "." : ",";
        return r;
    }
    vb::ScopedRegional regional_{Settings(GetParam())};
};

TEST_P(TextoANumero, ReadsBothDecimalSeparatorsAndBlankGivesZero) {
    struct Case {
        const char* texto;
        std::int64_t ticks;  // ten-thousandths
        double doble;
        bool numero = true;  // EsNumero
    };
    const Case cases[] = {
        {"", 0, 0, false},
        {"   ", 0, 0, false},
        {"abc", 0, 0, false},
        {"12abc", 0, 0, false},
        {"|", 0, 0, false},
        {"-", 0, 0, false},
        {"1|", 0, 0, false},
        {"12,5", 125000, 12.5},
        {"12.5", 125000, 12.5},
        {" 7 ", 70000, 7},
        {"-3,25", -32500, -3.25},
        {"1.234,56", 12345600, 1234.56},
        {"1,234.56", 12345600, 1234.56},
        {"1.234.567", 12345670000, 1234567},
        {",5", 5000, 0.5},
        {"0,00015", 2, 0.00015},  // Currency halves to even
        {"0,00025", 2, 0.00025},
        {"0,000251", 3, 0.000251},
        {"1,5E3", 15000000, 1500},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(gFunciones().TextoAMoneda(c.texto).Ticks(), c.ticks) << '"' << c.texto << '"';
        EXPECT_DOUBLE_EQ(gFunciones().TextoADoble(c.texto), c.doble) << '"' << c.texto << '"';
        EXPECT_EQ(gFunciones().EsNumero(c.texto), c.numero) << '"' << c.texto << '"';
    }
    EXPECT_EQ(gFunciones().TextoALong("2,5"), 2);
    EXPECT_EQ(gFunciones().TextoALong("3.5"), 4);
    EXPECT_THROW(gFunciones().TextoALong("99999999999"), vb::Error);
}

INSTANTIATE_TEST_SUITE_P(Regional, TextoANumero,
                         ::testing::Values(",", "."),
                         [](const auto& info) { return info.param == "," ? "Comma" : "Point"; });

// The application object sets the C locale from the user's environment, where
// the decimal point may be a comma; the readers must give the same numbers.
TEST(TextoANumero, DoNotDependOnTheCLocale) {
    const std::string saved = std::setlocale(LC_NUMERIC, nullptr);
    bool commaLocale = false;
    for (const char* name : {"es_ES.UTF-8", "es_AR.UTF-8", "de_DE.UTF-8", "fr_FR.UTF-8", "it_IT.UTF-8",
                             "pt_BR.UTF-8"}) {
        if (std::setlocale(LC_NUMERIC, name) && std::string(std::localeconv()->decimal_point) == ",") {
            commaLocale = true;
            break;
        }
    }
    // Without one installed, compile one (the locales package's sources) into a
    // temporary folder and point the C library at it.
    testsupport::TempDir localeDir;
    std::optional<testsupport::ScopedEnv> locPath;
    if (!commaLocale) {
        const std::string target = (localeDir.Path() / "es_ES.UTF-8").string();
        const std::string command = "localedef -i es_ES -f UTF-8 '" + target + "' >/dev/null 2>&1";
        if (std::system(command.c_str()) == 0) {
            locPath.emplace("LOCPATH", localeDir.Path().string());
            commaLocale = std::setlocale(LC_NUMERIC, "es_ES.UTF-8") &&
                          std::string(std::localeconv()->decimal_point) == ",";
        }
    }
    if (!commaLocale) GTEST_SKIP() << "no locale with a decimal comma is installed or can be built";
    const double doble = gFunciones().TextoADoble("12,5");
    const double conMiles = gFunciones().TextoADoble("1.234,56");
    const std::int32_t largo = gFunciones().TextoALong("3.5");
    const std::int64_t ticks = gFunciones().TextoAMoneda("1,5E3").Ticks();
    std::setlocale(LC_NUMERIC, saved.c_str());
    EXPECT_DOUBLE_EQ(doble, 12.5);
    EXPECT_DOUBLE_EQ(conMiles, 1234.56);
    EXPECT_EQ(largo, 4);
    EXPECT_EQ(ticks, 15000000);
}

TEST(QuitaCaracteres, RemovesEachGivenCharacterCountingCharacters) {
    const std::string texto = "A" + vb::kChr255 + "ñ" + vb::Chr(0) + "B" + vb::kChr255;
    const std::string result = gFunciones().QuitaCaracteres(texto, vb::kChr255, vb::Chr(0));
    EXPECT_EQ(result, "AñB");
    EXPECT_EQ(vb::Len(result), 3u);
    // ÿ and ñ share their first byte in UTF-8; only whole characters go.
    EXPECT_EQ(gFunciones().QuitaCaracteres("ñÿñ", vb::kChr255), "ññ");
    EXPECT_EQ(gFunciones().QuitaCaracteres("a|b,c|", "|", ",", "c"), "ab");
}

TEST(CuentaPalabras, CountsWordsSeparatedByBlanksTabsAndLineBreaks) {
    const std::pair<const char*, long> cases[] = {
        {"", 0}, {"   ", 0}, {"LEN", 1}, {"  LEN  ", 1}, {"SELECT * FROM t", 4}, {"a\tb\r\nc", 3},
    };
    for (const auto& [texto, words] : cases) EXPECT_EQ(gFunciones().CuentaPalabras(texto), words) << texto;
}

TEST(CodificaClave, RoundTripsAnyTextAndEncodesToASafeIniValue) {
    const std::string cases[] = {"",         "operador",     "a=b",         "x;y",          "CAJA|1",
                                 "ñandú €",  " blancos ",   "line\r\nbreak", std::string("nul\0z", 5),
                                 std::string(300, 'k')};
    for (const std::string& texto : cases) {
        const std::string code = gFunciones().CodificaClave(texto);
        EXPECT_EQ(gFunciones().DecodificaClave(code), texto) << texto;
        EXPECT_EQ(code.find_first_of(";=|\r\n\"[] \t"), std::string::npos) << code;
        if (!texto.empty()) {
            EXPECT_NE(code, texto);
        }
    }
    EXPECT_EQ(gFunciones().CodificaClave(""), "");
    try {
        (void)gFunciones().DecodificaClave("not encoded");
        FAIL() << "expected error 5";
    } catch (const vb::Error& e) {
        EXPECT_EQ(e.Number(), vb::kErrInvalidCall);
    }
}

TEST(RutaConBarra, EndsWithExactlyOneSlash) {
    EXPECT_EQ(gFunciones().RutaConBarra("/opt/tv"), "/opt/tv/");
    EXPECT_EQ(gFunciones().RutaConBarra("/opt/tv/"), "/opt/tv/");
    EXPECT_EQ(gFunciones().RutaConBarra("/opt/tv//"), "/opt/tv/");
    EXPECT_EQ(gFunciones().RutaConBarra("/"), "/");
}

TEST(RutaAplicacion, IsTarvolinHomeWhenSetElseTheProgramsFolder) {
    {
        testsupport::ScopedEnv home("TARVOLIN_HOME", "/srv/tarvolin");
        EXPECT_EQ(gFunciones().RutaAplicacion(), "/srv/tarvolin");
    }
    testsupport::ScopedEnv home("TARVOLIN_HOME", std::nullopt);
    const std::filesystem::path folder = gFunciones().RutaAplicacion();
    EXPECT_TRUE(std::filesystem::exists(folder / "tv_helpers_test")) << folder;
}

TEST(Reemplaza, ReplacesEveryOccurrenceReemplazaTextoWithoutRegardToCase) {
    EXPECT_EQ(gFunciones().Reemplaza("a|b|c", "|", ","), "a,b,c");
    EXPECT_EQ(gFunciones().Reemplaza("V_MA_ARTICULOS v_ma_articulos", "V_MA_ARTICULOS", "VT_MA_ARTICULOS"),
              "VT_MA_ARTICULOS v_ma_articulos");
    EXPECT_EQ(gFunciones().ReemplazaTexto("from v_ma_articulos", "V_MA_ARTICULOS", "VT_MA_ARTICULOS"),
              "from VT_MA_ARTICULOS");
}

TEST(ClsFunciones, SmallTextHelpers) {
    EXPECT_EQ(gFunciones().QuitaComillas("'OC'"), "OC");
    EXPECT_EQ(gFunciones().QuitaComillas("OC"), "OC");
    EXPECT_EQ(gFunciones().QuitaComillas("''"), "");
    EXPECT_TRUE(gFunciones().EstaEnLista("fc", {"FC", "TK"}));
    EXPECT_FALSE(gFunciones().EstaEnLista("FCC", {"FC", "TK"}));
    EXPECT_EQ(gFunciones().TextoDeValor(std::string("L001  \0\0", 8)), "L001");
    EXPECT_EQ(gFunciones().TextoDeValor(vb::Variant(3)), "3");
}

TEST(ValorCampo, GivesNullAndEmptyBackAsEmptyText) {
    EXPECT_EQ(gFunciones().ValorCampo(vb::Variant(vb::Null)), vb::Variant(""));
    EXPECT_EQ(gFunciones().ValorCampo(vb::Variant()), vb::Variant(""));
    EXPECT_EQ(gFunciones().ValorCampo(vb::Variant(2.5)), vb::Variant(2.5));

    adodb::Recordset rs;
    rs.OpenResult({{{"Codigo", adodb::adVarChar, 4}, {"Lote", adodb::adVarChar, 25}},
                   {{vb::Variant("A1"), vb::Variant(vb::Null)}}});
    EXPECT_EQ(gFunciones().ValorCampo(rs.Fields("codigo")), vb::Variant("A1"));
    EXPECT_EQ(gFunciones().ValorCampo(rs.Fields("Lote")), vb::Variant(""));
}

TEST(ClsTeclado, EnterTabEscapeUpAndDownEndAnEdit) {
    for (int key : {13, 9, 27, 38, 40}) EXPECT_TRUE(helpers::gTeclado().TeclaFinEdicion(key)) << key;
    for (int key : {8, 32, 37, 39, 65}) EXPECT_FALSE(helpers::gTeclado().TeclaFinEdicion(key)) << key;
    for (int key : {8, 13, 32, 65, 0xF1}) {
        int filtered = key;
        helpers::gTeclado().FiltraTecla(nullptr, filtered);
        EXPECT_EQ(filtered, key);
    }
}

TEST(ClsCartel, DoesNothingWithoutWindows) {
    helpers::ClsCartel cartel;
    cartel.AbreCartel("Grabando Stock....");
    cartel.ActualizaCartel(false, "Grabando Stock...", "A1  x", "1 de 3");
    EXPECT_FALSE(cartel.Abierto());
    cartel.CierraCartel();
}

}  // namespace
