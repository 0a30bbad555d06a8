// The D3DX vector and matrix functions and the operators of the math types.
// A null argument makes a function return null (FALSE or 0 for the others)
// without touching anything.
#include <cmath>

#include "platform/d3dx/d3dx9_math.h"

namespace {

D3DXMATRIX Product(const D3DXMATRIX& a, const D3DXMATRIX& b) {
  D3DXMATRIX r;
  for (int i = 0; i < 4; ++i)
    for (int j = 0; j < 4; ++j)
      r.m[i][j] = a.m[i][0] * b.m[0][j] + a.m[i][1] * b.m[1][j] + a.m[i][2] * b.m[2][j] + a.m[i][3] * b.m[3][j];
  return r;
}

D3DXMATRIX Zero() {
  D3DXMATRIX r;
  for (auto& row : r.m)
    for (float& v : row) v = 0.f;
  return r;
}

}  // namespace

// [SECTION] Operators

D3DXMATRIX& D3DXMATRIX::operator*=(const D3DXMATRIX& o) { return *this = Product(*this, o); }
D3DXMATRIX& D3DXMATRIX::operator+=(const D3DXMATRIX& o) {
  for (int i = 0; i < 16; ++i) m[i / 4][i % 4] += o.m[i / 4][i % 4];
  return *this;
}
D3DXMATRIX& D3DXMATRIX::operator-=(const D3DXMATRIX& o) {
  for (int i = 0; i < 16; ++i) m[i / 4][i % 4] -= o.m[i / 4][i % 4];
  return *this;
}
D3DXMATRIX& D3DXMATRIX::operator*=(float f) {
  for (auto& row : m)
    for (float& v : row) v *= f;
  return *this;
}
D3DXMATRIX D3DXMATRIX::operator*(const D3DXMATRIX& o) const { return Product(*this, o); }
D3DXMATRIX D3DXMATRIX::operator+(const D3DXMATRIX& o) const { return D3DXMATRIX(*this) += o; }
D3DXMATRIX D3DXMATRIX::operator-(const D3DXMATRIX& o) const { return D3DXMATRIX(*this) -= o; }
D3DXMATRIX D3DXMATRIX::operator*(float f) const { return D3DXMATRIX(*this) *= f; }
D3DXMATRIX D3DXMATRIX::operator-() const { return D3DXMATRIX(*this) *= -1.f; }
bool D3DXMATRIX::operator==(const D3DXMATRIX& o) const {
  for (int i = 0; i < 16; ++i)
    if (m[i / 4][i % 4] != o.m[i / 4][i % 4]) return false;
  return true;
}

D3DXCOLOR::D3DXCOLOR(DWORD c)
    : r(((c >> 16) & 255) / 255.f), g(((c >> 8) & 255) / 255.f), b((c & 255) / 255.f), a((c >> 24) / 255.f) {}

D3DXCOLOR::operator DWORD() const {
  auto byte = [](float v) -> DWORD { return v >= 1.f ? 255 : v <= 0.f ? 0 : static_cast<DWORD>(v * 255.f + 0.5f); };
  return (byte(a) << 24) | (byte(r) << 16) | (byte(g) << 8) | byte(b);
}

// [SECTION] Vectors

float D3DXVec3LengthSq(const D3DXVECTOR3* v) {
  if (!v) return 0.f;
  return v->x * v->x + v->y * v->y + v->z * v->z;
}
float D3DXVec3Length(const D3DXVECTOR3* v) {
  if (!v) return 0.f;
  return std::sqrt(D3DXVec3LengthSq(v));
}
float D3DXVec3Dot(const D3DXVECTOR3* a, const D3DXVECTOR3* b) {
  if (!a || !b) return 0.f;
  return a->x * b->x + a->y * b->y + a->z * b->z;
}

