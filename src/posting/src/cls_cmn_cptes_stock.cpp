// ClsCmnCptes::ActualizaStock: posts a document held in the articles grid to
// stock. Every posted line gives one V_MV_STOCK row per lot or serial entry
// (twice, with opposite signs, for a transfer or a production document),
// then the inputs of the posted articles are discharged and the stock
// accounting entry is built. A line's entries add up to its quantity: a
// line whose lists cannot (picks beyond it, a negative pick) is refused.
//
// Immediate mode runs every statement at once. Each document is posted in a
// unit of its own (its own transaction, or a savepoint in the caller's), so
// a posting that stops part-way leaves nothing of the document behind,
// whoever holds the transaction; numbers taken while posting are undone
// with it. Batch mode appends every statement to the caller's SQLTemp, each
// after a carriage return, for the caller to run, and holds no write lock
// of its own while it builds them; a refused posting gives the batch back
// as it came, and the numbers it took back to their ranges. A refusal tells
// the user which document was not recorded and why, once the document is
// undone, so that no box waits while the posting holds the database.
#include <algorithm>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "documents/cls_cmn_cptes.h"
#include "db/transaction.h"
#include "entrygrids/auxiliares.h"
#include "entrygrids/columnas.h"
#include "foundation/comunes.h"
#include "foundation/db_dll.h"
#include "foundation/sql_literal.h"
#include "helpers/error_routine.h"
#include "helpers/helpers.h"
#include "lots/listas.h"
#include "numbering/ast.h"
#include "posteo_interno.h"
#include "ui/flexgrid.h"
#include "ui/msgbox.h"
#include "vb/conv.h"
#include "vb/steps.h"
#include "vb/text.h"

