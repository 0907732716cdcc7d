// The whole program drawn larger: every window gets the device-pixel ratio its screen gives it,
// times a zoom. Windows keep their geometry in logical pixels, so whatever is laid out in logical
// pixels (the fixed screen and its dialogs) stays exactly where it is and only the device pixels
// behind it multiply, as on a screen of a higher density. Fonts, styles and pictures made for the
// ratio are drawn at the device resolution.
//
// Qt 6 has no public way to change a window's ratio while it runs; its own per-screen scale
// factor (the one QT_SCREEN_SCALE_FACTORS sets at start-up) can be changed at any time through
// the private QHighDpiScaling interface, which ties the build to the exact Qt version it was
// compiled against (Debian's packages record that dependency). It is used in screen_zoom.cc only.
#pragma once

class QScreen;

// The zoom in force; 1 until SetScreenZoom changes it.
double ScreenZoom();

// Sets the zoom for every screen, now and for screens attached later: each screen's factor
// becomes the one the platform gave it at start-up times `zoom`. Every visible top-level window
// keeps its logical size and its centre on its screen (moved back into the screen's available
// area where it would overhang), and is painted again at its new ratio. A zoom of 1 puts the
// platform's own factors back. `zoom` must be positive.
void SetScreenZoom(double zoom);

// The device-pixel ratio that `screen` gives a window at zoom 1 (the platform's own, and any
// scale factor set for the process in the environment).
double BaseDevicePixelRatio(const QScreen* screen);
