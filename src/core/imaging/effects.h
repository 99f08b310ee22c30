#pragma once
// The photo editor's effects. Each works on `Image` buffers directly and gives the same
// bits on every compiler: real arithmetic in double precision, rounding to the nearest
// integer with ties to even where a value is rounded, floor where a quotient is cut.
//
// Colour texts are "RRGGBB"; every pair goes through HexToNumber as it stands, so a pair
// that is not hexadecimal gives a negative channel. Such a channel can make a blend come
// out below 0; the effects that write blended or derived colours (the frames and the
// colour blur) clamp each written channel to 0..255 so that no impossible pixel is
// stored. Everything else is written exactly as computed.
//
// The effects that draw into a second picture (turn, KakuSyuku, EllipseFocusBlur) take
// the source and a destination that they resize; the caller swaps the two afterwards.
// The others change the picture in place.

#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

#include "imaging/image.h"

namespace fotela {

// Channels of a colour text: characters 1-2, 3-4 and 5-6 through HexToNumber (a missing
// pair counts as ""). Counts characters, not bytes, so a typed non-ASCII character is one
// character of its pair.
struct ColourChannels {
  int r = 0;
  int g = 0;
  int b = 0;
};
ColourChannels colourChannels(std::string_view text);

// Quarter and half turns: 90 clockwise, 180 a half turn, any other angle counter-clockwise.
void turn(const Image& source, Image& destination, int angle);

// The size KakuSyuku gives: ratio / 100 times each side, rounded to the nearest whole pixel
// (ties to even). Either side may come out 0 or very large; callers check it first.
struct PictureSize {
  long long width = 0;
  long long height = 0;
};
PictureSize scaledSize(int width, int height, double ratio);

// Nearest-pixel stretch of the whole source onto the whole destination: destination pixel
// x' takes source pixel floor((x' + 1/2) * W / W'), the same for rows. Nothing is averaged.
// The caller makes sure that scaledSize() is a size it wants to hold.
void KakuSyuku(const Image& source, Image& destination, double ratio);

// Bevelled frame of `thickness` one-pixel rings drawn with lines (start point included,
// end point excluded, clipped to the picture). Thickness 0 or below draws nothing.
void RaisedFrame(Image& picture, int thickness, std::string_view colour);
// Edge band blended into the colour: the outermost pixels take it fully, each step inwards
// keeps one more thickness-th of the photo. Thickness 0 or below changes nothing.
void BlurFrame(Image& picture, int thickness, std::string_view colour);

// The kept ellipse of the two elliptical blurs for a W x H picture and blur width w.
struct EllipseGeometry {
  int cx = 0, cy = 0;  // centre
  int a = 0, b = 0;    // inner semi-axes
  int fx = 0, fy = 0;  // focus offsets from the centre (one of them is 0)
  int si = 0;          // distance sum on the inner ellipse

  // Distance sum of the point (dx, dy) relative to the centre, rounded.
  int distanceSum(int dx, int dy) const;
  // Distance sum at the middle of the picture edge across the short axis.
  int outerSum() const;
};
// nullopt when the width leaves no ellipse (w larger than the half sides, rounded).
// Widths below 0 are the caller's to refuse.
std::optional<EllipseGeometry> ellipseGeometry(int width, int height, int w);

// Fades the outside of the kept ellipse towards the colour, fully coloured from the level
// curve through the middle of the nearer edges outwards. Width 0 or below changes nothing. When the
// band is too thin for the rounded sums to tell apart (outer sum not above the inner
// sum), every pixel outside the ellipse takes the full colour.
void EllipseColorBlur(Image& picture, int w, std::string_view colour);

// Softens the outside of the kept ellipse: each pixel becomes the sum of its twelve
// neighbours at city-block distance 1 and 2, each divided by 12, summed in a fixed order
// and floored. Returns false, leaving `destination` alone, when the width leaves no
// ellipse; otherwise `destination` holds the result and the caller swaps.
bool EllipseFocusBlur(const Image& source, Image& destination, int w);

// 1 for a file name whose last four characters are ".bmp" or ".png" in any case (lossless
// overlays: only exact matches are transparent), 14 otherwise (lossy overlays: up to 13
// per channel).
int compositeTolerance(std::string_view fileName);
// Lays `overlay` over the top-left corner of `picture`, clipped to the picture; overlay
// pixels whose every channel lies within tolerance - 1 of the transparent colour are left
// out, and so are those `transparent` marks (one flag per overlay pixel, rows top to
// bottom; empty marks none).
void CompositeImage(Image& picture, const Image& overlay, int tolerance,
                    std::string_view transparentColour, const std::vector<bool>& transparent = {});

}  // namespace fotela
