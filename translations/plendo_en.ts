<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en" sourcelanguage="ja">
<context>
    <name>Engine</name>
    <message>
        <source>このフォルダは<byte value="xd"/>
読み込めません</source>
        <translation>This folder
cannot be read</translation>
    </message>
    <message>
        <source>出力済 %1 枚</source>
        <translation>%1 written</translation>
    </message>
    <message>
        <source>サイズ上限に収まりません<byte value="xd"/>
最低画質で %1 KB</source>
        <translation>Over the size limit:
%1 KB at lowest quality</translation>
    </message>
    <message>
        <source>JPEG エラー #%1</source>
        <translation>JPEG error #%1</translation>
    </message>
    <message>
        <source>このファイルは<byte value="xd"/>
モニタ表示できません</source>
        <translation>This file
cannot be previewed</translation>
    </message>
    <message>
        <source>このファイルは<byte value="xd"/>
処理不能です (^_^;)</source>
        <translation>This file cannot
be converted (^_^;)</translation>
    </message>
    <message>
        <source>書き込みエラー！<byte value="xd"/>
出力先に保存できません</source>
        <translation>Write error!
Cannot save the output</translation>
    </message>
    <message>
        <source>変換サイズが<byte value="xd"/>
大きすぎます</source>
        <translation>The size is
too large</translation>
    </message>
    <message>
        <source>変換サイズ 未設定</source>
        <translation>No size set</translation>
    </message>
    <message>
        <source>画像出力先 未設定</source>
        <translation>No output folder set</translation>
    </message>
    <message>
        <source>中断</source>
        <translation>Stop</translation>
    </message>
    <message>
        <source>終了</source>
        <translation>Quit</translation>
    </message>
    <message>
        <source>AVIF に変換できません</source>
        <translation>Cannot write AVIF</translation>
    </message>
    <message>
        <source>JPEG XL に変換できません</source>
        <translation>Cannot write JPEG XL</translation>
    </message>
    <message>
        <source>PNG に変換できません</source>
        <translation>Cannot write PNG</translation>
    </message>
    <message>
        <source>WebP に変換できません</source>
        <translation>Cannot write WebP</translation>
    </message>
    <message>
        <source>WebP の大きさの上限 (16383) を超えています</source>
        <translation>Too large for WebP (16383 at most)</translation>
    </message>
