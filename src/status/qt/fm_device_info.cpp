#include "status/qt/fm_device_info.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QStyle>
#include <QUrl>
#include <QVBoxLayout>
#include <algorithm>

#include "link/terminal_session.h"
#include "settings/ini_file.h"
#include "settings/settings.h"
#include "status/number_formatter.h"
#include "status/qt/qt_signal_bar.h"
#include "status/status_exchange.h"
#include "ui/qt_language.h"
#include "ui/qt_text.h"

namespace quillon {

namespace {

// The translation context of the state words. Apart from the window's own captions, because the
// same Russian word can be a caption ("Подключение", the connection) and a state (connecting).
constexpr const char* kStateContext = "quillon::TStatusTexts";

// Listed for the translation tools; looked up at run time by their Russian text.
[[maybe_unused]] constexpr const char* kStateWords[] = {
    QT_TRANSLATE_NOOP("quillon::TStatusTexts", "Активно"),
    QT_TRANSLATE_NOOP("quillon::TStatusTexts", "Не активно"),
    QT_TRANSLATE_NOOP("quillon::TStatusTexts", "Разомкнуто"),
    QT_TRANSLATE_NOOP("quillon::TStatusTexts", "Замкнуто"),
    QT_TRANSLATE_NOOP("quillon::TStatusTexts", "OK"),
    QT_TRANSLATE_NOOP("quillon::TStatusTexts", "Ошибка"),
    QT_TRANSLATE_NOOP("quillon::TStatusTexts", "Зафиксирована"),
    QT_TRANSLATE_NOOP("quillon::TStatusTexts", "В движении"),
    QT_TRANSLATE_NOOP("quillon::TStatusTexts", "Включено"),
    QT_TRANSLATE_NOOP("quillon::TStatusTexts", "Выключено"),
    QT_TRANSLATE_NOOP("quillon::TStatusTexts", "Активна"),
    QT_TRANSLATE_NOOP("quillon::TStatusTexts", "Неактивна"),
    QT_TRANSLATE_NOOP("quillon::TStatusTexts", "Заморожены"),
    QT_TRANSLATE_NOOP("quillon::TStatusTexts", "Не заморожены"),
    QT_TRANSLATE_NOOP("quillon::TStatusTexts", "Домашняя сеть"),
    QT_TRANSLATE_NOOP("quillon::TStatusTexts", "Роуминг"),
    QT_TRANSLATE_NOOP("quillon::TStatusTexts", "Нет регистрации"),
    QT_TRANSLATE_NOOP("quillon::TStatusTexts", "SIM не готова"),
    QT_TRANSLATE_NOOP("quillon::TStatusTexts", "Требуется PIN"),
    QT_TRANSLATE_NOOP("quillon::TStatusTexts", "Требуется PUK"),
    QT_TRANSLATE_NOOP("quillon::TStatusTexts", "Ошибка SIM"),
    QT_TRANSLATE_NOOP("quillon::TStatusTexts", "Подключение"),
    QT_TRANSLATE_NOOP("quillon::TStatusTexts", "Закрытие"),
    QT_TRANSLATE_NOOP("quillon::TStatusTexts", "Подключено"),
};

// Field widths in digits of the window's font: wide enough for what the terminal sends there
// (an access point with its user and password on the left, state words elsewhere). The right
// column's are fixed: the map button stands beside two of them.
constexpr int kLeftFieldChars = 24;
constexpr int kMiddleFieldChars = 14;
constexpr int kRightFieldChars = -15;
constexpr int kGridHSpacing = 6;
constexpr int kGridVSpacing = 3;
constexpr int kButtonSpacing = 4;
constexpr int kMapButtonWidth = 32;

// A map pin, drawn rather than shipped as a file.
QIcon MapPinIcon() {
  QPixmap pixmap(20, 20);
  pixmap.fill(Qt::transparent);
  QPainter painter(&pixmap);
  painter.setRenderHint(QPainter::Antialiasing);
  QPainterPath pin;
  pin.moveTo(10, 19);
  pin.cubicTo(4, 12, 3, 9.5, 3, 7.5);
  pin.arcTo(3, 0.5, 14, 14, 180, -180);
  pin.cubicTo(17, 9.5, 16, 12, 10, 19);
  painter.setPen(QPen(QColor(140, 20, 20), 1));
  painter.setBrush(QColor(215, 40, 40));
  painter.drawPath(pin);
  painter.setPen(Qt::NoPen);
  painter.setBrush(Qt::white);
  painter.drawEllipse(QPointF(10, 7.5), 2.6, 2.6);
  return QIcon(pixmap);
}

}  // namespace

TfmDeviceInfo::TfmDeviceInfo(TTerminalSession& session, const TSettings& settings,
                             std::string settingsPath, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint),
      session_(session),
      settings_(settings),
      settingsPath_(std::move(settingsPath)) {
  setObjectName(QStringLiteral("fmDeviceInfo"));
  setWindowTitle(tr("Состояние устройства"));
  setModal(true);
  FormCreate();
}

TfmDeviceInfo::~TfmDeviceInfo() = default;

// ---------------------------------------------------------------------------------------------
// Creation

void TfmDeviceInfo::FormCreate() {
  LoadStateTexts();
  // Heights are summed in the operator's own notation.
  formatter_ = std::make_unique<TGeneralNumberFormatter>(FromQString(QLocale().decimalPoint()));
  exchange_ = std::make_unique<TStatusExchange>(session_, texts_, *formatter_);
  exchange_->OnReport = [this](const std::string&, const std::vector<TStatusUpdate>& updates) {
    ApplyUpdates(updates);
  };

  // The fields scroll inside the window when the screen is smaller than they are; the buttons
  // stay below them, always in reach.
  pnlFields_ = new QWidget;
  pnlFields_->setObjectName(QStringLiteral("pnlFields"));
  auto* grid = new QGridLayout(pnlFields_);
  grid->setContentsMargins(0, 0, 0, 0);
  grid->setHorizontalSpacing(8);
  for (int i = 0; i < 3; ++i) columns_[i] = NewColumn();
  CreateLeftColumn(columns_[0]);
  CreateMiddleColumn(columns_[1]);
  CreateRightColumn(columns_[2]);
  for (QVBoxLayout* column : columns_) {
    column->addStretch(1);
    AlignLabels(column);
  }
  grid->addLayout(columns_[0], 0, 0);
  grid->addLayout(columns_[1], 0, 1);
  grid->addLayout(columns_[2], 0, 2);
  sbFields_ = new QScrollArea(this);
  sbFields_->setObjectName(QStringLiteral("sbFields"));
  sbFields_->setFrameShape(QFrame::NoFrame);
  sbFields_->setWidgetResizable(true);
  sbFields_->setWidget(pnlFields_);
  auto* top = new QVBoxLayout(this);
  top->setContentsMargins(8, 8, 8, 8);
  top->setSpacing(6);
  top->addWidget(sbFields_, 1);
  CreateButtons(top);

  SetOverflowShown(false);
  RefreshMapButton();
}

// The state words in the interface language; the window keeps them for its whole life.
void TfmDeviceInfo::LoadStateTexts() {
  texts_ = TStatusTexts();
  texts_.Translate([](const std::string& text) { return TranslateCp1251(kStateContext, text); });
}

QVBoxLayout* TfmDeviceInfo::NewColumn() {
  auto* column = new QVBoxLayout;
  column->setSpacing(6);
  return column;
}

QGroupBox* TfmDeviceInfo::NewGroup(const char* name, const char* caption, QWidget* parent) {
  auto* group = new QGroupBox(tr(caption), parent);
  group->setObjectName(QString::fromLatin1(name));
  groups_.append(group);
  return group;
}

QGridLayout* TfmDeviceInfo::GroupGrid(QGroupBox* group) {
  if (auto* grid = qobject_cast<QGridLayout*>(group->layout())) return grid;
  auto* grid = new QGridLayout(group);
  grid->setContentsMargins(8, 6, 8, 6);
  grid->setHorizontalSpacing(kGridHSpacing);
  grid->setVerticalSpacing(kGridVSpacing);
  grid->setColumnStretch(1, 1);
  return grid;
}

QLineEdit* TfmDeviceInfo::AddField(QGridLayout* grid, QGroupBox* group, const TFieldRow& row,
                                   int fieldChars) {
  const QString name = QString::fromLatin1(row.Name);
  const int at = grid->rowCount() == 1 && !grid->itemAtPosition(0, 0) ? 0 : grid->rowCount();
  auto* label = new QLabel(tr(row.Caption), group);
  label->setObjectName(QStringLiteral("lbl") + name.mid(1));
  auto* field = new QLineEdit(group);
  field->setObjectName(name);
  field->setReadOnly(true);
  field->setFocusPolicy(Qt::ClickFocus);
  const int width = field->fontMetrics().horizontalAdvance(QString(std::abs(fieldChars), '0')) + 12;
  // A negative count fixes the width, so fields line up past a button beside some of them.
  if (fieldChars < 0)
    field->setFixedWidth(width);
  else
    field->setMinimumWidth(width);
  label->setBuddy(field);
  grid->addWidget(label, at, 0);
  grid->addWidget(field, at, 1, fieldChars < 0 ? Qt::AlignLeft : Qt::Alignment());
  fields_.insert(name, field);
  return field;
}

void TfmDeviceInfo::AddFields(QGroupBox* group, std::initializer_list<TFieldRow> rows,
                              int fieldChars) {
  QGridLayout* grid = GroupGrid(group);
  for (const TFieldRow& row : rows) AddField(grid, group, row, fieldChars);
}

void TfmDeviceInfo::CreateLeftColumn(QVBoxLayout* column) {
  QGroupBox* connection = NewGroup("gConnection", QT_TR_NOOP("Подключение"), this);
  AddFields(connection,
            {{"ePortName", QT_TR_NOOP("COM-порт")},
             {"ePortRate", QT_TR_NOOP("Скорость порта")},
             {"ePortConn", QT_TR_NOOP("Подключение")},
             {"eCmdMode", QT_TR_NOOP("Командный режим")}},
            kLeftFieldChars);
  column->addWidget(connection);

  QGroupBox* device = NewGroup("gDevice", QT_TR_NOOP("Устройство"), this);
  AddFields(device,
            {{"eDevName", QT_TR_NOOP("Модель")},
             {"eTrackerID", QT_TR_NOOP("ID блока")},
             {"eIMEI", QT_TR_NOOP("IMEI")},
             {"eFW_Ver", QT_TR_NOOP("Версия ПО")},
             {"eUptime", QT_TR_NOOP("Время работы")}},
            kLeftFieldChars);
  column->addWidget(device);

  QGroupBox* gsm = NewGroup("gGSM", QT_TR_NOOP("GSM"), this);
  QGridLayout* gsmGrid = GroupGrid(gsm);
  AddFields(gsm,
            {{"eGSMReg", QT_TR_NOOP("Регистрация в сети")},
             {"eGPRS", QT_TR_NOOP("GPRS")},
             {"eServerState", QT_TR_NOOP("Соединение с сервером")},
             {"eGSMOp", QT_TR_NOOP("Оператор")}},
            kLeftFieldChars);
  // The level field shares its row with the bar, together as wide as the other fields.
  QLineEdit* strength = AddField(gsmGrid, gsm, {"eGSMStrength", QT_TR_NOOP("Уровень сигнала")}, 0);
  const int row = gsmGrid->rowCount() - 1;
  gsmGrid->removeWidget(strength);
  pGSMStr_ = new TQtSignalBar(gsm);
  auto* strengthRow = new QHBoxLayout;
  strengthRow->setSpacing(kGridHSpacing);
  strengthRow->addWidget(strength, 1);
  strengthRow->addWidget(pGSMStr_, 0, Qt::AlignVCenter);
  gsmGrid->addLayout(strengthRow, row, 1);
  AddFields(gsm,
            {{"eServer", QT_TR_NOOP("Активный сервер")}, {"eAPN", QT_TR_NOOP("Точка доступа")}},
            kLeftFieldChars);
  column->addWidget(gsm);

  QGroupBox* memory = NewGroup("gMemory", QT_TR_NOOP("Состояние памяти"), this);
  AddFields(memory,
            {{"ePtrRead", QT_TR_NOOP("Указатель чтения")},
             {"ePtrWrite", QT_TR_NOOP("Указатель записи")},
             {"eFlashSize", QT_TR_NOOP("Объем памяти")},
             {"eMemoryFree", QT_TR_NOOP("Занято памяти, байт")},
             {"eMemoryFreePercent", QT_TR_NOOP("Занято памяти, %")},
             {"eSlotsTotal", QT_TR_NOOP("Слотов отправки")},
             {"eSlotsFree", QT_TR_NOOP("Слотов свободно")}},
            kLeftFieldChars);
  lMemoryOverflow_ = new QLabel(tr("Переполнение памяти, возможна потеря данных"), memory);
  lMemoryOverflow_->setObjectName(QStringLiteral("lMemoryOverflow"));
  lMemoryOverflow_->setWordWrap(true);
  lMemoryOverflow_->setAlignment(Qt::AlignCenter);
  QPalette red = lMemoryOverflow_->palette();
  red.setColor(QPalette::WindowText, QColor(255, 0, 0));
  lMemoryOverflow_->setPalette(red);
  // Hidden it keeps its place, so the window does not change size when it comes and goes.
  QSizePolicy keep = lMemoryOverflow_->sizePolicy();
  keep.setRetainSizeWhenHidden(true);
  lMemoryOverflow_->setSizePolicy(keep);
  QGridLayout* memoryGrid = GroupGrid(memory);
  memoryGrid->addWidget(lMemoryOverflow_, memoryGrid->rowCount(), 0, 1, 2);
  column->addWidget(memory);
}

void TfmDeviceInfo::CreateMiddleColumn(QVBoxLayout* column) {
  QGroupBox* sensors = NewGroup("gSensors", QT_TR_NOOP("Датчики"), this);
  auto* inner = new QVBoxLayout(sensors);
  inner->setContentsMargins(6, 6, 6, 6);
  inner->setSpacing(6);

  QGroupBox* discrete = NewGroup("gDiscreteSensors", QT_TR_NOOP("Дискретные"), sensors);
  AddFields(discrete,
            {{"eDFreq1", QT_TR_NOOP("Вход 1, частота")},
             {"eDCount1", QT_TR_NOOP("Вход 1, счетчик")},
             {"eDFreq2", QT_TR_NOOP("Вход 2, частота")},
             {"eDCount2", QT_TR_NOOP("Вход 2, счетчик")},
             {"eDCount3", QT_TR_NOOP("Вход 3, счетчик")},
             {"eDRelay1", QT_TR_NOOP("Реле 1")}},
            kMiddleFieldChars);
  QGridLayout* discreteGrid = GroupGrid(discrete);
  const int checkRow = discreteGrid->rowCount();
  auto* stateLabel = new QLabel(tr("Дискретный"), discrete);
  stateLabel->setObjectName(QStringLiteral("lblDState"));
  auto* boxes = new QHBoxLayout;
  boxes->setSpacing(12);
  for (int i = 1; i <= 3; ++i) {
    auto* box = new QCheckBox(QString::number(i), discrete);
    box->setObjectName(QStringLiteral("cDState%1").arg(i));
    box->setEnabled(false);  // shows the input, takes no clicks
    boxes->addWidget(box);
    checks_.insert(box->objectName(), box);
  }
  boxes->addStretch(1);
  discreteGrid->addWidget(stateLabel, checkRow, 0);
  discreteGrid->addLayout(boxes, checkRow, 1);
  AddFields(discrete,
            {{"eMODE_ACC_STOP", QT_TR_NOOP("Остановка по акселерометру")},
             {"eIgnition", QT_TR_NOOP("Зажигание")}},
            kMiddleFieldChars);
  inner->addWidget(discrete);

  QGroupBox* analog = NewGroup("gAnalogSensors", QT_TR_NOOP("Аналоговые"), sensors);
  AddFields(analog,
            {{"eADC1", QT_TR_NOOP("Аналоговый вход 1")},
             {"eVIN", QT_TR_NOOP("Напряжение питания")},
             {"eVBAT", QT_TR_NOOP("Напряжение на аккумуляторе")},
             {"eTEMP", QT_TR_NOOP("Температура")}},
            kMiddleFieldChars);
  inner->addWidget(analog);

  QGroupBox* accel = NewGroup("gAccel", QT_TR_NOOP("Акселерометр"), sensors);
  AddFields(accel,
            {{"eACC_X", QT_TR_NOOP("X")},
             {"eACC_Y", QT_TR_NOOP("Y")},
             {"eACC_Z", QT_TR_NOOP("Z")},
             {"eACC_SLEEP_TIMER", QT_TR_NOOP("Счетчик спящего режима")}},
            kMiddleFieldChars);
  inner->addWidget(accel);
  column->addWidget(sensors);
}

void TfmDeviceInfo::CreateRightColumn(QVBoxLayout* column) {
  QGroupBox* nav = NewGroup("gNav", QT_TR_NOOP("Навигация"), this);
  AddFields(nav,
            {{"eLat", QT_TR_NOOP("Широта")},
             {"eLon", QT_TR_NOOP("Долгота")},
             {"eSpeed", QT_TR_NOOP("Скорость")},
             {"eAlt", QT_TR_NOOP("Высота")},
             {"eSatCount", QT_TR_NOOP("Спутники")},
             {"eFixType", QT_TR_NOOP("Захват")},
             {"eAzimuth", QT_TR_NOOP("Азимут")},
             {"eGPSDate", QT_TR_NOOP("Дата (GPS)")},
             {"eGPSTime", QT_TR_NOOP("Время (GPS)")},
             {"eFreezeCoordByAcc", QT_TR_NOOP("Заморозка координат по акселерометру")},
             {"eFreezeCoordByIgn", QT_TR_NOOP("Заморозка координат по зажиганию")},
             {"eCoordFrozen", QT_TR_NOOP("Координаты заморожены")}},
            kRightFieldChars);
  // The map button stands beside the two coordinates it shows.
  btnGoMap_ = new QPushButton(nav);
  btnGoMap_->setObjectName(QStringLiteral("btnGoMap"));
  btnGoMap_->setIcon(MapPinIcon());
  btnGoMap_->setIconSize(QSize(20, 20));
  btnGoMap_->setAutoDefault(false);
  btnGoMap_->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Expanding);
  btnGoMap_->setFixedWidth(kMapButtonWidth);
  GroupGrid(nav)->addWidget(btnGoMap_, 0, 2, 2, 1);
  connect(btnGoMap_, &QPushButton::clicked, this, &TfmDeviceInfo::btnGoMapClick);
  column->addWidget(nav);

