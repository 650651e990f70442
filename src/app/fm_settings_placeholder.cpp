#include "app/fm_settings_placeholder.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QVBoxLayout>

namespace quillon {

TfmSettingsPlaceholder::TfmSettingsPlaceholder(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint) {
  setObjectName(QStringLiteral("fmSettings"));
  setWindowTitle(tr("Настройки программы"));
  setModal(true);
  auto* text = new QLabel(tr("Настройки читаются из файла Quillon.ini в папке программы. "
                             "После нажатия \"OK\" они применяются заново, порт закрывается."),
                          this);
  text->setWordWrap(true);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(text);
  layout->addWidget(buttons);
  setMinimumWidth(380);
}

}  // namespace quillon
