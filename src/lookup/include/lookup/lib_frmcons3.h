// Lib_FrmCons3: the list lookup dialog. It runs SQL and lists every row with
// one column per field, a search box above each column, article rows
// coloured by stock level and column widths remembered per table in
// "CONSULTASLEN.TSM". The user narrows the list by typing (incremental search
// among the rows loaded), asks the server for a filtered query with F5, marks
// rows and quantities from the keyboard, and accepts or cancels.
//
// The caller (the lookup service) sets the public variables, shows the dialog
// through ui::ShowModal (it loads when first shown), reads ValorDevuelto,
// Valores and Cantidades once it has been hidden, then calls Form_Unload and
// discards it. Aceptar and Cancelar only hide the dialog; F5 and "Nueva
// Busqueda" load it again in place. Texts compare without regard to case.
// User-interface thread only; the query runs on foundation::Db().
//
// Columns are numbered from 1 as the list shows them: column 1 is a row's
// text, column k > 1 its sub-item k - 1. Widths and positions of the layout
// are in twips (15 to the pixel).
#pragma once

#include <QDialog>

#include <string>
#include <vector>

#include "db/adodb.h"
#include "helpers/helpers.h"
#include "lookup/lib_clscons3.h"
#include "vb/variant.h"

class QComboBox;
class QFrame;
class QLabel;
class QPushButton;
class QScrollBar;
class QTreeWidget;
class QTreeWidgetItem;

namespace lookup {

class Lib_FrmCons3 : public QDialog {
    Q_OBJECT

public:
    explicit Lib_FrmCons3(QWidget* parent = nullptr);
    ~Lib_FrmCons3() override;

    // ---- Public variables -----------------------------------------------------------------
    vb::Variant StkNivel1;        // colours (0x00BBGGRR) of the four stock levels
    vb::Variant StkNivel2;
    vb::Variant StkNivel3;
    vb::Variant StkNivel4;
    std::string MuestraStock;     // "SI" (any case) turns the stock colours on
    std::string SQL;              // the query; a blank is appended at each load, F5 adds filters
    std::string CampoDevuelto;    // the column whose value is returned
    ColeccionPtr CmpsDevueltos;   // the columns whose values go into Valores
    bool CheckBoxes = false;      // check boxes: several rows are returned
    std::string gConnString;      // kept, not used
    vb::Variant ValorDevuelto;    // out: the chosen value
    std::string FiltroInicial;    // put into the first search box after loading
    std::string CampoBusqueda;    // kept, not used
    bool OrdenarPorLwv = false;   // the list sorts itself after loading
    ColeccionPtr Valores;         // out: a new collection at each load; unset by Cancelar
    ColeccionPtr Cantidades;      // out: a new empty collection at each load
    bool UsaCantidades = false;   // Insert and Delete change the quantity column
    std::string ValoresDefault;   // rows whose returned value is one of its "|" tokens are checked
    bool CfgUsaConsultaLIKE = false;  // F5 searches anywhere in the field
    bool GrabarCfg = false;       // save the column widths on unload

    // ---- Controls --------------------------------------------------------------------------
    QFrame* Frame1;               // holds the three buttons
    QPushButton* CmdNueva;
    QPushButton* CmdCancelar;
    QPushButton* CmdAceptar;
    QScrollBar* HScroll1;         // moves picFields sideways
    QWidget* picFields;           // the search boxes, the list and lblFieldName
    std::vector<QComboBox*> CmbSearch;  // one per column; property "Tag" holds the field name
    QTreeWidget* ListView1;       // the rows, one column per field
    QLabel* lblFieldName;

    // ---- Operations ------------------------------------------------------------------------
    // Lays the search boxes over the columns and sizes the list, the
    // container, the scroll bar and the dialog.
    void CalcularAncho();
    // Fills the list from the open query; the arguments are not used.
    void Leer(long Cdesde, int Cuantas);
    // Builds the columns and search boxes from the open query.
    void Encolumnar();
    // Position (from 1) of the first row, in the list's order, whose column
    // Clave + 1 trimmed begins with QueValor trimmed; 0 when none does.
    long Busqueda(long Clave, const std::string& QueValor) const;
    // Number of the first column whose title, trimmed, equals Columna
    // trimmed; 0 when none does.
    int IndiceColumna(const std::string& Columna) const;

