<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en" sourcelanguage="ja">
<context>
    <name>Form1</name>
    <message>
        <source>ＡＺＥＬＲＯＴ&#x3000;v2.00</source>
        <translation>AZELROT v2.00</translation>
    </message>
    <message>
        <source>クリックして設定位置を決定します</source>
        <translation>Click to pick the target position</translation>
    </message>
    <message>
        <source>ＯＲＢＸに連動してアンテナ制御を行います</source>
        <translation>Controls the antenna together with ORBX</translation>
    </message>
    <message>
        <source>クリック前にレーダ画面に位置を決定しておいてください</source>
        <translation>Pick a position on the radar before clicking</translation>
    </message>
    <message>
        <source>プログラムの終了</source>
        <translation>Exit the program</translation>
    </message>
    <message>
        <source>設定</source>
        <translation>Settings</translation>
    </message>
    <message>
        <source>環境設定</source>
        <translation>Preferences</translation>
    </message>
    <message>
        <source>ヘルプ</source>
        <translation>Help</translation>
    </message>
    <message>
        <source>ＤＥＢＵＧ</source>
        <translation>DEBUG</translation>
    </message>
    <message>
        <source>ＯＮ</source>
        <translation>ON</translation>
    </message>
    <message>
        <source>ＯＦＦ</source>
        <translation>OFF</translation>
    </message>
    <message>
        <source>バージョン</source>
        <translation>Version</translation>
    </message>
    <message>
        <source>動作状態</source>
        <translation>Operating state</translation>
    </message>
    <message>
        <source>ＯＲＢＸ連動</source>
        <translation>ORBX link</translation>
    </message>
    <message>
        <source>手動操作</source>
        <translation>Manual</translation>
    </message>
    <message>
        <source>接続</source>
        <translation>Connection</translation>
    </message>
    <message>
        <source>RS232C接続</source>
        <translation>RS-232C</translation>
    </message>
    <message>
        <source>ＰＩＣＮＩＣ接続＋ＲＳ２３２Ｃ</source>
        <translation>PICNIC + RS-232C</translation>
    </message>
    <message>
        <source>追跡対象</source>
        <translation>Target</translation>
    </message>
    <message>
        <source>人工衛星</source>
        <translation>Satellite</translation>
    </message>
    <message>
        <source>月</source>
        <translation>Moon</translation>
    </message>
    <message>
        <source>方位 </source>
        <translation>Az </translation>
    </message>
    <message>
        <source>仰角</source>
        <translation>El</translation>
    </message>
    <message>
        <source>送信コマンド</source>
        <translation>Commands sent</translation>
    </message>
    <message>
        <source>アンテナ情報</source>
        <translation>Antenna</translation>
    </message>
    <message>
        <source>自動追尾開始</source>
        <translation>Start tracking</translation>
    </message>
    <message>
        <source>手動開始</source>
        <translation>Start manual</translation>
    </message>
    <message>
        <source>終了</source>
        <translation>Exit</translation>
    </message>
    <message>
        <source>パーク位置の設定が正しくありません：%1</source>
        <translation>The park position setting is not valid: %1</translation>
    </message>
    <message>
        <source>操作</source>
        <translation>Operate</translation>
    </message>
    <message>
        <source>停止</source>
        <translation>Stop</translation>
    </message>
    <message>
        <source>パーク</source>
        <translation>Park</translation>
    </message>
    <message>
        <source>方位指定…</source>
        <translation>Go to heading…</translation>
    </message>
    <message>
        <source>プリセット</source>
        <translation>Presets</translation>
    </message>
    <message>
        <source>%1&#x3000;（%2°, %3°）</source>
        <translation>%1 (%2°, %3°)</translation>
    </message>
    <message>
        <source>環境設定の画面を閉じてから操作してください</source>
        <translation>Close the Preferences window first.</translation>
    </message>
    <message>
        <source>自動追跡中です！！</source>
        <translation>Automatic tracking is running!</translation>
    </message>
    <message>
        <source>ＯＲＢＸが起動していません。ＯＲＢＸを起動してください</source>
        <translation>ORBX is not running. Please start ORBX.</translation>
    </message>
    <message>
        <source>すでに手動で追跡中です！！&#x3000;中止してから再度指定してください。</source>
        <translation>A manual move is already running! Stop it, then pick again.</translation>
    </message>
    <message>
        <source>ＰＩＣＮＩＣが起動していない可能性があります。電源を入れてください</source>
        <translation>The PICNIC board may not be running. Please switch it on.</translation>
    </message>
    <message>
        <source>既定の設定で起動します。このファイルには書き込みません。</source>
        <translation>Starting with the default settings; this file will not be written.</translation>
    </message>
    <message>
        <source>設定ファイル azelrot.ini が通常のファイルではないため読み込みません。</source>
        <translation>The settings file azelrot.ini is not a regular file, so it is not read. </translation>
    </message>
    <message>
        <source>設定ファイル azelrot.ini が１ＭＢを超えているため読み込みません。</source>
        <translation>The settings file azelrot.ini is larger than 1 MB, so it is not read. </translation>
    </message>
    <message>
        <source>既に起動されています。</source>
        <translation>azelrot is already running.</translation>
    </message>
    <message>
        <source>手動中止</source>
        <translation>Stop manual</translation>
    </message>
    <message>
        <source>自動追尾終了</source>
        <translation>End tracking</translation>
    </message>
    <message>
        <source>移動場所を指定してください</source>
        <translation>Pick where to move on the radar first.</translation>
    </message>
    <message>
        <source>ＣＯＭポート のオープンができませんでした。</source>
        <translation>Could not open the COM port.</translation>
    </message>
    <message>
        <source>古い値</source>
        <translation>stale value</translation>
    </message>
    <message>
        <source>追尾ソフトから５秒以上届いていない値です</source>
        <translation>No value from the tracking program for more than 5 seconds</translation>
    </message>
    <message>
        <source>移動先の角度が範囲外です</source>
        <translation>The target angles are out of range</translation>
    </message>
