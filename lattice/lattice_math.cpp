#include <zorbit/lattice/lattice_math.h>

#include <cmath>
#include <cstring>

void unit_quat_self(float* ioQuat) {
  const double theLength = std::sqrt(double(ioQuat[0]) * ioQuat[0] + double(ioQuat[1]) * ioQuat[1] +
                                     double(ioQuat[2]) * ioQuat[2] + double(ioQuat[3]) * ioQuat[3]);
  // A zero (or non-finite) length has no direction to keep.
  if (!(theLength > 0.0) || !std::isfinite(theLength)) return;
  for (int i = 0; i < 4; ++i) ioQuat[i] = float(ioQuat[i] / theLength);
}

void quat_to_mat3(const float* inQuat, float* outMatrix) {
  const float x = inQuat[0], y = inQuat[1], z = inQuat[2], w = inQuat[3];
  outMatrix[0] = 1.0f - 2.0f * (y * y + z * z);
  outMatrix[1] = 2.0f * (x * y - z * w);
  outMatrix[2] = 2.0f * (x * z + y * w);
  outMatrix[3] = 2.0f * (x * y + z * w);
  outMatrix[4] = 1.0f - 2.0f * (x * x + z * z);
  outMatrix[5] = 2.0f * (y * z - x * w);
  outMatrix[6] = 2.0f * (x * z - y * w);
  outMatrix[7] = 2.0f * (y * z + x * w);
  outMatrix[8] = 1.0f - 2.0f * (x * x + y * y);
}

void make_scale_mat(float* outMatrix, float inX, float inY, float inZ) {
  std::memset(outMatrix, 0, 9 * sizeof(float));
  outMatrix[0] = inX;
  outMatrix[4] = inY;
  outMatrix[8] = inZ;
}

void mul_mat_mat_self(const float* inLeft, float* ioRight) {
  float theResult[9];
  for (int r = 0; r < 3; ++r)
    for (int c = 0; c < 3; ++c)
      theResult[r * 3 + c] =
          inLeft[r * 3] * ioRight[c] + inLeft[r * 3 + 1] * ioRight[3 + c] + inLeft[r * 3 + 2] * ioRight[6 + c];
  std::memcpy(ioRight, theResult, sizeof(theResult));
}

void copy_mat(const float* inFrom, float* outTo) { std::memmove(outTo, inFrom, 9 * sizeof(float)); }

void copy_vec(const float* inFrom, float* outTo) { std::memmove(outTo, inFrom, 3 * sizeof(float)); }

void make_identity_mat(float* outMatrix) { make_scale_mat(outMatrix, 1.0f, 1.0f, 1.0f); }

void mul_mat_vec(const float* inMatrix, const float* inVector, float* outVector) {
  for (int r = 0; r < 3; ++r)
    outVector[r] = inMatrix[r * 3] * inVector[0] + inMatrix[r * 3 + 1] * inVector[1] + inMatrix[r * 3 + 2] * inVector[2];
}
