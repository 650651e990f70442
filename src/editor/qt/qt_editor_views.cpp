#include "editor/qt/qt_editor_views.h"

#include <QApplication>
#include <QComboBox>
#include <QEvent>
#include <QLabel>
#include <QLineEdit>
#include <QScrollArea>
#include <QTimer>

#include "editor/editor_rules.h"
#include "editor/qt/qt_integer_edit.h"
#include "editor/qt/qt_page_tab_bar.h"
#include "editor/qt/qt_parameter_editor.h"
#include "ui/qt_text.h"

namespace quillon {

TQtEditorViews::TQtEditorViews(TQtParameterEditor& editor, const CommandProfile& profile,
                               TQtPageTabs* pageControl)
    : QObject(&editor), editor_(editor), profile_(profile), pageControl_(pageControl) {
  connect(qApp, &QApplication::focusChanged, this, [this](QWidget* old, QWidget*) {
    if (old) FocusChanged(old);
  });
}

TQtEditorViews::~TQtEditorViews() = default;

void TQtEditorViews::SetChangedOnly(bool on) {
  if (changedOnly_ == on) return;
  changedOnly_ = on;
  // With both views on, only commands holding changes can match.
  if (!search_.isEmpty()) {
    for (int p = 0; p < static_cast<int>(profile_.Pages.size()); ++p) FindMatches(p);
    GatherMatches();
  }
  ArrangeBuiltPages();
  MarkTabs();
  emit ViewsChanged();
}

int TQtEditorViews::SetSearchText(const QString& text) {
  const QString wanted = text.trimmed();
  if (wanted == search_) return MatchCount();
  search_ = wanted;
  for (int p = 0; p < static_cast<int>(profile_.Pages.size()); ++p) FindMatches(p);
  current_ = -1;
  currentAddress_ = {-1, -1, -1, -1};
  MarkCaption(nullptr);
  GatherMatches();
  ArrangeBuiltPages();
  MarkTabs();
  emit ViewsChanged();
  return MatchCount();
}

bool TQtEditorViews::CommandHasChanges(int page, int command) const {
  if (editor_.ChangedCount(page) == 0) return false;
  const TDevCommand* cmd = profile_.Command(page, command);
  if (!cmd) return false;
  for (int k = 0; k < InstanceCount(*cmd); ++k)
    for (int i = 0; i < static_cast<int>(cmd->Parameters.size()); ++i)
      if (editor_.ValueChanged(page, command, k, i)) return true;
  return false;
}

bool TQtEditorViews::CommandMatches(int page, int command) const {
  if (page < 0 || static_cast<size_t>(page) >= pages_.size()) return false;
  for (const ParamAddress& m : pages_[static_cast<size_t>(page)].Matches)
    if (m.Command == command) return true;
  return false;
}

bool TQtEditorViews::CommandShown(int page, int command) const {
  if (changedOnly_ && !CommandHasChanges(page, command)) return false;
  return search_.isEmpty() || CommandMatches(page, command);
}

// What the field shows; a page not built yet shows what its fields would be built with, an
// instance not built yet what the editor keeps for it.
QString TQtEditorViews::ShownText(int page, int command, int instance, int param) const {
  const TDevCommand* cmd = profile_.Command(page, command);
  const TCmdParameter& p = cmd->Parameters[static_cast<size_t>(param)];
  if (editor_.PageBuilt(page) && editor_.InstanceBuilt(page, command, instance)) {
    QWidget* input = editor_.FindParameterControl(page, command, instance, param, ckInput);
    if (auto* list = qobject_cast<QComboBox*>(input)) return list->currentText();
    if (auto* number = qobject_cast<TIntegerEdit*>(input)) return number->Text();
    if (auto* edit = qobject_cast<QLineEdit*>(input)) return edit->text();
    return QString();
  }
  if (editor_.PageBuilt(page)) {
    const IParameterEditor& editor = editor_;
    if (p.ParamType != ptOption) return ToQString(editor.InputText(page, command, instance, param));
    const int index = editor.OptionIndex(page, command, instance, param);
    return index < 0 || static_cast<size_t>(index) >= p.Options.size()
               ? QString()
               : ToQString(p.Options[static_cast<size_t>(index)].Text);
  }
  switch (p.ParamType) {
    case ptInteger:
      return QString::number(DefaultIntegerValue(p));
    case ptString:
      return ToQString(p.DefaultValue);
    case ptHex:
      return ToQString(MaskHexText(p.DefaultValue, p.MaxLen));
    case ptOption:
      break;
  }
  const int index = DefaultOptionIndex(p);
  return index < 0 ? QString() : ToQString(p.Options[static_cast<size_t>(index)].Text);
}

void TQtEditorViews::FindMatches(int page) {
  if (pages_.size() < profile_.Pages.size()) pages_.resize(profile_.Pages.size());
  std::vector<ParamAddress>& matches = pages_[static_cast<size_t>(page)].Matches;
  matches.clear();
  if (search_.isEmpty()) return;
  const auto has = [this](const std::string& text) {
    return !text.empty() && ToQString(text).contains(search_, Qt::CaseInsensitive);
  };
  const std::vector<TDevCommand>& commands = profile_.Pages[static_cast<size_t>(page)].Commands;
  std::vector<char> described;
  for (int c = 0; c < static_cast<int>(commands.size()); ++c) {
    const TDevCommand& cmd = commands[static_cast<size_t>(c)];
    if (changedOnly_ && !CommandHasChanges(page, c)) continue;
    if (has(cmd.Name) || has(cmd.Description)) matches.push_back({page, c, 0, -1});
    described.clear();
    for (const TCmdParameter& p : cmd.Parameters) described.push_back(has(p.Description));
    for (int k = 0; k < InstanceCount(cmd); ++k)
      for (int i = 0; i < static_cast<int>(cmd.Parameters.size()); ++i)
        if (described[static_cast<size_t>(i)] ||
            ShownText(page, c, k, i).contains(search_, Qt::CaseInsensitive))
          matches.push_back({page, c, k, i});
  }
}

void TQtEditorViews::GatherMatches() {
  matches_.clear();
  current_ = -1;
  for (const TPage& page : pages_)
    for (const ParamAddress& m : page.Matches) {
      if (m.Page == currentAddress_.Page && m.Command == currentAddress_.Command &&
          m.Instance == currentAddress_.Instance && m.Param == currentAddress_.Param)
        current_ = static_cast<int>(matches_.size());
      matches_.push_back(m);
    }
}

// Shown commands follow each other as the editor built them, at the same gaps; the page buttons
// come after the last one, so nothing leaves a hole.
void TQtEditorViews::Arrange(int page) {
  if (page < 0 || static_cast<size_t>(page) >= pages_.size()) return;
  TPage& pg = pages_[static_cast<size_t>(page)];
  if (!pg.Box || !pg.ApplyPage || !pg.PollPage) return;
  pg.ArrangePending = false;
  const bool filtering = Filtering();
  const QWidget* focus = QApplication::focusWidget();
  const int H = pg.UnitHeight;
  int y = H / 5;
  int left = H / 5;
  bool any = false;
  pg.KeptForFocus = false;
  for (int c = 0; c < static_cast<int>(pg.Groups.size()); ++c) {
    QWidget* group = pg.Groups[static_cast<size_t>(c)];
    if (!group) continue;
    left = group->x();
    // The command the operator is working in stays until the focus leaves it.
    bool shown = !filtering || CommandShown(page, c);
    if (!shown && focus && group->isAncestorOf(focus)) shown = pg.KeptForFocus = true;
    group->setHidden(!shown);
    if (!shown) continue;
    any = true;
    group->move(group->x(), y);
    y = group->y() + group->height() + H / 2;
  }
  if (filtering && !any) {
    if (!pg.Notice) {
      pg.Notice = new QLabel(pg.Box);
      pg.Notice->setObjectName(pg.Box->objectName() + QStringLiteral("_notice"));
      pg.Notice->setWordWrap(true);
    }
    pg.Notice->setText(
        search_.isEmpty() ? QCoreApplication::translate("quillon::TQtEditorViews",
                                                        "На этой странице нет изменённых значений.")
                          : QCoreApplication::translate("quillon::TQtEditorViews",
                                                        "На этой странице ничего не найдено."));
    const int width = std::max(pg.Box->width() - 2 * left, 100);
    pg.Notice->setGeometry(left, y, width, pg.Notice->heightForWidth(width));
    pg.Notice->show();
    y += pg.Notice->height() + H / 2;
  } else if (pg.Notice) {
    pg.Notice->hide();
  }
  pg.ApplyPage->move(pg.ApplyPage->x(), y);
  pg.PollPage->move(pg.PollPage->x(), y);
  pg.Box->resize(pg.Box->width(), y + pg.ApplyPage->height() + H / 2);
}

// Only the page in view is laid out at once; the others when their tab is next shown, so that a
// view changes in time independent of the number of pages built.
void TQtEditorViews::ArrangeBuiltPages() {
  for (int p = 0; p < static_cast<int>(pages_.size()); ++p) {
    TPage& pg = pages_[static_cast<size_t>(p)];
    if (!pg.Box) continue;
    if (pg.Box->isVisible())
      Arrange(p);
    else
      pg.ArrangePending = true;
  }
}

bool TQtEditorViews::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::Show && pageControl_) {
    const int page = pageControl_->indexOf(static_cast<QWidget*>(watched));
    if (page >= 0 && static_cast<size_t>(page) < pages_.size() &&
        pages_[static_cast<size_t>(page)].ArrangePending)
      Arrange(page);
  }
  return QObject::eventFilter(watched, event);
}