</context>
<context>
    <name>Form2</name>
    <message>
        <source>ＡＺＥＬＲＯＴ設定</source>
        <translation>AZELROT Settings</translation>
    </message>
    <message>
        <source>基点は北で固定</source>
        <translation>The base point is fixed at north</translation>
    </message>
    <message>
        <source>ＰＣのＲＳ２３２Ｃのポート設定</source>
        <translation>The PC&apos;s RS-232C port</translation>
    </message>
    <message>
        <source>ＰＩＣＮＩＣのＩＰアドレスの設定</source>
        <translation>The PICNIC board&apos;s IP address</translation>
    </message>
    <message>
        <source>基点設定</source>
        <translation>Base point</translation>
    </message>
    <message>
        <source>北</source>
        <translation>North</translation>
    </message>
    <message>
        <source>南</source>
        <translation>South</translation>
    </message>
    <message>
        <source>処理時間間隔</source>
        <translation>Interval</translation>
    </message>
    <message>
        <source>秒</source>
        <translation>s</translation>
    </message>
    <message>
        <source>接続設定</source>
        <translation>Connection</translation>
    </message>
    <message>
        <source>ＯＲＢＸによる制御ＯＮ</source>
        <translation>Control by ORBX</translation>
    </message>
    <message>
        <source>ＯＲＢＸを起動して連動動作する</source>
        <translation>Start ORBX and work together with it</translation>
    </message>
    <message>
        <source>ＲＳ２３２Ｃ接続</source>
        <translation>RS-232C connection</translation>
    </message>
    <message>
        <source>ＰＣのＲＳ２３２Ｃ接続で制御</source>
        <translation>Control through the PC&apos;s RS-232C port</translation>
    </message>
    <message>
        <source>ＰＩＣＮＩＣ経由のＲＳ２３２Ｃ接続</source>
        <translation>RS-232C through PICNIC</translation>
    </message>
    <message>
        <source>ＰＩＣＮＩＣに実装されているＲＳ２３２Ｃで制御</source>
        <translation>Control through the RS-232C port of the PICNIC board</translation>
    </message>
    <message>
        <source>ＰＯＲＴ設定</source>
        <translation>Port</translation>
    </message>
    <message>
        <source>PICNICのＩＰアドレス</source>
        <translation>PICNIC IP address</translation>
    </message>
    <message>
        <source>登録終了</source>
        <translation>Save</translation>
    </message>
    <message>
        <source>プログラムの再起動を行ってください</source>
        <translation>The program must then be restarted</translation>
    </message>
    <message>
        <source>水平ローテータの０度のオフセットの設定</source>
        <translation>Sets the azimuth rotator&apos;s 0° offset</translation>
    </message>
    <message>
        <source>水平オフセット調整</source>
        <translation>Azimuth offset</translation>
    </message>
    <message>
        <source>調整開始</source>
        <translation>Start</translation>
    </message>
    <message>
        <source>水平ローテータの最大角の設定</source>
        <translation>Sets the azimuth rotator&apos;s maximum angle</translation>
    </message>
    <message>
        <source>水平フルスケール</source>
        <translation>Azimuth full scale</translation>
    </message>
    <message>
        <source>Ｐ４５</source>
        <translation>P45</translation>
    </message>
    <message>
        <source>水平ローテータの最大角の設定（最大角４５０度）</source>
        <translation>Sets the azimuth rotator&apos;s maximum angle (450°)</translation>
    </message>
    <message>
        <source>Ｐ３６</source>
        <translation>P36</translation>
    </message>
    <message>
        <source>水平ローテータの最大角の設定（最大角３６０度）</source>
        <translation>Sets the azimuth rotator&apos;s maximum angle (360°)</translation>
    </message>
    <message>
        <source>Ｆ</source>
        <translation>F</translation>
    </message>
    <message>
        <source>仰角ローテータの０度の設定</source>
        <translation>Sets the elevation rotator&apos;s 0°</translation>
    </message>
    <message>
        <source>仰角オフセット</source>
        <translation>Elevation offset</translation>
    </message>
    <message>
        <source>ＹＥＳ</source>
        <translation>YES</translation>
    </message>
    <message>
        <source>ＮＯ</source>
        <translation>NO</translation>
    </message>
    <message>
        <source>仰角と水平ローテータの最大角の設定</source>
        <translation>Sets the maximum angles of the elevation and azimuth rotators</translation>
    </message>
    <message>
        <source>水平／ 仰角フルスケール</source>
        <translation>Azimuth / elevation full scale</translation>
    </message>
    <message>
        <source>Ｆ２</source>
        <translation>F2</translation>
    </message>
    <message>
        <source>水平ローテータを反時計方向（０度）に回転させて停止するまで移動させてください</source>
        <translation>Turn the azimuth rotator counter-clockwise (towards 0°) until it stops.</translation>
    </message>
    <message>
        <source>水平ローテータが０度になりましたらＯＫを押してください。</source>
        <translation>When the azimuth rotator is at 0°, press OK.</translation>
    </message>
    <message>
        <source>仰角ローテータを０ポイントまで回転させて停止するまで移動させてください</source>
        <translation>Turn the elevation rotator to its 0 point until it stops.</translation>
    </message>
    <message>
        <source>水平ローテータを最大／仰角ローテータを90度まで回転させて停止するまで移動させてください</source>
        <translation>Turn the azimuth rotator to its maximum and the elevation rotator to 90° until they stop.</translation>
    </message>
    <message>
        <source>水平&#x3000;最大／仰角９０度になりましたらＯＫ&#x3000;を押してください</source>
        <translation>When azimuth is at its maximum and elevation at 90°, press OK.</translation>
    </message>
    <message>
        <source>処理時間間隔の設定時間が大きすぎます。</source>
        <translation>The interval is too long.</translation>
    </message>
    <message>
        <source>処理時間間隔を正しくセットしてください</source>
        <translation>Please set the interval correctly.</translation>
    </message>
    <message>
        <source>設定ファイルに書き込めませんでした。</source>
        <translation>Could not write the settings file.</translation>
    </message>
    <message>
        <source>設定変更がされています。プログラムを再起動してください</source>
        <translation>The settings have changed. Please restart the program.</translation>
    </message>
    <message>
        <source>１２３４</source>
        <translation>1234</translation>
    </message>
    <message>
        <source>ＩＰ%1アドレスを正しくセットしてください</source>
        <translation>Please set part %1 of the IP address correctly.</translation>
    </message>
