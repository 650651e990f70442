#include "link/qt/qt_port_state_lines.h"

#include <QBoxLayout>
#include <QLabel>

namespace quillon {

TQtPortStateLines::TQtPortStateLines(QWidget* window, int reasonWidth) {
  lblMessage_ = new QLabel(tr("Идет подключение ждите"), window);
  lblMessage_->setObjectName(QStringLiteral("lblMessage"));
  lblMessage_->setAlignment(Qt::AlignCenter);
  QFont bold = lblMessage_->font();
  bold.setBold(true);
  lblMessage_->setFont(bold);

  lblPort_ = new QLabel(window);
  lblPort_->setObjectName(QStringLiteral("lblPort"));
  lblPort_->setAlignment(Qt::AlignCenter);
  lblPort_->setTextInteractionFlags(Qt::TextSelectableByMouse);
  // The system's reason with its remedy can be long: it wraps inside the window's width.
  lblReason_ = new QLabel(window);
  lblReason_->setObjectName(QStringLiteral("lblReason"));
  lblReason_->setAlignment(Qt::AlignCenter);
  lblReason_->setWordWrap(true);
  lblReason_->setFixedWidth(reasonWidth);
  lblReason_->setTextInteractionFlags(Qt::TextSelectableByMouse);
  SetPortState(QString(), QString());
}

void TQtPortStateLines::AddTo(QBoxLayout* layout) const {
  layout->addWidget(lblMessage_);
  layout->addWidget(lblPort_);
  layout->addWidget(lblReason_);
}

void TQtPortStateLines::SetPortState(const QString& portName, const QString& lastError) {
  lblPort_->setText(portName.isEmpty() ? QString() : tr("Порт: %1").arg(portName));
  lblPort_->setVisible(!portName.isEmpty());
  lblReason_->setText(lastError);
  lblReason_->setVisible(!lastError.isEmpty());
}

}  // namespace quillon
