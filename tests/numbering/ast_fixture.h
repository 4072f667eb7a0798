// The program's database on a fresh in-memory SQLite database loaded from
// db/schema.sql, a scripted operator, every statement recorded, and the
// numbering state (TalonarioActual, gUNegocio, the clock) restored afterwards.
#pragma once

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "foundation/db_dll.h"
#include "support.h"
#include "ui/msgbox.h"

namespace numbering::testing {

// One numbering range (a V_TA_CPTE row) with the columns of one letter.
struct Rango {
    std::string codigo{};
    int talonario = 1;
    std::string letra = "X";
    std::optional<int> ultimo{};
    std::optional<int> desde{};
    std::optional<int> hasta{};
    int sucursal = 1;
    std::string letras = "X";
    std::string unegocio = "   1";
    std::string vence{};  // ISO date; empty: Null
    std::optional<int> externo = 0;
    std::optional<int> modifica = 0;
    std::string sistema = "VENTAS";
};

class AstDbTest : public ::testing::Test {
protected:
    AstDbTest();
    ~AstDbTest() override;

    // Runs set-up SQL and forgets the statements recorded so far.
    void Run(const std::string& sql);
    void Agrega(const Rango& r, const std::string& tabla = "V_TA_CPTE");
    // The first column of the first row as text ("" for Null, "<none>" without a row).
    std::string Valor(const std::string& sql);
    std::vector<std::string> TakeStatements();
    // How many statements since the last call mention the text.
    int Cuenta(const std::string& texto);
    // Every key handed out (branch 0001, letter X) is unique, lies inside a range of the type,
    // and is recorded there: that range's counter stands past it.
    void EsperaNumerosValidos(const std::vector<std::string>& claves, const std::string& tc = "PE");

    foundation::DB_Dll& db_;
    testsupport::TempDir home_;
    testsupport::ScopedEnv homeEnv_{"TARVOLIN_HOME", home_.Path().string()};
    ui::ScriptedOperator operator_;
    std::vector<std::string> statements_;

private:
    int talonario_;
    std::string unegocio_;
};

}  // namespace numbering::testing
