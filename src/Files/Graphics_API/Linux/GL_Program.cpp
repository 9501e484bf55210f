// The program of plain textured drawing. The fixed-function pipeline samples a texture through a
// projective lookup (coordinates divided by their fourth component, always 1 here), which costs the
// device's generated fragment code a division and two more interpolated values at every pixel.
// With lighting and fog off a textured draw is the texture times the vertex colour, and this
// program computes just that; flat shading (through the built-in colour), alpha test, blending,
// depth and culling are stages of the device after it and apply alike.
#include "Graphics_API/Linux/GL_Internal.h"
#include "Graphics_API/GR_Device.h"
#include "Base/Console.h"

static const char* const kVertexSource =
    "#version 120\n"
    "varying vec2 uv;\n"
    "void main() {\n"
    "    gl_Position = ftransform();\n"
    "    gl_FrontColor = gl_Color;\n"
    "    uv = gl_MultiTexCoord0.xy;\n"
    "}\n";
static const char* const kFragmentSource =
    "#version 120\n"
    "uniform sampler2D image;\n"
    "varying vec2 uv;\n"
    "void main() {\n"
    "    gl_FragColor = texture2D(image, uv) * gl_Color;\n"
    "}\n";

static GLuint g_program = 0;   // 0 when the device refused it: the fixed-function path draws
static unsigned g_device = 0;  // the GRL_Device_Generation that g_program and g_bound belong to
static GLuint g_bound = 0;     // the program bound on the device now

static GLuint Compile(GLenum kind, const char* source)
{
    GLuint shader = glCreateShader(kind);
    glShaderSource(shader, 1, &source, nullptr);
    glCompileShader(shader);
    GLint ok = GL_FALSE;
    glGetShaderiv(shader, GL_COMPILE_STATUS, &ok);
    if (ok) return shader;
    glDeleteShader(shader);
    return 0;
}

static GLuint MakeProgram()
{
    GLuint vertex = Compile(GL_VERTEX_SHADER, kVertexSource), fragment = Compile(GL_FRAGMENT_SHADER, kFragmentSource);
    GLuint program = 0;
    if (vertex && fragment) {
        program = glCreateProgram();
        glAttachShader(program, vertex);
        glAttachShader(program, fragment);
        glLinkProgram(program);
        GLint ok = GL_FALSE;
        glGetProgramiv(program, GL_LINK_STATUS, &ok);
        if (!ok) glDeleteProgram(program), program = 0;
    }
    // Attached shaders live on with the program.
    glDeleteShader(vertex);
    glDeleteShader(fragment);
    if (!program) Console_Warnings->Output("Graphics: the textured-drawing program was refused; fixed-function drawing instead\n");
    return program;
}

void GRL_Use_Program(bool textured)
{
    if (g_device != GRL_Device_Generation()) {
        g_device = GRL_Device_Generation();
        g_bound = 0;
        while (glGetError() != GL_NO_ERROR) {}
        g_program = MakeProgram();
    }
    GLuint wanted = 0;
    if (textured && !GR_D3D_Get_Render_State(GR_RS_LIGHTING) && !GR_D3D_Get_Render_State(GR_RS_FOGENABLE)) wanted = g_program;
    if (wanted != g_bound) {
        glUseProgram(wanted);
        g_bound = wanted;
    }
}
