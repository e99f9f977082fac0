#pragma once
// Each test runs in a world of its own: a fresh program folder (TONARIA_HOME) and a fresh
// configuration file (TONARIA_CONFIG), removed when the test ends.
#include <QByteArray>
#include <QString>
#include <QTemporaryDir>

class TTestEnvironment {
public:
    TTestEnvironment();
    ~TTestEnvironment();
    TTestEnvironment(const TTestEnvironment &) = delete;
    TTestEnvironment &operator=(const TTestEnvironment &) = delete;

    // The program folder, ending in "/".
    QString home() const;
    // The registry file's path (not created).
    QString config() const;
    // A scratch folder for the test's own files, ending in "/".
    QString scratch() const;

    // Writes a file below the scratch folder and returns its path.
    QString writeFile(const QString &relativeName, const QByteArray &bytes) const;
    // The whole of any file; empty if it cannot be read.
    static QByteArray readFile(const QString &path);

    // The source tree's data/ folder, ending in "/".
    static QString sourceData();

private:
    QTemporaryDir dir_;
    QByteArray oldHome_, oldConfig_;
    bool hadHome_ = false, hadConfig_ = false;
};