// A tab with nothing to show under the views has its caption greyed.
void TQtEditorViews::MarkTabs() {
  if (!pageControl_) return;
  TQtPageTabBar* bar = pageControl_->tabBar();
  const QColor faint = bar->palette().color(QPalette::Disabled, QPalette::WindowText);
  const int count = std::min<int>(bar->count(), static_cast<int>(profile_.Pages.size()));
  for (int p = 0; p < count; ++p) {
    bool shows = true;
    if (Filtering()) {
      shows = false;
      if (!changedOnly_ || editor_.ChangedCount(p) > 0) {
        const int commands =
            static_cast<int>(profile_.Pages[static_cast<size_t>(p)].Commands.size());
        for (int c = 0; c < commands && !shows; ++c) shows = CommandShown(p, c);
      }
    }
    const QColor wanted = shows ? QColor() : faint;
    if (bar->tabTextColor(p) != wanted) bar->setTabTextColor(p, wanted);
  }
}

void TQtEditorViews::PageBuilt(int page, QWidget* box, QWidget* applyPage, QWidget* pollPage,
                               int unitHeight) {
  if (page < 0) return;
  if (pages_.size() < profile_.Pages.size()) pages_.resize(profile_.Pages.size());
  if (static_cast<size_t>(page) >= pages_.size()) return;
  TPage& pg = pages_[static_cast<size_t>(page)];
  pg.Box = box;
  pg.ApplyPage = applyPage;
  pg.PollPage = pollPage;
  pg.UnitHeight = std::max(unitHeight, 1);
  if (pageControl_ && pageControl_->widget(page))
    pageControl_->widget(page)->installEventFilter(this);
  pg.Groups.clear();
  const int commands = static_cast<int>(profile_.Pages[static_cast<size_t>(page)].Commands.size());
  for (int c = 0; c < commands; ++c)
    pg.Groups.emplace_back(editor_.FindParameterControl(page, c, 0, 0, ckGroup));
  if (Filtering()) Arrange(page);
}

