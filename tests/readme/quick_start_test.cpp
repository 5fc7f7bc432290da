// README's Quick start, run command by command on a world made as the demo
// makes its own: each command must end with exit 0 and print first what the
// README says it prints. The commands come from the README itself, so the
// newcomer's first page and the program cannot drift apart.

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <regex>
#include <sstream>

#include "support/test_db.h"

namespace vl::test {
namespace {

struct QuickStartStep {
  std::string command;
  std::string documented_first_line;  // the "#   " line under it; "…" stands for any text
};

// The first ```sh block after "## Quick start": its commands, each with the
// comment line that says what it prints first. The demo itself is left out:
// tests/demo/check-demo runs it.
std::vector<QuickStartStep> quick_start_steps(const std::string& readme) {
  std::istringstream in(readme.substr(readme.find("\n## Quick start\n") + 1));
  std::vector<QuickStartStep> steps;
  std::string line;
  while (std::getline(in, line) && line != "```sh") {
  }
  while (std::getline(in, line) && line != "```") {
    if (line.rfind("#   ", 0) == 0 && !steps.empty() && steps.back().documented_first_line.empty())
      steps.back().documented_first_line = line.substr(4);
    else if (!line.empty() && line[0] != '#' && line.rfind("scripts/demo", 0) != 0)
      steps.push_back({line, ""});
  }
  return steps;
}

std::string first_line(const std::string& text) { return text.substr(0, text.find('\n')); }

// The documented line as a pattern: its text exactly, "…" matching anything
// (a duration, say).
bool matches(const std::string& documented, const std::string& printed) {
  static const std::regex special(R"([.^$|()\[\]{}*+?\\])");
  std::string pattern = std::regex_replace(documented, special, R"(\$&)");
  for (std::size_t at; (at = pattern.find("…")) != std::string::npos;)
    pattern.replace(at, std::string("…").size(), ".*");
  return std::regex_match(printed, std::regex(pattern));
}

// The README's `cli=` line pointed at the test server's db.ini and a journal
// of this test, in place of the demo's program, db.ini and journal.
std::string cli_on_test_world(std::string line, const std::string& folder) {
  const std::string program = "build-release/vandril_loot_cli",
                    demo = "$HOME/.local/share/vandril_loot/demo/";
  EXPECT_NE(line.find(program), std::string::npos) << line;
  if (line.find(program) != std::string::npos)
    line.replace(line.find(program), program.size(), VL_CLI);
  int demo_paths = 0;
  for (std::size_t at; (at = line.find(demo)) != std::string::npos; ++demo_paths)
    line.replace(at, demo.size(), folder + "/");
  EXPECT_EQ(demo_paths, 2) << "the demo's db.ini and journal in README's " << line;
  return line;
}

TEST(ReadmeQuickStartTest, EveryCommandRunsOnTheDemoWorldAndPrintsWhatTheReadmeSays) {
  const std::string options = first_line(read_file(VL_SOURCE_DIR "/world/demo-world.options"));
  ASSERT_FALSE(options.empty());
  const auto [loaded, load_out, load_err] =
      run_shell("bash -o pipefail -c '{ cat " VL_SOURCE_DIR "/world/schema.sql; " VL_WORLD_GEN " " +
                options + "; } | " VL_SOURCE_DIR "/scripts/test-db sql " + db_settings().dir + "'");
  ASSERT_EQ(loaded, 0) << load_err;

  char folder_template[] = "/tmp/vandril_quick_start_XXXXXX";
  const std::string folder = mkdtemp(folder_template);
  write_db_ini(folder + "/db.ini");
  const std::string readme = read_file(VL_SOURCE_DIR "/README.md");
  ASSERT_NE(readme.find("\n## Quick start\n"), std::string::npos);
  std::vector<QuickStartStep> steps = quick_start_steps(readme);
  ASSERT_GE(steps.size(), 6u) << "the Quick start: cli=, stats, a dry run, a write, history, undo";
  ASSERT_EQ(steps.front().command.rfind("cli=", 0), 0u) << steps.front().command;
  const std::string cli = cli_on_test_world(steps.front().command, folder);
  steps.erase(steps.begin());

  for (const QuickStartStep& step : steps) {
    SCOPED_TRACE(step.command);
    ASSERT_FALSE(step.documented_first_line.empty()) << "README says not what it prints first";
    const auto [status, out, err] =
        run_shell("{ " + cli + "\n" + step.command + "\n}");  // its comment ends at the line
    EXPECT_EQ(status, 0) << err;
    EXPECT_TRUE(matches(step.documented_first_line, first_line(out)))
        << "README: " << step.documented_first_line << "\nprinted: " << first_line(out);
  }
  std::filesystem::remove_all(folder);
  reset_world();
}

}  // namespace
}  // namespace vl::test
