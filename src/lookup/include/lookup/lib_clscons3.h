// Lib_ClsCons3: the suite's generic lookup service. Document-entry forms set
// its inputs, ask it for a lookup and read what the user chose from its
// public variables. One instance, gConsultas(), created on first use; its
// creation reads configuration keys and takes the session's connection string
// and lookup-definition file, so the first use must come after start-up.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "vb/variant.h"

namespace lookup {

// A collection of values shared between the service and its dialogs; an
// unset collection is a null pointer.
using Coleccion = std::vector<vb::Variant>;
using ColeccionPtr = std::shared_ptr<Coleccion>;

class Lib_ClsCons3 {
public:
    // Reads the stock colours, the stock switch and the LIKE switch, and takes
    // the session's connection string and lookup-definition file (used when
    // start-up named one).
    Lib_ClsCons3();

    vb::Variant StkNivel1;          // stock colour tiers: the text, 0 when empty
    vb::Variant StkNivel2;
    vb::Variant StkNivel3;
    vb::Variant StkNivel4;
    std::string MuestraStock;       // "MostrarStockenConsultas" as read
    ColeccionPtr CmpsDevueltos;     // empty, created with the service
    ColeccionPtr Valores;           // output: chosen values; unset after Cancelar
    ColeccionPtr Cantidades;        // output: the list dialog's (empty); unset until a list lookup
    bool Checks = false;            // input: several values with check boxes
    vb::Variant ValorDevuelto;      // output: the CampoDevuelto value of the choice
    std::string gConnString;        // connection string for the list dialog
    std::string gRutaMascaraConsultas;  // full path of the lookup-definition file
    bool gUsarMascarasConsultas = false;
    bool UsaCantidades = false;     // input: quantity keys in the list dialog
    std::string CampoDevuelto;      // input: the column whose value is returned

    // "UsaConsultaLIKE" is "SI": searches use LIKE.
    bool UsaConsultaLike() const { return usaConsultaLike_; }

    // Lets the user pick values out of a table or a query, in the list dialog
    // (Lib_FrmCons3) or, with TreeView, in the tree dialog (Lib_FrmCons3Tree),
    // and leaves the choice in ValorDevuelto, Valores and Cantidades.
    //
    // SQL is a complete statement (any text holding "SELECT") or a table or
    // view name. For a name, the matching record of the definition file gives
    // the columns, the filter and the search column; without one the columns
    // come from the table's own fields (or SentenciaOpcional replaces the
    // statement). The pointer parameters are the caller's variables, optional:
    // CampoBusqueda receives the search column chosen, Where its wrapped form
    // " (cond) ", and the caller's CmpsDevueltos collection is emptied and
    // released at the end. After a dialog, Checks is false and CampoDevuelto
    // empty. Failures never reach the caller: a failing step is passed over.
    void ConsultaSearch(const std::string& SQL, ColeccionPtr* CmpsDevueltos = nullptr,
                        const std::string& Clave = {}, std::string* CampoBusqueda = nullptr,
                        std::string* Where = nullptr, const std::string& SentenciaOpcional = {},
                        bool TreeView = false, const std::string& ValoresDefault = {});

private:
    std::string SentenciaDeTabla(const std::string& SQL, const std::string& tope, std::string& campoBusqueda,
                                 const std::string& where, const std::string& sentenciaOpcional, bool& abandonar);
    void MuestraArbol(const std::string& sentencia);
    void MuestraLista(const std::string& sentencia, const std::string& clave, const std::string& campoBusqueda,
                      const ColeccionPtr& cmpsDevueltos, const std::string& valoresDefault);

    bool usaConsultaLike_ = false;
};

// The program's one instance.
Lib_ClsCons3& gConsultas();

}  // namespace lookup
