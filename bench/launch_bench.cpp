// Launch → first page: starts the program (build/tarvolin) on a file of
// 10,000, 1,000,000 and 5,000,000 listed orders and times it from the start
// of its process until its first page is on the display; beside it the
// smallest Qt window that opens the same file and shows the same count and
// first page (tv_launch_reference). Both carry the same stamp plugin, which
// notes when the first window's pixels reached the display and ends the
// program. Runs on the display of DISPLAY (scripts/bench starts Xvfb).
//
// Each size runs with the file warm (read into the OS cache first) and cold
// (its pages, and only its, dropped from the OS cache before every start,
// with posix_fadvise); the program's and the
// reference's starts alternate in random order, so that other work on the
// machine weighs on both alike. The medians go to the file given by
// --results, one case a line ("case<TAB>program ms<TAB>reference ms", or
// "case<TAB>failed", or "case<TAB>skipped" for cold rows where the file
// cannot be dropped from the OS cache).
//
// Options: --results=FILE, --repetitions=N (warm, default 15),
// --cold-repetitions=N (default 9), --quick (no 5,000,000 file),
// --sizes=N,M (only the files of those many orders).
#include <fcntl.h>
#include <signal.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <optional>
#include <random>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "orders_file.h"

namespace {

struct Lado {
    const char* nombre;
    std::string programa;
    std::string clase;  // of the window that must be the first one painted
};

std::int64_t AhoraNs() {
    timespec t{};
    clock_gettime(CLOCK_MONOTONIC, &t);
    return static_cast<std::int64_t>(t.tv_sec) * 1000000000LL + t.tv_nsec;
}

// The share of the file's pages in the OS cache, from 0 to 1.
double EnCache(const std::string& ruta) {
    const int fd = open(ruta.c_str(), O_RDONLY);
    if (fd < 0) return 1;
    struct stat st {};
    fstat(fd, &st);
    const std::size_t pagina = static_cast<std::size_t>(sysconf(_SC_PAGESIZE));
    const std::size_t paginas = (static_cast<std::size_t>(st.st_size) + pagina - 1) / pagina;
    double parte = 1;
    void* mapa = mmap(nullptr, static_cast<std::size_t>(st.st_size), PROT_READ, MAP_SHARED, fd, 0);
    if (mapa != MAP_FAILED) {
        std::vector<unsigned char> residentes(paginas);
        if (mincore(mapa, static_cast<std::size_t>(st.st_size), residentes.data()) == 0) {
            const auto n = std::count_if(residentes.begin(), residentes.end(), [](unsigned char r) { return r & 1; });
            parte = static_cast<double>(n) / static_cast<double>(std::max<std::size_t>(paginas, 1));
        }
        munmap(mapa, static_cast<std::size_t>(st.st_size));
    }
    close(fd);
    return parte;
}

// Drops the file and its write-ahead log and index from the OS cache, and
// nothing else: the rest of the machine keeps its cache. False when the
// file stays cached.
bool Enfriar(const std::string& ruta) {
    for (const char* sufijo : {"", "-wal", "-shm"}) {
        if (const int fd = open((ruta + sufijo).c_str(), O_RDONLY); fd >= 0) {
            fdatasync(fd);
            posix_fadvise(fd, 0, 0, POSIX_FADV_DONTNEED);
            close(fd);
        }
    }
    return EnCache(ruta) <= 0.001;
}

// Reads the whole file, so that it is in the OS cache.
void Calentar(const std::string& ruta) {
    std::ifstream in(ruta, std::ios::binary);
    std::vector<char> bloque(1 << 20);
    while (in.read(bloque.data(), static_cast<std::streamsize>(bloque.size())) || in.gcount() > 0) {
    }
}

std::string Leer(const std::string& ruta) {
    std::ifstream in(ruta);
    std::stringstream texto;
    texto << in.rdbuf();
    return texto.str();
}

class Lanzador {
public:
    Lanzador() {
        carpeta_ = std::filesystem::temp_directory_path() / ("tarvolin-launch-" + std::to_string(getpid()));
        std::filesystem::create_directories(carpeta_ / "home");
        std::filesystem::create_directories(carpeta_ / "run");
        std::filesystem::permissions(carpeta_ / "run", std::filesystem::perms::owner_all);
        setenv("XDG_RUNTIME_DIR", (carpeta_ / "run").c_str(), 1);
        sello_ = (carpeta_ / "stamp").string();
        log_ = (carpeta_ / "home" / "TSERR.LOG").string();
        setenv("TARVOLIN_HOME", (carpeta_ / "home").c_str(), 1);
        setenv("TARVOLIN_LAUNCH_STAMP", sello_.c_str(), 1);
        setenv("QT_PLUGIN_PATH", TARVOLIN_LAUNCH_PLUGINS, 1);
        setenv("QT_QPA_GENERIC_PLUGINS", "tvlaunchstamp", 1);
        setenv("QT_QPA_PLATFORM", "xcb", 1);
    }
    ~Lanzador() { std::filesystem::remove_all(carpeta_); }

