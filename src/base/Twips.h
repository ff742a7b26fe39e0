// Lengths of the designed layout are in twips; the widgets are placed in
// pixels at 96 dpi.
#pragma once

namespace pelko {

inline constexpr int kTwipsPerPixel = 15;

// Twips to pixels at 96 dpi, rounded; defined for every int.
constexpr int Px(int twips) {
    return static_cast<int>((static_cast<long long>(twips) + kTwipsPerPixel / 2) / kTwipsPerPixel);
}

// The largest window length the program takes from Settings.ini: far
// beyond any screen, and far from overflowing in pixels or in twips.
inline constexpr int kMaxWindowTwips = 1'000'000;

}  // namespace pelko
