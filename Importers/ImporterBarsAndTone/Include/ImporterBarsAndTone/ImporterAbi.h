/* The contract between a host and the ImporterBarsAndTone module: the two
 * exported functions, the describe callback, selector numbers and result
 * codes. C11 and C++ alike; <stdint.h> types only. Record layouts are in
 * HostRecords.h. */
#ifndef IMPORTERBARSANDTONE_IMPORTERABI_H
#define IMPORTERBARSANDTONE_IMPORTERABI_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

#if defined(_WIN32)
#define BT_MODULE_EXPORT __declspec(dllexport)
#else
#define BT_MODULE_EXPORT __attribute__((visibility("default")))
#endif

/* The host's describe callback, called once from PluginDataEntryFunction.
 * [host thread] */
typedef int32_t (*BT_DescribeFn)(void* hostContext,
                                 const char* displayName, /* localisation key of the listed name */
                                 const char* matchName,   /* "TELV Bars and Tone" */
                                 const char* category,    /* "Importer" */
                                 const char* empty,       /* "" */
                                 uint32_t kind,           /* 'IMPT' */
                                 int32_t a, int32_t b, int32_t c); /* 13, 28, 0 */

/* Tells the host what the plug-in is: calls describe once, returns its result. */
typedef int32_t (*BT_PluginDataEntryFn)(void* hostContext, BT_DescribeFn describe);

/* The one door for everything else. [any thread] Each call works only on the
 * records it is given; nothing escapes as an exception. */
typedef int32_t (*BT_ImportEntryFn)(uint32_t selector, void* stdParms, intptr_t param1, intptr_t param2);

/* Selectors the module handles; every other value answers BT_RESULT_UNSUPPORTED. */
enum {
    BT_SEL_STARTUP = 0,
    BT_SEL_RELEASE_FILE_RECORD = 9,
    BT_SEL_GET_FILE_TYPE = 14,
    BT_SEL_GET_AUDIO = 25,
    BT_SEL_GET_PIXEL_FORMAT = 27,
    BT_SEL_QUERY = 28,
    BT_SEL_GET_CLIP_INFO = 37,
    BT_SEL_ACQUIRE_SETTINGS = 38,
    BT_SEL_GET_PICTURE = 47,
    BT_SEL_GET_AUDIO_LEVELS = 49,
    BT_SEL_GET_COLOR_DESCRIPTION = 73,
    BT_SEL_FIRST_UNKNOWN = 74
};

/* Result codes; the numbers are fixed by the host. */
enum {
    BT_RESULT_SUCCESS = 0,
    BT_RESULT_UNSUPPORTED = 3,
    BT_RESULT_MEMORY_ERROR = 4,
    BT_RESULT_NO_SETTINGS = 5,
    BT_RESULT_STEP_FAILED = 5, /* a step of a picture's delivery failed; the host has one number for both */
    BT_RESULT_NO_COLOR_DESCRIPTION = 19,
    BT_RESULT_QUERY_ANSWER = 100,
    BT_RESULT_CANCELLED = 300,
    BT_RESULT_BAD_INDEX = 301,
    BT_RESULT_STARTUP_ANSWER = 400
};

/* Four-character codes: the first character is the most significant byte. */
#define BT_FILETYPE_BARS 0x42415253u /* 'BARS': Rec. 601 when a version-1 record */
#define BT_FILETYPE_HDBR 0x48444252u /* 'HDBR': Rec. 709 when a version-1 record */
#define BT_KIND_IMPT 0x494D5054u     /* 'IMPT' */

BT_MODULE_EXPORT int32_t PluginDataEntryFunction(void* hostContext, BT_DescribeFn describe);
BT_MODULE_EXPORT int32_t xImportEntry(uint32_t selector, void* stdParms, intptr_t param1, intptr_t param2);

#ifdef __cplusplus
}
#endif

#endif
