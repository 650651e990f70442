#include "status/status_report.h"

#include <cstdint>

#include "profile/text_utils.h"

namespace quillon {

namespace {

constexpr const char* kPrefix = "+RESP:";

using Items = std::vector<std::string>;
using Updates = std::vector<TStatusUpdate>;

void SetText(Updates& out, const char* field, std::string text) {
  out.push_back({TStatusUpdateKind::Text, field, std::move(text), false});
}

void SetCheck(Updates& out, const char* field, bool ticked) {
  out.push_back({TStatusUpdateKind::Check, field, {}, ticked});
}

const std::string& Choose(const std::string& item, const char* match, const std::string& yes,
                          const std::string& no) {
  return item == match ? yes : no;
}

// "$" + item read as an integer: the item is hexadecimal, 8 digits at most, two's complement.
int32_t HexItem(const std::string& item) {
  return item.empty() ? 0 : StrToInt32Def("$" + item, 0);
}

double HeightItem(const std::string& item) {
  double value = 0;
  return ParsePointDecimal(item, value) ? value : 0;
}

// numerator / denominator rounded to the nearest integer, halves to the even neighbour.
int64_t DivideRoundHalfEven(int64_t numerator, int64_t denominator) {
  if (denominator < 0) numerator = -numerator, denominator = -denominator;
  int64_t quotient = numerator / denominator;
  int64_t remainder = numerator % denominator;
  if (remainder < 0) --quotient, remainder += denominator;  // floor division from here on
  const int64_t twice = 2 * remainder;
  if (twice > denominator || (twice == denominator && quotient % 2 != 0)) ++quotient;
  return quotient;
}

std::string SelfTestText(const std::string& item, const TStatusTexts& texts) {
  return (item == "0" ? texts.SelfTestOk : texts.SelfTestError) + " (" + item + ")";
}

std::string SimStateText(const std::string& item, const TStatusTexts& texts) {
  if (item.size() == 1 && item[0] >= '0' && item[0] <= '4')
    return texts.SimStates[static_cast<size_t>(item[0] - '0')];
  return item;
}

void Identity(const Items& it, const TStatusTexts&, const INumberFormatter&, Updates& out) {
  SetText(out, "eDevName", it[1]);
  SetText(out, "eTrackerID", it[2]);
  SetText(out, "eIMEI", it[3]);
  SetText(out, "eFW_Ver", it[4]);
}

void SelfTest(const Items& it, const TStatusTexts& texts, const INumberFormatter&, Updates& out) {
  SetText(out, "eFlashID", it[1]);
  SetText(out, "eFlashStatus", SelfTestText(it[2], texts));
  SetText(out, "eModemStatus", SelfTestText(it[3], texts));
  SetText(out, "eAccStatus", SelfTestText(it[4], texts));
  SetText(out, "eGPSStatus", SelfTestText(it[5], texts));
  SetText(out, "eSimStatus", SimStateText(it[6], texts));
}

void Sensors(const Items& it, const TStatusTexts& texts, const INumberFormatter&, Updates& out) {
  SetText(out, "eDFreq1", it[1]);
  SetText(out, "eDCount1", it[2]);
  SetText(out, "eDFreq2", it[3]);
  SetText(out, "eDCount2", it[4]);
  SetText(out, "eDCount3", it[5]);
  const int32_t bits = StrToInt32Def(it[6], 0);
  SetText(out, "eDRelay1", (bits & 128) != 0 ? texts.RelayOpen : texts.RelayClosed);
  SetCheck(out, "cDState1", (bits & 8) != 0);
  SetCheck(out, "cDState2", (bits & 4) != 0);
  SetCheck(out, "cDState3", (bits & 2) != 0);
  SetText(out, "eADC1", it[7]);
  SetText(out, "eVIN", it[8]);
  SetText(out, "eVBAT", it[9]);
  SetText(out, "eTEMP", it[10]);
  SetText(out, "eACC_X", it[11]);
  SetText(out, "eACC_Y", it[12]);
  SetText(out, "eACC_Z", it[13]);
  SetText(out, "eUptime", RunningTimeText(StrToInt32Def(it[14], 0)));
  SetText(out, "eACC_SLEEP_TIMER", it[15]);
  SetText(out, "eMODE_ACC_STOP", Choose(it[16], "1", texts.AccStopped, texts.AccMoving));
  SetText(out, "eIgnition", Choose(it[17], "1", texts.IgnitionOn, texts.IgnitionOff));
  SetText(out, "eFreezeCoordByAcc", Choose(it[18], "1", texts.FreezeEnabled, texts.FreezeDisabled));
  SetText(out, "eFreezeCoordByIgn", Choose(it[19], "1", texts.FreezeEnabled, texts.FreezeDisabled));
  SetText(out, "eCoordFrozen", Choose(it[20], "1", texts.Frozen, texts.NotFrozen));
}

void Memory(const Items& it, const TStatusTexts&, const INumberFormatter&, Updates& out) {
  const int32_t rd = HexItem(it[1]);
  const int32_t wr = HexItem(it[2]);
  const int32_t size = HexItem(it[3]);
  // In 64 bits: pointers far apart must not wrap around.
  const int64_t used = static_cast<int64_t>(wr) - rd;
  SetText(out, "ePtrRead", it[1]);
  SetText(out, "ePtrWrite", it[2]);
  SetText(out, "eFlashSize", std::to_string(size));
  SetText(out, "eMemoryFree", std::to_string(used));
  SetText(
      out, "eMemoryFreePercent",
      size == 0 ? std::string("N/A") : std::to_string(DivideRoundHalfEven(used * 100, size)) + "%");
  SetText(out, "eSlotsTotal", it[5]);
  SetText(out, "eSlotsFree", it[4]);
  out.push_back({TStatusUpdateKind::Overflow, "lMemoryOverflow", {}, size < wr});
}

void Navigation(const Items& it, const TStatusTexts&, const INumberFormatter& formatter,
                Updates& out) {
  SetText(out, "eGPSTime", InsertAt(InsertAt(it[1], ":", 5), ":", 3));
  std::string lat = InsertAt(it[2], "°", 3);
  lat = InsertAt(lat, "'", static_cast<int>(lat.size()));
  SetText(out, "eLat", lat);
  std::string lon = InsertAt(it[3], "'", static_cast<int>(it[3].size()));
  SetText(out, "eLon", InsertAt(lon, "°", 4));
  SetText(out, "eSpeed", it[4]);
  SetText(out, "eAzimuth", it[5]);
  SetText(out, "eGPSDate", InsertAt(InsertAt(it[6], ".20", 5), ".", 3));
  SetText(out, "eFixType", it[7]);
  SetText(out, "eSatCount", it[8]);
  SetText(out, "eAlt", formatter.FormatGeneral(HeightItem(it[9]) + HeightItem(it[10])));
}

void Gsm(const Items& it, const TStatusTexts& texts, const INumberFormatter&, Updates& out) {
  const std::string& reg = it[1];
  SetText(out, "eGSMReg",
          reg == "1" ? texts.RegHome : (reg == "5" ? texts.RegRoaming : texts.RegNone));
  SetText(out, "eGPRS", Choose(it[2], "1", texts.Active, texts.Inactive));
  const int32_t state = StrToInt32Def(it[3], -1);
  SetText(
      out, "eServerState",
      state >= 0 && state <= 9 ? texts.ServerStates[static_cast<size_t>(state)] : "N/A " + it[3]);
  SetText(out, "eGSMOp", it[5]);
  SetText(out, "eGSMStrength", it[6]);
  out.push_back({TStatusUpdateKind::SignalBar, "pGSMStr", {}, false});
  SetText(out, "eServer", it[7] + ":" + it[8]);
  SetText(out, "eAPN", it[9] + "(" + it[10] + "," + it[11] + ")");
}

struct TReportKind {
  const char* Kind;
  size_t MinItems;  // item 0 included
  void (*Parse)(const Items&, const TStatusTexts&, const INumberFormatter&, Updates&);
};

constexpr TReportKind kKinds[] = {
    {"DPRM", 5, Identity}, {"TREP", 7, SelfTest},    {"SREP", 21, Sensors},
    {"SFPT", 6, Memory},   {"SNAV", 11, Navigation}, {"SGSM", 12, Gsm},
};

}  // namespace

std::string InsertAt(const std::string& text, const std::string& insert, int position) {
  if (position < 1) return insert + text;
  if (static_cast<size_t>(position) > text.size()) return text + insert;
  std::string result = text;
  result.insert(static_cast<size_t>(position - 1), insert);
  return result;
}

std::string RunningTimeText(int32_t seconds) {
  std::string text = std::to_string(seconds % 60) + "s";
  int32_t t = seconds / 60;
  if (t > 0) text = std::to_string(t % 60) + "m " + text;
  t /= 60;
  if (t > 0) text = std::to_string(t % 24) + "h " + text;
  t /= 24;
  if (t > 0) text = std::to_string(t) + "d " + text;
  return text;
}

std::string StatusReportKind(const std::string& line) {
  if (line.compare(0, 6, kPrefix) != 0) return {};
  return line.substr(6, 4);
}

const std::vector<std::string>& StatusReportKinds() {
  static const std::vector<std::string> kinds = [] {
    std::vector<std::string> names;
    for (const TReportKind& k : kKinds) names.emplace_back(k.Kind);
    return names;
  }();
  return kinds;
}

std::vector<TStatusUpdate> ParseStatusReport(const std::string& line, const TStatusTexts& texts,
                                             const INumberFormatter& formatter) {
  if (line.compare(0, 6, kPrefix) != 0) return {};
  const std::string kind = line.substr(6, 4);
  for (const TReportKind& k : kKinds) {
    if (kind != k.Kind) continue;
    const Items items = SplitCsv(line);
    if (items.size() < k.MinItems) return {};
    Updates updates;
    k.Parse(items, texts, formatter, updates);
    return updates;
  }
  return {};
}

std::vector<TStatusUpdate> ParseStatusReport(const std::string& line) {
  static const TStatusTexts texts;
  static const TGeneralNumberFormatter formatter;
  return ParseStatusReport(line, texts, formatter);
}

const std::vector<TStatusField>& StatusFields() {
  static const std::vector<TStatusField> fields = {
      {"eDevName", "Модель"},
      {"eTrackerID", "ID блока"},
      {"eIMEI", "IMEI"},
      {"eFW_Ver", "Версия ПО"},
      {"eFlashID", "FlashID"},
      {"eFlashStatus", "Flash-память"},
      {"eModemStatus", "GSM-модем"},
      {"eAccStatus", "Акселерометр"},
      {"eGPSStatus", "GPS/GLONASS"},
      {"eSimStatus", "SIM-статус"},
      {"eDFreq1", "Вход 1, частота"},
      {"eDCount1", "Вход 1, счетчик"},
      {"eDFreq2", "Вход 2, частота"},
      {"eDCount2", "Вход 2, счетчик"},
      {"eDCount3", "Вход 3, счетчик"},
      {"eDRelay1", "Реле 1"},
      {"cDState1", "Дискретный 1"},
      {"cDState2", "Дискретный 2"},
      {"cDState3", "Дискретный 3"},
      {"eADC1", "Аналоговый вход 1"},
      {"eVIN", "Напряжение питания"},
      {"eVBAT", "Напряжение на аккумуляторе"},
      {"eTEMP", "Температура"},
      {"eACC_X", "X"},
      {"eACC_Y", "Y"},
      {"eACC_Z", "Z"},
      {"eUptime", "Время работы"},
      {"eACC_SLEEP_TIMER", "Счетчик спящего режима"},
      {"eMODE_ACC_STOP", "Остановка по акселерометру"},
      {"eIgnition", "Зажигание"},
      {"eFreezeCoordByAcc", "Заморозка координат по акселерометру"},
      {"eFreezeCoordByIgn", "Заморозка координат по зажиганию"},
      {"eCoordFrozen", "Координаты заморожены"},
      {"ePtrRead", "Указатель чтения"},
      {"ePtrWrite", "Указатель записи"},
      {"eFlashSize", "Объем памяти"},
      {"eMemoryFree", "Занято памяти, байт"},
      {"eMemoryFreePercent", "Занято памяти, %"},
      {"eSlotsTotal", "Слотов отправки"},
      {"eSlotsFree", "Слотов свободно"},
      {"lMemoryOverflow", "Переполнение памяти, возможна потеря данных"},
      {"eGPSTime", "Время (GPS)"},
      {"eLat", "Широта"},
      {"eLon", "Долгота"},
      {"eSpeed", "Скорость"},
      {"eAzimuth", "Азимут"},
      {"eGPSDate", "Дата (GPS)"},
      {"eFixType", "Захват"},
      {"eSatCount", "Спутники"},
      {"eAlt", "Высота"},
      {"eGSMReg", "Регистрация в сети"},
      {"eGPRS", "GPRS"},
      {"eServerState", "Соединение с сервером"},
      {"eGSMOp", "Оператор"},
      {"eGSMStrength", "Уровень сигнала"},
      {"eServer", "Активный сервер"},
      {"eAPN", "Точка доступа"},
  };
  return fields;
}

std::string StatusFieldCaption(const std::string& name) {
  for (const TStatusField& field : StatusFields())
    if (field.Name == name) return field.Caption;
  return {};
}

}  // namespace quillon
