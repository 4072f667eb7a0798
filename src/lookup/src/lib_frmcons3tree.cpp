// Lib_FrmCons3Tree: building the tree of codes, the searches, check
// propagation and the validated choice.
#include "lookup/lib_frmcons3tree.h"

#include <QComboBox>
#include <QEvent>
#include <QFont>
#include <QFrame>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "db/adodb.h"
#include "foundation/db_dll.h"
#include "foundation/sql_literal.h"
#include "helpers/helpers.h"
#include "lookup_internal.h"
#include "vb/steps.h"
#include "vb/text.h"

namespace lookup {

using detail::ManejaErrorEn;
using detail::Q;

namespace {

constexpr int kRolClave = Qt::UserRole;  // a node's key ("A" & code)
constexpr const char* kClaveRaiz = "A";
// The server search always filters on this column (the search box's tag).
constexpr const char* kCampoBusqueda = "Descripcion";
// The error number of a node added under a key that is already used.
constexpr long kErrClaveRepetida = 35602;
// Object variable not set: accepting with no node selected.
constexpr long kErrSinObjeto = 91;

QPushButton* Boton(QWidget* padre, const char* nombre, const char* texto) {
    auto* boton = new QPushButton(QString::fromUtf8(texto), padre);
    boton->setObjectName(nombre);
    return boton;
}

// The row's column as text; Null and a missing column read as "".
std::string Columna(const std::vector<vb::Variant>& fila, std::size_t indice) {
    return indice < fila.size() ? vb::TextOf(fila[indice]) : std::string();
}

}  // namespace

Lib_FrmCons3Tree::Lib_FrmCons3Tree(QWidget* parent) : QDialog(parent) {
    setObjectName("Lib_FrmCons3Tree");
    setWindowTitle(QStringLiteral("Consulta..."));
    resize(420, 460);

    picFields = new QFrame(this);
    picFields->setObjectName("picFields");
    lblFieldName = new QLabel(picFields);
    lblFieldName->setObjectName("lblFieldName");
    lblFieldName->setFont(QFont(QStringLiteral("Tahoma")));
    CmbSearch = new QComboBox(picFields);
    CmbSearch->setObjectName("CmbSearch");
    CmbSearch->setEditable(true);
    CmbSearch->setInsertPolicy(QComboBox::NoInsert);
    CmbSearch->setToolTip(QStringLiteral("F5 realiza nueva busqueda"));
    CmbSearch->setProperty("Tag", QString());
    auto* busqueda = new QHBoxLayout(picFields);
    busqueda->setContentsMargins(0, 0, 0, 0);
    busqueda->addWidget(lblFieldName);
    busqueda->addWidget(CmbSearch, 1);

    TreeV = new QTreeWidget(this);
    TreeV->setObjectName("TreeV");
    TreeV->setHeaderHidden(true);
    TreeV->setColumnCount(1);
    TreeV->setSelectionMode(QAbstractItemView::SingleSelection);
    TreeV->setEditTriggers(QAbstractItemView::NoEditTriggers);

    Frame1 = new QFrame(this);
    Frame1->setObjectName("Frame1");
    CmdNueva = Boton(Frame1, "CmdNueva", "&Nueva Busqueda");
    CmdCancelar = Boton(Frame1, "CmdCancelar", "&Cancelar");
    CmdAceptar = Boton(Frame1, "CmdAceptar", "&Aceptar");
    CmdNueva->setAutoDefault(false);
    CmdCancelar->setAutoDefault(false);
    CmdAceptar->setDefault(true);  // Enter accepts; Esc reaches reject(), that is Cancelar
    auto* botones = new QHBoxLayout(Frame1);
    botones->setContentsMargins(0, 0, 0, 0);
    botones->addWidget(CmdNueva);
    botones->addStretch(1);
    botones->addWidget(CmdCancelar);
    botones->addWidget(CmdAceptar);

    auto* forma = new QVBoxLayout(this);
    forma->addWidget(picFields);
    forma->addWidget(TreeV, 1);
    forma->addWidget(Frame1);

    connect(CmdNueva, &QPushButton::clicked, this, [this] { CmdNueva_Click(); });
    connect(CmdCancelar, &QPushButton::clicked, this, [this] { CmdCancelar_Click(); });
    connect(CmdAceptar, &QPushButton::clicked, this, [this] { CmdAceptar_Click(); });
    connect(TreeV, &QTreeWidget::itemDoubleClicked, this, [this] { CmdAceptar_Click(); });
    connect(TreeV, &QTreeWidget::itemChanged, this, [this](QTreeWidgetItem* nodo, int) { TreeV_NodeCheck(nodo); });
    connect(CmbSearch, &QComboBox::editTextChanged, this,
            [this](const QString& texto) { BusquedaIncremental(texto.toStdString()); });
    connect(CmbSearch, &QComboBox::activated, this,
            [this] { BusquedaIncremental(CmbSearch->currentText().toStdString()); });
    CmbSearch->installEventFilter(this);
    if (CmbSearch->lineEdit()) CmbSearch->lineEdit()->installEventFilter(this);
}

Lib_FrmCons3Tree::~Lib_FrmCons3Tree() = default;

void Lib_FrmCons3Tree::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (cargado_) return;
    cargado_ = true;
    Form_Load();
}

