// The protocol log pane: shows the lines of a TLogModel, each in its colour, newest in view.
#pragma once

#include <QPlainTextEdit>
#include <cstdint>
#include <vector>

#include "link/log_model.h"

namespace quillon {

class TLogView : public QPlainTextEdit {
  Q_OBJECT

 public:
  explicit TLogView(QWidget* parent = nullptr);
  ~TLogView() override;

  // Shows the model's lines and follows it from now on; nullptr detaches.
  void Attach(TLogModel* model);

 private:
  void Append(const std::vector<TLogLine>& lines);
  void AppendLine(const TLogLine& line);
  void ScrollToNewest();

  TLogModel* model_ = nullptr;
  bool hasLines_ = false;
};

}  // namespace quillon
