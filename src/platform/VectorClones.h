#pragma once
// PLENDO_VECTOR_CLONES before a hot loop's function builds it a second time
// for AVX2 with FMA on x86-64, picked at load time by what the processor
// has; other machines get the portable build only.
#if defined(__x86_64__) && defined(__ELF__) && defined(__has_attribute)
#if __has_attribute(target_clones)
#define PLENDO_VECTOR_CLONES __attribute__((target_clones("arch=x86-64-v3", "default")))
#endif
#endif
#ifndef PLENDO_VECTOR_CLONES
#define PLENDO_VECTOR_CLONES
#endif
