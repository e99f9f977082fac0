#include "library/title.h"
#include "library/titleorder.h"
#include "support/testenv.h"

#include <QDateTime>
#include <QFile>
#include <QStringList>

#include <gtest/gtest.h>

namespace {

// Sorts titles and gives their captions in the new order.
QString Sorted(std::vector<TTitle> &titles, TTitleOrder order, int direction)
{
    std::vector<TTitle *> list;
    for (TTitle &t : titles)
        list.push_back(&t);
    SortTitles(list, order, direction);
    QStringList out;
    for (const TTitle *t : list)
        out << t->Caption;
    return out.join(u' ');
}

} // namespace

TEST(TitleOrder, TextKeysFoldAsciiCaseAndKeepTiesInOrder)
{
    std::vector<TTitle> titles(4);
    const char *rows[][2] = {
        {"b", "/z/B.KAR"}, {"C", "C:\\a\\c.mid"}, {"a", "/y/a.rmi"}, {"B", "/x/d"}};
    for (int i = 0; i < 4; ++i) {
        titles[i].Caption = QLatin1String(rows[i][0]);
        titles[i].FileName = QLatin1String(rows[i][1]);
    }
    EXPECT_EQ(Sorted(titles, TTitleOrder::Caption, 1), QStringLiteral("a b B C"));
    EXPECT_EQ(Sorted(titles, TTitleOrder::Caption, -1), QStringLiteral("C b B a"));
    EXPECT_EQ(Sorted(titles, TTitleOrder::FileNameOnly, 1), QStringLiteral("a b C B"));
    EXPECT_EQ(Sorted(titles, TTitleOrder::FullFileName, 1), QStringLiteral("B a b C"));
    // No extension sorts first.
    EXPECT_EQ(Sorted(titles, TTitleOrder::FileExtension, 1), QStringLiteral("B b C a"));
}

TEST(TitleOrder, NumbersAndFilesCompareByValue)
{
    TTestEnvironment env;
    std::vector<TTitle> titles(4);
    const char *names[] = {"big", "missing", "small", "old"};
    const int sizes[] = {300, -1, 10, 100};
    const int tracks[] = {12, -1, 3, 100};
    for (int i = 0; i < 4; ++i) {
        titles[i].Caption = QLatin1String(names[i]);
        titles[i].Track = tracks[i];
        titles[i].FileName = sizes[i] < 0
                                 ? env.scratch() + "none"
                                 : env.writeFile(titles[i].Caption, QByteArray(sizes[i], 'x'));
    }
    QFile old(titles[3].FileName);
    ASSERT_TRUE(old.open(QIODevice::ReadWrite));
    ASSERT_TRUE(old.setFileTime(QDateTime::currentDateTime().addDays(-30),
                                QFileDevice::FileModificationTime));
    old.close();

    EXPECT_EQ(Sorted(titles, TTitleOrder::FileSize, 1), QStringLiteral("missing small old big"));
    EXPECT_TRUE(
        Sorted(titles, TTitleOrder::FileDateTime, 1).startsWith(QStringLiteral("missing old")));
    EXPECT_EQ(Sorted(titles, TTitleOrder::TrackNumber, -1),
              QStringLiteral("old big small missing"));
    EXPECT_LT(CompareTitles(titles[0], titles[2], TTitleOrder::TrackNumber, -1), 0);
}
