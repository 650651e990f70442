<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en_US" sourcelanguage="ru_RU">
<context>
    <name>quillon::TAboutBox</name>
    <message>
        <source>О программе</source>
        <translation>About</translation>
    </message>
    <message>
        <source>Версия %1</source>
        <translation>Version %1</translation>
    </message>
    <message>
        <source>© Разработчики Quillon</source>
        <translation>© The Quillon developers</translation>
    </message>
    <message>
        <source>Программное обеспечение для настройки Veltra</source>
        <translation>Veltra configuration software</translation>
    </message>
    <message>
        <source>&lt;b&gt;Техническая поддержка Veltra&lt;/b&gt;</source>
        <translation>&lt;b&gt;Veltra technical support&lt;/b&gt;</translation>
    </message>
    <message>
        <source>Электронная почта: &lt;a href=&quot;mailto:support@veltra.example&quot;&gt;support@veltra.example&lt;/a&gt;</source>
        <translation>E-mail: &lt;a href=&quot;mailto:support@veltra.example&quot;&gt;support@veltra.example&lt;/a&gt;</translation>
    </message>
    <message>
        <source>Телефон: +7 (000) 000-00-00 (по рабочим дням, 9:00–18:00)</source>
        <translation>Phone: +7 (000) 000-00-00 (working days, 9:00–18:00)</translation>
    </message>
    <message>
        <source>Сайт: &lt;a href=&quot;https://www.veltra.example&quot;&gt;www.veltra.example&lt;/a&gt;</source>
        <translation>Web: &lt;a href=&quot;https://www.veltra.example&quot;&gt;www.veltra.example&lt;/a&gt;</translation>
    </message>
    <message>
        <source>&lt;b&gt;Поддержка&lt;/b&gt;</source>
        <translation>&lt;b&gt;Support&lt;/b&gt;</translation>
    </message>
    <message>
        <source>Программа поставляется вместе с навигационными терминалами Veltra. По вопросам настройки и обслуживания терминала обращайтесь к поставщику, у которого было приобретено оборудование.</source>
        <translation>The program comes with Veltra navigation terminals. For questions about setting up and servicing the terminal, contact the supplier you bought the equipment from.</translation>
    </message>
