#include "presentation/skin/applytheme.h"

#include "localisation/showmessage.h"
#include "platform/system/messageservice.h"
#include "platform/ui/colourmap.h"
#include "presentation/skin/picturefile.h"
#include "presentation/skin/pixelops.h"
#include "presentation/skin/tbmpbtn.h"
#include "presentation/skin/tbmpled.h"
#include "presentation/skin/tdcdisruptor.h"
#include "presentation/skin/tformshaper.h"
#include "presentation/skin/tpiccol.h"
#include "presentation/skin/tskinform.h"
#include "presentation/theme/themecolour.h"
#include "presentation/theme/tuiman.h"

namespace {

struct TKey {
    QStringView Window, Component, Property;
};

TKey splitKey(QStringView key)
{
    TKey parts;
    const qsizetype first = key.indexOf(u'.');
    if (first < 0) {
        parts.Window = key;
        return parts;
    }
    parts.Window = key.left(first);
    const QStringView rest = key.mid(first + 1);
    const qsizetype second = rest.indexOf(u'.');
    if (second < 0) {
        parts.Component = rest;
        return parts;
    }
    parts.Component = rest.left(second);
    parts.Property = rest.mid(second + 1);
    return parts;
}

// One application of a theme to one window; a failure is shown once and ends it.
class TApplication {
public:
    TApplication(TSkinForm &window, const TThemeHost &host) : window_(window), host_(host) {}

    bool Entry(const QString &line);
    bool Finish();

private:
    bool Fail(const QString &text)
    {
        ShowMessageText(text, MB_OK | MB_ICONERROR);
        return false;
    }
    bool Load(QStringView value, TPictureFile &picture)
    {
        QString path = host_.ThemesFolder + value.toString();
        path.replace(u'\\', u'/');
        QString error;
        return LoadPictureFile(path, picture, &error) || Fail(error);
    }
    bool Bound(QWidget &widget, QStringView property, QStringView value);
    bool Component(QObject &component, QStringView property, QStringView value);

