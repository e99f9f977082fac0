#include "platform/midi/midifile.h"

#include <QFile>

bool TMidiFile::parse(std::span<const std::uint8_t>)
{
    return fail(Error::NotMidi, QStringLiteral("Not a MIDI file."));
}

bool TMidiFile::parse(const QByteArray &bytes)
{
    return parse(std::span<const std::uint8_t>(reinterpret_cast<const std::uint8_t *>(bytes.data()),
                                               std::size_t(bytes.size())));
}

bool TMidiFile::load(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return fail(Error::CannotRead, f.errorString());
    return parse(f.readAll());
}

std::span<const std::uint8_t> TMidiFile::payload(const TMidiEvent &event) const
{
    if (std::size_t(event.dataOffset) + event.dataLength > pool_.size()) return {};
    return std::span<const std::uint8_t>(pool_).subspan(event.dataOffset, event.dataLength);
}

std::uint32_t TMidiFile::lengthMs() const
{
    return std::uint32_t((lengthUs_ + 999) / 1000);
}

std::int64_t TMidiFile::tickToUs(std::uint32_t) const
{
    return 0;
}

void TMidiFile::clear()
{
    *this = TMidiFile();
}

bool TMidiFile::fail(Error error, const QString &text)
{
    clear();
    error_ = error;
    errorText_ = text;
    return false;
}
