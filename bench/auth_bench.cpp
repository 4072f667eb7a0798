// Authorizing 1,000 selected orders of the 1,000,000 listed, as a user meets
// it: the main window shown on a real X display (QT_QPA_PLATFORM=xcb, on
// Xvfb), its own F2 path timed from the click to the list shown again (the
// selection read from the grid, for each order its UPDATE and "AO" INSERT
// with their values bound, in a transaction of its own, then the list loaded
// again, the history of its current row and the repaint). Beside it, a plain
// loop on a raw SQLite connection to the same WAL file that runs the same two
// statements, compiled once and bound the same way, for each order in a
// transaction of its own. The program's figure includes its reload and
// repaint, which the loop does not do. Between runs the orders are blocked
// again and their records removed, outside the timing.
#include <QApplication>
#include <QGuiApplication>

#include <chrono>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "authorization/frm_autorizar_np_bloq.h"
#include "authorization/tsdbgrid.h"
#include "foundation/db_dll.h"
#include "foundation/session.h"
#include "helpers/helpers.h"
#include "listado.h"
#include "ui/flexgrid.h"
#include "ui/msgbox.h"

namespace bench {

namespace {

constexpr int kAutorizadas = 1000;
// A run waits on the disk a thousand times, which other work on the machine
// delays unevenly: more runs than the default give a median that holds still.
constexpr int kRepeticiones = 45;

using Reloj = std::chrono::steady_clock;

double Segundos(Reloj::time_point desde) { return std::chrono::duration<double>(Reloj::now() - desde).count(); }

// Every order blocked again, no action record left, and the write-ahead log
// emptied, so that every run starts from the same file; false when the run
// before did not leave exactly the orders and records it should have.
bool Restablecer() {
    sqlite3* raw = Listado().Raw();
    const bool completa =
        RawCount(raw, "SELECT COUNT(*) FROM V_MV_CPTE WHERE TC = 'NP' AND BLOQUEADA = 0") == kAutorizadas &&
        RawCount(raw, "SELECT COUNT(*) FROM V_MV_CPTEACCIONES WHERE Tipo_accion = 'AO'") == kAutorizadas;
    RawExec(raw,
            "BEGIN IMMEDIATE; UPDATE V_MV_CPTE SET BLOQUEADA = 1, OBSERVACIONES = 'obs' WHERE TC = 'NP' AND "
            "BLOQUEADA = 0; DELETE FROM V_MV_CPTEACCIONES; COMMIT; PRAGMA wal_checkpoint(TRUNCATE)");
    return completa;
}

// The window, shown, and the operator answering its question, alive until CerrarAutorizacion.
std::unique_ptr<authorization::FrmAutorizarNPBloq> gVentana;
std::unique_ptr<ui::ScriptedOperator> gOperador;

// The window as the program shows it; nothing when the display is not a
// real one, where the figure would hide what the display costs.
authorization::FrmAutorizarNPBloq* VentanaMostrada(benchmark::State& state) {
    if (QGuiApplication::platformName() != "xcb") {
        state.SkipWithError("needs a real X display: QT_QPA_PLATFORM=xcb with DISPLAY set (Xvfb)");
        return nullptr;
    }
    Listado();
    if (!gVentana) {
        gOperador = std::make_unique<ui::ScriptedOperator>();
        gVentana = std::make_unique<authorization::FrmAutorizarNPBloq>();
        gVentana->show();
        gVentana->CmdCargar_Click();
        QApplication::processEvents();
    }
    return gVentana.get();
}

void Autorizar(benchmark::State& state) {
    authorization::FrmAutorizarNPBloq* mostrada = VentanaMostrada(state);
    if (mostrada == nullptr) return;
    authorization::FrmAutorizarNPBloq& ventana = *mostrada;
    ui::ScriptedOperator& operador = *gOperador;
    authorization::TsDbGrid& lista = ventana.TsDbGrid1();
    ui::FlexGrid& grid = lista.MsFlexGrid();
    for (auto _ : state) {
        // The first 1,000 orders on one page, all selected, as a user would
        // after choosing 1000 records a page; drawn before the clock starts.
        ventana.CmdCargar_Click();
        lista.SetPageSize(kAutorizadas);
        lista.CargarPaginas();
        grid.SetRow(1);
        grid.SetRowSel(kAutorizadas);
        operador.ClearShown();
        operador.AnswerMsgBox(ui::vbYes);
        QApplication::processEvents();

        const Reloj::time_point inicio = Reloj::now();
        ventana.cmdAplicar_Click();
        QApplication::processEvents();  // the list loaded again, drawn
        state.SetIterationTime(Segundos(inicio));

        if (operador.Shown().size() != 1 || !Restablecer()) state.SkipWithError("the orders were not all authorized");
    }
}

// The plain loop: the program's two statements compiled once, their values
// bound for each order in a transaction of its own.
void AutorizarReferencia(benchmark::State& state) {
    sqlite3* raw = Listado().Raw();
    std::vector<std::pair<long long, std::string>> ordenes;
    RawRows(raw,
            "SELECT ID, IDCOMPROBANTE FROM V_MV_CPTE WHERE BLOQUEADA = 1 AND TC = 'NP' ORDER BY TC, ID LIMIT " +
                std::to_string(kAutorizadas),
            [&](int columna, const unsigned char* texto) {
                const std::string valor = reinterpret_cast<const char*>(texto);
                if (columna == 0) ordenes.emplace_back(std::stoll(valor), "");
                else ordenes.back().second = valor;
            });
    const std::string usuario = foundation::gUsuarioLogeado;
    const std::string pc = helpers::gEstacion().NombrePC();
    for (auto _ : state) {
        const Reloj::time_point inicio = Reloj::now();
        sqlite3_stmt* actualiza = RawPrepare(
            raw, "UPDATE V_MV_CPTE SET BLOQUEADA = 0 , OBSERVACIONES = '' WHERE ID = ? AND BLOQUEADA = 1 AND TC = 'NP'");
        sqlite3_stmt* registra = RawPrepare(
            raw,
            "INSERT INTO V_MV_CPTEACCIONES (TC,IdComprobante,IdComplemento,Tipo_accion,FECHAHORA,Usuario,PC,"
            "SYSTEMUSER,NUMEROASIENTO) VALUES (?,?,?,?,?,?,?,?,?)");
        for (const auto& [id, numero] : ordenes) {
            RawExec(raw, "BEGIN IMMEDIATE");
            sqlite3_bind_int64(actualiza, 1, id);
            Check(sqlite3_step(actualiza), raw);
            sqlite3_reset(actualiza);
            sqlite3_bind_text(registra, 1, "NP  ", -1, SQLITE_STATIC);
            sqlite3_bind_text(registra, 2, numero.c_str(), -1, SQLITE_STATIC);
            sqlite3_bind_int64(registra, 3, 0);
            sqlite3_bind_text(registra, 4, "AO", -1, SQLITE_STATIC);
            sqlite3_bind_text(registra, 5, "2026-01-02 03:04:00", -1, SQLITE_STATIC);
            sqlite3_bind_text(registra, 6, usuario.c_str(), -1, SQLITE_STATIC);
            sqlite3_bind_text(registra, 7, pc.c_str(), -1, SQLITE_STATIC);
            sqlite3_bind_text(registra, 8, "", -1, SQLITE_STATIC);
            sqlite3_bind_double(registra, 9, 0);
            Check(sqlite3_step(registra), raw);
            sqlite3_reset(registra);
            RawExec(raw, "COMMIT");
        }
        sqlite3_finalize(actualiza);
        sqlite3_finalize(registra);
        state.SetIterationTime(Segundos(inicio));

        if (!Restablecer()) state.SkipWithError("the orders were not all authorized");
    }
}

}  // namespace

void CerrarAutorizacion() {
    gVentana.reset();
    gOperador.reset();
}

void RegistrarAutorizacion() {
    for (benchmark::internal::Benchmark* b :
         RegistrarCaso("authorize " + std::to_string(kAutorizadas) + " orders, X window", Autorizar,
                       AutorizarReferencia)) {
        b->UseManualTime()->Iterations(1)->Repetitions(kRepeticiones);
    }
}

}  // namespace bench
