#include "platform/whole_file_open.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace files {
namespace {

std::string systemReason(const char* doing) { return std::string(doing) + ": " + std::strerror(errno); }

const char* kindOf(mode_t mode) {
    if (S_ISDIR(mode)) return "a directory";
    if (S_ISCHR(mode)) return "a character device";
    if (S_ISBLK(mode)) return "a block device";
    if (S_ISFIFO(mode)) return "a pipe (FIFO)";
    if (S_ISSOCK(mode)) return "a socket";
    return "not a regular file";
}

}  // namespace

std::string openRegularFile(const std::string& path, size_t maxBytes, int& fd, size_t& size) {
    // O_NONBLOCK keeps open() from waiting for a writer on a FIFO; it is refused just after.
    fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) return systemReason("cannot be opened");
    struct stat info {};
    if (::fstat(fd, &info) != 0) return systemReason("cannot be examined");
    if (!S_ISREG(info.st_mode)) return std::string("is ") + kindOf(info.st_mode) + ", not a file";
    const auto bytes = static_cast<unsigned long long>(info.st_size);
    std::string error = overCap(bytes, maxBytes);
    if (!error.empty()) return error;
    // Regular files never block; blocking reads are simpler to loop over.
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    size = static_cast<size_t>(bytes);
    return {};
}

}  // namespace files
