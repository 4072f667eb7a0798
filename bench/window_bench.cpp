// tv_window_bench: turning the pages of the main window's list as a person
// does it, on the kept file of --orders=N listed orders (1,000,000 unless
// told): every page action (first, next, previous and last page, and a jump
// to the middle page) in every order the window sorts by (its own, and
// number, date, due date, customer and amount, each ascending and
// descending). The window (FrmAutorizarNPBloq, shown on the display) is
// driven only through its own widgets: the page buttons, the page selector,
// a click on a column's title and the sort buttons. A case is timed from the
// press until the page is painted and the display server has drawn it.
//
// Beside each, the smallest Qt window that shows the same page: a table of
// the rows titled with their numbers in the list, the page label and the
// history box, filled by hand-written raw
// SQLite on its own connection to the same file (statements prepared once,
// values bound) that reads about a page of the sort column's index: the rows
// of one value of the sort column after or before a key, ordered by the key,
// then the next value, for a page next to one shown (whose sort values it
// keeps) and for either end; the index alone walked to the position, for a
// jump. Around the statements the wait cursor, after them the history query
// of the first row; timed to the same point. A case fails when the window's
// rows (their keys, in order) are not the reference's.
//
// Each repetition presses once in the window and once in the reference, in
// random order, so that whatever else the machine does weighs on both alike.
// Before each press, untimed, the window is given the case's order (when it
// has another) and the page the action starts from (the middle page for next
// and previous, page 3 for the first page, page 1 for the last page and the
// jump), and the reference's window shows that page.
#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QGuiApplication>
#include <QHeaderView>
#include <QLabel>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QSignalBlocker>
#include <QTableWidget>
#include <QToolButton>
#include <QVBoxLayout>

#include <sqlite3.h>

#include <algorithm>
#include <chrono>
#include <climits>
#include <cstdint>
#include <cstdlib>
#include <iostream>
#include <map>
#include <random>
#include <memory>
#include <string>
#include <vector>

#include "authorization/frm_autorizar_np_bloq.h"
#include "authorization/tsdbgrid.h"
#include "foundation/db_dll.h"
#include "listado.h"
#include "tabla.h"
#include "ui/flexgrid.h"
#include "ui/msgbox.h"