</context>
<context>
    <name>quillon::TFixedTexts</name>
    <message>
        <source>Число</source>
        <translation>Number</translation>
    </message>
    <message>
        <source> от %1</source>
        <translation> from %1</translation>
    </message>
    <message>
        <source> до %1</source>
        <translation> to %1</translation>
    </message>
    <message>
        <source>Строка</source>
        <translation>Text</translation>
    </message>
    <message>
        <source> до %1 символов</source>
        <translation> up to %1 characters</translation>
    </message>
    <message>
        <source>, маска %1</source>
        <translation>, mask %1</translation>
    </message>
    <message>
        <source>Шестнадцатеричное число %1 символов</source>
        <translation>Hexadecimal number of %1 characters</translation>
    </message>
    <message>
        <source>%1 (позиция %2)</source>
        <translation>%1 (position %2)</translation>
    </message>
    <message>
        <source>нет памяти для поиска</source>
        <translation>no memory for matching</translation>
    </message>
    <message>
        <source>Профиль: команда %1: maxindex %2 уменьшен до %3</source>
        <translation>Profile: command %1: maxindex %2 reduced to %3</translation>
    </message>
    <message>
        <source>Профиль: команда %1: параметры после %2-го пропущены</source>
        <translation>Profile: command %1: parameters after number %2 skipped</translation>
    </message>
    <message>
        <source>Профиль %1 не прочитан: %2</source>
        <translation>Profile %1 not read: %2</translation>
    </message>
    <message>
        <source>размер больше %1</source>
        <translation>larger than %1</translation>
    </message>
    <message>
        <source>это не обычный файл</source>
        <translation>not a regular file</translation>
    </message>
    <message>
        <source>Файл настроек %1 не прочитан: %2; действуют настройки по умолчанию, файл не будет перезаписан</source>
        <translation>Settings file %1 not read: %2; default settings are in force, the file will not be overwritten</translation>
    </message>
    <message>
        <source>Ошибка записи, записано %1/%2</source>
        <translation>Write error, written %1/%2</translation>
    </message>
    <message>
        <source>больше %1 МиБ</source>
        <translation>more than %1 MiB</translation>
    </message>
    <message>
        <source>поток без паузы дольше %1 с</source>
        <translation>data without a pause for more than %1 s</translation>
    </message>
    <message>
        <source>Ответ прерван (%1), он неполон</source>
        <translation>Answer cut (%1), it is incomplete</translation>
    </message>
    <message>
        <source>Ошибка чтения, исключение=%1</source>
        <translation>Read error, exception=%1</translation>
    </message>
    <message>
        <source>Не могу открыть порт, исключение=%1</source>
        <translation>Cannot open the port, exception=%1</translation>
    </message>
    <message>
        <source>Уже в командном режиме</source>
        <translation>Already in command mode</translation>
    </message>
    <message>
        <source>Ошибка при связи с трекером</source>
        <translation>Error communicating with the tracker</translation>
    </message>
    <message>
        <source>Команда +TEXT не описана!</source>
        <translation>Command +TEXT is not described!</translation>
    </message>
    <message>
        <source>Команда +SAVE не описана!</source>
        <translation>Command +SAVE is not described!</translation>
    </message>
    <message>
        <source>Неизвестный тип протоколирования %1</source>
        <translation>Unknown log entry kind %1</translation>
    </message>
    <message>
        <source>неизвестная схема адреса %1:// (порт в сети: tcp:// или rfc2217://)</source>
        <translation>unknown address scheme %1:// (a network port is tcp:// or rfc2217://)</translation>
    </message>
    <message>
        <source>в адресе %1 нет имени узла</source>
        <translation>the address %1 names no host</translation>
    </message>
    <message>
        <source>в адресе %1 нет номера порта (УЗЕЛ:ПОРТ)</source>
        <translation>the address %1 has no port number (HOST:PORT)</translation>
    </message>
    <message>
        <source>номер порта %1 вне пределов 1..65535</source>
        <translation>port number %1 is out of 1..65535</translation>
    </message>
    <message>
        <source>адрес IPv6 пишется в квадратных скобках: %1</source>
        <translation>an IPv6 address is written in brackets: %1</translation>
    </message>
    <message>
        <source>лишний текст &quot;%1&quot; после номера порта</source>
        <translation>unexpected text &quot;%1&quot; after the port number</translation>
    </message>
    <message>
        <source>%1: имя узла не найдено</source>
        <translation>%1: host name not found</translation>
    </message>
    <message>
        <source>%1: соединение отвергнуто</source>
        <translation>%1: connection refused</translation>
    </message>
    <message>
        <source>%1: узел недоступен</source>
        <translation>%1: host unreachable</translation>
    </message>
    <message>
        <source>%1: нет соединения за %2 мс</source>
        <translation>%1: no connection within %2 ms</translation>
    </message>
    <message>
        <source>%1: ошибка соединения: %2</source>
        <translation>%1: connection failed: %2</translation>
    </message>
    <message>
        <source>%1: сервер закрыл соединение</source>
        <translation>%1: the server closed the connection</translation>
    </message>
    <message>
        <source>%1: сервер не ответил на согласование за %2 мс</source>
        <translation>%1: the server did not answer the negotiation within %2 ms</translation>
    </message>
    <message>
        <source>%1: сервер отказался от двоичного режима telnet</source>
        <translation>%1: the server refused telnet binary mode</translation>
    </message>
    <message>
        <source>%1: сервер не управляет настройками порта (RFC 2217)</source>
        <translation>%1: the server does not control the port's settings (RFC 2217)</translation>
    </message>
    <message>
        <source>%1: сервер не принял %2 %3 (ответил %4)</source>
        <translation>%1: the server did not accept %2 %3 (it answered %4)</translation>
    </message>
    <message>
        <source>скорость</source>
        <translation>baud rate</translation>
    </message>
    <message>
        <source>биты данных</source>
        <translation>data bits</translation>
    </message>
    <message>
        <source>чётность</source>
        <translation>parity</translation>
    </message>
    <message>
        <source>стоповые биты</source>
        <translation>stop bits</translation>
    </message>
    <message>
        <source>управление потоком</source>
        <translation>flow control</translation>
    </message>
    <message>
        <source>%1: нарушен обмен telnet: %2</source>
        <translation>%1: broken telnet exchange: %2</translation>
    </message>
    <message>
        <source>Неверно задан пароль</source>
        <translation>Wrong password</translation>
    </message>
    <message>
        <source>Недостаточный уровень доступа</source>
        <translation>Insufficient access level</translation>
    </message>
    <message>
        <source>Ошибка обработки параметров</source>
        <translation>Parameter processing error</translation>
    </message>
    <message>
        <source>Не получен ожидаемый ответ на команду.</source>
        <translation>The expected answer to the command was not received.</translation>
    </message>
    <message>
        <source>Повтор</source>
        <translation>Retrying</translation>
    </message>
    <message>
        <source>Прекращаю попытку</source>
        <translation>Giving up</translation>
    </message>
    <message>
        <source>Значение не прочитано из терминала, команда не отправлена: %1</source>
        <translation>Value not read from the terminal, command not sent: %1</translation>
    </message>
    <message>
        <source>Запятая или перевод строки в значении, команда не отправлена: %1</source>
        <translation>Comma or line break in the value, command not sent: %1</translation>
    </message>
    <message>
        <source>Значение не помещается в поле и не прочитано: %1</source>
        <translation>Value does not fit the field and was not read: %1</translation>
    </message>
    <message>
        <source>Некорректный ответ - отсутствует параметр %1</source>
        <translation>Invalid answer - parameter %1 missing</translation>
    </message>
    <message>
        <source>Терминал не в командном режиме</source>
        <translation>The terminal is not in command mode</translation>
    </message>
    <message>
        <source>Процесс прерван на команде</source>
        <translation>Process stopped at command</translation>
    </message>
    <message>
        <source>Процесс прерван на индексе</source>
        <translation>Process stopped at index</translation>
    </message>
    <message>
        <source>%1, параметр %2</source>
        <translation>%1, parameter %2</translation>
    </message>
    <message>
        <source>Значение выходит за рамки диапазона: %1</source>
        <translation>Value out of range: %1</translation>
    </message>
    <message>
        <source>Значение не соответствует маске: %1</source>
        <translation>Value does not match the mask: %1</translation>
    </message>
    <message>
        <source>Значение не в списке допустимых: %1</source>
        <translation>Value not among the allowed ones: %1</translation>
    </message>
    <message>
        <source>Ошибка в данных %1</source>
        <translation>Data error %1</translation>
    </message>
    <message>
        <source>Команда %1 не найдена</source>
        <translation>Command %1 not found</translation>
    </message>
    <message>
        <source>Ошибка в данных - превышен индекс команды %1</source>
        <translation>Data error - index of command %1 exceeded</translation>
    </message>
    <message>
        <source>Ошибка в данных - превышен номер параметра команды %1</source>
        <translation>Data error - parameter number of command %1 exceeded</translation>
    </message>
    <message>
        <source>Ошибка - не найден выключатель</source>
        <translation>Error - switch not found</translation>
    </message>
    <message>
        <source>Ошибка - не найден элемент ввода</source>
        <translation>Error - input not found</translation>
    </message>
    <message>
        <source>Ошибка в регулярном выражении %1: %2</source>
        <translation>Error in regular expression %1: %2</translation>
    </message>
    <message>
        <source>Команда %1, параметр %2 не найден</source>
        <translation>Command %1, parameter %2 not found</translation>
    </message>
    <message>
        <source>Команда %1 не найдена, пропущена</source>
        <translation>Command %1 not found, skipped</translation>
    </message>
    <message>
        <source>Входной файл слишком велик</source>
        <translation>The input file is too large</translation>
    </message>
    <message>
        <source>Конфигурация не сохранена: её текст длиннее %1 байт, такой файл не удастся загрузить</source>
        <translation>Configuration not saved: its text is longer than %1 bytes, such a file could not be loaded</translation>
    </message>
    <message>
        <source>Не могу создать файл, ошибка=%1</source>
        <translation>Cannot create the file, error=%1</translation>
    </message>
    <message>
        <source>Не могу открыть файл, ошибка=%1</source>
        <translation>Cannot open the file, error=%1</translation>
    </message>
    <message>
        <source>Таблица получена не полностью: нет завершающей строки, записей %1</source>
        <translation>Table received incompletely: no closing line, %1 entries</translation>
    </message>
    <message>
        <source>устройство не подключено или имя порта указано неверно</source>
        <translation>the device is not plugged in, or the port&apos;s name is wrong</translation>
    </message>
    <message>
        <source>пользователь не входит в группу %1, которой открыт порт: sudo usermod -aG %1 $USER, затем войдите в систему заново</source>
        <translation>the user is not in the %1 group that may use the port: sudo usermod -aG %1 $USER, then log in again</translation>
    </message>
    <message>
        <source>попросите администратора открыть вашему пользователю доступ к %1</source>
        <translation>ask your administrator to give your user access to %1</translation>
    </message>
    <message>
        <source>порт занят программой %1, которая опрашивает адаптеры с AT-командами: sudo systemctl stop ModemManager или исключите этот адаптер из её опроса</source>
        <translation>held by %1, which probes adapters that speak AT commands: sudo systemctl stop ModemManager, or keep it off this adapter</translation>
    </message>
    <message>
        <source>порт занят программой %1: закройте её</source>
        <translation>held by %1: close that program</translation>
    </message>
    <message>
        <source>порт занят другой программой: закройте её</source>
        <translation>another program holds the port: close it</translation>
    </message>
    <message>
        <source>устройство пропало (отключено?)</source>
        <translation>the device went away (unplugged?)</translation>
    </message>
