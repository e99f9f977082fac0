#pragma once
// The test plug-ins (modules/, built as .tpi files) as the tests use them: each test loads its
// own copies, so that every copy is a fresh library with a log of its own.

#include "modules/recorder.h"
#include "support/testenv.h"

#include <QString>
#include <QStringList>

#include <cstdint>
#include <vector>

// Copies the built test plug-in `name` (without ".tpi") into the scratch folder under a name
// of its own; returns the copy's path.
QString CopyTestPlugin(const TTestEnvironment &env, const QString &name);
// Loads the copy in the test itself too, so that its log outlives the host's unloading it.
void HoldTestPlugin(const QString &path);
// The log of a loaded plug-in, read through its exported "TestLog"; null when not loaded.
TTestLog *TestLogOf(const QString &path);
// An exported variable of a loaded plug-in.
void *TestSymbol(const QString &path, const char *name);
// The codes the plug-in received, in order.
std::vector<std::uint32_t> Received(const TTestLog &log);
// The plug-in list of the preferences, written before the program starts.
void WritePluginList(const TTestEnvironment &env, const QStringList &paths);
