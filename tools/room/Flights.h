#pragma once

#include "scene/BssFile.h"
#include "tools/room/RoomScene.h"

#include <vector>

inline constexpr int kFlightKeys = 300;
inline constexpr float kWideFov = 1.3089969f;
inline constexpr float kCloseFov = 1.1344640f;

// The five camera flights: the tree up close, the fireplace and mantel, a ride with the train,
// the window and the snow, and a sweep of the room that ends at the clock. Each is a spline
// through hand-placed points, eased at both ends, sampled into 300 keys. Throws when a key
// leaves the room or stands inside furniture.
std::vector<BssCamera> BuildFlights(const RoomLayout& layout);
