// The command-line conventions every program here follows: --help and --version, one line for a
// wrong command line (exit code 2), and "--" to end the options, so that no option is ever
// taken for a file name. No SDL, no GL, so the file tools and asset makers share it with the
// demo.
#pragma once

#include <cstddef>
#include <initializer_list>
#include <string>
#include <vector>

// What a program says about itself: its name (for messages) and its usage text (ends in \n).
struct ProgramInfo {
    const char* name;
    const char* usage;
};

// The project's version, from the build ("2.0.0").
const char* programVersion();

// Scans argv for --help / --version (before a "--"): prints the usage (to stdout) or
// "NAME VERSION\n" and returns 0 as the exit code to leave with; returns -1 when neither is
// present.
int handleHelpAndVersion(const ProgramInfo& program, int argc, char** argv);

// "NAME: MESSAGE" and a line pointing to --help, on stderr; returns 2 (the exit code for bad
// usage). The whole usage would bury the one line that matters.
int usageError(const ProgramInfo& program, const std::string& message);

// The whole command line of a program with options of its own: --help and --version, then
// `parse`, which fills `options` and returns what is wrong with the line (empty when nothing
// is). Returns -1 when the program should go on, otherwise the exit code to leave with, having
// said why.
template <typename Options>
int takeCommandLine(const ProgramInfo& program, int argc, char** argv, Options& options,
                    std::string (*parse)(int, char**, Options&)) {
    if (const int exitCode = handleHelpAndVersion(program, argc, argv); exitCode >= 0) return exitCode;
    if (const std::string wrong = parse(argc, argv, options); !wrong.empty()) return usageError(program, wrong);
    return -1;
}

// The whole command line of a program that takes only operands, such as the asset makers:
// --help and --version, "--", and from `required` to names.size() operands (names says what
// each one is, "the output folder"). Returns -1 with `operands` filled in when the program
// should go on, otherwise the exit code to leave with, having said why.
int takeOperands(const ProgramInfo& program, int argc, char** argv, std::initializer_list<const char*> names,
                 std::size_t required, std::vector<std::string>& operands);

// A finite decimal number and nothing else: no blanks, no locale, no hexadecimal, no "nan".
bool parseNumber(const std::string& text, double& out);

// "WIDTHxHEIGHT", two whole numbers of at most five digits (past every limit, and inside an int).
bool parsePixelSize(const std::string& text, int& width, int& height);

// The frame and window sizes the programs take, in pixels.
constexpr int kMinPixelWidth = 160;
constexpr int kMinPixelHeight = 120;
constexpr int kMaxPixelWidth = 7680;
constexpr int kMaxPixelHeight = 4320;
inline bool withinPixelLimits(int width, int height) {
    return width >= kMinPixelWidth && height >= kMinPixelHeight && width <= kMaxPixelWidth &&
           height <= kMaxPixelHeight;
}

// True for an argument that looks like an option ("-x", "--xyz"; not "-" alone, which names
// stdin/stdout).
bool looksLikeOption(const char* argument);

// The arguments after a program's name, one at a time, by the same rules everywhere: a first
// "--" ends the options and is itself skipped; before it, what looks like an option is one.
//   for (ArgumentWalk walk(argc, argv); walk.next();) { ... walk.text() ... walk.isOption() ... }
class ArgumentWalk {
public:
    ArgumentWalk(int argc, char** argv) : argc_(argc), argv_(argv) {}
    // Moves to the next argument; false past the last.
    bool next();
    const std::string& text() const { return text_; }
    bool isOption() const { return isOption_; }
    // The argument after this option, taken as its value (whatever it looks like); null when
    // there is none.
    const char* value();

private:
    int argc_;
    char** argv_;
    int at_ = 0;
    bool optionsEnded_ = false;
    bool isOption_ = false;
    std::string text_;
};

// Cells of the bar a program redraws on its terminal line while it works.
constexpr int kTextBarWidth = 30;
// That bar with `fraction` (0 to 1, clamped) of its cells done: "#" for each, "." for the rest.
std::string textBar(double fraction);
