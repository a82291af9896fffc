#pragma once
// The local log: one plain text file per run, INFO and ERROR lines tagged with the caller's
// qualified function name and source line. Any thread may log; each line is one write.

#include <cstdio>
#include <filesystem>
#include <mutex>
#include <string>
#include <string_view>

class CLocalLog {
  public:
    // The process-wide log at DefaultPath(). The file is opened (and emptied) by the first
    // line of the run, not before, so a process that is told to keep out of it never touches it.
    static CLocalLog& Instance();

    // ${XDG_STATE_HOME:-$HOME/.local/state}/<application name>.log
    static std::filesystem::path DefaultPath();

    // "Mmm dd yyyy hh:mm:ss" of the build; the same in every line of every run of one build.
    static const std::string& BuildStamp();

    explicit CLocalLog(std::filesystem::path path);
    CLocalLog(const CLocalLog&) = delete;
    CLocalLog& operator=(const CLocalLog&) = delete;
    ~CLocalLog();

    void Info(std::string_view message, const char* function, const char* file, int line);
    void Error(std::string_view message, const char* function, const char* file, int line);

    // Flushes and closes the file; every later line of this process is dropped.
    void Close();
    // Keeps this process out of the file for good: used by a start that another running
    // launcher refuses, so that the running launcher's log is neither emptied nor mixed.
    void KeepOut();
    void Flush();

    const std::filesystem::path& Path() const { return m_path; }

    FILE* m_pFile = nullptr;

  private:
    void Write(const char* level, std::string_view message, const char* function, int line);

    std::filesystem::path m_path;
    std::mutex m_mutex;
    bool m_opened = false;  // the one open attempt of the run has been made
};

// The line number is the source line of the logging call.
#define LOG_INFO(function, message) \
    CLocalLog::Instance().Info((message), (function), __FILE__, __LINE__)
#define LOG_ERROR(function, message) \
    CLocalLog::Instance().Error((message), (function), __FILE__, __LINE__)
