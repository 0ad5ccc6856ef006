#include "devicelink/DeviceLink.h"

#include <algorithm>
#include <functional>
#include <map>
#include <vector>

#include "devicelink/DateAndSizeTexts.h"
#include "devicelink/MemoryControls.h"
#include "devicelink/PathJoining.h"
#include "devicelink/TransferCopy.h"
#include "platform/Utf16.h"
#include "platform/rapi/RapiConstants.h"

namespace kiro {

using namespace rapi;

static_assert(kTreeFindFlags == (FAF_FOLDERS_ONLY | FAF_NAME | FAF_ATTRIBUTES));
static_assert(kListFindFlags == (FAF_NAME | FAF_SIZE_LOW | FAF_LASTWRITE_TIME | FAF_ATTRIBUTES));

namespace {

// Gives a listing back to the remote API on every path out.
class CFindBuffer {
public:
    explicit CFindBuffer(IRemoteApi& api) : m_api(api) {}
    ~CFindBuffer() {
        if (entries != nullptr) {
            m_api.CeRapiFreeBuffer(entries);
        }
    }
    CFindBuffer(const CFindBuffer&) = delete;
    CFindBuffer& operator=(const CFindBuffer&) = delete;

    bool Find(const std::u16string& pattern, DWORD flags) {
        return m_api.CeFindAllFiles(pattern.c_str(), flags, &count, &entries) != FALSE;
    }

