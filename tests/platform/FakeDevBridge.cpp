// A stand-in libdevbridge.so for the loader's tests: it keeps the last
// feature report written, answers GetFeature with it, and on
// Open_DevMonitor posts a plug-in and a key event from a thread of its own.
// Built a second time without GetMousePID to show a missing entry point.
#include <cstring>
#include <thread>
#include <vector>

#include "devbridge/DevBridge.h"

namespace {
std::vector<unsigned char> g_lastReport;
int g_openCount = 0;
}  // namespace

extern "C" {

void Open_DevMonitor(KelmWindow* window, unsigned int eventMsg, unsigned int presenceMsg) {
    std::thread([=] {
        window->post(window, presenceMsg, 1, 0);
        window->post(window, eventMsg, 0x00010002, -1);
    }).join();
}

void Close_DevMonitor(void) {}

int Open_FeatureDevice(void) { return ++g_openCount; }

void Close_FeatureDevice(void) { g_openCount = 0; }

int SetFeature(const unsigned char* report, unsigned int length) {
    g_lastReport.assign(report, report + length);
    return 1;
}

int GetFeature(unsigned char* report, unsigned int length) {
    if (length < g_lastReport.size()) return 0;
    std::memcpy(report, g_lastReport.data(), g_lastReport.size());
    return 1;
}

#ifndef KELM_FAKE_WITHOUT_MOUSE_PID
int GetMousePID(void) { return 0x1234; }
#endif
}
