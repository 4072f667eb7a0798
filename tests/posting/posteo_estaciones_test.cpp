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

#include <cstdio>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "db/adodb.h"
#include "helpers/helpers.h"
#include "support.h"
#include "vb/currency.h"
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
    std::vector<Posteo> Estaciones(int cuantas, int documentos) {
        const std::string archivo = dir_.File("posteo.db");
        EXPECT_EQ(std::system(Orden({ESTACION_POSTEADORA, "prepara", archivo,
                                     (testsupport::SourceDir() / "db" / "schema.sql").string(), "20",
                                     std::to_string(kHastaPE)})
                                  .c_str()),
                  0);
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
                if (texto.starts_with("M ")) avisos.push_back(texto.substr(2));
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

    std::vector<std::vector<vb::Variant>> Filas(const std::string& sql) { return cn_.Query(sql).rows; }

    testsupport::TempDir dir_;
    testsupport::ScopedEnv home_{"TARVOLIN_HOME", dir_.Path().string()};
    adodb::Connection cn_;
};

TEST_F(EstacionesPosteoTest, EveryDocumentKeptIsPostedWholeOnceAndEveryRefusalLeavesNothing) {
    const std::vector<Posteo> posteos = Estaciones(3, 10);
    ASSERT_EQ(posteos.size(), 30u);

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
    const vb::Currency contador = Cantidad(Filas("SELECT X_ULTIMO_NRO FROM V_TA_CPTE WHERE CODIGO = 'PE'")[0][0]);
    std::map<std::string, std::set<std::string>> origenes;
    for (const auto& fila : Filas("SELECT IDCOMPROBANTE, TC_ORIGEN, IDCOMPROBANTE_ORIGEN FROM V_MV_STOCK WHERE TC = 'PE'")) {
        origenes[vb::TextOf(fila[0])].insert(vb::Trim(vb::TextOf(fila[1])) + " " + vb::TextOf(fila[2]));
    }
    for (const auto& [pe, documentos] : origenes) {
        SCOPED_TRACE(pe);
        EXPECT_EQ(documentos.size(), 1u);
        EXPECT_TRUE(guardados.contains(*documentos.begin()));
        const int n = std::stoi(pe.substr(4, 8));
        EXPECT_GE(n, 1);
        EXPECT_LE(n, kHastaPE);
        EXPECT_GT(contador, vb::Currency::FromTicks(n * 10000LL));
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

}  // namespace
}  // namespace posting::testing
