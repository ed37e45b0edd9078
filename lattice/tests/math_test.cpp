#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include <zorbit/lattice/bezier.h>
#include <zorbit/lattice/camera3d.h>
#include <zorbit/lattice/lattice_math.h>

namespace {

void ExpectMatrix(const float* inExpected, const float* inActual, const char* inWhat) {
  for (int i = 0; i < 9; ++i) EXPECT_NEAR(inExpected[i], inActual[i], 1e-6f) << inWhat << ": element " << i;
}

TEST(LatticeMath, UnitQuatNormalisesAndLeavesZeroAlone) {
  float q[4] = {0.0f, 0.0f, 3.0f, 4.0f};
  unit_quat_self(q);
  EXPECT_FLOAT_EQ(0.6f, q[2]);
  EXPECT_FLOAT_EQ(0.8f, q[3]);
  float theZero[4] = {0.0f, 0.0f, 0.0f, 0.0f};
  unit_quat_self(theZero);
  for (float v : theZero) EXPECT_EQ(0.0f, v) << "a zero quaternion must stay zero, not become NaN";
}

TEST(LatticeMath, QuatToMat3RotatesAboutItsAxis) {
  const float s = std::sqrt(0.5f);
  struct Case {
    const char* name;
    float quat[4];
    float matrix[9];
  } theCases[] = {
      {"identity", {0, 0, 0, 1}, {1, 0, 0, 0, 1, 0, 0, 0, 1}},
      {"zero quaternion shows unrotated", {0, 0, 0, 0}, {1, 0, 0, 0, 1, 0, 0, 0, 1}},
      {"90 degrees about z", {0, 0, s, s}, {0, -1, 0, 1, 0, 0, 0, 0, 1}},
      {"90 degrees about x", {s, 0, 0, s}, {1, 0, 0, 0, 0, -1, 0, 1, 0}},
      {"180 degrees about y", {0, 1, 0, 0}, {-1, 0, 0, 0, 1, 0, 0, 0, -1}},
  };
  for (const Case& c : theCases) {
    float m[9];
    quat_to_mat3(c.quat, m);
    ExpectMatrix(c.matrix, m, c.name);
  }
  // Row-major: M * (1, 0, 0) for the z quarter turn is (0, 1, 0).
  float m[9];
  const float q[4] = {0, 0, s, s};
  quat_to_mat3(q, m);
  const float x[3] = {1, 0, 0};
  float y[3];
  mul_mat_vec(m, x, y);
  EXPECT_NEAR(0.0f, y[0], 1e-6f);
  EXPECT_NEAR(1.0f, y[1], 1e-6f);
}

TEST(LatticeMath, ScaleTimesRotationScalesEveryRow) {
  float theScale[9];
  make_scale_mat(theScale, 2.0f, 3.0f, 4.0f);
  float m[9] = {1, 2, 3, 4, 5, 6, 7, 8, 9};
  mul_mat_mat_self(theScale, m);
  const float theExpected[9] = {2, 4, 6, 12, 15, 18, 28, 32, 36};
  ExpectMatrix(theExpected, m, "diag(2,3,4) * m");

  float a[9] = {0, 1, 0, 1, 0, 0, 0, 0, 1};  // swaps x and y
  float b[9] = {1, 2, 3, 4, 5, 6, 7, 8, 9};
  mul_mat_mat_self(a, b);
  const float theSwapped[9] = {4, 5, 6, 1, 2, 3, 7, 8, 9};
  ExpectMatrix(theSwapped, b, "permutation * b is the product a*b, not b*a");

  float theSelf[9] = {0, 1, 0, 1, 0, 0, 0, 0, 1};
  mul_mat_mat_self(theSelf, theSelf);
  const float theIdentity[9] = {1, 0, 0, 0, 1, 0, 0, 0, 1};
  ExpectMatrix(theIdentity, theSelf, "a product with itself as both arguments");
}

TEST(LatticeMath, CopiesCopyExactlyTheirLength) {
  const float theFrom[12] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12};
  float theTo[12] = {};
  copy_mat(theFrom, theTo);
  EXPECT_EQ(9.0f, theTo[8]);
  EXPECT_EQ(0.0f, theTo[9]) << "copy_mat wrote past 9 floats";
  float theVec[4] = {};
  copy_vec(theFrom, theVec);
  EXPECT_EQ(3.0f, theVec[2]);
  EXPECT_EQ(0.0f, theVec[3]) << "copy_vec wrote past 3 floats";
}

