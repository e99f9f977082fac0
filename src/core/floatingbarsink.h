#pragma once
// What the display texts write into the floating bar. The floating bar implements it and
// installs itself while it exists; with none installed nothing is written.
//
// Threads: main thread only.

#include <QString>

class TFloatingBarSink {
public:
    virtual ~TFloatingBarSink() = default;

    // `tlCaption`: the short caption.
    virtual void SetCaption(const QString &caption) = 0;
    // `tlTime`: the main time.
    virtual void SetTime(const QString &time) = 0;
};
