// Placeholder definitions until the user-interface members land.
#include "addin/connect.h"

namespace fenmark {
namespace {
[[noreturn]] void NotYet() { throw host::Failure(-2147467263 /* E_NOTIMPL */, L"Not implemented"); }
}  // namespace
bool Connect::VB_GetEnabled(const Ref<host::RibbonControl>&) { NotYet(); }
bool Connect::VBX_GetEnabled(const Ref<host::RibbonControl>&) { NotYet(); }
bool Connect::VBX_GetVisible(const Ref<host::RibbonControl>&) { NotYet(); }
void Connect::VB_OpenTask(const Ref<host::RibbonControl>&) { NotYet(); }
void Connect::VB_CompleteTask(const Ref<host::RibbonControl>&) { NotYet(); }
void Connect::VB_StartTask(const Ref<host::RibbonControl>&) { NotYet(); }
void Connect::VB_StopTask(const Ref<host::RibbonControl>&) { NotYet(); }
void Connect::VBX_OpenTask(const Ref<host::RibbonControl>&) { NotYet(); }
void Connect::VBX_CompleteTask(const Ref<host::RibbonControl>&) { NotYet(); }
void Connect::VBX_StartTask(const Ref<host::RibbonControl>&) { NotYet(); }
void Connect::VBX_StopTask(const Ref<host::RibbonControl>&) { NotYet(); }
void Connect::VBX_CopyToTask(const Ref<host::RibbonControl>&) { NotYet(); }
void Connect::objOLApp_ItemContextMenuDisplay(const Ref<host::CommandBar>&,
                                              const Ref<host::ItemSelection>&) {}
void Connect::objButton_Click(const Button&, bool&) {}
void Connect::objButtonCalTaskComplete_Click(const Button&, bool&) {}
void Connect::objButtonCalTaskOpen_Click(const Button&, bool&) {}
void Connect::objButtonCalTaskStart_Click(const Button&, bool&) {}
void Connect::objButtonCalTaskStop_Click(const Button&, bool&) {}
}  // namespace fenmark
