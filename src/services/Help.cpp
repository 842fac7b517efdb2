#include "services/Help.h"

#include "services/ContactLink.h"
#include "ui/Icons.h"
#include "ui/Language.h"
#include "ui/Skins.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QTextBrowser>
#include <QTextDocument>
#include <QVBoxLayout>

#include <optional>
#include <vector>

namespace services {
namespace {

using ui::Glyph;

// One line of the guide; '#' in the texts stands for the picture of `glyph`.
struct GuideLine
{
    const char *simplified;
    const char *traditional;
    std::optional<Glyph> glyph = std::nullopt;
    bool indented = false;
};

struct GuideSection
{
    const char *simplified;
    const char *traditional;
    std::vector<GuideLine> lines;
};

const char *const TitleSimplified = "★ BramblewayFTP软件是一个支持FTP协议的远程文件管理软件 ★";
const char *const TitleTraditional = "★ BramblewayFTP软件是一個支持FTP協議的遠程文件管理软件 ★";

const std::vector<GuideSection> &guideSections()
{
    static const std::vector<GuideSection> sections = {
        {"【连接FTP服务器】", "【連接FTP服务器】",
         {{"① 单击工具栏上的 # “快速连接”按钮，或选择菜单“站点”→“快速连接”。",
           "① 單擊工具欄上的 # “快速連接”按鈕，或選擇菜單“站點”→“快速連接”。", Glyph::Connect},
          {"② 在弹出的窗口中填写连接所需的信息：", "② 在彈出的窗口中填寫連接所需的信息："},
          {"◆ 服务器：FTP服务器的网络地址或IP地址", "◆ 服務器：FTP服務器的網絡地址或IP地址", {}, true},
          {"◆ 用户名：登录用户名（匿名登录时不必填写）", "◆ 用戶名：登錄用戶名（匿名登錄時不必填寫）", {}, true},
          {"◆ 密  码：登录密码", "◆ 密  碼：登錄密碼", {}, true},
          {"◆ 端  口：登录端口，默认为21", "◆ 端  口：登錄端口，默認爲21", {}, true},
          {"③ 单击“连  接”，连接成功后右侧窗口列出服务器上的文件。",
           "③ 單擊“連  接”，連接成功後右側窗口列出服務器上的文件。"},
          {"④ 常用的站点可以保存在“站点管理器...”中，选中站点后单击“连  接”即可。",
           "④ 常用的站點可以保存在“站點管理器...”中，選中站點後單擊“連  接”即可。"}}},
        {"【断开FTP服务器的连接】", "【斷開FTP服务器的連接】",
         {{"① 单击工具栏上的 # 按钮，或选择菜单“站点”→“断开连接”。",
           "① 單擊工具欄上的 # 按鈕，或選擇菜單“站點”→“斷開連接”。", Glyph::Disconnect},
          {"● 单击 # 按钮可以重新连接当前的FTP服务器。", "● 單擊 # 按鈕可以重新連接當前的FTP服務器。",
           Glyph::Reconnect}}},
        {"【新建文件夹】", "【新建文件夾】",
         {{"① 在本地窗口或服务器窗口中打开要创建文件夹的目录。", "① 在本地窗口或服務器窗口中打開要創建文件夾的目錄。"},
          {"② 单击该窗口工具栏上的 # 按钮，输入新文件夹的名称后单击“确  定”。",
           "② 單擊該窗口工具欄上的 # 按鈕，輸入新文件夾的名稱後單擊“確  定”。", Glyph::NewFolder}}},
        {"【重命名文件或文件夹】", "【重命名文件或文件夾】",
         {{"① 选中要重命名的文件或文件夹。", "① 選中要重命名的文件或文件夾。"},
          {"② 单击工具栏上的 # 按钮，输入新的名称后单击“确  定”。",
           "② 單擊工具欄上的 # 按鈕，輸入新的名稱後單擊“確  定”。", Glyph::Rename}}},
        {"【删除文件或文件夹】", "【删除文件或文件夾】",
         {{"① 选中要删除的文件或文件夹。", "① 選中要刪除的文件或文件夾。"},
          {"② 单击工具栏上的 # 按钮，确认后即删除。", "② 單擊工具欄上的 # 按鈕，確認後即刪除。", Glyph::Delete},
          {"● 本地文件发送到回收站，同时按下Shift键则直接删除。", "● 本地文件發送到回收站，同時按下Shift鍵則直接刪除。"},
          {"● 删除服务器上的文件夹时，其中所有的文件和子文件夹都会被删除。",
           "● 刪除服務器上的文件夾時，其中所有的文件和子文件夾都會被刪除。"}}},
        {"【上传文件】", "【上傳文件】",
         {{"① 在服务器窗口中打开要存放文件的目录。", "① 在服務器窗口中打開要存放文件的目錄。"},
          {"② 在本地窗口中选中要上传的文件或文件夹。", "② 在本地窗口中選中要上傳的文件或文件夾。"},
          {"③ 单击 # 按钮，或把选中的项目拖到服务器窗口中。", "③ 單擊 # 按鈕，或把選中的項目拖到服務器窗口中。",
           Glyph::Upload},
          {"● 也可以先“添加到队列”，再“传送所有队列”。", "● 也可以先“添加到隊列”，再“傳送所有隊列”。"}}},
        {"【下载文件】", "【下載文件】",
         {{"① 在本地窗口中打开要保存文件的目录。", "① 在本地窗口中打開要保存文件的目錄。"},
          {"② 在服务器窗口中选中要下载的文件或文件夹。", "② 在服務器窗口中選中要下載的文件或文件夾。"},
          {"③ 单击 # 按钮，或把选中的项目拖到本地窗口中。", "③ 單擊 # 按鈕，或把選中的項目拖到本地窗口中。",
           Glyph::Download},
          {"④ 本地已有同名的文件时，可以选择覆盖、续传或跳过。", "④ 本地已有同名的文件時，可以選擇覆蓋、續傳或跳過。"},
          {"● 单击 # 按钮可以中断正在进行的上传或下载。", "● 單擊 # 按鈕可以中斷正在進行的上傳或下載。",
           Glyph::Stop}}},
        {"【智能升级】", "【智能升級】",
         {{"① 选择菜单“选项”→“智能升级...”（或按F12键）。", "① 選擇菜單“選項”→“智能升級...”（或按F12鍵）。"},
          {"② 单击“开  始”，程序检测网络并获取升级信息。", "② 單擊“開  始”，程序檢測網絡並獲取升級信息。"},
          {"③ 发现新版本时确认升级，程序下载并校验升级文件。", "③ 發現新版本時確認升級，程序下載並校驗升級文件。"},
          {"④ 单击“确  定”后程序自动退出，并启动新的版本。", "④ 單擊“確  定”後程序自動退出，並啓動新的版本。"}}},
    };
    return sections;
}

QString glyphName(Glyph glyph)
{
    return QStringLiteral("glyph:%1").arg(int(glyph));
}

QString guideHtml(bool simplified)
{
    const auto text = [simplified](const char *s, const char *t) {
        return QString::fromUtf8(simplified ? s : t).toHtmlEscaped();
    };
    QString html = QStringLiteral("<p align=\"center\" style=\"font-weight:bold; margin-bottom:10px;\">%1</p>")
                       .arg(text(TitleSimplified, TitleTraditional));
    for (const GuideSection &section : guideSections()) {
        html += QStringLiteral("<p style=\"font-weight:bold; margin-top:8px; margin-bottom:2px;\">%1</p>")
                    .arg(text(section.simplified, section.traditional));
        for (const GuideLine &line : section.lines) {
            QString body = text(line.simplified, line.traditional);
            if (line.glyph)
                body.replace(QLatin1Char('#'), QStringLiteral("<img src=\"%1\" width=\"16\" height=\"16\" "
                                                              "style=\"vertical-align:middle\">")
                                                   .arg(glyphName(*line.glyph)));
            html += QStringLiteral("<p style=\"margin-top:1px; margin-bottom:1px; margin-left:%1px; white-space:pre-wrap;\">%2</p>")
                        .arg(line.indented ? 34 : 14)
                        .arg(body);
        }
    }
    return html;
}

} // namespace

QStringList THelpForm::Headings()
{
    QStringList out{ui::pick(TitleSimplified, TitleTraditional)};
    for (const GuideSection &section : guideSections())
        out << ui::pick(section.simplified, section.traditional);
    return out;
}

int THelpForm::HelpSkinFor(bool narrowScreen, int face)
{
    return narrowScreen && face == 1 ? 1 : 2;
}

THelpForm::THelpForm(bool narrowScreen, int face, QWidget *parent)
    : QDialog(parent), skin_(HelpSkinFor(narrowScreen, face))
{
    setObjectName(QStringLiteral("THelpForm"));
    setModal(true);
    // The help window's own skins: the compact one for narrow screens, the
    // light one otherwise.
    setStyleSheet(ui::skinStyleSheet(skin_ == 1 ? ui::Skin::XFactor : ui::Skin::StoredSkin1));

    box_ = new QGroupBox(this);
    box_->setObjectName(QStringLiteral("GroupBox1"));
    guide_ = new QTextBrowser(box_);
    guide_->setObjectName(QStringLiteral("ScrollBox1"));
    guide_->setOpenLinks(false);
    guide_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    guide_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    for (const Glyph glyph : {Glyph::Connect, Glyph::Disconnect, Glyph::Reconnect, Glyph::NewFolder, Glyph::Rename,
                              Glyph::Delete, Glyph::Upload, Glyph::Download, Glyph::Stop})
        guide_->document()->addResource(QTextDocument::ImageResource, QUrl(glyphName(glyph)),
                                        ui::glyphIcon(glyph).pixmap(16, 16).toImage());
    auto *inBox = new QVBoxLayout(box_);
    inBox->setContentsMargins(6, 6, 6, 6);
    inBox->addWidget(guide_);

    web_ = MakeWebPageLink(this);
    mail_ = MakeMailLink(this);
    auto *links = new QHBoxLayout;
    links->addStretch(1);
    links->addWidget(web_);
    links->addSpacing(24);
    links->addWidget(mail_);
    links->addStretch(1);

    auto *column = new QVBoxLayout(this);
    column->setContentsMargins(8, 6, 8, 8);
    column->addWidget(box_, 1);
    column->addLayout(links);
    SetTexts();
    resize(ClientWidth, ClientHeight);
}

void THelpForm::SetTexts()
{
    setWindowTitle(ui::pick("使用帮助", "使用幫助"));
    guide_->setHtml(guideHtml(ui::UseSimplified()));
}

} // namespace services
