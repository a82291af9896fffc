// The demo game of the bundled management server: a window that shows how it was started.
// It also writes that down (for tests and for the curious): into $DEMO_GAME_RECORD, or
// launch-record.txt in its working folder. Without a display it only writes the record.
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <unistd.h>

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

// cwd, whether this process leads its own session, then one "arg=" entry per argument,
// each ended by a NUL byte so that arguments with line breaks stay whole.
std::string Record(int argc, char** argv, const std::string& cwd) {
    std::string out =
        "cwd=" + cwd + "\nsession_leader=" + (getsid(0) == getpid() ? "1" : "0") + "\n";
    for (int i = 0; i < argc; ++i) {
        out += "arg=";
        out += argv[i];
        out += '\0';
    }
    return out;
}

void WriteRecord(const std::string& path, const std::string& text) {
    const std::string temp = path + ".tmp";
    FILE* out = std::fopen(temp.c_str(), "wb");
    if (out == nullptr)
        return;
    std::fwrite(text.data(), 1, text.size(), out);
    std::fclose(out);
    std::rename(temp.c_str(), path.c_str());  // readers see the whole record or none
}

void Draw(Display* d, Window w, GC gc, XFontSet fonts, const std::vector<std::string>& lines) {
    XWindowAttributes attr;
    XGetWindowAttributes(d, w, &attr);
    XSetForeground(d, gc, 0x14202e);
    XFillRectangle(d, w, gc, 0, 0, static_cast<unsigned>(attr.width),
                   static_cast<unsigned>(attr.height));
    XSetForeground(d, gc, 0xe8b64a);
    XFillRectangle(d, w, gc, 0, 0, static_cast<unsigned>(attr.width), 6);
    int y = 48;
    for (size_t i = 0; i < lines.size(); ++i) {
        XSetForeground(d, gc, i == 0 ? 0xe8b64a : 0xdde6f0);
        if (fonts != nullptr) {
            Xutf8DrawString(d, w, fonts, gc, 32, y, lines[i].c_str(),
                            static_cast<int>(lines[i].size()));
        } else {
            XDrawString(d, w, gc, 32, y, lines[i].c_str(), static_cast<int>(lines[i].size()));
        }
        y += i == 0 ? 40 : 24;
    }
}

}  // namespace

int main(int argc, char** argv) {
    char cwdBuffer[PATH_MAX] = {};
    const std::string cwd = getcwd(cwdBuffer, sizeof cwdBuffer) != nullptr ? cwdBuffer : "";
    const char* recordPath = std::getenv("DEMO_GAME_RECORD");
    WriteRecord(recordPath != nullptr ? recordPath : "launch-record.txt", Record(argc, argv, cwd));

    Display* d = XOpenDisplay(nullptr);
    if (d == nullptr) {
        return 0;
    }
    std::vector<std::string> lines = {"Brannoc - demo game", "", "started in: " + cwd, "",
                                      "arguments:"};
    for (int i = 0; i < argc; ++i) {
        lines.push_back("  [" + std::to_string(i) + "] " + argv[i]);
    }
    const int screen = DefaultScreen(d);
    const Window w =
        XCreateSimpleWindow(d, RootWindow(d, screen), 40, 40, 900, 480, 0, 0, 0x14202e);
    XStoreName(d, w, "Brannoc (demo)");
    XTextProperty name;
    char title[] = "Brannoc (demo)";
    char* titles[] = {title};
    if (Xutf8TextListToTextProperty(d, titles, 1, XUTF8StringStyle, &name) == Success) {
        XSetWMName(d, w, &name);
        XFree(name.value);
    }
    const unsigned long pid = static_cast<unsigned long>(getpid());
    XChangeProperty(d, w, XInternAtom(d, "_NET_WM_PID", False), XA_CARDINAL, 32, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(&pid), 1);
    Atom deleteWindow = XInternAtom(d, "WM_DELETE_WINDOW", False);
    XSetWMProtocols(d, w, &deleteWindow, 1);
    XSelectInput(d, w, ExposureMask | StructureNotifyMask);

    char** missing = nullptr;
    int missingCount = 0;
    char* defaultText = nullptr;
    XFontSet fonts = XCreateFontSet(d, "-*-*-medium-r-normal--18-*-*-*-*-*-*-*,fixed", &missing,
                                    &missingCount, &defaultText);
    if (missing != nullptr)
        XFreeStringList(missing);
    GC gc = XCreateGC(d, w, 0, nullptr);
    XMapWindow(d, w);
    while (true) {
        XEvent event;
        XNextEvent(d, &event);
        if (event.type == Expose && event.xexpose.count == 0) {
            Draw(d, w, gc, fonts, lines);
        } else if (event.type == ConfigureNotify) {
            Draw(d, w, gc, fonts, lines);
        } else if (event.type == ClientMessage &&
                   static_cast<Atom>(event.xclient.data.l[0]) == deleteWindow) {
            break;
        }
    }
    if (fonts != nullptr)
        XFreeFontSet(d, fonts);
    XFreeGC(d, gc);
    XDestroyWindow(d, w);
    XCloseDisplay(d);
    return 0;
}
