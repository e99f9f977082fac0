#pragma once
// Helpers shared by the hand-off tests: a receiver target that records what it was asked to
// do, and a bounded wait that keeps the event loop turning.
#include "core/handoffcodes.h"
#include "core/handoffreceiver.h"
#include "platform/system/localchannelframe.h"
#include "support/testwait.h"

#include <QCoreApplication>
#include <QString>
#include <QThread>
#include <memory>
#include <vector>

struct THandoffRecord {
    std::uint32_t code = 0;
    QString text;
    bool operator==(const THandoffRecord &) const = default;
};

class TRecordingTarget : public THandoffTarget {
public:
    void handoffAddFile(const QString &fileName) override
    {
        records.push_back({HandoffAddFile, fileName});
    }
    void handoffCommit() override { records.push_back({HandoffCommit, {}}); }
    void setPlayRequested() override { records.push_back({HandoffPlay, {}}); }
    void setCloseRequested() override { records.push_back({HandoffClose, {}}); }

    std::vector<THandoffRecord> records;
};

// Starts f on a thread of its own (the sending end blocks; this thread serves the channel).
template <typename F> std::unique_ptr<QThread> startAside(F f)
{
    std::unique_ptr<QThread> thread(QThread::create(std::move(f)));
    thread->start();
    return thread;
}

// Turns the event loop until the thread has ended; returns whether it did in time.
inline bool finishAside(QThread &thread)
{
    const bool ended = WaitUntil([&] { return thread.isFinished(); }, 20000);
    thread.wait(ended ? 1000 : 30000);
    return ended;
}

// Decodes a record file written by handoff_peer (requests in the channel's format).
inline std::vector<THandoffRecord> decodeRecords(const QByteArray &bytes)
{
    std::vector<THandoffRecord> out;
    TLocalChannelReader reader;
    reader.append(bytes);
    TLocalChannelRequest request;
    while (reader.next(request) == TLocalChannelReader::Request)
        out.push_back({request.code, request.text});
    return out;
}
