// Writes the demo sample spectra into a folder: kiroconv-make-samples DIR
#include <cstdio>
#include <exception>
#include <filesystem>

#include "testdata/DeviceFileWriter.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: kiroconv-make-samples DIR\n");
        return 2;
    }
    try {
        std::filesystem::create_directories(argv[1]);
        for (const auto& name : kiro::testdata::WriteSampleSpectra(argv[1])) {
            std::printf("%s\n", name.c_str());
        }
    } catch (const std::exception& e) {
        std::fprintf(stderr, "kiroconv-make-samples: %s\n", e.what());
        return 1;
    }
    return 0;
}
