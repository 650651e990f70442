// Views of the parameter editor that leave commands out of its pages: only the commands holding
// changed values, only those matching a search, or both. A page built later follows the views in
// force; turning them off puts every command back where it was built.
#pragma once

#include <QObject>
#include <QPointer>
#include <QString>
#include <vector>

#include "editor/parameter_editor.h"
#include "editor/qt/qt_page_tabs.h"
#include "profile/command_profile.h"

class QLabel;
class QWidget;

namespace quillon {

class TQtParameterEditor;

class TQtEditorViews : public QObject {
  Q_OBJECT

 public:
  TQtEditorViews(TQtParameterEditor& editor, const CommandProfile& profile,
                 TQtPageTabs* pageControl);
  ~TQtEditorViews() override;

  void SetChangedOnly(bool on);
  bool ChangedOnly() const { return changedOnly_; }

  // Looks for the text, without regard to letter case, in command names and descriptions,
  // parameter descriptions and the values shown, on every page (a page not built yet shows its
  // defaults). Empty: no search. Returns the number of matches.
  int SetSearchText(const QString& text);
  const QString& SearchText() const { return search_; }
  bool Filtering() const { return changedOnly_ || !search_.isEmpty(); }

  // Matches in profile order; Param -1 where the command's name or description matched.
  int MatchCount() const { return static_cast<int>(matches_.size()); }
  ParamAddress Match(int index) const { return matches_[static_cast<size_t>(index)]; }
  // The match shown last, -1 before the first.
  int CurrentMatch() const { return current_; }
  // Shows a match: its tab, scrolled into view, its caption marked. ShowFirstMatch takes the
  // first one on the current page or after it; ShowNextMatch the one after the match shown,
  // across pages, from the last back to the first. -1 when there is none.
  int ShowFirstMatch();
  int ShowNextMatch();

  // Whether the views leave the command's group in its page.
  bool CommandShown(int page, int command) const;

  // Told by the editor: a page's controls were made; a shown value changed (flipped: its
  // changed state too); every page is going.
  void PageBuilt(int page, QWidget* box, QWidget* applyPage, QWidget* pollPage, int unitHeight);
  void ValueChanged(int page, bool flipped);
  void Reset();

 signals:
  // The matches or the commands shown changed.
  void ViewsChanged();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  struct TPage {
    QPointer<QWidget> Box;
    QPointer<QWidget> ApplyPage, PollPage;
    QPointer<QLabel> Notice;
    std::vector<QPointer<QWidget>> Groups;
    std::vector<ParamAddress> Matches;
    int UnitHeight = 1;
    bool Dirty = false;
    bool KeptForFocus = false;    // a group stays only while the focus is in it
    bool ArrangePending = false;  // laid out again when its tab is next shown
  };

  bool CommandHasChanges(int page, int command) const;
  bool CommandMatches(int page, int command) const;
  QString ShownText(int page, int command, int instance, int param) const;
  void FindMatches(int page);
  void GatherMatches();
  void Arrange(int page);
  void ArrangeBuiltPages();
  void MarkTabs();
  void NoteDirty(int page);
  void RefreshDirty();
  void FocusChanged(QWidget* old);
  int Show(int index);
  void MarkCaption(QWidget* caption);
  QWidget* CaptionOf(const ParamAddress& match) const;

  TQtParameterEditor& editor_;
  const CommandProfile& profile_;
  QPointer<TQtPageTabs> pageControl_;
  std::vector<TPage> pages_;
  std::vector<ParamAddress> matches_;
  bool changedOnly_ = false;
  QString search_;
  int current_ = -1;
  ParamAddress currentAddress_{-1, -1, -1, -1};
  QPointer<QWidget> marked_;
  bool refreshPosted_ = false;
};

}  // namespace quillon
