# Fails when a file of the engine (src/ outside src/ui/) or of tools/ includes a wx
# header or a ui/ header. Run as: cmake -DSOURCE_DIR=... -P CheckLayers.cmake
file(GLOB_RECURSE sources RELATIVE ${SOURCE_DIR}
     ${SOURCE_DIR}/src/*.h ${SOURCE_DIR}/src/*.cpp ${SOURCE_DIR}/src/*.in
     ${SOURCE_DIR}/tools/*.h ${SOURCE_DIR}/tools/*.cpp)
set(offenders "")
foreach(source IN LISTS sources)
    if(source MATCHES "^src/ui/")
        continue()
    endif()
    file(STRINGS ${SOURCE_DIR}/${source} lines REGEX "^[ \t]*#[ \t]*include[ \t]*[<\"](wx/|ui/)")
    foreach(line IN LISTS lines)
        list(APPEND offenders "${source}: ${line}")
    endforeach()
endforeach()
if(offenders)
    list(JOIN offenders "\n  " text)
    message(FATAL_ERROR "Window code outside src/ui/:\n  ${text}")
endif()
list(LENGTH sources count)
message(STATUS "${count} engine and tool files include no window code")
