// The process's one pango context, and what the leak checker is told of
// the font machinery behind it.
#include <pango/pangocairo.h>

#include "gdi/text.h"

namespace platform::gdi {

PangoContext* SharedPangoContext() {
  static PangoContext* context = [] {
    // Our own font map, held here: the default one lives in thread-local
    // storage, where leak checkers cannot see that it is still in use.
    static PangoFontMap* fontMap = pango_cairo_font_map_new();
    PangoContext* created = pango_font_map_create_context(fontMap);
    cairo_font_options_t* options = cairo_font_options_create();
    cairo_font_options_set_antialias(options, CAIRO_ANTIALIAS_GRAY);
    cairo_font_options_set_subpixel_order(options, CAIRO_SUBPIXEL_ORDER_DEFAULT);
    cairo_font_options_set_hint_metrics(options, CAIRO_HINT_METRICS_ON);
    pango_cairo_context_set_font_options(created, options);
    cairo_font_options_destroy(options);
    pango_cairo_context_set_resolution(created, 96);
    return created;
  }();
  return context;
}

}  // namespace platform::gdi

// fontconfig keeps the parts of its patterns behind offsets rather than
// pointers, so a leak checker takes the patterns that pango caches for
// leaks. Used only by builds with a leak checker.
extern "C" const char* __lsan_default_suppressions() { return "leak:libfontconfig.so\n"; }
