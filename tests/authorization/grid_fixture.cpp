#include "grid_fixture.h"

#include "schema_db.h"

#include <sqlite3.h>

#include <cstdio>
#include <utility>

namespace authorization::testing {

GridDbTest::GridDbTest() : db_(foundation::Db()) {
    testsupport::OpenSchemaDatabase(db_.gCnn, &sentencias_);
}

GridDbTest::~GridDbTest() {
    testsupport::CloseSchemaDatabase(db_.gCnn);
}

std::vector<Orden> GridDbTest::AgregarOrdenes(int n) {
    static const char* const kNombres[] = {"Ana", "Beto", "Carla", "Dario", "Elena", "Fabio", "Gala"};
    std::vector<Orden> ordenes;
    auto insertar = [this](long id, const char* tc, int bloqueada, const Orden& o) {
        db_.gCnn.Execute("INSERT INTO V_MV_CPTE (ID, TC, IDCOMPROBANTE, FECHA, FECHAESTFIN, NOMBRE, IMPORTE, "
                         "OBSERVACIONES, BLOQUEADA) VALUES (" +
                         std::to_string(id) + ", '" + tc + "', '" + o.numero + "', '" + o.fecha +
                         "', '2024-03-10 00:00:00', '" + o.nombre + "', " + std::to_string(100 + id) +
                         ", 'obs', " + std::to_string(bloqueada) + ")");
    };
    for (int i = 0; i < n; ++i) {
        char numero[32];
        std::snprintf(numero, sizeof numero, "0001-%08d", 1000 + i);
        char fecha[32];
        std::snprintf(fecha, sizeof fecha, "2024-%02d-%02d 00:00:00", 1 + i % 3, 1 + i % 9 * 3);
        // 37 and 211 share no factor, so the keys are distinct and out of insertion order.
        Orden o{(i * 37L) % 211 + 1, numero, fecha, kNombres[i % 7]};
        insertar(o.id, "NP", 1, o);
        ordenes.push_back(o);
    }
    for (int i = 0; i < 5; ++i) {
        Orden otra{1000L + i, "9999-0000000" + std::to_string(i), "2024-01-01 00:00:00", "Otro"};
        insertar(otra.id, i < 3 ? "FC" : "NP", i < 3 ? 1 : 0, otra);
    }
    sentencias_.clear();
    return ordenes;
}

std::vector<std::string> GridDbTest::TomarSentencias() { return std::exchange(sentencias_, {}); }

std::string GridDbTest::PasarAArchivo() {
    const std::string archivo = home_.File("empresa.db");
    sqlite3* nueva = nullptr;
    sqlite3_open(archivo.c_str(), &nueva);
    const std::string esquema = testsupport::ReadFile(testsupport::SourceDir() / "db" / "schema.sql");
    EXPECT_EQ(sqlite3_exec(nueva, esquema.c_str(), nullptr, nullptr, nullptr), SQLITE_OK);
    sqlite3_close(nueva);
    const std::string conexion = "Provider=SQLOLEDB;Data Source=" + archivo;
    db_.gCnn.Close();
    db_.gCnn.Open(conexion);
    return conexion;
}

}  // namespace authorization::testing
