#include "status/status_texts.h"

namespace quillon {

TStatusTexts::TStatusTexts()
    : Active("Активно"),
      Inactive("Не активно"),
      RelayOpen("Разомкнуто"),
      RelayClosed("Замкнуто"),
      SelfTestOk("OK"),
      SelfTestError("Ошибка"),
      AccStopped("Зафиксирована"),
      AccMoving("В движении"),
      IgnitionOn("Включено"),
      IgnitionOff("Выключено"),
      FreezeEnabled("Активна"),
      FreezeDisabled("Неактивна"),
      Frozen("Заморожены"),
      NotFrozen("Не заморожены"),
      RegHome("Домашняя сеть"),
      RegRoaming("Роуминг"),
      RegNone("Нет регистрации"),
      SimStates{"SIM не готова", "OK", "Требуется PIN", "Требуется PUK", "Ошибка SIM"},
      ServerStates{"init",   "start",       "config",   "ind",        "gprs_act",
                   "status", "Подключение", "Закрытие", "Подключено", "pdp_deact"} {}

void TStatusTexts::Translate(const std::function<std::string(const std::string&)>& translate) {
  for (std::string* text :
       {&Active, &Inactive, &RelayOpen, &RelayClosed, &SelfTestOk, &SelfTestError, &AccStopped,
        &AccMoving, &IgnitionOn, &IgnitionOff, &FreezeEnabled, &FreezeDisabled, &Frozen, &NotFrozen,
        &RegHome, &RegRoaming, &RegNone})
    *text = translate(*text);
  for (std::string& text : SimStates) text = translate(text);
  for (size_t i : {6, 7, 8}) ServerStates[i] = translate(ServerStates[i]);
}

}  // namespace quillon
