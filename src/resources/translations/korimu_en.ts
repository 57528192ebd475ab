<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en" sourcelanguage="ja">
<context>
    <name>Canvas</name>
    <message>
        <source>振幅</source>
        <translation>Ampl</translation>
    </message>
    <message>
        <source>記憶領域不足 %d</source>
        <translation>Memory short %d</translation>
    </message>
    <message>
        <source>%10ldpos%8.1f秒</source>
        <translation>%10ldpos%8.1fs </translation>
    </message>
    <message>
        <source>%10ldpos %11.4f秒</source>
        <translation>%10ldpos %11.4fs </translation>
    </message>
    <message>
        <source>%10ldpos %13.6f秒</source>
        <translation>%10ldpos %13.6fs </translation>
    </message>
    <message>
        <source>赤</source>
        <translation>Rd</translation>
    </message>
    <message>
        <source>ド</source>
        <translation>C</translation>
    </message>
    <message>
        <source>黄</source>
        <translation>Ye</translation>
    </message>
    <message>
        <source>レ</source>
        <translation>D</translation>
    </message>
    <message>
        <source>緑</source>
        <translation>Gn</translation>
    </message>
    <message>
        <source>ミ</source>
        <translation>E</translation>
    </message>
    <message>
        <source>灰</source>
        <translation>Gy</translation>
    </message>
    <message>
        <source>ﾌｧ</source>
        <translation>F</translation>
    </message>
    <message>
        <source>青</source>
        <translation>Bu</translation>
    </message>
    <message>
        <source>ソ</source>
        <translation>G</translation>
    </message>
    <message>
        <source>紫</source>
        <translation>Pu</translation>
    </message>
    <message>
        <source>ラ</source>
        <translation>A</translation>
    </message>
    <message>
        <source>水</source>
        <translation>Cy</translation>
    </message>
    <message>
        <source>シ</source>
        <translation>B</translation>
    </message>
    <message>
        <source>黒</source>
        <translation>Bk</translation>
    </message>
    <message>
        <source>音量</source>
        <translation>Vol.</translation>
    </message>
    <message>
        <source>デコード中 %3d%%  Esc:中止</source>
        <translation>Decoding %3d%%  Esc:cancel</translation>
    </message>
    <message>
        <source>%4.0f分</source>
        <translation>%4.0fmin</translation>
    </message>
    <message>
        <source>%4.1f分</source>
        <translation>%4.1fmin</translation>
    </message>
    <message>
        <source>%4.1f秒</source>
        <translation>%4.1fs  </translation>
    </message>
    <message>
        <source>%4.2f秒</source>
        <translation>%4.2fs  </translation>
    </message>
    <message>
        <source>表示ﾃﾞｰﾀ数</source>
        <translation>    Frames</translation>
    </message>
    <message>
        <source>中断要求受付</source>
        <translation>Stopping...</translation>
    </message>
    <message>
        <source>←範囲</source>
        <translation>←range</translation>
    </message>
    <message>
        <source> ←解析範囲</source>
        <translation> ←analysed</translation>
    </message>
</context>
<context>
    <name>Dialog</name>
    <message>
        <source>1:ﾓﾉ  2:ｽﾃﾚｵ</source>
        <translation>1:mono 2:st.</translation>
    </message>
    <message>
        <source>ソフト名とVersion</source>
        <translation>Name and version</translation>
    </message>
    <message>
        <source>コンパイラ</source>
        <translation>Compiler</translation>
    </message>
    <message>
        <source>ビット数</source>
        <translation>Bits</translation>
    </message>
    <message>
        <source>これはフリーソフトです</source>
        <translation>This is free software</translation>
    </message>
    <message>
        <source>追加情報</source>
        <translation>More</translation>
    </message>
    <message>
        <source>３Ｄ表示(&amp;T)</source>
        <translation>&amp;3D look</translation>
    </message>
    <message>
        <source>ｳｲﾝﾄﾞｳ切換	Alt+F6</source>
        <translation>Switch window	Alt+F6</translation>
    </message>
    <message>
        <source>不明 sec</source>
        <translation>unknown sec</translation>
    </message>
    <message>
        <source>%d bit 版</source>
        <translation>%d-bit build</translation>
    </message>
    <message>
        <source>録音ﾃﾞﾊﾞｲｽ=%2d個  再生ﾃﾞﾊﾞｲｽ=%2d個</source>
        <translation>In devices=%2d  Out devices=%2d</translation>
    </message>
