#include "lookup_fixture.h"

#include "schema_db.h"

#include <utility>

#include "foundation/configuracion.h"
#include "vb/text.h"

namespace lookup::testing {

LookupDbTest::LookupDbTest() : db_(foundation::Db()) {
    testsupport::OpenSchemaDatabase(db_.gCnn, &statements_);
    db_.gEsAdmin = true;  // tables by their own names
    foundation::gTablaConfiguracion = "TA_CONFIGURACION";
}

LookupDbTest::~LookupDbTest() {
    testsupport::CloseSchemaDatabase(db_.gCnn);
}

void LookupDbTest::Run(const std::string& sql) {
    db_.gCnn.Execute(sql);
    statements_.clear();
}

void LookupDbTest::SetCfg(const std::string& clave, const std::string& valor) {
    Run("INSERT OR REPLACE INTO TA_CONFIGURACION (CLAVE, VALOR) VALUES ('" + clave + "', '" + valor + "')");
}

std::vector<std::string> LookupDbTest::TakeStatements() { return std::exchange(statements_, {}); }

std::vector<std::string> LookupDbTest::StatementsOn(const std::string& fuente) {
    std::vector<std::string> elegidas;
    for (const std::string& sql : TakeStatements()) {
        if (vb::Contains(sql, " FROM " + fuente + " ", vb::Compare::Text)) elegidas.push_back(sql);
    }
    return elegidas;
}

std::vector<ui::RecordedBox> LookupDbTest::Boxes(const std::string& kind) const {
    std::vector<ui::RecordedBox> boxes;
    for (const ui::RecordedBox& box : operator_.Shown()) {
        if (box.kind == kind) boxes.push_back(box);
    }
    return boxes;
}

}  // namespace lookup::testing
