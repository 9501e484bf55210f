/* Counts the draw calls a program makes through libGL and prints the count when it ends. */
#define _GNU_SOURCE
#include <GL/gl.h>
#include <dlfcn.h>
#include <stdio.h>

static unsigned long draws;

void glDrawArrays(GLenum mode, GLint first, GLsizei count)
{
    static void (*real)(GLenum, GLint, GLsizei);
    if (!real) real = (void (*)(GLenum, GLint, GLsizei))dlsym(RTLD_NEXT, "glDrawArrays");
    draws++;
    real(mode, first, count);
}

__attribute__((destructor)) static void report(void)
{
    fprintf(stderr, "draw calls: %lu\n", draws);
}
