#include "stock_fixture.h"

#include "schema_db.h"

#include <algorithm>
#include <utility>

#include "foundation/configuracion.h"

namespace numbering::testing {

StockDbTest::StockDbTest()
    : db_(foundation::Db()),
      usaUdKg_(foundation::gUsaStkStockUdKg),
      m3_(foundation::gUnidadMedidaM3),
      bl_(foundation::gUnidadMedidaBL),
      kg_(foundation::gUnidadMedidaKG) {
    testsupport::OpenSchemaDatabase(db_.gCnn, &statements_);
    statements_.clear();
}

StockDbTest::~StockDbTest() {
    testsupport::CloseSchemaDatabase(db_.gCnn);
    foundation::gUsaStkStockUdKg = usaUdKg_;
    foundation::gUnidadMedidaM3 = m3_;
    foundation::gUnidadMedidaBL = bl_;
    foundation::gUnidadMedidaKG = kg_;
}

void StockDbTest::Run(const std::string& sql) {
    db_.gCnn.Execute(sql);
    statements_.clear();
}

std::vector<std::string> StockDbTest::TakeStatements() { return std::exchange(statements_, {}); }

int StockDbTest::CountStatements(const std::string& text) {
    const std::vector<std::string> all = TakeStatements();
    return static_cast<int>(
        std::count_if(all.begin(), all.end(), [&](const std::string& s) { return s.find(text) != std::string::npos; }));
}

}  // namespace numbering::testing
