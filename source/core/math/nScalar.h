#pragma once

#include <cstdint>

constexpr float kPi = 3.14159265358979f;
constexpr float kTwoPi = 6.2831855f;
constexpr float kFloatMax = 3.4028235e38f;

float Sqrt(float value);
float ArcSinClamped(float value);
float ArcCosClamped(float value);
float ArcTan2(float y, float x);
bool IsNearZero(float value, float epsilon);
// Answers 1.0 or 0.0 rather than a bool because callers weight values with it.
float IsNearlyEqual(float a, float b, float epsilon);
bool IsFiniteRange(float value);
float Abs(float value);
float RoundUp(float value);
float RoundDown(float value);
float RemapClamped(float x, float inMin, float inMax, float outMin, float outMax);
uint32_t ReverseRotationOrder(uint32_t order);
