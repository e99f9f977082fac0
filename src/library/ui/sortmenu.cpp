#include "library/ui/sortmenu.h"

namespace {

struct TOrderItem {
    TTitleOrder Order;
    const char *Name;
    const char *Caption;
};

constexpr TOrderItem kItems[] = {
    {TTitleOrder::Caption, "byTitleCaption1", "by Title Caption"},
    {TTitleOrder::FullFileName, "byFullFilename1", "by Full Filename"},
    {TTitleOrder::FileNameOnly, "byFilenameOnly1", "by Filename Only"},
    {TTitleOrder::DeviceName, "byDeviceName1", "by Device Name"},
    {TTitleOrder::TrackNumber, "byTrackNumber1", "by Track Number"},
    {TTitleOrder::FileExtension, "byFileExtension1", "by File Extension"},
    {TTitleOrder::FileDateTime, "byFileDateTime1", "by File Date/Time"},
    {TTitleOrder::FileSize, "byFileSize1", "by File Size"},
};

} // namespace

TSortMenu::TSortMenu(QWidget *parent) : QMenu(parent)
{
    setObjectName(QStringLiteral("pmSort"));
    for (const TOrderItem &item : kItems) {
        QAction *action = addAction(QString::fromLatin1(item.Caption));
        action->setObjectName(QLatin1String(item.Name));
        const TTitleOrder order = item.Order;
        connect(action, &QAction::triggered, this,
                [this, order] { emit sortRequested(order, Direction()); });
        items_.append(action);
    }
    addSeparator();
    descending_ = addAction(QStringLiteral("Descending"));
    descending_->setObjectName(QStringLiteral("Descending1"));
    descending_->setCheckable(true);
}

int TSortMenu::Direction() const
{
    return descending_->isChecked() ? -1 : 1;
}

QAction *TSortMenu::Item(TTitleOrder order) const
{
    return items_.value(static_cast<int>(order));
}
