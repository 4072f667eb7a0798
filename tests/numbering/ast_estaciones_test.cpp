// Two stations numbering documents of one range at once: two connections to one database
// file, their requests interleaved statement by statement. No number is handed out twice
// without being reported, no counter moves back, no counter passes its range's limit.
#include <sqlite3.h>

#include <functional>
#include <set>
#include <string>

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

    // A fresh range of "PE" whose next number is 125.
    void Prepara() {
        Run("DELETE FROM V_TA_CPTE");
        Run("DELETE FROM V_MV_STOCK");
        Run("DELETE FROM V_MV_CTROL_CPTE");
        Agrega({.codigo = "PE", .ultimo = 125, .desde = 1, .hasta = kHasta, .sistema = "STOCK"});
        contador_ = 125;
    }

    // The counter as the other station sees it: never back, never past the limit.
    void Comprueba() {
        adodb::Recordset rs;
        rs.Open("SELECT X_ULTIMO_NRO FROM V_TA_CPTE WHERE CODIGO = 'PE'", b_);
        const int contador = static_cast<int>(vb::CLng(vb::CDbl(rs.Fields(std::size_t{0}).Value())));
        EXPECT_GE(contador, contador_) << "the counter moved back";
        EXPECT_LE(contador, kHasta);
        contador_ = contador;
    }

    // How many statements station A's request runs.
    int Pasos(const std::function<void()>& pedidoA) {
        Prepara();
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
        bool avisado = false;
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
        const bool registrado =
            RegistraNumeroComprobante("PE", "STOCK", sucursal, siguiente, letra, soloSql, sentencia, false);
        if (soloSql && !sentencia.empty()) {
            EXPECT_TRUE(db_.EjecutaConsultaSQL(sentencia));
        }
        d.avisado = !op.Shown().empty();
        EXPECT_EQ(d.avisado, !registrado);
        if (d.avisado) {
            EXPECT_NE(op.Shown()[0].prompt.find(d.numero), std::string::npos) << op.Shown()[0].prompt;
        }
        return d;
    }

    adodb::Connection a_;
    adodb::Connection b_;
    Turnos* turnos_ = nullptr;
    int contador_ = 0;
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
// being saved. A's statement never moves the counter back; a collision found while its
// statement is built is reported. (Once built, the statement is the caller's: between building
// it and running it, the numbering no longer sees the range.)
TEST_F(EstacionesTest, StatementModeNeverMovesTheCounterBack) {
    const int pasosHastaRegistrar = Pasos([&] {
        std::string sucursal, numero, letra = "X";
        bool modifica = false;
        Obtener_Nro_Comprobante("PE", sucursal, numero, letra, modifica, true, "", "   1");
    });
    const int pasos = Pasos([&] { Guarda(true); });
    for (int k = 1; k <= pasos + 1; ++k) {
        SCOPED_TRACE("station B before statement " + std::to_string(k));
        Prepara();
        Documento a;
        std::set<std::string> deB;
        Intercala([&] { a = Guarda(true); }, k, [&] {
            for (int i = 0; i < 2; ++i) deB.insert(Guarda(true).numero);
        });
        EXPECT_EQ(contador_, 128 - (deB.count(a.numero) > 0 ? 1 : 0));
        if (k <= pasosHastaRegistrar + 2) {
            EXPECT_EQ(a.avisado, deB.count(a.numero) > 0);
        }
    }
}

}  // namespace
}  // namespace numbering::testing