namespace bench {

namespace {

using Reloj = std::chrono::steady_clock;

constexpr int kPorPagina = 10;

// An order the window sorts by: the rows by `columna`, then by the key.
struct Orden {
    const char* nombre;   // in the case's name
    const char* titulo;   // the column title clicked; nullptr: the window's own order
    const char* columna;  // V_MV_CPTE's column
    bool descendente;
};

// The window's own order is its query's: by TC (one value in the list), then the key.
const Orden kOrdenes[] = {
    {"own order", nullptr, "TC", false},
    {"number asc", "NUMERO", "IDCOMPROBANTE", false},
    {"number desc", "NUMERO", "IDCOMPROBANTE", true},
    {"date asc", "FECHA", "FECHA", false},
    {"date desc", "FECHA", "FECHA", true},
    {"due date asc", "VENCIMIENTO", "FECHAESTFIN", false},
    {"due date desc", "VENCIMIENTO", "FECHAESTFIN", true},
    {"customer asc", "CLIENTE", "NOMBRE", false},
    {"customer desc", "CLIENTE", "NOMBRE", true},
    {"amount asc", "IMPORTE", "IMPORTE", false},
    {"amount desc", "IMPORTE", "IMPORTE", true},
    {"observations asc", "OBSERVACIONES", "OBSERVACIONES", false},
    {"observations desc", "OBSERVACIONES", "OBSERVACIONES", true},
};

enum class Accion { Primera, Siguiente, Anterior, Ultima, Salto };

struct Caso {
    const Orden* orden;
    Accion accion;
};

const char* NombreAccion(Accion accion) {
    switch (accion) {
    case Accion::Primera: return "first page";
    case Accion::Siguiente: return "next page";
    case Accion::Anterior: return "previous page";
    case Accion::Ultima: return "last page";
    case Accion::Salto: return "jump to the middle page";
    }
    return "";
}

// The file's list: its size and pages.
struct Lista {
    std::string archivo;
    std::int64_t total = 0;
    std::int64_t Paginas() const { return (total + kPorPagina - 1) / kPorPagina; }
    std::int64_t Medio() const { return Paginas() / 2; }
};

Lista& LaLista() {
    static Lista lista;
    return lista;
}

// The page an action starts from, and the page it shows. Next and previous
// start from the middle page; the others from a page next to neither end
// nor to their own page, so that none of them is a turn to the next page.
std::int64_t PaginaDeInicio(Accion accion) {
    switch (accion) {
    case Accion::Siguiente:
    case Accion::Anterior: return LaLista().Medio();
    case Accion::Primera: return 3;
    case Accion::Ultima:
    case Accion::Salto: return 1;
    }
    return 1;
}

std::int64_t PaginaDestino(Accion accion) {
    const Lista& l = LaLista();
    switch (accion) {
    case Accion::Primera: return 1;
    case Accion::Siguiente: return l.Medio() + 1;
    case Accion::Anterior: return l.Medio() - 1;
    case Accion::Ultima: return l.Paginas();
    case Accion::Salto: return l.Medio();
    }
    return 1;
}

double Segundos(Reloj::time_point desde) { return std::chrono::duration<double>(Reloj::now() - desde).count(); }

// Counts the paints of a widget.
class Pinturas : public QObject {
public:
    explicit Pinturas(QWidget* widget) { widget->installEventFilter(this); }
    int Cuantas() const { return cuantas_; }
    bool eventFilter(QObject*, QEvent* evento) override {
        if (evento->type() == QEvent::Paint) ++cuantas_;
        return false;
    }

private:
    int cuantas_ = 0;
};

// Until the widget has painted since `antes` paints (-1: whether it paints
// or not), every update posted has been handled and the display server has
// drawn what it was sent.
bool HastaPintada(const Pinturas& pinturas, int antes) {
    const Reloj::time_point limite = Reloj::now() + std::chrono::seconds(60);
    QCoreApplication::processEvents();
    while (pinturas.Cuantas() == antes && Reloj::now() < limite) {
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 10);
    }
    QGuiApplication::sync();
    return pinturas.Cuantas() != antes;
}

// ---- The reference: raw SQLite ------------------------------------------------------------

// A row as the reference shows it: the texts of the window's seven columns,
// the key and the sort column's value.
struct Fila {
    std::vector<std::string> textos;
    long long id = 0;
    std::shared_ptr<sqlite3_value> orden;
};

constexpr int kColumnasMostradas = 7;
constexpr int kColumnaId = 7;
constexpr int kColumnaOrden = 8;

std::string SelectLista(const char* columna, const std::string& resto) {
    return std::string("SELECT TC, IDCOMPROBANTE, strftime('%d/%m/%Y', FECHA), strftime('%d/%m/%Y', FECHAESTFIN), "
                       "NOMBRE, IMPORTE, OBSERVACIONES, ID, ") +
           columna + " FROM V_MV_CPTE WHERE TC = 'NP' AND BLOQUEADA = 1" + resto;
}

std::string DeLaLista(const std::string& seleccion, const std::string& resto) {
    return "SELECT " + seleccion + " FROM V_MV_CPTE WHERE TC = 'NP' AND BLOQUEADA = 1" + resto;
}

class Sentencia {
public:
    Sentencia(sqlite3* db, const std::string& sql) : st_(RawPrepare(db, sql)) {}
    ~Sentencia() { sqlite3_finalize(st_); }
    Sentencia(const Sentencia&) = delete;
    Sentencia& operator=(const Sentencia&) = delete;
    // Reset, its bindings cleared: ready to be bound again.
    sqlite3_stmt* operator*() {
        sqlite3_reset(st_);
        sqlite3_clear_bindings(st_);
        return st_;
    }

private:
    sqlite3_stmt* st_;
};

std::vector<Fila> LeerFilas(sqlite3_stmt* st) {
    std::vector<Fila> filas;
    int rc = SQLITE_OK;
    while ((rc = sqlite3_step(st)) == SQLITE_ROW) {
        Fila fila;
        for (int c = 0; c < kColumnasMostradas; ++c) {
            const unsigned char* texto = sqlite3_column_text(st, c);
            fila.textos.emplace_back(texto ? reinterpret_cast<const char*>(texto) : "");
        }
        fila.id = sqlite3_column_int64(st, kColumnaId);
        fila.orden.reset(sqlite3_value_dup(sqlite3_column_value(st, kColumnaOrden)), sqlite3_value_free);
        filas.push_back(std::move(fila));
    }
    Check(rc, sqlite3_db_handle(st));
    return filas;
}

std::shared_ptr<sqlite3_value> LeerValor(sqlite3_stmt* st) {
    const int rc = sqlite3_step(st);
    Check(rc, sqlite3_db_handle(st));
    if (rc != SQLITE_ROW) return nullptr;
    return {sqlite3_value_dup(sqlite3_column_value(st, 0)), sqlite3_value_free};
}

// The statements that walk one order: the rows of one value of the sort
// column after or before a key, by the key; the value next to one, above or
// below; the lowest and highest; the keys at a position, the index alone
// walked. An order breaks its ties by the key in its own direction, so a
// descending order is the ascending one read backwards.
class Recorrido {
public:
    Recorrido(sqlite3* db, const Orden& orden)
        : orden_(orden),
          grupoSube_(db, SelectLista(orden.columna, std::string(" AND ") + orden.columna +
                                                    " = ?1 AND ID > ?2 ORDER BY ID LIMIT ?3")),
          grupoBaja_(db, SelectLista(orden.columna, std::string(" AND ") + orden.columna +
                                                    " = ?1 AND ID < ?2 ORDER BY ID DESC LIMIT ?3")),
          mayor_(db, DeLaLista(orden.columna, std::string(" AND ") + orden.columna + " > ?1 ORDER BY " +
                                                   orden.columna + " LIMIT 1")),
          menor_(db, DeLaLista(orden.columna, std::string(" AND ") + orden.columna + " < ?1 ORDER BY " +
                                                   orden.columna + " DESC LIMIT 1")),
          minimo_(db, DeLaLista(orden.columna, std::string(" ORDER BY ") + orden.columna + " LIMIT 1")),
          maximo_(db, DeLaLista(orden.columna, std::string(" ORDER BY ") + orden.columna + " DESC LIMIT 1")),
          claves_(db, DeLaLista("ID", std::string(" ORDER BY ") + orden.columna +
                                          (orden.descendente ? " DESC, ID DESC" : ", ID") + " LIMIT ?2 OFFSET ?1")),
          porClave_(db, SelectLista(orden.columna, " AND ID = ?1")) {}

