#include "presentation/tfsplash.h"

#include <QCoreApplication>
#include <QPainter>
#include <QPixmap>

namespace {

constexpr int kWidth = 360;
constexpr int kHeight = 140;

QPixmap Picture()
{
    QPixmap picture(kWidth, kHeight);
    picture.fill(QColor(32, 40, 64));
    QPainter painter(&picture);
    painter.setPen(Qt::white);
    QFont font = painter.font();
    font.setPointSize(20);
    font.setBold(true);
    painter.setFont(font);
    painter.drawText(QRect(0, 14, kWidth, 40), Qt::AlignCenter, QStringLiteral("Tonaria"));
    font.setPointSize(9);
    font.setBold(false);
    painter.setFont(font);
    painter.drawText(QRect(0, 56, kWidth, 20), Qt::AlignCenter, QStringLiteral("Tonaria 3.0"));
    painter.drawText(QRect(0, 76, kWidth, 20), Qt::AlignCenter,
                     QStringLiteral("Preview Release 2"));
    return picture;
}

} // namespace

TfSplash::TfSplash() : QSplashScreen(Picture())
{
    show();
    raise();
    activateWindow();
    SetStatus(QStringLiteral("Initializing Tonaria..."));
}

void TfSplash::SetStatus(const QString &text)
{
    showMessage(text, Qt::AlignBottom | Qt::AlignHCenter, Qt::white);
    QCoreApplication::processEvents();
}
