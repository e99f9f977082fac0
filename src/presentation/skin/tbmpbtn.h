#pragma once
// A bitmap button: its face is a picture of a picture collection, chosen by the button's visual
// state (up, pressed, fly-over, selected, half, disabled), with an optional glyph centred over
// it. Normal buttons click; toggle and group buttons latch; popup buttons open a menu below
// themselves.
//
// Threads: main thread only.

#include "presentation/skin/tpiccol.h"

#include <QColor>
#include <QImage>
#include <QPointer>
#include <QWidget>

#include <vector>

class QMenu;

enum class TBmpBtnType { bbtNormal, bbtToggle, bbtGroup, bbtPopup };
enum class TBmpBtnGlyphType { bgtFile, bgtResource };
enum class TBmpBtnState : unsigned char { Up, Disabled, Pressed, FlyOver, Half, Selected };

// The glyph cell a state draws from a strip of numGlyphs cells, and whether it is darkened
// (a disabled button on a screen of more than 8 bits, with a glyph of more than 4 bits, draws
// cell 0 at half brightness).
struct TGlyphCell {
    int Cell = 0;
    bool Darkened = false;
};
TGlyphCell ChooseGlyphCell(TBmpBtnState state, int numGlyphs, int screenDepth, int glyphDepth);

class TBmpBtn : public QWidget {
    Q_OBJECT
public:
    explicit TBmpBtn(QWidget *parent = nullptr);
    ~TBmpBtn() override;

    TPicCol *BmpServer() const { return server_; }
    void SetBmpServer(TPicCol *server);

    int BmpUp = 0, BmpDown = 1, BmpFly = 0, BmpSel = 1, BmpHalf = 0, BmpDis = 0;
    // Sets the six picture indices at once (up, down, fly, sel, half, dis) and repaints.
    void SetBmpIndices(int up, int down, int fly, int sel, int half, int dis);

    bool AllowFly() const { return allowFly_; }
    void SetAllowFly(bool allow);

    TBmpBtnType BtnType() const { return type_; }
    void SetBtnType(TBmpBtnType type);

    Qt::CheckState State() const { return state_; }
    void SetState(Qt::CheckState state);
    bool Down() const { return down_; }
    void SetDown(bool down);
    bool Checked() const { return down_; }
    void SetChecked(bool checked) { SetDown(checked); }

    bool AllowAllUp = false;
    bool AllowGrayed = false;
    int GroupIndex = 0;
    QPointer<QMenu> PopupMenuClicked;

    // The glyph: a strip of NumGlyphs cells. bitDepth is what the picture was stored with
    // (1- and 4-bit glyphs are never darkened).
    const QImage &Glyph() const { return glyph_; }
    void SetGlyph(const QImage &glyph, int bitDepth = 24);
    int GlyphDepth() const { return glyphDepth_; }
    int NumGlyphs() const { return numGlyphs_; }
    void SetNumGlyphs(int count);
    QString GlyphName;
    TBmpBtnGlyphType GlyphType = TBmpBtnGlyphType::bgtFile;
    // Loads the glyph named GlyphName from the default glyph folder (".bmp" added) or from the
    // program's resources (":/glyphs/" + name). False and the reason when there is no name
    // ("No glyph name provided.") or the picture cannot be read.
    bool LoadGlyph(QString *error = nullptr);

    bool Transparent() const { return transparent_; }
    void SetTransparent(bool on);
    bool TransparentAuto() const { return transparentAuto_; }
    void SetTransparentAuto(bool on);
    QColor TransparentColor() const { return transparentColour_; }
    void SetTransparentColor(const QColor &colour);

    // The face colour where no picture is available.
    QColor Color() const { return colour_; }
    void SetColor(const QColor &colour);

    TBmpBtnState VisualState() const { return visual_; }
    // The picture index painted now (after the fly-over rule).
    int PaintedIndex() const;

    // A sibling button was entered: drop a fly-over look.
    void MouseLeaveNotice();

    // The folder glyph files are read from (ends in "/"); empty means the program's folder.
    static QString DefaultGlyphFolder;

signals:
    void Clicked();
    void MousePressed(Qt::MouseButton button, QPoint pos);
    void MouseReleased(Qt::MouseButton button, QPoint pos);
    void MouseMoved(QPoint pos);

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void enterEvent(QEnterEvent *event) override;
    void leaveEvent(QEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    void UpdateState(TBmpBtnState wanted);
    bool Latching() const;
    std::vector<TBmpBtn *> GroupSiblings() const;
    const QImage &GlyphCellImage(const TGlyphCell &cell);

    QPointer<TPicCol> server_;
    QMetaObject::Connection serverConnection_;
    bool allowFly_ = true;
    TBmpBtnType type_ = TBmpBtnType::bbtNormal;
    Qt::CheckState state_ = Qt::Unchecked;
    bool down_ = false;
    QImage glyph_;
    int glyphDepth_ = 24;
    int numGlyphs_ = 1;
    bool transparent_ = true;
    bool transparentAuto_ = true;
    QColor transparentColour_ = Qt::black;
    QColor colour_;
    TBmpBtnState visual_ = TBmpBtnState::Up;
    bool pressed_ = false;
    // The glyph cell last drawn, ready to paint.
    QImage cellCache_;
    int cachedCell_ = -1;
    bool cachedDark_ = false;
};
