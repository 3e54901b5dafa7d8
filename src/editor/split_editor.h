// The Edit Splits panel: the in-place edit boxes, their text going back into
// the split names, the three buttons, row selection and list scrolling.
#pragma once

#include "editor/editor_state.h"
#include "win32.h"

// Destroys every box; creates one per visible row when the Edit Splits panel
// is shown in interactive mode.
void UpdateSplitEditBoxes();
void DestroySplitEditBoxes();
// Copies each live box's text into the name of its row, then syncs the bests.
void ApplySplitNameEdits();
// Applies the boxes' text and writes splits.txt and bestsplits.txt.
void SaveEditedSplits();

LRESULT CALLBACK EditSubclassProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR subclassId,
                                  DWORD_PTR refData);
// WM_CTLCOLOREDIT: colours the box's text and returns the one shared brush.
HBRUSH HandleCtlColorEdit(HDC hdc);
// WM_GETDLGCODE of the main window: 0 while an edit box child has the focus.
LRESULT HandleWMGetDlgCode(HWND hwnd);

void AddSplit();
void RemoveLastSplit();
void ResetBestTimes();
// Selects the visible row under the point; false when there is none.
bool SelectRowAt(int x, int y);

void ScrollSplitListByWheel(int wheelDelta);
void StartThumbDrag(HWND hwnd, int y);
void MoveThumbDrag(int mouseY);
void EndThumbDrag();

// The shared edit-box font and colour brush, released at exit.
void ReleaseEditBoxResources();