    // Milliseconds from the start of the process to its first page on the
    // display; nothing when it failed (said on stderr).
    std::optional<double> Lanzar(const Lado& lado, const std::string& archivo) {
        std::filesystem::remove(sello_);
        std::filesystem::remove(log_);
        const std::string linea = "@server=local;@dbname=" + archivo + ";@usuario=bench;@Password=;";
        const bool esPrograma = std::string(lado.nombre) == "program";
        const std::string& argumento = esPrograma ? linea : archivo;
        const std::int64_t inicio = AhoraNs();
        const pid_t hijo = fork();
        if (hijo == 0) {
            execl(lado.programa.c_str(), lado.programa.c_str(), argumento.c_str(), static_cast<char*>(nullptr));
            _exit(127);
        }
        int estado = 0;
        bool terminado = false;
        for (int i = 0; i < 30000 && !terminado; ++i) {  // five minutes
            terminado = waitpid(hijo, &estado, WNOHANG) == hijo;
            if (!terminado) std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        if (!terminado) {
            kill(hijo, SIGKILL);
            waitpid(hijo, &estado, 0);
            std::cerr << lado.nombre << ": no first page within five minutes" << std::endl;
            return std::nullopt;
        }
        std::istringstream sello(Leer(sello_));
        std::int64_t marca = 0;
        std::string clase;
        sello >> marca >> clase;
        const std::string errores = Leer(log_);
        if (!WIFEXITED(estado) || WEXITSTATUS(estado) != 0 || marca == 0 || clase != lado.clase || !errores.empty()) {
            std::cerr << lado.nombre << ": no first page (status " << estado << ", first window \"" << clase
                      << "\")\n"
                      << errores << std::endl;
            return std::nullopt;
        }
        return static_cast<double>(marca - inicio) / 1e6;
    }

private:
    std::filesystem::path carpeta_;
    std::string sello_;
    std::string log_;
};

double Mediana(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    const std::size_t n = v.size();
    return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

std::string ConMiles(int n) {
    std::string texto = std::to_string(n);
    for (int i = static_cast<int>(texto.size()) - 3; i > 0; i -= 3) texto.insert(static_cast<std::size_t>(i), ",");
    return texto;
}

}  // namespace

int main(int argc, char** argv) {
    std::string resultados;
    int repeticiones = 15;
    int repeticionesFrias = 9;
    bool rapido = false;
    std::vector<int> elegidos;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a.rfind("--results=", 0) == 0) resultados = a.substr(10);
        else if (a.rfind("--repetitions=", 0) == 0) repeticiones = std::max(1, std::atoi(a.c_str() + 14));
        else if (a.rfind("--cold-repetitions=", 0) == 0) repeticionesFrias = std::max(1, std::atoi(a.c_str() + 19));
        else if (a == "--quick") rapido = true;
        else if (a.rfind("--sizes=", 0) == 0) {
            std::istringstream lista(a.substr(8));
            for (std::string n; std::getline(lista, n, ',');) elegidos.push_back(std::atoi(n.c_str()));
            if (elegidos.empty() || *std::min_element(elegidos.begin(), elegidos.end()) <= 0) {
                std::cerr << "--sizes wants order counts, such as --sizes=10000,1000000" << std::endl;
                return 2;
            }
        } else {
            std::cerr << "unknown option " << a << std::endl;
            return 2;
        }
    }
    if (!std::getenv("DISPLAY")) {
        std::cerr << "tv_launch_bench: no DISPLAY; scripts/bench runs it on Xvfb" << std::endl;
        return 2;
    }
    const Lado lados[] = {{"program", TARVOLIN_PROGRAM, "authorization::FrmAutorizarNPBloq"},
                          {"reference", TARVOLIN_LAUNCH_REFERENCE, "QWidget"}};
    std::vector<int> tamanos = {10000, 1000000};
    if (!rapido) tamanos.push_back(5000000);
    if (!elegidos.empty()) tamanos = elegidos;

    Lanzador lanzador;
    std::mt19937 azar(std::random_device{}());
    std::FILE* salida = resultados.empty() ? nullptr : std::fopen(resultados.c_str(), "a");
    bool frioPosible = true;
    for (const int tamano : tamanos) {
        const std::string archivo = bench::KeptOrders(tamano);
        for (const bool frio : {false, true}) {
            const std::string caso = "launch -> first page, " + ConMiles(tamano) + " orders, " +
                                     (frio ? "cold file" : "warm file");
            if (frio && frioPosible && !Enfriar(archivo)) {
                std::cerr << "tv_launch_bench: posix_fadvise cannot drop the file from the OS cache; the cold "
                             "rows are skipped"
                          << std::endl;
                frioPosible = false;
            }
            if (frio && !frioPosible) {
                if (salida) std::fprintf(salida, "%s\tskipped\n", caso.c_str());
                continue;
            }
            // A start of each side first, untimed (the program writes its
            // files beside it on its first start).
            Calentar(archivo);
            std::vector<double> tiempos[2];
            bool fallo = false;
            for (const Lado& lado : lados) fallo = fallo || !lanzador.Lanzar(lado, archivo);
            const int veces = frio ? repeticionesFrias : repeticiones;
            for (int r = 0; r < veces && !fallo; ++r) {
                int orden[2] = {0, 1};
                std::shuffle(std::begin(orden), std::end(orden), azar);
                for (const int l : orden) {
                    if (frio) Enfriar(archivo);
                    const std::optional<double> ms = lanzador.Lanzar(lados[l], archivo);
                    if (!ms) fallo = true;
                    else tiempos[l].push_back(*ms);
                }
            }
            if (fallo) {
                std::printf("%-52s %14s\n", caso.c_str(), "failed");
                if (salida) std::fprintf(salida, "%s\tfailed\n", caso.c_str());
                continue;
            }
            const double programa = Mediana(tiempos[0]);
            const double referencia = Mediana(tiempos[1]);
            std::printf("%-52s %10.1f ms %10.1f ms %6.2f\n", caso.c_str(), programa, referencia, programa / referencia);
            std::fflush(stdout);
            if (salida) std::fprintf(salida, "%s\t%.3f\t%.3f\n", caso.c_str(), programa, referencia);
        }
    }
    if (salida) std::fclose(salida);
    return 0;
}
