#pragma once

#include <string>

namespace tmt::test {

enum class JpegKind { Rgb, Gray, Cmyk, Progressive };

// A JPEG of the given size, compressed by libjpeg: a colour gradient (or its grey or CMYK form).
std::string MakeJpeg(int width, int height, JpegKind kind = JpegKind::Rgb);

// The same picture with its frame header claiming another size; the data is left as it was.
std::string WithClaimedSize(std::string jpeg, int width, int height);

} // namespace tmt::test
