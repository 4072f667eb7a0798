// Layout of the document-entry grids (InicializaGrids) and the bindings of
// their in-cell edit boxes (TextPropiedades).
#include <QLineEdit>
#include <QVariant>

#include <array>
#include <initializer_list>

#include "documents/cls_cmn_cptes.h"
#include "db/adodb.h"
#include "entrygrids/columnas.h"
#include "entrygrids/edicion.h"
#include "foundation/configuracion.h"
#include "foundation/db_dll.h"
#include "foundation/sql_literal.h"
#include "grids_internos.h"
#include "helpers/helpers.h"
#include "ui/flexgrid.h"
#include "vb/error.h"
#include "vb/text.h"

namespace documents {

using namespace entrygrids;

namespace {

[[noreturn]] void FaltaControl() { vb::Raise(91, "Object variable or With block variable not set"); }

void Columna(ui::FlexGrid& g, int col, long ancho, const std::string& titulo) {
    g.SetColWidth(col, ancho);
    g.SetTextMatrix(0, col, titulo);
}

void Ensancha(ui::FlexGrid& g, int col, long delta) { g.SetColWidth(col, g.ColWidth(col) + delta); }

// Hides the columns and gives their widths to `destino`.
void OcultaEn(ui::FlexGrid& g, int destino, std::initializer_list<int> cols) {
    long suma = 0;
    for (int c : cols) {
        suma += g.ColWidth(c);
        g.SetColWidth(c, 0);
    }
    Ensancha(g, destino, suma);
}

void Reinicia(ui::FlexGrid& g, int filas, int cols) {
    g.Clear();
    g.SetRows(filas);
    g.SetCols(cols);
}

// What the rules of one call decided.
struct Reglas {
    std::string sistema;
    std::string tc;  // as passed
    bool deposito = false;
    bool sinImportes = false;
    bool stock() const { return vb::Equals(sistema, "STOCK"); }
    bool ventas() const { return vb::Equals(sistema, "VENTAS"); }
};

void DisponeTareas(ui::FlexGrid& g, const QWidget& obj, const Reglas& r) {
    Reinicia(g, 2, kColsTareas);
    Columna(g, kTarCodigo, AnchoX(obj, 7), "Código");
    Columna(g, kTarDescripcion, AnchoX(obj, 37), "Descripción");
    g.SetColAlignment(kTarDescripcion, ui::flexAlignLeftCenter);
    Columna(g, kTarHoras, AnchoX(obj, 7), "Horas");
    Columna(g, kTarValorHora, AnchoX(obj, 11), "Valor/Hora");
    Columna(g, kTarTotal, AnchoX(obj, 11), "Total");
    if (r.sinImportes) OcultaEn(g, kTarDescripcion, {kTarValorHora, kTarTotal});
    if (r.sinImportes && vb::Equals(vb::Trim(r.tc), "OT")) OcultaEn(g, kTarDescripcion, {kTarHoras});
    static const std::array<std::pair<int, const char*>, 11> kOcultas = {{
        {kTarImporteSinIVA, "ImporteSinIVA"},
        {kTarAuxObservAdic, "AuxObservAdic"},
        {kTarAuxEsExento, "AuxEsExento"},
        {kTarAuxFechaInicio, "AuxFechaInicio"},
        {kTarAuxFechaFin, "AuxFechaFin"},
        {kTarAuxIdTecnico, "AuxIdTecnico"},
        {kTarCodigoOriginal, "CodigoOriginal"},
        {kTarAuxFechaREALInicio, "AuxFechaREALInicio"},
        {kTarAuxFechaREALFin, "AuxFechaREALFin"},
        {kTarAuxCuentaContable, "AuxCuentaContable"},
        {kTarAuxTasaIVA, "AuxTasaIVA"},
    }};
    for (const auto& [col, titulo] : kOcultas) Columna(g, col, 0, titulo);
}

void DisponeArticulos(ui::FlexGrid& g, const QWidget& obj, const Reglas& r, const std::string& tituloCodigo) {
    const auto W = [&obj](int n) { return AnchoX(obj, n); };
    Reinicia(g, 2, kColsArticulos);

    Columna(g, kColCodigo, W(15), tituloCodigo);
    g.SetColAlignment(kColCodigo, ui::flexAlignLeftCenter);
    Columna(g, kColDescripcion, r.stock() ? W(39) : W(29), "Descripción");
    g.SetColAlignment(kColDescripcion, ui::flexAlignLeftCenter);
    Columna(g, kColLista, 0, "Lista");
    if (CfgEsSI("V_ListaPreciosPorItemArticulos") && r.ventas()) {
        Ensancha(g, kColCodigo, -W(1));
        Ensancha(g, kColDescripcion, -W(3));
        g.SetColWidth(kColLista, W(4));
    }

    Columna(g, kColUnidad, W(4), "UD");
    Columna(g, kColCantidad, W(6), "Cant.");
    g.SetColWidth(kColUnidadEquiv, 0);
    g.SetColWidth(kColCantidadEquiv, 0);
    if (CfgEsSI("ConfirmaUDEquiv")) {
        Columna(g, kColUnidadEquiv, W(7), "UDEquiv");
        Columna(g, kColCantidadEquiv, W(9), "Cant. Equiv");
    }
    Columna(g, kColDeposito, r.deposito ? W(4) : 0, "Dep.");
    Columna(g, kColImporte, W(11), "Importe");

    if (!r.stock()) {
        Columna(g, kColPorcDto, 0, "% Dto.");
        if (CfgEsSI("V_DescuentoPorArticulos") && r.ventas()) {
            Ensancha(g, kColImporte, -W(1));
            Ensancha(g, kColCodigo, -W(1));
            Ensancha(g, kColDescripcion, -W(3));
            g.SetColWidth(kColPorcDto, W(5));
        }
    } else {
        Columna(g, kColPorcDto, 0, "");
    }

    Columna(g, kColTotal, 0, "Total");
    Columna(g, kColTotalConImpuestos, r.stock() ? 0 : W(10), r.stock() ? "" : "TOTAL");
    if (r.sinImportes) OcultaEn(g, kColDescripcion, {kColImporte, kColTotal, kColTotalConImpuestos});

    Columna(g, kColAuxEsExento, 0, "AuxEsExento");
    Columna(g, kColAuxPrecioSinIVA, 0, "AuxPrecioSinIVA");
    Columna(g, kColImpuestos, r.stock() ? 0 : W(10), r.stock() ? "" : "Impuestos");
    Columna(g, kColAuxPideSerie, 0, "AuxPideSerie");
    Columna(g, kColAuxPidelote, 0, "AuxPidelote");
    for (int c : {kColAuxesperecedero, kColAuxPideTalle, kColAuxInsumosPorPorcentaje, kColMotivoStock,
                  kColControladoPor}) {
        g.SetColWidth(c, 0);
    }

    if (vb::Equals(r.tc, "DVPE")) {
        Columna(g, kColAuxNroSerie, TextWidth(obj, "Nro. de Serie"), "Nro. Serie");
        Columna(g, kColAuxNroLote, TextWidth(obj, "Nro. de Lote"), "Nro. Lote");
    } else {
        Columna(g, kColAuxNroSerie, 0, "AuxNroSerie");
        Columna(g, kColAuxNroLote, 0, "AuxNroLote");
    }
    Columna(g, kColAuxRestoPorAplicar, 0, "AuxRestoPorAplicar");

    if (r.stock()) {
        Ensancha(g, kColDescripcion, g.ColWidth(kColImporte) - 480);
        g.SetColWidth(kColImporte, 0);
        OcultaEn(g, kColDescripcion, {kColTotal});
        Ensancha(g, kColUnidad, W(4));
        Ensancha(g, kColCantidad, W(7));
    }

    static const std::array<std::pair<int, const char*>, 16> kConTitulo = {{
        {kColAuxTipoArticulo, "AuxTipoArticulo"},
        {kColAuxRubroArticulo, "AuxRubroArticulo"},
        {kColAuxListaConIVA, "AuxListaConIVA"},
        {kColAuxPrecioConIVA, "AuxPrecioConIVA"},
        {kColAuxCantidadInsumo, "AuxCantidadInsumo"},
        {kColAuxImporteDescuentoArticulo, "AuxImporteDescuentoArticulo"},
        {kColAuxTipoCoeficiente, "AuxTipoCoeficiente"},
        {kColAuxStockDisponible, "AuxStockDisponible"},
        {kColAuxStockMinimo, "AuxStockMinimo"},
        {kColAuxTasaIVA, "AuxTasaIVA"},
        {kColAuxCpteOrigen, "AuxCpteOrigen"},
        {kColAuxIdCpteOrigen, "AuxIdCpteOrigen"},
        {kColLoteOrigen, "Lote_Origen"},
        {kColLoteAduana, "Lote_Aduana"},
        {kColAuxCoeficiente, "AuxCoeficiente"},
        {kColAuxCodigoPercepcion, "AuxCodigoPercepcion"},
    }};
    for (const auto& [col, titulo] : kConTitulo) Columna(g, col, 0, titulo);
    Columna(g, 38, 0, "");
    Columna(g, 39, 0, "");
    for (int c = 41; c <= 82; ++c) Columna(g, c, 0, "");
    Columna(g, kColMotivoStock, 0, "");
    Columna(g, kColControladoPor, 0, "");

    if (r.ventas() && foundation::gMADERERA) {
        Columna(g, kColEspesor, W(7), "Espesor");
        Columna(g, kColAncho, W(7), "Ancho");
        Columna(g, kColLargo, W(7), "Largo");
        Columna(g, kColUdPr, W(4), "UD");
        Columna(g, kColImporteUd, W(9), "Importe");
        g.SetColWidth(kColImporte, 0);
    } else {
        for (int c : {kColEspesor, kColAncho, kColUdPr, kColImporteUd}) g.SetColWidth(c, 0);
    }

    Columna(g, kColPideMedidas, 0, "PideMedidas");
    Columna(g, kColLargoAnt, 0, "LargoAnt");
    Columna(g, kColEnComodato, 0, "EnComodato");
    Columna(g, kColMKBaseFamilia, 0, "MKBaseFamilia");
    Columna(g, kColCodError, 0, "CodError");
    Columna(g, kColAuxOferta, 0, "");
}

void DisponeOtrosConceptos(ui::FlexGrid& g, const QWidget& obj, const Reglas& r) {
    Reinicia(g, 2, kColsOtrosConceptos);
    Columna(g, kOcDetalle, AnchoX(obj, 49), "Detalle");
    g.SetColAlignment(kOcDetalle, ui::flexAlignLeftCenter);
    Columna(g, kOcImporteSinIva, AnchoX(obj, 11), "Importe S/Iva");
    Columna(g, kOcImporte, AnchoX(obj, 11), "Importe");
    Columna(g, kOcCuenta, 0, "Cuenta");
    if (r.sinImportes) OcultaEn(g, kOcDetalle, {kOcImporteSinIva, kOcImporte});
    Columna(g, 5, 0, "");
    Columna(g, 4, 0, "");
}

void DisponeCantidades(ui::FlexGrid& g, const QWidget& obj) {
    Reinicia(g, 5, kColsCantidades);
    Columna(g, kCantDescripcion, AnchoX(obj, 50), "Descripcion");
    g.SetColAlignment(kCantDescripcion, ui::flexAlignLeftCenter);
    Columna(g, kCantItems, AnchoX(obj, 15), "Cantidad ITEM'S");
    Columna(g, kCantCantidad, AnchoX(obj, 10), "Cantidad");
}

// Field, lookup source and longest text of a column under edit.
struct Vinculo {
    int columna;
    const char* campo;
    const char* tag;
    int largo;
};

constexpr std::array<Vinculo, 5> kVinculosTareas = {{
    {0, "IdTarea", "v_ta_tareas", 4},
    {1, "Descripcion", "", 0},
    {2, "HorasEstimadas", "", 0},
    {3, "ValorHora", "", 0},
    {4, "Total", "", 0},
}};

constexpr std::array<Vinculo, 16> kVinculosArticulos = {{
    {0, "IdArticulo", "v_ma_articulos", 25},
    {1, "Descripcion", "", 50},
    {2, "IdListaPrecioArticulo", "V_MA_PRECIOS", 4},
    {3, "Espesor", "", 0},
    {4, "Ancho", "", 0},
    {5, "IdUnidad", "V_TA_UNIDAD", 4},
    {6, "IdDepositoArt", "V_TA_DEPOSITO", 4},
    {7, "Cantidad", "", 0},
    {8, "Largo", "", 0},
    {9, "IdUnidadEquiv", "V_TA_UNIDAD", 4},
    {10, "CantidadEquiv", "", 0},
    {11, "PorcDtoArticulo", "", 0},
    {12, "Ud_Pr", "V_TA_UNIDAD", 4},
    {13, "Importe_Ud", "", 0},
    {14, "ArtImporte", "", 0},
    {15, "Total", "", 0},
}};

constexpr std::array<Vinculo, 3> kVinculosOtrosConceptos = {{
    {0, "OCDescripcion", "MA_CUENTAS/SOLOIMPUTABLES", 200},
    {1, "OCImporteSinIva", "", 0},
    {2, "OCImporte", "", 0},
}};

void Asigna(QLineEdit& caja, const char* campo, const char* tag, int largo) {
    caja.setProperty(kPropDataField, QString::fromUtf8(campo));
    caja.setProperty(kPropTag, QString::fromUtf8(tag));
    caja.setMaxLength(largo == 0 ? kSinLimite : largo);
}

template <std::size_t N>
void AsignaDeTabla(QLineEdit& caja, const std::array<Vinculo, N>& tabla, long columna) {
    for (const Vinculo& v : tabla) {
        if (v.columna == columna) {
            Asigna(caja, v.campo, v.tag, v.largo);
            return;
        }
    }
}

}  // namespace

}  // namespace documents

