// The launcher's entry point. The toolkit removes its own options from argv, so the launcher's
// arguments are kept as they were given first: the game receives them unchanged.
#include <string>
#include <vector>

#include "app/shell/CLauncherApp.h"

int main(int argc, char** argv) {
    std::vector<std::string> arguments(argv, argv + argc);
    wxApp::SetInstance(new CLauncherApp(std::move(arguments)));  // wx owns the application
    return wxEntry(argc, argv);
}
