#include "platform/Trash.h"

#ifdef _WIN32
#include <windows.h>

// After windows.h, which it needs.
#include <shellapi.h>
#else
#include <gio/gio.h>
#endif

#include <cstdio>
#include <memory>

#include "platform/FileCalls.h"

namespace kiro {

#ifdef _WIN32

namespace {

std::string HexCode(unsigned long code) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%lX", code);
    return text;
}

}  // namespace

TrashOutcome MoveToTrash(const std::filesystem::path& path) {
    std::error_code error;
    const std::filesystem::path absolute = std::filesystem::absolute(path, error);
    if (error) {
        return {false, error.message()};
    }
    // The shell deletes for good, without a word, on a drive that has no Recycle Bin:
    // such a drive is refused before the shell is asked.
    const std::wstring root = absolute.root_path().wstring();
    SHQUERYRBINFO bin{};
    bin.cbSize = sizeof bin;
    if (FAILED(::SHQueryRecycleBinW(root.c_str(), &bin))) {
        return {false, "the drive " + Utf8FromPath(absolute.root_path()) + " has no Recycle Bin"};
    }
    // The shell takes a list of names, each ended by a NUL, the list by another.
    std::wstring names = absolute.wstring();
    names.push_back(L'\0');
    SHFILEOPSTRUCTW operation{};
    operation.wFunc = FO_DELETE;
    operation.pFrom = names.c_str();
    operation.fFlags = FOF_ALLOWUNDO | FOF_NOCONFIRMATION | FOF_NOERRORUI | FOF_SILENT;
    const int result = ::SHFileOperationW(&operation);
    if (result != 0 || operation.fAnyOperationsAborted) {
        return {false, "the Recycle Bin refused it (code " +
                           HexCode(static_cast<unsigned long>(result)) + ")"};
    }
    if (IdentityOf(path)) {
        return {false, "the Recycle Bin left it where it was"};
    }
    return {true, ""};
}

#else

namespace {

struct CObjectUnref {
    void operator()(gpointer object) const { g_object_unref(object); }
};

}  // namespace

TrashOutcome MoveToTrash(const std::filesystem::path& path) {
    const std::unique_ptr<GFile, CObjectUnref> file(g_file_new_for_path(path.c_str()));
    GError* error = nullptr;
    if (g_file_trash(file.get(), nullptr, &error)) {
        return {true, ""};
    }
    TrashOutcome outcome{false, error != nullptr ? error->message : "the trash refused it"};
    g_clear_error(&error);
    return outcome;
}

#endif

}  // namespace kiro
