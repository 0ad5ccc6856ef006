#include "ui/ResourceFiles.h"

#include <wx/filesys.h>
#include <wx/fs_mem.h>
#include <wx/imaglist.h>

#include <cstdio>
#include <string>

#include "res/EmbeddedResources.h"
#include "ui/WxText.h"

namespace kiro {

wxBitmapBundle LoadSvgBundle(std::string_view fileName, int size) {
    std::string name = "icons/";
    name += fileName;
    const std::string_view* bytes = FindEmbeddedResource(name);
    if (bytes == nullptr) {
        return wxBitmapBundle();
    }
    return wxBitmapBundle::FromSVG(reinterpret_cast<const wxByte*>(bytes->data()), bytes->size(),
                                   wxSize(size, size));
}

std::unique_ptr<wxImageList> CreateListImages(int size) {
    auto images = std::make_unique<wxImageList>(size, size, true, kListPictureCount);
    for (int index = 0; index < kListPictureCount; ++index) {
        char name[32];
        std::snprintf(name, sizeof name, "list%d_%02d.svg", size, index);
        images->Add(LoadSvgBundle(name, size).GetBitmap(wxSize(size, size)));
    }
    return images;
}

wxIconBundle ProgramIcons() {
    const wxBitmapBundle bundle = LoadSvgBundle("kiroconv.svg", 32);
    wxIconBundle icons;
    for (const int size : {16, 32, 48, 64}) {
        wxIcon icon;
        icon.CopyFromBitmap(bundle.GetBitmap(wxSize(size, size)));
        icons.AddIcon(icon);
    }
    return icons;
}

void RegisterHelpBook() {
    static bool registered = false;
    if (registered) {
        return;
    }
    registered = true;
    wxFileSystem::AddHandler(new wxMemoryFSHandler);
    constexpr std::string_view kHelpFolder = "help/";
    for (const EmbeddedResource& resource : EmbeddedResources()) {
        if (resource.name.starts_with(kHelpFolder)) {
            const wxString path = ToWx("kiroconv/" + std::string(resource.name));
            wxMemoryFSHandler::AddFile(path, resource.bytes.data(), resource.bytes.size());
        }
    }
}

}  // namespace kiro
