// "Сравнение с файлом": every parameter whose value in a configuration file differs from the
// editor's, with the file's value to take per row or for all. The file is read beforehand; the
// editor changes only through "take", as if the operator had typed the value.
#pragma once

#include <QDialog>
#include <functional>
#include <vector>

#include "configfiles/config_compare.h"

class QLabel;
class QPushButton;
class QTableWidget;

namespace quillon {

class CommandProfile;
class IParameterEditor;

class TfmConfigCompare : public QDialog {
  Q_OBJECT

 public:
  enum TColumn { colAddress, colDescription, colEditor, colFile, colTake, kColumnCount };

  // differences: the editor as A, the file as B. mayTake tells the commands whose values may be
  // taken from a file; a row of any other command shows why its button is off.
  TfmConfigCompare(const CommandProfile& profile, IParameterEditor& editor, const QString& fileName,
                   std::vector<TConfigDifference> differences,
                   std::function<bool(const TDevCommand&)> mayTake, QWidget* parent = nullptr);

  // Takes the file's value of one row, or of every row that may still be taken.
  void TakeRow(int row);
  void btnTakeAllClick();
  bool RowTaken(int row) const { return taken_[static_cast<size_t>(row)]; }
  bool RowMayBeTaken(int row) const;

  QLabel* lblSummary = nullptr;
  QTableWidget* tblDifferences = nullptr;
  QPushButton* btnTakeAll = nullptr;
  QPushButton* btnClose = nullptr;

 private:
  void FillRow(int row);
  QString ShownValue(const TConfigDifference& d, const std::optional<std::string>& value) const;
  void UpdateSummary();

  const CommandProfile& profile_;
  IParameterEditor& editor_;
  std::vector<TConfigDifference> differences_;
  std::function<bool(const TDevCommand&)> mayTake_;
  std::vector<bool> taken_;
};

}  // namespace quillon
