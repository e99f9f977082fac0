#pragma once
// The "File Associations" tab of the preferences: the file types Tonaria can be made to open,
// with the application that opens each now, and "Associate" for the selected one.
//
// Associating a type points its classes-root key at "Tonaria3.MediaFile", makes Tonaria the
// desktop's default for the type's MIME types, and saves the preferences (which write the
// class itself). A type this build cannot play stays listed, marked as not supported.
//
// Threads: main thread only.

#include <QString>
#include <QWidget>

#include <functional>

class QPushButton;
class QTreeWidget;
class TTonariaGlobals;

// What the tab asks of the desktop; TDesktopAssociations unless replaced.
struct TAssocDesktop {
    std::function<bool(const QString &extension)> Supported;
    std::function<QString(const QString &extension)> CurrentDefault;
    std::function<bool(const QString &extension)> IsTonariaDefault;
    std::function<bool(const QString &extension, QString *error)> Associate;
    static TAssocDesktop System();
};

class TAssocTab : public QWidget {
    Q_OBJECT

public:
    explicit TAssocTab(TTonariaGlobals &globals, QWidget *parent = nullptr);

    // The rows in the order they are listed: caption and extension (with the dot).
    struct TFileType {
        const char *caption;
        const char *extension;
    };
    static const TFileType kFileTypes[4];

    TAssocDesktop Desktop = TAssocDesktop::System();

    // Lists the types again and selects the first.
    void Fill();
    // Whether the row is associated with Tonaria now.
    bool RowAssociated(int row) const;
    void sbAssocClick();

    QTreeWidget *lvAssoc;
    QPushButton *sbAssoc;

private:
    void lvAssocSelectItem();

    TTonariaGlobals &g_;
};
