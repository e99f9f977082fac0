#include "settings/ui/assoctab.h"

#include "core/tonariaglobals.h"
#include "localisation/showmessage.h"
#include "platform/desktop/desktopassociations.h"
#include "platform/system/messageservice.h"
#include "platform/system/registry.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QStyle>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {

enum TColumn { ColIcon, ColType, ColExtension, ColAssociated };

QString WithoutDot(const QString &extension)
{
    return extension.mid(1);
}

} // namespace

const TAssocTab::TFileType TAssocTab::kFileTypes[4] = {
    {"Wave files", ".wav"},
    {"MIDI files", ".mid"},
    {"RIFF MIDI files", ".rmi"},
    {"AVI files", ".avi"},
};

TAssocDesktop TAssocDesktop::System()
{
    return {&TDesktopAssociations::Supported, &TDesktopAssociations::CurrentDefault,
            &TDesktopAssociations::IsTonariaDefault, &TDesktopAssociations::Associate};
}

TAssocTab::TAssocTab(TTonariaGlobals &globals, QWidget *parent) : QWidget(parent), g_(globals)
{
    lvAssoc = new QTreeWidget(this);
    lvAssoc->setObjectName(QStringLiteral("lvAssoc"));
    lvAssoc->setRootIsDecorated(false);
    lvAssoc->setUniformRowHeights(true);
    lvAssoc->setHeaderLabels({QString(), QStringLiteral("File type"), QStringLiteral("Extension"),
                              QStringLiteral("Associated with")});
    lvAssoc->header()->setSectionResizeMode(ColIcon, QHeaderView::ResizeToContents);
    lvAssoc->header()->setStretchLastSection(true);
    lvAssoc->setColumnWidth(ColType, 140);
    lvAssoc->setColumnWidth(ColExtension, 80);

    sbAssoc = new QPushButton(QStringLiteral("Associate"), this);
    sbAssoc->setObjectName(QStringLiteral("sbAssoc"));
    sbAssoc->setToolTip(QStringLiteral("Associate this file type with Tonaria"));

    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(sbAssoc);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(lvAssoc);
    layout->addLayout(buttons);

    connect(lvAssoc, &QTreeWidget::currentItemChanged, this, &TAssocTab::lvAssocSelectItem);
    connect(sbAssoc, &QPushButton::clicked, this, &TAssocTab::sbAssocClick);
}

bool TAssocTab::RowAssociated(int row) const
{
    if (row < 0 || row >= int(std::size(kFileTypes))) return false;
    const QString extension = QLatin1String(kFileTypes[row].extension);
    // The desktop decides what opens a file; the classes-root key is only Tonaria's record of
    // what it asked for.
    return Desktop.Supported(WithoutDot(extension)) &&
           Desktop.IsTonariaDefault(WithoutDot(extension));
}

void TAssocTab::Fill()
{
    const QIcon check = style()->standardIcon(QStyle::SP_DialogApplyButton);
    lvAssoc->clear();
    for (int row = 0; row < int(std::size(kFileTypes)); ++row) {
        const QString extension = QLatin1String(kFileTypes[row].extension);
        auto *item = new QTreeWidgetItem(lvAssoc);
        item->setText(ColType, QLatin1String(kFileTypes[row].caption));
        item->setText(ColExtension, extension);
        if (!Desktop.Supported(WithoutDot(extension))) {
            item->setText(ColAssociated, QStringLiteral("(not supported by this build)"));
            item->setDisabled(true);
            continue;
        }
        item->setText(ColAssociated, Desktop.CurrentDefault(WithoutDot(extension)));
        if (RowAssociated(row)) item->setIcon(ColIcon, check);
    }
    lvAssoc->setCurrentItem(lvAssoc->topLevelItem(0));
    lvAssocSelectItem();
}

void TAssocTab::lvAssocSelectItem()
{
    const int row = lvAssoc->indexOfTopLevelItem(lvAssoc->currentItem());
    sbAssoc->setEnabled(row >= 0 &&
                        Desktop.Supported(WithoutDot(QLatin1String(kFileTypes[row].extension))) &&
                        !RowAssociated(row));
}

void TAssocTab::sbAssocClick()
{
    const int row = lvAssoc->indexOfTopLevelItem(lvAssoc->currentItem());
    if (row < 0 || !sbAssoc->isEnabled()) return;
    const QString extension = QLatin1String(kFileTypes[row].extension);
    {
        TRegistry reg(g_.RegistryStore());
        reg.SetRootKey(TRegistry::THive::ClassesRoot);
        if (reg.OpenKey(u'\\' + extension, true)) reg.WriteString(QString(), kMediaFileClass);
    }
    QString error;
    if (!Desktop.Associate(WithoutDot(extension), &error)) ShowMessageText(error, MB_ICONERROR);
    // The save writes the class the key points at.
    g_.SavePreferences();
    Fill();
    lvAssoc->setCurrentItem(lvAssoc->topLevelItem(row));
}
