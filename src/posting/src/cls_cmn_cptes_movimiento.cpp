// The V_MV_STOCK row of one entry of a posted line: the field list that
// ActualizaStock turns into "INSERT INTO V_MV_STOCK", and the grid cells
// and working values the row leaves behind.
#include <string>

#include "documents/cls_cmn_cptes.h"
#include "entrygrids/auxiliares.h"
#include "entrygrids/columnas.h"
#include "foundation/comunes.h"
#include "foundation/db_dll.h"
#include "foundation/session.h"
#include "helpers/helpers.h"
#include "posteo_interno.h"
#include "ui/flexgrid.h"
#include "ui/msgbox.h"
#include "vb/conv.h"
#include "vb/currency.h"
#include "vb/text.h"

namespace posting::detail {

namespace {

using namespace entrygrids;

std::string Numerico(const std::string& celda) { return Literal(celda, "@"); }

// The line's depot and, for a transfer, its counterpart.
void ParesDeposito(Posteo& p) {
    std::string deposito;
    if (p.pasada == 1 && p.SignoRemota == 1) {
        deposito = LiteralPreparado(p.IdDeposito);
    } else if (p.pasada == 1) {
        const std::string columna = vb::Trim(Celda(p, kColDeposito));
        if (!columna.empty()) {
            // A depot typed into the grid is a code, never a literal.
            p.depositoLinea = LiteralTexto(F().AjustaAncho(columna, 4));
        } else {
            p.depositoLinea = LiteralPreparado(p.IdDeposito);
        }
        p.depositoPorFila[p.fila] = p.depositoLinea;
        deposito = p.depositoLinea;
    } else {
        deposito = LiteralPreparado(p.IdDepositoDestino);
    }
    Agrega("IdDeposito", deposito);

    if (!p.EsTransferencia) return;
    std::string contraparte;
    if (p.pasada == 1) {
        contraparte = Blanco(p.IdDepositoDestino) ? "null" : F().AjustaAncho(LiteralPreparado(p.IdDepositoDestino), 4);
    } else {
        // The depot this row left in pass 1 (the last line depot when pass 1
        // did not set one for it).
        const auto it = p.depositoPorFila.find(p.fila);
        const std::string& origen = it != p.depositoPorFila.end() ? it->second : p.depositoLinea;
        contraparte = Blanco(origen) ? "null" : F().AjustaAncho(origen, 4);
    }
    Agrega("IDDEPOSITO_DESTINO", contraparte);
}

// CantidadUD and IdUnidadBase: both or neither.
void ParesUnidadBase(Posteo& p) {
    ui::FlexGrid& g = p.grilla;
    g.SetTextMatrix(p.fila, kColUnidadEquiv, F().AjustaAncho(vb::Trim(Celda(p, kColUnidadEquiv)), 4));
    if (Celda(p, kColAuxPesable).empty()) g.SetTextMatrix(p.fila, kColAuxPesable, "0");

    const bool pesable = Bandera(p, kColAuxPesable);
    if (!pesable && entrygrids::CfgEsSI("ConfirmaUDEquiv")) {
        ParesCantidadUD(p, kColCantidadEquiv, kColUnidadEquiv, p.signo);
    } else if (!Blanco(Celda(p, kColAuxIdUnidadBase))) {
        ParesCantidadUD(p, kColAuxCantidadUD, kColAuxIdUnidadBase, p.signo);
    }
}

// CuentaProveedor: "PorDefault" is resolved once, from the first line's article.
void ParCuenta(Posteo& p) {
    if (vb::Equals(p.cuenta, "PorDefault")) {
        const vb::Variant valor =
            foundation::Db().DatosTabla("V_MA_ARTICULOS", F().AjustaAncho(vb::Trim(Celda(p, kColCodigo)), 25),
                                        "CUENTAPROVEEDOR", "IDARTICULO", 8, "", true);
        const std::string cuenta = vb::Trim(vb::TextOf(F().ValorCampo(valor)));
        p.cuenta = cuenta.empty() ? "NULL" : cuenta;
    }
    if (!vb::Equals(vb::Trim(p.cuenta), "NULL")) Agrega("CuentaProveedor", LiteralTexto(p.cuenta));
}

double TasaIVA(const Posteo& p) {
    const double tasa = F().TextoAMoneda(Celda(p, kColAuxTasaIVA)).ToDouble();
    const double exento = vb::Round(F().TextoAMoneda(Celda(p, kColAuxEsExento)).ToDouble());
    if (tasa == 0 && exento != -1) return p.cmn.PIVA();
    return tasa;
}

}  // namespace

void ArmaLineaMovimiento(Posteo& p) {
    ui::DoEvents();
    foundation::gCamposInsert.clear();

    Agrega("TC", LiteralTexto(F().AjustaAncho(p.TC, 4)));
    Agrega("IdComprobante", LiteralTexto(p.SucNroLetra));
    if (!p.compras) Agrega("IdComplemento", LiteralComplemento(p.IdComplemento));
    Agrega("Secuencia", std::to_string(p.Secuencia));
    Agrega("Fecha", LiteralTexto(p.Fecha));
    if (!Blanco(foundation::gCaja)) {
        foundation::gCaja = F().QuitaCaracteres(foundation::gCaja, "'");
        Agrega("IdCaja", LiteralTexto(F().AjustaAncho(foundation::gCaja, 4)));
    }
    ParesDeposito(p);
    Agrega("IdArticulo", LiteralTexto(F().AjustaAncho(vb::Trim(Celda(p, kColCodigo)), 25)));

    Agrega("Descripcion", LiteralTexto(DescripcionLinea(p)));
    ui::DoEvents();

    Agrega("NroLote", Blanco(p.entrada.lote) ? "NULL" : LiteralTexto(p.entrada.lote));

    std::string controladoPor;
    if (!Blanco(Celda(p, kColControladoPor))) controladoPor = vb::Trim(Celda(p, kColControladoPor));
    else if (!Blanco(Celda(p, kColLoteAduana))) controladoPor = F().QuitaCaracteres(vb::Trim(Celda(p, kColLoteAduana)), "'");
    else controladoPor = F().QuitaCaracteres(vb::Trim(p.Aduana), "'");
    Agrega("ControladoPor", LiteralTexto(controladoPor));

    if (!Blanco(Celda(p, kColLoteOrigen)) || !Blanco(p.LoteOrigen)) {
        const std::string origen =
            !Blanco(Celda(p, kColLoteOrigen)) ? vb::Trim(Celda(p, kColLoteOrigen)) : vb::Trim(p.LoteOrigen);
        Agrega("IdOrigen", LiteralTexto(F().AjustaAncho(origen, 4)));
    }
    Agrega("NroSerie", Blanco(p.entrada.serie) ? "NULL" : LiteralTexto(p.entrada.serie));

    const std::string unidad = vb::Trim(Celda(p, kColUnidad));
    Agrega("IdUnidad", unidad.empty() ? "NULL" : LiteralTexto(F().AjustaAncho(unidad, 4)));

    // The entry's own quantity: the posting split the line into entries.
    ui::DoEvents();
    Agrega("Cantidad", LiteralCantidad(p.entrada.cantidad, p.signo));

    ParesUnidadBase(p);
    ParCuenta(p);

    if (p.motivoPorLinea) p.IdMotivoStock = LiteralTexto(F().AjustaAncho(Celda(p, kColMotivoStock), 4));
    Agrega("IdMotivoStock", LiteralPreparado(p.IdMotivoStock));
    Agrega("PrecioVenta", Numerico(Celda(p, kColImporte)));
    Agrega("Importe_S_Iva", Numerico(Celda(p, kColAuxPrecioSinIVA)));
    Agrega("Costo", Numerico(Celda(p, kColAuxCosto)));
    Agrega("Impuestos", Numerico(Celda(p, kColImpuestos)));
    Agrega("DtoItem", Numerico(Celda(p, kColPorcDto)));

    const std::string& origen = Celda(p, kColAuxCpteOrigen);
    if (p.tcOrigenPorLinea) p.TcOrigen = LiteralTexto(vb::Trim(vb::Left(origen, 4)));
    Agrega("Tc_Origen", p.TcOrigen);
    if (p.comprobanteOrigenPorLinea) p.ComprobanteOrigen = LiteralTexto(vb::Trim(vb::Mid(origen, 5, 13)));
    Agrega("IdComprobante_Origen", p.ComprobanteOrigen);
    Agrega("Id_Origen", Numerico(Celda(p, kColAuxIdCpteOrigen)));
    Agrega("IVARI", LiteralNumero(TasaIVA(p)));
    Agrega("IVARNI", Numerico(Celda(p, kColAuxIVARNI)));
    if (!vb::Equals(vb::Trim(p.IdTecnico), "NULL")) Agrega("IdTecnico", LiteralTexto(F().AjustaAncho(p.IdTecnico, 4)));

    if (Celda(p, kColAuxCoeficiente).empty()) p.grilla.SetTextMatrix(p.fila, kColAuxCoeficiente, "1");
    Agrega("EQUIV_UDBASE", Numerico(Celda(p, kColAuxCoeficiente)));
    Agrega("IDINSERT", Numerico(Celda(p, kColAuxIdInsert)));
    Agrega("IDCOMPULSA", Numerico(Celda(p, kColAuxIdCompulsa)));
    Agrega("Oferta", Numerico(Celda(p, kColAuxOferta)));
    Agrega("IdVendedor", LiteralTexto(p.IdVendedor));
    Agrega("Importe_Ud", Numerico(Celda(p, kColImporteUd)));
    Agrega("Ud_Pr", LiteralTexto(F().AjustaAncho(Celda(p, kColUdPr), 4)));
    Agrega("EnComodato", Numerico(Celda(p, kColEnComodato)));

    if (!p.comodato && vb::Val(Celda(p, kColEnComodato)) == 1) p.comodato = true;
}

}  // namespace posting::detail
