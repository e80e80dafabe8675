#include "settings_fixture.h"

#include "data_folder.h"

#include <QDir>
#include <QFile>
#include <QProcess>

#include <gtest/gtest.h>

int runInitDb(const QString& folder, QString* output)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(QStringLiteral(JUNKBANE_INITDB), {folder});
    if (!process.waitForFinished(30000))
        return -1;
    if (output)
        *output = QString::fromUtf8(process.readAll());
    return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
}

SettingsFixture::SettingsFixture()
{
    QFile::remove(databasePath());
    QDir(tempFolder()).removeRecursively();
    QDir(deletedFolder()).removeRecursively();
    QFile::remove(deletedFolder()); // a test may put a file in its place
    QString output;
    const int code = runInitDb(folder(), &output);
    if (code != 0)
        ADD_FAILURE() << "junkbane-initdb failed: " << output.toStdString();
    QDir(folder()).mkdir(QStringLiteral("temp"));
}

SettingsFixture::~SettingsFixture()
{
    QFile::remove(databasePath());
    QDir(tempFolder()).removeRecursively();
    QDir(deletedFolder()).removeRecursively();
    QFile::remove(deletedFolder()); // a test may put a file in its place
}

QString SettingsFixture::folder()
{
    return store::dataFolder();
}

QString SettingsFixture::databasePath()
{
    return QDir(folder()).filePath(QStringLiteral("junkbane.mdb"));
}

QString SettingsFixture::tempFolder()
{
    return QDir(folder()).filePath(QStringLiteral("temp"));
}

QString SettingsFixture::deletedFolder()
{
    return QDir(folder()).filePath(QStringLiteral("deleted"));
}

std::unique_ptr<store::Connection> SettingsFixture::connect() const
{
    return store::Connection::open(databasePath());
}

void SettingsFixture::execute(const QString& statement) const
{
    connect()->Execute(statement);
}

QStringList SettingsFixture::column(const QString& query, const QString& name) const
{
    QStringList values;
    const auto connection = connect();
    for (auto rows = connection->Execute(query); !rows->eof(); rows->moveNext())
        values.append(rows->value(name).toString());
    return values;
}
