<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="ja" sourcelanguage="en">
<context>
    <name>plendo-batch</name>
    <message>
        <source>%1 wants a whole number from %2 to %3, not &apos;%4&apos;</source>
        <translation>%1 には %2 から %3 までの整数を指定してください (&apos;%4&apos; は使えません)</translation>
    </message>
    <message>
        <source>%1 wants one of %2, not &apos;%3&apos;</source>
        <translation>%1 には %2 のいずれかを指定してください (&apos;%3&apos; は使えません)</translation>
    </message>
    <message>
        <source>%1 wants a size such as 150k, 2M or a number of bytes from 1024, or 0 for none, not &apos;%2&apos;</source>
        <translation>%1 には 150k、2M、1024 以上のバイト数、または上限なしの 0 を指定してください (&apos;%2&apos; は使えません)</translation>
    </message>
    <message>
        <source>%1 wants a whole number of pixels from 1 to 2147483647, not &apos;%2&apos;</source>
        <translation>%1 には 1 から 2147483647 までのピクセル数を指定してください (&apos;%2&apos; は使えません)</translation>
    </message>
    <message>
        <source>%1 wants a folder</source>
        <translation>%1 にはフォルダを指定してください</translation>
    </message>
    <message>
        <source>%1 wants a file</source>
        <translation>%1 にはファイルを指定してください</translation>
    </message>
    <message>
        <source>%1 wants a file, or - for the standard input</source>
        <translation>%1 にはファイル、または標準入力を表す - を指定してください</translation>
    </message>
    <message>
        <source>the chosen side gets N pixels</source>
        <translation>指定した辺を N ピクセルにする</translation>
    </message>
    <message>
        <source>keep each image&apos;s own size</source>
        <translation>各画像の元のサイズのまま (原寸)</translation>
    </message>
    <message>
        <source>which side N applies to (default: the panel&apos;s choice)</source>
        <translation>N を当てはめる辺: 長辺、横、縦 (既定はパネルの選択)</translation>
    </message>
    <message>
        <source>write into DIR (it must exist)</source>
        <translation>DIR に出力する (既にあるフォルダ)</translation>
    </message>
    <message>
        <source>convert every file, or only files with that type&apos;s extensions</source>
        <translation>すべてのファイル、またはその種類の拡張子のファイルだけを変換する</translation>
    </message>
    <message>
        <source>also convert the files named in LIST, one a line (- reads the standard input)</source>
        <translation>LIST に 1 行 1 つずつ書かれたファイルも変換する (- は標準入力)</translation>
    </message>
    <message>
        <source>the names in LIST end in NUL bytes, as find&apos;s print0 writes them</source>
        <translation>LIST の名前は find の -print0 と同じく NUL バイトで区切られている</translation>
    </message>
    <message>
        <source>print each source and the output it would give, write nothing</source>
        <translation>元画像とその出力先を表示するだけで、何も書き出さない</translation>
    </message>
    <message>
        <source>print only failures and the count</source>
        <translation>失敗と枚数だけを表示する</translation>
    </message>
    <message>
        <source>also print each output&apos;s pixel size, bytes and time</source>
        <translation>出力ごとにピクセルサイズ、バイト数、時間も表示する</translation>
    </message>
    <message>
        <source>read the settings from FILE instead</source>
        <translation>設定を FILE から読む</translation>
    </message>
    <message>
        <source>show this help</source>
        <translation>このヘルプを表示する</translation>
    </message>
    <message>
        <source>show the version</source>
        <translation>バージョンを表示する</translation>
    </message>
    <message>
        <source>largest output file: 150k, 2M or bytes (0: no limit); lossy formats lower their quality to fit</source>
        <translation>出力ファイルの上限: 150k、2M、またはバイト数 (0 で上限なし)。非可逆形式は収まるまで画質を下げる</translation>
    </message>
    <message>
        <source>%1 takes no value</source>
        <translation>%1 に値は指定できません</translation>
    </message>
    <message>
        <source>unknown option %1</source>
        <translation>%1 というオプションはありません</translation>
    </message>
    <message>
        <source>%1 wants a value</source>
        <translation>%1 には値を指定してください</translation>
    </message>
    <message>
        <source>no size: give --size N or --actual-size (the settings file names none)</source>
        <translation>変換サイズ 未設定: --size N か --actual-size を指定してください (設定ファイルにもありません)</translation>
    </message>
    <message>
        <source>no output folder: give --out DIR or --beside (the settings file names none)</source>
        <translation>画像出力先 未設定: --out DIR か --beside を指定してください (設定ファイルにもありません)</translation>
    </message>
    <message>
        <source>Converts each FILE to a JPEG (or a PNG, WebP, AVIF or JPEG XL) of the chosen
