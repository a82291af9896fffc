#pragma once
// Test doubles for the seams that several layers share.

#include <deque>
#include <mutex>
#include <string>
#include <vector>

#include "net/IWebReporter.h"
#include "platform/MessageBox.h"

namespace testsupport {

// Records reports as "event:<code>" and "log:<message>", in order, from any thread.
class RecordingReporter : public IWebReporter {
  public:
    void LogEvent(int code) override;
    void Log(std::string_view message) override;
    std::vector<std::string> Calls() const;

  private:
    mutable std::mutex m_mutex;
    std::vector<std::string> m_calls;
};

// Answers message boxes from a queue of results (kIdOk when the queue is empty) and records
// what was shown.
class ScriptedMessageBox : public platform::IMessageBox {
  public:
    struct Shown {
        std::string text;
        std::string caption;
        platform::MessageIcon icon;
        platform::MessageButtons buttons;
    };
    void Answer(int result) { m_answers.push_back(result); }
    int Show(std::string_view text, std::string_view caption, platform::MessageIcon icon,
             platform::MessageButtons buttons) override;
    const std::vector<Shown>& ShownBoxes() const { return m_shown; }

  private:
    std::deque<int> m_answers;
    std::vector<Shown> m_shown;
};

}  // namespace testsupport
