#include "files/whole_file.h"

#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "files/whole_file_open.h"

namespace files {
namespace {

// Reads exactly `size` bytes into `out`, then checks that nothing follows them.
template <typename Buffer>
std::string readExactly(int fd, size_t size, Buffer& out) {
    out.resize(size);
    size_t done = 0;
    while (done < size) {
        const ssize_t got = ::read(fd, &out[done], size - done);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) return systemReason("cannot be read");
        if (got == 0) return "became shorter while it was read (" + std::to_string(done) + " of " +
                             std::to_string(size) + " bytes)";
        done += static_cast<size_t>(got);
    }
    char extra;
    ssize_t more;
    do {
        more = ::read(fd, &extra, 1);
    } while (more < 0 && errno == EINTR);
    if (more > 0) return "grew while it was read (past " + std::to_string(size) + " bytes)";
    if (more < 0) return systemReason("cannot be read");
    return {};
}

template <typename Buffer>
std::string readExactlyOrNothing(int fd, size_t size, Buffer& out) {
    std::string error = readExactly(fd, size, out);
    if (!error.empty()) out.clear();
    return error;
}

// Reads the regular file open on `fd` whole, refusing anything else before a byte is read.
template <typename Buffer>
std::string readOpened(const std::string& openError, int opened, size_t maxBytes, Buffer& out,
                       size_t* fileSize = nullptr) {
    const Descriptor fd(opened);
    if (!openError.empty()) return openError;
    size_t size = 0;
    std::string error = examineOpenFile(fd.get(), maxBytes, size);
    if (fileSize) *fileSize = size;
    if (!error.empty()) return error;
    return readExactlyOrNothing(fd.get(), size, out);
}

template <typename Buffer>
std::string readInto(const std::string& path, size_t maxBytes, Buffer& out) {
    out.clear();
    int fd = -1;
    const std::string error = openForReading(path, fd);
    return readOpened(error, fd, maxBytes, out);
}

}  // namespace

Descriptor::~Descriptor() {
    if (fd_ >= 0) ::close(fd_);
}

std::string systemReason(const char* doing) { return std::string(doing) + ": " + std::strerror(errno); }

std::string overCap(unsigned long long size, size_t maxBytes) {
    if (size <= maxBytes) return {};
    return "is " + std::to_string(size) + " bytes, more than the " + std::to_string(maxBytes) + " allowed";
}

std::string readWholeFile(const std::string& path, size_t maxBytes, std::vector<uint8_t>& bytes) {
    return readInto(path, maxBytes, bytes);
}

std::string readWholeFile(const std::string& path, size_t maxBytes, std::string& text) {
    return readInto(path, maxBytes, text);
}

std::string readWholeFileBeneath(const std::string& folder, const std::string& relative,
                                 size_t maxBytes, std::vector<uint8_t>& bytes, size_t* fileSize,
                                 Confinement how) {
    bytes.clear();
    if (fileSize) *fileSize = 0;
    int fd = -1;
    const std::string error = openForReadingBeneath(folder, relative, how, fd);
    return readOpened(error, fd, maxBytes, bytes, fileSize);
}

std::string readOpenFile(int fd, size_t expectedSize, std::vector<uint8_t>& bytes) {
    return readExactlyOrNothing(fd, expectedSize, bytes);
}

}  // namespace files
