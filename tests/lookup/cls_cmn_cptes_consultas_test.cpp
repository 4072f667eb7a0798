// ClsCmnCptes: opening the document picker end to end, the charges total,
// the charges-control window and the two document-relation queries.
#include <QPushButton>
#include <QTreeWidget>
#include <QWidget>

#include "documents/cls_cmn_cptes.h"
#include "lookup/frm_cons_comprobantes.h"
#include "lookup_fixture.h"
#include "support.h"
#include "vb/text.h"

namespace documents {
namespace {

using lookup::FrmConsComprobantes;
using lookup::testing::LookupDbTest;

class ConsultasTest : public LookupDbTest {
protected:
    ConsultasTest() {
        for (const char* tc : {"FC", "PR"}) {
            Venta(tc, "0001-00000001A", 5);
            Venta(tc, "0001-00000002B", 6);
        }
        Run("INSERT INTO C_MV_CPTE (TC, IDCOMPROBANTE, CUENTA, APROBADO) VALUES ('OC', 'O-1', 'P1', 1)");
        Run("INSERT INTO C_MV_CPTE (TC, IDCOMPROBANTE, CUENTA, APROBADO) VALUES ('OC', 'O-2', 'P1', 1)");
        Run("INSERT INTO C_MV_CPTE (TC, IDCOMPROBANTE, CUENTA, FINALIZADO) VALUES ('RMC', 'R-1', 'P7', 0)");
    }
    void Venta(const std::string& tc, const std::string& nro, int complemento) {
        Run("INSERT INTO V_MV_CPTE (TC, IDCOMPROBANTE, IDCOMPLEMENTO, CUENTA) VALUES ('" + tc + "', '" + nro + "', " +
            std::to_string(complemento) + ", '100')");
    }
    // The next picker: the filter it was given is kept, rows are checked and
    // one is selected, then `boton` is clicked.
    void Picker(std::vector<int> marcadas, int elegida, bool aceptar = true) {
        operator_.OnModal([this, marcadas, elegida, aceptar](QWidget& ventana) {
            auto& picker = static_cast<FrmConsComprobantes&>(ventana);
            filtroVisto_ = picker.Filtro;
            tcVisto_ = picker.TC;
            auto fila = [&picker](int r) {
                QTreeWidgetItem* item = picker.ListView1->topLevelItem(r);
                if (!item) ADD_FAILURE() << "no row " << r;
                return item;
            };
            for (int r : marcadas) {
                if (QTreeWidgetItem* item = fila(r)) item->setCheckState(0, Qt::Checked);
            }
            if (elegida >= 0) {
                if (QTreeWidgetItem* item = fila(elegida)) item->setSelected(true);
            }
            (aceptar ? picker.CmdAceptar : picker.CmdCancelar)->click();
        });
    }

