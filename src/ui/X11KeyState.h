#pragma once
// Whether one of the filtered keys is down on the keyboard right now, asked from the X server
// (the keyboard as it is, not as the event queue has seen it). Without an X11 display, as in a
// Wayland session, it knows nothing and answers false.

#include "ui/KeyFilter.h"

bool IsKeyHeldOnKeyboard(ui::FilterKey key);
