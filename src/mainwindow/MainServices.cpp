// TMainForm: the help menu's windows and the update check of the options menu.
#include "mainwindow/Main.h"

#include "services/About.h"
#include "services/Help.h"
#include "services/SendInfo.h"
#include "services/ServiceConfig.h"
#include "services/Update.h"

#include <QCoreApplication>
#include <QFileInfo>

namespace mainwindow {

void TMainForm::mmiCheckUpdateClick()
{
    if (operationMode() != omIdle || engineBusy())
        return;
    services::UpdateEnvironment environment;
    environment.programFile = QCoreApplication::applicationFilePath();
    environment.dataFolder = QFileInfo(config_.fileName()).absolutePath();
    environment.serviceBase = services::ServiceBase(config_, services::UpdateServerKey);
    environment.pid = QCoreApplication::applicationPid();
    bool replacing = false;
    {
        services::TUpdateForm form(environment, this);
        connect(&form, &services::TUpdateForm::replacementStarted, this, [&replacing] { replacing = true; });
        form.exec();
    }
    // The script waits for this program to end before it replaces the file.
    if (replacing && close())
        QCoreApplication::quit();
}

void TMainForm::mmiUserHelpClick()
{
    if (operationMode() != omIdle || engineBusy())
        return;
    services::THelpForm form(narrowScreen(), currentFace(), this);
    form.exec();
}

void TMainForm::mmiSupportClick()
{
    if (operationMode() != omIdle || engineBusy())
        return;
    services::TSendUserInfo form(services::ServiceBase(config_, services::FeedbackServerKey), this);
    form.exec();
}

void TMainForm::mmiAboutClick()
{
    services::TAboutOur form(this);
    form.exec();
}

} // namespace mainwindow
