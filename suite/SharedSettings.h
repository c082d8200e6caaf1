// KelmWatch's shared settings block as the configuration program reaches
// it: opened, never created (it lives only while the monitor runs), and
// copied whole in either direction while holding the block's mutex.
#pragma once

#include <string>

#include "platform/NamedMutex.h"
#include "platform/SharedMapping.h"
#include "settings/SettingsRecord.h"

namespace kelm {

class SharedSettings {
public:
    // False when KelmWatch holds no block or no mutex by their names.
    bool Open();

    // False when the mutex cannot be taken, or when a program ended while
    // holding it: what it left in the block is not to be trusted.
    bool Read(SettingsRecord& record);
    // Only the current slot and its profile's name, for a program that
    // looks often (the whole record is some 700 KB); false as Read, or
    // when the block names no valid slot.
    bool ReadCurrentProfile(int& slot, std::string& name);
    // The whole record replaces whatever a dead holder left; false only
    // when the mutex cannot be taken.
    bool Write(const SettingsRecord& record);

private:
    NamedMutex mutex_;
    SharedMapping block_;
};

}  // namespace kelm
