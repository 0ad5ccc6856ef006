#pragma once

#include <string_view>

#include "readers/ReadingData.h"

namespace kiro {

// True when the text begins with a JCAMP-DX label ("##TITLE=" in the files we write).
bool LooksLikeJcamp(std::string_view text);

// A JCAMP-DX file in the form `convert` writes: one block with ##TITLE first, x in
// nanometres, ##NPOINTS, the points as ##XYPOINTS=(XY..XY) with one "x, y" pair per line
// ("?" for a value that is no number), ##END last. ##XFACTOR and ##YFACTOR apply; the
// program's own $ labels give the acquisition settings and the calibration. A value may go
// on over further lines; "$$" starts a comment. Compressed ##XYDATA, peak tables and
// compound files are refused by name, and so is a file whose ##NPOINTS, ##FIRSTX or
// ##LASTX disagree with its points (a file cut short or damaged).
SpectrumReading ReadJcamp(std::string_view text);

}  // namespace kiro
