// The lookup-definition file "consultas.tsm": fixed-length records of 1202
// bytes, one per table or view, without header. Each field is text of one
// byte per character (Latin-1), left-aligned and padded with blanks; the
// record ends in CR LF.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace foundation {

inline constexpr const char* kArchivoConsultas = "consultas.tsm";

inline constexpr std::size_t kLargoTitulo = 100;
inline constexpr std::size_t kLargoTabla = 100;
inline constexpr std::size_t kLargoCampos = 500;
inline constexpr std::size_t kLargoFiltro = 500;
inline constexpr std::size_t kLargoRegistroConsulta = 1202;

// One definition: Campos is "|COL1|COL2|", Filtro a condition without WHERE.
struct RegistroConsulta {
    std::string Titulo;
    std::string Tabla;
    std::string Campos;
    std::string Filtro;
};

// The records the default file holds, in the order they are written.
const std::vector<RegistroConsulta>& RegistrosConsultasPorDefecto();

// The 1202 bytes of a record: Titulo, Campos and Filtro trimmed, Tabla as
// given, each cut or padded to its length, then CR LF.
std::string RegistroConsultaABytes(const RegistroConsulta& registro);

// Writes the default file at Ruta. Never touches an existing file (raises
// error 58); a file that cannot be written completely is removed and the
// failure raised as a run-time error.
void CreaArchivoConsultas(const std::string& Ruta);

}  // namespace foundation
