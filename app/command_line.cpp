#include "app/command_line.h"

#include "text/json_text.h"

#include <algorithm>
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
    // The message quotes the arguments, which may hold any bytes: escaped, as names from files are.
    std::fprintf(stderr, "%s: %s\nTry '%s --help' for more information.\n", program.name,
                 terminal::printable(message).c_str(), program.name);
    return 2;
}

int takeOperands(const ProgramInfo& program, int argc, char** argv, std::initializer_list<const char*> names,
                 std::size_t required, std::vector<std::string>& operands) {
    if (const int exitCode = handleHelpAndVersion(program, argc, argv); exitCode >= 0) return exitCode;
    operands.clear();
    for (ArgumentWalk walk(argc, argv); walk.next();) {
        const std::string& argument = walk.text();
        if (walk.isOption()) {
            return usageError(program, "unknown option " + argument);
        } else if (operands.size() == names.size()) {
            return usageError(program, "unexpected argument \"" + argument + "\"");
        } else if (argument.empty()) {
            // An empty folder name would put the files in the root folder.
            return usageError(program, std::string("an empty argument for ") + names.begin()[operands.size()]);
        } else {
            operands.push_back(argument);
        }
    }
    if (operands.size() < required) return usageError(program, std::string("missing ") + names.begin()[operands.size()]);
    return -1;
}

bool looksLikeOption(const char* argument) {
    return argument && argument[0] == '-' && argument[1] != '\0';
}

bool ArgumentWalk::next() {
    if (++at_ >= argc_) return false;
    if (!optionsEnded_ && std::string(argv_[at_]) == "--") {
        optionsEnded_ = true;
        return next();
    }
    text_ = argv_[at_];
    isOption_ = !optionsEnded_ && looksLikeOption(argv_[at_]);
    return true;
}

const char* ArgumentWalk::value() {
    if (at_ + 1 >= argc_) return nullptr;
    return argv_[++at_];
}

std::string textBar(double fraction) {
    const int done = static_cast<int>(kTextBarWidth * std::clamp(fraction, 0.0, 1.0));
    return std::string(static_cast<size_t>(done), '#') + std::string(static_cast<size_t>(kTextBarWidth - done), '.');
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
