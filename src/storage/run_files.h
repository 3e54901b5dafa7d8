// splits.txt, bestsplits.txt and pbtime.txt.
#pragma once

#include <string>

void SaveSplitsToFile(const std::string& filename);
void LoadSplitsFromFile(const std::string& filename);
void SaveBestSplitsToFile(const std::string& filename);
void LoadBestSplitsFromFile(const std::string& filename);
void SavePBToFile(const std::string& filename);
void LoadPBFromFile(const std::string& filename);
