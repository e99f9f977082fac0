#include "news/ui/tfrozedadivid.h"

#include "localisation/showmessage.h"
#include "news/newsdocument.h"
#include "platform/system/messageservice.h"
#include "platform/system/textdecoding.h"
#include "settings/preferences.h"

#include <QCheckBox>
#include <QDateTime>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTreeWidget>
#include <QUrl>
#include <QVBoxLayout>

#include <algorithm>

namespace {

constexpr int kPathRole = Qt::UserRole;
// A news file is small; anything past this is not one of ours.
constexpr qint64 kMaxNewsFileSize = 4 * 1024 * 1024;

QLabel *ValueLabel(QWidget *owner, const char *name)
{
    auto *label = new QLabel(QStringLiteral("(none)"), owner);
    label->setObjectName(QLatin1String(name));
    // Data, not a caption: the language file leaves it alone.
    label->setProperty("tag", 2);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    return label;
}

// A caption and its value, the value 4 pixels right of the caption.
QHBoxLayout *CaptionRow(QLabel *caption, QLabel *value)
{
    auto *row = new QHBoxLayout;
    row->setSpacing(4);
    row->addWidget(caption);
    row->addWidget(value, 1);
    return row;
}

// Only web links go to the browser: a document from the network never opens local files or
// other programs.
QUrl WebLink(const QString &text)
{
    if (text.trimmed().isEmpty()) return {};
    const QUrl url = QUrl::fromUserInput(text.trimmed());
    if (!url.isValid()) return {};
    const QString scheme = url.scheme().toLower();
    return scheme == QLatin1String("http") || scheme == QLatin1String("https") ? url : QUrl();
}

} // namespace

TfRozedAdivid::TfRozedAdivid(TPreferences &preferences, const QString &newsFolder, QWidget *parent)
    : QDialog(parent), preferences_(preferences), newsFolder_(newsFolder)
{
    setObjectName(QStringLiteral("fRozedAdivid"));
    setWindowTitle(QStringLiteral("RozedAdivid News"));
    resize(520, 400);

    lvNews = new QTreeWidget(this);
    lvNews->setObjectName(QStringLiteral("lvNews"));
    lvNews->setColumnCount(1);
    lvNews->setHeaderLabels({QStringLiteral("Title")});
    lvNews->setRootIsDecorated(false);
    lvNews->setSelectionMode(QAbstractItemView::SingleSelection);
    lvNews->setSortingEnabled(false);

    lReleaseDate = new QLabel(QStringLiteral("Release date:"), this);
    lReleaseDate->setObjectName(QStringLiteral("lReleaseDate"));
    lDate = ValueLabel(this, "lDate");
    lVisit = new QLabel(QStringLiteral("Visit"), this);
    lVisit->setObjectName(QStringLiteral("lVisit"));
    lURL = ValueLabel(this, "lURL");
    lURL->setTextFormat(Qt::RichText);
    lURL->setTextInteractionFlags(Qt::LinksAccessibleByMouse | Qt::LinksAccessibleByKeyboard);
    lURL->setOpenExternalLinks(false);

    mMessage = new QPlainTextEdit(this);
    mMessage->setObjectName(QStringLiteral("mMessage"));
    mMessage->setReadOnly(true);

    cbRemind = new QCheckBox(QStringLiteral("Remind me next time I start Tonaria"), this);
    cbRemind->setObjectName(QStringLiteral("cbRemind"));
    bDelete = new QPushButton(QStringLiteral("Delete"), this);
    bDelete->setObjectName(QStringLiteral("bDelete"));
    bDelete->setToolTip(QStringLiteral("Delete news"));
    bDelete->setAutoDefault(false);
    bOK = new QPushButton(QStringLiteral("OK"), this);
    bOK->setObjectName(QStringLiteral("bOK"));
    bOK->setDefault(true);

    auto *details = new QVBoxLayout;
    details->addLayout(CaptionRow(lReleaseDate, lDate));
    details->addLayout(CaptionRow(lVisit, lURL));
    details->addWidget(mMessage, 1);
    auto *top = new QHBoxLayout;
    top->addWidget(lvNews, 2);
    top->addLayout(details, 3);
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(cbRemind);
    buttons->addStretch(1);
    buttons->addWidget(bDelete);
    buttons->addWidget(bOK);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(top, 1);
    layout->addLayout(buttons);

    connect(lvNews, &QTreeWidget::currentItemChanged, this, &TfRozedAdivid::ShowRow);
    connect(lURL, &QLabel::linkActivated, this, &TfRozedAdivid::OpenLink);
    connect(bDelete, &QPushButton::clicked, this, &TfRozedAdivid::DeleteClick);
    connect(bOK, &QPushButton::clicked, this, &TfRozedAdivid::OKClick);
}

