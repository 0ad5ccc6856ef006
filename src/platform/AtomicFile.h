#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace kiro {

enum class AtomicWriteResult {
    Written,
    CannotCreate,  // the temporary file could not be made, or the target cannot be replaced
    WriteFailed,   // the bytes did not all reach the disk; nothing was changed
};

// Writes a whole file so that a failure never leaves a partial file and never
// destroys an existing one. A file that exists is replaced through a temporary file
// beside it, renamed over it once every byte is written; a new file is written under
// its own name and removed again if anything fails.
class CAtomicFileWriter {
public:
    explicit CAtomicFileWriter(std::filesystem::path target);
    ~CAtomicFileWriter();
    CAtomicFileWriter(const CAtomicFileWriter&) = delete;
    CAtomicFileWriter& operator=(const CAtomicFileWriter&) = delete;

    // Creates the temporary file; false when it cannot be created.
    bool Open();
    // Appends bytes (gathered in memory and written in large blocks); false once any
    // write has failed.
    bool Append(std::string_view bytes);
    AtomicWriteResult Commit();
    // Removes the temporary file; the target is untouched.
    void Abandon();

private:
    bool Flush();

    std::filesystem::path m_target;
    std::string m_pending;
    std::filesystem::path m_temporary;
    int m_fd = -1;
    bool m_failed = false;
    bool m_inPlace = false;  // no file of that name existed: written under its own name
};

AtomicWriteResult WriteFileAtomically(const std::filesystem::path& target, std::string_view bytes);

// True when the path names a file (not a folder) that can be opened for reading.
bool IsReadableFile(const std::filesystem::path& path);

}  // namespace kiro
