// DB_Dll: the database-access class. It owns the session's one connection
// and every statement of the system goes through it: recordsets, statements,
// table lookups, synonyms for restricted users, SQL literals, schema checks,
// the rewriting of SQL for Oracle, and the error routine with its log.
//
// Contract: user-interface thread only. The program uses the one instance
// Db(), created on first use and alive until the process ends; methods work on
// their own object, so tests may build instances of their own. Recordsets
// belong to their callers.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "db/adodb.h"
#include "vb/error.h"
#include "vb/steps.h"
#include "vb/variant.h"

namespace foundation {

class DB_Dll {
public:
    // Installs the statement log on gCnn: every statement and query it runs is
    // appended to the file TARVOLIN_SQL_LOG names, when that variable is set.
    DB_Dll();

    // ---- Public variables --------------------------------------------
    bool gOpenFlag = false;       // the connection is open (or being opened)
    adodb::Connection gCnn;       // the session's connection
    std::string gProveedor;       // "SQLOLEDB" or "OraOLEDB.Oracle.1"
    std::string gServidor;
    std::string gDBName;
    std::string gUsuario;
    bool gEsAdmin = false;
    std::string gUserPassWord;
    std::string gConnString;      // the string gCnn was opened with
    std::string gExtended;        // appended to a built SQL Server string
    std::string gLogErr;          // error log path; empty: the default log

    // ---- Connection and log-in -----------------------------------------
    void OpenServerADODB(bool PideParametrosSQL, long lCursor, std::string& ConnString,
                         bool ValidaAdmin);
    void OpenLocalADODB(const std::string& ConnString, const std::string& CadenaID,
                        const std::string& CadenaPWD);
    static std::string pJETOLEDB40() { return "Microsoft.Jet.OLEDB.4.0"; }
    static std::string pJETOLEDB35() { return "Microsoft.Jet.OLEDB.3.51"; }
    static std::string pSQLOLEDB() { return "SQLOLEDB"; }
    // True when the open connection speaks Oracle (decided when it opened).
    bool EsOracle() const;

    // ---- Recordsets, statements and table lookups -----------------------
    void AbrirRecordset(std::string& SentenciaSQL, adodb::Recordset& Lrcs,
                        adodb::Connection* ConexionActiva = nullptr,
                        int CursorType = adodb::adOpenForwardOnly,
                        int LockType = adodb::adLockReadOnly, long Options = -1,
                        bool ConvOracle = true);
    // The same on gCnn for a query whose "?" markers take Valores in order,
    // bound through the connection's parameterised call (forward-only,
    // read-only, the Oracle rewriting on).
    void AbrirRecordset(std::string& SentenciaSQL, const std::vector<vb::Variant>& Valores,
                        adodb::Recordset& Lrcs);
    void CierraRecordset(adodb::Recordset& LRCSTEMP);
    // Runs a statement or batch that returns no rows. Returns whether it ran.
    bool EjecutaConsultaSQL(std::string& SentenciaSQL, long& RecordsAffected);
    bool EjecutaConsultaSQL(std::string& SentenciaSQL);
    // The same for one statement whose "?" markers take Valores in order,
    // bound through the connection's parameterised call (a statement run
    // many times keeps one text). After a failure gCnn.Errors() holds why.
    bool EjecutaConsultaSQL(std::string& SentenciaSQL, const std::vector<vb::Variant>& Valores,
                            long& RecordsAffected);
    // Who built a statement can say, in the user's words, why the database
    // refused it (a constraint, or the batch's own RAISERROR check): given
    // the refused text and the error, an explainer gives the message to
    // show, or "" when the text is none of its own. On such a refusal
    // EjecutaConsultaSQL shows the first message given in place of its own
    // (none for a constraint, the error's text for a RAISERROR); the log
    // keeps the engine's text.
    using ExplicaRechazo = std::function<std::string(const std::string& SentenciaSQL, const vb::Error& Error)>;
    void AgregaExplicacionRechazo(ExplicaRechazo Explica);
    // Who handed something out for statements it built (an entry number)
    // learns what became of them: after each statement EjecutaConsultaSQL
    // runs, every follower is given its text and whether it ran (after any
    // box about its failure). A follower's own failure is passed over.
    using SigueSentencia = std::function<void(const std::string& SentenciaSQL, bool Corrio)>;
    void AgregaSeguimiento(SigueSentencia Sigue);

