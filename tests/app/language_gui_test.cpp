// The interface in both languages: with the English language file every window, question and
// message box of the program shows no Russian, log lines written by the logic are English, and
// every label and button is wide enough for its text; with the built-in language Qt's own
// buttons and file dialogs speak Russian too.
#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QFileDialog>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <QTranslator>
#include <functional>
#include <memory>

#include "app/answer_modal.h"
#include "app/fm_about_box.h"
#include "app/fm_main.h"
#include "editor/qt/qt_page_tabs.h"
#include "link/log_model.h"
#include "link/qt/fm_device_reconnect.h"
#include "link/qt/fm_waiting_data.h"
#include "link/session_ui.h"
#include "link/terminal_session.h"
#include "profile/fixed_texts.h"
#include "settings/languages.h"
#include "settings/qt/fm_settings.h"
#include "status/qt/fm_device_info.h"
#include "ui/qt_language.h"
#include "ui/qt_text.h"

namespace quillon::test {

namespace {

// Every kind of input, an indexed command, all named in Latin letters, so that whatever Russian
// shows can only come from the program's own texts.
const char kLatinProfile[] =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?><application><inputwidth>20</inputwidth>"
    "<page id=\"1\" name=\"Network\">"
    "<command command=\"+SNAM\" description=\"Names\" passwordmode=\"user\" polldata=\"1\">"
    "<parameter type=\"string\" description=\"first\" optional=\"0\" maxlen=\"16\" "
    "onleave_mask=\"[a-z]*\"/>"
    "<parameter type=\"integer\" description=\"count\" optional=\"1\" minvalue=\"1\" "
    "maxvalue=\"99\"/>"
    "</command>"
    "<command command=\"+SSRV\" description=\"Servers\" passwordmode=\"user\" polldata=\"1\" "
    "maxindex=\"2\">"
    "<parameter type=\"option\" description=\"protocol\" optional=\"0\">"
    "<option value=\"0\" text=\"TCP\"/><option value=\"1\" text=\"UDP\"/></parameter>"
    "</command></page>"
    "<page id=\"2\" name=\"Service\">"
    "<command command=\"+SCAN\" description=\"Filter\" passwordmode=\"user\" polldata=\"1\">"
    "<parameter type=\"hex\" description=\"id\" optional=\"0\" maxlen=\"8\"/>"
    "</command></page></application>";

const QRegularExpression kCyrillic(QStringLiteral("[\\x{0400}-\\x{04FF}]"));

struct TShownText {
  QString Where;
  QString Text;
};

// Every text a person can see in the window or reach by pointing at it.
std::vector<TShownText> ShownTexts(QWidget* window) {
  std::vector<TShownText> texts;
  const auto add = [&texts](QObject* o, const QString& what, const QString& text) {
    if (!text.isEmpty())
      texts.push_back({QString::fromLatin1(o->metaObject()->className()) + ":" + what, text});
  };
  add(window, QStringLiteral("title"), window->windowTitle());
  QList<QWidget*> widgets = window->findChildren<QWidget*>();
  widgets.prepend(window);
  for (QWidget* w : widgets) {
    if (w != window && !w->isVisibleTo(window)) continue;
    add(w, QStringLiteral("tooltip"), w->toolTip());
    if (auto* label = qobject_cast<QLabel*>(w)) add(w, label->objectName(), label->text());
    if (auto* button = qobject_cast<QAbstractButton*>(w))
      add(w, button->objectName(), button->text());
    if (auto* group = qobject_cast<QGroupBox*>(w)) add(w, group->objectName(), group->title());
    if (auto* edit = qobject_cast<QLineEdit*>(w))
      add(w, edit->objectName(), edit->placeholderText());
    if (auto* tabs = qobject_cast<TQtPageTabs*>(w))
      for (int i = 0; i < tabs->count(); ++i) add(w, QStringLiteral("tab"), tabs->tabText(i));
    if (auto* combo = qobject_cast<QComboBox*>(w))
      for (int i = 0; i < combo->count(); ++i) {
        add(w, combo->objectName(), combo->itemText(i));
        add(w, combo->objectName(), combo->itemData(i, Qt::ToolTipRole).toString());
      }
  }
  for (QAction* action : window->findChildren<QAction*>()) {
    add(action, action->objectName(), action->text());
    add(action, action->objectName(), action->toolTip());
  }
  return texts;
}

QStringList RussianTexts(QWidget* window) {
  QStringList found;
  for (const TShownText& t : ShownTexts(window))
    if (t.Text.contains(kCyrillic)) found << t.Where + " \"" + t.Text + "\"";
  return found;
}

// Labels (plain, one line) and buttons narrower than their text: the person would see it cut.
QStringList TooNarrow(QWidget* window) {
  QStringList found;
  for (QWidget* w : window->findChildren<QWidget*>()) {
    if (!w->isVisibleTo(window)) continue;
    QString text;
    int room = 0;
    if (auto* label = qobject_cast<QLabel*>(w)) {
      if (label->wordWrap() || label->textFormat() == Qt::RichText ||
          Qt::mightBeRichText(label->text()) || !label->pixmap().isNull())
        continue;
      text = label->text();
      room = label->contentsRect().width() - 2 * label->margin() - label->indent();
    } else if (auto* button = qobject_cast<QAbstractButton*>(w)) {
      auto* tool = qobject_cast<QToolButton*>(w);
      if (tool && tool->toolButtonStyle() == Qt::ToolButtonIconOnly) continue;  // text as hint
      text = button->text();
      room = button->width();
    }
    text.remove(QLatin1Char('&'));
    if (text.isEmpty() || text.contains(QLatin1Char('\n'))) continue;
    const int needed = w->fontMetrics().horizontalAdvance(text);
    if (room < needed)
      found << QStringLiteral("%1 \"%2\": %3 < %4")
                   .arg(QString::fromLatin1(w->metaObject()->className()), text)
                   .arg(room)
                   .arg(needed);
  }
  return found;
}

// Lays the window out and draws it, as grabbing does; with QUILLON_TEST_SCREENSHOTS=DIR the
// picture is kept as DIR/name.png for a look by eye.
void Shot(QWidget* window, const QString& name) {
  const QPixmap picture = window->grab();
  const QString folder = qEnvironmentVariable("QUILLON_TEST_SCREENSHOTS");
  if (!folder.isEmpty()) picture.save(folder + QLatin1Char('/') + name + QStringLiteral(".png"));
}

// The six windows of a run, created as the program entry creates them.
struct TWindows {
  std::unique_ptr<TfmMain> Main;
  std::unique_ptr<TAboutBox> About;
  std::unique_ptr<TfmSettings> Settings;
  std::unique_ptr<TfmWaitingData> WaitingData;
  std::unique_ptr<TfmDeviceInfo> DeviceInfo;
  std::unique_ptr<TfmDeviceReconnect> Reconnect;

