// ClsCmnCptes: the document logic the suite's programs share. A form creates
// one object on first use and keeps it for its lifetime.
//
// The class is declared here, in a library of its own beneath every subsystem
// that extends it, with its construction (three settings of the configuration
// table, read once). Its other methods are defined by the library of the
// subsystem they belong to, in files named cls_cmn_cptes_<topic>.cpp:
// src/authorization (the action log), src/lookup (document picker and
// relation queries), src/numbering (signs, pending quantities),
// src/entrygrids (grid layout, loading, checks, totals), src/lots (lot and
// serial lists and dialogs) and src/posting (stock and accounting posting).
//
// Contract: user-interface thread only; the configuration is read through
// foundation::Cfg on the session's connection, so an object is created only
// after the session started. A failure while reading it reaches the caller.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "vb/currency.h"
#include "vb/variant.h"

class QLineEdit;
class QTabWidget;
class QWidget;

namespace adodb {
class Recordset;
}
namespace ui {
class FlexGrid;
class StatusBar;
}  // namespace ui

namespace documents {

class ClsCmnCptes {
public:
    // Reads PIVA, PIVARec and AsientosXStock from the configuration table.
    ClsCmnCptes();

    double PIVA() const { return PIVA_; }
    double PIVARec() const { return PIVARec_; }
    bool AsientosXStock() const { return AsientosXStock_; }

    // ---- Action log (src/authorization) ------------------------------------

    // The action-log record of a document in V_MV_CPTEACCIONES:
    //   INSERT INTO V_MV_CPTEACCIONES (TC,IdComprobante,IdComplemento,
    //   Tipo_accion,FECHAHORA,Usuario,PC,SYSTEMUSER,NUMEROASIENTO) VALUES (...)
    // Tipo_accion is TipoAccion when given, else 'A' (lEsAlta), 'M'
    // (lEsModificacion) or 'B'. With GeneraSentencia the statement is only
    // handed back in SentenciaSQL; otherwise it runs at once. Texts are
    // written as SQL literals; IdComplemento must be a whole number and
    // NroAsiento reads as a number (empty: 0).
    // Returns whether the statement was built (and, when it runs, whether it
    // ran); nothing is built for an IdComplemento that is not a number.
    bool ActualizaBuchon(const std::string& TC, const std::string& SucNroLetra,
                         const std::string& IdComplemento, bool lEsAlta, bool lEsModificacion,
                         bool GeneraSentencia = false, std::string* SentenciaSQL = nullptr,
                         const std::string& NroAsiento = {},
                         const std::optional<std::string>& TipoAccion = std::nullopt);
    // The same record for the database layer's parameterised call: the
    // INSERT with a "?" marker for each column in SentenciaSQL, the values in
    // order in Valores (FECHAHORA the present date and time to the minute).
    // A statement run for many documents keeps one text.
    bool SentenciaBuchon(const std::string& TC, const std::string& SucNroLetra,
                         const std::string& IdComplemento, bool lEsAlta, bool lEsModificacion,
                         std::string& SentenciaSQL, std::vector<vb::Variant>& Valores,
                         const std::string& NroAsiento = {},
                         const std::optional<std::string>& TipoAccion = std::nullopt);

    // ---- Document picker and relation queries (src/lookup) ------------------

    // Shows the document picker for TC (a code or a mode word) with the extra
    // condition Filtro (Empty: none) and hands back its choice: the document
    // number(s) in Respuesta ("" when nothing was chosen), and, when given,
    // the complement and the supplier.
    void ConsultaComprobante(const std::string& TC, std::string& Respuesta,
                             const vb::Variant& Filtro = {}, std::string* IdComplemento = nullptr,
                             std::string* Proveedor = nullptr);
    vb::Currency ImporteCargosReales(const std::string& Cuenta);
    void ControlDeCargosReales(QWidget& FrmCtrlCargosReales, const std::string& Cliente,
                               const std::string& Matricula = {});
    bool EstaRelacionadoAOtroComprobante(const std::string& TC, const std::string& SucNroLetra,
                                         const std::string& Complemento = {},
                                         bool TenerEnCuentaAnulados = false);
    vb::Currency ObtieneImporteCptesAsociados(const std::string& TC, const std::string& SucNroLetra);

    // ---- Document-type rules (src/numbering) --------------------------------

