# The text files of the Windows packages, written for Windows users with CRLF line ends:
# README.txt and the shipped Kestrapol.ini, whose comments name the folders a Windows user has.
# Sets KESTRAPOL_SHIPPED_INI.
set(KESTRAPOL_PACKAGE_NAME "Kestrapol-${PROJECT_VERSION}-Rev-5-win64")
configure_file(${PROJECT_SOURCE_DIR}/docs/README-windows.txt ${PROJECT_BINARY_DIR}/package/README.txt
               @ONLY NEWLINE_STYLE CRLF)
install(FILES ${PROJECT_BINARY_DIR}/package/README.txt DESTINATION .)

# The shipped Kestrapol.ini, its comments naming the folders a Windows user has.
file(READ ${PROJECT_SOURCE_DIR}/config/Kestrapol.ini kestrapol_ini)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/config/Kestrapol.ini)
function(kestrapol_ini_says from to)
  string(REPLACE "${from}" "${to}" kestrapol_ini "${kestrapol_ini}")
  set(kestrapol_ini "${kestrapol_ini}" PARENT_SCOPE)
endfunction()
kestrapol_ini_says("$APPDATA/Corvanthis/, or\n; $XDG_CONFIG_HOME/Corvanthis/, or ~/.config/Corvanthis/"
                   "%APPDATA%\\Corvanthis\\")
kestrapol_ini_says("kestrapol-<uid> in the system temporary folder, the user's own."
                   "kestrapol in the user's temporary folder, %TEMP%\\kestrapol\\.")
kestrapol_ini_says("scratch = /tmp/kestrapol/" "scratch = \"C:\\Logs\\Kestrapol\\\"")
kestrapol_ini_says("tables = \"/opt/Corvanthis/DICOM Tables/\""
                   "tables = \"C:\\Program Files\\Corvanthis\\Kestrapol\\DICOM Tables\\\"")
kestrapol_ini_says("\"DICOM Tables/\"" "\"DICOM Tables\\\"")
# A comment of the shipped file that still names a POSIX folder was changed without this list.
if(kestrapol_ini MATCHES "(/tmp|/opt|XDG|~/|\\$APPDATA)")
  message(FATAL_ERROR "config/Kestrapol.ini names a POSIX folder (${CMAKE_MATCH_1}) that the Windows packages would ship")
endif()
string(REPLACE "@" "@AT@" kestrapol_ini "${kestrapol_ini}")
set(AT "@")
file(WRITE ${PROJECT_BINARY_DIR}/package/Kestrapol.ini.in "${kestrapol_ini}")
configure_file(${PROJECT_BINARY_DIR}/package/Kestrapol.ini.in ${PROJECT_BINARY_DIR}/package/Kestrapol.ini
               @ONLY NEWLINE_STYLE CRLF)
set(KESTRAPOL_SHIPPED_INI ${PROJECT_BINARY_DIR}/package/Kestrapol.ini)

