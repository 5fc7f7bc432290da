// GO of the custom item list window: the bytes are the list box's text. A text
// needing more slots than the list holds is refused and changes nothing; any
// other fills one slot per CR-separated line, clears the rest and reports the
// number of line breaks.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/window/custom_list_handlers.h"
#include "app/window/program_state.h"
#include "core/numeric_text.h"
#include "fuzz_check.h"
#include "support/recording_ui.h"

// Whether every slot from the given one on holds 0 (slots_zero.cpp).
bool slots_zero_from(const std::vector<std::optional<double>>& slots, std::size_t from);

namespace {

namespace cl = vl::custom_list;

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

constexpr const char* kCaptionBefore = "caption before GO";

// What the slots hold before GO: a value no line reads as, different per slot.
const std::vector<std::optional<double>>& slots_before() {
  static const auto slots = [] {
    std::vector<std::optional<double>> made(vl::kCustomItemSlots);
    for (std::size_t slot = 0; slot < made.size(); ++slot) {
      if (slot % 7 != 3) made[slot] = -0.25 - static_cast<double>(slot);
    }
    return made;
  }();
  return slots;
}

bool holds_more_than_blanks(std::string_view line) {
  return line.find_first_not_of(" \t\n") != std::string_view::npos;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static vl::ProgramState state;
  static bool slots_written = true;  // the slots need their markers
  if (slots_written) {
    state.custom_item_ids = slots_before();
    state.custom_list_active = false;
    state.form1.set_caption(vl::Form1Control::Command6, kCaptionBefore);
    state.form1.set_enabled(vl::Form1Control::Command5, true);
  }

  const std::string text(reinterpret_cast<const char*>(data), size);
  std::vector<std::string_view> lines;
  for (std::string_view rest = text;; rest.remove_prefix(lines.back().size() + 1)) {
    lines.push_back(rest.substr(0, rest.find('\r')));
    if (lines.back().size() == rest.size()) break;
  }
  std::size_t needed = lines.size();
  while (needed > 0 && !holds_more_than_blanks(lines[needed - 1])) --needed;

  ListWindow window(text);
  vl::test::RecordingUi ui;
  cl::ok_Click(state, ui, window);
  auto& slots = state.custom_item_ids;
  FUZZ_CHECK(slots.size() == vl::kCustomItemSlots && slots[0] == slots_before()[0]);
  FUZZ_CHECK(ui.messages.size() == 1 && window.text_writes == 0);

  slots_written = needed <= static_cast<std::size_t>(cl::kListCapacity);
  if (!slots_written) {
    FUZZ_CHECK(window.unloads == 0 && !state.custom_list_active);
    FUZZ_CHECK(state.form1.button(vl::Form1Control::Command6).caption == kCaptionBefore);
    FUZZ_CHECK(state.form1.button(vl::Form1Control::Command5).enabled);
    FUZZ_CHECK(slots == slots_before());
    return 0;
  }

  const std::string count = std::to_string(lines.size() - 1);
  FUZZ_CHECK(ui.messages[0] == "Custom List Created [" + count + " items]");
  FUZZ_CHECK(state.form1.button(vl::Form1Control::Command6).caption ==
             "Custom Item List - [" + count + " items]");
  FUZZ_CHECK(!state.form1.button(vl::Form1Control::Command5).enabled);
  FUZZ_CHECK(state.custom_list_active && window.unloads == 1);

  const std::size_t stored = std::min<std::size_t>(lines.size(), cl::kListCapacity);
  for (std::size_t slot = 1; slot <= stored; ++slot) {
    const std::string_view line = lines[slot - 1];
    const std::string_view id = line.substr(line.find('\t') == line.npos ? 0 : line.find('\t') + 1);
    FUZZ_CHECK(slots[slot] == (line.empty() ? 0.0 : vl::numeric_value(id)));
  }
  FUZZ_CHECK(slots_zero_from(slots, stored + 1));
  // Lines past the capacity are blank, so they could only have read 0.
  for (std::size_t i = stored; i < lines.size(); ++i) FUZZ_CHECK(!holds_more_than_blanks(lines[i]));
  return 0;
}
