' missing_engine.vbs EXPECTED-PATH -- the control registered from a folder
' without tvkchecksum.dll: the first member that needs the engine raises
' run-time error 5003 with the full path; ControlName still works.
Option Explicit
Dim o, passed, failed, r
passed = 0
failed = 0

Sub Check(what, got, want)
    If got = want Then
        passed = passed + 1
        WScript.Echo "ok: " & what
    Else
        failed = failed + 1
        WScript.Echo "FAILED: " & what & ": got [" & got & "] want [" & want & "]"
    End If
End Sub

Set o = CreateObject("TVKChecksum270.TVKChecksum")
Check "ControlName without the engine", o.ControlName, "TVK Checksum OCX 2.7.0"

On Error Resume Next
r = o.MD5String("abc", 3)
Check "Err.Number", Err.Number, 5003
Check "Err.Description", Err.Description, "Error loading the required dll " & WScript.Arguments(0)
Err.Clear
r = o.SHA1File("C:\windows\win.ini")
Check "Err.Number of a file member", Err.Number, 5003
Err.Clear
On Error GoTo 0

WScript.Echo passed & " passed, " & failed & " failed"
WScript.Quit failed
