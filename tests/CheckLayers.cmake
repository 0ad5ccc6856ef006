# Fails when an include runs against the layers of the code. Run as:
#   cmake -DSOURCE_DIR=... -P CheckLayers.cmake
#
# The layers of src/, lowest first; a file may include headers of its own folder and of
# lower layers, never of a higher layer nor of another folder of its own layer:
#   platform (rapi included) and seams, which use each other: the stand-ins for the system
#     and the interfaces that the engine's surroundings implement;
#   devicelink, log, settings;
#   conversion;
#   transfer, plot;
#   render;
#   commands, res: for the window only;
#   ui: the only folder that includes wx/ headers.
# tools/ may include anything below the window (not ui/, commands/, res/ or wx/), and
# src/ includes nothing of tools/.
cmake_minimum_required(VERSION 3.20)
set(layers
    "platform seams"
    "devicelink" "log" "settings"
    "conversion"
    "transfer" "plot"
    "render"
    "commands" "res"
    "ui")
# The rank of each layer: folders that share one may not include each other.
set(ranks 0 1 1 1 2 3 3 4 5 5 6)
set(tool_folders cli sim testdata)

set(index 0)
foreach(group IN LISTS layers)
    list(GET ranks ${index} rank)
    string(REPLACE " " ";" folders "${group}")
    foreach(folder IN LISTS folders)
        set(rank_${folder} ${rank})
        set(group_${folder} ${index})
    endforeach()
    math(EXPR index "${index} + 1")
endforeach()

file(GLOB_RECURSE sources RELATIVE ${SOURCE_DIR}
     ${SOURCE_DIR}/src/*.h ${SOURCE_DIR}/src/*.cpp ${SOURCE_DIR}/src/*.in
     ${SOURCE_DIR}/tools/*.h ${SOURCE_DIR}/tools/*.cpp)
set(offenders "")
foreach(source IN LISTS sources)
    string(REPLACE "/" ";" parts "${source}")
    list(GET parts 0 top)
    list(GET parts 1 folder)
    file(STRINGS ${SOURCE_DIR}/${source} lines REGEX "^[ \t]*#[ \t]*include[ \t]*[<\"]")
    foreach(line IN LISTS lines)
        string(REGEX REPLACE "^[ \t]*#[ \t]*include[ \t]*[<\"]([^/>\"]*).*" "\\1" included "${line}")
        set(why "")
        if(included STREQUAL "wx" AND NOT (top STREQUAL "src" AND folder STREQUAL "ui"))
            set(why "window code outside src/ui/")
        elseif(top STREQUAL "tools")
            if(included MATCHES "^(ui|commands|res)$")
                set(why "the tools use nothing of the window")
            endif()
        elseif(included IN_LIST tool_folders)
            set(why "src/ includes nothing of tools/")
        elseif(DEFINED rank_${included} AND DEFINED rank_${folder})
            if(NOT group_${included} EQUAL group_${folder}
               AND NOT rank_${included} LESS rank_${folder})
                set(why "${folder}/ may not include ${included}/, which is not below it")
            endif()
        endif()
        if(why)
            string(STRIP "${line}" shown)
            list(APPEND offenders "${source}: ${shown} (${why})")
        endif()
    endforeach()
endforeach()
if(offenders)
    list(JOIN offenders "\n  " text)
    message(FATAL_ERROR "Includes against the layers:\n  ${text}")
endif()
list(LENGTH sources count)
message(STATUS "${count} files of src/ and tools/ include only what their layer may")
