#pragma once
// What differs between the systems in handling files and folders, as much as the readers, the
// capture and start-up need: one implementation per system (file_system_posix.cpp,
// file_system_windows.cpp). Paths are UTF-8 everywhere; failures come back as a reason worded
// to follow the path, empty on success.

#include <string>
#include <vector>

namespace files {

// Makes a new folder, readable by this user only, named `stem` followed by a unique suffix; on
// success its path is left in `path`.
[[nodiscard]] std::string makeUniqueFolder(const std::string& stem, std::string& path);

// Renames `from` to `to`, replacing a file already there in one step: a reader of `to` sees
// the old file or the new one, never none.
[[nodiscard]] std::string replaceFile(const std::string& from, const std::string& to);

// The names in a folder, without "." and ".."; empty when it cannot be read.
std::vector<std::string> folderNames(const std::string& folder);

// Best effort: the caller is tidying up and has nothing to do when these fail.
void removeFile(const std::string& path);
void removeEmptyFolder(const std::string& path);

// Whether `path` names a file this user may read.
bool readable(const std::string& path);

// The folder for scratch files: $TMPDIR or /tmp, Windows' temporary folder.
std::string temporaryFolder();

// The running program's own file, followed through links; empty when the system will not say.
std::string programPath();

// Files that live in memory only, gone with the process however it ends, opened by path through
// `memoryFilePath`. Where the system has none, `makeMemoryFile` fails and `memoryFilesWork`
// says no, and the caller keeps its scratch files in a private folder instead.
bool memoryFilesWork();
int makeMemoryFile(const char* name);  // a descriptor, -1 with errno set on failure
std::string memoryFilePath(int descriptor);
void closeMemoryFile(int descriptor);

}  // namespace files