void TQtEditorViews::ValueChanged(int page, bool flipped) {
  if (!search_.isEmpty() || (changedOnly_ && flipped)) NoteDirty(page);
}

// Values change many at a time (an answer, a loaded file): the page is looked at again once they
// are all in.
void TQtEditorViews::NoteDirty(int page) {
  if (page < 0 || static_cast<size_t>(page) >= pages_.size()) return;
  pages_[static_cast<size_t>(page)].Dirty = true;
  if (refreshPosted_) return;
  refreshPosted_ = true;
  QTimer::singleShot(0, this, &TQtEditorViews::RefreshDirty);
}

void TQtEditorViews::RefreshDirty() {
  refreshPosted_ = false;
  bool any = false;
  for (int p = 0; p < static_cast<int>(pages_.size()); ++p) {
    TPage& pg = pages_[static_cast<size_t>(p)];
    if (!pg.Dirty) continue;
    pg.Dirty = false;
    any = true;
    FindMatches(p);
    Arrange(p);
  }
  if (!any) return;
  GatherMatches();
  MarkTabs();
  emit ViewsChanged();
}

// A command kept in view for the operator working in it goes once the focus leaves it.
void TQtEditorViews::FocusChanged(QWidget* old) {
  for (int p = 0; p < static_cast<int>(pages_.size()); ++p) {
    const TPage& pg = pages_[static_cast<size_t>(p)];
    if (pg.KeptForFocus && pg.Box && pg.Box->isAncestorOf(old)) NoteDirty(p);
  }
}

