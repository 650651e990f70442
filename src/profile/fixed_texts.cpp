#include "profile/fixed_texts.h"

#include <array>
#include <vector>

// Marks a text for the translation tools, which read this file; the logic knows no toolkit.
#ifndef QT_TRANSLATE_NOOP
#define QT_TRANSLATE_NOOP(context, text) text
#endif

namespace quillon {

namespace {

constexpr size_t kCount = static_cast<size_t>(TText::Count_);

// In the order of TText.
constexpr std::array<const char*, kCount> kBuiltIn = {
    QT_TRANSLATE_NOOP("quillon::TFixedTexts", "Число"),
    QT_TRANSLATE_NOOP("quillon::TFixedTexts", " от %1"),
    QT_TRANSLATE_NOOP("quillon::TFixedTexts", " до %1"),
    QT_TRANSLATE_NOOP("quillon::TFixedTexts", "Строка"),
    QT_TRANSLATE_NOOP("quillon::TFixedTexts", " до %1 символов"),
    QT_TRANSLATE_NOOP("quillon::TFixedTexts", ", маска %1"),
    QT_TRANSLATE_NOOP("quillon::TFixedTexts", "Шестнадцатеричное число %1 символов"),
    QT_TRANSLATE_NOOP("quillon::TFixedTexts", "%1 (позиция %2)"),
    QT_TRANSLATE_NOOP("quillon::TFixedTexts", "нет памяти для поиска"),
    QT_TRANSLATE_NOOP("quillon::TFixedTexts", "Профиль: команда %1: maxindex %2 уменьшен до %3"),
    QT_TRANSLATE_NOOP("quillon::TFixedTexts",
                      "Профиль: команда %1: параметры после %2-го пропущены"),
    QT_TRANSLATE_NOOP("quillon::TFixedTexts", "Профиль %1 не прочитан: %2"),
    QT_TRANSLATE_NOOP("quillon::TFixedTexts", "размер больше %1"),
    QT_TRANSLATE_NOOP("quillon::TFixedTexts", "это не обычный файл"),
    QT_TRANSLATE_NOOP("quillon::TFixedTexts",
                      "Файл настроек %1 не прочитан: %2; действуют настройки по умолчанию, файл "
                      "не будет перезаписан"),
    QT_TRANSLATE_NOOP("quillon::TFixedTexts", "Ошибка записи, записано %1/%2"),
    QT_TRANSLATE_NOOP("quillon::TFixedTexts", "больше %1 МиБ"),
    QT_TRANSLATE_NOOP("quillon::TFixedTexts", "поток без паузы дольше %1 с"),
    QT_TRANSLATE_NOOP("quillon::TFixedTexts", "Ответ прерван (%1), он неполон"),
    QT_TRANSLATE_NOOP("quillon::TFixedTexts", "Ошибка чтения, исключение=%1"),
    QT_TRANSLATE_NOOP("quillon::TFixedTexts", "Не могу открыть порт, исключение=%1"),
    QT_TRANSLATE_NOOP("quillon::TFixedTexts", "Уже в командном режиме"),
    QT_TRANSLATE_NOOP("quillon::TFixedTexts", "Ошибка при связи с трекером"),
    QT_TRANSLATE_NOOP("quillon::TFixedTexts", "Команда +TEXT не описана!"),
    QT_TRANSLATE_NOOP("quillon::TFixedTexts", "Команда +SAVE не описана!"),
    QT_TRANSLATE_NOOP("quillon::TFixedTexts", "Неизвестный тип протоколирования %1"),
    QT_TRANSLATE_NOOP("quillon::TFixedTexts",
                      "неизвестная схема адреса %1:// (порт в сети: tcp:// или rfc2217://)"),
    QT_TRANSLATE_NOOP("quillon::TFixedTexts", "в адресе %1 нет имени узла"),
    QT_TRANSLATE_NOOP("quillon::TFixedTexts", "в адресе %1 нет номера порта (УЗЕЛ:ПОРТ)"),
    QT_TRANSLATE_NOOP("quillon::TFixedTexts", "номер порта %1 вне пределов 1..65535"),
    QT_TRANSLATE_NOOP("quillon::TFixedTexts", "адрес IPv6 пишется в квадратных скобках: %1"),
    QT_TRANSLATE_NOOP("quillon::TFixedTexts", "лишний текст \"%1\" после номера порта"),
    QT_TRANSLATE_NOOP("quillon::TFixedTexts", "%1: имя узла не найдено"),
    QT_TRANSLATE_NOOP("quillon::TFixedTexts", "%1: соединение отвергнуто"),
    QT_TRANSLATE_NOOP("quillon::TFixedTexts", "%1: узел недоступен"),
    QT_TRANSLATE_NOOP("quillon::TFixedTexts", "%1: нет соединения за %2 мс"),
    QT_TRANSLATE_NOOP("quillon::TFixedTexts", "%1: ошибка соединения: %2"),
    QT_TRANSLATE_NOOP("quillon::TFixedTexts", "%1: сервер закрыл соединение"),
    QT_TRANSLATE_NOOP("quillon::TFixedTexts", "%1: сервер не ответил на согласование за %2 мс"),
    QT_TRANSLATE_NOOP("quillon::TFixedTexts", "%1: сервер отказался от двоичного режима telnet"),
    QT_TRANSLATE_NOOP("quillon::TFixedTexts",
                      "%1: сервер не управляет настройками порта (RFC 2217)"),
    QT_TRANSLATE_NOOP("quillon::TFixedTexts", "%1: сервер не принял %2 %3 (ответил %4)"),
    QT_TRANSLATE_NOOP("quillon::TFixedTexts", "скорость"),
    QT_TRANSLATE_NOOP("quillon::TFixedTexts", "биты данных"),
    QT_TRANSLATE_NOOP("quillon::TFixedTexts", "чётность"),
    QT_TRANSLATE_NOOP("quillon::TFixedTexts", "стоповые биты"),
    QT_TRANSLATE_NOOP("quillon::TFixedTexts", "управление потоком"),
    QT_TRANSLATE_NOOP("quillon::TFixedTexts", "%1: нарушен обмен telnet: %2"),
    QT_TRANSLATE_NOOP("quillon::TFixedTexts",
                      "устройство не подключено или имя порта указано неверно"),
    QT_TRANSLATE_NOOP("quillon::TFixedTexts",
                      "пользователь не входит в группу %1, которой открыт порт: sudo usermod -aG "
                      "%1 $USER, затем войдите в систему заново"),
    QT_TRANSLATE_NOOP("quillon::TFixedTexts",
                      "попросите администратора открыть вашему пользователю доступ к %1"),
    QT_TRANSLATE_NOOP("quillon::TFixedTexts",
                      "порт занят программой %1, которая опрашивает адаптеры с AT-командами: sudo "
                      "systemctl stop ModemManager или исключите этот адаптер из её опроса"),
    QT_TRANSLATE_NOOP("quillon::TFixedTexts", "порт занят программой %1: закройте её"),
    QT_TRANSLATE_NOOP("quillon::TFixedTexts", "порт занят другой программой: закройте её"),
    QT_TRANSLATE_NOOP("quillon::TFixedTexts", "устройство пропало (отключено?)"),
    QT_TRANSLATE_NOOP("quillon::TFixedTexts", "Неверно задан пароль"),
    QT_TRANSLATE_NOOP("quillon::TFixedTexts", "Недостаточный уровень доступа"),
    QT_TRANSLATE_NOOP("quillon::TFixedTexts", "Ошибка обработки параметров"),
    QT_TRANSLATE_NOOP("quillon::TFixedTexts", "Не получен ожидаемый ответ на команду."),
    QT_TRANSLATE_NOOP("quillon::TFixedTexts", "Повтор"),
    QT_TRANSLATE_NOOP("quillon::TFixedTexts", "Прекращаю попытку"),
    QT_TRANSLATE_NOOP("quillon::TFixedTexts",
                      "Значение не прочитано из терминала, команда не отправлена: %1"),
    QT_TRANSLATE_NOOP("quillon::TFixedTexts",
                      "Запятая или перевод строки в значении, команда не отправлена: %1"),
    QT_TRANSLATE_NOOP("quillon::TFixedTexts", "Значение не помещается в поле и не прочитано: %1"),
    QT_TRANSLATE_NOOP("quillon::TFixedTexts", "Некорректный ответ - отсутствует параметр %1"),
    QT_TRANSLATE_NOOP("quillon::TFixedTexts", "Терминал не в командном режиме"),
    QT_TRANSLATE_NOOP("quillon::TFixedTexts", "Процесс прерван на команде"),
    QT_TRANSLATE_NOOP("quillon::TFixedTexts", "Процесс прерван на индексе"),
    QT_TRANSLATE_NOOP("quillon::TFixedTexts",
                      "Таблица получена не полностью: нет завершающей строки, записей %1"),
    QT_TRANSLATE_NOOP("quillon::TFixedTexts", "%1, параметр %2"),
    QT_TRANSLATE_NOOP("quillon::TFixedTexts", "Значение выходит за рамки диапазона: %1"),
    QT_TRANSLATE_NOOP("quillon::TFixedTexts", "Значение не соответствует маске: %1"),
    QT_TRANSLATE_NOOP("quillon::TFixedTexts", "Значение не в списке допустимых: %1"),
    QT_TRANSLATE_NOOP("quillon::TFixedTexts", "Ошибка в данных %1"),
    QT_TRANSLATE_NOOP("quillon::TFixedTexts", "Команда %1 не найдена"),
    QT_TRANSLATE_NOOP("quillon::TFixedTexts", "Ошибка в данных - превышен индекс команды %1"),
    QT_TRANSLATE_NOOP("quillon::TFixedTexts",
                      "Ошибка в данных - превышен номер параметра команды %1"),
    QT_TRANSLATE_NOOP("quillon::TFixedTexts", "Ошибка - не найден выключатель"),
    QT_TRANSLATE_NOOP("quillon::TFixedTexts", "Ошибка - не найден элемент ввода"),
    QT_TRANSLATE_NOOP("quillon::TFixedTexts", "Ошибка в регулярном выражении %1: %2"),
    QT_TRANSLATE_NOOP("quillon::TFixedTexts", "Команда %1, параметр %2 не найден"),
    QT_TRANSLATE_NOOP("quillon::TFixedTexts", "Команда %1 не найдена, пропущена"),
    QT_TRANSLATE_NOOP("quillon::TFixedTexts", "Входной файл слишком велик"),
    QT_TRANSLATE_NOOP("quillon::TFixedTexts",
                      "Конфигурация не сохранена: её текст длиннее %1 байт, такой файл не "
                      "удастся загрузить"),
    QT_TRANSLATE_NOOP("quillon::TFixedTexts", "Не могу создать файл, ошибка=%1"),
    QT_TRANSLATE_NOOP("quillon::TFixedTexts", "Не могу открыть файл, ошибка=%1"),
};

// The texts in force; set once at start before any other thread exists.
std::vector<std::string>& Translated() {
  static std::vector<std::string> texts;
  return texts;
}

}  // namespace

std::string FormatTemplate(std::string_view pattern, std::initializer_list<std::string_view> args) {
  std::string out;
  out.reserve(pattern.size() + 16);
  for (size_t i = 0; i < pattern.size(); ++i) {
    const char c = pattern[i];
    if (c == '%' && i + 1 < pattern.size() && pattern[i + 1] >= '1' && pattern[i + 1] <= '9') {
      const size_t n = static_cast<size_t>(pattern[i + 1] - '1');
      if (n < args.size()) {
        out += *(args.begin() + n);
        ++i;
        continue;
      }
    }
    out += c;
  }
  return out;
}

std::string Text(TText id, std::initializer_list<std::string_view> args) {
  const size_t index = static_cast<size_t>(id);
  if (index >= kCount) return {};
  const std::vector<std::string>& translated = Translated();
  const std::string_view pattern =
      translated.size() == kCount ? std::string_view(translated[index]) : kBuiltIn[index];
  return FormatTemplate(pattern, args);
}

void TranslateFixedTexts(const std::function<std::string(const std::string&)>& translate) {
  std::vector<std::string>& texts = Translated();
  texts.clear();
  if (!translate) return;
  texts.reserve(kCount);
  for (const char* builtIn : kBuiltIn) texts.push_back(translate(builtIn));
}

}  // namespace quillon