    // `n` rows after `desde` in the order shown (`adelante`), or before it,
    // or from the start (the end) of the order; in the order shown.
    std::vector<Fila> Caminar(const Fila* desde, int n, bool adelante) {
        const bool sube = adelante != orden_.descendente;
        const long long fuera = sube ? LLONG_MIN : LLONG_MAX;  // a key before every other
        std::shared_ptr<sqlite3_value> valor = desde ? desde->orden : Extremo(adelante);
        long long clave = desde ? desde->id : fuera;
        std::vector<Fila> filas;
        while (valor && static_cast<int>(filas.size()) < n) {
            sqlite3_stmt* st = *(sube ? grupoSube_ : grupoBaja_);
            sqlite3_bind_value(st, 1, valor.get());
            sqlite3_bind_int64(st, 2, clave);
            sqlite3_bind_int(st, 3, n - static_cast<int>(filas.size()));
            for (Fila& f : LeerFilas(st)) filas.push_back(std::move(f));
            if (static_cast<int>(filas.size()) < n) valor = Vecino(*valor, adelante), clave = fuera;
        }
        if (!adelante) std::reverse(filas.begin(), filas.end());
        return filas;
    }

    // Page `pagina`, reached from the start of the order: the index alone
    // gives its keys, then their rows are read.
    std::vector<Fila> Pagina(std::int64_t pagina) {
        sqlite3_stmt* st = *claves_;
        sqlite3_bind_int64(st, 1, (pagina - 1) * kPorPagina);
        sqlite3_bind_int(st, 2, kPorPagina);
        std::vector<long long> ids;
        while (sqlite3_step(st) == SQLITE_ROW) ids.push_back(sqlite3_column_int64(st, 0));
        std::vector<Fila> filas;
        for (const long long id : ids) {
            sqlite3_stmt* fila = *porClave_;
            sqlite3_bind_int64(fila, 1, id);
            for (Fila& f : LeerFilas(fila)) filas.push_back(std::move(f));
        }
        return filas;
    }

private:
    // The first (or last) value of the order shown.
    std::shared_ptr<sqlite3_value> Extremo(bool primero) {
        return LeerValor(*(primero != orden_.descendente ? minimo_ : maximo_));
    }
    // The value after (or before) `valor` in the order shown.
    std::shared_ptr<sqlite3_value> Vecino(sqlite3_value& valor, bool siguiente) {
        sqlite3_stmt* st = *(siguiente != orden_.descendente ? mayor_ : menor_);
        sqlite3_bind_value(st, 1, &valor);
        return LeerValor(st);
    }

