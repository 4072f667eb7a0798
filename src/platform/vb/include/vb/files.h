// Files the program reads by a name a person gave: a name may stand for
// something that is no file at all (a folder, a FIFO, a device), and opening
// a FIFO to read waits, for good, for someone to write into it. Such a name
// is refused, by what it names, before anything waits on it.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace vb {

// What a file mode (st_mode) names when it is no regular file, in Spanish:
// "una carpeta", "una tubería (FIFO)", "un dispositivo", "un socket", "un
// archivo especial"; empty for a regular file.
std::string NonRegularKind(unsigned mode);

// Why a name of that mode is refused: "no es un archivo sino <kind>"; empty
// for a regular file.
std::string NonRegularReason(unsigned mode);

// The whole content of a regular file; nullopt when nothing by that name
// exists (or it cannot be read). A name that stands for anything else raises
// error 75 (path/file access), "<path> no es un archivo sino <kind>", without
// waiting: the file is opened without blocking and checked before it is read.
std::optional<std::string> ReadRegularFile(const std::string& path);

// Appends `text` to a file that holds what only its owner may read (a log of
// the company's data): a new file is created with mode 0600 whatever the
// umask, and a file of the same owner that others may read is made
// owner-only. 0 when written whole, else the system's error number.
int AppendPrivately(const std::string& path, std::string_view text);

}  // namespace vb