void TQtEditorViews::Reset() {
  pages_.clear();
  matches_.clear();
  current_ = -1;
  marked_ = nullptr;
}

int TQtEditorViews::ShowFirstMatch() {
  if (matches_.empty()) return -1;
  const int page = pageControl_ ? pageControl_->currentIndex() : 0;
  for (int i = 0; i < MatchCount(); ++i)
    if (matches_[static_cast<size_t>(i)].Page >= page) return Show(i);
  return Show(0);
}

int TQtEditorViews::ShowNextMatch() {
  if (matches_.empty()) return -1;
  if (current_ < 0) return ShowFirstMatch();
  return Show((current_ + 1) % MatchCount());
}

int TQtEditorViews::Show(int index) {
  const ParamAddress m = matches_[static_cast<size_t>(index)];
  current_ = index;
  currentAddress_ = m;
  if (pageControl_) pageControl_->setCurrentIndex(m.Page);
  QWidget* target =
      m.Param < 0 ? editor_.FindParameterControl(m.Page, m.Command, 0, 0, ckGroup)
                  : editor_.FindParameterControl(m.Page, m.Command, m.Instance, m.Param, ckInput);
  QWidget* up = target ? target->parentWidget() : nullptr;
  while (up && !qobject_cast<QScrollArea*>(up)) up = up->parentWidget();
  if (auto* scroll = qobject_cast<QScrollArea*>(up)) scroll->ensureWidgetVisible(target, 40, 40);
  MarkCaption(CaptionOf(m));
  emit ViewsChanged();
  return index;
}

// The command's name label, or the parameter's label or check box.
QWidget* TQtEditorViews::CaptionOf(const ParamAddress& m) const {
  if (m.Param < 0) {
    QWidget* group = editor_.FindParameterControl(m.Page, m.Command, 0, 0, ckGroup);
    if (!group) return nullptr;
    for (QObject* child : group->children())
      if (auto* label = qobject_cast<QLabel*>(child);
          label && label->objectName().endsWith(QStringLiteral("_name")))
        return label;
    return group;
  }
  if (QWidget* box =
          editor_.FindParameterControl(m.Page, m.Command, m.Instance, m.Param, ckCheckBox))
    return box;
  QWidget* input = editor_.FindParameterControl(m.Page, m.Command, m.Instance, m.Param, ckInput);
  if (!input || !input->parentWidget()) return input;
  for (QObject* child : input->parentWidget()->children())
    if (auto* label = qobject_cast<QLabel*>(child); label && label->buddy() == input) return label;
  return input;
}

// The match shown is marked on an amber ground (bold would wrap its caption anew), until the next
// one is shown.
void TQtEditorViews::MarkCaption(QWidget* caption) {
  if (marked_) {
    marked_->setAutoFillBackground(false);
    marked_->setPalette(QPalette());
    marked_->setProperty("SearchMatch", QVariant());
  }
  marked_ = caption;
  if (!caption) return;
  const QColor amber(0xff, 0xd5, 0x4f);
  QPalette palette = caption->palette();
  for (QPalette::ColorRole role : {QPalette::Window, QPalette::Button, QPalette::Base})
    palette.setColor(role, amber);
  palette.setColor(QPalette::WindowText, Qt::black);
  caption->setPalette(palette);
  caption->setAutoFillBackground(true);
  caption->setProperty("SearchMatch", true);
}

}  // namespace quillon
