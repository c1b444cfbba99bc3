// The span kernels eight pixels at a time, for processors with AVX2 (chosen at run time).
#include "services/render/renderer_spans.h"

#include <cstdint>

// Built on x86 only (CMakeLists.txt); elsewhere renderer_spans.cpp reports no AVX.
#include <immintrin.h>

// Only what follows is built for AVX2: the library headers above keep the default target.
#pragma GCC push_options
#pragma GCC target("avx2")

namespace {

struct avx2 {
    using reg = __m256i;
    static constexpr int lanes = 8, all_bits = 0xFF;
    static reg load(const uint32_t* p) { return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p)); }
    static void store(uint32_t* p, reg v) { _mm256_storeu_si256(reinterpret_cast<__m256i*>(p), v); }
    // The first `count` (< 8) pixels between a row and a register-sized buffer, by masked moves.
    static reg part_mask(int count)
    {
        return _mm256_cmpgt_epi32(_mm256_set1_epi32(count), _mm256_setr_epi32(0, 1, 2, 3, 4, 5, 6, 7));
    }
    static void load_part(uint32_t* buf, const uint32_t* p, int count)
    {
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(buf),
                            _mm256_maskload_epi32(reinterpret_cast<const int*>(p), part_mask(count)));
    }
    static void store_part(uint32_t* p, const uint32_t* buf, int count)
    {
        _mm256_maskstore_epi32(reinterpret_cast<int*>(p), part_mask(count), load(buf));
    }
    static reg zero() { return _mm256_setzero_si256(); }
    static reg set32(int v) { return _mm256_set1_epi32(v); }
    static reg set16(int v) { return _mm256_set1_epi16(static_cast<short>(v)); }
    static reg set16x4(int b, int g, int r, int a)
    {
        return _mm256_set1_epi64x(static_cast<long long>(static_cast<uint16_t>(b)) |
                                  static_cast<long long>(static_cast<uint16_t>(g)) << 16 |
                                  static_cast<long long>(static_cast<uint16_t>(r)) << 32 |
                                  static_cast<long long>(static_cast<uint16_t>(a)) << 48);
    }
    // Unpacks and packs work within each 128-bit half, which keeps every pixel in its place.
    static reg unpacklo8(reg a, reg b) { return _mm256_unpacklo_epi8(a, b); }
    static reg unpackhi8(reg a, reg b) { return _mm256_unpackhi_epi8(a, b); }
    static reg packus16(reg a, reg b) { return _mm256_packus_epi16(a, b); }
    static reg mullo16(reg a, reg b) { return _mm256_mullo_epi16(a, b); }
    static reg mulhi16(reg a, reg b) { return _mm256_mulhi_epu16(a, b); }
    static reg add16(reg a, reg b) { return _mm256_add_epi16(a, b); }
    static reg sub16(reg a, reg b) { return _mm256_sub_epi16(a, b); }
    static reg adds8(reg a, reg b) { return _mm256_adds_epu8(a, b); }
    static reg and_(reg a, reg b) { return _mm256_and_si256(a, b); }
    static reg or_(reg a, reg b) { return _mm256_or_si256(a, b); }
    static reg andnot(reg a, reg b) { return _mm256_andnot_si256(a, b); }
    static reg srai32(reg a, int n) { return _mm256_srai_epi32(a, n); }
    static reg spread_alpha(reg a) { return _mm256_shufflehi_epi16(_mm256_shufflelo_epi16(a, 0xFF), 0xFF); }
    static int sign_bits32(reg a) { return _mm256_movemask_ps(_mm256_castsi256_ps(a)); }
    static bool all_equal32(reg a, reg b) { return _mm256_movemask_epi8(_mm256_cmpeq_epi32(a, b)) == -1; }
    // Plain loads: the gather instruction is slower than eight of them on the processors measured.
    static reg gather(const uint32_t* row, const int* cols)
    {
        return _mm256_setr_epi32(static_cast<int>(row[cols[0]]), static_cast<int>(row[cols[1]]),
                                 static_cast<int>(row[cols[2]]), static_cast<int>(row[cols[3]]),
                                 static_cast<int>(row[cols[4]]), static_cast<int>(row[cols[5]]),
                                 static_cast<int>(row[cols[6]]), static_cast<int>(row[cols[7]]));
    }
};

} // namespace

