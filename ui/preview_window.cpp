#include "ui/preview_window.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QFileDialog>
#include <QHeaderView>
#include <QLineEdit>
#include <QMessageBox>
#include <QRadioButton>
#include <QThread>
#include <QTimer>
#include <charconv>

#include "app/plan_report.h"
#include "app/window/preview_aim.h"
#include "core/random.h"
#include "loot/shared_copies.h"
#include "ui/preview_model.h"
#include "ui/qt_text.h"
#include "ui/qt_ui.h"
#include "ui_preview_window.h"

namespace vl::ui {
namespace {

constexpr int kTickMs = 250;  // how often the progress and the stale mark are looked at
constexpr int kRowsMeasured = 200;
constexpr int kItemsWidth = 300;  // pixels
constexpr const char* kAimChanged =
    "The aim changed since this plan was made: \"Write all at once\" plans again first.";
constexpr std::array kHeldButtons = {Form1Control::Command1, Form1Control::Command2,
                                     Form1Control::Command3, Form1Control::Command4};

std::optional<std::uint64_t> seed_of(const QString& text) {
  const std::string digits = text.trimmed().toStdString();
  std::uint64_t seed = 0;
  const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), seed);
  if (digits.empty() || error != std::errc() || end != digits.data() + digits.size())
    return std::nullopt;
  return seed;
}

// The totals, the shared loottables, the items that do not exist and the drop rates.
std::string totals_text(const app::Preview& preview) {
  const loot::Plan& plan = preview.plan;
  std::string text =
      "Drops named " + plan.drop_name + ", seed " + std::to_string(preview.seed) +
      "\nNPCs in the range: " + std::to_string(plan.npcs_in_range) +
      "   keeping a loottable (one per loottable): " + std::to_string(plan.npcs_keeping_loottable) +
      "   chosen: " + std::to_string(plan.drops.size()) +
      "\nDrops: " + std::to_string(plan.drops.size()) +
      "   entries: " + std::to_string(plan.entries()) + "\n";
  text += app::aim_summary_text(plan);
  text += app::missing_items_line(plan, preview.details);
  // With copies, the line of loottables NPCs outside would share stays only when any are left.
  if (plan.isolate_shared) text += loot::copies_summary(plan) + "\n";
  if (!plan.isolate_shared || !preview.details.shared.empty()) {
    text += "Shared loottables: " + std::to_string(preview.details.shared.size());
    for (const loot::SharedLoottable& table : preview.details.shared) {
      text += (&table == &preview.details.shared.front()
                   ? " (NPCs outside " + plan.level_low + "-" + plan.level_high +
                         " would get the drop too): "
                   : ", ") +
              std::to_string(table.loottable_id) + " (" + std::to_string(table.outside_npcs) +
              " NPCs)";
    }
    text += "\n";
  }
  return text + app::drop_rates_text(plan, preview.rates);
}

const char* step_text(int step) {
  switch (step) {
    case 1:
      return "Planning: reading the items, the NPCs and the highest lootdrop id...";
    case 2:
      return "Looking up the names and the shared loottables...";
    case 3:
      return "Computing the drop rates...";
    default:
      return "";
  }
}

}  // namespace

PreviewWindow::PreviewWindow(ProgramState& state, UiPort& ui, app::WindowJournal& journal,
                             CommandTurns& turns)
    : QWidget(nullptr, Qt::Window),
      form_(std::make_unique<::Ui::PreviewWindow>()),
      state_(state),
      ui_(ui),
      journal_(journal),
      turns_(turns) {
  form_->setupUi(this);
  setAttribute(Qt::WA_DeleteOnClose);
  setObjectName(QStringLiteral("preview"));
  ask = [this](const std::string& question) {
    // No unless chosen: Return alone never writes.
    return QMessageBox::question(this, QString::fromLatin1(kMessageBoxTitle),
                                 display_text(question), QMessageBox::Yes | QMessageBox::No,
                                 QMessageBox::No) == QMessageBox::Yes;
  };
  choose_file = [this](const QString& caption, const QString& filter) {
    return QFileDialog::getSaveFileName(this, caption, QString(), filter);
  };
  model_ = new PreviewModel(this);
  form_->drops->setModel(model_);
  // The last column as wide as its heading or its cells: stretched instead, it
  // would be squeezed below its heading whenever the window is a little too narrow.
  form_->drops->horizontalHeader()->setSectionResizeMode(PreviewModel::anything,
                                                         QHeaderView::ResizeToContents);
  // Column widths from the first rows only: measuring every row of a large plan would stall.
  form_->drops->horizontalHeader()->setResizeContentsPrecision(kRowsMeasured);
  form_->drops->verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 4);
  form_->drops->resizeColumnsToContents();  // the headings, while the first plan is made
  form_->seed->setText(QString::number(random_seed()));

  connect(form_->plan_again, &QPushButton::clicked, this, &PreviewWindow::plan);
  // A plan with the other choice is not the one shown: made again at once, or stale while busy.
  connect(form_->copies, &QCheckBox::toggled, this, &PreviewWindow::plan);
  for (QRadioButton* aim : {form_->aim_settings, form_->aim_new_drop, form_->aim_every_npc})
    connect(aim, &QRadioButton::toggled, this, [this](bool chosen) {
      if (chosen) plan();
    });
  for (QLineEdit* percent : {form_->new_drop_percent, form_->every_npc_percent})
    connect(percent, &QLineEdit::returnPressed, this, &PreviewWindow::plan);
  settings_changed_ = form_->stale->text();
  connect(form_->write, &QPushButton::clicked, this, &PreviewWindow::write_Click);
  connect(form_->save_sql, &QPushButton::clicked, this, &PreviewWindow::save_sql_Click);
  connect(form_->save_report, &QPushButton::clicked, this, &PreviewWindow::save_report_Click);
  connect(form_->cancel, &QPushButton::clicked, this, &PreviewWindow::cancel_Click);
  connect(form_->close, &QPushButton::clicked, this, &QWidget::close);
  connect(&turns_, &CommandTurns::changed, this, &PreviewWindow::update_controls);
  ticker_ = new QTimer(this);
  connect(ticker_, &QTimer::timeout, this, &PreviewWindow::update_controls);
  ticker_->start(kTickMs);
  update_controls();
}

