#include "db_owner.h"

#include <QCoreApplication>
#include <QDir>

namespace store {

QString settingsFilePath()
{
    return QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("junkbane.mdb"));
}

} // namespace store
