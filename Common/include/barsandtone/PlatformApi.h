#pragma once
// Marks what a platform library offers to the module and the host. The module
// builds with hidden visibility, so every class and function it uses across a
// library boundary carries this mark (type information included).

#if defined(_WIN32)
#define BT_PLATFORM_API
#else
#define BT_PLATFORM_API __attribute__((visibility("default")))
#endif
