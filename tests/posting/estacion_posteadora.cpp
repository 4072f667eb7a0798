// One station of the posting tests that run in processes of their own.
//
//   estacion_posteadora prepara <archivo.db> <esquema.sql> <ultimo PE> <hasta PE>
//     writes a new database file: the schema, document types, articles (A2
//     has an input, so every posting of it discharges a "PE" document),
//     motives, the stock entry switched on, and a "PE" range from 1 to
//     <hasta PE> whose counter stands at <ultimo PE>.
//   estacion_posteadora postea <archivo.db> <estacion> <semilla> <documentos>
//     posts that many random documents (delivery notes, receipts and
//     transfers of one to three lines, now and then a document posted again)
//     under numbers of its own station, in rounds of one to three documents
//     posted through two document objects, each at once or into the round's
//     batch, which runs after a short pause; every box is answered with OK.
//     It prints one line per posting, "D <tc> <key> <OK|REF> <entry amount>"
//     (the amount the entry books when the posting is kept), after one line
//     per box it showed, "M <text>" (a refused batch's box goes with each of
//     its documents).
//   estacion_posteadora lote <archivo.db> <estacion> <CMV|PE> <documentos> <carpeta>
//     builds one batch of that many documents through three objects: the
//     cost-of-sales entries of sales, or delivery notes of A2 whose inputs are
//     discharged; prints "N <number>" for each number of the type handed out,
//     writes <carpeta>/listo-<estacion> and waits for <carpeta>/corre-<estacion>;
//     then runs the batch and prints "R OK" or "R REF", and "M <text>" per box.
//   With <hasta PE> 0, "prepara" gives "PE" no range; "CMV" never has one.
#include <QApplication>

#include <chrono>
#include <cstdlib>
#include <exception>
#include <fstream>
#include <iostream>
#include <filesystem>
#include <random>
#include <regex>
#include <sqlite3.h>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "documents/cls_cmn_cptes.h"
#include "entrygrids/columnas.h"
#include "foundation/configuracion.h"
#include "foundation/db_dll.h"
#include "foundation/session.h"
#include "ui/flexgrid.h"
#include "ui/msgbox.h"
#include "vb/format.h"