    const Orden& orden_;
    Sentencia grupoSube_, grupoBaja_, mayor_, menor_, minimo_, maximo_, claves_, porClave_;
};

// The smallest window showing a page: the rows, the page label and the history box.
class VentanaMinima {
public:
    explicit VentanaMinima(const std::string& archivo) {
        Check(OpenRaw(archivo, &db_), db_);
        historia_ = std::make_unique<Sentencia>(
            db_, "SELECT TC,IDCOMPROBANTE,IDCOMPLEMENTO,TIPO_ACCION,FECHAHORA,USUARIO,PC,SYSTEMUSER FROM "
                 "V_MV_CPTEACCIONES WHERE TC = 'NP' AND IDCOMPROBANTE = ?1");
        tabla_ = new QTableWidget(kPorPagina, kColumnasMostradas, &ventana_);
        tabla_->setHorizontalHeaderLabels(
            {"TC", "NUMERO", "FECHA", "VENCIMIENTO", "CLIENTE", "IMPORTE", "OBSERVACIONES"});
        for (int r = 0; r < kPorPagina; ++r) {
            tabla_->setVerticalHeaderItem(r, new QTableWidgetItem);
            for (int c = 0; c < kColumnasMostradas; ++c) tabla_->setItem(r, c, new QTableWidgetItem);
        }
        etiqueta_ = new QLabel(&ventana_);
        historiaTexto_ = new QPlainTextEdit(&ventana_);
        historiaTexto_->setFixedHeight(60);  // so that every row of the page is in view
        auto* columna = new QVBoxLayout(&ventana_);
        columna->addWidget(historiaTexto_);
        columna->addWidget(tabla_, 1);
        columna->addWidget(etiqueta_);
        // Below the program's window, so that neither covers the other.
        ventana_.setGeometry(0, 640, 900, 500);
        ventana_.show();
        pinturas_ = std::make_unique<Pinturas>(tabla_->viewport());
        QCoreApplication::processEvents();
    }
    ~VentanaMinima() {
        recorridos_.clear();
        historia_.reset();
        sqlite3_close(db_);
    }

