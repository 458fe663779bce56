#pragma once
// The display's colour profile, as the desktop's colour manager (colord and the
// like) publishes it on the X server: pictures are converted to it.

// Reads it once at start-up into couleurs::setProfilEcran; elsewhere than on X11,
// or when the root window has none, the display stays sRGB.
void lireProfilEcran();
