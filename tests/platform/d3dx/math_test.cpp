// The D3DX matrix and vector functions against hand-computed results.
#include <gtest/gtest.h>

#include <cmath>

#include "platform/d3dx/d3dx9_math.h"

namespace {

void ExpectNear(const D3DXMATRIX& got, const D3DXMATRIX& want, float tol = 1e-5f) {
  for (int i = 0; i < 4; ++i)
    for (int j = 0; j < 4; ++j) EXPECT_NEAR(got.m[i][j], want.m[i][j], tol) << "element _" << i + 1 << j + 1;
}

TEST(MatrixMath, BasicBuilders) {
  D3DXMATRIX m;
  ExpectNear(*D3DXMatrixIdentity(&m), D3DXMATRIX(1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1));
  EXPECT_TRUE(D3DXMatrixIsIdentity(&m));
  ExpectNear(*D3DXMatrixTranslation(&m, 1, 2, 3), D3DXMATRIX(1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 1, 2, 3, 1));
  ExpectNear(*D3DXMatrixScaling(&m, 2, 3, 4), D3DXMATRIX(2, 0, 0, 0, 0, 3, 0, 0, 0, 0, 4, 0, 0, 0, 0, 1));
  const float c = std::cos(0.5f), s = std::sin(0.5f);
  ExpectNear(*D3DXMatrixRotationX(&m, 0.5f), D3DXMATRIX(1, 0, 0, 0, 0, c, s, 0, 0, -s, c, 0, 0, 0, 0, 1));
  ExpectNear(*D3DXMatrixRotationY(&m, 0.5f), D3DXMATRIX(c, 0, -s, 0, 0, 1, 0, 0, s, 0, c, 0, 0, 0, 0, 1));
  ExpectNear(*D3DXMatrixRotationZ(&m, 0.5f), D3DXMATRIX(c, s, 0, 0, -s, c, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1));
  // Rotation about the y axis equals RotationY.
  D3DXVECTOR3 yAxis(0, 2, 0);
  D3DXMATRIX ry;
  ExpectNear(*D3DXMatrixRotationAxis(&m, &yAxis, 0.5f), *D3DXMatrixRotationY(&ry, 0.5f));
}

TEST(MatrixMath, MultiplyTransposeInverse) {
  D3DXMATRIX a(1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16);
  D3DXMATRIX b(2, 0, 0, 0, 0, 3, 0, 0, 0, 0, 4, 0, 1, 1, 1, 1);
  D3DXMATRIX p;
  // Row i of A times the columns of B, worked by hand.
  ExpectNear(*D3DXMatrixMultiply(&p, &a, &b),
             D3DXMATRIX(6, 10, 16, 4, 18, 26, 36, 8, 30, 42, 56, 12, 42, 58, 76, 16));
  ExpectNear(a * b, p);
  D3DXMATRIX t;
  ExpectNear(*D3DXMatrixMultiplyTranspose(&t, &a, &b),
             D3DXMATRIX(6, 18, 30, 42, 10, 26, 42, 58, 16, 36, 56, 76, 4, 8, 12, 16));
  ExpectNear(*D3DXMatrixTranspose(&t, &a), D3DXMATRIX(1, 5, 9, 13, 2, 6, 10, 14, 3, 7, 11, 15, 4, 8, 12, 16));

  // Out may alias an input.
  D3DXMATRIX alias = a;
  D3DXMatrixMultiply(&alias, &alias, &b);
  ExpectNear(alias, p);

  D3DXMATRIX inv;
  float det = 0;
  ASSERT_NE(D3DXMatrixInverse(&inv, &det, &b), nullptr);
  EXPECT_FLOAT_EQ(det, 24.f);
  ExpectNear(inv, D3DXMATRIX(0.5f, 0, 0, 0, 0, 1.f / 3, 0, 0, 0, 0, 0.25f, 0, -0.5f, -1.f / 3, -0.25f, 1));
  D3DXMATRIX id;
  ExpectNear(b * inv, *D3DXMatrixIdentity(&id));

  D3DXMATRIX untouched = b;
  EXPECT_EQ(D3DXMatrixInverse(&untouched, &det, &a), nullptr) << "A is singular";
  EXPECT_EQ(det, 24.f) << "the determinant output is left alone";
  ExpectNear(untouched, b);
}

TEST(MatrixMath, CameraAndProjections) {
  // Eye on +z looking at the origin, y up: the view only moves z by -5.
  D3DXVECTOR3 eye(0, 0, 5), at(0, 0, 0), up(0, 1, 0);
  D3DXMATRIX v;
  ExpectNear(*D3DXMatrixLookAtRH(&v, &eye, &at, &up), D3DXMATRIX(1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, -5, 1));
  // The engine's camera: up (0, -1, 0) mirrors x and y.
  D3DXVECTOR3 down(0, -1, 0), eye2(0, 0, 10);
  ExpectNear(*D3DXMatrixLookAtRH(&v, &eye2, &at, &down),
             D3DXMATRIX(-1, 0, 0, 0, 0, -1, 0, 0, 0, 0, 1, 0, 0, 0, -10, 1));
  // Left-handed: looking down +z from -5.
  D3DXVECTOR3 eyeL(0, 0, -5);
  ExpectNear(*D3DXMatrixLookAtLH(&v, &eyeL, &at, &up), D3DXMATRIX(1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 5, 1));

  // fovy 90 degrees: yScale = 1; aspect 2: xScale = 0.5; zn 1, zf 101.
  D3DXMATRIX p;
  ExpectNear(*D3DXMatrixPerspectiveFovRH(&p, D3DX_PI / 2, 2.f, 1.f, 101.f),
             D3DXMATRIX(0.5f, 0, 0, 0, 0, 1, 0, 0, 0, 0, -1.01f, -1, 0, 0, -1.01f, 0));
  ExpectNear(*D3DXMatrixPerspectiveFovLH(&p, D3DX_PI / 2, 2.f, 1.f, 101.f),
             D3DXMATRIX(0.5f, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1.01f, 1, 0, 0, -1.01f, 0));
  // The engine's 2D view: 800 x 600, near 0, far 1.
  ExpectNear(*D3DXMatrixOrthoRH(&p, 800, 600, 0, 1),
             D3DXMATRIX(2.f / 800, 0, 0, 0, 0, 2.f / 600, 0, 0, 0, 0, -1, 0, 0, 0, 0, 1));
  ExpectNear(*D3DXMatrixOrthoRH(&p, 2, 4, 1, 3), D3DXMATRIX(1, 0, 0, 0, 0, 0.5f, 0, 0, 0, 0, -0.5f, 0, 0, 0, -0.5f, 1));
  ExpectNear(*D3DXMatrixOrthoLH(&p, 2, 4, 1, 3), D3DXMATRIX(1, 0, 0, 0, 0, 0.5f, 0, 0, 0, 0, 0.5f, 0, 0, 0, -0.5f, 1));

  // A point on the near plane maps to depth 0, on the far plane to 1.
  D3DXMatrixPerspectiveFovRH(&p, 0.8f, 1.5f, 2.f, 50.f);
  D3DXVECTOR3 nearPoint(0, 0, -2), farPoint(0, 0, -50), out;
  EXPECT_NEAR(D3DXVec3TransformCoord(&out, &nearPoint, &p)->z, 0.f, 1e-6f);
  EXPECT_NEAR(D3DXVec3TransformCoord(&out, &farPoint, &p)->z, 1.f, 1e-6f);
}

TEST(VectorMath, CrossDotNormalizeTransform) {
  D3DXVECTOR3 x(1, 0, 0), y(0, 1, 0), r;
  EXPECT_EQ(*D3DXVec3Cross(&r, &x, &y), D3DXVECTOR3(0, 0, 1));
  D3DXVECTOR3 a(1, 2, 3), b(4, 5, 6);
  EXPECT_EQ(*D3DXVec3Cross(&r, &a, &b), D3DXVECTOR3(-3, 6, -3));
  EXPECT_FLOAT_EQ(D3DXVec3Dot(&a, &b), 32.f);
  D3DXVec3Cross(&a, &a, &b);  // aliasing
  EXPECT_EQ(a, D3DXVECTOR3(-3, 6, -3));

  D3DXVECTOR3 v(3, 0, 4);
  D3DXVec3Normalize(&v, &v);
  EXPECT_FLOAT_EQ(v.x, 0.6f);
  EXPECT_FLOAT_EQ(v.z, 0.8f);
  D3DXVECTOR3 zero(0, 0, 0);
  EXPECT_EQ(*D3DXVec3Normalize(&r, &zero), zero) << "no NaNs from a zero vector";

  // The face normal the engine computes: normalize((p - r) x (q - r)).
  D3DXVECTOR3 p(1, 0, 0), q(0, 1, 0), o(0, 0, 0), pr = p - o, qr = q - o, n;
  D3DXVec3Normalize(&n, D3DXVec3Cross(&n, &pr, &qr));
  EXPECT_EQ(n, D3DXVECTOR3(0, 0, 1));

  D3DXMATRIX m(2, 0, 0, 0, 0, 3, 0, 0, 0, 0, 4, 0, 10, 20, 30, 2);
  D3DXVECTOR3 pt(1, 1, 1);
  D3DXVec3TransformCoord(&r, &pt, &m);
  EXPECT_EQ(r, D3DXVECTOR3(6, 11.5f, 17)) << "(12, 23, 34) divided by w = 2";
  D3DXVec3TransformNormal(&r, &pt, &m);
  EXPECT_EQ(r, D3DXVECTOR3(2, 3, 4)) << "directions skip the translation";
  D3DXVECTOR4 h;
  D3DXVec3Transform(&h, &pt, &m);
  EXPECT_EQ(h, D3DXVECTOR4(12, 23, 34, 2));
}

TEST(ColourMath, WordConversions) {
  D3DXCOLOR c(0xFF804000u);
  EXPECT_FLOAT_EQ(c.a, 1.f);
  EXPECT_FLOAT_EQ(c.r, 128 / 255.f);
  EXPECT_EQ(static_cast<DWORD>(c), 0xFF804000u);
  EXPECT_EQ(static_cast<DWORD>(D3DXCOLOR(2.f, -1.f, 0.5f, 1.f)), 0xFFFF0080u);
}

}  // namespace
