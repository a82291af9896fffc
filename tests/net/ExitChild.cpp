// A launcher process in miniature: it sends one report to the URL it is given through a
// process-wide logger and exits at once, as the launcher does after starting the game.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "net/WebLogger.h"
#include "platform/NoDestructor.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        return 2;
    }
    static platform::NoDestructor<WebLogger> logger{std::string(argv[1]), std::string(argv[1])};
    logger->ShutdownAtExit();
    logger->LogEvent(9);
    std::fputs("exiting\n", stdout);
    std::fflush(stdout);
    std::exit(0);
}
