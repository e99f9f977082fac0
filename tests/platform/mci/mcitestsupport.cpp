#include "mcitestsupport.h"

#include "platform/mci/mcinotifyevent.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QThread>

#include <sndfile.h>

#include <cmath>

std::vector<unsigned> TNoticeRecorder::codes() const
{
    std::vector<unsigned> out;
    for (const TNotice &n : notices)
        out.push_back(n.code);
    return out;
}

void TNoticeRecorder::customEvent(QEvent *event)
{
    if (event->type() == TMciNotifyEvent::kType) {
        auto *notice = static_cast<TMciNotifyEvent *>(event);
        notices.push_back({notice->notifyCode(), notice->deviceId()});
    }
}

bool waitUntil(const std::function<bool()> &done, int timeoutMs)
{
    QElapsedTimer timer;
    timer.start();
    while (!done()) {
        if (timer.elapsed() > timeoutMs) return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        QThread::msleep(2);
    }
    return true;
}

void spin(int ms)
{
    waitUntil([] { return false; }, ms);
}

QByteArray makeWav(int rate, int channels, int frames, const std::function<double(int, int)> &value)
{
    QByteArray out;
    auto le16 = [&out](int v) { out.append(char(v & 0xFF)).append(char((v >> 8) & 0xFF)); };
    auto le32 = [&out](std::uint32_t v) {
        for (int i = 0; i < 4; ++i)
            out.append(char((v >> (8 * i)) & 0xFF));
    };
    const std::uint32_t dataBytes = std::uint32_t(frames * channels * 2);
    out.append("RIFF", 4);
    le32(36 + dataBytes);
    out.append("WAVEfmt ", 8);
    le32(16);
    le16(1);
    le16(channels);
    le32(std::uint32_t(rate));
    le32(std::uint32_t(rate * channels * 2));
    le16(channels * 2);
    le16(16);
    out.append("data", 4);
    le32(dataBytes);
    for (int n = 0; n < frames; ++n) {
        for (int c = 0; c < channels; ++c)
            le16(int(std::lrint(std::clamp(value(n, c), -1.0, 1.0) * 32767.0)));
    }
    return out;
}

std::vector<float> readWav(const QString &path, int *rate)
{
    SF_INFO info{};
    SNDFILE *file = sf_open(QFile::encodeName(path).constData(), SFM_READ, &info);
    if (!file) return {};
    std::vector<float> samples(std::size_t(info.frames) * std::size_t(info.channels));
    sf_readf_float(file, samples.data(), info.frames);
    sf_close(file);
    if (rate) *rate = info.samplerate;
    if (info.channels == 2) return samples;
    std::vector<float> stereo;
    for (sf_count_t i = 0; i < info.frames; ++i) {
        stereo.push_back(samples[std::size_t(i * info.channels)]);
        stereo.push_back(samples[std::size_t(i * info.channels + (info.channels > 1))]);
    }
    return stereo;
}

long firstSound(const std::vector<float> &stereo, float threshold, long fromFrame)
{
    for (std::size_t i = std::size_t(fromFrame) * 2; i < stereo.size(); ++i) {
        if (std::fabs(stereo[i]) > threshold) return long(i / 2);
    }
    return -1;
}

MCIERROR openFile(const QString &path, MCIDEVICEID &id, const char *type, const char *alias)
{
    const QByteArray element = path.toUtf8();
    MCI_OPEN_PARMS open{};
    open.lpstrElementName = element.constData();
    open.lpstrDeviceType = type;
    open.lpstrAlias = alias;
    std::uintptr_t flags = MCI_OPEN_ELEMENT | MCI_WAIT;
    if (type) flags |= MCI_OPEN_TYPE;
    if (alias) flags |= MCI_OPEN_ALIAS;
    const MCIERROR error =
        mciSendCommand(0, MCI_OPEN, flags, reinterpret_cast<std::uintptr_t>(&open));
    id = error == 0 ? open.wDeviceID : 0;
    return error;
}

