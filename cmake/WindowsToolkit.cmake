# wxWidgets for Windows, prebuilt and unpacked by scripts/windows-toolkit.sh, reached
# through its own wx-config script: CMake's FindwxWidgets does not work when
# cross-compiling. Gives the interface target kiroconv_wx.
set(KIROCONV_WXMSW_ROOT "" CACHE PATH "The unpacked wxWidgets for Windows (scripts/windows-toolkit.sh prints it)")
if(NOT KIROCONV_WXMSW_ROOT)
    message(FATAL_ERROR "The window needs wxWidgets for Windows: configure with "
                        "-DKIROCONV_WXMSW_ROOT=$(scripts/windows-toolkit.sh), as scripts/build-windows.sh does")
endif()
file(GLOB wx_config_scripts "${KIROCONV_WXMSW_ROOT}/lib/wx/config/*-msw-unicode-static-3.2")
list(LENGTH wx_config_scripts wx_config_count)
if(NOT wx_config_count EQUAL 1)
    message(FATAL_ERROR "No wx-config of a static Unicode wxMSW 3.2 under ${KIROCONV_WXMSW_ROOT}")
endif()

# The tarball was made for /opt/wxmsw; --prefix points its paths at the cache instead.
function(kiroconv_wx_config output)
    execute_process(COMMAND sh ${wx_config_scripts} --prefix=${KIROCONV_WXMSW_ROOT} ${ARGN}
                    OUTPUT_VARIABLE text OUTPUT_STRIP_TRAILING_WHITESPACE
                    COMMAND_ERROR_IS_FATAL ANY)
    separate_arguments(words UNIX_COMMAND "${text}")
    set(${output} ${words} PARENT_SCOPE)
endfunction()
kiroconv_wx_config(wx_cxx_flags --cxxflags)
kiroconv_wx_config(wx_libs --libs aui,xrc,html,core,xml,base)

set(wx_include_dirs)
set(wx_definitions)
foreach(flag IN LISTS wx_cxx_flags)
    if(flag MATCHES "^-I(.*)")
        list(APPEND wx_include_dirs ${CMAKE_MATCH_1})
    elseif(flag MATCHES "^-D(.*)")
        list(APPEND wx_definitions ${CMAKE_MATCH_1})
    endif()
endforeach()
# The subsystem is each program's own: the window's is "windows", the tests' a console.
# The search path the tarball was built with does not exist here.
list(FILTER wx_libs EXCLUDE REGEX "^(-mwindows|-Wl,--subsystem,windows|-L/opt/.*)$")

add_library(kiroconv_wx INTERFACE)
target_include_directories(kiroconv_wx SYSTEM INTERFACE ${wx_include_dirs})
target_compile_definitions(kiroconv_wx INTERFACE ${wx_definitions})
target_link_libraries(kiroconv_wx INTERFACE ${wx_libs})
