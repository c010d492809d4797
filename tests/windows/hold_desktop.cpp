// Holds Wine's default desktop open for as long as it runs; scripts/test-windows.sh keeps it
// running through the whole Windows pass.
//
// Wine closes its desktop a second after the last program with a window on it has gone, and
// the next such program starts it again. The desktop's process inherits that program's output
// handles, so its test seems to run until every later window is gone too; and a program that
// starts while the desktop is closing races its shutdown. A program that stays on the desktop,
// started with no output of a test's, avoids both.
#include <windows.h>

#include <cstdio>

int main() {
    // Any window joins the desktop (starting it if need be); a message-only one is never shown.
    const HWND window = CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    if (!window) {
        std::fprintf(stderr, "hold_desktop: no window on the desktop (error %lu)\n", GetLastError());
        return 1;
    }
    // The desktop is there: the script waits for this line before the first test starts.
    std::fprintf(stderr, "holding the desktop\n");
    std::fflush(stderr);
    Sleep(INFINITE);
    return 0;
}