pixel size, as the Plendo panel does with files dropped on it. Every option defaults to the panel&apos;s settings
file, $XDG_CONFIG_HOME/plendo/plendo.ENV (plendo.ENV beside the programs for a
build or a portable copy); plendo-batch never writes that file.
</source>
        <translation>各 FILE を指定のピクセルサイズの JPEG (または PNG、WebP、AVIF、JPEG XL) に
変換します。Plendo のパネルに画像をドロップした時と同じ変換です。省略した
オプションにはパネルの設定ファイル $XDG_CONFIG_HOME/plendo/plendo.ENV
(ビルドや持ち運び用のコピーではプログラムと同じフォルダの plendo.ENV) の値を
使います。plendo-batch がこのファイルに書き込むことはありません。
</translation>
    </message>
    <message>
        <source>Size</source>
        <translation>サイズ</translation>
    </message>
    <message>
        <source>Output</source>
        <translation>出力</translation>
    </message>
    <message>
        <source>Corrections</source>
        <translation>画質補正</translation>
    </message>
    <message>
        <source>Input</source>
        <translation>入力</translation>
    </message>
    <message>
        <source>Other</source>
        <translation>その他</translation>
    </message>
    <message>
        <source>Prints the path of each file written, or the reason a file was not, then the
count; when a file was skipped or failed, a line counting written, skipped and
failed files comes before it. Two files of one run that would get the same
output name never replace each other: the later one is written as NAME_2.EXT,
NAME_3.EXT and so on; an output left by an earlier run is replaced or kept as
--overwrite or --skip says. Exit status: 0 when no file failed, 1 when some
did, 2 for a usage error. Messages follow the locale (LC_ALL, LC_MESSAGES,
LANG, LANGUAGE): Japanese under ja_*, English otherwise; scripts that read
them set LC_ALL=C. The paths printed are the same in every language.
</source>
        <translation>書き出した各ファイルのパス、または書き出せなかった理由を表示し、最後に枚数を
