#include "ui/history_window.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include "journal/run_settings.h"
#include "ui/journal_time.h"
#include "ui/qt_text.h"
#include "ui/qt_ui.h"

namespace vl::ui {
namespace {

enum Column { when = 1 };  // of kColumns
const QStringList kColumns = {QStringLiteral("Run"),      QStringLiteral("When"),
                              QStringLiteral("Command"),  QStringLiteral("Levels"),
                              QStringLiteral("Category"), QStringLiteral("Rows"),
                              QStringLiteral("Outcome"),  QStringLiteral("Undoable")};

bool ask_in_box(QWidget* parent, const std::string& question) {
  return QMessageBox::question(parent, QString::fromLatin1(kMessageBoxTitle),
                               display_text(question)) == QMessageBox::Yes;
}

}  // namespace

HistoryWindow::HistoryWindow(ProgramState& state, UiPort& ui, app::WindowJournal& journal,
                             CommandTurns& turns)
    : QWidget(nullptr, Qt::Window), state_(state), ui_(ui), journal_(journal), turns_(turns) {
  setAttribute(Qt::WA_DeleteOnClose);
  setObjectName(QStringLiteral("history"));
  setWindowTitle(QStringLiteral("History"));
  resize(840, 360);
  ask = [this](const std::string& question) { return ask_in_box(this, question); };

  runs_table_ = new QTableWidget(0, static_cast<int>(kColumns.size()), this);
  runs_table_->setObjectName(QStringLiteral("runs"));
  runs_table_->setHorizontalHeaderLabels(kColumns);
  runs_table_->setSelectionBehavior(QAbstractItemView::SelectRows);
  runs_table_->setSelectionMode(QAbstractItemView::SingleSelection);
  runs_table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  runs_table_->verticalHeader()->hide();
  runs_table_->horizontalHeader()->setStretchLastSection(true);
  unavailable_ = new QLabel(this);
  unavailable_->setObjectName(QStringLiteral("unavailable"));
  unavailable_->setWordWrap(true);
  why_ = new QLabel(this);
  why_->setObjectName(QStringLiteral("why"));
  why_->setWordWrap(true);
  undo_ = new QPushButton(QStringLiteral("Undo"), this);
  undo_->setObjectName(QStringLiteral("undo"));
  auto* close = new QPushButton(QStringLiteral("Close"), this);

  auto* buttons = new QHBoxLayout;
  buttons->addWidget(why_, 1);
  buttons->addWidget(undo_);
  buttons->addWidget(close);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(unavailable_);
  layout->addWidget(runs_table_);
  layout->addLayout(buttons);

  connect(runs_table_, &QTableWidget::itemSelectionChanged, this, &HistoryWindow::show_selected);
  connect(undo_, &QPushButton::clicked, this, &HistoryWindow::undo_Click);
  connect(close, &QPushButton::clicked, this, &QWidget::close);
  connect(&turns_, &CommandTurns::changed, this, &HistoryWindow::show_selected);
  refresh();
}

void HistoryWindow::refresh() {
  runs_.clear();
  if (const std::shared_ptr<journal::Store> store = journal_.store()) {
    try {
      runs_ = store->runs();
    } catch (const journal::JournalError& error) {
      ui_.message_box(std::string("The journal cannot be read (") + error.what() + ").");
    }
  }
  const std::string unavailable = journal_.why_unavailable();
  unavailable_->setText(display_text(unavailable));
  unavailable_->setVisible(!unavailable.empty());
  runs_table_->setRowCount(static_cast<int>(runs_.size()));
  for (int row = 0; row < static_cast<int>(runs_.size()); ++row) {
    const journal::RunInfo& run = runs_[static_cast<std::size_t>(row)];
    const ShownTime started = shown_time(run.started);
    const std::string cells[] = {std::to_string(run.id),
                                 started.local,
                                 run.command,
                                 journal::setting_of(run.settings, "levels"),
                                 journal::setting_of(run.settings, "category"),
                                 std::to_string(run.rows),
                                 journal::shown_outcome(run),
                                 journal::why_not_undoable(run).empty() ? "yes" : "no"};
    for (int column = 0; column < static_cast<int>(std::size(cells)); ++column)
      runs_table_->setItem(row, column, new QTableWidgetItem(display_text(cells[column])));
    runs_table_->item(row, when)->setToolTip(display_text(started.utc));
  }
  runs_table_->resizeColumnsToContents();
  if (!runs_.empty()) runs_table_->selectRow(0);
  show_selected();
}

std::int64_t HistoryWindow::selected_run() const {
  const auto rows = runs_table_->selectionModel()->selectedRows();
  return rows.isEmpty() ? 0 : runs_[static_cast<std::size_t>(rows.front().row())].id;
}

void HistoryWindow::show_selected() {
  std::string why;
  if (!journal_.store()) {
    if (journal_.why_unavailable().empty()) why = "No run has been journaled yet.";
  } else if (runs_.empty()) {
    why = "No run has been journaled yet.";
  } else if (const auto rows = runs_table_->selectionModel()->selectedRows(); !rows.isEmpty()) {
    why = journal::why_not_undoable(runs_[static_cast<std::size_t>(rows.front().row())]);
  }
  why_->setText(display_text(why));
  undo_->setEnabled(journal_.store() && selected_run() != 0 && why.empty() &&
                    !turns_.main_command_running() && !turns_.preview_writing());
}

void HistoryWindow::undo_Click() {
  const std::int64_t run = selected_run();
  const std::shared_ptr<journal::Store> store = journal_.store();
  if (run == 0 || !store || turns_.main_command_running() || turns_.preview_writing()) return;
  // Counted as a command of the main window: the Preview's write waits for it.
  turns_.main_command_started();
  app::undo_run(*store, state_, run, ui_, ask);
  turns_.main_command_ended();
  refresh();
}

HistoryWindowOpener::~HistoryWindowOpener() { delete window_; }

void HistoryWindowOpener::open() {
  if (!window_) window_ = new HistoryWindow(state_, ui_, journal_, turns_);
  window_->refresh();
  window_->show();
  window_->raise();
  window_->activateWindow();
}

}  // namespace vl::ui
