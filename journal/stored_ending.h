#pragma once
// The words the journal keeps for how a run ended. Journals written before
// hold them, and history shows them, so they never change; several endings
// share one ("failed").

#include <array>
#include <string_view>

#include "core/ending.h"

namespace vl::journal {

struct StoredEnding {
  Ending ending;
  std::string_view text;
};

inline constexpr std::array<StoredEnding, 4> kStoredEndings{{
    {Ending::completed, "completed"},
    {Ending::interrupted, "stopped"},          // Ctrl+C, SIGTERM or SIGHUP
    {Ending::connection_lost, "interrupted"},  // the server lost
    {Ending::commit_unknown, "commit unknown"},
}};
// Every other ending: the run stopped short of what it set out to do.
inline constexpr std::string_view kFailedText = "failed";
// A run whose decisive statement never went out, settled at a later open.
inline constexpr std::string_view kUnsentText = "refused";

// The word the journal keeps for `ending`.
constexpr std::string_view stored_ending(Ending ending) {
  for (const StoredEnding& row : kStoredEndings)
    if (row.ending == ending) return row.text;
  return kFailedText;
}

}  // namespace vl::journal
