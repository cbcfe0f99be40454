#include "app/application.h"
#include "app/startup.h"
#include "platform/display_server.h"
#include "platform/font_warmup.h"
#include "platform/standard_streams.h"
#include "platform/user_folders.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    platform::keepStandardStreamsOpen();
    platform::choosePlatformPlugin();
    if (!platform::checkDisplay(argc, argv))
        return 1;
    platform::lendRuntimeFolderToQt();
    platform::startFontWarmUp();
    QApplication application(argc, argv);
    platform::forgetPlatformChoice();
    platform::takeBackRuntimeFolder();
    app::initialiseApplication();
    app::StartApplication();
    // The program ends through EndApplication, never by leaving this loop.
    return application.exec();
}
