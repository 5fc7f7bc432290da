#include "ui/form1_window.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCloseEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMouseEvent>
#include <QPainter>
#include <QRadioButton>

#include "app/window/delete_button.h"
#include "app/window/form1_logic.h"
#include "app/window/generation_run.h"
#include "app/window/repair_button.h"
#include "app/window/stats_button.h"
#include "loot/catalog.h"
#include "ui/application_setup.h"
#include "ui/artwork.h"
#include "ui/controls.h"
#include "ui/qt_text.h"

namespace vl::ui {
namespace {

const QColor kNavy(0x00, 0x00, 0x40);
const QColor kWhite(0xff, 0xff, 0xff);
const QColor kOlive(0xc0, 0xc0, 0x00);
const QColor kYellow(0xff, 0xff, 0x00);
const QColor kLightYellow(0xff, 0xff, 0x80);
const QColor kPaleYellow(0xff, 0xff, 0xc0);
const QColor kPink(0xff, 0x80, 0xff);
const QColor kBlue(0x00, 0x00, 0xff);

const QString kPercentTip =
    QStringLiteral("From selected npc level range, what % of those get the selected custom loot");

// The option buttons' widths, one per loot category, in the catalog's order.
constexpr std::array<int, loot::kLootCategoryCount> kOptionWidths = {89,  89, 153, 129, 89,  161,
                                                                     145, 89, 233, 153, 217, 289};

// The statistics columns, one per level range.
struct ColumnSpec {
  int x;
  int width;
};
constexpr std::array<ColumnSpec, loot::kLevelRangeCount> kLvlsColumns = {
    {{200, 49}, {264, 57}, {336, 57}, {408, 57}, {480, 57}, {552, 57}, {624, 49}, {688, 49}}};

// Label6 heads the columns with the ranges, spaced to stand above them.
constexpr std::array<int, loot::kLevelRangeCount> kHeadingGaps = {4, 9, 10, 10, 10, 10, 9, 8};

std::string column_heading() {
  std::string heading;
  for (int i = 0; i < loot::kLevelRangeCount; ++i) {
    heading += std::string(kHeadingGaps[i], ' ') + std::string(loot::kLevelRanges[i].entry);
  }
  return heading;
}

QFont label_font() { return window_font(QStringLiteral("MS Sans Serif"), 8.25, true); }
QFont default_font() { return window_font(QStringLiteral("MS Sans Serif"), 8.25, false); }

void set_colours(QWidget* widget, QPalette::ColorRole background, const QColor& back,
                 QPalette::ColorRole foreground, const QColor& fore) {
  QPalette colours = widget->palette();
  colours.setColor(background, back);
  colours.setColor(foreground, fore);
  widget->setPalette(colours);
}

}  // namespace

Form1Window::Form1Window(ProgramState& state, UiPort& ui, app::WindowJournal& journal,
                         QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint),
      state_(state),
      ui_(ui),
      journal_(journal),
      background_(paint_form1_background()),
      history_window_(state, ui, journal, turns_),
      preview_window_(state, ui, journal, turns_) {
  end_program = [this](int exit_code) { app::end_program_now(state_, exit_code); };
  setObjectName(QStringLiteral("Form1"));
  setWindowTitle(QStringLiteral("Vandril Like LOOT maker ver 1.1.0"));
  setWindowIcon(window_icon());
  setFixedSize(kForm1ClientSize);
  setAttribute(Qt::WA_OpaquePaintEvent);

  build_controls();
  add_menu_keys();
  pass_label_right_clicks();
  set_focus_order();
  show_all_controls();
  changed_widgets_.clear();

  previous_on_changed_ = state_.form1.on_changed;
  state_.form1.on_changed = [this](Form1Control control) {
    if (previous_on_changed_) previous_on_changed_(control);
    show_control(control);
  };
}

Form1Window::~Form1Window() {
  // The focus watch reads text_boxes_, which goes before the children do, and
  // closing a child moves the focus.
  disconnect(focus_watch_);
  state_.form1.on_changed = previous_on_changed_;
}

template <typename Label>
QLabel* Form1Window::add_label(const char* name, QRect geometry, const char* caption,
                               Qt::Alignment align) {
  auto* label = new Label(QString::fromLatin1(caption), this);
  label->setObjectName(QString::fromLatin1(name));
  label->setGeometry(geometry);
  label->setTextFormat(Qt::PlainText);
  label->setAlignment(align | Qt::AlignTop);
  label->setWordWrap(true);
  label->setFont(label_font());
  set_colours(label, QPalette::Window, kNavy, QPalette::WindowText, kWhite);
  label->setAutoFillBackground(true);
  // Only the window's bare background starts a drag, not its labels.
  label->setAttribute(Qt::WA_NoMousePropagation);
  return label;
}

QLineEdit* Form1Window::add_text_box(Form1Control box, const char* name, QRect geometry) {
  auto* edit = new QLineEdit(this);
  edit->setObjectName(QString::fromLatin1(name));
  edit->setGeometry(geometry);
  edit->setFont(default_font());
  edit->setTextMargins(0, 0, 0, 0);
  edit->setAttribute(Qt::WA_NoMousePropagation);
  connect(edit, &QLineEdit::textEdited, this,
          [this, box](const QString& text) { state_.form1.set_text(box, text.toStdString()); });
  text_boxes_[box] = edit;
  return edit;
}

WrappingButton* Form1Window::add_button(Form1Control which, const char* name, QRect geometry,
                                        bool pale) {
  auto* button = new WrappingButton(QString(), this);
  button->setObjectName(QString::fromLatin1(name));
  button->setGeometry(geometry);
  button->setAutoDefault(false);
  button->setAttribute(Qt::WA_NoMousePropagation);
  if (pale) {
    button->setFont(label_font());
    set_colours(button, QPalette::Button, kPaleYellow, QPalette::ButtonText, Qt::black);
  } else {
    button->setFont(default_font());
  }
  buttons_[which] = button;
  return button;
}

void Form1Window::build_controls() {
  // Graphical controls first: they lie beneath the windowed ones.
  progress_ = new LineControl(kBlue, 5, this);
  progress_->setObjectName(QStringLiteral("progress"));
  progress_->setGeometry(rect());

  add_label("Label1", {16, 24, 89, 25}, "NPC LEVEL", Qt::AlignLeft);
  add_label("Label2", {128, 24, 137, 25}, "LOOT CATEGORY", Qt::AlignLeft);
  add_label("Label4", {280, 48, 113, 33}, "% each NPC gets items", Qt::AlignHCenter)
      ->setToolTip(kPercentTip);
  add_label("Label9", {296, 136, 89, 17}, "loottable %", Qt::AlignHCenter)->setToolTip(kPercentTip);
  add_label("Label3", {384, 136, 129, 17}, "Number of Items/drop", Qt::AlignLeft)
      ->setToolTip(QStringLiteral(
          "What is the chance all npc's in selected level range will drop this loot"));
  add_label("Label7", {512, 136, 177, 17}, "lootdrop % (per item roll)", Qt::AlignHCenter)
      ->setToolTip(kPercentTip);
  lx_ = add_label("lx", {624, 48, 137, 25}, "", Qt::AlignLeft);
  add_label("Label5", {384, 280, 249, 25}, "# NPC with CUSTOM DROPS by LEVEL", Qt::AlignLeft);
  QLabel* label6 = add_label<SpacedHeading>("Label6", {192, 352, 553, 17}, column_heading().c_str(),
                                            Qt::AlignLeft);
  label6->setWordWrap(false);

  // The statistics rows must stay level with each other, so no wrapping; the
  // columns overlap the word list a little, so neither paints a background.
  statistical_ = add_label("statistical", {8, 368, 233, 209}, "", Qt::AlignLeft);
  statistical_->setWordWrap(false);
  statistical_->setAutoFillBackground(false);
  set_colours(statistical_, QPalette::Window, kNavy, QPalette::WindowText, kOlive);
  for (int i = 1; i <= loot::kLevelRangeCount; ++i) {
    const ColumnSpec& column = kLvlsColumns[i - 1];
    const QByteArray name = "lvls" + QByteArray::number(i);
    QLabel* lvls =
        add_label(name.constData(), {column.x, 368, column.width, 225}, "", Qt::AlignHCenter);
    lvls->setWordWrap(false);
    lvls->setAutoFillBackground(false);
    set_colours(lvls, QPalette::Window, kNavy, QPalette::WindowText, kOlive);
    lvls_[i] = lvls;
  }

  QLabel* label8 = add_label("Label8", {208, 3, 89, 17}, "Ver 1.8.5", Qt::AlignLeft);
  label8->setAutoFillBackground(false);
  set_colours(label8, QPalette::Window, Qt::transparent, QPalette::WindowText, kYellow);

  // The frame goes over the labels it crosses, so that it shows unbroken.
  auto* shape1 = new OutlineShape(kYellow, this);
  shape1->setObjectName(QStringLiteral("Shape1"));
  shape1->setGeometry(304, 120, 385, 65);

  // Windowed controls.
  level_ = new QListWidget(this);
  level_->setObjectName(QStringLiteral("level"));
  level_->setGeometry(8, 48, 89, 213);
  level_->setSelectionMode(QAbstractItemView::SingleSelection);
  level_->setFont(window_font(QStringLiteral("Tahoma"), 12, false));
  set_colours(level_, QPalette::Base, kNavy, QPalette::Text, kPink);
  level_->setAttribute(Qt::WA_NoMousePropagation);
  connect(level_, &QListWidget::itemSelectionChanged, this, &Form1Window::level_Click);

  add_button(Form1Control::Command1, "Command1", {8, 264, 89, 73}, true)
      ->setToolTip(QStringLiteral(
          "Deletes custom loot from selected level ranges. Hit refresh to see updated stats."));

  op_group_ = new QButtonGroup(this);
  op_group_->setExclusive(true);
  for (int i = 0; i < loot::kLootCategoryCount; ++i) {
    const std::string_view caption = loot::kLootCategories[i].caption;
    auto* option = new QRadioButton(QString::fromLatin1(caption.data(), caption.size()), this);
    option->setObjectName(QStringLiteral("op%1").arg(i));
    option->setGeometry(112, 40 + 24 * i, kOptionWidths[i], 33);
    option->setFont(window_font(QStringLiteral("Verdana"), 9.75, false));
    set_colours(option, QPalette::Window, kNavy, QPalette::WindowText, kLightYellow);
    option->setAttribute(Qt::WA_NoMousePropagation);
    op_group_->addButton(option, i);
    op_[i] = option;
  }
  connect(op_group_, &QButtonGroup::idToggled, this, [this](int id, bool checked) {
    if (checked && state_.form1.op_selected() != id) state_.form1.select_op(id);
  });

  add_text_box(Form1Control::perc_of_npcs, "perc_of_npcs", {312, 80, 49, 19});
  add_text_box(Form1Control::loottable_percentx, "loottable_percentx", {320, 152, 49, 19});
  add_text_box(Form1Control::item_max, "item_max", {424, 152, 33, 19});
  add_text_box(Form1Control::lootdrop_percentx, "lootdrop_percentx", {560, 152, 49, 19});

  connect(add_button(Form1Control::Command2, "Command2", {432, 48, 105, 49}, false),
          &QPushButton::clicked, this, &Form1Window::Command2_Click);
  connect(add_button(Form1Control::Command5, "Command5", {536, 192, 105, 17}, false),
          &QPushButton::clicked, this, &Form1Window::Command5_Click);
  connect(add_button(Form1Control::Command6, "Command6", {432, 232, 177, 17}, false),
          &QPushButton::clicked, this, &Form1Window::Command6_Click);
  connect(add_button(Form1Control::clearlist, "clearlist", {616, 232, 105, 17}, false),
          &QPushButton::clicked, this, &Form1Window::clearlist_Click);
  connect(add_button(Form1Control::Command3, "Command3", {120, 336, 105, 17}, false),
          &QPushButton::clicked, this, &Form1Window::Command3_Click);
  WrappingButton* command4 =
      add_button(Form1Control::Command4, "Command4", {552, 600, 201, 17}, true);
  command4->setToolTip(QStringLiteral(
      "Repairs all non-existant drops with basic low level stuff - Not Reversible!"));
  connect(command4, &QPushButton::clicked, this, &Form1Window::Command4_Click);
  connect(buttons_[Form1Control::Command1], &QPushButton::clicked, this,
          &Form1Window::Command1_Click);

  quit_ = new HotSpot(this);
  quit_->setObjectName(QStringLiteral("quit"));
  quit_->setGeometry(744, 0, 17, 17);
  connect(quit_, &HotSpot::clicked, this, &Form1Window::quit_Click);
}

void Form1Window::show_all_controls() {
  for (Form1Control control :
       {Form1Control::level, Form1Control::op, Form1Control::perc_of_npcs,
        Form1Control::loottable_percentx, Form1Control::item_max, Form1Control::lootdrop_percentx,
        Form1Control::lx, Form1Control::lvls, Form1Control::statistical, Form1Control::Command1,
        Form1Control::Command2, Form1Control::Command3, Form1Control::Command4,
        Form1Control::Command5, Form1Control::Command6, Form1Control::clearlist,
        Form1Control::progress}) {
    show_control(control);
  }
}

void Form1Window::show_control(Form1Control control) {
  const Form1Model& form = state_.form1;
  auto changed = [this](QWidget* widget) {
    for (const QPointer<QWidget>& known : changed_widgets_) {
      if (known == widget) return;
    }
    changed_widgets_.emplace_back(widget);
  };

  switch (control) {
    case Form1Control::level: {
      const auto& entries = form.level_entries();
      const QSignalBlocker quiet(level_);
      if (level_->count() != static_cast<int>(entries.size())) {
        level_->clear();
        for (const std::string& entry : entries) level_->addItem(QString::fromStdString(entry));
      }
      if (form.level_selected() < 0) {
        level_->clearSelection();
      } else if (level_->currentRow() != form.level_selected() ||
                 level_->selectedItems().isEmpty()) {
        level_->setCurrentRow(form.level_selected());
      }
      changed(level_->viewport());
      break;
    }
    case Form1Control::op: {
      const int selected = form.op_selected();
      const QSignalBlocker quiet(op_group_);
      if (selected >= 0 && selected < loot::kLootCategoryCount) {
        op_[selected]->setChecked(true);
      } else if (QAbstractButton* checked = op_group_->checkedButton()) {
        op_group_->setExclusive(false);
        checked->setChecked(false);
        op_group_->setExclusive(true);
      }
      for (QRadioButton* option : op_) changed(option);
      break;
    }
    case Form1Control::perc_of_npcs:
    case Form1Control::loottable_percentx:
    case Form1Control::item_max:
    case Form1Control::lootdrop_percentx: {
      QLineEdit* edit = text_boxes_.at(control);
      const QString text = QString::fromStdString(form.text(control));
      // Text the user has just typed comes back unchanged: leave the cursor be.
      if (edit->text() != text) edit->setText(text);
      changed(edit);
      break;
    }
    case Form1Control::lx:
      lx_->setText(display_text(form.lx()));
      changed(lx_);
      break;
    case Form1Control::statistical:
      statistical_->setText(display_text(form.statistical()));
      changed(statistical_);
      break;
    case Form1Control::lvls:
      for (int i = 1; i <= loot::kLevelRangeCount; ++i) {
        const QString caption = display_text(form.lvls(i));
        if (lvls_[i]->text() != caption) {
          lvls_[i]->setText(caption);
          changed(lvls_[i]);
        }
      }
      break;
    case Form1Control::Command1:
    case Form1Control::Command2:
    case Form1Control::Command3:
    case Form1Control::Command4:
    case Form1Control::Command5:
    case Form1Control::Command6:
    case Form1Control::clearlist: {
      WrappingButton* button = buttons_.at(control);
      const ButtonState& shown = form.button(control);
      button->setText(QString::fromStdString(shown.caption));
      button->setEnabled(shown.enabled);
      changed(button);
      break;
    }
    case Form1Control::progress: {
      const LineState& line = form.progress();
      progress_->set_line(line.x1, line.x2, line.y);
      changed(progress_);
      break;
    }
  }
}

void Form1Window::repaint_changed() {
  std::vector<QPointer<QWidget>> widgets;
  widgets.swap(changed_widgets_);
  for (const QPointer<QWidget>& widget : widgets) {
    if (widget == nullptr || !widget->isVisible()) continue;
    widget == progress_ ? progress_->repaint_pending() : widget->repaint();
  }
}

void Form1Window::run(const app::Command& command) {
  // Counted: a command may start another while it lets events through. No
  // exception leaves run_command.
  turns_.main_command_started();
  app::run_command(state_, ui_, command, end_program);
  turns_.main_command_ended();
}

void Form1Window::run_hook(const std::function<void()>& hook) {
  if (hook) run([&hook](ProgramState&, UiPort&) { hook(); });
}

void Form1Window::Command1_Click() { run(journal_.delete_drops()); }
void Form1Window::Command2_Click() { run(journal_.execute()); }
void Form1Window::Command3_Click() { run(maintenance::Command3_Click); }
void Form1Window::Command4_Click() { run(journal_.repair()); }
void Form1Window::Command5_Click() { run_hook(secondary.Command5_Click); }
void Form1Window::Command6_Click() { run_hook(secondary.Command6_Click); }
void Form1Window::clearlist_Click() { run_hook(secondary.clearlist_Click); }

void Form1Window::level_Click() {
  const QList<QListWidgetItem*> selected = level_->selectedItems();
  const int row = selected.isEmpty() ? -1 : level_->row(selected.first());
  // A Ctrl+click that cleared the selection leaves the model as it was: show it again.
  if (!form1::level_selection_changed(state_, row)) show_control(Form1Control::level);
}

void Form1Window::quit_Click() {
  if (secondary.unload_rules) secondary.unload_rules();
  end_program(0);
}

void Form1Window::paintEvent(QPaintEvent* event) {
  QPainter painter(this);
  painter.drawImage(event->rect(), background_, event->rect());
}

void Form1Window::mousePressEvent(QMouseEvent* event) {
  background_right_button(*event);
  drag_.press(*this, *event);
}

void Form1Window::mouseMoveEvent(QMouseEvent* event) { drag_.move(*this, *event); }

void Form1Window::mouseReleaseEvent(QMouseEvent* event) {
  drag_.release();
  background_right_button(*event);
}

void Form1Window::closeEvent(QCloseEvent* event) {
  // Closing through the window system ends the program as quit does.
  event->ignore();
  quit_Click();
}

}  // namespace vl::ui