namespace posting::detail {

namespace {

using namespace entrygrids;

constexpr const char* kTituloCartel = "Grabando Stock....";
constexpr const char* kTituloCartelFila = "Grabando Stock...";

int ManejaErrorPosteo(const vb::Error& error) {
    helpers::gCartel().CierraCartel();
    return foundation::Db().TratamientoErrores(error, std::nullopt, "ActualizaStock");
}

bool EsElDelGrid(const std::string& valor) { return vb::Equals(vb::Trim(valor), kElDelGrid); }

std::string Ajustado25(const std::string& texto) { return F().AjustaAncho(vb::Trim(texto), 25); }

// ---- Set-up ------------------------------------------------------------------

void PreparaOrigen(Posteo& p) {
    p.TcOrigen = F().AjustaAncho(vb::Trim(p.TcOrigen), 4);
    if (EsElDelGrid(p.TcOrigen)) p.tcOrigenPorLinea = true;
    else p.TcOrigen = Blanco(p.TcOrigen) ? "NULL" : Literal(p.TcOrigen, "'");

    if (EsElDelGrid(p.ComprobanteOrigen)) p.comprobanteOrigenPorLinea = true;
    else p.ComprobanteOrigen = Blanco(p.ComprobanteOrigen) ? "NULL" : Literal(p.ComprobanteOrigen, "'");
}

// The origin type's bare code: "OC" of "'OC  '".
std::string CodigoOrigen(const Posteo& p) {
    return vb::Trim(vb::Replace(F().QuitaComillas(p.TcOrigen), "''", "'"));
}

// A receipt (FCC, RMC) of a purchase order gives the order its receipt date,
// once, unless receipts are handled by their own document (IR_Oblig).
void FechaRecepcion(Posteo& p) {
    const std::string oblig = vb::Trim(CfgValor("IR_Oblig"));
    const bool obligatorio = !(oblig.empty() || vb::Equals(oblig, "NO"));
    if (!(vb::Equals(p.TC, "FCC") || vb::Equals(p.TC, "RMC"))) return;
    if (p.tcOrigenPorLinea || p.comprobanteOrigenPorLinea || !vb::Equals(CodigoOrigen(p), "OC") || obligatorio) return;
    std::string sentencia = "if exists(select * from c_mv_cpte where TC=" + p.TcOrigen +
                            " and IDCOMPROBANTE=" + p.ComprobanteOrigen + " and fecharecepcion is null) " +
                            " UPDATE c_mv_cpte set FechaRecepcion=" + foundation::SqlText(p.Fecha) +
                            " where TC=" + p.TcOrigen + " and IDCOMPROBANTE=" + p.ComprobanteOrigen;
    // In batch mode it goes with the document's batch: a batch refused or
    // failed leaves the order as it was.
    EjecutaOAgrega(p, std::move(sentencia), "la fecha de recepción de su orden de compra");
}

void PreparaDepositosYMotivo(Posteo& p) {
    if (!EsElDelGrid(p.IdDeposito)) {
        if (!Blanco(p.IdDeposito)) {
            p.IdDeposito = Literal(F().AjustaAncho(vb::Trim(p.IdDeposito), 4), "'");
        } else {
            const std::string porDefecto = CfgValor("DepositoDefault");
            p.IdDeposito = Blanco(porDefecto) ? "NULL" : Literal(F().AjustaAncho(porDefecto, 4), "'");
        }
    }

    if (EsElDelGrid(p.IdMotivoStock)) {
        p.motivoPorLinea = true;
    } else if (!Blanco(p.IdMotivoStock)) {
        p.IdMotivoStock = Literal(F().AjustaAncho(p.IdMotivoStock, 4), "'");
    } else {
        if (p.IdMotivoStock.empty()) {
            const std::string porDefecto = CfgValor("MotivoStockDefault");
            if (!Blanco(porDefecto)) p.IdMotivoStock = Literal(F().AjustaAncho(porDefecto, 4), "'");
        }
        if (Blanco(p.IdMotivoStock)) p.IdMotivoStock = "NULL";
    }

    p.IdDepositoDestino =
        Blanco(p.IdDepositoDestino) ? "NULL" : Literal(F().AjustaAncho(vb::Trim(p.IdDepositoDestino), 4), "'");
}

// A production document numbers its new rows after the ones it already has.
void SecuenciaInicial(Posteo& p) {
    p.Secuencia = 0;
    if (!p.produccion) return;
    std::string sql = "SELECT MAX(SECUENCIA) AS MAX_SECUENCIA FROM V_MV_STOCK WHERE TC = " +
                      foundation::SqlText(F().AjustaAncho(vb::Trim(p.TC), 4)) +
                      " AND IDCOMPROBANTE = " + foundation::SqlText(p.SucNroLetra);
    adodb::Recordset rs;
    foundation::DB_Dll& db = foundation::Db();
    db.AbrirRecordset(sql, rs);
    double maximo = 0;
    if (rs.State() == adodb::adStateOpen && !rs.EOF()) {
        maximo = F().TextoADoble(vb::TextOf(F().ValorCampo(rs.Fields(0))));
    }
    db.CierraRecordset(rs);
    p.Secuencia = vb::CInt(maximo);
    if (p.Secuencia != 0) IncrementaSecuencia(p);
}

// ---- Entries of a row ------------------------------------------------------------

// The stock accounting entry of the document (SoloRegistro 0) or of one row,
// built from copies: GeneraAsientoStock rewrites its arguments. The rows of
// a document are booked under an entry of its own, opened at the first row
// booked; their lines number on from row to row. A document that cannot be
// booked (already booked, no entry number) is refused.
std::string AsientoStock(Posteo& p, int TipoMov, long SoloRegistro) {
    std::string motivo = p.IdMotivoStock;
    std::string tc = p.TC;
    std::string sucursal = vb::Mid(p.SucNroLetra, 1, 4);
    std::string numero = vb::Mid(p.SucNroLetra, 5, 8);
    std::string letra = vb::Mid(p.SucNroLetra, 13, 1);
    std::string fecha = p.Fecha;
    bool esDebito = true;
    int secuencia = 1;
    std::string rechazo;
    const ModoAsiento modo{.sigue = p.asientoAbierto,
                           .otroAsientoPermitido = p.produccion,
                           .explicaRechazo = p.GeneraSentenciaSQL};
    std::string asiento = ArmaAsientoStock(p.cmn, p.asiento, modo, p.grilla, motivo, tc, sucursal, numero, letra,
                                           fecha, esDebito, TipoMov, SoloRegistro, secuencia, &rechazo);
    if (!rechazo.empty()) {
        RechazaDocumento(p, rechazo);
        return {};
    }
    if (!asiento.empty()) p.asientoAbierto = true;
    return asiento;
}

using Entradas = std::vector<Entrada>;

vb::Currency CantidadDe(const std::string& texto) { return F().TextoAMoneda(texto); }
vb::Currency CantidadLinea(const Posteo& p) { return CantidadDe(Celda(p, kColCantidad)); }

bool TieneChr255(const std::string& texto) { return texto.find(vb::kChr255) != std::string::npos; }

// A quantity of a pick list: a number, or blank ("-" stands for a blank cell).
bool CantidadLegible(const std::string& texto) {
    const std::string valor = vb::Trim(texto);
    return valor.empty() || valor == "-" || F().EsNumero(valor);
}

// Whether a list is a list of quantities: some token, each a quantity.
bool EsListaDeCantidades(const std::string& lista) {
    const std::vector<std::string> tokens = lots::TokensDeLista(lista);
    return std::any_of(tokens.begin(), tokens.end(), [](const std::string& t) { return !Blanco(t); }) &&
           std::all_of(tokens.begin(), tokens.end(), CantidadLegible);
}

// Token j (from 0) of a list's tokens; empty beyond the last.
std::string TokenEn(const std::vector<std::string>& tokens, std::size_t j) {
    return j < tokens.size() ? tokens[j] : std::string();
}

// A lot or serial as stored: fitted, and without character 255, the
// separator of a pick token, which no stored code keeps. ("|" never reaches
// here: it ends a token.)
std::string CodigoGuardado(const std::string& codigo) { return Ajustado25(vb::Replace(codigo, vb::kChr255, "")); }

// An entry of a lot and a serial already apart.
Entrada EntradaDe(const std::string& lote, const std::string& serie, vb::Currency cantidad) {
    return {CodigoGuardado(lote), CodigoGuardado(serie), cantidad};
}

// An entry of an incoming line's lot and serial tokens. A token holding
// character 255 is a pick token: lot before its first one, serial after it.
Entrada EntradaDeTokens(std::string lote, std::string serie, vb::Currency cantidad) {
    if (TieneChr255(serie)) {
        lots::LoteSerie partes = lots::PartesDeToken(serie);
        lote = std::move(partes.Lote);
        serie = std::move(partes.Serie);
    } else if (TieneChr255(lote)) {
        lots::LoteSerie partes = lots::PartesDeToken(lote);
        lote = std::move(partes.Lote);
        if (Blanco(serie)) serie = std::move(partes.Serie);
    }
    return EntradaDe(lote, serie, cantidad);
}

// A pick list: every token of column 21 (lot, character 255, serial) with
// its own quantity of column 22, repeated keys included; what the picks
// leave of the line goes as one entry without a lot. A size keeps its code
// as the lot and no serial. Picks beyond the line or below 0, a quantity
// that is no number, or more quantities than picks (a list shifted by a
// stray separator) refuse the line.
Entradas EntradasDeSeleccion(Posteo& p, bool talle) {
    const std::vector<std::string> tokens = lots::TokensDeLista(Celda(p, kColAuxNroLote));
    const std::vector<std::string> cantidades = lots::TokensDeLista(Celda(p, kColAuxNroSerie));
    const vb::Currency linea = CantidadLinea(p);
    if (!tokens.empty() && cantidades.size() > tokens.size()) {
        RechazaLinea(p, "tiene más cantidades que lotes, series o talles: sus listas no se corresponden.");
        return {};
    }
    Entradas entradas;
    vb::Currency tomado;
    for (std::size_t j = 0; j < tokens.size(); ++j) {
        const std::string texto = TokenEn(cantidades, j);
        if (!CantidadLegible(texto)) {
            RechazaLinea(p, "tiene la cantidad \"" + vb::Trim(texto) +
                                "\", que no es un número, en sus lotes, series o talles.");
            return {};
        }
        const std::optional<vb::Currency> guardable = NumeroGuardable(texto);
        if (!guardable) {
            RechazaLinea(p, "tiene la cantidad \"" + vb::Trim(texto) +
                                "\", demasiado grande para grabarla, en sus lotes, series o talles.");
            return {};
        }
        const vb::Currency cantidad = *guardable;
        if (cantidad < vb::Currency()) {
            RechazaLinea(p, "tiene una cantidad negativa en sus lotes, series o talles.");
            return {};
        }
        if (cantidad == vb::Currency()) continue;
        const lots::LoteSerie partes = lots::PartesDeToken(tokens[j]);
        entradas.push_back(EntradaDe(partes.Lote, talle ? std::string() : partes.Serie, cantidad));
        tomado += cantidad;
    }
    if (entradas.empty()) return {EntradaDe("", "", linea)};
    if (tomado > linea) {
        RechazaLinea(p, "tiene " + vb::CStr(tomado) + " en sus lotes, series o talles, más que su cantidad (" +
                            vb::CStr(linea) + ").");
        return {};
    }
    if (tomado < linea) entradas.push_back(EntradaDe("", "", linea - tomado));
    return entradas;
}

// An incoming line's list of lots or serials as the posting reads it: a
// token "-" (a cell the lot dialog left blank) is blank, and a list without
// any lot or serial ("|", "||", "|-|-|") is no list at all.
std::string ListaDeCodigos(const std::string& lista) {
    std::string codigos = "|";
    bool alguno = false;
    for (const std::string& token : lots::TokensDeLista(lista)) {
        const bool blanco = Blanco(token) || vb::Trim(token) == "-";
        codigos += (blanco ? std::string() : token) + "|";
        alguno = alguno || !blanco;
    }
    return alguno ? codigos : std::string();
}

// Whether an incoming line lists its units one by one: the serials of an
// article with serials, or several lots or serials. The lists are the
// line's, read by ListaDeCodigos.
bool PorUnidad(Posteo& p, const std::string& lotes, const std::string& series) {
    if (CantidadLinea(p) <= vb::Currency()) return false;
    if (Bandera(p, kColAuxPideSerie)) return !series.empty() || p.cmn.Cuenta_Series_Lotes(series, lotes, true) > 1;
    return p.cmn.Cuenta_Series_Lotes(series, lotes, false) > 1;
}

// One entry of one unit per position of the lists (the lot and the serial of
// that position); the units no position covers go in as one entry.
Entradas EntradasPorUnidad(const Posteo& p, const std::string& listaLotes, const std::string& listaSeries) {
    const std::vector<std::string> lotes = lots::TokensDeLista(listaLotes);
    const std::vector<std::string> series = lots::TokensDeLista(listaSeries);
    const vb::Currency unidad = vb::Currency::FromTicks(10000);
    vb::Currency resto = CantidadLinea(p);
    Entradas entradas;
    for (std::size_t j = 0; j < std::max(lotes.size(), series.size()) && resto > vb::Currency(); ++j) {
        const vb::Currency cantidad = std::min(unidad, resto);
        entradas.push_back(EntradaDeTokens(TokenEn(lotes, j), TokenEn(series, j), cantidad));
        resto -= cantidad;
    }
    if (resto > vb::Currency()) entradas.push_back(EntradaDe("", "", resto));
    return entradas;
}

// The lot given to incoming entries without one; a fixed lot holding a
// list separator refuses the line.
std::string LoteFijo(Posteo& p) {
    if (p.LoteFijo.find('|') != std::string::npos || TieneChr255(p.LoteFijo)) {
        RechazaLinea(p, "no puede tomar el lote fijo \"" + p.LoteFijo +
                            "\": un lote no puede contener los caracteres \"|\" ni \"" + vb::kChr255 + "\".");
        return {};
    }
    return CodigoGuardado(p.LoteFijo);
}

// The entries of an incoming line, perishable or not: its lots (and
// serials) one token a unit, or one lot for the whole line; entries without
// a lot take the fixed lot. Sizes, and pick tokens that come with their
// quantities, are posted as picks.
Entradas EntradasDeIngreso(Posteo& p) {
    const std::string lotes = ListaDeCodigos(Celda(p, kColAuxNroLote));
    const std::string series = ListaDeCodigos(Celda(p, kColAuxNroSerie));
    const bool talle = Bandera(p, kColAuxPideTalle);
    if (talle && lotes.empty()) return {EntradaDeTokens("", p.cmn.ExtraeSerieLote(series, 1), CantidadLinea(p))};
    if (talle || (TieneChr255(lotes) && EsListaDeCantidades(Celda(p, kColAuxNroSerie)))) {
        return EntradasDeSeleccion(p, talle);
    }

    Entradas entradas = PorUnidad(p, lotes, series)
                            ? EntradasPorUnidad(p, lotes, series)
                            : Entradas{EntradaDeTokens(p.cmn.ExtraeSerieLote(lotes, 1),
                                                       p.cmn.ExtraeSerieLote(series, 1), CantidadLinea(p))};
    for (Entrada& entrada : entradas) {
        if (Blanco(entrada.lote) && !Blanco(p.LoteFijo)) entrada.lote = LoteFijo(p);
        if (p.detenido) return {};
    }
    return entradas;
}

// The entries of the row in this pass; their quantities add up to the
// line's. A transfer moves in both passes what its pick lists took.
Entradas EntradasDeLinea(Posteo& p) {
    if (p.signo == 0) return {EntradaDe("", "", CantidadLinea(p))};
    if (p.signo == -1 && Blanco(Celda(p, kColAuxPideTalle))) p.grilla.SetTextMatrix(p.fila, kColAuxPideTalle, "0");
    if (p.signo == -1 || p.EsTransferencia) return EntradasDeSeleccion(p, Bandera(p, kColAuxPideTalle));
    return EntradasDeIngreso(p);
}

// A row with an article code whose quantity is too large to keep is refused.
bool FilaSePostea(Posteo& p) {
    if (!Blanco(Celda(p, kColCodigo)) && !NumeroGuardable(Celda(p, kColCantidad))) {
        RechazaLinea(p, "tiene la cantidad \"" + vb::Trim(Celda(p, kColCantidad)) +
                            "\", demasiado grande para grabarla.");
        return false;
    }
    if (!EsLinea(p)) return false;
    if (!p.produccion) return true;
    const bool marcada = Celda(p, kColAuxCantidadInsumo) == "-1";
    return p.pasada == 1 ? marcada : !marcada;
}

void PosteaEntrada(Posteo& p, const Entrada& entrada) {
    Paso(p, [&] {
        IncrementaSecuencia(p);
        p.entrada = entrada;
        ui::DoEvents();
    });
    std::string sentencia = "INSERT INTO V_MV_STOCK";
    PasoConNumeros(p, [&] { ArmaLineaMovimiento(p); });
    Paso(p, [&] {
        foundation::ArmaInsert(sentencia, foundation::gCamposInsert, true);
        ui::DoEvents();
        if (p.MuestraCartel) {
            helpers::gCartel().ActualizaCartel(
                false, kTituloCartelFila, vb::Trim(Celda(p, kColCodigo)) + "  " + Celda(p, kColDescripcion),
                std::to_string(p.fila) + " de " + std::to_string(p.grilla.Rows() - 1));
        }
    });
    std::string asiento;
    if (!p.GeneraSentenciaSQL && !p.filasConAsiento.contains(p.fila)) {
        // The row's accounting statements go with its first written entry.
        PasoConNumeros(p, [&] {
            asiento = AsientoStock(p, 0, p.fila);
            p.filasConAsiento.insert(p.fila);
        });
    }
    const std::string linea = LineaDelDocumento(p);
    Paso(p, [&] { EjecutaOAgrega(p, sentencia, "el movimiento de stock de " + linea); });
    if (!asiento.empty()) Paso(p, [&] { Ejecuta(p, asiento, "el asiento de " + linea, true); });
}

void PosteaFila(Posteo& p) {
    Entradas entradas;
    PasoConNumeros(p, [&] { entradas = EntradasDeLinea(p); });
    for (const Entrada& entrada : entradas) PosteaEntrada(p, entrada);
}

// ---- End of the posting ---------------------------------------------------------

void TipoAsientoStock(Posteo& p) {
    const std::string origen = CodigoOrigen(p);
    if (vb::Equals(p.TC, "IR") && vb::Equals(origen, "OC")) p.TipoMov = 5;
    else if (vb::Equals(p.TC, "RMC")) p.TipoMov = 5;
    else if (vb::Equals(p.TC, "IR") && vb::Equals(origen, "RM")) p.TipoMov = 4;
    else if (vb::Equals(p.TC, "RM") && p.comodato) p.TipoMov = 2;
    else if (vb::Equals(p.TC, "RM") && vb::Equals(CfgValor("CuentaCtroDist"), p.cuenta)) p.TipoMov = 3;
    else if (vb::Equals(p.TC, "RM")) p.TipoMov = 1;
}

void AsientoDelDocumento(Posteo& p) {
    p.SQLTemp += std::string(vb::kCr) + AsientoStock(p, p.TipoMov, 0);
    ui::DoEvents();
}

// One line of the posting in the error log.
void AnotaEnElRegistro(const std::string& texto, int respuesta) {
    helpers::AppendErrorLog(helpers::ErrorLogPath(foundation::Db().gLogErr),
                            helpers::ErrorLogLine(vb::Now().Parts(), " - ActualizaStock", texto, respuesta));
}

// The "PE" numbers an abandoned posting took go back to their ranges, the
// latest first, where no unit undoes them (a batch built outside a
// transaction); a number another station passed meanwhile stays unused. A
// number that could not go back (a busy database) is left unused, and the
// error log says so.
void DevuelveNumeros(const Posteo& p) {
    for (auto numero = p.numerosPE.rbegin(); numero != p.numerosPE.rend(); ++numero) {
        try {
            numbering::DevuelveNumeroComprobante("PE", *numero);
        } catch (...) {
            const vb::Error error = vb::CurrentError();
            AnotaEnElRegistro("No se devolvió a su talonario el número de " +
                                  NombreComprobante("PE", vb::Mid(*numero, 1, 4), vb::Mid(*numero, 5, 8),
                                                    vb::Mid(*numero, 13, 1)) +
                                  ": " + error.Description(),
                              0);
        }
    }
}

// The document's part of a caller's batch is handed out: the user is told
// which documents a refusal of the batch left unrecorded. Its first stock
// row marks it (its entry's first line marks the entry).
void EntregaDocumento(const Posteo& p, const std::string& parte) {
    const std::size_t inicio = parte.find("INSERT INTO V_MV_STOCK");
    if (inicio == std::string::npos) return;
    const std::size_t fin = parte.find(vb::kCr, inicio);
    Entrega({.documento = ClaveDocumento(p.TC, vb::Mid(p.SucNroLetra, 1, 4), vb::Mid(p.SucNroLetra, 5, 8),
                                         vb::Mid(p.SucNroLetra, 13, 1)),
             .comprobante = NombreComprobante(p),
             .asiento = p.asientoAbierto ? p.asiento : AsientoAbierto{},
             .marcas = {parte.substr(inicio, fin == std::string::npos ? std::string::npos : fin - inicio)},
             .explica = true});
}

// The numbering's notice kept for after the posting's unit: the discharge
// type has no range to record its number in.
void AvisaSinTalonariosPE(const Posteo& p) {
    if (!p.sinTalonariosPE) return;
    try {
        numbering::AvisaSinTalonarios();
    } catch (const vb::Error&) {
        // No box could be shown; the document is not concerned.
    }
}

// Tells the user, and the error log, why the document was not recorded.
void AvisaRechazo(const Posteo& p) {
    if (p.rechazo.empty()) return;
    int respuesta = 0;
    try {
        respuesta = ui::MsgBox(p.rechazo, ui::vbOKOnly | ui::vbCritical, p.tituloRechazo);
    } catch (const vb::Error&) {
        // No box could be shown; the log line below still records the refusal.
    }
    AnotaEnElRegistro(p.rechazo, respuesta);
}

}  // namespace

// ---- Shared pieces ---------------------------------------------------------------

// The text the user reads when the database refused part of the document:
// the entry's number taken by another station, or what was refused.
std::string RechazoDeLaBase(Posteo& p, const std::string& que, bool esAsiento) {
    const adodb::Errors& errores = foundation::Db().gCnn.Errors();
    const RechazoBase rechazo = errores.Count() > 0 ? RechazoBase{errores.Item(0).Number, errores.Item(0).NativeError,
                                                                 errores.Item(0).Description}
                                                    : RechazoBase{};
    if (esAsiento && rechazo.Repeticion()) {
        if (std::string tomado = AsientoTomado(p.asiento); !tomado.empty()) return tomado;
    }
    return TextoRechazoDeLaBase(que, rechazo, false) + " No se guardó nada del comprobante.";
}

bool RechazoBase::Repeticion() const {
    // SQLite's unique and primary key, SQL Server's unique index and key.
    constexpr long kUnica = 2067, kClave = 1555, kIndiceServidor = 2601, kClaveServidor = 2627;
    return numero == adodb::kErrIntegrityViolation &&
           (nativo == kUnica || nativo == kClave || nativo == kIndiceServidor || nativo == kClaveServidor);
}

std::string RechazoBase::Motivo(bool enElLote) const {
    // SQLite's extended codes of a constraint; SQL Server's native numbers.
    constexpr long kDisparador = 1811, kObligatorio = 1299, kReferencia = 787, kCondicion = 275;
    constexpr long kObligatorioServidor = 515, kCondicionServidor = 547;
    const std::string aviso = " con el aviso \"" + vb::Trim(descripcion) + "\"";
    if (numero == adodb::kErrRaised) return aviso;
    if (numero != adodb::kErrIntegrityViolation) return {};
    if (Repeticion()) {
        return enElLote ? " por llevar dos veces, en el mismo lote, datos que no pueden repetirse"
                        : " por repetir datos ya grabados";
    }
    switch (nativo) {
        case kDisparador: return aviso;
        case kObligatorio:
        case kObligatorioServidor: return " por faltarle un dato obligatorio";
        case kReferencia: return " por referirse a datos que no existen";
        case kCondicion:
        case kCondicionServidor: return " por un dato que no cumple una condición de la base";
        default: return " por no cumplir una regla de la base";
    }
}

std::string TextoRechazoDeLaBase(const std::string& que, const RechazoBase& rechazo, bool enElLote) {
    return "la base de datos rechazó " + que + rechazo.Motivo(enElLote) +
           " (el detalle quedó en el registro de errores).";
}

bool Ejecuta(Posteo& p, std::string sentencia, const std::string& que, bool esAsiento) {
    foundation::DB_Dll& db = foundation::Db();
    long filas = 0;
    const bool corrio = db.EjecutaConsultaSQL(sentencia, filas);
    ui::DoEvents();
    if (corrio && db.gCnn.Errors().Count() == 0) return true;
    RechazaDocumento(p, RechazoDeLaBase(p, que, esAsiento), "Aviso al operador");
    return false;
}

void Paso(Posteo& p, const std::function<void()>& paso) {
    if (!vb::RunStep(paso, ManejaErrorPosteo)) throw PosteoAbandonado{};
    if (p.detenido) throw PosteoAbandonado{};
}

void PasoConNumeros(Posteo& p, const std::function<void()>& paso) {
    Paso(p, [&] {
        try {
            paso();
        } catch (const vb::Error& error) {
            if (error.Number() != vb::kErrOverflow) throw;
            const bool enFila = p.fila >= 1 && p.fila < p.grilla.Rows();
            RechazaDocumento(p, (enFila ? LineaDelDocumento(p) + " tiene" : std::string("tiene")) +
                                    " un número demasiado grande para grabarlo.");
        }
    });
}

helpers::ClsFunciones& F() { return helpers::gFunciones(); }

void Agrega(const char* columna, std::string literal) {
    foundation::gCamposInsert.push_back({columna, std::move(literal)});
}

const std::string& Celda(const Posteo& p, int columna) { return p.grilla.TextMatrix(p.fila, columna); }

bool Blanco(const std::string& texto) { return vb::Trim(texto).empty(); }

bool EsLinea(const Posteo& p) {
    return !Blanco(Celda(p, kColCodigo)) && F().TextoAMoneda(Celda(p, kColCantidad)).Ticks() != 0;
}

std::string NombreComprobante(const Posteo& p) {
    if (Blanco(p.SucNroLetra)) return vb::Trim(p.TC);
    return NombreComprobante(p.TC, vb::Mid(p.SucNroLetra, 1, 4), vb::Mid(p.SucNroLetra, 5, 8),
                             vb::Mid(p.SucNroLetra, 13, 1));
}

void RechazaDocumento(Posteo& p, const std::string& motivo, const char* titulo) {
    if (p.rechazo.empty()) {
        p.rechazo = "No se grabó el stock del comprobante " + NombreComprobante(p) + ": " + motivo;
        p.tituloRechazo = titulo;
    }
    p.detenido = true;
}

std::string LineaDelDocumento(const Posteo& p) {
    return "la línea " + std::to_string(p.fila) + " (artículo " + vb::Trim(Celda(p, kColCodigo)) + ")";
}

void RechazaLinea(Posteo& p, const std::string& motivo) { RechazaDocumento(p, LineaDelDocumento(p) + " " + motivo); }

bool Bandera(const Posteo& p, int columna) { return foundation::TextoABoolean(vb::Trim(Celda(p, columna))); }

std::string Literal(const std::string& valor, const char* tipo) {
    return vb::TextOf(foundation::Db().SQLValue(vb::Variant(valor), tipo));
}

std::string LiteralTexto(const std::string& valor) { return Literal(valor, "'"); }

std::string LiteralNumero(double valor) { return Literal(vb::CStr(valor), "@"); }

std::string LiteralCantidad(vb::Currency cantidad, int factor) {
    return Literal(vb::CStr(vb::Currency::FromTicks(cantidad.Ticks() * factor)), "@");
}

std::string LiteralPreparado(const std::string& preparado) {
    return EsElDelGrid(preparado) ? std::string("NULL") : preparado;
}

std::string LiteralComplemento(const std::string& IdComplemento) {
    const std::string numero = vb::Trim(IdComplemento);
    const std::size_t desde = (!numero.empty() && numero.front() == '-') ? 1 : 0;
    const bool entero = numero.size() > desde && numero.size() - desde <= 18 &&
                        numero.find_first_not_of("0123456789", desde) == std::string::npos;
    if (!entero) vb::Raise(vb::kErrTypeMismatch, "El complemento del comprobante '" + IdComplemento + "' no es un número entero");
    return numero;
}

std::string DescripcionLinea(const Posteo& p) {
    std::string descripcion = vb::Trim(Celda(p, kColDescripcion));
    if (vb::Len(descripcion) > 100) descripcion = vb::Left(descripcion, 100);
    return F().QuitaCaracteres(descripcion, "'");
}

void ParesCantidadUD(const Posteo& p, int columnaCantidad, int columnaUnidad, int factor) {
    Agrega("CantidadUD", LiteralCantidad(F().TextoAMoneda(Celda(p, columnaCantidad)), factor));
    Agrega("IdUnidadBase", LiteralTexto(Celda(p, columnaUnidad)));
}

void IncrementaSecuencia(Posteo& p) {
    if (p.Secuencia == INT16_MAX) vb::Raise(vb::kErrOverflow, "El comprobante pasa de 32767 movimientos de stock");
    ++p.Secuencia;
}

bool EjecutaOAgrega(Posteo& p, std::string sentencia, const std::string& que) {
    if (p.GeneraSentenciaSQL) {
        p.SQLTemp += std::string(vb::kCr) + sentencia;
        return true;
    }
    return Ejecuta(p, std::move(sentencia), que);
}

}  // namespace posting::detail

