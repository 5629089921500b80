#ifndef SENSOR_SENSOR_API_H
#define SENSOR_SENSOR_API_H

// The library is built with hidden visibility; only what carries SENSOR_API
// is part of the exported surface.
#define SENSOR_API __attribute__((visibility("default")))

#endif
