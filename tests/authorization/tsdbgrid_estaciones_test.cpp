// The grid control paging a list that another station changes between the
// user's page turns: orders added ahead of the walk, edge rows moved ahead,
// orders authorized behind it. Every order nobody touched (those added ahead
// included) is shown once, in order; no page shown is empty; and where the
// walk ends, the label's page and count are those of the list.
#include <QAbstractButton>
#include <QComboBox>
#include <QLabel>
#include <QToolTip>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <random>
#include <set>

#include "authorization/tsdbgrid.h"
#include "authorization/tsdbgrid_query.h"
#include "db/adodb.h"
#include "grid_fixture.h"
#include "ui/flexgrid.h"

namespace authorization {
namespace {

using testing::GridDbTest;
using testing::Hijo;
using testing::Pulsar;
using testing::kConsultaPrincipal;

constexpr long kPorPagina = 10;

std::string Etiqueta(std::int64_t pagina, std::int64_t ultima) {
    return "        Página        " + std::to_string(pagina) + " de " + std::to_string(ultima);
}

std::vector<long> Del(long desde, long hasta) {
    std::vector<long> claves;
    for (long k = desde; k <= hasta; ++k) claves.push_back(k);
    return claves;
}

std::string Nombre(long clave) {
    char nombre[32];
    std::snprintf(nombre, sizeof nombre, "Cliente %03ld", clave);
    return nombre;
}

// Grid columns of the main window's query.
constexpr int kColCliente = 5;
constexpr int kColImporte = 6;

class GridEstacionesTest : public GridDbTest {
public:
    GridEstacionesTest() {
        otra_.Open(PasarAArchivo());
        for (adodb::Connection* cn : {&db_.gCnn, &otra_}) cn->Execute("PRAGMA synchronous = OFF");
        grid_.resize(900, 500);
        QObject::connect(&grid_, &TsDbGrid::CargarPagina, [this](std::int64_t&) { paginas_.push_back(Mostradas()); });
    }

    // Another station's statement.
    void Escribir(const std::string& sql, const std::vector<vb::Variant>& valores = {}) {
        long filas = 0;
        otra_.Execute(sql, valores, filas);
    }
    // A blocked order added by the other station.
    void Insertar(long clave, const vb::Variant& nombre, const vb::Variant& importe, const vb::Variant& vence) {
        Escribir("INSERT INTO V_MV_CPTE (ID, TC, IDCOMPROBANTE, FECHA, FECHAESTFIN, NOMBRE, IMPORTE, OBSERVACIONES, "
                 "BLOQUEADA) VALUES (?, 'NP', ?, '2024-01-01 00:00:00', ?, ?, ?, 'obs', 1)",
                 {clave, "0001-" + std::to_string(10000000 + clave), vence, nombre, importe});
    }
    // Orders 1..n: customer, amount and due date grow with the key.
    void Llenar(long n) {
        for (long k = 1; k <= n; ++k) Insertar(k, Nombre(k), 10.0 * k, "2024-01-01 00:00:00");
    }
    void Autorizar(long clave) { Escribir("UPDATE V_MV_CPTE SET BLOQUEADA = 0 WHERE ID = ?", {clave}); }

protected:

    // The main window's load, then the sort of `columna` (0: the query's own).
    void Cargar(int columna = 0, int sentido = 1) {
        grid_.SetSQL(kConsultaPrincipal);
        grid_.SetPageSize(kPorPagina);
        grid_.SetAnchoColFijo(true);
        grid_.LoadTsDBGrid();
        if (columna > 0) {
            grid_.MsFlexGrid().MoveToCell(1, columna);
            Clic(sentido == 1 ? "ImgOrdenAsc" : "ImgOrdenDesc");
        }
        paginas_.clear();
    }

    template <class W>
    W* Control(const char* nombre) {
        return Hijo<W>(grid_, nombre);
    }
    void Clic(const char* boton) { Pulsar(grid_, boton); }
    std::string TextoEtiqueta() { return Control<QLabel>("lblPaginas")->text().toStdString(); }

