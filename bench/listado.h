// The benchmarks' database: 1,000,000 blocked orders of type NP, every one
// listed by the main window, in a WAL file that the program's connection
// (foundation::Db()) and a raw SQLite connection both have open.
#pragma once

#include <benchmark/benchmark.h>

#include <array>
#include <functional>
#include <string>
#include <vector>

#include "orders_file.h"

namespace bench {

inline constexpr int kListadas = 1000000;

// Builds the file and opens the program's connection on it, on first use.
OrdersFile& Listado();

// Registers a case as "<caso>/program" and "<caso>/reference" (in
// milliseconds), which main prints side by side, in the order registered.
using Medida = std::function<void(benchmark::State&)>;
std::array<benchmark::internal::Benchmark*, 2> RegistrarCaso(const std::string& caso, Medida programa,
                                                             Medida referencia);
const std::vector<std::string>& Casos();

void RegistrarPaginas();
void RegistrarBusqueda();
void RegistrarAutorizacion();
// Closes the window of the authorization benchmark (before Qt goes away).
void CerrarAutorizacion();

}  // namespace bench
