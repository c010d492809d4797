#include "app/command_line.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <system_error>

#ifndef DEMO_VERSION
#error "DEMO_VERSION comes from the project() version in CMake"
#endif

const char* programVersion() {
    return DEMO_VERSION;
}

int handleHelpAndVersion(const ProgramInfo& program, int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        // Past "--" a "--help" is a file name, not a request.
        if (std::strcmp(argv[i], "--") == 0) break;
        if (std::strcmp(argv[i], "--help") == 0) {
            std::fputs(program.usage, stdout);
            return 0;
        }
        if (std::strcmp(argv[i], "--version") == 0) {
            std::printf("%s %s\n", program.name, programVersion());
            return 0;
        }
    }
    return -1;
}

int usageError(const ProgramInfo& program, const std::string& message) {
    std::fprintf(stderr, "%s: %s\n%s", program.name, message.c_str(), program.usage);
    return 2;
}

bool looksLikeOption(const char* argument) {
    return argument && argument[0] == '-' && argument[1] != '\0';
}

// from_chars rather than strtod: no locale, no leading blanks, no hexadecimal; "nan" and
// "inf" parse but are refused as not finite.
bool parseNumber(const std::string& text, double& out) {
    const char* last = text.data() + text.size();
    const auto [end, error] = std::from_chars(text.data(), last, out);
    return error == std::errc() && end == last && std::isfinite(out);
}

namespace {

bool parseDimension(const std::string& text, int& out) {
    if (text.empty() || text.size() > 5) return false;
    for (char c : text)
        if (c < '0' || c > '9') return false;
    out = std::atoi(text.c_str());
    return true;
}

}  // namespace

bool parsePixelSize(const std::string& text, int& width, int& height) {
    const size_t x = text.find('x');
    return x != std::string::npos && parseDimension(text.substr(0, x), width) &&
           parseDimension(text.substr(x + 1), height);
}
