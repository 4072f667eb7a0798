// The connection strings DB_Dll opens the session with. Every value goes in
// through the database layer's quoting, so that a ";" inside a password
// cannot add keys; simple values stand as written.
#pragma once

#include <string>

#include "foundation/db_dll.h"

namespace foundation {

inline constexpr const char* kProveedorOracle = "OraOLEDB.Oracle.1";

// "Provider=OraOLEDB.Oracle.1;Data Source=<db>;User Id=<user>;Password=<pwd>;"
std::string CadenaConexionOracle(const std::string& DBName, const std::string& Usuario,
                                 const std::string& Password);

// The string built from the connection values: the Oracle one when gServidor
// holds "#" anywhere, else "PROVIDER=SQLOLEDB;Server=S;Database =D;UId=U;Pwd=P;"
// followed by gExtended as it stands.
std::string ArmaCadenaConexion(const DB_Dll& db);

}  // namespace foundation
