// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The window's layout at creation, shared by both front-ends. Lengths are in twips, 1/1440
// of an inch: 15 to a pixel at 96 dots per inch.

namespace legge {

inline constexpr int TwipPerPollice = 1440;

inline constexpr int AreaLarghezza = 6240; // the client area; its width never changes
inline constexpr int AreaAltezza = 3705;

inline constexpr int Label1Sinistra = 120;
inline constexpr int Label1Larghezza = 6015;
inline constexpr int Label1Altezza = 1035;

inline constexpr int Image1Alto = 3240;
inline constexpr int Image1Larghezza = 6255;
inline constexpr int Image1Altezza = 495;

// What the window adds to the label's height in its outer height: the title bar, the menu
// bar, the banner and the margins around it. The banner sits 50 twips under the label.
inline constexpr int MargineVerticale = 1150;
inline constexpr int DistanzaBanner = 50;

// The pictures' own sizes, in pixels at 96 dots per inch.
inline constexpr int SfondoLato = 450;
inline constexpr int BannerLarghezza = 450;
inline constexpr int BannerAltezza = 30;

} // namespace legge
