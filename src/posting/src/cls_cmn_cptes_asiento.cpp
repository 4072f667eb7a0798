// ClsCmnCptes::GeneraAsientoStock: the stock accounting entry of a document
// held in an articles grid, whole or for one row. The motive's account goes
// on one side, the articles' stock accounts (cuentacontableC) on the other;
// the statements come back as one text (CR LF before each) and nothing is
// run here, but for the number of a cost-of-sales document, recorded as it
// is taken; one of a type without ranges, recorded nowhere, is checked to be
// still free by a statement that comes first. Errors reach the caller.
//
// Each document is booked under an entry number of its own, never one booked
// meanwhile nor one handed out on the same connection for statements that
// have not run yet; the rows of a document booked row by row go on under its
// entry, their lines numbered on whatever sequence the caller passes. A
// document already booked is not booked again. When the database refuses an
// entry handed to a caller (another station took its number first), the
// refusal is explained to the user in their words.
#include <algorithm>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "documents/cls_cmn_cptes.h"
#include "entrygrids/auxiliares.h"
#include "entrygrids/columnas.h"
#include "foundation/comunes.h"
#include "foundation/configuracion.h"
#include "foundation/db_dll.h"
#include "foundation/session.h"
#include "foundation/sql_literal.h"
#include "helpers/helpers.h"
#include "numbering/ast.h"
#include "posteo_interno.h"
#include "ui/flexgrid.h"
#include "vb/conv.h"
#include "vb/currency.h"
#include "vb/datetime.h"
#include "vb/format.h"
#include "vb/error.h"
#include "vb/text.h"
#include "vb/variant.h"

