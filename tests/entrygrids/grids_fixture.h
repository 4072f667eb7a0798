// The program's database on a fresh in-memory SQLite database loaded from
// db/schema.sql, a host form for text widths, a scripted operator, the
// application folder in a temporary folder, "." as the decimal separator and
// the session values the grids read saved and restored around each test.
#pragma once

#include <gtest/gtest.h>

#include <QWidget>

#include <memory>
#include <string>
#include <vector>

#include "documents/cls_cmn_cptes.h"
#include "foundation/db_dll.h"
#include "support.h"
#include "ui/flexgrid.h"
#include "ui/msgbox.h"
#include "vb/regional.h"

namespace entrygrids::testing {

class GridsTest : public ::testing::Test {
protected:
    GridsTest();
    ~GridsTest() override;

    // Runs statements directly on the connection (test set-up).
    void Sql(const std::string& sql);
    void Cfg(const std::string& clave, const std::string& valor);
    // A document type of V_TA_CPTE with its area.
    void Tipo(const std::string& codigo, const std::string& sistema);
    // Statements the connection ran since the last call.
    std::vector<std::string> Sentencias();
    bool AlgunaSentenciaContiene(const std::string& texto) const;

    // W(n): the width of n capital X's in the host form's font.
    long W(int n) const;
    long Ancho(const std::string& texto) const;

    // The common-documents object, created on first use (it reads the configuration).
    documents::ClsCmnCptes& Cmn();

    // A grid of `cols` columns with `filas` rows, column 0 of row i holding codigos[i-1].
    static void Llena(ui::FlexGrid& g, const std::vector<std::string>& codigos, int cols = 8);

    testsupport::TempDir home_;
    testsupport::ScopedEnv homeEnv_{"TARVOLIN_HOME", home_.Path().string()};
    vb::ScopedRegional regional_;
    ui::ScriptedOperator operator_;
    foundation::DB_Dll& db_;
    QWidget host_;
    std::vector<std::string> sentencias_;

private:
    struct Sesion;
    std::unique_ptr<Sesion> sesion_;
    std::unique_ptr<documents::ClsCmnCptes> cmn_;
};

}  // namespace entrygrids::testing
