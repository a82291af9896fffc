#pragma once
// The download's resume state and its record file, tempdownload.dat in the install directory.
//
// The record holds two lines, "offset=<n>" and "totalSize=<n>", each ended by one line feed,
// followed by "url=" and "version=" lines that say which package the offsets belong to. Readers
// that know only the first two lines still find them, since they come first and readers stop at
// the first line that is too long for them.

#include <cstdint>
#include <filesystem>
#include <mutex>
#include <string>
#include <string_view>

struct ResumeState {
    std::int64_t startOffset = 0;    // where this run's transfer resumes
    std::int64_t currentOffset = 0;  // bytes of the package held so far
    std::int64_t totalSize = 0;      // the package's full size, once known
};

// Which package a resume state belongs to: the download address and the offered version.
struct ResumeSource {
    std::string url;
    std::string version;

    bool Known() const { return !url.empty(); }
    friend bool operator==(const ResumeSource&, const ResumeSource&) = default;
};

// <install dir>/tempdownload.dat
std::filesystem::path ResumeRecordPath(const std::filesystem::path& installDir);

// The value of `key` in the record: read line by line into a 100-character buffer, so a line
// of 100 characters or more (line feed included) ends the reading; each line is split at its
// first '=', and a line without one is its own key and value. Empty when not found.
std::string ReadResumeValue(const std::filesystem::path& recordFile, std::string_view key);

// The record's text for the given pair and source.
std::string FormatResumeRecord(std::int64_t currentOffset, std::int64_t totalSize,
                               const ResumeSource& source);

// The process-wide resume state. The download thread moves it forward while the window's
// thread may save it at any moment, so every access goes through one lock, and a save writes
// the pair (and its source) as one consistent snapshot.
class ResumeRecord {
  public:
    explicit ResumeRecord(std::filesystem::path file);

    // Loads offset and totalSize (start and current offset both get the recorded offset) and
    // the recorded source; a missing file or key gives 0 and an unknown source.
    void Load();
    // Replaces the record file atomically; false when it could not be written.
    bool Save() const;

    ResumeState State() const;
    ResumeSource RecordedSource() const;

    // A transfer (re)starts at `startOffset` of the package from `source`.
    void Begin(std::int64_t startOffset, std::int64_t totalSize, ResumeSource source);
    // Progress of the running transfer; returns the new state.
    ResumeState Advance(std::int64_t received, std::int64_t announced);
    // The package is installed: the record is removed and the state zeroed, so that no later
    // save can bring the finished download back.
    void Retire();

    const std::filesystem::path& File() const { return m_file; }

  private:
    const std::filesystem::path m_file;
    mutable std::mutex m_mutex;
    ResumeState m_state;
    ResumeSource m_source;
};
