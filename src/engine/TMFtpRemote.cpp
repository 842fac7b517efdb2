// Operations on remote names that move no file contents.

#include "engine/TMFtp.h"

#include "engine/FtpLoginRules.h"
#include "engine/TMFtpInternal.h"

using namespace ftp;

namespace {
const char *const AccessDeniedText = "Access denied or file not found";
}

void TMFtp::ChangeDirectory(const QByteArray &directory)
{
    if (!BeginOperation())
        return;
    operation_ = opChangeDir;
    SendCommand("CWD " + directory, FTP_HANDLER(OnCwdReply));
    if (!asynchronous_)
        WaitWhileBusy();
}

void TMFtp::ChangeDirectoryUp()
{
    if (!BeginOperation())
        return;
    operation_ = opParentDir;
    SendCommand("CDUP ", FTP_HANDLER(OnCwdReply));
    if (!asynchronous_)
        WaitWhileBusy();
}

void TMFtp::OnCwdReply(const QByteArray &reply)
{
    if (!IsCompletion(reply)) {
        changeDirOK_ = false;
        errorText_ = QString::fromLatin1(AccessDeniedText);
        ReportError(errorAccessDenied);
        PostReady();
        return;
    }
    changeDirOK_ = true;
    if (reply.contains('"')) {
        currentDirectory_ = QuotedPath(reply);
        PostReady();
        return;
    }
    SendCommand("PWD", FTP_HANDLER(OnPwdReply));
}

void TMFtp::OnPwdReply(const QByteArray &reply)
{
    if (IsCompletion(reply)) {
        currentDirectory_ = QuotedPath(reply);
        if (serverType_ == ftpstNetTerm || serverType_ == ftpstServU)
            currentDirectory_ = DrivePathToUnix(currentDirectory_);
    } else {
        changeDirOK_ = false;
        ReportError(errorCommandFailed);
    }
    PostReady();
}
