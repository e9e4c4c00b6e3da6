#pragma once
// The program's own pictures, drawn in code: no image files to ship or lose.

#include <QImage>

namespace kestralux {

inline constexpr int kSplashPictureWidth = 1024;
inline constexpr int kSplashPictureHeight = 768;
inline constexpr int kWindowLogoWidth = 150;
inline constexpr int kWindowLogoHeight = 55;
inline constexpr int kIconSize = 32;

// The standard 16-colour palette that the 16-colour pictures are reduced to.
QVector<QRgb> sixteenColourTable();

// 1024 x 768, 16 colours on black: maker's mark and lettering, product title, version.
QImage makeSplashPicture();
// 150 x 55, up to 256 colours: the maker's mark for the main window's corner.
QImage makeWindowLogo();
// 32 x 32, 16 colours: a combo amplifier with its control strip above a green square wave.
QImage makeApplicationIcon();

}  // namespace kestralux
