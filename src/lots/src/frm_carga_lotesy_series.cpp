// FrmCargaLotesySeries: the lot and serial dialog.
#include "lots/frm_carga_lotesy_series.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLabel>

#include <algorithm>
#include <cmath>
#include <functional>
#include <utility>
#include <vector>

#include "documents/cls_cmn_cptes.h"
#include "db/adodb.h"
#include "entrygrids/auxiliares.h"
#include "foundation/db_dll.h"
#include "foundation/sql_literal.h"
#include "helpers/helpers.h"
#include "lots/listas.h"
#include "ui/flexgrid.h"
#include "vb/conv.h"
#include "vb/steps.h"
#include "vb/text.h"
#include "vb/variant.h"

namespace lots {

namespace {

// Pick-mode columns.
constexpr int kColLote = 0;
constexpr int kColSerie = 1;
constexpr int kColStock = 2;
constexpr int kColCantidad = 3;
// Entry-mode columns.
constexpr int kColItem = 1;
constexpr int kColCodigo = 2;
constexpr int kColCodigo2 = 3;

constexpr const char* kStockMenor = "El Stock es Menor a la cantidad solicitada ";
constexpr const char* kMenorACero = "La Cantidad no puede ser Menor a Cero";
constexpr const char* kNoEntera = "No Puede Informase Cantidades que no Sean Enteras";
constexpr const char* kSuperaStock = "La Cantidad supera a la cantidad disponible en Stock";

helpers::ClsFunciones& F() { return helpers::gFunciones(); }
double ADoble(const std::string& texto) { return F().TextoADoble(texto); }

// Sees the keys of every control of a form before the control does (the
// form's key preview).
class VistaPreviaTeclas : public QObject {
public:
    VistaPreviaTeclas(QWidget& formulario, std::function<bool(int, int)> alTeclear)
        : QObject(&formulario), formulario_(formulario), alTeclear_(std::move(alTeclear)) {}

    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::KeyPress) return false;
        auto* control = qobject_cast<QWidget*>(watched);
        if (control == nullptr || (control != &formulario_ && !formulario_.isAncestorOf(control))) return false;
        const auto* tecla = static_cast<QKeyEvent*>(event);
        return alTeclear_(ui::VbKeyCode(tecla->key()), ui::VbShift(tecla->modifiers()));
    }

private:
    QWidget& formulario_;
    std::function<bool(int, int)> alTeclear_;
};

}  // namespace

FrmCargaLotesySeries::FrmCargaLotesySeries(QWidget* parent)
    : FrmGrillaLotes("FrmCargaLotesySeries", "Numeros de Serie", "F2 &Aceptar", 2, parent) {
    auto* vistaPrevia = new VistaPreviaTeclas(*this, [this](int KeyCode, int Shift) {
        bool tomada = false;
        helpers::AlUsuario([&] { tomada = Form_KeyDown(KeyCode, Shift); });
        return tomada;
    });
    qApp->installEventFilter(vistaPrevia);
}

FrmCargaLotesySeries::~FrmCargaLotesySeries() = default;

// ---- Loading ---------------------------------------------------------------------

void FrmCargaLotesySeries::CargaDatos() {
    vb::IgnoreErrors([this] { EsSerieYLote = EsSerie && EsLote; });
    vb::IgnoreErrors([this] {
        std::string prefijo;
        if (EsTalle) prefijo = "Talles, Colores, Sexo (Deposito: ";
        else if (EsSerieYLote) prefijo = "Números de Lote y Serie (Deposito: ";
        else if (EsSerie) prefijo = "Números de Serie (Deposito: ";
        else if (EsLote) prefijo = "Números de Lote (Deposito: ";
        if (!prefijo.empty()) setWindowTitle(QString::fromStdString(prefijo + Deposito + ")"));
    });
    vb::IgnoreErrors([this] {
        // Entry mode: until accepted, the results are the line's lists, so
        // that a cancel hands them back.
        if (EsConsultaDeSerieLote) return;
        Series = SeriesAnteriores;
        Lotes = LotesAnteriores;
    });
    vb::IgnoreErrors([this] {
        // Sizes travel as serials.
        if (EsTalle && EsSerieYLote) EsSerieYLote = EsLote = false;
    });
    vb::IgnoreErrors(
        [this] { lblArticulo().setText(QString::fromStdString(entrygrids::CasoPropio(ArticuloDescripcion))); });
    vb::IgnoreErrors([this] { InicializaGrid(); });
    vb::IgnoreErrors([this] { VerificaAnteriores(); });
    vb::IgnoreErrors([this] { VerificaExistenciasEnGrilla(); });
    vb::IgnoreErrors([this] {
        // The user can type the quantity to take at once.
        if (EsConsultaDeSerieLote && MSFlexGrid1().Rows() > 1) MSFlexGrid1().MoveToCell(1, kColCantidad);
    });
}