</context>
<context>
    <name>plendo::app::TCFORM</name>
    <message>
        <source>確認</source>
        <translation>Confirm</translation>
    </message>
    <message>
        <source>はい(&amp;Y)</source>
        <translation>&amp;Yes</translation>
    </message>
    <message>
        <source>いいえ(&amp;N)</source>
        <translation>&amp;No</translation>
    </message>
    <message>
        <source>変換サイズ一覧の「%1」の次の行に、新しく「%2」というサイズ数値を挿入してもよろしいですか？</source>
        <translation>Insert the new size &quot;%2&quot; after &quot;%1&quot; in the size list?</translation>
    </message>
    <message>
        <source>新しい変換サイズ「%1」を一覧に追加しました。念のため、もう一度、変換サイズ一覧を開いてご確認ください。</source>
        <translation>The new size &quot;%1&quot; has been added to the list. Please open the size list again to check it.</translation>
    </message>
    <message>
        <source>変換サイズ一覧から「%1」というサイズを削除してもよろしいですか？</source>
        <translation>Delete the size &quot;%1&quot; from the size list?</translation>
    </message>
    <message>
        <source>変換サイズ「%1」を一覧から削除しました。念のため、もう一度、変換サイズ一覧を開いてご確認ください。</source>
        <translation>The size &quot;%1&quot; has been deleted from the list. Please open the size list again to check it.</translation>
    </message>
    <message>
        <source> 透明度 ： %1 </source>
        <translation> Opacity: %1 </translation>
    </message>
    <message>
        <source> Plendo 設定パネル</source>
        <translation> Plendo settings</translation>
    </message>
    <message>
        <source>ここに数値入力</source>
        <translation>Type a size</translation>
    </message>
    <message>
        <source>動作モード</source>
        <translation>Mode</translation>
    </message>
    <message>
        <source>画質補正</source>
        <translation>Quality</translation>
    </message>
    <message>
        <source>出力設定</source>
        <translation>Output</translation>
    </message>
    <message>
        <source>表示</source>
        <translation>Display</translation>
    </message>
    <message>
        <source> (ＭＶ)</source>
        <translation>About</translation>
    </message>
    <message>
        <source>形式</source>
        <translation>Format</translation>
    </message>
    <message>
        <source>確定</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>中止</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>この設定パネルの位置を保存する</source>
        <translation>Remember this panel&apos;s position</translation>
    </message>
    <message>
        <source>ＡＬＬ：画像種類を限定せず「可能な限り」変換する</source>
        <translation>ALL: convert every image Plendo can read</translation>
    </message>
    <message>
        <source>ＥＸＴ：画像の種類を「拡張子で選別」して変換する</source>
        <translation>EXT: convert one type only, by extension</translation>
    </message>
    <message>
        <source>元画像より大きくしない</source>
        <translation>Never enlarge</translation>
    </message>
    <message>
        <source>フォルダ内の画像も変換</source>
        <translation>Convert folders&apos; images</translation>
    </message>
    <message>
        <source>デスクトップに合わせる</source>
        <translation>As the desktop</translation>
    </message>
    <message>
        <source>Plendo を次に起動した時から、この言語で表示します</source>
        <translation>Plendo speaks this language from its next start</translation>
    </message>
    <message>
        <source> ガンマ補正 </source>
        <translation> Gamma </translation>
    </message>
    <message>
        <source>無し</source>
        <translation>None</translation>
    </message>
    <message>
        <source>標準</source>
        <translation>Normal</translation>
    </message>
    <message>
        <source>やや濃く</source>
        <translation>Darker</translation>
    </message>
    <message>
        <source>濃く</source>
        <translation>Darkest</translation>
    </message>
    <message>
        <source> シャープネス </source>
        <translation> Sharpness </translation>
    </message>
    <message>
        <source>やや強く</source>
        <translation>More</translation>
    </message>
    <message>
        <source>強く</source>
        <translation>Most</translation>
    </message>
    <message>
        <source>画質補正したファイル名をＧＳマーク付きで区別する</source>
        <translation>Add a GS mark to corrected files&apos; names</translation>
    </message>
    <message>
        <source>原寸モードの時だけ 画質補正を自動的にオフにする</source>
        <translation>Turn corrections off at actual size</translation>
    </message>
    <message>
        <source> 変換サイズの追加と削除 </source>
        <translation> Add and delete sizes </translation>
    </message>
    <message>
        <source>追加</source>
        <translation>Add</translation>
    </message>
    <message>
        <source>削除</source>
        <translation>Delete</translation>
    </message>
    <message>
        <source> 出力画像の拡張子 </source>
        <translation> Output file extension </translation>
    </message>
    <message>
        <source>Exif 情報があればコピーする</source>
        <translation>Copy Exif data if any</translation>
    </message>
    <message>
        <source>プログレッシブ JPEG を出力</source>
        <translation>Write progressive JPEG</translation>
    </message>
    <message>
        <source> 同名変換出力 </source>
        <translation> Existing file </translation>
    </message>
    <message>
        <source>スキップ</source>
        <translation>Skip</translation>
    </message>
    <message>
        <source>強制上書き</source>
        <translation>Overwrite</translation>
    </message>
    <message>
        <source> 出力形式 </source>
        <translation> Output format </translation>
    </message>
    <message>
        <source> ファイルサイズ上限 (KB) </source>
        <translation> File size limit (KB) </translation>
    </message>
    <message>
        <source>0 で上限なし（PNG には適用されません）</source>
        <translation>0: no limit (not applied to PNG)</translation>
    </message>
    <message>
        <source>位置情報を削除</source>
        <translation>Remove location data</translation>
    </message>
    <message>
        <source> 表示オプション </source>
        <translation> Display options </translation>
    </message>
    <message>
        <source>リサイズ処理中も、ボタンラベルを淡色表示しない</source>
        <translation>Keep button labels dark while resizing</translation>
    </message>
    <message>
        <source>Plendo のパネルを 常に画面の最前面に表示する</source>
        <translation>Keep the Plendo panel above other windows</translation>
    </message>
    <message>
        <source> パネルの透明化 </source>
        <translation> Panel transparency </translation>
    </message>
    <message>
        <source>透明化しない</source>
        <translation>Never</translation>
    </message>
    <message>
        <source>非アクティブ時</source>
        <translation>If inactive</translation>
    </message>
    <message>
        <source>常に透明化</source>
        <translation>Always</translation>
    </message>
    <message>
        <source>透明度</source>
        <translation>Opacity</translation>
    </message>
    <message>
        <source>このスライダーを左右に動かすと「透明度」が調整できます</source>
        <translation>Move this slider left or right to set the opacity</translation>
    </message>
    <message>
        <source>画像一括サイズ変換</source>
        <translation>Batch image resizer</translation>
    </message>
    <message>
        <source>「Ｐｌｅｎｄｏ」</source>
        <translation>Plendo</translation>
    </message>
    <message>
        <source>&lt;&lt; Plendo サポートページを開く &gt;&gt;</source>
        <translation>&lt;&lt; Open the Plendo support page &gt;&gt;</translation>
    </message>
</context>
<context>
    <name>plendo::app::TMFORM</name>
    <message>
        <source>原寸</source>
        <translation>Actual size</translation>
    </message>
    <message>
        <source>画像一括サイズ変換 「Plendo」</source>
        <translation>Plendo, the batch image resizer</translation>
    </message>
    <message>
        <source>ここを押して、画像の出力先をお選びください</source>
        <translation>Press here to choose where images go</translation>
    </message>
    <message>
        <source>出力先： 元画像と同じフォルダ</source>
        <translation>Output: beside the original images</translation>
    </message>
    <message>
        <source>出力先： </source>
        <translation>Output: </translation>
    </message>
    <message>
        <source>ここに画像ファイルを<byte value="xd"/>
ドラッグ＆ドロップ</source>
        <translation>Drag and drop
image files here</translation>
    </message>
    <message>
        <source>画像出力先 未設定</source>
        <translation>No output folder set</translation>
    </message>
    <message>
        <source>変換サイズ 未設定</source>
        <translation>No size set</translation>
    </message>
    <message>
        <source>出力先フォルダが<byte value="xd"/>
存在しません！</source>
        <translation>The output folder
does not exist!</translation>
    </message>
    <message>
        <source>サイズ変換した画像を出力するフォルダをお選びください</source>
        <translation>Choose the folder for the resized images</translation>
    </message>
    <message>
        <source> 変換サイズ </source>
        <translation> Size </translation>
    </message>
    <message>
        <source>長</source>
        <translation>L</translation>
    </message>
    <message>
        <source>横</source>
        <translation>W</translation>
    </message>
    <message>
        <source>縦</source>
        <translation>H</translation>
    </message>
    <message>
        <source> 処理状況 </source>
        <translation> Status </translation>
    </message>
    <message>
        <source>設定</source>
        <translation>Settings</translation>
    </message>
    <message>
        <source>保存フォルダを指定して出力</source>
        <translation>Save into a folder of my choice</translation>
    </message>
    <message>
        <source>元画像と同じフォルダに出力</source>
        <translation>Save beside the original images</translation>
    </message>
</context>
</TS>
