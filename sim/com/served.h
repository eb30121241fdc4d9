#pragma once
// The simulated Outlook served over COM, as Outlook, Office and Word serve their objects: each
// host object of the sim is wrapped in an IDispatch with the real object model's member names,
// event sources answer IConnectionPointContainer with the real DIIDs and DISPIDs, and the ribbon's
// objects implement IRibbonUI and IRibbonControl by their IIDs. Every call goes straight into
// the sim's host object, so the sim's call log, injected faults and state stay the truth.

#include <windows.h>

#include <string>
#include <vector>

#include "addin/com/com_types.h"
#include "sim/outlook.h"

namespace fenmark::wintest {

struct ServedCounters {
  long live = 0;          // served objects still referenced
  long made = 0;          // served objects ever made
  long invokes = 0;       // IDispatch::Invoke calls on served objects
  long names = 0;         // GetIDsOfNames calls
  long vtable_calls = 0;  // IRibbonUI / IRibbonControl calls through their vtables
  long events = 0;        // events raised to the add-in's sinks
  long connections = 0;   // sinks advised and not yet unadvised
};
inline ServedCounters& Counters() {
  static ServedCounters counters;
  return counters;
}

// The sim whose files a served item's SaveAs mirrors onto the real file system (the add-in removes
// them there through the real file calls); a file the sim holds is held open there too, until the
// mirror changes.
void SetFileMirror(sim::Outlook* outlook);

com::com_ptr<IDispatch> ServeApplication(const host::Ref<host::Application>& application);
com::com_ptr<IDispatch> ServeRibbonUI(const host::Ref<host::RibbonUI>& ribbon);
com::com_ptr<IDispatch> ServeRibbonControl(const host::Ref<host::RibbonControl>& control);

// A failed automation call as the host failure the add-in's caller would see: the runtime's
// control-facility codes as their small numbers, as Visual Basic's Err.Number shows them.
host::Failure FailureOf(HRESULT hr, EXCEPINFO* info);
// Calls a method by its DISPID, as Office calls the add-in's callbacks and raises events: the
// arguments last first, a failure as the host failure above.
void CallMethod(IDispatch* object, DISPID id, std::vector<VARIANT> last_first, VARIANT* result);

}  // namespace fenmark::wintest
