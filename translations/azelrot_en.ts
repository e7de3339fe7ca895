<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en" sourcelanguage="ja">
<context>
    <name>Form3</name>
    <message>
        <source>バージョン情報</source>
        <translation>Version</translation>
    </message>
    <message>
        <source>プログラム名称</source>
        <translation>Program name</translation>
    </message>
    <message>
        <source>ＡＺＥＬＲＯＴ</source>
        <translation>AZELROT</translation>
    </message>
    <message>
        <source>プログラムバージョン</source>
        <translation>Program version</translation>
    </message>
    <message>
        <source>バージョン&#x3000;</source>
        <translation>Version</translation>
    </message>
    <message>
        <source>ｖ2．00</source>
        <translation>v2.00</translation>
    </message>
    <message>
        <source>免責事項</source>
        <translation>Disclaimer</translation>
    </message>
    <message>
        <source>免責：このプログラムの使用により発生したいかなる問題や損害に対して、当方は一切責任を負いません。利用者の責任においてご利用願います。</source>
        <translation>Disclaimer: we accept no responsibility whatsoever for any problem or damage arising from the use of this program. Use it at your own risk.</translation>
    </message>
    <message>
        <source>閉じる</source>
        <translation>Close</translation>
    </message>
</context>
</TS>
