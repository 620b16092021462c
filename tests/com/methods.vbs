' methods.vbs DATA-DIR EXPECTED... -- every string and file member of the
' control through CreateObject and late binding, against known values; the
' file checksums were computed by independent tools (md5sum, sha1sum, sha512sum,
' sha384sum, sha256sum, rhash) and come as arguments: abc.txt holds "abc", nine.txt
' "123456789". Then the second interface's members.
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

' The second interface. Wine's VBScript has no ChrW and this prefix no
' MSXML or ADODB to make a Byte() array: the non-ASCII texts come as
' arguments (a lone surrogate is cut from a pair with Mid), and the Byte()
' forms are tested by the late-bound C++ client (interface2_test.cpp).
Dim cafe, emoji, nothingInIt
cafe = args(7)
emoji = args(8)
Check "SHA512String abc", o.SHA512String("abc", 3), _
    "ddaf35a193617abacc417349ae20413112e6fa4e89a97ea20a9eeee64b55d39a2192992a274fc1a836ba3c23a3feebbd454d4423643ce80e2a9ac94fa54ca49f"
Check "SHA384String abc", o.SHA384String("abc", 3), _
    "cb00753f45a35e8bb5a03d699ac65007272c32ab0eded1631a8b605a43ff5bed8086072ba1e7cc2358baeca134c825a7"
Check "SHA512File", o.SHA512File(dir & "\abc.txt"), args(5)
Check "SHA384File", o.SHA384File(dir & "\abc.txt"), args(6)
Check "HashFile sha-256", o.HashFile("SHA-256", dir & "\abc.txt"), args(4)
Check "HashFile sha-1 base64", o.HashFile("sha-1", dir & "\abc.txt", "base64"), "qZk+NkcGgWq6PiVxeFDCbJzQ2J0="
Check "HashData text as UTF-8", o.HashData("sha-256", cafe), _
    "850f7dc43910ff890f8879c0ed26fe697c93a067ad93a7d50f466a7028a9bf4e"
Check "HashData non-BMP text", o.HashData("sha-256", emoji), _
    "54532ee9c2041a7c08a7b5bcba5188fc95ee373b7d90213103fb2103e78130df"
Check "HashData lone surrogate", o.HashData("sha-256", "a" & Mid(emoji, 3, 1) & "b"), _
    "05087813392efc16fe8ff448920c6328e53af865df39419436659d9ffda90f7b"
Check "HMAC request signature", o.HMAC("sha-256", "secret", "GET" & vbLf & "/v1/items" & vbLf & _
    "1700000000", "base64"), "bOYLZRP4zrHEoyfG1SIPcLSdeesfPShqE5ILOs6z0ag="
Check "HMAC RFC 2202 MD5", o.HMAC("MD5", "Jefe", "what do ya want for nothing?"), _
    "750c783e6ab0b503eaa86e310a5db738"
Check "HashData Empty", o.HashData("sha-256", nothingInIt, "base64"), "47DEQpj8HBSa+/TImW+5JCeuQeRkm5NMpJWZG3hSuFU="
Check "HashData refuses a number", o.HashData("sha-256", 5), ""
Check "HashData refuses an encoding", o.HashData("sha-256", "abc", "base32"), ""
Check "HMAC refuses CRC-32", o.HMAC("crc32", "k", "abc"), ""

Set o = Nothing
WScript.Echo passed & " passed, " & failed & " failed"
WScript.Quit failed