  QGroupBox* status = NewGroup("gStatus", QT_TR_NOOP("Статус"), this);
  AddFields(status,
            {{"eFlashStatus", QT_TR_NOOP("Flash-память")},
             {"eFlashID", QT_TR_NOOP("FlashID")},
             {"eAccStatus", QT_TR_NOOP("Акселерометр")},
             {"eGPSStatus", QT_TR_NOOP("GPS/GLONASS")},
             {"eModemStatus", QT_TR_NOOP("GSM-модем")},
             {"eSimStatus", QT_TR_NOOP("SIM-статус")}},
            kRightFieldChars);
  column->addWidget(status);
}

// Below the middle and right columns: the remote-control row, and at the right edge the three
// window buttons one above the other.
void TfmDeviceInfo::CreateButtons(QBoxLayout* top) {
  bgRC_ = new QWidget(this);
  bgRC_->setObjectName(QStringLiteral("bgRC"));
  bgRCLayout_ = new QGridLayout(bgRC_);
  bgRCLayout_->setContentsMargins(0, 0, 0, 0);
  bgRCLayout_->setSpacing(kButtonSpacing);
  bgRC_->hide();

  btnStart_ = new QPushButton(tr("Начать обмен"), this);
  btnStart_->setObjectName(QStringLiteral("btnStart"));
  btnStop_ = new QPushButton(tr("Остановить"), this);
  btnStop_->setObjectName(QStringLiteral("btnStop"));
  btnStop_->setEnabled(false);
  btnClose_ = new QPushButton(tr("Закрыть"), this);
  btnClose_->setObjectName(QStringLiteral("btnClose"));
  btnClose_->setDefault(true);
  connect(btnStart_, &QPushButton::clicked, this, &TfmDeviceInfo::btnStartClick);
  connect(btnStop_, &QPushButton::clicked, this, &TfmDeviceInfo::btnStopClick);
  connect(btnClose_, &QPushButton::clicked, this, &TfmDeviceInfo::btnCloseClick);

  buttonColumn_ = new QWidget(this);
  buttonColumn_->setObjectName(QStringLiteral("pnlButtons"));
  auto* stack = new QVBoxLayout(buttonColumn_);
  stack->setContentsMargins(0, 0, 0, 0);
  stack->setSpacing(kButtonSpacing);
  int width = 0;
  for (QPushButton* button : {btnStart_, btnStop_, btnClose_})
    width = std::max(width, button->sizeHint().width());
  for (QPushButton* button : {btnStart_, btnStop_, btnClose_}) {
    button->setMinimumWidth(width + 16);
    stack->addWidget(button);
  }

  auto* bottom = new QHBoxLayout;
  bottom->setSpacing(8);
  bottom->addWidget(bgRC_, 0, Qt::AlignLeft | Qt::AlignBottom);
  bottom->addStretch(1);
  bottom->addWidget(buttonColumn_, 0, Qt::AlignBottom);
  top->addLayout(bottom);
}

