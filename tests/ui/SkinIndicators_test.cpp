// The skins draw what a control's state needs: a tick in a checked box,
// arrows on a spin box's buttons.

#include "ui/Skins.h"

#include <QApplication>
#include <QCheckBox>
#include <QImage>
#include <QSpinBox>
#include <QStyle>
#include <QStyleOptionButton>
#include <QStyleOptionSpinBox>
#include <QVBoxLayout>

#include <gtest/gtest.h>

#include <ostream>

namespace ui {
inline void PrintTo(Skin skin, std::ostream *os)
{
    *os << skinName(skin).toStdString();
}
} // namespace ui

using namespace ui;

namespace {

constexpr Skin AllSkins[] = {Skin::XFactor, Skin::BYStyle, Skin::StoredSkin1, Skin::StoredSkin2};

// Per row of `area`, how many pixels are dark (an arrow's ink).
QList<int> inkPerRow(const QImage &image, const QRect &area)
{
    QList<int> rows;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        int ink = 0;
        for (int x = area.left(); x <= area.right(); ++x)
            if (QColor(image.pixel(x, y)).lightness() < 110)
                ++ink;
        if (ink > 0)
            rows << ink;
    }
    return rows;
}

class SkinIndicators : public ::testing::TestWithParam<Skin>
{
protected:
    void TearDown() override { qApp->setStyleSheet(QString()); }
};

TEST_P(SkinIndicators, CheckedBoxShowsATickOnItsColour)
{
    ApplySkin(GetParam());
    QWidget host;
    auto *column = new QVBoxLayout(&host);
    auto *checked = new QCheckBox(QStringLiteral("使用被动模式"), &host);
    checked->setChecked(true);
    auto *unchecked = new QCheckBox(QStringLiteral("使用缓存目录"), &host);
    column->addWidget(checked);
    column->addWidget(unchecked);
    host.show();
    QApplication::processEvents();

    auto indicator = [](QCheckBox *box) {
        QStyleOptionButton option;
        option.initFrom(box);
        return box->style()->subElementRect(QStyle::SE_CheckBoxIndicator, &option, box).adjusted(2, 2, -2, -2);
    };
    auto count = [](QCheckBox *box, const QRect &area, auto test) {
        const QImage image = box->grab().toImage();
        int n = 0;
        for (int y = area.top(); y <= area.bottom(); ++y)
            for (int x = area.left(); x <= area.right(); ++x)
                n += test(QColor(image.pixel(x, y))) ? 1 : 0;
        return n;
    };
    const auto light = [](const QColor &c) { return c.lightness() > 215; };
    const auto coloured = [](const QColor &c) { return c.lightness() < 190; };
    const QRect box = indicator(checked);
    ASSERT_GT(box.width(), 4);
    const int ticked = count(checked, box, light);
    const int filled = count(checked, box, coloured);
    EXPECT_GT(ticked, 4) << skinName(GetParam()).toStdString(); // the tick
    EXPECT_GT(filled, ticked) << skinName(GetParam()).toStdString(); // on the skin's colour
    // Unchecked: an empty, light box.
    EXPECT_EQ(count(unchecked, indicator(unchecked), coloured), 0) << skinName(GetParam()).toStdString();
}

TEST_P(SkinIndicators, SpinBoxButtonsShowArrowsPointingTheirWay)
{
    ApplySkin(GetParam());
    QWidget host;
    auto *column = new QVBoxLayout(&host);
    auto *spin = new QSpinBox(&host);
    spin->setRange(0, 100);
    spin->setValue(15);
    spin->setMinimumWidth(90);
    column->addWidget(spin);
    host.show();
    QApplication::processEvents();

    QStyleOptionSpinBox option;
    option.initFrom(spin);
    option.subControls = QStyle::SC_All;
    option.frame = true;
    option.buttonSymbols = spin->buttonSymbols();
    option.stepEnabled = QAbstractSpinBox::StepUpEnabled | QAbstractSpinBox::StepDownEnabled;
    const QRect up = spin->style()->subControlRect(QStyle::CC_SpinBox, &option, QStyle::SC_SpinBoxUp, spin);
    const QRect down = spin->style()->subControlRect(QStyle::CC_SpinBox, &option, QStyle::SC_SpinBoxDown, spin);
    ASSERT_FALSE(up.isEmpty());
    ASSERT_FALSE(down.isEmpty());
    EXPECT_LE(up.bottom(), down.top());

    const QImage image = spin->grab().toImage();
    const QList<int> upInk = inkPerRow(image, up.intersected(image.rect()));
    const QList<int> downInk = inkPerRow(image, down.intersected(image.rect()));
    const std::string name = skinName(GetParam()).toStdString();
    // A triangle: widening downwards on the up button, narrowing on the down one.
    ASSERT_GE(upInk.size(), 3) << name;
    ASSERT_GE(downInk.size(), 3) << name;
    EXPECT_LT(upInk.first(), upInk.last()) << name;
    EXPECT_GT(downInk.first(), downInk.last()) << name;
}

INSTANTIATE_TEST_SUITE_P(EverySkin, SkinIndicators, ::testing::ValuesIn(AllSkins),
                         [](const ::testing::TestParamInfo<Skin> &skin) { return skinName(skin.param).toStdString(); });

} // namespace
