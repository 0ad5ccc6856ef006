// kiroconv-cli.exe, cross-built for Windows and run under wine, beside the Linux build: the
// same spectra give the same bytes, and the handheld is reached through the remote API
// library that the program loads (here the tests' stand-in over the loopback network).
// Skipped unless KIROCONV_WINDOWS_BUILD names the Windows build (scripts/test-windows.sh).

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <limits>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "cli/RunProgram.h"
#include "sim/SimProcess.h"
#include "support/PngPictures.h"
#include "support/TempDir.h"
#include "testdata/DeviceFileWriter.h"
#include "windows/WineSupport.h"

namespace kiro {
namespace {

namespace fs = std::filesystem;
using test::ProgramResult;
using test::ReadFileBytes;
using test::WinePath;

// A fresh wine prefix starts slowly; a hang still fails the test.
constexpr std::chrono::milliseconds kWineLimit{180000};
const std::vector<std::string> kFormats = {"tab", "comma", "kirobench", "spc", "jcamp"};

std::string WindowsBuild() {
    const char* folder = std::getenv("KIROCONV_WINDOWS_BUILD");
    return folder == nullptr ? "" : folder;
}

std::string WithoutCarriageReturns(std::string text) {
    std::erase(text, '\r');
    return text;
}

class WindowsBuildTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (WindowsBuild().empty()) {
            GTEST_SKIP() << "no Windows build: scripts/test-windows.sh runs these tests";
        }
    }

    // A kiroconv-cli.exe under wine (the build's own unless `program` names another);
    // `library` puts the stand-in remote API library into the system folder, as the
    // device-sync software puts the real one.
    ProgramResult RunWindows(const std::vector<std::string>& args, bool library = true,
                             const std::string& linkFile = "", std::string program = "") const {
        if (program.empty()) {
            program = WindowsBuild() + "/tools/kiroconv-cli.exe";
        }
        std::vector<std::string> command = {program};
        command.insert(command.end(), args.begin(), args.end());
        std::vector<std::string> environment = {"WINEDEBUG=-all"};
        if (library) {
            test::InstallStandInLibrary(WindowsBuild());
        } else {
            test::RemoveStandInLibrary();
        }
        if (!linkFile.empty()) {
            environment.push_back("KIROSCAN_LINK_FILE=" + WinePath(linkFile));
        }
        return test::RunProgram("/usr/bin/wine", command, environment, kWineLimit);
    }

    static ProgramResult RunLinux(const std::vector<std::string>& args,
                                  const std::vector<std::string>& environment = {}) {
        return test::RunProgram(KIROCONV_CLI_PATH, args, environment, kWineLimit);
    }

    test::CTempDir dir;
};

// Spectra of every kind, with values that test the number formatting (NaN, infinities, the
// smallest and largest floats) and a name beyond ASCII; and a file that is no spectrum.
void WriteCorpus(const fs::path& folder) {
    fs::create_directories(folder);
    testdata::WriteSampleSpectra(folder);
    testdata::SpectrumFixture odd = testdata::MakeNoiseSpectrum(11);
    // Dark-corrected, so that values of either sign and every size come up.
    for (float& value : odd.values) {
        value -= 100.0f;
    }
    odd.values[0] = std::numeric_limits<float>::quiet_NaN();
    odd.values[1] = std::numeric_limits<float>::infinity();
    odd.values[2] = -std::numeric_limits<float>::infinity();
    odd.values[3] = std::numeric_limits<float>::denorm_min();
    odd.values[4] = std::numeric_limits<float>::max();
    odd.values[5] = -0.0f;
    odd.WriteTo(folder / "odd values.scope_ks");
    testdata::MakeAbsorbanceSpectrum(12).WriteTo(folder /
                                                 "Blatt \xC3\xA4\xE2\x82\xAC.absorbance_ks");
    test::WriteFileBytes(folder / "not a spectrum.scope_ks", std::string(8254, 'x'));
}

// What may differ between the two builds' outputs: the conversion date.
std::string WithoutConversionDate(const fs::path& file, std::string bytes) {
    const std::string name = file.filename().string();
    if (name.find(".Master.") != std::string::npos) {
        // The third line of a KiroBench file holds the date of conversion.
        std::size_t start = bytes.find("\r\n");
        start = start == std::string::npos ? start : bytes.find("\r\n", start + 2);
        const std::size_t end = start == std::string::npos ? start : bytes.find("\r\n", start + 2);
        if (end != std::string::npos) {
            bytes.replace(start + 2, end - start - 2, "DATE");
        }
    } else if (file.extension() == ".spc" && bytes.size() >= 36) {
        bytes.replace(32, 4, "DATE");  // the packed date of the header
    }
    return bytes;
}

