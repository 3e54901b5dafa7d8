// splits.txt, bestsplits.txt and pbtime.txt.
#pragma once

#include <string>

void SaveSplitsToFile(const std::string& filename);
void LoadSplitsFromFile(const std::string& filename);
void SaveBestSplitsToFile(const std::string& filename);
void LoadBestSplitsFromFile(const std::string& filename);
void SavePBToFile(const std::string& filename);
void LoadPBFromFile(const std::string& filename);

// The same formats on bytes in memory; the file operations above are these
// plus one whole-file read or atomic write. A missing file reads as "".
std::string SplitsFileBytes();
void LoadSplitsFromBytes(const std::string& bytes);
std::string BestSplitsFileBytes();
void LoadBestSplitsFromBytes(const std::string& bytes);
std::string PBFileBytes();
void LoadPBFromBytes(const std::string& bytes);
