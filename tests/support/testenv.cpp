#include "support/testenv.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cstdlib>

TTestEnvironment::TTestEnvironment()
{
    hadHome_ = qEnvironmentVariableIsSet("TONARIA_HOME");
    hadConfig_ = qEnvironmentVariableIsSet("TONARIA_CONFIG");
    oldHome_ = qgetenv("TONARIA_HOME");
    oldConfig_ = qgetenv("TONARIA_CONFIG");
    // A home with an albums folder of its own: the demo album of a first start stays out.
    QDir(dir_.path()).mkpath(QStringLiteral("home/Albums"));
    QDir(dir_.path()).mkpath(QStringLiteral("scratch"));
    qputenv("TONARIA_HOME", home().toUtf8());
    qputenv("TONARIA_CONFIG", config().toUtf8());
}

TTestEnvironment::~TTestEnvironment()
{
    if (hadHome_)
        qputenv("TONARIA_HOME", oldHome_);
    else
        qunsetenv("TONARIA_HOME");
    if (hadConfig_)
        qputenv("TONARIA_CONFIG", oldConfig_);
    else
        qunsetenv("TONARIA_CONFIG");
}

QString TTestEnvironment::home() const
{
    return dir_.path() + QStringLiteral("/home/");
}
QString TTestEnvironment::config() const
{
    return dir_.path() + QStringLiteral("/registry.reg");
}
QString TTestEnvironment::scratch() const
{
    return dir_.path() + QStringLiteral("/scratch/");
}

QString TTestEnvironment::writeFile(const QString &relativeName, const QByteArray &bytes) const
{
    const QString path = scratch() + relativeName;
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    if (f.open(QIODevice::WriteOnly)) f.write(bytes);
    return path;
}

QByteArray TTestEnvironment::readFile(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QString TTestEnvironment::sourceData()
{
    return qEnvironmentVariable("TONARIA_SOURCE_DIR", QStringLiteral(".")) +
           QStringLiteral("/data/");
}
