// kiroscan-sim: the emulated handheld. Serves a folder as the handheld's file
// system over a Unix-domain socket that only this user can open.
#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <CLI/CLI.hpp>
#include <cstdio>
#include <exception>
#include <filesystem>

#include "platform/DisplayText.h"
#include "platform/ProgramVersion.h"
#include "platform/rapi/SocketPlace.h"
#include "sim/DemoHandheld.h"
#include "sim/LoopbackLink.h"
#include "sim/SimServer.h"

namespace {

int g_wakeWrite = -1;

void OnStopSignal(int) {
    const char byte = 1;
    [[maybe_unused]] const ssize_t ignored = ::write(g_wakeWrite, &byte, 1);
}

struct Options {
    std::string root;
    std::string demo;
    std::string socket;
    bool verbose = false;
    bool fillOnly = false;
    kiro::sim::SimFaults faults;
    std::uint64_t failReadAfter = 0;
    std::uint64_t dropAfter = 0;
    std::string linkFile;
    std::uint16_t loopbackPort = 0;
};

void AddOptions(CLI::App& app, Options& o) {
    auto* root = app.add_option("--root", o.root, "Serve this folder as the handheld's \\");
    auto* demo = app.add_option("--demo", o.demo,
                                "Fill this folder with a realistic handheld (files already "
                                "there are kept), then serve it");
    root->excludes(demo);
    app.add_flag("--fill-only", o.fillOnly, "With --demo: fill the folder and exit");
    app.add_option("--socket", o.socket,
                   "Socket path (default: $KIROSCAN_SOCKET, else kiroscan.sock in a folder "
                   "only you may enter: $XDG_RUNTIME_DIR/kiroscan/, else /tmp/kiroscan-UID/)");
    app.add_flag("--verbose,-v", o.verbose, "Log every request on standard error");
    auto* link = app.add_option(
        "--loopback-link", o.linkFile,
        "Also listen on the loopback network, for the Windows build's tests under wine: write "
        "the port and a fresh secret into this file (readable by you alone); a client must "
        "present the secret first");
    app.add_option("--loopback-port", o.loopbackPort,
                   "With --loopback-link: this port (default: a free one)")
        ->needs(link);
    app.add_option("--refuse-delete", o.faults.refuseDeletePattern,
                   "Fault: refuse to delete files whose names match this glob")
        ->option_text("GLOB");
    app.add_option("--fail-read-after", o.failReadAfter,
                   "Fault: each opened file gives its first BYTES bytes, then its reads fail")
        ->option_text("BYTES");
    app.add_option("--drop-after", o.dropAfter,
                   "Fault: drop the connection after this many requests")
        ->option_text("REQUESTS");
    app.add_option("--greeting-delay", o.faults.greetingDelayMs,
                   "Fault: answer a client's greeting only after this many milliseconds")
        ->option_text("MS");
    app.footer(
        "Examples:\n"
        "  kiroscan-sim --demo /tmp/handheld          # fill and serve a demo handheld\n"
        "  kiroscan-sim --root ~/handheld --verbose\n"
        "  kiroscan-sim --root DIR --socket /tmp/h.sock --refuse-delete '*.log_ks'\n\n"
        "The manual: man kiroscan-sim");
    app.set_version_flag("--version", kiro::VersionText("kiroscan-sim"));
}

// A folder that cannot be made is the user's to fix: say which and why in a sentence.
bool FillDemoFolder(const std::string& folder) {
    try {
        kiro::sim::FillDemoHandheld(folder);
        return true;
    } catch (const std::filesystem::filesystem_error& e) {
        const std::string where = e.path1().empty() ? folder : e.path1().string();
        std::fprintf(stderr,
                     "kiroscan-sim: could not create the folder %s for the demo handheld: %s.\n",
                     kiro::EscapeControlCharacters(where).c_str(), e.code().message().c_str());
        return false;
    }
}

bool ServeLoopback(kiro::sim::CSimServer& server, const Options& o) {
    std::string error;
    const kiro::sim::LoopbackListener listener = kiro::sim::ListenOnLoopback(o.loopbackPort, error);
    const std::string secret = kiro::sim::MakeLinkSecret();
    if (listener.fd >= 0) {
        error = kiro::sim::WriteLinkFile(o.linkFile, listener.port, secret);
        server.ServeLoopback(listener.fd, secret, error.empty() ? o.linkFile : "");
    }
    if (!error.empty()) {
        std::fprintf(stderr, "kiroscan-sim: %s\n", kiro::EscapeControlCharacters(error).c_str());
        return false;
    }
    std::fprintf(stderr, "kiroscan-sim: also serving on 127.0.0.1:%u (secret in %s)\n",
                 static_cast<unsigned>(listener.port),
                 kiro::EscapeControlCharacters(o.linkFile).c_str());
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    CLI::App app{"kiroscan-sim: the emulated Kiro-SCAN handheld", "kiroscan-sim"};
    Options o;
    AddOptions(app, o);
    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& e) {
        return app.exit(e) == 0 ? 0 : 2;
    }
    if (o.root.empty() && o.demo.empty()) {
        std::fprintf(stderr, "kiroscan-sim: give --root DIR or --demo DIR\n");
        return 2;
    }
    if (o.failReadAfter > 0) {
        o.faults.failReadAfter = o.failReadAfter;
    }
    if (o.dropAfter > 0) {
        o.faults.dropAfterRequests = o.dropAfter;
    }
    try {
        if (!o.demo.empty()) {
            if (!FillDemoFolder(o.demo)) {
                return 1;
            }
            if (o.fillOnly) {
                return 0;
            }
        }
        const std::string rootPath = o.demo.empty() ? o.root : o.demo;
        if (!std::filesystem::is_directory(rootPath)) {
            std::fprintf(stderr, "kiroscan-sim: %s is not a folder\n", rootPath.c_str());
            return 1;
        }
        const kiro::sim::CSimFileSystem files(rootPath);
        kiro::sim::CSimServer server(files, o.faults, o.verbose ? stderr : nullptr);
        const kiro::wire::SocketPlace place = kiro::wire::DefaultSocketPlace();
        const std::string socketPath = o.socket.empty() ? place.path : o.socket;
        // The loopback door opens first: once the socket listens, the handheld is ready.
        if (!o.linkFile.empty() && !ServeLoopback(server, o)) {
            return 1;
        }
        std::string error = o.socket.empty() && !place.folder.empty()
                                ? kiro::wire::MakePrivateFolder(place.folder)
                                : "";
        if (!error.empty() || !server.Listen(socketPath, error)) {
            std::fprintf(stderr, "kiroscan-sim: %s\n", error.c_str());
            return 1;
        }
        int wake[2];
        if (::pipe2(wake, O_CLOEXEC) != 0) {
            return 1;
        }
        g_wakeWrite = wake[1];
        struct sigaction action {};
        action.sa_handler = OnStopSignal;
        sigaction(SIGINT, &action, nullptr);
        sigaction(SIGTERM, &action, nullptr);
        ::signal(SIGPIPE, SIG_IGN);
        std::fprintf(stderr, "kiroscan-sim: serving %s at %s\n", files.Root().c_str(),
                     socketPath.c_str());
        server.Run(wake[0]);
        std::fprintf(stderr, "kiroscan-sim: stopped\n");
    } catch (const std::exception& e) {
        std::fprintf(stderr, "kiroscan-sim: %s\n", e.what());
        return 1;
    }
    return 0;
}
