#include "tabla.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>
#include <vector>

#include "listado.h"

namespace bench {

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
            if (nombre.compare(barra + 1, std::string::npos, "pair") == 0) {
                // Both sides timed in each repetition: the medians of their counters.
                const auto programa = run.counters.find("program");
                const auto referencia = run.counters.find("reference");
                if (programa == run.counters.end() || referencia == run.counters.end()) continue;
                m.programa = programa->second.value;
                m.referencia = referencia->second.value;
                continue;
            }
            (nombre.compare(barra + 1, std::string::npos, "program") == 0 ? m.programa : m.referencia) =
                run.GetAdjustedRealTime();
        }
        ConsoleReporter::ReportRuns(runs);
    }

    void Imprimir() const {
        std::FILE* resultados = nullptr;
        if (const char* ruta = std::getenv("TARVOLIN_BENCH_RESULTS"); ruta && *ruta) resultados = std::fopen(ruta, "a");
        std::printf("\n%-56s %14s %14s %7s\n", "case (median, ms)", "this program", "raw SQLite", "ratio");
        bool excede = false;
        for (const std::string& caso : Casos()) {
            const auto it = casos_.find(caso);
            if (it == casos_.end()) continue;  // not run
            if (it->second.programa < 0 || it->second.referencia <= 0) {
                std::printf("%-56s %14s %14s %7s\n", caso.c_str(), "failed", "failed", "-");
                if (resultados) std::fprintf(resultados, "%s\tfailed\n", caso.c_str());
                continue;
            }
            const Medianas& m = it->second;
            const double razon = m.programa / m.referencia;
            excede = excede || razon > 1.5;
            std::printf("%-56s %14.3f %14.3f %7.2f\n", caso.c_str(), m.programa, m.referencia, razon);
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

int CorrerCasos(int argc, char** argv, const std::function<void()>& registrar, const std::function<void()>& cerrar) {
    // Defaults that the command line may override.
    std::vector<char*> args{argv[0]};
    std::string defaults[] = {"--benchmark_enable_random_interleaving=true", "--benchmark_repetitions=15",
                              "--benchmark_report_aggregates_only=true"};
    for (std::string& d : defaults) args.push_back(d.data());
    args.insert(args.end(), argv + 1, argv + argc);
    int n = static_cast<int>(args.size());
    benchmark::Initialize(&n, args.data());
    if (benchmark::ReportUnrecognizedArguments(n, args.data())) return 1;

    registrar();
    Tabla tabla;
    benchmark::RunSpecifiedBenchmarks(&tabla);
    tabla.Imprimir();
    benchmark::Shutdown();
    cerrar();
    return 0;
}

}  // namespace bench
