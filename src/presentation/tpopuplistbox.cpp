#include "presentation/tpopuplistbox.h"

#include <QApplication>
#include <QCloseEvent>
#include <QHeaderView>
#include <QPainter>
#include <QScreen>
#include <QSizeGrip>
#include <QTreeView>

namespace {

constexpr int kBorder = 1;

// The screen's area around a point (the primary screen's when no screen holds it).
QRect ScreenAround(const QPoint &point)
{
    QScreen *screen = QGuiApplication::screenAt(point);
    if (!screen) screen = QGuiApplication::primaryScreen();
    return screen ? screen->geometry() : QRect(0, 0, 1024, 768);
}

} // namespace

TPopupListBox::TPopupListBox(QObject *owner) : QObject(owner) {}

TPopupListBox::~TPopupListBox()
{
    if (form_) {
        TPLBForm *form = form_;
        form_ = nullptr;
        form->PLB = nullptr;
        ReturnBox();
        delete form;
    }
}

void TPopupListBox::SetBox(QWidget *box)
{
    box_ = box;
    boxOwner_ = box ? box->parentWidget() : nullptr;
}

void TPopupListBox::Popup(const QPoint &topLeft)
{
    // A popup showing already closes once the new one has taken the box, so that the
    // application never is without a window of its own in between (which closes popups).
    TPLBForm *previous = form_;
    if (previous) {
        previous->PLB = nullptr;
        BoxWidth = previous->ClientSize().width();
        BoxHeight = previous->ClientSize().height();
    }
    auto *form = new TPLBForm(this);
    form_ = form;
    form->setWindowTitle(QApplication::applicationName());
    form->setMinimumSize(MinBoxWidth + 2 * kBorder, MinBoxHeight + 2 * kBorder);
    form->resize(BoxWidth + 2 * kBorder, BoxHeight + 2 * kBorder);
    // The whole popup on the screen.
    const QRect screen = ScreenAround(topLeft);
    QPoint place = topLeft;
    if (place.x() + form->width() > screen.right() + 1)
        place.setX(screen.right() + 1 - form->width());
    if (place.y() + form->height() > screen.bottom() + 1)
        place.setY(screen.bottom() + 1 - form->height());
    form->move(place);
    QWidget *box = box_;
    if (box) {
        if (ModifyParent) {
            box->setParent(form);
            box->show();
        }
        box->setGeometry(form->contentsRect());
        if (auto *view = qobject_cast<QTreeView *>(box);
            view && view->model() && view->model()->columnCount() == 1)
            view->header()->resizeSection(0, view->viewport()->width());
    }
    // A popup takes the keyboard and the mouse without becoming the active window.
    form->show();
    if (previous) {
        previous->close();
        previous->deleteLater();
        if (OnDeactivate) OnDeactivate();
    }
    if (box && box->isEnabled() && box->isVisible()) box->setFocus(Qt::PopupFocusReason);
    if (OnActivate) OnActivate();
}

void TPopupListBox::Deactivate()
{
    if (!form_) return;
    form_->close();
}

void TPopupListBox::FormClosed(TPLBForm *form, const QSize &clientSize)
{
    if (form != form_) return;
    form_ = nullptr;
    form->PLB = nullptr;
    BoxWidth = clientSize.width();
    BoxHeight = clientSize.height();
    // The box may be the one whose event closed the popup: it goes back now, the popup itself
    // only when that event is over.
    ReturnBox();
    form->deleteLater();
    if (OnDeactivate) OnDeactivate();
}

void TPopupListBox::ReturnBox()
{
    if (!box_ || !ModifyParent) return;
    box_->hide();
    box_->setParent(boxOwner_);
}

TPLBForm::TPLBForm(TPopupListBox *plb)
    : QWidget(nullptr, Qt::Popup | Qt::FramelessWindowHint), PLB(plb), grip_(new QSizeGrip(this))
{
    setObjectName(QStringLiteral("PLBForm"));
    setContentsMargins(kBorder, kBorder, kBorder, kBorder);
    grip_->resize(grip_->sizeHint());
}

TPLBForm::~TPLBForm()
{
    // Freed without a close (the application ends): the box still goes back.
    if (PLB && PLB->form_ == this) {
        PLB->form_ = nullptr;
        PLB->ReturnBox();
    }
}

void TPLBForm::closeEvent(QCloseEvent *event)
{
    event->accept();
    if (PLB) PLB->FormClosed(this, ClientSize());
}

void TPLBForm::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setPen(palette().color(QPalette::Dark));
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
}

void TPLBForm::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    QWidget *box = PLB ? PLB->Box() : nullptr;
    if (box && box->parentWidget() == this) box->setGeometry(contentsRect());
    grip_->move(width() - grip_->width() - kBorder, height() - grip_->height() - kBorder);
    grip_->raise();
}
