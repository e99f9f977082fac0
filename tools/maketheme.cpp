// Draws the pictures of the shipped themes and writes their theme files:
//   maketheme DATA_THEMES_FOLDER
// "Default" is a graphite player with a teal screen; "Midnight" a compact dark one with violet
// light. Each theme has a rich set of pictures for screens of 16 bits and more and a simpler
// one (bitmaps, buttons generated from textures, monochrome glyphs) for 256-colour screens.
#include "presentation/theme/tuiman.h"
#include "themeglyphs.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

#include <cmath>
#include <cstdio>
#include <vector>

namespace {

const QColor kCut(255, 0, 255); // the masks' transparent colour, "clFuchsia"

struct TLook {
    QString Name;
    QColor BodyTop, BodyBottom, Rim, Edge;
    QColor ScreenTop, ScreenBottom, ScreenLine;
    QColor Face, FaceLight, Accent, Amber, Glyph, Label;
    double Radius;     // window corners
    double FaceRadius; // button corners
};

struct TCollection {
    int Number;
    QSize Cell;
    enum Kind { Plain, Accent, Mode, Chrome } Style;
};

struct TPlace {
    QString Name;
    QRect Bounds;
    int Collection; // 0 for controls without pictures
};

struct TWindowLayout {
    QSize Size;
    std::vector<TCollection> Collections;
    std::vector<TPlace> Places;
};

// ---- pictures ----

QImage blank(QSize size, const QColor &colour = Qt::transparent)
{
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(colour);
    return image;
}

QPainterPath outline(QSize size, double radius, bool notch)
{
    QPainterPath path;
    path.addRoundedRect(QRectF(0, 0, size.width(), size.height()), radius, radius);
    if (notch) {
        // A bevelled cut at the lower right corner.
        QPainterPath cut;
        const double w = size.width(), h = size.height(), c = radius * 1.6;
        cut.moveTo(w - c, h);
        cut.lineTo(w, h - c);
        cut.lineTo(w, h);
        cut.closeSubpath();
        path = path.subtracted(cut);
    }
    return path;
}

// One cell of a button strip in one of the five looks.
void drawFace(QPainter &p, QRectF r, const TLook &look, TCollection::Kind kind, int state)
{
    enum { Up, Pressed, Fly, Selected, Disabled };
    QColor top = look.FaceLight, bottom = look.Face, border = look.Edge;
    QColor tint = kind == TCollection::Accent ? look.Accent
                  : kind == TCollection::Mode ? look.Amber
                                              : QColor();
    if (kind == TCollection::Accent) {
        top = look.Accent.lighter(118);
        bottom = look.Accent.darker(135);
    }
    auto mix = [](QColor a, QColor b, double f) {
        return QColor::fromRgbF(a.redF() + (b.redF() - a.redF()) * f,
                                a.greenF() + (b.greenF() - a.greenF()) * f,
                                a.blueF() + (b.blueF() - a.blueF()) * f);
    };
    const QColor glow = tint.isValid() ? tint : look.Accent;
    switch (state) {
    case Pressed:
        std::swap(top, bottom);
        top = top.darker(125);
        border = glow;
        break;
    case Fly:
        top = top.lighter(125);
        bottom = bottom.lighter(120);
        border = mix(look.Edge, glow, 0.7);
        break;
    case Selected:
        top = mix(bottom, glow, 0.45).darker(110);
        bottom = mix(bottom, glow, 0.25).darker(120);
        border = glow;
        break;
    case Disabled:
        top = mix(top, look.BodyBottom, 0.6);
        bottom = mix(bottom, look.BodyBottom, 0.6);
        border = mix(border, look.BodyBottom, 0.5);
        break;
    default:
        break;
    }
    r.adjust(0.5, 0.5, -0.5, -0.5);
    const double radius = kind == TCollection::Chrome ? r.height() / 2 : look.FaceRadius;
    // A soft drop shadow below the face.
    if (state != Pressed && state != Disabled) {
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(0, 0, 0, 70));
        p.drawRoundedRect(r.translated(0, 1), radius, radius);
        r.adjust(0, 0, 0, -1);
    }
    QLinearGradient g(r.topLeft(), r.bottomLeft());
    g.setColorAt(0, top);
    g.setColorAt(1, bottom);
    p.setBrush(g);
    p.setPen(QPen(border, 1));
    p.drawRoundedRect(r, radius, radius);
    if (state == Up || state == Fly) {
        // A thin highlight along the upper edge.
        p.setPen(QPen(QColor(255, 255, 255, state == Fly ? 90 : 55), 1));
        p.setBrush(Qt::NoBrush);
        p.drawRoundedRect(r.adjusted(1, 1, -1, -1), radius - 1, radius - 1);
    }
    if (state == Selected && kind == TCollection::Mode) {
        // A lit dot tells a latched mode button.
        p.setPen(Qt::NoPen);
        p.setBrush(look.Amber);
        p.drawEllipse(QPointF(r.right() - 5, r.top() + 5), 2, 2);
    }
}

