// Helpers for writing a plug-in's Zorbit_Descriptions table (zorbit.h) in a
// line per parameter. Header only; every helper is constexpr, so the table
// is plain constant data in the plug-in's file:
//
//   constexpr ZorbitParamDescription kSpinParams[] = {
//       zorbit::Resource("group", KIND_3DWR),
//       zorbit::Number("speed", "turns per second", 1000, 0, 100000, 1000),
//   };
//   constexpr ZorbitEffectDescription kEffects[] = {
//       {"Spin", "turns a 3D group", 2, kSpinParams},
//   };
//   ZORBIT_DESCRIPTIONS(kEffects);
#pragma once

#include <cstdint>

#include "zorbit.h"

namespace zorbit {

constexpr int32_t kAnyValue = INT32_MIN;  // as a minimum: no lower bound
constexpr int32_t kNoLimit = INT32_MAX;   // as a maximum: no upper bound

constexpr ZorbitParamDescription Param(const char* inName, const char* inUnit, int32_t inScale, int32_t inMinimum,
                                       int32_t inMaximum, int32_t inDefault, uint32_t inKind,
                                       int32_t inResourceKind = 0, uint32_t inFlags = 0) {
  return ZorbitParamDescription{inName, inUnit,
                                {inScale, inMinimum, inMaximum, inDefault, inKind, inResourceKind, inFlags, -1, 0}};
}
// inParam, read by its effect only while parameter inIndex is inValue.
constexpr ZorbitParamDescription ReadWhen(ZorbitParamDescription inParam, int32_t inIndex, int32_t inValue) {
  inParam.values.readWhen = inIndex;
  inParam.values.readWhenValue = inValue;
  return inParam;
}
// A number in inUnit after dividing by inScale.
constexpr ZorbitParamDescription Number(const char* inName, const char* inUnit, int32_t inScale,
                                        int32_t inMinimum = kAnyValue, int32_t inMaximum = kNoLimit,
                                        int32_t inDefault = 0) {
  return Param(inName, inUnit, inScale, inMinimum, inMaximum, inDefault, ZORBIT_PARAM_NUMBER);
}
// Text numbers: a text as it is, a resource's name, a file's name.
constexpr ZorbitParamDescription Text(const char* inName) {
  return Param(inName, "", 1, 0, kNoLimit, 0, ZORBIT_PARAM_TEXT);
}
constexpr ZorbitParamDescription Resource(const char* inName, int32_t inKind, uint32_t inFlags = 0) {
  return Param(inName, "", 1, 0, kNoLimit, 0, ZORBIT_PARAM_RESOURCE, inKind, inFlags);
}
constexpr ZorbitParamDescription File(const char* inName, int32_t inKind, uint32_t inFlags = 0) {
  return Param(inName, "", 1, 0, kNoLimit, 0, ZORBIT_PARAM_FILE, inKind, inFlags);
}
// One channel, 0 to 255; inUnit names it ("red").
constexpr ZorbitParamDescription Colour(const char* inName, const char* inUnit, int32_t inDefault = 255) {
  return Param(inName, inUnit, 1, 0, 255, inDefault, ZORBIT_PARAM_COLOUR);
}
constexpr ZorbitParamDescription Blend(const char* inName, int32_t inDefault) {
  return Param(inName, "OpenGL blend factor", 1, kAnyValue, kNoLimit, inDefault, ZORBIT_PARAM_BLEND);
}
constexpr ZorbitParamDescription Switch(const char* inName, const char* inUnit = "0 off, else on") {
  return Param(inName, inUnit, 1, kAnyValue, kNoLimit, 0, ZORBIT_PARAM_SWITCH);
}
// One component of a quaternion whose four components follow each other.
constexpr ZorbitParamDescription Quaternion(const char* inName, int32_t inScale, int32_t inDefault = 0) {
  return Param(inName, "", inScale, kAnyValue, kNoLimit, inDefault, ZORBIT_PARAM_QUATERNION);
}
// One of the choices inMinimum to inMaximum, which inUnit lists.
constexpr ZorbitParamDescription Choice(const char* inName, const char* inUnit, int32_t inMinimum, int32_t inMaximum,
                                        int32_t inDefault = 0) {
  return Param(inName, inUnit, 1, inMinimum, inMaximum, inDefault, ZORBIT_PARAM_CHOICE);
}
constexpr ZorbitParamDescription Unused(const char* inName = "unused") {
  return Param(inName, "", 1, kAnyValue, kNoLimit, 0, ZORBIT_PARAM_UNUSED);
}

}  // namespace zorbit