</context>
<context>
    <name>Menu</name>
    <message>
        <source>言語 / Language(&amp;G)</source>
        <translation>Lan&amp;guage</translation>
    </message>
    <message>
        <source>最近使ったファイル(&amp;R)</source>
        <translation>&amp;Recent files</translation>
    </message>
    <message>
        <source>(なし)</source>
        <translation>(none)</translation>
    </message>
    <message>
        <source>ファイル</source>
        <translation>&amp;File</translation>
    </message>
    <message>
        <source>開く</source>
        <translation>&amp;Open</translation>
    </message>
    <message>
        <source>画像を保存</source>
        <translation>&amp;Save picture</translation>
    </message>
    <message>
        <source>数値を保存</source>
        <translation>Save numb&amp;ers</translation>
    </message>
    <message>
        <source>クリップボードにコピー</source>
        <translation>&amp;Copy picture</translation>
    </message>
    <message>
        <source>終了</source>
        <translation>E&amp;xit</translation>
    </message>
    <message>
        <source>操作</source>
        <translation>&amp;Operation</translation>
    </message>
    <message>
        <source>解析</source>
        <translation>&amp;Analyze</translation>
    </message>
    <message>
        <source>再生</source>
        <translation>&amp;Play</translation>
    </message>
    <message>
        <source>部分再生</source>
        <translation>Pa&amp;rtial play</translation>
    </message>
    <message>
        <source>停止</source>
        <translation>S&amp;top</translation>
    </message>
    <message>
        <source>位置</source>
        <translation>&amp;Go to</translation>
    </message>
    <message>
        <source>ｵﾌﾟｼｮﾝ</source>
        <translation>&amp;Options</translation>
    </message>
    <message>
        <source>表示</source>
        <translation>&amp;View</translation>
    </message>
    <message>
        <source>波形拡大</source>
        <translation>&amp;Wave zoom</translation>
    </message>
    <message>
        <source>レベルメータ</source>
        <translation>&amp;Level meter</translation>
    </message>
    <message>
        <source>スペクトル(周波数リニア)</source>
        <translation>&amp;Spectrum (linear)</translation>
    </message>
    <message>
        <source>スペクトル(周波数対数)</source>
        <translation>Spec&amp;trum (log)</translation>
    </message>
    <message>
        <source>時間-周波数チャート</source>
        <translation>Time-frequency &amp;chart</translation>
    </message>
    <message>
        <source>ピンクノイズを水平にする</source>
        <translation>&amp;Pink noise flat</translation>
    </message>
    <message>
        <source>グラフの線を太くする</source>
        <translation>Thic&amp;k lines</translation>
    </message>
    <message>
        <source>折れ線グラフ</source>
        <translation>Li&amp;ne graph</translation>
    </message>
    <message>
        <source>棒グラフ</source>
        <translation>&amp;Bar graph</translation>
    </message>
    <message>
        <source>スペクトル断面を表示</source>
        <translation>Cross-s&amp;ection</translation>
    </message>
    <message>
        <source>ヘルプ</source>
        <translation>&amp;Help</translation>
    </message>
    <message>
        <source>ヘルプの表示</source>
        <translation>KORIMU &amp;help</translation>
    </message>
    <message>
        <source>バージョン情報</source>
        <translation>&amp;About KORIMU</translation>
    </message>
