// Column numbers of the document-entry grids.
//
// The articles grid (GrillaArticulos) is a fixed, numbered record layout of 92 columns: the
// layout creates them, the loader writes them, and the checks, totals, lot dialogs, unit
// conversions and postings read and write them by number, never by title. Every cell holds
// text; flags are "-1" (true) and "0" or blank (false) unless noted. Spare columns carry
// nothing; they exist only to keep the numbering.
#pragma once

namespace entrygrids {

// ---- Articles grid (GrillaArticulos), 92 columns --------------------------------------------
inline constexpr int kColCodigo = 0;                     // article code (IdArticulo)
inline constexpr int kColDescripcion = 1;                // "Descripción"
inline constexpr int kColLista = 2;                      // price list (IDLista)
inline constexpr int kColEspesor = 3;                    // thickness, timber mode
inline constexpr int kColAncho = 4;                      // width, timber mode
inline constexpr int kColUnidad = 5;                     // "UD": unit of the line
inline constexpr int kColDeposito = 6;                   // "Dep.": depot of the line
inline constexpr int kColCantidad = 7;                   // "Cant.": quantity (pending part when loaded)
inline constexpr int kColAuxCoeficiente = 8;             // unit coefficient; "Largo" in timber mode
inline constexpr int kColLargo = 8;                      // same column, timber-mode name
inline constexpr int kColUnidadEquiv = 9;                // "UDEquiv": base unit
inline constexpr int kColCantidadEquiv = 10;             // "Cant. Equiv": quantity in base unit
inline constexpr int kColPorcDto = 11;                   // "% Dto.": discount percent
inline constexpr int kColUdPr = 12;                      // pricing unit, timber mode
inline constexpr int kColImporteUd = 13;                 // amount per pricing unit, timber mode
inline constexpr int kColImporte = 14;                   // "Importe": unit price
inline constexpr int kColTotal = 15;                     // "Total": line total
inline constexpr int kColAuxEsExento = 16;               // VAT-exempt flag
inline constexpr int kColAuxPrecioSinIVA = 17;           // price without VAT
inline constexpr int kColTotalConImpuestos = 18;         // "TOTAL": total shown, taxes included
inline constexpr int kColAuxPideSerie = 19;              // article asks for serial numbers
inline constexpr int kColAuxPidelote = 20;               // article asks for lots
inline constexpr int kColAuxNroLote = 21;                // lot list (|L1|L2|)
inline constexpr int kColAuxNroSerie = 22;               // serial list (|S1|S2|)
inline constexpr int kColAuxRestoPorAplicar = 23;        // quantity still to be applied
inline constexpr int kColAuxTipoArticulo = 24;           // article type code
inline constexpr int kColAuxRubroArticulo = 25;          // article category code
inline constexpr int kColAuxListaConIVA = 26;            // price list includes VAT
inline constexpr int kColAuxPrecioConIVA = 27;           // price including VAT
inline constexpr int kColAuxCantidadInsumo = 28;         // "-1" marks an input line
inline constexpr int kColAuxImporteDescuentoArticulo = 29;  // discount amount of the line
inline constexpr int kColAuxTipoCoeficiente = 30;        // kind of coefficient ("*")
inline constexpr int kColAuxStockDisponible = 31;        // available stock
inline constexpr int kColAuxStockMinimo = 32;            // minimum stock
inline constexpr int kColAuxTasaIVA = 33;                // VAT rate (AlicIVA)
inline constexpr int kColAuxCpteOrigen = 34;             // origin document type
inline constexpr int kColAuxIdCpteOrigen = 35;           // origin document number
inline constexpr int kColLoteOrigen = 36;                // origin reference (IdOrigen)
inline constexpr int kColLoteAduana = 37;                // customs lot / control reference
inline constexpr int kColAuxCosto = 38;                  // unit cost
inline constexpr int kColImpuestos = 40;                 // "Impuestos": taxes of the line
inline constexpr int kColAuxIdUnidadBase = 41;           // base unit of the line
inline constexpr int kColAuxIVARNI = 45;                 // posted as IVARNI
inline constexpr int kColAuxesperecedero = 46;           // perishable flag
inline constexpr int kColAuxDescTipoArticulo = 59;       // article-type description
inline constexpr int kColAuxPresentacion = 60;           // presentation
inline constexpr int kColAuxPideTalle = 61;              // asks for size and colour
inline constexpr int kColAuxCantUnidad1 = 62;            // quantity in UNIDADDEMEDIDA_M3
inline constexpr int kColAuxCantUnidad2 = 63;            // quantity in UNIDADDEMEDIDA_BL
inline constexpr int kColAuxCantUnidad3 = 64;            // quantity in UNIDADDEMEDIDA_KG
inline constexpr int kColAuxIdUnidadOriginal = 67;       // the line's unit as loaded
inline constexpr int kColAuxInsumosPorPorcentaje = 68;   // inputs go by percentage
inline constexpr int kColAuxIdCpteCargado = 69;          // stored document the line came from
inline constexpr int kColAuxCantidadUD = 74;             // quantity in the base unit
inline constexpr int kColAuxCodigoArtProveedor = 75;     // supplier's article code
inline constexpr int kColAuxPesable = 76;                // weighable flag
inline constexpr int kColAuxCodigoBarra = 77;            // bar code
inline constexpr int kColAuxPrecioLista = 79;            // list price
inline constexpr int kColAuxIdInsert = 80;               // posted as IDINSERT
inline constexpr int kColAuxIdCompulsa = 81;             // posted as IDCOMPULSA
inline constexpr int kColPideMedidas = 83;               // asks for measures ("1"/"0")
inline constexpr int kColLargoAnt = 84;                  // previous length
inline constexpr int kColAuxOferta = 85;                 // posted as Oferta
inline constexpr int kColMotivoStock = 86;               // stock-movement reason
inline constexpr int kColControladoPor = 87;             // control reference
inline constexpr int kColEnComodato = 88;                // line on loan ("1"/"0")
inline constexpr int kColMKBaseFamilia = 89;             // family base value
inline constexpr int kColCodError = 90;                  // error code of the line
inline constexpr int kColAuxCodigoPercepcion = 91;       // perception code

inline constexpr int kColsArticulos = 92;

// ---- Tasks grid (GrillaTareas), 16 columns --------------------------------------------------
inline constexpr int kTarCodigo = 0;
inline constexpr int kTarDescripcion = 1;
inline constexpr int kTarHoras = 2;
inline constexpr int kTarValorHora = 3;
inline constexpr int kTarTotal = 4;
inline constexpr int kTarAuxEsExento = 5;
inline constexpr int kTarImporteSinIVA = 6;
inline constexpr int kTarAuxObservAdic = 7;
inline constexpr int kTarAuxFechaInicio = 8;
inline constexpr int kTarAuxFechaFin = 9;
inline constexpr int kTarAuxIdTecnico = 10;
inline constexpr int kTarCodigoOriginal = 11;
inline constexpr int kTarAuxFechaREALInicio = 12;
inline constexpr int kTarAuxFechaREALFin = 13;
inline constexpr int kTarAuxCuentaContable = 14;
inline constexpr int kTarAuxTasaIVA = 15;

inline constexpr int kColsTareas = 16;

// ---- Other-concepts grid (GrillaOtrosConceptos), 6 columns ----------------------------------
inline constexpr int kOcDetalle = 0;
inline constexpr int kOcImporteSinIva = 1;
inline constexpr int kOcImporte = 2;
inline constexpr int kOcCuenta = 3;

inline constexpr int kColsOtrosConceptos = 6;

// ---- Count grid (GrillaCantidades), 3 columns -----------------------------------------------
inline constexpr int kCantDescripcion = 0;
inline constexpr int kCantItems = 1;
inline constexpr int kCantCantidad = 2;

inline constexpr int kColsCantidades = 3;

}  // namespace entrygrids
