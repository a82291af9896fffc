#include "app/CLocalLog.h"

#include "platform/NoDestructor.h"
#include "platform/SelfPath.h"
#include "platform/UserLocations.h"

namespace {

// Every "\n" reaches the disk as CR LF, message line breaks included.
void AppendWithCrLf(std::string& out, std::string_view text) {
    for (const char c : text) {
        if (c == '\n') {
            out += '\r';
        }
        out += c;
    }
}

}  // namespace

CLocalLog& CLocalLog::Instance() {
    // Never destroyed: threads may still log while statics are torn down at exit, and exit()
    // flushes the stream itself.
    static platform::NoDestructor<CLocalLog> instance{DefaultPath()};
    return *instance;
}

std::filesystem::path CLocalLog::DefaultPath() {
    return platform::CurrentUserLocations().stateHome / (platform::ApplicationName() + ".log");
}

const std::string& CLocalLog::BuildStamp() {
    static const std::string stamp = std::string(__DATE__) + " " + __TIME__;
    return stamp;
}

CLocalLog::CLocalLog(std::filesystem::path path) : m_path(std::move(path)) {}

CLocalLog::~CLocalLog() {
    Close();
}

void CLocalLog::Info(std::string_view message, const char* function, const char* /*file*/,
                     int line) {
    Write("INFO", message, function, line);
}

void CLocalLog::Error(std::string_view message, const char* function, const char* /*file*/,
                      int line) {
    Write("ERROR", message, function, line);
}

void CLocalLog::Write(const char* level, std::string_view message, const char* function, int line) {
    std::string text;
    text.reserve(message.size() + 96);
    text += '[';
    text += BuildStamp();
    text += "][";
    text += level;
    text += "][";
    text += function != nullptr ? function : "";
    text += "::";
    text += std::to_string(line);
    text += ']';
    if (level[0] == 'I') {
        text += ' ';
        AppendWithCrLf(text, message);
    } else {
        text += '[';
        AppendWithCrLf(text, message);
        text += ']';
    }
    text += "\r\n";

    std::lock_guard<std::mutex> lock(m_mutex);
    if (!m_opened) {
        m_opened = true;
        std::error_code ignored;
        std::filesystem::create_directories(m_path.parent_path(), ignored);
        m_pFile = std::fopen(m_path.c_str(), "w+e");
    }
    if (m_pFile != nullptr) {
        std::fwrite(text.data(), 1, text.size(), m_pFile);
    }
}

void CLocalLog::Close() {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_opened = true;
    if (m_pFile != nullptr) {
        std::fflush(m_pFile);
        std::fclose(m_pFile);
        m_pFile = nullptr;
    }
}

void CLocalLog::KeepOut() {
    std::lock_guard<std::mutex> lock(m_mutex);
    if (!m_opened) {
        m_opened = true;
    }
}

void CLocalLog::Flush() {
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_pFile != nullptr) {
        std::fflush(m_pFile);
    }
}
