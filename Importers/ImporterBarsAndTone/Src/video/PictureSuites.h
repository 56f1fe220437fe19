#pragma once
// The three host suites a picture request holds for its duration: acquired in
// order on construction, released in the same order on destruction, by every
// way out of the request. The references live on the request's own stack, so
// requests running alongside each other on other threads never share them.

#include "ImporterBarsAndTone/PictureSuitesAbi.h"

#include <array>
#include <cstdint>

namespace bt {

class PictureSuites {
public:
    explicit PictureSuites(const void* basicSuite) noexcept;
    ~PictureSuites();
    PictureSuites(const PictureSuites&) = delete;
    PictureSuites& operator=(const PictureSuites&) = delete;

    /// Null when the host did not hand out the suite.
    [[nodiscard]] BT_CreateFrameFn CreateFrame() const noexcept;
    [[nodiscard]] BT_FrameCheck1Fn Check1() const noexcept;
    [[nodiscard]] BT_FrameCheck2Fn Check2() const noexcept;
    [[nodiscard]] BT_FrameCheck3Fn Check3() const noexcept;

private:
    struct Held {
        const void* table = nullptr;
        bool acquired = false;
    };
    const void* mBasicSuite;
    std::array<Held, 3> mHeld{}; ///< creator, picture, pixel format
};

} // namespace bt
