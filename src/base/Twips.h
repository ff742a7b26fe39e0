// Lengths of the designed layout are in twips; the widgets are placed in
// pixels at 96 dpi.
#pragma once

namespace pelko {

inline constexpr int kTwipsPerPixel = 15;

// Twips to pixels at 96 dpi.
constexpr int Px(int twips) {
    return (twips + kTwipsPerPixel / 2) / kTwipsPerPixel;
}

}  // namespace pelko
