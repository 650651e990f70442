// A main-window-like frame for benchmarks of the Qt editor: the tab control in a window sized
// as the program sizes it, and the editor on it, not yet built.
#pragma once

#include <QMainWindow>
#include <memory>

#include "editor/mask_matcher.h"
#include "editor/qt/qt_page_tabs.h"
#include "editor/qt/qt_parameter_editor.h"
#include "link/log_model.h"
#include "profile/command_profile.h"
#include "settings/settings.h"

namespace quillon::bench {

struct TEditorFrame {
  TSettings settings;
  TLogModel log{settings};
  TMaskMatcher matcher;
  QMainWindow window;
  TQtPageTabs* tabs = nullptr;
  QSize unit;
  std::unique_ptr<TQtParameterEditor> editor;

  explicit TEditorFrame(const CommandProfile& profile) {
    tabs = new TQtPageTabs(&window);
    window.setCentralWidget(tabs);
    unit = TQtParameterEditor::MeasureUnits(tabs);
    window.resize((profile.InputWidth + 22) * unit.width(), 600);
    editor = std::make_unique<TQtParameterEditor>(tabs, profile, log, matcher);
  }

  // The editor built and its window shown, as at the program's start.
  TQtParameterEditor& BuildAndShow() {
    editor->BuildEditor(unit.width(), unit.height());
    window.show();
    QCoreApplication::processEvents();
    return *editor;
  }
};

}  // namespace quillon::bench
