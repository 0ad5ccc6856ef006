#pragma once

// The small protocol between the remote API client and the emulated handheld:
// length-prefixed frames, one request and one reply per call. Every length and
// count is checked before it is used.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/rapi/BulkMemory.h"
#include "platform/rapi/RapiTypes.h"

namespace kiro::wire {

inline constexpr std::uint32_t kGreetingMagic = 0x4F52494Bu;  // "KIRO"
inline constexpr std::uint32_t kProtocolVersion = 1;
// A listing of tens of thousands of files fits; anything larger is refused unread.
inline constexpr std::uint32_t kMaxFrameBytes = 32u * 1024 * 1024;
inline constexpr std::uint32_t kMaxReadBytes = 1024 * 1024;
inline constexpr std::uint32_t kMaxNameUnits = 260;
// A listing that claims more entries than this is no honest reply.
inline constexpr std::uint32_t kMaxFindEntries = 1000000;

enum class Op : std::uint8_t {
    Hello = 1,
    FindAllFiles = 2,
    CreateFile = 3,
    ReadFile = 4,
    GetFileSize = 5,
    CloseHandle = 6,
    DeleteFile = 7,
    CreateDirectory = 8,
};

// Numbers travel as four bytes, least significant first.
void AppendU32(std::string& out, std::uint32_t value);
std::uint32_t DecodeU32(const char* at);

enum class GreetingStatus : std::uint32_t { Accepted = 0, Busy = 1, WrongVersion = 2 };

class CWireWriter {
public:
    explicit CWireWriter(Op op) { PutU8(static_cast<std::uint8_t>(op)); }
    // Starts a new body, keeping the memory of the last one.
    void Restart(Op op) {
        m_bytes.clear();
        PutU8(static_cast<std::uint8_t>(op));
    }
    void Reserve(std::size_t bytes) { m_bytes.reserve(bytes); }
    void PutU8(std::uint8_t value) { m_bytes.push_back(static_cast<char>(value)); }
    void PutU32(std::uint32_t value);
    // A UTF-16 text: its unit count, then the units.
    void PutText(std::u16string_view text);
    // A byte block: its length, then the bytes.
    void PutBytes(std::string_view bytes);
    const std::string& Bytes() const { return m_bytes; }

private:
    std::string m_bytes;
};

// Reads a frame body; every Get fails (and all later ones too) once the frame is
// exhausted or a length is out of range.
class CWireReader {
public:
    explicit CWireReader(std::string_view body) : m_rest(body) {}
    bool GetU8(std::uint8_t& value);
    bool GetU32(std::uint32_t& value);
    bool GetText(std::u16string& text, std::uint32_t maxUnits = kMaxNameUnits);
    // The same, into `capacity` units at `into`; `units` tells how many were written.
    bool GetTextInto(char16_t* into, std::uint32_t capacity, std::uint32_t& units);
    // The same, but a text that is whole yet longer than `capacity` is read past
    // instead of failing: `tooLong` tells so, and nothing is written.
    bool GetTextIntoOrSkip(char16_t* into, std::uint32_t capacity, std::uint32_t& units,
                           bool& tooLong);
    bool GetBytes(std::string& bytes, std::uint32_t maxBytes = kMaxReadBytes);
    // The same, without copying: the view points into the body being read.
    bool GetBytesView(std::string_view& bytes, std::uint32_t maxBytes = kMaxReadBytes);
    std::size_t Remaining() const { return m_rest.size(); }
    bool Ok() const { return m_ok; }
    bool AtEnd() const { return m_ok && m_rest.empty(); }

private:
    bool Fail() {
        m_ok = false;
        return false;
    }
    // Decodes units already known to be there.
    bool GetUnits(char16_t* into, std::uint32_t units);
    std::string_view m_rest;
    bool m_ok = true;
};

enum class FrameStatus { Ok, Closed, TooLarge, Failed, TimedOut };

// A receive buffer that keeps its memory from frame to frame, so that a stream of
// large frames costs no allocation, no zero-filling and no fresh pages per frame.
class CFrameBuffer {
public:
    // Room for a body of `size` bytes; what the buffer held before is gone. Null
    // when the memory cannot be had.
    char* Prepare(std::size_t size);
    std::string_view Body() const { return {m_memory.Data(), m_size}; }

private:
    rapi::CBulkMemory m_memory;
    std::size_t m_size = 0;
};

// The requests a client sends, built in one place for every client of the handheld.
CWireWriter HelloRequest();
CWireWriter FindAllFilesRequest(std::u16string_view pattern, std::uint32_t flags);
CWireWriter CreateFileRequest(std::u16string_view path, std::uint32_t access, std::uint32_t share,
                              std::uint32_t disposition, std::uint32_t attributes);
CWireWriter ReadFileRequest(std::uint32_t handle, std::uint32_t size);
// GetFileSize and CloseHandle name a handle; DeleteFile and CreateDirectory a path.
CWireWriter HandleRequest(Op op, std::uint32_t handle);
CWireWriter PathRequest(Op op, std::u16string_view path);

// The handheld's answer to a greeting (a GreetingStatus), or nothing for a reply that is
// no greeting.
std::optional<std::uint32_t> GreetingAnswer(std::string_view reply);

// A null-terminated device path of at most kCeMaxPath - 1 units, read no further than
// that; nothing for a null or longer one.
std::optional<std::u16string> DevicePathArgument(const char16_t* path);

// Fills one entry of a zero-filled listing array from a listing reply.
bool GetFindEntry(CWireReader& reader, rapi::CE_FIND_DATA& entry, bool& kept);

// The handheld's replies, read the same way by every client. Nothing means that the
// reply broke the protocol: the client then ends the link, since nothing after it can
// be trusted.

// The fields of a reply to `op`, after its operation byte.
std::optional<std::string_view> ReplyFields(std::string_view reply, Op op);
// The yes or no of CloseHandle, DeleteFile and CreateDirectory.
std::optional<bool> ReadAnswer(std::string_view fields);
// CreateFile's handle; 0 or 0xFFFFFFFF when the file was not opened.
std::optional<std::uint32_t> ReadHandle(std::string_view fields);

struct FileSizeReply {
    std::uint32_t low = 0;
    std::uint32_t high = 0;
};
std::optional<FileSizeReply> ReadFileSize(std::string_view fields);

// A block of a file: whether the read succeeded, and its bytes (at most `maxBytes`, a
// view into `fields`).
struct BlockReply {
    bool ok = false;
    std::string_view data;
};
std::optional<BlockReply> ReadBlock(std::string_view fields, std::uint32_t maxBytes);

// A listing's head: whether the folder was searched, and how many entries follow. A
// count beyond kMaxFindEntries, or beyond what the reply's bytes can hold, is refused.
struct ListingHead {
    bool found = false;
    std::uint32_t count = 0;
};
std::optional<ListingHead> ReadListingHead(CWireReader& reader);
// Reads a listing's `count` entries into a zero-filled array with room for them all,
// leaving out names too long for a record: how many were kept.
std::optional<std::uint32_t> ReadListingEntries(CWireReader& reader, std::uint32_t count,
                                                rapi::CE_FIND_DATA* entries);

// Sends a frame (its length, then the body); false when the peer is gone.
bool SendFrame(int fd, std::string_view body);
// Sends a frame whose body is head followed by tail, without joining them first.
bool SendFrame(int fd, std::string_view head, std::string_view tail);
// Receives one frame body. A timeout of -1 waits for ever; otherwise the whole frame
// must arrive within it. A frame over kMaxFrameBytes is refused before it is read.
FrameStatus ReceiveFrame(int fd, std::string& body, int timeoutMs = -1);
FrameStatus ReceiveFrame(int fd, CFrameBuffer& body, int timeoutMs = -1);

// Where the handheld listens (see SocketPlace.h).
std::string DefaultSocketPath();

}  // namespace kiro::wire