  TWindows(const std::string& profile, const std::string& ini) {
    TMainOptions options;
    options.ProfilePath = profile;
    options.SettingsPath = ini;
    Main = std::make_unique<TfmMain>(nullptr, options);
    About = std::make_unique<TAboutBox>(Main.get());
    Settings = std::make_unique<TfmSettings>(Main->ProgramSettings(), Main->Profile(), Main.get());
    Settings->SetSettingsFile(ini);
    WaitingData = std::make_unique<TfmWaitingData>(Main.get());
    DeviceInfo = std::make_unique<TfmDeviceInfo>(Main->Session(), Main->ProgramSettings(),
                                                 Main->SettingsPath(), Main.get());
    Reconnect = std::make_unique<TfmDeviceReconnect>(Main.get());
    Main->SetWindows(About.get(), Settings.get(), WaitingData.get(), DeviceInfo.get(),
                     Reconnect.get());
  }
  ~TWindows() {
    // The owned windows go before the main window that parents them.
    Reconnect.reset();
    DeviceInfo.reset();
    WaitingData.reset();
    Settings.reset();
    About.reset();
  }
};

void CheckEnglish(QWidget* window, const char* name) {
  const QStringList russian = RussianTexts(window);
  QVERIFY2(russian.isEmpty(), qPrintable(QString::fromLatin1(name) + ": " + russian.join("; ")));
  const QStringList narrow = TooNarrow(window);
  QVERIFY2(narrow.isEmpty(), qPrintable(QString::fromLatin1(name) + ": " + narrow.join("; ")));
}

void CheckWide(QWidget* window, const char* name) {
  const QStringList narrow = TooNarrow(window);
  QVERIFY2(narrow.isEmpty(), qPrintable(QString::fromLatin1(name) + ": " + narrow.join("; ")));
}

// Qt's own words in the built-in interface are Russian: every button and label with words.
void CheckQtTextsRussian(QWidget* window, const char* name) {
  QStringList english;
  for (QWidget* w : window->findChildren<QWidget*>()) {
    if (!w->isVisibleTo(window)) continue;
    QString text;
    if (auto* label = qobject_cast<QLabel*>(w)) text = label->text();
    if (auto* button = qobject_cast<QPushButton*>(w)) text = button->text();
    text.remove(QLatin1Char('&'));
    if (text.contains(QRegularExpression(QStringLiteral("[A-Za-z]{3,}"))) &&
        !text.contains(kCyrillic) && !text.contains(QLatin1Char('/')) &&
        !text.contains(QLatin1Char('*')))
      english << text;
  }
  QVERIFY2(english.isEmpty(), qPrintable(QString::fromLatin1(name) + ": " + english.join("; ")));
  CheckWide(window, name);
}

}  // namespace

class TLanguageGuiTest : public QObject {
  Q_OBJECT

