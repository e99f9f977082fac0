#include "core/commandline.h"
#include "core/singleinstance.h"
#include "handoff_support.h"
#include "platform/system/instancelock.h"
#include "platform/system/localchannelserver.h"
#include "platform/system/messageservice.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

namespace {

// Runs a second start on a thread of its own while this thread turns the event loop for
// whatever serves the channel here.
class TSecondStart {
public:
    TSecondStart(const QString &folder, const QStringList &args, TSingleInstanceOptions options)
    {
        thread_ = startAside([=, this] {
            TSingleInstance instance(folder, messages_, options);
            role_ = instance.start(ParseCommandLine(args));
            error_ = instance.errorString();
            instance.release();
        });
    }
    ~TSecondStart() { thread_->wait(); }
    TSingleInstance::TRole finish()
    {
        EXPECT_TRUE(finishAside(*thread_));
        return role_;
    }
    QString error() const { return error_; }

private:
    TScriptedMessageService messages_; // answers any box the second start shows
    std::unique_ptr<QThread> thread_;
    TSingleInstance::TRole role_ = TSingleInstance::Failed;
    QString error_;
};

TSingleInstanceOptions quick()
{
    TSingleInstanceOptions options;
    options.startWaitMs = 500;
    options.identifyTimeoutMs = 500;
    options.replyTimeoutMs = 500;
    return options;
}

// A stand-in first instance: holds the lock and serves the channel with a raw handler.
struct TRawFirst {
    explicit TRawFirst(const QString &folder)
        : lock(folder), server(folder + QStringLiteral("/instance.socket"))
    {
        EXPECT_TRUE(lock.tryLock());
    }
    TInstanceLock lock;
    TLocalChannelServer server;
    std::vector<THandoffRecord> seen;
    void answer(std::function<std::int32_t(std::uint32_t)> reply)
    {
        EXPECT_TRUE(server.listen());
        server.setHandler([this, reply](std::uint32_t code, const QString &text) {
            seen.push_back({code, text});
            return reply(code);
        });
    }
};

} // namespace

TEST(HandoffInstance, SecondStartSendsItsCommandLineInOrderAndNamesPassWhole)
{
    QTemporaryDir dir;
    TRawFirst first(dir.path());
    first.answer([](std::uint32_t code) { return code == HandoffIdentify ? 32454 : 0; });

    const QString longName =
        QStringLiteral("/music/") + QString(10000, u'x') + QStringLiteral(".mid");
    // Lone surrogates and NULs are no valid text elsewhere, but a name comes out as it went in.
    const QString oddName = QStringLiteral("/m/line\nbreak \"quoted\" 'x' \u00e9 \u4e2d.mid") +
                            QChar(0xD800) + QChar(0) + QStringLiteral("\U0001F3B5");
    TSecondStart second(dir.path(),
                        {QStringLiteral("/Play"), longName, QString(), QStringLiteral("/nope"),
                         oddName, QStringLiteral("/CLOSE")},
                        quick());
    EXPECT_EQ(second.finish(), TSingleInstance::HandedOff) << second.error().toStdString();
    EXPECT_EQ(first.seen, (std::vector<THandoffRecord>{{HandoffIdentify, {}},
                                                       {HandoffQuery, {}},
                                                       {HandoffPlay, {}},
                                                       {HandoffAddFile, longName},
                                                       {HandoffAddFile, oddName},
                                                       {HandoffClose, {}},
                                                       {HandoffCommit, {}}}));
}

TEST(HandoffInstance, SecondStartStopsAtAWrongIdentityOrARefusal)
{
    for (const bool refuse : {false, true}) {
        QTemporaryDir dir;
        TRawFirst first(dir.path());
        first.answer([refuse](std::uint32_t code) {
            if (code == HandoffIdentify) return refuse ? 32454 : 1;
            return code == HandoffQuery ? 1 : 0;
        });
        TSecondStart second(dir.path(), {QStringLiteral("a.mid")}, quick());
        EXPECT_EQ(second.finish(), TSingleInstance::Failed);
        EXPECT_FALSE(second.error().isEmpty());
        const std::size_t expected = refuse ? 2 : 1; // identify, then query when it identified
        EXPECT_EQ(first.seen.size(), expected);
    }
}

TEST(HandoffInstance, SilentOrAbsentFirstInstanceFailsWithinItsBound)
{
    QTemporaryDir dir;
    // Holds the lock but never opens its channel: the second start gives up after its wait.
    TRawFirst first(dir.path());
    TSecondStart absent(dir.path(), {QStringLiteral("a.mid")}, quick());
    EXPECT_EQ(absent.finish(), TSingleInstance::Failed);
    EXPECT_TRUE(absent.error().contains(QStringLiteral("did not open")));

    // Opens its channel but never answers (it is stuck): the wait for the reply is bounded.
    ASSERT_TRUE(first.server.listen());
    TSecondStart silent(dir.path(), {QStringLiteral("a.mid")}, quick());
    EXPECT_EQ(silent.finish(), TSingleInstance::Failed);
    EXPECT_TRUE(first.seen.empty());

    // With no arguments there is nothing to hand over, and nobody is asked.
    TSecondStart empty(dir.path(), {}, quick());
    EXPECT_EQ(empty.finish(), TSingleInstance::NothingToDo);
}

TEST(HandoffInstance, ABatchCutByAClosingInstanceGoesToTheNextFirstInstance)
{
    QTemporaryDir dir;
    TRawFirst first(dir.path());
    // The instance begins to close while a batch is under way: it shuts its channel in the
    // middle of a request, and gives up the lock a moment later.
    first.answer([&first](std::uint32_t code) {
        if (code == HandoffAddFile) first.server.close();
        return code == HandoffIdentify ? 32454 : 0;
    });
    TSingleInstanceOptions patient = quick();
    patient.startWaitMs = 20000;
    TSecondStart next(dir.path(), {QStringLiteral("a.mid"), QStringLiteral("b.mid")}, patient);
    ASSERT_TRUE(
        WaitUntil([&] { return !first.seen.empty() && !first.server.isListening(); }, 20000));
    first.lock.unlock();
    // The start's files are not lost with the old instance: it becomes the new one.
    EXPECT_EQ(next.finish(), TSingleInstance::First);
}

TEST(HandoffInstance, TheRuntimeFolderIsPrivateAndNeverALink)
{
    QTemporaryDir runtime, elsewhere;
    const QByteArray old = qgetenv("XDG_RUNTIME_DIR");
    qputenv("XDG_RUNTIME_DIR", runtime.path().toLocal8Bit());
    const QString temp = runtime.path() + QStringLiteral("/tonaria");
    const QByteArray native = temp.toLocal8Bit();
    const QByteArray instance = (temp + QStringLiteral("/instance")).toLocal8Bit();
    ASSERT_EQ(::mkdir(native.constData(), 0755), 0); // made too open by someone
    ASSERT_EQ(::mkdir(instance.constData(), 0755), 0);
    QString error;
    EXPECT_EQ(PrepareInstanceFolder(&error), temp + QStringLiteral("/instance"));
    struct stat st {};
    ASSERT_EQ(::lstat(instance.constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0700u);

    ::rmdir(instance.constData()); // a link planted in its place is refused
    ASSERT_EQ(::symlink(elsewhere.path().toLocal8Bit().constData(), instance.constData()), 0);
    EXPECT_TRUE(PrepareInstanceFolder(&error).isEmpty());
    EXPECT_FALSE(error.isEmpty());
    qputenv("XDG_RUNTIME_DIR", old);
}
