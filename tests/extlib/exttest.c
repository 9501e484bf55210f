// A shared library for the tests of external functions. Every function returns a checksum of its
// arguments in order, sum of (position + 1) x value, where a string argument's value is the number
// it spells, so swapped or mistyped arguments change the answer. String results are that checksum
// as text ("%g") in a static buffer. Names: mix_<result>_<arguments>, r for a real and s for a
// string (mix_s_rs takes a real and a string and gives a string); reals_<result><count> take 5 to
// 16 reals. Loading the library counts up the environment variable EXTTEST_LOADS and prints
// "exttest loaded".
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#define EXPORT __attribute__((visibility("default")))

static char text[64];

static const char* as_text(double sum)
{
    snprintf(text, sizeof text, "%g", sum);
    return text;
}

static double r(double x) { return x; }
static double s(const char* x) { return x ? strtod(x, NULL) : -1e9; }

__attribute__((constructor)) static void loaded(void)
{
    const char* count = getenv("EXTTEST_LOADS");
    char next[32];
    snprintf(next, sizeof next, "%d", (count ? atoi(count) : 0) + 1);
    setenv("EXTTEST_LOADS", next, 1);
    printf("exttest loaded\n");
    fflush(stdout);
}

EXPORT double loads(void) { return atof(getenv("EXTTEST_LOADS") ? getenv("EXTTEST_LOADS") : "0"); }
EXPORT const char* null_text(void) { return NULL; }
EXPORT const char* static_text(void) { return strcpy(text, "static"); }
EXPORT double scribble(void)
{
    strcpy(text, "scribbled");
    return 1;
}

// Initialisation and finalisation functions of an extension package.
static double initialised;
EXPORT double ext_init(void) { return initialised = 1; }
EXPORT double ext_initialised(void) { return initialised; }
EXPORT double ext_final(void)
{
    printf("library final\n");
    fflush(stdout);
    return 0;
}