QImage buttonStrip(QSize cell, const TLook &look, TCollection::Kind kind)
{
    QImage strip = blank(QSize(cell.width() * 5, cell.height()));
    QPainter p(&strip);
    p.setRenderHint(QPainter::Antialiasing);
    for (int i = 0; i < 5; ++i)
        drawFace(p, QRectF(cell.width() * i, 0, cell.width(), cell.height()), look, kind, i);
    return strip;
}

// A flat texture for the generated buttons of 256-colour screens.
QImage buttonTexture(QSize cell, const TLook &look, TCollection::Kind kind)
{
    const QColor c = kind == TCollection::Accent ? look.Accent
                     : kind == TCollection::Mode ? look.Face.lighter(115)
                                                 : look.Face.lighter(130);
    return blank(cell, c).convertToFormat(QImage::Format_RGB888);
}

QImage displayBackground(const TWindowLayout &layout, const TLook &look, bool notch,
                         const QRect &flag, const QString &brand)
{
    const QSize size = layout.Size;
    QImage image = blank(size);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    const QPainterPath body = outline(size, look.Radius, notch);
    QLinearGradient g(0, 0, 0, size.height());
    g.setColorAt(0, look.BodyTop);
    g.setColorAt(1, look.BodyBottom);
    p.fillPath(body, g);
    // A soft sheen across the upper half.
    QLinearGradient sheen(0, 0, 0, size.height() * 0.5);
    sheen.setColorAt(0, QColor(255, 255, 255, 28));
    sheen.setColorAt(1, QColor(255, 255, 255, 0));
    p.fillPath(body, sheen);
    p.setPen(QPen(look.Rim, 1.5));
    p.drawPath(outline(size, look.Radius, notch).translated(0, 0));
    p.setPen(QPen(QColor(255, 255, 255, 40), 1));
    p.drawPath(QPainterPath(outline(size - QSize(4, 4), look.Radius - 2, notch)).translated(2, 2));

    for (const TPlace &place : layout.Places) {
        if (place.Name == u"tpDisplay") {
            // The screen: bright enough that the translucent panel's half brightness reads
            // as a lit display, with a bezel around it.
            const QRectF r = QRectF(place.Bounds).adjusted(-3, -3, 3, 3);
            p.setPen(Qt::NoPen);
            p.setBrush(QColor(0, 0, 0, 120));
            p.drawRoundedRect(r, 7, 7);
            QLinearGradient s(r.topLeft(), r.bottomRight());
            s.setColorAt(0, look.ScreenTop);
            s.setColorAt(1, look.ScreenBottom);
            p.setBrush(s);
            p.drawRoundedRect(QRectF(place.Bounds), 5, 5);
            // Faint scan lines.
            p.setPen(QPen(look.ScreenLine, 1));
            for (int y = place.Bounds.top() + 2; y < place.Bounds.bottom(); y += 3)
                p.drawLine(place.Bounds.left() + 3, y, place.Bounds.right() - 3, y);
            QRadialGradient glare(place.Bounds.topLeft() + QPointF(60, 0),
                                  place.Bounds.width() * 0.6);
            glare.setColorAt(0, QColor(255, 255, 255, 46));
            glare.setColorAt(1, QColor(255, 255, 255, 0));
            p.setPen(Qt::NoPen);
            p.setBrush(glare);
            p.drawRoundedRect(QRectF(place.Bounds), 5, 5);
        }
    }
    // A bright badge under the flag, where it shows.
    p.setPen(Qt::NoPen);
    QLinearGradient badge(flag.topLeft(), flag.bottomLeft());
    badge.setColorAt(0, QColor(250, 250, 252));
    badge.setColorAt(1, QColor(214, 218, 226));
    p.setBrush(badge);
    p.drawRoundedRect(QRectF(flag).adjusted(-2, -2, 2, 2), 5, 5);
    // The brand.
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(13);
    font.setBold(true);
    font.setLetterSpacing(QFont::AbsoluteSpacing, 2.5);
    p.setFont(font);
    p.setPen(QColor(0, 0, 0, 110));
    p.drawText(QPointF(19 + (notch ? 33 : 0), 21), brand);
    p.setPen(look.Label);
    p.drawText(QPointF(18 + (notch ? 33 : 0), 20), brand);
    p.end();
    // The outline is cut hard: pixels at least half covered by the body are the body's, over
    // its rim colour; the others lie outside.
    image = image.convertToFormat(QImage::Format_ARGB32);
    QImage out(size, QImage::Format_RGB32);
    const QRgb rim = look.Rim.rgb();
    for (int y = 0; y < size.height(); ++y)
        for (int x = 0; x < size.width(); ++x) {
            const QRgb c = image.pixel(x, y);
            const int a = qAlpha(c);
            if (a < 128) {
                out.setPixel(x, y, kCut.rgb());
                continue;
            }
            // Unpremultiplied colour over the rim.
            const QColor over = QColor::fromRgba(c);
            const double f = a / 255.0;
            out.setPixel(x, y,
                         qRgb(int(over.red() * f + qRed(rim) * (1 - f)),
                              int(over.green() * f + qGreen(rim) * (1 - f)),
                              int(over.blue() * f + qBlue(rim) * (1 - f))));
        }
    return out;
}

