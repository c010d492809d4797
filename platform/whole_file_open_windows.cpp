#include "platform/whole_file_open.h"

#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstring>

#include "platform/wide_text_windows.h"

namespace files {
namespace {

std::string systemReason(const char* doing) { return std::string(doing) + ": " + std::strerror(errno); }

// Windows refuses to open a folder as a file; say so rather than "Permission denied".
std::string whyNotOpened(const std::wstring& path) {
    const int openError = errno;
    struct _stat64 info {};
    if (_wstat64(path.c_str(), &info) == 0 && (info.st_mode & _S_IFMT) == _S_IFDIR)
        return "is a directory, not a file";
    errno = openError;
    return systemReason("cannot be opened");
}

}  // namespace

// Binary mode: the C library would otherwise turn CR LF into LF and stop at a Ctrl-Z.
std::string openRegularFile(const std::string& path, size_t maxBytes, int& fd, size_t& size) {
    const std::wstring wide = widen(path);
    fd = _wopen(wide.c_str(), _O_RDONLY | _O_BINARY | _O_NOINHERIT);
    if (fd < 0) return whyNotOpened(wide);
    struct _stat64 info {};
    if (_fstat64(fd, &info) != 0) return systemReason("cannot be examined");
    if ((info.st_mode & _S_IFMT) == _S_IFCHR) return "is a character device, not a file";
    if ((info.st_mode & _S_IFMT) != _S_IFREG) return "is a pipe or device, not a file";
    const auto bytes = static_cast<unsigned long long>(info.st_size);
    std::string error = overCap(bytes, maxBytes);
    if (!error.empty()) return error;
    size = static_cast<size_t>(bytes);
    return {};
}

}  // namespace files