</context>
<context>
    <name>quillon::THexEdit</name>
    <message>
        <source>Недопустимое значение: заполните все позиции поля</source>
        <translation>Invalid value: fill every position of the field</translation>
    </message>
</context>
<context>
    <name>quillon::TLogView</name>
    <message>
        <source>Сохранить протокол…</source>
        <translation>Save log…</translation>
    </message>
    <message>
        <source>Очистить</source>
        <translation>Clear</translation>
    </message>
    <message>
        <source>Сохранить протокол</source>
        <translation>Save log</translation>
    </message>
    <message>
        <source>Текстовые файлы (*.txt *.log)</source>
        <translation>Text files (*.txt *.log)</translation>
    </message>
    <message>
        <source>Все файлы (*)</source>
        <translation>All files (*)</translation>
    </message>
    <message>
        <source>Не могу сохранить протокол в файл %1: %2</source>
        <translation>Cannot save the log to file %1: %2</translation>
    </message>
</context>
<context>
    <name>quillon::TQtColorBox</name>
    <message>
        <source>Чёрный</source>
        <translation>Black</translation>
    </message>
    <message>
        <source>Бордовый</source>
        <translation>Maroon</translation>
    </message>
    <message>
        <source>Зелёный</source>
        <translation>Green</translation>
    </message>
    <message>
        <source>Оливковый</source>
        <translation>Olive</translation>
    </message>
    <message>
        <source>Тёмно-синий</source>
        <translation>Navy</translation>
    </message>
    <message>
        <source>Пурпурный</source>
        <translation>Purple</translation>
    </message>
    <message>
        <source>Сине-зелёный</source>
        <translation>Teal</translation>
    </message>
    <message>
        <source>Серый</source>
        <translation>Gray</translation>
    </message>
    <message>
        <source>Серебристый</source>
        <translation>Silver</translation>
    </message>
    <message>
        <source>Красный</source>
        <translation>Red</translation>
    </message>
    <message>
        <source>Ярко-зелёный</source>
        <translation>Lime</translation>
    </message>
    <message>
        <source>Жёлтый</source>
        <translation>Yellow</translation>
    </message>
    <message>
        <source>Синий</source>
        <translation>Blue</translation>
    </message>
    <message>
        <source>Фуксия</source>
        <translation>Fuchsia</translation>
    </message>
    <message>
        <source>Голубой</source>
        <translation>Aqua</translation>
    </message>
    <message>
        <source>Белый</source>
        <translation>White</translation>
    </message>
    <message>
        <source>Светло-зелёный</source>
        <translation>Money green</translation>
    </message>
    <message>
        <source>Небесно-голубой</source>
        <translation>Sky blue</translation>
    </message>
    <message>
        <source>Кремовый</source>
        <translation>Cream</translation>
    </message>
    <message>
        <source>Средне-серый</source>
        <translation>Medium gray</translation>
    </message>
    <message>
        <source>Системный цвет %1</source>
        <translation>System colour %1</translation>
    </message>
    <message>
        <source>Другой: %1</source>
        <translation>Other: %1</translation>
    </message>
</context>
<context>
    <name>quillon::TQtEditorToolBar</name>
    <message>
        <source>Изменения и поиск</source>
        <translation>Changes and search</translation>
    </message>
    <message>
        <source>Только изменённые</source>
        <translation>Changed only</translation>
    </message>
    <message>
        <source>Показать только команды, значения которых отличаются от прочитанных из терминала</source>
        <translation>Show only the commands whose values differ from those read from the terminal</translation>
    </message>
    <message>
        <source>Поиск (Ctrl+F): описание, команда или значение</source>
        <translation>Search (Ctrl+F): description, command or value</translation>
    </message>
    <message>
        <source>Оставляет на страницах команды, в которых найден текст; Enter или F3 — следующее совпадение</source>
        <translation>Keeps the commands in which the text is found; Enter or F3: the next match</translation>
    </message>
    <message>
        <source>Найти…</source>
        <translation>Find…</translation>
    </message>
    <message>
        <source>Найти далее</source>
        <translation>Find next</translation>
    </message>
    <message>
        <source>Не найдено</source>
        <translation>Not found</translation>
    </message>
    <message>
        <source>Найдено: %1</source>
        <translation>Found: %1</translation>
    </message>
    <message>
        <source>%1 из %2</source>
        <translation>%1 of %2</translation>
    </message>