// As large as its contents, no larger than the screen's free area (less room for the frame):
// what does not fit scrolls.
void TfmDeviceInfo::FitOnScreen() {
  layout()->activate();
  const QMargins m = layout()->contentsMargins();
  const QSize fields = pnlFields_->sizeHint();
  const int below = layout()->sizeHint().height() - sbFields_->sizeHint().height();
  QSize wanted(std::max(fields.width(), buttonColumn_->sizeHint().width()) + m.left() + m.right(),
               fields.height() + std::max(below, 0));
  const QScreen* where = screen();
  if (where) {
    const QSize room = where->availableGeometry().size() - QSize(kFrameAllowance, kFrameAllowance);
    const int bar = style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    // A scroll bar for one direction takes room from the other.
    if (wanted.height() > room.height()) wanted.rwidth() += bar;
    if (wanted.width() > room.width()) wanted.rheight() += bar;
    wanted = wanted.boundedTo(room);
  }
  resize(wanted);
}

// The fields of one column start at one edge, whichever group they are in.
void TfmDeviceInfo::AlignLabels(QVBoxLayout* column) {
  QVector<QGridLayout*> grids;
  int widest = 0;
  for (int i = 0; i < column->count(); ++i) {
    QWidget* widget = column->itemAt(i)->widget();
    if (!widget) continue;
    QList<QGroupBox*> nested = widget->findChildren<QGroupBox*>();
    nested.prepend(qobject_cast<QGroupBox*>(widget));
    for (QGroupBox* group : nested) {
      auto* grid = group ? qobject_cast<QGridLayout*>(group->layout()) : nullptr;
      if (!grid) continue;
      grids.append(grid);
      for (int row = 0; row < grid->rowCount(); ++row) {
        QLayoutItem* item = grid->itemAtPosition(row, 0);
        auto* label = item ? qobject_cast<QLabel*>(item->widget()) : nullptr;
        if (label && !label->wordWrap()) widest = std::max(widest, label->sizeHint().width());
      }
    }
  }
  for (QGridLayout* grid : grids) grid->setColumnMinimumWidth(0, widest);
}

