#include "settings/qt/fm_settings.h"

#include <QAbstractItemView>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QShowEvent>
#include <QVBoxLayout>
#include <algorithm>
#include <stdexcept>

#include "link/port_address.h"
#include "profile/command_profile.h"
#include "settings/ini_file.h"
#include "settings/qt/qt_color_box.h"
#include "settings/qt/qt_password_edit.h"
#include "settings/qt/qt_spin_edit.h"
#include "settings/run_overrides.h"
#include "settings/settings.h"
#include "ui/qt_text.h"

namespace quillon {

namespace {

const int kSpeeds[] = {9600, 38400, 57600, 115200, 230400, 460800};

struct TLanguageItem {
  const char* Name;
  int32_t Locale;
};
const TLanguageItem kLanguages[] = {
    {QT_TRANSLATE_NOOP("quillon::TfmSettings", "Русский"), 1049},
    {QT_TRANSLATE_NOOP("quillon::TfmSettings", "English"), 1033},
};

constexpr int kTimeoutMin = 50;
constexpr int kTimeoutMax = 5000;
constexpr int kTimeoutStep = 50;
constexpr int kPageListRows = 8;
// Room for a by-id path of a typical USB adapter.
constexpr int kPortNameChars = 34;

QString Ms() {
  return QCoreApplication::translate("quillon::TfmSettings", "мс");
}

}  // namespace

TfmSettings::TfmSettings(TSettings& settings, const CommandProfile& profile, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint),
      settings_(settings),
      profile_(profile),
      settingsFile_(SettingsFilePath()),
      portLister_([] { return ListSerialPorts(); }) {
  setObjectName(QStringLiteral("fmSettings"));
  setWindowTitle(tr("Настройки программы"));
  setModal(true);

  auto* columns = new QHBoxLayout;
  columns->setSpacing(16);
  columns->addWidget(CreateLeftColumn(), 0, Qt::AlignTop);
  columns->addWidget(CreateRightColumn(), 0, Qt::AlignTop);

  lblOverrides = new QLabel(this);
  lblOverrides->setObjectName(QStringLiteral("lblOverrides"));
  lblOverrides->setWordWrap(true);
  lblOverrides->hide();

  CancelBtn = new QPushButton(tr("Отмена"), this);
  CancelBtn->setObjectName(QStringLiteral("CancelBtn"));
  // Enter presses the button that has the focus, "Применить" otherwise.
  CancelBtn->setAutoDefault(true);
  connect(CancelBtn, &QPushButton::clicked, this, &TfmSettings::CancelBtnClick);
  ApplyBtn = new QPushButton(tr("Применить"), this);
  ApplyBtn->setObjectName(QStringLiteral("ApplyBtn"));
  ApplyBtn->setAutoDefault(true);
  ApplyBtn->setDefault(true);
  connect(ApplyBtn, &QPushButton::clicked, this, &TfmSettings::ApplyBtnClick);

  auto* buttons = new QHBoxLayout;
  buttons->addWidget(lblOverrides, 1);
  buttons->addStretch(0);
  buttons->addWidget(CancelBtn);
  buttons->addWidget(ApplyBtn);

  auto* layout = new QVBoxLayout(this);
  layout->addLayout(columns);
  layout->addSpacing(6);
  layout->addLayout(buttons);
  // The window fits its contents, also when the debug group comes and goes.
  layout->setSizeConstraint(QLayout::SetFixedSize);

  for (QWidget* field : std::initializer_list<QWidget*>{
           cbComPortSelect, cbPortSpeed, seTimeOut, seTimeoutInterval, seTimeoutEcho, clrbRead,
           clrbWrite, clrbReadError, clrbWriteError, clrbGeneralError, seRetryCount,
           cbConnectMethod, cbLanguage})
    GuardAgainstWheel(field);
}

void TfmSettings::GuardAgainstWheel(QWidget* field) {
  field->setFocusPolicy(Qt::StrongFocus);
  field->installEventFilter(this);
}

bool TfmSettings::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::Wheel) {
    auto* field = qobject_cast<QWidget*>(watched);
    if (field && !field->hasFocus()) {
      event->ignore();
      return true;
    }
  }
  return QDialog::eventFilter(watched, event);
}