    int ObtieneSignoComprobante(const std::string& TC, bool LibroIVA = false);
    double CantRepartoPend(const std::string& TC, const std::string& SucNroLetra,
                           const std::string& IdArticulo);

    // ---- Document-entry grids (src/entrygrids) ------------------------------

    void TextPropiedades(QLineEdit& Texto, long Columna);
    // A grid passed as nullptr is left alone; TxtEdit is required with
    // MSFlexGrid1 and txtEdit3 with MSFlexGrid3 (error 91 otherwise).
    void InicializaGrids(ui::FlexGrid* MSFlexGrid1, ui::FlexGrid* MSFlexGrid2, ui::FlexGrid* MSFlexGrid3,
                         QLineEdit* TxtEdit, QLineEdit* txtEdit2, QLineEdit* txtEdit3, QWidget& Obj,
                         const std::string& TC = {}, ui::FlexGrid* MSFlexGrid4 = nullptr);
    void AsignarDatosComprobante(const std::string& TC, const std::string& SucNroLetra,
                                 const std::string& IdComplemento, ui::FlexGrid& MSFlexGrid1,
                                 ui::FlexGrid& MSFlexGrid2, ui::FlexGrid& MSFlexGrid3, bool Inicializar = false,
                                 adodb::Recordset* LrcsCpte = nullptr, bool Compras = false,
                                 const std::string& Proveedor = {}, int* IdRepartoRM = nullptr);
    // Grids passed as nullptr are skipped.
    bool ValidaCantidadLineasCpte(const std::string& TC, const std::string& Letra, ui::FlexGrid* MSFlexGrid1,
                                  ui::FlexGrid* MSFlexGrid2, ui::FlexGrid* MSFlexGrid3, int* CantLineas = nullptr,
                                  int* CantLineasUsadas = nullptr, long Agragarle = 0, int LineasAnteriores = 0);
    long CuentaItems(ui::FlexGrid* MSFlexGrid1, ui::FlexGrid* MSFlexGrid2, ui::FlexGrid* MSFlexGrid3,
                     long* CantTareas = nullptr, long* CantArticulos = nullptr, long* CantOtrosConceptos = nullptr,
                     long* TotUnidades = nullptr);
    void MuestraDetalleTareas(ui::FlexGrid& MSFlexGrid1, ui::StatusBar& StatB);
    void MuestraDetalleArticulos(ui::FlexGrid& MSFlexGrid2, ui::StatusBar& StatB, long Columna = 1);
    void MuestraDetalleOtrosConceptos(ui::FlexGrid& MSFlexGrid3, ui::StatusBar& StatB);
    void MuestraDetalle(const std::string& Detalle, ui::StatusBar& StatB, long Columna = 1);
    void TotalizadorControl(ui::FlexGrid& MSFlexGrid1, ui::FlexGrid& MSFlexGrid2, ui::FlexGrid& MSFlexGrid3,
                            ui::FlexGrid& MSFlexGrid4, QTabWidget& SSTab1, bool AbiertoPorRubro = false,
                            bool AbiertoPorTipo = false);
    void PintarFila(long Fila, ui::FlexGrid& MsFlexGrid, std::optional<long> Color = std::nullopt);
    void PintarColuma(long Columna, ui::FlexGrid& MsFlexGrid, std::optional<long> FilaDesde = std::nullopt,
                      std::optional<long> FilaHasta = std::nullopt, std::optional<long> Color = std::nullopt);
    bool TareaRepetida(ui::FlexGrid& MSFlexGrid1, const std::string& Tarea, long FilaIgnorar = 0,
                       long* FilaEncontrada = nullptr);
    bool ArticuloRepetido(ui::FlexGrid& MSFlexGrid2, const std::string& Articulo, long FilaIgnorar = 0,
                          long* FilaEncontrada = nullptr);
    bool OtrosConceptosRepetidos(ui::FlexGrid& MSFlexGrid3, const std::string& OtroConcepto, long FilaIgnorar = 0,
                                 long* FilaEncontrada = nullptr);
    bool NumeroEsFraccion(const vb::Variant& Numero);

    // ---- Lots, serial numbers and positions (src/lots) ----------------------

