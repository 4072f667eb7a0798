// FrmConsComprobantes: the document picker ("Consulta de Comprobantes").
//
// The opener (ClsCmnCptes::ConsultaComprobante) sets TC, a document-type
// code or a mode word such as "RM/PENDIENTES", and Filtro, an extra SQL
// condition, shows the picker through ui::ShowModal and reads
// NroComprobante, IdComplemento and Proveedor when it has closed. Showing it
// loads it: the mode word becomes a plain code, the columns are laid out for
// that code and one row per document is read from the type's source. Accept
// (the button, Enter or a double click in the list) and cancel (the button or
// the close box) both unload it; Esc does nothing. An empty NroComprobante
// means nothing was chosen. User-interface thread only; reads go through
// foundation::Db().
#pragma once

#include <QDialog>
#include <QIcon>

#include <cstdint>
#include <string>
#include <vector>

class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;

namespace adodb {
class Recordset;
}

namespace lookup {

// Images identified by a tag, indexed from 1.
class ImageList {
public:
    void Add(std::string tag, QIcon icon);
    int Count() const { return static_cast<int>(images_.size()); }
    const std::string& Tag(int index) const;  // 1..Count
    QIcon Icon(int index) const;              // an empty icon outside 1..Count

private:
    std::vector<std::pair<std::string, QIcon>> images_;
};

class FrmConsComprobantes : public QDialog {
    Q_OBJECT

public:
    explicit FrmConsComprobantes(QWidget* parent = nullptr);

    // ---- Public variables (text, empty until set) --------------------------
    std::string Filtro;          // input: extra condition, without WHERE
    std::string TC;              // input: code or mode word; the plain code after loading
    std::string NroComprobante;  // result: the chosen document number(s); empty: none
    std::string IdComplemento;   // result: the chosen document's complement ("0" for PR, T3, OC)
    std::string Proveedor;       // result: the supplier of a supplier-side document

    // ---- Controls -----------------------------------------------------------
    QTreeWidget* ListView1;  // report list: the item's text is column 0, sub-item i column i
    ImageList ImageList1;    // PR, Anulado, Aprobado, FC, NC, ND, OT, Generico, T3, OC, OCG
    QPushButton* CmdAceptar;
    QPushButton* CmdCancelar;

    // ---- Operations ---------------------------------------------------------
    // Turns a mode word into its code, lays out the columns and fills the list.
    void Form_Load();
    // Lays out the columns of ListView1 for TC.
    void Encolumnar();
    // 1-based index of the image whose tag is Key (blanks and case ignored),
    // else that of "Generico".
    std::int16_t ObtieneIndiceImagen(const std::string& Key) const;
    // The statement that lists the documents of TC (the sources table). For
    // "OC" it removes a keyword WHERE that opens Filtro.
    std::string SentenciaOrigen();

    void CmdAceptar_Click();
    void CmdCancelar_Click();
    void ListView1_ColumnClick(int columna);  // 1-based
    void ListView1_BeforeLabelEdit(bool& Cancel);
    void ListView1_AfterLabelEdit(bool& Cancel, const std::string& NewString);
    void ListView1_DblClick();
    void ListView1_KeyDown(int KeyCode, int Shift);
    // Empties the list and hides the form.
    void Form_Unload(bool& Cancel);

    // State of the last load.
    bool SoloPendientes() const { return soloPendientes_; }
    bool CfgUsaReferenciaPresupuestos() const { return cfgUsaReferenciaPresupuestos_; }
    bool CheckBoxes() const { return checkBoxes_; }
    // The sort state of the list, as the last column click left it.
    bool Sorted() const { return sorted_; }
    int SortKey() const { return sortKey_; }
    Qt::SortOrder SortOrder() const { return sortOrder_; }

    // The image index a list item was given (0: none).
    static int IndiceImagen(const QTreeWidgetItem& item);

public slots:
    void reject() override;

protected:
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Adds the row of the recordset's current record; false when the error
    // handler said to leave.
    bool AgregarFila(const adodb::Recordset& rs);
    QTreeWidgetItem* ItemElegido() const;
    void Descargar(int resultado);

    bool soloPendientes_ = false;
    bool cfgUsaReferenciaPresupuestos_ = false;
    bool checkBoxes_ = false;
    bool sorted_ = false;
    int sortKey_ = 0;
    Qt::SortOrder sortOrder_ = Qt::AscendingOrder;
    bool cargado_ = false;
};

}  // namespace lookup