void FrmCargaLotesySeries::InicializaGrid() {
    if (EsConsultaDeSerieLote) InicializaGridSalidas();
    else InicializaGridEntradas();
}

void FrmCargaLotesySeries::InicializaGridSalidas() {
    ui::FlexGrid& g = MSFlexGrid1();
    g.Clear();
    g.SetCols(4);
    g.SetFixedCols(2);
    g.SetRows(1);
    g.SetTextMatrix(0, kColLote, EsTalle ? "TALLE-COLOR-SEXO" : "LOTE");
    g.SetTextMatrix(0, kColSerie, "SERIE");
    g.SetTextMatrix(0, kColStock, "CANT. STOCK");
    g.SetTextMatrix(0, kColCantidad, "CANT. ");
    g.SetColWidth(kColLote, EsLote ? AnchoDeLetras(18) : 0);
    g.SetColWidth(kColSerie, EsSerie ? AnchoDeLetras(15) : 0);
    g.SetColWidth(kColStock, AnchoDeLetras(12));
    g.SetColWidth(kColCantidad, AnchoDeLetras(12));
    g.SetColAlignment(kColSerie, ui::flexAlignCenterTop);
    g.SetColAlignment(kColLote, ui::flexAlignCenterTop);
}

void FrmCargaLotesySeries::InicializaGridEntradas() {
    ui::FlexGrid& g = MSFlexGrid1();
    g.SetRows(vb::CLng(Cantidad) + 1);
    g.SetCols(4);
    g.SetColWidth(0, 0);
    g.SetColWidth(kColItem, AnchoDeLetras(5));
    g.SetColWidth(kColCodigo, AnchoDeLetras(EsSerieYLote ? 25 : 35));
    g.SetColWidth(kColCodigo2, EsSerieYLote ? AnchoDeLetras(25) : 0);
    g.SetTextMatrix(0, kColItem, "ITEM");
    if (EsSerieYLote) {
        g.SetTextMatrix(0, kColCodigo, "Número de Lote");
        g.SetTextMatrix(0, kColCodigo2, "Número de Serie");
    } else {
        g.SetTextMatrix(0, kColCodigo, EsSerie ? "Número de Serie" : "Número de Lote");
    }
    for (int fila = 1; fila < g.Rows(); ++fila) g.SetTextMatrix(fila, kColItem, std::to_string(fila));
    g.SetColAlignment(kColItem, ui::flexAlignCenterCenter);
}

void FrmCargaLotesySeries::VerificaAnteriores() {
    if (EsConsultaDeSerieLote) VerificaAnterioresSalidas();
    else VerificaAnterioresEntradas();
}

std::string FrmCargaLotesySeries::ClaveDeFila(int Fila) const {
    const ui::FlexGrid& g = MSFlexGrid1();
    return vb::Trim(g.TextMatrix(Fila, kColLote)) + vb::kChr255 + vb::Trim(g.TextMatrix(Fila, kColSerie));
}

