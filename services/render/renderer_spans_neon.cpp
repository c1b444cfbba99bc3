// The span kernels four pixels at a time with NEON, which every 64-bit ARM processor has.
#include "services/render/renderer_spans.h"

#include <cstdint>

// Built on 64-bit ARM only (CMakeLists.txt).
#include <arm_neon.h>

namespace {

// The operations the kernels ask for, as SSE2 defines them, in NEON; a register is 16 bytes.
struct neon : four_pixel_tail {
    using reg = uint8x16_t;
    static constexpr int lanes = 4, all_bits = 0xF;
    static reg load(const uint32_t* p) { return vreinterpretq_u8_u32(vld1q_u32(p)); }
    static void store(uint32_t* p, reg v) { vst1q_u32(p, vreinterpretq_u32_u8(v)); }
    static uint16x8_t u16(reg a) { return vreinterpretq_u16_u8(a); }
    static uint32x4_t u32(reg a) { return vreinterpretq_u32_u8(a); }
    static reg bytes(uint16x8_t a) { return vreinterpretq_u8_u16(a); }
    static reg bytes(uint32x4_t a) { return vreinterpretq_u8_u32(a); }

    static reg zero() { return vdupq_n_u8(0); }
    static reg set32(int v) { return bytes(vdupq_n_u32(static_cast<uint32_t>(v))); }
    static reg set16(int v) { return bytes(vdupq_n_u16(static_cast<uint16_t>(v))); }
    static reg set16x4(int b, int g, int r, int a)
    {
        const uint16_t lanes16[8] = {static_cast<uint16_t>(b), static_cast<uint16_t>(g), static_cast<uint16_t>(r),
                                     static_cast<uint16_t>(a), static_cast<uint16_t>(b), static_cast<uint16_t>(g),
                                     static_cast<uint16_t>(r), static_cast<uint16_t>(a)};
        return bytes(vld1q_u16(lanes16));
    }
    static reg unpacklo8(reg a, reg b) { return vzip1q_u8(a, b); }
    static reg unpackhi8(reg a, reg b) { return vzip2q_u8(a, b); }
    // Signed 16-bit lanes to bytes with unsigned saturation, a's then b's.
    static reg packus16(reg a, reg b)
    {
        return vcombine_u8(vqmovun_s16(vreinterpretq_s16_u8(a)), vqmovun_s16(vreinterpretq_s16_u8(b)));
    }
    static reg mullo16(reg a, reg b) { return bytes(vmulq_u16(u16(a), u16(b))); }
    // The high halves of the 32-bit products: the odd 16-bit pieces of the widened results.
    static reg mulhi16(reg a, reg b)
    {
        uint32x4_t lo = vmull_u16(vget_low_u16(u16(a)), vget_low_u16(u16(b)));
        uint32x4_t hi = vmull_high_u16(u16(a), u16(b));
        return bytes(vuzp2q_u16(vreinterpretq_u16_u32(lo), vreinterpretq_u16_u32(hi)));
    }
    static reg add16(reg a, reg b) { return bytes(vaddq_u16(u16(a), u16(b))); }
    static reg sub16(reg a, reg b) { return bytes(vsubq_u16(u16(a), u16(b))); }
    static reg adds8(reg a, reg b) { return vqaddq_u8(a, b); }
    static reg and_(reg a, reg b) { return vandq_u8(a, b); }
    static reg or_(reg a, reg b) { return vorrq_u8(a, b); }
    static reg andnot(reg a, reg b) { return vbicq_u8(b, a); } // ~a & b
    static reg srai32(reg a, int n)
    {
        return vreinterpretq_u8_s32(vshlq_s32(vreinterpretq_s32_u8(a), vdupq_n_s32(-n)));
    }
    // Each pixel's alpha lane copied over its four 16-bit lanes.
    static reg spread_alpha(reg a)
    {
        static constexpr uint8_t pick[16] = {6, 7, 6, 7, 6, 7, 6, 7, 14, 15, 14, 15, 14, 15, 14, 15};
        return vqtbl1q_u8(a, vld1q_u8(pick));
    }
    static int sign_bits32(reg a)
    {
        static constexpr int32_t place[4] = {0, 1, 2, 3};
        return static_cast<int>(vaddvq_u32(vshlq_u32(vshrq_n_u32(u32(a), 31), vld1q_s32(place))));
    }
    static bool all_equal32(reg a, reg b) { return vminvq_u32(vceqq_u32(u32(a), u32(b))) == 0xFFFFFFFFu; }
    static reg gather(const uint32_t* row, const int* cols)
    {
        const uint32_t t[4] = {row[cols[0]], row[cols[1]], row[cols[2]], row[cols[3]]};
        return bytes(vld1q_u32(t));
    }
};

} // namespace

#include "services/render/renderer_span_kernels.h"

shade_fn shade_kernel_neon(const paint& p, int mode)
{
    return span_kernels<neon>::pick(p, mode);
}

shade_cols_fn shade_cols_kernel_neon(const paint& p, int mode)
{
    return span_kernels<neon>::pick_cols(p, mode);
}

void fill_span_neon(uint32_t* dst, int n, const paint& p, int mode)
{
    span_kernels<neon>::fill(dst, n, p, mode);
}