TEST(Bezier, SamplesAreEvenlySpacedInTheParameter) {
  struct Case {
    const char* name;
    float control[4];
    float samples[5];
  } theCases[] = {
      {"straight line", {0, 10, 20, 30}, {0, 7.5f, 15, 22.5f, 30}},
      // B(u) = 3u(1-u): 0.5625 at u = 1/4, 0.75 at u = 1/2.
      {"arch", {0, 1, 1, 0}, {0, 0.5625f, 0.75f, 0.5625f, 0}},
      // The balloon trail: at u = 1/4, 0.421875 * 50 + 0.140625 * 90 + 0.015625 * 100.
      {"trail", {0, 50, 90, 100}, {0, 35.3125f, 65, 87.1875f, 100}},
      {"constant", {7, 7, 7, 7}, {7, 7, 7, 7, 7}},
  };
  for (const Case& c : theCases) {
    float theOut[6] = {0, 0, 0, 0, 0, -99};
    Get_Bezier(c.control, 4, 5, theOut);
    for (int i = 0; i < 5; ++i) EXPECT_NEAR(c.samples[i], theOut[i], 1e-4f) << c.name << " sample " << i;
    EXPECT_EQ(-99.0f, theOut[5]) << c.name << ": wrote a sixth sample";
    EXPECT_EQ(c.control[0], theOut[0]) << c.name << ": first sample is not the first control value";
    EXPECT_EQ(c.control[3], theOut[4]) << c.name << ": last sample is not the last control value";
  }
}

TEST(Bezier, OddCountsAreHandled) {
  const float theControl[4] = {2, 4, 6, 8};
  float theOne = -1.0f;
  Get_Bezier(theControl, 4, 1, &theOne);
  EXPECT_EQ(2.0f, theOne) << "a single sample lies at the start";
  float theUntouched = -1.0f;
  Get_Bezier(theControl, 4, 0, &theUntouched);
  Get_Bezier(theControl, 0, 3, &theUntouched);
  Get_Bezier(theControl, 4, -2, &theUntouched);
  EXPECT_EQ(-1.0f, theUntouched) << "no samples or no control values must write nothing";
  // Evenly spaced control values 0, 1, ..., n lie on a straight line: the
  // curve is n * u, whatever the degree (70 values take the long path).
  for (int theCount : {3, 10, 64, 65, 70}) {
    std::vector<float> theValues(theCount);
    for (int i = 0; i < theCount; ++i) theValues[i] = float(i);
    float theSamples[5];
    Get_Bezier(theValues.data(), theCount, 5, theSamples);
    for (int s = 0; s < 5; ++s)
      EXPECT_NEAR((theCount - 1) * s / 4.0, theSamples[s], 1e-3) << theCount << " control values, sample " << s;
  }
  // Two control values: a straight segment (degree 1).
  float theLine[3];
  Get_Bezier(theControl, 2, 3, theLine);
  EXPECT_FLOAT_EQ(3.0f, theLine[1]);
}

