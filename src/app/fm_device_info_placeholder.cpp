#include "app/fm_device_info_placeholder.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QVBoxLayout>

namespace quillon {

TfmDeviceInfoPlaceholder::TfmDeviceInfoPlaceholder(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint) {
  setObjectName(QStringLiteral("fmDeviceInfo"));
  setWindowTitle(tr("Состояние устройства"));
  setModal(true);
  auto* text = new QLabel(tr("Сведения о состоянии устройства пока недоступны."), this);
  text->setWordWrap(true);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(text);
  layout->addWidget(buttons);
  setMinimumWidth(360);
}

}  // namespace quillon
