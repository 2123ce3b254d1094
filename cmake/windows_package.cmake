# The Windows packages: a ZIP to unpack anywhere and an installer (NSIS) that registers the
# program under "App Paths", where start-up looks for its install folder.
#   cmake --build build-windows --target package
# Both hold kestrapol.exe, Kestrapol.ini, "DICOM Tables\" and README.txt side by side.
install(FILES ${PROJECT_SOURCE_DIR}/README.md DESTINATION . RENAME README.txt)

set(CPACK_GENERATOR "ZIP;NSIS")
set(CPACK_PACKAGE_NAME "Kestrapol")
set(CPACK_PACKAGE_VENDOR "Corvanthis")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Kestrapol: the DICOMDIR of a folder of DICOM files")
set(CPACK_PACKAGE_VERSION "${PROJECT_VERSION}.5")
set(CPACK_PACKAGE_FILE_NAME "Kestrapol-${PROJECT_VERSION}-Rev-5-win64")
set(CPACK_PACKAGE_INSTALL_DIRECTORY "Corvanthis")
set(CPACK_STRIP_FILES TRUE)
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY OFF)  # the ZIP unpacks into the folder it is unpacked in
set(CPACK_PACKAGE_EXECUTABLES "kestrapol" "Kestrapol")  # the Start-menu entry

# A 64-bit installer for a 64-bit program: "Program Files" and the registry's own view.
# CPack hands makensis no argument with a blank inside, so the target comes in the script, right
# after the header's settings: early enough for makensis.
set(CPACK_NSIS_DEFINES "Target amd64-unicode")
set(CPACK_NSIS_INSTALL_ROOT "$PROGRAMFILES64")
set(CPACK_NSIS_DISPLAY_NAME "Kestrapol 1.0 Rev-5")
set(CPACK_NSIS_PACKAGE_NAME "Kestrapol 1.0 Rev-5")
set(CPACK_NSIS_MUI_ICON "${PROJECT_SOURCE_DIR}/app/main/windows/kestrapol.ico")
set(CPACK_NSIS_INSTALLED_ICON_NAME "kestrapol.exe")
set(CPACK_NSIS_ENABLE_UNINSTALL_BEFORE_INSTALL ON)
set(KESTRAPOL_APP_PATHS "Software\\\\Microsoft\\\\Windows\\\\CurrentVersion\\\\App Paths\\\\Kestrapol.exe")
set(CPACK_NSIS_EXTRA_INSTALL_COMMANDS "
  WriteRegStr HKLM '${KESTRAPOL_APP_PATHS}' '' '$INSTDIR\\\\kestrapol.exe'
  WriteRegStr HKLM '${KESTRAPOL_APP_PATHS}' 'Path' '$INSTDIR'")
set(CPACK_NSIS_EXTRA_UNINSTALL_COMMANDS "
  DeleteRegKey HKLM '${KESTRAPOL_APP_PATHS}'")
include(CPack)
