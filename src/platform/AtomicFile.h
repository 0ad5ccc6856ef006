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

// Writes a whole file so that no file under the final name is ever partial, even when
// the process is killed: the bytes go to a hidden temporary file in the target's
// folder, renamed into place only when complete. A target that existed when the
// writer opened is replaced; one that did not is never clobbered if it appears
// meanwhile. Temporary files left behind by a process that has gone are removed by
// the next writer in that folder.
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
    // Makes the file and its folder entry durable before the writer reports success.
    void SetDurable(bool durable) { m_durable = durable; }
    AtomicWriteResult Commit();
    // Removes the temporary file; the target is untouched.
    void Abandon();
    // The system's reason (an errno value) for the first failure; 0 when none.
    int LastError() const { return m_error; }

private:
    bool Flush();
    bool Fail(int error);
    bool MoveIntoPlace();

    std::filesystem::path m_target;
    std::string m_pending;
    std::filesystem::path m_temporary;
    int m_fd = -1;
    int m_error = 0;
    bool m_targetExisted = false;
    bool m_durable = false;
};

// Writes a whole file through CAtomicFileWriter. On failure errno holds the reason.
AtomicWriteResult WriteFileAtomically(const std::filesystem::path& target, std::string_view bytes);

// A hidden name in the target's folder that the writers recognise as theirs
// (".NAME.kiro-PID-N.tmp"), so that one left by a killed process is cleaned up later.
std::filesystem::path TemporaryPathFor(const std::filesystem::path& target);

// Removes, once per process and folder, the temporary files whose owner process has
// gone. Files of live processes and every other file are left alone.
void RemoveStaleTemporaries(const std::filesystem::path& folder);

// Renames a file to a name that must not exist yet; false (errno EEXIST) when it does.
bool RenameWithoutReplacing(const std::filesystem::path& from, const std::filesystem::path& to);

// Flushes a complete file to disk, with its folder entry; false (errno set) on failure.
bool SyncFileToDisk(const std::filesystem::path& path);

// True when the path names a file (not a folder) that can be opened for reading.
bool IsReadableFile(const std::filesystem::path& path);

}  // namespace kiro
