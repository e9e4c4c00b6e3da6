#pragma once
// The program's own pictures, drawn in code: no image files to ship or lose.

#include <QImage>

namespace kestralux {

inline constexpr int kSplashPictureWidth = 1024;
inline constexpr int kSplashPictureHeight = 768;
inline constexpr int kWindowLogoWidth = 150;
inline constexpr int kWindowLogoHeight = 55;
inline constexpr int kIconSize = 32;
// The logo's box in the window starts 8 rows above the client area and is 41 rows high, so
// only these rows of the logo are ever seen.
inline constexpr int kWindowLogoFirstShownRow = 8;
inline constexpr int kWindowLogoLastShownRow = 40;

// The standard 16-colour palette that the 16-colour pictures are reduced to.
QVector<QRgb> sixteenColourTable();

// The 16 colours, the 216 of the 6 x 6 x 6 cube and a gold ramp: the logo's 256.
QVector<QRgb> twoHundredFiftySixColourTable();

// 1024 x 768, 16 colours on black: maker's mark and lettering, product title, version.
QImage makeSplashPicture();
// 150 x 55, up to 256 colours: the maker's mark for the main window's corner.
QImage makeWindowLogo();
// 32 x 32, 16 colours: a combo amplifier with its control strip above a green square wave.
QImage makeApplicationIcon();

}  // namespace kestralux