TfmSettings::~TfmSettings() = default;

QLabel* TfmSettings::AddLabel(const char* name, const QString& caption, QWidget* buddy) {
  auto* label = new QLabel(caption, buddy->parentWidget());
  label->setObjectName(QString::fromLatin1(name));
  label->setBuddy(buddy);
  return label;
}

// Port, speed, passwords and time-outs, and the log colours below them.
QWidget* TfmSettings::CreateLeftColumn() {
  auto* column = new QWidget(this);
  column->setObjectName(QStringLiteral("pnlLeft"));
  auto* grid = new QGridLayout;
  grid->setContentsMargins(0, 0, 0, 0);
  grid->setColumnStretch(1, 1);

  cbComPortSelect = new QComboBox(column);
  cbComPortSelect->setObjectName(QStringLiteral("cbComPortSelect"));
  cbComPortSelect->setEditable(true);
  cbComPortSelect->setInsertPolicy(QComboBox::NoInsert);
  cbComPortSelect->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
  cbComPortSelect->setMinimumContentsLength(kPortNameChars);
  cbComPortSelect->setToolTip(
      tr("Последовательный порт терминала: выберите из списка или впишите имя; порт в сети — "
         "tcp://УЗЕЛ:ПОРТ или rfc2217://УЗЕЛ:ПОРТ"));

  cbPortSpeed = new QComboBox(column);
  cbPortSpeed->setObjectName(QStringLiteral("cbPortSpeed"));

  edtPassword = new TQtPasswordEdit(column);
  edtPassword->setObjectName(QStringLiteral("edtPassword"));
  edtMasterPassword = new TQtPasswordEdit(column);
  edtMasterPassword->setObjectName(QStringLiteral("edtMasterPassword"));

  seTimeOut = new TQtSpinEdit(kTimeoutMin, kTimeoutMax, kTimeoutStep, column);
  seTimeOut->setObjectName(QStringLiteral("seTimeOut"));
  seTimeoutInterval = new TQtSpinEdit(kTimeoutMin, kTimeoutMax, kTimeoutStep, column);
  seTimeoutInterval->setObjectName(QStringLiteral("seTimeoutInterval"));
  seTimeoutEcho = new TQtSpinEdit(kTimeoutMin, kTimeoutMax, kTimeoutStep, column);
  seTimeoutEcho->setObjectName(QStringLiteral("seTimeoutEcho"));

  struct Row {
    const char* label;
    QString caption;
    QWidget* control;
    const char* unit;
  } rows[] = {
      {"lblComPort", tr("COM-порт:"), cbComPortSelect, nullptr},
      {"lblPortSpeed", tr("Скорость порта"), cbPortSpeed, nullptr},
      {"lblPassword", tr("Пароль связи"), edtPassword, nullptr},
      {"lblMasterPassword", tr("Мастер-пароль"), edtMasterPassword, nullptr},
      {"lblTimeOut", tr("Таймаут общий"), seTimeOut, "lblTimeOutUnit"},
      {"lblTimeoutInterval", tr("Таймаут межсимвольный"), seTimeoutInterval,
       "lblTimeoutIntervalUnit"},
      {"lblTimeoutEcho", tr("Таймаут \"эхо\""), seTimeoutEcho, "lblTimeoutEchoUnit"},
  };
  int line = 0;
  for (const Row& row : rows) {
    grid->addWidget(AddLabel(row.label, row.caption, row.control), line, 0);
    if (row.unit) {
      // The unit stands right after its number.
      auto* unit = new QLabel(Ms(), column);
      unit->setObjectName(QString::fromLatin1(row.unit));
      auto* field = new QHBoxLayout;
      field->addWidget(row.control);
      field->addWidget(unit);
      field->addStretch(1);
      grid->addLayout(field, line, 1);
    } else {
      grid->addWidget(row.control, line, 1);
    }
    ++line;
  }

  auto* layout = new QVBoxLayout(column);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addLayout(grid);
  layout->addSpacing(6);
  layout->addWidget(CreateColorGroup());
  return column;
}