    Recorrido& De(const Orden& orden) {
        std::unique_ptr<Recorrido>& r = recorridos_[&orden];
        if (!r) r = std::make_unique<Recorrido>(db_, orden);
        return *r;
    }

    // The rows `leer` gives, read under the wait cursor and shown with the
    // first row's history; true once painted. `cambia`: the rows are not
    // those shown, so that the table must paint.
    template <class Leer>
    bool Mostrar(std::int64_t pagina, Leer&& leer, std::vector<Fila>& filas, bool cambia = true) {
        const int antes = pinturas_->Cuantas();
        QApplication::setOverrideCursor(Qt::WaitCursor);
        QGuiApplication::sync();
        filas = leer();
        TitularFilas(pagina);
        for (int r = 0; r < kPorPagina; ++r) {
            for (int c = 0; c < kColumnasMostradas; ++c) {
                const std::size_t i = static_cast<std::size_t>(r);
                tabla_->item(r, c)->setText(i < filas.size() ? QString::fromStdString(filas[i].textos[c]) : QString());
            }
        }
        etiqueta_->setText(QString("Página %1 de %2").arg(pagina).arg(LaLista().Paginas()));
        std::string historia;
        if (!filas.empty()) {
            sqlite3_stmt* st = **historia_;
            sqlite3_bind_text(st, 1, filas.front().textos[1].c_str(), -1, SQLITE_TRANSIENT);
            RawRowsOf(st, historia);
        }
        historiaTexto_->setPlainText(historia.empty() ? QString::fromUtf8("Sin Información Adicional!!!")
                                                      : QString::fromStdString(historia));
        QApplication::restoreOverrideCursor();
        return HastaPintada(*pinturas_, cambia ? antes : -1);
    }

private:
    // Each row titled with its number in the list, as the window does: the
    // titles written quietly, their column as wide as the numbers need, then
    // drawn once.
    void TitularFilas(std::int64_t pagina) {
        QHeaderView& titulos = *tabla_->verticalHeader();
        {
            const QSignalBlocker quieto(tabla_->model());
            for (int r = 0; r < kPorPagina; ++r) {
                tabla_->verticalHeaderItem(r)->setText(QString::number((pagina - 1) * kPorPagina + r + 1));
            }
        }
        const QString mayor = QString::number(pagina * kPorPagina) + QLatin1Char('9');
        const int ancho = titulos.fontMetrics().horizontalAdvance(mayor);
        if (ancho != titulos.width()) titulos.setFixedWidth(ancho);
        titulos.viewport()->update();
    }

    static void RawRowsOf(sqlite3_stmt* st, std::string& texto) {
        while (sqlite3_step(st) == SQLITE_ROW) {
            for (int c = 0; c < sqlite3_column_count(st); ++c) {
                const unsigned char* v = sqlite3_column_text(st, c);
                texto += (c ? " " : "") + std::string(v ? reinterpret_cast<const char*>(v) : "");
            }
            texto += "\n";
        }
    }

