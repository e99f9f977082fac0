#include "platform/desktop/mimeappslist.h"

#include <gtest/gtest.h>

namespace {

const QString kDefault = QStringLiteral("Default Applications");

struct TEditCase {
    const char *name;
    QByteArray before;
    QString group;
    QString key;
    QStringList values;
    QByteArray after;
};

} // namespace

TEST(MimeAppsList, ChangesOneKeyAndKeepsEveryOtherLine)
{
    const QByteArray userFile = "# mine\n"
                                "[Default Applications]\n"
                                "text/plain=gedit.desktop\n"
                                "audio/midi=old.desktop;\n"
                                "\n"
                                "[Added Associations]\n"
                                "image/png=eog.desktop;\n";
    const QList<TEditCase> cases = {
        {"replaced where it stands",
         userFile,
         kDefault,
         QStringLiteral("audio/midi"),
         {QStringLiteral("tonaria.desktop"), QStringLiteral("old.desktop")},
         "# mine\n[Default Applications]\ntext/plain=gedit.desktop\n"
         "audio/midi=tonaria.desktop;old.desktop;\n\n[Added "
         "Associations]\nimage/png=eog.desktop;\n"},
        {"added at the end of its group, before the blank line",
         userFile,
         kDefault,
         QStringLiteral("audio/x-wav"),
         {QStringLiteral("tonaria.desktop")},
         "# mine\n[Default Applications]\ntext/plain=gedit.desktop\naudio/midi=old.desktop;\n"
         "audio/x-wav=tonaria.desktop;\n\n[Added Associations]\nimage/png=eog.desktop;\n"},
        {"a missing group goes at the end",
         "[Added Associations]\nimage/png=eog.desktop;",
         kDefault,
         QStringLiteral("audio/midi"),
         {QStringLiteral("tonaria.desktop")},
         "[Added Associations]\nimage/png=eog.desktop;\n\n[Default Applications]\n"
         "audio/midi=tonaria.desktop;\n"},
        {"no values removes the key and its repeats",
         "[Removed Associations]\naudio/midi=tonaria.desktop;\nx/y=a.desktop\naudio/midi=b;\n",
         QStringLiteral("Removed Associations"),
         QStringLiteral("audio/midi"),
         {},
         "[Removed Associations]\nx/y=a.desktop\n"},
        {"CR LF line ends stay",
         "[Default Applications]\r\nx/y=a.desktop\r\n",
         kDefault,
         QStringLiteral("x/y"),
         {QStringLiteral("b.desktop")},
         "[Default Applications]\r\nx/y=b.desktop;\r\n"},
        {"the same key in another group is not touched",
         "[Added Associations]\naudio/midi=a.desktop;\n[Default Applications]\n",
         kDefault,
         QStringLiteral("audio/midi"),
         {QStringLiteral("t.desktop")},
         "[Added Associations]\naudio/midi=a.desktop;\n[Default Applications]\n"
         "audio/midi=t.desktop;\n"},
    };
    for (const TEditCase &c : cases) {
        TMimeAppsList list(c.before);
        list.SetValues(c.group, c.key, c.values);
        EXPECT_EQ(list.Text(), c.after) << c.name;
        EXPECT_EQ(list.Values(c.group, c.key), c.values) << c.name;
    }
}
