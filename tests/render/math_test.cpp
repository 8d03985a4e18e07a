// The math's edge cases: singular matrices, w near 1, vectors and planes of no length.
// (Its ordinary results draw every picture the golden run compares.)
#include <gtest/gtest.h>

#include <glm/glm.hpp>
#include <glm/gtc/type_ptr.hpp>
#include <cmath>
#include <cstring>

#include "base/math.h"

namespace tarvex {
namespace {

void ExpectNear(const Vec3& a, const glm::vec3& b, float tolerance) {
    EXPECT_NEAR(a.x, b.x, tolerance);
    EXPECT_NEAR(a.y, b.y, tolerance);
    EXPECT_NEAR(a.z, b.z, tolerance);
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
    Plane p;
    PlaneNormalize(p, Plane{0, 0, 0, 5});
    EXPECT_EQ(p.d, 0.0f);
    PlaneNormalize(p, Plane{0, 2, 0, 6});
    EXPECT_FLOAT_EQ(p.b, 1.0f);
    EXPECT_FLOAT_EQ(p.d, 3.0f);
}

}  // namespace
}  // namespace tarvex