QImage maskOf(const QImage &background)
{
    QImage mask(background.size(), QImage::Format_RGB32);
    for (int y = 0; y < mask.height(); ++y)
        for (int x = 0; x < mask.width(); ++x)
            mask.setPixel(x, y, background.pixel(x, y) == kCut.rgb() ? kCut.rgb() : qRgb(0, 0, 0));
    return mask;
}

// A horizontal pattern that wraps at its width: bands of colour in a gentle wave.
QImage flagPicture(QSize size, const std::vector<QColor> &colours)
{
    QImage image(size, QImage::Format_RGB32);
    const int n = int(colours.size());
    for (int x = 0; x < size.width(); ++x) {
        const double phase = 2 * M_PI * x / size.width();
        for (int y = 0; y < size.height(); ++y) {
            const double v = double(y) / size.height() + 0.12 * std::sin(phase);
            double band = v * n;
            band = band - std::floor(band / n) * n;
            const int i = int(band) % n;
            const double f = band - std::floor(band);
            const QColor a = colours[size_t(i)], b = colours[size_t((i + 1) % n)];
            const double t = f > 0.85 ? (f - 0.85) / 0.15 : 0.0;
            image.setPixel(x, y,
                           qRgb(int(a.red() + (b.red() - a.red()) * t),
                                int(a.green() + (b.green() - a.green()) * t),
                                int(a.blue() + (b.blue() - a.blue()) * t)));
        }
    }
    return image;
}

// The lit meter: segments from green at the bottom to red at the top.
QImage ledPicture(QSize size, const QColor &low, const QColor &mid, const QColor &high,
                  bool segments)
{
    QImage image = blank(size);
    QPainter p(&image);
    QLinearGradient g(0, size.height(), 0, 0);
    g.setColorAt(0, low);
    g.setColorAt(0.62, mid);
    g.setColorAt(1, high);
    p.fillRect(image.rect(), g);
    if (segments) {
        p.setCompositionMode(QPainter::CompositionMode_Clear);
        for (int y = 2; y < size.height(); y += 3)
            p.fillRect(0, y, size.width(), 1, Qt::transparent);
    }
    p.end();
    return image;
}

QImage floatTexture(int height, const TLook &look)
{
    QImage image(8, height, QImage::Format_RGB32);
    QPainter p(&image);
    QLinearGradient g(0, 0, 0, height);
    g.setColorAt(0, look.BodyTop.lighter(112));
    g.setColorAt(0.5, look.BodyTop);
    g.setColorAt(1, look.BodyBottom);
    p.fillRect(image.rect(), g);
    p.end();
    return image;
}

// ---- files ----

// The bits past the width of each row of a monochrome bitmap are left as they come; clear
// them so that the files come out the same every time.
void zeroRowPadding(QByteArray &bmp, int width)
{
    if (bmp.size() < 14) return;
    const int offset = quint8(bmp[10]) | quint8(bmp[11]) << 8;
    const int stride = (width + 31) / 32 * 4;
    for (int row = offset; row + stride <= bmp.size(); row += stride)
        for (int x = width; x < stride * 8; ++x)
            bmp[row + x / 8] = char(bmp[row + x / 8] & ~(0x80 >> (x % 8)));
}

