-- Tarvolin database schema, SQLite dialect.
--
-- Dates are ISO text (YYYY-MM-DD HH:MM:SS). Declared types give the field
-- types the program sees (DATETIME, MONEY, INT, BIT, VARCHAR(n), CHAR(n)).
-- Codes are blank-padded, so code columns compare with COLLATE RTRIM; names
-- and configuration keys compare without regard to case (COLLATE NOCASE).
-- Objects the program writes through views are tables here; the restricted
-- synonyms (SS_ names) are views.

-- ---- Configuration and users ------------------------------------------------

CREATE TABLE TA_CONFIGURACION (
    CLAVE    VARCHAR(50) COLLATE NOCASE PRIMARY KEY,
    VALOR    VARCHAR(255),
    VALORAUX VARCHAR(255)
);

CREATE TABLE ta_usuarios (
    nombre        VARCHAR(50) COLLATE NOCASE PRIMARY KEY,
    Administrador INT NOT NULL DEFAULT 0,
    UNegocio      CHAR(4) COLLATE RTRIM
);

-- ---- Documents ------------------------------------------------------------------

CREATE TABLE V_MV_CPTE (
    ID                INTEGER PRIMARY KEY,
    TC                CHAR(4) COLLATE RTRIM NOT NULL,
    IDCOMPROBANTE     VARCHAR(13) COLLATE RTRIM NOT NULL,
    IDCOMPLEMENTO     INT NOT NULL DEFAULT 0,
    FECHA             DATETIME,
    FECHAESTFIN       DATETIME,
    CUENTA            VARCHAR(20) COLLATE RTRIM,
    NOMBRE            VARCHAR(100) COLLATE NOCASE,
    IMPORTE           MONEY NOT NULL DEFAULT 0,
    OBSERVACIONES     VARCHAR(255),
    BLOQUEADA         BIT NOT NULL DEFAULT 0,
    ANULADA           BIT NOT NULL DEFAULT 0,
    APROBADO          BIT NOT NULL DEFAULT 0,
    FINALIZADA        BIT NOT NULL DEFAULT 0,
    FECHAPREPARACION  DATETIME,
    COMENTARIOS       VARCHAR(255),
    TCORIGEN          CHAR(4) COLLATE RTRIM,
    COMPROBANTEORIGEN VARCHAR(13) COLLATE RTRIM,
    COMPLEMENTOORIGEN INT,
    IdReparto         INT,              -- delivery round; -1 when in none
    CondicionIVA      VARCHAR(4) COLLATE RTRIM,  -- the customer's VAT condition
    EnComodato        INT               -- 1: the goods are on loan
);
CREATE INDEX IX_V_MV_CPTE_TC_BLOQUEADA ON V_MV_CPTE (TC, BLOQUEADA);
CREATE INDEX IX_V_MV_CPTE_CLAVE ON V_MV_CPTE (TC, IDCOMPROBANTE, IDCOMPLEMENTO);
-- The list of blocked orders walks one of these in each order it can be
-- sorted by, so that a page reads about a page of index.
CREATE INDEX IX_V_MV_CPTE_LISTA_NUMERO ON V_MV_CPTE (TC, BLOQUEADA, IDCOMPROBANTE);
CREATE INDEX IX_V_MV_CPTE_LISTA_FECHA ON V_MV_CPTE (TC, BLOQUEADA, FECHA);
CREATE INDEX IX_V_MV_CPTE_LISTA_VENCIMIENTO ON V_MV_CPTE (TC, BLOQUEADA, FECHAESTFIN);
CREATE INDEX IX_V_MV_CPTE_LISTA_CLIENTE ON V_MV_CPTE (TC, BLOQUEADA, NOMBRE);
CREATE INDEX IX_V_MV_CPTE_LISTA_IMPORTE ON V_MV_CPTE (TC, BLOQUEADA, IMPORTE);
CREATE INDEX IX_V_MV_CPTE_LISTA_OBSERVACIONES ON V_MV_CPTE (TC, BLOQUEADA, OBSERVACIONES);

-- One row per action on a document (A alta, M modificación, B baja,
-- E and AO authorization).
CREATE TABLE V_MV_CPTEACCIONES (
    ID             INTEGER PRIMARY KEY,
    TC             CHAR(4) COLLATE RTRIM NOT NULL,
    IdComprobante  VARCHAR(13) COLLATE RTRIM NOT NULL,
    IdComplemento  INT NOT NULL DEFAULT 0,
    Tipo_accion    VARCHAR(2) COLLATE RTRIM NOT NULL,
    FECHAHORA      DATETIME,
    Usuario        VARCHAR(50) COLLATE NOCASE,
    PC             VARCHAR(50),
    SYSTEMUSER     VARCHAR(50),
    NUMEROASIENTO  INT NOT NULL DEFAULT 0
);
CREATE INDEX IX_V_MV_CPTEACCIONES_CPTE ON V_MV_CPTEACCIONES (TC, IdComprobante);

-- Numbers handed out, one row per number used.
CREATE TABLE V_MV_CTROL_CPTE (
    ID       INTEGER PRIMARY KEY,
    TC       CHAR(4) COLLATE RTRIM NOT NULL,
    SUCURSAL CHAR(4) COLLATE RTRIM NOT NULL,
    NUMERO   CHAR(8) COLLATE RTRIM NOT NULL,
    LETRA    CHAR(1) COLLATE RTRIM NOT NULL
);

