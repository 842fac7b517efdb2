// The program's icon comes from the resources built into the program, in
// every size the desktop entry installs.

#include "ui/Icons.h"

#include <QImage>
#include <QPixmap>

#include <gtest/gtest.h>

namespace {

TEST(ApplicationIcon, EverySizeIsBuiltIn)
{
    const QIcon icon = ui::applicationIcon();
    for (int size : {16, 22, 24, 32, 48, 64, 128, 256}) {
        const QImage image = icon.pixmap(QSize(size, size)).toImage();
        ASSERT_EQ(image.size(), QSize(size, size)) << size;
        // The folder fills the middle; the corners stay transparent.
        EXPECT_EQ(qAlpha(image.pixel(size / 2, size * 3 / 4)), 255) << size;
        EXPECT_EQ(qAlpha(image.pixel(0, 0)), 0) << size;
    }
}

} // namespace
