// Writes the program's icon as PNG files for the desktop's icon theme: the 32x32 picture the
// program draws, and larger sizes of the same picture with its pixels kept square.
// Usage: kestralux-icon-render OUTDIR SIZE...

#include <QDir>
#include <QGuiApplication>
#include <QImage>

#include <cstdio>

#include "app/Artwork.h"

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: kestralux-icon-render OUTDIR SIZE...\n");
    return 2;
  }
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication application(argc, argv);
  const QImage icon = kestralux::makeApplicationIcon().convertToFormat(QImage::Format_ARGB32);
  const QDir out(QString::fromLocal8Bit(argv[1]));
  for (int i = 2; i < argc; ++i) {
    const int size = std::atoi(argv[i]);
    const QString file = out.filePath(QStringLiteral("%1.png").arg(size));
    if (size < 16 || !icon.scaled(size, size, Qt::IgnoreAspectRatio, Qt::FastTransformation).save(file)) {
      std::fprintf(stderr, "kestralux-icon-render: cannot write %s\n", qPrintable(file));
      return 1;
    }
  }
  return 0;
}