-- Document types. ES: "E" adds to stock, "S" subtracts; Signo: the sign in
-- the VAT book. Null leaves either to the type's code.
-- One row per type and numbering range (TALONARIO). Per letter <L> of
-- A,B,C,E,R,X,M: <L>_ULTIMO_NRO the next free number, <L>_NRO_DESDE and
-- <L>_NRO_HASTA the inclusive limits, <L>_SUC_DEFAULT the branch, Vence<L>
-- the last day the letter may be used (Null: no expiry).
CREATE TABLE V_TA_CPTE (
    CODIGO      CHAR(4) COLLATE RTRIM NOT NULL,
    DESCRIPCION VARCHAR(100) COLLATE NOCASE,
    SISTEMA     VARCHAR(20) COLLATE NOCASE,
    ES          CHAR(1) COLLATE RTRIM,
    Signo       INT,
    TALONARIO   INT NOT NULL DEFAULT 1,
    UNEGOCIO    CHAR(4) COLLATE RTRIM,
    Letras      VARCHAR(10) COLLATE NOCASE,
    Externo     BIT,
    Modificanumeracion BIT,
    A_ULTIMO_NRO  INT,
    A_NRO_DESDE   INT,
    A_NRO_HASTA   INT,
    A_SUC_DEFAULT INT,
    VenceA        DATETIME,
    B_ULTIMO_NRO  INT,
    B_NRO_DESDE   INT,
    B_NRO_HASTA   INT,
    B_SUC_DEFAULT INT,
    VenceB        DATETIME,
    C_ULTIMO_NRO  INT,
    C_NRO_DESDE   INT,
    C_NRO_HASTA   INT,
    C_SUC_DEFAULT INT,
    VenceC        DATETIME,
    E_ULTIMO_NRO  INT,
    E_NRO_DESDE   INT,
    E_NRO_HASTA   INT,
    E_SUC_DEFAULT INT,
    VenceE        DATETIME,
    R_ULTIMO_NRO  INT,
    R_NRO_DESDE   INT,
    R_NRO_HASTA   INT,
    R_SUC_DEFAULT INT,
    VenceR        DATETIME,
    X_ULTIMO_NRO  INT,
    X_NRO_DESDE   INT,
    X_NRO_HASTA   INT,
    X_SUC_DEFAULT INT,
    VenceX        DATETIME,
    M_ULTIMO_NRO  INT,
    M_NRO_DESDE   INT,
    M_NRO_HASTA   INT,
    M_SUC_DEFAULT INT,
    VenceM        DATETIME,
    fechahora_modificacion DATETIME,
    PRIMARY KEY (CODIGO, TALONARIO)
);

-- Numbering ranges kept by area (SISTEMA), read when V_TA_CPTE has none.
CREATE TABLE TA_Comprobantes (
    CODIGO      CHAR(4) COLLATE RTRIM NOT NULL,
    SISTEMA     VARCHAR(20) COLLATE NOCASE NOT NULL,
    TALONARIO   INT NOT NULL DEFAULT 1,
    Externo     BIT,
    Modificanumeracion BIT,
    A_ULTIMO_NRO  INT,
    A_NRO_DESDE   INT,
    A_NRO_HASTA   INT,
    A_SUC_DEFAULT INT,
    VenceA        DATETIME,
    B_ULTIMO_NRO  INT,
    B_NRO_DESDE   INT,
    B_NRO_HASTA   INT,
    B_SUC_DEFAULT INT,
    VenceB        DATETIME,
    C_ULTIMO_NRO  INT,
    C_NRO_DESDE   INT,
    C_NRO_HASTA   INT,
    C_SUC_DEFAULT INT,
    VenceC        DATETIME,
    E_ULTIMO_NRO  INT,
    E_NRO_DESDE   INT,
    E_NRO_HASTA   INT,
    E_SUC_DEFAULT INT,
    VenceE        DATETIME,
    R_ULTIMO_NRO  INT,
    R_NRO_DESDE   INT,
    R_NRO_HASTA   INT,
    R_SUC_DEFAULT INT,
    VenceR        DATETIME,
    X_ULTIMO_NRO  INT,
    X_NRO_DESDE   INT,
    X_NRO_HASTA   INT,
    X_SUC_DEFAULT INT,
    VenceX        DATETIME,
    M_ULTIMO_NRO  INT,
    M_NRO_DESDE   INT,
    M_NRO_HASTA   INT,
    M_SUC_DEFAULT INT,
    VenceM        DATETIME,
    fechahora_modificacion DATETIME,
    PRIMARY KEY (CODIGO, SISTEMA, TALONARIO)
);

-- Travel documents (type VJ), by their 13-character key.
CREATE TABLE MV_VIAJES (
    ID            INTEGER PRIMARY KEY,
    TC            CHAR(4) COLLATE RTRIM NOT NULL,
    IDCOMPROBANTE VARCHAR(13) COLLATE RTRIM NOT NULL
);
CREATE INDEX IX_MV_VIAJES_CPTE ON MV_VIAJES (TC, IDCOMPROBANTE);

