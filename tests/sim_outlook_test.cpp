// The simulated Outlook's own behaviour where the add-in's suites do not reach it: entry IDs,
// nested write events, failures it gives, the call log, injected faults and counted references.

#include <gtest/gtest.h>

#include <set>

#include "sim/outlook.h"

namespace fenmark::sim {
namespace {

template <class F>
host::Failure FailureOf(F&& call) {
  try {
    call();
  } catch (const host::Failure& failure) {
    return failure;
  }
  ADD_FAILURE() << "no failure";
  return {0, L""};
}

TEST(SimStore, EntryIdsComeAtFirstSaveAndAreUniqueHex) {
  Outlook outlook;
  auto app = outlook.Application();
  auto task = app->CreateItem(host::kOlTaskItem);
  SimItem state = outlook.Find(task);
  EXPECT_EQ(task->EntryID(), L"");
  EXPECT_FALSE(state.Folder().has_value());
  EXPECT_FALSE(state.WindowOpen());

  task->Save();
  const std::wstring id = task->EntryID();
  EXPECT_GE(id.size(), 48u);
  EXPECT_EQ(id.find_first_not_of(L"0123456789ABCDEF"), std::wstring::npos) << id;
  EXPECT_EQ(state.Folder(), FolderKind::kTasks);
  task->Save();
  EXPECT_EQ(task->EntryID(), id) << "an entry ID never changes";

  std::set<std::wstring> ids{id};
  for (int i = 0; i < 20; ++i) ids.insert(outlook.ReceiveMail(L"m", L"b").EntryID());
  EXPECT_EQ(ids.size(), 21u);
}

TEST(SimStore, LookupsFailAsOutlookDoes) {
  Outlook outlook;
  auto ns = outlook.Application()->GetNamespace(L"MAPI");
  auto mail = outlook.ReceiveMail(L"Hello", L"Body");
  EXPECT_EQ(ns->GetItemFromID(mail.EntryID())->Subject(), L"Hello");

  auto unknown = FailureOf([&] { ns->GetItemFromID(L"00000000DEADBEEF"); });
  EXPECT_EQ(unknown.Number(), -2147221233);
  EXPECT_EQ(unknown.Description(), L"The operation failed. An object cannot be found.");
  EXPECT_NE(FailureOf([&] { ns->GetItemFromID(L""); }).Number(), 0);

  auto held = ns->GetItemFromID(mail.EntryID());
  outlook.DeleteItem(mail);
  EXPECT_EQ(FailureOf([&] { ns->GetItemFromID(mail.EntryID()); }).Number(), kNotFound);
  EXPECT_EQ(FailureOf([&] { held->Subject(); }).Number(), kDeleted);
  EXPECT_NE(FailureOf([&] { outlook.Application()->GetNamespace(L"XYZ"); }).Number(), 0);
  EXPECT_NE(FailureOf([&] { ns->GetDefaultFolder(99); }).Number(), 0);
}

TEST(SimEvents, SaveRaisesWriteSynchronouslyAlsoFromInsideWrite) {
  Outlook outlook;
  auto task = outlook.AddinRef(outlook.CreateTask(L"T"));
  int depth = 0, raised = 0;
  auto sub = task->OnWrite([&](bool&) {
    ++raised;
    if (++depth < 3) task->Save();
    --depth;
  });
  SimItem state = outlook.Find(task);
  const int saves_before = state.SaveCount();
  task->Save();
  EXPECT_EQ(raised, 3);
  EXPECT_EQ(state.SaveCount(), saves_before + 3);
  EXPECT_FALSE(outlook.WriteRecursionOverflowed());

  // A handler that always saves again (twice, so the saves branch out) is stopped loudly instead
  // of overflowing the stack or running without end.
  auto endless = task->OnWrite([&](bool&) {
    task->Save();
    task->Save();
  });
  outlook.UserSave(state);
  EXPECT_TRUE(outlook.WriteRecursionOverflowed());
  ASSERT_FALSE(outlook.ReturnedFailures().empty());
  EXPECT_EQ(outlook.ReturnedFailures().front().description, kRecursionDescription);
}

TEST(SimEvents, HandlersMayDisconnectWhileRaisedAndFailuresGoBackToTheSource) {
  Outlook outlook;
  auto items = outlook.Application()->GetNamespace(L"MAPI")->GetDefaultFolder(9)->Items();
  host::Subscription first, second;
  int calls = 0;
  first = items->OnItemAdd([&](const Ref<host::Item>&) {
    ++calls;
    second.Reset();
    throw host::Failure(5, L"Invalid procedure call or argument");
  });
  second = items->OnItemAdd([&](const Ref<host::Item>&) { ++calls; });
  auto appointment = outlook.CreateAppointment(L"A", L"body");
  EXPECT_TRUE(appointment.Saved()) << "a failing handler does not stop the user action";
  EXPECT_EQ(calls, 1);
  ASSERT_EQ(outlook.ReturnedFailures().size(), 1u);
  EXPECT_EQ(outlook.ReturnedFailures()[0].source, L"Items.ItemAdd");
  EXPECT_EQ(outlook.ReturnedFailures()[0].number, 5);
  outlook.CreateAppointment(L"B", L"", FolderKind::kOtherCalendar);
  EXPECT_EQ(calls, 1) << "another calendar raises nothing here";
}

TEST(SimEvents, ReferencesAndSubscriptionsOutlivingTheSimAreHarmless) {
  Ref<host::Item> kept;
  host::Subscription sub;
  {
    Outlook outlook;
    kept = outlook.AddinRef(outlook.CreateTask(L"T"));
    sub = kept->OnWrite([](bool&) {});
  }
  EXPECT_EQ(FailureOf([&] { kept->Subject(); }).Number(), kDisconnected);
  sub.Reset();
}

TEST(SimCalls, UserActionsAreNotLoggedAndFaultsHitTheChosenCall) {
  Outlook outlook;
  auto app = outlook.Application();
  auto mail = outlook.ReceiveMail(L"M", L"b");
  outlook.Select({mail});
  EXPECT_EQ(outlook.CallCount(), 0u);

  auto item = app->GetNamespace(L"MAPI")->GetItemFromID(mail.EntryID());
  EXPECT_EQ(outlook.CallCount(), 2u);
  EXPECT_EQ(outlook.Calls()[1].Name(), L"Namespace.GetItemFromID");

  outlook.FailNthCall(2, 13, L"Type mismatch");
  EXPECT_NO_THROW(item->Subject());
  auto injected = FailureOf([&] { item->Body(); });
  EXPECT_EQ(injected.Number(), 13);
  EXPECT_TRUE(outlook.Calls().back().failed);
  EXPECT_NO_THROW(item->Body());

  outlook.FailCallsTo(L"Item.Save", kFailed, L"The operation failed.", 2);
  EXPECT_NO_THROW(item->Save());
  EXPECT_THROW(item->Save(), host::Failure);
  EXPECT_THROW(item->Save(), host::Failure);
  outlook.UserSave(mail);  // the user's saves never fail by injection
  outlook.ClearFaults();
  EXPECT_NO_THROW(item->Save());
  EXPECT_EQ(outlook.CountCalls(L"Item.Save"), 4);
}

}  // namespace
}  // namespace fenmark::sim