class TThemeWriter {
public:
    TThemeWriter(QString folder, QString name) : folder_(std::move(folder)), name_(std::move(name))
    {
        QDir().mkpath(folder_ + name_);
    }
    // Saves a picture below the theme's folder and gives the path the theme file names.
    QString Save(const QString &file, const QImage &image)
    {
        const QString relative = name_ + u'/' + file;
        QByteArray bytes;
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        image.save(&buffer, file.endsWith(QStringLiteral(".bmp")) ? "BMP" : "PNG");
        if (image.format() == QImage::Format_Mono) zeroRowPadding(bytes, image.width());
        QFile out(folder_ + relative);
        if (bytes.isEmpty() || !out.open(QIODevice::WriteOnly) ||
            out.write(bytes) != bytes.size()) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(folder_ + relative));
            ok_ = false;
        }
        return relative;
    }
    void Set(const QString &key, const QString &value)
    {
        for (TUIGroup *g : current_)
            g->SetEntry(key, value);
    }
    void Groups(std::initializer_list<int> numbers)
    {
        current_.clear();
        for (int n : numbers)
            current_.push_back(&man_.FindOrAddGroup(n));
    }
    bool Finish() { return man_.SaveToFile(folder_ + name_ + QStringLiteral(".tui")) && ok_; }

private:
    QString folder_, name_;
    TUIMan man_;
    std::vector<TUIGroup *> current_;
    bool ok_ = true;
};

void setBounds(TThemeWriter &w, const QString &window, const TPlace &place)
{
    const QString key = window + u'.' + place.Name + u'.';
    w.Set(key + QStringLiteral("Left"), QString::number(place.Bounds.x()));
    w.Set(key + QStringLiteral("Top"), QString::number(place.Bounds.y()));
    w.Set(key + QStringLiteral("Width"), QString::number(place.Bounds.width()));
    w.Set(key + QStringLiteral("Height"), QString::number(place.Bounds.height()));
}

struct TThemePlan {
    TLook Look;
    TWindowLayout Display, Float;
    QSize FlagSize;
    std::vector<QColor> FlagColours;
    bool Notch = false;
    QString Brand;
    int GlyphBig = 18, GlyphSmall = 14;
};

// Writes one window's entries for one set of groups; rich = the set for 16 bits and more.
void writeWindow(TThemeWriter &w, const TThemePlan &plan, const QString &window,
                 const TWindowLayout &layout, bool rich, const QImage &background)
{
    const TLook &look = plan.Look;
    const QString sub = rich ? QString() : QStringLiteral("256/");
    const QString ext = rich ? QStringLiteral(".png") : QStringLiteral(".bmp");
    const QString prefix =
        window == u"fDisplay" ? QStringLiteral("display-") : QStringLiteral("floatbar-");
    if (window == u"fDisplay") {
        const QImage bkg = rich ? background : background.convertToFormat(QImage::Format_Indexed8);
        w.Set(window + QStringLiteral(".Bkg"),
              w.Save(sub + prefix + QStringLiteral("background") + ext, bkg));
        w.Set(window + QStringLiteral(".BkgMask"),
              w.Save(sub + prefix + QStringLiteral("mask") + ext,
                     rich ? maskOf(background)
                          : maskOf(background).convertToFormat(QImage::Format_Indexed8)));
        w.Set(window + QStringLiteral(".BkgMask.TransparentColor"), QStringLiteral("clFuchsia"));
        const QImage flag = flagPicture(plan.FlagSize, plan.FlagColours);
        w.Set(window + QStringLiteral(".dcdFlag"),
              w.Save(sub + QStringLiteral("flag") + ext, flag));
    } else {
        QImage texture = floatTexture(layout.Size.height(), look);
        if (!rich) texture = texture.convertToFormat(QImage::Format_Indexed8);
        w.Set(window + QStringLiteral(".Bkg"),
              w.Save(sub + prefix + QStringLiteral("texture") + ext, texture));
    }
    for (const TCollection &c : layout.Collections) {
        const QString key = window + QStringLiteral(".pcBtn") + QString::number(c.Number);
        const QString file = sub + prefix + QStringLiteral("buttons%1").arg(c.Number) + ext;
        if (rich) {
            w.Set(key, w.Save(file, buttonStrip(c.Cell, look, c.Style)));
        } else {
            w.Set(key, w.Save(file, buttonTexture(c.Cell, look, c.Style)));
            w.Set(key + QStringLiteral(".Generate"), QStringLiteral("Yes"));
        }
    }
    for (const TPlace &place : layout.Places) {
        setBounds(w, window, place);
        if (place.Collection > 0) {
            const QString key = window + u'.' + place.Name;
            w.Set(key, QStringLiteral("pcBtn%1").arg(place.Collection));
            const int size = std::min(place.Bounds.height(), place.Bounds.width()) >= 26
                                 ? plan.GlyphBig
                                 : plan.GlyphSmall;
            const QImage glyph = DrawGlyph(place.Name, size, look.Glyph);
            const QString file = sub + QStringLiteral("glyphs/") + place.Name.mid(2).toLower() +
                                 QStringLiteral("-%1").arg(size) + ext;
            w.Set(key + QStringLiteral(".Glyph"),
                  w.Save(file, rich ? glyph : MonochromeGlyph(glyph)));
        }
        if (place.Name == u"blL" || place.Name == u"blR") {
            const QImage led = ledPicture(place.Bounds.size(), QColor(46, 204, 113),
                                          QColor(241, 196, 15), QColor(231, 76, 60), rich);
            w.Set(window + u'.' + place.Name,
                  w.Save(sub + QStringLiteral("meter") + ext,
                         rich ? led
                              : led.convertToFormat(QImage::Format_RGB32)
                                    .convertToFormat(QImage::Format_Indexed8)));
        }
    }
}

