#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "devicelink/CopyStatus.h"
#include "devicelink/ExistingPcFile.h"
#include "devicelink/FileKinds.h"
#include "platform/Trash.h"
#include "seams/DeviceControls.h"
#include "seams/MessageBox.h"
#include "seams/RemoteApi.h"

namespace kiro {

// Connect's result codes; inside the engine an attempt ends in a ConnectOutcome.
enum ConnectResult : int {
    kConnectOk = 0,
    kConnectAlreadyInitialised = -1,
    kConnectGeneralFailure = -2,
    kConnectTimeout = -3,
};

// How an attempt to connect ended.
enum class ConnectOutcome { Connected, AlreadyInitialised, GeneralFailure, TimedOut };

// TransferFile's result codes besides a byte count; inside the engine a copy ends in a
// PcCopy.
enum TransferResult : int {
    kTransferDeviceFileCannotBeOpened = -1,
    kTransferPcFileCannotBeCreated = -2,
    kTransferDevicePathMissing = -3,  // also: the device path would exceed 259 characters
    kTransferPcPathMissing = -4,      // also: the PC path would exceed 259 characters
    kTransferFailedPartWay = -5,      // the copy failed part-way; nothing was kept
    kTransferUnsafeFileName = -6,     // the name would not stay inside its folder
    kTransferNoChunkBuffer = -7,
    kTransferConnectionLost = -8,    // the handheld was lost before or during the copy
    kTransferKeptExistingFile = -9,  // a different PC file had the name and was kept
};

// The transfer job's chunk: the file progress bar moves once per chunk.
inline constexpr std::uint32_t kTransferChunkBytes = 4096;

// Folders only, name, attributes.
inline constexpr rapi::DWORD kTreeFindFlags = 16513;
// Name, low size word, last write time, attributes.
inline constexpr rapi::DWORD kListFindFlags = 169;
inline constexpr const char* kRootItemLabel = "Kiro-SCAN";
inline constexpr int kTreeImageFolder = 0;
inline constexpr int kTreeImageFile = 4;

// How the reading of a folder ended. A lost handheld reads as Unreadable; the link's
// ConnectionLost() tells that apart.
enum class ListingStatus {
    Listed,
    NotConnected,
    NoFolder,    // no folder was named
    Unreadable,  // the handheld could not search the folder
};

struct FolderListing {
    ListingStatus status = ListingStatus::NotConnected;
    int entries = 0;  // entries the search of the folder itself delivered
    // Entries left out because their names are longer than a device name can be.
    int skippedEntries = 0;

    bool Listed() const { return status == ListingStatus::Listed; }
};

// The folder selected in the device tree: "\" or "\A\B", and the same for display.
struct DeviceFolder {
    std::u16string wide;
    std::string narrow;
};

// A handheld file as a listing of its name shows it: what a move compares, before it
// deletes, with what it saw before the copy.
struct DeviceFileState {
    rapi::DWORD size = 0;              // the low 32 bits
    std::uint64_t lastWriteTicks = 0;  // FILETIME: 100 ns since 1601
    bool operator==(const DeviceFileState&) const = default;
};

// How a change asked of the handheld (a deletion, a new folder) ended.
enum class RemoteChange { Done, Refused, NotConnected, ConnectionLost };

// The program's one link to the handheld. Every operation that touches the handheld
// does nothing and returns 0 while not connected.
//
// A handheld that goes away is noticed at the first call that finds the connection
// broken: the link then counts as not connected (the remote API is given back, so
// that the next Connect starts afresh), ConnectionLost() tells why, and every later
// operation returns at once.
class CDeviceLink {
public:
    CDeviceLink(IRemoteApi& api, IMessageBox& messageBox);
    ~CDeviceLink();
    CDeviceLink(const CDeviceLink&) = delete;
    CDeviceLink& operator=(const CDeviceLink&) = delete;

    // The operations with integer results keep them at this boundary; each is a thin wrapper over
    // the typed function beneath it, which the window and the command line call.
    int Connect();
    ConnectOutcome ConnectToHandheld();
    int Disconnect();
    bool IsConnected() const { return m_bConnected == 1; }
    // True from a detected loss of the handheld until the next successful Connect.
    bool ConnectionLost() const { return m_bConnectionLost; }
    // What broke the connection, in words for a user, while ConnectionLost().
    const std::string& LossCause() const { return m_strLossCause; }
    // Why the last Connect failed, as the remote API tells it.
    rapi::LinkFault ConnectFault() const { return m_api.ConnectionFault(); }
    std::string ConnectProblem() const { return m_api.ConnectionProblem(); }

