#include "platform/rapi/WireCodec.h"

#include <algorithm>
#include <bit>

namespace kiro::wire {
namespace {

// Frame buffers start at this size and grow in powers of two.
constexpr std::size_t kMinFrameBufferBytes = 64 * 1024;

}  // namespace

void AppendU32(std::string& out, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) {
        out.push_back(static_cast<char>(value >> (8 * i)));
    }
}

std::uint32_t DecodeU32(const char* at) {
    std::uint32_t value = 0;
    for (int i = 3; i >= 0; --i) {
        value = value << 8 | static_cast<unsigned char>(at[i]);
    }
    return value;
}

char* CFrameBuffer::Prepare(std::size_t size) {
    if (size > m_memory.Size()) {
        m_memory = rapi::CBulkMemory();  // the old pages go before the new ones come
        m_memory = rapi::CBulkMemory(std::max(kMinFrameBufferBytes, std::bit_ceil(size)));
    }
    m_size = m_memory.Data() == nullptr ? 0 : size;
    return m_memory.Data();
}

void CWireWriter::PutU32(std::uint32_t value) {
    AppendU32(m_bytes, value);
}

void CWireWriter::PutText(std::u16string_view text) {
    PutU32(static_cast<std::uint32_t>(text.size()));
    const std::size_t start = m_bytes.size();
    m_bytes.resize(start + 2 * text.size());
    char* out = m_bytes.data() + start;
    for (const char16_t unit : text) {
        *out++ = static_cast<char>(unit & 0xFF);
        *out++ = static_cast<char>(unit >> 8);
    }
}

void CWireWriter::PutBytes(std::string_view bytes) {
    PutU32(static_cast<std::uint32_t>(bytes.size()));
    m_bytes.append(bytes);
}

bool CWireReader::GetU8(std::uint8_t& value) {
    if (!m_ok || m_rest.empty()) {
        return Fail();
    }
    value = static_cast<std::uint8_t>(m_rest[0]);
    m_rest.remove_prefix(1);
    return true;
}

bool CWireReader::GetU32(std::uint32_t& value) {
    if (!m_ok || m_rest.size() < 4) {
        return Fail();
    }
    value = DecodeU32(m_rest.data());
    m_rest.remove_prefix(4);
    return true;
}

bool CWireReader::GetText(std::u16string& text, std::uint32_t maxUnits) {
    std::uint32_t units = 0;
    if (!GetU32(units) || units > maxUnits || m_rest.size() / 2 < units) {
        return Fail();
    }
    text.resize(units);
    return GetUnits(text.data(), units);
}

bool CWireReader::GetTextInto(char16_t* into, std::uint32_t capacity, std::uint32_t& units) {
    if (!GetU32(units) || units > capacity || m_rest.size() / 2 < units) {
        return Fail();
    }
    return GetUnits(into, units);
}

bool CWireReader::GetTextIntoOrSkip(char16_t* into, std::uint32_t capacity, std::uint32_t& units,
                                    bool& tooLong) {
    if (!GetU32(units) || m_rest.size() / 2 < units) {
        return Fail();
    }
    tooLong = units > capacity;
    if (tooLong) {
        m_rest.remove_prefix(2 * std::size_t{units});
        return true;
    }
    return GetUnits(into, units);
}

bool CWireReader::GetUnits(char16_t* into, std::uint32_t units) {
    for (std::uint32_t i = 0; i < units; ++i) {
        into[i] = static_cast<char16_t>(static_cast<unsigned char>(m_rest[2 * i]) |
                                        static_cast<unsigned char>(m_rest[2 * i + 1]) << 8);
    }
    m_rest.remove_prefix(2 * std::size_t{units});
    return true;
}

bool CWireReader::GetBytes(std::string& bytes, std::uint32_t maxBytes) {
    std::string_view view;
    if (!GetBytesView(view, maxBytes)) {
        return false;
    }
    bytes.assign(view);
    return true;
}

bool CWireReader::GetBytesView(std::string_view& bytes, std::uint32_t maxBytes) {
    std::uint32_t size = 0;
    if (!GetU32(size) || size > maxBytes || m_rest.size() < size) {
        return Fail();
    }
    bytes = m_rest.substr(0, size);
    m_rest.remove_prefix(size);
    return true;
}

// An entry whose name does not fit a record is read past and left out (`kept` false): one
// such name must not cost the rest of the folder.
bool GetFindEntry(CWireReader& reader, rapi::CE_FIND_DATA& entry, bool& kept) {
    std::uint32_t timeLow = 0;
    std::uint32_t timeHigh = 0;
    std::uint32_t units = 0;
    bool tooLong = false;
    if (!reader.GetU32(entry.dwFileAttributes) || !reader.GetU32(timeLow) ||
        !reader.GetU32(timeHigh) || !reader.GetU32(entry.nFileSizeHigh) ||
        !reader.GetU32(entry.nFileSizeLow) ||
        !reader.GetTextIntoOrSkip(entry.cFileName, rapi::kCeMaxPath - 1, units, tooLong)) {
        return false;
    }
    kept = !tooLong;
    if (tooLong) {
        entry = rapi::CE_FIND_DATA{};
        return true;
    }
    entry.ftLastWriteTime = {timeLow, timeHigh};
    entry.ftCreationTime = entry.ftLastWriteTime;
    entry.ftLastAccessTime = entry.ftLastWriteTime;
    return true;
}