// Every shape of 0 to 4 arguments of either kind.
EXPORT double mix_r_(void) { return 0.5; }
EXPORT const char* mix_s_(void) { return as_text(0.5); }
EXPORT double mix_r_r(double a0) { return 1 * r(a0); }
EXPORT const char* mix_s_r(double a0) { return as_text(1 * r(a0)); }
EXPORT double mix_r_s(const char* a0) { return 1 * s(a0); }
EXPORT const char* mix_s_s(const char* a0) { return as_text(1 * s(a0)); }
EXPORT double mix_r_rr(double a0, double a1) { return 1 * r(a0) + 2 * r(a1); }
EXPORT const char* mix_s_rr(double a0, double a1) { return as_text(1 * r(a0) + 2 * r(a1)); }
EXPORT double mix_r_rs(double a0, const char* a1) { return 1 * r(a0) + 2 * s(a1); }
EXPORT const char* mix_s_rs(double a0, const char* a1) { return as_text(1 * r(a0) + 2 * s(a1)); }
EXPORT double mix_r_sr(const char* a0, double a1) { return 1 * s(a0) + 2 * r(a1); }
EXPORT const char* mix_s_sr(const char* a0, double a1) { return as_text(1 * s(a0) + 2 * r(a1)); }
EXPORT double mix_r_ss(const char* a0, const char* a1) { return 1 * s(a0) + 2 * s(a1); }
EXPORT const char* mix_s_ss(const char* a0, const char* a1) { return as_text(1 * s(a0) + 2 * s(a1)); }
EXPORT double mix_r_rrr(double a0, double a1, double a2) { return 1 * r(a0) + 2 * r(a1) + 3 * r(a2); }
EXPORT const char* mix_s_rrr(double a0, double a1, double a2) { return as_text(1 * r(a0) + 2 * r(a1) + 3 * r(a2)); }
EXPORT double mix_r_rrs(double a0, double a1, const char* a2) { return 1 * r(a0) + 2 * r(a1) + 3 * s(a2); }
EXPORT const char* mix_s_rrs(double a0, double a1, const char* a2) { return as_text(1 * r(a0) + 2 * r(a1) + 3 * s(a2)); }
EXPORT double mix_r_rsr(double a0, const char* a1, double a2) { return 1 * r(a0) + 2 * s(a1) + 3 * r(a2); }
EXPORT const char* mix_s_rsr(double a0, const char* a1, double a2) { return as_text(1 * r(a0) + 2 * s(a1) + 3 * r(a2)); }
EXPORT double mix_r_rss(double a0, const char* a1, const char* a2) { return 1 * r(a0) + 2 * s(a1) + 3 * s(a2); }
EXPORT const char* mix_s_rss(double a0, const char* a1, const char* a2) { return as_text(1 * r(a0) + 2 * s(a1) + 3 * s(a2)); }
EXPORT double mix_r_srr(const char* a0, double a1, double a2) { return 1 * s(a0) + 2 * r(a1) + 3 * r(a2); }
EXPORT const char* mix_s_srr(const char* a0, double a1, double a2) { return as_text(1 * s(a0) + 2 * r(a1) + 3 * r(a2)); }
EXPORT double mix_r_srs(const char* a0, double a1, const char* a2) { return 1 * s(a0) + 2 * r(a1) + 3 * s(a2); }
EXPORT const char* mix_s_srs(const char* a0, double a1, const char* a2) { return as_text(1 * s(a0) + 2 * r(a1) + 3 * s(a2)); }
EXPORT double mix_r_ssr(const char* a0, const char* a1, double a2) { return 1 * s(a0) + 2 * s(a1) + 3 * r(a2); }
EXPORT const char* mix_s_ssr(const char* a0, const char* a1, double a2) { return as_text(1 * s(a0) + 2 * s(a1) + 3 * r(a2)); }
EXPORT double mix_r_sss(const char* a0, const char* a1, const char* a2) { return 1 * s(a0) + 2 * s(a1) + 3 * s(a2); }
EXPORT const char* mix_s_sss(const char* a0, const char* a1, const char* a2) { return as_text(1 * s(a0) + 2 * s(a1) + 3 * s(a2)); }
EXPORT double mix_r_rrrr(double a0, double a1, double a2, double a3) { return 1 * r(a0) + 2 * r(a1) + 3 * r(a2) + 4 * r(a3); }
EXPORT const char* mix_s_rrrr(double a0, double a1, double a2, double a3) { return as_text(1 * r(a0) + 2 * r(a1) + 3 * r(a2) + 4 * r(a3)); }
EXPORT double mix_r_rrrs(double a0, double a1, double a2, const char* a3) { return 1 * r(a0) + 2 * r(a1) + 3 * r(a2) + 4 * s(a3); }
EXPORT const char* mix_s_rrrs(double a0, double a1, double a2, const char* a3) { return as_text(1 * r(a0) + 2 * r(a1) + 3 * r(a2) + 4 * s(a3)); }
EXPORT double mix_r_rrsr(double a0, double a1, const char* a2, double a3) { return 1 * r(a0) + 2 * r(a1) + 3 * s(a2) + 4 * r(a3); }
EXPORT const char* mix_s_rrsr(double a0, double a1, const char* a2, double a3) { return as_text(1 * r(a0) + 2 * r(a1) + 3 * s(a2) + 4 * r(a3)); }
EXPORT double mix_r_rrss(double a0, double a1, const char* a2, const char* a3) { return 1 * r(a0) + 2 * r(a1) + 3 * s(a2) + 4 * s(a3); }
EXPORT const char* mix_s_rrss(double a0, double a1, const char* a2, const char* a3) { return as_text(1 * r(a0) + 2 * r(a1) + 3 * s(a2) + 4 * s(a3)); }
EXPORT double mix_r_rsrr(double a0, const char* a1, double a2, double a3) { return 1 * r(a0) + 2 * s(a1) + 3 * r(a2) + 4 * r(a3); }
EXPORT const char* mix_s_rsrr(double a0, const char* a1, double a2, double a3) { return as_text(1 * r(a0) + 2 * s(a1) + 3 * r(a2) + 4 * r(a3)); }
EXPORT double mix_r_rsrs(double a0, const char* a1, double a2, const char* a3) { return 1 * r(a0) + 2 * s(a1) + 3 * r(a2) + 4 * s(a3); }
EXPORT const char* mix_s_rsrs(double a0, const char* a1, double a2, const char* a3) { return as_text(1 * r(a0) + 2 * s(a1) + 3 * r(a2) + 4 * s(a3)); }
EXPORT double mix_r_rssr(double a0, const char* a1, const char* a2, double a3) { return 1 * r(a0) + 2 * s(a1) + 3 * s(a2) + 4 * r(a3); }
EXPORT const char* mix_s_rssr(double a0, const char* a1, const char* a2, double a3) { return as_text(1 * r(a0) + 2 * s(a1) + 3 * s(a2) + 4 * r(a3)); }
EXPORT double mix_r_rsss(double a0, const char* a1, const char* a2, const char* a3) { return 1 * r(a0) + 2 * s(a1) + 3 * s(a2) + 4 * s(a3); }
EXPORT const char* mix_s_rsss(double a0, const char* a1, const char* a2, const char* a3) { return as_text(1 * r(a0) + 2 * s(a1) + 3 * s(a2) + 4 * s(a3)); }
EXPORT double mix_r_srrr(const char* a0, double a1, double a2, double a3) { return 1 * s(a0) + 2 * r(a1) + 3 * r(a2) + 4 * r(a3); }
EXPORT const char* mix_s_srrr(const char* a0, double a1, double a2, double a3) { return as_text(1 * s(a0) + 2 * r(a1) + 3 * r(a2) + 4 * r(a3)); }
EXPORT double mix_r_srrs(const char* a0, double a1, double a2, const char* a3) { return 1 * s(a0) + 2 * r(a1) + 3 * r(a2) + 4 * s(a3); }
EXPORT const char* mix_s_srrs(const char* a0, double a1, double a2, const char* a3) { return as_text(1 * s(a0) + 2 * r(a1) + 3 * r(a2) + 4 * s(a3)); }
EXPORT double mix_r_srsr(const char* a0, double a1, const char* a2, double a3) { return 1 * s(a0) + 2 * r(a1) + 3 * s(a2) + 4 * r(a3); }
EXPORT const char* mix_s_srsr(const char* a0, double a1, const char* a2, double a3) { return as_text(1 * s(a0) + 2 * r(a1) + 3 * s(a2) + 4 * r(a3)); }
EXPORT double mix_r_srss(const char* a0, double a1, const char* a2, const char* a3) { return 1 * s(a0) + 2 * r(a1) + 3 * s(a2) + 4 * s(a3); }
EXPORT const char* mix_s_srss(const char* a0, double a1, const char* a2, const char* a3) { return as_text(1 * s(a0) + 2 * r(a1) + 3 * s(a2) + 4 * s(a3)); }
EXPORT double mix_r_ssrr(const char* a0, const char* a1, double a2, double a3) { return 1 * s(a0) + 2 * s(a1) + 3 * r(a2) + 4 * r(a3); }
EXPORT const char* mix_s_ssrr(const char* a0, const char* a1, double a2, double a3) { return as_text(1 * s(a0) + 2 * s(a1) + 3 * r(a2) + 4 * r(a3)); }
EXPORT double mix_r_ssrs(const char* a0, const char* a1, double a2, const char* a3) { return 1 * s(a0) + 2 * s(a1) + 3 * r(a2) + 4 * s(a3); }
EXPORT const char* mix_s_ssrs(const char* a0, const char* a1, double a2, const char* a3) { return as_text(1 * s(a0) + 2 * s(a1) + 3 * r(a2) + 4 * s(a3)); }
EXPORT double mix_r_sssr(const char* a0, const char* a1, const char* a2, double a3) { return 1 * s(a0) + 2 * s(a1) + 3 * s(a2) + 4 * r(a3); }
EXPORT const char* mix_s_sssr(const char* a0, const char* a1, const char* a2, double a3) { return as_text(1 * s(a0) + 2 * s(a1) + 3 * s(a2) + 4 * r(a3)); }
EXPORT double mix_r_ssss(const char* a0, const char* a1, const char* a2, const char* a3) { return 1 * s(a0) + 2 * s(a1) + 3 * s(a2) + 4 * s(a3); }
EXPORT const char* mix_s_ssss(const char* a0, const char* a1, const char* a2, const char* a3) { return as_text(1 * s(a0) + 2 * s(a1) + 3 * s(a2) + 4 * s(a3)); }

