// ClsCmnCptes: the document picker and the document-relation queries. None
// of these methods uses the object's state; each call stands alone.
#include <QMetaObject>
#include <QMetaProperty>
#include <QVariant>
#include <QWidget>

#include <memory>

#include "documents/cls_cmn_cptes.h"
#include "db/adodb.h"
#include "foundation/db_dll.h"
#include "foundation/sql_literal.h"
#include "helpers/helpers.h"
#include "lookup/frm_cons_comprobantes.h"
#include "lookup_internal.h"
#include "ui/msgbox.h"
#include "vb/steps.h"
#include "vb/text.h"

namespace documents {

using lookup::detail::Tratamiento;

namespace {

// "Object doesn't support this property or method".
constexpr long kErrSinPropiedad = 438;

// An amount field as a fixed-point amount; Null (and empty text) is 0.
vb::Currency Importe(const adodb::Field& campo) {
    const vb::Variant valor = helpers::gFunciones().ValorCampo(campo);
    if (valor.IsCurrency()) return std::get<vb::Currency>(valor.Get());
    if (valor.IsNumber()) return vb::Currency::FromDouble(vb::CDbl(valor));
    return helpers::gFunciones().TextoAMoneda(vb::TextOf(valor));
}

// The origin condition shared by the relation queries: the type fitted to
// four characters and the number, both trimmed. Type codes are stored in
// capitals and compared without regard to case.
std::string CondicionOrigen(const std::string& TC, const std::string& SucNroLetra) {
    return "SELECT * FROM V_MV_CPTE WHERE TCORIGEN = " +
           foundation::SqlText(vb::UCase(helpers::gFunciones().AjustaAncho(vb::Trim(TC), 4))) +
           " AND COMPROBANTEORIGEN = " + foundation::SqlText(vb::Trim(SucNroLetra));
}

// Sets a declared property of the caller's window by name.
void AsignarPropiedad(QWidget& ventana, const char* nombre, const std::string& valor) {
    if (ventana.metaObject()->indexOfProperty(nombre) < 0 ||
        !ventana.setProperty(nombre, QVariant(QString::fromStdString(valor)))) {
        vb::Raise(kErrSinPropiedad, std::string("Object doesn't support this property or method: ") + nombre);
    }
}

}  // namespace

void ClsCmnCptes::ConsultaComprobante(const std::string& TC, std::string& Respuesta, const vb::Variant& Filtro,
                                      std::string* IdComplemento, std::string* Proveedor) {
    // A new picker for every call: nothing is left over from the last one.
    auto picker = std::make_unique<lookup::FrmConsComprobantes>();
    vb::RunSteps(
        {
            [&] { picker->TC = TC; },
            [&] { picker->Filtro = Filtro.IsEmpty() ? std::string() : vb::CStr(Filtro); },
            [&] { picker->NroComprobante.clear(); },
            [&] { ui::ShowModal(*picker); },
            [&] { Respuesta = picker->NroComprobante; },
            [&] {
                if (IdComplemento) *IdComplemento = picker->IdComplemento;
            },
            [&] {
                if (Proveedor) *Proveedor = picker->Proveedor;
            },
        },
        Tratamiento("ConsultaComprobante"));
}

vb::Currency ClsCmnCptes::ImporteCargosReales(const std::string& Cuenta) {
    vb::Currency importe;
    adodb::Recordset rs;
    std::string sentencia = "SELECT SUM (SALDO) AS IMPORTE FROM V_MV_CargosAplicados WHERE CUENTA = " +
                            foundation::SqlText(vb::Trim(Cuenta));
    const bool siguio = vb::RunSteps(
        {
            [&] { foundation::Db().AbrirRecordset(sentencia, rs); },
            [&] { importe = Importe(rs.Fields("Importe")); },
        },
        Tratamiento("ImporteCargosReales@"));
    return siguio ? importe : vb::Currency();
}

void ClsCmnCptes::ControlDeCargosReales(QWidget& FrmCtrlCargosReales, const std::string& Cliente,
                                        const std::string& Matricula) {
    AsignarPropiedad(FrmCtrlCargosReales, "Cliente", Cliente);
    AsignarPropiedad(FrmCtrlCargosReales, "Matricula", Matricula);
    ui::ShowModal(FrmCtrlCargosReales);
}

bool ClsCmnCptes::EstaRelacionadoAOtroComprobante(const std::string& TC, const std::string& SucNroLetra,
                                                  const std::string& Complemento, bool TenerEnCuentaAnulados) {
    // The complement goes in as given, blanks included; an empty one is the
    // complement 0, as a server reads '' against the number column.
    const std::string complemento = vb::Trim(Complemento).empty() ? "0" : foundation::SqlText(Complemento);
    std::string sentencia = CondicionOrigen(TC, SucNroLetra) + " AND COMPLEMENTOORIGEN = " + complemento + " ";
    if (!TenerEnCuentaAnulados) sentencia += " AND ANULADA = 0";
    adodb::Recordset rs;
    foundation::Db().AbrirRecordset(sentencia, rs);
    // A statement that could not be opened was reported; reading the closed
    // recordset then raises to the caller instead of answering False.
    return !(rs.BOF() && rs.EOF());
}

vb::Currency ClsCmnCptes::ObtieneImporteCptesAsociados(const std::string& TC, const std::string& SucNroLetra) {
    std::string sentencia = CondicionOrigen(TC, SucNroLetra) + " AND ANULADA = 0";
    adodb::Recordset rs;
    foundation::Db().AbrirRecordset(sentencia, rs);
    vb::Currency total;
    if (rs.BOF()) return total;
    for (rs.MoveFirst(); !rs.EOF(); rs.MoveNext()) total += Importe(rs.Fields("Importe"));
    return total;
}

}  // namespace documents
