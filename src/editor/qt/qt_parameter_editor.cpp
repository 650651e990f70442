#include "editor/qt/qt_parameter_editor.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QEvent>
#include <QFontMetrics>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QStyle>
#include <QStyleOptionButton>
#include <QTableWidget>
#include <QVBoxLayout>
#include <QWheelEvent>
#include <algorithm>
#include <cstdlib>

#include "editor/editor_rules.h"
#include "editor/mask_matcher.h"
#include "editor/qt/deep_component_enumerator.h"
#include "editor/qt/qt_anchor_keeper.h"
#include "editor/qt/qt_editor_views.h"
#include "editor/qt/qt_focus.h"
#include "editor/qt/qt_hex_edit.h"
#include "editor/qt/qt_integer_edit.h"
#include "editor/qt/qt_text_edit.h"
#include "editor/qt/qt_wrap_check_box.h"
#include "link/log_model.h"
#include "profile/fixed_texts.h"
#include "ui/qt_text.h"

namespace quillon {

namespace {

constexpr int kTableHeight = 150;

template <typename T>
bool IsExactly(const QObject* object) {
  return object && object->metaObject() == &T::staticMetaObject;
}

// Object names are made of the command keyword's letters, digits and underscores.
QString SafeName(const std::string& name) {
  QString out;
  for (char c : name)
    if ((c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_')
      out += QLatin1Char(c);
  return out;
}

using TAddressTable = QHash<const QObject*, TQtParameterEditor::TControlAddress>;

bool HasAddress(const TAddressTable& table, const QObject* control, int command, int instance,
                int param) {
  const auto found = table.constFind(control);
  return found != table.cend() && found->Command == command && found->Instance == instance &&
         found->Param == param;
}

// The first direct child of that exact class at that address.
template <typename T>
QWidget* FindChildAt(const TAddressTable& table, const QWidget* container, int command,
                     int instance, int param) {
  for (QObject* child : container->children())
    if (IsExactly<T>(child) && HasAddress(table, child, command, instance, param))
      return static_cast<QWidget*>(child);
  return nullptr;
}

QWidget* FindInputChild(const TAddressTable& table, const QWidget* container, TParamType type,
                        int command, int instance, int param) {
  switch (type) {
    case ptInteger:
      return FindChildAt<TIntegerEdit>(table, container, command, instance, param);
    case ptString:
      return FindChildAt<TTextEdit>(table, container, command, instance, param);
    case ptHex:
      return FindChildAt<THexEdit>(table, container, command, instance, param);
    case ptOption:
      return FindChildAt<QComboBox>(table, container, command, instance, param);
  }
  return nullptr;
}

QColor Mix(const QColor& a, int aParts, const QColor& b, int bParts) {
  const int parts = aParts + bParts;
  return QColor((a.red() * aParts + b.red() * bParts) / parts,
                (a.green() * aParts + b.green() * bParts) / parts,
                (a.blue() * aParts + b.blue() * bParts) / parts);
}

// An unsupported command shows on the desktop's inactive-caption colour, a light tint of the
// selection colour over the window colour; its greyed texts are darkened to stay readable on it.
QPalette UnsupportedPalette(QPalette palette) {
  const QColor window = palette.color(QPalette::Active, QPalette::Window);
  const QColor tint = Mix(palette.color(QPalette::Inactive, QPalette::Highlight), 1, window, 3);
  const QColor text = Mix(palette.color(QPalette::Active, QPalette::WindowText), 1, tint, 1);
  palette.setColor(QPalette::Window, tint);
  for (QPalette::ColorRole role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
    palette.setColor(QPalette::Disabled, role, text);
  return palette;
}

}  // namespace

// Heights of the stock controls in the tab control's font, measured once per build.
struct TQtParameterEditor::TMetrics {
  explicit TMetrics(const QFont& font) : Font(font) {}
  QFontMetrics Font;
  int LineHeight = 0;
  int EditHeight = 0;
  int SpinHeight = 0;
  int ComboHeight = 0;
  int ButtonHeight = 0;
  // Top of the contents area of a captioned group box: the style draws the caption above the
  // frame, so that area may begin lower than H.
  int GroupContentsTop = 0;
  // What a check box leaves its caption of its own width: the box and the gap go first.
  int CheckBoxTextIndent = 0;
};

TQtParameterEditor::TQtParameterEditor(TQtPageTabs* pageControl, const CommandProfile& profile,
                                       TLogModel& log, TMaskMatcher& maskRegex, QObject* parent)
    : QObject(parent),
      pageControl_(pageControl),
      profile_(profile),
      log_(log),
      maskRegex_(maskRegex),
      anchors_(new TAnchorKeeper(this)),
      views_(new TQtEditorViews(*this, profile, pageControl)) {}

TQtParameterEditor::~TQtParameterEditor() {
  if (pageControl_) RemoveAllTabs();
}

void TQtParameterEditor::SetAddress(QObject* control, int command, int instance, int param) {
  control->setProperty(kTagProperty, EncodeControlTag(command, instance, param));
  addresses_.insert(control, {command, instance, param});
  ++addressGeneration_;
}

QSize TQtParameterEditor::MeasureUnits(QWidget* context) {
  QCheckBox probe(context);
  return probe.sizeHint();
}

void TQtParameterEditor::BuildEditor(int unitWidth, int unitHeight) {
  if (!pageControl_) return;
  W = std::max(unitWidth, 1);
  H = std::max(unitHeight, 1);
  IW = std::max(profile_.InputWidth, 20);

  RemoveAllTabs();
  metrics_ = MeasureControls();
  wrappedHeights_.clear();
  const int pages = static_cast<int>(profile_.Pages.size());
  built_.assign(static_cast<size_t>(pages), false);
  tearingDown_ = false;
  for (int p = 0; p < pages; ++p) {
    auto* tab = new QWidget;
    tab->setObjectName(QStringLiteral("page_%1").arg(p));
    tab->installEventFilter(this);
    // Tabs go only when the editor or the window goes; no page is built after that.
    connect(tab, &QObject::destroyed, this, [this] { tearingDown_ = true; });
    pageControl_->addTab(tab, ToQString(profile_.Pages[static_cast<size_t>(p)].Name));
  }
  if (pages > 0) {
    pageControl_->setCurrentIndex(0);
    EnsurePageBuilt(0);
  }
}

void TQtParameterEditor::BuildAllPages() {
  for (int p = 0; p < static_cast<int>(built_.size()); ++p) EnsurePageBuilt(p);
  BuildPendingInstances();
}

std::unique_ptr<TQtParameterEditor::TMetrics> TQtParameterEditor::MeasureControls() const {
  auto metrics = std::make_unique<TMetrics>(pageControl_->font());
  // Probes in a hidden container, so that they take the tab control's font and style.
  QWidget probe(pageControl_);
  probe.hide();
  metrics->LineHeight = metrics->Font.height();
  metrics->EditHeight = QLineEdit(&probe).sizeHint().height();
  metrics->SpinHeight = TIntegerEdit(&probe).sizeHint().height();
  metrics->ComboHeight = QComboBox(&probe).sizeHint().height();
  metrics->ButtonHeight =
      QPushButton(QCoreApplication::translate("quillon::TQtParameterEditor", "Получить"), &probe)
          .sizeHint()
          .height();
  metrics->GroupContentsTop = QGroupBox(QStringLiteral("#1"), &probe).contentsRect().top();
  TWrapCheckBox check(QStringLiteral("x"), &probe);
  check.resize(check.sizeHint());
  QStyleOptionButton option;
  option.initFrom(&check);
  option.text = check.text();
  metrics->CheckBoxTextIndent =
      check.style()->subElementRect(QStyle::SE_CheckBoxContents, &option, &check).left();
  return metrics;
}

bool TQtParameterEditor::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::EnabledChange && !groupBoxes_.isEmpty()) {
    const auto box = groupBoxes_.constFind(watched);
    if (box != groupBoxes_.cend()) {
      auto* group = static_cast<QWidget*>(watched);
      groupStates_[static_cast<size_t>(box->Page)][static_cast<size_t>(box->Command)].Enabled =
          group->isEnabledTo(group->parentWidget());
    }
  }
  // A list told of a new font makes its popup (a list view in a window of its own) only to
  // hand the font on: with a list in every few rows that was most of the cost of building a
  // page and of loading a file, whose values change the look of every field. The popup
  // inherits the list's font when it is made and whenever the font changes, and the editor
  // places every input itself, so a repaint is all the list needs.
  if (event->type() == QEvent::FontChange && IsExactly<QComboBox>(watched)) {
    auto* list = static_cast<QWidget*>(watched);
    list->update();
    list->updateGeometry();
    return true;
  }
  // A wheel turned over a number field or a list the operator is not working in scrolls the
  // page, and the value stays as it was.
  if (event->type() == QEvent::Wheel) {
    auto* widget = qobject_cast<QWidget*>(watched);
    if (widget && !widget->hasFocus() && widget->property(kWheelGuardProperty).toBool()) {
      ScrollPageOf(widget, static_cast<QWheelEvent*>(event));
      return true;
    }
  }
  // An instance group left empty gets its controls once it is first drawn, that is scrolled
  // into view; not while it is being drawn.
  if (event->type() == QEvent::Paint && !pendingBoxes_.isEmpty()) {
    const auto pending = pendingBoxes_.constFind(watched);
    if (pending != pendingBoxes_.cend()) {
      const TControlKey key = *pending;
      QMetaObject::invokeMethod(
          this, [this, key] { EnsureInstanceBuilt(key.Page, key.Command, key.Instance); },
          Qt::QueuedConnection);
    }
  }
  if (event->type() == QEvent::Show && pageControl_) {
    const int page = pageControl_->indexOf(static_cast<QWidget*>(watched));
    if (page >= 0) EnsurePageBuilt(page);
  }
  return QObject::eventFilter(watched, event);
}

// From the last tab on: taking the current one away would make the tab control show the next
// one, touching every control of every remaining page each time.
void TQtParameterEditor::RemoveAllTabs() {
  tearingDown_ = true;
  for (int index = pageControl_->count() - 1; index >= 0; --index) {
    QWidget* tab = pageControl_->widget(index);
    pageControl_->removeTab(index);
    delete tab;
  }
  addresses_.clear();
  controlIndex_.clear();
  shownValues_.clear();
  groupStates_.clear();
  groupBoxes_.clear();
  pendingInstances_.clear();
  pendingBoxes_.clear();
  newAnswers_.clear();
  ++addressGeneration_;
  built_.clear();
  tracker_.Clear();
  views_->Reset();
}

void TQtParameterEditor::EnsurePageBuilt(int page) {
  if (tearingDown_ || !pageControl_ || page < 0 || static_cast<size_t>(page) >= built_.size() ||
      built_[static_cast<size_t>(page)])
    return;
  QWidget* tab = pageControl_->widget(page);
  if (!tab) return;
  built_[static_cast<size_t>(page)] = true;

  const QString name = tab->objectName();
  auto* layout = new QVBoxLayout(tab);
  layout->setContentsMargins(0, 0, 0, 0);
  auto* scroll = new QScrollArea(tab);
  scroll->setObjectName(name + QStringLiteral("_scroll"));
  layout->addWidget(scroll);
  scroll->verticalScrollBar()->setTracking(true);
  scroll->verticalScrollBar()->setSingleStep(std::max(1, H));

  // The contents are built before they join the scroll box: nothing is laid out or shown on
  // the way.
  const int designWidth = W / 5 + W * (IW + 21) + W / 5;
  auto* box = new QWidget;
  box->setObjectName(name + QStringLiteral("_box"));
  box->resize(designWidth, H);
  int y = H / 5;
  const int commands = static_cast<int>(profile_.Pages[static_cast<size_t>(page)].Commands.size());
  buildingPage_ = page;
  int rows = 0;
  for (const TDevCommand& cmd : profile_.Pages[static_cast<size_t>(page)].Commands)
    rows += InstanceCount(cmd) * static_cast<int>(cmd.Parameters.size());
  deferInstances_ = rows > kEagerRowsPerPage;
  for (int c = 0; c < commands; ++c) y = BuildCommandGroup(box, page, c, y) + H / 2;
  deferInstances_ = false;

  const int buttonHeight = metrics_->ButtonHeight;
  QWidget* applyPage = CreateButton(
      box, QCoreApplication::translate("quillon::TQtParameterEditor", "Применить страницу"),
      name + QStringLiteral("_apply"), &TEditorCallbacks::CmdApplyAllClick);
  PlaceButton(applyPage, W / 2, y, 7 * W);
  SetAddress(applyPage, 0, 0, 0);
  QWidget* pollPage = CreateButton(
      box, QCoreApplication::translate("quillon::TQtParameterEditor", "Получить страницу"),
      name + QStringLiteral("_poll"), &TEditorCallbacks::CmdPollAllClick);
  PlaceButton(pollPage, FollowingLeft(applyPage, 8 * W), y, 7 * W);
  SetAddress(pollPage, 0, 0, 0);

  box->resize(designWidth, y + buttonHeight + H / 2);
  scroll->setWidget(box);
  KeepNewAnswers(page);
  anchors_->FollowWidth(box, scroll->viewport(), designWidth);
  views_->PageBuilt(page, box, applyPage, pollPage, H);
  // A page built while its tab is on screen shows at once, laid out.
  if (tab->isVisible()) {
    scroll->show();
    layout->activate();
  }
}

int TQtParameterEditor::BuildCommandGroup(QWidget* box, int page, int command, int y) {
  const TDevCommand& cmd =
      profile_.Pages[static_cast<size_t>(page)].Commands[static_cast<size_t>(command)];
  const QString name = QStringLiteral("cmd_") + SafeName(cmd.Name);
  auto* group = new QGroupBox(ToQString(cmd.Description), box);
  group->setObjectName(name);
  group->setGeometry(W / 5, y, W * (IW + 21), H);
  SetAddress(group, command, 0, 0);
  anchors_->AnchorRight(group, true);
  WatchGroup(group, page, command);

  const QString keyword = ToQString(cmd.Name);
  auto* label = new QLabel(keyword, group);
  label->setObjectName(name + QStringLiteral("_name"));
  label->setGeometry(W / 2, GroupTop(), TextWidth(keyword), metrics_->LineHeight);
  SetAddress(label, command, 0, 0);

  int yc = label->y() + label->height() + H / 5;
  int ys = yc;
  const int instances = InstanceCount(cmd);
  int firstHeight = 0;
  for (int k = 0; k < instances; ++k) {
    QWidget* container = group;
    QString base = name;
    if (cmd.Indexed) {
      yc = GroupTop();
      base = QStringLiteral("%1_%2").arg(name).arg(k);
      auto* instance = new QGroupBox(QStringLiteral("#%1").arg(k + 1), group);
      instance->setObjectName(base);
      instance->setGeometry(W / 5, ys, W * (IW + 20), H);
      SetAddress(instance, command, k, 0);
      anchors_->AnchorRight(instance, true);
      container = instance;
    }
    int height = 0;
    if (cmd.Indexed && k > 0 && deferInstances_) {
      // Every instance has the same rows, so it takes the first one's height.
      height = firstHeight;
      container->resize(container->width(), height);
      const TControlKey key{page, command, k, 0, ckGroup};
      pendingInstances_.insert(key, container);
      pendingBoxes_.insert(container, key);
      container->installEventFilter(this);
    } else {
      height = BuildInstanceContents(container, name, base, cmd, command, k, yc);
      if (!cmd.Indexed) yc = height;
    }
    if (k == 0) firstHeight = height;
    // The next instance group follows closer than the buttons below the last one.
    if (cmd.Indexed) ys = container->y() + height + (k + 1 < instances ? H / 5 : H / 2);
  }

  const int buttonTop = cmd.Indexed ? ys : yc;
  QWidget* last = nullptr;
  QWidget* apply = nullptr;
  if (cmd.SetData) {
    last = cmd.Indexed
               ? CreateButton(
                     group,
                     QCoreApplication::translate("quillon::TQtParameterEditor", "Применить все"),
                     name + QStringLiteral("_applyAll"), &TEditorCallbacks::CmdApplyAllIndexedClick)
               : CreateButton(
                     group, QCoreApplication::translate("quillon::TQtParameterEditor", "Применить"),
                     name + QStringLiteral("_apply"), &TEditorCallbacks::CmdApplyClick);
    PlaceButton(last, W / 2, buttonTop, 6 * W);
    SetAddress(last, command, 0, 0);
    apply = last;
  }
  if (cmd.PollData) {
    last =
        CreateButton(group, QCoreApplication::translate("quillon::TQtParameterEditor", "Получить"),
                     name + QStringLiteral("_poll"), &TEditorCallbacks::CmdPollClick);
    PlaceButton(last, apply ? FollowingLeft(apply, 7 * W) : 7 * W, buttonTop, 6 * W);
    SetAddress(last, command, 0, 0);
  }
  group->resize(group->width(), last ? last->y() + last->height() + H / 2 : buttonTop);
  return group->y() + group->height();
}

int TQtParameterEditor::BuildInstanceContents(QWidget* container, const QString& name,
                                              const QString& base, const TDevCommand& cmd,
                                              int command, int instance, int yc) {
  for (int i = 0; i < static_cast<int>(cmd.Parameters.size()); ++i)
    yc = BuildParameterRow(container, name, cmd.Parameters[static_cast<size_t>(i)], command,
                           instance, i, yc);
  if (IsTableCommand(cmd)) yc = BuildTableView(container, base, cmd, command, instance, yc);
  int height = yc;
  if (cmd.Indexed && cmd.SetData) {
    QWidget* apply = CreateButton(
        container, QCoreApplication::translate("quillon::TQtParameterEditor", "Применить"),
        base + QStringLiteral("_apply"), &TEditorCallbacks::CmdApplyClick);
    PlaceButton(apply, W / 2, yc, 4 * W);
    SetAddress(apply, command, instance, 0);
    height = yc + apply->height() + H / 2;
  }
  container->resize(container->width(), height);
  return height;
}

void TQtParameterEditor::EnsureInstanceBuilt(int page, int command, int instance) {
  if (pendingInstances_.isEmpty() || tearingDown_) return;
  const auto found = pendingInstances_.find({page, command, instance, 0, ckGroup});
  if (found == pendingInstances_.end()) return;
  const QPointer<QWidget> box = *found;
  pendingInstances_.erase(found);
  const TDevCommand* cmd = profile_.Command(page, command);
  if (!box || !cmd) return;
  pendingBoxes_.remove(box.data());
  box->removeEventFilter(this);

  // What was written into the instance, taken before its controls are made and kept.
  std::vector<std::pair<int, TShownValue>> written;
  for (int n = 0; n < static_cast<int>(cmd->Parameters.size()); ++n)
    if (const TShownValue* kept = PeekShown(page, command, instance, n); kept && kept->Pending) {
      TShownValue* slot = ShownSlot(page, command, instance, n);
      written.emplace_back(n, std::move(*slot));
      *slot = TShownValue();
    }

  const QString name = QStringLiteral("cmd_") + SafeName(cmd->Name);
  const QString base = QStringLiteral("%1_%2").arg(name).arg(instance);
  // The rows are placed and anchored at the width the page was designed for, then follow the
  // group to the width it has now.
  const int shownWidth = box->width();
  const int height = box->height();
  box->resize(W * (IW + 20), height);
  const int pageBefore = buildingPage_;
  buildingPage_ = page;
  BuildInstanceContents(box, name, base, *cmd, command, instance, GroupTop());
  buildingPage_ = pageBefore;
  box->resize(shownWidth, height);
  // Controls added to a group already on screen are shown by hand. They joined the end of the
  // window's tab order: they go after the nearest instance before them.
  QWidget* previous = nullptr;
  for (int k = instance - 1; k >= 0 && !previous; --k)
    if (InstanceBuilt(page, command, k))
      if (QWidget* before = FindChildAt<QGroupBox>(addresses_, box->parentWidget(), command, k, 0))
        previous = LastTabStop(before);
  for (QObject* child : box->children()) {
    if (!child->isWidgetType()) continue;
    auto* control = static_cast<QWidget*>(child);
    control->show();
    if (!(control->focusPolicy() & Qt::TabFocus)) continue;
    if (previous) QWidget::setTabOrder(previous, control);
    previous = control;
  }
  // The controls take the written values as if written now; the looks follow once all stand.
  holdRefresh_ = true;
  for (const auto& [param, value] : written) GiveWritten(page, command, instance, param, value);
  holdRefresh_ = false;
  if (tracking_)
    for (const auto& [param, value] : written) RefreshChanged({page, command, instance, param});
}

QWidget* TQtParameterEditor::LastTabStop(const QWidget* container) {
  const QObjectList& children = container->children();
  for (auto child = children.crbegin(); child != children.crend(); ++child)
    if ((*child)->isWidgetType() && (static_cast<QWidget*>(*child)->focusPolicy() & Qt::TabFocus))
      return static_cast<QWidget*>(*child);
  return nullptr;
}

void TQtParameterEditor::KeepNewAnswers(int page) {
  if (pendingInstances_.isEmpty()) return;
  const std::vector<TDevCommand>& commands = profile_.Pages[static_cast<size_t>(page)].Commands;
  for (int c = 0; c < static_cast<int>(commands.size()); ++c) {
    if (!pendingInstances_.contains({page, c, 1, 0, ckGroup})) continue;
    std::vector<TNewAnswers> answers(commands[static_cast<size_t>(c)].Parameters.size());
    for (int i = 0; i < static_cast<int>(answers.size()); ++i) {
      TNewAnswers& a = answers[static_cast<size_t>(i)];
      a.HasCheck = HasControl(page, c, 0, i, ckCheckBox);
      a.HasInput = HasControl(page, c, 0, i, ckInput);
      a.Checked = Checked(page, c, 0, i);
      a.Enabled = InputEnabled(page, c, 0, i);
      a.Text = InputText(page, c, 0, i);
      a.Option = OptionIndex(page, c, 0, i);
    }
    newAnswers_.insert({page, c, 0, 0, ckGroup}, std::move(answers));
  }
}

const TQtParameterEditor::TNewAnswers* TQtParameterEditor::UnbuiltAnswers(int page, int command,
                                                                          int instance,
                                                                          int param) const {
  // The page first, which may leave the instance empty.
  const_cast<TQtParameterEditor*>(this)->EnsurePageBuilt(page);
  if (InstanceBuilt(page, command, instance)) return nullptr;
  const TShownValue* written = PeekShown(page, command, instance, param);
  if (written && written->Pending) return &written->Value;
  static const TNewAnswers kNone;
  const auto answers = newAnswers_.constFind({page, command, 0, 0, ckGroup});
  if (answers == newAnswers_.cend() || param < 0 || static_cast<size_t>(param) >= answers->size())
    return &kNone;
  return &(*answers)[static_cast<size_t>(param)];
}

void TQtParameterEditor::BuildPendingInstances() {
  while (!pendingInstances_.isEmpty()) {
    const TControlKey key = pendingInstances_.constBegin().key();
    EnsureInstanceBuilt(key.Page, key.Command, key.Instance);
    pendingInstances_.remove(key);
  }
}

int TQtParameterEditor::BuildParameterRow(QWidget* container, const QString& name,
                                          const TCmdParameter& param, int command, int instance,
                                          int index, int yc) {
  const QString base = QStringLiteral("%1_%2_%3").arg(name).arg(instance).arg(index);
  const QString description = ToQString(param.Description);
  const int top = yc;
  const int inputHeight = InputHeight(param.ParamType);
  // The first line of the caption stands level with the text inside the input.
  const int captionTop = std::max(0, (inputHeight - metrics_->LineHeight) / 2);

  QLabel* label = nullptr;
  QWidget* checkBox = nullptr;
  int leftHeight = 0;
  if (param.Optional) {
    auto* box = new TWrapCheckBox(description, container);
    box->setObjectName(base + QStringLiteral("_check"));
    box->setChecked(true);
    box->SetCaptionTop(captionTop);
    // Wrapped where the box itself wraps it when that is narrower, so no line is cut off.
    const int wrapWidth = std::min(13 * W, 14 * W - metrics_->CheckBoxTextIndent);
    leftHeight = std::max(H, captionTop + WrappedHeight(description, wrapWidth));
    box->setGeometry(W / 2, top, 14 * W, leftHeight);
    SetAddress(box, command, instance, index);
    connect(box, &QCheckBox::toggled, this, [this, box] { CheckBoxClick(box); });
    checkBox = box;
  } else {
    label = new QLabel(description, container);
    label->setObjectName(base + QStringLiteral("_label"));
    label->setWordWrap(true);
    label->setContentsMargins(0, captionTop, 0, 0);
    leftHeight = captionTop + WrappedHeight(description, 13 * W);
    label->setGeometry(W / 2 + W, top, 13 * W, leftHeight);
    SetAddress(label, command, instance, index);
  }

  QWidget* input = CreateInput(container, param);
  input->setObjectName(base);
  SetAddress(input, command, instance, index);
  const QString hint = ToQString(ParameterHint(param));
  input->setToolTip(hint);
  input->setStatusTip(hint);
  if (label) label->setBuddy(input);
  if (tracking_) WatchValue(input, checkBox, param, {buildingPage_, command, instance, index});
  input->setGeometry(15 * W, top, W * IW, inputHeight);
  anchors_->AnchorRight(input, true);

  if (!param.Suffix.empty()) {
    const QString suffix = ToQString(param.Suffix);
    auto* suffixLabel = new QLabel(suffix, container);
    suffixLabel->setObjectName(base + QStringLiteral("_suffix"));
    suffixLabel->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    suffixLabel->setGeometry(input->x() + input->width() + W / 2, top, TextWidth(suffix),
                             inputHeight);
    SetAddress(suffixLabel, 0, 0, 0);
    anchors_->AnchorRight(suffixLabel, false);
  }
  return top + std::max(input->height(), leftHeight) + H / 2;
}

int TQtParameterEditor::InputHeight(TParamType type) const {
  switch (type) {
    case ptInteger:
      return metrics_->SpinHeight;
    case ptOption:
      return metrics_->ComboHeight;
    case ptString:
    case ptHex:
      break;
  }
  return metrics_->EditHeight;
}

void TQtParameterEditor::ScrollPageOf(QWidget* input, QWheelEvent* wheel) {
  QWidget* parent = input->parentWidget();
  while (parent && !qobject_cast<QScrollArea*>(parent)) parent = parent->parentWidget();
  auto* scroll = qobject_cast<QScrollArea*>(parent);
  if (!scroll) return;
  const bool sideways = std::abs(wheel->angleDelta().x()) > std::abs(wheel->angleDelta().y());
  QCoreApplication::sendEvent(
      sideways ? scroll->horizontalScrollBar() : scroll->verticalScrollBar(), wheel);
}

// Number fields and lists take the focus by click or Tab, never by the wheel, and ignore the
// wheel until they have it.
void TQtParameterEditor::GuardAgainstWheel(QWidget* input) {
  input->setFocusPolicy(Qt::StrongFocus);
  input->setProperty(kWheelGuardProperty, true);
  input->installEventFilter(this);
}

QWidget* TQtParameterEditor::CreateInput(QWidget* container, const TCmdParameter& param) {
  // A value starts as the profile's default. Its look is given before the text, which the new
  // font would otherwise lay out again.
  const auto defaultLook = [this](QWidget* input) {
    if (tracking_) ShowLook(input, true, false, false, true);
  };
  switch (param.ParamType) {
    case ptInteger: {
      auto* edit = new TIntegerEdit(container);
      defaultLook(edit);
      GuardAgainstWheel(edit);
      edit->SetLimits(IntegerLow(param), IntegerHigh(param));
      edit->SetValue(DefaultIntegerValue(param));
      return edit;
    }
    case ptString: {
      auto* edit = new TTextEdit(container);
      defaultLook(edit);
      edit->SetMaxLen(std::max(param.MaxLen, 0));
      edit->setText(ToQString(param.DefaultValue));
      if (!param.OnCharMask.empty())
        edit->OnChange = [this](TTextEdit* sender) { return EditChange(sender); };
      if (!param.OnLeaveMask.empty())
        edit->OnExit = [this](TTextEdit* sender) { EditExit(sender); };
      return edit;
    }
    case ptHex: {
      auto* edit = new THexEdit(container);
      edit->SetMaxLen(param.MaxLen);
      edit->setText(ToQString(param.DefaultValue));
      defaultLook(edit);  // after the mask, which lays the text out in a font of its own
      edit->OnKeyPress = [this](THexEdit* sender, QChar& key) { HexEditKeyPress(sender, key); };
      edit->OnExit = [this](THexEdit* sender) { HexEditExit(sender); };
      // What the operator types replaces a value that could not be read.
      connect(edit, &QLineEdit::textEdited, edit, [edit] {
        if (edit->property(kUnreadProperty).toBool()) ShowUnread(edit, false);
      });
      return edit;
    }
    case ptOption:
      break;
  }
  auto* list = new QComboBox(container);
  GuardAgainstWheel(list);
  defaultLook(list);
  for (const TParamOption& option : param.Options) list->addItem(ToQString(option.Text));
  list->setCurrentIndex(DefaultOptionIndex(param));
  return list;
}

int TQtParameterEditor::BuildTableView(QWidget* container, const QString& name,
                                       const TDevCommand& cmd, int command, int instance, int yc) {
  auto* table = new QTableWidget(container);
  table->setObjectName(name + QStringLiteral("_table"));
  SetAddress(table, command, instance, 0);
  table->setEditTriggers(QAbstractItemView::NoEditTriggers);
  table->setSelectionBehavior(QAbstractItemView::SelectRows);
  table->setShowGrid(true);
  table->verticalHeader()->hide();
  table->horizontalHeader()->setDefaultSectionSize(50);
  const std::vector<TTableColumn> columns = TableColumns(cmd);
  table->setColumnCount(static_cast<int>(columns.size()));
  for (int j = 0; j < static_cast<int>(columns.size()); ++j) {
    const TTableColumn& column = columns[static_cast<size_t>(j)];
    table->setHorizontalHeaderItem(j, new QTableWidgetItem(ToQString(column.Caption)));
    table->setColumnWidth(j, std::max(column.Width, 0));
  }
  table->setGeometry(W / 2 + W, yc, W * (IW + 13) + W / 2, kTableHeight);
  anchors_->AnchorRight(table, true);
  return yc + kTableHeight + H / 2;
}

QWidget* TQtParameterEditor::CreateButton(
    QWidget* container, const QString& caption, const QString& name,
    const TEditorCallbacks::Click TEditorCallbacks::*handler) {
  auto* button = new QPushButton(caption, container);
  button->setObjectName(name);
  connect(button, &QPushButton::clicked, this, [this, button, handler] {
    const TEditorCallbacks::Click& click = callbacks_.*handler;
    if (!click) return;
    const ParamAddress address = GetControlAddress(button);
    if (handler != &TEditorCallbacks::CmdPollClick &&
        handler != &TEditorCallbacks::CmdPollAllClick &&
        !ConfirmApply(button, address, handler == &TEditorCallbacks::CmdApplyAllClick))
      return;
    click(address);
  });
  return button;
}

// A command the profile marks "confirm" (a factory reset, say) is written only once the operator
// said yes to its question; "Нет" sends nothing. A page button asks for each such command the
// page run would write.
bool TQtParameterEditor::ConfirmApply(QWidget* button, const ParamAddress& address,
                                      bool wholePage) {
  const auto& pages = profile_.Pages;
  if (address.Page < 0 || address.Page >= static_cast<int>(pages.size())) return true;
  const std::vector<TDevCommand>& commands = pages[static_cast<size_t>(address.Page)].Commands;
  for (int c = 0; c < static_cast<int>(commands.size()); ++c) {
    if (!wholePage && c != address.Command) continue;
    const TDevCommand& cmd = commands[static_cast<size_t>(c)];
    if (wholePage && (!cmd.SetData || cmd.GroupSetData == gsNo)) continue;
    const std::string question = ConfirmQuestion(cmd);
    if (question.empty()) continue;
    QMessageBox box(QMessageBox::Warning, button->window()->windowTitle(), ToQString(question),
                    QMessageBox::Yes | QMessageBox::No, button->window());
    box.setObjectName(QStringLiteral("ConfirmQuestion"));
    box.setInformativeText(ToQString(cmd.Name) + QStringLiteral(" — ") +
                           ToQString(cmd.Description));
    box.button(QMessageBox::Yes)
        ->setText(QCoreApplication::translate("quillon::TQtParameterEditor", "Да"));
    box.button(QMessageBox::No)
        ->setText(QCoreApplication::translate("quillon::TQtParameterEditor", "Нет"));
    box.setDefaultButton(QMessageBox::No);
    box.setEscapeButton(QMessageBox::No);
    if (box.exec() != QMessageBox::Yes) return false;
  }
  return true;
}

// A caption is never cut: a button is at least as wide as its caption needs.
void TQtParameterEditor::PlaceButton(QWidget* button, int left, int top, int width) const {
  button->setGeometry(left, top, std::max(width, button->sizeHint().width()),
                      metrics_->ButtonHeight);
}

// A button of the same row keeps the gap that the layout puts after the first one, even where
// the first one had to grow for its caption.
int TQtParameterEditor::FollowingLeft(const QWidget* previous, int left) const {
  return std::max(left, previous->x() + previous->width() + W / 2);
}

int TQtParameterEditor::GroupTop() const {
  return std::max(H, metrics_->GroupContentsTop);
}

int TQtParameterEditor::WrappedHeight(const QString& text, int width) {
  const QString key = QString::number(width) + QLatin1Char(':') + text;
  auto cached = wrappedHeights_.constFind(key);
  if (cached != wrappedHeights_.cend()) return *cached;
  const QRect bounds = metrics_->Font.boundingRect(QRect(0, 0, width, 1 << 20),
                                                   Qt::AlignLeft | Qt::TextWordWrap, text);
  const int height = std::max(bounds.height(), metrics_->LineHeight);
  wrappedHeights_.insert(key, height);
  return height;
}

int TQtParameterEditor::TextWidth(const QString& text) const {
  return metrics_->Font.horizontalAdvance(text) + 2;
}

ParamAddress TQtParameterEditor::GetControlAddress(const QWidget* control) const {
  ParamAddress address;
  address.Page = -1;
  if (!control) return address;
  const auto unpacked = addresses_.constFind(control);
  if (unpacked != addresses_.cend()) {
    address.Command = unpacked->Command;
    address.Instance = unpacked->Instance;
    address.Param = unpacked->Param;
  } else {
    DecodeControlTag(control->property(kTagProperty).toUInt(), address.Command, address.Instance,
                     address.Param);
  }
  for (const QWidget* w = pageControl_ ? control : nullptr; w; w = w->parentWidget()) {
    const int index = pageControl_->indexOf(const_cast<QWidget*>(w));
    if (index >= 0) {
      address.Page = index;
      break;
    }
  }
  return address;
}

QWidget* TQtParameterEditor::FindParameterControl(int page, int command, int instance, int param,
                                                  TControlKind kind) const {
  if (!pageControl_ || page < 0 || page >= pageControl_->count()) return nullptr;
  // A page is built when it is first shown or asked for; building it changes no answer.
  const_cast<TQtParameterEditor*>(this)->EnsurePageBuilt(page);
  if (kind != ckGroup)
    const_cast<TQtParameterEditor*>(this)->EnsureInstanceBuilt(page, command, instance);
  if (static_cast<size_t>(page) >= profile_.Pages.size()) return nullptr;
  const QWidget* tab = pageControl_->widget(page);
  const QScrollArea* scroll = nullptr;
  for (QObject* child : tab->children()) {
    if (!child->isWidgetType()) continue;
    scroll = qobject_cast<const QScrollArea*>(child);
    break;
  }
  if (!scroll || !scroll->widget()) return nullptr;

  // Loading and saving ask for every control in turn: the last answer for each address is kept
  // and used while it still stands where the search would find it. While no control got a new
  // address since it was last checked, its place is the same widgets above it.
  const TControlKey key{page, command, kind == ckGroup ? 0 : instance, kind == ckGroup ? 0 : param,
                        kind};
  const QWidget* contents = scroll->widget();
  TKnownControl* known = KnownSlot(key);
  if (known && known->Control) {
    if (known->Generation == addressGeneration_) {
      const int depth = kind == ckGroup ? 1 : profile_.Command(page, command)->Indexed ? 3 : 2;
      if (StillInPlace(*known, contents, depth)) return known->Control.data();
    } else if (StillAt(known->Control.data(), contents, key)) {
      Remember(*known, known->Control.data());
      return known->Control.data();
    }
  }
  QWidget* found = SearchParameterControl(contents, page, command, instance, param, kind);
  if (known) Remember(*known, found);
  return found;
}

TQtParameterEditor::TKnownControl* TQtParameterEditor::KnownSlot(const TControlKey& key) const {
  const TDevCommand* cmd = profile_.Command(key.Page, key.Command);
  if (!cmd) return nullptr;
  const int params = static_cast<int>(cmd->Parameters.size());
  const int instances = cmd->Indexed ? InstanceCount(*cmd) : 1;
  if (key.Kind != ckGroup &&
      (key.Instance < 0 || key.Instance >= instances || key.Param < 0 || key.Param >= params))
    return nullptr;
  if (controlIndex_.size() != profile_.Pages.size()) controlIndex_.resize(profile_.Pages.size());
  auto& commands = controlIndex_[static_cast<size_t>(key.Page)];
  if (commands.empty())
    commands.resize(profile_.Pages[static_cast<size_t>(key.Page)].Commands.size());
  auto& entries = commands[static_cast<size_t>(key.Command)];
  if (entries.empty()) entries.resize(1 + static_cast<size_t>(instances) * params * 2);
  if (key.Kind == ckGroup) return &entries[0];
  return &entries[1 + (static_cast<size_t>(key.Instance) * params + key.Param) * 2 +
                  (key.Kind == ckCheckBox ? 0 : 1)];
}

void TQtParameterEditor::Remember(TKnownControl& known, QWidget* control) const {
  known.Control = control;
  known.Parent = control ? control->parentWidget() : nullptr;
  known.GrandParent = known.Parent ? known.Parent->parentWidget() : nullptr;
  known.Generation = addressGeneration_;
}

bool TQtParameterEditor::StillInPlace(const TKnownControl& known, const QWidget* pageContents,
                                      int depth) {
  // The control is alive, so are the widgets above it.
  const QWidget* parent = known.Control->parentWidget();
  if (parent != known.Parent) return false;
  if (depth == 1) return parent == pageContents;
  const QWidget* grandParent = parent ? parent->parentWidget() : nullptr;
  if (!grandParent || grandParent != known.GrandParent) return false;
  if (depth == 2) return grandParent == pageContents;
  return grandParent->parentWidget() == pageContents;
}

bool TQtParameterEditor::StillAt(const QWidget* control, const QWidget* pageContents,
                                 const TControlKey& key) const {
  if (!control || !HasAddress(addresses_, control, key.Command, key.Instance, key.Param))
    return false;
  const QWidget* container = control->parentWidget();
  if (key.Kind == ckGroup) return container == pageContents;
  const TDevCommand* cmd = profile_.Command(key.Page, key.Command);
  if (!cmd || !container) return false;
  if (cmd->Indexed) {
    if (!IsExactly<QGroupBox>(container) ||
        !HasAddress(addresses_, container, key.Command, key.Instance, 0))
      return false;
    container = container->parentWidget();
    if (!container) return false;
  }
  return IsExactly<QGroupBox>(container) && HasAddress(addresses_, container, key.Command, 0, 0) &&
         container->parentWidget() == pageContents;
}

QWidget* TQtParameterEditor::SearchParameterControl(const QWidget* pageContents, int page,
                                                    int command, int instance, int param,
                                                    TControlKind kind) const {
  QWidget* group = FindChildAt<QGroupBox>(addresses_, pageContents, command, 0, 0);
  if (!group) return nullptr;
  if (kind == ckGroup) return group;

  const TDevCommand* cmd = profile_.Command(page, command);
  if (!cmd) return nullptr;
  QWidget* container = group;
  if (cmd->Indexed) {
    container = FindChildAt<QGroupBox>(addresses_, group, command, instance, 0);
    if (!container) return nullptr;
  }
  if (param < 0 || static_cast<size_t>(param) >= cmd->Parameters.size()) return nullptr;
  if (kind == ckCheckBox)
    return FindChildAt<TWrapCheckBox>(addresses_, container, command, instance, param);
  return FindInputChild(addresses_, container,
                        cmd->Parameters[static_cast<size_t>(param)].ParamType, command, instance,
                        param);
}

const TCmdParameter* TQtParameterEditor::ParameterAt(const ParamAddress& address) const {
  const TDevCommand* cmd = profile_.Command(address.Page, address.Command);
  if (!cmd || address.Param < 0 || static_cast<size_t>(address.Param) >= cmd->Parameters.size())
    return nullptr;
  return &cmd->Parameters[static_cast<size_t>(address.Param)];
}

void TQtParameterEditor::CheckBoxClick(QWidget* sender) {
  auto* box = qobject_cast<QCheckBox*>(sender);
  if (!box) return;
  const ParamAddress a = GetControlAddress(box);
  if (QWidget* input = FindParameterControl(a.Page, a.Command, a.Instance, a.Param, ckInput))
    input->setEnabled(box->isChecked());
}

void TQtParameterEditor::ReportMaskError(const std::string& mask) {
  if (!maskRegex_.FirstReportOf(mask)) return;
  const std::string message = Text(TText::RegexError, {mask, maskRegex_.ErrorText()});
  if (callbacks_.MaskError)
    callbacks_.MaskError(message);
  else
    log_.WriteLog(message, 4);
}

bool TQtParameterEditor::EditChange(TTextEdit* sender) {
  const TCmdParameter* param = ParameterAt(GetControlAddress(sender));
  if (!param || param->OnCharMask.empty()) return true;
  switch (maskRegex_.Match(param->OnCharMask, FromQString(sender->text()))) {
    case mrMatch:
      return true;
    case mrNoMatch:
      return false;
    case mrInvalid:
      break;
  }
  // The operator's text stays as typed, unchecked.
  ReportMaskError(param->OnCharMask);
  return true;
}

void TQtParameterEditor::EditExit(TTextEdit* sender) {
  const TCmdParameter* param = ParameterAt(GetControlAddress(sender));
  if (!param || param->OnLeaveMask.empty()) return;
  switch (maskRegex_.Match(param->OnLeaveMask, FromQString(sender->text()))) {
    case mrMatch:
      return;
    case mrInvalid:
      ReportMaskError(param->OnLeaveMask);
      return;
    case mrNoMatch:
      break;
  }
  ReturnFocusLater(sender);
  log_.WriteLog(FromQString(QCoreApplication::translate("quillon::TQtParameterEditor",
                                                        "Значение не удовлетворяет маске")),
                4);
  QApplication::beep();
}

void TQtParameterEditor::HexEditKeyPress(THexEdit*, QChar& key) {
  char16_t u = key.unicode();
  if (u >= 'a' && u <= 'z') u = static_cast<char16_t>(u - 'a' + 'A');
  const bool kept = u == 13 || (u >= '0' && u <= '9') || (u >= 'A' && u <= 'F');
  key = kept ? QChar(u) : QChar();
}

void TQtParameterEditor::HexEditExit(THexEdit* sender) {
  const TCmdParameter* param = ParameterAt(GetControlAddress(sender));
  if (!param || HexTextInRange(*param, FromQString(sender->text()))) return;
  ReturnFocusLater(sender);
  log_.WriteLog(FromQString(QCoreApplication::translate("quillon::TQtParameterEditor",
                                                        "Значение не входит заданный диапазон")),
                4);
  QApplication::beep();
}

void TQtParameterEditor::MarkCommandUnsupported(QWidget* group) {
  if (!group) return;
  group->setEnabled(false);
  group->setPalette(UnsupportedPalette(group->palette()));
  group->setAutoFillBackground(true);
  QFont font = group->font();
  font.setItalic(true);
  font.setStrikeOut(true);
  group->setFont(font);
  TDeepComponentEnumerator contents(group);
  while (contents.MoveNext())
    if (QWidget* control = qobject_cast<QWidget*>(contents.Current())) control->setEnabled(false);
}

bool TQtParameterEditor::HasControl(int page, int command, int instance, int param,
                                    TControlKind kind) const {
  if (kind != ckGroup) {
    if (const TNewAnswers* unbuilt = UnbuiltAnswers(page, command, instance, param))
      return kind == ckCheckBox ? unbuilt->HasCheck : unbuilt->HasInput;
    if (const TShownValue* shown = KnownShown(page, command, instance, param))
      return kind == ckInput || shown->Value.HasCheck;
  } else if (KnownGroup(page, command)) {
    return true;
  }
  return FindParameterControl(page, command, instance, param, kind) != nullptr;
}

bool TQtParameterEditor::Checked(int page, int command, int instance, int param) const {
  if (const TNewAnswers* unbuilt = UnbuiltAnswers(page, command, instance, param))
    return unbuilt->Checked;
  if (const TShownValue* shown = KnownShown(page, command, instance, param))
    return shown->Value.Checked;
  QWidget* box = FindParameterControl(page, command, instance, param, ckCheckBox);
  return box && static_cast<QCheckBox*>(box)->isChecked();
}

void TQtParameterEditor::SetChecked(int page, int command, int instance, int param, bool checked) {
  if (const TNewAnswers* unbuilt = UnbuiltAnswers(page, command, instance, param)) {
    if (!unbuilt->HasCheck) return;
    TShownValue* slot = WrittenSlot(page, command, instance, param, *unbuilt);
    if (!slot) return;
    // As a click: the input takes input exactly while the box is ticked.
    slot->Value.Checked = slot->Value.Enabled = checked;
    if (tracking_) RefreshChanged({page, command, instance, param});
    return;
  }
  QWidget* box = FindParameterControl(page, command, instance, param, ckCheckBox);
  if (!box) return;
  static_cast<QCheckBox*>(box)->setChecked(checked);
  CheckBoxClick(box);  // also when the state did not change
}

std::string TQtParameterEditor::InputText(int page, int command, int instance, int param) const {
  if (const TNewAnswers* unbuilt = UnbuiltAnswers(page, command, instance, param))
    return unbuilt->Text;
  if (const TShownValue* shown = KnownShown(page, command, instance, param))
    return shown->Value.Text;
  return TextOf(FindParameterControl(page, command, instance, param, ckInput));
}

std::string TQtParameterEditor::TextOf(const QWidget* input) {
  if (IsExactly<TIntegerEdit>(input))
    return FromQString(static_cast<const TIntegerEdit*>(input)->Text());
  if (auto* edit = qobject_cast<const QLineEdit*>(input)) return FromQString(edit->text());
  return "";
}

// One search for the input instead of one per question.
TParameterReading TQtParameterEditor::ReadParameter(int page, int command, int instance, int param,
                                                    bool optional, bool option) const {
  const TNewAnswers* value = UnbuiltAnswers(page, command, instance, param);
  if (!value)
    if (const TShownValue* shown = KnownShown(page, command, instance, param))
      value = &shown->Value;
  TShownValue now;
  if (!value) {
    const QWidget* input = FindParameterControl(page, command, instance, param, ckInput);
    // Only an optional parameter has a box.
    const TCmdParameter* parameter = ParameterAt({page, command, instance, param});
    const QWidget* box = parameter && parameter->Optional
                             ? FindParameterControl(page, command, instance, param, ckCheckBox)
                             : nullptr;
    // Kept from now on where the controls report their changes; read anew each time otherwise.
    TShownValue* slot = input ? ShownSlot(page, command, instance, param) : nullptr;
    TShownValue& target = slot && slot->Watched ? *slot : now;
    KeepShown(target, input, box);
    value = &target.Value;
  }
  TParameterReading reading;
  reading.HasInput = value->HasInput;
  reading.Checked = optional && value->Checked;
  if (reading.HasInput && option) reading.Option = value->Option;
  if (reading.HasInput && !option) reading.Text = value->Text;
  return reading;
}

TQtParameterEditor::TShownValue* TQtParameterEditor::ShownSlot(int page, int command, int instance,
                                                               int param) const {
  const TDevCommand* cmd = profile_.Command(page, command);
  if (!cmd) return nullptr;
  const int params = static_cast<int>(cmd->Parameters.size());
  const int instances = InstanceCount(*cmd);
  if (instance < 0 || instance >= instances || param < 0 || param >= params) return nullptr;
  if (shownValues_.size() != profile_.Pages.size()) shownValues_.resize(profile_.Pages.size());
  auto& commands = shownValues_[static_cast<size_t>(page)];
  if (commands.empty()) commands.resize(profile_.Pages[static_cast<size_t>(page)].Commands.size());
  auto& values = commands[static_cast<size_t>(command)];
  if (values.empty()) values.resize(static_cast<size_t>(instances) * params);
  return &values[static_cast<size_t>(instance) * params + param];
}

const TQtParameterEditor::TShownValue* TQtParameterEditor::PeekShown(int page, int command,
                                                                     int instance,
                                                                     int param) const {
  const TDevCommand* cmd = profile_.Command(page, command);
  if (!cmd || static_cast<size_t>(page) >= shownValues_.size()) return nullptr;
  const auto& commands = shownValues_[static_cast<size_t>(page)];
  if (static_cast<size_t>(command) >= commands.size()) return nullptr;
  const auto& values = commands[static_cast<size_t>(command)];
  const int params = static_cast<int>(cmd->Parameters.size());
  if (instance < 0 || param < 0 || param >= params) return nullptr;
  const size_t at = static_cast<size_t>(instance) * params + param;
  return at < values.size() ? &values[at] : nullptr;
}

const TQtParameterEditor::TShownValue* TQtParameterEditor::KnownShown(int page, int command,
                                                                      int instance,
                                                                      int param) const {
  const TShownValue* shown = PeekShown(page, command, instance, param);
  return shown && shown->Watched && shown->Known ? shown : nullptr;
}

void TQtParameterEditor::KeepShown(TShownValue& shown, const QWidget* input, const QWidget* box) {
  shown.Known = input != nullptr;
  TNewAnswers& value = shown.Value;
  value.HasInput = input != nullptr;
  value.Text = TextOf(input);
  value.Option =
      IsExactly<QComboBox>(input) ? static_cast<const QComboBox*>(input)->currentIndex() : -1;
  value.HasCheck = box != nullptr;
  value.Checked = box && static_cast<const QCheckBox*>(box)->isChecked();
}

const TQtParameterEditor::TGroupState* TQtParameterEditor::KnownGroup(int page, int command) const {
  if (page < 0 || static_cast<size_t>(page) >= groupStates_.size()) return nullptr;
  const std::vector<TGroupState>& commands = groupStates_[static_cast<size_t>(page)];
  if (command < 0 || static_cast<size_t>(command) >= commands.size()) return nullptr;
  const TGroupState& state = commands[static_cast<size_t>(command)];
  return state.Known ? &state : nullptr;
}

void TQtParameterEditor::WatchGroup(QWidget* group, int page, int command) {
  if (groupStates_.size() != profile_.Pages.size()) groupStates_.resize(profile_.Pages.size());
  std::vector<TGroupState>& commands = groupStates_[static_cast<size_t>(page)];
  commands.resize(profile_.Pages[static_cast<size_t>(page)].Commands.size());
  commands[static_cast<size_t>(command)] = {true, group->isEnabledTo(group->parentWidget())};
  groupBoxes_.insert(group, {page, command, 0, 0});
  group->installEventFilter(this);
  connect(group, &QObject::destroyed, this, [this, group, page, command] {
    if (tearingDown_ || !groupBoxes_.remove(group)) return;
    groupStates_[static_cast<size_t>(page)][static_cast<size_t>(command)].Known = false;
  });
}

TQtParameterEditor::TShownValue* TQtParameterEditor::WrittenSlot(int page, int command,
                                                                 int instance, int param,
                                                                 const TNewAnswers& unbuilt) {
  if (!unbuilt.HasInput) return nullptr;
  TShownValue* slot = ShownSlot(page, command, instance, param);
  if (!slot) return nullptr;
  if (!slot->Pending) {
    *slot = TShownValue();
    slot->Value = unbuilt;
    slot->Pending = true;
  }
  return slot;
}

std::string TQtParameterEditor::AsShown(const TCmdParameter& param, const std::string& text) {
  if (param.ParamType == ptHex && param.MaxLen > 0) {
    // The mask drops, moves and raises letters in ways best learnt from a field of its own.
    std::unique_ptr<THexEdit>& probe = hexProbes_[param.MaxLen];
    if (!probe) {
      probe = std::make_unique<THexEdit>();
      probe->SetMaxLen(param.MaxLen);
    }
    probe->setText(ToQString(text));
    return FromQString(probe->text());
  }
  // Without a mask a field keeps a text up to its length limit, as the code page allows.
  static const int kFieldLimit = QLineEdit().maxLength();
  return FromQString(ToQString(text).left(kFieldLimit));
}

void TQtParameterEditor::GiveWritten(int page, int command, int instance, int param,
                                     const TShownValue& written) {
  const TCmdParameter* parameter = ParameterAt({page, command, instance, param});
  if (!parameter) return;
  if (parameter->ParamType == ptOption)
    SetOptionIndex(page, command, instance, param, written.Value.Option);
  else
    SetInputText(page, command, instance, param, written.Value.Text);
  if (written.Value.HasCheck) SetChecked(page, command, instance, param, written.Value.Checked);
  if (written.Unread) MarkValueUnread(page, command, instance, param);
}

void TQtParameterEditor::SetInputText(int page, int command, int instance, int param,
                                      const std::string& text) {
  if (const TNewAnswers* unbuilt = UnbuiltAnswers(page, command, instance, param)) {
    const TCmdParameter* parameter = ParameterAt({page, command, instance, param});
    TShownValue* slot = parameter && parameter->ParamType != ptOption
                            ? WrittenSlot(page, command, instance, param, *unbuilt)
                            : nullptr;
    if (!slot) return;
    slot->Value.Text = AsShown(*parameter, text);
    slot->Unread = false;
    if (tracking_) RefreshChanged({page, command, instance, param});
    return;
  }
  QWidget* input = FindParameterControl(page, command, instance, param, ckInput);
  if (IsExactly<TIntegerEdit>(input)) {
    static_cast<TIntegerEdit*>(input)->SetText(ToQString(text));
  } else if (auto* edit = qobject_cast<QLineEdit*>(input)) {
    edit->setText(ToQString(text));
    edit->setModified(false);
  } else {
    // A list takes no text and keeps its unread mark, as one not built yet keeps it.
    return;
  }
  if (input->property(kUnreadProperty).toBool()) {
    ShowUnread(input, false);
    ShowTracking(input, {page, command, instance, param});
  }
}

void TQtParameterEditor::ShowUnread(QWidget* input, bool unread) {
  input->setProperty(kUnreadProperty, unread);
  input->setStyleSheet(unread ? QStringLiteral("background-color: #ffd0d0;") : QString());
  input->setToolTip(
      unread ? QCoreApplication::translate("quillon::TQtParameterEditor",
                                           "Значение терминала не помещается в поле и не прочитано")
             : QString());
}

void TQtParameterEditor::MarkValueUnread(int page, int command, int instance, int param) {
  if (const TNewAnswers* unbuilt = UnbuiltAnswers(page, command, instance, param)) {
    if (TShownValue* slot = WrittenSlot(page, command, instance, param, *unbuilt))
      slot->Unread = true;
    return;
  }
  if (QWidget* input = FindParameterControl(page, command, instance, param, ckInput))
    ShowUnread(input, true);
}

bool TQtParameterEditor::ValueUnread(int page, int command, int instance, int param) const {
  if (UnbuiltAnswers(page, command, instance, param)) {
    const TShownValue* written = PeekShown(page, command, instance, param);
    return written && written->Pending && written->Unread;
  }
  QWidget* input = FindParameterControl(page, command, instance, param, ckInput);
  return input && input->property(kUnreadProperty).toBool();
}

int TQtParameterEditor::OptionIndex(int page, int command, int instance, int param) const {
  if (const TNewAnswers* unbuilt = UnbuiltAnswers(page, command, instance, param))
    return unbuilt->Option;
  if (const TShownValue* shown = KnownShown(page, command, instance, param))
    return shown->Value.Option;
  auto* list =
      qobject_cast<QComboBox*>(FindParameterControl(page, command, instance, param, ckInput));
  return list ? list->currentIndex() : -1;
}

void TQtParameterEditor::SetOptionIndex(int page, int command, int instance, int param, int index) {
  if (const TNewAnswers* unbuilt = UnbuiltAnswers(page, command, instance, param)) {
    const TCmdParameter* parameter = ParameterAt({page, command, instance, param});
    TShownValue* slot = parameter && parameter->ParamType == ptOption
                            ? WrittenSlot(page, command, instance, param, *unbuilt)
                            : nullptr;
    if (!slot) return;
    const int options = static_cast<int>(parameter->Options.size());
    slot->Value.Option = index >= 0 && index < options ? index : -1;
    if (tracking_) RefreshChanged({page, command, instance, param});
    return;
  }
  auto* list =
      qobject_cast<QComboBox*>(FindParameterControl(page, command, instance, param, ckInput));
  if (list) list->setCurrentIndex(index >= 0 && index < list->count() ? index : -1);
}

bool TQtParameterEditor::InputEnabled(int page, int command, int instance, int param) const {
  // An empty instance group is disabled with its command.
  if (const TNewAnswers* unbuilt = UnbuiltAnswers(page, command, instance, param)) {
    const QWidget* box = pendingInstances_.value({page, command, instance, 0, ckGroup});
    return unbuilt->Enabled && box && box->isEnabledTo(pageControl_->widget(page));
  }
  QWidget* input = FindParameterControl(page, command, instance, param, ckInput);
  // The input's own state and its groups', not the tab's.
  return input && input->isEnabledTo(pageControl_->widget(page));
}

bool TQtParameterEditor::GroupEnabled(int page, int command) const {
  if (const TGroupState* known = KnownGroup(page, command)) return known->Enabled;
  QWidget* group = FindParameterControl(page, command, 0, 0, ckGroup);
  return group && group->isEnabledTo(group->parentWidget());
}

void TQtParameterEditor::MarkCommandUnsupported(int page, int command) {
  MarkCommandUnsupported(FindParameterControl(page, command, 0, 0, ckGroup));
}

QTableWidget* TQtParameterEditor::FindTable(int page, int command) const {
  QWidget* group = FindParameterControl(page, command, 0, 0, ckGroup);
  if (!group) return nullptr;
  for (QObject* child : group->children())
    if (auto* table = qobject_cast<QTableWidget*>(child)) return table;
  return nullptr;
}

bool TQtParameterEditor::HasTable(int page, int command, int, int) const {
  return FindTable(page, command) != nullptr;
}

void TQtParameterEditor::ClearTableRows(int page, int command, int, int) {
  if (QTableWidget* table = FindTable(page, command)) table->setRowCount(0);
}

int TQtParameterEditor::TableColumnCount(int page, int command, int, int) const {
  QTableWidget* table = FindTable(page, command);
  return table ? table->columnCount() : 0;
}

namespace {

// A column added for an answer has no caption and follows its contents.
void AppendColumn(QTableWidget* table) {
  const int column = table->columnCount();
  table->setColumnCount(column + 1);
  table->setHorizontalHeaderItem(column, new QTableWidgetItem(QString()));
  table->horizontalHeader()->setSectionResizeMode(column, QHeaderView::ResizeToContents);
}

}  // namespace

void TQtParameterEditor::AddTableColumn(int page, int command, int, int) {
  if (QTableWidget* table = FindTable(page, command)) AppendColumn(table);
}

void TQtParameterEditor::AddTableRow(int page, int command, int, int,
                                     const std::vector<std::string>& cells) {
  QTableWidget* table = FindTable(page, command);
  if (!table) return;
  while (table->columnCount() < static_cast<int>(cells.size())) AppendColumn(table);
  const int row = table->rowCount();
  table->insertRow(row);
  for (int j = 0; j < static_cast<int>(cells.size()); ++j)
    table->setItem(row, j, new QTableWidgetItem(ToQString(cells[static_cast<size_t>(j)])));
}

std::vector<std::vector<std::string>> TQtParameterEditor::TableRows(int page, int command, int,
                                                                    int) const {
  std::vector<std::vector<std::string>> rows;
  QTableWidget* table = FindTable(page, command);
  if (!table) return rows;
  for (int r = 0; r < table->rowCount(); ++r) {
    std::vector<std::string> row;
    for (int j = 0; j < table->columnCount(); ++j) {
      const QTableWidgetItem* item = table->item(r, j);
      row.push_back(item ? FromQString(item->text()) : std::string());
    }
    rows.push_back(std::move(row));
  }
  return rows;
}

void TQtParameterEditor::WatchValue(QWidget* input, QWidget* box, const TCmdParameter& param,
                                    const ParamAddress& a) {
  // The kept value first: working out whether the value changed reads it.
  const auto changed = [this, a, input, box] {
    if (TShownValue* shown = ShownSlot(a.Page, a.Command, a.Instance, a.Param))
      KeepShown(*shown, input, box);
    if (!holdRefresh_) RefreshChanged(a);
  };
  const auto typed = [this, a, input] {
    tracker_.SetOrigin(a, voTyped);
    input->setProperty(kWriteDiffersProperty, QVariant());
    RefreshChanged(a);
  };
  switch (param.ParamType) {
    case ptInteger: {
      auto* edit = static_cast<TIntegerEdit*>(input);
      connect(edit, &TIntegerEdit::TextChanged, this, changed);
      connect(edit, &TIntegerEdit::TextEdited, this, typed);
      break;
    }
    case ptString:
    case ptHex: {
      auto* edit = static_cast<QLineEdit*>(input);
      connect(edit, &QLineEdit::textChanged, this, changed);
      connect(edit, &QLineEdit::textEdited, this, typed);
      break;
    }
    case ptOption: {
      auto* list = static_cast<QComboBox*>(input);
      connect(list, &QComboBox::currentIndexChanged, this, changed);
      connect(list, &QComboBox::activated, this, typed);
      break;
    }
  }
  if (auto* check = qobject_cast<QCheckBox*>(box)) {
    connect(check, &QCheckBox::toggled, this, changed);
    connect(check, &QCheckBox::clicked, this, typed);
  }
  // Read from the controls when first asked for, kept from then on, while they live.
  if (TShownValue* shown = ShownSlot(a.Page, a.Command, a.Instance, a.Param)) {
    *shown = TShownValue();
    shown->Watched = true;
    const auto gone = [this, a] {
      if (tearingDown_) return;
      if (TShownValue* kept = ShownSlot(a.Page, a.Command, a.Instance, a.Param))
        kept->Watched = kept->Known = false;
    };
    connect(input, &QObject::destroyed, this, gone);
    if (box) connect(box, &QObject::destroyed, this, gone);
  }
  // A new input was made with the look of a default value and its hint (CreateInput): all there
  // is to show until something is known about it.
  if (tracker_.Origin(a) != voDefault || tracker_.Changed(a)) ShowTracking(input, a);
}

TValueOrigin TQtParameterEditor::ValueOrigin(int page, int command, int instance, int param) const {
  return tracker_.Origin({page, command, instance, param});
}

void TQtParameterEditor::SetValueOrigin(int page, int command, int instance, int param,
                                        TValueOrigin origin) {
  const ParamAddress a{page, command, instance, param};
  // An instance not built yet shows it once built.
  if (const TNewAnswers* unbuilt = UnbuiltAnswers(page, command, instance, param)) {
    if (unbuilt->HasInput) tracker_.SetOrigin(a, origin);
    return;
  }
  QWidget* input = FindParameterControl(page, command, instance, param, ckInput);
  if (!input) return;
  if (tracker_.Origin(a) == origin) return;
  tracker_.SetOrigin(a, origin);
  ShowTracking(input, a);
}

std::optional<std::string> TQtParameterEditor::LastReadValue(int page, int command, int instance,
                                                             int param) const {
  return tracker_.LastRead({page, command, instance, param});
}

void TQtParameterEditor::SetLastReadValue(int page, int command, int instance, int param,
                                          const std::string& value) {
  if (const TNewAnswers* unbuilt = UnbuiltAnswers(page, command, instance, param)) {
    if (!unbuilt->HasInput) return;
  } else if (!FindParameterControl(page, command, instance, param, ckInput)) {
    return;
  }
  const ParamAddress a{page, command, instance, param};
  tracker_.SetLastRead(a, value);
  RefreshChanged(a);
}

bool TQtParameterEditor::ValueChanged(int page, int command, int instance, int param) const {
  return tracker_.Changed({page, command, instance, param});
}

int TQtParameterEditor::ChangedCount(int page) const {
  return page < 0 ? tracker_.ChangedCount() : tracker_.ChangedCount(page);
}

void TQtParameterEditor::RefreshChanged(const ParamAddress& a) {
  if (tearingDown_) return;
  const TCmdParameter* param = ParameterAt(a);
  if (!param) return;
  // An instance not built yet has no input to show it on; its values are kept.
  QWidget* input = nullptr;
  if (InstanceBuilt(a.Page, a.Command, a.Instance)) {
    input = FindParameterControl(a.Page, a.Command, a.Instance, a.Param, ckInput);
    if (!input) return;
  }
  const std::optional<std::string> lastRead = tracker_.LastRead(a);
  bool flipped = false;
  if (lastRead) {
    const std::optional<std::string> shown = ShownValue(*this, *param, a);
    flipped = tracker_.SetChanged(a, shown && !SameValue(param->ParamType, *shown, *lastRead));
  }
  if (input) ShowTracking(input, a);
  views_->ValueChanged(a.Page, flipped);
  if (!flipped) return;
  ShowPageCount(a.Page);
  emit ChangedCountChanged(tracker_.ChangedCount());
}

// A default value is shown in italics in the placeholder colour, so it does not pass for the
// terminal's; a changed value stands out in bold on a warm background, and its hint tells
// what the terminal holds.
void TQtParameterEditor::ShowTracking(QWidget* input, const ParamAddress& a) {
  const bool fromDefault = tracker_.Origin(a) == voDefault;
  const bool changed = tracker_.Changed(a);
  const QString differs = input->property(kWriteDiffersProperty).toString();
  if (input->property(kDefaultOriginProperty).toBool() != fromDefault ||
      input->property(kChangedProperty).toBool() != changed ||
      input->property(kShownDiffersProperty).toBool() != !differs.isEmpty())
    ShowLook(input, fromDefault, changed, !differs.isEmpty());
  if (input->property(kUnreadProperty).toBool()) return;
  const TCmdParameter* param = ParameterAt(a);
  if (!param) return;
  QString hint = ToQString(ParameterHint(*param));
  const std::optional<std::string> lastRead = tracker_.LastRead(a);
  if (changed && lastRead) {
    QString shown = ToQString(*lastRead);
    if (param->ParamType == ptOption)
      for (const TParamOption& option : param->Options)
        if (option.Value == *lastRead) shown = ToQString(option.Text);
    hint += QLatin1Char('\n') +
            QCoreApplication::translate("quillon::TQtParameterEditor", "Прочитано из терминала: %1")
                .arg(shown);
  }
  if (!differs.isEmpty()) hint += QLatin1Char('\n') + differs;
  input->setToolTip(hint);
}

void TQtParameterEditor::ShowLook(QWidget* input, bool fromDefault, bool changed, bool differs,
                                  bool fresh) {
  // An unset property reads as false; setting one is not cheap.
  input->setProperty(kDefaultOriginProperty, fromDefault);
  if (!fresh || changed) input->setProperty(kChangedProperty, changed);
  if (!fresh || differs) input->setProperty(kShownDiffersProperty, differs);
  QFont font = input->font();
  font.setItalic(fromDefault);
  font.setBold(changed);
  input->setFont(font);
  const QPalette palette =
      LookPalette(input->parentWidget() ? input->parentWidget()->palette() : QPalette(),
                  fromDefault, changed, differs);
  // The style draws a number field's frame from a picture kept per palette: with a palette of
  // its own each field of a new page would be drawn afresh. Only the text differs for a default
  // value, and the text field inside draws it.
  QWidget* colored = input;
  if (IsExactly<TIntegerEdit>(input)) {
    QWidget* text = static_cast<TIntegerEdit*>(input)->TextField();
    QWidget* plain = text;
    if (!changed && !differs) std::swap(colored, plain);
    if (plain->testAttribute(Qt::WA_SetPalette)) plain->setPalette(QPalette());
  }
  colored->setPalette(palette);
}

QPalette TQtParameterEditor::LookPalette(const QPalette& base, bool fromDefault, bool changed,
                                         bool differs) {
  const bool plainDefault = fromDefault && !changed && !differs;
  if (plainDefault && base.cacheKey() == defaultLookBase_) return defaultLook_;
  QPalette palette = base;
  if (fromDefault) {
    const QColor faint = palette.color(QPalette::PlaceholderText);
    palette.setColor(QPalette::Text, faint);
    palette.setColor(QPalette::ButtonText, faint);
  }
  if (changed) {
    const QColor warm(0xff, 0xec, 0xb3);
    palette.setColor(QPalette::Base, warm);
    palette.setColor(QPalette::Button, warm);
  }
  if (differs) {
    const QColor alarm(0xff, 0xc8, 0xc8);
    palette.setColor(QPalette::Base, alarm);
    palette.setColor(QPalette::Button, alarm);
  }
  if (plainDefault) {
    defaultLook_ = palette;
    defaultLookBase_ = base.cacheKey();
  }
  return palette;
}

void TQtParameterEditor::ShowPageCount(int page) {
  if (!pageControl_ || page < 0 || page >= pageControl_->count()) return;
  const int count = tracker_.ChangedCount(page);
  pageControl_->setTabToolTip(
      page,
      count > 0
          ? QCoreApplication::translate("quillon::TQtParameterEditor", "Изменено: %1").arg(count)
          : QString());
}

void TQtParameterEditor::MarkWriteDiffers(int page, int command, int instance, int param,
                                          const std::string& sent, const std::string& stored) {
  QWidget* input = FindParameterControl(page, command, instance, param, ckInput);
  if (!input) return;
  input->setProperty(kWriteDiffersProperty,
                     QCoreApplication::translate("quillon::TQtParameterEditor",
                                                 "Записано: %1, терминал хранит: %2")
                         .arg(ToQString(sent), ToQString(stored)));
  ShowTracking(input, {page, command, instance, param});
}

void TQtParameterEditor::ClearWriteDiffers(int page, int command, int instance, int param) {
  QWidget* input = FindParameterControl(page, command, instance, param, ckInput);
  if (!input || !input->property(kWriteDiffersProperty).isValid()) return;
  input->setProperty(kWriteDiffersProperty, QVariant());
  ShowTracking(input, {page, command, instance, param});
}

}  // namespace quillon
