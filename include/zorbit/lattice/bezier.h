// Sampling of Bezier curves: samples evenly spaced in the curve parameter u,
// sample 0 at u = 0 (the first control point) and the last sample at u = 1
// (the last control point). A single sample lies at u = 0. The degree is
// inControlCount - 1 (4 control values make the usual cubic curve); any
// count from 1 up is accepted. Counts of 0 or less write nothing.
#pragma once

// One-dimensional curve: writes inSampleCount floats to outSamples.
void Get_Bezier(const float* inControl, int inControlCount, int inSampleCount, float* outSamples);

// Curve of points: inControl holds inControlCount points of inDimension
// floats each; outPoints receives inSampleCount points spaced inOutStride
// floats apart, of which the first min(inDimension, inOutStride) are written.
// Called as Get_Bezier3D(control, 3, 4, count, out, 3) for a cubic 3D curve.
void Get_Bezier3D(const float* inControl, int inDimension, int inControlCount, int inSampleCount,
                  float* outPoints, int inOutStride);
