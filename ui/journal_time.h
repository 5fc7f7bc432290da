#pragma once
// The journal keeps its times in UTC ("YYYY-MM-DDTHH:MM:SSZ") so that they
// mean the same on every machine; the operator reads their own clock. The
// History window shows the local time and keeps UTC at hand.

#include <string>

namespace vl::ui {

struct ShownTime {
  std::string
      local;        // "2026-01-14 22:30:00 EST": the local zone named, for days of changing clocks
  std::string utc;  // "2026-01-15 03:30:00 UTC"; "" when the text is not a journal time
};

// `journal_utc` in the time zone of the process (TZ); a text that is not a
// journal time is shown as it is.
ShownTime shown_time(const std::string& journal_utc);

}  // namespace vl::ui