    // ---- Events ----------------------------------------------------------------------------
    // Runs the query and rebuilds the list, its columns and widths.
    void Form_Load();
    // Saves the widths when GrabarCfg, then empties the list.
    void Form_Unload();
    // F12 on an article lookup: offers to report the selected article as a
    // stock shortage. Sets KeyCode to 0 when it takes the key.
    void Form_KeyDown(int& KeyCode, int Shift);
    // Keys on the list (VB key codes): Enter accepts, Insert and Delete change
    // quantities, characters go to the active search box.
    void ListView1_KeyDown(int KeyCode, int Shift);
    // F5 asks the server for the rows matching box Index; the arrows and the
    // page keys move to the list.
    void CmbSearch_KeyDown(int Index, int KeyCode, int Shift);
    void CmbSearch_Change(int Index);
    // Column number from 1; sorts by it, reversing the list's one sort order.
    void ListView1_ColumnClick(int Columna);
    void CmdAceptar_Click();
    void CmdCancelar_Click();
    void CmdNueva_Click();
    void HScroll1_Change();

    // ---- For callers and tests -------------------------------------------------------------
    // Text of column k (from 1) of a row; raises 380 for a column the list lacks.
    std::string TextoColumna(const QTreeWidgetItem& item, int k) const;
    // The row as "checked" (the check box, or a mark kept when there are none).
    bool Marcada(const QTreeWidgetItem& item) const;
    // The selected row, or nullptr.
    QTreeWidgetItem* FilaSeleccionada() const;
    const std::string& NombreTabla() const { return NombreTabla_; }
    const std::string& SQLInicial() const { return SQLInicial_; }
    bool EsConsultaArticulos() const { return EsConsultaArticulos_; }
    int ComboActivo() const { return ComboActivo_; }
    long CantidadFilas() const { return CantidadFilas_; }
    // Column widths in twips, the first column first.
    std::vector<long> AnchosColumnas() const;
    // Title of the quantity column.
    static constexpr const char* kTituloCantidad = "**Cantidad**";

public slots:
    void reject() override;

protected:
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QComboBox* CajaBusqueda(std::size_t indice);
    void CmbSearch_GotFocus(int Index);
    void CmbSearch_LostFocus(int Index);
    void Form_Resize();
    void CargarAnchosColumnas();
    void GrabarAnchosColumnas();
    bool LeerFila(vb::Variant& color);
    vb::Variant ColorStock() const;
    void ColorearFila(QTreeWidgetItem& item, const vb::Variant& color, int columna);
    void Marcar(QTreeWidgetItem& item, bool marcada);
    void AgregaColumna(const std::string& titulo, long anchoTwips);
    void AnchoColumna(int columna, long twips);
    long IzquierdaColumna(int columna) const;
    void UbicaCaja(std::size_t indice, long izquierda, long ancho);
    void Ordenar();
    // The quantity cell's sub-item of the selected row.
    int SubItemCantidad() const;
    void PonSubItem(QTreeWidgetItem& item, int subItem, const std::string& texto);
    // The list's and a search box's keys; true when the dialog took the key.
    bool ManejaTeclaLista(int KeyCode, int Shift);
    bool ManejaTeclaCaja(int Index, int KeyCode, int Shift);
    void AgregaABusqueda(int KeyCode);
    void BusquedaEnServidor(int Index);
    void InformaFaltante();

    helpers::ClsFunciones funciones_;
    bool EsConsultaArticulos_ = false;
    adodb::Recordset RsConsulta;
    QTreeWidgetItem* ItemActual = nullptr;
    long CantidadFilas_ = 0;
    std::string NombreTabla_;
    std::string SQLInicial_;
    std::string SQLSinOrden;
    std::string ClausulaOrden;
    int ComboActivo_ = 0;
    bool conCasillas_ = false;  // the list shows check boxes (set at each load)

    int columnaOrden_ = 0;  // the list's sort key, from 0
    bool descendente_ = false;
    bool ordenada_ = false;  // the list keeps itself sorted
    bool cargado_ = false;
    bool descargado_ = false;
};

}  // namespace lookup
