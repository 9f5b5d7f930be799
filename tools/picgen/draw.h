// Drawing on PixelImage canvases: plain fills and shapes rendered by
// supersampling, with the coverage rounded to a few steps so that every
// picture keeps a small palette.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "gif/bitmap_file.h"

namespace picgen {

using framelark::PixelImage;

constexpr std::uint32_t Rgb(int r, int g, int b) {
  return static_cast<std::uint32_t>(r) << 16 | static_cast<std::uint32_t>(g) << 8 |
         static_cast<std::uint32_t>(b);
}
constexpr int Red(std::uint32_t c) { return static_cast<int>(c >> 16 & 0xFF); }
constexpr int Green(std::uint32_t c) { return static_cast<int>(c >> 8 & 0xFF); }
constexpr int Blue(std::uint32_t c) { return static_cast<int>(c & 0xFF); }

// The program's colours.
constexpr std::uint32_t kBlack = Rgb(0, 0, 0);
constexpr std::uint32_t kWhite = Rgb(255, 255, 255);
constexpr std::uint32_t kGold = Rgb(255, 188, 8);
constexpr std::uint32_t kLightYellow = Rgb(246, 211, 48);
constexpr std::uint32_t kDisabledGrey = Rgb(136, 136, 136);
constexpr std::uint32_t kStripeGrey = Rgb(85, 85, 85);
constexpr std::uint32_t kReflectionGold = Rgb(203, 159, 43);
constexpr std::uint32_t kBarTop = Rgb(85, 63, 3);
constexpr std::uint32_t kBarBottom = Rgb(169, 125, 5);

// `a` moved towards `b` by t in [0, 1], each channel rounded.
std::uint32_t Mix(std::uint32_t a, std::uint32_t b, double t);
// Every channel of `c` scaled by t in [0, 1], rounded.
std::uint32_t Scale(std::uint32_t c, double t);

// Fills the inclusive rectangle x0..x1, y0..y1, clipped to the canvas.
void FillRect(PixelImage& image, int x0, int y0, int x1, int y1, std::uint32_t colour);

// A shape in canvas pixel units: true where a point lies inside. Pixel (x, y)
// covers [x, x + 1) x [y, y + 1).
using Shape = std::function<bool(double x, double y)>;

// Share of each pixel of a width x height area covered by `shape`, measured
// on a samples x samples grid per pixel; row-major.
std::vector<double> Coverage(int width, int height, const Shape& shape, int samples = 8);

// Coverage rounded to the nearest of `steps` equal steps (0 and 1 included).
double Quantise(double coverage, int steps);

// Paints `colour` over the canvas where `shape` covers it, blending edge
// pixels by their coverage rounded to `steps` steps.
void PaintShape(PixelImage& image, const Shape& shape, std::uint32_t colour, int steps = 8);

// Even-odd point-in-polygon test.
bool InsidePolygon(const std::vector<std::pair<double, double>>& points, double x, double y);

// Point inside the rounded rectangle [x0, x1] x [y0, y1] with corner radius r.
bool InsideRoundedRect(double x0, double y0, double x1, double y1, double r, double x, double y);

// Distance from (x, y) to the segment (ax, ay)-(bx, by).
double SegmentDistance(double ax, double ay, double bx, double by, double x, double y);

// Number of distinct colours on the canvas.
int CountColours(const PixelImage& image);

}  // namespace picgen
