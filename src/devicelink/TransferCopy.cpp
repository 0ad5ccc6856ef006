#include "devicelink/TransferCopy.h"

#include <algorithm>
#include <cerrno>
#include <new>
#include <string_view>

#include "devicelink/DateAndSizeTexts.h"
#include "platform/AtomicFile.h"
#include "platform/FileCalls.h"
#include "platform/FileChecks.h"
#include "platform/rapi/BulkMemory.h"
#include "platform/rapi/RapiConstants.h"

namespace kiro {

using namespace rapi;

namespace {

// A progress bar's range is 16 bits wide.
constexpr std::uint64_t kMaxProgressRange = 65535;
// Chunks are read one after another into a block of this size, which goes to the
// writer whole: a block larger than the writer gathers is written without being
// copied again.
constexpr std::size_t kBlockBytes = 512 * 1024;

// Closes the device file on every path out.
class CDeviceFile {
public:
    CDeviceFile(IRemoteApi& api, const std::u16string& path)
        : m_api(api),
          m_handle(api.CeCreateFile(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                    FILE_ATTRIBUTE_NORMAL, nullptr)) {}
    ~CDeviceFile() {
        if (IsOpen()) {
            m_api.CeCloseHandle(m_handle);
        }
    }
    CDeviceFile(const CDeviceFile&) = delete;
    CDeviceFile& operator=(const CDeviceFile&) = delete;

