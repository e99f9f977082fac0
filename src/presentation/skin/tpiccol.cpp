#include "presentation/skin/tpiccol.h"

#include "presentation/skin/pixelops.h"

#include <QPainter>

#include <algorithm>

namespace {

std::vector<TPicCol *> &collections()
{
    static std::vector<TPicCol *> list;
    return list;
}

} // namespace

TPicCol::TPicCol(QObject *owner, int cols) : QObject(owner), cols_(cols) {}

TPicCol::~TPicCol()
{
    TPicColList::Remove(this);
}

void TPicCol::SetCols(int cols)
{
    if (cols_ == cols) return;
    cols_ = cols;
    emit Changed();
}

void TPicCol::SetPicture(const QImage &picture)
{
    picture_ = picture;
    emit Changed();
}

void TPicCol::Generate()
{
    if (OnGenerate) OnGenerate(*this);
}

const QImage *TPicCol::GetPicture(int index)
{
    if (picture_.isNull() || picture_.width() == 0) return &buffer_;
    const int w = Width(), h = Height();
    if (buffer_.size() != QSize(w, h) || buffer_.format() != picture_.format())
        buffer_ = QImage(w, h, picture_.format());
    buffer_.fill(picture_.hasAlphaChannel() ? Qt::transparent : Qt::black);
    if (w > 0 && h > 0) {
        QPainter p(&buffer_);
        p.setCompositionMode(QPainter::CompositionMode_Source);
        p.drawImage(QPoint(0, 0), picture_, QRect(w * index, 0, w, h));
    }
    return &buffer_;
}

void TPicCol::Empty()
{
    PictureFile.clear();
    GenerateFromFile = false;
    texture_ = QImage();
    buffer_ = QImage();
    SetPicture(QImage());
}

void TPicCol::GenerateFiveCells(TPicCol &collection)
{
    if (collection.Texture().isNull()) return;
    collection.SetPicture(GenerateButtonStrip(collection.Texture()));
}

void TPicColList::Add(TPicCol *collection)
{
    if (collection && !Contains(collection)) collections().push_back(collection);
}

void TPicColList::Remove(TPicCol *collection)
{
    auto &list = collections();
    list.erase(std::remove(list.begin(), list.end(), collection), list.end());
}

void TPicColList::RemoveOwnedBy(const QObject *owner)
{
    auto &list = collections();
    list.erase(std::remove_if(list.begin(), list.end(),
                              [owner](TPicCol *c) { return c->parent() == owner; }),
               list.end());
}

std::vector<TPicCol *> TPicColList::OwnedBy(const QObject *owner)
{
    std::vector<TPicCol *> out;
    for (TPicCol *c : collections())
        if (c->parent() == owner) out.push_back(c);
    return out;
}

bool TPicColList::Contains(const TPicCol *collection)
{
    const auto &list = collections();
    return std::find(list.begin(), list.end(), collection) != list.end();
}
