#include "loot/custom_list.h"

#include <algorithm>
#include <vector>

#include "core/numeric_text.h"

namespace vl::custom_list {
namespace {

// Split at every CR, empty pieces kept: k CRs give k + 1 pieces. The LF of a
// CR LF pair stays at the start of the next piece.
std::vector<std::string_view> pieces_of(std::string_view text) {
  std::vector<std::string_view> pieces;
  std::size_t start = 0;
  for (std::size_t cr = text.find('\r'); cr != std::string_view::npos;
       cr = text.find('\r', start)) {
    pieces.push_back(text.substr(start, cr - start));
    start = cr + 1;
  }
  pieces.push_back(text.substr(start));
  return pieces;
}

bool is_blank(std::string_view piece) {
  return std::all_of(piece.begin(), piece.end(),
                     [](char c) { return c == ' ' || c == '\t' || c == '\n'; });
}

double value_of_piece(std::string_view piece) {
  const std::size_t tab = piece.find('\t');
  return numeric_value(tab == std::string_view::npos ? piece : piece.substr(tab + 1));
}

// How many slots the pieces need: up to the last one holding more than blanks.
// Blank pieces at the end (what final line breaks leave) need none: they would
// read 0 like the cleared slots behind.
int slots_needed(const std::vector<std::string_view>& pieces) {
  const auto last_used = std::find_if_not(pieces.rbegin(), pieces.rend(), is_blank);
  return static_cast<int>(pieces.rend() - last_used);
}

}  // namespace

void clear_slots(std::vector<std::optional<double>>& slots) {
  std::fill(slots.begin() + 1, slots.end(), 0.0);
}

ListFill fill_list_slots(const std::string& text, std::vector<std::optional<double>>& slots) {
  const std::vector<std::string_view> pieces = pieces_of(text);
  ListFill fill{false, slots_needed(pieces), static_cast<int>(pieces.size()) - 1};
  if (fill.needed > kListCapacity) return fill;
  fill.fits = true;
  clear_slots(slots);
  // Only blank pieces can lie beyond the capacity; their slots would read 0.
  const std::size_t stored = std::min<std::size_t>(pieces.size(), kListCapacity);
  for (std::size_t i = 0; i < stored; ++i) slots[i + 1] = value_of_piece(pieces[i]);
  return fill;
}

std::string list_message(const ListFill& fill) {
  if (!fill.fits) {
    return "The list has " + std::to_string(fill.needed) + " lines, but at most " +
           std::to_string(kListCapacity) +
           " fit. Shorten it and press GO again; nothing was changed.";
  }
  return "Custom List Created [" + std::to_string(fill.line_breaks) + " items]";
}

}  // namespace vl::custom_list
