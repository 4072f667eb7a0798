// Numbering ranges and number validation.
#include <optional>
#include <vector>

#include "ast_fixture.h"
#include "numbering/ast.h"

namespace numbering::testing {
namespace {

const std::string kVerifique = "\r\rVerifique los datos desde la TABLA DE COMPROBANTES y vuelta a Intentarlo";
const std::string kLetraInvalida = " La letra Informada no es Valida, la misma debe ser A,B,C,E,R,X,M";
const std::string kSinNumeracion = "Debe configurar la numeracióN de Comprobantes";

struct CasoValida {
    const char* nombre;
    std::string tc, sucursal, numero, letra, fecha;
    int talonarioPrevio;
    std::string mensajePrevio;
    bool valido;
    std::string mensaje, letraFinal;
    int talonario;
};

class ValidaNumeroTest : public AstDbTest, public ::testing::WithParamInterface<CasoValida> {
protected:
    ValidaNumeroTest() {
        Agrega({.codigo = "FC", .talonario = 1, .letra = "A", .ultimo = 10, .desde = 1, .hasta = 100, .sucursal = 1});
        Agrega({.codigo = "FC", .talonario = 2, .letra = "A", .desde = 50, .hasta = 200, .sucursal = 1});
        Agrega({.codigo = "FC", .talonario = 3, .letra = "A", .desde = 1, .hasta = 100, .sucursal = 2,
                .vence = "2024-03-15"});
        Agrega({.codigo = "FC", .talonario = 4, .letra = "A", .desde = 100, .hasta = 200, .sucursal = 3});
        Agrega({.codigo = "FC", .talonario = 5, .letra = "X", .desde = 1, .hasta = 100, .sucursal = 1});
        // A free range (external) met before the ranges that hold the number.
        Agrega({.codigo = "NC", .talonario = 1, .letra = "A", .desde = 1, .hasta = 10, .sucursal = 1, .externo = 1});
        Agrega({.codigo = "NC", .talonario = 2, .letra = "A", .desde = 1, .hasta = 10, .sucursal = 1});
        // Free by "may change the numbering" with both limits 0.
        Agrega({.codigo = "RC", .talonario = 1, .letra = "A", .ultimo = 0, .desde = 0, .hasta = 0, .sucursal = 1,
                .modifica = 1});
        // The same kind of free range before a range that holds the number, and after one.
        Agrega({.codigo = "MN", .talonario = 1, .letra = "A", .desde = 0, .hasta = 0, .sucursal = 1, .modifica = 1});
        Agrega({.codigo = "MN", .talonario = 2, .letra = "A", .desde = 1, .hasta = 100, .sucursal = 1});
        Agrega({.codigo = "MD", .talonario = 1, .letra = "A", .desde = 1, .hasta = 100, .sucursal = 1});
        Agrega({.codigo = "MD", .talonario = 2, .letra = "A", .desde = 0, .hasta = 0, .sucursal = 1, .modifica = 1});
        // May change the numbering, but only one limit is 0: no free range.
        Agrega({.codigo = "M0", .talonario = 1, .letra = "A", .desde = 0, .hasta = 100, .sucursal = 1, .modifica = 1});
        Agrega({.codigo = "M9", .talonario = 1, .letra = "A", .desde = 5, .hasta = 0, .sucursal = 1, .modifica = 1});
    }
};

TEST_P(ValidaNumeroTest, Case) {
    const CasoValida& c = GetParam();
    TalonarioActual = c.talonarioPrevio;
    std::string letra = c.letra;
    std::string mensaje = c.mensajePrevio;
    EXPECT_EQ(ValidaNumeroComprobante(c.tc, c.sucursal, c.numero, letra, mensaje, c.fecha), c.valido);
    EXPECT_EQ(mensaje, c.mensaje);
    EXPECT_EQ(letra, c.letraFinal);
    EXPECT_EQ(TalonarioActual, c.talonario);
    EXPECT_TRUE(operator_.Shown().empty());
}

std::string SinTalonario(const std::string& numero, const std::string& sucursal, const std::string& tc = "FC") {
    return "El número " + numero + " no corresponde a ningún talonario del comprobante " + tc + " (sucursal " +
           sucursal + ", letra A)";
}
const std::string kVencido =
    "El rango de numeracion del comprobante FC Control nro: 3 se encuenta vencida...! Debe dar de alta un nuevo "
    "talonario para el comprobante FC";

INSTANTIATE_TEST_SUITE_P(
    Casos, ValidaNumeroTest,
    ::testing::Values(
        CasoValida{"DentroDelPrimero", "FC", "0001", "00000012", "A", "", 0, "", true, "", "A", 1},
        CasoValida{"DosRangosGanaElUltimo", "FC", "0001", "60", "A", "", 0, "", true, "", "A", 2},
        CasoValida{"IgualAlDesde", "FC", "0001", "1", "A", "", 0, "", true, "", "A", 1},
        CasoValida{"IgualAlHasta", "FC", "0001", "200", "A", "", 0, "", true, "", "A", 2},
        CasoValida{"SucursalSinCeros", "FC", "1", "12", "A", "", 0, "", true, "", "A", 1},
        // A number that no range of its branch holds is refused, whatever range an earlier call left.
        CasoValida{"FueraDeTodoRango", "FC", "0001", "300", "A", "", 2, "", false,
                   SinTalonario("00000300", "0001") + kVerifique, "A", 2},
        CasoValida{"DebajoDelUnicoRangoDeLaSucursal", "FC", "0003", "50", "A", "", 4, "previo", false,
                   SinTalonario("00000050", "0003") + kVerifique, "A", 4},
        CasoValida{"SucursalSinRangos", "FC", "0009", "5", "A", "", 1, "", false, kSinNumeracion, "A", 1},
        CasoValida{"VenceElMismoDia", "FC", "0002", "5", "A", "15/03/2024", 0, "", true, "", "A", 3},
        CasoValida{"VencidoReemplazaElMensaje", "FC", "0002", "5", "A", "16/03/2024", 0, "previo", false,
                   kVencido + kVerifique, "A", 3},
        CasoValida{"LetraInvalida", "FC", "0001", "12", "Z", "", 0, "", false, kLetraInvalida, "Z", 0},
        CasoValida{"PedazoDeLaListaNoEsLetra", "FC", "0001", "12", "A,B", "", 0, "", false, kLetraInvalida, "A,B",
                   0},
        CasoValida{"Minuscula", "FC", "0001", "12", "a", "", 0, "", true, "", "a", 1},
        CasoValida{"LetraVaciaEsX", "FC", "0001", "5", "", "", 0, "", true, "", "X", 5},
        CasoValida{"NumeroCero", "FC", "0001", "0", "A", "", 1, "previo", false, "previo" + kVerifique, "A", 1},
        CasoValida{"NoNumerico", "FC", "0001", "abc", "A", "", 1, "previo", false, "previo" + kVerifique, "A", 1},
        CasoValida{"ExitoVaciaElMensaje", "FC", "0001", "12", "A", "", 0, "previo", true, "", "A", 1},
        CasoValida{"RangoExternoAceptaTodo", "NC", "0001", "999", "A", "", 7, "", true, "", "A", 1},
        CasoValida{"LibreAntesDeLosQueLoContienen", "NC", "0001", "5", "A", "", 7, "", true, "", "A", 1},
        CasoValida{"LibrePorModificaNumeracion", "RC", "0001", "999999", "A", "", 7, "", true, "", "A", 1},
        // A range made free by Modificanumeracion ends the scan: the range after it is never reached.
        CasoValida{"LibrePorModificaTerminaElRecorrido", "MN", "0001", "50", "A", "", 7, "", true, "", "A", 1},
        CasoValida{"LibrePorModificaTomaCualquierNumero", "MN", "0001", "500", "A", "", 7, "", true, "", "A", 1},
        CasoValida{"ElQueLoContieneAntesDelLibreGana", "MD", "0001", "50", "A", "", 7, "", true, "", "A", 1},
        CasoValida{"ElLibreTomaLoQueNadieContiene", "MD", "0001", "500", "A", "", 7, "", true, "", "A", 2},
        CasoValida{"UnSoloLimiteEnCeroNoEsLibre", "M0", "0001", "500", "A", "", 7, "", false,
                   SinTalonario("00000500", "0001", "M0") + kVerifique, "A", 7},
        CasoValida{"UnSoloLimiteEnCeroArribaNoEsLibre", "M9", "0001", "500", "A", "", 7, "", false,
                   SinTalonario("00000500", "0001", "M9") + kVerifique, "A", 7},
        CasoValida{"TipoSinRangos", "ZZ", "0001", "5", "A", "", 0, "", false, kSinNumeracion, "A", 0}),
    [](const ::testing::TestParamInfo<CasoValida>& info) { return std::string(info.param.nombre); });

// The verdict and its message come from the number alone: the range an earlier call selected
// never changes them.
TEST_F(ValidaNumeroTest, OutcomeIsTheSameWhateverRangeAnEarlierCallLeft) {
    struct Entrada {
        std::string tc, sucursal, numero;
    };
    for (const Entrada& e : std::vector<Entrada>{{"FC", "0001", "12"},
                                                 {"FC", "0001", "300"},
                                                 {"FC", "0003", "50"},
                                                 {"FC", "0003", "150"},
                                                 {"NC", "0001", "5"},
                                                 {"MN", "0001", "50"},
                                                 {"MD", "0001", "500"},
                                                 {"FC", "0001", "0"}}) {
        std::optional<bool> primero;
        std::string primerMensaje;
        for (const int previo : {0, 1, 2, 3, 4, 5, 99}) {
            TalonarioActual = previo;
            std::string letra = "A";
            std::string mensaje;
            const bool valido = ValidaNumeroComprobante(e.tc, e.sucursal, e.numero, letra, mensaje, "");
            if (!primero) {
                primero = valido;
                primerMensaje = mensaje;
            }
            EXPECT_EQ(valido, *primero) << e.tc << " " << e.sucursal << " " << e.numero << " after " << previo;
            EXPECT_EQ(mensaje, primerMensaje) << e.tc << " " << e.sucursal << " " << e.numero << " after " << previo;
        }
    }
    EXPECT_TRUE(operator_.Shown().empty());
}

TEST_F(ValidaNumeroTest, BlankLetterFailsAtItsColumnAndReachesTheCaller) {
    std::string letra = " ";
    std::string mensaje;
    EXPECT_EQ(testsupport::ErrorNumberOf([&] { ValidaNumeroComprobante("FC", "0001", "12", letra, mensaje, ""); }), 5);
    EXPECT_EQ(letra, " ");
}

TEST_F(ValidaNumeroTest, ApostropheInTheTypeStaysInsideItsLiteral) {
    std::string letra = "A";
    std::string mensaje;
    EXPECT_FALSE(ValidaNumeroComprobante("F'C", "0001", "12", letra, mensaje, ""));
    EXPECT_EQ(mensaje, kSinNumeracion);
    EXPECT_EQ(Cuenta("codigo = 'F''C '"), 1);
    EXPECT_TRUE(operator_.Shown().empty());
}

}  // namespace
}  // namespace numbering::testing
