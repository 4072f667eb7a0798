// Stations posting at once, each in a process of its own on one database
// file, near the end of the "PE" numbers: delivery notes, receipts and
// transfers, at once or as batches of several documents built through two
// objects and run after a pause, some posted twice.
// Whatever the interleaving, every document kept has its stock and an
// entry booking exactly that stock under an entry number of its own, every
// "PE" number went to one kept document, inside the range and recorded
// there, a refused posting (or batch) left nothing and was told once,
// naming its document, and no stored code holds a list separator.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "db/adodb.h"
#include "helpers/helpers.h"
#include "numbering/ast.h"
#include "support.h"
#include "vb/currency.h"
#include "vb/format.h"
#include "vb/text.h"

namespace posting::testing {
namespace {

constexpr int kHastaPE = 40;

// What one station printed: its postings and the boxes each showed.
struct Posteo {
    std::string tc;
    std::string clave;
    bool guardado = false;
    std::string importe;
    std::vector<std::string> avisos;
};

std::string Orden(const std::vector<std::string>& partes) {
    std::string orden;
    for (const std::string& parte : partes) orden += "'" + parte + "' ";
    return orden;
}

vb::Currency Cantidad(const vb::Variant& valor) {
    return helpers::gFunciones().TextoAMoneda(valor.IsNull() ? std::string("0") : vb::TextOf(valor));
}

class EstacionesPosteoTest : public ::testing::Test {
protected:
    // A new database file; "PE" numbered 1 to `hastaPE` (0: without a range).
    std::string Prepara(const std::string& nombre, int hastaPE) {
        const std::string archivo = dir_.File(nombre);
        EXPECT_EQ(std::system(Orden({ESTACION_POSTEADORA, "prepara", archivo,
                                     (testsupport::SourceDir() / "db" / "schema.sql").string(), "20",
                                     std::to_string(hastaPE)})
                                  .c_str()),
                  0);
        return archivo;
    }

