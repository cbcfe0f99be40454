#include "app/application.h"
#include "app/startup.h"
#include "platform/font_warmup.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    platform::startFontWarmUp();
    QApplication application(argc, argv);
    app::initialiseApplication();
    app::StartApplication();
    // The program ends through EndApplication, never by leaving this loop.
    return application.exec();
}
