#include "plugins/pihost_support.h"

#include "platform/system/registry.h"
#include "platform/system/registrystore.h"
#include "settings/preferences.h"

#include <QFile>

#include <gtest/gtest.h>

#include <dlfcn.h>

QString CopyTestPlugin(const TTestEnvironment &env, const QString &name)
{
    static int copies = 0;
    const QString path = env.scratch() + QStringLiteral("%1-%2.tpi").arg(name).arg(++copies);
    EXPECT_TRUE(QFile::copy(QStringLiteral(TEST_PLUGIN_DIR) + name + QStringLiteral(".tpi"), path))
        << name.toStdString();
    return path;
}

void HoldTestPlugin(const QString &path)
{
    // Never closed: the copy is the test's own, and lives as long as the test program.
    EXPECT_NE(dlopen(QFile::encodeName(path).constData(), RTLD_NOW), nullptr) << dlerror();
}

void *TestSymbol(const QString &path, const char *name)
{
    void *handle = dlopen(QFile::encodeName(path).constData(), RTLD_NOW | RTLD_NOLOAD);
    if (!handle) return nullptr;
    void *symbol = dlsym(handle, name);
    dlclose(handle); // only the reference taken here
    return symbol;
}

TTestLog *TestLogOf(const QString &path)
{
    return static_cast<TTestLog *>(TestSymbol(path, "TestLog"));
}

std::vector<std::uint32_t> Received(const TTestLog &log)
{
    std::vector<std::uint32_t> codes;
    for (int i = 0; i < log.Count; ++i)
        codes.push_back(log.Calls[i].Msg);
    return codes;
}

void WritePluginList(const TTestEnvironment &env, const QStringList &paths)
{
    TRegistryStore store(env.config());
    store.load();
    TRegistry registry(store);
    registry.SetRootKey(TRegistry::THive::CurrentUser);
    ASSERT_TRUE(registry.OpenKey(u'\\' + kPluginsKey, true));
    for (const QString &path : paths)
        registry.WriteString(path, QString());
    ASSERT_TRUE(registry.Flush());
}
