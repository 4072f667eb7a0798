// What every benchmark program of this folder runs: its cases, each case's
// program and reference repetitions interleaved in random order, so that a
// load on the machine weighs on both sides alike; then each case's medians
// side by side with their ratio, also written, one case a line, to the file
// named by TARVOLIN_BENCH_RESULTS ("case<TAB>program ms<TAB>reference ms",
// or "case<TAB>failed"), from which scripts/bench makes its table.
#pragma once

#include <functional>

namespace bench {

// Reads Google Benchmark's options (15 repetitions unless told), runs
// `registrar`, then the cases, prints the table and runs `cerrar`. The exit
// status for main.
int CorrerCasos(int argc, char** argv, const std::function<void()>& registrar, const std::function<void()>& cerrar);

}  // namespace bench
