' methods.vbs DATA-DIR EXPECTED... -- every string and file member of the
' control through CreateObject and late binding, against known values; the
' file checksums were computed by independent tools (md5sum, sha1sum,
' sha256sum, rhash) and come as arguments: abc.txt holds "abc", nine.txt
' "123456789".
Option Explicit
Dim args, dir, o, passed, failed
Set args = WScript.Arguments
dir = args(0)
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
Check "ControlName", o.ControlName, "TVK Checksum OCX 2.7.0"
Check "ControlName again", o.ControlName(), "TVK Checksum OCX 2.7.0"

Check "CRC32String 123456789", o.CRC32String("123456789", 9), "cbf43926"
Check "CRC32String abc", o.CRC32String("abc", 3), "352441c2"
Check "TVK32String abc", o.TVK32String("abc", 3), "b5cf4a26"
Check "MD5_32String abc", o.MD5_32String("abc", 3), "90015098"
Check "MD5String abc", o.MD5String("abc", 3), "900150983cd24fb0d6963f7d28e17f72"
Check "MD5String empty", o.MD5String("", 0), "d41d8cd98f00b204e9800998ecf8427e"
Check "SHA1String abc", o.SHA1String("abc", 3), "a9993e364706816aba3e25717850c26c9cd0d89d"
Check "SHA256String abc", o.SHA256String("abc", 3), _
    "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"
Check "Adler32String Wikipedia", o.Adler32String("Wikipedia", 9), "11e60398"
Check "Adler32String abc", o.Adler32String("abc", 3), "024d0127"
Check "MD5String of the first byte", o.MD5String("abc", 1), "0cc175b9c0f1b6a831c399e269772661"

Check "CRC32File", o.CRC32File(dir & "\nine.txt"), args(1)
Check "MD5File", o.MD5File(dir & "\abc.txt"), args(2)
Check "SHA1File", o.SHA1File(dir & "\abc.txt"), args(3)
Check "SHA256File", o.SHA256File(dir & "\abc.txt"), args(4)
Check "MD5_32file", o.MD5_32file(dir & "\abc.txt"), Left(args(2), 8)
Check "TVK32file", o.TVK32file(dir & "\abc.txt"), "b5cf4a26"
Check "Adler32file", o.Adler32file(dir & "\abc.txt"), "024d0127"
Check "MD5File of an empty file", o.MD5File(dir & "\empty.txt"), "d41d8cd98f00b204e9800998ecf8427e"
Check "MD5File of a missing file", o.MD5File(dir & "\missing.txt"), ""

Check "PauseExecution is empty", IsEmpty(o.PauseExecution()), True
Check "ResumeExecution is empty", IsEmpty(o.ResumeExecution()), True
Check "CancelExecution is empty", IsEmpty(o.CancelExecution()), True

Set o = Nothing
WScript.Echo passed & " passed, " & failed & " failed"
WScript.Quit failed
