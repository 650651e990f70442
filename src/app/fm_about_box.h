// The About window: program title, version and the makers' contacts. TrueCustomer picks which
// of the two information panels is shown.
#pragma once

#include <QDialog>

class QFrame;
class QLabel;

namespace quillon {

class TAboutBox : public QDialog {
  Q_OBJECT

 public:
  explicit TAboutBox(QWidget* parent = nullptr);

  void SetProgramTitle(const QString& title);
  // True: the first panel shown and enabled, the second hidden; false: the second shown over the
  // first, which is disabled.
  void SetTrueCustomer(bool trueCustomer);

  static QString Version();

 private:
  QFrame* MakeCustomerPanel();
  QFrame* MakeResellerPanel();

  QLabel* lblProductName_;
  QLabel* lblVersion_;
  QFrame* Panel1_;
  QFrame* Panel2_;
};

}  // namespace quillon