表示します。スキップや失敗があった時は、その前に出力・スキップ・失敗の件数の
行が入ります。1 回の実行で同じ出力名になる 2 つのファイルが互いを上書きする
ことはなく、後のものは NAME_2.EXT、NAME_3.EXT のように書き出されます。以前の
実行で書き出されたファイルは --overwrite か --skip のとおりに置き換えるか残し
ます。終了ステータス: 失敗がなければ 0、失敗があれば 1、使い方の誤りは 2。
メッセージはロケール (LC_ALL、LC_MESSAGES、LANG、LANGUAGE) に従い、ja_* では
日本語、それ以外では英語です。出力を読み取るスクリプトは LC_ALL=C を指定して
ください。表示されるパスはどの言語でも同じです。
</translation>
    </message>
    <message>
        <source>Examples:</source>
        <translation>例:</translation>
    </message>
    <message>
        <source>Is a directory (use -r)</source>
        <translation>フォルダです (中の画像は -r で変換)</translation>
    </message>
    <message>
        <source>cannot read the settings file %1</source>
        <translation>設定ファイル %1 を読めません</translation>
    </message>
    <message>
        <source>the size &apos;%1&apos; is not a number of pixels: give --size N or --actual-size</source>
        <translation>変換サイズ &apos;%1&apos; はピクセル数ではありません: --size N か --actual-size を指定してください</translation>
    </message>
    <message>
        <source>write error on the standard output</source>
        <translation>標準出力への書き込みエラー</translation>
    </message>
    <message>
        <source>--files-from - has no standard input to read</source>
        <translation>--files-from - で読む標準入力がありません</translation>
    </message>
    <message>
        <source>cannot read the list %1</source>
        <translation>一覧 %1 を読めません</translation>
    </message>
    <message>
        <source>Try &apos;plendo-batch --help&apos;.</source>
        <translation>使い方は &apos;plendo-batch --help&apos; で表示されます。</translation>
    </message>
    <message>
        <source>no files given</source>
        <translation>ファイルが指定されていません</translation>
    </message>
    <message>
        <source>the output folder does not exist (%1)</source>
        <translation>出力先フォルダが 存在しません！ (%1)</translation>
    </message>
    <message>
        <source>not an image Plendo reads</source>
        <translation>Plendo が読める画像ではありません</translation>
    </message>
    <message>
        <source>damaged %1 data</source>
        <translation>%1 のデータが壊れています</translation>
    </message>
    <message>
        <source>the EXIF data could not be put in</source>
        <translation>Exif 情報を書き込めませんでした</translation>
    </message>
    <message>
        <source>%1: not converted (stopped)</source>
        <translation>%1: 変換していません (中断)</translation>
    </message>
    <message>
        <source>%1: skipped (the output file exists)</source>
        <translation>%1: スキップ (出力ファイルが既にあります)</translation>
    </message>
    <message>
        <source>%1: skipped (not of the chosen type)</source>
        <translation>%1: スキップ (対象の種類ではありません)</translation>
    </message>
    <message>
        <source>%1 x %2, %3 s</source>
        <translation>%1 X %2、%3 秒</translation>
    </message>
    <message>
        <source>%1 x %2, %3 bytes, %4 s</source>
        <translation>%1 X %2、%3 バイト、%4 秒</translation>
    </message>
    <message>
        <source>%1 would be written</source>
        <translation>出力予定 %1 枚</translation>
    </message>
    <message>
        <source>%1 would be written, %2 skipped (%3 output existed, %4 not of the chosen type), %5 failed</source>
        <translation>出力予定 %1 枚、スキップ %2 枚 (出力済みファイルあり %3、対象外の種類 %4)、失敗 %5 枚</translation>
    </message>
    <message>
        <source>%1 written, %2 skipped (%3 output existed, %4 not of the chosen type), %5 failed</source>
        <translation>出力 %1 枚、スキップ %2 枚 (出力済みファイルあり %3、対象外の種類 %4)、失敗 %5 枚</translation>
    </message>
    <message>
        <source>, %1 not converted (stopped)</source>
        <translation>、未変換 %1 枚 (中断)</translation>
    </message>
    <message>
        <source>write beside each source file; existing files are never replaced there</source>
        <translation>元画像と同じフォルダに出力する (そこにあるファイルは上書きしない)</translation>
    </message>
    <message>
        <source>extension of the output files</source>
        <translation>出力ファイルの拡張子</translation>
    </message>
    <message>
        <source>write progressive JPEGs</source>
        <translation>プログレッシブ JPEG を出力する</translation>
    </message>
    <message>
        <source>carry a JPEG source&apos;s EXIF data over</source>
        <translation>元の JPEG の Exif 情報をコピーする</translation>
    </message>
    <message>
        <source>replace an existing output file in DIR, or leave it alone</source>
        <translation>DIR に同名のファイルがあれば上書きする、またはスキップする</translation>
    </message>
    <message>
        <source>gamma level 0 (none) to 3 (darkest)</source>
        <translation>ガンマ補正 0 (無し) から 3 (濃く)</translation>
    </message>
    <message>
        <source>sharpening level 0 (none) to 3 (strongest)</source>
        <translation>シャープネス 0 (無し) から 3 (強く)</translation>
    </message>
    <message>
        <source>add _g&lt;gamma&gt;s&lt;sharpness&gt; to the output names</source>
        <translation>出力名に _g&lt;ガンマ&gt;s&lt;シャープネス&gt; を付ける</translation>
    </message>
    <message>
        <source>switch gamma and sharpening off at actual size</source>
        <translation>原寸の時は画質補正をオフにする</translation>
    </message>
    <message>
        <source>convert N files at once (default: one per core)</source>
        <translation>N 個のファイルを同時に変換する (既定はコア数)</translation>
    </message>
    <message>
        <source>convert colours to sRGB by the source&apos;s ICC profile and embed none, or keep the profile</source>
        <translation>元画像の ICC プロファイルで色を sRGB に変換してプロファイルを埋め込まない、またはプロファイルを残す</translation>
    </message>
    <message>
        <source>file format of the outputs (default: the panel&apos;s choice, JPEG at first)</source>
        <translation>出力形式 (既定はパネルの選択、初めは JPEG)</translation>
    </message>
    <message>
        <source>remove the GPS position from the EXIF data carried over, or keep it</source>
        <translation>コピーする Exif 情報から GPS の位置を削除する、または残す</translation>
    </message>
    <message>
        <source>keep a picture whose chosen side is already N or less at its own size (its name still says N), or enlarge it to N</source>
        <translation>指定した辺が N 以下の画像は元のサイズのままにする (名前は N のまま)、または N に拡大する</translation>
    </message>
    <message>
        <source>quality 0 to 100 (JPEG&apos;s scale; the other lossy formats look alike at the same number)</source>
        <translation>画質 0 から 100 (JPEG の尺度。他の非可逆形式も同じ数値でほぼ同じ見た目)</translation>
    </message>
    <message>
        <source>convert the files below a FILE that is a folder, in name order, files before folders (hidden entries, links to folders and files not named as pictures are passed by); with --out their outputs keep the folder&apos;s tree below DIR</source>
        <translation>フォルダである FILE の中のファイルを名前順に、フォルダより先にファイルを変換する (隠しファイル、フォルダへのリンク、画像の名前でないファイルは飛ばす)。--out があれば DIR の下に同じフォルダ構成で出力する</translation>
    </message>
</context>
</TS>
