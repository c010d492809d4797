#include "app/command_line.h"

#include <cstdio>
#include <cstring>

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
