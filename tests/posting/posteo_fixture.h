// The stock posting's world: the program's database on a fresh in-memory
// SQLite database loaded from db/schema.sql with a few document types,
// articles, motives and a "PE" numbering range; the session (cash desk,
// period, business unit, user) and the clock fixed; a scripted operator;
// articles grids of 92 columns.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "documents/cls_cmn_cptes.h"
#include "foundation/db_dll.h"
#include "support.h"
#include "ui/flexgrid.h"
#include "ui/msgbox.h"

namespace posting::testing {

// Character 255, which joins the lot and the serial of a pick token.
inline const std::string kFF = "\xC3\xBF";

// A row read back: column name (upper case) to its value as text; Null as "<null>".
using Fila = std::map<std::string, std::string>;

// The column list and the literals of "INSERT INTO T(a,b) VALUES (x,y)",
// split at the commas outside apostrophes and parentheses.
std::vector<std::pair<std::string, std::string>> ParesInsert(const std::string& sentencia);
// The same as a map from the column name (as written) to its literal.
std::map<std::string, std::string> MapaInsert(const std::string& sentencia);
// The statements of a batch: split at CR and LF, blank pieces dropped.
std::vector<std::string> Sentencias(const std::string& lote);

// The arguments of one ActualizaStock call; the by-reference ones come back rewritten.
struct Llamada {
    std::string tc = "RM";
    std::string numero = "000100000012X";
    std::string complemento = "0";
    std::string fecha = "05/03/2024";
    std::string deposito = "01";
    std::string destino{};
    std::string motivo = "M01";
    std::string tcOrigen{};
    std::string cpteOrigen{};
    bool transferencia = false;
    std::string cuenta = "PorDefault";
    bool lote = false;  // batch mode
    std::string sql{};
    bool hayError = false;
    std::string tecnico = "Null";
    std::string loteFijo{};
    std::string aduana{};
    std::string loteOrigen{};
    int signoRemota = 0;
    std::string vendedor{};
};

class PosteoTest : public ::testing::Test {
public:
    void Ejecuta(const std::string& sql);
    void Configura(const std::string& clave, const std::string& valor);

protected:
    PosteoTest();
    ~PosteoTest() override;

    std::vector<Fila> Filas(const std::string& sql);
    std::string Valor(const std::string& sql);
    // The stock rows of a document in the order written.
    std::vector<Fila> Movimientos(const std::string& tc = "RM");

    // An articles grid: the title row, `lineas` data rows and the empty entry row.
    std::unique_ptr<ui::FlexGrid> Grilla(int lineas, const char* nombre = "GrillaArticulos");
    // Fills a line: article, description "Desc <article>", quantity, unit "UN", and "0" in the
    // flag columns 19, 46, 61, 68 and 76 (a blank flag reads as set); then the cells given.
    void Linea(ui::FlexGrid& g, int fila, const std::string& articulo, const std::string& cantidad,
               const std::vector<std::pair<int, std::string>>& celdas = {});

    // Moves the world to a new database file (its side files beside it), for
    // a second station to open.
    void EnArchivo(const std::filesystem::path& archivo);

    // Posts the grid with a fresh ClsCmnCptes (or the one given).
    void Postea(ui::FlexGrid& g, Llamada& c, documents::ClsCmnCptes* cmn = nullptr);

    foundation::DB_Dll& db_;
    testsupport::TempDir home_;
    testsupport::ScopedEnv homeEnv_{"TARVOLIN_HOME", home_.Path().string()};
    ui::ScriptedOperator operador_;

private:
    void Carga();

    std::string caja_;
    std::int16_t periodo_;
    std::string unegocio_;
    std::string usuario_;
};

}  // namespace posting::testing
