#include "update/ResumeRecord.h"

#include <cstdio>

#include "platform/AtomicFile.h"
#include "platform/StringUtil.h"

namespace {

// Finds `key` line by line. `lineLimit` is the reader's buffer including its terminator; a
// line that does not fit ends the search. 0 reads lines of any length.
std::string FindRecordValue(const std::filesystem::path& file, std::string_view key,
                            size_t lineLimit) {
    FILE* in = std::fopen(file.c_str(), "re");
    if (in == nullptr) {
        return {};
    }
    std::string result;
    std::string line;
    bool done = false;
    while (!done) {
        line.clear();
        int c = 0;
        bool tooLong = false;
        while ((c = std::fgetc(in)) != EOF) {
            line += static_cast<char>(c);
            if (c == '\n') {
                break;
            }
            if (lineLimit != 0 && line.size() >= lineLimit - 1) {
                // The buffer is full without a line end: fits only if the file ends here.
                const int next = std::fgetc(in);
                if (next != EOF) {
                    tooLong = true;
                }
                break;
            }
        }
        if (tooLong || line.empty()) {
            break;
        }
        if (c == EOF) {
            done = true;
        }
        if (!line.empty() && line.back() == '\n') {
            line.pop_back();
        }
        const size_t eq = line.find('=');
        const std::string_view name = std::string_view(line).substr(0, eq);
        if (name == key) {
            result = eq == std::string::npos ? line : line.substr(eq + 1);
            break;
        }
    }
    std::fclose(in);
    return result;
}

}  // namespace

std::filesystem::path ResumeRecordPath(const std::filesystem::path& installDir) {
    return installDir / "tempdownload.dat";
}

std::string ReadResumeValue(const std::filesystem::path& recordFile, std::string_view key) {
    return FindRecordValue(recordFile, key, 100);
}

std::string FormatResumeRecord(std::int64_t currentOffset, std::int64_t totalSize,
                               const ResumeSource& source) {
    std::string text =
        platform::Format("offset=%lld\ntotalSize=%lld\n", static_cast<long long>(currentOffset),
                         static_cast<long long>(totalSize));
    if (source.Known()) {
        text += "url=" + source.url + "\nversion=" + source.version + "\n";
    }
    return text;
}

ResumeRecord::ResumeRecord(std::filesystem::path file) : m_file(std::move(file)) {}

void ResumeRecord::Load() {
    const std::int64_t offset = platform::ParseDecimal64(ReadResumeValue(m_file, "offset"));
    const std::int64_t total = platform::ParseDecimal64(ReadResumeValue(m_file, "totalSize"));
    // The source lines may be longer than the old reader's buffer.
    ResumeSource source{FindRecordValue(m_file, "url", 0), FindRecordValue(m_file, "version", 0)};
    std::lock_guard<std::mutex> lock(m_mutex);
    m_state = ResumeState{offset, offset, total};
    m_source = std::move(source);
}

bool ResumeRecord::Save() const {
    // The lock is held through the write so that a save cannot overtake a retirement.
    std::lock_guard<std::mutex> lock(m_mutex);
    std::error_code error;
    return platform::WriteFileAtomically(
        m_file, FormatResumeRecord(m_state.currentOffset, m_state.totalSize, m_source), error);
}

ResumeState ResumeRecord::State() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_state;
}

ResumeSource ResumeRecord::RecordedSource() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_source;
}

void ResumeRecord::Begin(std::int64_t startOffset, std::int64_t totalSize, ResumeSource source) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_state = ResumeState{startOffset, startOffset, totalSize};
    m_source = std::move(source);
}

ResumeState ResumeRecord::Advance(std::int64_t received, std::int64_t announced) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_state.currentOffset = m_state.startOffset + received;
    m_state.totalSize = m_state.startOffset + announced;
    return m_state;
}

void ResumeRecord::Retire() {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_state = ResumeState{};
    m_source = ResumeSource{};
    std::error_code ignored;
    std::filesystem::remove(m_file, ignored);
}