    sqlite3* db_ = nullptr;
    std::unique_ptr<Sentencia> historia_;
    std::map<const Orden*, std::unique_ptr<Recorrido>> recorridos_;
    QWidget ventana_;
    QTableWidget* tabla_ = nullptr;
    QLabel* etiqueta_ = nullptr;
    QPlainTextEdit* historiaTexto_ = nullptr;
    std::unique_ptr<Pinturas> pinturas_;
};

std::unique_ptr<VentanaMinima> gMinima;

VentanaMinima& Minima() {
    if (!gMinima) gMinima = std::make_unique<VentanaMinima>(LaLista().archivo);
    return *gMinima;
}

// The rows of the page an action starts from and of the page it shows, as
// the reference reads them (untimed, once a case).
struct Esperado {
    std::vector<Fila> inicio;
    std::vector<Fila> destino;
};

// What the reference reads for the action, from the page it starts at.
std::vector<Fila> LeerAccion(Recorrido& r, Accion accion, const std::vector<Fila>& inicio) {
    const Lista& l = LaLista();
    switch (accion) {
    case Accion::Primera: return r.Caminar(nullptr, kPorPagina, true);
    case Accion::Siguiente: return r.Caminar(&inicio.back(), kPorPagina, true);
    case Accion::Anterior: return r.Caminar(&inicio.front(), kPorPagina, false);
    case Accion::Ultima: return r.Caminar(nullptr, static_cast<int>(l.total - (l.Paginas() - 1) * kPorPagina), false);
    case Accion::Salto: return r.Pagina(l.Medio());
    }
    return {};
}

const Esperado& EsperadoDe(const Caso& caso) {
    static std::map<std::pair<const Orden*, Accion>, Esperado> esperados;
    Esperado& e = esperados[{caso.orden, caso.accion}];
    if (e.destino.empty()) {
        Recorrido& r = Minima().De(*caso.orden);
        e.inicio = r.Pagina(PaginaDeInicio(caso.accion));
        e.destino = LeerAccion(r, caso.accion, e.inicio);
    }
    return e;
}

std::vector<long long> Claves(const std::vector<Fila>& filas) {
    std::vector<long long> ids;
    for (const Fila& f : filas) ids.push_back(f.id);
    return ids;
}

// One press of the reference: the page the action starts from on the display
// first (untimed), as in the window; then the action, timed. Its error, or "".
std::string PulsarReferencia(const Caso& caso, double& segundos) {
    const Esperado& esperado = EsperadoDe(caso);
    Recorrido& r = Minima().De(*caso.orden);
    std::vector<Fila> filas;
    Minima().Mostrar(PaginaDeInicio(caso.accion), [&] { return esperado.inicio; }, filas, false);
    const Reloj::time_point inicio = Reloj::now();
    const bool pintada = Minima().Mostrar(
        PaginaDestino(caso.accion), [&] { return LeerAccion(r, caso.accion, esperado.inicio); }, filas);
    segundos = Segundos(inicio);
    if (!pintada) return "the page was not painted";
    if (Claves(filas) != Claves(esperado.destino)) return "the reference's rows changed";
    return {};
}

// ---- The program's window -----------------------------------------------------------------------

class VentanaPrograma {
public:
    // Loaded before it shows, as the program opens it (its session is open).
    VentanaPrograma() {
        ventana_.CmdCargar_Click();
        ventana_.move(0, 0);
        ventana_.show();
        QCoreApplication::processEvents();
        vista_ = ventana_.findChild<QAbstractItemView*>("MSFlexGrid1");
        pinturas_ = std::make_unique<Pinturas>(vista_->viewport());
        if (operador_.Shown().size() != 0) throw std::runtime_error("the window showed a message while loading");
    }

    authorization::TsDbGrid& Grilla() { return ventana_.TsDbGrid1(); }

    // The order of `orden`, from page 1: a click on its column's title and
    // the sort button of its direction (the natural-order button for the
    // window's own).
    void Ordenar(const Orden& orden) {
        if (orden_ == &orden) return;
        Ir(1);
        if (orden.titulo != nullptr) {
            ClicEnTitulo(orden.titulo);
            Boton(orden.descendente ? "ImgOrdenDesc" : "ImgOrdenAsc")->click();
        } else {
            Boton("ImgOrdenN")->click();
        }
        QCoreApplication::processEvents();
        orden_ = &orden;
    }

    // Page `pagina`: page 1 through its button, the page next to the one
    // shown through the next or previous button, another through the selector.
    void Ir(std::int64_t pagina) {
        const std::int64_t actual = Grilla().PaginaActual();
        if (actual == pagina) return;
        if (pagina == 1) Boton("cmdPrimero")->click();
        else if (actual == pagina - 1) Boton("cmdSiguiente")->click();
        else if (actual == pagina + 1) Boton("cmdAnterior")->click();
        else Elegir(pagina);
        QCoreApplication::processEvents();
    }

