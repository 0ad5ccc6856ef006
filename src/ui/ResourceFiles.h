#pragma once

#include <wx/bmpbndl.h>
#include <wx/iconbndl.h>

#include <memory>
#include <string_view>

class wxImageList;

namespace kiro {

// A picture of src/res/icons by its file name ("tb_go.svg"), drawn at `size` pixels
// by default and crisp at any scale. An unknown name gives an empty bundle.
wxBitmapBundle LoadSvgBundle(std::string_view fileName, int size);

// The 23 list pictures at 16 or 32 pixels ("list16_NN.svg", "list32_NN.svg"), in
// index order: the index of a picture is the kind code of the files it stands for.
std::unique_ptr<wxImageList> CreateListImages(int size);
inline constexpr int kListPictureCount = 23;

// The program's icon at the usual sizes.
wxIconBundle ProgramIcons();

// Puts every file of the help book at "memory:kiroconv/help/<name>" in the virtual
// file system (registering the memory handler once). Safe to call again.
void RegisterHelpBook();
inline constexpr const char* kHelpBookUrl = "memory:kiroconv/help/kiroconv.hhp";

}  // namespace kiro
