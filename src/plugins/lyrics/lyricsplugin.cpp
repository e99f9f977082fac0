#include "lyricsplugin.h"

#include "lyricswindow.h"

#include <QApplication>

#include <algorithm>
#include <cstring>

TLyricsPlugin::~TLyricsPlugin()
{
    CloseWindow();
}

void TLyricsPlugin::Handle(TPIMessage &message)
{
    switch (message.Msg & 0xFFFFu) {
    case PI_SETHOST:
        host_ = TPIHostLink(reinterpret_cast<TPIProc>(message.WParam), message.LParam);
        message.Result = host_.Valid() ? 1 : 0;
        break;
    case PI_START:
        if (host_.Valid() && viewId_ < 0) viewId_ = host_.RegisterView();
        break;
    case PI_SHUTDOWN:
        CloseWindow();
        break;
    case PI_CONFIGURE:
        message.Result = 0;
        break;
    case PI_NOTIFYCONTROLS:
    case PI_NOTIFYDISPLAY:
        if (Shown()) window_.data()->HostRefreshed();
        break;
    case PI_VIEWMSG:
        if (viewId_ >= 0 && message.WParam == std::uintptr_t(viewId_) && message.LParam)
            message.Result = ViewMessage(*reinterpret_cast<TPISubMessage *>(message.LParam));
        break;
    default:
        break;
    }
}

std::intptr_t TLyricsPlugin::ViewMessage(TPISubMessage &message)
{
    switch (message.Msg) {
    case VM_ISVISIBLE:
        return Shown() ? 1 : 0;
    case VM_SETVISIBLE:
        SetVisible(message.Param1 != 0);
        return 0;
    case VM_GETCAPTION:
        return AnswerText(Caption, message.Param1, message.Param2);
    default:
        return 0;
    }
}

bool TLyricsPlugin::Shown() const
{
    const TLyricsWindow *window = window_.data();
    return window != nullptr && window->isVisible();
}

void TLyricsPlugin::SetVisible(bool visible)
{
    TLyricsWindow *window = window_.data();
    if (!visible) {
        if (window) window->hide();
        return;
    }
    if (!window) {
        window = new TLyricsWindow(host_);
        window_ = window;
    }
    window->show();
    window->raise();
    window->activateWindow();
}

void TLyricsPlugin::CloseWindow()
{
    delete window_.data();
}

std::intptr_t TLyricsPlugin::AnswerText(const QByteArray &text, std::uintptr_t buffer,
                                        std::uintptr_t size)
{
    if (buffer && size > 0) {
        std::size_t n = std::min<std::size_t>(std::size_t(text.size()), size - 1);
        // Never half a character.
        if (n < std::size_t(text.size()))
            while (n > 0 && (static_cast<unsigned char>(text[qsizetype(n)]) & 0xC0) == 0x80)
                --n;
        auto *out = reinterpret_cast<char *>(buffer);
        std::memcpy(out, text.constData(), n);
        out[n] = '\0';
    }
    return std::intptr_t(text.size()) + 1;
}

namespace {

TLyricsPlugin *gPlugin = nullptr;

// The texts of the plug-in's own queries.
const char *QueryText(std::uint32_t code)
{
    switch (code) {
    case PI_GETNAME:
        return TLyricsPlugin::Name;
    case PI_GETTITLE:
        return TLyricsPlugin::Title;
    case PI_GETABOUT:
        return TLyricsPlugin::About;
    default:
        return nullptr;
    }
}

} // namespace

extern "C" TONARIA_EXPORT void PIProc(TPIMessage *message)
{
    if (!message) return;
    const std::uint32_t code = message->Msg & 0xFFFFu;
    if (const char *text = QueryText(code)) {
        message->Result = TLyricsPlugin::AnswerText(text, message->WParam, message->LParam);
        return;
    }
    switch (code) {
    case PI_INITIALIZE:
        // A view needs the program's widgets.
        if (!qobject_cast<QApplication *>(QCoreApplication::instance())) {
            message->Result = 0;
            return;
        }
        delete gPlugin;
        gPlugin = new TLyricsPlugin;
        message->Result = 1;
        return;
    case PI_FINALIZE:
        delete gPlugin;
        gPlugin = nullptr;
        return;
    default:
        if (gPlugin) gPlugin->Handle(*message);
        return;
    }
}
