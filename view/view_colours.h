#pragma once

#include "surface.h"

// Colours that more than one part of the view draws with, so that the
// legend shows what the spectrum shows.
constexpr ColorRef kFilterCurveColour = 0x0000C0FF;  // the sliders' filter curve, yellow
// Each ear as on an audiogram: right red, left blue.
constexpr ColorRef kRightEarColour = 0x000000C8;
constexpr ColorRef kLeftEarColour = 0x00C80000;
