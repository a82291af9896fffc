#include "ui/X11KeyState.h"

// Kept apart from every wx header: Xlib's macros clash with the toolkit's names.
#include <X11/Xlib.h>
#include <X11/keysym.h>
#include <gdk/gdk.h>
#include <gdk/gdkx.h>

bool IsKeyHeldOnKeyboard(ui::FilterKey key) {
    KeySym sym = NoSymbol;
    switch (key) {
        case ui::FilterKey::F5:
            sym = XK_F5;
            break;
        case ui::FilterKey::O:
            sym = XK_o;
            break;
        case ui::FilterKey::P:
            sym = XK_p;
            break;
        case ui::FilterKey::N:
            sym = XK_n;
            break;
        case ui::FilterKey::Other:
            return false;
    }
    GdkDisplay* gdk = gdk_display_get_default();
    if (gdk == nullptr || !GDK_IS_X11_DISPLAY(gdk))
        return false;
    Display* display = gdk_x11_display_get_xdisplay(gdk);
    const KeyCode code = XKeysymToKeycode(display, sym);
    if (code == 0)
        return false;
    char keys[32] = {};
    XQueryKeymap(display, keys);
    return (keys[code / 8] & (1 << (code % 8))) != 0;
}
