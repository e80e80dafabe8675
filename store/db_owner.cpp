#include "db_owner.h"

#include <QCoreApplication>
#include <QDir>

namespace store {

QString settingsFilePath()
{
    return QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("junkbane.mdb"));
}

std::unique_ptr<Connection> openSettings()
{
    return Connection::open(settingsFilePath());
}

} // namespace store
