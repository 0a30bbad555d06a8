// Clipping, triangle set-up and scan conversion, lines and points, under
// the Direct3D 9 rules: pixel centres lie at integer coordinates and a
// pixel belongs to a triangle when its centre is inside, or on a top or
// left edge. A screen quad from (0, 0) to (256, 256) therefore covers
// pixels 0 to 255 in both directions.
#include "platform/d3d9/raster/rasterizer.h"

#include "platform/d3d9/raster/texture_lod.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <type_traits>

namespace d3d9_impl {
namespace {

constexpr int kSubBits = 8;  // sub-pixel precision of vertex positions
constexpr float kSubScale = 256.f;
// Screen positions beyond this many pixels are not rasterized; clipped
// geometry stays far inside it.
constexpr float kMaxCoord = 1048576.f;

enum ClipBits : std::uint32_t {
  kNear = 1, kFar = 2, kLeft = 4, kRight = 8, kBottom = 16, kTop = 32,
};

inline std::int64_t FloorDiv(std::int64_t a, std::int64_t b) {  // b > 0
  std::int64_t q = a / b;
  if ((a % b) != 0 && (a < 0)) --q;
  return q;
}
inline std::int64_t CeilDiv(std::int64_t a, std::int64_t b) {  // b > 0
  std::int64_t q = a / b;
  if ((a % b) != 0 && (a > 0)) ++q;
  return q;
}

inline bool Finite(float f) { return std::isfinite(f); }

// Plane of one attribute over the triangle p0, p1, p2.
struct PlaneBuilder {
  double x0, y0, e1x, e1y, e2x, e2y, inv_det;
  void Plane(double a0, double a1, double a2, float* base, float* dx, float* dy) const {
    const double d1 = a1 - a0, d2 = a2 - a0;
    const double gx = (d1 * e2y - d2 * e1y) * inv_det;
    const double gy = (d2 * e1x - d1 * e2x) * inv_det;
    *dx = static_cast<float>(gx);
    *dy = static_cast<float>(gy);
    *base = static_cast<float>(a0 - gx * x0 - gy * y0);
  }
};

// Copies a level choice into the set-up of a primitive.
void SetLevel(TriSetup* t, const LevelChoice& c) {
  t->level = c.level;
  t->level2 = c.level2;
  t->level_frac = c.level_frac;
  t->minify = c.minify;
  t->aniso_n = c.aniso_n;
  t->aniso_du = c.aniso_du;
  t->aniso_dv = c.aniso_dv;
}

void NoMip(const DrawContext& dc, TriSetup* t) {
  SetLevel(t, NoLevelChoice(dc));
  t->lod_per_pixel = false;
}

void RasterizeSolid(const DrawContext& dc, const PVertex& v0, const PVertex* v1p, const PVertex* v2p,
                    const float* flat_color, bool ccw) {
  // Orientation: with y down, a clockwise triangle has positive area. The
  // caller has put the vertices in that order.
  const PVertex& v1 = *v1p;
  const PVertex& v2 = *v2p;
  const std::int64_t X0 = std::llround(v0.x * kSubScale), Y0 = std::llround(v0.y * kSubScale);
  const std::int64_t X1 = std::llround(v1.x * kSubScale), Y1 = std::llround(v1.y * kSubScale);
  const std::int64_t X2 = std::llround(v2.x * kSubScale), Y2 = std::llround(v2.y * kSubScale);
  const std::int64_t area = (X1 - X0) * (Y2 - Y0) - (X2 - X0) * (Y1 - Y0);
  if (area <= 0) return;  // degenerate after snapping

  // Rows whose centres lie within the triangle's vertical extent.
  const std::int64_t ymin = std::min({Y0, Y1, Y2}), ymax = std::max({Y0, Y1, Y2});
  int row0 = static_cast<int>(CeilDiv(ymin, 1 << kSubBits));
  int row1 = static_cast<int>(FloorDiv(ymax, 1 << kSubBits));
  row0 = std::max(row0, dc.clip_y0);
  row1 = std::min(row1, dc.clip_y1 - 1);
  if (row0 > row1) return;

  // Attribute planes from the snapped positions.
  TriSetup t;
  t.ccw = ccw;
  PlaneBuilder pb;
  pb.x0 = static_cast<double>(X0) / kSubScale;
  pb.y0 = static_cast<double>(Y0) / kSubScale;
  pb.e1x = static_cast<double>(X1 - X0) / kSubScale;
  pb.e1y = static_cast<double>(Y1 - Y0) / kSubScale;
  pb.e2x = static_cast<double>(X2 - X0) / kSubScale;
  pb.e2y = static_cast<double>(Y2 - Y0) / kSubScale;
  pb.inv_det = 1.0 / (pb.e1x * pb.e2y - pb.e2x * pb.e1y);

  pb.Plane(v0.z, v1.z, v2.z, &t.z0, &t.zx, &t.zy);
  t.perspective = !(v0.rhw == v1.rhw && v1.rhw == v2.rhw) && v0.rhw > 0.f && v1.rhw > 0.f && v2.rhw > 0.f;
  const double w0 = t.perspective ? v0.rhw : 1.0, w1 = t.perspective ? v1.rhw : 1.0,
               w2 = t.perspective ? v2.rhw : 1.0;
  if (t.perspective) pb.Plane(w0, w1, w2, &t.w0, &t.wx, &t.wy);
  else t.w0 = 1.f, t.wx = t.wy = 0.f;
  for (int i = 0; i < 4; ++i) {
    if (flat_color) {
      // Flat colour stays flat under the perspective divide: scale by w.
      pb.Plane(flat_color[i] * w0, flat_color[i] * w1, flat_color[i] * w2, &t.c0[i], &t.cx[i], &t.cy[i]);
    } else {
      pb.Plane(v0.c[i] * w0, v1.c[i] * w1, v2.c[i] * w2, &t.c0[i], &t.cx[i], &t.cy[i]);
    }
  }
  {
    const float* c0 = flat_color ? flat_color : v0.c;
    t.flat_rgba = flat_color != nullptr || (v0.c[0] == v1.c[0] && v0.c[1] == v1.c[1] && v0.c[2] == v1.c[2] &&
                                            v0.c[3] == v1.c[3] && v0.c[0] == v2.c[0] && v0.c[1] == v2.c[1] &&
                                            v0.c[2] == v2.c[2] && v0.c[3] == v2.c[3]);
    for (int i = 0; i < 4; ++i) t.flat_c[i] = c0[i];
  }
  if (!dc.interp_specular) {
    for (int i = 0; i < 4; ++i) t.s0[i] = i == 3 ? 255.f : 0.f, t.sx[i] = t.sy[i] = 0.f;
  } else {
    // Flat shading keeps the first vertex's specular colour; the fog
    // factor is always interpolated.
    for (int i = 0; i < 4; ++i) {
      const bool f = flat_color && i < 3;
      const float* s0 = f ? flat_color + 4 : v0.s;
      pb.Plane(s0[i] * w0, (f ? s0[i] : v1.s[i]) * w1, (f ? s0[i] : v2.s[i]) * w2, &t.s0[i], &t.sx[i], &t.sy[i]);
    }
  }
  pb.Plane(v0.u * w0, v1.u * w1, v2.u * w2, &t.u0, &t.ux, &t.uy);
  pb.Plane(v0.v * w0, v1.v * w1, v2.v * w2, &t.v0, &t.vx, &t.vy);
  if (dc.textured) {
    if (t.perspective) {
      // Texel footprint at the centroid; under perspective it changes over
      // the primitive, so the pixel stage chooses again at every pixel.
      const float cx = (v0.x + v1.x + v2.x) / 3.f, cy = (v0.y + v1.y + v2.y) / 3.f;
      const float w = t.w0 + t.wx * cx + t.wy * cy;
      const float u = (t.u0 + t.ux * cx + t.uy * cy) / w, v = (t.v0 + t.vx * cx + t.vy * cy) / w;
      SetLevel(&t, ChooseLevel(dc, (t.ux - u * t.wx) / w, (t.vx - v * t.wx) / w, (t.uy - u * t.wy) / w,
                               (t.vy - v * t.wy) / w));
      t.lod_per_pixel = LodVariesPerPixel(dc);
    } else {
      // Affine texture coordinates: one footprint for the whole primitive.
      SetLevel(&t, ChooseLevel(dc, t.ux, t.vx, t.uy, t.vy));
      t.lod_per_pixel = false;
    }
  } else {
    NoMip(dc, &t);
  }

  // Edge functions E(x, y) = A x + B y + C in sub-pixel units, positive
  // inside. A pixel is in when E > 0, or E == 0 on a top or left edge.
  struct Edge {
    std::int64_t a, b, c;
    std::int64_t threshold;
  } edges[3];
  const std::int64_t px[3] = {X0, X1, X2}, py[3] = {Y0, Y1, Y2};
  for (int i = 0; i < 3; ++i) {
    const int j = (i + 1) % 3;
    const std::int64_t dx = px[j] - px[i], dy = py[j] - py[i];
    Edge& e = edges[i];
    // E = dx * (y*S - Py) - dy * (x*S - Px)
    e.a = -dy * (1 << kSubBits);
    e.b = dx * (1 << kSubBits);
    e.c = -dx * py[i] + dy * px[i];
    const bool top_left = dy < 0 || (dy == 0 && dx > 0);
    e.threshold = top_left ? 0 : 1;
  }

  // Each edge bounds x on a row: x >= ceil(need / a) for a > 0, or
  // x <= floor(-need / -a) for a < 0, with need = threshold - (b y + c).
  // The quotient is stepped from row to row with its remainder, so the
  // rows cost no division.
  struct Bound {
    std::int64_t q, r, dq, dr, div;  // value = floor(num / div), num = div q + r
    bool lower;                      // lower bound (ceil) or upper bound (floor)
    const Edge* edge;
  } bounds[3];
  int nbounds = 0;
  for (const Edge& e : edges) {
    if (e.a == 0) {
      // A horizontal edge limits the rows: inside where b y + c >= threshold.
      if (e.b > 0) row0 = static_cast<int>(std::max<std::int64_t>(row0, CeilDiv(e.threshold - e.c, e.b)));
      if (e.b < 0) row1 = static_cast<int>(std::min<std::int64_t>(row1, FloorDiv(e.c - e.threshold, -e.b)));
      continue;
    }
    Bound& bd = bounds[nbounds++];
    bd.edge = &e;
    bd.lower = e.a > 0;
    // The lower bound divides need = threshold - (b y + c) by a; the upper
    // bound divides -need by -a. From one row to the next num grows by step.
    bd.div = bd.lower ? e.a : -e.a;
    const std::int64_t step = bd.lower ? -e.b : e.b;
    bd.dq = FloorDiv(step, bd.div);
    bd.dr = step - bd.dq * bd.div;
  }
  if (row0 > row1) return;
  for (int i = 0; i < nbounds; ++i) {
    Bound& bd = bounds[i];
    const std::int64_t need = bd.edge->threshold - (bd.edge->b * row0 + bd.edge->c);
    const std::int64_t num = bd.lower ? need : -need;
    bd.q = FloorDiv(num, bd.div);
    bd.r = num - bd.q * bd.div;
  }
  // The row walk keeps the lower and upper bounds in separate local arrays
  // of fixed size, so the compiler holds them in registers.
  auto walk = [&](auto nl, auto nu) {
    constexpr int L = decltype(nl)::value, U = decltype(nu)::value;
    std::int64_t q[L + U] = {}, r[L + U] = {}, dq[L + U] = {}, dr[L + U] = {}, div[L + U] = {};
    int li = 0, ui = L;
    for (int i = 0; i < nbounds; ++i) {
      const int k = bounds[i].lower ? li++ : ui++;
      q[k] = bounds[i].q, r[k] = bounds[i].r, dq[k] = bounds[i].dq, dr[k] = bounds[i].dr, div[k] = bounds[i].div;
    }
    for (int y = row0; y <= row1; ++y) {
      std::int64_t lo = dc.clip_x0, hi = dc.clip_x1 - 1;
      for (int i = 0; i < L; ++i) lo = std::max(lo, q[i] + (r[i] > 0 ? 1 : 0));
      for (int i = L; i < L + U; ++i) hi = std::min(hi, q[i]);
      for (int i = 0; i < L + U; ++i) {
        q[i] += dq[i];
        r[i] += dr[i];
        if (r[i] >= div[i]) {
          r[i] -= div[i];
          ++q[i];
        }
      }
      if (lo > hi) continue;
      dc.span(dc, t, y, static_cast<int>(lo), static_cast<int>(hi) + 1);
    }
  };
  int nlower = 0;
  for (int i = 0; i < nbounds; ++i) nlower += bounds[i].lower ? 1 : 0;
  const int nupper = nbounds - nlower;
  using One = std::integral_constant<int, 1>;
  using Two = std::integral_constant<int, 2>;
  using Zero = std::integral_constant<int, 0>;
  if (nlower == 1 && nupper == 1) walk(One{}, One{});
  else if (nlower == 1 && nupper == 2) walk(One{}, Two{});
  else if (nlower == 2 && nupper == 1) walk(Two{}, One{});
  else if (nlower == 0 && nupper == 1) walk(Zero{}, One{});
  else if (nlower == 1 && nupper == 0) walk(One{}, Zero{});
  else if (nlower == 0 && nupper == 2) walk(Zero{}, Two{});
  else if (nlower == 2 && nupper == 0) walk(Two{}, Zero{});
  else if (nlower == 3) walk(std::integral_constant<int, 3>{}, Zero{});
  else if (nupper == 3) walk(Zero{}, std::integral_constant<int, 3>{});
}

// Screen-space triangle: finiteness, culling, fill mode.
void DrawScreenTriangle(const DrawContext& dc, const PVertex& a, const PVertex& b, const PVertex& c,
                        const float* flat_color) {
  for (const PVertex* v : {&a, &b, &c})
    if (!Finite(v->x) || !Finite(v->y) || std::fabs(v->x) > kMaxCoord || std::fabs(v->y) > kMaxCoord) return;
  const double area = (static_cast<double>(b.x) - a.x) * (static_cast<double>(c.y) - a.y) -
                      (static_cast<double>(c.x) - a.x) * (static_cast<double>(b.y) - a.y);
  if (area == 0.0) return;
  // Positive area is clockwise on screen (y grows downwards).
  if (dc.cull == D3DCULL_CCW && area < 0) return;
  if (dc.cull == D3DCULL_CW && area > 0) return;
  if (dc.fill == D3DFILL_POINT) {
    DrawPoint(dc, a);
    DrawPoint(dc, b);
    DrawPoint(dc, c);
    return;
  }
  if (dc.fill == D3DFILL_WIREFRAME) {
    DrawContext edges = dc;
    edges.last_pixel = false;  // corners are drawn once, by the edge that starts there
    PVertex va = a, vb = b, vc = c;
    if (flat_color)
      for (int i = 0; i < 4; ++i) {
        va.c[i] = vb.c[i] = vc.c[i] = flat_color[i];
        if (i < 3) va.s[i] = vb.s[i] = vc.s[i] = flat_color[4 + i];
      }
    DrawLine(edges, va, vb);
    DrawLine(edges, vb, vc);
    DrawLine(edges, vc, va);
    return;
  }
  if (area > 0)
    RasterizeSolid(dc, a, &b, &c, flat_color, false);
  else
    RasterizeSolid(dc, a, &c, &b, flat_color, true);
}

// Sutherland-Hodgman clipping of a polygon in clip space.
constexpr int kMaxPoly = 12;

float PlaneDistance(const PVertex& v, std::uint32_t plane) {
  const float g = kGuardBand;
  switch (plane) {
    case kNear: return v.cz;
    case kFar: return v.cw - v.cz;
    case kLeft: return v.cx + g * v.cw;
    case kRight: return g * v.cw - v.cx;
    case kBottom: return v.cy + g * v.cw;
    default: return g * v.cw - v.cy;
  }
}

PVertex Lerp(const PVertex& a, const PVertex& b, float t) {
  PVertex r;
  r.cx = a.cx + (b.cx - a.cx) * t;
  r.cy = a.cy + (b.cy - a.cy) * t;
  r.cz = a.cz + (b.cz - a.cz) * t;
  r.cw = a.cw + (b.cw - a.cw) * t;
  for (int i = 0; i < 4; ++i) r.c[i] = a.c[i] + (b.c[i] - a.c[i]) * t;
  for (int i = 0; i < 4; ++i) r.s[i] = a.s[i] + (b.s[i] - a.s[i]) * t;
  r.u = a.u + (b.u - a.u) * t;
  r.v = a.v + (b.v - a.v) * t;
  r.psize = a.psize + (b.psize - a.psize) * t;
  r.clip = 0;
  r.x = r.y = r.z = 0.f;
  r.rhw = 1.f;
  return r;
}

int ClipPolygon(PVertex* poly, int n, std::uint32_t planes) {
  PVertex tmp[kMaxPoly];
  for (std::uint32_t plane = 1; plane <= kTop; plane <<= 1) {
    if (!(planes & plane) || n == 0) continue;
    int m = 0;
    for (int i = 0; i < n; ++i) {
      const PVertex& p = poly[i];
      const PVertex& q = poly[(i + 1) % n];
      const float dp = PlaneDistance(p, plane), dq = PlaneDistance(q, plane);
      if (dp >= 0 && m < kMaxPoly) tmp[m++] = p;
      if ((dp >= 0) != (dq >= 0) && m < kMaxPoly) tmp[m++] = Lerp(p, q, dp / (dp - dq));
    }
    for (int i = 0; i < m; ++i) poly[i] = tmp[i];
    n = m;
  }
  return n;
}

}  // namespace

std::uint32_t ClipCode(float x, float y, float z, float w) {
  std::uint32_t c = 0;
  if (!(z >= 0.f)) c |= kNear;  // also NaN
  if (z > w) c |= kFar;
  if (x < -kGuardBand * w) c |= kLeft;
  if (x > kGuardBand * w) c |= kRight;
  if (y < -kGuardBand * w) c |= kBottom;
  if (y > kGuardBand * w) c |= kTop;
  return c;
}

void ProjectVertex(const DrawContext& dc, PVertex* v) {
  const float rhw = v->cw != 0.f ? 1.f / v->cw : 0.f;
  v->x = dc.vp_x + (1.f + v->cx * rhw) * dc.vp_half_w;
  v->y = dc.vp_y + (1.f - v->cy * rhw) * dc.vp_half_h;
  v->z = dc.vp_min_z + v->cz * rhw * (dc.vp_max_z - dc.vp_min_z);
  v->rhw = rhw;
}

int ClipTriangle(const DrawContext& dc, const PVertex& a, const PVertex& b, const PVertex& c, PVertex* out) {
  static_assert(kMaxPoly == kMaxClipVertices, "the clipper's polygon fits the caller's");
  if (a.clip & b.clip & c.clip) return 0;  // wholly outside one plane
  out[0] = a, out[1] = b, out[2] = c;
  const int n = ClipPolygon(out, 3, a.clip | b.clip | c.clip);
  for (int i = 0; i < n; ++i) {
    ProjectVertex(dc, &out[i]);
    out[i].clip = 0;
  }
  return n;
}

bool ClipLine(const DrawContext& dc, const PVertex& a_in, const PVertex& b_in, PVertex* out) {
  if (a_in.clip & b_in.clip) return false;
  float t0 = 0.f, t1 = 1.f;
  for (std::uint32_t plane = 1; plane <= kTop; plane <<= 1) {
    if (!((a_in.clip | b_in.clip) & plane)) continue;
    const float da = PlaneDistance(a_in, plane), db = PlaneDistance(b_in, plane);
    if (da < 0 && db < 0) return false;
    const float t = da / (da - db);
    if (da < 0) t0 = std::max(t0, t);
    else if (db < 0) t1 = std::min(t1, t);
  }
  if (t0 > t1) return false;
  PVertex& a = out[0];
  PVertex& b = out[1];
  a = Lerp(a_in, b_in, t0);
  b = Lerp(a_in, b_in, t1);
  ProjectVertex(dc, &a);
  ProjectVertex(dc, &b);
  if (dc.flat) {
    std::copy(a_in.c, a_in.c + 4, a.c), std::copy(a_in.c, a_in.c + 4, b.c);
    std::copy(a_in.s, a_in.s + 3, a.s), std::copy(a_in.s, a_in.s + 3, b.s);
  }
  return true;
}

void DrawTriangle(const DrawContext& dc, const PVertex& a, const PVertex& b, const PVertex& c,
                  const PVertex& first) {
  const PVertex& f = first;
  float flat_color[8] = {f.c[0], f.c[1], f.c[2], f.c[3], f.s[0], f.s[1], f.s[2], f.s[3]};
  if ((a.clip | b.clip | c.clip) == 0) return DrawScreenTriangle(dc, a, b, c, dc.flat ? flat_color : nullptr);
  PVertex poly[kMaxPoly];
  const int n = ClipTriangle(dc, a, b, c, poly);
  for (int i = 1; i + 1 < n; ++i) DrawScreenTriangle(dc, poly[0], poly[i], poly[i + 1], dc.flat ? flat_color : nullptr);
}

void DrawLine(const DrawContext& dc, const PVertex& a_in, const PVertex& b_in) {
  PVertex a = a_in, b = b_in;
  if (a.clip | b.clip) {
    PVertex clipped[2];
    if (!ClipLine(dc, a_in, b_in, clipped)) return;
    a = clipped[0], b = clipped[1];
  }
  for (const PVertex* v : {&a, &b})
    if (!Finite(v->x) || !Finite(v->y) || std::fabs(v->x) > kMaxCoord || std::fabs(v->y) > kMaxCoord) return;
  const float dx = b.x - a.x, dy = b.y - a.y;
  if (dx == 0.f && dy == 0.f) return;
  const bool x_major = std::fabs(dx) >= std::fabs(dy);
  const float major_a = x_major ? a.x : a.y, major_b = x_major ? b.x : b.y;
  const float span = major_b - major_a;
  const int step = span > 0 ? 1 : -1;
  // Pixels whose centres the line passes, start included, end included
  // only with D3DRS_LASTPIXEL.
  const int first = static_cast<int>(std::floor(major_a + 0.5f));
  const int last = static_cast<int>(std::floor(major_b + 0.5f));
  if (first == last && !dc.last_pixel) return;

  // Attributes along the major axis as planes in that coordinate.
  TriSetup t;
  const float inv = 1.f / span;
  const bool persp = !(a.rhw == b.rhw) && a.rhw > 0.f && b.rhw > 0.f;
  const float wa = persp ? a.rhw : 1.f, wb = persp ? b.rhw : 1.f;
  auto plane = [&](float va, float vb, float* base, float* dmaj, float* dmin) {
    const float g = (vb - va) * inv;
    *dmaj = g;
    *dmin = 0.f;
    *base = va - g * major_a;
  };
  auto set = [&](float va, float vb, float* base, float* gx, float* gy) {
    if (x_major) plane(va, vb, base, gx, gy);
    else plane(va, vb, base, gy, gx);
  };
  set(a.z, b.z, &t.z0, &t.zx, &t.zy);
  t.perspective = persp;
  if (persp) set(wa, wb, &t.w0, &t.wx, &t.wy);
  else t.w0 = 1.f, t.wx = t.wy = 0.f;
  for (int i = 0; i < 4; ++i) {
    const float cb = dc.flat ? a.c[i] : b.c[i];
    set(a.c[i] * wa, cb * wb, &t.c0[i], &t.cx[i], &t.cy[i]);
  }
  for (int i = 0; i < 4; ++i) {
    const float sb = dc.flat && i < 3 ? a.s[i] : b.s[i];
    set(a.s[i] * wa, sb * wb, &t.s0[i], &t.sx[i], &t.sy[i]);
  }
  set(a.u * wa, b.u * wb, &t.u0, &t.ux, &t.uy);
  set(a.v * wa, b.v * wb, &t.v0, &t.vx, &t.vy);
  NoMip(dc, &t);

  const float slope = (x_major ? dy : dx) * inv;
  const float minor_a = x_major ? a.y : a.x;
  // The pixels go to the pixel-list routine in batches.
  constexpr int kBatch = 128;
  std::int32_t xy[2 * kBatch];
  int n = 0;
  // Only the part of the walk inside the clip rectangle along the major
  // axis can give pixels: a clipped line may reach far into the guard band.
  int lo = x_major ? dc.clip_x0 : dc.clip_y0, hi = (x_major ? dc.clip_x1 : dc.clip_y1) - 1;
  if (slope != 0.f) {
    // Nor the part whose minor coordinate lies outside it, as when a band
    // of rows draws its piece of a long line. The range is widened by a
    // pixel and two steps, so rounding cannot drop a pixel inside.
    const float mlo = static_cast<float>(x_major ? dc.clip_y0 : dc.clip_x0) - 1.5f;
    const float mhi = static_cast<float>(x_major ? dc.clip_y1 : dc.clip_x1) + 0.5f;
    const float ia = major_a + (mlo - minor_a) / slope, ib = major_a + (mhi - minor_a) / slope;
    const float ilo = std::floor(std::min(ia, ib)) - 2.f, ihi = std::ceil(std::max(ia, ib)) + 2.f;
    if (ilo > static_cast<float>(lo)) lo = ilo < static_cast<float>(hi) ? static_cast<int>(ilo) : hi + 1;
    if (ihi < static_cast<float>(hi)) hi = ihi > static_cast<float>(lo) ? static_cast<int>(ihi) : lo - 1;
  }
  const int start = step > 0 ? std::max(first, lo) : std::min(first, hi);
  const int stop = step > 0 ? std::min(last, hi) : std::max(last, lo);
  if (step > 0 ? start > stop : start < stop) return;
  for (int i = start;; i += step) {
    const bool at_end = i == last;
    if (at_end && !dc.last_pixel) break;
    const float minor = minor_a + (static_cast<float>(i) - major_a) * slope;
    const float m = minor + 0.5f;  // floor, without a library call
    int j = static_cast<int>(m);
    if (m < static_cast<float>(j)) --j;
    const int x = x_major ? i : j, y = x_major ? j : i;
    if (x >= dc.clip_x0 && x < dc.clip_x1 && y >= dc.clip_y0 && y < dc.clip_y1) {
      xy[2 * n] = x;
      xy[2 * n + 1] = y;
      if (++n == kBatch) {
        dc.pixels(dc, t, xy, n);
        n = 0;
      }
    }
    if (at_end || i == stop) break;
  }
  if (n) dc.pixels(dc, t, xy, n);
}

void DrawPoint(const DrawContext& dc, const PVertex& p_in) {
  PVertex p = p_in;
  if (p.clip) {
    if (p.clip & (kNear | kFar)) return;
    ProjectVertex(dc, &p);
  }
  if (!Finite(p.x) || !Finite(p.y) || std::fabs(p.x) > kMaxCoord || std::fabs(p.y) > kMaxCoord) return;
  float size = p.psize;
  if (!(size >= 1.f)) size = 1.f;
  if (size > 256.f) size = 256.f;
  const float h = size * 0.5f;
  // The square [x - h, x + h) x [y - h, y + h) and the pixel centres in it.
  const int x0 = std::max(static_cast<int>(std::ceil(p.x - h)), dc.clip_x0);
  const int x1 = std::min(static_cast<int>(std::ceil(p.x + h)), dc.clip_x1);
  const int y0 = std::max(static_cast<int>(std::ceil(p.y - h)), dc.clip_y0);
  const int y1 = std::min(static_cast<int>(std::ceil(p.y + h)), dc.clip_y1);
  if (x0 >= x1 || y0 >= y1) return;
  TriSetup t{};
  t.z0 = p.z;
  t.w0 = 1.f;
  t.perspective = false;
  for (int i = 0; i < 4; ++i) t.c0[i] = p.c[i], t.s0[i] = p.s[i];
  if (dc.point_sprite) {
    // Texture coordinates run from (0, 0) at the top-left corner of the
    // square to (1, 1) at the bottom-right.
    const float inv = 1.f / size;
    t.ux = inv;
    t.u0 = -(p.x - h) * inv;
    t.vy = inv;
    t.v0 = -(p.y - h) * inv;
    SetLevel(&t, ChooseLevel(dc, inv, 0.f, 0.f, inv));
    t.lod_per_pixel = false;
  } else {
    t.u0 = p.u;
    t.v0 = p.v;
    NoMip(dc, &t);
  }
  for (int y = y0; y < y1; ++y) dc.span(dc, t, y, x0, x1);
}

}  // namespace d3d9_impl
