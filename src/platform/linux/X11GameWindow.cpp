#include <X11/Xatom.h>
#include <X11/Xlib.h>

#include <memory>
#include <vector>

#include "platform/GameWindow.h"

namespace platform {

namespace {

struct DisplayCloser {
    void operator()(Display* d) const { XCloseDisplay(d); }
};
struct XFreeDeleter {
    void operator()(void* p) const { XFree(p); }
};

// The value of a CARDINAL/WINDOW list property, or empty.
std::vector<unsigned long> ListProperty(Display* d, Window w, Atom property, Atom type) {
    Atom actualType = None;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* raw = nullptr;
    std::vector<unsigned long> values;
    if (XGetWindowProperty(d, w, property, 0, 1024, False, type, &actualType, &format, &count,
                           &after, &raw) == Success &&
        raw != nullptr) {
        std::unique_ptr<unsigned char, XFreeDeleter> guard(raw);
        if (actualType == type && format == 32) {
            const auto* items = reinterpret_cast<const unsigned long*>(raw);
            values.assign(items, items + count);
        }
    }
    return values;
}

bool BelongsTo(Display* d, Window w, Atom wmPid, pid_t pid) {
    const auto value = ListProperty(d, w, wmPid, XA_CARDINAL);
    return !value.empty() && static_cast<pid_t>(value[0]) == pid;
}

// Managed client windows in stacking order from the window manager; without one, the root's
// children and, under a reparenting manager's frames, their children.
std::vector<Window> CandidateWindows(Display* d, Window root) {
    std::vector<Window> windows;
    for (unsigned long w :
         ListProperty(d, root, XInternAtom(d, "_NET_CLIENT_LIST", False), XA_WINDOW)) {
        windows.push_back(static_cast<Window>(w));
    }
    if (!windows.empty()) {
        return windows;
    }
    Window rootOut = 0, parent = 0;
    Window* children = nullptr;
    unsigned count = 0;
    if (XQueryTree(d, root, &rootOut, &parent, &children, &count) && children != nullptr) {
        for (unsigned i = 0; i < count; ++i) {
            windows.push_back(children[i]);
        }
        XFree(children);
    }
    return windows;
}

}  // namespace

bool MaximiseFirstWindowOfProcess(pid_t pid) {
    std::unique_ptr<Display, DisplayCloser> display(XOpenDisplay(nullptr));
    if (!display) {
        return false;
    }
    Display* d = display.get();
    const Window root = DefaultRootWindow(d);
    const Atom wmPid = XInternAtom(d, "_NET_WM_PID", False);
    Window found = 0;
    for (Window w : CandidateWindows(d, root)) {
        if (BelongsTo(d, w, wmPid, pid)) {
            found = w;
            break;
        }
    }
    if (found == 0) {
        return false;
    }
    const Atom state = XInternAtom(d, "_NET_WM_STATE", False);
    const Atom vert = XInternAtom(d, "_NET_WM_STATE_MAXIMIZED_VERT", False);
    const Atom horz = XInternAtom(d, "_NET_WM_STATE_MAXIMIZED_HORZ", False);
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = found;
    event.xclient.message_type = state;
    event.xclient.format = 32;
    event.xclient.data.l[0] = 1;  // _NET_WM_STATE_ADD
    event.xclient.data.l[1] = static_cast<long>(vert);
    event.xclient.data.l[2] = static_cast<long>(horz);
    event.xclient.data.l[3] = 1;  // from a normal application
    XSendEvent(d, root, False, SubstructureRedirectMask | SubstructureNotifyMask, &event);
    XFlush(d);
    return true;
}

}  // namespace platform
