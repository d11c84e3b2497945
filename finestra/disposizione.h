// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The window's layout, shared by both front-ends: the sizes at creation, in twips (1/1440
// of an inch, 15 to a pixel at 96 dots per inch), and the rule that fits the window to a
// law, worked out in whatever pixels the window measures in.

#include <functional>

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

// What the window measures of itself, in its own pixels.
struct MisureFinestra {
    int margine = 0;               // MargineVerticale
    int distanzaBanner = 0;        // DistanzaBanner
    int larghezzaTesto = 0;        // the label's
    int larghezzaAccantoBarra = 0; // the text's, when a scroll bar stands beside it
    int altezzaMassima = 0;        // the most the screen leaves for the part the rule counts
    // What the outer height holds besides the client area under the menu: the frame the
    // window manager draws and the menu bar; only what is known so far.
    int attorno = 0;
    int bannerLarghezza = 0; // the banner's rectangle at creation
    int bannerAltezza = 0;
    int riduzione = 0; // how much narrower than at creation the screen makes the window
};

struct Disposizione {
    bool scorre = false;     // the law is taller than the screen allows: it scrolls
    int larghezzaTesto = 0;  // the width the text is wrapped at
    int altezzaTesto = 0;    // the whole text's height at that width
    int altezzaVisibile = 0; // the label's height on screen
    int altezzaFinestra = 0; // label + margin, or more where the frame is tall
    int bannerAlto = 0;      // the banner's top, under the label
    // The banner's picture, narrowed with the window and keeping its proportions.
    int bannerLarghezza = 0;
    int bannerAltezza = 0;
    // The client area's height under the menu: the banner's strip reaches down to it.
    int altezzaArea = 0;
};

// The label's height follows the text; the window is that plus the margin, up to what the
// screen can show, past which the text scrolls beside a scroll bar. The margin is a Windows
// tool window's: where the frame and the menu take more, the window grows so that the text
// and the whole banner still show. `altezzaTesto` gives the text's height wrapped at a width.
Disposizione Disponi(const MisureFinestra &misure, const std::function<int(int)> &altezzaTesto);

} // namespace legge
