#include "lotes_fixture.h"

#include "schema_db.h"

#include "foundation/sql_literal.h"
#include "vb/conv.h"

namespace lots::testing {

namespace {

std::string Literal(const Opcional& valor) { return valor ? foundation::SqlText(*valor) : "NULL"; }

}  // namespace

LotesTest::LotesTest() : db_(foundation::Db()) {
    testsupport::OpenSchemaDatabase(db_.gCnn);
}

LotesTest::~LotesTest() {
    cmn_.reset();
    testsupport::CloseSchemaDatabase(db_.gCnn);
}

void LotesTest::Sql(const std::string& sql) const { db_.gCnn.Execute(sql); }

void LotesTest::Configura(const std::string& clave, const std::string& valor) const {
    Sql("INSERT INTO TA_CONFIGURACION (CLAVE, VALOR) VALUES (" + foundation::SqlText(clave) + ", " +
        foundation::SqlText(valor) + ")");
}

void LotesTest::Articulo(const std::string& codigo, const std::string& unidad, bool usaSerie, bool usaLote) const {
    Sql("INSERT INTO V_MA_ARTICULOS (IDARTICULO, DESCRIPCION, IDUNIDAD, USASERIE, USALOTE) VALUES (" +
        foundation::SqlText(codigo) + ", 'Art. ' || " + foundation::SqlText(codigo) + ", " +
        foundation::SqlText(unidad) + ", " + (usaSerie ? "1" : "0") + ", " + (usaLote ? "1" : "0") + ")");
}

void LotesTest::Stock(const std::string& articulo, const std::string& deposito, const Opcional& lote,
                      const Opcional& serie, const Opcional& posicion, double cantidad) const {
    Sql("INSERT INTO STK_SERIES_Y_LOTES (IDARTICULO, IDDEPOSITO, NROLOTE, NROSERIE, IDPOSICION, CANTIDAD) VALUES (" +
        foundation::SqlText(articulo) + ", " + foundation::SqlText(deposito) + ", " + Literal(lote) + ", " +
        Literal(serie) + ", " + Literal(posicion) + ", " + foundation::SqlNumber(cantidad) + ")");
}

void LotesTest::Posicion(const std::string& deposito, const std::string& posicion, int orden) const {
    Sql("INSERT INTO ma_posiciones (iddeposito, idposicion, ordeningreso) VALUES (" + foundation::SqlText(deposito) +
        ", " + foundation::SqlText(posicion) + ", " + std::to_string(orden) + ")");
}

void LotesTest::Saldo(const std::string& deposito, const std::string& articulo, const Opcional& posicion,
                      const Opcional& lote, const std::string& unidadBase, const Opcional& saldo) const {
    Sql("INSERT INTO AC_SALDOSLAYOUT (iddeposito, idarticulo, idposicion, nrolote, idunidadbase, saldo) VALUES (" +
        foundation::SqlText(deposito) + ", " + foundation::SqlText(articulo) + ", " + Literal(posicion) + ", " +
        Literal(lote) + ", " + foundation::SqlText(unidadBase) + ", " + (saldo ? *saldo : "NULL") + ")");
}

documents::ClsCmnCptes& LotesTest::Cmn() {
    if (!cmn_) cmn_ = std::make_unique<documents::ClsCmnCptes>();
    return *cmn_;
}

std::vector<ui::RecordedBox> LotesTest::Cajas(const std::string& tipo) const {
    std::vector<ui::RecordedBox> cajas;
    for (const ui::RecordedBox& caja : operator_.Shown()) {
        if (caja.kind == tipo) cajas.push_back(caja);
    }
    return cajas;
}

std::unique_ptr<ui::FlexGrid> LotesTest::GrillaArticulos(int filas) {
    auto grilla = std::make_unique<ui::FlexGrid>();
    grilla->SetCols(92);
    grilla->SetRows(filas + 1);
    return grilla;
}

}  // namespace lots::testing
