#pragma once
// The host's picture suites: "Corvella CPix Creator 2 Suite" v4 (frame
// creation), "Corvella CPix Suite" v1 (the checks of a new frame) and
// "Corvella Pixel Format Suite" v1 (offered, never called). Their functions
// work on the frame pool of the host whose call is running.

#include "bthost/SuiteRegistry.h"

namespace bthost {

/// Offers the three suites through a registry.
void RegisterPictureSuites(SuiteRegistry& suites);

} // namespace bthost
