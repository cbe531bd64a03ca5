#pragma once
// PLENDO_VECTOR_CLONES before a hot loop's function builds it a second time
// for AVX2 with FMA on x86-64, picked at load time by what the processor
// has; other machines get the portable build only.
//
// ThreadSanitizer builds get the portable build only too: the clones' ifunc
// resolvers run while the program is being loaded, before ThreadSanitizer's
// runtime is up, and the program died before main.
#if defined(__SANITIZE_THREAD__)
#define PLENDO_THREAD_SANITIZER 1
#elif defined(__has_feature)
#if __has_feature(thread_sanitizer)
#define PLENDO_THREAD_SANITIZER 1
#endif
#endif

#if defined(__x86_64__) && defined(__ELF__) && defined(__has_attribute) && !defined(PLENDO_THREAD_SANITIZER)
#if __has_attribute(target_clones)
#define PLENDO_VECTOR_CLONES __attribute__((target_clones("arch=x86-64-v3", "default")))
#endif
#endif
#ifndef PLENDO_VECTOR_CLONES
#define PLENDO_VECTOR_CLONES
#endif
