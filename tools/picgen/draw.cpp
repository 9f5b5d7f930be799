#include "draw.h"

#include <algorithm>
#include <cmath>
#include <unordered_set>

namespace picgen {

std::uint32_t Mix(std::uint32_t a, std::uint32_t b, double t) {
  auto channel = [t](int from, int to) {
    return static_cast<int>(std::lround(from + (to - from) * t));
  };
  return Rgb(channel(Red(a), Red(b)), channel(Green(a), Green(b)), channel(Blue(a), Blue(b)));
}

std::uint32_t Scale(std::uint32_t c, double t) { return Mix(kBlack, c, t); }

void FillRect(PixelImage& image, int x0, int y0, int x1, int y1, std::uint32_t colour) {
  x0 = std::max(x0, 0);
  y0 = std::max(y0, 0);
  x1 = std::min(x1, image.width - 1);
  y1 = std::min(y1, image.height - 1);
  for (int y = y0; y <= y1; ++y) {
    for (int x = x0; x <= x1; ++x) image.At(x, y) = colour;
  }
}

std::vector<double> Coverage(int width, int height, const Shape& shape, int samples) {
  std::vector<double> out(static_cast<std::size_t>(width) * height, 0.0);
  const double step = 1.0 / samples;
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      int hits = 0;
      for (int sy = 0; sy < samples; ++sy) {
        for (int sx = 0; sx < samples; ++sx) {
          if (shape(x + (sx + 0.5) * step, y + (sy + 0.5) * step)) ++hits;
        }
      }
      out[static_cast<std::size_t>(y) * width + x] =
          static_cast<double>(hits) / (samples * samples);
    }
  }
  return out;
}

double Quantise(double coverage, int steps) {
  const double last = steps - 1;
  return std::round(std::clamp(coverage, 0.0, 1.0) * last) / last;
}

void PaintShape(PixelImage& image, const Shape& shape, std::uint32_t colour, int steps) {
  const std::vector<double> cover = Coverage(image.width, image.height, shape);
  for (int y = 0; y < image.height; ++y) {
    for (int x = 0; x < image.width; ++x) {
      const double t = Quantise(cover[static_cast<std::size_t>(y) * image.width + x], steps);
      if (t > 0) image.At(x, y) = Mix(image.At(x, y), colour, t);
    }
  }
}

bool InsidePolygon(const std::vector<std::pair<double, double>>& points, double x, double y) {
  bool inside = false;
  for (std::size_t i = 0, j = points.size() - 1; i < points.size(); j = i++) {
    const auto [xi, yi] = points[i];
    const auto [xj, yj] = points[j];
    if ((yi > y) != (yj > y) && x < (xj - xi) * (y - yi) / (yj - yi) + xi) inside = !inside;
  }
  return inside;
}

bool InsideRoundedRect(double x0, double y0, double x1, double y1, double r, double x, double y) {
  if (x < x0 || x > x1 || y < y0 || y > y1) return false;
  const double cx = std::clamp(x, x0 + r, x1 - r);
  const double cy = std::clamp(y, y0 + r, y1 - r);
  return (x - cx) * (x - cx) + (y - cy) * (y - cy) <= r * r;
}

double SegmentDistance(double ax, double ay, double bx, double by, double x, double y) {
  const double dx = bx - ax;
  const double dy = by - ay;
  const double length2 = dx * dx + dy * dy;
  double t = length2 > 0 ? ((x - ax) * dx + (y - ay) * dy) / length2 : 0.0;
  t = std::clamp(t, 0.0, 1.0);
  return std::hypot(x - (ax + t * dx), y - (ay + t * dy));
}

int CountColours(const PixelImage& image) {
  std::unordered_set<std::uint32_t> seen(image.pixels.begin(), image.pixels.end());
  return static_cast<int>(seen.size());
}

}  // namespace picgen