</context>
<context>
    <name>Message</name>
    <message>
        <source>%s に画像を保存できません。</source>
        <translation>Cannot save the picture to %s.</translation>
    </message>
    <message>
        <source>%s に数値を保存できません。(%s)</source>
        <translation>Cannot save the numbers to %s. (%s)</translation>
    </message>
    <message>
        <source>位置「%s」を読み取れません。
分:秒 (1:23.5) か秒 (83.5) で入力してください。</source>
        <translation>Cannot read the position &quot;%s&quot;.
Type minutes:seconds (1:23.5) or seconds (83.5).</translation>
    </message>
    <message>
        <source>ヘルプファイル %s が見つかりません。</source>
        <translation>Cannot find the help file %s.</translation>
    </message>
    <message>
        <source>ヘルプファイル %s を表示できません。</source>
        <translation>Cannot show the help file %s.</translation>
    </message>
    <message>
        <source>%s を変換できません。変換したコピーを %s に書けません。(%s)</source>
        <translation>Cannot convert %s. Cannot write the converted copy to %s. (%s)</translation>
    </message>
    <message>
        <source>%s を変換できません。(%s)</source>
        <translation>Cannot convert %s. (%s)</translation>
    </message>
    <message>
        <source>%s を変換できません。libsndfile を読み込めません。(%s)</source>
        <translation>Cannot convert %s. Cannot load libsndfile. (%s)</translation>
    </message>
    <message>
        <source>メモリ不足です。</source>
        <translation>Out of memory.</translation>
    </message>
    <message>
        <source>インスタンス データのためのメモリが足りません。</source>
        <translation>Not enough memory for the instance data.</translation>
    </message>
    <message>
        <source>データチャンクを読み取れません。%d %ld</source>
        <translation>Cannot read the data chunk. %d %ld</translation>
    </message>
    <message>
        <source>ウェーブヘッダーの準備ができません</source>
        <translation>Cannot prepare the wave header</translation>
    </message>
    <message>
        <source>デバイスへの出力に失敗しました。</source>
        <translation>Output to the device failed.</translation>
    </message>
    <message>
        <source>音声出力デバイスを開けません。</source>
        <translation>Cannot open the sound output device.</translation>
    </message>
    <message>
        <source>対応していないPCM形式です。(%dビット %dチャンネル)</source>
        <translation>Unsupported PCM format. (%d bits, %d channels)</translation>
    </message>
    <message>
        <source>WAVEファイルが壊れています。</source>
        <translation>The WAVE file is damaged.</translation>
    </message>
    <message>
        <source>ファイル名が未入力。</source>
        <translation>No file name given.</translation>
    </message>
    <message>
        <source>ファイルを開けません。</source>
        <translation>Cannot open the file.</translation>
    </message>
    <message>
        <source>指定したファイルは、WAVEファイルではありません。</source>
        <translation>The file is not a WAVE file.</translation>
    </message>
    <message>
        <source>形式チャンクを読み取れません。</source>
        <translation>Cannot read the format chunk.</translation>
    </message>
    <message>
        <source>極度のメモリ不足です。</source>
        <translation>Severely out of memory.</translation>
    </message>
    <message>
        <source>指定したファイルは、PCMファイルではありません。</source>
        <translation>The file is not a PCM file.</translation>
    </message>
    <message>
        <source>WAVEファイルにデータ チャンクがありません。</source>
        <translation>The WAVE file has no data chunk.</translation>
    </message>
    <message>
        <source>データ チャンクが空です。</source>
        <translation>The data chunk is empty.</translation>
    </message>
    <message>
        <source>サウンドドライバは、この形式を再生できません。</source>
        <translation>The sound driver cannot play this format.</translation>
    </message>
    <message>
        <source>ファイルがヘッダーの示す長さより短くなっています。あるデータだけを開きました。
%s (%u / %u バイト, %.2f秒)</source>
        <translation>The file is shorter than its header says; the data that is there was opened.
