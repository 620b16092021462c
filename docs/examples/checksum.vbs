' checksum.vbs -- the TVK Checksum control from VBScript: the control's
' name, string checksums and file checksums.
'   cscript //nologo checksum.vbs FILE
Option Explicit
Dim tvk, file
file = WScript.Arguments(0)
Set tvk = CreateObject("TVKChecksum270.TVKChecksum")
WScript.Echo tvk.ControlName
' The second argument is the number of characters to checksum.
WScript.Echo "MD5 abc " & tvk.MD5String("abc", 3)
WScript.Echo "SHA-256 abc " & tvk.SHA256String("abc", 3)
WScript.Echo "CRC-32 file " & tvk.CRC32File(file)
WScript.Echo "MD5 file " & tvk.MD5File(file)
WScript.Echo "SHA-256 file " & tvk.SHA256File(file)
' An empty result means the file was refused (see the ErrorCode numbers).
