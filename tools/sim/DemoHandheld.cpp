#include "sim/DemoHandheld.h"

#include <sys/stat.h>
#include <utime.h>

#include <cmath>
#include <ctime>
#include <fstream>
#include <string>

#include "testdata/DeviceFileWriter.h"

namespace kiro::sim {

namespace fs = std::filesystem;
using namespace kiro::testdata;

namespace {

// 5 December 2026, 09:00 UTC, and a minute later for each file after it.
constexpr std::time_t kFirstMeasurement = 1796461200;

void StampTime(const fs::path& path, int minutesLater) {
    utimbuf times{};
    times.actime = times.modtime = kFirstMeasurement + 60 * minutesLater + 7 * (minutesLater % 5);
    ::utime(path.c_str(), &times);
}

void WriteText(const fs::path& path, const std::string& text) {
    std::ofstream out(path, std::ios::binary);
    out << text;
}

void WriteSpectrum(const fs::path& path, const SpectrumFixture& fixture, int minute) {
    if (!fs::exists(path)) {
        fixture.WriteTo(path);
        StampTime(path, minute);
    }
}

void WriteOther(const fs::path& path, const std::string& text, int minute) {
    if (!fs::exists(path)) {
        WriteText(path, text);
        StampTime(path, minute);
    }
}

void FillDocuments(const fs::path& documents) {
    fs::create_directories(documents);
    WriteSpectrum(documents / "lamp.scope_ks", MakeLampSpectrum(), 0);
    WriteSpectrum(documents / "dark.dark_ks", MakeDarkSpectrum(), 2);
    WriteSpectrum(documents / "reference.reference_ks", MakeReferenceSpectrum(), 4);
    WriteSpectrum(documents / "dye-mix.absorbance_ks", MakeAbsorbanceSpectrum(), 6);
    WriteSpectrum(documents / "dye-mix.transmission_ks", MakeTransmissionSpectrum(), 7);
    WriteSpectrum(documents / "noise.scope_ks", MakeNoiseSpectrum(), 9);
    // Every spectrum converts to an output name of its own: background, background dark
    // and sample kinds all give ".scope".
    WriteSpectrum(documents / "cuvette.background_ks", MakeBackgroundSpectrum(11), 11);
    WriteSpectrum(documents / "cuvette-dark.backgrounddark_ks", MakeBackgroundDarkSpectrum(12), 12);
    WriteSpectrum(documents / "leaf-01.sample_ks", MakeSampleSpectrum(13, 1.0, 0.4), 14);
    WriteSpectrum(documents / "Leaf-02.sample_ks", MakeSampleSpectrum(14, 0.4, 0.7), 15);
    WriteOther(documents / "dye-mix.experiment_ks",
               "[Experiment]\r\nName=Dye mix\r\nReference=reference.reference_ks\r\n"
               "Dark=dark.dark_ks\r\n",
               16);
    WriteOther(documents / "session.log_ks", "09:00:00 power on\r\n09:14:03 saved 10 spectra\r\n",
               20);
    WriteOther(documents / "notes.txt", "Dye mix, 0.1 mM, 1 cm cuvette.\r\n", 21);
}

void FillSeries(const fs::path& series) {
    fs::create_directories(series);
    // The dye mix fading in the light, a minute apart.
    for (int i = 1; i <= 5; ++i) {
        const std::string name = "kinetics-" + std::to_string(i) + ".absorbance_ks";
        const double concentration = std::exp(-0.25 * (i - 1));
        WriteSpectrum(series / name,
                      MakeAbsorbanceSpectrum(100 + static_cast<unsigned>(i), concentration),
                      30 + i);
    }
}

void FillSystem(const fs::path& root) {
    const fs::path program = root / "Program Files" / "Kiro-SCAN";
    fs::create_directories(program);
    WriteOther(program / "KiroScan.exe", std::string("MZ") + std::string(4094, '\0'), -600);
    WriteOther(program / "kirodrv.dll", std::string("MZ") + std::string(2046, '\0'), -600);
    WriteOther(program / "absorbance.method_ks", "[Method]\r\nMode=Absorbance\r\n", -300);
    WriteOther(program / "factory.cal_ks", "[Calibration]\r\nIntercept=339.8271\r\n", -900);
    WriteOther(program / "selftest.diag_ks", "Self test passed\r\n", -10);
    WriteOther(program / "kiroscan.app_log_ks", "started\r\n", -5);
    const fs::path windows = root / "Windows";
    fs::create_directories(windows);
    WriteOther(windows / "startup.bmp", std::string("BM") + std::string(1022, '\x7f'), -1200);
    WriteOther(windows / "help.htm", "<html><body>Kiro-SCAN help</body></html>\r\n", -1200);
    WriteOther(windows / "alarm.wav", std::string("RIFF") + std::string(508, '\0'), -1200);
    WriteOther(root / "readme.html", "<html><body>Welcome</body></html>\r\n", -1300);
}

}  // namespace

void FillDemoHandheld(const fs::path& root) {
    fs::create_directories(root);
    FillDocuments(root / "My Documents");
    FillSeries(root / "My Documents" / "Series" / "2026-12-05");
    fs::create_directories(root / "My Documents" / "Empty");
    fs::create_directories(root / "Temp");
    FillSystem(root);
}

}  // namespace kiro::sim
