#ifndef ORVEL_AUDIO_OSCONF_API_H
#define ORVEL_AUDIO_OSCONF_API_H
/*
 * The exports of the audio configuration library, "SDK/libosConfLib.so", and their call
 * shapes. The program loads the library at run time and resolves these names; the library
 * built in tools/osconflib defines them. Both sides include this header.
 *
 * Every function returns OSCONF_OK (0) on success and one of the other OSCONF_ codes when it
 * failed. No call keeps its caller waiting for longer than OSCONF_CALL_BUDGET_MS.
 *
 * Property exchange (PropertyControl): the property name is a NUL-terminated UTF-16 string;
 * value and parameter point to pointers to buffers of OSCONF_BUFFER_SIZE bytes (parameter may
 * be null). A read leaves the value as NUL-terminated 8-bit text: a decimal integer for
 * switches and selections, a decimal fraction with '.' for levels, whatever the caller's
 * locale. A write takes the value in binary at the start of the value buffer: a 32-bit integer
 * for switches, selections and equaliser bands, a 32-bit IEEE float for scalar levels
 * (0.0 to 1.0). The parameter buffer starts with a 32-bit channel selector (-1: every channel).
 */

#include <stdint.h>
#ifndef __cplusplus
#include <uchar.h>
#endif

#if defined(__GNUC__)
#define OSCONF_EXPORT __attribute__((visibility("default")))
#else
#define OSCONF_EXPORT
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* The file the program loads from its SDK folder. */
#define OSCONF_LIBRARY_FILE "libosConfLib.so"

/* Size of the value and parameter buffers, for every call. */
#define OSCONF_BUFFER_SIZE 2048

/* The longest any call keeps its caller waiting, in milliseconds. */
#define OSCONF_CALL_BUDGET_MS 1000

/* Flows: which list of devices a call addresses. */
#define OSCONF_FLOW_PLAYBACK 0
#define OSCONF_FLOW_RECORDING 1

/* PropertyControl's direction. */
#define OSCONF_READ 0
#define OSCONF_WRITE 1

/* Results. */
#define OSCONF_OK 0
#define OSCONF_UNSUPPORTED 1   /* the property or function is not offered for this device */
#define OSCONF_NO_DEVICE 2     /* the device record names no device the sound server has */
#define OSCONF_NOT_ANSWERING 3 /* the sound server is gone or did not answer in time */
#define OSCONF_REFUSED 4       /* the sound server or the mixer refused the change */
#define OSCONF_BAD_ARGUMENT 5  /* a null pointer, an unknown flow or index, a value out of range */
#define OSCONF_NOT_STARTED 6   /* ConfLibInit has not run */

/* Device types in OsConfDevice.type. */
#define OSCONF_TYPE_HEADPHONES 1 /* playback */
#define OSCONF_TYPE_MICROPHONE 2 /* recording */

/*
 * One device as the library lists it, passed by value to PropertyControl. An all-zero record
 * names no device.
 */
typedef struct OsConfDevice {
    int32_t id;       /* the library's own number for the device; 0 for none */
    int32_t type;     /* OSCONF_TYPE_... */
    int32_t reserved; /* the library's own; callers pass it back unchanged */
    int32_t state;    /* 1 when the device is present and usable */
} OsConfDevice;

/* A device-change callback: the library's context and the flow that changed. */
typedef void (*OsConfCallback)(void* context, int32_t flow);

OSCONF_EXPORT int32_t ConfLibInit(void);
OSCONF_EXPORT int32_t ConfLibUnInit(void);
/* Takes the sound server's current devices as the lists GetDeviceCount and GetDeviceById read. */
OSCONF_EXPORT int32_t CreateDeviceList(void);
OSCONF_EXPORT int32_t GetDeviceCount(int32_t flow, int32_t* count);
OSCONF_EXPORT int32_t GetDeviceById(int32_t flow, int32_t index, OsConfDevice* device);
OSCONF_EXPORT int32_t PropertyControl(OsConfDevice device, const char16_t* name, void** value, void** parameter,
                                      int32_t write);
OSCONF_EXPORT int32_t RegisterCallbackFunction(OsConfCallback callback, void* context);
OSCONF_EXPORT int32_t ShowAsioPanel(void);
OSCONF_EXPORT int32_t PlayTestSound(OsConfDevice device);
OSCONF_EXPORT int32_t StopTestSound(OsConfDevice device);
OSCONF_EXPORT int32_t CloseTestSound(OsConfDevice device);

#ifdef __cplusplus
}
#endif

#endif
