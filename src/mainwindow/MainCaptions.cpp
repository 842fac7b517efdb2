#include "mainwindow/MainCaptions.h"

#include <cstring>

namespace mainwindow {
namespace {

// The trailing blanks of some captions align the menu's shortcut column.
constexpr CaptionRow MenuCaptions[] = {
    // main menu: site
    {"mmiSite", "站点(&F)", "站點(&F)"},
    {"mmiSiteManage", "站点管理器...", "站點管理器..."},
    {"mmiConnect", "快速连接", "快速連接"},
    {"mmiReConnect", "重新连接", "重新連接"},
    {"mmiDisConnect", "断开连接", "斷開連接"},
    {"mmiCopyURL", "复制站点URL", "複制站點URL"},
    {"mmiPastURL", "粘贴站点URL", "粘貼站點URL"},
    {"mmiExit", "退    出          ", "退    出          "},
    {"mmiMinToTray", "最小化到托盘          ", "最小化到托盤          "},
    // main menu: local files
    {"mmiLocalFile", "本地文件(&L)", "本地文件(&L)"},
    {"mmiLocalFileUpLoad", "上  传          ", "上  傳          "},
    {"mmiLocalFileAddQueue", "添加到队列", "添加到隊列"},
    {"mmiLocalFileCut", "剪  切", "剪  切"},
    {"mmiLocalFileCopy", "复  制", "複  制"},
    {"mmiLocalFilePast", "粘  贴", "粘  貼"},
    {"mmiLocalFileDelete", "删  除", "刪  除"},
    {"mmiLocalFileReName", "重命名", "重命名"},
    {"mmiLocalFileCreateDirectory", "新建目录...", "新建目錄..."},
    {"mmiLocalFileViewDirectory", "查看目录...", "查看目錄..."},
    {"mmiLocalFileSelectAll", "选择全部", "選擇全部"},
    {"mmiLocalFileNotSelect", "反向选择", "反向選擇"},
    {"mmiLocalFileRefresh", "刷  新", "刷  新"},
    // main menu: remote files
    {"mmiRemoteFile", "远程文件(&R)", "遠程文件(&R)"},
    {"mmiRemoteFileDownLoad", "下  载          ", "下  載          "},
    {"mmiRemoteFileAddQueue", "添加到队列", "添加到隊列"},
    {"mmiRemoteFileDelete", "删  除", "刪  除"},
    {"mmiRemoteFileMove", "移  动", "移  動"},
    {"mmiRemoteFileExecute", "执  行", "執  行"},
    {"mmiRemoteFileProperty", "属  性", "屬  性"},
    {"mmiRemoteFileReName", "重命名", "重命名"},
    {"mmiRemoteFileCreateDirectory", "新建目录...", "新建目錄..."},
    {"mmiRemoteFileViewDirectory", "查看目录...", "查看目錄..."},
    {"mmiRemoteFileSelectAll", "选择全部", "選擇全部"},
    {"mmiRemoteFileNotSelect", "反向选择", "反向選擇"},
    {"mmiRemoteFileRefresh", "刷  新", "刷  新"},
    // main menu: queue
    {"mmiQueue", "队列(&Q)", "隊列(&Q)"},
    {"mmiTransferAllQueue", "传送所有队列      ", "傳送所有隊列      "},
    {"mmiTransferSelectQueue", "传送选择队列", "傳送選擇隊列"},
    {"mmiModifySelectQueue", "修改选择队列", "修改選擇隊列"},
    {"mmiDeleteSelectQueue", "删除选择队列", "刪除選擇隊列"},
    {"mmiDeleteAllQueue", "清除所有队列", "清除所有隊列"},
    {"mmiLoadQueue", "载入队列...", "載入隊列..."},
    {"mmiSaveQueue", "保存队列...", "保存隊列..."},
    // main menu: options
    {"mmiOption", "选项(&O)", "選項(&O)"},
    {"mmiSetup", "综合设置...      ", "蹤合設置...      "},
    {"mmiFace1", "界面风格(一)", "界面風格(一)"},
    {"mmiFace2", "界面风格(二)", "界面風格(二)"},
    {"mmiSimpleLanguage", "简体中文", "简体中文"},
    {"mmiMuiltLanguage", "繁体中文", "繁體中文"},
    {"mmiCheckUpdate", "智能升级...", "智能升級..."},
    // main menu: window
    {"mmiWindow", "窗口(&W)", "窗口(&W)"},
    {"mmiLogWindow", "日志窗口        ", "日志窗口        "},
    {"mmiQueueWindow", "队列窗口", "隊列窗口"},
    {"mmiStatusWindow", "状态窗口", "狀態窗口"},
    // main menu: help
    {"mmiHelp", "帮助(&H)", "幫助(&H)"},
    {"mmiUserHelp", "使用帮助        ", "使用幫助        "},
    {"mmiSupport", "在线提交信息   ", "在線提交信息   "},
    {"mmiAbout", "关于 BramblewayFTP软件", "關于 BramblewayFTP软件"},
    // local pop-up menu
    {"LocalFileUpLoad", "上  传", "上  傳"},
    {"LocalFileAddQueue", "添加到队列", "添加到隊列"},
    {"LocalFileCut", "剪  切", "剪  切"},
    {"LocalFileCopy", "复  制", "複  制"},
    {"LocalFilePast", "粘  贴", "粘  貼"},
    {"LocalFileDelete", "删  除", "刪  除"},
    {"LocalFileReName", "重命名", "重命名"},
    {"LocalFileExecute", "执  行", "執  行"},
    {"LocalFileProperty", "属  性...", "屬  性..."},
    {"LocalFileCreateDirectory", "新建目录...", "新建目錄..."},
    {"LocalFileViewDirectory", "查看目录...", "查看目錄..."},
    {"LocalFileView", "查看方式", "查看方式"},
    {"LocalFileViewIcon", "大图标", "大圖標"},
    {"LocalFileViewSmallIcon", "小图标", "小圖標"},
    {"LocalFileViewList", "列  表", "列  表"},
    {"LocalFileViewReport", "详细信息", "詳細信息"},
    {"LocalFileShowAllFile", "显示隐藏文件", "顯示隱藏文件"},
    {"LocalFileSort", "排列图标", "排列圖標"},
    {"LocalFileSortUp", "升  序", "升  序"},
    {"LocalFileSortDown", "降  序", "降  序"},
    {"LocalFileRefresh", "刷  新", "刷  新"},
    // remote pop-up menu
    {"RemoteFileDownLoad", "下  载", "下  載"},
    {"RemoteFileAddQueue", "添加到队列", "添加到隊列"},
    {"RemoteFileDelete", "删  除", "刪  除"},
    {"RemoteFileReName", "重命名", "重命名"},
    {"RemoteFileMove", "移  动", "移  動"},
    {"RemoteFileExecute", "执  行", "執  行"},
    {"RemoteFileProperty", "属  性", "屬  性"},
    {"RemoteFileCreateDirectory", "新建目录...", "新建目錄..."},
    {"RemoteFileViewDirectory", "查看目录...", "查看目錄..."},
    {"RemoteFileView", "查看方式", "查看方式"},
    {"RemoteFileViewIcon", "大图标", "大圖標"},
    {"RemoteFileViewSmallIcon", "小图标", "小圖標"},
    {"RemoteFileViewList", "列  表", "列  表"},
    {"RemoteFileViewReport", "详细信息", "詳細信息"},
    {"RemoteFileSort", "排列图标", "排列圖標"},
    {"RemoteFileSortName", "按名称", "按名稱"},
    {"RemoteFileSortSize", "按大小", "按大小"},
    {"RemoteFileSortType", "按类型", "按類型"},
    {"RemoteFileSortDate", "按修改时间", "按修改時間"},
    {"RemoteFileSortUp", "升  序", "升  序"},
    {"RemoteFileSortDown", "降  序", "降  序"},
    {"RemoteFileShowColumns", "详细资料", "詳細資料"},
    {"RemoteFileShowColumnsSize", "显示文件大小", "顯示文件大小"},
    {"RemoteFileShowColumnsType", "显示文件类型", "顯示文件類型"},
    {"RemoteFileShowColumnsDate", "显示文件日期", "顯示文件日期"},
    {"RemoteFileShowColumnsProperty", "显示文件属性", "顯示文件屬性"},
    {"RemoteFileShowColumnsDescription", "显示文件描述", "顯示文件描述"},
    {"RemoteFileShowColumnsOwner", "显示文件所有者", "顯示文件所有者"},
    {"RemoteFileRefresh", "刷  新", "刷  新"},
    // queue pop-up menu
    {"popTransferAllQueue", "传送所有队列", "傳送所有隊列"},
    {"popTransferSelectQueue", "传送选择队列", "傳送選擇隊列"},
    {"popModifySelectQueue", "修改选择队列", "修改選擇隊列"},
    {"popDeleteSelectQueue", "删除选择队列", "刪除選擇隊列"},
    {"popClearAllQueue", "清除所有队列", "清除所有隊列"},
    {"popLoadQueue", "载入队列...", "載入隊列..."},
    {"popSaveQueue", "保存队列...", "保存隊列..."},
    // log pop-up menu
    {"LogCopySelect", "复制选择     ", "複制選擇     "},
    {"LogCopyAll", "复制全部", "複制全部"},
    {"LogClear", "清除记录", "清除記錄"},
    // view drop-downs of the tool bars
    {"LocalFileToolViewIcon", "大图标", "大圖標"},
    {"LocalFileToolViewSmallIcon", "小图标", "小圖標"},
    {"LocalFileToolViewList", "列  表", "列  表"},
    {"LocalFileToolViewReport", "详细信息", "詳細信息"},
    {"LocalFileToolShowAllFile", "显示隐藏文件", "顯示隱藏文件"},
    {"RemoteFileToolViewIcon", "大图标", "大圖標"},
    {"RemoteFileToolViewSmallIcon", "小图标", "小圖標"},
    {"RemoteFileToolViewList", "列  表", "列  表"},
    {"RemoteFileToolViewReport", "详细信息", "詳細信息"},
};

constexpr CaptionRow ToolHints[] = {
    {"LocalFileToolCopy", "将所选项目复制到剪贴板上", "將所選項目複制到剪貼板上"},
    {"LocalFileToolCut", "删除所选项目并将其复制到剪贴板上", "刪除所選項目並將其複制到剪貼板上"},
    {"LocalFileToolPast", "将复制或剪切的项目插入到当前位置", "將複制或剪切的項目插入到當前位置"},
    {"LocalFileToolRefresh", "刷新当前目录列表", "刷新當前目錄列表"},
    {"RemoteFileToolRefresh", "刷新当前目录列表", "刷新當前目錄列表"},
    {"LocalFileToolUpload", "将本地所选的项目上传到服务器当前文件夹中", "將本地所選的項目上傳到服務器當前文件夾中"},
    {"LocalFileToolReName", "重命名所选项目", "重命名所選項目"},
    {"RemoteFileToolReName", "重命名所选项目", "重命名所選項目"},
    {"LocalFileToolDelete", "发送所选项目到回收站(同时按下Shift按钮则直接删除)",
     "發送所選項目到回收站(同時按下Shift按鈕則直接刪除)"},
    {"LocalFileToolCreateDirectory", "创建新的空文件夹", "創建新的空文件夾"},
    {"RemoteFileToolCreateDirectory", "创建新的空文件夹", "創建新的空文件夾"},
    {"LocalFileToolViewDirectory", "选择查看本地文件夹", "選擇查看本地文件夾"},
    {"LocalFileToolView", "查看图标方式", "查看圖標方式"},
    {"RemoteFileToolView", "查看图标方式", "查看圖標方式"},
    {"LocalFileToolGoUp", "返回到上一层目录", "返回到上一層目錄"},
    {"RemoteFileToolGoUp", "返回到上一层目录", "返回到上一層目錄"},
    {"LocalFileToolLargeIcon", "用大图标显示项目", "用大图標显示項目"},
    {"RemoteFileToolLargeIcon", "用大图标显示项目", "用大图標显示項目"},
    {"LocalFileToolSmallIcon", "用小图标显示项目", "用小图標显示項目"},
    {"RemoteFileToolSmallIcon", "用小图标显示项目", "用小图標显示項目"},
    {"LocalFileToolListIcon", "显示项目列表", "显示項目列表"},
    {"RemoteFileToolListIcon", "显示项目列表", "显示項目列表"},
    {"LocalFileToolReportIcon", "显示项目信息列表", "显示項目信息列表"},
    {"RemoteFileToolReportIcon", "显示项目信息列表", "显示項目信息列表"},
    {"RemoteFileToolConnect", "提供一个快捷的方式连接到FTP站点", "提供一個快捷的方式連接到FTP站點"},
    {"RemoteFileToolDisConnect", "断开FTP站点连接", "斷開FTP站點連接"},
    {"RemoteFileToolReConnect", "重新连接当前FTP站点", "重新連接當前FTP站點"},
    {"RemoteFileToolStop", "中断正在进行的上传或下载操作", "中斷正在進行的上傳或下載操作"},
    {"RemoteFileToolDownLoad", "将服务器所选的项目下载到本地文件夹中", "將服務器所選的項目下載到本地文件夾中"},
    {"RemoteFileToolDelete", "删除所选项目", "刪除所選項目"},
    {"RemoteFileToolMove", "移动所选项目到其它位置", "移動所選項目到其它位置"},
    {"RemoteFileToolViewDirectory", "选择查看远程文件夹", "選擇查看遠程文件夾"},
};

constexpr CaptionRow QueueColumns[] = {
    {"0", "本地路径", "本地路徑"},
    {"1", "大小", "大小"},
    {"2", "动作", "動作"},
    {"3", "远程路径", "遠程路徑"},
    {"4", "状态", "狀態"},
};

static_assert(std::size(MenuCaptions) == 127);
static_assert(std::size(ToolHints) == 32);
static_assert(std::size(QueueColumns) == 5);

QString lookup(std::span<const CaptionRow> table, const char *item, bool useSimplified)
{
    for (const CaptionRow &row : table)
        if (std::strcmp(row.item, item) == 0)
            return row.text(useSimplified);
    return {};
}

} // namespace

std::span<const CaptionRow> menuCaptionTable() { return MenuCaptions; }
std::span<const CaptionRow> toolHintTable() { return ToolHints; }
std::span<const CaptionRow> queueColumnTable() { return QueueColumns; }

QString menuCaption(const char *item, bool useSimplified)
{
    return lookup(MenuCaptions, item, useSimplified);
}

QString toolHint(const char *item, bool useSimplified)
{
    return lookup(ToolHints, item, useSimplified);
}

QString applicationTitle()
{
    return QStringLiteral("BramblewayFTP软件");
}

QString welcomeText(bool useSimplified)
{
    return useSimplified ? QStringLiteral("欢迎您使用 BramblewayFTP软件") : QStringLiteral("歡迎您使用 BramblewayFTP软件");
}

} // namespace mainwindow
