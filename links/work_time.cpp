#include "links/work_time.h"

#include <climits>
#include <cwctype>

namespace fenmark::links {
namespace {

bool Leap(long long year) {
  return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

int DaysIn(long long year, int month) {
  static const int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return month == 2 && Leap(year) ? 29 : kDays[month - 1];
}

}  // namespace

long long SecondsOf(const host::DateTime& t) {
  const long long year = t.year;
  const int month = t.month, day = t.day, hour = t.hour, minute = t.minute, second = t.second;
  // Days from the civil date, counting years from March so that February comes last.
  const long long y = year - (month <= 2 ? 1 : 0);
  const long long era = (y >= 0 ? y : y - 399) / 400;
  const long long year_of_era = y - era * 400;
  const long long day_of_year = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
  const long long day_of_era =
      year_of_era * 365 + year_of_era / 4 - year_of_era / 100 + day_of_year;
  const long long days = era * 146097 + day_of_era - 719468;
  return ((days * 24 + hour) * 60 + minute) * 60 + second;
}

namespace {

std::wstring Digits(int value, int width) {
  std::wstring text(static_cast<std::size_t>(width), L'0');
  for (int i = width - 1; i >= 0 && value > 0; --i, value /= 10)
    text[static_cast<std::size_t>(i)] = static_cast<wchar_t>(L'0' + value % 10);
  return text;
}

// The number in text[at, at + width), known to be digits.
int Number(std::wstring_view text, std::size_t at, std::size_t width) {
  int value = 0;
  for (std::size_t i = at; i < at + width; ++i) value = value * 10 + (text[i] - L'0');
  return value;
}

}  // namespace

std::wstring UtcStamp(const host::DateTime& utc) {
  return Digits(utc.year, 4) + L"-" + Digits(utc.month, 2) + L"-" + Digits(utc.day, 2) + L"T" +
         Digits(utc.hour, 2) + L":" + Digits(utc.minute, 2) + L":" + Digits(utc.second, 2) + L"Z";
}

std::optional<host::DateTime> ParseUtcStamp(std::wstring_view stamp) {
  const std::wstring_view shape = L"0000-00-00T00:00:00Z";
  if (stamp.size() != shape.size()) return std::nullopt;
  for (std::size_t i = 0; i < shape.size(); ++i) {
    const wchar_t c = stamp[i];
    const bool fits = shape[i] == L'0' ? c >= L'0' && c <= L'9'
                                       : std::towupper(c) == static_cast<wint_t>(shape[i]);
    if (!fits) return std::nullopt;
  }
  const host::DateTime at{Number(stamp, 0, 4),  Number(stamp, 5, 2),  Number(stamp, 8, 2),
                          Number(stamp, 11, 2), Number(stamp, 14, 2), Number(stamp, 17, 2)};
  if (at.month < 1 || at.month > 12 || at.day < 1 || at.day > DaysIn(at.year, at.month) ||
      at.hour > 23 || at.minute > 59 || at.second > 59)
    return std::nullopt;
  return at;
}

std::optional<long long> MinutesSince(std::wstring_view started_at, const host::DateTime& utc_now) {
  const auto start = ParseUtcStamp(started_at);
  if (!start) return std::nullopt;
  const long long elapsed = SecondsOf(utc_now) - SecondsOf(*start);
  if (elapsed < 0) return std::nullopt;
  return (elapsed + 30) / 60;
}

void RecordStart(host::Item& task, const host::DateTime& utc_now, bool stopped) {
  auto properties = task.UserProperties();
  auto started = host::Require(properties).Item(std::wstring(kOstrandStartedAt));
  if (started && !stopped && MinutesSince(started->Value(), utc_now)) return;
  if (!started) started = properties->Add(std::wstring(kOstrandStartedAt), host::kOlText);
  host::Require(started).SetValue(UtcStamp(utc_now));
}

std::optional<RecordedWork> ReadRecordedWork(host::Item& task, const host::DateTime& utc_now) {
  auto started = host::Require(task.UserProperties()).Item(std::wstring(kOstrandStartedAt));
  if (!started) return std::nullopt;
  const std::wstring value = started->Value();
  if (value.empty()) return std::nullopt;
  RecordedWork work{std::move(started), ParseUtcStamp(value)};
  work.minutes = MinutesSince(value, utc_now).value_or(0);
  return work;
}

void EndRecordedWork(host::Item& task, const RecordedWork& work, bool add) {
  if (add && work.minutes > 0) {
    const long long total = task.ActualWork() + work.minutes;
    // A sum beyond the field's Long adds nothing rather than wrapping round.
    if (total <= INT_MAX) task.SetActualWork(static_cast<int>(total));
  }
  host::Require(work.started_at).SetValue(L"");
}

}  // namespace fenmark::links
