#include "mainwindow/TransferQuestions.h"

#include "platform/TextCodec.h"
#include "ui/Language.h"

#include <QFileInfo>

namespace mainwindow {

QString UploadQuestion(const QStringList &folders, const QStringList &files)
{
    if (folders.size() + files.size() == 1) {
        const QString name = QFileInfo(folders.isEmpty() ? files.first() : folders.first()).fileName();
        const QString question = folders.isEmpty()
                                     ? ui::pick("   您是否确定要上传“%1”文件？", "   您是否確定要上傳“%1”文件？")
                                     : ui::pick("   您是否确定要上传“%1”目录？", "   您是否確定要上傳“%1”目錄？");
        return question.arg(name);
    }
    return ui::pick("   您是否确定要上传 %1 个选定的文件或目录？", "   您是否確定要上傳 %1 個選定的文件或目錄？")
        .arg(folders.size() + files.size());
}

QString DownloadQuestion(const QList<QByteArray> &folders, const QList<QByteArray> &files)
{
    if (folders.size() + files.size() == 1) {
        const QString name = platform::decodeRemoteName(folders.isEmpty() ? files.first() : folders.first());
        const QString question = folders.isEmpty()
                                     ? ui::pick("   您是否确定要下载“%1”文件？", "   您是否確定要下載“%1”文件？")
                                     : ui::pick("   您是否确定要下载“%1”目录？", "   您是否確定要下載“%1”目錄？");
        return question.arg(name);
    }
    return ui::pick("   您是否确定要下载 %1 个选定的文件或目录？", "   您是否確定要下載 %1 個選定的文件或目錄？")
        .arg(folders.size() + files.size());
}

} // namespace mainwindow
