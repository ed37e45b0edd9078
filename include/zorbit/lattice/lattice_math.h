// Small float math on plain arrays, shared by every plug-in that places nodes.
//
// Layouts:
//   * 3-vector: float[3], x, y, z.
//   * 3 x 3 matrix: float[9], row-major: m[row * 3 + column]. A node's matrix
//     maps a model point v to M * v (v as a column), and then the node's
//     position is added. quat_to_mat3 writes the rows in this order.
//   * quaternion: float[4], x, y, z, w (vector part first, scalar last).
//     The zero quaternion stands for "no rotation": unit_quat_self leaves it
//     as it is and quat_to_mat3 turns it into the identity, so an effect whose
//     rotation parameters are all 0 shows its node unrotated.
//
// All functions are pure arithmetic on the arrays they are given; none
// allocates, and the output may alias no input except where stated.
#pragma once

// Normalises ioQuat to length 1; a quaternion of length 0 stays unchanged.
void unit_quat_self(float* ioQuat);

// Writes the rotation of inQuat (assumed of length 1, or zero) into outMatrix.
void quat_to_mat3(const float* inQuat, float* outMatrix);

// Writes diag(inX, inY, inZ) into outMatrix.
void make_scale_mat(float* outMatrix, float inX, float inY, float inZ);

// ioRight = inLeft * ioRight. inLeft may be the same array as ioRight.
void mul_mat_mat_self(const float* inLeft, float* ioRight);

// Copies the 9 floats of inFrom into outTo.
void copy_mat(const float* inFrom, float* outTo);

// Copies the 3 floats of inFrom into outTo.
void copy_vec(const float* inFrom, float* outTo);

// Writes the identity into outMatrix.
void make_identity_mat(float* outMatrix);

// outVector = inMatrix * inVector (inVector and outVector must differ).
void mul_mat_vec(const float* inMatrix, const float* inVector, float* outVector);
