#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "platform/FileCalls.h"

namespace kiro {

enum class AtomicWriteResult {
    Written,
    CannotCreate,  // the temporary file could not be made, or the target cannot be replaced
    WriteFailed,   // the bytes did not all reach the disk; nothing was changed
};

// Writes a whole file so that no file under the final name is ever partial, even when
// the process is killed: the bytes go to a hidden temporary file in the target's
// folder, renamed into place only when complete. A target that existed when the
// writer opened is replaced, but only while it is still that file; one that did not is
// never clobbered if it appears meanwhile. Temporary files left behind by a process
// that has gone are removed by the next writer in that folder.
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
    // Finishes the file and moves it into place as the class comment says.
    AtomicWriteResult Commit();

    // Or in two steps, for a caller that decides itself what happens to an existing
    // file. Complete() writes out and closes the temporary file (WriteFailed or
    // Written); then one of the Place... calls names it.
    AtomicWriteResult Complete();
    const std::filesystem::path& TemporaryPath() const { return m_temporary; }
    // False with errno EEXIST when the name is taken.
    bool PlaceWithoutReplacing();
    // False with errno EEXIST when the name no longer stands for `expected`.
    bool PlaceReplacing(const FileIdentity& expected);
    // Takes the first free name "NAME (2).EXT", "NAME (3).EXT", ...; the name taken, or
    // none (errno set).
    std::optional<std::filesystem::path> PlaceUnderFreeName();

    // Removes the temporary file; the target is untouched.
    void Abandon();
    // The system's reason (an errno value) for the first failure; 0 when none.
    int LastError() const { return m_error; }

private:
    bool Flush();
    bool Fail(int error);
    bool Placed(bool moved);

    std::filesystem::path m_target;
    std::string m_pending;
    std::filesystem::path m_temporary;
    int m_fd = -1;
    int m_error = 0;
    std::optional<FileIdentity> m_targetAtOpen;
    bool m_completed = false;
};

// Writes a whole file through CAtomicFileWriter. On failure errno holds the reason.
AtomicWriteResult WriteFileAtomically(const std::filesystem::path& target, std::string_view bytes);

// A hidden name in the target's folder that the writers recognise as theirs
// (".NAME.kiro-PID-N.tmp"), so that one left by a killed process is cleaned up later.
std::filesystem::path TemporaryPathFor(const std::filesystem::path& target);

// Removes, once per process and folder, the temporary files whose owner process has
// gone. Files of live processes and every other file are left alone.
void RemoveStaleTemporaries(const std::filesystem::path& folder);

// Renames `from` over `to`, but only while `to` is still the file `expected` describes;
// false (errno EEXIST) when another file has taken its place, which is then left alone.
// A name that has gone meanwhile is simply taken.
bool RenameReplacingOnly(const std::filesystem::path& from, const std::filesystem::path& to,
                         const FileIdentity& expected);

// Flushes a complete file to disk, with its folder entry; false (errno set) on failure.
bool SyncFileToDisk(const std::filesystem::path& path);

}  // namespace kiro
