#include "editor/qt/fm_config_compare.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include "profile/command_profile.h"
#include "ui/qt_text.h"

namespace quillon {

namespace {

constexpr int kInitialWidth = 860;
constexpr int kInitialHeight = 420;

// The address as the command line names it: NAME[P], or NAME#K[P] for an indexed command.
QString AddressText(const TDevCommand& cmd, const ParamAddress& a) {
  QString text = ToQString(cmd.Name);
  if (cmd.Indexed) text += QStringLiteral("#%1").arg(a.Instance + 1);
  return text + QStringLiteral("[%1]").arg(a.Param);
}

}  // namespace

TfmConfigCompare::TfmConfigCompare(const CommandProfile& profile, IParameterEditor& editor,
                                   const QString& fileName,
                                   std::vector<TConfigDifference> differences,
                                   std::function<bool(const TDevCommand&)> mayTake, QWidget* parent)
    : QDialog(parent),
      profile_(profile),
      editor_(editor),
      differences_(std::move(differences)),
      mayTake_(std::move(mayTake)),
      taken_(differences_.size(), false) {
  setObjectName(QStringLiteral("fmConfigCompare"));
  setWindowTitle(tr("Сравнение с файлом %1").arg(fileName));
  resize(kInitialWidth, kInitialHeight);

  lblSummary = new QLabel(this);
  lblSummary->setObjectName(QStringLiteral("lblSummary"));
  lblSummary->setWordWrap(true);

  tblDifferences = new QTableWidget(static_cast<int>(differences_.size()), kColumnCount, this);
  tblDifferences->setObjectName(QStringLiteral("tblDifferences"));
  tblDifferences->setHorizontalHeaderLabels(
      {tr("Параметр"), tr("Описание"), tr("В редакторе"), tr("В файле"), QString()});
  tblDifferences->setEditTriggers(QAbstractItemView::NoEditTriggers);
  tblDifferences->setSelectionBehavior(QAbstractItemView::SelectRows);
  tblDifferences->verticalHeader()->hide();
  tblDifferences->horizontalHeader()->setSectionResizeMode(colDescription, QHeaderView::Stretch);
  for (int row = 0; row < static_cast<int>(differences_.size()); ++row) FillRow(row);
  tblDifferences->resizeColumnsToContents();
  tblDifferences->horizontalHeader()->setSectionResizeMode(colDescription, QHeaderView::Stretch);

  btnTakeAll = new QPushButton(tr("Взять все значения файла"), this);
  btnTakeAll->setObjectName(QStringLiteral("btnTakeAll"));
  connect(btnTakeAll, &QPushButton::clicked, this, &TfmConfigCompare::btnTakeAllClick);
  btnClose = new QPushButton(tr("Закрыть"), this);
  btnClose->setObjectName(QStringLiteral("btnClose"));
  btnClose->setDefault(true);
  connect(btnClose, &QPushButton::clicked, this, &QDialog::accept);

  auto* buttons = new QHBoxLayout;
  buttons->addWidget(btnTakeAll);
  buttons->addStretch(1);
  buttons->addWidget(btnClose);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(lblSummary);
  layout->addWidget(tblDifferences, 1);
  layout->addLayout(buttons);
  UpdateSummary();
}

bool TfmConfigCompare::RowMayBeTaken(int row) const {
  const TConfigDifference& d = differences_[static_cast<size_t>(row)];
  const TDevCommand* cmd = profile_.Command(d.Address.Page, d.Address.Command);
  return cmd && d.B && (!mayTake_ || mayTake_(*cmd));
}

QString TfmConfigCompare::ShownValue(const TConfigDifference& d,
                                     const std::optional<std::string>& value) const {
  if (!value) return tr("(нет)");
  if (d.Kind == dkEnabled) return *value == "on" ? tr("включён") : tr("выключен");
  const TDevCommand* cmd = profile_.Command(d.Address.Page, d.Address.Command);
  const TCmdParameter& param = cmd->Parameters[static_cast<size_t>(d.Address.Param)];
  if (param.ParamType == ptOption)
    for (const TParamOption& option : param.Options)
      if (option.Value == *value)
        return QStringLiteral("%1 (%2)").arg(ToQString(option.Text), ToQString(option.Value));
  return ToQString(*value);
}

void TfmConfigCompare::FillRow(int row) {
  const TConfigDifference& d = differences_[static_cast<size_t>(row)];
  const TDevCommand& cmd = *profile_.Command(d.Address.Page, d.Address.Command);
  const TCmdParameter& param = cmd.Parameters[static_cast<size_t>(d.Address.Param)];
  const bool taken = taken_[static_cast<size_t>(row)];
  QString description = ToQString(param.Description);
  if (d.Kind == dkEnabled) description += tr(" (выключатель)");
  const QString cells[] = {AddressText(cmd, d.Address), description,
                           ShownValue(d, taken ? d.B : d.A), ShownValue(d, d.B)};
  for (int column = colAddress; column <= colFile; ++column) {
    auto* item = new QTableWidgetItem(cells[column]);
    item->setToolTip(cells[column]);
    tblDifferences->setItem(row, column, item);
  }

  auto* take = qobject_cast<QPushButton*>(tblDifferences->cellWidget(row, colTake));
  if (!take) {
    take = new QPushButton(tblDifferences);
    take->setObjectName(QStringLiteral("btnTake%1").arg(row));
    connect(take, &QPushButton::clicked, this, [this, row] { TakeRow(row); });
    tblDifferences->setCellWidget(row, colTake, take);
  }
  const bool mayTake = RowMayBeTaken(row);
  take->setText(taken ? tr("Взято") : tr("Взять из файла"));
  take->setEnabled(mayTake && !taken);
  take->setToolTip(mayTake ? QString()
                           : tr("Значения этой команды не берутся из файла: она не записывается "
                                "в терминал из файла"));
}

void TfmConfigCompare::TakeRow(int row) {
  if (row < 0 || row >= static_cast<int>(differences_.size())) return;
  if (taken_[static_cast<size_t>(row)] || !RowMayBeTaken(row)) return;
  TakeValue(profile_, editor_, differences_[static_cast<size_t>(row)]);
  taken_[static_cast<size_t>(row)] = true;
  FillRow(row);
  UpdateSummary();
}

void TfmConfigCompare::btnTakeAllClick() {
  for (int row = 0; row < static_cast<int>(differences_.size()); ++row) TakeRow(row);
}

void TfmConfigCompare::UpdateSummary() {
  int open = 0, mayTake = 0;
  for (int row = 0; row < static_cast<int>(differences_.size()); ++row) {
    if (RowTaken(row)) continue;
    ++open;
    if (RowMayBeTaken(row)) ++mayTake;
  }
  if (differences_.empty())
    lblSummary->setText(tr("Значения файла совпадают со значениями редактора."));
  else
    lblSummary->setText(tr("Различий: %1, взято из файла: %2.")
                            .arg(static_cast<int>(differences_.size()))
                            .arg(static_cast<int>(differences_.size()) - open));
  btnTakeAll->setEnabled(mayTake > 0);
}

}  // namespace quillon
