#include "files/whole_file_open.h"

#include <fcntl.h>
#include <linux/openat2.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <memory>
#include <vector>

namespace files {
namespace {

const char* kindOf(mode_t mode) {
    if (S_ISDIR(mode)) return "a directory";
    if (S_ISCHR(mode)) return "a character device";
    if (S_ISBLK(mode)) return "a block device";
    if (S_ISFIFO(mode)) return "a pipe (FIFO)";
    if (S_ISSOCK(mode)) return "a socket";
    return "not a regular file";
}

// O_NONBLOCK keeps open() from waiting for a writer on a FIFO; it is refused just after.
// O_NOCTTY: a terminal device opened by name must not become the process's terminal.
constexpr int kReadFlags = O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY;

// The kernel's own confinement; -1 with errno ENOSYS where the kernel (or a sandbox's filter)
// has no openat2.
int openKernelBeneath(int folder, const std::string& relative) {
    struct open_how how {};
    how.flags = kReadFlags;
    // Magic links (/proc/self/fd/N) would jump anywhere, whatever the folder.
    how.resolve = RESOLVE_BENEATH | RESOLVE_NO_MAGICLINKS;
    return static_cast<int>(::syscall(SYS_openat2, folder, relative.c_str(), &how, sizeof how));
}

std::vector<std::string> componentsOf(const std::string& relative) {
    std::vector<std::string> parts;
    size_t begin = 0;
    while (begin <= relative.size()) {
        const size_t end = std::min(relative.find('/', begin), relative.size());
        if (end > begin && relative.compare(begin, end - begin, ".") != 0)
            parts.push_back(relative.substr(begin, end - begin));
        begin = end + 1;
    }
    return parts;
}

int failWith(int error) {
    errno = error;
    return -1;
}

bool isLink(int folder, const std::string& name) {
    struct stat info {};
    return ::fstatat(folder, name.c_str(), &info, AT_SYMLINK_NOFOLLOW) == 0 && S_ISLNK(info.st_mode);
}

// The walk: a descriptor per folder entered, so ".." goes back to one already held rather than
// to whatever the name ".." means by then. Fails with EXDEV above the folder, ELOOP at a link.
int openWalkingBeneath(int folder, const std::string& relative, std::string& link) {
    const std::vector<std::string> parts = componentsOf(relative);
    if (parts.empty()) return ::openat(folder, ".", kReadFlags);
    std::vector<std::unique_ptr<Descriptor>> entered;
    auto current = [&] { return entered.empty() ? folder : entered.back()->get(); };
    for (size_t i = 0; i + 1 < parts.size(); ++i) {
        if (parts[i] == "..") {
            if (entered.empty()) return failWith(EXDEV);
            entered.pop_back();
            continue;
        }
        const int next = ::openat(current(), parts[i].c_str(),
                                  O_PATH | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        if (next < 0) {
            const int why = errno;
            if (isLink(current(), parts[i])) link = parts[i];
            return failWith(why);
        }
        entered.push_back(std::make_unique<Descriptor>(next));
    }
    const std::string& last = parts.back();
    if (last == "..") {
        if (entered.empty()) return failWith(EXDEV);
        entered.pop_back();
        return ::openat(current(), ".", kReadFlags);
    }
    const int fd = ::openat(current(), last.c_str(), kReadFlags | O_NOFOLLOW);
    if (fd < 0 && errno == ELOOP) link = last;
    return fd;  // errno stays the open's
}

}  // namespace

std::string openForReading(const std::string& path, int& fd) {
    fd = ::open(path.c_str(), kReadFlags);
    return fd < 0 ? systemReason("cannot be opened") : std::string();
}

std::string openForReadingBeneath(const std::string& folder, const std::string& relative,
                                  Confinement how, int& fd) {
    fd = -1;
    const Descriptor root(::open(folder.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC));
    if (root.get() < 0) return systemReason(("its folder " + folder + " cannot be opened").c_str());
    std::string link;
    fd = how == Confinement::Kernel ? openKernelBeneath(root.get(), relative) : -1;
    if (how == Confinement::ComponentWalk || (fd < 0 && errno == ENOSYS))
        fd = openWalkingBeneath(root.get(), relative, link);
    if (fd >= 0) return {};
    if (errno == EXDEV) return "leads outside " + folder;
    if (!link.empty()) return "passes through the symbolic link " + link;
    return systemReason("cannot be opened");
}

std::string examineOpenFile(int fd, size_t maxBytes, size_t& size) {
    struct stat info {};
    if (::fstat(fd, &info) != 0) return systemReason("cannot be examined");
    if (!S_ISREG(info.st_mode)) return std::string("is ") + kindOf(info.st_mode) + ", not a file";
    size = static_cast<size_t>(info.st_size);
    std::string error = overCap(static_cast<unsigned long long>(info.st_size), maxBytes);
    if (!error.empty()) return error;
    // Regular files never block; blocking reads are simpler to loop over.
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    return {};
}

}  // namespace files
