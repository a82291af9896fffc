// A launcher started with "/uninstall", without windows: the start-up answers the confirmation
// with its first argument ("yes" or "no") and reads the process table under its second. It
// prints what it showed, what it reported and which processes it started, then waits until
// its standard input is closed, so that the test decides when the launcher's process ends.
#include <unistd.h>

#include <cstdio>
#include <string>

#include "app/CWebApp.h"
#include "support/Programs.h"
#include "support/Recorders.h"

namespace {

class NoWindows : public IApplicationShell {
  public:
    void RunUpdateWindow(CWebApp&) override { std::puts("window"); }
};

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        return 2;
    }
    testsupport::RecordingReporter reporter;
    testsupport::ScriptedMessageBox boxes;
    boxes.Answer(std::string(argv[1]) == "yes" ? platform::kIdYes : platform::kIdNo);
    NoWindows shell;
    std::string command = "/uninstall";
    char* launcherArgv[] = {argv[0], command.data()};
    WebAppServices services = WebAppServices::ForProcess(2, launcherArgv, reporter, boxes, shell);
    services.procRoot = argv[2];
    services.crashReports = false;
    CWebApp app(std::move(services));

    const StartupDecision decision = app.Run();
    std::printf("decision:%d\n", static_cast<int>(decision));
    for (const auto& box : boxes.ShownBoxes()) {
        std::printf("box:%s|%s|%d|%d\n", box.text.c_str(), box.caption.c_str(),
                    static_cast<int>(box.icon), static_cast<int>(box.buttons));
    }
    for (const auto& call : reporter.Calls()) {
        std::printf("report:%s\n", call.c_str());
    }
    for (const pid_t child : testsupport::ChildProcessesOf(getpid())) {
        std::printf("started:%d\n", static_cast<int>(child));
    }
    std::puts("paused");
    std::fflush(stdout);
    char byte;
    while (read(STDIN_FILENO, &byte, 1) > 0) {
    }
    return 0;
}
