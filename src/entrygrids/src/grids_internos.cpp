#include "grids_internos.h"

#include <QFontMetrics>
#include <QString>
#include <QWidget>

#include "db/adodb.h"
#include "foundation/configuracion.h"
#include "foundation/db_dll.h"
#include "helpers/helpers.h"
#include "ui/flexgrid.h"
#include "vb/text.h"
#include "vb/variant.h"

namespace entrygrids::detail {

std::string CfgValor(const std::string& clave) {
    std::string aux;
    return foundation::Cfg(clave, aux);
}

bool CfgEsSI(const std::string& clave) { return foundation::EsSI(CfgValor(clave)); }

long TextWidth(const QWidget& obj, std::string_view texto) {
    const QString q = QString::fromUtf8(texto.data(), static_cast<qsizetype>(texto.size()));
    return static_cast<long>(obj.fontMetrics().horizontalAdvance(q)) * ui::kTwipsPerPixel;
}

long AnchoX(const QWidget& obj, int n) { return n <= 0 ? 0 : TextWidth(obj, std::string(n, 'X')); }

std::string CasoPropio(std::string_view texto) {
    QString q = QString::fromUtf8(texto.data(), static_cast<qsizetype>(texto.size()));
    bool inicio = true;
    for (QChar& c : q) {
        if (c.isSpace()) {
            inicio = true;
            continue;
        }
        c = inicio ? c.toUpper() : c.toLower();
        inicio = false;
    }
    return q.toStdString();
}

bool LineaCargada(const ui::FlexGrid& grilla, int fila) { return !vb::Trim(grilla.TextMatrix(fila, 0)).empty(); }

long CuentaLineas(const ui::FlexGrid* grilla) {
    if (grilla == nullptr) return 0;
    long n = 0;
    for (int fila = 1; fila < grilla->Rows(); ++fila) {
        if (LineaCargada(*grilla, fila)) ++n;
    }
    return n;
}

std::string Campo(const adodb::Recordset& rs, std::string_view nombre) {
    return vb::TextOf(helpers::gFunciones().ValorCampo(rs.Fields(nombre)));
}

std::string CampoT(const adodb::Recordset& rs, std::string_view nombre) { return vb::Trim(Campo(rs, nombre)); }

bool EsNulo(const adodb::Recordset& rs, std::string_view nombre) { return rs.Fields(nombre).Value().IsNull(); }

void Procedimiento::Ejecuta(const vb::Step& sentencia) const {
    const bool sigue = vb::RunStep(sentencia, [this](const vb::Error& error) {
        return foundation::Db().TratamientoErrores(error, std::nullopt, rutina_);
    });
    if (!sigue) throw Abandono{};
}

void Procedimiento::Informa(const vb::Error& error) const {
    foundation::Db().TratamientoErrores(error, std::nullopt, rutina_);
}

}  // namespace entrygrids::detail