</context>
<context>
    <name>quillon::TQtEditorViews</name>
    <message>
        <source>На этой странице нет изменённых значений.</source>
        <translation>No changed values on this page.</translation>
    </message>
    <message>
        <source>На этой странице ничего не найдено.</source>
        <translation>Nothing found on this page.</translation>
    </message>
</context>
<context>
    <name>quillon::TQtPageTabBar</name>
    <message>
        <source>Прокрутить влево</source>
        <translation>Scroll left</translation>
    </message>
    <message>
        <source>Прокрутить вправо</source>
        <translation>Scroll right</translation>
    </message>
</context>
<context>
    <name>quillon::TQtParameterEditor</name>
    <message>
        <source>Получить</source>
        <translation>Poll</translation>
    </message>
    <message>
        <source>Применить страницу</source>
        <translation>Apply page</translation>
    </message>
    <message>
        <source>Получить страницу</source>
        <translation>Poll page</translation>
    </message>
    <message>
        <source>Применить</source>
        <translation>Apply</translation>
    </message>
    <message>
        <source>Применить все</source>
        <translation>Apply all</translation>
    </message>
    <message>
        <source>Значение не удовлетворяет маске</source>
        <translation>The value does not match the mask</translation>
    </message>
    <message>
        <source>Значение не входит заданный диапазон</source>
        <translation>The value is out of the given range</translation>
    </message>
    <message>
        <source>Значение терминала не помещается в поле и не прочитано</source>
        <translation>The terminal&apos;s value does not fit the field and was not read</translation>
    </message>
    <message>
        <source>Прочитано из терминала: %1</source>
        <translation>Read from the terminal: %1</translation>
    </message>
    <message>
        <source>Изменено: %1</source>
        <translation>Changed: %1</translation>
    </message>
    <message>
        <source>Сравнить с файлом…</source>
        <translation>Compare with file…</translation>
    </message>
    <message>
        <source>Сравнить с файлом</source>
        <translation>Compare with file</translation>
    </message>
    <message>
        <source>Не могу записать протокол в файл: %1</source>
        <translation>Cannot write the log to file: %1</translation>
    </message>
    <message>
        <source>Да</source>
        <translation>Yes</translation>
    </message>
    <message>
        <source>Нет</source>
        <translation>No</translation>
    </message>
</context>
<context>
    <name>quillon::TQtPasswordEdit</name>
    <message>
        <source>Скрыть пароль</source>
        <translation>Hide password</translation>
    </message>
    <message>
        <source>Показать пароль</source>
        <translation>Show password</translation>
    </message>
</context>
<context>
    <name>quillon::TQtPortStateLines</name>
    <message>
        <source>Идет подключение ждите</source>
        <translation>Connecting, please wait</translation>
    </message>
    <message>
        <source>Порт: %1</source>
        <translation>Port: %1</translation>
    </message>
</context>
<context>
    <name>quillon::TQtSessionUi</name>
    <message>
        <source>Ошибка передачи данных</source>
        <translation>Data transfer error</translation>
    </message>
    <message>
        <source>Повторить попытку?</source>
        <translation>Try again?</translation>
    </message>
    <message>
        <source>CMD</source>
        <translation>CMD</translation>
    </message>
    <message>
        <source>LINK</source>
        <translation>LINK</translation>
    </message>
</context>
<context>
    <name>quillon::TStatusTexts</name>
    <message>
        <source>Активно</source>
        <translation>Active</translation>
    </message>
    <message>
        <source>Не активно</source>
        <translation>Not active</translation>
    </message>
    <message>
        <source>Разомкнуто</source>
        <translation>Open</translation>
    </message>
    <message>
        <source>Замкнуто</source>
        <translation>Closed</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>Ошибка</source>
        <translation>Error</translation>
    </message>
    <message>
        <source>Зафиксирована</source>
        <translation>Detected</translation>
    </message>
    <message>
        <source>В движении</source>
        <translation>Moving</translation>
    </message>
    <message>
        <source>Включено</source>
        <translation>On</translation>
    </message>
    <message>
        <source>Выключено</source>
        <translation>Off</translation>
    </message>
    <message>
        <source>Активна</source>
        <translation>Enabled</translation>
    </message>
    <message>
        <source>Неактивна</source>
        <translation>Disabled</translation>
    </message>
    <message>
        <source>Заморожены</source>
        <translation>Frozen</translation>
    </message>
    <message>
        <source>Не заморожены</source>
        <translation>Not frozen</translation>
    </message>
    <message>
        <source>Домашняя сеть</source>
        <translation>Home network</translation>
    </message>
    <message>
        <source>Роуминг</source>
        <translation>Roaming</translation>
    </message>
    <message>
        <source>Нет регистрации</source>
        <translation>Not registered</translation>
    </message>
    <message>
        <source>SIM не готова</source>
        <translation>SIM not ready</translation>
    </message>
    <message>
        <source>Требуется PIN</source>
        <translation>PIN required</translation>
    </message>
    <message>
        <source>Требуется PUK</source>
        <translation>PUK required</translation>
    </message>
    <message>
        <source>Ошибка SIM</source>
        <translation>SIM error</translation>
    </message>
    <message>
        <source>Подключение</source>
        <translation>Connecting</translation>
    </message>
    <message>
        <source>Закрытие</source>
        <translation>Closing</translation>
    </message>
    <message>
        <source>Подключено</source>
        <translation>Connected</translation>
    </message>
