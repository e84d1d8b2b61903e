; Nookvale installer: per user, no administrator rights.
; makensis -DVERSION=1.0.0 -DVERSION4=1.0.0.0 -DTARGET=amd64-unicode|x86-unicode
;          -DSTAGE=<folder with Nookvale.exe and Nookvale.mdb> -DOUTFILE=<setup.exe>
;
; The program keeps Main.ini, Nookvale.mdb and its temporary files beside its
; executable, so it goes into the user's own, writable
; %LOCALAPPDATA%\Programs\Nookvale rather than Program Files. Main.ini is the
; user's: it is never shipped, so an upgrade keeps it, and the uninstaller
; leaves it behind (and says so).

!ifndef VERSION | VERSION4 | TARGET | STAGE | OUTFILE
  !error "define VERSION, VERSION4, TARGET, STAGE and OUTFILE"
!endif

Target ${TARGET}
Unicode true
SetCompressor /SOLID lzma
RequestExecutionLevel user
ManifestDPIAware true

!define PRODUCT "Nookvale"
!define PUBLISHER "Nookvale developers"
!define UNINST_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Nookvale"

Name "${PRODUCT} ${VERSION}"
OutFile "${OUTFILE}"
InstallDir "$LOCALAPPDATA\Programs\Nookvale"
; An earlier install is upgraded where it is.
InstallDirRegKey HKCU "${UNINST_KEY}" "InstallLocation"
ShowInstDetails show
ShowUninstDetails show

VIProductVersion "${VERSION4}"
VIAddVersionKey /LANG=1033 "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=1033 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "CompanyName" "${PUBLISHER}"
VIAddVersionKey /LANG=1033 "FileDescription" "${PRODUCT} ${VERSION} setup"
VIAddVersionKey /LANG=1033 "LegalCopyright" "${PUBLISHER}"

!include "MUI2.nsh"
!include "FileFunc.nsh"

!define MUI_ICON "${NSISDIR}\Contrib\Graphics\Icons\modern-install.ico"
!define MUI_UNICON "${NSISDIR}\Contrib\Graphics\Icons\modern-uninstall.ico"
!define MUI_FINISHPAGE_RUN "$INSTDIR\Nookvale.exe"
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

; A running Nookvale holds the semaphore "Nookvale" and its files open: ask
; the user to exit it first. Silent runs cannot ask, so they fail (exit 3)
; rather than replace or remove files in use.
!macro WaitUntilNotRunning un
Function ${un}WaitUntilNotRunning
  retry:
    System::Call 'kernel32::OpenSemaphoreW(i 0x00100000, i 0, w "Nookvale") p.r0'
    ${If} $0 P<> 0
      System::Call 'kernel32::CloseHandle(p r0)'
      MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION \
        "Nookvale is running.$\r$\n$\r$\nPlease exit Nookvale (Exit Program), then press Retry." \
        /SD IDCANCEL IDRETRY retry
      SetErrorLevel 3
      Quit
    ${EndIf}
FunctionEnd
!macroend
!insertmacro WaitUntilNotRunning ""
!insertmacro WaitUntilNotRunning "un."

Function .onInit
  SetShellVarContext current
  Call WaitUntilNotRunning
FunctionEnd

Function un.onInit
  SetShellVarContext current
  Call un.WaitUntilNotRunning
FunctionEnd

Section "Nookvale" SecMain
  SectionIn RO
  SetOutPath "$INSTDIR"
  SetOverwrite on
  File "${STAGE}\Nookvale.exe"
  ; The settings database may hold the user's hotkeys: an upgrade keeps it.
  SetOverwrite off
  File "${STAGE}\Nookvale.mdb"
  SetOverwrite on

  WriteUninstaller "$INSTDIR\Uninstall.exe"
  CreateShortCut "$SMPROGRAMS\Nookvale.lnk" "$INSTDIR\Nookvale.exe" "" "$INSTDIR\Nookvale.exe" 0

  WriteRegStr HKCU "${UNINST_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr HKCU "${UNINST_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKCU "${UNINST_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr HKCU "${UNINST_KEY}" "DisplayIcon" "$INSTDIR\Nookvale.exe,0"
  WriteRegStr HKCU "${UNINST_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKCU "${UNINST_KEY}" "UninstallString" '"$INSTDIR\Uninstall.exe"'
  WriteRegStr HKCU "${UNINST_KEY}" "QuietUninstallString" '"$INSTDIR\Uninstall.exe" /S'
  WriteRegDWORD HKCU "${UNINST_KEY}" "NoModify" 1
  WriteRegDWORD HKCU "${UNINST_KEY}" "NoRepair" 1
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  WriteRegDWORD HKCU "${UNINST_KEY}" "EstimatedSize" "$0"
SectionEnd

Section "Uninstall"
  Delete "$INSTDIR\Nookvale.exe"
  Delete "$INSTDIR\Nookvale.mdb"
  ; The program's temporary files of the notebook's export and import.
  Delete "$INSTDIR\EncryptedFile.txt"
  Delete "$INSTDIR\DecryptedFile.txt"
  Delete "$SMPROGRAMS\Nookvale.lnk"
  DeleteRegKey HKCU "${UNINST_KEY}"
  Delete "$INSTDIR\Uninstall.exe"
  ; Removed only when empty: Main.ini and anything the user put there stay.
  RMDir "$INSTDIR"
  IfFileExists "$INSTDIR\Main.ini" 0 done
    DetailPrint "Kept your settings: $INSTDIR\Main.ini"
    MessageBox MB_OK|MB_ICONINFORMATION \
      "Nookvale was removed.$\r$\n$\r$\nYour settings file Main.ini was kept in$\r$\n$INSTDIR" /SD IDOK
  done:
SectionEnd
