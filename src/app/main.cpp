#include "app/CTAVINApp.h"
#include "app/QtUserMessages.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication application(argc, argv);
    QtUserMessages messages;
    AppEnvironment environment;
    environment.programPath = QCoreApplication::applicationFilePath();
    environment.messages = &messages;
    CTAVINApp app(environment);
    app.InitInstance();
    return app.ExitCode();
}
