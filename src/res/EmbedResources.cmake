# Writes a C++ source that holds the bytes of resource files, for the program to use
# without any file beside it. Run as:
#   cmake -DRESOURCE_DIR=dir -DOUTPUT=file.cpp -DFILES="a;b/c" -P EmbedResources.cmake
# FILES are paths below RESOURCE_DIR; they are also the names the program looks up.
cmake_minimum_required(VERSION 3.25)

string(REPEAT "[0-9a-f][0-9a-f]" 32 line_of_bytes)
set(body "")
set(table "")
set(index 0)
foreach(name IN LISTS FILES)
    file(READ "${RESOURCE_DIR}/${name}" hex HEX)
    string(LENGTH "${hex}" hex_length)
    math(EXPR size "${hex_length} / 2")
    # 32 bytes a line, each byte as \xHH: the next character after an escape is always
    # a backslash or a quote, so no escape runs into the following byte.
    string(REGEX REPLACE "(${line_of_bytes})" "\\1\n" hex "${hex}")
    string(REGEX REPLACE "([0-9a-f][0-9a-f])" "\\\\x\\1" escaped "${hex}")
    string(REGEX REPLACE "\n$" "" escaped "${escaped}")
    string(REPLACE "\n" "\"\n    \"" escaped "${escaped}")
    string(APPEND body "constexpr char kData${index}[] =\n    \"${escaped}\";\n\n")
    string(APPEND table "    {\"${name}\", std::string_view(kData${index}, ${size})},\n")
    math(EXPR index "${index} + 1")
endforeach()

set(source "// Generated from the files of src/res; do not edit.
#include \"res/EmbeddedResources.h\"

#include <algorithm>
#include <array>

namespace kiro {

namespace {

${body}constexpr std::array<EmbeddedResource, ${index}> kResources{{
${table}}};

}  // namespace

std::span<const EmbeddedResource> EmbeddedResources() {
    return kResources;
}

const std::string_view* FindEmbeddedResource(std::string_view name) {
    const auto found = std::find_if(kResources.begin(), kResources.end(),
                                    [name](const EmbeddedResource& r) { return r.name == name; });
    return found == kResources.end() ? nullptr : &found->bytes;
}

}  // namespace kiro
")

# Rewrite only on change, so that an unchanged resource set does not rebuild.
if(EXISTS "${OUTPUT}")
    file(READ "${OUTPUT}" previous)
    if(previous STREQUAL source)
        return()
    endif()
endif()
file(WRITE "${OUTPUT}" "${source}")