// One log line without its time stamp: the date of "Log created", and the " on DAY, MONTH
// DD, YYYY, HH:MM:SS" that ends an entry.
std::string WithoutTimeStamp(const std::string& line) {
    if (line.starts_with("Log created ")) {
        return "Log created TIME";
    }
    const std::size_t on = line.rfind(" on ");
    if (on != std::string::npos && std::count(line.begin() + on, line.end(), ':') == 2) {
        return line.substr(0, on) + " on TIME";
    }
    return line;
}

// An activity log without its time stamps, with the PC folder named FOLDER and the
// platform's path separator after it made one.
std::string ComparableLog(std::string log, const std::string& linuxFolder,
                          const std::string& windowsFolder) {
    for (const std::string& folder : {windowsFolder + "\\", linuxFolder + "/"}) {
        for (std::size_t at = log.find(folder); at != std::string::npos; at = log.find(folder)) {
            log.replace(at, folder.size(), "FOLDER/");
        }
    }
    std::string comparable;
    for (std::size_t start = 0; start < log.size();) {
        const std::size_t end = std::min(log.find("\r\n", start), log.size());
        comparable += WithoutTimeStamp(log.substr(start, end - start)) + "\n";
        start = end + 2;
    }
    return comparable;
}

// Every file of both folders, byte for byte but for the conversion dates; the logs
// (which are in the folders) as ComparableLog makes them.
void ExpectSameFolders(const fs::path& linuxFolder, const fs::path& windowsFolder) {
    const std::vector<std::string> names = test::ListNames(linuxFolder);
    ASSERT_GT(names.size(), 3u);
    ASSERT_EQ(test::ListNames(windowsFolder), names);
    for (const std::string& name : names) {
        const std::string linuxBytes = ReadFileBytes(linuxFolder / name);
        const std::string windowsBytes = ReadFileBytes(windowsFolder / name);
        if (name.ends_with(".log")) {
            EXPECT_EQ(ComparableLog(windowsBytes, linuxFolder.string(), WinePath(windowsFolder)),
                      ComparableLog(linuxBytes, linuxFolder.string(), WinePath(windowsFolder)))
                << name;
        } else {
            EXPECT_EQ(WithoutConversionDate(name, windowsBytes),
                      WithoutConversionDate(name, linuxBytes))
                << name;
        }
    }
}

TEST_F(WindowsBuildTest, ConvertsACorpusInEveryFormatToTheLinuxBuildsBytes) {
    for (const std::string& format : kFormats) {
        SCOPED_TRACE(format);
        const fs::path onLinux = dir.Path() / "linux" / format;
        const fs::path onWindows = dir.Path() / "windows" / format;
        WriteCorpus(onLinux);
        WriteCorpus(onWindows);
        const ProgramResult linux =
            RunLinux({"convert", "--format", format, "--log", (onLinux / "activity.log").string(),
                      onLinux.string()});
        const ProgramResult windows =
            RunWindows({"convert", "--format", format, "--log",
                        WinePath(onWindows / "activity.log"), WinePath(onWindows)});
        EXPECT_EQ(windows.exitStatus, linux.exitStatus) << windows.err;
        EXPECT_EQ(linux.exitStatus, 1) << "the file that is no spectrum is reported";
        ExpectSameFolders(onLinux, onWindows);
    }
}

