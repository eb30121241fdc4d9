' A client of the installed add-in that nobody here wrote: Wine's own script host, of either
' bitness, creates it by ProgID and writes to the file named by its argument what it answered.
Set out = CreateObject("Scripting.FileSystemObject").CreateTextFile(WScript.Arguments(0), True)
out.WriteLine "process: " & CreateObject("WScript.Shell").Environment("Process")("PROCESSOR_ARCHITECTURE")
On Error Resume Next
Set addin = CreateObject("Fenmark.Connect")
If Err.Number <> 0 Then
  out.WriteLine "CreateObject(""Fenmark.Connect""): error " & Hex(Err.Number)
  WScript.Quit 1
End If
out.WriteLine "CleanFileName: " & addin.CleanFileName("RE: Budget 2024 / Q3?")
out.WriteLine "LoadXML(""RIBBONXML""): " & Len(addin.LoadXML("RIBBONXML")) & " characters"
If Err.Number <> 0 Then
  out.WriteLine "error " & Hex(Err.Number)
  WScript.Quit 1
End If
