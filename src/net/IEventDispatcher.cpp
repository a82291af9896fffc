#include "net/IEventDispatcher.h"

#include "platform/NoDestructor.h"

namespace {

class CImmediateDispatcher final : public IEventDispatcher {
  public:
    void Post(std::function<void()> task) override { task(); }
};

}  // namespace

IEventDispatcher& ImmediateDispatcher() {
    // Kept alive past exit(): the process-wide logger's worker may still use it then.
    static platform::NoDestructor<CImmediateDispatcher> dispatcher;
    return *dispatcher;
}
