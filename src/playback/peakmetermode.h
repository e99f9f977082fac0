#pragma once
// The three modes of the peak meter that a click on its bars cycles through: off, on without
// falling peak marks, on with them. Turning the meter off keeps the fall marks' flag, so the
// next click turns it on without them.
//
// Threads: any (a plain value).

struct TPeakMeterMode {
    bool APMActive = false;
    bool APMFall = false;

    // The mode after one more click.
    TPeakMeterMode Next() const;

    bool operator==(const TPeakMeterMode &) const = default;
};
