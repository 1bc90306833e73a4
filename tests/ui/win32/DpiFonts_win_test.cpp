// Twips and pixels at a DPI, and the choice of font faces: the arithmetic
// the window backend lays every window out with.

#include "platform/win32/WinApi.h"

#include <algorithm>

#include <gtest/gtest.h>

#include "ui/win32/Dpi.h"
#include "ui/win32/Fonts.h"

namespace telk::test {
namespace {

using winui::FaceCandidates;
using winui::FirstExisting;
using winui::FontHeight;
using winui::PixelsToTwips;
using winui::ToPixels;
using winui::TwipsToPixels;

TEST(Twips, FifteenToAPixelAt96Dpi) {
    EXPECT_EQ(TwipsToPixels(15, 96), 1);
    EXPECT_EQ(TwipsToPixels(5760, 96), 384);
    EXPECT_EQ(TwipsToPixels(2295, 96), 153);
    EXPECT_EQ(PixelsToTwips(384, 96), 5760);
}

TEST(Twips, AnInchIsTheDpiAtAnyScale) {
    for (unsigned dpi : {96u, 120u, 144u, 168u, 192u}) {
        EXPECT_EQ(TwipsToPixels(1440, dpi), static_cast<int>(dpi));
        EXPECT_EQ(PixelsToTwips(static_cast<int>(dpi), dpi), 1440);
    }
    EXPECT_EQ(TwipsToPixels(5760, 144), 576);
}

TEST(Twips, NegativePositionsRoundLikePositiveOnes) {
    // A window wider than the screen is centred to a negative Left.
    EXPECT_EQ(TwipsToPixels(-7.5 * 15, 96), -TwipsToPixels(7.5 * 15, 96));
    EXPECT_EQ(TwipsToPixels(-1500, 96), -100);
}

TEST(Twips, ControlsThatMeetInTwipsMeetInPixels) {
    // At 120 DPI a twip is 1/12 px: rounding widths on their own would
    // leave gaps or overlaps between neighbours.
    const ui::Rect a{120, 120, 1215, 255};
    const ui::Rect b{1335, 120, 1095, 255};
    for (unsigned dpi : {96u, 120u, 144u, 175u}) {
        const winui::PixelBox pa = ToPixels(a, dpi);
        const winui::PixelBox pb = ToPixels(b, dpi);
        EXPECT_EQ(pa.left + pa.width, pb.left) << dpi;
    }
}

TEST(Twips, TheBoxOfALayoutRow) {
    const winui::PixelBox box = ToPixels({2040, 840, 1575, 495}, 96);
    EXPECT_EQ(box.left, 136);
    EXPECT_EQ(box.top, 56);
    EXPECT_EQ(box.width, 105);
    EXPECT_EQ(box.height, 33);
}

TEST(FontFaces, TheUiFontIsTheNewestJapaneseUiFace) {
    const auto faces = FaceCandidates(L"");
    ASSERT_GE(faces.size(), 3u);
    EXPECT_EQ(faces[0], L"Yu Gothic UI");
    EXPECT_EQ(faces[1], L"Meiryo UI");
    EXPECT_EQ(faces[2], L"MS UI Gothic");
}

TEST(FontFaces, AJapaneseNameFallsBackToItsEnglishNameThenTheUiFaces) {
    const auto faces = FaceCandidates(L"ＭＳ Ｐゴシック");
    ASSERT_GE(faces.size(), 5u);
    EXPECT_EQ(faces[0], L"ＭＳ Ｐゴシック");
    EXPECT_EQ(faces[1], L"MS PGothic");
    const auto uiAt = std::find(faces.begin(), faces.end(), std::wstring(L"Yu Gothic UI"));
    EXPECT_NE(uiAt, faces.end());
    // Each face once.
    for (std::size_t i = 0; i < faces.size(); ++i)
        for (std::size_t j = i + 1; j < faces.size(); ++j) EXPECT_NE(faces[i], faces[j]);
}

TEST(FontFaces, TheFirstExistingFaceIsTaken) {
    const auto faces = FaceCandidates(L"ＭＳ Ｐゴシック");
    EXPECT_EQ(FirstExisting(faces, [](const std::wstring& f) { return f == L"MS PGothic" || f == L"Meiryo UI"; }),
              L"MS PGothic");
    EXPECT_EQ(FirstExisting(faces, [](const std::wstring& f) { return f == L"Meiryo UI"; }), L"Meiryo UI");
    EXPECT_EQ(FirstExisting(faces, [](const std::wstring&) { return false; }), L"");
}

TEST(FontFaces, HeightsArePointsAtTheDpi) {
    EXPECT_EQ(FontHeight(9, 96), -12);
    EXPECT_EQ(FontHeight(14.25, 96), -19);
    EXPECT_EQ(FontHeight(18, 96), -24);
    EXPECT_EQ(FontHeight(9, 144), -18);
}

TEST(FontFaces, AControlFontHasTheSizeAndWeightAskedFor) {
    HFONT font = winui::CreateControlFont({"ＭＳ Ｐゴシック", 14.25, true}, 120);
    LOGFONTW lf{};
    ASSERT_NE(GetObjectW(font, sizeof lf, &lf), 0);
    EXPECT_EQ(lf.lfHeight, FontHeight(14.25, 120));
    EXPECT_EQ(lf.lfWeight, FW_BOLD);
    // A face the system has: one of the candidates, or the system's own.
    EXPECT_TRUE(winui::FaceExists(lf.lfFaceName)) << std::wstring(lf.lfFaceName).size();
    DeleteObject(font);
}

TEST(FontFaces, AFaceNobodyHasIsNotFound) {
    EXPECT_FALSE(winui::FaceExists(L"No Such Face 7f3a"));
}

} // namespace
} // namespace telk::test
