#include "grids_internos.h"

#include <QFontMetrics>
#include <QString>
#include <QWidget>

#include <utility>

#include "db/adodb.h"
#include "foundation/configuracion.h"
#include "foundation/db_dll.h"
#include "helpers/helpers.h"
#include "ui/flexgrid.h"
#include "vb/conv.h"
#include "vb/error.h"
#include "vb/text.h"
#include "vb/variant.h"

namespace entrygrids {

std::string CfgValor(const std::string& clave) {
    std::string aux;
    return foundation::Cfg(clave, aux);
}

bool CfgEsSI(const std::string& clave) { return foundation::EsSI(CfgValor(clave)); }

bool Verdadero(const vb::Variant& valor) {
    if (valor.IsNull() || valor.IsEmpty()) return false;
    if (valor.IsNumber()) return vb::CDbl(valor) != 0;
    const std::string texto = vb::Trim(vb::TextOf(valor));
    if (texto.empty()) return false;
    if (const auto n = vb::ParseNumber(texto)) return *n != 0;
    return !vb::Equals(texto, "FALSE") && !vb::Equals(texto, "FALSO") && !vb::Equals(texto, "NO") &&
           !vb::Equals(texto, "N");
}

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

long TextWidth(const QWidget& obj, std::string_view texto) {
    const QString q = QString::fromUtf8(texto.data(), static_cast<qsizetype>(texto.size()));
    return static_cast<long>(obj.fontMetrics().horizontalAdvance(q)) * ui::kTwipsPerPixel;
}

long AnchoX(const QWidget& obj, int n) { return n <= 0 ? 0 : TextWidth(obj, std::string(n, 'X')); }

std::string Campo(const adodb::Recordset& rs, std::string_view nombre) {
    return vb::TextOf(helpers::gFunciones().ValorCampo(rs.Fields(nombre)));
}

std::string CampoT(const adodb::Recordset& rs, std::string_view nombre) { return vb::Trim(Campo(rs, nombre)); }

vb::Currency Producto(vb::Currency a, vb::Currency b) { return vb::Currency::FromDouble(a.ToDouble() * b.ToDouble()); }

std::optional<vb::Currency> NumeroGuardable(std::string_view texto) {
    try {
        return helpers::gFunciones().TextoAMoneda(texto);
    } catch (const vb::Error& error) {
        if (error.Number() != vb::kErrOverflow) throw;
        return std::nullopt;
    }
}

}  // namespace entrygrids

namespace entrygrids::detail {

bool LineaCargada(const ui::FlexGrid& grilla, int fila) { return !vb::Trim(grilla.TextMatrix(fila, 0)).empty(); }

long CuentaLineas(const ui::FlexGrid* grilla) {
    if (grilla == nullptr) return 0;
    long n = 0;
    for (int fila = 1; fila < grilla->Rows(); ++fila) {
        if (LineaCargada(*grilla, fila)) ++n;
    }
    return n;
}

bool EsNulo(const adodb::Recordset& rs, std::string_view nombre) { return rs.Fields(nombre).Value().IsNull(); }

void Procedimiento::Ejecuta(const vb::Step& sentencia) const {
    if (!vb::RunStep(sentencia, manejador_)) throw Abandono{};
}

void Procedimiento::Informa(const vb::Error& error) const { manejador_(error); }

}  // namespace entrygrids::detail
