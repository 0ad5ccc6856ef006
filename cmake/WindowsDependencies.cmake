enable_language(RC)
# The header-only and source-only dependencies of the Windows cross-build, taken from
# the build machine's Debian packages (libcli11-dev, googletest): mingw-w64 has no
# packages of its own for them.
set(kiroconv_host_headers ${CMAKE_BINARY_DIR}/host-headers)
file(MAKE_DIRECTORY ${kiroconv_host_headers})
file(CREATE_LINK /usr/include/CLI ${kiroconv_host_headers}/CLI SYMBOLIC)
add_library(kiroconv_cli11 INTERFACE)
target_include_directories(kiroconv_cli11 SYSTEM INTERFACE ${kiroconv_host_headers})
add_library(CLI11::CLI11 ALIAS kiroconv_cli11)

set(gtest_disable_pthreads OFF CACHE BOOL "" FORCE)
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
# googletest names its own targets GTest::gtest and GTest::gtest_main.
add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)

# Every program is self-contained: no mingw runtime DLLs beside it.
add_link_options(-static)
# Built with its own flags: our warnings are for our code.
set_target_properties(gtest gtest_main PROPERTIES COMPILE_OPTIONS "")
