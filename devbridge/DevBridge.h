/* libdevbridge.so: the keyboard as the suite's programs reach it. They load
 * the library from the program folder with dlopen and look up these seven
 * entry points with dlsym; any library with these entry points serves them.
 *
 * The backend is chosen by KELM_DEVICE when a first entry point is opened
 * (again after everything was closed): unset or "hid" for the real keyboard
 * (HidBackend.h), "emu" or "emu:<socket>" for the software keyboard KelmEmu
 * (EmuBackend.h). */
#ifndef KELM_DEVBRIDGE_H
#define KELM_DEVBRIDGE_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

#if defined(KELM_DEVBRIDGE_BUILD)
#define DEVBRIDGE_API __attribute__((visibility("default")))
#else
#define DEVBRIDGE_API
#endif

/* What the programs pass where Windows passes a window handle. post may be
 * called from any thread of the library and must only queue the message. */
struct KelmWindow {
    void (*post)(struct KelmWindow* self, unsigned int msg, uintptr_t wParam, intptr_t lParam);
};

/* From now on: eventMsg for each keyboard event (wParam = type, lParam =
 * data, 16 bits each), presenceMsg with wParam 1 when the keyboard arrives
 * and 0 when it goes. */
DEVBRIDGE_API void Open_DevMonitor(struct KelmWindow* window, unsigned int eventMsg, unsigned int presenceMsg);
/* No message is posted once this returns. */
DEVBRIDGE_API void Close_DevMonitor(void);
/* Nonzero when the keyboard was opened for feature reports. */
DEVBRIDGE_API int Open_FeatureDevice(void);
DEVBRIDGE_API void Close_FeatureDevice(void);
/* report[0] is the report id; nonzero when sent. */
DEVBRIDGE_API int SetFeature(const unsigned char* report, unsigned int length);
/* The caller puts the report id in report[0]; the library fills the buffer
 * with that report, id included, zeros past its end; nonzero when received. */
DEVBRIDGE_API int GetFeature(unsigned char* report, unsigned int length);
/* The companion mouse's product id; 0, no mouse is known to this library. */
DEVBRIDGE_API int GetMousePID(void);

typedef void (*Open_DevMonitor_fn)(struct KelmWindow*, unsigned int, unsigned int);
typedef void (*Close_DevMonitor_fn)(void);
typedef int (*Open_FeatureDevice_fn)(void);
typedef void (*Close_FeatureDevice_fn)(void);
typedef int (*SetFeature_fn)(const unsigned char*, unsigned int);
typedef int (*GetFeature_fn)(unsigned char*, unsigned int);
typedef int (*GetMousePID_fn)(void);

#ifdef __cplusplus
}
#endif

#endif
