// The split-name editor's process-wide variables.
#pragma once

#include <vector>

#include "win32.h"

// At their process-start values; `editorState = {}` puts every one back
// (the boxes, the font and the brush are released first).
struct EditorState {
  std::vector<HWND> splitEditBoxes;      // one per visible row, top to bottom
  int editSplitsScrollPos = 0;           // pixels the list is scrolled down
  bool splitEditScrollDragging = false;  // a scroll-bar thumb drag is in progress
  int splitEditScrollDragStartY = 0;
  int splitEditScrollDragStartPos = 0;
  int selectedSplitIndex = -1;  // -1 for none
  // Shared by every box for the whole process (created on first use,
  // released at exit), so rebuilds never pile up fonts or brushes.
  HFONT editBoxFont = nullptr;
  HBRUSH editBoxBrush = nullptr;
};
inline EditorState editorState;

inline std::vector<HWND>& splitEditBoxes = editorState.splitEditBoxes;
inline int& editSplitsScrollPos = editorState.editSplitsScrollPos;
inline bool& splitEditScrollDragging = editorState.splitEditScrollDragging;
inline int& splitEditScrollDragStartY = editorState.splitEditScrollDragStartY;
inline int& splitEditScrollDragStartPos = editorState.splitEditScrollDragStartPos;
inline int& selectedSplitIndex = editorState.selectedSplitIndex;
inline HFONT& editBoxFont = editorState.editBoxFont;
inline HBRUSH& editBoxBrush = editorState.editBoxBrush;
