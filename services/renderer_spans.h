// Span kernels of the renderer: tint, alpha and blend a run of texels or a flat colour onto a row.
#pragma once

#include <cstdint>

#include "services/renderer.h"

// n texels (0xAARRGGBB) tinted by the paint and blended by its mode onto n back-buffer pixels.
void shade_span(uint32_t* dst, const uint32_t* src, int n, const paint& p);
// The paint's own colour blended onto n back-buffer pixels.
void fill_span(uint32_t* dst, int n, const paint& p);

// Which kernels run: the best the processor has unless told otherwise. All give the same pixels.
enum span_kernel_level { span_portable = 0, span_sse2 = 1, span_avx2 = 2 };
int span_kernels_in_use();
// Asks for a level (-1: the best); returns the one granted, never above what the processor has.
int set_span_kernels(int wanted);

// The AVX2 kernels, built in their own unit; `mode` is one of the five blend modes.
bool avx2_spans_available();
void shade_span_avx2(uint32_t* dst, const uint32_t* src, int n, const paint& p, int mode);
void fill_span_avx2(uint32_t* dst, int n, const paint& p, int mode);