bool writeTheme(const QString &folder, const TThemePlan &plan)
{
    QDir().mkpath(folder + plan.Look.Name + QStringLiteral("/glyphs"));
    QDir().mkpath(folder + plan.Look.Name + QStringLiteral("/256/glyphs"));
    TThemeWriter w(folder, plan.Look.Name);
    const QImage background = displayBackground(plan.Display, plan.Look, plan.Notch,
                                                QRect(QPoint(412, 8), plan.FlagSize), plan.Brand);
    // The richest set first: a screen of a depth no group names uses the first group.
    w.Groups({32, 24, 16});
    writeWindow(w, plan, QStringLiteral("fDisplay"), plan.Display, true, background);
    writeWindow(w, plan, QStringLiteral("fFloat"), plan.Float, true, background);
    w.Groups({8});
    writeWindow(w, plan, QStringLiteral("fDisplay"), plan.Display, false, background);
    writeWindow(w, plan, QStringLiteral("fFloat"), plan.Float, false, background);
    return w.Finish();
}

// ---- the two themes ----

std::vector<TPlace> row(std::initializer_list<const char *> names, int x, int y, QSize size,
                        int gap, int collection)
{
    std::vector<TPlace> places;
    for (const char *name : names) {
        if (!*name) {
            x += gap * 3;
            continue;
        }
        places.push_back({QString::fromLatin1(name), QRect(QPoint(x, y), size), collection});
        x += size.width() + gap;
    }
    return places;
}

void append(std::vector<TPlace> &to, const std::vector<TPlace> &more)
{
    to.insert(to.end(), more.begin(), more.end());
}