void FrmCargaLotesySeries::VerificaAnterioresSalidas() {
    ui::FlexGrid& g = MSFlexGrid1();
    std::string sql = "SELECT * FROM STK_SERIES_Y_LOTES WHERE IdArticulo = " +
                      foundation::SqlText(F().AjustaAncho(Articulo, 25)) +
                      " AND CANTIDAD > 0  AND IDDEPOSITO = " + foundation::SqlText(Deposito) +
                      " ORDER BY NROLOTE, NROSERIE ";
    adodb::Recordset rs;
    foundation::Db().AbrirRecordset(sql, rs);

    // The depot's stock, one row per record.
    std::vector<std::string> clavesEnStock;
    for (; !rs.EOF(); rs.MoveNext()) {
        const int fila = AgregaFila();
        g.SetTextMatrix(fila, kColLote, entrygrids::CampoT(rs, "NroLote"));
        g.SetTextMatrix(fila, kColSerie, entrygrids::CampoT(rs, "NroSerie"));
        g.SetTextMatrix(fila, kColStock, vb::TextOf(rs.Fields("Cantidad").Value()));
        g.SetTextMatrix(fila, kColCantidad, "");
        clavesEnStock.push_back(ClaveDeFila(fila));
    }
    rs.Close();

    // The line's previous picks that are no longer in stock.
    std::vector<std::string> anteriores;
    CmnCptes().DescomponeSerieLote(Lotes, anteriores);
    for (std::size_t i = 0; i + 1 < anteriores.size(); ++i) {
        const std::string& token = anteriores[i];
        if (token.empty() || token == vb::kChr255) continue;
        const bool enStock = std::any_of(clavesEnStock.begin(), clavesEnStock.end(),
                                         [&](const std::string& c) { return vb::Equals(c, token); });
        if (enStock) continue;
        const LoteSerie partes = PartesDeToken(token);
        const int fila = AgregaFila();
        g.SetTextMatrix(fila, kColLote, partes.Lote);
        g.SetTextMatrix(fila, kColSerie, partes.Serie);
        g.SetTextMatrix(fila, kColStock, "0");
        g.SetTextMatrix(fila, kColCantidad, "0");
    }

    if (clavesEnStock.empty()) return;
    AgregaFila();  // a row without lot or serial
    if (Lotes.empty()) {
        CompletaCantidades();
        return;
    }
    RestauraCantidades();
}

void FrmCargaLotesySeries::RestauraCantidades() {
    ui::FlexGrid& g = MSFlexGrid1();
    const std::vector<std::string> tokens = TokensDeLista(Lotes);
    if (tokens.empty()) return;
    const std::vector<std::string> cantidades = TokensDeLista(Series);
    // A key held in several rows (a lot in several positions) takes its
    // tokens in order: each row gets back its own quantity. Rows the list
    // does not hold get 0.
    std::vector<bool> tomado(tokens.size(), false);
    for (int fila = 1; fila < g.Rows(); ++fila) {
        const std::string clave = ClaveDeFila(fila);
        std::string cantidad;
        for (std::size_t i = 0; i < tokens.size(); ++i) {
            if (tomado[i] || !vb::Equals(vb::Trim(tokens[i]), clave)) continue;
            tomado[i] = true;
            if (i < cantidades.size()) cantidad = cantidades[i];
            break;
        }
        g.SetTextMatrix(fila, kColCantidad, vb::CStr(ADoble(cantidad)));
    }
}

void FrmCargaLotesySeries::VerificaAnterioresEntradas() {
    ui::FlexGrid& g = MSFlexGrid1();
    const auto carga = [&](const std::string& lista, int columna) {
        if (vb::Trim(F().QuitaCaracteres(lista, "|")).empty()) return;
        const std::vector<std::string> tokens = TokensDeLista(lista);
        for (std::size_t i = 0; i < tokens.size() && static_cast<int>(i) + 1 < g.Rows(); ++i) {
            g.SetTextMatrix(static_cast<int>(i) + 1, columna, tokens[i]);
        }
    };
    if (EsSerieYLote) {
        carga(LotesAnteriores, kColCodigo);
        carga(SeriesAnteriores, kColCodigo2);
    } else {
        carga(SeriesAnteriores + LotesAnteriores, kColCodigo);
    }
}

void FrmCargaLotesySeries::VerificaExistenciasEnGrilla() {
    if (!EsConsultaDeSerieLote) return;
    ui::FlexGrid& g = MSFlexGrid1();
    vb::IgnoreErrors([&] {
        if (LotesExistentes.empty()) return;
        // What other lines of the document took lowers the stock shown.
        std::vector<std::string> tokens;
        std::vector<std::string> cantidades;
        CmnCptes().DescomponeSerieLote(LotesExistentes, tokens);
        CmnCptes().DescomponeSerieLote(SeriesExistentes, cantidades);
        for (std::size_t i = 0; i + 1 < tokens.size(); ++i) {
            if (i >= cantidades.size()) break;
            DescuentaStock(tokens[i], ADoble(cantidades[i]));
        }
    });
    if (!Lotes.empty()) return;
    vb::IgnoreErrors([&] {
        for (int fila = 1; fila < g.Rows(); ++fila) g.SetTextMatrix(fila, kColCantidad, "0");
    });
    vb::IgnoreErrors([this] { ProponeAutomaticamente(); });
}

