#include "gif/remap.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdlib>

namespace framelark {

void NearestColor::Reset(const ColorTable& palette) {
  for (const std::uint32_t cell : built_) cell_start_[cell] = kUnbuilt;
  for (const std::uint32_t cell : near_built_) near_[cell] = kNearUnknown;
  near_built_.clear();
  std::fill(cache_key_.begin(), cache_key_.end(), 0u);
  built_.clear();
  candidates_.clear();
  bounds_.clear();
  colors_.clear();
  sorted_.clear();
  sorted_.reserve(palette.size());
  for (std::size_t i = 0; i < palette.size() && i < 256; ++i) {
    const std::uint32_t c = palette[i];
    const int r = static_cast<int>((c >> 16) & 0xFF), g = static_cast<int>((c >> 8) & 0xFF);
    const int b = static_cast<int>(c & 0xFF);
    colors_.push_back({r, g, b});
    sorted_.push_back({r, g, b, static_cast<int>(i)});
  }
  if (colors_.empty()) {
    colors_.push_back({0, 0, 0});
    sorted_.push_back({0, 0, 0, 0});
  }
  std::stable_sort(sorted_.begin(), sorted_.end(),
                   [](const Entry& a, const Entry& b) { return a.g < b.g; });
}

std::uint32_t NearestColor::BuildCell(std::uint32_t cell) {
  // The cell is the box lo .. lo + 7 per channel. A palette colour can be
  // nearest to some point of it only if its least distance to the box is
  // at most the smallest largest distance of any colour to the box.
  const int lo[3] = {static_cast<int>(cell >> 10) * 8, static_cast<int>((cell >> 5) & 0x1F) * 8,
                     static_cast<int>(cell & 0x1F) * 8};
  const auto least = [](int v, int a) {
    const int d = v < a ? a - v : (v > a + 7 ? v - a - 7 : 0);
    return d * d;
  };
  const auto largest = [](int v, int a) {
    const int d = std::max(std::abs(v - a), std::abs(v - a - 7));
    return d * d;
  };
  const int n = static_cast<int>(sorted_.size());
  const int middle =
      static_cast<int>(std::lower_bound(sorted_.begin(), sorted_.end(), lo[1],
                                        [](const Entry& e, int value) { return e.g < value; }) -
                       sorted_.begin());
  int bound = 1 << 30;
  const auto tighten = [&](const Entry& e) {
    bound = std::min(bound, largest(e.r, lo[0]) + largest(e.g, lo[1]) + largest(e.b, lo[2]));
  };
  for (int k = middle; k < n && least(sorted_[k].g, lo[1]) <= bound; ++k) tighten(sorted_[k]);
  for (int k = middle - 1; k >= 0 && least(sorted_[k].g, lo[1]) <= bound; --k) {
    tighten(sorted_[k]);
  }
  std::uint8_t list[256];
  int count = 0;
  const auto consider = [&](const Entry& e) {
    if (least(e.r, lo[0]) + least(e.g, lo[1]) + least(e.b, lo[2]) <= bound) {
      list[count++] = static_cast<std::uint8_t>(e.index);
    }
  };
  for (int k = middle; k < n && least(sorted_[k].g, lo[1]) <= bound; ++k) consider(sorted_[k]);
  for (int k = middle - 1; k >= 0 && least(sorted_[k].g, lo[1]) <= bound; --k) {
    consider(sorted_[k]);
  }
  // Ordered by distance from the cell's centre, each with a lower bound of
  // its distance to any point of the cell (centre distance less the half
  // diagonal), so that a search can stop once no later one can be closer.
  std::pair<double, std::uint8_t> order[256];
  for (int k = 0; k < count; ++k) {
    const Color& e = colors_[list[k]];
    const double dr = e.r - (lo[0] + 3.5), dg = e.g - (lo[1] + 3.5), db = e.b - (lo[2] + 3.5);
    order[k] = {std::sqrt(dr * dr + dg * dg + db * db), list[k]};
  }
  std::sort(order, order + count);
  const double half_diagonal = 3.5 * std::sqrt(3.0) + 1e-9;
  const std::uint32_t start = static_cast<std::uint32_t>(candidates_.size());
  candidates_.push_back(static_cast<std::uint8_t>(count));
  bounds_.push_back(0);
  for (int k = 0; k < count; ++k) {
    candidates_.push_back(order[k].second);
    const double lower = std::floor(std::max(0.0, order[k].first - half_diagonal));
    bounds_.push_back(static_cast<std::uint32_t>(lower * lower));
  }
  cell_start_[cell] = start;
  built_.push_back(cell);
  return start;
}

int NearestColor::Search(int r, int g, int b) const {
  const int n = static_cast<int>(sorted_.size());
  if (n == 0) return 0;
  int hi =
      static_cast<int>(std::lower_bound(sorted_.begin(), sorted_.end(), g,
                                        [](const Entry& e, int value) { return e.g < value; }) -
                       sorted_.begin());
  int lo = hi - 1;
  int best = INT_MAX;
  int best_index = sorted_[std::min(hi, n - 1)].index;
  while (lo >= 0 || hi < n) {
    if (hi < n) {
      const Entry& e = sorted_[hi];
      const int dg = e.g - g;
      if (dg * dg > best) {
        hi = n;
      } else {
        const int d = (e.r - r) * (e.r - r) + dg * dg + (e.b - b) * (e.b - b);
        if (d < best || (d == best && e.index < best_index)) {
          best = d;
          best_index = e.index;
        }
        ++hi;
      }
    }
    if (lo >= 0) {
      const Entry& e = sorted_[lo];
      const int dg = g - e.g;
      if (dg * dg > best) {
        lo = -1;
      } else {
        const int d = (e.r - r) * (e.r - r) + dg * dg + (e.b - b) * (e.b - b);
        if (d < best || (d == best && e.index < best_index)) {
          best = d;
          best_index = e.index;
        }
        --lo;
      }
    }
  }
  return best_index;
}

void RemapExact(const std::uint32_t* pixels, const std::uint8_t* changed,
                const std::uint8_t* shown_exact, std::size_t count, const ExactPalette& palette,
                int transparent, std::uint8_t* indices) {
  int previous = -1;
  std::uint32_t last_color = 0;
  int last_index = -1;
  for (std::size_t i = 0; i < count; ++i) {
    const std::uint32_t c = pixels[i];
    int index;
    if (transparent >= 0 && changed != nullptr && changed[i] == 0) {
      index = transparent;
      if (previous != transparent && shown_exact != nullptr && shown_exact[i] != 0) {
        const int own = c == last_color && last_index >= 0 ? last_index : palette.IndexOf(c);
        if (own >= 0 && own == previous) index = own;
      }
    } else {
      if (c != last_color || last_index < 0) {
        last_color = c;
        last_index = palette.IndexOf(c);
      }
      index = last_index < 0 ? 0 : last_index;
    }
    indices[i] = static_cast<std::uint8_t>(index);
    previous = index;
  }
}

void DitherMask(const std::uint32_t* pixels, int width, int height,
                std::vector<std::uint8_t>& mask) {
  const std::size_t n = static_cast<std::size_t>(width) * height;
  // Largest channel step to the right and below each pixel.
  std::vector<std::uint8_t> edge(n, 0);
  const auto step = [](std::uint32_t a, std::uint32_t b) {
    const int dr =
        std::abs(static_cast<int>((a >> 16) & 0xFF) - static_cast<int>((b >> 16) & 0xFF));
    const int dg = std::abs(static_cast<int>((a >> 8) & 0xFF) - static_cast<int>((b >> 8) & 0xFF));
    const int db = std::abs(static_cast<int>(a & 0xFF) - static_cast<int>(b & 0xFF));
    return static_cast<std::uint8_t>(std::max({dr, dg, db}));
  };
  for (int y = 0; y < height; ++y) {
    const std::uint32_t* row = pixels + static_cast<std::size_t>(y) * width;
    const std::uint32_t* below = y + 1 < height ? row + width : nullptr;
    std::uint8_t* e = &edge[static_cast<std::size_t>(y) * width];
    for (int x = 0; x < width; ++x) {
      std::uint8_t v = x + 1 < width ? step(row[x], row[x + 1]) : 0;
      if (below != nullptr) v = std::max(v, step(row[x], below[x]));
      e[x] = v;
    }
  }
  // Max over a 3 x 3 window: horizontal pass then vertical pass.
  std::vector<std::uint8_t> horizontal(n, 0);
  for (int y = 0; y < height; ++y) {
    const std::uint8_t* e = &edge[static_cast<std::size_t>(y) * width];
    std::uint8_t* h = &horizontal[static_cast<std::size_t>(y) * width];
    for (int x = 0; x < width; ++x) {
      std::uint8_t v = e[x];
      if (x > 0) v = std::max(v, e[x - 1]);
      if (x + 1 < width) v = std::max(v, e[x + 1]);
      h[x] = v;
    }
  }
  constexpr int kSharpEdge = 40;
  mask.assign(n, 0);
  for (int y = 0; y < height; ++y) {
    const std::uint8_t* h = &horizontal[static_cast<std::size_t>(y) * width];
    const std::uint8_t* up = y > 0 ? h - width : nullptr;
    const std::uint8_t* down = y + 1 < height ? h + width : nullptr;
    std::uint8_t* m = &mask[static_cast<std::size_t>(y) * width];
    for (int x = 0; x < width; ++x) {
      int v = h[x];
      if (up != nullptr) v = std::max<int>(v, up[x]);
      if (down != nullptr) v = std::max<int>(v, down[x]);
      m[x] = v > 0 && v <= kSharpEdge;
    }
  }
}

namespace {
constexpr int kDitherMinError = 12;
// Squared distance from the pixel to the near answer below which the exact
// nearest colour of the diffused target is looked up: there the palette
// fits closely and the few levels the near answer may be off would show as
// noise.
constexpr int kExactPickBelow = 72;
}  // namespace

void RemapNearest(const std::uint32_t* pixels, const std::uint8_t* changed,
                  const std::uint8_t* dither, int width, int height, const ColorTable& palette,
                  NearestColor& nearest, int transparent, std::uint8_t* indices) {
  // Diffused error, in 1/16 units, for this row and the next, with a guard
  // column on each side.
  std::vector<int> current(static_cast<std::size_t>(width + 2) * 3, 0);
  std::vector<int> next(current.size(), 0);
  for (int y = 0; y < height; ++y) {
    std::fill(next.begin(), next.end(), 0);
    const std::size_t row = static_cast<std::size_t>(y) * width;
    for (int x = 0; x < width; ++x) {
      const std::size_t i = row + x;
      if (changed != nullptr && changed[i] == 0 && transparent >= 0) {
        indices[i] = static_cast<std::uint8_t>(transparent);
        continue;
      }
      const std::uint32_t c = pixels[i];
      if (dither == nullptr || dither[i] == 0) {
        indices[i] = static_cast<std::uint8_t>(nearest.Find(c));
        continue;
      }
      int* e = &current[static_cast<std::size_t>(x + 1) * 3];
      int want[3] = {static_cast<int>((c >> 16) & 0xFF), static_cast<int>((c >> 8) & 0xFF),
                     static_cast<int>(c & 0xFF)};
      for (int k = 0; k < 3; ++k) {
        // Limit the carried error so that it cannot bleed far.
        want[k] = std::clamp(want[k] + std::clamp(e[k] / 16, -24, 24), 0, 255);
      }
      const std::uint32_t target =
          static_cast<std::uint32_t>(want[0] << 16 | want[1] << 8 | want[2]);
      // Where the palette fits loosely the near answer serves; where it may
      // fit within a few levels the exact one decides.
      int index = nearest.FindNear(target);
      int distance = ColorDistance(c, palette[static_cast<std::size_t>(index)]);
      if (distance <= kExactPickBelow) {
        index = nearest.Find(target);
        distance = ColorDistance(c, palette[static_cast<std::size_t>(index)]);
      }
      // Where the palette fits the pixel itself within about two levels per
      // channel, no band can show: no pattern, and the carried error stops.
      if (distance <= kDitherMinError) {
        indices[i] = static_cast<std::uint8_t>(index);
        continue;
      }
      indices[i] = static_cast<std::uint8_t>(index);
      const std::uint32_t got = palette[static_cast<std::size_t>(index)];
      const int err[3] = {want[0] - static_cast<int>((got >> 16) & 0xFF),
                          want[1] - static_cast<int>((got >> 8) & 0xFF),
                          want[2] - static_cast<int>(got & 0xFF)};
      int* right = e + 3;
      int* below = &next[static_cast<std::size_t>(x + 1) * 3];
      for (int k = 0; k < 3; ++k) {
        // Three quarters of Floyd-Steinberg's weights: a softer pattern.
        const int v = err[k] * 3 / 4;
        right[k] += v * 7;
        below[k - 3] += v * 3;
        below[k] += v * 5;
        below[k + 3] += v * 1;
      }
    }
    std::swap(current, next);
  }
}

int NearColorAlternatives::Get(std::size_t i, std::uint8_t* out) {
  const int own = indices_[i];
  if (own == transparent_) return 0;
  const std::uint32_t c = pixels_[i];
  // Up to twice the pixel's own error plus a little: where the palette fits
  // closely (smooth gradients) almost nothing moves, on noisy photo areas
  // the codes find longer strings.
  const int own_distance = ColorDistance(c, palette_[static_cast<std::size_t>(own)]);
  const int limit = 2 * own_distance + slack_;
  int count = 0;
  const std::uint8_t* list = nearest_.Candidates(c, count);
  const std::uint32_t* least = nearest_.LeastDistances(list);
  int distance[256];
  int n = 0;
  for (int k = 0; k < count && static_cast<int>(least[k]) <= limit; ++k) {
    if (list[k] == own) continue;
    const int d = ColorDistance(c, palette_[list[k]]);
    if (d > limit) continue;
    // Insertion by distance: lists are short.
    int at = n++;
    while (at > 0 && distance[at - 1] > d) {
      distance[at] = distance[at - 1];
      out[at] = out[at - 1];
      --at;
    }
    distance[at] = d;
    out[at] = list[k];
  }
  return n;
}

int NearColorAlternatives::GetAllowed(std::size_t i, const std::uint64_t* allowed,
                                      std::uint8_t* out) {
  const int own = indices_[i];
  if (own == transparent_) return 0;
  const std::uint32_t c = pixels_[i];
  const int own_distance = ColorDistance(c, palette_[static_cast<std::size_t>(own)]);
  const int limit = 2 * own_distance + slack_;
  int count = 0;
  const std::uint8_t* list = nearest_.Candidates(c, count);
  const std::uint32_t* least = nearest_.LeastDistances(list);
  // The nearest allowed one, the earliest in the list on a tie, as Get's
  // first answer among the allowed.
  int best = limit + 1;
  int found = -1;
  for (int k = 0; k < count && static_cast<int>(least[k]) <= limit; ++k) {
    const int index = list[k];
    if (index == own || (allowed[index >> 6] >> (index & 63) & 1u) == 0) continue;
    if (static_cast<int>(least[k]) >= best) break;
    const int d = ColorDistance(c, palette_[static_cast<std::size_t>(index)]);
    if (d < best) {
      best = d;
      found = index;
    }
  }
  if (found < 0) return 0;
  out[0] = static_cast<std::uint8_t>(found);
  return 1;
}

}  // namespace framelark
