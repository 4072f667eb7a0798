// The discharge of article inputs: after a document's lines are posted, the
// inputs (bill of materials) of its articles leave stock as a document of
// their own, type "PE", split over the input's lots in the document's depot.
// In a batch, a "PE" number of a type without ranges comes after a check that
// fails the batch when another station stored it first.
#include <string>
#include <vector>

#include "documents/cls_cmn_cptes.h"
#include "entrygrids/auxiliares.h"
#include "entrygrids/columnas.h"
#include "foundation/comunes.h"
#include "foundation/db_dll.h"
#include "helpers/helpers.h"
#include "numbering/ast.h"
#include "numbering/stock.h"
#include "posteo_interno.h"
#include "ui/flexgrid.h"
#include "vb/conv.h"
#include "vb/currency.h"
#include "vb/text.h"

namespace posting::detail {

namespace {

using namespace entrygrids;

constexpr const char* kTipoPE = "PE";

// State of one discharge run.
struct Descarga {
    bool segundaTransferencia = false;
    std::string sucursal = "0001";
    std::string letra = "X";
    std::string idComprobante{};  // the "PE" number, drawn at the first row with inputs
    bool entregado = false;       // its number is recorded as handed out
    std::string articulo{};     // the current row's article
    bool porcentaje = false;    // the row's inputs are given per cent
};

// The line to write: the row's own article, or an input with or without a lot.
struct LineaInsumo {
    bool propia = false;
    std::string codigo{};  // the input's code, cleaned
    std::string unidad{};  // the input's unit, cleaned
    double cantidad = 0;
    const numbering::ItemCantidad* lote = nullptr;
};

// The "PE" document as the user reads it.
std::string NombrePE(const std::string& idComprobante) {
    return NombreComprobante(kTipoPE, vb::Mid(idComprobante, 1, 4), vb::Mid(idComprobante, 5, 8),
                             vb::Mid(idComprobante, 13, 1));
}

// The key of the "PE" document.
std::string ClavePE(const std::string& idComprobante) {
    return ClaveDocumento(kTipoPE, vb::Mid(idComprobante, 1, 4), vb::Mid(idComprobante, 5, 8),
                          vb::Mid(idComprobante, 13, 1));
}

// The "PE" number's first line records it as handed out until that line
// runs, so that no other discharge on the connection takes it meanwhile.
void EntregaPE(Descarga& d, const std::string& sentencia) {
    if (d.entregado) return;
    Entrega({.documento = ClavePE(d.idComprobante), .comprobante = NombrePE(d.idComprobante), .marcas = {sentencia}});
    d.entregado = true;
}

std::string DatoArticulo(const std::string& codigo, const char* campo, const char* columnaClave) {
    const vb::Variant valor = foundation::Db().DatosTabla("V_MA_ARTICULOS", F().AjustaAncho(vb::Trim(codigo), 25),
                                                          campo, columnaClave, 8, "", true);
    return vb::TextOf(F().ValorCampo(valor));
}

// The depot of a discharge line. A transfer's first run (stock entering)
// discharges in the destination depot, its second run in the origin depot,
// as the document's two passes do.
std::string DepositoInsumo(const Posteo& p, const Descarga& d) {
    if (p.EsTransferencia && !d.segundaTransferencia) return LiteralPreparado(p.IdDepositoDestino);
    const std::string columna = vb::Trim(Celda(p, kColDeposito));
    if (!columna.empty()) return LiteralTexto(F().AjustaAncho(columna, 4));
    return LiteralPreparado(p.IdDeposito);
}

void ArmaLineaInsumo(Posteo& p, const Descarga& d, const LineaInsumo& l) {
    const int factor = p.signo == -1 ? 1 : -1;
    foundation::gCamposInsert.clear();

    Agrega("TC", LiteralTexto(F().AjustaAncho(kTipoPE, 4)));
    Agrega("IdComprobante", LiteralTexto(d.idComprobante));
    if (!p.compras) Agrega("IdComplemento", LiteralComplemento(p.IdComplemento));
    Agrega("Secuencia", std::to_string(p.Secuencia));
    Agrega("Fecha", LiteralTexto(p.Fecha));
    Agrega("IdDeposito", DepositoInsumo(p, d));

    if (l.propia) {
        Agrega("IdArticulo", LiteralTexto(F().AjustaAncho(vb::Trim(Celda(p, kColCodigo)), 25)));
        Agrega("Descripcion", LiteralTexto(DescripcionLinea(p)));
        Agrega("IdUnidad", LiteralTexto(F().AjustaAncho(Celda(p, kColUnidad), 4)));

        if (Bandera(p, kColAuxPesable)) {
            ParesCantidadUD(p, kColAuxCantidadUD, kColAuxIdUnidadBase, factor);
        } else if (CfgEsSI("ConfirmaUDEquiv")) {
            ParesCantidadUD(p, kColCantidadEquiv, kColUnidadEquiv, factor);
        }
        Agrega("Cantidad", LiteralCantidad(F().TextoAMoneda(Celda(p, kColCantidad)), factor));
    } else {
        Agrega("IdArticulo", LiteralTexto(F().AjustaAncho(vb::Trim(l.codigo), 25)));
        const std::string descripcion = vb::Trim(DatoArticulo(l.codigo, "DESCRIPCION", "IDARTICULO"));
        Agrega("Descripcion", LiteralTexto(F().QuitaCaracteres(descripcion, "'")));
        if (l.lote != nullptr) Agrega("NroLote", LiteralTexto(F().TextoDeValor(vb::Variant(l.lote->CodigoItem))));
        const std::string unidad = vb::Trim(l.unidad);
        Agrega("IdUnidad", unidad.empty() ? "NULL" : LiteralTexto(F().AjustaAncho(unidad, 4)));
        const double cantidad =
            l.lote != nullptr ? F().TextoADoble(F().TextoDeValor(vb::Variant(l.lote->CantidadItem))) : l.cantidad;
        Agrega("Cantidad", LiteralNumero(cantidad * p.signo));
    }

    // The account: the call's, or the article's default supplier. On a
    // per-cent row the row's own article answers for its inputs too.
    std::string cuenta = vb::Trim(p.Cuenta);
    if (vb::Equals(cuenta, "PorDefault")) {
        const std::string& articulo = (l.propia || d.porcentaje) ? d.articulo : l.codigo;
        cuenta = vb::Trim(DatoArticulo(articulo, "CUENTAPROVEEDOR", "IDARTICULO"));
    }
    if (!cuenta.empty() && !vb::Equals(cuenta, "NULL")) Agrega("CuentaProveedor", LiteralTexto(cuenta));

    Agrega("IdMotivoStock", LiteralPreparado(p.IdMotivoStock));
    Agrega("PrecioVenta", "0");
    Agrega("Importe_S_iva", "0");
    if (l.propia) {
        Agrega("Costo", Literal(Celda(p, kColAuxCosto), "@"));
    } else {
        Agrega("Costo", Literal(vb::CStr(F().TextoAMoneda(DatoArticulo(l.codigo, "Costo", "idarticulo"))), "@"));
    }
    Agrega("Tc_Origen", LiteralTexto(p.TC));
    Agrega("IdComprobante_Origen", LiteralTexto(p.SucNroLetra));
    Agrega("ControladoPor", LiteralTexto(vb::Trim(Celda(p, kColCodigo))));

    if (p.tcOrigenPorLinea) p.TcOrigen = LiteralTexto(vb::Trim(vb::Left(Celda(p, kColAuxCpteOrigen), 4)));
}

void GrabaLineaInsumo(Posteo& p, Descarga& d, const LineaInsumo& l) {
    std::string sentencia = "INSERT INTO V_MV_STOCK";
    Paso(p, [&] { IncrementaSecuencia(p); });
    PasoConNumeros(p, [&] { ArmaLineaInsumo(p, d, l); });
    Paso(p, [&] { foundation::ArmaInsert(sentencia, foundation::gCamposInsert, true); });
    EntregaPE(d, sentencia);
    Paso(p, [&] { EjecutaOAgrega(p, sentencia, "su descarga de insumos " + NombrePE(d.idComprobante)); });
}

void DescargaFila(Posteo& p, Descarga& d) {
    bool tieneInsumos = false;
    double base = 0;
    std::vector<numbering::ItemCantidad> insumos;
    PasoConNumeros(p, [&] {
        d.articulo = vb::Trim(Celda(p, kColCodigo));
        base = F().TextoAMoneda(Celda(p, kColCantidad)).ToDouble();
        d.porcentaje = Bandera(p, kColAuxInsumosPorPorcentaje);
        if (d.porcentaje && F().TextoAMoneda(Celda(p, kColAuxCantidadUD)).Ticks() > 0) {
            base = F().TextoAMoneda(Celda(p, kColAuxCantidadUD)).ToDouble();
        }
    });
    Paso(p, [&] { tieneInsumos = numbering::IdArticuloTieneInsumos(d.articulo, insumos, false); });
    if (!tieneInsumos) return;
    if (d.idComprobante.empty()) {
        Paso(p, [&] {
            // No number: the document is not recorded at all, never under an
            // empty or made-up number. Ranges used up are told once, in the
            // refusal; any other failure the numbering told the user.
            std::string agotados;
            std::string chequeo;
            d.idComprobante = NumeroComprobanteSinEntregar(kTipoPE, d.sucursal, d.letra, &agotados, &chequeo);
            if (!vb::Trim(d.idComprobante).empty()) p.numerosPE.push_back(d.idComprobante);
            // A batch runs later: the number without a range must still be
            // free then. A posting at once took it holding the file.
            if (p.GeneraSentenciaSQL && !chequeo.empty()) p.SQLTemp += std::string(vb::kCr) + chequeo;
            if (vb::Trim(d.idComprobante).empty()) {
                RechazaDocumento(p, "no se pudo numerar su descarga de insumos (PE)." +
                                        (agotados.empty() ? std::string() : " " + agotados + "."));
            }
        });
    }
    if (d.porcentaje) GrabaLineaInsumo(p, d, LineaInsumo{.propia = true});

    for (const numbering::ItemCantidad& insumo : insumos) {
        const std::string codigo = foundation::LimpiaTexto(vb::Variant(insumo.CodigoItem));
        if (codigo.empty()) continue;
        LineaInsumo linea{.codigo = codigo,
                          .unidad = foundation::LimpiaTexto(vb::Variant(insumo.UnidadItem)),
                          .cantidad = base * insumo.CantidadItem};
        if (d.porcentaje) linea.cantidad /= 100;
        std::vector<numbering::ItemCantidad> lotes;
        bool conLotes = false;
        Paso(p, [&] { conLotes = numbering::ArticuloTieneLotes(codigo, p.IdDeposito, lotes, linea.cantidad); });
        if (!conLotes) {
            GrabaLineaInsumo(p, d, linea);
            continue;
        }
        for (const numbering::ItemCantidad& lote : lotes) {
            linea.lote = &lote;
            GrabaLineaInsumo(p, d, linea);
        }
    }
}

// Queues the recording of the "PE" number used; run by the caller with its
// batch. A caller without a batch has it run at once. A number that cannot
// be recorded (the numbering told the user why) refuses the document. A type
// without any range has its numbers never recorded: its document goes on, as
// it always did, and the numbering's notice waits for the posting's unit to
// end, so that no station waits on the box.
void RegistraNumero(Posteo& p, const Descarga& d) {
    bool conTalonarios = true;
    Paso(p, [&] { conTalonarios = numbering::TieneTalonarios(kTipoPE); });
    if (!conTalonarios) {
        p.sinTalonariosPE = true;
        return;
    }
    std::string sentencia;
    bool registrado = false;
    Paso(p, [&] {
        std::string letra = vb::Mid(d.idComprobante, 13, 1);
        const long siguiente = static_cast<long>(vb::Val(vb::Mid(d.idComprobante, 5, 8))) + 1;
        registrado = numbering::RegistraNumeroComprobante(kTipoPE, "STOCK", vb::Mid(d.idComprobante, 1, 4),
                                                          std::to_string(siguiente), letra, true, sentencia, false);
    });
    const std::string pe = "su descarga de insumos " + NombrePE(d.idComprobante);
    if (!registrado) {
        RechazaDocumento(p, "no se pudo registrar el número de " + pe + ".");
        throw PosteoAbandonado{};
    }
    if (!p.SQLTempDelLlamador && !p.GeneraSentenciaSQL) {
        if (!vb::Trim(sentencia).empty()) Paso(p, [&] { Ejecuta(p, sentencia, "el registro del número de " + pe); });
        return;
    }
    p.SQLTemp += std::string(vb::kCr) + sentencia;
}

}  // namespace

void DescargaInsumos(Posteo& p, bool SegundaTransferencia) {
    Descarga d{.segundaTransferencia = SegundaTransferencia};
    bool descarga = true;
    Paso(p, [&] {
        descarga = !CfgEsSI("DescargaInsumosProduccion") &&
                   !vb::Equals(p.TC, "OP");
    });
    if (!descarga) return;
    // A transfer's second run, under a "PE" number of its own, goes on
    // numbering the sequence after the first.
    if (!SegundaTransferencia) p.Secuencia = 0;

    int filas = 0;
    Paso(p, [&] { filas = p.grilla.Rows(); });
    for (p.fila = 1; p.fila < filas; ++p.fila) {
        bool postea = false;
        Paso(p, [&] { postea = EsLinea(p); });
        if (postea) DescargaFila(p, d);
    }
    if (p.Secuencia > 0 && !vb::Trim(d.idComprobante).empty()) RegistraNumero(p, d);
}

void RetiraDescargas(const Posteo& p) {
    for (const std::string& numero : p.numerosPE) Retira(ClavePE(numero), 0);
}

}  // namespace posting::detail
