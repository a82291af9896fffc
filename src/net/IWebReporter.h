#pragma once
// What the rest of the launcher needs of the web event logger: fire-and-forget reports of
// events (by code) and messages. WebLogger implements it; tests record the calls.

#include <string_view>

class IWebReporter {
  public:
    virtual ~IWebReporter() = default;
    // Event codes: 1 create, 2 download start, 3 unzip start, 6 unzip done, 9 game start.
    virtual void LogEvent(int code) = 0;
    virtual void Log(std::string_view message) = 0;
};
