// Span kernels of the renderer: tint, alpha and blend a run of texels or a flat colour onto a row.
#pragma once

#include <cstdint>

#include "services/render/pixel_ops.h"

// A texel step closer than this (2^-20 texel, in 32.32 fixed point) to a texel edge is not trusted.
constexpr uint32_t texel_step_guard = 1u << 12;

// n texels (0xAARRGGBB) tinted by the paint and blended by its mode onto n back-buffer pixels.
void shade_span(uint32_t* dst, const uint32_t* src, int n, const paint& p);
// Texels along a turned span from 32.32 steps, several at a time: out[i] = texels[(v >> 32) x w +
// (u >> 32)] with u = tu + i du, v = tv + i dv. A pixel whose step lies within texel_step_guard of a
// texel edge, or outside the picture, is left to the caller: bit i % 8 of unsure[i / 8] is set for it.
// `out` needs room for n rounded up to eight. False (and nothing done) without AVX2 or better.
bool step_texels(uint32_t* out, uint8_t* unsure, const uint32_t* texels, uint32_t w, uint32_t h, int64_t tu, int64_t tv,
                 int64_t du, int64_t dv, int n);

// The same as a kernel chosen once for a paint, for callers that shade many spans with it.
using shade_fn = void (*)(uint32_t* dst, const uint32_t* src, int n, const paint& p);
shade_fn shade_kernel(const paint& p);
// As a shade_fn, with texel i read from row[cols[i]]: a scaled row without copying its texels out.
using shade_cols_fn = void (*)(uint32_t* dst, const uint32_t* row, const int* cols, int n, const paint& p);
shade_cols_fn shade_cols_kernel(const paint& p);
// The paint's own colour blended onto n back-buffer pixels.
void fill_span(uint32_t* dst, int n, const paint& p);

// Which kernels run: the best the processor has unless told otherwise (RAMPARION_KERNELS names a
// lower level). All give the same pixels. The 128-bit level is SSE2 on x86-64 and NEON on ARM.
enum span_kernel_level { span_portable = 0, span_sse2 = 1, span_neon = 1, span_avx2 = 2, span_avx512 = 3 };
int span_kernels_in_use();
// Asks for a level (-1: the best); returns the one granted, never above what the processor has.
int set_span_kernels(int wanted);
// "portable", "sse2" or "neon" (as the processor has it), "avx2", "avx512"; and back (-1: no such name).
const char* span_kernel_name(int level);
int span_kernel_level(const char* name);

// The NEON kernels, built in their own unit on 64-bit ARM.
shade_fn shade_kernel_neon(const paint& p, int mode);
shade_cols_fn shade_cols_kernel_neon(const paint& p, int mode);
void fill_span_neon(uint32_t* dst, int n, const paint& p, int mode);

// The AVX2 kernels, built in their own unit; `mode` is one of the five blend modes.
bool avx2_spans_available();
shade_fn shade_kernel_avx2(const paint& p, int mode);
shade_cols_fn shade_cols_kernel_avx2(const paint& p, int mode);
void fill_span_avx2(uint32_t* dst, int n, const paint& p, int mode);
// The same sixteen pixels at a time, with AVX-512 BW.
bool avx512_spans_available();
shade_fn shade_kernel_avx512(const paint& p, int mode);
shade_cols_fn shade_cols_kernel_avx512(const paint& p, int mode);
void fill_span_avx512(uint32_t* dst, int n, const paint& p, int mode);
void step_texels_avx512(uint32_t* out, uint8_t* unsure, const uint32_t* texels, uint32_t w, uint32_t h, int64_t tu,
                        int64_t tv, int64_t du, int64_t dv, int n);
void step_texels_avx2(uint32_t* out, uint8_t* unsure, const uint32_t* texels, uint32_t w, uint32_t h, int64_t tu,
                      int64_t tv, int64_t du, int64_t dv, int n);