// ---------------------------------------------------------------------------------------------
// Showing and closing

void TfmDeviceInfo::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  if (!event->spontaneous()) FormShow();
}

// The button row and the window's size are settled before the window is placed on screen.
void TfmDeviceInfo::setVisible(bool visible) {
  if (visible && !isVisible()) {
    ReadRemoteControls();
    RebuildRcButtons();
    FitOnScreen();
  }
  QDialog::setVisible(visible);
}

void TfmDeviceInfo::FormShow() {
  RefreshMapButton();
  btnClose_->setFocus();  // so Enter closes the window until the operator picks another button
  QCoreApplication::postEvent(this, new QEvent(kStartRequestEvent));
}

bool TfmDeviceInfo::event(QEvent* event) {
  if (event->type() == kStartRequestEvent) {
    // A window closed before the request came round has nothing to start.
    if (isVisible()) StartExchange();
    return true;
  }
  return QDialog::event(event);
}

void TfmDeviceInfo::ReadRemoteControls() {
  rc_.clear();
  TIniFile ini(settingsPath_);
  rc_ = ini.ReadSectionValues("RC");
}

void TfmDeviceInfo::RebuildRcButtons() {
  while (QLayoutItem* item = bgRCLayout_->takeAt(0)) {
    delete item->widget();
    delete item;
  }
  // As many buttons to a row as the room beside the window buttons takes.
  const int room = columns_[1]->sizeHint().width() + columns_[2]->sizeHint().width() + 8 -
                   buttonColumn_->sizeHint().width() - 8;
  const int perRow = std::max(1, (room + kButtonSpacing) / (kRcButtonWidth + kButtonSpacing));
  for (size_t i = 0; i < rc_.size(); ++i) {
    const QString caption = ToQString(rc_[i].first);
    auto* button = new QPushButton(caption, bgRC_);
    button->setObjectName(QStringLiteral("btnRC%1").arg(i));
    button->setFixedWidth(kRcButtonWidth);
    button->setAutoDefault(false);
    button->setToolTip(caption);
    const int index = static_cast<int>(i);
    connect(button, &QPushButton::clicked, this, [this, index] { bgRCButtonClicked(index); });
    bgRCLayout_->addWidget(button, index / perRow, index % perRow);
  }
  bgRC_->setVisible(!rc_.empty());
}

