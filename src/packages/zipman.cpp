#include "packages/zipman.h"

#include "packages/zippackage.h"
#include "packages/zipstreamerror.h"

#include <QPointer>

#include <utility>

// What one request came to, handed from the worker to the owner's thread.
struct TZipMan::TOutcome {
    bool Stopped = false;
    bool Unpacked = false;
    QString Reason;
    QStringList Entries;
    int Index = -1;
    QString File;
    QString Caption;
    QString SubCaption;
};

TZipMan::TZipMan(QString tempFolder, TZipLimits limits)
    : tempFolder_(std::move(tempFolder)),
      work_(std::make_unique<TZipPackage>(tempFolder_, limits))
{
    thread_.setObjectName(QStringLiteral("Packages"));
    worker_ = new QObject;
    worker_->moveToThread(&thread_);
    connect(&thread_, &QThread::finished, worker_, &QObject::deleteLater);
    thread_.start();
}

TZipMan::~TZipMan()
{
    StopWork();
    thread_.quit();
    thread_.wait();
    // The worker is gone, so its package may be touched here: its end deletes what it
    // unpacked.
    work_.reset();
}

TZipMan::TOutcome TZipMan::Work(const QString &path, int index, std::stop_token stop)
{
    TOutcome outcome;
    TZipPackage &package = *work_;
    if (stop.stop_requested()) {
        outcome.Stopped = true;
        return outcome;
    }
    try {
        if (package.Package() != path || !package.Listed()) {
            package.SetPackage(path);
            if (!package.OpenPackage(stop)) throw EZipStreamError(QStringLiteral("Error"));
        }
        package.SetIndex(index);
        outcome.Unpacked = package.UnpackCurrent(stop);
        outcome.Reason = package.LastError();
    } catch (const EZipStreamError &error) {
        outcome.Reason = error.Message();
    }
    outcome.Stopped = stop.stop_requested();
    // A request given up leaves nothing behind, not even a member it finished.
    if (outcome.Stopped) package.CleanUp();
    outcome.Entries = package.Entries();
    outcome.Index = package.CurrentIndex();
    outcome.File = package.CurrentFile();
    outcome.Caption = package.CurrentCaption();
    outcome.SubCaption = package.CurrentSubCaption();
    return outcome;
}

void TZipMan::Take(const TOutcome &outcome)
{
    busy_ = false;
    entries_ = outcome.Entries;
    currentIndex_ = outcome.Index;
    currentFile_ = outcome.Unpacked ? outcome.File : QString();
    currentCaption_ = outcome.Unpacked ? outcome.Caption : QString();
    currentSubCaption_ = outcome.Unpacked ? outcome.SubCaption : QString();
    failureReason_ = outcome.Unpacked ? QString() : outcome.Reason;
}

void TZipMan::Prepare(const QString &path, int index, QObject *context, TDone done)
{
    StopWork();
    stop_ = std::stop_source();
    const quint64 request = ++request_;
    busy_ = true;
    if (path != package_) {
        entries_.clear();
        currentFile_.clear();
        currentCaption_.clear();
        currentSubCaption_.clear();
    }
    package_ = path;
    currentIndex_ = index;
    const bool hasContext = context != nullptr;
    QPointer<QObject> guard(context);
    QMetaObject::invokeMethod(
        worker_,
        [this, path, index, stop = stop_.get_token(), request, hasContext, guard,
         done = std::move(done)] {
            TOutcome outcome = Work(path, index, stop);
            if (outcome.Stopped) return;
            // Back on the owner's thread; an answer overtaken by a newer request is dropped.
            QMetaObject::invokeMethod(
                this,
                [this, outcome = std::move(outcome), request, hasContext, guard, done] {
                    if (request != request_ || !busy_) return;
                    Take(outcome);
                    if (done && (!hasContext || guard)) done(outcome.Unpacked);
                },
                Qt::QueuedConnection);
        },
        Qt::QueuedConnection);
}

void TZipMan::StopWork()
{
    if (!busy_) return;
    stop_.request_stop();
    busy_ = false;
}

void TZipMan::Cancel()
{
    if (!busy_) return;
    StopWork();
    // The request may have finished before it saw the stop; what it unpacked goes all the
    // same.
    QMetaObject::invokeMethod(worker_, [this] { work_->CleanUp(); }, Qt::QueuedConnection);
}

void TZipMan::ClosePackage()
{
    StopWork();
    ++request_;
    package_.clear();
    entries_.clear();
    currentIndex_ = -1;
    currentFile_.clear();
    currentCaption_.clear();
    currentSubCaption_.clear();
    failureReason_.clear();
    QMetaObject::invokeMethod(worker_, [this] { work_->ClosePackage(); }, Qt::QueuedConnection);
}

