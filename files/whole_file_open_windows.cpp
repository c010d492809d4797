#include "files/whole_file_open.h"

#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>
#include <windows.h>

#include <cerrno>
#include <cstring>
#include <cwctype>

#include "files/wide_text_windows.h"

namespace files {
namespace {

// Windows refuses to open a folder as a file; say so rather than "Permission denied".
std::string whyNotOpened(const std::wstring& path) {
    const int openError = errno;
    struct _stat64 info {};
    if (_wstat64(path.c_str(), &info) == 0 && (info.st_mode & _S_IFMT) == _S_IFDIR)
        return "is a directory, not a file";
    errno = openError;
    return systemReason("cannot be opened");
}

// Where the system says an open handle really is, links and junctions followed; empty when it
// will not say.
std::wstring finalPath(HANDLE handle) {
    const DWORD length = GetFinalPathNameByHandleW(handle, nullptr, 0, FILE_NAME_NORMALIZED);
    if (length == 0) return {};
    std::wstring path(length, L'\0');
    const DWORD written = GetFinalPathNameByHandleW(handle, path.data(), length, FILE_NAME_NORMALIZED);
    if (written == 0 || written >= length) return {};
    path.resize(written);
    return path;
}

std::wstring finalFolderPath(const std::wstring& folder) {
    // Backup semantics lets CreateFile open a folder, for its handle only.
    const HANDLE handle = CreateFileW(folder.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                      nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (handle == INVALID_HANDLE_VALUE) return {};
    std::wstring path = finalPath(handle);
    CloseHandle(handle);
    return path;
}

// Names compare without case, as the file system does.
bool isBeneath(const std::wstring& folder, const std::wstring& file) {
    if (folder.empty() || file.size() <= folder.size()) return false;
    for (size_t i = 0; i < folder.size(); ++i)
        if (std::towlower(folder[i]) != std::towlower(file[i])) return false;
    return folder.back() == L'\\' || file[folder.size()] == L'\\';
}

}  // namespace

// Binary mode: the C library would otherwise turn CR LF into LF and stop at a Ctrl-Z.
std::string openForReading(const std::string& path, int& fd) {
    const std::wstring wide = widen(path);
    fd = _wopen(wide.c_str(), _O_RDONLY | _O_BINARY | _O_NOINHERIT);
    return fd < 0 ? whyNotOpened(wide) : std::string();
}

// Windows has no open-beneath. The file is opened, and then the system is asked where the open
// handle really is: whatever link or ".." was met on the way, and whenever it was swapped in,
// the answer is the file that will be read, so a file outside the folder is closed unread.
// Both ways of confining are this one: links are followed while they stay inside.
std::string openForReadingBeneath(const std::string& folder, const std::string& relative, Confinement, int& fd) {
    const std::wstring inside = finalFolderPath(widen(folder));
    if (inside.empty()) {
        fd = -1;
        return "its folder " + folder + " cannot be opened: " + systemMessage(GetLastError());
    }
    std::string error = openForReading(folder + "/" + relative, fd);
    if (!error.empty()) return error;
    if (!isBeneath(inside, finalPath(reinterpret_cast<HANDLE>(_get_osfhandle(fd))))) {
        _close(fd);
        fd = -1;
        return "leads outside " + folder;
    }
    return {};
}

std::string examineOpenFile(int fd, size_t maxBytes, size_t& size) {
    struct _stat64 info {};
    if (_fstat64(fd, &info) != 0) return systemReason("cannot be examined");
    if ((info.st_mode & _S_IFMT) == _S_IFCHR) return "is a character device, not a file";
    if ((info.st_mode & _S_IFMT) != _S_IFREG) return "is a pipe or device, not a file";
    size = static_cast<size_t>(info.st_size);
    return overCap(static_cast<unsigned long long>(info.st_size), maxBytes);
}

}  // namespace files
