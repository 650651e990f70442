// The main window's real widgets, offscreen, against quillon-sim on a pseudo-terminal: the
// terminal started from a state file, the window on its port with the default passwords, and an
// operator that answers the modal questions so that an unexpected one fails a test instead of
// blocking it.
#pragma once

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QMessageBox>
#include <QObject>
#include <QPushButton>
#include <QScrollArea>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <memory>
#include <string>
#include <vector>

#include "app/fm_main.h"
#include "editor/qt/qt_page_tabs.h"
#include "sim/simulator_process.h"

namespace quillon::test {

// Generous answer time-outs: the run must not depend on how busy the machine is.
inline const char kGenerousTimeouts[] =
    "[Connection]\nTimeout=3000\nTimeoutEcho=2000\nTimeoutInterval=300\n";

inline bool WriteFile(const QString& path, const char* text) {
  QFile file(path);
  return file.open(QIODevice::WriteOnly) && file.write(text) == qint64(qstrlen(text));
}

// With QUILLON_TEST_SCREENSHOTS=DIR set, a picture of the window for a look by eye.
inline void Shot(QWidget* window, const QString& name) {
  const QString dir = qEnvironmentVariable("QUILLON_TEST_SCREENSHOTS");
  if (dir.isEmpty()) return;
  QDir().mkpath(dir);
  window->grab().save(dir + QLatin1Char('/') + name + QStringLiteral(".png"));
}

// Plays the operator at every modal window while it lives. By default every message box is
// answered (Cancel where offered, else OK) and its text noted; a test that meets other windows
// or questions answers them in its own Answer.
class TModalOperator : public QObject {
 public:
  TModalOperator() {
    timer_.setInterval(20);
    connect(&timer_, &QTimer::timeout, this, [this] { Answer(QApplication::activeModalWidget()); });
    timer_.start();
  }

  QStringList Messages;

 protected:
  virtual void Answer(QWidget* modal) {
    auto* box = qobject_cast<QMessageBox*>(modal);
    if (box && box->isVisible()) AnswerBox(box);
  }
  void AnswerBox(QMessageBox* box) {
    Messages << box->text();
    QAbstractButton* button = box->button(QMessageBox::Cancel);
    if (!button) button = box->button(QMessageBox::Ok);
    if (button) button->click();
  }

 private:
  QTimer timer_;
};

// The test class's base: the scratch folder, the terminal and the main window of the current
// run. A test class keeps its operator in a member of its own, so that it goes before the
// window.
class TSimMainWindowTest : public QObject {
 protected:
  QTemporaryDir dir_;
  QString statePath_;
  QString tracePath_;
  std::unique_ptr<TSimulatorProcess> sim_;
  std::unique_ptr<TfmMain> fm_;
  int runs_ = 0;
  // The profile both the terminal and the window start with.
  std::string profilePath_ = "cmdprofile.xml";

  // Starts the terminal holding initialState, with the extra switches (and its --trace output
  // in tracePath_ when traced), and makes the main window on its port with the default
  // passwords and the given settings, not yet shown.
  bool StartSimAndWindow(const char* initialState, const std::vector<std::string>& extra = {},
                         const std::string& settings = kGenerousTimeouts, bool traced = false) {
    statePath_ = dir_.filePath(QStringLiteral("state-%1.txt").arg(++runs_));
    tracePath_ = traced ? dir_.filePath(QStringLiteral("trace-%1.txt").arg(runs_)) : QString();
    if (!WriteFile(statePath_, initialState)) return false;
    std::vector<std::string> args = {
        "--profile",         profilePath_, "--password", "1234",
        "--master-password", "5678",       "--state",    statePath_.toStdString()};
    args.insert(args.end(), extra.begin(), extra.end());
    sim_ = std::make_unique<TSimulatorProcess>();
    if (traced) {
      args.push_back("--trace");
      sim_->SetErrorFile(tracePath_.toStdString());
    }
    std::string error;
    if (!sim_->Start(args, 10000, error)) {
      qWarning("quillon-sim: %s", error.c_str());
      return false;
    }
    const QString ini = dir_.filePath(QStringLiteral("Quillon.ini"));
    if (!WriteFile(ini, settings.c_str())) return false;
    TMainOptions options;
    options.ProfilePath = profilePath_;
    options.SettingsPath = ini.toStdString();
    options.PortOverride = sim_->DevicePath();
    options.FallbackPassword = "1234";
    options.FallbackMasterPassword = "5678";
    fm_ = std::make_unique<TfmMain>(nullptr, options);
    return true;
  }

  // Types over the whole text of a field, the way an operator selects and types.
  static void TypeOver(QWidget* field, const QString& text) {
    field->setFocus();
    QTest::keyClick(field, Qt::Key_End);
    QTest::keyClick(field, Qt::Key_Home, Qt::ShiftModifier);
    QTest::keyClicks(field, text);
  }

  // A button of the page by its name, scrolled into view as an operator would, and clicked.
  void ClickPageButton(int pageIndex, const QString& name) {
    fm_->PageControl1->setCurrentIndex(pageIndex);
    QWidget* page = fm_->PageControl1->widget(pageIndex);
    auto* button = page->findChild<QPushButton*>(name);
    QVERIFY2(button, qPrintable(name));
    if (auto* scroll = page->findChild<QScrollArea*>()) scroll->ensureWidgetVisible(button);
    QVERIFY(button->isVisible() && button->isEnabled());
    QTest::mouseClick(button, Qt::LeftButton);
  }
};

}  // namespace quillon::test
