// Placeholder definitions until the linked-task members land.
#include "addin/connect.h"

namespace fenmark {
namespace {
[[noreturn]] void NotYet() { throw host::Failure(-2147467263 /* E_NOTIMPL */, L"Not implemented"); }
}  // namespace
void Connect::AttachOrigItem(const Ref<host::Item>&, const Ref<host::Item>&) { NotYet(); }
std::wstring Connect::CleanFileName(std::wstring&) { NotYet(); }
void Connect::CopyToTask() { NotYet(); }
void Connect::CompleteTask() { NotYet(); }
void Connect::OpenTask() { NotYet(); }
void Connect::StartTask() { NotYet(); }
void Connect::StopTask() { NotYet(); }
void Connect::objInsp_NewInspector(const Ref<host::Inspector>&) {}
void Connect::oTask_Write(bool&) {}
void Connect::olItems_ItemAdd(const Ref<host::Item>&) {}
}  // namespace fenmark