    DWORD count = 0;
    CE_FIND_DATA* entries = nullptr;

private:
    IRemoteApi& m_api;
};

std::u16string EntryName(const CE_FIND_DATA& entry) {
    std::u16string name;
    for (std::size_t i = 0; i < MAX_PATH && entry.cFileName[i] != u'\0'; ++i) {
        name.push_back(entry.cFileName[i]);
    }
    return name;
}

bool IsFolder(const CE_FIND_DATA& entry) {
    return (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

std::u16string_view EntryNameView(const CE_FIND_DATA& entry) {
    const auto* end = std::find(std::begin(entry.cFileName), std::end(entry.cFileName), u'\0');
    return {entry.cFileName, static_cast<std::size_t>(end - std::begin(entry.cFileName))};
}

struct ListedFile {
    DWORD index;
    std::string label;
    std::u16string_view name;
};

// The files of a listing (folders left out) in the list's own order, equal labels in
// the order delivered. The list keeps itself sorted whatever the order of insertion,
// but inserting in order lets a large folder append instead of shifting rows.
std::vector<ListedFile> FilesInListOrder(const CE_FIND_DATA* entries, DWORD count) {
    std::vector<ListedFile> files;
    files.reserve(entries != nullptr ? count : 0);
    for (DWORD i = 0; entries != nullptr && i < count; ++i) {
        if (!IsFolder(entries[i])) {
            const std::u16string_view name = EntryNameView(entries[i]);
            files.push_back({i, Utf16ToUtf8Lossy(name), name});
        }
    }
    std::stable_sort(files.begin(), files.end(), [](const ListedFile& a, const ListedFile& b) {
        return LessIgnoringCase(a.label, b.label);
    });
    return files;
}

// A file's kind depends on its extension alone, and a folder's files share a few.
class CKindCache {
public:
    const DeviceFileKind& KindOf(std::u16string_view name) {
        const std::size_t dot = name.rfind(u'.');
        const std::u16string_view extension =
            dot == std::u16string_view::npos ? name : name.substr(dot + 1);
        auto found = m_kinds.find(extension);
        if (found == m_kinds.end()) {
            found = m_kinds.emplace(std::u16string(extension), GetFileKind(extension)).first;
        }
        return found->second;
    }

private:
    std::map<std::u16string, DeviceFileKind, std::less<>> m_kinds;
};

template <typename Text>
bool IsSafeName(const Text& name) {
    using Char = typename Text::value_type;
    const bool onlyDots = name.size() <= 2 && name.find_first_not_of(Char('.')) == Text::npos;
    if (onlyDots) {
        return false;  // also the empty name
    }
    for (const Char c : name) {
        if (c == Char('/') || c == Char('\\') || c == Char(0)) {
            return false;
        }
    }
    return true;
}

}  // namespace

bool IsSafeFileName(std::string_view name) {
    return IsSafeName(name);
}
bool IsSafeFileName(std::u16string_view name) {
    return IsSafeName(name);
}

CDeviceLink::CDeviceLink(IRemoteApi& api, IMessageBox& messageBox)
    : m_api(api), m_messageBox(messageBox) {}

CDeviceLink::~CDeviceLink() {
    if (m_bConnected == 1) {
        Disconnect();
    }
}

int CDeviceLink::Connect() {
    switch (ConnectToHandheld()) {
        case ConnectOutcome::Connected:
            return kConnectOk;
        case ConnectOutcome::AlreadyInitialised:
            return kConnectAlreadyInitialised;
        case ConnectOutcome::TimedOut:
            return kConnectTimeout;
        default:
            return kConnectGeneralFailure;
    }
}

ConnectOutcome CDeviceLink::ConnectToHandheld() {
    if (m_bConnected != 0) {
        return ConnectOutcome::AlreadyInitialised;
    }
    RAPIINIT init{kRapiInitRecordSize, nullptr, S_OK};
    const HRESULT result = m_api.CeRapiInitEx(&init);
    if (result < 0) {
        m_bConnected = 0;
        return result == CERAPI_E_ALREADYINITIALIZED ? ConnectOutcome::AlreadyInitialised
                                                     : ConnectOutcome::GeneralFailure;
    }
    const DWORD wait = m_api.WaitForSingleObject(init.heRapiInit, m_connectTimeoutMs);
    if (wait == WAIT_OBJECT_0) {
        m_bConnected = 1;
        m_bConnectionLost = false;
        m_strLossCause.clear();
        return ConnectOutcome::Connected;
    }
    // A failed attempt gives the remote API back, so that the next Connect starts
    // afresh instead of finding it still initialised.
    m_api.CeRapiUninit();
    m_bConnected = 0;
    return wait == WAIT_TIMEOUT ? ConnectOutcome::TimedOut : ConnectOutcome::GeneralFailure;
}

int CDeviceLink::Disconnect() {
    if (m_bConnected != 1) {
        return 0;
    }
    m_bConnected = 0;
    return m_api.CeRapiUninit();
}

bool CDeviceLink::NoticeLoss() {
    if (m_bConnected == 1 && m_api.IsConnectionLost()) {
        m_bConnected = 0;
        m_bConnectionLost = true;
        m_strLossCause = m_api.ConnectionProblem();
        m_api.CeRapiUninit();
    }
    return m_bConnectionLost && m_bConnected == 0;
}

bool CDeviceLink::CheckConnected() {
    NoticeLoss();
    return m_bConnected == 1;
}

int CDeviceLink::GetSelectedFolderPath(const IDeviceTree& tree, std::u16string* widePath,
                                       std::string* narrowPath) const {
    const std::optional<DeviceFolder> folder = SelectedFolder(tree);
    if (!folder) {
        return 0;
    }
    if (widePath != nullptr) {
        *widePath = folder->wide;
    }
    if (narrowPath != nullptr) {
        *narrowPath = folder->narrow;
    }
    return 1;
}

std::optional<DeviceFolder> CDeviceLink::SelectedFolder(const IDeviceTree& tree) const {
    if (m_bConnected == 0) {
        return std::nullopt;
    }
    std::vector<std::string> labels;
    for (TreeItem item = tree.GetSelectedItem(); item != 0; item = tree.GetParentItem(item)) {
        labels.push_back(tree.GetItemText(item));
    }
    std::string path;
    for (auto label = labels.rbegin(); label != labels.rend(); ++label) {
        if (!path.empty() || label != labels.rbegin()) {
            path.push_back('\\');
        }
        path.append(*label);
    }
    // Every chain starts at the root item, whose label is dropped.
    path.erase(0, std::min<std::size_t>(path.size(), 9));
    if (path.empty()) {
        path.push_back('\\');
    }
    std::optional<std::u16string> wide = Utf8ToUtf16(path);
    if (!wide || wide->size() > kMaxPathChars) {
        return std::nullopt;
    }
    return DeviceFolder{std::move(*wide), std::move(path)};
}

int CDeviceLink::FillFolderTree(const std::u16string& path, DWORD flags, IDeviceTree& tree,
                                TreeItem parent) {
    const FolderListing listing = ReadFolderTree(path, flags, tree, parent);
    return listing.Listed() && listing.entries > 0 ? 1 : 0;
}

FolderListing CDeviceLink::ReadFolderTree(const std::u16string& path, DWORD flags,
                                          IDeviceTree& tree, TreeItem parent) {
    if (!CheckConnected()) {
        return {ListingStatus::NotConnected};
    }
    if (path.empty()) {
        return {ListingStatus::NoFolder};
    }
    return FillFolderLevel(path, flags, tree, parent);
}

FolderListing CDeviceLink::FillFolderLevel(const std::u16string& path, DWORD flags,
                                           IDeviceTree& tree, TreeItem parent) {
    const std::u16string pattern = path + u"*";
    if (pattern.size() > kMaxPathChars) {
        return {ListingStatus::Unreadable};  // deeper than a device path can reach
    }
    CFindBuffer found(m_api);
    if (!found.Find(pattern, flags)) {
        // A lost handheld is told by the caller; "Find file failed" would only hide it.
        if (!NoticeLoss()) {
            m_messageBox.Show({"Find file failed", "", MessageButtons::Ok, MessageAnswer::Ok,
                               MessageOwner::Application});
        }
        return {ListingStatus::Unreadable};
    }
    FolderListing listing{ListingStatus::Listed, 0, static_cast<int>(m_api.SkippedFindEntries())};
    if (found.entries == nullptr) {
        return listing;
    }
    listing.entries = static_cast<int>(found.count);
    for (DWORD i = 0; i < found.count && m_bConnected == 1; ++i) {
        const CE_FIND_DATA& entry = found.entries[i];
        const std::u16string name = EntryName(entry);
        const std::string label = Utf16ToUtf8Lossy(name);
        if (!IsFolder(entry)) {
            tree.InsertItem(label, kTreeImageFile, kTreeImageFile, parent);
            continue;
        }
        const TreeItem item = tree.InsertItem(label, kTreeImageFolder, kTreeImageFolder, parent);
        listing.skippedEntries +=
            FillFolderLevel(path + name + u"\\", kTreeFindFlags, tree, item).skippedEntries;
        tree.SortChildren(item);
    }
    return listing;
}

int CDeviceLink::FillFileList(const std::u16string& folder, IFileList& list) {
    const ListingStatus status = ListFolder(folder, list).status;
    return status == ListingStatus::NotConnected || status == ListingStatus::NoFolder ? 0 : 1;
}

FolderListing CDeviceLink::ListFolder(const std::u16string& folder, IFileList& list) {
    if (!CheckConnected()) {
        return {ListingStatus::NotConnected};
    }
    list.DeleteAllItems();
    if (folder.empty()) {
        return {ListingStatus::NoFolder};
    }
    const std::u16string pattern = (folder == u"\\" ? std::u16string() : folder) + u"\\*";
    if (pattern.size() > kMaxPathChars) {
        return {ListingStatus::Unreadable};
    }
    CFindBuffer found(m_api);
    if (!found.Find(pattern, kListFindFlags)) {
        NoticeLoss();
        return {ListingStatus::Unreadable};
    }
    const int skipped = static_cast<int>(m_api.SkippedFindEntries());
    CKindCache kinds;
    for (const ListedFile& file : FilesInListOrder(found.entries, found.count)) {
        const CE_FIND_DATA& entry = found.entries[file.index];
        const DeviceFileKind& kind = kinds.KindOf(file.name);
        const int item = list.InsertItem(file.label, kind.code);
        list.SetItemText(item, 1, kind.text);
        list.SetItemText(item, 2, FormatDeviceSize(entry.nFileSizeLow));
        list.SetItemText(item, 3, FormatDeviceDate(entry.ftLastWriteTime));
    }
    const int entries = found.entries != nullptr ? static_cast<int>(found.count) : 0;
    return {ListingStatus::Listed, entries, skipped};
}

std::optional<DeviceFileState> CDeviceLink::LookUpDeviceFile(const std::u16string& folder,
                                                             const std::u16string& name) {
    if (!CheckConnected() || folder.empty() || !IsSafeFileName(name)) {
        return std::nullopt;
    }
    // The name is its own pattern; a name that a pattern would read otherwise is looked
    // for in the whole folder.
    const bool plainName = name.find_first_of(u"*?[") == std::u16string::npos;
    const std::u16string pattern = JoinDevicePath(folder, plainName ? name : u"*");
    if (pattern.size() > kMaxPathChars) {
        return std::nullopt;
    }
    CFindBuffer found(m_api);
    if (!found.Find(pattern, kListFindFlags)) {
        NoticeLoss();
        return std::nullopt;
    }
    for (DWORD i = 0; found.entries != nullptr && i < found.count; ++i) {
        const CE_FIND_DATA& entry = found.entries[i];
        if (!IsFolder(entry) && EntryNameView(entry) == name) {
            const FILETIME& time = entry.ftLastWriteTime;
            return DeviceFileState{entry.nFileSizeLow,
                                   (std::uint64_t{time.dwHighDateTime} << 32) | time.dwLowDateTime};
        }
    }
    return std::nullopt;
}

namespace {

PcCopy CopyFailed(CopyStatus status) {
    PcCopy copy;
    copy.status = status;
    return copy;
}

}  // namespace

std::int64_t TransferResultOf(const PcCopy& copy) {
    switch (copy.status) {
        case CopyStatus::Copied:
            return static_cast<std::int64_t>(copy.bytes);
        case CopyStatus::NotConnected:
            return 0;
        case CopyStatus::DeviceFileCannotBeOpened:
            return kTransferDeviceFileCannotBeOpened;
        case CopyStatus::PcFileCannotBeCreated:
            return kTransferPcFileCannotBeCreated;
        case CopyStatus::DevicePathMissing:
        case CopyStatus::DevicePathTooLong:
            return kTransferDevicePathMissing;
        case CopyStatus::PcPathMissing:
        case CopyStatus::PcPathTooLong:
            return kTransferPcPathMissing;
        case CopyStatus::UnsafeFileName:
            return kTransferUnsafeFileName;
        case CopyStatus::NoChunkBuffer:
            return kTransferNoChunkBuffer;
        case CopyStatus::ConnectionLost:
            return kTransferConnectionLost;
        case CopyStatus::KeptExistingFile:
            return kTransferKeptExistingFile;
        default:
            return kTransferFailedPartWay;
    }
}

std::int64_t CDeviceLink::TransferFile(const std::u16string& deviceFolder,
                                       const std::u16string& deviceName,
                                       const std::string& pcFolder, const std::string& pcName,
                                       std::uint32_t chunkSize, IProgressBar* progress) {
    const auto replace = [](const ExistingFileQuestion&) { return ExistingFileChoice::Replace; };
    return TransferResultOf(
        CopyFileToPc(deviceFolder, deviceName, pcFolder, pcName, chunkSize, progress, replace));
}

PcCopy CDeviceLink::CopyFileToPc(const std::u16string& deviceFolder,
                                 const std::u16string& deviceName, const std::string& pcFolder,
                                 const std::string& pcName, std::uint32_t chunkSize,
                                 IProgressBar* progress, const ExistingFileResolver& resolver,
                                 const TrashFunction& trash) {
    if (!CheckConnected()) {
        return CopyFailed(m_bConnectionLost ? CopyStatus::ConnectionLost
                                            : CopyStatus::NotConnected);
    }
    if (deviceFolder.empty() || deviceName.empty()) {
        return CopyFailed(CopyStatus::DevicePathMissing);
    }
    if (pcFolder.empty() || pcName.empty()) {
        return CopyFailed(CopyStatus::PcPathMissing);
    }
    if (!IsSafeFileName(deviceName) || !IsSafeFileName(pcName)) {
        return CopyFailed(CopyStatus::UnsafeFileName);
    }
    const std::u16string devicePath = JoinDevicePath(deviceFolder, deviceName);
    const std::string pcPath = JoinPcPath(pcFolder, pcName);
    if (devicePath.size() > kMaxPathChars) {
        return CopyFailed(CopyStatus::DevicePathTooLong);
    }
    if (pcPath.size() > kMaxPathChars) {
        return CopyFailed(CopyStatus::PcPathTooLong);
    }
    if (chunkSize == 0) {
        return CopyFailed(CopyStatus::NoChunkBuffer);
    }
    PcCopy copy =
        CTransferCopy(m_api, chunkSize, progress, resolver, trash).Run(devicePath, pcPath);
    NoticeLoss();
    return copy;
}

namespace {

// Reads a handheld file into `bytes` up to their size; false when a read fails.
bool ReadDeviceFile(IRemoteApi& api, HANDLE file, std::vector<unsigned char>& bytes) {
    constexpr DWORD kChunkBytes = 4096;
    std::size_t filled = 0;
    while (filled < bytes.size()) {
        const DWORD wanted =
            static_cast<DWORD>(std::min<std::size_t>(kChunkBytes, bytes.size() - filled));
        DWORD read = 0;
        if (api.CeReadFile(file, bytes.data() + filled, wanted, &read, nullptr) != TRUE) {
            return false;
        }
        if (read == 0) {
            break;
        }
        filled += std::min<std::size_t>(read, wanted);
    }
    bytes.resize(filled);
    return true;
}

}  // namespace

CDeviceLink::DeviceFileBytes CDeviceLink::ReadFileToMemory(const std::u16string& folder,
                                                           const std::u16string& name,
                                                           std::size_t maxBytes) {
    DeviceFileBytes file;
    if (!CheckConnected()) {
        file.status = m_bConnectionLost ? CopyStatus::ConnectionLost : CopyStatus::NotConnected;
        return file;
    }
    const std::u16string path = JoinDevicePath(folder, name);
    if (!IsSafeFileName(name) || path.size() > kMaxPathChars) {
        file.status = CopyStatus::UnsafeFileName;
        return file;
    }
    const HANDLE handle = m_api.CeCreateFile(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                             FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE || handle == nullptr) {
        file.status =
            NoticeLoss() ? CopyStatus::ConnectionLost : CopyStatus::DeviceFileCannotBeOpened;
        return file;
    }
    const DWORD size = m_api.CeGetFileSize(handle, nullptr);
    file.bytes.resize(std::min<std::size_t>(size, maxBytes));
    if (ReadDeviceFile(m_api, handle, file.bytes)) {
        file.status = CopyStatus::Copied;
    } else {
        file = {CopyStatus::FailedPartWay, {}};
    }
    m_api.CeCloseHandle(handle);
    if (NoticeLoss()) {
        file = {CopyStatus::ConnectionLost, {}};
    }
    return file;
}

int CDeviceLink::DeleteDeviceFile(const std::u16string& folder, const std::u16string& name) {
    return DeleteOnHandheld(folder, name) == RemoteChange::Done ? 1 : 0;
}

RemoteChange CDeviceLink::DeleteOnHandheld(const std::u16string& folder,
                                           const std::u16string& name) {
    if (!CheckConnected()) {
        return m_bConnectionLost ? RemoteChange::ConnectionLost : RemoteChange::NotConnected;
    }
    const std::u16string path = JoinDevicePath(folder, name);
    if (path.size() > kMaxPathChars) {
        return RemoteChange::Refused;
    }
    return ChangeAnswered(m_api.CeDeleteFile(path.c_str()) != FALSE);
}

int CDeviceLink::CreateDeviceDirectory(const std::u16string& path) {
    return CreateFolderOnHandheld(path) == RemoteChange::Done ? 1 : 0;
}

RemoteChange CDeviceLink::CreateFolderOnHandheld(const std::u16string& path) {
    if (!CheckConnected()) {
        return m_bConnectionLost ? RemoteChange::ConnectionLost : RemoteChange::NotConnected;
    }
    if (path.size() > kMaxPathChars) {
        return RemoteChange::Refused;
    }
    return ChangeAnswered(m_api.CeCreateDirectory(path.c_str(), nullptr) != FALSE);
}

RemoteChange CDeviceLink::ChangeAnswered(bool done) {
    // What the handheld answered stands, even when the connection broke right after.
    const bool lost = NoticeLoss();
    if (done) {
        return RemoteChange::Done;
    }
    return lost ? RemoteChange::ConnectionLost : RemoteChange::Refused;
}

}  // namespace kiro
