#include "grids_fixture.h"

#include "schema_db.h"

#include <QFontMetrics>

#include <utility>

#include "foundation/comunes.h"
#include "foundation/configuracion.h"
#include "foundation/sql_literal.h"

namespace entrygrids::testing {

namespace {

vb::Regional PuntoDecimal() {
    vb::Regional r;
    r.decimalSeparator = ".";
    r.thousandsSeparator = ",";
    return r;
}

}  // namespace

// The session values the grids read, restored when the test ends.
struct GridsTest::Sesion {
    bool maderera = foundation::gMADERERA;
    std::string tiras = foundation::gMAD_TIRAS;
    std::string decimales = foundation::gCantidadDecimales;
    std::string m3 = foundation::gUnidadMedidaM3;
    std::string bl = foundation::gUnidadMedidaBL;
    std::string kg = foundation::gUnidadMedidaKG;
    std::vector<foundation::TotalGrupo> grupos = foundation::TotalesPorGrupo;

    ~Sesion() {
        foundation::gMADERERA = maderera;
        foundation::gMAD_TIRAS = tiras;
        foundation::gCantidadDecimales = decimales;
        foundation::gUnidadMedidaM3 = m3;
        foundation::gUnidadMedidaBL = bl;
        foundation::gUnidadMedidaKG = kg;
        foundation::TotalesPorGrupo = grupos;
    }
};

GridsTest::GridsTest() : regional_(PuntoDecimal()), db_(foundation::Db()), sesion_(std::make_unique<Sesion>()) {
    foundation::gMADERERA = false;
    foundation::gMAD_TIRAS.clear();
    foundation::gCantidadDecimales = "2";
    foundation::gUnidadMedidaM3.clear();
    foundation::gUnidadMedidaBL.clear();
    foundation::gUnidadMedidaKG.clear();
    testsupport::OpenSchemaDatabase(db_.gCnn, &sentencias_);
}

GridsTest::~GridsTest() {
    cmn_.reset();
    testsupport::CloseSchemaDatabase(db_.gCnn);
}

void GridsTest::Sql(const std::string& sql) { db_.gCnn.Execute(sql); }

void GridsTest::Cfg(const std::string& clave, const std::string& valor) {
    Sql("INSERT OR REPLACE INTO TA_CONFIGURACION (CLAVE, VALOR) VALUES (" + foundation::SqlText(clave) + ", " +
        foundation::SqlText(valor) + ")");
}

void GridsTest::Tipo(const std::string& codigo, const std::string& sistema) {
    Sql("INSERT INTO V_TA_CPTE (CODIGO, SISTEMA) VALUES (" + foundation::SqlText(codigo) + ", " +
        foundation::SqlText(sistema) + ")");
}

std::vector<std::string> GridsTest::Sentencias() { return std::exchange(sentencias_, {}); }

bool GridsTest::AlgunaSentenciaContiene(const std::string& texto) const {
    for (const std::string& s : sentencias_) {
        if (s.find(texto) != std::string::npos) return true;
    }
    return false;
}

long GridsTest::Ancho(const std::string& texto) const {
    return static_cast<long>(host_.fontMetrics().horizontalAdvance(QString::fromStdString(texto))) *
           ui::kTwipsPerPixel;
}

long GridsTest::W(int n) const { return n == 0 ? 0 : Ancho(std::string(static_cast<std::size_t>(n), 'X')); }

documents::ClsCmnCptes& GridsTest::Cmn() {
    if (!cmn_) cmn_ = std::make_unique<documents::ClsCmnCptes>();
    return *cmn_;
}

void GridsTest::Llena(ui::FlexGrid& g, const std::vector<std::string>& codigos, int cols) {
    g.SetCols(cols);
    g.SetRows(static_cast<int>(codigos.size()) + 1);
    for (std::size_t i = 0; i < codigos.size(); ++i) g.SetTextMatrix(static_cast<int>(i) + 1, 0, codigos[i]);
}

}  // namespace entrygrids::testing
