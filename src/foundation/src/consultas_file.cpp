#include "foundation/consultas_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "vb/error.h"
#include "vb/text.h"

namespace foundation {

namespace {

// One byte per character: code points up to U+00FF as Latin-1, any other
// as "?". Invalid UTF-8 bytes count as one "?" each.
std::string ALatin1(std::string_view texto) {
    std::string out;
    out.reserve(texto.size());
    for (std::size_t i = 0; i < texto.size();) {
        const auto b = static_cast<unsigned char>(texto[i]);
        std::size_t largo = b < 0x80 ? 1 : (b >> 5) == 0x6 ? 2 : (b >> 4) == 0xE ? 3 : (b >> 3) == 0x1E ? 4 : 0;
        if (largo == 0 || i + largo > texto.size()) {
            out += '?';
            ++i;
            continue;
        }
        unsigned codigo = largo == 1 ? b : b & (0x7F >> largo);
        for (std::size_t k = 1; k < largo; ++k) codigo = (codigo << 6) | (static_cast<unsigned char>(texto[i + k]) & 0x3F);
        out += codigo <= 0xFF ? static_cast<char>(codigo) : '?';
        i += largo;
    }
    return out;
}

// The text cut or padded with blanks to the field's length.
std::string Campo(std::string_view texto, std::size_t largo) {
    std::string bytes = ALatin1(texto);
    bytes.resize(largo, ' ');
    return bytes;
}

[[noreturn]] void RaiseArchivo(int err, const std::string& ruta) {
    switch (err) {
    case EEXIST: vb::Raise(58, "File already exists: " + ruta);
    case EACCES:
    case EPERM:
    case EROFS: vb::Raise(vb::kErrPermissionDenied, "Permission denied: " + ruta);
    case ENOENT:
    case ENOTDIR: vb::Raise(vb::kErrPathNotFound, "Path not found: " + ruta);
    case ENOSPC: vb::Raise(61, "Disk full: " + ruta);
    default: vb::Raise(75, "Path/File access error: " + ruta + " (" + std::strerror(err) + ")");
    }
}

}  // namespace

const std::vector<RegistroConsulta>& RegistrosConsultasPorDefecto() {
    static const std::vector<RegistroConsulta> registros = {
        {"ARTICULOS", "V_MA_ARTICULOS", "|DESCRIPCION|IDARTICULO|", ""},
        {"CLIENTES", "VT_CLIENTES", "|RAZON_SOCIAL|CODIGO|CONTACTO|", ""},
        {"PROVEEDORES", "VT_PROVEEDORES", "|RAZON_SOCIAL|CODIGO|", ""},
        {"CONTACTOS", "MA_CONTACTOS", "|Nombre_y_Apellido|Domicilio|Localidad|Telefono|", ""},
        {"VENDEDORES", "V_TA_VENDEDORES", "|NOMBRE|IDVENDEDOR|", ""},
        {"TECNICOS", "V_TA_TECNICOS", "|NOMBRE|IDTECNICO|", ""},
        {"TECNICOS", "V_TA_TECNICOS", "|NOMBRE|IDTECNICO|", ""},
        {"MANTENIMIENTOS", "V_MA_MANTENIMIENTOS", "|DESCRIPCION|CODIGO|", ""},
    };
    return registros;
}

std::string RegistroConsultaABytes(const RegistroConsulta& registro) {
    std::string bytes;
    bytes.reserve(kLargoRegistroConsulta);
    bytes += Campo(vb::Trim(registro.Titulo), kLargoTitulo);
    bytes += Campo(registro.Tabla, kLargoTabla);
    bytes += Campo(vb::Trim(registro.Campos), kLargoCampos);
    bytes += Campo(vb::Trim(registro.Filtro), kLargoFiltro);
    bytes += "\r\n";
    return bytes;
}

void CreaArchivoConsultas(const std::string& Ruta) {
    std::string contenido;
    for (const RegistroConsulta& registro : RegistrosConsultasPorDefecto()) contenido += RegistroConsultaABytes(registro);

    const int fd = ::open(Ruta.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (fd < 0) RaiseArchivo(errno, Ruta);
    std::size_t escritos = 0;
    int error = 0;
    while (escritos < contenido.size()) {
        const ssize_t n = ::write(fd, contenido.data() + escritos, contenido.size() - escritos);
        if (n < 0) {
            if (errno == EINTR) continue;
            error = errno;
            break;
        }
        escritos += static_cast<std::size_t>(n);
    }
    if (::close(fd) != 0 && error == 0) error = errno;
    if (error != 0) {
        // A partial file would be taken as the site's own and never completed.
        ::unlink(Ruta.c_str());
        RaiseArchivo(error, Ruta);
    }
}

}  // namespace foundation
