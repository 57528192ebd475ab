// The PNG writer: a picture read back by Qt's own PNG reader, compressed.
#include <gtest/gtest.h>

#include <QImage>
#include <string>

#include "export/png_writer.h"

namespace korimu {
namespace {

TEST(PngWriter, AreaOfACanvasReadsBackPixelForPixel) {
  Canvas canvas(300, 200);
  for (int y = 0; y < 200; ++y)
    for (int x = 0; x < 300; ++x)
      canvas.setPixel(x, y, Rgb{uint8_t(x), uint8_t(y), uint8_t(x ^ y)});
  const std::vector<uint8_t> png = encodePng(canvas, 10, 20, 280, 170);
  QImage image;
  ASSERT_TRUE(image.loadFromData(png.data(), int(png.size()), "PNG"));
  ASSERT_EQ(image.width(), 280);
  ASSERT_EQ(image.height(), 170);
  for (int y = 0; y < 170; ++y)
    for (int x = 0; x < 280; ++x)
      ASSERT_EQ(image.pixel(x, y) & 0xFFFFFF, packRgb(canvas.getPixel(10 + x, 20 + y)))
          << x << "," << y;
}

}  // namespace
}  // namespace korimu
