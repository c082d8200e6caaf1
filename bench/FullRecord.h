// A settings record with every field used to the full: the worst case the
// settings files have to carry.
#pragma once

#include "settings/SettingsRecord.h"

namespace kelm::bench {

// Five profiles, all 58 keys holding 500-event macros, every name and path
// as long as its field allows; slot 0 current.
void FillFullRecord(SettingsRecord& record);
// Changes every value a profile file stores, and the key-repeat values of
// the current profile; names keep their length.
void ChangeEveryValue(SettingsRecord& record);

}  // namespace kelm::bench
