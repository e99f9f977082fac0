#include "core/sessionreport.h"
#include "platform/ui/qtmessageservice.h"

#include <QApplication>
#include <QTextStream>

#include <cstdio>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tonaria"));

    // On a real desktop message boxes are windows; headless runs answer them on the console.
    TQtMessageService boxes;
    const QString platform = QGuiApplication::platformName();
    if (platform != QLatin1String("offscreen") && platform != QLatin1String("minimal"))
        setMessageService(&boxes);

    QTextStream out(stdout);
    return RunSessionReport(QCoreApplication::applicationFilePath(), out);
}
