#include "plugins/pitext.h"

#include <QByteArray>

#include <algorithm>
#include <cstring>
#include <vector>

QString QueryPluginText(
    const std::function<std::intptr_t(std::uintptr_t buffer, std::uintptr_t size)> &ask)
{
    const std::intptr_t wanted = ask(0, 0);
    if (wanted <= 0) return {};
    const std::uintptr_t size = std::min<std::uintptr_t>(std::uintptr_t(wanted), kPITextLimit);
    // One byte more than handed over, always zero: a text without its end stops there.
    std::vector<char> buffer(size + 1, '\0');
    ask(reinterpret_cast<std::uintptr_t>(buffer.data()), size);
    buffer[size] = '\0';
    return QString::fromUtf8(buffer.data(), qsizetype(std::strlen(buffer.data())));
}

std::intptr_t AnswerPluginText(const QString &text, std::uintptr_t buffer, std::uintptr_t size)
{
    const QByteArray bytes = text.toUtf8();
    const std::intptr_t needed = std::intptr_t(bytes.size()) + 1;
    if (!buffer || size == 0) return needed;
    std::size_t n = std::min<std::size_t>(std::size_t(bytes.size()), size - 1);
    if (n < std::size_t(bytes.size())) {
        while (n > 0 && (static_cast<unsigned char>(bytes[qsizetype(n)]) & 0xC0) == 0x80)
            --n;
    }
    char *out = reinterpret_cast<char *>(buffer);
    std::memcpy(out, bytes.constData(), n);
    out[n] = '\0';
    return needed;
}
