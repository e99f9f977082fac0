#pragma once
// A picture collection: one image that is a horizontal strip of equally wide pictures, the
// picture source of any number of bitmap buttons of one size. A theme names the strip's file,
// or a texture from which the five button pictures are generated.
//
// The skinned windows keep their collections in one process-wide list, by owner, so that a
// theme finds the collections of the window it is applied to.
//
// Threads: main thread only.

#include <QImage>
#include <QObject>
#include <QString>

#include <functional>
#include <vector>

class TPicCol : public QObject {
    Q_OBJECT
public:
    explicit TPicCol(QObject *owner = nullptr, int cols = 5);
    ~TPicCol() override;

    int Cols() const { return cols_; }
    void SetCols(int cols);

    // The strip. Setting it copies the image; Changed follows.
    const QImage &Picture() const { return picture_; }
    void SetPicture(const QImage &picture);
    // The source of generation; empty except while generating.
    const QImage &Texture() const { return texture_; }
    void SetTexture(const QImage &texture) { texture_ = texture; }

    // Source file set by a theme, loaded when the theme is applied; and whether it is a texture.
    QString PictureFile;
    bool GenerateFromFile = false;

    // Generation handler; Generate() calls it with this collection.
    std::function<void(TPicCol &)> OnGenerate;
    void Generate();

    // Width of one picture (0 with no columns) and height of the strip.
    int Width() const { return cols_ > 0 ? picture_.width() / cols_ : 0; }
    int Height() const { return picture_.height(); }

    // Picture index of the strip, in a buffer that stays valid until the next call (the caller
    // does not own it). With an empty strip, the buffer as it was. An index outside the strip
    // gives a blank picture.
    const QImage *GetPicture(int index);

    // Drops the strip, the texture and the file name.
    void Empty();

    // The generation handler the skinned windows give their button collections: the texture
    // becomes the five-picture strip (up, pressed, fly-over, selected, disabled).
    static void GenerateFiveCells(TPicCol &collection);

signals:
    // The strip changed: the buttons showing it repaint.
    void Changed();

private:
    int cols_;
    QImage picture_;
    QImage texture_;
    QImage buffer_;
};

// The process-wide list of the skinned windows' picture collections.
class TPicColList {
public:
    // Adds a collection once.
    static void Add(TPicCol *collection);
    static void Remove(TPicCol *collection);
    // Removes every collection whose owner (QObject parent) is owner.
    static void RemoveOwnedBy(const QObject *owner);
    // The collections of an owner, in the order they were added.
    static std::vector<TPicCol *> OwnedBy(const QObject *owner);
    static bool Contains(const TPicCol *collection);
};