namespace entrygrids {

std::string DataField(const QLineEdit& caja) { return caja.property(kPropDataField).toString().toStdString(); }
std::string Tag(const QLineEdit& caja) { return caja.property(kPropTag).toString().toStdString(); }
int MaxLength(const QLineEdit& caja) { return caja.maxLength() >= kSinLimite ? 0 : caja.maxLength(); }

}  // namespace entrygrids

namespace documents {

void ClsCmnCptes::InicializaGrids(ui::FlexGrid* MSFlexGrid1, ui::FlexGrid* MSFlexGrid2, ui::FlexGrid* MSFlexGrid3,
                                  QLineEdit* TxtEdit, QLineEdit* txtEdit2, QLineEdit* txtEdit3, QWidget& Obj,
                                  const std::string& TC, ui::FlexGrid* MSFlexGrid4) {
    foundation::DB_Dll& db = foundation::Db();
    Reglas r;
    r.tc = TC;
    {
        std::string sql = "SELECT SISTEMA FROM V_TA_CPTE WHERE CODIGO = " +
                          foundation::SqlText(helpers::gFunciones().AjustaAncho(vb::Trim(TC), 4));
        adodb::Recordset rs;
        db.AbrirRecordset(sql, rs);
        // A type without a row has no area.
        r.sistema = rs.EOF() ? std::string() : CampoT(rs, "Sistema");
    }

    r.deposito = CfgEsSI("PideDepositoEnCptes");
    if (vb::Equals(TC, "OP") || vb::Equals(TC, "OC")) {
        r.sinImportes = true;
    } else if (vb::Equals(TC, "OT")) {
        r.sinImportes = CfgEsSI("NoMostrarImportesEnOT");
        r.deposito = false;
    } else if (vb::Equals(TC, "PR")) {
        r.deposito = false;
    }

    if (MSFlexGrid1 != nullptr) {
        DisponeTareas(*MSFlexGrid1, Obj, r);
        if (TxtEdit == nullptr) FaltaControl();
        TxtEdit->setVisible(false);
    }

    std::string tituloCodigo = vb::Trim(CfgValor("NombreArticulos"));
    if (tituloCodigo.empty()) tituloCodigo = "Código";
    tituloCodigo = CasoPropio(tituloCodigo);

    if (MSFlexGrid2 != nullptr) {
        DisponeArticulos(*MSFlexGrid2, Obj, r, tituloCodigo);
        if (txtEdit2 != nullptr) txtEdit2->setVisible(false);
    }

    if (MSFlexGrid3 != nullptr) {
        if (txtEdit3 == nullptr) FaltaControl();
        txtEdit3->setText(QString());
        DisponeOtrosConceptos(*MSFlexGrid3, Obj, r);
    }

    if (MSFlexGrid4 != nullptr) DisponeCantidades(*MSFlexGrid4, Obj);
}

void ClsCmnCptes::TextPropiedades(QLineEdit& Texto, long Columna) {
    Asigna(Texto, "", "", 0);
    const std::string nombre = vb::Trim(Texto.objectName().toStdString());
    if (vb::Equals(nombre, "TxtEdit")) {
        AsignaDeTabla(Texto, kVinculosTareas, Columna);
    } else if (vb::Equals(nombre, "TxtEdit2") || vb::Equals(nombre, "TXTAUX1") || vb::Equals(nombre, "TXTAUX2")) {
        AsignaDeTabla(Texto, kVinculosArticulos, Columna);
    } else if (vb::Equals(nombre, "TxtEdit3")) {
        AsignaDeTabla(Texto, kVinculosOtrosConceptos, Columna);
    }
}

}  // namespace documents