TEST_F(WindowsBuildTest, ListsCopiesMovesAndLogsThroughTheLoadedLibraryAsLinuxDoes) {
    // Two handhelds with the same files: one for each build.
    test::CSimProcess forLinux;
    const fs::path linkFile = dir.Path() / "link";
    test::CSimProcess forWindows({"--loopback-link", linkFile.string()});
    const std::string link = linkFile.string();
    const std::vector<std::string> linuxEnvironment = {forLinux.EnvironmentEntry()};
    const auto both = [&](const std::vector<std::string>& linuxArgs,
                          const std::vector<std::string>& windowsArgs) {
        const ProgramResult linux = RunLinux(linuxArgs, linuxEnvironment);
        const ProgramResult windows = RunWindows(windowsArgs, true, link);
        EXPECT_EQ(windows.exitStatus, linux.exitStatus) << windows.err;
        return std::pair(linux, windows);
    };

    const auto [linuxList, windowsList] =
        both({"ls", "-l", "/My Documents"}, {"ls", "-l", "/My Documents"});
    EXPECT_EQ(linuxList.exitStatus, 0);
    EXPECT_NE(linuxList.out.find("lamp.scope_ks"), std::string::npos);
    EXPECT_EQ(WithoutCarriageReturns(windowsList.out), linuxList.out);

    const fs::path onLinux = dir.Path() / "linux";
    const fs::path onWindows = dir.Path() / "windows";
    fs::create_directories(onLinux);
    fs::create_directories(onWindows);
    const auto transfer = [&](const std::string& action, const std::string& format,
                              const std::vector<std::string>& names) {
        const auto args = [&](const std::string& folder, const std::string& log) {
            std::vector<std::string> command = {"transfer", "-a", action, "-f",   format,
                                                "--log",    log,  "--to", folder, "/My Documents"};
            command.insert(command.end(), names.begin(), names.end());
            return command;
        };
        EXPECT_EQ(both(args(onLinux.string(), (onLinux / "activity.log").string()),
                       args(WinePath(onWindows), WinePath(onWindows / "activity.log")))
                      .first.exitStatus,
                  0);
    };
    transfer("copy-convert", "jcamp", {"lamp.scope_ks", "dark.dark_ks", "notes.txt"});
    transfer("move-convert", "spc", {"dye-mix.absorbance_ks", "leaf-01.sample_ks"});
    ExpectSameFolders(onLinux, onWindows);
    EXPECT_TRUE(fs::exists(onWindows / "leaf-01.scope.spc"));
    EXPECT_TRUE(fs::exists(onWindows / "lamp.scope.jdx"));

    // The moved files are gone from both handhelds, the copied ones are still there.
    const auto [linuxAfter, windowsAfter] = both({"ls", "/My Documents"}, {"ls", "/My Documents"});
    EXPECT_EQ(WithoutCarriageReturns(windowsAfter.out), linuxAfter.out);
    EXPECT_EQ(linuxAfter.out.find("dye-mix.absorbance_ks"), std::string::npos);
    EXPECT_NE(linuxAfter.out.find("lamp.scope_ks"), std::string::npos);
}

// Two moves with --existing replace of the same names into one folder at once: every
// measurement is on the PC, in the Recycle Bin (which wine keeps in the desktop's trash)
// or still on its handheld.
TEST_F(WindowsBuildTest, TwoReplacingMovesIntoOneFolderAtOnceLoseNothing) {
    constexpr int kFiles = 12;
    const fs::path target = dir.Path() / "target";
    const fs::path dataHome = dir.Path() / "data";
    fs::create_directories(target);
    std::vector<std::string> args = {WindowsBuild() + "/tools/kiroconv-cli.exe",
                                     "transfer",
                                     "--existing",
                                     "replace",
                                     "-a",
                                     "move",
                                     "--to",
                                     WinePath(target),
                                     "/"};
    std::vector<std::unique_ptr<test::CSimProcess>> handhelds;
    std::map<std::string, int> wanted;
    for (int h = 0; h < 2; ++h) {
        handhelds.push_back(std::make_unique<test::CSimProcess>(
            std::vector<std::string>{"--loopback-link",
                                     (dir.Path() / ("link" + std::to_string(h))).string()},
            false));
        for (int i = 0; i < kFiles; ++i) {
            const auto bytes = testdata::MakeLampSpectrum(static_cast<unsigned>(2 * i + h)).Bytes();
            const std::string name = "s" + std::to_string(i) + ".scope_ks";
            test::WriteFileBytes(handhelds.back()->Root() / name,
                                 std::string(bytes.begin(), bytes.end()));
            wanted[std::string(bytes.begin(), bytes.end())] = 0;
            if (h == 0) {
                args.push_back(name);
            }
        }
    }
    test::InstallStandInLibrary(WindowsBuild());
    // Wine makes its trash's folders on first use, and two programs doing so at once may
    // find no Recycle Bin; a desktop's trash exists before anything is replaced.
    fs::create_directories(dataHome / "Trash" / "files");
    fs::create_directories(dataHome / "Trash" / "info");
    {
        std::vector<std::unique_ptr<test::CRunningProgram>> moves;
        for (int h = 0; h < 2; ++h) {
            moves.push_back(std::make_unique<test::CRunningProgram>(
                "/usr/bin/wine", args,
                std::vector<std::string>{
                    "WINEDEBUG=-all", "XDG_DATA_HOME=" + dataHome.string(),
                    "KIROSCAN_LINK_FILE=" + WinePath(dir.Path() / ("link" + std::to_string(h)))}));
        }
        for (auto& move : moves) {
            std::string rest;
            move->Wait(rest, kWineLimit);
        }
    }
    // Each name was moved by one of them at least: the other replaced it, or kept its own.
    EXPECT_EQ(test::ListNames(target).size(), static_cast<std::size_t>(kFiles));
    EXPECT_FALSE(test::ListNames(dataHome / "Trash" / "files").empty()) << "nothing was replaced";
    for (const fs::path& folder :
         {target, handhelds[0]->Root(), handhelds[1]->Root(), dataHome / "Trash" / "files"}) {
        for (const std::string& name : test::ListNames(folder)) {
            const auto it = wanted.find(ReadFileBytes(folder / name));
            if (it != wanted.end()) {
                ++it->second;
            }
        }
    }
    EXPECT_EQ(std::count_if(wanted.begin(), wanted.end(),
                            [](const auto& entry) { return entry.second == 0; }),
              0)
        << "measurements lost";
}