QGroupBox* TfmSettings::CreateColorGroup() {
  gbColors = new QGroupBox(tr("Цвета протокола"), this);
  gbColors->setObjectName(QStringLiteral("gbColors"));
  auto* grid = new QGridLayout(gbColors);
  grid->setColumnStretch(1, 1);
  struct Row {
    const char* name;
    const char* label;
    QString caption;
    TQtColorBox** box;
  } rows[] = {
      {"clrbRead", "lblRead", tr("Чтение"), &clrbRead},
      {"clrbWrite", "lblWrite", tr("Запись"), &clrbWrite},
      {"clrbReadError", "lblReadError", tr("Ошибка чтения"), &clrbReadError},
      {"clrbWriteError", "lblWriteError", tr("Ошибка записи"), &clrbWriteError},
      {"clrbGeneralError", "lblGeneralError", tr("Прочее"), &clrbGeneralError},
  };
  int line = 0;
  for (const Row& row : rows) {
    *row.box = new TQtColorBox(gbColors);
    (*row.box)->setObjectName(QString::fromLatin1(row.name));
    grid->addWidget(AddLabel(row.label, row.caption, *row.box), line, 0);
    grid->addWidget(*row.box, line, 1);
    ++line;
  }
  return gbColors;
}

// Pages, retry count, entry method, language, the check boxes, the later keys and the debug
// group.
QWidget* TfmSettings::CreateRightColumn() {
  auto* column = new QWidget(this);
  column->setObjectName(QStringLiteral("pnlRight"));
  auto* layout = new QVBoxLayout(column);
  layout->setContentsMargins(0, 0, 0, 0);

  clbPagesSelect = new QListWidget(column);
  clbPagesSelect->setObjectName(QStringLiteral("clbPagesSelect"));
  clbPagesSelect->setSelectionMode(QAbstractItemView::SingleSelection);
  clbPagesSelect->setFixedHeight(clbPagesSelect->fontMetrics().height() * kPageListRows + 8);
  layout->addWidget(AddLabel("lblPagesSelect", tr("Активные вкладки"), clbPagesSelect));
  layout->addWidget(clbPagesSelect);

  seRetryCount = new TQtSpinEdit(1, 100, 1, column);
  seRetryCount->setObjectName(QStringLiteral("seRetryCount"));
  cbConnectMethod = new QComboBox(column);
  cbConnectMethod->setObjectName(QStringLiteral("cbConnectMethod"));
  cbConnectMethod->addItems({tr("Стандартный"), tr("Быстрый")});
  cbLanguage = new QComboBox(column);
  cbLanguage->setObjectName(QStringLiteral("cbLanguage"));
  for (const TLanguageItem& language : kLanguages)
    cbLanguage->addItem(tr(language.Name), QVariant(language.Locale));
  cbLanguage->setToolTip(tr("Язык интерфейса меняется при следующем запуске программы"));

  auto* grid = new QGridLayout;
  grid->setColumnStretch(1, 1);
  grid->addWidget(AddLabel("lblRetryCount", tr("Количество повторов команд"), seRetryCount), 0, 0);
  grid->addWidget(seRetryCount, 0, 1, Qt::AlignLeft);
  grid->addWidget(AddLabel("lblConnectMethod", tr("Вход в командный режим"), cbConnectMethod), 1,
                  0);
  grid->addWidget(cbConnectMethod, 1, 1);
  grid->addWidget(AddLabel("lblLanguage", tr("Язык:"), cbLanguage), 2, 0);
  grid->addWidget(cbLanguage, 2, 1);
  layout->addLayout(grid);

  cbPortPoll = new QCheckBox(tr("Контроль порта"), column);
  cbPortPoll->setObjectName(QStringLiteral("cbPortPoll"));
  layout->addWidget(cbPortPoll);
  cbFastAnswer = new QCheckBox(tr("Быстрый приём ответов"), column);
  cbFastAnswer->setObjectName(QStringLiteral("cbFastAnswer"));
  cbFastAnswer->setToolTip(
      tr("Ответ терминала считается полным, как только пришло его приглашение \">\""));
  layout->addWidget(cbFastAnswer);
  cbSessionLog = new QCheckBox(tr("Записывать протокол в файл"), column);
  cbSessionLog->setObjectName(QStringLiteral("cbSessionLog"));
  cbSessionLog->setToolTip(
      tr("Каждая строка протокола пишется также в quillon-session.log рядом с файлом настроек"));
  layout->addWidget(cbSessionLog);

  edtMapHost = new QLineEdit(column);
  edtMapHost->setObjectName(QStringLiteral("edtMapHost"));
  edtMapHost->setToolTip(
      tr("Адрес сервера карт без \"http://\"; пусто — кнопка карты в окне "
         "состояния недоступна"));
  auto* mapRow = new QHBoxLayout;
  mapRow->addWidget(AddLabel("lblMapHost", tr("Сервер карт:"), edtMapHost));
  mapRow->addWidget(edtMapHost, 1);
  layout->addLayout(mapRow);

  layout->addWidget(CreateDebugGroup());
  return column;
}

