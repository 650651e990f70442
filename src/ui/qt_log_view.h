// The protocol log pane: shows the lines of a TLogModel, each in its colour, newest in view.
#pragma once

#include <QPlainTextEdit>
#include <cstdint>
#include <vector>

#include "link/log_model.h"

class QFileDialog;
class QMenu;

namespace quillon {

class TLogView : public QPlainTextEdit {
  Q_OBJECT

 public:
  explicit TLogView(QWidget* parent = nullptr);
  ~TLogView() override;

  // Shows the model's lines and follows it from now on; nullptr detaches.
  void Attach(TLogModel* model);

  // The pane's context menu: the text view's own entries, then "Сохранить протокол…"
  // (SaveLog1) and "Очистить" (ClearLog1). The caller owns it.
  QMenu* CreateContextMenu();
  // Writes every line of the pane, UTF-8, each led by the time it was written, passwords
  // masked; false with the reason in the pane when the file cannot be written.
  bool SaveProtocol(const QString& fileName);
  // Empties the pane (and the model's lines behind it).
  void ClearProtocol();
  // The save dialog the menu entry runs (created on first use).
  QFileDialog* SaveLogDialog();

 protected:
  void contextMenuEvent(QContextMenuEvent* event) override;

 private:
  void SaveLog1Click();

  void Append(const std::vector<TLogLine>& lines);
  void AppendLine(const TLogLine& line);
  void ScrollToNewest();

  TLogModel* model_ = nullptr;
  bool hasLines_ = false;
  QFileDialog* saveDialog_ = nullptr;
};

}  // namespace quillon
