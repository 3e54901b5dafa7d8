// The drawing cache's one switch. With the cache on (the default), memory
// bitmaps are drawn from display lists replayed only where they changed,
// texts from the layout and glyph caches, and frames go to the screen only
// where they changed. With it off every call draws at once, every text is
// laid out anew and every present sends the whole window: the same pixels,
// more work. BRENVIK_DRAW_CACHE=off in the environment turns it off.
#pragma once

namespace platform::draw_cache {

// Read from the environment on first use.
bool Enabled();

// For tests: turns the cache on or off from here on, between paints (a
// list being recorded is not cut short). What it holds is dropped when
// next used.
void SetEnabled(bool on);

// Bumped by every SetEnabled: caches compare it with the one they were
// filled under and start empty when it moved.
unsigned Generation();

}  // namespace platform::draw_cache
