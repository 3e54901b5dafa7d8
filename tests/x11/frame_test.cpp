#include <gtest/gtest.h>

#include "gdi/draw_cache/presented_frame.h"

using platform::draw_cache::MergeFrame;
using platform::draw_cache::PresentedFrame;

namespace {

bool Same(const RECT& a, const RECT& b) {
  return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

std::vector<std::uint32_t> Pattern(int w, int h) {
  std::vector<std::uint32_t> p(static_cast<size_t>(w) * h);
  for (int i = 0; i < w * h; ++i) p[i] = static_cast<std::uint32_t>(i * 2654435761u) & 0xFFFFFF;
  return p;
}

TEST(PresentedFrame, OnlyChangedPixelsGoOut) {
  PresentedFrame kept;
  auto px = Pattern(320, 373);
  const RECT whole{0, 0, 320, 373};
  EXPECT_TRUE(Same(MergeFrame(kept, px.data(), 320 * 4, 320, 373, whole), whole));
  EXPECT_EQ(kept.pixels, px);
  // The same frame again (the idle overlay): nothing to send.
  EXPECT_TRUE(platform::draw_cache::IsEmptyRect(MergeFrame(kept, px.data(), 320 * 4, 320, 373, whole)));
  // Two changed pixels: their bounding box.
  px[10 * 320 + 5] ^= 1;
  px[20 * 320 + 300] ^= 1;
  EXPECT_TRUE(Same(MergeFrame(kept, px.data(), 320 * 4, 320, 373, whole), RECT{5, 10, 301, 21}));
  EXPECT_EQ(kept.pixels, px);
}

TEST(PresentedFrame, ChangesOutsideTheDirtyRectangleAreNotTaken) {
  PresentedFrame kept;
  auto px = Pattern(40, 30);
  MergeFrame(kept, px.data(), 40 * 4, 40, 30, RECT{0, 0, 40, 30});
  px[0] ^= 0xFF;             // outside the dirty part
  px[15 * 40 + 15] ^= 0xFF;  // inside
  const RECT changed = MergeFrame(kept, px.data(), 40 * 4, 40, 30, RECT{10, 10, 20, 20});
  EXPECT_TRUE(Same(changed, RECT{15, 15, 16, 16}));
  EXPECT_NE(kept.pixels[0], px[0]);
  // A dirty rectangle reaching outside the frame is clipped, not overrun.
  px[29 * 40 + 39] ^= 0xFF;
  EXPECT_TRUE(Same(MergeFrame(kept, px.data(), 40 * 4, 40, 30, RECT{-5, -5, 100, 100}), RECT{0, 0, 40, 30}));
}

TEST(PresentedFrame, ANewSizeTakesTheWholeFrameAndRowsFollowTheStride) {
  PresentedFrame kept;
  auto px = Pattern(10, 10);
  MergeFrame(kept, px.data(), 40, 10, 10, RECT{0, 0, 1, 1});
  // 8 pixels a row out of a 10-pixel stride: the rows start where the stride says.
  const RECT changed = MergeFrame(kept, px.data(), 40, 8, 5, RECT{0, 0, 1, 1});
  EXPECT_TRUE(Same(changed, RECT{0, 0, 8, 5}));
  ASSERT_EQ(kept.pixels.size(), 40u);
  EXPECT_EQ(kept.pixels[8], px[10]);
  EXPECT_EQ(kept.pixels[39], px[4 * 10 + 7]);
  EXPECT_TRUE(platform::draw_cache::IsEmptyRect(MergeFrame(kept, nullptr, 0, 0, 0, RECT{0, 0, 1, 1})));
}

}  // namespace

// The changed box is exact wherever in a row the changes lie: at the
// dirty rectangle's edges, on either side of a block, one pixel or two.
TEST(PresentedFrame, TheChangedBoxIsExactAcrossTheRow) {
  constexpr int kWidth = 100, kHeight = 3;
  for (const RECT dirty : {RECT{0, 0, kWidth, kHeight}, RECT{7, 0, 93, kHeight}, RECT{30, 1, 47, 2}}) {
    for (LONG first = dirty.left; first < dirty.right; ++first) {
      for (LONG last : {first, std::min<LONG>(first + 15, dirty.right - 1), std::min<LONG>(first + 16, dirty.right - 1),
                        static_cast<LONG>(dirty.right - 1)}) {
        platform::draw_cache::PresentedFrame kept;
        std::vector<std::uint32_t> px(kWidth * kHeight, 0x00203040);
        MergeFrame(kept, px.data(), kWidth * 4, kWidth, kHeight, RECT{0, 0, kWidth, kHeight});
        const LONG row = dirty.top;
        px[row * kWidth + first] = 0x00FFFFFF;
        px[row * kWidth + last] = 0x00FF0000;
        const RECT changed = MergeFrame(kept, px.data(), kWidth * 4, kWidth, kHeight, dirty);
        EXPECT_TRUE(Same(changed, RECT{first, row, last + 1, row + 1}))
            << "dirty " << dirty.left << ".." << dirty.right << ", changes at " << first << " and " << last;
        EXPECT_EQ(kept.pixels, px);
      }
    }
  }
}