namespace {

using namespace entrygrids;

const std::string kFF = "\xC3\xBF";

void Prepara(const std::string& archivo, const std::string& esquema, const std::string& ultimo,
             const std::string& hasta) {
    sqlite3* nueva = nullptr;
    if (sqlite3_open(archivo.c_str(), &nueva) != SQLITE_OK) throw std::runtime_error("no se pudo crear " + archivo);
    sqlite3_exec(nueva, "PRAGMA user_version = 1", nullptr, nullptr, nullptr);
    sqlite3_close(nueva);
    adodb::Connection cn;
    cn.Open("Provider=SQLOLEDB;Data Source=" + archivo);
    std::ifstream entrada(esquema);
    std::stringstream texto;
    texto << entrada.rdbuf();
    cn.Execute(texto.str());
    cn.Execute("INSERT INTO V_TA_CPTE (CODIGO, TALONARIO, SISTEMA, ES, UNEGOCIO, Letras, X_ULTIMO_NRO, X_NRO_DESDE, "
               "X_NRO_HASTA, X_SUC_DEFAULT) VALUES ('RM', 1, 'STOCK', 'S', NULL, NULL, NULL, NULL, NULL, NULL),"
               "('IR', 1, 'STOCK', 'E', NULL, NULL, NULL, NULL, NULL, NULL),"
               "('TR', 1, 'STOCK', NULL, NULL, NULL, NULL, NULL, NULL, NULL)");
    if (hasta != "0") {
        cn.Execute("INSERT INTO V_TA_CPTE (CODIGO, TALONARIO, SISTEMA, ES, UNEGOCIO, Letras, X_ULTIMO_NRO, "
                   "X_NRO_DESDE, X_NRO_HASTA, X_SUC_DEFAULT) VALUES ('PE', 1, 'STOCK', NULL, '   1', 'X', " +
                   ultimo + ", 1, " + hasta + ", 1)");
    }
    cn.Execute("INSERT INTO V_MA_ARTICULOS (IDARTICULO, DESCRIPCION, IDUNIDAD, cuentacontableC, Costo) VALUES "
               "('A1', 'Tornillo', 'UN', '1.1.01', 10), ('A2', 'Tuerca', 'UN', '1.1.02', 5), "
               "('I2', 'Insumo', 'KG', '1.1.09', 3)");
    cn.Execute("INSERT INTO V_MA_INSUMOS (IDARTICULO, IdArticuloInsumo, IdUnidadInsumo, Cantidad) "
               "VALUES ('A2', 'I2', 'KG', 2)");
    cn.Execute("INSERT INTO V_TA_MOTIVOSTOCK (IDMOTIVOSTOCK, Descripcion, CUENTACONTABLE) VALUES "
               "('M01', 'Ajuste', '5.1.01'), ('REM', 'Remito', '5.1.02')");
    cn.Execute("INSERT INTO MA_SUBDIARIOS (CODIGO, DESCRIPCION) VALUES ('ST', 'Stock')");
    cn.Execute("INSERT INTO MA_SUBDIARIOSCOMPROBANTES (TC, Subdiario) VALUES ('RM', 'ST'), ('IR', 'ST'), "
               "('TR', 'ST'), ('CMV', 'ST')");
    cn.Execute("INSERT INTO V_TA_MotivoVta (IdMotivoVta, Descripcion) VALUES ('MV1', 'Venta')");
    cn.Execute("INSERT INTO V_TA_Input_Ventas (IdMotivoVta, COSTO_MERCADERIA) VALUES ('MV1', '4.1.01')");
    cn.Execute("INSERT INTO TA_CONFIGURACION (CLAVE, VALOR) VALUES ('AsientosXStock', 'SI'), "
               "('MotivoStockRemito', 'REM')");
    cn.Close();
}

// One random line: article, quantity and cost, with lot picks or lots.
struct Linea {
    std::string articulo;
    int cantidad;
    int costo;
};

// A document posted, at once or into the batch of its round.
struct Hecho {
    std::string tc;
    std::string numero;
    bool refusado;
    long importe;
    std::vector<std::string> avisos;  // the boxes its posting showed
};

// Prints the documents of a round: the boxes each showed, and those of its
// batch's run for the documents that went into the batch.
void Imprime(const std::vector<Hecho>& hechos, const std::vector<std::string>& avisosDelLote, bool loteRefusado,
             const std::vector<bool>& enLote) {
    for (std::size_t i = 0; i < hechos.size(); ++i) {
        const Hecho& h = hechos[i];
        for (const std::string& aviso : h.avisos) std::cout << "M " << aviso << "\n";
        const bool refusado = h.refusado || (enLote[i] && loteRefusado);
        if (enLote[i] && !h.refusado) {
            for (const std::string& aviso : avisosDelLote) std::cout << "M " << aviso << "\n";
        }
        std::cout << "D " << h.tc << " " << h.numero << " " << (refusado ? "REF" : "OK") << " " << h.importe << "\n";
    }
}

std::vector<std::string> Avisos(ui::ScriptedOperator& operador) {
    std::vector<std::string> avisos;
    for (const ui::RecordedBox& caja : operador.Shown()) avisos.push_back(caja.prompt);
    while (operador.PendingAnswers() > 0) operador.MsgBox("", ui::vbOKOnly, "", "");
    operador.ClearShown();
    return avisos;
}

// The session of a station on the file.
void AbreEstacion(const std::string& archivo, int estacion) {
    foundation::Db().gCnn.Open("Provider=SQLOLEDB;Data Source=" + archivo);
    foundation::gCaja = "1";
    foundation::gPeriodo = 2024;
    foundation::gUNegocio = "   1";
    foundation::gUsuarioLogeado = "estacion" + std::to_string(estacion);
}

int Postea(const std::string& archivo, int estacion, unsigned semilla, int documentos) {
    ui::ScriptedOperator operador;
    foundation::DB_Dll& db = foundation::Db();
    AbreEstacion(archivo, estacion);
    std::mt19937 azar(semilla);
    const auto entre = [&](int desde, int hasta) { return std::uniform_int_distribution<int>(desde, hasta)(azar); };
    documents::ClsCmnCptes objetos[2];
    std::vector<std::string> guardados;
    for (int i = 0; i < documentos;) {
        // A round: one to three documents, each at once or into the round's batch.
        std::vector<Hecho> hechos;
        std::vector<bool> enLote;
        std::string sql;
        for (int d = entre(1, 3); d > 0 && i < documentos; --d, ++i) {
            const char* tipos[] = {"RM", "IR", "TR"};
            std::string tc = tipos[entre(0, 2)];
            std::string numero = "0001" + vb::Format(estacion * 10000 + i, "00000000") + "X";
            if (!guardados.empty() && entre(0, 5) == 0) {
                // The same document again: its type and number.
                const std::string& otro =
                    guardados[static_cast<std::size_t>(entre(0, static_cast<int>(guardados.size()) - 1))];
                tc = otro.substr(0, 2);
                numero = otro.substr(3);
            }
            const bool lote = entre(0, 1) == 1;
            ui::FlexGrid g;
            g.setObjectName("GrillaArticulos");
            const int lineas = entre(1, 3);
            g.SetCols(kColsArticulos);
            g.SetRows(lineas + 2);
            g.SetFixedRows(1);
            long importe = 0;
            for (int fila = 1; fila <= lineas; ++fila) {
                const Linea l{entre(0, 1) == 0 ? "A1" : "A2", entre(1, 5), entre(1, 9)};
                g.SetTextMatrix(fila, kColCodigo, l.articulo);
                g.SetTextMatrix(fila, kColDescripcion, "Desc " + l.articulo);
                g.SetTextMatrix(fila, kColCantidad, std::to_string(l.cantidad));
                g.SetTextMatrix(fila, kColUnidad, "UN");
                g.SetTextMatrix(fila, kColAuxCosto, std::to_string(l.costo));
                for (int columna : {kColAuxPideSerie, kColAuxesperecedero, kColAuxPideTalle,
                                    kColAuxInsumosPorPorcentaje, kColAuxPesable}) {
                    g.SetTextMatrix(fila, columna, "0");
                }
                if (tc == "IR") {
                    g.SetTextMatrix(fila, kColAuxNroLote, "|L" + std::to_string(entre(1, 3)) + "|");
                } else if (l.cantidad > 1) {
                    const int primera = entre(0, l.cantidad);
                    g.SetTextMatrix(fila, kColAuxNroLote, "|L1" + kFF + "|L2" + kFF + "|");
                    g.SetTextMatrix(fila, kColAuxNroSerie,
                                    "|" + std::to_string(primera) + "|" + std::to_string(l.cantidad - primera) + "|");
                }
                importe += static_cast<long>(l.cantidad) * l.costo;
            }
            std::string deposito = "01";
            std::string destino = tc == "TR" ? "09" : "";
            std::string motivo = "M01";
            std::string tcOrigen;
            std::string cpteOrigen;
            bool hayError = false;
            for (int k = 0; k < 4; ++k) operador.AnswerMsgBox(ui::vbOK);
            objetos[entre(0, 1)].ActualizaStock(g, tc, numero, "0", "05/03/2024", &deposito, &destino, &motivo,
                                                &tcOrigen, &cpteOrigen, tc == "TR", "PorDefault", lote, &sql,
                                                &hayError, "Null", "", "", "", 0, false, "");
            hechos.push_back({tc, numero, hayError, importe, Avisos(operador)});
            enLote.push_back(lote);
            if (!hayError && !lote) guardados.push_back(tc + " " + numero);
        }
        bool loteRefusado = false;
        std::vector<std::string> avisosDelLote;
        if (!sql.empty()) {
            std::this_thread::sleep_for(std::chrono::milliseconds(entre(0, 15)));
            for (int k = 0; k < 4; ++k) operador.AnswerMsgBox(ui::vbOK);
            loteRefusado = !db.EjecutaConsultaSQL(sql);
            avisosDelLote = Avisos(operador);
            for (std::size_t k = 0; k < hechos.size() && !loteRefusado; ++k) {
                if (enLote[k] && !hechos[k].refusado) guardados.push_back(hechos[k].tc + " " + hechos[k].numero);
            }
        }
        Imprime(hechos, avisosDelLote, loteRefusado, enLote);
    }
    db.gCnn.Close();
    return 0;
}

// A grid of one line of the article.
void UnaLinea(ui::FlexGrid& g, const std::string& articulo) {
    g.setObjectName("GrillaArticulos");
    g.SetCols(kColsArticulos);
    g.SetRows(3);
    g.SetFixedRows(1);
    g.SetTextMatrix(1, kColCodigo, articulo);
    g.SetTextMatrix(1, kColDescripcion, "Desc " + articulo);
    g.SetTextMatrix(1, kColCantidad, "2");
    g.SetTextMatrix(1, kColUnidad, "UN");
    g.SetTextMatrix(1, kColAuxCosto, "5");
    for (int columna : {kColAuxPideSerie, kColAuxesperecedero, kColAuxPideTalle, kColAuxInsumosPorPorcentaje,
                        kColAuxPesable}) {
        g.SetTextMatrix(1, columna, "0");
    }
}

int Lote(const std::string& archivo, int estacion, const std::string& tipo, int documentos,
         const std::filesystem::path& carpeta) {
    ui::ScriptedOperator operador;
    AbreEstacion(archivo, estacion);
    documents::ClsCmnCptes objetos[3];
    std::string sql;
    for (int i = 0; i < documentos; ++i) {
        ui::FlexGrid g;
        const std::string numero = vb::Format(estacion * 10000 + i, "00000000");
        for (int k = 0; k < 4; ++k) operador.AnswerMsgBox(ui::vbOK);
        if (tipo == "CMV") {
            UnaLinea(g, "A1");
            std::string motivo = "MV1";
            std::string tc = "FC";
            std::string suc = "0001";
            std::string nro = numero;
            std::string letra = "X";
            std::string fecha = "05/03/2024";
            bool esDebito = true;
            int secuencia = 1;
            sql += objetos[i % 3].GeneraAsientoStock(g, motivo, tc, suc, nro, letra, fecha, esDebito, 99, 0, &secuencia);
            std::cout << "N " << suc << nro << letra << "\n";
        } else {
            UnaLinea(g, "A2");
            std::string deposito = "01", destino, motivo = "M01", tcOrigen, cpteOrigen;
            bool hayError = false;
            const std::size_t antes = sql.size();
            objetos[i % 3].ActualizaStock(g, "RM", "0001" + numero + "X", "0", "05/03/2024", &deposito, &destino,
                                          &motivo, &tcOrigen, &cpteOrigen, false, "PorDefault", true, &sql, &hayError,
                                          "Null", "", "", "", 0, false, "");
            if (hayError) return 3;
            static const std::regex kPE("'PE  ','([0-9]{12}[A-Z])'");
            std::smatch pe;
            const std::string parte = sql.substr(antes);
            if (std::regex_search(parte, pe, kPE)) std::cout << "N " << pe[1] << "\n";
        }
        Avisos(operador);
    }
    std::cout.flush();
    std::ofstream(carpeta / ("listo-" + std::to_string(estacion))).put('1');
    const auto hasta = std::chrono::steady_clock::now() + std::chrono::seconds(120);
    while (!std::filesystem::exists(carpeta / ("corre-" + std::to_string(estacion)))) {
        if (std::chrono::steady_clock::now() > hasta) return 4;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    for (int k = 0; k < 4; ++k) operador.AnswerMsgBox(ui::vbOK);
    const bool corrio = foundation::Db().EjecutaConsultaSQL(sql);
    std::cout << "R " << (corrio ? "OK" : "REF") << "\n";
    for (const std::string& aviso : Avisos(operador)) std::cout << "M " << aviso << "\n";
    foundation::Db().gCnn.Close();
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication app(argc, argv);
    try {
        const std::vector<std::string> args(argv + 1, argv + argc);
        if (args.size() == 5 && args[0] == "prepara") {
            Prepara(args[1], args[2], args[3], args[4]);
            return 0;
        }
        if (args.size() == 5 && args[0] == "postea") {
            return Postea(args[1], std::stoi(args[2]), static_cast<unsigned>(std::stoul(args[3])), std::stoi(args[4]));
        }
        if (args.size() == 6 && args[0] == "lote") {
            return Lote(args[1], std::stoi(args[2]), args[3], std::stoi(args[4]), args[5]);
        }
        std::cerr << "uso: estacion_posteadora prepara <archivo.db> <esquema.sql> <ultimo PE> <hasta PE>\n"
                     "     estacion_posteadora postea <archivo.db> <estacion> <semilla> <documentos>\n"
                     "     estacion_posteadora lote <archivo.db> <estacion> <CMV|PE> <documentos> <carpeta>\n";
        return 2;
    } catch (const std::exception& e) {
        std::cerr << e.what() << "\n";
        return 1;
    }
}