namespace documents {

void ClsCmnCptes::ActualizaStock(ui::FlexGrid& MSFlexGrid2, std::string TC, std::string SucNroLetra,
                                 std::string IdComplemento, const std::string& Fecha, std::string* IdDeposito,
                                 std::string* IdDepositoDestino, std::string* IdMotivoStock, std::string* TcOrigen,
                                 std::string* ComprobanteOrigen, bool EsTransferencia, const std::string& Cuenta,
                                 bool GeneraSentenciaSQL, std::string* SQLTemp, bool* HayError,
                                 const std::string& IdTecnico, const std::string& LoteFijo, const std::string& Aduana,
                                 const std::string& LoteOrigen, int SignoRemota, bool MuestraCartel,
                                 const std::string& IdVendedor) {
    using namespace posting::detail;

    // Arguments the caller left out are worked on in locals.
    std::string deposito, destino, motivo, tcOrigen, cpteOrigen, lotePropio;
    bool hayErrorPropio = false;
    bool& hayError = HayError != nullptr ? *HayError : hayErrorPropio;

    Posteo p{
        .cmn = *this,
        .grilla = MSFlexGrid2,
        .TC = std::move(TC),
        .SucNroLetra = std::move(SucNroLetra),
        .IdComplemento = std::move(IdComplemento),
        .Fecha = Fecha,
        .IdDeposito = IdDeposito != nullptr ? *IdDeposito : deposito,
        .IdDepositoDestino = IdDepositoDestino != nullptr ? *IdDepositoDestino : destino,
        .IdMotivoStock = IdMotivoStock != nullptr ? *IdMotivoStock : motivo,
        .TcOrigen = TcOrigen != nullptr ? *TcOrigen : tcOrigen,
        .ComprobanteOrigen = ComprobanteOrigen != nullptr ? *ComprobanteOrigen : cpteOrigen,
        .EsTransferencia = EsTransferencia,
        .GeneraSentenciaSQL = GeneraSentenciaSQL,
        .SQLTemp = SQLTemp != nullptr ? *SQLTemp : lotePropio,
        .SQLTempDelLlamador = SQLTemp != nullptr,
        .IdTecnico = IdTecnico,
        .LoteFijo = LoteFijo,
        .Aduana = Aduana,
        .LoteOrigen = LoteOrigen,
        .SignoRemota = SignoRemota,
        .MuestraCartel = MuestraCartel,
        .IdVendedor = IdVendedor,
        .Cuenta = Cuenta,
        .asiento = {.numero = NroAsientoStock_, .documento = CpteAsientoStock_, .secuencia = SecuenciaAsientoStock_},
    };
    const std::string loteInicial = p.SQLTemp;
    std::optional<adodb::DbSavepoint> unidad;

    try {
        // ---- Set-up
        Paso(p, [&] {
            if (p.MuestraCartel) helpers::gCartel().AbreCartel(kTituloCartel, false);
            p.cuenta = Cuenta;
            p.TipoMov = 0;
        });
        // A document without a number is never stored (the numbering that
        // could not give one has told the user why).
        if (Blanco(p.SucNroLetra)) {
            RechazaDocumento(p, "no tiene número.");
            throw PosteoAbandonado{};
        }
        Paso(p, [&] { PreparaOrigen(p); });
        Paso(p, [&] {
            p.signo = p.SignoRemota != 0 ? p.SignoRemota : ObtieneSignoComprobante(p.TC, false);
            ui::DoEvents();
        });
        Paso(p, [&] {
            const vb::Variant sistema = foundation::Db().DatosTabla("V_TA_CPTE", p.TC, "SISTEMA", "Codigo", 8, "", true);
            p.compras = vb::Equals(vb::TextOf(sistema), "COMPRAS");
            p.produccion = vb::Equals(p.TC, "OP");
        });
        Paso(p, [&] { PreparaDepositosYMotivo(p); });
        const int pasadas = (p.EsTransferencia || p.produccion) ? 2 : 1;
        if (p.produccion) p.IdDepositoDestino = p.IdDeposito;
        // Immediate mode records the whole document or none of it, in a unit
        // of its own begun once the set-up's reads (and any box they show) are
        // done; numbers taken while posting go back with it. Batch mode only
        // builds text and holds no write lock of its own: inside a caller's
        // transaction a savepoint still undoes what it took.
        Paso(p, [&] {
            adodb::Connection& conexion = foundation::Db().gCnn;
            if (!p.GeneraSentenciaSQL || conexion.InTransaction()) unidad.emplace(conexion);
        });
        if (!unidad && !p.GeneraSentenciaSQL) throw PosteoAbandonado{};  // never run outside its unit
        Paso(p, [&] { FechaRecepcion(p); });
        Paso(p, [&] { SecuenciaInicial(p); });

        // ---- Passes, rows and entries
        for (p.pasada = 1; p.pasada <= pasadas; ++p.pasada) {
            if (p.EsTransferencia) p.signo = p.pasada == 1 ? -1 : 1;
            if (p.produccion) p.signo = p.pasada == 1 ? 1 : -1;
            int filas = 0;
            Paso(p, [&] { filas = p.grilla.Rows(); });
            for (p.fila = 1; p.fila < filas; ++p.fila) {
                bool postea = false;
                Paso(p, [&] { postea = FilaSePostea(p); });
                if (postea) PosteaFila(p);
            }
        }

        // ---- Discharge of inputs, end
        ui::DoEvents();
        DescargaInsumos(p, false);
        if (p.EsTransferencia) {
            p.signo = -p.signo;
            p.pasada = 3;
            DescargaInsumos(p, true);
        }
        helpers::gCartel().CierraCartel();
        if (p.GeneraSentenciaSQL) {
            Paso(p, [&] { TipoAsientoStock(p); });
            PasoConNumeros(p, [&] { AsientoDelDocumento(p); });
        }
        bool confirmada = false;
        Paso(p, [&] {
            if (unidad) unidad->Commit();
            confirmada = true;
        });
        // A commit passed over (answer 5) wrote nothing: the unit rolls back,
        // and the posting is a failure like any other.
        if (!confirmada) throw PosteoAbandonado{};
        if (p.GeneraSentenciaSQL) EntregaDocumento(p, p.SQLTemp.substr(loteInicial.size()));
        // A later document counts on from the entry this one was booked under.
        NroAsientoStock_ = p.asiento.numero;
        CpteAsientoStock_ = p.asiento.documento;
        SecuenciaAsientoStock_ = p.asiento.secuencia;
        AvisaSinTalonariosPE(p);
    } catch (const PosteoAbandonado&) {
        // Nothing of an abandoned posting stays: the unit rolls back (its
        // lock released with it), numbers taken outside a unit go back, and
        // the batch is given back as it came. Only then is the user told why.
        const bool conUnidad = unidad.has_value();
        unidad.reset();
        if (!conUnidad) DevuelveNumeros(p);
        if (p.asientoAbierto) Retira(p.asiento.documento, p.asiento.numero);
        RetiraDescargas(p);
        helpers::gCartel().CierraCartel();
        p.SQLTemp = loteInicial;
        hayError = true;
        AvisaSinTalonariosPE(p);
        AvisaRechazo(p);
    }
}

}  // namespace documents
