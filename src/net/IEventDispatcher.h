#pragma once
// Where the request manager delivers its callbacks: the owner's thread. The program's
// implementation posts onto the UI event loop; tests pump a plain loop of their own.

#include <functional>

class IEventDispatcher {
  public:
    virtual ~IEventDispatcher() = default;
    // Queues `task` to run later on the owner's thread, in posting order. Called from the
    // manager's worker thread; must not wait for the owner.
    virtual void Post(std::function<void()> task) = 0;
};

// For owners that run no event loop (the uninstall command, a process about to exit): runs
// each task at once on the posting thread, so callbacks come on the manager's worker.
IEventDispatcher& ImmediateDispatcher();
