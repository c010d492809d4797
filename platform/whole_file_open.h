#pragma once
// The part of reading a file whole that differs between the systems: opening it by its UTF-8
// name and checking, on the opened file, that it is a regular file within the cap.
// One implementation per system (whole_file_open_posix.cpp, whole_file_open_windows.cpp).

#include <cstddef>
#include <string>

namespace files {

// On success `fd` is a blocking descriptor open for reading and `size` the file's size; on
// failure the reason, worded to follow "<path>: ", and `fd` is -1 or a descriptor the caller
// closes.
[[nodiscard]] std::string openRegularFile(const std::string& path, size_t maxBytes, int& fd, size_t& size);

// "is 300000000 bytes, more than the 268435456 allowed", or empty when `size` is within `maxBytes`.
std::string overCap(unsigned long long size, size_t maxBytes);

}  // namespace files
