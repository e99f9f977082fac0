// Time texts over the parts of each time format.
#include "core/quicknumber.h"
#include "core/timeformat.h"
#include "library/album.h"

#include "tonaria/mci.h"

#include <gtest/gtest.h>

namespace {

QString Format(std::uint32_t value, std::uint32_t format, const char *pattern)
{
    return FormatTimeParts(DecomposeTime(value, format), QString::fromLatin1(pattern));
}

QString Default(std::uint32_t value, std::uint32_t format)
{
    return FormatTimeParts(DecomposeTime(value, format), DefaultTimePattern(format));
}

std::uint32_t Packed(std::uint32_t b0, std::uint32_t b1, std::uint32_t b2, std::uint32_t b3 = 0)
{
    return b0 | b1 << 8 | b2 << 16 | b3 << 24;
}

} // namespace

TEST(TimeFormat, MillisecondsSplitIntoHoursMinutesSecondsAndMilliseconds)
{
    EXPECT_EQ(Default(0, MCI_FORMAT_MILLISECONDS), QStringLiteral("00:00:00"));
    EXPECT_EQ(Default(3600000, MCI_FORMAT_MILLISECONDS), QStringLiteral("01:00:00"));
    EXPECT_EQ(Default(36000000, MCI_FORMAT_MILLISECONDS), QStringLiteral("10:00:00"));
    // Hours are not limited to two digits.
    EXPECT_EQ(Default(360000000, MCI_FORMAT_MILLISECONDS), QStringLiteral("100:00:00"));

    const std::uint32_t t = 12 * 60000 + 34 * 1000 + 321; // 12:34.321
    EXPECT_EQ(Format(t, MCI_FORMAT_MILLISECONDS, "h:m:s"), QStringLiteral("00:12:34"));
    EXPECT_EQ(Format(t, MCI_FORMAT_MILLISECONDS, "M:s"), QStringLiteral("12:34"));
    EXPECT_EQ(Format(t, MCI_FORMAT_MILLISECONDS, "S.u"), QStringLiteral("754.32"));
    EXPECT_EQ(Format(t, MCI_FORMAT_MILLISECONDS, "H m s.v"), QStringLiteral("0 12 34.321"));
    EXPECT_EQ(Format(t, MCI_FORMAT_MILLISECONDS, "U/V"), QStringLiteral("754321/377160"));
    // Small values keep their padding: 5 ms is "005", and its hundredths "00".
    EXPECT_EQ(Format(3600005, MCI_FORMAT_MILLISECONDS, "H:M:S.v.u"),
              QStringLiteral("1:60:3600.005.00"));
}

TEST(TimeFormat, TheLargestValueNeitherOverflowsNorLosesDigits)
{
    const std::uint32_t max = 0xFFFFFFFFu; // 1193:02:47.295
    EXPECT_EQ(Default(max, MCI_FORMAT_MILLISECONDS), QStringLiteral("1193:02:47"));
    EXPECT_EQ(Format(max, MCI_FORMAT_MILLISECONDS, "U V M"),
              QStringLiteral("4294967295 2147483647 71582"));
    EXPECT_EQ(Format(max, MCI_FORMAT_BYTES, "B b"), QStringLiteral("4294967295 4294967295"));
}

TEST(TimeFormat, PackedFormatsReadTheirBytes)
{
    // Minutes, seconds, frames: the minutes beyond whole hours show with "m", all with "M".
    const std::uint32_t msf = Packed(75, 5, 10);
    EXPECT_EQ(Default(msf, MCI_FORMAT_MSF), QStringLiteral("15:05:10"));
    EXPECT_EQ(Format(msf, MCI_FORMAT_MSF, "M:s:f"), QStringLiteral("75:05:10"));
    EXPECT_EQ(Format(msf, MCI_FORMAT_MSF, "H:F"), QStringLiteral("1:10"));

    const std::uint32_t tmsf = Packed(3, 2, 5, 10);
    EXPECT_EQ(Default(tmsf, MCI_FORMAT_TMSF), QStringLiteral("3:02:05:10"));
    EXPECT_EQ(Format(tmsf, MCI_FORMAT_TMSF, "t S"), QStringLiteral("03 125"));

    EXPECT_EQ(Default(Packed(2, 3, 4), MCI_FORMAT_HMS), QStringLiteral("02:03:04"));
    EXPECT_EQ(Format(Packed(255, 255, 255, 255), MCI_FORMAT_HMS, "h:m:s f"),
              QStringLiteral("255:255:255 00"));
}

TEST(TimeFormat, CountingFormatsAndUnknownFormats)
{
    EXPECT_EQ(Default(1234, MCI_FORMAT_FRAMES), QStringLiteral("1234"));
    EXPECT_EQ(Format(7, MCI_FORMAT_FRAMES, "f|h:m:s"), QStringLiteral("07|00:00:00"));
    EXPECT_EQ(Default(44100, MCI_FORMAT_BYTES), QStringLiteral("44100"));
    EXPECT_EQ(Default(88200, MCI_FORMAT_SAMPLES), QStringLiteral("88200"));
    EXPECT_EQ(Format(88200, MCI_FORMAT_SAMPLES, "x B"), QStringLiteral("88200 0"));

    // A format not known here: every part is 0 and the pattern is the clock's.
    EXPECT_EQ(DefaultTimePattern(MCI_FORMAT_SMPTE_25), QStringLiteral("h:m:s"));
    EXPECT_EQ(Default(123456, MCI_FORMAT_SMPTE_25), QStringLiteral("00:00:00"));
    EXPECT_EQ(Format(123456, 99, "T U X B F"), QStringLiteral("0 0 0 0 0"));
}

TEST(TimeFormat, OtherCharactersOfThePatternStayAsWritten)
{
    EXPECT_EQ(Format(61000, MCI_FORMAT_MILLISECONDS, "[m's\"] %d"), QStringLiteral("[01'01\"] %d"));
    EXPECT_EQ(Format(61000, MCI_FORMAT_MILLISECONDS, ""), QString());
}

TEST(QuickNumber, DigitsNameAPositionOfTheProgram)
{
    TAlbum album;
    for (int i = 0; i < 12; ++i)
        album.AddTitle();
    album.RefreshInternalPrograms();
    const TProgram *program = album.CurrentProgram;
    ASSERT_NE(program, nullptr);
    ASSERT_EQ(program->Titles.size(), 12u);

    EXPECT_EQ(QuickNumberWidth(&album), 2);
    EXPECT_EQ(QuickNumberPosition(program, u"1"), 0);
    EXPECT_EQ(QuickNumberPosition(program, u"12"), 11);
    for (const char16_t *digits : {u"13", u"0", u"", u"1a", u"-1", u"99999999999999999999999"})
        EXPECT_EQ(QuickNumberPosition(program, digits), -1);
    EXPECT_EQ(QuickNumberPosition(nullptr, u"1"), -1);

    TAlbum empty;
    EXPECT_EQ(QuickNumberWidth(&empty), 0);
    EXPECT_EQ(QuickNumberWidth(nullptr), 0);
}
