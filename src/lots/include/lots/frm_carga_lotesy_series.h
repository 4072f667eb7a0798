// FrmCargaLotesySeries: the lot and serial dialog of one document line.
//
// Entry mode (an incoming line): one grid row per unit of the line's
// quantity, in which the user types each unit's serial, lot, both, or its
// size-colour-sex text. Results: Series and Lotes as lists (|t1|t2|), a blank
// cell written "-".
//
// Pick mode (EsConsultaDeSerieLote, an outgoing line): the depot's stock of
// the article by lot and serial, lowered by what other lines of the document
// took, with the quantity to take from each row (proposed automatically for
// a line without a previous pick). It opens on the first quantity cell. The
// stock shown leaves out what the line itself took. Results: Lotes, the pick
// tokens (lot, character 255, serial) of every row; Series, the parallel
// quantities, one per row; and Cantidad, adjusted when the user accepts a
// different total.
//
// The caller sets the public variables, calls CargaDatos, shows the form
// modally (or, in pick mode, calls CmdAceptar_Click without showing it),
// reads the results and destroys the form. F2 accepts from any control;
// cancel leaves the results as the line's previous lists. A code holding
// "|" or character 255, which would split its list, is refused.
// The stock is read once, at CargaDatos; nothing is written.
#pragma once

#include <string>

#include "lots/frm_grilla_lotes.h"

namespace lots {

class FrmCargaLotesySeries : public FrmGrillaLotes {
    Q_OBJECT

public:
    static constexpr int kTeclaF2 = 113;

    explicit FrmCargaLotesySeries(QWidget* parent = nullptr);
    ~FrmCargaLotesySeries() override;

    // ---- Public variables -----------------------------------------------------
    std::string Deposito;              // pick mode: depot of the stock query (fitted to 4)
    bool MostrarForm = false;          // pick mode: false when accepted unseen
    bool EsConsultaDeSerieLote = false;  // pick mode
    bool EsSerie = false;
    bool EsLote = false;
    bool EsSerieYLote = false;         // set by CargaDatos
    bool EsTalle = false;
    double Cantidad = 0;
    std::string IdDeposito;            // not used by the dialog
    std::string Articulo;              // pick mode: article of the stock query
    std::string ArticuloDescripcion;   // text of the article label
    std::string SeriesAnteriores;      // entry mode: the line's serials
    std::string LotesAnteriores;       // entry mode: the line's lots
    std::string Series;                // result; pick mode: also the previous quantities
    std::string Lotes;                 // result; pick mode: also the previous pick tokens
    std::string SeriesExistentes;      // pick mode: quantities other lines took
    std::string LotesExistentes;       // pick mode: tokens other lines took

    // ---- Operations -----------------------------------------------------------
    // Caption, label, grid layout, loading, lowering by other lines and
    // proposal. A step that fails is abandoned and the next one runs.
    void CargaDatos();
    void InicializaGrid();
    void VerificaAnteriores();
    void VerificaExistenciasEnGrilla();
    void CmdAceptar_Click() override;
    // F2 runs the accept; true when the key was taken.
    bool Form_KeyDown(int KeyCode, int Shift);

    // The row key of a pick-mode row: trimmed lot, character 255, trimmed serial.
    std::string ClaveDeFila(int Fila) const;

protected:
    bool CeldaEditable(const ui::FlexGrid& Grilla) const override;
    bool EsColumnaCantidad(long Columna) const override;
    std::string PruebaCantidad(const std::string& Valor) override;
    void CodigoEscritoEnFila1() override;
    int UltimaColumna() const override;
    void MueveConEnter(ui::FlexGrid& Grilla, int ultima) override;
    bool ErrorPasadoPorAlto(long Numero) const override;
    bool ToolbarActua(const ui::FlexGrid& Grilla) const override;
    int ColumnaCantidad() const override { return 3; }
    double CantidadPedida() const override { return Cantidad; }

private:
    void InicializaGridSalidas();
    void InicializaGridEntradas();
    void VerificaAnterioresSalidas();
    void VerificaAnterioresEntradas();
    // Pick mode: the line's previous quantities back into their rows.
    void RestauraCantidades();
    // Pick mode: lowers the stock of a key's rows by what another line took.
    void DescuentaStock(const std::string& Clave, double Cantidad);
    void ProponeAutomaticamente();
    void CompletaTodoIgual();
    void CompletaCantidades();
    // Entry mode: whether every code typed can travel in a list; tells the
    // user when one cannot.
    bool CodigosValidos() const;
    // The list of one column (or of the row keys, column -1) over the data rows.
    std::string ListaDeColumna(int Columna) const;
};

}  // namespace lots
