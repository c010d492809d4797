#pragma once
// UTF-8, the programs' own encoding, to and from Windows' UTF-16 for its wide-character API,
// which takes every file name whatever the system's code page. Windows builds only.

#include <string>

namespace files {

std::wstring widen(const std::string& utf8);
std::string narrow(const std::wstring& utf16);

// Windows' message for an error code from GetLastError, without its line break.
std::string systemMessage(unsigned long code);

}  // namespace files
