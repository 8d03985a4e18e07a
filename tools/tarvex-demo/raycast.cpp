#include "raycast.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace tarvex::demo {

namespace {

constexpr double kEps = 1e-4;
constexpr double kFar = 1e9;

struct Hit {
  double t = kFar;
  V3 n;
  int material = -1;
  bool floor = false;
};

double Axis(V3 v, int a) { return a == 0 ? v.x : (a == 1 ? v.y : v.z); }

bool InHole(const Box& b, int face, V3 p) {
  int axis = face / 2;
  int ua = axis == 0 ? 1 : 0, va = axis == 2 ? 1 : 2;
  for (const Hole& h : b.holes) {
    if (h.face != face) continue;
    double u = Axis(p, ua), v = Axis(p, va);
    if (u > h.u0 && u < h.u1 && v > h.v0 && v < h.v1) return true;
  }
  return false;
}

void IntersectBox(const Box& b, V3 o, V3 d, double tMin, Hit& best) {
  double t0 = -kFar, t1 = kFar;
  int f0 = -1, f1 = -1;
  for (int a = 0; a < 3; ++a) {
    double oa = Axis(o, a), da = Axis(d, a), lo = Axis(b.lo, a), hi = Axis(b.hi, a);
    if (std::fabs(da) < 1e-12) {
      if (oa < lo || oa > hi) return;
      continue;
    }
    double ta = (lo - oa) / da, tb = (hi - oa) / da;
    int fa = a * 2, fb = a * 2 + 1;
    if (ta > tb) { std::swap(ta, tb); std::swap(fa, fb); }
    if (ta > t0) { t0 = ta; f0 = fa; }
    if (tb < t1) { t1 = tb; f1 = fb; }
    if (t0 > t1) return;
  }
  if (b.inside) {
    if (t1 <= tMin || t1 >= best.t || f1 < 0) return;
    V3 p = o + d * t1;
    if (InHole(b, f1, p)) return;
    best.t = t1;
    // Faces of a room look inward.
    best.n = V3{};
    int axis = f1 / 2;
    double s = (f1 & 1) ? -1.0 : 1.0;
    if (axis == 0) best.n.x = s; else if (axis == 1) best.n.y = s; else best.n.z = s;
    best.material = b.material[f1];
    best.floor = (f1 == 2 && std::fabs(b.lo.y) < 1e-9);
    return;
  }
  if (t0 <= tMin || t0 >= best.t || f0 < 0) return;
  best.t = t0;
  best.n = V3{};
  int axis = f0 / 2;
  double s = (f0 & 1) ? 1.0 : -1.0;
  if (axis == 0) best.n.x = s; else if (axis == 1) best.n.y = s; else best.n.z = s;
  best.material = b.material[f0];
  best.floor = false;
}

void IntersectCylinder(const Cylinder& c, V3 o, V3 d, double tMin, Hit& best) {
  double ox = o.x - c.cx, oz = o.z - c.cz;
  double a = d.x * d.x + d.z * d.z, b = 2 * (ox * d.x + oz * d.z), cc = ox * ox + oz * oz - c.radius * c.radius;
  if (a > 1e-12) {
    double disc = b * b - 4 * a * cc;
    if (disc >= 0) {
      double sq = std::sqrt(disc);
      for (double t : {(-b - sq) / (2 * a), (-b + sq) / (2 * a)}) {
        if (t <= tMin || t >= best.t) continue;
        double y = o.y + d.y * t;
        if (y < c.y0 || y > c.y1) continue;
        best.t = t;
        best.n = Normalize(V3{ox + d.x * t, 0, oz + d.z * t});
        best.material = c.material;
        best.floor = false;
        break;
      }
    }
  }
  if (std::fabs(d.y) > 1e-12) {
    for (double yc : {c.y1, c.y0}) {
      double t = (yc - o.y) / d.y;
      if (t <= tMin || t >= best.t) continue;
      double px = ox + d.x * t, pz = oz + d.z * t;
      if (px * px + pz * pz > c.radius * c.radius) continue;
      best.t = t;
      best.n = V3{0, yc == c.y1 ? 1.0 : -1.0, 0};
      best.material = c.material;
      best.floor = false;
    }
  }
}

void IntersectSphere(const Sphere& s, V3 o, V3 d, double tMin, Hit& best) {
  V3 oc = o - s.centre;
  double a = Dot(d, d), b = 2 * Dot(oc, d), c = Dot(oc, oc) - s.radius * s.radius;
  double disc = b * b - 4 * a * c;
  if (disc < 0) return;
  double sq = std::sqrt(disc);
  for (double t : {(-b - sq) / (2 * a), (-b + sq) / (2 * a)}) {
    if (t <= tMin || t >= best.t) continue;
    best.t = t;
    best.n = Normalize(oc + d * t);
    best.material = s.material;
    best.floor = false;
    return;
  }
}

Hit Trace(const Room& room, V3 o, V3 d, double tMin) {
  Hit best;
  for (const Box& b : room.boxes) IntersectBox(b, o, d, tMin, best);
  for (const Cylinder& c : room.cylinders) IntersectCylinder(c, o, d, tMin, best);
  for (const Sphere& s : room.spheres) IntersectSphere(s, o, d, tMin, best);
  return best;
}

uint32_t Hash(int a, int b) {
  uint32_t h = uint32_t(a) * 73856093u ^ uint32_t(b) * 19349663u;
  h ^= h >> 13;
  h *= 0x5bd1e995u;
  h ^= h >> 15;
  return h;
}

double Fract(double v) { return v - std::floor(v); }

// Face coordinates for patterns: floor/ceiling use x, z; walls use their horizontal axis and y.
void FaceUv(V3 p, V3 n, double& u, double& v) {
  if (std::fabs(n.y) > 0.5) { u = p.x; v = p.z; }
  else if (std::fabs(n.x) > 0.5) { u = p.z; v = p.y; }
  else if (std::fabs(n.z) > 0.5) { u = p.x; v = p.y; }
  else { u = std::atan2(n.z, n.x) * 40; v = p.y; }
}

V3 Albedo(const Material& m, V3 p, V3 n) {
  double u, v;
  FaceUv(p, n, u, v);
  double s = m.scale;
  switch (m.pattern) {
    case kPlain: return m.albedo;
    case kTiles: {
      double fu = Fract(u / s), fv = Fract(v / s);
      if (fu < 0.04 || fv < 0.04) return m.albedo2 * 0.8;
      bool odd = ((int(std::floor(u / s)) + int(std::floor(v / s))) & 1) != 0;
      return odd ? m.albedo : Mix3(m.albedo, m.albedo2, 0.35);
    }
    case kPlanks: {
      int plank = int(std::floor(u / s));
      double along = v + (Hash(plank, 7) % 1000) * 0.37;
      int piece = int(std::floor(along / (s * 6)));
      double shade = 0.85 + 0.15 * ((Hash(plank, piece) % 1000) / 1000.0);
      double grain = 0.93 + 0.07 * std::sin(along * 0.15 + plank * 1.7 + std::sin(along * 0.03) * 3);
      if (Fract(u / s) < 0.05 || Fract(along / (s * 6)) < 0.006) return m.albedo2 * 0.6;
      return m.albedo * (shade * grain);
    }
    case kStripes: {
      double f = Fract(u / s);
      V3 c = f < 0.5 ? m.albedo : m.albedo2;
      if (v < 12) return m.albedo2 * 0.55;  // skirting board
      return c;
    }
    case kBricks: {
      double row = std::floor(v / (s * 0.5));
      double off = (int(row) & 1) ? 0.5 : 0.0;
      double fu = Fract(u / s + off), fv = Fract(v / (s * 0.5));
      if (fu < 0.05 || fv < 0.1) return m.albedo2;
      double shade = 0.88 + 0.12 * ((Hash(int(std::floor(u / s + off)), int(row)) % 1000) / 1000.0);
      return m.albedo * shade;
    }
    case kPanel: {
      double fu = Fract(u / s), fv = Fract(v / s);
      if (fu < 0.06 || fv < 0.06) return m.albedo2;
      return m.albedo;
    }
    case kRug: {
      double fu = Fract(u / s), fv = Fract(v / s);
      double d = std::min(std::min(fu, 1 - fu), std::min(fv, 1 - fv));
      return d < 0.12 ? m.albedo2 : m.albedo;
    }
    case kScreen: {
      double fv = Fract(v / 6.0);
      return fv < 0.5 ? m.albedo : m.albedo * 0.8;
    }
  }
  return m.albedo;
}

bool PatchAt(const Room& room, V3 p, const FloorPatch*& out) {
  for (const FloorPatch& f : room.patches)
    if (p.x >= f.x0 && p.x <= f.x1 && p.z >= f.z0 && p.z <= f.z1) { out = &f; return true; }
  return false;
}

V3 Shade(const Room& room, V3 o, V3 d, const Hit& h, int bounce) {
  V3 p = o + d * h.t;
  V3 n = h.n;
  if (Dot(n, d) > 0) n = n * -1.0;
  const Material* m = &room.materials[h.material];
  const FloorPatch* patch = nullptr;
  if (h.floor && PatchAt(room, p, patch)) m = &room.materials[patch->material];
  V3 albedo = Albedo(*m, p, n);
  V3 light = room.ambient * (1.0 / 255.0);
  for (const PointLight& l : room.lights) {
    V3 toL = l.position - p;
    double dist = Length(toL);
    if (dist > l.range || dist < 1e-6) continue;
    V3 dir = toL * (1.0 / dist);
    double ndl = Dot(n, dir);
    if (ndl <= 0) continue;
    Hit s = Trace(room, p + n * 0.05, toL, kEps);
    if (s.t < 1.0 - 1e-6) {
      // Emissive fittings do not cast shadows of their own light.
      if (room.materials[s.material].emissive <= 0) continue;
    }
    double att = 1.0 / (l.a0 + l.a1 * dist + l.a2 * dist * dist);
    light = light + l.colour * (ndl * att / 255.0);
  }
  V3 c = Mul(albedo, light) + albedo * m->emissive;
  if (m->reflect > 0 && bounce < 2) {
    V3 r = d - n * (2 * Dot(d, n));
    Hit rh = Trace(room, p + n * 0.05, r, kEps);
    V3 rc = rh.material >= 0 ? Shade(room, p, r, rh, bounce + 1) : V3{};
    c = c * (1 - m->reflect) + Mul(rc, V3{0.92, 0.96, 1.0}) * m->reflect;
  }
  return c;
}

bool Walkable(const Room& room, V3 p) {
  if (p.x < room.walkMinX || p.x > room.walkMaxX || p.z < room.walkMinZ || p.z > room.walkMaxZ) return false;
  double m = room.margin;
  for (const Box& b : room.boxes)
    if (b.obstacle && p.x > b.lo.x - m && p.x < b.hi.x + m && p.z > b.lo.z - m && p.z < b.hi.z + m) return false;
  for (const Cylinder& c : room.cylinders)
    if (c.obstacle && std::hypot(p.x - c.cx, p.z - c.cz) < c.radius + m) return false;
  return true;
}

}  // namespace