</context>
<context>
    <name>quillon::TSystemColors</name>
    <message>
        <source>Полоса прокрутки</source>
        <translation>Scroll bar</translation>
    </message>
    <message>
        <source>Рабочий стол</source>
        <translation>Desktop</translation>
    </message>
    <message>
        <source>Заголовок активного окна</source>
        <translation>Active title bar</translation>
    </message>
    <message>
        <source>Заголовок неактивного окна</source>
        <translation>Inactive title bar</translation>
    </message>
    <message>
        <source>Меню</source>
        <translation>Menu</translation>
    </message>
    <message>
        <source>Окно</source>
        <translation>Window</translation>
    </message>
    <message>
        <source>Рамка окна</source>
        <translation>Window frame</translation>
    </message>
    <message>
        <source>Текст меню</source>
        <translation>Menu text</translation>
    </message>
    <message>
        <source>Текст окна</source>
        <translation>Window text</translation>
    </message>
    <message>
        <source>Текст заголовка</source>
        <translation>Title bar text</translation>
    </message>
    <message>
        <source>Граница активного окна</source>
        <translation>Active border</translation>
    </message>
    <message>
        <source>Граница неактивного окна</source>
        <translation>Inactive border</translation>
    </message>
    <message>
        <source>Фон приложения</source>
        <translation>Application background</translation>
    </message>
    <message>
        <source>Выделение</source>
        <translation>Highlight</translation>
    </message>
    <message>
        <source>Текст выделения</source>
        <translation>Highlighted text</translation>
    </message>
    <message>
        <source>Поверхность кнопки</source>
        <translation>Button face</translation>
    </message>
    <message>
        <source>Тень кнопки</source>
        <translation>Button shadow</translation>
    </message>
    <message>
        <source>Недоступный текст</source>
        <translation>Disabled text</translation>
    </message>
    <message>
        <source>Текст кнопки</source>
        <translation>Button text</translation>
    </message>
    <message>
        <source>Текст неактивного заголовка</source>
        <translation>Inactive title text</translation>
    </message>
    <message>
        <source>Блик кнопки</source>
        <translation>Button highlight</translation>
    </message>
    <message>
        <source>Тёмная тень</source>
        <translation>Dark shadow</translation>
    </message>
    <message>
        <source>Светлая грань</source>
        <translation>Light edge</translation>
    </message>
    <message>
        <source>Текст подсказки</source>
        <translation>Tooltip text</translation>
    </message>
    <message>
        <source>Фон подсказки</source>
        <translation>Tooltip background</translation>
    </message>
    <message>
        <source>Ссылка</source>
        <translation>Hyperlink</translation>
    </message>
    <message>
        <source>Градиент активного заголовка</source>
        <translation>Active title gradient</translation>
    </message>
    <message>
        <source>Градиент неактивного заголовка</source>
        <translation>Inactive title gradient</translation>
    </message>
    <message>
        <source>Выделение меню</source>
        <translation>Menu highlight</translation>
    </message>
    <message>
        <source>Строка меню</source>
        <translation>Menu bar</translation>
    </message>
</context>
<context>
    <name>quillon::TfmConfigCompare</name>
    <message>
        <source>Сравнение с файлом %1</source>
        <translation>Comparison with file %1</translation>
    </message>
    <message>
        <source>Параметр</source>
        <translation>Parameter</translation>
    </message>
    <message>
        <source>Описание</source>
        <translation>Description</translation>
    </message>
    <message>
        <source>В редакторе</source>
        <translation>In the editor</translation>
    </message>
    <message>
        <source>В файле</source>
        <translation>In the file</translation>
    </message>
    <message>
        <source>Взять все значения файла</source>
        <translation>Take all of the file&apos;s values</translation>
    </message>
    <message>
        <source>Закрыть</source>
        <translation>Close</translation>
    </message>
    <message>
        <source>(нет)</source>
        <translation>(none)</translation>
    </message>
    <message>
        <source>включён</source>
        <translation>on</translation>
    </message>
    <message>
        <source>выключен</source>
        <translation>off</translation>
    </message>
    <message>
        <source> (выключатель)</source>
        <translation> (switch)</translation>
    </message>
    <message>
        <source>Взято</source>
        <translation>Taken</translation>
    </message>
    <message>
        <source>Взять из файла</source>
        <translation>Take from file</translation>
    </message>
    <message>
        <source>Значения этой команды не берутся из файла: она не записывается в терминал из файла</source>
        <translation>This command&apos;s values are not taken from a file: it is not written to the terminal from a file</translation>
    </message>
    <message>
        <source>Значения файла совпадают со значениями редактора.</source>
        <translation>The file&apos;s values match the editor&apos;s.</translation>
    </message>
    <message>
        <source>Различий: %1, взято из файла: %2.</source>
        <translation>Differences: %1, taken from the file: %2.</translation>
    </message>