    // The action as a person does it; true once its page is painted.
    bool Hacer(Accion accion) {
        const int antes = pinturas_->Cuantas();
        switch (accion) {
        case Accion::Primera: Boton("cmdPrimero")->click(); break;
        case Accion::Siguiente: Boton("cmdSiguiente")->click(); break;
        case Accion::Anterior: Boton("cmdAnterior")->click(); break;
        case Accion::Ultima: Boton("cmdUltimo")->click(); break;
        case Accion::Salto: Elegir(LaLista().Medio()); break;
        }
        return HastaPintada(*pinturas_, antes);
    }

    // The keys of the rows shown, in order (the grid's last column).
    std::vector<long long> Claves() {
        ui::FlexGrid& grid = Grilla().MsFlexGrid();
        std::vector<long long> ids;
        for (int r = grid.FixedRows(); r < grid.Rows(); ++r) {
            const std::string& texto = grid.TextMatrix(r, grid.Cols() - 1);
            ids.push_back(texto.empty() ? -1 : std::atoll(texto.c_str()));
        }
        return ids;
    }

    // Whether a message box showed since the last call.
    bool HuboMensaje() {
        const bool hubo = !operador_.Shown().empty();
        operador_.ClearShown();
        return hubo;
    }

    // After a case that failed the window's state is not known: its order is
    // chosen again.
    void Olvidar() { orden_ = nullptr; }

private:
    QToolButton* Boton(const char* nombre) {
        QToolButton* boton = ventana_.findChild<QToolButton*>(nombre);
        if (boton == nullptr) throw std::runtime_error(std::string("no button ") + nombre);
        return boton;
    }

    // The page selector, as a person picks an entry of its list.
    void Elegir(std::int64_t pagina) {
        auto* selector = ventana_.findChild<QComboBox*>("cboPagSelect");
        const int indice = static_cast<int>(pagina - 1);
        selector->setCurrentIndex(indice);
        emit selector->activated(indice);
    }

    // A press and release of the mouse on the column's title.
    void ClicEnTitulo(const char* titulo) {
        QHeaderView* titulos = static_cast<QTableView*>(vista_)->horizontalHeader();
        for (int s = 0; s < titulos->count(); ++s) {
            if (titulos->model()->headerData(s, Qt::Horizontal).toString() != titulo) continue;
            const QPoint punto(titulos->sectionViewportPosition(s) + titulos->sectionSize(s) / 2,
                               titulos->height() / 2);
            for (const QEvent::Type tipo : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease}) {
                QMouseEvent evento(tipo, punto, titulos->viewport()->mapToGlobal(punto), Qt::LeftButton,
                                   tipo == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton, Qt::NoModifier);
                QApplication::sendEvent(titulos->viewport(), &evento);
            }
            return;
        }
        throw std::runtime_error(std::string("no column titled ") + titulo);
    }

    ui::ScriptedOperator operador_;
    authorization::FrmAutorizarNPBloq ventana_;
    QAbstractItemView* vista_ = nullptr;
    std::unique_ptr<Pinturas> pinturas_;
    const Orden* orden_ = nullptr;
};

std::unique_ptr<VentanaPrograma> gPrograma;

VentanaPrograma& Programa() {
    if (!gPrograma) gPrograma = std::make_unique<VentanaPrograma>();
    return *gPrograma;
}

// One press in the window: its order and the page the action starts from
// first (untimed), then the action, timed. Its error, or "".
std::string PulsarPrograma(const Caso& caso, double& segundos) {
    const Esperado& esperado = EsperadoDe(caso);
    VentanaPrograma& v = Programa();
    v.Ordenar(*caso.orden);
    v.Ir(PaginaDeInicio(caso.accion));
    v.HuboMensaje();
    const Reloj::time_point inicio = Reloj::now();
    const bool pintada = v.Hacer(caso.accion);
    segundos = Segundos(inicio);
    if (pintada && !v.HuboMensaje() && v.Claves() == Claves(esperado.destino)) return {};
    v.Olvidar();
    return pintada ? "the window's rows differ from the reference's" : "the page was not painted";
}

