// The status window "Состояние устройства": the terminal's live state from its status reports,
// the state of the serial link, remote-control buttons from section RC of the settings file and
// a link to the position on a web map. Created once at start; shown modally from the main menu.
// Showing it starts the report exchange, closing it stops the exchange.
#pragma once

#include <QDialog>
#include <QEvent>
#include <QHash>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "status/status_report.h"
#include "status/status_texts.h"

class QBoxLayout;
class QCheckBox;
class QScrollArea;
class QGridLayout;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QVBoxLayout;

namespace quillon {

class TGeneralNumberFormatter;
class TQtSignalBar;
class TStatusExchange;
class TTerminalSession;
struct TSettings;

class TfmDeviceInfo : public QDialog {
  Q_OBJECT

 public:
  // The start request the window posts to itself when shown, so that the exchange starts once
  // the window is on screen and the loop runs.
  static constexpr QEvent::Type kStartRequestEvent = static_cast<QEvent::Type>(QEvent::User + 100);
  static constexpr int kRcButtonWidth = 64;
  // Room left for the window frame when the window is sized to the screen.
  static constexpr int kFrameAllowance = 48;

  // settingsPath: the settings file whose section RC is read at every showing.
  TfmDeviceInfo(TTerminalSession& session, const TSettings& settings, std::string settingsPath,
                QWidget* parent = nullptr);
  ~TfmDeviceInfo() override;

  // The connection group, fed by the main window's link indicators whether or not the window is
  // on screen.
  void RefreshLinkState(const std::string& portName, const std::string& baudText, bool portOpen,
                        bool inCommandMode);

  // Starts the report exchange (asking for a command-mode session first); nothing while it runs
  // or when no session can be had.
  void StartExchange();
  // Stops it: the framer is detached and the stop request sent, whether or not it ran.
  void StopExchange();
  bool Running() const;

  // One report line, trimmed, as the packet path hands it on: parsed and shown.
  void ShowReport(const std::string& line);
  void ApplyUpdates(const std::vector<TStatusUpdate>& updates);

  // "http://" + MapHost + "/?text=" + latitude "," longitude, as the fields show them.
  QString MapAddress() const;
  bool MapAvailable() const;

  // The pairs (caption, command) of the last showing, in file order.
  const std::vector<std::pair<std::string, std::string>>& RemoteControls() const { return rc_; }
  // The state texts in the interface language.
  const TStatusTexts& Texts() const { return texts_; }

  // Handlers.
  void btnStartClick();
  void btnStopClick();
  void btnCloseClick();
  void btnGoMapClick();
  void bgRCButtonClicked(int index);

  void done(int result) override;
  void setVisible(bool visible) override;

 protected:
  bool event(QEvent* event) override;
  void showEvent(QShowEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

 private:
  struct TFieldRow {
    const char* Name;
    const char* Caption;
  };

  void FormCreate();
  void LoadStateTexts();
  QVBoxLayout* NewColumn();
  QGroupBox* NewGroup(const char* name, const char* caption, QWidget* parent);
  QGridLayout* GroupGrid(QGroupBox* group);
  void AddFields(QGroupBox* group, std::initializer_list<TFieldRow> rows, int fieldChars);
  QLineEdit* AddField(QGridLayout* grid, QGroupBox* group, const TFieldRow& row, int fieldChars);
  void CreateLeftColumn(QVBoxLayout* column);
  void CreateMiddleColumn(QVBoxLayout* column);
  void CreateRightColumn(QVBoxLayout* column);
  void CreateButtons(QBoxLayout* top);
  void FitOnScreen();
  void AlignLabels(QVBoxLayout* column);
  void FormShow();
  void ReadRemoteControls();
  void RebuildRcButtons();
  void RefreshMapButton();
  void FormClose();
  void SetOverflowShown(bool shown);

  TTerminalSession& session_;
  const TSettings& settings_;
  std::string settingsPath_;
  TStatusTexts texts_;
  std::unique_ptr<TGeneralNumberFormatter> formatter_;
  std::unique_ptr<TStatusExchange> exchange_;
  std::vector<std::pair<std::string, std::string>> rc_;
  bool closing_ = false;

  QHash<QString, QLineEdit*> fields_;
  QHash<QString, QCheckBox*> checks_;
  QVector<QGroupBox*> groups_;
  QVBoxLayout* columns_[3] = {};
  QWidget* pnlFields_ = nullptr;
  QScrollArea* sbFields_ = nullptr;
  QLabel* lMemoryOverflow_ = nullptr;
  TQtSignalBar* pGSMStr_ = nullptr;
  QPushButton* btnGoMap_ = nullptr;
  QWidget* bgRC_ = nullptr;
  QGridLayout* bgRCLayout_ = nullptr;
  QWidget* buttonColumn_ = nullptr;
  QPushButton* btnStart_ = nullptr;
  QPushButton* btnStop_ = nullptr;
  QPushButton* btnClose_ = nullptr;
};

}  // namespace quillon