D3DXVECTOR3* D3DXVec3Cross(D3DXVECTOR3* out, const D3DXVECTOR3* a, const D3DXVECTOR3* b) {
  if (!out || !a || !b) return nullptr;
  // Computed into a temporary: out may alias either input.
  D3DXVECTOR3 r(a->y * b->z - a->z * b->y, a->z * b->x - a->x * b->z, a->x * b->y - a->y * b->x);
  *out = r;
  return out;
}
D3DXVECTOR3* D3DXVec3Add(D3DXVECTOR3* out, const D3DXVECTOR3* a, const D3DXVECTOR3* b) {
  if (!out || !a || !b) return nullptr;
  *out = *a + *b;
  return out;
}
D3DXVECTOR3* D3DXVec3Subtract(D3DXVECTOR3* out, const D3DXVECTOR3* a, const D3DXVECTOR3* b) {
  if (!out || !a || !b) return nullptr;
  *out = *a - *b;
  return out;
}
D3DXVECTOR3* D3DXVec3Scale(D3DXVECTOR3* out, const D3DXVECTOR3* v, float s) {
  if (!out || !v) return nullptr;
  *out = *v * s;
  return out;
}
D3DXVECTOR3* D3DXVec3Lerp(D3DXVECTOR3* out, const D3DXVECTOR3* a, const D3DXVECTOR3* b, float s) {
  if (!out || !a || !b) return nullptr;
  *out = *a + (*b - *a) * s;
  return out;
}
D3DXVECTOR3* D3DXVec3Normalize(D3DXVECTOR3* out, const D3DXVECTOR3* v) {
  if (!out || !v) return nullptr;
  float len = D3DXVec3Length(v);
  *out = len > 0.f ? *v / len : D3DXVECTOR3(0.f, 0.f, 0.f);
  return out;
}

D3DXVECTOR4* D3DXVec3Transform(D3DXVECTOR4* out, const D3DXVECTOR3* v, const D3DXMATRIX* m) {
  if (!out || !v || !m) return nullptr;
  D3DXVECTOR4 r(v->x * m->_11 + v->y * m->_21 + v->z * m->_31 + m->_41,
                v->x * m->_12 + v->y * m->_22 + v->z * m->_32 + m->_42,
                v->x * m->_13 + v->y * m->_23 + v->z * m->_33 + m->_43,
                v->x * m->_14 + v->y * m->_24 + v->z * m->_34 + m->_44);
  *out = r;
  return out;
}
D3DXVECTOR3* D3DXVec3TransformCoord(D3DXVECTOR3* out, const D3DXVECTOR3* v, const D3DXMATRIX* m) {
  if (!out || !v || !m) return nullptr;
  D3DXVECTOR4 r;
  D3DXVec3Transform(&r, v, m);
  *out = D3DXVECTOR3(r.x / r.w, r.y / r.w, r.z / r.w);
  return out;
}
D3DXVECTOR3* D3DXVec3TransformNormal(D3DXVECTOR3* out, const D3DXVECTOR3* v, const D3DXMATRIX* m) {
  if (!out || !v || !m) return nullptr;
  D3DXVECTOR3 r(v->x * m->_11 + v->y * m->_21 + v->z * m->_31, v->x * m->_12 + v->y * m->_22 + v->z * m->_32,
                v->x * m->_13 + v->y * m->_23 + v->z * m->_33);
  *out = r;
  return out;
}
D3DXVECTOR4* D3DXVec4Transform(D3DXVECTOR4* out, const D3DXVECTOR4* v, const D3DXMATRIX* m) {
  if (!out || !v || !m) return nullptr;
  D3DXVECTOR4 r;
  for (int j = 0; j < 4; ++j) (&r.x)[j] = v->x * m->m[0][j] + v->y * m->m[1][j] + v->z * m->m[2][j] + v->w * m->m[3][j];
  *out = r;
  return out;
}
float D3DXVec4Dot(const D3DXVECTOR4* a, const D3DXVECTOR4* b) {
  if (!a || !b) return 0.f;
  return a->x * b->x + a->y * b->y + a->z * b->z + a->w * b->w;
}

// [SECTION] Matrices

D3DXMATRIX* D3DXMatrixIdentity(D3DXMATRIX* out) {
  if (!out) return nullptr;
  *out = Zero();
  out->_11 = out->_22 = out->_33 = out->_44 = 1.f;
  return out;
}
BOOL D3DXMatrixIsIdentity(const D3DXMATRIX* m) {
  if (!m) return FALSE;
  D3DXMATRIX id;
  D3DXMatrixIdentity(&id);
  return *m == id;
}
D3DXMATRIX* D3DXMatrixMultiply(D3DXMATRIX* out, const D3DXMATRIX* a, const D3DXMATRIX* b) {
  if (!out || !a || !b) return nullptr;
  *out = Product(*a, *b);
  return out;
}
D3DXMATRIX* D3DXMatrixTranspose(D3DXMATRIX* out, const D3DXMATRIX* m) {
  if (!out || !m) return nullptr;
  D3DXMATRIX r;
  for (int i = 0; i < 4; ++i)
    for (int j = 0; j < 4; ++j) r.m[i][j] = m->m[j][i];
  *out = r;
  return out;
}
D3DXMATRIX* D3DXMatrixMultiplyTranspose(D3DXMATRIX* out, const D3DXMATRIX* a, const D3DXMATRIX* b) {
  if (!out || !a || !b) return nullptr;
  D3DXMATRIX p = Product(*a, *b);
  return D3DXMatrixTranspose(out, &p);
}

