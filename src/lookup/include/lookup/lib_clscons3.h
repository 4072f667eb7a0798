// Lib_ClsCons3: the suite's generic lookup service. Document-entry forms set
// its inputs, ask it for a lookup and read what the user chose from its
// public variables. One instance, gConsultas(), created on first use; its
// creation reads configuration keys, so the first use must come after the
// connection is open.
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
    // Reads the stock colours, the stock switch and the LIKE switch.
    Lib_ClsCons3();

    vb::Variant StkNivel1;          // stock colour tiers: the text, 0 when empty
    vb::Variant StkNivel2;
    vb::Variant StkNivel3;
    vb::Variant StkNivel4;
    std::string MuestraStock;       // "MostrarStockenConsultas" as read
    ColeccionPtr CmpsDevueltos;     // empty, created with the service
    ColeccionPtr Valores;           // output: chosen values
    ColeccionPtr Cantidades;        // output: quantities; unset until a list lookup
    bool Checks = false;            // input: several values with check boxes
    vb::Variant ValorDevuelto;      // output: the CampoDevuelto value of the choice
    std::string gConnString;        // connection string for the list dialog
    std::string gRutaMascaraConsultas;  // full path of the lookup-definition file
    bool gUsarMascarasConsultas = false;
    bool UsaCantidades = false;     // input: quantity keys in the list dialog
    std::string CampoDevuelto;      // input: the column whose value is returned

    // "UsaConsultaLIKE" is "SI": searches use LIKE.
    bool UsaConsultaLike() const { return usaConsultaLike_; }

private:
    bool usaConsultaLike_ = false;
};

// The program's one instance.
Lib_ClsCons3& gConsultas();

}  // namespace lookup
