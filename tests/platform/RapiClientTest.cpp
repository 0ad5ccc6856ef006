#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstring>
#include <functional>
#include <thread>
#include <vector>

#include "devicelink/ConnectionTexts.h"
#include "devicelink/DeviceLink.h"
#include "devicelink/MemoryControls.h"
#include "devicelink/RapiRemoteApi.h"
#include "platform/rapi/Rapi.h"
#include "platform/rapi/RapiClient.h"
#include "platform/rapi/RapiConstants.h"
#include "platform/rapi/WireCodec.h"
#include "sim/SimProcess.h"
#include "support/Fakes.h"
#include "support/TempDir.h"

namespace kiro::rapi {
namespace {

using wire::CWireWriter;
using wire::Op;

// A handheld that greets the client and then answers every request with the bytes
// the test gives it, however wrong they are.
class CHostileHandheld {
public:
    explicit CHostileHandheld(std::function<std::string(const std::string&)> answer)
        : m_answer(std::move(answer)), m_socket(m_dir / "hostile.sock") {
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        std::strncpy(address.sun_path, m_socket.c_str(), sizeof address.sun_path - 1);
        m_listen = ::socket(AF_UNIX, SOCK_STREAM, 0);
        ::bind(m_listen, reinterpret_cast<sockaddr*>(&address), sizeof address);
        ::listen(m_listen, 1);
        m_thread = std::thread([this] { Serve(); });
    }
    ~CHostileHandheld() {
        ::shutdown(m_listen, SHUT_RDWR);
        ::close(m_listen);
        m_thread.join();
    }
    const std::string& SocketPath() const { return m_socket; }

private:
    void Serve() {
        const int fd = ::accept(m_listen, nullptr, nullptr);
        if (fd < 0) {
            return;
        }
        std::string request;
        if (wire::ReceiveFrame(fd, request, 5000) == wire::FrameStatus::Ok) {
            CWireWriter hello(Op::Hello);
            hello.PutU32(0);
            hello.PutU32(wire::kProtocolVersion);
            wire::SendFrame(fd, hello.Bytes());
        }
        while (wire::ReceiveFrame(fd, request, 5000) == wire::FrameStatus::Ok) {
            const std::string reply = m_answer(request);
            if (reply.empty() || !wire::SendFrame(fd, reply)) {
                break;
            }
        }
        ::close(fd);
    }