void TfmDeviceInfo::RefreshMapButton() {
  const bool available = MapAvailable();
  btnGoMap_->setEnabled(available);
  const QString hint = tr("Показать на карте");
  btnGoMap_->setToolTip(
      available ? hint
                : hint + QStringLiteral("\n") +
                      tr("Адрес сервиса карт не задан: параметр MapHost в разделе [Interface] "
                         "файла настроек"));
  btnGoMap_->setStatusTip(btnGoMap_->toolTip());
}

void TfmDeviceInfo::done(int result) {
  // Every way out (the close box, "Закрыть", the loop ending the dialog) stops the reports once.
  if (isVisible() && !closing_) {
    closing_ = true;
    FormClose();
    closing_ = false;
  }
  QDialog::done(result);
}

void TfmDeviceInfo::FormClose() {
  StopExchange();
  if (!rc_.empty()) {
    std::string answer;
    session_.SendCommand("!", "", true, true, answer);
  }
}

void TfmDeviceInfo::keyPressEvent(QKeyEvent* event) {
  // Esc presses "Остановить" while it can be pressed and never closes the window.
  if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
    if (btnStop_->isEnabled()) btnStop_->click();
    event->accept();
    return;
  }
  QDialog::keyPressEvent(event);
}

// ---------------------------------------------------------------------------------------------
// The exchange

