#pragma once

namespace lumeria {

// Qt's hashing of strings (the AES path of a seeded qHash, which every
// QHash<QString> lookup takes on processors with VAES) returns with the upper
// halves of the AVX registers in use. Until the next VZEROUPPER every SSE
// instruction of ours carries a false dependency on them: a large
// publication's lines took half as long again to read after one lookup. A
// long loop clears the state before it starts; it costs one instruction.
inline void clearUpperVectorState()
{
#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
    if (__builtin_cpu_supports("avx"))
        __asm__ volatile("vzeroupper" ::: "memory");
#endif
}

} // namespace lumeria