PreviewWindow::~PreviewWindow() {
  if (!worker_) return;
  cancel_ = true;
  worker_->wait();
  delete worker_;
  if (work_ == Work::writing) hold_main_window(false);
}

void PreviewWindow::plan() {
  if (working()) return;
  const auto seed = seed_of(form_->seed->text());
  if (!seed) {
    write_after_plan_ = false;
    ui_.message_box("The seed must be a whole number from 0 to 18446744073709551615.");
    return;
  }
  const app::ChosenAim aim = chosen_aim();
  if (!aim.message.empty()) return show_no_plan(aim.message);
  auto session = app::connection_settings(state_);
  auto settings = std::make_shared<app::WindowSettings>(settings_now());
  start(Work::planning, [this, session, settings, seed] {
    planned_ = app::make_preview(*session, *settings, *seed, [this](app::PreviewStep step) {
      step_ = static_cast<int>(step) + 1;
      return !cancel_;
    });
  });
}

void PreviewWindow::start(Work work, const std::function<void()>& job) {
  work_ = work;
  cancel_ = false;
  step_ = 0;
  worker_ = QThread::create(job);
  connect(worker_, &QThread::finished, this, &PreviewWindow::work_finished);
  worker_->start();
  update_controls();
}

void PreviewWindow::work_finished() {
  if (!worker_) return;
  worker_->wait();
  delete worker_;
  worker_ = nullptr;
  const Work done = work_;
  work_ = Work::none;
  if (done == Work::planning) {
    show_planned();
  } else {
    hold_main_window(false);
    // Written: the table shows the ids the run took, and the plan cannot be written twice.
    if (write_result_.ending == Ending::completed) {
      preview_ = std::move(written_preview_);
      model_->show_preview(preview_);
    }
    written_preview_.reset();
    if (write_result_.ending == Ending::completed) written_run_ = write_result_.run_id;
    written_ = written_ || write_result_.ending == Ending::completed ||
               write_result_.ending == Ending::commit_unknown;
    update_controls();
    ui_.message_box(write_result_.message);
  }
  update_controls();
  emit work_ended();
}

void PreviewWindow::show_planned() {
  app::PreviewOutcome outcome = std::move(planned_);
  planned_ = {};
  const bool write_next = write_after_plan_ && outcome.preview;
  write_after_plan_ = false;
  if (!outcome.preview) {
    if (!outcome.message.empty()) ui_.message_box(outcome.message);
    return;
  }
  preview_ = std::move(outcome.preview);
  written_ = false;
  written_run_.reset();
  model_->show_preview(preview_);
  form_->totals->setText(display_text(totals_text(*preview_)));
  std::vector<std::pair<double, double>> chances;
  chances.reserve(preview_->plan.drops.size());
  for (const loot::PlannedDrop& drop : preview_->plan.drops) {
    const loot::DropRateChange& change = app::change_of(preview_->rates, drop.npc_id);
    chances.emplace_back(change.p_any_before, change.p_any_after);
  }
  form_->chart->set_chances(chances);
  const auto& aim = preview_->plan.aim;
  form_->chart->set_aim(aim && aim->per_kill() ? std::optional(aim->rate()) : std::nullopt);
  form_->drops->resizeColumnsToContents();
  // The items of a drop may be long; the chances after them stay in view.
  form_->drops->setColumnWidth(
      PreviewModel::items, std::min(form_->drops->columnWidth(PreviewModel::items), kItemsWidth));
  if (write_next) write_now();
}

void PreviewWindow::show_no_plan(const std::string& message) {
  write_after_plan_ = false;
  preview_.reset();
  written_ = false;
  written_run_.reset();
  model_->show_preview(nullptr);
  form_->chart->set_chances({});
  form_->chart->set_aim(std::nullopt);
  form_->totals->setText(display_text(message));
  update_controls();
}

