#include "posteo_fixture.h"

#include "schema_db.h"

#include <sqlite3.h>

#include "entrygrids/columnas.h"
#include "foundation/configuracion.h"
#include "foundation/session.h"
#include "vb/datetime.h"
#include "vb/text.h"
#include "vb/variant.h"

namespace posting::testing {

namespace {

// Splits at the commas outside apostrophes and parentheses.
std::vector<std::string> Partes(const std::string& lista) {
    std::vector<std::string> partes;
    std::string actual;
    bool comillas = false;
    int nivel = 0;
    for (char c : lista) {
        if (c == '\'') comillas = !comillas;
        if (!comillas && c == '(') ++nivel;
        if (!comillas && c == ')') --nivel;
        if (!comillas && nivel == 0 && c == ',') {
            partes.push_back(actual);
            actual.clear();
            continue;
        }
        actual += c;
    }
    partes.push_back(actual);
    return partes;
}

}  // namespace

std::vector<std::pair<std::string, std::string>> ParesInsert(const std::string& sentencia) {
    const std::size_t abre = sentencia.find('(');
    const std::size_t values = sentencia.find(") VALUES (");
    if (abre == std::string::npos || values == std::string::npos || sentencia.back() != ')') return {};
    const std::vector<std::string> columnas = Partes(sentencia.substr(abre + 1, values - abre - 1));
    const std::size_t desde = values + 10;
    const std::vector<std::string> valores = Partes(sentencia.substr(desde, sentencia.size() - desde - 1));
    std::vector<std::pair<std::string, std::string>> pares;
    for (std::size_t i = 0; i < columnas.size() && i < valores.size(); ++i) pares.emplace_back(columnas[i], valores[i]);
    return pares;
}

std::map<std::string, std::string> MapaInsert(const std::string& sentencia) {
    std::map<std::string, std::string> mapa;
    for (auto& [columna, valor] : ParesInsert(sentencia)) mapa[columna] = valor;
    return mapa;
}

std::vector<std::string> Sentencias(const std::string& lote) {
    std::vector<std::string> sentencias;
    std::string actual;
    for (char c : lote + "\n") {
        if (c == '\r' || c == '\n') {
            if (!vb::Trim(actual).empty()) sentencias.push_back(vb::Trim(actual));
            actual.clear();
        } else {
            actual += c;
        }
    }
    return sentencias;
}

PosteoTest::PosteoTest()
    : db_(foundation::Db()),
      caja_(foundation::gCaja),
      periodo_(foundation::gPeriodo),
      unegocio_(foundation::gUNegocio),
      usuario_(foundation::gUsuarioLogeado) {
    testsupport::OpenSchemaDatabase(db_.gCnn);
    vb::SetClock([] { return vb::Date::FromParts(2024, 3, 5, 9, 7, 31); });
    foundation::gCaja = "1";
    foundation::gPeriodo = 2024;
    foundation::gUNegocio = "   1";
    foundation::gUsuarioLogeado = "ana";
    Carga();
}

// Document types, articles, motives and sub-journals.
void PosteoTest::Carga() {
    // Document types: SISTEMA and the stock sign (ES); PE and CMV with a range of letter X.
    Ejecuta(
        "INSERT INTO V_TA_CPTE (CODIGO, TALONARIO, SISTEMA, ES, UNEGOCIO, Letras, X_ULTIMO_NRO, X_NRO_DESDE, "
        "X_NRO_HASTA, X_SUC_DEFAULT) VALUES "
        "('RM', 1, 'STOCK', 'S', NULL, NULL, NULL, NULL, NULL, NULL),"
        "('IR', 1, 'STOCK', 'E', NULL, NULL, NULL, NULL, NULL, NULL),"
        "('TR', 1, 'STOCK', NULL, NULL, NULL, NULL, NULL, NULL, NULL),"
        "('OP', 1, 'STOCK', NULL, NULL, NULL, NULL, NULL, NULL, NULL),"
        "('NP', 1, 'VENTAS', NULL, NULL, NULL, NULL, NULL, NULL, NULL),"
        "('FC', 1, 'VENTAS', 'S', NULL, NULL, NULL, NULL, NULL, NULL),"
        "('NC', 1, 'VENTAS', 'E', NULL, NULL, NULL, NULL, NULL, NULL),"
        "('FCC', 1, 'COMPRAS', 'E', NULL, NULL, NULL, NULL, NULL, NULL),"
        "('RMC', 1, 'COMPRAS', 'E', NULL, NULL, NULL, NULL, NULL, NULL),"
        "('AJX', 1, 'STOCK', 'S', NULL, NULL, NULL, NULL, NULL, NULL),"
        "('AJ0', 1, 'STOCK', NULL, NULL, NULL, NULL, NULL, NULL, NULL),"
        "('PE', 1, 'STOCK', NULL, '   1', 'X', 1, 1, 99999999, 1),"
        "('CMV', 1, 'Contable', NULL, '   1', 'X', 1, 1, 99999999, 1)");
    Ejecuta(
        "INSERT INTO V_MA_ARTICULOS (IDARTICULO, DESCRIPCION, IDUNIDAD, CUENTAPROVEEDOR, cuentacontableC, Costo) "
        "VALUES ('A1', 'Tornillo', 'UN', 'PROV1', '1.1.01', 10), ('A2', 'Tuerca', 'UN', NULL, '1.1.02', 5),"
        "('A3', 'Arandela', 'UN', 'PROV3', NULL, 1), ('I1', 'Insumo uno', 'KG', 'PROVI', '1.1.09', 2),"
        "('I2', 'Insumo d''os', 'KG', NULL, '1.1.09', 3)");
    Ejecuta(
        "INSERT INTO V_TA_MOTIVOSTOCK (IDMOTIVOSTOCK, Descripcion, CUENTACONTABLE) VALUES "
        "('M01', 'Ajuste', '5.1.01'), ('REM', 'Remito', '5.1.02'), ('SINC', 'Sin cuenta', NULL)");
    Ejecuta("INSERT INTO MA_SUBDIARIOS (CODIGO, DESCRIPCION) VALUES ('ST', 'Stock')");
    Ejecuta(
        "INSERT INTO MA_SUBDIARIOSCOMPROBANTES (TC, Subdiario) VALUES ('RM', 'ST'), ('IR', 'ST'), ('TR', 'ST'), "
        "('AJX', 'ST'), ('AJ0', 'ST'), ('CMV', 'ST')");
}

void PosteoTest::EnArchivo(const std::filesystem::path& archivo) {
    sqlite3* nueva = nullptr;
    sqlite3_open(archivo.string().c_str(), &nueva);
    sqlite3_exec(nueva, testsupport::ReadFile(testsupport::SourceDir() / "db" / "schema.sql").c_str(), nullptr,
                 nullptr, nullptr);
    sqlite3_close(nueva);
    db_.gCnn.Close();
    db_.gCnn.Open("Provider=SQLOLEDB;Data Source=" + archivo.string());
    Carga();
}

PosteoTest::~PosteoTest() {
    testsupport::CloseSchemaDatabase(db_.gCnn);
    vb::SetClock(nullptr);
    foundation::gCaja = caja_;
    foundation::gPeriodo = periodo_;
    foundation::gUNegocio = unegocio_;
    foundation::gUsuarioLogeado = usuario_;
}

void PosteoTest::Postea(ui::FlexGrid& g, Llamada& c, documents::ClsCmnCptes* cmn) {
    documents::ClsCmnCptes propio;
    documents::ClsCmnCptes& objeto = cmn != nullptr ? *cmn : propio;
    objeto.ActualizaStock(g, c.tc, c.numero, c.complemento, c.fecha, &c.deposito, &c.destino, &c.motivo, &c.tcOrigen,
                          &c.cpteOrigen, c.transferencia, c.cuenta, c.lote, &c.sql, &c.hayError, c.tecnico,
                          c.loteFijo, c.aduana, c.loteOrigen, c.signoRemota, false, c.vendedor);
}

void PosteoTest::Ejecuta(const std::string& sql) { db_.gCnn.Execute(sql); }

void PosteoTest::Configura(const std::string& clave, const std::string& valor) {
    Ejecuta("DELETE FROM TA_CONFIGURACION WHERE CLAVE = '" + clave + "'");
    Ejecuta("INSERT INTO TA_CONFIGURACION (CLAVE, VALOR) VALUES ('" + clave + "', '" + valor + "')");
}

std::vector<Fila> PosteoTest::Filas(const std::string& sql) {
    const adodb::ResultSet resultado = db_.gCnn.Query(sql);
    std::vector<Fila> filas;
    for (const auto& registro : resultado.rows) {
        Fila fila;
        for (std::size_t i = 0; i < registro.size(); ++i) {
            fila[vb::UCase(resultado.fields[i].Name)] = registro[i].IsNull() ? "<null>" : vb::TextOf(registro[i]);
        }
        filas.push_back(fila);
    }
    return filas;
}

std::string PosteoTest::Valor(const std::string& sql) {
    const std::vector<Fila> filas = Filas(sql);
    if (filas.empty()) return "<none>";
    return filas.front().begin()->second;
}

std::vector<Fila> PosteoTest::Movimientos(const std::string& tc) {
    return Filas("SELECT * FROM V_MV_STOCK WHERE TC = '" + tc + "' ORDER BY ID");
}

std::unique_ptr<ui::FlexGrid> PosteoTest::Grilla(int lineas, const char* nombre) {
    auto g = std::make_unique<ui::FlexGrid>();
    g->setObjectName(nombre);
    g->SetCols(entrygrids::kColsArticulos);
    g->SetRows(lineas + 2);
    g->SetFixedRows(1);
    g->SetTextMatrix(0, 0, "Código");
    return g;
}

void PosteoTest::Linea(ui::FlexGrid& g, int fila, const std::string& articulo, const std::string& cantidad,
                       const std::vector<std::pair<int, std::string>>& celdas) {
    using namespace entrygrids;
    g.SetTextMatrix(fila, kColCodigo, articulo);
    g.SetTextMatrix(fila, kColDescripcion, "Desc " + articulo);
    g.SetTextMatrix(fila, kColCantidad, cantidad);
    g.SetTextMatrix(fila, kColUnidad, "UN");
    for (int columna : {kColAuxPideSerie, kColAuxesperecedero, kColAuxPideTalle, kColAuxInsumosPorPorcentaje,
                        kColAuxPesable}) {
        g.SetTextMatrix(fila, columna, "0");
    }
    for (const auto& [columna, texto] : celdas) g.SetTextMatrix(fila, columna, texto);
}

}  // namespace posting::testing