    // The keys of the page shown (none for an empty page).
    std::vector<long> Mostradas() {
        ui::FlexGrid& g = grid_.MsFlexGrid();
        std::vector<long> claves;
        for (int r = 1; r < g.Rows(); ++r) {
            const std::string clave = g.TextMatrix(r, g.Cols() - 1);
            if (!clave.empty()) claves.push_back(std::stol(clave));
        }
        return claves;
    }
    std::vector<long> Numeros() {
        std::vector<long> numeros;
        for (int r = 1; r < grid_.MsFlexGrid().Rows(); ++r) numeros.push_back(std::stol(grid_.MsFlexGrid().TextMatrix(r, 0)));
        return numeros;
    }

    // Presses `boton` until a press shows no page; `entreVueltas` runs
    // before each press. The keys of every page shown from the one shown at
    // the start, in the list's order.
    std::vector<long> Caminar(const char* boton, const std::function<void()>& entreVueltas) {
        const bool adelante = std::string(boton) == "cmdSiguiente";
        std::vector<long> vistas = Mostradas();
        for (int vuelta = 0; vuelta < 300; ++vuelta) {
            entreVueltas();
            const std::size_t antes = paginas_.size();
            Clic(boton);
            if (paginas_.size() == antes) return vistas;
            const std::vector<long>& pagina = paginas_.back();
            EXPECT_FALSE(pagina.empty()) << "an empty page, turn " << vuelta;
            vistas.insert(adelante ? vistas.end() : vistas.begin(), pagina.begin(), pagina.end());
        }
        ADD_FAILURE() << "the walk did not end";
        return vistas;
    }

    // The keys of the list in its order (those of `solo`, when given).
    std::vector<long> Lista(const std::set<long>* solo = nullptr) {
        GridQuery q;
        q.SQL = grid_.SQL();
        q.OrderBy = grid_.OrderBy();
        q.OrdenSent = 3;
        q.ArmarWhere();
        std::string filtro;
        if (solo != nullptr) {
            for (long k : *solo) filtro += (filtro.empty() ? "" : ", ") + std::to_string(k);
            filtro = " WHERE ID IN (" + (filtro.empty() ? std::string("0") : filtro) + ")";
        }
        adodb::Recordset rs;
        AbrirPagina(db_, q, "SELECT ID FROM (SELECT * FROM V_MV_CPTE " + q.ClausulaWhere + ") AS Paginacion" + filtro + q.OrdenExterior(), rs);
        std::vector<long> claves;
        for (const std::vector<std::string>& fila : LeerPagina(rs).Filas) claves.push_back(std::stol(fila.back()));
        return claves;
    }
public:
    // Whether `clave` comes after (`despues`) or before `borde` in the list now.
    bool Despues(long clave, long borde, bool despues) {
        const std::vector<long> lista = Lista();
        const auto pos = [&](long k) { return std::find(lista.begin(), lista.end(), k) - lista.begin(); };
        return despues ? pos(clave) > pos(borde) : pos(clave) < pos(borde);
    }

protected:
    // Every key of `esperadas` shown once, in the list's order.
    void CadaEsperadaUnaVezEnOrden(const std::vector<long>& vistas, const std::set<long>& esperadas) {
        std::vector<long> estas;
        std::copy_if(vistas.begin(), vistas.end(), std::back_inserter(estas), [&](long k) { return esperadas.count(k) > 0; });
        EXPECT_EQ(estas, Lista(&esperadas));
    }
    // At the end of a walk (`adelante`) or at its start: the label, the
    // selector and the record numbers as the list stands.
    void EtiquetaDeLaLista(bool adelante) {
        const auto total = static_cast<std::int64_t>(Lista().size());
        const std::int64_t ultima = std::max<std::int64_t>(GridQuery::CantidadPaginas(total, kPorPagina), 1);
        EXPECT_EQ(grid_.TotalRegistros(), total);
        EXPECT_EQ(grid_.UltimaPagina(), ultima);
        EXPECT_EQ(grid_.PaginaActual(), adelante ? ultima : 1);
        EXPECT_EQ(TextoEtiqueta(), Etiqueta(grid_.PaginaActual(), ultima));
        auto* selector = Control<QComboBox>("cboPagSelect");
        EXPECT_EQ(selector->count(), ultima);
        EXPECT_EQ(selector->currentIndex(), grid_.PaginaActual() - 1);
        const auto filas = static_cast<long>(Mostradas().size());
        EXPECT_EQ(Numeros(), adelante ? Del(total - filas + 1, total) : Del(1, filas));
    }

