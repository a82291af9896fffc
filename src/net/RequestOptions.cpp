#include "net/RequestOptions.h"

#include "app/BuildConstants.h"

std::string DefaultUserAgent() {
    return std::string(g_strGameName) + "-Launcher/" + std::string(g_strLauncherVersion) +
           " (Linux)";
}

const char* VerbText(int verb) {
    switch (verb) {
        case 1:
        case 2:
            return "POST";
        case 3:
            return "DELETE";
        default:
            return "GET";
    }
}
