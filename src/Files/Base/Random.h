// The game's random generator.
//
// The generator is PCG32 (O'Neill's permuted congruential generator, variant XSH RR: a 64-bit
// linear congruential state whose output is an xorshift and a data-dependent rotation). It is
// small, fast, has a period of 2^64 and passes the usual statistical batteries, unlike a bare
// LCG or xorshift32; and its whole state follows from one 32-bit seed, so a seed repeats a game's
// sequence exactly on every machine.
#pragma once
#include <cstdint>

// Restarts the generator from a seed; the seed stays readable through Random_GetSeed.
void Random_Seed(uint32_t seed);
uint32_t Random_GetSeed();
// The next 32-bit word of the sequence.
uint32_t Random_Next();
// A uniform real in [0, x): the next word, unsigned, times 2^-32, times x.
double Random_Real(double x);
// The next word modulo |n|: an integer in 0..|n|-1; n = 0 gives 0 (the word is still drawn).
int Random_Int(int n);
