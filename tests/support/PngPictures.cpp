#include "support/PngPictures.h"

#include <cairo.h>

#include <cstdint>
#include <cstring>
#include <memory>

namespace kiro::test {

namespace {

struct Stream {
    const std::string* bytes;
    std::size_t at = 0;
};

cairo_status_t ReadBytes(void* closure, unsigned char* data, unsigned int length) {
    auto& stream = *static_cast<Stream*>(closure);
    if (stream.bytes->size() - stream.at < length) {
        return CAIRO_STATUS_READ_ERROR;
    }
    std::memcpy(data, stream.bytes->data() + stream.at, length);
    stream.at += length;
    return CAIRO_STATUS_SUCCESS;
}

}  // namespace

RgbPicture ReadPng(const std::string& bytes) {
    Stream stream{&bytes};
    const std::unique_ptr<cairo_surface_t, decltype(&cairo_surface_destroy)> surface(
        cairo_image_surface_create_from_png_stream(ReadBytes, &stream), cairo_surface_destroy);
    if (cairo_surface_status(surface.get()) != CAIRO_STATUS_SUCCESS) {
        return {};
    }
    cairo_surface_flush(surface.get());
    RgbPicture picture;
    picture.width = cairo_image_surface_get_width(surface.get());
    picture.height = cairo_image_surface_get_height(surface.get());
    const int stride = cairo_image_surface_get_stride(surface.get());
    const unsigned char* data = cairo_image_surface_get_data(surface.get());
    // Cairo keeps a pixel as a native-endian 32-bit 0xAARRGGBB; a picture without alpha is
    // opaque.
    for (int y = 0; y < picture.height; ++y) {
        for (int x = 0; x < picture.width; ++x) {
            std::uint32_t pixel = 0;
            std::memcpy(&pixel, data + y * stride + x * 4, 4);
            picture.rgb.push_back(static_cast<unsigned char>(pixel >> 16));
            picture.rgb.push_back(static_cast<unsigned char>(pixel >> 8));
            picture.rgb.push_back(static_cast<unsigned char>(pixel));
        }
    }
    return picture;
}

std::string PngCurveMisplacement(const std::string& png, const std::string& svg) {
    const RgbPicture picture = ReadPng(png);
    const std::string size = std::to_string(picture.width) + "x" + std::to_string(picture.height);
    const std::string expected =
        SvgAttribute(svg, "<svg", "width") + "x" + SvgAttribute(svg, "<svg", "height");
    if (size != expected) {
        return "a PNG of " + size + " pixels where the layout has " + expected;
    }
    std::vector<std::vector<PlotPoint>> runs;
    for (const SvgPolyline& line : SvgPolylines(svg)) {
        if (line.colour != "#1f77b4") {
            return "more than one curve: " + line.colour;
        }
        runs.push_back(line.points);
    }
    return CurveMisplacement(picture, runs, kPlotPalette[0],
                             SvgRect(svg, "<clipPath id=\"area\"><rect"));
}

}  // namespace kiro::test
