#include "library/title.h"
#include "library/titleorder.h"
#include "support/testenv.h"

#include <QDateTime>
#include <QFile>

#include <QStringList>

#include <gtest/gtest.h>

namespace {

std::vector<TTitle> MakeTitles(std::initializer_list<std::pair<const char *, const char *>> rows)
{
    std::vector<TTitle> titles;
    for (const auto &[caption, file] : rows) {
        TTitle t;
        t.Caption = QString::fromUtf8(caption);
        t.FileName = QString::fromUtf8(file);
        titles.push_back(t);
    }
    return titles;
}

QStringList Captions(const std::vector<TTitle *> &list)
{
    QStringList out;
    for (const TTitle *t : list)
        out << t->Caption;
    return out;
}

std::vector<TTitle *> Pointers(std::vector<TTitle> &titles)
{
    std::vector<TTitle *> out;
    for (TTitle &t : titles)
        out.push_back(&t);
    return out;
}

} // namespace

TEST(TitleOrder, TextKeysSortAscendingAndDescendingAndKeepTiesInOrder)
{
    auto titles =
        MakeTitles({{"b", "/z/B.KAR"}, {"C", "C:\\a\\c.mid"}, {"a", "/y/a.rmi"}, {"B", "/x/d"}});
    // Only ASCII letters are folded.
    EXPECT_NE(CompareTextNoCase(u"\u00e9", u"\u00c9"), 0);
    auto list = Pointers(titles);
    SortTitles(list, TTitleOrder::Caption, 1);
    EXPECT_EQ(Captions(list), (QStringList{"a", "b", "B", "C"}));
    SortTitles(list, TTitleOrder::Caption, -1);
    EXPECT_EQ(Captions(list), (QStringList{"C", "b", "B", "a"}));

    list = Pointers(titles);
    SortTitles(list, TTitleOrder::FileNameOnly, 1);
    EXPECT_EQ(Captions(list), (QStringList{"a", "b", "C", "B"}));
    SortTitles(list, TTitleOrder::FullFileName, 1);
    EXPECT_EQ(Captions(list), (QStringList{"B", "a", "b", "C"}));
    // No extension sorts first; extensions compare without case.
    SortTitles(list, TTitleOrder::FileExtension, 1);
    EXPECT_EQ(Captions(list), (QStringList{"B", "b", "C", "a"}));
}

TEST(TitleOrder, NumbersAndFilesCompareByValue)
{
    TTestEnvironment env;
    auto titles = MakeTitles({{"big", ""}, {"missing", ""}, {"small", ""}, {"old", ""}});
    titles[0].FileName = env.writeFile("big.mid", QByteArray(300, 'x'));
    titles[1].FileName = env.scratch() + "nothing.mid";
    titles[2].FileName = env.writeFile("small.mid", QByteArray(10, 'x'));
    titles[3].FileName = env.writeFile("old.mid", QByteArray(100, 'x'));
    QFile old(titles[3].FileName);
    ASSERT_TRUE(old.open(QIODevice::ReadWrite));
    ASSERT_TRUE(old.setFileTime(QDateTime::currentDateTime().addDays(-30),
                                QFileDevice::FileModificationTime));
    old.close();

    auto list = Pointers(titles);
    SortTitles(list, TTitleOrder::FileSize, 1);
    EXPECT_EQ(Captions(list), (QStringList{"missing", "small", "old", "big"}));
    SortTitles(list, TTitleOrder::FileDateTime, 1);
    EXPECT_EQ(Captions(list).mid(0, 2), (QStringList{"missing", "old"}));

    titles[0].Track = 12;
    titles[1].Track = -1;
    titles[2].Track = 3;
    titles[3].Track = 100;
    list = Pointers(titles);
    SortTitles(list, TTitleOrder::TrackNumber, -1);
    EXPECT_EQ(Captions(list), (QStringList{"old", "big", "small", "missing"}));
    EXPECT_GT(CompareTitles(titles[0], titles[2], TTitleOrder::TrackNumber, 1), 0);
    EXPECT_LT(CompareTitles(titles[0], titles[2], TTitleOrder::TrackNumber, -1), 0);
}
