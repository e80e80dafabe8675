<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en_US" sourcelanguage="ja_JP">
<context>
    <name>app</name>
    <message>
        <source>停&#x3000;止</source>
        <translation>Stop</translation>
    </message>
    <message>
        <source>開&#x3000;始</source>
        <translation>Start</translation>
    </message>
    <message>
        <source>受信</source>
        <translation>Mail</translation>
    </message>
    <message>
        <source>受信設定の選択</source>
        <translation>Choose account</translation>
    </message>
    <message>
        <source>受信設定の登録</source>
        <translation>New account</translation>
    </message>
    <message>
        <source>受信設定の編集</source>
        <translation>Edit account</translation>
    </message>
    <message>
        <source>削除</source>
        <translation>Junk</translation>
    </message>
    <message>
        <source>アドレスの削除</source>
        <translation>Remove addresses</translation>
    </message>
    <message>
        <source>アドレスの追加</source>
        <translation>Add address</translation>
    </message>
    <message>
        <source>一覧より削除</source>
        <translation>Remove from list</translation>
    </message>
    <message>
        <source>削除したメール</source>
        <translation>Deleted mail</translation>
    </message>
    <message>
        <source>リセット</source>
        <translation>Reset</translation>
    </message>
    <message>
        <source>その他</source>
        <translation>Help</translation>
    </message>
    <message>
        <source>ヘルプ</source>
        <translation>User guide</translation>
    </message>
    <message>
        <source>バージョン情報</source>
        <translation>About</translation>
    </message>
    <message>
        <source>待機時間</source>
        <translation>Next run</translation>
    </message>
    <message>
        <source>カウント</source>
        <translation>Now</translation>
    </message>
    <message>
        <source>元に戻す</source>
        <translation>Undo</translation>
    </message>
    <message>
        <source>状態の全文</source>
        <translation>Whole status</translation>
    </message>
    <message>
        <source>今日削除したメール：%1 通</source>
        <translation>Deleted today: %1</translation>
    </message>
    <message>
        <source>受信 → 受信設定の登録 でアカウントを登録してください</source>
        <translation>Register an account with Mail → New account</translation>
    </message>
    <message>
        <source>&lt;p&gt;クリックするか Ctrl+L を押すと全文を表示します&lt;/p&gt;</source>
        <translation>&lt;p&gt;Click or press Ctrl+L to see the whole text&lt;/p&gt;</translation>
    </message>
    <message>
        <source>表示する状態はありません。</source>
        <translation>There is no status to show.</translation>
    </message>
    <message>
        <source>閉じる</source>
        <translation>Close</translation>
    </message>
</context>
<context>
    <name>dialogs</name>
    <message>
        <source>サーバーアドレスが</source>
        <translation>The server address</translation>
    </message>
    <message>
        <source>未記入です</source>
        <translation>is not filled in</translation>
    </message>
    <message>
        <source>ユーザーが</source>
        <translation>The user name</translation>
    </message>
    <message>
        <source>パスワードアドレスが</source>
        <translation>The password</translation>
    </message>
    <message>
        <source>待機時間が</source>
        <translation>The interval</translation>
    </message>
    <message>
        <source>待機時間は</source>
        <translation>The interval takes</translation>
    </message>
    <message>
        <source>半角数字</source>
        <translation>digits only (0-9)</translation>
    </message>
    <message>
        <source>一覧から選択</source>
        <translation>Choose from the list</translation>
    </message>
    <message>
        <source>受信設定ファイルの編集</source>
        <translation>Edit account</translation>
    </message>
    <message>
        <source>受信サーバアドレス</source>
        <translation>POP server</translation>
    </message>
    <message>
        <source>ユーザー</source>
        <translation>User</translation>
    </message>
    <message>
        <source>パスワード</source>
        <translation>Password</translation>
    </message>
    <message>
        <source>受信間隔は秒で記載<byte value="xd"/>
例）300で5分間隔で受信</source>
        <translation>Interval in seconds<byte value="xd"/>
e.g. 300: every 5 min</translation>
    </message>
    <message>
        <source>編&#x3000;集&#x3000;終&#x3000;了</source>
        <translation>Save changes</translation>
    </message>
    <message>
        <source>受信設定ファイルの新規登録</source>
        <translation>New account</translation>
    </message>
    <message>
        <source>受信メール<byte value="xd"/>
サーバアドレス</source>
        <translation>Incoming mail<byte value="xd"/>
server (POP)</translation>
    </message>
    <message>
        <source>受信間隔<byte value="xd"/>
秒で記載<byte value="xd"/>
例）300で5分間隔で受信</source>
        <translation>Interval<byte value="xd"/>
in seconds<byte value="xd"/>
e.g. 300: 5 min</translation>
    </message>
    <message>
        <source>この内容で作成</source>
        <translation>Create account</translation>
    </message>
    <message>
        <source>削除アドレスの追加</source>
        <translation>Add blocked address</translation>
    </message>
    <message>
        <source>登&#x3000;録</source>
        <translation>Add</translation>
    </message>
    <message>
        <source>一覧から削除</source>
        <translation>Remove from the list</translation>
    </message>
    <message>
        <source>ブロックリストの項目「%1」に行番号がないため削除できません</source>
        <translation>Block list entry &quot;%1&quot; has no row number, so it cannot be removed</translation>
    </message>
    <message>
        <source>アドレスの削除</source>
        <translation>Remove addresses</translation>
    </message>
    <message>
        <source>削&#x3000;除</source>
        <translation>Remove</translation>
    </message>
    <message>
        <source>削除したメールの保存</source>
        <translation>Save deleted mail</translation>
    </message>
    <message>
        <source>メール (*.eml);;すべてのファイル (*)</source>
        <translation>Mail (*.eml);;All files (*)</translation>
    </message>
    <message>
        <source>削除したメール</source>
        <translation>Deleted mail</translation>
    </message>
    <message>
        <source>削除日時</source>
        <translation>Deleted</translation>
    </message>
    <message>
        <source>差出人</source>
        <translation>From</translation>
    </message>
    <message>
        <source>件名</source>
        <translation>Subject</translation>
    </message>
    <message>
        <source>サイズ</source>
        <translation>Size</translation>
    </message>
    <message>
        <source>開く</source>
        <translation>Open</translation>
    </message>
    <message>
        <source>保存</source>
        <translation>Save</translation>
    </message>
    <message>
        <source>（メールとして読めません）</source>
        <translation>(not readable as mail)</translation>
    </message>
    <message>
        <source>削除したメールはありません。</source>
        <translation>No deleted mail.</translation>
    </message>
    <message>
        <source>%1 通。削除してから %2 日間（合計 %3 MB まで）保存されます。</source>
        <translation>%1 kept, each for %2 days after its deletion (%3 MB in all at most).</translation>
    </message>
    <message>
        <source>削除したメール「%1」が見つかりません。保存期間を過ぎて削除された可能性があります。</source>
        <translation>Deleted mail &quot;%1&quot; is not there. It may have been removed after its keeping period.</translation>
    </message>
    <message>
        <source>削除したメールを開くメールソフトがありません。</source>
        <translation>No mail program can open deleted mail.</translation>
    </message>
    <message>
        <source>メール（.eml ファイル）を開けるメールソフトをインストールしてください。</source>
        <translation>Install a mail program that opens mail (.eml files).</translation>
    </message>
    <message>
        <source>開けるアプリケーション<byte value="xd"/>
