#include "stateicons.h"

#include <QImage>
#include <gtest/gtest.h>

namespace {

// A colour as a person names it, from its hue: the marks are told apart by
// shape and by colour, whatever the exact shades.
const char *colourName(QColor colour)
{
    if (colour.alpha() < 128)
        return "none";
    if (colour.hsvSaturation() < 80)
        return colour.value() > 200 ? "white" : "grey";
    const int hue = colour.hsvHue();
    if (hue < 12 || hue >= 340)
        return "red";
    if (hue < 45)
        return "orange";
    if (hue >= 80 && hue < 160)
        return "green";
    if (hue >= 190 && hue < 250)
        return "blue";
    if (hue >= 260 && hue < 320)
        return "violet";
    return "other";
}

} // namespace

// Each mark as the README's table draws it, looked at in a few points of its
// 16 by 16 picture: on the shape's edge, inside it, and where it is not.
TEST(StateIcons, DrawEachStateInItsOwnShapeAndColour)
{
    const struct {
        const char *name;
        PatchState state;
        QPoint at;
        const char *colour;
    } points[] = {
        {"green disc", PatchState::Applied, {3, 8}, "green"},
        {"green disc, its tick", PatchState::Applied, {7, 10}, "white"},
        {"blue ring", PatchState::NotApplied, {2, 8}, "blue"},
        {"blue ring, open inside", PatchState::NotApplied, {5, 8}, "none"},
        {"blue ring, open inside too", PatchState::NotApplied, {11, 8}, "none"},
        {"orange ring", PatchState::PartlyApplied, {13, 8}, "orange"},
        {"orange ring, its left half filled", PatchState::PartlyApplied, {5, 8}, "orange"},
        {"orange ring, its right half open", PatchState::PartlyApplied, {11, 8}, "none"},
        {"red diamond", PatchState::DoesNotFit, {3, 8}, "red"},
        {"red diamond, not at its corners", PatchState::DoesNotFit, {1, 1}, "none"},
        {"red diamond's outline", PatchState::Contradictory, {2, 8}, "red"},
        {"red diamond's outline, open inside", PatchState::Contradictory, {5, 8}, "none"},
        {"red diamond's outline, its exclamation mark", PatchState::Contradictory, {8, 7}, "red"},
        {"grey triangle", PatchState::Outside, {5, 8}, "grey"},
        {"grey triangle, pointing right", PatchState::Outside, {14, 2}, "none"},
        {"nothing to compare: a blank", PatchState::NoRecords, {8, 8}, "none"},
    };
    for (const auto &p : points) {
        const QImage image = stateIcon(p.state).pixmap(16).toImage();
        ASSERT_EQ(image.size(), QSize(16, 16)) << p.name;
        EXPECT_STREQ(colourName(image.pixelColor(p.at)), p.colour) << p.name;
    }
    // Written for another phone: a violet square with a bar across.
    const struct {
        QPoint at;
        const char *colour;
    } otherPhone[] = {{{3, 3}, "violet"}, {{12, 12}, "violet"}, {{5, 8}, "white"}, {{11, 8}, "white"}, {{8, 5}, "violet"}, {{0, 0}, "none"}};
    const QImage image = otherPhoneIcon().pixmap(16).toImage();
    for (const auto &p : otherPhone)
        EXPECT_STREQ(colourName(image.pixelColor(p.at)), p.colour) << p.at.x() << "," << p.at.y();
    EXPECT_EQ(blankIcon().pixmap(16).toImage(), stateIcon(PatchState::NoRecords).pixmap(16).toImage());
}
