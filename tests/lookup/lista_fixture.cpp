#include "lista_fixture.h"

#include <QApplication>
#include <QFocusEvent>
#include <QTreeWidget>

#include "ui/msgbox.h"
#include "vb/variant.h"

namespace lookup::testing {

ListaTest::ListaTest() {
    Run("INSERT INTO V_TA_VENDEDORES (IDVENDEDOR, NOMBRE) VALUES "
        "('100', 'Ana'), ('120', 'Beto'), ('123', 'Carla'), ('200', 'Dario'), ('300', 'D''Angelo')");
    // Stock tiers: A1 reorder point 0 with stock, A2 above its point, A3
    // below it, A4 nothing at all, A5 exactly at its point.
    Run("INSERT INTO V_MA_ARTICULOS (IDARTICULO, DESCRIPCION, PUNTOPEDIDO, PRECIO1, PRECIO2) VALUES "
        "('A1', 'Aceite', 0, 10, 11), ('A2', 'Bidon', 5, 20, 21), ('A3', 'Cable', 5, 30, 31), "
        "('A4', 'Disco', 0, 40, 41), ('A5', 'Estopa d''algodon', 5, 50, 51)");
    Run("INSERT INTO STK_SALDOS_UNIDADES (IDARTICULO, EQUIVALENCIA, IDDEPOSITO, STOCK) VALUES "
        "('A1', 'UN', '1', 5), ('A2', 'UN', '1', 6), ('A2', 'UN', '2', 4), ('A3', 'UN', '1', 2), "
        "('A5', 'UN', '1', 5)");
}

Lib_FrmCons3& ListaTest::Mostrar(const std::string& sql, const std::function<void(Lib_FrmCons3&)>& accion,
                                 const std::function<void(Lib_FrmCons3&)>& preparar) {
    form_ = std::make_unique<Lib_FrmCons3>();
    form_->SQL = sql;
    if (preparar) preparar(*form_);
    operator_.OnModal([accion](QWidget& w) {
        if (accion) accion(dynamic_cast<Lib_FrmCons3&>(w));
    });
    ui::ShowModal(*form_);
    return *form_;
}

std::vector<std::string> ListaTest::Columna(const Lib_FrmCons3& lista, int k) {
    std::vector<std::string> textos;
    for (int i = 0; i < lista.ListView1->topLevelItemCount(); ++i) {
        textos.push_back(lista.ListView1->topLevelItem(i)->text(k - 1).toStdString());
    }
    return textos;
}

std::string ListaTest::Seleccionada(const Lib_FrmCons3& lista) {
    const QTreeWidgetItem* fila = lista.FilaSeleccionada();
    return fila ? fila->text(0).toStdString() : std::string();
}

std::vector<std::string> ListaTest::Marcadas(const Lib_FrmCons3& lista) {
    std::vector<std::string> textos;
    for (int i = 0; i < lista.ListView1->topLevelItemCount(); ++i) {
        const QTreeWidgetItem& fila = *lista.ListView1->topLevelItem(i);
        if (lista.Marcada(fila)) textos.push_back(fila.text(0).toStdString());
    }
    return textos;
}

void ListaTest::Tecla(QWidget* control, int tecla, Qt::KeyboardModifiers modificadores) {
    QString texto;
    if (tecla >= 0x20 && tecla < 0x7F) texto = QString(QChar(tecla)).toLower();
    QKeyEvent pulsada(QEvent::KeyPress, tecla, modificadores, texto);
    QApplication::sendEvent(control, &pulsada);
    QKeyEvent soltada(QEvent::KeyRelease, tecla, modificadores, texto);
    QApplication::sendEvent(control, &soltada);
}

void ListaTest::Foco(QWidget* control, bool entra) {
    QFocusEvent evento(entra ? QEvent::FocusIn : QEvent::FocusOut, Qt::OtherFocusReason);
    QApplication::sendEvent(control, &evento);
}

std::vector<std::vector<std::string>> ListaTest::Filas(const std::string& sql) {
    std::vector<std::vector<std::string>> filas;
    for (const auto& fila : db_.gCnn.Query(sql).rows) {
        std::vector<std::string> textos;
        for (const vb::Variant& valor : fila) textos.push_back(vb::TextOf(valor));
        filas.push_back(std::move(textos));
    }
    return filas;
}

}  // namespace lookup::testing