app::ChosenAim PreviewWindow::chosen_aim() const {
  if (form_->aim_new_drop->isChecked())
    return app::chosen_aim(app::AimChoice::new_drop, form_->new_drop_percent->text().toStdString());
  if (form_->aim_every_npc->isChecked())
    return app::chosen_aim(app::AimChoice::every_npc,
                           form_->every_npc_percent->text().toStdString());
  return app::chosen_aim(app::AimChoice::window_settings, "");
}

app::WindowSettings PreviewWindow::settings_now() const {
  app::WindowSettings settings = app::window_settings(state_);
  settings.isolate_shared = form_->copies->isChecked();
  settings.aim = chosen_aim().aim;
  return settings;
}

bool PreviewWindow::stale() const { return preview_ && preview_->settings != settings_now(); }

void PreviewWindow::write_Click() {
  if (!preview_ || working() || turns_.main_command_running()) return;
  // A plan of settings that changed since is made again first.
  if (stale()) {
    write_after_plan_ = true;
    return plan();
  }
  write_now();
}

void PreviewWindow::write_now() {
  if (!preview_ || written_ || turns_.main_command_running()) return;
  const loot::Plan& plan = preview_->plan;
  if (!ask("Write " + std::to_string(plan.drops.size()) + " drops with " +
           std::to_string(plan.entries()) + " entries in one transaction?"))
    return;
  // The write takes the ids under its lock: it works on a copy, shown once written.
  auto writing = std::make_shared<app::Preview>(*preview_);
  auto session = app::connection_settings(state_);
  hold_main_window(true);
  start(Work::writing, [this, writing, session] {
    step_ = 4;
    write_result_ =
        app::write_preview(*writing, *session, journal_, [this] { return cancel_.load(); });
    written_preview_ = writing;
  });
}

void PreviewWindow::cancel_Click() { cancel_ = true; }

void PreviewWindow::save_sql_Click() {
  save(QStringLiteral("Save SQL script"), QStringLiteral("SQL scripts (*.sql);;All files (*)"),
       &app::save_script);
}

void PreviewWindow::save_report_Click() {
  save(QStringLiteral("Save report"), QStringLiteral("Reports (*.csv *.json)"), &app::save_report);
}

void PreviewWindow::save(const QString& caption, const QString& filter,
                         std::string (*write)(const app::Preview&, const std::string&)) {
  if (!preview_ || working()) return;
  const QString path = choose_file(caption, filter);
  if (path.isEmpty()) return;
  const std::string failure = write(*preview_, path.toStdString());
  if (!failure.empty()) ui_.message_box(failure);
}

void PreviewWindow::hold_main_window(bool hold) {
  turns_.set_preview_writing(hold);
  for (std::size_t i = 0; i < kHeldButtons.size(); ++i) {
    if (hold) held_[i] = state_.form1.button(kHeldButtons[i]).enabled;
    state_.form1.set_enabled(kHeldButtons[i], hold ? false : held_[i]);
  }
}

void PreviewWindow::update_controls() {
  const bool busy = working();
  const bool shown = preview_ != nullptr;
  form_->plan_again->setEnabled(!busy);
  form_->seed->setEnabled(!busy);
  form_->cancel->setEnabled(busy);
  form_->save_sql->setEnabled(shown && !busy);
  form_->save_report->setEnabled(shown && !busy);
  form_->write->setEnabled(shown && !busy && !written_ && !preview_->plan.drops.empty() &&
                           !turns_.main_command_running());
  form_->stale->setVisible(!busy && stale());
  if (form_->stale->isVisibleTo(this)) {
    app::WindowSettings with_aim_shown = settings_now();
    with_aim_shown.aim = preview_->settings.aim;
    form_->stale->setText(with_aim_shown == preview_->settings ? QString::fromLatin1(kAimChanged)
                                                               : settings_changed_);
  }
  form_->progress->setRange(0, busy ? 0 : 1);  // busy: moving
  form_->progress->setValue(0);
  // Empty, the bar looks like a box to type in: it is there only while something runs.
  form_->progress->setVisible(busy);
  const int step = step_;
  form_->progress_text->setText(
      !busy ? (written_run_ ? QStringLiteral("Written as run %1").arg(*written_run_) : QString())
      : work_ == Work::writing
          ? QStringLiteral("Writing %1 drops with %2 entries in one transaction...")
                .arg(preview_->plan.drops.size())
                .arg(preview_->plan.entries())
          : QString::fromLatin1(step_text(step)));
}

void PreviewWindow::closeEvent(QCloseEvent* event) {
  // The work stops at its next step; a write not yet committed is rolled back.
  if (worker_) {
    cancel_ = true;
    worker_->wait();
    work_finished();
  }
  event->accept();
}

PreviewWindowOpener::~PreviewWindowOpener() { delete window_; }

void PreviewWindowOpener::open() {
  if (!window_) {
    window_ = new PreviewWindow(state_, ui_, journal_, turns_);
    window_->plan();
  }
  window_->show();
  window_->raise();
  window_->activateWindow();
}

}  // namespace vl::ui