がありません</source>
        <translation>No application<byte value="xd"/>
can open it</translation>
    </message>
    <message>
        <source>削除したメールを「%1」に保存できません（%2）。</source>
        <translation>Cannot save the deleted mail as &quot;%1&quot; (%2).</translation>
    </message>
    <message>
        <source>ﾊﾞｰｼﾞｮﾝ情報</source>
        <translation>About</translation>
    </message>
    <message>
        <source>ｱﾌﾟﾘｹｰｼｮﾝ ﾀｲﾄﾙ</source>
        <translation>Application title</translation>
    </message>
    <message>
        <source>ﾊﾞｰｼﾞｮﾝ</source>
        <translation>Version</translation>
    </message>
    <message>
        <source>ｱﾌﾟﾘｹｰｼｮﾝの説明</source>
        <translation>Description</translation>
    </message>
    <message>
        <source>のﾊﾞｰｼﾞｮﾝ情報</source>
        <translation> version information</translation>
    </message>
    <message>
        <source>ﾊﾞｰｼﾞｮﾝ </source>
        <translation>Version </translation>
    </message>
    <message>
        <source>迷惑メールの削除ツールです。</source>
        <translation>A tool that deletes junk mail.</translation>
    </message>
    <message>
        <source>■動作環境</source>
        <translation>Requirements:</translation>
    </message>
    <message>
        <source>Qt 6.4以上</source>
        <translation>Qt 6.4 or later</translation>
    </message>
    <message>
        <source>がインストールされている事</source>
        <translation>must be installed</translation>
    </message>
    <message>
        <source>※Debianのパッケージよりインストールしてください。</source>
        <translation>* Install them from Debian&apos;s packages.</translation>
    </message>
    <message>
        <source>kv.chm</source>
        <extracomment>The help file of this language, beside the program (help/CMakeLists.txt builds it).</extracomment>
        <translation>kv_en.chm</translation>
    </message>
    <message>
        <source>未記入です</source>
        <comment>the address box</comment>
        <translation>Nothing entered</translation>
    </message>
    <message>
        <source>受信 → 受信設定の登録 でアカウントを登録してください</source>
        <translation>Register an account with Mail → New account</translation>
    </message>
    <message>
        <source>%1（%2）</source>
        <translation>%1 (%2)</translation>
    </message>
    <message>
        <source>削除 → アドレスの追加 でアドレスを登録してください</source>
        <translation>Add an address with Junk → Add address</translation>
    </message>
    <message>
        <source>ブロックリストから %1 件を削除しました（削除 → 元に戻す で戻せます）</source>
        <translation>Removed %1 entries from the block list (Junk → Undo brings them back)</translation>
    </message>
    <message>
        <source>ブロックリストから削除したアドレスはありません</source>
        <translation>No address was removed from the block list</translation>
    </message>
    <message>
        <source>ブロックリストに %1 件を戻しました</source>
        <translation>Restored %1 entries to the block list</translation>
    </message>
    <message>
        <source>削除したメールの表示</source>
        <translation>Deleted mail</translation>
    </message>
    <message>
        <source>差出人：</source>
        <translation>From:</translation>
    </message>
    <message>
        <source>宛先：</source>
        <translation>To:</translation>
    </message>
    <message>
        <source>日時：</source>
        <translation>Date:</translation>
    </message>
    <message>
        <source>件名：</source>
        <translation>Subject:</translation>
    </message>
    <message>
        <source>HTML のメールを文字だけで表示しています。画像やリンク先は読み込みません。</source>
        <translation>This HTML mail is shown as text only. Images and links are not loaded.</translation>
    </message>
    <message>
        <source>添付ファイル</source>
        <translation>Attachment</translation>
    </message>
    <message>
        <source>種類</source>
        <translation>Type</translation>
    </message>
    <message>
        <source>（名前なし）</source>
        <translation>(no name)</translation>
    </message>
    <message>
        <source>添付ファイルを保存</source>
        <translation>Save attachment</translation>
    </message>
    <message>
        <source>メールソフトで開く</source>
        <translation>Open in mail program</translation>
    </message>
    <message>
        <source>閉じる</source>
        <translation>Close</translation>
    </message>
    <message>
        <source>添付ファイルを「%1」に保存できません（%2）。</source>
        <translation>Cannot save the attachment as &quot;%1&quot; (%2).</translation>
    </message>
    <message>
        <source>%1 を開くアプリケーションが登録されていません。</source>
        <translation>No application is registered to open %1.</translation>
    </message>
    <message>
        <source>%1 に登録されたアプリケーション「%2」が見つかりません。</source>
        <translation>The application &quot;%2&quot; registered for %1 cannot be found.</translation>
    </message>
    <message>
        <source>アプリケーション「%1」を起動できません（%2）。</source>
        <translation>Cannot start the application &quot;%1&quot; (%2).</translation>
    </message>