// Each repetition presses in the window and in the reference, one after the
// other in random order, so that whatever else the machine does weighs on
// both alike.
void Par(benchmark::State& state, const Caso& caso) {
    if (QGuiApplication::platformName() != "xcb") {
        state.SkipWithError("needs a real X display: QT_QPA_PLATFORM=xcb with DISPLAY set (Xvfb)");
        return;
    }
    static std::mt19937 azar(std::random_device{}());
    for (auto _ : state) {
        double programa = 0;
        double referencia = 0;
        std::string error;
        if (azar() % 2 == 0) {
            error = PulsarPrograma(caso, programa);
            if (error.empty()) error = PulsarReferencia(caso, referencia);
        } else {
            error = PulsarReferencia(caso, referencia);
            if (error.empty()) error = PulsarPrograma(caso, programa);
        }
        state.SetIterationTime(programa + referencia);
        if (!error.empty()) {
            state.SkipWithError(error.c_str());
            break;
        }
        state.counters["program"] = programa * 1e3;
        state.counters["reference"] = referencia * 1e3;
    }
}

std::string ConMiles(std::int64_t n) {
    std::string texto = std::to_string(n);
    for (int i = static_cast<int>(texto.size()) - 3; i > 0; i -= 3) texto.insert(static_cast<std::size_t>(i), ",");
    return texto;
}

void RegistrarVentana() {
    const Lista& l = LaLista();
    const std::string tamano = l.total % 1000000 == 0 ? std::to_string(l.total / 1000000) + "M" : ConMiles(l.total);
    for (const Orden& orden : kOrdenes) {
        for (const Accion accion : {Accion::Siguiente, Accion::Anterior, Accion::Salto, Accion::Primera, Accion::Ultima}) {
            const Caso caso{&orden, accion};
            const std::string nombre =
                std::string("window: ") + NombreAccion(accion) + ", " + orden.nombre + ", " + tamano;
            RegistrarPar(nombre, [caso](benchmark::State& s) { Par(s, caso); })->UseManualTime()->Iterations(1);
        }
    }
}

}  // namespace

}  // namespace bench

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    std::int64_t ordenes = 1000000;
    std::vector<char*> resto{argv[0]};
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a.rfind("--orders=", 0) == 0) ordenes = std::atoll(a.c_str() + 9);
        else resto.push_back(argv[i]);
    }
    if (ordenes < 3 * bench::kPorPagina) {
        std::cerr << "tv_window_bench: --orders needs at least " << 3 * bench::kPorPagina << std::endl;
        return 2;
    }
    bench::Lista& lista = bench::LaLista();
    lista.archivo = bench::KeptOrders(static_cast<int>(ordenes));
    lista.total = ordenes;
    bench::AbrirSesion(foundation::Db(), lista.archivo);
    // Each case's repetitions together, in the order registered (an order at
    // a time): so the window is set up for a case once, and between its
    // repetitions only goes back to the page the action starts from.
    std::vector<char*> args{resto.front()};
    std::string repeticiones = "--benchmark_repetitions=15";
    std::string seguidas = "--benchmark_enable_random_interleaving=false";
    args.push_back(repeticiones.data());
    args.push_back(seguidas.data());
    args.insert(args.end(), resto.begin() + 1, resto.end());
    return bench::CorrerCasos(
        static_cast<int>(args.size()), args.data(), [] { bench::RegistrarVentana(); },
        [] {
            bench::gPrograma.reset();
            bench::gMinima.reset();
            foundation::Db().gCnn.Close();
        });
}
