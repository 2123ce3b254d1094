# The Windows packages: a ZIP to unpack anywhere and an installer (NSIS) that registers the
# program under "App Paths", where start-up looks for its install folder.
#   cmake --build build-windows --target package
# Both hold kestrapolw.exe, kestrapol.exe, Kestrapol.ini, "DICOM Tables\" and README.txt side by
# side; the text files are those of cmake/windows_texts.cmake.
set(CPACK_GENERATOR "ZIP;NSIS")
set(CPACK_PACKAGE_NAME "Kestrapol")
set(CPACK_PACKAGE_VENDOR "Corvanthis")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Kestrapol: the DICOMDIR of a folder of DICOM files")
set(CPACK_PACKAGE_VERSION "${PROJECT_VERSION}.5")
set(CPACK_PACKAGE_FILE_NAME "Kestrapol-${PROJECT_VERSION}-Rev-5-win64")
set(CPACK_PACKAGE_INSTALL_DIRECTORY "Corvanthis\\\\Kestrapol")
# One name for every version, so that a later installer finds the earlier one.
set(CPACK_PACKAGE_INSTALL_REGISTRY_KEY "Kestrapol")
set(CPACK_STRIP_FILES TRUE)
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY OFF)  # the ZIP unpacks into the folder it is unpacked in
# The Start-menu entry "Kestrapol" opens the window, without a console.
set(CPACK_PACKAGE_EXECUTABLES "kestrapolw" "Kestrapol")
set(CPACK_NSIS_EXECUTABLES_DIRECTORY ".")

# A 64-bit installer for a 64-bit program: "Program Files" and the registry's own view.
# CPack hands makensis no argument with a blank inside, so the target and the version
# information come in the script, right after the header's settings: early enough for makensis.
# Its configuration keeps double quotes as they are: the script's strings take single quotes.
set(KESTRAPOL_NSIS_VERSION_KEYS "")
foreach(key_value
    "ProductName|Kestrapol" "CompanyName|Corvanthis" "FileDescription|Kestrapol installer"
    "FileVersion|${KESTRAPOL_VERSION_TEXT}" "ProductVersion|${KESTRAPOL_VERSION_TEXT}"
    "LegalCopyright|Corvanthis")
  string(REPLACE "|" ";" key_value "${key_value}")
  list(GET key_value 0 key)
  list(GET key_value 1 value)
  string(APPEND KESTRAPOL_NSIS_VERSION_KEYS "\n  VIAddVersionKey /LANG=1033 '${key}' '${value}'")
endforeach()
set(CPACK_NSIS_DEFINES "Target amd64-unicode
  VIProductVersion ${PROJECT_VERSION}.5.0
  VIFileVersion ${PROJECT_VERSION}.5.0${KESTRAPOL_NSIS_VERSION_KEYS}
  !define MUI_FINISHPAGE_RUN_TEXT 'Run Kestrapol'
  !include '${PROJECT_SOURCE_DIR}/cmake/windows_installer.nsh'")
set(CPACK_NSIS_INSTALL_ROOT "$PROGRAMFILES64")
set(CPACK_NSIS_DISPLAY_NAME "Kestrapol ${KESTRAPOL_VERSION_TEXT}")
set(CPACK_NSIS_PACKAGE_NAME "Kestrapol ${KESTRAPOL_VERSION_TEXT}")
set(CPACK_NSIS_MUI_ICON "${PROJECT_SOURCE_DIR}/app/main/windows/kestrapol.ico")
set(CPACK_NSIS_MUI_UNIICON "${PROJECT_SOURCE_DIR}/app/main/windows/kestrapol.ico")
set(CPACK_NSIS_INSTALLED_ICON_NAME "kestrapol.exe")
set(CPACK_NSIS_MUI_FINISHPAGE_RUN "kestrapolw.exe")
# The project ships no licence text: no licence page, rather than a placeholder.
set(CPACK_NSIS_IGNORE_LICENSE_PAGE ON)
# "Add to PATH" is offered on the options page, off unless chosen.
set(CPACK_NSIS_MODIFY_PATH ON)
# The earlier version is removed by the install section itself (Kestrapol_Remove_Earlier), which
# keeps an edited Kestrapol.ini and also clears the folder of an install elsewhere.
set(CPACK_NSIS_ENABLE_UNINSTALL_BEFORE_INSTALL OFF)
set(KESTRAPOL_APP_PATHS "Software\\\\Microsoft\\\\Windows\\\\CurrentVersion\\\\App Paths\\\\Kestrapol.exe")
set(CPACK_NSIS_EXTRA_PREINSTALL_COMMANDS "
  Call Kestrapol_Remove_Earlier")
set(CPACK_NSIS_EXTRA_INSTALL_COMMANDS "
  WriteRegStr HKLM '${KESTRAPOL_APP_PATHS}' '' '$INSTDIR\\\\kestrapol.exe'
  WriteRegStr HKLM '${KESTRAPOL_APP_PATHS}' 'Path' '$INSTDIR'
  Call Kestrapol_Restore_Configuration")
set(CPACK_NSIS_EXTRA_UNINSTALL_COMMANDS "
  DeleteRegKey HKLM '${KESTRAPOL_APP_PATHS}'
  Delete '$INSTDIR\\\\Kestrapol.ini.new'")
# After the product's own key is gone: the maker's key too, when nothing else is left in it.
set(CPACK_NSIS_DELETE_ICONS_EXTRA "
  DeleteRegKey /ifempty SHCTX 'Software\\\\Corvanthis'")
include(CPack)
