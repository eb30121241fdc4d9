#pragma once
// Actual work: start records when work began, stop and complete add the minutes since then to the
// task's `ActualWork`. The start is kept in UTC, so a change of summer time in between cannot
// skew the sum.

#include <optional>
#include <string>
#include <string_view>

#include "host/host.h"

namespace fenmark::links {

using host::Ref;

inline constexpr std::wstring_view kOstrandStartedAt = L"OstrandStartedAt";

// Seconds since 1970-01-01T00:00:00 of a valid proleptic Gregorian date and time, in its own zone.
long long SecondsOf(const host::DateTime& t);

// "yyyy-mm-ddThh:mm:ssZ".
std::wstring UtcStamp(const host::DateTime& utc);

// The whole minutes from `started_at` (a UtcStamp) to `utc_now`, rounded to the nearest; nothing
// when the text is not a stamp or the time runs backwards.
std::optional<long long> MinutesSince(std::wstring_view started_at, const host::DateTime& utc_now);

// Sets `OstrandStartedAt` to `utc_now`, adding the text property when the task lacks it. A start
// time already there is kept (a second start counts from the first) unless the task was `stopped`:
// an older version stopped without emptying it.
void RecordStart(host::Item& task, const host::DateTime& utc_now, bool stopped);

// The UTC instant of a UtcStamp; nothing when the text is not one.
std::optional<host::DateTime> ParseUtcStamp(std::wstring_view stamp);

// A task's recorded start: a non-empty `OstrandStartedAt`.
struct RecordedWork {
  Ref<host::UserProperty> started_at;
  std::optional<host::DateTime> started_utc;  // nothing when the text is no stamp
  long long minutes = 0;                      // since then; 0 when unknown or in the future
};
// Nothing when the task has no start recorded.
std::optional<RecordedWork> ReadRecordedWork(host::Item& task, const host::DateTime& utc_now);

// Ends the recorded work: adds its minutes to `ActualWork` when `add`, and empties
// `OstrandStartedAt`. Both are stored by the task's next save.
void EndRecordedWork(host::Item& task, const RecordedWork& work, bool add);

}  // namespace fenmark::links
