#include "platform/gl_program.h"

#include <epoxy/gl.h>

#include <cstdio>

namespace tarvex {

static unsigned CompileShader(GLenum kind, const char* source, const char* label) {
    unsigned shader = glCreateShader(kind);
    glShaderSource(shader, 1, &source, nullptr);
    glCompileShader(shader);
    int ok = 0;
    glGetShaderiv(shader, GL_COMPILE_STATUS, &ok);
    if (!ok) {
        char log[2048];
        glGetShaderInfoLog(shader, sizeof log, nullptr, log);
        std::fprintf(stderr, "%s shader: %s\n", label, log);
        glDeleteShader(shader);
        return 0;
    }
    return shader;
}

unsigned BuildGlProgram(const char* vertexSource, const char* fragmentSource, const char* label) {
    const unsigned vs = CompileShader(GL_VERTEX_SHADER, vertexSource, label);
    const unsigned fs = CompileShader(GL_FRAGMENT_SHADER, fragmentSource, label);
    if (!vs || !fs) {
        if (vs) glDeleteShader(vs);
        if (fs) glDeleteShader(fs);
        return 0;
    }
    const unsigned program = glCreateProgram();
    glAttachShader(program, vs);
    glAttachShader(program, fs);
    glLinkProgram(program);
    glDeleteShader(vs);
    glDeleteShader(fs);
    int ok = 0;
    glGetProgramiv(program, GL_LINK_STATUS, &ok);
    if (!ok) {
        char log[2048];
        glGetProgramInfoLog(program, sizeof log, nullptr, log);
        std::fprintf(stderr, "%s program: %s\n", label, log);
        glDeleteProgram(program);
        return 0;
    }
    return program;
}

}  // namespace tarvex
