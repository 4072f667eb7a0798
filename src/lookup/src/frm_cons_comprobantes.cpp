// FrmConsComprobantes: modes and sources, the columns by document type, the
// rows and their images, sorting, and the accept and cancel steps.
#include "lookup/frm_cons_comprobantes.h"

#include <QEvent>
#include <QFontMetrics>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QPushButton>
#include <QStyle>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <cctype>
#include <functional>
#include <string>
#include <vector>

#include "db/adodb.h"
#include "foundation/comunes.h"
#include "foundation/configuracion.h"
#include "foundation/db_dll.h"
#include "foundation/sql_literal.h"
#include "helpers/helpers.h"
#include "lookup_internal.h"
#include "vb/conv.h"
#include "vb/steps.h"
#include "vb/text.h"

namespace lookup {

using detail::Tratamiento;

namespace {

constexpr int kRolImagen = Qt::UserRole;  // the item's image index
constexpr int kTeclaEnter = 13;

bool EsUno(const std::string& tc, const std::vector<std::string>& codigos) {
    return helpers::gFunciones().EstaEnLista(tc, codigos);
}

// Codes whose rows carry the complement in the "ID" column.
bool GrupoId(const std::string& tc) {
    return EsUno(tc, {"OT", "FC", "RM", "ND", "NC", "NCFP", "OP", "NP", "FP", "GF"});
}

// Supplier-side codes: the "PROVEEDOR" column.
bool GrupoProveedor(const std::string& tc) {
    return EsUno(tc, {"FCC", "NCC", "NCCP", "NDC", "RMC", "NCPE", "NDPR"});
}

bool EsSi(const char* clave) {
    std::string aux;
    return vb::Equals(foundation::Cfg(clave, aux), "SI");
}

// A field's value as text, Null as "".
std::string Valor(const adodb::Recordset& rs, const char* campo) {
    return vb::TextOf(helpers::gFunciones().ValorCampo(rs.Fields(campo)));
}

// A field read as a truth value; Null is false.
bool Verdadero(const adodb::Recordset& rs, const char* campo) {
    const vb::Variant valor = rs.Fields(campo).Value();
    if (valor.IsEmpty() || valor.IsNull()) return false;
    if (valor.IsBool()) return std::get<bool>(valor.Get());
    if (valor.IsNumber()) return vb::CDbl(valor) != 0;
    const std::string texto = vb::Trim(vb::TextOf(valor));
    return vb::Equals(texto, "True") || vb::Equals(texto, "Verdadero") || vb::Val(texto) != 0;
}

// The filter without the keyword WHERE that may open it (any case, after
// blanks); "where" anywhere else, in a value or a name, stays.
std::string SinWhereInicial(const std::string& filtro) {
    const std::string resto = vb::LTrim(filtro);
    constexpr std::string_view kWhere = "where";
    if (!vb::StartsWith(resto, kWhere)) return filtro;
    if (resto.size() > kWhere.size()) {
        const auto siguiente = static_cast<unsigned char>(resto[kWhere.size()]);
        if (std::isalnum(siguiente) || siguiente == '_' || siguiente >= 0x80) return filtro;  // a longer name
    }
    return resto.substr(kWhere.size());
}

}  // namespace

// ---- ImageList -------------------------------------------------------------------------

void ImageList::Add(std::string tag, QIcon icon) { images_.emplace_back(std::move(tag), std::move(icon)); }

const std::string& ImageList::Tag(int index) const {
    if (index < 1 || index > Count()) vb::Raise(35600, "Index out of bounds", "ImageList");
    return images_[static_cast<std::size_t>(index - 1)].first;
}

QIcon ImageList::Icon(int index) const {
    return index < 1 || index > Count() ? QIcon() : images_[static_cast<std::size_t>(index - 1)].second;
}

// ---- The form ----------------------------------------------------------------------------

FrmConsComprobantes::FrmConsComprobantes(QWidget* parent) : QDialog(parent) {
    setObjectName("FrmConsComprobantes");
    setWindowTitle(QStringLiteral("Consulta de Comprobantes"));
    resize(760, 420);

    // Only the tags and their order matter to the code.
    const std::pair<const char*, QStyle::StandardPixmap> imagenes[] = {
        {"PR", QStyle::SP_FileDialogInfoView},     {"Anulado", QStyle::SP_DialogCancelButton},
        {"Aprobado", QStyle::SP_DialogApplyButton}, {"FC", QStyle::SP_FileDialogDetailedView},
        {"NC", QStyle::SP_ArrowLeft},               {"ND", QStyle::SP_ArrowRight},
        {"OT", QStyle::SP_DriveHDIcon},             {"Generico", QStyle::SP_FileIcon},
        {"T3", QStyle::SP_DirIcon},                 {"OC", QStyle::SP_FileDialogContentsView},
        {"OCG", QStyle::SP_MessageBoxWarning},
    };
    for (const auto& [tag, icono] : imagenes) ImageList1.Add(tag, style()->standardIcon(icono));

    ListView1 = new QTreeWidget(this);
    ListView1->setObjectName("ListView1");
    ListView1->setRootIsDecorated(false);
    ListView1->setItemsExpandable(false);
    ListView1->setSelectionMode(QAbstractItemView::SingleSelection);
    ListView1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    ListView1->setSortingEnabled(false);
    ListView1->header()->setSectionsClickable(true);
    ListView1->header()->setStretchLastSection(false);
    ListView1->installEventFilter(this);
    ListView1->viewport()->installEventFilter(this);
    connect(ListView1->header(), &QHeaderView::sectionClicked, this,
            [this](int seccion) { ListView1_ColumnClick(seccion + 1); });

    CmdAceptar = new QPushButton(QStringLiteral("&Aceptar"), this);
    CmdAceptar->setObjectName("CmdAceptar");
    CmdCancelar = new QPushButton(QStringLiteral("&Cancelar"), this);
    CmdCancelar->setObjectName("CmdCancelar");
    // Neither is the default button: Enter belongs to the list.
    for (QPushButton* boton : {CmdAceptar, CmdCancelar}) {
        boton->setAutoDefault(false);
        boton->setDefault(false);
    }
    connect(CmdAceptar, &QPushButton::clicked, this, [this] { CmdAceptar_Click(); });
    connect(CmdCancelar, &QPushButton::clicked, this, [this] { CmdCancelar_Click(); });

    auto* botones = new QHBoxLayout;
    botones->addStretch(1);
    botones->addWidget(CmdAceptar);
    botones->addWidget(CmdCancelar);
    auto* forma = new QVBoxLayout(this);
    forma->addWidget(ListView1, 1);
    forma->addLayout(botones);
}

void FrmConsComprobantes::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (cargado_) return;
    cargado_ = true;
    Form_Load();
}

