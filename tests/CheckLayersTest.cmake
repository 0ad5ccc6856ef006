# Shows that CheckLayers.cmake catches each kind of include against the layers, and
# passes a tree that keeps them. Run as:
#   cmake -DCHECKER=.../CheckLayers.cmake -DWORK_DIR=... -P CheckLayersTest.cmake
cmake_minimum_required(VERSION 3.20)

# Writes a tree of files, each "PATH: INCLUDED" pair one file with one include line.
function(write_tree root)
    file(REMOVE_RECURSE ${root})
    foreach(entry IN LISTS ARGN)
        string(REPLACE ": " ";" pair "${entry}")
        list(GET pair 0 path)
        list(GET pair 1 included)
        file(WRITE ${root}/${path} "#include ${included}\nint unused;\n")
    endforeach()
endfunction()

function(run_checker root result output)
    execute_process(COMMAND ${CMAKE_COMMAND} -DSOURCE_DIR=${root} -P ${CHECKER}
                    RESULT_VARIABLE code ERROR_VARIABLE error OUTPUT_QUIET)
    set(${result} ${code} PARENT_SCOPE)
    set(${output} "${error}" PARENT_SCOPE)
endfunction()

# Each case is one offending file; the checker must fail and name it.
set(cases
    "src/platform/Upward.h: \"devicelink/DeviceLink.h\""
    "src/seams/Upward.h: \"settings/Settings.h\""
    "src/devicelink/Sideways.cpp: \"log/ActivityLog.h\""
    "src/transfer/Sideways.cpp: \"plot/PlotLayout.h\""
    "src/conversion/Upward.cpp: \"transfer/TransferJob.h\""
    "src/render/Window.cpp: \"commands/CommandIds.h\""
    "src/plot/Toolkit.cpp: <wx/string.h>"
    "src/log/Tool.cpp: \"testdata/DeviceFileWriter.h\""
    "tools/cli/Window.cpp: \"ui/MainFrame.h\"")
set(failures "")
foreach(case IN LISTS cases)
    write_tree(${WORK_DIR}/case ${case})
    run_checker(${WORK_DIR}/case result output)
    string(REPLACE ": " ";" pair "${case}")
    list(GET pair 0 offender)
    if(result EQUAL 0 OR NOT output MATCHES "${offender}")
        list(APPEND failures "not caught: ${case}")
    endif()
endforeach()

# A tree that keeps the layers passes.
write_tree(${WORK_DIR}/clean
    "src/platform/Clock.h: \"seams/Clock.h\""
    "src/seams/RemoteApi.h: \"platform/rapi/RapiTypes.h\""
    "src/settings/Settings.cpp: \"seams/SettingsStore.h\""
    "src/conversion/ConvertFile.cpp: \"log/ActivityLog.h\""
    "src/transfer/TransferJob.cpp: \"conversion/ConvertFile.h\""
    "src/render/CairoPng.cpp: \"plot/PlotLayout.h\""
    "src/commands/CommandIds.h: \"conversion/OutputFormats.h\""
    "src/ui/MainFrame.cpp: \"commands/CommandIds.h\""
    "src/ui/MainFrame.h: <wx/frame.h>"
    "tools/cli/PlotCommand.cpp: \"render/PlotFiles.h\"")
run_checker(${WORK_DIR}/clean result output)
if(NOT result EQUAL 0)
    list(APPEND failures "a tree that keeps the layers was refused:\n${output}")
endif()

file(REMOVE_RECURSE ${WORK_DIR})
if(failures)
    list(JOIN failures "\n  " text)
    message(FATAL_ERROR "The layer check:\n  ${text}")
endif()
list(LENGTH cases count)
message(STATUS "The layer check caught all ${count} includes against the layers")
