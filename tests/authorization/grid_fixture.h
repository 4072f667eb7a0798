// The program's database on a fresh in-memory SQLite database loaded from
// db/schema.sql, holding blocked orders of type NP and a few rows the grid
// must never show; the application folder in a temporary folder; a scripted
// operator; every statement the connection runs recorded.
#pragma once

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QObject>

#include <string>
#include <vector>

#include "foundation/db_dll.h"
#include "support.h"
#include "ui/msgbox.h"

namespace authorization::testing {

// The main window's list query.
inline constexpr const char* kConsultaPrincipal =
    "SELECT TC, IDCOMPROBANTE AS NUMERO,FECHA,FECHAESTFIN AS VENCIMIENTO,NOMBRE AS CLIENTE,IMPORTE,"
    "OBSERVACIONES FROM V_MV_CPTE WHERE [BLOQUEADA] = 1 AND TC = 'NP' ORDER BY [TC] ASC";

// A blocked order of the fixture.
struct Orden {
    long id;
    std::string numero;
    std::string fecha;  // ISO date, few distinct values
    std::string nombre; // few distinct values
};

// The child of `padre` named `nombre`; the test fails when there is none.
template <class W>
W* Hijo(QObject& padre, const char* nombre) {
    W* w = padre.findChild<W*>(nombre);
    EXPECT_NE(w, nullptr) << nombre;
    return w;
}

// Clicks the button of `padre` named `boton`.
inline void Pulsar(QObject& padre, const char* boton) { Hijo<QAbstractButton>(padre, boton)->click(); }

class GridDbTest : public ::testing::Test {
protected:
    GridDbTest();
    ~GridDbTest() override;

    // Adds `n` blocked NP orders (keys scrambled, many equal names and dates)
    // and five rows of other kinds; returns the orders.
    std::vector<Orden> AgregarOrdenes(int n);
    // Statements run since the last call.
    std::vector<std::string> TomarSentencias();
    // Moves the session to a database file made from db/schema.sql, so that
    // a second connection (another station) can write to the same list;
    // returns the connection string.
    std::string PasarAArchivo();

    foundation::DB_Dll& db_;
    testsupport::TempDir home_;
    testsupport::ScopedEnv homeEnv_{"TARVOLIN_HOME", home_.Path().string()};
    ui::ScriptedOperator operator_;
    std::vector<std::string> sentencias_;
};

}  // namespace authorization::testing