// Esc does not close the picker.
void FrmConsComprobantes::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) return;
    QDialog::keyPressEvent(event);
}

bool FrmConsComprobantes::eventFilter(QObject* watched, QEvent* event) {
    if (watched == ListView1 && event->type() == QEvent::KeyPress) {
        const auto* tecla = static_cast<QKeyEvent*>(event);
        if (tecla->key() == Qt::Key_Return || tecla->key() == Qt::Key_Enter) {
            ListView1_KeyDown(kTeclaEnter, static_cast<int>(tecla->modifiers()));
            return true;
        }
    }
    if (watched == ListView1->viewport() && event->type() == QEvent::MouseButtonDblClick) {
        ListView1_DblClick();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

// The close box unloads the picker as Cancelar does.
void FrmConsComprobantes::reject() { CmdCancelar_Click(); }

// ---- Loading -------------------------------------------------------------------------------

void FrmConsComprobantes::Form_Load() {
    // No routine name: the box's title carries none.
    const vb::ErrorHandler manejador = Tratamiento();
    adodb::Recordset rs;
    std::string sentencia;
    const bool siguio = vb::RunSteps(
        {
            [&] {
                ListView1->clear();
                ListView1->setSelectionMode(QAbstractItemView::SingleSelection);
                checkBoxes_ = false;
            },
            [&] {
                cfgUsaReferenciaPresupuestos_ = EsSi("UsaReferenciaPresupuestos");
                soloPendientes_ = false;
            },
            [&] {
                struct Modo {
                    const char* palabra;
                    const char* codigo;
                    bool pendientes;
                };
                static const Modo kModos[] = {
                    {"RM/PENDIENTES", "RM", true},          {"NP/PENDIENTES", "NP", true},
                    {"OT/PENDIENTES", "OT", true},          {"RM/PENDIENTES_COMPRAS", "RMC", true},
                    {"PR/PENDIENTES", "PR", true},          {"FC/ANTICIPOS", "FC", false},
                };
                for (const Modo& modo : kModos) {
                    if (!vb::Equals(TC, modo.palabra)) continue;
                    TC = modo.codigo;
                    if (modo.pendientes) soloPendientes_ = true;
                }
            },
            [&] {
                if (vb::Equals(TC, "OC")) checkBoxes_ = true;
            },
            [&] { Encolumnar(); },
            [&] { helpers::gFunciones().PreparaFormulario(this, false); },
            [&] { foundation::ConfiguraFormulario(this); },
            [&] { sentencia = SentenciaOrigen(); },
            [&] { foundation::Db().AbrirRecordset(sentencia, rs); },
        },
        manejador);
    if (!siguio) return;

    // A recordset that could not be opened was reported where it failed; the
    // read below fails once more into the handler and is taken as no rows.
    bool hayFilas = false;
    if (!vb::RunStep([&] { hayFilas = !rs.BOF(); }, manejador)) return;
    while (hayFilas) {
        bool fin = true;
        if (!vb::RunStep([&] { fin = rs.EOF(); }, manejador)) return;
        if (fin) break;
        if (!AgregarFila(rs)) return;
        if (!vb::RunStep([&] { rs.MoveNext(); }, manejador)) return;
    }
    vb::RunStep([&] { foundation::Db().CierraRecordset(rs); }, manejador);
}

std::string FrmConsComprobantes::SentenciaOrigen() {
    // Type codes are stored in capitals; the server compares them without
    // regard to case, and so does this statement on any engine.
    const std::string T = foundation::SqlText(vb::UCase(helpers::gFunciones().AjustaAncho(vb::Trim(TC), 4)));
    const std::string& F = Filtro;
    const bool sinFiltro = vb::Trim(Filtro).empty();
    constexpr const char* kOrden = " ORDER BY IDCOMPROBANTE DESC";

    if (vb::Equals(TC, "RMC") && soloPendientes_) {
        // The caller must give a filter in this mode.
        return " SELECT CUENTA , ANULADA, Nombre, TC,IDCOMPROBANTE, ID,FECHA, Importe FROM C_RemitosPendientes "
               "WHERE TC = " + T + " AND " + F + kOrden;
    }
    if (vb::Equals(TC, "RM") && soloPendientes_) {
        const std::string campos = " SELECT CUENTA , ANULADA, Nombre, APROBADO, TC,IDCOMPROBANTE, ID,FECHA, Importe";
        const bool contado = EsSi("UsaRemitoContado");
        if (sinFiltro) {
            const bool parcial = EsSi("EntregaParcialRemito");
            if (contado && !parcial) return campos + " FROM V_RemitosPendientes WHERE TC = " + T + kOrden;
            return campos + " FROM V_MV_CPTE WHERE TC = " + T + " AND FINALIZADA = 0" + kOrden;
        }
        if (contado) return campos + " FROM V_RemitosPendientes WHERE TC = " + T + " AND " + F + kOrden;
        return campos + " FROM V_MV_CPTE WHERE TC = " + T + " AND " + F + "  AND FINALIZADA = 0" + kOrden;
    }
    if (vb::Equals(TC, "T3")) return "SELECT * FROM V_MV_CPTETERCEROS ORDER BY ID,IDCOMPROBANTE, IDCOMPLEMENTO";
    if (EsUno(TC, {"NCPE", "NDPR"})) {
        if (sinFiltro) {
            return "SELECT * FROM MV_ASIENTOS WHERE TC = " + T +
                   " AND SECUENCIA = 1 ORDER BY SUCURSAL, NUMERO, LETRA DESC";
        }
        return "SELECT * FROM MV_ASIENTOS WHERE TC = " + T + " AND " + F + " ORDER BY SUCURSAL, NUMERO, LETRA DESC ";
    }
    if (EsUno(TC, {"FCC", "NCC", "NCCP", "NDC", "RMC"})) {
        if (sinFiltro) return "SELECT * FROM C_MV_CPTE WHERE TC = " + T + kOrden;
        return "SELECT * FROM C_MV_CPTE WHERE TC = " + T + " AND " + F + kOrden + " ";
    }
    if (vb::Equals(TC, "OT") && soloPendientes_) {
        // The caller must give a filter in this mode.
        return " SELECT CUENTA , ANULADA, Nombre, APROBADO, TC,IDCOMPROBANTE, IDCOMPlemento,ID,FECHA, Importe "
               "FROM V_OT_Pendientes WHERE TC = " + T + " AND " + F + kOrden;
    }
    if (vb::Equals(TC, "OT")) {
        const std::string select =
            " SELECT CUENTA , ANULADA, Nombre, APROBADO, TC,IDCOMPROBANTE, IDCOMPlemento , ID,FECHA, Importe "
            "FROM V_OT_Pendientes WHERE TC = " + T;
        return sinFiltro ? select + " " + kOrden : select + " AND " + F + kOrden;
    }
    if (vb::Equals(TC, "NP") && soloPendientes_) {
        if (sinFiltro) {
            return " SELECT CUENTA , ANULADA, Nombre, APROBADO, TC,IDCOMPROBANTE, ID,FECHA, Importe,FechaPreparacion "
                   "FROM V_MV_CPTE WHERE TC = " + T + " AND FINALIZADA = 0 and anulada = 0" + kOrden;
        }
        return " SELECT CUENTA , ANULADA, Nombre, APROBADO, TC,IDCOMPROBANTE, ID,FECHA, Importe, FechaPreparacion "
               "FROM V_MV_CPTE WHERE TC = " + T + " AND " + F + " AND FINALIZADA = 0 and anulada = 0" + kOrden;
    }
    if (vb::Equals(TC, "PR") && soloPendientes_) {
        const std::string campos =
            " SELECT CUENTA , ANULADA, Nombre, APROBADO, TC,IDCOMPROBANTE, ID,FECHA, Importe, comentarios";
        if (sinFiltro) return campos + " FROM V_PR_PENDIENTES WHERE TC = " + T + " AND APROBADO = 1" + kOrden;
        return campos + " FROM V_MV_CPTE WHERE TC = " + T + " AND APROBADO = 1 AND " + F + " AND FINALIZADA = 0" +
               kOrden;
    }
    if (vb::Equals(TC, "OC")) {
        const std::string select =
            " SELECT FECHA, CUENTA , NOMBRE, ANULADA, APROBADO, TC,IDCOMPROBANTE, ID,Importe, comentarios, Garantia "
            "FROM C_MV_CPTE WHERE TC = " + T + " AND (APROBADO = 1) AND (FINALIZADO = 0) AND (ANULADA = 0)";
        if (sinFiltro) return select + kOrden;
        Filtro = SinWhereInicial(Filtro);
        return select + (vb::Trim(Filtro).empty() ? "" : " AND ") + Filtro + kOrden;
    }
    if (sinFiltro) return "SELECT * FROM V_MV_CPTE WHERE TC = " + T + " ORDER BY IDCOMPROBANTE DESC, IDCOMPLEMENTO ASC";
    return "SELECT * FROM V_MV_CPTE WHERE TC = " + T + " AND " + F + " ORDER BY  IDCOMPROBANTE DESC, IDCOMPLEMENTO ASC  ";
}

// One list row: the image first, then the item, its text and its cells, each
// a statement of its own under the load's error handler. The amount always
// goes under "IMPORTE", the last column, whatever columns stand before it.
bool FrmConsComprobantes::AgregarFila(const adodb::Recordset& rs) {
    const vb::ErrorHandler manejador = Tratamiento();
    using Paso = std::function<void()>;
    int imagen = 0;
    QTreeWidgetItem* item = nullptr;
    std::vector<Paso> pasos;
    const int ultima = ListView1->columnCount() - 1;
    auto celda = [&](int columna, std::function<std::string()> valor) {
        pasos.push_back([&item, columna, valor = std::move(valor)] {
            if (item) item->setText(columna, QString::fromStdString(valor()));
        });
    };
    auto imagenSi = [&](const char* campo, const char* clave) {
        pasos.push_back([&, campo, clave] {
            if (Verdadero(rs, campo)) imagen = ObtieneIndiceImagen(clave);
        });
    };
    auto campo = [&rs](const char* nombre) { return [&rs, nombre] { return Valor(rs, nombre); }; };
    auto agregar = [&](const char* principal) {
        pasos.push_back([&] {
            item = new QTreeWidgetItem(ListView1);
            if (imagen > 0) item->setIcon(0, ImageList1.Icon(imagen));
            item->setData(0, kRolImagen, imagen);
            if (checkBoxes_) item->setCheckState(0, Qt::Unchecked);
        });
        celda(0, campo(principal));
    };
    auto imagenDeTC = [&] { pasos.push_back([&] { imagen = ObtieneIndiceImagen(TC); }); };

    if (vb::Equals(TC, "T3")) {
        agregar("ID");
        int i = 1;
        for (const char* nombre : {"Fecha", "IdComprobante", "IdComplemento", "FECHAENVIADO", "FECHARECIBIDO"}) {
            celda(i++, campo(nombre));
        }
    } else if (EsUno(TC, {"FCC", "NCC", "NCCP", "NDC", "RMC"})) {
        imagenDeTC();
        imagenSi("Anulada", "Anulado");
        agregar("Fecha");
        celda(1, campo("IdComprobante"));
        celda(2, campo("Cuenta"));
        celda(3, campo("Nombre"));
        celda(ultima, campo("Importe"));
    } else if (EsUno(TC, {"NCPE", "NDPR"})) {
        imagenDeTC();
        agregar("Fecha");
        celda(1, [&rs] { return Valor(rs, "Sucursal") + Valor(rs, "Numero") + Valor(rs, "Letra"); });
        celda(2, campo("Cuenta"));
        celda(3, [&rs] {
            return vb::TextOf(foundation::Db().DatosTabla("VT_PROVEEDORES", Valor(rs, "Cuenta"), "RAZON_SOCIAL",
                                                          "Codigo", adodb::adBSTR, "", true));
        });
        celda(4, campo("Detalle"));
        celda(5, campo("Importe"));
    } else if (vb::Equals(TC, "PR")) {
        imagenDeTC();
        imagenSi("Anulada", "Anulado");
        agregar("Fecha");
        celda(1, campo("IdComprobante"));
        celda(2, campo("Nombre"));
        // A quote's comments are its reference: under "Referencia" when that column is shown.
        celda(cfgUsaReferenciaPresupuestos_ ? ultima - 1 : 3, campo("COMENTARIOS"));
        celda(ultima, campo("Importe"));
    } else if (vb::Equals(TC, "OC")) {
        imagenDeTC();
        imagenSi("Garantia", "OCG");
        imagenSi("Anulada", "Anulado");
        agregar("Fecha");
        celda(1, [&rs] { return Valor(rs, "Cuenta") + " " + Valor(rs, "Nombre"); });
        celda(2, campo("IdComprobante"));
        celda(3, campo("Importe"));
        celda(4, campo("COMENTARIOS"));
        celda(5, [&rs] {
            const std::string condicion = " TC = 'IR' AND TC_ORIGEN = 'OC' AND IDCOMPROBANTE_ORIGEN =" +
                                          foundation::SqlText(Valor(rs, "IdComprobante"));
            return vb::TextOf(foundation::Db().DatosTabla("v_mv_stock", "OC", "idcomprobante", "TC_origen",
                                                          adodb::adBSTR, condicion, true));
        });
    } else {
        imagenDeTC();
        pasos.push_back([&] {
            if (Verdadero(rs, "Anulada")) {
                imagen = ObtieneIndiceImagen("Anulado");
            } else if (Verdadero(rs, "APROBADO")) {
                imagen = ObtieneIndiceImagen("Aprobado");
            }
        });
        if (vb::Equals(TC, "NP") && soloPendientes_) {
            // Stored codes are blank-padded: the row's TC is compared trimmed.
            pasos.push_back([&] {
                if (vb::Equals(vb::Trim(Valor(rs, "TC")), "NP") && !rs.Fields("FechaPreparacion").Value().IsNull()) {
                    imagen = ObtieneIndiceImagen("Aprobado");
                }
            });
        }
        agregar("Fecha");
        celda(1, campo("IdComprobante"));
        if (EsUno(TC, {"OT", "FC"})) celda(2, campo("IdComplemento"));
        celda(3, campo("Nombre"));
        celda(ultima, campo("Importe"));
    }

    for (const Paso& paso : pasos) {
        if (!vb::RunStep(paso, manejador)) return false;
    }
    return true;
}

// ---- Columns and images -------------------------------------------------------------------

void FrmConsComprobantes::Encolumnar() {
    struct Columna {
        const char* titulo;
        int ancho;  // in capital X of the form's font
        bool soloConReferencia = false;
    };
    std::vector<Columna> columnas;
    if (GrupoId(TC)) {
        columnas = {{"FECHA", 13}, {"COMPROBANTE", 15}, {"ID", 5}, {"NOMBRE", 21}, {"Referencia", 21, true},
                    {"IMPORTE", 10}};
    } else if (GrupoProveedor(TC)) {
        columnas = {{"FECHA", 13}, {"COMPROBANTE", 15}, {"PROVEEDOR", 15}, {"NOMBRE", 21}, {"CONCEPTO", 21},
                    {"IMPORTE", 10}};
    } else if (vb::Equals(TC, "PR")) {
        columnas = {{"FECHA", 13}, {"COMPROBANTE", 15}, {"NOMBRE", 21}, {"ID", 5}, {"Referencia", 21, true},
                    {"IMPORTE", 10}};
    } else if (vb::Equals(TC, "T3")) {
        columnas = {{"Nº Int.", 7}, {"FECHA", 13}, {"COMPROBANTE", 15}, {"ID", 4}, {"FH Envio", 10},
                    {"FH Recep", 10}};
    } else if (vb::Equals(TC, "OC")) {
        columnas = {{"FECHA", 13}, {"PROVEEDOR", 13}, {"COMPROBANTE", 17}, {"IMPORTE", 9}, {"COMENTARIOS", 15},
                    {"Inf. Recepción", 15}};
    } else {
        columnas = {{"FECHA", 13}, {"COMPROBANTE", 15}, {"CUENTA", 15}, {"NOMBRE", 21}, {"CONCEPTO", 21},
                    {"IMPORTE", 10}};
    }

    const vb::ErrorHandler manejador = Tratamiento("Encolumnar");
    if (!vb::RunStep([&] { ListView1->setColumnCount(0); }, manejador)) return;
    const QFontMetrics medida(font());
    for (const Columna& columna : columnas) {
        if (columna.soloConReferencia && !cfgUsaReferenciaPresupuestos_) continue;
        const bool siguio = vb::RunStep(
            [&] {
                const int indice = ListView1->columnCount();
                ListView1->setColumnCount(indice + 1);
                ListView1->headerItem()->setText(indice, QString::fromUtf8(columna.titulo));
                ListView1->headerItem()->setTextAlignment(indice, Qt::AlignLeft | Qt::AlignVCenter);
                ListView1->setColumnWidth(indice, medida.horizontalAdvance(QString(columna.ancho, QLatin1Char('X'))));
            },
            manejador);
        if (!siguio) return;
    }
}

std::int16_t FrmConsComprobantes::ObtieneIndiceImagen(const std::string& Key) const {
    const std::string buscada = vb::Trim(Key);
    for (int i = 1; i <= ImageList1.Count(); ++i) {
        if (vb::Equals(vb::Trim(ImageList1.Tag(i)), buscada)) return static_cast<std::int16_t>(i);
    }
    // Without "Generico" itself there is no image to fall back on.
    if (vb::Equals(buscada, "Generico")) return 0;
    return ObtieneIndiceImagen("Generico");
}

int FrmConsComprobantes::IndiceImagen(const QTreeWidgetItem& item) { return item.data(0, kRolImagen).toInt(); }

// ---- List events ---------------------------------------------------------------------------

// Every click flips the order, whichever column is clicked.
void FrmConsComprobantes::ListView1_ColumnClick(int columna) {
    sorted_ = true;
    sortKey_ = columna - 1;
    sortOrder_ = sortOrder_ == Qt::AscendingOrder ? Qt::DescendingOrder : Qt::AscendingOrder;
    ListView1->sortItems(sortKey_, sortOrder_);
}

void FrmConsComprobantes::ListView1_BeforeLabelEdit(bool& Cancel) { Cancel = true; }

void FrmConsComprobantes::ListView1_AfterLabelEdit(bool& Cancel, const std::string& /*NewString*/) { Cancel = true; }

void FrmConsComprobantes::ListView1_DblClick() { CmdAceptar_Click(); }

void FrmConsComprobantes::ListView1_KeyDown(int KeyCode, int /*Shift*/) {
    if (KeyCode == kTeclaEnter) CmdAceptar_Click();
}

// ---- Accept, cancel, unload ------------------------------------------------------------------

QTreeWidgetItem* FrmConsComprobantes::ItemElegido() const {
    const QList<QTreeWidgetItem*> elegidos = ListView1->selectedItems();
    return elegidos.isEmpty() ? nullptr : elegidos.front();
}

void FrmConsComprobantes::CmdAceptar_Click() {
    QTreeWidgetItem* item = ItemElegido();
    auto sub = [&item](int i) { return item->text(i).toStdString(); };
    if (!item) {
        NroComprobante.clear();
    } else if (GrupoId(TC)) {
        NroComprobante = sub(1);
        IdComplemento = sub(2);
    } else if (GrupoProveedor(TC)) {
        NroComprobante = sub(1);
        Proveedor = sub(2);
    } else if (vb::Equals(TC, "PR")) {
        NroComprobante = sub(1);
        IdComplemento = "0";
    } else if (vb::Equals(TC, "T3")) {
        NroComprobante = sub(0);
        IdComplemento = "0";
    } else if (vb::Equals(TC, "OC")) {
        NroComprobante.clear();
        IdComplemento = "0";
        for (int i = 0; i < ListView1->topLevelItemCount(); ++i) {
            const QTreeWidgetItem* fila = ListView1->topLevelItem(i);
            if (fila->checkState(0) != Qt::Checked) continue;
            if (!NroComprobante.empty()) NroComprobante += ",";
            NroComprobante += fila->text(2).toStdString();
        }
        if (NroComprobante.empty()) NroComprobante = sub(2);
    } else {
        NroComprobante = sub(1);
    }
    Descargar(QDialog::Accepted);
}

void FrmConsComprobantes::CmdCancelar_Click() { Descargar(QDialog::Rejected); }

void FrmConsComprobantes::Form_Unload(bool& Cancel) {
    Cancel = false;
    ListView1->clear();
    hide();
}

void FrmConsComprobantes::Descargar(int resultado) {
    bool cancelar = false;
    Form_Unload(cancelar);
    QDialog::done(resultado);
}

}  // namespace lookup
