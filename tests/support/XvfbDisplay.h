#pragma once
// A private X display for tests: an Xvfb server started on a free display number (it picks the
// number itself and reports it), stopped with the object. Never the developer's display.

#include <string>

namespace testsupport {

class XvfbDisplay {
  public:
    // With endWithLastClient the server also ends by itself once its last client has gone, so
    // that a test process that dies leaves no server behind; for a display that outlives the
    // programs it shows, leave it off.
    explicit XvfbDisplay(const std::string& screen = "1600x1000x24",
                         bool endWithLastClient = false);
    ~XvfbDisplay();
    XvfbDisplay(const XvfbDisplay&) = delete;
    XvfbDisplay& operator=(const XvfbDisplay&) = delete;

    bool Running() const { return m_pid > 0; }
    // ":<n>", for DISPLAY.
    const std::string& Name() const { return m_name; }

  private:
    int m_pid = -1;
    std::string m_name;
};

}  // namespace testsupport
