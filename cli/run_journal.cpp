#include "cli/run_journal.h"

#include <cstdio>

namespace vl::cli {
std::string journal_path(const Invocation& run) {
  return run.journal ? *run.journal : journal::default_journal_path();
}

std::string journal_named(const std::string& path) {
  return path.empty() ? "the journal" : "the journal " + path;
}

std::unique_ptr<RunJournal> open_run_journal(const Invocation& run) {
  const std::string path = journal_path(run);
  try {
    return std::make_unique<RunJournal>(open_journal(path));
  } catch (const std::exception& error) {
    std::fprintf(stderr,
                 "vandril_loot_cli: %s cannot be opened (%s); nothing was written. "
                 "Give --no-journal to write without one.\n",
                 journal_named(path).c_str(), error.what());
    return nullptr;
  }
}

void say_journal_refused(const char* reason) {
  std::fprintf(stderr,
               "vandril_loot_cli: the journal could not be written (%s); nothing was "
               "written. Give --no-journal to write without one.\n",
               reason);
}

RunJournal::RunJournal(std::unique_ptr<journal::Store> store)
    : app::CommandJournal(std::move(store), [](const std::string& why) {
        std::fprintf(stderr, "vandril_loot_cli: the journal could not record the run's end: %s\n",
                     why.c_str());
      }) {}

}  // namespace vl::cli
