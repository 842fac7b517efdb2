#include "views/LogTranslation.h"

#include "../support/PrintQString.h"

#include <gtest/gtest.h>

using namespace views;

namespace {

struct Case
{
    const char *line;
    TMessageKind kind;
    const char *simplified;
    const char *traditional;
};

QString u(const char *s) { return QString::fromUtf8(s); }

void runCases(std::initializer_list<Case> cases)
{
    for (const Case &c : cases) {
        EXPECT_EQ(TranslateLogLine(u(c.line), c.kind, MLChina), u(c.simplified)) << c.line;
        EXPECT_EQ(TranslateLogLine(u(c.line), c.kind, MLChinaGB), u(c.traditional)) << c.line;
        EXPECT_EQ(TranslateLogLine(u(c.line), c.kind, MLEnglish), u(c.line)) << c.line;
    }
}

} // namespace

TEST(ReplaceAndSkip, DropsTheCharacterAfterEachMatch)
{
    struct { const char *line, *old, *repl, *out; } cases[] = {
        {"CWD /pub", "CWD", "进入 ", "进入 /pub"},
        {"a.b.c", ".", "-", "a--"},
        {"xx", "x", "y", "y"},              // the second x is the skipped character
        {"abc", "c", "Z", "abZ"},           // match at the end: nothing to skip
        {"abc", "d", "Z", "abc"},
        {"Transfer complete.", "Transfer complete", "传输成功", "传输成功"},
        {"", "x", "y", ""},
    };
    for (const auto &c : cases)
        EXPECT_EQ(ReplaceAndSkip(u(c.line), u(c.old), u(c.repl)), u(c.out)) << c.line;
}

TEST(TranslateLogLine, Commands)
{
    runCases({
        {"【命令】CWD /pub", mkCommand, "【命令】进入 /pub 目录", "【命令】進入 /pub 目錄"},
        {"【命令】CDUP", mkCommand, "【命令】返回到上一层目录", "【命令】返回到上一層目錄"},
        {"【命令】PASS (want to know) :-P", mkCommand, "【命令】密码(不显示)", "【命令】密碼(不顯示)"},
        {"【命令】RETR LIST.TXT", mkCommand, "【命令】RETR 获取TXT目录文件名列表", "【命令】RETR 獲取TXT目錄文件名列表"},
        {"【命令】PORT 192,168,0,2,4,1", mkCommand, "【命令】数据据口 192,168,0,2,4,1", "【命令】數據端口 192,168,0,2,4,1"},
        {"【命令】LIST", mkCommand, "【命令】获取目录文件名列表", "【命令】獲取目錄文件名列表"},
        {"【命令】RETR a.zip", mkCommand, "【命令】获取 a.zip 文件", "【命令】獲取 a.zip 文件"},
        {"【命令】REST 1024", mkCommand, "【命令】从 1024 标识处重新开始传输", "【命令】從 1024 標識處重新開始傳輸"},
        {"【命令】USER demo", mkCommand, "【命令】用户名 demo", "【命令】用戶名 demo"},
        {"【命令】SITE CHMOD 755 a", mkCommand, "【命令】属性 755 a", "【命令】屬性 755 a"},
        {"【命令】SITE HELP", mkCommand, "【命令】站点参数HELP", "【命令】站點參數HELP"},
        {"【命令】TYPE I", mkCommand, "【命令】传输模式 I", "【命令】傳輸模式 I"},
        {"【命令】PASV", mkCommand, "【命令】被动模式", "【命令】被動模式"},
        {"【命令】RNFR old", mkCommand, "【命令】更改文件 old", "【命令】更改文件 old"},
        {"【命令】RNTO new", mkCommand, "【命令】重命名为 new", "【命令】重命名爲 new"},
        {"【命令】QUIT", mkCommand, "【命令】退出登录并终止连接", "【命令】退出登錄並終止連接"},
        {"【命令】NOOP", mkCommand, "【命令】等待", "【命令】等待"},
        {"【命令】XMKD a", mkCommand, "【命令】X创建 a 目录", "【命令】X創建 a 目錄"},
        {"【命令】FEAT", mkCommand, "【命令】FEAT", "【命令】FEAT"},
        {"AB", mkCommand, "AB", "AB"},
    });
}

TEST(TranslateLogLine, StatusLines)
{
    runCases({
        {"【状态】Disconnected", mkStatus, "【状态】断开连接", "【状态】斷開連接"},
        {"【状态】Login successful", mkStatus, "【状态】登录成功", "【状态】登錄成功"},
        {"【状态】Connected to 127.0.0.1 waiting for welcome message", mkStatus,
         "【状态】连接到 127.0.0.1 等待欢迎消息", "【状态】連接到 127.0.0.1 等待歡迎消息"},
        {"【状态】Connected to localhost(IP: 127.0.0.1) 等待欢迎消息", mkStatus,
         "【状态】连接到 localhost(IP: 127.0.0.1) 等待欢迎消息", "【状态】連接到 localhost(IP: 127.0.0.1) 等待欢迎消息"},
        {"【状态】Retrying...", mkStatus, "【状态】重新连接", "【状态】重新連接"},
        {"【状态】This site can resume broken downloads/uploads", mkStatus, "【状态】此站点支持断点下载/上传",
         "【状态】此站點支持斷點下載/上傳"},
        {"【状态】I am afraid I have nothing to do", mkStatus, "【状态】远程文件和本地文件大小一样,跳过",
         "【状态】遠程文件和本地文件大小一樣,跳過"},
        // The welcome row never applies without "Connected to".
        {"【状态】waiting for welcome message", mkStatus, "【状态】waiting for welcome message",
         "【状态】waiting for welcome message"},
    });
}

