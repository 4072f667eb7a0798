// What the postings handed out for statements not run yet on the session's
// connection: the entry numbers, kept apart from one another, and the
// documents of a caller's batch, named to the user when the database refuses
// it. Nothing bounds how many are kept: a batch may hold any number of
// documents.
#include <algorithm>
#include <cstdint>
#include <deque>
#include <string>
#include <vector>

#include "foundation/db_dll.h"
#include "numbering/ast.h"
#include "posteo_interno.h"
#include "vb/conv.h"
#include "vb/format.h"
#include "vb/text.h"

namespace posting::detail {

namespace {

struct Registro {
    std::uint64_t apertura;  // the opening of the connection it belongs to
    Entregado entregado;
};

// The records of the connection as it is open now; those of an earlier
// opening go.
std::deque<Registro>& Registros() {
    static std::deque<Registro> registros;
    const std::uint64_t apertura = foundation::Db().gCnn.OpeningId();
    std::erase_if(registros, [&](const Registro& r) { return r.apertura != apertura; });
    return registros;
}

// Where the first of the record's marks stands in the statement (npos: none).
std::size_t Posicion(const std::string& sentencia, const Entregado& e) {
    std::size_t posicion = std::string::npos;
    for (const std::string& marca : e.marcas) posicion = std::min(posicion, sentencia.find(marca));
    return posicion;
}

bool MismaSerie(const AsientoAbierto& a, const AsientoAbierto& b) {
    return a.mes == b.mes && a.periodo == b.periodo && a.tipoReg == b.tipoReg;
}

std::string Enumera(const std::vector<std::string>& nombres) {
    std::string lista;
    for (std::size_t i = 0; i < nombres.size(); ++i) {
        lista += (i == 0 ? "" : i + 1 == nombres.size() ? " y " : ", ") + nombres[i];
    }
    return lista;
}

// Whether a unique index refused the statement although nothing stored held
// the entries of its documents: the batch held a value twice.
bool RepetidoEnElLote(const RechazoBase& rechazo, const std::vector<const Entregado*>& rechazados) {
    const auto conAsiento = [](const Entregado* e) { return e->asiento.numero != 0; };
    return rechazo.Repeticion() && std::any_of(rechazados.begin(), rechazados.end(), conAsiento) &&
           std::none_of(rechazados.begin(), rechazados.end(), [](const Entregado* e) {
               return AsientoGrabado(e->asiento);
           });
}

// The documents of a refused statement, in the order it holds them, told in
// the user's words with what the database refused; "" when it holds none
// handed to a caller.
std::string ExplicaRechazo(const std::string& sentencia, const vb::Error& error) {
    std::vector<std::pair<std::size_t, const Entregado*>> posiciones;
    for (const Registro& r : Registros()) {
        const std::size_t posicion = Posicion(sentencia, r.entregado);
        if (r.entregado.explica && posicion != std::string::npos) posiciones.emplace_back(posicion, &r.entregado);
    }
    if (posiciones.empty()) return {};
    std::sort(posiciones.begin(), posiciones.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    std::vector<const Entregado*> rechazados;
    for (const auto& [posicion, e] : posiciones) rechazados.push_back(e);
    const RechazoBase rechazo{error.Number(), error.NativeError(), error.Description()};
    const bool enElLote = RepetidoEnElLote(rechazo, rechazados);
    if (rechazados.size() == 1) {
        const Entregado& e = *rechazados.front();
        std::string motivo = rechazo.Repeticion() ? AsientoTomado(e.asiento) : std::string();
        if (motivo.empty()) {
            motivo = TextoRechazoDeLaBase("el lote que lo llevaba", rechazo, enElLote) +
                     " No se guardó nada del comprobante; vuelva a grabarlo.";
        }
        return "No se grabó el comprobante " + e.comprobante + ": " + motivo;
    }
    std::vector<std::string> nombres;
    std::string tomados;
    for (const Entregado* e : rechazados) {
        nombres.push_back(e->comprobante);
        if (!rechazo.Repeticion()) continue;
        if (const std::string otro = OtroComprobanteDelAsiento(e->asiento); !otro.empty()) {
            tomados += " " + AsientoTomadoPorOtra("El " + NombreAsiento(e->asiento) + " de " + e->comprobante, otro);
        }
    }
    return "No se grabaron los comprobantes " + Enumera(nombres) + ": " +
           TextoRechazoDeLaBase("el lote que los llevaba", rechazo, enElLote) + tomados +
           " No se guardó nada de ellos; vuelva a grabarlos.";
}

// A statement that ran or failed takes its records with it.
void Sigue(const std::string& sentencia, bool /*corrio*/) {
    std::erase_if(Registros(),
                  [&](const Registro& r) { return Posicion(sentencia, r.entregado) != std::string::npos; });
}

}  // namespace

void Entrega(const Entregado& entregado) {
    [[maybe_unused]] static const bool seguido = [] {
        foundation::Db().AgregaExplicacionRechazo(ExplicaRechazo);
        foundation::Db().AgregaSeguimiento(Sigue);
        return true;
    }();
    std::deque<Registro>& registros = Registros();
    for (Registro& r : registros) {
        Entregado& e = r.entregado;
        if (e.documento != entregado.documento || e.asiento.numero != entregado.asiento.numero) continue;
        e.marcas.insert(e.marcas.end(), entregado.marcas.begin(), entregado.marcas.end());
        e.explica = e.explica || entregado.explica;
        return;
    }
    registros.push_front({foundation::Db().gCnn.OpeningId(), entregado});
}

void Retira(const std::string& documento, std::int32_t numero) {
    std::erase_if(Registros(), [&](const Registro& r) {
        return r.entregado.documento == documento && r.entregado.asiento.numero == numero;
    });
}

std::int32_t NumeroSinEntregar(const AsientoAbierto& asiento, std::int32_t desde) {
    const std::deque<Registro>& registros = Registros();
    const auto tomado = [&](std::int32_t numero) {
        return std::any_of(registros.begin(), registros.end(), [&](const Registro& r) {
            const AsientoAbierto& otro = r.entregado.asiento;
            return otro.numero == numero && MismaSerie(otro, asiento) && r.entregado.documento != asiento.documento;
        });
    };
    std::int32_t numero = desde;
    while (tomado(numero)) ++numero;
    return numero;
}

bool DocumentoEntregado(const std::string& documento) {
    const std::deque<Registro>& registros = Registros();
    return std::any_of(registros.begin(), registros.end(),
                       [&](const Registro& r) { return r.entregado.documento == documento; });
}

std::string NumeroComprobanteSinEntregar(const std::string& TC, std::string& Sucursal, std::string& Letra,
                                         std::string* agotados, std::string* chequeo) {
    if (chequeo != nullptr) chequeo->clear();
    bool sinTalonarios = false;
    const std::string numero = numbering::AsignarNumeroComprobante(TC, Sucursal, Letra, agotados, &sinTalonarios);
    if (vb::Trim(numero).empty()) return {};
    const std::string suc = vb::Mid(numero, 1, 4);
    std::string nro = vb::Mid(numero, 5, 8);
    const std::string letra = vb::Mid(numero, 13, 1);
    // Passed over: a number handed out here, and, without a range, one another
    // station stored meanwhile (the next after the highest stored may be far).
    const auto ocupado = [&] {
        return DocumentoEntregado(ClaveDocumento(TC, suc, nro, letra)) ||
               (sinTalonarios && numbering::ComprobanteGuardado(TC, suc + nro + letra));
    };
    while (ocupado()) {
        const double siguiente = vb::Val(nro) + 1;
        if (siguiente > 99999999) return {};
        nro = vb::Format(siguiente, "00000000");
    }
    if (sinTalonarios && chequeo != nullptr) *chequeo = numbering::ChequeoNumeroLibre(TC, suc + nro + letra);
    return suc + nro + letra;
}

}  // namespace posting::detail
