#pragma once
// The test audio library: the exports of the real one over a property store the test scripts
// (devices, texts, failures, delays), plus these control functions. It records every call.
// Built twice: complete, and without some exports (SCRIPTED_OSCONF_PARTIAL).

#include "audio/osconf_api.h"

#ifdef __cplusplus
extern "C" {
#endif

typedef struct ScriptedCall {
    char name[64];        // the property, or the export's name for other calls
    int32_t deviceId;
    int32_t write;
    unsigned char value[8];  // the first bytes of the value buffer as passed in
    int32_t hasParameter;
    int32_t parameter[3];
} ScriptedCall;

OSCONF_EXPORT void Scripted_Reset(void);
OSCONF_EXPORT void Scripted_SetInitResult(int32_t result);
// A device in flow's list; its properties are addressed by its id.
OSCONF_EXPORT void Scripted_AddDevice(int32_t flow, OsConfDevice device);
// Makes GetDeviceCount(flow) answer count, however many devices were added.
OSCONF_EXPORT void Scripted_SetCount(int32_t flow, int32_t count);
// A property of the device: the text a read gives, the results of reads and writes, and how
// long each call takes. A successful write replaces the text with the value written
// (an integer, or a float with six decimals for the properties whose name holds "Scalar").
OSCONF_EXPORT void Scripted_SetProperty(int32_t deviceId, const char* name, const char* text, int32_t readResult,
                                        int32_t writeResult, int32_t delayMs);
OSCONF_EXPORT int32_t Scripted_CallCount(void);
OSCONF_EXPORT void Scripted_GetCall(int32_t index, ScriptedCall* call);

#ifdef __cplusplus
}
#endif
