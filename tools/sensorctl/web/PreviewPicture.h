// A picture to judge the settings by: a test chart as the simulated ISP
// would show it with a channel's current values. A simulation of what each
// setting does, not a camera's image.
#ifndef SENSORCTL_PREVIEW_PICTURE_H
#define SENSORCTL_PREVIEW_PICTURE_H

#include <cstdint>
#include <string>
#include <vector>

struct PictureSettings {
    int brightness = 50; // each 0..100, 50 leaves the chart as it is
    int contrast = 50;
    int saturation = 50;
    int sharpness = 50;
    int mirror = 0; // 0 none, 1 horizontal, 2 vertical, 3 both (rotated 180)
    bool night = false; // monochrome
    bool toneCurve = false; // wide dynamic range or backlight compensation: shadows lifted
    int defog = 0; // 0 off, else the strength 1..100: contrast stretched
    bool noiseReduction = false; // the chart's added noise blurred away
};

struct Picture {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> rgb; // rows top to bottom, 3 bytes a pixel
};

Picture renderChart(const PictureSettings& settings, int width, int height);

// The picture as PNG (libpng); "" when encoding fails.
std::string encodePng(const Picture& picture);

#endif