bool TfmDeviceInfo::Running() const {
  return exchange_->Running();
}

void TfmDeviceInfo::StartExchange() {
  if (exchange_->Running()) return;
  if (!exchange_->Start()) return;
  btnStart_->setEnabled(false);
  btnStop_->setEnabled(true);
}

void TfmDeviceInfo::StopExchange() {
  btnStart_->setEnabled(true);
  btnStop_->setEnabled(false);
  exchange_->Stop();
}

void TfmDeviceInfo::ShowReport(const std::string& line) {
  ApplyUpdates(ParseStatusReport(line, texts_, *formatter_));
}

void TfmDeviceInfo::ApplyUpdates(const std::vector<TStatusUpdate>& updates) {
  for (const TStatusUpdate& update : updates) {
    const QString name = QString::fromStdString(update.Field);
    switch (update.Kind) {
      case TStatusUpdateKind::Text:
        if (QLineEdit* field = fields_.value(name)) {
          field->setText(ToQString(update.Text));
          field->setCursorPosition(0);
        }
        break;
      case TStatusUpdateKind::Check:
        if (QCheckBox* box = checks_.value(name)) box->setChecked(update.Value);
        break;
      case TStatusUpdateKind::Overflow:
        SetOverflowShown(update.Value);
        break;
      case TStatusUpdateKind::SignalBar:
        pGSMStr_->SetStrengthText(fields_.value(QStringLiteral("eGSMStrength"))->text());
        break;
    }
  }
}

