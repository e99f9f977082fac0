#include "settings/ui/plugintab.h"

#include "core/tonariaglobals.h"
#include "library/ui/tfchoose.h"
#include "localisation/showmessage.h"
#include "platform/system/messageservice.h"
#include "plugins/pihost.h"

#include <QDirIterator>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <algorithm>

namespace {

enum TColumn { ColName, ColLoaded, ColPath };

QPushButton *MakeButton(QWidget *parent, const char *name, const QString &caption,
                        const QString &hint)
{
    auto *button = new QPushButton(caption, parent);
    button->setObjectName(QLatin1String(name));
    button->setToolTip(hint);
    return button;
}

} // namespace

TPluginTab::TPluginTab(TTonariaGlobals &globals, TPIHost &host, QWidget *parent)
    : QWidget(parent), g_(globals), host_(host)
{
    lvPI = new QTreeWidget(this);
    lvPI->setObjectName(QStringLiteral("lvPI"));
    lvPI->setRootIsDecorated(false);
    lvPI->setUniformRowHeights(true);
    lvPI->setHeaderLabels(
        {QStringLiteral("Name"), QStringLiteral("Loaded"), QStringLiteral("Path")});
    lvPI->setColumnWidth(ColName, 160);
    lvPI->header()->setSectionResizeMode(ColLoaded, QHeaderView::ResizeToContents);
    lvPI->header()->setStretchLastSection(true);

    sbPIInstall = MakeButton(this, "sbPIInstall", QStringLiteral("Install"),
                             QStringLiteral("Install plug-in..."));
    sbPIRemove =
        MakeButton(this, "sbPIRemove", QStringLiteral("Remove"), QStringLiteral("Remove plug-in"));
    sbPIConfigure = MakeButton(this, "sbPIConfigure", QStringLiteral("Configure"),
                               QStringLiteral("Configure specific plug-in options..."));
    lPINote = new QLabel(
        QStringLiteral(
            "Most changes in this tab will not take effect until you restarted Tonaria. "),
        this);
    lPINote->setObjectName(QStringLiteral("lPINote"));
    lPINote->setWordWrap(true);

    auto *buttons = new QHBoxLayout;
    buttons->addWidget(sbPIInstall);
    buttons->addWidget(sbPIRemove);
    buttons->addWidget(sbPIConfigure);
    buttons->addStretch();
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(lvPI);
    layout->addLayout(buttons);
    layout->addWidget(lPINote);

    connect(lvPI, &QTreeWidget::currentItemChanged, this, &TPluginTab::lvPISelectItem);
    connect(sbPIInstall, &QPushButton::clicked, this, &TPluginTab::sbPIInstallClick);
    connect(sbPIRemove, &QPushButton::clicked, this, &TPluginTab::sbPIRemoveClick);
    connect(sbPIConfigure, &QPushButton::clicked, this, &TPluginTab::sbPIConfigureClick);
    lvPISelectItem();
}

QString TPluginTab::DisplayName(const QString &path)
{
    const int id = host_.FindLoaded(path);
    if (id >= 0) return host_.GetTitle(id);
    // A shared object carries no version description: the file's name stands for it.
    return QFileInfo(path).fileName();
}

void TPluginTab::Fill()
{
    const int selected = lvPI->indexOfTopLevelItem(lvPI->currentItem());
    lvPI->clear();
    for (const QString &path : std::as_const(g_.PluginList)) {
        auto *item = new QTreeWidgetItem(lvPI);
        item->setText(ColName, DisplayName(path));
        item->setText(ColLoaded,
                      host_.FindLoaded(path) >= 0 ? QStringLiteral("Yes") : QStringLiteral("No"));
        item->setText(ColPath, path);
    }
    // A plug-in's full title is its name here: the column widens to show it whole.
    lvPI->resizeColumnToContents(ColName);
    lvPI->setColumnWidth(ColName, std::max(lvPI->columnWidth(ColName), 160));
    const int rows = lvPI->topLevelItemCount();
    if (selected >= 0 && rows > 0)
        lvPI->setCurrentItem(lvPI->topLevelItem(std::min(selected, rows - 1)));
    lvPISelectItem();
}

void TPluginTab::lvPISelectItem()
{
    const QTreeWidgetItem *item = lvPI->currentItem();
    sbPIRemove->setEnabled(item != nullptr);
    sbPIConfigure->setEnabled(item && host_.FindLoaded(item->text(ColPath)) >= 0);
}

QStringList TPluginTab::Installable() const
{
    QStringList found;
    QDirIterator it(g_.PluginsFolder, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        if (path.endsWith(QLatin1String(".tpi"), Qt::CaseInsensitive) &&
            !g_.PluginList.contains(path))
            found << path;
    }
    found.sort();
    return found;
}

void TPluginTab::sbPIInstallClick()
{
    const QStringList paths = Installable();
    if (paths.isEmpty()) {
        ShowMessageById(QStringLiteral("InfoNoPlugins"), {}, MB_ICONINFORMATION);
        return;
    }
    QStringList names;
    for (const QString &path : paths)
        names << DisplayName(path);
    const int chosen = TfChoose::Execute(names, window());
    if (chosen < 0) return;
    if (!g_.PluginList.contains(paths[chosen])) g_.PluginList << paths[chosen];
    Fill();
}

void TPluginTab::sbPIRemoveClick()
{
    const QTreeWidgetItem *item = lvPI->currentItem();
    if (!item) return;
    const QString path = item->text(ColPath);
    if (ShowMessageById(QStringLiteral("AskRemovePlugin"), {item->text(ColName)},
                        MB_YESNO | MB_ICONQUESTION) != IDYES)
        return;
    g_.PluginList.removeAll(path);
    Fill();
}

void TPluginTab::sbPIConfigureClick()
{
    const QTreeWidgetItem *item = lvPI->currentItem();
    const int id = item ? host_.FindLoaded(item->text(ColPath)) : -1;
    if (id < 0) return;
    // A plug-in without options of its own tells what it is instead.
    if (host_.Configure(id)) return;
    // Two breaks between title and about text, written as every other box of the program
    // writes them.
    messageService().show(
        QStringLiteral("%1\r\r%2").arg(host_.GetTitle(id), host_.GetAbout(id)),
        host_.GetName(id), MB_OK | MB_ICONINFORMATION);
}