    std::string StrSerieLote(const std::string& Serie_Lote);
    vb::Variant DescomponeSerieLote(const std::string& Serie_Lote, std::vector<std::string>& Arreglo);
    vb::Variant DescomponePosicionCantidadLote(const std::string& Posicion_Lote, const std::string& PIPELotes,
                                               std::vector<std::string>& ArrPosiciones,
                                               std::vector<std::string>& ArrCantidades,
                                               std::vector<std::string>& ArrLote);
    long Cuenta_Series_Lotes(const std::string& PipeSeries, const std::string& PIPELotes,
                             const vb::Variant& SinConsolidar = {});
    std::string ExtraeSerieLote(const std::string& Serie_Lote, int QuePosicion);
    long Cantidad_Series_Lotes(const std::string& Pipes);
    std::string InsertaCHR255(const std::string& iPipe);
    void PideSerieLote(const std::string& Articulo, double Cantidad, const std::string& SerieAnt,
                       const std::string& LoteAnt, std::string& SerieNvo, std::string& LoteNvo,
                       bool Serie = false, bool Lote = false, bool Talle = false);
    void PideSerieLote_Salidas(ui::FlexGrid& Grilla, const std::string& Articulo, const std::string& Descripcion,
                               double& Cantidad, const std::string& SeriesLoteAnt, const std::string& CantidadANT,
                               std::string& SeriesLoteNvo, std::string& CantidadesNvo, bool Lote, bool Serie,
                               bool Talle, std::string* Deposito = nullptr, bool MostrarForm = true);
    void CuentaLotesEnGrilla(ui::FlexGrid& Grilla, const std::string& Articulo, std::string& LotesEnGrid,
                             std::string& CantidadesEnGrid);
    void PidePosicionLote(const std::string& Articulo, const std::string& IdUnidad, double Cantidad,
                          const std::string& Deposito, const std::string& PosicionAnt, const std::string& LoteAnt,
                          std::string& PosicionNVO, std::string& LoteNvo, bool Posicion = true, bool Lote = false);
    void ObtieneStockxEquiv(const std::string& IdDeposito, const std::string& IdArticulo, const std::string& UdBase,
                            const std::string& udEquivBuscada, double& StockUdBase, double& StockEquiv);
    // "Ignorar" (any case) leaves a filter out; a null IdDeposito or IdUnidad
    // stands for "Ignorar". A default depot or unit filled in is written back.
    double ObtieneStock(const std::string& IdArticulo, std::string* IdDeposito = nullptr,
                        const std::string& NroLote = "Ignorar", const std::string& NroSerie = "Ignorar",
                        const std::string& IdPosicion = "Ignorar", std::string* IdUnidad = nullptr);
    long Busca_Lotes_Series(const std::string& PipeSeriesLotes, const std::string& QueSerieLote);

    // ---- Stock and accounting posting (src/posting) -------------------------

    std::string GeneraAsientoStock(ui::FlexGrid& Grid, std::string& eMotivoStock, std::string& TC, std::string& Suc,
                                   std::string& Nro, std::string& Letra, std::string& Fecha, bool& EsDebito,
                                   int TipoMov, long SoloRegistro = 0, int* Secuencia = nullptr);
    void ActualizaStock(ui::FlexGrid& MSFlexGrid2, std::string TC, std::string SucNroLetra, std::string IdComplemento,
                        const std::string& Fecha, std::string* IdDeposito = nullptr,
                        std::string* IdDepositoDestino = nullptr, std::string* IdMotivoStock = nullptr,
                        std::string* TcOrigen = nullptr, std::string* ComprobanteOrigen = nullptr,
                        bool EsTransferencia = false, const std::string& Cuenta = "PorDefault",
                        bool GeneraSentenciaSQL = false, std::string* SQLTemp = nullptr, bool* HayError = nullptr,
                        const std::string& IdTecnico = "Null", const std::string& LoteFijo = {},
                        const std::string& Aduana = {}, const std::string& LoteOrigen = {}, int SignoRemota = 0,
                        bool MuestraCartel = false, const std::string& IdVendedor = {});

private:
    double PIVA_ = 0;
    double PIVARec_ = 0;
    bool AsientosXStock_ = false;
    // The stock accounting entry GeneraAsientoStock keeps open: its number,
    // the document booked under it and the next free sequence of its lines.
    std::int32_t NroAsientoStock_ = 0;
    std::string CpteAsientoStock_;
    int SecuenciaAsientoStock_ = 1;
};

}  // namespace documents
