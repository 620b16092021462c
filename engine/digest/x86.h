/* x86.h -- TVK_X86 is 1 when the target is a 32- or 64-bit x86 processor,
 * the one family with accelerated backends (SSE2, AVX2, SHA); 0 elsewhere.
 * Backend sources compile to nothing where it is 0.
 */
#ifndef TVK_DIGEST_X86_H
#define TVK_DIGEST_X86_H

#if defined(__i386__) || defined(__x86_64__) || defined(_M_IX86) || defined(_M_X64)
#define TVK_X86 1
#else
#define TVK_X86 0
#endif

#endif
