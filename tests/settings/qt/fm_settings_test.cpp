// The settings dialog on real widgets, offscreen: what each stored value shows as, what
// "Применить" writes back, the password fields, the port list, the run's overrides, a file that
// cannot be written, and the debug command reaching the simulated terminal.
#include <QAbstractItemView>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGroupBox>
#include <QInputMethodEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QWheelEvent>
#include <QWindow>
#include <functional>
#include <memory>

#include "app/fm_main.h"
#include "link/terminal_session.h"
#include "profile/command_profile.h"
#include "settings/ini_file.h"
#include "settings/program_paths.h"
#include "settings/qt/fm_settings.h"
#include "settings/qt/qt_color_box.h"
#include "settings/qt/qt_password_edit.h"
#include "settings/qt/qt_spin_edit.h"
#include "settings/run_overrides.h"
#include "settings/settings.h"
#include "sim/simulator_process.h"
#include "ui/qt_log_view.h"
#include "ui/qt_text.h"

namespace quillon {

namespace {

CommandProfile ThreePages() {
  CommandProfile profile;
  const char* pages[][2] = {{"gsm", "Связь"}, {"nav", "Навигация"}, {"io", "Входы"}};
  for (const auto& page : pages) {
    TDevPage p;
    p.Id = page[0];
    p.Name = FromQString(QString::fromUtf8(page[1]));
    profile.Pages.push_back(p);
  }
  return profile;
}

std::optional<std::vector<TSerialPortInfo>> Ports(std::vector<std::string> paths) {
  std::vector<TSerialPortInfo> ports;
  for (auto& path : paths) {
    TSerialPortInfo port;
    port.Path = port.Node = path;
    port.Kind = "uart";
    ports.push_back(port);
  }
  return ports;
}

QStringList Items(const QComboBox* box) {
  QStringList items;
  for (int i = 0; i < box->count(); ++i) items << box->itemText(i);
  return items;
}

// Presses the button of the message box that comes up within the next moments, remembering
// its text.
void AnswerNextBox(QObject* context, QString& text) {
  QTimer::singleShot(200, context, [&text] {
    if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
      text = box->text();
      box->button(QMessageBox::Ok)->click();
    }
  });
}

// With QUILLON_TEST_SCREENSHOTS=DIR set, saves a picture of the window for a look by eye.
void Shot(QWidget* window, const QString& name) {
  const QString dir = qEnvironmentVariable("QUILLON_TEST_SCREENSHOTS");
  if (dir.isEmpty()) return;
  QCoreApplication::processEvents();
  window->grab().save(dir + QLatin1Char('/') + name + QStringLiteral(".png"));
}

}  // namespace

class TfmSettingsTest : public QObject {
  Q_OBJECT

 private:
  QTemporaryDir dir_;
  CommandProfile profile_ = ThreePages();
  TSettings settings_;
  std::string iniPath_;
  std::unique_ptr<TfmSettings> fm_;