</context>
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
        <translation>We accept no liability for any problem or damage from using this program. Use it at your own risk.</translation>
    </message>
    <message>
        <source>閉じる</source>
        <translation>Close</translation>
    </message>
</context>
<context>
    <name>GotoDialog</name>
    <message>
        <source>方位指定</source>
        <translation>Go to heading</translation>
    </message>
    <message>
        <source>０～%1</source>
        <translation>0–%1</translation>
    </message>
    <message>
        <source>長経路</source>
        <translation>Long path</translation>
    </message>
    <message>
        <source>方位（度）</source>
        <translation>Azimuth (°)</translation>
    </message>
    <message>
        <source>仰角（度）</source>
        <translation>Elevation (°)</translation>
    </message>
    <message>
        <source>ＯＫ</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>キャンセル</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>方位にはロケーター（例 PM95vq）か「緯度,経度」も入力できます</source>
        <translation>The azimuth box also takes a locator (e.g. PM95vq) or &quot;lat,lon&quot;</translation>
    </message>
    <message>
        <source>短経路 %1°（%2 km）
長経路 %3°（%4 km）</source>
        <translation>Short path %1° (%2 km)
Long path %3° (%4 km)</translation>
    </message>
</context>
<context>
    <name>heading</name>
    <message>
        <source>方位は０～%1の整数（度）で入力してください</source>
        <translation>Enter the azimuth in whole degrees, 0 to %1.</translation>
    </message>
    <message>
        <source>仰角は０～%1の整数（度）で入力してください</source>
        <translation>Enter the elevation in whole degrees, 0 to %1.</translation>
    </message>
    <message>
        <source>「方位:仰角」の形で書いてください</source>
        <translation>Write it as &quot;azimuth:elevation&quot;.</translation>
    </message>
    <message>
        <source>方位は０～%1の範囲で指定してください</source>
        <translation>The azimuth must be between 0 and %1.</translation>
    </message>
    <message>
        <source>仰角は０～%1の範囲で指定してください</source>
        <translation>The elevation must be between 0 and %1.</translation>
    </message>
