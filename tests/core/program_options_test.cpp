// The options a Linux user types first, given to the real executables: help, version, the
// device list, the end of the options and unknown ones, and a start with no display at all.
#include "core/program_support.h"
#include "playback/player_support.h"

#include <QDir>
#include <QFileInfo>

namespace {

struct TRun {
    bool finished = false;
    int status = -1;
    QString out;
    QString err;
};

class ProgramOptionsTest : public TProgramTest {
protected:
    // Runs `program` to its end in the test's environment, reading what it prints.
    TRun Run(const QString &program, const QStringList &arguments)
    {
        QProcess process;
        process.setProcessEnvironment(Environment(env.scratch() + QStringLiteral("out.wav")));
        process.start(program, arguments);
        TRun run;
        run.finished = process.waitForFinished(10000);
        if (!run.finished) process.kill();
        run.status = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
        run.out = QString::fromUtf8(process.readAllStandardOutput());
        run.err = QString::fromUtf8(process.readAllStandardError());
        return run;
    }

    // Nothing of the jukebox was started: no album, no preferences, no instance folder.
    void ExpectNothingStarted(const QString &what)
    {
        // The test's program folder holds an empty albums folder and nothing else.
        const auto entries = QDir::AllEntries | QDir::NoDotAndDotDot;
        EXPECT_EQ(QDir(env.home()).entryList(entries), QStringList{QStringLiteral("Albums")})
            << what.toStdString();
        EXPECT_TRUE(QDir(env.home() + QStringLiteral("Albums")).isEmpty(entries))
            << what.toStdString();
        EXPECT_FALSE(QFileInfo::exists(env.config())) << what.toStdString();
        EXPECT_FALSE(QFileInfo::exists(runtime.path() + QStringLiteral("/tonaria")))
            << what.toStdString();
    }
};

const QString kTonaria = QStringLiteral(TONARIA_EXE);
const QString kRender = QStringLiteral(TONARIA_RENDER_EXE);

TEST_F(ProgramOptionsTest, HelpAndVersionAnswerOnTheConsoleAndStartNothing)
{
    struct TCase {
        QString program;
        QString option;
        QString firstLine;
    };
    const TCase cases[] = {
        {kTonaria, QStringLiteral("--help"), QStringLiteral("Usage: tonaria ")},
        {kTonaria, QStringLiteral("-h"), QStringLiteral("Usage: tonaria ")},
        {kTonaria, QStringLiteral("--version"), QStringLiteral("Tonaria " TONARIA_VERSION)},
        {kRender, QStringLiteral("--help"), QStringLiteral("Usage: tonaria-render ")},
        {kRender, QStringLiteral("--version"), QStringLiteral("tonaria-render " TONARIA_VERSION)},
    };
    for (const TCase &c : cases) {
        // Files after the option are not taken either.
        const QString what = c.program + u' ' + c.option;
        const TRun run = Run(c.program, {c.option, QStringLiteral("/play"), QStringLiteral("a")});
        ASSERT_TRUE(run.finished) << what.toStdString();
        EXPECT_EQ(run.status, 0) << what.toStdString();
        EXPECT_TRUE(run.out.section(u'\n', 0, 0).startsWith(c.firstLine))
            << what.toStdString() << run.out.toStdString();
        EXPECT_TRUE(run.err.isEmpty()) << what.toStdString() << run.err.toStdString();
        ExpectNothingStarted(what);
    }
    // The render tool's usage documents its exit statuses.
    EXPECT_TRUE(
        Run(kRender, {QStringLiteral("--help")}).out.contains(QStringLiteral("Exit status: 0")));
}

TEST_F(ProgramOptionsTest, UnknownOptionsEndWithStatusTwoAndAreNeverTitles)
{
    const QString song = env.writeFile(QStringLiteral("a.mid"), MidiFileBytes(500));
    for (const QString &option : {QStringLiteral("--word"), QStringLiteral("-"),
                                  QStringLiteral("-x.mid"), QStringLiteral("--Help")}) {
        const TRun run = Run(kTonaria, {QStringLiteral("/play"), song, option});
        ASSERT_TRUE(run.finished) << option.toStdString();
        EXPECT_EQ(run.status, 2) << option.toStdString();
        EXPECT_TRUE(
            run.err.startsWith(QStringLiteral("tonaria: unknown option \"") + option + u'"'))
            << run.err.toStdString();
        EXPECT_TRUE(run.err.contains(QStringLiteral("Usage: tonaria "))) << option.toStdString();
        ExpectNothingStarted(option);
    }
    // The render tool refuses a wrong command line the same way.
    const QString wav = env.scratch() + QStringLiteral("o.wav");
    EXPECT_EQ(Run(kRender, {QStringLiteral("--word"), song, wav}).status, 2);
    EXPECT_FALSE(QFileInfo::exists(wav));
}

TEST_F(ProgramOptionsTest, DoubleDashLetsAFileBeginningWithADashThrough)
{
    env.writeFile(QStringLiteral("-x.mid"), MidiFileBytes(800));
    const QString wav = env.scratch() + QStringLiteral("out.wav");
    QProcess *tonaria = Launch({QStringLiteral("/play"), QStringLiteral("/close"),
                                QStringLiteral("--"), QStringLiteral("-x.mid")},
                               wav, {}, env.scratch());
    ASSERT_TRUE(tonaria->waitForFinished(20000));
    EXPECT_EQ(tonaria->exitCode(), 0);
    EXPECT_EQ(SystemAlbumFiles(),
              QStringList({QDir::cleanPath(env.scratch() + QStringLiteral("-x.mid"))}));
    EXPECT_GT(ReadRecording(wav).peak, 0.01f);
}

TEST_F(ProgramOptionsTest, WithoutAnyDisplayItPlaysHeadlessAndSaysSo)
{
    const QString song = env.writeFile(QStringLiteral("a.mid"), MidiFileBytes(1000));
    const QString wav = env.scratch() + QStringLiteral("out.wav");
    QProcess process;
    QProcessEnvironment environment = Environment(wav);
    for (const char *name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        environment.remove(QString::fromLatin1(name));
    process.setProcessEnvironment(environment);
    process.start(kTonaria, {QStringLiteral("/play"), QStringLiteral("/close"), song});
    ASSERT_TRUE(process.waitForFinished(20000));
    EXPECT_EQ(process.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(process.exitCode(), 0);
    const QString err = QString::fromUtf8(process.readAllStandardError());
    // That one line and nothing else: no session bus is no news either.
    EXPECT_EQ(err.count(u'\n'), 1) << err.toStdString();
    EXPECT_TRUE(err.startsWith(QStringLiteral("tonaria: no X or Wayland display")))
        << err.toStdString();
    const TRecording recording = ReadRecording(wav);
    ASSERT_TRUE(recording.ok);
    EXPECT_GT(recording.peak, 0.01f);
    EXPECT_GT(recording.seconds, 0.9);
    EXPECT_EQ(SystemAlbumFiles(), QStringList({song}));
}

TEST_F(ProgramOptionsTest, DevicesListsThePlayersDevicesWithoutStartingTheJukebox)
{
    const TRun run = Run(kTonaria, {QStringLiteral("--devices")});
    ASSERT_TRUE(run.finished);
    EXPECT_EQ(run.status, 0);
    const QStringList lines = run.out.split(u'\n', Qt::SkipEmptyParts);
    ASSERT_FALSE(lines.isEmpty());
    EXPECT_TRUE(lines.first().startsWith(QStringLiteral("DEVICE "))) << run.out.toStdString();
    QStringList names;
    for (const QString &line : lines.mid(1))
        names << line.section(u' ', 0, 0);
    EXPECT_TRUE(names.contains(QStringLiteral("sequencer"))) << run.out.toStdString();
    EXPECT_TRUE(names.contains(QStringLiteral("waveaudio"))) << run.out.toStdString();
    ExpectNothingStarted(QStringLiteral("--devices"));
}

} // namespace
