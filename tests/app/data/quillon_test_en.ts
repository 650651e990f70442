<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en_US" sourcelanguage="ru_RU">
<context>
    <name>quillon::TfmMain</name>
    <message>
        <source>Выход</source>
        <translation>Exit</translation>
    </message>
    <message>
        <source>Файл</source>
        <translation>File</translation>
    </message>
</context>
<context>
    <name>quillon::TfmDeviceInfo</name>
    <message>
        <source>Состояние устройства</source>
        <translation>Device status</translation>
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
        <source>Подключено</source>
        <translation>Connected</translation>
    </message>
    <message>
        <source>Разомкнуто</source>
        <translation>Open</translation>
    </message>
</context>
</TS>
