// The program's database on a fresh in-memory SQLite database loaded from
// db/schema.sql, the application folder in a temporary folder (for the error
// log), a scripted operator, and a common-documents object created on first
// use. Helpers add articles, lot stock and position balances.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "documents/cls_cmn_cptes.h"
#include "foundation/db_dll.h"
#include "support.h"
#include "ui/flexgrid.h"
#include "ui/msgbox.h"

namespace lots::testing {

using Opcional = std::optional<std::string>;

// Character 255, written as the lists write it.
inline const std::string Y = "\xC3\xBF";

class LotesTest : public ::testing::Test {
protected:
    LotesTest();
    ~LotesTest() override;

    void Sql(const std::string& sql) const;
    void Configura(const std::string& clave, const std::string& valor) const;
    void Articulo(const std::string& codigo, const std::string& unidad, bool usaSerie, bool usaLote) const;
    // A row of STK_SERIES_Y_LOTES (nullopt: NULL).
    void Stock(const std::string& articulo, const std::string& deposito, const Opcional& lote,
               const Opcional& serie, const Opcional& posicion, double cantidad) const;
    // A storage position and an AC_SALDOSLAYOUT balance (nullopt position: the depot's balance).
    void Posicion(const std::string& deposito, const std::string& posicion, int orden) const;
    void Saldo(const std::string& deposito, const std::string& articulo, const Opcional& posicion,
               const Opcional& lote, const std::string& unidadBase, const Opcional& saldo) const;

    documents::ClsCmnCptes& Cmn();
    // The boxes of one kind the operator was shown.
    std::vector<ui::RecordedBox> Cajas(const std::string& tipo) const;

    // An articles grid of 92 columns with `filas` data rows.
    static std::unique_ptr<ui::FlexGrid> GrillaArticulos(int filas);

    foundation::DB_Dll& db_;
    testsupport::TempDir home_;
    testsupport::ScopedEnv homeEnv_{"TARVOLIN_HOME", home_.Path().string()};
    ui::ScriptedOperator operator_;
    std::unique_ptr<documents::ClsCmnCptes> cmn_;
};

}  // namespace lots::testing