// A rapi.dll beside the program is never loaded: only the system folder's counts.
TEST_F(WindowsBuildTest, WithoutTheLibraryItSaysWhatIsMissingAndStillConverts) {
    test::CSimProcess handheld({"--loopback-link", (dir.Path() / "link").string()});
    const fs::path planted = dir.Path() / "planted";
    fs::create_directories(planted);
    fs::copy_file(WindowsBuild() + "/tools/kiroconv-cli.exe", planted / "kiroconv-cli.exe");
    fs::copy_file(WindowsBuild() + "/tools/rapi-standin/rapi.dll", planted / "rapi.dll");
    const ProgramResult list = RunWindows({"ls", "/"}, false, (dir.Path() / "link").string(),
                                          (planted / "kiroconv-cli.exe").string());
    EXPECT_EQ(list.exitStatus, 1);
    EXPECT_NE(list.err.find("the device-sync software is not installed (rapi.dll was not found)"),
              std::string::npos)
        << list.err;

    testdata::MakeLampSpectrum().WriteTo(dir.Path() / "lamp.scope_ks");
    const ProgramResult convert =
        RunWindows({"convert", WinePath(dir.Path() / "lamp.scope_ks")}, false);
    EXPECT_EQ(convert.exitStatus, 0) << convert.err;
    EXPECT_TRUE(fs::exists(dir.Path() / "lamp.scope"));
}

// plot writes on Windows what it writes on Linux: the same SVG, byte for byte, and a PNG
// drawn by the toolkit whose curve lies where that SVG puts it; a name beyond ASCII too.
TEST_F(WindowsBuildTest, PlotsTheLinuxBuildsSvgAndAPngOfItsLayout) {
    const fs::path lamp = dir.Path() / "Lampe \xC3\xA4.scope_ks";
    testdata::MakeLampSpectrum().WriteTo(lamp.string());
    const ProgramResult linux =
        RunLinux({"plot", lamp.string(), "-o", dir / "linux.svg", "--size", "520x330"});
    ASSERT_EQ(linux.exitStatus, 0) << linux.err;
    for (const std::string picture : {"windows.svg", "windows.png"}) {
        const ProgramResult plot = RunWindows(
            {"plot", WinePath(lamp), "-o", WinePath(dir.Path() / picture), "--size", "520x330"},
            false);
        ASSERT_EQ(plot.exitStatus, 0) << plot.out << plot.err;
    }
    const std::string svg = ReadFileBytes(dir.Path() / "linux.svg");
    EXPECT_NE(svg.find(">Lampe \xC3\xA4.scope_ks: "), std::string::npos);
    EXPECT_EQ(ReadFileBytes(dir.Path() / "windows.svg"), svg);
    EXPECT_EQ(test::PngCurveMisplacement(ReadFileBytes(dir.Path() / "windows.png"), svg), "");
}

}  // namespace
}  // namespace kiro
