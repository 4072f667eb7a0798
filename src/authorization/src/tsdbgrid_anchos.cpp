// TsDbGrid: the column widths. Each data column is fitted to the longest
// text of the page (title included); while the pages of one list are turned
// a column only widens, so the layout does not jump from page to page.
//
// Where the host gave the width at which every column must show
// (LimitarColumnasAlAncho), the text columns (those whose longest text is no
// figure) share the room the other columns leave: at the first page all of
// it, each no narrower than its text wants while the room allows, else none
// wider than the others; on later pages a column whose text fits keeps its
// width and one whose text does not grows only into room left over, so a
// long text is cut rather than a column moved. Titles and figures (numbers,
// dates, codes) are never narrowed. A column the user resized keeps the
// user's width.
#include <QHeaderView>

#include <algorithm>
#include <functional>
#include <numeric>

#include "authorization/tsdbgrid.h"
#include "tsdbgrid_internal.h"
#include "ui/flexgrid.h"
#include "vb/text.h"

namespace authorization {

namespace {

// Each text column has room for this many characters where the screen
// allows it when the host first opens the control: the length at which the
// fitting turns from adding a margin to taking it away.
constexpr std::size_t kLetrasDeTexto = 20;

std::string Clave(const std::string& titulo) { return vb::LCase(titulo); }

// A text column sized within the room, in pixels.
struct Ajustable {
    std::size_t medida;  // its place among the columns measured
    int piso;     // never narrower
    int deseado;  // what its text wants
    int ancho = 0;
};

int Suma(const std::vector<Ajustable>& columnas, const std::function<int(const Ajustable&)>& ancho) {
    return std::accumulate(columnas.begin(), columnas.end(), 0,
                           [&](int suma, const Ajustable& c) { return suma + ancho(c); });
}

// The largest level in [0, tope] at which the widths `ancho(level)` of the
// columns fit in `espacio` (they grow with the level); 0 when none does.
int NivelMaximo(const std::vector<Ajustable>& columnas, int tope, int espacio,
                const std::function<int(const Ajustable&, int)>& ancho) {
    auto total = [&](int nivel) { return Suma(columnas, [&](const Ajustable& c) { return ancho(c, nivel); }); };
    int bajo = 0;
    int alto = std::max(tope, 0);
    while (bajo < alto) {
        const int medio = bajo + (alto - bajo + 1) / 2;
        if (total(medio) <= espacio) bajo = medio;
        else alto = medio - 1;
    }
    return bajo;
}

// Sizes the columns within `espacio` pixels. When all want fits, with
// `llenar` the room over is shared out from the narrowest up. Otherwise they
// are cut to a common level, none below its floor. The pixels a level leaves
// go one each to the columns at that level, so the room is used whole.
void Repartir(std::vector<Ajustable>& columnas, int espacio, bool llenar) {
    const int deseado = Suma(columnas, [](const Ajustable& c) { return c.deseado; });
    const auto relleno = [](const Ajustable& c, int nivel) { return std::max(c.deseado, nivel); };
    const auto corte = [](const Ajustable& c, int nivel) { return std::max(c.piso, std::min(c.deseado, nivel)); };
    std::function<int(const Ajustable&, int)> ancho;
    int nivel = 0;
    if (deseado <= espacio) {
        if (!llenar) {
            for (Ajustable& c : columnas) c.ancho = c.deseado;
            return;
        }
        ancho = relleno;
        nivel = NivelMaximo(columnas, espacio, espacio, ancho);
    } else {
        ancho = corte;
        int mayor = 0;
        for (const Ajustable& c : columnas) mayor = std::max(mayor, c.deseado);
        nivel = NivelMaximo(columnas, mayor, espacio, ancho);
    }
    for (Ajustable& c : columnas) c.ancho = ancho(c, nivel);
    int sobra = espacio - Suma(columnas, [](const Ajustable& c) { return c.ancho; });
    for (Ajustable& c : columnas) {
        if (sobra <= 0) break;
        if (c.ancho == nivel && ancho(c, nivel + 1) > nivel) {
            ++c.ancho;
            --sobra;
        }
    }
}

}  // namespace

// The fitting's width for a longest text of `largo` characters.
long TsDbGrid::AnchoParaLetras(std::size_t largo) const {
    return std::max(TextWidth(Equis(largo)) + (largo < kLetrasDeTexto ? 500 : -500), 0L);
}

std::vector<TsDbGrid::MedidaColumna> TsDbGrid::MedirColumnas() const {
    std::vector<MedidaColumna> medidas;
    for (int j = 1; j + 1 < grid_.Cols(); ++j) {
        MedidaColumna m;
        m.columna = j;
        m.actual = grid_.ColWidth(j);
        m.delUsuario = anchosDelUsuario_.count(Clave(grid_.TextMatrix(0, j))) > 0;
        std::size_t fijo = vb::Len(grid_.TextMatrix(0, j));  // the title and the figures
        std::size_t largo = fijo;
        for (int r = 1; r < grid_.Rows(); ++r) {
            const std::string& texto = grid_.TextMatrix(r, j);
            const std::size_t n = vb::Len(texto);
            largo = std::max(largo, n);
            if (n > fijo && ui::IsFigure(Q(texto))) fijo = n;
        }
        m.piso = AnchoParaLetras(fijo);
        m.deseado = AnchoParaLetras(largo);
        m.texto = largo > fijo;
        medidas.push_back(m);
    }
    return medidas;
}

void TsDbGrid::AjustarAnchoColumnas() {
    const bool desdeCero = std::exchange(anchosDesdeCero_, false);
    std::vector<MedidaColumna> medidas = MedirColumnas();
    for (MedidaColumna& m : medidas) {
        if (m.delUsuario) m.ancho = m.actual;
        else m.ancho = desdeCero ? m.deseado : std::max(m.deseado, m.actual);  // a column only widens
    }
    if (anchoLimite_ > 0) RepartirEntreTextos(medidas, desdeCero);
    for (const MedidaColumna& m : medidas) {
        if (!m.delUsuario) grid_.SetColWidth(m.columna, m.ancho);
    }
}

void TsDbGrid::RepartirEntreTextos(std::vector<MedidaColumna>& medidas, bool desdeCero) const {
    const int espacio = static_cast<int>((anchoLimite_ - AnchoFueraDeColumnas()) / ui::kTwipsPerPixel);
    // Fresh: every text column within the room. Later: the columns whose
    // text fits keep their width; the others grow into the room over.
    auto repartir = [&](bool todos) {
        std::vector<Ajustable> textos;
        int resto = espacio;
        for (std::size_t i = 0; i < medidas.size(); ++i) {
            const MedidaColumna& m = medidas[i];
            const bool ajusta = m.texto && !m.delUsuario && (todos || m.deseado > m.actual);
            if (!ajusta) {
                resto -= Px(m.ancho);
                continue;
            }
            const long piso = todos ? m.piso : std::max(m.piso, m.actual);
            textos.push_back({i, Px(piso), Px(std::max(m.deseado, piso))});
        }
        if (!todos && Suma(textos, [](const Ajustable& c) { return c.piso; }) > resto) return false;
        Repartir(textos, resto, todos);
        for (const Ajustable& c : textos) medidas[c.medida].ancho = Tw(c.ancho);
        return true;
    };
    // Where the others grew, the text columns are all cut again.
    if (desdeCero || !repartir(false)) repartir(true);
}

void TsDbGrid::LimitarColumnasAlAncho(long twips) {
    twips = std::max(twips, 0L);
    if (twips == anchoLimite_) return;
    anchoLimite_ = twips;
    anchosDesdeCero_ = true;
    if (!anchoColFijo_) AjustarAnchoColumnas();
}

long TsDbGrid::AnchoParaAbrir() const {
    long columnas = 0;
    for (const MedidaColumna& m : MedirColumnas()) {
        if (m.actual <= 0) continue;  // hidden
        const long holgura = m.texto && !m.delUsuario ? AnchoParaLetras(kLetrasDeTexto) : 0;
        columnas += Tw(Px(std::max(m.actual, holgura)));
    }
    return AnchoFueraDeColumnas() + columnas;
}

void TsDbGrid::ColumnaDelUsuario(int columna) {
    if (columna > 0 && columna < grid_.Cols()) anchosDelUsuario_.insert(Clave(grid_.TextMatrix(0, columna)));
}

}  // namespace authorization
