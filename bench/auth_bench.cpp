// Authorizing 1,000 selected orders of the 1,000,000 listed: the main
// window's own F2 path (the walk over the selection, for each order its
// UPDATE and "AO" INSERT in a transaction of its own, then the list loaded
// again and the history of its first row shown), beside a plain loop on a
// raw SQLite connection to the same WAL file that runs the same UPDATE and
// INSERT for each order in a transaction of its own. The program's figure
// includes its reload, which the loop does not do. Between runs the orders
// are blocked again and their records removed, outside the timing.
#include <chrono>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "authorization/frm_autorizar_np_bloq.h"
#include "authorization/tsdbgrid.h"
#include "foundation/db_dll.h"
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

// The window and the operator answering its question, alive until CerrarAutorizacion.
std::unique_ptr<authorization::FrmAutorizarNPBloq> gVentana;
std::unique_ptr<ui::ScriptedOperator> gOperador;

void Autorizar(benchmark::State& state) {
    Listado();
    if (!gVentana) {
        gOperador = std::make_unique<ui::ScriptedOperator>();
        gVentana = std::make_unique<authorization::FrmAutorizarNPBloq>();
    }
    authorization::FrmAutorizarNPBloq& ventana = *gVentana;
    ui::ScriptedOperator& operador = *gOperador;
    authorization::TsDbGrid& lista = ventana.TsDbGrid1();
    ui::FlexGrid& grid = lista.MsFlexGrid();
    for (auto _ : state) {
        // The first 1,000 orders on one page, all selected, as a user would
        // after choosing 1000 records a page.
        ventana.CmdCargar_Click();
        lista.SetPageSize(kAutorizadas);
        lista.CargarPaginas();
        grid.SetRow(1);
        grid.SetRowSel(kAutorizadas);
        operador.ClearShown();
        operador.AnswerMsgBox(ui::vbYes);

        const Reloj::time_point inicio = Reloj::now();
        ventana.cmdAplicar_Click();
        state.SetIterationTime(Segundos(inicio));

        if (operador.Shown().size() != 1 || !Restablecer()) state.SkipWithError("the orders were not all authorized");
    }
}

// The plain loop: statements prepared once, each order in a transaction of its own.
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
    for (auto _ : state) {
        const Reloj::time_point inicio = Reloj::now();
        sqlite3_stmt* actualiza = RawPrepare(raw,
                                             "UPDATE V_MV_CPTE SET BLOQUEADA = 0 , OBSERVACIONES = '' WHERE ID = ?1 "
                                             "AND BLOQUEADA = 1 AND TC = 'NP'");
        sqlite3_stmt* registra = RawPrepare(
            raw,
            "INSERT INTO V_MV_CPTEACCIONES (TC, IdComprobante, IdComplemento, Tipo_accion, FECHAHORA, Usuario, PC, "
            "SYSTEMUSER, NUMEROASIENTO) VALUES ('NP  ', ?1, 0, 'AO', datetime('now'), 'bench', 'bench', '', 0)");
        for (const auto& [id, numero] : ordenes) {
            RawExec(raw, "BEGIN IMMEDIATE");
            sqlite3_bind_int64(actualiza, 1, id);
            Check(sqlite3_step(actualiza), raw);
            sqlite3_reset(actualiza);
            sqlite3_bind_text(registra, 1, numero.c_str(), -1, SQLITE_STATIC);
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
         RegistrarCaso("authorize " + std::to_string(kAutorizadas) + " orders", Autorizar, AutorizarReferencia)) {
        b->UseManualTime()->Iterations(1)->Repetitions(kRepeticiones);
    }
}

}  // namespace bench
