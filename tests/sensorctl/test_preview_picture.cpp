// The simulated preview: each setting changes the picture the way a tester
// judges it by, and the PNG holds the picture.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>

#include "PreviewPicture.h"

namespace {

const int kWidth = 160, kHeight = 90;

double luma(const Picture& picture, int x, int y)
{
    const uint8_t* pixel = &picture.rgb[static_cast<size_t>((y * picture.width + x) * 3)];
    return 0.299 * pixel[0] + 0.587 * pixel[1] + 0.114 * pixel[2];
}

double meanLuma(const Picture& picture)
{
    double sum = 0;
    for (int y = 0; y < picture.height; ++y) {
        for (int x = 0; x < picture.width; ++x) sum += luma(picture, x, y);
    }
    return sum / (picture.width * picture.height);
}

int largestChroma(const Picture& picture)
{
    int chroma = 0;
    for (size_t i = 0; i < picture.rgb.size(); i += 3) {
        chroma = std::max({chroma, std::abs(picture.rgb[i] - picture.rgb[i + 1]),
                           std::abs(picture.rgb[i + 1] - picture.rgb[i + 2])});
    }
    return chroma;
}

// The grey ramp's level at a column, over its rows (the noise averaged out).
double rampLevel(const Picture& picture, int x)
{
    double sum = 0;
    for (int y = picture.height / 2; y < picture.height; ++y) sum += luma(picture, x, y);
    return sum / (picture.height - picture.height / 2);
}

// How much neighbouring pixels of the grey ramp differ: the noise left.
double rampRoughness(const Picture& picture)
{
    double sum = 0;
    const int y = picture.height * 3 / 4;
    for (int x = 1; x < picture.width / 2 - 1; ++x) sum += std::fabs(luma(picture, x, y) - luma(picture, x - 1, y));
    return sum;
}

Picture with(void (*change)(PictureSettings&))
{
    PictureSettings settings;
    change(settings);
    return renderChart(settings, kWidth, kHeight);
}

TEST(PreviewPicture, EachSettingShowsAsATesterJudgesIt)
{
    const Picture plain = renderChart(PictureSettings{}, kWidth, kHeight);
    EXPECT_GT(meanLuma(with([](PictureSettings& s) { s.brightness = 80; })), meanLuma(plain) + 20);
    EXPECT_LT(meanLuma(with([](PictureSettings& s) { s.brightness = 20; })), meanLuma(plain) - 20);
    EXPECT_GT(largestChroma(plain), 200);
    EXPECT_EQ(0, largestChroma(with([](PictureSettings& s) { s.night = true; })));
    EXPECT_LT(largestChroma(with([](PictureSettings& s) { s.saturation = 20; })), largestChroma(plain));
    // Contrast and defog spread the ramp; the tone curve lifts its dark end.
    const auto spread = [](const Picture& p) { return rampLevel(p, p.width * 3 / 8) - rampLevel(p, p.width / 8); };
    EXPECT_GT(spread(with([](PictureSettings& s) { s.contrast = 80; })), spread(plain) + 20);
    EXPECT_GT(spread(with([](PictureSettings& s) { s.defog = 60; })), spread(plain) + 20);
    EXPECT_GT(luma(with([](PictureSettings& s) { s.toneCurve = true; }), kWidth / 10, kHeight * 3 / 4),
              luma(plain, kWidth / 10, kHeight * 3 / 4) + 10);
    // Noise reduction blurs the added noise away; sharpness brings it out.
    EXPECT_LT(rampRoughness(with([](PictureSettings& s) { s.noiseReduction = true; })), rampRoughness(plain) / 2);
    EXPECT_GT(rampRoughness(with([](PictureSettings& s) { s.sharpness = 100; })), rampRoughness(plain) * 1.5);
}

TEST(PreviewPicture, MirrorFlipsColumnsRowsOrBothAndThePngHoldsThePicture)
{
    const Picture plain = renderChart(PictureSettings{}, kWidth, kHeight);
    for (int mirror = 1; mirror <= 3; ++mirror) {
        PictureSettings settings;
        settings.mirror = mirror;
        const Picture flipped = renderChart(settings, kWidth, kHeight);
        for (int y = 0; y < kHeight; y += 7) {
            for (int x = 0; x < kWidth; x += 5) {
                const int fx = (mirror & 1) != 0 ? kWidth - 1 - x : x, fy = (mirror & 2) != 0 ? kHeight - 1 - y : y;
                ASSERT_EQ(luma(plain, x, y), luma(flipped, fx, fy)) << "mirror " << mirror << " at " << x << "," << y;
            }
        }
    }
    const std::string png = encodePng(plain);
    ASSERT_GT(png.size(), 24u);
    EXPECT_EQ(std::string("\x89PNG\r\n\x1a\n", 8), png.substr(0, 8));
    // IHDR: width and height, big-endian, after the signature and the chunk header.
    const auto word = [&png](size_t at) {
        return (static_cast<unsigned char>(png[at]) << 24) | (static_cast<unsigned char>(png[at + 1]) << 16) |
               (static_cast<unsigned char>(png[at + 2]) << 8) | static_cast<unsigned char>(png[at + 3]);
    };
    EXPECT_EQ(kWidth, word(16));
    EXPECT_EQ(kHeight, word(20));
}

} // namespace
