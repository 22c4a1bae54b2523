#pragma once
// The small GLSL programs that take the place of the fixed-function texture
// environment where the GL runs them: Mesa's software rasteriser shades
// these faster than the programs it generates for the fixed functions, and
// a slice of one colour reads it from a uniform instead of interpolating it.
#include <cstdint>

namespace ZQ2 {

class ShaderProgramsOpenGL {
public:
    enum eTexturing { TEXTURING_NONE, TEXTURING_MODULATE, TEXTURING_ALPHA_ONLY, TEXTURING_COUNT };

    ShaderProgramsOpenGL() = default;
    ShaderProgramsOpenGL(const ShaderProgramsOpenGL&) = delete;
    ShaderProgramsOpenGL& operator=(const ShaderProgramsOpenGL&) = delete;
    // The programs must have been deleted (Delete) while their context was
    // current; the destructor has no context to do it in.
    ~ShaderProgramsOpenGL() = default;

    // Compiles and links every program in the current context, which must
    // run GLSL (OpenGL 2). False when one fails; nothing is kept then.
    bool Create();
    // Deletes the programs; their context must be current.
    void Delete();
    bool IsReady() const { return m_bReady; }

    // Binds the program for the texturing. Colour comes from the vertices,
    // or, when color (bytes R, G, B, A) is given, is that one for all.
    void Use(eTexturing texturing, const uint8_t* color);
    // Back to the fixed functions.
    static void UseNone();

private:
    struct Program {
        unsigned int m_nName = 0;
        int m_nColorLocation = -1;
        // The colour last given to u_color (bytes R, G, B, A), once set.
        uint32_t m_nColor = 0;
        bool m_bColorSet = false;
    };

    static unsigned int Compile(unsigned int type, const char* source);
    static unsigned int Link(unsigned int vertexShader, unsigned int fragmentShader);
    // Compiles the fragment shader of the colour source and body and links
    // it with the vertex shader into program.
    static bool Build(Program& program, unsigned int vertexShader, const char* color, const char* body);

    // [texturing][0: vertex colours, 1: one colour]
    Program m_Programs[TEXTURING_COUNT][2];
    bool m_bReady = false;
};

}  // namespace ZQ2