V3 Mix3(V3 a, V3 b, double t) { return a + (b - a) * t; }

RenderResult RenderRoom(const Room& room, const Camera& cam, int x0, int y0, int w, int h) {
  RenderResult out;
  out.colour = Image(w, h);
  out.depth.assign(size_t(w) * h, 0.0f);
  out.floorDepth.assign(size_t(w) * h, std::numeric_limits<float>::quiet_NaN());
  out.floorClass.assign(size_t(w) * h, 255);
  for (int j = 0; j < h; ++j)
    for (int i = 0; i < w; ++i) {
      int x = x0 + i, y = y0 + j;
      V3 d = cam.PixelRay(x, y);
      Hit hit = Trace(room, cam.eye, d, kEps);
      size_t k = size_t(j) * w + i;
      if (hit.material < 0) {
        out.depth[k] = -20000.0f;
        out.colour.Set(i, j, {0, 0, 0, 255});
        continue;
      }
      out.depth[k] = float(-hit.t);
      V3 c = Shade(room, cam.eye, d, hit, 0);
      // A gentle curve keeps highlights from clipping hard.
      auto tone = [](double v) {
        return uint8_t(std::lround(255.0 * std::clamp(1.25 * v / (1.0 + 0.25 * v), 0.0, 1.0)));
      };
      out.colour.Set(i, j, {tone(c.x), tone(c.y), tone(c.z), 255});
      if (hit.floor) {
        V3 p = cam.eye + d * hit.t;
        out.floorDepth[k] = float(-hit.t);
        const FloorPatch* patch = nullptr;
        if (!Walkable(room, p)) out.floorClass[k] = 255;
        else if (PatchAt(room, p, patch) && patch->maskValue != 0) out.floorClass[k] = patch->maskValue;
        else out.floorClass[k] = 0;
      }
    }
  return out;
}

V3 ScreenOnPlane(const Camera& cam, double x, double y, int axis, double value) {
  V3 d = cam.PixelRay(x, y);
  double da = Axis(d, axis);
  if (std::fabs(da) < 1e-12) return cam.eye;
  double t = (value - Axis(cam.eye, axis)) / da;
  return cam.eye + d * t;
}

}  // namespace tarvex::demo
