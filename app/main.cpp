// Program entry point. The main window is not built yet: the program says so
// and ends with a failure status instead of pretending to work.
#include <cstdio>

int main() {
    std::fputs("tarvolin: the main window is not built yet; nothing to run.\n", stderr);
    return 1;
}