#include "services/render/renderer_span_kernels.h"

shade_fn shade_kernel_avx2(const paint& p, int mode)
{
    return span_kernels<avx2>::pick(p, mode);
}

shade_cols_fn shade_cols_kernel_avx2(const paint& p, int mode)
{
    return span_kernels<avx2>::pick_cols(p, mode);
}

void fill_span_avx2(uint32_t* dst, int n, const paint& p, int mode)
{
    span_kernels<avx2>::fill(dst, n, p, mode);
}

void step_texels_avx2(uint32_t* out, uint8_t* unsure, const uint32_t* texels, uint32_t w, uint32_t h, int64_t tu,
                      int64_t tv, int64_t du, int64_t dv, int n)
{
    __m256i u = _mm256_setr_epi64x(tu, tu + du, tu + 2 * du, tu + 3 * du);
    __m256i v = _mm256_setr_epi64x(tv, tv + dv, tv + 2 * dv, tv + 3 * dv);
    const __m256i step_u = _mm256_set1_epi64x(4 * du), step_v = _mm256_set1_epi64x(4 * dv);
    // Unsigned 64-bit a < b as signed (a ^ top) < (b ^ top): AVX2 only compares signed.
    const __m256i top = _mm256_set1_epi64x(static_cast<long long>(0x8000000000000000ull));
    const __m256i low = _mm256_set1_epi64x(0xFFFFFFFFll), g = _mm256_set1_epi64x(texel_step_guard);
    const __m256i g2 = _mm256_xor_si256(_mm256_set1_epi64x(2ll * texel_step_guard), top);
    const __m256i wv = _mm256_set1_epi64x(w), ws = _mm256_xor_si256(wv, top);
    const __m256i hs = _mm256_xor_si256(_mm256_set1_epi64x(h), top);
    const __m256i pick_low = _mm256_setr_epi32(0, 2, 4, 6, 0, 2, 4, 6);
    for (int b = 0; b < (n + 7) / 8; ++b) unsure[b] = 0;
    for (int i = 0; i < n; i += 4) {
        unsigned valid = n - i >= 4 ? 0xFu : (1u << (n - i)) - 1;
        __m256i fu = _mm256_xor_si256(_mm256_and_si256(_mm256_add_epi64(u, g), low), top);
        __m256i fv = _mm256_xor_si256(_mm256_and_si256(_mm256_add_epi64(v, g), low), top);
        // A negative step shifts to a huge index, which fails the size test like any other outside one.
        __m256i x = _mm256_srli_epi64(u, 32), y = _mm256_srli_epi64(v, 32);
        __m256i in = _mm256_and_si256(_mm256_cmpgt_epi64(ws, _mm256_xor_si256(x, top)),
                                      _mm256_cmpgt_epi64(hs, _mm256_xor_si256(y, top)));
        __m256i near = _mm256_or_si256(_mm256_cmpgt_epi64(g2, fu), _mm256_cmpgt_epi64(g2, fv));
        __m256i good = _mm256_andnot_si256(near, in);
        __m256i index = _mm256_add_epi64(_mm256_mul_epu32(y, wv), x);
        __m128i mask = _mm256_castsi256_si128(_mm256_permutevar8x32_epi32(good, pick_low));
        __m128i t =
            _mm256_mask_i64gather_epi32(_mm_setzero_si128(), reinterpret_cast<const int*>(texels), index, mask, 4);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i), t);
        unsigned ok = static_cast<unsigned>(_mm256_movemask_pd(_mm256_castsi256_pd(good)));
        unsure[i / 8] = static_cast<uint8_t>(unsure[i / 8] | ((valid & ~ok) << (i % 8)));
        u = _mm256_add_epi64(u, step_u);
        v = _mm256_add_epi64(v, step_v);
    }
}

#pragma GCC pop_options

bool avx2_spans_available()
{
    __builtin_cpu_init();
    return __builtin_cpu_supports("avx2");
}