%s (%u / %u bytes, %.2f s)</translation>
    </message>
    <message>
        <source>解析用メモリの不足</source>
        <translation>Out of memory for the analysis</translation>
    </message>
    <message>
        <source>設定ファイル %s を読み取れません。既定の設定で続け、設定は保存しません。</source>
        <translation>Cannot read the settings file %s. KORIMU goes on with the default settings and will not save them.</translation>
    </message>
    <message>
        <source>%llu / %llu フレーム, %.2f / %.2f秒</source>
        <translation>%llu / %llu frames, %.2f / %.2f s</translation>
    </message>
    <message>
        <source>先頭 %llu フレーム, %.2f秒</source>
        <translation>first %llu frames, %.2f s</translation>
    </message>
    <message>
        <source>ファイルが長すぎるため、先頭の部分だけを変換しました。変換したコピーは %llu バイトまでです。
%s (%s)</source>
        <translation>The file is too long: only its first part was converted. A converted copy holds at most %llu bytes.
%s (%s)</translation>
    </message>
</context>
<context>
    <name>Options</name>
    <message>
        <source>分析設定</source>
        <translation>Analysis</translation>
    </message>
    <message>
        <source>分析法(&amp;A):</source>
        <translation>&amp;Analysis:</translation>
    </message>
    <message>
        <source>時間分解能(&amp;T)</source>
        <translation>&amp;Time step</translation>
    </message>
    <message>
        <source>周波数分解能(&amp;N)</source>
        <translation>Li&amp;nes</translation>
    </message>
    <message>
        <source>窓関数(&amp;W)</source>
        <translation>&amp;Window</translation>
    </message>
    <message>
        <source>表示設定</source>
        <translation>Display</translation>
    </message>
    <message>
        <source>棒グラフ時、音階を色で表示する(&amp;C)</source>
        <translation>&amp;Colour the bars by note</translation>
    </message>
    <message>
        <source>スケール(&amp;S):</source>
        <translation>&amp;Scale:</translation>
    </message>
    <message>
        <source>メモリ設定</source>
        <translation>Memory</translation>
    </message>
    <message>
        <source>オンメモリ解析(&amp;O)</source>
        <translation>&amp;On memory</translation>
    </message>
    <message>
        <source>ﾒﾓﾘｻｲｽﾞ(&amp;M):</source>
        <translation>&amp;Memory:</translation>
    </message>
    <message>
        <source>振幅</source>
        <translation>Ampl</translation>
    </message>
    <message>
        <source>ﾊﾟﾜｰ</source>
        <translation>Power</translation>
    </message>
    <message>
        <source>対数</source>
        <translation>Log</translation>
    </message>
    <message>
        <source>再生バッファの秒数(&amp;B)</source>
        <translation>Play &amp;buffer</translation>
    </message>
    <message>
        <source>自己相関</source>
        <translation>Autocorr</translation>
    </message>
    <message>
        <source>再生速度(&amp;R):</source>
        <translation>&amp;Rate:</translation>
    </message>
    <message>
        <source>オプション設定</source>
        <translation>Options</translation>
    </message>
    <message>
        <source>３秒</source>
        <translation>3 s</translation>
    </message>
    <message>
        <source>1.5秒</source>
        <translation>1.5 s</translation>
    </message>
    <message>
        <source>１秒</source>
        <translation>1 s</translation>
    </message>
    <message>
        <source>1/3秒</source>
        <translation>1/3 s</translation>
    </message>
    <message>
        <source>1/5秒</source>
        <translation>1/5 s</translation>
    </message>
    <message>
        <source>1/11秒</source>
        <translation>1/11 s</translation>
    </message>
    <message>
        <source>1/22秒</source>
        <translation>1/22 s</translation>
    </message>
    <message>
        <source>1/43秒</source>
        <translation>1/43 s</translation>
    </message>
    <message>
        <source>1/86秒</source>
        <translation>1/86 s</translation>
    </message>
    <message>
        <source>1/172秒</source>
        <translation>1/172 s</translation>
    </message>
    <message>
        <source>1/345秒</source>
        <translation>1/345 s</translation>
    </message>
    <message>
        <source>ハニング</source>
        <translation>Hanning</translation>
    </message>
    <message>
        <source>ハミング</source>
        <translation>Hamming</translation>
    </message>
    <message>
        <source>ﾌﾞﾗｯｸﾏﾝ</source>
        <translation>Blackman</translation>
    </message>
    <message>
        <source>三角</source>
        <translation>Triangle</translation>
    </message>
    <message>
        <source>方形</source>
        <translation>Rect</translation>
    </message>
    <message>
        <source>ｶﾞｳｽ4.24</source>
        <translation>Gauss4.24</translation>
    </message>
    <message>
        <source>ｶﾞｳｽ6.50</source>
        <translation>Gauss6.50</translation>
    </message>
    <message>
        <source>ハ長調・イ短調</source>
        <translation>C maj / A min</translation>
    </message>
    <message>
        <source>変ニ長調・変ロ短調</source>
        <translation>Db maj / Bb min</translation>
    </message>
    <message>
        <source>ニ長調・ロ短調</source>
        <translation>D maj / B min</translation>
    </message>
    <message>
        <source>変ホ長調・ハ短調</source>
        <translation>Eb maj / C min</translation>
    </message>
    <message>
        <source>ホ長調・嬰ハ短調</source>
        <translation>E maj / C# min</translation>
    </message>
    <message>
        <source>ヘ長調・ニ短調</source>
        <translation>F maj / D min</translation>
    </message>
    <message>
        <source>変ト長調・変ホ短調</source>
        <translation>Gb maj / Eb min</translation>
    </message>
    <message>
        <source>ト長調・ホ短調</source>
        <translation>G maj / E min</translation>
    </message>
    <message>
        <source>変イ長調・ヘ短調</source>
        <translation>Ab maj / F min</translation>
    </message>
    <message>
        <source>イ長調・嬰ヘ短調</source>
        <translation>A maj / F# min</translation>
    </message>
    <message>
        <source>変ロ長調・ト短調</source>
        <translation>Bb maj / G min</translation>
    </message>
    <message>
        <source>ロ長調・嬰ト短調</source>
        <translation>B maj / G# min</translation>
    </message>