    // `hastaPE` 0: "PE" without a range.
    std::vector<Posteo> Estaciones(int cuantas, int documentos, int hastaPE = kHastaPE) {
        const std::string archivo = Prepara("posteo.db", hastaPE);
        std::vector<FILE*> tubos;
        for (int i = 1; i <= cuantas; ++i) {
            const std::string orden = Orden({ESTACION_POSTEADORA, "postea", archivo, std::to_string(i),
                                             std::to_string(1000 + i), std::to_string(documentos)});
            tubos.push_back(popen(orden.c_str(), "r"));
        }
        std::vector<Posteo> posteos;
        for (FILE* tubo : tubos) {
            EXPECT_NE(tubo, nullptr);
            if (tubo == nullptr) continue;
            std::vector<std::string> avisos;
            char linea[2048];
            while (std::fgets(linea, sizeof linea, tubo) != nullptr) {
                std::string texto(linea);
                if (!texto.empty() && texto.back() == '\n') texto.pop_back();
                // The numbering's notice of a type without ranges goes with every discharge.
                if (texto.starts_with("M ") && texto.substr(2) != numbering::kSinTalonarios) {
                    avisos.push_back(texto.substr(2));
                }
                if (!texto.starts_with("D ")) continue;
                std::istringstream partes(texto.substr(2));
                Posteo p;
                std::string resultado;
                partes >> p.tc >> p.clave >> resultado >> p.importe;
                p.guardado = resultado == "OK";
                p.avisos = std::move(avisos);
                posteos.push_back(std::move(p));
                avisos.clear();
            }
            EXPECT_EQ(pclose(tubo), 0);
        }
        cn_.Open("Provider=SQLOLEDB;Data Source=" + archivo);
        return posteos;
    }

public:
    std::vector<std::vector<vb::Variant>> Filas(const std::string& sql) { return cn_.Query(sql).rows; }

protected:
    testsupport::TempDir dir_;
    testsupport::ScopedEnv home_{"TARVOLIN_HOME", dir_.Path().string()};
    adodb::Connection cn_;
};

// Every document kept has its stock and an entry booking exactly it under a
// number of its own; every "PE" number went to one kept document (with a
// range: inside it, recorded there); every refusal was told naming its
// document and left nothing.
void Comprueba(EstacionesPosteoTest& t, const std::vector<Posteo>& posteos, bool conRango);

TEST_F(EstacionesPosteoTest, EveryDocumentKeptIsPostedWholeOnceAndEveryRefusalLeavesNothing) {
    const std::vector<Posteo> posteos = Estaciones(3, 10);
    ASSERT_EQ(posteos.size(), 30u);
    Comprueba(*this, posteos, true);
}

// The same with "PE" numbered without a range, each number the next after
// the highest stored, taken by several stations at once.
TEST_F(EstacionesPosteoTest, WithoutARangeEveryDischargeNumberGoesToOneKeptDocument) {
    const std::vector<Posteo> posteos = Estaciones(3, 10, 0);
    ASSERT_EQ(posteos.size(), 30u);
    Comprueba(*this, posteos, false);
}

void Comprueba(EstacionesPosteoTest& t, const std::vector<Posteo>& posteos, bool conRango) {
    const auto Filas = [&](const std::string& sql) { return t.Filas(sql); };

    std::map<std::string, const Posteo*> guardados;  // "TC key"
    for (const Posteo& p : posteos) {
        const std::string documento = p.tc + " " + p.clave;
        SCOPED_TRACE(documento);
        if (p.guardado) {
            EXPECT_TRUE(p.avisos.empty()) << p.avisos.front();
            EXPECT_TRUE(guardados.emplace(documento, &p).second) << "kept twice";
            continue;
        }
        ASSERT_EQ(p.avisos.size(), 1u);
        const std::string nombre = p.tc + " " + p.clave.substr(0, 4) + "-" + p.clave.substr(4, 8) + "-X";
        EXPECT_TRUE(p.avisos[0].starts_with("No se grab")) << p.avisos[0];
        EXPECT_NE(p.avisos[0].find(nombre), std::string::npos) << p.avisos[0];
    }
    EXPECT_FALSE(guardados.empty());

    // The stock of each document kept, of no other; no code holds a separator.
    std::set<std::string> conStock;
    for (const auto& fila : Filas("SELECT TC, IDCOMPROBANTE, NROLOTE, NROSERIE FROM V_MV_STOCK WHERE TC <> 'PE'")) {
        conStock.insert(vb::Trim(vb::TextOf(fila[0])) + " " + vb::TextOf(fila[1]));
        for (const vb::Variant& codigo : {fila[2], fila[3]}) {
            const std::string texto = codigo.IsNull() ? std::string() : vb::TextOf(codigo);
            EXPECT_EQ(texto.find('|'), std::string::npos) << texto;
            EXPECT_EQ(texto.find("\xC3\xBF"), std::string::npos) << texto;
        }
    }
    std::set<std::string> esperados;
    for (const auto& [documento, p] : guardados) esperados.insert(documento);
    EXPECT_EQ(conStock, esperados);
    EXPECT_TRUE(Filas("SELECT IDCOMPROBANTE FROM V_MV_STOCK WHERE TC = 'TR' GROUP BY IDCOMPROBANTE, IDARTICULO, "
                      "NROLOTE HAVING SUM(CANTIDAD) <> 0")
                    .empty());

    // Each PE number: one kept document's, inside the range, recorded there.
    const auto rango = Filas("SELECT X_ULTIMO_NRO FROM V_TA_CPTE WHERE CODIGO = 'PE'");
    ASSERT_EQ(rango.size(), conRango ? 1u : 0u);
    std::map<std::string, std::set<std::string>> origenes;
    for (const auto& fila : Filas("SELECT IDCOMPROBANTE, TC_ORIGEN, IDCOMPROBANTE_ORIGEN FROM V_MV_STOCK WHERE TC = 'PE'")) {
        origenes[vb::TextOf(fila[0])].insert(vb::Trim(vb::TextOf(fila[1])) + " " + vb::TextOf(fila[2]));
    }
    for (const auto& [pe, documentos] : origenes) {
        SCOPED_TRACE(pe);
        EXPECT_EQ(documentos.size(), 1u);
        EXPECT_TRUE(guardados.contains(*documentos.begin()));
        if (!conRango) continue;
        const int n = std::stoi(pe.substr(4, 8));
        EXPECT_GE(n, 1);
        EXPECT_LE(n, kHastaPE);
        EXPECT_GT(Cantidad(rango[0][0]), vb::Currency::FromTicks(n * 10000LL));
    }

    // Each entry number books one document; each document kept, exactly its stock on each side.
    std::map<std::string, std::set<std::string>> asientos;
    for (const auto& fila : Filas("SELECT PERIODO, MES_OPERATIVO, TIPO_REG, [NUMERO ASIENTO], TC, SUCURSAL, NUMERO, "
                                  "LETRA FROM MV_ASIENTOS")) {
        std::string numero;
        for (std::size_t i = 0; i < 4; ++i) numero += vb::TextOf(fila[i]) + " ";
        asientos[numero].insert(vb::Trim(vb::TextOf(fila[4])) + " " + vb::TextOf(fila[5]) + vb::TextOf(fila[6]) +
                                vb::TextOf(fila[7]));
    }
    std::set<std::string> asentados;
    for (const auto& [numero, documentos] : asientos) {
        EXPECT_EQ(documentos.size(), 1u) << numero;
        asentados.insert(documentos.begin(), documentos.end());
    }
    EXPECT_EQ(asentados, esperados);
    for (const auto& [documento, p] : guardados) {
        SCOPED_TRACE(documento);
        for (const char* lado : {"D", "H"}) {
            EXPECT_EQ(Cantidad(Filas("SELECT SUM(IMPORTE) FROM MV_ASIENTOS WHERE TC = '" + p->tc +
                                     "' AND SUCURSAL || NUMERO || LETRA = '" + p->clave + "' AND [DEBE-HABER] = '" +
                                     lado + "'")[0][0]),
                      helpers::gFunciones().TextoAMoneda(p->importe));
        }
    }
}

// What a station that built one batch printed: the numbers handed out to
// it, whether its batch ran, and the boxes it showed.
struct Lote {
    std::vector<std::string> numeros;
    bool corrio = false;
    std::vector<std::string> avisos;
};

// Reads what a station printed, to its end.
Lote Lee(FILE* tubo) {
    Lote lote;
    char linea[1 << 16];
    while (std::fgets(linea, sizeof linea, tubo) != nullptr) {
        std::string texto(linea);
        if (!texto.empty() && texto.back() == '\n') texto.pop_back();
        if (texto.starts_with("N ")) lote.numeros.push_back(texto.substr(2));
        if (texto.starts_with("M ")) lote.avisos.push_back(texto.substr(2));
        if (texto.starts_with("R ")) lote.corrio = texto == "R OK";
    }
    return lote;
}

// Two stations each build a batch with numbers of a type without ranges
// (both handed the same numbers: neither knows of the other's), then run
// them one after the other, in either order. The batch run first is stored;
// the other is refused whole with one box in Spanish that names each of its
// documents and what the database refused; no number is on two documents.
TEST_F(EstacionesPosteoTest, BatchesOfTwoStationsNeverStoreOneNumberWithoutARangeTwice) {
    constexpr int kDocumentos = 5;
    for (const std::string tipo : {"CMV", "PE"}) {
        for (const int primera : {1, 2}) {
            SCOPED_TRACE(tipo + ", station " + std::to_string(primera) + " runs first");
            const std::string nombre = tipo + std::to_string(primera);
            const std::string archivo = Prepara(nombre + ".db", 0);
            const std::filesystem::path carpeta = dir_.Path() / nombre;
            std::filesystem::create_directory(carpeta);
            std::map<int, FILE*> tubos;
            for (int estacion : {1, 2}) {
                tubos[estacion] = popen(Orden({ESTACION_POSTEADORA, "lote", archivo, std::to_string(estacion), tipo,
                                               std::to_string(kDocumentos), carpeta.string()})
                                            .c_str(),
                                        "r");
                ASSERT_NE(tubos[estacion], nullptr);
            }
            for (int espera = 0; espera < 12000; ++espera) {
                if (std::filesystem::exists(carpeta / "listo-1") && std::filesystem::exists(carpeta / "listo-2")) break;
                std::this_thread::sleep_for(std::chrono::milliseconds(10));
            }
            std::map<int, Lote> lotes;
            for (int estacion : {primera, 3 - primera}) {
                std::ofstream(carpeta / ("corre-" + std::to_string(estacion))).put('1');
                lotes[estacion] = Lee(tubos[estacion]);
                EXPECT_EQ(pclose(tubos[estacion]), 0);
            }
            const Lote& ganador = lotes[primera];
            const Lote& perdedor = lotes[3 - primera];
            ASSERT_EQ(ganador.numeros.size(), static_cast<std::size_t>(kDocumentos));
            ASSERT_EQ(perdedor.numeros.size(), static_cast<std::size_t>(kDocumentos));
            EXPECT_EQ(ganador.numeros, perdedor.numeros);  // the collision is real
            EXPECT_TRUE(ganador.corrio);
            EXPECT_TRUE(ganador.avisos.empty());
            EXPECT_FALSE(perdedor.corrio);
            ASSERT_EQ(perdedor.avisos.size(), 1u);
            const std::string& aviso = perdedor.avisos[0];
            EXPECT_TRUE(aviso.starts_with("No se grabaron los comprobantes ")) << aviso;
            EXPECT_NE(aviso.find("con el aviso \"Otra estación tomó el número "), std::string::npos) << aviso;
            EXPECT_TRUE(aviso.ends_with("No se guardó nada de ellos; vuelva a grabarlos.")) << aviso;
            for (int i = 0; i < kDocumentos; ++i) {
                const std::string documento = std::string(tipo == "CMV" ? "costo de ventas de FC" : "RM") + " 0001-" +
                                              vb::Format((3 - primera) * 10000 + i, "00000000") + "-X";
                EXPECT_NE(aviso.find(documento), std::string::npos) << documento;
            }

            // The invariant: each number of the type on one document, of the station that ran first.
            cn_.Open("Provider=SQLOLEDB;Data Source=" + archivo);
            const std::string sql = tipo == "CMV"
                                        ? "SELECT SUCURSAL || NUMERO || LETRA, CPTE_ORIGEN FROM MV_ASIENTOS WHERE TC = 'CMV'"
                                        : "SELECT IDCOMPROBANTE, IDCOMPROBANTE_ORIGEN FROM V_MV_STOCK WHERE TC = 'PE'";
            std::map<std::string, std::set<std::string>> documentos;
            for (const auto& fila : Filas(sql)) documentos[vb::TextOf(fila[0])].insert(vb::TextOf(fila[1]));
            EXPECT_EQ(documentos.size(), static_cast<std::size_t>(kDocumentos));
            for (const auto& [numero, origenes] : documentos) {
                EXPECT_EQ(origenes.size(), 1u) << numero;
                EXPECT_EQ(std::stoi(origenes.begin()->substr(4, 8)) / 10000, primera) << numero;
            }
            cn_.Close();
        }
    }
}

}  // namespace
}  // namespace posting::testing
