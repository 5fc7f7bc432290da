#include "app/window/preview_run.h"

#include <fmt/core.h>

#include <chrono>

#include "app/plan_report.h"
#include "core/whole_file.h"
#include "db/database.h"
#include "journal/run_settings.h"
#include "loot/candidates.h"
#include "loot/catalog.h"
#include "loot/fixed_inputs.h"
#include "loot/plan_sql.h"

namespace vl::app {
namespace {

std::string category_of(const WindowSettings& settings) {
  return std::string(loot::kLootCategories[static_cast<std::size_t>(settings.category)].name);
}

loot::FixedInputs fixed_inputs(const WindowSettings& settings) {
  loot::FixedInputs inputs;
  inputs.low = settings.low;
  inputs.high = settings.high;
  inputs.category = settings.category;
  inputs.rules = settings.rules;
  inputs.percent_of_npcs = settings.percent_of_npcs;
  inputs.chance = settings.chance;
  inputs.probability = settings.probability;
  inputs.items = settings.items;
  inputs.custom_list = settings.custom_list;
  inputs.isolate_shared = settings.isolate_shared;
  if (settings.custom_list) inputs.slots = settings.list;
  return inputs;
}

// Writes the file whole with `write`; "" when done, else what to tell.
template <typename Write>
std::string save(const std::string& path, Write&& write) {
  try {
    WholeFile file(path);
    write(file.out());
    file.commit();
    return "";
  } catch (const FileError& error) {
    return fmt::format("The file {} could not be written ({}); it was left as it was.", path,
                       error.what());
  }
}

}  // namespace

std::shared_ptr<db::Session> connection_settings(const db::Session& session) {
  auto settings = std::make_shared<db::Session>();
  settings->db_host = session.db_host;
  settings->db_user = session.db_user;
  settings->db_password = session.db_password;
  settings->db_name = session.db_name;
  settings->brace_settings = session.brace_settings;
  return settings;
}

WindowSettings window_settings(const ProgramState& state) {
  const Form1Model& form = state.form1;
  WindowSettings settings;
  settings.low = state.level_low;
  settings.high = state.level_high;
  // No option selected: the run keeps the category it took last; so does the plan.
  const int op = form.op_selected();
  const bool chosen = op >= 0 && op < loot::kLootCategoryCount;
  settings.category = chosen ? op : 0;
  for (int i = 0; i < loot::kLootCategoryCount && !chosen; ++i)
    if (loot::kLootCategories[static_cast<std::size_t>(i)].name == state.category_name)
      settings.category = i;
  settings.rules = state.item_rules;
  settings.percent_of_npcs = form.text(Form1Control::perc_of_npcs);
  settings.chance = form.text(Form1Control::lootdrop_percentx);
  settings.probability = form.text(Form1Control::loottable_percentx);
  settings.items = state.item_max_count;
  settings.custom_list = state.custom_list_active;
  if (settings.custom_list) settings.list = state.custom_item_ids;
  return settings;
}

PreviewOutcome make_preview(const db::Session& session, const WindowSettings& settings,
                            std::uint64_t seed, const std::function<bool(PreviewStep)>& go_on) {
  PreviewOutcome outcome;
  auto preview = std::make_unique<Preview>();
  preview->seed = seed;
  preview->settings = settings;
  loot::FixedInputs inputs = fixed_inputs(settings);
  try {
    if (!go_on(PreviewStep::planning)) return outcome;
    db::Connection connection(db::connection_string(session));
    Random random;
    random.pin_seed(seed);
    preview->plan = loot::plan_run(inputs, connection, random);
    preview->copies = loot::read_copied_rows(connection, preview->plan, "");
    if (!go_on(PreviewStep::details)) return outcome;
    preview->details = loot::plan_details(preview->plan, connection);
    if (!go_on(PreviewStep::drop_rates)) return outcome;
    preview->rates = loot::plan_drop_rates(preview->plan, connection, preview->details.items);
  } catch (const loot::RunStopped& stop) {
    outcome.message = stop.message;
    return outcome;
  } catch (const loot::LootdropIdsExhausted& error) {
    outcome.message = std::string(error.what()) + loot::kNothingWritten;
    return outcome;
  } catch (const db::Error& error) {
    outcome.message = db::statement_failed_message(error, "(reading the world for the plan)");
    return outcome;
  }
  outcome.preview = std::move(preview);
  return outcome;
}

PreviewWrite write_preview(Preview& preview, const db::Session& session, WindowJournal& journal,
                           const std::function<bool()>& stop_requested) {
  constexpr const char* kNothing = "Nothing was written.";
  const auto started = std::chrono::steady_clock::now();
  // The journal's gate goes into a session of the write's own, so that the
  // main window's session stays as it is meanwhile.
  const std::shared_ptr<db::Session> own = connection_settings(session);
  db::Session& writer = *own;
  const loot::AtomicResult result =
      journal.write_all_or_nothing(writer, journal_settings(preview), [&]() -> loot::AtomicResult {
        std::unique_ptr<db::Connection> connection;
        try {
          connection = std::make_unique<db::Connection>(db::connection_string(writer));
        } catch (const db::Error& error) {
          return {loot::AtomicOutcome::lost,
                  "The world database cannot be reached.\r\n" + std::string(error.what())};
        }
        connection->set_observer(writer.statement_observer);
        connection->set_gate(writer.statement_gate);
        return loot::write_atomically(*connection, preview.plan, stop_requested, {},
                                      writer.statements_ahead, false, {}, writer.transaction_steps);
      });
  PreviewWrite written{result.outcome, result.message};
  if (result.outcome == loot::AtomicOutcome::committed) {
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    written.message =
        fmt::format("Written in one transaction: {} drops with {} entries in {:.2f} s.",
                    preview.plan.drops.size(), preview.plan.entries(), seconds);
  } else if (result.outcome != loot::AtomicOutcome::commit_unknown &&
             !written.message.ends_with(kNothing)) {
    written.message += std::string("\r\n") + kNothing;
  }
  return written;
}

std::string journal_settings(const Preview& preview) {
  const WindowSettings& inputs = preview.settings;
  return journal::generation_settings(
      {.range = inputs.low + "-" + inputs.high,
       .category = category_of(inputs),
       .list_size = inputs.custom_list ? std::optional<int>(loot::custom_list_length(inputs.list))
                                       : std::nullopt,
       .rules = inputs.rules,
       .npc_percent = inputs.percent_of_npcs,
       .chance = inputs.chance,
       .probability = inputs.probability,
       .items = std::to_string(inputs.items),
       .seed = preview.seed,
       .atomic = true,
       .isolate_shared = inputs.isolate_shared});
}

std::string save_script(const Preview& preview, const std::string& path) {
  const loot::Plan& plan = preview.plan;
  const auto or_none = [](const std::string& id) { return id.empty() ? std::string("none") : id; };
  std::string comment =
      fmt::format("vandril_loot Preview, planned {}\n{}\nhighest lootdrop id when planned: {}",
                  utc_now(), journal_settings(preview), or_none(plan.highest_lootdrop_id));
  if (plan.isolate_shared)
    comment += "\nhighest loottable id when planned: " + or_none(plan.highest_loottable_id);
  return save(path, [&](std::ostream& out) {
    loot::write_plan_script(out, plan, comment, preview.copies);
  });
}

std::string save_report(const Preview& preview, const std::string& path) {
  const auto format = report_format(path);
  if (!format) return "The report's file name must end in .csv or .json: " + path;
  return save(path, [&](std::ostream& out) {
    write_report(out, *format, preview.plan, preview.details, preview.rates, preview.seed,
                 utc_now());
  });
}

}  // namespace vl::app
