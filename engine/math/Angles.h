#pragma once

// Angles in radians.
namespace math
{
inline constexpr float Pi = 3.14159265f;
inline constexpr float TwoPi = 2.0f * Pi;
inline constexpr float HalfPi = 0.5f * Pi;
inline constexpr float DegreesPerRadian = 180.0f / Pi;
} // namespace math
