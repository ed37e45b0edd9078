// Particle placement of a swarm: pure functions of the shape, the particle
// index, the size and the turn of the whole swarm.
#pragma once

#include <cstdint>

enum SwarmShape : int32_t {
  SWARM_RING = 0,    // a circle of radius size in the x-y plane, clockwise from (-size, 0), turning clockwise
  SWARM_SPHERE = 1,  // evenly spread over a sphere of radius size, turning about y
  SWARM_HELIX = 2,   // a spiral of radius size about the y axis, from y = -size to y = size
  SWARM_SHAPE_COUNT = 3
};

// Writes x, y, z of each of inCount particles to outPositions (3 floats each).
// inTurnRadians turns the whole swarm about its axis; inHelixTurns is the
// number of windings of a helix (at least 1).
void PlaceParticles(int32_t inShape, int32_t inCount, float inSize, double inTurnRadians, int32_t inHelixTurns,
                    float* outPositions);

// Writes 4 bytes per particle (alpha, red, green, blue), running linearly
// from inFirst (first particle) to inLast (last particle); both 0xAARRGGBB.
void GradeColours(int32_t inCount, uint32_t inFirst, uint32_t inLast, uint8_t* outColours);
