#include "app/fm_about_box.h"

#include <QDialogButtonBox>
#include <QFrame>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "ui/qt_app_icon.h"

#ifndef QUILLON_VERSION
#define QUILLON_VERSION "0.0.0"
#endif

namespace quillon {

namespace {

QLabel* WrappedLabel(const QString& text, QWidget* parent) {
  auto* label = new QLabel(text, parent);
  label->setWordWrap(true);
  label->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::LinksAccessibleByMouse);
  label->setOpenExternalLinks(true);
  return label;
}

}  // namespace

TAboutBox::TAboutBox(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint) {
  setObjectName(QStringLiteral("AboutBox"));
  setWindowTitle(tr("О программе"));
  setModal(true);

  auto* icon = new QLabel(this);
  icon->setObjectName(QStringLiteral("ProgramIcon"));
  icon->setPixmap(AppIcon().pixmap(64, 64));
  icon->setAlignment(Qt::AlignTop | Qt::AlignHCenter);

  lblProductName_ = new QLabel(this);
  lblProductName_->setObjectName(QStringLiteral("ProductName"));
  lblProductName_->setWordWrap(true);
  QFont titleFont = lblProductName_->font();
  titleFont.setBold(true);
  titleFont.setPointSizeF(titleFont.pointSizeF() * 1.25);
  lblProductName_->setFont(titleFont);

  lblVersion_ = new QLabel(tr("Версия %1").arg(Version()), this);
  lblVersion_->setObjectName(QStringLiteral("Version"));

  auto* copyright = new QLabel(tr("© Разработчики Quillon"), this);
  copyright->setObjectName(QStringLiteral("Copyright"));

  auto* heading = new QVBoxLayout;
  heading->setSpacing(4);
  heading->addWidget(lblProductName_);
  heading->addWidget(lblVersion_);
  heading->addWidget(copyright);
  heading->addStretch(1);

  auto* top = new QHBoxLayout;
  top->setSpacing(16);
  top->addWidget(icon);
  top->addLayout(heading, 1);

  // Both panels share one cell: the second one covers the first when it is shown.
  Panel1_ = MakeCustomerPanel();
  Panel2_ = MakeResellerPanel();
  auto* panels = new QGridLayout;
  panels->setContentsMargins(0, 0, 0, 0);
  panels->addWidget(Panel1_, 0, 0);
  panels->addWidget(Panel2_, 0, 0);

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
  buttons->setObjectName(QStringLiteral("OKButton"));
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(18, 18, 18, 12);
  layout->setSpacing(14);
  layout->addLayout(top);
  layout->addLayout(panels);
  layout->addWidget(buttons);
  layout->setSizeConstraint(QLayout::SetFixedSize);
  setMinimumWidth(440);

  SetProgramTitle(tr("Программное обеспечение для настройки Veltra"));
  SetTrueCustomer(false);
}

QString TAboutBox::Version() {
  return QStringLiteral(QUILLON_VERSION);
}

void TAboutBox::SetProgramTitle(const QString& title) {
  lblProductName_->setText(title);
}

void TAboutBox::SetTrueCustomer(bool trueCustomer) {
  Panel1_->setEnabled(trueCustomer);
  Panel1_->setVisible(true);
  Panel2_->setVisible(!trueCustomer);
  if (!trueCustomer) Panel2_->raise();
}

QFrame* TAboutBox::MakeCustomerPanel() {
  auto* panel = new QFrame(this);
  panel->setObjectName(QStringLiteral("Panel1"));
  panel->setFrameShape(QFrame::StyledPanel);
  panel->setFrameShadow(QFrame::Sunken);
  auto* layout = new QVBoxLayout(panel);
  layout->setContentsMargins(12, 10, 12, 10);
  layout->addWidget(WrappedLabel(tr("<b>Техническая поддержка Veltra</b>"), panel));
  layout->addWidget(WrappedLabel(
      tr("Электронная почта: <a href=\"mailto:support@veltra.example\">support@veltra.example</a>"),
      panel));
  layout->addWidget(
      WrappedLabel(tr("Телефон: +7 (000) 000-00-00 (по рабочим дням, 9:00–18:00)"), panel));
  layout->addWidget(WrappedLabel(
      tr("Сайт: <a href=\"https://www.veltra.example\">www.veltra.example</a>"), panel));
  return panel;
}

QFrame* TAboutBox::MakeResellerPanel() {
  auto* panel = new QFrame(this);
  panel->setObjectName(QStringLiteral("Panel2"));
  panel->setFrameShape(QFrame::StyledPanel);
  panel->setFrameShadow(QFrame::Sunken);
  panel->setAutoFillBackground(true);
  auto* layout = new QVBoxLayout(panel);
  layout->setContentsMargins(12, 10, 12, 10);
  layout->addWidget(WrappedLabel(tr("<b>Поддержка</b>"), panel));
  layout->addWidget(
      WrappedLabel(tr("Программа поставляется вместе с навигационными терминалами Veltra. "
                      "По вопросам настройки и обслуживания терминала обращайтесь к поставщику, "
                      "у которого было приобретено оборудование."),
                   panel));
  layout->addStretch(1);
  return panel;
}

}  // namespace quillon