namespace posting::detail {

namespace {

using foundation::SqlText;
using namespace entrygrids;

const std::vector<std::string> kVentas = {"FC", "TK", "FKFC", "FP", "NC", "NCP", "ND"};
const std::vector<std::string> kCompras = {"FCC", "FPC", "NCC", "NCCP", "NDC"};
const std::vector<std::string> kVentasDebito = {"FC", "TK", "FKFC", "FP", "ND"};
const std::vector<std::string> kVentasCredito = {"NC", "NCP"};

constexpr int kCostoDeVentas = 99;

struct Importe {
    std::string clave;  // article code or account
    vb::Currency monto;
};

struct LineaAsiento {
    std::string cuenta;
    vb::Currency monto;
    std::string lado;  // "D" or "H"
};

std::string LiteralImporte(vb::Currency monto) {
    return vb::TextOf(foundation::Db().SQLValue(vb::Variant(vb::CStr(monto)), "@"));
}

vb::Currency Absoluto(vb::Currency monto) { return monto.Ticks() < 0 ? vb::Currency::FromTicks(-monto.Ticks()) : monto; }

// The amount of one row: quantity times the entry type's amount column.
Importe ImporteFila(ui::FlexGrid& grilla, int fila, int columnaImporte) {
    return {F().AjustaAncho(grilla.TextMatrix(fila, kColCodigo), 25),
            Producto(F().TextoAMoneda(grilla.TextMatrix(fila, kColCantidad)),
                     F().TextoAMoneda(grilla.TextMatrix(fila, columnaImporte)))};
}

void Acumula(std::vector<Importe>& lista, const Importe& importe) {
    for (Importe& existente : lista) {
        if (vb::Equals(existente.clave, importe.clave)) {
            existente.monto += importe.monto;
            return;
        }
    }
    lista.push_back(importe);
}

// The stock account of each article; none for an article without a row.
std::vector<std::optional<std::string>> CuentaDeCadaArticulo(const std::vector<Importe>& articulos) {
    foundation::DB_Dll& db = foundation::Db();
    std::vector<std::optional<std::string>> cuentas;
    for (const Importe& articulo : articulos) {
        std::string consulta =
            "select cuentacontableC from v_ma_articulos where idarticulo=" + SqlText(articulo.clave);
        adodb::Recordset rs;
        db.AbrirRecordset(consulta, rs);
        std::optional<std::string> cuenta;
        if (rs.State() == adodb::adStateOpen && !rs.EOF()) cuenta = Campo(rs, "cuentacontableC");
        db.CierraRecordset(rs);
        cuentas.push_back(std::move(cuenta));
    }
    return cuentas;
}

// Each stock account of the articles, with the sum of its articles' amounts.
std::vector<Importe> CuentasDeArticulos(const std::vector<Importe>& articulos) {
    foundation::DB_Dll& db = foundation::Db();
    std::vector<std::string> codigos;
    for (const Importe& a : articulos) codigos.push_back(a.clave);
    const std::string condicion = foundation::ArmaCondicion(" idarticulo ", "=", codigos, " OR ", "'", false, false);
    std::string sql = "select cuentacontableC from v_ma_articulos where (" + condicion +
                      ") and not cuentacontableC is null group by cuentacontableC";
    adodb::Recordset cuentas;
    db.AbrirRecordset(sql, cuentas);
    if (cuentas.State() != adodb::adStateOpen) vb::Raise(vb::kErrInternal, "No se pudieron leer las cuentas de los artículos");

    const std::vector<std::optional<std::string>> cuentaDe = CuentaDeCadaArticulo(articulos);
    std::vector<Importe> resultado;
    for (; !cuentas.EOF(); cuentas.MoveNext()) {
        Importe cuenta{Campo(cuentas, "cuentacontableC"), {}};
        for (std::size_t i = 0; i < articulos.size(); ++i) {
            if (cuentaDe[i] && vb::Equals(*cuentaDe[i], cuenta.clave)) cuenta.monto += articulos[i].monto;
        }
        resultado.push_back(cuenta);
    }
    db.CierraRecordset(cuentas);
    return resultado;
}

// The key of a document's entry among its month, period and register type.
std::string CondicionAsiento(const AsientoAbierto& a) {
    return " [NUMERO ASIENTO] = " + std::to_string(a.numero) + " AND MES_OPERATIVO = " + std::to_string(a.mes) +
           " AND RTRIM(LTRIM(PERIODO)) = " + SqlText(a.periodo) + " AND RTRIM(LTRIM(TIPO_REG)) = " +
           SqlText(a.tipoReg);
}

// The number of a new cost-of-sales document, into Suc, Nro and Letra. A
// number of a range is recorded as it is taken; one without a range is not,
// and one handed out on this connection for statements not run yet is
// passed over; `chequeo` receives the check its batch runs first (none for a
// number of a range). False when there is none.
bool NumeroCMV(std::string& Suc, std::string& Nro, std::string& Letra, std::string& chequeo) {
    const std::string numero = NumeroComprobanteSinEntregar("CMV", Suc, Letra, nullptr, &chequeo);
    if (numero.empty()) return false;
    Suc = vb::Mid(numero, 1, 4);
    Nro = vb::Mid(numero, 5, 8);
    Letra = vb::Mid(numero, 13, 1);
    return true;
}

}  // namespace

std::string NombreComprobante(const std::string& TC, const std::string& Suc, const std::string& Nro,
                              const std::string& Letra) {
    return vb::Trim(TC) + " " + Suc + "-" + Nro + "-" + Letra;
}

std::string ClaveDocumento(const std::string& TC, const std::string& Suc, const std::string& Nro,
                           const std::string& Letra) {
    return vb::UCase(F().AjustaAncho(vb::Trim(TC), 4) + Suc + Nro + Letra);
}

std::string NombreAsiento(const AsientoAbierto& asiento) {
    return "asiento " + vb::Format(asiento.numero, "000000") + " (mes " + vb::Format(asiento.mes, "00") +
           ", subdiario " + asiento.tipoReg + ")";
}

std::string OtroComprobanteDelAsiento(const AsientoAbierto& asiento) {
    if (asiento.numero == 0) return {};
    std::string sql = "SELECT TC, SUCURSAL, NUMERO, LETRA FROM @ADMIN_MV_ASIENTOS WHERE" + CondicionAsiento(asiento);
    foundation::DB_Dll& db = foundation::Db();
    adodb::Recordset rs;
    db.AbrirRecordset(sql, rs);
    std::string otro;
    for (; rs.State() == adodb::adStateOpen && !rs.EOF() && otro.empty(); rs.MoveNext()) {
        const std::string tc = Campo(rs, "TC");
        const std::string suc = Campo(rs, "SUCURSAL");
        const std::string nro = Campo(rs, "NUMERO");
        const std::string letra = Campo(rs, "LETRA");
        if (ClaveDocumento(tc, suc, nro, letra) != asiento.documento) otro = NombreComprobante(tc, suc, nro, letra);
    }
    db.CierraRecordset(rs);
    return otro;
}

bool AsientoGrabado(const AsientoAbierto& asiento) {
    if (asiento.numero == 0) return false;
    std::string sql = "SELECT COUNT(*) FROM @ADMIN_MV_ASIENTOS WHERE" + CondicionAsiento(asiento);
    foundation::DB_Dll& db = foundation::Db();
    adodb::Recordset rs;
    db.AbrirRecordset(sql, rs);
    const bool grabado = rs.State() == adodb::adStateOpen && !rs.EOF() && vb::Val(vb::TextOf(rs.Fields(0).Value())) > 0;
    db.CierraRecordset(rs);
    return grabado;
}

std::string AsientoTomadoPorOtra(const std::string& asiento, const std::string& otro) {
    return asiento + " ya lo había tomado otra estación para el comprobante " + otro + ".";
}

std::string AsientoTomado(const AsientoAbierto& asiento) {
    const std::string otro = OtroComprobanteDelAsiento(asiento);
    if (otro.empty()) return {};
    return AsientoTomadoPorOtra("su " + NombreAsiento(asiento), otro) +
           " No se guardó nada del comprobante; vuelva a grabarlo.";
}

std::string ArmaAsientoStock(documents::ClsCmnCptes& cmn, AsientoAbierto& asiento, const ModoAsiento& modo,
                             ui::FlexGrid& Grid, std::string& eMotivoStock, std::string& TC, std::string& Suc,
                             std::string& Nro, std::string& Letra, std::string& Fecha, bool& EsDebito, int TipoMov,
                             long SoloRegistro, int& Secuencia, std::string* rechazo) {
    helpers::ClsFunciones& f = F();
    foundation::DB_Dll& db = foundation::Db();
    const auto rechaza = [&](std::string motivo) {
        if (rechazo != nullptr) *rechazo = std::move(motivo);
        return std::string();
    };

    // 1-3. Switch, motive code, excluded document types.
    if (!cmn.AsientosXStock()) return {};
    eMotivoStock = f.Reemplaza(eMotivoStock, "'", "");
    if (TipoMov != kCostoDeVentas && f.EstaEnLista(vb::Variant(TC), kVentas)) return {};
    if (f.EstaEnLista(vb::Variant(TC), kCompras)) return {};

    // 4. Entry type: the amount column, the motive and the side.
    const bool grillaDiferencias = vb::Equals(Grid.objectName().toStdString(), "MSFlexGridDif");
    int columnaImporte = kColAuxCosto;
    const auto motivoConfigurado = [&](const char* clave, bool debito) {
        if (!grillaDiferencias) {
            eMotivoStock = CfgValor(clave);
            EsDebito = debito;
        } else {
            EsDebito = !debito;
        }
    };
    switch (TipoMov) {
        case 1: motivoConfigurado("MotivoStockRemito", true); break;
        case 2: motivoConfigurado("MotivoStockComodato", true); break;
        case 3: motivoConfigurado("MotivoStockTransferencias", true); break;
        case 4: motivoConfigurado("MotivoStockTransferencias", false); break;
        case 5:
            columnaImporte = kColAuxPrecioSinIVA;
            motivoConfigurado("MotivoStockRecepcionOC", false);
            break;
        case kCostoDeVentas: break;
        default:
            if (vb::Equals(TC, "RMC")) {
                columnaImporte = kColAuxPrecioSinIVA;
                motivoConfigurado("MotivoStockRecepcionOC", false);
            } else if (f.EstaEnLista(vb::Variant(TC), {"IR", "AJP", "SI"})) {
                EsDebito = false;
            } else if (f.EstaEnLista(vb::Variant(TC), {"VS", "AJN"})) {
                EsDebito = true;
            } else {
                EsDebito = cmn.ObtieneSignoComprobante(TC, false) == 0;
            }
    }

    // 5. Cost of goods sold: booked under a "CMV" document of its own, whose
    // number is taken once the entry is sure to be built (step 10).
    std::string tcOrigen;
    std::string cpteOrigen;
    if (TipoMov == kCostoDeVentas) {
        tcOrigen = TC;
        cpteOrigen = Suc + Nro + Letra;
        if (f.EstaEnLista(vb::Variant(TC), kVentasDebito)) EsDebito = true;
        else if (f.EstaEnLista(vb::Variant(TC), kVentasCredito)) EsDebito = false;
        else return {};
        TC = "CMV";
    }

    // 6. The motive's account and description.
    const std::string motivo = SqlText(f.AjustaAncho(eMotivoStock, 4));
    std::string sql = TipoMov == kCostoDeVentas
                          ? std::string("SELECT V_TA_MotivoVta.IdMotivoVta, V_TA_MotivoVta.Descripcion, ") +
                                "V_TA_Input_Ventas.COSTO_MERCADERIA " + "FROM V_TA_Input_Ventas INNER JOIN " +
                                "V_TA_MotivoVta ON V_TA_Input_Ventas.IdMotivoVta = V_TA_MotivoVta.IdMotivoVta " +
                                "WHERE V_TA_MotivoVta.IdMotivoVta = " + motivo
                          : "SELECT CUENTACONTABLE, Descripcion FROM V_TA_MOTIVOSTOCK WHERE IDMOTIVOSTOCK = " + motivo;
    adodb::Recordset rs;
    db.AbrirRecordset(sql, rs);
    if (rs.State() != adodb::adStateOpen) vb::Raise(vb::kErrInternal, "No se pudo leer el motivo de stock");
    if (rs.EOF()) return {};
    const std::string cuentaMotivo =
        vb::Trim(Campo(rs, TipoMov == kCostoDeVentas ? "COSTO_MERCADERIA" : "CUENTACONTABLE"));
    const std::string descripcion = Campo(rs, "Descripcion");
    db.CierraRecordset(rs);
    if (cuentaMotivo.empty()) return {};

    // 7, 9. Period and register type.
    const std::string periodo = vb::Trim(std::to_string(foundation::gPeriodo));
    const std::string tipoReg = numbering::ObtieneTipoRegCont(TC);
    if (tipoReg.empty()) return {};
    const int mes = vb::CDate(Fecha).Parts().month;
    asiento.mes = mes;
    asiento.periodo = periodo;
    asiento.tipoReg = tipoReg;

    // The row goes on under the open entry when it is its document's. A new
    // entry starts at sequence 1 whatever the caller passes, so that two
    // documents given one entry number always meet on the entry's index.
    bool sigue = false;
    if (TipoMov != kCostoDeVentas && modo.sigue && asiento.numero != 0) {
        sigue = asiento.documento == ClaveDocumento(TC, Suc, Nro, Letra);
    }
    const int primera = sigue ? std::max(Secuencia, asiento.secuencia) : 1;
    std::string chequeo;  // the cost-of-sales number without a range is still free
    if (!sigue) {
        // 8. A document already booked is not booked again. The cost of goods
        // sold goes under a new CMV document, never under the sale's number
        // (a CMV document carrying that number is another sale's).
        if (!modo.otroAsientoPermitido && TipoMov != kCostoDeVentas) {
            std::string cargado;
            if (numbering::ComprobanteTieneAsiento(TC, Suc, Nro, Letra, cargado, "")) {
                return rechaza("ya tiene el asiento " + cargado + " y un comprobante no se asienta dos veces.");
            }
        }
        if (TipoMov == kCostoDeVentas && !NumeroCMV(Suc, Nro, Letra, chequeo)) {
            return rechaza("no se pudo numerar su comprobante CMV.");
        }
        // 10. A new entry number: the database's next, never one kept, nor
        // one handed out on this connection to another document whose
        // statements have not run yet (they may go in the same batch).
        asiento.documento = ClaveDocumento(TC, Suc, Nro, Letra);
        const std::int32_t libre = numbering::ValidaTCRegistraciones(mes, periodo, tipoReg);
        if (libre <= 0) return rechaza("no se pudo leer el número de su asiento.");
        asiento.numero = NumeroSinEntregar(asiento, asiento.numero != 0 ? std::max(asiento.numero + 1, libre) : libre);
    }

    // 11-13. Amounts by article, then by account.
    std::vector<Importe> articulos;
    if (SoloRegistro == 0) {
        for (int fila = 1; fila < Grid.Rows(); ++fila) {
            Grid.SetRow(fila);
            Acumula(articulos, ImporteFila(Grid, Grid.Row(), columnaImporte));
        }
    } else {
        articulos.push_back(ImporteFila(Grid, static_cast<int>(SoloRegistro), columnaImporte));
    }
    const std::vector<Importe> cuentas = CuentasDeArticulos(articulos);
    vb::Currency total;
    for (const Importe& c : cuentas) total += c.monto;

    // 14. The motive line on one side, the account lines on the other; a
    // negative amount goes to the other side.
    const std::string ladoMotivo = EsDebito ? "D" : "H";
    const std::string ladoCuentas = EsDebito ? "H" : "D";
    std::vector<LineaAsiento> lineas;
    const auto agrega = [&](const std::string& cuenta, vb::Currency monto, const std::string& lado) {
        if (monto.Ticks() == 0) return;
        lineas.push_back({cuenta, Absoluto(monto), lado});
    };
    agrega(cuentaMotivo, total, total.Ticks() < 0 ? ladoCuentas : ladoMotivo);
    for (const Importe& c : cuentas) agrega(c.clave, c.monto, c.monto.Ticks() < 0 ? ladoMotivo : ladoCuentas);

    // 15. One statement per line with an amount: a line the open entry
    // already holds grows, any other is inserted. Sequences go to the lines
    // inserted, one after another, so that every entry written holds its
    // first sequence and a line that grows takes none.
    int siguiente = primera - 1;
    const std::string fechaHora = vb::CStr(vb::Variant(vb::Now()));
    const std::string unegocio =
        vb::Equals(vb::Trim(foundation::gUNegocio), "Null") ? foundation::gUNegocio : SqlText(foundation::gUNegocio);
    const std::string caja = vb::Trim(foundation::gCaja);
    std::string resultado;
    std::string primeraLinea;
    for (const LineaAsiento& linea : lineas) {
        if (linea.monto.Ticks() <= 0) continue;
        const std::string condiciones = " WHERE TC = " + SqlText(f.AjustaAncho(TC, 4)) + " AND SUCURSAL = " +
                                        SqlText(Suc) + " AND NUMERO = " + SqlText(Nro) + " AND LETRA = " +
                                        SqlText(Letra) + " AND CUENTA = " + SqlText(linea.cuenta) +
                                        " AND [DEBE-HABER] = " + SqlText(linea.lado) + " AND" +
                                        CondicionAsiento(asiento);
        bool existe = false;
        if (sigue) {
            std::string consulta = "SELECT * FROM MV_ASIENTOS" + condiciones;
            adodb::Recordset lineaExistente;
            db.AbrirRecordset(consulta, lineaExistente);
            if (lineaExistente.State() != adodb::adStateOpen) {
                vb::Raise(vb::kErrInternal, "No se pudo leer el asiento del comprobante");
            }
            existe = !lineaExistente.EOF();
            db.CierraRecordset(lineaExistente);
        }
        std::string sentencia;
        if (existe) {
            sentencia = "UPDATE MV_ASIENTOS SET IMPORTE = IMPORTE + " + LiteralImporte(linea.monto) + condiciones;
        } else {
            std::vector<foundation::CampoValor>& campos = foundation::gCamposInsert;
            campos = {
                {"Cuenta", SqlText(linea.cuenta)},
                {"Secuencia", SqlText(std::to_string(++siguiente))},
                {"Mes_Operativo", SqlText(std::to_string(mes))},
                {"[Numero Asiento]", SqlText(std::to_string(asiento.numero))},
                {"Fecha", SqlText(Fecha)},
                {"FechaSubDiario", SqlText(Fecha)},
                {"Detalle", SqlText(descripcion)},
                {"TC", SqlText(TC)},
                {"SUCURSAL", SqlText(Suc)},
                {"NUMERO", SqlText(Nro)},
                {"LETRA", SqlText(Letra)},
                {"PERIODO", SqlText(periodo)},
                {"Tipo_Reg", SqlText(tipoReg)},
                {"[DEBE-HABER]", SqlText(linea.lado)},
                {"FechaHora_Grabacion", SqlText(fechaHora)},
                {"USUARIO_LOGEADO", SqlText(foundation::gUsuarioLogeado)},
                {"Importe", LiteralImporte(linea.monto)},
                {"Moneda", "'   1'"},
                {"Cotizacion", "1"},
                {"CABImporte", LiteralImporte(total)},
                {"CABCuenta", SqlText(vb::Trim(cuentaMotivo))},
                {"CABNombre", SqlText(eMotivoStock)},
                {"Unegocio", unegocio},
                {"IdCajas", caja.empty() ? std::string("NULL") : SqlText(f.AjustaAncho(caja, 4))},
            };
            if (TipoMov == kCostoDeVentas) {
                campos.push_back({"TC_ORIGEN", SqlText(f.AjustaAncho(vb::Trim(tcOrigen), 4))});
                campos.push_back({"CPTE_ORIGEN", SqlText(cpteOrigen)});
            }
            sentencia = "INSERT INTO MV_ASIENTOS ";
            foundation::ArmaInsert(sentencia, campos, true);
            if (primeraLinea.empty()) primeraLinea = sentencia;
        }
        resultado += std::string(vb::kCrLf) + sentencia;
    }
    // The entry's number stays handed out until its statements run. A
    // cost-of-sales document is named with its sale, the document the user knows.
    if (!primeraLinea.empty()) {
        if (!chequeo.empty()) resultado = std::string(vb::kCrLf) + chequeo + resultado;
        std::string comprobante = NombreComprobante(TC, Suc, Nro, Letra);
        if (TipoMov == kCostoDeVentas) {
            comprobante += " (costo de ventas de " +
                           NombreComprobante(tcOrigen, vb::Mid(cpteOrigen, 1, 4), vb::Mid(cpteOrigen, 5, 8),
                                             vb::Mid(cpteOrigen, 13, 1)) +
                           ")";
        }
        Entrega({.documento = asiento.documento,
                 .comprobante = comprobante,
                 .asiento = asiento,
                 .marcas = {primeraLinea},
                 .explica = modo.explicaRechazo});
    }

    // 16. The next free sequence number, whatever was written.
    Secuencia = siguiente + 1;
    asiento.secuencia = Secuencia;
    return resultado;
}

}  // namespace posting::detail

