#include "app/window/preview_run.h"

#include <fmt/core.h>

#include "app/plan_rates.h"
#include "app/plan_report.h"
#include "app/plan_write.h"
#include "app/plan_write_text.h"
#include "app/planning.h"
#include "app/window/preview_aim.h"
#include "app/window/window_text.h"
#include "core/whole_file.h"
#include "db/database.h"
#include "journal/run_settings.h"
#include "loot/candidates.h"
#include "loot/catalog.h"
#include "loot/fixed_inputs.h"

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
  inputs.percent_of_npcs = npc_percent_for(settings.aim, settings.percent_of_npcs);
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
    Planned planned = plan_with_seed(inputs, connection, seed, settings.aim);
    if (!planned.plan) {
      outcome.message = std::move(planned.message);
      return outcome;
    }
    preview->plan = std::move(*planned.plan);
    preview->copies = loot::read_copied_rows(connection, preview->plan, "");
    if (!go_on(PreviewStep::details)) return outcome;
    preview->details = loot::plan_details(preview->plan, connection);
    if (!go_on(PreviewStep::drop_rates)) return outcome;
    preview->rates =
        planned.world ? read_plan_rates(preview->plan, connection, std::move(*planned.world),
                                        preview->details.items)
                      : read_plan_rates(preview->plan, connection, nullptr, preview->details.items);
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
  // The journal's gate goes into a session of the write's own, so that the
  // main window's session stays as it is meanwhile.
  const std::shared_ptr<db::Session> own = connection_settings(session);
  const PlanWritten written = write_plan_connecting(*own, preview.plan, &journal,
                                                    {.command = "preview",
                                                     .settings = journal_settings(preview),
                                                     .stop_requested = stop_requested});
  PreviewWrite shown{written.ending, written.message, written.run_id};
  if (written.ending == Ending::completed) {
    shown.message = fmt::format("Written in one transaction: {} drops with {} entries in {:.2f} s.",
                                written.drops, written.entries, written.seconds);
  } else if (written.ending != Ending::commit_unknown && !shown.message.ends_with(kNothing)) {
    shown.message += std::string("\n") + kNothing;
  }
  shown.message = window_text(shown.message);
  return shown;
}

std::string journal_settings(const Preview& preview) {
  const WindowSettings& inputs = preview.settings;
  return journal::generation_settings(
      {.range = inputs.low + "-" + inputs.high,
       .category = category_of(inputs),
       .list_size = inputs.custom_list ? std::optional<int>(loot::custom_list_length(inputs.list))
                                       : std::nullopt,
       .rules = inputs.rules,
       .npc_percent = npc_percent_for(inputs.aim, inputs.percent_of_npcs),
       .chance = inputs.chance,
       .probability = inputs.probability,
       .items = std::to_string(inputs.items),
       .seed = preview.seed,
       .atomic = true,
       .isolate_shared = inputs.isolate_shared,
       .aim = inputs.aim});
}

std::string save_script(const Preview& preview, const std::string& path) {
  return save(path, [&](std::ostream& out) {
    write_plan_script(out, preview.plan, preview.copies, "vandril_loot Preview",
                      journal_settings(preview));
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
