' checksum_events.vbs -- a background job from VBScript, with progress and
' cancel: the events arrive through WScript.CreateObject's prefix ("tvk_" +
' event name); the job is cancelled when it passes 50 percent if a second
' argument "cancel" is given.
'   cscript //nologo checksum_events.vbs FILE [cancel]
Option Explicit
Dim tvk, file, cancel, done
file = WScript.Arguments(0)
cancel = WScript.Arguments.Count > 1

Set tvk = WScript.CreateObject("TVKChecksum270.TVKChecksum", "tvk_")
Sub tvk_Progress(Value)
    WScript.Echo "progress " & Value & "%"
    If cancel And Value >= 50 And Value < 100 Then tvk.CancelExecution
End Sub
Sub tvk_ErrorCode(Number, Description)
    WScript.Echo "error " & Number & ": " & Description
End Sub
Sub tvk_Finished(CheckSumString)
    ' An empty text after an ErrorCode event: the job was cancelled or failed.
    WScript.Echo "SHA-256 of the file: " & CheckSumString
    done = True
End Sub

' The events come from the control's timer: WScript.Sleep lets them in.
done = False
tvk.NewCheckSumFile "sha-256", file
Do Until done
    WScript.Sleep 100
Loop
