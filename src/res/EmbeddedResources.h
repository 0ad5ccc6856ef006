#pragma once

#include <span>
#include <string_view>

namespace kiro {

// The files of src/res, compiled into the program so that it runs from anywhere:
// the pictures (icons/...) and the help book (help/...). A resource is named by its
// path below src/res, e.g. "icons/tb_connect.svg" or "help/kiroconv.hhp".
//
// The desktop program also makes the help book readable through wxWidgets' virtual
// file system: RegisterHelpBook() (ui/ResourceFiles.h) puts every help/... file at
// "memory:kiroconv/help/...", so a help controller opens the book with
// AddBook("memory:kiroconv/help/kiroconv.hhp").
struct EmbeddedResource {
    std::string_view name;
    std::string_view bytes;
};

std::span<const EmbeddedResource> EmbeddedResources();

// The bytes of one resource, or null when there is none of that name.
const std::string_view* FindEmbeddedResource(std::string_view name);

}  // namespace kiro