TEST(Bezier, Curve3DWritesPointsAtTheOutputStride) {
  // p0 (0,0,0), p1 (0,3,0), p2 (3,3,0), p3 (3,3,9)
  const float theControl[12] = {0, 0, 0, 0, 3, 0, 3, 3, 0, 3, 3, 9};
  float thePoints[9];
  Get_Bezier3D(theControl, 3, 4, 3, thePoints, 3);
  // u = 1/2: (0 + 3*0 + 3*3 + 3) / 8 etc.
  const float theExpected[9] = {0, 0, 0, 1.5f, 2.625f, 1.125f, 3, 3, 9};
  for (int i = 0; i < 9; ++i) EXPECT_NEAR(theExpected[i], thePoints[i], 1e-5f) << "float " << i;

  float theWide[8];
  for (float& f : theWide) f = -1.0f;
  Get_Bezier3D(theControl, 3, 4, 2, theWide, 4);
  EXPECT_EQ(3.0f, theWide[4]);
  EXPECT_EQ(9.0f, theWide[6]);
  EXPECT_EQ(-1.0f, theWide[3]) << "the stride's spare float must stay untouched";
  EXPECT_EQ(-1.0f, theWide[7]);
}

TEST(Camera, ViewMatrixPutsTheTargetStraightAhead) {
  struct Case {
    const char* name;
    Camera3D camera;
  } theCases[4];
  theCases[0].name = "default";
  theCases[1].name = "from the side with a long up vector";
  theCases[1].camera = Camera3D{{500, 20, -30}, {10, 20, -30}, {0, 7, 0}, 0, 45, 1, 1000};
  theCases[2].name = "no up vector";
  theCases[2].camera = Camera3D{{0, 0, 100}, {0, 0, 0}, {0, 0, 0}, 0, 45, 1, 1000};
  theCases[3].name = "looking straight down, up along the view";
  theCases[3].camera = Camera3D{{0, 100, 0}, {0, 0, 0}, {0, 1, 0}, 0, 45, 1, 1000};
  for (const auto& c : theCases) {
    float m[16];
    MakeViewMatrix(c.camera, m);
    const float* t = c.camera.mTarget;
    const float theEyeX = m[0] * t[0] + m[4] * t[1] + m[8] * t[2] + m[12];
    const float theEyeY = m[1] * t[0] + m[5] * t[1] + m[9] * t[2] + m[13];
    const float theEyeZ = m[2] * t[0] + m[6] * t[1] + m[10] * t[2] + m[14];
    const float dx = t[0] - c.camera.mPosition[0], dy = t[1] - c.camera.mPosition[1],
                dz = t[2] - c.camera.mPosition[2];
    EXPECT_NEAR(0.0f, theEyeX, 1e-3f) << c.name;
    EXPECT_NEAR(0.0f, theEyeY, 1e-3f) << c.name;
    EXPECT_NEAR(-std::sqrt(dx * dx + dy * dy + dz * dz), theEyeZ, 1e-3f) << c.name;
    for (float f : m) EXPECT_TRUE(std::isfinite(f)) << c.name;
  }
}

TEST(Camera, RollTurnsThePictureCounterClockwise) {
  Camera3D theCamera;
  theCamera.mRollDegrees = 90.0f;
  float m[16];
  MakeViewMatrix(theCamera, m);
  // A point on the world's +x axis appears straight up after a quarter roll.
  EXPECT_NEAR(0.0f, m[0] * 10.0f + m[12], 1e-4f);
  EXPECT_NEAR(10.0f, m[1] * 10.0f + m[13], 1e-4f);
}

TEST(Camera, FrustumRepairsUnusableValues) {
  Camera3D theCamera;
  theCamera.mFieldOfViewDegrees = 90.0f;
  theCamera.mNear = 2.0f;
  double b[6];
  MakeFrustum(theCamera, 2.0, b);
  EXPECT_NEAR(2.0, b[3], 1e-9);  // near * tan(45 degrees)
  EXPECT_NEAR(4.0, b[1], 1e-9);
  theCamera.mFieldOfViewDegrees = 0.0f;
  theCamera.mNear = -1.0f;
  theCamera.mFar = -5.0f;
  MakeFrustum(theCamera, 0.0, b);
  EXPECT_GT(b[4], 0.0);
  EXPECT_GT(b[5], b[4]);
  EXPECT_NEAR(std::tan(22.5 * M_PI / 180.0), b[3] / b[4], 1e-6);
  EXPECT_DOUBLE_EQ(b[1], b[3]) << "an aspect of 0 must fall back to 1";
}

}  // namespace
