// Keeps the operator's input out of a run that blocks the window (a transaction, a page run):
// clicks and keys that arrive meanwhile are thrown away instead of being replayed when the run
// returns, except in the modal windows the run itself opens. Esc is noted, so that a page run
// can stop between two requests.
#pragma once

#include <QObject>

namespace quillon {

class TQtInputGuard : public QObject {
  Q_OBJECT

 public:
  explicit TQtInputGuard(QObject* parent = nullptr);
  ~TQtInputGuard() override;

  // Runs work with the guard up; input queued before it returns is discarded on the way out.
  template <typename Work>
  void Run(Work&& work) {
    Begin();
    work();
    End();
  }

  // Between two requests of a run: lets the window repaint and takes in what the operator did
  // meanwhile. True once Esc was pressed in the main window during this run.
  bool StopRequested();

  bool Active() const { return depth_ > 0; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void Begin();
  void End();
  void Flush();

  int depth_ = 0;
  bool escPressed_ = false;
};

}  // namespace quillon