</context>
<context>
    <name>quillon::TfmDeviceInfo</name>
    <message>
        <source>Состояние устройства</source>
        <translation>Device status</translation>
    </message>
    <message>
        <source>Подключение</source>
        <translation>Connection</translation>
    </message>
    <message>
        <source>COM-порт</source>
        <translation>COM port</translation>
    </message>
    <message>
        <source>Скорость порта</source>
        <translation>Port speed</translation>
    </message>
    <message>
        <source>Командный режим</source>
        <translation>Command mode</translation>
    </message>
    <message>
        <source>Устройство</source>
        <translation>Device</translation>
    </message>
    <message>
        <source>Модель</source>
        <translation>Model</translation>
    </message>
    <message>
        <source>ID блока</source>
        <translation>Unit ID</translation>
    </message>
    <message>
        <source>IMEI</source>
        <translation>IMEI</translation>
    </message>
    <message>
        <source>Версия ПО</source>
        <translation>Firmware version</translation>
    </message>
    <message>
        <source>Время работы</source>
        <translation>Uptime</translation>
    </message>
    <message>
        <source>GSM</source>
        <translation>GSM</translation>
    </message>
    <message>
        <source>Регистрация в сети</source>
        <translation>Network registration</translation>
    </message>
    <message>
        <source>GPRS</source>
        <translation>GPRS</translation>
    </message>
    <message>
        <source>Соединение с сервером</source>
        <translation>Server connection</translation>
    </message>
    <message>
        <source>Оператор</source>
        <translation>Operator</translation>
    </message>
    <message>
        <source>Уровень сигнала</source>
        <translation>Signal level</translation>
    </message>
    <message>
        <source>Активный сервер</source>
        <translation>Active server</translation>
    </message>
    <message>
        <source>Точка доступа</source>
        <translation>Access point</translation>
    </message>
    <message>
        <source>Состояние памяти</source>
        <translation>Memory</translation>
    </message>
    <message>
        <source>Указатель чтения</source>
        <translation>Read pointer</translation>
    </message>
    <message>
        <source>Указатель записи</source>
        <translation>Write pointer</translation>
    </message>
    <message>
        <source>Объем памяти</source>
        <translation>Memory size</translation>
    </message>
    <message>
        <source>Занято памяти, байт</source>
        <translation>Memory used, bytes</translation>
    </message>
    <message>
        <source>Занято памяти, %</source>
        <translation>Memory used, %</translation>
    </message>
    <message>
        <source>Слотов отправки</source>
        <translation>Send slots</translation>
    </message>
    <message>
        <source>Слотов свободно</source>
        <translation>Free slots</translation>
    </message>
    <message>
        <source>Переполнение памяти, возможна потеря данных</source>
        <translation>Memory overflow, data may be lost</translation>
    </message>
    <message>
        <source>Датчики</source>
        <translation>Sensors</translation>
    </message>
    <message>
        <source>Дискретные</source>
        <translation>Digital</translation>
    </message>
    <message>
        <source>Вход 1, частота</source>
        <translation>Input 1, frequency</translation>
    </message>
    <message>
        <source>Вход 1, счетчик</source>
        <translation>Input 1, counter</translation>
    </message>
    <message>
        <source>Вход 2, частота</source>
        <translation>Input 2, frequency</translation>
    </message>
    <message>
        <source>Вход 2, счетчик</source>
        <translation>Input 2, counter</translation>
    </message>
    <message>
        <source>Вход 3, счетчик</source>
        <translation>Input 3, counter</translation>
    </message>
    <message>
        <source>Реле 1</source>
        <translation>Relay 1</translation>
    </message>
    <message>
        <source>Дискретный</source>
        <translation>Digital</translation>
    </message>
    <message>
        <source>Остановка по акселерометру</source>
        <translation>Stop by accelerometer</translation>
    </message>
    <message>
        <source>Зажигание</source>
        <translation>Ignition</translation>
    </message>
    <message>
        <source>Аналоговые</source>
        <translation>Analog</translation>
    </message>
    <message>
        <source>Аналоговый вход 1</source>
        <translation>Analog input 1</translation>
    </message>
    <message>
        <source>Напряжение питания</source>
        <translation>Supply voltage</translation>
    </message>
    <message>
        <source>Напряжение на аккумуляторе</source>
        <translation>Battery voltage</translation>
    </message>
    <message>
        <source>Температура</source>
        <translation>Temperature</translation>
    </message>
    <message>
        <source>Акселерометр</source>
        <translation>Accelerometer</translation>
    </message>
    <message>
        <source>X</source>
        <translation>X</translation>
    </message>
    <message>
        <source>Y</source>
        <translation>Y</translation>
    </message>
    <message>
        <source>Z</source>
        <translation>Z</translation>
    </message>
    <message>
        <source>Счетчик спящего режима</source>
        <translation>Sleep mode counter</translation>
    </message>
    <message>
        <source>Навигация</source>
        <translation>Navigation</translation>
    </message>
    <message>
        <source>Широта</source>
        <translation>Latitude</translation>
    </message>
    <message>
        <source>Долгота</source>
        <translation>Longitude</translation>
    </message>
    <message>
        <source>Скорость</source>
        <translation>Speed</translation>
    </message>
    <message>
        <source>Высота</source>
        <translation>Altitude</translation>
    </message>
    <message>
        <source>Спутники</source>
        <translation>Satellites</translation>
    </message>
    <message>
        <source>Захват</source>
        <translation>Fix</translation>
    </message>
    <message>
        <source>Азимут</source>
        <translation>Azimuth</translation>
    </message>
    <message>
        <source>Дата (GPS)</source>
        <translation>Date (GPS)</translation>
    </message>
    <message>
        <source>Время (GPS)</source>
        <translation>Time (GPS)</translation>
    </message>
    <message>
        <source>Заморозка координат по акселерометру</source>
        <translation>Freeze coordinates by accelerometer</translation>
    </message>
    <message>
        <source>Заморозка координат по зажиганию</source>
        <translation>Freeze coordinates by ignition</translation>
    </message>
    <message>
        <source>Координаты заморожены</source>
        <translation>Coordinates frozen</translation>
    </message>
    <message>
        <source>Статус</source>
        <translation>Status</translation>
    </message>
    <message>
        <source>Flash-память</source>
        <translation>Flash memory</translation>
    </message>
    <message>
        <source>FlashID</source>
        <translation>FlashID</translation>
    </message>
    <message>
        <source>GPS/GLONASS</source>
        <translation>GPS/GLONASS</translation>
    </message>
    <message>
        <source>GSM-модем</source>
        <translation>GSM modem</translation>
    </message>
    <message>
        <source>SIM-статус</source>
        <translation>SIM status</translation>
    </message>
    <message>
        <source>Начать обмен</source>
        <translation>Start exchange</translation>
    </message>
    <message>
        <source>Остановить</source>
        <translation>Stop</translation>
    </message>
    <message>
        <source>Закрыть</source>
        <translation>Close</translation>
    </message>
    <message>
        <source>Показать на карте</source>
        <translation>Show on map</translation>
    </message>
    <message>
        <source>Адрес сервиса карт не задан: параметр MapHost в разделе [Interface] файла настроек</source>
        <translation>No map service address is set: MapHost in section [Interface] of the settings file</translation>
    </message>
</context>
<context>
    <name>quillon::TfmDeviceReconnect</name>
    <message>
        <source>Ожидание устройства</source>
        <translation>Waiting for the device</translation>
    </message>
    <message>
        <source>Повторить</source>
        <translation>Retry</translation>
    </message>
    <message>
        <source>Остановить</source>
        <translation>Stop</translation>
    </message>
    <message>
        <source>Подключение через %1</source>
        <translation>Connecting in %1</translation>
    </message>
    <message>
        <source>Повторные попытки не помогут, пока нет доступа к порту: откройте доступ и нажмите «Повторить»</source>
        <translation>Trying again will not help while the port cannot be accessed: grant access, then press Retry</translation>
    </message>
