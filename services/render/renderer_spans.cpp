// Span kernels of the renderer: tint, alpha and blend a run of texels or a flat colour onto a row.
//
// The portable loops state the rule and run on every processor (the compiler vectorises them where
// it can); on x86 SSE2 (every x86-64), AVX2 and AVX-512 (chosen at run time) give the same pixels faster.
#include "services/render/renderer_spans.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

// The AVX2 and AVX-512 units are built on x86 only, the NEON unit on 64-bit ARM only.
#if defined(__x86_64__) || defined(__i386__)
#define RAMPARION_X86_KERNELS 1
#else
#define RAMPARION_X86_KERNELS 0
#endif
#if defined(__aarch64__) && defined(__ARM_NEON)
#define RAMPARION_NEON 1
#else
#define RAMPARION_NEON 0
#endif

#if defined(__SSE2__)
#include <emmintrin.h>
#define RAMPARION_SSE2 1
#else
#define RAMPARION_SSE2 0
#endif

#if RAMPARION_SSE2
namespace {

struct sse2 : four_pixel_tail {
    using reg = __m128i;
    static constexpr int lanes = 4, all_bits = 0xF;
    static reg load(const uint32_t* p) { return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p)); }
    static void store(uint32_t* p, reg v) { _mm_storeu_si128(reinterpret_cast<__m128i*>(p), v); }
    static reg zero() { return _mm_setzero_si128(); }
    static reg set32(int v) { return _mm_set1_epi32(v); }
    static reg set16(int v) { return _mm_set1_epi16(static_cast<short>(v)); }
    static reg set16x4(int b, int g, int r, int a)
    {
        return _mm_setr_epi16(static_cast<short>(b), static_cast<short>(g), static_cast<short>(r),
                              static_cast<short>(a), static_cast<short>(b), static_cast<short>(g),
                              static_cast<short>(r), static_cast<short>(a));
    }
    static reg unpacklo8(reg a, reg b) { return _mm_unpacklo_epi8(a, b); }
    static reg unpackhi8(reg a, reg b) { return _mm_unpackhi_epi8(a, b); }
    static reg packus16(reg a, reg b) { return _mm_packus_epi16(a, b); }
    static reg mullo16(reg a, reg b) { return _mm_mullo_epi16(a, b); }
    static reg mulhi16(reg a, reg b) { return _mm_mulhi_epu16(a, b); }
    static reg add16(reg a, reg b) { return _mm_add_epi16(a, b); }
    static reg sub16(reg a, reg b) { return _mm_sub_epi16(a, b); }
    static reg adds8(reg a, reg b) { return _mm_adds_epu8(a, b); }
    static reg and_(reg a, reg b) { return _mm_and_si128(a, b); }
    static reg or_(reg a, reg b) { return _mm_or_si128(a, b); }
    static reg andnot(reg a, reg b) { return _mm_andnot_si128(a, b); }
    static reg srai32(reg a, int n) { return _mm_srai_epi32(a, n); }
    static reg spread_alpha(reg a) { return _mm_shufflehi_epi16(_mm_shufflelo_epi16(a, 0xFF), 0xFF); }
    static int sign_bits32(reg a) { return _mm_movemask_ps(_mm_castsi128_ps(a)); }
    static bool all_equal32(reg a, reg b) { return _mm_movemask_epi8(_mm_cmpeq_epi32(a, b)) == 0xFFFF; }
    static reg gather(const uint32_t* row, const int* cols)
    {
        return _mm_setr_epi32(static_cast<int>(row[cols[0]]), static_cast<int>(row[cols[1]]),
                              static_cast<int>(row[cols[2]]), static_cast<int>(row[cols[3]]));
    }
};

} // namespace
#include "services/render/renderer_span_kernels.h"
#endif

namespace {

int kernel_level = -1; // -1: not chosen yet

// The renderer's one colour rule for a texel: tinted by the draw colour, alpha by the draw alpha.
inline uint32_t shade_one(uint32_t dst, uint32_t texel, const paint& p)
{
    shaded s = shade_texel(texel, p);
    return blend_pixel(dst, s.r, s.g, s.b, s.a, p.blend);
}

[[maybe_unused]] int mode_of(int blend)
{
    switch (blend) {
    case blend_mask:
    case blend_alpha:
    case blend_add:
    case blend_multiply:
        return blend;
    default:
        return blend_solid;
    }
}

int best_level()
{
    int best = RAMPARION_SSE2 || RAMPARION_NEON ? span_sse2 : span_portable;
    if (avx2_spans_available()) best = span_avx2;
    if (best == span_avx2 && avx512_spans_available()) best = span_avx512;
    return best;
}

// RAMPARION_KERNELS=portable|sse2|neon|avx2|avx512 asks for less than the best, to measure or compare.
int level_from_environment()
{
    const char* want = std::getenv("RAMPARION_KERNELS");
    if (!want || !*want) return -1;
    int l = span_kernel_level(want);
    if (l < 0)
        std::fprintf(
            stderr, "RAMPARION_KERNELS=%s is none of portable, sse2, neon, avx2, avx512: the best kernels run\n", want);
    return l;
}

int level()
{
    if (kernel_level < 0) set_span_kernels(level_from_environment());
    return kernel_level;
}

} // namespace

