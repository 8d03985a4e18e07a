// Building GLSL programs for the display's passes.
#pragma once

namespace tarvex {

// Compiles and links a vertex and a fragment shader; 0 on failure (the log goes to
// stderr under `label`).
unsigned BuildGlProgram(const char* vertexSource, const char* fragmentSource, const char* label);

}  // namespace tarvex