</context>
<context>
    <name>Readout</name>
    <message>
        <source>ラ</source>
        <translation>A</translation>
    </message>
    <message>
        <source>ラ#</source>
        <translation>A#</translation>
    </message>
    <message>
        <source>シ</source>
        <translation>B</translation>
    </message>
    <message>
        <source>ド</source>
        <translation>C</translation>
    </message>
    <message>
        <source>ド#</source>
        <translation>C#</translation>
    </message>
    <message>
        <source>レ</source>
        <translation>D</translation>
    </message>
    <message>
        <source>レ#</source>
        <translation>D#</translation>
    </message>
    <message>
        <source>ミ</source>
        <translation>E</translation>
    </message>
    <message>
        <source>ﾌｧ</source>
        <translation>F</translation>
    </message>
    <message>
        <source>ﾌｧ#</source>
        <translation>F#</translation>
    </message>
    <message>
        <source>ソ</source>
        <translation>G</translation>
    </message>
    <message>
        <source>ソ#</source>
        <translation>G#</translation>
    </message>
    <message>
        <source>時刻 %.4f 秒</source>
        <translation>Time %.4f s</translation>
    </message>
    <message>
        <source>周波数 %.1f Hz</source>
        <translation>Frequency %.1f Hz</translation>
    </message>
    <message>
        <source>帯域 %.1f - %.1f Hz</source>
        <translation>Band %.1f - %.1f Hz</translation>
    </message>
    <message>
        <source>ラグ %d (%.3f ms)</source>
        <translation>Lag %d (%.3f ms)</translation>
    </message>
    <message>
        <source>標本 %d (%.3f ms)</source>
        <translation>Sample %d (%.3f ms)</translation>
    </message>
    <message>
        <source>自己相関 %.4f</source>
        <translation>Autocorrelation %.4f</translation>
    </message>
    <message>
        <source>値 %.0f</source>
        <translation>Value %.0f</translation>
    </message>
    <message>
        <source>左右の平均</source>
        <translation>Mean of left and right</translation>
    </message>
    <message>
        <source>モノラル</source>
        <translation>Mono</translation>
    </message>
    <message>
        <source>レベル %s</source>
        <translation>Level %s</translation>
    </message>
    <message>
        <source>パワー %.4g</source>
        <translation>Power %.4g</translation>
    </message>
    <message>
        <source>音名 %s</source>
        <translation>Note %s</translation>
    </message>
