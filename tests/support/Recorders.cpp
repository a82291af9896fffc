#include "support/Recorders.h"

namespace testsupport {

void RecordingReporter::LogEvent(int code) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_calls.push_back("event:" + std::to_string(code));
}

void RecordingReporter::Log(std::string_view message) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_calls.push_back("log:" + std::string(message));
}

std::vector<std::string> RecordingReporter::Calls() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_calls;
}

int ScriptedMessageBox::Show(std::string_view text, std::string_view caption,
                             platform::MessageIcon icon, platform::MessageButtons buttons) {
    m_shown.push_back({std::string(text), std::string(caption), icon, buttons});
    if (m_answers.empty()) {
        return platform::kIdOk;
    }
    const int answer = m_answers.front();
    m_answers.pop_front();
    return answer;
}

}  // namespace testsupport
