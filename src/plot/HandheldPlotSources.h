#pragma once

#include <vector>

#include "devicelink/DeviceLink.h"
#include "plot/PlotContent.h"
#include "seams/DeviceControls.h"

namespace kiro {

// The files selected in the handheld's file list, read into memory over the link (at
// most kMaxPreviewBytes each, the first kMaxOverlaidSpectra of them) for a preview.
// Nothing is written on the PC. A file that cannot be read carries its reason.
std::vector<PlotSource> ReadSelectedHandheldFiles(CDeviceLink& link, const IDeviceTree& tree,
                                                  const IFileList& list);

}  // namespace kiro