int span_kernels_in_use()
{
    return level();
}

const char* span_kernel_name(int l)
{
    switch (l) {
    case span_portable:
        return "portable";
    case span_sse2:
        return RAMPARION_NEON ? "neon" : "sse2";
    case span_avx2:
        return "avx2";
    case span_avx512:
        return "avx512";
    default:
        return "?";
    }
}

int span_kernel_level(const char* name)
{
    if (std::strcmp(name, "neon") == 0 || std::strcmp(name, "sse2") == 0) return span_sse2;
    for (int l : {span_portable, span_avx2, span_avx512})
        if (std::strcmp(name, span_kernel_name(l)) == 0) return l;
    return -1;
}

int set_span_kernels(int wanted)
{
    kernel_level = std::min(wanted < 0 ? best_level() : wanted, best_level());
    return kernel_level;
}

#if !RAMPARION_X86_KERNELS
bool avx2_spans_available()
{
    return false;
}
bool avx512_spans_available()
{
    return false;
}
#endif

void shade_portable(uint32_t* dst, const uint32_t* src, int n, const paint& p)
{
    for (int i = 0; i < n; ++i) dst[i] = shade_one(dst[i], src[i], p);
}

void shade_cols_portable(uint32_t* dst, const uint32_t* row, const int* cols, int n, const paint& p)
{
    for (int i = 0; i < n; ++i) dst[i] = shade_one(dst[i], row[cols[i]], p);
}

shade_cols_fn shade_cols_kernel([[maybe_unused]] const paint& p)
{
    switch (level()) {
#if RAMPARION_X86_KERNELS
    case span_avx512:
        return shade_cols_kernel_avx512(p, mode_of(p.blend));
    case span_avx2:
        return shade_cols_kernel_avx2(p, mode_of(p.blend));
#endif
#if RAMPARION_SSE2
    case span_sse2:
        return span_kernels<sse2>::pick_cols(p, mode_of(p.blend));
#elif RAMPARION_NEON
    case span_neon:
        return shade_cols_kernel_neon(p, mode_of(p.blend));
#endif
    default:
        return &shade_cols_portable;
    }
}

shade_fn shade_kernel([[maybe_unused]] const paint& p)
{
    switch (level()) {
#if RAMPARION_X86_KERNELS
    case span_avx512:
        return shade_kernel_avx512(p, mode_of(p.blend));
    case span_avx2:
        return shade_kernel_avx2(p, mode_of(p.blend));
#endif
#if RAMPARION_SSE2
    case span_sse2:
        return span_kernels<sse2>::pick(p, mode_of(p.blend));
#elif RAMPARION_NEON
    case span_neon:
        return shade_kernel_neon(p, mode_of(p.blend));
#endif
    default:
        return &shade_portable;
    }
}

void shade_span(uint32_t* dst, const uint32_t* src, int n, const paint& p)
{
    shade_kernel(p)(dst, src, n, p);
}

#if RAMPARION_X86_KERNELS
bool step_texels(uint32_t* out, uint8_t* unsure, const uint32_t* texels, uint32_t w, uint32_t h, int64_t tu, int64_t tv,
                 int64_t du, int64_t dv, int n)
{
    switch (level()) {
    case span_avx512:
        step_texels_avx512(out, unsure, texels, w, h, tu, tv, du, dv, n);
        return true;
    case span_avx2:
        step_texels_avx2(out, unsure, texels, w, h, tu, tv, du, dv, n);
        return true;
    default:
        return false;
    }
}
#else
// Without a gather instruction the caller's own loop is as quick.
bool step_texels(uint32_t*, uint8_t*, const uint32_t*, uint32_t, uint32_t, int64_t, int64_t, int64_t, int64_t, int)
{
    return false;
}
#endif

void fill_span(uint32_t* dst, int n, const paint& p)
{
    switch (level()) {
#if RAMPARION_X86_KERNELS
    case span_avx512:
        return fill_span_avx512(dst, n, p, mode_of(p.blend));
    case span_avx2:
        return fill_span_avx2(dst, n, p, mode_of(p.blend));
#endif
#if RAMPARION_SSE2
    case span_sse2:
        return span_kernels<sse2>::fill(dst, n, p, mode_of(p.blend));
#elif RAMPARION_NEON
    case span_neon:
        return fill_span_neon(dst, n, p, mode_of(p.blend));
#endif
    default:
        if (p.blend == blend_mask && p.a < 128) return;
        for (int i = 0; i < n; ++i) dst[i] = blend_pixel(dst[i], p.r, p.g, p.b, p.a, p.blend);
    }
}