// 5 to 16 reals.
EXPORT double reals_r5(double a0, double a1, double a2, double a3, double a4)
{
    return 1 * a0 + 2 * a1 + 3 * a2 + 4 * a3 + 5 * a4;
}
EXPORT const char* reals_s5(double a0, double a1, double a2, double a3, double a4)
{
    return as_text(1 * a0 + 2 * a1 + 3 * a2 + 4 * a3 + 5 * a4);
}
EXPORT double reals_r6(double a0, double a1, double a2, double a3, double a4, double a5)
{
    return 1 * a0 + 2 * a1 + 3 * a2 + 4 * a3 + 5 * a4 + 6 * a5;
}
EXPORT const char* reals_s6(double a0, double a1, double a2, double a3, double a4, double a5)
{
    return as_text(1 * a0 + 2 * a1 + 3 * a2 + 4 * a3 + 5 * a4 + 6 * a5);
}
EXPORT double reals_r7(double a0, double a1, double a2, double a3, double a4, double a5, double a6)
{
    return 1 * a0 + 2 * a1 + 3 * a2 + 4 * a3 + 5 * a4 + 6 * a5 + 7 * a6;
}
EXPORT const char* reals_s7(double a0, double a1, double a2, double a3, double a4, double a5, double a6)
{
    return as_text(1 * a0 + 2 * a1 + 3 * a2 + 4 * a3 + 5 * a4 + 6 * a5 + 7 * a6);
}
EXPORT double reals_r8(double a0, double a1, double a2, double a3, double a4, double a5, double a6, double a7)
{
    return 1 * a0 + 2 * a1 + 3 * a2 + 4 * a3 + 5 * a4 + 6 * a5 + 7 * a6 + 8 * a7;
}
EXPORT const char* reals_s8(double a0, double a1, double a2, double a3, double a4, double a5, double a6, double a7)
{
    return as_text(1 * a0 + 2 * a1 + 3 * a2 + 4 * a3 + 5 * a4 + 6 * a5 + 7 * a6 + 8 * a7);
}
EXPORT double reals_r9(double a0, double a1, double a2, double a3, double a4, double a5, double a6, double a7, double a8)
{
    return 1 * a0 + 2 * a1 + 3 * a2 + 4 * a3 + 5 * a4 + 6 * a5 + 7 * a6 + 8 * a7 + 9 * a8;
}
EXPORT const char* reals_s9(double a0, double a1, double a2, double a3, double a4, double a5, double a6, double a7, double a8)
{
    return as_text(1 * a0 + 2 * a1 + 3 * a2 + 4 * a3 + 5 * a4 + 6 * a5 + 7 * a6 + 8 * a7 + 9 * a8);
}
EXPORT double reals_r10(double a0, double a1, double a2, double a3, double a4, double a5, double a6, double a7, double a8, double a9)
{
    return 1 * a0 + 2 * a1 + 3 * a2 + 4 * a3 + 5 * a4 + 6 * a5 + 7 * a6 + 8 * a7 + 9 * a8 + 10 * a9;
}
EXPORT const char* reals_s10(double a0, double a1, double a2, double a3, double a4, double a5, double a6, double a7, double a8, double a9)
{
    return as_text(1 * a0 + 2 * a1 + 3 * a2 + 4 * a3 + 5 * a4 + 6 * a5 + 7 * a6 + 8 * a7 + 9 * a8 + 10 * a9);
}
EXPORT double reals_r11(double a0, double a1, double a2, double a3, double a4, double a5, double a6, double a7, double a8, double a9, double a10)
{
    return 1 * a0 + 2 * a1 + 3 * a2 + 4 * a3 + 5 * a4 + 6 * a5 + 7 * a6 + 8 * a7 + 9 * a8 + 10 * a9 + 11 * a10;
}
EXPORT const char* reals_s11(double a0, double a1, double a2, double a3, double a4, double a5, double a6, double a7, double a8, double a9, double a10)
{
    return as_text(1 * a0 + 2 * a1 + 3 * a2 + 4 * a3 + 5 * a4 + 6 * a5 + 7 * a6 + 8 * a7 + 9 * a8 + 10 * a9 + 11 * a10);
}
EXPORT double reals_r12(double a0, double a1, double a2, double a3, double a4, double a5, double a6, double a7, double a8, double a9, double a10, double a11)
{
    return 1 * a0 + 2 * a1 + 3 * a2 + 4 * a3 + 5 * a4 + 6 * a5 + 7 * a6 + 8 * a7 + 9 * a8 + 10 * a9 + 11 * a10 + 12 * a11;
}
EXPORT const char* reals_s12(double a0, double a1, double a2, double a3, double a4, double a5, double a6, double a7, double a8, double a9, double a10, double a11)
{
    return as_text(1 * a0 + 2 * a1 + 3 * a2 + 4 * a3 + 5 * a4 + 6 * a5 + 7 * a6 + 8 * a7 + 9 * a8 + 10 * a9 + 11 * a10 + 12 * a11);
}
EXPORT double reals_r13(double a0, double a1, double a2, double a3, double a4, double a5, double a6, double a7, double a8, double a9, double a10, double a11, double a12)
{
    return 1 * a0 + 2 * a1 + 3 * a2 + 4 * a3 + 5 * a4 + 6 * a5 + 7 * a6 + 8 * a7 + 9 * a8 + 10 * a9 + 11 * a10 + 12 * a11 + 13 * a12;
}
EXPORT const char* reals_s13(double a0, double a1, double a2, double a3, double a4, double a5, double a6, double a7, double a8, double a9, double a10, double a11, double a12)
{
    return as_text(1 * a0 + 2 * a1 + 3 * a2 + 4 * a3 + 5 * a4 + 6 * a5 + 7 * a6 + 8 * a7 + 9 * a8 + 10 * a9 + 11 * a10 + 12 * a11 + 13 * a12);
}
EXPORT double reals_r14(double a0, double a1, double a2, double a3, double a4, double a5, double a6, double a7, double a8, double a9, double a10, double a11, double a12, double a13)
{
    return 1 * a0 + 2 * a1 + 3 * a2 + 4 * a3 + 5 * a4 + 6 * a5 + 7 * a6 + 8 * a7 + 9 * a8 + 10 * a9 + 11 * a10 + 12 * a11 + 13 * a12 + 14 * a13;
}
EXPORT const char* reals_s14(double a0, double a1, double a2, double a3, double a4, double a5, double a6, double a7, double a8, double a9, double a10, double a11, double a12, double a13)
{
    return as_text(1 * a0 + 2 * a1 + 3 * a2 + 4 * a3 + 5 * a4 + 6 * a5 + 7 * a6 + 8 * a7 + 9 * a8 + 10 * a9 + 11 * a10 + 12 * a11 + 13 * a12 + 14 * a13);
}
EXPORT double reals_r15(double a0, double a1, double a2, double a3, double a4, double a5, double a6, double a7, double a8, double a9, double a10, double a11, double a12, double a13, double a14)
{
    return 1 * a0 + 2 * a1 + 3 * a2 + 4 * a3 + 5 * a4 + 6 * a5 + 7 * a6 + 8 * a7 + 9 * a8 + 10 * a9 + 11 * a10 + 12 * a11 + 13 * a12 + 14 * a13 + 15 * a14;
}
EXPORT const char* reals_s15(double a0, double a1, double a2, double a3, double a4, double a5, double a6, double a7, double a8, double a9, double a10, double a11, double a12, double a13, double a14)
{
    return as_text(1 * a0 + 2 * a1 + 3 * a2 + 4 * a3 + 5 * a4 + 6 * a5 + 7 * a6 + 8 * a7 + 9 * a8 + 10 * a9 + 11 * a10 + 12 * a11 + 13 * a12 + 14 * a13 + 15 * a14);
}
EXPORT double reals_r16(double a0, double a1, double a2, double a3, double a4, double a5, double a6, double a7, double a8, double a9, double a10, double a11, double a12, double a13, double a14, double a15)
{
    return 1 * a0 + 2 * a1 + 3 * a2 + 4 * a3 + 5 * a4 + 6 * a5 + 7 * a6 + 8 * a7 + 9 * a8 + 10 * a9 + 11 * a10 + 12 * a11 + 13 * a12 + 14 * a13 + 15 * a14 + 16 * a15;
}
EXPORT const char* reals_s16(double a0, double a1, double a2, double a3, double a4, double a5, double a6, double a7, double a8, double a9, double a10, double a11, double a12, double a13, double a14, double a15)
{
    return as_text(1 * a0 + 2 * a1 + 3 * a2 + 4 * a3 + 5 * a4 + 6 * a5 + 7 * a6 + 8 * a7 + 9 * a8 + 10 * a9 + 11 * a10 + 12 * a11 + 13 * a12 + 14 * a13 + 15 * a14 + 16 * a15);
}
