// Runs every benchmark, each case's program and reference repetitions
// interleaved in random order, so that a load on the machine weighs on both
// sides alike; then prints each case's medians side by side with their ratio,
// and writes them, one case a line, to the file named by
// TARVOLIN_BENCH_RESULTS ("case<TAB>program ms<TAB>reference ms", or
// "case<TAB>failed"), from which scripts/bench makes its table. The windows
// run on the display Qt is given (scripts/bench starts Xvfb).
#include <QApplication>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>
#include <vector>

#include "foundation/db_dll.h"
#include "listado.h"

namespace {

// The console's report, keeping the median of every run by case and side.
class Tabla : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs) {
            if (run.run_type != Run::RT_Aggregate || run.aggregate_name != "median" || run.error_occurred) continue;
            const std::string& nombre = run.run_name.function_name;
            const std::size_t barra = nombre.rfind('/');
            if (barra == std::string::npos) continue;
            Medianas& m = casos_[nombre.substr(0, barra)];
            (nombre.compare(barra + 1, std::string::npos, "program") == 0 ? m.programa : m.referencia) =
                run.GetAdjustedRealTime();
        }
        ConsoleReporter::ReportRuns(runs);
    }

    void Imprimir() const {
        std::FILE* resultados = nullptr;
        if (const char* ruta = std::getenv("TARVOLIN_BENCH_RESULTS"); ruta && *ruta) resultados = std::fopen(ruta, "a");
        std::printf("\n%-34s %14s %14s %7s\n", "case (median, ms)", "this program", "raw SQLite", "ratio");
        bool excede = false;
        for (const std::string& caso : bench::Casos()) {
            const auto it = casos_.find(caso);
            if (it == casos_.end()) continue;  // not run
            if (it->second.programa < 0 || it->second.referencia <= 0) {
                std::printf("%-34s %14s %14s %7s\n", caso.c_str(), "failed", "failed", "-");
                if (resultados) std::fprintf(resultados, "%s\tfailed\n", caso.c_str());
                continue;
            }
            const Medianas& m = it->second;
            const double razon = m.programa / m.referencia;
            excede = excede || razon > 1.5;
            std::printf("%-34s %14.3f %14.3f %7.2f\n", caso.c_str(), m.programa, m.referencia, razon);
            if (resultados) std::fprintf(resultados, "%s\t%.3f\t%.3f\n", caso.c_str(), m.programa, m.referencia);
        }
        if (excede) std::printf("Some ratio is above 1.5.\n");
        if (resultados) std::fclose(resultados);
    }

private:
    struct Medianas {
        double programa = -1;
        double referencia = -1;
    };
    std::map<std::string, Medianas> casos_;
};

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);

    // Defaults that the command line may override.
    std::vector<char*> args{argv[0]};
    std::string defaults[] = {"--benchmark_enable_random_interleaving=true", "--benchmark_repetitions=15",
                              "--benchmark_report_aggregates_only=true"};
    for (std::string& d : defaults) args.push_back(d.data());
    args.insert(args.end(), argv + 1, argv + argc);
    int n = static_cast<int>(args.size());
    benchmark::Initialize(&n, args.data());
    if (benchmark::ReportUnrecognizedArguments(n, args.data())) return 1;

    bench::RegistrarPaginas();
    bench::RegistrarBusqueda();
    bench::RegistrarAutorizacion();
    bench::Listado();
    Tabla tabla;
    benchmark::RunSpecifiedBenchmarks(&tabla);
    tabla.Imprimir();
    benchmark::Shutdown();
    bench::CerrarAutorizacion();
    foundation::Db().gCnn.Close();
    return 0;
}
