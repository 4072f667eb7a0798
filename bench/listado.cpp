#include "listado.h"

#include <cstdlib>
#include <filesystem>
#include <string>

#include "foundation/db_dll.h"
#include "foundation/session.h"

namespace bench {

void AbrirSesion(foundation::DB_Dll& db, const std::string& ruta) {
    // Errors go to a log of the benchmark's own, never next to the program.
    static const std::filesystem::path home = [] {
        const std::filesystem::path carpeta = std::filesystem::temp_directory_path() / "tarvolin-bench-home";
        std::filesystem::create_directories(carpeta);
        setenv("TARVOLIN_HOME", carpeta.c_str(), 1);
        return carpeta;
    }();
    db.gCnn.Open("Provider=SQLOLEDB;Data Source=" + ruta);
    foundation::gUsuarioLogeado = "bench";
}

OrdersFile& Listado() {
    static OrdersFile* file = [] {
        static OrdersFile built(kListadas);
        AbrirSesion(foundation::Db(), built.Path());
        return &built;
    }();
    return *file;
}

bool Rapido() {
    const char* rapido = std::getenv("TARVOLIN_BENCH_QUICK");
    return rapido && std::string(rapido) == "1";
}

std::vector<int> TamanosGrandes() {
    if (Rapido()) return {kListadas};
    return {kListadas, 5000000};
}

namespace {

std::vector<std::string>& LosCasos() {
    static std::vector<std::string> casos;
    return casos;
}

}  // namespace

std::array<benchmark::internal::Benchmark*, 2> RegistrarCaso(const std::string& caso, Medida programa,
                                                             Medida referencia) {
    LosCasos().push_back(caso);
    std::array<benchmark::internal::Benchmark*, 2> registrados{
        benchmark::RegisterBenchmark((caso + "/program").c_str(), std::move(programa)),
        benchmark::RegisterBenchmark((caso + "/reference").c_str(), std::move(referencia))};
    for (benchmark::internal::Benchmark* b : registrados) b->Unit(benchmark::kMillisecond);
    return registrados;
}

benchmark::internal::Benchmark* RegistrarPar(const std::string& caso, Medida par) {
    LosCasos().push_back(caso);
    return benchmark::RegisterBenchmark((caso + "/pair").c_str(), std::move(par))->Unit(benchmark::kMillisecond);
}

const std::vector<std::string>& Casos() { return LosCasos(); }

}  // namespace bench
