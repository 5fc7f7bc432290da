#include "cli/suggestions.h"

#include <algorithm>

namespace vl::cli {
namespace {

// Letters added, dropped, changed or two neighbours swapped (optimal string
// alignment distance).
std::size_t edit_distance(const std::string& a, const std::string& b) {
  std::vector<std::vector<std::size_t>> d(a.size() + 1, std::vector<std::size_t>(b.size() + 1));
  for (std::size_t i = 0; i <= a.size(); ++i) d[i][0] = i;
  for (std::size_t j = 0; j <= b.size(); ++j) d[0][j] = j;
  for (std::size_t i = 1; i <= a.size(); ++i) {
    for (std::size_t j = 1; j <= b.size(); ++j) {
      const std::size_t changed = d[i - 1][j - 1] + (a[i - 1] == b[j - 1] ? 0 : 1);
      d[i][j] = std::min({d[i - 1][j] + 1, d[i][j - 1] + 1, changed});
      if (i > 1 && j > 1 && a[i - 1] == b[j - 2] && a[i - 2] == b[j - 1])
        d[i][j] = std::min(d[i][j], d[i - 2][j - 2] + 1);
    }
  }
  return d[a.size()][b.size()];
}

}  // namespace

std::optional<std::string> closest_word(const std::string& typed,
                                        const std::vector<std::string>& known) {
  const std::size_t letters =
      typed.size() - std::min<std::size_t>(typed.find_first_not_of('-'), typed.size());
  const std::size_t allowed = letters <= 3 ? 1 : 2;
  std::optional<std::string> best;
  std::size_t best_distance = allowed + 1;
  for (const std::string& word : known) {
    const std::size_t distance =
        word.starts_with(typed) && letters >= 3 ? 1 : edit_distance(typed, word);
    if (distance < best_distance) {
      best = word;
      best_distance = distance;
    }
  }
  return best;
}

}  // namespace vl::cli
