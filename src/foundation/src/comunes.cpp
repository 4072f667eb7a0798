#include "foundation/comunes.h"

#include <QIcon>
#include <QVariant>
#include <QWidget>
#include <chrono>
#include <filesystem>
#include <thread>

#include "db/adodb.h"
#include "foundation/configuracion.h"
#include "foundation/db_dll.h"
#include "foundation/session.h"
#include "helpers/helpers.h"
#include "ui/msgbox.h"
#include "vb/conv.h"
#include "vb/format.h"
#include "vb/regional.h"
#include "vb/steps.h"
#include "vb/text.h"

namespace foundation {

std::vector<CampoValor> gCamposInsert;
std::vector<TotalGrupo> TotalesPorGrupo;

namespace {

// "h:mm" or hours alone, as minutes.
double MinutosDeTexto(const std::string& texto) {
    const long dosPuntos = vb::InStr(texto, ":");
    if (dosPuntos == 0) return vb::Val(texto) * 60;
    return vb::Val(vb::Left(texto, static_cast<std::size_t>(dosPuntos - 1))) * 60 +
           vb::Val(vb::Mid(texto, dosPuntos + 1));
}

}  // namespace

bool TextoABoolean(std::string_view Texto) {
    for (std::string_view falso : {"FALSE", "FALSO", "0", "NO", "N"}) {
        if (vb::Equals(Texto, falso)) return false;
    }
    return true;
}

std::string FormatoFechaHora() { return "dd/mm/yy hh:mm"; }

double ConvierteHora(const std::string& Texto, const std::string& Horas, const std::string& Minutos,
                     bool SoloTexto) {
    if (SoloTexto) return MinutosDeTexto(Texto);
    if (const std::optional<vb::Date> fecha = vb::ParseDate(Texto)) {
        const vb::DateParts partes = fecha->Parts();
        return partes.hour * 60 + partes.minute;
    }
    if (!vb::Trim(Texto).empty()) return MinutosDeTexto(Texto);
    const double horas = vb::Val(Horas);
    const double minutos = vb::Val(Minutos);
    if (!(horas > 0) && !(minutos > 0)) return 0;
    return horas * 60 + minutos;
}

std::string FormatoHoraDecimal(double Minutos, long& Horas, long& Mins) {
    std::string aux;
    std::string separador = Cfg("SeparadorHora", aux);
    if (vb::Trim(separador).empty()) separador = ":";
    if (separador != ".") {
        const std::int32_t total = vb::CLng(Minutos);
        Horas = total / 60;
        Mins = total % 60;
        return vb::Format(static_cast<double>(Horas), "#####00") + separador +
               vb::Format(static_cast<double>(Mins), "#####00");
    }
    return helpers::gFunciones().Reemplaza(vb::Format(Minutos / 60, "#####.00"), ",", ".");
}

long IndiceEnLista(const std::string& Texto) {
    const std::string buscado = vb::Trim(Texto);
    const helpers::ClsFunciones& f = helpers::gFunciones();
    for (std::size_t i = 0; i < TotalesPorGrupo.size(); ++i) {
        const std::string clave = vb::Trim(f.QuitaCaracteres(TotalesPorGrupo[i].Grupo, vb::kChr255, vb::Chr(0)));
        if (vb::Equals(clave, buscado)) return static_cast<long>(i);
    }
    return -1;
}

std::string LimpiaTexto(const vb::Variant& Texto) {
    return vb::Trim(helpers::gFunciones().QuitaCaracteres(vb::TextOf(Texto), vb::Chr(0), vb::kChr255, vb::Chr(10)));
}

int BuscaEnArray(const std::vector<std::string>& Lista, const std::string& Texto, int Desde) {
    if (Desde < 0) vb::Raise(vb::kErrSubscript, "Subscript out of range");
    for (std::size_t i = static_cast<std::size_t>(Desde); i < Lista.size(); ++i) {
        if (vb::Equals(Lista[i], Texto)) return static_cast<int>(i);
    }
    return -1;
}

std::string LetraComprobante(const std::string& CondicionPropia, const std::string& CondicionCliente) {
    if (vb::Val(CondicionPropia) != 1) return "C";
    if (vb::Val(CondicionCliente) > 2) return "B";
    return "A";
}

void ConfiguraFormulario(QWidget* Formulario) {
    if (!Formulario) return;
    vb::IgnoreErrors([&] {
        const helpers::ClsFunciones& f = helpers::gFunciones();
        const std::filesystem::path nombre =
            helpers::gArchivoIni().LeeIni(kArchivoIni, "Iconos", "IconoDelSistema", "ZAZADIZAVAZ");
        const std::filesystem::path icono =
            nombre.is_absolute() ? nombre : std::filesystem::path(f.RutaConBarra(f.RutaAplicacion())) / nombre;
        if (std::filesystem::is_regular_file(icono))
            Formulario->setWindowIcon(QIcon(QString::fromStdString(icono.string())));
    });

    std::string clase = Formulario->metaObject()->className();
    if (const std::size_t ns = clase.rfind("::"); ns != std::string::npos) clase = clase.substr(ns + 2);
    if (vb::Equals(clase, "FRMMDI")) return;

    vb::IgnoreErrors([&] { helpers::gEstacion().AjustaFormulario(Formulario); });
    for (const char* barra : {"UtilNet1", "TBarRep1", "Util0011"}) {
        vb::IgnoreErrors([&] {
            if (auto* toolbar = Formulario->findChild<QWidget*>(barra))
                toolbar->setProperty("StyleBar", QVariant(vb::CDbl(gEstiloToolbar)));
        });
    }
    vb::IgnoreErrors([] { ui::DoEvents(); });
}

bool BuscaArticulo(std::string& Codigo, adodb::Recordset& Rs, bool& SoloLectura, bool& PorCodigoBarra,
                   std::string& Descripcion) {
    DB_Dll& db = Db();
    const bool corto = vb::Len(Codigo) <= 6;
    if (corto) PorCodigoBarra = false;
    const std::string literal = vb::TextOf(db.SQLValue(helpers::gFunciones().AjustaAncho(Codigo, 25), "'"));

    // Opens one query into Rs; true when it found a row.
    const auto busca = [&](const std::string& consulta) {
        Rs.Close();
        std::string sql = consulta + literal;
        if (SoloLectura)
            db.AbrirRecordset(sql, Rs, nullptr, adodb::adOpenForwardOnly, adodb::adLockReadOnly, -1, true);
        else
            db.AbrirRecordset(sql, Rs, nullptr, adodb::adOpenDynamic, adodb::adLockOptimistic, -1, true);
        return !Rs.EOF();
    };
    const auto idArticulo = [&] { return vb::CStr(Rs.Fields("IdArticulo").Value()); };

    const std::string porId = "SELECT * FROM V_MA_ARTICULOS WHERE IDARTICULO = ";
    const std::string porBarra = "SELECT * FROM V_MA_ARTICULOS WHERE codigobarra =  ";
    const std::string porBarrasAlternativas[] = {
        "SELECT *, UD_TTE AS IDUNIDAD FROM V_MA_ARTICULOS WHERE CODIGOBARRADUN = ",
        "SELECT *, UMCB1 AS IDUNIDAD FROM V_MA_ARTICULOS WHERE CODIGOBARRA1 = ",
        "SELECT *, UMCB2 AS IDUNIDAD FROM V_MA_ARTICULOS WHERE CODIGOBARRA2 = ",
        "SELECT *, UMCB3 AS IDUNIDAD FROM V_MA_ARTICULOS WHERE CODIGOBARRA3 = ",
        "SELECT *, UMCB4 AS IDUNIDAD FROM V_MA_ARTICULOS WHERE CODIGOBARRA4 = ",
    };

    bool encontrado = false;
    if (busca(PorCodigoBarra ? porBarra : porId)) {
        encontrado = true;
        Codigo = idArticulo();
    } else if (!corto) {
        if (busca(porBarra)) {
            encontrado = true;
            Codigo = idArticulo();
        } else {
            for (const std::string& consulta : porBarrasAlternativas) {
                if (busca(consulta)) {
                    encontrado = true;
                    if (PorCodigoBarra) Codigo = idArticulo();
                    break;
                }
            }
        }
        if (!encontrado) encontrado = busca(porId);
    }
    if (Rs.State() == adodb::adStateOpen && !Rs.BOF() && !Rs.EOF())
        Descripcion = vb::CStr(Rs.Fields("Descripcion").Value());
    return encontrado;
}

std::string FmtMoneda(const std::string& Valor, int Decimales) {
    if (Decimales == -3) return Valor;
    int n = Decimales == -1 ? vb::CInt(vb::Val(gCantidadDecimales)) : Decimales;
    if (n == 0) n = vb::GetRegional().currencyDigits;
    if (n == -2) n = 0;
    if (n < 0) vb::Raise(vb::kErrInvalidCall, "Invalid procedure call or argument");

    const std::string formato = "############0." + std::string(static_cast<std::size_t>(n), '0');
    const vb::Currency importe = helpers::gFunciones().TextoAMoneda(Valor);
    std::string texto = vb::Format(vb::Round(importe.ToDouble(), n), formato);
    if (n == 0 && !texto.empty() && (texto.back() == '.' || texto.back() == ',')) texto.pop_back();
    return texto;
}

std::string ArmaCondicion(const std::string& Campo, const std::string& Operador,
                          const std::vector<std::string>& ListaValores, const std::string& Conector,
                          const std::string& Comilla, bool IncluyeNulos, bool OmitirVacios) {
    if (ListaValores.empty()) return "1=0";  // nothing to compare: no row
    const auto termino = [&](const std::string& valor) {
        const std::string literal =
            Comilla == "'" ? vb::TextOf(Db().SQLValue(vb::Variant(valor), "'")) : Comilla + valor + Comilla;
        return Campo + Operador + literal;
    };
    std::string condicion = termino(ListaValores[0]);
    for (std::size_t i = 1; i < ListaValores.size(); ++i) {
        if (OmitirVacios && vb::Trim(ListaValores[i]).empty()) continue;
        condicion += Conector + termino(ListaValores[i]);
    }
    if (IncluyeNulos) condicion += Conector + Campo + " is null ";
    return condicion;
}

void ArmaInsert(std::string& SQL, std::vector<CampoValor>& Campos, bool Limpiar) {
    if (Campos.empty()) vb::Raise(vb::kErrSubscript, "Subscript out of range");
    std::string columnas = "(";
    std::string valores = " VALUES (";
    for (std::size_t i = 0; i < Campos.size(); ++i) {
        const char* fin = i + 1 < Campos.size() ? "," : ")";
        columnas += Campos[i].Campo + fin;
        valores += Campos[i].Valor + fin;
    }
    SQL += columnas + valores;
    if (Limpiar) Campos.clear();
}

void Espera(int Milisegundos) {
    const auto hasta = std::chrono::steady_clock::now() + std::chrono::milliseconds(Milisegundos);
    do {
        ui::DoEvents();
        if (std::chrono::steady_clock::now() >= hasta) break;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    } while (std::chrono::steady_clock::now() < hasta);
}

}  // namespace foundation
