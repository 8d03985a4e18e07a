#include "platform/texture_upload.h"

#include <epoxy/gl.h>

#include <algorithm>

#include "platform/display.h"

namespace tarvex {

bool CompressedTexturesSupported() {
    return DisplayReady() && epoxy_has_gl_extension("GL_EXT_texture_compression_s3tc");
}

Texture* CreateTextureCompressed(CompressedFormat format, int width, int height,
                                 const std::vector<CompressedLevel>& levels, bool hasAlpha, bool mipmaps,
                                 bool linear) {
    if (!CompressedTexturesSupported() || width <= 0 || height <= 0 || width > 8192 || height > 8192 ||
        levels.empty())
        return nullptr;
    GLenum internal = format == CompressedFormat::Dxt1   ? (hasAlpha ? GL_COMPRESSED_RGBA_S3TC_DXT1_EXT
                                                                      : GL_COMPRESSED_RGB_S3TC_DXT1_EXT)
                      : format == CompressedFormat::Dxt3 ? GL_COMPRESSED_RGBA_S3TC_DXT3_EXT
                                                         : GL_COMPRESSED_RGBA_S3TC_DXT5_EXT;
    const size_t blockBytes = format == CompressedFormat::Dxt1 ? 8 : 16;
    const int count = mipmaps ? static_cast<int>(levels.size()) : 1;
    while (glGetError() != GL_NO_ERROR) {
    }
    GLuint id = 0;
    glGenTextures(1, &id);
    glBindTexture(GL_TEXTURE_2D, id);
    int w = width, h = height, uploaded = 0;
    for (int level = 0; level < count; ++level) {
        size_t need = static_cast<size_t>(std::max(1, (w + 3) / 4)) * std::max(1, (h + 3) / 4) * blockBytes;
        if (!levels[level].data || levels[level].size < need) break;
        glCompressedTexImage2D(GL_TEXTURE_2D, level, internal, w, h, 0, static_cast<GLsizei>(need), levels[level].data);
        ++uploaded;
        w = std::max(1, w / 2);
        h = std::max(1, h / 2);
    }
    if (uploaded == 0 || glGetError() != GL_NO_ERROR) {
        glDeleteTextures(1, &id);
        return nullptr;
    }
    // A chain that stops early is complete up to its last level.
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_BASE_LEVEL, 0);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, uploaded - 1);
    const bool mipped = mipmaps && uploaded > 1;
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER,
                    mipped ? (linear ? GL_LINEAR_MIPMAP_LINEAR : GL_NEAREST_MIPMAP_NEAREST)
                           : (linear ? GL_LINEAR : GL_NEAREST));
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, linear ? GL_LINEAR : GL_NEAREST);
    auto* t = new Texture;
    CountTextureCreated();
    t->id = id;
    t->width = width;
    t->height = height;
    t->hasAlpha = hasAlpha;
    t->mipmapped = mipped;
    return t;
}

}  // namespace tarvex
