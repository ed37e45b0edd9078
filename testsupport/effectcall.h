// Test support: calling a loaded plug-in's effect function as the player
// does. Header only; the caller links the contract.
#pragma once

#include <array>
#include <cstdint>
#include <utility>
#include <vector>

#include <zorbit/zorbit.h>

// An effect function: the frame info, its slot, then ZORBIT_MAX_PARAMS values.
using Effect40 = bool (*)(FrameInfo*, void**, int32_t, int32_t, int32_t, int32_t, int32_t, int32_t, int32_t,
                          int32_t, int32_t, int32_t, int32_t, int32_t, int32_t, int32_t, int32_t, int32_t,
                          int32_t, int32_t, int32_t, int32_t, int32_t, int32_t, int32_t, int32_t, int32_t,
                          int32_t, int32_t, int32_t, int32_t, int32_t, int32_t, int32_t, int32_t, int32_t,
                          int32_t, int32_t, int32_t, int32_t, int32_t, int32_t);
static_assert(ZORBIT_MAX_PARAMS == 40, "Effect40 spells out every parameter");

template <size_t... I>
inline bool CallEffect40(Effect40 inEffect, FrameInfo* inInfo, void** ioSlot,
                         const std::array<int32_t, ZORBIT_MAX_PARAMS>& inValues, std::index_sequence<I...>) {
  return inEffect(inInfo, ioSlot, inValues[I]...);
}

// Calls inEffect with inValues and zeros after them; values past the 40th are dropped.
inline bool CallEffect(void* inEffect, FrameInfo& ioInfo, void** ioSlot, const std::vector<int32_t>& inValues) {
  std::array<int32_t, ZORBIT_MAX_PARAMS> theValues{};
  for (size_t i = 0; i < inValues.size() && i < theValues.size(); ++i) theValues[i] = inValues[i];
  return CallEffect40(reinterpret_cast<Effect40>(inEffect), &ioInfo, ioSlot, theValues,
                      std::make_index_sequence<ZORBIT_MAX_PARAMS>());
}

// Calls an effect in inPhase of a 10 s event, inElapsed ms into it, with
// inValues and zeros after them; outStatus gets the status it set.
inline bool CallEffect(void* inEffect, int32_t inPhase, void** ioSlot, const std::vector<int32_t>& inValues,
                       int32_t* outStatus = nullptr, int32_t inElapsed = 0) {
  FrameInfo theInfo{};
  theInfo.phase = inPhase;
  theInfo.elapsed = inElapsed;
  theInfo.duration = 10000;
  const bool theResult = CallEffect(inEffect, theInfo, ioSlot, inValues);
  if (outStatus != nullptr) *outStatus = theInfo.status;
  return theResult;
}
