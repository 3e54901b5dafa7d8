// The finishing step of a run and the two resets of bests and PB.
#pragma once

void UpdateBestSplitsAndStoreDeltasAndPB();
void ResetBestSplitsAndPB();
void ResetPB();
