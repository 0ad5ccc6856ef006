// kiroscan-sim: the emulated handheld. Serves a folder as the handheld's file
// system over a Unix-domain socket that only this user can open.
#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <CLI/CLI.hpp>
#include <cstdio>
#include <exception>
#include <filesystem>

#include "cli/UsageError.h"
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

// Every message names paths the user gave, shown with their control characters escaped.
void Report(const std::string& message) {
    std::fprintf(stderr, "kiroscan-sim: %s\n", kiro::EscapeControlCharacters(message).c_str());
}

void AddOptions(CLI::App& app, Options& o) {
    app.failure_message(kiro::cli::EscapedFailureMessage);
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
        Report("could not create the folder " + where +
               " for the demo handheld: " + e.code().message() + ".");
        return false;
    }
}

// The link file is claimed before the door opens, so that a link file in the way is judged
// stale only while no port of this run answers.
std::string OpenLoopbackDoor(kiro::sim::CSimServer& server, const Options& o, std::uint16_t& port) {
    const std::string secret = kiro::sim::MakeLinkSecret();
    if (secret.empty()) {
        return "no secret could be made for the loopback link";
    }
    std::string error;
    const int fd = kiro::sim::CreateLinkFile(o.linkFile, error);
    if (fd < 0) {
        return error;
    }
    kiro::sim::COwnFile linkFile = kiro::sim::COwnFile::Opened(o.linkFile, fd);
    const kiro::sim::LoopbackListener listener = kiro::sim::ListenOnLoopback(o.loopbackPort, error);
    if (listener.fd >= 0) {
        error = kiro::sim::WriteLinkFile(fd, o.linkFile, listener.port, secret);
    }
    ::close(fd);
    if (listener.fd >= 0) {
        server.ServeLoopback(listener.fd, secret, std::move(linkFile));
    }
    port = listener.port;
    return error;
}

bool ServeLoopback(kiro::sim::CSimServer& server, const Options& o) {
    std::uint16_t port = 0;
    const std::string error = OpenLoopbackDoor(server, o, port);
    if (!error.empty()) {
        Report(error);
        return false;
    }
    Report("also serving on 127.0.0.1:" + std::to_string(port) + " (secret in " + o.linkFile + ")");
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
        Report("give --root DIR or --demo DIR");
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
            Report(rootPath + " is not a folder");
            return 1;
        }
        const kiro::sim::CSimFileSystem files(rootPath);
        kiro::sim::CSimServer server(files, o.faults, o.verbose ? stderr : nullptr);
        const kiro::wire::SocketPlace place = kiro::wire::DefaultSocketPlace();
        const std::string socketPath = o.socket.empty() ? place.path : o.socket;
        // A stop asked for as soon as the socket listens must end the serving cleanly (its
        // socket removed), so the handlers are in place before anything listens.
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
        // The loopback door opens first: once the socket listens, the handheld is ready.
        if (!o.linkFile.empty() && !ServeLoopback(server, o)) {
            return 1;
        }
        std::string error = o.socket.empty() && !place.folder.empty()
                                ? kiro::wire::MakePrivateFolder(place.folder)
                                : "";
        if (!error.empty() || !server.Listen(socketPath, error)) {
            Report(error);
            return 1;
        }
        Report("serving " + files.Root().string() + " at " + socketPath);
        server.Run(wake[0]);
        Report("stopped");
    } catch (const std::exception& e) {
        Report(e.what());
        return 1;
    }
    return 0;
}