    ClsCmnCptes cptes_;
    std::string filtroVisto_ = "sin mostrar";
    std::string tcVisto_;
};

// ---- ConsultaComprobante ----------------------------------------------------------------

struct CasoConsulta {
    const char* nombre;
    const char* tc;
    vb::Variant filtro;
    std::vector<int> marcadas;
    int elegida;
    bool aceptar;
    std::string respuesta, idComplemento, proveedor, filtroVisto;
};

class ConsultaComprobanteTest : public ConsultasTest, public ::testing::WithParamInterface<CasoConsulta> {};

TEST_P(ConsultaComprobanteTest, ThePickersChoiceReachesTheCaller) {
    const CasoConsulta& caso = GetParam();
    std::string respuesta = "antes", id = "antes", proveedor = "antes";
    Picker(caso.marcadas, caso.elegida, caso.aceptar);
    cptes_.ConsultaComprobante(caso.tc, respuesta, caso.filtro, &id, &proveedor);
    EXPECT_EQ(respuesta, caso.respuesta);
    EXPECT_EQ(id, caso.idComplemento);
    EXPECT_EQ(proveedor, caso.proveedor);
    EXPECT_EQ(filtroVisto_, caso.filtroVisto);
    ASSERT_EQ(Boxes("ShowModal").size(), 1u);
    EXPECT_EQ(Boxes("ShowModal")[0].title, "Consulta de Comprobantes");
    EXPECT_TRUE(Boxes("MsgBox").empty());
}

INSTANTIATE_TEST_SUITE_P(
    Casos, ConsultaComprobanteTest,
    ::testing::Values(
        CasoConsulta{"Factura", "FC", {}, {}, 1, true, "0001-00000001A", "5", "", ""},
        CasoConsulta{"FacturaFiltrada", "FC", "IDCOMPLEMENTO = 6", {}, 0, true, "0001-00000002B", "6", "",
                     "IDCOMPLEMENTO = 6"},
        CasoConsulta{"FiltroNumerico", "FC", vb::Variant(1), {}, -1, true, "", "", "", "1"},
        CasoConsulta{"Presupuesto", "PR", {}, {}, 0, true, "0001-00000002B", "0", "", ""},
        CasoConsulta{"OrdenesDeCompra", "OC", {}, {0, 1}, 0, true, "O-2,O-1", "0", "", ""},
        CasoConsulta{"RemitoDeCompraPendiente", "RM/PENDIENTES_COMPRAS", "CUENTA = 'P7'", {}, 0, true, "R-1", "",
                     "P7", "CUENTA = 'P7'"},
        CasoConsulta{"Cancelado", "FC", {}, {}, 0, false, "", "", "", ""},
        CasoConsulta{"AceptadoSinElegir", "FC", {}, {}, -1, true, "", "", "", ""}),
    [](const ::testing::TestParamInfo<CasoConsulta>& info) { return info.param.nombre; });

TEST_F(ConsultasTest, EveryCallStartsWithANewPicker) {
    std::string respuesta, id, proveedor;
    Picker({}, 0);
    cptes_.ConsultaComprobante("FC", respuesta, {}, &id, &proveedor);
    EXPECT_EQ(respuesta, "0001-00000002B");
    EXPECT_EQ(id, "6");
    Picker({}, -1, false);
    cptes_.ConsultaComprobante("FC/ANTICIPOS", respuesta, {}, &id, &proveedor);
    EXPECT_EQ(tcVisto_, "FC");  // the mode word became its code
    EXPECT_EQ(respuesta, "");
    EXPECT_EQ(id, "");
    EXPECT_EQ(proveedor, "");
}

TEST_F(ConsultasTest, OmittedResultsAreNotNeeded) {
    std::string respuesta;
    Picker({}, 0);
    cptes_.ConsultaComprobante("fc", respuesta);
    EXPECT_EQ(respuesta, "0001-00000002B");
}

// A Null filter cannot become text: the error routine is asked; Ignore goes
// on without a filter, Abort leaves before the picker is shown.
TEST_F(ConsultasTest, ANullFilterGoesToTheErrorRoutine) {
    std::string respuesta = "antes";
    operator_.AnswerMsgBox(5);
    Picker({}, 0);
    cptes_.ConsultaComprobante("FC", respuesta, vb::Null);
    ASSERT_EQ(Boxes("MsgBox").size(), 1u);
    EXPECT_TRUE(vb::Contains(Boxes("MsgBox")[0].title, "ConsultaComprobante"));
    EXPECT_EQ(filtroVisto_, "");
    EXPECT_EQ(respuesta, "0001-00000002B");

    operator_.ClearShown();
    operator_.AnswerMsgBox(3);
    respuesta = "antes";
    cptes_.ConsultaComprobante("FC", respuesta, vb::Null);
    EXPECT_TRUE(Boxes("ShowModal").empty());
    EXPECT_EQ(respuesta, "antes");
}

// ---- ImporteCargosReales ---------------------------------------------------------------

TEST_F(ConsultasTest, ChargesOfAnAccount) {
    Run("INSERT INTO V_MV_CargosAplicados (CUENTA, SALDO) VALUES ('C1', 10.5)");
    Run("INSERT INTO V_MV_CargosAplicados (CUENTA, SALDO) VALUES ('C1', 4.25)");
    Run("INSERT INTO V_MV_CargosAplicados (CUENTA, SALDO) VALUES ('C2', NULL)");
    Run("INSERT INTO V_MV_CargosAplicados (CUENTA, SALDO) VALUES ('O''X', 3)");
    struct Caso {
        const char* cuenta;
        std::int64_t diezmilesimos;
    };
    for (const Caso& caso : std::vector<Caso>{{"C1", 147500}, {"  C1 ", 147500}, {"C2", 0}, {"C9", 0}, {"O'X", 30000}}) {
        EXPECT_EQ(cptes_.ImporteCargosReales(caso.cuenta).Ticks(), caso.diezmilesimos) << caso.cuenta;
    }
    EXPECT_TRUE(Boxes("MsgBox").empty());
    EXPECT_EQ(TakeStatements().front(),
              "SELECT SUM (SALDO) AS IMPORTE FROM V_MV_CargosAplicados WHERE CUENTA = 'C1'");
}

TEST_F(ConsultasTest, ChargesThatCannotBeReadAreZero) {
    Run("DROP TABLE V_MV_CargosAplicados");
    operator_.AnswerMsgBox(5).AnswerMsgBox(3);  // the open's own report, then the read
    EXPECT_EQ(cptes_.ImporteCargosReales("C1").Ticks(), 0);
    ASSERT_EQ(Boxes("MsgBox").size(), 2u);
    EXPECT_TRUE(vb::Contains(Boxes("MsgBox")[1].title, "ImporteCargosReales@"));
}

// ---- ControlDeCargosReales -----------------------------------------------------------------

class VentanaCargos : public QWidget {
    Q_OBJECT
    Q_PROPERTY(QString Cliente MEMBER cliente)
    Q_PROPERTY(QString Matricula MEMBER matricula)

public:
    QString cliente = "x";
    QString matricula = "x";
};

TEST_F(ConsultasTest, TheChargesWindowGetsClientAndPlateAndIsShownModally) {
    VentanaCargos ventana;
    QString visto;
    operator_.OnModal([&](QWidget& w) { visto = w.property("Cliente").toString() + "|" + w.property("Matricula").toString(); });
    cptes_.ControlDeCargosReales(ventana, "C001", "AB123");
    EXPECT_EQ(visto.toStdString(), "C001|AB123");
    operator_.OnModal([](QWidget&) {});
    cptes_.ControlDeCargosReales(ventana, "C002");
    EXPECT_EQ(ventana.matricula.toStdString(), "");
    EXPECT_EQ(Boxes("ShowModal").size(), 2u);
}

TEST_F(ConsultasTest, AWindowWithoutThePropertiesFailsToTheCaller) {
    QWidget ventana;
    EXPECT_EQ(testsupport::ErrorNumberOf([&] { cptes_.ControlDeCargosReales(ventana, "C001"); }), 438);
    EXPECT_TRUE(Boxes("ShowModal").empty());
    EXPECT_FALSE(ventana.property("Cliente").isValid());  // nothing was added to it
}

// ---- Document relations ----------------------------------------------------------------------

class RelacionesTest : public LookupDbTest {
protected:
    RelacionesTest() {
        Hijo("FC", "NP", "0001-00000001A", 0, 0, 100);
        Hijo("FC", "NP", "0001-00000001A", 1, 0, 50.25);
        Hijo("NC", "NP", "0001-00000001A", 0, 1, 30);
        Hijo("FC", "NP", "0001-00000002A", 1, 1, 70);   // only an annulled child
        Hijo("RM", "RM", "0001-00000003A", 2, 0, 5);
        Hijo("FC", "NP", "O'Brien", 0, 0, 8);
    }
    // A document created from the origin TCORIGEN / COMPROBANTEORIGEN / COMPLEMENTOORIGEN.
    void Hijo(const std::string& tc, const std::string& tcOrigen, const std::string& origen, int complemento,
              int anulada, double importe) {
        static int numero = 0;
        Run("INSERT INTO V_MV_CPTE (TC, IDCOMPROBANTE, TCORIGEN, COMPROBANTEORIGEN, COMPLEMENTOORIGEN, ANULADA, "
            "IMPORTE) VALUES ('" + tc + "', 'H" + std::to_string(++numero) + "', '" + tcOrigen + "', '" +
            vb::Replace(origen, "'", "''") + "', " + std::to_string(complemento) + ", " + std::to_string(anulada) +
            ", " + std::to_string(importe) + ")");
    }
    ClsCmnCptes cptes_;
};

struct CasoRelacion {
    const char* tc;
    const char* nro;
    const char* complemento;
    bool anulados;
    bool relacionado;
};

TEST_F(RelacionesTest, EstaRelacionadoAOtroComprobante) {
    const std::vector<CasoRelacion> casos = {
        {"NP", "0001-00000001A", "0", false, true},
        {" np ", " 0001-00000001A ", "1", false, true},  // type and number trimmed, any case
        {"NP", "0001-00000001A", "2", false, false},
        {"NP", "0001-00000002A", "1", false, false},      // only annulled children
        {"NP", "0001-00000002A", "1", true, true},
        {"RM", "0001-00000003A", " 2", false, true},      // the complement goes in as given
        {"NP", "0001-00000009A", "0", true, false},
        {"NP", "O'Brien", "0", false, true},
        {"NP", "0001-00000001A", "0' OR '1'='1", true, false},
        // An omitted (empty) complement is the complement 0.
        {"NP", "0001-00000001A", "", false, true},
        {"NP", "0001-00000001A", "  ", true, true},
        {"RM", "0001-00000003A", "", true, false},
    };
    for (const CasoRelacion& c : casos) {
        EXPECT_EQ(cptes_.EstaRelacionadoAOtroComprobante(c.tc, c.nro, c.complemento, c.anulados), c.relacionado)
            << c.tc << " " << c.nro << " [" << c.complemento << "] " << c.anulados;
    }
    EXPECT_TRUE(cptes_.EstaRelacionadoAOtroComprobante("NP", "0001-00000001A"));
    EXPECT_TRUE(Boxes("MsgBox").empty());
}

TEST_F(RelacionesTest, TheRelationStatement) {
    cptes_.EstaRelacionadoAOtroComprobante(" NP", "0001-00000001A ", " 1");
    cptes_.EstaRelacionadoAOtroComprobante("NP", "0001-00000001A", "", true);
    const std::vector<std::string> sentencias = TakeStatements();
    ASSERT_EQ(sentencias.size(), 2u);
    EXPECT_EQ(sentencias[0],
              "SELECT * FROM V_MV_CPTE WHERE TCORIGEN = 'NP  ' AND COMPROBANTEORIGEN = '0001-00000001A' AND "
              "COMPLEMENTOORIGEN = ' 1'  AND ANULADA = 0");
    EXPECT_EQ(sentencias[1],
              "SELECT * FROM V_MV_CPTE WHERE TCORIGEN = 'NP  ' AND COMPROBANTEORIGEN = '0001-00000001A' AND "
              "COMPLEMENTOORIGEN = 0 ");
}

TEST_F(RelacionesTest, ObtieneImporteCptesAsociados) {
    struct Caso {
        const char* tc;
        const char* nro;
        std::int64_t diezmilesimos;
    };
    for (const Caso& c : std::vector<Caso>{{"NP", "0001-00000001A", 1502500},  // every complement, no annulled
                                           {" NP ", "0001-00000001A  ", 1502500},
                                           {"NP", "0001-00000002A", 0},
                                           {"NP", "0001-00000009A", 0},
                                           {"NP", "O'Brien", 80000}}) {
        EXPECT_EQ(cptes_.ObtieneImporteCptesAsociados(c.tc, c.nro).Ticks(), c.diezmilesimos) << c.nro;
    }
    EXPECT_TRUE(Boxes("MsgBox").empty());
}

// A query that fails is reported and then reaches the caller: it is never
// taken for "not related" or for an amount of 0.
TEST_F(RelacionesTest, AFailedQueryReachesTheCaller) {
    Run("DROP TABLE V_MV_CPTE");
    operator_.AnswerMsgBox(5).AnswerMsgBox(5);
    EXPECT_NE(testsupport::ErrorNumberOf([&] { cptes_.EstaRelacionadoAOtroComprobante("NP", "1"); }), 0);
    EXPECT_NE(testsupport::ErrorNumberOf([&] { cptes_.ObtieneImporteCptesAsociados("NP", "1"); }), 0);
    EXPECT_EQ(Boxes("MsgBox").size(), 2u);
}

}  // namespace
}  // namespace documents

#include "cls_cmn_cptes_consultas_test.moc"
