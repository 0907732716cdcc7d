// The label a data disk was mastered with, for telling one roll from another by name. Read from
// the disk image a roll is read out of: the volume identifier of its ISO 9660 primary volume
// descriptor (sector 16), in any of the sector layouts disk_image.h reads.
#pragma once

#include <string>

// The label of the image `imagePath` (.iso, .bin or a cue sheet), its trailing blanks removed and
// any byte outside printable ASCII shown as '_'; "" when the image has none or cannot be read.
std::string VolumeLabelOfImage(const std::string& imagePath);