void FrmCargaLotesySeries::DescuentaStock(const std::string& Clave, double Cantidad) {
    ui::FlexGrid& g = MSFlexGrid1();
    // A key held in several rows is taken from them in order, each row down
    // to 0; what none of them holds lowers the first.
    int primera = 0;
    for (int fila = 1; fila < g.Rows(); ++fila) {
        if (!vb::Equals(ClaveDeFila(fila), Clave)) continue;
        if (primera == 0) primera = fila;
        const double stock = ADoble(g.TextMatrix(fila, kColStock));
        const double tomado = std::min(std::max(stock, 0.0), Cantidad);
        if (tomado <= 0) continue;
        g.SetTextMatrix(fila, kColStock, vb::CStr(stock - tomado));
        Cantidad -= tomado;
    }
    if (primera != 0 && !EsCero(Cantidad)) {
        g.SetTextMatrix(primera, kColStock, vb::CStr(ADoble(g.TextMatrix(primera, kColStock)) - Cantidad));
    }
}

void FrmCargaLotesySeries::ProponeAutomaticamente() {
    ui::FlexGrid& g = MSFlexGrid1();
    double resto = Cantidad;
    for (int fila = 1; fila < g.Rows(); ++fila) {
        const double stock = ADoble(g.TextMatrix(fila, kColStock));
        const double tomado = ADoble(g.TextMatrix(fila, kColCantidad));
        if (resto + tomado <= stock) {
            g.SetTextMatrix(fila, kColCantidad, vb::CStr(resto + tomado));
            resto = 0;
        } else {
            // A stock lowered below 0 by other lines offers nothing.
            g.SetTextMatrix(fila, kColCantidad, vb::CStr(std::max(stock, 0.0)));
            resto = Cantidad - SumaFilas(-1);
        }
        if (EsCero(resto)) break;
    }
}

void FrmCargaLotesySeries::CompletaCantidades() {
    ui::FlexGrid& g = MSFlexGrid1();
    double resto = Cantidad;
    for (int fila = 1; fila < g.Rows(); ++fila) {
        double q = ADoble(g.TextMatrix(fila, kColStock));
        if (q > resto) q = resto;
        if (q == 0 && resto > 0) q = resto;
        resto -= q;
        g.SetTextMatrix(fila, kColCantidad, vb::CStr(q));
        if (!(resto > 0)) break;
    }
}

void FrmCargaLotesySeries::CompletaTodoIgual() {
    ui::FlexGrid& g = MSFlexGrid1();
    std::string valor;
    vb::IgnoreErrors([&] { valor = vb::Trim(g.TextMatrix(1, kColCodigo)); });
    for (int fila = 1; fila < g.Rows(); ++fila) {
        vb::IgnoreErrors([&] {
            if (vb::Trim(g.TextMatrix(fila, kColCodigo)).empty()) g.SetTextMatrix(fila, kColCodigo, valor);
        });
    }
}

// ---- Accept --------------------------------------------------------------------

std::string FrmCargaLotesySeries::ListaDeColumna(int Columna) const {
    const ui::FlexGrid& g = MSFlexGrid1();
    std::string lista = "|";
    for (int fila = 1; fila < g.Rows(); ++fila) {
        const std::string valor = Columna < 0 ? ClaveDeFila(fila) : vb::Trim(g.TextMatrix(fila, Columna));
        lista += (valor.empty() ? "-" : valor) + "|";
    }
    if (vb::Trim(F().QuitaCaracteres(lista, "|")).empty()) return {};
    return lista;
}

void FrmCargaLotesySeries::CmdAceptar_Click() {
    if (!TerminaEdicionPendiente()) return;
    const vb::ErrorHandler manejador = foundation::Tratamiento();
    if (EsConsultaDeSerieLote) {
        if (!CantidadesLegibles()) return;
        bool construir = false;
        if (!vb::RunStep([&] { construir = AjustaCantidadPedida(Cantidad, MostrarForm, kStockMenor); }, manejador)) {
            return;
        }
        if (!construir) return;
        vb::RunSteps(
            {
                [this] { Lotes = ListaDeColumna(-1); },
                [this] { Series = ListaDeColumna(kColCantidad); },
                [this] { hide(); },
            },
            manejador);
        return;
    }
    bool validos = true;
    if (!vb::RunStep([&] { validos = CodigosValidos(); }, manejador) || !validos) return;
    vb::RunSteps(
        {
            [this] { CompletaTodoIgual(); },
            [this] {
                if (EsSerieYLote) {
                    Lotes = ListaDeColumna(kColCodigo);
                    Series = ListaDeColumna(kColCodigo2);
                } else if (EsLote) {
                    Lotes = ListaDeColumna(kColCodigo);
                    Series.clear();
                } else {
                    Series = ListaDeColumna(kColCodigo);
                    Lotes.clear();
                }
            },
            [this] { hide(); },
        },
        manejador);
}