void TfRozedAdivid::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    cbRemind->setChecked(preferences_.SURemind);
    FillList();
}

void TfRozedAdivid::FillList()
{
    struct TEntry {
        QString title, path;
        QDateTime modified;
    };
    std::vector<TEntry> entries;
    const QFileInfoList files = QDir(newsFolder_).entryInfoList(QDir::Files | QDir::Hidden);
    for (const QFileInfo &file : files) {
        const QString name = file.fileName();
        if (!name.endsWith(QLatin1String(".sun"), Qt::CaseInsensitive)) continue;
        entries.push_back(
            {name.left(name.lastIndexOf(QLatin1Char('.'))), file.filePath(), file.lastModified()});
    }
    std::stable_sort(entries.begin(), entries.end(),
                     [](const TEntry &a, const TEntry &b) { return a.modified > b.modified; });
    lvNews->clear();
    for (const TEntry &entry : entries) {
        auto *item = new QTreeWidgetItem(lvNews, {entry.title});
        item->setData(0, kPathRole, entry.path);
    }
    lvNews->setCurrentItem(lvNews->topLevelItem(0));
    ShowRow();
}

void TfRozedAdivid::ShowRow()
{
    lDate->setText(QStringLiteral("(none)"));
    lURL->setText(QStringLiteral("(none)"));
    lURL->setEnabled(false);
    link_.clear();
    mMessage->clear();
    QTreeWidgetItem *item = lvNews->currentItem();
    bDelete->setEnabled(item && lvNews->indexOfTopLevelItem(item) > 0);
    if (!item) return;
    QString text, reason;
    if (!ReadTextFile(item->data(0, kPathRole).toString(), kMaxNewsFileSize, text, reason)) {
        mMessage->setPlainText(reason);
        return;
    }
    const TNewsDocument document(SplitTextLines(text));
    mMessage->setPlainText(document.Message());
    if (!document.Date().isEmpty()) lDate->setText(document.Date());
    const QString url = document.Url();
    if (!url.isEmpty()) {
        link_ = url;
        lURL->setText(QStringLiteral("<a href=\"link\">%1</a>").arg(url.toHtmlEscaped()));
        lURL->setEnabled(!WebLink(url).isEmpty());
    }
}

QUrl TfRozedAdivid::Link() const
{
    return WebLink(link_);
}

void TfRozedAdivid::OpenLink()
{
    const QUrl url = Link();
    if (!url.isEmpty()) QDesktopServices::openUrl(url);
}

void TfRozedAdivid::DeleteClick()
{
    QTreeWidgetItem *item = lvNews->currentItem();
    const int row = item ? lvNews->indexOfTopLevelItem(item) : -1;
    // The newest news stays.
    if (row <= 0) return;
    if (ShowMessageById(QStringLiteral("AskDeleteSU"), {item->text(0)},
                        MB_YESNO | MB_ICONQUESTION) != IDYES)
        return;
    const QString path = item->data(0, kPathRole).toString();
    if (!QFile::remove(path)) {
        ShowMessageById(QStringLiteral("ErrCannotDelete"), {path}, MB_ICONERROR);
        return;
    }
    delete item;
    lvNews->setCurrentItem(lvNews->topLevelItem(std::min(row, lvNews->topLevelItemCount() - 1)));
    ShowRow();
}

void TfRozedAdivid::OKClick()
{
    preferences_.SURemind = cbRemind->isChecked();
    accept();
}
