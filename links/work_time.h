#pragma once
// Actual work: start records when work began, stop and complete add the minutes since then to the
// task's `ActualWork`. The start is kept in UTC, so a change of summer time in between cannot
// skew the sum.

#include <optional>
#include <string>
#include <string_view>

#include "host/host.h"

namespace fenmark::links {

inline constexpr std::wstring_view kOstrandStartedAt = L"OstrandStartedAt";

// "yyyy-mm-ddThh:mm:ssZ".
std::wstring UtcStamp(const host::DateTime& utc);

// The whole minutes from `started_at` (a UtcStamp) to `utc_now`, rounded to the nearest; nothing
// when the text is not a stamp or the time runs backwards.
std::optional<long long> MinutesSince(std::wstring_view started_at, const host::DateTime& utc_now);

// Sets `OstrandStartedAt` to `utc_now`, adding the text property when the task lacks it. A start
// time already there is kept (a second start counts from the first) unless the task was `stopped`:
// an older version stopped without emptying it.
void RecordStart(host::Item& task, const host::DateTime& utc_now, bool stopped);

// For a task with a non-empty `OstrandStartedAt`: adds the minutes since then to `ActualWork`
// and empties the property. Both are stored by the task's next save.
void AddWorkSinceStart(host::Item& task, const host::DateTime& utc_now);

}  // namespace fenmark::links