-- Purchase documents (type OC among them).
CREATE TABLE C_MV_CPTE (
    ID            INTEGER PRIMARY KEY,
    TC            CHAR(4) COLLATE RTRIM NOT NULL,
    IDCOMPROBANTE VARCHAR(13) COLLATE RTRIM NOT NULL,
    SUCURSAL      CHAR(4) COLLATE RTRIM,
    NUMERO        CHAR(8) COLLATE RTRIM,
    LETRA         CHAR(1) COLLATE RTRIM,
    FechaRecepcion DATETIME,  -- set once, by the first receipt of a purchase order
    IDCOMPLEMENTO INT NOT NULL DEFAULT 0,
    FECHA         DATETIME,
    CUENTA        VARCHAR(20) COLLATE RTRIM,  -- the supplier
    NOMBRE        VARCHAR(100) COLLATE NOCASE,
    IMPORTE       MONEY NOT NULL DEFAULT 0,
    ANULADA       BIT NOT NULL DEFAULT 0,
    APROBADO      BIT NOT NULL DEFAULT 0,
    FINALIZADO    BIT NOT NULL DEFAULT 0,
    COMENTARIOS   VARCHAR(255),
    Garantia      BIT NOT NULL DEFAULT 0,
    IdReparto     INT,
    CondicionIVA  VARCHAR(4) COLLATE RTRIM,
    EnComodato    INT
);
CREATE INDEX IX_C_MV_CPTE_CPTE ON C_MV_CPTE (TC, IDCOMPROBANTE);

