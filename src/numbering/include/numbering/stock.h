// Unit equivalences, lots and inputs of an article, and stock balances.
//
// These functions read the article master (V_MA_ARTICULOS), the unit
// equivalences (S_TA_EQUIV), the inputs of an article (V_MA_INSUMOS), the lot
// balances (STK_SERIES_Y_LOTES) and the stock balances (STK_SALDOS_UNIDADES,
// STK_STOCK_UDKG) through foundation::Db() on the session's connection.
// Codes are fitted to their column widths (articles 25, units and depots 4)
// and go into SQL as literals with their apostrophes doubled.
//
// Contract: user-interface thread only. The sign of a document type and the
// pending quantity of a document line are members of
// documents::ClsCmnCptes (ObtieneSignoComprobante, CantRepartoPend).
#pragma once

#include <string>
#include <vector>

namespace ui {
class FlexGrid;
}

namespace numbering {

// Width of ItemCantidad::CodigoItem and ItemCantidad::UnidadItem.
inline constexpr int kAnchoCodigoItem = 25;
inline constexpr int kAnchoUnidadItem = 4;

// One element of a lots array (ArticuloTieneLotes) or an inputs array
// (IdArticuloTieneInsumos). The two texts have fixed widths: a filled element
// holds its values padded with blanks on the right (longer values cut); an
// element that was added but never filled holds only NUL characters ("\0")
// in both texts and a quantity of 0.
struct ItemCantidad {
    std::string CodigoItem = std::string(kAnchoCodigoItem, '\0');  // lot or input article
    std::string UnidadItem = std::string(kAnchoUnidadItem, '\0');  // input's unit; blanks in a lot
    double CantidadItem = 0;
};

// Marker passed in place of a depot: each grid line carries its own.
inline constexpr const char* kElDelGrid = "ELDELGRID";

// ---- Unit equivalences ------------------------------------------------------

// The article's base unit (IDUNIDAD of V_MA_ARTICULOS), trimmed; "" when the
// article has no master row or no unit. Failures reach the caller.
std::string ObtieneUnidadArticulo(const std::string& IdArticulo);

// Whether S_TA_EQUIV holds a row joining IdUnidad (the article's base unit
// when empty; written back) and IdUnidadEquiv. A row from IdUnidad to
// IdUnidadEquiv gives Operacion "/", one the other way "*"; Coeficiente
// receives the row's coefficient (0 when none). SinUnidad is true when no
// unit could be taken (the result is then false). Errors go to the error
// routine ("IdArticuloTieneEquivalencias").
bool IdArticuloTieneEquivalencias(const std::string& IdArticulo, const std::string& IdUnidadEquiv,
                                  std::string& Operacion, std::string& IdUnidad, double& Coeficiente,
                                  bool& SinUnidad);

// Cantidad, expressed in UnidadDesde, converted into UnidadHasta: 0 for a
// quantity of 0, the quantity itself for equal units (case ignored, blanks
// significant), 0 without an equivalence (or with a coefficient of 0).
// A blank UnidadDesde is replaced by the article's base unit (in-out).
// Failures reach the caller.
double ConvierteCantidadUnidad(const std::string& IdArticulo, std::string& UnidadDesde, double Cantidad,
                               const std::string& UnidadHasta);
// The same for a caller that does not want the base unit written back.
double ConvierteCantidadUnidad(const std::string& IdArticulo, const std::string& UnidadDesde, double Cantidad,
                               const std::string& UnidadHasta);

// The twin for the other direction: Cantidad, expressed in UnidadDesde (the
// fourth argument), converted into UnidadHasta (the second). A blank
// UnidadHasta is replaced by the article's base unit (in-out).
double ConvierteCantidadUnidadInversa(const std::string& IdArticulo, std::string& UnidadHasta, double Cantidad,
                                      const std::string& UnidadDesde);
double ConvierteCantidadUnidadInversa(const std::string& IdArticulo, const std::string& UnidadHasta,
                                      double Cantidad, const std::string& UnidadDesde);

// Writes the quantity of the articles grid's current row (article column 0,
// unit column 5, quantity column 7) converted into the configured units:
// column 63 gUnidadMedidaBL, 62 gUnidadMedidaM3, 64 gUnidadMedidaKG.
// Failures reach the caller.
void ActualizaCantidadesEquivalentes(ui::FlexGrid& Grilla);

// ---- Lots and inputs ----------------------------------------------------------

// Distributes Cantidad over the article's lots with stock in the depot, in
// lot-number order: whole lots while they fit, the remainder from the next
// lot, and an element with a blank lot for any shortfall (without lots, the
// whole quantity). No element has a quantity of 0, so a quantity of 0 gives
// an empty array. True when the article has a lot with stock in the depot.
// IdDeposito is a depot code or an SQL literal of one ("'0001'"); "NULL"
// finds no lots; kElDelGrid (case ignored) returns false at once leaving the
// array as it was. Errors go to the error routine ("ArticuloTieneLotes").
bool ArticuloTieneLotes(const std::string& IdArticulo, const std::string& IdDeposito,
                        std::vector<ItemCantidad>& LotesArticulo, double Cantidad);

// The inputs of an article (V_MA_INSUMOS), one element per row followed by
// one unfilled element; with SoloVerifica only the single unfilled element.
// True when the article has inputs. Errors go to the error routine
// ("IdArticuloTieneInsumos").
bool IdArticuloTieneInsumos(const std::string& IdArticulo, std::vector<ItemCantidad>& InsumosArticulo,
                            bool SoloVerifica);

// ---- Stock balances -------------------------------------------------------------

// The article's stock balance in the unit Equivalencia, in the depot or, for
// an empty depot, over all depots; with gUsaStkStockUdKg the balance in
// STK_STOCK_UDKG instead (the unit is not used). Stock is left unchanged for
// a blank article and is 0 when nothing is found. Errors go to the error
// routine ("ControlStock").
void ControlStock(const std::string& IdDeposito, const std::string& IdArticulo, const std::string& Equivalencia,
                  double& Stock);

}  // namespace numbering
