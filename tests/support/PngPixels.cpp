#include "PngPixels.h"

#define STB_IMAGE_IMPLEMENTATION
#define STB_IMAGE_STATIC
#define STBI_ONLY_PNG
#define STBI_NO_STDIO
#include <stb_image.h>

namespace tarvex::test {

PngPixels decodePng(const std::string& bytes) {
  PngPixels png;
  int channels = 0;
  unsigned char* data =
      stbi_load_from_memory(reinterpret_cast<const unsigned char*>(bytes.data()),
                            static_cast<int>(bytes.size()), &png.width, &png.height, &channels, 3);
  if (data == nullptr) return png;
  for (int i = 0; i < png.width * png.height; ++i)
    png.rgb.push_back(std::uint32_t{data[3 * i]} << 16 | std::uint32_t{data[3 * i + 1]} << 8 |
                      data[3 * i + 2]);
  stbi_image_free(data);
  return png;
}

}  // namespace tarvex::test