-- Documents of third parties handed in for processing (the picker's "T3").
CREATE TABLE V_MV_CPTETERCEROS (
    ID            INTEGER PRIMARY KEY,
    IDCOMPROBANTE VARCHAR(13) COLLATE RTRIM NOT NULL,
    IDCOMPLEMENTO INT NOT NULL DEFAULT 0,
    FECHA         DATETIME,
    FECHAENVIADO  DATETIME,
    FECHARECIBIDO DATETIME
);

-- Charges applied to an account, with what remains of each.
CREATE TABLE V_MV_CargosAplicados (
    ID     INTEGER PRIMARY KEY,
    CUENTA VARCHAR(20) COLLATE RTRIM NOT NULL,
    SALDO  MONEY
);

-- Documents still open, as the document picker lists them. A site may
-- narrow them to its own rules; the picker adds the type and any filter.
CREATE VIEW V_RemitosPendientes AS SELECT * FROM V_MV_CPTE WHERE FINALIZADA = 0 AND ANULADA = 0;
CREATE VIEW C_RemitosPendientes AS SELECT * FROM C_MV_CPTE WHERE FINALIZADO = 0 AND ANULADA = 0;
CREATE VIEW V_OT_Pendientes AS SELECT * FROM V_MV_CPTE WHERE FINALIZADA = 0;
CREATE VIEW V_PR_PENDIENTES AS SELECT * FROM V_MV_CPTE WHERE FINALIZADA = 0 AND ANULADA = 0;

-- Stock movements, one row per document line and lot or serial entry
-- (SECUENCIA numbers the rows of one document). Cantidad and CantidadUD
-- carry the movement's sign.
CREATE TABLE V_MV_STOCK (
    ID            INTEGER PRIMARY KEY,
    TC            CHAR(4) COLLATE RTRIM NOT NULL,
    IDCOMPROBANTE VARCHAR(13) COLLATE RTRIM NOT NULL,
    IdComplemento INT,
    Secuencia     INT,
    Fecha         DATETIME,
    IdCaja        CHAR(4) COLLATE RTRIM,
    IdDeposito    CHAR(4) COLLATE RTRIM,
    IDDEPOSITO_DESTINO CHAR(4) COLLATE RTRIM,
    IdArticulo    VARCHAR(25) COLLATE RTRIM,
    Descripcion   VARCHAR(100) COLLATE NOCASE,
    NroLote       VARCHAR(25) COLLATE RTRIM,
    ControladoPor VARCHAR(50) COLLATE RTRIM,
    IdOrigen      CHAR(4) COLLATE RTRIM,
    NroSerie      VARCHAR(25) COLLATE RTRIM,
    IdUnidad      CHAR(4) COLLATE RTRIM,
    Cantidad      FLOAT,
    CantidadUD    FLOAT,
    IdUnidadBase  CHAR(4) COLLATE RTRIM,
    CuentaProveedor VARCHAR(20) COLLATE RTRIM,
    IdMotivoStock CHAR(4) COLLATE RTRIM,
    PrecioVenta   MONEY,
    Importe_S_Iva MONEY,
    Costo         MONEY,
    Impuestos     MONEY,
    DtoItem       FLOAT,
    Tc_Origen     CHAR(4) COLLATE RTRIM,
    IdComprobante_Origen VARCHAR(13) COLLATE RTRIM,
    Id_Origen     INT,
    IVARI         FLOAT,
    IVARNI        FLOAT,
    IdTecnico     CHAR(4) COLLATE RTRIM,
    EQUIV_UDBASE  FLOAT,
    IDINSERT      INT,
    IDCOMPULSA    INT,
    Oferta        INT,
    IdVendedor    VARCHAR(20) COLLATE RTRIM,
    Importe_Ud    MONEY,
    Ud_Pr         CHAR(4) COLLATE RTRIM,
    EnComodato    INT
);
CREATE INDEX IX_V_MV_STOCK_CPTE ON V_MV_STOCK (TC, IDCOMPROBANTE);

-- Articles asked for and missing from stock, noted from the lookup dialog.
CREATE TABLE V_MV_FALTANTES (
    ID          INTEGER PRIMARY KEY,
    FechaHora   DATETIME,
    IdArticulo  VARCHAR(25) COLLATE RTRIM NOT NULL,
    Descripcion VARCHAR(255),
    Usuario     VARCHAR(50) COLLATE NOCASE
);

-- ---- Tables with restricted synonyms ---------------------------------------
-- A user who is not an administrator reads each of these through its SS_
-- view. Here the views show every row; a site narrows them to its rules.

CREATE TABLE MA_CUENTAS (
    CUENTA      VARCHAR(20) COLLATE RTRIM PRIMARY KEY,
    NOMBRE      VARCHAR(100) COLLATE NOCASE,
    DADA_DE_BAJA BIT NOT NULL DEFAULT 0
);

CREATE TABLE V_TA_DEPOSITO (
    IDDEPOSITO  CHAR(4) COLLATE RTRIM PRIMARY KEY,
    DESCRIPCION VARCHAR(100) COLLATE NOCASE
);

CREATE TABLE MV_ASIENTOS (
    ID                 INTEGER PRIMARY KEY,
    TC                 CHAR(4) COLLATE RTRIM NOT NULL,
    SUCURSAL           CHAR(4) COLLATE RTRIM,
    NUMERO             CHAR(8) COLLATE RTRIM,
    LETRA              CHAR(1) COLLATE RTRIM,
    CUENTA             VARCHAR(20) COLLATE RTRIM,
    [DEBE-HABER]       CHAR(1) COLLATE RTRIM,  -- D debit, H credit
    IMPORTE            MONEY NOT NULL DEFAULT 0,
    FECHA              DATETIME,
    MES_OPERATIVO      INT,
    PERIODO            INT,
    TIPO_REG           CHAR(4) COLLATE RTRIM,
    [NUMERO ASIENTO]   INT,
    SECUENCIA          INT,
    FechaSubDiario     DATETIME,
    Detalle            VARCHAR(100) COLLATE NOCASE,
    FechaHora_Grabacion DATETIME,
    USUARIO_LOGEADO    VARCHAR(50) COLLATE NOCASE,
    Moneda             CHAR(4) COLLATE RTRIM,
    Cotizacion         FLOAT,
    CABImporte         MONEY,  -- the entry's total, the same on every line
    CABCuenta          VARCHAR(20) COLLATE RTRIM,
    CABNombre          VARCHAR(50) COLLATE NOCASE,
    Unegocio           CHAR(4) COLLATE RTRIM,
    IdCajas            CHAR(4) COLLATE RTRIM,
    TC_ORIGEN          CHAR(4) COLLATE RTRIM,  -- the sale a cost-of-goods entry books
    CPTE_ORIGEN        VARCHAR(13) COLLATE RTRIM
);
CREATE INDEX IX_MV_ASIENTOS_CPTE ON MV_ASIENTOS (TC, SUCURSAL, NUMERO, LETRA);
-- One line per sequence of an entry: an entry number that two stations took
-- at once is refused to the second one, whose batch rolls back. The program
-- relies on it; db/sqlserver.sql and db/oracle.sql create it on those servers.
CREATE UNIQUE INDEX UX_MV_ASIENTOS_LINEA ON MV_ASIENTOS (PERIODO, MES_OPERATIVO, TIPO_REG, [NUMERO ASIENTO], SECUENCIA);

-- Sub-journals, and the one each document type posts under (the register
-- type, TIPO_REG of the entry lines).
CREATE TABLE MA_SUBDIARIOS (
    CODIGO      VARCHAR(4) COLLATE RTRIM PRIMARY KEY,
    DESCRIPCION VARCHAR(100) COLLATE NOCASE
);

CREATE TABLE MA_SUBDIARIOSCOMPROBANTES (
    TC        CHAR(4) COLLATE RTRIM PRIMARY KEY,
    Subdiario VARCHAR(4) COLLATE RTRIM
);

-- Stock motives, with the account their stock accounting entries post to.
CREATE TABLE V_TA_MOTIVOSTOCK (
    IDMOTIVOSTOCK  CHAR(4) COLLATE RTRIM PRIMARY KEY,
    Descripcion    VARCHAR(100) COLLATE NOCASE,
    CUENTACONTABLE VARCHAR(20) COLLATE RTRIM
);

-- Sales motives, and the cost-of-goods-sold account of each.
CREATE TABLE V_TA_MotivoVta (
    IdMotivoVta CHAR(4) COLLATE RTRIM PRIMARY KEY,
    Descripcion VARCHAR(100) COLLATE NOCASE
);

CREATE TABLE V_TA_Input_Ventas (
    IdMotivoVta      CHAR(4) COLLATE RTRIM PRIMARY KEY,
    COSTO_MERCADERIA VARCHAR(20) COLLATE RTRIM
);

CREATE TABLE V_TA_FAMILIAS (
    IDFAMILIA   CHAR(4) COLLATE RTRIM PRIMARY KEY,
    DESCRIPCION VARCHAR(100) COLLATE NOCASE
);

CREATE TABLE V_TA_CAJAS (
    IDCAJA      CHAR(4) COLLATE RTRIM PRIMARY KEY,
    DESCRIPCION VARCHAR(100) COLLATE NOCASE
);

-- Cost centres.
CREATE TABLE TA_CCOSTO (
    CODIGO      CHAR(4) COLLATE RTRIM PRIMARY KEY,
    DESCRIPCION VARCHAR(100) COLLATE NOCASE
);

-- Customers, by account code.
CREATE TABLE VT_CLIENTES (
    CODIGO       VARCHAR(20) COLLATE RTRIM PRIMARY KEY,
    RAZON_SOCIAL VARCHAR(100) COLLATE NOCASE,
    CONTACTO     VARCHAR(100) COLLATE NOCASE,
    DADA_DE_BAJA BIT NOT NULL DEFAULT 0
);

-- Contacts, salesmen, technicians and maintenance kinds, read by the lookups.
CREATE TABLE MA_CONTACTOS (
    ID                INTEGER PRIMARY KEY,
    Nombre_y_Apellido VARCHAR(100) COLLATE NOCASE,
    Domicilio         VARCHAR(100),
    Localidad         VARCHAR(50),
    Telefono          VARCHAR(30)
);
CREATE TABLE V_TA_VENDEDORES (
    IDVENDEDOR CHAR(4) COLLATE RTRIM PRIMARY KEY,
    NOMBRE     VARCHAR(100) COLLATE NOCASE
);
CREATE TABLE V_TA_TECNICOS (
    IDTECNICO CHAR(4) COLLATE RTRIM PRIMARY KEY,
    NOMBRE    VARCHAR(100) COLLATE NOCASE
);
CREATE TABLE V_MA_MANTENIMIENTOS (
    CODIGO      CHAR(4) COLLATE RTRIM PRIMARY KEY,
    DESCRIPCION VARCHAR(100) COLLATE NOCASE
);

-- Suppliers, by account code.
CREATE TABLE VT_PROVEEDORES (
    CODIGO       VARCHAR(20) COLLATE RTRIM PRIMARY KEY,
    RAZON_SOCIAL VARCHAR(100) COLLATE NOCASE,
    DADA_DE_BAJA BIT NOT NULL DEFAULT 0
);

CREATE TABLE AC_CUENTASDIARIO (
    ID     INTEGER PRIMARY KEY,
    CUENTA VARCHAR(20) COLLATE RTRIM NOT NULL,
    FECHA  DATETIME,
    IMPORTE MONEY NOT NULL DEFAULT 0
);

CREATE TABLE AC_CUENTASDIARIO_CCOSTO (
    ID      INTEGER PRIMARY KEY,
    CUENTA  VARCHAR(20) COLLATE RTRIM NOT NULL,
    CCOSTO  CHAR(4) COLLATE RTRIM,
    FECHA   DATETIME,
    IMPORTE MONEY NOT NULL DEFAULT 0
);

CREATE VIEW SS_MA_CUENTAS AS SELECT * FROM MA_CUENTAS;
CREATE VIEW SS_V_TA_DEPOSITO AS SELECT * FROM V_TA_DEPOSITO;
CREATE VIEW SS_MV_ASIENTOS AS SELECT * FROM MV_ASIENTOS;
CREATE VIEW SS_V_TA_FAMILIAS AS SELECT * FROM V_TA_FAMILIAS;
CREATE VIEW SS_V_TA_CAJAS AS SELECT * FROM V_TA_CAJAS;
CREATE VIEW SS_AC_CUENTASDIARIO AS SELECT * FROM AC_CUENTASDIARIO;
-- The synonym's name has an underscore the table's name lacks.
CREATE VIEW SS_AC_CUENTAS_DIARIO_CCOSTO AS SELECT * FROM AC_CUENTASDIARIO_CCOSTO;

-- ---- Articles and stock by lot, serial and position ------------------------

CREATE TABLE V_MA_ARTICULOS (
    IDARTICULO  VARCHAR(25) COLLATE RTRIM PRIMARY KEY,
    DESCRIPCION VARCHAR(100) COLLATE NOCASE,
    IDUNIDAD    CHAR(4) COLLATE RTRIM,
    USASERIE    BIT,
    USALOTE     BIT,
    CUENTAPROVEEDOR VARCHAR(20) COLLATE RTRIM,  -- the article's default supplier
    cuentacontableC VARCHAR(20) COLLATE RTRIM,  -- stock account of the accounting entry
    Costo       MONEY,
    IdTipo      CHAR(4) COLLATE RTRIM,   -- article type (V_TA_TipoArticulo)
    IdRubro     CHAR(4) COLLATE RTRIM,   -- category (V_ta_Rubros)
    Presentacion VARCHAR(50),
    Exento      BIT,
    Perecedero  BIT,
    UsaTalle    BIT,
    pesable     BIT,
    PIDEMEDIDAS BIT,                     -- timber: the line asks for measures
    CodigoBarra VARCHAR(25) COLLATE RTRIM,
    CODIGOBARRADUN VARCHAR(25) COLLATE RTRIM,
    UD_TTE      CHAR(4) COLLATE RTRIM,   -- unit of CODIGOBARRADUN
    CODIGOBARRA1 VARCHAR(25) COLLATE RTRIM,
    UMCB1       CHAR(4) COLLATE RTRIM,   -- unit of CODIGOBARRA1, and so on
    CODIGOBARRA2 VARCHAR(25) COLLATE RTRIM,
    UMCB2       CHAR(4) COLLATE RTRIM,
    CODIGOBARRA3 VARCHAR(25) COLLATE RTRIM,
    UMCB3       CHAR(4) COLLATE RTRIM,
    CODIGOBARRA4 VARCHAR(25) COLLATE RTRIM,
    UMCB4       CHAR(4) COLLATE RTRIM,
    SUSPENDIDO  BIT NOT NULL DEFAULT 0,  -- left out of the article lookup
    PUNTOPEDIDO MONEY NOT NULL DEFAULT 0,  -- reorder point: the lookup's stock colours
    PRECIO1     MONEY,                   -- price lists 1 to 8, titled by NOM_PCLASE1..8
    PRECIO2     MONEY,
    PRECIO3     MONEY,
    PRECIO4     MONEY,
    PRECIO5     MONEY,
    PRECIO6     MONEY,
    PRECIO7     MONEY,
    PRECIO8     MONEY
);

-- Stock by article, depot, lot, serial and storage position. An article kept
-- by serial only has NROLOTE NULL; one kept by lot only has NROSERIE NULL.
CREATE TABLE STK_SERIES_Y_LOTES (
    ID         INTEGER PRIMARY KEY,
    IDARTICULO VARCHAR(25) COLLATE RTRIM NOT NULL,
    IDDEPOSITO CHAR(4) COLLATE RTRIM NOT NULL,
    NROLOTE    VARCHAR(25) COLLATE RTRIM,
    NROSERIE   VARCHAR(25) COLLATE RTRIM,
    IDPOSICION VARCHAR(15) COLLATE RTRIM,
    CANTIDAD   FLOAT NOT NULL DEFAULT 0
);
CREATE INDEX IX_STK_SERIES_Y_LOTES_ART ON STK_SERIES_Y_LOTES (IDARTICULO, IDDEPOSITO);

-- Storage positions of a depot, in the order goods are put away.
CREATE TABLE ma_posiciones (
    iddeposito   CHAR(4) COLLATE RTRIM NOT NULL,
    idposicion   VARCHAR(15) COLLATE RTRIM NOT NULL,
    descripcion  VARCHAR(100) COLLATE NOCASE,
    ordeningreso INT NOT NULL DEFAULT 0,
    PRIMARY KEY (iddeposito, idposicion)
);

-- Balances by depot, article, position and lot, in the article's base unit;
-- a row without position holds the depot's balance outside every position.
CREATE TABLE AC_SALDOSLAYOUT (
    ID           INTEGER PRIMARY KEY,
    iddeposito   CHAR(4) COLLATE RTRIM NOT NULL,
    idarticulo   VARCHAR(25) COLLATE RTRIM NOT NULL,
    idposicion   VARCHAR(15) COLLATE RTRIM,
    nrolote      VARCHAR(25) COLLATE RTRIM,
    idunidadbase CHAR(4) COLLATE RTRIM,
    saldo        FLOAT
);
CREATE INDEX IX_AC_SALDOSLAYOUT_ART ON AC_SALDOSLAYOUT (iddeposito, idarticulo);

-- ---- Unit equivalences, inputs, stock balances, pending quantities ---------

-- One IDUNIDAD equals COEFICIENTE IDUNIDAD_EQUIV of the article.
CREATE TABLE S_TA_EQUIV (
    ID             INTEGER PRIMARY KEY,
    IdArticulo     VARCHAR(25) COLLATE RTRIM NOT NULL,
    IDUNIDAD       CHAR(4) COLLATE RTRIM NOT NULL,
    IDUNIDAD_EQUIV CHAR(4) COLLATE RTRIM NOT NULL,
    Coeficiente    FLOAT
);
CREATE INDEX IX_S_TA_EQUIV_ART ON S_TA_EQUIV (IdArticulo, IDUNIDAD, IDUNIDAD_EQUIV);

-- Inputs (bill of materials) of an article: Cantidad of the input per unit.
CREATE TABLE V_MA_INSUMOS (
    ID               INTEGER PRIMARY KEY,
    IDARTICULO       VARCHAR(25) COLLATE RTRIM NOT NULL,
    IdArticuloInsumo VARCHAR(25) COLLATE RTRIM,
    IdUnidadInsumo   CHAR(4) COLLATE RTRIM,
    Cantidad         FLOAT
);
CREATE INDEX IX_V_MA_INSUMOS_ART ON V_MA_INSUMOS (IDARTICULO);

-- Stock balance by article, unit and depot.
CREATE TABLE STK_SALDOS_UNIDADES (
    ID          INTEGER PRIMARY KEY,
    IDARTICULO  VARCHAR(25) COLLATE RTRIM NOT NULL,
    EQUIVALENCIA CHAR(4) COLLATE RTRIM NOT NULL,
    IDDEPOSITO  CHAR(4) COLLATE RTRIM NOT NULL,
    STOCK       FLOAT
);
CREATE INDEX IX_STK_SALDOS_UNIDADES_ART ON STK_SALDOS_UNIDADES (IDARTICULO, EQUIVALENCIA, IDDEPOSITO);

-- The article lookup's source: every article with its stock over all units
-- and depots (Stock), which the lookup colours against PUNTOPEDIDO.
CREATE VIEW VT_MA_ARTICULOS AS
SELECT A.*,
       IFNULL((SELECT SUM(S.STOCK) FROM STK_SALDOS_UNIDADES S WHERE S.IDARTICULO = A.IDARTICULO), 0) AS Stock
FROM V_MA_ARTICULOS A;

-- Stock balance by article and depot in the units the site counts by.
CREATE TABLE STK_STOCK_UDKG (
    ID         INTEGER PRIMARY KEY,
    IDARTICULO VARCHAR(25) COLLATE RTRIM NOT NULL,
    IDDEPOSITO CHAR(4) COLLATE RTRIM,
    CantidadUd FLOAT,
    CantidadKg FLOAT
);
CREATE INDEX IX_STK_STOCK_UDKG_ART ON STK_STOCK_UDKG (IDARTICULO, IDDEPOSITO);

-- Article quantities on the lines of a document, one row per document and article.
CREATE TABLE VT_V_MV_CPTEINSUMOS_CONS2 (
    ID            INTEGER PRIMARY KEY,
    TC            CHAR(4) COLLATE RTRIM NOT NULL,
    IDCOMPROBANTE VARCHAR(13) COLLATE RTRIM NOT NULL,
    IDARTICULO    VARCHAR(25) COLLATE RTRIM NOT NULL,
    Cantidad      FLOAT
);
CREATE INDEX IX_VT_V_MV_CPTEINSUMOS_CONS2 ON VT_V_MV_CPTEINSUMOS_CONS2 (TC, IDCOMPROBANTE, IDARTICULO);

-- Quantities already moved in stock by a document, one row per document and article.
CREATE TABLE VT_V_MV_Stock_Cons (
    ID            INTEGER PRIMARY KEY,
    TC            CHAR(4) COLLATE RTRIM NOT NULL,
    IDCOMPROBANTE VARCHAR(13) COLLATE RTRIM NOT NULL,
    IDARTICULO    VARCHAR(25) COLLATE RTRIM NOT NULL,
    Cantidad      FLOAT
);
CREATE INDEX IX_VT_V_MV_Stock_Cons ON VT_V_MV_Stock_Cons (TC, IDCOMPROBANTE, IDARTICULO);

-- ---- Document lines (sales and general V_, purchases C_) -------------------
-- Each line carries its document's key: TC, IDCOMPROBANTE and IdComplemento
-- (sales) or CUENTA, the supplier (purchases).

CREATE TABLE V_MV_CPTETAREAS (
    ID                   INTEGER PRIMARY KEY,
    TC                   CHAR(4) COLLATE RTRIM NOT NULL,
    IDCOMPROBANTE        VARCHAR(13) COLLATE RTRIM NOT NULL,
    IdComplemento        INT NOT NULL DEFAULT 0,
    CUENTA               VARCHAR(20) COLLATE RTRIM,
    IdTarea              CHAR(4) COLLATE RTRIM,
    Descripcion          VARCHAR(100),
    Horas                INT,             -- minutes
    ValorHora            MONEY,
    valorHora_S_Iva      MONEY,
    Total                MONEY,
    descripcionadicional VARCHAR(255),
    FechaEstInicio       DATETIME,
    FechaEstFin          DATETIME,
    IdTecnico            CHAR(4) COLLATE RTRIM,
    FechaREALInicio      DATETIME,
    FechaREALFin         DATETIME
);
CREATE INDEX IX_V_MV_CPTETAREAS_CPTE ON V_MV_CPTETAREAS (TC, IDCOMPROBANTE);
CREATE TABLE C_MV_CPTETAREAS (
    ID                   INTEGER PRIMARY KEY,
    TC                   CHAR(4) COLLATE RTRIM NOT NULL,
    IDCOMPROBANTE        VARCHAR(13) COLLATE RTRIM NOT NULL,
    IdComplemento        INT NOT NULL DEFAULT 0,
    CUENTA               VARCHAR(20) COLLATE RTRIM,
    IdTarea              CHAR(4) COLLATE RTRIM,
    Descripcion          VARCHAR(100),
    Horas                INT,             -- minutes
    ValorHora            MONEY,
    valorHora_S_Iva      MONEY,
    Total                MONEY,
    descripcionadicional VARCHAR(255),
    FechaEstInicio       DATETIME,
    FechaEstFin          DATETIME,
    IdTecnico            CHAR(4) COLLATE RTRIM,
    FechaREALInicio      DATETIME,
    FechaREALFin         DATETIME
);
CREATE INDEX IX_C_MV_CPTETAREAS_CPTE ON C_MV_CPTETAREAS (TC, IDCOMPROBANTE);

CREATE TABLE V_MV_CPTEINSUMOS (
    ID                 INTEGER PRIMARY KEY,
    TC                 CHAR(4) COLLATE RTRIM NOT NULL,
    IDCOMPROBANTE      VARCHAR(13) COLLATE RTRIM NOT NULL,
    IdComplemento      INT NOT NULL DEFAULT 0,
    CUENTA             VARCHAR(20) COLLATE RTRIM,
    PALLETS            INT,
    IdArticulo         VARCHAR(25) COLLATE RTRIM,
    Descripcion        VARCHAR(100),
    IdUnidad           CHAR(4) COLLATE RTRIM,
    Cantidad           FLOAT,
    IdUnidadBase       CHAR(4) COLLATE RTRIM,
    CantidadUD         FLOAT,
    Equiv_UDBase       FLOAT,
    Presentacion       VARCHAR(50),
    Importe            MONEY,
    Importe_S_IVA      MONEY,
    Impuestos          MONEY,
    Total              MONEY,
    Costo              MONEY,
    Exento             BIT,
    AlicIVA            FLOAT,
    PorcDto            FLOAT,
    IDLista            CHAR(4) COLLATE RTRIM,
    Nro_Lote           VARCHAR(255),      -- lot list |L1|L2|
    Nro_Serie          VARCHAR(255),      -- serial list |S1|S2|
    ControladoPor      VARCHAR(50),
    IdOrigen           VARCHAR(50),
    Precio_Lista       MONEY,
    CodigoArtProveedor VARCHAR(25),
    ESPESOR            FLOAT,
    Ancho              FLOAT,
    Ud_Pr              CHAR(4) COLLATE RTRIM,
    Importe_Ud         MONEY
);
CREATE INDEX IX_V_MV_CPTEINSUMOS_CPTE ON V_MV_CPTEINSUMOS (TC, IDCOMPROBANTE);
CREATE TABLE C_MV_CPTEINSUMOS (
    ID                 INTEGER PRIMARY KEY,
    TC                 CHAR(4) COLLATE RTRIM NOT NULL,
    IDCOMPROBANTE      VARCHAR(13) COLLATE RTRIM NOT NULL,
    IdComplemento      INT NOT NULL DEFAULT 0,
    CUENTA             VARCHAR(20) COLLATE RTRIM,
    PALLETS            INT,
    IdArticulo         VARCHAR(25) COLLATE RTRIM,
    Descripcion        VARCHAR(100),
    IdUnidad           CHAR(4) COLLATE RTRIM,
    Cantidad           FLOAT,
    IdUnidadBase       CHAR(4) COLLATE RTRIM,
    CantidadUD         FLOAT,
    Equiv_UDBase       FLOAT,
    Presentacion       VARCHAR(50),
    Importe            MONEY,
    Importe_S_IVA      MONEY,
    Impuestos          MONEY,
    Total              MONEY,
    Costo              MONEY,
    Exento             BIT,
    AlicIVA            FLOAT,
    PorcDto            FLOAT,
    IDLista            CHAR(4) COLLATE RTRIM,
    Nro_Lote           VARCHAR(255),      -- lot list |L1|L2|
    Nro_Serie          VARCHAR(255),      -- serial list |S1|S2|
    ControladoPor      VARCHAR(50),
    IdOrigen           VARCHAR(50),
    Precio_Lista       MONEY,
    CodigoArtProveedor VARCHAR(25),
    ESPESOR            FLOAT,
    Ancho              FLOAT,
    Ud_Pr              CHAR(4) COLLATE RTRIM,
    Importe_Ud         MONEY
);
CREATE INDEX IX_C_MV_CPTEINSUMOS_CPTE ON C_MV_CPTEINSUMOS (TC, IDCOMPROBANTE);

-- Observations of a document; TIPO_OBS 'OC' are its other-concept lines.
CREATE TABLE V_MV_CPTE_Observ (
    ID            INTEGER PRIMARY KEY,
    TC            CHAR(4) COLLATE RTRIM NOT NULL,
    IDCOMPROBANTE VARCHAR(13) COLLATE RTRIM NOT NULL,
    IdComplemento INT NOT NULL DEFAULT 0,
    CUENTA        VARCHAR(20) COLLATE RTRIM,
    TIPO_OBS      CHAR(2) COLLATE RTRIM,
    Observacion   VARCHAR(255),
    Importe_S_IVA MONEY,
    Importe       MONEY
);
CREATE INDEX IX_V_MV_CPTE_Observ_CPTE ON V_MV_CPTE_Observ (TC, IDCOMPROBANTE);
CREATE TABLE C_MV_CPTE_Observ (
    ID            INTEGER PRIMARY KEY,
    TC            CHAR(4) COLLATE RTRIM NOT NULL,
    IDCOMPROBANTE VARCHAR(13) COLLATE RTRIM NOT NULL,
    IdComplemento INT NOT NULL DEFAULT 0,
    CUENTA        VARCHAR(20) COLLATE RTRIM,
    TIPO_OBS      CHAR(2) COLLATE RTRIM,
    Observacion   VARCHAR(255),
    Importe_S_IVA MONEY,
    Importe       MONEY
);
CREATE INDEX IX_C_MV_CPTE_Observ_CPTE ON C_MV_CPTE_Observ (TC, IDCOMPROBANTE);

-- What later documents applied of each article of a delivery note or order.
CREATE TABLE VT_V_MV_INSUMOS_APLICACION (
    ID                  INTEGER PRIMARY KEY,
    TCO_ORIGEN          CHAR(4) COLLATE RTRIM NOT NULL,
    IDCOMPROBANTEORIGEN VARCHAR(13) COLLATE RTRIM NOT NULL,
    IDARTICULO          VARCHAR(25) COLLATE RTRIM NOT NULL,
    CantidadAplicada    FLOAT
);

-- Printed forms: CANTLINEAS detail lines per type and letter (0: no limit).
CREATE TABLE TA_CONFIG_IMP_CPTE (
    ID         INTEGER PRIMARY KEY,
    TC         CHAR(4) COLLATE RTRIM NOT NULL,
    LETRA      CHAR(1) COLLATE RTRIM NOT NULL,
    CANTLINEAS INT
);

-- Article types (looked up by IdTipo from the articles, by Tipo in totals) and categories.
CREATE TABLE V_TA_TipoArticulo (
    IdTipo      CHAR(4) COLLATE RTRIM PRIMARY KEY,
    Tipo        CHAR(4) COLLATE RTRIM,
    Descripcion VARCHAR(100) COLLATE NOCASE
);
CREATE TABLE V_ta_Rubros (
    IdRubro     CHAR(4) COLLATE RTRIM PRIMARY KEY,
    Descripcion VARCHAR(100) COLLATE NOCASE
);
