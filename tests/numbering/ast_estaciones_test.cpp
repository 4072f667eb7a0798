// Two stations numbering documents of one range at once: two connections to one database
// file, their requests interleaved statement by statement. No number is handed out twice
// without being reported, no counter moves back, no counter passes its range's limit.
#include <sqlite3.h>

#include <cstdio>
#include <functional>
#include <set>
#include <string>
#include <vector>

#include "ast_fixture.h"
#include "numbering/ast.h"
#include "vb/conv.h"
#include "vb/format.h"

namespace numbering::testing {
namespace {

constexpr int kHasta = 99999;

// The session's connection as the connection of one station or the other: each statement
// goes to the station whose turn it is, after `antes` has seen it.
class Turnos final : public adodb::Engine {
public:
    adodb::Connection* turno = nullptr;
    std::function<void(const std::string&)> antes;

    adodb::Dialect GetDialect() const override { return turno->GetDialect(); }
    long Execute(const std::string& sql) override { return Estacion(sql).Execute(sql); }
    adodb::ResultSet Query(const std::string& sql) override { return Estacion(sql).Query(sql); }
    void BeginTrans() override { turno->BeginTrans(); }
    void CommitTrans() override { turno->CommitTrans(); }
    void RollbackTrans() override { turno->RollbackTrans(); }
    bool InTransaction() const override { return turno->InTransaction(); }
    adodb::ResultSet OpenSchema(int, const std::vector<vb::Variant>&) override {
        throw vb::Error(3251, "Object or provider is not capable of performing requested operation.");
    }
    void SetCommandTimeout(long) override {}

private:
    adodb::Connection& Estacion(const std::string& sql) {
        if (antes) antes(sql);
        return *turno;
    }
};

class EstacionesTest : public AstDbTest {
protected:
    EstacionesTest() {
        const std::string archivo = home_.File("estaciones.db");
        // The database layer never creates a file: an empty database is written here.
        sqlite3* nueva = nullptr;
        EXPECT_EQ(sqlite3_open(archivo.c_str(), &nueva), SQLITE_OK);
        EXPECT_EQ(sqlite3_exec(nueva, "PRAGMA user_version = 1", nullptr, nullptr, nullptr), SQLITE_OK);
        sqlite3_close(nueva);
        for (adodb::Connection* cn : {&a_, &b_}) cn->Open("Provider=SQLOLEDB;Data Source=" + archivo);
        a_.Execute(testsupport::ReadFile(testsupport::SourceDir() / "db" / "schema.sql"));
        auto turnos = std::make_unique<Turnos>();
        turnos_ = turnos.get();
        turnos_->turno = &a_;
        db_.gCnn.Attach(std::move(turnos), "Provider=SQLOLEDB;Data Source=" + archivo);
    }
    ~EstacionesTest() override { db_.gCnn.Close(); }

    // Fresh ranges of "PE" (by default one whose next number is 125) and stock movements
    // already stored under the keys given.
    void Prepara(const std::vector<Rango>& rangos = {kRango}, const std::vector<std::string>& guardados = {}) {
        Run("DELETE FROM V_TA_CPTE");
        Run("DELETE FROM V_MV_STOCK");
        Run("DELETE FROM V_MV_CTROL_CPTE");
        for (const Rango& r : rangos) Agrega(r);
        for (const std::string& clave : guardados) {
            Run("INSERT INTO V_MV_STOCK (TC, IDCOMPROBANTE) VALUES ('PE', '" + clave + "')");
        }
        contadores_.clear();
        Comprueba();
        contador_ = contadores_.front();
    }