namespace {

// Cofactor expansion: the adjugate's entries and the determinant, in double
// precision so that nearly singular matrices keep their digits.
double Adjugate(const D3DXMATRIX& src, double adj[4][4]) {
  double a[4][4];
  for (int i = 0; i < 4; ++i)
    for (int j = 0; j < 4; ++j) a[i][j] = src.m[i][j];
  auto minor3 = [&](int skipRow, int skipCol) {
    int r[3], c[3];
    for (int i = 0, k = 0; i < 4; ++i)
      if (i != skipRow) r[k++] = i;
    for (int j = 0, k = 0; j < 4; ++j)
      if (j != skipCol) c[k++] = j;
    return a[r[0]][c[0]] * (a[r[1]][c[1]] * a[r[2]][c[2]] - a[r[1]][c[2]] * a[r[2]][c[1]]) -
           a[r[0]][c[1]] * (a[r[1]][c[0]] * a[r[2]][c[2]] - a[r[1]][c[2]] * a[r[2]][c[0]]) +
           a[r[0]][c[2]] * (a[r[1]][c[0]] * a[r[2]][c[1]] - a[r[1]][c[1]] * a[r[2]][c[0]]);
  };
  double det = 0;
  for (int i = 0; i < 4; ++i)
    for (int j = 0; j < 4; ++j) {
      double cof = ((i + j) & 1 ? -1.0 : 1.0) * minor3(i, j);
      adj[j][i] = cof;
      if (i == 0) det += a[0][j] * cof;
    }
  return det;
}

}  // namespace

float D3DXMatrixDeterminant(const D3DXMATRIX* m) {
  if (!m) return 0.f;
  double adj[4][4];
  return static_cast<float>(Adjugate(*m, adj));
}

D3DXMATRIX* D3DXMatrixInverse(D3DXMATRIX* out, float* determinant, const D3DXMATRIX* m) {
  if (!out || !m) return nullptr;
  double adj[4][4];
  double det = Adjugate(*m, adj);
  // A singular matrix has no inverse: null, with *out and the determinant
  // output both left as they were.
  if (det == 0.0 || !std::isfinite(det)) return nullptr;
  if (determinant) *determinant = static_cast<float>(det);
  for (int i = 0; i < 4; ++i)
    for (int j = 0; j < 4; ++j) out->m[i][j] = static_cast<float>(adj[i][j] / det);
  return out;
}

D3DXMATRIX* D3DXMatrixTranslation(D3DXMATRIX* out, float x, float y, float z) {
  if (!out) return nullptr;
  D3DXMatrixIdentity(out);
  out->_41 = x, out->_42 = y, out->_43 = z;
  return out;
}
D3DXMATRIX* D3DXMatrixScaling(D3DXMATRIX* out, float sx, float sy, float sz) {
  if (!out) return nullptr;
  *out = Zero();
  out->_11 = sx, out->_22 = sy, out->_33 = sz, out->_44 = 1.f;
  return out;
}
D3DXMATRIX* D3DXMatrixRotationX(D3DXMATRIX* out, float angle) {
  if (!out) return nullptr;
  float c = std::cos(angle), s = std::sin(angle);
  D3DXMatrixIdentity(out);
  out->_22 = c, out->_23 = s, out->_32 = -s, out->_33 = c;
  return out;
}
D3DXMATRIX* D3DXMatrixRotationY(D3DXMATRIX* out, float angle) {
  if (!out) return nullptr;
  float c = std::cos(angle), s = std::sin(angle);
  D3DXMatrixIdentity(out);
  out->_11 = c, out->_13 = -s, out->_31 = s, out->_33 = c;
  return out;
}
D3DXMATRIX* D3DXMatrixRotationZ(D3DXMATRIX* out, float angle) {
  if (!out) return nullptr;
  float c = std::cos(angle), s = std::sin(angle);
  D3DXMatrixIdentity(out);
  out->_11 = c, out->_12 = s, out->_21 = -s, out->_22 = c;
  return out;
}
D3DXMATRIX* D3DXMatrixRotationAxis(D3DXMATRIX* out, const D3DXVECTOR3* axis, float angle) {
  if (!out || !axis) return nullptr;
  D3DXVECTOR3 v;
  D3DXVec3Normalize(&v, axis);
  float c = std::cos(angle), s = std::sin(angle), t = 1.f - c;
  D3DXMatrixIdentity(out);
  out->_11 = t * v.x * v.x + c, out->_12 = t * v.x * v.y + s * v.z, out->_13 = t * v.x * v.z - s * v.y;
  out->_21 = t * v.x * v.y - s * v.z, out->_22 = t * v.y * v.y + c, out->_23 = t * v.y * v.z + s * v.x;
  out->_31 = t * v.x * v.z + s * v.y, out->_32 = t * v.y * v.z - s * v.x, out->_33 = t * v.z * v.z + c;
  return out;
}
D3DXMATRIX* D3DXMatrixRotationYawPitchRoll(D3DXMATRIX* out, float yaw, float pitch, float roll) {
  if (!out) return nullptr;
  D3DXMATRIX z, x, y;
  D3DXMatrixRotationZ(&z, roll);
  D3DXMatrixRotationX(&x, pitch);
  D3DXMatrixRotationY(&y, yaw);
  *out = z * x * y;
  return out;
}

