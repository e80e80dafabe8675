#include "settings_file.h"

#include "data_folder.h"
#include "settings_init.h"

#include <QDir>

namespace store {

QString settingsFilePath()
{
    return QDir(dataFolder()).filePath(QString::fromLatin1(kSettingsFileName));
}

std::unique_ptr<Connection> openSettings()
{
    return Connection::open(settingsFilePath());
}

} // namespace store
