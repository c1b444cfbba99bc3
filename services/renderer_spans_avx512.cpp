// The span kernels sixteen pixels at a time, for processors with AVX-512 BW (chosen at run time).
#include "services/renderer_spans.h"

#include <cstdint>

#if defined(__GNUC__) && (defined(__x86_64__) || defined(__i386__))
#include <immintrin.h>

// Only what follows is built for AVX-512: the library headers above keep the default target.
#pragma GCC push_options
#pragma GCC target("avx512f,avx512bw")
// GCC 12's own AVX-512 headers trip this warning on their placeholder registers.
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"

namespace {

struct avx512 {
    using reg = __m512i;
    static constexpr int lanes = 16, all_bits = 0xFFFF;
    static reg load(const uint32_t* p) { return _mm512_loadu_si512(p); }
    static void store(uint32_t* p, reg v) { _mm512_storeu_si512(p, v); }
    static __mmask16 part_mask(int count) { return static_cast<__mmask16>((1u << count) - 1); }
    static void load_part(uint32_t* buf, const uint32_t* p, int count)
    {
        _mm512_storeu_si512(buf, _mm512_maskz_loadu_epi32(part_mask(count), p));
    }
    static void store_part(uint32_t* p, const uint32_t* buf, int count)
    {
        _mm512_mask_storeu_epi32(p, part_mask(count), load(buf));
    }
    static reg zero() { return _mm512_setzero_si512(); }
    static reg set32(int v) { return _mm512_set1_epi32(v); }
    static reg set16(int v) { return _mm512_set1_epi16(static_cast<short>(v)); }
    static reg set16x4(int b, int g, int r, int a)
    {
        return _mm512_set1_epi64(static_cast<long long>(static_cast<uint16_t>(b)) |
                                 static_cast<long long>(static_cast<uint16_t>(g)) << 16 |
                                 static_cast<long long>(static_cast<uint16_t>(r)) << 32 |
                                 static_cast<long long>(static_cast<uint16_t>(a)) << 48);
    }
    // Unpacks and packs work within each 128-bit quarter, which keeps every pixel in its place.
    static reg unpacklo8(reg a, reg b) { return _mm512_unpacklo_epi8(a, b); }
    static reg unpackhi8(reg a, reg b) { return _mm512_unpackhi_epi8(a, b); }
    static reg packus16(reg a, reg b) { return _mm512_packus_epi16(a, b); }
    static reg mullo16(reg a, reg b) { return _mm512_mullo_epi16(a, b); }
    static reg mulhi16(reg a, reg b) { return _mm512_mulhi_epu16(a, b); }
    static reg add16(reg a, reg b) { return _mm512_add_epi16(a, b); }
    static reg sub16(reg a, reg b) { return _mm512_sub_epi16(a, b); }
    static reg adds8(reg a, reg b) { return _mm512_adds_epu8(a, b); }
    static reg and_(reg a, reg b) { return _mm512_and_si512(a, b); }
    static reg or_(reg a, reg b) { return _mm512_or_si512(a, b); }
    static reg andnot(reg a, reg b) { return _mm512_andnot_si512(a, b); }
    static reg srai32(reg a, int n) { return _mm512_srai_epi32(a, static_cast<unsigned>(n)); }
    static reg spread_alpha(reg a) { return _mm512_shufflehi_epi16(_mm512_shufflelo_epi16(a, 0xFF), 0xFF); }
    static int sign_bits32(reg a) { return _mm512_cmplt_epi32_mask(a, _mm512_setzero_si512()); }
    static bool all_equal32(reg a, reg b) { return _mm512_cmpeq_epi32_mask(a, b) == 0xFFFF; }
};

} // namespace

#include "services/renderer_span_kernels.h"

shade_fn shade_kernel_avx512(const paint& p, int mode) { return span_kernels<avx512>::pick(p, mode); }

void fill_span_avx512(uint32_t* dst, int n, const paint& p, int mode) { span_kernels<avx512>::fill(dst, n, p, mode); }

#pragma GCC pop_options

bool avx512_spans_available()
{
    __builtin_cpu_init();
    return __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512bw");
}

#else

shade_fn shade_kernel_avx512(const paint&, int) { return nullptr; }
void fill_span_avx512(uint32_t*, int, const paint&, int) {}
bool avx512_spans_available() { return false; }

#endif
