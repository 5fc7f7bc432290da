#include "ui/journal_time.h"

#include <cstdio>
#include <ctime>

namespace vl::ui {
namespace {

constexpr const char* kJournalForm = "%Y-%m-%dT%H:%M:%SZ";

std::string formatted(const std::tm& time, const char* form) {
  char text[64];
  return std::strftime(text, sizeof text, form, &time) > 0 ? text : "";
}

}  // namespace

ShownTime shown_time(const std::string& journal_utc) {
  std::tm utc{};
  int length = 0;
  if (std::sscanf(journal_utc.c_str(), "%4d-%2d-%2dT%2d:%2d:%2dZ%n", &utc.tm_year, &utc.tm_mon,
                  &utc.tm_mday, &utc.tm_hour, &utc.tm_min, &utc.tm_sec, &length) != 6 ||
      length != static_cast<int>(journal_utc.size()))
    return {journal_utc, ""};
  utc.tm_year -= 1900;
  utc.tm_mon -= 1;
  const std::time_t moment = timegm(&utc);
  // timegm carries a day 32 or an hour 25 over; such a text names no moment.
  std::tm normal{};
  gmtime_r(&moment, &normal);
  if (formatted(normal, kJournalForm) != journal_utc) return {journal_utc, ""};
  std::tm local{};
  localtime_r(&moment, &local);
  return {formatted(local, "%Y-%m-%d %H:%M:%S %Z"), formatted(normal, "%Y-%m-%d %H:%M:%S UTC")};
}

}  // namespace vl::ui
