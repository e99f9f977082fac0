#include "library/ui/tfchoose.h"

#include "localisation/ui/localiseform.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

TfChoose::TfChoose(const QStringList &rows, QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("fChoose"));
    setWindowTitle(QStringLiteral("Multiple Choices"));
    auto *label = new QLabel(QStringLiteral("Choose one:"), this);
    label->setObjectName(QStringLiteral("lChoose"));
    lbChoose = new QListWidget(this);
    lbChoose->setObjectName(QStringLiteral("lbChoose"));
    lbChoose->setUniformItemSizes(true);
    lbChoose->addItems(rows);
    label->setBuddy(lbChoose);
    auto *buttons = new QDialogButtonBox(this);
    QPushButton *ok = buttons->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole);
    ok->setObjectName(QStringLiteral("bOK"));
    ok->setDefault(true);
    QPushButton *cancel =
        buttons->addButton(QStringLiteral("Cancel"), QDialogButtonBox::RejectRole);
    cancel->setObjectName(QStringLiteral("bCancel"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(lbChoose, &QListWidget::itemDoubleClicked, this, &QDialog::accept);
    auto follow = [this, ok] { ok->setEnabled(lbChoose->currentRow() >= 0); };
    connect(lbChoose, &QListWidget::currentRowChanged, this, follow);
    if (!rows.isEmpty()) lbChoose->setCurrentRow(0);
    follow();

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(label);
    layout->addWidget(lbChoose);
    layout->addWidget(buttons);
    resize(320, 300);
    LocaliseForm(this, false);
}

int TfChoose::ChosenRow() const
{
    return lbChoose->currentRow();
}

int TfChoose::Execute(const QStringList &rows, QWidget *parent)
{
    if (rows.isEmpty()) return -1;
    TfChoose dialog(rows, parent);
    return dialog.exec() == QDialog::Accepted ? dialog.ChosenRow() : -1;
}