void TfmDeviceInfo::SetOverflowShown(bool shown) {
  lMemoryOverflow_->setVisible(shown);
}

void TfmDeviceInfo::RefreshLinkState(const std::string& portName, const std::string& baudText,
                                     bool portOpen, bool inCommandMode) {
  fields_.value(QStringLiteral("ePortName"))->setText(ToQString(portName));
  fields_.value(QStringLiteral("ePortRate"))->setText(ToQString(baudText));
  fields_.value(QStringLiteral("ePortConn"))
      ->setText(ToQString(portOpen ? texts_.Active : texts_.Inactive));
  fields_.value(QStringLiteral("eCmdMode"))
      ->setText(ToQString(inCommandMode ? texts_.Active : texts_.Inactive));
  fields_.value(QStringLiteral("ePortName"))->setCursorPosition(0);
}

// ---------------------------------------------------------------------------------------------
// Buttons

void TfmDeviceInfo::btnStartClick() {
  StartExchange();
}

void TfmDeviceInfo::btnStopClick() {
  StopExchange();
}

void TfmDeviceInfo::btnCloseClick() {
  close();
}

void TfmDeviceInfo::bgRCButtonClicked(int index) {
  if (index < 0 || static_cast<size_t>(index) >= rc_.size()) return;
  const std::string& command = rc_[static_cast<size_t>(index)].second;
  if (command.empty()) return;
  bool error = false;
  std::string answer;
  // Exactly the stored bytes: no carriage return, no answer awaited.
  session_.ExecuteCommand(command, error, command, true, false, true, -1, answer);
}

bool TfmDeviceInfo::MapAvailable() const {
  return !settings_.MapHost.empty();
}

QString TfmDeviceInfo::MapAddress() const {
  return QStringLiteral("http://") + ToQString(settings_.MapHost) + QStringLiteral("/?text=") +
         fields_.value(QStringLiteral("eLat"))->text() + QLatin1Char(',') +
         fields_.value(QStringLiteral("eLon"))->text();
}

void TfmDeviceInfo::btnGoMapClick() {
  if (!MapAvailable()) return;
  // Nothing is reported when the desktop cannot open it.
  QDesktopServices::openUrl(QUrl(MapAddress(), QUrl::TolerantMode));
}

}  // namespace quillon