</context>
<context>
    <name>quillon::TfmMain</name>
    <message>
        <source>Программное обеспечение для настройки Veltra</source>
        <translation>Veltra configuration software</translation>
    </message>
    <message>
        <source>Файл</source>
        <translation>File</translation>
    </message>
    <message>
        <source>Загрузить конфигурацию из файла</source>
        <translation>Load configuration from file</translation>
    </message>
    <message>
        <source>Сохранить конфигурацию в файл</source>
        <translation>Save configuration to file</translation>
    </message>
    <message>
        <source>Выход</source>
        <translation>Exit</translation>
    </message>
    <message>
        <source>Связь</source>
        <translation>Connection</translation>
    </message>
    <message>
        <source>Параметры связи с терминалом...</source>
        <translation>Connection settings...</translation>
    </message>
    <message>
        <source>Установить связь с терминалом</source>
        <translation>Connect to the terminal</translation>
    </message>
    <message>
        <source>Сохранить настройки в энергонезависимой памяти</source>
        <translation>Store settings in non-volatile memory</translation>
    </message>
    <message>
        <source>Состояние устройства</source>
        <translation>Device status</translation>
    </message>
    <message>
        <source>Выйти из командного режима</source>
        <translation>Leave command mode</translation>
    </message>
    <message>
        <source>О программе</source>
        <translation>About</translation>
    </message>
    <message>
        <source>Протокол</source>
        <translation>Log</translation>
    </message>
    <message>
        <source>Файлы настроек (*.zxml)</source>
        <translation>Configuration files (*.zxml)</translation>
    </message>
    <message>
        <source>Все файлы (*)</source>
        <translation>All files (*)</translation>
    </message>
    <message>
        <source>✓ OK</source>
        <translation>✓ OK</translation>
    </message>
    <message>
        <source>Конфигурация сохранена в файл %1</source>
        <translation>Configuration saved to file %1</translation>
    </message>
    <message>
        <source>Конфигурация загружена из файла %1</source>
        <translation>Configuration loaded from file %1</translation>
    </message>
    <message>
        <source>Изменено: %1</source>
        <translation>Changed: %1</translation>
    </message>
    <message>
        <source>Сравнить с файлом…</source>
        <translation>Compare with file…</translation>
    </message>
    <message>
        <source>Сравнить с файлом</source>
        <translation>Compare with file</translation>
    </message>
    <message>
        <source>Применить изменённые</source>
        <translation>Apply changed</translation>
    </message>
    <message>
        <source>Записать в терминал только команды, значения которых отличаются от прочитанных</source>
        <translation>Write to the terminal only the commands whose values differ from those read</translation>
    </message>
    <message>
        <source>Правка</source>
        <translation>Edit</translation>
    </message>
    <message>
        <source>%1: изменения не записаны, команда не входит в групповую запись</source>
        <translation>%1: changes not written, the command is not written in group runs</translation>
    </message>
    <message>
        <source>и ещё %1</source>
        <translation>and %1 more</translation>
    </message>
    <message>
        <source>Значения по умолчанию из профиля, не прочитанные из терминала, будут записаны в команды (%1): %2.</source>
        <translation>Profile defaults never read from the terminal would be written to these commands (%1): %2.</translation>
    </message>
    <message>
        <source>Записать их?</source>
        <translation>Write them?</translation>
    </message>
    <message>
        <source>Записать их, сначала получить значения из терминала (введённое вами останется) или отменить запись?</source>
        <translation>Write them, read the values from the terminal first (what you typed stays), or cancel?</translation>
    </message>
    <message>
        <source>Записать</source>
        <translation>Write</translation>
    </message>
    <message>
        <source>Сначала получить</source>
        <translation>Read first</translation>
    </message>
    <message>
        <source>Отмена</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>Не могу записать протокол в файл: %1</source>
        <translation>Cannot write the log to file: %1</translation>
    </message>
    <message>
        <source>Не записано (см. протокол)</source>
        <translation>Nothing written (see the log)</translation>
    </message>
    <message>
        <source>Записано: %1, не совпало: %2 (см. протокол)</source>
        <translation>Written: %1, not matching: %2 (see the log)</translation>
    </message>
    <message>
        <source>Записано: %1, запись прервана (см. протокол)</source>
        <translation>Written: %1, writing stopped (see the log)</translation>
    </message>
    <message>
        <source>Записано и проверено: %1</source>
        <translation>Written and verified: %1</translation>
    </message>
    <message>
        <source>Записано: %1, проверено: %2</source>
        <translation>Written: %1, verified: %2</translation>
    </message>
    <message>
        <source>Терминал в командном режиме. Выйти из командного режима перед завершением программы?</source>
        <translation>The terminal is in command mode. Leave command mode before the program ends?</translation>
    </message>
    <message>
        <source>Трекер, оставленный в командном режиме, не передаёт данные.</source>
        <translation>A tracker left in command mode does not report.</translation>
    </message>
    <message>
        <source>Да</source>
        <translation>Yes</translation>
    </message>
    <message>
        <source>Нет</source>
        <translation>No</translation>
    </message>
    <message>
        <source>Не удалось выйти из командного режима: терминал остался в нём</source>
        <translation>Could not leave command mode: the terminal stays in it</translation>
    </message>
    <message>
        <source>Настройки сохранены в памяти терминала</source>
        <translation>Settings stored in the terminal&apos;s memory</translation>
    </message>
    <message>
        <source>Настройки не сохранены (см. протокол)</source>
        <translation>Settings not stored (see the log)</translation>
    </message>
    <message>
        <source>Получить страницу</source>
        <translation>Poll page</translation>
    </message>
    <message>
        <source>Прочитать из терминала все команды открытой страницы (F5)</source>
        <translation>Read every command of the page shown from the terminal (F5)</translation>
    </message>
    <message>
        <source>Получить всё</source>
        <translation>Poll all</translation>
    </message>
    <message>
        <source>Прочитать из терминала все команды всех включённых страниц, одну за другой (Ctrl+F5)</source>
        <translation>Read every command of every enabled page from the terminal, one page after the other (Ctrl+F5)</translation>
    </message>
    <message>
        <source>Страница «%1» отключена в настройках, она не читается</source>
        <translation>Page &quot;%1&quot; is disabled in the settings; it is not read</translation>
    </message>