MCIERROR statusItem(MCIDEVICEID id, std::uint32_t item, std::uintptr_t &value,
                    std::uint32_t extraFlags, std::uint32_t track)
{
    MCI_STATUS_PARMS status{};
    status.dwItem = item;
    status.dwTrack = track;
    const MCIERROR error = mciSendCommand(id, MCI_STATUS, MCI_STATUS_ITEM | MCI_WAIT | extraFlags,
                                          reinterpret_cast<std::uintptr_t>(&status));
    value = status.dwReturn;
    return error;
}

std::uintptr_t statusOf(MCIDEVICEID id, std::uint32_t item)
{
    std::uintptr_t value = 0;
    return statusItem(id, item, value) == 0 ? value : 0xDEAD;
}

std::uintptr_t settledPosition(MCIDEVICEID id)
{
    std::uintptr_t last = statusOf(id, MCI_STATUS_POSITION);
    for (int i = 0; i < 40; ++i) {
        spin(50);
        const std::uintptr_t now = statusOf(id, MCI_STATUS_POSITION);
        if (now == last) break;
        last = now;
    }
    return last;
}

MCIERROR closeDevice(MCIDEVICEID id)
{
    return mciSendCommand(id, MCI_CLOSE, MCI_WAIT, 0);
}

QString errorText(MCIERROR code)
{
    char buffer[300];
    mciGetErrorString(code, buffer, sizeof buffer);
    return QString::fromUtf8(buffer);
}

std::uint32_t devCaps(MCIDEVICEID id, std::uint32_t item, MCIERROR *error)
{
    MCI_GETDEVCAPS_PARMS caps{};
    caps.dwItem = item;
    const MCIERROR e = mciSendCommand(id, MCI_GETDEVCAPS, MCI_GETDEVCAPS_ITEM | MCI_WAIT,
                                      reinterpret_cast<std::uintptr_t>(&caps));
    if (error) *error = e;
    return caps.dwReturn;
}

QString productOf(MCIDEVICEID id)
{
    char buffer[300] = "";
    MCI_INFO_PARMS info{0, buffer, sizeof buffer};
    mciSendCommand(id, MCI_INFO, MCI_INFO_PRODUCT | MCI_WAIT,
                   reinterpret_cast<std::uintptr_t>(&info));
    return QString::fromUtf8(buffer);
}

QString sysInfoName(MCIDEVICEID id, std::uintptr_t flags, std::uint32_t number, MCIERROR *error)
{
    char buffer[300] = "";
    MCI_SYSINFO_PARMS info{};
    info.lpstrReturn = buffer;
    info.dwRetSize = sizeof buffer;
    info.dwNumber = number;
    const MCIERROR e =
        mciSendCommand(id, MCI_SYSINFO, flags | MCI_WAIT, reinterpret_cast<std::uintptr_t>(&info));
    if (error) *error = e;
    return QString::fromUtf8(buffer);
}

QStringList deviceNames()
{
    char count[4] = {};
    MCI_SYSINFO_PARMS info{0, count, sizeof count, 0, 0};
    mciSendCommand(MCI_ALL_DEVICE_ID, MCI_SYSINFO, MCI_SYSINFO_QUANTITY | MCI_WAIT,
                   reinterpret_cast<std::uintptr_t>(&info));
    QStringList names;
    for (std::uint32_t n = 1; n <= std::uint8_t(count[0]); ++n)
        names << sysInfoName(MCI_ALL_DEVICE_ID, MCI_SYSINFO_NAME, n);
    return names;
}

#include "platform/audio/audiooutput.h"
#include "platform/mci/mcilayer.h"

void TMciTest::SetUp()
{
    qputenv("TONARIA_SOUNDFONT", "/usr/share/sounds/sf2/TimGM6mb.sf2");
}

void TMciTest::TearDown()
{
    TMciLayer::shutdown();
}

TAudioOutput *TMciTest::useOutput(const QString &choice)
{
    QString notice;
    std::unique_ptr<TAudioOutput> output = TAudioOutput::create(choice, &notice);
    TAudioOutput *raw = output.get();
    TMciLayer::instance().setAudioOutput(std::move(output));
    return raw;
}