TThemePlan defaultPlan()
{
    TThemePlan plan;
    plan.Look = {QStringLiteral("Default"),
                 QColor(62, 66, 74),
                 QColor(34, 37, 43),
                 QColor(18, 20, 24),
                 QColor(22, 24, 28),
                 QColor(64, 196, 206),
                 QColor(28, 112, 150),
                 QColor(255, 255, 255, 18),
                 QColor(48, 52, 60),
                 QColor(82, 88, 99),
                 QColor(38, 198, 190),
                 QColor(255, 179, 64),
                 QColor(236, 240, 244),
                 QColor(200, 206, 214),
                 14,
                 6};
    plan.Brand = QStringLiteral("TONARIA");
    plan.FlagSize = QSize(40, 16);
    plan.FlagColours = {QColor(38, 198, 190), QColor(52, 120, 220), QColor(150, 90, 220),
                        QColor(240, 90, 130), QColor(255, 179, 64)};
    TWindowLayout &d = plan.Display;
    d.Size = QSize(500, 214);
    d.Collections = {
        {1, QSize(34, 30), TCollection::Plain},  {2, QSize(46, 30), TCollection::Accent},
        {3, QSize(38, 20), TCollection::Plain},  {4, QSize(34, 22), TCollection::Plain},
        {5, QSize(16, 16), TCollection::Chrome}, {6, QSize(38, 20), TCollection::Mode}};
    d.Places = {{QStringLiteral("bbHide"), QRect(458, 8, 16, 16), 5},
                {QStringLiteral("bbPower"), QRect(476, 8, 16, 16), 5},
                {QStringLiteral("tpDisplay"), QRect(16, 34, 340, 94), 0},
                {QStringLiteral("tlCaption"), QRect(10, 6, 296, 18), 0},
                {QStringLiteral("tlTime"), QRect(10, 26, 150, 36), 0},
                {QStringLiteral("tlTime2"), QRect(166, 28, 140, 16), 0},
                {QStringLiteral("tlTimeTotal"), QRect(166, 46, 140, 16), 0},
                {QStringLiteral("tpbDisplay"), QRect(10, 70, 296, 14), 0},
                {QStringLiteral("blL"), QRect(314, 8, 8, 78), 0},
                {QStringLiteral("blR"), QRect(326, 8, 8, 78), 0}};
    const char *keys[4][3] = {{"bb1", "bb2", "bb3"},
                              {"bb4", "bb5", "bb6"},
                              {"bb7", "bb8", "bb9"},
                              {"bbModeLoad", "bb0", "bbModeStore"}};
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 3; ++c) {
            const QString name = QString::fromLatin1(keys[r][c]);
            d.Places.push_back({name, QRect(368 + c * 43, 33 + r * 24, 38, 20),
                                name.startsWith(u"bbMode") ? 6 : 3});
        }
    append(d.Places, row({"bbPrev", "bbRew", "bbFB"}, 16, 142, QSize(34, 30), 4, 1));
    append(d.Places, row({"bbPlay"}, 130, 142, QSize(46, 30), 4, 2));
    append(d.Places, row({"bbPause", "bbStop", "bbFF", "bbNext"}, 180, 142, QSize(34, 30), 4, 1));
    append(d.Places, row({"bbOpen", "bbEject", "bbClose"}, 344, 142, QSize(34, 30), 4, 1));
    append(d.Places, row({"bbMenu"}, 458, 142, QSize(34, 30), 4, 1));
    append(d.Places,
           row({"bbTitles", "bbPrograms", "bbAlbums", "", "bbEditTitle", "bbEditProgram",
                "bbEditAlbum", "", "bbAddToProgram", "bbRemoveFromProgram", "bbRemoveFromAlbum"},
               16, 182, QSize(34, 22), 2, 4));
    append(d.Places, row({"bbView"}, 458, 182, QSize(34, 22), 2, 4));

    TWindowLayout &f = plan.Float;
    f.Size = QSize(320, 22);
    f.Collections = {{1, QSize(22, 18), TCollection::Plain},
                     {2, QSize(28, 18), TCollection::Accent},
                     {5, QSize(16, 18), TCollection::Chrome}};
    f.Places = {
        {QStringLiteral("bbHide"), QRect(4, 2, 16, 18), 5},
        {QStringLiteral("tpTime"), QRect(260, 2, 56, 18), 0},
        {QStringLiteral("tpFloat"), QRect(200, 2, 56, 18), 0},
    };
    append(f.Places, row({"bbPlay"}, 22, 2, QSize(28, 18), 0, 2));
    append(f.Places, row({"bbPause", "bbStop", "bbPrev", "bbRew", "bbFB", "bbFF", "bbNext"}, 50, 2,
                         QSize(22, 18), 0, 1));
    plan.GlyphBig = 18;
    plan.GlyphSmall = 14;
    return plan;
}

