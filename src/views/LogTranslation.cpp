#include "views/LogTranslation.h"

#include <span>

namespace views {
namespace {

struct CommandRow
{
    const char *test;
    const char *replaced;
    const char *simplified;
    const char *traditional;
    const char *appendSimplified;
    const char *appendTraditional;
};

// First matching row only; the test text may match inside an argument.
constexpr CommandRow CommandRows[] = {
    {"CDUP", "CDUP", "返回到上一层目录", "返回到上一層目錄", "", ""},
    {"CWD", "CWD", "进入 ", "進入 ", " 目录", " 目錄"},
    {"DELE", "DELE", "删除 ", "刪除 ", " 文件", " 文件"},
    {"LIST", "LIST", "获取", "獲取", "目录文件名列表", "目錄文件名列表"},
    {"PWD", "PWD", "获取目录列表", "獲取目錄列表", "", ""},
    {"MKD", "MKD", "创建 ", "創建 ", " 目录", " 目錄"},
    {"RMD", "RMD", "删除 ", "刪除 ", " 目录", " 目錄"},
    {"STOR", "STOR", "上传 ", "上傳 ", " 文件", " 文件"},
    {"REIN", "REIN", "重新初始化", "重新初始化", "", ""},
    {"STRU", "STRU", "文件结构", "文件結構", "", ""},
    {"RETR", "RETR", "获取 ", "獲取 ", " 文件", " 文件"},
    {"SYST", "SYST", "获取系统类型", "獲取系統類型", "", ""},
    {"REST", "REST", "从 ", "從 ", " 标识处重新开始传输", " 標識處重新開始傳輸"},
    {"USER", "USER", "用户名 ", "用戶名 ", "", ""},
    {"PASS", "PASS (want to know) :-P", "密码(不显示)", "密碼(不顯示)", "", ""},
    {"SITE CHMOD", "SITE CHMOD", "属性 ", "屬性 ", "", ""},
    {"SITE", "SITE", "站点参数", "站點參數", "", ""},
    {"MODE", "MODE", "模式 ", "模式 ", "", ""},
    {"TYPE", "TYPE", "传输模式 ", "傳輸模式 ", "", ""},
    {"PORT", "PORT", "数据据口 ", "數據端口 ", "", ""},
    {"PASV", "PASV", "被动模式", "被動模式", "", ""},
    {"RNTO", "RNTO", "重命名为 ", "重命名爲 ", "", ""},
    {"RNFR", "RNFR", "更改文件 ", "更改文件 ", "", ""},
    {"ABOR", "ABOR", "中止传输", "中止傳輸", "", ""},
    {"NOOP", "NOOP", "等待", "等待", "", ""},
    {"QUIT", "QUIT", "退出登录并终止连接", "退出登錄並終止連接", "", ""},
};

struct Row
{
    const char *replaced;
    const char *simplified;
    const char *traditional;
};

// Status rows; "waiting for welcome message" follows "Connected to" only.
constexpr Row StatusRows[] = {
    {"Login successful", "登录成功", "登錄成功"},
    {"Retrying...", "重新连接", "重新連接"},
    {"Retry Finished", "重试完成", "重試完成"},
    {"Logged in", "登录", "登錄"},
    {"This site can resume broken downloads/uploads", "此站点支持断点下载/上传", "此站點支持斷點下載/上傳"},
    {"This site cannot resume broken downloads/uploads", "此站点不支持断点下载/上传", "此站點不支持斷點下載/上傳"},
    {"I am afraid I have nothing to do", "远程文件和本地文件大小一样,跳过", "遠程文件和本地文件大小一樣,跳過"},
    {"Connected to", "连接到 ", "連接到 "},
    {"Disconnected", "断开连接", "斷開連接"},
    {"resume this file error, I will overwrite it", "下载文件错误,将覆盖此文件", "下載文件錯誤,將覆蓋此文件"},
};
constexpr Row WelcomeRow = {"waiting for welcome message", "等待欢迎消息", "等待歡迎消息"};
constexpr int ConnectedRowIndex = 7;

constexpr Row ErrorRows[] = {
    {"Invalid sytax", "语法错误", "語法錯誤"},
    {"Connection Refused", "连接拒绝", "連接拒絕"},
    {"Access denied or file not found", "访问失败或找不到文件", "訪問失敗或找不到文件"},
    {"The protocol is not supported", "不支持此协议", "不支持此協議"},
    {"Failed to resume downloading file", "断点下载文件错误", "斷點下載文件錯誤"},
    {"Failed to resume uploading file", "断点上传文件错误", "斷點上傳文件錯誤"},
    {"Network down", "网络错误", "網絡錯誤"},
    {"Invalid address specified", "无效地址", "無效地址"},
    {"Connection timed out", "连接超时", "連接超時"},
    {"Out of sockets", "Sockets 溢出", "Sockets 溢出"},
    {"Network unreachable", "网络不通", "網絡不通"},
    {"Host unreachable", "网络不通", "網絡不通"},
    {"Address not available", "无效地址", "無效地址"},
    {"Unexpected internal error in component (WinSock Error Code: ", "未知错误(错误码: ", "未知錯誤(錯誤碼: "},
    {"Connection reset by remote side", "重设了远程主机,连接断开", "重設了遠程主機,連接斷開"},
    {"General Winsock Error", "常规 Winsock 错误", "常規 Winsock 錯誤"},
    {"Connection aborted due to timeout or other failure", "连接超时或其它故障而中止", "連接超時或其它故障而中止"},
    {"Address resolution error", "地址解析错误", "地址解析錯誤"},
};

struct FixedReply
{
    int code;
    const char *simplified;
    const char *traditional;
};

// Replies whose line is replaced as a whole (the server's words are dropped).
constexpr FixedReply FixedReplies[] = {
    {125, "【回复】125 数据连接已打开,开始传输", "【回複】125 數據連接已打開,開始傳輸"},
    {332, "【回复】332 登录时需要帐户信息", "【回複】332 登錄時需要帳戶信息"},
    {421, "【回复】421 不能提供服务,关闭控制连接", "【回複】421 不能提供服務,關閉控制連接"},
    {425, "【回复】425 不能打开数据连接", "【回複】425 不能打開數據連接"},
    {426, "【回复】426 关闭连接,中止传输", "【回複】426 關閉連接,中止傳輸"},
    {450, "【回复】450 请求的文件操作未执行", "【回複】450 請求的文件操作未執行"},
    {451, "【回复】451 中止请求的操作,有本地错误", "【回複】451 中止請求的操作,有本地錯誤"},
    {452, "【回复】452 未执行请求的操作,系统存储空间不足", "【回複】452 未執行請求的操作,系統存儲空間不足"},
    {500, "【回复】500 格式错误,命令不可识别", "【回複】500 格式錯誤,命令不可識別"},
    {501, "【回复】501 参数语法错误", "【回複】501 參數語法錯誤"},
    {502, "【回复】502 命令未实现", "【回複】502 命令未實現"},
    {503, "【回复】503 命令顺序错误", "【回複】503 命令順序錯誤"},
    {504, "【回复】504 此参数下的命令功能未实现", "【回複】504 此參數下的命令功能未實現"},
    {530, "【回复】530 登录不成功", "【回複】530 登錄不成功"},
    {532, "【回复】532 存储文件需要帐户信息", "【回複】532 存儲文件需要帳戶信息"},
    {550, "【回复】550 未执行请求的操作", "【回複】550 未執行請求的操作"},
    {551, "【回复】551 请求操作中止,类型未知", "【回複】551 請求操作中止,類型未知"},
    {552, "【回复】552 请求的文件操作中止,存储分配溢出", "【回複】552 請求的文件操作中止,存儲分配溢出"},
    {553, "【回复】553 未执行请求的操作,文件名不合法", "【回複】553 未執行請求的操作,文件名不合法"},
};

struct ReplyRow
{
    int code;
    const char *replaced;
    const char *simplified;
    const char *traditional;
};

// Every row of the line's code applies, in order, each to the previous result.
constexpr ReplyRow ReplyRows[] = {
    {100, "Used disk quota", "使用磁盘额 ", "使用磁盤額 "},
    {100, "available", "可用磁盘额 ", "可用磁盤額 "},
    {100, "Transfer complete", "传输成功", "傳輸成功"},
    {100, "command successful", "命令成功", "命令成功"},
    {100, "Data connection closed", "数据连接关闭,", "數據連接關閉,"},
    {100, "file transfer", "传输文件 ", "傳輸文件 "},
    {100, "receive file", "接收文件 ", "接收文件 "},
    {100, "aborted by client", "被用户中止", "被用戶中止"},
    {100, "aborted", "中止", "中止"},
    {100, "Directory send OK", "目录列表完成", "目錄列表完成"},
    {150, "Opening", "打开 ", "打開 "},
    {150, "mode data connection for", "模式数据连接 ", "模式數據連接 "},
    {150, "Here comes the directory listing", "打开数据连接获取目录列表", "打開數據連接獲取目錄列表"},
    {150, " file list", "文件列表", "文件列表"},
    {150, "File status okay; about to open data connection", "文件状态正确 将打开数据连接", "文件狀態正確 將打開數據連接"},
    {150, "Data connection accepted from", "数据连接接受从", "數據連接接受從"},
    {150, "transfer starting for", "开始传输 ", "開始傳輸 "},
    {150, "transfer starting", "开始传输", "開始傳輸"},
    {200, "Command okay", "命令成功", "命令成功"},
    {200, "Type set to", "传输模式为 ", "傳輸模式爲 "},
    {200, "PORT Command successful", "端口命令成功", "端口命令成功"},
    {200, "Switching to", "切换到 ", "切換到 "},
    {200, "mode", "模式", "模式"},
    {200, "NOOP", "等待", "等待"},
    {200, "command successful", "命令成功", "命令成功"},
    {200, "Command successful", "命令成功", "命令成功"},
    {200, "Command OK", "命令成功", "命令成功"},
    {225, "Directory send OK", "目录列表完成", "目錄列表完成"},
    {226, "Maximum disk quota limited to", "最大的磁盘定额限制 ", "最大的磁盤定額限制 "},
    {226, "Directory send OK", "目录列表完成", "目錄列表完成"},
    {226, "Transfer complete", "传输成功", "傳輸成功"},
    {226, "Closing data connection", "关闭数据连接", "關閉數據連接"},
    {226, "Abort successful", "中止成功", "中止成功"},
    {226, "ABOR command successful", "中止成功", "中止成功"},
    {226, "command successful", "命令成功", "命令成功"},
    {226, "Listing completed", "完成目录文件名列表", "完成目錄文件名列表"},
    {226, "File send OK", "完成文件传输", "完成文件傳輸"},
    {226, "Transfer Complete", "传输成功", "传输成功"},
    {227, "Entering Passive Mode", "进入被动模式", "進入被動模式"},
    {230, "User logged in, proceed.", "用户登录成功", "用戶登錄成功"},
    {230, "Login successful", "用户登录成功", "用戶登錄成功"},
    {230, "Anonymous access granted, restrictions apply", "匿名的访问准许，限制使用", "匿名的訪問准許，限制使用"},
    {230, "login ok", "登陆成功", "登陸成功"},
    {230, " access restrictions apply", ",限制使用", ",限制使用"},
    {230, "Anonymous user logged in", "匿名登陆成功", "匿名登陸成功"},
    {230, "User anonymous logged in", "匿名登陆成功", "匿名登陸成功"},
    {250, "Directory changed to", "目录已更改到 ", "目錄已更改到 "},
    {250, "command successful", "命令成功", "命令成功"},
    {250, "Directory successfully changed", "进入目录成功", "進入目錄成功"},
    {250, "Rename successful", "重命名成功", "重命名成功"},
    {250, "Command successful", "命令成功", "命令成功"},
    {250, "Folder changed to", "目录已更改到 ", "目錄已更改到 "},
    {250, "is new cwd", "是当前目录", "是當前目錄"},
    {253, "Attributes changed okay", "属性更改成功", "屬性更改成功"},
    {257, "is current directory", "是当前目录", "是當前目錄"},
    {257, "is working directory", "是当前目录", "是當前目錄"},
    {257, "is current folder", "是当前目录", "是當前目錄"},
    {257, "is cwd", "是当前目录", "是當前目錄"},
    {257, "is Current Directory", "是当前目录", "是當前目錄"},
    {257, "Directory successfully created", "目录创建成功", "目錄創建成功"},
    {257, "directory", "目录", "目錄"},
    {257, "created", "创建", "創建"},
    {331, "User name okay, need password", "用户名OK,需要密码", "用戶名OK,需要密碼"},
    {331, "User name okay, please send complete E-mail address as password", "用户名OK,请输入E-Mail作为密码",
     "用戶名OK,請輸入E-Mail作爲密碼"},
    {331, "Please specify the password", "请指定密码", "請指定密碼"},
    {331, "Anonymous login ok, send your complete email address as your password",
     "匿名登陆成功，发送您的邮件地址作为密码", "匿名登陸成功，發送您的郵件地址作爲密碼"},
    {331, "login ok", "登陆成功", "登陸成功"},
    {331, " send your complete e-mail address as password", ",发送您的电子邮箱地址作为密码",
     ",發送您的電子郵箱地址作爲密碼"},
    {331, "Password required for USER", "用户口令请求", "用戶口令請求"},
    {350, "File or directory exists, ready for destination name", "文件或目录已存在,就绪目的文件",
     "文件或目錄已存在,就緒目的文件"},
    {350, "Restarting at", "开始位置在 ", "開始位置在 "},
    {350, ". Send STORE or RETRIEVE", " 标识处传输", " 標識處傳輸"},
    {350, "Restart position accepted", "重新开始传输位置被接受", "重新開始傳輸位置被接受"},
    {350, "to initiate transfer", " ", " "},
    {350, "Requested file action pending further information", "请求的文件等待详细信息", "請求的文件等待詳細信息"},
    {350, "Will attempt to restart at position", "重新传输位置为 ", "重新傳輸位置爲 "},
    {350, ", Execute get, put or append", " 标识处传输", " 標識處傳輸"},
};

// A code that is not a reply's own (continuation lines and unreadable codes).
constexpr int ContinuationCode = 100;

QString u8(const char *s) { return QString::fromUtf8(s); }

QString chosen(const char *simplified, const char *traditional, TMessengerLanguage language)
{
    return u8(language == MLChinaGB ? traditional : simplified);
}

bool applies(const QString &line, const QString &test)
{
    return line.size() > 2 && line.contains(test);
}

// Applies the first matching row; returns its index or -1.
int applyFirst(QString &line, std::span<const Row> rows, TMessengerLanguage language)
{
    for (size_t i = 0; i < rows.size(); ++i) {
        const QString old = u8(rows[i].replaced);
        if (applies(line, old)) {
            line = ReplaceAndSkip(line, old, chosen(rows[i].simplified, rows[i].traditional, language));
            return int(i);
        }
    }
    return -1;
}

QString translateCommand(const QString &line, TMessengerLanguage language)
{
    for (const CommandRow &row : CommandRows) {
        if (!applies(line, u8(row.test)))
            continue;
        QString out = ReplaceAndSkip(line, u8(row.replaced), chosen(row.simplified, row.traditional, language));
        return out + chosen(row.appendSimplified, row.appendTraditional, language);
    }
    return line;
}

QString translateStatus(const QString &line, TMessengerLanguage language)
{
    QString out = line;
    if (applyFirst(out, StatusRows, language) == ConnectedRowIndex) {
        const QString old = u8(WelcomeRow.replaced);
        if (applies(out, old))
            out = ReplaceAndSkip(out, old, chosen(WelcomeRow.simplified, WelcomeRow.traditional, language));
    }
    return out;
}

int replyCode(const QString &line)
{
    // "【回复】" is four characters; the code follows it.
    if (!line.startsWith(QChar(0x3010)))
        return ContinuationCode;
    bool ok = false;
    const int code = line.mid(4, 3).toInt(&ok);
    return ok ? code : ContinuationCode;
}

QString translateReply(const QString &line, TMessengerLanguage language)
{
    const int code = replyCode(line);
    for (const FixedReply &f : FixedReplies)
        if (f.code == code)
            return chosen(f.simplified, f.traditional, language);
    QString out = line;
    for (const ReplyRow &row : ReplyRows) {
        if (row.code != code)
            continue;
        const QString old = u8(row.replaced);
        if (applies(out, old))
            out = ReplaceAndSkip(out, old, chosen(row.simplified, row.traditional, language));
    }
    return out;
}

} // namespace

QString messagePrefix(TMessageKind kind, TMessengerLanguage language)
{
    switch (kind) {
    case mkCommand:
        return language == MLEnglish ? QStringLiteral("COMMAND:>   ") : QStringLiteral("【命令】");
    case mkReply:
        if (language == MLEnglish)
            return QString(12, QLatin1Char(' '));
        return language == MLChinaGB ? QStringLiteral("【回複】") : QStringLiteral("【回复】");
    case mkStatus:
        if (language == MLEnglish)
            return QStringLiteral("STATUS:>    ");
        return language == MLChinaGB ? QStringLiteral("【狀態】") : QStringLiteral("【状态】");
    case mkError:
        if (language == MLEnglish)
            return QStringLiteral("ERROR:>     ");
        return language == MLChinaGB ? QStringLiteral("【錯誤】") : QStringLiteral("【错误】");
    }
    return {};
}

QString kindColourName(TMessageKind kind)
{
    switch (kind) {
    case mkCommand: return QStringLiteral("clGreen");
    case mkReply: return QStringLiteral("clBlack");
    case mkStatus: return QStringLiteral("clBlue");
    case mkError: return QStringLiteral("clRed");
    }
    return {};
}

QString ReplaceAndSkip(const QString &line, const QString &oldText, const QString &newText)
{
    if (oldText.isEmpty())
        return line;
    QString out;
    qsizetype from = 0;
    for (;;) {
        const qsizetype at = line.indexOf(oldText, from);
        if (at < 0)
            break;
        out += QStringView(line).mid(from, at - from);
        out += newText;
        from = std::min(line.size(), at + oldText.size() + 1);
    }
    out += QStringView(line).mid(from);
    return out;
}

QString TranslateLogLine(const QString &line, TMessageKind kind, TMessengerLanguage language)
{
    if (language == MLEnglish)
        return line;
    switch (kind) {
    case mkCommand: return translateCommand(line, language);
    case mkStatus: return translateStatus(line, language);
    case mkError: {
        QString out = line;
        applyFirst(out, ErrorRows, language);
        return out;
    }
    case mkReply: return translateReply(line, language);
    }
    return line;
}

} // namespace views