    // The selected folder as "\" or "\A\B" (wide and, for display, narrow). Returns 0
    // when not connected or when the path would exceed 259 characters.
    int GetSelectedFolderPath(const IDeviceTree& tree, std::u16string* widePath,
                              std::string* narrowPath) const;
    std::optional<DeviceFolder> SelectedFolder(const IDeviceTree& tree) const;

    // Adds the folders below `path` (which ends with "\") under `parent`, depth first.
    int FillFolderTree(const std::u16string& path, rapi::DWORD flags, IDeviceTree& tree,
                       TreeItem parent);
    FolderListing ReadFolderTree(const std::u16string& path, rapi::DWORD flags, IDeviceTree& tree,
                                 TreeItem parent);
    // Lists the files of a folder ("\" or "\A\B") with kind, size and date texts.
    int FillFileList(const std::u16string& folder, IFileList& list);
    FolderListing ListFolder(const std::u16string& folder, IFileList& list);
    static DeviceFileKind GetFileKind(const std::u16string& fileName) {
        return kiro::GetFileKind(fileName);
    }

    // Copies one handheld file into a PC folder in chunks, driving the progress bar.
    // Returns the number of bytes copied (the whole file), 0 when not connected, or a
    // TransferResult code (kTransferConnectionLost once the handheld is lost). A failed
    // copy never leaves a partial file, and never empties or replaces an existing PC
    // file. A complete copy replaces a different PC file of the same name.
    std::int64_t TransferFile(const std::u16string& deviceFolder, const std::u16string& deviceName,
                              const std::string& pcFolder, const std::string& pcName,
                              std::uint32_t chunkSize, IProgressBar* progress);

    // The same copy, with `resolver` deciding what becomes of a different PC file that
    // has the name; one replaced goes to `trash`.
    PcCopy CopyFileToPc(const std::u16string& deviceFolder, const std::u16string& deviceName,
                        const std::string& pcFolder, const std::string& pcName,
                        std::uint32_t chunkSize, IProgressBar* progress,
                        const ExistingFileResolver& resolver,
                        const TrashFunction& trash = MoveToTrash);
    struct DeviceFileBytes {
        CopyStatus status = CopyStatus::NotConnected;  // Copied when the bytes are there
        std::vector<unsigned char> bytes;
    };
    // Reads at most `maxBytes` of one handheld file into memory, for a look at it;
    // nothing is written on the PC.
    DeviceFileBytes ReadFileToMemory(const std::u16string& folder, const std::u16string& name,
                                     std::size_t maxBytes);
    // The file of that name in the folder as the handheld lists it; none when it has no
    // such file or cannot say (ConnectionLost() tells a lost handheld).
    std::optional<DeviceFileState> LookUpDeviceFile(const std::u16string& folder,
                                                    const std::u16string& name);
    // Nonzero when the handheld deleted the file, or created the folder.
    int DeleteDeviceFile(const std::u16string& folder, const std::u16string& name);
    RemoteChange DeleteOnHandheld(const std::u16string& folder, const std::u16string& name);
    int CreateDeviceDirectory(const std::u16string& path);
    RemoteChange CreateFolderOnHandheld(const std::u16string& path);

    // Only tests shorten the wait for the handheld.
    void SetConnectTimeoutMs(rapi::DWORD milliseconds) { m_connectTimeoutMs = milliseconds; }

    int m_bConnected = 0;

private:
    // Asks the remote API whether the connection broke; if so, ends the link. True
    // when the handheld is lost.
    bool NoticeLoss();
    bool CheckConnected();
    // The level's listing, with the entries skipped here and in the levels below.
    FolderListing FillFolderLevel(const std::u16string& path, rapi::DWORD flags, IDeviceTree& tree,
                                  TreeItem parent);
    // Done or Refused by what the handheld answered, unless it was lost meanwhile.
    RemoteChange ChangeAnswered(bool done);

    IRemoteApi& m_api;
    IMessageBox& m_messageBox;
    rapi::DWORD m_connectTimeoutMs = 2000;
    bool m_bConnectionLost = false;
    std::string m_strLossCause;
};

// True for a name that stays inside its folder: not empty, ".", "..", and without
// "/", "\" or NUL.
bool IsSafeFileName(std::string_view name);
bool IsSafeFileName(std::u16string_view name);

}  // namespace kiro
