#pragma once
// The "Plug-ins" tab of the preferences: the plug-in paths of the preferences with each one's
// name and whether it is loaded, and Install (a ".tpi" file of the plug-ins folder not listed
// yet), Remove and Configure. Changes to the list take effect at the next start.
//
// Threads: main thread only.

#include <QString>
#include <QStringList>
#include <QWidget>

class QLabel;
class QPushButton;
class QTreeWidget;
class TPIHost;
class TTonariaGlobals;

class TPluginTab : public QWidget {
    Q_OBJECT

public:
    TPluginTab(TTonariaGlobals &globals, TPIHost &host, QWidget *parent = nullptr);

    // Lists the plug-in paths again, keeping the selected row.
    void Fill();
    // The name a plug-in is listed by: its title when loaded, else its file name.
    QString DisplayName(const QString &path);
    // Every ".tpi" file (any letter case) below the plug-ins folder that is not listed yet,
    // sorted.
    QStringList Installable() const;

    void sbPIInstallClick();
    void sbPIRemoveClick();
    void sbPIConfigureClick();

    QTreeWidget *lvPI;
    QPushButton *sbPIInstall, *sbPIRemove, *sbPIConfigure;
    QLabel *lPINote;

private:
    void lvPISelectItem();

    TTonariaGlobals &g_;
    TPIHost &host_;
};
