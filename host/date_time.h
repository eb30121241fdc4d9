#pragma once
// A calendar date and a time of day, as the clock reads them and as items store them.

namespace fenmark::host {

struct DateTime {
  int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
};

}  // namespace fenmark::host