TThemePlan midnightPlan()
{
    TThemePlan plan;
    plan.Look = {QStringLiteral("Midnight"),
                 QColor(30, 26, 46),
                 QColor(12, 10, 20),
                 QColor(6, 4, 12),
                 QColor(70, 56, 110),
                 QColor(150, 96, 255),
                 QColor(60, 30, 140),
                 QColor(0, 0, 0, 30),
                 QColor(26, 22, 40),
                 QColor(44, 38, 66),
                 QColor(168, 110, 255),
                 QColor(255, 96, 196),
                 QColor(226, 214, 255),
                 QColor(170, 150, 220),
                 20,
                 4};
    plan.Brand = QStringLiteral("tonaria");
    plan.Notch = true;
    plan.FlagSize = QSize(18, 10);
    plan.FlagColours = {QColor(168, 110, 255), QColor(255, 96, 196), QColor(90, 200, 255)};
    TWindowLayout &d = plan.Display;
    d.Size = QSize(440, 152);
    d.Collections = {
        {1, QSize(26, 24), TCollection::Plain},  {2, QSize(36, 24), TCollection::Accent},
        {3, QSize(24, 18), TCollection::Plain},  {4, QSize(22, 18), TCollection::Plain},
        {5, QSize(14, 14), TCollection::Chrome}, {6, QSize(24, 18), TCollection::Mode}};
    d.Places = {{QStringLiteral("bbPower"), QRect(12, 8, 14, 14), 5},
                {QStringLiteral("bbHide"), QRect(30, 8, 14, 14), 5},
                {QStringLiteral("tpDisplay"), QRect(12, 30, 296, 62), 0},
                {QStringLiteral("tlCaption"), QRect(8, 4, 256, 16), 0},
                {QStringLiteral("tlTime"), QRect(8, 20, 112, 28), 0},
                {QStringLiteral("tlTime2"), QRect(124, 22, 70, 13), 0},
                {QStringLiteral("tlTimeTotal"), QRect(196, 22, 70, 13), 0},
                {QStringLiteral("tpbDisplay"), QRect(124, 38, 142, 8), 0},
                {QStringLiteral("blL"), QRect(274, 6, 6, 50), 0},
                {QStringLiteral("blR"), QRect(284, 6, 6, 50), 0}};
    const char *keys[3][4] = {{"bb1", "bb2", "bb3", "bb4"},
                              {"bb5", "bb6", "bb7", "bb8"},
                              {"bb9", "bb0", "bbModeLoad", "bbModeStore"}};
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 4; ++c) {
            const QString name = QString::fromLatin1(keys[r][c]);
            d.Places.push_back({name, QRect(318 + c * 28, 30 + r * 22, 24, 18),
                                name.startsWith(u"bbMode") ? 6 : 3});
        }
    append(d.Places, row({"bbPrev", "bbRew", "bbFB"}, 12, 98, QSize(26, 24), 2, 1));
    append(d.Places, row({"bbPlay"}, 96, 98, QSize(36, 24), 2, 2));
    append(d.Places, row({"bbPause", "bbStop", "bbFF", "bbNext"}, 134, 98, QSize(26, 24), 2, 1));
    append(d.Places, row({"bbOpen", "bbEject", "bbClose", "bbMenu"}, 318, 98, QSize(26, 24), 2, 1));
    append(d.Places,
           row({"bbTitles", "bbPrograms", "bbAlbums", "bbEditTitle", "bbEditProgram", "bbEditAlbum",
                "bbAddToProgram", "bbRemoveFromProgram", "bbRemoveFromAlbum", "bbView"},
               12, 126, QSize(22, 18), 2, 4));

    TWindowLayout &f = plan.Float;
    f.Size = QSize(320, 18);
    f.Collections = {{1, QSize(18, 14), TCollection::Plain},
                     {2, QSize(22, 14), TCollection::Accent},
                     {5, QSize(12, 14), TCollection::Chrome}};
    f.Places = {
        {QStringLiteral("bbHide"), QRect(3, 2, 12, 14), 5},
        {QStringLiteral("tpTime"), QRect(260, 2, 50, 14), 0},
        {QStringLiteral("tpFloat"), QRect(200, 2, 56, 14), 0},
    };
    append(f.Places, row({"bbPlay"}, 17, 2, QSize(22, 14), 0, 2));
    append(f.Places, row({"bbPause", "bbStop", "bbPrev", "bbRew", "bbFB", "bbFF", "bbNext"}, 39, 2,
                         QSize(18, 14), 0, 1));
    plan.GlyphBig = 16;
    plan.GlyphSmall = 12;
    return plan;
}

} // namespace

int main(int argc, char **argv)
{
    QGuiApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: maketheme THEMES_FOLDER\n");
        return 2;
    }
    QString folder = QString::fromLocal8Bit(argv[1]);
    if (!folder.endsWith(u'/')) folder += u'/';
    bool ok = writeTheme(folder, defaultPlan());
    ok = writeTheme(folder, midnightPlan()) && ok;
    return ok ? 0 : 1;
}
