// The launcher of the suite's sibling programs. MenuExes starts a program of
// the suite and hands it the session on its command line, in the form that the
// session start-up reads (LeeClaveLineaComando): the connection's server,
// database, user and password (from Db()), a free parameter, and the session's
// logged-in user and cash desk (gUsuarioLogeado, gCaja).
//
// Contract: user-interface thread only. The started program runs on its own;
// nothing waits for it or watches it. Failures go through the error routine
// of Db() under the error convention (routine name "MenuExes").
#pragma once

#include <functional>
#include <string>

namespace foundation {

// Starts `programa` as a separate process with `argumento` as its one
// argument, without a shell and without waiting for it. Returns the process
// id, 0 when nothing started; may raise vb::Error.
using Lanzador = std::function<long(const std::string& programa, const std::string& argumento)>;

// The platform's launcher. Raises error 53 when the program file does not
// exist and error 70 when it cannot be started.
Lanzador LanzadorDelSistema();

// Starts the program named by `Exe` after its 6-character prefix ("shell:"):
// a name with a folder separator ("/", or "\\" as older callers write it) is a
// path as it stands; a bare name is looked for in the application folder.
// `TaskId` receives the process id, 0 when nothing started; then the message
// "Opcion no Implementada!" is shown.
void MenuExes(const std::string& Exe, const std::string& ParametroAdicional, long& TaskId,
              const Lanzador& Lanzar = LanzadorDelSistema());

}  // namespace foundation