</context>
<context>
    <name>quillon::TfmSettings</name>
    <message>
        <source>Русский</source>
        <translation>Russian</translation>
    </message>
    <message>
        <source>English</source>
        <translation>English</translation>
    </message>
    <message>
        <source>мс</source>
        <translation>ms</translation>
    </message>
    <message>
        <source>Настройки программы</source>
        <translation>Program settings</translation>
    </message>
    <message>
        <source>Отмена</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>Применить</source>
        <translation>Apply</translation>
    </message>
    <message>
        <source>Последовательный порт терминала: выберите из списка или впишите имя; порт в сети — tcp://УЗЕЛ:ПОРТ или rfc2217://УЗЕЛ:ПОРТ</source>
        <translation>The terminal&apos;s serial port: pick one from the list or type its name; a port on the network is tcp://HOST:PORT or rfc2217://HOST:PORT</translation>
    </message>
    <message>
        <source>Порт в сети</source>
        <translation>Network port</translation>
    </message>
    <message>
        <source>Неверный адрес порта %1: %2</source>
        <translation>Bad port address %1: %2</translation>
    </message>
    <message>
        <source>COM-порт:</source>
        <translation>COM port:</translation>
    </message>
    <message>
        <source>Скорость порта</source>
        <translation>Port speed</translation>
    </message>
    <message>
        <source>Пароль связи</source>
        <translation>Password</translation>
    </message>
    <message>
        <source>Мастер-пароль</source>
        <translation>Master password</translation>
    </message>
    <message>
        <source>Таймаут общий</source>
        <translation>Total time-out</translation>
    </message>
    <message>
        <source>Таймаут межсимвольный</source>
        <translation>Inter-character time-out</translation>
    </message>
    <message>
        <source>Таймаут &quot;эхо&quot;</source>
        <translation>&quot;Echo&quot; time-out</translation>
    </message>
    <message>
        <source>Цвета протокола</source>
        <translation>Log colours</translation>
    </message>
    <message>
        <source>Чтение</source>
        <translation>Read</translation>
    </message>
    <message>
        <source>Запись</source>
        <translation>Write</translation>
    </message>
    <message>
        <source>Ошибка чтения</source>
        <translation>Read error</translation>
    </message>
    <message>
        <source>Ошибка записи</source>
        <translation>Write error</translation>
    </message>
    <message>
        <source>Прочее</source>
        <translation>Other</translation>
    </message>
    <message>
        <source>Активные вкладки</source>
        <translation>Active pages</translation>
    </message>
    <message>
        <source>Стандартный</source>
        <translation>Standard</translation>
    </message>
    <message>
        <source>Быстрый</source>
        <translation>Fast</translation>
    </message>
    <message>
        <source>Язык интерфейса меняется при следующем запуске программы</source>
        <translation>The interface language changes at the next start of the program</translation>
    </message>
    <message>
        <source>Количество повторов команд</source>
        <translation>Command retry count</translation>
    </message>
    <message>
        <source>Вход в командный режим</source>
        <translation>Entering command mode</translation>
    </message>
    <message>
        <source>Язык:</source>
        <translation>Language:</translation>
    </message>
    <message>
        <source>Контроль порта</source>
        <translation>Watch the port</translation>
    </message>
    <message>
        <source>Быстрый приём ответов</source>
        <translation>Fast answers</translation>
    </message>
    <message>
        <source>Ответ терминала считается полным, как только пришло его приглашение &quot;&gt;&quot;</source>
        <translation>An answer of the terminal counts as complete as soon as its &quot;&gt;&quot; prompt has arrived</translation>
    </message>
    <message>
        <source>Записывать протокол в файл</source>
        <translation>Write the log to a file</translation>
    </message>
    <message>
        <source>Каждая строка протокола пишется также в quillon-session.log рядом с файлом настроек</source>
        <translation>Every log line is also written to quillon-session.log beside the settings file</translation>
    </message>
    <message>
        <source>Адрес сервера карт без &quot;http://&quot;; пусто — кнопка карты в окне состояния недоступна</source>
        <translation>Map server address without &quot;http://&quot;; empty: the map button in the status window is unavailable</translation>
    </message>
    <message>
        <source>Сервер карт:</source>
        <translation>Map server:</translation>
    </message>
    <message>
        <source>Отладка-послать команду</source>
        <translation>Debug - send a command</translation>
    </message>
    <message>
        <source>Послать команду</source>
        <translation>Send command</translation>
    </message>
    <message>
        <source>В этом запуске используется порт %1, заданный при запуске программы.</source>
        <translation>This run uses port %1, given when the program was started.</translation>
    </message>
    <message>
        <source>В этом запуске используются пароли, заданные при запуске программы.</source>
        <translation>This run uses the passwords given when the program was started.</translation>
    </message>
    <message>
        <source>Здесь показаны значения из файла настроек; если их не менять, это останется в силе до конца работы.</source>
        <translation>The values shown here are those of the settings file; left unchanged, the overrides stay in force until the program ends.</translation>
    </message>
    <message>
        <source>Unable to write to %1</source>
        <translation>Unable to write to %1</translation>
    </message>
</context>
<context>
    <name>quillon::TfmWaitingData</name>
    <message>
        <source>Установка связи</source>
        <translation>Connecting</translation>
    </message>
    <message>
        <source>Остановить</source>
        <translation>Stop</translation>
    </message>
    <message>
        <source>Попытка %1</source>
        <translation>Try %1</translation>
    </message>
</context>
</TS>