// F5 runs the server search; the arrows and the page keys move to the tree.
bool Lib_FrmCons3Tree::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress) {
        switch (static_cast<QKeyEvent*>(event)->key()) {
        case Qt::Key_F5:
            BusquedaServidor();
            return true;
        case Qt::Key_Down:
        case Qt::Key_Up:
        case Qt::Key_PageDown:
        case Qt::Key_PageUp:
            TreeV->setFocus();
            return true;
        default:
            break;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void Lib_FrmCons3Tree::reject() { CmdCancelar_Click(); }

// ---- Loading ---------------------------------------------------------------------------

void Lib_FrmCons3Tree::Form_Load() {
    vb::RunSteps(
        {
            [&] { Valores = std::make_shared<Coleccion>(); },
            // The build starts by clearing the nodes.
            [&] { ArmarTreeVAutomatico(); },
        },
        ManejaErrorEn("FORM_LOAD"));
}

QTreeWidgetItem* Lib_FrmCons3Tree::AgregarNodo(QTreeWidgetItem* relativo, bool comoHijo, const std::string& clave,
                                               const std::string& texto) {
    if (claves_.count(clave)) vb::Raise(kErrClaveRepetida, "Key is not unique in collection", "TreeView");
    auto* nodo = new QTreeWidgetItem(QStringList(Q(texto)));
    nodo->setData(0, kRolClave, Q(clave));
    if (CheckBoxes) nodo->setCheckState(0, Qt::Unchecked);
    if (!relativo) {
        TreeV->addTopLevelItem(nodo);
    } else if (comoHijo) {
        relativo->addChild(nodo);
    } else if (QTreeWidgetItem* padre = relativo->parent()) {
        padre->insertChild(padre->indexOfChild(relativo) + 1, nodo);
    } else {
        TreeV->insertTopLevelItem(TreeV->indexOfTopLevelItem(relativo) + 1, nodo);
    }
    claves_.emplace(clave, nodo);
    nodos_.push_back(nodo);
    return nodo;
}

// Rows must come with every parent code before its children: only the
// lengths of the codes say which node is whose child.
void Lib_FrmCons3Tree::ArmarTreeVAutomatico() {
    const vb::ErrorHandler manejador = ManejaErrorEn("ArmarTreeVAutomatico");
    // Check states set while building are not the user's checks.
    propagando_ = true;
    struct Fin {
        bool& marca;
        ~Fin() { marca = false; }
    } fin{propagando_};

    adodb::Recordset rs;
    QTreeWidgetItem* actual = nullptr;
    bool vacio = true;  // a failed test counts as no rows: the failure was already reported
    std::vector<std::vector<vb::Variant>> filas;
    const bool siguio = vb::RunSteps(
        {
            [&] {
                TreeV->clear();
                nodos_.clear();
                claves_.clear();
            },
            [&] { TreeV->setRootIsDecorated(true); },
            [&] {
                actual = AgregarNodo(nullptr, false, kClaveRaiz, "Consulta...");
                actual->setExpanded(true);
            },
            [&] {
                foundation::DB_Dll& db = foundation::Db();
                std::string sentencia = SQL;
                db.AbrirRecordset(sentencia, rs, &db.gCnn, adodb::adOpenDynamic, adodb::adLockReadOnly, -1, true);
            },
            [&] { vacio = rs.BOF() && rs.EOF(); },
        },
        manejador);
    if (!siguio || vacio || !actual) return;
    // The recordset holds its rows, so it knows their count without a trip to the last one.
    if (!vb::RunSteps({[&] { rs.MoveFirst(); }, [&] { filas = rs.GetRows(rs.RecordCount()); }}, manejador)) {
        return;
    }

    std::size_t i = 0;
    while (i < filas.size()) {
        const std::string codigo = Columna(filas[i], 0);
        const std::string clave = kClaveRaiz + codigo;
        const std::string texto = codigo + " - " + Columna(filas[i], 1);
        const std::size_t largo = vb::Len(clave);
        const std::size_t largoActual = vb::Len(ClaveDeNodo(*actual));
        if (largo < largoActual && actual->parent()) {
            actual = actual->parent();  // the same row is compared again one level up
            continue;
        }
        QTreeWidgetItem* nuevo = nullptr;
        if (!vb::RunStep([&] { nuevo = AgregarNodo(actual, largo > largoActual, clave, texto); }, manejador)) return;
        if (nuevo) actual = nuevo;  // a row passed over leaves the current node as it was
        ++i;
    }
}

// ---- Nodes -----------------------------------------------------------------------------

std::string Lib_FrmCons3Tree::ClaveDeNodo(const QTreeWidgetItem& nodo) {
    return nodo.data(0, kRolClave).toString().toStdString();
}

std::string Lib_FrmCons3Tree::CodigoDeNodo(const QTreeWidgetItem& nodo) { return vb::Mid(ClaveDeNodo(nodo), 2); }

QTreeWidgetItem* Lib_FrmCons3Tree::Nodo(const std::string& clave) const {
    const auto encontrado = claves_.find(clave);
    return encontrado == claves_.end() ? nullptr : encontrado->second;
}

// Checking or unchecking a node carries its state three levels down; deeper
// levels and the ancestors keep theirs.
void Lib_FrmCons3Tree::TreeV_NodeCheck(QTreeWidgetItem* nodo) {
    if (propagando_ || !nodo || !CheckBoxes) return;
    propagando_ = true;
    const Qt::CheckState estado = nodo->checkState(0);
    for (int a = 0; a < nodo->childCount(); ++a) {
        QTreeWidgetItem* hijo = nodo->child(a);
        hijo->setCheckState(0, estado);
        for (int b = 0; b < hijo->childCount(); ++b) {
            QTreeWidgetItem* nieto = hijo->child(b);
            nieto->setCheckState(0, estado);
            for (int c = 0; c < nieto->childCount(); ++c) nieto->child(c)->setCheckState(0, estado);
        }
    }
    propagando_ = false;
}

// ---- Searches ----------------------------------------------------------------------------

void Lib_FrmCons3Tree::BusquedaServidor() {
    vb::IgnoreErrors([&] {
        CmbSearch->setProperty("Tag", QString::fromUtf8(kCampoBusqueda));
        const std::string campo = kCampoBusqueda;
        // The statement without and with its ORDER BY part; one holding "order"
        // but no "order by" has none.
        const long orden = vb::InStr(SQL, "order by", vb::Compare::Text);
        const std::string cabeza = orden > 0 ? vb::Left(SQL, static_cast<std::size_t>(orden - 1)) : SQL;
        const std::string cola = orden > 0 ? vb::Mid(SQL, orden) : std::string();
        // The typed text is a literal: an apostrophe in it cannot end the pattern.
        const std::string condicion =
            campo + " like " + foundation::SqlText("%" + CmbSearch->currentText().toStdString() + "%") + " ";
        const bool conWhere = vb::Contains(SQL, "where", vb::Compare::Text);
        SQL = cabeza + (conWhere ? " and " : " where ") + condicion + cola;
        CmbSearch->setEditText(QString());
    });
    Form_Load();
}

void Lib_FrmCons3Tree::BusquedaIncremental(const std::string& texto) {
    vb::IgnoreErrors([&] {
        for (QTreeWidgetItem* nodo : nodos_) {
            const std::string linea = nodo->text(0).toStdString();
            const long guion = vb::InStr(linea, "-");
            // Without a "-" (the root) the code part stays empty and the
            // description part is the whole text.
            const std::string codigo = guion > 0 ? vb::Trim(vb::Left(linea, static_cast<std::size_t>(guion - 1))) : "";
            const std::string descripcion = vb::Trim(vb::Mid(linea, guion + 1));
            if (vb::StartsWith(codigo, texto) || vb::StartsWith(descripcion, texto)) {
                for (QTreeWidgetItem* p = nodo->parent(); p; p = p->parent()) p->setExpanded(true);
                TreeV->setCurrentItem(nodo);
                TreeV->scrollToItem(nodo);
                return;
            }
        }
    });
}

void Lib_FrmCons3Tree::CmdNueva_Click() {
    vb::IgnoreErrors([&] { ArmarTreeVAutomatico(); });
}

// ---- Accept and cancel -------------------------------------------------------------------

void Lib_FrmCons3Tree::CmdAceptar_Click() {
    const std::string campo = vb::UCase(CampoDevuelto);
    foundation::DB_Dll& db = foundation::Db();
    const vb::ErrorHandler manejador = ManejaErrorEn("HScroll1_Change");

    // The CampoDevuelto column of the row of `tabla` whose `columna` is the
    // code, or nothing when there is no such row.
    auto validado = [&](const char* tabla, const char* columna, const std::string& codigo) -> std::optional<vb::Variant> {
        adodb::Recordset rs;
        if (!db.ExisteEnTabla(tabla, codigo, columna, &rs, adodb::adBSTR, "")) return std::nullopt;
        vb::Variant valor = helpers::gFunciones().ValorCampo(rs.Fields(CampoDevuelto));
        rs.Close();
        return valor;
    };

    if (CheckBoxes) {
        if (!Valores) Valores = std::make_shared<Coleccion>();
        for (QTreeWidgetItem* nodo : nodos_) {
            if (nodo->checkState(0) != Qt::Checked) continue;
            const std::string codigo = CodigoDeNodo(*nodo);
            const bool siguio = vb::RunStep(
                [&] {
                    if (campo == "IDFAMILIA" || campo == "CODIGO") {
                        Valores->push_back(vb::Trim(codigo));
                    } else if (campo == "IDPOSICION") {
                        if (auto valor = validado("MA_POSICIONES", "IDPOSICION", codigo)) Valores->push_back(*valor);
                    }
                },
                manejador);
            if (!siguio) return;
        }
    } else {
        std::string codigo;
        const bool siguio = vb::RunSteps(
            {
                [&] {
                    const QList<QTreeWidgetItem*> elegidos = TreeV->selectedItems();
                    if (elegidos.isEmpty()) vb::Raise(kErrSinObjeto, "Object variable or With block variable not set");
                    codigo = CodigoDeNodo(*elegidos.front());
                },
                [&] {
                    const char* tabla = nullptr;
                    const char* columna = nullptr;
                    if (campo == "IDFAMILIA") {
                        tabla = "V_TA_FAMILIAS", columna = "IDFAMILIA";
                    } else if (campo == "IDPOSICION") {
                        tabla = "MA_POSICIONES", columna = "IDPOSICION";
                    } else if (campo == "CODIGO") {
                        tabla = "TA_CCOSTO", columna = "CODIGO";
                    }
                    if (!tabla) return;  // any other column returns nothing
                    ValorDevuelto = validado(tabla, columna, codigo).value_or(vb::Variant(std::string()));
                },
            },
            manejador);
        if (!siguio) return;
    }
    QDialog::done(QDialog::Accepted);
}

void Lib_FrmCons3Tree::CmdCancelar_Click() {
    ValorDevuelto = std::string();
    CmpsDevueltos.reset();
    Valores.reset();
    QDialog::done(QDialog::Rejected);
}

}  // namespace lookup