QGroupBox* TfmSettings::CreateDebugGroup() {
  gbDebug = new QGroupBox(tr("Отладка-послать команду"), this);
  gbDebug->setObjectName(QStringLiteral("gbDebug"));
  edtCmdText = new QLineEdit(QStringLiteral("AT+SGDT=?"), gbDebug);
  edtCmdText->setObjectName(QStringLiteral("edtCmdText"));
  btnSend = new QPushButton(tr("Послать команду"), gbDebug);
  btnSend->setObjectName(QStringLiteral("btnSend"));
  btnSend->setAutoDefault(false);
  connect(btnSend, &QPushButton::clicked, this, &TfmSettings::btnSendClick);
  auto* layout = new QVBoxLayout(gbDebug);
  layout->addWidget(edtCmdText);
  layout->addWidget(btnSend, 0, Qt::AlignRight);
  gbDebug->hide();
  return gbDebug;
}

// ---------------------------------------------------------------------------------------------
// Showing

void TfmSettings::showEvent(QShowEvent* event) {
  if (!event->spontaneous()) FormShow();
  QDialog::showEvent(event);
}

void TfmSettings::FormShow() {
  FillPortList();
  FillPageList();
  SettingsToControls();
  // The debug group and the note may have come or gone: size the window before it is painted.
  layout()->activate();
}

// The list follows the ports present at each showing; when they cannot be listed at all, the
// list stays as it was.
void TfmSettings::FillPortList() {
  if (!portLister_) return;
  std::optional<std::vector<TSerialPortInfo>> ports = portLister_();
  if (!ports) return;
  std::stable_sort(ports->begin(), ports->end(),
                   [](const TSerialPortInfo& a, const TSerialPortInfo& b) {
                     return PortNameLess(a.Path, b.Path);
                   });
  cbComPortSelect->clear();
  int widest = 0;
  const QFontMetrics metrics = cbComPortSelect->fontMetrics();
  for (const TSerialPortInfo& port : *ports) {
    const QString name = ToQString(port.Path);
    cbComPortSelect->addItem(name);
    cbComPortSelect->setItemData(cbComPortSelect->count() - 1, ToQString(PortHint(port)),
                                 Qt::ToolTipRole);
    widest = std::max(widest, metrics.horizontalAdvance(name));
  }
  // Then the network ports last confirmed here, newest first.
  for (const std::string& address : StoredSettings().RecentPorts) {
    const QString name = ToQString(address);
    cbComPortSelect->addItem(name);
    cbComPortSelect->setItemData(cbComPortSelect->count() - 1, tr("Порт в сети"), Qt::ToolTipRole);
    widest = std::max(widest, metrics.horizontalAdvance(name));
  }
  // The list shows long by-id names in full even where the field cuts them.
  cbComPortSelect->view()->setMinimumWidth(widest + 40);
}