namespace {

// The view matrix from three orthonormal axes: the rows hold the axes as
// columns, the last row moves the eye to the origin.
D3DXMATRIX* View(D3DXMATRIX* out, const D3DXVECTOR3& xa, const D3DXVECTOR3& ya, const D3DXVECTOR3& za,
                 const D3DXVECTOR3& eye) {
  *out = D3DXMATRIX(xa.x, ya.x, za.x, 0.f, xa.y, ya.y, za.y, 0.f, xa.z, ya.z, za.z, 0.f, -D3DXVec3Dot(&xa, &eye),
                    -D3DXVec3Dot(&ya, &eye), -D3DXVec3Dot(&za, &eye), 1.f);
  return out;
}

}  // namespace

D3DXMATRIX* D3DXMatrixLookAtRH(D3DXMATRIX* out, const D3DXVECTOR3* eye, const D3DXVECTOR3* at,
                               const D3DXVECTOR3* up) {
  if (!out || !eye || !at || !up) return nullptr;
  D3DXVECTOR3 za, xa, ya, d = *eye - *at;
  D3DXVec3Normalize(&za, &d);
  D3DXVec3Cross(&xa, up, &za);
  D3DXVec3Normalize(&xa, &xa);
  D3DXVec3Cross(&ya, &za, &xa);
  return View(out, xa, ya, za, *eye);
}
D3DXMATRIX* D3DXMatrixLookAtLH(D3DXMATRIX* out, const D3DXVECTOR3* eye, const D3DXVECTOR3* at,
                               const D3DXVECTOR3* up) {
  if (!out || !eye || !at || !up) return nullptr;
  D3DXVECTOR3 za, xa, ya, d = *at - *eye;
  D3DXVec3Normalize(&za, &d);
  D3DXVec3Cross(&xa, up, &za);
  D3DXVec3Normalize(&xa, &xa);
  D3DXVec3Cross(&ya, &za, &xa);
  return View(out, xa, ya, za, *eye);
}

D3DXMATRIX* D3DXMatrixPerspectiveFovRH(D3DXMATRIX* out, float fovy, float aspect, float zn, float zf) {
  if (!out) return nullptr;
  float ys = 1.f / std::tan(fovy / 2.f), xs = ys / aspect;
  *out = Zero();
  out->_11 = xs, out->_22 = ys;
  out->_33 = zf / (zn - zf), out->_34 = -1.f;
  out->_43 = zn * zf / (zn - zf);
  return out;
}
D3DXMATRIX* D3DXMatrixPerspectiveFovLH(D3DXMATRIX* out, float fovy, float aspect, float zn, float zf) {
  if (!out) return nullptr;
  float ys = 1.f / std::tan(fovy / 2.f), xs = ys / aspect;
  *out = Zero();
  out->_11 = xs, out->_22 = ys;
  out->_33 = zf / (zf - zn), out->_34 = 1.f;
  out->_43 = -zn * zf / (zf - zn);
  return out;
}
D3DXMATRIX* D3DXMatrixOrthoRH(D3DXMATRIX* out, float w, float h, float zn, float zf) {
  if (!out) return nullptr;
  D3DXMatrixIdentity(out);
  out->_11 = 2.f / w, out->_22 = 2.f / h;
  out->_33 = 1.f / (zn - zf), out->_43 = zn / (zn - zf);
  return out;
}
D3DXMATRIX* D3DXMatrixOrthoLH(D3DXMATRIX* out, float w, float h, float zn, float zf) {
  if (!out) return nullptr;
  D3DXMatrixIdentity(out);
  out->_11 = 2.f / w, out->_22 = 2.f / h;
  out->_33 = 1.f / (zf - zn), out->_43 = zn / (zn - zf);
  return out;
}
