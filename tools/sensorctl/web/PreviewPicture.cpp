#include "PreviewPicture.h"

#include <algorithm>
#include <array>
#include <cmath>

#include <png.h>

namespace {

using Pixel = std::array<float, 3>;
using Image = std::vector<Pixel>;

const float kNoise = 0.08f; // amplitude of the sensor noise added to the chart

// Colour bars above, a grey ramp below left, fine stripes below right (where
// sharpness and blur show), and a black square at the top left corner.
Pixel chartPixel(int x, int y, int width, int height)
{
    static const Pixel kBars[] = {{1, 1, 1}, {1, 1, 0}, {0, 1, 1}, {0, 1, 0}, {1, 0, 1}, {1, 0, 0}, {0, 0, 1}, {0, 0, 0}};
    if (x < width / 10 && y < height / 6) return {0, 0, 0};
    if (y < height / 2) return kBars[x * 8 / width];
    if (x < width / 2) {
        const float grey = static_cast<float>(x) / static_cast<float>(width / 2);
        return {grey, grey, grey};
    }
    const float stripe = (x / 2) % 2 == 0 ? 0.8f : 0.2f;
    return {stripe, stripe, stripe};
}

// Deterministic noise, so two pictures of the same settings are equal.
float noiseAt(int x, int y)
{
    unsigned value = static_cast<unsigned>(x) * 73856093u ^ static_cast<unsigned>(y) * 19349663u;
    value = value * 1103515245u + 12345u;
    return (static_cast<float>((value >> 16) & 0x7fff) / 32767.0f - 0.5f) * 2.0f * kNoise;
}

Image boxBlur(const Image& image, int width, int height)
{
    Image blurred(image.size());
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            Pixel sum{0, 0, 0};
            int count = 0;
            for (int dy = -1; dy <= 1; ++dy) {
                for (int dx = -1; dx <= 1; ++dx) {
                    const int sx = std::min(std::max(x + dx, 0), width - 1), sy = std::min(std::max(y + dy, 0), height - 1);
                    for (int c = 0; c < 3; ++c) sum[c] += image[sy * width + sx][c];
                    ++count;
                }
            }
            for (int c = 0; c < 3; ++c) blurred[y * width + x][c] = sum[c] / static_cast<float>(count);
        }
    }
    return blurred;
}

// Tone, contrast, brightness and colour of one pixel, in that order.
Pixel graded(Pixel pixel, const PictureSettings& settings)
{
    const float contrast = static_cast<float>(settings.contrast) / 50.0f;
    const float brightness = static_cast<float>(settings.brightness - 50) / 100.0f;
    const float defog = 1.0f + static_cast<float>(settings.defog) / 100.0f;
    for (float& channel : pixel) {
        float value = std::min(std::max(channel, 0.0f), 1.0f);
        if (settings.toneCurve) value = std::pow(value, 0.6f);
        value = (value - 0.5f) * defog * contrast + 0.5f + brightness;
        channel = value;
    }
    const float luma = 0.299f * pixel[0] + 0.587f * pixel[1] + 0.114f * pixel[2];
    const float saturation = settings.night ? 0.0f : static_cast<float>(settings.saturation) / 50.0f;
    for (float& channel : pixel) channel = luma + (channel - luma) * saturation;
    return pixel;
}

uint8_t byteOf(float value)
{
    return static_cast<uint8_t>(std::lround(std::min(std::max(value, 0.0f), 1.0f) * 255.0f));
}

void appendToString(png_structp png, png_bytep data, png_size_t length)
{
    static_cast<std::string*>(png_get_io_ptr(png))->append(reinterpret_cast<const char*>(data), length);
}

} // namespace

Picture renderChart(const PictureSettings& settings, int width, int height)
{
    Image image(static_cast<size_t>(width * height));
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            Pixel pixel = chartPixel(x, y, width, height);
            for (float& channel : pixel) channel += noiseAt(x, y);
            image[y * width + x] = pixel;
        }
    }
    if (settings.noiseReduction) image = boxBlur(image, width, height);
    // Sharpness: an unsharp mask below 50 blurs, above it sharpens.
    const float amount = static_cast<float>(settings.sharpness - 50) / 25.0f;
    const Image blurred = boxBlur(image, width, height);
    Picture picture;
    picture.width = width;
    picture.height = height;
    picture.rgb.resize(static_cast<size_t>(width * height * 3));
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            Pixel pixel = image[y * width + x];
            for (int c = 0; c < 3; ++c) pixel[c] += amount * (pixel[c] - blurred[y * width + x][c]);
            pixel = graded(pixel, settings);
            const int tx = (settings.mirror & 1) != 0 ? width - 1 - x : x;
            const int ty = (settings.mirror & 2) != 0 ? height - 1 - y : y;
            for (int c = 0; c < 3; ++c) picture.rgb[static_cast<size_t>((ty * width + tx) * 3 + c)] = byteOf(pixel[c]);
        }
    }
    return picture;
}

std::string encodePng(const Picture& picture)
{
    std::string out;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png != nullptr ? png_create_info_struct(png) : nullptr;
    if (info == nullptr || setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        return "";
    }
    png_set_write_fn(png, &out, appendToString, nullptr);
    png_set_IHDR(png, info, static_cast<png_uint_32>(picture.width), static_cast<png_uint_32>(picture.height), 8,
                 PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    for (int y = 0; y < picture.height; ++y) {
        png_write_row(png, const_cast<png_bytep>(&picture.rgb[static_cast<size_t>(y * picture.width * 3)]));
    }
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return out;
}
