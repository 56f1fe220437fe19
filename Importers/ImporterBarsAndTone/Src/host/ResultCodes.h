#pragma once
// The host's result codes under this module's names.

#include "ImporterBarsAndTone/ImporterAbi.h"

#include <cstdint>

namespace bt {

using Result = std::int32_t;

inline constexpr Result kResultSuccess = BT_RESULT_SUCCESS;
inline constexpr Result kResultUnsupported = BT_RESULT_UNSUPPORTED;
inline constexpr Result kResultMemoryError = BT_RESULT_MEMORY_ERROR;
inline constexpr Result kResultNoSettings = BT_RESULT_NO_SETTINGS;
inline constexpr Result kResultStepFailed = BT_RESULT_STEP_FAILED;
inline constexpr Result kResultNoColorDescription = BT_RESULT_NO_COLOR_DESCRIPTION;
inline constexpr Result kResultQueryAnswer = BT_RESULT_QUERY_ANSWER;
inline constexpr Result kResultCancelled = BT_RESULT_CANCELLED;
inline constexpr Result kResultBadIndex = BT_RESULT_BAD_INDEX;
inline constexpr Result kResultStartupAnswer = BT_RESULT_STARTUP_ANSWER;

} // namespace bt
