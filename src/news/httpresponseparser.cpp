#include "news/httpresponseparser.h"

#include <algorithm>
#include <utility>

namespace {

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

bool IsBlank(char c)
{
    return c == ' ' || c == '\t';
}

QByteArrayView Trimmed(QByteArrayView text)
{
    qsizetype begin = 0, end = text.size();
    while (begin < end && IsBlank(text[begin]))
        ++begin;
    while (end > begin && IsBlank(text[end - 1]))
        --end;
    return text.sliced(begin, end - begin);
}

bool SameName(QByteArrayView a, QByteArrayView b)
{
    if (a.size() != b.size()) return false;
    for (qsizetype i = 0; i < a.size(); ++i) {
        char x = a[i], y = b[i];
        if (x >= 'A' && x <= 'Z') x = char(x - 'A' + 'a');
        if (y >= 'A' && y <= 'Z') y = char(y - 'A' + 'a');
        if (x != y) return false;
    }
    return true;
}

} // namespace

THttpResponseParser::TFeedResult THttpResponseParser::Feed(QByteArrayView data)
{
    TFeedResult result;
    if (!data.isEmpty()) anyData_ = true;
    qsizetype pos = 0;
    while (pos < data.size() && (stage_ == TStage::StatusLine || stage_ == TStage::Header)) {
        const qsizetype lf = data.indexOf('\n', pos);
        const qsizetype end = lf < 0 ? data.size() : lf;
        const qsizetype piece = end - pos;
        headerSize_ += piece + (lf < 0 ? 0 : 1);
        if (line_.size() + piece > limits_.MaxLine) {
            Fail(stage_ == TStage::StatusLine ? TFailure::BadStatusLine : TFailure::BadHeader);
            return result;
        }
        if (headerSize_ > limits_.MaxHeader) {
            Fail(TFailure::BadHeader);
            return result;
        }
        line_.append(data.sliced(pos, piece));
        if (lf < 0) return result;
        pos = lf + 1;
        if (line_.endsWith('\r')) line_.chop(1);
        const QByteArray line = std::exchange(line_, QByteArray());
        TakeLine(line);
        if (headerReceived_) result.HeaderEnded = true;
    }
    if (stage_ == TStage::Body && pos < data.size()) result.BodyBytes = TakeBody(data.sliced(pos));
    return result;
}

void THttpResponseParser::TakeLine(QByteArrayView line)
{
    if (stage_ == TStage::StatusLine) {
        TakeStatusLine(line);
        return;
    }
    if (line.isEmpty()) {
        headerReceived_ = true;
        stage_ = contentLength_ && *contentLength_ == 0 ? TStage::Done : TStage::Body;
        return;
    }
    TakeHeaderLine(line);
}

void THttpResponseParser::TakeStatusLine(QByteArrayView line)
{
    // "HTTP/" version, one or more blanks, three digits, then the end or a blank and the reason.
    if (!line.startsWith("HTTP/")) return Fail(TFailure::BadStatusLine);
    qsizetype pos = 5;
    while (pos < line.size() && !IsBlank(line[pos]))
        ++pos;
    if (pos == 5 || pos >= line.size()) return Fail(TFailure::BadStatusLine);
    while (pos < line.size() && IsBlank(line[pos]))
        ++pos;
    if (line.size() - pos < 3) return Fail(TFailure::BadStatusLine);
    for (qsizetype i = pos; i < pos + 3; ++i)
        if (!IsDigit(line[i])) return Fail(TFailure::BadStatusLine);
    const qsizetype after = pos + 3;
    if (after < line.size() && !IsBlank(line[after])) return Fail(TFailure::BadStatusLine);
    statusCode_ = (line[pos] - '0') * 100 + (line[pos + 1] - '0') * 10 + (line[pos + 2] - '0');
    reason_ = QString::fromLatin1(Trimmed(line.sliced(after)));
    lastLine_ = QString::fromLatin1(line);
    stage_ = TStage::Header;
}

void THttpResponseParser::TakeHeaderLine(QByteArrayView line)
{
    lastLine_ = QString::fromLatin1(line);
    const qsizetype colon = line.indexOf(':');
    if (colon <= 0) return;
    if (!SameName(Trimmed(line.first(colon)), "Content-Length")) return;
    const QByteArrayView value = Trimmed(line.sliced(colon + 1));
    if (value.isEmpty() || value.size() > 18) return Fail(TFailure::BadHeader);
    qint64 length = 0;
    for (const char c : value) {
        if (!IsDigit(c)) return Fail(TFailure::BadHeader);
        length = length * 10 + (c - '0');
    }
    if (length > limits_.MaxBody) return Fail(TFailure::TooLarge);
    contentLength_ = length;
}

qsizetype THttpResponseParser::TakeBody(QByteArrayView data)
{
    qsizetype take = data.size();
    if (contentLength_) take = std::min<qint64>(take, *contentLength_ - body_.size());
    if (body_.size() + take > limits_.MaxBody) {
        Fail(TFailure::TooLarge);
        return 0;
    }
    body_.append(data.first(take));
    if (contentLength_ && body_.size() == *contentLength_) stage_ = TStage::Done;
    return take;
}

void THttpResponseParser::Finish()
{
    switch (stage_) {
    case TStage::StatusLine:
        // A server that answers with a status line but no line end has still answered.
        if (!line_.isEmpty()) {
            const QByteArray line = std::exchange(line_, QByteArray());
            TakeStatusLine(line);
            if (Failed()) return;
            return Fail(TFailure::BadHeader);
        }
        return Fail(anyData_ ? TFailure::BadStatusLine : TFailure::NoResponse);
    case TStage::Header:
        return Fail(TFailure::BadHeader);
    case TStage::Body:
        if (contentLength_ && body_.size() < *contentLength_) return Fail(TFailure::Truncated);
        stage_ = TStage::Done;
        return;
    case TStage::Done:
    case TStage::Failed:
        return;
    }
}

void THttpResponseParser::Fail(TFailure failure)
{
    stage_ = TStage::Failed;
    failure_ = failure;
    line_.clear();
}