    TSkinForm &window_;
    const TThemeHost &host_;
    bool backgroundLoaded_ = false;
};

bool TApplication::Entry(const QString &line)
{
    const qsizetype eq = line.indexOf(u'=');
    const QStringView key = QStringView(line).left(eq);
    const QStringView value = QStringView(line).mid(eq + 1);
    const TKey parts = splitKey(key);
    if (parts.Window != window_.objectName() || parts.Component.isEmpty() || value.isEmpty())
        return true;

    if (parts.Component == u"Bkg") {
        if (!parts.Property.isEmpty()) return true;
        TPictureFile picture;
        if (!Load(value, picture)) return false;
        window_.ThemeBackground() = picture.Image;
        backgroundLoaded_ = true;
        return true;
    }
    if (parts.Component == u"BkgMask") {
        if (parts.Property.isEmpty()) {
            TPictureFile picture;
            if (!Load(value, picture)) return false;
            window_.Shaper().Mask = picture.Image;
        } else if (parts.Property == u"TransparentColor") {
            std::uint32_t colour = 0;
            if (ParseThemeColour(value, colour))
                window_.Shaper().TransparentColor = ColourToQColor(colour);
        }
        return true;
    }
    if (parts.Component == u"DisplayFlag") {
        if (window_.Kind() != TSkinKind::Display || !parts.Property.isEmpty()) return true;
        if (!host_.DisplayFlag || !host_.SetDisplayFlag) return true;
        if (value == u"Yes" && !host_.DisplayFlag()) {
            host_.SetDisplayFlag(true);
        } else if (value == u"No" && host_.DisplayFlag()) {
            host_.SetDisplayFlag(false);
            if (host_.ApplyPreferences) host_.ApplyPreferences();
        }
        return true;
    }
    QObject *component = window_.findChild<QObject *>(parts.Component.toString());
    if (!component) return true;
    return Component(*component, parts.Property, value);
}

bool TApplication::Bound(QWidget &widget, QStringView property, QStringView value)
{
    int number = 0;
    if (!ParseThemeInteger(value, number))
        return Fail(QStringLiteral("\"%1\" is not a whole number.").arg(value));
    QRect r = widget.geometry();
    if (property == u"Left")
        r.moveLeft(number);
    else if (property == u"Top")
        r.moveTop(number);
    else if (property == u"Width")
        r.setWidth(number);
    else
        r.setHeight(number);
    widget.setGeometry(r);
    return true;
}

bool TApplication::Component(QObject &component, QStringView property, QStringView value)
{
    if (auto *widget = qobject_cast<QWidget *>(&component)) {
        if (property == u"Left" || property == u"Top" || property == u"Width" ||
            property == u"Height")
            return Bound(*widget, property, value);
        if (auto *button = qobject_cast<TBmpBtn *>(widget)) {
            if (property.isEmpty()) {
                button->SetBmpServer(window_.findChild<TPicCol *>(value.toString()));
            } else if (property == u"Glyph") {
                TPictureFile picture;
                if (!Load(value, picture)) return false;
                if (picture.BitDepth == 1 || picture.BitDepth == 4)
                    button->SetGlyph(picture.Image, picture.BitDepth);
                else
                    button->SetGlyph(ToDeviceFormat(picture.Image), 24);
            }
        } else if (auto *led = qobject_cast<TBmpLED *>(widget)) {
            if (property.isEmpty()) {
                TPictureFile picture;
                if (!Load(value, picture)) return false;
                led->SetPicture(picture.Image);
            }
        }
        return true;
    }
    if (auto *collection = qobject_cast<TPicCol *>(&component)) {
        if (property.isEmpty())
            collection->PictureFile = host_.ThemesFolder + value.toString();
        else if (property == u"Generate" && value == u"Yes")
            collection->GenerateFromFile = true;
    } else if (auto *flag = qobject_cast<TDCDisruptor *>(&component)) {
        if (property.isEmpty()) {
            TPictureFile picture;
            if (!Load(value, picture)) return false;
            flag->SetBitmap(picture.Image);
            if (!picture.Image.isNull()) flag->Capture();
        }
    }
    return true;
}

bool TApplication::Finish()
{
    if (backgroundLoaded_) window_.ThemeBackgroundLoaded();
    for (TPicCol *collection : TPicColList::OwnedBy(&window_)) {
        if (collection->PictureFile.isEmpty()) continue;
        QString path = collection->PictureFile;
        path.replace(u'\\', u'/');
        TPictureFile picture;
        QString error;
        if (!LoadPictureFile(path, picture, &error)) return Fail(error);
        if (collection->GenerateFromFile) {
            collection->SetTexture(picture.Image);
            collection->Generate();
            collection->SetTexture(QImage());
        } else {
            collection->SetPicture(picture.Image);
        }
        collection->SetPicture(ToDeviceFormat(collection->Picture()));
    }
    return true;
}

} // namespace

bool ApplyTheme(const TUIMan &manager, TSkinForm *window, const TThemeHost &host)
{
    if (!window) return false;
    const int depth = host.ScreenDepth > 0 ? host.ScreenDepth : ScreenColourDepth();
    const TUIGroup *group = manager.GroupForDepth(depth);
    if (!group) return false;
    for (TPicCol *collection : TPicColList::OwnedBy(window))
        collection->Empty();
    TApplication application(*window, host);
    for (const QString &line : group->Lines())
        if (!application.Entry(line)) return false;
    return application.Finish();
}

void ApplyThemeToForm(const TUIMan &manager, TSkinForm *window, const QString &themeName,
                      const TThemeHost &host)
{
    if (themeName.isEmpty()) return;
    if (ApplyTheme(manager, window, host)) window->update();
}

void ApplyThemeToForms(const TUIMan &manager, TSkinForm *display, TSkinForm *floatbar,
                       const QString &themeName, const TThemeHost &host)
{
    if (themeName.isEmpty()) return;
    if (display) ApplyThemeToForm(manager, display, themeName, host);
    if (floatbar) ApplyThemeToForm(manager, floatbar, themeName, host);
}
