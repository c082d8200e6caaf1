// The numbers of the configuration program's texts, which are the keys of
// the per-language help files (help/<Language>_help.ini, section [Strings]).
//
// Numbers below 1100 are the ones the keyboard's help libraries have always
// used, so that translations made for them stay valid; the program's other
// texts take 1100 to 1299. These are text numbers only: they share nothing
// with the menu command numbers of the key-assignment pages, some of which
// look alike.
//
// Texts holding "%d" take a number through WithNumber (LanguageTexts.h).
#pragma once

#include <array>

namespace kelm {

// One list, expanded below into the enumeration and into the table of every
// id, so the table cannot miss a text. X(name, number).
#define KELM_SETUP_TEXT_LIST(X)                                                       \
    /* Key-assignment pages: tooltips of the slots and of the macro manager button */ \
    X(kMacroKeySlotTip, 1006) /* M1-M5 slots */                                       \
    X(kThumbKeySlotTip, 1007) /* T1-T3 slots */                                       \
    X(kCapsLockSlotTip, 1008) /* CapsLk slot */                                       \
    X(kDuoLayerSlotTip, 1010) /* the DuoLayer slots EM1-EM5, ET1-ET3, ECapsLk */      \
    X(kHotGridSlotTip, 1035)  /* each Hot Grid slot */                                \
    X(kMacroManagerTip, 1037) /* "Macro Manager" button of every page */              \
    /* Advanced page: tooltips shown in the help line, and the Reset caption */       \
    X(kRepeatDelayTip, 1045)                                                          \
    X(kRepeatRateTip, 1046)                                                           \
    X(kRepeatTestTip, 1047)                                                           \
    X(kBrightnessTip, 1048)                                                           \
    X(kDimmerTip, 1049)                                                               \
    X(kTimeOutTip, 1050)                                                              \
    X(kSwitchableKeysTip, 1051) /* the six switchable key buttons */                  \
    X(kSoundVolumeTip, 1052)                                                          \
    X(kSoundProfileSwitchTip, 1053)                                                   \
    X(kSoundLiveRecordingTip, 1054)                                                   \
    X(kResetTip, 1055)                                                                \
    X(kResetCaption, 1056)                                                            \
    /* Update page: the five button captions, in layout order */                      \
    X(kUpdateButton, 1059)                                                            \
    X(kHelpButton, 1060)                                                              \
    X(kEmailButton, 1061)                                                             \
    X(kSupportFormButton, 1062)                                                       \
    X(kFeedbackButton, 1063)                                                          \
    /* Main window: captions of the tabs and buttons */                               \
    X(kTabMain, 1100)                                                                 \
    X(kTabHotGrid, 1101)                                                              \
    X(kTabMediaF, 1102)                                                               \
    X(kTabAdvanced, 1103)                                                             \
    X(kTabUpdate, 1104)                                                               \
    X(kCreateButton, 1105)                                                            \
    X(kLoadButton, 1106)                                                              \
    X(kSaveButton, 1107)                                                              \
    X(kEditButton, 1108)                                                              \
    X(kOkButton, 1109) /* also the OK of every dialog */                              \
    X(kApplyButton, 1110)                                                             \
    X(kCancelButton, 1111) /* also the Cancel of every dialog */                      \
    X(kSlotButton, 1112)   /* %d: slot 1..5 */                                        \
    /* Main window: tooltips */                                                       \
    X(kTabMainTip, 1120)                                                              \
    X(kTabHotGridTip, 1121)                                                           \
    X(kTabMediaFTip, 1122)                                                            \
    X(kTabAdvancedTip, 1123)                                                          \
    X(kTabUpdateTip, 1124)                                                            \
    X(kCreateTip, 1125)                                                               \
    X(kLoadTip, 1126)                                                                 \
    X(kSaveTip, 1127)                                                                 \
    X(kEditTip, 1128)                                                                 \
    X(kSlotButtonTip, 1129) /* %d: slot 1..5 */                                       \
    X(kSlotNameTip, 1130)   /* %d: slot 1..5 */                                       \
    X(kWindowsProfileTip, 1131)                                                       \
    X(kLanguageTip, 1132)                                                             \
    X(kMinimizeTip, 1133)                                                             \
    X(kExitTip, 1134)                                                                 \
    X(kOkTip, 1135)                                                                   \
    X(kApplyTip, 1136)                                                                \
    X(kCancelTip, 1137)                                                               \
    /* Dialogs of the main window and of the Advanced page */                         \
    X(kWindowsProfileQuestion, 1140) /* %d: slot 1..5 */                              \
    X(kCreateProfileTitle, 1141)                                                      \
    X(kEditProfileTitle, 1142)                                                        \
    X(kProfileNameLabel, 1143)                                                        \
    X(kGameProgramsLabel, 1144)                                                       \
    X(kGameProgramsHint, 1145)                                                        \
    X(kBrowseTip, 1146)                                                               \
    X(kResetQuestion, 1147)                                                           \
    /* Update page labels and the main window's messages */                           \
    X(kFirmwareVersionLabel, 1160)                                                    \
    X(kProgramVersionLabel, 1161)                                                     \
    X(kSavedWithoutMonitor, 1162)                                                     \
    X(kSharedBlockError, 1163)                                                        \
    X(kApplyingNotice, 1164)                                                          \
    X(kKeyboardMissedIt, 1165)                                                        \
    X(kFilesNotSaved, 1166)                                                           \
    /* Dimmer menu of the Advanced page, DimmerOption 0..5 */                         \
    X(kDimmerOff, 1180)                                                               \
    X(kDimmer20, 1181)                                                                \
    X(kDimmer40, 1182)                                                                \
    X(kDimmer60, 1183)                                                                \
    X(kDimmer80, 1184)                                                                \
    X(kDimmer100, 1185)                                                               \
    /* Language chooser: each language named in itself, by language index; the    */  \
    /* same in every language, so only the English file holds them               */   \
    X(kLanguageDanish, 1200)                                                          \
    X(kLanguageEnglish, 1201)                                                         \
    X(kLanguageFinnish, 1202)                                                         \
    X(kLanguageFrench, 1203)                                                          \
    X(kLanguageGerman, 1204)                                                          \
    X(kLanguageItalian, 1205)                                                         \
    X(kLanguageJapanese, 1206)                                                        \
    X(kLanguageKorean, 1207)                                                          \
    X(kLanguagePolish, 1208)                                                          \
    X(kLanguageRussian, 1209)                                                         \
    X(kLanguageSimplChinese, 1210)                                                    \
    X(kLanguageSpanish, 1211)                                                         \
    X(kLanguageSwedish, 1212)                                                         \
    X(kLanguageThai, 1213)                                                            \
    X(kLanguageTradChinese, 1214)                                                     \
    X(kLanguageTurkish, 1215)                                                         \
    X(kLanguageVietnamese, 1216)                                                      \
    /* Advanced page: headings and the captions of its controls */                    \
    X(kRepeatHeading, 1240)                                                           \
    X(kRepeatDelayLabel, 1241)                                                        \
    X(kRepeatRateLabel, 1242)                                                         \
    X(kRepeatTestLabel, 1243)                                                         \
    X(kIlluminationHeading, 1244)                                                     \
    X(kBrightnessLabel, 1245)                                                         \
    X(kDimmerLabel, 1246)                                                             \
    X(kTimeOutLabel, 1247)                                                            \
    X(kKeysHeading, 1248)                                                             \
    X(kKeyTab, 1249)                                                                  \
    X(kKeyCapsLock, 1250)                                                             \
    X(kKeyLeftWindows, 1251)                                                          \
    X(kKeyRightWindows, 1252)                                                         \
    X(kKeyApp, 1253)                                                                  \
    X(kKeyLeftShift, 1254)                                                            \
    X(kSoundHeading, 1255)                                                            \
    X(kSoundProfileSwitchLabel, 1256)                                                 \
    X(kSoundLiveRecordingLabel, 1257)                                                 \
    X(kSoundSensitivityLabel, 1258)                                                   \
    X(kSoundVolumeUpDownLabel, 1259)                                                  \
    X(kSoundVolumeLabel, 1260)                                                        \
    X(kUpdateHeading, 1261)                                                           \
    X(kSupportHeading, 1262)                                                          \
    /* Key-assignment pages (1270-1299) */                                            \
    X(kHotGridHeading, 1270)                                                          \
    X(kHotGridNote, 1271)                                                             \
    X(kMacroKeysHeading, 1272)                                                        \
    X(kStandardLayerHeading, 1273)                                                    \
    X(kDuoLayerHeading, 1274)                                                         \
    X(kInactiveSlotNote, 1275)                                                        \
    X(kMediaFHeading, 1276)                                                           \
    X(kMediaPlayerLabel, 1277)                                                        \
    X(kMediaPlayerTip, 1278)                                                          \
    X(kFKeySlotTip, 1279)                                                             \
    X(kMultimediaKeySlotTip, 1280)                                                    \
    X(kMacroManagerButton, 1281)                                                      \
    X(kKeyPageHint, 1282)                                                             \
    /* Shortcut, quick-launch and timer dialogs (1300-1339) */                        \
    X(kShortcutTitle, 1300)                                                           \
    X(kShortcutHint, 1301)                                                            \
    X(kShortcutPressKey, 1302) /* empty key field */                                  \
    X(kShortcutNoneBox, 1303)                                                         \
    X(kShortcutShiftBox, 1304)                                                        \
    X(kShortcutCtrlBox, 1305)                                                         \
    X(kShortcutAltBox, 1306)                                                          \
    X(kShortcutWinBox, 1307)                                                          \
    X(kQuickLaunchTitle, 1310)                                                        \
    X(kQuickLaunchLabel, 1311)                                                        \
    X(kQuickLaunchProgramsFilter, 1312)                                               \
    X(kQuickLaunchAllFilesFilter, 1313)                                               \
    X(kQuickLaunchTooLong, 1314) /* %d: most bytes */                                 \
    X(kCreateTimerTitle, 1320)                                                        \
    X(kEditTimerTitle, 1321)                                                          \
    X(kTimerChooseLabel, 1322)                                                        \
    X(kTimerNameLabel, 1323)                                                          \
    X(kTimerSecondsLabel, 1324)                                                       \
    X(kTimerSecondsUnit, 1325)                                                        \
    X(kTimerSaveButton, 1326)                                                         \
    X(kTimerDeleteButton, 1327)                                                       \
    X(kTimerChoosePrompt, 1328) /* LIST_TIMER before a choice */                      \
    X(kTimerDeleteQuestion, 1329)                                                     \
    X(kTimerNameEmpty, 1330)                                                          \
    X(kTimerNameTooLong, 1331) /* %d: most characters */                              \
    X(kTimerNameTaken, 1332)                                                          \
    X(kTimerSecondsRange, 1333)                                                       \
    X(kTimerListFull, 1334) /* %d: most timers */                                     \
    X(kTimerNoneChosen, 1335)                                                         \
    X(kTimerSaved, 1336)                                                              \
    X(kTimerNameHint, 1337) /* %d: most characters */                                 \
    /* Macro manager (1340-1399) */                                                   \
    X(kMacroSetCaption, 1340)                                                         \
    X(kNewMacroButton, 1341)                                                          \
    X(kDeleteMacroButton, 1342)                                                       \
    X(kTimelineEditorButton, 1343)  /* Switch_editor in the event list */             \
    X(kEventListEditorButton, 1344) /* and in the timeline */                         \
    X(kKeySequenceCaption, 1345)                                                      \
    X(kStartRecordButton, 1346)                                                       \
    X(kStopRecordButton, 1347)                                                        \
    X(kRecordDelaysSwitch, 1348)                                                      \
    X(kRepeatSwitch, 1349)                                                            \
    X(kRepeatTimesCaption, 1350)                                                      \
    X(kRecordHint, 1351)                                                              \
    X(kRecordingAllKeys, 1352)    /* the keyboard is grabbed */                       \
    X(kRecordingWindowKeys, 1353) /* the window's keys only */                        \
    X(kRecordingFull, 1354)                                                           \
    X(kRecordingLost, 1355)                                                           \
    X(kAddSetTitle, 1356)                                                             \
    X(kRenameSetTitle, 1357)                                                          \
    X(kSetNameCaption, 1358)                                                          \
    X(kDeleteSetQuestion, 1359)                                                       \
    X(kDeleteMacroQuestion, 1360)                                                     \
    X(kNoSetNotice, 1361)                                                             \
    X(kNoMacroNotice, 1362)                                                           \
    X(kDuplicateNameNotice, 1363)                                                     \
    X(kReservedNameNotice, 1364)                                                      \
    X(kNameTooLongNotice, 1365)                                                       \
    X(kBadCharacterNotice, 1366)                                                      \
    X(kSetsFullNotice, 1367)                                                          \
    X(kMacrosFullNotice, 1368)                                                        \
    X(kEventsFullNotice, 1369)                                                        \
    X(kTimelineDroppedNote, 1370) /* %d: events left out */                           \
    X(kTimelineDroppedQuestion, 1371)                                                 \
    X(kTimelineSelectBar, 1372)                                                       \
    X(kTimelineHint, 1373)                                                            \
    X(kTimelineAddTip, 1374)                                                          \
    X(kTimelineDeleteTip, 1375)                                                       \
    X(kZoomInTip, 1376)                                                               \
    X(kZoomOutTip, 1377)

enum class TextId : int {
#define KELM_TEXT_ID_ENUMERATOR(name, number) name = number,
    KELM_SETUP_TEXT_LIST(KELM_TEXT_ID_ENUMERATOR)
#undef KELM_TEXT_ID_ENUMERATOR
};

inline constexpr auto kAllTextIds = std::to_array<TextId>({
#define KELM_TEXT_ID_ENTRY(name, number) TextId::name,
    KELM_SETUP_TEXT_LIST(KELM_TEXT_ID_ENTRY)
#undef KELM_TEXT_ID_ENTRY
});

inline constexpr int kLanguageCount = 17;
inline constexpr int kEnglishLanguageIndex = 1;

static_assert(static_cast<int>(TextId::kLanguageVietnamese) - static_cast<int>(TextId::kLanguageDanish) ==
                  kLanguageCount - 1,
              "the language names must stay in language index order");

// The name of a language in itself, for languageIndex 0..16; any other
// index names English, as it selects the English texts.
constexpr TextId LanguageNameId(int languageIndex) {
    if (languageIndex < 0 || languageIndex >= kLanguageCount) languageIndex = kEnglishLanguageIndex;
    return static_cast<TextId>(static_cast<int>(TextId::kLanguageDanish) + languageIndex);
}

}  // namespace kelm