TEST(TranslateLogLine, ErrorLines)
{
    runCases({
        {"【错误】Connection timed out", mkError, "【错误】连接超时", "【错误】連接超時"},
        {"【错误】Connection Refused", mkError, "【错误】连接拒绝", "【错误】連接拒絕"},
        {"【错误】Unexpected internal error in component (WinSock Error Code: 10022)", mkError,
         "【错误】未知错误(错误码: 0022)", "【错误】未知錯誤(錯誤碼: 0022)"},
        {"【错误】Address resolution error", mkError, "【错误】地址解析错误", "【错误】地址解析錯誤"},
        {"【错误】Something else", mkError, "【错误】Something else", "【错误】Something else"},
    });
}

TEST(TranslateLogLine, Replies)
{
    runCases({
        {"【回复】226 Transfer complete.", mkReply, "【回复】226 传输成功", "【回复】226 傳輸成功"},
        {"【回复】150 Opening BINARY mode data connection for a.zip (10 bytes).", mkReply,
         "【回复】150 打开 BINARY 模式数据连接 a.zip (10 bytes).", "【回复】150 打開 BINARY 模式數據連接 a.zip (10 bytes)."},
        {"【回复】530 Login incorrect.", mkReply, "【回复】530 登录不成功", "【回複】530 登錄不成功"},
        {"【回复】220 Service ready", mkReply, "【回复】220 Service ready", "【回复】220 Service ready"},
        {"226 Transfer complete.", mkReply, "226 传输成功", "226 傳輸成功"},
        {"【回复】230 Login successful.", mkReply, "【回复】230 用户登录成功", "【回复】230 用戶登錄成功"},
        {"【回复】227 Entering Passive Mode (127,0,0,1,4,1).", mkReply, "【回复】227 进入被动模式(127,0,0,1,4,1).",
         "【回复】227 進入被動模式(127,0,0,1,4,1)."},
        {"【回复】257 \"/\" is the current directory.", mkReply, "【回复】257 \"/\" is the current 目录",
         "【回复】257 \"/\" is the current 目錄"},
        {"【回复】331 Username ok, send password.", mkReply, "【回复】331 Username ok, send password.",
         "【回复】331 Username ok, send password."},
        {"【回复】200 Type set to: Binary.", mkReply, "【回复】200 传输模式为  Binary.", "【回复】200 傳輸模式爲  Binary."},
        {"【回复】350 Restarting at 100. Send STORE or RETRIEVE to initiate transfer", mkReply,
         "【回复】350 开始位置在 100 标识处传输 ", "【回复】350 開始位置在 100 標識處傳輸 "},
        {"【回复】550 No such file or directory.", mkReply, "【回复】550 未执行请求的操作", "【回複】550 未執行請求的操作"},
        {"【回复】125 Data connection already open.", mkReply, "【回复】125 数据连接已打开,开始传输",
         "【回複】125 數據連接已打開,開始傳輸"},
        // Three blanks or letters where the code belongs count as a continuation.
        {"【回复】    Transfer complete", mkReply, "【回复】    传输成功", "【回复】    傳輸成功"},
        {"【回复】abc Transfer complete", mkReply, "【回复】abc 传输成功", "【回复】abc 傳輸成功"},
        {"【回复】", mkReply, "【回复】", "【回复】"},
    });
}

TEST(MessagePrefix, ByKindAndLanguage)
{
    EXPECT_EQ(messagePrefix(mkReply, MLChina), u("【回复】"));
    EXPECT_EQ(messagePrefix(mkReply, MLChinaGB), u("【回複】"));
    EXPECT_EQ(messagePrefix(mkReply, MLEnglish), QString(12, QLatin1Char(' ')));
    EXPECT_EQ(messagePrefix(mkStatus, MLChinaGB), u("【狀態】"));
    EXPECT_EQ(messagePrefix(mkError, MLChinaGB), u("【錯誤】"));
    EXPECT_EQ(messagePrefix(mkCommand, MLChinaGB), u("【命令】"));
    EXPECT_EQ(messagePrefix(mkCommand, MLEnglish), u("COMMAND:>   "));
    EXPECT_EQ(messagePrefix(mkStatus, MLEnglish), u("STATUS:>    "));
    EXPECT_EQ(messagePrefix(mkError, MLEnglish), u("ERROR:>     "));
    EXPECT_EQ(messagePrefix(mkCommand, MLEnglish).size(), 12);
    EXPECT_EQ(messagePrefix(mkError, MLEnglish).size(), 12);
}
