// The program started with a password on its command line: by the time it
// does anything else (here, reaching for the display as it opens its first
// window) the password is no longer in its arguments, which every user of
// the machine can read (/proc/<pid>/cmdline, ps).
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstddef>
#include <string>
#include <vector>

#include "support.h"

extern char** environ;

namespace {

// A display that takes connections and never answers them: a program that
// connects to it waits there, inside its first call to the window system.
// It listens where the window-system library looks first on Linux, an
// abstract socket named after the display's number.
class PantallaMuda {
public:
    PantallaMuda() {
        fd_ = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        for (numero_ = 900; fd_ >= 0 && numero_ < 1000; ++numero_) {
            const std::string nombre = "/tmp/.X11-unix/X" + std::to_string(numero_);
            sockaddr_un direccion{};
            direccion.sun_family = AF_UNIX;
            nombre.copy(direccion.sun_path + 1, nombre.size());
            const auto largo = static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + 1 + nombre.size());
            if (bind(fd_, reinterpret_cast<const sockaddr*>(&direccion), largo) == 0 && listen(fd_, 4) == 0) return;
        }
        numero_ = -1;
    }
    ~PantallaMuda() {
        if (fd_ >= 0) close(fd_);
    }
    PantallaMuda(const PantallaMuda&) = delete;
    PantallaMuda& operator=(const PantallaMuda&) = delete;

    bool Lista() const { return numero_ >= 0; }
    std::string Display() const { return ":" + std::to_string(numero_); }
    // Waits for the program `pid` to connect: false when it has not
    // connected within a minute, or ended first (then `termino`).
    bool EsperaConexion(pid_t pid, bool& termino) const {
        termino = false;
        for (int decimas = 0; decimas < 600 && !termino; ++decimas) {
            pollfd p{fd_, POLLIN, 0};
            if (poll(&p, 1, 100) == 1) return true;
            termino = waitpid(pid, nullptr, WNOHANG) == pid;
        }
        return false;
    }

private:
    int fd_ = -1;
    int numero_ = -1;
};

std::string LineaDeComandos(pid_t pid) {
    std::string linea = testsupport::ReadFile("/proc/" + std::to_string(pid) + "/cmdline");
    for (char& c : linea) c = c == '\0' ? ' ' : c;
    return linea;
}

TEST(Programa, ThePasswordIsGoneFromTheArgumentsBeforeTheProgramOpensItsWindow) {
    const PantallaMuda pantalla;
    ASSERT_TRUE(pantalla.Lista());
    const testsupport::TempDir home;
    const std::string clave = "Clave-Que-Nadie-Ve-7";
    const std::string argumento =
        "@server=local;@dbname=" + home.File("empresa.db") + ";@usuario=ana;@Password=" + clave + ";";
    std::vector<std::string> entorno;
    for (char** e = environ; *e; ++e) {
        const std::string variable = *e;
        if (variable.rfind("DISPLAY=", 0) != 0 && variable.rfind("QT_QPA_PLATFORM=", 0) != 0 &&
            variable.rfind("TARVOLIN_HOME=", 0) != 0 && variable.rfind("XAUTHORITY=", 0) != 0) {
            entorno.push_back(variable);
        }
    }
    entorno.push_back("DISPLAY=" + pantalla.Display());
    entorno.push_back("QT_QPA_PLATFORM=xcb");
    entorno.push_back("TARVOLIN_HOME=" + home.Path().string());
    entorno.push_back("XAUTHORITY=" + home.File("ninguna"));
    std::vector<char*> envp;
    for (std::string& variable : entorno) envp.push_back(variable.data());
    envp.push_back(nullptr);
    std::string programa = TARVOLIN_PROGRAM;
    char* argv[] = {programa.data(), const_cast<char*>(argumento.c_str()), nullptr};

    const pid_t pid = fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        execve(programa.c_str(), argv, envp.data());
        _exit(127);
    }
    bool termino = false;
    const bool conecto = pantalla.EsperaConexion(pid, termino);
    const std::string linea = conecto ? LineaDeComandos(pid) : "";
    if (!termino) {
        kill(pid, SIGKILL);
        waitpid(pid, nullptr, 0);
    }

    ASSERT_FALSE(termino) << "the program ended before it reached for the display";
    ASSERT_TRUE(conecto) << "the program never reached for the display";
    EXPECT_NE(linea.find("@dbname=" + home.File("empresa.db")), std::string::npos) << linea;
    EXPECT_EQ(linea.find(clave), std::string::npos) << linea;
}

}  // namespace
