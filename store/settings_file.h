#pragma once

#include "connection.h"

#include <QString>

#include <memory>

namespace store {

// Where the settings database lives: junkbane.mdb in the data folder (see data_folder.h),
// looked up afresh at every open.
QString settingsFilePath();

// Opens the settings database for one operation: a window's click, a sweep step. The
// connection is released when the caller drops it, on every path, a failure included.
std::unique_ptr<Connection> openSettings();

} // namespace store
