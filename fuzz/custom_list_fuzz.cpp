// GO of the custom item list window: the bytes are the list box's text. A text
// needing more slots than the list holds is refused and changes nothing; any
// other fills one slot per CR-separated line, clears the rest and reports the
// number of line breaks.

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/numeric_text.h"
#include "core/program_state.h"
#include "fuzz_check.h"
#include "loot/custom_list.h"
#include "slots_zero.h"
#include "support/recording_ui.h"

namespace {

namespace cl = vl::custom_list;

// Records the message boxes instead of showing them.
using SilentUi = vl::test::RecordingUi;

class ListWindow : public cl::ListControls {
 public:
  explicit ListWindow(std::string text) : text_(std::move(text)) {}
  std::string customlist_text() const override { return text_; }
  void set_customlist_text(const std::string& text) override {
    text_ = text;
    ++text_writes;
  }
  void unload() override { ++unloads; }
  int text_writes = 0;
  int unloads = 0;

 private:
  std::string text_;
};

// What the slots hold before GO: a value no line reads as, different per slot.
std::optional<double> sentinel(std::size_t slot) {
  if (slot % 7 == 3) return std::nullopt;
  return -0.25 - static_cast<double>(slot);
}

constexpr const char* kCaptionBefore = "caption before GO";

const std::vector<std::optional<double>>& slots_before() {
  static const auto slots = [] {
    std::vector<std::optional<double>> made(vl::kCustomItemSlots);
    for (std::size_t slot = 0; slot < made.size(); ++slot) made[slot] = sentinel(slot);
    return made;
  }();
  return slots;
}

void reset(vl::ProgramState& state) {
  state.custom_item_ids = slots_before();
  state.custom_list_active = false;
  state.form1.set_caption(vl::Form1Control::Command6, kCaptionBefore);
  state.form1.set_enabled(vl::Form1Control::Command5, true);
}

std::vector<std::string_view> lines_of(std::string_view text) {
  std::vector<std::string_view> lines;
  while (true) {
    const std::size_t cr = text.find('\r');
    lines.push_back(text.substr(0, cr));
    if (cr == std::string_view::npos) return lines;
    text.remove_prefix(cr + 1);
  }
}

bool holds_more_than_blanks(std::string_view line) {
  return line.find_first_not_of(" \t\n") != std::string_view::npos;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const auto state = [] {
    auto made = std::make_unique<vl::ProgramState>();
    reset(*made);
    return made;
  }();
  static bool slots_written = false;
  if (slots_written) reset(*state);

  const std::string text(reinterpret_cast<const char*>(data), size);
  const std::vector<std::string_view> lines = lines_of(text);
  std::size_t needed = lines.size();
  while (needed > 0 && !holds_more_than_blanks(lines[needed - 1])) --needed;

  ListWindow window(text);
  SilentUi ui;
  cl::ok_Click(*state, ui, window);
  auto& slots = state->custom_item_ids;
  FUZZ_CHECK(slots.size() == vl::kCustomItemSlots);
  FUZZ_CHECK(ui.messages.size() == 1);
  FUZZ_CHECK(window.text_writes == 0);
  FUZZ_CHECK(slots[0] == slots_before()[0]);

  if (needed > static_cast<std::size_t>(cl::kListCapacity)) {
    FUZZ_CHECK(window.unloads == 0);
    FUZZ_CHECK(!state->custom_list_active);
    FUZZ_CHECK(state->form1.button(vl::Form1Control::Command6).caption == kCaptionBefore);
    FUZZ_CHECK(state->form1.button(vl::Form1Control::Command5).enabled);
    FUZZ_CHECK(slots == slots_before());
    return 0;
  }

  slots_written = true;
  const std::string count = std::to_string(lines.size() - 1);
  FUZZ_CHECK(ui.messages[0] == "Custom List Created [" + count + " items]");
  FUZZ_CHECK(state->form1.button(vl::Form1Control::Command6).caption ==
             "Custom Item List - [" + count + " items]");
  FUZZ_CHECK(!state->form1.button(vl::Form1Control::Command5).enabled);
  FUZZ_CHECK(state->custom_list_active);
  FUZZ_CHECK(window.unloads == 1);

  const std::size_t stored = std::min<std::size_t>(lines.size(), cl::kListCapacity);
  for (std::size_t slot = 1; slot <= stored; ++slot) {
    const std::string_view line = lines[slot - 1];
    const std::size_t tab = line.find('\t');
    const std::string_view id = tab == std::string_view::npos ? line : line.substr(tab + 1);
    FUZZ_CHECK(slots[slot] == (line.empty() ? 0.0 : vl::numeric_value(id)));
  }
  FUZZ_CHECK(slots_zero_from(slots, stored + 1));
  // Lines past the capacity are blank, so they could only have read 0.
  for (std::size_t i = stored; i < lines.size(); ++i) FUZZ_CHECK(!holds_more_than_blanks(lines[i]));
  return 0;
}
