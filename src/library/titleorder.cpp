#include "library/titleorder.h"

#include "library/pathparts.h"
#include "library/title.h"
#include "platform/system/asciicase.h"

#include <QFileInfo>

#include <algorithm>
#include <variant>

namespace {

int Sign(qint64 value)
{
    return (value > 0) - (value < 0);
}

qint64 FileTime(const QString &fileName)
{
    const QFileInfo info(fileName);
    return !fileName.isEmpty() && info.exists() ? info.lastModified().toMSecsSinceEpoch() : -1;
}

qint64 FileSize(const QString &fileName)
{
    const QFileInfo info(fileName);
    return !fileName.isEmpty() && info.exists() ? info.size() : -1;
}

// The key a title is sorted by: a text or a number.
using TKey = std::variant<QStringView, qint64>;

TKey KeyOf(const TTitle &title, TTitleOrder order)
{
    switch (order) {
    case TTitleOrder::Caption:
        return QStringView(title.Caption);
    case TTitleOrder::FullFileName:
        return QStringView(title.FileName);
    case TTitleOrder::FileNameOnly:
        return FileNamePart(title.FileName);
    case TTitleOrder::DeviceName:
        return QStringView(title.DeviceName);
    case TTitleOrder::TrackNumber:
        return qint64{title.Track};
    case TTitleOrder::FileExtension:
        return FileExtension(title.FileName);
    case TTitleOrder::FileDateTime:
        return FileTime(title.FileName);
    case TTitleOrder::FileSize:
        return FileSize(title.FileName);
    }
    return qint64{0};
}

int CompareKeys(const TKey &a, const TKey &b)
{
    if (const auto *text = std::get_if<QStringView>(&a))
        return CompareAsciiNoCase(*text, std::get<QStringView>(b));
    return Sign(std::get<qint64>(a) - std::get<qint64>(b));
}

} // namespace

int CompareTitles(const TTitle &a, const TTitle &b, TTitleOrder order, int direction)
{
    return CompareKeys(KeyOf(a, order), KeyOf(b, order)) * direction;
}

void SortTitles(std::vector<TTitle *> &titles, TTitleOrder order, int direction)
{
    std::vector<std::pair<TKey, TTitle *>> keyed;
    keyed.reserve(titles.size());
    for (TTitle *title : titles)
        keyed.emplace_back(KeyOf(*title, order), title);
    std::stable_sort(keyed.begin(), keyed.end(), [direction](const auto &a, const auto &b) {
        return CompareKeys(a.first, b.first) * direction < 0;
    });
    for (std::size_t i = 0; i < keyed.size(); ++i)
        titles[i] = keyed[i].second;
}