 private:
  QTemporaryDir dir_;
  std::vector<QTranslator*> translators_;

  std::string Path(const char* name) const {
    return (dir_.path() + QLatin1Char('/') + QLatin1String(name)).toStdString();
  }

  // What the program entry does for a language before any window exists.
  void SetLanguage(int32_t locale) {
    for (QTranslator* t : translators_) {
      QCoreApplication::removeTranslator(t);
      delete t;
    }
    translators_.clear();
    const std::string base = std::string(QUILLON_BIN_DIR) + "/quillon";
    QTranslator* file = InstallLanguageFile(*qApp, LanguageFileCandidates(base, locale));
    if (file) translators_.push_back(file);
    if (QTranslator* qt = InstallQtTranslations(*qApp, file)) translators_.push_back(qt);
    TranslateLogicTexts();
  }

  // Opens a modal window of type T with open and hands it to check, then closes it.
  template <class T>
  static void CheckModal(const std::function<void()>& open, const std::function<void(T*)>& check) {
    auto answered = std::make_shared<bool>(false);
    AnswerModal<T>(
        [check](T* window) {
          check(window);
          window->reject();
        },
        answered);
    open();
    QVERIFY2(*answered, T::staticMetaObject.className());
  }

 private slots:
  void initTestCase() {
    QVERIFY(dir_.isValid());
    QFile profile(QString::fromStdString(Path("latin.xml")));
    QVERIFY(profile.open(QIODevice::WriteOnly));
    profile.write(kLatinProfile);
  }

  void cleanup() { SetLanguage(1049); }

