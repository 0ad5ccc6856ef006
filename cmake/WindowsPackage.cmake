# Installing on Windows: both programs in one folder with our licence, the licences of
# what is linked into them and a short README; the installer (CPack's NSIS generator,
# build-windows/kiroconv-VERSION-win64-setup.exe) and the zip of the same files
# (scripts/package-windows.sh). The tests' stand-in remote API library is never installed.

# Windows readers expect CR LF.
set(windows_texts ${CMAKE_BINARY_DIR}/windows-texts)
function(kiroconv_windows_text source name)
    file(READ ${source} text)
    string(REPLACE "\r\n" "\n" text "${text}")
    string(REPLACE "\n" "\r\n" text "${text}")
    file(WRITE ${windows_texts}/${name} "${text}")
endfunction()
kiroconv_windows_text(${PROJECT_SOURCE_DIR}/LICENSE LICENSE.txt)
kiroconv_windows_text(${PROJECT_SOURCE_DIR}/packaging/windows/README.txt README.txt)
set(wx_licences ${KIROCONV_WXMSW_ROOT}/share/doc/wxmsw)
foreach(licence IN ITEMS
        "/usr/share/doc/libcli11-dev/copyright=CLI11.txt"
        "/usr/share/doc/gcc-mingw-w64-base/copyright=gcc-runtime.txt"
        "/usr/share/doc/mingw-w64-x86-64-dev/copyright=mingw-w64-runtime.txt"
        "/usr/share/doc/libz-mingw-w64-dev/copyright=zlib.txt"
        "${wx_licences}/licence.txt=wxWidgets.txt"
        "${wx_licences}/licendoc.txt=wxWidgets-documentation.txt"
        "${wx_licences}/lgpl.txt=wxWidgets-lgpl.txt"
        "${wx_licences}/gpl.txt=wxWidgets-gpl.txt"
        "${wx_licences}/expat-COPYING=expat.txt"
        "${wx_licences}/libpng-LICENSE=libpng.txt")
    string(REGEX MATCH "^(.*)=(.*)$" ignored "${licence}")
    kiroconv_windows_text(${CMAKE_MATCH_1} licenses/${CMAKE_MATCH_2})
endforeach()

install(TARGETS kiroconv kiroconv-cli RUNTIME DESTINATION .)
install(FILES ${windows_texts}/LICENSE.txt ${windows_texts}/README.txt DESTINATION .)
install(DIRECTORY ${windows_texts}/licenses DESTINATION .)

# The spectrum kinds, as the Linux package's file types name them: each opens in KiroConv.
set(spectrum_extensions scope_ks absorbance_ks transmission_ks dark_ks reference_ks
                        background_ks backgrounddark_ks sample_ks)
set(prog_id "KiroConv.Spectrum")
set(classes "Software\\\\Classes")
string(CONCAT associate
    "WriteRegStr SHCTX '${classes}\\\\${prog_id}' '' 'Kiro-SCAN spectrum'\n"
    "WriteRegStr SHCTX '${classes}\\\\${prog_id}\\\\DefaultIcon' '' '$INSTDIR\\\\kiroconv.exe,0'\n"
    # CPack writes the value into CPackConfig.cmake without escaping its quotes.
    "WriteRegStr SHCTX '${classes}\\\\${prog_id}\\\\shell\\\\open\\\\command' '' '\\\"$INSTDIR\\\\kiroconv.exe\\\" \\\"%1\\\"'\n")
set(dissociate "")
foreach(extension IN LISTS spectrum_extensions)
    string(APPEND associate "WriteRegStr SHCTX '${classes}\\\\.${extension}' '' '${prog_id}'\n")
    # Only a kind that still opens in KiroConv is taken back.
    string(APPEND dissociate
        "ReadRegStr $0 SHCTX '${classes}\\\\.${extension}' ''\n"
        "StrCmp $0 '${prog_id}' 0 +2\n"
        "DeleteRegKey SHCTX '${classes}\\\\.${extension}'\n")
endforeach()
set(notify_shell "System::Call 'shell32::SHChangeNotify(i 0x08000000, i 0, p 0, p 0)'\n")
string(APPEND associate "${notify_shell}")
string(APPEND dissociate
    "DeleteRegKey SHCTX '${classes}\\\\${prog_id}'\n"
    # The folder the installer notes its place in; the settings under HKEY_CURRENT_USER
    # are the user's and stay.
    "DeleteRegKey SHCTX 'Software\\\\Corvane Tech Software\\\\KiroConv'\n"
    "DeleteRegKey /ifempty SHCTX 'Software\\\\Corvane Tech Software'\n"
    "${notify_shell}")

set(CPACK_GENERATOR NSIS)
set(CPACK_PACKAGE_NAME KiroConv)
set(CPACK_PACKAGE_VENDOR "Corvane Tech Software")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Kiro-SCAN File Conversion Utility")
set(CPACK_PACKAGE_FILE_NAME kiroconv-${PROJECT_VERSION}-win64-setup)
set(CPACK_PACKAGE_INSTALL_DIRECTORY KiroConv)
set(CPACK_PACKAGE_INSTALL_REGISTRY_KEY KiroConv)
set(CPACK_PACKAGE_EXECUTABLES kiroconv KiroConv)
set(CPACK_RESOURCE_FILE_LICENSE ${windows_texts}/LICENSE.txt)
set(CPACK_STRIP_FILES ON)
# NSIS builds 32-bit installers unless told otherwise; a 64-bit program goes under
# "Program Files", for every user of the machine.
set(CPACK_NSIS_EXECUTABLE ${PROJECT_SOURCE_DIR}/packaging/windows/makensis-amd64.sh)
set(CPACK_NSIS_INSTALL_ROOT "$PROGRAMFILES64")
set(CPACK_NSIS_PACKAGE_NAME KiroConv)
set(CPACK_NSIS_DISPLAY_NAME "KiroConv ${PROJECT_VERSION}")
set(CPACK_NSIS_MUI_ICON ${PROJECT_BINARY_DIR}/src/generated/kiroconv.ico)
set(CPACK_NSIS_MUI_UNIICON ${PROJECT_BINARY_DIR}/src/generated/kiroconv.ico)
set(CPACK_NSIS_INSTALLED_ICON_NAME kiroconv.exe)
set(CPACK_NSIS_ENABLE_UNINSTALL_BEFORE_INSTALL ON)
set(CPACK_NSIS_EXTRA_INSTALL_COMMANDS "${associate}")
set(CPACK_NSIS_EXTRA_UNINSTALL_COMMANDS "${dissociate}")
set(CPACK_SOURCE_GENERATOR "")
include(CPack)
