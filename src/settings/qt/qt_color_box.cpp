#include "settings/qt/qt_color_box.h"

#include <QEvent>
#include <QPainter>
#include <QPixmap>

#include "ui/qt_system_colors.h"

namespace quillon {

namespace {

struct TNamedColor {
  const char* Name;
  int32_t Value;  // 0x00BBGGRR
};

// The standard sixteen, then the four extended colours.
const TNamedColor kNamedColors[] = {
    {QT_TRANSLATE_NOOP("quillon::TQtColorBox", "Чёрный"), 0x000000},
    {QT_TRANSLATE_NOOP("quillon::TQtColorBox", "Бордовый"), 0x000080},
    {QT_TRANSLATE_NOOP("quillon::TQtColorBox", "Зелёный"), 0x008000},
    {QT_TRANSLATE_NOOP("quillon::TQtColorBox", "Оливковый"), 0x008080},
    {QT_TRANSLATE_NOOP("quillon::TQtColorBox", "Тёмно-синий"), 0x800000},
    {QT_TRANSLATE_NOOP("quillon::TQtColorBox", "Пурпурный"), 0x800080},
    {QT_TRANSLATE_NOOP("quillon::TQtColorBox", "Сине-зелёный"), 0x808000},
    {QT_TRANSLATE_NOOP("quillon::TQtColorBox", "Серый"), 0x808080},
    {QT_TRANSLATE_NOOP("quillon::TQtColorBox", "Серебристый"), 0xC0C0C0},
    {QT_TRANSLATE_NOOP("quillon::TQtColorBox", "Красный"), 0x0000FF},
    {QT_TRANSLATE_NOOP("quillon::TQtColorBox", "Ярко-зелёный"), 0x00FF00},
    {QT_TRANSLATE_NOOP("quillon::TQtColorBox", "Жёлтый"), 0x00FFFF},
    {QT_TRANSLATE_NOOP("quillon::TQtColorBox", "Синий"), 0xFF0000},
    {QT_TRANSLATE_NOOP("quillon::TQtColorBox", "Фуксия"), 0xFF00FF},
    {QT_TRANSLATE_NOOP("quillon::TQtColorBox", "Голубой"), 0xFFFF00},
    {QT_TRANSLATE_NOOP("quillon::TQtColorBox", "Белый"), 0xFFFFFF},
    {QT_TRANSLATE_NOOP("quillon::TQtColorBox", "Светло-зелёный"), 0xC0DCC0},
    {QT_TRANSLATE_NOOP("quillon::TQtColorBox", "Небесно-голубой"), 0xF0CAA6},
    {QT_TRANSLATE_NOOP("quillon::TQtColorBox", "Кремовый"), 0xF0FBFF},
    {QT_TRANSLATE_NOOP("quillon::TQtColorBox", "Средне-серый"), 0xA4A0A0},
};

constexpr int kNamedCount = static_cast<int>(sizeof kNamedColors / sizeof kNamedColors[0]);

}  // namespace

int TQtColorBox::OfferedCount() {
  return kNamedCount + static_cast<int>(SystemColors().size());
}

TQtColorBox::TQtColorBox(QWidget* parent) : QComboBox(parent) {
  setIconSize(QSize(24, 14));
  setMaxVisibleItems(20);
  for (const TNamedColor& color : kNamedColors) AddEntry(tr(color.Name), color.Value);
  for (const TSystemColor& color : SystemColors())
    AddEntry(SystemColorName(kSystemColorBase | color.Index), kSystemColorBase | color.Index);
}

void TQtColorBox::AddEntry(const QString& name, int32_t value) {
  addItem(Swatch(value), name, QVariant(static_cast<qint32>(value)));
}

QIcon TQtColorBox::Swatch(int32_t value) const {
  QPixmap pixmap(iconSize());
  pixmap.fill(ResolveColor(value, palette()));
  QPainter painter(&pixmap);
  painter.setPen(palette().color(QPalette::WindowText));
  painter.drawRect(pixmap.rect().adjusted(0, 0, -1, -1));
  return QIcon(pixmap);
}

void TQtColorBox::SetColorValue(int32_t value) {
  // An entry of its own from an earlier showing goes; the offered ones stay.
  while (count() > OfferedCount()) removeItem(count() - 1);
  const int index = findData(QVariant(static_cast<qint32>(value)));
  if (index >= 0) {
    setCurrentIndex(index);
    return;
  }
  const QString name = IsSystemColor(value)
                           ? tr("Системный цвет %1").arg(static_cast<uint32_t>(value) & 0xFFFFFFu)
                           : tr("Другой: %1").arg(ResolveColor(value, palette()).name().toUpper());
  AddEntry(name, value);
  setCurrentIndex(count() - 1);
}

int32_t TQtColorBox::ColorValue() const {
  const QVariant data = currentData();
  return data.isValid() ? static_cast<int32_t>(data.toInt()) : kNoColor;
}

// System colours follow the palette, so their swatches are drawn again when it changes.
void TQtColorBox::changeEvent(QEvent* event) {
  QComboBox::changeEvent(event);
  if (event->type() == QEvent::PaletteChange) RefreshSwatches();
}

void TQtColorBox::RefreshSwatches() {
  for (int i = 0; i < count(); ++i)
    setItemIcon(i, Swatch(static_cast<int32_t>(itemData(i).toInt())));
}

}  // namespace quillon
