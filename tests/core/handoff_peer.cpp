// handoff_peer FOLDER RECORD ARGS...: starts as the program does, with the instance folder
// FOLDER and the command line ARGS. Prints its role on standard output ("first", "handed",
// "nothing" or "failed: why"). As the first instance it then serves hand-offs, writing each
// request it receives to the file RECORD in the channel's own request format, until its
// standard input is closed.
#include "core/commandline.h"
#include "core/handoffcodes.h"
#include "core/handoffreceiver.h"
#include "core/singleinstance.h"
#include "platform/system/localchannelframe.h"
#include "platform/system/messageservice.h"

#include <QCoreApplication>
#include <QFile>
#include <QSocketNotifier>
#include <QTimer>

#include <cstdio>
#include <unistd.h>

namespace {

class TRecordingTarget : public THandoffTarget {
public:
    explicit TRecordingTarget(const QString &path) : file_(path)
    {
        file_.open(QIODevice::WriteOnly | QIODevice::Truncate);
    }
    void handoffAddFile(const QString &fileName) override { write(HandoffAddFile, fileName); }
    void handoffCommit() override { write(HandoffCommit, {}); }
    void setPlayRequested() override { write(HandoffPlay, {}); }
    void setCloseRequested() override { write(HandoffClose, {}); }

private:
    void write(std::uint32_t code, const QString &text)
    {
        file_.write(EncodeLocalChannelRequest(code, text));
        file_.flush();
    }
    QFile file_;
};

void say(const QString &text)
{
    std::fprintf(stdout, "%s\n", qUtf8Printable(text));
    std::fflush(stdout);
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QStringList args = app.arguments();
    if (args.size() < 3) {
        std::fprintf(stderr, "usage: handoff_peer FOLDER RECORD ARGS...\n");
        return 2;
    }
    const QString folder = args.at(1);
    const QString record = args.at(2);
    const TCommandLine line = ParseCommandLine(args.mid(3));

    TSingleInstance instance(folder, messageService());
    switch (instance.start(line)) {
    case TSingleInstance::HandedOff:
        say(QStringLiteral("handed"));
        return 0;
    case TSingleInstance::NothingToDo:
        say(QStringLiteral("nothing"));
        return 0;
    case TSingleInstance::Failed:
        say(QStringLiteral("failed: ") + instance.errorString());
        return 1;
    case TSingleInstance::First:
        break;
    }
    if (!instance.channelOpen()) {
        say(QStringLiteral("failed: ") + instance.errorString());
        return 1;
    }
    TRecordingTarget target(record);
    THandoffReceiver receiver(target);
    instance.attach(receiver);
    say(QStringLiteral("first"));

    QSocketNotifier input(STDIN_FILENO, QSocketNotifier::Read);
    QObject::connect(&input, &QSocketNotifier::activated, &app, [&] {
        char buffer[256];
        if (::read(STDIN_FILENO, buffer, sizeof buffer) <= 0) app.quit();
    });
    // Never outlive a test that forgot this process.
    QTimer::singleShot(120000, &app, &QCoreApplication::quit);
    const int rc = app.exec();
    instance.release();
    return rc;
}