namespace documents {

// Whole-grid calls and row 1 open a new entry for their document; a later row
// goes on under the open entry when it is the same document's (a fresh
// object, or another document, opens one: never entry 0, never another
// document's entry). A document already booked builds nothing.
std::string ClsCmnCptes::GeneraAsientoStock(ui::FlexGrid& Grid, std::string& eMotivoStock, std::string& TC,
                                            std::string& Suc, std::string& Nro, std::string& Letra,
                                            std::string& Fecha, bool& EsDebito, int TipoMov, long SoloRegistro,
                                            int* Secuencia) {
    using namespace posting::detail;
    int secuenciaPropia = 1;
    AsientoAbierto asiento{.numero = NroAsientoStock_, .documento = CpteAsientoStock_,
                           .secuencia = SecuenciaAsientoStock_};
    const std::string resultado =
        ArmaAsientoStock(*this, asiento, {.sigue = SoloRegistro > 1, .explicaRechazo = true}, Grid, eMotivoStock,
                         TC, Suc, Nro, Letra, Fecha, EsDebito, TipoMov, SoloRegistro,
                         Secuencia != nullptr ? *Secuencia : secuenciaPropia);
    NroAsientoStock_ = asiento.numero;
    CpteAsientoStock_ = asiento.documento;
    SecuenciaAsientoStock_ = asiento.secuencia;
    return resultado;
}

}  // namespace documents