    adodb::Connection otra_;
    TsDbGrid grid_;
    std::vector<std::vector<long>> paginas_;  // the keys of each page loaded
};

// ---- The cases of the report ----------------------------------------------------------------

// Sorted by customer, after page 1 another station renames order 10 so that
// it sorts after order 55, or adds one there: the walk goes on to order 60.
TEST_F(GridEstacionesTest, AnOrderMovedOrAddedAheadIsShownAndTheWalkReachesTheEnd) {
    for (const bool agregada : {false, true}) {
        SCOPED_TRACE(agregada ? "an order added" : "order 10 renamed");
        Escribir("DELETE FROM V_MV_CPTE");
        Llenar(60);
        Cargar(kColCliente);
        ASSERT_EQ(Mostradas(), Del(1, 10));
        const long movida = agregada ? 61 : 10;
        if (agregada) {
            Insertar(61, Nombre(55) + " b", 1.0, "2024-01-01 00:00:00");
        } else {
            Escribir("UPDATE V_MV_CPTE SET NOMBRE = ? WHERE ID = 10", {Nombre(55) + " b"});
        }
        const std::vector<long> vistas = Caminar("cmdSiguiente", [] {});
        // Order 10 renamed was shown on page 1 before it moved.
        std::vector<long> esperadas = Del(1, 55);
        esperadas.push_back(movida);
        for (long k = 56; k <= 60; ++k) esperadas.push_back(k);
        EXPECT_EQ(vistas, esperadas);
        EtiquetaDeLaLista(true);
    }
}

// 100 orders added after the load: last, then previous twice, shows where
// it is in the list; previous, first and page 1 reach the rest.
TEST_F(GridEstacionesTest, OrdersAddedAfterTheLoadAreReachedAndTheLabelSaysWhere) {
    Llenar(25);
    Cargar();
    ASSERT_EQ(TextoEtiqueta(), Etiqueta(1, 3));
    for (long k = 26; k <= 125; ++k) Insertar(k, Nombre(k), 1.0, "2024-01-01 00:00:00");
    Clic("cmdUltimo");
    EXPECT_EQ(Mostradas(), Del(121, 125));
    Clic("cmdAnterior");
    Clic("cmdAnterior");
    EXPECT_EQ(Mostradas(), Del(101, 110));
    EXPECT_EQ(TextoEtiqueta(), Etiqueta(11, 13));
    EXPECT_EQ(Numeros(), Del(101, 110));
    EXPECT_EQ(grid_.TotalRegistros(), 125);
    Clic("cmdAnterior");
    EXPECT_EQ(Mostradas(), Del(91, 100));
    EXPECT_EQ(TextoEtiqueta(), Etiqueta(10, 13));
    Clic("cmdPrimero");
    EXPECT_EQ(Mostradas(), Del(1, 10));
    EXPECT_EQ(TextoEtiqueta(), Etiqueta(1, 13));
    emit Control<QComboBox>("cboPagSelect")->activated(10);
    EXPECT_EQ(Mostradas(), Del(101, 110));
    emit Control<QComboBox>("cboPagSelect")->activated(0);
    EXPECT_EQ(Mostradas(), Del(1, 10));
    const std::vector<long> vistas = Caminar("cmdSiguiente", [] {});
    EXPECT_EQ(vistas, Del(1, 125));
    EtiquetaDeLaLista(true);
}

// On the last page, another station authorizes orders 1-20: previous goes
// back to 21-30, which is page 1 now, and no further; nothing is shown twice
// and no page is empty.
TEST_F(GridEstacionesTest, OrdersAuthorizedBehindTheWalkLeaveNoEmptyPage) {
    Llenar(60);
    Cargar();
    Clic("cmdUltimo");
    ASSERT_EQ(Mostradas(), Del(51, 60));
    for (long k = 1; k <= 20; ++k) Autorizar(k);
    paginas_.clear();
    const std::vector<long> vistas = Caminar("cmdAnterior", [] {});
    EXPECT_EQ(vistas, Del(21, 60));
    EXPECT_EQ(paginas_.size(), 3u);
    EXPECT_EQ(Mostradas(), Del(21, 30));
    EtiquetaDeLaLista(false);
    EXPECT_EQ(QToolTip::text().toStdString(), "No hay más registros antes de esta página.");
    Clic("cmdSiguiente");
    EXPECT_EQ(Mostradas(), Del(31, 40));
    EXPECT_EQ(TextoEtiqueta(), Etiqueta(2, 4));

    // Forward, with the orders after the page shown authorized: the page stays.
    for (long k = 41; k <= 60; ++k) Autorizar(k);
    const std::size_t cargadas = paginas_.size();
    Clic("cmdSiguiente");
    EXPECT_EQ(paginas_.size(), cargadas);
    EXPECT_EQ(Mostradas(), Del(31, 40));
    EtiquetaDeLaLista(true);
    EXPECT_EQ(QToolTip::text().toStdString(), "No hay más registros después de esta página.");
}

// ---- Walks with the list changing between every two turns ---------------------------------

struct CasoCamino {
    const char* nombre;
    bool adelante;
    int columna;  // 0: the query's own order
    int sentido;
    // Between two turns, with the keys of the page shown; adds to `esperadas`
    // the orders it adds ahead of the walk, takes out those it touches.
    std::function<void(GridEstacionesTest&, const std::vector<long>&, std::set<long>&, long&)> cambio;
};

TEST_F(GridEstacionesTest, EveryUntouchedOrderOnceInOrderWhateverChangesBetweenTurns) {
    // Orders added just past the edge of the page shown, and at the far end.
    auto agregarDelante = [](GridEstacionesTest& t, const std::vector<long>& pagina, std::set<long>& esperadas, long& nueva) {
        if (nueva >= 1010) return;  // so that the walk ends
        const long borde = pagina.back();
        t.Insertar(nueva, Nombre(borde) + " b", 10.0 * borde + 5, "2024-01-01 00:00:00");
        t.Insertar(nueva + 1, "Zz " + std::to_string(nueva), 1e6 + nueva, "2024-01-01 00:00:00");
        for (long k : {nueva, nueva + 1}) {
            if (t.Despues(k, borde, true)) esperadas.insert(k);
        }
        nueva += 2;
    };
    // The edge row of the page shown moved to the far end of the walk.
    auto moverBorde = [](GridEstacionesTest& t, const std::vector<long>& pagina, std::set<long>& esperadas, long&) {
        const long borde = pagina.back();
        t.Escribir("UPDATE V_MV_CPTE SET NOMBRE = 'Zz', IMPORTE = 9e9 WHERE ID = ?", {borde});
        esperadas.erase(borde);
    };
    // Orders added before the list's start, walking back.
    auto agregarAlPrincipio = [](GridEstacionesTest& t, const std::vector<long>& pagina, std::set<long>& esperadas, long& nueva) {
        if (nueva >= 1030) return;  // so that the walk ends
        for (int i = 0; i < 3; ++i, ++nueva) {
            t.Insertar(nueva, "Aa " + std::to_string(nueva), -1.0 * nueva, "2024-01-01 00:00:00");
            if (t.Despues(nueva, pagina.front(), false)) esperadas.insert(nueva);
        }
    };
    // Every other order of the page shown authorized.
    auto autorizarPasadas = [](GridEstacionesTest& t, const std::vector<long>& pagina, std::set<long>& esperadas, long&) {
        for (std::size_t i = 0; i < pagina.size(); i += 2) {
            t.Autorizar(pagina[i]);
            esperadas.erase(pagina[i]);
        }
    };
    const CasoCamino casos[] = {
        {"orders added ahead, by customer", true, kColCliente, 1, agregarDelante},
        {"orders added ahead, in the query's order", true, 0, 1, agregarDelante},
        {"edge row moved ahead, by customer", true, kColCliente, 1, moverBorde},
        {"edge row moved ahead, by amount", true, kColImporte, 1, moverBorde},
        {"orders added before the start, walking back by customer", false, kColCliente, 1, agregarAlPrincipio},
        {"orders added before the start, walking back by amount", false, kColImporte, 1, agregarAlPrincipio},
        {"orders passed authorized, forward", true, kColCliente, 1, autorizarPasadas},
        {"orders passed authorized, back", false, kColImporte, 1, autorizarPasadas},
    };
    for (const CasoCamino& caso : casos) {
        SCOPED_TRACE(caso.nombre);
        Escribir("DELETE FROM V_MV_CPTE");
        Llenar(60);
        Cargar(caso.columna, caso.sentido);
        if (!caso.adelante) Clic("cmdUltimo");
        std::set<long> esperadas;
        for (long k : Lista()) esperadas.insert(k);
        long nueva = 1000;
        const std::vector<long> vistas = Caminar(caso.adelante ? "cmdSiguiente" : "cmdAnterior", [&] {
            caso.cambio(*this, Mostradas(), esperadas, nueva);
        });
        CadaEsperadaUnaVezEnOrden(vistas, esperadas);
        EtiquetaDeLaLista(caso.adelante);
    }
}

// Seeded random walks in several sort modes: between every two turns the
// other station adds orders anywhere, authorizes orders anywhere (some
// already shown) and moves the edge row of the page shown.
TEST_F(GridEstacionesTest, RandomChangesBetweenTurnsInEverySortMode) {
    const std::vector<vb::Variant> nombres = {"ana", "Ana", "Beto", "Carla", "Zz", vb::Null};
    const std::vector<vb::Variant> importes = {1.0, 5.5, 100.0, 250.0, 1e6};
    const std::vector<vb::Variant> vencimientos = {"2024-01-01 00:00:00", "2024-06-01 00:00:00", "2025-01-01 00:00:00"};
    struct Modo {
        const char* nombre;
        int columna;
        int sentido;
    };
    const Modo modos[] = {
        {"the query's own order", 0, 1}, {"customer ascending", kColCliente, 1}, {"customer descending", kColCliente, 2},
        {"amount ascending", kColImporte, 1}, {"amount descending", kColImporte, 2}, {"due date descending", 4, 2},
    };
    for (const unsigned semilla : {3u, 8u}) {
        for (const Modo& modo : modos) {
            for (const bool adelante : {true, false}) {
                SCOPED_TRACE(std::string(modo.nombre) + (adelante ? ", forward" : ", back") + ", seed " +
                             std::to_string(semilla));
                std::mt19937 azar(semilla);
                auto cualquiera = [&](std::size_t n) { return static_cast<std::size_t>(azar() % n); };
                auto de = [&](const std::vector<vb::Variant>& valores) { return valores[cualquiera(valores.size())]; };
                Escribir("DELETE FROM V_MV_CPTE");
                long nueva = 1;
                for (; nueva <= 45; ++nueva) Insertar(nueva, de(nombres), de(importes), de(vencimientos));
                Cargar(modo.columna, modo.sentido);
                if (!adelante) Clic("cmdUltimo");
                std::set<long> esperadas;
                for (long k : Lista()) esperadas.insert(k);
                const std::vector<long> vistas = Caminar(adelante ? "cmdSiguiente" : "cmdAnterior", [&] {
                    const std::vector<long> pagina = Mostradas();
                    const long borde = adelante ? pagina.back() : pagina.front();
                    for (std::size_t i = cualquiera(3); i > 0; --i, ++nueva) {
                        Insertar(nueva, de(nombres), de(importes), de(vencimientos));
                        if (Despues(nueva, borde, adelante)) esperadas.insert(nueva);
                    }
                    const std::vector<long> lista = Lista();
                    for (std::size_t i = cualquiera(3); i > 0 && !lista.empty(); --i) {
                        const long k = lista[cualquiera(lista.size())];
                        Autorizar(k);
                        esperadas.erase(k);
                    }
                    if (cualquiera(2) == 0) {
                        Escribir("UPDATE V_MV_CPTE SET NOMBRE = ?, IMPORTE = ?, FECHAESTFIN = ? WHERE ID = ?",
                                 {de(nombres), de(importes), de(vencimientos), borde});
                        esperadas.erase(borde);
                    }
                });
                CadaEsperadaUnaVezEnOrden(vistas, esperadas);
                EtiquetaDeLaLista(adelante);
            }
        }
    }
}

}  // namespace
}  // namespace authorization
