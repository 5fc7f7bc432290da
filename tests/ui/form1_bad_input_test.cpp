// Every kind of text in the items-per-drop box: the box and item_max_count end
// as the handler's rules say, silently, whatever is typed. And a start-up whose
// db.ini cannot be read.

#include <filesystem>
#include <memory>
#include <string>
#include <tuple>
#include <vector>

#include "ui/form1_logic.h"
#include "ui_test_support.h"

namespace vl {
namespace {

using test::RecordingUi;
using namespace std::string_literals;  // texts with NUL characters inside

TEST(ItemMaxBadInput, EveryKindOfTextEndsAsANumberOr5Or100) {
  auto state = std::make_unique<ProgramState>();
  form1::install_handlers(*state);
  const std::string digits(100000, '7');
  const std::string zeros_then_7 = std::string(99999, '0') + "7";
  const std::string tiny = "0." + std::string(99998, '0') + "1";
  struct Case {
    std::string typed, text_after;
    int count;
  };
  // clang-format off
  const Case cases[] = {
      // No number as a whole: the box becomes "5".
      {"", "5", 5}, {"   ", "5", 5}, {"\t\r\n", "5", 5}, {"abc", "5", 5}, {"1,000", "5", 5},
      {"&HFFFF", "5", 5}, {"&O777", "5", 5}, {"1\t0", "5", 5}, {"1\n0", "5", 5},
      {"1 0", "5", 5}, {"7\0"s, "5", 5}, {"\0"s, "5", 5}, {"\0" "7"s, "5", 5},
      {"\xEF\xBC\x97", "5", 5} /* a full-width 7 */, {"7\xE2\x82\xAC", "5", 5} /* 7 euro */,
      {"\xE2\x88\x92" "3", "5", 5} /* a minus sign, not a hyphen */, {"inf", "5", 5},
      {"nan", "5", 5}, {"0x10", "5", 5}, {"2D3", "5", 5},
      // Beyond the double range: refused, not clamped.
      {"1e400", "5", 5}, {"-1e400", "5", 5}, {digits, "5", 5}, {"-" + digits, "5", 5},
      // Above 100: "100".
      {"1e9", "100", 100}, {"32767", "100", 100}, {"32768", "100", 100}, {"100.5", "100", 100},
      {"1e308", "100", 100},
      // Blanks around the number are allowed; the text stays as typed.
      {" \t7\r\n", " \t7\r\n", 7}, {"\n-1\n", "\n-1\n", -1},
      // Halves to the even neighbour; no lower bound down to the 16-bit limit.
      {"1.5", "1.5", 2}, {"2.5", "2.5", 2}, {"-2.5", "-2.5", -2}, {"99.5", "99.5", 100},
      {"100.0", "100.0", 100}, {"-1", "-1", -1}, {"0", "0", 0}, {"-0", "-0", 0},
      {"-32768", "-32768", -32768}, {"-32768.5", "-32768.5", -32768},
      {"-32769", "5", 5}, {"-32768.6", "5", 5}, {"-1e9", "5", 5},
      {zeros_then_7, zeros_then_7, 7}, {tiny, tiny, 0}, {"1e-400", "1e-400", 0}};
  // clang-format on
  for (const Case& c : cases) {
    const std::string shown = c.typed.size() > 40 ? c.typed.substr(0, 40) + "..." : c.typed;
    state->item_max_count = 77;
    state->form1.set_text(Form1Control::item_max, c.typed);
    EXPECT_EQ(std::tuple(state->form1.text(Form1Control::item_max), state->item_max_count),
              std::tuple(c.text_after, c.count))
        << '"' << shown << '"';
  }
}

TEST(FormLoadBadDbIni, ADirectoryNamedDbIniShowsTheMessageAndMakesNoWindow) {
  const std::string path = "ui_test_db_ini_folder";
  std::filesystem::create_directory(path);
  RecordingUi ui;
  auto state = std::make_unique<ProgramState>();
  EXPECT_EQ(ui::load_main_window(*state, ui, path), nullptr);
  EXPECT_EQ(ui.messages, std::vector<std::string>{"DB.INI Invalid or Missing"});
  EXPECT_TRUE(QApplication::topLevelWidgets().isEmpty());
  std::filesystem::remove(path);
}

}  // namespace
}  // namespace vl
