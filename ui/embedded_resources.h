// The image files of res/, compiled into the program (see embed_file.cmake).
#pragma once

#include <cstddef>

namespace orbivane::embedded {

extern const unsigned char background_bmp[];
extern const std::size_t background_bmp_size;
extern const unsigned char icon16_png[];
extern const std::size_t icon16_png_size;
extern const unsigned char icon32_png[];
extern const std::size_t icon32_png_size;
extern const unsigned char icon48_png[];
extern const std::size_t icon48_png_size;
extern const unsigned char icon64_png[];
extern const std::size_t icon64_png_size;

}  // namespace orbivane::embedded
