; Functions of the Kestrapol installer, included at the top of the installer's script.
;
; Installing over an earlier version: its Kestrapol.ini is set aside, the earlier version is
; removed wherever it was installed (its uninstaller and folder too, which an uninstaller run in
; place cannot remove itself), and after the new files are in, an ini that differs from the new
; one goes back in place, the new one beside it as Kestrapol.ini.new: a user's edits are never lost.

Var Kestrapol_Kept_Ini

Function Kestrapol_Remove_Earlier
  Push $0
  Push $1
  Push $2
  StrCpy $Kestrapol_Kept_Ini "$TEMP\Kestrapol.ini.kept"
  Delete $Kestrapol_Kept_Ini
  ReadRegStr $0 HKLM "Software\Microsoft\Windows\CurrentVersion\Uninstall\Kestrapol" "UninstallString"
  StrCmp $0 "" 0 found
  ; the key of the versions that named it with their version
  ReadRegStr $0 HKLM "Software\Microsoft\Windows\CurrentVersion\Uninstall\Kestrapol 1.0.5" "UninstallString"
  StrCmp $0 "" done
found:
  StrCpy $1 $0 1
  StrCmp $1 '"' 0 +2
    StrCpy $0 $0 "" 1
  StrCpy $1 $0 1 -1
  StrCmp $1 '"' 0 +2
    StrCpy $0 $0 -1
  StrLen $1 "\Uninstall.exe"
  StrCpy $2 $0 -$1
  IfFileExists "$2\Kestrapol.ini" 0 +2
    CopyFiles /SILENT "$2\Kestrapol.ini" $Kestrapol_Kept_Ini
  DetailPrint "Removing the earlier version in $2"
  ExecWait '"$0" /S _?=$2'
  Delete "$0"
  RMDir "$2"
done:
  Pop $2
  Pop $1
  Pop $0
FunctionEnd

Function Kestrapol_Restore_Configuration
  IfFileExists $Kestrapol_Kept_Ini 0 done
  Push $0
  Push $Kestrapol_Kept_Ini
  Push "$INSTDIR\Kestrapol.ini"
  Call Kestrapol_Files_Differ
  Pop $0
  StrCmp $0 "1" 0 same
    Delete "$INSTDIR\Kestrapol.ini.new"
    Rename "$INSTDIR\Kestrapol.ini" "$INSTDIR\Kestrapol.ini.new"
    CopyFiles /SILENT $Kestrapol_Kept_Ini "$INSTDIR\Kestrapol.ini"
    DetailPrint "Your Kestrapol.ini is kept; the new one is Kestrapol.ini.new beside it"
same:
  Delete $Kestrapol_Kept_Ini
  Pop $0
done:
FunctionEnd

; Takes two file names from the stack (the first pushed first); leaves 1 when their lines
; differ, else 0.
Function Kestrapol_Files_Differ
  Exch $1
  Exch
  Exch $0
  Push $2
  Push $3
  Push $4
  Push $5
  FileOpen $2 $0 r
  FileOpen $3 $1 r
  StrCpy $0 0
next:
  ClearErrors
  FileRead $2 $4
  IfErrors first_ended
  ClearErrors
  FileRead $3 $5
  IfErrors differ
  StrCmpS $4 $5 next differ
first_ended:
  ClearErrors
  FileRead $3 $5
  IfErrors compared
differ:
  StrCpy $0 1
compared:
  FileClose $2
  FileClose $3
  Pop $5
  Pop $4
  Pop $3
  Pop $2
  Exch
  Pop $1
  Exch $0
FunctionEnd
