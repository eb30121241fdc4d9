' The add-in as a user's VBScript reaches it: by ProgID, every member by name, variables by
' reference. Writes "ok: ..." or "FAILED: ..." a line to the file named by the first argument, and
' "end" when every check ran.
Option Explicit

Dim out
Set out = CreateObject("Scripting.FileSystemObject").CreateTextFile(WScript.Arguments(0), True)

Sub Check(what, got, expected)
  If got = expected Then
    out.WriteLine "ok: " & what
  Else
    out.WriteLine "FAILED: " & what & ": [" & got & "], expected [" & expected & "]"
  End If
End Sub

' An appointment that was never saved. Wine 8's VBScript classes answer no GetIDsOfNames, so the
' add-in cannot read this one and reports that in a message box of its own; the script still gets
' an empty status and no error (the JScript client sees the entry ID read).
Class NewAppointment
  Public EntryID
End Class

Class Ribbon
  Public Sub Invalidate()
  End Sub
End Class

Dim addin
Set addin = CreateObject("Fenmark.Connect")

Dim subject, clean
subject = " Re: Q3/figures? "
clean = addin.CleanFileName(subject)
Check "CleanFileName of a variable", clean, "Re Q3figures"
Check "the variable after CleanFileName", subject, " Re: Q3/figures? "
Check "CleanFileName of a literal", addin.cleanfilename("Budget (draft) *v2*"), "Budget (draft) v2"

Dim markup
markup = addin.LoadXml("RIBBONXML")
Check "LoadXML(""RIBBONXML"") starts", Left(markup, 38), "<?xml version=""1.0"" encoding=""utf-8""?>"
Check "LoadXML(""RIBBONXML"") ends", Right(markup, 2), vbCrLf
Check "LoadXML of an unknown name", addin.LoadXML("NOSUCHXML"), ""

Dim appointment
Set appointment = New NewAppointment
appointment.EntryID = ""
Check "GetTaskStatus of a never-saved appointment", addin.GetTaskStatus(appointment), ""

Dim ribbon
Set ribbon = New Ribbon
Check "glblObjRibbon before any", addin.glblObjRibbon Is Nothing, True
Set addin.glblObjRibbon = ribbon
Check "glblObjRibbon read back", addin.glblObjRibbon Is ribbon, True

On Error Resume Next
addin.NoSuchMember "x"
Check "an unknown member's error", Err.Number, 438
Err.Clear
On Error GoTo 0

out.WriteLine "end"
out.Close