void TfmSettings::FillPageList() {
  clbPagesSelect->clear();
  for (const TDevPage& page : profile_.Pages) {
    auto* item = new QListWidgetItem(ToQString(page.Name), clbPagesSelect);
    item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
    item->setCheckState(Qt::Unchecked);
  }
}

TSettings TfmSettings::StoredSettings() const {
  return overrides_ ? overrides_->Stored(settings_) : settings_;
}

void TfmSettings::SettingsToControls() {
  const TSettings s = StoredSettings();
  cbComPortSelect->setEditText(ToQString(s.COM));
  SelectSpeed(s.Speed);
  // A time-out of 0 or less is not used on the line, which takes the default instead; show that.
  seTimeOut->setValue(s.Timeout > 0 ? s.Timeout : kDefaultTimeout);
  seTimeoutInterval->setValue(s.TimeoutInterval > 0 ? s.TimeoutInterval : kDefaultTimeout);
  seTimeoutEcho->setValue(s.TimeoutEcho > 0 ? s.TimeoutEcho : kDefaultTimeout);
  seRetryCount->setValue(s.RetryCount);
  edtPassword->setText(ToQString(s.Password));
  edtMasterPassword->setText(ToQString(s.MasterPassword));
  // Each showing starts with the passwords hidden, whatever the last one left.
  edtPassword->ShowAction()->setChecked(false);
  edtMasterPassword->ShowAction()->setChecked(false);

  for (int i = 0; i < clbPagesSelect->count(); ++i)
    clbPagesSelect->item(i)->setCheckState(Qt::Unchecked);
  for (const std::string& id : s.EnabledPages)
    for (size_t i = 0; i < profile_.Pages.size() && i < size_t(clbPagesSelect->count()); ++i)
      if (profile_.Pages[i].Id == id)
        clbPagesSelect->item(static_cast<int>(i))->setCheckState(Qt::Checked);

  clrbRead->SetColorValue(s.ReadColorText);
  clrbWrite->SetColorValue(s.WriteColorText);
  clrbReadError->SetColorValue(s.ReadErrorColorText);
  clrbWriteError->SetColorValue(s.WriteErrorColorText);
  clrbGeneralError->SetColorValue(s.GeneralErrorColorText);

  cbConnectMethod->setCurrentIndex(std::clamp(s.ConnectMethod, 0, cbConnectMethod->count() - 1));
  gbDebug->setVisible(s.Debug);
  cbLanguage->setCurrentIndex(0);
  for (int i = 0; i < cbLanguage->count(); ++i)
    if (cbLanguage->itemData(i).toInt() == s.Language) {
      cbLanguage->setCurrentIndex(i);
      break;
    }
  cbPortPoll->setChecked(s.PortPoll);
  cbFastAnswer->setChecked(s.FastAnswer);
  cbSessionLog->setChecked(s.SessionLog);
  edtMapHost->setText(ToQString(s.MapHost));
  ShowOverrideNote();
}

// A speed the list does not offer is shown as an item of its own and kept, not replaced.
void TfmSettings::SelectSpeed(int32_t speed) {
  cbPortSpeed->clear();
  bool offered = false;
  for (int value : kSpeeds) {
    if (!offered && speed < value) {
      cbPortSpeed->addItem(QString::number(speed), QVariant(speed));
      offered = true;
    }
    cbPortSpeed->addItem(QString::number(value), QVariant(value));
    offered = offered || speed == value;
  }
  if (!offered) cbPortSpeed->addItem(QString::number(speed), QVariant(speed));
  cbPortSpeed->setCurrentIndex(cbPortSpeed->findData(QVariant(speed)));
}

void TfmSettings::ShowOverrideNote() {
  QStringList parts;
  if (overrides_ && overrides_->PortOverridden())
    parts << tr("В этом запуске используется порт %1, заданный при запуске программы.")
                 .arg(ToQString(settings_.COM));
  if (overrides_ && overrides_->PasswordsOverridden())
    parts << tr("В этом запуске используются пароли, заданные при запуске программы.");
  if (!parts.isEmpty())
    parts << tr(
        "Здесь показаны значения из файла настроек; если их не менять, это останется "
        "в силе до конца работы.");
  lblOverrides->setText(parts.join(QLatin1Char(' ')));
  lblOverrides->setVisible(!parts.isEmpty());
}

