; The peer installer the benchmark measures setup.exe against: the same job, done the
; way an NSIS script does it. Uncompressed, so that both write the same bytes from
; their own file; silent with /S, otherwise it asks before installing, as setup.exe does.
;   makensis -DPAYLOAD=package -DOUTFILE=installer.exe tarnwick.nsi
!ifndef PAYLOAD | OUTFILE
  !error "makensis -DPAYLOAD=package -DOUTFILE=installer.exe tarnwick.nsi"
!endif

Unicode false
Name "Tarnwick update"
OutFile "${OUTFILE}"
SetCompress off
RequestExecutionLevel admin
ShowInstDetails nevershow

!include FileFunc.nsh
!include LogicLib.nsh

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Tarnwick"

Function .onInit
  ; The application is 64-bit on 64-bit Windows: its entry is in the native view.
  SetRegView 64
  ReadRegStr $0 HKLM "${UNINSTALL_KEY}" "UninstallString"
  ${If} $0 == ""
    SetErrorLevel 4
    Quit
  ${EndIf}
  ${GetParent} $0 $INSTDIR
  ${IfNot} ${FileExists} "$INSTDIR\Tarnwick.exe"
    SetErrorLevel 4
    Quit
  ${EndIf}
  ${IfNot} ${Silent}
    MessageBox MB_YESNO|MB_ICONQUESTION|MB_TOPMOST "Would you like to setup$\r$\nTarnwick update?" IDYES answered_yes
    ; "No" is a normal end, as for setup.exe; Quit alone would give exit code 2.
    SetErrorLevel 0
    Quit
    answered_yes:
  ${EndIf}
FunctionEnd

Section
  SetOutPath "$INSTDIR"
  ; SetOverwrite on (the default): an installed package is truncated and rewritten in place.
  File "/oname=tws.pak" "${PAYLOAD}"
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "EstimatedSize" $0
SectionEnd
