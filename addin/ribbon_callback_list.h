// Every ribbon callback that the markup names, once, in the slot order of the add-in object's
// dispatch interface: its members in the type library (addin/com/fenmark.idl), the COM object's
// methods (addin/com/connect_object.cpp) and the rows that find a callback by name
// (addin/ribbon_dispatch.cpp) all come from this list. An includer defines the four macros; the
// list undefines them. No include guard: it is read once by each includer, the IDL's too.
//
//   FENMARK_ON_LOAD(name, dispid)                   the ribbon's onLoad
//   FENMARK_DECISION(name, dispid, decide)          getEnabled or getVisible: ui::decide answers
//   FENMARK_ACTION(name, dispid, click, operation)  onAction: ui::click runs
//   host::Operation::operation FENMARK_MEMBER(name, dispid)                    a member of the
//   interface that is no callback
FENMARK_ON_LOAD(Ribbon_OnLoad, 6)
FENMARK_DECISION(VB_GetEnabled, 7, TabGetEnabled)
FENMARK_DECISION(VBX_GetEnabled, 8, MenuGetEnabled)
FENMARK_DECISION(VBX_GetVisible, 9, MenuGetVisible)
FENMARK_ACTION(VB_OpenTask, 10, TabClick, kOpenTask)
FENMARK_ACTION(VB_CompleteTask, 11, TabClick, kCompleteTask)
FENMARK_ACTION(VB_StartTask, 12, TabClick, kStartTask)
FENMARK_ACTION(VB_StopTask, 13, TabClick, kStopTask)
FENMARK_ACTION(VBX_OpenTask, 14, MenuClick, kOpenTask)
FENMARK_ACTION(VBX_CompleteTask, 15, MenuClick, kCompleteTask)
FENMARK_ACTION(VBX_StartTask, 16, MenuClick, kStartTask)
FENMARK_ACTION(VBX_StopTask, 17, MenuClick, kStopTask)
FENMARK_ACTION(VBX_CopyToTask, 18, MenuClick, kCopyToTask)
FENMARK_MEMBER(LoadXML, 19)
FENMARK_ACTION(VB_ScheduleTask, 20, TabClick, kScheduleTask)
FENMARK_ACTION(VBX_ScheduleTask, 21, MenuClick, kScheduleTask)

#undef FENMARK_ON_LOAD
#undef FENMARK_DECISION
#undef FENMARK_ACTION
#undef FENMARK_MEMBER