bool FrmCargaLotesySeries::CodigosValidos() const {
    const ui::FlexGrid& g = MSFlexGrid1();
    for (int fila = 1; fila < g.Rows(); ++fila) {
        for (const int columna : {kColCodigo, kColCodigo2}) {
            if (CodigoValido(g.TextMatrix(fila, columna))) continue;
            AvisaCodigoInvalido();
            return false;
        }
    }
    return true;
}

bool FrmCargaLotesySeries::Form_KeyDown(int KeyCode, int /*Shift*/) {
    if (KeyCode != kTeclaF2) return false;
    CmdAceptar_Click();
    return true;
}

// ---- In-cell editing -------------------------------------------------------------

bool FrmCargaLotesySeries::CeldaEditable(const ui::FlexGrid& Grilla) const {
    // Pick mode: only the quantity to take; entry mode: every cell the user reaches.
    return !EsConsultaDeSerieLote || Grilla.Col() == kColCantidad;
}

bool FrmCargaLotesySeries::EsColumnaCantidad(long Columna) const {
    return EsConsultaDeSerieLote && (Columna == kColStock || Columna == kColCantidad);
}

std::string FrmCargaLotesySeries::PruebaCantidad(const std::string& Valor) {
    if (!EsConsultaDeSerieLote) return {};
    const double valor = ADoble(Valor);
    if (valor < 0) return kMenorACero;
    // Whole numbers of any size (no 16-bit conversion that could overflow).
    if (std::trunc(valor) != valor) return kNoEntera;
    const ui::FlexGrid& g = MSFlexGrid1();
    const double stock = F().TextoAMoneda(g.TextMatrix(g.Row(), kColStock)).ToDouble();
    std::string lote = g.TextMatrix(g.Row(), kColLote);
    std::string serie = g.TextMatrix(g.Row(), kColSerie);
    if (!EsSerieYLote) {
        if (EsLote) serie = "Ignorar";
        if (EsSerie) lote = "Ignorar";
    }
    // Only articles kept by lot alone are held to the stock column.
    if (valor > stock && !lote.empty() && vb::Equals(serie, "ignorar")) return kSuperaStock;
    return {};
}

void FrmCargaLotesySeries::CodigoEscritoEnFila1() { CompletaTodoIgual(); }

int FrmCargaLotesySeries::UltimaColumna() const { return EsConsultaDeSerieLote || EsSerieYLote ? 3 : 2; }

void FrmCargaLotesySeries::MueveConEnter(ui::FlexGrid& Grilla, int ultima) {
    const bool loteYSerie = !EsConsultaDeSerieLote && EsSerieYLote;
    if (Grilla.Col() == ultima) {
        if (Grilla.Row() < Grilla.Rows() - 1) Grilla.SetRow(Grilla.Row() + 1);
        if (loteYSerie) Grilla.SetCol(kColCodigo);
        else if (EsConsultaDeSerieLote) Grilla.SetCol(kColCantidad);
        return;
    }
    if (loteYSerie) {
        if (Grilla.Col() + 1 != Grilla.Cols()) Grilla.SetCol(Grilla.Col() + 1);
    } else if (EsConsultaDeSerieLote) {
        Grilla.SetCol(kColCantidad);
    }
}

bool FrmCargaLotesySeries::ToolbarActua(const ui::FlexGrid& Grilla) const {
    // Pick mode: only the quantity to take; the stock and the codes stay as read.
    return !EsConsultaDeSerieLote || Grilla.Col() == kColCantidad;
}

bool FrmCargaLotesySeries::ErrorPasadoPorAlto(long Numero) const {
    return FrmGrillaLotes::ErrorPasadoPorAlto(Numero) || Numero == ui::kErrInvalidCol;
}

}  // namespace lots
