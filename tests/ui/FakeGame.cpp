// Stands in for the game in tests: records how it was started, then exits (or, with
// FAKE_GAME_WINDOW set, shows an X11 window owned by its pid until it is killed).
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <unistd.h>

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <string>

int main(int argc, char** argv) {
    const char* record = std::getenv("FAKE_GAME_RECORD");
    if (record != nullptr) {
        std::string tmp = std::string(record) + ".tmp";
        FILE* out = std::fopen(tmp.c_str(), "wb");
        if (out == nullptr) return 2;
        char cwd[PATH_MAX] = {};
        if (getcwd(cwd, sizeof cwd) == nullptr) cwd[0] = '\0';
        std::fprintf(out, "cwd=%s\nsession_leader=%d\n", cwd, getsid(0) == getpid() ? 1 : 0);
        for (int i = 0; i < argc; ++i) {
            std::fprintf(out, "arg=%s", argv[i]);
            std::fputc('\0', out);
        }
        std::fclose(out);
        std::rename(tmp.c_str(), record);  // the test waits for the whole record
    }
    if (std::getenv("FAKE_GAME_WINDOW") == nullptr) {
        return 0;
    }
    Display* d = XOpenDisplay(nullptr);
    if (d == nullptr) return 3;
    const Window w = XCreateSimpleWindow(d, DefaultRootWindow(d), 10, 10, 200, 150, 0, 0, 0);
    const unsigned long pid = static_cast<unsigned long>(getpid());
    XChangeProperty(d, w, XInternAtom(d, "_NET_WM_PID", False), XA_CARDINAL, 32, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(&pid), 1);
    XMapWindow(d, w);
    XFlush(d);
    pause();
    return 0;
}
