#include "gif/palette.h"

#include <algorithm>
#include <array>
#include <cmath>

#include "gif/remap.h"

namespace framelark {

ExactPalette::ExactPalette() : keys_(kSlots, 0), values_(kSlots, 0) {}

void ExactPalette::Clear() {
  std::fill(keys_.begin(), keys_.end(), 0u);
  colors_.clear();
}

namespace {
inline std::uint32_t SlotOf(std::uint32_t color, std::size_t slots) {
  return static_cast<std::uint32_t>((color * 2654435761u) >> 22) & (slots - 1);
}
}  // namespace

bool ExactPalette::Insert(std::uint32_t color, std::size_t limit) {
  const std::uint32_t key = (color & 0xFFFFFFu) | 0x01000000u;
  std::uint32_t slot = SlotOf(color & 0xFFFFFFu, kSlots);
  while (keys_[slot] != 0) {
    if (keys_[slot] == key) return true;
    slot = (slot + 1) & (kSlots - 1);
  }
  if (colors_.size() >= limit) return false;
  keys_[slot] = key;
  values_[slot] = static_cast<std::uint16_t>(colors_.size());
  colors_.push_back(color & 0xFFFFFFu);
  return true;
}

bool ExactPalette::Add(const std::uint32_t* pixels, const std::uint8_t* use, std::size_t count,
                       std::size_t limit) {
  limit = std::min(limit, kSlots / 4);
  std::uint32_t last = 0;
  bool have_last = false;
  for (std::size_t i = 0; i < count; ++i) {
    if (use != nullptr && use[i] == 0) continue;
    const std::uint32_t c = pixels[i];
    if (have_last && c == last) continue;
    if (!Insert(c, limit)) return false;
    last = c;
    have_last = true;
  }
  return true;
}

int ExactPalette::IndexOf(std::uint32_t color) const {
  const std::uint32_t key = (color & 0xFFFFFFu) | 0x01000000u;
  std::uint32_t slot = SlotOf(color & 0xFFFFFFu, kSlots);
  while (keys_[slot] != 0) {
    if (keys_[slot] == key) return values_[slot];
    slot = (slot + 1) & (kSlots - 1);
  }
  return -1;
}

ColorHistogram BuildHistogram(const std::uint32_t* pixels, const std::uint8_t* use,
                              std::size_t count, std::size_t step) {
  step = std::max<std::size_t>(step, 1);
  // 64 levels per channel: fine enough that cell means keep the shape of
  // narrow colour ranges (gradients, a colour wheel's rim).
  constexpr std::size_t kCells = 64 * 64 * 64;
  struct Sum {
    std::uint32_t n, r, g, b;
  };
  // Kept between calls: only the cells a call touched are cleared again.
  thread_local std::vector<Sum> sum(kCells, Sum{0, 0, 0, 0});
  thread_local std::vector<std::uint32_t> touched;
  touched.clear();
  ColorHistogram h;
  std::uint32_t last = 0xFFFFFFFFu;
  Sum* cell = nullptr;
  for (std::size_t i = 0; i < count; i += step) {
    if (use != nullptr && use[i] == 0) continue;
    const std::uint32_t c = pixels[i] & 0xFFFFFFu;
    if (c != last) {
      last = c;
      const std::uint32_t index = (c >> 6 & 0x3F000) | (c >> 4 & 0x00FC0) | (c >> 2 & 0x0003F);
      cell = &sum[index];
      if (cell->n == 0) touched.push_back(index);
    }
    // Sums stay below 2^32 for up to 2^24 pixels per cell; larger frames
    // cannot reach a single cell with more.
    ++cell->n;
    cell->r += (c >> 16) & 0xFF;
    cell->g += (c >> 8) & 0xFF;
    cell->b += c & 0xFF;
  }
  std::sort(touched.begin(), touched.end());
  h.cells.reserve(touched.size());
  for (const std::uint32_t i : touched) {
    Sum& s = sum[i];
    const std::uint64_t k = s.n;
    const std::uint32_t r = static_cast<std::uint32_t>((s.r + k / 2) / k);
    const std::uint32_t g = static_cast<std::uint32_t>((s.g + k / 2) / k);
    const std::uint32_t b = static_cast<std::uint32_t>((s.b + k / 2) / k);
    h.cells.push_back({s.n, r << 16 | g << 8 | b});
    h.total += k;
    s = Sum{0, 0, 0, 0};
  }
  return h;
}

namespace {

// Cumulative moments on a 65^3 grid (index 0 is the empty border).
// The grid: 32 levels per channel plus a border. Sparse histograms (narrow
// colour ranges, which need finer cuts) are cut on their cells instead.
constexpr int kCoarseSide = 33;
constexpr std::size_t kSplitCellsUpTo = 4096;

struct Box {
  int r0, r1, g0, g1, b0, b1;
  int volume;
  int side;  // of the grid the box lies in
};
inline int Idx(const Box& c, int r, int g, int b) { return (r * c.side + g) * c.side + b; }

struct Moments {
  std::vector<std::int64_t> w, r, g, b;
  std::vector<double> m2;
  int side = 0;
  int Idx(int r, int g, int b) const { return (r * side + g) * side + b; }
  void Clear(int grid_side) {
    side = grid_side;
    const std::size_t cells = static_cast<std::size_t>(side) * side * side;
    w.resize(cells);
    r.resize(cells);
    g.resize(cells);
    b.resize(cells);
    m2.resize(cells);
    std::fill(w.begin(), w.end(), 0);
    std::fill(r.begin(), r.end(), 0);
    std::fill(g.begin(), g.end(), 0);
    std::fill(b.begin(), b.end(), 0);
    std::fill(m2.begin(), m2.end(), 0.0);
  }
};

template <typename T>
T Vol(const Box& c, const std::vector<T>& m) {
  return m[Idx(c, c.r1, c.g1, c.b1)] - m[Idx(c, c.r1, c.g1, c.b0)] - m[Idx(c, c.r1, c.g0, c.b1)] +
         m[Idx(c, c.r1, c.g0, c.b0)] - m[Idx(c, c.r0, c.g1, c.b1)] + m[Idx(c, c.r0, c.g1, c.b0)] +
         m[Idx(c, c.r0, c.g0, c.b1)] - m[Idx(c, c.r0, c.g0, c.b0)];
}

enum Axis { kRed, kGreen, kBlue };

std::int64_t Bottom(const Box& c, Axis d, const std::vector<std::int64_t>& m) {
  switch (d) {
    case kRed:
      return -m[Idx(c, c.r0, c.g1, c.b1)] + m[Idx(c, c.r0, c.g1, c.b0)] +
             m[Idx(c, c.r0, c.g0, c.b1)] - m[Idx(c, c.r0, c.g0, c.b0)];
    case kGreen:
      return -m[Idx(c, c.r1, c.g0, c.b1)] + m[Idx(c, c.r1, c.g0, c.b0)] +
             m[Idx(c, c.r0, c.g0, c.b1)] - m[Idx(c, c.r0, c.g0, c.b0)];
    default:
      return -m[Idx(c, c.r1, c.g1, c.b0)] + m[Idx(c, c.r1, c.g0, c.b0)] +
             m[Idx(c, c.r0, c.g1, c.b0)] - m[Idx(c, c.r0, c.g0, c.b0)];
  }
}

std::int64_t Top(const Box& c, Axis d, int pos, const std::vector<std::int64_t>& m) {
  switch (d) {
    case kRed:
      return m[Idx(c, pos, c.g1, c.b1)] - m[Idx(c, pos, c.g1, c.b0)] - m[Idx(c, pos, c.g0, c.b1)] +
             m[Idx(c, pos, c.g0, c.b0)];
    case kGreen:
      return m[Idx(c, c.r1, pos, c.b1)] - m[Idx(c, c.r1, pos, c.b0)] - m[Idx(c, c.r0, pos, c.b1)] +
             m[Idx(c, c.r0, pos, c.b0)];
    default:
      return m[Idx(c, c.r1, c.g1, pos)] - m[Idx(c, c.r1, c.g0, pos)] - m[Idx(c, c.r0, c.g1, pos)] +
             m[Idx(c, c.r0, c.g0, pos)];
  }
}

double Variance(const Box& c, const Moments& m) {
  const double dr = static_cast<double>(Vol(c, m.r));
  const double dg = static_cast<double>(Vol(c, m.g));
  const double db = static_cast<double>(Vol(c, m.b));
  const double w = static_cast<double>(Vol(c, m.w));
  if (w <= 0) return 0;
  return Vol(c, m.m2) - (dr * dr + dg * dg + db * db) / w;
}

double Maximize(const Box& c, Axis d, int first, int last, int* cut, const Moments& m,
                std::int64_t whole_r, std::int64_t whole_g, std::int64_t whole_b,
                std::int64_t whole_w) {
  const std::int64_t base_r = Bottom(c, d, m.r), base_g = Bottom(c, d, m.g);
  const std::int64_t base_b = Bottom(c, d, m.b), base_w = Bottom(c, d, m.w);
  double best = 0;
  *cut = -1;
  for (int i = first; i < last; ++i) {
    std::int64_t hr = base_r + Top(c, d, i, m.r), hg = base_g + Top(c, d, i, m.g);
    std::int64_t hb = base_b + Top(c, d, i, m.b), hw = base_w + Top(c, d, i, m.w);
    if (hw == 0) continue;
    double t = (static_cast<double>(hr) * hr + static_cast<double>(hg) * hg +
                static_cast<double>(hb) * hb) /
               static_cast<double>(hw);
    hr = whole_r - hr;
    hg = whole_g - hg;
    hb = whole_b - hb;
    hw = whole_w - hw;
    if (hw == 0) continue;
    t += (static_cast<double>(hr) * hr + static_cast<double>(hg) * hg +
          static_cast<double>(hb) * hb) /
         static_cast<double>(hw);
    if (t > best) {
      best = t;
      *cut = i;
    }
  }
  return best;
}

bool CutBox(Box& a, Box& b, const Moments& m) {
  const std::int64_t wr = Vol(a, m.r), wg = Vol(a, m.g), wb = Vol(a, m.b), ww = Vol(a, m.w);
  int cr, cg, cb;
  const double mr = Maximize(a, kRed, a.r0 + 1, a.r1, &cr, m, wr, wg, wb, ww);
  const double mg = Maximize(a, kGreen, a.g0 + 1, a.g1, &cg, m, wr, wg, wb, ww);
  const double mb = Maximize(a, kBlue, a.b0 + 1, a.b1, &cb, m, wr, wg, wb, ww);
  Axis dir;
  if (mr >= mg && mr >= mb) {
    dir = kRed;
    if (cr < 0) return false;
  } else if (mg >= mr && mg >= mb) {
    dir = kGreen;
  } else {
    dir = kBlue;
  }
  b.side = a.side;
  b.r1 = a.r1;
  b.g1 = a.g1;
  b.b1 = a.b1;
  switch (dir) {
    case kRed:
      b.r0 = a.r1 = cr;
      b.g0 = a.g0;
      b.b0 = a.b0;
      break;
    case kGreen:
      if (cg < 0) return false;
      b.g0 = a.g1 = cg;
      b.r0 = a.r0;
      b.b0 = a.b0;
      break;
    case kBlue:
      if (cb < 0) return false;
      b.b0 = a.b1 = cb;
      b.r0 = a.r0;
      b.g0 = a.g0;
      break;
  }
  a.volume = (a.r1 - a.r0) * (a.g1 - a.g0) * (a.b1 - a.b0);
  b.volume = (b.r1 - b.r0) * (b.g1 - b.g0) * (b.b1 - b.b0);
  return true;
}

}  // namespace

namespace {

// Wu's criterion on the histogram's cells themselves, for sparse histograms
// (a few thousand cells): boxes are ranges of cells, each cut where the
// between-part variance is largest, the box of largest error cut first.
ColorTable SplitCells(const ColorHistogram& histogram, int max_colors) {
  struct Point {
    double w, c[3];
  };
  std::vector<Point> points;
  points.reserve(histogram.cells.size());
  for (const auto& cell : histogram.cells) {
    points.push_back(
        {static_cast<double>(cell.count),
         {static_cast<double>((cell.color >> 16) & 0xFF),
          static_cast<double>((cell.color >> 8) & 0xFF), static_cast<double>(cell.color & 0xFF)}});
  }
  struct Range {
    std::size_t begin, end;
    double error;
  };
  const auto error_of = [&](std::size_t begin, std::size_t end) {
    double w = 0, s[3] = {0, 0, 0}, q = 0;
    for (std::size_t i = begin; i < end; ++i) {
      const Point& p = points[i];
      w += p.w;
      for (int k = 0; k < 3; ++k) {
        s[k] += p.w * p.c[k];
        q += p.w * p.c[k] * p.c[k];
      }
    }
    return w > 0 ? q - (s[0] * s[0] + s[1] * s[1] + s[2] * s[2]) / w : 0.0;
  };
  std::vector<Range> ranges = {{0, points.size(), error_of(0, points.size())}};
  while (static_cast<int>(ranges.size()) < max_colors) {
    std::size_t pick = 0;
    for (std::size_t i = 1; i < ranges.size(); ++i) {
      if (ranges[i].error > ranges[pick].error) pick = i;
    }
    Range& r = ranges[pick];
    if (r.error <= 0 || r.end - r.begin < 2) break;
    double best_gain = -1;
    int best_axis = 0;
    std::size_t best_cut = 0;
    for (int axis = 0; axis < 3; ++axis) {
      std::sort(points.begin() + static_cast<std::ptrdiff_t>(r.begin),
                points.begin() + static_cast<std::ptrdiff_t>(r.end),
                [axis](const Point& a, const Point& b) { return a.c[axis] < b.c[axis]; });
      double w = 0, t[3] = {0, 0, 0};
      for (std::size_t i = r.begin; i < r.end; ++i) {
        w += points[i].w;
        for (int k = 0; k < 3; ++k) t[k] += points[i].w * points[i].c[k];
      }
      double lw = 0, ls[3] = {0, 0, 0};
      for (std::size_t i = r.begin; i + 1 < r.end; ++i) {
        lw += points[i].w;
        for (int k = 0; k < 3; ++k) ls[k] += points[i].w * points[i].c[k];
        if (points[i].c[axis] == points[i + 1].c[axis]) continue;
        const double rw = w - lw;
        const double gain = (ls[0] * ls[0] + ls[1] * ls[1] + ls[2] * ls[2]) / lw +
                            ((t[0] - ls[0]) * (t[0] - ls[0]) + (t[1] - ls[1]) * (t[1] - ls[1]) +
                             (t[2] - ls[2]) * (t[2] - ls[2])) /
                                rw;
        if (gain > best_gain) {
          best_gain = gain;
          best_axis = axis;
          best_cut = i + 1;
        }
      }
    }
    if (best_gain < 0) {
      r.error = 0;  // all cells of the range share every coordinate
      continue;
    }
    std::sort(
        points.begin() + static_cast<std::ptrdiff_t>(r.begin),
        points.begin() + static_cast<std::ptrdiff_t>(r.end),
        [best_axis](const Point& a, const Point& b) { return a.c[best_axis] < b.c[best_axis]; });
    const Range left{r.begin, best_cut, error_of(r.begin, best_cut)};
    const Range right{best_cut, r.end, error_of(best_cut, r.end)};
    ranges[pick] = left;
    ranges.push_back(right);
  }
  ColorTable palette;
  for (const Range& r : ranges) {
    double w = 0, s[3] = {0, 0, 0};
    for (std::size_t i = r.begin; i < r.end; ++i) {
      w += points[i].w;
      for (int k = 0; k < 3; ++k) s[k] += points[i].w * points[i].c[k];
    }
    if (w <= 0) continue;
    const auto channel = [&](int k) {
      return static_cast<std::uint32_t>(std::clamp(std::lround(s[k] / w), 0L, 255L));
    };
    palette.push_back(channel(0) << 16 | channel(1) << 8 | channel(2));
  }
  return palette;
}

}  // namespace

ColorTable QuantizeWu(const ColorHistogram& histogram, int max_colors) {
  ColorTable palette;
  if (histogram.cells.empty() || max_colors <= 0) return palette;
  if (histogram.cells.size() <= static_cast<std::size_t>(max_colors)) {
    for (const auto& cell : histogram.cells) palette.push_back(cell.color);
    return palette;
  }
  if (histogram.cells.size() <= kSplitCellsUpTo) return SplitCells(histogram, max_colors);
  thread_local Moments m;
  const int side = kCoarseSide;
  const int shift = 3;
  m.Clear(side);
  for (const auto& cell : histogram.cells) {
    const int r = (cell.color >> 16) & 0xFF, g = (cell.color >> 8) & 0xFF, b = cell.color & 0xFF;
    const int i = m.Idx((r >> shift) + 1, (g >> shift) + 1, (b >> shift) + 1);
    const std::int64_t n = cell.count;
    m.w[i] += n;
    m.r[i] += n * r;
    m.g[i] += n * g;
    m.b[i] += n * b;
    m.m2[i] += static_cast<double>(n) * (r * r + g * g + b * b);
  }
  // Turn the cell values into cumulative moments.
  for (int r = 1; r < side; ++r) {
    std::int64_t area_w[kCoarseSide] = {}, area_r[kCoarseSide] = {}, area_g[kCoarseSide] = {},
                 area_b[kCoarseSide] = {};
    double area_2[kCoarseSide] = {};
    for (int g = 1; g < side; ++g) {
      std::int64_t lw = 0, lr = 0, lg = 0, lb = 0;
      double l2 = 0;
      for (int b = 1; b < side; ++b) {
        const int i = m.Idx(r, g, b);
        lw += m.w[i];
        lr += m.r[i];
        lg += m.g[i];
        lb += m.b[i];
        l2 += m.m2[i];
        area_w[b] += lw;
        area_r[b] += lr;
        area_g[b] += lg;
        area_b[b] += lb;
        area_2[b] += l2;
        const int p = m.Idx(r - 1, g, b);
        m.w[i] = m.w[p] + area_w[b];
        m.r[i] = m.r[p] + area_r[b];
        m.g[i] = m.g[p] + area_g[b];
        m.b[i] = m.b[p] + area_b[b];
        m.m2[i] = m.m2[p] + area_2[b];
      }
    }
  }
  std::vector<Box> boxes(static_cast<std::size_t>(max_colors));
  std::vector<double> variance(boxes.size(), 0.0);
  boxes[0] = Box{0, side - 1, 0, side - 1, 0, side - 1, 0, side};
  int count = max_colors;
  int next = 0;
  for (int i = 1; i < max_colors; ++i) {
    if (CutBox(boxes[next], boxes[i], m)) {
      variance[next] = boxes[next].volume > 1 ? Variance(boxes[next], m) : 0.0;
      variance[i] = boxes[i].volume > 1 ? Variance(boxes[i], m) : 0.0;
    } else {
      variance[next] = 0.0;
      --i;
    }
    next = 0;
    double best = variance[0];
    for (int k = 1; k <= i; ++k) {
      if (variance[k] > best) {
        best = variance[k];
        next = k;
      }
    }
    if (best <= 0.0) {
      count = i + 1;
      break;
    }
  }
  for (int k = 0; k < count; ++k) {
    const std::int64_t w = Vol(boxes[k], m.w);
    if (w <= 0) continue;
    const auto mean = [w](std::int64_t s) {
      return static_cast<std::uint32_t>(std::clamp<std::int64_t>((s + w / 2) / w, 0, 255));
    };
    palette.push_back(mean(Vol(boxes[k], m.r)) << 16 | mean(Vol(boxes[k], m.g)) << 8 |
                      mean(Vol(boxes[k], m.b)));
  }
  return palette;
}

void RefinePalette(const ColorHistogram& histogram, ColorTable& palette, int iterations) {
  if (palette.empty()) return;
  std::vector<std::array<double, 4>> acc(palette.size());
  for (int it = 0; it < iterations; ++it) {
    NearestColor nearest(palette);
    for (auto& a : acc) a = {0, 0, 0, 0};
    for (const auto& cell : histogram.cells) {
      auto& a = acc[static_cast<std::size_t>(nearest.Nearest(cell.color))];
      const double n = cell.count;
      a[0] += n * ((cell.color >> 16) & 0xFF);
      a[1] += n * ((cell.color >> 8) & 0xFF);
      a[2] += n * (cell.color & 0xFF);
      a[3] += n;
    }
    bool moved = false;
    for (std::size_t k = 0; k < palette.size(); ++k) {
      if (acc[k][3] <= 0) continue;
      const auto channel = [&](int c) {
        return static_cast<std::uint32_t>(std::clamp(std::lround(acc[k][c] / acc[k][3]), 0L, 255L));
      };
      const std::uint32_t color = channel(0) << 16 | channel(1) << 8 | channel(2);
      moved |= color != palette[k];
      palette[k] = color;
    }
    if (!moved) break;
  }
}

void RefinePaletteOnPixels(const std::uint32_t* pixels, const std::uint8_t* use, std::size_t count,
                           std::size_t step, ColorTable& palette, int iterations,
                           NearestColor& nearest) {
  if (palette.empty() || count == 0) return;
  step = std::max<std::size_t>(step, 1);
  std::vector<std::array<std::uint64_t, 4>> acc(palette.size());
  for (int it = 0; it < iterations; ++it) {
    nearest.Reset(palette);
    for (auto& a : acc) a = {0, 0, 0, 0};
    for (std::size_t i = 0; i < count; i += step) {
      if (use != nullptr && use[i] == 0) continue;
      const std::uint32_t c = pixels[i];
      auto& a = acc[static_cast<std::size_t>(nearest.Find(c))];
      a[0] += (c >> 16) & 0xFF;
      a[1] += (c >> 8) & 0xFF;
      a[2] += c & 0xFF;
      ++a[3];
    }
    for (std::size_t k = 0; k < palette.size(); ++k) {
      const std::uint64_t n = acc[k][3];
      if (n == 0) continue;
      const auto mean = [&](int c) { return static_cast<std::uint32_t>((acc[k][c] + n / 2) / n); };
      palette[k] = mean(0) << 16 | mean(1) << 8 | mean(2);
    }
  }
  nearest.Reset(palette);
}

double PaletteError(const ColorHistogram& histogram, const ColorTable& palette) {
  NearestColor nearest(palette);
  return PaletteError(histogram, palette, nearest);
}

double PaletteError(const ColorHistogram& histogram, const ColorTable& palette,
                    NearestColor& nearest) {
  if (palette.empty() || histogram.total == 0) return 0;
  double error = 0;
  for (const auto& cell : histogram.cells) {
    const std::uint32_t p = palette[static_cast<std::size_t>(nearest.Find(cell.color))];
    error += static_cast<double>(cell.count) * ColorDistance(cell.color, p);
  }
  return error / static_cast<double>(histogram.total);
}

}  // namespace framelark
