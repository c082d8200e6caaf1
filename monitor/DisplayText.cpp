#include "monitor/DisplayText.h"

#include "settings/IniFile.h"
#include "suite/SuiteIds.h"

namespace kelm {

void OsdDisplayText::ShowDisplayText(std::string_view text, bool keyboardConnected) {
    IniFile config(configPath_);
    config.WriteString(kDisplayTextSection, kDisplayTextKey, text);
    config.Save();
    if (keyboardConnected) windows_.PostMessage(kOsdTitle, MSG_OSD_SHOW_TEXT, kOsdShowTextWParam, 0);
}

}  // namespace kelm
