// What a newcomer reads in the History and Preview windows: local times, item
// lists in full and a chart of how the chances are spread (the headers that fit
// and the progress bar: ui_test.cpp).

#include <gtest/gtest.h>

#include <QApplication>
#include <QPaintEngine>
#include <QPainter>
#include <QPainterPath>
#include <QPicture>
#include <QTableView>
#include <QTableWidget>
#include <QTest>
#include <cmath>
#include <filesystem>

#include "journal/store.h"
#include "support/recording_ui.h"
#include "support/test_db.h"
#include "ui/history_window.h"
#include "ui/preview_chart.h"
#include "ui/preview_model.h"
#include "ui/preview_window.h"

namespace vl::test {
namespace {

// The journal keeps UTC; the window shows the clock of TZ, and UTC as the tooltip.
TEST(HistoryTimes, LocalInTheCellUtcInTheTooltip) {
  const std::string path = "first_hour_history.sqlite3";
  for (const char* suffix : {"", "-wal", "-shm"}) std::filesystem::remove(path + suffix);
  {
    journal::Store store(path);
    journal::RunInfo run;
    for (const char* started : {"2026-01-15T03:30:00Z", "2026-07-01T12:00:00Z", "yesterday"}) {
      run.started = started;
      store.end_run(store.begin_run(run), "completed", false);
    }
  }
  // clang-format off
  const struct { const char* zone; Texts shown; } zones[] = {  // newest run first
    {"UTC0", {"yesterday", "2026-07-01 12:00:00 UTC", "2026-01-15 03:30:00 UTC"}},
    {"EST5EDT,M3.2.0,M11.1.0", {"yesterday", "2026-07-01 08:00:00 EDT", "2026-01-14 22:30:00 EST"}},
    {"IST-5:30", {"yesterday", "2026-07-01 17:30:00 IST", "2026-01-15 09:00:00 IST"}},
  };
  // clang-format on
  const char* saved = std::getenv("TZ");
  const std::string kept = saved ? saved : "";
  auto state = std::make_unique<ProgramState>();
  RecordingUi ui;
  app::WindowJournal journal(path);
  ui::CommandTurns turns;
  for (const auto& zone : zones) {
    setenv("TZ", zone.zone, 1);
    tzset();
    ui::HistoryWindow history(*state, ui, journal, turns);
    const auto* runs = history.findChild<QTableWidget*>("runs");
    ASSERT_NE(runs, nullptr);
    Texts shown, tips;
    for (int row = 0; row < runs->rowCount(); ++row) {
      shown.push_back(runs->item(row, 1)->text().toStdString());
      tips.push_back(runs->item(row, 1)->toolTip().toStdString());
    }
    EXPECT_EQ(std::pair(shown, tips), std::pair(zone.shown, Texts{"", "2026-07-01 12:00:00 UTC",
                                                                  "2026-01-15 03:30:00 UTC"}))
        << zone.zone;
  }
  saved ? setenv("TZ", kept.c_str(), 1) : unsetenv("TZ");
  tzset();
}

// The items cell is cut to its column; its tooltip lists every item, one a line.
TEST(PreviewItems, TheTooltipListsEveryItem) {
  auto preview = std::make_shared<app::Preview>();
  preview->details.items = {{1, "Rusty Sword"}, {2, "Cloth Cap"}};
  const struct {
    std::vector<std::int32_t> items;
    std::string tip;
  } drops[] = {
      {{1, 2, 3}, "1 Rusty Sword\n2 Cloth Cap\n3 (does not exist)"},
      {{2}, "2 Cloth Cap"},
  };
  for (const auto& drop : drops) preview->plan.drops.emplace_back().item_ids = drop.items;
  ui::PreviewModel model;
  model.show_preview(preview);
  for (int row = 0; row < static_cast<int>(std::size(drops)); ++row)
    EXPECT_EQ(
        model.index(row, ui::PreviewModel::items).data(Qt::ToolTipRole).toString().toStdString(),
        drops[row].tip);
}

// Records what is painted: the texts and, in order, the lines drawn as paths (the chart's series).
class RecordingEngine : public QPaintEngine {
 public:
  RecordingEngine() : QPaintEngine(QPaintEngine::AllFeatures) {}
  bool begin(QPaintDevice*) override { return true; }
  bool end() override { return true; }
  void updateState(const QPaintEngineState& state) override {
    if (state.state() & DirtyPen) pen = state.pen();
  }
  void drawPixmap(const QRectF&, const QPixmap&, const QRectF&) override {}
  void drawPolygon(const QPointF*, int, PolygonDrawMode) override {}
  void drawTextItem(const QPointF&, const QTextItem& item) override { texts << item.text(); }
  void drawPath(const QPainterPath& path) override {
    if (pen.style() != Qt::NoPen) paths.push_back(path);  // not a filled background
  }
  Type type() const override { return QPaintEngine::User; }
  QStringList texts;
  QPen pen;
  std::vector<QPainterPath> paths;
};
class RecordingDevice : public QPaintDevice {
 public:
  QPaintEngine* paintEngine() const override { return &engine; }
  int metric(PaintDeviceMetric metric) const override {
    return metric == PdmWidth ? 400 : metric == PdmHeight ? 200 : metric == PdmDepth ? 32 : 96;
  }
  mutable RecordingEngine engine;
};

// The NPCs come in the plan's order; each series is drawn sorted ascending,
// one step per NPC, under its axis labels; an aim, as a line across with its words.
TEST(PreviewChart, DrawsEachSeriesSortedWithAxisLabelsAndTheAim) {
  ui::PreviewChart chart;
  chart.resize(400, 200);
  chart.set_chances({{0.9, 0.95}, {0.1, 0.2}, {0.5, 0.6}});
  chart.set_aim(0.3);
  QPicture picture;
  chart.render(&picture);
  RecordingDevice device;
  {
    QPainter painter(&device);
    picture.play(&painter);
  }
  const std::vector<QPainterPath>& paths = device.engine.paths;
  ASSERT_EQ(paths.size(), 3u);
  // Each step's height, read against the "before" steps' 0.1 and 0.9.
  std::vector<double> heights[2];
  for (std::size_t series = 0; series < 2; ++series)
    for (int e = 0; e < paths[series].elementCount(); e += 2)
      heights[series].push_back(paths[series].elementAt(e).y);
  ASSERT_EQ(heights[0].size(), 3u);
  const double per_unit = (heights[0][0] - heights[0][2]) / 0.8;
  const double zero = heights[0][0] + 0.1 * per_unit;
  std::vector<double> chances[2];
  for (std::size_t series = 0; series < 2; ++series)
    for (double y : heights[series])
      chances[series].push_back(std::round((zero - y) / per_unit * 1000) / 1000);
  const QPainterPath& aim = paths[2];
  EXPECT_EQ(
      std::tuple(chances[0], chances[1], device.engine.texts.contains("chance per kill"),
                 device.engine.texts.contains("NPCs, sorted by chance per kill"),
                 std::round((zero - aim.elementAt(0).y) / per_unit * 1000) / 1000,
                 aim.elementAt(1).y - aim.elementAt(0).y, device.engine.texts.contains("aim 30 %")),
      std::tuple(std::vector{0.1, 0.5, 0.9}, std::vector{0.2, 0.6, 0.95}, true, true, 0.3, 0.0,
                 true));
}

}  // namespace
}  // namespace vl::test
