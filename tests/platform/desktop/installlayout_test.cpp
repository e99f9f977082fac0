#include "platform/system/installlayout.h"
#include "support/testenv.h"

#include <QDir>

#include <gtest/gtest.h>

TEST(InstallLayout, FoundOnlyBesideAnExecutableInAPrefixBin)
{
    TTestEnvironment env;
    const QString root = env.scratch();
    env.writeFile(QStringLiteral("full/share/tonaria/Lang/English.tlg"), "x");
    QDir().mkpath(root + QStringLiteral("full/lib/tonaria/Plugins"));
    QDir().mkpath(root + QStringLiteral("full/bin"));
    env.writeFile(QStringLiteral("noplugins/share/tonaria/Lang/English.tlg"), "x");
    env.writeFile(QStringLiteral("nodata/share/tonaria/Demo/a.mid"), "x");
    QDir().mkpath(root + QStringLiteral("nodata/lib/tonaria/Plugins"));
    env.writeFile(QStringLiteral("build/share/tonaria/Lang/English.tlg"), "x");

    struct {
        const char *executableFolder;
        const char *data;
        const char *plugins;
    } cases[] = {
        {"full/bin", "full/share/tonaria/", "full/lib/tonaria/Plugins/"},
        {"full/bin/", "full/share/tonaria/", "full/lib/tonaria/Plugins/"},
        {"full/bin/../bin", "full/share/tonaria/", "full/lib/tonaria/Plugins/"},
        {"noplugins/bin", "noplugins/share/tonaria/", ""},
        {"nodata/bin", "", ""}, // no language file: not the program's data
        {"build/src", "", ""},  // a build tree's program
        {"build", "", ""},
    };
    for (const auto &c : cases) {
        const QString folder = root + QLatin1String(c.executableFolder);
        const auto expected = [&](const char *relative) {
            return *relative ? root + QLatin1String(relative) : QString();
        };
        EXPECT_EQ(InstalledDataFolderFor(folder), expected(c.data)) << c.executableFolder;
        EXPECT_EQ(InstalledPluginsFolderFor(folder), expected(c.plugins)) << c.executableFolder;
    }
    EXPECT_TRUE(InstalledDataFolderFor(QString()).isEmpty());
    EXPECT_TRUE(InstalledDataFolderFor(QStringLiteral("/")).isEmpty());
}