    // The counters as the other station sees them: never back, never past the number after
    // their range's limit.
    void Comprueba() {
        adodb::Recordset rs;
        rs.Open("SELECT X_ULTIMO_NRO, X_NRO_HASTA FROM V_TA_CPTE WHERE CODIGO = 'PE' ORDER BY TALONARIO", b_);
        std::vector<int> contadores;
        for (; !rs.EOF(); rs.MoveNext()) {
            contadores.push_back(static_cast<int>(vb::CLng(vb::CDbl(rs.Fields(std::size_t{0}).Value()))));
            EXPECT_LE(contadores.back(), vb::CLng(vb::CDbl(rs.Fields(std::size_t{1}).Value())) + 1);
        }
        for (std::size_t i = 0; i < contadores_.size() && i < contadores.size(); ++i) {
            EXPECT_GE(contadores[i], contadores_[i]) << "a counter moved back";
        }
        contadores_ = contadores;
        contador_ = contadores.empty() ? 0 : contadores.front();
    }

    // How many statements station A's request runs.
    int Pasos(const std::function<void()>& pedidoA, const std::function<void()>& prepara = {}) {
        if (prepara) {
            prepara();
        } else {
            Prepara();
        }
        int pasos = 0;
        turnos_->antes = [&](const std::string&) { ++pasos; };
        pedidoA();
        turnos_->antes = nullptr;
        return pasos;
    }

    // Runs station A's request; before its k-th statement (after its last one when k is past
    // them) station B's request runs whole, on B's own connection.
    void Intercala(const std::function<void()>& pedidoA, int k, const std::function<void()>& pedidoB) {
        int visto = 0;
        bool enB = false;
        const auto turnoDeB = [&] {
            enB = true;
            turnos_->turno = &b_;
            pedidoB();
            turnos_->turno = &a_;
            enB = false;
        };
        turnos_->antes = [&](const std::string&) {
            if (enB) return;
            Comprueba();
            if (++visto == k) turnoDeB();
        };
        pedidoA();
        if (visto < k) turnoDeB();
        turnos_->antes = nullptr;
        Comprueba();
    }

    std::string Asigna() {
        std::string sucursal = "0001";
        std::string letra = "X";
        return AsignarNumeroComprobante("PE", sucursal, letra);
    }

    // A document numbered as a form does: the next number shown first, recorded when it is
    // saved (at once, or through the statement the caller runs with its batch). The number it
    // used, and whether the recording reported it.
    struct Documento {
        std::string numero;
        bool avisado = false;  // the recording, or the batch, told the operator
    };
    Documento Guarda(bool soloSql) {
        ui::ScriptedOperator op;
        op.AnswerMsgBox(ui::vbOK);
        Documento d;
        std::string sucursal, letra = "X";
        bool modifica = false;
        Obtener_Nro_Comprobante("PE", sucursal, d.numero, letra, modifica, true, "", "   1");
        std::string sentencia;
        const std::string siguiente = std::to_string(std::stoi(d.numero) + 1);
        bool guardado =
            RegistraNumeroComprobante("PE", "STOCK", sucursal, siguiente, letra, soloSql, sentencia, false);
        if (guardado && soloSql && !sentencia.empty()) guardado = db_.EjecutaConsultaSQL(sentencia);
        d.avisado = !op.Shown().empty();
        EXPECT_EQ(d.avisado, !guardado);
        if (d.avisado) {
            EXPECT_NE(op.Shown()[0].prompt.find(d.numero), std::string::npos) << op.Shown()[0].prompt;
        }
        return d;
    }

    // Each station in a process of its own asks for numbers on the file until none is left.
    struct Estacion {
        std::vector<std::string> claves;
        std::vector<std::string> avisos;
        bool terminada = false;
        int salida = -1;
    };
    std::vector<Estacion> Procesos(int cuantos) {
        const std::string orden = std::string(ESTACION_NUMERADORA) + " '" + home_.File("estaciones.db") + "'";
        std::vector<FILE*> tubos;
        for (int i = 0; i < cuantos; ++i) tubos.push_back(popen(orden.c_str(), "r"));
        std::vector<Estacion> estaciones;
        for (FILE* tubo : tubos) {
            Estacion e;
            EXPECT_NE(tubo, nullptr);
            if (!tubo) continue;
            char linea[512];
            while (std::fgets(linea, sizeof linea, tubo)) {
                std::string texto(linea);
                if (!texto.empty() && texto.back() == '\n') texto.pop_back();
                if (texto.rfind("N ", 0) == 0) e.claves.push_back(texto.substr(2));
                if (texto.rfind("M ", 0) == 0) e.avisos.push_back(texto.substr(2));
                if (texto == "V") e.terminada = true;
            }
            e.salida = pclose(tubo);
            estaciones.push_back(std::move(e));
        }
        return estaciones;
    }