</context>
<context>
    <name>mail</name>
    <message>
        <source>添付ファイル「%1」を書き込めません（%2）。ディスクの空き容量を確認してください。</source>
        <translation>Cannot write the attachment &quot;%1&quot; (%2). Check the free disk space.</translation>
    </message>
    <message>
        <source>パートが %1 を超えるため、それより後は調べていません。</source>
        <translation>Parts after the first %1 were not looked at.</translation>
    </message>
    <message>
        <source>%1 段より深く入れ子になった部分は調べていません。</source>
        <translation>Parts nested deeper than %1 levels were not looked at.</translation>
    </message>
    <message>
        <source>ヘッダーが %1 KB を超えるパートは調べていません。</source>
        <translation>Parts with a header over %1 KB were not looked at.</translation>
    </message>
    <message>
        <source>区切りの文字列が %1 バイトを超えるマルチパートは調べていません。</source>
        <translation>Multipart sections with a boundary over %1 bytes were not looked at.</translation>
    </message>
    <message>
        <source>メッセージファイル「%1」を読み込めません（%2）。</source>
        <translation>Cannot read the message file &quot;%1&quot; (%2).</translation>
    </message>
    <message>
        <source>読み込むメッセージファイルが指定されていません。</source>
        <translation>No message file was given to read.</translation>
    </message>
    <message>
        <source>メッセージファイル「%1」を開けません（%2）。</source>
        <translation>Cannot open the message file &quot;%1&quot; (%2).</translation>
    </message>
    <message>
        <source>ファイル「%1」をメールのメッセージとして読み込めません。</source>
        <translation>Cannot read the file &quot;%1&quot; as a mail message.</translation>
    </message>
    <message>
        <source>差出人（From ヘッダー）が %1 KB を超えるため、その末尾で判定しました。</source>
        <translation>The sender (From header) is longer than %1 KB, so it was judged by its end.</translation>
    </message>
    <message>
        <source>ヘッダーが %1 KB を超えるため、添付ファイルは調べていません。</source>
        <translation>The header is over %1 KB, so attachments were not looked at.</translation>
    </message>
    <message>
        <source>添付ファイル %1 件は保存していません（1 通につき %2 件まで）。</source>
        <translation>%1 attachments were not saved (at most %2 per message).</translation>
    </message>
    <message>
        <source>%1（保存できなかった添付ファイルは %2 件）</source>
        <translation>%1 (%2 attachments could not be saved)</translation>
    </message>
    <message>
        <source>メッセージファイル「%1」を読めません（%2）。</source>
        <translation>Cannot read the message file &quot;%1&quot; (%2).</translation>
    </message>
    <message>
        <source>メッセージをファイル「%1」に書き込めません（%2）。ディスクの空き容量と書き込み権限を確認してください。</source>
        <translation>Cannot write the message to the file &quot;%1&quot; (%2). Check the free disk space and the write permissions.</translation>
    </message>
    <message>
        <source>メールのコマンド「%1」は使えません。「SAVE n」か「DELE n」（n は 0 以上のメッセージ番号）を指定してください。</source>
        <translation>The mail command &quot;%1&quot; is not known. Use &quot;SAVE n&quot; or &quot;DELE n&quot; (n is a message number, 0 or more).</translation>
    </message>
    <message>
        <source>ユーザー名が設定されていません。アカウントの設定でユーザー名を入力してください。</source>
        <translation>No user name is set. Enter the user name in the account&apos;s settings.</translation>
    </message>
    <message>
        <source>ユーザー名に制御文字（改行など）が含まれています。アカウントの設定でユーザー名を入力し直してください。</source>
        <translation>The user name contains control characters (such as a line break). Enter the user name again in the account&apos;s settings.</translation>
    </message>
    <message>
        <source>パスワードに制御文字（改行など）が含まれています。アカウントの設定でパスワードを入力し直してください。</source>
        <translation>The password contains control characters (such as a line break). Enter the password again in the account&apos;s settings.</translation>
    </message>
    <message>
        <source>サーバー %1 にメッセージ %2 はありません。</source>
        <translation>Server %1 has no message %2.</translation>
    </message>
    <message>
        <source>サーバー %1 はメッセージの固有 ID の問い合わせ（UIDL）に対応していません（「%2」）。このプログラムには UIDL に対応した POP3 サーバーが必要です。</source>
        <translation>Server %1 does not support asking for message IDs (UIDL) (&quot;%2&quot;). This program needs a POP3 server that supports UIDL.</translation>
    </message>
    <message>
        <source>サーバー %1 はメッセージ %2 の固有 ID の問い合わせ（UIDL）に「%3」と答えました。このプログラムには UIDL に対応した POP3 サーバーが必要です。</source>
        <translation>Server %1 answered &quot;%3&quot; when asked for the ID of message %2 (UIDL). This program needs a POP3 server that supports UIDL.</translation>
    </message>
    <message>
        <source>サーバー %1 のメッセージ %2 が %3 MB を超えても終わらないため、受信を中止しました。サーバーが正しく動いているか確認してください。</source>
        <translation>Message %2 on server %1 went on past %3 MB, so receiving it was stopped. Check that the server works properly.</translation>
    </message>
    <message>
        <source>サーバー %1 がメッセージ %2 の受信を断りました（「%3」）。</source>
        <translation>Server %1 refused to send message %2 (&quot;%3&quot;).</translation>
    </message>
    <message>
        <source>サーバー %1 からメッセージ %2 が途中までしか届きませんでした（%4 バイト中 %3 バイト）。しばらくしてからもう一度試してください。</source>
        <translation>Only part of message %2 arrived from server %1 (%3 of %4 bytes). Try again later.</translation>
    </message>
    <message>
        <source>サーバー %1 との接続がメッセージ %2 の途中で切れたため、最後まで受け取れませんでした。しばらくしてからもう一度試してください。</source>
        <translation>The connection to server %1 broke off during message %2, so it was not received in full. Try again later.</translation>
    </message>
    <message>
        <source>サーバー %1 の一覧では、判定したメッセージの固有 ID「%2」が %3 件のメッセージ（番号 %4）に付いています。どれが判定したメッセージか確かめられないため、何も削除しませんでした。サーバーの管理者に連絡してください。</source>
        <translation>In the listing of server %1, the ID &quot;%2&quot; of the judged message is on %3 messages (numbers %4). It is not certain which one was judged, so nothing was deleted. Contact the server&apos;s administrator.</translation>
    </message>
    <message>
        <source>、</source>
        <translation>, </translation>
    </message>
    <message>
        <source>サーバー %1 がメッセージ %2 の削除を断りました（「%3」）。メッセージはサーバーに残っています。</source>
        <translation>Server %1 refused to delete message %2 (&quot;%3&quot;). The message stays on the server.</translation>
    </message>
    <message>
        <source>サーバー %1 はメッセージ %2 の削除を受け付けましたが、接続の終わり（QUIT）で削除を確定しませんでした（%3）。メッセージはサーバーに残っている可能性があります。</source>
        <translation>Server %1 accepted the deletion of message %2, but the end of the connection (QUIT) did not confirm it (%3). The message may still be on the server.</translation>
    </message>
    <message>
        <source>応答なし</source>
        <translation>no reply</translation>
    </message>
    <message>
        <source>「%1」</source>
        <translation>&quot;%1&quot;</translation>
    </message>
    <message>
        <source>%1 バイト</source>
        <translation>%1 bytes</translation>
    </message>
    <message>
        <source>（%1）</source>
        <translation> (%1)</translation>
    </message>
    <message>
        <source>サーバー %1 との接続がコマンドの途中で入れ替わり、メッセージ番号が当てにならなくなったため、何もせずに中止しました。もう一度試してください。</source>
        <translation>The connection to server %1 was replaced in the middle of a command, so the message numbers could not be trusted; nothing was done. Try again.</translation>
    </message>
    <message>
        <source>サーバー %1 とのやり取りを途中で中止しました。</source>
        <translation>The exchange with server %1 was broken off.</translation>
    </message>
    <message>
        <source>通信ライブラリ（libcurl）を初期化できません。メモリが不足している可能性があります。プログラムを起動し直してください。</source>
        <translation>Cannot start the network library (libcurl). Memory may be short. Start the program again.</translation>
    </message>
    <message>
        <source>サーバー名 %1 が見つかりません%2。サーバーアドレスとネットワークの接続を確認してください。</source>
        <translation>Server name %1 not found%2. Check the server address and the network connection.</translation>
    </message>
    <message>
        <source>サーバー %1 に接続できません%2。サーバーアドレスとポートを確認してください。</source>
        <translation>Cannot connect to server %1%2. Check the server address and port.</translation>
    </message>
    <message>
        <source>サーバー %1 からの受信が %2 秒間の平均で毎秒 %3 を下回ったため中止しました。回線が非常に混んでいる可能性があります。しばらくしてからもう一度試してください。</source>
        <translation>Receiving from server %1 fell below %3 per second on average over %2 seconds, so it was stopped. The line may be very busy. Try again later.</translation>
    </message>
    <message>
        <source>サーバー %1 とのやり取りが制限時間の %2 秒以内に終わらなかったため中止しました%3。回線が混んでいる可能性があります。しばらくしてからもう一度試してください。</source>
        <translation>The exchange with server %1 did not finish within its limit of %2 seconds, so it was stopped%3. The line may be busy. Try again later.</translation>
    </message>
    <message>
        <source>サーバー %1 から %2 秒間応答がありません%3。接続とログインを完了できませんでした。サーバーアドレスとポートを確認するか、しばらくしてからもう一度試してください。</source>
        <translation>No reply from server %1 for %2 seconds%3. Could not connect and log in. Check the server address and port, or try again later.</translation>
    </message>
    <message>
        <source>サーバー %1 から %2 秒間応答がありません%3。しばらくしてからもう一度試してください。</source>
        <translation>No reply from server %1 for %2 seconds%3. Try again later.</translation>
    </message>
    <message>
        <source>サーバー %1 のメールボックスは別のプログラム（メールソフトなど）が使用中です（「%2」）。しばらくしてからもう一度試してください。</source>
        <translation>The mailbox on server %1 is in use by another program (such as a mail program) (&quot;%2&quot;). Try again later.</translation>
    </message>
    <message>
        <source>サーバー %1 で一時的な障害のためログインできません（「%2」）。しばらくしてからもう一度試してください。</source>
        <translation>Cannot log in to server %1 because of a temporary fault (&quot;%2&quot;). Try again later.</translation>
    </message>
    <message>
        <source>サーバー %1 でユーザー「%2」のログインが拒否されました%3。ユーザー名とパスワードを確認してください。</source>
        <translation>Server %1 refused the login of user &quot;%2&quot;%3. Check the user name and password.</translation>
    </message>
    <message>
        <source>（「%1」）</source>
        <translation> (&quot;%1&quot;)</translation>
    </message>
    <message>
        <source>%1 は STLS に対応していないため、暗号化せずにパスワードを送らないよう接続を中止しました。平文で接続するには pop3://%2 と書いてください。</source>
        <translation>%1 does not support STLS, so the connection was stopped rather than send the password unencrypted. To connect in plain text, write pop3://%2.</translation>
    </message>
    <message>
        <source>サーバー %1 の証明書を確認できません%2。信頼できる認証局の署名がないか、期限切れか、別のサーバー名の証明書です。パスワードを守るため接続を中止しました。</source>
        <translation>Cannot verify the certificate of server %1%2. It is not signed by a trusted authority, has expired, or is for another server name. The connection was stopped to protect the password.</translation>
    </message>
    <message>
        <source>システムの認証局の証明書を読み込めません%1。ca-certificates パッケージが入っているか確認してください。</source>
        <translation>Cannot read the system&apos;s certificate authorities%1. Check that the ca-certificates package is installed.</translation>
    </message>
    <message>
        <source>認証局の証明書ファイル「%1」を読み込めません%2。</source>
        <translation>Cannot read the certificate authority file &quot;%1&quot;%2.</translation>
    </message>
    <message>
        <source>サーバー %1 と暗号化した接続（TLS）を確立できません%2。ポート番号が合っているか（pop3s:// は通常 995 番）を確認してください。</source>
        <translation>Cannot set up an encrypted connection (TLS) with server %1%2. Check the port number (pop3s:// is usually 995).</translation>
    </message>
    <message>
        <source>サーバー %1 から長すぎる応答行が届いたため中止しました%2。POP3 サーバーのアドレスとポートを確認してください。</source>
        <translation>Server %1 sent a reply line that was too long, so it was stopped%2. Check the POP3 server&apos;s address and port.</translation>
    </message>
    <message>
        <source>サーバー %1 との接続が途中で切れました%2。しばらくしてからもう一度試してください。</source>
        <translation>The connection to server %1 broke off%2. Try again later.</translation>
    </message>
    <message>
        <source>サーバー %1 から予期しない応答がありました%2。POP3 サーバーのアドレスとポートか確認してください。</source>
        <translation>Unexpected reply from server %1%2. Check the POP3 server&apos;s address and port.</translation>
    </message>
    <message>
        <source>サーバー %1 との通信に失敗しました（%2）%3。しばらくしてからもう一度試してください。</source>
        <translation>Communication with server %1 failed (%2)%3. Try again later.</translation>
    </message>
    <message>
        <source>メールを保存するフォルダーが指定されていません。</source>
        <translation>No folder was given to keep the mail in.</translation>
    </message>
    <message>
        <source>フォルダー「%1」を開けません（%2）。フォルダーがあることと、読み書きできることを確認してください。</source>
        <translation>Cannot open the folder &quot;%1&quot; (%2). Check that the folder exists and can be read and written.</translation>
    </message>
    <message>
        <source>フォルダー「%2」にファイル「%1」を作成できません（%3）。空き容量と書き込み権限を確認してください。</source>
        <translation>Cannot create the file &quot;%1&quot; in the folder &quot;%2&quot; (%3). Check the free space and the write permissions.</translation>
    </message>
    <message>
        <source>フォルダー「%2」にファイル「%1」を作成できません（同じ名前のファイルが多すぎます）。フォルダー内の不要なファイルを削除してください。</source>
        <translation>Cannot create the file &quot;%1&quot; in the folder &quot;%2&quot; (too many files of that name). Delete the files no longer needed in the folder.</translation>
    </message>
    <message>
        <source>フォルダー「%1」にファイルを作成できません（%2）。空き容量と書き込み権限を確認してください。</source>
        <translation>Cannot create a file in the folder &quot;%1&quot; (%2). Check the free space and the write permissions.</translation>
    </message>
    <message>
        <source>フォルダー「%1」に新しい名前のファイルを作成できません。フォルダー内の不要なファイルを削除してください。</source>
        <translation>Cannot create a file with a new name in the folder &quot;%1&quot;. Delete the files no longer needed in the folder.</translation>
    </message>
    <message>
        <source>サーバーが入力されていません。POP3 サーバーの名前を入力してください（例：pop.example.jp）。</source>
        <translation>No server was entered. Enter the name of the POP3 server (for example pop.example.jp).</translation>
    </message>
    <message>
        <source>サーバー「%1」に制御文字（改行など）が含まれています。サーバー名を入力し直してください。</source>
        <translation>Server &quot;%1&quot; contains control characters (such as a line break). Enter the server name again.</translation>
    </message>
    <message>
        <source>サーバー「%1」に空白が含まれています。サーバー名だけを入力してください（例：pop.example.jp）。</source>
        <translation>Server &quot;%1&quot; contains spaces. Enter the server name alone (for example pop.example.jp).</translation>
    </message>
    <message>
        <source>サーバー「%1」の「%2://」は使えません。サーバー名だけを書くか、先頭に pop3s://（暗号化しない接続は pop3://）を付けてください。</source>
        <translation>&quot;%2://&quot; in server &quot;%1&quot; cannot be used. Write the server name alone, or begin it with pop3s:// (pop3:// for a connection without encryption).</translation>
    </message>
    <message>
        <source>サーバー「%1」にパス（「/」以降）が含まれています。サーバー名と、必要なら「:ポート番号」だけを入力してください。</source>
        <translation>Server &quot;%1&quot; contains a path (from &quot;/&quot; on). Enter the server name, and &quot;:port&quot; if needed, alone.</translation>
    </message>
    <message>
        <source>サーバー「%1」に「@」が含まれています。ユーザー名はユーザー名の欄に入力し、ここにはサーバー名だけを入力してください。</source>
        <translation>Server &quot;%1&quot; contains &quot;@&quot;. Enter the user name in the user box, and only the server name here.</translation>
    </message>
    <message>
        <source>サーバー「%1」にサーバー名がありません。pop3s://pop.example.jp のように入力してください。</source>
        <translation>Server &quot;%1&quot; has no server name. Enter it like pop3s://pop.example.jp.</translation>
    </message>
    <message>
        <source>サーバー「%1」の「[」が閉じていません。IPv6 アドレスは [::1] や [::1]:110 のように書いてください。</source>
        <translation>The &quot;[&quot; in server &quot;%1&quot; is not closed. Write IPv6 addresses like [::1] or [::1]:110.</translation>
    </message>
    <message>
        <source>サーバー「%1」の「]」の後にポート番号ではない文字があります。[::1]:110 のように書いてください。</source>
        <translation>Server &quot;%1&quot; has characters after &quot;]&quot; that are not a port number. Write it like [::1]:110.</translation>
    </message>
    <message>
        <source>サーバー「%2」の「%1」は正しい IPv6 アドレスではありません。[::1] のように入力し直してください。</source>
        <translation>&quot;%1&quot; in server &quot;%2&quot; is not a valid IPv6 address. Enter it again like [::1].</translation>
    </message>
    <message>
        <source>サーバー「%1」に「:」が二つ以上あります。IPv6 アドレスは [::1]:110 のように角かっこで囲んでください。</source>
        <translation>Server &quot;%1&quot; has more than one &quot;:&quot;. Put IPv6 addresses in brackets, like [::1]:110.</translation>
    </message>
    <message>
        <source>サーバー「%2」の「%1」はサーバー名として正しくありません。英字、数字、「-」、「.」で pop.example.jp のように入力してください。</source>
        <translation>&quot;%1&quot; in server &quot;%2&quot; is not a valid server name. Use letters, digits, &quot;-&quot; and &quot;.&quot; like pop.example.jp.</translation>
    </message>
    <message>
        <source>サーバー「%2」のポート番号「%1」が正しくありません。ポート番号は 1 から 65535 までの数字で指定してください。</source>
        <translation>Port number &quot;%1&quot; in server &quot;%2&quot; is not valid. Give a port number from 1 to 65535.</translation>
    </message>
    <message>
        <source>パートが多すぎるため、本文と添付ファイルは表示していません。</source>
        <translation>The message has too many parts, so its body and attachments are not shown.</translation>
    </message>
    <message>
        <source>ヘッダーが大きすぎるため、その先頭だけを表示しています。</source>
        <translation>The header is too large, so only its beginning is shown.</translation>
    </message>
    <message>
        <source>本文が長いため、先頭だけを表示しています。</source>
        <translation>The body is long, so only its beginning is shown.</translation>
    </message>
    <message>
        <source>パートが多すぎるか深すぎるため、一部を表示していません。</source>
        <translation>Some parts are not shown: there are too many, or they are nested too deeply.</translation>
    </message>
    <message>
        <source>添付ファイルが見つかりません。</source>
        <translation>The attachment cannot be found.</translation>
    </message>
    <message>
        <source>ヘッダーの形が崩れているため、添付ファイルは調べていません。</source>
        <translation>The header is malformed, so attachments were not looked at.</translation>
    </message>
    <message>
        <source>受信中：サーバー %1 からメッセージ %2 を受け取っています（%3 KB%4）。</source>
        <translation>Receiving: message %2 from server %1 (%3 KB%4).</translation>
    </message>
    <message>
        <source>サーバー %1 のメッセージ %2 が、サーバーの知らせた大きさ（%3 バイト）を超えても終わらないため、受信を中止しました。サーバーが正しく動いているか確認してください。</source>
        <translation>Message %2 on server %1 went on past the size the server announced (%3 bytes), so receiving it was stopped. Check that the server works properly.</translation>
    </message>
</context>
<context>
    <name>program</name>
    <message>
        <source>エラー：</source>
        <translation>error: </translation>
    </message>
    <message>
        <source>メッセージを飛ばしました</source>
        <translation>A message was passed over</translation>
    </message>
    <message>
        <source>ログイン時に起動</source>
        <translation>Start at login</translation>
    </message>
    <message>
        <source>設定エラー：</source>
        <translation>Settings error: </translation>
    </message>
    <message>
        <source>削除件数を通知</source>
        <translation>Notify deletions</translation>
    </message>
    <message>
        <source>前回の巡回を再開します</source>
        <translation>Resuming the last sweep</translation>
    </message>
    <message>
        <source>ユーザ：</source>
        <translation>User: </translation>
    </message>
    <message>
        <source>Junkbane は動き続けます</source>
        <translation>Junkbane keeps running</translation>
    </message>
    <message>
        <source>ウィンドウを閉じても、通知領域（トレイ）で巡回を続けます。終了するにはトレイのアイコンのメニューから「終了」を選んでください。</source>
        <translation>The sweep goes on in the system tray after the window is closed. To quit, choose &quot;Quit&quot; in the tray icon&apos;s menu.</translation>
    </message>
</context>
<context>
    <name>session</name>
    <message>
        <source>自動起動の設定 %1 を削除できません（%2）。</source>
        <translation>Cannot remove the autostart entry %1 (%2).</translation>
    </message>
    <message>
        <source>フォルダー %1 を作れません</source>
        <translation>Cannot create the folder %1</translation>
    </message>
    <message>
        <source>自動起動の設定 %1 を書き込めません（%2）。</source>
        <translation>Cannot write the autostart entry %1 (%2).</translation>
    </message>
    <message>
        <source>オプション %1 には値が必要です</source>
        <translation>Option %1 needs a value</translation>
    </message>
    <message>
        <source>%1 というオプションはありません</source>
        <translation>There is no option %1</translation>
    </message>
    <message>
        <source>引数 %1 は使えません（ファイルやアドレスは指定できません）</source>
        <translation>Argument %1 cannot be used (no files or addresses are taken)</translation>
    </message>
    <message>
        <source>使い方: junkbane [オプション]
POP3 サーバー上の迷惑メールを差出人で見分けて削除します。

  --minimized     ウィンドウを開かずに通知領域（トレイ）で起動します。
                  トレイがないときは最小化して起動します
  --check-start   データフォルダーを準備してウィンドウを開き、データフォルダーと
                  ヘルプファイルの場所を表示して終了します（導入の確認用）
  -h, --help      この説明を表示して終了します
  -v, --version   バージョンを表示して終了します

同じデータフォルダーで動くのは 1 つだけです。2 つ目を起動すると、
動いているほうのウィンドウが前面に出ます。
設定: データフォルダーの junkbane.mdb と junkbane.ini
</source>
        <translation>Usage: junkbane [option]
Deletes junk mail on a POP3 server, judged by its sender.

  --minimized     start in the system tray without opening the window;
                  minimised when the desktop has no tray
  --check-start   prepare the data folder, open the window, print the data
                  folder and the help file, and exit (checks an installation)
  -h, --help      print this help and exit
  -v, --version   print the version and exit

Only one instance runs per data folder; starting a second one brings
the running one&apos;s window forward.
Settings: junkbane.mdb and junkbane.ini in the data folder
</translation>
    </message>
    <message>
        <source>%1 通削除しました</source>
        <translation>Deleted %1 messages</translation>
    </message>
    <message>
        <source>データフォルダー %1 にロックファイル %2 を作れません。フォルダーの書き込み権限を確認してください。</source>
        <translation>Cannot create the lock file %2 in the data folder %1. Check the folder&apos;s write permission.</translation>
    </message>
    <message>
        <source>2 つ目の起動からの呼び出しを受けられません：%1</source>
        <translation>Cannot listen for a second start: %1</translation>
    </message>
    <message>
        <source>このデータフォルダー（%1）では別の Junkbane が動いていますが、応答がありません（%2）。そちらを終了してから起動し直してください。</source>
        <translation>Another Junkbane runs on this data folder (%1) but does not answer (%2). End it, then start again.</translation>
    </message>
    <message>
        <source>巡回中</source>
        <translation>Sweeping</translation>
    </message>
    <message>
        <source>待機中</source>
        <translation>Waiting</translation>
    </message>
    <message>
        <source>停止中</source>
        <translation>Stopped</translation>
    </message>
    <message>
        <source>エラーで停止</source>
        <translation>Stopped by an error</translation>
    </message>
    <message>
        <source>Junkbane：%1</source>
        <translation>Junkbane: %1</translation>
    </message>
    <message>
        <source>
ユーザ：</source>
        <translation>
User: </translation>
    </message>
    <message>
        <source>（未選択）</source>
        <translation>(none selected)</translation>
    </message>
    <message>
        <source>
今日の削除：%1 通</source>
        <translation>
Deleted today: %1</translation>
    </message>
    <message>
        <source>
最後のエラー：</source>
        <translation>
Last error: </translation>
    </message>
    <message>
        <source>ウィンドウを隠す</source>
        <translation>Hide window</translation>
    </message>
    <message>
        <source>開始</source>
        <translation>Start</translation>
    </message>
    <message>
        <source>停止</source>
        <translation>Stop</translation>
    </message>
    <message>
        <source>終了</source>
        <translation>Quit</translation>
    </message>
    <message>
        <source>ウィンドウを表示</source>
        <translation>Show window</translation>
    </message>
</context>
<context>
    <name>startup</name>
    <message>
        <source>データフォルダー %1 がないため、設定データベースを作成できません。</source>
        <translation>The data folder %1 is missing, so the settings database cannot be created.</translation>
    </message>
    <message>
        <source>設定データベース %1 を作成できません（%2）。フォルダーの書き込み権限と空き容量を確認してください。</source>
        <translation>Cannot create the settings database %1 (%2). Check the folder&apos;s write permissions and free space.</translation>
    </message>
    <message>
        <source>%1 %2 はほかのユーザーも使える状態のため所有者だけに制限しようとしましたが、できません（%3）。ファイルの所有者で「chmod %4 %2」を実行してください。</source>
        <translation>%1 %2 can be used by other users, and limiting it to its owner failed (%3). Run &quot;chmod %4 %2&quot; as the file&apos;s owner.</translation>
    </message>
    <message>
        <source>前回の実行で一時フォルダーに残ったメール %1 を削除できません（%2）。フォルダーの書き込み権限を確認してください。</source>
        <translation>Cannot delete the mail %1 left in the temporary folder by the last run (%2). Check the folder&apos;s write permissions.</translation>
    </message>
    <message>
        <source>設定データベースを置くフォルダーが決まりません。環境変数 HOME（または XDG_DATA_HOME）に自分のホームフォルダーを設定して起動してください。</source>
        <translation>The folder for the settings database is not known. Start the program with the environment variable HOME (or XDG_DATA_HOME) set to your home folder.</translation>
    </message>
    <message>
        <source>データフォルダー %1 を作成できません（%2）。上位のフォルダーの書き込み権限と空き容量を確認してください。</source>
        <translation>Cannot create the data folder %1 (%2). Check the write permissions and free space of the folder above it.</translation>
    </message>
    <message>
        <source>一時フォルダー %1 を作成できません（%2）。フォルダーの書き込み権限と空き容量を確認してください。</source>
        <translation>Cannot create the temporary folder %1 (%2). Check the folder&apos;s write permissions and free space.</translation>
    </message>
    <message>
        <source>設定データベース</source>
        <translation>The settings database</translation>
    </message>
    <message>
        <source>一時フォルダー</source>
        <translation>The temporary folder</translation>
    </message>
</context>
<context>
    <name>store</name>
    <message>
        <source>設定データベースは別のプログラムが使用中です。そのプログラムを終了してからやり直してください（%1）</source>
        <translation>The settings database is in use by another program. Close that program and try again (%1)</translation>
    </message>
    <message>
        <source>設定データベースに書き込めません。ファイルとフォルダの書き込み権限を確認してください（%1）</source>
        <translation>Cannot write to the settings database. Check the write permissions of the file and its folder (%1)</translation>
    </message>
    <message>
        <source>ディスクに空きがないため設定データベースに書き込めません。空きを作ってからやり直してください（%1）</source>
        <translation>The disk is full, so the settings database cannot be written. Free some space and try again (%1)</translation>
    </message>
    <message>
        <source>設定データベースが壊れています。バックアップから戻すか、junkbane-initdb で作り直してください（%1）</source>
        <translation>The settings database is damaged. Restore it from a backup, or make a new one with junkbane-initdb (%1)</translation>
    </message>
    <message>
        <source>設定データベースの読み書き中に入出力エラーが起きました（%1）</source>
        <translation>An input/output error occurred while reading or writing the settings database (%1)</translation>
    </message>
    <message>
        <source>設定データベースに入れる値が長すぎます（%1）</source>
        <translation>A value is too long for the settings database (%1)</translation>
    </message>
    <message>
        <source>設定データベースの読み書きに失敗しました（%1）</source>
        <translation>Reading or writing the settings database failed (%1)</translation>
    </message>
    <message>
        <source>設定データベース %1 を読めません：パスワードが合わないか、壊れているか、このプログラムの設定データベースではありません（%2）</source>
        <translation>Cannot read the settings database %1: the password does not match, it is damaged, or it is not this program&apos;s settings database (%2)</translation>
    </message>
    <message>
        <source>設定データベース %1 を開けません：%2</source>
        <translation>Cannot open the settings database %1: %2</translation>
    </message>
    <message>
        <source>このプログラムは暗号化に対応していない SQLite で動いています。設定データベースを保護できないため開きません（PRAGMA cipher_version が空です）</source>
        <translation>This program runs on an SQLite without encryption. It does not open the settings database, which it could not protect (PRAGMA cipher_version is empty)</translation>
    </message>
    <message>
        <source>設定データベースの結果の終わりを越えて読もうとしました</source>
        <translation>Tried to read past the end of a settings database result</translation>
    </message>
    <message>
        <source>設定データベースの結果に現在の行がありません</source>
        <translation>A settings database result has no current row</translation>
    </message>
    <message>
        <source>設定データベースの結果に列 %1 がありません</source>
        <translation>A settings database result has no column %1</translation>
    </message>
    <message>
        <source>設定データベース %1 がありません。junkbane-initdb で作成してください</source>
        <translation>The settings database %1 is missing. Create it with junkbane-initdb</translation>
    </message>
    <message>
        <source>設定データベースへの命令に使えない文字（NUL）が含まれています</source>
        <translation>A settings database statement contains a character it cannot use (NUL)</translation>
    </message>
    <message>
        <source>設定データベースへの命令が空です</source>
        <translation>A settings database statement is empty</translation>
    </message>
    <message>
        <source>設定データベースへの命令に二つ目の文が含まれていたため実行しませんでした</source>
        <translation>A settings database statement contained a second statement, so it was not run</translation>
    </message>
    <message>
        <source>設定ファイル %1 に書き込めません。フォルダーの書き込み権限と空き容量を確認してください。</source>
        <translation>Cannot write the settings file %1. Check the folder&apos;s write permission and the free space.</translation>
    </message>
</context>
<context>
    <name>sweep</name>
    <message>
        <source>削除するメッセージの控えを「%1」に書き込めません（%2）。空き容量と書き込み権限を確認してください。</source>
        <translation>Cannot write the copy of the message to delete to &quot;%1&quot; (%2). Check the free space and the write permissions.</translation>
    </message>
    <message>
        <source>削除したメールの保存先フォルダー「%1」は書き込み禁止になっています。書き込み権限を確認してください。</source>
        <translation>The folder for deleted mail &quot;%1&quot; is write-protected. Check its write permissions.</translation>
    </message>
    <message>
        <source>削除したメールの保存先「%1」がフォルダーではありません。そのファイルを別の場所へ移してください。</source>
        <translation>The place for deleted mail &quot;%1&quot; is not a folder. Move that file elsewhere.</translation>
    </message>
    <message>
        <source>削除したメールの保存先フォルダー「%1」を作れません（%2）。書き込み権限を確認してください。</source>
        <translation>Cannot create the folder for deleted mail &quot;%1&quot; (%2). Check the write permissions.</translation>
    </message>
    <message>
        <source>サーバーから削除したメッセージの控え「%1」を、削除したメールとして残せません（%2）。控えはそのまま残っています。</source>
        <translation>Cannot keep the copy &quot;%1&quot; of a message deleted from the server as deleted mail (%2). The copy stays where it is.</translation>
    </message>
    <message>
        <source>削除しなかったメッセージの控え「%1」を削除できません（%2）。</source>
        <translation>Cannot delete the copy &quot;%1&quot; of a message that was not deleted (%2).</translation>
    </message>
    <message>
        <source>保存期間を過ぎた削除したメール「%1」を削除できません（%2）。</source>
        <translation>Cannot delete the deleted mail &quot;%1&quot; past its keeping period (%2).</translation>
    </message>
    <message>
        <source>一時ファイル %1 を削除できません：%2</source>
        <translation>Cannot delete the temporary file %1: %2</translation>
    </message>
    <message>
        <source>受信エラー：</source>
        <translation>Receive error: </translation>
    </message>
    <message>
        <source>受信エラー：メッセージ %1（固有 ID「%2」）は %3 回続けて%4ため、飛ばして次のメッセージに進みました。メッセージはサーバーに残っています。最後の理由：%5</source>
        <translation>Receive error: message %1 (ID &quot;%2&quot;) %4 %3 times in a row, so it was passed over for the next message. It stays on the server. Last reason: %5</translation>
    </message>
    <message>
        <source>受信できなかった</source>
        <translation>could not be received</translation>
    </message>
    <message>
        <source>削除できなかった</source>
        <translation>could not be deleted</translation>
    </message>
    <message>
        <source>メッセージ %1（固有 ID「%2」）</source>
        <translation>message %1 (ID &quot;%2&quot;)</translation>
    </message>
    <message>
        <source>受信エラー：%1はヘッダーを読めないため、判定せずに飛ばしました。メッセージはサーバーに残っています。理由：%2</source>
        <translation>Receive error: the header of %1 cannot be read, so it was passed over unjudged. It stays on the server. Reason: %2</translation>
    </message>
    <message>
        <source>受信エラー：%1は差出人で判定しましたが、添付ファイルをすべては保存できませんでした：%2</source>
        <translation>Receive error: %1 was judged by its sender, but not all its attachments could be saved: %2</translation>
    </message>
    <message>
        <source>メッセージはサーバーから削除しません。</source>
        <translation> The message is not deleted from the server.</translation>
    </message>
    <message>
        <source>添付ファイル %1 が見つかりません</source>
        <translation>Attachment %1 is missing</translation>
    </message>
    <message>
        <source>添付ファイル %1 の名前を %2 に変更できません</source>
        <translation>Cannot rename attachment %1 to %2</translation>
    </message>
    <message>
        <source>削除するメッセージの控えが見つかりません。</source>
        <translation>The copy of the message to delete is missing.</translation>
    </message>
    <message>
        <source>メッセージはサーバーから削除していません。</source>
        <translation> The message was not deleted from the server.</translation>
    </message>
    <message>
        <source>サーバー %1 では、判定したメッセージの固有 ID（UIDL）が %2 回続けて次の接続で見つかりませんでした。このサーバーは接続のたびに固有 ID を変えるため、判定したメッセージを確実に見分けられず、安全に削除できません。別のメッセージを削除しないよう、巡回を止めました。</source>
        <translation>On server %1, the ID (UIDL) of the judged message was missing at the next connection %2 times in a row. This server changes its IDs at every connection, so the judged message cannot be told apart for sure and cannot be deleted safely. The sweep was stopped so that no other message is deleted.</translation>
    </message>
    <message>
        <source>削除エラー：</source>
        <translation>Delete error: </translation>
    </message>
    <message>
        <source>総 受 信 数     ：</source>
        <translation>Messages read: </translation>
    </message>
    <message>
        <source>メールBOX残数：</source>
        <translation>Next message:  </translation>
    </message>
    <message>
        <source>ユーザ：</source>
        <translation>User: </translation>
    </message>
    <message>
        <source>エラーのため停止しました</source>
        <translation>Stopped because of an error</translation>
    </message>
    <message>
        <source>受信ユーザーが</source>
        <translation>No account</translation>
    </message>
    <message>
        <source>選択されてません</source>
        <translation>is selected</translation>
    </message>
    <message>
        <source>次回の受信時刻「%1」を日時として読み戻せません</source>
        <translation>The next receive time &quot;%1&quot; cannot be read back as a date and time</translation>
    </message>
    <message>
        <source>受信間隔「%1」が秒数として読めません。受信設定を編集してください</source>
        <translation>The interval &quot;%1&quot; cannot be read as seconds. Edit the account</translation>
    </message>
    <message>
        <source>前回の続きから巡回を再開しました：前回最後に判定したメッセージ（固有 ID「%1」、現在 %2 番）の次からです。</source>
        <translation>Resumed the last sweep after the last message it judged (ID &quot;%1&quot;, now number %2).</translation>
    </message>
    <message>
        <source>前回の続きから巡回を再開しました：前回最後に判定したメッセージ（固有 ID「%1」）はもうサーバーにないため、最初のメッセージからです。</source>
        <translation>Resumed the last sweep from the first message: the last message it judged (ID &quot;%1&quot;) is no longer on the server.</translation>
    </message>
</context>
</TS>
