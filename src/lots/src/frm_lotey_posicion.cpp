// FrmLoteyPosicion: the position and lot dialog.
#include "lots/frm_lotey_posicion.h"

#include <QLabel>
#include <QPushButton>

#include <algorithm>

#include "documents/cls_cmn_cptes.h"
#include "db/adodb.h"
#include "entrygrids/auxiliares.h"
#include "foundation/db_dll.h"
#include "foundation/sql_literal.h"
#include "helpers/helpers.h"
#include "numbering/stock.h"
#include "ui/flexgrid.h"
#include "vb/conv.h"
#include "vb/steps.h"
#include "vb/text.h"
#include "vb/variant.h"

namespace lots {

namespace {

constexpr int kColPosicion = 0;
constexpr int kColLote = 1;
constexpr int kColUnidad = 2;
constexpr int kColDisponible = 3;

constexpr const char* kConsultaConLotes =
    "SELECT AC_SALDOSLAYOUT.idposicion,AC_SALDOSLAYOUT.nrolote,AC_SALDOSLAYOUT.idunidadbase, "
    "isnull(AC_SALDOSLAYOUT.saldo,0) as disponible FROM AC_SALDOSLAYOUT, ma_posiciones WHERE  "
    "ac_saldoslayout.iddeposito=ma_posiciones.iddeposito and "
    "ac_saldoslayout.idposicion=ma_posiciones.idposicion and  ac_saldoslayout.IDDEPOSITO=";
constexpr const char* kConsultaSinLotes =
    "SELECT AC_SALDOSLAYOUT.idposicion,AC_SALDOSLAYOUT.idunidadbase, "
    "isnull(AC_SALDOSLAYOUT.saldo,0) as disponible FROM AC_SALDOSLAYOUT, ma_posiciones WHERE  "
    "ac_saldoslayout.iddeposito=ma_posiciones.iddeposito and "
    "ac_saldoslayout.idposicion=ma_posiciones.idposicion and  ac_saldoslayout.IDDEPOSITO=";

constexpr const char* kMenorASolicitada = "La suma de cantidades informadas es Menor a la cantidad solicitada ";
constexpr const char* kMenorACero = "La Cantidad no puede ser Menor a Cero";
constexpr const char* kSinDisponible = "No hay disponible para esa posicion";

helpers::ClsFunciones& F() { return helpers::gFunciones(); }
double ADoble(const std::string& texto) { return F().TextoADoble(texto); }

}  // namespace

FrmLoteyPosicion::FrmLoteyPosicion(QWidget* parent)
    : FrmGrillaLotes("FrmLoteyPosicion", "Posiciones", "&Aceptar", 3, parent) {}

FrmLoteyPosicion::~FrmLoteyPosicion() = default;

// ---- Loading ---------------------------------------------------------------------

void FrmLoteyPosicion::CargaDatos() {
    ui::FlexGrid& g = MSFlexGrid1();
    vb::IgnoreErrors([this] { EsPosicionYLote = EsPosicion && EsLote; });
    vb::IgnoreErrors([this] {
        std::string prefijo;
        if (EsPosicionYLote) prefijo = "Posiciones y Lotes (Deposito: ";
        else if (EsPosicion) prefijo = "Posiciones (Deposito: ";
        else if (EsLote) prefijo = "Números de Lote (Deposito: ";
        if (!prefijo.empty()) setWindowTitle(QString::fromStdString(prefijo + Deposito + ")"));
    });
    vb::IgnoreErrors(
        [this] { lblArticulo().setText(QString::fromStdString(entrygrids::CasoPropio(ArticuloDescripcion))); });
    vb::IgnoreErrors([this] {
        // Until accepted, the results are the line's lists, so that a cancel
        // hands them back.
        Posiciones = PosicionesAnteriores;
        Lotes = LotesAnteriores;
    });
    vb::IgnoreErrors([this] { InicializaGrid(); });
    vb::IgnoreErrors([this] { VerificaAnteriores(); });
    vb::IgnoreErrors([&] { g.SetRow(g.Rows() - 1); });
    vb::IgnoreErrors([&] { g.SetCol(kColCantidad); });
}

void FrmLoteyPosicion::InicializaGrid() {
    ui::FlexGrid& g = MSFlexGrid1();
    g.Clear();
    g.SetCols(5);
    if (!EsPosicion) return;  // no layout: the rows stay as they were
    g.SetTextMatrix(0, kColPosicion, "POSICION");
    g.SetTextMatrix(0, kColLote, EsPosicionYLote ? "LOTE" : "");
    g.SetTextMatrix(0, kColUnidad, "UNIDAD");
    g.SetTextMatrix(0, kColDisponible, "DISPONIBLE");
    g.SetTextMatrix(0, kColCantidad, "CANT.");
    g.SetRows(1);
    g.SetColAlignment(kColPosicion, ui::flexAlignCenterTop);
    g.SetColAlignment(kColLote, ui::flexAlignCenterTop);
    if (!EsPosicionYLote) g.SetColWidth(kColLote, 0);
}

void FrmLoteyPosicion::DescomponePosicionLote(const std::string& Posicion_Lote, const std::string& PIPELotes,
                                              std::vector<std::string>& ArrPosiciones,
                                              std::vector<std::string>& ArrCantidades,
                                              std::vector<std::string>& ArrLote) {
    CmnCptes().DescomponePosicionCantidadLote(Posicion_Lote, PIPELotes, ArrPosiciones, ArrCantidades, ArrLote);
}

void FrmLoteyPosicion::VerificaAnteriores() {
    ui::FlexGrid& g = MSFlexGrid1();
    foundation::DB_Dll& db = foundation::Db();
    const std::string deposito = foundation::SqlText(F().AjustaAncho(Deposito, 4));
    const std::string articulo = foundation::SqlText(F().AjustaAncho(Articulo, 25));

    std::vector<std::string> posiciones;
    std::vector<std::string> cantidades;
    std::vector<std::string> lotes;
    if (EsConsultaDePosicionLote) {
        DescomponePosicionLote(PosicionesAnteriores, LotesAnteriores, posiciones, cantidades, lotes);
    }

    bool conLotes = false;
    if (EsPosicionYLote) conLotes = true;
    else if (!EsPosicion && !EsConsultaDePosicionLote) return;

    std::string sql = std::string(conLotes ? kConsultaConLotes : kConsultaSinLotes) + deposito +
                      " and ac_saldoslayout.idarticulo=" + articulo +
                      " and ac_saldoslayout.saldo > 0 order by ac_saldoslayout.nrolote,ma_posiciones.ordeningreso,"
                      "ac_saldoslayout.idposicion  ";
    adodb::Recordset rs;
    db.AbrirRecordset(sql, rs);
    for (; !rs.EOF(); rs.MoveNext()) {
        const int fila = AgregaFila();
        g.SetTextMatrix(fila, kColPosicion, entrygrids::CampoT(rs, "idposicion"));
        if (conLotes) g.SetTextMatrix(fila, kColLote, entrygrids::CampoT(rs, "nrolote"));
        g.SetTextMatrix(fila, kColUnidad, IUNIDAD);
        const std::string unidadBase = entrygrids::CampoT(rs, "idunidadbase");
        const double disponible = vb::CDbl(rs.Fields("disponible").Value());
        // The balance is kept in the base unit; the row shows it in the line's
        // unit (the inverse twin converts from its fourth argument into its
        // second). Unit codes are blank-padded: "UN" and "UN  " are one unit.
        g.SetTextMatrix(fila, kColDisponible,
                        vb::CStr(numbering::ConvierteCantidadUnidadInversa(Articulo, vb::Trim(IUNIDAD), disponible,
                                                                           unidadBase)));
        if (conLotes) g.SetTextMatrix(fila, kColCantidad, "0");
    }

    // The depot's balance outside every position, whatever its sign.
    sql = "SELECT (ISNULL(SALDO,0)) AS SALDO FROM AC_SALDOSLAYOUT WHERE IDDEPOSITO=" + deposito +
          " AND IDARTICULO=" + articulo + " and idposicion is null";
    db.AbrirRecordset(sql, rs);
    if (!rs.EOF()) {
        filaDeposito_ = AgregaFila();
        g.SetTextMatrix(filaDeposito_, kColPosicion, "DEPOSITO " + Deposito);
        g.SetTextMatrix(filaDeposito_, kColDisponible, vb::TextOf(rs.Fields("SALDO").Value()));
        g.SetTextMatrix(filaDeposito_, kColCantidad, "0");
        g.SetColWidth(kColPosicion, AnchoDeTexto("   DEPOSITO " + Deposito));
    }
    rs.Close();

    if (!EsConsultaDePosicionLote) {
        ProponeAutomaticamente();
        return;
    }
    // The previous quantities go back to their rows; an entry without
    // position to the depot row; entries no row matches are dropped.
    for (std::size_t i = 0; i + 1 < posiciones.size(); ++i) {
        const std::string& posicion = posiciones[i];
        const std::string& cantidad = cantidades[i];
        const std::string lote = i < lotes.size() ? lotes[i] : std::string();
        if (posicion.empty()) {
            if (filaDeposito_ > 0) g.SetTextMatrix(filaDeposito_, kColCantidad, cantidad);
            continue;
        }
        for (int fila = 1; fila < g.Rows(); ++fila) {
            if (!vb::Equals(g.TextMatrix(fila, kColPosicion), posicion)) continue;
            if (EsPosicionYLote && !vb::Equals(g.TextMatrix(fila, kColLote), lote)) continue;
            g.SetTextMatrix(fila, kColCantidad, cantidad);
            break;
        }
    }
}

void FrmLoteyPosicion::ProponeAutomaticamente() {
    ui::FlexGrid& g = MSFlexGrid1();
    if (g.Rows() == 2) {
        // A single row takes the whole quantity, whatever it holds.
        g.SetTextMatrix(1, kColCantidad, vb::CStr(Cantidad1));
        return;
    }
    double faltante = Cantidad1;
    for (int fila = 1; fila < g.Rows(); ++fila) {
        const double disponible = ADoble(g.TextMatrix(fila, kColDisponible));
        const double cantidad = ADoble(g.TextMatrix(fila, kColCantidad));
        if (faltante + cantidad <= disponible) {
            g.SetTextMatrix(fila, kColCantidad, vb::CStr(faltante + cantidad));
            faltante = 0;
        } else {
            // A depot balance of 0 or below offers nothing.
            g.SetTextMatrix(fila, kColCantidad, vb::CStr(std::max(disponible, 0.0)));
            faltante = Cantidad1 - SumaFilas(-1);
        }
        if (EsCero(faltante)) break;
    }
}

// ---- Accept --------------------------------------------------------------------

void FrmLoteyPosicion::CmdAceptar_Click() {
    if (!TerminaEdicionPendiente() || !CantidadesLegibles()) return;
    const vb::ErrorHandler manejador = foundation::Tratamiento();
    bool construir = false;
    if (!vb::RunStep([&] { construir = AjustaCantidadPedida(Cantidad1, MostrarForm, kMenorASolicitada); },
                     manejador)) {
        return;
    }
    if (!construir) return;
    vb::RunSteps(
        {
            [this] {
                const ui::FlexGrid& g = MSFlexGrid1();
                std::string posiciones = "|";
                std::string lotes = "|";
                for (int fila = 1; fila < g.Rows(); ++fila) {
                    const std::string cantidad = vb::Trim(g.TextMatrix(fila, kColCantidad));
                    if (cantidad.empty() || cantidad == "0") continue;
                    const bool deposito = fila == filaDeposito_;
                    posiciones += (deposito ? "" : vb::Trim(g.TextMatrix(fila, kColPosicion))) + "*" + cantidad + "|";
                    lotes += (deposito ? "" : vb::Trim(g.TextMatrix(fila, kColLote))) + "|";
                }
                if (!EsPosicion) return;
                Posiciones = posiciones;
                if (EsPosicionYLote) Lotes = lotes;
            },
            [this] { hide(); },
        },
        manejador);
}

// ---- In-cell editing -------------------------------------------------------------

bool FrmLoteyPosicion::CeldaEditable(const ui::FlexGrid& Grilla) const { return Grilla.Col() == kColCantidad; }

bool FrmLoteyPosicion::EsColumnaCantidad(long Columna) const { return Columna == kColCantidad; }

std::string FrmLoteyPosicion::PruebaCantidad(const std::string& Valor) {
    const double valor = ADoble(Valor);
    if (valor < 0) return kMenorACero;
    const ui::FlexGrid& g = MSFlexGrid1();
    // The balance as the dialog wrote it, with the regional decimal separator.
    if (valor > ADoble(g.TextMatrix(g.Row(), kColDisponible))) return kSinDisponible;
    return {};
}

void FrmLoteyPosicion::MueveConEnter(ui::FlexGrid& Grilla, int ultima) {
    if (Grilla.Col() != ultima) return;
    if (Grilla.Row() < Grilla.Rows() - 1) {
        Grilla.SetRow(Grilla.Row() + 1);
    } else {
        CmdAceptar().setFocus();
    }
}

bool FrmLoteyPosicion::ToolbarActua(const ui::FlexGrid& Grilla) const { return Grilla.Col() == kColCantidad; }

void FrmLoteyPosicion::ToolbarOtroBoton(int Index) {
    if (Index != 3) return;
    ui::FlexGrid& g = MSFlexGrid1();
    g.SetRow(0);
    for (int fila = 1; fila < g.Rows(); ++fila) g.SetTextMatrix(fila, kColCantidad, "0");
    ProponeAutomaticamente();
    g.SetRow(g.Rows() - 1);
    g.SetCol(kColCantidad);
}

}  // namespace lots
