// Lib_FrmCons3: searching, sorting, choosing rows, quantities and the buttons.
#include <QComboBox>
#include <QHeaderView>
#include <QScrollBar>
#include <QTreeWidget>

#include "foundation/sql_literal.h"
#include "lib_frmcons3_internal.h"
#include "lookup/lib_frmcons3.h"
#include "ui/msgbox.h"
#include "vb/format.h"
#include "vb/steps.h"
#include "vb/text.h"

namespace lookup {

using namespace detail;

namespace {

constexpr const char* kFormatoSuma = "########0.0";
constexpr const char* kFormatoCantidad = "########0.00";

// What a key does on the list.
enum class Accion { Ninguna, Aceptar, PedirCantidad, SumarUno, RestarUno, Buscar };

bool EsTeclaDeBusqueda(int codigo) {
    return (codigo >= 47 && codigo <= 93) || (codigo >= 96 && codigo <= 111) || codigo == kTeclaRetroceso ||
           codigo == kTeclaEspacio;
}

// The text a key adds to the search: the numeric keypad types what it shows,
// any other key the character of its code (letters as capitals).
std::string CaracterDeTecla(int codigo) {
    if (codigo >= 96 && codigo <= 105) return std::string(1, static_cast<char>('0' + (codigo - 96)));
    switch (codigo) {
        case 106: return "*";
        case 107: return "+";
        case 108: return ",";
        case 109: return "-";
        case 110: return ".";
        case 111: return "/";
        default: return vb::Chr(codigo);
    }
}

[[noreturn]] void FaltaColumna() { vb::Raise(kErrValorNoValido, "Invalid property value"); }

}  // namespace

// ---- Columns and rows ---------------------------------------------------------------------

int Lib_FrmCons3::IndiceColumna(const std::string& Columna) const {
    const std::string buscada = vb::Trim(Columna);
    for (int c = 0; c < ListView1->columnCount(); ++c) {
        if (vb::Equals(vb::Trim(Texto(ListView1->headerItem()->text(c))), buscada)) return c + 1;
    }
    return 0;
}

std::string Lib_FrmCons3::TextoColumna(const QTreeWidgetItem& item, int k) const {
    if (k < 1 || k > ListView1->columnCount()) FaltaColumna();
    return Texto(item.text(k - 1));
}

QTreeWidgetItem* Lib_FrmCons3::FilaSeleccionada() const { return ListView1->currentItem(); }

long Lib_FrmCons3::Busqueda(long Clave, const std::string& QueValor) const {
    const std::string buscado = vb::Trim(QueValor);
    const int columna = Clave < 1 ? 0 : static_cast<int>(Clave);
    if (columna >= ListView1->columnCount()) return 0;
    for (int i = 0; i < ListView1->topLevelItemCount(); ++i) {
        const std::string texto = vb::Trim(Texto(ListView1->topLevelItem(i)->text(columna)));
        if (vb::StartsWith(texto, buscado)) return i + 1;
    }
    return 0;
}

// ---- Search boxes -------------------------------------------------------------------------

void Lib_FrmCons3::CmbSearch_Change(int Index) {
    vb::IgnoreErrors([&] {
        const long n = Busqueda(Index, vb::Trim(Texto(CmbSearch.at(static_cast<std::size_t>(Index))->currentText())));
        if (n == 0) return;
        QTreeWidgetItem* fila = ListView1->topLevelItem(static_cast<int>(n - 1));
        ListView1->setCurrentItem(fila);
        ListView1->scrollToItem(fila);
    });
}

bool Lib_FrmCons3::ManejaTeclaCaja(int Index, int KeyCode, int Shift) {
    switch (KeyCode) {
        case kTeclaF5:
        case kTeclaAbajo:
        case kTeclaArriba:
        case kTeclaAvPag:
        case kTeclaRePag: CmbSearch_KeyDown(Index, KeyCode, Shift); return true;
        case kTeclaEnter: CmdAceptar_Click(); return true;  // the default button
        default: return false;
    }
}

void Lib_FrmCons3::CmbSearch_KeyDown(int Index, int KeyCode, int /*Shift*/) {
    vb::IgnoreErrors([&] {
        switch (KeyCode) {
            case kTeclaF5: BusquedaEnServidor(Index); break;
            case kTeclaAbajo:
            case kTeclaArriba:
            case kTeclaAvPag:
            case kTeclaRePag:
                ListView1_KeyDown(KeyCode, 0);
                ListView1->setFocus();
                break;
            default: break;
        }
    });
}

// Asks the server again with the box's text as a filter on its column (at
// the start of the field, "*" a wildcard; anywhere with CfgUsaConsultaLIKE).
// The text goes into the statement as an SQL literal. Filters add up until
// "Nueva Busqueda".
void Lib_FrmCons3::BusquedaEnServidor(int Index) {
    QComboBox* caja = CmbSearch.at(static_cast<std::size_t>(Index));
    ClausulaOrden.clear();
    std::string prefijo;
    if (vb::Contains(SQL, "order", vb::Compare::Text)) {
        // A query with "order" but no "order by" keeps SQLSinOrden as loaded.
        const long p = vb::InStr(SQL, "order by", vb::Compare::Text);
        if (p > 0) {
            ClausulaOrden = vb::Mid(SQL, p);
            SQLSinOrden = vb::Left(SQL, static_cast<std::size_t>(p - 1));
        }
    }
    if (vb::Contains(SQLSinOrden, "stk_ma_articulos.", vb::Compare::Text)) prefijo = "stk_ma_articulos.";
    if (vb::Contains(SQLSinOrden, "v_ma_articulos.", vb::Compare::Text)) prefijo = "v_ma_articulos.";
    const std::string union_ = vb::Contains(SQL, "where", vb::Compare::Text) ? " and " : " where ";
    const std::string columna = Texto(caja->property("Tag").toString());
    std::string patron;
    if (CfgUsaConsultaLIKE) {
        patron = "%" + Texto(caja->currentText()) + "%";
    } else {
        caja->setEditText(Q(funciones_.Reemplaza(Texto(caja->currentText()), "*", "%")));
        patron = Texto(caja->currentText()) + "%";
    }
    SQL = SQLSinOrden + union_ + prefijo + columna + " like " + foundation::SqlText(patron) + " " + ClausulaOrden;
    caja->setEditText(QString());
    SQLSinOrden = SQL;
    Form_Load();
}

// ---- Keys on the list ---------------------------------------------------------------------

namespace {

Accion AccionDeTecla(int codigo, int shift, bool usaCantidades) {
    if (codigo == kTeclaEnter) return Accion::Aceptar;
    if (codigo == kTeclaInsert && shift == kShiftMayusculas && usaCantidades) return Accion::PedirCantidad;
    if (codigo == kTeclaInsert && shift == 0 && usaCantidades) return Accion::SumarUno;
    if (codigo == kTeclaSupr && shift == 0 && usaCantidades) return Accion::RestarUno;
    if (EsTeclaDeBusqueda(codigo)) return Accion::Buscar;
    return Accion::Ninguna;
}

}  // namespace

bool Lib_FrmCons3::ManejaTeclaLista(int KeyCode, int Shift) {
    // With check boxes Space is the list's own: it toggles the row.
    if (KeyCode == kTeclaEspacio && CheckBoxes) return false;
    if (AccionDeTecla(KeyCode, Shift, UsaCantidades) == Accion::Ninguna) return false;
    ListView1_KeyDown(KeyCode, Shift);
    return true;
}

int Lib_FrmCons3::SubItemCantidad() const { return IndiceColumna(kTituloCantidad) - 1; }

void Lib_FrmCons3::PonSubItem(QTreeWidgetItem& item, int subItem, const std::string& texto) {
    if (subItem < 1 || subItem >= ListView1->columnCount()) FaltaColumna();
    item.setText(subItem, Q(texto));
}

void Lib_FrmCons3::ListView1_KeyDown(int KeyCode, int Shift) {
    if (KeyCode == kTeclaEspacio && CheckBoxes) return;
    const vb::ErrorHandler tratar = ManejaErrorEn("ListView1_KeyDown");
    const auto fila = [this]() -> QTreeWidgetItem& {
        QTreeWidgetItem* item = FilaSeleccionada();
        if (!item) vb::Raise(kErrObjetoNoAsignado, "Object variable or With block variable not set");
        return *item;
    };
    int k = 0;
    const auto cantidad = [&] {
        if (k < 1) FaltaColumna();
        return funciones_.TextoADoble(TextoColumna(fila(), k + 1));
    };
    switch (AccionDeTecla(KeyCode, Shift, UsaCantidades)) {
        case Accion::Aceptar: CmdAceptar_Click(); break;
        case Accion::PedirCantidad: {
            std::string respuesta;
            vb::RunSteps(
                {
                    [&] { k = SubItemCantidad(); },
                    [&] {
                        if (k < 1) FaltaColumna();
                        respuesta = ui::InputBox("Ingrese la Cantidad del Articulo...", "Carga de Datos",
                                                 TextoColumna(fila(), k + 1));
                    },
                    // Nothing typed (or the box cancelled) keeps the quantity.
                    [&] {
                        if (!vb::Trim(respuesta).empty())
                            PonSubItem(fila(), k, vb::Format(funciones_.TextoADoble(respuesta), kFormatoCantidad));
                    },
                    [&] {
                        if (!vb::Trim(respuesta).empty()) Marcar(fila(), true);
                    },
                },
                tratar);
            break;
        }
        case Accion::SumarUno:
            vb::RunSteps({[&] { k = SubItemCantidad(); },
                          [&] { PonSubItem(fila(), k, vb::Format(cantidad() + 1, kFormatoSuma)); },
                          [&] { Marcar(fila(), true); }},
                         tratar);
            break;
        case Accion::RestarUno:
            vb::RunSteps({[&] { k = SubItemCantidad(); },
                          [&] { PonSubItem(fila(), k, vb::Format(cantidad() - 1, kFormatoSuma)); },
                          [&] {
                              if (cantidad() > 0) return;
                              Marcar(fila(), false);
                              PonSubItem(fila(), k, "0.00");
                          }},
                         tratar);
            break;
        case Accion::Buscar: vb::RunStep([&] { AgregaABusqueda(KeyCode); }, tratar); break;
        case Accion::Ninguna: break;
    }
}

// Types the key into the active search box, which takes the focus; its
// change runs the incremental search. Backspace takes the last character off.
void Lib_FrmCons3::AgregaABusqueda(int KeyCode) {
    QComboBox* caja = CmbSearch.at(static_cast<std::size_t>(ComboActivo_));
    std::string texto = Texto(caja->currentText());
    if (KeyCode == kTeclaRetroceso) {
        if (!texto.empty()) texto = vb::Left(texto, vb::Len(texto) - 1);
    } else {
        texto += CaracterDeTecla(KeyCode);
    }
    caja->setEditText(Q(texto));
    caja->setFocus();
}

// ---- Sorting ------------------------------------------------------------------------------

void Lib_FrmCons3::ListView1_ColumnClick(int Columna) {
    vb::IgnoreErrors([&] {
        ordenada_ = true;
        columnaOrden_ = Columna - 1;
        descendente_ = !descendente_;  // the one order of the list turns over
        Ordenar();
    });
}

// ---- Buttons ------------------------------------------------------------------------------

void Lib_FrmCons3::CmdAceptar_Click() {
    const vb::ErrorHandler tratar = ManejaErrorEn("HScroll1_Change");
    std::string v;
    // The value of column k of a row; v stays as it was when k names no column.
    const auto tomar = [&](const QTreeWidgetItem& item, int k) {
        if (k >= 1) v = TextoColumna(item, k);
    };
    bool terminado = true;
    if (CheckBoxes) {
        terminado = vb::RunSteps(
            {
                [&] {
                    if (CampoDevuelto.empty() && ListView1->columnCount() > 0)
                        CampoDevuelto = Texto(ListView1->headerItem()->text(0));
                },
                [&] {
                    if (!Valores) Valores = std::make_shared<Coleccion>();
                    for (int i = 0; i < ListView1->topLevelItemCount(); ++i) {
                        const QTreeWidgetItem& item = *ListView1->topLevelItem(i);
                        if (!Marcada(item)) continue;
                        tomar(item, IndiceColumna(CampoDevuelto));
                        Valores->push_back(vb::Variant(v));
                    }
                },
            },
            tratar);
    } else if (const QTreeWidgetItem* fila = FilaSeleccionada()) {
        terminado = vb::RunSteps(
            {
                [&] {
                    if (!CmpsDevueltos) return;
                    if (!Valores) Valores = std::make_shared<Coleccion>();
                    for (const vb::Variant& nombre : *CmpsDevueltos) {
                        tomar(*fila, IndiceColumna(vb::TextOf(nombre)));
                        Valores->push_back(vb::Variant(v));
                    }
                },
                [&] {
                    if (!vb::Trim(CampoDevuelto).empty()) tomar(*fila, IndiceColumna(CampoDevuelto));
                },
                [&] { ValorDevuelto = vb::Variant(v); },
            },
            tratar);
    }
    if (terminado) done(QDialog::Accepted);
}

void Lib_FrmCons3::CmdCancelar_Click() {
    ValorDevuelto = vb::Variant("");
    CmpsDevueltos.reset();
    Valores.reset();
    done(QDialog::Rejected);
}

// Esc and the window's close box cancel.
void Lib_FrmCons3::reject() { CmdCancelar_Click(); }

void Lib_FrmCons3::CmdNueva_Click() {
    vb::IgnoreErrors([&] { SQL = SQLInicial_; });
    vb::IgnoreErrors([&] { Form_Load(); });
    vb::IgnoreErrors([&] { CmbSearch.at(0)->setFocus(); });
}

void Lib_FrmCons3::HScroll1_Change() {
    vb::IgnoreErrors([&] { picFields->move(-APixeles(HScroll1->value()), picFields->y()); });
}

}  // namespace lookup
