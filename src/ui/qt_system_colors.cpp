#include "ui/qt_system_colors.h"

#include <QCoreApplication>

namespace quillon {

namespace {

constexpr const char* kContext = "quillon::TSystemColors";

}  // namespace

const std::vector<TSystemColor>& SystemColors() {
  using P = QPalette;
  // The numbers are those stored files hold; the roles are the nearest the desktop's palette
  // offers.
  static const std::vector<TSystemColor> colors = {
      {0, QT_TRANSLATE_NOOP("quillon::TSystemColors", "Полоса прокрутки"), P::Active, P::Button},
      {1, QT_TRANSLATE_NOOP("quillon::TSystemColors", "Рабочий стол"), P::Active, P::Dark},
      {2, QT_TRANSLATE_NOOP("quillon::TSystemColors", "Заголовок активного окна"), P::Active,
       P::Highlight},
      {3, QT_TRANSLATE_NOOP("quillon::TSystemColors", "Заголовок неактивного окна"), P::Inactive,
       P::Mid},
      {4, QT_TRANSLATE_NOOP("quillon::TSystemColors", "Меню"), P::Active, P::Window},
      {5, QT_TRANSLATE_NOOP("quillon::TSystemColors", "Окно"), P::Active, P::Base},
      {6, QT_TRANSLATE_NOOP("quillon::TSystemColors", "Рамка окна"), P::Active, P::Shadow},
      {7, QT_TRANSLATE_NOOP("quillon::TSystemColors", "Текст меню"), P::Active, P::WindowText},
      {8, QT_TRANSLATE_NOOP("quillon::TSystemColors", "Текст окна"), P::Active, P::Text},
      {9, QT_TRANSLATE_NOOP("quillon::TSystemColors", "Текст заголовка"), P::Active,
       P::HighlightedText},
      {10, QT_TRANSLATE_NOOP("quillon::TSystemColors", "Граница активного окна"), P::Active,
       P::Window},
      {11, QT_TRANSLATE_NOOP("quillon::TSystemColors", "Граница неактивного окна"), P::Inactive,
       P::Window},
      {12, QT_TRANSLATE_NOOP("quillon::TSystemColors", "Фон приложения"), P::Active, P::Mid},
      {13, QT_TRANSLATE_NOOP("quillon::TSystemColors", "Выделение"), P::Active, P::Highlight},
      {14, QT_TRANSLATE_NOOP("quillon::TSystemColors", "Текст выделения"), P::Active,
       P::HighlightedText},
      {15, QT_TRANSLATE_NOOP("quillon::TSystemColors", "Поверхность кнопки"), P::Active, P::Button},
      {16, QT_TRANSLATE_NOOP("quillon::TSystemColors", "Тень кнопки"), P::Active, P::Dark},
      {17, QT_TRANSLATE_NOOP("quillon::TSystemColors", "Недоступный текст"), P::Disabled, P::Text},
      {18, QT_TRANSLATE_NOOP("quillon::TSystemColors", "Текст кнопки"), P::Active, P::ButtonText},
      {19, QT_TRANSLATE_NOOP("quillon::TSystemColors", "Текст неактивного заголовка"), P::Inactive,
       P::WindowText},
      {20, QT_TRANSLATE_NOOP("quillon::TSystemColors", "Блик кнопки"), P::Active, P::Light},
      {21, QT_TRANSLATE_NOOP("quillon::TSystemColors", "Тёмная тень"), P::Active, P::Shadow},
      {22, QT_TRANSLATE_NOOP("quillon::TSystemColors", "Светлая грань"), P::Active, P::Midlight},
      {23, QT_TRANSLATE_NOOP("quillon::TSystemColors", "Текст подсказки"), P::Active,
       P::ToolTipText},
      {24, QT_TRANSLATE_NOOP("quillon::TSystemColors", "Фон подсказки"), P::Active, P::ToolTipBase},
      {26, QT_TRANSLATE_NOOP("quillon::TSystemColors", "Ссылка"), P::Active, P::Link},
      {27, QT_TRANSLATE_NOOP("quillon::TSystemColors", "Градиент активного заголовка"), P::Active,
       P::Highlight},
      {28, QT_TRANSLATE_NOOP("quillon::TSystemColors", "Градиент неактивного заголовка"),
       P::Inactive, P::Midlight},
      {29, QT_TRANSLATE_NOOP("quillon::TSystemColors", "Выделение меню"), P::Active, P::Highlight},
      {30, QT_TRANSLATE_NOOP("quillon::TSystemColors", "Строка меню"), P::Active, P::Window},
  };
  return colors;
}

bool IsSystemColor(int32_t value) {
  return (static_cast<uint32_t>(value) & 0xFF000000u) == 0xFF000000u;
}

namespace {

const TSystemColor* FindSystemColor(int32_t value) {
  if (!IsSystemColor(value)) return nullptr;
  const int index = static_cast<int>(static_cast<uint32_t>(value) & 0x00FFFFFFu);
  for (const TSystemColor& color : SystemColors())
    if (color.Index == index) return &color;
  return nullptr;
}

}  // namespace

QColor ResolveColor(int32_t value, const QPalette& palette) {
  if (IsSystemColor(value)) {
    const TSystemColor* color = FindSystemColor(value);
    return color ? palette.color(color->Group, color->Role) : palette.color(QPalette::Text);
  }
  const auto v = static_cast<uint32_t>(value);
  return QColor(static_cast<int>(v & 0xFF), static_cast<int>((v >> 8) & 0xFF),
                static_cast<int>((v >> 16) & 0xFF));
}

QString SystemColorName(int32_t value) {
  const TSystemColor* color = FindSystemColor(value);
  return color ? QCoreApplication::translate(kContext, color->Name) : QString();
}

}  // namespace quillon
