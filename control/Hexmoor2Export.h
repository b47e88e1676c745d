#pragma once

// The control library exports only its entry points; everything else is hidden.
#if defined(HEXMOOR2_BUILDING)
#define HEXMOOR2_EXPORT __attribute__((visibility("default")))
#else
#define HEXMOOR2_EXPORT
#endif