    bool IsOpen() const { return m_handle != INVALID_HANDLE_VALUE && m_handle != nullptr; }
    HANDLE Handle() const { return m_handle; }
    bool Close() {
        const bool closed = m_api.CeCloseHandle(m_handle) != FALSE;
        m_handle = INVALID_HANDLE_VALUE;
        return closed;
    }

private:
    IRemoteApi& m_api;
    HANDLE m_handle;
};

// The block the chunks are read into: large enough for the whole file and its last
// short read, up to kBlockBytes (then bulk memory: large copies start with fresh
// pages); never smaller than one chunk.
class CChunkBlock {
public:
    CChunkBlock(std::uint32_t chunkSize, std::uint64_t fileSize) {
        const std::uint64_t wanted = std::max<std::uint64_t>(
            chunkSize, std::min<std::uint64_t>(kBlockBytes, fileSize + chunkSize));
        if (wanted == kBlockBytes) {
            m_bulk = rapi::CBulkMemory(kBlockBytes);
            m_data = m_bulk.Data();
        } else {
            m_plain.reset(new (std::nothrow) char[wanted]);
            m_data = m_plain.get();
        }
        m_size = m_data != nullptr ? static_cast<std::size_t>(wanted) : 0;
    }
    char* Data() const { return m_data; }
    std::size_t Size() const { return m_size; }

private:
    rapi::CBulkMemory m_bulk;
    std::unique_ptr<char[]> m_plain;
    char* m_data = nullptr;
    std::size_t m_size = 0;
};

}  // namespace

CTransferCopy::CTransferCopy(IRemoteApi& api, std::uint32_t chunkSize, IProgressBar* progress,
                             ExistingFileResolver resolver, TrashFunction trash)
    : m_api(api),
      m_chunkSize(chunkSize),
      m_progress(progress),
      m_resolver(std::move(resolver)),
      m_trash(std::move(trash)) {}

PcCopy CTransferCopy::Run(const std::u16string& devicePath, const std::string& pcPath) {
    m_pcError = 0;
    m_placement = CopyPlacement::New;
    m_placedPath = pcPath;
    m_committed.reset();
    m_replacedIntoTrash = 0;
    m_trashProblem.clear();
    CDeviceFile source(m_api, devicePath);
    if (!source.IsOpen()) {
        return DeviceFailure(CopyStatus::DeviceFileCannotBeOpened);
    }
    CAtomicFileWriter target(PathFromUtf8(pcPath));
    if (!target.Open()) {
        return PcFailure(target, CopyStatus::PcFileCannotBeCreated);
    }
    const DWORD size = m_api.CeGetFileSize(source.Handle(), nullptr);
    if (m_api.IsConnectionLost()) {
        return Ended(CopyStatus::ConnectionLost);
    }
    const CChunkBlock block(m_chunkSize, size);
    if (block.Data() == nullptr) {
        return Ended(CopyStatus::NoChunkBuffer);
    }
    StartProgress(size);
    const PcCopy arrived = CopyChunks(source.Handle(), target, block.Data(), block.Size());
    if (!arrived.Copied()) {
        return arrived;  // the writer removes its file
    }
    // Closed before the copy takes its name, so that a handheld lost at the very end
    // still keeps nothing.
    if (!source.Close() && m_api.IsConnectionLost()) {
        return Ended(CopyStatus::ConnectionLost);
    }
    return Commit(target, arrived.bytes);
}

PcCopy CTransferCopy::CopyChunks(HANDLE source, CAtomicFileWriter& target, char* block,
                                 std::size_t blockSize) {
    std::uint64_t total = 0;
    std::uint64_t chunks = 0;
    std::size_t gathered = 0;
    for (;;) {
        if (blockSize - gathered < m_chunkSize) {
            if (!target.Append(std::string_view(block, gathered))) {
                return PcFailure(target, CopyStatus::FailedPartWay);
            }
            gathered = 0;
        }
        DWORD read = 0;
        const BOOL readOk = m_api.CeReadFile(source, block + gathered, m_chunkSize, &read, nullptr);
        read = std::min(read, m_chunkSize);
        if (readOk != TRUE) {
            return DeviceFailure(CopyStatus::FailedPartWay);
        }
        gathered += read;
        total += read;
        ShowBlock(++chunks);
        if (read != m_chunkSize) {
            break;
        }
    }
    if (!target.Append(std::string_view(block, gathered))) {
        return PcFailure(target, CopyStatus::FailedPartWay);
    }
    return Ended(CopyStatus::Copied, total);
}

PcCopy CTransferCopy::Commit(CAtomicFileWriter& target, std::uint64_t total) {
    if (target.Complete() != AtomicWriteResult::Written) {
        return PcFailure(target, CopyStatus::FailedPartWay);
    }
    // A rename keeps the file's identity: this is the copy under whatever name it takes.
    m_committed = IdentityOf(target.TemporaryPath());
    if (target.PlaceWithoutReplacing()) {
        return Ended(CopyStatus::Copied, total);
    }
    // Another program may change the name's file while we compare or ask: then we look
    // again, a few times.
    for (int attempt = 0; attempt < 3 && errno == EEXIST; ++attempt) {
        if (PlaceBesideExisting(target, total)) {
            return m_placement == CopyPlacement::Skipped ? Ended(CopyStatus::KeptExistingFile)
                                                         : Ended(CopyStatus::Copied, total);
        }
    }
    target.Abandon();
    return PcFailure(target, CopyStatus::PcFileCannotBeCreated);
}

bool CTransferCopy::PlaceBesideExisting(CAtomicFileWriter& target, std::uint64_t total) {
    FileIdentity existing;
    if (SameContents(target.TemporaryPath(), PathFromUtf8(m_placedPath), &existing)) {
        m_placement = CopyPlacement::Identical;
        return target.PlaceReplacing(existing);
    }
    ExistingFileQuestion question;
    question.path = m_placedPath;
    question.existingSize = static_cast<std::uint64_t>(existing.size);
    question.existingDate = FormatPcFileDate(existing.modifiedNs / 1000000000);
    question.newSize = total;
    const ExistingFileChoice choice =
        m_resolver ? m_resolver(question) : ExistingFileChoice::Replace;
    switch (choice) {
        case ExistingFileChoice::Skip:
            m_placement = CopyPlacement::Skipped;
            target.Abandon();
            return true;
        case ExistingFileChoice::KeepBoth:
            m_placement = CopyPlacement::KeptBoth;
            return PlaceUnderFreeOrSameName(target);
        default:
            m_placement = CopyPlacement::Replaced;
            return ReplaceThroughTrash(target, existing);
    }
}

bool CTransferCopy::PlaceUnderFreeOrSameName(CAtomicFileWriter& target) {
    const std::filesystem::path plain = PathFromUtf8(m_placedPath);
    // A run repeated finds its earlier copy under a numbered name: that counts as done.
    for (int number = 2; number < 10000; ++number) {
        const std::filesystem::path numbered = NumberedName(plain, number);
        FileIdentity found;
        if (SameContents(target.TemporaryPath(), numbered, &found)) {
            m_placedPath = Utf8FromPath(numbered);
            m_committed = found;
            target.Abandon();
            return true;
        }
        if (!IdentityOf(numbered)) {
            break;  // the first free number: no later one is looked at
        }
    }
    const auto kept = target.PlaceUnderFreeName();
    if (kept) {
        m_placedPath = Utf8FromPath(*kept);
    }
    return kept.has_value();
}

bool CTransferCopy::ReplaceThroughTrash(CAtomicFileWriter& target, const FileIdentity& existing) {
    const std::filesystem::path placed = PathFromUtf8(m_placedPath);
    const std::optional<FileIdentity> now = IdentityOf(placed);
    if (!now) {
        return target.PlaceWithoutReplacing();  // it has gone by itself
    }
    if (*now != existing) {
        errno = EEXIST;  // another file took the name: it is compared afresh
        return false;
    }
    if (!now->regular) {
        errno = now->folder ? EISDIR : EEXIST;  // only a file is ever replaced
        return false;
    }
    // Should another program put a file there between that look and the trash, the trash
    // takes that one: it is not lost either, and the copy then never replaces a file.
    const TrashOutcome trashed = m_trash(placed);
    if (!trashed.trashed) {
        m_placement = CopyPlacement::Skipped;
        m_trashProblem = trashed.reason;
        target.Abandon();
        return true;
    }
    ++m_replacedIntoTrash;
    // If the copy cannot take the name now, the old file is in the trash and the handheld
    // keeps its own: both are still there.
    return target.PlaceWithoutReplacing();
}

PcCopy CTransferCopy::DeviceFailure(CopyStatus status) {
    return Ended(m_api.IsConnectionLost() ? CopyStatus::ConnectionLost : status);
}

PcCopy CTransferCopy::PcFailure(const CAtomicFileWriter& target, CopyStatus status) {
    m_pcError = target.LastError();
    return Ended(status);
}

PcCopy CTransferCopy::Ended(CopyStatus status, std::uint64_t bytes) const {
    PcCopy copy;
    copy.status = status;
    copy.bytes = bytes;
    copy.placement = m_placement;
    copy.pcPath = m_placedPath;
    copy.systemError = m_pcError;
    copy.replacedIntoTrash = m_replacedIntoTrash;
    copy.trashProblem = m_trashProblem;
    if (status == CopyStatus::Copied) {
        copy.committed = m_committed;
    }
    return copy;
}

void CTransferCopy::StartProgress(std::uint32_t size) {
    // In 64 bits: a 4 GiB size read in one-byte chunks would wrap to no blocks at all.
    m_blocks = std::uint64_t{size} / m_chunkSize + 1;
    if (m_progress != nullptr) {
        m_progress->SetRange(0, static_cast<int>(std::min(m_blocks, kMaxProgressRange)));
    }
}

void CTransferCopy::ShowBlock(std::uint64_t block) {
    if (m_progress == nullptr) {
        return;
    }
    // Past 65535 blocks the bar is scaled, so that it still runs from start to end.
    std::uint64_t position = std::min(block, m_blocks);
    if (m_blocks > kMaxProgressRange) {
        position = position * kMaxProgressRange / m_blocks;
    }
    m_progress->SetPos(static_cast<int>(position));
    m_progress->Repaint();
}

}  // namespace kiro
