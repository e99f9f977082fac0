#include "playback/peakmetermode.h"

TPeakMeterMode TPeakMeterMode::Next() const
{
    if (!APMActive) return {true, false};
    if (!APMFall) return {true, true};
    return {false, true};
}
