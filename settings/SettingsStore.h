// Loading and saving the whole record: config.ini, the five slot files and
// the registry stand-in's key-repeat values.
#pragma once

#include "settings/SettingsRecord.h"
#include "settings/StoreLocation.h"

namespace kelm {

// The caller clears the record first. Always 1: missing files and keys
// give their defaults.
int LoadAll(SettingsRecord& record, const StoreLocation& where);
// 1 when every file was written, 0 when any could not be (the others are
// still written; no file is ever left half-written).
int SaveAll(const SettingsRecord& record, const StoreLocation& where);

}  // namespace kelm
