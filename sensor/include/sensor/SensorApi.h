#ifndef SENSOR_SENSOR_API_H
#define SENSOR_SENSOR_API_H

// The library is built with hidden visibility; only what carries SENSOR_API
// is part of the exported surface.
#define SENSOR_API __attribute__((visibility("default")))

// A member of an exported class that is no part of the host's contract (the
// library's own steps, private or protected). The firmware build hides them,
// so that its dynamic symbol table, which the camera's flash carries, holds
// the contract alone; the PC build's tools and tests still reach them.
#ifdef SENSOR_HIDE_INTERNALS
#define SENSOR_INTERNAL __attribute__((visibility("hidden")))
#else
#define SENSOR_INTERNAL
#endif

#endif