</context>
<context>
    <name>link_text</name>
    <message>
        <source>ローテーターから応答がありません</source>
        <translation>No reply from the rotator</translation>
    </message>
    <message>
        <source>シリアルポート %1 が使えなくなりました</source>
        <translation>Serial port %1 is no longer available</translation>
    </message>
    <message>
        <source>ＰＩＣＮＩＣに接続できません</source>
        <translation>Cannot connect to the PICNIC board</translation>
    </message>
    <message>
        <source>アンテナの位置は不明です</source>
        <translation>Antenna position unknown</translation>
    </message>
    <message>
        <source>停止コマンドがローテーターに届きませんでした。アンテナは回り続けているかもしれません。接続が戻りしだい停止コマンドを送ります。</source>
        <translation>The stop command did not reach the rotator. The antenna may still be turning. The stop command will be sent as soon as the link is back.</translation>
    </message>
    <message>
        <source>ローテーターにコマンドを送れないため移動できません。</source>
        <translation>Cannot move: no command can be sent to the rotator.</translation>
    </message>
    <message>
        <source>シリアルポート %1 を開けません。</source>
        <translation>Cannot open serial port %1. </translation>
    </message>
    <message>
        <source>シリアルポート %1（%2）を開けません。</source>
        <translation>Cannot open serial port %1 (%2). </translation>
    </message>
    <message>
        <source>つながりしだい自動で開きます。</source>
        <translation>It will be opened as soon as it is there.</translation>
    </message>
    <message>
        <source>ポート名が正しくありません。設定 → 環境設定 で選び直してください。</source>
        <translation>The port name is not valid. Choose the port again in Settings → Preferences.</translation>
    </message>
    <message>
        <source>デバイスが見つかりません。</source>
        <translation>The device is not there. </translation>
    </message>
    <message>
        <source>このユーザーにはデバイスを使う権限がありません。デバイスのグループ %1 にユーザーを加え（sudo adduser $USER %1）、ログインし直してください。</source>
        <translation>This user may not use the device. Add the user to the device&apos;s group %1 (sudo adduser $USER %1), then log in again.</translation>
    </message>
    <message>
        <source>ほかのプログラムが使っています。</source>
        <translation>Another program is using it. </translation>
    </message>
    <message>
        <source>（%1）</source>
        <translation>(%1) </translation>
    </message>
