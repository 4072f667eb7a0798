// Loading one article line of a stored document into the articles grid.
#include <cstdint>
#include <functional>

#include "documents/cls_cmn_cptes.h"
#include "carga_internos.h"
#include "db/adodb.h"
#include "entrygrids/columnas.h"
#include "foundation/comunes.h"
#include "foundation/configuracion.h"
#include "foundation/db_dll.h"
#include "foundation/sql_literal.h"
#include "helpers/helpers.h"
#include "numbering/stock.h"
#include "ui/flexgrid.h"
#include "vb/conv.h"
#include "vb/currency.h"
#include "vb/text.h"
#include "vb/variant.h"

namespace entrygrids::detail {

namespace {

constexpr std::uint32_t kBlanco = 0xFFFFFF;

vb::Currency Moneda(std::string_view texto) { return helpers::gFunciones().TextoAMoneda(texto); }
double Doble(std::string_view texto) { return helpers::gFunciones().TextoADoble(texto); }

std::string Bandera(bool valor) { return valor ? "-1" : "0"; }

std::string Bandera(const adodb::Recordset& rs, std::string_view campo) {
    return Bandera(Verdadero(rs.Fields(campo).Value()));
}

// The document is in no delivery round (its header's IdReparto is -1).
bool SinReparto(const adodb::Recordset& cabecera) {
    const std::string reparto = CampoT(cabecera, "IdReparto");
    return !reparto.empty() && Doble(reparto) == -1;
}

std::string T(const ui::FlexGrid& g, int fila, int col) { return vb::Trim(g.TextMatrix(fila, col)); }

void PintaLetra(ui::FlexGrid& g, int fila, int col, std::uint32_t color) {
    g.SetCol(col);
    g.SetRow(fila);
    g.SetCellForeColor(color);
}

// The first row above `r` with the same article, unit, thickness, width and
// amount per pricing unit; 0 when none.
int FilaIgual(const ui::FlexGrid& g, int r) {
    for (int i = 1; i <= g.Rows() - 2; ++i) {
        bool igual = true;
        for (int col : {kColCodigo, kColUnidad, kColEspesor, kColAncho, kColImporteUd}) {
            if (!vb::Equals(T(g, i, col), T(g, r, col))) {
                igual = false;
                break;
            }
        }
        if (igual) return i;
    }
    return 0;
}

// Two lists of lots or serials ("|t1|t2|") as one: the tokens of the first,
// then those of the second.
std::string UneListas(const std::string& primera, const std::string& segunda) {
    const std::string a = vb::Trim(primera);
    const std::string b = vb::Trim(segunda);
    if (a.empty()) return b;
    if (b.empty()) return a;
    return a.back() == '|' && b.front() == '|' ? a + b.substr(1) : a + b;
}

// Folds row r into row i, so that row i stands for both lines: summed
// quantities, totals and rest to apply, quantity-weighted length, price and
// taxes per unit, joined lot and serial lists; row r is removed. Two lines
// whose quantities add up to 0 have no weighted mean and are left apart.
// True when the rows were folded.
bool Fusiona(ui::FlexGrid& g, int i, int r) {
    const vb::Currency qi = Moneda(g.TextMatrix(i, kColCantidad));
    const vb::Currency qr = Moneda(g.TextMatrix(r, kColCantidad));
    const vb::Currency q = qi + qr;
    if (q == vb::Currency()) return false;
    // The quantity-weighted mean of a per-unit column.
    const auto media = [&](int col) {
        const vb::Currency suma = Producto(Moneda(g.TextMatrix(i, col)), qi) + Producto(Moneda(g.TextMatrix(r, col)), qr);
        return suma.ToDouble() / q.ToDouble();
    };
    const auto sumaMoneda = [&](int col) {
        return vb::CStr(Moneda(g.TextMatrix(i, col)) + Moneda(g.TextMatrix(r, col)));
    };
    const std::string largo = foundation::FmtMoneda(vb::CStr(media(kColLargo)), -1);
    g.SetTextMatrix(i, kColLargo, largo);
    g.SetTextMatrix(i, kColLargoAnt, largo);
    g.SetTextMatrix(i, kColCantidadEquiv, sumaMoneda(kColCantidadEquiv));
    const std::string importe = foundation::FmtMoneda(vb::CStr(vb::Round(media(kColImporte), 4)), -1);
    const std::string impuestos = vb::CStr(vb::Round(media(kColImpuestos), 4));
    // A column that both lines left blank stays blank.
    const auto pon = [&](int col, const std::string& valor) {
        if (!vb::Trim(g.TextMatrix(i, col)).empty() || !vb::Trim(g.TextMatrix(r, col)).empty())
            g.SetTextMatrix(i, col, valor);
    };
    g.SetTextMatrix(i, kColCantidad, vb::CStr(q));
    g.SetTextMatrix(i, kColImporte, importe);
    g.SetTextMatrix(i, kColAuxPrecioSinIVA, importe);
    pon(kColImpuestos, impuestos);
    pon(kColTotal, sumaMoneda(kColTotal));
    pon(kColTotalConImpuestos, sumaMoneda(kColTotalConImpuestos));
    pon(kColAuxRestoPorAplicar,
        vb::CStr(Doble(g.TextMatrix(i, kColAuxRestoPorAplicar)) + Doble(g.TextMatrix(r, kColAuxRestoPorAplicar))));
    for (int col : {kColAuxNroLote, kColAuxNroSerie}) {
        g.SetTextMatrix(i, col, UneListas(g.TextMatrix(i, col), g.TextMatrix(r, col)));
    }
    g.SetRows(g.Rows() - 1);
    return true;
}

}  // namespace

void CargaArticulos::Fila(const adodb::Recordset& linea, ui::FlexGrid& g) const {
    const helpers::ClsFunciones& f = helpers::gFunciones();
    foundation::DB_Dll& db = foundation::Db();
    const std::string tipo = vb::Trim(TC);
    const bool esNP = vb::Equals(tipo, "NP");
    int r = g.Rows() - 1;
    double cantidad = 0;
    double aplicada = 0;
    const auto celda = [&](int col, const std::function<std::string()>& valor) {
        p([&] { g.SetTextMatrix(r, col, valor()); });
    };
    const auto copia = [&](int col, const char* campo) { celda(col, [&] { return CampoT(linea, campo); }); };

    // 1. Always write into an empty last row.
    p([&] {
        if (LineaCargada(g, g.Rows() - 1)) g.SetRows(g.Rows() + 1);
        r = g.Rows() - 1;
    });

    // 2. What later documents already took of the line.
    p([&] { cantidad = vb::CDbl(f.ValorCampo(linea.Fields("Cantidad"))); });
    const auto segunPendiente = [&] {
        double pendiente = cmn.CantRepartoPend(TC, SucNroLetra, Campo(linea, "IdArticulo"));
        if (pendiente > cantidad) pendiente = cantidad;
        aplicada = cantidad - pendiente;
    };
    p([&] {
        const bool remitoOPedido = vb::Equals(tipo, "NP") || vb::Equals(tipo, "RM");
        if (!compras && remitoOPedido && entregaParcial) {
            if (SinReparto(cabecera)) {
                segunPendiente();
            } else {
                std::string sql =
                    "SELECT CantidadAplicada FROM VT_V_MV_INSUMOS_APLICACION WHERE (TCO_ORIGEN = 'RM' or "
                    "TCO_ORIGEN = 'NP') AND IDCOMPROBANTEORIGEN = " +
                    foundation::SqlText(vb::Trim(SucNroLetra)) + " AND IDARTICULO = " +
                    foundation::SqlText(f.AjustaAncho(CampoT(linea, "IdArticulo"), 25));
                adodb::Recordset rs;
                db.AbrirRecordset(sql, rs);
                // A line nothing was applied from has no row.
                aplicada = rs.EOF() ? 0 : f.TextoAMoneda(Campo(rs, "CantidadAplicada")).ToDouble();
                db.CierraRecordset(rs);
            }
        } else if (!compras && SinReparto(cabecera)) {
            segunPendiente();
        }
    });

    // 3. Identity and quantity.
    copia(kColCodigo, "IdArticulo");
    copia(kColDescripcion, "Descripcion");
    copia(kColUnidad, "IdUnidad");
    copia(kColAuxIdUnidadOriginal, "IdUnidad");
    p([&] {
        if (signoInvertido) {
            // The pending part with its sign reversed: 10 with 4 applied shows -6.
            g.SetTextMatrix(r, kColCantidad, vb::CStr(aplicada - cantidad));
        } else {
            g.SetTextMatrix(r, kColCantidad, vb::CStr(cantidad - aplicada));
            if (Moneda(g.TextMatrix(r, kColCantidad)) < vb::Currency()) g.SetTextMatrix(r, kColCantidad, "0");
        }
    });

    // 4. Units and amounts; the price with VAT of a letter "B" document.
    copia(kColUnidadEquiv, "IdUnidadBase");
    copia(kColCantidadEquiv, "CantidadUD");
    copia(kColImporte, "Importe");
    p([&] {
        const vb::Variant& exento = linea.Fields("Exento").Value();
        if (exento.IsNull() || Verdadero(exento)) return;
        const std::string letra =
            foundation::LetraComprobante(CfgValor("CONDIVA"), Campo(cabecera, "CondicionIVA"));
        if (vb::Equals(letra, "B")) g.SetTextMatrix(r, kColAuxPrecioConIVA, CampoT(linea, "Importe"));
    });

    // 5. Sales-only columns.
    if (!esCompra) {
        copia(kColPorcDto, "PorcDto");
        copia(kColLista, "IDLista");
        celda(kColEnComodato, [&] { return CampoT(cabecera, "EnComodato") == "1" ? "1" : "0"; });
    }

    // 6. The article master.
    adodb::Recordset maestro;
    bool encontrado = false;
    p([&] {
        std::string codigo = f.AjustaAncho(CampoT(linea, "IdArticulo"), 25);
        bool soloLectura = true;
        bool porCodigoBarra = false;
        std::string descripcion;
        encontrado = foundation::BuscaArticulo(codigo, maestro, soloLectura, porCodigoBarra, descripcion);
    });
    if (encontrado) {
        celda(kColAuxDescTipoArticulo, [&] {
            return vb::Trim(vb::TextOf(db.DatosTabla("V_TA_TipoArticulo", Campo(maestro, "IdTipo"), "Descripcion",
                                                     "IdTipo", adodb::adBSTR, "", true)));
        });
        celda(kColAuxPresentacion, [&] { return CampoT(maestro, "Presentacion"); });
        celda(kColAuxEsExento, [&] { return Bandera(maestro, "Exento"); });
        celda(kColAuxPideSerie, [&] { return Bandera(maestro, "UsaSerie"); });
        celda(kColAuxPidelote, [&] { return Bandera(maestro, "UsaLote"); });
        celda(kColAuxesperecedero, [&] { return Bandera(maestro, "Perecedero"); });
        celda(kColAuxCoeficiente, [] { return "1"; });
        celda(kColAuxTipoCoeficiente, [] { return "*"; });
        celda(kColAuxPideTalle, [&] { return EsNulo(maestro, "UsaTalle") ? "0" : Bandera(maestro, "UsaTalle"); });
        celda(kColAuxPesable, [&] { return Bandera(maestro, "pesable"); });
        celda(kColAuxCodigoBarra, [&] { return CampoT(maestro, "CodigoBarra"); });
    }
    p([&] { db.CierraRecordset(maestro); });

    // 7. Line values over the master's.
    celda(kColAuxCoeficiente, [&] { return EsNulo(linea, "Equiv_UDBase") ? "1" : CampoT(linea, "Equiv_UDBase"); });
    celda(kColAuxIdUnidadBase,
          [&] { return EsNulo(linea, "IdUnidadBase") ? g.TextMatrix(r, kColUnidad) : CampoT(linea, "IdUnidadBase"); });
    p([&] {
        if (!EsNulo(linea, "Presentacion")) g.SetTextMatrix(r, kColAuxPresentacion, CampoT(linea, "Presentacion"));
    });

    // 8. Cost, taxes and totals.
    copia(kColAuxCosto, "Costo");
    copia(kColAuxPrecioSinIVA, "Importe_S_IVA");
    copia(kColImpuestos, "Impuestos");
    copia(kColTotal, "Total");
    if (!esNP) {
        copia(kColAuxNroLote, "Nro_Lote");
        copia(kColAuxNroSerie, "Nro_Serie");
        copia(kColLoteAduana, "ControladoPor");
        copia(kColLoteOrigen, "IdOrigen");
    }
    celda(kColAuxEsExento, [&] { return Bandera(linea, "Exento"); });
    const auto totalConImpuestos = [&] {
        return vb::CStr(Moneda(g.TextMatrix(r, kColTotal)).ToDouble() +
                        Moneda(g.TextMatrix(r, kColImpuestos)).ToDouble() * Doble(g.TextMatrix(r, kColCantidad)));
    };
    if (!esCompra) {
        copia(kColAuxTasaIVA, "AlicIVA");
        celda(kColTotalConImpuestos, totalConImpuestos);
    } else {
        p([&] {
            if (!EsNulo(linea, "Precio_Lista")) g.SetTextMatrix(r, kColAuxPrecioLista, Campo(linea, "Precio_Lista"));
        });
        celda(kColTotalConImpuestos, totalConImpuestos);
        celda(kColAuxCodigoArtProveedor, [&] { return Campo(linea, "CodigoArtProveedor"); });
    }

    // 9. What is left to apply, and the document it came from.
    celda(kColAuxRestoPorAplicar, [&] { return vb::CStr(cantidad - aplicada); });
    celda(kColAuxIdCpteCargado, [&] { return vb::Trim(SucNroLetra); });

    // 10. Timber trade: measures, pricing unit and folding of like lines.
    int filaConvertida = -1;
    if (!esCompra && foundation::gMADERERA) {
        bool conMedidas = false;
        p([&] {
            std::string x = vb::Trim(vb::TextOf(db.DatosTabla("V_MA_ARTICULOS", Campo(linea, "IdArticulo"),
                                                             "PIDEMEDIDAS", "IDARTICULO", adodb::adBSTR, "", true)));
            if (x.empty()) x = "FALSO";
            conMedidas = foundation::TextoABoolean(x);
        });
        celda(kColPideMedidas, [&] { return conMedidas ? "1" : "0"; });
        if (conMedidas) {
            copia(kColEspesor, "ESPESOR");
            copia(kColAncho, "Ancho");
            copia(kColAuxIdUnidadOriginal, "IdUnidad");
            p([&] {
                if (vb::Equals(g.TextMatrix(r, kColUnidad), vb::Trim(foundation::gMAD_TIRAS)))
                    g.SetTextMatrix(r, kColLargo, CampoT(linea, "Equiv_UDBase"));
                else
                    PintaLetra(g, r, kColLargo, kBlanco);
            });
        } else {
            for (int col : {kColEspesor, kColAncho, kColLargo}) p([&] { PintaLetra(g, r, col, kBlanco); });
        }
        copia(kColUdPr, "Ud_Pr");
        copia(kColImporteUd, "Importe_Ud");
        p([&] {
            const int i = FilaIgual(g, r);
            // The row that absorbed the line gets its stock-unit quantities anew.
            if (i > 0 && Fusiona(g, i, r)) filaConvertida = i;
        });
    }

    // 11. The quantity in the configured stock units.
    p([&] { g.SetRow(filaConvertida > 0 ? filaConvertida : g.Rows() - 1); });
    p([&] { numbering::ActualizaCantidadesEquivalentes(g); });
}

}  // namespace entrygrids::detail
