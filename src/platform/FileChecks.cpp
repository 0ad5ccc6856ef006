#include "platform/FileChecks.h"

#include <fcntl.h>

#include <string>

#include "platform/FileDescriptor.h"

namespace kiro {
namespace {

bool SameBytes(int first, int second) {
    constexpr std::size_t kBlock = 64 * 1024;
    std::string a(kBlock, '\0');
    std::string b(kBlock, '\0');
    for (;;) {
        const std::int64_t gotA = ReadFully(first, a.data(), kBlock);
        const std::int64_t gotB = ReadFully(second, b.data(), kBlock);
        if (gotA < 0 || gotA != gotB ||
            a.compare(0, static_cast<std::size_t>(gotA), b, 0, static_cast<std::size_t>(gotB)) !=
                0) {
            return false;
        }
        if (static_cast<std::size_t>(gotA) < kBlock) {
            return true;
        }
    }
}

}  // namespace

std::filesystem::path NumberedName(const std::filesystem::path& path, int number) {
    const std::string suffix = " (" + std::to_string(number) + ")";
    const std::filesystem::path name = path.filename();
    return path.parent_path() / (name.stem().string() + suffix + name.extension().string());
}

bool SameContents(const std::filesystem::path& first, const std::filesystem::path& second,
                  FileIdentity* secondIdentity) {
    const int flags = O_RDONLY | kOpenNoFollow | kOpenNonBlocking;
    const CFd a(OpenFile(first, flags));
    const CFd b(OpenFile(second, flags));
    std::optional<FileIdentity> infoA;
    std::optional<FileIdentity> infoB;
    if (a.Get() >= 0 && b.Get() >= 0) {
        infoA = IdentityOfOpenFile(a.Get());
        infoB = IdentityOfOpenFile(b.Get());
    }
    const bool opened = infoA && infoB;
    if (secondIdentity != nullptr) {
        // A link, say, is not opened; it is still the thing a replacement would replace.
        *secondIdentity = opened ? *infoB : IdentityOf(second).value_or(FileIdentity{});
    }
    if (!opened) {
        return false;
    }
    return infoA->regular && infoB->regular && infoA->size == infoB->size &&
           SameBytes(a.Get(), b.Get());
}

bool IsReadableFile(const std::filesystem::path& path) {
    const CFd file(OpenFile(path, O_RDONLY | kOpenNonBlocking));
    if (file.Get() < 0) {
        return false;
    }
    const std::optional<FileIdentity> info = IdentityOfOpenFile(file.Get());
    return info && !info->folder;
}

}  // namespace kiro
