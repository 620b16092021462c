' sample.vbs -- the TVK Checksum control from VBScript.
' Register the control first (see README), then run:
'   cscript //nologo sample.vbs [file]
Option Explicit
Dim checksum, file
Set checksum = CreateObject("TVKChecksum270.TVKChecksum")
WScript.Echo checksum.ControlName
WScript.Echo "MD5 of ""abc"":     " & checksum.MD5String("abc", 3)
WScript.Echo "SHA-256 of ""abc"": " & checksum.SHA256String("abc", 3)
WScript.Echo "CRC-32 of ""123456789"": " & checksum.CRC32String("123456789", 9)
If WScript.Arguments.Count > 0 Then
    file = WScript.Arguments(0)
    WScript.Echo "SHA-1 of " & file & ": " & checksum.SHA1File(file)
End If
