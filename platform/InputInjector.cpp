#include "platform/InputInjector.h"

#include <unistd.h>

#include <algorithm>

#include "platform/Debug.h"
#include "platform/Environment.h"
#include "platform/UinputInjector.h"

namespace kelm {

namespace {

const char* KindName(InjectorKind kind) { return kind == InjectorKind::XTest ? "XTest" : "uinput"; }

}  // namespace

std::vector<InjectorKind> InjectorCandidates(const InjectionSetting& setting) {
    if (setting.requested == "xtest") return {InjectorKind::XTest};
    if (setting.requested == "uinput") return {InjectorKind::Uinput};
    std::vector<InjectorKind> kinds;
    if (setting.wayland && setting.uinputWritable) kinds.push_back(InjectorKind::Uinput);
    if (setting.x11) kinds.push_back(InjectorKind::XTest);
    if (setting.uinputWritable && std::find(kinds.begin(), kinds.end(), InjectorKind::Uinput) == kinds.end())
        kinds.push_back(InjectorKind::Uinput);
    return kinds;
}

std::unique_ptr<IInputInjector> CreateInputInjector() {
    InjectionSetting setting;
    setting.requested = EnvOr("KELM_INJECT");
    setting.x11 = !EnvOr("DISPLAY").empty();
    setting.wayland = !EnvOr("WAYLAND_DISPLAY").empty();
    setting.uinputWritable = ::access(kUinputPath, W_OK) == 0;
    if (!setting.requested.empty() && setting.requested != "xtest" && setting.requested != "uinput")
        DebugOutput("InputInjector: KELM_INJECT=%s is neither xtest nor uinput\n", setting.requested.c_str());
    for (const InjectorKind kind : InjectorCandidates(setting)) {
        auto injector =
            kind == InjectorKind::XTest ? OpenXTestInjector(nullptr) : OpenUinputInjector(SystemUinputCalls());
        if (injector) {
            DebugOutput("InputInjector: %s\n", KindName(kind));
            return injector;
        }
        DebugOutput("InputInjector: %s cannot be used\n", KindName(kind));
    }
    DebugOutput("InputInjector: %s\n", "none, macros and shortcuts type nothing");
    return nullptr;
}

}  // namespace kelm
