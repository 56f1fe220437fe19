/* The functions of the host's picture suites that the module calls, as the
 * host implements them. C11 and C++ alike; <stdint.h> types only. Suite names,
 * versions and slot offsets are in HostRecords.h. */
#ifndef IMPORTERBARSANDTONE_PICTURESUITESABI_H
#define IMPORTERBARSANDTONE_PICTURESUITESABI_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

/* A host frame: points to a pointer to the host's packed frame record, which
 * is the platform's (FrameStore reads it). The host owns the frame. */
typedef void* BT_FrameHandle;

/* 16 bytes of the picture request that frame creation receives by value,
 * unread by the module. */
typedef struct BT_HostOpaque16 {
    int64_t a;
    int64_t b;
} BT_HostOpaque16;

/* "Corvella CPix Creator 2 Suite" v4, slot 4: creates a frame and stores its
 * handle at *out. [any thread] */
typedef int32_t (*BT_CreateFrameFn)(BT_FrameHandle* out, int32_t two, uint32_t hostPixelFormat, int32_t width,
                                    int32_t height, uint8_t falseFlag, int32_t zero, uint32_t parNumerator,
                                    uint32_t parDenominator, BT_HostOpaque16 passOn);

/* "Corvella CPix Suite" v1, slots 1 to 3: checks of a new frame; a negative
 * result is a failure. What they write is the host's. [any thread] */
typedef int32_t (*BT_FrameCheck1Fn)(BT_FrameHandle frame, int32_t two, void** out);
typedef int32_t (*BT_FrameCheck2Fn)(BT_FrameHandle frame, void* out16);
typedef int32_t (*BT_FrameCheck3Fn)(BT_FrameHandle frame, int32_t* out);

#ifdef __cplusplus
}
#endif

#endif
