#include "vb/files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "vb/error.h"

namespace vb {

std::string NonRegularKind(unsigned mode) {
    if (S_ISREG(mode)) return {};
    if (S_ISDIR(mode)) return "una carpeta";
    if (S_ISFIFO(mode)) return "una tubería (FIFO)";
    if (S_ISCHR(mode) || S_ISBLK(mode)) return "un dispositivo";
    if (S_ISSOCK(mode)) return "un socket";
    return "un archivo especial";
}

std::string NonRegularReason(unsigned mode) {
    const std::string kind = NonRegularKind(mode);
    return kind.empty() ? kind : "no es un archivo sino " + kind;
}

std::optional<std::string> ReadRegularFile(const std::string& path) {
    // O_NONBLOCK: a FIFO opens at once instead of waiting for a writer.
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) {
        // A socket cannot be opened at all; it is refused as any other non-file.
        struct stat st {};
        if (errno == ENXIO && ::stat(path.c_str(), &st) == 0) {
            throw Error(kErrPathFileAccess, path + " " + NonRegularReason(st.st_mode));
        }
        return std::nullopt;
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        const std::string reason = NonRegularReason(st.st_mode);
        ::close(fd);
        throw Error(kErrPathFileAccess, path + " " + reason);
    }
    std::string content;
    char buffer[8192];
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n > 0) {
            content.append(buffer, static_cast<std::size_t>(n));
        } else if (n == 0) {
            break;
        } else if (errno != EINTR) {
            ::close(fd);
            return std::nullopt;
        }
    }
    ::close(fd);
    return content;
}

int AppendPrivately(const std::string& path, std::string_view text) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC | O_NONBLOCK | O_NOCTTY, 0600);
    if (fd < 0) return errno;
    struct stat st {};
    if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_uid == ::geteuid() && (st.st_mode & 077) != 0) {
        ::fchmod(fd, st.st_mode & 0700);
    }
    std::size_t done = 0;
    while (done < text.size()) {
        const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
        if (n < 0) {
            if (errno == EINTR) continue;
            const int err = errno;
            ::close(fd);
            return err;
        }
        done += static_cast<std::size_t>(n);
    }
    return ::close(fd) == 0 ? 0 : errno;
}

}  // namespace vb
