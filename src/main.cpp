#include "app/application.h"
#include "app/startup.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication application(argc, argv);
    app::initialiseApplication();
    app::StartApplication();
    // The program ends through EndApplication, never by leaving this loop.
    return application.exec();
}
