// The benchmarks' database: 1,000,000 blocked orders of type NP, every one
// listed by the main window, in a WAL file that the program's connection
// (foundation::Db()) and a raw SQLite connection both have open; and the
// registry of cases, whose medians CorrerCasos (tabla.h) prints and hands to
// scripts/bench.
#pragma once

#include <benchmark/benchmark.h>

#include <array>
#include <functional>
#include <string>
#include <vector>

#include "orders_file.h"

namespace foundation {
class DB_Dll;
}

namespace bench {

inline constexpr int kListadas = 1000000;

// Copies the file and opens the program's connection on it, on first use.
OrdersFile& Listado();

// Opens `db` on the orders file at `ruta` as the benchmarks' user, with the
// program's files (its error log) in a folder of the benchmark's own.
void AbrirSesion(foundation::DB_Dll& db, const std::string& ruta);

// A quick run (scripts/bench --quick, which sets TARVOLIN_BENCH_QUICK=1)
// leaves out the cases on 5,000,000 orders.
bool Rapido();
// The list sizes of the cases at company scale: 1,000,000 orders, and
// 5,000,000 unless the run is quick. KeptOrders(size) is the file of each.
std::vector<int> TamanosGrandes();

// Registers a case as "<caso>/program" and "<caso>/reference" (in
// milliseconds), which CorrerCasos prints side by side, in the order registered.
using Medida = std::function<void(benchmark::State&)>;
std::array<benchmark::internal::Benchmark*, 2> RegistrarCaso(const std::string& caso, Medida programa,
                                                             Medida referencia);
// Registers a case as "<caso>/pair", each repetition of which times the
// program and its reference back to back, in random order, and sets the
// counters "program" and "reference" (milliseconds) that CorrerCasos prints.
benchmark::internal::Benchmark* RegistrarPar(const std::string& caso, Medida par);
const std::vector<std::string>& Casos();

void RegistrarPaginas();
void RegistrarBusqueda();
void RegistrarAutorizacion();
// Closes the window of the authorization benchmark (before Qt goes away).
void CerrarAutorizacion();

}  // namespace bench
