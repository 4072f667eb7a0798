// FrmLoteyPosicion: the position and lot dialog of one document line.
//
// Lists the article's positive balances in the depot by storage position
// (and lot), converted into the line's unit, plus the depot's balance that
// lies in no position ("DEPOSITO <depot>", always the last row). The user
// spreads the line's quantity over the rows (a proposal fills them when the
// line has no previous lists); the accept checks the total against Cantidad1
// and builds Posiciones (position "*" quantity tokens; the depot row gives an
// empty position) and, with lots, the parallel Lotes.
//
// Modes: EsPosicion and EsLote give positions-and-lots mode, EsPosicion alone
// positions mode; any other combination builds no list.
//
// The caller sets the public variables, calls CargaDatos, shows the form
// modally, reads Posiciones and Lotes and destroys the form. The balances are
// read once, at CargaDatos; nothing is written.
#pragma once

#include <string>
#include <vector>

#include "lots/frm_grilla_lotes.h"

namespace lots {

class FrmLoteyPosicion : public FrmGrillaLotes {
    Q_OBJECT

public:
    explicit FrmLoteyPosicion(QWidget* parent = nullptr);
    ~FrmLoteyPosicion() override;

    // ---- Public variables -----------------------------------------------------
    std::string Deposito;
    std::string IUNIDAD;                    // the line's unit
    bool MostrarForm = false;               // true: a short total may be accepted by adjusting
    bool EsConsultaDePosicionLote = false;  // the previous lists go back into the grid
    bool EsPosicion = false;
    bool EsSerie = false;                   // not read by the dialog
    bool EsLote = false;
    bool EsPosicionYLote = false;           // set by CargaDatos
    double Cantidad1 = 0;                   // the line's quantity; adjusted on accept
    std::string IdDeposito;                 // not read by the dialog
    std::string Articulo;
    std::string ArticuloDescripcion;
    std::string PosicionesAnteriores;
    std::string LotesAnteriores;
    std::string Posiciones;                 // result
    std::string Lotes;                      // result

    // ---- Operations -----------------------------------------------------------
    // Caption, label, grid and rows; every statement that fails is passed over.
    void CargaDatos();
    void InicializaGrid();
    void VerificaAnteriores();
    void CmdAceptar_Click() override;

protected:
    bool CeldaEditable(const ui::FlexGrid& Grilla) const override;
    bool EsColumnaCantidad(long Columna) const override;
    std::string PruebaCantidad(const std::string& Valor) override;
    int UltimaColumna() const override { return kColCantidad; }
    void MueveConEnter(ui::FlexGrid& Grilla, int ultima) override;
    bool ToolbarActua(const ui::FlexGrid& Grilla) const override;
    std::string TextoBlanqueado() const override { return "0"; }
    void ToolbarOtroBoton(int Index) override;
    int ColumnaCantidad() const override { return kColCantidad; }
    double CantidadPedida() const override { return Cantidad1; }

private:
    static constexpr int kColCantidad = 4;

    // Spreads Cantidad1 over the quantity column.
    void ProponeAutomaticamente();
    // The previous lists split into positions, quantities and lots.
    void DescomponePosicionLote(const std::string& Posicion_Lote, const std::string& PIPELotes,
                                std::vector<std::string>& ArrPosiciones, std::vector<std::string>& ArrCantidades,
                                std::vector<std::string>& ArrLote);

    int filaDeposito_ = -1;  // the depot row, when there is one
};

}  // namespace lots
