#include "engine/graphics/ShaderProgramsOpenGL.h"

#define GL_GLEXT_PROTOTYPES 1
#include <GL/gl.h>
#include <GL/glext.h>

#include <cstring>
#include <string>

namespace ZQ2 {

namespace {

// Positions through the fixed-function matrices, which the renderer keeps.
const char* const kVertexSource[2] = {
    "varying vec2 v_uv;\n"
    "varying vec4 v_color;\n"
    "void main() {\n"
    "    gl_Position = ftransform();\n"
    "    v_uv = gl_MultiTexCoord0.xy;\n"
    "    v_color = gl_Color;\n"
    "}\n",
    "varying vec2 v_uv;\n"
    "void main() {\n"
    "    gl_Position = ftransform();\n"
    "    v_uv = gl_MultiTexCoord0.xy;\n"
    "}\n",
};

const char* const kColorSource[2] = {
    "varying vec4 v_color;\n"
    "#define COLOR v_color\n",
    "uniform vec4 u_color;\n"
    "#define COLOR u_color\n",
};

// Untextured; texels times the colour; the colour with the texels' alpha
// times its own (alpha-only pictures such as font pages).
const char* const kFragmentBody[ShaderProgramsOpenGL::TEXTURING_COUNT] = {
    "void main() { gl_FragColor = COLOR; }\n",
    "void main() { gl_FragColor = texture2D(u_texture, v_uv) * COLOR; }\n",
    "void main() { gl_FragColor = vec4(COLOR.rgb, texture2D(u_texture, v_uv).a * COLOR.a); }\n",
};

}  // namespace

unsigned int ShaderProgramsOpenGL::Compile(unsigned int type, const char* source) {
    const GLuint shader = glCreateShader(type);
    if (shader == 0)
        return 0;
    glShaderSource(shader, 1, &source, nullptr);
    glCompileShader(shader);
    GLint compiled = GL_FALSE;
    glGetShaderiv(shader, GL_COMPILE_STATUS, &compiled);
    if (compiled == GL_TRUE)
        return shader;
    glDeleteShader(shader);
    return 0;
}

unsigned int ShaderProgramsOpenGL::Link(unsigned int vertexShader, unsigned int fragmentShader) {
    const GLuint program = glCreateProgram();
    if (program == 0)
        return 0;
    glAttachShader(program, vertexShader);
    glAttachShader(program, fragmentShader);
    glLinkProgram(program);
    // The program keeps what it needs; the shaders go with it.
    glDetachShader(program, vertexShader);
    glDetachShader(program, fragmentShader);
    GLint linked = GL_FALSE;
    glGetProgramiv(program, GL_LINK_STATUS, &linked);
    if (linked == GL_TRUE)
        return program;
    glDeleteProgram(program);
    return 0;
}

bool ShaderProgramsOpenGL::Build(Program& program, unsigned int vertexShader, const char* color,
                                 const char* body) {
    const std::string source = std::string("uniform sampler2D u_texture;\nvarying vec2 v_uv;\n") + color + body;
    const GLuint fragmentShader = Compile(GL_FRAGMENT_SHADER, source.c_str());
    if (fragmentShader == 0)
        return false;
    program.m_nName = Link(vertexShader, fragmentShader);
    glDeleteShader(fragmentShader);
    if (program.m_nName == 0)
        return false;
    glUseProgram(program.m_nName);
    glUniform1i(glGetUniformLocation(program.m_nName, "u_texture"), 0);
    program.m_nColorLocation = glGetUniformLocation(program.m_nName, "u_color");
    return true;
}

bool ShaderProgramsOpenGL::Create() {
    Delete();
    bool ok = true;
    for (int single = 0; single < 2 && ok; ++single) {
        const GLuint vertexShader = Compile(GL_VERTEX_SHADER, kVertexSource[single]);
        for (int texturing = 0; texturing < TEXTURING_COUNT && ok; ++texturing)
            ok = vertexShader != 0 &&
                 Build(m_Programs[texturing][single], vertexShader, kColorSource[single], kFragmentBody[texturing]);
        if (vertexShader)
            glDeleteShader(vertexShader);
    }
    glUseProgram(0);
    if (!ok) {
        Delete();
        return false;
    }
    m_bReady = true;
    return true;
}

void ShaderProgramsOpenGL::Delete() {
    for (auto& pair : m_Programs) {
        for (Program& program : pair) {
            if (program.m_nName != 0)
                glDeleteProgram(program.m_nName);
            program = Program{};
        }
    }
    m_bReady = false;
}

void ShaderProgramsOpenGL::Use(eTexturing texturing, const uint8_t* color) {
    if (!m_bReady || texturing < 0 || texturing >= TEXTURING_COUNT)
        return;
    Program& program = m_Programs[texturing][color ? 1 : 0];
    glUseProgram(program.m_nName);
    if (!color)
        return;
    // A program keeps its uniforms: a colour it already holds is not sent
    // again, which spares the GL revalidating its constants for the draw.
    uint32_t packed;
    std::memcpy(&packed, color, sizeof(packed));
    if (program.m_bColorSet && program.m_nColor == packed)
        return;
    program.m_bColorSet = true;
    program.m_nColor = packed;
    glUniform4f(program.m_nColorLocation, color[0] / 255.0f, color[1] / 255.0f, color[2] / 255.0f,
                color[3] / 255.0f);
}

void ShaderProgramsOpenGL::UseNone() { glUseProgram(0); }

}  // namespace ZQ2
