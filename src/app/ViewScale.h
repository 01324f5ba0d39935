#pragma once
// How large the photo window draws its picture: fitted to the window (never
// enlarged), or at one of the zoom steps, about 1.25x apart from 1/16 to 16.

#include "platform/Size.h"

#include <string>

constexpr double kMinZoom = 1.0 / 16;
constexpr double kMaxZoom = 16.0;

// The largest scale at which `picture` fits inside `area`, at most 1; 1 for
// an empty picture or area (there is nothing to fit).
double FitScale(const CSize& picture, const CSize& area);
// The zoom step above (below) `scale`, which need not be a step itself (a
// fitted scale); the largest (smallest) step stays where it is.
double ZoomInStep(double scale);
double ZoomOutStep(double scale);
// `picture` drawn at `scale`, each side at least one pixel.
CSize ScaledSize(const CSize& picture, double scale);
// The scale as the status bar shows it: "100%", "25%", "6.25%", "1600%".
std::string ScaleText(double scale);
