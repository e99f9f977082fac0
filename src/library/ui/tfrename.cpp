#include "library/ui/tfrename.h"

#include "localisation/ui/localiseform.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QVBoxLayout>

namespace {
QPointer<TfRename> openRename;
}

TfRename::TfRename(const QString &caption, QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("fRename"));
    setWindowTitle(QStringLiteral("Rename"));
    auto *label = new QLabel(QStringLiteral("Caption:"), this);
    label->setObjectName(QStringLiteral("lCaption"));
    eCaption = new QLineEdit(caption, this);
    eCaption->setObjectName(QStringLiteral("eCaption"));
    eCaption->setMinimumWidth(260);
    label->setBuddy(eCaption);
    auto *buttons = new QDialogButtonBox(this);
    bOK = buttons->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole);
    bOK->setObjectName(QStringLiteral("bOK"));
    bOK->setDefault(true);
    bCancel = buttons->addButton(QStringLiteral("Cancel"), QDialogButtonBox::RejectRole);
    bCancel->setObjectName(QStringLiteral("bCancel"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(label);
    layout->addWidget(eCaption);
    layout->addWidget(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    auto follow = [this] { bOK->setEnabled(!eCaption->text().trimmed().isEmpty()); };
    connect(eCaption, &QLineEdit::textChanged, this, follow);
    follow();
    eCaption->selectAll();
    LocaliseForm(this, false);
}

QString TfRename::Text() const
{
    return eCaption->text();
}

TfRename *TfRename::Open()
{
    return openRename.data();
}

QString TfRename::Execute(const QString &current, QWidget *parent)
{
    if (openRename) return current;
    TfRename dialog(current, parent);
    openRename = &dialog;
    const bool ok = dialog.exec() == QDialog::Accepted && dialog.bOK->isEnabled();
    openRename = nullptr;
    return ok ? dialog.Text() : current;
}