  // 1033 finds quillon.EN.qm (there is no ENU file): every window is English.
  void englishShowsNoRussianAnywhere() {
    SetLanguage(1033);
    QCOMPARE(translators_.size(), size_t{1});  // Qt's own texts are English already
    TWindows w(Path("latin.xml"), Path("settings.ini"));

    w.Main->resize(900, 700);
    w.Main->show();
    QVERIFY(QTest::qWaitForWindowExposed(w.Main.get()));
    for (int i = 0; i < w.Main->PageControl1->count(); ++i) {
      w.Main->PageControl1->setCurrentIndex(i);  // builds the page
      QApplication::processEvents();
      CheckEnglish(w.Main.get(), "main window");
    }
    for (QMenu* menu : w.Main->menuBar()->findChildren<QMenu*>()) CheckEnglish(menu, "menu");

    for (auto [window, name] : {std::pair<QWidget*, const char*>{w.About.get(), "about"},
                                {w.Settings.get(), "settings"}}) {
      window->show();
      QVERIFY(QTest::qWaitForWindowExposed(window));
      CheckEnglish(window, name);
      Shot(window, QString::fromLatin1(name) + QStringLiteral("_en"));
      window->hide();
    }
    // Shown, the status window would start talking to the port: it is laid out and drawn as
    // it would show, which is all its texts need.
    Shot(w.DeviceInfo.get(), QStringLiteral("status_en"));
    CheckEnglish(w.DeviceInfo.get(), "status window");
    // The session windows are checked while they wait for their first try, with a port and a
    // reason shown.
    const QString port = QStringLiteral("/dev/ttyUSB0");
    const QString reason = QStringLiteral(
        "open /dev/ttyUSB0: No such file or directory - the device is not plugged in, or the "
        "port's name is wrong");
    w.WaitingData->SetPortState(port, reason);
    w.Reconnect->SetPortState(port, reason);
    bool tried = false;
    w.WaitingData->Run([&] {
      Shot(w.WaitingData.get(), QStringLiteral("entry_en"));
      CheckEnglish(w.WaitingData.get(), "entry window");
      return tried = true;
    });
    QVERIFY(tried);
    tried = false;
    w.Reconnect->Run([&] {
      Shot(w.Reconnect.get(), QStringLiteral("reconnect_en"));
      CheckEnglish(w.Reconnect.get(), "reconnect window");
      return tried = true;
    });
    QVERIFY(tried);

    ISessionUi& ui = w.Main->Session().Ui();
    CheckModal<QMessageBox>(
        [&ui] { ui.AskRetry("/dev/ttyUSB0: the device went away (unplugged?)"); },
        [](QMessageBox* box) {
          CheckEnglish(box, "retry question");
          QVERIFY(box->button(QMessageBox::Retry));
          QCOMPARE(box->button(QMessageBox::Retry)->text(), "Retry");
        });
    for (TText refusal : {TText::WrongPassword, TText::NoPermission, TText::ParameterError})
      CheckModal<QMessageBox>([&ui, refusal] { ui.ShowMessage(Text(refusal)); },
                              [](QMessageBox* box) { CheckEnglish(box, "refusal"); });

    // The settings file cannot be written: its folder is a file.
    QFile blocker(QString::fromStdString(Path("blocker")));
    QVERIFY(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    w.Settings->SetSettingsFile(Path("blocker") + "/Quillon.ini");
    w.Settings->show();
    CheckModal<QMessageBox>([&w] { w.Settings->ApplyBtnClick(); },
                            [](QMessageBox* box) {
                              CheckEnglish(box, "write error");
                              QVERIFY(box->text().startsWith("Unable to write to "));
                            });
    w.Settings->hide();

    CheckModal<QFileDialog>([&w] { w.Main->Load1Click(); },
                            [](QFileDialog* d) { CheckEnglish(d, "open dialog"); });
    CheckModal<QFileDialog>([&w] { w.Main->Save1Click(); },
                            [](QFileDialog* d) { CheckEnglish(d, "save dialog"); });
  }

  // A line the logic writes into the protocol log is English, values put into the template.
  void englishLogLinesOfTheLogic() {
    SetLanguage(1033);
    TWindows w(Path("latin.xml"), Path("settings.ini"));
    QCOMPARE(QString::fromStdString(Text(TText::NoExpectedAnswer) + " " + Text(TText::Retrying)),
             QStringLiteral("The expected answer to the command was not received. Retrying"));

    // Loading a file that is not there logs the logic's own message.
    QVERIFY(!w.Main->LoadConfiguration(QString::fromStdString(Path("missing.zxml"))));
    const QString line = ToQString(w.Main->Log().Lines().back().Text);
    QVERIFY2(line.contains(QStringLiteral("Cannot open the file, error=")), qPrintable(line));

    // The editor's hints come from the logic's templates too.
    w.Main->show();
    QApplication::processEvents();
    QStringList hints;
    for (QWidget* input : w.Main->PageControl1->widget(0)->findChildren<QWidget*>())
      if (!input->toolTip().isEmpty()) hints << input->toolTip();
    QVERIFY2(hints.join('|').contains(QStringLiteral("Text up to 16 characters, mask [a-z]*")),
             qPrintable(hints.join('|')));
  }

  // With the built-in language Qt's own texts are Russian as well.
  void builtInLanguageHasRussianQtTexts() {
    SetLanguage(1049);
    QVERIFY2(translators_.size() == 1, "qtbase_ru (qt6-translations-l10n) is missing");
    TWindows w(Path("latin.xml"), Path("settings.ini"));
    w.Main->show();
    ISessionUi& ui = w.Main->Session().Ui();
    CheckModal<QMessageBox>(
        [&ui] { ui.AskRetry("/dev/ttyUSB0: the device went away (unplugged?)"); },
        [](QMessageBox* box) { CheckQtTextsRussian(box, "retry question"); });
    CheckModal<QFileDialog>([&w] { w.Main->Load1Click(); },
                            [](QFileDialog* d) { CheckQtTextsRussian(d, "open dialog"); });
    CheckModal<QFileDialog>([&w] { w.Main->Save1Click(); },
                            [](QFileDialog* d) { CheckQtTextsRussian(d, "save dialog"); });

    // The windows are wide enough for the Russian texts too.
    for (auto [window, name] : {std::pair<QWidget*, const char*>{w.Main.get(), "main"},
                                {w.About.get(), "about"},
                                {w.Settings.get(), "settings"}}) {
      window->show();
      QVERIFY(QTest::qWaitForWindowExposed(window));
      Shot(window, QString::fromLatin1(name) + QStringLiteral("_ru"));
      CheckWide(window, name);
    }
    Shot(w.DeviceInfo.get(), QStringLiteral("status_ru"));
    CheckWide(w.DeviceInfo.get(), "status window");
    w.WaitingData->SetPortState(QStringLiteral("/dev/ttyUSB0"), QString());
    w.Reconnect->SetPortState(QStringLiteral("/dev/ttyUSB0"), QString());
    w.WaitingData->Run([&] {
      CheckWide(w.WaitingData.get(), "entry window");
      return true;
    });
    w.Reconnect->Run([&] {
      CheckWide(w.Reconnect.get(), "reconnect window");
      return true;
    });
  }
};

}  // namespace quillon::test

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  quillon::test::TLanguageGuiTest test;
  return QTest::qExec(&test, argc, argv);
}

#include "language_gui_test.moc"
