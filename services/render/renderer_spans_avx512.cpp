// The span kernels sixteen pixels at a time, for processors with AVX-512 BW (chosen at run time).
#include "services/render/renderer_spans.h"

#include <cstdint>

// Built on x86 only (CMakeLists.txt); elsewhere renderer_spans.cpp reports no AVX.
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
    static reg gather(const uint32_t* row, const int* cols)
    {
        return _mm512_i32gather_epi32(load(reinterpret_cast<const uint32_t*>(cols)), row, 4);
    }
};

} // namespace

#include "services/render/renderer_span_kernels.h"

shade_fn shade_kernel_avx512(const paint& p, int mode)
{
    return span_kernels<avx512>::pick(p, mode);
}

shade_cols_fn shade_cols_kernel_avx512(const paint& p, int mode)
{
    return span_kernels<avx512>::pick_cols(p, mode);
}

void fill_span_avx512(uint32_t* dst, int n, const paint& p, int mode)
{
    span_kernels<avx512>::fill(dst, n, p, mode);
}

void step_texels_avx512(uint32_t* out, uint8_t* unsure, const uint32_t* texels, uint32_t w, uint32_t h, int64_t tu,
                        int64_t tv, int64_t du, int64_t dv, int n)
{
    __m512i u =
        _mm512_setr_epi64(tu, tu + du, tu + 2 * du, tu + 3 * du, tu + 4 * du, tu + 5 * du, tu + 6 * du, tu + 7 * du);
    __m512i v =
        _mm512_setr_epi64(tv, tv + dv, tv + 2 * dv, tv + 3 * dv, tv + 4 * dv, tv + 5 * dv, tv + 6 * dv, tv + 7 * dv);
    const __m512i step_u = _mm512_set1_epi64(8 * du), step_v = _mm512_set1_epi64(8 * dv);
    const __m512i low = _mm512_set1_epi64(0xFFFFFFFFll), g = _mm512_set1_epi64(texel_step_guard),
                  g2 = _mm512_set1_epi64(2ll * texel_step_guard);
    const __m512i wv = _mm512_set1_epi64(w), hv = _mm512_set1_epi64(h);
    for (int i = 0; i < n; i += 8) {
        __mmask8 valid = n - i >= 8 ? 0xFF : static_cast<__mmask8>((1u << (n - i)) - 1);
        __m512i x = _mm512_srai_epi64(u, 32), y = _mm512_srai_epi64(v, 32);
        // As the scalar steps: near an edge in either direction, or outside the picture.
        __mmask8 bad = _mm512_cmplt_epu64_mask(_mm512_and_si512(_mm512_add_epi64(u, g), low), g2) |
                       _mm512_cmplt_epu64_mask(_mm512_and_si512(_mm512_add_epi64(v, g), low), g2) |
                       _mm512_cmpge_epu64_mask(x, wv) | _mm512_cmpge_epu64_mask(y, hv);
        __mmask8 good = valid & static_cast<__mmask8>(~bad);
        __m512i index = _mm512_add_epi64(_mm512_mul_epu32(y, wv), x);
        __m256i t = _mm512_mask_i64gather_epi32(_mm256_setzero_si256(), good, index, texels, 4);
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + i), t);
        unsure[i / 8] = static_cast<uint8_t>(valid & bad);
        u = _mm512_add_epi64(u, step_u);
        v = _mm512_add_epi64(v, step_v);
    }
}

#pragma GCC pop_options

bool avx512_spans_available()
{
    __builtin_cpu_init();
    return __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512bw");
}