    static inline const Rango kRango{.codigo = "PE", .ultimo = 125, .desde = 1, .hasta = kHasta, .sistema = "STOCK"};

    adodb::Connection a_;
    adodb::Connection b_;
    Turnos* turnos_ = nullptr;
    int contador_ = 0;  // of the first range
    std::vector<int> contadores_;
};

// Numbers taken and recorded in one go: a compare-and-set, so that wherever the other station
// takes its number, the two numbers differ and nobody is troubled.
TEST_F(EstacionesTest, TakenNumbersNeverRepeatWhereverTheOtherStationComesIn) {
    const int pasos = Pasos([&] { Asigna(); });
    for (int k = 1; k <= pasos + 1; ++k) {
        SCOPED_TRACE("station B before statement " + std::to_string(k));
        Prepara();
        std::string a, b;
        Intercala([&] { a = Asigna(); }, k, [&] { b = Asigna(); });
        EXPECT_EQ((std::set<std::string>{a, b}), (std::set<std::string>{"000100000125X", "000100000126X"}));
        EXPECT_EQ(contador_, 127);
    }
    EXPECT_TRUE(operator_.Shown().empty());
}

// A station that loses the number every time gives up after a bounded number of tries, tells
// the operator, and hands out nothing; asked to retry, it reads the range again.
TEST_F(EstacionesTest, ARequestOvertakenAgainAndAgainIsReported) {
    Prepara();
    int robados = 0;
    int siguiente = 125;
    bool enB = false;
    // Before each compare-and-set of station A, station B takes the number, ten times a request.
    turnos_->antes = [&](const std::string& sql) {
        if (enB || robados == 10 || sql.find("UPDATE V_TA_CPTE") == std::string::npos) return;
        enB = true;
        turnos_->turno = &b_;
        EXPECT_EQ(Asigna(), "0001" + vb::Format(siguiente++, "00000000") + "X");
        turnos_->turno = &a_;
        enB = false;
        ++robados;
    };
    operator_.AnswerMsgBox(ui::vbAbort);
    EXPECT_EQ(Asigna(), "");
    ASSERT_EQ(operator_.Shown().size(), 1u);
    EXPECT_NE(operator_.Shown()[0].title.find("AsignarNumeroComprobante"), std::string::npos);
    EXPECT_NE(operator_.Shown()[0].prompt.find("Otras estaciones tomaron los números del comprobante PE"),
              std::string::npos);
    Comprueba();
    EXPECT_EQ(contador_, 135);

    robados = 0;
    operator_.ClearShown();
    operator_.AnswerMsgBox(ui::vbRetry);
    EXPECT_EQ(Asigna(), "000100000145X");
    EXPECT_EQ(operator_.Shown().size(), 1u);
    turnos_->antes = nullptr;
    Comprueba();
    EXPECT_EQ(contador_, 146);
}

// Numbers shown first and recorded when the document is saved: wherever the other station
// comes in, the two documents carry different numbers, or the recording of the later one
// reports the number it collided on.
TEST_F(EstacionesTest, ShownNumbersRepeatOnlyWithAReportOfTheCollision) {
    const int pasos = Pasos([&] { Guarda(false); });
    for (int k = 1; k <= pasos + 1; ++k) {
        SCOPED_TRACE("station B before statement " + std::to_string(k));
        Prepara();
        Documento a, b;
        Intercala([&] { a = Guarda(false); }, k, [&] { b = Guarda(false); });
        EXPECT_FALSE(b.avisado);
        EXPECT_EQ(a.avisado, a.numero == b.numero);
        EXPECT_EQ(contador_, 126 + (a.numero == b.numero ? 0 : 1));
    }
}

// The statement mode: the other station records two documents while station A's document is
// being saved. Wherever it comes in, A's document is kept only when its number was still free:
// a collision found while A's statement is built is reported by the recording, one that
// happens between building and running fails A's batch, with a message naming the number.
TEST_F(EstacionesTest, StatementModeKeepsADocumentOnlyWithAFreeNumber) {
    const int pasos = Pasos([&] { Guarda(true); });
    for (int k = 1; k <= pasos + 1; ++k) {
        SCOPED_TRACE("station B before statement " + std::to_string(k));
        Prepara();
        Documento a;
        std::set<std::string> deB;
        Intercala([&] { a = Guarda(true); }, k, [&] {
            for (int i = 0; i < 2; ++i) {
                const Documento b = Guarda(true);
                EXPECT_FALSE(b.avisado);
                deB.insert(b.numero);
            }
        });
        EXPECT_EQ(deB.size(), 2u);
        EXPECT_EQ(a.avisado, deB.count(a.numero) > 0);
        EXPECT_EQ(contador_, 127 + (a.avisado ? 0 : 1));
    }
}

// Two batches built for one number before either runs: the first keeps its document, the
// second fails whole, tells which number another station took, and keeps nothing.
TEST_F(EstacionesTest, OfTwoBatchesBuiltForOneNumberOnlyTheFirstIsKept) {
    Prepara();
    const auto construye = [&](adodb::Connection& estacion) {
        turnos_->turno = &estacion;
        std::string sucursal, numero, letra = "X", sentencia;
        bool modifica = false;
        Obtener_Nro_Comprobante("PE", sucursal, numero, letra, modifica, true, "", "   1");
        EXPECT_EQ(numero, "00000125");
        EXPECT_TRUE(RegistraNumeroComprobante("PE", "STOCK", sucursal, std::to_string(std::stoi(numero) + 1), letra,
                                              true, sentencia, false));
        return "INSERT INTO V_MV_STOCK (TC, IDCOMPROBANTE) VALUES ('PE', '" + sucursal + numero + letra + "')\r" +
               sentencia;
    };
    std::string loteA = construye(a_);
    std::string loteB = construye(b_);
    EXPECT_TRUE(db_.EjecutaConsultaSQL(loteA));
    operator_.AnswerMsgBox(ui::vbOK);
    EXPECT_FALSE(db_.EjecutaConsultaSQL(loteB));
    turnos_->turno = &a_;
    ASSERT_EQ(operator_.Shown().size(), 1u);
    EXPECT_EQ(operator_.Shown()[0].prompt,
              "Otra estación tomó el número 00000125 del comprobante PE (sucursal 0001, letra X) antes de que se "
              "grabara este comprobante: no se grabó");
    EXPECT_EQ(Valor("SELECT COUNT(*) FROM V_MV_STOCK WHERE IDCOMPROBANTE = '000100000125X'"), "1");
    Comprueba();
    EXPECT_EQ(contador_, 126);
}

// Numbers taken near the end of the ranges, wherever the other station comes in: every number
// handed out is unique, inside a range and recorded; the one left without a number is told.
TEST_F(EstacionesTest, NearTheEndOfTheRangesEveryNumberGoesOnce) {
    struct Caso {
        const char* nombre;
        std::vector<Rango> rangos;
        std::vector<std::string> guardados;
        std::set<std::string> claves;
        std::size_t avisos;
    };
    const std::vector<Caso> casos = {
        {"the limit's own number", {{.codigo = "PE", .ultimo = 39, .desde = 1, .hasta = 40}}, {"000100000039X"},
         {"000100000040X", ""}, 1},
        {"past a stored range into a range whose counter is below its limit",
         {{.codigo = "PE", .ultimo = 39, .desde = 1, .hasta = 40},
          {.codigo = "PE", .talonario = 2, .ultimo = 0, .desde = 101, .hasta = 200}},
         {"000100000039X", "000100000040X"},
         {"000100000101X", "000100000102X"},
         0},
    };
    for (const Caso& c : casos) {
        const auto prepara = [&] { Prepara(c.rangos, c.guardados); };
        const int pasos = Pasos([&] { Asigna(); }, prepara);
        for (int k = 1; k <= pasos + 1; ++k) {
            SCOPED_TRACE(std::string(c.nombre) + ", station B before statement " + std::to_string(k));
            prepara();
            operator_.ClearShown();
            operator_.AnswerMsgBox(ui::vbOK);
            std::string a, b;
            Intercala([&] { a = Asigna(); }, k, [&] { b = Asigna(); });
            EXPECT_EQ((std::set<std::string>{a, b}), c.claves);
            std::vector<std::string> dadas;
            for (const std::string& clave : {a, b}) {
                if (!clave.empty()) dadas.push_back(clave);
            }
            EsperaNumerosValidos(dadas);
            ASSERT_EQ(operator_.Shown().size(), c.avisos);
            if (c.avisos > 0) {
                EXPECT_EQ(operator_.Shown()[0].prompt.find("Todos los talonarios del comprobante PE"), 0u);
            }
        }
    }
}

// Stations in processes of their own on one file, each asking until the ranges run out: near
// a range's end, across two ranges, and with a counter below its range's lower limit. Every
// number they are given is one of the free numbers of a range (the repair past a stored number
// may skip some), given once, and recorded; each station's last request gives none and says
// that the ranges are used up, and so does a request made afterwards.
TEST_F(EstacionesTest, StationsInProcessesOfTheirOwnNeverShareANumber) {
    struct Caso {
        const char* nombre;
        std::vector<Rango> rangos;
        std::vector<std::string> guardados;
        std::vector<int> libres;
    };
    const std::vector<Caso> casos = {
        {"near the end of one range",
         {{.codigo = "PE", .ultimo = 30, .desde = 1, .hasta = 40}},
         {"000100000039X"},
         {30, 31, 32, 33, 34, 35, 36, 37, 38, 40}},
        {"across two ranges, the second below its lower limit",
         {{.codigo = "PE", .ultimo = 15, .desde = 1, .hasta = 20},
          {.codigo = "PE", .talonario = 2, .ultimo = 0, .desde = 101, .hasta = 110}},
         {"000100000018X", "000100000020X"},
         {15, 16, 17, 101, 102, 103, 104, 105, 106, 107, 108, 109, 110}},
    };
    for (const Caso& c : casos) {
        SCOPED_TRACE(c.nombre);
        Prepara(c.rangos, c.guardados);
        std::vector<std::string> todas;
        for (const Estacion& e : Procesos(4)) {
            EXPECT_TRUE(e.terminada);
            EXPECT_EQ(e.salida, 0);
            todas.insert(todas.end(), e.claves.begin(), e.claves.end());
            ASSERT_FALSE(e.avisos.empty());
            EXPECT_EQ(e.avisos.back().find("Todos los talonarios del comprobante PE"), 0u) << e.avisos.back();
        }
        EXPECT_FALSE(todas.empty());
        std::set<std::string> libres;
        for (const int n : c.libres) libres.insert("0001" + vb::Format(n, "00000000") + "X");
        for (const std::string& clave : todas) EXPECT_EQ(libres.count(clave), 1u) << clave;
        EsperaNumerosValidos(todas);
        operator_.AnswerMsgBox(ui::vbOK);
        EXPECT_EQ(Asigna(), "");
        ASSERT_EQ(operator_.Shown().size(), 1u);
        EXPECT_EQ(operator_.Shown()[0].prompt.find("Todos los talonarios del comprobante PE"), 0u);
        operator_.ClearShown();
    }
}

}  // namespace
}  // namespace numbering::testing
