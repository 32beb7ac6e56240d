#pragma once

#include <QString>

// The folder for the program's own files (lock settings, browser history):
// $KEYSTOW_DATA_DIR when set, otherwise the per-user application data folder. Empty when
// neither can be found; callers then neither read nor write.
QString KeystowDataFolder();