// ---------------------------------------------------------------------------------------------
// Buttons

void TfmSettings::ControlsToSettings(TSettings& s) const {
  s.COM = FromQString(cbComPortSelect->currentText().trimmed());
  s.Speed = cbPortSpeed->currentData().toInt();
  s.Timeout = seTimeOut->Value();
  s.TimeoutInterval = seTimeoutInterval->Value();
  s.TimeoutEcho = seTimeoutEcho->Value();
  s.RetryCount = seRetryCount->Value();
  s.Password = FromQString(edtPassword->text());
  s.MasterPassword = FromQString(edtMasterPassword->text());
  UpdateEffectivePassword(s);

  s.EnabledPages.clear();
  for (int i = 0; i < clbPagesSelect->count() && size_t(i) < profile_.Pages.size(); ++i)
    if (clbPagesSelect->item(i)->checkState() == Qt::Checked)
      s.EnabledPages.push_back(profile_.Pages[static_cast<size_t>(i)].Id);

  s.ReadColorText = clrbRead->ColorValue();
  s.WriteColorText = clrbWrite->ColorValue();
  s.ReadErrorColorText = clrbReadError->ColorValue();
  s.WriteErrorColorText = clrbWriteError->ColorValue();
  s.GeneralErrorColorText = clrbGeneralError->ColorValue();

  s.ConnectMethod = std::max(0, cbConnectMethod->currentIndex());
  s.Language = cbLanguage->currentData().toInt();
  s.PortPoll = cbPortPoll->isChecked();
  s.FastAnswer = cbFastAnswer->isChecked();
  s.SessionLog = cbSessionLog->isChecked();
  s.MapHost = FromQString(edtMapHost->text().trimmed());
}

// The new values are in force for this run whether or not the file takes them; a file that
// cannot be written is reported, and the dialog still closes with OK.
void TfmSettings::ApplyBtnClick() {
  TSettings stored = StoredSettings();
  ControlsToSettings(stored);
  // A network address must be whole before it is taken; the dialog stays open to mend it.
  TPortAddress address;
  std::string why;
  if (!ParsePortAddress(stored.COM, address, why)) {
    QMessageBox::warning(
        this, windowTitle(),
        tr("Неверный адрес порта %1: %2").arg(ToQString(stored.COM), ToQString(why)));
    cbComPortSelect->setFocus();
    return;
  }
  if (address.IsNetwork()) RememberRecentPort(stored.RecentPorts, stored.COM);
  if (overrides_)
    overrides_->Confirm(stored, settings_);
  else
    settings_ = stored;
  try {
    TIniFile ini(settingsFile_);
    SaveSettings(ini, stored);
  } catch (const std::runtime_error& error) {
    // The message names the file's full path after a fixed lead; the lead is translated here.
    static const std::string kLead = "Unable to write to ";
    const std::string what = error.what();
    const std::string path = what.rfind(kLead, 0) == 0 ? what.substr(kLead.size()) : settingsFile_;
    QMessageBox::critical(this, QApplication::applicationName(),
                          tr("Unable to write to %1").arg(QFile::decodeName(path.c_str())));
  }
  accept();
}

void TfmSettings::CancelBtnClick() {
  reject();
}

// Esc, the close box and "Отмена" all land here: the next showing starts from the settings.
void TfmSettings::reject() {
  SettingsToControls();
  layout()->activate();
  QDialog::reject();
}

// The send blocks the dialog; clicks the operator makes meanwhile land on a disabled button and
// are dropped, so each finished send is followed by at most the click that comes after it.
void TfmSettings::btnSendClick() {
  if (!commandSender_ || sending_) return;
  sending_ = true;
  btnSend->setEnabled(false);
  commandSender_(FromQString(edtCmdText->text()));
  QCoreApplication::processEvents();
  btnSend->setEnabled(true);
  sending_ = false;
}

}  // namespace quillon
