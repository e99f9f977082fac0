#include "settings/filefilter.h"

#include <gtest/gtest.h>

TEST(FileFilter, OneSequencerDevice)
{
    const QList<TFilterDevice> devices = {
        {QStringLiteral("sequencer"), QStringLiteral("MIDI Sequencer"), {}}};
    const QList<TMciExtension> pairs = {{QStringLiteral("mid"), QStringLiteral("sequencer")},
                                        {QStringLiteral("rmi"), QStringLiteral("Sequencer")}};
    EXPECT_EQ(BuildFileFilter(devices, pairs),
              QStringLiteral("Supported files (*.mid, *.rmi)|*.mid;*.rmi|"
                             "MIDI Sequencer (*.mid, *.rmi)|*.mid;*.rmi|All files (*.*)|*.*"));
    EXPECT_EQ(QtNameFilters(BuildFileFilter(devices, pairs)),
              (QStringList{QStringLiteral("Supported files (*.mid *.rmi)"),
                           QStringLiteral("MIDI Sequencer (*.mid *.rmi)"),
                           QStringLiteral("All files (*.*)")}));
}

TEST(FileFilter, DevicesInOrderPluginListsReplaceAndTheUnionIsSorted)
{
    const QList<TFilterDevice> devices = {
        {QStringLiteral("waveaudio"), QStringLiteral("Sound"), {}},
        {QStringLiteral("cdaudio"), QStringLiteral("CD Audio"), {}},
        {QStringLiteral("sequencer"), QStringLiteral("MIDI"), {}},
        // A plug-in's own list replaces what the table gives its device.
        {QStringLiteral("modplug"), QStringLiteral("Tracker"),
         QStringLiteral("\"x m\",MOD  s3m,,Mid, \"a|b\"")},
    };
    const QList<TMciExtension> pairs = {
        {QStringLiteral("wav"), QStringLiteral("waveaudio")},
        {QStringLiteral("mid"), QStringLiteral("sequencer")},
        {QStringLiteral("avi"), QStringLiteral("avivideo")}, // no such device
        {QStringLiteral("Kar"), QStringLiteral("sequencer")},
        {QStringLiteral("it"), QStringLiteral("modplug")},
        {QStringLiteral("aif"), QStringLiteral("WaveAudio")},
    };
    EXPECT_EQ(BuildFileFilter(devices, pairs),
              QStringLiteral("Supported files (*.aif, *.kar, *.mid, *.MOD, *.s3m, *.wav, *.x m)|"
                             "*.aif;*.kar;*.mid;*.MOD;*.s3m;*.wav;*.x m|"
                             "Sound (*.wav, *.aif)|*.wav;*.aif|"
                             "MIDI (*.mid, *.kar)|*.mid;*.kar|"
                             "Tracker (*.x m, *.MOD, *.s3m, *.Mid)|*.x m;*.MOD;*.s3m;*.Mid|"
                             "All files (*.*)|*.*"));
    EXPECT_EQ(BuildFileFilter({}, pairs),
              QStringLiteral("Supported files ()||All files (*.*)|*.*"));
}
