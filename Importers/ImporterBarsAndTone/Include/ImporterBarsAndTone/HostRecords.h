#pragma once
// Byte offsets of the host's packed records, one namespace per record, shared
// by the module and the host. Read and write them only through
// bt::packed::Load/Store (barsandtone/PackedBytes.h).

#include <cstddef>
#include <cstdint>

namespace bt::records {

// Host time, the unit of every duration in the records (frame durations, the
// settings record's video frame rate): ticks per second.
inline constexpr std::int64_t kTicksPerSecond = 254016000000;

// The standard-parameter record that comes with every call, and the tables
// reached from it. Pointers are 8 bytes.
namespace StdParms {
inline constexpr std::size_t kSuiteTable = 12;   // pointer
}
namespace SuiteTable {
inline constexpr std::size_t kMemoryFunctions = 4;   // pointer
inline constexpr std::size_t kUtilityFunctions = 28; // pointer
}
namespace MemoryFunctions {
inline constexpr std::size_t kAllocate = 0;  // void* (*)(uint32_t size)
inline constexpr std::size_t kRelease = 24;  // void (*)(void* block)
}
namespace UtilityFunctions {
inline constexpr std::size_t kGetBasicSuite = 56; // const void* (*)(void)
}
namespace BasicSuite {
inline constexpr std::size_t kAcquire = 0; // int32_t (*)(const char* name, int32_t version, const void** suite)
inline constexpr std::size_t kRelease = 8; // int32_t (*)(const char* name, int32_t version)
}
namespace SequenceInfoSuite { // "Kestrel Sequence Info Suite" v9
inline constexpr const char* kName = "Kestrel Sequence Info Suite";
inline constexpr std::int32_t kVersion = 9;
inline constexpr std::size_t kGetDropFrame = 40;           // int32_t (*)(uint32_t seq, int32_t* dropFrame)
inline constexpr std::size_t kGetWorkingColorSpace = 64;   // int32_t (*)(uint32_t seq, CvSDKGuid* id)
}
namespace CPixCreatorSuite { // "Corvella CPix Creator 2 Suite" v4
inline constexpr const char* kName = "Corvella CPix Creator 2 Suite";
inline constexpr std::int32_t kVersion = 4;
inline constexpr std::size_t kCreateFrame = 32; // slot 4
}
namespace CPixSuite { // "Corvella CPix Suite" v1
inline constexpr const char* kName = "Corvella CPix Suite";
inline constexpr std::int32_t kVersion = 1;
inline constexpr std::size_t kCheck1 = 8;  // slot 1: (frame, 2, void** out)
inline constexpr std::size_t kCheck2 = 16; // slot 2: (frame, void* out16)
inline constexpr std::size_t kCheck3 = 24; // slot 3: (frame, int32_t* out)
}
namespace PixelFormatSuite { // "Corvella Pixel Format Suite" v1, acquired and released only
inline constexpr const char* kName = "Corvella Pixel Format Suite";
inline constexpr std::int32_t kVersion = 1;
}

// Selector 0, first parameter.
namespace ImporterDescription {
inline constexpr std::size_t kFileType = 0;  // 'BARS'
inline constexpr std::size_t kFlag28 = 28;   // 1
inline constexpr std::size_t kFlag32 = 32;   // 1
inline constexpr std::size_t kFlag36 = 36;   // 0
inline constexpr std::size_t kFlag44 = 44;   // 0
inline constexpr std::size_t kFlag149 = 149; // 1 (unaligned)
inline constexpr std::size_t kMinSize = 153;
}

// Selector 14, second parameter.
namespace FileTypeRecord {
inline constexpr std::size_t kFileType = 0;
inline constexpr std::size_t kText12 = 12;    // 256 bytes, emptied
inline constexpr std::size_t kText268 = 268;  // 32 bytes, emptied
inline constexpr std::size_t kBlock300 = 300; // 256 bytes, zeroed
inline constexpr std::size_t kBlock300Size = 256;
inline constexpr std::size_t kMinSize = 556;
}

// Selector 37, first parameter.
namespace FileRecord {
inline constexpr std::size_t kFileType = 8; // uint32
inline constexpr std::size_t kMinSize = 12;
}

// Selector 37, second parameter.
namespace ClipInfo {
inline constexpr std::size_t kFlag0 = 0;            // u8 1
inline constexpr std::size_t kFlag1 = 1;            // u8 1
inline constexpr std::size_t kWidth = 2;            // i32
inline constexpr std::size_t kHeight = 6;           // i32
inline constexpr std::size_t kDepth12 = 12;         // u16 24
inline constexpr std::size_t kFlag22 = 22;          // u8 5
inline constexpr std::size_t kFlag31 = 31;          // u8 1
inline constexpr std::size_t kFlag32 = 32;          // u8 2
inline constexpr std::size_t kParNum = 34;          // u32
inline constexpr std::size_t kParDen = 38;          // u32
inline constexpr std::size_t kFlag54 = 54;          // u32 1
inline constexpr std::size_t kColorManaged = 98;    // u32
inline constexpr std::size_t kFrameDuration = 102;  // i64 ticks
inline constexpr std::size_t kRateNum = 162;        // i32
inline constexpr std::size_t kRateDen = 166;        // i32
inline constexpr std::size_t kAudioChannels = 174;  // u32
inline constexpr std::size_t kAudioRate = 178;      // f32 Hz
inline constexpr std::size_t kFlag182 = 182;        // u32 6
inline constexpr std::size_t kAudioSamples = 186;   // i64
inline constexpr std::size_t kPerFileRecord = 198;  // pointer
inline constexpr std::size_t kPersisted = 206;      // pointer to the clip's stored ToneSettings
inline constexpr std::size_t kMinSize = 214;
}

// Selector 38, first parameter.
namespace ClipNameRecord {
inline constexpr std::size_t kClipName = 28; // pointer to UTF-16 text in host memory
inline constexpr std::size_t kMinSize = 36;
}

// Selector 38, second parameter.
namespace SettingsRequest {
inline constexpr std::size_t kSettingsBuffer = 0;   // pointer
inline constexpr std::size_t kSettingsSize = 8;     // u32
inline constexpr std::size_t kSetupRequested = 12;  // u8
inline constexpr std::size_t kSequenceId = 13;      // u32
inline constexpr std::size_t kWidth = 37;           // i32
inline constexpr std::size_t kHeight = 41;          // i32
inline constexpr std::size_t kParNum = 45;          // u32
inline constexpr std::size_t kParDen = 49;          // u32
inline constexpr std::size_t kRateNum = 53;         // i32
inline constexpr std::size_t kRateDen = 57;         // i32
inline constexpr std::size_t kAudioRate = 61;       // f32
inline constexpr std::size_t kMinSize = 65;
}

// Selector 47, second parameter.
namespace PictureRequest {
inline constexpr std::size_t kSettingsSecond = 0;  // pointer
inline constexpr std::size_t kSizePair = 20;       // pointer to {int32 width, int32 height}
inline constexpr std::size_t kFrameOut = 36;       // pointer to where the new frame handle goes
inline constexpr std::size_t kSettingsFirst = 44;  // pointer
inline constexpr std::size_t kPassOn = 96;         // 16 bytes, handed to frame creation unread
inline constexpr std::size_t kMinSize = 112;
}

// Selector 27, second parameter.
namespace PixelFormatRequest {
inline constexpr std::size_t kSettingsSecond = 0; // pointer
inline constexpr std::size_t kPixelFormat = 8;    // u32 written
inline constexpr std::size_t kSettingsFirst = 12; // pointer
inline constexpr std::size_t kMinSize = 20;
}

// Selector 73, second parameter.
namespace ColorDescription {
inline constexpr std::size_t kSettings = 0;        // pointer
inline constexpr std::size_t kKind = 8;            // u32 3
inline constexpr std::size_t kPrimaries = 48;      // u32 H.273
inline constexpr std::size_t kTransfer = 52;       // u32 H.273
inline constexpr std::size_t kMatrix = 56;         // u32 H.273
inline constexpr std::size_t kEncodingDepth = 60;  // u32
inline constexpr std::size_t kFlag64 = 64;         // u32
inline constexpr std::size_t kFlag68 = 68;         // u32
inline constexpr std::size_t kZero72 = 72;         // u32 0
inline constexpr std::size_t kMinSize = 76;
}

// Selector 25, second parameter.
namespace AudioRequest {
inline constexpr std::size_t kPosition = 0;        // i64 sample index
inline constexpr std::size_t kSampleCount = 8;     // u32
inline constexpr std::size_t kChannelBuffers = 12; // pointer to float*[]
inline constexpr std::size_t kSettingsSecond = 20; // pointer
inline constexpr std::size_t kSettingsFirst = 28;  // pointer
inline constexpr std::size_t kMinSize = 36;
}

// Selector 49, second parameter.
namespace LevelRequest {
inline constexpr std::size_t kSettingsSecond = 0; // pointer
inline constexpr std::size_t kSettingsFirst = 8;  // pointer
inline constexpr std::size_t kPosition = 16;      // i64
inline constexpr std::size_t kLevelRate = 24;     // f32 values per second
inline constexpr std::size_t kSampleCount = 28;   // i32
inline constexpr std::size_t kUpperBuffers = 32;  // pointer to float*[]
inline constexpr std::size_t kLowerBuffers = 40;  // pointer to float*[]
inline constexpr std::size_t kMinSize = 48;
}

// The clip's settings record: filled by the module when a clip is made
// (selector 38), stored by the host with the clip byte for byte and handed back
// with every request. A persisted format: a record stored by one build is read
// by every later one, so offsets, widths and meanings never change.
namespace ToneSettingsRecord {
inline constexpr std::size_t kVersion = 0;            // u32 kCurrentVersion, or kOlderVersion
inline constexpr std::size_t kAudioFrameRate = 4;     // f32 samples per second
inline constexpr std::size_t kAudioChannelType = 8;   // u32 a ChannelType (Channels.h)
inline constexpr std::size_t kAudioChannelCount = 12; // u32 1, 2 or 6
inline constexpr std::size_t kIdentifyChannels = 16;  // u8 1: an identification cadence; else a steady tone
inline constexpr std::size_t kFrequency = 20;         // f32 Hz of the steady tone
inline constexpr std::size_t kAmplitude = 24;         // f32 linear gain of the steady tone
inline constexpr std::size_t kIdentifierFormat = 28;  // u8 an IdentifierFormat (IdentifierFormats.h)
inline constexpr std::size_t kFrameWidth = 32;        // i32 pixels
inline constexpr std::size_t kFrameHeight = 36;       // i32 pixels
inline constexpr std::size_t kParNumerator = 40;      // u32 pixel aspect ratio, numerator
inline constexpr std::size_t kParDenominator = 44;    // u32 pixel aspect ratio, denominator
inline constexpr std::size_t kVideoFrameRate = 48;    // i64 ticks per frame; INT64_MAX: no rate
inline constexpr std::size_t kDropFrame = 56;         // u8 1: drop-frame timecode
inline constexpr std::size_t kColorSpaceType = 64;    // u8 a ColorSpace (ColorSpaces.h)
inline constexpr std::size_t kPreset = 65;            // u8 the dialog's preset, 0 to 8
// Bytes 17 to 19, 29 to 31, 57 to 63 and 66 to 71 are padding, stored as they are.
inline constexpr std::size_t kSize = 72;

inline constexpr std::uint32_t kCurrentVersion = 2; // every record the module makes
// An older layout: only bytes 0 to kOlderSize - 1 (the tone fields) are
// trusted. Selector 37 gives the host a full-size record in its place, version
// kept, its picture fields taken from what the host holds of the clip.
inline constexpr std::uint32_t kOlderVersion = 1;
inline constexpr std::size_t kOlderSize = 29;
}

} // namespace bt::records
