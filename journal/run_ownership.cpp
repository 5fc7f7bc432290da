#include "journal/run_ownership.h"

#include <algorithm>
#include <set>
#include <utility>

namespace vl::journal {
namespace {

// Rows of later runs read from the journal at a time.
constexpr std::size_t kRowsPerPage = 5000;

}  // namespace

bool of_a_drop(const std::string& table) {
  return table == "lootdrop" || table == "lootdrop_entries" || table == "loottable_entries";
}

void DropOwnership::observe(WorldRows& world, const std::vector<Row>& chunk,
                            const std::vector<bool>& matched) {
  std::set<std::pair<std::string, std::string>> keys;  // table, lootdrop id
  for (std::size_t i = 0; i < chunk.size(); ++i) {
    const Row& row = chunk[i];
    if (!of_a_drop(row.table)) continue;
    const std::string id = world.value(row, key_column(row.table)).plain();
    Facts& facts = drops_[id];
    facts.uncertain = facts.uncertain || row.uncertain;
    if (row.table == "lootdrop") {
      facts.inserted = true;
      facts.lootdrop_matched = matched[i];
    }
    keys.emplace(row.table, id);
  }
  // Every row of the run under one key comes in one chunk: what is left
  // unmatched under it now, the run did not write.
  for (const auto& [table, id] : keys) {
    Facts& facts = drops_[id];
    for (const auto& [found, matched] : world.under(table, id)) {
      facts.in_world = true;
      if (matched) continue;
      if (table == "loottable_entries") {
        ++facts.other_links;
      } else if (table == "lootdrop_entries") {
        ++facts.other_rows;
      }
    }
  }
}

void DropOwnership::check_later_runs(Store& store, std::int64_t run, WorldRows& world) {
  for (const RunInfo& later : store.runs()) {  // newest first: the first later run is found last
    if (later.id <= run) break;
    for (std::int64_t after = 0;;) {
      Store::Page page = store.rows_page(later.id, RowKind::inserted, after, kRowsPerPage, false);
      for (const Row& row : page.rows) {
        if (row.table != "lootdrop") continue;
        const auto found = drops_.find(world.key_of(row).plain());
        if (found != drops_.end()) found->second.later_run = later.id;
      }
      if (page.rows.size() < kRowsPerPage) break;
      after = page.ids.back();
    }
  }
}

std::vector<std::string> DropOwnership::conflicts() {
  // Ids in their numeric order: shorter first, then by their digits.
  std::vector<std::pair<std::string, std::string>> listed;  // id, why
  for (const auto& [id, facts] : drops_) {
    if (!facts.inserted) continue;
    std::string why;
    if (facts.later_run != 0) {
      why = "lootdrop " + id + " was written again by run " + std::to_string(facts.later_run) +
            " since; it is left as it is, with its entries and links.";
    } else if (facts.other_links > 0) {
      why = "lootdrop " + id + " is used by " + std::to_string(facts.other_links) +
            " links the run did not make; it is left as it is, with its entries and links.";
    } else if (facts.uncertain && facts.in_world &&
               (!facts.lootdrop_matched || facts.other_rows > 0)) {
      why = "lootdrop " + id +
            " is not as the run wrote it, and whether the run wrote it is unknown; it is left "
            "as it is, with its entries and links.";
    }
    if (why.empty()) continue;
    left_alone_.insert(id);
    listed.emplace_back(id, std::move(why));
  }
  std::sort(listed.begin(), listed.end(), [](const auto& a, const auto& b) {
    return std::pair(a.first.size(), a.first) < std::pair(b.first.size(), b.first);
  });
  std::vector<std::string> sentences;
  for (auto& [id, why] : listed) sentences.push_back(std::move(why));
  return sentences;
}

}  // namespace vl::journal
