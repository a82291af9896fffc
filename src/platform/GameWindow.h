#pragma once

#include <sys/types.h>

namespace platform {

// Asks the window manager to maximise the first top-level window that belongs to process `pid`
// (by its _NET_WM_PID). Returns whether such a window was found; does nothing without a display.
bool MaximiseFirstWindowOfProcess(pid_t pid);

}  // namespace platform
