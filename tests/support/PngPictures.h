#pragma once

#include <string>

#include "support/PictureChecks.h"

namespace kiro::test {

// A PNG file's pixels, decoded with Cairo (Linux tests only); an empty picture when the
// bytes are no PNG.
RgbPicture ReadPng(const std::string& bytes);

// A PNG of one spectrum against the SVG of the same plot (which holds the layout): "" when
// the PNG has the SVG's size and its curve's pixels lie where the SVG's polylines run,
// otherwise what is wrong.
std::string PngCurveMisplacement(const std::string& png, const std::string& svg);

}  // namespace kiro::test