    std::function<std::string(const std::string&)> m_answer;
    test::CTempDir m_dir;
    std::string m_socket;
    int m_listen = -1;
    std::thread m_thread;
};

std::string ListingReply(std::uint32_t count, const std::vector<std::u16string>& names) {
    CWireWriter reply(Op::FindAllFiles);
    reply.PutU32(1);
    reply.PutU32(count);
    for (const std::u16string& name : names) {
        for (int i = 0; i < 5; ++i) {
            reply.PutU32(0);
        }
        reply.PutText(name);
    }
    return reply.Bytes();
}

// A reply to the request's operation whose first field is `first`.
std::string Reply(const std::string& request, std::uint32_t first) {
    CWireWriter reply(static_cast<Op>(request[0]));
    reply.PutU32(first);
    return reply.Bytes();
}

bool Connect() {
    RAPIINIT init{kRapiInitRecordSize, nullptr, S_OK};
    return CeRapiInitEx(&init) == S_OK &&
           WaitForSingleObject(init.heRapiInit, 2000) == WAIT_OBJECT_0;
}

// A listing whose count cannot be true, or whose name runs past the frame, is refused
// whole and breaks the connection.
TEST(RapiClient, RefusesImpossibleListings) {
    const std::string pastTheEnd = ListingReply(1, {u"abc"});
    for (const std::string& listing :
         {ListingReply(0xFFFFFFFFu, {u"a"}), pastTheEnd.substr(0, pastTheEnd.size() - 2)}) {
        CHostileHandheld handheld([&listing](const std::string&) { return listing; });
        test::CSocketEnvironment environment(handheld.SocketPath());
        ASSERT_TRUE(Connect());
        DWORD count = 7;
        CE_FIND_DATA* entries = nullptr;
        EXPECT_EQ(CeFindAllFiles(u"\\*", 0xA9, &count, &entries), FALSE);
        EXPECT_EQ(count, 0u);
        EXPECT_EQ(entries, nullptr);
        EXPECT_EQ(LastConnectionProblem(), "the handheld's reply was malformed");
        EXPECT_TRUE(IsConnectionLost());
        EXPECT_EQ(CeFindAllFiles(u"\\*", 0xA9, &count, &entries), FALSE);
        CeRapiUninit();
        EXPECT_FALSE(IsConnectionLost()) << "given back, the API starts afresh";
    }
}

// A name longer than a device name can be costs only its own entry; the link tells how
// many were left out. A reply of the wrong operation is named malformed, not lost.
TEST(RapiClient, SkipsOverlongNamesAndNamesAMalformedReply) {
    const std::u16string tooLong(300, u'n');
    std::atomic<bool> wrongOperation{false};
    CHostileHandheld handheld([&](const std::string& request) {
        return wrongOperation ? Reply(request, 1).replace(0, 1, 1, char(Op::ReadFile))
                              : ListingReply(4, {u"a.scope_ks", tooLong, u"b.dark_ks", tooLong});
    });
    test::CSocketEnvironment environment(handheld.SocketPath());
    CRapiRemoteApi api;
    test::CRecordingMessageBox boxes;
    CDeviceLink link(api, boxes);
    ASSERT_EQ(link.Connect(), kConnectOk);
    CMemoryFileList list;
    const FolderListing listing = link.ListFolder(u"\\", list);
    ASSERT_EQ(list.GetItemCount(), 2);
    EXPECT_EQ(list.RowAt(0).columns[0], "a.scope_ks");
    EXPECT_EQ(list.RowAt(1).columns[0], "b.dark_ks");
    EXPECT_EQ(listing.skippedEntries, 2);
    EXPECT_TRUE(listing.Listed());
    EXPECT_FALSE(link.ConnectionLost());

    wrongOperation = true;
    link.FillFileList(u"\\", list);
    EXPECT_TRUE(link.ConnectionLost());
    const std::string told = ConnectionLostText(link.LossCause());
    EXPECT_NE(told.find("the handheld's reply was malformed"), std::string::npos) << told;
    EXPECT_EQ(told.find("lost"), std::string::npos) << told;
}

TEST(RapiClient, NeverTakesShortDataAfterAFailedReadForTheEndOfAFile) {
    CHostileHandheld handheld([](const std::string& request) {
        const Op op = static_cast<Op>(request[0]);
        if (op != Op::ReadFile) {
            return Reply(request, op == Op::CreateFile ? 5 : 1);
        }
        CWireWriter failed(op);
        failed.PutU32(0);  // failed, after 100 bytes
        failed.PutBytes(std::string(100, 'r'));
        return failed.Bytes();
    });
    test::CSocketEnvironment environment(handheld.SocketPath());
    ASSERT_TRUE(Connect());
    HANDLE file = CeCreateFile(u"\\a.bin", GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                               FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    char buffer[4096];
    DWORD read = 99;
    EXPECT_EQ(CeReadFile(file, buffer, sizeof buffer, &read, nullptr), FALSE);
    EXPECT_EQ(read, 0u);
    EXPECT_EQ(CeReadFile(file, buffer, 10, &read, nullptr), FALSE);
    CeCloseHandle(file);
    CeRapiUninit();
}

// Refusals are ordinary answers; a short reply, a closed connection or silence past
// the time-out break the connection, and every later call then fails at once.
TEST(RapiClient, TellsABrokenConnectionFromARefusal) {
    std::atomic<int> requests{0};
    std::atomic<bool> refuse{true};
    CHostileHandheld handheld([&](const std::string& request) {
        ++requests;
        // A short reply is one byte short of its field.
        return refuse ? Reply(request, 0) : Reply(request, 0).substr(0, 4);
    });
    test::CSocketEnvironment environment(handheld.SocketPath());
    ASSERT_TRUE(Connect());
    const std::u16string longPath = u"\\" + std::u16string(300, u'x');
    EXPECT_EQ(CeDeleteFile(longPath.c_str()), FALSE);
    EXPECT_EQ(CeCreateDirectory(longPath.c_str(), nullptr), FALSE);
    EXPECT_EQ(requests, 0) << "a path too long never leaves the PC";
    EXPECT_EQ(CeDeleteFile(u"\\a.scope_ks"), FALSE);
    EXPECT_EQ(CeCreateDirectory(u"\\New", nullptr), FALSE);
    EXPECT_FALSE(IsConnectionLost()) << "a refusal is no loss";
    refuse = false;
    EXPECT_EQ(CeCreateFile(u"\\a.bin", GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr),
              INVALID_HANDLE_VALUE);
    EXPECT_TRUE(IsConnectionLost());
    EXPECT_EQ(CeRapiUninit(), S_OK);
    EXPECT_EQ(CeRapiUninit(), E_FAIL) << "nothing left to end";

    // A hung handheld: it answers long after the client has given up.
    CHostileHandheld hung([](const std::string& request) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1000));
        return Reply(request, 1);
    });
    test::CSocketEnvironment pointed(hung.SocketPath());
    CRapiClient::Instance().SetCallTimeoutMs(300);
    ASSERT_TRUE(Connect());
    auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(CeDeleteFile(u"\\a.scope_ks"), FALSE);
    const auto waited = std::chrono::steady_clock::now() - start;
    EXPECT_GE(waited, std::chrono::milliseconds(250));
    EXPECT_LT(waited, std::chrono::milliseconds(1000));
    EXPECT_TRUE(IsConnectionLost());
    EXPECT_NE(LastConnectionProblem().find("did not answer"), std::string::npos);
    start = std::chrono::steady_clock::now();
    DWORD count = 0;
    CE_FIND_DATA* entries = nullptr;
    EXPECT_EQ(CeFindAllFiles(u"\\*", 0xA9, &count, &entries), FALSE);
    EXPECT_EQ(CeDeleteFile(u"\\a.scope_ks"), FALSE);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(100))
        << "no second wait";
    CeRapiUninit();
    CRapiClient::Instance().SetCallTimeoutMs(CRapiClient::kCallTimeoutMs);
}

TEST(RapiClient, InitialisingTwiceIsRefused) {
    test::CTempDir nowhere;
    test::CSocketEnvironment environment(nowhere / "none.sock");
    RAPIINIT init{kRapiInitRecordSize, nullptr, S_OK};
    ASSERT_EQ(CeRapiInitEx(&init), S_OK);
    RAPIINIT again{kRapiInitRecordSize, nullptr, S_OK};
    EXPECT_EQ(CeRapiInitEx(&again), CERAPI_E_ALREADYINITIALIZED);
    EXPECT_EQ(WaitForSingleObject(init.heRapiInit, 100), WAIT_TIMEOUT);
    EXPECT_EQ(WaitForSingleObject(&again, 100), WAIT_FAILED);
    RAPIINIT small{4, nullptr, S_OK};
    EXPECT_EQ(CeRapiInitEx(&small), E_INVALIDARG);
    CeRapiUninit();
}

}  // namespace
}  // namespace kiro::rapi