  // A dialog over the settings read from this INI text, writing back to the same file.
  TfmSettings& Open(const std::string& ini,
                    std::vector<std::string> ports = {"COM2", "COM10", "COM1"}) {
    fm_.reset();
    iniPath_ = (dir_.path() + QStringLiteral("/Quillon.ini")).toStdString();
    QFile file(QString::fromStdString(iniPath_));
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate)) file.write(ini.data(), ini.size());
    file.close();
    TIniFile source(iniPath_);
    bool trueCustomer = false;
    settings_ = TSettings();
    LoadSettings(source, profile_, settings_, trueCustomer);
    fm_ = std::make_unique<TfmSettings>(settings_, profile_);
    fm_->SetSettingsFile(iniPath_);
    fm_->SetPortLister([ports] { return Ports(ports); });
    fm_->show();
    return *fm_;
  }

  TSettings Stored() {
    TIniFile ini(iniPath_);
    TSettings s;
    bool trueCustomer = false;
    LoadSettings(ini, profile_, s, trueCustomer);
    return s;
  }

  std::string StoredText() {
    QFile file(QString::fromStdString(iniPath_));
    file.open(QIODevice::ReadOnly);
    return file.readAll().toStdString();
  }

 private slots:
  void cleanup() { fm_.reset(); }

  void componentsCaptionsAndRanges() {
    TfmSettings& fm = Open("");
    QCOMPARE(fm.windowTitle(), QStringLiteral("Настройки программы"));
    const struct {
      const char* name;
      const char* caption;
    } captions[] = {
        {"lblComPort", "COM-порт:"},
        {"lblPortSpeed", "Скорость порта"},
        {"lblPassword", "Пароль связи"},
        {"lblMasterPassword", "Мастер-пароль"},
        {"lblTimeOut", "Таймаут общий"},
        {"lblTimeoutInterval", "Таймаут межсимвольный"},
        {"lblTimeoutEcho", "Таймаут \"эхо\""},
        {"lblTimeOutUnit", "мс"},
        {"lblPagesSelect", "Активные вкладки"},
        {"lblRead", "Чтение"},
        {"lblWrite", "Запись"},
        {"lblReadError", "Ошибка чтения"},
        {"lblWriteError", "Ошибка записи"},
        {"lblGeneralError", "Прочее"},
        {"lblRetryCount", "Количество повторов команд"},
        {"lblConnectMethod", "Вход в командный режим"},
        {"lblLanguage", "Язык:"},
    };
    for (const auto& c : captions) {
      auto* label = fm.findChild<QLabel*>(QString::fromLatin1(c.name));
      QVERIFY2(label, c.name);
      QCOMPARE(label->text(), QString::fromUtf8(c.caption));
      QVERIFY2(label->width() >= label->fontMetrics().horizontalAdvance(label->text()), c.name);
    }
    QCOMPARE(fm.gbColors->title(), QStringLiteral("Цвета протокола"));
    QCOMPARE(fm.gbDebug->title(), QStringLiteral("Отладка-послать команду"));
    QCOMPARE(fm.cbPortPoll->text(), QStringLiteral("Контроль порта"));
    QCOMPARE(fm.btnSend->text(), QStringLiteral("Послать команду"));
    QCOMPARE(fm.edtCmdText->text(), QStringLiteral("AT+SGDT=?"));
    QCOMPARE(fm.ApplyBtn->text(), QStringLiteral("Применить"));
    QCOMPARE(fm.CancelBtn->text(), QStringLiteral("Отмена"));
    QVERIFY(fm.ApplyBtn->isDefault());
    QList<QAbstractButton*> buttons;
    for (QPushButton* b : fm.findChildren<QPushButton*>()) buttons << b;
    for (QCheckBox* b : fm.findChildren<QCheckBox*>()) buttons << b;
    for (QAbstractButton* b : buttons)
      if (b->isVisible())
        QVERIFY2(b->width() >= b->fontMetrics().horizontalAdvance(b->text()),
                 qPrintable(b->text()));

    for (TQtSpinEdit* se : {fm.seTimeOut, fm.seTimeoutInterval, fm.seTimeoutEcho}) {
      QCOMPARE(se->minimum(), 50);
      QCOMPARE(se->maximum(), 5000);
      QCOMPARE(se->singleStep(), 50);
    }
    QCOMPARE(fm.seRetryCount->minimum(), 1);
    QCOMPARE(fm.seRetryCount->maximum(), 100);
    QCOMPARE(fm.seRetryCount->singleStep(), 1);
    QCOMPARE(Items(fm.cbPortSpeed),
             QStringList({"9600", "38400", "57600", "115200", "230400", "460800"}));
    QCOMPARE(Items(fm.cbConnectMethod), QStringList({"Стандартный", "Быстрый"}));
    QCOMPARE(Items(fm.cbLanguage), QStringList({"Русский", "English"}));
    QVERIFY(fm.cbComPortSelect->isEditable());
    QVERIFY(!fm.cbPortSpeed->isEditable());
    QCOMPARE(fm.clbPagesSelect->count(), 3);
    QCOMPARE(fm.clbPagesSelect->item(1)->text(), QStringLiteral("Навигация"));
    QCOMPARE(fm.clrbRead->count(), TQtColorBox::OfferedCount());
    QCOMPARE(TQtColorBox::OfferedCount(), 20 + 30);

    // Left column: port to colours; right column: pages to debug group.
    QVERIFY(fm.seTimeoutEcho->mapTo(&fm, QPoint()).y() < fm.gbColors->mapTo(&fm, QPoint()).y());
    QVERIFY(fm.clbPagesSelect->mapTo(&fm, QPoint()).x() >
            fm.cbComPortSelect->mapTo(&fm, QPoint()).x() + fm.cbComPortSelect->width());
    for (QWidget* right :
         std::initializer_list<QWidget*>{fm.seRetryCount, fm.cbLanguage, fm.cbPortPoll,
                                         fm.cbFastAnswer, fm.cbSessionLog, fm.edtMapHost})
      QVERIFY(right->mapTo(&fm, QPoint()).x() >= fm.clbPagesSelect->mapTo(&fm, QPoint()).x());
    QVERIFY(fm.ApplyBtn->mapTo(&fm, QPoint()).x() > fm.CancelBtn->mapTo(&fm, QPoint()).x());
    QVERIFY(!fm.gbDebug->isVisible());  // Debug is off
    Shot(&fm, QStringLiteral("settings"));
    fm.clrbRead->showPopup();
    Shot(fm.clrbRead->view()->window(), QStringLiteral("settings-colours"));
    fm.clrbRead->hidePopup();
  }

  // Each stored value, what the dialog shows for it, and what "Применить" stores untouched.
  void storedValuesShownAndStoredBack() {
    const struct {
      const char* ini;
      std::function<bool(TfmSettings&)> shown;
      std::function<bool(const TSettings&)> stored;
    } cases[] = {
        {"[Connection]\nTimeout=20\n", [](TfmSettings& f) { return f.seTimeOut->value() == 50; },
         [](const TSettings& s) { return s.Timeout == 50; }},
        {"[Connection]\nTimeoutEcho=6000\n",
         [](TfmSettings& f) { return f.seTimeoutEcho->value() == 5000; },
         [](const TSettings& s) { return s.TimeoutEcho == 5000; }},
        {"[Connection]\nTimeout=0\nTimeoutInterval=-7\n",
         [](TfmSettings& f) {
           return f.seTimeOut->value() == 250 && f.seTimeoutInterval->value() == 250;
         },
         [](const TSettings& s) { return s.Timeout == 250 && s.TimeoutInterval == 250; }},
        {"[Connection]\nTimeoutInterval=260\n",
         [](TfmSettings& f) { return f.seTimeoutInterval->value() == 260; },
         [](const TSettings& s) { return s.TimeoutInterval == 260; }},
        {"[Device]\nRetryCount=500\n",
         [](TfmSettings& f) { return f.seRetryCount->value() == 100; },
         [](const TSettings& s) { return s.RetryCount == 100; }},
        {"", [](TfmSettings& f) { return f.cbLanguage->currentText() == "Русский"; },
         [](const TSettings& s) { return s.Language == 1049; }},
        {"[Interface]\nLanguage=1033\n",
         [](TfmSettings& f) { return f.cbLanguage->currentText() == "English"; },
         [](const TSettings& s) { return s.Language == 1033; }},
        {"[Interface]\nLanguage=2057\n",
         [](TfmSettings& f) { return f.cbLanguage->currentIndex() == 0; },
         [](const TSettings& s) { return s.Language == 1049; }},
        // A speed the list lacks is offered in its place and kept.
        {"[Connection]\nSpeed=19200\n",
         [](TfmSettings& f) {
           return f.cbPortSpeed->currentText() == "19200" &&
                  Items(f.cbPortSpeed) == QStringList({"9600", "19200", "38400", "57600", "115200",
                                                       "230400", "460800"});
         },
         [](const TSettings& s) { return s.Speed == 19200; }},
        {"[Connection]\nSpeed=921600\n",
         [](TfmSettings& f) { return f.cbPortSpeed->currentIndex() == 6; },
         [](const TSettings& s) { return s.Speed == 921600; }},
        // A colour no chooser offers is its own entry and kept; a system colour is offered.
        {"[Interface]\nGeneralErrorColorText=1234567\nReadColorText=$FF00000F\n",
         [](TfmSettings& f) {
           return f.clrbGeneralError->count() == TQtColorBox::OfferedCount() + 1 &&
                  f.clrbGeneralError->currentText().contains("#87D612") &&
                  f.clrbRead->currentText() == "Поверхность кнопки";
         },
         [](const TSettings& s) {
           return s.GeneralErrorColorText == 1234567 &&
                  s.ReadColorText == static_cast<int32_t>(0xFF00000F);
         }},
        {"",
         [](TfmSettings& f) {
           return f.clrbRead->currentText() == "Чёрный" &&
                  f.clrbReadError->currentText() == "Красный" &&
                  f.clrbGeneralError->currentText() == "Серый";
         },
         [](const TSettings& s) {
           return s.ReadColorText == 0 && s.ReadErrorColorText == 255 &&
                  s.GeneralErrorColorText == 8421504;
         }},
        // An id that names no page is dropped; ticks follow the ids.
        {"[Interface]\nEnabledPages=io,bogus,gsm\n",
         [](TfmSettings& f) {
           return f.clbPagesSelect->item(0)->checkState() == Qt::Checked &&
                  f.clbPagesSelect->item(1)->checkState() == Qt::Unchecked &&
                  f.clbPagesSelect->item(2)->checkState() == Qt::Checked;
         },
         [](const TSettings& s) {
           return s.EnabledPages == std::vector<std::string>{"gsm", "io"};
         }},
        {"[Device]\nConnectMethod=1\nPortPoll=1\nPassword=123456789012345\n",
         [](TfmSettings& f) {
           return f.cbConnectMethod->currentText() == "Быстрый" && f.cbPortPoll->isChecked() &&
                  f.edtPassword->text() == "123456789012345";
         },
         [](const TSettings& s) {
           return s.ConnectMethod == 1 && s.PortPoll && s.Password == "123456789012345" &&
                  s.EffectivePassword == "123456789012345";
         }},
        {"[Interface]\nMapHost=maps.example.org\nSessionLog=1\n[Connection]\nFastAnswer=1\n"
         "COM=/dev/serial/by-id/usb-FTDI-if00\n",
         [](TfmSettings& f) {
           return f.edtMapHost->text() == "maps.example.org" && f.cbSessionLog->isChecked() &&
                  f.cbFastAnswer->isChecked() &&
                  f.cbComPortSelect->currentText() == "/dev/serial/by-id/usb-FTDI-if00";
         },
         [](const TSettings& s) {
           return s.MapHost == "maps.example.org" && s.SessionLog && s.FastAnswer &&
                  s.COM == "/dev/serial/by-id/usb-FTDI-if00";
         }},
    };
    for (const auto& c : cases) {
      TfmSettings& fm = Open(c.ini);
      QVERIFY2(c.shown(fm), c.ini);
      fm.ApplyBtn->click();
      QCOMPARE(fm.result(), int(QDialog::Accepted));
      QVERIFY2(c.stored(Stored()), c.ini);
      QVERIFY2(c.stored(settings_), c.ini);
    }
  }

  void editsReadBack() {
    TfmSettings& fm = Open("[Interface]\nDebug=1\nTrueCustomer=1\n[Connection]\nParity=Even\n");
    fm.seTimeOut->findChild<QLineEdit*>()->setText(QStringLiteral("12-"));
    fm.seTimeoutEcho->findChild<QLineEdit*>()->setText(QStringLiteral("7"));
    fm.seRetryCount->findChild<QLineEdit*>()->setText(QString());
    for (int i = 0; i < fm.clbPagesSelect->count(); ++i)
      fm.clbPagesSelect->item(i)->setCheckState(Qt::Unchecked);
    fm.cbComPortSelect->setEditText(QStringLiteral("/dev/ttyUSB3"));
    fm.cbPortSpeed->setCurrentText(QStringLiteral("9600"));
    fm.clrbWrite->setCurrentText(QStringLiteral("Синий"));
    fm.cbLanguage->setCurrentIndex(1);
    fm.edtMapHost->setText(QStringLiteral("  maps.example.org "));
    fm.cbFastAnswer->setChecked(true);
    fm.ApplyBtn->click();

    const TSettings s = Stored();
    QCOMPARE(s.Timeout, 50);
    QCOMPARE(s.TimeoutEcho, 50);
    QCOMPARE(s.RetryCount, 1);
    QVERIFY(s.EnabledPages.empty());
    QVERIFY(StoredText().find("EnabledPages=\n") != std::string::npos);
    QCOMPARE(QString::fromStdString(s.COM), QStringLiteral("/dev/ttyUSB3"));
    QCOMPARE(s.Speed, 9600);
    QCOMPARE(s.WriteColorText, 0xFF0000);
    QCOMPARE(s.Language, 1033);
    QCOMPARE(QString::fromStdString(s.MapHost), QStringLiteral("maps.example.org"));
    QVERIFY(s.FastAnswer);
    // Keys without a control are left as the file had them.
    QVERIFY(s.Debug);
    QCOMPARE(QString::fromStdString(s.Parity), QStringLiteral("Even"));
    QVERIFY(StoredText().find("TrueCustomer=1") != std::string::npos);
    QVERIFY(settings_.EnabledPages.empty());
    QCOMPARE(settings_.Timeout, 50);
  }

  // "Отмена", Esc and the close box discard the edits; Enter confirms them.
  void cancelDiscardsAndEnterConfirms() {
    for (int way = 0; way < 3; ++way) {
      TfmSettings& fm = Open("[Connection]\nTimeout=300\n");
      fm.seTimeOut->setValue(1000);
      fm.edtPassword->setText(QStringLiteral("99"));
      if (way == 0) fm.CancelBtn->click();
      if (way == 1) QTest::keyClick(&fm, Qt::Key_Escape);
      if (way == 2) fm.close();
      QCOMPARE(fm.result(), int(QDialog::Rejected));
      QVERIFY(!fm.isVisible());
      QCOMPARE(fm.seTimeOut->value(), 300);
      QVERIFY(fm.edtPassword->text().isEmpty());
      QCOMPARE(settings_.Timeout, 300);
      QVERIFY(StoredText().find("Timeout=300") != std::string::npos);
      QVERIFY(StoredText().find("Password") == std::string::npos);  // nothing written
    }
    TfmSettings& fm = Open("");
    fm.activateWindow();
    fm.seRetryCount->setFocus();
    fm.seRetryCount->setValue(7);
    QTest::keyClick(fm.seRetryCount, Qt::Key_Return);
    QCOMPARE(fm.result(), int(QDialog::Accepted));
    QCOMPARE(Stored().RetryCount, 7);
  }

  // A wheel over a field that is not being worked in changes nothing (it reaches the field as
  // the window hands it on); a click and keys go to the dialog's window as a desktop sends them:
  // Enter on "Отмена" cancels; the eye starts closed each time.
  void windowInputBehavesAsInADesktopDialog() {
    TfmSettings& fm = Open("[Connection]\nSpeed=115200\nTimeout=250\n[Device]\nPassword=1234\n");
    QVERIFY(QTest::qWaitForWindowActive(&fm));
    QWindow* window = fm.windowHandle();
    fm.ApplyBtn->setFocus();
    for (QWidget* field :
         {static_cast<QWidget*>(fm.cbPortSpeed), static_cast<QWidget*>(fm.seTimeOut)}) {
      const QPoint at = field->mapTo(&fm, field->rect().center());
      QWheelEvent wheel(at, fm.mapToGlobal(at), QPoint(), QPoint(0, -120), Qt::NoButton,
                        Qt::NoModifier, Qt::NoScrollPhase, false);
      QCoreApplication::sendEvent(field, &wheel);
    }
    QCOMPARE(fm.cbPortSpeed->currentText(), QStringLiteral("115200"));
    QCOMPARE(fm.seTimeOut->value(), 250);
    // Once clicked, the field is the operator's: the wheel works there.
    QTest::mouseClick(window, Qt::LeftButton, Qt::NoModifier,
                      fm.seTimeOut->mapTo(&fm, QPoint(8, fm.seTimeOut->height() / 2)));
    QVERIFY(fm.seTimeOut->hasFocus());
    const QPoint at = fm.seTimeOut->mapTo(&fm, fm.seTimeOut->rect().center());
    QWheelEvent up(at, fm.mapToGlobal(at), QPoint(), QPoint(0, 120), Qt::NoButton, Qt::NoModifier,
                   Qt::NoScrollPhase, false);
    QCoreApplication::sendEvent(fm.seTimeOut, &up);
    QCOMPARE(fm.seTimeOut->value(), 300);

    fm.edtPassword->ShowAction()->setChecked(true);
    fm.CancelBtn->setFocus();
    QTest::keyClick(window, Qt::Key_Return);
    QCOMPARE(fm.result(), int(QDialog::Rejected));
    QCOMPARE(Stored().Timeout, 250);
    fm.show();
    QCOMPARE(fm.edtPassword->echoMode(), QLineEdit::Password);
    QVERIFY(!fm.edtPassword->ShowAction()->isChecked());
  }

  // "Послать команду" clicked while a send still blocks the dialog: each finished send is
  // followed by at most one more, not by a queue of them.
  void sendClickedDuringASendSendsOnce() {
    TfmSettings& fm = Open("[Interface]\nDebug=1\n");
    QVERIFY(QTest::qWaitForWindowExposed(&fm));
    int sends = 0;
    fm.SetCommandSender([&](const std::string&) {
      ++sends;
      for (int i = 0; i < 2; ++i)
        QTest::mouseClick(fm.windowHandle(), Qt::LeftButton, Qt::NoModifier,
                          fm.btnSend->mapTo(&fm, fm.btnSend->rect().center()));
    });
    QTest::mouseClick(fm.windowHandle(), Qt::LeftButton, Qt::NoModifier,
                      fm.btnSend->mapTo(&fm, fm.btnSend->rect().center()));
    QCOMPARE(sends, 1);
    QVERIFY(fm.btnSend->isEnabled());
  }

  void passwordFields() {
    TfmSettings& fm = Open("[Device]\nMasterPassword=12345678901234\n");
    TQtPasswordEdit* edit = fm.edtPassword;
    QCOMPARE(edit->echoMode(), QLineEdit::Password);
    edit->setFocus();
    QTest::keyClicks(edit, QStringLiteral("1a2 3-"));
    QTest::sendKeyEvent(QTest::Click, edit, Qt::Key_unknown, QStringLiteral("Б"), Qt::NoModifier);
    QCOMPARE(edit->text(), QStringLiteral("123"));
    QTest::keyClicks(edit, QStringLiteral("4567890"));
    QCOMPARE(edit->text(), QStringLiteral("1234567890"));
    QTest::keyClicks(edit, QStringLiteral("1"));
    QCOMPARE(edit->text(), QStringLiteral("1234567890"));  // an eleventh digit does nothing
    QTest::keyClick(edit, Qt::Key_Backspace);
    QTest::keyClicks(edit, QStringLiteral("7"));
    QCOMPARE(edit->text(), QStringLiteral("1234567897"));
    // A selection typed over makes room.
    edit->selectAll();
    QTest::keyClicks(edit, QStringLiteral("5"));
    QCOMPARE(edit->text(), QStringLiteral("5"));
    // Pasted text keeps its digits, as many as there is room for.
    QApplication::clipboard()->setText(QStringLiteral("pin: 98-76 5432 10 99"));
    QTest::keyClick(edit, Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(edit->text(), QStringLiteral("5987654321"));
    // So does "Paste" of the field's context menu.
    edit->clear();
    QContextMenuEvent menuEvent(QContextMenuEvent::Keyboard, QPoint(4, 4),
                                edit->mapToGlobal(QPoint(4, 4)));
    QApplication::sendEvent(edit, &menuEvent);
    QMenu* menu = nullptr;
    for (QWidget* w : QApplication::topLevelWidgets())
      if (auto* m = qobject_cast<QMenu*>(w); m && m->isVisible()) menu = m;
    QVERIFY(menu);
    QAction* paste = nullptr;
    for (QAction* a : menu->actions())
      if (a->text().contains(QStringLiteral("Paste")) ||
          a->text().contains(QStringLiteral("Вставить")))
        paste = a;
    QVERIFY(paste);
    paste->trigger();
    menu->close();
    QCOMPARE(edit->text(), QStringLiteral("9876543210"));
    // And text from an input method.
    QInputMethodEvent composed(QString(), {});
    composed.setCommitString(QStringLiteral("пароль"));
    edit->clear();
    QApplication::sendEvent(edit, &composed);
    QVERIFY(edit->text().isEmpty());
    composed.setCommitString(QStringLiteral("12"));
    QApplication::sendEvent(edit, &composed);
    QCOMPARE(edit->text(), QStringLiteral("12"));
    edit->setText(QStringLiteral("5987654321"));

    // The stored master password, longer than can be typed, is shown in full and kept.
    QCOMPARE(fm.edtMasterPassword->text(), QStringLiteral("12345678901234"));
    fm.edtMasterPassword->setFocus();
    fm.edtMasterPassword->end(false);
    QTest::keyClicks(fm.edtMasterPassword, QStringLiteral("5"));
    QCOMPARE(fm.edtMasterPassword->text(), QStringLiteral("12345678901234"));

    // The eye shows and hides what was typed.
    QAction* eye = edit->ShowAction();
    QVERIFY(eye->isVisible());
    QCOMPARE(eye->toolTip(), QStringLiteral("Показать пароль"));
    eye->trigger();
    QCOMPARE(edit->echoMode(), QLineEdit::Normal);
    QCOMPARE(eye->toolTip(), QStringLiteral("Скрыть пароль"));
    eye->trigger();
    QCOMPARE(edit->echoMode(), QLineEdit::Password);

    fm.ApplyBtn->click();
    QCOMPARE(QString::fromStdString(Stored().Password), QStringLiteral("5987654321"));
    QCOMPARE(QString::fromStdString(Stored().MasterPassword), QStringLiteral("12345678901234"));
    QCOMPARE(QString::fromStdString(settings_.EffectivePassword), QStringLiteral("12345678901234"));
  }

  void portList() {
    TfmSettings& fm = Open("[Connection]\nCOM=COM7\n", {"COM2", "com3", "COM10", "COM1"});
    QCOMPARE(Items(fm.cbComPortSelect), QStringList({"COM1", "COM10", "COM2", "com3"}));
    QCOMPARE(fm.cbComPortSelect->currentText(), QStringLiteral("COM7"));  // any name stays
    QCOMPARE(fm.cbComPortSelect->itemData(0, Qt::ToolTipRole).toString(),
             QStringLiteral("COM1 · uart"));
    fm.CancelBtn->click();

    // Refreshed at each showing; a list that cannot be had leaves the last one.
    fm.SetPortLister([] { return Ports({"/dev/ttyUSB0"}); });
    fm.show();
    QCOMPARE(Items(fm.cbComPortSelect), QStringList({"/dev/ttyUSB0"}));
    fm.cbComPortSelect->setCurrentIndex(0);
    fm.CancelBtn->click();
    fm.SetPortLister([] { return std::nullopt; });
    fm.show();
    QCOMPARE(Items(fm.cbComPortSelect), QStringList({"/dev/ttyUSB0"}));
    QCOMPARE(fm.cbComPortSelect->currentText(), QStringLiteral("COM7"));
  }

  // A network address typed into the port box and confirmed, keys and clicks going through the
  // window as the desktop delivers them: in force, stored, and offered among the recent ports
  // from then on, newest first after the local ones. A malformed one is refused with the reason
  // and the dialog stays open to mend it.
  void networkAddressTypedAndRemembered() {
    TfmSettings& fm = Open("[Connection]\nCOM=COM7\nRecentPorts=tcp://old:1\n", {"COM1"});
    QVERIFY(QTest::qWaitForWindowExposed(&fm));
    QWindow* window = fm.windowHandle();
    QCOMPARE(Items(fm.cbComPortSelect), QStringList({"COM1", "tcp://old:1"}));
    const auto clickOn = [&](QWidget* widget) {
      QTest::mouseClick(window, Qt::LeftButton, Qt::NoModifier,
                        widget->mapTo(&fm, widget->rect().center()));
    };
    const auto typePort = [&](const QString& text) {
      clickOn(fm.cbComPortSelect->lineEdit());
      QTest::keyClick(window, Qt::Key_A, Qt::ControlModifier);
      for (const QChar c : text) QTest::keyClick(window, c.toLatin1());
    };

    typePort(QStringLiteral("rfc2217://gw"));
    QString message;
    AnswerNextBox(&fm, message);
    clickOn(fm.ApplyBtn);
    QVERIFY2(message.contains(QStringLiteral("rfc2217://gw")), qPrintable(message));
    QVERIFY2(message.contains(QStringLiteral("нет номера порта")), qPrintable(message));
    QVERIFY(fm.isVisible());
    QCOMPARE(QString::fromStdString(settings_.COM), QStringLiteral("COM7"));

    typePort(QStringLiteral("rfc2217://[::1]:2000"));
    clickOn(fm.ApplyBtn);
    QVERIFY(!fm.isVisible());
    QCOMPARE(QString::fromStdString(settings_.COM), QStringLiteral("rfc2217://[::1]:2000"));
    QCOMPARE(Stored().RecentPorts,
             (std::vector<std::string>{"rfc2217://[::1]:2000", "tcp://old:1"}));

    fm.show();
    QCOMPARE(Items(fm.cbComPortSelect),
             QStringList({"COM1", "rfc2217://[::1]:2000", "tcp://old:1"}));
    QCOMPARE(fm.cbComPortSelect->currentText(), QStringLiteral("rfc2217://[::1]:2000"));
    QCOMPARE(fm.cbComPortSelect->itemData(1, Qt::ToolTipRole).toString(),
             QStringLiteral("Порт в сети"));
    Shot(&fm, QStringLiteral("settings-network-port"));
    // Going back to a local port keeps the list of network ports as it was.
    fm.cbComPortSelect->setCurrentIndex(0);
    clickOn(fm.ApplyBtn);
    QCOMPARE(QString::fromStdString(settings_.COM), QStringLiteral("COM1"));
    QCOMPARE(Stored().RecentPorts,
             (std::vector<std::string>{"rfc2217://[::1]:2000", "tcp://old:1"}));
  }

  // A --port or --demo run: the dialog shows and stores the file's values; what the operator
  // leaves alone keeps the run's value, what the operator changes ends it.
  void runOverridesStayUnlessChanged() {
    TfmSettings& fm = Open("[Connection]\nCOM=COM4\n");
    TRunOverrides overrides("/dev/pts/9", "1234", "5678");
    overrides.Apply(settings_);
    QCOMPARE(QString::fromStdString(settings_.EffectivePassword), QStringLiteral("5678"));
    fm.SetRunOverrides(&overrides);
    fm.hide();
    fm.show();
    QCOMPARE(fm.cbComPortSelect->currentText(), QStringLiteral("COM4"));
    QVERIFY(fm.edtPassword->text().isEmpty());
    QVERIFY(fm.edtMasterPassword->text().isEmpty());
    QVERIFY(fm.lblOverrides->isVisible());
    QVERIFY(fm.lblOverrides->text().contains(QStringLiteral("/dev/pts/9")));
    QVERIFY(fm.lblOverrides->text().contains(QStringLiteral("пароли")));

    fm.seTimeOut->setValue(500);
    fm.ApplyBtn->click();
    QCOMPARE(QString::fromStdString(Stored().COM), QStringLiteral("COM4"));
    QVERIFY(Stored().Password.empty());
    QCOMPARE(Stored().Timeout, 500);
    QCOMPARE(QString::fromStdString(settings_.COM), QStringLiteral("/dev/pts/9"));
    QCOMPARE(QString::fromStdString(settings_.EffectivePassword), QStringLiteral("5678"));
    QCOMPARE(settings_.Timeout, 500);

    fm.show();
    fm.cbComPortSelect->setEditText(QStringLiteral("COM5"));
    fm.ApplyBtn->click();
    QCOMPARE(QString::fromStdString(settings_.COM), QStringLiteral("COM5"));
    QCOMPARE(QString::fromStdString(settings_.EffectivePassword), QStringLiteral("5678"));

    fm.show();
    QVERIFY(fm.lblOverrides->isVisible());
    QVERIFY(!fm.lblOverrides->text().contains(QStringLiteral("/dev/pts/9")));
    QTest::keyClicks(fm.edtPassword, QStringLiteral("42"));
    fm.ApplyBtn->click();
    QCOMPARE(QString::fromStdString(settings_.EffectivePassword), QStringLiteral("42"));
    QCOMPARE(QString::fromStdString(Stored().Password), QStringLiteral("42"));
    fm.show();
    QVERIFY(!fm.lblOverrides->isVisible());
  }

  // The file cannot be written: the operator is told, the dialog closes with OK and the values
  // are in force for this run.
  void unwritableFileReportedValuesKept() {
    TfmSettings& fm = Open("");
    const std::string blocker = iniPath_;
    const std::string path = blocker + "/Quillon.ini";  // a file in place of a folder
    fm.SetSettingsFile(path);
    fm.seRetryCount->setValue(9);
    QString message;
    AnswerNextBox(&fm, message);
    fm.ApplyBtn->click();
    QCOMPARE(message, QStringLiteral("Unable to write to ") + QString::fromStdString(path));
    QCOMPARE(fm.result(), int(QDialog::Accepted));
    QCOMPARE(settings_.RetryCount, 9);

    // A settings "file" that is a folder was never read, so it is never overwritten either.
    const QString folder = dir_.path() + QStringLiteral("/folder.ini");
    QVERIFY(QDir().mkpath(folder));
    fm.SetSettingsFile(folder.toStdString());
    fm.show();
    fm.seRetryCount->setValue(11);
    message.clear();
    AnswerNextBox(&fm, message);
    fm.ApplyBtn->click();
    QCOMPARE(message, QStringLiteral("Unable to write to ") + folder);
    QVERIFY(QFileInfo(folder).isDir());
    QCOMPARE(settings_.RetryCount, 11);
  }

  void debugGroupSendsToTheTerminal() {
    TSimulatorProcess sim;
    std::string error;
    QVERIFY2(sim.Start({"--profile", "cmdprofile.xml", "--password", "1234"}, 5000, error),
             error.c_str());
    QTemporaryDir dir;
    const QString ini = dir.path() + QStringLiteral("/Quillon.ini");
    QFile file(ini);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("[Interface]\nDebug=1\n[Device]\nPassword=1234\n");
    file.close();
    TMainOptions options;
    options.ProfilePath = "cmdprofile.xml";
    options.SettingsPath = ini.toStdString();
    options.PortOverride = sim.DevicePath();
    TfmMain main(nullptr, options);
    TfmSettings fm(main.ProgramSettings(), main.Profile(), &main);
    main.SetWindows(nullptr, &fm, nullptr, nullptr, nullptr);
    main.show();
    QVERIFY(QTest::qWaitForWindowExposed(&main));
    main.Connect1Click();
    QVERIFY(main.InCommandMode());

    fm.show();
    QVERIFY(fm.gbDebug->isVisible());
    QVERIFY(fm.btnSend->width() >= fm.btnSend->fontMetrics().horizontalAdvance(fm.btnSend->text()));
    fm.edtCmdText->setText(QStringLiteral("AT+SGPR=?"));
    fm.btnSend->click();
    QVERIFY(fm.isVisible());  // the dialog stays open
    const QString log = main.LogLines->toPlainText();
    QVERIFY2(log.contains(QStringLiteral(">AT+SGPR=?")), qPrintable(log));
    QVERIFY2(log.contains(QStringLiteral("<+RESP:SGPR,")), qPrintable(log));
    Shot(&fm, QStringLiteral("settings-debug"));
    fm.CancelBtn->click();
  }
};

}  // namespace quillon

int main(int argc, char** argv) {
  quillon::InitProgramPaths(argv[0]);
  QApplication app(argc, argv);
  quillon::TfmSettingsTest test;
  return QTest::qExec(&test, argc, argv);
}

#include "fm_settings_test.moc"
