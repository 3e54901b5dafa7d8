#include "gdi/draw_cache/glyph_cache.h"

#include <pango/pangocairo.h>

#include "gdi/draw_cache/quick_shaping.h"
#include "rect.h"

namespace platform::draw_cache {
namespace {

using gdi::FontFace;

// Text pictures are bounded in total; past the bound texts are drawn
// directly.
constexpr std::size_t kPictureBudgetBytes = std::size_t{8} << 20;
std::size_t pictureBytes = 0;

std::size_t BytesOf(cairo_surface_t* picture) {
  return static_cast<std::size_t>(cairo_image_surface_get_stride(picture)) *
         static_cast<std::size_t>(cairo_image_surface_get_height(picture));
}

}  // namespace

const GlyphPicture& GlyphPictureOf(const FontFace& face, PangoGlyph glyph, int xPart, int yPart) {
  QuickFont& quick = QuickFontFor(face);
  const std::uint64_t place = GlyphPlace(glyph, xPart, yPart);
  if (auto found = quick.glyphs.find(place); found != quick.glyphs.end()) return found->second;
  GlyphPicture made;
  PangoFont* font = quick.analysis ? quick.analysis->font : nullptr;
  PangoRectangle ink{};
  if (font) {
    pango_font_get_glyph_extents(font, glyph, &ink, nullptr);
    pango_extents_to_pixels(&ink, nullptr);
  }
  if (ink.width > 0 && ink.height > 0) {
    made.ink = RECT{ink.x, ink.y, ink.x + ink.width, ink.y + ink.height};
    // A glyph off the grid may reach one more pixel right or down.
    const int extraX = xPart != 0 ? 1 : 0, extraY = yPart != 0 ? 1 : 0;
    made.x = ink.x - kPictureMargin;
    made.y = ink.y - kPictureMargin;
    made.picture = cairo_image_surface_create(CAIRO_FORMAT_A8, ink.width + 2 * kPictureMargin + extraX,
                                              ink.height + 2 * kPictureMargin + extraY);
    if (cairo_surface_status(made.picture) == CAIRO_STATUS_SUCCESS) {
      PangoGlyphString* one = pango_glyph_string_new();
      pango_glyph_string_set_size(one, 1);
      one->glyphs[0] = PangoGlyphInfo{glyph, {0, 0, 0}, {1, 0}};
      one->log_clusters[0] = 0;
      cairo_t* cr = cairo_create(made.picture);
      cairo_set_antialias(cr, CAIRO_ANTIALIAS_GRAY);
      cairo_move_to(cr, -made.x + static_cast<double>(xPart) / PANGO_SCALE,
                    -made.y + static_cast<double>(yPart) / PANGO_SCALE);
      pango_cairo_show_glyph_string(cr, font, one);
      cairo_destroy(cr);
      cairo_surface_flush(made.picture);
      pango_glyph_string_free(one);
    } else {
      cairo_surface_destroy(made.picture);
      made.picture = nullptr;
    }
  }
  return quick.glyphs.emplace(place, made).first->second;
}

bool DrawableGlyphByGlyph(const FontFace& face, const PangoGlyphString& glyphs, int baseline) {
  const QuickFont& quick = QuickFontFor(face);
  RECT before{};
  for (int i = 0, advance = 0; i < glyphs.num_glyphs; advance += glyphs.glyphs[i++].geometry.width) {
    const PangoGlyphInfo& info = glyphs.glyphs[i];
    if (info.glyph & PANGO_GLYPH_UNKNOWN_FLAG) return false;
    if (info.glyph == PANGO_GLYPH_EMPTY) continue;
    const int originX = advance + info.geometry.x_offset, originY = baseline + info.geometry.y_offset;
    if (quick.glyphs.size() >= kMaxGlyphPictures &&
        !quick.glyphs.contains(GlyphPlace(info.glyph, PixelPart(originX), PixelPart(originY))))
      return false;
    const RECT& ink = GlyphPictureOf(face, info.glyph, 0, 0).ink;
    if (IsEmpty(ink)) continue;
    const RECT box = Offset(ink, WholePixels(originX + PANGO_SCALE / 2), WholePixels(originY + PANGO_SCALE / 2));
    if (!IsEmpty(before) && !IsEmpty(Intersect(box, before))) return false;
    before = IsEmpty(before) ? box : Union(before, box);
  }
  return true;
}

void MakeTextPicture(ShapedText& shaped) {
  PangoRectangle ink{}, logical{};
  PixelExtents(shaped, &ink, &logical);
  if (ink.width <= 0 || ink.height <= 0) {
    shaped.blank = true;
    return;
  }
  const int width = ink.width + 2 * kPictureMargin, height = ink.height + 2 * kPictureMargin;
  cairo_surface_t* picture = cairo_image_surface_create(CAIRO_FORMAT_A8, width, height);
  if (cairo_surface_status(picture) != CAIRO_STATUS_SUCCESS || pictureBytes + BytesOf(picture) > kPictureBudgetBytes) {
    cairo_surface_destroy(picture);
    return;
  }
  shaped.pictureX = ink.x - kPictureMargin;
  shaped.pictureY = ink.y - kPictureMargin;
  cairo_t* cr = cairo_create(picture);
  cairo_set_antialias(cr, CAIRO_ANTIALIAS_GRAY);
  cairo_move_to(cr, -shaped.pictureX, -shaped.pictureY);
  ShowText(cr, shaped);
  cairo_destroy(cr);
  cairo_surface_flush(picture);
  shaped.picture = picture;
  pictureBytes += BytesOf(picture);
}

void ReleaseTextPicture(cairo_surface_t* picture) {
  pictureBytes -= BytesOf(picture);
  cairo_surface_destroy(picture);
}

}  // namespace platform::draw_cache
