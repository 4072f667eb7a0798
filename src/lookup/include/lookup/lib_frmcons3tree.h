// Lib_FrmCons3Tree: the tree lookup dialog. It runs SQL, whose first two
// columns are a code and a description, and arranges the rows as a hierarchy
// of codes: a code longer than the one before it is that code's child. The
// user picks one node, or checks several, and accepts; the chosen codes are
// validated against the master table CampoDevuelto names (IDFAMILIA,
// IDPOSICION or CODIGO).
//
// The caller sets SQL, CampoDevuelto and CheckBoxes, shows the dialog through
// ui::ShowModal and, when it has been hidden, reads ValorDevuelto (a single
// choice) and Valores (the checked nodes). The tree is built when the dialog
// is first shown; Cancelar leaves ValorDevuelto "" and Valores unset.
// User-interface thread only; the statement runs on foundation::Db().
#pragma once

#include <QDialog>

#include <string>
#include <unordered_map>
#include <vector>

#include "lookup/lib_clscons3.h"
#include "vb/variant.h"

class QComboBox;
class QFrame;
class QLabel;
class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;

namespace lookup {

class Lib_FrmCons3Tree : public QDialog {
    Q_OBJECT

public:
    explicit Lib_FrmCons3Tree(QWidget* parent = nullptr);
    ~Lib_FrmCons3Tree() override;

    // ---- Public variables ---------------------------------------------------
    std::string SQL;            // code and description first; server searches extend it
    std::string CampoDevuelto;  // "IDFAMILIA", "IDPOSICION" or "CODIGO" (any case)
    ColeccionPtr CmpsDevueltos; // released by Cancelar; not read
    bool CheckBoxes = false;    // check boxes; the result is the checked nodes
    std::string gConnString;    // not read
    vb::Variant ValorDevuelto;  // single choice: the validated value, "" when not valid
    std::string FiltroInicial;  // not read
    std::string CampoBusqueda;  // not read
    bool OrdenarPorLwv = false; // not read
    ColeccionPtr Valores;       // checked choice: new and empty at every load
    ColeccionPtr Cantidades;    // not read
    bool UsaCantidades = false; // not read

    // ---- Controls -----------------------------------------------------------
    QFrame* Frame1;             // holds the three buttons
    QPushButton* CmdNueva;
    QPushButton* CmdCancelar;
    QPushButton* CmdAceptar;
    QFrame* picFields;          // holds the search box and its label
    QLabel* lblFieldName;
    QComboBox* CmbSearch;
    QTreeWidget* TreeV;

    // ---- Operations ---------------------------------------------------------
    // Renews Valores and rebuilds the tree from SQL (the load).
    void Form_Load();
    // Builds the tree from SQL under the root "A" / "Consulta...".
    void ArmarTreeVAutomatico();
    // Adds " and|where Descripcion like '%text%'" before the ORDER BY part of
    // SQL, clears the search box and loads again.
    void BusquedaServidor();
    // Selects the first node whose code or description begins with the text.
    void BusquedaIncremental(const std::string& texto);
    void CmdNueva_Click();
    void CmdAceptar_Click();
    void CmdCancelar_Click();

    // The node's code: its key without the leading "A".
    static std::string CodigoDeNodo(const QTreeWidgetItem& nodo);
    // The node's key ("A" & code); the root's is "A".
    static std::string ClaveDeNodo(const QTreeWidgetItem& nodo);
    // The node with this key, or nullptr.
    QTreeWidgetItem* Nodo(const std::string& clave) const;
    // Every node in the order added (the index order), the root first.
    const std::vector<QTreeWidgetItem*>& Nodos() const { return nodos_; }

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

public slots:
    void reject() override;

private:
    // Adds a node as the child or the next sibling of `relativo` (the root
    // when nullptr); raises 35602 when the key is already used.
    QTreeWidgetItem* AgregarNodo(QTreeWidgetItem* relativo, bool comoHijo, const std::string& clave,
                                 const std::string& texto);
    void TreeV_NodeCheck(QTreeWidgetItem* nodo);

    std::vector<QTreeWidgetItem*> nodos_;
    std::unordered_map<std::string, QTreeWidgetItem*> claves_;
    bool cargado_ = false;
    bool propagando_ = false;
};

}  // namespace lookup