</context>
<context>
    <name>Window</name>
    <message>
        <source>解析</source>
        <translation>Run</translation>
    </message>
    <message>
        <source>再生</source>
        <translation>Play</translation>
    </message>
    <message>
        <source>部分</source>
        <translation>Part</translation>
    </message>
    <message>
        <source>停止</source>
        <translation>Stop</translation>
    </message>
    <message>
        <source>振幅</source>
        <translation>Ampl</translation>
    </message>
    <message>
        <source>標準</source>
        <translation>x1</translation>
    </message>
    <message>
        <source>２倍</source>
        <translation>x2</translation>
    </message>
    <message>
        <source>ﾊﾟﾜｰ</source>
        <translation>Power</translation>
    </message>
    <message>
        <source>Ａt</source>
        <translation>At</translation>
    </message>
    <message>
        <source>1倍</source>
        <translation>x1</translation>
    </message>
    <message>
        <source>2倍</source>
        <translation>x2</translation>
    </message>
    <message>
        <source>4倍</source>
        <translation>x4</translation>
    </message>
    <message>
        <source>中断</source>
        <translation>Abort</translation>
    </message>
    <message>
        <source>画像を保存</source>
        <translation>Save picture</translation>
    </message>
    <message>
        <source>数値を保存</source>
        <translation>Save numbers</translation>
    </message>
    <message>
        <source>PNG 画像(*.png);;全ファイル(*)</source>
        <translation>PNG picture (*.png);;All files (*)</translation>
    </message>
    <message>
        <source>CSV(*.csv);;全ファイル(*)</source>
        <translation>CSV (*.csv);;All files (*)</translation>
    </message>
    <message>
        <source>再生用にファイルを開く</source>
        <translation>Open a file to play</translation>
    </message>
    <message>
        <source>位置</source>
        <translation>Go to</translation>
    </message>
    <message>
        <source>位置 (分:秒 または 秒):</source>
        <translation>Position (min:sec or sec):</translation>
    </message>
    <message>
        <source>ｻｳﾝﾄﾞ</source>
        <translation>Sound</translation>
    </message>
    <message>
        <source>全ファイル(*.*)</source>
        <translation>All files (*.*)</translation>
    </message>
    <message>
        <source>スペクトル断面</source>
        <translation>Spectrum cross-section</translation>
    </message>
    <message>
        <source>数値を保存(&amp;E)...	Ctrl+E</source>
        <translation>Save numb&amp;ers...	Ctrl+E</translation>
    </message>
    <message>
        <source>閉じる</source>
        <translation>Close</translation>
    </message>
    <message>
        <source>拡大</source>
        <translation>Wide</translation>
    </message>
    <message>
        <source>KORIMU ヘルプ</source>
        <translation>KORIMU Help</translation>
    </message>
    <message>
        <source>縮小</source>
        <translation>Narrow</translation>
    </message>
    <message>
        <source>  全体</source>
        <translation> whole</translation>
    </message>
    <message>
        <source>スペクトル断面のグラフ</source>
        <translation>Spectrum cross-section graph</translation>
    </message>
</context>
</TS>
