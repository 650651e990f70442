// The large profile the benchmarks share: 40 pages of 20 commands of 6 parameters of every
// type, every command exported, every fifth one indexed with three instances.
#pragma once

#include <QByteArray>
#include <QString>

namespace quillon::bench {

inline constexpr int kPages = 40;
inline constexpr int kCommands = 20;
inline constexpr int kParameters = 6;

inline QString Parameter(int index) {
  switch (index % kParameters) {
    case 0:
      return QStringLiteral(
          "<parameter type=\"integer\" description=\"Период передачи данных "
          "при движении\" minvalue=\"5\" maxvalue=\"3600\" defaultvalue=\"60\" "
          "suffix=\"сек\" optional=\"0\"/>");
    case 1:
      return QStringLiteral(
          "<parameter type=\"string\" description=\"Адрес сервера\" "
          "maxlen=\"64\" defaultvalue=\"example.org\" "
          "onchar_mask=\"^[A-Za-z0-9.-]*$\" onleave_mask=\"^[A-Za-z0-9.-]+$\"/>");
    case 2:
      return QStringLiteral(
          "<parameter type=\"option\" description=\"Режим работы\" "
          "defaultvalue=\"1\" optional=\"0\"><option value=\"0\" "
          "text=\"Выключен\"/><option value=\"1\" text=\"Постоянно\"/><option "
          "value=\"2\" text=\"По событию\"/><option value=\"3\" "
          "text=\"По расписанию\"/></parameter>");
    case 3:
      return QStringLiteral(
          "<parameter type=\"hex\" description=\"Маска событий\" maxlen=\"8\" "
          "defaultvalue=\"0000FFFF\"/>");
    case 4:
      return QStringLiteral(
          "<parameter type=\"option\" description=\"Протокол\" "
          "defaultvalue=\"tcp\"><option value=\"tcp\" text=\"TCP\"/><option "
          "value=\"udp\" text=\"UDP\"/></parameter>");
    default:
      return QStringLiteral(
          "<parameter type=\"integer\" description=\"Порог срабатывания "
          "датчика, который занимает в подписи несколько строк при обычной "
          "ширине окна\" minvalue=\"0\" maxvalue=\"65535\"/>");
  }
}

// Every fifth command is indexed with three instances.
inline QByteArray GenerateProfile(int pages = kPages, int commands = kCommands) {
  QString xml = QStringLiteral(
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<application>"
      "<title>Bench</title><inputwidth>24</inputwidth>\n");
  for (int p = 0; p < pages; ++p) {
    xml += QStringLiteral("<page id=\"%1\" name=\"Страница %1\">\n").arg(p + 1);
    for (int c = 0; c < commands; ++c) {
      xml += QStringLiteral(
                 "<command command=\"+C%1X%2\" description=\"Команда %2 страницы %1\" "
                 "polldata=\"1\" exportdata=\"1\"%3>")
                 .arg(p)
                 .arg(c)
                 .arg(c % 5 == 0 ? QStringLiteral(" maxindex=\"3\"") : QString());
      for (int i = 0; i < kParameters; ++i) xml += Parameter(i + c);
      xml += QStringLiteral("</command>\n");
    }
    xml += QStringLiteral("</page>\n");
  }
  xml += QStringLiteral("</application>\n");
  return xml.toUtf8();
}

}  // namespace quillon::bench
