#include "ui/ToolkitStrings.h"

#include <cstring>

namespace ui {
namespace {

struct Entry
{
    const char *key;
    const char *simpleChina;
    const char *muiltChina;
};

// Calculator, colour grid, font dialog and database navigator texts are not
// used by this toolkit and are left out.
constexpr Entry Entries[] = {
    {"MI_MINCAPTION", "最小化(&N)", "最小化(&N)"},
    {"MI_MAXCAPTION", "最大化(&X)", "最大化(&X)"},
    {"MI_CLOSECAPTION", "关  闭(&C)", "關  閉(&C)"},
    {"MI_RESTORECAPTION", "还  原(&R)", "還  原(&R)"},
    {"MI_MINTOTRAYCAPTION", "最小化到托盘(&T)", "最小化到托盤(&T)"},
    {"MI_ROLLUPCAPTION", "卷  起(&U)", "捲  起(&U)"},
    {"MINBUTTON_HINT", "最小化", "最小化"},
    {"MAXBUTTON_HINT", "最大化", "最大化"},
    {"CLOSEBUTTON_HINT", "关闭", "關閉"},
    {"TRAYBUTTON_HINT", "最小化到托盘", "最小化到托盤"},
    {"ROLLUPBUTTON_HINT", "卷起", "捲起"},
    {"MENUBUTTON_HINT", "系统菜单", "系統菜單"},
    {"EDIT_UNDO", "撤销", "撤銷"},
    {"EDIT_COPY", "复制", "複制"},
    {"EDIT_CUT", "剪切", "剪切"},
    {"EDIT_PASTE", "粘贴", "粘貼"},
    {"EDIT_DELETE", "删除", "刪除"},
    {"EDIT_SELECTALL", "全选", "全選"},
    {"MSG_BTN_YES", "是", "是"},
    {"MSG_BTN_NO", "否", "否"},
    {"MSG_BTN_OK", "确  定", "確  定"},
    {"MSG_BTN_CANCEL", "取  消", "取  消"},
    {"MSG_BTN_ABORT", "放  弃(&A)", "放  棄(&A)"},
    {"MSG_BTN_RETRY", "重  试(&R)", "重  試(&R)"},
    {"MSG_BTN_IGNORE", "忽  略(&I)", "忽  略(&I)"},
    {"MSG_BTN_ALL", "全  部(&A)", "全  部(&A)"},
    {"MSG_BTN_NOTOALL", "全部否", "全部否"},
    {"MSG_BTN_YESTOALL", "全部是", "全部是"},
    {"MSG_BTN_HELP", "帮  助", "幫  助"},
    {"MSG_BTN_OPEN", "打  开", "打  開"},
    {"MSG_BTN_SAVE", "保  存", "保  存"},
    {"MSG_BTN_BACK_HINT", "返回", "返回"},
    {"MSG_BTN_UP_HINT", "向上一级", "向上一級"},
    {"MSG_BTN_NEWFOLDER_HINT", "新建文件夹", "新建文件夾"},
    {"MSG_BTN_VIEWMENU_HINT", "查看菜单", "查看菜單"},
    {"MSG_BTN_STRETCH_HINT", "伸展", "伸展"},
    {"MSG_FILENAME", "文件名:", "文件名:"},
    {"MSG_FILETYPE", "文件类型:", "文件類型:"},
    {"MSG_NEWFOLDER", "新建文件夹", "新建文件夾"},
    {"MSG_LV_DETAILS", "详细信息", "詳細信息"},
    {"MSG_LV_ICON", "大图标", "大圖標"},
    {"MSG_LV_SMALLICON", "小图标", "小圖標"},
    {"MSG_LV_LIST", "列表", "列表"},
    {"MSG_PREVIEWSKIN", "预览", "預覽"},
    {"MSG_PREVIEWBUTTON", "按钮", "按鈕"},
    {"MSG_CAP_WARNING", "警告", "警告"},
    {"MSG_CAP_ERROR", "错误", "錯誤"},
    {"MSG_CAP_INFORMATION", "信息", "信息"},
    {"MSG_CAP_CONFIRM", "确认", "確認"},
    {"ERROR", "错误", "錯誤"},
    {"NODISKINDRIVE", "驱动器中没有磁盘", "驅動器中沒有磁盤"},
    {"NOVALIDDRIVEID", "无效的驱动器", "無效的驅動器"},
    {"FLV_NAME", "名称", "名稱"},
    {"FLV_SIZE", "大小", "大小"},
    {"FLV_TYPE", "类型", "類型"},
    {"FLV_LOOKIN", "查找范围:", "查找範圍:"},
    {"FLV_MODIFIED", "修改时间", "修改時間"},
    {"FLV_ATTRIBUTES", "属性", "屬性"},
    {"FLV_DISKSIZE", "磁盘大小", "磁盤大小"},
    {"FLV_FREESPACE", "可用空间", "可用空間"},
};

StringTable current = StringTable::SimpleChina;

} // namespace

void SetToolkitStrings(StringTable table) { current = table; }
StringTable ToolkitStrings() { return current; }

QString ToolkitString(StringTable table, const char *key)
{
    for (const Entry &e : Entries)
        if (std::strcmp(e.key, key) == 0)
            return QString::fromUtf8(table == StringTable::SimpleChina ? e.simpleChina : e.muiltChina);
    return {};
}

QString ToolkitString(const char *key)
{
    return ToolkitString(current, key);
}

QStringList ToolkitStringKeys()
{
    QStringList keys;
    for (const Entry &e : Entries)
        keys << QString::fromLatin1(e.key);
    return keys;
}

} // namespace ui