std::optional<std::string_view> ReplyFields(std::string_view reply, Op op) {
    if (reply.empty() || reply.front() != static_cast<char>(op)) {
        return std::nullopt;
    }
    return reply.substr(1);
}

std::optional<bool> ReadAnswer(std::string_view fields) {
    std::uint32_t ok = 0;
    if (!CWireReader(fields).GetU32(ok)) {
        return std::nullopt;
    }
    return ok != 0;
}

std::optional<std::uint32_t> ReadHandle(std::string_view fields) {
    std::uint32_t handle = 0;
    if (!CWireReader(fields).GetU32(handle)) {
        return std::nullopt;
    }
    return handle;
}

std::optional<FileSizeReply> ReadFileSize(std::string_view fields) {
    CWireReader reader(fields);
    FileSizeReply size;
    if (!reader.GetU32(size.low) || !reader.GetU32(size.high)) {
        return std::nullopt;
    }
    return size;
}

std::optional<BlockReply> ReadBlock(std::string_view fields, std::uint32_t maxBytes) {
    CWireReader reader(fields);
    std::uint32_t ok = 0;
    BlockReply block;
    if (!reader.GetU32(ok) || !reader.GetBytesView(block.data, maxBytes)) {
        return std::nullopt;
    }
    block.ok = ok != 0;
    return block;
}

std::optional<ListingHead> ReadListingHead(CWireReader& reader) {
    // Each entry takes at least 24 bytes, which bounds a believable count.
    constexpr std::size_t kMinEntryBytes = 24;
    std::uint32_t found = 0;
    ListingHead head;
    if (!reader.GetU32(found) || !reader.GetU32(head.count) || head.count > kMaxFindEntries ||
        head.count > reader.Remaining() / kMinEntryBytes) {
        return std::nullopt;
    }
    head.found = found != 0;
    return head;
}

std::optional<std::uint32_t> ReadListingEntries(CWireReader& reader, std::uint32_t count,
                                                rapi::CE_FIND_DATA* entries) {
    std::uint32_t kept = 0;
    for (std::uint32_t i = 0; i < count; ++i) {
        bool entryKept = false;
        if (!GetFindEntry(reader, entries[kept], entryKept)) {
            return std::nullopt;
        }
        kept += entryKept ? 1 : 0;
    }
    return kept;
}

CWireWriter HelloRequest() {
    CWireWriter hello(Op::Hello);
    hello.PutU32(kGreetingMagic);
    hello.PutU32(kProtocolVersion);
    return hello;
}

CWireWriter FindAllFilesRequest(std::u16string_view pattern, std::uint32_t flags) {
    CWireWriter request(Op::FindAllFiles);
    request.PutText(pattern);
    request.PutU32(flags);
    return request;
}

CWireWriter CreateFileRequest(std::u16string_view path, std::uint32_t access, std::uint32_t share,
                              std::uint32_t disposition, std::uint32_t attributes) {
    CWireWriter request(Op::CreateFile);
    request.PutText(path);
    request.PutU32(access);
    request.PutU32(share);
    request.PutU32(disposition);
    request.PutU32(attributes);
    return request;
}

CWireWriter ReadFileRequest(std::uint32_t handle, std::uint32_t size) {
    CWireWriter request(Op::ReadFile);
    request.PutU32(handle);
    request.PutU32(size);
    return request;
}

CWireWriter HandleRequest(Op op, std::uint32_t handle) {
    CWireWriter request(op);
    request.PutU32(handle);
    return request;
}

CWireWriter PathRequest(Op op, std::u16string_view path) {
    CWireWriter request(op);
    request.PutText(path);
    return request;
}

std::optional<std::uint32_t> GreetingAnswer(std::string_view reply) {
    CWireReader reader(reply);
    std::uint8_t op = 0;
    std::uint32_t answer = 0;
    if (!reader.GetU8(op) || op != static_cast<std::uint8_t>(Op::Hello) || !reader.GetU32(answer)) {
        return std::nullopt;
    }
    return answer;
}

std::optional<std::u16string> DevicePathArgument(const char16_t* path) {
    if (path == nullptr) {
        return std::nullopt;
    }
    std::u16string text;
    while (path[text.size()] != u'\0') {
        if (text.size() >= rapi::kCeMaxPath - 1) {
            return std::nullopt;
        }
        text.push_back(path[text.size()]);
    }
    return text;
}

}  // namespace kiro::wire
