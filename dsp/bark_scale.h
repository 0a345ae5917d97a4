#pragma once

// The perceptual frequency scale of the loss model and the display.
double HzToBark(double hz);    // 6 asinh(hz / 600)
double BarkToHz(double bark);  // 600 sinh(bark / 6); negative below 0 Bark
