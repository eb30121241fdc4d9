// The add-in as a user's JScript reaches it: by ProgID, every member by name. Writes "ok: ..." or
// "FAILED: ..." a line to the file named by the first argument, and "end" when every check ran.
var out = new ActiveXObject("Scripting.FileSystemObject").CreateTextFile(WScript.Arguments(0), true);

function check(what, got, expected) {
  if (got === expected) out.WriteLine("ok: " + what);
  else out.WriteLine("FAILED: " + what + ": [" + got + "], expected [" + expected + "]");
}

var addin = new ActiveXObject("Fenmark.Connect");

var subject = " Re: Q3/figures? ";
check("CleanFileName of a variable", addin.CleanFileName(subject), "Re Q3figures");
check("the variable after CleanFileName", subject, " Re: Q3/figures? ");
check("CleanFileName of a literal", addin.cleanFileName("Budget (draft) *v2*"), "Budget (draft) v2");

var markup = addin.LoadXML("RIBBONXML");
check("LoadXML(\"RIBBONXML\") starts", markup.substr(0, 38),
      "<?xml version=\"1.0\" encoding=\"utf-8\"?>");
check("LoadXML(\"RIBBONXML\") ends", markup.substr(markup.length - 2), "\r\n");
check("LoadXML of an unknown name", addin.LoadXML("NOSUCHXML"), "");

// An appointment that was never saved. The add-in reads a property as a property or a method;
// Wine's JScript takes that for a call, so the entry ID is a function member here.
var reads = 0;
var appointment = {EntryID: function() { ++reads; return ""; }};
check("GetTaskStatus of a never-saved appointment", addin.GetTaskStatus(appointment), "");
check("entry ID reads", reads, 1);

var ribbon = {Invalidate: function() {}};
check("glblObjRibbon before any", addin.glblObjRibbon, null);
addin.glblObjRibbon = ribbon;
check("glblObjRibbon read back", addin.glblObjRibbon === ribbon, true);

try {
  addin.NoSuchMember("x");
  check("an unknown member's error", "none", 438);
} catch (e) {
  check("an unknown member's error", e.number & 0xFFFF, 438);
}

out.WriteLine("end");
out.Close();
