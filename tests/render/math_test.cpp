// The math checked against GLM. GLM keeps column-major matrices and column vectors,
// so the engine's row-vector matrix and GLM's matrix for the same transform share
// their 16 floats; a product A * B (A first) is B * A in GLM's order.
#include <gtest/gtest.h>

#include <glm/glm.hpp>
#include <glm/gtc/matrix_transform.hpp>
#include <glm/gtc/type_ptr.hpp>
#include <cmath>
#include <cstring>
#include <random>

#include "render/math.h"

namespace tarvex {
namespace {

glm::mat4 ToGlm(const Mat4& m) { return glm::make_mat4(m.m); }

void ExpectNear(const Mat4& a, const glm::mat4& b, float tolerance) {
    const float* g = glm::value_ptr(b);
    for (int i = 0; i < 16; ++i) EXPECT_NEAR(a[i], g[i], tolerance) << "element " << i;
}

void ExpectNear(const Vec3& a, const glm::vec3& b, float tolerance) {
    EXPECT_NEAR(a.x, b.x, tolerance);
    EXPECT_NEAR(a.y, b.y, tolerance);
    EXPECT_NEAR(a.z, b.z, tolerance);
}

TEST(Math, BuildersShareGlmMemory) {
    Mat4 m;
    MatTranslation(m, 1.5f, -2.0f, 7.0f);
    ExpectNear(m, glm::translate(glm::mat4(1.0f), glm::vec3(1.5f, -2.0f, 7.0f)), 0);
    MatScaling(m, 2.0f, 3.0f, -4.0f);
    ExpectNear(m, glm::scale(glm::mat4(1.0f), glm::vec3(2.0f, 3.0f, -4.0f)), 0);
    for (float a : {0.0f, 0.3f, -1.2f, 3.0f}) {
        MatRotationX(m, a);
        ExpectNear(m, glm::rotate(glm::mat4(1.0f), a, glm::vec3(1, 0, 0)), 1e-6f);
        MatRotationY(m, a);
        ExpectNear(m, glm::rotate(glm::mat4(1.0f), a, glm::vec3(0, 1, 0)), 1e-6f);
        MatRotationZ(m, a);
        ExpectNear(m, glm::rotate(glm::mat4(1.0f), a, glm::vec3(0, 0, 1)), 1e-6f);
    }
    // Aspect height / width as the scenes use it: GLM takes width / height.
    MatPerspectiveFov(m, 45.0f * kDegreesToRadians, 0.75f, 100.0f, 10000.0f);
    ExpectNear(m, glm::perspectiveLH_ZO(45.0f * kDegreesToRadians, 1.0f / 0.75f, 100.0f, 10000.0f), 1e-5f);
    MatLookAt(m, Vec3{10, 200, -300}, Vec3{-40, 50, 80}, Vec3{0, 1, 0});
    ExpectNear(m, glm::lookAtLH(glm::vec3(10, 200, -300), glm::vec3(-40, 50, 80), glm::vec3(0, 1, 0)), 1e-4f);
}

TEST(Math, ProductsInversesAndTransformsMatchGlm) {
    std::mt19937 rng(7);
    std::uniform_real_distribution<float> d(-3.0f, 3.0f);
    for (int round = 0; round < 50; ++round) {
        Mat4 a, b;
        for (float& v : a.m) v = d(rng);
        for (float& v : b.m) v = d(rng);
        Mat4 ab, intoA = a, intoB = b;
        MatMultiply(ab, a, b);
        ExpectNear(ab, ToGlm(b) * ToGlm(a), 1e-4f);
        // The output may be either input.
        MatMultiply(intoA, intoA, b);
        MatMultiply(intoB, a, intoB);
        EXPECT_EQ(0, std::memcmp(intoA.m, ab.m, sizeof ab.m));
        EXPECT_EQ(0, std::memcmp(intoB.m, ab.m, sizeof ab.m));

        Mat4 inv, product;
        float det = 0;
        MatInverse(inv, &det, a);
        EXPECT_NEAR(det, glm::determinant(ToGlm(a)), 1e-3f * std::max(1.0f, std::fabs(det)));
        if (std::fabs(det) > 0.5f) {
            ExpectNear(inv, glm::inverse(ToGlm(a)), 2e-3f);
            MatMultiply(product, a, inv);
            ExpectNear(product, glm::mat4(1.0f), 1e-3f);
        }

        const Vec3 p{1.5f, -0.5f, 2.0f};
        const glm::vec4 g = ToGlm(a) * glm::vec4(1.5f, -0.5f, 2.0f, 1.0f);
        const glm::vec4 n = ToGlm(a) * glm::vec4(1.5f, -0.5f, 2.0f, 0.0f);
        Vec3 point, coord, normal;
        Vec3TransformPoint(point, p, a);
        ExpectNear(point, glm::vec3(g), 1e-4f);
        Vec3TransformNormal(normal, p, a);
        ExpectNear(normal, glm::vec3(n), 1e-4f);
        Vec3TransformCoord(coord, p, a);
        if (std::fabs(g.w) > 0.1f) ExpectNear(coord, glm::vec3(g) / g.w, 1e-3f);
    }
}

TEST(Math, EdgeCasesOfInverseDivisionAndNormalising) {
    // A singular matrix reports zero and leaves the output alone.
    Mat4 singular, out;
    MatScaling(singular, 1.0f, 0.0f, 1.0f);
    MatTranslation(out, 4, 5, 6);
    const Mat4 before = out;
    float det = 99.0f;
    MatInverse(out, &det, singular);
    EXPECT_EQ(det, 0.0f);
    EXPECT_EQ(0, std::memcmp(out.m, before.m, sizeof out.m));

    // A w within tolerance of 1 is not divided by.
    Mat4 m;
    MatTranslation(m, 1, 2, 3);
    m[15] = 1.000005f;
    Vec3 v;
    Vec3TransformCoord(v, Vec3{1, 1, 1}, m);
    EXPECT_EQ(v.x, 2.0f);
    m[15] = 2.0f;
    Vec3TransformCoord(v, Vec3{1, 1, 1}, m);
    ExpectNear(v, glm::vec3(1.0f, 1.5f, 2.0f), 1e-6f);

    // A zero vector normalises to zero; a length within tolerance of 1 is kept as it is.
    v = {5, 5, 5};
    Vec3Normalize(v, Vec3{0, 0, 0});
    ExpectNear(v, glm::vec3(0.0f), 0);
    Vec3Normalize(v, Vec3{1.000004f, 0, 0});
    EXPECT_EQ(v.x, 1.000004f);
    Vec3Normalize(v, Vec3{1.0001f, 0, 0});
    EXPECT_FLOAT_EQ(v.x, 1.0f);
    v = {3, 4, 12};
    Vec3Normalize(v, v);
    ExpectNear(v, glm::normalize(glm::vec3(3, 4, 12)), 1e-6f);
    EXPECT_NEAR(Vec3Length(Vec3{3, 4, 12}), 13.0f, 1e-6f);
    Plane p;
    PlaneNormalize(p, Plane{0, 0, 0, 5});
    EXPECT_EQ(p.d, 0.0f);
    PlaneNormalize(p, Plane{0, 2, 0, 6});
    EXPECT_FLOAT_EQ(p.b, 1.0f);
    EXPECT_FLOAT_EQ(p.d, 3.0f);
}

TEST(Math, PlaneAndReflection) {
    const Vec3 p1{0, 2, 0}, p2{1, 2, 0}, p3{0, 2, 1};
    Plane plane;
    PlaneFromPoints(plane, p1, p2, p3);
    // Normal follows the winding: (p1 - p2) x (p1 - p3).
    const glm::vec3 normal = glm::normalize(glm::cross(glm::vec3(-1, 0, 0), glm::vec3(0, 0, -1)));
    ExpectNear(Vec3{plane.a, plane.b, plane.c}, normal, 1e-6f);
    for (const Vec3& p : {p1, p2, p3}) EXPECT_NEAR(plane.a * p.x + plane.b * p.y + plane.c * p.z + plane.d, 0, 1e-6f);

    // Mirroring through an unnormalised plane: p - 2 (n.p + d) n with n of unit length.
    Mat4 r;
    MatReflect(r, Plane{1, 2, -2, 6});
    const glm::vec3 un = glm::vec3(1, 2, -2) / 3.0f;
    for (const glm::vec3& q : {glm::vec3(1, 1, 1), glm::vec3(-5, 2, 8)}) {
        Vec3 out;
        Vec3TransformCoord(out, Vec3{q.x, q.y, q.z}, r);
        ExpectNear(out, q - 2.0f * (glm::dot(un, q) + 2.0f) * un, 1e-5f);
    }
}

}  // namespace
}  // namespace tarvex