    bool ExisteEnTabla(const std::string& Tabla, const std::string& ValorBuscado,
                       const std::string& Campo, adodb::Recordset* Lrcs, int TipoDato,
                       const std::string& Condicion);
    bool ExisteEnTablaST(const std::string& Tabla, const std::string& ValorBuscado,
                         const std::string& Campo, adodb::Recordset* Lrcs, int TipoDato,
                         const std::string& Condicion, bool SoloLectura);
    // The column as text; Empty when an error came before the result was set.
    vb::Variant DatosTabla(const std::string& Tabla, const std::string& ValorBuscado,
                           const std::string& CampoDevuelto, const std::string& Campo,
                           int TipoDato, const std::string& Condicion, bool UsaTrim);
    vb::Variant BuscaMaximo(const std::string& QueTabla, const std::string& QueCampo,
                            std::optional<int> Tipo = std::nullopt,
                            std::optional<std::string> Condicion = std::nullopt);
    vb::Variant BuscaMinimo(const std::string& QueTabla, const std::string& QueCampo,
                            std::optional<int> Tipo = std::nullopt,
                            std::optional<std::string> Condicion = std::nullopt);
    static bool adodate(int Qtype);
    static bool ADOText(int Qtype);
    static bool ADONumeric(int Qtype);
    static bool ADOCurrency(int Qtype);
    static bool ADOBoolean(int Qtype);
    void QConsulta() {}
    void QGridConsulta() {}

    // ---- Synonyms, literals, schema checks, name helpers ----------------
    std::string SS_TSinonimos(const std::string& SQL) const;
    vb::Variant SQLValue(const vb::Variant& Valor, const std::string& Tipo) const;
    void AddField(const std::string& Tabla, const std::string& Campo, const std::string& Tipo,
                  bool PermiteNulos, std::optional<vb::Variant> ValorDefault = std::nullopt);
    bool ExisteTablaDB(const std::string& Tabla);
    bool ExisteCampoDB(const std::string& Tabla, const std::string& Campo);
    bool VerCampoDB(const std::string& Tabla, const std::string& Campo, bool Agregar,
                    const std::string& Tipo, bool PermiteNulos,
                    std::optional<vb::Variant> ValorDefault = std::nullopt);
    vb::Variant BuscaUltimoCodigo(const std::string& QueTabla, const std::string& QueCampo,
                                  const vb::Variant& Tipo, const std::string& Condicion);
    static std::string stSTF(std::string& rsName, int rnPart);
    static std::string AddBrackets(const std::string& rObjName);
    static std::string StripConnect(const std::string& rsTblName);
    static std::string StripBrackets(const std::string& rsObjName);
    static std::string StripOwner(std::string& rsTblName);
    static std::string StripFileName(const std::string& rsFileName);

    // ---- Oracle --------------------------------------------------------
    std::string ORACLE_Dicc(const std::string& Valor);

    // ---- Error routine --------------------------------------------------
    std::string ArchivoErrores() const { return gLogErr; }
    void SetArchivoErrores(const vb::Variant& vNewValue);
    int TratamientoErrores(const vb::Error& CodErr, std::optional<int> Botones = std::nullopt,
                           std::optional<std::string> Rutina = std::nullopt);
    // The error convention's handler that reports through TratamientoErrores
    // with the default buttons and the routine name.
    vb::ErrorHandler Manejador(std::optional<std::string> Rutina = std::nullopt);

private:
    std::vector<ExplicaRechazo> explicaciones_;
    std::vector<SigueSentencia> seguimientos_;
    void AvisaSeguimientos(const std::string& SentenciaSQL, bool Corrio);
    void AbrirRecordsetEn(std::string& SentenciaSQL, adodb::Recordset& Lrcs, bool ConvOracle,
                          const std::function<void(const std::string& fuente)>& abrir);
    std::string DescartaSentenciaOracle(std::string& Sentencia);
    std::string EjecutaScriptOracle(std::string& script, long& RecordsAffected);
};

// The program's one instance.
DB_Dll& Db();

// Db().Manejador: the handler most procedures pass to vb::RunSteps.
vb::ErrorHandler Tratamiento(std::optional<std::string> Rutina = std::nullopt);

}  // namespace foundation
