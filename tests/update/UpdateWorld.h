#pragma once
// A private world for the update chain's tests: a temporary home with an install and a client
// directory, a fake launcher executable, and recorders for the view and the web reports.

#include <filesystem>
#include <memory>
#include <string>

#include "RecordingView.h"
#include "support/Recorders.h"
#include "support/TempHome.h"
#include "update/CGameRemoteConfig.h"

namespace testsupport {

class UpdateWorld {
  public:
    UpdateWorld();

    // The context of a launcher at Root()/games/Brannoc with short transfer limits.
    UpdateContext Context(const std::string& configUrl = "http://127.0.0.1:9/none");
    std::unique_ptr<CGameRemoteConfig> NewConfig(const std::string& configUrl = "");

    const std::filesystem::path& Root() const { return home.Root(); }
    std::filesystem::path Package() const { return installDir / "vorn.zip"; }
    std::filesystem::path Record() const { return installDir / "tempdownload.dat"; }

    TempHome home;
    RecordingReporter reporter;
    RecordingView view;
    std::filesystem::path installDir;
    std::filesystem::path clientDir;
    std::filesystem::path launcher;  // the running launcher's stand-in
};

// Runs a Python 3 program (for zipfile archives) in `workDir`; true when it exited with 0.
bool RunPython(const std::string& code, const std::filesystem::path& workDir);

// The files below `root` with their contents, as "relative path=content" lines in order.
std::string DescribeTree(const std::filesystem::path& root);

}  // namespace testsupport
