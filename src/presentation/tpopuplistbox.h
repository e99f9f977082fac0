#pragma once
// A popup list box: lends a control (the box) to a small borderless, resizable popup window
// while the popup shows, and gives it back when the popup closes. The popup closes at the first
// click outside it; its size is remembered for the next time.
//
//     TPopupListBox plb(owner);
//     plb.SetBox(listBox);                 // the box's parent now is where it goes back to
//     plb.Popup(QPoint(x, y));             // below a button, in screen coordinates
//
// Threads: main thread only.

#include <QObject>
#include <QPointer>
#include <QWidget>

#include <functional>

class TPLBForm;

class TPopupListBox : public QObject {
    Q_OBJECT

public:
    explicit TPopupListBox(QObject *owner = nullptr);
    // A popup still showing goes with the component.
    ~TPopupListBox() override;

    QWidget *Box() const { return box_; }
    // The box's parent at this moment is the window it goes back to after each popup.
    void SetBox(QWidget *box);

    int BoxWidth = 256;
    int BoxHeight = 128;
    int MinBoxWidth = 128;
    int MinBoxHeight = 64;
    bool ModifyParent = true;
    std::function<void()> OnActivate;
    std::function<void()> OnDeactivate;

    bool Activated() const { return form_ != nullptr; }
    // The popup showing now, or none.
    TPLBForm *Form() const { return form_; }

    // Shows the box with its popup's top-left at the point (screen coordinates), moved so that
    // the popup lies on the screen. A popup already showing is replaced by the new one.
    void Popup(const QPoint &topLeft);
    // Closes the popup showing, if any: the box goes back at once.
    void Deactivate();

private:
    friend class TPLBForm;
    // The popup closed (its client size is the one to remember).
    void FormClosed(TPLBForm *form, const QSize &clientSize);
    // The box goes back to its own window.
    void ReturnBox();

    QPointer<QWidget> box_;
    QPointer<QWidget> boxOwner_;
    TPLBForm *form_ = nullptr;
};

// The popup window of a popup list box: a thin border, a sizing grip, freed when closed.
class TPLBForm : public QWidget {
    Q_OBJECT

public:
    explicit TPLBForm(TPopupListBox *plb);
    ~TPLBForm() override;

    TPopupListBox *PLB = nullptr;
    // The area the box fills.
    QSize ClientSize() const { return contentsRect().size(); }

protected:
    void closeEvent(QCloseEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    QWidget *grip_;
};