</context>
<context>
    <name>place</name>
    <message>
        <source>場所はロケーター（例 PM95vq）か「緯度,経度」（例 35.68,139.77）で入力してください</source>
        <translation>Enter the place as a locator (e.g. PM95vq) or as &quot;lat,lon&quot; (e.g. 35.68,139.77).</translation>
    </message>
    <message>
        <source>緯度と経度は「35.68,139.77」のように度の10進数で、コンマで区切って入力してください</source>
        <translation>Enter latitude and longitude in decimal degrees, separated by a comma, like &quot;35.68,139.77&quot;.</translation>
    </message>
    <message>
        <source>緯度は−90～90の度（北が正）で入力してください</source>
        <translation>Latitude must be −90 to 90 degrees (north positive).</translation>
    </message>
    <message>
        <source>経度は−180～360の度（東が正）で入力してください</source>
        <translation>Longitude must be −180 to 360 degrees (east positive).</translation>
    </message>
    <message>
        <source>ロケーターは4・6・8文字（例 PM95、PM95vq、PM95vq12）で入力してください</source>
        <translation>A locator has 4, 6 or 8 characters (e.g. PM95, PM95vq, PM95vq12).</translation>
    </message>
    <message>
        <source>LAT と LON の両方に度の10進数を書いてください</source>
        <translation>write decimal degrees in both LAT and LON</translation>
    </message>
    <message>
        <source>局の位置の設定（[STATION] の LAT と LON）が正しくありません：%1</source>
        <translation>The station position ([STATION] LAT and LON) is not valid: %1</translation>
    </message>
    <message>
        <source>局の位置が設定されていません（azelrot.ini の [STATION] に LAT と LON を書いてください）</source>
        <translation>The station position is not set (write LAT and LON in [STATION] of azelrot.ini).</translation>
    </message>
    <message>
        <source>その場所は局と同じ位置なので、方位が決まりません</source>
        <translation>That place is where the station is, so it has no bearing.</translation>
    </message>
    <message>
        <source>その場所は局のちょうど裏側なので、方位が決まりません</source>
        <translation>That place is exactly opposite the station, so no bearing is better than another.</translation>
    </message>
</context>
<context>
    <name>reply</name>
    <message>
        <source>中断信号受信 通信エラー</source>
        <translation>Break received - communication error</translation>
    </message>
    <message>
        <source>フレームエラー 通信エラー</source>
        <translation>Framing error - communication error</translation>
    </message>
    <message>
        <source>オーバーランエラー 通信エラー</source>
        <translation>Overrun error - communication error</translation>
    </message>
    <message>
        <source>受信バッファオーバー 通信エラー</source>
        <translation>Receive buffer overflow - communication error</translation>
    </message>
    <message>
        <source>受信パリティエラー 通信エラー</source>
        <translation>Receive parity error - communication error</translation>
    </message>
    <message>
        <source>送信バッファフル 通信エラー</source>
        <translation>Transmit buffer full - communication error</translation>
    </message>
    <message>
        <source>DCB取得エラー 通信エラー</source>
        <translation>Port settings (DCB) error - communication error</translation>
    </message>
    <message>
        <source>未定義エラー発生 通信エラー</source>
        <translation>Undefined error - communication error</translation>
    </message>
</context>
<context>
    <name>settings_folder</name>
    <message>
        <source>フォルダーを作れません</source>
        <translation>the folder cannot be made</translation>
    </message>
    <message>
        <source>「%1」はフォルダーではありません</source>
        <translation>&quot;%1&quot; is not a folder</translation>
    </message>
    <message>
        <source>「%1」に書き込む権限がありません</source>
        <translation>no permission to write in &quot;%1&quot;</translation>
    </message>
    <message>
        <source>。</source>
        <translation>; </translation>
    </message>
    <message>
        <source>設定フォルダー「%1」が使えないため、設定とログを保存できません（%2）。設定の変更とウインドウの位置は保存されません。</source>
        <translation>The settings folder &quot;%1&quot; cannot be used, so settings and the log cannot be kept there (%2). Changed settings and the window position will not be saved.</translation>
    </message>
    <message>
        <source>環境変数 XDG_CONFIG_HOME が「%1」です</source>
        <translation>the environment variable XDG_CONFIG_HOME is &quot;%1&quot;</translation>
    </message>
    <message>
        <source>環境変数 HOME が設定されていません</source>
        <translation>the environment variable HOME is not set</translation>
    </message>
</context>
</TS>
